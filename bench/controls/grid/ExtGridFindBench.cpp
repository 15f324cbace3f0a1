// Finding text in the grid component.
//
// FindCell with no match (the whole range is read) against a baseline that
// does the same work and nothing more: a plain loop over the same store's
// texts (GridCells, every cell of the same range) with the same test, ASCII
// letters compared without case against the upper-cased search text, and
// stopping at the first containing cell (there is none). Two shapes:
// 1,048,575 x 1 and 65,536 x 16 cells of 8-character texts. Repeated data
// searches the same texts again; new data writes other texts into every cell
// before each search (not timed, on both sides).
//
// Incremental lookup: one typed character sent as a key event to the focused
// 4097 x 17 hex grid (not editing, lookup on); the character matches no row,
// so every key reads the whole sort column (the slowest lookup) and beeps.
// Goal: under 16 ms a key.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <random>
#include <string>

#include "controls/grid/ExtGrid.h"
#include "platform/gui/Forms.h"

namespace {

const char kChars[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";

struct TFindSide {
  TForm* Form;
  TExtStringGrid* Grid;
  std::mt19937 Rng{7};
  TFindSide(int Cols, int Rows) {
    Form = new TForm(Application);
    Grid = new TExtStringGrid(Form);
    Grid->SetParent(Form);
    Grid->SetBounds(0, 0, 400, 300);
    Grid->SetColCount(Cols);
    Grid->SetRowCount(Rows);
    Grid->SetFixedCols(0);
    Grid->SetFixedRows(0);
    Fill();
  }
  ~TFindSide() { delete Form; }
  // Texts that never hold the searched "@".
  void Fill() {
    std::string s(8, ' ');
    for (int r = 0; r < Grid->RowCount(); ++r)
      for (int c = 0; c < Grid->ColCount(); ++c) {
        for (char& ch : s) ch = kChars[Rng() % (sizeof kChars - 1)];
        Grid->SetGridCells(c, r, s);
      }
  }
};

bool FoldContains(const std::string& Hay, const std::string& UpperNeedle) {
  const size_t n = Hay.size(), m = UpperNeedle.size();
  for (size_t i = 0; i + m <= n; ++i) {
    size_t k = 0;
    while (k < m) {
      char c = Hay[i + k];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
      if (c != UpperNeedle[k]) break;
      ++k;
    }
    if (k == m) return true;
  }
  return false;
}

void BM_FindCellNoMatch_Component(benchmark::State& state) {
  TFindSide side(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) {
    if (state.range(2)) {
      state.PauseTiming();
      side.Fill();
      state.ResumeTiming();
    }
    TPoint found;
    side.Grid->FindCell(TPoint(-1, -1), "q@z", found, 0);
    benchmark::DoNotOptimize(found);
  }
}

void BM_FindCellNoMatch_StoreLoop(benchmark::State& state) {
  TFindSide side(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const std::string needle = "Q@Z";
  for (auto _ : state) {
    if (state.range(2)) {
      state.PauseTiming();
      side.Fill();
      state.ResumeTiming();
    }
    TPoint found(-1, -1);
    for (int c = 0; c < side.Grid->ColCount() && found.X < 0; ++c)
      for (int r = 0; r < side.Grid->RowCount(); ++r)
        if (FoldContains(side.Grid->GridCells(c, r), needle)) {
          found = TPoint(c, r);
          break;
        }
    benchmark::DoNotOptimize(found);
  }
}

void Shapes(benchmark::internal::Benchmark* b) {
  b->ArgNames({"cols", "rows", "newdata"});
  for (int nd : {0, 1}) {
    b->Args({1, 1048575, nd});
    b->Args({16, 65536, nd});
  }
  b->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
}
BENCHMARK(BM_FindCellNoMatch_Component)->Apply(Shapes);
BENCHMARK(BM_FindCellNoMatch_StoreLoop)->Apply(Shapes);

void BM_LookupKey_HexGrid(benchmark::State& state) {
  TForm* form = new TForm(Application);
  form->SetClientSize(560, 420);
  auto* grid = new TExtStringGrid(form);
  grid->SetParent(form);
  grid->SetBounds(0, 0, 552, 412);
  grid->SetColCount(17);
  grid->SetRowCount(4097);
  grid->SetOptions(grid->Options() & ~goEditing);
  grid->Navigation()->AutoGotoWhenSorted = true;
  grid->Navigation()->AutoGotoIncremental = true;
  const char hex[] = "0123456789ABCDEF";
  for (int r = 1; r < 4097; ++r)
    for (int c = 1; c < 17; ++c) {
      const int v = (r * 31 + c * 7) & 255;
      grid->SetCells(c, r, std::string{hex[v >> 4], hex[v & 15]});
    }
  form->Show();
  grid->SetFocus();
  QCoreApplication::processEvents();
  QWidget* w = grid->Peer();
  for (auto _ : state) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
    QCoreApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, "x");
    QCoreApplication::sendEvent(w, &release);
  }
  delete form;
}
BENCHMARK(BM_LookupKey_HexGrid)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

// Holding the Down key through all 4097 rows of the hex grid: the grid
// component (TExtStringGrid) against Qt's QTableView on a model with the same
// content. Goal: the component is not slower.
//
// Like for like:
//  - Both sides are real widgets of the same size (552 x 412), shown on the
//    offscreen platform and focused, with the same counts (a header row and an
//    address column, 16 columns of two hex digits, 4096 data rows), column widths
//    (address 60, bytes 26) and row height 18. The view's headers play the fixed
//    row and column (the component's fixed cells are its own header).
//  - Each step is one Down key event (press and release) sent to the focused
//    widget, as the window system sends a held key's repeats; after each step the
//    pending repaint runs (the update requests of both widgets are processed the
//    same way), so both move the current cell, scroll one row when it leaves the
//    view and repaint what changed, no less and no more.
//  - One iteration walks from the first data row to the last (4096 steps); the
//    walk starts again from the top outside the timing.
//  - Repeated data walks the same texts again; "new data" writes another image
//    into every cell before each walk (not timed, on both sides).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStandardItemModel>
#include <QTableView>
#include <cstdio>
#include <memory>
#include <string>

#include "controls/grid/ExtGrid.h"
#include "platform/gui/Forms.h"

namespace {
constexpr int kRows = 4097, kCols = 17;
const char kHex[] = "0123456789ABCDEF";

std::string Byte(uint32_t v) { return {kHex[(v >> 4) & 15], kHex[v & 15]}; }

void RunPaints() { QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest); }

void SendDown(QWidget* w) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &release);
}

struct TComponentSide {
  TForm* Form;
  TExtStringGrid* Grid;
  TComponentSide() {
    Form = new TForm(Application);
    Form->SetClientSize(560, 420);
    Grid = new TExtStringGrid(Form);
    Grid->SetParent(Form);
    Grid->SetBounds(0, 0, 552, 412);
    Grid->SetColCount(kCols);
    Grid->SetRowCount(kRows);
    Grid->SetDefaultColWidth(26);
    Grid->SetDefaultRowHeight(18);
    Grid->SetColWidths(0, 60);
    Grid->SetOptions(Grid->Options() | goEditing | goTabs);
    for (int c = 1; c < kCols; ++c) Grid->SetCells(c, 0, std::string(1, kHex[c - 1]));
    char addr[8];
    for (int r = 1; r < kRows; ++r) {
      std::snprintf(addr, sizeof addr, "%04X", (r - 1) * 16);
      Grid->SetCells(0, r, addr);
    }
    Fill(0);
    Grid->Loaded();
    Form->Show();
    Grid->SetFocus();
    QCoreApplication::processEvents();
  }
  void Fill(uint32_t seed) {
    for (int r = 1; r < kRows; ++r)
      for (int c = 1; c < kCols; ++c) Grid->SetCells(c, r, Byte(seed + static_cast<uint32_t>(r * 17 + c)));
  }
  void Top() {
    Grid->FocusCell(1, 1, true);
    RunPaints();
  }
  QWidget* Target() const { return Grid->Peer(); }
  bool AtEnd() const { return Grid->Row() == kRows - 1; }
};

struct TViewSide {
  std::unique_ptr<QStandardItemModel> Model;
  std::unique_ptr<QTableView> View;
  TViewSide() {
    Model = std::make_unique<QStandardItemModel>(kRows - 1, kCols - 1);
    QStringList cols, rows;
    for (int c = 1; c < kCols; ++c) cols << QString(QChar(kHex[c - 1]));
    char addr[8];
    for (int r = 1; r < kRows; ++r) {
      std::snprintf(addr, sizeof addr, "%04X", (r - 1) * 16);
      rows << addr;
    }
    Model->setHorizontalHeaderLabels(cols);
    Model->setVerticalHeaderLabels(rows);
    Fill(0);
    View = std::make_unique<QTableView>();
    View->setModel(Model.get());
    View->resize(552, 412);
    View->verticalHeader()->setFixedWidth(60);
    View->verticalHeader()->setDefaultSectionSize(18);
    View->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    View->horizontalHeader()->setDefaultSectionSize(26);
    View->horizontalHeader()->setFixedHeight(18);
    View->show();
    View->setFocus();
    QCoreApplication::processEvents();
  }
  void Fill(uint32_t seed) {
    for (int r = 0; r < kRows - 1; ++r)
      for (int c = 0; c < kCols - 1; ++c) {
        std::string b = Byte(seed + static_cast<uint32_t>((r + 1) * 17 + c + 1));
        Model->setItem(r, c, new QStandardItem(QString::fromLatin1(b.data(), 2)));
      }
  }
  void Top() {
    View->setCurrentIndex(Model->index(0, 0));
    View->scrollToTop();
    RunPaints();
  }
  QWidget* Target() const { return View.get(); }
  bool AtEnd() const { return View->currentIndex().row() == kRows - 2; }
};

TComponentSide& Component() {
  static auto* s = new TComponentSide;
  return *s;
}
TViewSide& ViewSide() {
  static auto* s = new TViewSide;
  return *s;
}

template <class Side>
void Walk(benchmark::State& state, Side& side) {
  bool newData = state.range(0) != 0;
  uint32_t seed = 0;
  for (auto _ : state) {
    state.PauseTiming();
    if (newData) side.Fill(++seed);
    side.Top();
    QCoreApplication::processEvents();
    state.ResumeTiming();
    for (int i = 1; i < kRows - 1; ++i) {
      SendDown(side.Target());
      RunPaints();
    }
    if (!side.AtEnd()) {
      state.SkipWithError("the walk did not reach the last row");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * (kRows - 2));
}

void BM_DownThroughAllRows_Component(benchmark::State& state) { Walk(state, Component()); }
void BM_DownThroughAllRows_QTableView(benchmark::State& state) { Walk(state, ViewSide()); }

BENCHMARK(BM_DownThroughAllRows_Component)->ArgName("newdata")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DownThroughAllRows_QTableView)->ArgName("newdata")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
}  // namespace

// Random sequences of grid operations (counts, fixed counts, current cell,
// selection, cell writes, row insertion, deletion and moves, scrolling, keys)
// against a string grid on a shown window, checked after every step against a
// model of what the store must hold and the grid's own invariants. Indexes far
// outside the grid and past the store's bound come up too: they must raise the
// grid's error and change nothing.
#include <cstddef>
#include <cstdlib>
#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "platform/grid/Grids.h"
#include "platform/gui/Forms.h"
#include "fuzz/FuzzInput.h"

namespace {

class TTag : public TObject {};
TTag gTags[4];

// What the store must hold: every written cell, moved as the grid moves its lines.
using TModel = std::map<std::pair<int, int>, std::pair<std::string, TObject*>>;

void ModelMove(TModel& m, bool rows, int from, int to) {
  if (from == to) return;
  TModel out;
  for (auto& [key, v] : m) {
    int i = rows ? key.second : key.first;
    int j = i;
    if (i == from) j = to;
    else if (from < to && i > from && i <= to) --j;
    else if (from > to && i >= to && i < from) ++j;
    auto k = rows ? std::make_pair(key.first, j) : std::make_pair(j, key.second);
    out[k] = v;
  }
  m.swap(out);
}

void ModelClear(TModel& m, bool rows, int index) {
  for (auto it = m.begin(); it != m.end();) {
    if ((rows ? it->first.second : it->first.first) == index)
      it = m.erase(it);
    else
      ++it;
  }
}

struct TIndexReader : TReader {
  // Mostly small indexes, sometimes negative, past the counts or past the store's bound.
  int Index() {
    uint8_t b = Byte();
    switch (b >> 5) {
      case 0: return -1 - (b & 3);
      // At the store's bound (rare: a row there holds a megabyte of row slots).
      case 1: return (b & 0x1C) == 0 ? TGridStore::kIndexBound - 2 + (b & 3) : b & 15;
      case 2: return 200 + (b & 31) * 31;
      default: return b & 63;
    }
  }
};

TForm* gForm = nullptr;
TStringGrid* gGrid = nullptr;

}  // namespace

// The system's font configuration library keeps a few blocks it never frees once fonts are
// first loaded; that is outside this program.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  Application->Initialize();
  gForm = new TForm(Application);
  gForm->SetClientSize(300, 200);
  gForm->Show();
  Application->ProcessMessages();
  // Fonts are loaded once here, before the runs.
  TStringGrid warm(gForm);
  warm.SetParent(gForm);
  warm.SetCells(1, 1, "x");
  warm.Repaint();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gGrid = new TStringGrid(gForm);
  TStringGrid& g = *gGrid;
  g.SetParent(gForm);
  g.SetBounds(0, 0, 280, 180);
  g.SetOptions(g.Options() | goEditing | goRangeSelect);
  TModel model;
  bool selectionOutside = false;
  // One input in eight also paints along the way (painting fills the canvas's caches,
  // which makes the leak check after a run slow, so not every run does).
  const bool paint = size > 0 && (data[0] & 7) == 0;
  TIndexReader in{{data, size}};
  for (int step = 0; step < 300 && in.n > 0; ++step) {
    uint8_t op = in.Byte() % 16;
    int a = in.Index(), b = in.Index();
    bool raised = false;
    TModel before = model;
    try {
      switch (op) {
        case 0: g.SetRowCount(a < 0 ? a : a % 300); break;
        case 1: g.SetColCount(a < 0 ? a : a % 60); break;
        case 2: g.SetFixedRows(a % 8); break;
        case 3: g.SetFixedCols(a % 8); break;
        case 4: g.SetCol(a); break;
        case 5: g.SetRow(a); break;
        case 6:
          g.SetSelection({a, b, in.Index(), in.Index()});
          selectionOutside = true;
          break;
        case 7: {
          std::string text(in.Byte() % 4, static_cast<char>(in.Byte()));
          g.SetCells(a, b, text);
          if (text.empty()) {
            auto it = model.find({a, b});
            if (it != model.end()) {
              it->second.first.clear();
              if (!it->second.second) model.erase(it);
            }
          } else {
            model[{a, b}].first = text;
          }
          break;
        }
        case 8: {
          TObject* o = (in.Byte() & 3) ? &gTags[in.Byte() & 3] : nullptr;
          g.SetObjects(a, b, o);
          if (o) {
            model[{a, b}].second = o;
          } else if (auto it = model.find({a, b}); it != model.end()) {
            it->second.second = nullptr;
            if (it->second.first.empty()) model.erase(it);
          }
          break;
        }
        case 9: {  // inserting a row as the grid component does: grow, move the last row up, empty it
          int at = a % (g.RowCount() + 1);
          if (g.RowCount() >= 300) break;
          g.SetRowCount(g.RowCount() + 1);
          int last = g.RowCount() - 1;
          g.MoveRow(last, at);
          ModelMove(model, true, last, at);
          for (int c = 0; c < g.ColCount(); ++c) {
            g.SetCells(c, at, "");
            g.SetObjects(c, at, nullptr);
          }
          for (int c = 0; c < g.ColCount(); ++c) model.erase({c, at});
          break;
        }
        case 10: {
          int count = g.RowCount();
          g.DeleteRow(a);
          ModelMove(model, true, a, count - 1);
          ModelClear(model, true, count - 1);
          break;
        }
        case 11: {
          int count = g.ColCount();
          g.DeleteColumn(a);
          ModelMove(model, false, a, count - 1);
          ModelClear(model, false, count - 1);
          break;
        }
        case 12:
          g.MoveRow(a, b);
          ModelMove(model, true, a, b);
          break;
        case 13:
          g.MoveColumn(a, b);
          ModelMove(model, false, a, b);
          break;
        case 14:
          g.SetTopRow(a);
          g.SetLeftCol(b);
          break;
        default: {
          WORD keys[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_NEXT, VK_PRIOR, VK_HOME, VK_END};
          WORD k = keys[static_cast<unsigned>(a) & 7];
          g.KeyDown(k, (b & 1) ? ssShift : 0);
          break;
        }
      }
    } catch (const EInvalidGridOperation&) {
      raised = true;
    }
    if (raised) Check(model == before);  // a refused call changes nothing stored

    // A current cell moved into the grid stays there; only a selection write may put it outside.
    bool outsideNow = g.Col() < 0 || g.Row() < 0 || g.Col() >= g.ColCount() || g.Row() >= g.RowCount();
    selectionOutside = selectionOutside && outsideNow;
    // The grid's invariants.
    Check(g.RowCount() >= 1 && g.ColCount() >= 1);
    Check(g.FixedRows() >= 0 && g.FixedRows() < g.RowCount());
    Check(g.FixedCols() >= 0 && g.FixedCols() < g.ColCount());
    Check(g.TopRow() >= g.FixedRows() && g.TopRow() <= std::max(g.FixedRows(), g.RowCount() - 1));
    Check(g.LeftCol() >= g.FixedCols() && g.LeftCol() <= std::max(g.FixedCols(), g.ColCount() - 1));
    if (!selectionOutside) {
      Check(g.Col() >= 0 && g.Col() < g.ColCount());
      Check(g.Row() >= 0 && g.Row() < g.RowCount());
    }
    Check(g.VisibleRowCount() >= 0 && g.VisibleRowCount() <= g.RowCount());
    TRect cr = g.CellRect(g.Col(), g.Row());
    if (cr.Right > cr.Left && cr.Bottom > cr.Top) {
      TGridCoord hit = g.MouseCoord(cr.Left, cr.Top);
      Check(hit.X == g.Col() && hit.Y == g.Row());
    }
    // The store holds exactly the model.
    for (const auto& [key, v] : model) {
      Check(g.Cells(key.first, key.second) == v.first);
      Check(g.Objects(key.first, key.second) == v.second);
    }
    int pc = in.Index() & 63, pr = in.Index() & 63;
    if (!model.count({pc, pr})) Check(g.Cells(pc, pr).empty() && !g.Objects(pc, pr));
    if (paint && step % 50 == 49) g.Repaint();
  }
  if (paint) g.Repaint();
  delete gGrid;
  gGrid = nullptr;
  return 0;
}

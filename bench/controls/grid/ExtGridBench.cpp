// Cells written and read through the grid component (TExtStringGrid) against the
// platform grid's own store (TStringGrid::SetCells / TStringGrid::Cells), on a
// 4097 x 17 grid as the EEPROM windows use it (a header row, an address column,
// 16 byte columns of two hex digits). Goal: the component costs at most 1.5
// times the store.
//
// Like for like:
//  - Both sides are real widgets of the same size, counts, fixed lines and column
//    widths, shown on the offscreen platform; both mark the written cell for
//    repainting (the store does it in CellChanged). No paint runs while timing.
//  - Write: every iteration stores a whole image into every cell (address texts
//    and 16 x 4096 two-digit texts). The texts of two different images are made
//    before timing and used in turn, so every write replaces the cell's text
//    with a different one (new data); making them is kept out of both sides.
//  - Read: every iteration reads every cell's text and folds its length and
//    first byte into a sum. The store hands out a reference; the component
//    returns the text by value: that copy and the display-text check are the
//    component's cost being measured. The same grid is read again and again
//    (repeated data); ReadAfterWrite reads right after storing a new image.
//    Read also runs a second baseline, "raw copy": the store's text copied into
//    a std::string as a caller keeping it would, to show the copy's share.
//  - "Event": OnGetDisplText is set to a handler that leaves the text as it is,
//    so the measure is the component's dispatch, not a handler's own work.
//  - No cell holds a property object (no merges, no colours): the plain path.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "controls/grid/ExtGrid.h"
#include "platform/gui/Forms.h"

namespace {
constexpr int kRows = 4097, kCols = 17;
const char kHex[] = "0123456789ABCDEF";

using TTexts = std::vector<std::string>;  // row-major, kRows x kCols

TTexts ImageTexts(uint32_t seed) {
  TTexts t(static_cast<size_t>(kRows) * kCols);
  uint32_t x = 2463534242u ^ (seed * 2654435761u);
  for (int c = 1; c < kCols; ++c) t[static_cast<size_t>(c)] = std::string(1, kHex[c - 1]);
  char addr[8];
  for (int r = 1; r < kRows; ++r) {
    std::snprintf(addr, sizeof addr, "%04X", (r - 1) * 16);
    t[static_cast<size_t>(r) * kCols] = addr;
    for (int c = 1; c < kCols; ++c) {
      x ^= x << 13, x ^= x >> 17, x ^= x << 5;
      t[static_cast<size_t>(r) * kCols + c] = {kHex[(x >> 4) & 15], kHex[x & 15]};
    }
  }
  return t;
}

const TTexts& Image(int which) {
  static const TTexts a = ImageTexts(1), b = ImageTexts(2);
  return which ? b : a;
}

template <class G>
G* Make(TForm* f) {
  auto* g = new G(f);
  g->SetParent(f);
  g->SetBounds(0, 0, 552, 412);
  g->SetColCount(kCols);
  g->SetRowCount(kRows);
  g->SetFixedCols(1);
  g->SetFixedRows(1);
  g->SetDefaultColWidth(26);
  g->SetDefaultRowHeight(18);
  g->SetColWidths(0, 60);
  return g;
}

struct TSide {
  TForm* Form;
  TStringGrid* Raw;
  TExtStringGrid* Ext;
  TSide() {
    Form = new TForm(Application);
    Form->SetClientSize(1120, 420);
    Raw = Make<TStringGrid>(Form);
    Ext = Make<TExtStringGrid>(Form);
    Ext->SetLeft(560);
    Ext->Loaded();
    Form->Show();
    QCoreApplication::processEvents();
  }
  ~TSide() { delete Form; }
};

TSide& Side() {
  static TSide* s = new TSide;  // lives until exit, as the application does
  return *s;
}

enum TWho { kRaw, kComponent, kComponentEvent, kRawCopy };

void SetEvent(TExtStringGrid* g, bool on) {
  if (on) g->OnGetDisplText = [](TObject*, int, int, std::string&) {};
  else g->OnGetDisplText = nullptr;
}

template <class Put>
void Store(const TTexts& t, Put put) {
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < kCols; ++c) put(c, r, t[static_cast<size_t>(r) * kCols + c]);
}

void Write(TWho who, const TTexts& t) {
  TSide& s = Side();
  if (who == kRaw || who == kRawCopy) Store(t, [&](int c, int r, const std::string& v) { s.Raw->SetCells(c, r, v); });
  else Store(t, [&](int c, int r, const std::string& v) { s.Ext->SetCells(c, r, v); });
}

size_t Read(TWho who) {
  TSide& s = Side();
  size_t sum = 0;
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < kCols; ++c) {
      if (who == kRaw) {
        const std::string& v = s.Raw->Cells(c, r);
        sum += v.size() + static_cast<unsigned char>(v.empty() ? 0 : v[0]);
      } else if (who == kRawCopy) {
        std::string v = s.Raw->Cells(c, r);
        sum += v.size() + static_cast<unsigned char>(v.empty() ? 0 : v[0]);
      } else {
        std::string v = s.Ext->Cells(c, r);
        sum += v.size() + static_cast<unsigned char>(v.empty() ? 0 : v[0]);
      }
    }
  return sum;
}

void BM_CellsWrite(benchmark::State& state) {
  auto who = static_cast<TWho>(state.range(0));
  SetEvent(Side().Ext, who == kComponentEvent);
  int i = 0;
  for (auto _ : state) Write(who, Image(i++ & 1));
  QCoreApplication::processEvents();  // the repaint requests, after timing
  state.SetItemsProcessed(state.iterations() * kRows * kCols);
}

void BM_CellsRead(benchmark::State& state) {
  auto who = static_cast<TWho>(state.range(0));
  SetEvent(Side().Ext, who == kComponentEvent);
  Write(who, Image(0));
  for (auto _ : state) benchmark::DoNotOptimize(Read(who));
  state.SetItemsProcessed(state.iterations() * kRows * kCols);
}

void BM_CellsReadAfterWrite(benchmark::State& state) {
  auto who = static_cast<TWho>(state.range(0));
  SetEvent(Side().Ext, who == kComponentEvent);
  int i = 0;
  for (auto _ : state) {
    Write(who, Image(i++ & 1));
    benchmark::DoNotOptimize(Read(who));
  }
  QCoreApplication::processEvents();
  state.SetItemsProcessed(state.iterations() * kRows * kCols);
}

void Args(benchmark::internal::Benchmark* b) {
  b->ArgName("raw0_component1_event2_rawcopy3")->Arg(kRaw)->Arg(kComponent)->Arg(kComponentEvent);
  b->Unit(benchmark::kMicrosecond)->MinTime(1.0);
}
BENCHMARK(BM_CellsWrite)->Apply(Args);
BENCHMARK(BM_CellsRead)->Apply(Args)->Arg(kRawCopy);
BENCHMARK(BM_CellsReadAfterWrite)->Apply(Args);
}  // namespace


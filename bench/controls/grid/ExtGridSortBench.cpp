// Sorting 1,000,000 data rows x 4 columns, and folding a tree of 1,000,000 rows.
//
// Both sides, the same work: read one column of the same store, make one key per row of the same
// kind with the same parse, order (key, row) stably by the same comparison, and carry the order
// out on the store by the same row exchanges; new data and repeated data alike.
//
// The grid (SortByColumn: keys made once per row through the column's sort style, a stable merge
// sort of row indexes, the order carried out through SwapRows) against a baseline that does the
// same work and nothing more: it reads the same column from the same store (GridCells), parses the
// same keys (the number with std::from_chars, the date with the grid's own ParseDateDMY, the text
// copied), runs std::stable_sort over (key, row) pairs and applies the permutation to the store by
// the same row exchanges (the platform grid's ExchangeRows, following the permutation's cycles).
// Both sort one key (SortSettings.Full off: ties keep their order, which std::stable_sort does too).
// Columns: a number ("123456.78"), a text (8 random letters), a date ("dd/mm/yyyy", ssShortDateEU).
// The sides run in turns in one run (CPU time, median and spread of the rounds' ratios), on a grid
// sorted several times before (steady state: new data writes other values into the sort column
// before every sort, repeated data the same values again, untimed on both sides) and as the first
// sort of a freshly filled grid. Goals: numbers and dates at most 1.5x the baseline, texts at most 1.05x.
//
// The grid alone on other inputs of the same column (repeated data): already sorted, reversed, all
// equal, and half the rows holding one value (the rest random); each should stay within 1.5x of
// random input (no quadratic case).
//
// ContractAll and ExpandAll of 1,000,000 data rows carrying 10,000 nested nodes (blocks of 400 rows:
// a node over the block holding nodes of 200 and 199 rows, the first of them holding one of 100);
// goal: ContractAll under 150 ms, ExpandAll under 200 ms. After the last round trip the table is
// compared with the one before. Repeated folds write their hidden-row records into the storage the
// unfold before left; the first fold of a new grid (BM_FoldFirst, the same goal) has none and is
// measured apart.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "bench/Interleaved.h"
#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtUtil.h"
#include "platform/gui/Forms.h"

namespace {

constexpr int kRows = 1000000;
constexpr int kCols = 4;
enum TKind { kNumber, kText, kDate };
enum TShape { kRandom, kSorted, kReversed, kEqual, kHalfEqual };

TExtStringGrid* MakeGrid() {
  auto* form = new TForm(Application);
  auto* g = new TExtStringGrid(form);
  g->SetParent(form);
  g->SetBounds(0, 0, 400, 300);
  g->SetColCount(kCols);
  g->SetRowCount(kRows + 1);
  g->SetFixedCols(0);
  for (int r = 1; r <= kRows; ++r)
    for (int c = 0; c < kCols; ++c) g->SetGridCells(c, r, "c" + std::to_string(c) + "r" + std::to_string(r));
  return g;
}

// One key, the column's style by its kind.
void SetUpSort(TExtStringGrid* G) {
  G->SortSettings()->Full = false;
  G->OnGetFormat = [](TObject*, int ACol, TSortStyle& S, std::string&, std::string&) {
    S = ACol == kNumber ? ssNumeric : ACol == kDate ? ssShortDateEU : ssAlphabetic;
  };
}

// One grid for every sort, filled once; each run writes only its sort column.
TExtStringGrid* SortGrid() {
  static TExtStringGrid* g = [] {
    TExtStringGrid* x = MakeGrid();
    SetUpSort(x);
    return x;
  }();
  return g;
}

std::string Value(TKind Kind, std::mt19937& G) {
  char b[32];
  switch (Kind) {
    case kNumber:
      std::snprintf(b, sizeof b, "%u.%02u", static_cast<unsigned>(G() % 1000000), static_cast<unsigned>(G() % 100));
      return b;
    case kDate:
      std::snprintf(b, sizeof b, "%02u/%02u/%04u", 1 + static_cast<unsigned>(G() % 28), 1 + static_cast<unsigned>(G() % 12),
                    1970 + static_cast<unsigned>(G() % 60));
      return b;
    default: {
      std::string s(8, 'a');
      for (char& ch : s) ch = static_cast<char>('a' + G() % 26);
      return s;
    }
  }
}

double NumberKey(const std::string& T) {
  double v = 0;
  std::from_chars(T.data(), T.data() + T.size(), v);
  return v;
}

std::vector<std::string> Values(TKind Kind, TShape Shape, unsigned Seed) {
  std::mt19937 g(Seed);
  std::vector<std::string> v(kRows);
  for (auto& s : v) s = Value(Kind, g);
  auto less = [Kind](const std::string& A, const std::string& B) {
    if (Kind == kNumber) return NumberKey(A) < NumberKey(B);
    if (Kind == kDate) return ExtUtil::ParseDateDMY(A) < ExtUtil::ParseDateDMY(B);
    return A < B;
  };
  switch (Shape) {
    case kSorted:
      std::stable_sort(v.begin(), v.end(), less);
      break;
    case kReversed:
      std::stable_sort(v.begin(), v.end(), less);
      std::reverse(v.begin(), v.end());
      break;
    case kEqual:
      std::fill(v.begin(), v.end(), v.front());
      break;
    case kHalfEqual:
      std::fill(v.begin(), v.begin() + kRows / 2, v.front());
      std::shuffle(v.begin(), v.end(), g);
      break;
    default:
      break;
  }
  return v;
}

void Write(TExtStringGrid* G, int Col, const std::vector<std::string>& V) {
  for (int r = 1; r <= kRows; ++r) G->SetGridCells(Col, r, V[static_cast<size_t>(r - 1)]);
}

// The baseline: same column, same keys, std::stable_sort of (key, row), the same exchanges.
template <class TKey, class TParse>
void BaselineSort(TExtStringGrid* G, int Col, TParse&& Parse) {
  std::vector<std::pair<TKey, int>> keys;
  keys.reserve(kRows);
  for (int r = 1; r <= kRows; ++r) keys.emplace_back(Parse(G->GridCells(Col, r)), r);
  std::stable_sort(keys.begin(), keys.end(), [](const auto& A, const auto& B) { return A.first < B.first; });
  std::vector<int> order(keys.size());
  for (size_t k = 0; k < keys.size(); ++k) order[k] = keys[k].second;
  PermuteBySwaps(1, order, [G](int A, int B) { G->ExchangeRows(A, B); });
}

void Baseline(TExtStringGrid* G, TKind Kind) {
  if (Kind == kNumber) BaselineSort<double>(G, Kind, NumberKey);
  else if (Kind == kDate) BaselineSort<double>(G, Kind, [](const std::string& T) { return double(ExtUtil::ParseDateDMY(T)); });
  else BaselineSort<std::string>(G, Kind, [](const std::string& T) { return T; });
}

// The two sides in turns on the same grid (bench/Interleaved.h). Steady state: one grid sorted
// several times before the rounds; each round writes the sort column (untimed) and sorts it.
void BM_SortSteady(benchmark::State& state) {
  TExtStringGrid* g = SortGrid();
  const auto kind = static_cast<TKind>(state.range(0));
  const bool newData = state.range(1) != 0;
  unsigned seed = 11;
  std::vector<std::string> v = Values(kind, kRandom, seed);
  g->SortSettings()->Column = kind;
  for (int i = 0; i < 3; ++i) {
    Write(g, kind, Values(kind, kRandom, 100 + static_cast<unsigned>(i)));
    g->SortByColumn();
  }
  auto prepare = [&] {
    if (newData) v = Values(kind, kRandom, ++seed);
    Write(g, kind, v);
  };
  bench::Interleave(state, 7, {prepare, [&] { g->SortByColumn(); }, {}}, {prepare, [&] { Baseline(g, kind); }, {}});
  state.SetLabel(newData ? "steady, new data" : "steady, repeated data");
}
BENCHMARK(BM_SortSteady)
    ->ArgNames({"kind", "newdata"})
    ->ArgsProduct({{kNumber, kText, kDate}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// The first sort of a freshly filled grid: each round fills a new grid (untimed), then sorts it.
void BM_SortFresh(benchmark::State& state) {
  const auto kind = static_cast<TKind>(state.range(0));
  unsigned seed = 51;
  TExtStringGrid* g = nullptr;
  auto prepare = [&] {
    if (g) delete g->Owner();
    g = MakeGrid();
    SetUpSort(g);
    g->SortSettings()->Column = kind;
    Write(g, kind, Values(kind, kRandom, ++seed));
  };
  bench::Interleave(state, 5, {prepare, [&] { g->SortByColumn(); }, {}}, {prepare, [&] { Baseline(g, kind); }, {}});
  if (g) delete g->Owner();
  state.SetLabel("fresh grid");
}
BENCHMARK(BM_SortFresh)->ArgName("kind")->Arg(kNumber)->Arg(kText)->Arg(kDate)->Unit(benchmark::kMillisecond)->Iterations(1);

// The grid alone on other shapes of the same column (repeated data), against random input.
void BM_SortShape(benchmark::State& state) {
  TExtStringGrid* g = SortGrid();
  const auto kind = static_cast<TKind>(state.range(0));
  const auto shape = static_cast<TShape>(state.range(1));
  const std::vector<std::string> v = Values(kind, shape, 11);
  for (auto _ : state) {
    state.PauseTiming();
    Write(g, kind, v);
    g->SortSettings()->Column = kind;
    state.ResumeTiming();
    g->SortByColumn();
  }
}
BENCHMARK(BM_SortShape)
    ->ArgNames({"kind", "shape"})
    ->ArgsProduct({{kNumber, kText, kDate}, {kRandom, kSorted, kReversed, kEqual, kHalfEqual}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// ---------------------------------------------------------------- folding
TExtStringGrid* MakeTree() {
  TExtStringGrid* x = MakeGrid();
  for (int b = 1; b + 399 <= kRows; b += 400) {
    x->AddNode(b, 400);
    x->AddNode(b + 1, 200);
    x->AddNode(b + 2, 100);
    x->AddNode(b + 201, 199);
  }
  return x;
}

TExtStringGrid* TreeGrid() {
  static TExtStringGrid* g = MakeTree();
  return g;
}

std::vector<std::string> Snapshot(TExtStringGrid* G) {
  std::vector<std::string> v;
  v.reserve(static_cast<size_t>(G->RowCount()) * kCols);
  for (int r = 0; r < G->RowCount(); ++r)
    for (int c = 0; c < kCols; ++c) v.push_back(G->GridCells(c, r) + "/" + std::to_string(G->RowHeights(r)));
  return v;
}

void BM_Fold(benchmark::State& state) {
  TExtStringGrid* g = TreeGrid();
  const bool contract = state.range(0) != 0;
  static const std::vector<std::string> before = Snapshot(g);
  for (auto _ : state) {
    state.PauseTiming();
    contract ? g->ExpandAll() : g->ContractAll();
    state.ResumeTiming();
    contract ? g->ContractAll() : g->ExpandAll();
  }
  g->ExpandAll();
  if (Snapshot(g) != before) state.SkipWithError("the table changed in the round trip");
  state.counters["nodes"] = g->NodeCount();
  state.SetLabel(contract ? "ContractAll" : "ExpandAll");
}
BENCHMARK(BM_Fold)->ArgName("contract")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5)->ReportAggregatesOnly(true);

// The first ContractAll of a grid never folded before (a new tree each round, built and freed
// untimed): the hidden-row list has no storage left by an earlier unfold, so the records go into
// fresh memory.
void BM_FoldFirst(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    TExtStringGrid* g = MakeTree();
    state.ResumeTiming();
    g->ContractAll();
    state.PauseTiming();
    if (g->NumHiddenRows() != kRows - kRows / 400) state.SkipWithError("not every span folded");
    delete g->Owner();
    state.ResumeTiming();
  }
  state.SetLabel("ContractAll, first");
}
BENCHMARK(BM_FoldFirst)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

// Filling a check list box line by line, as the update wizard's file page does: every line
// gets its text, a check, a number and (every tenth) a disabled box, all in one batch under
// BeginUpdate / EndUpdate.
//
// Both sides, the same work: from an empty list, n lines each with its text, check state,
// number, flags and the grey of a disabled line, in a shown list; new data every time.
//
// The baseline fills a bare QListWidget with the same lines: each item set up whole (text,
// check state, flags, the grey foreground of a disabled line, the number) before addItem puts
// it into the list, the fastest way the widget offers. The check list box does the same and
// keeps its own copy of the lines as well, never less work.
//
// The line count doubles from 1,000 to 16,000 so the complexity fit shows the filling is
// linear; the interleaved pair (bench/Interleaved.h) gives the ratio at 1,000 and 16,000
// lines (goal: at most 1.5).
#include <benchmark/benchmark.h>

#include <QBrush>
#include <QListWidget>
#include <string>
#include <vector>

#include "bench/Interleaved.h"
#include "platform/gui/CheckLst.h"
#include "platform/gui/Forms.h"
#include "platform/gui/QtBridge.h"

namespace {

std::vector<std::string> Lines(int n) {
  std::vector<std::string> v;
  v.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) v.push_back("Component file " + std::to_string(i) + " (library)");
  return v;
}

struct TBoxSide {
  TForm Form{nullptr};
  TCheckListBox* Box;
  TBoxSide() : Box(new TCheckListBox(&Form)) {
    Form.SetBounds(0, 0, 400, 300);
    Box->SetParent(&Form);
    Box->SetBounds(0, 0, 380, 280);
    Form.Show();
  }
  void Fill(const std::vector<std::string>& Lines) {
    Box->Clear();
    TStrings* items = Box->Items();
    items->BeginUpdate();
    for (int i = 0; i < static_cast<int>(Lines.size()); ++i) {
      int at = items->Add(Lines[static_cast<size_t>(i)]);
      Box->SetChecked(at, true);
      Box->SetItemData(at, i);
      if (i % 10 == 0) Box->SetItemEnabled(at, false);
    }
    items->EndUpdate();
    benchmark::DoNotOptimize(Box->Count());
  }
};

struct TListSide {
  QListWidget List;
  TListSide() {
    List.setUniformItemSizes(true);
    List.resize(380, 280);
    List.show();
  }
  void Fill(const std::vector<std::string>& Lines) {
    List.clear();
    for (int i = 0; i < static_cast<int>(Lines.size()); ++i) {
      auto* it = new QListWidgetItem(ToQString(Lines[static_cast<size_t>(i)]));
      const bool enabled = i % 10 != 0;
      Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
      if (enabled) f |= Qt::ItemIsEnabled;
      it->setFlags(f);
      if (!enabled) it->setForeground(QBrush(Qt::gray));
      it->setCheckState(Qt::Checked);
      it->setData(Qt::UserRole, i);
      List.addItem(it);
    }
    benchmark::DoNotOptimize(List.count());
  }
};

void BM_CheckListBoxFill(benchmark::State& state) {
  const std::vector<std::string> lines = Lines(static_cast<int>(state.range(0)));
  TBoxSide side;
  for (auto _ : state) side.Fill(lines);
  state.SetComplexityN(state.range(0));
}

void BM_QListWidgetFill(benchmark::State& state) {
  const std::vector<std::string> lines = Lines(static_cast<int>(state.range(0)));
  TListSide side;
  for (auto _ : state) side.Fill(lines);
  state.SetComplexityN(state.range(0));
}

// Both in turns: the check list box's fill over the QListWidget's.
void BM_CheckListAgainstQListWidget(benchmark::State& state) {
  const std::vector<std::string> lines = Lines(static_cast<int>(state.range(0)));
  TBoxSide box;
  TListSide list;
  bench::Interleave(state, 9, {{}, [&] { box.Fill(lines); }, {}}, {{}, [&] { list.Fill(lines); }, {}});
}

}  // namespace

BENCHMARK(BM_CheckListBoxFill)->RangeMultiplier(2)->Range(1000, 16000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_QListWidgetFill)->RangeMultiplier(2)->Range(1000, 16000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_CheckListAgainstQListWidget)->Arg(1000)->Arg(16000)->Unit(benchmark::kMillisecond)->Iterations(1);

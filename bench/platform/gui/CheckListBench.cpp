// Filling a check list box line by line, as the update wizard's file page does: every line
// gets its text, a check, a number and (every tenth) a disabled box, all in one batch under
// BeginUpdate / EndUpdate.
//
// The baseline fills a bare QListWidget with the same lines: one item per line with its
// text, the check state, the same flags and the grey foreground of a disabled line. That is
// the least the widget must be told; the check list box does the same and keeps its own
// copy of the lines as well, never less work.
//
// Each iteration starts from an empty list (new data every time); the line count doubles
// from 1,000 to 16,000 so the complexity fit shows the filling is linear.
#include <benchmark/benchmark.h>

#include <QBrush>
#include <QListWidget>
#include <string>
#include <vector>

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

void BM_CheckListBoxFill(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<std::string> lines = Lines(n);
  TForm form(nullptr);
  form.SetBounds(0, 0, 400, 300);
  auto* box = new TCheckListBox(&form);
  box->SetParent(&form);
  box->SetBounds(0, 0, 380, 280);
  form.Show();
  for (auto _ : state) {
    box->Clear();
    TStrings* items = box->Items();
    items->BeginUpdate();
    for (int i = 0; i < n; ++i) {
      int at = items->Add(lines[static_cast<size_t>(i)]);
      box->SetChecked(at, true);
      box->SetItemData(at, i);
      if (i % 10 == 0) box->SetItemEnabled(at, false);
    }
    items->EndUpdate();
    benchmark::DoNotOptimize(box->Count());
  }
  state.SetComplexityN(n);
}

void BM_QListWidgetFill(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<std::string> lines = Lines(n);
  QListWidget list;
  list.setUniformItemSizes(true);
  list.resize(380, 280);
  list.show();
  for (auto _ : state) {
    list.clear();
    for (int i = 0; i < n; ++i) {
      auto* it = new QListWidgetItem(ToQString(lines[static_cast<size_t>(i)]), &list);
      const bool enabled = i % 10 != 0;
      Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
      if (enabled) f |= Qt::ItemIsEnabled;
      it->setFlags(f);
      it->setForeground(enabled ? QBrush() : QBrush(Qt::gray));
      it->setCheckState(Qt::Checked);
      it->setData(Qt::UserRole, i);
    }
    benchmark::DoNotOptimize(list.count());
  }
  state.SetComplexityN(n);
}

}  // namespace

BENCHMARK(BM_CheckListBoxFill)->RangeMultiplier(2)->Range(1000, 16000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_QListWidgetFill)->RangeMultiplier(2)->Range(1000, 16000)->Unit(benchmark::kMillisecond)->Complexity();

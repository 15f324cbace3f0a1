// The typed edit's lookup list over 10,000 entries, one typed key at a time, and the
// persistence loading a hostile INI file.
//
// Baselines do the same work as ours and no more: the lookup baseline scans the same
// entries for the same prefix without case, sorts the matches and fills the same list box
// (what any drop-down of matches must do); the load baseline reads the same file through
// the same capped reader and parses it as an INI file (what any reader of it must do).
// Each key types a different first letter, so every update finds new matches, and the
// entries are random words, new to the list at every start.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <fstream>
#include <memory>
#include <random>

#include "controls/inspector/ExtEdit.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/SysUtils.h"

namespace {

std::vector<std::string> Words(int n) {
  std::mt19937 rng(7);
  std::vector<std::string> w;
  for (int i = 0; i < n; ++i) {
    std::string s;
    const int len = 3 + static_cast<int>(rng() % 6);
    for (int k = 0; k < len; ++k) s += static_cast<char>('a' + rng() % 26);
    w.push_back(s);
  }
  return w;
}

struct TLookupForm {
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TExtEdit* edit = nullptr;
  TLookupForm() {
    form->SetBounds(0, 0, 300, 100);
    edit = new TExtEdit(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(10, 10, 200, 24);
    edit->Lookup()->Enabled = true;
    edit->Lookup()->SetNumChars(1);
    for (const std::string& w : Words(10000)) edit->Lookup()->DisplayList()->Add(w);
    form->Show();
    edit->SetFocus();
    QApplication::processEvents();
  }
};

void BM_LookupPerTypedKey(benchmark::State& state) {
  TLookupForm f;
  int letter = 0;
  for (auto _ : state) {
    f.edit->SetText("");
    f.edit->Perform(WM_CHAR, static_cast<WPARAM>('a' + letter++ % 26));
    benchmark::DoNotOptimize(f.edit->LookupShown());
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_LookupBaseline(benchmark::State& state) {
  TLookupForm f;
  TListBox* list = f.edit->LookupWindow()->ListControl;
  const TStringList* display = f.edit->Lookup()->DisplayList();
  int letter = 0;
  for (auto _ : state) {
    const std::string key = AnsiUpperCase(std::string(1, static_cast<char>('a' + letter++ % 26)));
    std::vector<std::string> found;
    for (int i = 0; i < display->Count(); ++i)
      if (AnsiUpperCase(display->Get(i).substr(0, key.size())) == key) found.push_back(display->Get(i));
    std::stable_sort(found.begin(), found.end());
    list->Items()->BeginUpdate();
    list->Items()->Clear();
    for (const std::string& s : found) list->Items()->Add(s);
    list->Items()->EndUpdate();
    benchmark::DoNotOptimize(list->Items()->Count());
  }
  state.SetItemsProcessed(state.iterations());
}

std::string HostileIni() {
  std::string path = "/tmp/bench-extedit-" + std::to_string(::getpid()) + ".ini";
  std::ofstream o(path, std::ios::binary);
  o << "[Edits]\nLOOKUPCOUNT=2147483647\n";
  std::mt19937 rng(3);
  // A megabyte of damage: lines without "=", binary bytes, keys of other counts, a few entries.
  while (o.tellp() < (1 << 20) - 200) {
    switch (rng() % 4) {
      case 0: o << "garbage line " << rng() << "\n"; break;
      case 1: for (int k = 0; k < 60; ++k) o << static_cast<char>(1 + rng() % 255); o << "\n"; break;
      case 2: o << "LOOKUPDISPL" << rng() % 5000 << "=entry" << rng() << "\n"; break;
      default: o << "LOOKUPVAL" << rng() % 5000 << "=v\n"; break;
    }
  }
  return path;
}

void BM_LoadHostileIni(benchmark::State& state) {
  const std::string path = HostileIni();
  TExtEdit edit(nullptr);
  edit.SetName("Fruit");
  edit.Lookup()->Enabled = true;
  edit.Lookup()->History = true;
  edit.Persistence()->Enable = true;
  edit.Persistence()->Key = path;
  edit.Persistence()->Section = "Edits";
  for (auto _ : state) {
    edit.LoadPersistence();
    benchmark::DoNotOptimize(edit.Lookup()->DisplayList()->Count());
  }
  edit.Persistence()->Enable = false;
  ::unlink(path.c_str());
}

void BM_LoadHostileIniBaseline(benchmark::State& state) {
  const std::string path = HostileIni();
  for (auto _ : state) {
    TMemIniFile ini("");
    ini.SetText(LoadRegularFileBytes(path, 1 << 20));
    benchmark::DoNotOptimize(ini.ReadString("Edits", "LOOKUPCOUNT", ""));
  }
  ::unlink(path.c_str());
}

}  // namespace

BENCHMARK(BM_LookupPerTypedKey)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LookupBaseline)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadHostileIni)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadHostileIniBaseline)->Unit(benchmark::kMillisecond);

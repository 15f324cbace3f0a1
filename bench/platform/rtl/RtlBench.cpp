// Large string lists (the grid and the device files keep thousands of rows),
// INI lookups and formatting.
#include <benchmark/benchmark.h>

#include "platform/rtl/Classes.h"
#include "platform/rtl/IniFiles.h"

#include <unistd.h>

namespace {

std::vector<std::string> Keys(int n) {
  std::vector<std::string> r;
  r.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) r.push_back("Row" + IntToHex((i * 2654435761u) & 0xFFFFF, 5));
  return r;
}

void BM_SortedAdd(benchmark::State& state) {
  auto keys = Keys(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    TStringList sl;
    sl.SetSorted(true);
    sl.SetDuplicates(dupAccept);
    for (const auto& k : keys) sl.Add(k);
    benchmark::DoNotOptimize(sl.Count());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SortedAdd)->Arg(8192);

void BM_SortThenFind(benchmark::State& state) {
  auto keys = Keys(static_cast<int>(state.range(0)));
  TStringList sl;
  for (const auto& k : keys) sl.Add(k);
  sl.Sort();
  sl.SetSorted(true);
  int idx;
  for (auto _ : state)
    for (const auto& k : keys) benchmark::DoNotOptimize(sl.Find(k, idx));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SortThenFind)->Arg(65536);

void BM_Sort(benchmark::State& state) {
  auto keys = Keys(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    TStringList sl;
    for (const auto& k : keys) sl.Add(k);
    state.ResumeTiming();
    sl.Sort();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Sort)->Arg(65536);

void BM_CommaTextRoundTrip(benchmark::State& state) {
  TStringList sl;
  for (int i = 0; i < 4096; ++i) sl.Add(i % 3 ? IntToHex(i, 2) : "with space " + IntToStr(i));
  for (auto _ : state) {
    TStringList back;
    back.SetCommaText(sl.CommaText());
    benchmark::DoNotOptimize(back.Count());
  }
}
BENCHMARK(BM_CommaTextRoundTrip);

void BM_IniReadAllRegisters(benchmark::State& state) {
  // A device definition: 256 registers with a value and a description each.
  std::string text = "[Device]\r\nAddress=$A0\r\nCount=256\r\n[Registers]\r\n";
  for (int i = 0; i < 256; ++i)
    text += "R" + IntToStr(i) + "=" + IntToHex(i, 2) + "\r\nD" + IntToStr(i) + "=Register " + IntToStr(i) + "\r\n";
  TIniText ini;
  ini.Parse(text);
  std::string v;
  for (auto _ : state)
    for (int i = 0; i < 256; ++i) benchmark::DoNotOptimize(ini.Find("Registers", "D" + IntToStr(i), v));
}
BENCHMARK(BM_IniReadAllRegisters);

void BM_IniFileDeviceSave(benchmark::State& state) {
  // Saving a 256-register device writes 515 keys one by one, each straight to the file.
  std::string file = GetTempDir() + "rtl-bench-" + std::to_string(getpid()) + ".def";
  for (auto _ : state) {
    DeleteFile(file);
    TIniFile ini(file);
    ini.WriteString("Device Data", "Address", "A0");
    ini.WriteInteger("Device Data", "MaxRegister", 255);
    ini.WriteString("Device Data", "Name", "Unknown Device");
    for (int i = 0; i < 256; ++i) {
      ini.WriteString("Register Data", IntToStr(i), "FF");
      ini.WriteString("Register Description", IntToStr(i), "Undefined Register");
    }
  }
  DeleteFile(file);
}
BENCHMARK(BM_IniFileDeviceSave)->Unit(benchmark::kMillisecond);

void BM_FormatHexCell(benchmark::State& state) {
  for (auto _ : state)
    for (int i = 0; i < 256; ++i) benchmark::DoNotOptimize(Format("%.2x", {i}));
  state.SetItemsProcessed(state.iterations() * 256);
}
BENCHMARK(BM_FormatHexCell);

void BM_IntToHex(benchmark::State& state) {
  for (auto _ : state)
    for (int i = 0; i < 256; ++i) benchmark::DoNotOptimize(IntToHex(i, 2));
  state.SetItemsProcessed(state.iterations() * 256);
}
BENCHMARK(BM_IntToHex);

}  // namespace

BENCHMARK_MAIN();

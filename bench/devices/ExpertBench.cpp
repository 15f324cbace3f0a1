// The expert window's pieces that grow with their input: reading and writing
// a data file of the most messages a file may hold, and checking a row of the
// most tokens the message editor gives a row. No baseline: absolute figures.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "devices/ExpertFile.h"

namespace {

std::vector<TExpertRow> Rows(int n) {
  std::vector<TExpertRow> rows;
  for (int i = 0; i < n; ++i)
    rows.push_back({"40", i % 2 ? "Read" : "Write", "10,AB,CD,EF,TH,01,02,03,PL,04,05,06,07,08,09,0A", "Yes",
                    std::to_string(i % 100), "message " + std::to_string(i)});
  return rows;
}

void BM_ReadExpertFile(benchmark::State& state) {
  const std::string bytes = WriteExpertFile(Rows(static_cast<int>(state.range(0))), "01,02,03");
  for (auto _ : state) {
    TExpertFile f;
    std::string error;
    benchmark::DoNotOptimize(ReadExpertFile(bytes, f, error));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ReadExpertFile)->Arg(32)->Arg(ExpertMaxFileRows);

void BM_WriteExpertFile(benchmark::State& state) {
  const auto rows = Rows(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(WriteExpertFile(rows, "01,02,03"));
}
BENCHMARK(BM_WriteExpertFile)->Arg(32)->Arg(ExpertMaxFileRows);

void BM_ParseRowOf128Tokens(benchmark::State& state) {
  std::vector<std::string> tokens;
  for (int i = 0; i < 128; ++i) tokens.push_back(i % 16 == 5 ? "TH" : "A5");
  const TExpertRow row{"40", "Write", JoinExpertTokens(tokens), "Yes", "10", ""};
  for (auto _ : state) {
    TExpertMessage m;
    std::string error;
    benchmark::DoNotOptimize(ParseExpertRow(row, m, error));
  }
}
BENCHMARK(BM_ParseRowOf128Tokens);

}  // namespace

BENCHMARK_MAIN();

// Importing a CSV file of 1,000,000 records x 10 fields (about 60 MB) into the grid component
// against reading the same file into a std::vector<std::vector<std::string>> with a plain
// RFC 4180 loop. Goal: the import within 1.5 times the plain loop. Python's csv.reader building
// lists is timed by csv_python_baseline.py beside this file (goal: the import 3 times faster).
//
// Like for like:
//  - Both read the whole file from disk each iteration (the import through the program's reader
//    of regular files, the loop with one read of the whole file) and keep every field of every
//    record: the grid in its cells, the loop in its vectors, built anew each iteration.
//  - Both take quoted fields with doubled quotes and line breaks inside, and CR LF records.
//  - The import does more than the loop, and that is measured as its cost: it checks the file
//    (UTF-8, NUL bytes, record sizes, unclosed quotes) before it changes the grid, restores the
//    grid's line breaks in fields, and passes every text through the grid's load step.
//  - New data: two files with different texts are imported in turn, so every cell's text is
//    replaced by another (the loop likewise fills new vectors); repeated data: the same file
//    again and again.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "controls/grid/ExtGrid.h"
#include "platform/gui/Forms.h"

namespace {
constexpr int kRecords = 1000000, kFields = 10;

std::string MakeFile(int seed) {
  std::string path = (std::filesystem::temp_directory_path() / ("velmaron-bench-" + std::to_string(seed) + ".csv")).string();
  if (std::filesystem::exists(path) && std::filesystem::file_size(path) > 50000000) return path;
  std::string out;
  out.reserve(64u << 20);
  uint32_t x = 2463534242u ^ (static_cast<uint32_t>(seed) * 2654435761u);
  char buf[32];
  for (int r = 0; r < kRecords; ++r) {
    for (int f = 0; f < kFields; ++f) {
      x ^= x << 13, x ^= x >> 17, x ^= x << 5;
      if (f) out += ',';
      switch (x % 20) {
        case 0: out += "\"quoted, with \"\"marks\"\"\""; break;
        case 1: out += "\"two\r\nlines\""; break;
        default:
          std::snprintf(buf, sizeof buf, "%u", x % 100000);
          out += buf;
      }
    }
    out += "\r\n";
  }
  std::ofstream(path, std::ios::binary) << out;
  return path;
}

const std::string& File(int which) {
  static const std::string a = MakeFile(1), b = MakeFile(2);
  return which ? b : a;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::vector<std::string>> PlainLoop(const std::string& s) {
  std::vector<std::vector<std::string>> rows;
  size_t i = 0, n = s.size();
  while (i < n) {
    std::vector<std::string> rec;
    for (;;) {
      std::string f;
      if (i < n && s[i] == '"') {
        ++i;
        while (i < n) {
          if (s[i] == '"') {
            if (i + 1 < n && s[i + 1] == '"') {
              f += '"';
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          f += s[i++];
        }
      }
      while (i < n && s[i] != ',' && s[i] != '\r' && s[i] != '\n') f += s[i++];
      rec.push_back(std::move(f));
      if (i < n && s[i] == ',') {
        ++i;
        continue;
      }
      break;
    }
    if (i < n && s[i] == '\r') ++i;
    if (i < n && s[i] == '\n') ++i;
    rows.push_back(std::move(rec));
  }
  return rows;
}

TExtStringGrid* Grid() {
  static TExtStringGrid* g = [] {
    auto* f = new TForm(Application);
    auto* grid = new TExtStringGrid(f);
    grid->SetParent(f);
    grid->SetBounds(0, 0, 600, 400);
    grid->Delimiter = ',';
    f->Show();
    QCoreApplication::processEvents();
    return grid;
  }();
  return g;
}

void BM_ImportIntoGrid(benchmark::State& state) {
  const bool fresh = state.range(0);
  int which = 0;
  for (auto _ : state) {
    Grid()->LoadFromCSV(File(which));
    if (fresh) which ^= 1;
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(File(0))));
}

void BM_PlainLoopIntoVectors(benchmark::State& state) {
  const bool fresh = state.range(0);
  int which = 0;
  for (auto _ : state) {
    auto rows = PlainLoop(ReadAll(File(which)));
    benchmark::DoNotOptimize(rows.data());
    if (fresh) which ^= 1;
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(File(0))));
}
}  // namespace

BENCHMARK(BM_ImportIntoGrid)->Arg(1)->Arg(0)->ArgName("new")->Unit(benchmark::kMillisecond)->Iterations(4);
BENCHMARK(BM_PlainLoopIntoVectors)->Arg(1)->Arg(0)->ArgName("new")->Unit(benchmark::kMillisecond)->Iterations(4);

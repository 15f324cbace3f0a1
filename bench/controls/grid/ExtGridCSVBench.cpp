// Importing a CSV file of 1,000,000 records x 10 fields (about 60 MB) into the grid component
// against a plain RFC 4180 loop into a std::vector<std::vector<std::string>>, and 125,000 records
// against Python's csv.reader building lists (csv_python_baseline.py beside this file).
//
// Both sides, the same work: the whole file read into memory inside the timing, every field of
// every record kept as its own string (the grid in its cells, the loop in its vectors); new data
// (two files with other texts in turn) and repeated data (the same file again) alike.
//
// The plain loop finds the next quote, separator or line end with memchr and builds one owned
// std::string per field (one append per unquoted run, one per run between doubled quotes), its
// rows reserved for the record count as the grid sizes its rows once. Both take quoted fields
// with doubled quotes and line breaks inside, and CR LF records. A new grid is timed against the
// loop into new vectors; a grid imported into again against the loop writing into the vectors of
// the last run (texts assigned into the strings there, as the grid replaces its cells' texts).
// The import does more than the loop, and that is measured as its cost: it checks the file
// (UTF-8, NUL bytes, record sizes, unclosed quotes, the grid's limits) before it changes the grid
// or, into rows that hold nothing yet, while it reads (and drops those rows on a fault), and it
// looks for the grid's line-break marks in the file.
//
// The sides run in turns in one run (bench/Interleaved.h: CPU time, median and spread of the
// rounds' ratios). Goals: the import at most 1.5x the loop; at least 3x faster than Python's
// csv.reader at 125,000 records (ratio at most 0.33).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/Interleaved.h"
#include "controls/grid/ExtGrid.h"
#include "platform/gui/Forms.h"

namespace {
constexpr int kRecords = 1000000, kSmallRecords = 125000, kFields = 10;

std::string MakeFile(int seed, int Records) {
  std::string path = (std::filesystem::temp_directory_path() /
                      ("velmaron-bench-" + std::to_string(seed) + "-" + std::to_string(Records) + ".csv"))
                         .string();
  if (std::filesystem::exists(path) && std::filesystem::file_size(path) > static_cast<uintmax_t>(Records) * 50)
    return path;
  std::string out;
  out.reserve(static_cast<size_t>(Records) * 64);
  uint32_t x = 2463534242u ^ (static_cast<uint32_t>(seed) * 2654435761u);
  char buf[32];
  for (int r = 0; r < Records; ++r) {
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
  static const std::string a = MakeFile(1, kRecords), b = MakeFile(2, kRecords);
  return which ? b : a;
}

const std::string& SmallFile() {
  static const std::string a = MakeFile(1, kSmallRecords);
  return a;
}

std::string ReadAll(const std::string& path) {
  std::string s;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return s;
  s.resize(static_cast<size_t>(std::filesystem::file_size(path)));
  s.resize(std::fread(s.data(), 1, s.size(), f));
  std::fclose(f);
  return s;
}

using TRows = std::vector<std::vector<std::string>>;

// One record after another into Rows: a record already there gets its texts assigned into its
// strings, a new one is appended.
void PlainLoop(const std::string& S, TRows& Rows, size_t Reserve) {
  Rows.reserve(Reserve);
  const char* p = S.data();
  const char* const end = p + S.size();
  const char* nl = nullptr;  // the next line end at or after p
  size_t count = 0;
  while (p < end) {
    if (count == Rows.size()) Rows.emplace_back().reserve(kFields);
    std::vector<std::string>& rec = Rows[count++];
    size_t fields = 0;
    for (;;) {
      if (fields == rec.size()) rec.emplace_back();
      std::string& f = rec[fields++];
      f.clear();
      if (p < end && *p == '"') {
        ++p;
        for (;;) {
          const char* q = static_cast<const char*>(std::memchr(p, '"', static_cast<size_t>(end - p)));
          if (!q) {
            f.append(p, end);
            p = end;
            break;
          }
          f.append(p, q);
          p = q + 1;
          if (p < end && *p == '"') {
            f += '"';
            ++p;
            continue;
          }
          break;
        }
      }
      if (!nl || nl < p) {
        nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        if (!nl) nl = end;
      }
      const char* comma = static_cast<const char*>(std::memchr(p, ',', static_cast<size_t>(nl - p)));
      const char* stop = comma ? comma : (nl > p && nl[-1] == '\r' ? nl - 1 : nl);
      if (stop > p) f.append(p, stop);
      p = stop;
      if (comma) {
        ++p;
        continue;
      }
      break;
    }
    rec.resize(fields);
    if (p < end && *p == '\r') ++p;
    if (p < end && *p == '\n') ++p;
  }
  Rows.resize(count);
}

TExtStringGrid* NewGrid(TForm*& Form) {
  delete Form;
  Form = new TForm(Application);
  auto* grid = new TExtStringGrid(Form);
  grid->SetParent(Form);
  grid->SetBounds(0, 0, 600, 400);
  grid->Delimiter = ',';
  Form->Show();
  QCoreApplication::processEvents();
  return grid;
}

// A new grid each round against the loop into new vectors; the files in turn.
void BM_ImportNewGrid(benchmark::State& state) {
  TForm* form = nullptr;
  TExtStringGrid* grid = nullptr;
  TRows rows;
  int which = 0, baseWhich = 0;
  bench::Interleave(
      state, 5, {[&] { grid = NewGrid(form); }, [&] { grid->LoadFromCSV(File(which ^= 1)); }, {}},
      {[&] { TRows().swap(rows); }, [&] { PlainLoop(ReadAll(File(baseWhich ^= 1)), rows, kRecords); }, {}});
  // Both hold the same fields (the last round read the same file on both sides).
  const int r0 = grid->IncludeFixedCells ? 0 : grid->FixedRows(), c0 = grid->IncludeFixedCells ? 0 : grid->FixedCols();
  bool same = rows.size() == kRecords && grid->RowCount() >= r0 + kRecords && grid->ColCount() >= c0 + kFields;
  for (size_t r = 0; same && r < rows.size(); ++r)
    for (size_t c = 0; same && c < kFields; ++c)
      same = rows[r].size() == kFields &&
             grid->GridCells(c0 + static_cast<int>(c), r0 + static_cast<int>(r)) == rows[r][c];
  if (!same) state.SkipWithError("the grid and the loop hold other fields");
  delete form;
}
BENCHMARK(BM_ImportNewGrid)->Unit(benchmark::kMillisecond)->Iterations(1);

// The same grid imported into again against the loop writing into the vectors it filled before.
void BM_ImportReusedGrid(benchmark::State& state) {
  const bool fresh = state.range(0) != 0;
  TForm* form = nullptr;
  TExtStringGrid* grid = NewGrid(form);
  TRows rows;
  int which = 0, baseWhich = 0;
  grid->LoadFromCSV(File(0));
  PlainLoop(ReadAll(File(0)), rows, kRecords);
  bench::Interleave(state, 5, {{}, [&] { grid->LoadFromCSV(File(fresh ? (which ^= 1) : 0)); }, {}},
                    {{}, [&] { PlainLoop(ReadAll(File(fresh ? (baseWhich ^= 1) : 0)), rows, kRecords); }, {}});
  delete form;
  state.SetLabel(fresh ? "new data" : "repeated data");
}
BENCHMARK(BM_ImportReusedGrid)->ArgName("new")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);

// 125,000 records into a new grid against python3's csv.reader into lists (its own CPU time of
// the read, which it prints; the interpreter's start is not counted).
void BM_ImportAgainstPython(benchmark::State& state) {
  const std::string script = std::string(VELMARON_BENCH_DIR) + "/csv_python_baseline.py";
  TForm* form = nullptr;
  TExtStringGrid* grid = nullptr;
  auto python = [&]() -> double {
    std::FILE* p = popen(("python3 '" + script + "' '" + SmallFile() + "'").c_str(), "r");
    if (!p) return 0;
    char line[64] = {};
    const bool got = std::fgets(line, sizeof line, p) != nullptr;
    pclose(p);
    return got ? std::atof(line) : 0;
  };
  if (python() <= 0) state.SkipWithError("python3 did not run the baseline");
  bench::Interleave(state, 5, {[&] { grid = NewGrid(form); }, [&] { grid->LoadFromCSV(SmallFile()); }, {}},
                    {{}, {}, python});
  delete form;
}
BENCHMARK(BM_ImportAgainstPython)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

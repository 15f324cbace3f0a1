// The CSV import on arbitrary bytes, as a file or appended to a grid: a file it refuses leaves the
// grid as it was; one it takes grows the grid no further than the cell limit, and the same file
// imported again into a fresh grid gives the same grid.
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "fuzz/controls/grid/GridFuzzSupport.h"
#include "platform/grid/GridStore.h"

namespace {
std::string gFile;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StartGridFuzz();
  char tmpl[] = "/tmp/velmaron-fuzz-csv-XXXXXX";
  const char* dir = mkdtemp(tmpl);
  gFile = std::string(dir ? dir : "/tmp") + "/input.csv";
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const bool append = size > 0 && (data[0] & 1);
  std::ofstream(gFile, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  TExtStringGrid* g = NewFuzzGrid(size > 0 && (data[0] & 2));
  const std::string before = GridState(*g);
  bool taken = true;
  try {
    g->LoadCSVFile(gFile, append);
  } catch (const EExtGridError&) {
    taken = false;
  }
  if (!taken) {
    Check(GridState(*g) == before, "a refused file changed the grid");
  } else {
    Check(TGridStore::WithinCellLimit(g->ColCount(), g->RowCount()), "the import grew the grid past the cell limit");
    if (!append) {
      TExtStringGrid* h = NewFuzzGrid(size > 0 && (data[0] & 2));
      h->LoadCSVFile(gFile, false);
      Check(GridState(*h) == GridState(*g), "the same file imported twice gave two grids");
      delete h;
    }
  }
  delete g;
  return 0;
}

// The CSV import on arbitrary bytes, as a file or appended to a grid: a file it refuses leaves the
// grid as it was; one it takes grows the grid no further than the cell limit, and the same file
// imported again into a fresh grid gives the same grid. Appended (rows that hold nothing yet, read
// in one pass) it ends as in a grid with a load handler (read after a check), and a refused file
// leaves no row behind.
#include <cstdint>
#include <string>

#include "fuzz/FuzzScratch.h"
#include "fuzz/controls/grid/GridFuzzSupport.h"
#include "platform/grid/GridStore.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StartGridFuzz();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const bool append = size > 0 && (data[0] & 1);
  const std::string file = fuzzscratch::Reset("input.csv", data, size);
  TExtStringGrid* g = NewFuzzGrid(size > 0 && (data[0] & 2));
  const std::string before = GridState(*g);
  const int held = g->Store().RowsHeld();
  bool taken = true;
  std::string refusal;
  try {
    g->LoadCSVFile(file, append);
  } catch (const EExtGridError& e) {
    taken = false;
    refusal = e.Message();
  }
  if (append) {
    TExtStringGrid* h = NewFuzzGrid(size > 0 && (data[0] & 2));
    h->OnLoadCell = [](TObject*, int, int, std::string&) {};
    std::string hRefusal;
    try {
      h->LoadCSVFile(file, true);
    } catch (const EExtGridError& e) {
      hRefusal = e.Message();
    }
    Check(hRefusal == refusal && GridState(*h) == GridState(*g), "the one-pass and the checked reading differ");
    Check(taken || g->Store().RowsHeld() == held, "a refused file left rows behind");
    delete h;
  }
  if (!taken) {
    Check(GridState(*g) == before, "a refused file changed the grid");
  } else {
    Check(TGridStore::WithinCellLimit(g->ColCount(), g->RowCount()), "the import grew the grid past the cell limit");
    if (!append) {
      TExtStringGrid* h = NewFuzzGrid(size > 0 && (data[0] & 2));
      h->LoadCSVFile(file, false);
      Check(GridState(*h) == GridState(*g), "the same file imported twice gave two grids");
      delete h;
    }
  }
  delete g;
  return 0;
}

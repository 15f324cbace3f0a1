// The grid text stream as another program could write it: arbitrary bytes. A stream the reader
// refuses leaves the grid as it was; one it takes grows the grid no further than the cell limit
// and saves to a stream that loads back to the same grid.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "controls/grid/ExtGrid.h"
#include "fuzz/controls/grid/GridFuzzSupport.h"
#include "platform/grid/GridStore.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StartGridFuzz();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TExtStringGrid* g = NewFuzzGrid(size > 0 && (data[0] & 1));
  const std::string before = GridState(*g);
  const int fixedCols = g->FixedCols(), fixedRows = g->FixedRows();
  TMemoryStream s;
  s.Write(data, static_cast<int64_t>(size));
  s.SetPosition(0);
  bool taken = true;
  try {
    g->LoadGridFromStream(&s);
  } catch (const Exception&) {
    taken = false;
  }
  if (!taken) {
    Check(GridState(*g) == before, "a refused stream changed the grid");
  } else {
    Check(TGridStore::WithinCellLimit(g->ColCount(), g->RowCount()) ||
              (g->ColCount() <= 5 && g->RowCount() <= 6),
          "the stream grew the grid past the cell limit");
    Check(s.Position() >= 0 && s.Position() <= s.Size(), "the stream was left outside itself");
    // A grid sized to no data line loses its fixed lines with them: its stream then counts
    // from elsewhere, so only a grid that kept them is compared.
    const bool kept = g->FixedCols() == fixedCols && g->FixedRows() == fixedRows;
    TMemoryStream out;
    g->SaveGridToStream(&out);
    TExtStringGrid* h = NewFuzzGrid(size > 0 && (data[0] & 1));
    // The reader leaves cells it has no line for: the saved grid is read into an empty one.
    h->ClearAll();
    out.SetPosition(0);
    h->LoadGridFromStream(&out);
    TMemoryStream again;
    h->SaveGridToStream(&again);
    Check(!kept || again.Bytes() == out.Bytes(), "a saved stream did not load back to the same grid");
    delete h;
  }
  delete g;
  return 0;
}

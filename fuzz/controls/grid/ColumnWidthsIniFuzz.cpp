// The column-width INI file on arbitrary bytes: the widths read from it stay within their range;
// the save from the grid's destructor either writes a file that gives the same widths back, or,
// reported to the application, leaves the file byte for byte as it was.
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "fuzz/FuzzScratch.h"
#include "fuzz/controls/grid/GridFuzzSupport.h"

namespace {
std::string gFile;

std::string Contents() {
  std::ifstream in(gFile, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TExtStringGrid* WidthsGrid() {
  TExtStringGrid* g = NewFuzzGrid(true);
  g->ColumnSize()->Save = true;
  g->ColumnSize()->Location = clIniFile;
  g->ColumnSize()->Key = "widths.ini";
  g->ColumnSize()->Section = "Widths";
  g->Loaded();
  for (int c = 0; c < g->ColCount(); ++c)
    Check(g->ColWidths(c) >= 0 && g->ColWidths(c) <= TExtStringGrid::MaxStoredWidth, "a width out of its range");
  return g;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StartGridFuzz();
  setenv("VELMARON_CONFIG_DIR", fuzzscratch::Root().c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  gFile = fuzzscratch::Reset("widths.ini", data, size);
  int reported = 0;
  Application->OnException = [&](TObject*, Exception&) { ++reported; };
  TExtStringGrid* g = WidthsGrid();
  std::string widths;
  for (int c = 0; c < g->ColCount(); ++c) widths += std::to_string(g->ColWidths(c)) + ",";
  delete g;  // saves
  if (reported) {
    Check(Contents() == bytes, "a file the save refused was changed");
  } else {
    TExtStringGrid* h = WidthsGrid();
    std::string again;
    for (int c = 0; c < h->ColCount(); ++c) again += std::to_string(h->ColWidths(c)) + ",";
    h->ColumnSize()->Save = false;
    delete h;
    Check(again == widths, "the saved widths did not read back");
  }
  Application->OnException = nullptr;
  return 0;
}

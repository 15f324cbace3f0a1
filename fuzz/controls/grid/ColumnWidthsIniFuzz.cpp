// The column-width INI file on arbitrary bytes: the widths read from it stay within their range;
// the save from the grid's destructor either writes a file that gives the same widths back, or,
// reported to the application, leaves the file byte for byte as it was.
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "fuzz/controls/grid/GridFuzzSupport.h"

namespace {
std::string gDir, gFile;

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
  char tmpl[] = "/tmp/velmaron-fuzz-widths-XXXXXX";
  const char* dir = mkdtemp(tmpl);
  gDir = dir ? dir : "/tmp";
  gFile = gDir + "/widths.ini";
  setenv("VELMARON_CONFIG_DIR", gDir.c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::ofstream(gFile, std::ios::binary | std::ios::trunc) << bytes;
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

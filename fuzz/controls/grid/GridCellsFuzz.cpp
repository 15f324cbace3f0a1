// The private cell format as another process could put it on the clipboard: arbitrary bytes,
// or a good block (pictures of every kind among its cells) with bytes of the input written over it. A stream the reader refuses leaves
// the grid exactly as it was; one it takes encodes to a stream that reads back the same.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/GridCellIO.h"
#include "platform/gui/Forms.h"
#include "fuzz/FuzzInput.h"

namespace {
TForm* gForm = nullptr;
std::string gGood;

TExtStringGrid* NewGrid() {
  auto* g = new TExtStringGrid(gForm);
  g->SetParent(gForm);
  g->SetColCount(5);
  g->SetRowCount(6);
  g->SetOptions(g->Options() | goEditing);
  g->Navigation()->AllowFmtClipboard = true;
  for (int r = 0; r < g->RowCount(); ++r)
    for (int c = 0; c < g->ColCount(); ++c) g->SetCells(c, r, std::to_string(c * 10 + r));
  return g;
}

std::string State(TExtStringGrid& g) {
  std::string s = std::to_string(g.ColCount()) + "x" + std::to_string(g.RowCount());
  for (int c = 0; c < g.ColCount(); ++c) s += "," + std::to_string(g.ColWidths(c));
  for (int r = 0; r < g.RowCount(); ++r)
    for (int c = 0; c < g.ColCount(); ++c) {
      s += "|" + g.GridCells(c, r);
      if (TCellProperties* p = g.CellPropertiesOrNull(c, r)) s += "#" + std::to_string(p->BrushColor());
    }
  return s;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  Application->Initialize();
  gForm = new TForm(Application);
  // A good block with every kind of record, for the overwriting mode.
  TExtStringGrid* g = NewGrid();
  g->SetColors(1, 1, clRed);
  g->AddRadio(2, 2, true, 0, {"a", "b"});
  g->SetReadOnly(3, 3, true);
  // Pictures of each record kind, small enough for the overwriting to reach their headers.
  TBitmap bmp;
  bmp.SetSize(3, 2);
  bmp.Canvas()->Brush()->SetColor(clBlue);
  bmp.Canvas()->FillRect(TRect(0, 0, 3, 2));
  g->AddBitmap(1, 4, &bmp, false, haLeft, vaTop);
  g->AddPicture(2, 4, &bmp, false, 0, 0, haLeft, vaTop);
  TIcon icon;
  icon.Assign(&bmp);
  g->AddIcon(3, 4, &icon, haLeft, vaTop);
  TCellGraphic* f = g->AddRotated(4, 4, 0, "f");
  f->CellType = ctFilePicture;
  f->FilePicture = std::make_shared<TFilePicture>();
  f->FilePicture->SetFilenameUnread("/nonexistent/p.png", 3, 2);
  gGood = g->EncodeCells({0, 0, 4, 5});
  delete g;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  std::string bytes;
  if (data[0] & 1) {
    bytes.assign(reinterpret_cast<const char*>(data) + 1, size - 1);
  } else {
    // Pairs of (position, byte) written over the good block; a last odd byte cuts it.
    bytes = gGood;
    size_t i = 1;
    for (; i + 2 < size; i += 3) bytes[(size_t(data[i]) << 8 | data[i + 1]) % bytes.size()] = char(data[i + 2]);
    if (i < size) bytes.resize(bytes.size() * data[i] / 256 + 1);
  }
  TGridCellBlock block;
  std::string error;
  const bool good = DecodeCellBlock(bytes, block, error);
  if (good) {
    const std::string again = EncodeCellBlock(block);
    TGridCellBlock second;
    Check(DecodeCellBlock(again, second, error), "what was read and written again reads");
    Check(EncodeCellBlock(second) == again, "reading and writing are stable");
  } else {
    Check(block.Cells.empty() && !error.empty(), "a refused stream gives nothing and says why");
  }
  TExtStringGrid* g = NewGrid();
  const std::string before = State(*g);
  TGridRect w;
  const int n = g->PasteEncodedCells(TPoint(data[0] >> 5, data[0] >> 6), bytes, w);
  if (!good) Check(n == 0 && State(*g) == before, "a refused stream changes nothing");
  delete g;
  return 0;
}

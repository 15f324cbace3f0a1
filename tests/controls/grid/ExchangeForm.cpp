// A form for trying drag and drop with other programs by hand under a display server (not a
// test): two grids that drag rows to each other, take dropped text and CSV files and copy and
// paste every clipboard format (one cell holds rich text, one a picture), and an inspector bar that takes
// dropped files (they become rows with their icons). What arrives is written to standard output.
#include <QApplication>
#include <cstdio>

#include "controls/grid/ExtGrid.h"
#include "controls/inspector/InspectorBar.h"
#include "platform/gui/Forms.h"

namespace {
void Say(const std::string& s) {
  std::printf("%s\n", s.c_str());
  std::fflush(stdout);
}

TExtStringGrid* MakeGrid(TForm* form, const std::string& name, int left) {
  auto* g = new TExtStringGrid(form);
  g->SetParent(form);
  g->SetBounds(left, 10, 300, 300);
  g->SetColCount(4);
  g->SetRowCount(8);
  g->SetDefaultColWidth(64);
  g->SetOptions((g->Options() & ~goEditing) | goRowSelect);
  for (int r = 1; r < 8; ++r)
    for (int c = 0; c < 4; ++c) g->SetCells(c, r, name + std::to_string(r) + std::to_string(c));
  g->SetCells(1, 1, "µA Ω");  // what leaves for another program is UTF-8
  // Cells other programs misread unless quoted: a TAB, a leading quote, a line break.
  g->SetCells(2, 4, "say \"hi\"\tthere");
  g->SetCells(3, 5, "\"start quote");
  g->SetCells(0, 6, "two\nlines");
  g->Navigation()->AllowClipboardShortCuts = true;
  g->Navigation()->AllowFmtClipboard = true;
  g->Navigation()->AllowRTFClipboard = true;
  g->Navigation()->AllowClipboardAlways = true;
  g->SetCells(1, 2, "{\\rtf1\\ansi rich}");
  // A picture cell: its bitmap travels with the cell through the private format.
  TBitmap bmp;
  bmp.SetSize(14, 14);
  bmp.Canvas()->Brush()->SetColor(name == "left" ? clRed : clBlue);
  bmp.Canvas()->FillRect(TRect(0, 0, 14, 14));
  g->AddBitmap(2, 3, &bmp, false, haRight, vaCenter);
  TDragDropSettings* d = g->DragDropSettings();
  d->OleDropSource = true;
  d->SetOleDropTarget(true);
  d->OleEntireRows = true;
  d->OleRemoveRows = true;
  d->OleInsertRows = true;
  g->OnOleDropped = [name](TObject*, TGridRect r) {
    Say(name + " dropped rows " + std::to_string(r.Top) + "-" + std::to_string(r.Bottom));
  };
  g->OnOleDropFile = [name](TObject*, int, int, const std::string& f, bool&) { Say(name + " file " + f); };
  g->OnOleDrop = [name, g](TObject*, int r, int c, const std::string& data, bool&) {
    Say(name + " drop at " + std::to_string(c) + "," + std::to_string(r) + ": " + data);
    (void)g;
  };
  g->Loaded();
  return g;
}
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Application->Initialize();
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetCaption("Exchange");
  form->SetBounds(10, 10, 880, 330);
  MakeGrid(form, "left", 10);
  MakeGrid(form, "right", 320);
  auto* bar = new TInspectorBar(form);
  bar->SetParent(form);
  bar->SetAlign(alNone);
  bar->SetBounds(630, 10, 230, 300);
  TInspectorPanel* p = bar->Panels()->Add();
  p->SetCaption("Dropped files");
  p->SetStyle(psSmallIcon);
  p->SetItemHeight(22);
  bar->SetAcceptFiles(true);
  bar->OnFileDrop = [](TObject*, const std::string& f, bool&) { Say("bar file " + f); };
  form->Show();
  Application->Run();
  return 0;
}

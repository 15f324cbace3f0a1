// A form for driving sorting, tree nodes and cell graphics by hand under a display server. Above,
// a table: a click on a header sorts it (again: the other direction), Shift+click adds a sort key
// (each key shows its numbered mark); after every header click the equal names of the name column
// merge into one cell per run.
// Below, groups under merged header rows: the signs in column 0 fold and unfold them, and so do
// Left and Right on a header row; the last row shows every drawn graphic kind. With an argument
// the progress bars take the desktop's themed look.
#include <QApplication>

#include "controls/grid/ExtGrid.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"
#include "tests/controls/grid/TwoImageStrip.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Application->Initialize();
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetCaption("Grid tree");
  form->SetBounds(5, 20, 900, 620);
  // Above: a flat table sorted by header clicks.
  auto* table = new TExtStringGrid(form);
  table->SetParent(form);
  table->SetAlign(alTop);
  table->SetHeight(250);
  table->SetColCount(4);
  table->SetRowCount(21);
  table->SetDefaultColWidth(140);
  const char* cols[] = {"#", "name", "value", "date"};
  const char* words[] = {"delta", "alpha", "echo", "charlie", "bravo", "alpha", "foxtrot"};
  for (int c = 0; c < 4; ++c) table->SetCells(c, 0, cols[c]);
  for (int i = 1; i <= 20; ++i) {
    table->SetCells(0, i, std::to_string(i));
    table->SetCells(1, i, words[(i * 5) % 7]);
    table->SetCells(2, i, std::to_string((i * 37) % 23 - 5));
    table->SetCells(3, i, std::to_string(10 + (i * 7) % 18) + "/0" + std::to_string(1 + (i * 2) % 9) + "/20" +
                              std::to_string(10 + i % 3));
  }
  table->SortSettings()->SetShow(true);
  table->SortSettings()->IndexShow = true;
  table->SortSettings()->NormalCellsOnly = true;
  table->SortSettings()->AutoColumnMerge = true;
  table->SetMergeColumns({1});
  table->OnGetFormat = [](TObject*, int ACol, TSortStyle& S, std::string&, std::string&) {
    S = ACol == 2 ? ssNumeric : ACol == 3 ? ssShortDateEU : ssAlphabetic;
  };
  // Below: a tree of groups and a row of every graphic kind.
  auto* grid = new TExtStringGrid(form);
  grid->SetParent(form);
  grid->SetAlign(alClient);
  grid->SetColCount(6);
  grid->SetDefaultColWidth(120);
  grid->SetColWidths(0, 40);
  grid->SetDefaultRowHeight(24);
  const char* heads[] = {"", "name", "value", "date", "level", "note"};
  for (int c = 0; c < 6; ++c) grid->SetCells(c, 0, heads[c]);
  // Three groups of five rows, each under a header row merged across the columns.
  const char* names[] = {"delta", "alpha", "echo", "charlie", "bravo"};
  grid->SetRowCount(1 + 3 * 6 + 1);
  int r = 1;
  for (int g = 0; g < 3; ++g) {
    grid->SetCells(1, r, "group " + std::to_string(g + 1));
    grid->MergeCells(1, r, 5, 1);
    const int node = r++;
    for (int i = 0; i < 5; ++i, ++r) {
      grid->SetCells(1, r, std::string(names[(i + g) % 5]) + " " + std::to_string(g + 1));
      grid->SetCells(2, r, std::to_string((i * 37 + g * 11) % 50 - 10));
      grid->SetCells(3, r, "0" + std::to_string(1 + (i * 3 + g) % 9) + "/0" + std::to_string(1 + (i + g) % 9) + "/20" +
                               std::to_string(10 + i + g));
      grid->SetCells(4, r, std::to_string((i * 23 + g * 30) % 101));
      grid->AddProgress(4, r, clHighlight, clWindow);
    }
    grid->AddNode(node, 6);
  }
  // Every drawn kind once, in the last row.
  const int last = r;
  TCustomImageList images(form);
  AddRedAndBlueImages(images);
  grid->GridImages = &images;
  TBitmap bmp(12, 12);
  bmp.Canvas()->Brush()->SetColor(clGreen);
  bmp.Canvas()->FillRect(TRect(0, 0, 12, 12));
  grid->AddBitmap(1, last, &bmp, false, haLeft, vaCenter);
  grid->SetCells(1, last, "bitmap");
  grid->AddMultiImage(2, last, true, {0, 1, 0}, haLeft, vaCenter);
  grid->SetCells(3, last, "75");
  grid->AddProgressPie(3, last, clRed);
  grid->SetCells(4, last, "-40");
  grid->AddRangeIndicator(4, last, clLime, clRed);
  grid->SetCells(5, last, "note");
  grid->AddComment(5, last, "a comment");
  grid->SetRowHeights(last, 40);
  grid->AddRotated(0, last, 90, "up");
  grid->ControlLook()->SetControlStyle(csTheme);
  grid->ControlLook()->SetProgressXP(argc > 1);
  form->Show();
  return app.exec();
}

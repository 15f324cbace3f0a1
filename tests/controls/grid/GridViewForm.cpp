// A form with a 4097-row grid for driving its view by hand under a display server: sizing,
// thumb dragging with the scroll hint, drag scrolling, cell hints with markup, balloon tips,
// typing to jump, the search footer and the floating footer (argument: last, column or
// template; the search footer is hidden with "nosearch"; "tiles" tiles a picture in the cells;
// "stretch" stretches the last of five columns; "nomatch" filters every row away, F9 switches it).
#include <QApplication>

#include <cstdio>
#include <string>

#include "controls/grid/ExtGrid.h"
#include "platform/gui/Forms.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Application->Initialize();
  const std::string style = argc > 1 ? argv[1] : "last";
  const bool search = !(argc > 2 && std::string(argv[2]) == "nosearch");
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetCaption("Grid view");
  form->SetBounds(20, 20, 900, 600);
  auto* grid = new TExtStringGrid(form);
  grid->SetParent(form);
  grid->SetAlign(alClient);
  grid->SetColCount(17);
  grid->SetRowCount(4097);
  grid->SetDefaultColWidth(48);
  grid->SetColWidths(1, 110);
  grid->SetOptions(grid->Options() | goColSizing | goRowSizing);
  grid->EnableHTML = true;
  grid->SetShowHint(true);
  grid->HintShowCells = true;
  grid->HTMLHint = true;
  grid->HintShowSizing = true;
  grid->ScrollHints = shVertical;
  grid->DragScrollOptions()->SetActive(true);
  grid->Navigation()->AutoGotoWhenSorted = true;
  grid->Navigation()->AutoGotoIncremental = true;
  grid->SortSettings()->Column = 1;
  grid->Balloon()->InitialDelay = 400;
  grid->Balloon()->SetEnable(true);
  grid->OnCellBalloon = [](TObject*, int c, int r, std::string& t, std::string&, int& i) {
    t = "Cell " + std::to_string(c) + ", " + std::to_string(r);
    i = 1 + r % 3;
  };
  char buf[16];
  for (int c = 2; c < 17; ++c) {
    std::snprintf(buf, sizeof buf, "%X", c - 2);
    grid->SetCells(c, 0, buf);
  }
  grid->SetCells(1, 0, "name");
  for (int r = 1; r < 4096; ++r) {
    std::snprintf(buf, sizeof buf, "%04X", (r - 1) * 16);
    grid->SetCells(0, r, buf);
    std::snprintf(buf, sizeof buf, "item %04d", r);
    grid->SetCells(1, r, buf);
    for (int c = 2; c < 17; ++c) {
      std::snprintf(buf, sizeof buf, "%02X", (r * 7 + c * 13) & 0xFF);
      grid->SetCells(c, r, buf);
    }
  }
  grid->SetCells(1, 3, "<b>bold</b> and <font color=\"clred\">red</font> & more");
  grid->SetCells(1, 4, "plain a<b & c with a long tail that does not fit its cell");
  grid->SetCells(0, 4096, "total");
  grid->SetCells(1, 4096, "4095 rows");
  for (int c = 2; c < 17; ++c) grid->SetCells(c, 4096, "ff");
  grid->SetColors(3, 4096, clAqua);
  TFloatingFooter* f = grid->FloatingFooter();
  f->SetFooterStyle(style == "column" ? fsColumnPreview : style == "template" ? fsCustomPreview : fsFixedLastRow);
  f->SetColumn(1);
  f->SetCustomTemplate("Row <b><#1></b>: first byte <#2>, second <#3> <#-1>");
  f->SetColor(TColorOf(0xE0F0FF));
  f->SetShowHint(true);
  grid->OnGridHint = [](TObject*, int r, int c, std::string& h) {
    if (r == 4096) h = "footer of column " + std::to_string(c);
  };
  f->SetVisible(true);
  grid->SearchFooter()->SetVisible(search);
  TBitmap tile(23, 17);
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 23; ++x) tile.Canvas()->SetPixels(x, y, (x / 6 + y / 5) % 2 ? TColorOf(0xFFE0C0) : clWhite);
  tile.Canvas()->Pen()->SetColor(clRed);
  tile.Canvas()->MoveTo(0, 0);
  tile.Canvas()->LineTo(23, 17);
  for (int i = 1; i < argc; ++i)
    if (std::string(argv[i]) == "tiles") {
      grid->BackGround()->SetBitmap(&tile);
      grid->BackGround()->SetDisplay(bdTile);
      grid->BackGround()->SetCells(bcNormal);
    }
  grid->Loaded();
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "stretch") {  // five columns, the last stretched to the width
      grid->SetColCount(5);
      grid->SetScrollBars(ssBoth);
      grid->ColumnSize()->SetStretch(true);
      grid->StretchColumn(-1);
      grid->OnKeyDown = [grid](TObject*, WORD& k, TShiftState) {  // F8 prints the client and the columns' span
        if (k != VK_F8) return;
        int span = 0;
        for (int c = 0; c < grid->ColCount(); ++c) span += grid->ColWidths(c) + grid->GridLineWidth();
        std::fprintf(stderr, "client %d x %d, columns %d\n", grid->ClientWidth(), grid->ClientHeight(), span);
      };
    } else if (a == "nomatch") {  // a filter no row passes; F9 switches it
      grid->SetOptions(grid->Options() | goEditing);
      TFilterData* d = grid->Filter()->Add();
      d->Column = 1;
      d->Condition = "no such item";
      grid->SetFilterActive(true);
      grid->OnKeyDown = [grid](TObject*, WORD& k, TShiftState) {
        if (k == VK_F9) grid->SetFilterActive(!grid->FilterActive());
      };
    }
  }
  form->Show();
  return app.exec();
}

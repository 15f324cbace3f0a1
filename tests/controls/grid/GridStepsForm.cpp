// A form for trying typing and clicking steps by hand under a display server (not a test). The
// argument picks the grid's set-up: "footer" (a sum and a count footer, Insert and Delete add and
// remove rows, Ctrl+V pastes), "cols" (columns marked by keys), "edit" (one click edits, a row
// indicator, rows and columns sized while typing, a two-digit masked column that goes on when full),
// "headers" (list-view headers, columns and rows sized by mouse; a second argument "plain" draws
// without visual styles), "wrap" (WordWrap and Multilinecells, a tall row 2 whose first cell holds
// two lines), "rows" (row selection; the caption names the current cell after each key).
#include <QApplication>

#include <string>

#include "controls/grid/ExtGrid.h"
#include "platform/gui/Forms.h"
#include "platform/gui/VisualStyles.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc > 2 && std::string(argv[2]) == "plain") SetVisualStylesLoader([] { return std::unique_ptr<TVisualStylesLibrary>(); });
  Application->Initialize();
  const std::string mode = argc > 1 ? argv[1] : "edit";
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetCaption("Grid steps: " + mode);
  form->SetBounds(20, 20, 640, 420);
  auto* grid = new TExtStringGrid(form);
  grid->SetParent(form);
  grid->SetAlign(alClient);
  grid->SetColCount(5);
  grid->SetRowCount(10);
  grid->SetOptions(grid->Options() | goEditing | goTabs);
  for (int r = 1; r < 10; ++r) {
    grid->SetCells(0, r, std::to_string(r));
    for (int c = 1; c < 5; ++c) grid->SetCells(c, r, std::to_string(c * r));
  }
  TBitmap indicator(10, 10);
  if (mode == "footer") {
    grid->FloatingFooter()->SetVisible(true);
    grid->GetCellProperties(1, 9)->FooterCalc = 1;
    grid->GetCellProperties(2, 9)->FooterCalc = 3;
    grid->Navigation()->AllowInsertRow = true;
    grid->Navigation()->AllowDeleteRow = true;
    grid->Navigation()->AllowClipboardShortCuts = true;
  } else if (mode == "cols") {
    grid->SetOptions(grid->Options() & ~goEditing);
    grid->MouseActions()->SetDisjunctColSelect(true);
  } else if (mode == "wrap") {
    grid->SetWordWrap(true);
    grid->Multilinecells = true;
    grid->SetRowHeights(2, 60);
    grid->SetCells(1, 2, "first line\r\nsecond line");
  } else if (mode == "rows") {
    grid->SetOptions(grid->Options() | goRowSelect);
    grid->OnKeyUp = [form, grid](TObject*, WORD&, TShiftState) {
      form->SetCaption("Grid steps: rows col " + std::to_string(grid->Col()) + " row " + std::to_string(grid->Row()));
    };
  } else if (mode == "headers") {
    grid->SetLook(glListView);
    grid->SetOptions(grid->Options() | goColSizing | goRowSizing);
  } else {
    indicator.Canvas()->Brush()->SetColor(clWhite);  // the corner pixel's colour draws transparent
    indicator.Canvas()->FillRect(TRect(0, 0, 10, 10));
    indicator.Canvas()->Brush()->SetColor(clRed);
    indicator.Canvas()->FillRect(TRect(2, 1, 8, 9));
    grid->SetRowIndicator(&indicator);
    grid->MouseActions()->DirectEdit = true;
    grid->SizeWhileTyping()->Height = true;
    grid->SizeWhileTyping()->Width = true;
    grid->Multilinecells = true;
    grid->Navigation()->AdvanceAuto = true;
    grid->OnGetEditMask = [](TObject*, int c, int, std::string& m) { m = c == 4 ? "00;1;_" : ""; };
  }
  grid->Loaded();
  grid->CalcFooter(-1);
  form->Show();
  grid->SetFocus();
  return QApplication::exec();
}

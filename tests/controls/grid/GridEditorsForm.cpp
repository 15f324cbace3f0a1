// A form with a grid whose columns open every in-cell editor kind, for driving by hand
// under a display server (one column per kind; F2 or a click opens the cell's control).
// Each spin step is written to stdout ("spin <value>"), and each change of a date picker's value
// ("date <value>"), so a script can count a held button's repeats (tools/spin-repeat.sh).
// Two columns follow the kinds: plain text and a check box. Arguments switch options on:
// "walk" (arrows walk out of the editor), "caret" (a click places the caret), "dropsize" (the
// combo's list fits its items), "lookup" (the combo completes typing), "excel" (the keypad's point
// types the locale's separator), "norange" and "noscroll" (presses on the partly shown last row),
// "grow" (rows grow while typing), "clip" (Ctrl+C copies, a rich cell as RTF too), "stretch" (the
// first four kinds only, the combo's column stretched to the width), "dragradio" (editing off, the
// selection dragged, side-by-side radio groups in the text column that always work), "fixedbox"
// (check boxes in the fixed column too). Radio choices print "radio <col> <row> <index>", check box
// releases "checkup <col> <row>".
#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <string>

#include "tests/controls/grid/TextEditLink.h"

#include "controls/edits/EsgEdits.h"
#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtGridEditors.h"
#include "platform/gui/Forms.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Application->Initialize();
  static const std::pair<TEditorType, const char*> kinds[] = {
      {edSpinEdit, "spin"},         {edFloatSpinEdit, "float spin"}, {edDateSpinEdit, "date spin"},
      {edComboEdit, "combo"},       {edComboList, "list"},           {edCheckBox, "check"},
      {edDataCheckBox, "data check"}, {edDateEdit, "date"},          {edTimeEdit, "time"},
      {edButton, "button"},         {edEditBtn, "edit btn"},         {edUnitEditBtn, "unit"},
      {edUniEdit, "wide"},          {edUniMemo, "memo"},             {edDateEditUpDown, "date up-down"},
      {edCustom, "popup"},          {edRichEdit, "rich"},
  };
  const int n = static_cast<int>(std::size(kinds));
  const int textCol = n + 1, boxCol = n + 2;
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetCaption("Grid editors");
  form->SetBounds(5, 20, 1270, 320);
  auto* grid = new TExtStringGrid(form);
  grid->SetParent(form);
  grid->SetAlign(alClient);
  grid->SetColCount(n + 3);
  grid->SetRowCount(20);
  grid->SetDefaultColWidth(74);
  grid->SetOptions(grid->Options() | goEditing | goTabs);
  const std::string samples[] = {"42", "1.5", DateToStr(Date()), "alpha", "one", "caption", "Y",
                                 DateToStr(Date()), TimeToStr(Time()), "press", "text", "12mV", "wide", "memo",
                                 DateToStr(Date()), "custom",
                                 "{\\rtf1\\ansi{\\colortbl;\\red200\\green0\\blue0;}\\cf1\\b bold\\b0  plain}"};
  for (int c = 0; c < n; ++c) {
    grid->SetCells(c + 1, 0, kinds[c].second);
    for (int r = 1; r < grid->RowCount(); ++r) grid->SetCells(c + 1, r, samples[c]);
  }
  grid->SetCells(textCol, 0, "text");
  grid->SetCells(boxCol, 0, "box");
  for (int r = 1; r < grid->RowCount(); ++r) {
    grid->SetCells(textCol, r, "text " + std::to_string(r));
    grid->AddCheckBox(boxCol, r, false, false);
  }
  // The time column fits a time with a two-digit hour, so no time of the day wraps in it.
  for (int c = 0; c < n; ++c)
    if (kinds[c].first == edTimeEdit) {
      grid->Canvas()->Font()->Assign(grid->Font());
      const int w = grid->Canvas()->TextWidth(TimeToStr(EncodeTime(22, 58, 58, 0))) + 12;
      grid->SetColWidths(c + 1, std::max(grid->DefaultColWidth(), w));
    }
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "walk") grid->Navigation()->CursorWalkEditor = true;
    if (a == "caret") grid->MouseActions()->CaretPositioning = true;
    if (a == "dropsize") grid->Navigation()->AutoComboDropSize = true;
    if (a == "lookup") grid->Lookup = true;
    if (a == "excel") grid->ExcelStyleDecimalSeparator = true;
    if (a == "norange") grid->MouseActions()->NoAutoRangeScroll = true;
    if (a == "noscroll") grid->MouseActions()->NoScrollOnPartialRow = true;
    if (a == "grow") grid->SizeWhileTyping()->Height = true;
    if (a == "clip") grid->Navigation()->AllowClipboardShortCuts = grid->Navigation()->AllowRTFClipboard = true;
    if (a == "stretch") {
      grid->SetColCount(5);
      grid->ColumnSize()->SetStretch(true);
    }
    if (a == "dragradio") {
      grid->SetOptions(grid->Options() & ~goEditing);
      grid->DragDropSettings()->OleDropSource = true;
      grid->ControlLook()->RadioAlwaysActive = true;
      for (int r = 1; r < grid->RowCount(); ++r) grid->AddRadio(textCol, r, true, 0, {"A", "BB", "C"});
    }
    if (a == "fixedbox")
      for (int r = 1; r < grid->RowCount(); ++r) grid->AddCheckBox(0, r, false, false);
  }
  grid->OnRadioClick = [](TObject*, int c, int r, int i) {
    printf("radio %d %d %d\n", c, r, i);
    fflush(stdout);
  };
  grid->OnCheckBoxMouseUp = [](TObject*, int c, int r, bool) {
    printf("checkup %d %d\n", c, r);
    fflush(stdout);
  };
  grid->OnGetEditorType = [&](TObject*, int c, int, TEditorType& e) {
    if (c >= 1 && c <= n) e = kinds[c - 1].first;
  };
  grid->OnEllipsClick = [](TObject*, int, int, std::string& s) { s += "!"; };
  grid->OnSpinClick = [](TObject*, int, int, int Value, bool) {
    printf("spin %d\n", Value);
    fflush(stdout);
  };
  grid->OnDateTimeChange = [](TObject*, int, int, TDateTime Value) {
    printf("date %s\n", DateTimeToStr(Value).c_str());
    fflush(stdout);
  };
  // The custom editor: a memo on a pop-up form below its cell.
  auto* link = new TTextEditLink<TMemo>(form);
  link->EditStyle = esPopup;
  link->PopupWidth = 200;
  link->PopupHeight = 90;
  link->WantKeyUpDown = link->WantKeyLeftRight = true;
  grid->EditLink = link;
  grid->ComboBox()->Items()->Add("one");
  grid->ComboBox()->Items()->Add("two");
  grid->ComboBox()->Items()->Add("three");
  grid->ComboBox()->Items()->Add("a long item, wider than its cell");
  TStringList units;
  units.Add("mV");
  units.Add("V");
  static_cast<TEsgUnitEditBtn*>(grid->CellEditors()->For(edUnitEditBtn))->SetUnits(&units);
  grid->Loaded();
  form->Show();
  Application->Run();
  return 0;
}

// The editors of controls in markup cells: opening one over its control, the keys that end
// it, and the value written back into the control's VALUE.
#include "controls/grid/ExtGridMarkupControls.h"

#include <algorithm>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtUtil.h"
#include "controls/markup/EsgHTMLE.h"
#include "controls/markup/MarkupText.h"
#include "platform/gui/Messages.h"
#include "platform/gui/Windows.h"

// ---------------------------------------------------------------- the two editors
bool MarkupControlKey(TExtStringGrid* Grid, char Key) {
  if (Key != '\r' && Key != '\t') return false;
  Grid->EndControlEdit();
  if (Grid->CanFocus()) Grid->SetFocus();
  if (Key == '\t') {
    const bool back = (KeyboardStateToShiftState() & ssShift) != 0;
    if (Grid->Navigation()->AdvanceAuto)
      Grid->AdvanceCell(Grid->Col(), Grid->Row(), back, false, true);
    else
      Grid->TabToNextCell(back);
  }
  return true;
}

TControlEdit::TControlEdit(TExtStringGrid* AGrid) : TMaskEdit(AGrid), grid_(AGrid) {}

void TControlEdit::KeyPress(char& Key) {
  if (MarkupControlKey(grid_, Key)) {
    Key = 0;
    return;
  }
  TMaskEdit::KeyPress(Key);
}

void TControlEdit::DoExit() {
  grid_->EndControlEdit();
  TMaskEdit::DoExit();
}

void TControlEdit::WMGetDlgCode(TMessage& Message) {
  TMaskEdit::WMGetDlgCode(Message);
  Message.Result = (Message.Result | DLGC_WANTTAB) & ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
}

TControlCombo::TControlCombo(TExtStringGrid* AGrid) : TESGComboBox(AGrid), grid_(AGrid) {}

void TControlCombo::KeyDown(WORD& Key, TShiftState Shift) {
  // Return and Tab leave even while the list is open (the list closes with the editor).
  if (Key == VK_RETURN || Key == VK_TAB) {
    char k = Key == VK_RETURN ? '\r' : '\t';
    Key = 0;
    MarkupControlKey(grid_, k);
    return;
  }
  TESGComboBox::KeyDown(Key, Shift);
}

void TControlCombo::KeyPress(char& Key) {
  if (MarkupControlKey(grid_, Key)) {
    Key = 0;
    return;
  }
  TESGComboBox::KeyPress(Key);
}

void TControlCombo::DoExit() {
  grid_->EndControlEdit();
  TESGComboBox::DoExit();
}

void TControlCombo::WMGetDlgCode(TMessage& Message) {
  TESGComboBox::WMGetDlgCode(Message);
  Message.Result |= DLGC_WANTTAB;
}

// ---------------------------------------------------------------- the grid's side
TControlEdit* TExtStringGrid::ControlEditor() {
  if (!ctrlEdit_.Edit) {
    ctrlEdit_.Edit = new TControlEdit(this);
    ctrlEdit_.Edit->SetVisible(false);
    ctrlEdit_.Edit->SetBorderStyle(bsNone);
    ctrlEdit_.Edit->SetParent(this);
  }
  return ctrlEdit_.Edit;
}

TControlCombo* TExtStringGrid::ControlComboBox() {
  if (!ctrlEdit_.Combo) {
    ctrlEdit_.Combo = new TControlCombo(this);
    ctrlEdit_.Combo->SetVisible(false);
    ctrlEdit_.Combo->SetParent(this);
  }
  return ctrlEdit_.Combo;
}

void TExtStringGrid::StartControlEdit(const std::string& CellText, const std::string& CtrlType, int ACol, int ARow,
                                      const TRect& ControlRect, const std::string& CtrlVal,
                                      const std::string& CtrlID) {
  const bool edit = CtrlType == "EDIT" || CtrlType == "PASSWORD" || CtrlType == "MASK";
  if (!edit && CtrlType != "COMBO") return;
  EndControlEdit();
  ctrlEdit_.Cell = TPoint(ACol, ARow);
  ctrlEdit_.ID = CtrlID;
  ctrlEdit_.Type = CtrlType;
  ctrlEdit_.Rect = ControlRect;
  ctrlEdit_.Open = true;
  const TRect& r = ControlRect;
  if (edit) {
    TControlEdit* e = ControlEditor();
    e->SetWidth(0);
    e->SetPasswordChar(CtrlType == "PASSWORD" ? '*' : '\0');
    e->SetEditMask(CtrlType == "MASK" ? GetHTMLControlProp(CellText, CtrlID) : "");
    e->SetText(CtrlVal);
    e->SetBounds(r.Left + 1, r.Top + 4, std::max(1, r.Width() - 4), std::max(1, r.Height() - 4));
    e->SetVisible(true);
    e->BringToFront();
    if (e->CanFocus()) e->SetFocus();
    return;
  }
  TControlCombo* c = ControlComboBox();
  bool typed = true;
  int drop = 8;
  c->Items()->Clear();
  c->SetBounds(r.Left + 1, r.Top + 4, std::max(1, r.Width() - 4), c->Height());
  if (OnControlComboList) {
    TStringList values;
    OnControlComboList(this, ARow, ACol, CtrlID, CtrlType, CtrlVal, &values, typed, drop);
    c->Items()->Assign(&values);
  }
  c->SetStyle(typed ? csDropDown : csDropDownList);
  const int at = c->Items()->IndexOf(CtrlVal);
  c->SetItemIndex(at);
  if (typed) c->SetText(CtrlVal);
  c->SetDropDownCount(std::max(1, drop));
  c->SetVisible(true);
  c->BringToFront();
  if (c->CanFocus()) c->SetFocus();
  c->SetDroppedDown(true);
}

void TExtStringGrid::EndControlEdit() {
  // Only an open editor ends: a second call (a later control click) writes nothing.
  if (!ctrlEdit_.Open) return;
  ctrlEdit_.Open = false;
  const bool edit = ctrlEdit_.Type != "COMBO";
  TWinControl* shown = edit ? static_cast<TWinControl*>(ctrlEdit_.Edit) : ctrlEdit_.Combo;
  const std::string value = edit ? (ctrlEdit_.Edit ? ctrlEdit_.Edit->Text() : "") : (ctrlEdit_.Combo ? ctrlEdit_.Combo->Text() : "");
  if (ctrlEdit_.Combo && !edit) ctrlEdit_.Combo->SetDroppedDown(false);
  const TPoint cell = ctrlEdit_.Cell;
  const std::string id = ctrlEdit_.ID, type = ctrlEdit_.Type;
  ctrlEdit_.Type.clear();
  if (cell.X >= 0 && cell.Y >= 0 && cell.X < AllColCount() && cell.Y < RowCount()) {
    std::string t = Cells(cell.X, cell.Y);
    if (SetHTMLControlValue(t, id, value)) SetCells(cell.X, cell.Y, t);
  }
  if (shown) shown->SetVisible(false);
  if (OnControlEditDone) OnControlEditDone(this, cell.Y, cell.X, id, type, value);
}

bool TExtStringGrid::FindControlRect(int ACol, int ARow, const std::string& CtrlID, TRect& Rect) {
  const int dc = DisplColIndex(ACol);
  const std::string text = Cells(ACol, ARow);
  // Measured on a canvas of its own: the grid's canvas keeps its font.
  TBitmap scratch(1, 1);
  TCanvas* cv = scratch.Canvas();
  TAlignment ha;
  TVAlignment va;
  PrepareCellFont(cv, dc, ARow, ha, va);
  // Where the text is drawn: beside a check box when the cell has one.
  TRect area = MarkupTextRect(ACol, ARow, CellContentRect(dc, ARow), ha);
  if (!pictureCache_) pictureCache_ = std::make_shared<THTMLPictureCache>();
  // The renderer tells a control's rectangle for a point on it: the cell is probed in small steps.
  for (int y = area.Top; y < area.Bottom; y += 2)
    for (int x = area.Left; x < area.Right; x += 2) {
      std::string anchor, strip, focus, title, cid = CtrlID, cval, ctype;
      int xs = 0, ys = 0, links = 0, ml = 0;
      TRect hover, ctrl;
      HTMLDraw(cv, text, area, GridImages, x, y, -1, -1, 1, true, false, false, false, false, false,
               !EnhTextSize, false, 1.0, URLColor(), clNone, clNone, clGray, anchor, strip, focus, title, xs, ys, links,
               ml, hover, ctrl, cid, cval, ctype, pictureCache_.get(), PictureContainer, Handle());
      if (!ctype.empty() && cid == CtrlID) {
        Rect = ctrl;
        return true;
      }
    }
  return false;
}

void TExtStringGrid::EditFirstControl(int ACol, int ARow) {
  const std::string text = Cells(ACol, ARow);
  const std::string id = NextHTMLControlID(text, "");
  TRect r;
  if (id.empty() || !FindControlRect(ACol, ARow, id, r)) {
    if (CanFocus()) SetFocus();
    return;
  }
  StartControlEdit(text, GetHTMLControlType(text, id), ACol, ARow, r, GetHTMLControlValue(text, id), id);
}

void TExtStringGrid::OpenCellMarkupControl(int ACol, int ARow, const std::string& CtrlID) {
  if (CtrlID.empty()) return EditFirstControl(ACol, ARow);
  const std::string text = Cells(ACol, ARow);
  // A press found the rectangle already; otherwise it is looked up.
  TRect r = TakePressedControlRect();
  if (r.Width() <= 0 && !FindControlRect(ACol, ARow, CtrlID, r)) return;
  StartControlEdit(text, GetHTMLControlType(text, CtrlID), ACol, ARow, r, GetHTMLControlValue(text, CtrlID), CtrlID);
}

// The custom editor link (edCustom cells), the edit laid over one cell, and the one way the
// grid's editor controls are left by key.
#include "controls/grid/ExtGridEditLink.h"

#include <algorithm>

#include "controls/grid/ExtGrid.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Messages.h"
#include "platform/gui/Windows.h"

// ---------------------------------------------------------------- the link
TEditLink::TEditLink(TComponent* AOwner) : TComponent(AOwner) {}

TEditLink::~TEditLink() {
  Unhook();
  ClosePopupForm();
  if (grid_ && grid_->EditLink == this) grid_->EditLink = nullptr;
}

void TEditLink::Hook(TWinControl* C) {
  active_ = true;
  if (hooked_ == C) return;
  Unhook();
  hooked_ = C;
  saved_ = C->WindowProc;
  active_ = true;
  // The hook stays with the control while the link has it and acts only while the editor is
  // open: the character of the key that closed it comes after the key and must not reach the
  // control (a Tab would walk the form's focus on).
  C->WindowProc = [this](TMessage& M) {
    if (M.Msg == WM_CHAR && swallow_ != 0) {
      const bool same = static_cast<WPARAM>(swallow_) == M.WParam;
      swallow_ = 0;
      if (same) return;
    }
    if (!active_) return saved_(M);
    if (M.Msg == WM_KEYDOWN && grid_) {
      WORD key = static_cast<WORD>(M.WParam);
      EditKeyDown(key, KeyboardStateToShiftState());
      M.WParam = key;
      if (key == 0) return;
    }
    saved_(M);
    // Arrows and Tab reach the editor when the grid walks with Tab.
    if (M.Msg == WM_GETDLGCODE && grid_ && (grid_->Options() & goTabs)) M.Result |= DLGC_WANTARROWS | DLGC_WANTTAB;
    // The grid's inplace editor shows the link's value (it is not written to the cell it last edited).
    if (M.Msg == WM_KILLFOCUS && active_ && grid_ && grid_->ActiveCellEditor() == hooked_) {
      if (TInplaceEdit* e = grid_->InplaceEditor()) e->SetTextQuietly(GetEditorValue());
    }
    // The focus gone elsewhere (not by the link's own keys) takes the value and ends the edit.
    if (M.Msg == WM_KILLFOCUS && active_ && !focusing_ && grid_ && grid_->ActiveCellEditor() == hooked_) {
      TWinControl* to = FindControl(reinterpret_cast<HWND>(M.WParam));
      bool inside = false;
      for (TWinControl* p = to; p && !inside; p = p->Parent()) inside = p == hooked_;
      if (!inside) grid_->FinishEditLink();
    }
  };
}

void TEditLink::Unhook() {
  active_ = false;
  if (!hooked_) return;
  hooked_->WindowProc = saved_;
  hooked_ = nullptr;
  saved_ = nullptr;
}

void TEditLink::SetFocus(bool Value) {
  TWinControl* c = GetEditControl();
  if (!Value) {
    if (grid_ && grid_->CanFocus()) grid_->SetFocus();
    return;
  }
  if (!c) return;
  c->SetVisible(true);
  c->SetEnabled(true);
  Hook(c);
  if (c->CanFocus()) c->SetFocus();
}

void TEditLink::SetRect(TRect R) {
  TWinControl* c = GetEditControl();
  if (!c) return;
  const int line = grid_ ? grid_->GridLineWidth() : 1;
  c->SetBounds(R.Left, R.Top, std::max(1, R.Width() - line), std::max(1, R.Height() - line));
}

void TEditLink::SetVisible(bool Value) {
  if (TWinControl* c = GetEditControl()) c->SetVisible(Value);
}

void TEditLink::Release() {
  active_ = false;
  if (EditStyle == esPopup) {
    DestroyEditor();
    ClosePopupForm();
    return;
  }
  SetVisible(false);
}

TForm* TEditLink::OpenPopupForm() {
  if (popup_) return popup_;
  popup_ = new TForm(Application);
  popup_->SetBorderStyle(bsNone);
  popup_->SetFormStyle(fsStayOnTop);
  popup_->OnDeactivate = [this](TObject*) {
    // A click elsewhere takes the value; the leaving keys move the focus themselves.
    if (!focusing_ && grid_ && GetEditControl() && grid_->ActiveCellEditor() == GetEditControl())
      grid_->FinishEditLink();
  };
  return popup_;
}

void TEditLink::ClosePopupForm() {
  if (!popup_) return;
  TForm* f = popup_;
  popup_ = nullptr;
  f->OnDeactivate = nullptr;
  // An editor the descendant keeps must outlive the form it stood on (and was made for).
  if (TWinControl* c = GetEditControl()) {
    if (c->Parent() == f) {
      c->SetVisible(false);
      c->SetParent(grid_);
    }
    if (c->Owner() == f && grid_) {
      f->RemoveComponent(c);
      grid_->InsertComponent(c);
    }
  }
  f->Hide();
  // The form may be running its own handler (the deactivation that ended the edit).
  f->Release();
}

void TEditLink::EditKeyDown(WORD& Key, TShiftState Shift) {
  if (!grid_) return;
  bool leaves = false;
  switch (Key) {
    case VK_TAB: leaves = true; break;
    case VK_RETURN: leaves = !WantKeyReturn; break;
    case VK_ESCAPE: leaves = !WantKeyEscape; break;
    case VK_PRIOR: case VK_NEXT: leaves = !WantKeyPriorNext; break;
    case VK_END: leaves = !WantKeyHomeEnd; break;
    case VK_UP: case VK_DOWN: leaves = !WantKeyUpDown; break;
    case VK_LEFT: case VK_RIGHT: leaves = !WantKeyLeftRight; break;
    default: break;
  }
  if (!leaves) return;
  const WORD k = Key;
  Key = 0;
  swallow_ = k == VK_TAB ? '\t' : k == VK_RETURN ? '\r' : k == VK_ESCAPE ? 27 : 0;
  if (k == VK_ESCAPE) {
    SetEditorValue(grid_->EditStartText());
    grid_->CancelCellControl();
    if (grid_->CanFocus()) grid_->SetFocus();
    return;
  }
  // The grid takes the focus before the editor hides: a hidden focused control would pass it on
  // to the form's next control. A refused value gives it back to the editor.
  TWinControl* c = GetEditControl();
  {
    TGridFlagScope moving(focusing_, true);
    if (grid_->CanFocus()) grid_->SetFocus();
  }
  grid_->CommitCellControl(k, Shift);
  if (c && grid_->ActiveCellEditor() == c && c->CanFocus()) {
    c->SetFocus();
    return;
  }
  // Left by a key the grid walks on with: the control takes no input until it opens again.
  if (c && (k == VK_TAB || (k >= VK_LEFT && k <= VK_DOWN))) {
    c->SetEnabled(false);
    if (grid_->CanFocus()) grid_->SetFocus();
  }
}

// ---------------------------------------------------------------- the grid's side
bool TExtStringGrid::ShowEditLink(int ACol, int ARow, const TRect& R) {
  TEditLink* link = EditLink;
  link->Attach(this);
  const bool popup = link->EditStyle == esPopup;
  TForm* form = popup ? link->OpenPopupForm() : nullptr;
  if (!link->GetEditControl()) link->CreateEditor(popup ? static_cast<TWinControl*>(form) : this);
  TWinControl* c = link->GetEditControl();
  if (!c) return false;
  TWinControl* parent = popup ? static_cast<TWinControl*>(form) : this;
  if (c->Parent() != parent) c->SetParent(parent);
  if (popup) {
    // The pop-up stands below the cell on the screen, or where the link says (screen coordinates).
    const bool given = link->PopupLeft >= 0 && link->PopupTop >= 0;
    TPoint at = given ? TPoint(link->PopupLeft, link->PopupTop) : ClientToScreen(TPoint(R.Left, R.Bottom));
    const int w = std::max(1, link->PopupWidth > 0 ? link->PopupWidth : (link->AutoPopupWidth ? R.Width() : c->Width()));
    const int h = std::max(1, link->PopupHeight > 0 ? link->PopupHeight : c->Height());
    // Below the cell it stays on the screen: moved left, or above the cell where the screen ends.
    if (!given && Screen) {
      at.X = std::max(0, std::min(at.X, Screen->Width() - w));
      if (at.Y + h > Screen->Height()) at.Y = std::max(0, ClientToScreen(TPoint(R.Left, R.Top)).Y - h);
    }
    form->SetBounds(at.X, at.Y, w, h);
    c->SetBounds(0, 0, w, h);
    form->Show();
  } else {
    link->SetRect(R);
  }
  SetActiveCellEditor(c);
  link->SetProperties();
  link->SetFocus(true);
  link->SetEditorValue(GridCells(ACol, ARow));
  if (OnGetEditorProp) OnGetEditorProp(this, ACol, ARow, link);
  link->SetVisible(true);
  return true;
}

void TExtStringGrid::FinishEditLink() {
  if (control_.Shown && edit_.EditorType == edCustom && EditLink) EndCellControlEdit();
}

void TExtStringGrid::LeaveCellEditor(WORD Key, TShiftState Shift) {
  // For the moment the editor hands control back, the grid shows no editor of its own; both
  // settings come back however this ends, a validation that raises too.
  TGridFlagScope leaving(leavingEditor_, true);
  TGridFlagScope noAutoEdit(navigation_->AlwaysEdit, false);
  EndCellControlEdit();
  if (control_.Shown) return;
  if (Key == VK_TAB || Key == VK_LEFT || Key == VK_RIGHT || Key == VK_UP || Key == VK_DOWN) KeyDown(Key, Shift);
  if (CanFocus()) SetFocus();
  if (Key == VK_RETURN && navigation_->AdvanceOnEnter) AdvanceCell(Col(), Row(), Shift & ssShift);
}

// ---------------------------------------------------------------- the edit over one cell
TGridTransEdit::TGridTransEdit(TExtStringGrid* AGrid) : TCustomEdit(AGrid), grid_(AGrid) { SetVisible(false); }

bool TGridTransEdit::Leave() {
  if (!grid_ || leaving_) return true;
  TGridFlagScope once(leaving_, true);
  std::string v = Text();
  bool valid = true;
  if (grid_->OnCellValidate) grid_->OnCellValidate(grid_, Col, Row, v, valid);
  if (!valid) {
    grid_->FocusCell(grid_->DisplColIndex(Col), Row, true);
    if (CanFocus()) SetFocus();
    return false;
  }
  if (grid_->OnEditingDone) grid_->OnEditingDone(grid_);
  grid_->SetCells(Col, Row, v);
  SetVisible(false);
  return true;
}

void TGridTransEdit::DoExit() {
  TCustomEdit::DoExit();
  Leave();
}

void TGridTransEdit::KeyPress(char& Key) {
  if (Key == '\r') {
    Key = 0;
    return;
  }
  TCustomEdit::KeyPress(Key);
}

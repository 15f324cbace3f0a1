// Text dragged out of a typed edit and dropped on one, through the GUI layer's
// drag-and-drop adapter. Dropped text goes through the same rule as pasted text.
#include <algorithm>

#include "controls/inspector/ExtEdit.h"
#include "platform/gui/DragDrop.h"

// The drop target of one edit: text (its first line) is taken where the mouse is. The edit takes
// nothing of a file list, so a drag of files alone is answered none: a move answer would have
// the source delete what went nowhere.
class TEditDropTarget : public TDropTarget {
 public:
  explicit TEditDropTarget(TExtEdit* Edit) : edit_(Edit) {}
  int DragEnter(const TDataObject& Data, TShiftState Keys, TPoint Pt, int Allowed) override {
    accept_ = Data.HasText();
    return DragOver(Keys, Pt, Allowed);
  }
  int DragOver(TShiftState Keys, TPoint Pt, int Allowed) override {
    if (!accept_ || !edit_->DragMouseMove(edit_->ScreenToClient(Pt))) return DROPEFFECT_NONE;
    return StandardDropEffect(Keys, Allowed);
  }
  void DragLeave() override { edit_->DragMouseMove(TPoint(-1, -1)); }
  int Drop(const TDataObject& Data, TShiftState Keys, TPoint Pt, int Allowed) override {
    if (!Data.HasText()) {
      edit_->DragMouseMove(TPoint(-1, -1));
      return DROPEFFECT_NONE;
    }
    const int effect = StandardDropEffect(Keys, Allowed);
    edit_->DropText(edit_->ScreenToClient(Pt), Data.Text(), effect != DROPEFFECT_MOVE);
    return effect;
  }

 private:
  TExtEdit* edit_;
  bool accept_ = false;
};

void TExtEdit::SetOleDropTarget(bool v) {
  if (v == oleDropTarget_ || (ComponentState() & csDesigning)) return;
  oleDropTarget_ = v;
  if (v) dropRegistered_ = RegisterDragDrop(this, std::make_shared<TEditDropTarget>(this));
  else if (dropRegistered_) {
    RevokeDragDrop(this);
    dropRegistered_ = false;
  }
}

bool TExtEdit::DragMouseMove(TPoint P) {
  const int old = dropCaret_;
  dropCaret_ = P.X < 0 ? -1 : std::clamp(CharFromPos(P), 0, static_cast<int>(text_.size()));
  if (dropCaret_ >= 0) {
    // The drop caret stays in the value.
    TValueState s = State();
    dropCaret_ = std::clamp(dropCaret_, s.PrefixLen, s.PrefixLen + static_cast<int>(s.Value.size()));
  }
  if (old != dropCaret_) Invalidate();
  return !readOnly_;
}

void TExtEdit::DropText(TPoint P, const std::string& S, bool Copy) {
  const std::string line = S.substr(0, S.find_first_of("\r\n"));
  DragMouseMove(P);
  int at = dropCaret_;
  dropCaret_ = -1;
  Invalidate();
  if (at < 0) return;
  const int selFrom = SelStart(), selTo = SelStart() + SelLength();
  if (dragOrigin_) {
    // Whatever happens here, the source side of the drag has nothing more to take away.
    droppedOnSelf_ = true;
    if (at >= selFrom && at <= selTo && SelLength() > 0) return;
    if (!Copy) {
      // A move inside the edit: the text leaves its place first.
      ClearSelection();
      if (at > selTo) at -= selTo - selFrom;
    }
  }
  SetSel(at, at);
  InsertChecked(line, true);
}

void TExtEdit::WMMouseButton(TMessage& Message) {
  const TPoint p(Message.XPos(), Message.YPos());
  if (Message.Msg == WM_LBUTTONDOWN && OleDropSource && Focused() && SelLength() > 0) {
    const int at = CharFromPos(p);
    if (at >= SelStart() && at < SelStart() + SelLength()) {
      // The press waits for a move to start the drag; the edit does not see it.
      dragPending_ = true;
      Message.Result = 1;
      return;
    }
  }
  if (Message.Msg == WM_LBUTTONUP && dragPending_) {
    dragPending_ = false;
    const int at = CharFromPos(p);
    if (at >= 0) {
      SetSel(at, at);
      PushToPeer();
    }
    Message.Result = 1;
    return;
  }
  TCustomEdit::WMMouseButton(Message);
}

void TExtEdit::WMMouseMove(TMessage& Message) {
  // While a drag is pending the edit must not stretch its selection under the mouse.
  if (!dragPending_) return TCustomEdit::WMMouseMove(Message);
  dragPending_ = false;
  Message.Result = 1;
  TValueState s = State();
  TDataObject data;
  data.SetText(s.Value.substr(static_cast<size_t>(s.Caret), static_cast<size_t>(s.SelLen)));
  TDropSource source;
  int effect = DROPEFFECT_NONE;
  dragOrigin_ = true;
  droppedOnSelf_ = false;
  const TDragDropResult r = DoDragDrop(this, data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE, effect);
  dragOrigin_ = false;
  // A move to another place takes the text away here; one inside this edit already did.
  if (r == DRAGDROP_S_DROP && effect == DROPEFFECT_MOVE && !droppedOnSelf_ && !readOnly_) {
    SetSel(s.PrefixLen + s.Caret, s.PrefixLen + s.Caret + s.SelLen);
    ClearSelection();
    MarkModified(true);
  }
  dropCaret_ = -1;
  Invalidate();
}

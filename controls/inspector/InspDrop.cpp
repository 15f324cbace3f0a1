// Drops on the inspector bar: the bar's one drop handler, for links, files and text from other
// programs (OleDropTarget) and for file drops alone (AcceptFiles).
#include "controls/inspector/InspectorBar.h"
#include "platform/gui/DragDrop.h"

namespace {
class TInspectorBarDropTarget : public TDropTarget {
 public:
  explicit TInspectorBarDropTarget(TInspectorBar* b) : bar_(b) {}
  int DragEnter(const TDataObject& Data, TShiftState Keys, TPoint Pt, int Allowed) override {
    link_ = Data.HasLinks();
    files_ = Data.HasFiles();
    text_ = Data.HasText();
    return DragOver(Keys, Pt, Allowed);
  }
  int DragOver(TShiftState Keys, TPoint, int Allowed) override {
    if (bar_->OleDropTarget()) {
      // Every drag over the bar is taken; a link is linked.
      if (link_ && (Allowed & DROPEFFECT_LINK)) return DROPEFFECT_LINK;
      // A dropped file is only offered on: its source keeps it.
      if (files_) return DROPEFFECT_COPY;
      return (link_ || text_) ? StandardDropEffect(Keys, Allowed) : DROPEFFECT_NONE;
    }
    return files_ && bar_->AcceptFiles() ? DROPEFFECT_COPY : DROPEFFECT_NONE;
  }
  void DragLeave() override {}
  int Drop(const TDataObject& Data, TShiftState Keys, TPoint Pt, int Allowed) override {
    const int effect = DragOver(Keys, Pt, Allowed);
    if (!bar_->OleDropTarget()) {
      bar_->FilesDropped(Data.Files());
      return effect;
    }
    for (const std::string& l : Data.Links()) bar_->DropURL(Pt, l);
    // Dropped files are offered to the application; the bar itself keeps nothing of them.
    for (const std::string& f : Data.Files()) {
      bool allow = true;
      if (bar_->OnURLDrop) bar_->OnURLDrop(bar_, f, allow);
    }
    return effect;
  }

 private:
  TInspectorBar* bar_;
  bool link_ = false, files_ = false, text_ = false;
};
}  // namespace

void TInspectorBar::SetAcceptFiles(bool v) {
  acceptFiles_ = v;
  UpdateDropRegistration();
}

void TInspectorBar::SetOleDropTarget(bool v) {
  if (ComponentState() & csDesigning) return;
  oleDropTarget_ = v;
  UpdateDropRegistration();
}

bool TInspectorBar::DropRegistered() const {
  return dropRegistered_ && IsDragDropRegistered(const_cast<TInspectorBar*>(this));
}

void TInspectorBar::UpdateDropRegistration() {
  const bool want = acceptFiles_ || oleDropTarget_;
  if (!want) {
    if (dropRegistered_) RevokeDragDrop(this);
    dropRegistered_ = false;
    return;
  }
  if (DropRegistered() || (!HandleAllocated() && !Parent())) return;
  dropRegistered_ = RegisterDragDrop(this, std::make_shared<TInspectorBarDropTarget>(this));
}

void TInspectorBar::CreateWnd() {
  TCustomPanel::CreateWnd();
  if (acceptFiles_ || oleDropTarget_) UpdateDropRegistration();
}

void TInspectorBar::DropURL(TPoint P, const std::string& Link) {
  bool allow = true;
  if (OnURLDrop) OnURLDrop(this, Link, allow);
  if (!allow) return;
  const TPoint c = ScreenToClient(P);
  TInspectorPanel* panel = PanelAt(c.X, c.Y);
  // Only the rows' area of a panel takes a link: not its caption bar, not the help panel.
  if (!panel) return;
  if (mode_ == imSinglePanelActive) {
    const TRect& body = SingleLayout()->Body;
    if (c.Y < body.Top || c.Y >= body.Bottom) return;
  }
  TInspectorItem* it = panel->Items()->Add();
  it->SetAutoIcon(true);
  it->SetCaption(Link);
  it->SetURL(Link);
}

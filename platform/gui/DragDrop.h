#pragma once
// Drag and drop between windows and programs (XDND on X11, the data device on Wayland).
//
// A window takes drops through one registered TDropTarget; a control starts a drag with
// DoDragDrop. Points are screen coordinates; key states are TShiftState (ssCtrl, ssShift,
// ssLeft, ...). Effects are the DROPEFFECT_* flags: the source says which it allows, the
// target answers one. An answer the source does not allow is replaced by one it does
// (copy, then move, then link), so no drop ever reports an effect its source refused.
// Data offered in no format at all is refused here: the target never hears of it.

#include <functional>
#include <memory>

#include "platform/gui/Controls.h"
#include "platform/gui/DataObject.h"

constexpr int DROPEFFECT_NONE = 0, DROPEFFECT_COPY = 1, DROPEFFECT_MOVE = 2, DROPEFFECT_LINK = 4;

class TDropTarget {
 public:
  virtual ~TDropTarget() = default;
  // Data is valid only during the call. Each returns the effect the drop would have here.
  virtual int DragEnter(const TDataObject& Data, TShiftState Keys, TPoint Pt, int Allowed) = 0;
  virtual int DragOver(TShiftState Keys, TPoint Pt, int Allowed) = 0;
  virtual void DragLeave() = 0;
  // Called only when the last DragEnter/DragOver answered an effect; else DragLeave is.
  virtual int Drop(const TDataObject& Data, TShiftState Keys, TPoint Pt, int Allowed) = 0;
};

// The usual answer: Ctrl held gives copy, Shift move (when allowed); otherwise the action the
// source proposes (a file manager proposes copy unless told otherwise), and without a proposal
// copy. Read during a drag event the adapter delivers, which knows the proposal.
int StandardDropEffect(TShiftState Keys, int Allowed);

// Makes Control's window (created when needed) take drops through Target. False when the
// window cannot be had or already has a target. The registration ends with the window.
bool RegisterDragDrop(TWinControl* Control, std::shared_ptr<TDropTarget> Target);
void RevokeDragDrop(TWinControl* Control);
bool IsDragDropRegistered(TWinControl* Control);

// Told about a running drag; both are called on the drag's own event loop.
class TDropSource {
 public:
  virtual ~TDropSource() = default;
  // Whenever the pointer or the keys change while the drag runs (Pos: screen).
  virtual void QueryContinue(TShiftState Keys, TPoint Pos) {}
  // The effect the target under the pointer answers now (DROPEFFECT_NONE over no target).
  virtual void GiveFeedback(int Effect) {}
};

enum TDragDropResult { DRAGDROP_S_DROP, DRAGDROP_S_CANCEL };

// Runs the drag of Data from Control until it is dropped or cancelled (Escape, or released
// where no target takes it). Effect: what the target did (DROPEFFECT_NONE when cancelled).
TDragDropResult DoDragDrop(TWinControl* Control, const TDataObject& Data, TDropSource* Source,
                           int AllowedEffects, int& Effect);

// Tests replace the system's drag loop (which waits for the real mouse): the handler gets the
// drag's data and allowed effects and returns the effect of the drop (DROPEFFECT_NONE:
// cancelled). It may deliver the data to a target with DeliverDrop. Empty: the system's loop.
using TDragLoop = std::function<int(TWinControl* Source, const TDataObject& Data, TDropSource* DropSource,
                                    int AllowedEffects)>;
void SetDragLoop(TDragLoop Loop);

// Sends Data through the drag events of Control's window as the window system would (enter,
// move to Pt, then drop or leave), so the window's own handling runs. Pt: screen coordinates.
// Returns the effect of the drop, DROPEFFECT_NONE when it was refused. AfterMove runs between
// the move and the drop or leave, to look at the window while the drag is over it.
// ProposedEffect: the action the source proposes; none: what DoDragDrop proposes (move where
// allowed, else copy).
int DeliverDrop(TWinControl* Control, const TDataObject& Data, TPoint Pt, TShiftState Keys, int AllowedEffects,
                bool Release = true, const std::function<void()>& AfterMove = nullptr,
                int ProposedEffect = DROPEFFECT_NONE);

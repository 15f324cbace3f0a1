#pragma once
// Shared state of the GUI layer's own sources.

#include <QRect>
#include <vector>

#include "platform/gui/Controls.h"

class TCustomForm;

class QEvent;
class QWidget;
class TPeerBase;

struct TDialogRequest;
// Makes a real dialog the transient of the request's owner, staying on top when it must.
void GuiPlaceDialog(QWidget& Dialog, const TDialogRequest& Request);
// The control the mouse is over (graphic or windowed).
TControl*& GuiMouseControl();
// Shift state of the event being translated.
TShiftState& GuiCurrentShift();
// Counts the key presses translated, so a character is matched with the key that brought it.
unsigned long& GuiKeySerial();
// The peer whose event is being translated now (innermost), or nullptr.
TPeerBase* GuiEventPeer();
// Depth of event translation now running.
int GuiTranslationDepth();
// Moves the mouse to a control: leave/enter notifications, cursor and application hint.
void GuiSetMouseControl(TControl* Control);
void GuiApplyCursor(TControl* Control);
void GuiApplyCursorTo(QWidget* Widget, TCursor Cursor);
// Deletes a widget now, or later when an event of it may still be running.
void GuiDeleteWidget(QWidget* Widget);
void GuiRepaintNow(QWidget* Widget);
QRect GuiPaintRect(QEvent* Event, QWidget* Widget);
// The rectangles of the area a paint event asks for.
std::vector<TRect> GuiPaintRegion(QEvent* Event, QWidget* Widget);
// Frees widgets whose deletion was deferred (outside any event translation).
void GuiFlushDeletes();
// Alt+letter that no control of Form took: the menu bar Form shows (an MDI child's is its
// frame's) opens the item with that mnemonic. False when none has it.
bool GuiMenuBarMnemonic(TCustomForm* Form, char Key);
// Busy counting of forms (handlers running on them) and deferred release.
void GuiFormBusy(TCustomForm* Form, int Delta);
// Frees a form now when nothing runs on it, else when the last handler ends.
void GuiReleaseForm(TCustomForm* Form);
// Window-level events of form peers (close, activation, move, resize).
bool GuiFormEvent(TPeerBase* Peer, TWinControl* Control, QEvent* Event);
// A mouse message of the control being dragged (client coordinates): true when the drag took it.
bool GuiDragMouse(TControl* Control, UINT Msg, TPoint Client);
// Escape during a drag of controls: cancels it and says so.
bool GuiEscapeDrag();
// The control being freed ends any drag it is the source of, silently.
void GuiDragControlGone(TControl* Control);
// Cursors registered by number (Screen->Cursors).
void GuiRegisterCursor(int Index, HCURSOR Cursor);
HCURSOR GuiRegisteredCursor(int Index);
// Frees every registered cursor (at the program's end, before the window system goes).
void GuiFreeRegisteredCursors();
class QCursor;
QCursor GuiQCursor(TCursor Cursor);
// Runs Body as the translation point runs a handler (deferred deletion of widgets, busy form,
// exceptions shown), for code that Qt calls from inside a widget's own signal.
void GuiRunDeferred(TPeerBase* Peer, TControl* Control, const std::function<void()>& Body);
// The window number of the control a widget belongs to, 0 for none.
WPARAM GuiWindowOfWidget(QWidget* Widget);
// Sends WM_SETCURSOR to the control under the mouse; without an answer its own cursor shows.
void GuiAskCursor(TControl* Target);
// The posted-message queue's receiver.
void GuiPostMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
// Hints (Hints.cpp): the mouse rested on a control; it moved over a control
// (the hint goes when it leaves the hint's CursorRect or control); a click or
// a key hides the hint.
void GuiHintRequest(TControl* Target, TPoint ScreenPos);
void GuiHintMouseMoved(TControl* Control, TPoint ScreenPos);
void GuiHintMouseEntered(TControl* Control);
void GuiHintInput();
// The application's long hint came from Control; it empties (at the next turn of the event
// loop) when that control is freed or its form (or the form's MDI frame) is hidden or freed.
void GuiHintSetBy(TControl* Control);
void GuiHintControlGone(TControl* Control);
void GuiHintFormGone(TCustomForm* Form);
// Help (Forms.cpp): the context of the nearest control from Control up its
// parents, then of Form and its MDI frame (0: none); a request for a context
// (0 asks for the help contents).
int GuiFormHelpContext(TCustomForm* Form, TControl* Control);
void GuiHelpRequest(int Context);
// The help's once-per-run notice counts as not yet given (a test's fresh start).
void GuiForgetHelpNotice();
// Drag events of a peer: to the drop target registered for its window, else to the widget.
bool GuiDragEvent(TPeerBase* Peer, QEvent* Event);
// The system colours are read from the platform's palette again on next use.
void GuiReloadSystemColors();
// Sends Msg to every window that exists, as the system sends its change notices (Controls.cpp).
void GuiSendToAllWindows(UINT Msg);

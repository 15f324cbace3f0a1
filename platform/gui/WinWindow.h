#pragma once
// Window services of the Windows API that scrolling controls use: a window's
// own scroll bars (scroll info and the WM_VSCROLL / WM_HSCROLL messages),
// window timers (WM_TIMER), mouse capture, the cursor a control sets while
// answering WM_SETCURSOR, and the system metrics of scroll bars.
//
// A control gets own scroll bars by making its window a scroll frame
// (platform/gui/ScrollFrame.h); the scroll calls on any other window do nothing.

#include <cstdint>

#include "platform/gui/Windows.h"

using UINT_PTR = uintptr_t;

// ---------------------------------------------------------------- scroll bars
constexpr int SB_HORZ = 0, SB_VERT = 1, SB_CTL = 2, SB_BOTH = 3;
// Scroll codes: the low word of WParam in WM_VSCROLL / WM_HSCROLL; the high word
// carries the thumb position (16 bits) for SB_THUMBPOSITION and SB_THUMBTRACK.
constexpr WORD SB_LINEUP = 0, SB_LINELEFT = 0, SB_LINEDOWN = 1, SB_LINERIGHT = 1, SB_PAGEUP = 2,
               SB_PAGELEFT = 2, SB_PAGEDOWN = 3, SB_PAGERIGHT = 3, SB_THUMBPOSITION = 4, SB_THUMBTRACK = 5,
               SB_TOP = 6, SB_LEFT = 6, SB_BOTTOM = 7, SB_RIGHT = 7, SB_ENDSCROLL = 8;
constexpr UINT SIF_RANGE = 0x1, SIF_PAGE = 0x2, SIF_POS = 0x4, SIF_DISABLENOSCROLL = 0x8, SIF_TRACKPOS = 0x10,
               SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
constexpr UINT ESB_ENABLE_BOTH = 0, ESB_DISABLE_LTUP = 1, ESB_DISABLE_RTDN = 2, ESB_DISABLE_BOTH = 3;

struct SCROLLINFO {
  UINT cbSize = sizeof(SCROLLINFO);
  UINT fMask = 0;
  int nMin = 0;
  int nMax = 0;
  UINT nPage = 0;
  int nPos = 0;
  int nTrackPos = 0;  // while the thumb is dragged: where it is; else the position
};

// As on Windows: the largest position is nMax - max(nPage - 1, 0); a range that needs
// no scrolling hides the bar, or only disables it with SIF_DISABLENOSCROLL.
// Returns the position after the call.
int SetScrollInfo(HWND Wnd, int Bar, const SCROLLINFO& Info, bool Redraw);
bool GetScrollInfo(HWND Wnd, int Bar, SCROLLINFO& Info);
int SetScrollPos(HWND Wnd, int Bar, int Pos, bool Redraw);  // returns the old position
int GetScrollPos(HWND Wnd, int Bar);
bool SetScrollRange(HWND Wnd, int Bar, int Min, int Max, bool Redraw);
bool ShowScrollBar(HWND Wnd, int Bar, bool Show);
bool EnableScrollBar(HWND Wnd, int Bar, UINT Arrows);
// Whether the window shows the bar now.
bool ScrollBarShown(HWND Wnd, int Bar);
// The bars' thickness in pixels (vertical width and horizontal height, 0: the system's) and
// their background colour (clNone: the system's), as flat scroll bars take them.
bool SetScrollBarLook(HWND Wnd, int Thickness, int32_t Color);
// The window's border repaints (WM_NCPAINT follows), as RedrawWindow with RDW_FRAME asks.
bool RedrawFrame(HWND Wnd);
// WParam of WM_VSCROLL / WM_HSCROLL.
inline WPARAM MakeScrollWParam(WORD Code, int Pos) {
  return static_cast<WPARAM>(Code) | (static_cast<WPARAM>(static_cast<uint16_t>(Pos)) << 16);
}

// ---------------------------------------------------------------- system metrics
constexpr int SM_CXVSCROLL = 2, SM_CYHSCROLL = 3, SM_CXBORDER = 5, SM_CYBORDER = 6, SM_CYVTHUMB = 9,
              SM_CXHTHUMB = 10, SM_CYVSCROLL = 20, SM_CXHSCROLL = 21, SM_CXDOUBLECLK = 36,
              SM_CYDOUBLECLK = 37, SM_CXEDGE = 45, SM_CYEDGE = 46, SM_CXDRAG = 68, SM_CYDRAG = 69;
int GetSystemMetrics(int Index);

// ---------------------------------------------------------------- window timers
// WM_TIMER with WParam = IDEvent reaches the window every Elapse milliseconds until
// KillTimer or until the window is destroyed. Setting a running id restarts it.
// An interval of 0 ticks at every turn of the event loop.
UINT_PTR SetTimer(HWND Wnd, UINT_PTR IDEvent, UINT Elapse, void* TimerFunc = nullptr);
bool KillTimer(HWND Wnd, UINT_PTR IDEvent);
// The interval of a running window timer, 0 when none runs (tests then send WM_TIMER themselves).
UINT WindowTimerInterval(HWND Wnd, UINT_PTR IDEvent);

// ---------------------------------------------------------------- mouse capture
// The captured window gets every mouse message, also with the mouse outside it,
// until ReleaseCapture; the window losing the capture gets WM_CAPTURECHANGED.
HWND SetCapture(HWND Wnd);
bool ReleaseCapture();
HWND GetCapture();
// Sends WM_CANCELMODE to the control holding the capture (a modal window opens, the
// window loses activation), as the window system does.
void CancelCaptureMode();

// ---------------------------------------------------------------- cursor
// Hit-test codes in the low word of WM_SETCURSOR's LParam (the mouse message is the high word).
constexpr int HTNOWHERE = 0, HTCLIENT = 1, HTHSCROLL = 6, HTVSCROLL = 7, HTBOTTOMRIGHT = 17, HTBORDER = 18;
// Sets the cursor shown over the window the mouse is in; a control answering
// WM_SETCURSOR with a non-zero result keeps it, else its own Cursor shows.
// Standard cursors come from Screen->Cursors(crXxx). Returns the previous one.
HCURSOR SetCursor(HCURSOR Cursor);
// The mouse position (screen) of the last mouse message, as WM_SETCURSOR handlers read it.
TPoint GetMessagePos();

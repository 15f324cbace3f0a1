#pragma once
// Window and control messages, and the message record every control's
// WndProc receives.

#include "platform/gui/Windows.h"

class QEvent;

constexpr UINT WM_NULL = 0x0000, WM_CREATE = 0x0001, WM_DESTROY = 0x0002, WM_MOVE = 0x0003, WM_SIZE = 0x0005,
               WM_ACTIVATE = 0x0006, WM_SETFOCUS = 0x0007, WM_KILLFOCUS = 0x0008, WM_ENABLE = 0x000A,
               WM_SETTEXT = 0x000C, WM_GETTEXT = 0x000D, WM_GETTEXTLENGTH = 0x000E, WM_PAINT = 0x000F,
               WM_CLOSE = 0x0010, WM_QUIT = 0x0012, WM_ERASEBKGND = 0x0014, WM_SHOWWINDOW = 0x0018,
               WM_SETTINGCHANGE = 0x001A, WM_SETCURSOR = 0x0020, WM_MOUSEACTIVATE = 0x0021,
               WM_GETMINMAXINFO = 0x0024, WM_DRAWITEM = 0x002B, WM_SETFONT = 0x0030, WM_GETFONT = 0x0031,
               WM_WINDOWPOSCHANGED = 0x0047, WM_HELP = 0x0053, WM_CONTEXTMENU = 0x007B,
               WM_NCHITTEST = 0x0084, WM_NCPAINT = 0x0085, WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101, WM_CHAR = 0x0102,
               WM_SYSKEYDOWN = 0x0104, WM_SYSKEYUP = 0x0105, WM_SYSCHAR = 0x0106, WM_COMMAND = 0x0111,
               WM_SYSCOMMAND = 0x0112, WM_TIMER = 0x0113, WM_HSCROLL = 0x0114, WM_VSCROLL = 0x0115,
               WM_INITMENUPOPUP = 0x0117, WM_MENUSELECT = 0x011F, WM_MOUSEMOVE = 0x0200,
               WM_LBUTTONDOWN = 0x0201, WM_LBUTTONUP = 0x0202, WM_LBUTTONDBLCLK = 0x0203,
               WM_RBUTTONDOWN = 0x0204, WM_RBUTTONUP = 0x0205, WM_RBUTTONDBLCLK = 0x0206,
               WM_MBUTTONDOWN = 0x0207, WM_MBUTTONUP = 0x0208, WM_MBUTTONDBLCLK = 0x0209,
               WM_MOUSEWHEEL = 0x020A, WM_MOUSEFIRST = 0x0200, WM_MOUSELAST = 0x020A,
               WM_CAPTURECHANGED = 0x0215, WM_MDIACTIVATE = 0x0222, WM_DROPFILES = 0x0233,
               WM_MOUSEHOVER = 0x02A1, WM_MOUSELEAVE = 0x02A3, WM_CUT = 0x0300, WM_COPY = 0x0301,
               WM_PASTE = 0x0302, WM_CLEAR = 0x0303, WM_UNDO = 0x0304, WM_USER = 0x0400, WM_APP = 0x8000,
               WM_GETDLGCODE = 0x0087;
constexpr UINT WM_SETREDRAW = 0x000B, WM_CANCELMODE = 0x001F, WM_THEMECHANGED = 0x031A;
// Combo box notifications, the high word of WM_COMMAND's WParam.
constexpr WORD CBN_SELCHANGE = 1, CBN_EDITCHANGE = 5, CBN_CLOSEUP = 8;

// Dialog codes (WM_GETDLGCODE): which keys a control keeps for itself.
constexpr LRESULT DLGC_WANTARROWS = 0x0001, DLGC_WANTTAB = 0x0002, DLGC_WANTALLKEYS = 0x0004,
                  DLGC_WANTMESSAGE = 0x0004, DLGC_HASSETSEL = 0x0008, DLGC_WANTCHARS = 0x0080,
                  DLGC_BUTTON = 0x2000;

// Mouse key flags in WParam of mouse messages.
constexpr WPARAM MK_LBUTTON = 0x0001, MK_RBUTTON = 0x0002, MK_SHIFT = 0x0004, MK_CONTROL = 0x0008,
                 MK_MBUTTON = 0x0010;

// Control messages of the class library.
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0, CM_DEACTIVATE = CM_BASE + 1, CM_DIALOGKEY = CM_BASE + 5,
               CM_DIALOGCHAR = CM_BASE + 6, CM_FOCUSCHANGED = CM_BASE + 7, CM_PARENTFONTCHANGED = CM_BASE + 8,
               CM_PARENTCOLORCHANGED = CM_BASE + 9, CM_HITTEST = CM_BASE + 10, CM_VISIBLECHANGED = CM_BASE + 11,
               CM_ENABLEDCHANGED = CM_BASE + 12, CM_COLORCHANGED = CM_BASE + 13, CM_FONTCHANGED = CM_BASE + 14,
               CM_CURSORCHANGED = CM_BASE + 15, CM_TEXTCHANGED = CM_BASE + 18, CM_MOUSEENTER = CM_BASE + 19,
               CM_MOUSELEAVE = CM_BASE + 20, CM_MENUCHANGED = CM_BASE + 21, CM_APPKEYDOWN = CM_BASE + 22,
               CM_BUTTONPRESSED = CM_BASE + 24, CM_SHOWINGCHANGED = CM_BASE + 25, CM_ENTER = CM_BASE + 26,
               CM_EXIT = CM_BASE + 27, CM_DESIGNHITTEST = CM_BASE + 28, CM_ICONCHANGED = CM_BASE + 29,
               CM_WANTSPECIALKEY = CM_BASE + 30, CM_INVOKEHELP = CM_BASE + 31, CM_WINDOWHOOK = CM_BASE + 32,
               CM_RELEASE = CM_BASE + 33, CM_SHOWHINTCHANGED = CM_BASE + 34, CM_PARENTSHOWHINTCHANGED = CM_BASE + 35,
               CM_SYSCOLORCHANGE = CM_BASE + 36, CM_FONTCHANGE = CM_BASE + 38, CM_TABSTOPCHANGED = CM_BASE + 40,
               CM_UIACTIVATE = CM_BASE + 41, CM_CONTROLLISTCHANGE = CM_BASE + 44, CM_GETDATALINK = CM_BASE + 45,
               CM_CHILDKEY = CM_BASE + 46, CM_HINTSHOW = CM_BASE + 48, CM_SYSFONTCHANGED = CM_BASE + 53,
               CM_CONTROLCHANGE = CM_BASE + 54, CM_CHANGED = CM_BASE + 55, CM_BORDERCHANGED = CM_BASE + 59,
               CM_BIDIMODECHANGED = CM_BASE + 61, CM_PARENTBIDIMODECHANGED = CM_BASE + 62,
               CM_MOUSEWHEEL = CM_BASE + 67;
// Notification messages reflected to the control that caused them.
constexpr UINT CN_BASE = 0xBC00, CN_COMMAND = CN_BASE + WM_COMMAND, CN_KEYDOWN = CN_BASE + WM_KEYDOWN,
               CN_CHAR = CN_BASE + WM_CHAR, CN_DRAWITEM = CN_BASE + WM_DRAWITEM;

struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
  // The Qt event behind the message, when there is one; the default handler
  // passes it on to the widget.
  QEvent* Event = nullptr;

  // Mouse messages: position (signed 16-bit halves of LParam) and keys.
  int XPos() const { return static_cast<int16_t>(LParam & 0xFFFF); }
  int YPos() const { return static_cast<int16_t>((LParam >> 16) & 0xFFFF); }
  WPARAM Keys() const { return WParam; }
  // Key messages: the virtual key (or character) in WParam.
  WORD CharCode() const { return static_cast<WORD>(WParam); }
};

inline LPARAM MakeLParam(int lo, int hi) {
  return static_cast<LPARAM>((static_cast<uint32_t>(static_cast<uint16_t>(lo))) |
                             (static_cast<uint32_t>(static_cast<uint16_t>(hi)) << 16));
}
inline int LoWord(intptr_t v) { return static_cast<int>(v & 0xFFFF); }
inline int HiWord(intptr_t v) { return static_cast<int>((v >> 16) & 0xFFFF); }

// LParam of key messages: bit 29 says Alt was held; bit 22 (bit 6 of the scan code) marks
// a key of the numeric keypad.
constexpr LPARAM KF_ALTDOWN_LPARAM = 0x20000000;
constexpr LPARAM KF_KEYPAD_LPARAM = 0x00400000;

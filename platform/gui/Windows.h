#pragma once
// The Windows API names the system's code uses: handles, virtual-key codes,
// message-box flags and a few calls, carried out over the GUI layer.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/rtl/Types.h"

using UINT = unsigned int;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using DWORD = uint32_t;
using WORD = uint16_t;
using BYTE = uint8_t;
using BOOL = int;
struct HWND__;
using HWND = HWND__*;  // a window's number; a freed window's number is never reused
struct HCURSOR__;
using HCURSOR = HCURSOR__*;
class TCanvas;
using HDC = TCanvas*;

// Virtual-key codes.
constexpr WORD VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_CANCEL = 0x03, VK_MBUTTON = 0x04, VK_BACK = 0x08,
               VK_TAB = 0x09, VK_CLEAR = 0x0C, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
               VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14, VK_ESCAPE = 0x1B, VK_SPACE = 0x20,
               VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26,
               VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_SELECT = 0x29, VK_PRINT = 0x2A, VK_EXECUTE = 0x2B,
               VK_SNAPSHOT = 0x2C, VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_HELP = 0x2F, VK_LWIN = 0x5B,
               VK_RWIN = 0x5C, VK_APPS = 0x5D, VK_NUMPAD0 = 0x60, VK_NUMPAD1 = 0x61, VK_NUMPAD2 = 0x62,
               VK_NUMPAD3 = 0x63, VK_NUMPAD4 = 0x64, VK_NUMPAD5 = 0x65, VK_NUMPAD6 = 0x66, VK_NUMPAD7 = 0x67,
               VK_NUMPAD8 = 0x68, VK_NUMPAD9 = 0x69, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SEPARATOR = 0x6C,
               VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F, VK_F1 = 0x70, VK_F2 = 0x71,
               VK_F3 = 0x72, VK_F4 = 0x73, VK_F5 = 0x74, VK_F6 = 0x75, VK_F7 = 0x76, VK_F8 = 0x77, VK_F9 = 0x78,
               VK_F10 = 0x79, VK_F11 = 0x7A, VK_F12 = 0x7B, VK_F13 = 0x7C, VK_F24 = 0x87, VK_NUMLOCK = 0x90,
               VK_SCROLL = 0x91, VK_LSHIFT = 0xA0, VK_RSHIFT = 0xA1, VK_LCONTROL = 0xA2, VK_RCONTROL = 0xA3,
               VK_LMENU = 0xA4, VK_RMENU = 0xA5, VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC,
               VK_OEM_MINUS = 0xBD, VK_OEM_PERIOD = 0xBE, VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB,
               VK_OEM_5 = 0xDC, VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE;

// Message boxes.
constexpr UINT MB_OK = 0, MB_OKCANCEL = 1, MB_ABORTRETRYIGNORE = 2, MB_YESNOCANCEL = 3, MB_YESNO = 4,
               MB_RETRYCANCEL = 5, MB_ICONHAND = 0x10, MB_ICONSTOP = 0x10, MB_ICONERROR = 0x10,
               MB_ICONQUESTION = 0x20, MB_ICONEXCLAMATION = 0x30, MB_ICONWARNING = 0x30,
               MB_ICONASTERISK = 0x40, MB_ICONINFORMATION = 0x40, MB_DEFBUTTON1 = 0, MB_DEFBUTTON2 = 0x100,
               MB_DEFBUTTON3 = 0x200, MB_APPLMODAL = 0, MB_SYSTEMMODAL = 0x1000, MB_TASKMODAL = 0x2000;
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;

// Key states for GetKeyState: the toggle bit 1, the pressed bit 0x8000.
short GetKeyState(int VirtKey);
// Tests set the toggle states (num lock, caps lock, scroll lock) here.
void SetKeyToggleState(int VirtKey, bool On);

// Posts a message to a window's queue; messages are delivered in order by the event loop.
// Returns false when the window does not exist.
bool PostMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
LRESULT SendMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
// Same name, same number (case-insensitive), from 0xC000 up.
UINT RegisterWindowMessage(const std::string& Name);
bool IsWindow(HWND Wnd);

// The system's default sound (type 0, MB_ICONxxx); tests count the beeps.
bool MessageBeep(UINT Type);
int BeepCount();

// Shell open of a document or address ("open" verb). Tests install a handler
// to catch the calls; without one the desktop opens it. Returns > 32 on success.
using TShellOpenHandler = std::function<bool(const std::string& Verb, const std::string& File)>;
void SetShellOpenHandler(TShellOpenHandler Handler);
intptr_t ShellExecute(HWND Wnd, const std::string& Operation, const std::string& File,
                      const std::string& Parameters, const std::string& Directory, int ShowCmd);
constexpr int SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOW = 5, SW_SHOWMINIMIZED = 2, SW_SHOWMAXIMIZED = 3;

// System settings: SPI_GETWHEELSCROLLLINES writes the lines one wheel notch scrolls (a UINT,
// the desktop's setting) to PVParam. False for other actions or a null PVParam.
constexpr UINT SPI_GETWHEELSCROLLLINES = 104;
bool SystemParametersInfo(UINT Action, UINT Param, void* PVParam, UINT WinIni);

HCURSOR LoadCursor(uintptr_t Instance, const std::string& Name);
HCURSOR LoadCursorFromFile(const std::string& FileName);
// A monochrome cursor from two bit planes of Height rows, each row (Width + 15) / 16 * 2 bytes,
// leftmost pixel in the high bit: AND 1 with XOR 0 is clear, AND 0 shows XOR (0 black, 1 white),
// AND 1 with XOR 1 (inverted screen) shows black. Null for sizes below 1 or missing planes.
HCURSOR CreateCursor(uintptr_t Instance, int XHotSpot, int YHotSpot, int Width, int Height, const void* ANDPlane,
                     const void* XORPlane);

// Windows drawing calls over a canvas ("HDC" is the canvas).
int DrawText(HDC DC, const std::string& Text, int Count, TRect* Rect, UINT Format);
bool DrawEdge(HDC DC, TRect* Rect, UINT Edge, UINT Flags);
bool DrawFrameControl(HDC DC, TRect* Rect, UINT Type, UINT State);
bool DrawFocusRect(HDC DC, const TRect* Rect);

// Scroll bars, window timers, mouse capture and cursors of windows.
#include "platform/gui/WinWindow.h"

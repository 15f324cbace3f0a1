#pragma once
// Layered windows: the window-wide alpha of a top-level window. Per-pixel
// layered windows (UpdateLayeredWindow) do not exist on this platform.

#include "platform/gui/Graphics.h"
#include "platform/gui/Windows.h"

constexpr DWORD LWA_COLORKEY = 1, LWA_ALPHA = 2;

// With LWA_ALPHA a top-level window shows with opacity Alpha / 255 (a child
// window keeps its look); the colour key is ignored. False when Wnd is no window.
bool SetLayeredWindowAttributes(HWND Wnd, TColor Key, BYTE Alpha, DWORD Flags);

#pragma once
// Renders a form (or any windowed control) offscreen into a PNG file, so a
// test can leave a picture of a window under the build tree to look at.

#include <string>

class TWinControl;
class QImage;

// The control's window as it would appear on screen (a form with its menu bar).
QImage RenderControlImage(TWinControl* Control);
// Writes the picture; creates missing folders. Returns false when it could not.
bool SaveControlImage(TWinControl* Control, const std::string& FileName);

#pragma once
// Conversions at the Qt boundary, for the platform's own sources only.

#include <QColor>
#include <QRect>
#include <QString>
#include <string>

#include "platform/gui/Graphics.h"

// A std::string is shown as UTF-8 when it is valid UTF-8, else as Windows-1252.
QString ToQString(const std::string& s);
// Text from the user comes back as UTF-8.
std::string FromQString(const QString& s);

QColor ToQColor(TColor c);
TColor FromQColor(const QColor& c);
inline QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top); }
inline TRect FromQRect(const QRect& r) { return TRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height()); }

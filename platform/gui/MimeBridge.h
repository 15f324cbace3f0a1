#pragma once
// Data objects at the Qt boundary (the GUI layer's own sources only).

#include "platform/gui/DataObject.h"

class QMimeData;

// A view of Qt's data (read when asked for, empty once Qt frees it).
TDataObject DataObjectOf(const QMimeData* Mime);
// An object that owns Mime from now on.
TDataObject DataObjectOwning(QMimeData* Mime);
// A new copy for Qt to own; KnownOnly keeps only the formats the program reads.
QMimeData* MimeDataOf(const TDataObject& Data, bool KnownOnly = false);

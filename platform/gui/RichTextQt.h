#pragma once
// RTF into and out of a raw QTextDocument (platform code only: edit controls over QTextEdit).

#include <string>

#include "platform/gui/Graphics.h"

class QTextDocument;
class TRichDocument;

// Replaces the document's content; false with the reason in *error when the RTF is refused
// (what was read up to the fault stays in the document).
bool LoadRtfInto(QTextDocument* doc, const std::string& rtf, std::string* error = nullptr);
std::string SaveRtfFrom(const QTextDocument* doc);
// CR LF between paragraphs, TAB between cells, as TRichDocument::PlainText.
std::string PlainTextOf(const QTextDocument* doc);
// The document a TRichDocument keeps.
QTextDocument* DocumentOf(const TRichDocument& d);

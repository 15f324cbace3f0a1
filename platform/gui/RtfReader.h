#pragma once
// RTF as paragraphs of formatted runs, read and written without any toolkit: the subset a
// rich edit control's cell text uses (groups, font and colour tables, character and
// paragraph formatting, code pages, Unicode, a few symbol words, table cells as tabs).
// Destinations it does not show (pictures, objects, style sheets, \* groups) are skipped.

#include <string>
#include <string_view>
#include <vector>

#include "platform/gui/Graphics.h"

struct TRtfCharFormat {
  bool Bold = false, Italic = false, Underline = false, Strike = false;
  std::string Font;         // empty: the default font
  int HalfPoints = 0;       // 0: the default size
  TColor Color = clNone;    // clNone: the automatic colour
  TColor Back = clNone;     // clNone: no highlight
  bool operator==(const TRtfCharFormat&) const = default;
};

enum TRtfAlign { raLeft, raCenter, raRight, raJustify };

struct TRtfParaFormat {
  TRtfAlign Align = raLeft;
  int LeftIndent = 0, RightIndent = 0, FirstIndent = 0;  // twips
  bool operator==(const TRtfParaFormat&) const = default;
};

// Text is UTF-8: a line break (\line) is U+2028, a tab '\t', \~ U+00A0, \_ U+2011, \- U+00AD.
struct TRtfRun {
  std::string Text;
  TRtfCharFormat Format;
  bool operator==(const TRtfRun&) const = default;
};

struct TRtfParagraph {
  TRtfParaFormat Format;
  std::vector<TRtfRun> Runs;
  bool operator==(const TRtfParagraph&) const = default;
};

struct TRtfContent {
  std::vector<TRtfParagraph> Paragraphs;
  // CR LF between paragraphs and for line breaks; U+00A0 as a space, U+2011 as '-', soft
  // hyphens and embedded objects (U+FFFC) left out.
  std::string PlainText() const;
};

// Reads everything it can into out (emptied first); false with the reason in *error when the
// RTF is malformed (what was read before the fault stays in out).
bool ReadRtf(std::string_view rtf, TRtfContent& out, std::string* error = nullptr);
// Reads as ReadRtf does, but stops once the content holds more than StopAfter bytes of text;
// *Cut then tells it stopped before the end (a fault after that point is not seen). What it
// read is the start of what ReadRtf reads, its last paragraph in the paragraph format where
// reading stopped (RTF gives a paragraph's format before its text). *Read is the count of
// RTF bytes read.
bool ReadRtfStart(std::string_view rtf, TRtfContent& out, size_t StopAfter, bool* Cut, size_t* Read = nullptr,
                  std::string* error = nullptr);
// RTF of the content: \ansicpg the first Windows code page that holds all its characters
// (else 1252), characters outside ASCII as \uN with that code page's \'hh (or '?') after them,
// font and colour tables of what the runs use.
std::string WriteRtf(const TRtfContent& content);

// Appends UTF-8 text as plain text (see TRtfContent::PlainText).
void AppendRtfPlain(std::string& out, std::string_view utf8);
// The Windows code page (437, 850, 874, 932, 936, 949, 950, 1250-1258, 10000) of an \fcharset;
// 0 for DEFAULT_CHARSET (the document's).
int RtfCharsetCodePage(int charset);

#pragma once
// Rich text: RTF read into a formatted document and written back from it, its plain text,
// its laid-out size and its drawing on a canvas. The document is Qt's; only platform code
// sees it (RichTextQt.h). The RTF parsing itself is Qt-free (RtfReader.h).

#include <memory>
#include <string>

#include "platform/gui/Graphics.h"

struct TRichDrawOptions {
  TColor TextColor = clNone;  // not clNone: every character in this colour (a selection's text)
  bool Clip = true;           // nothing drawn outside the rectangle
  // The canvas's resolution: the text laid out for the screen's 96 is drawn scaled to it.
  int PixelsPerInch = 96;
};

class TRichDocument {
 public:
  TRichDocument();
  ~TRichDocument();
  TRichDocument(const TRichDocument&) = delete;
  TRichDocument& operator=(const TRichDocument&) = delete;

  // False with the reason in *error when the RTF is refused; what was read up to the fault
  // stays in the document.
  bool LoadRtf(const std::string& rtf, std::string* error = nullptr);
  std::string SaveRtf() const;
  // UTF-8; paragraphs and line breaks end in CR LF (the last paragraph without), a table's
  // cells are separated by TAB.
  std::string PlainText() const;
  void Clear();
  bool IsEmpty() const;

  // The font of text that names no font or size of its own, and the colour of text whose
  // colour is the automatic one.
  void SetDefaultFont(const TFont& f);
  void SetDefaultFont(const TFontData& f);
  // The width text wraps at, in pixels; -1 does not wrap.
  void SetTextWidth(int px);
  // Reads RTF to be drawn in a box of this size (the text wrapping at its width) and keeps of
  // it only what can show there: the paragraphs that start above the box's bottom, and of
  // each the lines down to one past the box, so laying out and drawing cost what the box
  // holds, not the whole text. SetShownBox lays the kept RTF out for another box or font.
  // The document then holds that part only (its plain text, RTF and size are of that part).
  // The RTF is read only as far as what shows needs (a fault after that point is not seen):
  // a document read in part lays out for another box or font only what was read, so a caller
  // that needs more loads it again.
  bool LoadRtfShown(const std::string& rtf, int width, int height, std::string* error = nullptr);
  void SetShownBox(int width, int height);
  bool ReadInPart() const;
  // Bytes of RTF read by the last load: what loading cost.
  size_t RtfBytesRead() const;
  // Characters in the document (each paragraph end counts one).
  int CharacterCount() const;
  // The laid-out extent in pixels.
  int Width() const;
  int Height() const;
  // Draws the laid-out text with its top-left at r's top-left.
  void Draw(TCanvas& canvas, const TRect& r, const TRichDrawOptions& o = {}) const;

  struct TImpl;
  TImpl* Impl() const { return d_.get(); }

 private:
  std::unique_ptr<TImpl> d_;
};

// The plain text TRichDocument::PlainText gives for this RTF (read without building a document).
std::string RtfToPlainText(const std::string& rtf);

// Keeps the shaped glyphs of the document's lines after each layout, so drawing it again does not
// shape its text again (more memory per document: for documents kept to be drawn many times).
void KeepRichTextShapes(TRichDocument& d);

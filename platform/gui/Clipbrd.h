#pragma once
// The clipboard: text and formats registered by name, carried as the MIME types of
// DataObject.h, so other programs read the text, files, links and rich text we put there.

#include <string>

#include "platform/gui/DataObject.h"

class TBitmap;

class TClipboard {
 public:
  std::string AsText() const;
  void SetAsText(const std::string& v);
  bool HasFormat(TClipboardFormat Format) const;
  // Raw bytes of a registered format.
  std::string GetAsData(TClipboardFormat Format) const;
  void SetAsData(TClipboardFormat Format, const std::string& Data);
  // What the clipboard holds now, in every format the program reads (a copy: it stays as it
  // is when the clipboard changes).
  TDataObject GetDataObject() const;
  // Replaces the clipboard's content (or, while open, adds to what will be put there).
  void SetDataObject(const TDataObject& Data);
  // Several formats at once.
  void Open();
  void Close();
  void Clear();
  void Assign(TBitmap* Bitmap);

 private:
  int open_ = 0;
  class QMimeData* pending_ = nullptr;
};

TClipboard* Clipboard();

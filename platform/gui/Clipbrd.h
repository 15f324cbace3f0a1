#pragma once
// The clipboard: text and formats registered by name.

#include <string>

using TClipboardFormat = unsigned;
constexpr TClipboardFormat CF_TEXT = 1, CF_BITMAP = 2, CF_UNICODETEXT = 13;
// Same name, same number (case-insensitive).
TClipboardFormat RegisterClipboardFormat(const std::string& Name);

class TBitmap;

class TClipboard {
 public:
  std::string AsText() const;
  void SetAsText(const std::string& v);
  bool HasFormat(TClipboardFormat Format) const;
  // Raw bytes of a registered format.
  std::string GetAsData(TClipboardFormat Format) const;
  void SetAsData(TClipboardFormat Format, const std::string& Data);
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

#pragma once
// Data exchanged with other programs (clipboard and drag and drop): formats by
// the system's names, carried as standard MIME types.
//
//   CF_TEXT, CF_UNICODETEXT      text/plain;charset=utf-8 (any text/plain is read)
//   CF_HDROP                     text/uri-list, file: addresses
//   "UniformResourceLocator"     text/uri-list, other addresses (text/x-moz-url is read)
//   "Rich Text Format"           text/rtf (application/rtf is read)
//   any other registered name    application/x-velmaron-<name, lower case, '-' for blanks>

#include <memory>
#include <string>
#include <vector>

using TClipboardFormat = unsigned;
constexpr TClipboardFormat CF_TEXT = 1, CF_BITMAP = 2, CF_UNICODETEXT = 13, CF_HDROP = 15;
// Same name, same number (case-insensitive), for the whole run.
TClipboardFormat RegisterClipboardFormat(const std::string& Name);
// The MIME type a format travels as ("" for an unknown number).
std::string ClipboardFormatMimeType(TClipboardFormat Format);

// One offer of data in several formats. Texts are UTF-8 (a text that is not valid UTF-8 is
// read as Windows-1252 when set). Data received from another program is read when asked for,
// so an offer that is only looked at (a drag passing over) costs no transfer. Copies share
// one offer.
class TDataObject {
 public:
  TDataObject();

  // Nothing offered in any format at all (such data is refused by every drop target).
  bool Empty() const;
  bool HasFormat(TClipboardFormat Format) const;
  bool HasText() const { return HasFormat(CF_TEXT); }
  bool HasFiles() const { return HasFormat(CF_HDROP); }
  bool HasLinks() const;

  std::string Text() const;
  // Local file names (UTF-8), in the order offered.
  std::vector<std::string> Files() const;
  // Addresses that are not local files, in the order offered.
  std::vector<std::string> Links() const;
  // The bytes of a format ("" when absent); text formats give Text().
  std::string Data(TClipboardFormat Format) const;

  void SetText(const std::string& Text);
  void SetFiles(const std::vector<std::string>& FileNames);
  void SetLinks(const std::vector<std::string>& Urls);
  void SetData(TClipboardFormat Format, const std::string& Bytes);

  // The MIME types offered, in the offer's order (tests and diagnostics).
  std::vector<std::string> MimeTypes() const;

  struct Impl;
  explicit TDataObject(std::shared_ptr<Impl> d) : d_(std::move(d)) {}
  const std::shared_ptr<Impl>& Internal() const { return d_; }

 private:
  std::shared_ptr<Impl> d_;
};

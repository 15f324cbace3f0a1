// Cabinet (.cab) and SZDD ("LZ"-compressed) files.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/archive/NoLinkFiles.h"

namespace archive {

struct TCabEntry {
  std::string Name;     // as stored ("\" separates folders); UTF-8
  uint32_t Length = 0;
  // Stored date and time, local time of the packer.
  int Year = 1980, Month = 1, Day = 1, Hour = 0, Minute = 0, Second = 0;
  uint32_t Attribs = 0;
};

// One cabinet file, opened whole: entries can be examined before any is written.
class TCabinet {
public:
  TCabinet();
  ~TCabinet();
  TCabinet(const TCabinet&) = delete;
  TCabinet& operator=(const TCabinet&) = delete;

  // False, with a reason, when the file is missing or not a cabinet.
  bool Open(const std::string& fileName, std::string& error);
  void Close();
  const std::vector<TCabEntry>& Entries() const { return entries_; }

  // Writes entry `index` to `target` (through a temporary file beside it, so a
  // failed extraction keeps an existing target) and gives it the stored date;
  // a replaced file's mode is kept. No link is followed on the way to `target`;
  // the file is synced before its rename and the folder after.
  bool Extract(size_t index, const std::string& target, std::string& error, const TPlaceRule& rule = {});
  // Writes entry `index` straight to `file` (a scratch file of the caller's own
  // private folder), to look at what it holds before anything is placed.
  bool ExtractScratch(size_t index, const std::string& file, std::string& error);

private:
  struct TImpl;
  std::unique_ptr<TImpl> impl_;
  std::vector<TCabEntry> entries_;
};

// Bytes free for an unprivileged user on the file system that holds `path`
// (or its nearest existing parent); -1 when that cannot be told.
int64_t FreeBytesAt(const std::string& path);

struct TSzddHeader {
  char MissingChar = 0;  // the last character of the expanded name, 0 when not stored
  uint32_t Length = 0;   // expanded length
};

// True when the file starts with a valid SZDD header.
bool ReadSzddHeader(const std::string& fileName, TSzddHeader& header);
// Expands an SZDD file into `target` (through a temporary file beside it; a
// replaced file's mode is kept; placed as Extract places); false with a reason
// on failure.
bool ExpandSzdd(const std::string& fileName, const std::string& target, std::string& error,
                const TPlaceRule& rule = {});

}  // namespace archive

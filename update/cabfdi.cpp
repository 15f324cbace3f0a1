#include "update/cabfdi.h"

#include "platform/archive/Archive.h"
#include "platform/archive/NoLinkFiles.h"
#include "platform/rtl/SysUtils.h"
#include "update/NuPrefix.h"

#include <cctype>

namespace cabfdi {

namespace {

std::string Slashed(std::string s) {
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

}  // namespace

bool IsSafeEntryName(const std::string& name) {
  if (name.empty() || name[0] == '\\' || name[0] == '/') return false;
  if (name.size() >= 2 && name[1] == ':') return false;  // drive letter
  if (name.find(':') != std::string::npos) return false;  // alternate stream or device
  const std::string path = Slashed(name);
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    if (path.compare(start, end - start, "..") == 0) return false;
    start = end + 1;
  }
  return true;
}

bool CreateDirectoryPath(const std::string& dir) {
  std::string d = Slashed(dir);
  if (!d.empty() && d.back() == '/') d.pop_back();
  if (d.empty()) return true;  // the current directory, or the root
  // Update files follow no link: neither does the making of their folders.
  archive::TFolder folder;
  std::string error;
  return folder.Open(d, true, error);
}

namespace {

std::string Base(const std::string& destDir) {
  std::string dest = Slashed(destDir);
  if (!dest.empty() && dest.back() != '/') dest += '/';
  // No destination: the program's folder, the current directory of a program started from it.
  return dest.empty() ? NUpdate::AppDirectory() : dest;
}

}  // namespace

bool ListCab(const std::string& cabinet, std::vector<std::string>& names) {
  names.clear();
  archive::TCabinet cab;
  std::string error;
  if (!cab.Open(cabinet, error)) return false;
  for (const archive::TCabEntry& e : cab.Entries()) {
    if (!IsSafeEntryName(e.Name)) return false;
    names.push_back(Slashed(e.Name));
  }
  return true;
}

int ExtractCab(const std::string& cabinet, const std::string& destDir, const archive::TPlaceRule& rule,
               std::string* why) {
  archive::TCabinet cab;
  std::string error;
  if (!cab.Open(cabinet, error)) {
    if (why) *why = error;
    return -1;
  }
  const std::string base = Base(destDir);
  // Every refusal is found before the first byte is written: names, what lies
  // on the way to each file, and the room all of them need.
  int64_t total = 0;
  for (const archive::TCabEntry& e : cab.Entries()) {
    if (!IsSafeEntryName(e.Name)) {
      if (why) *why = "the entry " + e.Name + " would leave its folder";
      return -1;
    }
    if (!archive::CheckPlaceable(base + Slashed(e.Name), rule, error)) {
      if (why) *why = error;
      return -1;
    }
    total += e.Length;
  }
  const int64_t free = archive::FreeBytesAt(base);
  if (free >= 0 && total > free) {
    if (why)
      *why = "it unpacks to " + std::to_string(total) + " bytes, only " + std::to_string(free) + " are free in " + base;
    return -1;
  }
  for (size_t i = 0; i < cab.Entries().size(); ++i) {
    const std::string target = base + Slashed(cab.Entries()[i].Name);
    if (!CreateDirectoryPath(ExtractFilePath(target))) return -1;
    if (!cab.Extract(i, target, error, rule)) return -1;
  }
  return 0;
}

}  // namespace cabfdi

namespace NUpdate {

std::string ExpandedName(const std::string& compressedFile) {
  archive::TSzddHeader header;
  if (!archive::ReadSzddHeader(compressedFile, header)) return {};
  const char c = header.MissingChar;
  if (c == '/' || c == '\\' || c == ':') return {};
  std::string name = ExtractFileName(compressedFile);
  if (!name.empty() && name.back() == '_') {
    name.pop_back();
    if (c != 0) name += c;
  }
  if (name.empty() || name == "." || name == "..") return {};
  return name;
}

bool LZExpandFile(const std::string& fileName, std::string* expandedPath) {
  const std::string name = ExpandedName(fileName);
  if (name.empty()) return false;
  const std::string target = ExtractFilePath(fileName) + name;
  std::string error;
  if (!archive::ExpandSzdd(fileName, target, error)) return false;
  if (target != fileName) DeleteFile(fileName);
  if (expandedPath) *expandedPath = target;
  return true;
}

}  // namespace NUpdate

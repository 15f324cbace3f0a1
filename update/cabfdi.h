// Cabinet extraction and LZ expansion of downloaded update files.
#pragma once

#include <string>
#include <vector>

#include "platform/archive/NoLinkFiles.h"

namespace cabfdi {

// Unpacks every entry of `cabinet` below `destDir` (empty: the program's folder,
// wherever the program was started from),
// creating the entries' folders and giving each file its stored date.
// 0 on success, -1 on any failure. An entry whose name could leave the
// destination (a "..", a leading "\" or "/", a drive letter) fails the whole
// cabinet before anything is written. No link is followed on the way to an
// entry's file; `rule` says what may be replaced.
// Every check (names, links and files in the way, free space for all the
// entries) is made before the first byte is written; `why` gets the reason of a
// failure when given.
int ExtractCab(const std::string& cabinet, const std::string& destDir, const archive::TPlaceRule& rule = {},
               std::string* why = nullptr);

// The names of the entries of `cabinet` ("/" separating folders), without
// writing anything; false when it is no cabinet or a name could leave its
// destination.
bool ListCab(const std::string& cabinet, std::vector<std::string>& names);

// True when a stored entry name stays below the directory it is unpacked into.
bool IsSafeEntryName(const std::string& name);

// Creates a directory and its missing parents, following no link; "/" and "\" both separate.
bool CreateDirectoryPath(const std::string& dir);

}  // namespace cabfdi

namespace NUpdate {

// The name an SZDD file expands to: the header's stored last character replaces
// a trailing "_" ("upd.ex_" gives "upd.exe"); with none stored the "_" is dropped.
// Empty when the file is not SZDD or the stored character could name another
// folder ("/", "\" or ":").
std::string ExpandedName(const std::string& compressedFile);

// Expands an SZDD file beside itself under its expanded name (through a temporary
// file) and deletes the compressed file. A file that is not SZDD is left as it is
// and gives false. `expandedPath` receives the new file's path.
bool LZExpandFile(const std::string& fileName, std::string* expandedPath = nullptr);

}  // namespace NUpdate

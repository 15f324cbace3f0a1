// Helpers the engine's source files share (not for other code).
#pragma once

#include <string>

namespace NUpdate {

// The log file name the log writer uses: the last engine that set one decides.
std::string& UnitLogFileName();
// A path of the control file on this system: "\" separates like "/".
std::string LocalPath(std::string path);
// A URL as people and logs may see it: without user information.
std::string ShownURL(const std::string& url);

// "scheme://host:port" of an address (lower case, the port spelt out); "" for a path.
std::string OriginOf(const std::string& url);

// True for an existing regular file (not a device, pipe or directory).
bool IsRegularFile(const std::string& fileName);

// A copy the updater puts in place of its name without "_NEW": the first "_NEW"
// (any case) in the file name, the folders not counted, is its last four characters.
bool IsNewCopyName(const std::string& path);

// True when the two paths name one place (relative ones from the current folder, links followed).
bool SamePlace(const std::string& a, const std::string& b);

}  // namespace NUpdate

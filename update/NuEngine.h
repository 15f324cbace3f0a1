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

}  // namespace NUpdate

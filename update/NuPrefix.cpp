#include "update/NuPrefix.h"

#include "platform/rtl/Process.h"
#include "platform/rtl/SysUtils.h"

namespace NUpdate {

std::string ExpandPrefixes(const std::string& text, const TPrefixLookup& lookup) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    const size_t open = text.find('{', i);
    if (open == std::string::npos) break;
    const size_t close = text.find('}', open + 1);
    if (close == std::string::npos) break;
    out.append(text, i, open - i);
    const std::string path = lookup ? lookup(UpperCase(text.substr(open + 1, close - open - 1))) : "";
    if (path.empty())
      out.append(text, open, close + 1 - open);
    else
      out += path;
    i = close + 1;
  }
  out.append(text, i, std::string::npos);
  return out;
}

std::string NormalisePrefixPath(const std::string& dir) {
  if (dir.empty()) return dir;
  std::string p = dir;
  if (p.back() != '/' && p.back() != '\\') p += '/';
  if (p.size() > 3 && p[1] == ':')
    p.pop_back();
  else
    p += '.';
  return p;
}

namespace {
std::string& AppDirectorySetting() {
  static std::string dir;
  return dir;
}
}  // namespace

std::string AppDirectory() {
  const std::string& set = AppDirectorySetting();
  if (!set.empty()) return set;
  // Where the program lies, not where it was started from.
  const std::string exe = CurrentExecutable();
  return exe.empty() ? IncludeTrailingPathDelimiter(GetCurrentDir()) : ExtractFilePath(exe);
}

void SetAppDirectory(const std::string& dir) {
  AppDirectorySetting() = dir.empty() ? dir : IncludeTrailingPathDelimiter(dir);
}

std::string StandardPrefixPath(const std::string& upperToken) {
  if (upperToken == "APP") return NormalisePrefixPath(AppDirectory());
  if (upperToken == "TMP") return NormalisePrefixPath(ExcludeTrailingPathDelimiter(GetTempDir()));
  return {};
}

}  // namespace NUpdate

// {APP}-style tokens in the paths an update control file names.
#pragma once

#include <functional>
#include <string>

namespace NUpdate {

// The path a token stands for, already normalised; "" when the token is unknown.
using TPrefixLookup = std::function<std::string(const std::string& upperToken)>;

// Replaces every {TOKEN} (any case) that `lookup` knows by its path; unknown
// tokens stay as written. Scanning resumes after an inserted path, so a path
// that itself holds a token cannot expand forever.
std::string ExpandPrefixes(const std::string& text, const TPrefixLookup& lookup);

// The paths this system knows: APP the program's folder, TMP the temporary
// directory. WIN, SYS and PF name Windows folders that do not exist here: "".
std::string StandardPrefixPath(const std::string& upperToken);

// The program's folder, with a trailing delimiter: the folder of the running
// executable unless set (the updater sets the folder of the program it updates).
std::string AppDirectory();
void SetAppDirectory(const std::string& dir);

// A directory as a token's value: with a trailing delimiter and "." after it,
// so "{APP}\x" names x inside it; a drive path ("C:\dir") without either.
std::string NormalisePrefixPath(const std::string& dir);

}  // namespace NUpdate

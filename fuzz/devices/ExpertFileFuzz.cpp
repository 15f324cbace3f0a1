// The expert data file reader on any bytes: it accepts or refuses, and what it
// accepts writes back to a file that reads as the same table.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "devices/ExpertFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TExpertFile file;
  std::string error;
  if (!ReadExpertFile(bytes, file, error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  if (file.Rows.size() > static_cast<size_t>(ExpertMaxFileRows)) std::abort();
  // A field that itself reads as the note mark (",Comments: " or a field
  // beginning "Comments: ") cannot be told from a note: such a file is read,
  // but its rows need not come back the same.
  for (const TExpertRow& r : file.Rows) {
    const std::string fields = r.Address + "," + r.RW + "," + r.Stop + "," + r.Delay + "," + r.Data;
    if (fields.find(",Comments: ") != std::string::npos) return 0;
  }
  TExpertFile again;
  if (!ReadExpertFile(WriteExpertFile(file.Rows, file.Sequence), again, error)) std::abort();
  // Rows whose fields are all empty are not written; every other row comes back as read.
  size_t k = 0;
  for (const TExpertRow& r : file.Rows) {
    if (r.Address.empty() && r.RW.empty() && r.Stop.empty() && r.Delay.empty() && r.Data.empty() && r.Notes.empty())
      continue;
    if (k >= again.Rows.size() || !(again.Rows[k] == r)) std::abort();
    ++k;
  }
  if (k != again.Rows.size() || again.Sequence != file.Sequence) std::abort();
  return 0;
}

// Expands arbitrary bytes as an SZDD file; a success must give a file of the
// header's length next to it, a failure must leave the input alone.
#include "platform/archive/Archive.h"
#include "update/cabfdi.h"

#include "fuzz/FuzzScratch.h"

using namespace fuzzscratch;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string in = Reset("file.ex_", data, size);
  archive::TSzddHeader header;
  const bool isSzdd = archive::ReadSzddHeader(in, header);
  std::string out;
  const bool ok = NUpdate::LZExpandFile(in, &out);
  if (ok) {
    Check(isSzdd);
    Check(fs::path(out).parent_path() == Root());
    Check(fs::file_size(out) == header.Length);
  } else {
    Check(fs::exists(in) && fs::file_size(in) == size);
  }
  return 0;
}

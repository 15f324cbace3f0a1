// Unpacks arbitrary bytes as a cabinet into a folder of the scratch root and
// checks that nothing appears outside that folder.
#include "update/cabfdi.h"

#include "fuzz/FuzzScratch.h"

using namespace fuzzscratch;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string cab = Reset("in.cab", data, size);
  fs::create_directory(Root() / "out");
  const int rc = cabfdi::ExtractCab(cab, (Root() / "out").string() + "/");
  Check(rc == 0 || rc == -1);
  size_t entries = 0;
  for (auto& e : fs::directory_iterator(Root())) {
    (void)e;
    ++entries;
  }
  Check(entries == 2);  // in.cab and out/
  return 0;
}

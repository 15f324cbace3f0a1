// Reads arbitrary bytes as the registry store file. A damaged file keeps every well-formed key
// and value and names what it skipped; whatever was kept writes back to a file that reads the
// same, without errors.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/rtl/Registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  TRegistryStore store;
  std::string error;
  if (!store.Parse(text, error) && error.empty()) std::abort();
  const std::string written = store.Serialize();
  TRegistryStore back;
  if (!back.Parse(written, error)) std::abort();
  if (back.Serialize() != written) std::abort();
  return 0;
}

// Reads arbitrary bytes as the registry store file: a damaged file must be
// refused cleanly, and an accepted one must write back to a file that reads the same.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/rtl/Registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  TRegistryStore store;
  std::string error;
  if (!store.Parse(text, error)) {
    if (error.empty()) std::abort();
    // A refused file leaves the store empty.
    if (store.Serialize() != TRegistryStore().Serialize()) std::abort();
    return 0;
  }
  std::string written = store.Serialize();
  TRegistryStore back;
  if (!back.Parse(written, error)) std::abort();
  if (back.Serialize() != written) std::abort();
  return 0;
}

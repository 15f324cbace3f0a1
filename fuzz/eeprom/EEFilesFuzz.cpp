// The three readers of the EEPROM windows over arbitrary bytes. The first byte
// chooses the reader and the device size, the rest is the file. A refused file
// must give a message and nothing else; an accepted one must hold no more than
// the device and read back the same after the writer has written it.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "eeprom/EEFiles.h"
#include "fuzz/FuzzInput.h"

namespace {

const uint32_t kSizes[] = {16, 128, 256, 512, 1024, 2048, 4096, 8192, 16384, 32768, 65536};
constexpr unsigned kSizeCount = sizeof(kSizes) / sizeof(kSizes[0]);

void CheckSettings(TEEKind kind, uint32_t size, const TEEFileSettings& s) {
  Check(EEPageSizeValid(kind, size, s.PageSize));
  Check(s.WriteTime >= 1 && s.WriteTime <= EEMaxWriteTime);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint32_t device = kSizes[data[0] % kSizeCount];
  const unsigned reader = (data[0] / kSizeCount) % 3;
  const std::string file(reinterpret_cast<const char*>(data + 1), size - 1);
  TEEKind kind = ekSmall;
  Check(EEKindOfSize(device, kind));

  TEELoadResult r;
  switch (reader) {
    case 0: r = ParseMemImage(kind, device, file); break;
    case 1: r = ParseHexFile(device, file); break;
    default: r = ParseBinFile(device, file); break;
  }
  if (!r.Ok) {
    Check(!r.Error.empty() && r.Data.empty() && !r.Settings && r.Notes.empty());
    return 0;
  }
  Check(r.Error.empty());
  Check(r.Data.size() <= device);
  switch (reader) {
    case 0: {
      Check(r.Settings.has_value());
      CheckSettings(kind, device, *r.Settings);
      if (kind == ekLarge) Check(r.Data.size() == device);
      if (r.Data.size() == device) {
        const TEELoadResult again = ParseMemImage(kind, device, MemImageBytes(kind, *r.Settings, r.Data));
        Check(again.Ok && again.Data == r.Data && again.Notes.empty());
        Check(again.Settings->PageSize == r.Settings->PageSize && again.Settings->WriteTime == r.Settings->WriteTime);
      }
      break;
    }
    case 1: {
      Check(r.Data.size() == device && !r.Settings);
      const TEELoadResult again = ParseHexFile(device, HexFileText(r.Data));
      Check(again.Ok && again.Data == r.Data);
      break;
    }
    default:
      Check(r.Data.size() == std::min<size_t>(file.size(), device) && !r.Settings);
      break;
  }
  return 0;
}

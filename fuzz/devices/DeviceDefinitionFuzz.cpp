// The device definition reader on any bytes: whatever it reads stays inside
// the model (256 registers, one-byte values or "XX", a two-digit address), and
// writing it back and reading again gives the same device.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/bus/ByteText.h"
#include "devices/Longi2cFile.h"
#include "fuzz/FuzzInput.h"

namespace {
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  TDefinitionRepairs fixes;
  const TDeviceDefinition def = ParseDefinition(text, &fixes);
  Check(def.MaxRegister >= 0 && def.MaxRegister <= 255);
  Check(def.Address.size() == 2 && IsByteCellText(def.Address));
  for (int i = 0; i <= def.MaxRegister; ++i)
    Check(def.Values[i] == "XX" || (def.Values[i].size() == 2 && IsByteCellText(def.Values[i])));
  (void)fixes.Describe();

  // Saving into the hostile text itself (kept short: the INI writer reindexes per key).
  if (def.MaxRegister < 32) {
    const TDeviceDefinition saved = ParseDefinition(DefinitionText(def, text, dsSave));
    Check(saved.MaxRegister == def.MaxRegister);
    for (int i = 0; i <= def.MaxRegister; ++i) Check(saved.Values[i] == def.Values[i]);
  }
  const TDeviceDefinition again = ParseDefinition(DefinitionText(def, std::string_view(), dsSaveAs));
  Check(again.MaxRegister == def.MaxRegister && again.Address == def.Address);
  for (int i = 0; i <= def.MaxRegister; ++i) Check(again.Values[i] == def.Values[i]);
  (void)ExportText(def);
  if (def.MaxRegister < 32) (void)ExportText(def, text);
  (void)PrintoutLines(def, "x");
  return 0;
}

// Caller-supplied format strings and typed text: conversions either succeed or
// raise EConvertError; they never crash or read past their arguments.
#include <cstdint>
#include <string>

#include "platform/rtl/SysUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  try {
    Format(text, {1, -2.5, "str", 'c', static_cast<const void*>(data), int64_t{1} << 40});
  } catch (const EConvertError&) {
  }
  try {
    Format(text, {});
  } catch (const EConvertError&) {
  }
  int i;
  TryStrToInt(text, i);
  double d;
  TryStrToFloat(text, d);
  TDateTime dt;
  TryStrToDateTime(text, dt);
  FormatDateTime(text.substr(0, 64), 45000.5);
  FormatFloat(text.substr(0, 64), 1234.5678);
  FormatFloat(text.substr(0, 64), -0.001);
  return 0;
}

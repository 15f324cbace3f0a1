#include "eeprom/EEImage.h"

#include <algorithm>

#include "app/bus/ByteText.h"
#include "platform/rtl/SysUtils.h"

bool EEValidSize(TEEKind kind, uint32_t size) {
  static const uint32_t small[] = {16, 128, 256, 512, 1024, 2048};
  static const uint32_t large[] = {4096, 8192, 16384, 32768, 65536};
  if (kind == ekSmall) return std::find(std::begin(small), std::end(small), size) != std::end(small);
  return std::find(std::begin(large), std::end(large), size) != std::end(large);
}

bool EEKindOfSize(uint32_t size, TEEKind& kind) {
  for (TEEKind k : {ekSmall, ekLarge})
    if (EEValidSize(k, size)) {
      kind = k;
      return true;
    }
  return false;
}

uint32_t HexToInt(const std::string& text) {
  static const std::string digits = "0123456789ABCDEF";
  const std::string t = UpperCase(text);
  uint32_t value = 0, weight = 1;
  for (auto it = t.rbegin(); it != t.rend(); ++it) {
    const size_t d = digits.find(*it);
    if (d != std::string::npos) value += static_cast<uint32_t>(d) * weight;
    weight *= 16;
  }
  return value;
}

int StrictHexToInt(const std::string& text) { return StrToInt("$" + text); }

uint8_t LenientByte(const std::string& cell) {
  if (const auto v = ByteCellValue(cell)) return *v;
  return static_cast<uint8_t>(HexToInt(cell) & 0xFF);
}

uint8_t StrictByte(const std::string& cell) {
  if (IsByteCellText(cell)) return *ByteCellValue(cell);
  // Blank, three digits or not hex: the library's own conversion message.
  throw EConvertError("'$" + cell + "' is not a valid integer value");
}

uint8_t CellByte(TEEKind kind, const std::string& cell) {
  return kind == ekLarge ? LenientByte(cell) : StrictByte(cell);
}

std::string AsciiCellText(uint8_t value) {
  return value >= 32 && value <= 126 ? std::string(1, static_cast<char>(value)) : std::string(".");
}

TEEBytes ImageFromCells(TEEKind kind, uint32_t size, const TEECellText& cell) {
  TEEBytes image(size);
  for (uint32_t a = 0; a < size; ++a) image[a] = CellByte(kind, cell(a));
  return image;
}

const std::vector<uint32_t>& EEPageSizes(TEEKind kind) {
  static const std::vector<uint32_t> small{1, 8, 16, 32};
  static const std::vector<uint32_t> large{1, 8, 16, 32, 64, 128};
  return kind == ekSmall ? small : large;
}

bool EEPageSizeValid(TEEKind kind, uint32_t deviceSize, uint32_t pageSize) {
  const auto& list = EEPageSizes(kind);
  return pageSize <= deviceSize && std::find(list.begin(), list.end(), pageSize) != list.end();
}

std::string EEPageSizeMessage(TEEKind kind, uint32_t deviceSize) {
  std::string values;
  for (uint32_t p : EEPageSizes(kind))
    if (p <= deviceSize) values += (values.empty() ? "" : ", ") + std::to_string(p);
  return "Page Size must be one of " + values + ": 8 is used";
}

uint32_t EEPageSizeOf(TEEKind kind, uint32_t deviceSize, const std::string& text, std::string& message) {
  message.clear();
  int value = 0;
  const std::string t = Trim(text);
  // Decimal digits only: the library would also take "$10" as sixteen.
  const bool digits = !t.empty() && t.size() <= 9 &&
                      std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (digits && TryStrToInt(t, value) && EEPageSizeValid(kind, deviceSize, static_cast<uint32_t>(value)))
    return static_cast<uint32_t>(value);
  message = EEPageSizeMessage(kind, deviceSize);
  return EEDefaultPageSize;
}

const char* const EEWriteTimeMessage = "Write Time must be a whole number of milliseconds from 1 to 65535";

bool EEWriteTimeOf(const std::string& text, uint32_t& ms, std::string& message) {
  const std::string t = Trim(text);
  const bool digits = !t.empty() && t.size() <= 5 &&
                      std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
  int value = 0;
  if (digits && TryStrToInt(t, value) && value >= 1 && value <= static_cast<int>(EEMaxWriteTime)) {
    ms = static_cast<uint32_t>(value);
    message.clear();
    return true;
  }
  message = EEWriteTimeMessage;
  return false;
}

uint8_t EEDeviceAddressOf(const std::string& text) {
  const int value = StrictHexToInt(text);
  if (value < 0 || value > 0xFF) throw EConvertError("'" + text + "' is not a valid device address");
  return static_cast<uint8_t>(value & 0xFE);
}

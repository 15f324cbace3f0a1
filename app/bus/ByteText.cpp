#include "app/bus/ByteText.h"

#include "platform/rtl/SysUtils.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string Trimmed(const std::string& text) { return Trim(text); }

}  // namespace

bool IsByteCellText(const std::string& text) {
  const std::string t = Trimmed(text);
  if (t.empty() || t.size() > 2) return false;
  for (char c : t)
    if (HexDigit(c) < 0) return false;
  return true;
}

std::string ByteCellText(uint8_t value) {
  static const char digits[] = "0123456789ABCDEF";
  return std::string{digits[value >> 4], digits[value & 15]};
}

std::string NormalizeByteCell(const std::string& text) {
  std::string t = Trimmed(text);
  for (char& c : t)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (t.empty()) return "00";
  if (!IsByteCellText(t)) return t;
  return t.size() == 1 ? "0" + t : t;
}

std::optional<uint8_t> ByteCellValue(const std::string& text) {
  const std::string t = Trimmed(text);
  if (t.empty()) return uint8_t{0xFF};
  if (!IsByteCellText(t)) return std::nullopt;
  int v = 0;
  for (char c : t) v = v * 16 + HexDigit(c);
  return static_cast<uint8_t>(v);
}

#pragma once
// Byte cells: every byte a window shows, edits or stores as text is two
// upper-case hex digits. One rule for every window with hex cells, so the
// EEPROM grids, the register grid and the definition dialog never disagree.

#include <cstdint>
#include <optional>
#include <string>

// The text a byte cell keeps when the user leaves it: blanks trimmed, hex
// digits upper-cased and padded on the left to two (" 5" gives "05", "" gives
// "00"). Text that is not one or two hex digits is returned trimmed and
// upper-cased but otherwise unchanged, so the caller can refuse it.
std::string NormalizeByteCell(const std::string& text);

// The value a byte cell holds: an empty (or blank) cell counts as 0xFF, one or
// two hex digits are the byte, anything else has no value.
std::optional<uint8_t> ByteCellValue(const std::string& text);

// True when the text is one or two hex digits after trimming.
bool IsByteCellText(const std::string& text);

// The cell text of a byte value: two upper-case hex digits.
std::string ByteCellText(uint8_t value);

#pragma once
// The memory image of an EEPROM window apart from its grids: the device kinds,
// the two readings of hex text (the large window's lenient one and the small
// window's strict one), and the device settings with their checks. No window
// here; the windows turn grid cells into bytes and settings rows into values
// through these functions.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Which window a device belongs to: the small one (16 bytes to 2 KB, one
// word-address byte, block number in the device address) or the large one
// (4 KB to 64 KB, two word-address bytes, high first).
enum TEEKind { ekSmall, ekLarge };

using TEEBytes = std::vector<uint8_t>;

// The kind of window for a device size; false for a size no window offers
// (small 16, 128, 256, 512, 1024, 2048; large 4096 to 65536 in powers of two).
bool EEKindOfSize(uint32_t size, TEEKind& kind);
bool EEValidSize(TEEKind kind, uint32_t size);

// --- Hex text ---

// Lenient: upper-cases the text and reads it right to left, a character that is
// not a hex digit counting 0; empty gives 0. Never fails. Address fields of the
// large window.
uint32_t HexToInt(const std::string& text);
// Strict: the library's integer conversion of "$" + text. Raises EConvertError
// ("'$xyz' is not a valid integer value") for text that is not a hex number.
int StrictHexToInt(const std::string& text);

// --- Byte cells (the one byte-cell rule of app/bus/ByteText.h) ---

// Large window: a byte cell (one or two hex digits; blank counts FF) is its
// value; any other text falls back to HexToInt, low byte. Never fails.
uint8_t LenientByte(const std::string& cell);
// Small window: a byte cell of one or two hex digits is its value; anything
// else, blank included, raises EConvertError with the library's message.
uint8_t StrictByte(const std::string& cell);
// The reading of a window kind: lenient for large, strict for small.
uint8_t CellByte(TEEKind kind, const std::string& cell);

// The text of a byte's ASCII cell: its character for 32 to 126, else ".".
std::string AsciiCellText(uint8_t value);

// The cell text of byte address `address`, as the window's hex grid holds it.
using TEECellText = std::function<std::string(uint32_t address)>;
// The bytes of addresses 0 .. size - 1, each cell read as the window kind
// reads it. A strict reading stops at the first bad cell with EConvertError,
// before anything is written anywhere.
TEEBytes ImageFromCells(TEEKind kind, uint32_t size, const TEECellText& cell);

// --- Device settings ---

// The page sizes a window's "Page Size" row lists.
const std::vector<uint32_t>& EEPageSizes(TEEKind kind);
constexpr uint32_t EEDefaultPageSize = 8;
constexpr uint32_t EEDefaultWriteTime = 50;  // ms
constexpr uint32_t EEMaxWriteTime = 65535;   // ms, the memory image's 16-bit field

// A page size is one of the list's values and not above the device size.
bool EEPageSizeValid(TEEKind kind, uint32_t deviceSize, uint32_t pageSize);
// The page size of a row's text (decimal). A text that is not a valid page size
// gives 8 and sets `message` to the refusal; else `message` is cleared.
uint32_t EEPageSizeOf(TEEKind kind, uint32_t deviceSize, const std::string& text, std::string& message);
std::string EEPageSizeMessage(TEEKind kind, uint32_t deviceSize);

// "Write Time": a whole number of milliseconds from 1 to 65535 (0 would skip the
// write-cycle wait). False, with `message` set, for anything else.
bool EEWriteTimeOf(const std::string& text, uint32_t& ms, std::string& message);
extern const char* const EEWriteTimeMessage;

// The device address of the "Address" row: strict hex, bit 0 cleared. Raises
// EConvertError for text that is not a hex number or is above FF.
uint8_t EEDeviceAddressOf(const std::string& text);

// The settings an operation or a memory-image file needs.
struct TEESettings {
  TEEKind Kind = ekSmall;
  uint32_t Size = 256;     // bytes
  uint8_t Address = 0xA0;  // write address, bit 0 clear (small image files keep the row's bit 0)
  uint32_t PageSize = EEDefaultPageSize;
  uint32_t WriteTime = EEDefaultWriteTime;  // ms
};

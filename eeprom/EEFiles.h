#pragma once
// The files of the EEPROM windows: memory images ".mem" (the large window's
// 26-byte header, the small window's 24-byte header with its signature),
// Intel HEX ".hex" and raw binary ".bin".
//
// Readers read and check the whole file before they return; a refused file
// gives its message and no data, so the window changes nothing. Writers build
// the whole file in memory and save it through a temporary file renamed over
// the target, so a failed save keeps the old file; they raise the library's
// EFCreateError / EWriteError.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "eeprom/EEImage.h"

// Messages of the readers.
inline constexpr const char* EEReadBeyondEndText = "Read beyond end of file";
inline constexpr const char* EEFailedToOpenText = "Failed to open or create file";
inline constexpr const char* EEDataTooLargeText = "Data file too large";
inline constexpr const char* EEInvalidHexText = "  Invalid Hex File";
inline constexpr const char* EEInvalidHexAddressText = "  Invalid Hex File Address";
inline constexpr const char* EENoDataText = "The memory image holds no data";

// "Data file too large" (reading goes on), then what was loaded and what was left out, so the
// message is not taken for a refusal: Loaded bytes from address 0, of InFile in the file.
std::string EEDataTooLargeNote(uint32_t Loaded, uint64_t InFile);

// Where a refusal is shown: HEX faults on the status line with the warning
// flash, everything else in a message box.
enum TEEErrorPlace { epMessageBox, epStatusLine };

// Settings a memory image carries.
struct TEEFileSettings {
  uint8_t Address = 0xA0;  // the byte as stored (small images keep bit 0)
  uint32_t PageSize = EEDefaultPageSize;  // checked: a list value not above the device size
  uint32_t WriteTime = EEDefaultWriteTime;  // 1 .. 65535 ms
};

struct TEELoadResult {
  bool Ok = false;
  // When !Ok: the refusal, and where to show it; nothing else is set.
  std::string Error;
  TEEErrorPlace ErrorPlace = epMessageBox;
  // When a HEX file is refused: where and why ("Line 3: the checksum does not match.").
  std::string Detail;
  // When Ok: the bytes of addresses 0 .. Data.size() - 1; cells past them keep
  // their contents (a short binary or small image). HEX and large images give
  // the whole device.
  TEEBytes Data;
  // Memory images only: the settings rows' new values.
  std::optional<TEEFileSettings> Settings;
  // When Ok: messages to show (message boxes) while the load goes on, in order:
  // "Data file too large", a page size or write time that was replaced.
  std::vector<std::string> Notes;
};

// --- Readers: file contents (for the fuzz target and tests) ---
// A file too short for its image is refused as no memory image, named by fileName
// ("The file" when empty).
TEELoadResult ParseMemImage(TEEKind kind, uint32_t deviceSize, const std::string& bytes,
                            const std::string& fileName = {});
// Reads to the end of the text; a character that is no hex digit is refused, but in the small
// window raises the strict conversion's EConvertError.
TEELoadResult ParseHexFile(uint32_t deviceSize, const std::string& text, TEEKind kind = ekLarge);
TEELoadResult ParseBinFile(uint32_t deviceSize, const std::string& bytes);

// --- Readers: files (opened read-only; a missing file, a directory or a file
// that cannot be read gives the library's open error text, the small memory
// image "Failed to open or create file") ---
TEELoadResult OpenMemFile(TEEKind kind, uint32_t deviceSize, const std::string& fileName);
TEELoadResult OpenHexFile(uint32_t deviceSize, const std::string& fileName, TEEKind kind = ekLarge);
TEELoadResult OpenBinFile(uint32_t deviceSize, const std::string& fileName);

// --- Writers: file contents ---
// `image` holds the device size bytes; the settings are those of the rows
// (large: address with bit 0 cleared; small: as shown). The image's size must
// be one the window kind offers (EEValidSize), else EInvalidOperation.
std::string MemImageBytes(TEEKind kind, const TEEFileSettings& settings, const TEEBytes& image);
// One 16-byte data record per row that is not all FF, CR LF line ends, then ":00000001FF".
std::string HexFileText(const TEEBytes& image);

// --- Writers: files ---
void SaveMemFile(TEEKind kind, const std::string& fileName, const TEEFileSettings& settings, const TEEBytes& image);
void SaveHexFile(const std::string& fileName, const TEEBytes& image);
void SaveBinFile(const std::string& fileName, const TEEBytes& image);

// The small image's signature for a device size: "VelmaronSmallEE" + "016",
// "128", "256", "512", "1KB" or "2KB".
std::string SmallImageSignature(uint32_t deviceSize);

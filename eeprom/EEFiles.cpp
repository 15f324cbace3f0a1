#include "eeprom/EEFiles.h"

#include <algorithm>
#include <filesystem>

#include "app/bus/ByteText.h"
#include "platform/rtl/SysUtils.h"

namespace {

// Files beyond this are refused when opened: the largest device is 64 KB and
// its HEX file about 190 KB.
constexpr int64_t MaxFileBytes = 64 * 1024 * 1024;

constexpr size_t LargeHeader = 26;
constexpr size_t SmallHeader = 24;

uint32_t Le16(const std::string& b, size_t at) {
  return static_cast<uint8_t>(b[at]) | static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8;
}

void PutLe16(std::string& b, uint32_t v) {
  b += static_cast<char>(v & 0xFF);
  b += static_cast<char>((v >> 8) & 0xFF);
}

TEELoadResult Refused(const std::string& message, TEEErrorPlace place = epMessageBox) {
  TEELoadResult r;
  r.Error = message;
  r.ErrorPlace = place;
  return r;
}

void CheckDeviceSize(uint32_t deviceSize) {
  TEEKind kind;
  if (!EEKindOfSize(deviceSize, kind))
    throw EInvalidOperation("No EEPROM window has " + std::to_string(deviceSize) + " bytes");
}

// Settings read from a memory image: a page size that is not a list value
// (or above the device) becomes 8 and a write time of 0 becomes 1, each with a note.
TEEFileSettings FileSettings(TEEKind kind, uint32_t deviceSize, uint8_t address, uint32_t page, uint32_t writeTime,
                             std::vector<std::string>& notes, std::vector<std::string>& pageNote) {
  TEEFileSettings s;
  s.Address = address;
  s.WriteTime = writeTime;
  if (writeTime < 1) {
    s.WriteTime = 1;
    notes.push_back(std::string(EEWriteTimeMessage) + ": 1 is used");
  }
  s.PageSize = page;
  if (!EEPageSizeValid(kind, deviceSize, page)) {
    s.PageSize = EEDefaultPageSize;
    pageNote.push_back(EEPageSizeMessage(kind, deviceSize));
  }
  return s;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

// ---------------------------------------------------------------- memory images

std::string EEDataTooLargeNote(uint32_t Loaded, uint64_t InFile) {
  return std::string(EEDataTooLargeText) + "\rLoaded: the first " + std::to_string(Loaded) + " bytes (addresses 000 to " +
         IntToHex(Loaded - 1, 3) + ").\rLeft out: the other " + std::to_string(InFile - Loaded) + " of the file's " +
         std::to_string(InFile) + " bytes.";
}

namespace {
// The reader's words first, then which file and what an image of this window would hold.
TEELoadResult NotAnImage(const std::string& fileName, const std::string& why) {
  const std::string name = fileName.empty() ? "The file" : "\"" + fileName + "\"";
  return Refused(std::string(EEReadBeyondEndText) + "\r" + name + " is not a memory image file of this window: " +
                 why + ".");
}
}  // namespace

TEELoadResult ParseMemImage(TEEKind kind, uint32_t deviceSize, const std::string& bytes, const std::string& fileName) {
  CheckDeviceSize(deviceSize);
  TEELoadResult r;
  std::vector<std::string> pageNote;
  const std::string holds = "it holds " + std::to_string(bytes.size()) + (bytes.size() == 1 ? " byte" : " bytes");
  if (kind == ekLarge) {
    if (bytes.size() < LargeHeader + deviceSize)
      return NotAnImage(fileName, holds + ", and the memory image of a " + std::to_string(deviceSize) +
                                      "-byte EEPROM holds " + std::to_string(LargeHeader + deviceSize));
    // A 64 KB image stores its size as 0.
    uint32_t stored = Le16(bytes, 22);
    if (stored == 0) stored = 65536;
    r.Settings = FileSettings(kind, deviceSize, static_cast<uint8_t>(bytes[18]), Le16(bytes, 24), Le16(bytes, 20),
                              r.Notes, pageNote);
    if (deviceSize < stored) r.Notes.push_back(EEDataTooLargeNote(deviceSize, stored));
    r.Data.assign(bytes.begin() + LargeHeader, bytes.begin() + LargeHeader + deviceSize);
  } else {
    if (bytes.size() < SmallHeader)
      return NotAnImage(fileName, holds + ", fewer than the " + std::to_string(SmallHeader) +
                                      " of a memory image's header");
    const uint32_t stored = Le16(bytes, 22);
    if (bytes.size() < SmallHeader + stored)
      return NotAnImage(fileName, "its header gives an image of " + std::to_string(stored) + " bytes, but " +
                                      std::to_string(bytes.size() - SmallHeader) + " follow it");
    // Its settings alone would change the rows while loading nothing.
    if (stored == 0) return Refused(EENoDataText);
    uint32_t page = static_cast<uint8_t>(bytes[19]);
    if (page == 0) page = EEDefaultPageSize;
    r.Settings = FileSettings(kind, deviceSize, static_cast<uint8_t>(bytes[18]), page, Le16(bytes, 20), r.Notes,
                              pageNote);
    if (stored > deviceSize) r.Notes.push_back(EEDataTooLargeNote(deviceSize, stored));
    const uint32_t n = std::min(stored, deviceSize);
    r.Data.assign(bytes.begin() + SmallHeader, bytes.begin() + SmallHeader + n);
  }
  r.Notes.insert(r.Notes.end(), pageNote.begin(), pageNote.end());
  r.Ok = true;
  return r;
}

std::string SmallImageSignature(uint32_t deviceSize) {
  std::string code;
  switch (deviceSize) {
    case 16: code = "016"; break;
    case 1024: code = "1KB"; break;
    case 2048: code = "2KB"; break;
    default: code = std::to_string(deviceSize);
  }
  return "VelmaronSmallEE" + code;
}

namespace {
// The large image's header is not read back; it names the layout and the size
// in three characters like the small one's: "4KB", "8KB", "16K", "32K", "64K".
std::string LargeImageHeader(uint32_t deviceSize) {
  const uint32_t k = deviceSize / 1024;
  return "VelmaronLargeEE" + std::to_string(k) + (k < 10 ? "KB" : "K");
}
}  // namespace

std::string MemImageBytes(TEEKind kind, const TEEFileSettings& settings, const TEEBytes& image) {
  const uint32_t size = static_cast<uint32_t>(image.size());
  if (!EEValidSize(kind, size))
    throw EInvalidOperation("No " + std::string(kind == ekLarge ? "large" : "small") + " EEPROM window has " +
                            std::to_string(size) + " bytes");
  std::string b;
  b.reserve(LargeHeader + size);
  const uint32_t writeTime = std::min<uint32_t>(settings.WriteTime, 0xFFFF);
  if (kind == ekLarge) {
    b = LargeImageHeader(size);
    PutLe16(b, settings.Address & 0xFE);
    PutLe16(b, writeTime);
    PutLe16(b, size & 0xFFFF);
    PutLe16(b, settings.PageSize & 0xFFFF);
  } else {
    b = SmallImageSignature(size);
    b += static_cast<char>(settings.Address);
    b += static_cast<char>(settings.PageSize & 0xFF);
    PutLe16(b, writeTime);
    PutLe16(b, size);
  }
  b.append(reinterpret_cast<const char*>(image.data()), image.size());
  return b;
}

// ---------------------------------------------------------------- Intel HEX

TEELoadResult ParseHexFile(uint32_t deviceSize, const std::string& text, TEEKind kind) {
  CheckDeviceSize(deviceSize);
  TEEBytes image(deviceSize, 0xFF);
  int lineNo = 0;
  const auto refuse = [&lineNo](const char* status, const std::string& why) {
    TEELoadResult r = Refused(status, epStatusLine);
    r.Detail = lineNo > 0 ? "Line " + std::to_string(lineNo) + ": " + why + "." : why + ".";
    return r;
  };
  const auto invalid = [&refuse](const std::string& why) { return refuse(EEInvalidHexText, why); };
  const auto badAddress = [&refuse](const std::string& why) { return refuse(EEInvalidHexAddressText, why); };
  const std::string last = IntToHex(static_cast<int>(deviceSize - 1), 4);
  bool ended = false;
  size_t pos = 0;
  // Where type 02 records place the data records that follow (segment x 16).
  uint32_t base = 0;
  std::vector<uint8_t> rec;
  while (pos < text.size()) {
    ++lineNo;
    // Lines end in LF, CR LF or CR alone.
    size_t nl = text.find_first_of("\r\n", pos);
    if (nl == std::string::npos) nl = text.size();
    size_t end = nl;
    // Blanks after a record are layout, not data.
    while (end > pos && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
    const std::string_view line(text.data() + pos, end - pos);
    pos = nl + (text.compare(nl, 2, "\r\n") == 0 ? 2 : 1);

    if (line.empty()) return invalid("the line is empty");
    // An editor's byte order mark is invisible in the editor: say what stands before the colon.
    if (line.substr(0, 3) == "\xEF\xBB\xBF") return invalid("the line begins with a byte order mark, not \":\"");
    if (line[0] != ':') return invalid("the line does not begin with \":\"");
    const std::string_view hex = line.substr(1);
    // Count, two address bytes, type and checksum at the least.
    if (hex.size() < 10) return invalid("the record is too short");
    if (hex.size() % 2 != 0) return invalid("the record has an odd number of digits");
    rec.clear();
    unsigned sum = 0;
    for (size_t i = 0; i < hex.size(); i += 2) {
      const int hi = HexValue(hex[i]), lo = HexValue(hex[i + 1]);
      if (hi < 0 || lo < 0) {
        // The small window reads the count, the address and each pair by the strict conversion.
        if (kind == ekSmall)
          StrToInt("$" + std::string(i == 0 ? hex.substr(0, 2) : i < 6 ? hex.substr(2, 4) : hex.substr(i, 2)));
        return invalid("the record holds a character that is no hex digit");
      }
      rec.push_back(static_cast<uint8_t>(hi * 16 + lo));
      sum += rec.back();
    }
    const uint32_t n = rec[0];
    if (rec.size() != 5 + n)
      return invalid("the record's byte count " + ByteCellText(static_cast<uint8_t>(n)) + " does not match its length");
    if ((sum & 0xFF) != 0) return invalid("the checksum does not match the record");
    const uint32_t address = static_cast<uint32_t>(rec[1]) << 8 | rec[2];
    const std::string type = ByteCellText(rec[3]);
    const auto addressPast = [&](uint32_t at) {
      return badAddress("the record's address " + IntToHex(static_cast<int>(at), 4) +
                        " lies past the device's last address " + last);
    };
    // Every record's address must lie in the device, whether or not it carries data.
    if (rec[3] != 0x00 && address > deviceSize - 1) return addressPast(address);
    switch (rec[3]) {
      case 0x00:
        if (n == 0 && base + address > deviceSize - 1) return addressPast(base + address);
        if (base + address + n > deviceSize)
          return badAddress("data for " + IntToHex(static_cast<int>(base + address), 4) + " to " +
                            IntToHex(static_cast<int>(base + address + n - 1), 4) + " lie past the device's last address " + last);
        std::copy(rec.begin() + 4, rec.begin() + 4 + n, image.begin() + base + address);
        break;
      case 0x01:
        if (n != 0) return invalid("an end record carries no data");
        ended = true;
        break;
      case 0x02:  // extended segment address: checked where its data records land
        if (n != 2) return invalid("a record of type 02 carries two bytes");
        base = (static_cast<uint32_t>(rec[4]) << 8 | rec[5]) << 4;
        break;
      case 0x04:  // extended linear address: anything but 0 is past every device
        if (n != 2) return invalid("a record of type 04 carries two bytes");
        if (rec[4] != 0 || rec[5] != 0) return badAddress("the extended address lies past the device");
        base = 0;
        break;
      case 0x03:  // start addresses: nothing to load
      case 0x05:
        break;
      default:
        return invalid("the record type " + type + " is unknown");
    }
  }
  // A file without its end record was cut short.
  lineNo = 0;
  if (!ended) return invalid("The file ends without its end record (:00000001FF)");
  TEELoadResult r;
  r.Ok = true;
  r.Data = std::move(image);
  return r;
}

std::string HexFileText(const TEEBytes& image) {
  std::string out;
  out.reserve(image.size() / 16 * 45 + 16);
  const size_t rows = image.size() / 16;
  for (size_t row = 0; row < rows; ++row) {
    const uint8_t* b = image.data() + row * 16;
    if (std::all_of(b, b + 16, [](uint8_t v) { return v == 0xFF; })) continue;
    const uint32_t address = static_cast<uint32_t>(row * 16);
    unsigned sum = 0x10 + ((address >> 8) & 0xFF) + (address & 0xFF);
    out += ":10";
    out += ByteCellText(static_cast<uint8_t>(address >> 8));
    out += ByteCellText(static_cast<uint8_t>(address & 0xFF));
    out += "00";
    for (int i = 0; i < 16; ++i) {
      out += ByteCellText(b[i]);
      sum += b[i];
    }
    out += ByteCellText(static_cast<uint8_t>(-sum & 0xFF));
    out += "\r\n";
  }
  out += ":00000001FF\r\n";
  return out;
}

// ---------------------------------------------------------------- raw binary

TEELoadResult ParseBinFile(uint32_t deviceSize, const std::string& bytes) {
  CheckDeviceSize(deviceSize);
  // An empty file holds no image: refused like a memory image that is too short.
  if (bytes.empty()) return Refused(EEReadBeyondEndText);
  TEELoadResult r;
  const size_t n = std::min<size_t>(bytes.size(), deviceSize);
  if (bytes.size() > deviceSize) r.Notes.push_back(EEDataTooLargeNote(deviceSize, bytes.size()));
  r.Data.assign(bytes.begin(), bytes.begin() + n);
  r.Ok = true;
  return r;
}

// ---------------------------------------------------------------- files

namespace {

bool Load(const std::string& fileName, std::string& bytes, std::string& error) {
  try {
    bytes = LoadRegularFileBytes(fileName, MaxFileBytes);
    return true;
  } catch (const Exception& e) {
    error = e.Message();
    return false;
  }
}

void Save(const std::string& fileName, const std::string& data) {
  CheckFileReplaceable(fileName);
  SaveFileAtomically(fileName, data);
}

}  // namespace

TEELoadResult OpenMemFile(TEEKind kind, uint32_t deviceSize, const std::string& fileName) {
  std::string bytes, error;
  if (!Load(fileName, bytes, error))
    return Refused(kind == ekSmall ? std::string(EEFailedToOpenText) + ". " + error : error);
  return ParseMemImage(kind, deviceSize, bytes, fileName);
}

TEELoadResult OpenHexFile(uint32_t deviceSize, const std::string& fileName, TEEKind kind) {
  std::string bytes, error;
  if (!Load(fileName, bytes, error)) return Refused(error);
  return ParseHexFile(deviceSize, bytes, kind);
}

TEELoadResult OpenBinFile(uint32_t deviceSize, const std::string& fileName) {
  std::string bytes, error;
  if (!Load(fileName, bytes, error)) return Refused(error);
  return ParseBinFile(deviceSize, bytes);
}

void SaveMemFile(TEEKind kind, const std::string& fileName, const TEEFileSettings& settings, const TEEBytes& image) {
  Save(fileName, MemImageBytes(kind, settings, image));
}

void SaveHexFile(const std::string& fileName, const TEEBytes& image) { Save(fileName, HexFileText(image)); }

void SaveBinFile(const std::string& fileName, const TEEBytes& image) {
  Save(fileName, std::string(reinterpret_cast<const char*>(image.data()), image.size()));
}

// Memory-image, Intel HEX and raw binary files: layouts, round trips of every
// size, and hostile files, each refused with its message and no data.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "eeprom/EEFiles.h"
#include "platform/rtl/SysUtils.h"

namespace {

namespace fs = std::filesystem;

const uint32_t kSmallSizes[] = {16, 128, 256, 512, 1024, 2048};
const uint32_t kLargeSizes[] = {4096, 8192, 16384, 32768, 65536};

TEEBytes RandomImage(uint32_t size, uint32_t seed) {
  std::mt19937 rng(seed);
  TEEBytes b(size);
  for (auto& v : b) v = static_cast<uint8_t>(rng());
  // Rows of FF are left out of HEX files: have some.
  for (uint32_t a = 0; a < std::min<uint32_t>(size, 48); ++a) b[a] = 0xFF;
  return b;
}

std::string Bytes(std::initializer_list<int> list) {
  std::string s;
  for (int v : list) s += static_cast<char>(v);
  return s;
}

class TempDir {
 public:
  TempDir() {
    std::random_device rd;
    path_ = fs::temp_directory_path() / ("velmaron-eefiles-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto& e : fs::recursive_directory_iterator(path_, ec))
      fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  void Write(const std::string& name, const std::string& data) const {
    std::ofstream(path_ / name, std::ios::binary) << data;
  }
  std::string Read(const std::string& name) const { return LoadFileBytes(File(name)); }

 private:
  fs::path path_;
};

void ExpectRefused(const TEELoadResult& r, const std::string& message, TEEErrorPlace place, const std::string& what) {
  EXPECT_FALSE(r.Ok) << what;
  EXPECT_EQ(r.Error, message) << what;
  EXPECT_EQ(r.ErrorPlace, place) << what;
  EXPECT_TRUE(r.Data.empty()) << what;
  EXPECT_FALSE(r.Settings) << what;
}

// ---------------------------------------------------------------- layouts

TEST(EEMemImage, LargeLayoutStoresTheSettingsAfterAHeaderTheReaderSkips) {
  TEEFileSettings s{0xA9, 64, 10};
  const std::string b4 = MemImageBytes(ekLarge, s, TEEBytes(4096, 0x5A));
  ASSERT_EQ(b4.size(), 4122u);
  EXPECT_EQ(b4.substr(18, 8), Bytes({0xA8, 0x00, 0x0A, 0x00, 0x00, 0x10, 0x40, 0x00}));
  EXPECT_EQ(b4.substr(0, 18), "VelmaronLargeEE4KB");
  EXPECT_EQ(static_cast<uint8_t>(b4[26]), 0x5A);
  const std::string b64 = MemImageBytes(ekLarge, s, TEEBytes(65536, 0));
  ASSERT_EQ(b64.size(), 65562u);
  EXPECT_EQ(b64.substr(22, 2), Bytes({0x00, 0x00}));
  EXPECT_EQ(b64.substr(0, 18), "VelmaronLargeEE64K");
}

TEST(EEMemImage, SmallLayoutCarriesItsSignatureAndTheAddressAsShown) {
  const std::string b = MemImageBytes(ekSmall, TEEFileSettings{0xA2, 8, 50}, TEEBytes(128, 0x11));
  ASSERT_EQ(b.size(), 152u);
  EXPECT_EQ(b.substr(0, 24), "VelmaronSmallEE128" + Bytes({0xA2, 0x08, 0x32, 0x00, 0x80, 0x00}));
  EXPECT_EQ(SmallImageSignature(16), "VelmaronSmallEE016");
  EXPECT_EQ(SmallImageSignature(1024), "VelmaronSmallEE1KB");
  EXPECT_EQ(SmallImageSignature(2048), "VelmaronSmallEE2KB");
  // Only the window kind's sizes have a layout.
  EXPECT_THROW(MemImageBytes(ekSmall, {}, TEEBytes(4096)), EInvalidOperation);
  EXPECT_THROW(MemImageBytes(ekLarge, {}, TEEBytes(2048)), EInvalidOperation);
}

TEST(EEHexFile, WriterLeavesOutRowsOfFFAndChecksumsEachRecord) {
  EXPECT_EQ(HexFileText(TEEBytes(4096, 0xFF)), ":00000001FF\r\n");
  TEEBytes image(4096, 0xFF);
  for (int i = 0; i < 16; ++i) image[0x100 + i] = static_cast<uint8_t>(i);
  image[0xFF0] = 0x4;
  EXPECT_EQ(HexFileText(image),
            ":10010000000102030405060708090A0B0C0D0E0F77\r\n"
            ":100FF00004FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFC\r\n"
            ":00000001FF\r\n");
}

// ---------------------------------------------------------------- round trips

TEST(EEFiles, EverySizeAndFormatRoundTripsThroughAFile) {
  TempDir dir;
  uint32_t seed = 1;
  for (TEEKind kind : {ekSmall, ekLarge})
    for (uint32_t size : kind == ekSmall ? std::vector<uint32_t>(std::begin(kSmallSizes), std::end(kSmallSizes))
                                         : std::vector<uint32_t>(std::begin(kLargeSizes), std::end(kLargeSizes))) {
      const std::string what = std::to_string(size);
      const TEEBytes image = RandomImage(size, seed++);
      const TEEFileSettings s{uint8_t(kind == ekSmall ? 0xA3 : 0xAC), size >= 32 ? 32u : 16u, 65535};

      SaveMemFile(kind, dir.File("a.mem"), s, image);
      TEELoadResult m = OpenMemFile(kind, size, dir.File("a.mem"));
      ASSERT_TRUE(m.Ok) << what << m.Error;
      EXPECT_EQ(m.Data, image) << what;
      ASSERT_TRUE(m.Settings) << what;
      EXPECT_EQ(m.Settings->Address, kind == ekSmall ? 0xA3 : 0xAC) << what;
      EXPECT_EQ(m.Settings->PageSize, s.PageSize) << what;
      EXPECT_EQ(m.Settings->WriteTime, 65535u) << what;
      EXPECT_TRUE(m.Notes.empty()) << what;

      SaveHexFile(dir.File("a.hex"), image);
      TEELoadResult h = OpenHexFile(size, dir.File("a.hex"));
      ASSERT_TRUE(h.Ok) << what << h.Error;
      EXPECT_EQ(h.Data, image) << what;
      EXPECT_FALSE(h.Settings) << what;

      SaveBinFile(dir.File("a.bin"), image);
      EXPECT_EQ(fs::file_size(dir.File("a.bin")), size) << what;
      TEELoadResult b = OpenBinFile(size, dir.File("a.bin"));
      ASSERT_TRUE(b.Ok) << what << b.Error;
      EXPECT_EQ(b.Data, image) << what;
      EXPECT_TRUE(b.Notes.empty()) << what;
    }
}

TEST(EEFiles, SavingReplacesALongerFileWhole) {
  TempDir dir;
  dir.Write("x.mem", std::string(8218, 'x'));
  SaveMemFile(ekSmall, dir.File("x.mem"), {}, TEEBytes(2048, 1));
  EXPECT_EQ(fs::file_size(dir.File("x.mem")), 2072u);
}

// ---------------------------------------------------------------- memory images

TEST(EEFileNotes, TooLargeSaysWhatWasLoadedAndWhatWasLeftOut) {
  const struct {
    uint32_t Loaded;
    uint64_t InFile;
    const char* Note;
  } cases[] = {
      {16, 17, "Data file too large\rLoaded: the first 16 bytes (addresses 000 to 00F).\rLeft out: the other 1 of the "
               "file's 17 bytes."},
      {65536, 70000, "Data file too large\rLoaded: the first 65536 bytes (addresses 000 to FFFF).\rLeft out: the other "
                     "4464 of the file's 70000 bytes."},
  };
  for (const auto& c : cases) EXPECT_EQ(EEDataTooLargeNote(c.Loaded, c.InFile), c.Note);
}

TEST(EEMemImage, LargeReaderTakesTheFirstDeviceSizeBytesOfALargerImage) {
  TEEBytes eight = RandomImage(8192, 7);
  const std::string file = MemImageBytes(ekLarge, TEEFileSettings{0xA2, 32, 20}, eight);
  TEELoadResult r = ParseMemImage(ekLarge, 4096, file);
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(r.Notes, std::vector<std::string>{"Data file too large\rLoaded: the first 4096 bytes (addresses 000 to FFF).\rLeft out: the other 4096 of the file's 8192 bytes."});
  EXPECT_EQ(r.Data, TEEBytes(eight.begin(), eight.begin() + 4096));
  EXPECT_EQ(r.Settings->PageSize, 32u);
  EXPECT_EQ(r.Settings->WriteTime, 20u);

  // A 64 KB image stores its size as 0: still too large for 4 KB.
  r = ParseMemImage(ekLarge, 4096, MemImageBytes(ekLarge, {}, TEEBytes(65536, 3)));
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(r.Notes, std::vector<std::string>{"Data file too large\rLoaded: the first 4096 bytes (addresses 000 to FFF).\rLeft out: the other 61440 of the file's 65536 bytes."});
  EXPECT_EQ(r.Data.size(), 4096u);
  // In a 64 KB window it is exactly right.
  r = ParseMemImage(ekLarge, 65536, MemImageBytes(ekLarge, {}, TEEBytes(65536, 3)));
  EXPECT_TRUE(r.Ok && r.Notes.empty());
}

// A file too short for its image is no memory image of the window: the refusal names the file
// and says what it holds against what the image needs.
TEST(EEMemImage, ShortImagesAreRefusedAsNoMemoryImageOfTheWindow) {
  const std::string four = MemImageBytes(ekLarge, {}, TEEBytes(4096, 1));
  const std::string small = MemImageBytes(ekSmall, {}, TEEBytes(256, 1));
  // The reader's words first, then the file and the sizes.
  const std::string no = " is not a memory image file of this window: ";
  const std::string rb = "Read beyond end of file\r";
  struct Case {
    const char* What;
    TEEKind Kind;
    uint32_t Size;
    std::string Bytes, File, Message;
  } cases[] = {
      {"4K in 8K", ekLarge, 8192, four, "/d/four.mem",
       rb + "\"/d/four.mem\"" + no + "it holds 4122 bytes, and the memory image of a 8192-byte EEPROM holds 8218."},
      {"one byte short", ekLarge, 4096, four.substr(0, four.size() - 1), "x.bin",
       rb + "\"x.bin\"" + no + "it holds 4121 bytes, and the memory image of a 4096-byte EEPROM holds 4122."},
      {"empty large", ekLarge, 4096, "", "", rb + "The file" + no + "it holds 0 bytes, and the memory image of a 4096-byte EEPROM holds 4122."},
      {"one byte", ekLarge, 4096, "x", "t", rb + "\"t\"" + no + "it holds 1 byte, and the memory image of a 4096-byte EEPROM holds 4122."},
      {"empty small", ekSmall, 256, "", "e.mem", rb + "\"e.mem\"" + no + "it holds 0 bytes, fewer than the 24 of a memory image's header."},
      {"header cut", ekSmall, 256, small.substr(0, 23), "h.mem", rb + "\"h.mem\"" + no + "it holds 23 bytes, fewer than the 24 of a memory image's header."},
      {"data cut", ekSmall, 256, small.substr(0, 24 + 255), "d.mem", rb + "\"d.mem\"" + no + "its header gives an image of 256 bytes, but 255 follow it."},
  };
  for (const Case& c : cases) ExpectRefused(ParseMemImage(c.Kind, c.Size, c.Bytes, c.File), c.Message, epMessageBox, c.What);
}

TEST(EEMemImage, SmallReaderLoadsWhatTheSizeFieldGivesUpToTheDevice) {
  // Larger than the device: the device's worth and the message.
  const TEEBytes two = RandomImage(2048, 3);
  TEELoadResult r = ParseMemImage(ekSmall, 256, MemImageBytes(ekSmall, {}, two));
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(r.Notes, std::vector<std::string>{"Data file too large\rLoaded: the first 256 bytes (addresses 000 to 0FF).\rLeft out: the other 1792 of the file's 2048 bytes."});
  EXPECT_EQ(r.Data, TEEBytes(two.begin(), two.begin() + 256));
  // Smaller: its own bytes; the cells past them keep theirs.
  r = ParseMemImage(ekSmall, 2048, MemImageBytes(ekSmall, {}, TEEBytes(128, 9)));
  ASSERT_TRUE(r.Ok);
  EXPECT_TRUE(r.Notes.empty());
  EXPECT_EQ(r.Data, TEEBytes(128, 9));
}

TEST(EEMemImage, SettingsFromAFileAreCheckedLikeTheRows) {
  std::string b = MemImageBytes(ekSmall, TEEFileSettings{0xA5, 8, 50}, TEEBytes(256, 0));
  b[19] = 0;  // page size 0 means 8
  TEELoadResult r = ParseMemImage(ekSmall, 256, b);
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(r.Settings->PageSize, 8u);
  EXPECT_EQ(r.Settings->Address, 0xA5);  // as shown in the row, bit 0 kept
  EXPECT_TRUE(r.Notes.empty());

  b[19] = 64;  // not in the small list
  b[20] = 0;   // write time 0
  b[21] = 0;
  r = ParseMemImage(ekSmall, 256, b);
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(r.Settings->PageSize, 8u);
  EXPECT_EQ(r.Settings->WriteTime, 1u);
  EXPECT_EQ(r.Notes, (std::vector<std::string>{std::string(EEWriteTimeMessage) + ": 1 is used",
                                               EEPageSizeMessage(ekSmall, 256)}));

  // A page size above a 16-byte device.
  r = ParseMemImage(ekSmall, 16, MemImageBytes(ekSmall, TEEFileSettings{0xA0, 32, 5}, TEEBytes(16, 0)));
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(r.Settings->PageSize, 8u);
  EXPECT_EQ(r.Notes, std::vector<std::string>{EEPageSizeMessage(ekSmall, 16)});

  // Large: page size 3 is refused, 128 is taken.
  std::string l = MemImageBytes(ekLarge, TEEFileSettings{0xA0, 3, 5}, TEEBytes(4096, 0));
  r = ParseMemImage(ekLarge, 4096, l);
  EXPECT_EQ(r.Settings->PageSize, 8u);
  l[24] = static_cast<char>(128);
  r = ParseMemImage(ekLarge, 4096, l);
  EXPECT_EQ(r.Settings->PageSize, 128u);
  EXPECT_TRUE(r.Notes.empty());
}

// ---------------------------------------------------------------- Intel HEX

std::string Record(uint32_t count, uint32_t address, uint32_t type, const std::vector<uint8_t>& data) {
  std::string s = ":" + IntToHex(count, 2) + IntToHex(address, 4) + IntToHex(type, 2);
  unsigned sum = count + (address >> 8) + (address & 0xFF) + type;
  for (uint8_t v : data) {
    s += IntToHex(v, 2);
    sum += v;
  }
  return s + IntToHex(-sum & 0xFF, 2);
}

TEST(EEHexFile, ReadsLfAndCrLfAndFillsWhatNoRecordGivesWithFF) {
  const std::string data = Record(4, 0x0010, 0, {1, 2, 3, 4});
  for (const char* eol : {"\n", "\r\n"}) {
    const std::string text = data + eol + ":00000001FF" + eol;
    TEELoadResult r = ParseHexFile(256, text);
    ASSERT_TRUE(r.Ok) << r.Error;
    ASSERT_EQ(r.Data.size(), 256u);
    EXPECT_EQ(r.Data[0x0F], 0xFF);
    EXPECT_EQ(r.Data[0x10], 1);
    EXPECT_EQ(r.Data[0x13], 4);
    EXPECT_EQ(r.Data[0x14], 0xFF);
  }
  // No line end after the end record, lower-case digits.
  TEELoadResult r = ParseHexFile(16, ":01000A00ab4A\n:00000001ff");
  ASSERT_TRUE(r.Ok) << r.Error;
  EXPECT_EQ(r.Data[10], 0xAB);
  // Reading goes on after the end record: a data record there still stores its bytes.
  r = ParseHexFile(16, ":00000001FF\r\n" + Record(1, 5, 0, {0x42}) + "\r\n");
  ASSERT_TRUE(r.Ok) << r.Error;
  EXPECT_EQ(r.Data[5], 0x42);
}

TEST(EEHexFile, LayoutOtherToolsWriteIsRead) {
  const std::string data = Record(4, 0x0010, 0, {1, 2, 3, 4});
  const std::string end = ":00000001FF";
  struct Case { std::string name, text; } cases[] = {
      {"trailing blank", data + " \r\n" + end + "\r\n"},
      {"trailing tab and blanks", data + "\t \n" + end + "  \n"},
      {"blank after the end record, no line end", data + "\n" + end + " "},
      {"CR line ends", data + "\r" + end + "\r"},
      {"all of them", data + " \r" + end + "\t\r"},
  };
  TEEBytes want(256, 0xFF);
  for (int i = 0; i < 4; ++i) want[0x10 + i] = static_cast<uint8_t>(i + 1);
  for (const Case& c : cases) {
    const TEELoadResult r = ParseHexFile(256, c.text);
    ASSERT_TRUE(r.Ok) << c.name << ": " << r.Error;
    EXPECT_EQ(r.Data, want) << c.name;
  }
}

TEST(EEHexFile, SegmentRecordsPlaceTheirDataInsideTheDevice) {
  const std::string end = ":00000001FF\r\n";
  const auto segment = [](uint32_t s) { return Record(2, 0, 2, {uint8_t(s >> 8), uint8_t(s & 0xFF)}) + "\r\n"; };
  const std::string two = Record(2, 0x0E, 0, {0xAA, 0xBB}) + "\r\n";
  struct Case { const char* name; uint32_t size; std::string text; int at; } cases[] = {
      {"segment 0", 256, segment(0) + two, 0x0E},
      {"segment 0x10 in 512 bytes", 512, segment(0x10) + two, 0x10E},
      {"segment 0xFFF, last bytes of 64 KB", 65536, segment(0xFFF) + two, 0xFFFE},
      {"segment back to 0", 512, segment(0x10) + segment(0) + two, 0x0E},
      {"linear 0 after a segment", 512, segment(0x10) + Record(2, 0, 4, {0, 0}) + "\r\n" + two, 0x0E},
      {"a segment past the device with no data", 256, segment(0x100) + segment(0) + Record(1, 0, 0, {9}) + "\r\n", -1},
  };
  for (const Case& c : cases) {
    const TEELoadResult r = ParseHexFile(c.size, c.text + end);
    ASSERT_TRUE(r.Ok) << c.name << ": " << r.Error;
    TEEBytes want(c.size, 0xFF);
    if (c.at >= 0) want[c.at] = 0xAA, want[c.at + 1] = 0xBB;
    else want[0] = 9;
    EXPECT_EQ(r.Data, want) << c.name;
  }
  struct Bad { const char* name; uint32_t size; std::string text; } bad[] = {
      {"one byte past 256", 256, segment(0x0F) + Record(2, 0x0F, 0, {1, 2}) + "\r\n"},
      {"past 512", 512, segment(0x20) + Record(1, 0, 0, {1}) + "\r\n"},
      {"past 64 KB", 65536, segment(0xFFF) + Record(2, 0x0F, 0, {1, 2}) + "\r\n"},
      {"highest segment", 65536, segment(0xFFFF) + Record(1, 0, 0, {1}) + "\r\n"},
  };
  for (const Bad& b : bad)
    ExpectRefused(ParseHexFile(b.size, b.text + end), "  Invalid Hex File Address", epStatusLine, b.name);
}

TEST(EEHexFile, RecordTypesAreHonoured) {
  const std::string end = ":00000001FF\r\n";
  // Extended addresses of 0 are accepted and store nothing.
  for (uint32_t type : {2u, 4u}) {
    TEELoadResult r = ParseHexFile(256, Record(2, 0, type, {0, 0}) + "\r\n" + end);
    ASSERT_TRUE(r.Ok) << type;
    EXPECT_EQ(r.Data, TEEBytes(256, 0xFF)) << type;
    ExpectRefused(ParseHexFile(256, Record(1, 0, type, {0}) + "\r\n" + end), "  Invalid Hex File", epStatusLine,
                  "short extended address");
  }
  ExpectRefused(ParseHexFile(65536, Record(2, 0, 4, {0, 1}) + "\r\n" + end), "  Invalid Hex File Address",
                epStatusLine, "upper linear address 1");
  // Start addresses are ignored.
  TEELoadResult r = ParseHexFile(256, Record(4, 0, 3, {0, 0, 0, 9}) + "\r\n" + Record(4, 0, 5, {0, 0, 0, 9}) +
                                          "\r\n" + end);
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(r.Data, TEEBytes(256, 0xFF));
  // Unknown types and an end record with data are refused.
  for (const std::string& bad : {Record(1, 0, 6, {0}), Record(1, 0, 1, {0}), Record(1, 0, 0xFF, {0})})
    ExpectRefused(ParseHexFile(256, bad + "\r\n" + end), "  Invalid Hex File", epStatusLine, bad);
}

// The small window reads the count, the address and each data pair by the strict conversion;
// the large one refuses the record.
TEST(EEHexFile, ANonHexDigitRaisesTheConversionErrorInTheSmallWindow) {
  const std::string end = "\r\n:00000001FF\r\n";
  struct Case { std::string text, message; } cases[] = {
      {":0G00100001020304E5", "'$0G' is not a valid integer value"},
      {":040G100001020304E5", "'$0G10' is not a valid integer value"},
      {":04001000010G0304E5", "'$0G' is not a valid integer value"},
      {":0400100001020304G5", "'$G5' is not a valid integer value"},
  };
  for (const Case& c : cases) {
    try {
      ParseHexFile(256, c.text + end, ekSmall);
      ADD_FAILURE() << c.text << " was read";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), c.message) << c.text;
    }
    ExpectRefused(ParseHexFile(4096, c.text + end, ekLarge), "  Invalid Hex File", epStatusLine, c.text);
  }
}

TEST(EEHexFile, RecordsRunningPastTheDeviceAreRefusedWhole) {
  const std::string end = ":00000001FF\r\n";
  const std::string first = Record(2, 0, 0, {0x11, 0x22}) + "\r\n";
  // Last byte exactly at the device's end: accepted.
  TEELoadResult r = ParseHexFile(4096, first + Record(16, 0x0FF0, 0, std::vector<uint8_t>(16, 7)) + "\r\n" + end);
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(r.Data[0xFFF], 7);
  // One byte past it: the whole file is refused.
  ExpectRefused(ParseHexFile(4096, first + Record(16, 0x0FF1, 0, std::vector<uint8_t>(16, 7)) + "\r\n" + end),
                "  Invalid Hex File Address", epStatusLine, "past the end");
  ExpectRefused(ParseHexFile(256, first + Record(1, 0x0100, 0, {1}) + "\r\n" + end), "  Invalid Hex File Address",
                epStatusLine, "start past the end");
  ExpectRefused(ParseHexFile(65536, Record(16, 0xFFF8, 0, std::vector<uint8_t>(16, 7)) + "\r\n" + end),
                "  Invalid Hex File Address", epStatusLine, "past 64 KB");
}

TEST(EEHexFile, HostileFilesAreRefusedWithTheLineAndTheReason) {
  const std::string good = Record(4, 0x0010, 0, {1, 2, 3, 4});
  const std::string end = ":00000001FF";
  const std::string noEnd = "The file ends without its end record (:00000001FF).";
  const std::string noColon = "the line does not begin with \":\".";
  const std::string mark = "the line begins with a byte order mark, not \":\".";
  const std::string odd = "Line 1: the record has an odd number of digits.";
  struct Case { std::string name, text, detail; } cases[] = {
      {"empty", "", noEnd},
      {"only a line end", "\r\n", "Line 1: the line is empty."},
      {"no end record (truncated)", good + "\r\n", noEnd},
      {"cut inside a record", good.substr(0, 12), odd},
      {"empty line before the end", good + "\r\n\r\n" + end + "\r\n", "Line 2: the line is empty."},
      {"no colon", good.substr(1) + "\r\n" + end, "Line 1: " + noColon},
      {"bad checksum", good.substr(0, good.size() - 1) + "0\r\n" + end, "Line 1: the checksum does not match the record."},
      {"non-hex data", ":04001000G1020304E5\r\n" + end, "Line 1: the record holds a character that is no hex digit."},
      {"count above the data", ":0500100001020304E2\r\n" + end, "Line 1: the record's byte count 05 does not match its length."},
      {"count below the data", ":0300100001020304E2\r\n" + end, "Line 1: the record's byte count 03 does not match its length."},
      {"odd length", good + "0\r\n" + end, odd},
      {"blank inside", ":04 0010000102030400\r\n" + end, odd},
      {"too short", ":00000001\r\n" + end, "Line 1: the record is too short."},
      {"blank before the colon", " " + good + "\r\n" + end, "Line 1: " + noColon},
      {"blank line before the end", good + "\r \r" + end, "Line 2: the line is empty."},
      {"UTF-8 byte order mark", "\xEF\xBB\xBF" + good + "\r\n" + end + "\r\n", "Line 1: " + mark},
      {"byte order mark twice", "\xEF\xBB\xBF\xEF\xBB\xBF" + good + "\r\n" + end, "Line 1: " + mark},
      {"byte order mark alone", "\xEF\xBB\xBF", "Line 1: " + mark},
      {"byte order mark inside", good + "\r\n\xEF\xBB\xBF" + end, "Line 2: " + mark},
      {"binary bytes", std::string("\x00\xFF\x10", 3), "Line 1: " + noColon},
      {"data in an end record", good + "\r\n" + Record(1, 0, 1, {0}), "Line 2: an end record carries no data."},
      {"unknown type", Record(1, 0, 6, {0}) + "\r\n" + end, "Line 1: the record type 06 is unknown."},
      {"ending with an empty line", good + "\r\n" + end + "\r\n\r\n", "Line 3: the line is empty."},
      {"text after the end record", end + "\r\ngarbage", "Line 2: " + noColon},
  };
  for (const Case& c : cases) {
    const TEELoadResult r = ParseHexFile(256, c.text);
    ExpectRefused(r, "  Invalid Hex File", epStatusLine, c.name);
    EXPECT_EQ(r.Detail, c.detail) << c.name;
  }
  const std::string pastLast = " lies past the device's last address 00FF.";
  const std::string segment = Record(2, 0, 2, {0, 0x10}) + "\r\n";
  const Case past[] = {
      {"data running past the end", good + "\r\n" + Record(2, 0x00FF, 0, {1, 2}) + "\r\n" + end,
       "Line 2: data for 00FF to 0100 lie past the device's last address 00FF."},
      {"count 0 past the end", Record(0, 0x1000, 0, {}) + "\r\n" + end, "Line 1: the record's address 1000" + pastLast},
      {"count 0 after a segment past the end", segment + Record(0, 0, 0, {}) + "\r\n" + end,
       "Line 2: the record's address 0100" + pastLast},
      {"end record past the end", good + "\r\n" + Record(0, 0x0100, 1, {}), "Line 2: the record's address 0100" + pastLast},
      {"start address past the end", Record(4, 0x1000, 3, {0, 0, 0, 9}) + "\r\n" + end,
       "Line 1: the record's address 1000" + pastLast},
      {"linear start past the end", Record(4, 0xFFFF, 5, {0, 0, 0, 9}) + "\r\n" + end,
       "Line 1: the record's address FFFF" + pastLast},
  };
  for (const Case& c : past) {
    const TEELoadResult r = ParseHexFile(256, c.text);
    ExpectRefused(r, "  Invalid Hex File Address", epStatusLine, c.name);
    EXPECT_EQ(r.Detail, c.detail) << c.name;
  }
  // The last address itself is inside the device, with data or without.
  const TEELoadResult last = ParseHexFile(256, Record(0, 0x00FF, 0, {}) + "\r\n" + Record(0, 0x00FF, 1, {}));
  EXPECT_TRUE(last.Ok) << last.Error;
}

// ---------------------------------------------------------------- raw binary

TEST(EEBinFile, ShortFilesChangeTheirBytesOnlyLongOnesAreCut) {
  TEELoadResult r = ParseBinFile(256, std::string(20, '\x42'));
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(r.Data, TEEBytes(20, 0x42));
  EXPECT_TRUE(r.Notes.empty());
  r = ParseBinFile(256, std::string(300, '\x01'));
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(r.Data.size(), 256u);
  EXPECT_EQ(r.Notes, std::vector<std::string>{"Data file too large\rLoaded: the first 256 bytes (addresses 000 to 0FF).\rLeft out: the other 44 of the file's 300 bytes."});
  ExpectRefused(ParseBinFile(256, ""), "Read beyond end of file", epMessageBox, "empty");
}

// ---------------------------------------------------------------- the file system

TEST(EEFiles, FilesThatCannotBeReadGiveTheOpenErrorAndNoData) {
  TempDir dir;
  fs::create_directory(dir.File("folder"));
  for (const std::string& name : {dir.File("missing.hex"), dir.File("folder")}) {
    const TEELoadResult h = OpenHexFile(256, name);
    EXPECT_FALSE(h.Ok) << name;
    EXPECT_EQ(h.Error.rfind("Cannot open file \"" + name + "\".", 0), 0u) << h.Error;
    EXPECT_EQ(h.ErrorPlace, epMessageBox);
    EXPECT_TRUE(h.Data.empty());
    const TEELoadResult b = OpenBinFile(256, name);
    EXPECT_FALSE(b.Ok);
    EXPECT_EQ(b.Error.rfind("Cannot open file", 0), 0u) << b.Error;
    const TEELoadResult l = OpenMemFile(ekLarge, 4096, name);
    EXPECT_FALSE(l.Ok);
    EXPECT_EQ(l.Error.rfind("Cannot open file", 0), 0u) << l.Error;
    // The small image keeps its own words and says why after them.
    const TEELoadResult s = OpenMemFile(ekSmall, 256, name);
    ExpectRefused(s, std::string(EEFailedToOpenText) + ". " + l.Error, epMessageBox, name);
    EXPECT_NE(s.Error.find(name), std::string::npos) << s.Error;
  }
}

TEST(EEFiles, FilesFarBeyondAnyDeviceAreRefusedBeforeTheyAreRead) {
  TempDir dir;
  dir.Write("huge.bin", "");
  fs::resize_file(dir.File("huge.bin"), 65 * 1024 * 1024);  // sparse: no disk used
  const TEELoadResult r = OpenBinFile(65536, dir.File("huge.bin"));
  EXPECT_FALSE(r.Ok);
  EXPECT_NE(r.Error.find("larger than"), std::string::npos) << r.Error;
  EXPECT_TRUE(r.Data.empty());
  // Up to the limit a long binary file loads the device's worth.
  fs::resize_file(dir.File("huge.bin"), 1024 * 1024);
  const TEELoadResult b = OpenBinFile(65536, dir.File("huge.bin"));
  ASSERT_TRUE(b.Ok) << b.Error;
  EXPECT_EQ(b.Data, TEEBytes(65536, 0));
  EXPECT_EQ(b.Notes, std::vector<std::string>{"Data file too large\rLoaded: the first 65536 bytes (addresses 000 to FFFF).\rLeft out: the other 983040 of the file's 1048576 bytes."});
}

TEST(EEFiles, ReadOnlyFilesAreReadAndNeverOverwritten) {
  TempDir dir;
  const TEEBytes image = RandomImage(256, 5);
  SaveMemFile(ekSmall, dir.File("ro.mem"), {}, image);
  SaveHexFile(dir.File("ro.hex"), image);
  fs::permissions(dir.File("ro.mem"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  fs::permissions(dir.File("ro.hex"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const std::string before = dir.Read("ro.mem");

  TEELoadResult r = OpenMemFile(ekSmall, 256, dir.File("ro.mem"));
  ASSERT_TRUE(r.Ok) << r.Error;
  EXPECT_EQ(r.Data, image);
  EXPECT_TRUE(OpenHexFile(256, dir.File("ro.hex")).Ok);

  EXPECT_THROW(SaveMemFile(ekSmall, dir.File("ro.mem"), {}, TEEBytes(256, 0)), EFCreateError);
  EXPECT_THROW(SaveHexFile(dir.File("ro.hex"), TEEBytes(256, 0)), EFCreateError);
  EXPECT_THROW(SaveBinFile(dir.File("ro.mem"), TEEBytes(256, 0)), EFCreateError);
  EXPECT_EQ(dir.Read("ro.mem"), before);
}

TEST(EEFiles, FailedSavesKeepTheOldFile) {
  TempDir dir;
  fs::create_directory(dir.File("folder"));
  EXPECT_THROW(SaveBinFile(dir.File("folder"), TEEBytes(256, 0)), EFCreateError);
  EXPECT_TRUE(fs::is_directory(dir.File("folder")));
  EXPECT_THROW(SaveHexFile(dir.File("no/such/dir/x.hex"), TEEBytes(256, 0)), EStreamError);

  // A folder that refuses new files: the old file stays as it was.
  fs::create_directory(dir.File("locked"));
  dir.Write("locked/old.bin", "old contents");
  fs::permissions(dir.File("locked"), fs::perms::owner_read | fs::perms::owner_exec);
  const bool enforced = !std::ofstream(dir.File("locked/probe"));  // a privileged user writes anyway
  if (enforced) {
    EXPECT_THROW(SaveBinFile(dir.File("locked/old.bin"), TEEBytes(256, 0)), EStreamError);
    EXPECT_EQ(dir.Read("locked/old.bin"), "old contents");
  }
}

}  // namespace

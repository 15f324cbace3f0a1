// "Open" and "Save As..." of the EEPROM windows: round trips of every format,
// and files that must be refused with nothing in the window changed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>

#include "app/bus/ByteText.h"
#include "eeprom/EEFiles.h"
#include "tests/eeprom/EEWindowFixture.h"

namespace {

namespace fs = std::filesystem;

class EEWindowFile : public TEEWindowTest {
 protected:
  EEWindowFile() {
    dir = fs::temp_directory_path() / ("velmaron-eefile-" + std::to_string(::getpid()) + "-" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
  }
  ~EEWindowFile() override {
    std::error_code ec;
    fs::permissions(dir, fs::perms::owner_all, ec);
    fs::remove_all(dir, ec);
  }
  std::string Path(const std::string& name) const { return (dir / name).string(); }
  static void Write(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary);
    f << bytes;
  }
  static std::string Read(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
  }
  static std::vector<uint8_t> Pattern(int Size) {
    std::vector<uint8_t> v(static_cast<size_t>(Size));
    for (int a = 0; a < Size; ++a) v[a] = static_cast<uint8_t>((a * 13 + 7) & 0xFF);
    for (int a = 32; a < 48 && a < Size; ++a) v[a] = 0xFF;  // a row of FF, left out of HEX files
    return v;
  }
  static std::vector<uint8_t> GridBytes(TEEWindow* w) {
    std::vector<uint8_t> v;
    for (int a = 0; a < w->DeviceSize(); ++a) v.push_back(*ByteCellValue(w->HexCell(a)));
    return v;
  }
  // Message: the message box the command must show (answered OK), or nullptr.
  void Save(TEEWindow* w, const std::string& path, int type, const char* Message = nullptr, bool Overwrite = false) {
    Responder().ExpectSave(path, type);
    if (Overwrite) Responder().ExpectMessage("already exists", mrYes);
    if (Message) Responder().ExpectMessage(Message);
    Command(w->mnuSaveAs);
    Application->ProcessMessages();
  }
  void Open(TEEWindow* w, const std::string& path, int type, const char* Message = nullptr) {
    Responder().ExpectOpen(path, type);
    if (Message) Responder().ExpectMessage(Message);
    Command(w->mnuOpen);
    Application->ProcessMessages();
  }
  // The window as a refused file must leave it.
  struct TSnapshot {
    std::vector<uint8_t> Bytes;
    std::string Caption, Address, Page, Time;
  };
  static TSnapshot Snap(TEEWindow* w) {
    return {GridBytes(w), w->Caption(), w->SetupItem(esAddress)->TextValue(), w->SetupItem(esPageSize)->TextValue(),
            w->SetupItem(esWriteTime)->TextValue()};
  }
  static void ExpectSame(TEEWindow* w, const TSnapshot& s, bool CaptionToo = true) {
    EXPECT_EQ(GridBytes(w), s.Bytes);
    if (CaptionToo) {
      EXPECT_EQ(w->Caption(), s.Caption);
    }
    EXPECT_EQ(w->SetupItem(esAddress)->TextValue(), s.Address);
    EXPECT_EQ(w->SetupItem(esPageSize)->TextValue(), s.Page);
    EXPECT_EQ(w->SetupItem(esWriteTime)->TextValue(), s.Time);
  }
  fs::path dir;
};

TEST_F(EEWindowFile, EverySizeAndFormatRoundTripsThroughTheWindows) {
  TfrmMain* m = Start();
  const std::vector<TMenuItem*> items = {m->mnu16B,  m->mnu1K,    m->mnu2K,     m->mnu4K,     m->mnu8K,   m->mnu16K,
                                         m->mnu4Kx8, m->mnu8Kx8, m->mnu16Kx8, m->mnu32Kx8, m->mnu64Kx8};
  for (TMenuItem* item : items) {
    item->Click();
    Application->ProcessMessages();
    TEEWindow* w = static_cast<TEEWindow*>(m->ActiveMDIChild());
    ASSERT_NE(w, nullptr);
    const int size = w->DeviceSize();
    SCOPED_TRACE(size);
    const std::vector<uint8_t> data = Pattern(size);
    w->SetImage(data);
    w->SetupItem(esAddress)->SetTextValue(size == 2048 ? "A0" : size >= 512 && size <= 1024 ? "A8" : "A4");
    w->SetupItem(esWriteTime)->SetTextValue("20");
    for (int type = 1; type <= 3; ++type) {
      const std::string path = Path("image" + std::to_string(size) + "." + std::to_string(type));
      Save(w, path, type);
      EXPECT_EQ(w->Caption(), path);
      TfrmMain* main = frmMain;
      item->Click();
      Application->ProcessMessages();
      TEEWindow* r = static_cast<TEEWindow*>(main->ActiveMDIChild());
      ASSERT_NE(r, w);
      Open(r, path, type);
      EXPECT_EQ(GridBytes(r), data) << "type " << type;
      EXPECT_EQ(r->Caption(), path);
      if (type == 1) {
        EXPECT_EQ(r->SetupItem(esAddress)->TextValue(), w->SetupItem(esAddress)->TextValue());
        EXPECT_EQ(r->SetupItem(esWriteTime)->TextValue(), "20");
      }
      r->Release();
      Application->ProcessMessages();
    }
    EXPECT_EQ(fs::file_size(Path("image" + std::to_string(size) + ".1")),
              static_cast<uintmax_t>(size + (w->Large() ? 26 : 24)));
    EXPECT_EQ(fs::file_size(Path("image" + std::to_string(size) + ".3")), static_cast<uintmax_t>(size));
    w->Release();
    Application->ProcessMessages();
  }
}

// A name typed without an extension gets the one of the type chosen in the dialog, in both kinds
// of window, so the file's name says what its content is.
TEST_F(EEWindowFile, ABareNameGetsTheChosenTypesExtension) {
  TfrmMain* m = Start();
  TEEWindow* windows[] = {OpenSmall(m->mnu2K), OpenLarge(m->mnu4Kx8)};
  const char* ext[] = {"mem", "hex", "bin"};
  for (TEEWindow* w : windows)
    for (int type : {2, 3, 1}) {
      const std::string bare = Path("bare" + std::to_string(w->DeviceSize()) + "_" + std::to_string(type));
      Save(w, bare, type);
      const std::string named = bare + "." + ext[type - 1];
      EXPECT_EQ(w->Caption(), named);
      EXPECT_TRUE(fs::is_regular_file(named)) << named;
      EXPECT_FALSE(fs::exists(bare + ".mem") && type != 1) << bare;
      Open(w, bare, type);
      EXPECT_EQ(w->Caption(), named) << "opening a bare name looks for the chosen type's file";
    }
}

TEST_F(EEWindowFile, HostileFilesGiveTheirMessageAndChangeNothing) {
  TfrmMain* m = Start();
  TfrmEEPROM* w = OpenLarge(m->mnu4Kx8);
  w->SetImage(Pattern(4096));
  w->SetupItem(esAddress)->SetTextValue("A6");
  w->savEEDialog->SetFileName(Path("kept.hex"));
  const TSnapshot before = Snap(w);
  struct {
    const char* Name;
    std::string Bytes;
    int Type;
    const char* Message;  // the end of the box's text, after the file's name
    const char* Status;   // the status line, or nullptr when the box alone says it
  } cases[] = {
      {"empty.mem", "", 1,
       "empty.mem\" is not a memory image file of this window: it holds 0 bytes, and the memory image of a "
       "4096-byte EEPROM holds 4122.",
       nullptr},
      {"short.mem", std::string(26 + 100, '\0'), 1, "short.mem\" is not a memory image file of this window: it holds 126 bytes, and the memory image of a 4096-byte EEPROM holds 4122.",
       nullptr},
      {"x.bin", std::string(20, '\x55'), 1, "x.bin\" is not a memory image file of this window: it holds 20 bytes, and the memory image of a 4096-byte EEPROM holds 4122.",
       nullptr},
      {"notes.txt", "a text file\r\n", 1, "notes.txt\" is not a memory image file of this window: it holds 13 bytes, and the memory image of a 4096-byte EEPROM holds 4122.",
       nullptr},
      {"empty.bin", "", 3, "Read beyond end of file", nullptr},
      {"blank-line.hex", ":0100000041BE\r\n\r\n:00000001FF\r\n", 2, "blank-line.hex\"\rLine 2: the line is empty.",
       "  Invalid Hex File"},
      {"checksum.hex", ":0100000041BF\r\n:00000001FF\r\n", 2,
       "checksum.hex\"\rLine 1: the checksum does not match the record.", "  Invalid Hex File"},
      {"nonhex.hex", ":01000000G1BE\r\n:00000001FF\r\n", 2, "Line 1: the record holds a character that is no hex digit.",
       "  Invalid Hex File"},
      {"past-end.hex", ":10FFF800000102030405060708090A0B0C0D0E0F81\r\n:00000001FF\r\n", 2,
       "Line 1: data for FFF8 to 10007 lie past the device's last address 0FFF.", "  Invalid Hex File Address"},
      {"upper.hex", ":020000040001F9\r\n:0100000041BE\r\n:00000001FF\r\n", 2,
       "Line 1: the extended address lies past the device.", "  Invalid Hex File Address"},
      {"type06.hex", ":0100000641B8\r\n:00000001FF\r\n", 2, "Line 1: the record type 06 is unknown.",
       "  Invalid Hex File"},
      {"no-end.hex", ":0100000041BE\r\n", 2, "The file ends without its end record (:00000001FF).",
       "  Invalid Hex File"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Write(Path(c.Name), c.Bytes);
    Open(w, Path(c.Name), c.Type, c.Message);
    // Nothing changes: not the image, the settings, the caption nor the Save As name.
    ExpectSame(w, before);
    EXPECT_EQ(w->savEEDialog->FileName(), Path("kept.hex"));
    const TDialogRequest& box = Responder().Seen().back();
    EXPECT_EQ(box.Kind, dkMessage);
    const std::string text = box.Text;
    EXPECT_EQ(text.rfind(c.Message), text.size() - std::string(c.Message).size()) << text;
    if (c.Status != nullptr) {
      EXPECT_EQ(Status(), c.Status);
      EXPECT_EQ(text.find(std::string(c.Status).substr(2) + ": \"" + Path(c.Name) + "\"\r"), 0u) << text;
    } else if (c.Type == 1) {
      EXPECT_EQ(text.find("Read beyond end of file\r\"" + Path(c.Name) + "\" is not a memory image file"), 0u) << text;
    }
  }
  // A directory and a missing file are refused by the reader with the library's text.
  fs::create_directories(Path("folder.bin"));
  Open(w, Path("folder.bin"), 3, "Cannot open file");
  ExpectSame(w, before);
}

TEST_F(EEWindowFile, OversizedFilesLoadTheDeviceSizeAndSaySo) {
  TfrmMain* m = Start();
  TfrmSmallEE* w = OpenSmall(m->mnu2K);
  std::string big(300, '\0');
  for (int i = 0; i < 300; ++i) big[i] = static_cast<char>(i);
  Write(Path("big.bin"), big);
  Open(w, Path("big.bin"), 3,
       "Data file too large\rLoaded: the first 256 bytes (addresses 000 to 0FF).\rLeft out: the other 44 of the "
       "file's 300 bytes.");
  EXPECT_EQ(w->HexCell(255), "FF");
  EXPECT_EQ(w->HexCell(254), "FE");
  // A short binary file changes only its own bytes.
  w->SetImage(std::vector<uint8_t>(256, 0x11));
  Write(Path("short.bin"), std::string(20, '\x22'));
  Open(w, Path("short.bin"), 3);
  EXPECT_EQ(w->HexCell(19), "22");
  EXPECT_EQ(w->HexCell(20), "11");
  // CR LF and LF HEX files both read; an extended address of 0 is accepted and stores nothing.
  Write(Path("lf.hex"), ":020000040000FA\n:0100100041AE\n:00000001FF\n");
  Open(w, Path("lf.hex"), 2);
  EXPECT_EQ(w->HexCell(0x10), "41");
  EXPECT_EQ(w->HexCell(0), "FF") << "bytes no record gives are FF";
  EXPECT_EQ(w->HexCell(1), "FF");
  // A data pair that is no hex number raises the strict conversion's error and changes nothing.
  const TSnapshot before = Snap(w);
  Write(Path("nonhex.hex"), ":01000000G1BE\r\n:00000001FF\r\n");
  Open(w, Path("nonhex.hex"), 2, "'$G1' is not a valid integer value");
  EXPECT_EQ(Responder().Seen().back().Text, "'$G1' is not a valid integer value.");
  ExpectSame(w, before);
}

TEST_F(EEWindowFile, AFailedSaveKeepsTheOldFileAndTheCaption) {
  TfrmMain* m = Start();
  TfrmSmallEE* w = OpenSmall(m->mnu1K);
  const std::string path = Path("keep.bin");
  Write(path, "old contents");
  ::chmod(path.c_str(), 0444);
  const std::string caption = w->Caption();
  Save(w, path, 3, "", true);
  EXPECT_EQ(Read(path), "old contents");
  EXPECT_EQ(w->Caption(), caption);
  // A cell the small window cannot read stops the save before the file is touched.
  ::chmod(path.c_str(), 0644);
  w->stgMemory->SetCells(2, 1, "Q");
  Save(w, path, 3, "'$Q' is not a valid integer value", true);
  EXPECT_EQ(Read(path), "old contents");
}

TEST_F(EEWindowFile, MemoryImagesCarryTheSettingsAndRefuseBadOnes) {
  TfrmMain* m = Start();
  TfrmSmallEE* w = OpenSmall(m->mnu1K);
  w->SetupItem(esAddress)->SetTextValue("A2");
  const std::string path = Path("settings.mem");
  Save(w, path, 1);
  const std::string bytes = Read(path);
  ASSERT_EQ(bytes.size(), 152u);
  EXPECT_EQ(bytes.substr(0, 18), "VelmaronSmallEE128");
  EXPECT_EQ(bytes.substr(18, 6), std::string("\xA2\x08\x32\x00\x80\x00", 6));
  // Page size 0 in the file loads as 8; a write time of 0 is replaced with a message.
  std::string edited = bytes;
  edited[19] = 0;
  edited[20] = 0;
  edited[21] = 0;
  Write(Path("edited.mem"), edited);
  w->SetupItem(esPageSize)->SetIntValue(16);
  Open(w, Path("edited.mem"), 1, "Write Time");
  EXPECT_EQ(w->SetupItem(esPageSize)->TextValue(), "8");
  EXPECT_EQ(w->SetupItem(esWriteTime)->TextValue(), "1");
}

TEST_F(EEWindowFile, AMemoryImageWithNoDataIsRefusedAndChangesNothing) {
  TfrmMain* m = Start();
  TfrmSmallEE* w = OpenSmall(m->mnu1K);
  w->SetImage(Pattern(128));
  w->SetupItem(esAddress)->SetTextValue("A6");
  w->SetupItem(esPageSize)->SetIntValue(16);
  w->SetupItem(esWriteTime)->SetIntValue(20);
  const TSnapshot before = Snap(w);
  TEEFileSettings fs;
  fs.Address = 0xA4;
  std::string signedEmpty = MemImageBytes(ekSmall, fs, TEEBytes(128, 5)).substr(0, 24);
  signedEmpty[22] = signedEmpty[23] = 0;
  const struct { const char* Name; std::string Bytes; } cases[] = {
      {"zeros.mem", std::string(30, '\0')},
      {"header-only.mem", signedEmpty},
      {"size-0-with-bytes.mem", signedEmpty + std::string(128, '\x05')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Write(Path(c.Name), c.Bytes);
    Open(w, Path(c.Name), 1, "holds no data");
    ExpectSame(w, before);
  }
}

TEST_F(EEWindowFile, AnImagesAddressIsTakenOnlyWhenTheWindowOffersIt) {
  TfrmMain* m = Start();
  TEEWindow* windows[] = {OpenSmall(m->mnu1K), OpenLarge(m->mnu4Kx8)};
  const struct { uint8_t File; const char* Shown; bool Noted; } cases[] = {
      {0xA4, "A4", false},
      {0xAE, "AE", false},
      {0x00, "A6", true},  // the general call
      {0x50, "A6", true},
      {0xB0, "A6", true},
  };
  for (TEEWindow* w : windows) {
    const bool large = w->DeviceSize() >= 4096;
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(large ? "large " : "small ") + c.Shown + " from " + IntToHex(c.File, 2));
      w->SetupItem(esAddress)->SetTextValue("A6");
      TEEFileSettings fs;
      fs.Address = c.File;
      fs.PageSize = 16;
      fs.WriteTime = 7;
      const std::vector<uint8_t> image(w->DeviceSize(), 0x3C);
      Write(Path("a.mem"), MemImageBytes(large ? ekLarge : ekSmall, fs, image));
      Open(w, Path("a.mem"), 1, c.Noted ? "is not one this window offers: A6 is kept" : nullptr);
      EXPECT_EQ(w->SetupItem(esAddress)->TextValue(), c.Shown);
      // The rest of the file loads either way.
      EXPECT_EQ(GridBytes(w), image);
      EXPECT_EQ(w->SetupItem(esPageSize)->TextValue(), "16");
      EXPECT_EQ(w->SetupItem(esWriteTime)->TextValue(), "7");
    }
  }
}

}  // namespace

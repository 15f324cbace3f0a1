// Definition files, the text export, the printout's lines and the recent-files
// list of the user-definable device, without any window.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "devices/Longi2cFile.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/SysUtils.h"

namespace {

namespace fs = std::filesystem;

class Longi2cFileTest : public ::testing::Test {
 protected:
  Longi2cFileTest() {
    static int serial = 0;
    dir_ = fs::temp_directory_path() /
           ("velmaron-longi2c-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
    fs::create_directories(dir_);
    TRegistry::SetStoreDirectory(dir_.string());
  }
  ~Longi2cFileTest() override {
    TRegistry::SetStoreDirectory("");
    fs::remove_all(dir_);
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  static void Put(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  static std::string Get(const std::string& path) { return LoadFileBytes(path); }

  fs::path dir_;
};

TDeviceDefinition Twenty() {
  TDeviceDefinition d;
  d.Address = "A4";
  d.MaxRegister = 19;
  d.Name = "ADC";
  for (int i = 0; i < 20; ++i) {
    d.Values[i] = IntToHex(i * 3, 2);
    d.Descriptions[i] = "Reg " + IntToStr(i);
  }
  d.Values[5] = "XX";
  return d;
}

TEST_F(Longi2cFileTest, DefinitionRoundTripWritesOnlyTheDefinedRegistersInOrder) {
  const std::string file = Path("adc.def");
  WriteDefinitionFile(file, Twenty(), dsSaveAs);
  const std::string text = Get(file);
  EXPECT_EQ(text.rfind("[Device Data]\r\nAddress=A4\r\nMaxRegister=19\r\nName=ADC\r\n", 0), 0u) << text;
  EXPECT_NE(text.find("[Register Data]\r\n0=00\r\n1=03\r\n"), std::string::npos);
  EXPECT_NE(text.find("19=39"), std::string::npos);
  EXPECT_EQ(text.find("\r\n20="), std::string::npos);
  EXPECT_NE(text.find("[Register Description]\r\n0=Reg 0\r\n"), std::string::npos);

  TDefinitionRepairs fixes;
  const TDeviceDefinition back = ReadDefinitionFile(file, &fixes);
  EXPECT_FALSE(fixes.Any());
  EXPECT_EQ(back.Address, "A4");
  EXPECT_EQ(back.MaxRegister, 19);
  EXPECT_EQ(back.Name, "ADC");
  EXPECT_EQ(back.Values[5], "XX");
  EXPECT_EQ(back.Values[19], "39");
  EXPECT_EQ(back.Descriptions[19], "Reg 19");
  EXPECT_EQ(back.Values[20], "FF");
  EXPECT_EQ(back.Descriptions[20], "Undefined Register");
}

TEST_F(Longi2cFileTest, MissingKeysAndSectionsTakeTheirDefaults) {
  const TDeviceDefinition d = ParseDefinition("[Device Data]\nMaxRegister=3\n");
  EXPECT_EQ(d.Address, "00");
  EXPECT_EQ(d.Name, "Unknown Device");
  EXPECT_EQ(d.MaxRegister, 3);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(d.Values[i], "FF");
    EXPECT_EQ(d.Descriptions[i], "Undefined Register");
  }
  EXPECT_EQ(ParseDefinition("").MaxRegister, 255);
  EXPECT_EQ(ParseDefinition("[Device Data]\nMaxRegister=seven\n").MaxRegister, 255);
}

TEST_F(Longi2cFileTest, HostileFilesStayInsideTheModelAndSayWhatWasMended) {
  TDefinitionRepairs fixes;
  TDeviceDefinition d = ParseDefinition("[Device Data]\nMaxRegister=300\nAddress=G1\n", &fixes);
  EXPECT_EQ(d.MaxRegister, 255);
  EXPECT_EQ(d.Address, "00");
  EXPECT_TRUE(fixes.MaxRegisterOutOfRange);
  EXPECT_TRUE(fixes.BadAddress);
  EXPECT_NE(fixes.Describe().find("outside 1 to 256"), std::string::npos);

  d = ParseDefinition("[Device Data]\nMaxRegister=-1\nAddress=5\n", &fixes);
  EXPECT_EQ(d.MaxRegister, 0);
  EXPECT_EQ(d.Address, "00");
  EXPECT_TRUE(fixes.BadAddress);
  d = ParseDefinition("[Device Data]\nMaxRegister=99999999999999999999\n", &fixes);
  EXPECT_EQ(d.MaxRegister, 255);
  EXPECT_TRUE(fixes.MaxRegisterOutOfRange);

  // An odd address is kept as stored: the window's address rule clears bit 0.
  EXPECT_EQ(ParseDefinition("[Device Data]\nAddress=a1\n").Address, "A1");

  // 10,000 registers: only 0 to 255 are read, and writing back keeps to them.
  std::string big = "[Device Data]\nMaxRegister=9999\n[Register Data]\n";
  for (int i = 0; i < 10000; ++i) big += IntToStr(i) + "=" + IntToHex(i & 0xFF, 2) + "\n";
  d = ParseDefinition(big, &fixes);
  EXPECT_EQ(d.MaxRegister, 255);
  EXPECT_EQ(d.Values[255], "FF");
  EXPECT_EQ(d.Values[17], "11");
  const std::string fresh = DefinitionText(d, big, dsSaveAs);
  EXPECT_EQ(fresh.find("\r\n256="), std::string::npos);

  // Values that are not bytes become skip markers, counted; " 5" and "a" are bytes.
  d = ParseDefinition("[Device Data]\nMaxRegister=4\n[Register Data]\n0=hello\n1= 5\n2=a\n3=\n4=xx\n", &fixes);
  EXPECT_EQ(d.Values[0], "XX");
  EXPECT_EQ(d.Values[1], "05");
  EXPECT_EQ(d.Values[2], "0A");
  EXPECT_EQ(d.Values[3], "FF");
  EXPECT_EQ(d.Values[4], "XX");
  EXPECT_EQ(fixes.BadValues, 1);

  // Binary junk reads as a default device.
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 37) & 0xFF);
  d = ParseDefinition(junk, &fixes);
  EXPECT_GE(d.MaxRegister, 0);
  EXPECT_LE(d.MaxRegister, 255);
}

// Save and Save As write into the file through the INI-file class; Save As first erases the
// "Register Data" section only, so an old "Register Description" keeps its keys 16 to 255.
TEST_F(Longi2cFileTest, SaveAndSaveAsWriteIntoTheFileAndSaveAsErasesOnlyTheRegisterData) {
  std::string old = "[Device Data]\nAddress=A0\nMaxRegister=255\nName=Old\n[Register Data]\n";
  for (int i = 0; i < 256; ++i) old += IntToStr(i) + "=11\n";
  old += "[Register Description]\n";
  for (int i = 0; i < 256; ++i) old += IntToStr(i) + "=Old " + IntToStr(i) + "\n";
  old += "[Foreign]\nX=1\n";
  struct Case {
    TDefinitionSave How;
    bool OldDataKeys;  // "Register Data" keys 16 to 255 still there
  };
  const Case cases[] = {{dsSave, true}, {dsSaveAs, false}};
  for (const Case& c : cases) {
    const std::string file = Path("old" + IntToStr(c.How) + ".def");
    Put(file, old);
    TDeviceDefinition d;
    d.MaxRegister = 15;
    d.Name = "New";
    d.Descriptions[3] = "Three";
    WriteDefinitionFile(file, d, c.How);
    const std::string text = Get(file);
    TIniText ini;
    ini.Parse(text);
    std::string v;
    EXPECT_EQ(ini.Find("Register Data", "16", v), c.OldDataKeys) << c.How;
    EXPECT_EQ(ini.Find("Register Data", "255", v), c.OldDataKeys) << c.How;
    ASSERT_TRUE(ini.Find("Register Data", "15", v)) << c.How;
    EXPECT_EQ(v, "FF");
    ASSERT_TRUE(ini.Find("Register Description", "16", v)) << c.How << ": old descriptions stay";
    EXPECT_EQ(v, "Old 16");
    ASSERT_TRUE(ini.Find("Register Description", "255", v)) << c.How;
    EXPECT_EQ(v, "Old 255");
    ASSERT_TRUE(ini.Find("Register Description", "3", v)) << c.How;
    EXPECT_EQ(v, "Three");
    EXPECT_TRUE(ini.Find("Foreign", "X", v)) << c.How << ": keys it does not write stay";
    const TDeviceDefinition back = ParseDefinition(text);
    EXPECT_EQ(back.MaxRegister, 15) << c.How;
    EXPECT_EQ(back.Name, "New") << c.How;
    EXPECT_EQ(back.Descriptions[16], "Undefined Register") << c.How << ": reading ignores the higher keys";
  }

  // The export writes its keys into the chosen file as well.
  const std::string txt = Path("regs.txt");
  Put(txt, "[Junk]\nA=B\n");
  TDeviceDefinition e;
  e.Address = "A0";
  e.MaxRegister = 10;
  e.Values[10] = "7F";
  e.Descriptions[10] = "Gain";
  WriteExportFile(txt, e);
  std::string text = Get(txt);
  EXPECT_NE(text.find("[Junk]"), std::string::npos) << text;
  TIniText ini;
  ini.Parse(text);
  std::string v;
  ASSERT_TRUE(ini.Find("Register Data", "0A", v));
  EXPECT_EQ(v, "7F  ;Gain");
  EXPECT_FALSE(ini.Find("Device Data", "Name", v));
  // A new export file in the layout of the INI writer.
  const std::string fresh = Path("fresh.txt");
  WriteExportFile(fresh, e);
  text = Get(fresh);
  EXPECT_EQ(text.rfind("[Device Data]\r\nAddress=A0\r\nMaxRegister=10\r\n", 0), 0u) << text;
  EXPECT_NE(text.find("[Register Data]\r\n00=FF  ;Undefined Register\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\n0A=7F  ;Gain"), std::string::npos);
}

TEST_F(Longi2cFileTest, AFailedSaveKeepsTheOldFile) {
  const std::string file = Path("keep.def");
  Put(file, "[Device Data]\nName=Kept\n");
  // Files may not grow past 16 bytes now: every write of a new file fails, for root too.
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 16;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  bool definitionFailed = false, exportFailed = false;
  try {
    WriteDefinitionFile(file, Twenty(), dsSaveAs);
  } catch (const Exception&) {
    definitionFailed = true;
  }
  try {
    WriteExportFile(file, Twenty());
  } catch (const Exception&) {
    exportFailed = true;
  }
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  EXPECT_TRUE(definitionFailed);
  EXPECT_TRUE(exportFailed);
  EXPECT_EQ(Get(file), "[Device Data]\nName=Kept\n");
}

TEST_F(Longi2cFileTest, LineBreaksInTextsCannotAddKeys) {
  TDeviceDefinition d;
  d.MaxRegister = 0;
  d.Name = "A\r\nMaxRegister=7";
  d.Descriptions[0] = "x\n[Device Data]";
  const TDeviceDefinition back = ParseDefinition(DefinitionText(d, "", dsSaveAs));
  EXPECT_EQ(back.MaxRegister, 0);
  EXPECT_EQ(back.Name, "A  MaxRegister=7");
}

TEST_F(Longi2cFileTest, PrintoutLines) {
  const std::vector<std::string> lines = PrintoutLines(Twenty(), "My ADC");
  ASSERT_EQ(lines.size(), 23u);
  EXPECT_EQ(lines[0], "Device Name is: My ADC");
  EXPECT_EQ(lines[1], "Device Address is: 0xA4");
  EXPECT_EQ(lines[2], "Register  Value  Register Description");
  EXPECT_EQ(lines[3], "  0x00     00    ;Reg 0");
  EXPECT_EQ(lines[22], "  0x13     39    ;Reg 19");
}

TEST_F(Longi2cFileTest, RecentFilesReadUpperCaseNamesWriteLowerCaseAndKeepFour) {
  {
    TRecentFiles none;
    none.Load();
    EXPECT_TRUE(none.Files().empty());
    EXPECT_TRUE(TRegistry().KeyExists(RecentFilesKey)) << "loading makes the missing key";
  }
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(RecentFilesKey, true));
    reg.WriteString("MRU1", "/a/one.def");
    reg.WriteString("MRU2", "/a/two.def");
    reg.CloseKey();
  }
  TRecentFiles mru;
  mru.Load();
  ASSERT_EQ(mru.Files(), (std::vector<std::string>{"/a/one.def", "/a/two.def"}));
  EXPECT_FALSE(mru.Changed());
  EXPECT_TRUE(mru.Write()) << "an unchanged list writes nothing";

  for (const char* f : {"/b/3.def", "/b/4.def", "/b/5 & more.def", "/a/two.def"}) mru.Update(f);
  EXPECT_EQ(mru.Files(), (std::vector<std::string>{"/a/two.def", "/b/5 & more.def", "/b/4.def", "/b/3.def"}));
  mru.Update("/A/TWO.def");  // another file on this file system
  EXPECT_EQ(mru.Files().front(), "/A/TWO.def");
  EXPECT_EQ(mru.Files().size(), 4u);
  ASSERT_TRUE(mru.Write());

  TRegistry reg;
  ASSERT_TRUE(reg.OpenKeyReadOnly(RecentFilesKey));
  TStringList names;
  reg.GetValueNames(&names);
  std::vector<std::string> got;
  for (int i = 0; i < names.Count(); ++i) got.push_back(names.Strings(i));
  EXPECT_NE(std::find(got.begin(), got.end(), "mru1"), got.end());
  EXPECT_EQ(std::find(got.begin(), got.end(), "MRU1"), got.end()) << "the old spelling is replaced";
  EXPECT_EQ(reg.ReadInteger("numMRUs"), 4);
  reg.CloseKey();

  TRecentFiles again;
  again.Load();
  EXPECT_EQ(again.Files(), mru.Files());
  again.Remove("/b/4.def");
  EXPECT_TRUE(again.Changed());
  ASSERT_TRUE(again.Write());
  TRecentFiles third;
  third.Load();
  EXPECT_EQ(third.Files().size(), 3u);
}

}  // namespace

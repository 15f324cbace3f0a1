#include "platform/rtl/IniFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/platform/rtl/TestSupport.h"

namespace {

const char* kDevice =
    "; device definition\r\n"
    "[Device]\r\n"
    "  Name  =  EEPROM 24C02  \r\n"
    "Address=$A0\r\n"
    "Count=0x10\r\n"
    "address=$B0\r\n"
    "Quoted=\"  spaced  \"\r\n"
    ";Commented=1\r\n"
    "NoEquals\r\n"
    "\r\n"
    "[device]\r\n"
    "Second=yes\r\n"
    "\r\n"
    "[ Registers ]\r\n"
    "R0=00\r\n"
    "R1=FF\r\n";


using V = TStringVector;

}  // namespace

TEST(TIniFile, PrivateProfileReadingRules) {
  TTempDir dir;
  std::string f = dir.File("dev.def");
  SaveFileAtomically(f, kDevice);
  TIniFile ini(f);
  EXPECT_EQ(ini.ReadString("device", "NAME", "?"), "EEPROM 24C02");  // trimmed, no case
  EXPECT_EQ(ini.ReadString("Device", "Address", "?"), "$A0");         // first key wins
  EXPECT_EQ(ini.ReadInteger("Device", "Address", -1), 0xA0);
  EXPECT_EQ(ini.ReadInteger("Device", "Count", -1), 16);
  EXPECT_EQ(ini.ReadInteger("Device", "Name", -1), -1);
  EXPECT_EQ(ini.ReadString("Device", "Second", "none"), "none");      // second [device] is hidden
  EXPECT_EQ(ini.ReadString("Device", "Commented", "none"), "none");
  EXPECT_EQ(ini.ReadString("Device", ";Commented", "none"), "none");
  EXPECT_EQ(ini.ReadString("Device", "Quoted", "?"), "  spaced  ");   // matching quotes go
  EXPECT_EQ(ini.ReadString("Registers", "R1", "?"), "FF");            // blanks around the name
  EXPECT_EQ(ini.ReadString("Nope", "R1", "dflt"), "dflt");
  EXPECT_TRUE(ini.ReadBool("Registers", "R1", false) == false);       // "FF" is not a number
  EXPECT_TRUE(ini.ReadBool("Device", "Count", false));

  TStringList keys;
  ini.ReadSection("DEVICE", &keys);
  EXPECT_EQ(StringsOf(keys), (V{"Name", "Address", "Count", "Quoted"}));
  ini.ReadSections(&keys);
  EXPECT_EQ(StringsOf(keys), (V{"Device", "Registers"}));
  ini.ReadSectionValues("Registers", &keys);
  EXPECT_EQ(StringsOf(keys), (V{"R0=00", "R1=FF"}));
  EXPECT_TRUE(ini.SectionExists("registers"));
  EXPECT_FALSE(ini.SectionExists("Other"));
  EXPECT_TRUE(ini.ValueExists("Device", "count"));
  EXPECT_FALSE(ini.ValueExists("Device", "Second"));
}

TEST(TIniFile, MissingFileReadsAsEmptyAndWriteCreatesIt) {
  TTempDir dir;
  std::string f = dir.File("new.ini");
  TIniFile ini(f);
  EXPECT_EQ(ini.ReadString("A", "B", "d"), "d");
  TStringList sections;
  ini.ReadSections(&sections);
  EXPECT_EQ(sections.Count(), 0);
  EXPECT_FALSE(FileExists(f));
  ini.WriteInteger("Main", "Clock", 50);
  ini.WriteBool("Main", "ShowSplash", true);
  ini.WriteString("Other", "Text", "a b");
  EXPECT_EQ(LoadFileBytes(f), "[Main]\r\nClock=50\r\nShowSplash=1\r\n\r\n[Other]\r\nText=a b\r\n");
  TIniFile again(f);
  EXPECT_EQ(again.ReadInteger("main", "clock", 0), 50);
}

TEST(TIniFile, RewritingOneValueKeepsEveryOtherLine) {
  TTempDir dir;
  std::string f = dir.File("dev.def");
  SaveFileAtomically(f, kDevice);
  TIniFile ini(f);
  ini.WriteString("DEVICE", "address", "$A2");
  std::string expected = kDevice;
  expected.replace(expected.find("Address=$A0"), 11, "address=$A2");
  EXPECT_EQ(LoadFileBytes(f), expected);

  // A new key goes at the end of the first matching section, before its blank line.
  ini.WriteString("Device", "Size", "256");
  expected.insert(expected.find("\r\n[device]"), "Size=256\r\n");
  EXPECT_EQ(LoadFileBytes(f), expected);

  ini.DeleteKey("Device", "Count");
  expected.erase(expected.find("Count=0x10\r\n"), 12);
  EXPECT_EQ(LoadFileBytes(f), expected);

  // Erasing removes every section of the name.
  ini.EraseSection("DEVICE");
  EXPECT_EQ(LoadFileBytes(f), "; device definition\r\n[ Registers ]\r\nR0=00\r\nR1=FF\r\n");
}

TEST(TIniFile, KeepsLfLineEndsAndAMissingFinalLineEnd) {
  TTempDir dir;
  std::string f = dir.File("lf.ini");
  SaveFileAtomically(f, "[A]\nx=1\ny=2");
  TIniFile ini(f);
  ini.WriteString("A", "x", "3");
  EXPECT_EQ(LoadFileBytes(f), "[A]\nx=3\ny=2");
  ini.WriteString("A", "z", "4");
  EXPECT_EQ(LoadFileBytes(f), "[A]\nx=3\ny=2\nz=4\n");
}

TEST(TIniFile, SeesChangesMadeByOthersAndRefusesLineBreaksInValues) {
  TTempDir dir;
  std::string f = dir.File("shared.ini");
  TIniFile a(f), b(f);
  a.WriteString("S", "k", "1");
  EXPECT_EQ(b.ReadString("S", "k", ""), "1");
  b.WriteString("S", "k", "two\r\n[Injected]\r\nx=1");
  EXPECT_EQ(a.ReadString("S", "k", ""), "two  [Injected]  x=1");
  TStringList s;
  a.ReadSections(&s);
  EXPECT_EQ(s.Count(), 1);
}

TEST(TIniFile, FailedWriteRaisesAndKeepsTheFile) {
  TTempDir dir;
  TIniFile ini(dir.File("missing-dir/x.ini"));
  try {
    ini.WriteString("A", "b", "c");
    ADD_FAILURE();
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.Message(), "Unable to write to " + dir.File("missing-dir/x.ini"));
  }
  EXPECT_EQ(ini.ReadString("A", "b", "none"), "none");
}

TEST(TIniFile, FileThatIsNoRegularFileOrTooLargeReadsAsEmptyAndIsNeverWrittenOver) {
  TTempDir dir;
  for (THostileFile kind : kHostileFiles) {
    SCOPED_TRACE(HostileName(kind));
    const std::string file = dir.File(std::string(HostileName(kind)) + ".ini");
    ASSERT_TRUE(MakeHostileFile(kind, file, MaxIniFileBytes, "[A]\r\nb=1\r\n"));
    const int code = ExitCodeWithin(10, [&] {
      TIniFile ini(file);
      if (ini.ReadString("A", "b", "none") != "none") return 1;
      try {
        ini.WriteString("A", "c", "2");
        return 2;
      } catch (const EIniFileException&) {
      }
      if (TMemIniFile(file).ReadString("A", "b", "none") != "none") return 3;
      return 0;
    });
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(StillHostileFile(kind, file, MaxIniFileBytes)) << "the file was replaced";
  }
}

TEST(TIniFile, FloatsAndDatesUseTheLocale) {
  TFormatSettingsScope scope;
  FormatSettings.DecimalSeparator = ',';
  TTempDir dir;
  TIniFile ini(dir.File("f.ini"));
  ini.WriteFloat("N", "v", 2.5);
  EXPECT_EQ(ini.ReadString("N", "v", ""), "2,5");
  EXPECT_DOUBLE_EQ(ini.ReadFloat("N", "v", 0), 2.5);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("N", "missing", 7), 7);
  ini.WriteString("N", "bad", "x");
  EXPECT_DOUBLE_EQ(ini.ReadFloat("N", "bad", 7), 7);
  TDateTime d = EncodeDate(2022, 6, 1);
  ini.WriteDate("N", "d", d);
  EXPECT_DOUBLE_EQ(ini.ReadDate("N", "d", 0), d);
}

TEST(TMemIniFile, ChangesStayInMemoryUntilUpdateFile) {
  TTempDir dir;
  std::string f = dir.File("mem.ini");
  SaveFileAtomically(f, "[A]\r\n; keep me\r\nx = 1 \r\n");
  TMemIniFile ini(f);
  EXPECT_EQ(ini.ReadString("a", "X", ""), "1");
  ini.WriteString("A", "x", "\"q\"");
  ini.WriteString("B", "y", "2");
  EXPECT_EQ(LoadFileBytes(f), "[A]\r\n; keep me\r\nx = 1 \r\n");
  EXPECT_EQ(ini.ReadString("A", "x", ""), "\"q\"");  // no quote stripping in memory
  ini.UpdateFile();
  EXPECT_EQ(LoadFileBytes(f), "[A]\r\n; keep me\r\nx=\"q\"\r\n\r\n[B]\r\ny=2\r\n");
  TStringList lines;
  ini.GetStrings(&lines);
  EXPECT_EQ(lines.Count(), 6);
  lines.SetText("[Z]\r\nq=1");
  ini.SetStrings(&lines);
  EXPECT_EQ(ini.ReadInteger("z", "Q", 0), 1);
  ini.Rename(dir.File("none.ini"), true);
  EXPECT_EQ(ini.ReadInteger("z", "Q", 0), 0);
  ini.Rename(dir.File("no/dir.ini"), false);
  ini.WriteString("a", "b", "c");
  EXPECT_THROW(ini.UpdateFile(), EFCreateError);
}

// A file the user made read-only, or one that is no regular file, is never replaced by either
// writer (a save by rename would replace it regardless of its rights).
TEST(TMemIniFile, NeitherWriterReplacesAReadOnlyOrNonRegularFile) {
  TTempDir dir;
  const std::string text = "[A]\r\nx=1\r\n";
  const struct {
    const char* Name;
    bool Mem;
    bool Fifo;
  } cases[] = {{"read-only, TMemIniFile", true, false}, {"read-only, TIniFile", false, false},
               {"FIFO, TMemIniFile", true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string f = dir.File(std::string(c.Fifo ? "fifo" : "ro") + (c.Mem ? "m" : "i") + ".ini");
    if (c.Fifo) {
      ASSERT_EQ(mkfifo(f.c_str(), 0600), 0);
    } else {
      SaveFileAtomically(f, text);
      ASSERT_EQ(chmod(f.c_str(), 0444), 0);
    }
    if (c.Mem) {
      TMemIniFile ini(f);
      ini.WriteString("A", "x", "2");
      EXPECT_THROW(ini.UpdateFile(), EFCreateError);
    } else {
      TIniFile ini(f);
      EXPECT_THROW(ini.WriteString("A", "x", "2"), EIniFileException);
    }
    struct stat st {};
    ASSERT_EQ(stat(f.c_str(), &st), 0);
    if (c.Fifo) {
      EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the FIFO was replaced";
    } else {
      EXPECT_EQ(st.st_mode & 0777, 0444u);
      EXPECT_EQ(LoadFileBytes(f), text);
    }
  }
}

TEST(TIniText, OddLinesNeverConfuseTheIndex) {
  TIniText t;
  t.Parse("x=before any section\r\n[\r\n=novalue\r\n[A\r\nk=1\r\n[]\r\nj=2\r\n");
  std::string v;
  EXPECT_FALSE(t.Find("", "x", v));
  EXPECT_FALSE(t.Find("", "j", v));  // "[" already named the empty section; "[]" is hidden
  EXPECT_TRUE(t.Find("A", "k", v));
  EXPECT_EQ(v, "1");
  EXPECT_EQ(t.Sections(), (V{"", "A"}));
}

TEST(TIniText, ByteOrderMarkIsNoPartOfTheFirstSectionAndIsWrittenBack) {
  TIniText t;
  t.Parse("\xEF\xBB\xBF[Update]\r\nsignature=NetUpdate\r\n");
  std::string v;
  ASSERT_TRUE(t.Find("update", "SIGNATURE", v));
  EXPECT_EQ(v, "NetUpdate");
  t.Write("update", "date", "01/02/2024");
  EXPECT_EQ(t.Text(), "\xEF\xBB\xBF[Update]\r\nsignature=NetUpdate\r\ndate=01/02/2024\r\n");
  t.Parse("[a]\nk=1\n");
  EXPECT_EQ(t.Text(), "[a]\nk=1\n") << "no mark is added to a text without one";
}

TEST(TIniText, TextOfIniBytesIsUtf8InEveryCase) {
  EXPECT_EQ(IniTextToUtf8("\xEF\xBB\xBFk=\xC3\xA9"), "k=\xC3\xA9") << "UTF-8 kept, mark dropped";
  EXPECT_EQ(IniTextToUtf8("k=caf\xE9 \x80"), "k=caf\xC3\xA9 \xE2\x82\xAC") << "Windows-1252 converted";
  EXPECT_EQ(IniTextToUtf8("\xEF\xBB\xBF"), "");
  EXPECT_EQ(IniTextToUtf8("plain"), "plain");
  TMemIniFile ini("");
  ini.SetText(IniTextToUtf8("\xEF\xBB\xBF[FILES]\r\nCount=$1A\nfile1=x\r\n"));
  EXPECT_EQ(ini.ReadInteger("files", "count", 0), 26);
  EXPECT_EQ(ini.ReadString("Files", "FILE1", ""), "x");
}

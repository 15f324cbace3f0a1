#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>
#include <csignal>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/platform/rtl/AsUser.h"
#include "tests/platform/rtl/TestSupport.h"

namespace {

std::string ConvertMessage(const std::function<void()>& f) {
  try {
    f();
  } catch (const EConvertError& e) {
    return e.Message();
  }
  return "<no exception>";
}

}  // namespace

TEST(StrToInt, AcceptsDecimalAndDollarHexWithSignAndLeadingBlanks) {
  EXPECT_EQ(StrToInt("123"), 123);
  EXPECT_EQ(StrToInt("-45"), -45);
  EXPECT_EQ(StrToInt("+7"), 7);
  EXPECT_EQ(StrToInt("  12"), 12);
  EXPECT_EQ(StrToInt("$FF"), 255);
  EXPECT_EQ(StrToInt("$ff"), 255);
  EXPECT_EQ(StrToInt("0x1A"), 26);
  EXPECT_EQ(StrToInt("-$10"), -16);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
  // Hexadecimal may use all 32 bits, as the library's scan does.
  EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
  EXPECT_EQ(StrToInt("$80000000"), INT32_MIN);
}

TEST(StrToInt, RefusesWithTheLibraryMessage) {
  EXPECT_EQ(ConvertMessage([] { StrToInt(""); }), "'' is not a valid integer value");
  EXPECT_EQ(ConvertMessage([] { StrToInt("$"); }), "'$' is not a valid integer value");
  EXPECT_EQ(ConvertMessage([] { StrToInt("$G1"); }), "'$G1' is not a valid integer value");
  EXPECT_EQ(ConvertMessage([] { StrToInt("12 "); }), "'12 ' is not a valid integer value");
  EXPECT_EQ(ConvertMessage([] { StrToInt("1.5"); }), "'1.5' is not a valid integer value");
  EXPECT_EQ(ConvertMessage([] { StrToInt("2147483648"); }), "'2147483648' is not a valid integer value");
  EXPECT_EQ(ConvertMessage([] { StrToInt("$100000000"); }), "'$100000000' is not a valid integer value");
  EXPECT_EQ(ConvertMessage([] { StrToInt("-"); }), "'-' is not a valid integer value");
  int v = 99;
  EXPECT_FALSE(TryStrToInt("abc", v));
  EXPECT_EQ(v, 99);
  EXPECT_EQ(StrToIntDef("x", -3), -3);
  EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(StrToInt64("9223372036854775807"), INT64_MAX);
  EXPECT_EQ(StrToInt64Def("9223372036854775808", 5), 5);
}

TEST(IntConversions, HexAndDecimalText) {
  EXPECT_EQ(IntToStr(-12), "-12");
  EXPECT_EQ(IntToHex(255, 2), "FF");
  EXPECT_EQ(IntToHex(10, 4), "000A");
  EXPECT_EQ(IntToHex(0x1234, 1), "1234");
  EXPECT_EQ(IntToHex(0, 0), "0");
  EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
  EXPECT_EQ(IntToHex(int64_t{-1}, 2), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(IntToHex(static_cast<char>(0xE9), 2), "E9");  // a byte of a string stays a byte
  EXPECT_EQ(IntToHex(static_cast<short>(-2), 1), "FFFE");
  EXPECT_EQ(IntToHex(uint8_t{7}, 2), "07");
  EXPECT_EQ(IntToHex(0xFFFFu, 2), "FFFF");
}

TEST(Round, HalvesGoToEven) {
  EXPECT_EQ(Round(0.5), 0);
  EXPECT_EQ(Round(1.5), 2);
  EXPECT_EQ(Round(2.5), 2);
  EXPECT_EQ(Round(3.5), 4);
  EXPECT_EQ(Round(-0.5), 0);
  EXPECT_EQ(Round(-1.5), -2);
  EXPECT_EQ(Round(-2.5), -2);
  EXPECT_EQ(Round(2.4999), 2);
  EXPECT_EQ(Round(2.5001), 3);
  EXPECT_EQ(Trunc(-2.7), -2);
  EXPECT_EQ(Trunc(2.7), 2);
  EXPECT_THROW(Round(1e300), EInvalidOperation);
}

TEST(MulDiv, RoundsToNearestAndReportsFailureAsMinusOne) {
  EXPECT_EQ(MulDiv(2540, 96, 2540), 96);
  EXPECT_EQ(MulDiv(10, 1, 4), 3);    // 2.5 rounds away from zero
  EXPECT_EQ(MulDiv(-10, 1, 4), -3);
  EXPECT_EQ(MulDiv(10, 1, 3), 3);
  EXPECT_EQ(MulDiv(11, 1, 3), 4);
  EXPECT_EQ(MulDiv(7, -1, 2), -4);
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
  // The product is computed in 64 bits.
  EXPECT_EQ(MulDiv(1000000, 1000000, 1000000), 1000000);
  EXPECT_EQ(MulDiv(INT32_MAX, 2, 1), -1);
}

TEST(Strings, TrimAndCase) {
  EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
  EXPECT_EQ(TrimLeft("  a "), "a ");
  EXPECT_EQ(TrimRight("  a "), "  a");
  EXPECT_EQ(Trim(std::string("\0x\0", 3)), "x");
  EXPECT_EQ(UpperCase("abc\xe9"), "ABC\xe9");
  EXPECT_EQ(AnsiUpperCase("abc\xe9\x9a\xff"), "ABC\xc9\x8a\x9f");
  EXPECT_EQ(AnsiLowerCase("\xc9\xd7"), "\xe9\xd7");
  // A UTF-8 text changes case by characters: "ÉŠé€" and "éšÉ€".
  EXPECT_EQ(AnsiLowerCase("\xc3\x89\xc5\xa0\xc3\xa9\xe2\x82\xac"), "\xc3\xa9\xc5\xa1\xc3\xa9\xe2\x82\xac");
  EXPECT_EQ(AnsiUpperCase("\xc3\xa9\xc5\xa1\xc3\x89\xe2\x82\xac"), "\xc3\x89\xc5\xa0\xc3\x89\xe2\x82\xac");
  EXPECT_EQ(CompareText("abc", "ABC"), 0);
  EXPECT_LT(CompareText("abc", "abd"), 0);
  EXPECT_GT(CompareText("ab", "A"), 0);
  // Folding to upper case puts '_' after the letters.
  EXPECT_LT(CompareText("a", "_"), 0);
  EXPECT_TRUE(SameText("Hello", "hELLO"));
  EXPECT_FALSE(SameText("Hello", "Hell"));
  EXPECT_TRUE(AnsiSameText("\xe9t\xe9", "\xc9T\xc9"));
}

TEST(Strings, PositionsAreZeroBased) {
  EXPECT_EQ(Pos("lo", "hello"), 3);
  EXPECT_EQ(Pos("x", "hello"), -1);
  EXPECT_EQ(Pos("l", "hello", 3), 3);
  EXPECT_EQ(Pos("", "hello"), -1);
  EXPECT_EQ(Copy("hello", 1, 3), "ell");
  EXPECT_EQ(Copy("hello", 3, 100), "lo");
  EXPECT_EQ(Copy("hello", 9, 1), "");
  EXPECT_EQ(Copy("hello", -1, 2), "h");
  std::string s = "hello";
  Delete(s, 1, 2);
  EXPECT_EQ(s, "hlo");
  Delete(s, 10, 1);
  EXPECT_EQ(s, "hlo");
  Insert("XY", s, 1);
  EXPECT_EQ(s, "hXYlo");
  Insert("!", s, 100);
  EXPECT_EQ(s, "hXYlo!");
}

TEST(Strings, ReplaceAndQuotes) {
  EXPECT_EQ(StringReplace("aAaA", "a", "b", rfReplaceAll), "bAbA");
  EXPECT_EQ(StringReplace("aAaA", "a", "b", rfReplaceAll | rfIgnoreCase), "bbbb");
  EXPECT_EQ(StringReplace("aAaA", "A", "xx", 0), "axxaA");
  EXPECT_EQ(StringReplace("abc", "", "x", rfReplaceAll), "abc");
  EXPECT_EQ(StringReplace("aaa", "a", "aa", rfReplaceAll), "aaaaaa");
  EXPECT_EQ(QuotedStr("it's"), "'it''s'");
  size_t pos = 0;
  std::string src = "\"a\"\"b\" rest";
  EXPECT_EQ(AnsiExtractQuotedStr(src, pos, '"'), "a\"b");
  EXPECT_EQ(pos, 6u);
  pos = 0;
  std::string unclosed = "\"abc";
  EXPECT_EQ(AnsiExtractQuotedStr(unclosed, pos, '"'), "abc");
  EXPECT_EQ(pos, 4u);
  pos = 1;
  EXPECT_EQ(AnsiExtractQuotedStr(unclosed, pos, '"'), "");
  EXPECT_EQ(pos, 1u);
  EXPECT_EQ(AnsiDequotedStr("'x''y'", '\''), "x'y");
  EXPECT_EQ(AnsiDequotedStr("'x'y'", '\''), "'x'y'");
  EXPECT_EQ(AdjustLineBreaks("a\nb\rc\r\nd\n\re"), "a\r\nb\r\nc\r\nd\r\ne");
}

TEST(FloatConversions, ReadAndWriteWithTheLocaleSeparator) {
  TFormatSettingsScope scope;
  EXPECT_EQ(FloatToStr(1.5), "1.5");
  EXPECT_EQ(FloatToStr(0.1), "0.1");
  EXPECT_EQ(FloatToStr(100), "100");
  EXPECT_EQ(FloatToStr(-2.25), "-2.25");
  EXPECT_EQ(FloatToStr(1e20), "1E20");
  EXPECT_EQ(FloatToStr(1.5e-7), "1.5E-7");
  EXPECT_EQ(FloatToStr(0.0001), "0.0001");
  EXPECT_EQ(FloatToStr(1.0 / 3), "0.333333333333333");
  EXPECT_DOUBLE_EQ(StrToFloat(" 2.5 "), 2.5);
  EXPECT_DOUBLE_EQ(StrToFloat("-1e3"), -1000);
  EXPECT_DOUBLE_EQ(StrToFloat("1e-400"), 0);  // too small reads as zero
  EXPECT_DOUBLE_EQ(StrToFloat(".5"), 0.5);
  EXPECT_DOUBLE_EQ(StrToFloat("+7."), 7);
  FormatSettings.DecimalSeparator = ',';
  EXPECT_EQ(FloatToStr(1.5), "1,5");
  EXPECT_DOUBLE_EQ(StrToFloat("3,25"), 3.25);
  EXPECT_EQ(ConvertMessage([] { StrToFloat("3.25"); }), "'3.25' is not a valid floating point value");
  double d = 7;
  EXPECT_FALSE(TryStrToFloat("", d));
  EXPECT_FALSE(TryStrToFloat("nan", d));
  EXPECT_FALSE(TryStrToFloat("1e999", d));
  EXPECT_FALSE(TryStrToFloat(std::string(400, '9'), d));  // too large without an exponent
  EXPECT_FALSE(TryStrToFloat("1e", d));
  EXPECT_FALSE(TryStrToFloat("0x10", d));
  EXPECT_FALSE(TryStrToFloat("inf", d));
  EXPECT_FALSE(TryStrToFloat("1,2,3", d));
  EXPECT_EQ(d, 7);
}

TEST(FloatConversions, OneSignOnlyAndOverflowWhateverTheExponentSays) {
  double d = 7;
  EXPECT_FALSE(TryStrToFloat("+-5", d));
  EXPECT_FALSE(TryStrToFloat("-+5", d));
  EXPECT_FALSE(TryStrToFloat("--5", d));
  EXPECT_FALSE(TryStrToFloat("1e+-5", d));
  // Huge even after the negative exponent: an error, not zero.
  EXPECT_FALSE(TryStrToFloat("1" + std::string(400, '0') + "e-1", d));
  EXPECT_FALSE(TryStrToFloat("-1" + std::string(400, '0') + ".5e-80", d));
  EXPECT_FALSE(TryStrToFloat("1e99999999999999999999", d));
  EXPECT_EQ(d, 7);
  EXPECT_EQ(ConvertMessage([] { StrToFloat("+-5"); }), "'+-5' is not a valid floating point value");
  // Tiny even after a positive exponent, or written with many leading zeros: zero.
  EXPECT_TRUE(TryStrToFloat("0." + std::string(400, '0') + "1e2", d));
  EXPECT_EQ(d, 0);
  EXPECT_TRUE(TryStrToFloat("1e-99999999999999999999", d));
  EXPECT_EQ(d, 0);
  // Long texts that fit are read as they are.
  EXPECT_TRUE(TryStrToFloat("1" + std::string(300, '0') + "e-290", d));
  EXPECT_DOUBLE_EQ(d, 1e10);
  EXPECT_TRUE(TryStrToFloat("0." + std::string(300, '0') + "25e302", d));
  EXPECT_DOUBLE_EQ(d, 25);
  EXPECT_TRUE(TryStrToFloat("-0", d));
  EXPECT_EQ(d, 0);
}

TEST(FloatConversions, FixedNumberAndExponentForms) {
  TFormatSettingsScope scope;
  EXPECT_EQ(FloatToStrF(1234.5678, ffFixed, 15, 2), "1234.57");
  EXPECT_EQ(FloatToStrF(1234.5678, ffNumber, 15, 1), "1,234.6");
  EXPECT_EQ(FloatToStrF(-0.004, ffFixed, 15, 2), "0.00");
  EXPECT_EQ(FloatToStrF(0.125, ffFixed, 15, 2), "0.13");
  EXPECT_EQ(FloatToStrF(1.5, ffExponent, 4, 2), "1.500E+00");
  EXPECT_EQ(FloatToStrF(-12345, ffExponent, 3, 0), "-1.23E+4");
  EXPECT_EQ(FloatToStrF(12.5, ffCurrency, 15, 2), "$12.50");
  EXPECT_EQ(FloatToStrF(-12.5, ffCurrency, 15, 2), "($12.50)");
  EXPECT_EQ(FormatFloat("0.00", 3.14159), "3.14");
  EXPECT_EQ(FormatFloat("#,##0.0", 1234567.89), "1,234,567.9");
  EXPECT_EQ(FormatFloat("000", 7), "007");
  EXPECT_EQ(FormatFloat("#.##", 0.5), ".5");
  EXPECT_EQ(FormatFloat("0.0#", 2), "2.0");
  EXPECT_EQ(FormatFloat("0.00E+00", 12345), "1.23E+04");
  EXPECT_EQ(FormatFloat("0.0;(0.0);zero", -2), "(2.0)");
  EXPECT_EQ(FormatFloat("0.0;(0.0);\"zero\"", 0), "zero");
  EXPECT_EQ(FormatFloat("0 \"kHz\"", 50), "50 kHz");
  // More digit places than a double carries.
  EXPECT_EQ(FormatFloat("00000000000000000000E+0", 1.5), "15000000000000000000E-19");
  EXPECT_EQ(FormatFloat(std::string(30, '0'), 7).size(), 30u);
  FormatSettings.DecimalSeparator = ',';
  FormatSettings.ThousandSeparator = '.';
  EXPECT_EQ(FormatFloat("#,##0.00", 1234.5), "1.234,50");
}

TEST(FileNames, PartsOfAPath) {
  EXPECT_EQ(ExtractFilePath("/a/b/c.txt"), "/a/b/");
  EXPECT_EQ(ExtractFileDir("/a/b/c.txt"), "/a/b");
  EXPECT_EQ(ExtractFileDir("/c.txt"), "/");
  EXPECT_EQ(ExtractFileName("/a/b/c.txt"), "c.txt");
  EXPECT_EQ(ExtractFileName("c.txt"), "c.txt");
  EXPECT_EQ(ExtractFileExt("/a/b.d/c.txt"), ".txt");
  EXPECT_EQ(ExtractFileExt("/a/b.d/c"), "");
  EXPECT_EQ(ChangeFileExt("/a/b.d/c", ".def"), "/a/b.d/c.def");
  EXPECT_EQ(ChangeFileExt("/a/c.mem", ".hex"), "/a/c.hex");
  EXPECT_EQ(ChangeFileExt("/a/c.mem", ""), "/a/c");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a/"), "/a/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/a/"), "/a");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/"), "/");
  EXPECT_EQ(ExpandFileName("/a/./b/../c"), "/a/c");
}

TEST(Files, CreateRenameDelete) {
  TTempDir dir;
  std::string deep = dir.File("x/y/z");
  EXPECT_TRUE(ForceDirectories(deep));
  EXPECT_TRUE(DirectoryExists(deep));
  EXPECT_FALSE(FileExists(deep));
  std::string f = dir.File("x/a.txt");
  SaveFileAtomically(f, "abc");
  EXPECT_TRUE(FileExists(f));
  EXPECT_EQ(FileSizeOf(f), 3);
  EXPECT_EQ(LoadFileBytes(f), "abc");
  SaveFileAtomically(dir.File("x/b.txt"), "b");
  EXPECT_FALSE(RenameFile(f, dir.File("x/b.txt")));  // an existing target is kept
  EXPECT_TRUE(RenameFile(f, dir.File("x/c.txt")));
  EXPECT_FALSE(FileExists(f));
  EXPECT_TRUE(DeleteFile(dir.File("x/c.txt")));
  EXPECT_FALSE(DeleteFile(dir.File("x/c.txt")));
  EXPECT_THROW(LoadFileBytes(dir.File("missing")), EFOpenError);
  EXPECT_THROW(LoadFileBytes(dir.Path()), EFOpenError);
}

TEST(AtomicSave, ReplacesContentsAndLeavesNoTemporaryFile) {
  TTempDir dir;
  std::string f = dir.File("settings.ini");
  SaveFileAtomically(f, "old");
  chmod(f.c_str(), 0640);
  SaveFileAtomically(f, std::string("new\0data", 8));
  EXPECT_EQ(LoadFileBytes(f), std::string("new\0data", 8));
  struct stat st {};
  ASSERT_EQ(stat(f.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(dir.EntryCount(), 1);
}

TEST(AtomicSave, FailedWriteKeepsTheOldFile) {
  TTempDir dir;
  std::string f = dir.File("image.mem");
  SaveFileAtomically(f, "precious");
  // A file-size limit makes the write fail even for root.
  struct sigaction ign {}, old {};
  ign.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ign, &old);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 4096;
  setrlimit(RLIMIT_FSIZE, &small);
  bool threw = false;
  try {
    SaveFileAtomically(f, std::string(100000, 'x'));
  } catch (const EWriteError&) {
    threw = true;
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  sigaction(SIGXFSZ, &old, nullptr);
  EXPECT_TRUE(threw);
  EXPECT_EQ(LoadFileBytes(f), "precious");
  EXPECT_EQ(dir.EntryCount(), 1) << "the temporary file must be removed";
}

TEST(AtomicSave, UnwritableDirectoryKeepsTheOldFile) {
  TTempDir dir;
  ASSERT_TRUE(GiveToUser(dir.Path()));
  const std::string sub = dir.File("ro");
  const std::string f = sub + "/a.txt";
  // Root writes into read-only folders: the save is tried as an ordinary user.
  EXPECT_EQ(RunAsUser([&] {
              if (!ForceDirectories(sub)) return 1;
              SaveFileAtomically(f, "old");
              if (chmod(sub.c_str(), 0555) != 0) return 2;
              try {
                SaveFileAtomically(f, "new");
                return 3;
              } catch (const EFCreateError&) {
              }
              chmod(sub.c_str(), 0755);
              if (LoadFileBytes(f) != "old") return 4;
              // No temporary file left beside it.
              namespace fs = std::filesystem;
              return std::distance(fs::directory_iterator(sub), fs::directory_iterator()) == 1 ? 0 : 5;
            }),
            0);
  EXPECT_EQ(LoadFileBytes(f), "old");
}

// Root ignores directory permissions, so the tests below make saves fail in
// ways that hold for every user, CI's root included.
TEST(AtomicSave, PlaceWhereNoFileCanBeCreatedKeepsTheOldFile) {
  // Nobody may create files in /proc, yet /proc/version exists.
  const std::string before = LoadFileBytes("/proc/version");
  ASSERT_FALSE(before.empty());
  EXPECT_THROW(SaveFileAtomically("/proc/version", "new"), EStreamError);
  EXPECT_EQ(LoadFileBytes("/proc/version"), before);
}

TEST(AtomicSave, WriteFailingHalfwayKeepsTheOldFileAndLeavesNoTemporary) {
  TTempDir dir;
  const std::string f = dir.File("a.bin");
  SaveFileAtomically(f, "old contents");
  // A file-size limit makes the write fail part of the way through, as a full disk would.
  struct sigaction ignore {}, previous {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &previous);
  rlimit old{}, small{};
  getrlimit(RLIMIT_FSIZE, &old);
  small = old;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool threw = false;
  try {
    SaveFileAtomically(f, std::string(100000, 'x'));
  } catch (const EWriteError&) {
    threw = true;
  }
  setrlimit(RLIMIT_FSIZE, &old);
  sigaction(SIGXFSZ, &previous, nullptr);
  EXPECT_TRUE(threw);
  EXPECT_EQ(LoadFileBytes(f), "old contents");
  EXPECT_EQ(dir.EntryCount(), 1) << "the temporary file was left behind";
}

TEST(AtomicSave, MissingDirectoryIsAnError) {
  TTempDir dir;
  EXPECT_THROW(SaveFileAtomically(dir.File("none/a.txt"), "x"), EFCreateError);
}

TEST(Exceptions, MessagesAndHierarchy) {
  try {
    throw EListError("List index out of bounds (%d)", {5});
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (5)");
    EXPECT_STREQ(e.what(), "List index out of bounds (5)");
  }
  try {
    Abort();
  } catch (const EAbort& e) {
    EXPECT_EQ(e.Message(), "Operation aborted");
  }
  EInOutError io(2);
  EXPECT_EQ(io.Message(), "File not found");
  EXPECT_EQ(EInOutError(103).Message(), "I/O error 103");
  EXPECT_EQ(EInOutError(5).Message(), "File access denied");
  Exception e("a");
  e.SetMessage("b");
  EXPECT_EQ(e.Message(), "b");
}

TEST(Random, SeededSequencesRepeatAndStayInRange) {
  RandSeed = 12345;
  std::vector<int> first;
  for (int i = 0; i < 100; ++i) first.push_back(Random(10));
  RandSeed = 12345;
  for (int i = 0; i < 100; ++i) EXPECT_EQ(Random(10), first[static_cast<size_t>(i)]);
  int seen[10] = {};
  for (int i = 0; i < 10000; ++i) {
    int v = Random(10);
    ASSERT_GE(v, 0);
    ASSERT_LT(v, 10);
    ++seen[v];
  }
  for (int n : seen) EXPECT_GT(n, 800);  // roughly even
  EXPECT_EQ(Random(0), 0);
  double d = Random();
  EXPECT_GE(d, 0.0);
  EXPECT_LT(d, 1.0);
}

TEST(UserConfigDir, FollowsAnAbsoluteXdgConfigHomeOnlyElseTheHomeFolder) {
  TEnvScope own("VELMARON_CONFIG_DIR", nullptr);
  TEnvScope home("HOME", "/home/ann");
  {
    TEnvScope xdg("XDG_CONFIG_HOME", "/srv/cfg/");
    EXPECT_EQ(UserConfigDir(), "/srv/cfg/velmaron");
  }
  for (const char* ignored : {"relative/cfg", "", "~/cfg"}) {
    TEnvScope xdg("XDG_CONFIG_HOME", ignored);
    EXPECT_EQ(UserConfigDir(), "/home/ann/.config/velmaron") << "XDG_CONFIG_HOME=" << ignored;
  }
  TEnvScope xdg("XDG_CONFIG_HOME", nullptr);
  EXPECT_EQ(UserConfigDir(), "/home/ann/.config/velmaron");
  {
    TEnvScope noHome("HOME", nullptr);
    const std::string dir = UserConfigDir();
    EXPECT_EQ(dir.substr(0, 1), "/") << dir;
    EXPECT_EQ(dir.substr(dir.size() - 17), "/.config/velmaron") << dir;
  }
  TEnvScope mine("VELMARON_CONFIG_DIR", "/tmp/mine/");
  EXPECT_EQ(UserConfigDir(), "/tmp/mine");
}

#include "update/NuPrefix.h"
#include "update/cabfdi.h"

#include "CabWriter.h"
#include "UpdateTestSupport.h"

#include <sys/stat.h>

#include <ctime>

using namespace updatetest;

namespace {

time_t LocalTime(int y, int mo, int d, int h, int mi, int s) {
  struct tm tm {};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = mi;
  tm.tm_sec = s;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

time_t MTime(const std::string& file) {
  struct stat st {};
  return ::stat(file.c_str(), &st) == 0 ? st.st_mtime : -1;
}

}  // namespace

TEST(Cabinet, StoredAndZippedCabinetsFromAPackerExtractWithFoldersAndTimes) {
  for (const char* zip : {"", "-z "}) {
    SCOPED_TRACE(*zip ? "MSZIP" : "stored");
    TScratchDir src, dest;
    fs::create_directories(src.Path() / "sub");
    std::string big(100000, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 311);
    WriteBytes(src / "readme.txt", "first file\r\n");
    WriteBytes(src / "sub/data.bin", big);
    ASSERT_EQ(Shell("cd '" + src.Path().string() + "' && touch -d '2021-03-04 05:06:08' readme.txt" +
                  " && gcab -c " + zip + "pack.cab readme.txt sub/data.bin >/dev/null"),
              0) << "gcab must be installed (tools/deps.sh)";

    ASSERT_EQ(cabfdi::ExtractCab(src / "pack.cab", dest.Path().string() + "/"), 0);
    EXPECT_EQ(Tree(dest.Path()), (std::vector<std::string>{"readme.txt", "sub", "sub/data.bin"}));
    EXPECT_EQ(ReadBytes(dest / "readme.txt"), "first file\r\n");
    EXPECT_EQ(ReadBytes(dest / "sub/data.bin"), big);
    // The cabinet keeps even seconds only.
    EXPECT_EQ(MTime(dest / "readme.txt"), LocalTime(2021, 3, 4, 5, 6, 8));
  }
}

TEST(Cabinet, StoredDateAndTimeBecomeTheFilesModificationTime) {
  TScratchDir dir;
  WriteBytes(dir / "t.cab", MakeStoredCabinet({{"a\\b\\c.txt", "abc"}}));
  ASSERT_EQ(cabfdi::ExtractCab(dir / "t.cab", dir / "out\\"), 0);
  EXPECT_EQ(ReadBytes(dir / "out/a/b/c.txt"), "abc");
  EXPECT_EQ(MTime(dir / "out/a/b/c.txt"), LocalTime(2019, 7, 14, 13, 45, 30));
}

// The program's folder stands for the current directory of a program started from it.
TEST(Cabinet, WithoutDestinationEntriesGoBelowTheProgramsFolder) {
  TScratchDir dir, elsewhere;
  WriteBytes(dir / "t.cab", MakeStoredCabinet({{"x\\y.txt", "y"}}));
  const fs::path old = fs::current_path();
  fs::current_path(elsewhere.Path());
  NUpdate::SetAppDirectory(dir.Path().string());
  const int rc = cabfdi::ExtractCab(dir / "t.cab", "");
  NUpdate::SetAppDirectory("");
  fs::current_path(old);
  ASSERT_EQ(rc, 0);
  EXPECT_EQ(ReadBytes(dir / "x/y.txt"), "y");
  EXPECT_TRUE(Tree(elsewhere.Path()).empty());
}

TEST(Cabinet, NotACabinetFailsAndLeavesTheDestinationUntouched) {
  TScratchDir dir;
  fs::create_directories(dir.Path() / "dest");
  WriteBytes(dir / "dest/keep.txt", "old");
  WriteBytes(dir / "junk.cab", "MSCF but not really a cabinet at all");
  EXPECT_EQ(cabfdi::ExtractCab(dir / "junk.cab", dir / "dest/"), -1);
  EXPECT_EQ(cabfdi::ExtractCab(dir / "missing.cab", dir / "dest/"), -1);
  EXPECT_EQ(cabfdi::ExtractCab(dir.Path().string(), dir / "dest/"), -1);  // a directory
  EXPECT_EQ(Tree(dir.Path() / "dest"), std::vector<std::string>{"keep.txt"});
  EXPECT_EQ(ReadBytes(dir / "dest/keep.txt"), "old");
}

TEST(Cabinet, EntriesThatWouldLeaveTheDestinationRefuseTheWholeCabinet) {
  for (const char* evil : {"..\\evil.txt", "sub\\..\\..\\evil.txt", "\\evil.txt", "/evil.txt",
                           "C:\\evil.txt", "\\\\server\\share\\evil.txt", "..", "a/../../evil.txt"}) {
    SCOPED_TRACE(evil);
    TScratchDir dir;
    fs::create_directories(dir.Path() / "dest");
    // A harmless entry first: nothing at all may be written.
    WriteBytes(dir / "t.cab", MakeStoredCabinet({{"good.txt", "fine"}, {evil, "pwned"}}));
    EXPECT_EQ(cabfdi::ExtractCab(dir / "t.cab", dir / "dest/"), -1);
    EXPECT_EQ(Tree(dir.Path()), (std::vector<std::string>{"dest", "t.cab"}));
  }
}

TEST(Cabinet, EntryNameRule) {
  EXPECT_TRUE(cabfdi::IsSafeEntryName("a.txt"));
  EXPECT_TRUE(cabfdi::IsSafeEntryName("sub\\a..b.txt"));
  EXPECT_TRUE(cabfdi::IsSafeEntryName("..hidden"));
  EXPECT_FALSE(cabfdi::IsSafeEntryName(""));
  EXPECT_FALSE(cabfdi::IsSafeEntryName("a\\..\\..\\b"));
  EXPECT_FALSE(cabfdi::IsSafeEntryName("d:x"));
}

TEST(Cabinet, AnExistingTargetIsReplacedWhole) {
  TScratchDir dir;
  fs::create_directories(dir.Path() / "dest");
  WriteBytes(dir / "dest/f.txt", std::string(5000, 'o'));
  WriteBytes(dir / "t.cab", MakeStoredCabinet({{"f.txt", "new"}}));
  ASSERT_EQ(cabfdi::ExtractCab(dir / "t.cab", dir / "dest/"), 0);
  EXPECT_EQ(ReadBytes(dir / "dest/f.txt"), "new");
  EXPECT_EQ(Tree(dir.Path() / "dest"), std::vector<std::string>{"f.txt"});
}

TEST(Cabinet, DirectoryCreationMakesMissingParentsAndAcceptsBothSeparators) {
  TScratchDir dir;
  EXPECT_TRUE(cabfdi::CreateDirectoryPath(dir / "a\\b/c\\"));
  EXPECT_TRUE(fs::is_directory(dir.Path() / "a/b/c"));
  EXPECT_TRUE(cabfdi::CreateDirectoryPath("/"));
  EXPECT_TRUE(cabfdi::CreateDirectoryPath(""));
  WriteBytes(dir / "file", "x");
  EXPECT_FALSE(cabfdi::CreateDirectoryPath(dir / "file/below"));
}

// ---------------------------------------------------------------------------
// LZ (SZDD) files

namespace {

std::string SzddHeader(char missing, uint32_t length) {
  std::string h("SZDD\x88\xF0\x27\x33", 8);
  h += 'A';
  h += missing;
  Put32(h, length);
  return h;
}

}  // namespace

TEST(LZExpand, FilesCompressedByAPackerExpandByteForByte) {
  TScratchDir dir;
  std::string data;
  for (int i = 0; i < 70000; ++i) data += static_cast<char>((i * 31) ^ (i >> 5));
  data += std::string(20000, 'A');
  WriteBytes(dir / "upd.exe", data);
  ASSERT_EQ(Shell("cd '" + dir.Path().string() + "' && mscompress upd.exe"), 0)
      << "mscompress must be installed (tools/deps.sh)";
  fs::remove(dir.Path() / "upd.exe");
  ASSERT_TRUE(fs::exists(dir.Path() / "upd.exe_"));

  std::string expanded;
  ASSERT_TRUE(NUpdate::LZExpandFile(dir / "upd.exe_", &expanded));
  EXPECT_EQ(expanded, dir / "upd.exe");
  EXPECT_EQ(ReadBytes(expanded), data);
  EXPECT_FALSE(fs::exists(dir.Path() / "upd.exe_"));  // the compressed file goes
}

TEST(LZExpand, ExpandedNameTakesTheStoredLastCharacter) {
  TScratchDir dir;
  WriteBytes(dir / "upd.ex_", SzddHeader('e', 0));
  EXPECT_EQ(NUpdate::ExpandedName(dir / "upd.ex_"), "upd.exe");
  WriteBytes(dir / "plain.dat", SzddHeader('x', 0));  // no "_" to replace
  EXPECT_EQ(NUpdate::ExpandedName(dir / "plain.dat"), "plain.dat");
  for (char bad : {'/', '\\', ':'}) {
    WriteBytes(dir / "evil.ex_", SzddHeader(bad, 0));
    EXPECT_EQ(NUpdate::ExpandedName(dir / "evil.ex_"), "") << bad;
    EXPECT_FALSE(NUpdate::LZExpandFile(dir / "evil.ex_"));
    EXPECT_TRUE(fs::exists(dir.Path() / "evil.ex_"));
  }
  WriteBytes(dir / "_", SzddHeader(0, 0));  // would expand to no name
  EXPECT_EQ(NUpdate::ExpandedName(dir / "_"), "");
}

TEST(LZExpand, AFileThatIsNotSzddIsLeftAsItIs) {
  TScratchDir dir;
  WriteBytes(dir / "notes.tx_", "just text, not compressed");
  EXPECT_FALSE(NUpdate::LZExpandFile(dir / "notes.tx_"));
  EXPECT_EQ(ReadBytes(dir / "notes.tx_"), "just text, not compressed");
  EXPECT_EQ(Tree(dir.Path()), std::vector<std::string>{"notes.tx_"});
}

TEST(LZExpand, DamagedDataKeepsTheCompressedFileAndWritesNoTarget) {
  TScratchDir dir;
  WriteBytes(dir / "upd.exe", std::string(4000, 'z') + "tail");
  ASSERT_EQ(Shell("cd '" + dir.Path().string() + "' && mscompress upd.exe"), 0);
  WriteBytes(dir / "upd.exe", "old program");
  std::string packed = ReadBytes(dir / "upd.exe_");
  WriteBytes(dir / "upd.exe_", packed.substr(0, packed.size() / 2));  // truncated
  EXPECT_FALSE(NUpdate::LZExpandFile(dir / "upd.exe_"));
  EXPECT_EQ(ReadBytes(dir / "upd.exe"), "old program");
  EXPECT_TRUE(fs::exists(dir.Path() / "upd.exe_"));
  EXPECT_EQ(Tree(dir.Path()), (std::vector<std::string>{"upd.exe", "upd.exe_"}));
}

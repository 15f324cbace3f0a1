// Version texts, the version head of files, the additive checksum, the
// version decision and the names and hosts taken from URLs.
#include <gtest/gtest.h>

#include "tests/update/EngineTestSupport.h"
#include "update/NuVersion.h"
#include "update/nucrc32.h"

using namespace updatetest;

TEST(ParseVersion, DotsOrCommasUpToFourPartsEachAWord) {
  struct Row {
    const char* text;
    int32_t ms, ls;
  } rows[] = {
      {"1.7.0.0", 0x10007, 0},
      {"1,7,0,0", 0x10007, 0},
      {"1.2", 0x10002, 0},
      {"1,2", 0x10002, 0},
      {"1", 0x10000, 0},
      {"1.2.3", 0x10002, 0x30000},
      {"1.2.3.4", 0x10002, 0x30004},
      {"$10.2", 0x100002, 0},
      {" 2 . 5 ", 0x20005, 0},
      {"65535.65534.1.2", -2, 0x10002},
      {"1.2.3.x", 0x10002, -1},  // the first word stands, the version does not
      {"1.x", -1, -1},
      {"x", -1, -1},
      {"", -1, -1},
      {"1.2.3.4.5", -1, -1},
      {"70000.1", -1, -1},  // would spill into the next part
      {"-1.2", -1, -1},
  };
  for (const Row& r : rows) {
    int32_t ms = 0, ls = 0;
    NUpdate::ParseVersion(r.text, ms, ls);
    EXPECT_EQ(ms, r.ms) << r.text;
    EXPECT_EQ(ls, r.ls) << r.text;
  }
  EXPECT_EQ(NUpdate::VersionText(0x10007, 0x20003), "1.7.2.3");
  EXPECT_EQ(NUpdate::VersionText(-1, 0), "65535.65535.0.0");
}

TEST(FileAddSum, StartsAtAllOnesAndAddsEveryByte) {
  TScratchDir dir;
  WriteBytes(dir / "empty", "");
  WriteBytes(dir / "abc", "abc");
  WriteBytes(dir / "blocks", std::string(5000, '\xFF'));  // more than one block, a short last one
  WriteBytes(dir / "exact", std::string(4096, '\x01'));   // exactly one block, then an empty read
  EXPECT_EQ(NUpdate::FileAddSum(dir / "empty"), 0xFFFFFFFFu);
  EXPECT_EQ(NUpdate::FileAddSum(dir / "abc"), 0xFFFFFFFFu + 97u + 98u + 99u);
  EXPECT_EQ(NUpdate::FileAddSum(dir / "blocks"), 0xFFFFFFFFu + 5000u * 255u);
  EXPECT_EQ(NUpdate::FileAddSum(dir / "exact"), 0xFFFFFFFFu + 4096u);
  EXPECT_EQ(NUpdate::FileAddSum(dir / "missing"), 0xFFFFFFFFu);
  EXPECT_EQ(NUpdate::FileAddSum("/dev/zero"), 0xFFFFFFFFu) << "a device is not read (it would never end)";
}

TEST(FileVersion, OneReaderFindsTheHeadInAnyFile) {
  int32_t ms, ls;
  // Our own executables carry the head.
  ASSERT_TRUE(NUpdate::ReadFileVersion(CurrentExecutable(), ms, ls));
  EXPECT_EQ(ms, NUpdate::OwnVersionMS());
  EXPECT_EQ(ls, NUpdate::OwnVersionLS());
  ASSERT_TRUE(NUpdate::ReadFileVersion(std::string(VELMARON_BINARY_DIR) + "/update/upd", ms, ls));
  EXPECT_EQ(ms, NUpdate::OwnVersionMS());

  TScratchDir dir;
  WriteBytes(dir / "plain", std::string(100000, 'x'));
  EXPECT_FALSE(NUpdate::ReadFileVersion(dir / "plain", ms, ls));
  EXPECT_EQ(ms, -1);
  EXPECT_EQ(ls, -1);
  EXPECT_FALSE(NUpdate::ReadFileVersion(dir / "missing", ms, ls));

  // A head across the reader's block edge, after a signature without the structure version.
  const std::string decoy = LittleEndian(0xFEEF04BDu) + LittleEndian(0x09090909u);
  WriteBytes(dir / "edge", decoy + std::string(65530 - decoy.size(), 'z') + VersionedBytes(3, 1, 4, 1, ""));
  ASSERT_TRUE(NUpdate::ReadFileVersion(dir / "edge", ms, ls));
  EXPECT_EQ(NUpdate::VersionText(ms, ls), "3.1.4.1");
}

class VersionDecision : public ::testing::Test {
protected:
  TScratchDir dir;
  TTestNetUpdate nu;
  std::string versioned = dir / "versioned";
  std::string plain = dir / "plain";
  void SetUp() override {
    WriteBytes(versioned, VersionedBytes(1, 2, 0, 0));
    WriteBytes(plain, "0123456789");  // 10 bytes, no version
  }
  bool Decide(std::string newVersion, std::string local, int size, int checksum, std::string* texts = nullptr) {
    const bool r = nu.IsNewVersion(newVersion, local, size, checksum);
    if (texts) *texts = newVersion + "|" + local;
    return r;
  }
};

TEST_F(VersionDecision, NothingToCompareMeansUpdate) {
  EXPECT_TRUE(Decide("", plain, 0, -1));
  EXPECT_TRUE(Decide("9.9", "", 5, 7)) << "no local file under update-only";
  nu.SetVersionCheck(vcAlways);
  EXPECT_TRUE(Decide("1.0", "", 0, -1)) << "an absent local file has no version: anything is newer";
}

TEST_F(VersionDecision, ChecksumAdditiveOrCrcDecidesFirst) {
  const uint32_t add = NUpdate::FileAddSum(plain);
  const uint32_t crc = nucrc32::FileCRC32(plain);
  struct Row {
    bool useCrc;
    uint32_t checksum;
    bool isNew;
  } rows[] = {{false, add, false}, {false, add + 1, true}, {true, crc, false}, {true, crc ^ 1, true},
              {true, add, add != crc}};
  for (const Row& r : rows) {
    nu.SetUseCRC32(r.useCrc);
    nu.Reports.clear();
    // A size and a version are given too: the checksum wins.
    EXPECT_EQ(Decide("9.9", plain, 999, static_cast<int>(r.checksum)), r.isNew) << r.useCrc << " " << r.checksum;
    const TReport* rep = nu.Find(933);
    ASSERT_NE(rep, nullptr);
    EXPECT_EQ(rep->Text, "Version based update found");
  }
  nu.SetUseCRC32(false);
  nu.Reports.clear();
  Decide("", plain, 0, 5);
  EXPECT_EQ(nu.Reports.at(0).Id, 933);
  ASSERT_EQ(nu.Reports.size(), 1u);
  EXPECT_TRUE(Decide("", "/dev/zero", 0, 5)) << "a device is never read";
}

TEST_F(VersionDecision, SizeDecidesWithoutChecksum) {
  struct Row {
    const char* file;
    int size;
    TNetUpdateVersionCheck check;
    bool isNew;
  } rows[] = {
      {"plain", 10, vcUpdateOnly, false}, {"plain", 11, vcUpdateOnly, true},
      {"missing", 11, vcUpdateOnly, false}, {"missing", 11, vcAlways, true},
      {"plain", 10, vcAlways, false},
  };
  for (const Row& r : rows) {
    nu.SetVersionCheck(r.check);
    EXPECT_EQ(Decide("9.9", dir / r.file, r.size, -1), r.isNew) << r.file << " " << r.size;
  }
}

TEST_F(VersionDecision, VersionsAreComparedWordByWordAndShownDotted) {
  struct Row {
    const char* newVersion;
    const char* file;
    TNetUpdateVersionCheck check;
    bool isNew;
    const char* texts;  // afterwards: new|local ("@" stands for the local file's path)
  } rows[] = {
      {"1.3", "versioned", vcUpdateOnly, true, "1.3.0.0|1.2.0.0"},
      {"1,2", "versioned", vcUpdateOnly, false, "1.2.0.0|1.2.0.0"},
      {"1.1.9", "versioned", vcUpdateOnly, false, "1.1.9.0|1.2.0.0"},
      {"1.2.0.1", "versioned", vcUpdateOnly, true, "1.2.0.1|1.2.0.0"},
      {"1.x", "versioned", vcUpdateOnly, false, "1.x|@"},
      {"2.0", "plain", vcUpdateOnly, false, "2.0|@"},
      {"2.0", "plain", vcAlways, true, "2.0.0.0|65535.65535.65535.65535"},
  };
  for (const Row& r : rows) {
    nu.SetVersionCheck(r.check);
    std::string texts;
    const std::string local = dir / r.file;
    EXPECT_EQ(Decide(r.newVersion, local, 0, -1, &texts), r.isNew) << r.newVersion << " " << r.file;
    std::string expected = r.texts;
    if (expected.back() == '@') expected = expected.substr(0, expected.size() - 1) + local;
    EXPECT_EQ(texts, expected) << r.newVersion << " " << r.file;
  }
}

TEST(URLNames, NameIsTheLastPartWithoutQueryOrFragment) {
  TNetUpdate nu(nullptr);
  struct Row {
    const char* url;
    const char* name;
  } rows[] = {
      {"http://h/d/a.cab", "a.cab"},
      {"http://h/d/a.cab?x=1/2#f", "a.cab"},
      {"https://h/d/a.cab#part/2", "a.cab"},
      {"ftp://h/x\\y.exe", "y.exe"},
      {"/srv/update/file#1?.txt", "file#1?.txt"},  // a plain path keeps its characters
      {"C:\\dir\\setup.inf", "setup.inf"},
      {"http://h/", ""},
      {"http://h/..", ".."},
  };
  for (const Row& r : rows) EXPECT_EQ(nu.FileNameFromURL(r.url), r.name) << r.url;

  std::string seenUrl, seenName;
  nu.OnFileNameFromURL = [&](TObject*, const std::string& url, std::string& name) {
    seenUrl = url;
    seenName = name;
    name = "renamed.bin";
  };
  EXPECT_EQ(nu.FileNameFromURL("http://h/d/a.cab?x"), "renamed.bin");
  EXPECT_EQ(seenUrl, "a.cab");
  EXPECT_EQ(seenName, "a.cab");
}

TEST(URLNames, HostIsShownWithoutUserInformation) {
  EXPECT_EQ(NUpdate::HostFromURL("http://host.example/dir/file"), "host.example");
  EXPECT_EQ(NUpdate::HostFromURL("http://user:pw@host:8080/path"), "host:8080");
  EXPECT_EQ(NUpdate::HostFromURL("ftp://host\\dir"), "host");
  EXPECT_EQ(NUpdate::HostFromURL("host/dir"), "host");
}

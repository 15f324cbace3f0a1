// The update control file: the hand-written file with every reading rule,
// and the decisions it drives (signature, date, size, checksum, version,
// file list and its filter) as tables.
#include <sys/time.h>

#include <ctime>

#include "platform/gui/testing/GuiTest.h"
#include "platform/rtl/Registry.h"
#include "tests/update/EngineTestSupport.h"
#include "update/nucrc32.h"

using namespace updatetest;

namespace {

// Sets a file's last-write time to a local date and time.
void SetFileTime(const std::string& file, int y, int mo, int d, int h = 12, int mi = 0) {
  std::tm tm{};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = mi;
  tm.tm_isdst = -1;
  const time_t t = std::mktime(&tm);
  timeval tv[2] = {{t, 0}, {t, 0}};
  ASSERT_EQ(::utimes(file.c_str(), tv), 0);
}

}  // namespace

class ControlFile : public TGuiTest {
protected:
  TScratchDir scratch;
  std::string srv = scratch / "srv";
  std::string app = scratch / "app";
  std::string tmp = scratch / "tmp";
  TTestNetUpdate nu;
  TRecordingLauncher launcher;
  TLauncherScope scope{launcher};

  void SetUp() override {
    fs::create_directories(srv);
    fs::create_directories(app + "/bin");
    fs::create_directories(tmp);
    nu.SetUpdateType(fileUpdate);
    nu.SetTempDirectory(tmp);
    nu.AppDir = app;
    nu.SetURL(srv + "/update.inf");
  }
  void TearDown() override {
    nu.StopConnection();
    EXPECT_TRUE(RunLeftovers(tmp).empty()) << "the run directory goes with the connection";
    TGuiTest::TearDown();
  }
  // Serves `text` as the control file and reads it.
  int Read(const std::string& text) {
    WriteBytes(srv + "/update.inf", text);
    nu.Reports.clear();
    EXPECT_EQ(nu.StartConnection(), 0);
    return nu.ReadControlFile();
  }
  int Check(const std::string& text) {
    EXPECT_EQ(Read(text), 0);
    nu.Reports.clear();
    return nu.CheckVersion();
  }
};

TEST_F(ControlFile, HandWrittenFileIsReadByEveryRule) {
  fs::copy_file(std::string(VELMARON_SOURCE_DIR) + "/tests/update/data/control.inf", srv + "/update.inf");
  WriteBytes(app + "/bin/velmaron", VersionedBytes(2, 4, 0, 0));
  nu.SetSignatureCheck(true);
  ASSERT_EQ(nu.StartConnection(), 0);
  ASSERT_EQ(nu.ReadControlFile(), 0);
  EXPECT_FALSE(nu.Saw(927)) << "signature matches";
  EXPECT_EQ(nu.Ids(), (std::vector<int>{915, 926}));
  EXPECT_EQ(nu.Reports[0].Text, "Download : " + srv + "/update.inf");

  // [application]: "$1" is 1, "\" separates folders, {APP} expands, quoted parameters.
  EXPECT_EQ(nu.RestartCommand(), QuoteArgument(app + "/./bin/velmaron") + " \"--open last file\"");
  EXPECT_EQ(nu.AppComponents(), "\"velmaron_NEW\" lib\\a.cab");

  // [update]: the version test with "2,5" against the head of the local file.
  EXPECT_EQ(nu.CheckVersion(), 11);
  EXPECT_EQ(nu.NewVersionText(), "2.5.0.0");
  EXPECT_EQ(nu.LocalVersionText(), "2.4.0.0");
  EXPECT_EQ(nu.UpdateDescription(), "Caf\xC3\xA9 release") << "Windows-1252 text arrives as UTF-8";

  // [action]: "\n" written out is a line break.
  Responder().ExpectMessage("First line\rSecond line", mrOk);
  EXPECT_EQ(nu.RunActions(), 0);

  // [files]: count "$4", a missing section, names and keys in any case, quotes.
  ASSERT_EQ(nu.ReadFileList(), 4);
  TFileList& list = *nu.FileList();
  ASSERT_EQ(list.Count(), 4);
  const TFileDescription& f1 = *list.Items(0);
  EXPECT_EQ(f1.URL, "http://example.invalid/dl/velmaron_NEW?rev=7#top");
  EXPECT_EQ(nu.FileNameFromURL(f1.URL), "velmaron_NEW");
  EXPECT_EQ(f1.LocalVersion, app + "/./bin/velmaron");
  EXPECT_EQ(f1.NewVersion, "2.5.0.0");
  EXPECT_EQ(f1.TargetDir, app + "/") << "an empty target is the program's folder";
  EXPECT_EQ(f1.FileSize, 1024);
  EXPECT_TRUE(f1.Mandatory);
  EXPECT_FALSE(f1.Hidden);
  EXPECT_EQ(f1.NewCheckSum, -1);
  const TFileDescription& f2 = *list.Items(1);
  EXPECT_EQ(f2.URL, "http://example.invalid/dl/data.cab");
  EXPECT_EQ(f2.TargetDir, app + "/./share/data/");
  EXPECT_TRUE(f2.Compressed);
  EXPECT_EQ(static_cast<uint32_t>(f2.NewCheckSum), 3735928559u) << "an unsigned decimal checksum";
  EXPECT_TRUE(f2.Hidden);
  const TFileDescription& f3 = *list.Items(2);
  EXPECT_EQ(f3.URL, "");
  EXPECT_EQ(f3.NewCheckSum, -1);
  const TFileDescription& f4 = *list.Items(3);
  EXPECT_EQ(f4.URL, "http://example.invalid/dl/notes.txt");
  EXPECT_EQ(f4.NewSize, 16);
  EXPECT_EQ(static_cast<uint32_t>(f4.NewCheckSum), 0xDEADBEEFu);
  EXPECT_EQ(f4.NewDate, "31/12/2023");
  EXPECT_EQ(f4.NewTime, "23:59");
  EXPECT_EQ(f4.Description, "Notes");
  EXPECT_FALSE(f4.Compressed) << "only 1 is true";
  EXPECT_EQ(list.TotalSize(), 2048);

  // [action] runafter: an argument list, never a shell.
  EXPECT_EQ(nu.FinishUpdate(), 0);
  ASSERT_EQ(launcher.Started.size(), 1u);
  EXPECT_EQ(launcher.Started[0], (std::vector<std::string>{app + "/./tools/tidy", "two words", "last"}));
  EXPECT_TRUE(nu.Saw(948));
}

TEST_F(ControlFile, SignatureIsComparedOnlyWhenAskedAndTheApplicationIsReadAnyway) {
  struct Row {
    bool check;
    const char* signature;
    int result;
  } rows[] = {{true, "NetUpdate", 0}, {true, "netupdate", 5}, {true, "", 5}, {false, "Other", 0}};
  for (const Row& r : rows) {
    nu.SetSignatureCheck(r.check);
    EXPECT_EQ(Read(std::string("[update]\nsignature=") + r.signature + "\n[application]\nappname=prog\nappupdate=1\n"),
              r.result)
        << r.check << " " << r.signature;
    EXPECT_EQ(nu.Saw(927), r.result == 5);
    if (const TReport* rep = nu.Find(927)) {
      EXPECT_EQ(rep->Status, 11);
      EXPECT_EQ(rep->Error, 4);
    }
    EXPECT_EQ(nu.RestartCommand(), "prog");
  }
}

TEST_F(ControlFile, MissingControlFileReadsNothing) {
  nu.SetURL(srv + "/none.inf");
  ASSERT_EQ(nu.StartConnection(), 0);
  EXPECT_EQ(nu.ReadControlFile(), 4);
  EXPECT_TRUE(nu.Saw(913));
  EXPECT_TRUE(nu.Saw(925));
  EXPECT_FALSE(nu.Saw(926));
  EXPECT_EQ(nu.CheckVersion(), 7);
  EXPECT_EQ(nu.ReadFileList(), 0);
}

TEST_F(ControlFile, DateDecisions) {
  const std::string local = app + "/prog";
  WriteBytes(local, "x");
  SetFileTime(local, 2023, 6, 15);
  struct Row {
    const char* update;  // the [update] lines
    int result;
    int report;  // 929 newer, 930 not
  } rows[] = {
      {"date=16/06/2023\nlocalversion={APP}\\prog", 6, 929},
      {"date=15/06/2023\ntime=12:01\nlocalversion={APP}\\prog", 6, 929},
      {"date=15/06/2023\ntime=12:00\nlocalversion={APP}\\prog", 7, 930},
      {"date=01/01/2020\nlocalversion={APP}\\prog", 7, 930},
      {"date=01/01/2020\nlocalversion={APP}\\prog\nunconditional=0", 8, 930},
      {"date=02/01/1980", 6, 929},  // no local file: 1 January 1980
      {"date=01/01/1980", 7, 930},
      {"date=31/02/2024\nlocalversion={APP}\\prog", 7, 930},  // no such day: no date
      {"date=yesterday", 7, 930},
      {"date=01/01/2030\ntime=25:00", 7, 930},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Check(std::string("[update]\n") + r.update + "\n"), r.result) << r.update;
    EXPECT_TRUE(nu.Saw(928)) << r.update;
    EXPECT_TRUE(nu.Saw(r.report)) << r.update;
    if (r.report == 929) {
      EXPECT_EQ(nu.Find(929)->Status, 5);
      EXPECT_EQ(nu.Find(929)->Text, "New version found : " + DateToStr(nu.NewDateTime()));
    } else {
      EXPECT_EQ(nu.Find(930)->Status, 4);
    }
    nu.StopConnection();
  }
  // The control file's own formats.
  nu.SetDateFormat("yyyy-mm-dd");
  nu.SetDateSeparator('-');
  EXPECT_EQ(Check("[update]\ndate=2023-06-16\nlocalversion={APP}\\prog\n"), 6);
  EXPECT_EQ(FormatSettings.ShortDateFormat, TFormatSettings().ShortDateFormat) << "the system's formats are back";
}

TEST_F(ControlFile, DateFromTheRegistryIsComparedAndSavedAfterTheUpdate) {
  TRegistry reg;
  reg.DeleteKey("\\Software\\VelmaronTest");
  ASSERT_TRUE(reg.OpenKey("\\Software\\VelmaronTest\\Update", true));
  reg.WriteString("LastDate", DateToStr(EncodeDate(2023, 6, 15)));
  reg.CloseKey();
  nu.LastURLEntry()->Key = "\\Software\\VelmaronTest";
  nu.LastURLEntry()->Section = "Update";

  EXPECT_EQ(Check("[update]\ndate=15/06/2023\n"), 7);
  EXPECT_EQ(Check("[update]\ndate=15/06/2023\ntime=08:30\n"), 6);
  EXPECT_DOUBLE_EQ(nu.LocalDateTime(), EncodeDate(2023, 6, 15));
  // Saved only with Save set.
  EXPECT_EQ(nu.FinishUpdate(), 0);
  ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\VelmaronTest\\Update"));
  EXPECT_EQ(reg.ReadString("LastDate"), DateToStr(EncodeDate(2023, 6, 15)));
  EXPECT_FALSE(reg.ValueExists("LastTime"));
  reg.CloseKey();
  nu.LastURLEntry()->Save = true;
  EXPECT_EQ(Check("[update]\ndate=15/06/2023\ntime=08:30\n[action]\nupdateURL=http://elsewhere.invalid/u.inf\n"), 6);
  EXPECT_EQ(nu.FinishUpdate(), 0);
  EXPECT_TRUE(nu.Saw(941));
  ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\VelmaronTest\\Update"));
  EXPECT_EQ(reg.ReadString("LastTime"), TimeToStr(EncodeTime(8, 30, 0, 0)));
  EXPECT_EQ(reg.ReadString("LastURL"), "http://elsewhere.invalid/u.inf");
  reg.CloseKey();
  std::string url;
  nu.GetControlFileURL(url);
  EXPECT_EQ(url, "http://elsewhere.invalid/u.inf") << "the redirection is used from now on";
  reg.DeleteKey("\\Software\\VelmaronTest");
}

TEST_F(ControlFile, SizeChecksumAndVersionDecisions) {
  WriteBytes(app + "/prog", VersionedBytes(1, 2, 0, 0));
  const int size = static_cast<int>(fs::file_size(app + "/prog"));
  const uint32_t add = NUpdate::FileAddSum(app + "/prog");
  const std::string local = "localversion={APP}/prog\n";
  struct Row {
    std::string update;
    int result;
    std::vector<int> reports;
  } rows[] = {
      {local + "newsize=" + std::to_string(size), 7, {932, 930}},
      {local + "newsize=" + std::to_string(size + 1), 9, {932, 929}},
      {local + "newchecksum=" + std::to_string(add), 7, {931, 933, 930}},
      {local + "newchecksum=" + std::to_string(add + 1) + "\nnewsize=" + std::to_string(size), 10, {931, 933, 929}},
      {local + "newversion=1.2.0.0", 7, {933, 930}},
      {local + "newversion=1.10", 11, {933, 929}},
      {local + "newversion=1,2,0,1\nnewsize=" + std::to_string(size), 7, {932, 930}},  // the size decides
      {"newversion=9.0", 7, {}},  // nothing to compare with
      {local, 7, {}},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Check("[update]\n" + r.update + "\n"), r.result) << r.update;
    EXPECT_EQ(nu.Ids(), r.reports) << r.update;
    nu.StopConnection();
  }
  // With CRC-32, given as "$" hexadecimal.
  nu.SetUseCRC32(true);
  const uint32_t crc = nucrc32::FileCRC32(app + "/prog");
  EXPECT_EQ(Check("[update]\nlocalversion={APP}/prog\nnewchecksum=$" + IntToHex(crc, 8) + "\n"), 7);
  EXPECT_EQ(Check("[update]\nlocalversion={APP}/prog\nnewchecksum=$" + IntToHex(crc ^ 1u, 8) + "\n"), 10);
}

TEST_F(ControlFile, CustomValidationHasTheLastWord) {
  std::string seen;
  bool answer = true;
  nu.OnCustomValidate = [&](TObject*, const std::string& msg, const std::string& param, bool& allow) {
    seen += msg + "/" + param + "/" + (allow ? "yes" : "no") + " ";
    allow = answer;
  };
  const std::string custom = "[custom]\nvalidatemsg=check\nvalidateparam=42\n";
  EXPECT_EQ(Check("[update]\nunconditional=1\n" + custom), 12);
  answer = false;
  EXPECT_EQ(Check("[update]\nunconditional=1\n" + custom), 7);
  answer = true;
  EXPECT_EQ(Check(custom), 12);
  EXPECT_EQ(seen, "check/42/yes check/42/yes check/42/no ");
}

TEST_F(ControlFile, FileCountIsCappedAndMissingSectionsAreEmptyEntries) {
  std::string text = "[files]\ncount=20000\n[file1]\nurl=a.txt\n[file9999]\nurl=b.txt\n[file10001]\nurl=c.txt\n";
  ASSERT_EQ(Read(text), 0);
  EXPECT_EQ(nu.ReadFileList(), 10000);
  EXPECT_EQ(nu.FileList()->Items(0)->URL, "a.txt");
  EXPECT_EQ(nu.FileList()->Items(1)->URL, "");
  EXPECT_EQ(nu.FileList()->Items(9998)->URL, "b.txt");
  EXPECT_TRUE(nu.Saw(943));
  ASSERT_EQ(Read("[files]\ncount=-3\n[file1]\nurl=a.txt\n"), 0);
  EXPECT_EQ(nu.ReadFileList(), 0);
  EXPECT_FALSE(nu.Saw(943));
  ASSERT_EQ(Read("[files]\ncount=0\n"), 0);
  EXPECT_EQ(nu.ReadFileList(), 0);
  EXPECT_EQ(nu.FilterFileList(), -1) << "an empty list";
}

TEST_F(ControlFile, FilterKeepsOnlyWhatIsNew) {
  WriteBytes(app + "/old", "1234");
  SetFileTime(app + "/old", 2023, 6, 15);
  WriteBytes(app + "/prog", VersionedBytes(1, 2, 0, 0));
  std::string text = "[files]\ncount=9\n"
                     "[file1]\nurl=keep-no-local\ndescr=1\n"
                     "[file2]\nurl=drop-same-size\nlocalversion={APP}/old\nnewsize=4\ndescr=2\n"
                     "[file3]\nurl=keep-newer-date\nlocalversion={APP}/old\ndate=16/06/2023\nnewsize=4\ndescr=3\n"
                     "[file4]\nurl=drop-older-date\nlocalversion={APP}/old\ndate=14/06/2023\ndescr=4\n"
                     "[file5]\nurl=keep-date-missing-file\nlocalversion={APP}/none\ndate=14/06/2023\ndescr=5\n"
                     "[file6]\nurl=bad-date-then-size\nlocalversion={APP}/old\ndate=99/99/2023\nnewsize=4\ndescr=6\n"
                     "[file7]\nurl=keep-newer-version\nlocalversion={APP}/prog\nnewversion=1.3\ndescr=7\n"
                     "[file8]\nurl=custom-refused\nlocalversion={APP}/prog\nnewversion=1.3\ncustomversion=c8\ndescr=8\n"
                     "[file9]\nurl=emptied-by-handler\ndescr=9\n";
  ASSERT_EQ(Read(text), 0);
  ASSERT_EQ(nu.ReadFileList(), 9);
  std::vector<std::string> custom;
  nu.OnFileVersionCheck = [&](TObject*, const std::string& newVersion, const std::string& local, bool& isNew) {
    EXPECT_TRUE(isNew);
    custom.push_back(newVersion + " " + local);
    isNew = false;
  };
  std::vector<std::string> listed;
  nu.OnGetFileList = [&](TObject*, TStrings* list) {
    for (int i = 0; i < list->Count(); ++i) listed.push_back((*list)[i]);
    list->Put(list->Count() - 1, "");
  };
  EXPECT_EQ(nu.FilterFileList(), 0);
  std::vector<std::string> urls;
  for (int i = 0; i < nu.FileList()->Count(); ++i) urls.push_back(nu.FileList()->Items(i)->URL);
  EXPECT_EQ(urls, (std::vector<std::string>{"keep-no-local", "keep-newer-date", "keep-date-missing-file",
                                            "keep-newer-version"}));
  EXPECT_EQ(custom, (std::vector<std::string>{"c8 " + app + "/./prog"}));
  EXPECT_EQ(listed, (std::vector<std::string>{"1", "3", "5", "7", "9"}));
}

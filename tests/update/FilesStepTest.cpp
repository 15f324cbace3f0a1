// The file step, the actions, the texts, the finishing step and the restart
// through the updater, over the file transport.
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Windows.h"
#include "platform/gui/testing/GuiTest.h"
#include "tests/update/CabWriter.h"
#include "tests/update/EngineTestSupport.h"

using namespace updatetest;

class FilesStep : public TGuiTest {
protected:
  TScratchDir scratch;
  std::string srv = scratch / "srv/";
  std::string app = scratch / "app";
  std::string tmp = scratch / "tmp";
  std::string cwd = scratch / "cwd/";
  std::string savedDir = GetCurrentDir();
  TTestNetUpdate nu;
  TRecordingLauncher launcher;
  TLauncherScope scope{launcher};

  void SetUp() override {
    for (const std::string& d : {srv, app, tmp, cwd}) fs::create_directories(d);
    ASSERT_TRUE(SetCurrentDir(cwd));
    nu.SetUpdateType(fileUpdate);
    nu.SetUpdateUpdate(nuuSilent);
    nu.SetTempDirectory(tmp);
    nu.AppDir = app;
    nu.SetURL(srv + "update.inf");
    nu.UpdaterPath = std::string(VELMARON_BINARY_DIR) + "/update/upd";
  }
  void TearDown() override {
    nu.StopConnection();
    SetCurrentDir(savedDir);
    TGuiTest::TearDown();
  }
  // Serves the control file and reads it up to the filtered file list.
  void Load(const std::string& text) {
    WriteBytes(srv + "update.inf", text);
    ASSERT_EQ(nu.StartConnection(), 0);
    ASSERT_EQ(nu.ReadControlFile(), 0);
    nu.ReadFileList();
    nu.FilterFileList();
    nu.Reports.clear();
  }
  // [files] with one section per url (and extra lines per file).
  std::string Files(const std::vector<std::string>& entries) {
    std::string text = "[files]\ncount=" + std::to_string(entries.size()) + "\n";
    for (size_t i = 0; i < entries.size(); ++i)
      text += "[file" + std::to_string(i + 1) + "]\n" + entries[i] + "\n";
    return text;
  }
  std::string Url(const std::string& name) { return "url=" + srv + name + "\n"; }
};

TEST_F(FilesStep, PromptOnceYesDownloadsAllAndNoCancelsTheUpdate) {
  WriteBytes(srv + "a.txt", "A");
  WriteBytes(srv + "b.txt", "B");
  const std::string text = "[application]\nappupdate=1\nappname=prog\nappcomps=a.txt\n" +
                           Files({Url("a.txt"), Url("b.txt")});
  nu.SetUpdateUpdate(nuuPromptOnce);
  Load(text);
  Responder().ExpectMessage("Download update files ?", mrNo);
  EXPECT_EQ(nu.DownloadFiles(), 0);
  EXPECT_TRUE(nu.Cancelled()) << "No to the question is no to the update";
  EXPECT_EQ(nu.FinishUpdate(), -1);
  EXPECT_FALSE(nu.NeedsRestart());
  EXPECT_EQ(Tree(app), std::vector<std::string>{});
  EXPECT_FALSE(nu.Saw(948));

  nu.StopConnection();
  Load(text);
  Responder().ExpectMessage("Download update files ?", mrYes);
  EXPECT_EQ(nu.DownloadFiles(), 0);
  EXPECT_EQ(Tree(app), (std::vector<std::string>{"a.txt", "b.txt"})) << "asked once, both downloaded";
  EXPECT_EQ(nu.FinishUpdate(), 0);
  EXPECT_TRUE(nu.NeedsRestart());
}

TEST_F(FilesStep, PromptAllAsksForEachFile) {
  WriteBytes(srv + "a.txt", "A");
  WriteBytes(srv + "b.txt", "B");
  nu.SetUpdateUpdate(nuuPromptAll);
  Load(Files({Url("a.txt"), Url("b.txt")}));
  Responder().ExpectMessage("Download update file : a.txt", mrNo).ExpectMessage("Download update file : b.txt", mrYes);
  EXPECT_EQ(nu.DownloadFiles(), 0);
  EXPECT_EQ(Tree(app), std::vector<std::string>{"b.txt"});
  EXPECT_FALSE(nu.Cancelled());
}

TEST_F(FilesStep, AFailedFileIsReportedAndTheOthersFollow) {
  WriteBytes(srv + "ok.txt", "OK");
  Load("[application]\nappupdate=1\nappname=prog\nappcomps=ok.txt\n" + Files({Url("missing.txt"), Url("ok.txt")}));
  EXPECT_EQ(nu.DownloadFiles(), -1);
  const TReport* rep = nu.Find(946);
  ASSERT_NE(rep, nullptr);
  EXPECT_EQ(rep->Text, "Cannot download update file : " + srv + "missing.txt");
  EXPECT_EQ(rep->Status, 2);
  EXPECT_EQ(ReadBytes(app + "/ok.txt"), "OK");
  EXPECT_FALSE(nu.NeedsRestart()) << "a failed file forbids the restart";
}

TEST_F(FilesStep, ACancelledFileEndsTheStep) {
  WriteBytes(srv + "one.bin", std::string(40000, '1'));
  WriteBytes(srv + "two.bin", std::string(40000, '2'));
  Load(Files({Url("one.bin"), Url("two.bin")}));
  nu.OnProgressCancel = [](TObject*, bool& cancel) { cancel = true; };
  EXPECT_EQ(nu.DownloadFiles(), -1);
  EXPECT_TRUE(nu.Cancelled());
  int downloads = 0;
  for (const TReport& r : nu.Reports) downloads += r.Id == 915;
  EXPECT_EQ(downloads, 1) << "the second file is not tried";
  EXPECT_EQ(Tree(app), std::vector<std::string>{});
  EXPECT_EQ(nu.FinishUpdate(), -1);
}

TEST_F(FilesStep, ApplicationComponentsAreWholeNamesAndCabinetsAreExtractedOnce) {
  const std::string cab = MakeStoredCabinet({{"docs\\readme.txt", "R"}});
  WriteBytes(srv + "data.cab", cab);
  WriteBytes(srv + "a.cab", cab);
  WriteBytes(srv + "packed.cab", MakeStoredCabinet({{"p.txt", "P"}}));
  WriteBytes(srv + "pack.cab.001", MakeStoredCabinet({{"s.txt", "S"}}));
  const std::string program = SmallProgram();
  WriteBytes(srv + "velmaron_NEW", program);
  nu.SetExtractCAB(true);
  Load("[application]\nappupdate=1\nappname=velmaron\nappcomps=a.cab {APP}\\lib\\velmaron_NEW\n" +
       Files({Url("data.cab") + "targetdir={APP}\\data", Url("a.cab"), Url("velmaron_NEW"),
              Url("packed.cab") + "compressed=1\ntargetdir={APP}\\packed",
              Url("pack.cab.001") + "compressed=1\ntargetdir={APP}\\split"}));
  EXPECT_EQ(nu.DownloadFiles(), 0);
  // "data.cab" is no "a.cab": extracted here and deleted.
  EXPECT_EQ(Tree(app + "/data"), (std::vector<std::string>{"docs", "docs/readme.txt"}));
  // The components are left for the updater as they came.
  EXPECT_EQ(ReadBytes(app + "/a.cab"), cab);
  EXPECT_EQ(ReadBytes(app + "/velmaron_NEW"), program);
  std::vector<std::string> components;
  for (const TReport& r : nu.Reports)
    if (r.Id == 962) components.push_back(r.Text);
  EXPECT_EQ(components, (std::vector<std::string>{"Found application component : a.cab",
                                                  "Found application component : velmaron_NEW"}));
  // A compressed cabinet is unpacked by its download, once.
  EXPECT_EQ(Tree(app + "/packed"), std::vector<std::string>{"p.txt"});
  // Copied, a name holding ".cab" is a cabinet too.
  EXPECT_EQ(Tree(app + "/split"), std::vector<std::string>{"s.txt"});
  EXPECT_EQ(std::count_if(nu.Reports.begin(), nu.Reports.end(), [](const TReport& r) { return r.Id == 965; }), 2)
      << "one for each compressed cabinet";
  EXPECT_FALSE(nu.Saw(947));
  EXPECT_EQ(nu.FinishUpdate(), 0);
  EXPECT_TRUE(nu.NeedsRestart());
}

TEST_F(FilesStep, TargetsEmptyCreatedAndChangedBeforeTheDownload) {
  WriteBytes(srv + "a.txt", "A");
  WriteBytes(srv + "b.txt", "B");
  WriteBytes(srv + "c.txt", "C");
  WriteBytes(srv + "new.txt", "N");
  WriteBytes(srv + "new.cab", MakeStoredCabinet({{"inside.txt", "I"}}));
  nu.SetExtractCAB(true);
  Load(Files({Url("a.txt"), Url("b.txt") + "targetdir={APP}\\new\\deeper\ndescr=Bee", Url("c.txt"),
              Url("old.cab") + "targetdir={APP}\\t", Url("old.txt") + "targetdir={APP}\\c"}));
  std::vector<std::string> seen;
  nu.OnBeforeFileDownload = [&](TObject*, int index, const std::string& descr, std::string& url) {
    seen.push_back(std::to_string(index) + ":" + descr + ":" + std::to_string(nu.FileList()->CurrentIndex));
    if (index == 3) url = srv + "a.txt";
    if (index == 4) url = srv + "new.txt";  // a cabinet's entry now names a plain file
    if (index == 5) url = srv + "new.cab";
  };
  EXPECT_EQ(nu.DownloadFiles(), 0);
  EXPECT_EQ(seen, (std::vector<std::string>{"1::0", "2:Bee:1", "3::2", "4::3", "5::4"}));
  EXPECT_EQ(ReadBytes(app + "/a.txt"), "A") << "an empty target directory is the program's, not the current one";
  EXPECT_EQ(ReadBytes(app + "/new/deeper/b.txt"), "B");
  EXPECT_FALSE(fs::exists(app + "/c.txt"));
  // What a file is follows the name the handler left, not the control file's.
  EXPECT_EQ(Tree(app + "/t"), std::vector<std::string>{"new.txt"});
  EXPECT_EQ(Tree(app + "/c"), std::vector<std::string>{"inside.txt"});
  EXPECT_FALSE(nu.Saw(947));
  EXPECT_EQ(Tree(cwd), std::vector<std::string>{});
}

// While the patch program runs, a small window says what is copied where the
// copy-files animation would play, with the utility's message below it.
TEST_F(FilesStep, WhileThePatchProgramRunsASmallWindowSaysWhatIsCopied) {
  WriteBytes(srv + "prog.pat", "patch");
  Load(Files({Url("prog.pat") + "localversion={APP}\\my prog"}));
  nu.SetApplyPatch(true);
  TNetUpdateUtility utility(nullptr);
  utility.ShowAnimation = true;
  utility.StatusCaption = "Updating Velmaron";
  utility.StatusMessage = "Please wait";
  nu.SetUtility(&utility);
  std::vector<std::string> seen;
  launcher.WhileRunning = [&] {
    for (int i = 0; i < Screen->FormCount(); ++i) {
      TCustomForm* f = Screen->Forms(i);
      if (f->Caption() != "Updating Velmaron" || !f->Visible()) continue;
      seen.push_back(std::to_string(f->ClientWidth()) + "x" + std::to_string(f->ClientHeight()));
      int bottom = 0;  // of the line above
      for (int k = 0; k < f->ControlCount(); ++k)
        if (auto* label = dynamic_cast<TLabel*>(f->Controls(k))) {
          seen.push_back(std::to_string(label->Left()) + "," + std::to_string(label->Top() - bottom) + ": " +
                         label->Caption());
          bottom = label->Top() + label->Height();
        }
    }
  };
  EXPECT_EQ(nu.DownloadFiles(), 0);
  EXPECT_EQ(seen, (std::vector<std::string>{"300x170", "10,10: Copying files: prog.pat, my prog",
                                            "10,8: Please wait"}))
      << "left, top (the message: pixels below the line above)";
  nu.SetUtility(nullptr);
}

TEST_F(FilesStep, PatchFilesRunThePatchProgramAsAnArgumentList) {
  WriteBytes(srv + "prog.pat", "patch");
  Load(Files({Url("prog.pat") + "localversion={APP}\\my prog"}));
  nu.SetApplyPatch(true);
  EXPECT_EQ(nu.DownloadFiles(), 0);
  ASSERT_EQ(launcher.Waited.size(), 1u);
  EXPECT_EQ(launcher.Waited[0], (std::vector<std::string>{app + "/patcher.exe", app + "/prog.pat", app + "/./my prog"}));
  EXPECT_FALSE(fs::exists(app + "/prog.pat")) << "the patch goes once applied";
  EXPECT_EQ(nu.Find(18)->Status, 3);
  // A patch placed in another folder is named there, where the patch program finds it.
  WriteBytes(srv + "lib.pat", "patch");
  Load(Files({Url("lib.pat") + "targetdir={APP}\\lib\nlocalversion={APP}\\lib\\old"}));
  EXPECT_EQ(nu.DownloadFiles(), 0);
  ASSERT_EQ(launcher.Waited.size(), 2u);
  EXPECT_EQ(launcher.Waited[1], (std::vector<std::string>{app + "/patcher.exe", app + "/./lib/lib.pat", app + "/./lib/old"}));
  // The size and checksum describe the patched program, not the patch, which is not held to them.
  WriteBytes(app + "/prog", "the old program");
  WriteBytes(srv + "prog.pat", "patch");
  Load(Files({Url("prog.pat") + "localversion={APP}/prog\nnewsize=5000\nnewchecksum=1234"}));
  EXPECT_EQ(nu.DownloadFiles(), 0);
  EXPECT_FALSE(nu.Saw(946));
  ASSERT_EQ(launcher.Waited.size(), 3u);
  EXPECT_EQ(launcher.Waited[2], (std::vector<std::string>{app + "/patcher.exe", app + "/prog.pat", app + "/./prog"}));
}

// A control file cut short: every section up to the count is an entry, a missing one an entry
// without an address, whose download fails. The other files come; the restart that would put
// the program's files in place is cleared, so no half update is finished.
TEST_F(FilesStep, AMissingSectionIsAnEntryWhoseDownloadFailsAndClearsTheRestart) {
  WriteBytes(srv + "comp.bin", "component");
  WriteBytes(srv + "help.txt", "help");
  const struct {
    const char* label;
    std::string text;
  } cases[] = {
      {"a section missing", "[files]\ncount=3\n[file1]\n" + Url("comp.bin") + "[file3]\n" + Url("help.txt")},
      {"a section cut at its url", "[files]\ncount=3\n[file1]\n" + Url("comp.bin") + "[file3]\n" + Url("help.txt") +
                                       "[file2]\ndescr=Manual\nurl="},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove(app + "/help.txt");
    Load("[application]\nappupdate=1\nappname=prog\nappcomps=comp.bin\n" + c.text);
    ASSERT_EQ(nu.FileList()->Count(), 3);
    EXPECT_EQ(nu.FileList()->Items(1)->URL, "");
    EXPECT_EQ(nu.DownloadFiles(), -1);
    ASSERT_NE(nu.Find(946), nullptr);
    EXPECT_EQ(nu.Find(946)->Text, "Cannot download update file : ");
    EXPECT_TRUE(nu.Saw(962)) << "the component came";
    EXPECT_EQ(ReadBytes(app + "/help.txt"), "help") << "the next entry came";
    EXPECT_FALSE(nu.NeedsRestart());
    nu.StopConnection();
  }
}

// The utility decides whether the patch program is seen; its output goes to
// "NUPDATE.LOG" in the program's folder with logging, whatever the log file is; a failure leaves
// exit code + 8192 in errno.
TEST_F(FilesStep, ThePatchProgramIsShownOrHiddenAndItsFailureIsKept) {
  enum TUtil { none, hidden, shown };
  const struct {
    TUtil util;
    bool logging;
    int exitCode;
    bool expectShown;
    const char* expectOutput;
    int expectErrno;
  } rows[] = {
      {none, false, 0, true, "", 0},
      {hidden, false, 0, false, "", 0},
      {shown, true, 0, true, "NUPDATE.LOG", 0},
      {hidden, true, 3, false, "NUPDATE.LOG", 8195},
      {none, false, 1, true, "", 8193},
  };
  nu.SetLogFileName("other.log");
  for (const auto& r : rows) {
    const std::string label = std::to_string(static_cast<int>(r.util)) + (r.logging ? " L " : " X ") +
                              std::to_string(r.exitCode);
    TNetUpdateUtility utility(nullptr);
    utility.ShowWindow = r.util == shown;
    nu.SetUtility(r.util == none ? nullptr : &utility);
    nu.SetLogging(r.logging);
    launcher.ExitCode = r.exitCode;
    launcher.Shown = !r.expectShown;
    launcher.Output = "unset";
    errno = 0;
    EXPECT_EQ(nu.RunAndWait("patcher.exe p.pat prog"), r.exitCode == 0) << label;
    EXPECT_EQ(errno, r.expectErrno) << label;
    WriteBytes(srv + "prog.pat", "patch");
    Load(Files({Url("prog.pat") + "localversion={APP}\\prog"}));
    nu.SetApplyPatch(true);
    nu.DownloadFiles();
    EXPECT_EQ(launcher.Shown, r.expectShown) << label;
    EXPECT_EQ(launcher.Output, *r.expectOutput ? app + "/" + r.expectOutput : "") << label;
    nu.StopConnection();
    nu.SetUtility(nullptr);
  }
  nu.SetLogFileName("NUPDATE.LOG");
}

TEST_F(FilesStep, ActionsRunInOrderWithoutAShell) {
  WriteBytes(srv + "comp.bin", "component");
  std::vector<std::string> opened;
  SetShellOpenHandler([&](const std::string& verb, const std::string& file) {
    opened.push_back(verb + " " + file);
    return true;
  });
  std::string custom;
  nu.OnCustomProcess = [&](TObject*, const std::string& msg, const std::string& param) { custom = msg + "|" + param; };
  Load("[action]\nmsg=Hello\nhtmldlg=http://h/page.html\nrunbefore=\"{APP}\\pre run\" --quiet 'x'\n"
       "showURL=http://user:pw@example.invalid/news\nquery=Go on?\n[custom]\nprocessmsg=m\nprocessparam=p\n"
       "[application]\nappupdate=1\nappname=prog\nappcomps=comp.bin\n" + Files({Url("comp.bin")}));
  Responder().ExpectMessage("Hello", mrOk).ExpectMessage("Go on?", mrNo);
  EXPECT_EQ(nu.RunActions(), -1);
  SetShellOpenHandler(nullptr);
  EXPECT_EQ(nu.Ids(), (std::vector<int>{934, 935, 942, 936}));
  ASSERT_EQ(launcher.Started.size(), 1u);
  EXPECT_EQ(launcher.Started[0], (std::vector<std::string>{app + "/./pre run", "--quiet", "'x'"}));
  EXPECT_EQ(custom, "m|p");
  EXPECT_EQ(opened, std::vector<std::string>{"open http://example.invalid/news"}) << "no credentials in the address";
  EXPECT_EQ(nu.DownloadFiles(), 0);
  EXPECT_TRUE(nu.Saw(962));
  EXPECT_EQ(nu.FinishUpdate(), 0);
  EXPECT_FALSE(nu.NeedsRestart()) << "No to the query forbids the restart";
}

TEST_F(FilesStep, WhatsNewAndLicenseTextsInTheChosenLanguage) {
  WriteBytes(srv + "news.txt", "\xEF\xBB\xBFline one\r\nline two\r\n");
  WriteBytes(srv + "eula-de.txt", "Lizenz\n");
  Load("[whatsnew]\nfile=" + srv + "news.txt\n[eulaDE]\nfile=" + srv + "eula-de.txt\n[eula]\nfile=" + srv +
       "missing.txt\n");
  auto news = nu.GetWhatsNew();
  ASSERT_NE(news, nullptr);
  EXPECT_EQ(news->Count(), 2);
  EXPECT_EQ((*news)[0], "line one");
  EXPECT_TRUE(nu.Saw(937));
  EXPECT_EQ(nu.GetLicense(), nullptr) << "a text that cannot be fetched is no text";
  EXPECT_EQ(nu.Find(939)->Status, 13);
  nu.SetLanguageID("DE");
  auto eula = nu.GetLicense();
  ASSERT_NE(eula, nullptr);
  EXPECT_EQ((*eula)[0], "Lizenz");
  EXPECT_EQ(nu.GetWhatsNew(), nullptr) << "no [whatsnewDE]";
  EXPECT_EQ(Tree(nu.RunDirectory()), std::vector<std::string>{"update.inf"}) << "fetched texts are deleted";
}

TEST_F(FilesStep, PostBeforeFinishingMayBeRefused) {
  Load("[update]\n");
  nu.PostUpdateInfo()->Enabled = true;
  nu.PostUpdateInfo()->Server = "127.0.0.1:1";
  nu.PostUpdateInfo()->Action = "/post";
  int before = 0;
  nu.OnBeforePost = [&](TObject*, bool& allow) { allow = ++before > 1; };
  bool accept = false;
  nu.OnProcessPostResult = [&](TObject*, bool& allow) { allow = accept; };
  EXPECT_EQ(nu.FinishUpdate(), 0) << "the post was not allowed: nothing sent, nothing refused";
  EXPECT_FALSE(nu.Saw(951));
  nu.Reports.clear();
  EXPECT_EQ(nu.FinishUpdate(), -1);
  EXPECT_TRUE(nu.Saw(951));
  EXPECT_FALSE(nu.Saw(948));
  accept = true;
  EXPECT_EQ(nu.FinishUpdate(), 0);
  EXPECT_TRUE(nu.Saw(948));
}

class Restart : public FilesStep {
protected:
  int closes = 0;
  void SetUp() override {
    FilesStep::SetUp();
    nu.OnAppDoClose = [this](TObject*) { ++closes; };
    WriteBytes(srv + "velmaron_NEW", "new");
  }
  void LoadRestart(const std::string& application) {
    Load("[application]\nappupdate=1\n" + application + "\nappcomps=velmaron_NEW {APP}\\lib\\a.cab\n" +
         Files({Url("velmaron_NEW")}));
    ASSERT_EQ(nu.DownloadFiles(), 0);
    ASSERT_EQ(nu.FinishUpdate(), 0);
    ASSERT_TRUE(nu.NeedsRestart());
    nu.StopConnection();
    nu.Reports.clear();
  }
};

TEST_F(Restart, TheUpdaterIsCopiedToAPrivateDirectoryAndStartedWithAnArgumentList) {
  LoadRestart("appname={APP}\\bin\\my prog\nappparam=--after update");
  Responder().ExpectMessage("Shutdown application to update executable files ?", mrYes);
  nu.AppRestart();
  ASSERT_EQ(launcher.Started.size(), 1u);
  const std::vector<std::string>& argv = launcher.Started[0];
  // "{APP}\lib\a.cab" of appcomps was never downloaded: the updater does not hear of it.
  ASSERT_EQ(argv.size(), 5u);
  const std::string runDir = ExtractFilePath(argv[0]);
  EXPECT_EQ(ExtractFileName(argv[0]), "upd");
  EXPECT_EQ(runDir.rfind(tmp + "/velmaron-update-", 0), 0u);
  EXPECT_EQ(ModeOf(ExcludeTrailingPathDelimiter(runDir)), 0700);
  EXPECT_EQ(ModeOf(argv[0]), 0700);
  EXPECT_EQ(ReadBytes(argv[0]), ReadBytes(nu.UpdaterPath));
  EXPECT_EQ(argv[1], std::to_string(CurrentProcessId()));
  EXPECT_EQ(argv[2], "X");
  EXPECT_EQ(argv[3], "\"" + app + "/bin/my prog\" \"--after update\"");
  EXPECT_EQ(SplitCommandLine(argv[3]), (std::vector<std::string>{app + "/bin/my prog", "--after update"}));
  EXPECT_EQ(argv[4], app + "/velmaron_NEW") << "absolute: the updater's current folder is ours";
  EXPECT_EQ(nu.Ids(), (std::vector<int>{959, 958}));
  EXPECT_EQ(nu.Reports[0].Text, "Restart app in directory : " + GetCurrentDir());
  EXPECT_EQ(closes, 1);
  nu.StopConnection();
  EXPECT_TRUE(fs::exists(argv[0])) << "the updater's directory outlives the run";
  // A later run makes a directory of its own and takes only that one away.
  Load("[update]\n");
  const std::string next = nu.RunDirectory();
  EXPECT_NE(next, runDir);
  nu.StopConnection();
  EXPECT_FALSE(fs::exists(next));
  EXPECT_TRUE(fs::exists(argv[0]));
  fs::remove_all(runDir);
}

TEST_F(Restart, TheQuestionOrTheHandlerDecides) {
  LoadRestart("appname=prog");
  Responder().ExpectMessage("Shutdown application", mrNo);
  nu.AppRestart();
  EXPECT_TRUE(launcher.Started.empty());
  EXPECT_EQ(closes, 0);

  nu.OnAppRestart = [](TObject*, bool& allow) { allow = false; };
  nu.AppRestart();
  EXPECT_TRUE(launcher.Started.empty());

  nu.OnAppRestart = nullptr;
  nu.OnProgressCancel = [](TObject*, bool& cancel) { cancel = true; };
  nu.AppRestart();
  EXPECT_TRUE(launcher.Started.empty()) << "cancelled before the question";
  nu.OnProgressCancel = nullptr;

  nu.SetLogging(true);
  nu.SetLogFileName(scratch / "nupdate.log");
  LoadRestart("appname=prog\nsilentrestart=1");
  nu.AppRestart();  // no question
  ASSERT_EQ(launcher.Started.size(), 1u);
  EXPECT_EQ(launcher.Started[0][2], "L");
  EXPECT_EQ(launcher.Started[0][3], app + "/prog") << "the program's folder, not the current one";
  nu.SetLogging(false);  // nothing of a test goes to the program's own log
  nu.SetLogFileName("NUPDATE.LOG");
  fs::remove_all(ExtractFilePath(launcher.Started[0][0]));
}

TEST_F(Restart, AnUpdaterThatCannotStartIsShownAndTheProgramStays) {
  LoadRestart("appname=prog\nsilentrestart=1");
  launcher.FailWith = 2;
  Responder().ExpectMessage("Failed to spawn updater process : No such file or directory", mrOk);
  nu.AppRestart();
  ASSERT_EQ(launcher.Started.size(), 1u);
  const TReport* rep = nu.Find(950);
  ASSERT_NE(rep, nullptr);
  EXPECT_EQ(rep->Status, 9);
  EXPECT_EQ(rep->Error, 2);
  EXPECT_EQ(closes, 0) << "the program keeps running";
  EXPECT_TRUE(RunLeftovers(tmp).empty());

  nu.UpdaterPath = scratch / "no-updater";
  Responder().ExpectMessage("Failed to spawn updater process : No such file or directory", mrOk);
  nu.Reports.clear();
  nu.AppRestart();
  EXPECT_EQ(launcher.Started.size(), 1u) << "nothing to start";
  ASSERT_TRUE(nu.Saw(950));
  EXPECT_EQ(nu.Find(950)->Status, 9);
  EXPECT_EQ(nu.Find(950)->Error, ENOENT);
  EXPECT_EQ(closes, 0);
}

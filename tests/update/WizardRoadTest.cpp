// The whole road of an update in one process: the program's wizard and engine
// against a local HTTP server, from the welcome page to the restart with no
// click, then the updater's command line run by the real updater program.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTimer>

#include "platform/gui/FormImage.h"
#include "platform/rtl/Process.h"
#include "platform/rtl/SysUtils.h"
#include "platform/gui/testing/GuiTest.h"
#include "tests/update/CabWriter.h"
#include "tests/update/TestServers.h"
#include "tests/update/UpdateTestSupport.h"
#include "update/NUpdate.h"
#include "update/NUpdateWiz.h"
#include "update/NuPrefix.h"
#include "update/NuServer.h"
#include "update/NuWizForm.h"

namespace {

using namespace updatetest;

// Starts nothing; keeps the command lines.
class TCapturingLauncher : public TProcessLauncher {
 public:
  int StartDetached(const std::vector<std::string>& argv, std::string&, int*) override {
    Started.push_back(argv);
    return 4242;
  }
  std::vector<std::vector<std::string>> Started;
};

unsigned Mode(const std::string& file) {
  struct stat st {};
  return ::stat(file.c_str(), &st) == 0 ? (st.st_mode & 0777) : 0;
}

class WizardRoad : public TGuiTest {
 protected:
  void SetUp() override {
    old_ = fs::current_path();
    fs::current_path(app_.Path());
    SetProcessLauncher(&launcher_);
    // The program's folder: ours stands in for the installed one.
    NUpdate::SetAppDirectory(app_.Path().string());
  }
  void TearDown() override {
    NUpdate::SetAppDirectory("");
    ::unsetenv("CURL_CA_BUNDLE");
    SetProcessLauncher(nullptr);
    fs::current_path(old_);
    TGuiTest::TearDown();
  }
  TScratchDir server_, app_;
  TCapturingLauncher launcher_;
  fs::path old_;
};

TEST_F(WizardRoad, FromTheWelcomePageToTheRestartedProgramWithoutAClick) {
  // What the server publishes.
  fs::create_directories(server_.Path() / "Downloads");
  WriteBytes(server_ / "Downloads/whatsnew.txt", "Faster reads.\r\nA new window.\r\n");
  WriteBytes(server_ / "Downloads/velmaron.bin_NEW", "the new program");
  WriteBytes(server_ / "Downloads/help.txt", "the new help");
  // Over https, with a certificate this test trusts: only then may the control file restart the program.
  TTestServer http("http_server.py", {"--tls", server_ / "tls", server_.Path().string()});
  ::setenv("CURL_CA_BUNDLE", (server_ / "tls/cert.pem").c_str(), 1);
  const std::string base = http.Base("https") + "/files/Downloads/";
  WriteBytes(server_ / "Downloads/Velmaron_Update.inf",
             "[update]\r\n"
             "descr=Faster reads and a new window\r\n"
             "date=01/02/2031\r\ntime=10:30\r\n"
             "localversion={APP}\\velmaron.bin\r\n"
             "[application]\r\nappupdate=1\r\nappname=restart.sh\r\nappcomps=velmaron.bin_NEW\r\nsilentrestart=1\r\n"
             "[whatsnew]\r\nfile=" + base + "whatsnew.txt\r\n"
             "[files]\r\ncount=2\r\n"
             "[file1]\r\nurl=" + base + "velmaron.bin_NEW\r\ndescr=Velmaron program\r\ntargetdir={APP}\r\n"
             "mandatory=1\r\nfilesize=15\r\n"
             "[file2]\r\nurl=" + base + "help.txt\r\ndescr=Help file\r\ntargetdir={APP}/doc\r\nfilesize=12\r\n");

  // The installed program: an executable the updater replaces, and what restarts it.
  const std::string fifo = app_ / "restarted.fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  WriteBytes(app_ / "velmaron.bin", "the old program");
  ::chmod((app_ / "velmaron.bin").c_str(), 0755);
  WriteBytes(app_ / "restart.sh", "#!/bin/sh\necho restarted > '" + fifo + "'\n");
  ::chmod((app_ / "restart.sh").c_str(), 0755);

  // The program's engine and wizard, the way the main window sets them up.
  TNetUpdate engine(nullptr);
  TNetUpdateWizard wizard(nullptr);
  NuServer::ConfigureProgram(engine, wizard);
  std::string problem;
  ASSERT_TRUE(NuServer::Apply(engine, base + "Velmaron_Update.inf", problem)) << problem;
  engine.UpdaterPath = std::string(VELMARON_BINARY_DIR) + "/update/upd";
  wizard.SetAutoStart(true);
  wizard.SetAutoRun(true);
  int closes = 0;
  engine.OnAppDoClose = [&](TObject*) {
    ++closes;
    if (TCustomForm* f = Application->ModalForms().empty() ? nullptr : Application->ModalForms().back()) f->Close();
  };
  std::vector<int> pages;
  std::string versionText, whatsNew;
  wizard.PauseFunction = [&] {
    auto* w = dynamic_cast<TNUWIZ*>(Application->ModalForms().back());
    ASSERT_NE(w, nullptr);
    int page = w->PageControl1->ActivePageIndex() + 1;
    pages.push_back(page);
    if (page == 2) versionText = w->VersionInfoLabel->Caption();
    if (page == 3) whatsNew = w->WhatsNewMemo->Lines()->Text();
    SaveControlImage(w, TestImagePath("wizard-road-" + std::to_string(pages.size()) + "-page" +
                                      std::to_string(page) + ".png"));
  };

  wizard.Execute();

  EXPECT_EQ(pages, (std::vector<int>{2, 2, 3, 5, 7}));
  EXPECT_EQ(versionText.rfind("New version found :\rCurrent version : " + DateToStr(Date()) + "\r", 0), 0u)
      << versionText;
  EXPECT_NE(versionText.find("\rNew version : " + DateToStr(EncodeDate(2031, 2, 1)) + " " +
                             TimeToStr(EncodeTime(10, 30, 0, 0)) + "\r\rFaster reads and a new window"),
            std::string::npos)
      << versionText;
  EXPECT_EQ(whatsNew, "Faster reads.\r\nA new window.\r\n");
  EXPECT_EQ(ReadBytes(app_ / "doc/help.txt"), "the new help");
  EXPECT_EQ(ReadBytes(app_ / "velmaron.bin_NEW"), "the new program") << "the running program's file waits";
  EXPECT_EQ(ReadBytes(app_ / "velmaron.bin"), "the old program");
  EXPECT_EQ(closes, 1) << "the program was asked to close";
  ASSERT_EQ(launcher_.Started.size(), 1u);

  // The updater's command line: itself, our process, no log, the restart command, the components.
  std::vector<std::string> argv = launcher_.Started[0];
  ASSERT_EQ(argv.size(), 5u);
  EXPECT_EQ(ExtractFileName(argv[0]), "upd");
  EXPECT_EQ(argv[1], std::to_string(::getpid()));
  EXPECT_EQ(argv[2], "X");
  EXPECT_EQ(fs::path(argv[3]).lexically_normal(), app_.Path() / "restart.sh");
  EXPECT_EQ(fs::path(argv[4]).lexically_normal(), app_.Path() / "velmaron.bin_NEW");
  EXPECT_EQ(Mode(argv[0]), 0700u);

  // The real updater, waiting for a program that has ended (ours stands in for it).
  const pid_t program = ::fork();
  ASSERT_GE(program, 0);
  if (program == 0) ::_exit(0);
  ::waitpid(program, nullptr, 0);
  argv[1] = std::to_string(program);
  // Held open for reading and writing, the pipe never reports an end before the restart writes.
  const int fd = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  TProcessLauncher real;
  EXPECT_EQ(real.RunAndWait(argv), 0);
  EXPECT_EQ(ReadBytes(app_ / "velmaron.bin"), "the new program");
  EXPECT_EQ(Mode(app_ / "velmaron.bin"), 0755u) << "an executable stays executable";
  EXPECT_FALSE(fs::exists(app_ / "velmaron.bin_NEW"));
  pollfd p{fd, POLLIN, 0};
  ASSERT_EQ(::poll(&p, 1, 20000), 1) << "the program was not started again";
  char buf[32] = {};
  EXPECT_GT(::read(fd, buf, sizeof buf - 1), 0);
  EXPECT_EQ(std::string(buf), "restarted\n");
  ::close(fd);
  EXPECT_FALSE(fs::exists(ExtractFilePath(argv[0]))) << "the updater removed its folder";
}

// Started from another folder (a desktop launcher starts programs in the home
// folder) with a control file that names no target folder: the files land in
// the program's folder, the updater gets absolute paths only, and the real
// updater, run from that other folder too, puts the program's file in place
// there and starts the program from there.
TEST_F(WizardRoad, StartedFromAnotherFolderTheUpdateLandsInTheProgramsFolder) {
  TScratchDir home;
  fs::current_path(home.Path());
  fs::create_directories(server_.Path() / "Downloads");
  WriteBytes(server_ / "Downloads/velmaron.bin_NEW", "the new program");
  WriteBytes(server_ / "Downloads/help.txt", "the new help");
  WriteBytes(server_ / "Downloads/data.cab", MakeStoredCabinet({{"readme.txt", "the new readme"}}));
  WriteBytes(home / "readme.txt", "the user's own");
  TTestServer http("http_server.py", {"--tls", server_ / "tls", server_.Path().string()});
  ::setenv("CURL_CA_BUNDLE", (server_ / "tls/cert.pem").c_str(), 1);
  const std::string base = http.Base("https") + "/files/Downloads/";
  WriteBytes(server_ / "Downloads/Velmaron_Update.inf",
             "[update]\r\nunconditional=1\r\n"
             "[application]\r\nappupdate=1\r\nappname=restart.sh\r\nappcomps=velmaron.bin_NEW data.cab\r\n"
             "silentrestart=1\r\n[files]\r\ncount=3\r\n[file1]\r\nurl=" + base + "velmaron.bin_NEW\r\n[file2]\r\nurl=" +
                 base + "help.txt\r\n[file3]\r\nurl=" + base + "data.cab\r\n");
  const std::string fifo = app_ / "restarted.fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  WriteBytes(app_ / "velmaron.bin", "the old program");
  ::chmod((app_ / "velmaron.bin").c_str(), 0755);
  WriteBytes(app_ / "restart.sh", "#!/bin/sh\npwd > '" + fifo + "'\n");
  ::chmod((app_ / "restart.sh").c_str(), 0755);

  TNetUpdate engine(nullptr);
  TNetUpdateWizard wizard(nullptr);
  NuServer::ConfigureProgram(engine, wizard);
  std::string problem;
  ASSERT_TRUE(NuServer::Apply(engine, base + "Velmaron_Update.inf", problem)) << problem;
  engine.UpdaterPath = std::string(VELMARON_BINARY_DIR) + "/update/upd";
  engine.SetUpdateUpdate(nuuSilent);
  engine.OnAppDoClose = [](TObject*) {};
  ASSERT_EQ(engine.StartConnection(), 0);
  ASSERT_EQ(engine.ReadControlFile(), 0);
  EXPECT_EQ(engine.CheckVersion(), 8);
  engine.ReadFileList();
  ASSERT_EQ(engine.FilterFileList(), 0);
  ASSERT_EQ(engine.DownloadFiles(), 0);
  ASSERT_EQ(engine.FinishUpdate(), 0);
  EXPECT_EQ(ReadBytes(app_ / "help.txt"), "the new help");
  EXPECT_EQ(ReadBytes(app_ / "velmaron.bin_NEW"), "the new program");
  EXPECT_EQ(Tree(home.Path()), std::vector<std::string>{"readme.txt"}) << "nothing lands in the current folder";
  ASSERT_TRUE(engine.NeedsRestart());
  engine.AppRestart();
  ASSERT_EQ(launcher_.Started.size(), 1u);
  std::vector<std::string> argv = launcher_.Started[0];
  ASSERT_EQ(argv.size(), 6u);
  for (size_t i : {0u, 3u, 4u, 5u}) EXPECT_EQ(argv[i].rfind('/', 0), 0u) << "not absolute: " << argv[i];
  EXPECT_EQ(argv[3], (app_.Path() / "restart.sh").string());
  EXPECT_EQ(argv[4], (app_.Path() / "velmaron.bin_NEW").string());

  // The real updater, from the same other folder, for a program that has ended.
  const pid_t program = ::fork();
  ASSERT_GE(program, 0);
  if (program == 0) ::_exit(0);
  ::waitpid(program, nullptr, 0);
  argv[1] = std::to_string(program);
  const int fd = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  TProcessLauncher real;
  EXPECT_EQ(real.RunAndWait(argv), 0);
  EXPECT_EQ(ReadBytes(app_ / "velmaron.bin"), "the new program");
  EXPECT_FALSE(fs::exists(app_ / "velmaron.bin_NEW"));
  EXPECT_EQ(ReadBytes(app_ / "readme.txt"), "the new readme") << "a cabinet unpacks into the program's folder";
  EXPECT_EQ(ReadBytes(home / "readme.txt"), "the user's own");
  EXPECT_EQ(Tree(home.Path()), std::vector<std::string>{"readme.txt"}) << "the updater made nothing in the current folder";
  pollfd p{fd, POLLIN, 0};
  ASSERT_EQ(::poll(&p, 1, 20000), 1) << "the program was not started again";
  char buf[512] = {};
  EXPECT_GT(::read(fd, buf, sizeof buf - 1), 0);
  ::close(fd);
}

// Over plain http the wizard says, page by page, what it will not install and
// why: the version page that the program itself cannot be updated, the file page
// which files are refused, the last page what was and was not installed and what
// to do. When nothing new can be installed it says so and offers no restart.
TEST_F(WizardRoad, OverPlainHttpThePagesSayWhatIsRefusedAndWhy) {
  fs::create_directories(server_.Path() / "Downloads");
  WriteBytes(server_ / "Downloads/velmaron.bin_NEW", "the new program");
  WriteBytes(server_ / "Downloads/upd", "a new updater");
  WriteBytes(server_ / "Downloads/help.txt", "the new help");
  TTestServer http("http_server.py", {server_.Path().string()});
  const std::string base = http.Base() + "/files/Downloads/";
  const struct {
    const char* label;
    bool withData;              // the control file lists a data file too
    std::vector<int> pages;     // the pages the wizard pressed on from
    const char* ending;         // the last page's heading
  } cases[] = {
      {"a data file lands", true, {2, 2, 5, 7}, "Update completed, except for the files below."},
      {"nothing can be installed", false, {2, 2, 7}, "Nothing could be installed."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove_all(app_.Path() / "doc");
    WriteBytes(app_ / "velmaron.bin", "the old program");
    ::chmod((app_ / "velmaron.bin").c_str(), 0755);
    WriteBytes(app_ / "upd", "the updater");
    ::chmod((app_ / "upd").c_str(), 0755);
    std::string files = "[file1]\r\nurl=" + base + "velmaron.bin_NEW\r\ndescr=Velmaron program\r\n"
                        "[file2]\r\nurl=" + base + "upd\r\ndescr=Updater\r\n";
    if (c.withData) files += "[file3]\r\nurl=" + base + "help.txt\r\ndescr=Help file\r\ntargetdir={APP}/doc\r\n";
    WriteBytes(server_ / "Downloads/Velmaron_Update.inf",
               "[update]\r\nunconditional=1\r\n"
               "[application]\r\nappupdate=1\r\nappname=velmaron.bin\r\nappcomps=velmaron.bin_NEW\r\n"
               "[files]\r\ncount=" + std::string(c.withData ? "3" : "2") + "\r\n" + files);
    TNetUpdate engine(nullptr);
    TNetUpdateWizard wizard(nullptr);
    NuServer::ConfigureProgram(engine, wizard);
    std::string problem;
    ASSERT_TRUE(NuServer::Apply(engine, base + "Velmaron_Update.inf", problem)) << problem;
    wizard.SetAutoStart(true);
    wizard.SetAutoRun(true);
    int successes = 0;
    engine.OnSuccess = [&](TObject*) { ++successes; };
    std::vector<int> pages;
    std::string versionText, heading, details, button;
    std::vector<std::string> lines;
    wizard.PauseFunction = [&] {
      auto* w = dynamic_cast<TNUWIZ*>(Application->ModalForms().back());
      ASSERT_NE(w, nullptr);
      const int page = w->PageControl1->ActivePageIndex() + 1;
      pages.push_back(page);
      if (page == 2) versionText = w->VersionInfoLabel->Caption();
      if (page == 5)
        for (int i = 0; i < w->CheckListBox1->Count(); ++i)
          lines.push_back(w->CheckListBox1->Items()->Strings(i) + (w->CheckListBox1->Checked(i) ? " [x]" : " [ ]"));
      if (page == 7) {
        heading = w->Label7->Caption();
        details = w->Label8->Caption();
        button = w->RestartButton->Caption();
      }
      SaveControlImage(w, TestImagePath(std::string("wizard-plain-http-") + (c.withData ? "data-" : "none-") +
                                        std::to_string(pages.size()) + "-page" + std::to_string(page) + ".png"));
    };

    wizard.Execute();

    EXPECT_EQ(pages, c.pages);
    EXPECT_NE(versionText.find("The program itself cannot be updated from this server: its update did not come "
                               "over https. Anyone on the way can change"),
              std::string::npos)
        << versionText;
    const std::string program = "velmaron.bin_NEW (the program's own files are updated over https only)";
    const std::string updater = "upd (it would replace the updater)";
    if (c.withData) {
      EXPECT_EQ(lines, (std::vector<std::string>{"Help file [x]", "Not installed: " + program + " [ ]",
                                                 "Not installed: " + updater + " [ ]"}));
    }
    EXPECT_EQ(heading, c.ending);
    EXPECT_EQ(details, "Not installed:\r" + program + "\r" + updater +
                           "\r\rAnyone on the way can change what comes over plain http or ftp. Ask for the update "
                           "to be served over https.");
    EXPECT_EQ(button, "Exit") << "no restart is offered";
    EXPECT_EQ(successes, c.withData ? 1 : 0);
    EXPECT_TRUE(launcher_.Started.empty());
    EXPECT_EQ(ReadBytes(app_ / "velmaron.bin"), "the old program");
    EXPECT_EQ(ReadBytes(app_ / "upd"), "the updater");
    EXPECT_FALSE(fs::exists(app_ / "velmaron.bin_NEW")) << "nothing refused is left behind";
    EXPECT_EQ(ReadBytes(app_ / "doc/help.txt"), c.withData ? "the new help" : "");
  }
}

// A control file cut short (count past its sections): the entry without an
// address fails its download, the wizard says so, and nothing restarts.
TEST_F(WizardRoad, AControlFileCutShortFailsTheDownloadAndRestartsNothing) {
  fs::create_directories(server_.Path() / "Downloads");
  WriteBytes(server_ / "Downloads/help.txt", "the new help");
  TTestServer http("http_server.py", {"--tls", server_ / "tls", server_.Path().string()});
  ::setenv("CURL_CA_BUNDLE", (server_ / "tls/cert.pem").c_str(), 1);
  const std::string base = http.Base("https") + "/files/Downloads/";
  WriteBytes(server_ / "Downloads/Velmaron_Update.inf",
             "[update]\r\nunconditional=1\r\n[application]\r\nappupdate=1\r\nappname=velmaron.bin\r\n"
             "appcomps=help.txt\r\n[files]\r\ncount=2\r\n[file1]\r\nurl=" + base + "help.txt\r\ndescr=Help file\r\n");
  TNetUpdate engine(nullptr);
  TNetUpdateWizard wizard(nullptr);
  NuServer::ConfigureProgram(engine, wizard);
  std::string problem;
  ASSERT_TRUE(NuServer::Apply(engine, base + "Velmaron_Update.inf", problem)) << problem;
  wizard.SetAutoStart(true);
  wizard.SetAutoRun(true);
  std::vector<int> pages;
  wizard.PauseFunction = [&] {
    auto* w = dynamic_cast<TNUWIZ*>(Application->ModalForms().back());
    ASSERT_NE(w, nullptr);
    pages.push_back(w->PageControl1->ActivePageIndex() + 1);
  };
  std::vector<std::string> said;
  engine.OnStatus = [&](TObject*, const std::string& text, int, int) { said.push_back(text); };
  Responder().ExpectMessage("Failed to download updates");
  wizard.Execute();
  EXPECT_EQ(Responder().Pending(), 0);
  EXPECT_NE(std::find(said.begin(), said.end(), "Cannot download update file : "), said.end());
  EXPECT_EQ(std::count(pages.begin(), pages.end(), 7), 0) << "no end page offers a restart";
  EXPECT_TRUE(launcher_.Started.empty()) << "the updater is not started";
}

// A refused redirect and a stopped download are told in words: on the version
// page and in the failure message.
TEST_F(WizardRoad, ARefusedRedirectOrAStoppedDownloadIsToldInWords) {
  fs::create_directories(server_.Path() / "Downloads");
  TTestServer plain("http_server.py", {server_.Path().string()});
  TTestServer secure("http_server.py", {"--tls", server_ / "tls", server_.Path().string()});
  ::setenv("CURL_CA_BUNDLE", (server_ / "tls/cert.pem").c_str(), 1);
  WriteBytes(server_ / "Downloads/Velmaron_Update.inf",
             "[update]\r\nunconditional=1\r\n[files]\r\ncount=1\r\n[file1]\r\nurl=" + plain.Base() +
                 "/huge\r\ndescr=Data\r\n");
  const std::string redirected = secure.Base("https") + "/goto?" + plain.Base() + "/files/Downloads/Velmaron_Update.inf";
  const struct {
    const char* label;
    std::string address;
    std::vector<int> pages;
    std::string versionPart;  // in the version page's text
    std::string message;      // part of the failure message, "" for none
  } cases[] = {
      {"an https control file redirected to http", redirected, {2},
       "Could not connect to update server or no update found on server ...\r\rRefused, an https transfer was "
       "redirected to plain http : " + redirected + " -> " + plain.Base() + "/files/Downloads/Velmaron_Update.inf",
       ""},
      {"an endless file without a size", plain.Base() + "/files/Downloads/Velmaron_Update.inf", {2, 2, 5},
       "New version available.",
       "Failed to download updates\r\rDownload stopped : huge: more than 1 MB, the limit for a file whose size the "
       "control file does not give"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    TNetUpdate engine(nullptr);
    TNetUpdateWizard wizard(nullptr);
    NuServer::ConfigureProgram(engine, wizard);
    engine.DownloadCap = 1 << 20;
    std::string problem;
    ASSERT_TRUE(NuServer::Apply(engine, c.address, problem)) << problem;
    wizard.SetAutoStart(true);
    wizard.SetAutoRun(true);
    std::vector<int> pages;
    std::string versionText;
    wizard.PauseFunction = [&] {
      auto* w = dynamic_cast<TNUWIZ*>(Application->ModalForms().back());
      ASSERT_NE(w, nullptr);
      pages.push_back(w->PageControl1->ActivePageIndex() + 1);
      if (pages.back() == 2) versionText = w->VersionInfoLabel->Caption();
    };
    if (!c.message.empty()) Responder().ExpectMessage(c.message);
    // Without a control file the version page waits with its Exit button: the
    // window is closed once the wizard has shown it.
    engine.OnStatus = [&](TObject*, const std::string& text, int, int) {
      if (text != "Update control file not found") return;
      QTimer::singleShot(0, [&] {
        auto* w = dynamic_cast<TNUWIZ*>(Application->ModalForms().back());
        ASSERT_NE(w, nullptr);
        versionText = w->VersionInfoLabel->Caption();
        w->Close();
      });
    };
    wizard.Execute();
    EXPECT_EQ(pages, c.pages);
    EXPECT_NE(versionText.find(c.versionPart), std::string::npos) << versionText;
    EXPECT_FALSE(fs::exists(app_ / "huge"));
  }
}

}  // namespace

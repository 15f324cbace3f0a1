#include "update/Updater.h"
#include "update/NuHousekeeping.h"
#include "update/NuPrefix.h"

#include "platform/rtl/Process.h"
#include "CabWriter.h"
#include "UpdateTestSupport.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

using namespace updatetest;

namespace {

// Records what the updater asks to run, and runs nothing.
class TFakeLauncher : public TProcessLauncher {
public:
  int StartDetached(const std::vector<std::string>& argv, std::string&, int*) override {
    started.push_back(argv);
    return 4242;
  }
  int RunAndWait(const std::vector<std::string>& argv, const std::string& out, bool hidden) override {
    ran.push_back(argv);
    outputs.push_back(out);
    shown.push_back(!hidden);
    return 0;
  }
  void WaitForExit(int pid) override { waited.push_back(pid); }

  std::vector<std::vector<std::string>> started, ran;
  std::vector<std::string> outputs;
  std::vector<bool> shown;
  std::vector<int> waited;
};

unsigned Mode(const std::string& file) {
  struct stat st {};
  return ::stat(file.c_str(), &st) == 0 ? (st.st_mode & 0777) : 0;
}

// Runs each test inside a scratch directory: the updater works in the current one.
class UpdaterTest : public ::testing::Test {
protected:
  void SetUp() override {
    old_ = fs::current_path();
    fs::current_path(dir.Path());
    env.Launcher = &launcher;
    env.Pause = [this](int ms) { paused += ms; };
    env.AppDir = dir.Path().string();
    NUpdate::TakeUpdaterNote();
  }
  // The updater names the program's folder for the whole process: later tests start without it.
  void TearDown() override {
    fs::current_path(old_);
    NUpdate::SetAppDirectory("");
  }

  int Run(const std::vector<std::string>& args) { return Updater::Run(args, env); }

  TScratchDir dir;
  TFakeLauncher launcher;
  Updater::TUpdaterEnv env;
  int paused = 0;

private:
  fs::path old_;
};


}  // namespace

TEST_F(UpdaterTest, AFirstArgumentThatIsNoNumberEndsAtOnce) {
  WriteBytes("app_NEW", "new");
  WriteBytes("app", "old");
  EXPECT_EQ(Run({"abc", "L", "./app", "app_NEW"}), 0);
  EXPECT_EQ(Run({}), 0);
  EXPECT_TRUE(launcher.waited.empty());
  EXPECT_TRUE(launcher.started.empty());
  EXPECT_EQ(ReadBytes("app"), "old");
  EXPECT_FALSE(fs::exists("NUPDATE.LOG"));
}

TEST_F(UpdaterTest, NewFilesReplaceTheirTargetKeepingItsModeThenTheProgramRestarts) {
  WriteBytes("velmaron", "old program");
  ::chmod("velmaron", 0755);
  WriteBytes("velmaron_NEW", "new program");
  ::chmod("velmaron_NEW", 0644);
  EXPECT_EQ(Run({"1234", "X", "\"/opt/my app/velmaron\" --flag", "velmaron_NEW"}), 0);
  EXPECT_EQ(launcher.waited, std::vector<int>{1234});
  EXPECT_EQ(paused, 500);
  EXPECT_EQ(ReadBytes("velmaron"), "new program");
  EXPECT_EQ(Mode("velmaron"), 0755u);
  EXPECT_FALSE(fs::exists("velmaron_NEW"));
  ASSERT_EQ(launcher.started.size(), 1u);
  EXPECT_EQ(launcher.started[0], (std::vector<std::string>{"/opt/my app/velmaron", "--flag"}));
  EXPECT_FALSE(fs::exists("NUPDATE.LOG"));  // "X": no log

  // A folder whose name holds "_new" makes no "_NEW" copy of its files.
  fs::create_directory("My_New_Apps");
  WriteBytes("My_New_Apps/tool", "old tool");
  WriteBytes("My_New_Apps/tool_NEW", "new tool");
  env.AppDir = (dir.Path() / "My_New_Apps").string();
  EXPECT_EQ(Run({"1", "X", "null", "tool_NEW"}), 0);
  EXPECT_EQ(ReadBytes("My_New_Apps/tool"), "new tool");
}

TEST_F(UpdaterTest, NullStartsNothingAndTheLogSaysWhatHappened) {
  WriteBytes("tool_new", "n");
  WriteBytes("_NEW", "kept");
  EXPECT_EQ(Run({"1", "L", "null", "tool_new", "missing_NEW", "_NEW"}), 0);
  EXPECT_TRUE(launcher.started.empty());
  EXPECT_EQ(ReadBytes("tool"), "n");
  EXPECT_EQ(ReadBytes("_NEW"), "kept") << "a copy with no name to replace stays";
  const std::string log = ReadBytes("NUPDATE.LOG");
  for (const char* line : {" : upd io error 2 in rename file:missing_NEW\n", " : upd io error 2 in rename file:_NEW\n"})
    EXPECT_NE(log.find(line), std::string::npos) << log;
  EXPECT_EQ(log.find("upd restart"), std::string::npos);
  EXPECT_EQ(log.substr(2, 1), "/");  // dd/mm/yyyy hh:nn:ss : message
  EXPECT_EQ(log.substr(19, 3), " : ");
}

// Whatever happens to the updater, the program is the old one or the new one,
// whole and executable; what could not be done is logged and told at the next start.
TEST_F(UpdaterTest, TheProgramIsNeverLostNeitherByAMissingCopyNorByAKillAtAnyStep) {
  struct TKill {};
  const struct {
    const char* label;
    bool newCopy;        // the new program was downloaded
    const char* killAt;  // the step the updater dies before ("": none)
    const char* target;  // where the list file sends it
    const char* program; // what the program is afterwards
    bool noted;          // the next start hears of it
  } cases[] = {
      {"unchecked or failed download", false, "", "", "old program", true},
      {"killed before the mode", true, "mode", "", "old program", false},
      {"killed before the rename", true, "rename", "", "old program", false},
      {"not killed", true, "", "", "new program", false},
      {"target folder missing", true, "", "gone/", "old program", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove("velmaron_NEW");
    fs::remove("NUPDATE.LOG");
    WriteBytes("velmaron", "old program");
    ::chmod("velmaron", 0755);
    if (c.newCopy) {
      WriteBytes("velmaron_NEW", "new program");
      ::chmod("velmaron_NEW", 0600);
    }
    WriteBytes("list.inf", std::string("[FILES]\nCOUNT=1\nFILE1=velmaron_NEW\nTARGET1=") + c.target + "\n");
    env.BeforeStep = [&](const std::string& step, const std::string&) {
      if (step == c.killAt) throw TKill{};
    };
    bool killed = false;
    try {
      Run({"1", "X", "null", "list.inf"});
    } catch (const TKill&) {
      killed = true;
    }
    EXPECT_EQ(killed, *c.killAt != 0);
    EXPECT_EQ(ReadBytes("velmaron"), c.program);
    EXPECT_EQ(Mode("velmaron"), 0755u) << "the program stays executable";
    const std::string note = NUpdate::TakeUpdaterNote();
    EXPECT_EQ(!note.empty(), c.noted) << note;
    if (c.noted) {
      EXPECT_NE(note.find("velmaron: not replaced"), std::string::npos) << note;
    }
    EXPECT_FALSE(fs::exists("NUPDATE.LOG")) << "no log without \"L\"";
  }
  env.BeforeStep = nullptr;
}

TEST_F(UpdaterTest, ListFilesAreFollowedNestedAndEachReadOnce) {
  fs::create_directories("lib");
  WriteBytes("a", "not the target");
  WriteBytes("outer.inf",
             "[FILES]\nCOUNT=4\nFILE1=inner.INF\nFILE2=outer.inf\nFILE3=a_NEW\nTARGET3={app}/lib/\nTARGET4=t/\n");
  WriteBytes("inner.INF", "[files]\ncount=2\nfile1=outer.inf\nfile2=b_NEW\n");
  WriteBytes("a_NEW", "A");
  WriteBytes("b_NEW", "B");
  EXPECT_EQ(Run({"1", "L", "null", "outer.inf"}), 0);
  EXPECT_EQ(ReadBytes("lib/a"), "A");
  EXPECT_EQ(ReadBytes("a"), "not the target") << "only the target is replaced";
  EXPECT_EQ(ReadBytes("b"), "B");
  EXPECT_TRUE(fs::exists("outer.inf"));  // list files stay
  const std::string log = ReadBytes("NUPDATE.LOG");
  EXPECT_NE(log.find("upd inf: a_NEW {app}/lib/"), std::string::npos) << log;
  EXPECT_NE(log.find(" : upd lzexpand  t/\n"), std::string::npos) << "an empty entry is processed too\n" << log;
}

// A list file written wrong can neither recurse the updater to death nor keep it
// reading for hours while the program is closed.
TEST_F(UpdaterTest, ListFilesEndSixteenDeepAndAfterTenThousandEntries) {
  for (int k = 0; k < 20; ++k) {
    const std::string n = std::to_string(k);
    WriteBytes("l" + n + ".inf", "[FILES]\nCOUNT=2\nFILE1=z" + n + "_NEW\nFILE2=l" + std::to_string(k + 1) + ".inf\n");
    WriteBytes("z" + n + "_NEW", "new");
  }
  WriteBytes("count.inf", "[FILES]\nCOUNT=10001\nFILE10000=x_NEW\nFILE10001=y_NEW\n");
  WriteBytes("x_NEW", "new");
  WriteBytes("y_NEW", "new");
  const struct {
    const char* list;
    const char* lastReplaced;
    const char* firstKept;
  } rows[] = {
      {"l0.inf", "z15", "z16"},
      {"count.inf", "x", "y"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.list);
    EXPECT_EQ(Run({"1", "X", "null", r.list}), 0);
    EXPECT_EQ(ReadBytes(r.lastReplaced), "new");
    EXPECT_FALSE(fs::exists(r.firstKept));
    EXPECT_TRUE(fs::exists(std::string(r.firstKept) + "_NEW"));
  }
}

TEST_F(UpdaterTest, CabinetsExtractAndGoButATraversalCabinetWritesNothing) {
  WriteBytes("good.cab", MakeStoredCabinet({{"sub\\f.txt", "fine"}, {"sub\\tool", "new tool"}}));
  fs::create_directories("sub");
  WriteBytes("sub/tool", "old tool");
  ::chmod("sub/tool", 0751);
  WriteBytes("evil.cab", MakeStoredCabinet({{"ok.txt", "x"}, {"..\\..\\escaped.txt", "bad"}}));
  EXPECT_EQ(Run({"1", "X", "null", "good.cab", "evil.cab"}), 0);
  EXPECT_EQ(ReadBytes("sub/f.txt"), "fine");
  EXPECT_EQ(ReadBytes("sub/tool"), "new tool");
  EXPECT_EQ(Mode("sub/tool"), 0751u) << "a replaced executable stays executable";
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(Mode("sub/f.txt"), 0666u & ~mask) << "a new file has the usual mode";
  EXPECT_FALSE(fs::exists("good.cab"));
  EXPECT_TRUE(fs::exists("evil.cab"));  // kept: its extraction failed
  EXPECT_FALSE(fs::exists("ok.txt"));
  EXPECT_FALSE(fs::exists(dir.Path().parent_path() / "escaped.txt"));
}

// Started from another folder (a desktop launcher starts programs in the home
// folder), the updater takes nothing from it and writes nothing there.
TEST_F(UpdaterTest, StartedFromAnotherFolderNothingIsTakenFromItOrWrittenThere) {
  const std::string app = dir / "prog/";
  env.AppDir = app;
  fs::create_directories(app);
  fs::create_directories("elsewhere");
  fs::current_path("elsewhere");
  WriteBytes("readme.txt", "the user's own");
  WriteBytes("velmaron_NEW", "the user's own");
  WriteBytes(app + "velmaron", "old program");
  WriteBytes(app + "velmaron_NEW", ReadBytes("/bin/true"));
  WriteBytes(app + "list.inf", "[FILES]\nCOUNT=2\nFILE1=velmaron_NEW\nTARGET1={APP}\nFILE2=fix.pat\n");
  WriteBytes(app + "data.cab", MakeStoredCabinet({{"readme.txt", "new readme"}}));
  WriteBytes(app + "text.cab", MakeStoredCabinet({{"velmaron", "15 bytes of text"}}));
  EXPECT_EQ(Run({"1", "X", app + "velmaron", app + "data.cab", "list.inf", app + "text.cab"}), 0);
  EXPECT_EQ(ReadBytes(app + "readme.txt"), "new readme") << "a cabinet unpacks into its own folder";
  EXPECT_EQ(ReadBytes(app + "velmaron"), ReadBytes("/bin/true"));
  EXPECT_FALSE(fs::exists(app + ".velmaron")) << "{APP} names a folder";
  EXPECT_EQ(launcher.ran.at(0), (std::vector<std::string>{app + "patcher.exe", app + "fix.pat", app + "fix.EXE"}));
  EXPECT_TRUE(fs::exists(app + "text.cab")) << "no text in place of the program";
  EXPECT_NE(NUpdate::TakeUpdaterNote().find("velmaron would replace the program, but"), std::string::npos);
  EXPECT_EQ(Tree("."), (std::vector<std::string>{"readme.txt", "velmaron_NEW"}));
  EXPECT_EQ(ReadBytes("readme.txt") + ReadBytes("velmaron_NEW"), "the user's ownthe user's own");
  EXPECT_FALSE(fs::exists(app + "NUPDATE.LOG")) << "no log without \"L\"";
}

TEST_F(UpdaterTest, ProgramsAndPatchesRunFromTheProgramsFolderWithoutAShell) {
  WriteBytes("setup.exe", "");
  WriteBytes("fix.pat", "");
  EXPECT_EQ(Run({"1", "L", "null", "setup.exe", "fix.pat"}), 0);
  ASSERT_EQ(launcher.ran.size(), 2u);
  EXPECT_EQ(launcher.ran[0], std::vector<std::string>{dir / "setup.exe"});
  EXPECT_EQ(launcher.ran[1], (std::vector<std::string>{dir / "patcher.exe", "-v", dir / "fix.pat", dir / "fix.EXE"}));
  EXPECT_EQ(launcher.outputs[1], dir / "NUPDATE.LOG");
  EXPECT_EQ(launcher.shown, (std::vector<bool>{false, false})) << "both run hidden";
  EXPECT_FALSE(fs::exists("setup.exe"));
  EXPECT_FALSE(fs::exists("fix.pat"));
  EXPECT_EQ(paused, 1000);  // 500 after the wait, 500 after the program
}

TEST_F(UpdaterTest, CompressedFilesExpandUnderTheirStoredNameAndStay) {
  fs::create_directories("dest");
  WriteBytes("dest/readme.txt", "old");
  ::chmod("dest/readme.txt", 0640);
  WriteBytes("readme.tx_", Szdd('t', "Hello, updated world!"));
  WriteBytes("plain.dat", "not compressed");
  EXPECT_EQ(Run({"1", "X", "null", "readme.tx_", "plain.dat"}), 0);
  EXPECT_EQ(ReadBytes("dest/readme.txt"), "old");  // no target: expands beside itself
  EXPECT_EQ(ReadBytes("readme.txt"), "Hello, updated world!");
  EXPECT_TRUE(fs::exists("readme.tx_"));
  EXPECT_EQ(ReadBytes("plain.dat"), "not compressed");

  WriteBytes("list.inf", "[FILES]\nCOUNT=1\nFILE1=readme.tx_\nTARGET1=dest/\n");
  EXPECT_EQ(Run({"1", "X", "null", "list.inf"}), 0);
  EXPECT_EQ(ReadBytes("dest/readme.txt"), "Hello, updated world!");
  EXPECT_EQ(Mode("dest/readme.txt"), 0640u);
}

// The real program against a real process: it must wait for that process.
TEST(UpdaterProgram, WaitsForTheProcessThenReplacesAndRestarts) {
  TScratchDir dir;
  // The program waited for lies in a folder of its own, started from elsewhere:
  // names are taken in its folder.
  fs::create_directories(dir / "prog/sub");
  fs::copy_file("/bin/sleep", dir / "prog/sleep");
  WriteBytes(dir / "prog/velmaron", "old");
  ::chmod((dir / "prog/velmaron").c_str(), 0755);
  WriteBytes(dir / "prog/velmaron_NEW", "new");
  WriteBytes(dir / "velmaron_NEW", "the current folder's");
  // A list naming itself, and a file for a folder below the program's.
  WriteBytes(dir / "prog/list.inf", "[FILES]\nCOUNT=2\nFILE1=list.inf\nFILE2=tool_NEW\nTARGET2={APP}/sub/\n");
  WriteBytes(dir / "prog/tool_NEW", "new tool");
  WriteBytes(dir / "prog/sub/tool", "old tool");
  // The updater runs from a private folder of its own, which it removes when done.
  const fs::path own = dir / "velmaron-update-Ab12Cd";
  fs::create_directories(own);
  fs::copy_file(std::string(VELMARON_BINARY_DIR) + "/update/upd", own / "upd");

  // The pipe's end closes at the exec: read returns only once the program runs.
  int execed[2];
  ASSERT_EQ(::pipe2(execed, O_CLOEXEC), 0);
  const std::string sleeper = dir / "prog/sleep";
  const pid_t dummy = ::fork();
  ASSERT_GE(dummy, 0);
  if (dummy == 0) {
    ::execl(sleeper.c_str(), "sleep", "0.7", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(execed[1]);
  char none;
  EXPECT_EQ(::read(execed[0], &none, 1), 0);
  ::close(execed[0]);
  const auto start = std::chrono::steady_clock::now();
  const std::string upd = (own / "upd").string();
  TProcessLauncher real;
  const std::string flag = dir / "restarted.flag";
  // RunAndWait takes no folder: run the updater through env -C.
  const int rc = real.RunAndWait({"/usr/bin/env", "-C", dir.Path().string(), upd,
                                  std::to_string(dummy), "L", "/usr/bin/touch " + flag,
                                  "velmaron_NEW", "list.inf"});
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(rc, 0);
  int status = 0;
  EXPECT_EQ(::waitpid(dummy, &status, WNOHANG), dummy) << "the updater ended before the process";
  EXPECT_GE(took, std::chrono::milliseconds(700 + 500 - 50));
  EXPECT_EQ(ReadBytes(dir / "prog/velmaron"), "new");
  EXPECT_EQ(Mode(dir / "prog/velmaron"), 0755u);
  EXPECT_EQ(ReadBytes(dir / "velmaron_NEW"), "the current folder's");
  EXPECT_EQ(ReadBytes(dir / "prog/sub/tool"), "new tool") << "{APP} is the waited program's folder";
  EXPECT_FALSE(fs::exists(own)) << "the updater leaves no folder behind";
  // The restarted program runs detached; give it a moment to appear.
  for (int i = 0; i < 100 && !fs::exists(flag); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(fs::exists(flag));
  EXPECT_NE(ReadBytes(dir / "prog/NUPDATE.LOG").find("upd restart /usr/bin/touch"), std::string::npos);
}

// With the program gone and no restart command, the first component given with
// its folder names the program's; the folder the updater was started in never counts.
TEST(UpdaterProgram, AProcessAlreadyGoneMeansGoOn) {
  TScratchDir dir;
  fs::create_directories(dir / "app");
  fs::create_directories(dir / "cwd");
  WriteBytes(dir / "app/x_NEW", "n");
  WriteBytes(dir / "cwd/y_NEW", "n");
  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ::waitpid(gone, nullptr, 0);
  TProcessLauncher real;
  const std::string upd = std::string(VELMARON_BINARY_DIR) + "/update/upd";
  const std::string cwd = dir / "cwd";
  EXPECT_EQ(real.RunAndWait({"/usr/bin/env", "-C", cwd, upd, std::to_string(gone), "L", "null", dir / "app/x_NEW"}), 0);
  EXPECT_EQ(ReadBytes(dir / "app/x"), "n");
  EXPECT_EQ(real.RunAndWait({"/usr/bin/env", "-C", cwd, upd, std::to_string(gone), "L", "null", "y_NEW"}), 0);
  EXPECT_EQ(Tree(cwd), std::vector<std::string>{"y_NEW"}) << "nothing taken from or written to it";
}

TEST(CommandLines, SplitByBlanksWithQuotesGrouping) {
  EXPECT_EQ(SplitCommandLine("a  \"b c\" d\"e f\"g \"\""),
            (std::vector<std::string>{"a", "b c", "de fg", ""}));
  EXPECT_EQ(SplitCommandLine("  "), std::vector<std::string>{});
  EXPECT_EQ(SplitCommandLine("say \\\"hi\\\""), (std::vector<std::string>{"say", "\"hi\""}));
  EXPECT_EQ(QuoteArgument("my app"), "\"my app\"");
  EXPECT_EQ(QuoteArgument("app"), "app");
}

// What a crashed or killed run left in the temporary directory goes at the next
// start; what a running program or updater holds, links and other names stay.
TEST(Housekeeping, StaleFoldersGoButHeldOnesLinksAndOtherNamesStay) {
  TScratchDir dir;
  const std::string base = dir.Path().string();
  fs::create_directories(dir / "velmaron-update-dead01/deeper");
  WriteBytes(dir / "velmaron-update-dead01/deeper/upd", "updater");
  fs::create_directories(dir / "velmaron-texts-dead02");
  WriteBytes(dir / "velmaron-texts-dead02/eula.txt", "text");
  int held = -1;
  const std::string live = NUpdate::MakePrivateFolder(base, "velmaron-update-", held);
  ASSERT_FALSE(live.empty());
  ASSERT_GE(held, 0);
  fs::create_directories(dir / "precious");
  WriteBytes(dir / "precious/keep.txt", "keep");
  fs::create_directory_symlink(dir / "precious", dir / "velmaron-update-link03");
  fs::create_directories(dir / "other-folder");

  EXPECT_EQ(NUpdate::RemoveStaleFolders(base), 2);
  EXPECT_FALSE(fs::exists(dir / "velmaron-update-dead01"));
  EXPECT_FALSE(fs::exists(dir / "velmaron-texts-dead02"));
  EXPECT_TRUE(fs::exists(live)) << "a running program's folder stays";
  EXPECT_EQ(ReadBytes(dir / "precious/keep.txt"), "keep") << "a link is never followed";
  EXPECT_TRUE(fs::exists(dir / "other-folder"));

  NUpdate::ReleaseLock(held);
  EXPECT_EQ(NUpdate::RemoveStaleFolders(base), 1) << "once its program has ended, it goes too";
  EXPECT_FALSE(fs::exists(live));
}

// A cabinet the updater cannot unpack is logged, kept, and told at the program's
// next start, as a _NEW file it cannot put in place is.
TEST_F(UpdaterTest, ACabinetTheUpdaterCannotUnpackIsLoggedAndToldAtTheNextStart) {
  const struct {
    const char* label;
    std::string bytes;
  } cases[] = {
      {"damaged", "MSCF and then nothing a cabinet holds"},
      {"a name that leaves its folder", MakeStoredCabinet({{"..\\escaped.txt", "out"}})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove("NUPDATE.LOG");
    WriteBytes("bad.cab", c.bytes);
    EXPECT_EQ(Run({"1", "L", "null", "bad.cab"}), 0);
    EXPECT_NE(ReadBytes("NUPDATE.LOG").find(" : upd cab error in extract file:bad.cab"), std::string::npos);
    EXPECT_NE(NUpdate::TakeUpdaterNote().find("bad.cab: not unpacked"), std::string::npos);
    EXPECT_EQ(ReadBytes("bad.cab"), c.bytes) << "kept for a look";
    EXPECT_FALSE(fs::exists(dir.Path().parent_path() / "escaped.txt"));
  }
}

// What an update writes comes from a server: its paths follow no link in any
// component, every file is synced before its rename and its folder after, and
// what a killed updater or run left behind goes by its exact name only.
#include "platform/archive/Archive.h"
#include "platform/archive/NoLinkFiles.h"
#include "platform/rtl/Process.h"
#include "update/NuPrefix.h"
#include "update/NuHousekeeping.h"
#include "update/Updater.h"
#include "update/cabfdi.h"
#include "CabWriter.h"
#include "UpdateTestSupport.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

using namespace updatetest;

namespace {

class TQuietLauncher : public TProcessLauncher {
public:
  int StartDetached(const std::vector<std::string>&, std::string&, int*) override { return 4242; }
  int RunAndWait(const std::vector<std::string>&, const std::string&, bool) override { return 0; }
  void WaitForExit(int) override {}
};

// A process number nobody has (until the system hands it out again).
int GonePid() {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(0);
  ::waitpid(pid, nullptr, 0);
  return static_cast<int>(pid);
}

class UpdateFiles : public ::testing::Test {
protected:
  void SetUp() override {
    old_ = fs::current_path();
    fs::current_path(dir.Path());
    env.Launcher = &launcher;
    env.Pause = [](int) {};
    env.AppDir = dir.Path().string();
    NUpdate::TakeUpdaterNote();
  }
  void TearDown() override {
    archive::SetCommitObserver(nullptr);
    NUpdate::TakeUpdaterNote();
    fs::current_path(old_);
    // The updater names the program's folder for the whole process: later tests start without it.
    NUpdate::SetAppDirectory("");
  }
  int RunUpdater(const std::string& file, const std::string& target) {
    WriteBytes("list.inf", "[FILES]\nCOUNT=1\nFILE1=" + file + "\nTARGET1=" + target + "\n");
    return Updater::Run({"1", "X", "null", "list.inf"}, env);
  }

  TScratchDir dir;
  TQuietLauncher launcher;
  Updater::TUpdaterEnv env;
  fs::path old_;
};

TEST_F(UpdateFiles, NoWriterFollowsALinkInAnyComponentOfItsPath) {
  fs::create_directories("outside");
  fs::create_directories("inside");
  WriteBytes("outside/victim.txt", "precious");
  fs::create_directory_symlink(dir.Path() / "outside", "inside/hop");
  fs::create_symlink(dir.Path() / "outside/victim.txt", "inside/victim.txt");
  WriteBytes("folder.cab", MakeStoredCabinet({{"hop\\new.txt", "through the folder link"}}));
  WriteBytes("file.cab", MakeStoredCabinet({{"victim.txt", "onto the file link"}}));
  WriteBytes("packed.tx_", Szdd('t', "expanded"));
  std::string error;
  const struct {
    const char* label;
    std::function<bool()> write;  // true when the writer says it wrote
  } cases[] = {
      {"a cabinet entry below a folder link", [] { return cabfdi::ExtractCab("folder.cab", "inside/") == 0; }},
      {"a cabinet entry onto a file link", [] { return cabfdi::ExtractCab("file.cab", "inside/") == 0; }},
      {"a cabinet into a folder reached by a link", [] { return cabfdi::ExtractCab("file.cab", "inside/hop/") == 0; }},
      {"an LZ file onto a file link", [&] { return archive::ExpandSzdd("packed.tx_", "inside/victim.txt", error); }},
      {"an LZ file below a folder link", [&] { return archive::ExpandSzdd("packed.tx_", "inside/hop/new.txt", error); }},
      {"a placed download onto a file link",
       [&] {
         WriteBytes("download.tmp", "downloaded");
         return archive::PlaceFile("download.tmp", "inside/victim.txt", {}, error);
       }},
      {"a placed download below a folder link",
       [&] {
         WriteBytes("download.tmp", "downloaded");
         return archive::PlaceFile("download.tmp", "inside/hop/new.txt", {}, error);
       }},
      {"a folder made below a link", [] { return cabfdi::CreateDirectoryPath("inside/hop/made"); }},
      {"the updater below a folder link",
       [&] {
         WriteBytes("new.txt_NEW", "from the updater");
         RunUpdater("new.txt_NEW", "inside/hop/");
         return fs::exists("outside/new.txt");
       }},
      {"the updater onto a file link",
       [&] {
         WriteBytes("victim.txt_NEW", "from the updater");
         RunUpdater("victim.txt_NEW", "inside/");
         return ReadBytes("outside/victim.txt") != "precious";
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_FALSE(c.write());
    EXPECT_EQ(Tree(dir.Path() / "outside"), std::vector<std::string>{"victim.txt"});
    EXPECT_EQ(ReadBytes("outside/victim.txt"), "precious");
    EXPECT_TRUE(fs::is_symlink("inside/victim.txt")) << "the link itself stays as it was";
  }
  EXPECT_NE(NUpdate::TakeUpdaterNote().find("inside/hop/new.txt: not replaced"), std::string::npos)
      << "the updater's refusal is told at the next start";
}

TEST_F(UpdateFiles, EachFileIsSyncedBeforeItsRenameAndItsFolderAfter) {
  std::vector<std::string> steps;
  archive::SetCommitObserver([&](const std::string& step, const std::string& name) {
    steps.push_back(step + " " + name);
  });
  fs::create_directories("out");
  WriteBytes("one.cab", MakeStoredCabinet({{"a.txt", "A"}}));
  WriteBytes("b.tx_", Szdd('t', "B"));
  std::string error;
  const struct {
    const char* label;
    std::function<bool()> write;
    const char* name;
  } cases[] = {
      {"a cabinet entry", [] { return cabfdi::ExtractCab("one.cab", "out/") == 0; }, "a.txt"},
      {"an LZ file", [&] { return archive::ExpandSzdd("b.tx_", "out/b.txt", error); }, "b.txt"},
      {"a placed download",
       [&] {
         WriteBytes("c.tmp", "C");
         return archive::PlaceFile("c.tmp", "out/c.txt", {}, error);
       },
       "c.txt"},
      {"the updater's replacement",
       [&] {
         WriteBytes("out/d.txt", "old");
         WriteBytes("d.txt_NEW", "D");
         RunUpdater("d.txt_NEW", "out/");
         return ReadBytes("out/d.txt") == "D";
       },
       "d.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    steps.clear();
    EXPECT_TRUE(c.write()) << error;
    const std::string n = c.name;
    EXPECT_EQ(steps, (std::vector<std::string>{"sync file " + n, "rename " + n, "sync folder " + n}));
  }
}

TEST_F(UpdateFiles, DataOnlyPlacementNeverReplacesOrMakesAProgram) {
  WriteBytes("tool", "old tool");
  ::chmod("tool", 0755);
  WriteBytes("notes.txt", "old notes");
  ::chmod("notes.txt", 0640);
  archive::TPlaceRule dataOnly;
  dataOnly.DataOnly = true;
  std::string error;
  const struct {
    const char* target;
    bool placed;
    int mode;
  } cases[] = {{"tool", false, 0755}, {"notes.txt", true, 0640}, {"fresh.txt", true, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    WriteBytes("download.tmp", "new bytes");
    ::chmod("download.tmp", 0777);
    EXPECT_EQ(archive::PlaceFile("download.tmp", c.target, dataOnly, error), c.placed) << error;
    EXPECT_EQ(ReadBytes(c.target) == "new bytes", c.placed);
    struct stat st {};
    ASSERT_EQ(::stat(c.target, &st), 0);
    if (c.mode >= 0) {
      EXPECT_EQ(static_cast<int>(st.st_mode & 07777), c.mode);
    }
    if (c.placed) {
      EXPECT_EQ(st.st_mode & 0111, 0u) << "nothing it writes gets an execute bit";
    } else {
      EXPECT_NE(error.find("is a program"), std::string::npos) << error;
    }
    fs::remove("download.tmp");
  }
}

TEST(Housekeeping, LeftoverUpdaterCopiesGoByTheirExactNameOnlyWhenTheirProcessIsGone) {
  TScratchDir dir;
  const std::string gone = std::to_string(GonePid());
  const std::string running = std::to_string(::getpid());
  WriteBytes(dir / ("velmaron.upd" + gone), "partial program");
  WriteBytes(dir / ("data.bin.upd" + gone), "partial data");
  const char* kept[] = {"velmaron", "velmaron.updates", "notes.upd"};
  for (const char* name : kept) WriteBytes(dir / name, "keep");
  const std::string keptToo[] = {"velmaron.upd" + running, "velmaron.upd0" + gone, ".upd" + gone,
                                 "velmaron.upd" + gone + "x", "velmaron.upd" + gone + ".txt"};
  for (const std::string& name : keptToo) WriteBytes(dir / name, "keep");
  fs::create_directory(dir / ("folder.upd" + gone));
  fs::create_symlink(dir / "velmaron", dir / ("link.upd" + gone));

  EXPECT_EQ(NUpdate::RemoveUpdaterLeftovers(dir.Path().string()), 2);
  EXPECT_FALSE(fs::exists(dir / ("velmaron.upd" + gone)));
  EXPECT_FALSE(fs::exists(dir / ("data.bin.upd" + gone)));
  for (const char* name : kept) EXPECT_TRUE(fs::exists(dir / name)) << name;
  for (const std::string& name : keptToo) EXPECT_TRUE(fs::exists(dir / name)) << name;
  EXPECT_TRUE(fs::exists(dir / ("folder.upd" + gone))) << "a folder is nobody's leftover";
  EXPECT_TRUE(fs::is_symlink(dir / ("link.upd" + gone))) << "a link is never touched";
  EXPECT_EQ(NUpdate::UpdaterCopyName("velmaron", 42), "velmaron.upd42") << "the name the updater gives its copy";
}

TEST(Housekeeping, TheStaleFolderSweepTakesOnlyNamesItMakesItself) {
  TScratchDir dir;
  const struct {
    const char* name;
    bool removed;
  } cases[] = {
      {"velmaron-update-Ab12Cd", true},   {"velmaron-texts-zz99YY", true},
      {"velmaron-update-notes-2024", false}, {"velmaron-update-", false},
      {"velmaron-update-abc", false},     {"velmaron-texts-ab_cd!", false},
      {"velmaron-updateXAb12Cd", false},
  };
  for (const auto& c : cases) {
    fs::create_directories(dir / c.name);
    WriteBytes(dir / (std::string(c.name) + "/inside.txt"), "mine");
  }
  EXPECT_EQ(NUpdate::RemoveStaleFolders(dir.Path().string()), 2);
  for (const auto& c : cases) EXPECT_EQ(fs::exists(dir / c.name), !c.removed) << c.name;
}

}  // namespace

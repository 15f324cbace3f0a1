#include "platform/rtl/Registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/platform/rtl/AsUser.h"
#include "tests/platform/rtl/TestSupport.h"

namespace {

// Points the registry at a fresh directory for one test and collects reports.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TRegistry::SetStoreDirectory(dir_.Path() + "/cfg");
    TRegistry::OnStoreError = [this](const std::string& m) { reports_.push_back(m); };
  }
  void TearDown() override {
    TRegistry::OnStoreError = nullptr;
    TRegistry::SetStoreDirectory("");
  }
  std::string StoreFile() const { return dir_.Path() + "/cfg/registry"; }

  TTempDir dir_;
  std::vector<std::string> reports_;
};


using V = TStringVector;

}  // namespace

TEST_F(RegistryTest, SettingsPersistAcrossInstances) {
  {
    TRegistry reg;
    EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Dalmire\\Velmaron", true));
    reg.WriteBool("Mode", true);
    reg.WriteInteger("Clock", 100);
    reg.WriteString("Name", std::string("a\0\"b\"\n\\", 7));
    reg.WriteFloat("Ratio", 0.1);
    unsigned char bin[3] = {0, 0xFF, 0x10};
    reg.WriteBinaryData("Blob", bin, 3);
    reg.CloseKey();
  }
  EXPECT_TRUE(FileExists(StoreFile()));
  // A new store load, as in the next run of the program.
  TRegistry::SetStoreDirectory(dir_.Path() + "/cfg");
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\dalmire\\VELMARON", false));
  EXPECT_EQ(reg.CurrentPath(), "Software\\Dalmire\\Velmaron");
  EXPECT_TRUE(reg.ReadBool("mode"));
  EXPECT_EQ(reg.ReadInteger("CLOCK"), 100);
  EXPECT_EQ(reg.ReadString("Name"), std::string("a\0\"b\"\n\\", 7));
  EXPECT_DOUBLE_EQ(reg.ReadFloat("Ratio"), 0.1);
  EXPECT_EQ(reg.ReadBinary("Blob"), std::string("\0\xff\x10", 3));
  TStringList names;
  reg.GetValueNames(&names);
  EXPECT_EQ(StringsOf(names), (V{"Mode", "Clock", "Name", "Ratio", "Blob"}));
  EXPECT_TRUE(reports_.empty());
}

TEST_F(RegistryTest, KeysOpenRelativeOrFromTheRoot) {
  TRegistry reg;
  EXPECT_FALSE(reg.OpenKey("Software\\Tellivar", false));
  ASSERT_TRUE(reg.OpenKey("Software\\Tellivar\\Velmaron", true));
  ASSERT_TRUE(reg.OpenKey("MRUS", true));  // below the open key
  EXPECT_EQ(reg.CurrentPath(), "Software\\Tellivar\\Velmaron\\MRUS");
  reg.WriteString("1", "/home/u/a.def");
  ASSERT_TRUE(reg.OpenKey("\\Software\\Tellivar\\Velmaron", false));
  EXPECT_TRUE(reg.KeyExists("mrus"));
  EXPECT_TRUE(reg.KeyExists("\\Software\\Tellivar"));
  EXPECT_FALSE(reg.KeyExists("Other"));
  EXPECT_TRUE(reg.HasSubKeys());
  ASSERT_TRUE(reg.CreateKey("Beta"));
  ASSERT_TRUE(reg.CreateKey("alpha"));
  TStringList keys;
  reg.GetKeyNames(&keys);
  EXPECT_EQ(StringsOf(keys), (V{"alpha", "Beta", "MRUS"}));
  TRegKeyInfo info;
  ASSERT_TRUE(reg.GetKeyInfo(info));
  EXPECT_EQ(info.NumSubKeys, 3);
  EXPECT_EQ(info.NumValues, 0);

  // Deleting removes the whole branch.
  EXPECT_TRUE(reg.DeleteKey("\\Software\\Tellivar"));
  EXPECT_FALSE(reg.KeyExists("\\Software\\Tellivar\\Velmaron\\MRUS"));
  EXPECT_FALSE(reg.DeleteKey("\\Software\\Tellivar"));
  // The open key is gone: reads find nothing and writes fail.
  EXPECT_FALSE(reg.ValueExists("1"));
  EXPECT_THROW(reg.WriteInteger("x", 1), ERegistryException);

  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_EQ(reg.CurrentKey(), 0u);
  ASSERT_TRUE(reg.OpenKey("\\Software\\Shared", true));
  reg.WriteInteger("v", 5);
  reg.CloseKey();
  TRegistry user;
  EXPECT_FALSE(user.KeyExists("\\Software\\Shared"));  // the roots are separate
}

TEST_F(RegistryTest, ReadErrorsAndTypes) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\Software\\T", true));
  reg.WriteString("s", "text");
  reg.WriteInteger("i", -5);
  EXPECT_EQ(reg.ReadString("missing"), "");
  try {
    reg.ReadInteger("missing");
    ADD_FAILURE();
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message(), "Failed to get data for 'missing'");
  }
  try {
    reg.ReadInteger("s");
    ADD_FAILURE();
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message(), "Invalid data type for 's'");
  }
  EXPECT_THROW(reg.ReadString("i"), ERegistryException);
  EXPECT_THROW(reg.ReadFloat("i"), ERegistryException);
  EXPECT_EQ(reg.ReadInteger("i"), -5);
  EXPECT_EQ(reg.GetDataType("s"), rdString);
  EXPECT_EQ(reg.GetDataSize("s"), 5);
  EXPECT_EQ(reg.GetDataSize("i"), 4);
  EXPECT_EQ(reg.GetDataSize("none"), -1);
  char buf[2];
  reg.WriteBinaryData("b", "abc", 3);
  EXPECT_THROW(reg.ReadBinaryData("b", buf, 2), ERegistryException);  // buffer too small
  EXPECT_EQ(reg.ReadBinaryData("none", buf, 2), 0);
  EXPECT_TRUE(reg.RenameValue("s", "S2"));
  EXPECT_EQ(reg.ReadString("s2"), "text");
  EXPECT_TRUE(reg.DeleteValue("S2"));
  EXPECT_FALSE(reg.DeleteValue("S2"));
  reg.WriteString("", "default");
  EXPECT_EQ(reg.ReadString(""), "default");
}

TEST_F(RegistryTest, WritesNeedAKeyOpenForWriting) {
  TRegistry reg;
  try {
    reg.WriteString("x", "y");
    ADD_FAILURE();
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message(), "Failed to set data for 'x'");
  }
  ASSERT_TRUE(reg.OpenKey("\\Software\\RO", true));
  reg.WriteInteger("v", 1);
  reg.CloseKey();
  ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\RO"));
  EXPECT_EQ(reg.ReadInteger("v"), 1);
  EXPECT_THROW(reg.WriteInteger("v", 2), ERegistryException);
  EXPECT_FALSE(reg.DeleteValue("v"));
  EXPECT_FALSE(reg.OpenKeyReadOnly("\\Software\\Missing"));
  TRegistry reader(KEY_READ);
  ASSERT_TRUE(reader.OpenKey("\\Software\\RO", false));
  EXPECT_THROW(reader.WriteInteger("v", 2), ERegistryException);
}

TEST_F(RegistryTest, DamageCostsOnlyTheLinesThatCannotBeReadAndEachCopyIsKept) {
  ForceDirectories(dir_.Path() + "/cfg");
  const std::string damaged =
      "VELMARON REGISTRY 1\n"
      "[HKEY_CURRENT_USER\\Software\\Dalmire\\Velmaron]\n"
      "\"Mode\"=dword:00000000\n"
      "\"Clock\"=dword:zz\n"                 // line 4: unreadable value
      "\"ShowSplash\"=dword:00000001\n"
      "[HKEY_CURRENT_USER\\Software\\Bro%ken]\n"  // line 6: unreadable key, its values go with it
      "\"Lost\"=dword:00000005\n"
      "[HKEY_CURRENT_USER\\Software\\Tellivar\\Velmaron\\MRUS]\n"
      "\"1\"=sz:\"/home/u/a.def\"\n";
  SaveFileAtomically(StoreFile(), damaged);
  TRegistry::SetStoreDirectory(dir_.Path() + "/cfg");
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\Dalmire\\Velmaron", false));
    EXPECT_FALSE(reg.ReadBool("Mode"));
    EXPECT_FALSE(reg.ValueExists("Clock"));
    EXPECT_TRUE(reg.ReadBool("ShowSplash"));
    EXPECT_FALSE(reg.KeyExists("\\Software\\Bro%ken"));
    ASSERT_TRUE(reg.OpenKey("\\Software\\Tellivar\\Velmaron\\MRUS", false));
    EXPECT_EQ(reg.ReadString("1"), "/home/u/a.def");
  }
  ASSERT_EQ(reports_.size(), 1u) << "told once, however often the store is used";
  EXPECT_NE(reports_[0].find("line 4: bad value data; line 6: bad key name"), std::string::npos) << reports_[0];
  EXPECT_NE(reports_[0].find(StoreFile() + ".damaged.1"), std::string::npos) << reports_[0];
  EXPECT_EQ(TRegistry::StoreError(), reports_[0]);
  EXPECT_EQ(LoadFileBytes(StoreFile() + ".damaged.1"), damaged);
  // The file was rewritten from what could be read, and reads clean now.
  TRegistryStore again;
  std::string error;
  EXPECT_TRUE(again.Parse(LoadFileBytes(StoreFile()), error)) << error;
  ASSERT_NE(again.Find(HKEY_CURRENT_USER, {"Software", "Dalmire", "Velmaron"}), nullptr);
  EXPECT_NE(again.Find(HKEY_CURRENT_USER, {"Software", "Dalmire", "Velmaron"})->FindValue("ShowSplash"), nullptr);

  // A second damage in a later run gets a copy of its own; the first one stays.
  const std::string second = "VELMARON REGISTRY 1\n[HKEY_CURRENT_USER\\Software\\S]\n\"v\"=sz:\"open\n";
  SaveFileAtomically(StoreFile(), second);
  TRegistry::SetStoreDirectory(dir_.Path() + "/cfg");
  EXPECT_TRUE(TRegistry().KeyExists("\\Software\\S"));
  ASSERT_EQ(reports_.size(), 2u);
  EXPECT_NE(reports_[1].find(".damaged.2"), std::string::npos) << reports_[1];
  EXPECT_EQ(LoadFileBytes(StoreFile() + ".damaged.1"), damaged);
  EXPECT_EQ(LoadFileBytes(StoreFile() + ".damaged.2"), second);
}

TEST_F(RegistryTest, DamagedFileWithNoRoomForACopyIsNeverOverwritten) {
  ForceDirectories(dir_.Path() + "/cfg");
  const std::string damaged = "VELMARON REGISTRY 1\n[HKEY_CURRENT_USER\\Software\\S]\n\"a\"=dword:00000001\n\"b\"=x\n";
  SaveFileAtomically(StoreFile(), damaged);
  // Every copy name is taken by a folder, so no copy can be written.
  for (int n = 1; n < 1000; ++n) ForceDirectories(StoreFile() + ".damaged." + std::to_string(n));
  TRegistry::SetStoreDirectory(dir_.Path() + "/cfg");
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\S", false));
    EXPECT_EQ(reg.ReadInteger("a"), 1);
    reg.WriteInteger("c", 3);
  }
  EXPECT_FALSE(TRegistry::FlushStore());
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_NE(reports_[0].find("no copy of the damaged file could be made"), std::string::npos) << reports_[0];
  EXPECT_EQ(LoadFileBytes(StoreFile()), damaged);
}

TEST_F(RegistryTest, UnreadableFileIsNotDamageItIsLeftAloneAndReportedOnce) {
  // A folder where the file should be: it cannot be read, whoever runs the test.
  ForceDirectories(StoreFile());
  TRegistry::SetStoreDirectory(dir_.Path() + "/cfg");
  {
    TRegistry reg;
    EXPECT_FALSE(reg.KeyExists("\\Software\\S"));
    ASSERT_TRUE(reg.OpenKey("\\Software\\S", true));  // runs on defaults, in memory
    reg.WriteInteger("v", 1);
    EXPECT_EQ(reg.ReadInteger("v"), 1);
  }
  EXPECT_FALSE(TRegistry::FlushStore());
  EXPECT_TRUE(TRegistry().KeyExists("\\Software\\S"));
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_NE(reports_[0].find("cannot be read"), std::string::npos) << reports_[0];
  EXPECT_NE(reports_[0].find("default settings"), std::string::npos) << reports_[0];
  EXPECT_EQ(reports_[0].find("damaged"), std::string::npos) << reports_[0];
  EXPECT_TRUE(DirectoryExists(StoreFile()));
  EXPECT_FALSE(FileExists(StoreFile() + ".damaged.1"));
}

TEST_F(RegistryTest, FileWithoutReadPermissionIsLeftAlone) {
  ForceDirectories(dir_.Path() + "/cfg");
  const std::string text = "VELMARON REGISTRY 1\n[HKEY_CURRENT_USER\\Software\\S]\n\"v\"=dword:00000007\n";
  SaveFileAtomically(StoreFile(), text);
  chmod(StoreFile().c_str(), 0);
  const std::string top = dir_.Path();
  const std::string dir = dir_.Path() + "/cfg";
  const std::string file = StoreFile();
  ASSERT_EQ(chmod(top.c_str(), 0755), 0);
  // Run as an ordinary user, so the permission holds even when the tests run as root.
  EXPECT_EQ(RunAsUser([&] {
              std::vector<std::string> seen;
              TRegistry::OnStoreError = [&](const std::string& m) { seen.push_back(m); };
              TRegistry::SetStoreDirectory(dir);
              {
                TRegistry reg;
                if (reg.KeyExists("\\Software\\S")) return 11;
                reg.OpenKey("\\Software\\S", true);
                reg.WriteInteger("v", 1);
              }
              TRegistry::FlushStore();
              return seen.size() == 1 && seen[0].find("Permission denied") != std::string::npos ? 0 : 12;
            }),
            0);
  chmod(file.c_str(), 0600);
  EXPECT_EQ(LoadFileBytes(file), text) << "the unreadable file was replaced";
}

TEST_F(RegistryTest, SettingsFileThatIsNoRegularFileOrTooLargeIsRefusedAtOnceAndLeftAlone) {
  for (THostileFile kind : kHostileFiles) {
    SCOPED_TRACE(HostileName(kind));
    const std::string dir = dir_.Path() + "/" + HostileName(kind);
    const std::string file = dir + "/registry";
    ASSERT_TRUE(ForceDirectories(dir));
    ASSERT_TRUE(MakeHostileFile(kind, file, TRegistry::MaxStoreFileBytes,
                                "VELMARON REGISTRY 1\n[HKEY_CURRENT_USER\\Software\\S]\n\"v\"=dword:00000007\n"));
    const int code = ExitCodeWithin(10, [&] {
      std::vector<std::string> seen;
      TRegistry::OnStoreError = [&](const std::string& m) { seen.push_back(m); };
      TRegistry::SetStoreDirectory(dir);
      {
        TRegistry reg;
        if (reg.KeyExists("\\Software\\S")) return 1;
        if (!reg.OpenKey("\\Software\\T", true)) return 2;
        reg.WriteInteger("v", 1);
      }
      if (TRegistry::FlushStore()) return 3;
      if (seen.size() != 1 || seen[0].find("cannot be read") == std::string::npos) return 4;
      return 0;
    });
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(StillHostileFile(kind, file, TRegistry::MaxStoreFileBytes)) << "the file was replaced";
    EXPECT_FALSE(FileExists(file + ".damaged.1"));
  }
}

TEST(RegistryStore, ParseNamesTheFaultyLinesAndKeepsTheRest) {
  TRegistryStore store;
  std::string error;
  // A damaged first line costs only itself.
  EXPECT_FALSE(store.Parse("VELMARON REGISTRX 1\n[HKEY_CURRENT_USER\\A]\n\"x\"=dword:00000002\n", error));
  EXPECT_EQ(error, "line 1: not a registry file");
  ASSERT_NE(store.Find(HKEY_CURRENT_USER, {"A"}), nullptr);
  EXPECT_EQ(store.Find(HKEY_CURRENT_USER, {"A"})->FindValue("x")->Data, std::string("\x02\0\0\0", 4));
  // Without the first line at all, a key line there is still read.
  EXPECT_FALSE(store.Parse("[HKEY_CURRENT_USER\\B]\n@=hex:01\n", error));
  EXPECT_NE(store.Find(HKEY_CURRENT_USER, {"B"}), nullptr);
  // Many faults: a few named, the rest counted.
  std::string text = "VELMARON REGISTRY 1\n[HKEY_CURRENT_USER\\C]\n";
  for (int i = 0; i < 8; ++i) text += "junk\n";
  text += "\"ok\"=sz:\"yes\"\n";
  EXPECT_FALSE(store.Parse(text, error));
  EXPECT_EQ(error,
            "line 3: bad value name; line 4: bad value name; line 5: bad value name; line 6: bad value name; "
            "line 7: bad value name and 3 more");
  EXPECT_EQ(store.Find(HKEY_CURRENT_USER, {"C"})->FindValue("ok")->Data, "yes");
  // A clean text leaves no error behind.
  EXPECT_TRUE(store.Parse("VELMARON REGISTRY 1\n", error));
  EXPECT_EQ(error, "");
  EXPECT_EQ(store.Find(HKEY_CURRENT_USER, {"C"}), nullptr);
}

TEST_F(RegistryTest, GarbageAndEmptyFilesNeverCrash) {
  ForceDirectories(dir_.Path() + "/cfg");
  for (const std::string& text : {std::string("\xff\xfe garbage"), std::string(),
                                  std::string("VELMARON REGISTRY 1\n\"v\"=dword:00000001\n"),
                                  std::string("VELMARON REGISTRY 1\n[HKEY_NOWHERE\\x]\n")}) {
    SaveFileAtomically(StoreFile(), text);
    TRegistry::SetStoreDirectory(dir_.Path() + "/cfg");
    TRegistry reg;
    EXPECT_FALSE(reg.KeyExists("\\Software\\x"));
    EXPECT_TRUE(reg.OpenKey("\\Software\\x", true));
  }
  // The empty file is not damage; the three others are.
  EXPECT_EQ(reports_.size(), 3u);
}

// A key past the registry's depth or name length refuses the file whole, left as it is; a key at
// the limits is kept, written with its path once.
TEST_F(RegistryTest, KeysBeyondTheRegistrysLimitsRefuseTheFileWhichIsLeftAsItIs) {
  const struct {
    size_t depth, name;
    bool kept;
  } rows[] = {{512, 1, true}, {513, 1, false}, {1, 255, true}, {1, 256, false}, {100000, 1, false}};
  ForceDirectories(dir_.Path() + "/cfg");
  for (const auto& r : rows) {
    std::string text = "VELMARON REGISTRY 1\n[HKEY_CURRENT_USER\\S]\n@=dword:00000007\n[HKEY_CURRENT_USER";
    for (size_t i = 0; i < r.depth; ++i) text += "\\" + std::string(r.name, 'a');
    SaveFileAtomically(StoreFile(), text + "]\n");
    reports_.clear();
    TRegistry::SetStoreDirectory(dir_.Path() + "/cfg");
    TRegistry reg;
    EXPECT_EQ(reg.KeyExists("\\S"), r.kept) << r.depth;
    reg.OpenKey("\\T", true);
    reg.WriteInteger("v", 1);
    reg.CloseKey();
    const std::string now = LoadFileBytes(StoreFile());
    if (r.kept)
      EXPECT_LT(now.size(), text.size() + 64) << r.depth;
    else
      EXPECT_EQ(now, text + "]\n") << r.depth;
    EXPECT_EQ(reports_.size(), r.kept ? 0u : 1u) << r.depth;
  }
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_NE(reports_[0].find("cannot be read (line 4: a key deeper than 512 levels or with a name longer than 255"),
            std::string::npos);
}

TEST_F(RegistryTest, ChangesByAnotherProgramAreSeen) {
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\S", true));
    reg.WriteInteger("v", 1);
  }
  TRegistryStore store;
  std::string error;
  ASSERT_TRUE(store.Parse(LoadFileBytes(StoreFile()), error)) << error;
  TRegistryStore::TValue v;
  v.Type = rdInteger;
  v.Data = std::string("\x02\0\0\0", 4);
  store.Create(HKEY_CURRENT_USER, {"Software", "S"})->SetValue("v", v);
  SaveFileAtomically(StoreFile(), store.Serialize());
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\Software\\S", false));
  EXPECT_EQ(reg.ReadInteger("v"), 2);
}

// Two instances of the program on one settings file, saving at the same time: each save writes
// what its instance changed over the file as the other left it, so no key is lost and no write
// fails; a value one instance deleted stays deleted.
TEST_F(RegistryTest, TwoInstancesSavingAtOnceKeepEachOthersKeys) {
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\Both", true));
    reg.WriteInteger("gone", 1);
    reg.WriteInteger("kept", 2);
  }
  constexpr int kRounds = 60;
  // Each instance writes its own key's values, one save each, and the parent deletes "gone".
  auto run = [](const char* own) {
    for (int i = 0; i < kRounds; ++i) {
      TRegistry reg;
      if (!reg.OpenKey(std::string("\\Software\\") + own, true)) return false;
      reg.WriteInteger("v" + std::to_string(i), i);
      reg.CloseKey();
      if (!TRegistry::StoreError().empty()) return false;
    }
    return true;
  };
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    bool ok = false;
    try {
      ok = run("Child");
    } catch (...) {
    }
    _exit(ok ? 0 : 1);
  }
  bool ok = false;
  try {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\Both", false));
    EXPECT_TRUE(reg.DeleteValue("gone"));
    reg.CloseKey();
    ok = run("Parent");
  } catch (const std::exception& e) {
    ADD_FAILURE() << e.what();
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(ok);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other instance's writes failed";
  TRegistryStore store;
  std::string error;
  ASSERT_TRUE(store.Parse(LoadFileBytes(StoreFile()), error)) << error;
  for (const char* own : {"Child", "Parent"}) {
    TRegistryStore::TNode* n = store.Find(HKEY_CURRENT_USER, {"Software", own});
    ASSERT_NE(n, nullptr) << own;
    for (int i = 0; i < kRounds; ++i) EXPECT_NE(n->FindValue("v" + std::to_string(i)), nullptr) << own << " v" << i;
  }
  TRegistryStore::TNode* both = store.Find(HKEY_CURRENT_USER, {"Software", "Both"});
  ASSERT_NE(both, nullptr);
  EXPECT_EQ(both->FindValue("gone"), nullptr);
  EXPECT_NE(both->FindValue("kept"), nullptr);
  EXPECT_TRUE(reports_.empty());
}

TEST_F(RegistryTest, ReadOnlySettingsFileIsNeverReplacedAndTheFailedSaveIsReported) {
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\S", true));
    reg.WriteInteger("v", 1);
  }
  const std::string before = LoadFileBytes(StoreFile());
  ASSERT_EQ(chmod(StoreFile().c_str(), 0444), 0);
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\S", true));
    reg.WriteInteger("v", 2);
  }
  EXPECT_FALSE(TRegistry::FlushStore());
  ASSERT_FALSE(reports_.empty());
  EXPECT_NE(reports_.back().find("read-only"), std::string::npos) << reports_.back();
  EXPECT_NE(reports_.back().find("could not be saved"), std::string::npos) << reports_.back();
  EXPECT_EQ(LoadFileBytes(StoreFile()), before);
  struct stat st {};
  ASSERT_EQ(stat(StoreFile().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0444u);
  chmod(StoreFile().c_str(), 0600);
}

TEST_F(RegistryTest, FailedSaveIsReportedAndRetried) {
  // The store directory cannot be made: a file stands where it should be.
  SaveFileAtomically(dir_.Path() + "/blocker", "x");
  TRegistry::SetStoreDirectory(dir_.Path() + "/blocker/cfg");
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\S", true));
    reg.WriteInteger("v", 1);
  }
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_NE(TRegistry::StoreError().find("could not be saved"), std::string::npos);
  EXPECT_FALSE(TRegistry::FlushStore());
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\Software\\S", false));  // still there in memory
  EXPECT_EQ(reg.ReadInteger("v"), 1);
}

TEST_F(RegistryTest, PendingChangesAreSavedWhenTheProgramEnds) {
  GTEST_FLAG_SET(death_test_style, "fast");  // the child shares this test's directory
  std::string dir = dir_.Path() + "/cfg";
  EXPECT_EXIT(
      {
        TRegistry::SetStoreDirectory(dir);
        auto* leaked = new TRegistry;  // never closed
        leaked->OpenKey("\\Software\\AtExit", true);
        leaked->WriteInteger("v", 7);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
  TRegistry::SetStoreDirectory(dir);
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\Software\\AtExit", false));
  EXPECT_EQ(reg.ReadInteger("v"), 7);
}

TEST(RegistryStore, FileFormRoundTripsEveryByte) {
  TRegistryStore a;
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  TRegistryStore::TValue s{rdString, all};
  TRegistryStore::TValue b{rdBinary, all};
  TRegistryStore::TValue e{rdExpandString, ""};
  TRegistryStore::TNode* n = a.Create(HKEY_CURRENT_USER, {"Soft[ware]", "50%\x01"});
  n->SetValue(all, s);
  n->SetValue("", b);
  n->SetValue("e", e);
  a.Create(HKEY_LOCAL_MACHINE, {"Empty"});
  std::string text = a.Serialize();
  TRegistryStore c;
  std::string error;
  ASSERT_TRUE(c.Parse(text, error)) << error;
  EXPECT_EQ(c.Serialize(), text);
  TRegistryStore::TNode* m = c.Find(HKEY_CURRENT_USER, {"soft[WARE]", "50%\x01"});
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->FindValue(all)->Data, all);
  EXPECT_EQ(m->FindValue("")->Type, rdBinary);
  EXPECT_NE(c.Find(HKEY_LOCAL_MACHINE, {"EMPTY"}), nullptr);
}

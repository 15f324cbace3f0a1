#include "platform/rtl/Registry.h"

#include <gtest/gtest.h>

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

TEST_F(RegistryTest, DamagedStoreIsReportedOnceReadAsEmptyAndKept) {
  ForceDirectories(dir_.Path() + "/cfg");
  std::string damaged = "VELMARON REGISTRY 1\n[HKEY_CURRENT_USER\\Software]\n\"x\"=dword:zz\n";
  SaveFileAtomically(StoreFile(), damaged);
  TRegistry::SetStoreDirectory(dir_.Path() + "/cfg");
  {
    TRegistry reg;
    EXPECT_FALSE(reg.OpenKey("\\Software", false));
    EXPECT_FALSE(reg.KeyExists("\\Software"));
  }
  {
    TRegistry again;
    EXPECT_FALSE(again.KeyExists("\\Software"));
  }
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_NE(reports_[0].find("line 3"), std::string::npos) << reports_[0];
  EXPECT_EQ(TRegistry::StoreError(), reports_[0]);
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\New", true));
    reg.WriteInteger("v", 1);
  }
  // The damaged file is kept beside the new one.
  EXPECT_EQ(LoadFileBytes(StoreFile() + ".damaged"), damaged);
  TRegistry::SetStoreDirectory(dir_.Path() + "/cfg");
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\Software\\New", false));
  EXPECT_EQ(reg.ReadInteger("v"), 1);
  EXPECT_EQ(reports_.size(), 1u);
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

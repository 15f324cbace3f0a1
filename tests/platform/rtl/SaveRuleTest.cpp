// The one save rule (read-only and non-regular files refused, links followed only to a file,
// leftovers of killed saves removed by exact name) and the one reader (no blocking, regular
// files only, a cap), for every writer and reader of the runtime layer.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/rtl/Classes.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/SysUtils.h"
#include "tests/platform/rtl/AsUser.h"
#include "tests/platform/rtl/TestSupport.h"

namespace fs = std::filesystem;

namespace {

std::string Read(const std::string& f) {
  std::ifstream in(f, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every way the layer saves a file, each writing "new".
const struct {
  const char* name;
  std::function<void(const std::string&)> save;
} kWriters[] = {
    {"SaveFileAtomically", [](const std::string& f) { SaveFileAtomically(f, "new"); }},
    {"SaveFileHeadAtomically", [](const std::string& f) { SaveFileHeadAtomically(f, "new"); }},
    {"TStrings::SaveToFile",
     [](const std::string& f) {
       TStringList l;
       l.SetText("new");
       l.SaveToFile(f);
     }},
    {"TMemoryStream::SaveToFile",
     [](const std::string& f) {
       TMemoryStream m;
       m.Write("new", 3);
       m.SaveToFile(f);
     }},
    {"TMemIniFile::UpdateFile",
     [](const std::string& f) {
       TMemIniFile ini("");
       ini.Rename(f, false);
       ini.WriteString("A", "x", "new");
       ini.UpdateFile();
     }},
};

TEST(SaveRule, EveryWriterLeavesAReadOnlyFileAsItIsAndSaysSo) {
  for (const auto& w : kWriters) {
    SCOPED_TRACE(w.name);
    TTempDir dir;
    const std::string f = dir.File("locked.def");
    std::ofstream(f) << "precious";
    ASSERT_EQ(chmod(f.c_str(), 0444), 0);
    try {
      w.save(f);
      ADD_FAILURE() << "no error";
    } catch (const EFCreateError& e) {
      EXPECT_NE(e.Message().find("The file is read-only"), std::string::npos) << e.Message();
    }
    EXPECT_EQ(Read(f), "precious");
    EXPECT_EQ(dir.EntryCount(), 1) << "no temporary file stays";
  }
}

// A file another user owns, in a folder we may write: the rename would replace it, so every save
// asks first and leaves it as it is.
TEST(SaveRule, AFileWeMayNotWriteInAFolderWeMayIsLeftAsItIs) {
  TTempDir dir;
  ASSERT_TRUE(GiveToUser(dir.Path()));
  const std::string f = dir.File("theirs.ini");
  std::ofstream(f) << "precious";
  ASSERT_EQ(chmod(f.c_str(), 0644), 0);
  const int result = RunAsUser([&] {
    if (access(f.c_str(), W_OK) == 0) return 1;  // the check would prove nothing
    for (const auto& w : kWriters) {
      try {
        w.save(f);
        return 2;
      } catch (const EFCreateError& e) {
        if (e.Message().find("The file is read-only") == std::string::npos) return 3;
      }
      if (Read(f) != "precious") return 4;
    }
    return 0;
  });
  if (result == kUserUnavailable || result == 1) GTEST_SKIP() << "no other user to own the file";
  EXPECT_EQ(result, 0);
}

TEST(SaveRule, ALinkToAFileIsFollowedAndADanglingLinkIsRefused) {
  for (const auto& w : kWriters) {
    SCOPED_TRACE(w.name);
    TTempDir dir;
    const std::string real = dir.File("real.ini"), link = dir.File("link.ini"), dangling = dir.File("gone.ini");
    std::ofstream(real) << "old";
    ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
    ASSERT_EQ(symlink(dir.File("nowhere.ini").c_str(), dangling.c_str()), 0);
    w.save(link);
    EXPECT_TRUE(fs::is_symlink(link)) << "the user's link stays";
    EXPECT_NE(Read(real).find("new"), std::string::npos);
    try {
      w.save(dangling);
      ADD_FAILURE() << "no error";
    } catch (const EFCreateError& e) {
      EXPECT_NE(e.Message().find("link to a file that does not exist"), std::string::npos) << e.Message();
    }
    EXPECT_TRUE(fs::is_symlink(dangling)) << "the link is not replaced by a file";
    EXPECT_FALSE(fs::exists(dir.File("nowhere.ini")));
  }
}

TEST(SaveRule, TheNextSaveRemovesLeftoversOfAKilledSaveByTheirExactNamesOnly) {
  TTempDir dir;
  const std::string f = dir.File("port.ini");
  const struct {
    const char* name;
    bool removed;
  } entries[] = {
      {".port.ini.tmp-a1B2c3", true},   // a temporary file of this file's saves
      {".port.ini.tmp-a1B2c", false},   // one character short
      {".port.ini.tmp-a1B2c3d", false}, // one too many
      {".port.ini.tmp-a1B2.3", false},  // not mkstemp's alphabet
      {".registry.tmp-a1B2c3", false},  // another file's
      {"port.ini.tmp-a1B2c3", false},   // not hidden
  };
  for (const auto& e : entries) std::ofstream(dir.File(e.name)) << "x";
  fs::create_directory(dir.File(".port.ini.tmp-DIRxyz"));
  // Another save's temporary file is locked while that save writes: it stays.
  const std::string live = dir.File(".port.ini.tmp-Live01");
  std::ofstream(live) << "x";
  const int held = open(live.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  SaveFileAtomically(f, "new");
  EXPECT_TRUE(fs::exists(live));
  close(held);
  for (const auto& e : entries) EXPECT_EQ(fs::exists(dir.File(e.name)), !e.removed) << e.name;
  EXPECT_TRUE(fs::is_directory(dir.File(".port.ini.tmp-DIRxyz"))) << "only regular files go";
  EXPECT_EQ(Read(f), "new");
}

TEST(OneReader, EveryReaderRefusesWhatIsNoRegularFileWithoutBlockingAndHoldsItsCap) {
  TTempDir dir;
  const std::string fifo = dir.File("pipe"), dangling = dir.File("dangling");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  ASSERT_EQ(symlink(dir.File("nowhere").c_str(), dangling.c_str()), 0);
  const struct {
    const char* name;
    std::function<void(const std::string&)> read;
  } readers[] = {
      {"LoadFileBytes", [](const std::string& f) { LoadFileBytes(f); }},
      {"TMemoryStream::LoadFromFile",
       [](const std::string& f) {
         TMemoryStream m;
         m.LoadFromFile(f);
       }},
      {"TStrings::LoadFromFile",
       [](const std::string& f) {
         TStringList l;
         l.LoadFromFile(f);
       }},
      {"TFileStream to read", [](const std::string& f) { TFileStream s(f, fmOpenRead); }},
      {"TFileStream to create", [](const std::string& f) { TFileStream s(f, fmCreate); }},
  };
  const struct {
    const char* name;
    std::string path;
    const char* says;
  } places[] = {
      {"a FIFO without a writer", fifo, "Not a regular file"},
      {"an endless device", "/dev/zero", "Not a regular file"},
      {"a dangling link", dangling, "link to a file that does not exist"},
  };
  for (const auto& r : readers)
    for (const auto& p : places) {
      SCOPED_TRACE(std::string(r.name) + " on " + p.name);
      try {
        r.read(p.path);
        ADD_FAILURE() << "no error";
      } catch (const Exception& e) {
        EXPECT_NE(e.Message().find(p.says), std::string::npos) << e.Message();
      }
    }
  EXPECT_THROW(LoadRegularFileBytes("/proc/self/status", 4), EFOpenError) << "a kernel file over the cap";
  EXPECT_GE(kMaxFileBytes, int64_t(1) << 30);
}

TEST(OneReader, AnIniFileForAnUpdateIsEmptyWhenMissingAndRefusedWhenUnreadable) {
  TTempDir dir;
  fs::create_directory(dir.File("folder.ini"));
  std::ofstream(dir.File("big.ini")) << std::string(2000, ';');
  std::ofstream(dir.File("good.ini")) << "[A]\nx=1\n";
  ASSERT_EQ(symlink(dir.File("nowhere.ini").c_str(), dir.File("dangling.ini").c_str()), 0);
  const struct {
    const char* name;
    bool refused;
    const char* says;
  } cases[] = {
      {"missing.ini", false, ""},
      {"good.ini", false, ""},
      {"folder.ini", true, "Not a regular file"},
      {"big.ini", true, "larger than 1000 bytes"},
      {"dangling.ini", true, "link to a file that does not exist"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TMemIniFile ini("");
    try {
      ini.OpenForUpdate(dir.File(c.name), 1000);
      EXPECT_FALSE(c.refused);
      EXPECT_EQ(ini.ReadString("A", "x", "none"), std::string(c.name) == "good.ini" ? "1" : "none");
      EXPECT_EQ(ini.FileName(), dir.File(c.name));
    } catch (const EFOpenError& e) {
      EXPECT_TRUE(c.refused);
      EXPECT_NE(e.Message().find(c.says), std::string::npos) << e.Message();
    }
  }
}

TEST(Excerpt, OutsideTextInAMessageIsCutShortOnACharacterBoundary) {
  EXPECT_EQ(Excerpt("short"), "short");
  EXPECT_EQ(Excerpt(std::string(100, 'x')), std::string(40, 'x') + "...");
  // A two-byte character across the cut is left out whole.
  EXPECT_EQ(Excerpt(std::string(39, 'x') + "\xC3\xA9" + "yyyy"), std::string(39, 'x') + "...");
  // Control bytes are shown escaped, so a NUL cannot end the message there; the cut counts
  // the bytes of the text, not of the escapes.
  const struct {
    std::string in, out;
  } escaped[] = {
      {std::string("a\0b", 3), "a\\x00b"},
      {"\t\r\n\x1F\x7F~", "\\x09\\x0D\\x0A\\x1F\\x7F~"},
      {std::string(41, '\0'), [] {
         std::string s;
         for (int i = 0; i < 40; ++i) s += "\\x00";
         return s + "...";
       }()},
  };
  for (const auto& e : escaped) EXPECT_EQ(Excerpt(e.in), e.out);
  try {
    StrToInt(std::string(1 << 20, 'q'));
    ADD_FAILURE() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_LT(e.Message().size(), 100u) << e.Message().substr(0, 200);
  }
}

// The settings store keeps a key's values in the order they were made, whatever is looked up,
// replaced or removed between, and finds keys and values without regard to case.
TEST(RegistryStore, ValuesKeepTheirCreationOrderAndKeysTheirNameOrder) {
  TRegistryStore store;
  TRegistryStore::TNode* n = store.Create(HKEY_CURRENT_USER, {"Software", "Order"});
  ASSERT_NE(n, nullptr);
  for (const char* v : {"Zeta", "alpha", "Mid", "beta", "Omega"}) n->SetValue(v, {rdString, v});
  n->SetValue("ALPHA", {rdString, "again"});  // replaced in place
  EXPECT_TRUE(n->RemoveValue("mid"));
  EXPECT_FALSE(n->RemoveValue("mid"));
  n->SetValue("Last", {rdString, "l"});
  std::string order;
  for (const auto& [name, v] : n->Values) order += name + "=" + v.Data + " ";
  EXPECT_EQ(order, "Zeta=Zeta alpha=again beta=beta Omega=Omega Last=l ");
  ASSERT_NE(n->FindValue("OMEGA"), nullptr);
  EXPECT_EQ(n->FindValue("omega")->Data, "Omega");
  EXPECT_EQ(n->FindValue("Mid"), nullptr);
  EXPECT_EQ(n->FindValue("last")->Data, "l");

  TRegistryStore::TNode* root = store.Find(HKEY_CURRENT_USER, {"Software"});
  for (const char* k : {"b", "C", "a", "B2"}) root->AddKey(k);
  EXPECT_EQ(root->AddKey("c"), root->FindKey("C")) << "one key whatever the case";
  std::string keys;
  for (const auto& [name, k] : root->Keys) keys += k->Name + " ";
  EXPECT_EQ(keys, "a b B2 C Order ");
  EXPECT_TRUE(root->RemoveKey("order"));
  EXPECT_EQ(root->FindKey("Order"), nullptr);

  // Saved and read back: the same order.
  std::string error;
  TRegistryStore again;
  ASSERT_TRUE(again.Parse(store.Serialize(), error)) << error;
  EXPECT_EQ(again.Serialize(), store.Serialize());
}

}  // namespace

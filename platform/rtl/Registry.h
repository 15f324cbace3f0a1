#pragma once
// The registry: keys holding named values, under the roots HKEY_CURRENT_USER and
// HKEY_LOCAL_MACHINE (and the other classic roots). Key and value names are
// compared without case. The whole registry lives in one file per user,
// "registry" in UserConfigDir(), written atomically when a key is closed.
// A damaged file loses only what cannot be read: the rest is used, a copy of the
// file is kept as "registry.damaged.N" (the first free N, earlier copies stay),
// the file is replaced at the next save, and TRegistry::OnStoreError hears of it
// once. A file that cannot be read at all (permissions, not a regular file, larger
// than MaxStoreFileBytes) is not damage: the store
// runs empty, never writes over it, and reports that once. A file that is
// read-only is never replaced either: that save fails. A failed save is
// reported each time. A save writes this run's changes over the file as it is at
// the save, under a lock on its folder: another instance's keys stay.
//
// Tests point the store elsewhere with TRegistry::SetStoreDirectory or the
// environment variable VELMARON_CONFIG_DIR; under the test runner (VELMARON_TEST
// set) the default is a directory of this process under the temporary directory.
// The store is used from one thread.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"

using HKEY = uintptr_t;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
constexpr HKEY HKEY_USERS = 0x80000003u;
constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005u;

// Access rights: accepted for compatibility, only the read-only opening is enforced.
constexpr uint32_t KEY_READ = 0x20019;
constexpr uint32_t KEY_WRITE = 0x20006;
constexpr uint32_t KEY_ALL_ACCESS = 0xF003F;

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegDataInfo {
  TRegDataType RegData = rdUnknown;
  int DataSize = 0;
};

struct TRegKeyInfo {
  int NumSubKeys = 0;
  int MaxSubKeyLen = 0;
  int NumValues = 0;
  int MaxValueLen = 0;
  int MaxDataLen = 0;
};

// The registry's contents and their file form.
class TRegistryStore {
 public:
  struct TValue {
    TRegDataType Type = rdUnknown;
    std::string Data;  // strings without terminator, integers as 4 bytes little-endian
  };
  // Names ordered without case, as the store compares them.
  struct TNameLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return CompareText(a, b) < 0; }
  };
  struct TNode {
    std::string Name;
    std::vector<std::pair<std::string, TValue>> Values;  // in creation order, as they are saved
    std::map<std::string, std::unique_ptr<TNode>, TNameLess> Keys;  // by name without case
    bool Volatile = false;  // made up from the machine, not saved

    TNode* FindKey(std::string_view name) const;
    TNode* AddKey(std::string_view name);
    bool RemoveKey(std::string_view name);
    TValue* FindValue(std::string_view name);
    void SetValue(std::string_view name, TValue value);
    bool RemoveValue(std::string_view name);

   private:
    // Where each value stands in Values, by its name without case: a lookup is no scan.
    std::map<std::string, size_t, TNameLess> valueAt_;
  };

  TRegistryStore();
  // Replaces the contents with every well-formed key and value of the text. Lines
  // that cannot be read are skipped (the values below an unreadable key line with
  // them); then the result is false and error names them ("line 3: bad value data").
  bool Parse(std::string_view text, std::string& error);
  std::string Serialize() const;
  void Clear();

  // The node of a root key, null for an unknown root.
  TNode* Root(HKEY root);
  TNode* Find(HKEY root, const std::vector<std::string>& path);
  // Null for a key deeper than MaxKeyDepth below its root or with a name longer than MaxKeyName.
  TNode* Create(HKEY root, const std::vector<std::string>& path);
  // The registry's own limits: a file asking for more is refused whole.
  static constexpr size_t MaxKeyDepth = 512, MaxKeyName = 255;
  // The last Parse met a key beyond the limits: nothing of the text is kept.
  bool Refused() const { return refused_; }
  // Removes the key with all it holds.
  bool Delete(HKEY root, const std::vector<std::string>& path);

  static const char* RootName(HKEY root);

 private:
  std::vector<std::pair<HKEY, std::unique_ptr<TNode>>> roots_;
  bool refused_ = false;
};

class TRegistry : public TObject {
 public:
  TRegistry();
  explicit TRegistry(uint32_t access);
  // Closes the current key (saving pending changes).
  ~TRegistry() override;

  HKEY RootKey() const { return root_; }
  // Closes the current key first.
  void SetRootKey(HKEY root);
  // Path of the open key below the root, without a leading backslash.
  std::string CurrentPath() const;
  // Non-zero while a key is open.
  HKEY CurrentKey() const { return open_ ? root_ : 0; }
  uint32_t Access() const { return access_; }
  void SetAccess(uint32_t access) { access_ = access; }
  bool LazyWrite = true;

  // A path with a leading backslash starts at the root, any other below the open key
  // (or the root when none is open). False when the key is missing and not created.
  bool OpenKey(const std::string& key, bool canCreate);
  bool OpenKeyReadOnly(const std::string& key);
  // Saves pending changes of the store.
  void CloseKey();
  bool CreateKey(const std::string& key);
  // Removes the key and everything below it.
  bool DeleteKey(const std::string& key);
  bool KeyExists(const std::string& key);
  bool ValueExists(const std::string& name);
  bool DeleteValue(const std::string& name);
  bool RenameValue(const std::string& oldName, const std::string& newName);
  bool HasSubKeys();
  bool GetKeyInfo(TRegKeyInfo& info);
  // Sub-key names in order without case / value names in creation order.
  void GetKeyNames(TStrings* strings);
  void GetValueNames(TStrings* strings);
  bool GetDataInfo(const std::string& name, TRegDataInfo& info);
  TRegDataType GetDataType(const std::string& name);
  // Bytes of the value (strings count their terminator), -1 when missing.
  int GetDataSize(const std::string& name);

  // Reads raise ERegistryException "Failed to get data for '%s'" for a missing value
  // (ReadString gives "" instead) and "Invalid data type for '%s'" for another type.
  std::string ReadString(const std::string& name);
  int ReadInteger(const std::string& name);
  bool ReadBool(const std::string& name);
  double ReadFloat(const std::string& name);
  TDateTime ReadDateTime(const std::string& name);
  TDateTime ReadDate(const std::string& name) { return ReadDateTime(name); }
  TDateTime ReadTime(const std::string& name) { return ReadDateTime(name); }
  // Copies up to bufSize bytes of a binary value; returns the bytes copied, 0 when missing.
  int ReadBinaryData(const std::string& name, void* buffer, int bufSize);
  std::string ReadBinary(const std::string& name);

  // Writes raise ERegistryException "Failed to set data for '%s'" without an open
  // key or on a key opened read-only.
  void WriteString(const std::string& name, const std::string& value);
  void WriteExpandString(const std::string& name, const std::string& value);
  void WriteInteger(const std::string& name, int value);
  void WriteBool(const std::string& name, bool value);
  void WriteFloat(const std::string& name, double value);
  void WriteDateTime(const std::string& name, TDateTime value);
  void WriteDate(const std::string& name, TDateTime value) { WriteDateTime(name, value); }
  void WriteTime(const std::string& name, TDateTime value) { WriteDateTime(name, value); }
  void WriteBinaryData(const std::string& name, const void* buffer, int size);

  // The store. SetStoreDirectory("") returns to the default directory.
  static void SetStoreDirectory(const std::string& dir);
  static std::string StoreDirectory();
  static std::string StoreFileName();
  // A settings file beyond this is refused rather than read.
  static constexpr int64_t MaxStoreFileBytes = int64_t(16) << 20;
  // Saves pending changes; false when saving failed (StoreError set) or the file
  // is left alone because it could not be read.
  static bool FlushStore();
  // Text of the last damage, unreadable file or save failure, "" when none.
  static std::string StoreError();
  // Called once per damaged or unreadable file and per failed save, with a message
  // for the user.
  static std::function<void(const std::string& message)> OnStoreError;

 private:
  TRegistryStore::TNode* CurrentNode();
  TRegistryStore::TNode* WritableNode(const std::string& name);
  TRegistryStore::TValue* ValueOf(const std::string& name);
  void PutValue(const std::string& name, TRegDataType type, std::string data);
  [[noreturn]] static void ReadError(const std::string& name);
  // Resolves a key path against the open key; false when it is malformed.
  bool Resolve(const std::string& key, std::vector<std::string>& path) const;

  HKEY root_ = HKEY_CURRENT_USER;
  std::vector<std::string> path_;
  bool open_ = false;
  bool readOnly_ = false;
  uint32_t access_ = KEY_ALL_ACCESS;
};

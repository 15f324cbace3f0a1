#pragma once
// Objects, persistent objects, components with ownership and notifications,
// pointer lists, string lists, collections and streams.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Types.h"

// ---------------------------------------------------------------------------
// Objects

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
  // The class's name ("TStringList"); the default reads the dynamic type.
  virtual std::string ClassName() const;
};

// Name of the dynamic type of obj without namespaces or templates, "nil" for null.
std::string ClassNameOf(const TObject* obj);

using TNotifyEvent = std::function<void(TObject* Sender)>;

class TPersistent : public TObject {
 public:
  // Copies source into this object. The default asks source->AssignTo(this) and,
  // when nothing can copy, raises EConvertError "Cannot assign a %s to a %s".
  virtual void Assign(TPersistent* source);
  virtual std::string GetNamePath() const { return ClassName(); }

 protected:
  virtual void AssignTo(TPersistent* dest);
  // Raises EConvertError "Cannot assign a <source class> to a <this class>".
  [[noreturn]] void AssignError(const TPersistent* source) const;
};

// ---------------------------------------------------------------------------
// Components

enum TOperation { opInsert, opRemove };

enum TComponentStateFlag : uint32_t {
  csLoading = 1u << 0,
  csReading = 1u << 1,
  csWriting = 1u << 2,
  csDestroying = 1u << 3,
  csDesigning = 1u << 4,
  csAncestor = 1u << 5,
  csUpdating = 1u << 6,
  csFixups = 1u << 7,
  csFreeNotification = 1u << 8,
  csInline = 1u << 9,
  csDesignInstance = 1u << 10,
};
using TComponentState = uint32_t;

class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* owner);
  // Notifies the components that asked for free notification, destroys every owned
  // component (last first) and leaves the owner.
  ~TComponent() override;

  TComponent* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  // Raises EComponentError "'%s' is not a valid component name" or
  // "A component named %s already exists" (names are unique per owner, without case).
  void SetName(const std::string& name);
  NativeInt Tag() const { return tag_; }
  void SetTag(NativeInt tag) { tag_ = tag; }

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  // Raises EListError "List index out of bounds (%d)".
  TComponent* Components(int index) const;
  // Position in the owner's list, -1 without an owner.
  int ComponentIndex() const;
  // Owned component with the name (without case), or null.
  TComponent* FindComponent(const std::string& name) const;
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  // Destroys every owned component.
  void DestroyComponents();

  TComponentState ComponentState() const { return state_; }
  // Marks this component and every component it owns as being designed.
  void SetDesigning(bool value);

  // Each of the two components hears of the other's destruction through Notification(opRemove).
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  // Start and end of building a component's layout: BeginLoading sets csLoading, which
  // components inserted into this one meanwhile inherit; EndLoading calls Loaded for this
  // component and then for every owned component still loading.
  void BeginLoading();
  void EndLoading();

  // Sets csDestroying on this component and all it owns. Derived destructors that act
  // on owned components may call it first.
  void Destroying();

  // Calls an event handler unless this component's destruction has begun (the handler may
  // belong to a derived part that is already gone). It runs from a copy: a handler that frees
  // this component, and the event with it, keeps its own captures until it returns.
  template <class F, class... A>
  void FireEvent(const F& event, A&&... args) {
    if (!event || (state_ & csDestroying)) return;
    F handler = event;
    handler(std::forward<A>(args)...);
  }

  std::string GetNamePath() const override;

  // Called when `component` is inserted into or removed from the owner tree, and on
  // free notification. The default forgets a free-notification link and passes the
  // call to every owned component.
  virtual void Notification(TComponent* component, TOperation operation);

 protected:
  // Called after the layout has been built; the default clears csLoading.
  virtual void Loaded();
  virtual void ValidateRename(TComponent* component, const std::string& curName,
                              const std::string& newName);
  void SetComponentState(TComponentState state) { state_ = state; }

 private:
  void Insert(TComponent* component);
  void Remove(TComponent* component);
  void AddFreeLink(TComponent* component);
  void RemoveFreeLink(TComponent* component);

  TComponent* owner_ = nullptr;
  std::string name_;
  NativeInt tag_ = 0;
  TComponentState state_ = 0;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
};

// ---------------------------------------------------------------------------
// Pointer list

enum TListNotification { lnAdded, lnExtracted, lnDeleted };
using TListSortCompare = std::function<int(void* item1, void* item2)>;

class TList : public TObject {
 public:
  ~TList() override;
  int Add(void* item);
  void Insert(int index, void* item);
  void Delete(int index);
  // Removes the first occurrence; returns its former index or -1.
  int Remove(void* item);
  // Removes the item without the deletion notification; returns it or null.
  void* Extract(void* item);
  void Clear();
  int IndexOf(void* item) const;
  void Exchange(int index1, int index2);
  void Move(int curIndex, int newIndex);
  // Removes every null item.
  void Pack();
  // Stable sort.
  void Sort(const TListSortCompare& compare);
  void* First() const;
  void* Last() const;
  TList* Expand();
  void Assign(TList* source);

  int Count() const { return static_cast<int>(items_.size()); }
  // Grows with nulls or shrinks (raising "List count out of bounds (%d)" when negative).
  void SetCount(int count);
  int Capacity() const { return static_cast<int>(items_.capacity()); }
  void SetCapacity(int capacity);
  // Raise EListError "List index out of bounds (%d)".
  void* Items(int index) const;
  void SetItems(int index, void* item);
  void* operator[](int index) const { return Items(index); }
  void** List() { return items_.data(); }

 protected:
  virtual void Notify(void* ptr, TListNotification action) {}
  [[noreturn]] static void Error(const char* fmt, int data);

 private:
  std::vector<void*> items_;
};

// A list of objects that it destroys when they are deleted (OwnsObjects).
class TObjectList : public TList {
 public:
  explicit TObjectList(bool ownsObjects = true) : ownsObjects_(ownsObjects) {}
  ~TObjectList() override;
  int Add(TObject* obj) { return TList::Add(obj); }
  TObject* Items(int index) const { return static_cast<TObject*>(TList::Items(index)); }
  bool OwnsObjects() const { return ownsObjects_; }
  void SetOwnsObjects(bool v) { ownsObjects_ = v; }

 protected:
  void Notify(void* ptr, TListNotification action) override;

 private:
  bool ownsObjects_;
};

// ---------------------------------------------------------------------------
// Streams

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };
constexpr int soFromBeginning = 0;
constexpr int soFromCurrent = 1;
constexpr int soFromEnd = 2;

// File modes: one access mode combined with one share mode (share modes are accepted
// and not enforced), or fmCreate.
constexpr uint32_t fmOpenRead = 0x0000;
constexpr uint32_t fmOpenWrite = 0x0001;
constexpr uint32_t fmOpenReadWrite = 0x0002;
constexpr uint32_t fmShareCompat = 0x0000;
constexpr uint32_t fmShareExclusive = 0x0010;
constexpr uint32_t fmShareDenyWrite = 0x0020;
constexpr uint32_t fmShareDenyRead = 0x0030;
constexpr uint32_t fmShareDenyNone = 0x0040;
constexpr uint32_t fmCreate = 0xFFFF;

class TStream : public TObject {
 public:
  // Bytes read or written, which may be fewer than asked.
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t pos) { Seek(pos, soBeginning); }
  virtual int64_t Size();
  virtual void SetSize(int64_t size);

  // Raise EReadError "Stream read error" / EWriteError "Stream write error" when short.
  void ReadBuffer(void* buffer, int64_t count);
  void WriteBuffer(const void* buffer, int64_t count);
  void WriteString(std::string_view s) { WriteBuffer(s.data(), static_cast<int64_t>(s.size())); }
  // Copies count bytes from source (0: all of source from its start); returns bytes copied.
  int64_t CopyFrom(TStream* source, int64_t count);
  // Everything from the current position to the end.
  std::string ReadAll();
};

class TCustomMemoryStream : public TStream {
 public:
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(data_.size()); }
  const char* Memory() const { return data_.data(); }
  char* Memory() { return data_.data(); }
  const std::string& Bytes() const { return data_; }
  // Writes the whole contents (atomically for files).
  void SaveToStream(TStream* stream);
  void SaveToFile(const std::string& fileName);

 protected:
  std::string data_;
  int64_t pos_ = 0;
};

class TMemoryStream : public TCustomMemoryStream {
 public:
  int64_t Write(const void* buffer, int64_t count) override;
  void SetSize(int64_t size) override;
  void Clear();
  // Replaces the contents with the whole stream / the file's bytes; position 0.
  void LoadFromStream(TStream* stream);
  void LoadFromFile(const std::string& fileName);
};

class TStringStream : public TMemoryStream {
 public:
  explicit TStringStream(const std::string& s = std::string());
  const std::string& DataString() const { return data_; }
  // Up to count bytes from the position.
  std::string ReadString(int64_t count);
};

class TFileStream : public TStream {
 public:
  // Raises EFCreateError "Cannot create file \"%s\". %s" or EFOpenError
  // "Cannot open file \"%s\". %s".
  TFileStream(const std::string& fileName, uint32_t mode);
  ~TFileStream() override;
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  void SetSize(int64_t size) override;
  const std::string& FileName() const { return fileName_; }
  int Handle() const { return fd_; }

 private:
  std::string fileName_;
  int fd_ = -1;
};

// ---------------------------------------------------------------------------
// String lists

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStrings : public TPersistent {
 public:
  // Core operations of a concrete list.
  virtual int Count() const = 0;
  virtual std::string Get(int index) const = 0;
  virtual void Put(int index, const std::string& s);
  virtual TObject* GetObject(int index) const { return nullptr; }
  virtual void PutObject(int index, TObject* obj) {}
  virtual void Clear() = 0;
  virtual void Delete(int index) = 0;
  virtual void Insert(int index, const std::string& s) = 0;
  virtual void InsertObject(int index, const std::string& s, TObject* obj);

  virtual int Add(const std::string& s);
  virtual int AddObject(const std::string& s, TObject* obj);
  void Append(const std::string& s) { Add(s); }
  void AddStrings(TStrings* strings);
  virtual void Exchange(int index1, int index2);
  virtual void Move(int curIndex, int newIndex);
  // First string equal to s without case (case-sensitive lists compare with case); -1 if none.
  virtual int IndexOf(const std::string& s) const;
  int IndexOfName(const std::string& name) const;
  int IndexOfObject(TObject* obj) const;
  bool Equals(TStrings* strings) const;
  void Assign(TPersistent* source) override;

  std::string Strings(int index) const { return Get(index); }
  void SetStrings(int index, const std::string& s) { Put(index, s); }
  std::string operator[](int index) const { return Get(index); }
  TObject* Objects(int index) const { return GetObject(index); }
  void SetObjects(int index, TObject* obj) { PutObject(index, obj); }

  // "name=value" pairs.
  std::string Names(int index) const;
  std::string ValueFromIndex(int index) const;
  std::string Values(const std::string& name) const;
  // An empty value deletes the pair.
  void SetValues(const std::string& name, const std::string& value);
  char NameValueSeparator() const { return nameValueSeparator_; }
  void SetNameValueSeparator(char c) { nameValueSeparator_ = c; }

  // Every string followed by CRLF.
  std::string Text() const;
  // Splits at CR, LF or CRLF.
  virtual void SetText(const std::string& text);
  std::string CommaText() const;
  void SetCommaText(const std::string& text);
  std::string DelimitedText() const;
  void SetDelimitedText(const std::string& text);
  char Delimiter() const { return delimiter_; }
  void SetDelimiter(char c) { delimiter_ = c; }
  char QuoteChar() const { return quoteChar_; }
  void SetQuoteChar(char c) { quoteChar_ = c; }
  // Only the delimiter separates (blanks do not).
  bool StrictDelimiter() const { return strictDelimiter_; }
  void SetStrictDelimiter(bool v) { strictDelimiter_ = v; }

  virtual void LoadFromFile(const std::string& fileName);
  virtual void LoadFromStream(TStream* stream);
  // Saving to a file is atomic: a failed save keeps the old file.
  virtual void SaveToFile(const std::string& fileName);
  virtual void SaveToStream(TStream* stream);

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  virtual bool CaseSensitive() const { return false; }

 protected:
  virtual void SetUpdateState(bool updating) {}
  // Comparison used by IndexOf, Find and Sort.
  virtual int CompareStrings(const std::string& a, const std::string& b) const;
  [[noreturn]] static void Error(const char* fmt, int data);

 private:
  std::string GetDelimitedText(char delimiter, char quote, bool strict) const;
  void SetDelimitedText(const std::string& text, char delimiter, char quote, bool strict);

  int updateCount_ = 0;
  char nameValueSeparator_ = '=';
  char delimiter_ = ',';
  char quoteChar_ = '"';
  bool strictDelimiter_ = false;
};

class TStringList;
using TStringListSortCompare = std::function<int(TStringList* list, int index1, int index2)>;

class TStringList : public TStrings {
 public:
  TStringList() = default;
  ~TStringList() override;

  int Count() const override { return static_cast<int>(items_.size()); }
  std::string Get(int index) const override;
  const std::string& StringRef(int index) const;
  void Put(int index, const std::string& s) override;
  TObject* GetObject(int index) const override;
  void PutObject(int index, TObject* obj) override;
  void Clear() override;
  void Delete(int index) override;
  // Raises EStringListError "Operation not allowed on sorted list" when sorted.
  void Insert(int index, const std::string& s) override;
  void InsertObject(int index, const std::string& s, TObject* obj) override;
  // Sorted: inserted at its place; a duplicate is ignored, accepted or refused
  // ("String list does not allow duplicates") as Duplicates says; returns the index.
  int Add(const std::string& s) override;
  int AddObject(const std::string& s, TObject* obj) override;
  void Exchange(int index1, int index2) override;
  void Move(int curIndex, int newIndex) override;
  int IndexOf(const std::string& s) const override;
  void SetText(const std::string& text) override;

  // Binary search of a sorted list: true when found, index is the match (the first of
  // equal strings) or the place to insert. On an unsorted list it searches linearly.
  bool Find(const std::string& s, int& index) const;
  // Stable sort by CompareStrings.
  virtual void Sort();
  virtual void CustomSort(const TStringListSortCompare& compare);

  bool Sorted() const { return sorted_; }
  void SetSorted(bool v);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates d) { duplicates_ = d; }
  bool CaseSensitive() const override { return caseSensitive_; }
  void SetCaseSensitive(bool v);
  // Objects are destroyed with their strings.
  bool OwnsObjects() const { return ownsObjects_; }
  void SetOwnsObjects(bool v) { ownsObjects_ = v; }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  virtual void Changed();
  virtual void Changing();
  void SetUpdateState(bool updating) override;

 private:
  struct TItem {
    std::string s;
    TObject* obj = nullptr;
  };
  void InsertItem(int index, std::string s, TObject* obj);
  void CheckIndex(int index) const;
  void SortItems(const std::function<bool(const TItem&, const TItem&)>& less);

  std::vector<TItem> items_;
  bool sorted_ = false;
  bool caseSensitive_ = false;
  bool ownsObjects_ = false;
  TDuplicates duplicates_ = dupIgnore;
};

// ---------------------------------------------------------------------------
// Collections

class TCollection;

class TCollectionItem : public TPersistent {
 public:
  // Joins the collection (at its end) when one is given. Create items through
  // TCollection::Add or Insert: those tell the collection of the new item only once
  // it is fully constructed.
  explicit TCollectionItem(TCollection* collection);
  // Leaves the collection.
  ~TCollectionItem() override;

  TCollection* Collection() const { return collection_; }
  void SetCollection(TCollection* collection);
  int Index() const;
  // Moves the item within its collection.
  void SetIndex(int index);
  int ID() const { return id_; }
  virtual std::string DisplayName() const;
  std::string GetNamePath() const override;

 protected:
  // Tells the collection that this item (or, with allItems, every item) changed.
  void Changed(bool allItems);

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  int id_ = 0;
  // Where Index last found the item: checked first, so asking again costs no search.
  mutable int indexHint_ = 0;
};

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

// Creates one item of a collection's class inside that collection.
using TCollectionItemClass = std::function<TCollectionItem*(TCollection*)>;

template <class T>
TCollectionItemClass CollectionItemClass() {
  return [](TCollection* c) -> TCollectionItem* { return new T(c); };
}

class TCollection : public TPersistent {
 public:
  explicit TCollection(TCollectionItemClass itemClass);
  // Destroys every item.
  ~TCollection() override;

  TCollectionItem* Add();
  TCollectionItem* Insert(int index);
  // Destroys the item at index (EListError "List index out of bounds (%d)").
  void Delete(int index);
  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }
  // Counts the changes of the item list (an item added, removed or moved), so a reader can
  // tell that what it built from the list is out of date.
  unsigned Revision() const { return revision_; }
  TCollectionItem* Items(int index) const;
  // Assigns source into the item at index.
  void SetItems(int index, TCollectionItem* source);
  TCollectionItem* FindItemID(int id) const;
  // Replaces the items with copies of source's items (each made by Add and Assign).
  void Assign(TPersistent* source) override;
  const TCollectionItemClass& ItemClass() const { return itemClass_; }

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  // The persistent object that holds the collection, for name paths.
  virtual TPersistent* GetOwner() const { return nullptr; }
  std::string GetNamePath() const override;

 protected:
  // Called after a change: item is the changed item, or null when several changed.
  // Not called while updates are pending; EndUpdate then calls Update(nullptr).
  virtual void Update(TCollectionItem* item) {}
  virtual void Notify(TCollectionItem* item, TCollectionNotification action) {}
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* item);
  void RemoveItem(TCollectionItem* item);
  void MoveItem(TCollectionItem* item, int newIndex);
  void ItemChanged(TCollectionItem* item);

  TCollectionItemClass itemClass_;
  std::vector<TCollectionItem*> items_;
  int nextId_ = 0;
  int updateCount_ = 0;
  int adding_ = 0;
  unsigned revision_ = 0;
};

// A collection that names its owner.
class TOwnedCollection : public TCollection {
 public:
  TOwnedCollection(TPersistent* owner, TCollectionItemClass itemClass)
      : TCollection(std::move(itemClass)), owner_(owner) {}
  TPersistent* GetOwner() const override { return owner_; }

 private:
  TPersistent* owner_;
};

// ---------------------------------------------------------------------------
// Text files: read lines ended by CRLF or LF, write CRLF. Failures raise
// EInOutError with the code and the class library's text.

class TTextFile {
 public:
  TTextFile() = default;
  explicit TTextFile(const std::string& fileName) : fileName_(fileName) {}
  ~TTextFile();
  TTextFile(const TTextFile&) = delete;
  TTextFile& operator=(const TTextFile&) = delete;

  void AssignFile(const std::string& fileName);
  const std::string& FileName() const { return fileName_; }
  // Opens for reading (code 2 "File not found" when missing).
  void Reset();
  // Starts a new file for writing. It replaces the old file only when CloseFile
  // succeeds; a file never closed leaves the old file as it was.
  void Rewrite();
  // Opens for writing at the end.
  void Append();
  void CloseFile();
  bool IsOpen() const { return open_; }

  bool Eof();
  // Next line without its line end; "" at the end of the file.
  std::string ReadLn();
  void Write(std::string_view s);
  void WriteLn(std::string_view s = std::string_view());
  void Flush();

 private:
  void CheckOpen(bool forWriting);
  void Fill();

  std::string fileName_;
  std::string tmpName_;  // written file that replaces target_ on CloseFile
  std::string target_;   // fileName_, or the file its symbolic link names
  int fd_ = -1;
  bool open_ = false;
  bool writing_ = false;
  std::string buffer_;
  size_t bufPos_ = 0;
  bool atEnd_ = false;
};

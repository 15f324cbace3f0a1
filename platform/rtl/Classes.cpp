#include "platform/rtl/Classes.h"

#include <cxxabi.h>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <typeinfo>

// ===========================================================================
// TObject, TPersistent

namespace {

std::string ShortTypeName(const std::type_info& ti) {
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> dem(abi::__cxa_demangle(ti.name(), nullptr, nullptr, &status),
                                             std::free);
  std::string name = (status == 0 && dem) ? dem.get() : ti.name();
  size_t lt = name.find('<');
  if (lt != std::string::npos) name.resize(lt);
  size_t colon = name.rfind("::");
  if (colon != std::string::npos) name = name.substr(colon + 2);
  return name;
}

}  // namespace

std::string TObject::ClassName() const { return ShortTypeName(typeid(*this)); }

std::string ClassNameOf(const TObject* obj) { return obj ? obj->ClassName() : std::string("nil"); }

void TPersistent::Assign(TPersistent* source) {
  if (source) {
    source->AssignTo(this);
    return;
  }
  AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) { dest->AssignError(this); }

void TPersistent::AssignError(const TPersistent* source) const {
  throw EConvertError("Cannot assign a %s to a %s", {ClassNameOf(source), ClassName()});
}

// ===========================================================================
// TComponent

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // Tell everyone linked to us; each forgets the link in its Notification.
  while (!freeNotifies_.empty()) {
    TComponent* other = freeNotifies_.back();
    freeNotifies_.pop_back();
    other->RemoveFreeLink(this);
    other->Notification(this, opRemove);
  }
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) throw EListError("List index out of bounds (%d)", {index});
  return components_[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const {
  if (!owner_) return -1;
  auto& v = owner_->components_;
  auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (SameText(c->name_, name)) return c;
  return nullptr;
}

void TComponent::ValidateRename(TComponent* component, const std::string& curName,
                                const std::string& newName) {
  if (newName.empty()) return;
  if (component && component->owner_ == this && SameText(curName, newName)) return;
  TComponent* found = FindComponent(newName);
  if (found && found != component) throw EComponentError("A component named %s already exists", {newName});
}

void TComponent::SetName(const std::string& name) {
  if (name_ == name) return;
  if (!name.empty() && !IsValidIdent(name)) throw EComponentError("'%s' is not a valid component name", {name});
  if (owner_) owner_->ValidateRename(this, name_, name);
  else ValidateRename(nullptr, name_, name);
  name_ = name;
}

void TComponent::Insert(TComponent* component) {
  components_.push_back(component);
  component->owner_ = this;
  if (state_ & csLoading) component->state_ |= csLoading;
  if (state_ & csDesigning) component->SetDesigning(true);
}

void TComponent::Remove(TComponent* component) {
  auto it = std::find(components_.begin(), components_.end(), component);
  if (it != components_.end()) components_.erase(it);
  component->owner_ = nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
  if (!component || component->owner_ == this) return;
  ValidateRename(component, std::string(), component->name_);
  if (component->owner_) component->owner_->RemoveComponent(component);
  Insert(component);
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (!component || component->owner_ != this) return;
  Notification(component, opRemove);
  Remove(component);
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* c = components_.back();
    Remove(c);
    delete c;
  }
}

void TComponent::Destroying() {
  if (state_ & csDestroying) return;
  state_ |= csDestroying;
  for (TComponent* c : components_) c->Destroying();
}

void TComponent::SetDesigning(bool value) {
  if (value) state_ |= csDesigning;
  else state_ &= ~static_cast<uint32_t>(csDesigning);
  for (TComponent* c : components_) c->SetDesigning(value);
}

void TComponent::AddFreeLink(TComponent* component) {
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end())
    freeNotifies_.push_back(component);
  state_ |= csFreeNotification;
}

void TComponent::RemoveFreeLink(TComponent* component) {
  auto it = std::find(freeNotifies_.begin(), freeNotifies_.end(), component);
  if (it != freeNotifies_.end()) freeNotifies_.erase(it);
  if (freeNotifies_.empty()) state_ &= ~static_cast<uint32_t>(csFreeNotification);
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  AddFreeLink(component);
  component->AddFreeLink(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (!component) return;
  RemoveFreeLink(component);
  component->RemoveFreeLink(this);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component) RemoveFreeLink(component);
  // Last to first; a handler may free components of this owner, so recheck the bound.
  for (size_t i = components_.size(); i-- > 0;)
    if (i < components_.size()) components_[i]->Notification(component, operation);
}

void TComponent::BeginLoading() {
  state_ |= csLoading;
  for (TComponent* c : components_) c->state_ |= csLoading;
}

void TComponent::EndLoading() {
  if (state_ & csLoading) Loaded();
  std::vector<TComponent*> owned = components_;
  for (TComponent* c : owned)
    if (c->state_ & csLoading) c->Loaded();
}

void TComponent::Loaded() { state_ &= ~static_cast<uint32_t>(csLoading); }

std::string TComponent::GetNamePath() const { return name_; }

// ===========================================================================
// TList

TList::~TList() {
  // The derived part is gone: no Notify calls here, like the library's destructor.
  items_.clear();
}

void TList::Error(const char* fmt, int data) { throw EListError(fmt, {data}); }

int TList::Add(void* item) {
  items_.push_back(item);
  if (item) Notify(item, lnAdded);
  return Count() - 1;
}

void TList::Insert(int index, void* item) {
  if (index < 0 || index > Count()) Error("List index out of bounds (%d)", index);
  items_.insert(items_.begin() + index, item);
  if (item) Notify(item, lnAdded);
}

void TList::Delete(int index) {
  if (index < 0 || index >= Count()) Error("List index out of bounds (%d)", index);
  void* p = items_[static_cast<size_t>(index)];
  items_.erase(items_.begin() + index);
  if (p) Notify(p, lnDeleted);
}

int TList::Remove(void* item) {
  int i = IndexOf(item);
  if (i >= 0) Delete(i);
  return i;
}

void* TList::Extract(void* item) {
  int i = IndexOf(item);
  if (i < 0) return nullptr;
  items_.erase(items_.begin() + i);
  if (item) Notify(item, lnExtracted);
  return item;
}

void TList::Clear() {
  while (!items_.empty()) Delete(Count() - 1);
  items_.shrink_to_fit();
}

int TList::IndexOf(void* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TList::Exchange(int index1, int index2) {
  if (index1 < 0 || index1 >= Count()) Error("List index out of bounds (%d)", index1);
  if (index2 < 0 || index2 >= Count()) Error("List index out of bounds (%d)", index2);
  std::swap(items_[static_cast<size_t>(index1)], items_[static_cast<size_t>(index2)]);
}

void TList::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  if (newIndex < 0 || newIndex >= Count()) Error("List index out of bounds (%d)", newIndex);
  if (curIndex < 0 || curIndex >= Count()) Error("List index out of bounds (%d)", curIndex);
  void* p = items_[static_cast<size_t>(curIndex)];
  items_.erase(items_.begin() + curIndex);
  items_.insert(items_.begin() + newIndex, p);
}

void TList::Pack() {
  for (int i = Count() - 1; i >= 0; --i)
    if (!items_[static_cast<size_t>(i)]) items_.erase(items_.begin() + i);
}

void TList::Sort(const TListSortCompare& compare) {
  std::stable_sort(items_.begin(), items_.end(), [&](void* a, void* b) { return compare(a, b) < 0; });
}

void* TList::First() const { return Items(0); }
void* TList::Last() const { return Items(Count() - 1); }

TList* TList::Expand() {
  if (items_.size() == items_.capacity()) items_.reserve(items_.capacity() < 8 ? 16 : items_.capacity() * 2);
  return this;
}

void TList::Assign(TList* source) {
  Clear();
  if (!source) return;
  for (void* p : source->items_) Add(p);
}

void TList::SetCount(int count) {
  if (count < 0) Error("List count out of bounds (%d)", count);
  while (Count() > count) Delete(Count() - 1);
  items_.resize(static_cast<size_t>(count), nullptr);
}

void TList::SetCapacity(int capacity) {
  if (capacity < Count()) Error("List capacity out of bounds (%d)", capacity);
  items_.reserve(static_cast<size_t>(capacity));
}

void* TList::Items(int index) const {
  if (index < 0 || index >= Count()) Error("List index out of bounds (%d)", index);
  return items_[static_cast<size_t>(index)];
}

void TList::SetItems(int index, void* item) {
  if (index < 0 || index >= Count()) Error("List index out of bounds (%d)", index);
  void* old = items_[static_cast<size_t>(index)];
  if (old == item) return;
  items_[static_cast<size_t>(index)] = item;
  if (old) Notify(old, lnDeleted);
  if (item) Notify(item, lnAdded);
}

TObjectList::~TObjectList() { Clear(); }

void TObjectList::Notify(void* ptr, TListNotification action) {
  if (ownsObjects_ && action == lnDeleted) delete static_cast<TObject*>(ptr);
}

// ===========================================================================
// Streams

int64_t TStream::Size() {
  int64_t pos = Seek(0, soCurrent);
  int64_t size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::SetSize(int64_t) {}

void TStream::ReadBuffer(void* buffer, int64_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream* source, int64_t count) {
  if (count == 0) {
    source->SetPosition(0);
    count = source->Size();
  }
  int64_t total = count;
  std::vector<char> buf(static_cast<size_t>(std::min<int64_t>(std::max<int64_t>(count, 1), 1 << 16)));
  while (count > 0) {
    int64_t n = std::min<int64_t>(count, static_cast<int64_t>(buf.size()));
    source->ReadBuffer(buf.data(), n);
    WriteBuffer(buf.data(), n);
    count -= n;
  }
  return total;
}

std::string TStream::ReadAll() {
  std::string r;
  char buf[65536];
  while (true) {
    int64_t n = Read(buf, sizeof buf);
    if (n <= 0) break;
    r.append(buf, static_cast<size_t>(n));
  }
  return r;
}

int64_t TCustomMemoryStream::Read(void* buffer, int64_t count) {
  int64_t size = Size();
  if (count <= 0 || pos_ < 0 || pos_ >= size) return 0;
  int64_t n = std::min(count, size - pos_);
  std::memcpy(buffer, data_.data() + pos_, static_cast<size_t>(n));
  pos_ += n;
  return n;
}

int64_t TCustomMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  switch (origin) {
    case soBeginning: pos_ = offset; break;
    case soCurrent: pos_ += offset; break;
    case soEnd: pos_ = Size() + offset; break;
  }
  if (pos_ < 0) pos_ = 0;
  return pos_;
}

void TCustomMemoryStream::SaveToStream(TStream* stream) {
  stream->WriteBuffer(data_.data(), static_cast<int64_t>(data_.size()));
}

void TCustomMemoryStream::SaveToFile(const std::string& fileName) { SaveFileAtomically(fileName, data_); }

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0 || pos_ < 0) return 0;
  size_t end = static_cast<size_t>(pos_ + count);
  if (end > data_.size()) data_.resize(end, '\0');
  std::memcpy(data_.data() + pos_, buffer, static_cast<size_t>(count));
  pos_ += count;
  return count;
}

void TMemoryStream::SetSize(int64_t size) {
  if (size < 0) size = 0;
  data_.resize(static_cast<size_t>(size), '\0');
  if (pos_ > size) pos_ = size;
}

void TMemoryStream::Clear() {
  data_.clear();
  data_.shrink_to_fit();
  pos_ = 0;
}

void TMemoryStream::LoadFromStream(TStream* stream) {
  stream->SetPosition(0);
  int64_t n = stream->Size();
  data_.assign(static_cast<size_t>(n), '\0');
  stream->ReadBuffer(data_.data(), n);
  pos_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
  data_ = LoadFileBytes(fileName);
  pos_ = 0;
}

TStringStream::TStringStream(const std::string& s) { data_ = s; }

std::string TStringStream::ReadString(int64_t count) {
  int64_t size = Size();
  if (count <= 0 || pos_ >= size) return std::string();
  int64_t n = std::min(count, size - pos_);
  std::string r = data_.substr(static_cast<size_t>(pos_), static_cast<size_t>(n));
  pos_ += n;
  return r;
}

TFileStream::TFileStream(const std::string& fileName, uint32_t mode) : fileName_(fileName) {
  // Opened without blocking and kept only when it is a regular file: a FIFO or a device in the
  // file's place never stalls the caller. fmCreate truncates only once that is known.
  const bool create = (mode & 0xFF00) == 0xFF00;
  int flags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
  if (create) flags |= O_RDWR | O_CREAT;
  else if ((mode & 3) == fmOpenWrite) flags |= O_WRONLY;
  else if ((mode & 3) == fmOpenReadWrite) flags |= O_RDWR;
  else flags |= O_RDONLY;
  const std::string what = (create ? "Cannot create file \"" : "Cannot open file \"") + fileName + "\". ";
  auto fail = [&](const std::string& why) {
    if (create) throw EFCreateError(what + why);
    throw EFOpenError(what + why);
  };
  // A link to a file that does not exist is no place to create one.
  struct stat target {};
  if (create && stat(fileName.c_str(), &target) != 0 && errno == ENOENT) {
    const std::string why = FileOpenReason(fileName, ENOENT);
    if (why != strerror(ENOENT)) fail(why);
  }
  fd_ = ::open(fileName.c_str(), flags, 0666);
  if (fd_ < 0) {
    // A FIFO without a reader refuses a non-blocking writer with ENXIO: it is no file either.
    const int err = errno;
    fail(err == ENXIO ? std::string("Not a regular file") : FileOpenReason(fileName, err));
  }
  struct stat st {};
  if (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    const bool dir = S_ISDIR(st.st_mode);
    ::close(fd_);
    fd_ = -1;
    fail(dir ? std::string(strerror(EISDIR)) : std::string("Not a regular file"));
  }
  fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
  if (create && ftruncate(fd_, 0) != 0) {
    const int err = errno;
    ::close(fd_);
    fd_ = -1;
    fail(strerror(err));
  }
}

TFileStream::~TFileStream() {
  if (fd_ >= 0) ::close(fd_);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
  int64_t total = 0;
  char* p = static_cast<char*>(buffer);
  while (total < count) {
    ssize_t n = ::read(fd_, p + total, static_cast<size_t>(count - total));
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (n == 0) break;
    total += n;
  }
  return total;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
  int64_t total = 0;
  const char* p = static_cast<const char*>(buffer);
  while (total < count) {
    ssize_t n = ::write(fd_, p + total, static_cast<size_t>(count - total));
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    total += n;
  }
  return total;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
  off_t r = lseek(fd_, static_cast<off_t>(offset), whence);
  return static_cast<int64_t>(r);
}

void TFileStream::SetSize(int64_t size) {
  int64_t pos = Position();
  if (ftruncate(fd_, static_cast<off_t>(size)) != 0) throw EWriteError("Stream write error");
  if (pos > size) Seek(size, soBeginning);
}

// ===========================================================================
// TStrings

void TStrings::Error(const char* fmt, int data) { throw EStringListError(fmt, {data}); }

void TStrings::Put(int index, const std::string& s) {
  TObject* obj = GetObject(index);
  Delete(index);
  InsertObject(index, s, obj);
}

void TStrings::InsertObject(int index, const std::string& s, TObject* obj) {
  Insert(index, s);
  PutObject(index, obj);
}

int TStrings::Add(const std::string& s) {
  int i = Count();
  Insert(i, s);
  return i;
}

int TStrings::AddObject(const std::string& s, TObject* obj) {
  int i = Add(s);
  PutObject(i, obj);
  return i;
}

void TStrings::AddStrings(TStrings* strings) {
  if (!strings) return;
  BeginUpdate();
  for (int i = 0; i < strings->Count(); ++i) AddObject(strings->Get(i), strings->GetObject(i));
  EndUpdate();
}

void TStrings::Exchange(int index1, int index2) {
  std::string s1 = Get(index1), s2 = Get(index2);
  TObject* o1 = GetObject(index1);
  TObject* o2 = GetObject(index2);
  BeginUpdate();
  Put(index1, s2);
  PutObject(index1, o2);
  Put(index2, s1);
  PutObject(index2, o1);
  EndUpdate();
}

void TStrings::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  BeginUpdate();
  std::string s = Get(curIndex);
  TObject* o = GetObject(curIndex);
  Delete(curIndex);
  InsertObject(newIndex, s, o);
  EndUpdate();
}

int TStrings::CompareStrings(const std::string& a, const std::string& b) const {
  return CaseSensitive() ? CompareStr(a, b) : AnsiCompareText(a, b);
}

int TStrings::IndexOf(const std::string& s) const {
  for (int i = 0; i < Count(); ++i)
    if (CompareStrings(Get(i), s) == 0) return i;
  return -1;
}

int TStrings::IndexOfName(const std::string& name) const {
  for (int i = 0; i < Count(); ++i) {
    std::string s = Get(i);
    size_t p = s.find(nameValueSeparator_);
    if (p != std::string::npos && CompareStrings(s.substr(0, p), name) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfObject(TObject* obj) const {
  for (int i = 0; i < Count(); ++i)
    if (GetObject(i) == obj) return i;
  return -1;
}

bool TStrings::Equals(TStrings* strings) const {
  if (!strings || strings->Count() != Count()) return false;
  for (int i = 0; i < Count(); ++i)
    if (Get(i) != strings->Get(i)) return false;
  return true;
}

void TStrings::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TStrings*>(source)) {
    if (src == this) return;
    BeginUpdate();
    Clear();
    nameValueSeparator_ = src->nameValueSeparator_;
    delimiter_ = src->delimiter_;
    quoteChar_ = src->quoteChar_;
    strictDelimiter_ = src->strictDelimiter_;
    AddStrings(src);
    EndUpdate();
    return;
  }
  TPersistent::Assign(source);
}

std::string TStrings::Names(int index) const {
  std::string s = Get(index);
  size_t p = s.find(nameValueSeparator_);
  return p == std::string::npos ? std::string() : s.substr(0, p);
}

std::string TStrings::ValueFromIndex(int index) const {
  std::string s = Get(index);
  size_t p = s.find(nameValueSeparator_);
  return p == std::string::npos ? std::string() : s.substr(p + 1);
}

std::string TStrings::Values(const std::string& name) const {
  int i = IndexOfName(name);
  return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStrings::SetValues(const std::string& name, const std::string& value) {
  int i = IndexOfName(name);
  if (!value.empty()) {
    std::string line = name + nameValueSeparator_ + value;
    if (i < 0) Add(line);
    else Put(i, line);
  } else if (i >= 0) {
    Delete(i);
  }
}

std::string TStrings::Text() const {
  std::string r;
  for (int i = 0; i < Count(); ++i) {
    r += Get(i);
    r += "\r\n";
  }
  return r;
}

void TStrings::SetText(const std::string& text) {
  BeginUpdate();
  Clear();
  size_t i = 0, n = text.size();
  while (i < n) {
    size_t j = text.find_first_of("\r\n", i);
    if (j == std::string::npos) {
      Add(text.substr(i));
      break;
    }
    Add(text.substr(i, j - i));
    i = (text[j] == '\r' && j + 1 < n && text[j + 1] == '\n') ? j + 2 : j + 1;
  }
  EndUpdate();
}

std::string TStrings::GetDelimitedText(char delimiter, char quote, bool strict) const {
  int n = Count();
  if (n == 1 && Get(0).empty()) return std::string(2, quote);
  std::string r;
  for (int i = 0; i < n; ++i) {
    std::string s = Get(i);
    bool needQuote = std::any_of(s.begin(), s.end(), [&](char c) {
      return c == quote || c == delimiter || c == '\0' ||
             (!strict && static_cast<unsigned char>(c) <= ' ');
    });
    if (i > 0) r += delimiter;
    r += needQuote ? AnsiQuotedStr(s, quote) : s;
  }
  return r;
}

void TStrings::SetDelimitedText(const std::string& text, char delimiter, char quote, bool strict) {
  auto blank = [&](char c) { return !strict && static_cast<unsigned char>(c) <= ' ' && c != delimiter; };
  BeginUpdate();
  Clear();
  size_t i = 0, n = text.size();
  while (i < n && blank(text[i])) ++i;
  while (i < n) {
    std::string s;
    if (text[i] == quote) {
      s = AnsiExtractQuotedStr(text, i, quote);
    } else {
      size_t start = i;
      while (i < n && text[i] != delimiter && !blank(text[i])) ++i;
      s = text.substr(start, i - start);
    }
    Add(s);
    while (i < n && blank(text[i])) ++i;
    if (i < n && text[i] == delimiter) {
      if (i + 1 == n) Add(std::string());
      ++i;
      while (i < n && blank(text[i])) ++i;
    }
  }
  EndUpdate();
}

std::string TStrings::CommaText() const { return GetDelimitedText(',', '"', false); }
void TStrings::SetCommaText(const std::string& text) { SetDelimitedText(text, ',', '"', false); }
std::string TStrings::DelimitedText() const { return GetDelimitedText(delimiter_, quoteChar_, strictDelimiter_); }
void TStrings::SetDelimitedText(const std::string& text) {
  SetDelimitedText(text, delimiter_, quoteChar_, strictDelimiter_);
}

void TStrings::LoadFromFile(const std::string& fileName) { SetText(LoadFileBytes(fileName)); }

void TStrings::LoadFromStream(TStream* stream) { SetText(stream->ReadAll()); }

void TStrings::SaveToFile(const std::string& fileName) { SaveFileAtomically(fileName, Text()); }

void TStrings::SaveToStream(TStream* stream) { stream->WriteString(Text()); }

void TStrings::BeginUpdate() {
  if (updateCount_ == 0) SetUpdateState(true);
  ++updateCount_;
}

void TStrings::EndUpdate() {
  if (updateCount_ <= 0) return;
  if (--updateCount_ == 0) SetUpdateState(false);
}

// ===========================================================================
// TStringList

TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
  if (ownsObjects_)
    for (auto& it : items_) delete it.obj;
}

void TStringList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) Error("List index out of bounds (%d)", index);
}

std::string TStringList::Get(int index) const {
  CheckIndex(index);
  return items_[static_cast<size_t>(index)].s;
}

const std::string& TStringList::StringRef(int index) const {
  CheckIndex(index);
  return items_[static_cast<size_t>(index)].s;
}

void TStringList::Put(int index, const std::string& s) {
  if (sorted_) Error("Operation not allowed on sorted list", 0);
  CheckIndex(index);
  Changing();
  items_[static_cast<size_t>(index)].s = s;
  Changed();
}

TObject* TStringList::GetObject(int index) const {
  CheckIndex(index);
  return items_[static_cast<size_t>(index)].obj;
}

void TStringList::PutObject(int index, TObject* obj) {
  CheckIndex(index);
  Changing();
  TObject*& slot = items_[static_cast<size_t>(index)].obj;
  if (ownsObjects_ && slot != obj) delete slot;
  slot = obj;
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  if (ownsObjects_)
    for (auto& it : items_) delete it.obj;
  items_.clear();
  Changed();
}

void TStringList::Delete(int index) {
  CheckIndex(index);
  Changing();
  TObject* obj = items_[static_cast<size_t>(index)].obj;
  items_.erase(items_.begin() + index);
  if (ownsObjects_) delete obj;
  Changed();
}

void TStringList::InsertItem(int index, std::string s, TObject* obj) {
  Changing();
  items_.insert(items_.begin() + index, TItem{std::move(s), obj});
  Changed();
}

void TStringList::Insert(int index, const std::string& s) { InsertObject(index, s, nullptr); }

void TStringList::InsertObject(int index, const std::string& s, TObject* obj) {
  if (sorted_) Error("Operation not allowed on sorted list", 0);
  if (index < 0 || index > Count()) Error("List index out of bounds (%d)", index);
  InsertItem(index, s, obj);
}

int TStringList::Add(const std::string& s) { return AddObject(s, nullptr); }

int TStringList::AddObject(const std::string& s, TObject* obj) {
  int index;
  if (!sorted_) {
    index = Count();
  } else if (Find(s, index)) {
    switch (duplicates_) {
      case dupIgnore: return index;
      case dupError: Error("String list does not allow duplicates", 0);
      case dupAccept:
        // After the equal strings already there, so equal strings keep their order.
        while (index < Count() && CompareStrings(items_[static_cast<size_t>(index)].s, s) == 0) ++index;
        break;
    }
  }
  InsertItem(index, s, obj);
  return index;
}

void TStringList::Exchange(int index1, int index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  Changing();
  std::swap(items_[static_cast<size_t>(index1)], items_[static_cast<size_t>(index2)]);
  Changed();
}

void TStringList::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  if (sorted_) Error("Operation not allowed on sorted list", 0);
  CheckIndex(curIndex);
  CheckIndex(newIndex);
  Changing();
  TItem it = std::move(items_[static_cast<size_t>(curIndex)]);
  items_.erase(items_.begin() + curIndex);
  items_.insert(items_.begin() + newIndex, std::move(it));
  Changed();
}

bool TStringList::Find(const std::string& s, int& index) const {
  if (!sorted_) {
    index = IndexOf(s);
    if (index >= 0) return true;
    index = Count();
    return false;
  }
  int lo = 0, hi = Count();
  while (lo < hi) {
    int mid = lo + (hi - lo) / 2;
    if (CompareStrings(items_[static_cast<size_t>(mid)].s, s) < 0) lo = mid + 1;
    else hi = mid;
  }
  index = lo;
  return lo < Count() && CompareStrings(items_[static_cast<size_t>(lo)].s, s) == 0;
}

int TStringList::IndexOf(const std::string& s) const {
  if (sorted_) {
    int i;
    return Find(s, i) ? i : -1;
  }
  for (int i = 0; i < Count(); ++i)
    if (CompareStrings(items_[static_cast<size_t>(i)].s, s) == 0) return i;
  return -1;
}

void TStringList::SetText(const std::string& text) { TStrings::SetText(text); }

void TStringList::SortItems(const std::function<bool(const TItem&, const TItem&)>& less) {
  Changing();
  std::stable_sort(items_.begin(), items_.end(), less);
  Changed();
}

void TStringList::Sort() {
  if (items_.size() < 2) return;
  if (caseSensitive_) {
    SortItems([](const TItem& a, const TItem& b) { return a.s < b.s; });
  } else {
    SortItems([](const TItem& a, const TItem& b) { return AnsiCompareText(a.s, b.s) < 0; });
  }
}

void TStringList::CustomSort(const TStringListSortCompare& compare) {
  if (sorted_ || items_.size() < 2) return;
  // The comparison sees indices into the list, so sort an index permutation.
  std::vector<int> order(items_.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(this, a, b) < 0; });
  Changing();
  std::vector<TItem> sorted;
  sorted.reserve(items_.size());
  for (int i : order) sorted.push_back(std::move(items_[static_cast<size_t>(i)]));
  items_ = std::move(sorted);
  Changed();
}

void TStringList::SetSorted(bool v) {
  if (sorted_ == v) return;
  if (v) Sort();
  sorted_ = v;
}

void TStringList::SetCaseSensitive(bool v) {
  if (caseSensitive_ == v) return;
  caseSensitive_ = v;
  if (sorted_) Sort();
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::SetUpdateState(bool updating) {
  // Through the virtuals, so a list that reports its changes elsewhere hears of a batch too.
  if (updating)
    Changing();
  else
    Changed();
}

// ===========================================================================
// Collections

TCollectionItem::TCollectionItem(TCollection* collection) { SetCollection(collection); }

TCollectionItem::~TCollectionItem() { SetCollection(nullptr); }

void TCollectionItem::SetCollection(TCollection* collection) {
  if (collection == collection_) return;
  if (collection_) collection_->RemoveItem(this);
  if (collection) collection->InsertItem(this);
}

int TCollectionItem::Index() const {
  if (!collection_) return -1;
  auto& v = collection_->items_;
  if (indexHint_ >= 0 && indexHint_ < static_cast<int>(v.size()) && v[static_cast<size_t>(indexHint_)] == this)
    return indexHint_;
  auto it = std::find(v.begin(), v.end(), this);
  if (it == v.end()) return -1;
  indexHint_ = static_cast<int>(it - v.begin());
  return indexHint_;
}

void TCollectionItem::SetIndex(int index) {
  if (!collection_) return;
  int cur = Index();
  if (cur == index || index < 0) return;
  if (index >= collection_->Count()) index = collection_->Count() - 1;
  collection_->MoveItem(this, index);
  Changed(true);
}

std::string TCollectionItem::DisplayName() const { return ClassName(); }

std::string TCollectionItem::GetNamePath() const {
  if (!collection_) return ClassName();
  return collection_->GetNamePath() + "[" + std::to_string(Index()) + "]";
}

void TCollectionItem::Changed(bool allItems) {
  if (collection_) collection_->ItemChanged(allItems ? nullptr : this);
}

TCollection::TCollection(TCollectionItemClass itemClass) : itemClass_(std::move(itemClass)) {}

TCollection::~TCollection() {
  updateCount_ = 1;  // no Update calls into a half-destroyed collection
  while (!items_.empty()) delete items_.back();
}

TCollectionItem* TCollection::Add() {
  if (!itemClass_) throw EInvalidOperation("Collection has no item class");
  // The item joins the list from its base constructor; the notifications wait until
  // the whole item is constructed.
  ++adding_;
  TCollectionItem* item;
  try {
    item = itemClass_(this);
  } catch (...) {
    --adding_;
    throw;
  }
  --adding_;
  if (item->collection_ != this) {
    item->SetCollection(this);
  } else {
    Notify(item, cnAdded);
    Changed();
  }
  return item;
}

TCollectionItem* TCollection::Insert(int index) {
  TCollectionItem* item = Add();
  item->SetIndex(index);
  return item;
}

TCollectionItem* TCollection::Items(int index) const {
  if (index < 0 || index >= Count()) throw EListError("List index out of bounds (%d)", {index});
  return items_[static_cast<size_t>(index)];
}

void TCollection::SetItems(int index, TCollectionItem* source) { Items(index)->Assign(source); }

void TCollection::Delete(int index) {
  TCollectionItem* item = Items(index);
  Notify(item, cnDeleting);
  // Leave the list while the item is still whole, then free it.
  RemoveItem(item);
  delete item;
}

void TCollection::Clear() {
  if (items_.empty()) return;
  BeginUpdate();
  while (!items_.empty()) Delete(Count() - 1);
  EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int id) const {
  for (TCollectionItem* it : items_)
    if (it->id_ == id) return it;
  return nullptr;
}

void TCollection::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TCollection*>(source)) {
    if (src == this) return;
    BeginUpdate();
    try {
      Clear();
      for (TCollectionItem* it : src->items_) Add()->Assign(it);
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
    return;
  }
  TPersistent::Assign(source);
}

void TCollection::BeginUpdate() { ++updateCount_; }

void TCollection::EndUpdate() {
  if (updateCount_ <= 0) return;
  if (--updateCount_ == 0) Changed();
}

std::string TCollection::GetNamePath() const {
  TPersistent* owner = GetOwner();
  return owner ? owner->GetNamePath() + ".Items" : ClassName();
}

void TCollection::Changed() {
  if (updateCount_ == 0) Update(nullptr);
}

void TCollection::ItemChanged(TCollectionItem* item) {
  if (updateCount_ == 0) Update(item);
}

void TCollection::InsertItem(TCollectionItem* item) {
  items_.push_back(item);
  ++revision_;
  item->collection_ = this;
  item->id_ = nextId_++;
  if (adding_ > 0) return;
  Notify(item, cnAdded);
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* item) {
  Notify(item, cnExtracting);
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it != items_.end()) items_.erase(it);
  ++revision_;
  item->collection_ = nullptr;
  Changed();
}

void TCollection::MoveItem(TCollectionItem* item, int newIndex) {
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it == items_.end()) return;
  items_.erase(it);
  items_.insert(items_.begin() + newIndex, item);
  ++revision_;
}

// ===========================================================================
// Text files

namespace {

int ErrnoToInOutCode(int err) {
  switch (err) {
    case ENOENT: return 2;
    case ENOTDIR:
    case ENAMETOOLONG: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY: return 5;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return 101;
    default: return err;
  }
}

[[noreturn]] void InOutFail(int err) { throw EInOutError(ErrnoToInOutCode(err)); }

}  // namespace

TTextFile::~TTextFile() {
  if (!open_) return;
  if (writing_) {
    // Never closed by its user: what was written is dropped, the old file stays.
    if (!tmpName_.empty()) {
      ::close(fd_);
      unlink(tmpName_.c_str());
      return;
    }
    try {
      Flush();
    } catch (...) {
    }
  }
  ::close(fd_);
}

void TTextFile::AssignFile(const std::string& fileName) {
  if (open_) throw EInOutError(102);
  fileName_ = fileName;
}

void TTextFile::Reset() {
  if (open_) CloseFile();
  fd_ = ::open(fileName_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) InOutFail(errno);
  struct stat st {};
  if (fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    InOutFail(EISDIR);
  }
  open_ = true;
  writing_ = false;
  buffer_.clear();
  bufPos_ = 0;
  atEnd_ = false;
}

void TTextFile::Rewrite() {
  if (open_) CloseFile();
  // A new file is written beside the old one and replaces it on CloseFile, so a
  // failure while writing keeps the old file.
  // Through a symbolic link to the file it names, keeping the link.
  target_ = fileName_;
  struct stat lst {};
  char resolved[PATH_MAX];
  if (lstat(fileName_.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode) && realpath(fileName_.c_str(), resolved))
    target_ = resolved;
  std::string dir = ExtractFilePath(target_);
  std::string tmpl = dir + "." + ExtractFileName(target_) + ".tmp-XXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  if (ExtractFileName(target_).empty()) InOutFail(ENOENT);
  fd_ = mkstemp(name.data());
  if (fd_ < 0) InOutFail(errno);
  tmpName_ = name.data();
  mode_t mask = umask(0);
  umask(mask);
  struct stat st {};
  fchmod(fd_, stat(target_.c_str(), &st) == 0 ? (st.st_mode & 07777) : (0666 & ~mask));
  open_ = true;
  writing_ = true;
  buffer_.clear();
}

void TTextFile::Append() {
  if (open_) CloseFile();
  fd_ = ::open(fileName_.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  if (fd_ < 0) InOutFail(errno);
  tmpName_.clear();
  open_ = true;
  writing_ = true;
  buffer_.clear();
}

void TTextFile::CloseFile() {
  if (!open_) throw EInOutError(103);
  open_ = false;
  int err = 0;
  if (writing_) {
    try {
      Flush();
    } catch (const EInOutError& e) {
      err = e.ErrorCode;
    }
    if (!err && !tmpName_.empty() && fsync(fd_) != 0) err = ErrnoToInOutCode(errno);
  }
  if (::close(fd_) != 0 && !err && writing_) err = ErrnoToInOutCode(errno);
  fd_ = -1;
  if (writing_ && !tmpName_.empty()) {
    std::string tmp = tmpName_;
    tmpName_.clear();
    if (!err && rename(tmp.c_str(), target_.c_str()) != 0) err = ErrnoToInOutCode(errno);
    if (err) unlink(tmp.c_str());
  }
  buffer_.clear();
  if (err) throw EInOutError(err);
}

void TTextFile::CheckOpen(bool forWriting) {
  if (!open_) throw EInOutError(103);
  if (forWriting && !writing_) throw EInOutError(105);
  if (!forWriting && writing_) throw EInOutError(104);
}

void TTextFile::Fill() {
  if (bufPos_ < buffer_.size() || atEnd_) return;
  buffer_.resize(65536);
  bufPos_ = 0;
  while (true) {
    ssize_t n = ::read(fd_, buffer_.data(), buffer_.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      buffer_.clear();
      throw EInOutError(100);
    }
    buffer_.resize(static_cast<size_t>(n));
    if (n == 0) atEnd_ = true;
    return;
  }
}

bool TTextFile::Eof() {
  CheckOpen(false);
  Fill();
  return bufPos_ >= buffer_.size();
}

std::string TTextFile::ReadLn() {
  CheckOpen(false);
  std::string line;
  while (true) {
    Fill();
    if (bufPos_ >= buffer_.size()) break;
    size_t j = buffer_.find('\n', bufPos_);
    if (j == std::string::npos) {
      line.append(buffer_, bufPos_, std::string::npos);
      bufPos_ = buffer_.size();
      continue;
    }
    line.append(buffer_, bufPos_, j - bufPos_);
    bufPos_ = j + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
  }
  // Last line without a line end; a CR there is part of the line end too.
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

void TTextFile::Write(std::string_view s) {
  CheckOpen(true);
  buffer_.append(s.data(), s.size());
  if (buffer_.size() >= 65536) Flush();
}

void TTextFile::WriteLn(std::string_view s) {
  Write(s);
  Write("\r\n");
}

void TTextFile::Flush() {
  if (!open_ && fd_ < 0) return;
  const char* p = buffer_.data();
  size_t n = buffer_.size();
  while (n > 0) {
    ssize_t w = ::write(fd_, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      buffer_.clear();
      InOutFail(err);
    }
    p += w;
    n -= static_cast<size_t>(w);
  }
  buffer_.clear();
}

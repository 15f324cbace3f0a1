#include "platform/rtl/Registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

// ===========================================================================
// Nodes

namespace {


const HKEY kRoots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                       HKEY_CURRENT_CONFIG};

}  // namespace

TRegistryStore::TNode* TRegistryStore::TNode::FindKey(std::string_view name) const {
  auto it = Keys.find(name);
  return it == Keys.end() ? nullptr : it->second.get();
}

TRegistryStore::TNode* TRegistryStore::TNode::AddKey(std::string_view name) {
  auto it = Keys.lower_bound(name);
  if (it != Keys.end() && SameText(it->first, name)) return it->second.get();
  auto node = std::make_unique<TNode>();
  node->Name.assign(name);
  return Keys.emplace_hint(it, std::string(name), std::move(node))->second.get();
}

bool TRegistryStore::TNode::RemoveKey(std::string_view name) {
  auto it = Keys.find(name);
  if (it == Keys.end()) return false;
  Keys.erase(it);
  return true;
}

TRegistryStore::TValue* TRegistryStore::TNode::FindValue(std::string_view name) {
  auto it = valueAt_.find(name);
  return it == valueAt_.end() ? nullptr : &Values[it->second].second;
}

void TRegistryStore::TNode::SetValue(std::string_view name, TValue value) {
  auto it = valueAt_.lower_bound(name);
  if (it != valueAt_.end() && SameText(it->first, name)) {
    Values[it->second].second = std::move(value);
    return;
  }
  valueAt_.emplace_hint(it, std::string(name), Values.size());
  Values.emplace_back(std::string(name), std::move(value));
}

bool TRegistryStore::TNode::RemoveValue(std::string_view name) {
  auto it = valueAt_.find(name);
  if (it == valueAt_.end()) return false;
  const size_t at = it->second;
  valueAt_.erase(it);
  Values.erase(Values.begin() + static_cast<std::ptrdiff_t>(at));
  for (auto& [n, i] : valueAt_)
    if (i > at) --i;
  return true;
}

// ===========================================================================
// Store and its file form
//
//   VELMARON REGISTRY 1
//   [HKEY_CURRENT_USER\Software\Dalmire\Velmaron]
//   "Clock"=dword:00000032
//   "Name"=sz:"text with \"quotes\" and \x01 bytes"
//   @=hex:01,ff
//
// Key names escape '%', '[', ']', '\' and control bytes as %HH; value names and
// strings escape '\', '"' and control bytes as \xHH.

namespace {

const char kMagic[] = "VELMARON REGISTRY 1";

const char* const kRootNames[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                                  "HKEY_CURRENT_CONFIG"};

const char kHex[] = "0123456789abcdef";

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

std::string EscapeKeyName(std::string_view s) {
  std::string r;
  for (char ch : s) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (IsControl(c) || c == '%' || c == '[' || c == ']' || c == '\\') {
      r += '%';
      r += kHex[c >> 4];
      r += kHex[c & 15];
    } else {
      r += ch;
    }
  }
  return r;
}

bool UnescapeKeyName(std::string_view s, std::string& out) {
  out.clear();
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%') {
      out += s[i];
      continue;
    }
    if (i + 2 >= s.size()) return false;
    int h = HexDigit(s[i + 1]), l = HexDigit(s[i + 2]);
    if (h < 0 || l < 0) return false;
    out += static_cast<char>(h * 16 + l);
    i += 2;
  }
  return true;
}

std::string Quote(std::string_view s) {
  std::string r = "\"";
  for (char ch : s) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c == '\\' || c == '"') {
      r += '\\';
      r += ch;
    } else if (IsControl(c)) {
      r += "\\x";
      r += kHex[c >> 4];
      r += kHex[c & 15];
    } else {
      r += ch;
    }
  }
  return r + "\"";
}

// Reads a quoted string at s[i]; i moves past it.
bool Unquote(std::string_view s, size_t& i, std::string& out) {
  out.clear();
  if (i >= s.size() || s[i] != '"') return false;
  ++i;
  while (i < s.size()) {
    char c = s[i++];
    if (c == '"') return true;
    if (c != '\\') {
      out += c;
      continue;
    }
    if (i >= s.size()) return false;
    char e = s[i++];
    if (e == '\\' || e == '"') {
      out += e;
    } else if (e == 'x') {
      if (i + 2 > s.size()) return false;
      int h = HexDigit(s[i]), l = HexDigit(s[i + 1]);
      if (h < 0 || l < 0) return false;
      out += static_cast<char>(h * 16 + l);
      i += 2;
    } else {
      return false;
    }
  }
  return false;
}

std::string EncodeValue(const TRegistryStore::TValue& v) {
  switch (v.Type) {
    case rdString: return "sz:" + Quote(v.Data);
    case rdExpandString: return "expand_sz:" + Quote(v.Data);
    case rdInteger:
      if (v.Data.size() == 4) {
        uint32_t x = 0;
        for (int k = 3; k >= 0; --k) x = (x << 8) | static_cast<unsigned char>(v.Data[static_cast<size_t>(k)]);
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", x);
        return buf;
      }
      [[fallthrough]];
    default: {
      std::string r = v.Type == rdBinary ? "hex:" : "hex(" + std::to_string(static_cast<int>(v.Type)) + "):";
      for (size_t i = 0; i < v.Data.size(); ++i) {
        if (i) r += ',';
        unsigned char c = static_cast<unsigned char>(v.Data[i]);
        r += kHex[c >> 4];
        r += kHex[c & 15];
      }
      return r;
    }
  }
}

bool DecodeHexList(std::string_view s, std::string& out) {
  out.clear();
  size_t i = 0;
  while (i < s.size()) {
    if (i + 2 > s.size()) return false;
    int h = HexDigit(s[i]), l = HexDigit(s[i + 1]);
    if (h < 0 || l < 0) return false;
    out += static_cast<char>(h * 16 + l);
    i += 2;
    if (i < s.size()) {
      if (s[i] != ',' || i + 1 == s.size()) return false;
      ++i;
    }
  }
  return true;
}

bool DecodeValue(std::string_view s, TRegistryStore::TValue& v) {
  auto starts = [&](std::string_view p) { return s.substr(0, p.size()) == p; };
  if (starts("sz:") || starts("expand_sz:")) {
    v.Type = starts("sz:") ? rdString : rdExpandString;
    size_t i = s.find(':') + 1;
    return Unquote(s, i, v.Data) && i == s.size();
  }
  if (starts("dword:")) {
    std::string_view h = s.substr(6);
    if (h.size() != 8) return false;
    uint32_t x = 0;
    for (char c : h) {
      int d = HexDigit(c);
      if (d < 0) return false;
      x = (x << 4) | static_cast<uint32_t>(d);
    }
    v.Type = rdInteger;
    v.Data.assign(4, '\0');
    for (int k = 0; k < 4; ++k) v.Data[static_cast<size_t>(k)] = static_cast<char>((x >> (8 * k)) & 0xFF);
    return true;
  }
  if (starts("hex:")) {
    v.Type = rdBinary;
    return DecodeHexList(s.substr(4), v.Data);
  }
  if (starts("hex(")) {
    size_t close = s.find("):");
    if (close == std::string_view::npos || close < 5 || close > 6) return false;
    int t = 0;
    for (size_t i = 4; i < close; ++i) {
      if (s[i] < '0' || s[i] > '9') return false;
      t = t * 10 + (s[i] - '0');
    }
    if (t > rdBinary) return false;
    v.Type = static_cast<TRegDataType>(t);
    return DecodeHexList(s.substr(close + 2), v.Data);
  }
  return false;
}

void SerializeValues(const TRegistryStore::TNode& n, std::string& out) {
  for (const auto& [name, value] : n.Values)
    out += (name.empty() ? std::string("@") : Quote(name)) + "=" + EncodeValue(value) + "\n";
}

// The keys below a root, depth first without recursion. A key line makes every key on its path,
// so only a key with values or with no saved key below it needs its own: each path is written
// once, not once for every key on it.
void SerializeKeys(const TRegistryStore::TNode& root, std::string path, std::string& out) {
  using TIter = decltype(root.Keys.begin());
  struct TLevel {
    TIter at, end;
    size_t pathSize;
  };
  std::vector<TLevel> stack{{root.Keys.begin(), root.Keys.end(), path.size()}};
  while (!stack.empty()) {
    TLevel& top = stack.back();
    if (top.at == top.end) {
      stack.pop_back();
      continue;
    }
    const TRegistryStore::TNode& n = *(top.at++)->second;
    if (n.Volatile) continue;
    path.resize(stack.back().pathSize);
    path += "\\" + EscapeKeyName(n.Name);
    const bool savedBelow =
        std::any_of(n.Keys.begin(), n.Keys.end(), [](const auto& c) { return !c.second->Volatile; });
    if (!n.Values.empty() || !savedBelow) {
      out += "[" + path + "]\n";
      SerializeValues(n, out);
    }
    stack.push_back({n.Keys.begin(), n.Keys.end(), path.size()});
  }
}

}  // namespace

TRegistryStore::TRegistryStore() { Clear(); }

void TRegistryStore::Clear() {
  roots_.clear();
  for (HKEY r : kRoots) {
    auto node = std::make_unique<TNode>();
    node->Name = RootName(r);
    roots_.emplace_back(r, std::move(node));
  }
}

const char* TRegistryStore::RootName(HKEY root) {
  for (size_t i = 0; i < std::size(kRoots); ++i)
    if (kRoots[i] == root) return kRootNames[i];
  return "";
}

TRegistryStore::TNode* TRegistryStore::Root(HKEY root) {
  for (auto& [k, node] : roots_)
    if (k == root) return node.get();
  return nullptr;
}

TRegistryStore::TNode* TRegistryStore::Find(HKEY root, const std::vector<std::string>& path) {
  TNode* n = Root(root);
  for (const auto& seg : path) {
    if (!n) return nullptr;
    n = n->FindKey(seg);
  }
  return n;
}

TRegistryStore::TNode* TRegistryStore::Create(HKEY root, const std::vector<std::string>& path) {
  TNode* n = Root(root);
  if (!n || path.size() > MaxKeyDepth) return nullptr;
  for (const auto& seg : path)
    if (seg.size() > MaxKeyName) return nullptr;
  for (const auto& seg : path) {
    n = n->AddKey(seg);
  }
  return n;
}

bool TRegistryStore::Delete(HKEY root, const std::vector<std::string>& path) {
  if (path.empty()) return false;
  std::vector<std::string> parentPath(path.begin(), path.end() - 1);
  TNode* parent = Find(root, parentPath);
  return parent && parent->RemoveKey(path.back());
}

std::string TRegistryStore::Serialize() const {
  std::string out = std::string(kMagic) + "\n";
  for (const auto& [k, node] : roots_) {
    // Roots appear only when they hold something.
    if (node->Values.empty() && std::all_of(node->Keys.begin(), node->Keys.end(),
                                            [](const auto& c) { return c.second->Volatile; }))
      continue;
    if (!node->Values.empty()) {
      out += "[" + node->Name + "]\n";
      SerializeValues(*node, out);
    }
    SerializeKeys(*node, node->Name, out);
  }
  return out;
}

bool TRegistryStore::Parse(std::string_view text, std::string& error) {
  Clear();
  error.clear();
  refused_ = false;
  // Every line that cannot be read is named, up to a few; the rest are counted.
  constexpr int kNamed = 5;
  int faults = 0;
  auto fault = [&](size_t line, const char* what) {
    if (faults++ < kNamed)
      error += (error.empty() ? "" : "; ") + Format("line %d: %s", {static_cast<int64_t>(line), what});
  };
  size_t lineNo = 0, i = 0;
  TNode* current = nullptr;
  bool inBadKey = false;  // the values below an unreadable key line go with it
  while (i < text.size()) {
    size_t j = text.find('\n', i);
    std::string_view line = text.substr(i, (j == std::string_view::npos ? text.size() : j) - i);
    i = j == std::string_view::npos ? text.size() : j + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (lineNo == 1) {
      if (line == kMagic) continue;
      fault(lineNo, "not a registry file");
      // A damaged first line costs nothing more: a key line there is still read.
      if (line.empty() || line[0] != '[') continue;
    }
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      current = nullptr;
      inBadKey = true;
      if (line.back() != ']' || line.size() < 3) {
        fault(lineNo, "bad key line");
        continue;
      }
      std::string_view inner = line.substr(1, line.size() - 2);
      std::vector<std::string> segs;
      bool good = true;
      size_t p = 0;
      while (good) {
        size_t q = inner.find('\\', p);
        std::string_view raw = inner.substr(p, (q == std::string_view::npos ? inner.size() : q) - p);
        std::string seg;
        if (raw.empty() || !UnescapeKeyName(raw, seg)) good = false;
        segs.push_back(std::move(seg));
        if (q == std::string_view::npos) break;
        p = q + 1;
      }
      if (!good) {
        fault(lineNo, "bad key name");
        continue;
      }
      HKEY root = 0;
      for (size_t r = 0; r < std::size(kRoots); ++r)
        if (segs[0] == kRootNames[r]) root = kRoots[r];
      if (!root) {
        fault(lineNo, "unknown root key");
        continue;
      }
      segs.erase(segs.begin());
      current = Create(root, segs);
      if (!current) {
        // Beyond what a registry holds: kept, the file would grow past reading at the next save.
        Clear();
        refused_ = true;
        error = Format("line %d: a key deeper than %d levels or with a name longer than %d characters",
                       {static_cast<int64_t>(lineNo), static_cast<int64_t>(MaxKeyDepth),
                        static_cast<int64_t>(MaxKeyName)});
        return false;
      }
      inBadKey = false;
      continue;
    }
    if (!current) {
      if (!inBadKey) fault(lineNo, "value outside a key");
      continue;
    }
    std::string name;
    size_t k = 0;
    if (line[0] == '@') {
      k = 1;
    } else if (!Unquote(line, k, name) || name.empty()) {
      fault(lineNo, "bad value name");
      continue;
    }
    if (k >= line.size() || line[k] != '=') {
      fault(lineNo, "missing '='");
      continue;
    }
    TValue v;
    if (!DecodeValue(line.substr(k + 1), v)) {
      fault(lineNo, "bad value data");
      continue;
    }
    current->SetValue(name, std::move(v));
  }
  if (faults > kNamed) error += Format(" and %d more", {static_cast<int64_t>(faults - kNamed)});
  return faults == 0;
}

// ===========================================================================
// The process's store, loaded on first use

std::function<void(const std::string&)> TRegistry::OnStoreError;

namespace {

// One change this run made, replayed over the file as another program may have left it.
struct TChange {
  enum TKind { ckSetValue, ckDeleteValue, ckCreateKey, ckDeleteKey } Kind;
  HKEY Root;
  std::vector<std::string> Path;
  std::string Name;
  TRegistryStore::TValue Value;
};

struct TStoreState {
  // Changes still pending when the program ends are saved then; a store made for one
  // test process goes away with it.
  ~TStoreState();
  TRegistryStore store;
  // What this run changed since its last save: the file as it is, with these laid over it,
  // is the store; a save writes that, so keys another instance saved meanwhile stay.
  std::vector<TChange> changes;
  std::string testDir;
  bool loaded = false;
  bool dirty = false;
  // The file on disk could not be read, or was damaged and no copy of it could be
  // made: this run never writes over it.
  bool leaveAlone = false;
  std::string overrideDir;
  std::string loadedFrom;
  int64_t stamp[4] = {-1, -1, -1, -1};
  std::string lastError;
  std::string reported;  // file and stamp of the last reported damage
};

TStoreState& State() {
  static TStoreState s;
  return s;
}

bool SaveMerged(TStoreState& s);

TStoreState::~TStoreState() {
  if (loaded && dirty && !leaveAlone) {
    try {
      SaveMerged(*this);
    } catch (...) {
    }
  }
  if (!testDir.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(testDir, ec);
  }
}

// 0, or the errno of a file that is there but cannot be examined; a missing file
// gives ENOENT or ENOTDIR.
int Stamp(const std::string& file, int64_t out[4]) {
  struct stat st {};
  if (stat(file.c_str(), &st) != 0) {
    std::fill(out, out + 4, -1);
    return errno;
  }
  out[0] = static_cast<int64_t>(st.st_dev);
  out[1] = static_cast<int64_t>(st.st_ino);
  out[2] = static_cast<int64_t>(st.st_size);
  out[3] = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return 0;
}

// Writes the bytes of a damaged file to the first free "<file>.damaged.N", never
// over an earlier copy. The copy's name, or "" with why set.
std::string KeepDamaged(const std::string& file, const std::string& bytes, std::string& why) {
  for (int n = 1; n < 1000; ++n) {
    const std::string copy = file + ".damaged." + std::to_string(n);
    const int fd = open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      why = std::strerror(errno);
      return std::string();
    }
    size_t done = 0;
    int err = 0;
    while (done < bytes.size()) {
      const ssize_t w = write(fd, bytes.data() + done, bytes.size() - done);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        err = w < 0 ? errno : EIO;
        break;
      }
      done += static_cast<size_t>(w);
    }
    if (err == 0 && fsync(fd) != 0) err = errno;
    if (close(fd) != 0 && err == 0) err = errno;
    if (err == 0) return copy;
    unlink(copy.c_str());
    why = std::strerror(err);
    return std::string();
  }
  why = "no free name for a copy";
  return std::string();
}

void Report(const std::string& message) {
  TStoreState& s = State();
  s.lastError = message;
  if (TRegistry::OnStoreError) TRegistry::OnStoreError(message);
  else std::fprintf(stderr, "%s\n", message.c_str());
}

// The processor clock of this machine, as the hardware description gives it.
void AddHardwareDescription(TRegistryStore& store) {
  if (store.Find(HKEY_LOCAL_MACHINE, {"HARDWARE"})) return;
  const std::string info = LoadKernelFile("/proc/cpuinfo");
  const size_t at = info.find("cpu MHz");
  if (at == std::string::npos) return;
  const size_t colon = info.find(':', at);
  const size_t eol = info.find('\n', at);
  if (colon == std::string::npos || colon > eol) return;
  const double mhz = std::atof(info.c_str() + colon + 1);
  if (mhz <= 0) return;
  TRegistryStore::TNode* hw = store.Create(HKEY_LOCAL_MACHINE, {"HARDWARE"});
  hw->Volatile = true;
  TRegistryStore::TNode* cpu = store.Create(
      HKEY_LOCAL_MACHINE, {"HARDWARE", "DESCRIPTION", "System", "CentralProcessor", "0"});
  TRegistryStore::TValue v;
  v.Type = rdInteger;
  uint32_t x = static_cast<uint32_t>(std::lround(mhz));
  v.Data.assign(4, '\0');
  for (int k = 0; k < 4; ++k) v.Data[static_cast<size_t>(k)] = static_cast<char>((x >> (8 * k)) & 0xFF);
  cpu->SetValue("~MHz", v);
}

// What is written under a key made up from the machine is kept from then on.
void KeepPath(TRegistryStore& store, HKEY root, const std::vector<std::string>& path) {
  TRegistryStore::TNode* walk = store.Root(root);
  for (const auto& seg : path) {
    if (!walk) return;
    walk = walk->FindKey(seg);
    if (walk) walk->Volatile = false;
  }
}

void Apply(TRegistryStore& store, const TChange& c) {
  switch (c.Kind) {
    case TChange::ckSetValue:
      if (TRegistryStore::TNode* n = store.Create(c.Root, c.Path)) n->SetValue(c.Name, c.Value);
      KeepPath(store, c.Root, c.Path);
      break;
    case TChange::ckDeleteValue:
      if (TRegistryStore::TNode* n = store.Find(c.Root, c.Path)) n->RemoveValue(c.Name);
      break;
    case TChange::ckCreateKey:
      store.Create(c.Root, c.Path);
      KeepPath(store, c.Root, c.Path);
      break;
    case TChange::ckDeleteKey:
      store.Delete(c.Root, c.Path);
      break;
  }
}

// Reads the file when it is not the one last read (another instance may have saved it), and
// lays this run's pending changes over it.
void LoadStore(TStoreState& s, const std::string& file) {
  int64_t stamp[4];
  const int statError = Stamp(file, stamp);
  if (s.loaded && s.loadedFrom == file && std::equal(stamp, stamp + 4, s.stamp)) return;
  s.loaded = true;
  s.loadedFrom = file;
  s.dirty = !s.changes.empty();
  s.leaveAlone = false;
  std::copy(stamp, stamp + 4, s.stamp);
  s.store.Clear();
  std::string bytes, error;
  bool readable = true;
  if (statError != 0 && statError != ENOENT && statError != ENOTDIR) {
    readable = false;
    error = std::strerror(statError);
  } else if (statError == 0) {
    try {
      bytes = LoadRegularFileBytes(file, TRegistry::MaxStoreFileBytes);
    } catch (const Exception& e) {
      readable = false;
      error = e.Message();
    }
  }
  const bool parsed = !readable || s.store.Parse(bytes, error);
  if (s.store.Refused()) readable = false;
  const std::string key = file + "#" + std::to_string(stamp[1]) + "#" + std::to_string(stamp[3]);
  const bool firstSight = s.reported != key;
  if (!readable) {
    // Not damage: the file may be fine and only out of reach; it is never replaced.
    s.leaveAlone = true;
    if (firstSight) {
      s.reported = key;
      Report("The settings file " + file + " cannot be read (" + error +
             "). Velmaron runs on its default settings and leaves the file as it is; "
             "settings changed in this run are not saved.");
    }
  } else if (!parsed && firstSight) {
    s.reported = key;
    std::string why;
    const std::string copy = KeepDamaged(file, bytes, why);
    if (!copy.empty()) {
      s.dirty = true;  // the settings that could be read replace the damaged file at the next save
      Report("The settings file " + file + " was damaged (" + error +
             "). The settings that could be read are kept; the damaged file is kept as " + copy + ".");
    } else {
      s.leaveAlone = true;
      Report("The settings file " + file + " was damaged (" + error +
             "). The settings that could be read are used, but no copy of the damaged file could be made (" + why +
             "), so it is left as it is and settings changed in this run are not saved.");
    }
  }
  AddHardwareDescription(s.store);
  for (const TChange& c : s.changes) Apply(s.store, c);
}

void LoadStore() { LoadStore(State(), TRegistry::StoreFileName()); }

TRegistryStore& Store() {
  LoadStore();
  return State().store;
}

// Applies a change of this run to the store and keeps it for the save.
void Change(TChange c) {
  TStoreState& s = State();
  Apply(s.store, c);
  s.changes.push_back(std::move(c));
  s.dirty = true;
}

// Saves of the store run one at a time, also across processes: each holds a lock on the
// store's folder from reading the file as it is to the rename of the new one.
class TSaveLock {
 public:
  explicit TSaveLock(const std::string& dir) : fd_(open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ >= 0)
      while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
      }
  }
  ~TSaveLock() {
    if (fd_ >= 0) close(fd_);
  }
  TSaveLock(const TSaveLock&) = delete;
  TSaveLock& operator=(const TSaveLock&) = delete;

 private:
  int fd_;
};

// Under the lock: the file as it is now, with this run's changes over it, replaces the file.
// False when the file is to be left alone; a failed write throws.
bool SaveMerged(TStoreState& s) {
  const std::string file = s.loadedFrom;
  const std::string dir = ExtractFileDir(file);
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec && !DirectoryExists(dir)) throw EFCreateError("Cannot create folder \"" + dir + "\". " + ec.message());
  TSaveLock lock(dir);
  LoadStore(s, file);
  if (s.leaveAlone) return false;
  if (!s.dirty) return true;
  CheckFileReplaceable(file);
  SaveFileAtomically(file, s.store.Serialize());
  s.changes.clear();
  s.dirty = false;
  Stamp(file, s.stamp);
  return true;
}

}  // namespace

std::string TRegistry::StoreDirectory() {
  TStoreState& s = State();
  if (!s.overrideDir.empty()) return ExcludeTrailingPathDelimiter(s.overrideDir);
  const char* own = getenv("VELMARON_CONFIG_DIR");
  const char* test = getenv("VELMARON_TEST");
  if (!(own && *own) && test && *test) {
    s.testDir = GetTempDir() + "velmaron-test-" + std::to_string(getpid());
    return s.testDir;
  }
  return UserConfigDir();
}

std::string TRegistry::StoreFileName() { return StoreDirectory() + "/registry"; }

void TRegistry::SetStoreDirectory(const std::string& dir) {
  FlushStore();
  TStoreState& s = State();
  s.overrideDir = dir;
  s.loaded = false;
  s.dirty = false;
  s.changes.clear();
  s.lastError.clear();
  s.reported.clear();
}

std::string TRegistry::StoreError() { return State().lastError; }

bool TRegistry::FlushStore() {
  TStoreState& s = State();
  if (!s.loaded || !s.dirty) return true;
  if (s.leaveAlone) return false;  // the user has been told when the file was read
  try {
    return SaveMerged(s);
  } catch (const Exception& e) {
    Report("The settings could not be saved: " + e.Message() + ". The settings file stays as it was.");
    return false;
  }
}

// ===========================================================================
// TRegistry

TRegistry::TRegistry() = default;

TRegistry::TRegistry(uint32_t access) : access_(access) {}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY root) {
  if (root == root_) return;
  CloseKey();
  root_ = root;
}

std::string TRegistry::CurrentPath() const {
  std::string r;
  for (size_t i = 0; i < path_.size(); ++i) {
    if (i) r += '\\';
    r += path_[i];
  }
  return r;
}

bool TRegistry::Resolve(const std::string& key, std::vector<std::string>& path) const {
  bool relative = key.empty() || key[0] != '\\';
  path = (relative && open_) ? path_ : std::vector<std::string>();
  size_t i = 0;
  while (i <= key.size()) {
    size_t j = key.find('\\', i);
    if (j == std::string::npos) j = key.size();
    if (j > i) path.push_back(key.substr(i, j - i));
    i = j + 1;
  }
  return true;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
  std::vector<std::string> path;
  Resolve(key, path);
  TRegistryStore& store = Store();
  if (!store.Root(root_)) return false;
  TRegistryStore::TNode* n = store.Find(root_, path);
  if (!n && canCreate && store.Create(root_, path)) {
    Change({TChange::ckCreateKey, root_, path, {}, {}});
    n = store.Find(root_, path);
  }
  if (!n) return false;
  if (open_) CloseKey();
  path_.clear();
  for (const auto& seg : path) path_.push_back(seg);
  // Keep the names as stored.
  TRegistryStore::TNode* walk = store.Root(root_);
  for (auto& seg : path_) {
    walk = walk->FindKey(seg);
    seg = walk->Name;
  }
  open_ = true;
  readOnly_ = (access_ & 0x2) == 0;  // without the right to set values
  return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
  std::vector<std::string> path;
  Resolve(key, path);
  TRegistryStore& store = Store();
  TRegistryStore::TNode* n = store.Find(root_, path);
  if (!n) return false;
  if (open_) CloseKey();
  path_.clear();
  TRegistryStore::TNode* walk = store.Root(root_);
  for (const auto& seg : path) {
    walk = walk->FindKey(seg);
    path_.push_back(walk->Name);
  }
  open_ = true;
  readOnly_ = true;
  return true;
}

void TRegistry::CloseKey() {
  if (!open_) return;
  open_ = false;
  readOnly_ = false;
  path_.clear();
  FlushStore();
}

bool TRegistry::CreateKey(const std::string& key) {
  std::vector<std::string> path;
  Resolve(key, path);
  if (path.empty()) return false;
  TRegistryStore& store = Store();
  if (!store.Root(root_)) return false;
  if (!store.Find(root_, path)) {
    if (!store.Create(root_, path)) return false;
    Change({TChange::ckCreateKey, root_, path, {}, {}});
  }
  return true;
}

bool TRegistry::DeleteKey(const std::string& key) {
  std::vector<std::string> path;
  Resolve(key, path);
  if (path.empty() || !Store().Find(root_, path)) return false;
  Change({TChange::ckDeleteKey, root_, path, {}, {}});
  if (!open_ || !LazyWrite) FlushStore();
  return true;
}

bool TRegistry::KeyExists(const std::string& key) {
  std::vector<std::string> path;
  Resolve(key, path);
  return Store().Find(root_, path) != nullptr;
}

TRegistryStore::TNode* TRegistry::CurrentNode() {
  if (!open_) return nullptr;
  return Store().Find(root_, path_);
}

TRegistryStore::TValue* TRegistry::ValueOf(const std::string& name) {
  TRegistryStore::TNode* n = CurrentNode();
  return n ? n->FindValue(name) : nullptr;
}

bool TRegistry::ValueExists(const std::string& name) { return ValueOf(name) != nullptr; }

bool TRegistry::DeleteValue(const std::string& name) {
  TRegistryStore::TNode* n = CurrentNode();
  if (!n || readOnly_ || !n->FindValue(name)) return false;
  Change({TChange::ckDeleteValue, root_, path_, name, {}});
  return true;
}

bool TRegistry::RenameValue(const std::string& oldName, const std::string& newName) {
  TRegistryStore::TNode* n = CurrentNode();
  if (!n || readOnly_) return false;
  TRegistryStore::TValue* v = n->FindValue(oldName);
  if (!v || (n->FindValue(newName) && !SameText(oldName, newName))) return false;
  TRegistryStore::TValue copy = *v;
  Change({TChange::ckDeleteValue, root_, path_, oldName, {}});
  Change({TChange::ckSetValue, root_, path_, newName, std::move(copy)});
  return true;
}

bool TRegistry::HasSubKeys() {
  TRegistryStore::TNode* n = CurrentNode();
  return n && !n->Keys.empty();
}

bool TRegistry::GetKeyInfo(TRegKeyInfo& info) {
  info = TRegKeyInfo();
  TRegistryStore::TNode* n = CurrentNode();
  if (!n) return false;
  info.NumSubKeys = static_cast<int>(n->Keys.size());
  for (const auto& [name, k] : n->Keys) info.MaxSubKeyLen = std::max(info.MaxSubKeyLen, static_cast<int>(k->Name.size()));
  info.NumValues = static_cast<int>(n->Values.size());
  for (const auto& [name, v] : n->Values) {
    info.MaxValueLen = std::max(info.MaxValueLen, static_cast<int>(name.size()));
    info.MaxDataLen = std::max(info.MaxDataLen, static_cast<int>(v.Data.size()) + 1);
  }
  return true;
}

void TRegistry::GetKeyNames(TStrings* strings) {
  strings->BeginUpdate();
  strings->Clear();
  if (TRegistryStore::TNode* n = CurrentNode())
    for (const auto& [name, k] : n->Keys) strings->Add(k->Name);
  strings->EndUpdate();
}

void TRegistry::GetValueNames(TStrings* strings) {
  strings->BeginUpdate();
  strings->Clear();
  if (TRegistryStore::TNode* n = CurrentNode())
    for (const auto& [name, v] : n->Values) strings->Add(name);
  strings->EndUpdate();
}

bool TRegistry::GetDataInfo(const std::string& name, TRegDataInfo& info) {
  info = TRegDataInfo();
  TRegistryStore::TValue* v = ValueOf(name);
  if (!v) return false;
  info.RegData = v->Type;
  info.DataSize = static_cast<int>(v->Data.size()) + ((v->Type == rdString || v->Type == rdExpandString) ? 1 : 0);
  return true;
}

TRegDataType TRegistry::GetDataType(const std::string& name) {
  TRegDataInfo info;
  return GetDataInfo(name, info) ? info.RegData : rdUnknown;
}

int TRegistry::GetDataSize(const std::string& name) {
  TRegDataInfo info;
  return GetDataInfo(name, info) ? info.DataSize : -1;
}

void TRegistry::ReadError(const std::string& name) {
  throw ERegistryException("Invalid data type for '%s'", {name});
}

std::string TRegistry::ReadString(const std::string& name) {
  TRegistryStore::TValue* v = ValueOf(name);
  if (!v) return std::string();
  if (v->Type != rdString && v->Type != rdExpandString) ReadError(name);
  return v->Data;
}

int TRegistry::ReadInteger(const std::string& name) {
  TRegistryStore::TValue* v = ValueOf(name);
  if (!v) throw ERegistryException("Failed to get data for '%s'", {name});
  if (v->Type != rdInteger || v->Data.size() != 4) ReadError(name);
  uint32_t x = 0;
  for (int k = 3; k >= 0; --k) x = (x << 8) | static_cast<unsigned char>(v->Data[static_cast<size_t>(k)]);
  return static_cast<int>(x);
}

bool TRegistry::ReadBool(const std::string& name) { return ReadInteger(name) != 0; }

double TRegistry::ReadFloat(const std::string& name) {
  TRegistryStore::TValue* v = ValueOf(name);
  if (!v) throw ERegistryException("Failed to get data for '%s'", {name});
  if (v->Type != rdBinary || v->Data.size() != sizeof(double)) ReadError(name);
  double d;
  std::memcpy(&d, v->Data.data(), sizeof d);
  return d;
}

TDateTime TRegistry::ReadDateTime(const std::string& name) { return ReadFloat(name); }

int TRegistry::ReadBinaryData(const std::string& name, void* buffer, int bufSize) {
  TRegistryStore::TValue* v = ValueOf(name);
  if (!v) return 0;
  if ((v->Type != rdBinary && v->Type != rdUnknown) || static_cast<int>(v->Data.size()) > bufSize) ReadError(name);
  std::memcpy(buffer, v->Data.data(), v->Data.size());
  return static_cast<int>(v->Data.size());
}

std::string TRegistry::ReadBinary(const std::string& name) {
  TRegistryStore::TValue* v = ValueOf(name);
  if (!v) return std::string();
  if (v->Type != rdBinary && v->Type != rdUnknown) ReadError(name);
  return v->Data;
}

void TRegistry::PutValue(const std::string& name, TRegDataType type, std::string data) {
  TRegistryStore::TNode* n = CurrentNode();
  if (!n || readOnly_) throw ERegistryException("Failed to set data for '%s'", {name});
  TRegistryStore::TValue v;
  v.Type = type;
  v.Data = std::move(data);
  Change({TChange::ckSetValue, root_, path_, name, std::move(v)});
  if (!LazyWrite) FlushStore();
}

void TRegistry::WriteString(const std::string& name, const std::string& value) { PutValue(name, rdString, value); }

void TRegistry::WriteExpandString(const std::string& name, const std::string& value) {
  PutValue(name, rdExpandString, value);
}

void TRegistry::WriteInteger(const std::string& name, int value) {
  std::string d(4, '\0');
  uint32_t x = static_cast<uint32_t>(value);
  for (int k = 0; k < 4; ++k) d[static_cast<size_t>(k)] = static_cast<char>((x >> (8 * k)) & 0xFF);
  PutValue(name, rdInteger, std::move(d));
}

void TRegistry::WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }

void TRegistry::WriteFloat(const std::string& name, double value) {
  std::string d(sizeof value, '\0');
  std::memcpy(d.data(), &value, sizeof value);
  PutValue(name, rdBinary, std::move(d));
}

void TRegistry::WriteDateTime(const std::string& name, TDateTime value) { WriteFloat(name, value); }

void TRegistry::WriteBinaryData(const std::string& name, const void* buffer, int size) {
  PutValue(name, rdBinary, std::string(static_cast<const char*>(buffer), static_cast<size_t>(std::max(size, 0))));
}

#include "platform/rtl/IniFiles.h"

#include "platform/rtl/Win1252.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

namespace {

std::string_view TrimView(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

std::string Upper(std::string_view s) { return UpperCase(std::string(s)); }

// "[name]" with optional blanks around; the name is what lies between the brackets.
bool SectionHeader(std::string_view line, std::string_view& name) {
  std::string_view t = TrimView(line);
  if (t.empty() || t[0] != '[') return false;
  size_t close = t.find(']');
  name = TrimView(t.substr(1, (close == std::string_view::npos ? t.size() : close) - 1));
  return true;
}

// A value must stay on its line.
std::string OneLine(std::string_view v) {
  std::string r(v);
  for (char& c : r)
    if (c == '\r' || c == '\n') c = ' ';
  return r;
}

}  // namespace

std::string IniTextToUtf8(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  return IsValidUtf8(bytes) ? std::string(bytes) : Win1252ToUtf8(bytes);
}

bool SplitIniLine(std::string_view line, std::string& key, std::string& value) {
  std::string_view t = TrimView(line);
  if (t.empty() || t[0] == ';' || t[0] == '[') return false;
  size_t eq = t.find('=');
  if (eq == std::string_view::npos) return false;
  key.assign(TrimView(t.substr(0, eq)));
  value.assign(TrimView(t.substr(eq + 1)));
  return !key.empty();
}

// ===========================================================================
// TIniText

void TIniText::Parse(std::string_view text) {
  lines_.clear();
  bom_ = text.substr(0, 3) == "\xEF\xBB\xBF";
  if (bom_) text.remove_prefix(3);
  // Keep the file's own line end and whether its last line had one.
  size_t brk = text.find_first_of("\r\n");
  eol_ = "\r\n";
  if (brk != std::string_view::npos)
    eol_ = text[brk] == '\n' ? "\n" : (brk + 1 < text.size() && text[brk + 1] == '\n' ? "\r\n" : "\r");
  finalEol_ = text.empty() || text.back() == '\n' || text.back() == '\r';
  size_t i = 0, n = text.size();
  while (i < n) {
    size_t j = text.find_first_of("\r\n", i);
    if (j == std::string_view::npos) {
      lines_.emplace_back(text.substr(i));
      break;
    }
    lines_.emplace_back(text.substr(i, j - i));
    i = (text[j] == '\r' && j + 1 < n && text[j + 1] == '\n') ? j + 2 : j + 1;
  }
  Reindex();
}

std::string TIniText::Text() const {
  std::string r;
  size_t total = 0;
  for (const auto& l : lines_) total += l.size() + 2;
  r.reserve(total + 3);
  if (bom_) r = "\xEF\xBB\xBF";
  for (size_t i = 0; i < lines_.size(); ++i) {
    r += lines_[i];
    if (i + 1 < lines_.size() || finalEol_) r += eol_;
  }
  return r;
}

void TIniText::Clear() {
  lines_.clear();
  bom_ = false;
  eol_ = "\r\n";
  finalEol_ = true;
  Reindex();
}

void TIniText::Reindex() {
  sections_.clear();
  first_.clear();
  for (size_t i = 0; i < lines_.size(); ++i) {
    std::string_view name;
    if (!SectionHeader(lines_[i], name)) continue;
    if (!sections_.empty()) sections_.back().end = i;
    sections_.push_back(TSection{std::string(name), i, lines_.size()});
    first_.emplace(Upper(name), sections_.size() - 1);
  }
}

const TIniText::TSection* TIniText::FindSection(std::string_view name) const {
  auto it = first_.find(Upper(TrimView(name)));
  return it == first_.end() ? nullptr : &sections_[it->second];
}

size_t TIniText::FindKeyLine(const TSection& s, std::string_view key) const {
  std::string_view k = TrimView(key);
  std::string lineKey, value;
  for (size_t i = s.header + 1; i < s.end; ++i) {
    std::string_view t = TrimView(lines_[i]);
    if (t.size() < k.size() || t.empty() || t[0] == ';') continue;
    size_t eq = t.find('=');
    if (eq == std::string_view::npos) continue;
    if (SameText(TrimView(t.substr(0, eq)), k)) return i;
  }
  return std::string::npos;
}

bool TIniText::Find(std::string_view section, std::string_view key, std::string& value) const {
  const TSection* s = FindSection(section);
  if (!s) return false;
  size_t line = FindKeyLine(*s, key);
  if (line == std::string::npos) return false;
  std::string k;
  SplitIniLine(lines_[line], k, value);
  return true;
}

void TIniText::Write(std::string_view section, std::string_view key, std::string_view value) {
  std::string k(TrimView(key));
  std::string entry = k + "=" + OneLine(value);
  const TSection* s = FindSection(section);
  if (s) {
    size_t line = FindKeyLine(*s, k);
    if (line != std::string::npos) {
      lines_[line] = entry;
      return;
    }
    // After the section's last non-blank line, so blank separators stay where they are.
    size_t at = s->end;
    while (at > s->header + 1 && TrimView(lines_[at - 1]).empty()) --at;
    if (at == lines_.size()) finalEol_ = true;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), entry);
  } else {
    if (!lines_.empty() && !TrimView(lines_.back()).empty()) lines_.emplace_back();
    lines_.push_back("[" + std::string(TrimView(section)) + "]");
    lines_.push_back(entry);
    finalEol_ = true;
  }
  Reindex();
}

bool TIniText::EraseSection(std::string_view section) {
  std::string up = Upper(TrimView(section));
  bool any = false;
  for (size_t i = sections_.size(); i-- > 0;) {
    if (Upper(sections_[i].name) != up) continue;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(sections_[i].header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(sections_[i].end));
    any = true;
  }
  if (any) Reindex();
  return any;
}

bool TIniText::DeleteKey(std::string_view section, std::string_view key) {
  const TSection* s = FindSection(section);
  if (!s) return false;
  size_t line = FindKeyLine(*s, key);
  if (line == std::string::npos) return false;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(line));
  Reindex();
  return true;
}

std::vector<std::string> TIniText::Keys(std::string_view section) const {
  std::vector<std::string> r;
  const TSection* s = FindSection(section);
  if (!s) return r;
  std::vector<std::string> seen;
  std::string key, value;
  for (size_t i = s->header + 1; i < s->end; ++i) {
    if (!SplitIniLine(lines_[i], key, value)) continue;
    std::string up = Upper(key);
    if (std::find(seen.begin(), seen.end(), up) != seen.end()) continue;
    seen.push_back(up);
    r.push_back(key);
  }
  return r;
}

std::vector<std::string> TIniText::Sections() const {
  std::vector<std::string> r;
  for (size_t i = 0; i < sections_.size(); ++i) {
    auto it = first_.find(Upper(sections_[i].name));
    if (it != first_.end() && it->second == i) r.push_back(sections_[i].name);
  }
  return r;
}

// ===========================================================================
// TCustomIniFile

int TCustomIniFile::ReadInteger(const std::string& section, const std::string& ident, int def) {
  std::string s = ReadString(section, ident, std::string());
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s = "$" + s.substr(2);
  return StrToIntDef(s, def);
}

void TCustomIniFile::WriteInteger(const std::string& section, const std::string& ident, int value) {
  WriteString(section, ident, IntToStr(value));
}

bool TCustomIniFile::ReadBool(const std::string& section, const std::string& ident, bool def) {
  return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const std::string& section, const std::string& ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

double TCustomIniFile::ReadFloat(const std::string& section, const std::string& ident, double def) {
  return StrToFloatDef(ReadString(section, ident, std::string()), def);
}

void TCustomIniFile::WriteFloat(const std::string& section, const std::string& ident, double value) {
  WriteString(section, ident, FloatToStr(value));
}

TDateTime TCustomIniFile::ReadDate(const std::string& section, const std::string& ident, TDateTime def) {
  TDateTime v;
  return TryStrToDate(ReadString(section, ident, std::string()), v) ? v : def;
}

void TCustomIniFile::WriteDate(const std::string& section, const std::string& ident, TDateTime value) {
  WriteString(section, ident, DateToStr(value));
}

TDateTime TCustomIniFile::ReadDateTime(const std::string& section, const std::string& ident, TDateTime def) {
  TDateTime v;
  return TryStrToDateTime(ReadString(section, ident, std::string()), v) ? v : def;
}

void TCustomIniFile::WriteDateTime(const std::string& section, const std::string& ident, TDateTime value) {
  WriteString(section, ident, DateTimeToStr(value));
}

TDateTime TCustomIniFile::ReadTime(const std::string& section, const std::string& ident, TDateTime def) {
  TDateTime v;
  return TryStrToTime(ReadString(section, ident, std::string()), v) ? v : def;
}

void TCustomIniFile::WriteTime(const std::string& section, const std::string& ident, TDateTime value) {
  WriteString(section, ident, TimeToStr(value));
}

void TCustomIniFile::ReadSectionValues(const std::string& section, TStrings* strings) {
  TStringList keys;
  ReadSection(section, &keys);
  strings->BeginUpdate();
  strings->Clear();
  for (int i = 0; i < keys.Count(); ++i) strings->Add(keys[i] + "=" + ReadString(section, keys[i], std::string()));
  strings->EndUpdate();
}

bool TCustomIniFile::SectionExists(const std::string& section) {
  TStringList keys;
  ReadSection(section, &keys);
  return keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(const std::string& section, const std::string& ident) {
  TStringList keys;
  ReadSection(section, &keys);
  return keys.IndexOf(Trim(ident)) >= 0;
}

namespace {

void FillKeys(const TIniText& text, const std::string& section, TStrings* strings) {
  strings->BeginUpdate();
  strings->Clear();
  for (const auto& k : text.Keys(section)) strings->Add(k);
  strings->EndUpdate();
}

void FillSections(const TIniText& text, TStrings* strings) {
  strings->BeginUpdate();
  strings->Clear();
  for (const auto& s : text.Sections()) strings->Add(s);
  strings->EndUpdate();
}

}  // namespace

// ===========================================================================
// TIniFile

TIniFile::TIniFile(const std::string& fileName) : TCustomIniFile(fileName) {}

namespace {

// False, with bytes empty, when the file cannot be read or is no regular file of
// at most MaxIniFileBytes.
bool ReadIniBytes(const std::string& fileName, std::string& bytes) {
  try {
    bytes = LoadRegularFileBytes(fileName, MaxIniFileBytes);
    return true;
  } catch (const Exception&) {
    bytes.clear();
    return false;
  }
}

void FileStamp(const std::string& fileName, int64_t stamp[4]) {
  struct stat st {};
  std::fill(stamp, stamp + 4, -1);
  if (stat(fileName.c_str(), &st) == 0) {
    stamp[0] = static_cast<int64_t>(st.st_dev);
    stamp[1] = static_cast<int64_t>(st.st_ino);
    stamp[2] = static_cast<int64_t>(st.st_size);
    stamp[3] = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  }
}

}  // namespace

void TIniFile::Refresh() {
  int64_t stamp[4];
  FileStamp(fileName_, stamp);
  if (loaded_ && std::equal(stamp, stamp + 4, stamp_)) return;
  std::string bytes;
  // Unreadable reads as empty, like a missing file, but is never written over.
  refused_ = stamp[0] != -1 && !ReadIniBytes(fileName_, bytes);
  text_.Parse(bytes);
  std::copy(stamp, stamp + 4, stamp_);
  loaded_ = true;
}

TIniFile::~TIniFile() {
  if (unsynced_) SyncFile(fileName_);
}

void TIniFile::UpdateFile() {
  if (unsynced_) SyncFile(fileName_);
  unsynced_ = false;
}

void TIniFile::Save() {
  if (refused_) throw EIniFileException("Unable to write to %s", {fileName_});
  try {
    // Files written key by key (hundreds of keys for a device) are made durable once, at the end.
    CheckFileReplaceable(fileName_);
    SaveFileAtomically(fileName_, text_.Text(), false);
    unsynced_ = true;
  } catch (const Exception&) {
    loaded_ = false;  // the file still holds the old text
    throw EIniFileException("Unable to write to %s", {fileName_});
  }
  // The file now holds exactly our text.
  FileStamp(fileName_, stamp_);
  loaded_ = true;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& ident, const std::string& def) {
  Refresh();
  std::string v;
  if (!text_.Find(section, ident, v)) return def;
  if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) v = v.substr(1, v.size() - 2);
  return v;
}

void TIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
  Refresh();
  text_.Write(section, ident, value);
  Save();
}

void TIniFile::ReadSection(const std::string& section, TStrings* strings) {
  Refresh();
  FillKeys(text_, section, strings);
}

void TIniFile::ReadSections(TStrings* strings) {
  Refresh();
  FillSections(text_, strings);
}

void TIniFile::EraseSection(const std::string& section) {
  Refresh();
  if (text_.EraseSection(section)) Save();
}

void TIniFile::DeleteKey(const std::string& section, const std::string& ident) {
  Refresh();
  if (text_.DeleteKey(section, ident)) Save();
}

// ===========================================================================
// TMemIniFile

TMemIniFile::TMemIniFile(const std::string& fileName) : TCustomIniFile(fileName) { Load(); }

void TMemIniFile::Load() {
  std::string bytes;
  if (FileExists(fileName_)) ReadIniBytes(fileName_, bytes);
  text_.Parse(bytes);
}

std::string TMemIniFile::ReadString(const std::string& section, const std::string& ident,
                                    const std::string& def) {
  std::string v;
  return text_.Find(section, ident, v) ? v : def;
}

void TMemIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
  text_.Write(section, ident, value);
}

void TMemIniFile::ReadSection(const std::string& section, TStrings* strings) {
  FillKeys(text_, section, strings);
}

void TMemIniFile::ReadSections(TStrings* strings) { FillSections(text_, strings); }

void TMemIniFile::EraseSection(const std::string& section) { text_.EraseSection(section); }

void TMemIniFile::DeleteKey(const std::string& section, const std::string& ident) {
  text_.DeleteKey(section, ident);
}

void TMemIniFile::UpdateFile() {
  CheckFileReplaceable(fileName_);
  SaveFileAtomically(fileName_, text_.Text());
}

void TMemIniFile::GetStrings(TStrings* list) const {
  list->BeginUpdate();
  list->Clear();
  for (const auto& l : text_.Lines()) list->Add(l);
  list->EndUpdate();
}

void TMemIniFile::SetStrings(TStrings* list) { text_.Parse(list->Text()); }

void TMemIniFile::OpenForUpdate(const std::string& fileName, int64_t maxBytes) {
  fileName_ = fileName;
  struct stat st {};
  // lstat: a dangling link is there too, and its save is refused rather than made a new file.
  text_.Parse(lstat(fileName.c_str(), &st) == 0 ? LoadRegularFileBytes(fileName, maxBytes) : std::string());
}

void TMemIniFile::Rename(const std::string& fileName, bool reload) {
  fileName_ = fileName;
  if (reload) Load();
}

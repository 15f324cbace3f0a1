#pragma once
// INI files with the platform's private-profile rules: section and key names
// compared without case, the first matching section and key win, values
// trimmed, ";" starts a comment line, a missing file reads as empty. Writing a
// value rewrites only its own line; every other line stays as it was.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"

// The lines of an INI file with an index of its sections and keys.
class TIniText {
 public:
  // Splits at CRLF, LF or CR. A leading UTF-8 byte-order mark is not part of the
  // first line; Text() writes it back.
  void Parse(std::string_view text);
  // The lines with the text's own line end (CRLF for a new text); a last line that
  // had no line end keeps having none.
  std::string Text() const;
  void Clear();
  const std::vector<std::string>& Lines() const { return lines_; }

  // Trimmed value of the first key in the first matching section.
  bool Find(std::string_view section, std::string_view key, std::string& value) const;
  // Replaces the first matching key's line, or adds the key at the end of the first
  // matching section, or adds the section at the end of the file.
  void Write(std::string_view section, std::string_view key, std::string_view value);
  // Removes every section of that name with its lines; false when there was none.
  bool EraseSection(std::string_view section);
  // Removes the first matching key line of the first matching section.
  bool DeleteKey(std::string_view section, std::string_view key);
  // Keys of the first matching section, each once, in file order.
  std::vector<std::string> Keys(std::string_view section) const;
  // Section names, each once, in file order.
  std::vector<std::string> Sections() const;

 private:
  struct TSection {
    std::string name;   // as written
    size_t header = 0;  // line of "[name]"
    size_t end = 0;     // one past the section's last line
  };
  void Reindex();
  const TSection* FindSection(std::string_view name) const;
  // Index of the first key line in the section, or npos.
  size_t FindKeyLine(const TSection& s, std::string_view key) const;

  std::vector<std::string> lines_;
  std::string eol_ = "\r\n";
  bool finalEol_ = true;
  bool bom_ = false;
  std::vector<TSection> sections_;
  std::map<std::string, size_t> first_;  // upper-case name -> first section
};

// The text of INI bytes in one encoding: without a UTF-8 byte-order mark, kept
// as it is when it is valid UTF-8, else read as Windows-1252 and given as UTF-8.
std::string IniTextToUtf8(std::string_view bytes);

// Splits one INI line: true for "key=value" with the trimmed parts.
bool SplitIniLine(std::string_view line, std::string& key, std::string& value);

// A file beyond this, or one that is no regular file, reads as empty.
constexpr int64_t MaxIniFileBytes = int64_t(16) << 20;

class TCustomIniFile : public TObject {
 public:
  explicit TCustomIniFile(const std::string& fileName) : fileName_(fileName) {}
  const std::string& FileName() const { return fileName_; }

  virtual std::string ReadString(const std::string& section, const std::string& ident,
                                 const std::string& def) = 0;
  virtual void WriteString(const std::string& section, const std::string& ident,
                           const std::string& value) = 0;
  // Decimal, "$" or "0x" hexadecimal; def when missing or not a number.
  int ReadInteger(const std::string& section, const std::string& ident, int def);
  void WriteInteger(const std::string& section, const std::string& ident, int value);
  // A number other than 0 is true.
  bool ReadBool(const std::string& section, const std::string& ident, bool def);
  // Writes "1" or "0".
  void WriteBool(const std::string& section, const std::string& ident, bool value);
  double ReadFloat(const std::string& section, const std::string& ident, double def);
  void WriteFloat(const std::string& section, const std::string& ident, double value);
  TDateTime ReadDate(const std::string& section, const std::string& ident, TDateTime def);
  void WriteDate(const std::string& section, const std::string& ident, TDateTime value);
  TDateTime ReadDateTime(const std::string& section, const std::string& ident, TDateTime def);
  void WriteDateTime(const std::string& section, const std::string& ident, TDateTime value);
  TDateTime ReadTime(const std::string& section, const std::string& ident, TDateTime def);
  void WriteTime(const std::string& section, const std::string& ident, TDateTime value);

  // Clear the list and fill it with the section's keys / the section names /
  // "key=value" lines of the section.
  virtual void ReadSection(const std::string& section, TStrings* strings) = 0;
  virtual void ReadSections(TStrings* strings) = 0;
  void ReadSectionValues(const std::string& section, TStrings* strings);
  // True when the section holds at least one key.
  bool SectionExists(const std::string& section);
  bool ValueExists(const std::string& section, const std::string& ident);
  virtual void EraseSection(const std::string& section) = 0;
  virtual void DeleteKey(const std::string& section, const std::string& ident) = 0;
  // Writes pending changes to the file.
  virtual void UpdateFile() = 0;

 protected:
  std::string fileName_;
};

// Reads the file at each call (re-parsing only when it changed) and writes each
// change to it at once, atomically. Values in matching quotes lose the quotes.
// A failed write raises EIniFileException "Unable to write to %s".
class TIniFile : public TCustomIniFile {
 public:
  explicit TIniFile(const std::string& fileName);
  // Makes the written file durable.
  ~TIniFile() override;

  std::string ReadString(const std::string& section, const std::string& ident,
                         const std::string& def) override;
  void WriteString(const std::string& section, const std::string& ident, const std::string& value) override;
  void ReadSection(const std::string& section, TStrings* strings) override;
  void ReadSections(TStrings* strings) override;
  void EraseSection(const std::string& section) override;
  void DeleteKey(const std::string& section, const std::string& ident) override;
  // Makes the writes so far durable (each write is already in the file).
  void UpdateFile() override;

 private:
  void Refresh();
  void Save();

  TIniText text_;
  bool loaded_ = false;
  bool unsynced_ = false;
  bool refused_ = false;  // the file is there but was not read: writes raise and leave it
  int64_t stamp_[4] = {-1, -1, -1, -1};  // device, inode, size, mtime in ns
};

// Reads the file once and keeps every change in memory until UpdateFile.
class TMemIniFile : public TCustomIniFile {
 public:
  // A missing or unreadable file gives an empty list.
  explicit TMemIniFile(const std::string& fileName);

  std::string ReadString(const std::string& section, const std::string& ident,
                         const std::string& def) override;
  void WriteString(const std::string& section, const std::string& ident, const std::string& value) override;
  void ReadSection(const std::string& section, TStrings* strings) override;
  void ReadSections(TStrings* strings) override;
  void EraseSection(const std::string& section) override;
  void DeleteKey(const std::string& section, const std::string& ident) override;
  // Saves atomically; raises EFCreateError / EWriteError and keeps the old file on failure.
  void UpdateFile() override;

  void Clear() { text_.Clear(); }
  // Replaces the contents with the lines of `text`.
  void SetText(std::string_view text) { text_.Parse(text); }
  // The contents as UpdateFile writes them.
  std::string Text() const { return text_.Text(); }
  void GetStrings(TStrings* list) const;
  void SetStrings(TStrings* list);
  // Points at another file, optionally reading it.
  void Rename(const std::string& fileName, bool reload);
  // Points at a file a save will change in part: a missing file is an empty one; a file that is
  // there but cannot be read (no regular file, larger than maxBytes, no permission) raises
  // EFOpenError with the reason, so what it holds is never replaced unread.
  void OpenForUpdate(const std::string& fileName, int64_t maxBytes);

 private:
  void Load();
  TIniText text_;
};

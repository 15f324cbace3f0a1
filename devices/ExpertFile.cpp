#include "devices/ExpertFile.h"

namespace {

constexpr const char* CommentMark = ",Comments: ";
constexpr const char* SequenceMark = "Sequence:";

// Line breaks inside a field would split its line: they are written as blanks.
std::string OneLine(std::string s) {
  for (char& c : s)
    if (c == '\r' || c == '\n') c = ' ';
  return s;
}

// Blanks and control characters at both ends go, as the line reader trims them.
std::string TrimLine(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

std::vector<std::string> Lines(const std::string& Bytes) {
  std::vector<std::string> lines;
  std::string cur;
  bool open = false;
  for (size_t i = 0; i < Bytes.size(); ++i) {
    const char c = Bytes[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(cur);
      cur.clear();
      open = false;
      if (c == '\r' && i + 1 < Bytes.size() && Bytes[i + 1] == '\n') ++i;
    } else {
      cur += c;
      open = true;
    }
  }
  if (open) lines.push_back(cur);
  return lines;
}

// Takes the text before the first comma as a field; without a comma the field is empty.
std::string TakeField(std::string& s) {
  const size_t p = s.find(',');
  if (p == std::string::npos) return std::string();
  std::string field = s.substr(0, p);
  s.erase(0, p + 1);
  return field;
}

}  // namespace

std::string WriteExpertFile(const std::vector<TExpertRow>& Rows, const std::string& Sequence) {
  std::string out = std::string(ExpertFileHeader) + "\r\n";
  for (const TExpertRow& r : Rows) {
    std::string line = r.Address + "," + r.RW + "," + r.Stop + "," + r.Delay + "," + r.Data;
    if (!r.Notes.empty()) line += CommentMark + r.Notes;
    if (line == ",,,,") continue;
    out += OneLine(line) + "\r\n";
  }
  out += std::string(SequenceMark) + OneLine(Sequence) + "\r\n";
  return out;
}

bool ReadExpertFile(const std::string& Bytes, TExpertFile& File, std::string& Error) {
  File = TExpertFile();
  const std::vector<std::string> lines = Lines(Bytes);
  if (lines.empty() ||
      (lines[0] != ExpertFileHeader && lines[0] != "Velmaron Data File" && lines[0] != "Brennick Data File")) {
    Error = "not an expert mode data file (first line is not \"Expert Mode Data File\")";
    return false;
  }
  for (size_t n = 1; n < lines.size(); ++n) {
    std::string line = TrimLine(lines[n]);
    if (line.empty()) continue;
    if (line.compare(0, 9, SequenceMark) == 0) {
      // As it stands: Send Sequence checks it.
      File.Sequence = line.substr(9, 255);
      File.HasSequence = true;
      continue;
    }
    const size_t mark = line.find(CommentMark);
    // A "/" before the note marks a line that is not a message; a note may hold one.
    if (line.substr(0, mark).find('/') != std::string::npos) continue;
    if (static_cast<int>(File.Rows.size()) == ExpertMaxFileRows) {
      Error = "more than " + std::to_string(ExpertMaxFileRows) + " messages";
      return false;
    }
    TExpertRow row;
    if (mark != std::string::npos) {
      row.Notes = line.substr(mark + std::string(CommentMark).size());
      line.erase(mark);
    }
    row.Address = TakeField(line);
    row.RW = TakeField(line);
    row.Stop = TakeField(line);
    row.Delay = TakeField(line);
    row.Data = line;
    File.Rows.push_back(row);
  }
  return true;
}

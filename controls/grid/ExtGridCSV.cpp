// The CSV import: records as RFC 4180 reads them (quoted fields over several lines, doubled
// quotes), the delimiter guessed from the first two records when none is set. The whole file
// is read through the one reader of regular files and checked before the grid changes.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtUtil.h"
#include "platform/grid/GridStore.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"

namespace {

// 0x80 in each byte of W that equals C, 0 in the others (exact: no byte is marked by a neighbour).
uint64_t BytesEqual(uint64_t W, char C) {
  const uint64_t t = W ^ (0x0101010101010101ull * static_cast<unsigned char>(C));
  constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  return ~(((t & kLow7) + kLow7) | t | kLow7);
}
// How many bytes BytesEqual marked (without a popcount instruction, which the build may lack).
int MarkedBytes(uint64_t M) { return static_cast<int>(((M >> 7) * 0x0101010101010101ull) >> 56); }

// The first C at or after P, or null: eight bytes at a time, inline (most quoted spans are short,
// where a call of memchr costs more than the search).
const char* FindByte(const char* p, const char* end, char C) {
  if constexpr (std::endian::native == std::endian::little) {
    for (; end - p >= 8; p += 8) {
      uint64_t w;
      std::memcpy(&w, p, 8);
      if (const uint64_t m = BytesEqual(w, C)) return p + std::countr_zero(m) / 8;
    }
  }
  for (; p < end; ++p)
    if (*p == C) return p;
  return nullptr;
}

// The next quote or line end at or after P (or End); Cols counts the delimiters passed on the way.
const char* NextStop(const char* p, const char* end, char Delim, int& Cols) {
  if constexpr (std::endian::native == std::endian::little) {
    for (; end - p >= 8; p += 8) {
      uint64_t w;
      std::memcpy(&w, p, 8);
      const uint64_t stop = BytesEqual(w, '"') | BytesEqual(w, '\r') | BytesEqual(w, '\n');
      uint64_t delims = Delim ? BytesEqual(w, Delim) : 0;
      if (stop) {
        const int at = std::countr_zero(stop);
        Cols += MarkedBytes(delims & ((uint64_t{1} << at) - 1));
        return p + at / 8;
      }
      Cols += MarkedBytes(delims);
    }
  }
  for (; p < end; ++p) {
    const char c = *p;
    if (c == '"' || c == '\r' || c == '\n') return p;
    if (c == Delim && Delim) ++Cols;
  }
  return end;
}

// Larger files are refused: the import holds the file and the grid's copy of it at once.
constexpr int64_t kMaxCsvBytes = int64_t(1) << 30;
// A record longer than this is no table a person made; it ends the import with a message.
constexpr size_t kMaxRecordBytes = size_t(16) << 20;

const char kCandidates[] = {',', ';', '#', '\t', '|', '@', '*', '-', '+', '&'};
bool Usual(char c) { return c == ',' || c == ';' || c == '\t' || c == '|'; }
bool Digit(char c) { return c >= '0' && c <= '9'; }

// No byte above 127 (eight at a time): such a text is UTF-8 without looking further.
bool AsciiOnly(const std::string& s) {
  size_t i = 0, n = s.size();
  uint64_t any = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t w;
    std::memcpy(&w, s.data() + i, 8);
    any |= w;
  }
  for (; i < n; ++i) any |= static_cast<unsigned char>(s[i]);
  return (any & 0x8080808080808080ull) == 0;
}

// Where each record ends (the index past its line end), quotes respected.
struct TRecordScan {
  std::vector<size_t> Ends;
  size_t Longest = 0;
  bool Unclosed = false;
};

// The first records of a text, for the delimiter guess (at most Count).
std::vector<std::string> FirstRecords(const std::string& s, size_t from, int count) {
  std::vector<std::string> r;
  size_t i = from, start = from;
  bool quoted = false;
  while (i < s.size() && static_cast<int>(r.size()) < count) {
    char c = s[i];
    if (c == '"') quoted = !quoted;
    if (!quoted && (c == '\r' || c == '\n')) {
      r.push_back(s.substr(start, i - start));
      i += (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ? 2 : 1;
      start = i;
      continue;
    }
    ++i;
  }
  if (static_cast<int>(r.size()) < count && start < s.size()) r.push_back(s.substr(start));
  return r;
}

// Occurrences of c outside quotes: runs of odd length (Runs) or all (else). The unusual
// candidates never count beside a digit: dates and negative numbers stay one column.
int CountDelimiter(const std::string& line, char c, bool runs) {
  int n = 0;
  bool quoted = false;
  for (size_t i = 0; i < line.size();) {
    if (line[i] == '"') {
      quoted = !quoted;
      ++i;
      continue;
    }
    if (quoted || line[i] != c) {
      ++i;
      continue;
    }
    size_t j = i;
    while (j < line.size() && line[j] == c) ++j;
    const size_t len = j - i;
    const bool digits = !Usual(c) && ((i > 0 && Digit(line[i - 1])) || (j < line.size() && Digit(line[j])));
    if (!digits) n += runs ? (len % 2) : static_cast<int>(len);
    i = j;
  }
  return n;
}

char PickDelimiter(const std::vector<std::string>& lines, bool usualOnly, bool unusualOnly) {
  const std::string& l1 = lines[0];
  const std::string l2 = lines.size() > 1 ? lines[1] : std::string();
  const bool two = lines.size() > 1;
  for (bool runs : {true, false}) {
    char best = 0;
    int bestCount = 0;
    for (char c : kCandidates) {
      if ((usualOnly && !Usual(c)) || (unusualOnly && Usual(c))) continue;
      int a = CountDelimiter(l1, c, runs), b = two ? CountDelimiter(l2, c, runs) : a;
      if (a == b && a > bestCount) best = c, bestCount = a;
    }
    if (best && two) return best;
  }
  return 0;
}
}  // namespace

char TExtStringGrid::GuessCSVDelimiter(const std::string& Text) {
  std::vector<std::string> lines = FirstRecords(Text, 0, 2);
  if (lines.empty()) return 0;
  // Consistent in both records: the usual delimiters first, the others only without one.
  if (char d = PickDelimiter(lines, true, false)) return d;
  if (char d = PickDelimiter(lines, false, true)) return d;
  // One record, or none consistent: the most frequent, ties to the first in the list.
  char best = 0;
  int bestCount = 0;
  for (char c : kCandidates) {
    int a = CountDelimiter(lines[0], c, false), b = lines.size() > 1 ? CountDelimiter(lines[1], c, false) : 0;
    if (std::max(a, b) > bestCount) best = c, bestCount = std::max(a, b);
  }
  return best;
}

// Reads the records of Text from From on: each field into the string Target(col) gives (cleared
// first), then Field(col, that string); after each record EndRecord(fields, bytes with its line
// end). A quoted field runs to its closing quote over any line ends; characters after it up to
// the delimiter belong to it. In an unquoted field a doubled quote is one, a single one is
// dropped. False, having stopped, where a quoted field has no closing quote or EndRecord says
// false.
template <class TargetFn, class FieldFn, class RecordFn>
static bool ReadCsvRecords(const std::string& Text, size_t From, char Delim, TargetFn Target, FieldFn Field,
                           RecordFn EndRecord) {
  const char* p = Text.data() + From;
  const char* end = Text.data() + Text.size();
  while (p < end) {
    const char* recStart = p;
    int col = 0;
    for (;;) {
      std::string& f = Target(col);
      f.clear();
      if (p < end && *p == '"') {
        ++p;
        for (;;) {
          const char* q = FindByte(p, end, '"');
          if (!q) return false;
          f.append(p, static_cast<size_t>(q - p));
          p = q + 1;
          if (p < end && *p == '"') {
            f += '"';
            ++p;
            continue;
          }
          break;
        }
      }
      // The unquoted part (or what follows a closing quote).
      const char* s = p;
      bool quote = false;
      for (;;) {
        // Eight bytes at a time: the first delimiter or line end among them ends the field.
        if constexpr (std::endian::native == std::endian::little) {
          if (end - p >= 8) {
            uint64_t w;
            std::memcpy(&w, p, 8);
            const uint64_t stop = BytesEqual(w, Delim) | BytesEqual(w, '\r') | BytesEqual(w, '\n');
            const uint64_t quotes = BytesEqual(w, '"');
            if (!stop) {
              quote |= quotes != 0;
              p += 8;
              continue;
            }
            const int at = std::countr_zero(stop) / 8;
            quote |= (quotes & ((uint64_t{1} << (8 * at)) - 1)) != 0;
            p += at;
            break;
          }
        }
        for (; p < end; ++p) {
          const char c = *p;
          if (c == Delim || c == '\r' || c == '\n') break;
          quote |= c == '"';
        }
        break;
      }
      if (s != p) {
        if (quote) {
          for (const char* k = s; k < p; ++k) {
            if (*k == '"') {
              if (k + 1 < p && k[1] == '"') f += '"', ++k;
              continue;
            }
            f += *k;
          }
        } else {
          f.append(s, static_cast<size_t>(p - s));
        }
      }
      Field(col++, f);
      if (p < end && *p == Delim && Delim) {
        ++p;
        continue;
      }
      break;
    }
    if (p < end && *p == '\r') ++p;
    if (p < end && *p == '\n') ++p;
    if (!EndRecord(col, static_cast<size_t>(p - recStart))) return false;
  }
  return true;
}

// The records and the most fields in one, checked: a quoted field without its closing quote or a
// record over kMaxRecordBytes raises EExtGridError naming the record.
static void CheckCsvShape(const std::string& text, size_t from, char delim, const std::string& Name,
                          int64_t& records, int& maxCols) {
  records = 0;
  maxCols = 0;
  const char* p = text.data() + from;
  const char* end = text.data() + text.size();
  const char* recStart = p;
  int cols = 1;
  bool quoted = false;
  // Only quotes and line ends stop the scan; the delimiters between are counted on the way.
  while (p < end) {
    if (quoted) {
      const char* q = FindByte(p, end, '"');
      if (!q) {
        p = end;
        break;
      }
      p = q;
      if (p + 1 < end && p[1] == '"') ++p;
      else quoted = false;
      ++p;
      continue;
    }
    p = NextStop(p, end, delim, cols);
    if (p >= end) break;
    const char c = *p;
    if (c == '"') {
      // Quoted only where a field starts with the quote.
      const bool fieldStart = p == recStart || p[-1] == delim || p[-1] == '\n' || p[-1] == '\r';
      if (fieldStart) quoted = true;
    } else if (c == delim && delim) {
      ++cols;
    } else {
      if (c == '\r' && p + 1 < end && p[1] == '\n') ++p;
      if (static_cast<size_t>(p - recStart) > kMaxRecordBytes)
        throw EExtGridError("Cannot import " + Name + ": record " + std::to_string(records + 1) +
                            " is longer than " + std::to_string(kMaxRecordBytes) + " bytes");
      ++records;
      maxCols = std::max(maxCols, cols);
      cols = 1;
      recStart = p + 1;
    }
    ++p;
  }
  if (quoted)
    throw EExtGridError("Cannot import " + Name + ": a quoted field of record " + std::to_string(records + 1) +
                        " has no closing quote");
  if (recStart < end) {
    if (static_cast<size_t>(end - recStart) > kMaxRecordBytes)
      throw EExtGridError("Cannot import " + Name + ": record " + std::to_string(records + 1) +
                          " is longer than " + std::to_string(kMaxRecordBytes) + " bytes");
    ++records;
    maxCols = std::max(maxCols, cols);
  }
}

void TExtStringGrid::LoadCSVFile(const std::string& FileName, bool Append) {
  std::string text;
  try {
    text = LoadRegularFileBytes(FileName, kMaxCsvBytes);
  } catch (const Exception& e) {
    // The grid's own words, then the reader's reason (its message names the file once more).
    const std::string head = "Cannot open file \"" + FileName + "\". ";
    const std::string& why = e.Message();
    throw EExtGridError("Cannot open file " + FileName + ". " + (why.rfind(head, 0) == 0 ? why.substr(head.size()) : why));
  }
  ImportCSVText(text, Append, FileName);
}

TSize TExtStringGrid::ImportCSVText(std::string& text, bool Append, const std::string& Name) {
  // One encoding for the whole file: UTF-8 (its mark dropped), else Windows-1252 made UTF-8.
  size_t from = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  if (OemConvert) ExtUtil::OemToAnsiText(text);
  if (!AsciiOnly(text) && !IsValidUtf8(std::string_view(text).substr(from))) {
    text = Win1252ToUtf8(std::string_view(text).substr(from));
    from = 0;
  }
  const char delim = Delimiter ? Delimiter : GuessCSVDelimiter(text.substr(from, 1 << 20));

  if (std::memchr(text.data() + from, '\0', text.size() - from))
    throw EExtGridError("Cannot import " + Name + ": it holds NUL bytes, it is no text file");
  const int startCol = IncludeFixedCells ? 0 : FixedCols();
  // The footer rows (the floating footer's row among them) stay the last rows, whole: texts,
  // calculations and heights move below the records.
  int row = Append ? RowCount() - fixedFooters_ : (IncludeFixedCells ? 0 : FixedRows());
  const int first = row;
  const int footerStart = RowCount() - fixedFooters_;
  const bool moveFooters = fixedFooters_ > 0 && footerStart >= first;
  const int extraRows = fixedFooters_;
  int64_t records = 0;
  int maxCols = 0;
  const auto indexesFit = [&] {
    return first + records + extraRows <= TGridStore::kIndexBound && startCol + maxCols <= TGridStore::kIndexBound;
  };
  const auto cellsFit = [&] {
    return CellGrowthFits(std::max<int64_t>(ColCount(), startCol + maxCols), first + records + extraRows);
  };

  TExtGridUndoRedo* undo = UndoRedo();
  const bool tilde = TildeLineBreaks;
  // A text without the marks needs no field looked at for them.
  const auto holds = [&](char c) { return std::memchr(text.data() + from, c, text.size() - from) != nullptr; };
  const bool marks = tilde ? holds('~') || holds('^') : holds('\v');
  // Without an undo list or a load handler each field is read straight into its cell; else into
  // a scratch text that the handler sees and the undo list compares before it is stored.
  const bool direct = !undo && !OnLoadCell;
  std::vector<std::string>* texts = nullptr;
  std::string scratch;
  bool tooWide = false;  // a record past the last column, found by the one-pass reading
  const auto target = [&](int col) -> std::string& {
    if (!direct) return scratch;
    if (startCol + col >= TGridStore::kIndexBound) {
      tooWide = true;
      return scratch;
    }
    if (!texts) {
      texts = &RowTextsQuietly(row);
      // A row grows once, to the widest record so far.
      if (texts->capacity() < static_cast<size_t>(startCol + maxCols)) texts->reserve(static_cast<size_t>(startCol + maxCols));
    }
    return TextInQuietly(*texts, startCol + col);
  };
  const auto field = [&](int col, std::string& f) {
    if (marks) {
      if (tilde) {
        if (f.find_first_of("~^") != std::string::npos) ExtUtil::TildeToLineBreaks(f);
      } else if (f.find('\v') != std::string::npos) {
        ExtUtil::VTToLineBreaks(f);
      }
    }
    if (direct) return;
    // The load step without a repaint per cell: the grid repaints once at the end.
    LoadCell(startCol + col, row, f);
    if (undo && GridCells(startCol + col, row) != f) undo->Add(startCol + col, row, GridCells(startCol + col, row), f);
    // Exchanged into the cell: the reader clears f before its next field.
    SwapCellTextQuietly(startCol + col, row, f);
  };

  // Where no row to fill holds anything yet and nobody watches, the file is read in one pass
  // straight into the cells: a fault found on the way drops those rows again, and the checked
  // reading below then says what it is.
  bool read = false;
  const int held = Store().RowsHeld();
  if (direct && fixedFooters_ == 0 && !OnFileProgress && first >= held) {
    read = ReadCsvRecords(text, from, delim, target, field, [&](int fields, size_t bytes) {
      texts = nullptr;
      ++row;
      ++records;
      maxCols = std::max(maxCols, fields);
      return !tooWide && bytes <= kMaxRecordBytes && indexesFit() && cellsFit();
    });
    if (!read) {
      DropRowsQuietly(held);
      row = first;
      records = 0;
      maxCols = 0;
    }
  }
  // Else the whole file is checked before the grid changes: records, columns, quotes, sizes.
  if (!read) CheckCsvShape(text, from, delim, Name, records, maxCols);
  if (!indexesFit())
    throw EExtGridError("Cannot import " + Name + ": " + std::to_string(records) + " records of up to " +
                        std::to_string(maxCols) + " fields do not fit into a grid");
  CheckCellGrowth(std::max<int64_t>(ColCount(), startCol + maxCols), first + records + extraRows, "Cannot import " + Name);

  TUndoStepScope step(undo);
  if (undo) undo->AddCounts(ColCount(), RowCount());
  BeginUpdate();
  const int endRow = first + static_cast<int>(records);
  if (moveFooters && endRow > footerStart) {
    if (undo) undo->AddRowsInserted(footerStart, endRow - footerStart);
    InsertRows(footerStart, endRow - footerStart);
  } else if (moveFooters && endRow < footerStart) {
    RemoveRows(endRow, footerStart - endRow);
  } else if (!moveFooters) {
    SetRowCount(endRow + extraRows);
  }
  if (startCol + maxCols > ColCount()) SetColCount(startCol + maxCols);
  int lastPercent = -1;
  auto progress = [&](int r) {
    if (!OnFileProgress) return;
    int pct = records ? static_cast<int>(std::lround(100.0 * (r - first) / records)) : 100;
    if (pct != lastPercent) OnFileProgress(this, lastPercent = pct);
  };
  if (!read) {
    if (direct) ReserveRowsQuietly(endRow);
    ReadCsvRecords(text, from, delim, target, field, [&](int, size_t) {
      texts = nullptr;
      ++row;
      progress(row);
      return true;
    });
  }
  if (records == 0) progress(row);
  EndUpdate();
  Invalidate();
  CellsChanged(TRect(0, 0, ColCount(), RowCount()));
  UpdateFooter();
  return TSize(maxCols, static_cast<int>(records));
}

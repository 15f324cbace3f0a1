// The grid text stream: a size line, the column widths, then one line per non-empty saved cell.
// The reader checks the grid's whole part of the stream before it changes the grid.
#include <algorithm>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtUtil.h"
#include "platform/grid/GridStore.h"

void TExtStringGrid::WriteStreamLine(TStream* Stream, const std::string& Text) {
  std::string l = Text + "\r\n";
  Stream->Write(l.data(), static_cast<int64_t>(l.size()));
}

int TExtStringGrid::ReadStreamLine(TStream* Stream, std::string& Text) {
  Text.clear();
  char c;
  while (Stream->Read(&c, 1) == 1) {
    if (c == '\r') {
      Stream->Read(&c, 1);  // the LF
      break;
    }
    Text += c;
  }
  return static_cast<int>(Text.size());
}

TGridRect TExtStringGrid::StreamRange() const {
  if (IncludeFixedCells) return TGridRect{0, 0, ColCount() - 1, RowCount() - 1};
  return TGridRect{FixedCols(), FixedRows(), ColCount() - fixedRightCols_ - 1, RowCount() - fixedFooters_ - 1};
}

void TExtStringGrid::SaveGridToStream(TStream* Stream) {
  const TGridRect s = StreamRange();
  WriteStreamLine(Stream, std::to_string(std::max(0, s.Right - s.Left + 1)) + "," +
                              std::to_string(std::max(0, s.Bottom - s.Top + 1)));
  for (int c = 0; c < ColCount(); ++c) WriteStreamLine(Stream, "cw " + std::to_string(c) + "," + std::to_string(ColWidths(c)));
  // Rows written out report as a copy's rows do.
  ClipboardCopyProgress(csStart, s.Top);
  std::string v;
  for (int r = s.Top; r <= s.Bottom; ++r) {
    ClipboardCopyProgress(csRow, r);
    for (int c = s.Left; c <= s.Right; ++c) {
      SaveCellText(c, r, v);
      if (v.empty()) continue;
      WriteStreamLine(Stream,
                      std::to_string(c - s.Left) + "," + std::to_string(r - s.Top) + "," + ExtUtil::LinesToSingleLine(v));
    }
  }
  ClipboardCopyProgress(csEnd, s.Bottom);
}

namespace {
// "a,b" parts as the reader splits them: up to the first ",", and the rest.
void SplitAtComma(std::string_view s, std::string_view& head, std::string_view& rest) {
  size_t p = s.find(',');
  head = p == std::string_view::npos ? s : s.substr(0, p);
  rest = p == std::string_view::npos ? std::string_view() : s.substr(p + 1);
}

// The stream's lines, read a block at a time from where the stream stands: a line is looked at
// in place in the block, so no more than the longest line and one block is ever held.
class TStreamLines {
 public:
  explicit TStreamLines(TStream* S) : s_(S), base_(S->Position()) {}
  // The next line without its CR (the byte after the CR, the LF, is skipped); false at the end.
  bool Next(std::string_view& Line) {
    lineStart_ = base_ + static_cast<int64_t>(at_);
    size_t e, from = at_;
    for (;;) {
      e = buf_.find('\r', from);
      // A CR is only whole with the byte after it; the last line may lack both.
      if ((e != std::string::npos && e + 1 < buf_.size()) || eof_) break;
      const size_t scanned = (e == std::string::npos ? buf_.size() : e) - at_;
      // Refused before it is held whole: no grid line is this long.
      if (scanned > kMaxLineBytes)
        throw EExtGridError("Grid stream line " + Excerpt(std::string_view(buf_).substr(at_, 64)) +
                            " is longer than " + std::to_string(kMaxLineBytes) + " bytes");
      Fill();
      from = at_ + scanned;
    }
    if (at_ >= buf_.size()) return false;
    const size_t lineEnd = e == std::string::npos ? buf_.size() : e;
    Line = std::string_view(buf_).substr(at_, lineEnd - at_);
    at_ = e == std::string::npos ? buf_.size() : std::min(buf_.size(), e + 2);
    return true;
  }
  // Where the line Next gave last began, and where the lines read so far end.
  int64_t LineStart() const { return lineStart_; }
  int64_t End() const { return base_ + static_cast<int64_t>(at_); }

 private:
  void Fill() {
    // What was read goes; a line not yet whole stays and the next block joins it.
    buf_.erase(0, at_);
    base_ += static_cast<int64_t>(at_);
    at_ = 0;
    const size_t old = buf_.size();
    buf_.resize(old + kBlock);
    const int64_t n = s_->Read(buf_.data() + old, kBlock);
    buf_.resize(old + static_cast<size_t>(std::max<int64_t>(0, n)));
    if (n <= 0) eof_ = true;
  }
  static constexpr int64_t kBlock = 1 << 16;
  static constexpr size_t kMaxLineBytes = size_t(16) << 20;  // as a CSV record
  TStream* s_;
  std::string buf_;
  size_t at_ = 0;
  int64_t base_, lineStart_ = 0;
  bool eof_ = false;
};
}  // namespace

void TExtStringGrid::CheckCellBlock(int64_t Cols, int64_t Rows, const std::string& What) {
  if (TGridStore::WithinCellLimit(Cols, Rows)) return;
  throw EExtGridError(What + ": " + std::to_string(Cols) + " x " + std::to_string(Rows) +
                      " cells are more than a grid holds (" + std::to_string(TGridStore::kCellLimit) + " cells)");
}

bool TExtStringGrid::CellGrowthFits(int64_t Cols, int64_t Rows) const {
  return (Cols <= ColCount() && Rows <= RowCount()) ||
         TGridStore::WithinCellLimit(std::max<int64_t>(Cols, ColCount()), std::max<int64_t>(Rows, RowCount()));
}

void TExtStringGrid::CheckCellGrowth(int64_t Cols, int64_t Rows, const std::string& What) const {
  if (CellGrowthFits(Cols, Rows)) return;
  CheckCellBlock(std::max<int64_t>(Cols, ColCount()), std::max<int64_t>(Rows, RowCount()), What);
}

// A saved empty cell has no line and the reader leaves cells it has no line for: a copy through
// the stream starts from a saved range without text.
void TExtStringGrid::EmptyStreamRange() {
  const TGridRect range = StreamRange();
  for (int r = range.Top; r <= range.Bottom && r < Store().RowsHeld(); ++r)
    for (int c = range.Left, n = std::min(range.Right + 1, Store().ColsHeldInRow(r)); c < n; ++c)
      if (!GridCells(c, r).empty()) SetGridCells(c, r, std::string());
}

void TExtStringGrid::LoadGridFromStream(TStream* Stream) {
  if (Stream->Size() - Stream->Position() <= 0) return;

  // The grid's part: the size line, then "cw" and cell lines up to the first line that is
  // neither. Every number is read before anything changes.
  struct TCellLine {
    int Col, Row;
    std::string Text;
  };
  struct TWidth {
    int Col, Width;
  };
  std::vector<TCellLine> cells;
  std::vector<TWidth> widths;
  int cols = -1, rows = -1;
  TStreamLines lines(Stream);
  int64_t stop = -1;
  std::string_view line, a, rest, b;
  auto number = [](std::string_view part) { return StrToInt(std::string(part)); };
  for (bool first = true; lines.Next(line); first = false) {
    if (first) {
      if (line.empty()) continue;
      SplitAtComma(line, a, b);
      cols = number(a);
      rows = number(b);
      if (cols < 0 || rows < 0 || cols > TGridStore::kIndexBound || rows > TGridStore::kIndexBound)
        throw EExtGridError("Grid size " + Excerpt(line) + " out of range");
      continue;
    }
    if (line.substr(0, 2) == "cw") {
      SplitAtComma(line.size() > 3 ? line.substr(3) : std::string_view(), a, b);
      widths.push_back({number(a), number(b)});
      continue;
    }
    SplitAtComma(line, a, rest);
    SplitAtComma(rest, b, rest);
    if (a.empty() || b.empty()) {
      stop = lines.LineStart();  // the rest belongs to whatever follows
      break;
    }
    // Rich text keeps all its lines: its first line alone is no rich text.
    const std::string text(rest);
    const bool allLines = Multilinecells || ExtUtil::TextType(text, false) == 2;
    cells.push_back({number(a), number(b), ExtUtil::SingleLineToLines(text, allLines)});
  }
  Stream->SetPosition(stop >= 0 ? stop : lines.End());

  // Counts with the fixed lines the saved range left out: left and right, top and bottom.
  const int firstCol = IncludeFixedCells ? 0 : FixedCols(), firstRow = IncludeFixedCells ? 0 : FixedRows();
  const int extraCols = IncludeFixedCells ? 0 : fixedRightCols_, extraRows = IncludeFixedCells ? 0 : fixedFooters_;
  const int newCols = std::min(TGridStore::kIndexBound, cols + firstCol + extraCols),
            newRows = std::min(TGridStore::kIndexBound, rows + firstRow + extraRows);
  if (cols >= 0) CheckCellGrowth(newCols, newRows, "Grid size " + std::to_string(cols) + "," + std::to_string(rows));
  BeginUpdate();
  if (cols >= 0) {
    SetColCount(newCols);
    SetRowCount(newRows);
  }
  for (const TWidth& w : widths)
    if (w.Col >= 0 && w.Col < ColCount() && w.Width >= 0) SetColWidths(w.Col, w.Width);
  // A cell outside the grid is dropped: kept, each such line could grow a row of a million cells.
  for (TCellLine& c : cells) {
    const int64_t col = int64_t(firstCol) + c.Col, row = int64_t(firstRow) + c.Row;
    if (c.Col < 0 || c.Row < 0 || col >= ColCount() || row >= RowCount()) continue;
    LoadCellText(static_cast<int>(col), static_cast<int>(row), std::move(c.Text));
  }
  EndUpdate();
  CellsChanged(TRect(0, 0, ColCount(), RowCount()));
  UpdateFooter();
}

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
  std::string v;
  for (int r = s.Top; r <= s.Bottom; ++r)
    for (int c = s.Left; c <= s.Right; ++c) {
      SaveCellText(c, r, v);
      if (v.empty()) continue;
      WriteStreamLine(Stream,
                      std::to_string(c - s.Left) + "," + std::to_string(r - s.Top) + "," + ExtUtil::LinesToSingleLine(v));
    }
}

namespace {
// "a,b" parts as the reader splits them: up to the first ",", and the rest.
void SplitAtComma(const std::string& s, std::string& head, std::string& rest) {
  size_t p = s.find(',');
  head = p == std::string::npos ? s : s.substr(0, p);
  rest = p == std::string::npos ? std::string() : s.substr(p + 1);
}
}  // namespace

void TExtStringGrid::LoadGridFromStream(TStream* Stream) {
  const int64_t start = Stream->Position();
  int64_t left = Stream->Size() - start;
  if (left <= 0) return;
  std::string all(static_cast<size_t>(left), '\0');
  all.resize(static_cast<size_t>(Stream->Read(all.data(), left)));

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
  size_t pos = 0, stop = all.size();
  bool first = true;
  while (pos < all.size()) {
    size_t e = all.find('\r', pos);
    const size_t lineEnd = e == std::string::npos ? all.size() : e;
    const size_t next = e == std::string::npos ? all.size() : std::min(all.size(), e + 2);
    const std::string line = all.substr(pos, lineEnd - pos);
    std::string a, rest, b;
    if (first) {
      first = false;
      if (line.empty()) {
        pos = next;
        continue;
      }
      SplitAtComma(line, a, b);
      cols = StrToInt(a);
      rows = StrToInt(b);
      if (cols < 0 || rows < 0 || cols > TGridStore::kIndexBound || rows > TGridStore::kIndexBound)
        throw EExtGridError("Grid size " + line + " out of range");
      pos = next;
      continue;
    }
    if (line.compare(0, 2, "cw") == 0) {
      SplitAtComma(line.size() > 3 ? line.substr(3) : std::string(), a, b);
      widths.push_back({StrToInt(a), StrToInt(b)});
      pos = next;
      continue;
    }
    SplitAtComma(line, a, rest);
    SplitAtComma(rest, b, rest);
    if (a.empty() || b.empty()) {
      stop = pos;  // the rest belongs to whatever follows
      break;
    }
    cells.push_back({StrToInt(a), StrToInt(b), ExtUtil::SingleLineToLines(rest, Multilinecells)});
    pos = next;
  }
  Stream->SetPosition(start + static_cast<int64_t>(std::min(stop, pos)));

  // Counts with the fixed lines the saved range left out: left and right, top and bottom.
  const int firstCol = IncludeFixedCells ? 0 : FixedCols(), firstRow = IncludeFixedCells ? 0 : FixedRows();
  BeginUpdate();
  if (cols >= 0) {
    const int extraCols = IncludeFixedCells ? 0 : fixedRightCols_, extraRows = IncludeFixedCells ? 0 : fixedFooters_;
    SetColCount(std::min(TGridStore::kIndexBound, cols + firstCol + extraCols));
    SetRowCount(std::min(TGridStore::kIndexBound, rows + firstRow + extraRows));
  }
  for (const TWidth& w : widths)
    if (w.Col >= 0 && w.Col < ColCount() && w.Width >= 0) SetColWidths(w.Col, w.Width);
  for (TCellLine& c : cells) {
    const int64_t col = int64_t(firstCol) + c.Col, row = int64_t(firstRow) + c.Row;
    if (c.Col < 0 || c.Row < 0 || col >= TGridStore::kIndexBound || row >= TGridStore::kIndexBound) continue;
    LoadCellText(static_cast<int>(col), static_cast<int>(row), std::move(c.Text));
  }
  EndUpdate();
  CellsChanged(TRect(0, 0, ColCount(), RowCount()));
  UpdateFooter();
}

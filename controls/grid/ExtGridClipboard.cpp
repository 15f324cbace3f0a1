// The grid's clipboard: cells copied as tab-separated text, the top-left cell's rich text and
// the private cell block format; pasting reads the best of them and hands the block to the
// one paste rule (PasteCellsAt / PasteCellsIntoSelection, ExtGridSelect.cpp).
#include <algorithm>
#include <atomic>
#include <random>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtUtil.h"
#include "controls/grid/GridCellIO.h"
#include "platform/grid/GridStore.h"
#include "platform/gui/Clipbrd.h"
#include "platform/rtl/Win1252.h"

namespace {
// One text, one encoding: a cell that is not UTF-8 is Windows-1252, each cell decided alone.
std::string Utf8Of(const std::string& s) { return IsValidUtf8(s) ? s : Win1252ToUtf8(s); }

// A field of the text format: quoted when it holds a line break or a TAB or starts with a
// quote, CRs dropped, quotes doubled, as the tab-separated dialect of spreadsheets and of
// Python's csv module quotes, so they and our own paste read the cell back whole.
std::string ClipboardField(std::string s) {
  if (s.find_first_of("\r\n\t") == std::string::npos && (s.empty() || s[0] != '"')) return s;
  std::string q = "\"";
  for (char c : s) {
    if (c == '\r') continue;
    if (c == '"') q += '"';
    q += c;
  }
  return q + '"';
}

std::string NewProcessToken() {
  std::random_device rd;
  std::mt19937_64 gen((static_cast<uint64_t>(rd()) << 32) ^ rd());
  char buf[17];
  snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(gen()));
  return buf;
}
}  // namespace

// Tab-separated text (what spreadsheets put on the clipboard, with quoted fields over several
// lines and doubled quotes): each field to Field(row, col, text). Lines end at CR LF, CR or LF;
// a final line end adds no row. A quoted field's vertical tabs are the grid's own line breaks
// (CR LF).
template <class FieldFn>
static void ScanTabText(const std::string& Text, FieldFn Field) {
  if (Text.empty()) return;
  std::string field;
  int64_t row = 0, col = 0;
  size_t i = 0, n = Text.size();
  bool fieldStarted = false, lineEnded = false;
  auto endField = [&] {
    Field(row, col++, field);
    field.clear();
    fieldStarted = false;
  };
  while (i < n) {
    char c = Text[i];
    lineEnded = false;
    if (c == '"' && !fieldStarted) {
      ++i;
      while (i < n) {
        if (Text[i] == '"') {
          if (i + 1 < n && Text[i + 1] == '"') {
            field += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        if (Text[i] == '\v') field += "\r\n";
        else field += Text[i];
        ++i;
      }
      fieldStarted = true;
      continue;
    }
    if (c == '\t') {
      endField();
      ++i;
      continue;
    }
    if (c == '\r' || c == '\n') {
      endField();
      i += (c == '\r' && i + 1 < n && Text[i + 1] == '\n') ? 2 : 1;
      if (i < n) ++row, col = 0;
      lineEnded = true;
      continue;
    }
    field += c;
    fieldStarted = true;
    ++i;
  }
  if (!lineEnded) endField();
}

// Measured first, so a text that asks for more cells than a grid holds is refused before the
// block is made.
TExtStringGrid::TCellBlock TExtStringGrid::ParseClipboardText(const std::string& Text) {
  TCellBlock b;
  int64_t rows = 0, cols = 0;
  ScanTabText(Text, [&](int64_t r, int64_t c, std::string&) {
    rows = r + 1;
    cols = std::max(cols, c + 1);
  });
  CheckCellBlock(cols, rows, "Cannot paste the text");
  b.Rows = static_cast<int>(rows);
  b.Cols = static_cast<int>(cols);
  b.Values.assign(static_cast<size_t>(b.Cols) * b.Rows, std::string());
  b.Absent.assign(b.Values.size(), 1);
  ScanTabText(Text, [&](int64_t r, int64_t c, std::string& f) {
    const size_t k = static_cast<size_t>(r) * b.Cols + static_cast<size_t>(c);
    b.Values[k] = std::move(f);
    b.Absent[k] = 0;
  });
  if (b.Cols == 0) b.Rows = 0;
  return b;
}

void TExtStringGrid::MeasureClipboardText(const std::string& Text, TSize& Size) {
  TCellBlock b = ParseClipboardText(Text);
  Size = TSize(b.Cols, b.Rows);
}

std::string TExtStringGrid::ClipboardCellText(int ACol, int ARow) {
  std::string v;
  {
    TGridFlagScope keep(SaveKeepTags, navigation_->CopyHTMLTagsToClipboard);
    SaveCellText(RealColIndex(ACol), ARow, v);
  }
  if (v.find("{\\") != std::string::npos) v = ExtUtil::RtfPlainText(v);
  return ClipboardField(Utf8Of(v));
}

std::string TExtStringGrid::ClipboardTextOf(const TGridRect& R, bool SelectedOnly) {
  const bool rowsOnly = SelectedOnly && mouseActions_->DisjunctRowSelect();
  const bool colsOnly = SelectedOnly && mouseActions_->DisjunctColSelect();
  std::vector<int> rows, cols;
  for (int r = std::max(0, R.Top); r <= R.Bottom && r < RowCount(); ++r)
    if (!rowsOnly || RowAttributes(r).DisjunctSelected) rows.push_back(r);
  for (int c = std::max(0, R.Left); c <= R.Right && c < ColCount(); ++c) {
    const int rc = RealColIndex(c);
    if (!colsOnly || (rc < static_cast<int>(colSelect_.size()) && colSelect_[static_cast<size_t>(rc)])) cols.push_back(c);
  }
  std::string out;
  for (int r : rows) {
    ClipboardCopyProgress(csRow, r);
    for (size_t k = 0; k < cols.size(); ++k) {
      if (k) out += '\t';
      out += ClipboardCellText(cols[k], r);
    }
    if (rows.size() > 1) out += "\r\n";
  }
  return out;
}

std::string TExtStringGrid::ClipboardIdentity() {
  static const std::string token = NewProcessToken();
  static std::atomic<unsigned> serials{0};
  if (clipboardSerial_ == 0) clipboardSerial_ = ++serials;
  return token + ":" + std::to_string(clipboardSerial_);
}

bool TExtStringGrid::BlockIsFullGrid(const TGridRect& R) {
  if (IncludeFixedCells) return R.Left == 0 && R.Top == 0 && R.Right == ColCount() - 1 && R.Bottom == RowCount() - 1;
  return R.Right - R.Left + 1 == ColCount() - FixedCols() && R.Bottom - R.Top + 1 == RowCount() - FixedRows();
}

std::string TExtStringGrid::EncodeCells(const TGridRect& R) {
  TGridCellBlock b;
  TGridPropIO& h = *b.Header;
  h.Left = std::max(0, R.Left);
  h.Top = std::max(0, R.Top);
  const int right = std::min(R.Right, ColCount() - 1), bottom = std::min(R.Bottom, RowCount() - 1);
  h.ColCount = std::max(1, right - h.Left + 1);
  h.RowCount = std::max(1, bottom - h.Top + 1);
  h.FullGrid = BlockIsFullGrid(R);
  h.ID = ClipboardIdentity();
  for (int c = h.Left; c <= right; ++c) h.ColWidths += (c > h.Left ? "," : "") + std::to_string(ColWidths(c));
  for (int r = h.Top; r <= bottom; ++r) h.RowHeights += (r > h.Top ? "," : "") + std::to_string(RowHeights(r));
  for (int r = h.Top; r <= bottom; ++r)
    for (int c = h.Left; c <= right; ++c) {
      const int rc = RealColIndex(c);
      TCellProperties* p = CellPropertiesOrNull(rc, r);
      const std::string& text = GridCells(rc, r);
      if (text.empty() && !p) continue;
      TGridCellRecord rec;
      rec.Cell = std::make_unique<TGridCellIO>(nullptr);
      rec.Cell->Col = c;
      rec.Cell->Row = r;
      rec.Cell->Cell = text;
      if (p) {
        rec.Prop = std::make_unique<TGridCellPropIO>(nullptr);
        rec.Prop->CellProperties->Assign(p);
        auto* g = dynamic_cast<TCellGraphic*>(p->Graphic.get());
        if (g && g->CellType != ctEmpty) {
          rec.Graphic = std::make_unique<TGridGraphicIO>(nullptr);
          rec.Graphic->CellGraphic->Assign(g);
          if (CellGraphicHasStrings(g->CellType)) {
            rec.Strings = std::make_unique<TGridSLIO>(nullptr);
            for (const std::string& s : g->Items) rec.Strings->Strings->Add(s);
          }
          CellPictureToRecord(*g, rec);
        }
      }
      b.Cells.push_back(std::move(rec));
    }
  return EncodeCellBlock(b);
}

void TExtStringGrid::SaveCellsToStream(const TGridRect& ARect, TStream* Stream) {
  std::string bytes = EncodeCells(ARect);
  Stream->Write(bytes.data(), static_cast<int64_t>(bytes.size()));
}

int TExtStringGrid::LoadCellsFromStream(TPoint APoint, TStream* Stream) {
  int64_t left = Stream->Size() - Stream->Position();
  if (left <= 0 || left > (int64_t(1) << 30)) return 0;
  std::string bytes(static_cast<size_t>(left), '\0');
  if (Stream->Read(bytes.data(), left) != left) return 0;
  TGridRect written;
  return PasteEncodedCells(APoint, bytes, written, true);
}

bool TExtStringGrid::IsWideTextCell(int ACol, int ARow) { return GridCells(ACol, ARow).rfind("|\\", 0) == 0; }

// The whole stream is checked first; nothing changes when it is not good.
int TExtStringGrid::PasteEncodedCells(TPoint At, const std::string& Bytes, TGridRect& Written, bool Direct) {
  TGridCellBlock b;
  std::string error;
  if (!DecodeCellBlock(Bytes, b, error)) return 0;
  const TGridPropIO& h = *b.Header;
  const TCellBlock texts = CellBlockTexts(b);
  if (h.FullGrid) CheckCellGrowth(int64_t(h.Left) + h.ColCount, int64_t(h.Top) + h.RowCount, "Cannot paste the cells");
  TExtGridUndoRedo* undo = UndoRedo();
  TUndoStepScope step(undo);
  if (h.FullGrid) {
    // The whole grid is replaced: emptied, sized and laid out as the source was.
    At = TPoint(h.Left, h.Top);
    if (undo) {
      for (int r = 0; r < RowCount(); ++r)
        for (int c = 0; c < ColCount(); ++c)
          if (!GridCells(c, r).empty()) undo->Add(c, r, GridCells(c, r), std::string());
      undo->AddCounts(ColCount(), RowCount());
    }
    BeginUpdate();
    ClearAll();
    SetColCount(h.Left + h.ColCount);
    SetRowCount(h.Top + h.RowCount);
    auto apply = [](const std::string& list, int first, const std::function<void(int, int)>& set) {
      int i = first;
      size_t p = 0;
      while (p < list.size()) {
        size_t e = list.find(',', p);
        if (e == std::string::npos) e = list.size();
        set(i++, std::stoi(list.substr(p, e - p)));
        p = e + 1;
      }
    };
    apply(h.ColWidths, h.Left, [this](int c, int w) { SetColWidths(c, w); });
    apply(h.RowHeights, h.Top, [this](int r, int v) { SetRowHeights(r, v); });
    EndUpdate();
  }
  // A whole grid is loaded as it was (fixed cells too); a block is pasted by the paste rule.
  int n = 0;
  if (h.FullGrid) {
    for (const TGridCellRecord& c : b.Cells) {
      const int rc = RealColIndex(c.Cell->Col);
      LoadCellText(rc, c.Cell->Row, c.Cell->Cell);
      if (undo && !GridCells(rc, c.Cell->Row).empty()) undo->Add(rc, c.Cell->Row, std::string(), GridCells(rc, c.Cell->Row));
    }
    n = h.ColCount * h.RowCount;
    CellsChanged(TRect(0, 0, ColCount() - 1, RowCount() - 1));
  } else if (Direct) {
    for (const TGridCellRecord& c : b.Cells) {
      const int col = At.X + c.Cell->Col - h.Left, row = At.Y + c.Cell->Row - h.Top;
      if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) continue;
      SetCellRecorded(RealColIndex(col), row, c.Cell->Cell);
    }
    n = h.ColCount * h.RowCount;
    CellsChanged(TRect(RealColIndex(At.X), At.Y, RealColIndex(std::min(ColCount() - 1, At.X + h.ColCount - 1)),
                       std::min(RowCount() - 1, At.Y + h.RowCount - 1)));
  } else {
    // The block's size counts, empty cells included: the smart fill compares the selection with it.
    PasteCellsAt(At.X, At.Y, texts);
    n = h.ColCount * h.RowCount;
  }
  Written = TGridRect{At.X, At.Y, At.X + h.ColCount - 1, At.Y + h.RowCount - 1};
  PasteCellProperties(b, At, h.FullGrid || Direct);
  // A load from a stream is no paste: only a paste tells CellsPasted.
  const bool ours = h.ID == ClipboardIdentity();
  if (!Direct) CellsPasted(ours ? TPoint(copyOrigin_.X, copyOrigin_.Y) : TPoint(-1, -1), Written, copied_);
  Invalidate();
  return n;
}

TExtStringGrid::TCellBlock TExtStringGrid::CellBlockTexts(const TGridCellBlock& Block) {
  const TGridPropIO& h = *Block.Header;
  TCellBlock texts;
  texts.Cols = h.ColCount;
  texts.Rows = h.RowCount;
  texts.Values.assign(size_t(h.ColCount) * h.RowCount, std::string());
  texts.Absent.assign(texts.Values.size(), 1);
  for (const TGridCellRecord& c : Block.Cells) {
    size_t k = size_t(c.Cell->Row - h.Top) * h.ColCount + (c.Cell->Col - h.Left);
    texts.Values[k] = c.Cell->Cell;
    texts.Absent[k] = 0;
  }
  return texts;
}

// Properties go with the texts to the cells the paste reached.
void TExtStringGrid::PasteCellProperties(const TGridCellBlock& Block, TPoint At, bool FullGrid) {
  const TGridPropIO& h = *Block.Header;
  for (const TGridCellRecord& c : Block.Cells) {
    if (!c.Prop) continue;
    const int col = At.X + c.Cell->Col - h.Left, row = At.Y + c.Cell->Row - h.Top;
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) continue;
    const int rc = RealColIndex(col);
    if (!FullGrid && !navigation_->AllowClipboardAlways && !IsEditableCell(rc, row)) continue;
    TCellProperties* p = GetCellProperties(rc, row);
    p->Assign(c.Prop->CellProperties.get());
    // The record names the cell it was copied from; the object belongs to this one now.
    p->OwnerCol = rc, p->OwnerRow = row;
    if (c.Graphic) {
      auto g = std::make_unique<TCellGraphic>();
      g->Assign(c.Graphic->CellGraphic.get());
      if (c.Strings) {
        g->Items.clear();
        for (int i = 0; i < c.Strings->Strings->Count(); ++i) g->Items.push_back(c.Strings->Strings->Get(i));
      }
      CellPictureFromRecord(c, *g);
      p->Graphic = std::move(g);
    } else {
      p->Graphic.reset();
    }
  }
}

void TExtStringGrid::CopyCellsToPrivateFormat(const TGridRect& ARect) {
  TDataObject d = Clipboard()->GetDataObject();
  d.SetData(GridCellsFormat(), EncodeCells(ARect));
  Clipboard()->SetDataObject(d);
}

void TExtStringGrid::CopyRTFCell(int ACol, int ARow) {
  std::string v = Cells(RealColIndex(ACol), ARow);
  if (v.find("{\\") == std::string::npos) return;
  Clipboard()->SetAsData(RichTextFormat(), v);
}

void TExtStringGrid::CopyRangeToClipboard(const TGridRect& ARect, bool SelectedOnly) {
  copyOrigin_ = TPoint(ARect.Left, ARect.Top);
  ClipboardCopyProgress(csStart, ARect.Top);
  TDataObject d;
  d.SetText(ClipboardTextOf(ARect, SelectedOnly));
  if (navigation_->AllowRTFClipboard) {
    std::string tl = Cells(RealColIndex(ARect.Left), ARect.Top);
    if (tl.find("{\\") != std::string::npos) d.SetData(RichTextFormat(), tl);
  }
  if (navigation_->AllowFmtClipboard) d.SetData(GridCellsFormat(), EncodeCells(ARect));
  Clipboard()->SetDataObject(d);
  ClipboardCopyProgress(csEnd, ARect.Bottom);
}

TGridRect TExtStringGrid::WidenOverMergedCorners(TGridRect R) const {
  const TPoint corners[] = {{R.Left, R.Top}, {R.Right, R.Top}, {R.Left, R.Bottom}, {R.Right, R.Bottom}};
  for (const TPoint& k : corners) {
    if (k.X < 0 || k.Y < 0 || k.X >= ColCount() || k.Y >= RowCount() || !IsMergedCell(k.X, k.Y)) continue;
    const TPoint b = BaseCell(k.X, k.Y), span = CellSpan(k.X, k.Y);
    R.Left = std::min(R.Left, b.X);
    R.Top = std::min(R.Top, b.Y);
    R.Right = std::max(R.Right, b.X + span.X);
    R.Bottom = std::max(R.Bottom, b.Y + span.Y);
  }
  return R;
}

// The range a copy of the selection covers, and whether only selected lines count in it.
TGridRect TExtStringGrid::ClipboardRange(bool& SelectedOnly) {
  SelectedOnly = mouseActions_->DisjunctRowSelect() || mouseActions_->DisjunctColSelect();
  if (!SelectedOnly) return WidenOverMergedCorners(Selection());
  return StreamRange();
}

void TExtStringGrid::CopySelectionToClipboard() {
  bool only;
  TGridRect r = ClipboardRange(only);
  CopyRangeToClipboard(r, only);
  copied_ = true;
}

void TExtStringGrid::CutSelectionToClipboard() {
  bool only;
  TGridRect range = ClipboardRange(only);
  CopyRangeToClipboard(range, only);
  BeginUpdate();
  if (mouseActions_->DisjunctRowSelect()) {
    for (int r = FixedRows(); r < RowCount(); ++r)
      if (RowAttributes(r).DisjunctSelected) ClearRows(r, 1);
  } else if (mouseActions_->DisjunctColSelect()) {
    for (int c = FixedCols(); c < ColCount(); ++c) {
      const int rc = RealColIndex(c);
      if (rc < static_cast<int>(colSelect_.size()) && colSelect_[static_cast<size_t>(rc)]) ClearCols(c, 1);
    }
  } else {
    const TGridRect& s = range;  // what was copied
    for (int r = s.Top; r <= s.Bottom; ++r)
      for (int c = s.Left; c <= s.Right; ++c) {
        const int rc = RealColIndex(c);
        if (!navigation_->AllowClipboardAlways && !IsEditableCell(rc, r)) continue;  // kept, with its properties
        SetCells(rc, r, std::string());
        if (navigation_->AllowFmtClipboard) FreeCellProperties(rc, r);
      }
  }
  EndUpdate();
  copied_ = false;
  Invalidate();
}

int TExtStringGrid::PasteTextAt(int ACol, int ARow, const std::string& Text) {
  TCellBlock b = ParseClipboardText(Text);
  int n = PasteCellsAt(ACol, ARow, b);
  if (n > 0) CellsPasted(TPoint(-1, -1), TGridRect{ACol, ARow, ACol + b.Cols - 1, ARow + b.Rows - 1}, copied_);
  return n;
}

// Reads the best format on the clipboard: the private one, rich text, then text.
TExtStringGrid::TClipboardOffer TExtStringGrid::ReadClipboardOffer() {
  TClipboardOffer o;
  TDataObject d = Clipboard()->GetDataObject();
  if (navigation_->AllowFmtClipboard && d.HasFormat(GridCellsFormat())) {
    std::string bytes = d.Data(GridCellsFormat());
    TGridCellBlock check;
    std::string error;
    if (DecodeCellBlock(bytes, check, error)) {
      o.Kind = TClipboardOffer::okCells;
      o.Bytes = std::move(bytes);
      return o;
    }
  }
  if (navigation_->AllowRTFClipboard && d.HasFormat(RichTextFormat())) {
    o.Bytes = d.Data(RichTextFormat());
    if (!o.Bytes.empty()) {
      o.Kind = TClipboardOffer::okRtf;
      return o;
    }
  }
  if (d.HasText()) {
    o.Kind = TClipboardOffer::okText;
    o.Bytes = d.Text();
  }
  return o;
}

int TExtStringGrid::PasteAt(int ACol, int ARow) {
  TClipboardOffer o = ReadClipboardOffer();
  switch (o.Kind) {
    case TClipboardOffer::okCells: {
      TGridRect w;
      return PasteEncodedCells(TPoint(ACol, ARow), o.Bytes, w);
    }
    case TClipboardOffer::okRtf:
      PasteRtfAt(ACol, ARow, o.Bytes);
      return 0;
    case TClipboardOffer::okText:
      return PasteTextAt(ACol, ARow, o.Bytes);
    default:
      return 0;
  }
}

bool TExtStringGrid::PasteRtfAt(int ACol, int ARow, const std::string& Rtf) {
  if (!navigation_->AllowClipboardAlways && !IsEditableCell(RealColIndex(ACol), ARow)) return false;
  SetCellTextOrCheck(RealColIndex(ACol), ARow, Rtf);
  return true;
}

void TExtStringGrid::PasteSelectionFromClipboard() {
  TClipboardOffer o = ReadClipboardOffer();
  TGridRect s = Selection();
  if (Options() & goRowSelect) s.Left = FixedCols();
  if (o.Kind == TClipboardOffer::okText) {
    TCellBlock b = ParseClipboardText(o.Bytes);
    PasteCellsIntoSelection(b);
    CellsPasted(TPoint(-1, -1), TGridRect{s.Left, s.Top, s.Left + b.Cols - 1, s.Top + b.Rows - 1}, copied_);
    return;
  }
  // The private block's texts or the rich text fill a larger selection as pasted text does
  // (a whole grid replaced is no block to repeat).
  TCellBlock texts;
  if (o.Kind == TClipboardOffer::okCells) {
    TGridCellBlock b;
    std::string error;
    if (DecodeCellBlock(o.Bytes, b, error) && !b.Header->FullGrid) texts = CellBlockTexts(b);
  } else if (o.Kind == TClipboardOffer::okRtf) {
    texts.Cols = texts.Rows = 1;
    texts.Values = {o.Bytes};
    texts.Absent = {0};
  }
  TUndoStepScope step(UndoRedo());
  std::function<void(int)> fill;
  if (navigation_->AllowSmartClipboard && texts.Cols > 0) fill = PlanSmartFill(s, texts);
  int pasted = 0;
  if (o.Kind == TClipboardOffer::okRtf) pasted = PasteRtfAt(s.Left, s.Top, o.Bytes) ? 1 : 0;
  else pasted = PasteAt(s.Left, s.Top);
  if (pasted > 0 && fill) fill(pasted);
  Invalidate();
}

void TExtStringGrid::CellsPasted(TPoint, const TGridRect&, bool) {}
void TExtStringGrid::ClipboardCopyProgress(TClipboardStage, int) {}
void TExtStringGrid::ClipboardPasteProgress(TClipboardStage, int) {}

void TExtStringGrid::ResetColumnOrder() {
  columnOrder_.clear();
  for (int c = 0; c < ColCount(); ++c) columnOrder_.push_back(c);
}

void TExtStringGrid::CutToClipboard() { CutSelectionToClipboard(); }
void TExtStringGrid::CopyToClipboard() { CopySelectionToClipboard(); }
void TExtStringGrid::PasteFromClipboard() { PasteSelectionFromClipboard(); }

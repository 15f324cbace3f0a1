// The grid in drag and drop with other windows and programs: the drop side (text, rich text, a
// dragged column, one dropped CSV or spreadsheet file) and the drag of cells or a column.
#include <algorithm>
#include <cctype>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/GridCellIO.h"
#include "platform/gui/DragDrop.h"

namespace {
std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}
}  // namespace

// Classifies what is dragged over the grid and hands each accepted kind to the grid's hooks.
class TGridDropTarget : public TDropTarget {
 public:
  explicit TGridDropTarget(TExtStringGrid* g) : grid_(g) {}
  int DragEnter(const TDataObject& Data, TShiftState Keys, TPoint Pt, int Allowed) override {
    grid_->DragOverWindow(Pt, dsDragEnter);
    TDragDropSettings* s = grid_->DragDropSettings();
    // Registered for drag scrolling alone, the grid takes no drop.
    const bool ole = s->OleDropTarget();
    text_ = ole && Data.HasText() && s->OleAcceptText;
    files_ = ole && Data.HasFiles() && s->OleAcceptFiles;
    rtf_ = ole && Data.HasFormat(RichTextFormat()) && s->OleDropRTF() && s->OleAcceptText;
    column_ = ole && Data.HasFormat(GridColumnFormat()) && s->OleColumnDragDrop;
    // Dragged cells come whole (properties, pictures) where the grid takes its private format.
    cells_ = text_ && grid_->Navigation()->AllowFmtClipboard && Data.HasFormat(GridCellsFormat());
    return Over(Keys, Pt, Allowed);
  }
  int DragOver(TShiftState Keys, TPoint Pt, int Allowed) override {
    grid_->DragOverWindow(Pt, dsDragMove);
    return Over(Keys, Pt, Allowed);
  }
  void DragLeave() override {
    grid_->DragOverWindow(TPoint(), dsDragLeave);
    grid_->HideOleMarkers();
  }
  int Drop(const TDataObject& Data, TShiftState Keys, TPoint Pt, int Allowed) override {
    // The drag is over: it leaves the window.
    grid_->DragOverWindow(Pt, dsDragLeave);
    return Dropped(Data, Keys, Pt, Allowed);
  }

 private:
  int Over(TShiftState Keys, TPoint Pt, int Allowed) {
    if (!(text_ || files_ || rtf_ || column_)) return DROPEFFECT_NONE;
    if (!grid_->OleDragMouseMove(Pt, column_)) return DROPEFFECT_NONE;
    return Effect(Keys, Allowed);
  }
  int Dropped(const TDataObject& Data, TShiftState Keys, TPoint Pt, int Allowed) {
    // Whatever the drop does (a message, an import), no marker stays behind.
    grid_->HideOleMarkers();
    // Only the kinds this grid accepts are delivered.
    if (column_) {
      std::string b = Data.Data(GridColumnFormat());
      // Four bytes from another process: an index is only what fits the grid.
      if (b.size() == 4) {
        int32_t col = static_cast<int32_t>(uint32_t(uint8_t(b[0])) | uint32_t(uint8_t(b[1])) << 8 |
                                           uint32_t(uint8_t(b[2])) << 16 | uint32_t(uint8_t(b[3])) << 24);
        if (col >= 0 && col < grid_->ColCount()) grid_->OleDropCol(Pt, col);
      }
      return StandardDropEffect(Keys, Allowed);
    }
    if (rtf_) {
      std::string r = Data.Data(RichTextFormat());
      if (!r.empty()) grid_->OleDropRTF(Pt, r);
    } else if (text_) {
      grid_->OleDropText(Pt, Data.Text(), cells_ ? Data.Data(GridCellsFormat()) : std::string());
    }
    if (files_) grid_->OleDropFiles(Pt, Data.Files());
    return Effect(Keys, Allowed);
  }

  // A dropped file is only read: its source keeps it, whatever it proposed.
  int Effect(TShiftState Keys, int Allowed) const {
    return files_ ? DROPEFFECT_COPY : StandardDropEffect(Keys, Allowed);
  }
  TExtStringGrid* grid_;
  bool text_ = false, files_ = false, rtf_ = false, column_ = false, cells_ = false;
};

void TExtStringGrid::UpdateOleDropTarget() {
  if (!dragDropSettings_->OleDropTarget() && !(dragScrollOptions_ && dragScrollOptions_->Active())) {
    if (ole_.Registered) RevokeDragDrop(this);
    ole_.Registered = false;
    return;
  }
  if (!HandleAllocated() && !Parent()) return;  // registered when the window comes
  if (ole_.Registered && IsDragDropRegistered(this)) return;
  if (!ole_.Target) ole_.Target = std::make_shared<TGridDropTarget>(this);
  ole_.Registered = RegisterDragDrop(this, ole_.Target);
}

bool TExtStringGrid::OleDropTargetRegistered() const {
  return ole_.Registered && IsDragDropRegistered(const_cast<TExtStringGrid*>(this));
}

void TExtStringGrid::OleCellAt(TPoint P, int& ACol, int& ARow) {
  TPoint c = ScreenToClient(P);
  MouseToCell(c.X, c.Y, ACol, ARow);
}

bool TExtStringGrid::OleDragMouseMove(TPoint P, bool ColumnData) {
  int c, r;
  OleCellAt(P, c, r);
  bool accept = c >= 0 && r >= 0;
  if (accept && !ColumnData) {
    if (r == 0 && TopRow() > FixedRows()) SetTopRow(TopRow() - 1);
    else if (r == TopRow() + VisibleRowCount()) SetTopRow(std::min(TopRow() + 1, std::max(FixedRows(), RowCount() - 1)));
    // Paced by the grid's timer: a step makes the count odd, the next tick even again.
    if (ole_.Pace % 2 == 0) {
      ++ole_.Pace;
      if (c == 0 && LeftCol() > FixedCols()) SetLeftCol(LeftCol() - 1);
      else if (c == LeftCol() + VisibleColCount() && LeftCol() + 1 < ColCount()) SetLeftCol(LeftCol() + 1);
    }
  }
  if (ColumnData) accept = accept && r < FixedRows() && c >= FixedCols();
  else if (accept && r < FixedRows() && !(RowCount() == 1 && FixedRowAlways)) accept = false;
  if (OnOleDragOver) OnOleDragOver(this, r, c, accept);
  if (!accept) {
    HideOleMarkers();
  } else if (ColumnData) {
    const TRect cr = CellRect(c, r);
    ShowOleMarker(omColumnUpper, ClientToScreen(TPoint(cr.Left, cr.Top - 8)));
    ShowOleMarker(omColumnLower, ClientToScreen(TPoint(cr.Left, cr.Bottom)));
  } else {
    if (r == 0 && FixedRowAlways) r = 1;
    const TRect cr = CellRect(dragDropSettings_->OleEntireRows ? FixedCols() : c, r);
    ShowOleMarker(omRow, ClientToScreen(TPoint(cr.Left - 10, cr.Top)));
  }
  return accept;
}

namespace {
const int kOleMarkerDirection[3] = {TArrowWindow::Right, TArrowWindow::Down, TArrowWindow::Up};
}

TArrowWindow* TExtStringGrid::OleMarker(TOleMarker Which) const { return ArrowWindow(kOleMarkerDirection[Which]); }

void TExtStringGrid::ShowOleMarker(TOleMarker Which, TPoint ScreenPos) { ShowArrow(kOleMarkerDirection[Which], ScreenPos); }

void TExtStringGrid::ShowArrow(int Direction, TPoint ScreenPos) {
  std::unique_ptr<TArrowWindow>& a = arrows_[Direction & 3];
  if (!a) a = std::make_unique<TArrowWindow>(nullptr, Direction & 3);
  a->ShowAt(ScreenPos);
}

void TExtStringGrid::HideArrows() {
  for (auto& a : arrows_)
    if (a) a->Hide();
}

void TExtStringGrid::HideOleMarkers() { HideArrows(); }

void TExtStringGrid::OleDropText(TPoint P, const std::string& Text, const std::string& Cells) {
  int c, r;
  OleCellAt(P, c, r);
  if (c < 0 || r < 0) return;
  // The private block is checked whole; one that is not good leaves the text to land alone.
  TGridCellBlock cells;
  std::string error;
  const bool withCells = !Cells.empty() && DecodeCellBlock(Cells, cells, error);
  TCellBlock block = withCells ? CellBlockTexts(cells) : ParseClipboardText(Text);
  if (Options() & goRowSelect) c = dragDropSettings_->OleEntireRows ? 0 : FixedCols();
  bool allow = true;
  if (OnOleDrop) OnOleDrop(this, r, c, Text, allow);
  if (!allow || block.Rows == 0) return;
  if (r == 0 && FixedRowAlways && RowCount() == 1) r = 1;
  if (dragDropSettings_->OleInsertRows) CheckCellGrowth(ColCount(), int64_t(RowCount()) + block.Rows, "Cannot drop the cells");
  int inserted = 0;
  TUndoStepScope step(UndoRedo());  // rows and cells: one undo step
  if (dragDropSettings_->OleInsertRows) {
    const int top = TopRow() + (TopRow() > FixedRows() ? 1 : 0);
    if (UndoRedo()) UndoRedo()->AddRowsInserted(r, block.Rows);
    InsertRows(r, block.Rows);
    inserted = block.Rows;
    if (top > 0) SetTopRow(std::min(top, RowCount() - 1));
  }
  // The selection and disjunct rows move only for rows that were really inserted, and a drop
  // into the grid the drag started from leaves that to the drag's end.
  if (inserted && !ole_.DraggingOut) {
    TGridRect s = Selection();
    if (s.Top >= r && dragDropSettings_->OleRemoveRows) SetSelection({s.Left, s.Top + inserted, s.Right, s.Bottom + inserted});
  }
  PasteCellsAt(c, r, block);
  if (withCells) PasteCellProperties(cells, TPoint(c, r), false);
  const int left = std::max(c, FixedCols());
  const int right = std::min(ColCount() - 1, (Options() & goRowSelect) ? left + block.Cols - FixedCols() : c + block.Cols - 1);
  const int bottom = std::min(RowCount() - 1, r + block.Rows - 1);
  const TGridRect dropped{left, r, std::max(left, right), bottom};
  if (ole_.DraggingOut) {
    ole_.Self.InsertedRow = inserted ? r : -1;
    ole_.Self.InsertedCount = inserted;
    ole_.Self.Wrote = true;
    ole_.Self.Written = TGridRect{c, r, c + block.Cols - 1, r + block.Rows - 1};
  }
  if (left < ColCount() && r < RowCount() && r >= FixedRows()) SetSelection(dropped);
  Invalidate();
  if (OnOleDropped) OnOleDropped(this, dropped);
}

void TExtStringGrid::OleDropRTF(TPoint P, const std::string& Text) {
  int c, r;
  OleCellAt(P, c, r);
  if (c < 0 || r < 0) return;
  bool allow = true;
  if (OnOleDrop) OnOleDrop(this, r, c, Text, allow);
  if (!allow) return;
  // The same test as a paste: read-only cells stay.
  const int rc = RealColIndex(c);
  if (navigation_->AllowClipboardAlways || IsEditableCell(rc, r)) SetCellRecorded(rc, r, Text);
}

void TExtStringGrid::OleDropCol(TPoint P, int Col) {
  int c, r;
  OleCellAt(P, c, r);
  if (OnOleDropCol) OnOleDropCol(this, r, c, Col);
}

void TExtStringGrid::OleDropFiles(TPoint P, const std::vector<std::string>& Files) {
  if (Files.size() != 1) return;
  int c, r;
  OleCellAt(P, c, r);
  const std::string& f = Files[0];
  bool allow = true;
  if (OnOleDropFile) OnOleDropFile(this, r, c, f, allow);
  if (!allow) return;
  const std::string u = Upper(f);
  if (u.find(".CSV") != std::string::npos) {
    bool ok = true;
    if (OnOleDrop) OnOleDrop(this, -1, -1, f, ok);
    if (ok) LoadFromCSV(f);
  }
  if (u.find(".XLS") != std::string::npos) {
    bool ok = true;
    if (OnOleDrop) OnOleDrop(this, -1, -1, f, ok);
    if (ok) LoadXLSFile(f);
  }
}

namespace {
// Keeps the drag indicator with its bottom-left corner at the pointer.
class TGridDragIndicator : public TDropSource {
 public:
  TGridDragIndicator(TPopupButton* b, const std::string& caption) : button_(b), caption_(caption) {
    button_->Canvas()->Font()->Assign(button_->Font());
    width_ = std::clamp(button_->Canvas()->TextWidth(caption_) + 10, 24, 200);
    height_ = button_->Canvas()->TextHeight("Xg") + 6;
  }
  void QueryContinue(TShiftState, TPoint Pos) override {
    button_->ActivateHint(TRect(Pos.X, Pos.Y - height_, Pos.X + width_, Pos.Y), caption_);
  }

 private:
  TPopupButton* button_;
  std::string caption_;
  int width_ = 0, height_ = 0;
};
}  // namespace

TPopupButton* TExtStringGrid::DragIndicator() {
  if (!ole_.Indicator) ole_.Indicator = std::make_unique<TPopupButton>(nullptr);
  return ole_.Indicator.get();
}

TExtStringGrid::TGridDragResult TExtStringGrid::RunOleDrag(const TGridDragData& Data) {
  TDataObject d;
  if (Data.Kind == gdkColumn) {
    const uint32_t v = static_cast<uint32_t>(Data.Col);
    d.SetData(GridColumnFormat(), std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)});
  } else {
    d.SetText(Data.Text);
    // An empty rich text is never offered.
    if (dragDropSettings_->OleDropRTF() && !Data.RichText.empty()) d.SetData(RichTextFormat(), Data.RichText);
    // The cells whole beside their text, as the clipboard offers them (not for disjunct rows,
    // whose text leaves rows out).
    if (navigation_->AllowFmtClipboard && !mouseActions_->DisjunctRowSelect())
      d.SetData(GridCellsFormat(), EncodeCells(SelectionTextRange()));
  }
  ole_.Self = TGridDragResult();
  TGridFlagScope out(ole_.DraggingOut, true);
  int effect = DROPEFFECT_NONE;
  // The indicator shows the pressed cell's first line (a column drag: its header).
  const int row = Data.Kind == gdkColumn ? 0 : Data.Row;
  std::string caption = Data.Col >= 0 && Data.Col < ColCount() && row >= 0 && row < RowCount() ? Cells(Data.Col, row) : "";
  caption = caption.substr(0, caption.find_first_of("\r\n"));
  TGridDragIndicator source(DragIndicator(), caption);
  TDragDropResult r = DoDragDrop(this, d, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE, effect);
  ole_.Indicator->ReleaseHandle();
  TGridDragResult res = ole_.Self;
  res.Effect = r == DRAGDROP_S_DROP ? effect : EffectNone;
  return res;
}

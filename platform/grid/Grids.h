#pragma once
// The class library's grids as our own scrolling control: TCustomGrid (geometry,
// selection, keys, mouse, scroll bars, the inplace editor), TDrawGrid (OnDrawCell),
// TStringGrid (Cells and Objects over TGridStore) and TInplaceEdit.
//
// The grid paints itself: Paint calls DrawCell for every visible cell that meets
// the area being repainted, fixed cells included, row by row. Geometry: a column
// takes its width plus GridLineWidth to the right (a row its height plus the line
// below); fixed columns come first, then the scrolling columns from LeftCol. Cells
// may be only partly visible at the right and bottom edges. Scroll bars: the
// position is TopRow (LeftCol) itself, the range FixedRows to the last top row,
// the page the rows fully visible at the end (docs/grid-platform.md).

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/gui/Controls.h"
#include "platform/gui/Mask.h"
#include "platform/gui/StdCtrls.h"
#include "platform/grid/GridStore.h"

class TCustomGrid;
class TInplaceEdit;
class TControlFeedback;

// Carries out an order by exchanges: position Lo + k receives the element that stood at Order[k]
// (a permutation of Lo .. Lo + n - 1), following the cycles: at most one Swap per position.
template <class TSwap>
void PermuteBySwaps(int Lo, const std::vector<int>& Order, TSwap&& Swap) {
  const int n = static_cast<int>(Order.size());
  std::vector<int> at(static_cast<size_t>(n)), where(static_cast<size_t>(n));
  for (int k = 0; k < n; ++k) at[static_cast<size_t>(k)] = where[static_cast<size_t>(k)] = k;
  for (int k = 0; k < n; ++k) {
    const int want = Order[static_cast<size_t>(k)] - Lo;
    const int p = where[static_cast<size_t>(want)];
    if (p == k) continue;
    Swap(Lo + k, Lo + p);
    const int displaced = at[static_cast<size_t>(k)];
    at[static_cast<size_t>(k)] = want;
    at[static_cast<size_t>(p)] = displaced;
    where[static_cast<size_t>(want)] = k;
    where[static_cast<size_t>(displaced)] = p;
  }
}

enum TGridOption : uint32_t {
  goFixedVertLine = 1u << 0, goFixedHorzLine = 1u << 1, goVertLine = 1u << 2, goHorzLine = 1u << 3,
  goRangeSelect = 1u << 4, goDrawFocusSelected = 1u << 5, goRowSizing = 1u << 6, goColSizing = 1u << 7,
  goRowMoving = 1u << 8, goColMoving = 1u << 9, goEditing = 1u << 10, goTabs = 1u << 11,
  goRowSelect = 1u << 12, goAlwaysShowEditor = 1u << 13, goThumbTracking = 1u << 14
};
using TGridOptions = uint32_t;

enum TGridDrawStateFlag : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = unsigned;

enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

struct TGridCoord {
  int X = 0, Y = 0;
  bool operator==(const TGridCoord&) const = default;
};

struct TGridRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  TGridCoord TopLeft() const { return {Left, Top}; }
  TGridCoord BottomRight() const { return {Right, Bottom}; }
  bool operator==(const TGridRect&) const = default;
};

using TSelectCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool& CanSelect)>;
using TDrawCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, TRect Rect, TGridDrawState State)>;
using TGetEditEvent = std::function<void(TObject* Sender, int ACol, int ARow, std::string& Value)>;
using TSetEditEvent = std::function<void(TObject* Sender, int ACol, int ARow, const std::string& Value)>;
using TMovedEvent = std::function<void(TObject* Sender, int FromIndex, int ToIndex)>;

// ---------------------------------------------------------------- inplace editor
// Edit styles of the inplace editor's window (the Windows edit styles it stands for).
constexpr unsigned ES_LEFT = 0x0, ES_CENTER = 0x1, ES_RIGHT = 0x2, ES_MULTILINE = 0x4, ES_PASSWORD = 0x20,
                   ES_AUTOHSCROLL = 0x80, ES_WANTRETURN = 0x1000;

struct TCreateParams {
  unsigned Style = 0;
};

class TInplaceEdit : public TCustomMaskEdit {
 public:
  explicit TInplaceEdit(TComponent* AOwner);
  ~TInplaceEdit() override;
  std::string ClassName() const override { return "TInplaceEdit"; }

  TCustomGrid* Grid() const { return grid_; }
  // Loads the cell's mask, text and length limit from the grid (OnGetEditMask, OnGetEditText).
  virtual void UpdateContents();
  // Places the editor on a cell rectangle (client coordinates of the grid) and shows it;
  // an empty rectangle hides it.
  void Move(const TRect& Loc);
  void UpdateLoc(const TRect& Loc);
  // Hides the editor; the grid takes the focus back when the editor had it.
  void HideEdit();
  // Shows a text without it reaching any cell (no change of the cell it last edited).
  void SetTextQuietly(const std::string& Value);

  // The window's edit styles, applied when the window is made (RecreateWnd re-applies them).
  unsigned EditStyle() const { return style_; }
  // The line of the caret and the number of lines (multi-line style; line breaks are CR LF or LF).
  int CaretLine() const;
  int LineCount() const;
  // Incomplete masked entries pass: their blanks reach the cell as spaces.
  void ValidateEdit() override {}
  // The rectangle the text is laid out in, in the editor's own coordinates (the Windows edit's
  // formatting rectangle): the first line starts at its top-left corner, whatever the height.
  void SetFormatRect(const TRect& R);

 protected:
  bool Quiet() const { return quiet_; }
  // Builds the window's styles: ES_MULTILINE, ES_AUTOHSCROLL and ES_WANTRETURN start on;
  // a descendant adds ES_RIGHT or ES_PASSWORD, or removes some.
  virtual void CreateParams(TCreateParams& Params);
  void CreateWnd() override;
  // ES_MULTILINE shows the lines one under the other; without ES_AUTOHSCROLL they wrap.
  bool MultiLinePeer() const override;
  bool WrapLines() const override;
  // Called after every placement; an override may place the editor again (SetBounds
  // with the same bounds ends there).
  void BoundsChanged() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void KeyUp(WORD& Key, TShiftState Shift) override;
  void Change() override;
  void EditChar(char32_t Ch) override;
  void WMGetDlgCode(TMessage& Message) override;
  void DoEnter() override;

 private:
  void SetGrid(TCustomGrid* Grid) { grid_ = Grid; }
  void ApplyStyle();
  TCustomGrid* grid_ = nullptr;
  unsigned style_ = 0;
  int loading_ = 0;
  bool quiet_ = false;
  std::string startText_;
  friend class TCustomGrid;
};

// ---------------------------------------------------------------- TCustomGrid
class TCustomGrid : public TCustomControl {
 public:
  explicit TCustomGrid(TComponent* AOwner);
  ~TCustomGrid() override;
  std::string ClassName() const override { return "TCustomGrid"; }

  // Shape. A count is at least 1; a count at or below the fixed count lowers the fixed count.
  int ColCount() const { return colCount_; }
  void SetColCount(int v);
  int RowCount() const { return rowCount_; }
  void SetRowCount(int v);
  int FixedCols() const { return fixedCols_; }
  void SetFixedCols(int v);
  int FixedRows() const { return fixedRows_; }
  void SetFixedRows(int v);
  int DefaultColWidth() const { return defaultColWidth_; }
  void SetDefaultColWidth(int v);
  int DefaultRowHeight() const { return defaultRowHeight_; }
  void SetDefaultRowHeight(int v);
  // Every column width and row height (the defaults too), from code, a file or a stream, is
  // taken within 0 .. MaxLineExtent pixels, so sums over many lines stay far inside an int.
  static constexpr int MaxLineExtent = 4096;
  // Reading beyond the count gives the default; writing beyond it raises "Grid index out of range".
  int ColWidths(int Index) const;
  void SetColWidths(int Index, int Value);
  int RowHeights(int Index) const;
  void SetRowHeights(int Index, int Value);
  bool TabStops(int Index) const;
  void SetTabStops(int Index, bool Value);
  int GridLineWidth() const { return gridLineWidth_; }
  void SetGridLineWidth(int v);
  TGridOptions Options() const { return options_; }
  void SetOptions(TGridOptions v);
  bool DefaultDrawing() const { return defaultDrawing_; }
  void SetDefaultDrawing(bool v);
  TColor FixedColor() const { return fixedColor_; }
  void SetFixedColor(TColor v);
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool v);
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle v);
  // bsSingle: a sunken edge of 2 pixels a side.
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle v);
  bool UseRightToLeftAlignment() const { return biDiMode_ == bdRightToLeft; }
  // Every right-to-left mode reads from the right; only bdRightToLeft also swaps the alignment.
  bool UseRightToLeftReading() const { return biDiMode_ != bdLeftToRight; }

  // The current cell and the selection. Col and Row writes go through SelectCell (a refusal
  // keeps the cell), scroll the cell into view and fire OnClick, as the class library's do.
  int Col() const { return current_.X; }
  void SetCol(int v);
  int Row() const { return current_.Y; }
  void SetRow(int v);
  // Anchor and current cell spanned; the write takes them as they are, even outside the grid.
  TGridRect Selection() const;
  void SetSelection(const TGridRect& v);
  int LeftCol() const { return topLeft_.X; }
  void SetLeftCol(int v);
  int TopRow() const { return topLeft_.Y; }
  void SetTopRow(int v);
  // Scrolling columns (rows) fully visible from LeftCol (TopRow).
  int VisibleColCount() const;
  int VisibleRowCount() const;
  int GridWidth() const;
  int GridHeight() const;

  // The inplace editor.
  bool EditorMode() const { return editorMode_; }
  void SetEditorMode(bool v);
  TInplaceEdit* InplaceEditor() const { return editor_; }
  void ShowEditor();
  void HideEditor();
  // Reloads the editor's contents from the cell and places it again.
  void InvalidateEditor();

  // Geometry (client coordinates). CellRect is empty for a cell out of view and cut to the
  // client area for one partly in view; MouseCoord gives -1 where there is no cell.
  TRect CellRect(int ACol, int ARow) const;
  void MouseToCell(int X, int Y, int& ACol, int& ARow) const;
  TGridCoord MouseCoord(int X, int Y) const;

  void InvalidateCell(int ACol, int ARow);
  void InvalidateRow(int ARow);
  void InvalidateCol(int ACol);
  void InvalidateGrid() { Invalidate(); }
  // Moves the current cell (through SelectCell), then scrolls it into view when Show.
  void MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show);
  // MoveColRow with Show, the editor updated, then Click.
  void FocusCell(int ACol, int ARow, bool MoveAnchor);
  // A row (column) moves to another place with its texts, objects and size; then RowMoved.
  void MoveRow(int FromIndex, int ToIndex);
  void MoveColumn(int FromIndex, int ToIndex);
  // Count rows from FromIndex move as one block so that the first lands at ToIndex (an index
  // of the order after the move), with texts, objects and heights, in one pass; no RowMoved.
  void MoveRowBlock(int FromIndex, int Count, int ToIndex);
  // Two rows change places with their data and heights; the editor's row goes with its data, the
  // current cell keeps its index. No RowMoved; the cost does not depend on the distance.
  void ExchangeRows(int ARow1, int ARow2);
  // The rows from Lo take a new order in one pass: position Lo + k gets the row that stood at
  // Order[k] (a permutation of Lo .. Lo + n - 1, else "Grid index out of range"), with data and
  // heights; the current cell, the anchor and the editor's row go with their rows. No RowMoved.
  void PermuteRows(int Lo, const std::vector<int>& Order);
  // The rows listed (ascending, distinct, within the count) give up their places: the others close
  // up in order from the first listed, and the listed rows go to the end with their data and
  // heights, in no set order among themselves. The current cell, the anchor and the editor's row go
  // with their rows (from the k-th listed row to the k-th place at the end). One exchange
  // (ExchangeRowData) for each other row past the first listed, none for the rest; no RowMoved.
  // Anything else raises "Grid index out of range" and changes nothing.
  void CloseUpRows(const std::vector<int>& Rows);
  // The reverse, for rows coming in: as many rows as listed, from the end, go to the places listed
  // (ascending, places after the move) in no set order among themselves, and the others move down
  // in order. The indexes that follow rows take the k-th of those rows to the k-th place listed.
  void OpenUpRows(const std::vector<int>& Rows);
  // The row (column) is dropped: the rows below move up and the count falls by one.
  void DeleteRow(int ARow);
  void DeleteColumn(int ACol);
  // The grid or its editor has the focus.
  bool IsActiveControl() const;
  TGridState GridState() const { return gridState_; }
  // The selecting press goes on as a plain click: neither the mouse nor the scroll timer extends
  // the selection or scrolls until the release, which still clicks.
  void HoldSelectingPress() { selectHeld_ = gridState_ == gsSelecting; }
  // Feedback drawn over the grid while sizing or moving (for tests and descendants).
  TControlFeedback* Feedback() const { return feedback_.get(); }

  TSelectCellEvent OnSelectCell;
  TNotifyEvent OnTopLeftChanged;
  TGetEditEvent OnGetEditMask, OnGetEditText;
  TSetEditEvent OnSetEditText;
  TMovedEvent OnColumnMoved, OnRowMoved;

  void Invalidate() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  TRect ClientRect() const override;
  QWidget* ClientWidget() const override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyUp(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void Loaded() override;

 protected:
  // ----- hooks with the class library's behaviour
  void Paint() override;
  // Draws one cell; only Paint calls it. TCustomGrid draws nothing.
  virtual void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
  // Asked before every change of the current cell; fires OnSelectCell.
  virtual bool SelectCell(int ACol, int ARow);
  // After any scroll; places the editor again and fires OnTopLeftChanged.
  virtual void TopLeftChanged();
  virtual void ColWidthsChanged();
  virtual void RowHeightsChanged();
  virtual void ColumnMoved(int FromIndex, int ToIndex);
  virtual void RowMoved(int FromIndex, int ToIndex);
  virtual void SizeChanged(int OldColCount, int OldRowCount) {}
  // The data of a row (column) moves with it, or is dropped with a deleted one (TStringGrid keeps data).
  virtual void MoveLineData(bool IsRow, int FromIndex, int ToIndex) {}
  virtual void ClearLineData(bool IsRow, int Index) {}
  // A block of rows moves (MoveRowBlock); by default row by row through MoveLineData.
  virtual void MoveRowBlockData(int FromIndex, int Count, int ToIndex);
  // Two rows exchange their data (ExchangeRows).
  virtual void ExchangeRowData(int ARow1, int ARow2) {}
  // The rows' data take a new order (PermuteRows); by default through ExchangeRowData.
  virtual void PermuteRowData(int Lo, const std::vector<int>& Order);
  virtual TInplaceEdit* CreateEditor();
  virtual bool CanEditShow();
  // Whether a vertical scroll may move the drawn rows instead of repainting them all
  // (a descendant that holds its painting back, or paints over the whole area, says no).
  virtual bool CanScrollPaint() const { return true; }
  // Pixels at the client's bottom that panels of the grid's own cover: rows there are not in
  // view (scrolling into view, the largest top row and the visible row count leave them out).
  virtual int BottomInset() const { return 0; }
  virtual bool CanEditAcceptKey(char Key) { return true; }
  virtual bool CanEditModify() { return true; }
  virtual std::string GetEditText(int ACol, int ARow);
  virtual void SetEditText(int ACol, int ARow, const std::string& Value);
  virtual std::string GetEditMask(int ACol, int ARow);
  virtual int GetEditLimit() { return 0; }
  // Where the mouse may start sizing: near a column border in the fixed rows (goColSizing)
  // or a row border in the fixed columns (goRowSizing). SizingPos is the border's position,
  // SizingOfs its distance from the mouse.
  virtual void CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs);
  // Whether a drag that selects has left the current cell for the cell under the mouse.
  virtual bool LeavesCurrentCell(TGridCoord Cell) const { return !(Cell == current_); }
  virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
  virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
  void DoEnter() override;
  void DoExit() override;
  void Resize() override;
  // ----- messages
  void WndProc(TMessage& Message) override;
  virtual void WMVScroll(TMessage& Message);
  virtual void WMHScroll(TMessage& Message);
  virtual void WMTimer(TMessage& Message);
  virtual void WMSetCursor(TMessage& Message);
  virtual void WMCancelMode(TMessage& Message);
  void WMGetDlgCode(TMessage& Message) override;
  void WMChar(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  void WMSetFocus(TMessage& Message) override;
  void WMSize(TMessage& Message) override;
  QWidget* CreatePeer(QWidget* ParentWidget) override;
  void CreateWnd() override;
  void DestroyWnd() override;

  // ----- helpers for descendants
  // Shows the editor with a typed character in it (the character replaces the selection).
  void ShowEditorChar(char32_t Ch);
  // Recomputes the scroll ranges and shows or hides the bars.
  void UpdateScrollRange();
  // A kept bar stays shown (disabled) when its lines all fit; the scroll style must allow it.
  void SetScrollBarsKept(bool Vert, bool Horz);
  // On: each bar's page is the lines in view, so its thumb shows their share. Off: page 0, the
  // range ends at the last first line, and the thumbs keep one size.
  bool ProportionalThumbs() const { return proportionalThumbs_; }
  void SetProportionalThumbs(bool v);
  // Scrolls so that the cell is fully visible when it can be.
  void ClampInView(TGridCoord Coord);
  int MaxTopRow() const;
  int MaxLeftCol() const;
  void HideEdit();
  void UpdateEdit();
  // Shows the line where the sized border goes (at SizingPos, across the grid) or takes it away;
  // by default as feedback marks.
  virtual void DrawSizingLine(bool Show);
  int SizingPos() const { return sizingPos_; }
  // The edited cell (-1 when no editor shows).
  int InplaceCol() const { return inplaceCol_; }
  int InplaceRow() const { return inplaceRow_; }

  int editUpdate_ = 0;  // raised while the editor stores its text, so the store does not reload the editor

 private:
  struct TAxis {
    int LineWidth = 0;
    int FixedCount = 0;
    int FixedBoundary = 0;   // first pixel after the fixed cells and their lines
    int First = 0;           // first scrolling cell shown (LeftCol / TopRow)
    int Count = 0;           // cells in all
    int Extent = 0;          // client size along the axis
    int LastFullVisible = 0; // last cell that fits with its line
    int FullVisBoundary = 0;
    int Boundary = 0;        // first pixel after the last cell shown (cut to the extent)
    int LastVisible = -1;    // last cell partly or fully shown
  };
  TAxis CalcAxis(bool Horz, int Extent) const;
  // The axes for the client area now, kept until the geometry or the client size changes.
  const TAxis& Axis(bool Horz) const;
  const TAxis& HorzAxis() const { return Axis(true); }
  const TAxis& VertAxis() const { return Axis(false); }
  void GeometryChanged();
  struct TCachedAxis {
    TAxis Axis;
    bool Valid = false;
  };
  mutable TCachedAxis axes_[2];
  int Extent(bool Horz, int Index) const;
  // Position of a cell along an axis (-1 when not shown).
  int CellPos(const TAxis& A, bool Horz, int Index) const;
  int CalcMaxFirst(bool Horz, int Extent) const;
  int CoordFromPos(const TAxis& A, bool Horz, int Pos) const;
  void MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show);
  void MoveLine(bool IsRow, int FromIndex, int ToIndex);
  int LineExtent(bool Horz, int Index) const;
  void SetLineExtent(bool Horz, int Index, int Value);
  void MoveTopLeft(int ALeft, int ATop);
  void SelectionMoved(const TGridRect& OldSel);
  void InvalidateGridRect(const TGridRect& R);
  void ChangeSize(int NewColCount, int NewRowCount);
  void ClampAfterResize();
  void UpdateScrollPos();
  void ScrollBarMessage(bool Horz, TMessage& Message);
  void UpdateEditorPlace();
  // The current cell's row, the anchor's and the editor's go where Follow sends their rows.
  void FollowRows(const std::function<void(int&)>& Follow);
  void DrawMoveMark(bool Show);
  void CancelMouseMode();
  void UpdateClientBackground();
  void PaintLines(const std::vector<std::pair<int, int>>& Cols, const std::vector<std::pair<int, int>>& Rows,
                  int FixedRight, int FixedBottom, int Right, int Bottom);
  TGridDrawState DrawStateOf(int ACol, int ARow, bool Focused, const TGridRect& Sel) const;

  int colCount_ = 5, rowCount_ = 5, fixedCols_ = 1, fixedRows_ = 1;
  int defaultColWidth_ = 64, defaultRowHeight_ = 24, gridLineWidth_ = 1;
  std::vector<int> colWidths_, rowHeights_;
  std::vector<bool> tabStops_;
  TGridOptions options_ = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
  bool defaultDrawing_ = true;
  TColor fixedColor_ = clBtnFace;
  bool ctl3D_ = true;
  TScrollStyle scrollBars_ = ssBoth;
  TBorderStyle borderStyle_ = bsSingle;
  TGridCoord current_{1, 1}, anchor_{1, 1}, topLeft_{1, 1};
  bool editorMode_ = false;
  TInplaceEdit* editor_ = nullptr;
  int inplaceCol_ = -1, inplaceRow_ = -1;
  TGridState gridState_ = gsNormal;
  bool selectHeld_ = false;
  int sizingIndex_ = -1, sizingPos_ = 0, sizingOfs_ = 0, sizingStart_ = 0;
  int moveIndex_ = -1, movePos_ = -1;
  TPoint lastMouse_;
  int updatingScroll_ = 0;
  bool keepVert_ = false, keepHorz_ = false;
  bool proportionalThumbs_ = true;
  std::unique_ptr<TControlFeedback> feedback_;
  friend class TInplaceEdit;
};

// ---------------------------------------------------------------- TDrawGrid
class TDrawGrid : public TCustomGrid {
 public:
  explicit TDrawGrid(TComponent* AOwner) : TCustomGrid(AOwner) {}
  std::string ClassName() const override { return "TDrawGrid"; }
  TDrawCellEvent OnDrawCell;

 protected:
  // Fires OnDrawCell.
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
};

// ---------------------------------------------------------------- TStringGrid
class TStringGrid;

// A row or column of a string grid as a string list (texts and objects of its cells).
class TStringGridStrings : public TStrings {
 public:
  TStringGridStrings(TStringGrid* Grid, int Index, bool IsRow) : grid_(Grid), index_(Index), row_(IsRow) {}
  std::string ClassName() const override { return "TStringGridStrings"; }
  int Count() const override;
  std::string Get(int index) const override;
  void Put(int index, const std::string& s) override;
  TObject* GetObject(int index) const override;
  void PutObject(int index, TObject* obj) override;
  // Empties every cell of the line.
  void Clear() override;
  // Lines of a grid have fixed lengths: raises EInvalidGridOperation.
  void Delete(int index) override;
  void Insert(int index, const std::string& s) override;
  // Puts the text in the first empty cell; -1 when none is empty.
  int Add(const std::string& s) override;
  // Copies the texts and objects of another list into the line, cell by cell.
  void Assign(TPersistent* Source) override;

 private:
  TStringGrid* grid_;
  int index_;
  bool row_;
};

class TStringGrid : public TDrawGrid {
 public:
  explicit TStringGrid(TComponent* AOwner);
  ~TStringGrid() override;
  std::string ClassName() const override { return "TStringGrid"; }

  // Any byte may stand in a text. A write repaints that cell only.
  const std::string& Cells(int ACol, int ARow) const { return store_.Text(ACol, ARow); }
  void SetCells(int ACol, int ARow, const std::string& Value);
  // The grid never frees an object.
  TObject* Objects(int ACol, int ARow) const { return store_.Object(ACol, ARow); }
  void SetObjects(int ACol, int ARow, TObject* Value);
  // Rows(i) and Cols(i) as string lists; assigning one line to another moves texts and objects.
  TStrings* Rows(int Index);
  void SetRows(int Index, TStrings* Value) { Rows(Index)->Assign(Value); }
  TStrings* Cols(int Index);
  void SetCols(int Index, TStrings* Value) { Cols(Index)->Assign(Value); }
  const TGridStore& Store() const { return store_; }

 protected:
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
  std::string GetEditText(int ACol, int ARow) override;
  void SetEditText(int ACol, int ARow, const std::string& Value) override;
  void SizeChanged(int OldColCount, int OldRowCount) override;
  void MoveLineData(bool IsRow, int FromIndex, int ToIndex) override;
  void ClearLineData(bool IsRow, int Index) override;
  void MoveRowBlockData(int FromIndex, int Count, int ToIndex) override;
  void ExchangeRowData(int ARow1, int ARow2) override;
  void PermuteRowData(int Lo, const std::vector<int>& Order) override;
  // Stores a text without marking its cell for repainting: for bulk loads that repaint the whole
  // grid once at their end.
  void SetCellTextQuietly(int ACol, int ARow, const std::string& Value) { store_.SetText(ACol, ARow, Value); }
  // The same without a copy: Value comes back holding the cell's text of before.
  void SwapCellTextQuietly(int ACol, int ARow, std::string& Value) { store_.SwapText(ACol, ARow, Value); }
  // A row's texts and a cell among them, written in place by a bulk reader (TGridStore::RowTexts).
  std::vector<std::string>& RowTextsQuietly(int ARow) { return store_.RowTexts(ARow); }
  void ReserveRowsQuietly(int ARows) { store_.ReserveRows(ARows); }
  void DropRowsQuietly(int AFrom) { store_.DropRowsFrom(AFrom); }
  std::string& TextInQuietly(std::vector<std::string>& Texts, int ACol) { return store_.TextIn(Texts, ACol); }
  void SetCellObjectQuietly(int ACol, int ARow, TObject* Value) { store_.SetObject(ACol, ARow, Value); }
  // A row's cells taken out and put back whole, quietly as above.
  TGridStore::TRowCells TakeRowCells(int ARow) { return store_.TakeRow(ARow); }
  void PutRowCells(int ARow, TGridStore::TRowCells Cells) { store_.PutRow(ARow, std::move(Cells)); }

 private:
  friend class TCustomGrid;
  void CellChanged(int ACol, int ARow);
  TGridStore store_;
  struct TFontBound {
    TFontData Font;
    int MaxWidth = 0, Height = 0;
  } fontBound_{TFontData{"", 0}, 0, 0};
  std::unordered_map<long long, std::unique_ptr<TStringGridStrings>> lines_;
  TStringGridStrings* Line(int Index, bool IsRow);
};

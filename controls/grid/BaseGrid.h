#pragma once
// TBaseGrid: the string grid under every table of the program. On top of the
// platform's TStringGrid it keeps a TCellProperties object per cell that needs
// one (in the cell's object slot), merged cells (a block shown and edited as
// one cell whose text lives in its top-left base cell), cell text access that
// redirects covered cells to their base cell and passes displayed text
// through the display-text events, its own grid lines, an active-row colour,
// key and wheel moves that step over merged areas, and an undo/redo link.
//
// Ownership: the grid owns every TCellProperties it stores, one owner per
// slot. Row and column moves carry them with their cells; a row or column
// dropped by the platform grid frees them; objects of cells beyond the counts
// stay with their cells and are freed with the grid. ClearCell, ClearRow and
// ClearColumn free them too: no slot ever shares an object with another, so a
// detached object would be lost (docs/grid.md).
//
// Per-row attributes that are not cells (the modified mark, the disjunct
// selection mark) live in one record per row that moves with the row's cells.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/grid/Grids.h"
#include "platform/gui/Graphics.h"
#include "platform/rtl/Classes.h"

class TBaseGrid;
class TExtGridUndoRedo;

enum TVAlignment { vtaTop, vtaCenter, vtaBottom };

enum TEditorType {
  edNormal, edSpinEdit, edComboEdit, edComboList, edEditBtn, edCheckBox, edDateEdit, edDateEditUpDown,
  edTimeEdit, edButton, edDataCheckBox, edNumeric, edPositiveNumeric, edFloat, edCapital, edMixedCase,
  edPassword, edUnitEditBtn, edLowerCase, edUpperCase, edFloatSpinEdit, edTimeSpinEdit, edDateSpinEdit,
  edNumericEditBtn, edFloatEditBtn, edCustom, edRichEdit, edNone, edUniEdit, edUniComboEdit, edUniComboList,
  edUniEditBtn, edUniMemo
};

using TGetDisplTextEvent = std::function<void(TObject* Sender, int ACol, int ARow, std::string& Value)>;
using TGetDisplWideTextEvent = std::function<void(TObject* Sender, int ACol, int ARow, std::u16string& Value)>;

// ---------------------------------------------------------------- TCellProperties
// Attributes of one cell. Merge encoding: not merged when both spans are -1;
// the base (top-left) cell of a C x R block has IsBaseCell and spans C-1, R-1;
// every covered cell has IsBaseCell false and its offset from the base.
class TCellProperties : public TPersistent {
 public:
  TCellProperties(TBaseGrid* Owner, int ACol, int ARow);
  std::string ClassName() const override { return "TCellProperties"; }
  // Copies everything but BrushColorTo, CellObject and ObjectValue.
  void Assign(TPersistent* Source) override;

  TBaseGrid* Grid() const { return owner_; }
  int OwnerCol = 0, OwnerRow = 0;
  TObject* CellObject = nullptr;   // the user's, never freed by the grid
  TObject* ObjectValue = nullptr;  // what GetCellObject/SetCellObject read and write
  TBrushStyle BrushStyle = bsSolid;
  TColor BrushColor() const { return brushColor_; }
  void SetBrushColor(TColor v);    // repaints the merged area
  TColor BrushColorTo() const { return brushColorTo_; }
  void SetBrushColorTo(TColor v);  // repaints the merged area
  int FontSize = 0;
  TColor FontColor = clNone;
  TFontStyles FontStyle = 0;
  int CellSpanY = -1;
  int CellSpanX = -1;
  int BorderWidth = 0;
  TColor BorderColor = clBlack;
  TAlignment Alignment = taLeftJustify;  // no repaint
  TVAlignment VAlignment() const { return vAlignment_; }
  void SetVAlignment(TVAlignment v);     // repaints
  int PaintStamp = 0;
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v);              // repaints
  bool IsBaseCell = true;
  uint8_t FooterCalc = 0;
  int NodeLevel = 0;
  TEditorType Editor = edNormal;
  std::string FontName;
  bool ReadOnly = false;
  TControl* Control = nullptr;  // owned by the grid's control list, not by this object
  // The cell's graphic (check box, node, radio...), owned here; not copied by Assign.
  std::unique_ptr<TObject> Graphic;

 private:
  void Repaint();
  TBaseGrid* owner_;
  TColor brushColor_ = clNone;
  TColor brushColorTo_ = clNone;
  TVAlignment vAlignment_ = vtaTop;
  bool wordWrap_ = true;
};

// ---------------------------------------------------------------- undo/redo
class TUndoRedoItem : public TCollectionItem {
 public:
  using TCollectionItem::TCollectionItem;
  std::string ClassName() const override { return "TUndoRedoItem"; }
  int Row = 0, Col = 0;
  std::string Value, OrigValue;
  // Beside cell texts a step holds how the grid grew: uiRowsInserted (Count rows at Row) and
  // uiCounts (ColCount and RowCount before, in Col and Row).
  enum TKind { uiCell, uiRowsInserted, uiCounts };
  TKind Kind = uiCell;
  int Count = 0;
  int Step = 0;  // the items of one paste, drop or import share it
};

class TExtGridUndoRedo : public TComponent {
 public:
  explicit TExtGridUndoRedo(TComponent* AOwner);
  ~TExtGridUndoRedo() override;
  std::string ClassName() const override { return "TExtGridUndoRedo"; }
  // Drops the oldest item when MaxLevel (>= 1) items are held, then appends one.
  virtual void Add(int ACol, int ARow, const std::string& OrigValue, const std::string& Value);
  void AddRowsInserted(int ARow, int ACount);
  void AddCounts(int AColCount, int ARowCount);
  // The items added between BeginStep and EndStep (nested: the outer pair) are one step. With
  // MaxLevel, the oldest steps go whole; a step that cannot be held whole is not kept at all.
  void BeginStep();
  void EndStep();
  // Puts the linked grid back as before the last step (its last item first) and drops the
  // step. False when there is nothing to undo.
  bool Undo();
  TCollection* Items() const { return items_.get(); }
  int Level() const { return level_; }
  int MaxLevel = 0;  // 0: no limit
  TBaseGrid* Grid() const { return grid_; }

 private:
  friend class TBaseGrid;
  TUndoRedoItem* NewItem();
  std::unique_ptr<TCollection> items_;
  TBaseGrid* grid_ = nullptr;
  int level_ = 0;
  int stepDepth_ = 0, step_ = 0, lastStep_ = 0;
  bool stepBroken_ = false;
};

// One undo step for a scope (nothing without a component).
struct TUndoStepScope {
  TExtGridUndoRedo* Undo;
  explicit TUndoStepScope(TExtGridUndoRedo* u) : Undo(u) {
    if (Undo) Undo->BeginStep();
  }
  ~TUndoStepScope() {
    if (Undo) Undo->EndStep();
  }
  TUndoStepScope(const TUndoStepScope&) = delete;
  TUndoStepScope& operator=(const TUndoStepScope&) = delete;
};

// Holds a counter up for a scope, also when a handler raises.
struct TGridCountScope {
  int& Count;
  explicit TGridCountScope(int& c) : Count(c) { ++Count; }
  ~TGridCountScope() { --Count; }
  TGridCountScope(const TGridCountScope&) = delete;
  TGridCountScope& operator=(const TGridCountScope&) = delete;
};

// Sets a flag for a scope and puts its old value back, also when a handler raises.
struct TGridFlagScope {
  bool& Flag;
  bool Old;
  TGridFlagScope(bool& f, bool v) : Flag(f), Old(f) { f = v; }
  ~TGridFlagScope() { Flag = Old; }
  TGridFlagScope(const TGridFlagScope&) = delete;
  TGridFlagScope& operator=(const TGridFlagScope&) = delete;
};

// ---------------------------------------------------------------- per-row record
// What belongs to a row besides its cells and height: travels with the row.
struct TRowAttributes {
  bool Modified = false;
  bool DisjunctSelected = false;
};

// ---------------------------------------------------------------- TBaseGrid
class TBaseGrid : public TStringGrid {
 public:
  explicit TBaseGrid(TComponent* AOwner);
  ~TBaseGrid() override;
  std::string ClassName() const override { return "TBaseGrid"; }

  // ----- cell text
  // The base cell's text; below EventRowLimit passed through the display-text events.
  std::string Cells(int ACol, int ARow) const;
  // What Cells answers, read in place: the stored text itself when no display-text event
  // changes it, else Buffer holding the text the events gave.
  const std::string& CellText(int ACol, int ARow, std::string& Buffer) const;
  // Stores in the base cell (a merged area repaints whole); the footer follows the last row.
  void SetCells(int ACol, int ARow, const std::string& Value);
  // The cell's own text and slot: no redirection, no events.
  const std::string& GridCells(int ACol, int ARow) const { return TStringGrid::Cells(ACol, ARow); }
  void SetGridCells(int ACol, int ARow, const std::string& Value) { TStringGrid::SetCells(ACol, ARow, Value); }
  TObject* GridObjects(int ACol, int ARow) const { return TStringGrid::Objects(ACol, ARow); }
  // The object slot holds the grid's property objects: the user's object lives inside them.
  TObject* Objects(int ACol, int ARow) const { return GetCellObject(ACol, ARow); }
  void SetObjects(int ACol, int ARow, TObject* Value) { SetCellObject(ACol, ARow, Value); }

  // ----- cell objects and properties
  TObject* GetCellObject(int ACol, int ARow) const;
  void SetCellObject(int ACol, int ARow, TObject* AObject);
  TCellProperties* GetCellProperties(int ACol, int ARow);
  // Null when the cell has none; creates nothing.
  TCellProperties* CellPropertiesOrNull(int ACol, int ARow) const;
  bool HasCellProperties(int ACol, int ARow) const { return CellPropertiesOrNull(ACol, ARow) != nullptr; }
  // Takes ownership of AProps (null allowed); the object already stored is kept as it is.
  void ReplaceCellProperties(int ACol, int ARow, TCellProperties* AProps);
  void FreeCellProperties(int ACol, int ARow);
  void FreeCellPropertiesRange(int Col1, int Row1, int Col2, int Row2);
  void FreeAllCellProperties();
  // Empty the text and free the property object of a cell, a row, a column.
  void ClearCell(int ACol, int ARow);
  void ClearRow(int ARow);
  void ClearColumn(int ACol);

  // ----- merged cells
  TPoint BaseCell(int ACol, int ARow) const;
  bool GetBaseCellEx(int ACol, int ARow, int& BaseRow, int& BaseCol) const;
  bool IsBaseCell(int ACol, int ARow) const;
  bool IsMergedCell(int ACol, int ARow) const;
  bool IsXMergedCell(int ACol, int ARow) const;
  bool IsYMergedCell(int ACol, int ARow) const;
  TPoint CellSpan(int ACol, int ARow) const;
  bool RowsShareMerges(int Row1, int Row2) const;
  void MoveToBaseCell();
  // Shift+arrow onto a merged area: the block keeps its anchor and takes the area whole.
  void ExtendOverMergedCell();
  // The merged area of the current cell becomes the selection.
  void SelectCurrentArea();

  // ----- geometry and repaint
  TRect CellRectEx(int ACol, int ARow) const;
  TPoint CellSize(int ACol, int ARow) const;
  TRect VirtualCellRect(int ACol, int ARow) const;
  void RepaintCell(int ACol, int ARow);
  // Repaints the cell that holds the property object now (and its merged area), wherever the
  // grid moved it since it was made.
  void RepaintCellOf(const TCellProperties* P);
  int FixedColsWidth() const;
  int FixedRowsHeight() const;

  // ----- per-row attributes
  const TRowAttributes& RowAttributes(int ARow) const;
  TRowAttributes& MutableRowAttributes(int ARow);

  // ----- properties
  bool DefaultDrawing() const { return defaultDrawing_; }
  void SetDefaultDrawing(bool v);
  int GridLineWidth() const { return gridLineWidth_; }
  void SetGridLineWidth(int v);
  TColor GridLineColor() const { return gridLineColor_; }
  void SetGridLineColor(TColor v);
  int PaintCounter() const { return paintCounter_; }
  bool FloatingFooterRow = false;
  int EventRowLimit() const { return eventRowLimit_; }
  TExtGridUndoRedo* UndoRedo() const { return undoRedo_; }
  void SetUndoRedo(TExtGridUndoRedo* v);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v) { wordWrap_ = v; }
  bool ActiveRowShow() const { return activeRowShow_; }
  void SetActiveRowShow(bool v);
  TColor ActiveRowColor() const { return activeRowColor_; }
  void SetActiveRowColor(TColor v);

  TGetDisplTextEvent OnGetDisplText;
  TGetDisplWideTextEvent OnGetDisplWideText;

  // ----- virtual slots, in order
  virtual bool IsFixed(int ACol, int ARow);
  virtual int GetNodeIndent(int ARow);
  virtual bool HasNodes();
  virtual void DrawCellText(TCanvas* ACanvas, int ACol, int ARow, TRect ARect, TGridDrawState AState);
  // Repaints the footer panel (the last row's text changed while FloatingFooterRow).
  virtual void UpdateFooter();
  virtual void GetDisplText(int ACol, int ARow, std::string& Value) const;
  virtual void GetDisplWideText(int ACol, int ARow, std::u16string& Value) const;
  // Sets the canvas brush and font of a cell before it is filled; gives the
  // gradient end colour and the cell's alignment and word wrap.
  virtual void GetCellColors(int ACol, int ARow, TGridDrawState& AState, bool APrinting, bool AMapHidden,
                             bool ASelection, TBrush* ABrush, TColor& AColorTo, TFont* AFont, TAlignment& HAlign,
                             TVAlignment& VAlign, bool& AWordWrap);
  virtual int DisplColIndex(int ACol) const;
  // Clips the block to the grid; a block that crosses another merged area is refused (false).
  virtual bool MergeCells(int ACol, int ARow, int NumCols, int NumRows);
  virtual void SplitCells(int ACol, int ARow);
  // Puts back what one undo item recorded.
  virtual void UndoItem(const TUndoRedoItem& Item);

  void Notification(TComponent* AComponent, TOperation Operation) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;

 protected:
  void Paint() override;
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
  bool SelectCell(int ACol, int ARow) override;
  bool LeavesCurrentCell(TGridCoord Cell) const override;
  void TopLeftChanged() override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  void MoveLineData(bool IsRow, int FromIndex, int ToIndex) override;
  void ClearLineData(bool IsRow, int Index) override;
  void MoveRowBlockData(int FromIndex, int Count, int ToIndex) override;
  void PermuteRowData(int Lo, const std::vector<int>& Order) override;
  void ExchangeRowData(int ARow1, int ARow2) override;
  void SizeChanged(int OldColCount, int OldRowCount) override;

  // A descendant that overrides GetDisplText or GetDisplWideText sets this, so Cells calls them
  // without a display-text event assigned.
  bool DisplTextHooked = false;
  // The row count last set through the component's RowCount.
  void SetEventRowLimit(int v) { eventRowLimit_ = v; }
  // Repaints the block of cells (display coordinates) without walking the whole grid.
  void RepaintArea(int Col1, int Row1, int Col2, int Row2);
  // The store's property object of a cell (no creation), as a mutable pointer.
  TCellProperties* PropsAt(int ACol, int ARow) const;
  // Frees every property object of a stored row (column), beyond the counts too.
  void FreeLineProperties(bool IsRow, int Index);
  // Splits every merged area that holds both line Edge - 1 and line Edge (rows or
  // columns), before lines are inserted, removed or hidden there: a covered cell's
  // offset would otherwise point past its base.
  void SplitMergesAcross(bool IsRow, int Edge);

 private:
  bool defaultDrawing_ = false;
  int gridLineWidth_ = 1;
  TColor gridLineColor_ = clSilver;
  int paintCounter_ = 1;
  int eventRowLimit_ = 0;
  TExtGridUndoRedo* undoRedo_ = nullptr;
  bool wordWrap_ = true;
  bool activeRowShow_ = false;
  TColor activeRowColor_ = clInfoBk;
  std::vector<TRowAttributes> rowAttrs_;
};

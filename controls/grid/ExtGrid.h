#pragma once
// TExtStringGrid: the grid component of every table of the program, on
// TBaseGrid, with its option objects, per-cell attribute hooks, hidden rows,
// inplace editor (TExtInplaceEdit) and the editing and validation path.
// The implementation is split by concern (docs/grid.md): ExtGrid.cpp
// (construction, lifecycle, options), ExtGridCells.cpp (text forms, colours,
// attribute hooks), ExtGridPaint.cpp (painting), ExtGridText.cpp (cell text),
// ExtGridCalc.cpp (calculations, sizing), ExtGridTyped.cpp (typed access,
// flags, save and load hooks), ExtGridRows.cpp (rows and columns, hidden
// rows), ExtGridEdit.cpp (selection, editing, validation),
// ExtInplaceEdit.cpp (the editor), ExtGridEventHooks.cpp (the hooks that
// fire the grid's events).
//
// Cell text is UTF-8 or Windows-1252 as everywhere; wide text comes in and
// goes out through WideCells and is never stored in the "|\" form.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "controls/grid/BaseGrid.h"
#include "controls/grid/ExtObj.h"
#include "controls/grid/GridOptions.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Hints.h"
#include "platform/rtl/ComponentRef.h"

class TExtStringGrid;
class TEditLink;
class TExtStringGridCheck;
class TCellEditorFactory;
class TGridCombo;
class TGridDatePicker;
class TExtRichEdit;
class TCustomRichEdit;
class TRichTextCache;
class TControlEdit;
class TControlCombo;
class TPictureContainer;
class TDropTarget;
struct TGridCellBlock;
class THTMLPictureCache;
class TCustomImageList;
class TTimer;
class TSearchPanel;
class TFooterPanel;
class TBalloonWindow;
class TTimer;

enum TGridLook { glStandard, glSoft, glClassic, glQuarn, glXP, glListView };
enum TScrollType { ssNormal, ssFlat, ssEncarta };
enum TScrollBarAlways { saNone, saVert, saHorz, saBoth };
enum TScrollHintType { shNone, shVertical, shHorizontal, shBoth };
enum TCellBorder : unsigned { cbTop = 1, cbLeft = 2, cbRight = 4, cbBottom = 8 };
using TCellBorders = unsigned;
enum TSortStyle {
  ssAutomatic, ssAlphabetic, ssNumeric, ssDate, ssAlphaNoCase, ssAlphaCase, ssShortDateEU, ssShortDateUS,
  ssCustom, ssFinancial, ssAnsiAlphaCase, ssAnsiAlphaNoCase, ssRaw, ssHTML, ssImages, ssCheckBox, ssUnicode,
  ssDateTime, ssTime, ssAlphaNumeric, ssAlphaNumericNoCase
};

// The grid's exception for misuse ("Invalid row accessed", "Cell does not contain integer value", ...).
class EExtGridError : public Exception {
 public:
  using Exception::Exception;
};

// A cell text refused by the rich edit (LoadRichEdit, F2): one that would take it unbounded time.
extern const char* const kRichTextTooLong;

// ---------------------------------------------------------------- events
// Click-type and attribute events take (ARow, ACol); value events take (ACol, ARow), as given.
using TRowUpdateEvent = std::function<void(TObject* Sender, int OldRow, int NewRow)>;
using TCellValidateEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, std::string& Value, bool& Valid)>;
using TCellValidateWideEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, std::u16string& Value, bool& Valid)>;
using TRowChangingEvent = std::function<void(TObject* Sender, int OldRow, int NewRow, bool& Allow)>;
using TColChangingEvent = std::function<void(TObject* Sender, int OldCol, int NewCol, bool& Allow)>;
using TCellChangingEvent =
    std::function<void(TObject* Sender, int OldRow, int OldCol, int NewRow, int NewCol, bool& Allow)>;
using TGridHintEvent = std::function<void(TObject* Sender, int ARow, int ACol, std::string& HintStr)>;
using TGridBalloonEvent = std::function<void(TObject* Sender, int ACol, int ARow, std::string& ATitle,
                                             std::string& AText, int& AIcon)>;
using TFooterPaintEvent = std::function<void(TObject* Sender, int AColumn, TCanvas* Canvas, TRect ARect)>;
using TGridColorEvent =
    std::function<void(TObject* Sender, int ARow, int ACol, TGridDrawState AState, TBrush* ABrush, TFont* AFont)>;
using TGridBorderEvent = std::function<void(TObject* Sender, int ARow, int ACol, TPen* APen, TCellBorders& Borders)>;
using TGridAlignEvent =
    std::function<void(TObject* Sender, int ARow, int ACol, TAlignment& HAlign, TVAlignment& VAlign)>;
using TGridFormatEvent = std::function<void(TObject* Sender, int ACol, TSortStyle& AStyle, std::string& APrefix,
                                            std::string& ASuffix)>;
using TGetEditorTypeEvent = std::function<void(TObject* Sender, int ACol, int ARow, TEditorType& AEditor)>;
using TIsFixedCellEvent = std::function<void(TObject* Sender, int ARow, int ACol, bool& IsFixed)>;
using TCanEditCellEvent = std::function<void(TObject* Sender, int ARow, int ACol, bool& CanEdit)>;
using TIsPasswordCellEvent = std::function<void(TObject* Sender, int ARow, int ACol, bool& IsPassword)>;
using TGetWordWrapEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool& WordWrap)>;
using THasComboEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool& HasComboBox)>;
using TGetCheckEvent = std::function<void(TObject* Sender, int ACol, int ARow, std::string& Value)>;
using TCellValueEvent = std::function<void(TObject* Sender, int ACol, int ARow, std::string& Value)>;
using TCellsChangedEvent = std::function<void(TObject* Sender, TRect R)>;
using TGetFloatFormatEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, bool& IsFloat, std::string& FloatFormat)>;
using TSelectionChangedEvent = std::function<void(TObject* Sender, int ALeft, int ATop, int ARight, int ABottom)>;
using TAutoRowEvent = std::function<void(TObject* Sender, int ARow)>;
using TAutoColEvent = std::function<void(TObject* Sender, int ACol)>;
using TUpdateColumnSizeEvent = std::function<void(TObject* Sender, int ACol, int& AWidth)>;
using TEllipsClickEvent = std::function<void(TObject* Sender, int ACol, int ARow, std::string& S)>;
using TCanAddRowEvent = std::function<void(TObject* Sender, bool& CanAdd)>;
using TCanInsertRowEvent = std::function<void(TObject* Sender, int ARow, bool& CanInsert)>;
using TCanDeleteRowEvent = std::function<void(TObject* Sender, int ARow, bool& CanDelete)>;
using TEditChangeEvent = std::function<void(TObject* Sender, int ACol, int ARow, const std::string& Value)>;
using TClickCellEvent = std::function<void(TObject* Sender, int ARow, int ACol)>;
using TClipboardEvent = std::function<void(TObject* Sender, bool& Allow)>;
using TClipboardCellEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, std::string& Value, bool& Allow)>;
using TClipboardWideCellEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, std::u16string& Value, bool& Allow)>;
using TEndRowSizeEvent = std::function<void(TObject* Sender, int ARow)>;
using TComboChangeEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, int AItemIndex, const std::string& ASelection)>;
using TComboObjectChangeEvent = std::function<void(TObject* Sender, int ACol, int ARow, int AItemIndex,
                                                   const std::string& ASelection, TObject* AObject)>;
using TCustomCellDrawEvent = std::function<void(TObject* Sender, TCanvas* Canvas, int ACol, int ARow,
                                                TGridDrawState AState, TRect ARect, bool Printing)>;
using TGridBorderPropEvent =
    std::function<void(TObject* Sender, int ARow, int ACol, TPen* LeftPen, TPen* TopPen, TPen* RightPen, TPen* BottomPen)>;
using TGetEditorPropEvent = std::function<void(TObject* Sender, int ACol, int ARow, TEditLink* AEditLink)>;
// The in-cell spin edit's steps (Up: the step went up) and the date editor's changes.
using TSpinClickEvent = std::function<void(TObject* Sender, int ACol, int ARow, int AValue, bool Up)>;
using TFloatSpinClickEvent = std::function<void(TObject* Sender, int ACol, int ARow, double AValue, bool Up)>;
using TDateTimeSpinClickEvent = std::function<void(TObject* Sender, int ACol, int ARow, TDateTime AValue, bool Up)>;
using TDateTimeChangeEvent = std::function<void(TObject* Sender, int ACol, int ARow, TDateTime AValue)>;
// A markup cell's COMBO control: its list, whether it can be typed into, how many rows drop.
using TControlComboListEvent =
    std::function<void(TObject* Sender, int ARow, int ACol, const std::string& CtrlID, const std::string& CtrlType,
                       const std::string& CtrlVal, TStringList* Values, bool& Edit, int& DropCount)>;
using TControlEditDoneEvent = std::function<void(TObject* Sender, int ARow, int ACol, const std::string& CtrlID,
                                                 const std::string& CtrlType, const std::string& CtrlVal)>;
using TAutoAdvanceEvent =
    std::function<void(TObject* Sender, int OldRow, int OldCol, int& NewRow, int& NewCol, bool& Allow)>;
using TCanClickCellEvent = std::function<void(TObject* Sender, int ARow, int ACol, bool& Allow)>;
using TCheckBoxClickEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool State)>;
using TRadioClickEvent = std::function<void(TObject* Sender, int ACol, int ARow, int AIdx)>;
using TButtonClickEvent = std::function<void(TObject* Sender, int ACol, int ARow)>;
using TAnchorClickEvent =
    std::function<void(TObject* Sender, int ARow, int ACol, const std::string& Anchor, bool& AutoHandle)>;
using TLineSizeEvent = std::function<void(TObject* Sender, int AIndex, bool& Allow)>;
using TEndColumnSizeEvent = std::function<void(TObject* Sender, int ACol)>;
using TSelectionResizeEvent = std::function<void(TObject* Sender, TGridRect OrigSelection, TGridRect NewSelection)>;
using TCanSortEvent = std::function<void(TObject* Sender, int ACol, bool& DoSort)>;
enum TIntelliPan { ipVertical, ipHorizontal, ipBoth, ipNone };

// Formats Value with a format that holds exactly one numeric conversion
// (%[flags][width][.precision] followed by d, f, e or g; "%%" for a percent sign), the
// locale's decimal separator in the number; "d" rounds the value. False (Out
// untouched) for any other format or a value that is no finite number.
bool FormatGridNumber(const std::string& Fmt, double Value, std::string& Out);
// A cell's number text ("1,234.5", "(12)", "-3") as a value; false when it is none.
bool GridNumberValue(const std::string& Text, double& Value);

// Search flags of FindCell (one bit each).
enum TFindFlag : unsigned {
  ffCaseSensitive = 1, ffWholeText = 2, ffExpression = 4, ffRowWise = 8, ffAtStart = 16, ffCurrentRow = 32,
  ffCurrentCol = 64, ffFixedCells = 128, ffGotoFound = 256, ffStripTags = 512, ffBackward = 1024,
  ffHiddenCols = 2048, ffPresetCol = 4096, ffPresetRow = 8192
};
using TFindFlags = unsigned;

// ---------------------------------------------------------------- TExtInplaceEdit
class TExtInplaceEdit : public TInplaceEdit {
 public:
  explicit TExtInplaceEdit(TExtStringGrid* AOwner);
  std::string ClassName() const override { return "TExtInplaceEdit"; }
  int16_t LengthLimit = 0;  // 0 or less: no limit
  bool VAlign() const { return vAlign_; }
  void SetVAlign(bool v);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v);
  TExtStringGrid* Grid() const { return grid_; }
  void UpdateContents() override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void BoundsChanged() override;
  void Change() override;
  void WMGetDlgCode(TMessage& Message) override;
  void WMKeyDown(TMessage& Message) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void EditChar(char32_t Ch) override;
  void KeyPress(char& Key) override;
  void KeyUp(WORD& Key, TShiftState Shift) override;
  void DblClick() override;
  void DoEnter() override;
  void DoExit() override;
  void WndProc(TMessage& Message) override;

 private:
  // The text as typing a character would leave it, or false when the editor type refuses it.
  bool FilterChar(char32_t& Ch);
  // Text kinds: with LineFeedOnEnter a plain Return types a line break in them.
  bool TakesLineFeeds() const;
  // The pasted text after the editor type's conversion, or false when it is refused.
  bool FilterPaste(std::string& Text);
  void Paste();
  void PutBack(const std::string& Text);
  void LookupComplete();
  // Typing sizes the cell: rows on a new line and after each key, columns after each key.
  void SizeRowForNewLine();
  void SizeToText();
  // Every input position of the mask is typed and the caret stands past the last one.
  bool MaskFilled() const;
  void AdvanceFromFilledMask();
  TExtStringGrid* grid_;
  bool vAlign_ = false, wordWrap_ = false;
  bool completionPending_ = false, typed_ = true;
  bool keypadChar_ = false;  // the character being typed came from the numeric keypad
  bool ctrlReturn_ = false;  // the character to come is the one of Ctrl+Return
};

// ---------------------------------------------------------------- TExtStringGrid
class TExtStringGrid : public TBaseGrid {
 public:
  explicit TExtStringGrid(TComponent* AOwner);
  ~TExtStringGrid() override;
  std::string ClassName() const override { return "TExtStringGrid"; }

  // ----- shape
  int RowCount() const { return TBaseGrid::RowCount(); }
  void SetRowCount(int Value);
  int Row() const { return TBaseGrid::Row(); }
  void SetRow(int ARow);
  // Rows including hidden ones; columns including hidden ones.
  int AllRowCount() const { return RowCount() + NumHiddenRows(); }
  int AllColCount() const { return ColCount() + NumHiddenColumns(); }
  // Also the grid's own cursor, which the hand, panning and moving cursors give back when they end.
  void SetCursor(TCursor ACursor) override;
  int FixedFooters() const { return fixedFooters_; }
  void SetFixedFooters(int v);
  int FixedRightCols() const { return fixedRightCols_; }
  void SetFixedRightCols(int v);
  bool FixedRowAlways = false, FixedColAlways = false;

  // ----- cell access beyond the base grid
  std::u16string WideCells(int ACol, int ARow) const;
  void SetWideCells(int ACol, int ARow, const std::u16string& Value);
  TColor Colors(int ACol, int ARow) const;
  void SetColors(int ACol, int ARow, TColor Value);
  void SetColorsTo(int ACol, int ARow, TColor Value);
  void SetFontColors(int ACol, int ARow, TColor Value);
  bool ReadOnly(int ACol, int ARow);
  void SetReadOnly(int ACol, int ARow, bool Value);
  TControl* CellControls(int ACol, int ARow) const;
  TControl* CellControl(int ACol, int ARow) const { return CellControls(ACol, ARow); }
  void SetRowColor(int ARow, TColor Value);
  void SetRowColorTo(int ARow, TColor Value);
  void SetRowFontColor(int ARow, TColor Value);
  bool RowModified(int ARow) const { return RowAttributes(ARow).Modified; }
  void SetRowModified(int ARow, bool v);
  void SetFloats(int ACol, int ARow, double Value);
  std::string FloatFormat = "%.2f";

  // ----- update scope and repaint
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }
  void RepaintCellAt(int ACol, int ARow);
  void RepaintRow(int ARow);
  void RefreshView();
  void AutoSizeRow(int ARow);
  int RowLineCapacity(int ARow);
  void SizeRowForLines(int ARow, int ALines, int AMargin);

  // ----- column calculations and sizing (ExtGridCalc.cpp)
  // Cells that do not hold a number count for nothing; the average divides by the rows of the range.
  double ColumnSum(int ACol, int FromRow, int ToRow);
  double ColumnAvg(int ACol, int FromRow, int ToRow);
  double ColumnMin(int ACol, int FromRow, int ToRow);
  double ColumnMax(int ACol, int FromRow, int ToRow);
  void AutoSizeColumns(bool DoFixedCols, int ExtraWidth);
  void AutoSizeColumn(int ACol) { AutoSizeColumnEx(ACol, AutoSizeOnlyGrow); }
  void AutoSizeColumnEx(int ACol, bool OnlyGrow);
  void AutoSizeRowEx(int ARow, bool OnlyGrow);
  void SizeRowToLines(int ARow, int Lines, int Extra);
  int MaxLineCountInRow(int ARow);
  bool IsCellSelected(int ACol, int ARow);
  void SelectionAsText(std::string& Text);
  // The cells SelectionAsText takes (whole rows in row selection with OleEntireRows).
  TGridRect SelectionTextRange();
  // Added to measured widths and heights; sizing bounds (0 or less: none).
  int CellMarginX = 0, CellMarginY = 0;
  int MinColWidth = 0, MaxColWidth = 0, MinRowHeight = 0, MaxRowHeight = 0;
  // Autosizing (AutoSizeColumn, AutoSizeRow, AutoSize) only widens columns and heightens rows.
  bool AutoSizeOnlyGrow = false;
  // The vertical alignment flag (DT_TOP, DT_VCENTER, DT_BOTTOM) of the last plain-text cell drawn.
  unsigned LastVAlignFlag() const { return lastVAlignFlag_; }
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v) override;

  // ----- cell text (ExtGridText.cpp)
  // The text a cell shows: its text, a number formatted through OnGetFloatFormat. Never raises.
  virtual void FormatCellText(int ACol, int ARow, std::string& Text);
  // The text shown for a formula cell: the cell's own text.
  virtual void FormulaText(int ACol, int ARow, std::string& Text);
  // Width and height the cell's content needs, as painting lays it out.
  TSize GetCellTextSize(int ACol, int ARow, bool WrapToCell);
  // ----- rich-text cells (ExtGridRichText.cpp)
  // A rich-text cell's formatted text in Rect, inset by the text margin at the canvas's resolution;
  // a selected cell other than the focused current one in SelectionTextColor (not with SelectionRTFKeep).
  void DrawRichTextCell(int ACol, int ARow, const TRect& Rect, TCanvas* Canvas);
  // What rich text needs laid out in a font (wrapped at Width when above 0), with the margins.
  TSize RichTextExtent(const std::string& Rtf, const TFont& Font, int Width);
  // Whether the rich edit can take the cell's text in bounded time (see kRichTextTooLong).
  bool RichEditCanTake(int ACol, int ARow);
  // The grid's two rich edits: the hidden one that formats and measures, the one that edits cells.
  TExtRichEdit* RichFormatter();
  TExtRichEdit* RichEditor();
  // A cell's rich text into a rich edit (an empty cell clears it); a rich edit's content as RTF.
  void LoadRichEdit(int ACol, int ARow, TCustomRichEdit* RichEdit);
  void SaveRichEdit(TCustomRichEdit* RichEdit, std::string& Text);
  // How many texts keep their parsed documents for drawing.
  size_t RichTextCacheSize() const;
  // A selected rich-text cell keeps its own text colours.
  bool SelectionRTFKeep = false;
  // The editing rich edit's selection (or caret) moved.
  TNotifyEvent OnRichEditSelectionChange;
  // Forgotten when freed, whatever their owner.
  TComponentRef<TCustomImageList> GridImages{this};
  TComponentRef<TPictureContainer> PictureContainer{this};
  // End ellipsis on cut text; a web address shown whole rather than after its prefix.
  bool EnhTextSize = false;
  // A right click on an address cell (URLShow) edits it.
  bool URLEdit = false;

  // ----- painting (ExtGridPaint.cpp)
  bool Flat() const { return flat_; }
  void SetFlat(bool v);
  TBitmap* RowIndicator() const { return rowIndicator_.get(); }
  void SetRowIndicator(TBitmap* v);
  bool AutoThemeAdapt() const { return autoThemeAdapt_; }
  void SetAutoThemeAdapt(bool v);
  // 0 without visual styles; 1 "NormalColor", 2 "HomeStead", 3 "Metallic".
  int CurrentThemeScheme();
  void ApplyThemeColors(int Scheme);
  void AdaptToTheme() { ApplyThemeColors(CurrentThemeScheme()); }
  // The dotted line across the grid while a column (row) is sized: drawing one twice removes it.
  void DrawColSizingLine(int X);
  void DrawRowSizingLine(int Y);
  // The sizing lines drawn now, in the order they were drawn (column lines X, row lines Y).
  struct TSizingLine {
    bool Col = true;
    int Pos = 0;
    bool operator==(const TSizingLine&) const = default;
  };
  const std::vector<TSizingLine>& SizingLines() const { return sizingLines_; }
  // The inplace editor shows: the paint frames the current cell.
  bool EditorFrameShown() const;
  // Added to every cell's font size (wheel zoom, Zoom).
  int ZoomLevel() const { return zoom_.Level; }

  // ----- typed access, selection flags, save and load hooks (ExtGridTyped.cpp)
  int Ints(int ACol, int ARow);
  void SetInts(int ACol, int ARow, int Value);
  double Floats(int ACol, int ARow);
  double AllFloats(int ACol, int ARow);
  TDateTime Dates(int ACol, int ARow);
  void SetDates(int ACol, int ARow, TDateTime Value);
  bool RowSelect(int ARow);
  void SetRowSelect(int ARow, bool Value);
  bool ColSelect(int ACol);
  void SetColSelect(int ACol, bool Value);
  void ClearRowSelect();
  void ClearColSelect();
  void SelectRowsInSelection(bool All);
  void SelectColsInSelection(bool All);
  int RowSelectCount();
  void RepaintCol(int ACol);
  void RepaintRect(TRect R);
  int FixedColWidth() const { return ColWidths(0); }
  void SetFixedColWidth(int Value);
  int FixedRowHeight() const { return fixedRowHeight_; }
  void SetFixedRowHeight(int Value);
  // Also the floating footer's height (its panel resized when shown); at design time also
  // FixedRowHeight.
  void SetDefaultRowHeight(int Value);
  // Stores MaxEditLength; an open inplace editor takes it as its length limit at once (0: none).
  void SetMaxEditLength(int Value);
  // Display text (or stored text) with check texts and tags handled, then OnSaveCell.
  void SaveCellText(int ACol, int ARow, std::string& Value);
  // OnLoadCell, then stored as it is.
  void LoadCellText(int ACol, int ARow, std::string Value);
  bool SaveDisplayTexts = true, SaveKeepTags = true;
  // The cells of the disjunct cell selection (their display coordinates).
  const std::vector<TPoint>& SelectedCells() const { return select_.Cells; }
  void SetSelectedCells(std::vector<TPoint> Cells);

  // ----- counts and headers (ExtGridTyped.cpp)
  // With FixedRowAlways (FixedColAlways) a grid whose fixed count is 0 reads as 1.
  int FixedRows() const;
  int FixedCols() const;
  // Outside loading the count is also remembered, and a later RowCount (ColCount) above it restores it.
  void SetFixedRows(int Value);
  void SetFixedCols(int Value);
  void SetColCount(int Value);
  void SetWordWrap(bool Value);
  // Item i goes to cell (i, 0) (row headers: (0, i)) with "\n" as a line break; row 0
  // (column 0) is emptied first. Applied again whenever the list changes.
  void SetColumnHeaders(TStrings* Value);
  void SetRowHeaders(TStrings* Value);
  // Hides the rows that fail the filter (FilterMatch); off shows every hidden row again.
  bool FilterActive() const { return filterActive_; }
  void SetFilterActive(bool Value);
  std::function<void(TObject* Sender, int16_t Progress)> OnFilterProgress;

  // ----- rows (ExtGridRows.cpp)
  // Removes every flagged row (the normal selection first becomes flags unless in disjunct row mode).
  void RemoveSelectedRows();
  // One empty row at the end, before the fixed footer rows.
  void AppendRow();
  void ClearSelectedCells();

  // A merge that covers the edited cell ends the edit first (validated, editor closed).
  bool MergeCells(int ACol, int ARow, int NumCols, int NumRows) override;

  // ----- hidden rows and columns
  int RealColIndex(int ACol) const;
  int DisplColIndex(int ACol) const override;
  bool IsHiddenColumn(int ACol) const;
  int NumHiddenColumns() const { return numHiddenCols_; }
  int RealCol() const { return RealColIndex(Col()); }
  int RealRowIndex(int ARow) const;
  int DisplRowIndex(int ARow) const;
  bool IsHiddenRow(int ARow) const;
  int NumHiddenRows() const { return hiddenRows_->Count(); }
  void HideRows(int FromRow, int ToRow);
  void HideRow(int ARow) { HideRows(ARow, ARow); }
  void HideRowList(const std::vector<int>& AList);
  void UnHideRows(int FromRow, int ToRow);
  void UnHideRow(int ARow) { UnHideRows(ARow, ARow); }
  void UnHideRowsAll();
  // Removes displayed rows without touching the hidden-row store.
  void RemoveRowsKeepHidden(int ARow, int ACount);

  // ----- editing
  bool IsEditableCell(int ACol, int ARow);
  bool IsPasswordCellAt(int ACol, int ARow);
  void ShowCellEditor(int ACol, int ARow);
  void HideCellEditor();
  // Ends an in-cell editor control's edit (the typed editors of the editing path).
  void EndCellControlEdit();
  void HandleEditorKey(WORD Key, TShiftState Shift);
  void TabToNextCell(bool Backwards);
  // Moves on after Enter (Force: even without Navigation.AdvanceOnEnter); at most one pass, one insertion.
  void AdvanceCell(int ACol, int ARow, bool Backwards, bool ShowControl = false, bool Force = false);
  void ShowEditorAtCurrent();
  void EditingDone();
  TEditorType CurrentEditorType() const { return edit_.EditorType; }
  bool EditActive() const { return edit_.Active; }
  const std::string& EditStartText() const { return edit_.StartText; }
  // The inplace editor's text starts with "=" (told by the editor after each key, cleared when it
  // loses the focus).
  bool EditorShowsFormula() const { return editorFormula_; }
  int MaxEditLength = 0;
  TEditorType DefaultEditor = edNormal;
  char PasswordChar = '*';
  std::string CheckTrue = "Y", CheckFalse = "N";
  bool ExcelStyleDecimalSeparator = false;
  bool Lookup = false, LookupCaseSensitive = false, LookupHistory = false;
  bool Multilinecells = false;
  TComponentRef<TEditLink> EditLink{this};
  TComponentRef<TExtStringGridCheck> CellChecker{this};

  // ----- in-cell editor controls (ExtGridEditors.cpp), made on first use
  TCellEditorFactory* CellEditors();
  TGridCombo* ComboBox();
  TGridDatePicker* DateEditor();
  TSpinClickEvent OnSpinClick;
  TFloatSpinClickEvent OnFloatSpinClick;
  TDateTimeSpinClickEvent OnDateSpinClick, OnTimeSpinClick;
  TDateTimeChangeEvent OnDateTimeChange;
  // The grid's registered wheel message: a dropped-down combo editor gets the wheel's delta
  // as WParam and steps its item.
  static UINT ComboWheelMessage();
  // While the combo editor's list is dropped down the wheel is the list's: sent on, answers true.
  bool WheelToDroppedCombo(int Delta);

  // ----- editors of markup cell controls (ExtGridMarkupControls.cpp)
  // Opens the editor of one control (EDIT, PASSWORD, MASK or COMBO) over ControlRect.
  void StartControlEdit(const std::string& CellText, const std::string& CtrlType, int ACol, int ARow,
                        const TRect& ControlRect, const std::string& CtrlVal, const std::string& CtrlID);
  // Writes the open editor's value into its control's VALUE and closes it; nothing without one.
  void EndControlEdit();
  // F2: the cell's first control.
  void EditFirstControl(int ACol, int ARow);
  bool ControlEditOpen() const { return ctrlEdit_.Open; }
  TControlEdit* ControlEditor();
  TControlCombo* ControlComboBox();
  TControlComboListEvent OnControlComboList;
  TControlEditDoneEvent OnControlEditDone;

  // ----- leaving editors, the custom editor link (ExtGridEditLink.cpp)
  // An editor control left by Key: its value goes through validation, Tab, the arrows, Page Up,
  // Page Down and End move the current cell, Return advances.
  void LeaveCellEditor(WORD Key, TShiftState Shift);
  bool LeavingEditor() const { return leavingEditor_; }
  // Puts the open in-cell control over its cell again (hidden while the cell is out of view).
  void PlaceCellEditor();
  // The control showing for the current edit (null: none, or the inplace editor).
  TWinControl* ActiveCellEditor() const { return control_.Shown ? control_.Editor : nullptr; }
  // Tab or Return in an in-cell control: its value goes into the cell even when unchanged.
  void CommitCellControl(WORD Key, TShiftState Shift);
  // Escape in an in-cell control: the cell gets its text back and the control's value is dropped.
  void CancelCellControl();
  // Escape in a control that stays open: it takes the cell's stored text back, caret at the end.
  void TakeBackCellControl();

  // ----- keys, mouse and wheel (ExtGridKeys.cpp, ExtGridMouse.cpp)
  // The edited cell and its text before editing: the one record every edit path reads.
  void RememberEditCell(int ACol, int ARow);
  TPoint EditCell() const { return edit_.Cell; }
  int FirstScrollCol();
  int VisibleFixedRightCols() const;
  int LastWalkableRow() const { return RowCount() - 1 - fixedFooters_; }
  void EditFixedCell(int ACol, int ARow);
  TEdit* FixedCellEditor() const { return fixedEditor_; }
  void Zoom(int Step);
  bool Panning() const { return pan_.On; }
  TIntelliPan IntelliPan = ipVertical;
  TAutoAdvanceEvent OnAutoAdvance;
  TCanClickCellEvent OnCanClickCell;
  TCheckBoxClickEvent OnCheckBoxClick, OnCheckBoxMouseUp;
  TRadioClickEvent OnRadioClick, OnRadioMouseUp;
  TButtonClickEvent OnButtonClick;
  TAnchorClickEvent OnAnchorClick;
  TLineSizeEvent OnColumnSize, OnRowSize;
  TEndColumnSizeEvent OnEndColumnSize;
  TClickCellEvent OnComboCloseUp;
  TSelectionResizeEvent OnSelectionResize, OnSelectionResized;
  TCanSortEvent OnCanSort;
  TAutoColEvent OnClickSort;

  // ----- what the key and mouse tables call in other concerns (clipboard, find, markup controls,
  // radio and check boxes, nodes, sort, edit link: each in its own file)
  virtual void CutToClipboard();
  virtual void CopyToClipboard();
  virtual void PasteFromClipboard();
  virtual void IncrementalGoto(char Key);
  // Opens the editor of a markup control: the one with CtrlID, or the cell's first one.
  virtual void OpenCellMarkupControl(int ACol, int ARow, const std::string& CtrlID = "");
  // The next item of a radio group (after the last the first); with CheckEdit (and
  // ControlLook.RadioAlwaysActive off) only where CanEditCell allows.
  virtual void ToggleRadio(int ACol, int ARow, bool CheckEdit = true);
  virtual bool GetCheckBoxState(int ACol, int ARow);
  virtual int GetRadioIndex(int ACol, int ARow);
  virtual void ExpandNode(int ARow);
  virtual void ContractNode(int ARow);
  virtual bool HeaderClickSort(int ACol, TShiftState Shift);
  virtual void FinishEditLink();

  // ----- cell graphics: radio groups, check boxes, buttons, markup control clicks (ExtGridRadio.cpp)
  // One graphic per cell; creating frees the one there.
  TCellGraphic* CreateCellGraphic(int ACol, int ARow);
  // False when the cell had none; the shared row check box is never freed.
  bool RemoveCellGraphic(int ACol, int ARow);
  bool RemoveCellGraphicOfType(int ACol, int ARow, TCellType AType);
  // The graphic's size with the grid's font (0, 0 without one).
  TSize GetCellGraphicSize(int ACol, int ARow);
  // The size for output at 1 / Factor of the screen's scale: pictures shrink by Factor, a progress
  // bar takes the whole cell, a data image the image list's size; no full-cell alignment.
  TSize GetCellGraphicSizeScaled(int ACol, int ARow, double Factor);
  // SideBySide: the items in one line; Index -1: the cell's text names the chosen item.
  void AddRadio(int ACol, int ARow, bool SideBySide, int Index, const std::vector<std::string>& Items);
  void RemoveRadio(int ACol, int ARow) { RemoveCellGraphicOfType(ACol, ARow, ctRadio); }
  void SetRadioIndex(int ACol, int ARow, int Index);
  // Data: the state is the cell's text (the check texts), else the box's own.
  void AddCheckBox(int ACol, int ARow, bool State, bool Data);
  void RemoveCheckBox(int ACol, int ARow);
  // False when the cell has no check box (nothing changes then).
  bool SetCheckBoxState(int ACol, int ARow, bool State);
  // The state in State; false when the cell has no check box.
  bool GetCheckBoxState(int ACol, int ARow, bool& State);
  // A push button of W x H with its caption, placed in the cell by its alignments.
  void AddButton(int ACol, int ARow, int W, int H, const std::string& Caption, TCellHAlign HAlign = haCenter,
                 TCellVAlign VAlign = vaCenter);
  void RemoveButton(int ACol, int ARow);
  bool HasCheckBox(int ACol, int ARow);
  // The queries below take the real column; those that take a point the displayed one.
  // A check box, radio group or button (of either kind) the mouse and keys act on.
  bool IsClickableCell(int ACol, int ARow);
  // The kind of a cell's graphic (its merged area's base): a check box of any kind, a button of
  // either kind, a radio group (with its chosen index, as GetRadioIndex gives it).
  bool IsCheckCell(int ACol, int ARow) { return HasCheckBox(ACol, ARow); }
  bool IsButtonCell(int ACol, int ARow) { return HasButton(ACol, ARow); }
  bool IsRadioCell(int ACol, int ARow) { return HasRadio(ACol, ARow); }
  bool IsRadioCell(int ACol, int ARow, int& Index);
  // The item texts of a radio group cell (its merged area's base), nullptr for any other cell.
  const std::vector<std::string>* GetRadioItems(int ACol, int ARow);
  // The cell's error mark (from, length); 0 and 0 without a graphic.
  void GetCellErrorRange(int ACol, int ARow, int& ErrFrom, int& ErrLen);
  // The graphic's boolean (check state, node folded, images side by side); the cell repaints.
  void SetCellGraphicState(int ACol, int ARow, bool Value);
  // Where the cell's graphic is drawn (client coordinates): the check glyph, the button, the
  // radio items together, a picture or image as placed; false without a graphic.
  bool GetCellGraphicRect(int ACol, int ARow, TRect& R);
  // Every check box of the column, rows FixedRows to the last, checked (unchecked).
  void CheckAll(int ACol);
  void UnCheckAll(int ACol);
  // A point on a check box cell (displayed column, client coordinates): anywhere in the cell,
  // with MouseActions.PreciseCheckBoxCheck only on the box itself.
  bool IsCheckBoxHit(int ACol, int ARow, int X, int Y);
  // What a graphic cell sorts by: the picture of a bitmap or icon (its address), the image
  // index of an image-list cell, -1 for any other cell.
  intptr_t GetCellGraphicKey(int ACol, int ARow);
  bool HasRadio(int ACol, int ARow) { return GetCellType(BaseCell(ACol, ARow).X, BaseCell(ACol, ARow).Y) == ctRadio; }
  bool HasButton(int ACol, int ARow);
  // Chooses the radio item under a point given relative to the current cell's top-left corner;
  // a point on no item changes nothing.
  void RadioClick(int X, int Y);
  // Where painting puts a cell's radio items, check glyph and button (client coordinates,
  // display column): the hit tests read the same.
  std::vector<TRect> RadioItemRectsAt(int ACol, int ARow);
  TRect CheckGlyphRectAt(int ACol, int ARow);
  TRect ButtonRectAt(int ACol, int ARow);
  // The cell button (or markup "BUTTON" control's cell) held down; (-1, -1) when none.
  TPoint PressedButton() const { return press_.Button; }
  // The fixed cell drawn as a pressed button (FixedAsButtons); (-1, -1) when none.
  TPoint PressedFixedCell() const { return press_.FixedPressed; }
  // The looks glSoft, glQuarn, glXP and glListView with a single border and Flat off draw a
  // one-pixel frame over the border: grey (the theme's blue-grey with visual styles) inside, the
  // parent's colour outside.
  bool FlatFrameShown() const;
  TPoint PressedMarkupButton() const { return markupPress_.Cell; }
  std::function<void(TObject* Sender, int ARow, int ACol, const std::string& CtrlID, const std::string& CtrlType,
                     const std::string& CtrlVal)>
      OnControlClick;

  // ----- looks
  TGridLook Look() const { return look_; }
  void SetLook(TGridLook v);
  bool ActiveCellShow() const { return activeCellShow_; }
  void SetActiveCellShow(bool v);
  TColor ActiveCellColor() const { return activeCellColor_; }
  void SetActiveCellColor(TColor v);
  TColor ActiveCellColorTo() const { return activeCellColorTo_; }
  void SetActiveCellColorTo(TColor v);
  TFont* ActiveCellFont() const { return activeCellFont_.get(); }
  void SetActiveCellFont(TFont* v);
  TFont* FixedFont() const { return fixedFont_.get(); }
  void SetFixedFont(TFont* v);
  // The selection's look: each write repaints when the value changed.
  TColor SelectionColor() const { return selLook_.Color; }
  void SetSelectionColor(TColor v);
  TColor SelectionColorTo() const { return selLook_.ColorTo; }
  void SetSelectionColorTo(TColor v);
  TColor SelectionTextColor() const { return selLook_.TextColor; }
  void SetSelectionTextColor(TColor v);
  bool ShowSelection() const { return selLook_.Show; }
  void SetShowSelection(bool v);
  bool SelectionRectangle() const { return selLook_.Rectangle; }
  void SetSelectionRectangle(bool v);
  bool SelectionResizer() const { return selLook_.Resizer; }
  void SetSelectionResizer(bool v);
  bool HideFocusRect = false, FixedAsButtons = false, EnableHTML = true;
  // The inplace editor edits a markup cell's tags too; without it, only the text they mark.
  bool EditWithTags = false;
  bool URLShow() const { return urlShow_; }
  void SetURLShow(bool v);
  // Both repaint while addresses are shown.
  TColor URLColor() const { return urlColor_; }
  void SetURLColor(TColor v);
  bool URLFull() const { return urlFull_; }
  void SetURLFull(bool v);
  // Repaints unless an update is open.
  TVAlignment VAlignment() const { return vAlignment_; }
  void SetVAlignment(TVAlignment v);
  bool AutoNumAlign = false, EnhRowColMove = true, EnableWheel = true, IntelliZoom = true, Hovering = false;
  TColor HintColor = clInfoBk;
  // The flat types have no flat bars here: they look as ssNormal, with ScrollColor (clNone: the
  // system's) and ScrollWidth taken by the bars; ssNormal gives the system's bars.
  TScrollType ScrollType() const { return scrollType_; }
  void SetScrollType(TScrollType v);
  TColor ScrollColor() const { return scrollColor_; }
  void SetScrollColor(TColor v);
  int ScrollWidth() const { return scrollWidth_; }
  void SetScrollWidth(int v);
  TScrollBarAlways ScrollBarAlways() const { return scrollBarAlways_; }
  void SetScrollBarAlways(TScrollBarAlways v);
  bool SizeWithForm = false;
  // The save and copy range's switch under its other name: the same setting as IncludeFixedCells.
  bool SaveFixedCells() const { return IncludeFixedCells; }
  void SetSaveFixedCells(bool v) { IncludeFixedCells = v; }
  TColor FixedGradientStart = TColorOf(0xFFFFFF), FixedGradientEnd = clNone;  // set at creation

  // ----- option objects
  TSearchFooter* SearchFooter() const { return searchFooter_.get(); }
  TFloatingFooter* FloatingFooter() const { return floatingFooter_.get(); }
  TPrintSettings* PrintSettings() const { return printSettings_.get(); }
  THTMLSettings* HTMLSettings() const { return htmlSettings_.get(); }
  TSortSettings* SortSettings() const { return sortSettings_.get(); }
  TDragDropSettings* DragDropSettings() const { return dragDropSettings_.get(); }
  TDragScrollOptions* DragScrollOptions() const { return dragScrollOptions_.get(); }
  void SetDragScrollOptions(TDragScrollOptions* v) { dragScrollOptions_->Assign(v); }
  TControlLook* ControlLook() const { return controlLook_.get(); }
  TNavigation* Navigation() const { return navigation_.get(); }
  TColumnSize* ColumnSize() const { return columnSize_.get(); }
  TCellNode* CellNode() const { return cellNode_.get(); }
  TBands* Bands() const { return bands_.get(); }
  TSizeWhileTyping* SizeWhileTyping() const { return sizeWhileTyping_.get(); }
  TMouseActions* MouseActions() const { return mouseActions_.get(); }
  TGrouping* Grouping() const { return grouping_.get(); }
  TFilter* Filter() const { return filter_.get(); }
  TBackGround* BackGround() const { return backGround_.get(); }
  void SetBackGround(TBackGround* v);
  TBalloonSettings* Balloon() const { return balloon_.get(); }
  void SetBalloon(TBalloonSettings* v) { balloon_->Assign(v); }
  TShowModified* ShowModified() const { return showModified_.get(); }
  void SetShowModified(TShowModified* v) { showModified_->Assign(v); }
  TStringList* ColumnHeaders() const { return columnHeaders_.get(); }
  TStringList* RowHeaders() const { return rowHeaders_.get(); }
  TStringList* LookupItems() const { return lookupItems_.get(); }
  void SetLookupItems(TStrings* v);  // nil is ignored
  TControlList* ControlList() const { return controlList_.get(); }

  // ----- events
  TRowUpdateEvent OnRowUpdate;
  TCellValidateEvent OnCellValidate;
  TCellValidateWideEvent OnCellValidateWide;
  TRowChangingEvent OnRowChanging;
  TColChangingEvent OnColChanging;
  TCellChangingEvent OnCellChanging;
  TGridHintEvent OnGridHint;
  TGridColorEvent OnGetCellColor, OnGetCellPrintColor;
  TGridBorderEvent OnGetCellBorder, OnGetCellPrintBorder;
  TGridAlignEvent OnGetAlignment;
  TGridFormatEvent OnGetFormat;
  TGetEditorTypeEvent OnGetEditorType;
  TIsFixedCellEvent OnIsFixedCell;
  TCanEditCellEvent OnCanEditCell;
  TIsPasswordCellEvent OnIsPasswordCell;
  TGetWordWrapEvent OnGetWordWrap;
  THasComboEvent OnHasComboBox;
  TGetCheckEvent OnGetCheckTrue, OnGetCheckFalse;
  TCellValueEvent OnSaveCell, OnLoadCell;
  TCellsChangedEvent OnCellsChanged;
  TGetFloatFormatEvent OnGetFloatFormat;
  TSelectionChangedEvent OnSelectionChanged;
  TAutoRowEvent OnAutoInsertRow, OnAutoDeleteRow, OnAutoAddRow;
  TAutoColEvent OnAutoInsertCol;
  TUpdateColumnSizeEvent OnUpdateColumnSize;
  TEllipsClickEvent OnEllipsClick;
  TCanAddRowEvent OnCanAddRow;
  TCanInsertRowEvent OnCanInsertRow;
  TCanDeleteRowEvent OnCanDeleteRow;
  TEditChangeEvent OnEditChange;
  TClickCellEvent OnDblClickCell, OnClickCell, OnRightClickCell;
  TClipboardEvent OnClipboardCopy, OnClipboardCut, OnClipboardPaste;
  TClipboardCellEvent OnClipboardBeforePasteCell;
  // A pasted field in the wide-text form ("|\\" and two bytes a character), decoded.
  TClipboardWideCellEvent OnClipboardBeforePasteWideCell;
  TEndRowSizeEvent OnEndRowSize;
  TComboChangeEvent OnComboChange;
  TComboObjectChangeEvent OnComboObjectChange;
  TGetEditorPropEvent OnGetEditorProp;
  TNotifyEvent OnEditingDone;
  TCustomCellDrawEvent OnCustomCellDraw;
  TGridBorderPropEvent OnGetCellBorderProp;

  // ----- overrides of the class library's and the base grid's operations
  void Assign(TPersistent* Source) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Invalidate() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  bool IsFixed(int ACol, int ARow) override;
  int GetNodeIndent(int ARow) override;
  bool HasNodes() override;
  void DrawCellText(TCanvas* ACanvas, int ACol, int ARow, TRect ARect, TGridDrawState AState) override;
  void UpdateFooter() override;
  void GetCellColors(int ACol, int ARow, TGridDrawState& AState, bool APrinting, bool AMapHidden, bool ASelection,
                     TBrush* ABrush, TColor& AColorTo, TFont* AFont, TAlignment& HAlign, TVAlignment& VAlign,
                     bool& AWordWrap) override;

  // ----- new virtual operations, in slot order
  // 1
  virtual void CalcFooter(int ACol);
  // 2
  virtual void SetEditCellText(int ACol, int ARow, const std::string& Value);
  // 3
  virtual void Reserved1() {}
  // 4
  virtual std::string CellTextOrCheck(int ACol, int ARow);
  // 5
  virtual std::string GetCurrentCellText();
  virtual void SetCurrentCellText(const std::string& Value);
  virtual void SetCurrentEditText(const std::string& Value);
  // 6
  virtual void RestoreCellAfterCancel();
  // 7: flips a check box; with CheckEdit (and ControlLook.CheckAlwaysActive off) only where
  // CanEditCell allows. True when it flipped.
  virtual bool ToggleCheck(int ACol, int ARow, bool CheckEdit);
  // 8
  virtual std::string GetDisplayText(int ACol, int ARow);
  // 9
  virtual TCellType GetCellType(int ACol, int ARow);
  virtual TCellGraphic* GetCellGraphic(int ACol, int ARow);
  virtual int GetCellGraphicWidth(int ACol, int ARow);
  virtual int GetCellGraphicHeight(int ACol, int ARow);
  // 10
  virtual void DoSelectionChanged(int ALeft, int ATop, int ARight, int ABottom);
  virtual int Reserved2() { return 0; }
  virtual void DoAutoInsertRow(int ARow);
  virtual void DoAutoDeleteRow(int ARow);
  // 11
  virtual void UpdateColumnSize(int ACol, int& AWidth);
  virtual void UpdateColumnSizeEx(int ACol, int& AWidth);
  virtual void Reserved3() {}
  // 12
  virtual void EllipsClick(std::string& Text);
  virtual bool FilterMatch(int ARow);
  virtual void SaveCell(int ACol, int ARow, std::string& Value);
  virtual void LoadCell(int ACol, int ARow, std::string& Value);
  virtual void CellsChanged(TRect R);
  virtual void CellsLoaded();
  virtual void CellsSaved();
  virtual void RowsChanged(int ARow, int ACount);
  virtual void ColsChanged(int ACol, int ACount);
  virtual void CellChangedByUser(int ACol, int ARow);
  // 13: per-cell attribute hooks
  virtual void GetCellHint(int ACol, int ARow, std::string& HintStr);
  virtual void GetCellColor(int ACol, int ARow, TGridDrawState AState, TBrush* ABrush, TFont* AFont);
  virtual void GetCellPrintColor(int ACol, int ARow, TGridDrawState AState, TBrush* ABrush, TFont* AFont);
  virtual void GetCellBorder(int ACol, int ARow, TPen* APen, TCellBorders& Borders);
  virtual void GetCellPrintBorder(int ACol, int ARow, TPen* APen, TCellBorders& Borders);
  virtual void GetCellAlignment(int ACol, int ARow, TAlignment& HAlign, TVAlignment& VAlign);
  virtual void GetCellFormat(int ACol, TSortStyle& AStyle, std::string& APrefix, std::string& ASuffix);
  virtual void GetCellEditor(int ACol, int ARow, TEditorType& AEditor);
  virtual void IsFixedCell(int ACol, int ARow, bool& IsFixed);
  virtual void CanEditCell(int ACol, int ARow, bool& CanEdit);
  virtual void IsPasswordCell(int ACol, int ARow, bool& IsPassword);
  virtual void GetWordWrap(int ACol, int ARow, bool& WordWrap);
  virtual bool HasComboBox(int ACol, int ARow);
  virtual void GetCheckTrue(int ACol, int ARow, std::string& Value);
  virtual void GetCheckFalse(int ACol, int ARow, std::string& Value);
  virtual int Reserved4() { return 0; }
  // 14
  virtual void RemoveMergedRows(int ARow, int ACount);
  virtual void CanAddRow(bool& CanAdd);
  virtual void CanInsertRow(int ARow, bool& CanInsert);
  virtual void AddRow();
  virtual void ClearRows(int ARow, int ACount);
  virtual void ClearCols(int ACol, int ACount);
  virtual void ClearNormalCells();
  virtual void ClearAll();
  virtual void ClearRect(int ACol1, int ARow1, int ACol2, int ARow2);
  virtual int GetVersionNr();
  virtual std::string GetVersionString();
  // Whether the column's cell in row 0 shows a filter button (this grid: never; descendants may).
  virtual bool ShowsFilterButton(int ACol);
  // The four bytes of GetVersionNr, high to low, in decimal joined by "."; not written.
  std::string Version();
  // 15
  virtual bool ValidateCell(const std::string& Value);
  virtual bool ValidateWideCell(const std::u16string& Value);
  // 16
  virtual void RemoveRowsEx(int ARow, int ACount);
  // Removal by moving the texts (and property objects) of the rows below up: the row heights
  // stay where they are; the current row stays, or goes to FixedRows when it is gone.
  virtual void RemoveRowsDirect(int ARow, int ACount);
  virtual void RemoveRows(int ARow, int ACount);
  // The removal behind RemoveRows and RemoveRowsEx: rows keep their heights; with AdjustHidden off
  // the hidden-row records keep their indexes (for a caller that books them itself).
  void DeleteRowsCore(int ARow, int ACount, bool AdjustHidden);
  // An ARow outside 0 .. RowCount raises EInvalidGridOperation "Grid index out of range".
  virtual void InsertRows(int ARow, int ACount);
  virtual void RemoveCols(int ACol, int ACount);
  virtual void InsertCols(int ACol, int ACount);
  // 17
  virtual void SubGroup(int ACol);
  virtual void UnSubGroup(int ACol);
  virtual void Group(int ACol);
  virtual void UnGroup();
  // 18: sorting (ExtGridSort.cpp); every sort moves rows only through SwapRows
  virtual void SwapRows(int ARow1, int ARow2);
  virtual void SortByColumn();
  virtual void SortByIndexes();
  virtual void SortGroups();
  virtual void SortGroupsIndexed();
  virtual void RestoreUnsortedOrder();
  // Vertical merges of a sorted column: split before rows move, made again from equal neighbours
  // (with TextOnly off also needing the rows to share their merges in the other columns).
  void SplitColumnCells(int ACol);
  void MergeColumnCells(int ACol, bool TextOnly);
  virtual void RecalcFooter(int ACol) { CalcFooter(ACol); }

  // The owner form's resize: sizes the grid with the form when SizeWithForm.
  void FormResize(TObject* Sender);
  // What the owner form's resize handler holds (its own handler and the grids that follow it).
  struct TResizeHub;

 protected:
  TInplaceEdit* CreateEditor() override;
  bool CanEditShow() override;
  // Background pictures and gradients, and the selection frame, are drawn over the whole area.
  bool CanScrollPaint() const override;
  // The footer panels cover the client's bottom.
  int BottomInset() const override { return FooterPanelsHeight(); }
  bool SelectCell(int ACol, int ARow) override;
  void Paint() override;
  void DrawSizingLine(bool Show) override;
  void Resize() override;
  // Resize steps: the stretch column fills the client width (answer: it did),
  // and the columns follow the grid's width.
  bool StretchToClient();
  void SynchColumnsWithWidth();
  void CreateWnd() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyUp(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void WMChar(TMessage& Message) override;
  void CMDialogChar(TMessage& Message) override;
  void DoEnter() override;
  void DoExit() override;
  void WMMouseButton(TMessage& Message) override;
  void WMMouseWheel(TMessage& Message) override;
  void WMTimer(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  void TopLeftChanged() override;
  void Click() override;
  std::string GetEditText(int ACol, int ARow) override;
  void SetEditText(int ACol, int ARow, const std::string& Value) override;
  // What the editor shows for a cell's raw text (markup tags left out without EditWithTags, rich
  // text as its plain text).
  std::string EditTextOf(const std::string& Raw);
  // True when Value is a cell's text as the editor shows it: storing it would only drop tags.
  bool ShownWithoutTags(const std::string& Raw, const std::string& Value) { return Value != Raw && Value == EditTextOf(Raw); }
  int GetEditLimit() override { return MaxEditLength; }
  void UpdateScrollBars(bool Forced);
  // Row and column moves made by the grid's own structural operations report no user move.
  void RowMoved(int FromIndex, int ToIndex) override;
  void ColumnMoved(int FromIndex, int ToIndex) override;
  // The shown flag of a data column and the hidden-column count: no window hides a column, but a
  // descendant may, and the mapping and the in-cell controls follow it.
  void SetColumnHidden(int ACol, bool Hidden);

 private:
  friend class TExtInplaceEdit;
  friend class TGridOptionObject;
  // cell graphics (ExtGridRadio.cpp)
  TCellGraphic* RowCheckGraphic(int ARow);
  int RadioButtonSize() const;
  TRect CellContentRect(int ACol, int ARow);
  void PrepareCellFont(TCanvas* ACanvas, int ACol, int ARow, TAlignment& HAlign, TVAlignment& VAlign);
  std::vector<TRect> RadioLayout(TCanvas* ACanvas, const TCellGraphic* G, const TRect& Content);
  TRect CheckLayout(TCanvas* ACanvas, int RealCol, int ARow, const TRect& Content, TAlignment HAlign,
                    TVAlignment VAlign);
  bool GraphicShowsText(int RealCol, int ARow);
  // The text's rectangle beside the cell's graphic: past a check box before left-aligned text, less
  // the graphic's width before (after) the text and its height above (under) it; in column 0 of a
  // tree past the row's indent.
  void TextBesideGraphic(int RealCol, int ARow, TAlignment HAlign, TRect& R);
  // The width + 2 of the text a graphic stands before or after (0 for other placements).
  int TextWidthBeside(int RealCol, int ARow, const TCellGraphic* G);
  // A funnel in the 16 pixels at the cell's right.
  void DrawFilterButton(TCanvas* ACanvas, const TRect& Cell);
  void DrawCellGraphic(TCanvas* ACanvas, int ACol, int ARow, const TRect& R, TGridDrawState AState,
                       TAlignment HAlign, TVAlignment VAlign);
  bool CellGraphicEnabled(int RealCol, int ARow);
  bool PointOnCheckGlyph(int ACol, int ARow, int X, int Y);
  bool PointOnButton(int ACol, int ARow, int X, int Y);
  // A press on a markup cell's control or anchor; true when the press ends there.
  bool MarkupClick(int ACol, int ARow, int X, int Y);
  // A pressed markup "BUTTON" comes up (button up, focus loss).
  void ReleaseMarkupButton();
  TRect MarkupTextRect(int RealCol, int ARow, TRect R, TAlignment HAlign);
  // Places a multi-line block by VAlign and draws it; with Measure, the drawn width + 2 and height.
  TSize DrawTextPlaced(TCanvas* ACanvas, const std::string& S, TRect& R, unsigned Flags, TVAlignment VAlign,
                       bool Measure);
  void AnchorClick(int ACol, int ARow, const std::string& Anchor);
  std::vector<int> RadioTextWidths(TCanvas* ACanvas, const TCellGraphic* G);
  void CheckAllInColumn(int ACol, int ARow);
  void SetColumnChecks(int RealCol, bool State, int ExceptRow);
  std::unique_ptr<TCellGraphic> rowCheck_;
  // A press on a markup control (ExtGridRadio.cpp): the pressed "BUTTON"'s cell and point, and the
  // pressed control's rectangle for the editor it opens (taken once).
  struct TMarkupPressState {
    TPoint Cell{-1, -1}, Point{-1, -1};
    TRect ControlRect;
  } markupPress_;
  TRect TakePressedControlRect();
  void HookOwnerForm();
  void UnhookOwnerForm();
  bool HasClickableControl(int ACol, int ARow);
  void ReportRow(int NewRow);
  void SetEditingOption(bool On);
  void InsertRowsRaw(int ARow, int ACount);
  void RemoveRowsRaw(int ARow, int ACount);
  // Ends an open inplace edit before rows or columns move or the counts change.
  void CloseEditForLines();
  // The text of the edit going on: the editor's while it shows over the edited cell, else the cell's.
  std::string EditedText();
  TInplaceEdit* EditorOver(TPoint Base);
  // The ways out of an edited cell; every one passes ValidateOnWayOut, the one place that decides
  // whether the edit is validated, and always with the edited cell's own text.
  enum class TEditWayOut {
    ToOtherCell,  // the current cell moves off the edited cell
    OnTheCell,    // the edited cell is made current again
    Wheel,        // a wheel notch that moves the current cell
    ViewMove,     // a search or a cell brought into view moves the current cell
    EditorKey,    // Tab, Return, Up or Down in the editor
    FocusLeaves,  // the editor loses the focus
    LinesMove,    // rows or columns move under the edit
  };
  bool ValidateOnWayOut(TEditWayOut Way);
  // An arrow at the edited text's end (start) with CursorWalkEditor: onto a clickable control next
  // door once the text is validated, else the advance across the row; false when the text is refused.
  bool WalkOutOfEditor(bool Backwards);
  // The press point an editor opened by the press puts its caret at (once; false when none).
  bool TakeCaretPress(TPoint& At);
  void FollowEditCell();
  void ColorRow(int ARow, TColor Value, int Which);
  // Fills a new record with the displayed row's height, row record and cells.
  void MakeHiddenRecord(TGridItem& AItem, int ADisplRow, int AIdx);
  void TakeHiddenRecord(TGridItem& AItem, int ADisplRow);
  // Hiding and showing by data index (ascending), one pass over the rows whatever their number.
  // Without MergesToSplit the caller has found no vertical merge crossing any row's top edge.
  void HideRealRows(const std::vector<int>& Rows, bool MergesToSplit = true);
  void ShowRealRows(const std::vector<int>& Rows);
  // Displayed rows removed (indexes before the removal) or inserted blank (indexes after it) at once.
  void RemoveRowSetRaw(const std::vector<int>& Rows);
  void SplitMergesAround(const std::vector<int>& Rows);
  // Whether a vertical merge crosses the top edge of the row: a covered cell of it whose base lies above.
  bool MergeCrossesEdge(int Edge) const;
  void InsertRowSetRaw(const std::vector<int>& Rows);
  double ColumnAggregate(int ACol, int FromRow, int ToRow, int Kind);
  // painting and cell text
  void DrawCellContent(TCanvas* ACanvas, int ACol, int ARow, TRect ARect, TGridDrawState AState);
  TSize DrawTextStep(TCanvas* ACanvas, int ACol, int ARow, int RealCol, TRect ARect, TGridDrawState AState,
                     TAlignment HAlign, TVAlignment VAlign, bool WordWrap, TColor SavedBrush, TColor SavedFont);
  void DrawCellBackground(TCanvas* ACanvas, int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
  void DrawFixedLook(TCanvas* ACanvas, int ACol, int ARow, TRect R);
  void DrawSortIndicator(TCanvas* ACanvas, int ACol, int Y, int X);
  void DrawFlatFrame(TCanvas* ACanvas);
  // WM_NCPAINT (WParam: a canvas over the whole window, the border drawn).
  void WMNCPaint(TMessage& Message);
  bool SortMarkShown(int RealCol) const;
  void DrawFixedGradient(TCanvas* ACanvas, TColor From, TColor To, const TRect& R);
  struct TGradientTile {
    int W, H;
    TColor From, To;
    std::shared_ptr<TBitmap> Bitmap;
  };
  std::vector<TGradientTile> gradientTiles_;
  // Where the background tiles of line Index start: the extents of the lines from First to it.
  long long TileOffset(bool Horz, int First, int Index);
  // The rows above the view, summed once per paint.
  struct TTileRows {
    bool On = false;
    int First = 0, Top = -1;
    long long Sum = 0;
  } tileRows_;
  // The sizing lines: kept and drawn last by every paint, since nothing drawn outside a paint stays
  // on the window. The line the mouse sizing shows now is one of them.
  std::vector<TSizingLine> sizingLines_;
  std::optional<TSizingLine> sizingShown_;
  void ToggleSizingLine(TSizingLine L);
  void PaintSizingLines(TCanvas* ACanvas);
  TRect SizingLineRect(TSizingLine L) const;
  void ApplyHeaders(bool Columns);
  bool filterActive_ = false;
  int filterFixedRows_ = 0;
  void DrawCellBorders(TCanvas* ACanvas, int ACol, int ARow, TRect R);
  void DrawOuterBackground();
  bool CellDrawnSelected(int ACol, int ARow, TGridDrawState AState);
  void ShiftCellControls(int FromRow, int Delta);
  void PlaceCellControls();
  // The text of a hidden row (counted among all rows) from its record; false when the row is shown.
  bool HiddenRowText(int ACol, int AllRow, std::string& Text) const;
  TRowAttributes* RowFlags(int ARow);
  bool flat_ = false, autoThemeAdapt_ = false, autoSize_ = false, nullDates_ = false;
  int fixedRowHeight_ = 21;
  struct TSelectionLook {
    TColor Color = TColorOf(0xEACAB6), ColorTo = clNone, TextColor = clBlack;
    bool Show = true, Rectangle = false, Resizer = false;
  } selLook_;
  TVAlignment vAlignment_ = vtaTop;
  std::vector<uint8_t> colSelect_;
  std::shared_ptr<THTMLPictureCache> pictureCache_;
  void StoreValidated(int ACol, int ARow, const std::string& Value);
  bool CheckEditedValue(int ACol, int ARow, const std::string& Value, std::string& Checked);
  bool CheckEditedWideValue(int ACol, int ARow, const std::string& Value, std::string& Checked);
  static bool IsWideEditor(TEditorType Kind);
  // ValidateCell and ValidateWideCell: the one way an edited text is taken or refused.
  bool ValidateEdited(const std::string& Value, bool Wide);
  // An in-cell control's value through validation; false: refused, the control stays on the cell.
  bool CommitControlValue(TWinControl* AControl, TPoint ACell, const std::string& Value);
  std::shared_ptr<TCellEditorFactory> editors_;
  std::shared_ptr<TRichTextCache> richCache_;
  void DrawRichText(const std::string& Rtf, int ACol, int ARow, const TRect& Rect, TCanvas* Canvas);
  // The markup control being edited (ExtGridMarkupControls.cpp): its editors, its cell, ID and
  // TYPE, where it lies (client pixels), whether one is open.
  struct TControlEditState {
    TControlEdit* Edit = nullptr;
    TControlCombo* Combo = nullptr;
    TPoint Cell{-1, -1};
    std::string ID, Type;
    TRect Rect;
    bool Open = false;
  } ctrlEdit_;
  bool leavingEditor_ = false;
  bool ShowEditLink(int ACol, int ARow, const TRect& R);
  bool FindControlRect(int ACol, int ARow, const std::string& CtrlID, TRect& Rect);
  // The in-cell control of the edit (ExtGridEditors.cpp): shown, its cell, the text it showed at
  // first, its control, and whether its value was refused, is being taken or dropped.
  struct TCellControlState {
    bool Shown = false, Refused = false, Cancel = false, Commit = false;
    TPoint Cell{-1, -1};
    std::string StartText;
    TWinControl* Editor = nullptr;
  } control_;
  void SetActiveCellEditor(TWinControl* AControl);
  // keys and mouse
  // The key-down table's steps (ExtGridKeys.cpp): true when the key ends there.
  struct TKeyPress;
  bool KeyF2(TKeyPress& k);
  bool KeyEnterSpace(TKeyPress& k);
  bool KeyHomeEnd(TKeyPress& k);
  bool KeyNodeOrTab(TKeyPress& k);
  bool KeyArrowSkip(TKeyPress& k);
  bool KeyClipboard(TKeyPress& k);
  bool KeyInsertRow(TKeyPress& k);
  bool KeySelectAll(TKeyPress& k);
  bool KeyDisjunctRows(TKeyPress& k);
  bool KeyDeleteRow(TKeyPress& k);
  bool SwallowKey(TKeyPress& k);
  bool SwallowKeyNoted(TKeyPress& k);
  void KeepHorizScroll(const TKeyPress& k);
  bool CurrentCellEditable();
  // The auto advance walk's steps (ExtGridKeys.cpp).
  struct TAdvanceWalk;
  enum TAdvanceStep { asMoved, asStopHere, asGiveUp };
  TAdvanceStep AdvanceAcross(TAdvanceWalk& w);
  TAdvanceStep AdvanceDown(TAdvanceWalk& w);
  TAdvanceStep AdvanceBack(TAdvanceWalk& w, bool ByRows);
  void ArriveAfterAdvance(int ACol, int ARow, int nc, int nr, bool ShowControl);
  void FireKeyDown(WORD& Key);
  bool SkipFixed(WORD Key);
  bool DownAppend();
  void NoteSelection(const TGridRect& Before);
  bool TabStopAt(int ACol, int ARow);
  bool CellClickable(int ACol, int ARow, TCellType& AType);
  void ControlKey(WORD Key);
  void LeftButtonDown(TMessage& Message);
  // The left press's zones (ExtGridMouse.cpp): true when the press ends there.
  struct TCellPress;
  bool PressLeavesEditors(TCellPress& p);
  bool PressOnFixedButton(TCellPress& p);
  void ReleaseFixedButton();
  bool PressOnNodeSign(TCellPress& p);
  bool PressOnRadio(TCellPress& p);
  bool PressOnHiddenRowsColumn0(TCellPress& p);
  bool PressStartsDrag(TCellPress& p);
  bool PressOnButton(TCellPress& p);
  bool PressMarks(TCellPress& p);
  bool PressOnLink(TCellPress& p);
  bool PressSelects(TCellPress& p);
  bool PressOnCheckBox(TCellPress& p);
  bool PressOnFixedByRule(TCellPress& p);
  bool PressOnCell(TCellPress& p);
  void LeftButtonUp(TMessage& Message);
  void LeftDoubleClick(TMessage& Message);
  void RightButtonDown(TMessage& Message);
  void WheelStep(int Delta, TShiftState Shift);
  // Wheel zoom (ExtGridMouse.cpp).
  struct TZoomState {
    int Level = 0;
  } zoom_;
  bool BaseWheel(bool Down, TShiftState Shift, TPoint MousePos);
  void StopPanning();
  // Keys (ExtGridKeys.cpp): an auto advance going on, the character that starts an edit.
  struct TKeyState {
    int Advancing = 0;
    char32_t StartChar = 0;
    // While a typed character is on its way, an in-cell control opening takes it only after
    // OnKeyPress had its say (Held marks that one opened).
    bool Holding = false, Held = false;
  } keys_;
  char32_t TakeStartChar();
  char32_t StartCharForControl();
  void TypeIntoCellControl(char32_t Ch);
  void TypeCharacter(TMessage& Message);
  TEdit* fixedEditor_ = nullptr;
  // A mouse press (ExtGridMouse.cpp): the selection and point at the press, the pressed cell (its
  // merged area's base), the cell button held, the line the user sizes and the press's offset from
  // its border.
  struct TPressState {
    TGridRect DownSel;
    TPoint DownPoint{-1, -1}, DownCell{-1, -1}, Button{-1, -1};
    // The fixed cell drawn pressed (FixedAsButtons) until the release; (-1, -1) when none.
    TPoint FixedPressed{-1, -1};
    int SizingIndex = -1, SizingOfs = 0;
    bool PlacesCaret = false;  // CaretPositioning: an editor opened by this press puts its caret at DownPoint
    bool DblAutoSized = false;  // the double click sized a column: its release sorts nothing
  } press_;
  // A cell button held while the focus goes is let go without a click.
  void ReleaseCellButton();

  // counts and state
  int fixedFooters_ = 0, fixedRightCols_ = 0;
  int initialFixedRows_ = 0, initialFixedCols_ = 0, initialRowHeight_ = 21;
  bool loaded_ = false;
  TCursor loadedCursor_ = crDefault;
  TCursor ownCursor_ = crDefault;  // the last Cursor written from outside
  int updateCount_ = 0;
  bool frameSkipped_ = false;  // the frame was asked for while the update level was above 0
  bool suppressInvalidate_ = false;
  // The grid's own options write, whose one repaint is swallowed (ExtGrid.cpp).
  void SetOptionsQuietly(TGridOptions Value);
  // The update level raised for a scope without EndUpdate's repaint (ExtGridKeys.cpp).
  TGridCountScope HoldPainting();
  int lastReportedRow_ = -1;
  bool editorFormula_ = false;
  // The edit going on (ExtGridEdit.cpp): its editor kind, cell and start text, whether editing
  // was switched off on a read-only cell or on for a clickable control, and the guards against
  // re-entry while the editor's text is stored, a value validated or the edited cell made current.
  struct TEditState {
    TEditorType EditorType = edNormal;
    std::string StartText;
    TPoint Cell{-1, -1};
    bool Active = false, SwitchedOff = false, OnForControl = false;
    int StoringFromEditor = 0, Validating = 0, Selecting = 0;
  } edit_;
  // Scopes the other files open on the edit's guards.
  TGridCountScope StoringFromEditorScope();
  TGridCountScope ValidatingScope();
  TGridCountScope SelectingScope();
  // The edit's record after a control opened, closed, or refused its value.
  void EditOpened();
  void EditClosed();
  void EditGoesOnFrom(TPoint Cell, const std::string& StartText);
  // The grid is going: its editor must not call back into it.
  void DetachEditor();
  // Rows, columns, groups and sorts that move lines (ExtGridRows.cpp).
  int structural_ = 0;
  TGridCountScope StructuralScope();
  // looks
  TGridLook look_ = glXP;
  bool activeCellShow_ = false;
  TColor activeCellColor_ = clGray, activeCellColorTo_ = clNone;
  bool urlShow_ = false;
  bool urlFull_ = false;
  TColor urlColor_ = clBlue;
  TScrollBarAlways scrollBarAlways_ = saNone;
  // hidden columns
  std::vector<bool> colVisible_;
  int numHiddenCols_ = 0;
  // owned objects
  std::unique_ptr<TSearchFooter> searchFooter_;
  std::unique_ptr<TFloatingFooter> floatingFooter_;
  std::unique_ptr<TPrintSettings> printSettings_;
  std::unique_ptr<THTMLSettings> htmlSettings_;
  std::unique_ptr<TSortSettings> sortSettings_;
  std::unique_ptr<TDragDropSettings> dragDropSettings_;
  std::unique_ptr<TDragScrollOptions> dragScrollOptions_;
  std::unique_ptr<TControlLook> controlLook_;
  std::unique_ptr<TNavigation> navigation_;
  std::unique_ptr<TColumnSize> columnSize_;
  std::unique_ptr<TCellNode> cellNode_;
  std::unique_ptr<TBands> bands_;
  std::unique_ptr<TSizeWhileTyping> sizeWhileTyping_;
  std::unique_ptr<TMouseActions> mouseActions_;
  std::unique_ptr<TGrouping> grouping_;
  std::unique_ptr<TStringList> columnHeaders_, rowHeaders_, lookupItems_;
  std::unique_ptr<TFont> fixedFont_, activeCellFont_;
  std::unique_ptr<TBitmap> rowIndicator_;
  std::unique_ptr<THiddenRows> hiddenRows_;
  std::unique_ptr<TFilter> filter_;
  std::unique_ptr<TBackGround> backGround_;
  std::unique_ptr<TBalloonSettings> balloon_;
  std::unique_ptr<TShowModified> showModified_;
  std::unique_ptr<TSortIndexList> sortIndexes_;
  std::unique_ptr<TIntList> mergeColumns_;
  void SplitAllColumnCells();
  void SortForGrouping(int ACol, bool WithinGroups);
  std::unique_ptr<TIntList> lists_[5];
  std::unique_ptr<TControlList> controlList_;
  std::shared_ptr<TResizeHub> resizeHub_;
  std::shared_ptr<bool> formAlive_;
  TCustomForm* hookedForm_ = nullptr;
  // Client width the columns were last scaled to (0: none yet), and the
  // unrounded widths they were scaled to, so repeated scaling does not drift.
  int synchWidth_ = 0;
  std::vector<double> synchExact_;
  bool inResize_ = false;

  // ----- moving rows and columns with the mouse, and starting drags of cells or columns (ExtGridMove.cpp)
 public:
  using TOleDragEvent = std::function<void(TObject* Sender, int ARow, int ACol, bool& Allow)>;
  using TOleDragStopEvent = std::function<void(TObject* Sender, int Effect)>;
  // The drop effects a drag ends with (the values of the system's drop effects).
  static constexpr int EffectNone = 0, EffectCopy = 1, EffectMove = 2;
  enum TGridDragKind { gdkCells, gdkColumn };
  // What a drag started here offers.
  struct TGridDragData {
    TGridDragKind Kind = gdkCells;
    std::string Text;      // the selection: cells joined by tabs, rows by CR LF
    std::string RichText;  // the pressed cell's rich text, empty when it holds none
    int Col = -1, Row = -1;  // the pressed cell (displayed); a column drag drags column Col
  };
  // How the drag ended and what a drop into this same grid changed in it.
  struct TGridDragResult {
    int Effect = EffectNone;  // EffectNone: cancelled
    // Rows the drop inserted into this grid (their first index, after insertion), 0 when none.
    int InsertedRow = -1, InsertedCount = 0;
    // The block of cells the drop wrote into this grid (indexes after the insertion).
    bool Wrote = false;
    TGridRect Written{-1, -1, -1, -1};
  };
  // Runs the system drag of Data and answers when it ends. Nothing is dragged yet: the answer is
  // EffectNone (the drag-and-drop feature fills this in).
  virtual TGridDragResult RunOleDrag(const TGridDragData& Data);
  TLineSizeEvent OnColumnMove, OnRowMove;
  TOleDragEvent OnOleDrag;
  TClickCellEvent OnOleDragStart;
  TOleDragStopEvent OnOleDragStop;
  // Set when a column (row) moved with EnhRowColMove during the current press.
  bool ColumnsMovedInPress() const { return move_.ColsMoved; }
  bool RowsMovedInPress() const { return move_.RowsMoved; }
  // The column or row where a move by mouse began (-1: none).
  int MoveSource() const { return move_.Source; }
  // The picture of the moved header that follows the mouse (null before the first move).
  TControl* MoveImage() const { return move_.Image; }
  // The columns of a multi-column sort with their directions.
  TSortIndexList* SortIndexes() const { return sortIndexes_.get(); }
  // The columns whose runs of equal texts merge (vertically): whenever the list changes, and
  // around a header click sort with SortSettings.AutoColumnMerge, every column's merges are split
  // and each listed column merges again, the first by text alone, the others by text and the
  // merges they share with the columns before. Add, Delete and SetInteger apply at once (as
  // SetStrValue does, once per value); SetMergeColumns replaces the whole list and applies once.
  TIntList* MergeColumns() const { return mergeColumns_.get(); }
  void SetMergeColumns(const std::vector<int>& Columns);
  // Splits every column's vertical merges, then merges the listed columns.
  void ApplyColumnMerges();

 protected:
  void WMCancelMode(TMessage& Message) override;

 private:
  friend class TGridMoveImage;
  void PressStarted();
  void NoteMoveStart(int X, int Y);
  bool MoveBeforeMouseMove(int X, int Y);
  void MoveAfterMouseMove(int X, int Y);
  bool MoveRelease(int X, int Y);
  bool SwallowRightRelease() const;
  void EndMoveLook();
  bool MoveAutoScroll(int X, int Y);
  bool MoveScrollTick(UINT_PTR Id);
  bool ScrollableLine(bool Cols, int Index);
  int MoveTarget(bool Cols, int X, int Y);
  void PaintMoveImage(TCanvas* ACanvas, const TRect& R);
  bool DragStartDown(int ACol, int ARow, int X);
  bool DragMouseMove(TShiftState Shift, int X, int Y);
  bool DragSelectPendingUp();
  void FinishMoveDrop(const TGridRect& Source, const std::vector<int>& Rows, const TGridDragResult& Result);
  // Moving a column or row and starting a drag (ExtGridMove.cpp).
  struct TMoveState {
    int Source = -1, Grip = 0;
    bool ColsMoved = false, RowsMoved = false;
    bool Scrolling = false, CursorSet = false;
    TPoint Last{-1, -1};
    TControl* Image = nullptr;
    bool SelectPending = false, DragPending = false;
  } move_;

  // ===== hover: hot fixed cells, sizing from any cell, links, cell hints, the grid's
  // timer (hovering, blinking), size and focus handling (ExtGridHover.cpp)
 public:
  // Cell hints: the cell text (HintShowCells), a text that does not fit (HintShowLargeText),
  // the anchor under the mouse (AnchorHint); HTMLHint keeps the tags in the hint text.
  bool HintShowCells = false, HintShowLargeText = false, HintShowSizing = false, AnchorHint = false,
       HTMLHint = false;
  // Blink text ("<BLINK>") shows and hides at every tick of the grid's timer; off, it shows steadily.
  bool EnableBlink = false;
  bool BlinkShown() const { return !EnableBlink || hover_.BlinkOn; }
  int TimerTicks() const { return hover_.TimerTicks; }
  // Stores the flag and applies the bounds again, so that the height holds whole rows.
  bool IntegralHeight() const { return hover_.IntegralHeight; }
  void SetIntegralHeight(bool v);
  // The fixed cell drawn hot under the mouse (list-view look); (-1, -1) when none.
  TPoint HotFixedCell() const { return hover_.HotFixedCell; }
  // The anchor of a markup cell under a client point; empty when there is none.
  std::string AnchorAt(int X, int Y);
  // The small window that shows the size while sizing (nullptr before the first sizing).
  THintWindow* SizingHintWindow() const { return hover_.SizingHint; }
  std::function<void(TObject* Sender, int ARow, int ACol, std::string& Anchor)> OnAnchorHint;
  std::function<void(TObject* Sender, int ARow, int ACol, const std::string& Anchor)> OnAnchorEnter, OnAnchorExit;

 protected:
  void CMMouseLeave(TMessage& Message) override;
  void CMHintShow(TMessage& Message) override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  // Places the search panel at the bottom of the grid; the search footer feature fills it.
  virtual void AlignSearchPanel();

 private:
  void HoverMouseDown(TMouseButton Button, int X, int Y);
  void HoverMouseMove(TShiftState Shift, int X, int Y);
  void HoverMouseUp();
  // The grid's own timer (hovering, blinking): started with the window.
  void StartGridTimer();
  bool GridTimer(TMessage& Message);
  // The column (row) whose right (bottom) border lies within 3 pixels of the point, for sizing from any cell.
  bool AnyCellBorder(int X, int Y, bool Cols, int& Index, int& At);
  void AnyCellSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs);
  void ShowSizingHint(int X, int Y);
  void HideSizingHint();
  void SetHotFixedCell(TPoint Cell);
  void SetLinkCursor(bool Hand);
  // Fires OnAnchorExit for the anchor the mouse was on, and forgets it.
  void ExitAnchor();
  void ApplyScrollBarAlways();
  // Sizing from any cell refused by the handler: its border mark goes.
  void DropAnyCellMark(bool Cols);
  // The owner form's size that sizing with the form starts from.
  void NoteFormSize(TSize Size);
  // The mouse without a click (ExtGridHover.cpp): the hot fixed cell and whether a button is held
  // on it (list-view look), the cell of the hint and the anchor under the mouse, the timer's state,
  // the marks of sizing from any cell, the cursor the hand replaced, the form's last size.
  struct THoverState {
    TPoint HotFixedCell{-1, -1};
    bool FixedCellPressed = false;
    TPoint Point{-1, -1}, HintCell{-1, -1}, AnchorCell{-1, -1};
    bool MouseInside = false, BlinkOn = true, HandCursor = false, IntegralHeight = false;
    bool AnyColMark = false, AnyRowMark = false;
    int TimerTicks = 0;
    std::string Anchor;
    THintWindow* SizingHint = nullptr;
    TSize FormSize{-1, -1};
  } hover_;

  // ----- mouse selection: press modes and their cursors, drag selection over fixed cells,
  // disjunct rows, columns and cells, the selection resizer (ExtGridSelect.cpp)
 public:
  // The press mode that mouse movement sets for the next left press.
  enum TPressMode { pmNone = 0, pmColSelect = 1, pmRowSelect = 2, pmAllSelect = 3, pmResize = 5 };
  int PressMode() const { return select_.PressMode; }
  // The mouse is over the 6 x 6 handle at the selection's bottom-right corner.
  bool ResizeHandleHot() const { return select_.ResizeHot; }
  // Cursor numbers (Screen->Cursors) of the press modes; the grid registers its own art for
  // those the program has not registered.
  static constexpr int crGridRowSelect = 8010, crGridColSelect = 8011, crGridAllSelect = 8012,
                       crGridDragSelect = 8014;
  // The handle's square in client coordinates (empty when the selection's corner is not in view).
  TRect SelectionResizeHandle();
  // The point lies on the resize handle (SelectionResizer with SelectionRectangle).
  bool OnResizeHandle(int X, int Y);
  // A block of cell values, row by row.
  struct TCellBlock {
    int Cols = 0, Rows = 0;
    std::vector<std::string> Values;
    std::vector<char> Absent;  // empty: every cell is there; else 1 for cells the data lacks
    const std::string& At(int C, int R) const { return Values[static_cast<size_t>(R) * Cols + C]; }
    bool IsAbsent(int C, int R) const { return !Absent.empty() && Absent[static_cast<size_t>(R) * Cols + C]; }
  };
  // The cells of a block: their stored texts (a check box cell its check text).
  TCellBlock CopyCells(const TGridRect& R);
  // Pastes a block with its top-left at a cell: only with editing, AllowClipboardAlways or
  // RangeSelectAndEdit; cells that cannot be edited are skipped; rows and columns grow as
  // Navigation allows. Returns the number of cells read.
  int PasteCellsAt(int ACol, int ARow, const TCellBlock& Block);
  // Pastes a block at the selection's top-left (FixedCols in row selection mode), then with
  // AllowSmartClipboard fills a larger selection: one value everywhere, a series from two
  // values, or the block repeated.
  void PasteCellsIntoSelection(const TCellBlock& Block);
  // Stores a pasted value: a check box cell is checked when Value is its checked text.
  virtual void SetCellTextOrCheck(int ACol, int ARow, const std::string& Value);
  // Undo of a paste, drop or import: lines go the grid's own way.
  void UndoItem(const TUndoRedoItem& Item) override;

 protected:
  void WMSetCursor(TMessage& Message) override;
  void CMCursorChanged(TMessage& Message) override;

 private:
  void UpdatePressMode(int X, int Y);
  // Steps of the left button's handlers: true when the press is taken whole.
  bool SelectionResizeDown(TMessage& Message);
  void ModeClick(int ACol, int ARow, TShiftState Shift);
  void DisjunctDown(int ACol, int ARow, TShiftState Shift);
  void SelectionButtonUp();
  void DisjunctButtonUp();
  void SelectionResizeUp();
  void DragSelectMove(int X, int Y);
  void DisjunctCellUp(int X, int Y, TShiftState Shift);
  void RepaintSelectionUnion(const TGridRect& Before);
  void PaintSelectionFrame(TCanvas* ACanvas);
  // Decides the fill before anything changes (a series of texts that are not dates raises
  // here); the answer fills after the block was pasted.
  std::function<void(int Pasted)> PlanSmartFill(const TGridRect& Sel, const TCellBlock& Block);
  bool PasteOneCell(int ACol, int ARow, std::string Value);
  // A pasted or dropped value stored (real column), its change handed to a linked undo component.
  void SetCellRecorded(int ACol, int ARow, const std::string& Value);
  // A cursor the grid shows for a while (hand, panning, moving): it keeps the press mode and
  // the cursor written through the property, which each of them puts back.
  void SetOwnCursor(TCursor ACursor);
  // Selecting with the mouse (ExtGridSelect.cpp).
  struct TSelectState {
    std::vector<TPoint> Cells;  // the disjunct cell selection
    int PressMode = pmNone;
    int DragMode = pmNone;  // the mode of the press while the button is held
    int DragAnchor = -1;    // row or column the drag selection started from
    bool ResizeHot = false, ResizePending = false, DeselectPending = false;
    bool DisjunctRowPress = false, DisjunctColPress = false;
    int OwnCursorChange = 0;  // raised while the grid writes its own Cursor property
    TGridRect ResizeOrig;
    TCellBlock ResizeCells;  // the resizer's own buffer: the clipboard is never touched
  } select_;

  // ===== panning with the middle button, the wheel's line count, the window messages the grid
  // answers (theme change, its in-cell combo box's notifications, destroy) (ExtGridMessages.cpp)
 public:
  // Cursor numbers of panning: neutral, then down, left, right, up, up-right, up-left,
  // down-right, down-left. The program's own cursors under these numbers win; the grid's art
  // fills the gaps.
  static constexpr int crGridPan = 8000, crGridPanDown = 8001, crGridPanLeft = 8002, crGridPanRight = 8003,
                       crGridPanUp = 8004, crGridPanUpRight = 8005, crGridPanUpLeft = 8006,
                       crGridPanDownRight = 8007, crGridPanDownLeft = 8008;
  // Where panning started (client coordinates) and the square its marker takes (empty when not panning).
  TPoint PanOrigin() const { return pan_.Origin; }
  TRect PanMarkerRect() const;
  // The marker's picture for a panning mode (the resource "INTLI3" vertical, "INTLI2"
  // horizontal, "INTLI1" both), its background (the top-left pixel's colour) made white.
  static void LoadPanMarker(TIntelliPan Mode, TBitmap* Bitmap);
  // The lines one wheel notch moves (the desktop's setting).
  static int WheelLines();
  // The text typed for incremental lookup; keys that move the current cell clear it.
  const std::string& LookupText() const { return lookupText_; }

 protected:
  void WndProc(TMessage& Message) override;
  void DestroyWnd() override;
  std::string lookupText_;

 private:
  void StartPanning(int X, int Y);
  void PanTick();
  void ShowPanCursor(TCursor Cursor);
  bool PanSetCursor(TMessage& Message);
  void PaintPanMarker(TCanvas* ACanvas);
  void InvalidatePanMarker();
  void ComboCommand(TMessage& Message);
  void StopOwnTimers();
  void StopGridTimer();
  // The mouse moved while panning: the next tick pans towards it.
  void PanMouseMove(int X, int Y);
  // Middle-button panning (ExtGridMessages.cpp): on, where it started, the mouse's last place,
  // the cursor it replaced and the one it shows.
  struct TPanState {
    bool On = false;
    TPoint Origin, Last;
    TCursor Cursor = crDefault;
  } pan_;

  // ===== lookup while typing, cell search, highlighting, the search footer's actions (ExtGridFind.cpp)
 public:
  // The first scrollable row (above the footer rows) whose sort column starts with Text,
  // ignoring case and tags; -1 when none or with fewer than 2 rows.
  int LookupRow(const std::string& Text);
  // Searches from one step after StartCell ((-1, -1): from the range's first cell, or its last
  // backwards) to the range's end, no wrap; Found is (-1, -1) when nothing matched.
  void FindCell(TPoint StartCell, const std::string& Text, TPoint& Found, TFindFlags Flags);
  // One cell against the text and flags of the last FindCell.
  bool MatchCell(int ACol, int ARow, bool Wide);
  TPoint LastFoundCell() const { return find_.LastFound; }
  int PresetCol = -1, PresetRow = -1;
  // Every occurrence of Text in plain and markup cells wrapped in "hi" tags (FixedCells: every
  // cell, else the scrollable ones); UnHilight gives every cell back exactly the text it had.
  void HilightInGrid(bool FixedCells, bool CaseSensitive, const std::string& Text);
  void UnHilightInGrid(bool FixedCells);
  void HilightInRange(TGridRect R, bool CaseSensitive, const std::string& Text, const std::string& Tag);
  void UnHilightInRange(TGridRect R, const std::string& Tag);
  // The search footer's actions (its panel calls them; tests may too).
  void SearchFooterEditChange(const std::string& Text, bool MatchCase, bool Highlight);
  void SearchFooterFind(const std::string& Text, bool Backward);
  void SearchFooterHighlight(bool On, const std::string& Text);
  void SearchFooterClose();
  // The footer's state the actions leave: the edit's colour (clWindow, or red when nothing was found).
  TColor SearchEditColor() const { return find_.EditColor; }
  // The search footer's panel, made on first use (ExtGridFooters.cpp).
  TSearchPanel* SearchPanel();
  // One highlight over a cell: its text, tag and case rule. A second highlight goes over the
  // first (both show); un-highlighting a tag takes its layers off and leaves the others.
  struct THilightLayer {
    std::string Text, Tag;
    bool CaseSensitive = false;
  };

 private:
  // A highlighted cell: its own text, the layers over it and the text they wrote.
  struct TKept {
    std::string Original, Written;
    std::vector<THilightLayer> Layers;
    bool HasTag(const std::string& Tag) const;
  };
  struct TFindState {
    TFindFlags Flags = 0;
    std::string Text;      // upper-cased unless ffCaseSensitive
    bool TextAscii = true;
    bool ExpectEmpty = false;  // the text was two double quotes
    TPoint LastFound{-1, -1};
    std::string LastSearched;  // the footer's last searched text
    TColor EditColor = clWindow;
    int LookupIdle = 0;
    // Texts the highlights replaced, by real column and row, with the text they wrote there.
    std::unordered_map<uint64_t, TKept> Kept;
  } find_;
  // A key that moves the current cell starts the next lookup afresh.
  void ClearLookupText();
  bool MatchText(const std::string& CellText) const;
  bool TestText(const std::string& CellText) const;
  // Called by the grid's timer: a lookup text idle for 4 ticks is cleared.
  void LookupIdleTick();
  void HilightCells(int C0, int R0, int C1, int R1, bool CaseSensitive, const std::string& Text,
                    const std::string& Tag);
  // A cell's own text with the highlight layers written over it, in order.
  std::string HilightText(const std::string& Original, const std::vector<THilightLayer>& Layers) const;
  void UnHilightCell(int RealCol, int Row, std::unordered_map<uint64_t, TKept>::iterator Kept, const std::string& Tag);
  void UnHilightCells(int C0, int R0, int C1, int R1, const std::string& Tag);
  void StepAfterSearch();
  // SearchFooter's settings applied to its panel.
  void SearchFooterChanged();
  TSearchPanel* searchPanel_ = nullptr;

  // ===== the floating footer (ExtGridFooters.cpp)
 public:
  // The footer's panel under the cells, made on first use.
  TFooterPanel* FooterPanel();
  // Draws a footer cell (real column) in place of the grid's cell text.
  TFooterPaintEvent OnFooterPaint;
  // The template with each "<#n>" replaced by the text of column n in the current row; a marker
  // whose number does not parse, or names no column of the grid, gives nothing.
  std::string ExpandFooterTemplate(const std::string& Template);
  // A footer column as painted: fixed columns first, then from LeftCol, left to right.
  struct TFooterColumn {
    int Col, Left, Right;  // display column, its extent in the panel (mirrored right to left)
  };
  std::vector<TFooterColumn> FooterColumns(int PanelWidth);
  // The display column under X in the footer panel, -1 when none.
  int FooterColumnAt(int X, int PanelWidth);
  // What FloatingFooter's setters change: visibility (panel, FixedFooters, the footer-row mark),
  // or the style and hint switch.
  void FloatingFooterChanged(bool VisibleChanged);
  void RepaintFooterPanel();

 private:
  friend class TFooterPanel;
  void PaintFooter(TCanvas* C, const TRect& Client);
  void DrawFooterCell(TCanvas* C, int ACol, int ARow, const TRect& R);
  // The height of the footers under the cells (floating footer and search footer).
  int FooterPanelsHeight() const;
  TFooterPanel* footerPanel_ = nullptr;
  void ApplyScrollLook();
  TScrollType scrollType_ = ssNormal;
  TColor scrollColor_ = clNone;
  int scrollWidth_ = 0;  // the system's bar width, taken when made

  // ===== balloon tips (ExtGridHints.cpp)
 public:
  // The balloon of a cell (real column): its text (tags removed, rich and wide text as plain
  // text, tabs as blanks, no leading line breaks), title " " and icon 1, then OnCellBalloon's
  // changes; text and title cut to 1024 and 100 characters. False when there is no text.
  bool CellBalloon(int ACol, int ARow, std::string& Title, std::string& Text, int& Icon);
  TGridBalloonEvent OnCellBalloon;
  // The balloon's window, there exactly while Balloon.Enable is on after loading.
  TBalloonWindow* BalloonWindow() const { return balloonWindow_; }
  TTimer* BalloonTimer() const { return balloonTimer_; }

 private:
  void BalloonEnableChanged();
  void BalloonMouseMove(int X, int Y);
  void BalloonTick();
  void HideBalloon();
  TBalloonWindow* balloonWindow_ = nullptr;
  TTimer* balloonTimer_ = nullptr;
  TPoint balloonCell_{-1, -1}, balloonTip_;
  bool balloonShowing_ = false;

  // ===== the view: bringing a cell into view, scroll hints, drag scrolling, hiding the
  // selection, sizing zones (ExtGridScroll.cpp)
 public:
  // Brings the cell into view, centred on the axis where it was out of view; the current cell
  // moves there on that axis.
  void ScrollInView(int ACol, int ARow);
  void HideSelection();
  void RestoreSelection();
  bool SelectionHidden() const { return view_.SelHidden; }
  // Within 4 pixels of a column border in the fixed rows (goColSizing) or of a row border in
  // the fixed columns (goRowSizing).
  bool IsSizingZone(int X, int Y);
  void ScreenToCell(TPoint P, int& ACol, int& ARow);
  // Shows the row (column) the thumb points at while it is dragged.
  TScrollHintType ScrollHints = shNone;
  // Thumbs sized by the share of rows (columns) in view; off, the bars' page is 0 and the
  // thumbs keep one size.
  bool ScrollProportional() const { return ProportionalThumbs(); }
  void SetScrollProportional(bool v) { SetProportionalThumbs(v); }
  // The view follows the thumb while it is dragged.
  bool ScrollSynch = false;
  std::function<void(TObject* Sender, int ARow, std::string& HintStr)> OnScrollHint;
  // Direction flags: 1 up, 2 down, 4 left, 8 right.
  std::function<void(TObject* Sender, int TopRow, int LeftCol, int& DragScrollDir, bool& CanScroll)> OnDragScroll;
  THintWindow* ScrollHintWindow() const { return view_.Hint; }
  // The drag-scroll timer (null while no drag nears an edge).
  TTimer* DragScrollTimer() const { return view_.Timer; }
  void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) override;
  // A drag of the window system over the grid's window (P on the screen) runs the drag-over
  // handler as a drag of the program's own controls would.
  void DragOverWindow(TPoint P, TDragState State);

 protected:
  void WMVScroll(TMessage& Message) override;
  void WMHScroll(TMessage& Message) override;

 private:
  void ScrollBarHint(bool Horz, TMessage& Message);
  void DragScrollTick();
  void StopDragScroll();
  struct TViewState {
    THintWindow* Hint = nullptr;
    TTimer* Timer = nullptr;
    int DragDir = 0;
    bool SelHidden = false;
    TGridRect SavedSel;
  } view_;

  // ===== tree nodes: node rows fold the rows below them by hiding them (ExtGridNodes.cpp)
 public:
  using TNodeClickEvent = std::function<void(TObject* Sender, int ARow, int ARowReal)>;
  using TNodeAllowEvent = std::function<void(TObject* Sender, int ARow, int ARowReal, bool& Allow)>;
  // Rows are data rows (real indexes) unless said otherwise.
  // A node on column 0 of ARow over Span rows (its own included; 0: up to the next node row).
  void AddNode(int ARow, int Span);
  void AddSummaryRow(int ARow);
  void RemoveNode(int ARow);
  void RemoveAllNodes();
  // Displayed rows.
  bool IsNodeRow(int ARow);
  bool IsSummaryRow(int ARow);
  // True when contracted.
  bool GetNodeState(int ARow);
  int GetNodeLevel(int ARow);
  int GetNodeSpan(int ARow);
  void IncNodeSpan(int ARow, int Delta);
  // 0 node row; 2 when the next row belongs to the same or a deeper level; 1 otherwise.
  int NodeRowKind(int ARow);
  // X (client) on the node sign's band of a displayed row.
  bool IsNodeGlyphHit(int ARow, int X);
  // The node row above a displayed row that holds it (-1: none).
  int GetParentNode(int ARow);
  void ExpandAll();
  void ContractAll();
  // A row inserted as the last-but-Offset child of the node at displayed row ARow; its spans grow.
  void InsertChildRow(int ARow, int Offset);
  void RemoveChildRow(int ARow);
  void InsertRowKeepHidden(int ARow);
  void DeleteRowKeepHidden(int ARow);
  // The text indent of a row: its node level x CellNode.NodeIndent.
  int RowIndent(int ARow);
  int NodeCount() const { return nodes_.Count; }
  TNodeAllowEvent OnBeforeExpandNode, OnBeforeContractNode;
  TNodeClickEvent OnExpandNode, OnContractNode;

 private:
  struct TNodeState {
    int Count = 0;
    bool HeaderContracted = false;  // the header's sign (NodeAllExpandContract)
  } nodes_;
  // A press on a node sign (or a header's sign): true when the press ends there.
  bool NodeGlyphPress(int ACol, int ARow, int X);
  // The last real row a node's span reaches.
  int NodeSpanEnd(int RealRow, const TCellGraphic* G);
  void SetNodeRowsLevel(int FirstReal, int LastReal, int Delta, bool Reset);

  // ===== grouping rows by a column: header rows with nodes, summary rows (ExtGridGroup.cpp)
 public:
  // The grouped column (-1: none).
  int GroupColumn() const { return group_.Col; }
  // Grouped by Group or SubGroup: totals skip header and summary rows.
  bool Grouped() const { return group_.Col >= 0 || !group_.Subs.empty(); }

 private:
  // Sub-grouped columns stay in the grid: they are kept apart from Col, so UnGroup brings back
  // only a column Group took away.
  struct TGroupState {
    int Col = -1, Width = 0;
    std::vector<int> Subs;  // the sub-grouped columns
  } group_;
  // Runs of equal texts of ACol in rows First..Last (node and summary rows break them).
  std::vector<std::pair<int, int>> GroupRuns(int ACol, int First, int Last);
  // The grouping's look on a header or summary row whose text stands in ACol.
  void StyleGroupRow(int ACol, int ARow, bool Summary);
  void GroupRows(int ACol, bool Sub);

  // ===== drawn cell graphics: pictures, images, bars, pies, comments, rotated text, node signs
  // and tree lines (ExtGridGraphics.cpp). Painting never raises.
 public:
  // Each makes the cell's graphic (freeing the one there) and answers it.
  TCellGraphic* AddBitmap(int ACol, int ARow, TBitmap* ABmp, bool Transparent, TCellHAlign HAlign, TCellVAlign VAlign);
  TCellGraphic* AddIcon(int ACol, int ARow, TIcon* AIcon, TCellHAlign HAlign, TCellVAlign VAlign);
  // Image Index of GridImages.
  TCellGraphic* AddImageIdx(int ACol, int ARow, int Index, TCellHAlign HAlign, TCellVAlign VAlign);
  // The image of the cell's integer value + Offset; no image for text that is no number.
  TCellGraphic* AddDataImage(int ACol, int ARow, int Offset, TCellHAlign HAlign, TCellVAlign VAlign);
  // Several images of GridImages (SideBySide or stacked); their indexes in GetCellImages.
  TCellGraphic* AddMultiImage(int ACol, int ARow, bool SideBySide, const std::vector<int>& Indexes,
                              TCellHAlign HAlign, TCellVAlign VAlign);
  std::vector<int> GetCellImages(int ACol, int ARow);
  // Stretch mode: 0 natural size, 1 stretch, 2 proportional, 3 shrink, 4 proportional shrink; Padding
  // is the margin kept free in the cell.
  TCellGraphic* AddPicture(int ACol, int ARow, TGraphic* APicture, bool Transparent, int StretchMode, int Padding,
                           TCellHAlign HAlign, TCellVAlign VAlign);
  TCellGraphic* AddFilePicture(int ACol, int ARow, const std::string& FileName, bool Transparent, int StretchMode,
                               int Padding, TCellHAlign HAlign, TCellVAlign VAlign);
  // The cell's integer value as a bar, a pie (percent, clamped to 0..100) or a range from its centre.
  TCellGraphic* AddProgress(int ACol, int ARow, TColor Color, TColor ColorTo);
  TCellGraphic* AddProgressPie(int ACol, int ARow, TColor Color);
  TCellGraphic* AddRangeIndicator(int ACol, int ARow, TColor PosColor, TColor NegColor);
  TCellGraphic* AddComment(int ACol, int ARow, const std::string& Comment);
  // The cell's text turned by Angle degrees (counter-clockwise).
  TCellGraphic* AddRotated(int ACol, int ARow, int Angle, const std::string& Text);
  bool IsRotatedCell(int ACol, int ARow, int& Angle);
  bool IsCommentCell(int ACol, int ARow, std::string& Comment);
  // The drawing size of a picture graphic in a cell of CellWidth x CellHeight.
  void GetPictureSize(TCellGraphic* AGraphic, int CellWidth, int CellHeight, TSize& Size);

 private:
  // The drawn kinds DrawCellGraphic leaves to this concern.
  void DrawPictureGraphic(TCanvas* ACanvas, int RealCol, int ARow, const TRect& R, TCellGraphic* G,
                          TAlignment HAlign, TVAlignment VAlign);
  // Tree lines and the node sign of a column-0 cell.
  void DrawNodeCell(TCanvas* ACanvas, int ARow, const TRect& R);
  TSize DrawnGraphicSize(TCellGraphic* G, const TRect& Cell);
  TSize GraphicSizeUnaligned(TCellGraphic* G, int ACol, int ARow);
  // A cell's text, markup and graphic as painting lays them out, for autosizing (ExtGridCalc.cpp).
  int ContentWidth(int RealCol, int ARow);
  int ContentHeight(int RealCol, int ARow, bool WrapToCell);

  // ===== sorting: cell comparison, the stable row order, the row order list and its restore,
  // header clicks (ExtGridSort.cpp)
 public:
  using TCustomCompareEvent =
      std::function<void(TObject* Sender, const std::string& Str1, const std::string& Str2, int& Res)>;
  using TRawCompareEvent = std::function<void(TObject* Sender, int ACol, int Row1, int Row2, int& Res)>;
  // 1 when row 1 sorts after row 2, -1 before, 0 equal (the column's style, blanks as set).
  int CompareCells(int ACol, int ARow1, int ARow2, bool Descending);
  // Each row's position before the first sort (empty until a sort); kept in step with insertions,
  // removals and moves.
  const std::vector<int>& RowOrder() const { return sort_.Order; }
  TCustomCompareEvent OnCustomCompare;
  TRawCompareEvent OnRawCompare;

 private:
  struct TSortColumn;
  struct TSortRun;
  struct TSortState {
    std::vector<int> Order;
    int Tracked = -1;       // the row whose data the current row follows (MoveRowOnSort), -1: none
    bool Sorting = false;
    std::vector<TCellProperties*> Parked;  // cleared while sorting, freed when the sort ends
    bool OrderInBulk = false;  // ApplyRowOrder moves the row order list itself
    bool HeaderSorted = false;  // the last header click sorted SortSettings.Column
  } sort_;
  void SortRange(TSortRun& Run, int Lo, int Hi);
  void RunSort(bool Indexed, bool Groups);
  void ApplyRowOrder(int Lo, const std::vector<int>& Target);
  void NormalizeRowOrder();
  void RowOrderInserted(int ARow, int ACount);
  void RowOrderRemoved(int ARow, int ACount);
  void RowOrderInsertedAt(const std::vector<int>& Rows);
  void RowOrderRemovedAt(const std::vector<int>& Rows);
  void RowOrderMoved(int FromIndex, int ToIndex);

  // ===== column and row sizing: the stretch column, all columns (rows) scaled with the one the
  // user sizes, stored widths (ExtGridSizing.cpp)
 public:
  // Fills the client width with the column (-1: the last); raises Exception "Stretch column
  // index out of range" for an index at or past ColCount or below -1.
  void StretchColumn(int ACol);
  // With ColumnSize.Stretch, a grid with a parent stretches now as a resize would.
  void StretchWhenParented();
  int StretchedWidth(int ACol) const;
  // Widths stored as "Col0", "Col1", ... in ColumnSize.Section of the file (clIniFile) or
  // registry key (clRegistry) ColumnSize.Key, both per user under the settings folder; a stored
  // width is taken within 0 .. MaxStoredWidth.
  void SaveColumnSizes();
  void LoadColumnSizes();
  std::string ColumnSizeFile() const;
  static constexpr int MaxStoredWidth = MaxLineExtent;

 protected:
  void ColWidthsChanged() override;
  void RowHeightsChanged() override;

 private:
  // The user's sizing press: which line and its size then.
  void NoteSizingStart(bool Cols, int Index);
  void ScaleOtherLines(bool Cols, int Index);
  void CloseEditorOverCheckBox();
  struct TSizingState {
    bool InCols = false, InRows = false, Stretched = false, Cols = false;
    int Index = -1, Start = 0;
  } sizing_;

  // ----- exchange with other programs: clipboard (ExtGridClipboard.cpp)
 public:
  // With it on, the text stream, the CSV import and a whole-grid copy include the fixed cells.
  bool IncludeFixedCells = true;
  void CopySelectionToClipboard();
  void CutSelectionToClipboard();
  void PasteSelectionFromClipboard();
  void CopyRangeToClipboard(const TGridRect& ARect, bool SelectedOnly);
  // Pastes the best format on the clipboard at a cell; the number of cells read.
  int PasteAt(int ACol, int ARow);
  int PasteTextAt(int ACol, int ARow, const std::string& Text);
  void SaveCellsToStream(const TGridRect& ARect, TStream* Stream);
  // Nothing changes unless the whole rest of the stream is a good cell block. The cells are
  // placed whatever the grid's editing settings (a paste obeys them).
  int LoadCellsFromStream(TPoint APoint, TStream* Stream);
  // The cell's stored text is in the wide-text form.
  bool IsWideTextCell(int ACol, int ARow);
  void CopyCellsToPrivateFormat(const TGridRect& ARect);
  void CopyRTFCell(int ACol, int ARow);
  // Columns: most fields in a line; rows: lines.
  static void MeasureClipboardText(const std::string& Text, TSize& Size);
  // Tab-separated text as a block; cells a short line lacks are absent.
  static TCellBlock ParseClipboardText(const std::string& Text);
  // The text format of a block (cells by tabs, rows by CR LF; cells in UTF-8).
  std::string ClipboardTextOf(const TGridRect& R, bool SelectedOnly);
  // The private format of a block (GridCellIO.h) and its paste; Written gets the block's cells.
  std::string EncodeCells(const TGridRect& R);
  // Direct: every cell of the block is placed (no paste rule, no editing test).
  int PasteEncodedCells(TPoint At, const std::string& Bytes, TGridRect& Written, bool Direct = false);
  // A read block's texts for the paste rule, and its properties and graphics for the cells
  // the rule may change (all with FullGrid) from At on.
  static TCellBlock CellBlockTexts(const TGridCellBlock& Block);
  void PasteCellProperties(const TGridCellBlock& Block, TPoint At, bool FullGrid);
  // The grid's identity in the private format: a per-process random token and a serial.
  std::string ClipboardIdentity();
  // Origin: the copy's top-left when the cells came from this grid, else (-1, -1).
  virtual void CellsPasted(TPoint Origin, const TGridRect& ARect, bool Copied);
  // Progress of a copy (rows of the text built) and of a paste (rows stored); empty here.
  enum TClipboardStage { csStart, csRow, csEnd };
  virtual void ClipboardCopyProgress(TClipboardStage Stage, int ARow);
  virtual void ClipboardPasteProgress(TClipboardStage Stage, int ARow);
  void ResetColumnOrder();
  // A column (row) moves as a move by mouse moves it, with what it carries; the column order
  // list is made first when it is empty, and follows the column.
  void NotifyColumnMoved(int FromIndex, int ToIndex);
  void NotifyRowMoved(int FromIndex, int ToIndex);
  const std::vector<int>& ColumnOrder() const { return columnOrder_; }

 private:
  struct TClipboardOffer {
    enum { okNone, okCells, okRtf, okText } Kind = okNone;
    std::string Bytes;
  };
  TClipboardOffer ReadClipboardOffer();
  std::string ClipboardCellText(int ACol, int ARow);
  TGridRect ClipboardRange(bool& SelectedOnly);
  // Grown to hold whole every merged area on its corners.
  TGridRect WidenOverMergedCorners(TGridRect R) const;
  // The rich text into one cell when it may change; false when it may not.
  bool PasteRtfAt(int ACol, int ARow, const std::string& Rtf);
  bool BlockIsFullGrid(const TGridRect& R);
  TPoint copyOrigin_{-1, -1};
  bool copied_ = false;
  unsigned clipboardSerial_ = 0;
  std::vector<int> columnOrder_;

  // ----- exchange with other programs: files (ExtGridCSV.cpp, ExtGridXLS.cpp, ExtGridStream.cpp)
 public:
  char Delimiter = 0;            // the CSV import's field delimiter; 0: guessed for each import
  bool OemConvert = false;       // CSV lines are in the OEM code page
  bool TildeLineBreaks = false;  // in CSV fields "~" is a line break ("^" alone an empty text)
  std::function<void(TObject* Sender, int Progress)> OnFileProgress;
  // Raises EExtGridError (the grid unchanged) for a file it cannot read or that is no table.
  void LoadCSVFile(const std::string& FileName, bool Append);
  void LoadFromCSV(const std::string& FileName) { LoadCSVFile(FileName, false); }
  static char GuessCSVDelimiter(const std::string& Text);
  void LoadXLSSheet(const std::string& FileName, const std::string& SheetName);
  void LoadXLSFile(const std::string& FileName);
  void SaveGridToStream(TStream* Stream);
  // Reads from the stream's position up to the first line that is no cell line.
  void LoadGridFromStream(TStream* Stream);
  static void WriteStreamLine(TStream* Stream, const std::string& Text);
  static int ReadStreamLine(TStream* Stream, std::string& Text);
  // The one cell limit for a grid grown from outside data (TGridStore::kCellLimit): raises
  // EExtGridError, What then the reason, for a block of Cols x Rows it exceeds...
  static void CheckCellBlock(int64_t Cols, int64_t Rows, const std::string& What);
  // ... and for a grid that would grow to Cols x Rows; a grid that does not grow passes.
  bool CellGrowthFits(int64_t Cols, int64_t Rows) const;
  void CheckCellGrowth(int64_t Cols, int64_t Rows, const std::string& What) const;

 private:
  // The import itself (Text is changed); the fields of the widest record and the records.
  TSize ImportCSVText(std::string& Text, bool Append, const std::string& Name);
  TGridRect StreamRange() const;
  // Empties the texts of the range the grid text stream saves (Assign's copy starts from it).
  void EmptyStreamRange();

  // ----- exchange with other programs: drag and drop (ExtGridDragDrop.cpp)
 public:
  using TOleDragOverEvent = std::function<void(TObject* Sender, int ARow, int ACol, bool& Allow)>;
  using TOleDragDropEvent =
      std::function<void(TObject* Sender, int ARow, int ACol, const std::string& Data, bool& Allow)>;
  using TOleDroppedEvent = std::function<void(TObject* Sender, TGridRect ARect)>;
  using TOleDropColEvent = std::function<void(TObject* Sender, int ARow, int ACol, int DropCol)>;
  using TOleDropFileEvent =
      std::function<void(TObject* Sender, int ARow, int ACol, const std::string& FileName, bool& Allow)>;
  TOleDragOverEvent OnOleDragOver;
  TOleDragDropEvent OnOleDrop;
  TOleDroppedEvent OnOleDropped;
  TOleDropColEvent OnOleDropCol;
  TOleDropFileEvent OnOleDropFile;
  // Registers or revokes the grid's window as a drop target after DragDropSettings.OleDropTarget
  // and DragScrollOptions.Active (drag scrolling follows every drag over the window).
  void UpdateOleDropTarget();
  bool OleDropTargetRegistered() const;
  // The drop hooks (screen points): whether a drop is taken at P, and what each kind does.
  bool OleDragMouseMove(TPoint P, bool ColumnData);
  // Cells: the same block in the private format, when the drag offered it and the grid takes it.
  void OleDropText(TPoint P, const std::string& Text, const std::string& Cells = std::string());
  void OleDropRTF(TPoint P, const std::string& Text);
  void OleDropCol(TPoint P, int Col);
  void OleDropFiles(TPoint P, const std::vector<std::string>& Files);
  // The markers shown while something is dragged over the grid (omRow beside the target row's
  // cell, omColumnUpper and omColumnLower above and below a column's header cell) and the
  // indicator that follows the pointer while cells are dragged out; null until first needed.
  enum TOleMarker { omRow, omColumnUpper, omColumnLower };
  TArrowWindow* OleMarker(TOleMarker Which) const;
  // The grid's four arrow windows, one per direction (TArrowWindow::Up .. Left): the markers of
  // a drop and of a column or row move; null until first needed.
  TArrowWindow* ArrowWindow(int Direction) const { return arrows_[Direction & 3].get(); }
  TPopupButton* OleDragIndicator() const { return ole_.Indicator.get(); }
  // The popup button, made at its first use.
  TPopupButton* DragIndicator();
  // Hides the three markers (a drop, a leave, a refusal).
  void HideOleMarkers();

 private:
  void OleCellAt(TPoint P, int& ACol, int& ARow);
  void ShowOleMarker(TOleMarker Which, TPoint ScreenPos);
  // Shows the arrow of a direction with its top-left corner at a screen point.
  void ShowArrow(int Direction, TPoint ScreenPos);
  void HideArrows();
  std::unique_ptr<TArrowWindow> arrows_[4];
  unsigned lastVAlignFlag_ = 0;  // DT_TOP
  struct TOleState {
    std::shared_ptr<TDropTarget> Target;
    bool Registered = false;
    bool DraggingOut = false;  // a drag of this grid runs: a drop here answers through Self
    TGridDragResult Self;
    int Pace = 0;
    std::unique_ptr<TPopupButton> Indicator;
  } ole_;
};


// The cell checker: the base of components that correct or mark a cell's text when its edit
// is validated. The base changes nothing; descendants override the text hooks.
class TExtStringGridCheck : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TExtStringGridCheck"; }
  // AutoCorrect and AutoMarkError are read by the validation; the others by checkers' own runs.
  bool GotoCell = false, AutoCorrect = false, AutoMarkError = false, UseCorrect = false, UseMarkError = false;
  virtual std::string MarkError(TExtStringGrid* Grid, int ACol, int ARow, const std::string& Value) { return Value; }
  virtual std::string Correct(TExtStringGrid* Grid, int ACol, int ARow, const std::string& Value) { return Value; }
  virtual void StartCheck() {}
  virtual void StopCheck() {}
};

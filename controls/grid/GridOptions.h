#pragma once
// The option objects of TExtStringGrid: one per published sub-property, each
// owned by its grid, created in the grid's constructor and freed with it.
// Setters that repaint store only a changed value and then ask the grid to
// repaint; Assign copies from an object of the same class and ignores others.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/grid/BaseGrid.h"
#include "controls/grid/ExtObj.h"
#include "platform/gui/Graphics.h"
#include "platform/rtl/Classes.h"

class TExtStringGrid;

// A property that repaints the grid when it changes (plain fields need no macro).
#define EXTGRID_REPAINT_PROP(Type, Name, Default)  \
 public:                                           \
  Type Name() const { return Name##_; }            \
  void Set##Name(Type v) {                         \
    if (v == Name##_) return;                      \
    Name##_ = v;                                   \
    Changed();                                     \
  }                                                \
                                                   \
 private:                                          \
  Type Name##_ = Default;                          \
                                                   \
 public:

// Base of the option objects: the owning grid and its repaint.
class TGridOptionObject : public TPersistent {
 public:
  explicit TGridOptionObject(TExtStringGrid* Grid) : grid_(Grid) {}
  TExtStringGrid* Grid() const { return grid_; }

 protected:
  // Repaints the grid (skipped once while the grid's one-shot suppression is set).
  virtual void Changed();
  TExtStringGrid* grid_;
};

// ---------------------------------------------------------------- TBands
class TBands : public TGridOptionObject {
 public:
  using TGridOptionObject::TGridOptionObject;
  std::string ClassName() const override { return "TBands"; }
  void Assign(TPersistent* Source) override;
  bool Active() const { return active_; }
  void SetActive(bool v);
  TColor PrimaryColor() const { return primaryColor_; }
  void SetPrimaryColor(TColor v);
  int PrimaryLength() const { return primaryLength_; }
  void SetPrimaryLength(int v);
  TColor SecondaryColor() const { return secondaryColor_; }
  void SetSecondaryColor(TColor v);
  int SecondaryLength() const { return secondaryLength_; }
  void SetSecondaryLength(int v);
  int Period() const { return period_; }
  bool Print = false;
  // The band colour of a scrolling row (clNone outside the banded rows).
  TColor BandColor(int ARow, bool Printing) const;

 private:
  void ChangedWhenActive();
  bool active_ = false;
  TColor primaryColor_ = clInfoBk, secondaryColor_ = clWindow;
  int primaryLength_ = 1, secondaryLength_ = 1, period_ = 2;
};

// ---------------------------------------------------------------- TBackGround
enum TBackGroundDisplay { bdTile, bdFixed, bdGradientHorz, bdGradientVert };
enum TBackGroundCells { bcNormal, bcFixed, bcAll };

class TBackGround : public TGridOptionObject {
 public:
  explicit TBackGround(TExtStringGrid* Grid);
  std::string ClassName() const override { return "TBackGround"; }
  void Assign(TPersistent* Source) override;
  EXTGRID_REPAINT_PROP(int, Top, 0)
  EXTGRID_REPAINT_PROP(int, Left, 0)
  EXTGRID_REPAINT_PROP(TBackGroundDisplay, Display, bdTile)
  EXTGRID_REPAINT_PROP(TBackGroundCells, Cells, bcNormal)
  EXTGRID_REPAINT_PROP(TColor, Color, clWindow)
  EXTGRID_REPAINT_PROP(TColor, ColorTo, clBtnFace)
  TBitmap* Bitmap() const { return bitmap_.get(); }
  void SetBitmap(TBitmap* v);

 private:
  std::unique_ptr<TBitmap> bitmap_;
};

// ---------------------------------------------------------------- TSortSettings
enum TSortBlankPosition { blFirst, blLast };
enum TSortDirection { sdAscending, sdDescending };

class TSortSettings : public TGridOptionObject {
 public:
  explicit TSortSettings(TExtStringGrid* Grid);
  std::string ClassName() const override { return "TSortSettings"; }
  void Assign(TPersistent* Source) override;
  int Column = 0;
  EXTGRID_REPAINT_PROP(bool, Show, false)
  bool IndexShow = false;
  TColor IndexColor = clYellow;
  bool Full = true, SingleColumn = false, IgnoreBlanks = false;
  TSortBlankPosition BlankPos = blFirst;
  bool AutoFormat = true;
  TSortDirection Direction = sdAscending, InitSortDirection = sdAscending;
  TBitmap* UpGlyph() const { return glyphs_[0].get(); }
  TBitmap* DownGlyph() const { return glyphs_[1].get(); }
  TBitmap* IndexUpGlyph() const { return glyphs_[2].get(); }
  TBitmap* IndexDownGlyph() const { return glyphs_[3].get(); }
  void SetUpGlyph(TBitmap* v) { glyphs_[0]->Assign(v); }
  void SetDownGlyph(TBitmap* v) { glyphs_[1]->Assign(v); }
  void SetIndexUpGlyph(TBitmap* v) { glyphs_[2]->Assign(v); }
  void SetIndexDownGlyph(TBitmap* v) { glyphs_[3]->Assign(v); }
  bool FixedCols = false, NormalCellsOnly = false, UndoSort = false, AutoColumnMerge = false;
  bool AutoSortForGrouping = true;
  int Row() const { return row_; }
  // Raises Exception "Sort row should be smaller than number of fixed rows" for a row at or past FixedRows.
  void SetRow(int v);

 private:
  std::unique_ptr<TBitmap> glyphs_[4];
  int row_ = 0;
};

// ---------------------------------------------------------------- TControlLook
// The class library's TControlStyle names the control-style flags, so the look of in-cell controls is TGridControlStyle.
enum TGridControlStyle { csClassic, csFlat, csWinXP, csMorvath, csQuarn, csGlyph, csTheme };

class TControlLook : public TGridOptionObject {
 public:
  explicit TControlLook(TExtStringGrid* Grid);
  std::string ClassName() const override { return "TControlLook"; }
  void Assign(TPersistent* Source) override;
  EXTGRID_REPAINT_PROP(int, CheckSize, 15)
  EXTGRID_REPAINT_PROP(int, RadioSize, 10)
  EXTGRID_REPAINT_PROP(TGridControlStyle, ControlStyle, csWinXP)
  EXTGRID_REPAINT_PROP(TColor, Color, clBlack)
  EXTGRID_REPAINT_PROP(TColor, CommentColor, clRed)
  TColor ProgressBorderColor = clGray;
  EXTGRID_REPAINT_PROP(int, ProgressMarginX, 2)
  EXTGRID_REPAINT_PROP(int, ProgressMarginY, 2)
  EXTGRID_REPAINT_PROP(bool, ProgressXP, false)
  EXTGRID_REPAINT_PROP(bool, FlatButton, false)
  EXTGRID_REPAINT_PROP(bool, DropDownAlwaysVisible, false)
  EXTGRID_REPAINT_PROP(bool, NoDisabledCheckRadioLook, false)
  EXTGRID_REPAINT_PROP(bool, NoDisabledButtonLook, false)
  bool CheckAlwaysActive = false, RadioAlwaysActive = false;
  TBitmap* CheckedGlyph() const { return glyphs_[0].get(); }
  TBitmap* UnCheckedGlyph() const { return glyphs_[1].get(); }
  TBitmap* RadioOnGlyph() const { return glyphs_[2].get(); }
  TBitmap* RadioOffGlyph() const { return glyphs_[3].get(); }
  void SetCheckedGlyph(TBitmap* v);
  void SetUnCheckedGlyph(TBitmap* v);
  void SetRadioOnGlyph(TBitmap* v);
  void SetRadioOffGlyph(TBitmap* v);
  TColor FixedGradientFrom() const { return fixedGradientFrom_; }
  void SetFixedGradientFrom(TColor v);
  TColor FixedGradientTo() const { return fixedGradientTo_; }
  void SetFixedGradientTo(TColor v);

 private:
  void SetGlyph(int Index, TBitmap* v);
  std::unique_ptr<TBitmap> glyphs_[4];
  TColor fixedGradientFrom_ = clNone, fixedGradientTo_ = clNone;
};

// ---------------------------------------------------------------- TMouseActions
enum TGridFixedCellEdit { fceNone, fceDblClick, fceLeftClick, fceRightClick };
enum TWheelAction { waMoveSelection, waScroll };

class TMouseActions : public TGridOptionObject {
 public:
  using TGridOptionObject::TGridOptionObject;
  std::string ClassName() const override { return "TMouseActions"; }
  // Copies everything but SizeFixedRow and HotmailRowSelect.
  void Assign(TPersistent* Source) override;
  bool ColSelect = false, RowSelect = false, AllSelect = false, DirectEdit = false, DirectComboDrop = false,
       DirectDateDrop = false;
  bool DisjunctRowSelect() const { return disjunctRow_; }
  void SetDisjunctRowSelect(bool v);
  bool DisjunctColSelect() const { return disjunctCol_; }
  void SetDisjunctColSelect(bool v);
  bool AllColumnSize = false, AllRowSize = false, CaretPositioning = false, SizeFixedCol = false,
       SizeFixedRow = false;
  bool DisjunctCellSelect() const { return disjunctCell_; }
  void SetDisjunctCellSelect(bool v);
  EXTGRID_REPAINT_PROP(bool, HotmailRowSelect, false)
  bool RangeSelectAndEdit = false, NoAutoRangeScroll = false, PreciseCheckBoxCheck = false, CheckAllCheck = false,
       NodeAllExpandContract = false, MoveRowOnNodeClick = false, RowSelectPersistent = false,
       SelectOnRightClick = false, NoScrollOnPartialRow = false;
  bool AutoSizeColOnDblClick = true;
  TGridFixedCellEdit FixedRowsEdit = fceNone, FixedColsEdit = fceNone;
  int WheelIncrement = 0;
  TWheelAction WheelAction = waMoveSelection;

 private:
  bool disjunctRow_ = false, disjunctCol_ = false, disjunctCell_ = false;
};

// ---------------------------------------------------------------- TGrouping
class TGrouping : public TGridOptionObject {
 public:
  using TGridOptionObject::TGridOptionObject;
  std::string ClassName() const override { return "TGrouping"; }
  void Assign(TPersistent* Source) override;
  TColor HeaderColor = clNone, HeaderColorTo = clNone, HeaderTextColor = clNone;
  bool HeaderUnderline = false;
  TColor HeaderLineColor = clBlue;
  int HeaderLineWidth = 2;
  bool MergeHeader = false, MergeSummary = false, Summary = false;
  TColor SummaryColor = clNone, SummaryColorTo = clNone, SummaryTextColor = clNone;
  bool SummaryLine = false;
  TColor SummaryLineColor = clBlue;
  int SummaryLineWidth = 2;
};

// ---------------------------------------------------------------- TDragDropSettings
class TDragDropSettings : public TGridOptionObject {
 public:
  using TGridOptionObject::TGridOptionObject;
  std::string ClassName() const override { return "TDragDropSettings"; }
  void Assign(TPersistent* Source) override;
  bool OleAcceptFiles = true, OleAcceptText = true;
  bool OleDropTarget() const { return oleDropTarget_; }
  // Registers or revokes the grid as a drop target.
  void SetOleDropTarget(bool v);
  bool OleDropSource = false;
  bool OleDropRTF() const { return oleDropRTF_; }
  void SetOleDropRTF(bool v) { oleDropRTF_ = v; }
  bool OleEntireRows = false, OleInsertRows = false, OleRemoveRows = false, OleCopyAlways = false,
       OleColumnDragDrop = false;

 private:
  bool oleDropTarget_ = false, oleDropRTF_ = false;
};

// ---------------------------------------------------------------- TBalloonSettings
class TBalloonSettings : public TGridOptionObject {
 public:
  using TGridOptionObject::TGridOptionObject;
  std::string ClassName() const override { return "TBalloonSettings"; }
  // Copies everything but Transparency.
  void Assign(TPersistent* Source) override;
  TColor BackgroundColor = clNone, TextColor = clNone;
  int InitialDelay = -1, ReshowDelay = -1, AutoHideDelay = -1;
  uint8_t Transparency = 0;
  bool Enable() const { return enable_; }
  void SetEnable(bool v);
  TNotifyEvent OnEnableChange;

 private:
  bool enable_ = false;
};

// ---------------------------------------------------------------- TShowModified
class TShowModified : public TGridOptionObject {
 public:
  using TGridOptionObject::TGridOptionObject;
  std::string ClassName() const override { return "TShowModified"; }
  void Assign(TPersistent* Source) override;
  bool Enabled = false;
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  TNotifyEvent OnChange;

 private:
  TColor color_ = clYellow;
};

// ---------------------------------------------------------------- TSearchFooter
class TSearchFooter : public TGridOptionObject {
 public:
  explicit TSearchFooter(TExtStringGrid* Grid);
  std::string ClassName() const override { return "TSearchFooter"; }
  void Assign(TPersistent* Source) override;
  // These fire OnChange only when the value changes.
  bool Visible() const { return b_[0]; }
  void SetVisible(bool v) { SetOnChange(0, v); }
  bool ShowFindNext() const { return b_[1]; }
  void SetShowFindNext(bool v) { SetOnChange(1, v); }
  bool ShowFindPrev() const { return b_[2]; }
  void SetShowFindPrev(bool v) { SetOnChange(2, v); }
  bool ShowHighLight() const { return b_[3]; }
  void SetShowHighLight(bool v) { SetOnChange(3, v); }
  bool ShowMatchCase() const { return b_[4]; }
  void SetShowMatchCase(bool v) { SetOnChange(4, v); }
  // These fire OnChange on every write.
  bool ShowClose() const { return showClose_; }
  void SetShowClose(bool v) { showClose_ = v, Fire(); }
  TColor Color() const { return color_; }
  void SetColor(TColor v) { color_ = v, Fire(); }
  TColor ColorTo() const { return colorTo_; }
  void SetColorTo(TColor v) { colorTo_ = v, Fire(); }
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* v);
  const std::string& Caption(int Index) const { return texts_[Index]; }
  void SetCaption(int Index, const std::string& v) { texts_[Index] = v, Fire(); }
  enum { FindNextCaption, FindPrevCaption, MatchCaseCaption, HighLightCaption, HintClose, HintFindNext,
         HintFindPrev, HintHighlight, TextCount };
  bool AutoSearch = true;
  bool SearchActiveColumnOnly = false;
  int SearchColumn = -1;
  bool AutoThemeAdapt() const { return autoThemeAdapt_; }
  void SetAutoThemeAdapt(bool v) { autoThemeAdapt_ = v, Fire(); }
  TNotifyEvent OnChange;

 private:
  void SetOnChange(int Index, bool v);
  void Fire();
  bool b_[5] = {false, true, true, true, true};
  bool showClose_ = true, autoThemeAdapt_ = false;
  TColor color_ = clWhite, colorTo_ = clBtnFace;
  std::unique_ptr<TFont> font_;
  std::string texts_[TextCount];
};

// ---------------------------------------------------------------- TFloatingFooter
enum TFooterStyle { fsFixedLastRow, fsColumnPreview, fsCustomPreview };
using TFloatingFooterCalcEvent = std::function<void(TObject* Sender, int ACol, int ARow, std::string& Value)>;

class TFloatingFooter : public TGridOptionObject {
 public:
  using TGridOptionObject::TGridOptionObject;
  std::string ClassName() const override { return "TFloatingFooter"; }
  void Assign(TPersistent* Source) override;
  bool Visible() const { return visible_; }
  // Shows or hides the footer panel and marks the grid's last row as the footer.
  void SetVisible(bool v);
  TFooterStyle FooterStyle() const { return style_; }
  void SetFooterStyle(TFooterStyle v);
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  // The real column the column preview shows.
  int Column() const { return column_; }
  void SetColumn(int v);
  // Text and markup with "<#n>" standing for column n of the current row.
  const std::string& CustomTemplate() const { return template_; }
  void SetCustomTemplate(const std::string& v);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v);
  bool CalculateHiddenRows = false;
  // The footer's calculation switch (on while a footer row is kept up to date).
  bool CalcActive = true;
  TFloatingFooterCalcEvent OnCalcFooter;

 private:
  bool visible_ = false, showHint_ = false;
  TFooterStyle style_ = fsFixedLastRow;
  TColor color_ = clBtnFace;
  int column_ = 0;
  std::string template_;
};

// ---------------------------------------------------------------- TDragScrollOptions
class TDragScrollDelays : public TPersistent {
 public:
  std::string ClassName() const override { return "TDragScrollDelays"; }
  void Assign(TPersistent* Source) override;
  int InitialDelay = 1000, RepeatDelay = 250;
};
class TDragScrollMargins : public TPersistent {
 public:
  std::string ClassName() const override { return "TDragScrollMargins"; }
  void Assign(TPersistent* Source) override;
  int TopMargin = 50, BottomMargin = 50, LeftMargin = 50, RightMargin = 50;
};
class TDragScrollOptions : public TGridOptionObject {
 public:
  using TGridOptionObject::TGridOptionObject;
  std::string ClassName() const override { return "TDragScrollOptions"; }
  void Assign(TPersistent* Source) override;
  // On, the grid's window follows every drag over it (it registers for drags).
  bool Active() const { return active_; }
  void SetActive(bool v);
  TDragScrollDelays Delays;
  TDragScrollMargins Margins;

 private:
  bool active_ = false;
};

// ---------------------------------------------------------------- TFilter
enum TFilterCells { fcVirtual, fcNormal };
enum TFilterOperation { foSHORT, foNONE, foAND, foXOR, foOR };

class TFilterData : public TCollectionItem {
 public:
  using TCollectionItem::TCollectionItem;
  std::string ClassName() const override { return "TFilterData"; }
  void Assign(TPersistent* Source) override;
  int16_t Column = 0;
  std::string Condition;
  bool CaseSensitive = true;
  TFilterCells Data = fcVirtual;
  std::string Prefix, Suffix;
  TFilterOperation Operation = foSHORT;
};

class TFilter : public TCollection {
 public:
  explicit TFilter(TExtStringGrid* Grid);
  std::string ClassName() const override { return "TFilter"; }
  TFilterData* Items(int Index) const { return static_cast<TFilterData*>(TCollection::Items(Index)); }
  TFilterData* Add() { return static_cast<TFilterData*>(TCollection::Add()); }
  TExtStringGrid* Grid() const { return grid_; }

 private:
  TExtStringGrid* grid_;
};

// ---------------------------------------------------------------- TGridItem
// A hidden row: its data index, height, row record, and its cells taken whole from the store (no
// copies); the cell property objects among them are owned here while the row is hidden.
struct TGridItem {
  TGridItem() = default;
  TGridItem(TGridItem&& Other) noexcept;
  TGridItem& operator=(TGridItem&& Other) noexcept;
  ~TGridItem();
  int Idx = 0;
  int Height = 0;
  TRowAttributes RowAttrs;
  TGridStore::TRowCells Cells;
  TCellProperties* Props(int ACol) const;
  std::string Text(int ACol) const;

 private:
  void FreeProps();
};

// The hidden rows' records in ascending data index. Lookups are binary searches and the bulk
// changes take one pass, so folding a large tree costs the rows it touches, not rows x hidden rows.
class THiddenRows {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  TGridItem* Items(int Index) { return &items_.at(static_cast<size_t>(Index)); }
  const TGridItem* Items(int Index) const { return &items_.at(static_cast<size_t>(Index)); }
  // The first position whose record's index is Idx or more.
  int LowerBound(int Idx) const;
  TGridItem* Find(int Idx);
  bool Contains(int Idx) const;
  // The data index of displayed row ADispl.
  int RealIndex(int ADispl) const;
  // Takes records in ascending index, none of them held yet.
  void Merge(std::vector<TGridItem> Added);
  // Gives up the records of the indexes listed (ascending); indexes not held are skipped.
  std::vector<TGridItem> Extract(const std::vector<int>& Idxs);
  // Storage for new records: the list's own while it holds none, as the records shown last left
  // it, so that hiding many rows again writes into memory in use instead of fresh pages.
  std::vector<TGridItem> TakeStorage();
  // Records shown (their cells taken) hand their storage back to an empty list.
  void KeepStorage(std::vector<TGridItem> Spent);
  void Clear() { items_.clear(); }

 private:
  std::vector<TGridItem> items_;
};

// ---------------------------------------------------------------- options of the component
enum TNodeType { cnFlat, cn3D, cnGlyph, cnLeaf, cnXP };

class TCellNode : public TGridOptionObject {
 public:
  explicit TCellNode(TExtStringGrid* Grid);
  std::string ClassName() const override { return "TCellNode"; }
  void Assign(TPersistent* Source) override;
  TColor Color = clSilver;
  EXTGRID_REPAINT_PROP(TNodeType, NodeType, cnXP)
  TColor NodeColor = clBlack;
  TBitmap* ExpandGlyph() const { return expand_.get(); }
  void SetExpandGlyph(TBitmap* v) { expand_->Assign(v); }
  TBitmap* ContractGlyph() const { return contract_.get(); }
  void SetContractGlyph(TBitmap* v) { contract_->Assign(v); }
  bool ExpandOne = false;
  EXTGRID_REPAINT_PROP(bool, ShowTree, true)
  EXTGRID_REPAINT_PROP(bool, ShowTreeFull, true)
  EXTGRID_REPAINT_PROP(int, NodeIndent, 12)
  EXTGRID_REPAINT_PROP(TColor, TreeColor, clGray)

 private:
  std::unique_ptr<TBitmap> expand_, contract_;
};

class TSizeWhileTyping : public TPersistent {
 public:
  std::string ClassName() const override { return "TSizeWhileTyping"; }
  bool Height = false, Width = false;
};

enum TColumnSizeLocation { clRegistry, clIniFile };

class TColumnSize : public TGridOptionObject {
 public:
  using TGridOptionObject::TGridOptionObject;
  std::string ClassName() const override { return "TColumnSize"; }
  bool Save = false;
  std::string Key, Section;
  bool Stretch() const { return stretch_; }
  // Both stretch the column at once when the grid has a parent (column sizing).
  void SetStretch(bool v);
  // -1: the last column. An index below -1 or not below the grid's ColCount raises Exception
  // "Stretch column index out of range" and is not taken (not checked while the grid loads).
  int StretchColumn() const { return stretchColumn_; }
  void SetStretchColumn(int v);
  bool SynchWithGrid = false;
  TColumnSizeLocation Location = clRegistry;

 private:
  bool stretch_ = false;
  int stretchColumn_ = -1;
};

enum TAdvanceDirection { adLeftRight, adTopBottom };
enum TInsertPosition { pInsertBefore, pInsertAfter };
enum THomeEndAction { heFirstLastColumn, heFirstLastRow };

class TNavigation : public TPersistent {
 public:
  std::string ClassName() const override { return "TNavigation"; }
  void Assign(TPersistent* Source) override;
  bool AllowInsertRow = false, AllowDeleteRow = false, AdvanceOnEnter = false, AdvanceInsert = false,
       AutoGotoWhenSorted = false, AutoGotoIncremental = false, AutoComboDropSize = false,
       AllowClipboardShortCuts = false, AllowRTFClipboard = false, AllowSmartClipboard = false,
       AllowClipboardAlways = false, AdvanceAuto = false, CursorWalkEditor = false, MoveRowOnSort = false,
       ImproveMaskSel = false, AlwaysEdit = false, LineFeedOnEnter = false, KeepHorizScroll = false,
       AllowFmtClipboard = false, TabToNextAtEnd = false, AppendOnArrowDown = false;
  bool AllowClipboardColGrow = true, AllowClipboardRowGrow = true, CopyHTMLTagsToClipboard = true,
       EditSelectAll = true, SkipFixedCells = true, AllowCtrlEnter = true;
  TAdvanceDirection AdvanceDirection = adLeftRight, TabAdvanceDirection = adLeftRight;
  TInsertPosition InsertPosition = pInsertBefore;
  THomeEndAction HomeEndKey = heFirstLastColumn;
};

class THTMLSettings : public TPersistent {
 public:
  THTMLSettings();
  std::string ClassName() const override { return "THTMLSettings"; }
  void Assign(TPersistent* Source) override;
  bool AutoPreview = false, ConvertSpecialChars = false, NonBreakingText = false, XHTML = false;
  bool SaveColor = true, SaveFonts = true;
  int BorderSize = 1, CellSpacing = 0, CellPadding = 0, Width = 100;
  std::string FooterFile, HeaderFile, TableStyle, PrefixTag, SuffixTag;
  TIntList* ColWidths() const { return colWidths_.get(); }

 private:
  std::unique_ptr<TIntList> colWidths_;
};

enum TPrintBorders { pbNoborder, pbSingle, pbDouble, pbVertical, pbHorizontal, pbAround, pbAroundVertical,
                     pbAroundHorizontal, pbCustom };
enum TPrintPosition { ppNone, ppTopLeft, ppTopRight, ppTopCenter, ppBottomLeft, ppBottomRight, ppBottomCenter };
enum TFitToPage { fpNever, fpGrow, fpShrink, fpAlways, fpCustom };

// Kept for layouts that set it; the program prints no grid.
class TPrintSettings : public TPersistent {
 public:
  TPrintSettings();
  std::string ClassName() const override { return "TPrintSettings"; }
  void Assign(TPersistent* Source) override;
  std::unique_ptr<TFont> Font, FixedFont, HeaderFont, FooterFont;
  std::unique_ptr<TStringList> TitleLines;
  std::string PageNumSep = "/", DateFormat = "dd/mm/yyyy";
  TPrintBorders Borders = pbSingle;
  bool Centered = true, UseDisplayFont = true, RepeatFixedRows = false, RepeatFixedCols = false;
  TPrintPosition Time = ppNone, Date = ppNone, PageNr = ppNone, Title = ppNone;
  int BorderSize = 0, LeftSize = 0, RightSize = 0, ColumnSpacing = 0, RowSpacing = 0, TitleSpacing = 0,
      FooterSize = 0, HeaderSize = 0, PagePrefix = 0, PageSuffix = 0;
  TFitToPage FitToPage = fpNever;
};

// ---------------------------------------------------------------- TCellGraphic
enum TCellType {
  ctBitmap, ctIcon, ctNone, ctImageList, ctCheckBox, ctDataCheckBox, ctRotated, ctDataImage, ctNode, ctRadio,
  ctEmpty, ctImages, ctPicture, ctFilePicture, ctValue, ctProgress, ctComment, ctButton, ctBitButton,
  ctVirtCheckBox, ctRowCheckBox, ctProgressPie, ctSummary, ctRangeIndicator
};
enum TCellHAlign { haLeft, haRight, haCenter, haBeforeText, haAfterText, haFull };
enum TCellVAlign { vaTop, vaBottom, vaCenter, vaUnderText, vaAboveText, vaFull };

class TCellGraphic : public TPersistent {
 public:
  std::string ClassName() const override { return "TCellGraphic"; }
  void Assign(TPersistent* Source) override;
  TCellType CellType = ctEmpty;
  TCellVAlign CellVAlign = vaTop;
  TCellHAlign CellHAlign = haLeft;
  int CellIndex = 0;
  bool CellTransparent = false, CellCreated = false, CellBoolean = false;
  int CellAngle = 0;
  double CellValue = 0;
  int CellErrFrom = 0, CellErrLen = 0;
  std::string CellText;
  // ctBitmap, ctIcon, ctPicture: the picture (shared with copies of the graphic).
  std::shared_ptr<TGraphic> Picture;
  // ctFilePicture: the file it shows.
  std::shared_ptr<class TFilePicture> FilePicture;
  // ctProgress, ctProgressPie, ctRangeIndicator: bar colour, rest colour and their text colours.
  TColor Color = clHighlight, ColorTo = clWindow, TextColor = clHighlightText, TextColorTo = clWindowText;
  // A group's header node or summary: the column it groups (-1: none), made by SubGroup.
  int GroupColumn = -1;
  bool GroupSub = false;
  // ctRadio: the item texts (CellBoolean: side by side, else stacked); CellIndex is the
  // chosen item, or -1 when the cell's text names it.
  std::vector<std::string> Items;
};

// ---------------------------------------------------------------- cell graphic geometry
// One routine each for where a graphic stands: painting, measuring and hit testing all
// use it, so a click always finds what was drawn under it.

// A radio group's item rectangles (button and its text right behind it) in Cell. TextWidths
// holds one width per item (0: no text), TextHeight the font's line height, ButtonSize the
// button's side. Stacked items stand one text line apart from Cell.Top + 2; side by side they
// follow each other from Cell.Left + 2, centred down the cell.
std::vector<TRect> RadioItemRects(const TRect& Cell, const std::vector<int>& TextWidths, int TextHeight,
                                  bool SideBySide, int ButtonSize);
// The button inside an item rectangle; its text starts at the button's right.
TRect RadioButtonRect(const TRect& Item, int ButtonSize);
// The item whose band holds P, or -1: side by side an item's band is its columns, stacked its lines.
int RadioItemAt(const std::vector<TRect>& Items, TPoint P, bool SideBySide);
// The group's measure: side by side every item's text width + 12 by the text height; stacked the
// widest text + 12 by the text height for each item.
TSize RadioGroupExtent(const std::vector<int>& TextWidths, int TextHeight, bool SideBySide);
// A check box glyph in a cell's content rectangle, placed across by the text's alignment and
// down by VAlign; a right-aligned box stands left of the text (TextWidth, 0 when no text is
// drawn). Mirrored, the box takes the opposite side for right-to-left reading.
TRect CheckGlyphRect(const TRect& Content, int Size, TAlignment TextAlign, TCellVAlign VAlign, int TextWidth,
                     bool Mirrored = false);
// The four kinds of check box.
bool IsCheckKind(TCellType t);
// The bounding box of Text followed by "w" in the canvas's font, turned by Angle degrees
// counter-clockwise; Origin gets the place of the text's start inside the box.
TSize RotatedTextBox(TCanvas* Canvas, const std::string& Text, int Angle, TPoint& Origin);
// A graphic of size G placed in a content rectangle by its own alignment. Before and after the
// text it stands beside a text of TextAlign whose width + 2 is TextWidth: before left-aligned text
// at the left, else just left of the text (never left of the left edge + 1); after right-aligned
// text at the right, else just right of the text.
TRect PlaceCellGraphic(const TRect& Content, TSize G, TCellHAlign HAlign, TCellVAlign VAlign,
                       TAlignment TextAlign = taLeftJustify, int TextWidth = 0);

// The option objects of the grid component.
#include "controls/grid/GridOptions.h"

#include <algorithm>
#include <utility>

#include "controls/grid/ExtGrid.h"

void TGridOptionObject::Changed() {
  if (grid_) grid_->Invalidate();
}

// ---------------------------------------------------------------- TColumnSize
void TColumnSize::SetStretch(bool v) {
  stretch_ = v;
  if (grid_) grid_->StretchWhenParented();
}

void TColumnSize::SetStretchColumn(int v) {
  if (grid_ && !(grid_->ComponentState() & csLoading) && (v < -1 || v >= grid_->ColCount()))
    throw Exception("Stretch column index out of range");
  stretchColumn_ = v;
  if (grid_) grid_->StretchWhenParented();
}

// ---------------------------------------------------------------- TBands
void TBands::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TBands*>(Source);
  if (!s) return;
  active_ = s->active_;
  Print = s->Print;
  primaryColor_ = s->primaryColor_;
  secondaryColor_ = s->secondaryColor_;
  primaryLength_ = s->primaryLength_;
  secondaryLength_ = s->secondaryLength_;
  period_ = primaryLength_ + secondaryLength_;
  Changed();
}
void TBands::ChangedWhenActive() {
  if (active_) Changed();
}
void TBands::SetActive(bool v) {
  active_ = v;
  Changed();
}
void TBands::SetPrimaryColor(TColor v) {
  primaryColor_ = v;
  ChangedWhenActive();
}
void TBands::SetSecondaryColor(TColor v) {
  secondaryColor_ = v;
  ChangedWhenActive();
}
void TBands::SetPrimaryLength(int v) {
  primaryLength_ = v;
  period_ = primaryLength_ + secondaryLength_;
  ChangedWhenActive();
}
void TBands::SetSecondaryLength(int v) {
  secondaryLength_ = v;
  period_ = primaryLength_ + secondaryLength_;
  ChangedWhenActive();
}
TColor TBands::BandColor(int ARow, bool Printing) const {
  if (!active_ || (Printing && !Print) || !grid_) return clNone;
  const TExtStringGrid& g = *grid_;
  if (ARow < g.FixedRows() || ARow >= g.RowCount() - g.FixedFooters()) return clNone;
  if (period_ <= 0) return g.Color();
  int k = (ARow - g.FixedRows()) % period_;
  return k < primaryLength_ ? primaryColor_ : secondaryColor_;
}

// ---------------------------------------------------------------- TBackGround
TBackGround::TBackGround(TExtStringGrid* Grid) : TGridOptionObject(Grid), bitmap_(new TBitmap) {}
void TBackGround::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TBackGround*>(Source);
  if (!s) return;
  Top_ = s->Top_, Left_ = s->Left_, Display_ = s->Display_, Cells_ = s->Cells_, Color_ = s->Color_,
  ColorTo_ = s->ColorTo_;
  bitmap_->Assign(s->bitmap_.get());
  Changed();
}
void TBackGround::SetBitmap(TBitmap* v) {
  bitmap_->Assign(v);
  Changed();
}

// ---------------------------------------------------------------- TSortSettings
TSortSettings::TSortSettings(TExtStringGrid* Grid) : TGridOptionObject(Grid) {
  for (auto& g : glyphs_) g.reset(new TBitmap);
}
void TSortSettings::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TSortSettings*>(Source);
  if (!s) return;
  Column = s->Column, Show_ = s->Show_, IndexShow = s->IndexShow, IndexColor = s->IndexColor, Full = s->Full;
  SingleColumn = s->SingleColumn, IgnoreBlanks = s->IgnoreBlanks, BlankPos = s->BlankPos, AutoFormat = s->AutoFormat;
  Direction = s->Direction, InitSortDirection = s->InitSortDirection;
  for (int i = 0; i < 4; ++i) glyphs_[i]->Assign(s->glyphs_[i].get());
  FixedCols = s->FixedCols, NormalCellsOnly = s->NormalCellsOnly, UndoSort = s->UndoSort;
  AutoColumnMerge = s->AutoColumnMerge, AutoSortForGrouping = s->AutoSortForGrouping, row_ = s->row_;
}
void TSortSettings::SetRow(int v) {
  if (grid_ && v >= grid_->FixedRows()) throw Exception("Sort row should be smaller than number of fixed rows");
  row_ = v;
}

// ---------------------------------------------------------------- TControlLook
TControlLook::TControlLook(TExtStringGrid* Grid) : TGridOptionObject(Grid) {
  for (auto& g : glyphs_) g.reset(new TBitmap);
}
void TControlLook::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TControlLook*>(Source);
  if (!s) return;
  CheckSize_ = s->CheckSize_, RadioSize_ = s->RadioSize_, ControlStyle_ = s->ControlStyle_;
  for (int i = 0; i < 4; ++i) glyphs_[i]->Assign(s->glyphs_[i].get());
  ProgressMarginX_ = s->ProgressMarginX_, ProgressMarginY_ = s->ProgressMarginY_;
  CommentColor_ = s->CommentColor_, Color_ = s->Color_, ProgressBorderColor = s->ProgressBorderColor;
  CheckAlwaysActive = s->CheckAlwaysActive, RadioAlwaysActive = s->RadioAlwaysActive;
  Changed();
}
void TControlLook::SetGlyph(int Index, TBitmap* v) {
  glyphs_[Index]->Assign(v);
  Changed();
}
void TControlLook::SetCheckedGlyph(TBitmap* v) { SetGlyph(0, v); }
void TControlLook::SetUnCheckedGlyph(TBitmap* v) { SetGlyph(1, v); }
void TControlLook::SetRadioOnGlyph(TBitmap* v) { SetGlyph(2, v); }
void TControlLook::SetRadioOffGlyph(TBitmap* v) { SetGlyph(3, v); }
void TControlLook::SetFixedGradientFrom(TColor v) {
  fixedGradientFrom_ = v;
  if (v == clNone || !grid_) return;
  grid_->FixedGradientStart = ColorToRGB(v);
  Changed();
}
void TControlLook::SetFixedGradientTo(TColor v) {
  fixedGradientTo_ = v;
  if (v == clNone || !grid_) return;
  grid_->FixedGradientEnd = ColorToRGB(v);
  Changed();
}

// ---------------------------------------------------------------- TMouseActions
void TMouseActions::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TMouseActions*>(Source);
  if (!s) return;
  bool sizeFixedRow = SizeFixedRow, hotmail = HotmailRowSelect_;
  ColSelect = s->ColSelect, RowSelect = s->RowSelect, AllSelect = s->AllSelect, DirectEdit = s->DirectEdit;
  DirectComboDrop = s->DirectComboDrop, DirectDateDrop = s->DirectDateDrop;
  disjunctRow_ = s->disjunctRow_, disjunctCol_ = s->disjunctCol_, disjunctCell_ = s->disjunctCell_;
  AllColumnSize = s->AllColumnSize, AllRowSize = s->AllRowSize, CaretPositioning = s->CaretPositioning;
  SizeFixedCol = s->SizeFixedCol, RangeSelectAndEdit = s->RangeSelectAndEdit;
  NoAutoRangeScroll = s->NoAutoRangeScroll, PreciseCheckBoxCheck = s->PreciseCheckBoxCheck;
  CheckAllCheck = s->CheckAllCheck, NodeAllExpandContract = s->NodeAllExpandContract;
  MoveRowOnNodeClick = s->MoveRowOnNodeClick, RowSelectPersistent = s->RowSelectPersistent;
  SelectOnRightClick = s->SelectOnRightClick, NoScrollOnPartialRow = s->NoScrollOnPartialRow;
  AutoSizeColOnDblClick = s->AutoSizeColOnDblClick, FixedRowsEdit = s->FixedRowsEdit;
  FixedColsEdit = s->FixedColsEdit, WheelIncrement = s->WheelIncrement, WheelAction = s->WheelAction;
  SizeFixedRow = sizeFixedRow, HotmailRowSelect_ = hotmail;
}
// The disjunct selection itself comes with mouse selection; until then the switch is stored.
// A change of a disjunct mode starts it without marks: marks left from an earlier spell would show
// as selected when the mode comes back.
void TMouseActions::SetDisjunctRowSelect(bool v) {
  if (v == disjunctRow_) return;
  disjunctRow_ = v;
  if (grid_) grid_->ClearRowSelect();
}
void TMouseActions::SetDisjunctColSelect(bool v) {
  if (v == disjunctCol_) return;
  disjunctCol_ = v;
  if (grid_) grid_->ClearColSelect();
}
void TMouseActions::SetDisjunctCellSelect(bool v) {
  if (v == disjunctCell_) return;
  disjunctCell_ = v;
  if (grid_) grid_->SetSelectedCells({});
}

// ---------------------------------------------------------------- TGrouping
void TGrouping::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TGrouping*>(Source);
  if (!s) return;
  HeaderColor = s->HeaderColor, HeaderColorTo = s->HeaderColorTo, HeaderTextColor = s->HeaderTextColor;
  HeaderUnderline = s->HeaderUnderline, MergeHeader = s->MergeHeader, MergeSummary = s->MergeSummary;
  SummaryColor = s->SummaryColor, SummaryColorTo = s->SummaryColorTo, SummaryTextColor = s->SummaryTextColor;
  SummaryLine = s->SummaryLine;
}

// ---------------------------------------------------------------- TDragDropSettings
void TDragDropSettings::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TDragDropSettings*>(Source);
  if (!s) return;
  OleAcceptFiles = s->OleAcceptFiles, OleAcceptText = s->OleAcceptText, OleDropSource = s->OleDropSource;
  SetOleDropTarget(s->oleDropTarget_);
  SetOleDropRTF(s->oleDropRTF_);
  OleEntireRows = s->OleEntireRows, OleInsertRows = s->OleInsertRows, OleRemoveRows = s->OleRemoveRows;
  OleCopyAlways = s->OleCopyAlways, OleColumnDragDrop = s->OleColumnDragDrop;
}

// ---------------------------------------------------------------- TBalloonSettings
void TBalloonSettings::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TBalloonSettings*>(Source);
  if (!s) return;
  BackgroundColor = s->BackgroundColor, TextColor = s->TextColor, InitialDelay = s->InitialDelay;
  ReshowDelay = s->ReshowDelay, AutoHideDelay = s->AutoHideDelay;
  SetEnable(s->enable_);
}
void TBalloonSettings::SetEnable(bool v) {
  enable_ = v;
  if (OnEnableChange) OnEnableChange(this);
}

// ---------------------------------------------------------------- TShowModified
void TShowModified::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TShowModified*>(Source);
  if (!s) return;
  Enabled = s->Enabled;
  SetColor(s->color_);
}
void TShowModified::SetColor(TColor v) {
  color_ = v;
  if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------- TSearchFooter
TSearchFooter::TSearchFooter(TExtStringGrid* Grid)
    : TGridOptionObject(Grid),
      font_(new TFont),
      texts_{"Find next", "Find previous", "Match case", "Highlight", "Close", "Find next occurence",
             "Find previous occurence", "Highlight occurences"} {}
void TSearchFooter::Fire() {
  if (OnChange) OnChange(this);
}
void TSearchFooter::SetOnChange(int Index, bool v) {
  if (b_[Index] == v) return;
  b_[Index] = v;
  Fire();
}
void TSearchFooter::SetFont(TFont* v) {
  font_->Assign(v);
  Fire();
}
void TSearchFooter::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TSearchFooter*>(Source);
  if (!s) return;
  for (int i = 0; i < 5; ++i) b_[i] = s->b_[i];
  showClose_ = s->showClose_, color_ = s->color_, colorTo_ = s->colorTo_;
  font_->Assign(s->font_.get());
  for (int i = 0; i < TextCount; ++i) texts_[i] = s->texts_[i];
  AutoSearch = s->AutoSearch, SearchActiveColumnOnly = s->SearchActiveColumnOnly, SearchColumn = s->SearchColumn;
  Fire();
}

// ---------------------------------------------------------------- TFloatingFooter
void TFloatingFooter::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TFloatingFooter*>(Source);
  if (!s) return;
  CalculateHiddenRows = s->CalculateHiddenRows;
  color_ = s->color_, column_ = s->column_, template_ = s->template_;
  SetFooterStyle(s->style_);
  SetShowHint(s->showHint_);
  SetVisible(s->visible_);
}
void TFloatingFooter::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  if (grid_) grid_->FloatingFooterChanged(true);
}
void TFloatingFooter::SetFooterStyle(TFooterStyle v) {
  style_ = v;
  if (grid_) grid_->FloatingFooterChanged(false);
}
void TFloatingFooter::SetColor(TColor v) {
  color_ = v;
  if (grid_) grid_->RepaintFooterPanel();
}
void TFloatingFooter::SetColumn(int v) {
  column_ = v;
  if (grid_) grid_->RepaintFooterPanel();
}
void TFloatingFooter::SetCustomTemplate(const std::string& v) {
  template_ = v;
  if (grid_) grid_->RepaintFooterPanel();
}
void TFloatingFooter::SetShowHint(bool v) {
  showHint_ = v;
  if (grid_) grid_->FloatingFooterChanged(false);
}

// ---------------------------------------------------------------- drag scrolling
void TDragScrollDelays::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TDragScrollDelays*>(Source)) InitialDelay = s->InitialDelay, RepeatDelay = s->RepeatDelay;
}
void TDragScrollMargins::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TDragScrollMargins*>(Source);
  if (!s) return;
  TopMargin = s->TopMargin, BottomMargin = s->BottomMargin, LeftMargin = s->LeftMargin, RightMargin = s->RightMargin;
}
void TDragScrollOptions::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TDragScrollOptions*>(Source);
  if (!s) return;
  SetActive(s->active_);
  Delays.Assign(&s->Delays);
  Margins.Assign(&s->Margins);
}

// ---------------------------------------------------------------- filter
void TFilterData::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TFilterData*>(Source);
  if (!s) return TCollectionItem::Assign(Source);
  Column = s->Column, Condition = s->Condition, CaseSensitive = s->CaseSensitive, Data = s->Data;
  Prefix = s->Prefix, Suffix = s->Suffix, Operation = s->Operation;
}
TFilter::TFilter(TExtStringGrid* Grid)
    : TCollection([](TCollection* c) { return new TFilterData(c); }), grid_(Grid) {}

// ---------------------------------------------------------------- hidden row records
TGridItem::TGridItem(TGridItem&& Other) noexcept
    : Idx(Other.Idx), Height(Other.Height), RowAttrs(Other.RowAttrs), Cells(std::exchange(Other.Cells, {})) {}

TGridItem& TGridItem::operator=(TGridItem&& Other) noexcept {
  if (this == &Other) return *this;
  FreeProps();
  Idx = Other.Idx;
  Height = Other.Height;
  RowAttrs = Other.RowAttrs;
  Cells = std::exchange(Other.Cells, {});
  return *this;
}

TGridItem::~TGridItem() { FreeProps(); }

void TGridItem::FreeProps() {
  if (!Cells.Objects) return;
  for (TObject*& o : *Cells.Objects) delete static_cast<TCellProperties*>(std::exchange(o, nullptr));
}

TCellProperties* TGridItem::Props(int ACol) const {
  const auto* o = Cells.Objects.get();
  return o && ACol >= 0 && ACol < static_cast<int>(o->size()) ? static_cast<TCellProperties*>((*o)[static_cast<size_t>(ACol)])
                                                               : nullptr;
}

std::string TGridItem::Text(int ACol) const {
  return ACol >= 0 && ACol < static_cast<int>(Cells.Texts.size()) ? Cells.Texts[static_cast<size_t>(ACol)] : std::string();
}

int THiddenRows::LowerBound(int Idx) const {
  auto it = std::partition_point(items_.begin(), items_.end(), [Idx](const TGridItem& r) { return r.Idx < Idx; });
  return static_cast<int>(it - items_.begin());
}

TGridItem* THiddenRows::Find(int Idx) {
  const size_t p = static_cast<size_t>(LowerBound(Idx));
  return p < items_.size() && items_[p].Idx == Idx ? &items_[p] : nullptr;
}

bool THiddenRows::Contains(int Idx) const {
  const size_t p = static_cast<size_t>(LowerBound(Idx));
  return p < items_.size() && items_[p].Idx == Idx;
}

// Record i has Idx - i displayed rows before it, which never falls along the list: the displayed
// row lies past exactly the records with at most ADispl displayed rows before them.
int THiddenRows::RealIndex(int ADispl) const {
  size_t k = 0;
  for (size_t lo = 0, hi = items_.size(); lo < hi;) {
    size_t mid = lo + (hi - lo) / 2;
    if (items_[mid].Idx - static_cast<int>(mid) <= ADispl) lo = k = mid + 1;
    else hi = mid;
  }
  return ADispl + static_cast<int>(k);
}

void THiddenRows::Merge(std::vector<TGridItem> Added) {
  if (Added.empty()) return;
  if (items_.empty()) {
    items_ = std::move(Added);
    return;
  }
  if (items_.back().Idx < Added.front().Idx) {
    items_.insert(items_.end(), std::make_move_iterator(Added.begin()), std::make_move_iterator(Added.end()));
    return;
  }
  std::vector<TGridItem> out;
  out.reserve(items_.size() + Added.size());
  auto a = items_.begin(), b = Added.begin();
  while (a != items_.end() || b != Added.end()) {
    if (b == Added.end() || (a != items_.end() && a->Idx < b->Idx)) out.push_back(std::move(*a++));
    else out.push_back(std::move(*b++));
  }
  items_ = std::move(out);
}

std::vector<TGridItem> THiddenRows::Extract(const std::vector<int>& Idxs) {
  std::vector<TGridItem> taken;
  if (Idxs.empty()) return taken;
  // Every record listed (showing all rows): the list changes hands whole.
  if (Idxs.size() == items_.size() &&
      std::equal(Idxs.begin(), Idxs.end(), items_.begin(), [](int I, const TGridItem& R) { return I == R.Idx; })) {
    taken.swap(items_);
    return taken;
  }
  taken.reserve(Idxs.size());
  size_t w = static_cast<size_t>(LowerBound(Idxs.front())), k = 0;
  for (size_t i = w; i < items_.size(); ++i) {
    while (k < Idxs.size() && Idxs[k] < items_[i].Idx) ++k;
    if (k < Idxs.size() && Idxs[k] == items_[i].Idx) taken.push_back(std::move(items_[i]));
    else if (w != i) items_[w++] = std::move(items_[i]);
    else ++w;
  }
  items_.resize(w);
  return taken;
}

std::vector<TGridItem> THiddenRows::TakeStorage() {
  std::vector<TGridItem> v;
  if (items_.empty()) v.swap(items_);
  return v;
}

void THiddenRows::KeepStorage(std::vector<TGridItem> Spent) {
  if (!items_.empty() || Spent.capacity() <= items_.capacity()) return;
  Spent.clear();
  items_.swap(Spent);
}

// ---------------------------------------------------------------- component options
TCellNode::TCellNode(TExtStringGrid* Grid) : TGridOptionObject(Grid), expand_(new TBitmap), contract_(new TBitmap) {}
void TCellNode::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TCellNode*>(Source);
  if (!s) return;
  Color = s->Color, NodeType_ = s->NodeType_, NodeColor = s->NodeColor, ExpandOne = s->ExpandOne;
  expand_->Assign(s->expand_.get());
  contract_->Assign(s->contract_.get());
  ShowTree_ = s->ShowTree_, ShowTreeFull_ = s->ShowTreeFull_, NodeIndent_ = s->NodeIndent_, TreeColor_ = s->TreeColor_;
  Changed();
}

void TNavigation::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TNavigation*>(Source);
  if (!s) return;
  TNavigation& d = *this;
  // Every switch and value is copied: the object holds nothing else.
#define NAV_COPY(F) d.F = s->F;
  NAV_COPY(AllowInsertRow) NAV_COPY(AllowDeleteRow) NAV_COPY(AdvanceOnEnter) NAV_COPY(AdvanceInsert)
  NAV_COPY(AutoGotoWhenSorted) NAV_COPY(AutoGotoIncremental) NAV_COPY(AutoComboDropSize)
  NAV_COPY(AllowClipboardShortCuts) NAV_COPY(AllowRTFClipboard) NAV_COPY(AllowSmartClipboard)
  NAV_COPY(AllowClipboardAlways) NAV_COPY(AdvanceAuto) NAV_COPY(CursorWalkEditor) NAV_COPY(MoveRowOnSort)
  NAV_COPY(ImproveMaskSel) NAV_COPY(AlwaysEdit) NAV_COPY(LineFeedOnEnter) NAV_COPY(KeepHorizScroll)
  NAV_COPY(AllowFmtClipboard) NAV_COPY(TabToNextAtEnd) NAV_COPY(AppendOnArrowDown) NAV_COPY(AllowClipboardColGrow)
  NAV_COPY(AllowClipboardRowGrow) NAV_COPY(CopyHTMLTagsToClipboard) NAV_COPY(EditSelectAll) NAV_COPY(SkipFixedCells)
  NAV_COPY(AllowCtrlEnter) NAV_COPY(AdvanceDirection) NAV_COPY(TabAdvanceDirection) NAV_COPY(InsertPosition)
  NAV_COPY(HomeEndKey)
#undef NAV_COPY
}

THTMLSettings::THTMLSettings() : colWidths_(new TIntList(-1, -1)) {}
void THTMLSettings::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<THTMLSettings*>(Source);
  if (!s) return;
  AutoPreview = s->AutoPreview, ConvertSpecialChars = s->ConvertSpecialChars, NonBreakingText = s->NonBreakingText;
  XHTML = s->XHTML, SaveColor = s->SaveColor, SaveFonts = s->SaveFonts, BorderSize = s->BorderSize;
  CellSpacing = s->CellSpacing, CellPadding = s->CellPadding, Width = s->Width, FooterFile = s->FooterFile;
  HeaderFile = s->HeaderFile, TableStyle = s->TableStyle, PrefixTag = s->PrefixTag, SuffixTag = s->SuffixTag;
}

TPrintSettings::TPrintSettings()
    : Font(new TFont), FixedFont(new TFont), HeaderFont(new TFont), FooterFont(new TFont),
      TitleLines(new TStringList) {}
void TPrintSettings::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TPrintSettings*>(Source);
  if (!s) return;
  Font->Assign(s->Font.get()), FixedFont->Assign(s->FixedFont.get()), HeaderFont->Assign(s->HeaderFont.get());
  FooterFont->Assign(s->FooterFont.get()), TitleLines->Assign(s->TitleLines.get());
  PageNumSep = s->PageNumSep, DateFormat = s->DateFormat, Borders = s->Borders, Centered = s->Centered;
  UseDisplayFont = s->UseDisplayFont, RepeatFixedRows = s->RepeatFixedRows, RepeatFixedCols = s->RepeatFixedCols;
  Time = s->Time, Date = s->Date, PageNr = s->PageNr, Title = s->Title, BorderSize = s->BorderSize;
  LeftSize = s->LeftSize, RightSize = s->RightSize, ColumnSpacing = s->ColumnSpacing, RowSpacing = s->RowSpacing;
  TitleSpacing = s->TitleSpacing, FooterSize = s->FooterSize, HeaderSize = s->HeaderSize;
  PagePrefix = s->PagePrefix, PageSuffix = s->PageSuffix, FitToPage = s->FitToPage;
}

void TCellGraphic::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TCellGraphic*>(Source);
  if (!s) return;
  CellType = s->CellType, CellVAlign = s->CellVAlign, CellHAlign = s->CellHAlign, CellIndex = s->CellIndex;
  CellTransparent = s->CellTransparent, CellCreated = s->CellCreated, CellBoolean = s->CellBoolean;
  CellAngle = s->CellAngle, CellValue = s->CellValue, CellErrFrom = s->CellErrFrom, CellErrLen = s->CellErrLen;
  CellText = s->CellText, Items = s->Items, GroupColumn = s->GroupColumn, GroupSub = s->GroupSub;
  Picture = s->Picture, FilePicture = s->FilePicture;
  Color = s->Color, ColorTo = s->ColorTo, TextColor = s->TextColor, TextColorTo = s->TextColorTo;
}

void TDragScrollOptions::SetActive(bool v) {
  active_ = v;
  if (grid_) grid_->UpdateOleDropTarget();
}

void TDragDropSettings::SetOleDropTarget(bool v) {
  oleDropTarget_ = v;
  if (grid_) grid_->UpdateOleDropTarget();
}

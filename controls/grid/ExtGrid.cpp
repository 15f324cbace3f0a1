// The grid component: construction, lifecycle, the owner form's resize, the
// counts, the current row with OnRowUpdate, and the update scope.
#include "controls/grid/ExtGrid.h"
#include "controls/markup/PictureContainer.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/WinWindow.h"
#include "controls/grid/ExtGridEditLink.h"
#include "controls/grid/ExtXPVS.h"

#include <algorithm>
#include <cmath>

// ---------------------------------------------------------------- the owner form's resize
// One hub per form holds the form's own handler and the grids that follow the
// form's size; each grid leaves it when destroyed, so grids destroyed in any
// order never leave a handler that points at a freed grid.
struct TExtStringGrid::TResizeHub {
  TNotifyEvent Saved;
  std::vector<TExtStringGrid*> Grids;
};

namespace {
struct TResizeHubCall {
  std::shared_ptr<TExtStringGrid::TResizeHub> Hub;
  void operator()(TObject* Sender) const {
    auto hub = Hub;  // a handler may unhook a grid while this runs
    std::vector<TExtStringGrid*> grids = hub->Grids;
    for (TExtStringGrid* g : grids)
      if (std::find(hub->Grids.begin(), hub->Grids.end(), g) != hub->Grids.end()) g->FormResize(Sender);
    if (hub->Saved) hub->Saved(Sender);
  }
};
}  // namespace

void TExtStringGrid::HookOwnerForm() {
  auto* form = dynamic_cast<TCustomForm*>(Owner());
  if (!form || (ComponentState() & csDesigning)) return;
  if (auto* call = form->OnResize.target<TResizeHubCall>()) {
    resizeHub_ = call->Hub;
  } else {
    resizeHub_ = std::make_shared<TResizeHub>();
    resizeHub_->Saved = form->OnResize;
    form->OnResize = TResizeHubCall{resizeHub_};
  }
  resizeHub_->Grids.push_back(this);
  hookedForm_ = form;
  formAlive_ = form->AliveFlag();
  NoteFormSize(TSize(form->Width(), form->Height()));
}

void TExtStringGrid::UnhookOwnerForm() {
  if (!resizeHub_) return;
  auto& gs = resizeHub_->Grids;
  gs.erase(std::remove(gs.begin(), gs.end(), this), gs.end());
  if (gs.empty() && formAlive_ && *formAlive_) {
    auto* call = hookedForm_->OnResize.target<TResizeHubCall>();
    if (call && call->Hub == resizeHub_) hookedForm_->OnResize = resizeHub_->Saved;
  }
  resizeHub_.reset();
  hookedForm_ = nullptr;
}

// ---------------------------------------------------------------- construction
TExtStringGrid::TExtStringGrid(TComponent* AOwner) : TBaseGrid(AOwner) {
  controlStyle_ |= csAcceptsControls;
  // The button face of the running desktop, taken as a fixed colour.
  FixedGradientEnd = ColorToRGB(clBtnFace);
  scrollWidth_ = GetSystemMetrics(SM_CXVSCROLL);
  searchFooter_.reset(new TSearchFooter(this));
  floatingFooter_.reset(new TFloatingFooter(this));
  printSettings_.reset(new TPrintSettings);
  htmlSettings_.reset(new THTMLSettings);
  sortSettings_.reset(new TSortSettings(this));
  dragDropSettings_.reset(new TDragDropSettings(this));
  dragScrollOptions_.reset(new TDragScrollOptions(this));
  controlLook_.reset(new TControlLook(this));
  navigation_.reset(new TNavigation);
  columnSize_.reset(new TColumnSize(this));
  cellNode_.reset(new TCellNode(this));
  bands_.reset(new TBands(this));
  sizeWhileTyping_.reset(new TSizeWhileTyping);
  mouseActions_.reset(new TMouseActions(this));
  grouping_.reset(new TGrouping(this));
  columnHeaders_.reset(new TStringList);
  fixedFont_.reset(new TFont);
  fixedFont_->SetName("Tahoma");
  fixedFont_->SetStyle(fsBold);
  fixedFont_->OnChange = [this](TObject*) { Invalidate(); };
  activeCellFont_.reset(new TFont);
  activeCellFont_->SetStyle(fsBold);
  activeCellFont_->OnChange = [this](TObject*) { Invalidate(); };
  rowHeaders_.reset(new TStringList);
  lookupItems_.reset(new TStringList);
  rowIndicator_.reset(new TBitmap);
  sortIndexes_.reset(new TSortIndexList);
  mergeColumns_.reset(new TIntList(-1, -1));
  mergeColumns_->OnChange = [this](TObject*, int, int) { ApplyColumnMerges(); };
  for (auto& l : lists_) l.reset(new TIntList(-1, -1));
  backGround_.reset(new TBackGround(this));
  SetRowCount(10);
  SetBounds(Left(), Top(), 400, 250);
  hiddenRows_.reset(new THiddenRows);
  filter_.reset(new TFilter(this));
  balloon_.reset(new TBalloonSettings(this));
  balloon_->OnEnableChange = [this](TObject*) { BalloonEnableChanged(); };
  showModified_.reset(new TShowModified(this));
  showModified_->OnChange = [this](TObject*) {
    if (HandleAllocated()) InvalidateCol(0);
  };
  searchFooter_->OnChange = [this](TObject*) { SearchFooterChanged(); };
  HookOwnerForm();
  colVisible_.assign(513, true);
  SetDefaultRowHeight(21);
  initialRowHeight_ = 21;
  SetScrollProportional(false);
  look_ = glXP;
  controlList_.reset(new TControlList);
  lastReportedRow_ = TBaseGrid::Row();
  initialFixedRows_ = TBaseGrid::FixedRows();
  initialFixedCols_ = TBaseGrid::FixedCols();
  columnHeaders_->OnChange = [this](TObject*) { ApplyHeaders(true); };
  rowHeaders_->OnChange = [this](TObject*) { ApplyHeaders(false); };
}

TExtStringGrid::~TExtStringGrid() {
  SaveColumnSizes();
  UnhookOwnerForm();
  // The editor must not call back into a half-destroyed grid.
  DetachEditor();
  ++editUpdate_;
  // Property objects held by hidden rows are owned by their records and go with them.
  hiddenRows_.reset();
  // Hovering changes the cursor; the one the layout gave goes back.
  if (loaded_) SetCursor(loadedCursor_);
}

void TExtStringGrid::CreateWnd() {
  TBaseGrid::CreateWnd();
  ApplyScrollLook();
  StartGridTimer();
  LoadColumnSizes();
  // A new window takes drops again (a registration ends with its window).
  if (dragDropSettings_->OleDropTarget() || dragScrollOptions_->Active()) UpdateOleDropTarget();
}

void TExtStringGrid::Loaded() {
  TBaseGrid::Loaded();
  loadedCursor_ = Cursor();
  // Headers given before the fixed lines existed show now.
  ApplyHeaders(true);
  ApplyHeaders(false);
  if (look_ == glQuarn) {
    FixedGradientStart = TColorOf(0xC0C0C0), FixedGradientEnd = TColorOf(0xFFFFFF);
    if (!(ComponentState() & csDesigning)) {
      DragIndicator()->GradFrom = FixedGradientStart;
      DragIndicator()->GradTo = FixedGradientEnd;
    }
  }
  initialFixedRows_ = TBaseGrid::FixedRows();
  initialFixedCols_ = TBaseGrid::FixedCols();
  initialRowHeight_ = DefaultRowHeight();
  if (balloon_->Enable()) BalloonEnableChanged();
  loaded_ = true;
  LoadColumnSizes();
  if (Options() & goAlwaysShowEditor) {
    navigation_->AlwaysEdit = true;
    SetOptions(Options() & ~goAlwaysShowEditor);
  }
  // The themed look stays where themed parts can be drawn.
  if (controlLook_->ControlStyle() == csTheme && !(IsWindowsXPOrLater() && VisualStylesUsable()))
    controlLook_->SetControlStyle(csClassic);
  // The footer's change rebuilds the search panel with the grid's setting.
  searchFooter_->SetAutoThemeAdapt(autoThemeAdapt_);
  if (autoThemeAdapt_) AdaptToTheme();
  UpdateScrollBars(false);
}

void TExtStringGrid::Notification(TComponent* AComponent, TOperation Operation) {
  TBaseGrid::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  EditLink.Forget(AComponent);
  CellChecker.Forget(AComponent);
  GridImages.Forget(AComponent);
  PictureContainer.Forget(AComponent);
}

void TExtStringGrid::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TExtStringGrid*>(Source);
  if (!s) return;
  Font()->Assign(s->Font());
  activeCellColor_ = s->activeCellColor_, activeCellColorTo_ = s->activeCellColorTo_;
  activeCellFont_->Assign(s->activeCellFont_.get());
  activeCellShow_ = s->activeCellShow_;
  SetActiveRowShow(s->ActiveRowShow());
  SetAlign(s->Align());
  AnchorHint = s->AnchorHint;
  AutoNumAlign = s->AutoNumAlign;
  autoSize_ = s->autoSize_;
  SetAutoThemeAdapt(s->AutoThemeAdapt());
  mouseActions_->Assign(s->mouseActions_.get());
  navigation_->Assign(s->navigation_.get());
  grouping_->Assign(s->grouping_.get());
  searchFooter_->Assign(s->searchFooter_.get());
  printSettings_->Assign(s->printSettings_.get());
  filter_->Assign(s->filter_.get());
  htmlSettings_->Assign(s->htmlSettings_.get());
  bands_->Assign(s->bands_.get());
  cellNode_->Assign(s->cellNode_.get());
  sortSettings_->Assign(s->sortSettings_.get());
  dragScrollOptions_->Assign(s->dragScrollOptions_.get());
  TBaseGrid::SetColCount(s->ColCount());
  SetRowCount(s->RowCount());
  SetFixedRows(s->FixedRows());
  SetFixedCols(s->FixedCols());
  SetDefaultColWidth(s->DefaultColWidth());
  SetDefaultRowHeight(s->DefaultRowHeight());
  SetOptions(s->Options());
  // The cells and column widths through the grid text stream, so the save and load hooks see them;
  // read with the source's own range.
  TMemoryStream stream;
  s->SaveGridToStream(&stream);
  stream.SetPosition(0);
  const bool ownRange = IncludeFixedCells;
  IncludeFixedCells = s->IncludeFixedCells;
  // The source's empty cells have no line: no text of the target may stay in their place.
  EmptyStreamRange();
  LoadGridFromStream(&stream);
  IncludeFixedCells = ownRange;
}

// ---------------------------------------------------------------- counts and the current row
void TExtStringGrid::SetRowCount(int Value) {
  if (Value < 1) Value = 1;
  if (Value != RowCount()) CloseEditForLines();
  // The controls of rows that go are freed with them (the grid's own row moves keep their own books).
  if (Value < RowCount() && structural_ == 0)
    for (int i = controlList_->Count() - 1; i >= 0; --i)
      if (const TControlItem* it = controlList_->GetControl(i); !IsHiddenRow(it->Y) && DisplRowIndex(it->Y) >= Value) {
        if (TCellProperties* p = CellPropertiesOrNull(it->X, DisplRowIndex(it->Y))) p->Control = nullptr;
        controlList_->DeleteControl(i);
      }
  // Rows coming back to a grid left with its fixed rows take back the selection it had.
  const bool restore = FixedRowAlways && RowCount() == FixedRows() && SelectionHidden() && Value > RowCount();
  TBaseGrid::SetRowCount(Value);
  if (restore) RestoreSelection();
  if (FixedRowAlways && Value > initialFixedRows_ && TBaseGrid::FixedRows() != initialFixedRows_)
    TBaseGrid::SetFixedRows(initialFixedRows_);
  SetEventRowLimit(Value);
  UpdateFooter();
  UpdateScrollBars(false);
}

void TExtStringGrid::SetFixedFooters(int v) {
  fixedFooters_ = std::max(0, v);
  Invalidate();
}

void TExtStringGrid::SetFixedRightCols(int v) {
  fixedRightCols_ = std::max(0, v);
  Invalidate();
}

void TExtStringGrid::SetRow(int ARow) {
  TBaseGrid::SetRow(ARow);
  ReportRow(TBaseGrid::Row());
}

void TExtStringGrid::ReportRow(int NewRow) {
  if (NewRow == lastReportedRow_ || !OnRowUpdate || updateCount_ > 0) return;
  int old = lastReportedRow_;
  lastReportedRow_ = NewRow;
  OnRowUpdate(this, old, NewRow);
}

// ---------------------------------------------------------------- update scope and repaint
void TExtStringGrid::SetOptionsQuietly(TGridOptions Value) {
  suppressInvalidate_ = true;
  SetOptions(Value);
  // The suppression is for this write only: a later repaint must never be swallowed.
  suppressInvalidate_ = false;
}

void TExtStringGrid::Invalidate() {
  if (suppressInvalidate_) {
    suppressInvalidate_ = false;
    return;
  }
  if (updateCount_ > 0) return;
  TBaseGrid::Invalidate();
}

void TExtStringGrid::RepaintCellAt(int ACol, int ARow) {
  if (updateCount_ == 0) RepaintCell(DisplColIndex(ACol), ARow);
}

void TExtStringGrid::RepaintRow(int ARow) {
  if (updateCount_ == 0 && HandleAllocated() && ARow >= 0 && ARow < RowCount()) InvalidateRow(ARow);
}

void TExtStringGrid::RefreshView() {
  UpdateFooter();
  UpdateScrollBars(false);
  Invalidate();
}

void TExtStringGrid::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (hover_.IntegralHeight && updateCount_ == 0 && DefaultRowHeight() > 0) {
    int b = BorderStyle() == bsSingle ? 2 : 0;
    int cols = 0;
    for (int c = 0; c < ColCount(); ++c) cols += ColWidths(c) + GridLineWidth();
    // The horizontal bar's height when not every column fits.
    int s = cols > AWidth - 2 * b && (ScrollBars() == ssHorizontal || ScrollBars() == ssBoth)
                ? GetSystemMetrics(SM_CYHSCROLL)
                : 0;
    int h = AHeight - s - b;
    AHeight = s + (h - h % DefaultRowHeight()) + 2 * b;
  }
  TBaseGrid::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TExtStringGrid::Resize() {
  bool reentered = inResize_;
  inResize_ = true;
  if (searchFooter_->Visible() || floatingFooter_->Visible()) AlignSearchPanel();
  // A stretched grid keeps its other columns: only an unstretched one scales them with its width.
  const bool stretched = StretchToClient();
  // A scroll bar shown and hidden again while the columns stretch resizes the grid inside this
  // one resize: the application hears of the one size change once.
  if (!reentered) TBaseGrid::Resize();
  if (!stretched) SynchColumnsWithWidth();
  if ((backGround_->Display() == bdGradientHorz || backGround_->Display() == bdGradientVert)) Invalidate();
  if (!reentered) UpdateScrollBars(false);
  inResize_ = reentered;
}

bool TExtStringGrid::StretchToClient() {
  if (!columnSize_->Stretch() || ColCount() <= 0) return false;
  // An index that a later ColCount left behind stands for the last column.
  int sc = columnSize_->StretchColumn();
  if (sc < 0 || sc >= ColCount()) sc = ColCount() - 1;
  // Marked stretched as a direct stretch is, so that later width changes stretch again.
  sizing_.Stretched = true;
  const int w = StretchedWidth(sc);
  if (w < 0) return false;
  SetColWidths(sc, w);
  return true;
}

void TExtStringGrid::SynchColumnsWithWidth() {
  int w = ClientWidth();
  // A minimised window has no width: scaling to it would leave every column at 0.
  if (w <= 0) return;
  int prev = synchWidth_;
  synchWidth_ = w;
  if (!columnSize_->SynchWithGrid || prev <= 0 || prev == w) return;
  EndCellControlEdit();
  synchExact_.resize(static_cast<size_t>(ColCount()), -1.0);
  double ratio = static_cast<double>(w) / prev;
  for (int c = 0; c < ColCount(); ++c) {
    double& exact = synchExact_[static_cast<size_t>(c)];
    // A width set since the last scaling (by the user or by code) is the new base.
    if (exact < 0 || std::lround(exact) != ColWidths(c)) exact = ColWidths(c);
    exact *= ratio;
    SetColWidths(c, static_cast<int>(std::lround(exact)));
  }
}

void TExtStringGrid::UpdateScrollBars(bool Forced) {
  if (!HandleAllocated()) return;
  UpdateScrollRange();
}

// ---------------------------------------------------------------- looks
void TExtStringGrid::SetLook(TGridLook v) {
  if (v == look_) return;
  look_ = v;
  Invalidate();
  if (HandleAllocated()) RedrawFrame(Handle());
  // The footer panel paints with the look too.
  if (!(ComponentState() & csLoading)) RepaintFooterPanel();
}
void TExtStringGrid::SetActiveCellShow(bool v) {
  activeCellShow_ = v;
  Invalidate();
}
void TExtStringGrid::SetActiveCellColor(TColor v) {
  activeCellColor_ = v;
  Invalidate();
}
void TExtStringGrid::SetActiveCellColorTo(TColor v) {
  activeCellColorTo_ = v;
  Invalidate();
}
void TExtStringGrid::SetActiveCellFont(TFont* v) {
  activeCellFont_->Assign(v);
  Invalidate();
}
void TExtStringGrid::SetFixedFont(TFont* v) {
  fixedFont_->Assign(v);
  Invalidate();
}
void TExtStringGrid::SetLookupItems(TStrings* v) {
  if (v) lookupItems_->Assign(v);
}
void TExtStringGrid::SetURLShow(bool v) {
  urlShow_ = v;
  Invalidate();
}
void TExtStringGrid::SetURLColor(TColor v) {
  urlColor_ = v;
  if (urlShow_) Invalidate();
}
void TExtStringGrid::SetURLFull(bool v) {
  urlFull_ = v;
  if (urlShow_) Invalidate();
}
void TExtStringGrid::SetScrollBarAlways(TScrollBarAlways v) {
  scrollBarAlways_ = v;
  ApplyScrollBarAlways();
  UpdateScrollBars(true);
}
void TExtStringGrid::SetBackGround(TBackGround* v) {
  backGround_->Assign(v);
  Invalidate();
}

#include "controls/inspector/InspectorBar.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "controls/inspector/InspEditors.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ShellIcons.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Timer.h"
#include "platform/gui/VisualStyles.h"

// ------------------------------------------------------------------ colour names
namespace {
struct TName {
  uint32_t Value;
  const char* Text;
};
// The sixteen fixed colours, then the system colours from Background to Infobk.
const TName kNames[] = {
      {0x000000, "Black"},        {0x000080, "Maroon"},         {0x008000, "Green"},
      {0x008080, "Olive"},        {0x800000, "Navy"},           {0x800080, "Purple"},
      {0x808000, "Teal"},         {0x808080, "Gray"},           {0xC0C0C0, "Silver"},
      {0x0000FF, "Red"},          {0x00FF00, "Lime"},           {0x00FFFF, "Yellow"},
      {0xFF0000, "Blue"},         {0xFF00FF, "Fuchsia"},        {0xFFFF00, "Aqua"},
      {0xFFFFFF, "White"},        {0xFF000001, "Background"},   {0xFF000002, "ActiveCaption"},
      {0xFF000003, "InactiveCaption"}, {0xFF000004, "Menu"},    {0xFF000005, "Window"},
      {0xFF000006, "WindowFrame"}, {0xFF000007, "MenuText"},    {0xFF000008, "WindowText"},
      {0xFF000009, "CaptionText"}, {0xFF00000A, "ActiveBorder"}, {0xFF00000B, "InactiveBorder"},
      {0xFF00000C, "AppWorkspace"}, {0xFF00000D, "Highlight"},  {0xFF00000E, "HighlightText"},
      {0xFF00000F, "BtnFace"},    {0xFF000010, "BtnShadow"},    {0xFF000011, "GrayText"},
      {0xFF000012, "BtnText"},    {0xFF000013, "InactiveCaptionText"}, {0xFF000014, "BtnHighlight"},
      {0xFF000015, "3ddkShadow"}, {0xFF000016, "3dLight"},      {0xFF000017, "InfoText"},
      {0xFF000018, "Infobk"}};
}  // namespace

bool InspNamedColor(int Index, TColor& Color, std::string& Name) {
  if (Index < 0 || Index >= static_cast<int>(std::size(kNames))) return false;
  Color = static_cast<TColor>(kNames[Index].Value);
  Name = kNames[Index].Text;
  return true;
}

std::string InspColorName(TColor Color) {
  const uint32_t v = static_cast<uint32_t>(Color);
  for (const TName& n : kNames)
    if (n.Value == v) return n.Text;
  char buf[16];
  std::snprintf(buf, sizeof buf, "$%08X", v);
  return buf;
}

// ------------------------------------------------------------------ items
TInspectorItems::TInspectorItems(TInspectorPanel* owner)
    : TOwnedCollection(owner, CollectionItemClass<TInspectorItem>()) {}

TInspectorItem* TInspectorItems::GetItem(int Index) const {
  return static_cast<TInspectorItem*>(TCollection::Items(Index));
}
TInspectorItem* TInspectorItems::Add() {
  auto* item = static_cast<TInspectorItem*>(TCollection::Add());
  if (TInspectorBar* bar = item->Bar()) bar->Invalidate();
  return item;
}
TInspectorItem* TInspectorItems::Insert(int Index) { return static_cast<TInspectorItem*>(TCollection::Insert(Index)); }
TInspectorPanel* TInspectorItems::Panel() const { return static_cast<TInspectorPanel*>(GetOwner()); }

void TInspectorItems::Update(TCollectionItem* item) {
  TInspectorPanel* panel = Panel();
  TInspectorBar* bar = panel ? panel->Bar() : nullptr;
  if (!bar) return;
  if (!item)
    bar->Invalidate();
  else
    bar->RepaintItem(static_cast<TInspectorItem*>(item));
}

TInspectorItem::TInspectorItem(TCollection* collection)
    : TCollectionItem(collection),
      fontValue_(std::make_unique<TFont>()),
      values_(std::make_unique<TStringList>()),
      icon_(std::make_unique<TIcon>()),
      bitmap_(std::make_unique<TBitmap>()),
      pictureValue_(std::make_unique<TPicture>()),
      background_(std::make_unique<TInspImage>()) {
  fontValue_->OnChange = [this](TObject*) { Changed(false); };
  background_->OnChange = [this](TObject*) { Changed(false); };
  if (TInspectorPanel* p = Panel()) {
    icon_->SetWidth(p->IconLargeSize());
    icon_->SetHeight(p->IconLargeSize());
  }
}

void TInspectorItems::Notify(TCollectionItem* item, TCollectionNotification action) {
  if (action != cnExtracting) return;
  TInspectorPanel* panel = Panel();
  if (TInspectorBar* bar = panel ? panel->Bar() : nullptr) bar->ItemRemoved(static_cast<TInspectorItem*>(item));
}

// The row leaves its panel while it is still a whole row, so the bar forgets it as a row and not
// as a half-destroyed collection item.
TInspectorItem::~TInspectorItem() {
  SetCollection(nullptr);
  if (editLink_) editLink_->DestroyEditor();
}

void TInspectorItem::SetEditLink(TInspectorEditLink* v) {
  editLink_ = v;
  // The bar forgets a freed link for the row, which tells its link when it goes.
  if (TInspectorBar* bar = Bar(); bar && v) v->FreeNotification(bar);
}

TInspectorPanel* TInspectorItem::Panel() const {
  auto* items = dynamic_cast<TInspectorItems*>(Collection());
  return items ? items->Panel() : nullptr;
}
TInspectorBar* TInspectorItem::Bar() const {
  TInspectorPanel* p = Panel();
  return p ? p->Bar() : nullptr;
}

void TInspectorItem::Changed(bool allItems) { TCollectionItem::Changed(allItems); }
void TInspectorItem::BarChanged() {
  if (TInspectorBar* bar = Bar()) {
    bar->RowsChanged();
    bar->Invalidate();
  }
}

void TInspectorItem::SetTextValue(const std::string& v) {
  textValue_ = v;
  Changed(false);
}
void TInspectorItem::SetIntValue(int v) {
  intValue_ = v;
  textValue_ = std::to_string(v);
  Changed(false);
}
void TInspectorItem::SetBoolValue(bool v) {
  boolValue_ = v;
  TInspectorBar* bar = Bar();
  textValue_ = v ? (bar ? bar->CheckTrue() : "True") : (bar ? bar->CheckFalse() : "False");
  Changed(false);
}
void TInspectorItem::SetColorValue(TColor v) {
  colorValue_ = v;
  textValue_ = InspColorName(v);
  Changed(false);
}
void TInspectorItem::SetFontValue(TFont* v) {
  fontValue_->Assign(v);
  textValue_ = fontValue_->Name();
  Changed(false);
}
void TInspectorItem::SetDateValue(TDateTime v) {
  dateTimeValue_ = v;
  textValue_ = DateToStr(v);
  Changed(false);
}
void TInspectorItem::SetTimeValue(TDateTime v) {
  dateTimeValue_ = v;
  textValue_ = TimeToStr(v);
  Changed(false);
}
void TInspectorItem::SetPropertyType(TPropertyType v) {
  propertyType_ = v;
  switch (v) {
    case ptInteger:
    case ptIntSpin: textValue_ = "0"; break;
    case ptFloat: textValue_ = "0.0"; break;
    case ptColor:
    case ptFixedColor: textValue_ = "clBlack"; break;
    case ptBoolean: {
      TInspectorBar* bar = Bar();
      textValue_ = bar ? bar->CheckFalse() : "False";
      break;
    }
    default: textValue_.clear();
  }
  Changed(false);
}
void TInspectorItem::SetValues(TStrings* v) { values_->Assign(v); }
TIcon* TInspectorItem::ShellIcon(int Size, bool SmallStyle) {
  if (!autoIcon_ || url_.empty() || Size <= 0) return nullptr;
  const std::string key = std::to_string(Size) + (SmallStyle ? "s" : "l") + std::to_string(autoIconIndex_) + ":" + url_;
  if (key != shellIconFor_) {
    shellIconFor_ = key;
    shellIcon_ = std::make_unique<TIcon>();
    const std::string up = UpperCase(url_);
    const bool hasIcons = up.find(".EXE") != std::string::npos || up.find(".DLL") != std::string::npos ||
                          up.find(".ICO") != std::string::npos || (!SmallStyle && up.find(".ICL") != std::string::npos);
    bool found;
    if (hasIcons && url_.find("://") == std::string::npos && LoadIconFileImage(shellIcon_.get(), url_, autoIconIndex_, Size))
      found = true;
    else if (up.find(".ICO") != std::string::npos && url_.find("://") == std::string::npos)
      found = false;  // an icon file without that image shows none
    else
      found = LoadShellIcon(shellIcon_.get(), url_, Size);
    if (!found) shellIcon_.reset();
  }
  return shellIcon_.get();
}

void TInspectorItem::SetIcon(TIcon* v) {
  if (!v) {
    icon_.reset();
  } else {
    if (!icon_) icon_ = std::make_unique<TIcon>();
    icon_->Assign(v);
  }
  Changed(false);
}
void TInspectorItem::SetHeight(int v) {
  height_ = v;
  BarChanged();
}
void TInspectorItem::SetVisible(bool v) {
  visible_ = v;
  BarChanged();
}
void TInspectorItem::SetBitmap(TBitmap* v) {
  bitmap_->Assign(v);
  Changed(false);
}
void TInspectorItem::SetPictureValue(TPicture* v) {
  pictureValue_->Assign(v);
  Changed(false);
}
void TInspectorItem::SetBackground(TInspImage* v) {
  background_->Assign(v);
  Changed(false);
}

void TInspectorItem::SetShortCut(TShortCut v) {
  if (v != 0) {
    if (TInspectorPanel* panel = Panel()) {
      if (panel->ShortCut() == v) {
        ShowMessage("ShortCut already assigned to panel");
        return;
      }
      for (int i = 0; i < panel->Items()->Count(); ++i) {
        TInspectorItem* other = panel->Items()->GetItem(i);
        if (other != this && other->ShortCut() == v) {
          ShowMessage("ShortCut already assigned to another item [" + std::to_string(i) + "]");
          return;
        }
      }
    }
  }
  shortCut_ = v;
}

int TInspectorItem::ChildCount() const {
  auto* items = Collection();
  if (!items) return 0;
  int n = 0;
  for (int i = Index() + 1; i < items->Count(); ++i) {
    if (static_cast<TInspectorItem*>(items->Items(i))->Level() <= level_) break;
    ++n;
  }
  return n;
}

void TInspectorItem::SetCollapsed(bool v) {
  auto* items = Collection();
  collapsed_ = v;
  if (!items) return;
  for (int i = Index() + 1; i < items->Count(); ++i) {
    auto* row = static_cast<TInspectorItem*>(items->Items(i));
    if (row->Level() <= level_) break;
    if (v) {
      row->collapsed_ = true;
      row->SetVisible(false);
    } else if (row->Level() == level_ + 1) {
      row->SetVisible(true);
    }
  }
}

void TInspectorItem::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TInspectorItem*>(Source);
  if (!s || s == this) return;
  autoIcon_ = s->autoIcon_;
  autoIconIndex_ = s->autoIconIndex_;
  backgroundPosition_ = s->backgroundPosition_;
  boolValue_ = s->boolValue_;
  caption_ = s->caption_;
  colorValue_ = s->colorValue_;
  SetEditLink(s->editLink_);
  editMask_ = s->editMask_;
  fontValue_->Assign(s->fontValue_.get());
  help_ = s->help_;
  hint_ = s->hint_;
  height_ = s->height_;
  if (s->icon_) {
    if (!icon_) icon_ = std::make_unique<TIcon>();
    icon_->Assign(s->icon_.get());
  } else {
    icon_.reset();
  }
  imageIndex_ = s->imageIndex_;
  indent_ = s->indent_;
  intValue_ = s->intValue_;
  level_ = s->level_;
  modified_ = s->modified_;
  propertyType_ = s->propertyType_;
  readOnly_ = s->readOnly_;
  spinMin_ = s->spinMin_;
  spinMax_ = s->spinMax_;
  tag_ = s->tag_;
  textValue_ = s->textValue_;
  values_->Assign(s->values_.get());
  visible_ = s->visible_;
  url_ = s->url_;
  bitmap_->Assign(s->bitmap_.get());
  shortCut_ = s->shortCut_;
  // The background is the row's own: a deep copy, never shared.
  background_->Assign(s->background_.get());
  if (TInspectorBar* bar = Bar()) bar->RowsChanged();
}

std::string TInspectorItem::DisplayName() const {
  return caption_.empty() ? "TInspectorItem" + std::to_string(Index()) : caption_;
}

// ------------------------------------------------------------------ panels
TInspectorPanels::TInspectorPanels(TInspectorBar* owner)
    : TOwnedCollection(owner, CollectionItemClass<TInspectorPanel>()) {}

TInspectorPanel* TInspectorPanels::GetItem(int Index) const {
  return static_cast<TInspectorPanel*>(TCollection::Items(Index));
}
TInspectorPanel* TInspectorPanels::Add() { return static_cast<TInspectorPanel*>(TCollection::Add()); }
TInspectorPanel* TInspectorPanels::Insert(int Index) { return static_cast<TInspectorPanel*>(TCollection::Insert(Index)); }
TInspectorBar* TInspectorPanels::Bar() const { return dynamic_cast<TInspectorBar*>(GetOwner()); }

void TInspectorPanels::Update(TCollectionItem*) {
  if (TInspectorBar* bar = Bar()) bar->Invalidate();
}

TInspectorPanel::TInspectorPanel(TCollection* collection)
    : TCollectionItem(collection),
      font_(std::make_unique<TFont>()),
      captionFont_(std::make_unique<TFont>()),
      modifiedFont_(std::make_unique<TFont>()),
      texture_(std::make_unique<TBitmap>()),
      splitter_(std::make_unique<TInspImage>()) {
  modifiedFont_->SetStyle(fsBold);
  modifiedFont_->SetColor(clNavy);
  auto changed = [this](TObject*) { Changed(false); };
  font_->OnChange = changed;
  captionFont_->OnChange = changed;
  modifiedFont_->OnChange = changed;
  texture_->OnChange = changed;
  splitter_->OnChange = changed;
}

TInspectorPanel::~TInspectorPanel() = default;

void TInspectorPanels::Notify(TCollectionItem* item, TCollectionNotification action) {
  if (action != cnExtracting) return;
  if (TInspectorBar* bar = Bar()) bar->PanelRemoved(item->Index(), Count() - 1);
}

TInspectorItems* TInspectorPanel::CreateItems() { return new TInspectorItems(this); }

TInspectorItems* TInspectorPanel::Items() const {
  if (!items_) items_.reset(const_cast<TInspectorPanel*>(this)->CreateItems());
  return items_.get();
}

TInspectorBar* TInspectorPanel::Bar() const {
  auto* panels = dynamic_cast<TInspectorPanels*>(Collection());
  return panels ? panels->Bar() : nullptr;
}

void TInspectorPanel::Changed(bool allItems) { TCollectionItem::Changed(allItems); }

void TInspectorPanel::SetItemIndex(int v) {
  if (v < 0 || v >= Items()->Count()) return;
  itemIndex_ = v;
  if (style_ == psButtons)
    if (TInspectorBar* bar = Bar()) bar->ScrollButtonIntoView(this, v);
  Changed(false);
}
void TInspectorPanel::SetTopItem(int v) {
  if (v >= 0 && v < Items()->Count()) topItem_ = v;
}
void TInspectorPanel::SetItemHeight(int v) {
  if (v > 0) itemHeight_ = v;
  Changed(false);
}
void TInspectorPanel::SetStyle(TPanelStyle v) {
  style_ = v;
  TInspectorBar* bar = Bar();
  if (bar && (bar->ComponentState() & csDesigning) && !(bar->ComponentState() & csLoading)) {
    static const int kHeights[] = {48, 20, 24, 32};
    itemHeight_ = kHeights[v];
  }
  Changed(false);
}
TMultiPanelState TInspectorPanel::MultiPanelState() const {
  if (!isOpen_) return mpsClose;
  return multiPanelState_ == mpsAlwaysOpen ? mpsAlwaysOpen : mpsOpen;
}
void TInspectorPanel::SetMultiPanelState(TMultiPanelState v) {
  multiPanelState_ = v;
  isOpen_ = v == mpsOpen || v == mpsAlwaysOpen;
  Changed(false);
}
void TInspectorPanel::SetShowModified(bool v) {
  showModified_ = v;
  if (!v)
    for (int i = 0; i < Items()->Count(); ++i) Items()->GetItem(i)->SetModified(false);
  Changed(false);
}
void TInspectorPanel::SetVisible(bool v) {
  visible_ = v;
  if (control_) control_->SetVisible(v);
  if (TInspectorBar* bar = Bar()) bar->UpdateLayout();
  Changed(false);
}
void TInspectorPanel::SetControl(TWinControl* v) {
  TInspectorBar* bar = Bar();
  if (v && bar) {
    for (int i = 0; i < bar->Panels()->Count(); ++i) {
      TInspectorPanel* p = bar->Panels()->GetItem(i);
      if (p != this && p->control_ == v) {
        ShowMessage("Control already assigned to another panel");
        return;
      }
    }
  }
  control_ = v;
  if (v && bar) v->FreeNotification(bar);
  if (bar) bar->UpdateLayout();
  Changed(false);
}
void TInspectorPanel::SetPopupMenu(TPopupMenu* v) {
  popupMenu_ = v;
  if (v)
    if (TInspectorBar* bar = Bar()) v->FreeNotification(bar);
  Changed(false);
}
void TInspectorPanel::SetShortCut(TShortCut v) {
  if (v != 0) {
    if (TInspectorBar* bar = Bar()) {
      for (int i = 0; i < bar->Panels()->Count(); ++i) {
        TInspectorPanel* p = bar->Panels()->GetItem(i);
        if (p != this && p->shortCut_ == v) {
          ShowMessage("ShortCut already assigned to another panel [" + std::to_string(i) + "]");
          return;
        }
      }
    }
    for (int i = 0; i < Items()->Count(); ++i)
      if (Items()->GetItem(i)->ShortCut() == v) {
        ShowMessage("ShortCut already assigned to another item [" + std::to_string(i) + "]");
        return;
      }
  }
  shortCut_ = v;
}

void TInspectorPanel::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TInspectorPanel*>(Source);
  if (!s || s == this) return;
  alignment_ = s->alignment_;
  allowResize_ = s->allowResize_;
  background_ = s->background_;
  buttonDownColor_ = s->buttonDownColor_;
  caption_ = s->caption_;
  captionWidth_ = s->captionWidth_;
  color_ = s->color_;
  font_->Assign(s->font_.get());
  editBorderColor_ = s->editBorderColor_;
  editBox_ = s->editBox_;
  editColor_ = s->editColor_;
  editFontColor_ = s->editFontColor_;
  gradientDirection_ = s->gradientDirection_;
  gradientEnd_ = s->gradientEnd_;
  gradientStart_ = s->gradientStart_;
  gradientSteps_ = s->gradientSteps_;
  gridLineColor_ = s->gridLineColor_;
  gridLines_ = s->gridLines_;
  hint_ = s->hint_;
  hoverCaption_ = s->hoverCaption_;
  hoverFullWidth_ = s->hoverFullWidth_;
  hoverIconColor_ = s->hoverIconColor_;
  hoverIconBorderColor_ = s->hoverIconBorderColor_;
  hoverIconDownColor_ = s->hoverIconDownColor_;
  imageIndex_ = s->imageIndex_;
  indent_ = s->indent_;
  popupMenu_ = s->popupMenu_;
  modifiedFont_->Assign(s->modifiedFont_.get());
  multiPanelState_ = s->multiPanelState_;
  variableItemHeight_ = s->variableItemHeight_;
  itemHeight_ = s->itemHeight_;
  Items()->Assign(s->Items());
  showModified_ = s->showModified_;
  style_ = s->style_;
  tag_ = s->tag_;
  texture_->Assign(s->texture_.get());
  topItem_ = s->topItem_;
  wordWrap_ = s->wordWrap_;
  wordWrapCaption_ = s->wordWrapCaption_;
  visible_ = s->visible_;
  // A hosted control stands on one panel only: it is not copied.
  shortCut_ = s->shortCut_;
  selectFontColor_ = s->selectFontColor_;
  selectColor_ = s->selectColor_;
  itemIndex_ = s->itemIndex_;
  // The splitter picture is the panel's own: a deep copy.
  splitter_->Assign(s->splitter_.get());
  Changed(false);
}

std::string TInspectorPanel::DisplayName() const {
  return caption_.empty() ? "TInspectorPanel" + std::to_string(Index()) : caption_;
}

// ------------------------------------------------------------------ bar
TInspectorBar::TInspectorBar(TComponent* AOwner)
    : TCustomPanel(AOwner),
      panelCaption_(std::make_unique<TInspectorCaption>()),
      helpPanel_(std::make_unique<TInspectorHelp>()),
      shading_(std::make_unique<TBitmap>()),
      nodeOpen_(std::make_unique<TBitmap>()),
      nodeClose_(std::make_unique<TBitmap>()) {
  isWinXP_ = IsWindowsXPOrLater();
  LoadNodeGlyphs(*nodeOpen_, *nodeClose_);
  panelCaption_->OnChange = [this](TObject*) { Invalidate(); };
  panelCaption_->OnShadeChange = [this](TObject*) {
    UpdateCaptionBitmaps();
    Invalidate();
  };
  helpPanel_->OnChange = [this](TObject*) {
    UpdateLayout();
    Invalidate();
  };
  SetWidth(180);
  SetAlign(alLeft);
  SetTabStop(true);
  UpdateCaptionBitmaps();
  CreateEditors();
  CreateCaptionEditors();
  scrollTimer_ = new TTimer(this);
  scrollTimer_->SetInterval(150);
  scrollTimer_->OnTimer = [this](TObject*) { ScrollTimer(); };
  scrollBar_ = new TScrollBar(this);
  scrollBar_->SetKind(sbVertical);
  scrollBar_->SetVisible(false);
  scrollBar_->SetTabStop(false);
  scrollBar_->SetParent(this);
  scrollBar_->OnChange = [this](TObject*) { ScrollBarMoved(); };
  scrollBar_->OnKeyDown = [this](TObject*, WORD& Key, TShiftState Shift) { KeyDown(Key, Shift); };
}

TInspectorBar::~TInspectorBar() {
  destroying_ = true;
  // A popup editor open now would outlive the bar that placed it.
  CloseEditLink();
  // The editors go before the rows they point at; none may call back into a bar being destroyed.
  for (TWinControl* e : std::initializer_list<TWinControl*>{edit_, combo_, colorCombo_, spin_, editBtn_, dateTime_,
                                                           label_.Edit, label_.Memo, scrollBar_})
    delete e;
  scrollBar_ = nullptr;
  edit_ = nullptr;
  combo_ = nullptr;
  colorCombo_ = nullptr;
  spin_ = nullptr;
  editBtn_ = nullptr;
  dateTime_ = nullptr;
  ForgetLabelEdit();
  ResetEditState();
  panels_.reset();
}

void TInspectorBar::AlignControls(TControl* AControl) {
  TCustomPanel::AlignControls(AControl);
  if (ComponentState() & csDesigning) PlaceControls();
}

TInspectorPanels* TInspectorBar::CreatePanels() { return new TInspectorPanels(this); }

TInspectorPanels* TInspectorBar::Panels() const {
  if (!panels_ && !destroying_) panels_.reset(const_cast<TInspectorBar*>(this)->CreatePanels());
  return panels_.get();
}

void TInspectorBar::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomPanel::Notification(AComponent, Operation);
  if (Operation != opRemove || !panels_) return;
  if (AComponent == images_) {
    images_ = nullptr;
    Invalidate();
  }
  if (AComponent == ActiveLink()) EditLinkFreed();
  for (int i = 0; i < Panels()->Count(); ++i) {
    TInspectorPanel* p = Panels()->GetItem(i);
    if (p->control_ == AComponent) p->SetControl(nullptr);
    if (p->popupMenu_ == AComponent) p->popupMenu_ = nullptr;
    for (int r = 0; r < p->Items()->Count(); ++r)
      if (p->Items()->GetItem(r)->EditLink() == AComponent) p->Items()->GetItem(r)->SetEditLink(nullptr);
  }
}

void TInspectorBar::PanelRemoved(int Index, int CountAfter) {
  TInspectorPanel* gone = panels_ && !destroying_ ? Panels()->GetItem(Index) : nullptr;
  auto on = [gone](TInspectorItem* it) { return gone && it && it->Panel() == gone; };
  EditPanelRemoved(gone);
  if (on(LabelEditItem())) StopLabelEdit(false);
  ForgetHover(nullptr);
  ForgetFramed(nullptr);
  if (Index < topPanel_ || (Index == topPanel_ && Index > 0)) --topPanel_;
  topPanel_ = std::clamp(topPanel_, 0, std::max(CountAfter - 1, 0));
}

void TInspectorBar::ItemRemoved(TInspectorItem* Item) {
  EditRowRemoved(Item);
  if (LabelEditItem() == Item) StopLabelEdit(false);
  ForgetHover(Item);
  ForgetFramed(Item);
}

void TInspectorBar::SetTopPanel(int v) {
  if (mode_ == imMultiPanelActive || v >= Panels()->Count() || v < 0) return;
  for (int i = 0; i < Panels()->Count(); ++i) Panels()->GetItem(i)->isOpen_ = false;
  Panels()->GetItem(v)->isOpen_ = true;
  topPanel_ = v;
  UpdateLayout();
  Invalidate();
}

void TInspectorBar::SetMode(TInspectorBarMode v) {
  mode_ = v;
  if (v == imMultiPanelActive) {
    for (int i = 1; i < Panels()->Count(); ++i) Panels()->GetItem(i)->isOpen_ = false;
    const int a = ActivePanel();
    if (a >= 0) Panels()->GetItem(a)->isOpen_ = true;
  } else {
    scrollShown_ = false;
    scrollPos_ = 0;
  }
  UpdateLayout();
  Invalidate();
}

std::vector<TInspLayoutPanel> TInspectorBar::LayoutPanels() const { return LayoutInput()->Panels; }

int TInspectorBar::PanelAreaHeight() const { return Height() - (helpPanel_->Visible() ? helpPanel_->Height() : 0); }

int TInspectorBar::SideWidth() const { return panelCaption_->SideDisplay() ? panelCaption_->SideWidth() : 0; }

// The scroll bar of multi-panel mode is as wide as a vertical scroll bar.
static constexpr int kScrollBarWidth = 16;

int TInspectorBar::ClientRight() const { return Width() - (scrollShown_ ? kScrollBarWidth : 0); }

int TInspectorBar::ItemAreaRight() const {
  return ClientRight() - (mode_ == imSinglePanelActive && (upArrow_ || downArrow_) ? 20 : 0);
}

namespace {
bool SameScalars(const TInspLayoutInput& A, const TInspLayoutInput& B) {
  if (A.CaptionHeight != B.CaptionHeight || A.PanelAreaHeight != B.PanelAreaHeight || A.Width != B.Width ||
      A.SideWidth != B.SideWidth || A.TopPanel != B.TopPanel || A.ScrollPosition != B.ScrollPosition ||
      A.ScrollBarWidth != B.ScrollBarWidth || A.ScrollBarShown != B.ScrollBarShown ||
      A.Panels.size() != B.Panels.size())
    return false;
  for (size_t i = 0; i < A.Panels.size(); ++i) {
    const TInspLayoutPanel &a = A.Panels[i], &b = B.Panels[i];
    if (a.Visible != b.Visible || a.Open != b.Open || a.TopItem != b.TopItem) return false;
  }
  return true;
}
}  // namespace

// The scalars are compared on every call (a few per panel); the rows are read again only when
// a row, a row list or a panel's row height changed since they were read.
std::shared_ptr<const TInspLayoutInput> TInspectorBar::LayoutInput() const {
  TLayoutCache& c = layout_;
  const int n = panels_ ? Panels()->Count() : 0;
  auto in = std::make_shared<TInspLayoutInput>();
  in->Panels.resize(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    const TInspectorPanel* p = Panels()->GetItem(i);
    TInspLayoutPanel& lp = in->Panels[static_cast<size_t>(i)];
    lp.Visible = p->Visible();
    lp.Open = p->IsOpen();
    lp.TopItem = p->TopItem();
  }
  in->CaptionHeight = panelCaption_->Height();
  in->PanelAreaHeight = PanelAreaHeight();
  in->Width = Width();
  in->SideWidth = SideWidth();
  in->TopPanel = topPanel_;
  in->ScrollBarShown = scrollShown_;
  in->ScrollPosition = scrollPos_;
  in->ScrollBarWidth = kScrollBarWidth;

  bool rowsKept = c.Input && c.BuiltRevision == c.RowsRevision && c.PanelsRevision == (panels_ ? Panels()->Revision() : 0) &&
                  c.ItemsRevisions.size() == static_cast<size_t>(n);
  for (int i = 0; rowsKept && i < n; ++i) {
    const TInspectorPanel* p = Panels()->GetItem(i);
    rowsKept = c.ItemsRevisions[static_cast<size_t>(i)] == p->Items()->Revision() &&
               c.RowHeights[static_cast<size_t>(i)] == (p->VariableItemHeight() ? -1 : p->ItemHeight());
  }
  if (rowsKept && SameScalars(*c.Input, *in)) return c.Input;
  if (rowsKept) {
    for (int i = 0; i < n; ++i) in->Panels[static_cast<size_t>(i)].Rows = c.Input->Panels[static_cast<size_t>(i)].Rows;
  } else {
    ++c.RowReads;
    c.ItemsRevisions.assign(static_cast<size_t>(n), 0);
    c.RowHeights.assign(static_cast<size_t>(n), 0);
    for (int i = 0; i < n; ++i) {
      TInspectorPanel* p = Panels()->GetItem(i);
      std::vector<int>& rows = in->Panels[static_cast<size_t>(i)].Rows;
      rows.reserve(static_cast<size_t>(p->Items()->Count()));
      for (int r = 0; r < p->Items()->Count(); ++r) {
        TInspectorItem* it = p->Items()->GetItem(r);
        rows.push_back(!it->Visible() ? -1 : p->VariableItemHeight() ? it->Height() : p->ItemHeight());
      }
      c.ItemsRevisions[static_cast<size_t>(i)] = p->Items()->Revision();
      c.RowHeights[static_cast<size_t>(i)] = p->VariableItemHeight() ? -1 : p->ItemHeight();
    }
    c.BuiltRevision = c.RowsRevision;
    c.PanelsRevision = panels_ ? Panels()->Revision() : 0;
  }
  c.Input = std::move(in);
  c.Single.reset();
  c.Multi.reset();
  return c.Input;
}

void TInspectorBar::ScrollButtonIntoView(TInspectorPanel* Panel, int Index) {
  if (mode_ != imSinglePanelActive) return;
  const auto in = LayoutInput();
  const std::vector<TInspLayoutPanel>& ps = in->Panels;
  const TInspLayoutPanel& lp = ps[Panel->Index()];
  const int bodyTop = (InspVisiblePosition(ps, std::max(0, ActivePanel())) + 1) * panelCaption_->Height();
  int top = bodyTop;
  for (int r = Panel->TopItem(); r < Index; ++r)
    if (lp.Rows[r] >= 0) top += lp.Rows[r];
  const int bottom = top + std::max(0, lp.Rows[Index]);
  const int overshoot = bottom - ButtonAreaHeight();
  // Never past the selected row itself, so it always lands in view.
  if (overshoot > 0)
    Panel->SetTopItem(std::min(Index, Panel->TopItem() + overshoot / std::max(1, Panel->ItemHeight()) + 1));
  else if (top <= bodyTop)
    Panel->SetTopItem(Index);
}

std::shared_ptr<const TInspLayout> TInspectorBar::KeptLayout(bool Multi) const {
  const auto in = LayoutInput();
  std::shared_ptr<const TInspLayout>& slot = Multi ? layout_.Multi : layout_.Single;
  if (!slot) {
    ++layout_.Builds;
    slot = std::make_shared<const TInspLayout>(Multi ? InspMultiLayout(*in) : InspSingleLayout(*in));
  }
  return slot;
}

std::shared_ptr<const TInspLayout> TInspectorBar::SingleLayout() const { return KeptLayout(false); }
std::shared_ptr<const TInspLayout> TInspectorBar::MultiLayout() const { return KeptLayout(true); }

int TInspectorBar::ActivePanel() const { return InspActivePanel(LayoutInput()->Panels, topPanel_); }

void TInspectorBar::Loaded() {
  TCustomPanel::Loaded();
  defaultCursor_ = Cursor();
  UpdateLayout();
  Invalidate();
}

void TInspectorBar::UpdateLayout() {
  if (!panels_) return;
  firstOpen_ = lastOpen_ = -1;
  for (int i = 0; i < Panels()->Count(); ++i) {
    const TInspectorPanel* p = Panels()->GetItem(i);
    if (!p->Visible() || !p->IsOpen()) continue;
    if (firstOpen_ < 0) firstOpen_ = i;
    lastOpen_ = i;
  }
  if (mode_ != imMultiPanelActive) {
    if (scrollBar_) scrollBar_->SetVisible(false);
    PlaceControls();
    return;
  }
  const int total = MultiLayout()->TotalHeight;
  const int area = PanelAreaHeight();
  scrollShown_ = total > area;
  if (!scrollShown_) scrollPos_ = 0;
  scrollPos_ = std::clamp(scrollPos_, 0, std::max(0, total - area));
  if (!scrollBar_) return;
  syncingScroll_ = true;
  scrollBar_->SetBounds(Width() - kScrollBarWidth, 0, kScrollBarWidth, std::max(0, area));
  scrollBar_->SetParams(scrollPos_, 0, std::max(0, total - area));
  scrollBar_->SetSmallChange(20);
  scrollBar_->SetLargeChange(100);
  scrollBar_->SetVisible(scrollShown_);
  syncingScroll_ = false;
  PlaceControls();
}

void TInspectorBar::PlaceControls() {
  if (!panels_) return;
  const std::vector<TInspControlPlace> places = InspControlPlaces(*LayoutInput(), mode_ == imMultiPanelActive);
  for (int i = 0; i < Panels()->Count(); ++i) {
    TWinControl* c = Panels()->GetItem(i)->Control();
    if (!c) continue;
    const TInspControlPlace& at = places[static_cast<size_t>(i)];
    if (at.Shown) {
      c->SetBounds(at.Bounds.Left, at.Bounds.Top, at.Bounds.Right - at.Bounds.Left,
                   at.Bounds.Bottom - at.Bounds.Top);
    } else {
      c->SetBounds(c->Left(), c->Top(), 0, 0);
    }
    c->SetVisible(at.Shown);
  }
}

void TInspectorBar::ThemeAdapt() {
  switch (CurrentXPColorScheme()) {
    case 1: return SetStyle(esOffice2003Blue);
    case 2: return SetStyle(esOffice2003Olive);
    case 3: return SetStyle(esOffice2003Silver);
    default: return SetStyle(esOffice2003Classic);
  }
}

void TInspectorBar::WndProc(TMessage& Message) {
  TCustomPanel::WndProc(Message);
  if ((Message.Msg == WM_THEMECHANGED || Message.Msg == CM_SYSFONTCHANGED) && autoThemeAdapt_) ThemeAdapt();
  // Themed arrows and glyphs are drawn in the new look, or in the classic one without a theme.
  if (Message.Msg == WM_THEMECHANGED) Invalidate();
}

void TInspectorBar::ScrollBy(int Delta) {
  scrollPos_ += Delta;
  UpdateLayout();
}

void TInspectorBar::ScrollBarMoved() {
  if (syncingScroll_) return;
  scrollPos_ = scrollBar_->Position();
  EndEdit();
  if (LabelEditItem()) StopLabelEdit(false);
  PlaceControls();
  Invalidate();
}

void TInspectorBar::GetItemRect(TInspectorPanel* Panel, TInspectorItem* Item, TRect& R) {
  R = TRect();
  if (!Panel || !Item || Item->Panel() != Panel) return;
  const auto in = LayoutInput();
  const int p = Panel->Index(), r = Item->Index();
  if (mode_ == imSinglePanelActive) {
    const auto L = SingleLayout();
    if (p != L->Active || r < Panel->TopItem() || !Item->Visible()) return;
    int top = L->Body.Top;
    for (int i = Panel->TopItem(); i < r; ++i)
      if (in->Panels[p].Rows[i] >= 0) top += in->Panels[p].Rows[i];
    R = TRect(0, top, Width(), top + in->Panels[p].Rows[r]);
  } else {
    const auto L = MultiLayout();
    if (!Panel->IsOpen() || L->Rows[p].empty()) return;
    const TRect& row = L->Rows[p][r];
    if (row.Bottom == row.Top) return;
    R = TRect(0, row.Top, ItemAreaRight(), row.Bottom);
  }
}

void TInspectorBar::Invalidate() {
  wholeRepaintPending_ = true;
  TCustomPanel::Invalidate();
}

// Rows added or changed one by one while the whole bar waits for its repaint cost no layout
// each, so filling a bar stays linear in its rows.
void TInspectorBar::RepaintItem(TInspectorItem* Item) {
  if ((ComponentState() & csLoading) || wholeRepaintPending_) return;
  TInspectorPanel* panel = Item->Panel();
  if (!panel) return;
  if (mode_ == imSinglePanelActive ? panel->Index() != ActivePanel() : !panel->IsOpen()) return;
  TRect r;
  GetItemRect(panel, Item, r);
  if (r.Right > r.Left && r.Bottom > r.Top) InvalidateRect(r);
}

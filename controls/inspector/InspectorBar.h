#pragma once
// The inspector bar's content: panels of typed property rows, every value held
// as text, and the bar that owns them.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/inspector/InspCaption.h"
#include "controls/inspector/InspImage.h"
#include "controls/inspector/InspLayout.h"
#include "platform/gui/Controls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/Menus.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"

class TInspectorBar;
class TInspectorPanel;
class TInspectorItem;
class TInspectorEditLink;
class TInspectorEdit;
class TInspectorCombo;
class TInspectorColorCombo;
class TInspectorSpin;
class TInspectorEditBtn;
class TInspectorDateTimePicker;
class TTimer;
class TCustomEdit;
class TScrollBar;

enum TPropertyType {
  ptInteger, ptFloat, ptText, ptColor, ptFont, ptBoolean, ptValues, ptIntSpin, ptTextButton, ptPropButton,
  ptDate, ptTime, ptCustom, ptValuesList, ptFixedColor, ptButton, ptPassword, ptPicture
};
enum TPanelStyle { psLargeIcon, psSmallIcon, psProperties, psButtons };
enum TImageAlign { iaLeft, iaRight };
enum TPanelBackground { pbSolid, pbGradient, pbTexture };
enum TGradientDirection { gdVertical, gdHorizontal };
enum TMultiPanelState { mpsOpen, mpsClose, mpsAlwaysOpen };
enum TInspBackgroundPos { bpTopLeft, bpBottomLeft, bpTopRight, bpBottomRight };
enum TInspectorBarMode { imSinglePanelActive, imMultiPanelActive };

// The text the ColorValue setter writes: a colour name without "cl", or "$" and
// eight upper-case hexadecimal digits.
std::string InspColorName(TColor Color);

// A plain property: stores and tells the owner through Changed().
#define INSP_PROP(Type, Name, field)                 \
  Type Name() const { return field; }                \
  void Set##Name(Type v) {                           \
    field = v;                                       \
    Changed(false);                                  \
  }
// Stores only.
#define INSP_FIELD(Type, Name, field) \
  Type Name() const { return field; } \
  void Set##Name(Type v) { field = v; }

class TInspectorItems : public TOwnedCollection {
 public:
  explicit TInspectorItems(TInspectorPanel* owner);
  TInspectorItem* GetItem(int Index) const;
  TInspectorItem* Items(int Index) const { return GetItem(Index); }
  TInspectorItem* Add();
  TInspectorItem* Insert(int Index);
  TInspectorPanel* Panel() const;

 protected:
  void Update(TCollectionItem* item) override;
  void Notify(TCollectionItem* item, TCollectionNotification action) override;
};

class TInspectorItem : public TCollectionItem {
 public:
  explicit TInspectorItem(TCollection* collection);
  ~TInspectorItem() override;
  std::string ClassName() const override { return "TInspectorItem"; }
  void Assign(TPersistent* Source) override;
  std::string DisplayName() const override;

  TInspectorPanel* Panel() const;
  TInspectorBar* Bar() const;

  // Called by the inplace editing: start, stop, toggle, and on every change in the editor.
  virtual void EditStart() {}
  virtual void EditStop() {}
  virtual void EditToggle() {}
  virtual void EditChange() {}

  const std::string& TextValue() const { return textValue_; }
  void SetTextValue(const std::string& v);
  int IntValue() const { return intValue_; }
  void SetIntValue(int v);
  bool BoolValue() const { return boolValue_; }
  void SetBoolValue(bool v);
  TColor ColorValue() const { return colorValue_; }
  void SetColorValue(TColor v);
  TFont* FontValue() const { return fontValue_.get(); }
  void SetFontValue(TFont* v);
  TDateTime DateTimeValue() const { return dateTimeValue_; }
  void SetDateValue(TDateTime v);
  void SetTimeValue(TDateTime v);
  TPropertyType PropertyType() const { return propertyType_; }
  void SetPropertyType(TPropertyType v);
  TStringList* Values() const { return values_.get(); }
  void SetValues(TStrings* v);
  TIcon* Icon() const { return icon_.get(); }
  void SetIcon(TIcon* v);
  // With AutoIcon, the icon of URL, Size pixels square (kept until URL, AutoIconIndex or Size
  // changes): an icon file (".ICO") gives its image AutoIconIndex; a link ("://") a web page's
  // icon; anything else, program and library files too, the desktop's icon of the file (an
  // icon library ".ICL" of a large-icon row is read as an icon file first). Null without
  // AutoIcon or URL, or for an icon file without that image.
  TIcon* ShellIcon(int Size, bool SmallStyle = false);
  int Height() const { return height_; }
  void SetHeight(int v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut v);
  TBitmap* Bitmap() const { return bitmap_.get(); }
  void SetBitmap(TBitmap* v);
  TPicture* PictureValue() const { return pictureValue_.get(); }
  void SetPictureValue(TPicture* v);
  TInspImage* Background() const { return background_.get(); }
  void SetBackground(TInspImage* v);

  INSP_PROP(const std::string&, Caption, caption_)
  INSP_FIELD(const std::string&, Hint, hint_)
  INSP_FIELD(const std::string&, Help, help_)
  INSP_FIELD(int, Tag, tag_)
  INSP_FIELD(bool, ReadOnly, readOnly_)
  INSP_FIELD(const std::string&, EditMask, editMask_)
  INSP_PROP(int, MaxLength, maxLength_)
  INSP_FIELD(int, SpinMin, spinMin_)
  INSP_FIELD(int, SpinMax, spinMax_)
  INSP_PROP(int, Level, level_)
  INSP_PROP(int, Indent, indent_)
  INSP_PROP(int, ImageIndex, imageIndex_)
  INSP_PROP(bool, AutoIcon, autoIcon_)
  INSP_PROP(int, AutoIconIndex, autoIconIndex_)
  INSP_PROP(TInspBackgroundPos, BackgroundPosition, backgroundPosition_)
  INSP_PROP(const std::string&, URL, url_)
  INSP_PROP(bool, Modified, modified_)
  INSP_PROP(bool, ButtonDown, buttonDown_)
  INSP_PROP(bool, Pressed, pressed_)
  TInspectorEditLink* EditLink() const { return editLink_; }
  void SetEditLink(TInspectorEditLink* v);
  INSP_FIELD(const std::string&, HoverAnchor, hoverAnchor_)
  // Where the last painting put the row's caption (icon styles; empty for property rows).
  const TRect& CaptionRect() const { return captionRect_; }

  // The row tree: rows after this one with a deeper Level, up to the next that is not deeper.
  int ChildCount() const;
  bool Collapsed() const { return collapsed_; }
  void SetCollapsed(bool v);

 protected:
  // Reports the row changed (repaints its rectangle).
  void Changed(bool allItems);
  void BarChanged();

 private:
  friend class TInspectorBar;
  TRect captionRect_;
  std::string caption_, hint_, help_, textValue_, editMask_, url_, hoverAnchor_;
  int tag_ = 0, intValue_ = 0, maxLength_ = 0, spinMin_ = 0, spinMax_ = 100, height_ = 48, level_ = 0,
      indent_ = 0, imageIndex_ = -1, autoIconIndex_ = 0;
  bool visible_ = true, readOnly_ = false, boolValue_ = false, autoIcon_ = false, modified_ = false,
       collapsed_ = false, buttonDown_ = false, pressed_ = false;
  TColor colorValue_ = clBlack;
  TPropertyType propertyType_ = ptInteger;
  TDateTime dateTimeValue_ = 0;
  TShortCut shortCut_ = 0;
  TInspBackgroundPos backgroundPosition_ = bpBottomRight;
  TInspectorEditLink* editLink_ = nullptr;
  std::unique_ptr<TFont> fontValue_;
  std::unique_ptr<TStringList> values_;
  std::unique_ptr<TIcon> icon_;
  std::unique_ptr<TBitmap> bitmap_;
  std::unique_ptr<TPicture> pictureValue_;
  std::unique_ptr<TInspImage> background_;
  std::unique_ptr<TIcon> shellIcon_;
  std::string shellIconFor_;
};

class TInspectorPanels : public TOwnedCollection {
 public:
  explicit TInspectorPanels(TInspectorBar* owner);
  TInspectorPanel* GetItem(int Index) const;
  TInspectorPanel* Items(int Index) const { return GetItem(Index); }
  TInspectorPanel* Add();
  TInspectorPanel* Insert(int Index);
  TInspectorBar* Bar() const;

 protected:
  void Update(TCollectionItem* item) override;
  void Notify(TCollectionItem* item, TCollectionNotification action) override;
};

class TInspectorPanel : public TCollectionItem {
 public:
  explicit TInspectorPanel(TCollection* collection);
  ~TInspectorPanel() override;
  std::string ClassName() const override { return "TInspectorPanel"; }
  void Assign(TPersistent* Source) override;
  std::string DisplayName() const override;

  TInspectorBar* Bar() const;
  // Made on first use through CreateItems, so that a descendant's own collection is the one used.
  TInspectorItems* Items() const;
  void SetItems(TInspectorItems* v) { Items()->Assign(v); }

  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int v);
  int TopItem() const { return topItem_; }
  void SetTopItem(int v);
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int v);
  TPanelStyle Style() const { return style_; }
  void SetStyle(TPanelStyle v);
  TMultiPanelState MultiPanelState() const;
  void SetMultiPanelState(TMultiPanelState v);
  bool IsOpen() const { return isOpen_; }
  void SetIsOpen(bool v) { isOpen_ = v; }
  bool ShowModified() const { return showModified_; }
  void SetShowModified(bool v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  TWinControl* Control() const { return control_; }
  void SetControl(TWinControl* v);
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut v);
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* v);
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* v) { font_->Assign(v); }
  TFont* CaptionFont() const { return captionFont_.get(); }
  void SetCaptionFont(TFont* v) { captionFont_->Assign(v); }
  TFont* ModifiedFont() const { return modifiedFont_.get(); }
  void SetModifiedFont(TFont* v) { modifiedFont_->Assign(v); }
  TBitmap* Texture() const { return texture_.get(); }
  void SetTexture(TBitmap* v) { texture_->Assign(v); }
  TInspImage* Splitter() const { return splitter_.get(); }
  void SetSplitter(TInspImage* v) { splitter_->Assign(v); }

  INSP_PROP(const std::string&, Caption, caption_)
  INSP_PROP(const std::string&, Hint, hint_)
  INSP_PROP(int, Tag, tag_)
  INSP_PROP(bool, VariableItemHeight, variableItemHeight_)
  INSP_PROP(int, CaptionWidth, captionWidth_)
  INSP_PROP(TAlignment, Alignment, alignment_)
  INSP_PROP(int, Indent, indent_)
  INSP_PROP(int, ImageIndex, imageIndex_)
  INSP_PROP(TImageAlign, ImageAlign, imageAlign_)
  INSP_PROP(int, IconLargeSize, iconLargeSize_)
  INSP_PROP(TColor, Color, color_)
  INSP_PROP(TColor, CaptionColor, captionColor_)
  INSP_PROP(TPanelBackground, Background, background_)
  INSP_PROP(TColor, GradientStart, gradientStart_)
  INSP_PROP(TColor, GradientEnd, gradientEnd_)
  INSP_PROP(int, GradientSteps, gradientSteps_)
  INSP_PROP(TGradientDirection, GradientDirection, gradientDirection_)
  INSP_PROP(bool, GridLines, gridLines_)
  INSP_PROP(TColor, GridLineColor, gridLineColor_)
  INSP_PROP(bool, EditBox, editBox_)
  INSP_PROP(TColor, EditColor, editColor_)
  INSP_PROP(TColor, EditFontColor, editFontColor_)
  INSP_PROP(TColor, EditBorderColor, editBorderColor_)
  INSP_PROP(TColor, SelectColor, selectColor_)
  INSP_FIELD(TColor, SelectColorTo, selectColorTo_)
  INSP_PROP(TColor, SelectFontColor, selectFontColor_)
  INSP_PROP(TColor, SelectBorderColor, selectBorderColor_)
  INSP_FIELD(TColor, SelectDownColor, selectDownColor_)
  INSP_FIELD(TColor, SelectDownColorTo, selectDownColorTo_)
  INSP_PROP(bool, HoverCaption, hoverCaption_)
  INSP_PROP(bool, HoverFullWidth, hoverFullWidth_)
  INSP_PROP(TColor, HoverIconColor, hoverIconColor_)
  INSP_FIELD(TColor, HoverIconColorTo, hoverIconColorTo_)
  INSP_PROP(TColor, HoverIconBorderColor, hoverIconBorderColor_)
  INSP_PROP(TColor, HoverIconDownColor, hoverIconDownColor_)
  INSP_FIELD(TColor, HoverIconDownColorTo, hoverIconDownColorTo_)
  INSP_PROP(TColor, ButtonDownColor, buttonDownColor_)
  INSP_PROP(bool, WordWrap, wordWrap_)
  INSP_PROP(bool, WordWrapCaption, wordWrapCaption_)
  INSP_PROP(bool, LabelEdit, labelEdit_)
  INSP_PROP(bool, AllowResize, allowResize_)

 protected:
  virtual TInspectorItems* CreateItems();
  // Reports the panel changed (invalidates the bar).
  void Changed(bool allItems);

 private:
  friend class TInspectorBar;
  std::string caption_, hint_;
  int tag_ = 0, itemIndex_ = -1, topItem_ = 0, itemHeight_ = 48, captionWidth_ = 60, indent_ = 0,
      imageIndex_ = -1, iconLargeSize_ = 32, gradientSteps_ = 20;
  bool visible_ = true, variableItemHeight_ = false, showModified_ = false, gridLines_ = false, editBox_ = false,
       hoverCaption_ = false, hoverFullWidth_ = false, wordWrap_ = false, wordWrapCaption_ = false,
       labelEdit_ = false, allowResize_ = false, isOpen_ = false;
  TPanelStyle style_ = psLargeIcon;
  TAlignment alignment_ = taCenter;
  TImageAlign imageAlign_ = iaLeft;
  TColor color_ = clGray, captionColor_ = clNone, gradientStart_ = clWhite, gradientEnd_ = clSilver,
         gridLineColor_ = clGray, editColor_ = clWhite, editFontColor_ = clBlack, editBorderColor_ = clNone,
         selectColor_ = clNavy, selectColorTo_ = clNone, selectFontColor_ = clYellow, selectBorderColor_ = clBlack,
         selectDownColor_ = clBlack, selectDownColorTo_ = clNone, hoverIconColor_ = clNone,
         hoverIconColorTo_ = clNone, hoverIconBorderColor_ = clNone, hoverIconDownColor_ = clNone,
         hoverIconDownColorTo_ = clNone, buttonDownColor_ = clSilver;
  TPanelBackground background_ = pbSolid;
  TGradientDirection gradientDirection_ = gdVertical;
  TMultiPanelState multiPanelState_ = mpsClose;
  TShortCut shortCut_ = 0;
  TWinControl* control_ = nullptr;
  TPopupMenu* popupMenu_ = nullptr;
  mutable std::unique_ptr<TInspectorItems> items_;
  std::unique_ptr<TFont> font_, captionFont_, modifiedFont_;
  std::unique_ptr<TBitmap> texture_;
  std::unique_ptr<TInspImage> splitter_;
};

#undef INSP_PROP
#undef INSP_FIELD

enum TInspectorBarStyle {
  esOffice2003Blue, esOffice2003Silver, esOffice2003Olive, esOffice2003Classic, esCustom, esWhidbey
};
enum TInspectorEditButton { ebDropDown, ebMore, ebSpin, ebNone };

using TPanelDrawEvent =
    std::function<void(TObject* Sender, TInspectorPanel* Panel, TCanvas* Canvas, const TRect& R, bool& DefaultDraw)>;
using TItemDrawEvent =
    std::function<void(TObject* Sender, TInspectorItem* Item, TCanvas* Canvas, const TRect& R, bool& DefaultDraw)>;
using TItemValueEvent =
    std::function<void(TObject* Sender, TInspectorPanel* Panel, TInspectorItem* Item, std::string& Value)>;
using TCustomEditButtonEvent =
    std::function<void(TObject* Sender, TInspectorItem* Item, TInspectorEditButton& EditButton)>;
using TCustomEditDrawEvent = TItemDrawEvent;
using TInspectorItemEvent = std::function<void(TObject* Sender, TInspectorPanel* Panel, TInspectorItem* Item)>;
using TInspectorPanelEvent = std::function<void(TObject* Sender, TInspectorPanel* Panel)>;
using TInspectorAnchorEvent =
    std::function<void(TObject* Sender, TInspectorPanel* Panel, const std::string& Anchor, TInspectorItem* Item)>;
using TInspectorHelpAnchorEvent = std::function<void(TObject* Sender, const std::string& Anchor)>;
// A URL clicked or a file dropped; clearing Allow stops what would follow.
using TInspectorURLEvent = std::function<void(TObject* Sender, const std::string& URL, bool& Allow)>;
using TInspectorFileDropEvent = TInspectorURLEvent;
// What a row's URL opens through the desktop opener: an http(s), ftp or mail address, or an
// existing file that is not a program; empty for anything else (links may come from any program).
std::string InspectorOpenTarget(const std::string& URL);
using TInspectorStartLabelEditEvent = std::function<void(TObject* Sender, std::string& Text)>;
using TInspectorStopLabelEditEvent =
    std::function<void(TObject* Sender, const std::string& OldCaption, bool& Allow, std::string& Text)>;
using TInspectorValueListEvent = std::function<void(TObject* Sender, TInspectorItem* Item, TStrings* Values)>;
using TInspectorComboChangeEvent =
    std::function<void(TObject* Sender, TInspectorPanel* Panel, TInspectorItem* Item, int Index)>;
using TInspectorColorChangeEvent =
    std::function<void(TObject* Sender, TInspectorPanel* Panel, TInspectorItem* Item, TColor Color)>;
using TInspectorSpinEvent =
    std::function<void(TObject* Sender, TInspectorPanel* Panel, std::string& Text, TInspectorItem* Item)>;

#define INSP_BAR_FIELD(Type, Name, field) \
  Type Name() const { return field; }     \
  void Set##Name(Type v) { field = v; }
#define INSP_BAR_REPAINT(Type, Name, field) \
  Type Name() const { return field; }       \
  void Set##Name(Type v) {                  \
    field = v;                              \
    Invalidate();                           \
  }

class TInspectorBar : public TCustomPanel {
 public:
  explicit TInspectorBar(TComponent* AOwner);
  ~TInspectorBar() override;
  std::string ClassName() const override { return "TInspectorBar"; }

  // Made on first use through CreatePanels, so that a descendant's own collection is the one used.
  TInspectorPanels* Panels() const;
  void SetPanels(TInspectorPanels* v) { Panels()->Assign(v); }
  int TopPanel() const { return topPanel_; }
  void SetTopPanel(int v);
  TInspectorBarMode Mode() const { return mode_; }
  void SetMode(TInspectorBarMode v);
  const std::string& CheckTrue() const { return checkTrue_; }
  void SetCheckTrue(const std::string& v) { checkTrue_ = v; }
  const std::string& CheckFalse() const { return checkFalse_; }
  void SetCheckFalse(const std::string& v) { checkFalse_ = v; }
  bool AutoAdvance() const { return autoAdvance_; }
  void SetAutoAdvance(bool v) { autoAdvance_ = v; }
  TInspectorCaption* PanelCaption() const { return panelCaption_.get(); }
  TInspectorHelp* HelpPanel() const { return helpPanel_.get(); }
  TInspectorBarStyle Style() const { return style_; }
  void SetStyle(TInspectorBarStyle v);
  INSP_BAR_FIELD(TColor, ColorTo, colorTo_)
  INSP_BAR_REPAINT(TGradientDirection, DefaultGradientDirection, defaultGradientDirection_)
  INSP_BAR_FIELD(bool, AutoThemeAdapt, autoThemeAdapt_)
  // Takes the Style that matches the desktop's colour scheme.
  void ThemeAdapt();
  bool ShowEditorAlways() const { return showEditorAlways_; }
  void SetShowEditorAlways(bool v);
  INSP_BAR_FIELD(bool, ShowFocus, showFocus_)
  INSP_BAR_REPAINT(bool, CheckTextShow, checkTextShow_)
  INSP_BAR_REPAINT(bool, Ellipsis, ellipsis_)
  INSP_BAR_REPAINT(bool, Flat, flat_)
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* v);

  // Painting. The bar draws on its own canvas; PaintOn draws the same on another one.
  void PaintOn(TCanvas* Canvas);
  // The canvas being painted on (the bar's own outside a paint).
  TCanvas* Surface() const { return surface_ ? surface_ : Canvas(); }
  virtual void DrawCaption(TInspectorPanel* Panel, const TRect& R);
  virtual void AfterDrawCaption(TInspectorPanel* Panel, TCanvas* ACanvas, const TRect& R) {}
  virtual void DrawItem(TInspectorPanel* Panel, TInspectorItem* Item, const TRect& R);
  // Steps below 1 count as 1; Horizontal: the colour changes from left to right.
  void DrawGradient(TColor From, TColor To, int Steps, bool Horizontal, const TRect& R);
  // Renders the caption shading picture for the bar's width and the caption look.
  void UpdateCaptionBitmaps();
  TBitmap* CaptionShading() const { return shading_.get(); }
  // How many times the last paint ran its mode's painting (a re-run after a layout change counts).
  int LastPaintPasses() const { return paintPasses_; }
  // Scroll arrows of single-panel mode as the last paint left them.
  bool UpArrowShown() const { return upArrow_; }
  // The icon row the painting framed last (hovered or down); none after it went.
  TInspectorItem* FramedItem() const { return framedItem_; }
  bool DownArrowShown() const { return downArrow_; }
  // A mouse button is held down on the bar.
  bool MouseIsDown() const { return mouse_.Down; }
  TBitmap* NodeGlyph(bool Collapsed) const { return Collapsed ? nodeOpen_.get() : nodeClose_.get(); }
  // Set at creation: the system has the XP look (themed parts when a theme is active).
  bool IsWinXP() const { return isWinXP_; }
  void SetIsWinXP(bool v) { isWinXP_ = v; }
  int SideWidth() const;
  int ClientRight() const;
  int ItemAreaRight() const;

  TPanelDrawEvent OnPanelDraw;
  TItemDrawEvent OnItemDraw;
  TItemValueEvent OnItemValue;
  TCustomEditButtonEvent OnCustomEditButton;
  TCustomEditDrawEvent OnCustomEditDraw;
  std::string Version() const { return "1.4.0.3"; }

  // The layout input: one entry per panel.
  std::vector<TInspLayoutPanel> LayoutPanels() const;
  // How many times the rows' part of the layout input was read from the panels: once per
  // change of a row's height or visibility, of a row list or of a panel's row height.
  int LayoutRowReads() const { return layout_.RowReads; }
  // How many times a mode's layout was computed: once per change of what it depends on.
  int LayoutBuilds() const { return layout_.Builds; }
  // Drops the kept layout: the next use reads everything again.
  void ForgetLayout() { layout_ = TLayoutCache{}; }
  int PanelAreaHeight() const;
  int ActivePanel() const;
  // The first and last open visible panel as the last layout update found them (-1: none).
  int FirstOpenPanel() const { return firstOpen_; }
  int LastOpenPanel() const { return lastOpen_; }
  virtual void GetItemRect(TInspectorPanel* Panel, TInspectorItem* Item, TRect& R);
  // Invalidates one row's rectangle (nothing while loading, while the row is not shown, or
  // while the whole bar waits for its repaint).
  void RepaintItem(TInspectorItem* Item);
  // The whole bar is to be painted again; until then row changes add nothing to do.
  void Invalidate() override;
  bool WholeRepaintPending() const { return wholeRepaintPending_; }
  void UpdateLayout();
  // Places and shows the panels' hosted controls for the mode; hides the others.
  void PlaceControls();
  // The row being edited, or last edited (none until editing starts); Editing() tells
  // whether its editor is open.
  TInspectorItem* EditItem() const { return editState_.Item; }

  // ---- inplace editing
  // Lays the editor of the row's type over its value column, fills and focuses it.
  virtual void StartEdit(TInspectorItem* Item);
  // Commits the editor into the row, hides it, then OnEditStop.
  virtual void StopEdit(TInspectorItem* Item);
  // Fires OnGetValueList with the list the row's list editor will show.
  virtual void GetValueList(TInspectorItem* Item, TStrings* Values);
  // Writes the shown editor's content into the row being edited, then OnEditUpdate.
  void EditorToValue();
  // Return, Up or Down from the bar or an editor: commit, or move the editor.
  void Navigate(TInspectorItem* Item, WORD Key);
  bool Editing() const { return editState_.Open; }
  bool Starting() const { return editState_.Starting; }
  // 0 list, 1 date-time picker, 2 edit with button, 3 none, text or spin, 4 colour list.
  int EditorKind() const { return editState_.Kind; }
  TInspectorItem* LastEditItem() const { return editState_.LastItem; }
  TInspectorEdit* EditControl() const { return edit_; }
  TInspectorCombo* ComboControl() const { return combo_; }
  TInspectorColorCombo* ColorComboControl() const { return colorCombo_; }
  TInspectorSpin* SpinControl() const { return spin_; }
  TInspectorEditBtn* EditBtnControl() const { return editBtn_; }
  TInspectorDateTimePicker* DateTimeControl() const { return dateTime_; }
  // The editor shown for the row being edited (none for rows without one).
  TWinControl* ActiveEditor() const;
  // The colour and font dialogs the editors open; unset, the GUI layer's own dialogs.
  std::function<bool(TColor& Color)> ExecuteColorDialog;
  std::function<bool(TFont* Font)> ExecuteFontDialog;
  bool RunColorDialog(TColor& Color);
  bool RunFontDialog(TFont* Font);

  // ---- mouse and keys
  // The visible panel whose caption bar spans Y (-1 for none).
  int CaptionAt(int X, int Y) const;
  TInspectorPanel* PanelAt(int X, int Y) const;
  TInspectorItem* ItemAt(int X, int Y) const;
  TRect CaptionRect(TInspectorPanel* Panel) const;
  void ItemClicked(TMouseButton Button, TInspectorPanel* Panel, TInspectorItem* Item);
  virtual bool GetPanelHint(TInspectorPanel* Panel, int X, std::string& Hint, int Y) { return false; }
  virtual bool CaptionMouseMove(TInspectorPanel* Panel, int X, int Y) { return false; }
  virtual bool CaptionClick(TInspectorPanel* Panel, int X, int Y) { return false; }
  // The hint at a point of the bar (the bar's own Hint when nothing else has one).
  std::string HintAt(int X, int Y);
  // The 150 ms tick that keeps scrolling while an arrow is held.
  void ScrollTimer();
  TTimer* ScrollTimerControl() const { return scrollTimer_; }
  bool ShortCutKey(WORD Key, TShiftState Shift);
  bool AcceleratorKey(WORD Key);
  bool DialogShortCut(WORD Key, TShiftState Shift);
  bool AcceptFiles() const { return acceptFiles_; }
  void SetAcceptFiles(bool v);
  // Drops (InspDrop.cpp): one drop handler serves both settings. With OleDropTarget on it takes
  // every drag: a link dropped on a panel's rows becomes a row there, dropped files go to
  // OnURLDrop one by one; it wins over AcceptFiles, whose file drops (OleDropTarget off) become
  // rows of the active panel through FilesDropped.
  bool OleDropTarget() const { return oleDropTarget_; }
  void SetOleDropTarget(bool v);
  bool DropRegistered() const;
  // A link dropped at a screen point.
  void DropURL(TPoint P, const std::string& Link);
  TInspectorFileDropEvent OnURLDrop;
  // Files dropped from the shell: each allowed name becomes a row of the active panel.
  void FilesDropped(const std::vector<std::string>& Names);
  // Caption editing of icon rows.
  TRect IconTextRect(TInspectorPanel* Panel, TInspectorItem* Item);
  bool StartLabelEdit(TInspectorPanel* Panel, TInspectorItem* Item);
  void StopLabelEdit(bool Apply);
  TInspectorItem* LabelEditItem() const { return label_.Item; }
  TCustomEdit* LabelEditor() const;
  // The caption editors made with the bar: the word-wrapping memo or the single-line edit.
  TCustomEdit* CaptionEditor(bool WordWrap) const { return WordWrap ? label_.Memo : label_.Edit; }
  // The cursor the bar shows off its captions, split lines and anchors.
  TCursor DefaultCursor() const { return defaultCursor_; }
  bool UpPressed() const { return mouse_.UpPressed; }
  bool DownPressed() const { return mouse_.DownPressed; }

  TInspectorItemEvent OnItemClick, OnItemDblClick, OnItemRightClick, OnItemOpen, OnItemClose, OnButtonClick;
  TInspectorItemEvent OnEditStart, OnEditStop, OnEditUpdate, OnEditDblClick, OnEditBtnClick, OnEditAutoAdvance;
  TInspectorAnchorEvent OnItemAnchorClick;
  TInspectorHelpAnchorEvent OnHelpAnchorClick;
  TInspectorURLEvent OnURLClick;
  TInspectorFileDropEvent OnFileDrop;
  TInspectorPanelEvent OnPanelOpen, OnPanelClose, OnPanelOpened;
  TInspectorStartLabelEditEvent OnStartLabelEdit;
  TInspectorStopLabelEditEvent OnStopLabelEdit;
  TInspectorValueListEvent OnGetValueList;
  TInspectorComboChangeEvent OnEditComboChange;
  TInspectorColorChangeEvent OnEditColorChange;
  TInspectorSpinEvent OnEditSpinUp, OnEditSpinDown, OnEditSpinChange;
  // Rows and captions the mouse is over.
  TInspectorItem* HoverItem() const { return mouse_.HoverItem; }
  int HoverCaption() const { return mouse_.HoverCaption; }
  int ScrollPosition() const { return scrollPos_; }
  bool ScrollBarShown() const { return scrollShown_; }
  // The vertical scroll bar of multi-panel mode (shown while the open panels overflow).
  TScrollBar* ScrollBarControl() const { return scrollBar_; }

 protected:
  // A new window takes drops again when a setting asks for them.
  void CreateWnd() override;
  // Loading ends: the cursor set by then is the one the bar goes back to.
  void Loaded() override;
  void AlignControls(TControl* AControl) override;
  virtual TInspectorPanels* CreatePanels();
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Paint() override;
  void Resize() override;
  void WndProc(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DblClick() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  // The panel under the pointer offers its own popup menu before the bar's.
  void DoContextPopup(TPoint MousePos, bool& Handled) override;
  void CMHintShow(TMessage& Message) override;
  void CMDialogKey(TMessage& Message) override;
  void WMGetDlgCode(TMessage& Message) override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;

 private:
  friend class TInspectorPanel;
  friend class TInspectorItem;
  friend class TInspectorItems;
  friend class TInspectorPanels;
  // A panel at Index is being removed; TopPanel follows so the bar keeps showing a panel.
  void PanelRemoved(int Index, int CountAfter);
  void ItemRemoved(TInspectorItem* Item);
  // The layout input and the layouts of both modes, each built again only after a change of
  // what it reads. Held through shared pointers: a layout in use stays whole while a row's
  // drawing changes the rows and a later call builds the next one.
  std::shared_ptr<const TInspLayoutInput> LayoutInput() const;
  std::shared_ptr<const TInspLayout> SingleLayout() const;
  std::shared_ptr<const TInspLayout> MultiLayout() const;
  std::shared_ptr<const TInspLayout> KeptLayout(bool Multi) const;
  // A row's height or visibility changed.
  void RowsChanged() { ++layout_.RowsRevision; }
  struct TLayoutCache {
    unsigned RowsRevision = 0;     // raised by RowsChanged
    unsigned BuiltRevision = 0;    // RowsRevision when Input's rows were read
    unsigned PanelsRevision = 0;   // the panel list's revision then
    std::vector<unsigned> ItemsRevisions;  // each panel's row list revision then
    std::vector<int> RowHeights;   // each panel's fixed row height then (-1: variable)
    std::shared_ptr<const TInspLayoutInput> Input;
    std::shared_ptr<const TInspLayout> Single, Multi;
    int RowReads = 0, Builds = 0;
  };
  mutable TLayoutCache layout_;
  friend class TInspectorEditLink;
  void CreateEditors();
  // The mouse concern's press, which a starting edit clears.
  void SetMouseIsDown(bool v) { mouse_.Down = v; }
  // A row (or, with none, a panel) goes: the hover forgets it.
  void ForgetHover(TInspectorItem* Item);
  // The bar goes: caption editing forgets its row and editors.
  void ForgetLabelEdit();
  // Stops the open edit, if any.
  void EndEdit();
  // Stops editing Item also when no editor is open (a button row's release).
  void StopEditOf(TInspectorItem* Item);
  // The focus left the bar: the open edit stops and its row is remembered.
  void LeaveEdit();
  // The focus came back: the remembered row is the edited one again.
  void ResumeLastEditRow();
  TInspectorEditLink* ActiveLink() const { return editState_.Link; }
  // The link being edited was freed: a custom row's edit ends without a commit.
  void EditLinkFreed();
  // Closes the popup of the link being edited and forgets the link.
  void CloseEditLink();
  bool Navigating() const { return editState_.Navigating; }
  // The bar goes: no row is edited any more.
  void ResetEditState();
  // A row or a panel goes: its edit stops and the rows it held are forgotten.
  void EditRowRemoved(TInspectorItem* Item);
  void EditPanelRemoved(TInspectorPanel* Panel);
  // Scrolls the multi-panel flow by Delta pixels and lays it out again.
  void ScrollBy(int Delta);
  TWinControl* EditorFor(TPropertyType Type) const;
  // ---- row kinds (InspRowKinds.cpp): what each property type edits with and shows.
  enum class TEditorSlot { None, Edit, Combo, ColorCombo, Spin, EditBtn, DateTime };
  struct TEditStart {
    TInspectorItem* Item;
    TInspectorPanel* Active;  // gives the editor its colours and fonts
    TRect R;                  // the editor's place over the value column
  };
  struct TRowKind {
    TEditorSlot Editor;                                  // the inplace editor (None: none of the bar's)
    TInspectorEditButton Button;                         // drawn in the value column with ShowEditorAlways
    void (TInspectorBar::*Start)(const TEditStart& S);  // opens the edit; none: the row is not edited
  };
  static const TRowKind& RowKind(TPropertyType Type);
  TWinControl* EditorIn(TEditorSlot Slot) const;
  static int EditorKindOf(TEditorSlot Slot);
  // StartEdit's steps.
  void ScrollIntoEditView(TInspectorPanel* P, TInspectorItem* Item);
  TRect EditorPlace(TInspectorPanel* P, TInspectorItem* Item);
  static TRect InsideEditBox(TInspectorPanel* P, TRect R);
  void DressEditor(TWinControl* E, const TEditStart& S, bool Colour, bool MaxLength);
  void ShowEditor(TWinControl* E);
  // DressEditor and the editor's row; ShowEditor with the editor's text selected.
  template <class TEditor>
  TEditor* Dress(TEditor* E, const TEditStart& S, bool Colour, bool MaxLength);
  template <class TEditor>
  void ShowSelected(TEditor* E);
  void StartTextEdit(const TEditStart& S);
  void StartColourEdit(const TEditStart& S);
  void StartFontEdit(const TEditStart& S);
  void ToggleCheck(const TEditStart& S);
  void StartListEdit(const TEditStart& S);
  void StartSpinEdit(const TEditStart& S);
  void StartButtonEdit(const TEditStart& S);
  void StartDateTimeEdit(const TEditStart& S);
  void StartLinkEdit(const TEditStart& S);
  void PressButtonRow(const TEditStart& S);
  void HideEditor(TPropertyType Type);
  // Stops editing and starts again on Next, keeping an editor both rows use shown and
  // focused throughout, so the keyboard focus never falls between two editors.
  void StopAndStart(TInspectorItem* Item, TInspectorItem* Next, const std::function<void()>& Between = {});
  void HidePendingEditor();
  bool IsOwnEditor(TControl* C) const;
  // Editor events routed to the bar.
  void EditorDblClick();
  void EditorChanged();
  void ComboChanged();
  void ColorChanged();
  void SpinEvent(int Which);
  void EditBtnClicked();
  void OpenEditorAtOnce(TInspectorItem* Item);
  // Bottom of the active body: the panel area less the captions of the active panel and those after it.
  int ButtonAreaHeight() const;
  // A button panel's newly selected row is brought into view by its TopItem.
  void ScrollButtonIntoView(TInspectorPanel* Panel, int Index);
  void OpenPanelSingle(int Index);
  void TogglePanelMulti(int Index);
  void MouseDownSingle(TMouseButton Button, int X, int Y);
  void MouseDownMulti(TMouseButton Button, int X, int Y);
  void PropertyRowClick(TMouseButton Button, TInspectorPanel* Panel, TInspectorItem* Item, int X, bool Multi);
  bool NodeGlyphHit(TInspectorPanel* Panel, TInspectorItem* Item, int X) const;
  TInspectorItem* RowAtY(TInspectorPanel* Panel, int Y, bool EndsIncluded) const;
  TInspectorItem* HintRowAt(int X, int Y) const;
  TInspectorItem* RowAtPoint(int X, int Y, int Right) const;
  void PaintSingle(bool Rerun);
  void PaintMulti(bool Rerun);
  void PaintHelp();
  void PaintBackground(TInspectorPanel* Panel, const TRect& R);
  void PaintSideStrip(const TRect& R);
  void PaintArrow(bool Up, const TRect& R);
  // DrawCaption's steps (InspPaint.cpp).
  bool DrawCaptionFace(TInspectorPanel* Panel, bool Active, TRect& R);
  void DrawBitmapCaption(TBitmap* Bmp, TShadeType St, const TRect& R);
  void DrawShadedCaption(TRect& R, TColor TL, TColor BR);
  void DrawRoundedCaption(const TRect& R, TColor TL, TColor BR);
  void DrawOpenCloseGraphic(TInspectorPanel* Panel, bool Active, const TRect& R, int& TextLeft);
  void DrawCaptionText(TInspectorPanel* Panel, bool Active, TRect TR);
  void DrawPropertyRow(TInspectorPanel* Panel, TInspectorItem* Item, const TRect& R0);
  // A property row's painting (InspRowPaint.cpp): the value column (L, T, Right, B) narrows as
  // each step takes its part.
  struct TRowPaint {
    TInspectorPanel* Panel;
    TInspectorItem* Item;
    TPoint Mouse;
    bool Themed;
    std::string Value;  // the text shown
    int L, T, Right, B;
  };
  std::string ShownValue(TInspectorPanel* Panel, TInspectorItem* Item);
  TInspectorEditButton ValueButton(TInspectorItem* Item);
  void DrawRowGrid(TInspectorPanel* Panel, const TRect& R0);
  void DrawRowCaption(TRowPaint& P, const TRect& R0, bool Boxed);
  void DrawValueBox(TRowPaint& P, const TRect& R0, bool Boxed);
  void DrawColourSwatch(TRowPaint& P);
  void TakeButtonRoom(TRowPaint& P);
  void DrawDropDownButton(TRowPaint& P);
  void DrawDotsButton(TRowPaint& P);
  void DrawSpinButtons(TRowPaint& P);
  void DrawButtonFace(TRowPaint& P);
  void DrawCheckBox(TRowPaint& P);
  void DrawPicture(TRowPaint& P);
  void DrawValueText(TRowPaint& P);
  void DrawIconRow(TInspectorPanel* Panel, TInspectorItem* Item, const TRect& R);
  // The icon and button rows (InspRowPaint.cpp).
  struct TRowPicture {
    TGraphic* Graphic = nullptr;  // an icon or bitmap, drawn at Width x Height
    int ImageIndex = -1;          // else an image of the bar's Images
    int Width = 0, Height = 0;
    // The row's own icon or bitmap (an image of Images is no picture of its own).
    bool Own = false;
    bool Shown() const { return Graphic || ImageIndex >= 0; }
  };
  TRowPicture RowPicture(TInspectorPanel* Panel, TInspectorItem* Item, int AutoSize);
  void DrawRowPicture(const TRowPicture& P, const TRect& At);
  bool DrawHoverFrame(TInspectorPanel* Panel, TInspectorItem* Item, const TRect& F, bool Framable, TPoint Mouse);
  void DrawIconFrame(const TRect& R, TColor From, TColor To, bool Sunken);
  void DrawIconCaption(TInspectorPanel* Panel, TInspectorItem* Item, const TRect& R, unsigned Flags, bool Over,
                       TPoint Mouse);
  void DrawLargeIconRow(TInspectorPanel* Panel, TInspectorItem* Item, const TRect& R);
  void DrawSmallIconRow(TInspectorPanel* Panel, TInspectorItem* Item, const TRect& R);
  void DrawButtonRow(TInspectorPanel* Panel, TInspectorItem* Item, const TRect& R);
  // A row goes (none: every row): the painting forgets that it framed it.
  void ForgetFramed(TInspectorItem* Item);
  void DrawNodeGlyph(int X, int Y, bool Collapsed);
  bool Themed() const;
  TPoint CursorInBar() const;

  mutable std::unique_ptr<TInspectorPanels> panels_;
  int topPanel_ = 0;
  int firstOpen_ = -1, lastOpen_ = -1;
  TInspectorBarMode mode_ = imSinglePanelActive;
  std::string checkTrue_ = "True", checkFalse_ = "False";
  bool autoAdvance_ = false;
  std::unique_ptr<TInspectorCaption> panelCaption_;
  std::unique_ptr<TInspectorHelp> helpPanel_;
  TInspectorBarStyle style_ = esCustom;
  TColor colorTo_ = clNone;
  TGradientDirection defaultGradientDirection_ = gdVertical;
  bool autoThemeAdapt_ = false, showEditorAlways_ = false, showFocus_ = false, checkTextShow_ = true,
       ellipsis_ = false, flat_ = false, isWinXP_ = false;
  TCustomImageList* images_ = nullptr;
  TCanvas* surface_ = nullptr;
  std::unique_ptr<TBitmap> shading_, nodeOpen_, nodeClose_;
  int paintPasses_ = 0, lastWidth_ = -1;
  bool upArrow_ = false, downArrow_ = false;
  TInspectorItem* framedItem_ = nullptr;  // the icon row the last painting framed
  int scrollPos_ = 0;
  bool scrollShown_ = false;
  bool destroying_ = false;
  bool wholeRepaintPending_ = false;
  // Inplace editing's state, written only by the editing code (InspEditing.cpp); the other
  // concerns go through its functions.
  struct TEditState {
    TInspectorItem* Item = nullptr;      // the row being edited, or last edited
    TInspectorItem* LastItem = nullptr;  // where the last edit stopped
    TInspectorEditLink* Link = nullptr;  // the link editing a custom row
    TWinControl* PendingHide = nullptr;  // an editor to hide once the next start has shown its own
    int Kind = 3;                        // EditorKind()
    bool Open = false;                   // Editing()
    bool Starting = false, Navigating = false;
    bool KeepEditor = false;  // a stop that another start follows leaves its editor shown
  } editState_;
  TInspectorEdit* edit_ = nullptr;
  TInspectorCombo* combo_ = nullptr;
  TInspectorColorCombo* colorCombo_ = nullptr;
  TInspectorSpin* spin_ = nullptr;
  TInspectorEditBtn* editBtn_ = nullptr;
  TInspectorDateTimePicker* dateTime_ = nullptr;
  bool syncingScroll_ = false;
  TScrollBar* scrollBar_ = nullptr;
  void ScrollBarMoved();
  // Mouse and keys: the state written only by the mouse code (InspMouse.cpp).
  TTimer* scrollTimer_ = nullptr;
  TCursor defaultCursor_ = crDefault;
  struct TMouseState {
    bool Down = false;                            // a button is held on the bar
    bool UpPressed = false, DownPressed = false;  // a scroll arrow is held
    TRect ArrowRect;                              // the held arrow's place
    TInspectorItem* HoverItem = nullptr;
    int HoverCaption = -1;
    std::string LastHint, HelpAnchor;
    TCursor SavedCursor = crDefault;  // the row's cursor while over a caption with its own
    bool CursorSaved = false;
  } mouse_;
  // Caption editing of icon rows (InspMouse.cpp): the row and the editor shown, a single-line
  // or a word-wrapping one, each made on first use.
  struct TLabelEditState {
    TInspectorItem* Item = nullptr;
    TInspectorPanel* Panel = nullptr;
    TCustomEdit* Edit = nullptr;
    TCustomEdit* Memo = nullptr;
    TCustomEdit* Shown = nullptr;
  } label_;
  bool acceptFiles_ = false, oleDropTarget_ = false, dropRegistered_ = false;
  void UpdateDropRegistration();
  void CreateCaptionEditors();
};

// The node glyphs: the "INSPNODEOPEN" and "INSPNODECLOSE" resources, or our own when the
// program registers none.
void LoadNodeGlyphs(TBitmap& Open, TBitmap& Close);

#undef INSP_BAR_FIELD
#undef INSP_BAR_REPAINT

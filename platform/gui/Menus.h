#pragma once
// Main menus, popup menus and menu items. Each item owns a Qt action; an item
// with sub-items also owns a Qt menu. An MDI child's main menu is merged into
// its frame's menu bar by GroupIndex while the child is active.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/Controls.h"

class QAction;
class QMenu;
class TMenu;
class TImageList;

// ShortCut: a virtual key plus scShift/scCtrl/scAlt.
using TShortCut = WORD;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0;
TShortCut ShortCut(WORD Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, WORD& Key, TShiftState& Shift);
std::string ShortCutToText(TShortCut ShortCut);
TShortCut TextToShortCut(const std::string& Text);

enum TPopupAlignment { paLeft, paRight, paCenter };

class EMenuError : public Exception {
 public:
  using Exception::Exception;
};

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;
  std::string ClassName() const override { return "TMenuItem"; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v);  // "-" makes a separator
  bool IsLine() const { return caption_ == "-"; }
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut v);
  bool Checked() const { return checked_; }
  void SetChecked(bool v);  // a checked radio item unchecks its group's other items
  bool RadioItem() const { return radioItem_; }
  void SetRadioItem(bool v);
  bool AutoCheck() const { return autoCheck_; }
  void SetAutoCheck(bool v) { autoCheck_ = v; }
  uint8_t GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(uint8_t v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& v) { hint_ = v; }
  bool Default() const { return default_; }
  void SetDefault(bool v);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int v) { imageIndex_ = v; }
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int v) { helpContext_ = v; }

  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int Index) const { return items_.at(static_cast<size_t>(Index)); }
  TMenuItem* Parent() const { return parent_; }
  int MenuIndex() const;
  void SetMenuIndex(int v);
  int IndexOf(TMenuItem* Item) const;
  void Add(TMenuItem* Item);
  void Add(const std::vector<TMenuItem*>& Items);
  void Insert(int Index, TMenuItem* Item);
  void Delete(int Index);  // frees the item
  void Remove(TMenuItem* Item);  // detaches without freeing
  void Clear();  // frees every sub-item
  TMenuItem* Find(const std::string& ACaption) const;  // by caption without "&", no case
  TMenu* GetParentMenu() const;

  TNotifyEvent OnClick;
  virtual void Click();

  QAction* Action();  // the Qt action, created on first use
  QMenu* SubMenu();   // the Qt menu of the sub-items (nullptr without sub-items)

 private:
  friend class TMenu;
  friend class TMainMenu;
  friend class TPopupMenu;
  friend class TCustomForm;
  void Changed(bool rebuild);
  void SyncAction();
  void RebuildSubMenu();
  std::string caption_;
  TShortCut shortCut_ = 0;
  bool checked_ = false, radioItem_ = false, autoCheck_ = false, enabled_ = true, visible_ = true,
       default_ = false;
  uint8_t groupIndex_ = 0;
  std::string hint_;
  int imageIndex_ = -1;
  int helpContext_ = 0;
  std::vector<TMenuItem*> items_;
  TMenuItem* parent_ = nullptr;
  TMenu* menu_ = nullptr;  // set on the root item
  QAction* action_ = nullptr;
  QMenu* subMenu_ = nullptr;
  bool subMenuDirty_ = true;
};

class TMenu : public TComponent {
 public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;
  std::string ClassName() const override { return "TMenu"; }
  TMenuItem* Items() const { return items_; }
  TImageList* Images() const { return images_; }
  void SetImages(TImageList* v) { images_ = v; }
  // Finds the item with this shortcut and clicks it; true when one did.
  bool IsShortCut(WORD Key, TShiftState Shift);
  TMenuItem* FindItemByShortCut(TShortCut s) const;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  friend class TMenuItem;
  virtual void MenuChanged(bool rebuild);
  TMenuItem* items_;
  TImageList* images_ = nullptr;
};

class TMainMenu : public TMenu {
 public:
  explicit TMainMenu(TComponent* AOwner);
  std::string ClassName() const override { return "TMainMenu"; }
  bool AutoMerge() const { return autoMerge_; }
  void SetAutoMerge(bool v) { autoMerge_ = v; }
  // Merges another menu's top-level items by GroupIndex (nullptr undoes).
  void Merge(TMainMenu* Menu);
  void Unmerge(TMainMenu* Menu);
  TMainMenu* Merged() const { return merged_; }
  // The form that shows this menu, or nullptr.
  TCustomForm* Form() const { return form_; }
  // The top-level items as shown now, merge included.
  std::vector<TMenuItem*> VisibleTopItems() const;

 protected:
  void MenuChanged(bool rebuild) override;

private:
  friend class TCustomForm;
  friend class TMenuItem;
  bool autoMerge_ = false;
  TMainMenu* merged_ = nullptr;
  TCustomForm* form_ = nullptr;
};

class TPopupMenu : public TMenu {
 public:
  explicit TPopupMenu(TComponent* AOwner);
  std::string ClassName() const override { return "TPopupMenu"; }
  // Shows the menu at a screen point; returns at once (the click comes later).
  virtual void Popup(int X, int Y);
  TComponent* PopupComponent() const { return popupComponent_; }
  void SetPopupComponent(TComponent* v) { popupComponent_ = v; }
  bool AutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool v) { autoPopup_ = v; }
  TPopupAlignment Alignment() const { return alignment_; }
  void SetAlignment(TPopupAlignment v) { alignment_ = v; }
  TNotifyEvent OnPopup;

 private:
  TComponent* popupComponent_ = nullptr;
  bool autoPopup_ = true;
  TPopupAlignment alignment_ = paLeft;
};

// Makes a new item (the class library's NewItem/NewLine helpers).
TMenuItem* NewItem(const std::string& ACaption, TShortCut AShortCut, bool AChecked, bool AEnabled,
                   TNotifyEvent AOnClick, int AHelpContext, const std::string& AName);
TMenuItem* NewLine();

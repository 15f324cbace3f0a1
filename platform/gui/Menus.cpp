#include "platform/gui/Menus.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <cctype>

#include "platform/gui/Forms.h"
#include "platform/gui/GuiInternal.h"
#include "platform/gui/QtBridge.h"
#include "platform/gui/QtPeer.h"

// ---------------------------------------------------------------- shortcuts
TShortCut ShortCut(WORD Key, TShiftState Shift) {
  TShortCut s = Key & 0xFF;
  if (Shift & ssShift) s |= scShift;
  if (Shift & ssCtrl) s |= scCtrl;
  if (Shift & ssAlt) s |= scAlt;
  return s;
}

void ShortCutToKey(TShortCut s, WORD& Key, TShiftState& Shift) {
  Key = s & 0xFF;
  Shift = 0;
  if (s & scShift) Shift |= ssShift;
  if (s & scCtrl) Shift |= ssCtrl;
  if (s & scAlt) Shift |= ssAlt;
}

namespace {
const std::pair<WORD, const char*> kKeyNames[] = {
    {VK_BACK, "BkSp"}, {VK_TAB, "Tab"},       {VK_ESCAPE, "Esc"},   {VK_RETURN, "Enter"},
    {VK_SPACE, "Space"}, {VK_PRIOR, "PgUp"},  {VK_NEXT, "PgDn"},    {VK_END, "End"},
    {VK_HOME, "Home"}, {VK_LEFT, "Left"},     {VK_UP, "Up"},        {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"}, {VK_INSERT, "Ins"},    {VK_DELETE, "Del"}};

std::string KeyName(WORD k) {
  if ((k >= 'A' && k <= 'Z') || (k >= '0' && k <= '9')) return std::string(1, static_cast<char>(k));
  if (k >= VK_F1 && k <= VK_F24) return "F" + std::to_string(k - VK_F1 + 1);
  for (const auto& e : kKeyNames)
    if (e.first == k) return e.second;
  return std::string();
}
}  // namespace

std::string ShortCutToText(TShortCut s) {
  std::string name = KeyName(s & 0xFF);
  if (name.empty()) return std::string();
  std::string r;
  if (s & scShift) r += "Shift+";
  if (s & scCtrl) r += "Ctrl+";
  if (s & scAlt) r += "Alt+";
  return r + name;
}

TShortCut TextToShortCut(const std::string& Text) {
  std::string t = Text;
  TShortCut mods = 0;
  auto eat = [&](const char* p, TShortCut f) {
    size_t n = std::char_traits<char>::length(p);
    if (t.size() > n) {
      bool eq = true;
      for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(t[i])) != std::tolower(static_cast<unsigned char>(p[i]))) eq = false;
      if (eq) {
        t = t.substr(n);
        mods |= f;
        return true;
      }
    }
    return false;
  };
  while (eat("Shift+", scShift) || eat("Ctrl+", scCtrl) || eat("Alt+", scAlt)) {
  }
  for (WORD k = 1; k < 256; ++k) {
    std::string n = KeyName(k);
    if (!n.empty() && n.size() == t.size() &&
        std::equal(n.begin(), n.end(), t.begin(), [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
        }))
      return static_cast<TShortCut>(k | mods);
  }
  return 0;
}

// ---------------------------------------------------------------- TMenuItem
TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem() {
  Clear();
  if (parent_) parent_->Remove(this);
  delete subMenu_;
  delete action_;
}

static QString MenuText(const TMenuItem* it) {
  QString t = ToQString(it->Caption());
  if (it->ShortCut()) t += "\t" + ToQString(ShortCutToText(it->ShortCut()));
  return t;
}

// Selecting an item in a menu, a leaf or one that opens a submenu, makes its
// long hint the application's hint.
static void ConnectHint(QAction* Action, TMenuItem* Item) {
  QObject::connect(Action, &QAction::hovered, Action, [Item] {
    GuiRun(static_cast<TComponent*>(Item), [Item] {
      if (Application) Application->SetHint(GetLongHint(Item->Hint()));
    });
  });
}

QAction* TMenuItem::Action() {
  if (!action_) {
    action_ = new QAction();
    QObject::connect(action_, &QAction::triggered, action_, [this](bool) {
      GuiRun(static_cast<TComponent*>(this), [this] { Click(); });
    });
    ConnectHint(action_, this);
    SyncAction();
  }
  return action_;
}

// The help context of a menu item: its own, else its parent item's, else the
// form's that shows the menu.
static int MenuHelpContext(TMenuItem* Item) {
  for (TMenuItem* it = Item; it; it = it->Parent())
    if (it->HelpContext() != 0) return it->HelpContext();
  TMenu* m = Item ? Item->GetParentMenu() : nullptr;
  TCustomForm* form = nullptr;
  if (auto* mm = dynamic_cast<TMainMenu*>(m)) form = mm->Form();
  if (!form && m) {
    for (TComponent* o = m->Owner(); o && !form; o = o->Owner()) form = dynamic_cast<TCustomForm*>(o);
  }
  return form ? GuiFormHelpContext(form, nullptr) : 0;
}

namespace {
// Watches an open menu: F1 asks for help on the selected item, and the
// application's hint empties when the last menu closes.
class TMenuWatch : public QObject {
 public:
  TMenuWatch(QMenu* Menu, TMenuItem* Item) : QObject(Menu), menu_(Menu), item_(Item) {
    Menu->installEventFilter(this);
    QObject::connect(Menu, &QMenu::aboutToHide, this, [] {
      // Later: moving to the next menu of a bar hides this one after the next shows.
      QTimer::singleShot(0, QCoreApplication::instance(), [] {
        if (!QApplication::activePopupWidget() && Application) Application->SetHint(std::string());
      });
    });
  }

 protected:
  bool eventFilter(QObject* Object, QEvent* Event) override {
    if (Object == menu_ && Event->type() == QEvent::MouseMove) {
      // A disabled item is never highlighted and so reports no hover: its hint shows all the same.
      QAction* a = menu_->actionAt(static_cast<QMouseEvent*>(Event)->position().toPoint());
      if (a && !a->isEnabled())
        for (int i = 0; i < item_->Count(); ++i) {
          TMenuItem* it = item_->Items(i);
          QAction* own = it->Count() > 0 ? it->SubMenu()->menuAction() : it->Action();
          if (own == a && Application) Application->SetHint(GetLongHint(it->Hint()));
        }
      return false;
    }
    if (Object != menu_ || Event->type() != QEvent::KeyPress) return false;
    auto* ke = static_cast<QKeyEvent*>(Event);
    if (!(ke->key() == Qt::Key_F1 && (ke->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) &&
        ke->key() != Qt::Key_Help)
      return false;
    TMenuItem* selected = item_;
    if (QAction* a = menu_->activeAction())
      for (int i = 0; i < item_->Count(); ++i) {
        TMenuItem* it = item_->Items(i);
        if (it->Action() == a || (it->Count() > 0 && it->SubMenu()->menuAction() == a)) selected = it;
      }
    const int context = MenuHelpContext(selected);
    // The menus close first, as a click elsewhere would close them; the help comes after.
    while (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    TComponent* owner = item_;
    QTimer::singleShot(0, QCoreApplication::instance(), [owner, context] {
      GuiRun(owner, [context] { GuiHelpRequest(context); });
    });
    return true;
  }

 private:
  QMenu* menu_;
  TMenuItem* item_;
};
}  // namespace

void TMenuItem::SyncAction() {
  if (!action_) return;
  // A separator keeps no text: some styles draw a separator's text as a heading.
  action_->setText(IsLine() ? QString() : MenuText(this));
  action_->setSeparator(IsLine());
  action_->setCheckable(checked_ || radioItem_ || autoCheck_);
  action_->setChecked(checked_);
  action_->setEnabled(enabled_);
  action_->setVisible(visible_);
  QFont f = action_->font();
  f.setBold(default_);
  action_->setFont(f);
  if (subMenu_) action_->setMenu(nullptr);
}

QMenu* TMenuItem::SubMenu() {
  if (items_.empty()) return nullptr;
  if (!subMenu_) {
    subMenu_ = new QMenu();
    QObject::connect(subMenu_, &QMenu::aboutToShow, subMenu_, [this] {
      GuiRun(static_cast<TComponent*>(this), [this] { RebuildSubMenu(); });
    });
    ConnectHint(subMenu_->menuAction(), this);
    new TMenuWatch(subMenu_, this);
    subMenuDirty_ = true;
  }
  subMenu_->setTitle(ToQString(caption_));
  subMenu_->menuAction()->setEnabled(enabled_);
  subMenu_->menuAction()->setVisible(visible_);
  if (subMenuDirty_) RebuildSubMenu();
  return subMenu_;
}

void TMenuItem::RebuildSubMenu() {
  if (!subMenu_) return;
  subMenuDirty_ = false;
  subMenu_->clear();
  for (TMenuItem* it : items_) {
    if (it->Count() > 0)
      subMenu_->addMenu(it->SubMenu());
    else
      subMenu_->addAction(it->Action());
  }
  // The frame's Window menu lists the MDI children.
  TMenu* m = GetParentMenu();
  auto* mm = dynamic_cast<TMainMenu*>(m);
  if (mm && mm->form_ && mm->form_->WindowMenu() == this && mm->form_->FormStyle() == fsMDIForm) {
    TCustomForm* frame = mm->form_;
    int n = frame->MDIChildCount();
    if (n > 0) subMenu_->addSeparator();
    TCustomForm* active = frame->ActiveMDIChild();
    for (int i = 0; i < n && i < 9; ++i) {
      TCustomForm* child = frame->MDIChildren(i);
      QAction* a = subMenu_->addAction(QString("&%1 ").arg(i + 1) + ToQString(child->Caption()));
      a->setCheckable(true);
      a->setChecked(child == active);
      QPointer<QAction> guard(a);
      QObject::connect(a, &QAction::triggered, a, [frame, child] {
        for (int k = 0; k < Screen->FormCount(); ++k)
          if (Screen->Forms(k) == child) {
            GuiRun(static_cast<TControl*>(frame), [child] {
              // A window chosen from the list comes back from its icon, as on the window system.
              child->RestoreFromMinimized();
              child->BringToFront();
            });
            return;
          }
      });
    }
  }
}

void TMenuItem::Changed(bool rebuild) {
  if (ComponentState() & csDestroying) return;
  if (TMenu* m = GetParentMenu(); m && (m->ComponentState() & csDestroying)) return;
  SyncAction();
  if (subMenu_) {
    subMenu_->setTitle(ToQString(caption_));
    subMenu_->menuAction()->setEnabled(enabled_);
    subMenu_->menuAction()->setVisible(visible_);
  }
  if (rebuild) {
    subMenuDirty_ = true;
    if (parent_) parent_->subMenuDirty_ = true;
  }
  if (parent_ && parent_->subMenu_ && parent_->subMenuDirty_) parent_->RebuildSubMenu();
  if (subMenu_ && subMenuDirty_) RebuildSubMenu();
  if (TMenu* m = GetParentMenu()) m->MenuChanged(rebuild || parent_ == m->Items());
}

void TMenuItem::SetCaption(const std::string& v) {
  if (v == caption_) return;
  bool wasLine = IsLine();
  caption_ = v;
  Changed(wasLine != IsLine());
}
void TMenuItem::SetShortCut(TShortCut v) {
  if (v == shortCut_) return;
  shortCut_ = v;
  Changed(false);
}
void TMenuItem::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  if (v && radioItem_ && parent_) {
    for (TMenuItem* s : parent_->items_)
      if (s != this && s->radioItem_ && s->groupIndex_ == groupIndex_ && s->checked_) {
        s->checked_ = false;
        s->SyncAction();
      }
  }
  Changed(false);
}
void TMenuItem::SetRadioItem(bool v) {
  if (v == radioItem_) return;
  radioItem_ = v;
  Changed(false);
}
void TMenuItem::SetGroupIndex(uint8_t v) {
  if (v == groupIndex_) return;
  groupIndex_ = v;
  Changed(true);
}
void TMenuItem::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Changed(false);
}
void TMenuItem::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  Changed(true);
}
void TMenuItem::SetDefault(bool v) {
  if (v == default_) return;
  default_ = v;
  Changed(false);
}

int TMenuItem::MenuIndex() const { return parent_ ? parent_->IndexOf(const_cast<TMenuItem*>(this)) : -1; }
void TMenuItem::SetMenuIndex(int v) {
  if (!parent_) return;
  TMenuItem* p = parent_;
  p->Remove(this);
  p->Insert(std::clamp(v, 0, p->Count()), this);
}
int TMenuItem::IndexOf(TMenuItem* Item) const {
  auto it = std::find(items_.begin(), items_.end(), Item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}
void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }
void TMenuItem::Add(const std::vector<TMenuItem*>& Items) {
  for (TMenuItem* i : Items) Add(i);
}
void TMenuItem::Insert(int Index, TMenuItem* Item) {
  if (!Item) return;
  if (Item->parent_) throw EMenuError("Menu inserted twice");
  if (Index < 0 || Index > Count()) throw EMenuError("Menu index out of range");
  items_.insert(items_.begin() + Index, Item);
  Item->parent_ = this;
  Changed(true);
}
void TMenuItem::Delete(int Index) {
  if (Index < 0 || Index >= Count()) throw EMenuError("Menu index out of range");
  TMenuItem* it = items_[static_cast<size_t>(Index)];
  Remove(it);
  delete it;
}
void TMenuItem::Remove(TMenuItem* Item) {
  auto it = std::find(items_.begin(), items_.end(), Item);
  if (it == items_.end()) return;
  items_.erase(it);
  Item->parent_ = nullptr;
  if (subMenu_ && Item->action_) subMenu_->removeAction(Item->action_);
  if (subMenu_ && Item->subMenu_) subMenu_->removeAction(Item->subMenu_->menuAction());
  Changed(true);
}
void TMenuItem::Clear() {
  while (!items_.empty()) Delete(Count() - 1);
}

TMenuItem* TMenuItem::Find(const std::string& ACaption) const {
  std::string want = StripHotkey(ACaption);
  for (TMenuItem* it : items_) {
    std::string c = StripHotkey(it->caption_);
    if (c.size() == want.size() && std::equal(c.begin(), c.end(), want.begin(), [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
        }))
      return it;
  }
  return nullptr;
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* p = this;
  while (p->parent_) p = p->parent_;
  return p->menu_;
}

void TMenuItem::Click() {
  if (!enabled_) return;
  if (autoCheck_) SetChecked(!checked_);
  FireEvent(OnClick, this);
}

// ---------------------------------------------------------------- TMenu
TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), items_(new TMenuItem(nullptr)) { items_->menu_ = this; }
TMenu::~TMenu() {
  Destroying();
  delete items_;
}

void TMenu::MenuChanged(bool) {}

static TMenuItem* FindShortCut(TMenuItem* root, TShortCut s) {
  for (int i = 0; i < root->Count(); ++i) {
    TMenuItem* it = root->Items(i);
    if (it->ShortCut() == s && it->Enabled() && it->Visible()) return it;
    if (it->Count() > 0 && it->Enabled() && it->Visible())
      if (TMenuItem* f = FindShortCut(it, s)) return f;
  }
  return nullptr;
}

TMenuItem* TMenu::FindItemByShortCut(TShortCut s) const { return s ? FindShortCut(items_, s) : nullptr; }

bool TMenu::IsShortCut(WORD Key, TShiftState Shift) {
  TShortCut s = ::ShortCut(Key, Shift & (ssShift | ssCtrl | ssAlt));
  TMenuItem* it = nullptr;
  if (auto* mm = dynamic_cast<TMainMenu*>(this); mm && mm->Merged()) it = mm->Merged()->FindItemByShortCut(s);
  if (!it) it = FindItemByShortCut(s);
  if (!it) return false;
  it->Click();
  return true;
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == reinterpret_cast<TComponent*>(images_)) images_ = nullptr;
}

// ---------------------------------------------------------------- TMainMenu
TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}

void TMainMenu::MenuChanged(bool rebuild) {
  if (!rebuild) return;
  if (form_) form_->MenuChanged();
}

void TMainMenu::Merge(TMainMenu* Menu) {
  merged_ = Menu;
  if (form_) form_->RebuildMenuBar();
}

void TMainMenu::Unmerge(TMainMenu* Menu) {
  if (merged_ == Menu) merged_ = nullptr;
  if (form_) form_->RebuildMenuBar();
}

std::vector<TMenuItem*> TMainMenu::VisibleTopItems() const {
  std::vector<TMenuItem*> own, other;
  for (int i = 0; i < items_->Count(); ++i) own.push_back(items_->Items(i));
  if (!merged_) {
    std::vector<TMenuItem*> r;
    for (TMenuItem* it : own)
      if (it->Visible()) r.push_back(it);
    return r;
  }
  std::vector<uint8_t> childGroups;
  for (int i = 0; i < merged_->items_->Count(); ++i) {
    other.push_back(merged_->items_->Items(i));
    childGroups.push_back(merged_->items_->Items(i)->GroupIndex());
  }
  // A child's group replaces the frame's items of the same group; the rest go in group order.
  std::vector<TMenuItem*> r;
  for (TMenuItem* it : own)
    if (std::find(childGroups.begin(), childGroups.end(), it->GroupIndex()) == childGroups.end()) r.push_back(it);
  for (TMenuItem* it : other) {
    auto pos = std::find_if(r.begin(), r.end(), [&](TMenuItem* x) { return x->GroupIndex() > it->GroupIndex(); });
    r.insert(pos, it);
  }
  std::vector<TMenuItem*> vis;
  for (TMenuItem* it : r)
    if (it->Visible()) vis.push_back(it);
  return vis;
}

// ---------------------------------------------------------------- TPopupMenu
TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

void TPopupMenu::Popup(int X, int Y) {
  FireEvent(OnPopup, this);
  QMenu* m = items_->Count() > 0 ? items_->SubMenu() : nullptr;
  if (!m) return;
  items_->RebuildSubMenu();
  m->popup(QPoint(X, Y));
}

TMenuItem* NewItem(const std::string& ACaption, TShortCut AShortCut, bool AChecked, bool AEnabled,
                   TNotifyEvent AOnClick, int AHelpContext, const std::string& AName) {
  auto* it = new TMenuItem(nullptr);
  if (!AName.empty()) it->SetName(AName);
  it->SetCaption(ACaption);
  it->SetShortCut(AShortCut);
  it->SetChecked(AChecked);
  it->SetEnabled(AEnabled);
  it->OnClick = std::move(AOnClick);
  it->SetHelpContext(AHelpContext);
  return it;
}

TMenuItem* NewLine() {
  auto* it = new TMenuItem(nullptr);
  it->SetCaption("-");
  return it;
}

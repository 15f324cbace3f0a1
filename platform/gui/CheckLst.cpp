#include "platform/gui/CheckLst.h"

#include <QBrush>
#include <QListWidget>
#include <algorithm>
#include <numeric>
#include <vector>

#include "platform/gui/QtBridge.h"
#include "platform/gui/QtPeer.h"
#include "platform/rtl/SysUtils.h"

namespace {
struct TCheckItem {
  TCheckBoxState State = cbUnchecked;
  bool Enabled = true;
  intptr_t Data = 0;
};
}  // namespace

// The lines of a check list box: every change of position moves the line's
// check state along. The control hears of a change once the state is in place.
class TCheckItemStrings : public TItemStrings {
 public:
  using TItemStrings::TItemStrings;
  std::string ClassName() const override { return "TCheckItemStrings"; }

  std::vector<TCheckItem> Lines;

  TCheckItem& Line(int Index) {
    if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", {Index}));
    return Lines[static_cast<size_t>(Index)];
  }

  void Clear() override {
    Op([&] {
      TItemStrings::Clear();
      Lines.clear();
    });
  }
  void Delete(int Index) override {
    Op([&] {
      TItemStrings::Delete(Index);
      Lines.erase(Lines.begin() + Index);
    });
  }
  void InsertObject(int Index, const std::string& S, TObject* Obj) override {
    Op([&] {
      TItemStrings::InsertObject(Index, S, Obj);
      Lines.insert(Lines.begin() + Index, TCheckItem());
    });
  }
  int AddObject(const std::string& S, TObject* Obj) override {
    int at = -1;
    Op([&] {
      int before = Count();
      at = TItemStrings::AddObject(S, Obj);
      if (Count() > before) Lines.insert(Lines.begin() + at, TCheckItem());
    });
    return at;
  }
  void Exchange(int A, int B) override {
    Op([&] {
      TItemStrings::Exchange(A, B);
      std::swap(Lines[static_cast<size_t>(A)], Lines[static_cast<size_t>(B)]);
    });
  }
  void Move(int Cur, int New) override {
    Op([&] {
      int before = Count();
      TItemStrings::Move(Cur, New);
      if (Cur == New || Count() != before) return;
      TCheckItem it = Lines[static_cast<size_t>(Cur)];
      Lines.erase(Lines.begin() + Cur);
      Lines.insert(Lines.begin() + New, it);
    });
  }
  void Sort() override {
    Permute([this](int a, int b) { return CompareStrings(Get(a), Get(b)) < 0; });
  }
  void CustomSort(const TStringListSortCompare& Compare) override {
    if (Sorted()) return;
    Permute([&](int a, int b) { return Compare(this, a, b) < 0; });
  }

 protected:
  void Changed() override {
    if (depth_ > 0) {
      pending_ = true;
      return;
    }
    TItemStrings::Changed();
  }

 private:
  template <class F>
  void Op(F Body) {
    ++depth_;
    try {
      Body();
    } catch (...) {
      --depth_;
      Flush();
      throw;
    }
    --depth_;
    Flush();
  }
  void Flush() {
    if (depth_ == 0 && pending_) {
      pending_ = false;
      TItemStrings::Changed();
    }
  }
  // Stable sort by Less on the current positions, carried out as exchanges so
  // that strings, objects and line states move together.
  template <class L>
  void Permute(L Less) {
    int n = Count();
    if (n < 2) return;
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), Less);
    Op([&] {
      std::vector<int> at(order.size()), where(order.size());  // original index at a position, and back
      std::iota(at.begin(), at.end(), 0);
      std::iota(where.begin(), where.end(), 0);
      for (int k = 0; k < n; ++k) {
        int p = where[static_cast<size_t>(order[static_cast<size_t>(k)])];
        if (p == k) continue;
        Exchange(k, p);
        std::swap(at[static_cast<size_t>(k)], at[static_cast<size_t>(p)]);
        where[static_cast<size_t>(at[static_cast<size_t>(k)])] = k;
        where[static_cast<size_t>(at[static_cast<size_t>(p)])] = p;
      }
    });
  }

  int depth_ = 0;
  bool pending_ = false;
};

TCheckListBox::TCheckListBox(TComponent* AOwner) : TCustomListBox(AOwner) {
  checkItems_ = new TCheckItemStrings([this] { LinesChanged(); });
  items_.reset(checkItems_);
}

TCheckListBox::~TCheckListBox() { OnClickCheck = nullptr; }

TCheckBoxState TCheckListBox::State(int Index) const { return checkItems_->Line(Index).State; }

void TCheckListBox::SetState(int Index, TCheckBoxState v) {
  TCheckItem& line = checkItems_->Line(Index);
  if (line.State == v) return;
  line.State = v;
  PushCheck(Index);
}

bool TCheckListBox::ItemEnabled(int Index) const { return checkItems_->Line(Index).Enabled; }

void TCheckListBox::SetItemEnabled(int Index, bool v) {
  TCheckItem& line = checkItems_->Line(Index);
  if (line.Enabled == v) return;
  line.Enabled = v;
  PushCheck(Index);
}

intptr_t TCheckListBox::ItemData(int Index) const { return checkItems_->Line(Index).Data; }

void TCheckListBox::SetItemData(int Index, intptr_t v) { checkItems_->Line(Index).Data = v; }

void TCheckListBox::SetAllowGrayed(bool v) {
  if (v == allowGrayed_) return;
  allowGrayed_ = v;
  PushChecks();
}

void TCheckListBox::ClickCheck() {
  FireEvent(OnClickCheck, this);
}

void TCheckListBox::ToggleClickCheck(int Index) {
  if (Index < 0 || Index >= Count() || !ItemEnabled(Index)) return;
  TCheckBoxState s = State(Index);
  TCheckBoxState next = s == cbUnchecked ? (allowGrayed_ ? cbGrayed : cbChecked)
                        : s == cbChecked ? cbUnchecked
                                         : cbChecked;
  checkItems_->Line(Index).State = next;
  PushCheck(Index);
  ClickCheck();
}

void TCheckListBox::PushChecks() {
  auto* l = dynamic_cast<QListWidget*>(peer_);
  // A batch of changes is shown once, when it ends.
  if (!l || pushingChecks_ || checkItems_->UpdateCount() > 0) return;
  for (int i = 0; i < l->count() && i < Count(); ++i) PushCheck(i);
}

void TCheckListBox::PushCheck(int Index) {
  // Inside a batch nothing is shown: that is known before the widget is looked for.
  if (pushingChecks_ || checkItems_->UpdateCount() > 0) return;
  auto* l = dynamic_cast<QListWidget*>(peer_);
  if (!l || Index >= l->count() || Index >= Count()) return;
  pushingChecks_ = true;
  DressCheck(l->item(Index), Index);
  pushingChecks_ = false;
}

void TCheckListBox::LinesChanged() {
  selected_.resize(static_cast<size_t>(items_->Count()), false);
  if (itemIndex_ >= items_->Count()) itemIndex_ = -1;
  auto* l = dynamic_cast<QListWidget*>(peer_);
  if (!l) return;
  pushing_ = pushingChecks_ = true;
  l->clear();
  for (int i = 0; i < items_->Count(); ++i) {
    auto* it = new QListWidgetItem(ToQString(items_->Get(i)));
    if (i < static_cast<int>(checkItems_->Lines.size())) DressCheck(it, i);
    l->addItem(it);
  }
  // The new items start unselected: only the selected lines are told.
  for (int i = 0; i < l->count() && i < static_cast<int>(selected_.size()); ++i)
    if (selected_[static_cast<size_t>(i)]) l->item(i)->setSelected(true);
  if (itemIndex_ >= 0 && itemIndex_ < l->count()) l->setCurrentRow(itemIndex_, QItemSelectionModel::NoUpdate);
  pushing_ = pushingChecks_ = false;
}

void TCheckListBox::DressCheck(QListWidgetItem* Item, int Index) const {
  const TCheckItem& line = checkItems_->Lines[static_cast<size_t>(Index)];
  Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
  if (line.Enabled) f |= Qt::ItemIsEnabled;
  if (allowGrayed_) f |= Qt::ItemIsUserTristate;
  if (Item->flags() != f) Item->setFlags(f);
  // The list's palette holds its font colour for every state, so a disabled line is greyed here.
  if (!line.Enabled) Item->setForeground(QBrush(ToQColor(clGrayText)));
  else if (Item->data(Qt::ForegroundRole).isValid()) Item->setForeground(QBrush());
  Item->setCheckState(line.State == cbChecked ? Qt::Checked
                      : line.State == cbGrayed ? Qt::PartiallyChecked
                                               : Qt::Unchecked);
}

void TCheckListBox::PeerCheckChanged(int Row, int QtState) {
  if (pushingChecks_ || pushing_ || Row < 0 || Row >= Count()) return;
  TCheckBoxState shown = QtState == Qt::Checked ? cbChecked : QtState == Qt::PartiallyChecked ? cbGrayed : cbUnchecked;
  if (shown == State(Row)) return;
  // The widget changed the box by itself: the line's own cycle decides the new state.
  ToggleClickCheck(Row);
  PushChecks();
}

QWidget* TCheckListBox::CreatePeer(QWidget* ParentWidget) {
  auto* l = static_cast<QListWidget*>(TCustomListBox::CreatePeer(ParentWidget));
  QObject::connect(l, &QListWidget::itemChanged, l, [l](QListWidgetItem* it) {
    TPeerBase* p = PeerOf(l);
    auto* c = dynamic_cast<TCheckListBox*>(p ? p->Control : nullptr);
    if (!c || c->pushingChecks_ || !(it->flags() & Qt::ItemIsUserCheckable)) return;
    int row = l->row(it), state = it->checkState();
    GuiRun(c, [c, row, state] { c->PeerCheckChanged(row, state); });
  });
  return l;
}

void TCheckListBox::CreateWnd() {
  TCustomListBox::CreateWnd();
  PushChecks();
}

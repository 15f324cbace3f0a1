#include "platform/rtl/Classes.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// Records the notifications it hears and forgets a watched peer when it goes.
class TWatcher : public TComponent {
 public:
  using TComponent::TComponent;
  TComponent* Peer = nullptr;
  std::vector<std::pair<TComponent*, TOperation>> Heard;
  int LoadedCalls = 0;
  bool LoadingDuringLoaded = false;
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    Heard.emplace_back(c, op);
    if (op == opRemove && c == Peer) Peer = nullptr;
  }

 protected:
  void Loaded() override {
    LoadingDuringLoaded = (ComponentState() & csLoading) != 0;
    TComponent::Loaded();
    ++LoadedCalls;
  }
};

class TCounted : public TComponent {
 public:
  TCounted(TComponent* owner, int* destroyed) : TComponent(owner), destroyed_(destroyed) {}
  ~TCounted() override { ++*destroyed_; }

 private:
  int* destroyed_;
};

class TPoint3 : public TPersistent {
 public:
  int X = 0;
  void Assign(TPersistent* source) override {
    if (auto* p = dynamic_cast<TPoint3*>(source)) {
      X = p->X;
      return;
    }
    TPersistent::Assign(source);
  }
};

class TOther : public TPersistent {};

}  // namespace

TEST(TObject, ClassNameIsTheDynamicTypeWithoutNamespaces) {
  TStringList sl;
  TObject* o = &sl;
  EXPECT_EQ(o->ClassName(), "TStringList");
  TWatcher w(nullptr);
  EXPECT_EQ(w.ClassName(), "TWatcher");
  EXPECT_EQ(ClassNameOf(nullptr), "nil");
}

TEST(TPersistent, AssignCopiesOrRaisesTheLibraryMessage) {
  TPoint3 a, b;
  a.X = 5;
  b.Assign(&a);
  EXPECT_EQ(b.X, 5);
  TOther other;
  try {
    b.Assign(&other);
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TOther to a TPoint3");
  }
  try {
    other.Assign(nullptr);
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a nil to a TOther");
  }
}

TEST(TComponent, OwnerDestroysWhatItOwnsAndOwnedLeaveTheirOwner) {
  int destroyed = 0;
  auto* owner = new TComponent(nullptr);
  auto* a = new TCounted(owner, &destroyed);
  auto* b = new TCounted(owner, &destroyed);
  new TCounted(b, &destroyed);  // grandchild
  EXPECT_EQ(owner->ComponentCount(), 2);
  EXPECT_EQ(owner->Components(1), b);
  EXPECT_EQ(b->ComponentIndex(), 1);
  EXPECT_EQ(a->Owner(), owner);
  delete a;
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(owner->ComponentCount(), 1);
  EXPECT_EQ(owner->Components(0), b);
  EXPECT_THROW(owner->Components(1), EListError);
  delete owner;
  EXPECT_EQ(destroyed, 3);
}

TEST(TComponent, NamesAreValidatedAndUniquePerOwnerWithoutCase) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  auto* b = new TComponent(&owner);
  a->SetName("btnRead");
  EXPECT_EQ(owner.FindComponent("BTNREAD"), a);
  try {
    b->SetName("BtnRead");
    ADD_FAILURE();
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message(), "A component named BtnRead already exists");
  }
  try {
    b->SetName("1abc");
    ADD_FAILURE();
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message(), "'1abc' is not a valid component name");
  }
  a->SetName("BTNREAD");  // renaming itself with other case is fine
  EXPECT_EQ(a->Name(), "BTNREAD");
  b->SetName("");
  a->SetTag(42);
  EXPECT_EQ(a->Tag(), 42);
  EXPECT_EQ(owner.FindComponent(""), nullptr);
}

TEST(TComponent, FreeNotificationClearsReferencesBothWays) {
  auto* watcher = new TWatcher(nullptr);
  auto* target = new TComponent(nullptr);
  watcher->Peer = target;
  watcher->FreeNotification(target);
  EXPECT_TRUE(target->ComponentState() & csFreeNotification);
  delete target;
  EXPECT_EQ(watcher->Peer, nullptr);
  ASSERT_EQ(watcher->Heard.size(), 1u);
  EXPECT_EQ(watcher->Heard[0].second, opRemove);

  // The link goes both ways: the target hears of the watcher's end too.
  auto* w2 = new TWatcher(nullptr);
  w2->Peer = watcher;
  watcher->FreeNotification(w2);
  delete watcher;
  EXPECT_EQ(w2->Peer, nullptr);

  // A removed link is silent.
  auto* t3 = new TComponent(nullptr);
  w2->Peer = t3;
  w2->FreeNotification(t3);
  w2->RemoveFreeNotification(t3);
  delete t3;
  EXPECT_NE(w2->Peer, nullptr);
  delete w2;
}

TEST(TComponent, OwnerTreeHearsInsertAndRemove) {
  TWatcher form(nullptr);
  auto* sibling = new TWatcher(&form);
  auto* added = new TComponent(&form);
  // Both the owner and the sibling already there hear of the insertion.
  EXPECT_EQ(form.Heard.back(), std::make_pair(added, opInsert));
  EXPECT_EQ(sibling->Heard.back(), std::make_pair(added, opInsert));
  sibling->Peer = added;
  delete added;
  EXPECT_EQ(form.Heard.back(), std::make_pair(added, opRemove));
  EXPECT_EQ(sibling->Peer, nullptr);
}

TEST(TComponent, LoadingStateAndLoaded) {
  TWatcher form(nullptr);
  form.BeginLoading();
  auto* child = new TWatcher(&form);
  EXPECT_TRUE(form.ComponentState() & csLoading);
  EXPECT_TRUE(child->ComponentState() & csLoading);
  form.EndLoading();
  EXPECT_EQ(form.LoadedCalls, 1);
  EXPECT_EQ(child->LoadedCalls, 1);
  EXPECT_TRUE(child->LoadingDuringLoaded);
  EXPECT_FALSE(form.ComponentState() & csLoading);
  EXPECT_FALSE(child->ComponentState() & csLoading);
  auto* late = new TWatcher(&form);
  EXPECT_FALSE(late->ComponentState() & csLoading);

  form.SetDesigning(true);
  EXPECT_TRUE(child->ComponentState() & csDesigning);
  auto* designed = new TComponent(&form);
  EXPECT_TRUE(designed->ComponentState() & csDesigning);
}

TEST(TComponent, DestroyingFlagIsSeenByOwnedComponents) {
  struct TProbe : TComponent {
    using TComponent::TComponent;
    bool* ownerDestroying = nullptr;
    ~TProbe() override { *ownerDestroying = Owner() == nullptr; }
  };
  bool ownerGone = false;
  auto* owner = new TComponent(nullptr);
  auto* p = new TProbe(owner);
  p->ownerDestroying = &ownerGone;
  owner->Destroying();
  EXPECT_TRUE(p->ComponentState() & csDestroying);
  delete owner;
  EXPECT_TRUE(ownerGone);  // removed from the owner before its destructor runs
}

TEST(TComponent, InsertComponentMovesBetweenOwners) {
  TComponent a(nullptr), b(nullptr);
  auto* c = new TComponent(&a);
  c->SetName("x");
  b.InsertComponent(c);
  EXPECT_EQ(a.ComponentCount(), 0);
  EXPECT_EQ(b.ComponentCount(), 1);
  EXPECT_EQ(c->Owner(), &b);
  auto* d = new TComponent(&a);
  d->SetName("X");
  EXPECT_THROW(b.InsertComponent(d), EComponentError);
  EXPECT_EQ(d->Owner(), &a);
  // Removing leaves a component without owner, not destroyed.
  b.RemoveComponent(c);
  EXPECT_EQ(c->Owner(), nullptr);
  delete c;
}

TEST(TList, IndexErrorsAndOrderOperations) {
  TList l;
  int a = 1, b = 2, c = 3;
  l.Add(&a);
  l.Add(&b);
  l.Insert(0, &c);
  EXPECT_EQ(l.Count(), 3);
  EXPECT_EQ(l.Items(0), &c);
  l.Move(0, 2);
  EXPECT_EQ(l.Items(2), &c);
  l.Exchange(0, 1);
  EXPECT_EQ(l.Items(0), &b);
  EXPECT_EQ(l.IndexOf(&a), 1);
  EXPECT_EQ(l.Remove(&a), 1);
  EXPECT_EQ(l.Remove(&a), -1);
  try {
    l.Items(5);
    ADD_FAILURE();
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (5)");
  }
  EXPECT_THROW(l.Delete(-1), EListError);
  EXPECT_THROW(l.Insert(3, nullptr), EListError);
  l.SetCount(4);
  EXPECT_EQ(l.Items(3), nullptr);
  l.Pack();
  EXPECT_EQ(l.Count(), 2);
  l.Add(&a);
  l.Sort([](void* x, void* y) { return *static_cast<int*>(x) - *static_cast<int*>(y); });
  EXPECT_EQ(*static_cast<int*>(l.First()), 1);
  EXPECT_EQ(*static_cast<int*>(l.Last()), 3);
  EXPECT_THROW(l.SetCount(-1), EListError);
}

TEST(TObjectList, OwnsAndDestroysItsObjects) {
  int destroyed = 0;
  struct TItem : TObject {
    int* d;
    explicit TItem(int* p) : d(p) {}
    ~TItem() override { ++*d; }
  };
  {
    TObjectList l;
    l.Add(new TItem(&destroyed));
    auto* kept = new TItem(&destroyed);
    l.Add(kept);
    l.Add(new TItem(&destroyed));
    l.Delete(0);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(l.Extract(kept), kept);
    EXPECT_EQ(destroyed, 1);
    delete kept;
  }
  EXPECT_EQ(destroyed, 3);
}

namespace {

class TPanelItem : public TCollectionItem {
 public:
  using TCollectionItem::TCollectionItem;
  std::string Text;
  void SetText(const std::string& t) {
    Text = t;
    Changed(false);
  }
  void Assign(TPersistent* source) override {
    if (auto* p = dynamic_cast<TPanelItem*>(source)) {
      Text = p->Text;
      return;
    }
    TCollectionItem::Assign(source);
  }
};

class TPanels : public TCollection {
 public:
  TPanels() : TCollection(CollectionItemClass<TPanelItem>()) {}
  std::vector<TCollectionItem*> Updates;
  std::vector<std::pair<TCollectionItem*, TCollectionNotification>> Notes;
  TPanelItem* Items(int i) const { return static_cast<TPanelItem*>(TCollection::Items(i)); }

 protected:
  void Update(TCollectionItem* item) override { Updates.push_back(item); }
  void Notify(TCollectionItem* item, TCollectionNotification action) override {
    Notes.emplace_back(item, action);
  }
};

}  // namespace

TEST(TCollection, AddInsertDeleteAndIndexes) {
  TPanels panels;
  auto* a = static_cast<TPanelItem*>(panels.Add());
  auto* b = static_cast<TPanelItem*>(panels.Add());
  auto* c = static_cast<TPanelItem*>(panels.Insert(0));
  EXPECT_EQ(panels.Count(), 3);
  EXPECT_EQ(c->Index(), 0);
  EXPECT_EQ(a->Index(), 1);
  EXPECT_EQ(b->ID(), 1);
  EXPECT_EQ(panels.FindItemID(2), c);
  b->SetIndex(0);
  EXPECT_EQ(panels.Items(0), b);
  panels.Delete(1);  // c
  EXPECT_EQ(panels.Count(), 2);
  EXPECT_EQ(panels.FindItemID(2), nullptr);
  EXPECT_THROW(panels.Items(2), EListError);
  delete a;  // an item freed by itself leaves the collection
  EXPECT_EQ(panels.Count(), 1);
  EXPECT_EQ(b->Collection(), &panels);
}

// Every change of the list raises the revision and every item still tells its place after it
// (an index remembered from before a change is never answered).
TEST(TCollection, ListChangesRaiseTheRevisionAndIndexesFollow) {
  struct Case {
    const char* Name;
    std::function<void(TPanels&)> Change;
    bool Raises;
  };
  const std::vector<Case> cases = {
      {"add", [](TPanels& P) { P.Add(); }, true},
      {"insert at the front", [](TPanels& P) { P.Insert(0); }, true},
      {"delete the first", [](TPanels& P) { P.Delete(0); }, true},
      {"delete the last", [](TPanels& P) { P.Delete(P.Count() - 1); }, true},
      {"move last to first", [](TPanels& P) { P.Items(P.Count() - 1)->SetIndex(0); }, true},
      {"move first to the middle", [](TPanels& P) { P.Items(0)->SetIndex(2); }, true},
      {"item leaves",
       [](TPanels& P) {
         TPanelItem* it = P.Items(1);
         it->SetCollection(nullptr);
         EXPECT_EQ(it->Index(), -1);
         delete it;
       },
       true},
      {"clear", [](TPanels& P) { P.Clear(); }, true},
      {"item text changed", [](TPanels& P) { P.Items(1)->SetText("x"); }, false},
      {"move to its own place", [](TPanels& P) { P.Items(2)->SetIndex(2); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TPanels panels;
    for (int i = 0; i < 5; ++i) panels.Add();
    for (int i = 0; i < panels.Count(); ++i) EXPECT_EQ(panels.Items(i)->Index(), i);
    const unsigned before = panels.Revision();
    c.Change(panels);
    EXPECT_EQ(panels.Revision() != before, c.Raises);
    for (int i = 0; i < panels.Count(); ++i) EXPECT_EQ(panels.Items(i)->Index(), i);
  }
}

TEST(TCollection, UpdateNotificationsAndBatching) {
  TPanels panels;
  auto* a = static_cast<TPanelItem*>(panels.Add());
  panels.Updates.clear();
  a->SetText("x");
  ASSERT_EQ(panels.Updates.size(), 1u);
  EXPECT_EQ(panels.Updates[0], a);  // one item changed
  panels.Updates.clear();
  panels.BeginUpdate();
  panels.Add();
  a->SetText("y");
  panels.Add();
  EXPECT_TRUE(panels.Updates.empty());
  panels.EndUpdate();
  ASSERT_EQ(panels.Updates.size(), 1u);
  EXPECT_EQ(panels.Updates[0], nullptr);  // everything may have changed
  panels.Notes.clear();
  panels.Delete(0);
  ASSERT_GE(panels.Notes.size(), 2u);
  EXPECT_EQ(panels.Notes[0].second, cnDeleting);
  EXPECT_EQ(panels.Notes[1].second, cnExtracting);
}

TEST(TCollection, NotificationsSeeWholeItems) {
  // A collection whose Update reads every item, like a status bar repainting its panels.
  struct TTextItem : TCollectionItem {
    explicit TTextItem(TCollection* c) : TCollectionItem(c), Text("fresh") {}
    ~TTextItem() override { Text = "gone"; }
    std::string Text;
  };
  struct TReader : TCollection {
    TReader() : TCollection(CollectionItemClass<TTextItem>()) {}
    std::vector<std::string> Seen;
    void Update(TCollectionItem*) override {
      for (int i = 0; i < Count(); ++i) Seen.push_back(static_cast<TTextItem*>(Items(i))->Text);
    }
    void Notify(TCollectionItem* item, TCollectionNotification) override {
      Seen.push_back(static_cast<TTextItem*>(item)->Text);
    }
  };
  TReader r;
  r.Add();
  r.Add();
  r.Delete(0);
  r.Clear();
  ASSERT_FALSE(r.Seen.empty());
  for (const auto& s : r.Seen) EXPECT_EQ(s, "fresh");
}

TEST(TCollection, AssignCopiesItems) {
  TPanels a, b;
  static_cast<TPanelItem*>(a.Add())->Text = "one";
  static_cast<TPanelItem*>(a.Add())->Text = "two";
  b.Add();
  b.Assign(&a);
  ASSERT_EQ(b.Count(), 2);
  EXPECT_EQ(b.Items(0)->Text, "one");
  EXPECT_EQ(b.Items(1)->Text, "two");
  EXPECT_NE(b.Items(0), a.Items(0));
  TStringList sl;
  EXPECT_THROW(b.Assign(&sl), EConvertError);
}

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "controls/inspector/InspEditors.h"
#include "controls/inspector/InspectorBar.h"
#include "platform/gui/Forms.h"
#include "platform/gui/testing/GuiTest.h"

namespace {

class InspModel : public TGuiTest {
 protected:
  void SetUp() override { bar = std::make_unique<TInspectorBar>(nullptr); }
  void TearDown() override {
    bar.reset();
    TGuiTest::TearDown();
  }
  TInspectorPanel* AddPanel(const std::string& caption) {
    TInspectorPanel* p = bar->Panels()->Add();
    p->SetCaption(caption);
    return p;
  }
  std::unique_ptr<TInspectorBar> bar;
};

// A descendant bar and panel bring their own collections through the two factory operations.
class TOwnPanels : public TInspectorPanels {
 public:
  using TInspectorPanels::TInspectorPanels;
};
class TOwnItems : public TInspectorItems {
 public:
  using TInspectorItems::TInspectorItems;
};
class TOwnBar : public TInspectorBar {
 public:
  using TInspectorBar::TInspectorBar;

 protected:
  TInspectorPanels* CreatePanels() override { return new TOwnPanels(this); }
};
class TOwnPanel : public TInspectorPanel {
 public:
  using TInspectorPanel::TInspectorPanel;

 protected:
  TInspectorItems* CreateItems() override { return new TOwnItems(this); }
};

TEST_F(InspModel, DescendantsCreateTheirOwnPanelAndRowCollections) {
  TOwnBar own(nullptr);
  own.SetBounds(0, 0, 180, 200);
  ASSERT_NE(dynamic_cast<TOwnPanels*>(own.Panels()), nullptr);
  EXPECT_EQ(own.Panels()->Bar(), &own);
  own.Panels()->Add()->Items()->Add()->SetCaption("row");
  EXPECT_EQ(own.Panels()->GetItem(0)->Items()->GetItem(0)->Bar(), &own);
  TOwnPanel panel(nullptr);
  ASSERT_NE(dynamic_cast<TOwnItems*>(panel.Items()), nullptr);
  EXPECT_EQ(panel.Items()->Panel(), &panel);
  // Panels given to a bar that made none yet go into its own collection.
  TOwnBar given(nullptr);
  given.SetPanels(own.Panels());
  ASSERT_NE(dynamic_cast<TOwnPanels*>(given.Panels()), nullptr);
  EXPECT_EQ(given.Panels()->Count(), 1);
  // The plain bar and panel keep theirs.
  EXPECT_EQ(dynamic_cast<TOwnPanels*>(bar->Panels()), nullptr);
  EXPECT_EQ(dynamic_cast<TOwnItems*>(AddPanel("p")->Items()), nullptr);
}

TEST_F(InspModel, NewPanelAndRowHaveTheirDefaults) {
  TInspectorPanel* p = AddPanel("");
  EXPECT_EQ(p->ItemIndex(), -1);
  EXPECT_EQ(p->ItemHeight(), 48);
  EXPECT_EQ(p->CaptionWidth(), 60);
  EXPECT_EQ(p->Color(), clGray);
  EXPECT_EQ(p->CaptionColor(), clNone);
  EXPECT_EQ(p->MultiPanelState(), mpsClose);
  EXPECT_FALSE(p->IsOpen());
  EXPECT_EQ(p->ModifiedFont()->Style(), static_cast<TFontStyles>(fsBold));
  EXPECT_EQ(p->ModifiedFont()->Color(), clNavy);
  EXPECT_EQ(p->SelectFontColor(), clYellow);
  EXPECT_EQ(p->DisplayName(), "TInspectorPanel0");
  TInspectorItem* it = p->Items()->Add();
  EXPECT_EQ(it->PropertyType(), ptInteger);
  EXPECT_EQ(it->TextValue(), "");  // a new row's text stays empty until a value is assigned
  EXPECT_EQ(it->SpinMax(), 100);
  EXPECT_EQ(it->Height(), 48);
  EXPECT_EQ(it->ImageIndex(), -1);
  EXPECT_EQ(it->BackgroundPosition(), bpBottomRight);
  EXPECT_EQ(it->DisplayName(), "TInspectorItem0");
  EXPECT_EQ(it->Panel(), p);
  EXPECT_EQ(it->Bar(), bar.get());
  EXPECT_TRUE(it->Icon()->Empty());
  EXPECT_EQ(it->Icon()->Width(), 32);
  EXPECT_EQ(it->Icon()->Height(), 32);
  p->SetIconLargeSize(48);
  TInspectorItem* large = p->Items()->Add();
  EXPECT_EQ(large->Icon()->Width(), 48);
  EXPECT_EQ(large->Icon()->Height(), 48);
  p->SetIconLargeSize(16);
  TInspectorItem* copy = p->Items()->Add();
  copy->Assign(large);
  EXPECT_EQ(copy->Icon()->Width(), 48);  // the icon is copied with its size
  EXPECT_EQ(bar->Version(), "1.4.0.3");
  EXPECT_EQ(bar->Width(), 180);
  EXPECT_TRUE(bar->TabStop());
}

TEST_F(InspModel, TypedValuesWriteTheirText) {
  TInspectorItem* it = AddPanel("Device Setup")->Items()->Add();
  it->SetIntValue(-42);
  EXPECT_EQ(it->TextValue(), "-42");
  it->SetTextValue("A0");
  EXPECT_EQ(it->IntValue(), -42);  // the text does not touch the integer
  bar->SetCheckTrue("Ja");
  bar->SetCheckFalse("Nein");
  it->SetBoolValue(true);
  EXPECT_EQ(it->TextValue(), "Ja");
  it->SetBoolValue(false);
  EXPECT_EQ(it->TextValue(), "Nein");
  TFont f;
  f.SetName("Courier");
  it->SetFontValue(&f);
  EXPECT_EQ(it->TextValue(), "Courier");
  EXPECT_EQ(it->FontValue()->Name(), "Courier");
}

TEST_F(InspModel, PropertyTypeResetsTheText) {
  TInspectorItem* it = AddPanel("")->Items()->Add();
  bar->SetCheckFalse("off");
  const struct {
    TPropertyType t;
    const char* text;
  } cases[] = {{ptInteger, "0"}, {ptIntSpin, "0"},     {ptFloat, "0.0"},  {ptColor, "clBlack"},
               {ptFixedColor, "clBlack"}, {ptBoolean, "off"}, {ptText, ""}, {ptValues, ""}};
  for (const auto& c : cases) {
    it->SetTextValue("x");
    it->SetPropertyType(c.t);
    EXPECT_EQ(it->TextValue(), c.text) << c.t;
  }
}

TEST_F(InspModel, ColourNames) {
  EXPECT_EQ(InspColorName(clBlack), "Black");
  EXPECT_EQ(InspColorName(clNavy), "Navy");
  EXPECT_EQ(InspColorName(clWhite), "White");
  EXPECT_EQ(InspColorName(clBtnFace), "BtnFace");
  EXPECT_EQ(InspColorName(cl3DDkShadow), "3ddkShadow");
  EXPECT_EQ(InspColorName(clInfoBk), "Infobk");
  EXPECT_EQ(InspColorName(TColorOf(0xFF000000)), "$FF000000");
  EXPECT_EQ(InspColorName(0x123456), "$00123456");
  TInspectorItem* it = AddPanel("")->Items()->Add();
  it->SetColorValue(clBtnFace);
  EXPECT_EQ(it->TextValue(), "BtnFace");
  EXPECT_EQ(it->ColorValue(), clBtnFace);
}

TEST_F(InspModel, PanelSettersRefuseOutOfRangeValues) {
  TInspectorPanel* p = AddPanel("");
  p->Items()->Add();
  p->Items()->Add();
  p->SetItemIndex(1);
  p->SetItemIndex(2);  // == Count
  EXPECT_EQ(p->ItemIndex(), 1);
  p->SetItemIndex(-1);
  EXPECT_EQ(p->ItemIndex(), 1);
  p->SetItemHeight(0);
  EXPECT_EQ(p->ItemHeight(), 48);
  p->SetItemHeight(24);
  EXPECT_EQ(p->ItemHeight(), 24);
  p->SetTopItem(2);
  EXPECT_EQ(p->TopItem(), 0);
  p->SetTopItem(1);
  EXPECT_EQ(p->TopItem(), 1);
  p->SetMultiPanelState(mpsAlwaysOpen);
  EXPECT_TRUE(p->IsOpen());
  EXPECT_EQ(p->MultiPanelState(), mpsAlwaysOpen);
  p->SetIsOpen(false);
  EXPECT_EQ(p->MultiPanelState(), mpsClose);
  p->SetIsOpen(true);
  EXPECT_EQ(p->MultiPanelState(), mpsAlwaysOpen);
  p->Items()->GetItem(0)->SetModified(true);
  p->SetShowModified(false);
  EXPECT_FALSE(p->Items()->GetItem(0)->Modified());
}

TEST_F(InspModel, ShortcutDuplicatesAreRefusedWithTheirMessage) {
  TInspectorPanel* a = AddPanel("a");
  TInspectorPanel* b = AddPanel("b");
  a->SetShortCut(ShortCut('A', ssCtrl));
  a->SetShortCut(ShortCut('A', ssCtrl));  // its own value again: accepted silently
  EXPECT_EQ(a->ShortCut(), ShortCut('A', ssCtrl));
  b->SetShortCut(ShortCut('B', ssCtrl));
  Responder().ExpectMessage("ShortCut already assigned to another panel [0]");
  b->SetShortCut(ShortCut('A', ssCtrl));
  EXPECT_EQ(b->ShortCut(), ShortCut('B', ssCtrl));

  TInspectorItem* r0 = b->Items()->Add();
  TInspectorItem* r1 = b->Items()->Add();
  Responder().ExpectMessage("ShortCut already assigned to panel");
  r0->SetShortCut(ShortCut('B', ssCtrl));
  EXPECT_EQ(r0->ShortCut(), 0);
  r0->SetShortCut(ShortCut('C', ssCtrl));
  Responder().ExpectMessage("ShortCut already assigned to another item [0]");
  r1->SetShortCut(ShortCut('C', ssCtrl));
  EXPECT_EQ(r1->ShortCut(), 0);
  Responder().ExpectMessage("ShortCut already assigned to another item [0]");
  b->SetShortCut(ShortCut('C', ssCtrl));
  EXPECT_EQ(b->ShortCut(), ShortCut('B', ssCtrl));
  // 0 is never a duplicate.
  r1->SetShortCut(0);
  a->SetShortCut(0);
  b->SetShortCut(0);
  EXPECT_EQ(b->ShortCut(), 0);
}

TEST_F(InspModel, ControlHeldByOnePanelOnly) {
  TForm form(nullptr);
  TPanel host(&form);
  TInspectorPanel* a = AddPanel("a");
  TInspectorPanel* b = AddPanel("b");
  a->SetControl(&host);
  Responder().ExpectMessage("Control already assigned to another panel");
  b->SetControl(&host);
  EXPECT_EQ(b->Control(), nullptr);
  b->SetControl(nullptr);
  // Copying a panel never makes a second holder of the control.
  b->Assign(a);
  EXPECT_EQ(b->Control(), nullptr);
  EXPECT_EQ(a->Control(), &host);
}

TEST_F(InspModel, RowTreeCollapsesAndExpandsBySubtree) {
  TInspectorPanel* p = AddPanel("");
  const int levels[] = {0, 1, 2, 1, 0};
  for (int l : levels) p->Items()->Add()->SetLevel(l);
  auto row = [&](int i) { return p->Items()->GetItem(i); };
  EXPECT_EQ(row(0)->ChildCount(), 3);
  EXPECT_EQ(row(1)->ChildCount(), 1);
  EXPECT_EQ(row(4)->ChildCount(), 0);
  row(0)->SetCollapsed(true);
  EXPECT_TRUE(row(0)->Visible());
  EXPECT_FALSE(row(1)->Visible());
  EXPECT_FALSE(row(2)->Visible());
  EXPECT_FALSE(row(3)->Visible());
  EXPECT_TRUE(row(4)->Visible());
  EXPECT_TRUE(row(1)->Collapsed());
  row(0)->SetCollapsed(false);
  EXPECT_TRUE(row(1)->Visible());
  EXPECT_FALSE(row(2)->Visible());  // row 1 is still collapsed
  EXPECT_TRUE(row(3)->Visible());
  EXPECT_TRUE(row(4)->Visible());
}

TEST_F(InspModel, PanelAndRowIndexesAfterInsertsAndDeletes) {
  TInspectorPanel* a = AddPanel("a");
  TInspectorPanel* c = AddPanel("c");
  TInspectorPanel* b = bar->Panels()->Insert(1);
  b->SetCaption("b");
  EXPECT_EQ(bar->Panels()->GetItem(1), b);
  EXPECT_EQ(c->Index(), 2);
  TInspectorItem* r1 = a->Items()->Add();
  TInspectorItem* r0 = a->Items()->Insert(0);
  EXPECT_EQ(r0->Index(), 0);
  EXPECT_EQ(r1->Index(), 1);
  a->Items()->Delete(0);
  EXPECT_EQ(r1->Index(), 0);
  EXPECT_EQ(a->Items()->GetItem(0), r1);
  bar->Panels()->Delete(0);
  EXPECT_EQ(b->Index(), 0);
  EXPECT_EQ(bar->Panels()->Items(1), c);
  EXPECT_THROW(bar->Panels()->Items(2), EListError);
  EXPECT_THROW(c->Items()->Items(0), EListError);
}

TEST_F(InspModel, RemovingAPanelKeepsTopPanelOnAPanel) {
  for (const char* c : {"a", "b", "c", "d"}) AddPanel(c);
  bar->SetTopPanel(3);
  bar->Panels()->Delete(1);  // below the top panel: the top panel follows its panel
  EXPECT_EQ(bar->TopPanel(), 2);
  EXPECT_EQ(bar->Panels()->GetItem(bar->TopPanel())->Caption(), "d");
  bar->Panels()->Delete(2);  // the top panel itself: the one before it shows
  EXPECT_EQ(bar->TopPanel(), 1);
  bar->Panels()->Delete(0);
  EXPECT_EQ(bar->TopPanel(), 0);
  EXPECT_EQ(bar->ActivePanel(), 0);
  bar->Panels()->Delete(0);
  EXPECT_EQ(bar->TopPanel(), 0);
  EXPECT_EQ(bar->ActivePanel(), -1);
}

TEST_F(InspModel, LayoutUpdatesRecordTheFirstAndLastOpenVisiblePanel) {
  for (const char* c : {"a", "b", "c", "d"}) AddPanel(c);
  EXPECT_EQ(bar->FirstOpenPanel(), -1);
  bar->SetMode(imMultiPanelActive);  // panel 0 opens
  EXPECT_EQ(bar->FirstOpenPanel(), 0);
  EXPECT_EQ(bar->LastOpenPanel(), 0);
  const struct {
    std::vector<bool> open, visible;
    int first, last;
  } cases[] = {
      {{true, false, true, false}, {true, true, true, true}, 0, 2},
      {{true, false, true, true}, {false, true, true, false}, 2, 2},
      {{false, true, false, true}, {true, true, true, true}, 1, 3},
      {{false, false, false, false}, {true, true, true, true}, -1, -1},
  };
  for (const auto& c : cases) {
    for (int i = 0; i < 4; ++i) {
      bar->Panels()->GetItem(i)->SetIsOpen(c.open[i]);
      bar->Panels()->GetItem(i)->SetVisible(c.visible[i]);
    }
    bar->UpdateLayout();
    EXPECT_EQ(bar->FirstOpenPanel(), c.first);
    EXPECT_EQ(bar->LastOpenPanel(), c.last);
  }
  bar->SetMode(imSinglePanelActive);
  bar->SetTopPanel(2);  // the one open panel of single-panel mode
  EXPECT_EQ(bar->FirstOpenPanel(), 2);
  EXPECT_EQ(bar->LastOpenPanel(), 2);
}

TEST_F(InspModel, CopiesLeaveEveryObjectWithOneOwner) {
  TInspectorPanel* a = AddPanel("a");
  a->SetColor(clRed);
  a->SetCaptionColor(clBlue);  // not copied
  a->SetShortCut(ShortCut('K', ssCtrl));
  TInspectorItem* r = a->Items()->Add();
  r->SetCaption("Device Size");
  r->SetPropertyType(ptValues);
  r->Values()->Add("128");
  r->SetTextValue("128");
  TInspectorPanel* b = AddPanel("b");
  b->Assign(a);
  EXPECT_EQ(b->Caption(), "a");
  EXPECT_EQ(b->Color(), clRed);
  EXPECT_EQ(b->CaptionColor(), clNone);
  EXPECT_EQ(b->ShortCut(), ShortCut('K', ssCtrl));  // a stored field: no duplicate check
  ASSERT_EQ(b->Items()->Count(), 1);
  TInspectorItem* copy = b->Items()->GetItem(0);
  EXPECT_NE(copy, r);
  EXPECT_EQ(copy->TextValue(), "128");
  EXPECT_EQ(copy->PropertyType(), ptValues);  // stored field, no reset of the text
  EXPECT_NE(copy->Values(), r->Values());
  r->Values()->Add("256");
  EXPECT_EQ(copy->Values()->Count(), 1);
  EXPECT_NE(copy->Background(), r->Background());
  EXPECT_NE(b->Splitter(), a->Splitter());
  EXPECT_EQ(copy->Panel(), b);
}

class CountingLink : public TInspectorEditLink {
 public:
  using TInspectorEditLink::TInspectorEditLink;
  void DestroyEditor() override { ++Destroyed; }
  int Destroyed = 0;
};

TEST_F(InspModel, ARowThatGoesTellsItsLinkToDestroyTheEditor) {
  const struct {
    const char* Name;
    bool LinkFreedFirst, Copied;
    int Destroyed;
  } cases[] = {{"the row goes", false, false, 1},
               {"the link went before the row", true, false, 0},
               {"a copied row goes", false, true, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    int destroyed = -1;
    {
      TInspectorPanel* p = AddPanel("a");
      auto* link = new CountingLink(nullptr);
      TInspectorItem* row = p->Items()->Add();
      row->SetPropertyType(ptCustom);
      row->SetEditLink(link);
      if (c.Copied) {
        TInspectorItem* copy = AddPanel("b")->Items()->Add();
        copy->Assign(row);
        delete row;
        row = copy;
        link->Destroyed = 0;
      }
      if (c.LinkFreedFirst) {
        delete link;
        link = nullptr;
        EXPECT_EQ(row->EditLink(), nullptr);
      }
      delete row;
      if (link) destroyed = link->Destroyed;
      else destroyed = 0;
      delete link;
      bar->Panels()->Clear();
    }
    EXPECT_EQ(destroyed, c.Destroyed);
  }
}

TEST_F(InspModel, DestroyedControlIsForgotten) {
  TInspectorPanel* a = AddPanel("a");
  auto host = std::make_unique<TPanel>(nullptr);
  a->SetControl(host.get());
  host.reset();
  EXPECT_EQ(a->Control(), nullptr);
}

TEST(InspImage, NewEmptyAndRejectsNonPictures) {
  TInspImage img;
  EXPECT_TRUE(img.Empty());
  EXPECT_EQ(img.Width(), 0);
  EXPECT_EQ(img.Height(), 0);
  TStringStream junk("this is no picture");
  try {
    img.LoadFromStream(&junk);
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Could not load image. Invalid format");
  }
  EXPECT_FALSE(img.Empty());  // the bytes stay loaded
  EXPECT_EQ(img.Width(), 0);
  TMemoryStream out;
  img.SaveToStream(&out);
  EXPECT_EQ(out.Size(), 18);
}

TEST(InspImage, KeepsTheBytesAndDecodesThem) {
  TBitmap bmp(3, 2);
  bmp.Canvas()->Brush()->SetColor(clRed);
  bmp.Canvas()->FillRect(TRect(0, 0, 3, 2));
  TMemoryStream ms;
  bmp.SaveToStream(&ms);
  TInspImage img;
  int changes = 0;
  img.OnChange = [&](TObject*) { ++changes; };
  img.LoadFromStream(&ms);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(img.Width(), 3);
  EXPECT_EQ(img.Height(), 2);
  TInspImage copy;
  copy.Assign(&img);
  EXPECT_EQ(copy.Bytes(), img.Bytes());
  EXPECT_EQ(copy.Width(), 3);
  TMemoryStream back;
  copy.WriteData(&back);
  EXPECT_EQ(back.Size(), ms.Size());
  copy.Assign(nullptr);
  EXPECT_TRUE(copy.Empty());
  EXPECT_TRUE(copy.Bytes().empty());
  // Another class of graphic: the bytes stay, the picture goes, no notification.
  img.Assign(&bmp);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(img.Empty());
  EXPECT_FALSE(img.Bytes().empty());
  EXPECT_EQ(img.Width(), 0);
}

}  // namespace

namespace {

// A button panel brings the selected row into view by its TopItem: a bar 200 high, two captions
// of 20, so the body runs from 20 to 160 and holds four rows of 32.
TEST_F(InspModel, SelectingAButtonScrollsItIntoView) {
  const struct {
    TPanelStyle style;
    TInspectorBarMode mode;
    int rowHeight;  // VariableItemHeight with this height when not 32
    int top, index, expectedTop;
  } cases[] = {
      {psButtons, imSinglePanelActive, 32, 0, 2, 0},   // in view already
      {psButtons, imSinglePanelActive, 32, 0, 4, 1},   // 20 pixels below: one row on
      {psButtons, imSinglePanelActive, 32, 0, 9, 6},   // 180 below: 180 div 32 + 1
      {psButtons, imSinglePanelActive, 32, 5, 2, 2},   // above the body: it becomes the top row
      {psButtons, imSinglePanelActive, 32, 5, 5, 5},   // the top row itself
      {psButtons, imSinglePanelActive, 100, 0, 3, 3},  // tall rows: never past the selected row
      {psButtons, imMultiPanelActive, 32, 0, 9, 0},    // the flow scrolls by its scroll bar instead
      {psSmallIcon, imSinglePanelActive, 32, 0, 9, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.style) + " " + std::to_string(c.top) + " " + std::to_string(c.index));
    bar = std::make_unique<TInspectorBar>(nullptr);
    bar->SetBounds(0, 0, 180, 200);
    bar->HelpPanel()->SetVisible(false);
    TInspectorPanel* p = AddPanel("buttons");
    AddPanel("next");
    p->SetStyle(c.style);
    p->SetItemHeight(32);
    p->SetVariableItemHeight(c.rowHeight != 32);
    for (int i = 0; i < 10; ++i) p->Items()->Add()->SetHeight(c.rowHeight);
    bar->SetMode(c.mode);
    p->SetTopItem(c.top);
    p->SetItemIndex(c.index);
    EXPECT_EQ(p->ItemIndex(), c.index);
    EXPECT_EQ(p->TopItem(), c.expectedTop);
  }
}

}  // namespace

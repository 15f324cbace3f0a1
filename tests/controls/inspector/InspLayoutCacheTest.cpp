// The bar keeps its layout between changes: every kind of change lays it out again, and paints
// and hit tests without a change lay out nothing.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/inspector/InspectorBar.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/testing/GuiTest.h"

namespace {

// Everything the layout answers, read through the bar's own questions.
struct TAnswers {
  std::vector<TRect> Rects;
  std::vector<int> Rows;
  std::vector<const void*> Hits;
  int Active = -1;
  std::vector<uint8_t> Pixels;
  bool operator==(const TAnswers&) const = default;
};

TAnswers Answers(TInspectorBar& Bar, bool Painted = true) {
  TAnswers a;
  TBitmap target(Bar.Width(), Bar.Height());
  if (Painted) Bar.PaintOn(target.Canvas());
  for (int y = 0; Painted && y < Bar.Height(); ++y) {
    const uint8_t* line = target.ScanLine(y);
    a.Pixels.insert(a.Pixels.end(), line, line + 4 * Bar.Width());
  }
  for (int p = 0; p < Bar.Panels()->Count(); ++p) {
    TInspectorPanel* panel = Bar.Panels()->GetItem(p);
    a.Rects.push_back(Bar.CaptionRect(panel));
    for (int r = 0; r < panel->Items()->Count(); ++r) {
      TRect R;
      Bar.GetItemRect(panel, panel->Items()->GetItem(r), R);
      a.Rects.push_back(R);
    }
  }
  for (const TInspLayoutPanel& p : Bar.LayoutPanels()) a.Rows.insert(a.Rows.end(), p.Rows.begin(), p.Rows.end());
  for (int y = 0; y < Bar.Height(); y += 7) {
    a.Hits.push_back(Bar.ItemAt(20, y));
    a.Hits.push_back(Bar.PanelAt(20, y));
    a.Rows.push_back(Bar.CaptionAt(20, y));
  }
  a.Active = Bar.ActivePanel();
  return a;
}

class InspLayoutCache : public TGuiTest {
 protected:
  std::unique_ptr<TInspectorBar> MakeBar(TInspectorBarMode Mode) {
    auto bar = std::make_unique<TInspectorBar>(nullptr);
    bar->SetBounds(0, 0, 200, 300);
    for (int i = 0; i < 2; ++i) {
      TInspectorPanel* p = bar->Panels()->Add();
      p->SetStyle(psProperties);
      p->SetVariableItemHeight(i == 0);
      p->SetItemHeight(22);
      for (int r = 0; r < 12; ++r) {
        TInspectorItem* it = p->Items()->Add();
        it->SetCaption("row " + std::to_string(r));
        it->SetHeight(18 + r);
      }
    }
    bar->SetMode(Mode);
    if (Mode == imMultiPanelActive) bar->Panels()->GetItem(0)->SetIsOpen(true);
    bar->UpdateLayout();
    return bar;
  }
  void Paint(TInspectorBar& Bar) {
    TBitmap target(Bar.Width(), Bar.Height());
    Bar.PaintOn(target.Canvas());
  }
};

struct TChange {
  const char* Name;
  TInspectorBarMode Mode;
  std::function<void(TInspectorBar&)> Do;
  std::function<void(TInspectorBar&)> Before = nullptr;  // sets the stage, laid out before Do
};

TInspectorPanel* P(TInspectorBar& B, int I) { return B.Panels()->GetItem(I); }
TInspectorItem* Row(TInspectorBar& B, int Panel, int I) { return P(B, Panel)->Items()->GetItem(I); }

const std::vector<TChange>& Changes() {
  static const std::vector<TChange> kChanges = {
      {"row hidden", imSinglePanelActive, [](TInspectorBar& B) { Row(B, 0, 1)->SetVisible(false); }},
      {"row hidden, multi", imMultiPanelActive, [](TInspectorBar& B) { Row(B, 0, 1)->SetVisible(false); }},
      {"row shown", imMultiPanelActive, [](TInspectorBar& B) { Row(B, 0, 1)->SetVisible(true); },
       [](TInspectorBar& B) { Row(B, 0, 1)->SetVisible(false); }},
      {"row resized", imSinglePanelActive, [](TInspectorBar& B) { Row(B, 0, 0)->SetHeight(60); }},
      {"row resized, multi", imMultiPanelActive, [](TInspectorBar& B) { Row(B, 0, 0)->SetHeight(60); }},
      {"row added", imMultiPanelActive, [](TInspectorBar& B) { P(B, 0)->Items()->Add()->SetHeight(30); }},
      {"row inserted", imMultiPanelActive, [](TInspectorBar& B) { P(B, 0)->Items()->Insert(0); }},
      {"row removed", imSinglePanelActive, [](TInspectorBar& B) { P(B, 0)->Items()->Delete(0); }},
      {"row removed, multi", imMultiPanelActive, [](TInspectorBar& B) { P(B, 0)->Items()->Delete(0); }},
      {"row moved", imMultiPanelActive, [](TInspectorBar& B) { Row(B, 0, 9)->SetIndex(0); }},
      {"row assigned", imMultiPanelActive, [](TInspectorBar& B) { Row(B, 0, 0)->Assign(Row(B, 0, 11)); }},
      {"rows cleared", imMultiPanelActive, [](TInspectorBar& B) { P(B, 0)->Items()->Clear(); }},
      {"panel row height", imSinglePanelActive,
       [](TInspectorBar& B) {
         P(B, 0)->SetVariableItemHeight(false);
         P(B, 0)->SetItemHeight(40);
       }},
      {"panel row height, fixed", imMultiPanelActive, [](TInspectorBar& B) { P(B, 1)->SetItemHeight(30); },
       [](TInspectorBar& B) {
         P(B, 0)->SetIsOpen(false);
         P(B, 1)->SetIsOpen(true);
         B.UpdateLayout();
       }},
      {"variable row heights", imMultiPanelActive, [](TInspectorBar& B) { P(B, 0)->SetVariableItemHeight(false); }},
      {"panel opened", imMultiPanelActive,
       [](TInspectorBar& B) {
         P(B, 1)->SetIsOpen(true);
         B.UpdateLayout();
       }},
      {"panel closed", imMultiPanelActive,
       [](TInspectorBar& B) {
         P(B, 0)->SetIsOpen(false);
         B.UpdateLayout();
       }},
      {"panel hidden", imSinglePanelActive, [](TInspectorBar& B) { P(B, 0)->SetVisible(false); }},
      {"panel added", imSinglePanelActive, [](TInspectorBar& B) { B.Panels()->Insert(0); }},
      {"panel removed", imMultiPanelActive, [](TInspectorBar& B) { B.Panels()->Delete(0); }},
      {"panel moved", imSinglePanelActive, [](TInspectorBar& B) { P(B, 1)->SetIndex(0); }},
      {"top panel", imSinglePanelActive, [](TInspectorBar& B) { B.SetTopPanel(1); }},
      {"panel scrolled", imSinglePanelActive, [](TInspectorBar& B) { P(B, 0)->SetTopItem(3); }},
      {"bar scrolled", imMultiPanelActive, [](TInspectorBar& B) { B.ScrollBarControl()->SetPosition(50); }},
      {"bar resized", imSinglePanelActive, [](TInspectorBar& B) { B.SetBounds(0, 0, 240, 200); }},
      {"bar resized, multi", imMultiPanelActive, [](TInspectorBar& B) { B.SetBounds(0, 0, 240, 500); }},
      {"caption height", imMultiPanelActive, [](TInspectorBar& B) { B.PanelCaption()->SetHeight(30); }},
      {"side strip", imSinglePanelActive,
       [](TInspectorBar& B) {
         B.PanelCaption()->SetSideDisplay(true);
         B.PanelCaption()->SetSideWidth(12);
       }},
      {"help panel", imSinglePanelActive,
       [](TInspectorBar& B) {
         B.HelpPanel()->SetHeight(50);
         B.HelpPanel()->SetVisible(true);
       }},
      {"mode", imSinglePanelActive, [](TInspectorBar& B) { B.SetMode(imMultiPanelActive); }},
  };
  return kChanges;
}

// After each change the kept layout answers as one built from nothing, and the change is one
// that moves something (so a layout kept from before it would answer otherwise).
TEST_F(InspLayoutCache, EveryKindOfChangeLaysOutAgain) {
  for (const TChange& c : Changes()) {
    SCOPED_TRACE(c.Name);
    auto bar = MakeBar(c.Mode);
    if (c.Before) c.Before(*bar);
    Paint(*bar);
    const TAnswers before = Answers(*bar);
    c.Do(*bar);
    Paint(*bar);
    const TAnswers kept = Answers(*bar);
    bar->ForgetLayout();
    const TAnswers fresh = Answers(*bar);
    EXPECT_EQ(kept, fresh);
    EXPECT_NE(before, fresh);
  }
}

// Paints, hit tests and value changes build nothing; a change reads the rows once at most.
TEST_F(InspLayoutCache, PaintsAndHitTestsWithoutAChangeLayOutNothing) {
  for (TInspectorBarMode mode : {imSinglePanelActive, imMultiPanelActive}) {
    SCOPED_TRACE(mode);
    auto bar = MakeBar(mode);
    Paint(*bar);
    const int reads = bar->LayoutRowReads(), builds = bar->LayoutBuilds();
    for (int i = 0; i < 3; ++i) {
      Paint(*bar);
      Answers(*bar);
      Row(*bar, 0, 2)->SetTextValue("value " + std::to_string(i));
      Row(*bar, 0, 2)->SetCaption("caption " + std::to_string(i));
    }
    EXPECT_EQ(bar->LayoutRowReads(), reads);
    EXPECT_EQ(bar->LayoutBuilds(), builds);
    Row(*bar, 0, 0)->SetHeight(44);
    Paint(*bar);
    Answers(*bar);
    Paint(*bar);
    EXPECT_EQ(bar->LayoutRowReads(), reads + 1);
  }
}

// A layout in use stays whole when a row's drawing changes the rows: the paint goes on over
// the rows it laid out, and the next use sees the change.
TEST_F(InspLayoutCache, ARowDrawingThatResizesRowsKeepsThePaintWhole) {
  auto bar = MakeBar(imMultiPanelActive);
  int drawn = 0;
  bar->OnItemDraw = [&](TObject*, TInspectorItem* Item, TCanvas*, const TRect&, bool&) {
    ++drawn;
    Item->SetHeight(Item->Height() + 1);
  };
  Paint(*bar);
  EXPECT_GT(drawn, 0);
  const TAnswers kept = Answers(*bar, false);
  bar->ForgetLayout();
  EXPECT_EQ(kept, Answers(*bar, false));
}

}  // namespace

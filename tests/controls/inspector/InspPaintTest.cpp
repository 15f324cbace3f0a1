// The bar's painting through the recording canvas: rows, captions, bodies,
// arrows, the help panel and the looks that feed them.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <vector>

#include "controls/inspector/InspectorBar.h"
#include "platform/gui/RecordingCanvas.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/VisualStyles.h"
#include "platform/gui/testing/GuiTest.h"
#include "tests/controls/inspector/InspSetupPanel.h"
#include "tests/controls/inspector/InspThemes.h"

namespace {

class InspPaint : public TGuiTest {
 protected:
  void SetUp() override {
    Classic();
    bar = std::make_unique<TInspectorBar>(nullptr);
    bar->SetBounds(0, 0, 180, 300);
  }
  void TearDown() override {
    bar.reset();
    SetVisualStylesLoader(nullptr);
    TGuiTest::TearDown();
  }
  // No styles library: the classic frame drawing.
  static void Classic() { NoStylesLibrary(); }
  // A styles library that records the parts drawn.
  void Themed() { RecordThemeParts(&parts); }
  std::vector<TThemePart> PartsOf(const std::string& cls) const {
    std::vector<TThemePart> v;
    for (const auto& p : parts)
      if (p.Class == cls) v.push_back(p);
    return v;
  }

  // The device setup panel of the EEPROM windows.
  TInspectorPanel* SetupPanel() { return AddSetupPanel(bar.get()); }
  TInspectorItem* AddRow(TInspectorPanel* p, const std::string& caption, TPropertyType type,
                         const std::string& value = "") {
    TInspectorItem* it = p->Items()->Add();
    it->SetCaption(caption);
    it->SetPropertyType(type);
    if (!value.empty()) it->SetTextValue(value);
    it->SetHeight(24);
    return it;
  }
  void Paint() {
    canvas.Clear();
    bar->PaintOn(&canvas);
  }
  const TCanvasOp* Text(const std::string& s) {
    for (const TCanvasOp& op : canvas.Ops())
      if (op.Kind == okText && op.Text == s) return &op;
    return nullptr;
  }
  std::vector<TCanvasOp> TextsIn(int top, int bottom) {
    std::vector<TCanvasOp> v;
    for (const TCanvasOp& op : canvas.OpsOf(okText))
      if (op.R.Top >= top && op.R.Top < bottom) v.push_back(op);
    return v;
  }
  bool HasLine(const TRect& r, TColor c) {
    for (const TCanvasOp& op : canvas.OpsOf(okLine))
      if (op.R == r && op.Pen.Color == c) return true;
    return false;
  }
  bool HasBox(const TRect& r, TColor brush) {
    for (const TCanvasOp& op : canvas.Ops())
      if ((op.Kind == okRectangle || op.Kind == okFillRect) && op.R == r && op.BrushColor == brush) return true;
    return false;
  }

  std::unique_ptr<TInspectorBar> bar;
  TRecordingCanvas canvas{400, 400};
  std::vector<TThemePart> parts;
};

TEST_F(InspPaint, SetupRowsPlaceCaptionGridEditBoxAndValue) {
  TInspectorPanel* p = SetupPanel();
  Paint();
  // Body under the one caption bar from y 20; rows 24 high, full bar width.
  // Editable row "Address" at (0, 44, 180, 68).
  const TCanvasOp* cap = Text("Address");
  ASSERT_NE(cap, nullptr);
  EXPECT_EQ(cap->R.TopLeft(), TPoint(4, 47));
  EXPECT_TRUE(HasLine(TRect(0, 67, 180, 67), p->GridLineColor()));
  EXPECT_TRUE(HasLine(TRect(70, 44, 70, 68), p->GridLineColor()));
  EXPECT_TRUE(HasLine(TRect(71, 44, 71, 68), clWhite));
  EXPECT_TRUE(HasBox(TRect(75, 47, 175, 64), p->EditColor()));
  const TCanvasOp* val = Text("0x50");
  ASSERT_NE(val, nullptr);
  EXPECT_EQ(val->R.TopLeft(), TPoint(78, 48));
  EXPECT_EQ(val->Font.Color, p->EditFontColor());
  // The read-only row has no box and starts one pixel higher.
  EXPECT_EQ(Text("Device Size")->R.TopLeft(), TPoint(4, 22));
  EXPECT_EQ(Text("8192")->R.TopLeft(), TPoint(74, 22));
  for (const TCanvasOp& op : canvas.OpsOf(okRectangle))
    EXPECT_FALSE(op.R.Top >= 20 && op.R.Bottom <= 44 && op.BrushColor == p->EditColor()) << op.Describe();
  // The caption bar text, centred, in the caption font.
  const TCanvasOp* title = Text("Device Setup");
  ASSERT_NE(title, nullptr);
  EXPECT_LT(title->R.Bottom, 21);
  EXPECT_GT(title->R.Left, 40);
  // A row's markup shadow falls 2 pixels right and down of its text.
  p->Items()->Items(0)->SetCaption("<SHAD>Shade</SHAD>");
  Paint();
  std::vector<TCanvasOp> shade;
  for (const TCanvasOp& op : canvas.OpsOf(okText))
    if (op.Text == "Shade") shade.push_back(op);
  ASSERT_EQ(shade.size(), 2u);
  EXPECT_EQ(shade[0].R.Left, shade[1].R.Left + 2);  // the shadow is drawn first
  EXPECT_EQ(shade[0].R.Top, shade[1].R.Top + 2);
}

TEST_F(InspPaint, EachTypeShowsItsValue) {
  TInspectorPanel* p = bar->Panels()->Add();
  p->SetStyle(psProperties);
  p->SetVariableItemHeight(true);
  p->SetCaptionWidth(70);
  p->SetBackground(pbSolid);
  bar->SetHeight(400);
  AddRow(p, "Pass", ptPassword, "abc");                  // y 20
  AddRow(p, "Empty", ptPassword);                        // y 44
  TInspectorItem* on = AddRow(p, "On", ptBoolean);       // y 68
  on->SetBoolValue(false);
  TInspectorItem* col = AddRow(p, "Colour", ptColor);    // y 92
  col->SetColorValue(clRed);
  TInspectorItem* font = AddRow(p, "Font", ptFont);      // y 116
  font->FontValue()->SetName("Courier New");
  TInspectorItem* mod = AddRow(p, "Mod", ptText, "changed");  // y 140
  mod->SetModified(true);
  AddRow(p, "Shown", ptText, "raw");                     // y 164
  AddRow(p, "Wide", ptPassword, "\xC3\xA9\xE2\x82\xAC" "1");  // y 188: "é€1", three characters
  bar->OnItemValue = [](TObject*, TInspectorPanel*, TInspectorItem* it, std::string& v) {
    if (it->Caption() == "Shown") v = "cooked";
  };
  Paint();
  EXPECT_EQ(Text("***")->R.TopLeft(), TPoint(74, 22));
  for (const TCanvasOp& op : TextsIn(44, 68))  // the caption only
    EXPECT_TRUE(op.Text.empty() || op.Text == "Empty") << op.Describe();
  // The check text 16 pixels right of the box.
  EXPECT_EQ(Text("False")->R.TopLeft(), TPoint(74 + 16, 70));
  EXPECT_TRUE(HasBox(TRect(76, 96, 94, 110), clRed));
  EXPECT_EQ(Text("Red")->R.Left, 74 + 24);
  EXPECT_EQ(Text("Courier New")->Font.Name, "Courier New");
  EXPECT_EQ(Text("cooked")->R.Top, 166);
  EXPECT_EQ(Text("raw"), nullptr);
  bool wide = false;
  for (const TCanvasOp& op : TextsIn(188, 212)) wide |= op.Text == "***";
  EXPECT_TRUE(wide);
  // Modified rows change font only while the panel shows modifications; the caption never does.
  EXPECT_FALSE(Text("changed")->Font.Style & fsBold);
  p->SetShowModified(true);
  Paint();
  EXPECT_TRUE(Text("changed")->Font.Style & fsBold);
  EXPECT_EQ(Text("changed")->Font.Color, p->ModifiedFont()->Color());
  EXPECT_FALSE(Text("Mod")->Font.Style & fsBold);
  bar->SetCheckTextShow(false);
  Paint();
  EXPECT_EQ(Text("False"), nullptr);
}

TEST_F(InspPaint, ValueGlyphsOnlyWithShowEditorAlwaysButCheckBoxesAlways) {
  Themed();
  TInspectorPanel* p = bar->Panels()->Add();
  p->SetStyle(psProperties);
  p->SetVariableItemHeight(true);
  p->SetCaptionWidth(70);
  AddRow(p, "List", ptValues, "a");       // y 20
  AddRow(p, "Spin", ptIntSpin, "1");      // y 44
  AddRow(p, "Dots", ptTextButton, "t");   // y 68
  TInspectorItem* b = AddRow(p, "Check", ptBoolean);  // y 92
  b->SetBoolValue(true);
  Paint();
  EXPECT_TRUE(PartsOf("combobox").empty());
  EXPECT_TRUE(PartsOf("spin").empty());
  auto buttons = PartsOf("button");
  ASSERT_EQ(buttons.size(), 1u);
  EXPECT_EQ(buttons[0].Part, 3);
  EXPECT_EQ(buttons[0].State, 5);  // checked, normal
  EXPECT_EQ(buttons[0].R, TRect(74, 94, 88, 108));

  parts.clear();
  bar->SetShowEditorAlways(true);
  Paint();
  auto combo = PartsOf("combobox");
  ASSERT_EQ(combo.size(), 1u);
  EXPECT_EQ(combo[0].R, TRect(176 - 16, 23, 176, 40));
  auto spin = PartsOf("spin");
  ASSERT_EQ(spin.size(), 2u);
  // h = (68 - 46) / 2 - 2 = 9
  EXPECT_EQ(spin[0].R, TRect(176 - 17, 46, 176, 57));
  EXPECT_EQ(spin[1].R, TRect(176 - 17, 57, 176, 67));
  EXPECT_EQ(PartsOf("button").size(), 2u);  // the dots button and the check box
}

// A row not shown has no place: in single-panel mode a row of a panel not active, above its
// TopItem or invisible gives an empty rectangle (its formula place would be another row's).
TEST_F(InspPaint, GetItemRectIsEmptyForARowNotShown) {
  TInspectorPanel* a = bar->Panels()->Add();
  TInspectorPanel* b = bar->Panels()->Add();
  for (TInspectorPanel* p : {a, b}) {
    p->SetVariableItemHeight(true);
    for (int i = 0; i < 3; ++i) AddRow(p, "row" + std::to_string(i), ptText);
  }
  a->Items()->Items(2)->SetVisible(false);
  const struct {
    const char* name;
    TInspectorPanel* panel;
    int row, topItem;
    TRect want;
  } cases[] = {
      {"first row", a, 0, 0, TRect(0, 20, 180, 44)},
      {"second row", a, 1, 0, TRect(0, 44, 180, 68)},
      {"invisible row", a, 2, 0, TRect()},
      {"row of a panel not active", b, 0, 0, TRect()},
      {"row above TopItem", a, 0, 1, TRect()},
      {"TopItem row", a, 1, 1, TRect(0, 20, 180, 44)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    a->SetTopItem(c.topItem);
    TRect r(1, 2, 3, 4);
    bar->GetItemRect(c.panel, c.panel->Items()->Items(c.row), r);
    EXPECT_EQ(r, c.want);
  }
}

TEST_F(InspPaint, RowDrawingEventsAndTreeIndentation) {
  TInspectorPanel* p = bar->Panels()->Add();
  p->SetStyle(psProperties);
  p->SetVariableItemHeight(true);
  p->SetCaptionWidth(100);
  p->SetGridLines(true);
  p->SetItemIndex(0);
  AddRow(p, "Top", ptText, "x");                     // y 20
  TInspectorItem* deep = AddRow(p, "Deep", ptText);  // y 44
  deep->SetLevel(2);
  AddRow(p, "Leaf", ptText)->SetLevel(3);            // y 68
  TInspectorItem* custom = AddRow(p, "Custom", ptCustom, "hidden");  // y 92
  Paint();
  EXPECT_EQ(Text("Deep")->R.Left, Text("Top")->R.Left + 24);
  bool glyph = false;
  for (const TCanvasOp& op : canvas.OpsOf(okImage))
    glyph = glyph || op.R.TopLeft() == TPoint(Text("Deep")->R.Left - 16, 46 + 4);
  EXPECT_TRUE(glyph);
  bool noDefault = false;
  bar->OnCustomEditDraw = [&](TObject*, TInspectorItem* it, TCanvas*, const TRect& r, bool&) {
    noDefault = it == custom && r.Left == 104;
  };
  Paint();
  EXPECT_TRUE(noDefault);
  EXPECT_EQ(Text("hidden"), nullptr);
  EXPECT_NE(Text("Custom"), nullptr);

  // A row drawing taken over draws nothing itself: no selection, no grid lines.
  bar->OnItemDraw = [](TObject*, TInspectorItem* it, TCanvas*, const TRect&, bool& def) { def = it->Index() != 0; };
  Paint();
  EXPECT_EQ(Text("Top"), nullptr);
  EXPECT_EQ(Text("x"), nullptr);
  for (const TCanvasOp& op : canvas.Ops())
    EXPECT_FALSE(op.R.Top >= 20 && op.R.Bottom <= 44 && (op.Kind == okLine || op.Kind == okRectangle))
        << op.Describe();
}

TEST_F(InspPaint, SinglePanelStacksArrowsAndRepaintsOnceWhenTheyAppear) {
  Themed();
  bar->SetHeight(100);
  TInspectorPanel* a = SetupPanel();
  bar->Panels()->Add()->SetCaption("Second");
  std::vector<int> drawnCaptions;
  bar->OnPanelDraw = [&](TObject*, TInspectorPanel* p, TCanvas*, const TRect& r, bool&) {
    drawnCaptions.push_back(p->Index() * 1000 + r.Top);
  };
  Paint();
  // Captions at 0 and at the bottom (80); body 20..80 holds two rows fully.
  EXPECT_EQ(drawnCaptions, (std::vector<int>{0, 1080, 0, 1080}));
  EXPECT_EQ(bar->LastPaintPasses(), 2);
  EXPECT_TRUE(bar->DownArrowShown());
  EXPECT_FALSE(bar->UpArrowShown());
  // The arrows narrow the rows by 19 pixels.
  EXPECT_TRUE(HasLine(TRect(0, 43, 161, 43), a->GridLineColor()));
  auto arrows = PartsOf("scrollbar");
  ASSERT_EQ(arrows.size(), 1u);
  EXPECT_EQ(arrows[0].R, TRect(162, 62, 180, 80));
  EXPECT_EQ(arrows[0].State, 5);
  // Rows are clipped to the body: the partly shown third row is drawn, the fourth not.
  EXPECT_NE(Text("Page Size"), nullptr);
  EXPECT_EQ(Text("Write Time"), nullptr);
  for (const TCanvasOp& op : canvas.OpsOf(okText))
    if (op.Text == "Page Size") {
      EXPECT_EQ(op.Clip, TRect(0, 20, 180, 80));
    }
  drawnCaptions.clear();
  Paint();
  EXPECT_EQ(bar->LastPaintPasses(), 1);
  a->SetTopItem(1);
  parts.clear();
  Paint();
  EXPECT_TRUE(bar->UpArrowShown());
  ASSERT_EQ(PartsOf("scrollbar").size(), 2u);
  EXPECT_EQ(PartsOf("scrollbar")[0].R, TRect(162, 20, 180, 38));
}

TEST_F(InspPaint, RowDrawingThatKeepsChangingHeightsRepaintsAtMostOnce) {
  bar->SetHeight(100);
  TInspectorPanel* p = SetupPanel();
  // Every pass flips all rows between tall and short, so the down arrow flips on every pass.
  bar->OnItemDraw = [p](TObject*, TInspectorItem* it, TCanvas*, const TRect&, bool&) {
    if (it->Index() != 0) return;
    const int h = p->Items()->GetItem(0)->Height() == 24 ? 10 : 24;
    for (int i = 0; i < p->Items()->Count(); ++i) p->Items()->GetItem(i)->SetHeight(h);
  };
  for (int i = 0; i < 3; ++i) {
    Paint();
    EXPECT_LE(bar->LastPaintPasses(), 2);
  }
}

TEST_F(InspPaint, MultiPanelFlowFillsTheRestAndFindsItsScrollBar) {
  bar->SetHeight(200);
  bar->SetColor(clTeal);
  for (int i = 0; i < 3; ++i) {
    TInspectorPanel* p = bar->Panels()->Add();
    p->SetStyle(psProperties);
    p->SetVariableItemHeight(true);
    p->SetCaption("P" + std::to_string(i));
  }
  bar->SetMode(imMultiPanelActive);
  TInspectorPanel* first = bar->Panels()->GetItem(0);
  first->SetIsOpen(true);
  AddRow(first, "r0", ptText, "v0");
  Paint();
  EXPECT_EQ(bar->LastPaintPasses(), 1);
  EXPECT_EQ(Text("r0")->R.Top, 20 + 2);
  EXPECT_EQ(Text("P1")->R.Top, 45);  // inside the caption bevel
  // Captions 3 x 20 + one row of 24 end at 84; the rest is the bar's colour.
  EXPECT_TRUE(HasBox(TRect(0, 84, 180, 200), clTeal));
  // Rows added without a layout update overflow: the painting updates the layout and runs once more.
  for (int i = 1; i < 10; ++i) AddRow(first, "r" + std::to_string(i), ptText);
  EXPECT_FALSE(bar->ScrollBarShown());
  Paint();
  EXPECT_TRUE(bar->ScrollBarShown());
  EXPECT_EQ(bar->LastPaintPasses(), 2);
  // Rows end before the scroll bar.
  EXPECT_EQ(bar->ClientRight(), 164);
}

TEST_F(InspPaint, CaptionDrawsShadingBevelGraphicAndUnderline) {
  TInspectorPanel* p = SetupPanel();
  TInspectorCaption* cap = bar->PanelCaption();
  cap->SetOpenCloseGraphic(ocgTriangle);
  cap->SetUnderline(true);
  cap->SetUnderlineColor(clRed);
  Paint();
  // Bevel, then the shading copied at the shrunk rectangle's origin.
  bool shading = false;
  for (const TCanvasOp& op : canvas.OpsOf(okImage))
    shading = shading || (op.R == TRect(1, 1, 179, 19) && op.Source == TRect(0, 0, 178, 18));
  EXPECT_TRUE(shading);
  // The active panel's triangle points down; the text starts 16 + 4 further right.
  auto polys = canvas.OpsOf(okPolygon);
  ASSERT_EQ(polys.size(), 1u);
  EXPECT_EQ(polys[0].Points, (std::vector<TPoint>{{5, 5}, {11, 5}, {8, 8}}));
  EXPECT_TRUE(HasLine(TRect(0, 19, 180, 19), clRed));
  // A panel of its own drawing leaves the caption alone.
  bar->OnPanelDraw = [p](TObject*, TInspectorPanel* q, TCanvas*, const TRect&, bool& def) { def = q != p; };
  Paint();
  EXPECT_EQ(Text("Device Setup"), nullptr);
  EXPECT_TRUE(canvas.OpsOf(okPolygon).empty());
}

TEST_F(InspPaint, AutoIconRowsDrawTheDesktopIconOfTheirFileOrLink) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("velmaron-icons-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string file = (dir / "notes.txt").string();
  std::ofstream(file) << "notes";
  const struct {
    TPanelStyle style;
    bool autoIcon;
    std::string url;
    int size;  // the icon drawn, 0: none
  } cases[] = {
      {psSmallIcon, true, "https://example.org/", 16}, {psSmallIcon, true, "mailto:someone@example.org", 16},
      {psSmallIcon, true, file, 16},                   {psSmallIcon, true, dir.string(), 16},
      {psSmallIcon, true, "/nowhere/data.hex", 16},    {psLargeIcon, true, file, 32},
      {psLargeIcon, true, "", 0},                      {psSmallIcon, false, file, 0},
      {psButtons, true, file, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url + " style " + std::to_string(c.style));
    bar = std::make_unique<TInspectorBar>(nullptr);
    bar->SetBounds(0, 0, 180, 300);
    TInspectorPanel* p = bar->Panels()->Add();
    p->SetStyle(c.style);
    p->SetItemHeight(c.style == psLargeIcon ? 56 : 22);
    TInspectorItem* it = p->Items()->Add();
    it->SetCaption("row");
    it->SetURL(c.url);
    it->SetAutoIcon(c.autoIcon);
    Paint();
    TRect row;
    bar->GetItemRect(p, it, row);
    std::vector<TCanvasOp> icons;
    for (const TCanvasOp& op : canvas.OpsOf(okImage))
      if (op.R.Top >= row.Top && op.R.Bottom <= row.Bottom) icons.push_back(op);
    ASSERT_EQ(icons.size(), c.size ? 1u : 0u);
    const TCanvasOp* caption = Text("row");
    ASSERT_NE(caption, nullptr);
    if (!c.size) continue;
    EXPECT_EQ(icons[0].R.Width(), c.size);
    EXPECT_EQ(icons[0].R.Height(), c.size);
    if (c.style == psSmallIcon) EXPECT_GE(caption->R.Left, icons[0].R.Right + 4) << "the caption beside the icon";
    else EXPECT_GE(caption->R.Top, icons[0].R.Bottom + 2) << "the caption below the icon";
  }
  // The kind of thing decides the icon: a link, a folder and a file do not look alike.
  auto image = [](const std::string& url) {
    TInspectorItem item(nullptr);
    item.SetAutoIcon(true);
    item.SetURL(url);
    return item.ShellIcon(16) ? item.ShellIcon(16)->ToImage() : QImage();
  };
  const QImage link = image("https://example.org/"), folder = image(dir.string()), doc = image(file);
  EXPECT_FALSE(link.isNull() || folder.isNull() || doc.isNull());
  EXPECT_NE(link, doc);
  EXPECT_NE(folder, doc);
  fs::remove_all(dir);
}

TEST_F(InspPaint, OnlyTheActivePanelsCaptionTakesTheActiveFont) {
  TInspectorCaption* cap = bar->PanelCaption();
  cap->Font()->SetColor(clBlue);
  cap->ActiveFont()->SetColor(clRed);
  for (const char* name : {"Alpha", "Beta", "Gamma"}) {
    TInspectorPanel* p = bar->Panels()->Add();
    p->SetCaption(name);
    AddRow(p, "row", ptText, "v");
  }
  for (TInspectorBarMode mode : {imSinglePanelActive, imMultiPanelActive}) {
    SCOPED_TRACE(mode == imSinglePanelActive ? "single" : "multi");
    bar->SetMode(mode);
    bar->SetTopPanel(1);
    for (int i = 0; i < 3; ++i) bar->Panels()->Items(i)->SetIsOpen(true);  // multi-panel: all open
    bar->UpdateLayout();
    Paint();
    for (const char* name : {"Alpha", "Beta", "Gamma"}) {
      SCOPED_TRACE(name);
      const TCanvasOp* t = Text(name);
      ASSERT_NE(t, nullptr);
      EXPECT_EQ(t->Font.Color, std::string(name) == "Beta" ? clRed : clBlue);
    }
  }
}

TEST_F(InspPaint, ShadingRebuildsOnlyForShadeChanges) {
  TInspectorCaption* cap = bar->PanelCaption();
  cap->SetShadeType(stRMetal);
  cap->SetColor(clSilver);
  auto pixels = [&] {
    std::vector<TColor> v;
    TBitmap* b = bar->CaptionShading();
    for (int y = 0; y < b->Height(); ++y)
      for (int x = 0; x < b->Width(); ++x) v.push_back(b->Canvas()->Pixels(x, y));
    return v;
  };
  const auto before = pixels();
  ASSERT_EQ(before.size(), 180u * 20u);
  cap->Font()->SetColor(clWhite);
  cap->SetAlignment(taCenter);
  cap->SetColorTo(clRed);
  EXPECT_EQ(pixels(), before);
  cap->SetColor(clSilver);  // a new seed, new streaks
  EXPECT_NE(pixels(), before);
  cap->SetShadeLight(150);
  EXPECT_EQ(cap->ShadeLight(), 200);
  cap->SetShadeLight(255);
  EXPECT_EQ(cap->ShadeLight(), 255);
  bar->SetWidth(120);
  EXPECT_EQ(bar->CaptionShading()->Width(), 120);
  cap->SetHeight(24);
  EXPECT_EQ(bar->CaptionShading()->Height(), 24);

  // A bar of width 0 has no shading and still draws its captions.
  bar->SetWidth(0);
  EXPECT_TRUE(bar->CaptionShading()->Empty());
  bar->Panels()->Add()->SetCaption("Zero");
  Paint();
  EXPECT_NE(Text("Zero"), nullptr);
}

TEST_F(InspPaint, HelpPanelNotifiesForEverythingButColorTo) {
  TInspectorHelp help;
  int changes = 0;
  help.OnChange = [&](TObject* s) {
    EXPECT_EQ(s, &help);
    ++changes;
  };
  help.SetColorTo(clRed);
  EXPECT_EQ(changes, 0);
  help.SetText("x");
  help.SetVisible(true);
  help.SetBevelWidth(2);
  TFont f;
  help.SetFont(&f);
  EXPECT_EQ(changes, 4);
}

TEST_F(InspPaint, HelpPanelFillsItsStripAndWrapsOrRendersItsText) {
  SetupPanel();
  TInspectorHelp* h = bar->HelpPanel();
  h->SetVisible(true);
  h->SetHeight(40);
  h->SetColor(clYellow);
  h->SetText("Chip size in bytes");
  Paint();
  EXPECT_EQ(bar->PanelAreaHeight(), 260);
  EXPECT_TRUE(HasBox(TRect(0, 260, 180, 300), clYellow));
  const TCanvasOp* t = Text("Chip size in bytes");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->R.Top, 261);
  h->SetText("The <b>page</b> size");
  Paint();
  EXPECT_EQ(Text("The <b>page</b> size"), nullptr);
  const TCanvasOp* page = Text("page");
  ASSERT_NE(page, nullptr);
  EXPECT_TRUE(page->Font.Style & fsBold);
}

TEST_F(InspPaint, StylesSetTheirColourSets) {
  TInspectorPanel* p = SetupPanel();
  EXPECT_EQ(bar->Style(), esCustom);
  EXPECT_EQ(p->Background(), pbTexture);  // a new bar's esCustom is not applied
  bar->SetStyle(esOffice2003Blue);
  EXPECT_EQ(bar->PanelCaption()->Color(), TColor(0xFFE7D6));
  EXPECT_EQ(bar->PanelCaption()->ColorTo(), TColor(0xC67B52));
  EXPECT_EQ(bar->Color(), TColor(0xFFE7D6));
  EXPECT_EQ(p->Background(), pbGradient);
  EXPECT_EQ(p->GradientSteps(), 128);
  EXPECT_EQ(p->GradientEnd(), TColor(0xC67B52));
  EXPECT_EQ(p->HoverIconBorderColor(), TColor(0x962D00));
  EXPECT_EQ(p->SelectFontColor(), clWhite);
  EXPECT_EQ(bar->HelpPanel()->Color(), TColor(0xC67B52));
  EXPECT_EQ(bar->HelpPanel()->ColorTo(), TColor(0xFFE7D6));
  bar->SetStyle(esCustom);
  EXPECT_EQ(bar->PanelCaption()->ColorTo(), clNone);
  EXPECT_EQ(p->GradientEnd(), clNone);
  EXPECT_EQ(p->SelectColorTo(), clNone);
  // The gradient body runs top to bottom.
  Paint();
  EXPECT_FALSE(canvas.OpsOf(okRectangle).empty());
}

}  // namespace

namespace {

// An open panel's textured rows reach far below the bar: only the tiles over the bar are drawn,
// each in its place counted from the rows' top.
TEST_F(InspPaint, TextureTilesOnlyTheRowsOverTheBarFromTheRowsTop) {
  bar->SetHeight(200);
  TBitmap texture(16, 16);
  TInspectorPanel* p = bar->Panels()->Add();
  p->SetStyle(psProperties);
  p->SetVariableItemHeight(true);
  p->SetBackground(pbTexture);
  p->SetTexture(&texture);
  for (int i = 0; i < 200; ++i) AddRow(p, "r" + std::to_string(i), ptText);
  bar->SetMode(imMultiPanelActive);
  p->SetIsOpen(true);
  bar->UpdateLayout();
  bar->ScrollBarControl()->SetPosition(1000);
  ASSERT_EQ(bar->ScrollPosition(), 1000);
  Paint();
  std::set<std::pair<int, int>> drawn, want;
  for (const TCanvasOp& op : canvas.OpsOf(okImage))
    if (op.R.Width() == 16 && op.R.Height() == 16) drawn.insert({op.R.Left, op.R.Top});
  const int rowsTop = -1000 + 20, right = bar->ClientRight();
  for (int y = rowsTop; y < 200; y += 16)
    for (int x = 0; x < right; x += 16)
      if (y + 16 > 0) want.insert({x, y});
  EXPECT_EQ(drawn, want);
}

}  // namespace

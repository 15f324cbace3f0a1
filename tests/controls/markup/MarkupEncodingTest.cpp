// One text, one encoding: what the renderer decodes, measures, cuts and draws
// stays in the encoding of the text it was given.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "controls/markup/EsgHTMLE.h"
#include "platform/gui/RecordingCanvas.h"
#include "platform/rtl/Win1252.h"
#include "tests/controls/markup/MarkupTestSupport.h"

namespace {

class MarkupEncoding : public MarkupFixture {
 protected:
  // Every string the canvas was given to measure or draw, in drawing order.
  std::vector<std::string> Drawn() {
    std::vector<std::string> r;
    for (const TCanvasOp& op : c.OpsOf(okText)) r.push_back(op.Text);
    return r;
  }
};

}  // namespace

TEST_F(MarkupEncoding, EntitiesJoinTheEncodingOfTheirText) {
  // Typed UTF-8 with an entity: the entity becomes UTF-8 as well.
  THTMLDrawParams p = Params("K\xC3\xB6ln &copy;");
  HTMLDrawEngine(GridMarkupDialect, p);
  EXPECT_EQ(Drawn(), std::vector<std::string>{"K\xC3\xB6ln \xC2\xA9"});
  EXPECT_EQ(p.StripVal, "K\xC3\xB6ln \xC2\xA9");

  // Plain ASCII is UTF-8 too.
  c.Clear();
  THTMLDrawParams a = Params("&euro;&sect;&permil;&reg;&para;&trade;");
  HTMLDrawEngine(GridMarkupDialect, a);
  EXPECT_EQ(a.StripVal, "\xE2\x82\xAC\xC2\xA7\xE2\x80\xB0\xC2\xAE\xC2\xB6\xE2\x84\xA2");

  // A Windows-1252 text keeps its bytes in what comes back, entities included,
  // and the canvas is given the same characters as valid UTF-8.
  c.Clear();
  THTMLDrawParams w = Params("K\xF6ln &copy;&euro;");
  HTMLDrawEngine(GridMarkupDialect, w);
  EXPECT_EQ(w.StripVal, "K\xF6ln \xA9\x80");
  EXPECT_EQ(Drawn(), std::vector<std::string>{"K\xC3\xB6ln \xC2\xA9\xE2\x82\xAC"});
}

TEST_F(MarkupEncoding, AWindows1252TextIsNeverReadAsUtf8PieceByPiece) {
  // "\xC3\xA9" alone would pass for UTF-8; in this text it is two 1252 characters.
  THTMLDrawParams p = Params("\xC3\xA9<B>b</B> \xE9");
  HTMLDrawEngine(GridMarkupDialect, p);
  auto ops = c.OpsOf(okText);
  std::sort(ops.begin(), ops.end(), [](const TCanvasOp& a, const TCanvasOp& b) { return a.R.Left < b.R.Left; });
  std::string all;
  for (const TCanvasOp& op : ops) {
    EXPECT_TRUE(IsValidUtf8(op.Text)) << op.Text;
    all += op.Text;
  }
  EXPECT_EQ(Utf8ToWin1252(all), "\xC3\xA9" "b \xE9");
  EXPECT_EQ(p.StripVal, "\xC3\xA9" "b \xE9");
}

TEST_F(MarkupEncoding, ValuesComeBackInTheTextsEncoding) {
  const std::string text =
      "<A HREF=\"caf\xE9\" TITLE=\"t\xE9\">\xE9</A><CONTROL TYPE=\"EDIT\" ID=\"\xE9\" VALUE=\"v\xE9&amp;\" WIDTH=\"40\">";
  THTMLDrawParams h = Params(text);
  h.CheckHotSpot = true;
  h.XPos = 3;
  h.YPos = 12;  // the control makes the line 19 high; the text stands at its bottom
  EXPECT_TRUE(HTMLDrawEngine(GridMarkupDialect, h));
  EXPECT_EQ(h.AnchorVal, "CAF\xE9");
  EXPECT_EQ(h.AnchorTitle, "t\xE9");

  THTMLDrawParams k = Params(text);
  k.CheckHotSpot = true;
  k.XPos = 20;
  k.YPos = 5;
  k.ControlID = "\xE9";  // as read from the text
  EXPECT_TRUE(HTMLDrawEngine(GridMarkupDialect, k));
  EXPECT_EQ(k.AnchorVal, "ctrl");
  EXPECT_EQ(k.ControlID, "\xE9");
  EXPECT_EQ(k.ControlValue, "v\xE9&");

  // A control ID given that no control carries comes back as it was given.
  THTMLDrawParams n = Params("\xE9x");
  n.CheckHotSpot = true;
  n.ControlID = "\xC3\xA9";
  HTMLDrawEngine(GridMarkupDialect, n);
  EXPECT_EQ(n.ControlID, "\xC3\xA9");
}

TEST_F(MarkupEncoding, TheEllipsisCutsWholeCharacters) {
  // Eight two-byte characters, 40 pixels on the recording canvas.
  const std::string e8 = "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9";
  for (int right = 16; right <= 40; ++right) {
    c.Clear();
    THTMLDrawParams p = Params(e8, TRect(0, 0, right, 100));
    HTMLDrawEngine(GridMarkupDialect, p);
    const std::vector<std::string> drawn = Drawn();
    ASSERT_EQ(drawn.size(), 1u) << right;
    EXPECT_TRUE(IsValidUtf8(drawn[0])) << right << ": " << drawn[0];
    EXPECT_EQ(drawn[0], e8.substr(0, 2 * ((right - 1) / 5 - 3)) + "...") << right;
  }
  // A 1252 text is cut by its characters too and drawn as UTF-8.
  c.Clear();
  THTMLDrawParams w = Params("\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9", TRect(0, 0, 41, 100));
  HTMLDrawEngine(GridMarkupDialect, w);
  EXPECT_EQ(Drawn(), std::vector<std::string>{"\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9..."});
}

TEST_F(MarkupEncoding, PasswordsShowOneStarPerCharacter) {
  THTMLDrawParams p = Params("<CONTROL TYPE=\"PASSWORD\" ID=\"p\" VALUE=\"\xC3\xA9t\xC3\xA9\" WIDTH=\"100\">");
  HTMLDrawEngine(GridMarkupDialect, p);
  EXPECT_NE(c.Dump().find("\"***\""), std::string::npos) << c.Dump();
  EXPECT_EQ(c.Dump().find("****"), std::string::npos);
  EXPECT_EQ(PasswordText("\xC3\xA9t\xC3\xA9"), "***");
  EXPECT_EQ(PasswordText("\xE9t\xE9"), "***");
}

TEST_F(MarkupEncoding, ControlValuesAreCutWholeToTheirBox) {
  // The value of a narrow edit box is cut with the renderer's own ellipsis.
  THTMLDrawParams p =
      Params("<CONTROL TYPE=\"EDIT\" ID=\"e\" VALUE=\"\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\" WIDTH=\"30\">");
  HTMLDrawEngine(GridMarkupDialect, p);
  bool found = false;
  for (const TCanvasOp& op : c.Ops()) {
    if (op.Text.empty()) continue;
    EXPECT_TRUE(IsValidUtf8(op.Text)) << op.Text;
    if (op.Text.find("...") != std::string::npos) found = true;
  }
  EXPECT_TRUE(found) << c.Dump();
}

TEST(MarkupEncodingOnScreen, TextWithAnEntityLooksLikeTheSameTextTyped) {
  auto draw = [](const std::function<void(TCanvas*)>& paint) {
    auto bmp = std::make_unique<TBitmap>(160, 24);
    TCanvas* canvas = bmp->Canvas();
    canvas->Brush()->SetColor(clWhite);
    canvas->FillRect(TRect(0, 0, 160, 24));
    canvas->Font()->SetColor(clBlack);
    paint(canvas);
    return bmp;
  };
  auto markup = [&](const std::string& text) {
    return draw([&](TCanvas* canvas) {
      THTMLDrawParams p;
      p.Canvas = canvas;
      p.Text = text;
      p.Rect = TRect(0, 0, 160, 24);
      HTMLDrawEngine(GridMarkupDialect, p);
      EXPECT_EQ(p.XSize, canvas->TextWidth("K\xC3\xB6ln \xC2\xA9"));
    });
  };
  auto typed = draw([](TCanvas* canvas) {
    canvas->Brush()->SetStyle(bsClear);
    canvas->TextOut(1, 0, "K\xC3\xB6ln \xC2\xA9");
  });
  for (const std::string text : {"K\xC3\xB6ln &copy;", "K\xF6ln &copy;", "K\xC3\xB6ln \xC2\xA9"}) {
    auto shown = markup(text);
    int differ = 0, ink = 0;
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 160; ++x) {
        differ += shown->Canvas()->Pixels(x, y) != typed->Canvas()->Pixels(x, y);
        ink += typed->Canvas()->Pixels(x, y) != clWhite;
      }
    EXPECT_GT(ink, 20);
    EXPECT_EQ(differ, 0) << text;
  }
}

TEST(MarkupEncodingOnScreen, AnAnchorIsHitWhereItIsDrawn) {
  // Plain pieces before the anchor are drawn as one run; the anchor's area
  // starts where that run's ink ends, and the anchor's ink lies inside it.
  // The empty tags split the text into pieces measured apart.
  for (const std::string text : {"K\xC3\xB6ln <U></U>&copy;<A HREF=\"x\">link</A>",
                                 "K\xF6ln <U></U>&copy;<A HREF=\"x\">link</A>",
                                 "W&euro;<B></B>V&trade;A<A HREF=\"x\">To</A>"}) {
    TBitmap bmp(200, 24);
    TCanvas* canvas = bmp.Canvas();
    canvas->Brush()->SetColor(clWhite);
    canvas->FillRect(TRect(0, 0, 200, 24));
    canvas->Font()->SetColor(clBlack);
    THTMLDrawParams d;
    d.Canvas = canvas;
    d.Text = text;
    d.Rect = TRect(0, 0, 200, 24);
    d.URLColor = clBlue;
    HTMLDrawEngine(GridMarkupDialect, d);

    THTMLDrawParams h = d;
    h.CheckHotSpot = true;
    h.YPos = 5;
    TRect area;
    for (h.XPos = 0; h.XPos < 200 && area.Right == 0; ++h.XPos)
      if (HTMLDrawEngine(GridMarkupDialect, h)) area = h.HoverRect;
    ASSERT_GT(area.Right, 0) << text;
    int lastBlack = -1, firstBlue = 200, lastBlue = -1;
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 200; ++x) {
        const TColor px = canvas->Pixels(x, y);
        if (px == clWhite) continue;
        if (GetBValue(px) > GetRValue(px) + 40) {
          firstBlue = std::min(firstBlue, x);
          lastBlue = std::max(lastBlue, x);
        } else if (GetRValue(px) < 0xA0) {
          lastBlack = std::max(lastBlack, x);
        }
      }
    EXPECT_LT(lastBlack, area.Left + 1) << text;  // antialiasing may touch the first column
    EXPECT_GE(firstBlue, area.Left) << text;
    EXPECT_LT(lastBlue, area.Right + 1) << text;
  }
}

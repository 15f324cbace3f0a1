// The renderer through a recording canvas with fixed metrics: the default
// font draws characters 5 pixels wide and lines 13 pixels high.
#include <gtest/gtest.h>

#include <algorithm>

#include "controls/markup/EsgHTMLE.h"
#include "controls/markup/HTMLStatusBarMarkup.h"
#include "controls/markup/InspectorMarkup.h"
#include "platform/gui/RecordingCanvas.h"
#include "tests/controls/markup/MarkupTestSupport.h"

namespace {

// Text operations in reading order: plain text is drawn font by font, so the
// drawing order is not the order of the text.
std::vector<TCanvasOp> Reading(std::vector<TCanvasOp> ops) {
  std::stable_sort(ops.begin(), ops.end(), [](const TCanvasOp& a, const TCanvasOp& b) {
    return a.R.Bottom != b.R.Bottom ? a.R.Bottom < b.R.Bottom : a.R.Left < b.R.Left;
  });
  return ops;
}

std::vector<std::string> ReadingTexts(const std::vector<TCanvasOp>& ops) {
  std::vector<std::string> texts;
  for (const TCanvasOp& op : Reading(ops)) texts.push_back(op.Text);
  return texts;
}

class Markup : public MarkupFixture {
 protected:
  bool Run(THTMLDrawParams& p, const TMarkupDialect& d = GridMarkupDialect) { return HTMLDrawEngine(d, p); }
  // Draws and returns the text operations.
  std::vector<TCanvasOp> Draw(const std::string& text, TRect r = TRect(0, 0, 400, 300),
                              const TMarkupDialect& d = GridMarkupDialect) {
    THTMLDrawParams p = Params(text, r);
    Run(p, d);
    return Reading(c.OpsOf(okText));
  }
  bool HitAt(const std::string& text, int x, int y, std::string& anchor,
             const TMarkupDialect& d = GridMarkupDialect) {
    THTMLDrawParams p = Params(text);
    p.CheckHotSpot = true;
    p.XPos = x;
    p.YPos = y;
    const bool hit = Run(p, d);
    anchor = p.AnchorVal;
    return hit;
  }
};

const TCanvasOp* FindText(const std::vector<TCanvasOp>& ops, const std::string& s) {
  for (const TCanvasOp& op : ops)
    if (op.Text == s) return &op;
  return nullptr;
}

}  // namespace

TEST_F(Markup, EmptyTextIsOneLineHigh) {
  THTMLDrawParams p = Params("");
  Run(p);
  EXPECT_EQ(p.YSize, 13);
  EXPECT_EQ(p.XSize, 0);
  EXPECT_TRUE(c.Ops().empty());
}

TEST_F(Markup, TagLettersIgnoreCaseAndUnknownTagsVanish) {
  // Neighbours in one font are drawn as one run.
  auto ops = Draw("<b>x</b><B>y</B><X>z<C>w</q>");
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].Text, "xy");
  EXPECT_TRUE(ops[0].Font.Style & fsBold);
  EXPECT_EQ(ops[1].Text, "zw");
  EXPECT_FALSE(ops[1].Font.Style & fsBold);
  EXPECT_EQ(ops[1].R.Left, 11);  // 1 + two letters
}

TEST_F(Markup, FontSizeMapsSmallNumbersAndIgnoresBelowOne) {
  auto ops = Draw("<FONT SIZE=\"3\">a</FONT><font size=20>b</font><FONT SIZE=\"0\">c</FONT><FONT SIZE=-2>d</FONT>");
  ASSERT_EQ(ops.size(), 3u);
  EXPECT_EQ(ops[0].Font.Height, -16);  // 12 points at 96 dots per inch
  EXPECT_EQ(ops[1].Font.Height, -27);  // 20 points
  EXPECT_EQ(ops[2].Text, "cd");
  EXPECT_EQ(ops[2].Font.Height, -11);
}

TEST_F(Markup, FontColoursAndBackground) {
  auto ops = Draw(
      "<FONT COLOR=\"#0000FF\">b</FONT>x<FONT color=\"clRed\">r</FONT><FONT BGCOLOR=\"clLime\">g</FONT>"
      "<FONT COLOR=\"\">e</FONT><FONT COLOR=\"#12\">s</FONT>");
  ASSERT_EQ(ops.size(), 6u);
  EXPECT_EQ(ops[0].Font.Color, clBlue);
  EXPECT_EQ(ops[1].Font.Color, clWindowText);  // back to the base colour
  EXPECT_EQ(ops[2].Font.Color, clRed);
  EXPECT_EQ(ops[3].Font.Color, clWindowText);  // BGCOLOR is not COLOR
  EXPECT_EQ(ops[4].Font.Color, clWindowText);
  EXPECT_EQ(ops[5].Font.Color, RGB(0x12, 0, 0));  // a short value reads no further
  auto fills = c.OpsOf(okFillRect);
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].BrushColor, clLime);
  EXPECT_EQ(fills[0].R, ops[3].R);
}

TEST_F(Markup, SelectedTextIgnoresColourTags) {
  THTMLDrawParams p = Params("<FONT COLOR=\"clred\">r</FONT><A HREF=\"x\">a</A>");
  p.Selected = true;
  Run(p);
  for (const TCanvasOp& op : c.OpsOf(okText)) EXPECT_EQ(op.Font.Color, clWindowText) << op.Text;
}

TEST_F(Markup, EntitiesDecodeInTextAndNeverOpenTags) {
  auto ops = Draw("&lt;b&gt;x &LT; &AMP; &amp;lt; &quot;&euro;");
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(ops[0].Text, "<b>x &LT; & &lt; \"\xE2\x82\xAC");  // in UTF-8, as plain ASCII is
  EXPECT_FALSE(ops[0].Font.Style & fsBold);
}

TEST_F(Markup, EntitiesInAttributeValuesAreDecodedAfterParsing) {
  std::string anchor;
  EXPECT_TRUE(HitAt("<A HREF=\"a&quot;b&gt;\">link</A>", 3, 5, anchor));
  EXPECT_EQ(anchor, "A\"B>");
}

TEST_F(Markup, CarriageReturnAndLineFeedGiveTwoLines) {
  THTMLDrawParams p = Params("one\r\ntwo");
  Run(p);
  auto ops = c.OpsOf(okText);
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[1].R.Top, ops[0].R.Top + 13);
  EXPECT_EQ(ops[0].R.Left, ops[1].R.Left);
  EXPECT_EQ(p.YSize, 26);
  EXPECT_EQ(p.StripVal, "one\rtwo");
}

TEST_F(Markup, MeasureDrawsNothingAndMatchesDrawing) {
  const std::string text = "<b>Hello</b> world<BR><FONT SIZE=\"4\">big</FONT> <A HREF=\"x\">go</A><UL><LI>item</UL>";
  THTMLDrawParams m = Params(text);
  m.CheckHeight = true;
  Run(m);
  EXPECT_TRUE(c.Ops().empty());
  THTMLDrawParams d = Params(text);
  Run(d);
  EXPECT_FALSE(c.Ops().empty());
  EXPECT_EQ(m.XSize, d.XSize);
  EXPECT_EQ(m.YSize, d.YSize);
  EXPECT_EQ(m.HyperLinks, 1);
  EXPECT_EQ(d.HyperLinks, 1);
}

TEST_F(Markup, WordWrapBreaksAtBlanksButNeverInsideAWord) {
  THTMLDrawParams p = Params("aaaa bbbb", TRect(0, 0, 30, 100));
  p.WordWrap = true;
  Run(p);
  auto ops = c.OpsOf(okText);
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].Text, "aaaa ");
  EXPECT_EQ(ops[1].Text, "bbbb");
  EXPECT_EQ(ops[1].R.Top, 13);
  EXPECT_EQ(p.XSize, 20);  // the trailing blank does not count
  EXPECT_EQ(p.YSize, 26);

  c.Clear();
  THTMLDrawParams one = Params("aaaaaaaaaa", TRect(0, 0, 30, 100));
  one.WordWrap = true;
  Run(one);
  EXPECT_EQ(c.Texts(), std::vector<std::string>{"aaaaaaaaaa"});
  EXPECT_EQ(one.YSize, 13);

  // A word as wide as the line would not fit on the next one either: it stays.
  c.Clear();
  THTMLDrawParams wide = Params("a WWWWWWWWWW", TRect(0, 0, 30, 100));
  wide.WordWrap = true;
  Run(wide);
  EXPECT_EQ(c.Texts(), std::vector<std::string>{"a WWWWWWWWWW"});
  EXPECT_EQ(wide.YSize, 13);

  // A piece fits with its blank counted; only the line's last blank is taken off at its end.
  c.Clear();
  THTMLDrawParams blanks = Params("ab cd ef", TRect(0, 0, 30, 100));
  blanks.WordWrap = true;
  Run(blanks);
  EXPECT_EQ(ReadingTexts(c.OpsOf(okText)), (std::vector<std::string>{"ab ", "cd ef"}));

  // Text glued to a word by a tag stays with it.
  c.Clear();
  THTMLDrawParams glued = Params("aaaa bb<b>cc</b>", TRect(0, 0, 32, 100));
  glued.WordWrap = true;
  Run(glued);
  auto g = Reading(c.OpsOf(okText));
  ASSERT_EQ(g.size(), 3u);
  EXPECT_EQ(g[1].R.Top, g[2].R.Top);
}

// A tab reaches the next stop of eight average characters (40 pixels) from its piece's start;
// the plain text keeps the tab.
TEST_F(Markup, TabsReachTheNextStopOfEightCharacters) {
  const struct {
    const char* text;
    bool wrap;
    int width;
  } rows[] = {
      {"a\tb", false, 45},
      {"\tb", false, 45},
      {"abcdefghi\tb", false, 85},
      {"abcdefgh\tb", false, 85},
      {"a\t\tb", false, 85},
      {"<b>x</b>\tb", false, 50},  // a new piece: its stops count from its own start
      {"xx a\tb", true, 60},        // wrapped, each word is a piece
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    THTMLDrawParams p = Params(row.text);
    p.WordWrap = row.wrap;
    p.CheckHeight = true;
    Run(p);
    EXPECT_EQ(p.XSize, row.width);
    EXPECT_NE(p.StripVal.find('\t'), std::string::npos);
  }
}

TEST_F(Markup, WithoutWordWrapTheLineEndsInAnEllipsis) {
  auto ops = Draw("aaaa bbbb cccc", TRect(0, 0, 40, 100));
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(ops[0].Text, "aaaa...");
  c.Clear();
  THTMLDrawParams p = Params("aaaa<b>bbbb cccc</b> dddd<BR>next", TRect(0, 0, 40, 100));
  Run(p);
  // Text glued to a word always fits; what passes the right edge is cut.
  EXPECT_EQ(ReadingTexts(c.OpsOf(okText)), (std::vector<std::string>{"aaaa", "...", "next"}));
}

TEST_F(Markup, ParagraphAlignment) {
  auto ops = Draw("<P ALIGN=\"RIGHT\">abc</P>", TRect(0, 0, 100, 50));
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(ops[0].R.Right, 100);
  c.Clear();
  ops = Draw("<P align=\"center\">abc</P>", TRect(0, 0, 100, 50));
  EXPECT_EQ(ops[0].R.Left, 1 + (100 - 15) / 2);
  c.Clear();
  ops = Draw("<P INDENT=\"20\">abc</P>x", TRect(0, 0, 100, 50));
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].R.Left, 21);
  EXPECT_EQ(ops[1].R.Left, 1);  // the paragraph ended
}

TEST_F(Markup, ListItemsAreIndentedWithBullets) {
  THTMLDrawParams p = Params("<UL><LI>one<LI>two</UL>");
  Run(p);
  auto ops = Reading(c.OpsOf(okText));
  ASSERT_EQ(ops.size(), 4u);
  EXPECT_EQ(ops[0].Text, "\xC2\xB7");
  EXPECT_EQ(ops[0].Font.Name, "Symbol");
  EXPECT_EQ(ops[1].Text, "one");
  EXPECT_EQ(ops[1].R.Left, ops[0].R.Left + 12);
  EXPECT_EQ(ops[3].R.Left, ops[1].R.Left);
  EXPECT_EQ(ops[3].R.Top, ops[1].R.Top + 13);
  EXPECT_EQ(p.YSize, 26);
  // The second level uses "o" and sits one indent further in.
  c.Clear();
  ops = Draw("<UL><LI>a<UL><LI>b</UL></UL>");
  ASSERT_EQ(ops.size(), 4u);
  EXPECT_EQ(ops[2].Text, "o");
  EXPECT_EQ(ops[3].R.Left, ops[1].R.Left + 12);
}

TEST_F(Markup, ClosingListWithoutListTurnsUnderlineOff) {
  auto ops = Draw("<U>a</UL>b");
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_TRUE(ops[0].Font.Style & fsUnderline);
  EXPECT_FALSE(ops[1].Font.Style & fsUnderline);
}

TEST_F(Markup, HitTestOnAnAnchorAndJustOutside) {
  const std::string text = "<A href=\"go\">link</A> x";
  std::string anchor;
  THTMLDrawParams p = Params(text);
  p.CheckHotSpot = true;
  p.XPos = 5;
  p.YPos = 5;
  EXPECT_TRUE(Run(p));
  EXPECT_EQ(p.AnchorVal, "GO");  // the grid sees values upper-cased
  EXPECT_EQ(p.MouseLink, 1);
  EXPECT_EQ(p.HoverRect, TRect(1, 0, 21, 13));
  EXPECT_TRUE(c.Ops().empty());  // hit-testing draws nothing

  EXPECT_TRUE(HitAt(text, 20, 12, anchor));  // last pixel of the anchor text
  EXPECT_FALSE(HitAt(text, 21, 5, anchor));
  EXPECT_EQ(anchor, "");
  EXPECT_FALSE(HitAt(text, 5, 13, anchor));
  EXPECT_FALSE(HitAt(text, 0, 5, anchor));
  EXPECT_FALSE(HitAt(text, 5, 0, anchor));  // the band of "gh" excludes its top row too
  EXPECT_TRUE(HitAt(text, 5, 1, anchor));

  // The status bar's copy reports the value as written, the inspector's reads "href" only.
  EXPECT_TRUE(HitAt(text, 5, 5, anchor, StatusBarMarkupDialect));
  EXPECT_EQ(anchor, "go");
  EXPECT_TRUE(HitAt(text, 5, 5, anchor, InspectorMarkupDialect));
  EXPECT_EQ(anchor, "go");
  EXPECT_FALSE(HitAt("<A HREF=\"go\">link</A>", 5, 5, anchor, InspectorMarkupDialect));

  // An anchor without HREF is counted and styled but is no link.
  THTMLDrawParams n = Params("<A>plain</A>");
  n.CheckHotSpot = true;
  n.XPos = 5;
  n.YPos = 5;
  EXPECT_FALSE(Run(n));
  EXPECT_EQ(n.HyperLinks, 1);
}

TEST_F(Markup, AnchorStyleTitleAndFocus) {
  THTMLDrawParams p = Params("<A HREF=\"a\" TITLE=\"First one\">x</A> <A HREF=\"b\" title=\"Second\">y</A>");
  p.URLColor = clGreen;
  p.FocusLink = 1;
  Run(p);
  auto ops = c.OpsOf(okText);
  const TCanvasOp* x = FindText(ops, "x");
  ASSERT_NE(x, nullptr);
  EXPECT_TRUE(x->Font.Style & fsUnderline);
  EXPECT_EQ(x->Font.Color, clGreen);
  EXPECT_EQ(p.AnchorTitle, "Second");
  EXPECT_EQ(p.FocusAnchor, "B");
  EXPECT_EQ(c.OpsOf(okFocusRect).size(), 1u);
  EXPECT_EQ(p.HyperLinks, 2);

  THTMLDrawParams s = Params("<A HREF=\"a\" TITLE=\"t\">x</A>");
  Run(s, StatusBarMarkupDialect);
  EXPECT_EQ(s.AnchorTitle, "");
}

TEST_F(Markup, HoverModeStylesOnlyTheHoverAnchor) {
  THTMLDrawParams p = Params("<A HREF=\"a\">x</A><A HREF=\"b\">y</A>");
  p.HoverStyle = true;
  p.HoverLink = 2;
  p.HoverColor = clYellow;
  p.HoverFontColor = clRed;
  Run(p);
  auto ops = Reading(c.OpsOf(okText));
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_FALSE(ops[0].Font.Style & fsUnderline);
  EXPECT_EQ(ops[0].Font.Color, clBlue);
  EXPECT_TRUE(ops[1].Font.Style & fsUnderline);
  EXPECT_EQ(ops[1].Font.Color, clRed);
  auto fills = c.OpsOf(okFillRect);
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].R, ops[1].R);

  // The end of another anchor keeps the background; the hover anchor's end restores it.
  for (int link : {1, 2}) {
    c.Clear();
    THTMLDrawParams b = Params("<A HREF=\"a\"><FONT BGCOLOR=\"#00FF00\">x</A>z");
    b.HoverStyle = true;
    b.HoverLink = link;
    Run(b);
    EXPECT_EQ(c.OpsOf(okFillRect).size(), link == 1 ? 1u : 2u) << link;
  }
}

TEST_F(Markup, BlinkOffDrawsInTheBackgroundAndKeepsThePlace) {
  c.Brush()->SetColor(clYellow);
  THTMLDrawParams p = Params("<BLINK>b</BLINK>c");
  p.Blink = false;
  Run(p);
  auto ops = c.OpsOf(okText);
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].Font.Color, clYellow);
  EXPECT_EQ(ops[1].Font.Color, clWindowText);
  EXPECT_EQ(ops[1].R.Left, 6);
  EXPECT_EQ(c.Brush()->Color(), clYellow);  // the canvas is given back as it was
  c.Clear();
  THTMLDrawParams on = Params("<BLINK>b</BLINK>c");
  Run(on);
  EXPECT_EQ(c.OpsOf(okText)[0].Font.Color, clWindowText);
}

TEST_F(Markup, HiddenTextTakesNoRoomButIsInThePlainText) {
  THTMLDrawParams p = Params("a<Z>hidden</Z>b");
  Run(p);
  EXPECT_EQ(c.Texts(), std::vector<std::string>{"ab"});  // b stands right after a
  EXPECT_EQ(p.StripVal, "ahiddenb");
  EXPECT_EQ(p.XSize, 10);
}

TEST_F(Markup, BulletsInsideHiddenTextDifferByCopy) {
  Draw("<Z><UL><LI>x</UL></Z>");
  EXPECT_EQ(c.Texts(), std::vector<std::string>{"\xC2\xB7"});
  c.Clear();
  Draw("<Z><UL><LI>x</UL></Z>", TRect(0, 0, 400, 300), StatusBarMarkupDialect);
  EXPECT_TRUE(c.Texts().empty());
}

TEST_F(Markup, SubscriptAndSuperscriptGrowTheLine) {
  THTMLDrawParams p = Params("a<SUB>b</SUB>");
  Run(p);
  auto ops = c.OpsOf(okText);
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(p.YSize, 13 + 3);
  EXPECT_EQ(ops[1].R.Top, ops[0].R.Top + 3);
  c.Clear();
  THTMLDrawParams q = Params("a<SUP>b</SUP>");
  Run(q);
  ops = c.OpsOf(okText);
  EXPECT_EQ(q.YSize, 16);
  EXPECT_EQ(ops[1].R.Top, ops[0].R.Top - 3);
}

TEST_F(Markup, ShadowErrorLineRuleAndHighlight) {
  THTMLDrawParams p = Params("<SHAD>s</SHAD><E>err</E><HI>h</HI><HR>x");
  p.ShadowOffset = 2;
  p.ShadowColor = clGray;
  Run(p);
  auto ops = c.OpsOf(okText);
  ASSERT_GE(ops.size(), 4u);
  EXPECT_EQ(ops[0].Text, "s");
  EXPECT_EQ(ops[0].Font.Color, clGray);
  EXPECT_EQ(ops[0].R.Left, ops[1].R.Left + 2);
  EXPECT_EQ(ops[0].R.Top, ops[1].R.Top + 2);
  auto zig = c.OpsOf(okPolyline);
  ASSERT_EQ(zig.size(), 1u);
  EXPECT_EQ(zig[0].Pen.Color, clRed);
  const TCanvasOp* err = FindText(ops, "err");
  ASSERT_NE(err, nullptr);
  ASSERT_GE(zig[0].Points.size(), 2u);
  EXPECT_EQ(zig[0].Points[0].X, err->R.Left & ~1);
  EXPECT_EQ(std::abs(zig[0].Points[0].Y - zig[0].Points[1].Y), 2);
  const TCanvasOp* h = FindText(ops, "h");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->Font.Color, clHighlightText);
  auto fills = c.OpsOf(okFillRect);
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].BrushColor, clHighlight);
  auto lines = c.OpsOf(okLine);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].Pen.Color, clBlack);
  EXPECT_EQ(lines[0].R.Right, 400);
  EXPECT_EQ(FindText(ops, "x")->R.Top, 13);  // HR ends the line
}

TEST_F(Markup, InspectorCopyLacksErrorTagsAndNbsp) {
  Draw("<E>x</E>a&nbsp;b", TRect(0, 0, 400, 300), InspectorMarkupDialect);
  EXPECT_TRUE(c.OpsOf(okPolyline).empty());
  EXPECT_EQ(c.Texts(), std::vector<std::string>{"xa&nbsp;b"});
  // Line breaks are not converted either.
  c.Clear();
  THTMLDrawParams p = Params("a\r\nb");
  Run(p, InspectorMarkupDialect);
  EXPECT_EQ(p.YSize, 13);
}

TEST_F(Markup, IndentAndRotation) {
  auto ops = Draw("a<IND x=\"50\">b<R a=\"90\">t</R>u");
  ASSERT_EQ(ops.size(), 4u);
  EXPECT_EQ(ops[1].R.Left, 51);
  EXPECT_EQ(ops[2].Font.Orientation, 900);
  EXPECT_EQ(ops[3].Font.Orientation, 0);
}

TEST_F(Markup, BodyAndParagraphBackgrounds) {
  Draw("<BODY BGCOLOR=\"clAqua\">x", TRect(10, 10, 110, 60));
  auto fills = c.OpsOf(okFillRect);
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].R, TRect(10, 10, 110, 60));
  c.Clear();
  Draw("<BODY BGCOLOR=\"clAqua\">x", TRect(10, 10, 110, 60), StatusBarMarkupDialect);
  EXPECT_EQ(c.OpsOf(okFillRect).at(0).R, TRect(8, 10, 110, 60));
  c.Clear();
  Draw("<BODY BGCOLOR=\"#000000\" BGCOLORTO=\"#FFFFFF\">x", TRect(0, 0, 128, 20), StatusBarMarkupDialect);
  fills = c.OpsOf(okFillRect);
  ASSERT_EQ(fills.size(), 64u);
  EXPECT_EQ(fills.front().BrushColor, RGB(0, 0, 0));
  EXPECT_EQ(fills.back().R, TRect(126, 0, 128, 20));
  EXPECT_EQ(fills.back().BrushColor, RGB(0xFB, 0xFB, 0xFB));
  c.Clear();
  Draw("<BODY BGCOLOR=\"#000000\" BGCOLORTO=\"#FFFFFF\" DIR=\"V\">x", TRect(0, 0, 20, 128), StatusBarMarkupDialect);
  EXPECT_EQ(c.OpsOf(okFillRect).back().R, TRect(-2, 126, 20, 128));  // from 2 pixels left, as every BODY fill
  c.Clear();
  Draw("a<P BGCOLOR=\"clRed\">b</P>", TRect(0, 0, 100, 100));
  fills = c.OpsOf(okFillRect);
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].R, TRect(0, 0, 100, 13));
  // Measuring and hit-testing paint no background.
  c.Clear();
  THTMLDrawParams m = Params("<BODY BGCOLOR=\"clAqua\"><P BGCOLOR=\"clRed\">b</P>");
  m.CheckHeight = true;
  Run(m);
  EXPECT_TRUE(c.Ops().empty());
}

TEST_F(Markup, DrawingStopsAtTheRectangleBottom) {
  THTMLDrawParams d = Params("a<BR>b<BR>c", TRect(0, 0, 100, 20));
  Run(d);
  EXPECT_EQ(c.Texts(), std::vector<std::string>{"a"});
  THTMLDrawParams m = Params("a<BR>b<BR>c", TRect(0, 0, 100, 20));
  m.CheckHeight = true;
  Run(m);
  EXPECT_EQ(m.YSize, 39);
}

TEST_F(Markup, InlineControlsTakeRoomAndAreHitByID) {
  const std::string text = "ab<CONTROL TYPE=\"EDIT\" ID=\"e\" VALUE=\"v&amp;w\" WIDTH=\"500\">cd";
  THTMLDrawParams m = Params(text, TRect(0, 0, 100, 300));
  m.WordWrap = true;
  m.CheckHeight = true;
  Run(m);
  EXPECT_EQ(m.YSize, 13 + 19 + 13);  // the wide control stands on a line of its own
  EXPECT_EQ(m.XSize, 500);

  THTMLDrawParams h = Params(text, TRect(0, 0, 100, 300));
  h.WordWrap = true;
  h.CheckHotSpot = true;
  h.XPos = 50;
  h.YPos = 20;
  h.ControlID = "e";
  EXPECT_TRUE(Run(h));
  EXPECT_EQ(h.AnchorVal, "ctrl");
  EXPECT_EQ(h.ControlType, "EDIT");
  EXPECT_EQ(h.ControlValue, "v&w");
  EXPECT_EQ(h.ControlRect, TRect(1, 13, 501, 32));

  THTMLDrawParams other = Params(text, TRect(0, 0, 100, 300));
  other.WordWrap = true;
  other.CheckHotSpot = true;
  other.XPos = 50;
  other.YPos = 20;
  other.ControlID = "f";
  EXPECT_FALSE(Run(other));
  EXPECT_EQ(other.ControlID, "e");  // the control under the point

  // Drawing: a frame and the value; a control without WIDTH is skipped.
  THTMLDrawParams d = Params("<CONTROL TYPE=\"PASSWORD\" ID=\"p\" VALUE=\"abc\" WIDTH=\"60\"><CONTROL TYPE=\"EDIT\">");
  Run(d);
  EXPECT_EQ(c.OpsOf(okRectangle).size(), 1u);
  EXPECT_NE(c.Dump().find("***"), std::string::npos);
  EXPECT_EQ(d.XSize, 60);
  // The status bar's copy has no inline controls.
  THTMLDrawParams s = Params("<CONTROL TYPE=\"EDIT\" ID=\"p\" WIDTH=\"60\">");
  s.CheckHeight = true;
  Run(s, StatusBarMarkupDialect);
  EXPECT_EQ(s.XSize, 0);
}

TEST_F(Markup, LayoutAlwaysEnds) {
  // No width: the call ends at once.
  THTMLDrawParams z = Params("abc def", TRect(10, 0, 10, 100));
  Run(z);
  EXPECT_TRUE(c.Ops().empty());
  EXPECT_EQ(z.YSize, 13);
  THTMLDrawParams n = Params("abc def", TRect(10, 0, 0, 100));
  Run(n);
  EXPECT_EQ(n.YSize, 13);
  // One pixel wide: a word is wider than the line and stays on it; each list item ends a line.
  std::string words;
  for (int i = 0; i < 500; ++i) words += "w<b>x</b> <IMG SRC=\"IDX:0\"><LI>";
  THTMLDrawParams p = Params(words, TRect(0, 0, 1, 100));
  p.WordWrap = true;
  p.CheckHeight = true;
  Run(p);
  EXPECT_GE(p.YSize, 499 * 13);
  // Broken tags end the text.
  THTMLDrawParams b = Params("a<b", TRect(0, 0, 100, 100));
  Run(b);
  EXPECT_EQ(b.StripVal, "a");
}

TEST_F(Markup, ThinEntriesPassTheirArguments) {
  std::string anchor, strip, focus, title, cid, cv, ct;
  int xs = 0, ys = 0, links = 0, mouse = 0;
  TRect hover, ctrl;
  EXPECT_TRUE(HTMLDraw(&c, "<A HREF=\"x\" TITLE=\"T\">a</A>", TRect(0, 0, 100, 100), nullptr, 2, 2, -1, 0, 0, true,
                       false, false, false, true, false, false, false, 1.0, clBlue, clNone, clNone, clGray, anchor,
                       strip, focus, title, xs, ys, links, mouse, hover, ctrl, cid, cv, ct, nullptr, nullptr,
                       nullptr));
  EXPECT_EQ(anchor, "X");
  EXPECT_EQ(title, "T");
  EXPECT_EQ(strip, "a");
  EXPECT_EQ(xs, 5);
  EXPECT_EQ(ys, 13);
  EXPECT_EQ(links, 1);
  EXPECT_EQ(mouse, 1);

  EXPECT_TRUE(HTMLDraw(&c, "<A HREF=\"x\">a</A>", TRect(0, 0, 100, 100), nullptr, 2, 2, -1, 0, 0, true, false,
                       false, false, true, false, false, 1.0, clBlue, clNone, clNone, clGray, anchor, strip, focus,
                       xs, ys, links, mouse, hover, nullptr, nullptr));
  EXPECT_EQ(anchor, "x");
  EXPECT_TRUE(HTMLDraw(&c, "<a href=\"x\">a</a>", TRect(0, 0, 100, 100), nullptr, 2, 2, -1, -1, 2, true, false,
                       false, false, false, false, true, 1.0, clBlue, clNone, clNone, clNone, anchor, strip, focus,
                       xs, ys, links, mouse, hover));
  EXPECT_EQ(anchor, "x");
  EXPECT_TRUE(IsHTML("a</b>"));
  EXPECT_FALSE(IsHTML("a<b>"));
}

TEST(MarkupColours, NamesAndHex) {
  EXPECT_EQ(ColorNameToColor("clred"), clRed);
  EXPECT_EQ(ColorNameToColor("ClBtnFace"), clBtnFace);
  EXPECT_EQ(ColorNameToColor("clinfobk"), clInfoBk);
  EXPECT_EQ(ColorNameToColor("nosuch"), clBlack);
  EXPECT_EQ(HexToColor("#00FF00"), clLime);
  EXPECT_EQ(HexToColor("#FF0000"), clRed);
  EXPECT_EQ(HexToColor("#"), clBlack);
  EXPECT_EQ(HexPairToInt("A"), 0);
  EXPECT_EQ(HexPairToInt("7F"), 0x7F);
  EXPECT_EQ(HexPairToInt("ff"), 0xFF);
}

TEST(MarkupTags, KindsAndClosing) {
  bool closing = false;
  EXPECT_EQ(MarkupTagKind("<img src=\"x\">", closing), mtIMG);
  EXPECT_FALSE(closing);
  EXPECT_EQ(MarkupTagKind("</Sup>", closing), mtSUP);
  EXPECT_TRUE(closing);
  EXPECT_EQ(MarkupTagKind("<BX>", closing), mtNone);
  EXPECT_EQ(MarkupTagKind("<>", closing), mtNone);
}

TEST_F(Markup, AListItemOutsideAListHasNoIndentAndTheEvenBullet) {
  THTMLDrawParams p = Params("x<LI>y");
  Run(p);
  auto ops = Reading(c.OpsOf(okText));
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].Text, "o");  // level 0 is even
  EXPECT_EQ(ops[0].R.Left, 6 - 12);  // the pen steps back one indent for the bullet
  EXPECT_EQ(ops[1].Text, "xy");  // and returns: no room is taken
  EXPECT_EQ(p.XSize, 10);
  // Inside a list the first level keeps its indent and bullet.
  c.Clear();
  THTMLDrawParams q = Params("<UL><LI>y</UL>");
  Run(q);
  EXPECT_EQ(q.XSize, 12 + 5);
}

TEST_F(Markup, AnyClosingTagStartingWithSuEndsSubscriptAndSuperscript) {
  for (const char* closer : {"</SUB>", "</sup>", "</SU>", "</SUPER>", "</Sub2>"}) {
    c.Clear();
    const std::string text = std::string("a<SUB>b") + closer + "<B>c</B>";
    auto ops = Draw(text);
    const TCanvasOp* a = FindText(ops, "a");
    const TCanvasOp* cc = FindText(ops, "c");
    ASSERT_TRUE(a && cc) << text;
    EXPECT_EQ(cc->R.Top, a->R.Top) << text;
  }
  // Other closing tags of S leave the subscript on.
  c.Clear();
  auto ops = Draw("a<SUB>b</S><B>c</B>");
  EXPECT_EQ(FindText(ops, "c")->R.Top, FindText(ops, "a")->R.Top + 3);
}

TEST_F(Markup, ClosingAParagraphRestoresTheBackgroundItsOpeningSaved) {
  // The inner paragraph saved red; when it closes, red returns for the next line.
  Draw("<P BGCOLOR=\"clRed\">a<P BGCOLOR=\"clBlue\">b</P>c<BR>d", TRect(0, 0, 100, 100));
  auto fills = c.OpsOf(okFillRect);
  ASSERT_EQ(fills.size(), 3u);
  EXPECT_EQ(fills[0].BrushColor, clRed);  // a and b share the first line
  EXPECT_EQ(fills[1].R, TRect(0, 13, 100, 26));
  EXPECT_EQ(fills[1].BrushColor, clRed);
  EXPECT_EQ(fills[2].R, TRect(0, 26, 100, 39));
  // With nothing saved, closing leaves no background.
  c.Clear();
  Draw("<P BGCOLOR=\"clRed\">a</P>b", TRect(0, 0, 100, 100));
  ASSERT_EQ(c.OpsOf(okFillRect).size(), 1u);
}

TEST_F(Markup, TheHoverRectangleOfAWrappedAnchorIsTheLineUnderThePoint) {
  const std::string text = "x <A HREF=\"go\">aaaa bbbb</A> y";
  auto hit = [&](int x, int y) {
    THTMLDrawParams p = Params(text, TRect(0, 0, 40, 100));
    p.WordWrap = true;
    p.CheckHotSpot = true;
    p.XPos = x;
    p.YPos = y;
    EXPECT_TRUE(Run(p)) << x << "," << y;
    EXPECT_EQ(p.MouseLink, 1);
    return p.HoverRect;
  };
  EXPECT_EQ(hit(14, 5), TRect(11, 0, 31, 13));  // "aaaa" after "x "
  EXPECT_EQ(hit(3, 18), TRect(1, 13, 21, 26));  // "bbbb" from the line's left
}

TEST_F(Markup, ACellTooNarrowForTheEllipsisShowsWhatFits) {
  const std::pair<int, const char*> cases[] = {{17, "..."}, {12, ".."}, {7, "."}};
  for (const auto& [right, shown] : cases) {
    c.Clear();
    auto ops = Draw("aaaa bbbb", TRect(0, 0, right, 100));
    ASSERT_EQ(ops.size(), 1u) << right;
    EXPECT_EQ(ops[0].Text, shown);
  }
  c.Clear();
  EXPECT_TRUE(Draw("aaaa", TRect(0, 0, 5, 100)).empty());
}

TEST_F(Markup, ControlTagsAreFoundByTheHelpersAsTheRendererFindsThem) {
  // A tab, a line end or a slash after the name: the renderer reads a control only where the helpers do.
  const std::string tab = "<CONTROL\tTYPE=\"EDIT\"\tID=\"t\"\tVALUE=\"v\"\tWIDTH=\"40\">";
  THTMLDrawParams p = Params(tab);
  p.CheckHotSpot = true;
  p.XPos = 10;
  p.YPos = 10;
  p.ControlID = "t";
  EXPECT_TRUE(Run(p));
  EXPECT_EQ(p.ControlValue, "v");
  EXPECT_EQ(GetHTMLControlValue(tab, "t"), "v");
  EXPECT_EQ(GetHTMLControlType(tab, "t"), "EDIT");
  EXPECT_EQ(NextHTMLControlID(tab, ""), "t");
  std::string t = tab;
  ASSERT_TRUE(SetHTMLControlValue(t, "t", "w"));
  EXPECT_EQ(GetHTMLControlValue(t, "t"), "w");

  for (const std::string other : {"<CONTROLS ID=\"t\" VALUE=\"v\" WIDTH=\"40\">",
                                   "<A HREF=\"<CONTROL ID=\"t\" VALUE=\"v\" WIDTH=\"40\">\">",
                                   "<CONTROL\nID=\"t\" VALUE=\"v\" WIDTH=\"40\">"}) {
    THTMLDrawParams q = Params(other);
    q.CheckHotSpot = true;
    q.XPos = 10;
    q.YPos = 10;
    q.ControlID = "t";
    Run(q);
    EXPECT_NE(q.AnchorVal, "ctrl") << other;
    EXPECT_EQ(q.ControlValue, "") << other;
    EXPECT_EQ(GetHTMLControlValue(other, "t"), "") << other;
    std::string s = other;
    EXPECT_FALSE(SetHTMLControlValue(s, "t", "w")) << other;
  }
}

// Tag names, attributes, text extents and text conversions are looked up and
// read in place, without copies; these tests hold the results to what a
// straightforward reading gives.
#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

#include "controls/markup/EsgHTMLE.h"
#include "controls/markup/InspectorMarkup.h"
#include "platform/gui/QtCanvas.h"
#include "platform/gui/RecordingCanvas.h"

namespace {

// Widths that depend on every part of the font the recording canvas ignores:
// bold and italic letters are wider, the face "WIDE" doubles them, a rotated
// font adds one pixel, and Scale multiplies it all. Counts what it measures.
class TFussyBackend : public TRecordingCanvasBackend {
 public:
  int Scale = 1;
  std::map<std::string, int> Measured;

  void SetFont(const TFontData& f) override {
    font = f;
    TRecordingCanvasBackend::SetFont(f);
  }
  TSize TextExtent(const std::string& s) override {
    ++Measured[s];
    int w = CharWidth(font);
    if (font.Style & fsBold) w += 2;
    if (font.Style & fsItalic) w += 1;
    if (font.Name == "WIDE") w *= 2;
    if (font.Orientation != 0) w += 1;
    return TSize{int(s.size()) * w * Scale, LineHeight(font)};
  }

 private:
  TFontData font;
};

class TFussyCanvas : public TCanvas {
 public:
  TFussyCanvas() {
    auto b = std::make_unique<TFussyBackend>();
    fussy = b.get();
    SetBackend(std::move(b), TSize{1000, 1000});
  }
  TFussyBackend* fussy;
};

int MeasuredWidth(TCanvas* c, const std::string& text) {
  THTMLDrawParams p;
  p.Canvas = c;
  p.Text = text;
  p.Rect = TRect(0, 0, 2000, 300);
  p.CheckHeight = true;
  HTMLDrawEngine(GridMarkupDialect, p);
  return p.XSize;
}

}  // namespace

TEST(MarkupLookup, TagNamesMatchWholeAndInAnyCase) {
  const std::pair<const char*, TMarkupTag> known[] = {
      {"a", mtA},         {"b", mtB},         {"bR", mtBR},   {"blInK", mtBLINK}, {"Body", mtBODY},
      {"control", mtCONTROL}, {"e", mtE},     {"fOnT", mtFONT}, {"hi", mtHI},     {"hr", mtHR},
      {"i", mtI},         {"Ind", mtIND},     {"iMg", mtIMG}, {"li", mtLI},       {"p", mtP},
      {"r", mtR},         {"s", mtS},         {"ShAd", mtSHAD}, {"sub", mtSUB},   {"sUp", mtSUP},
      {"u", mtU},         {"ul", mtUL},       {"z", mtZ}};
  bool closing = true;
  for (const auto& [name, kind] : known) {
    EXPECT_EQ(MarkupTagKind(std::string("<") + name + " x=1>", closing), kind) << name;
    EXPECT_FALSE(closing);
    EXPECT_EQ(MarkupTagKind(std::string("</") + name + ">", closing), kind) << name;
    EXPECT_TRUE(closing);
  }
  // Only the whole name counts: neither a longer nor a shorter word is a tag.
  for (const char* tag : {"<BL>", "<BLINKS>", "<IMGX>", "<CONTROLS>", "<SUPER>", "<UL2>", "<FON>", "<BODYX a>"})
    EXPECT_EQ(MarkupTagKind(tag, closing), mtNone) << tag;
  // Only ASCII letters are folded; other bytes end the name.
  EXPECT_EQ(MarkupTagKind("<b\xE9>", closing), mtB);
  EXPECT_EQ(MarkupTagKind("<\xC2>", closing), mtNone);
  EXPECT_EQ(MarkupTagKind("<{>", closing), mtNone);
}

TEST(MarkupLookup, EachTagSeesOnlyItsOwnAttributes) {
  TRecordingCanvas c(1000, 1000);
  THTMLDrawParams p;
  p.Canvas = &c;
  p.Text = "<FONT COLOR=\"clRed\" SIZE=5 BGCOLOR=\"clLime\">a</FONT><FONT FACE=\"Courier\">b</FONT>"
           "<A HREF=\"x\">c</A><A>d</A>";
  p.Rect = TRect(0, 0, 400, 100);
  HTMLDrawEngine(GridMarkupDialect, p);
  const auto ops = c.OpsOf(okText);
  std::map<std::string, TCanvasOp> byText;
  for (const TCanvasOp& op : ops) byText[op.Text] = op;
  ASSERT_EQ(byText.count("b"), 1u);
  EXPECT_EQ(byText["b"].Font.Name, "COURIER");
  EXPECT_EQ(byText["b"].Font.Color, clWindowText);
  EXPECT_EQ(byText["b"].Font.Height, -11);
  EXPECT_EQ(c.OpsOf(okFillRect).size(), 1u);  // only "a" has a background
  // The anchor without HREF is no link, whatever the one before it held.
  THTMLDrawParams h = p;
  h.CheckHotSpot = true;
  h.Text = "<A HREF=\"x\">c</A><A>d</A>";
  h.XPos = 8;  // on "d"
  h.YPos = 5;
  EXPECT_FALSE(HTMLDrawEngine(GridMarkupDialect, h));
  h.XPos = 3;  // on "c"
  EXPECT_TRUE(HTMLDrawEngine(GridMarkupDialect, h));
  EXPECT_EQ(h.AnchorVal, "X");
}

TEST(MarkupLookup, InspectorAttributeWordsMatchOnlyInLowerCase) {
  TRecordingCanvas c(1000, 1000);
  THTMLDrawParams p;
  p.Canvas = &c;
  p.Text = "<font color=\"#0000FF\">a</font><FONT COLOR=\"#0000FF\">b</FONT><font Color=\"#0000FF\">c</font>";
  p.Rect = TRect(0, 0, 400, 100);
  HTMLDrawEngine(InspectorMarkupDialect, p);
  std::map<std::string, TColor> colour;
  for (const TCanvasOp& op : c.OpsOf(okText))
    for (char ch : op.Text) colour[std::string(1, ch)] = op.Font.Color;
  EXPECT_EQ(colour["a"], clBlue);
  EXPECT_EQ(colour["b"], clWindowText);
  EXPECT_EQ(colour["c"], clWindowText);
}

TEST(MarkupLookup, DecodedPiecesDoNotCarryOver) {
  TRecordingCanvas c(1000, 1000);
  THTMLDrawParams p;
  p.Canvas = &c;
  p.Text = "&amp;&amp;&euro;long piece<B>x</B>&lt;<I>y</I>";
  p.Rect = TRect(0, 0, 400, 100);
  p.CheckHeight = true;
  HTMLDrawEngine(GridMarkupDialect, p);
  EXPECT_EQ(p.StripVal, "&&\xE2\x82\xAClong piecex<y");
  EXPECT_EQ(p.XSize, 5 * 16);  // the euro sign is one character
}

TEST(MarkupLookup, ExtentsFollowCanvasAndFontButNotColour) {
  TFussyCanvas c;
  // Each font measures the same letters differently: the width of one must
  // never answer for another.
  EXPECT_EQ(MeasuredWidth(&c, "qzx"), 15);
  EXPECT_EQ(MeasuredWidth(&c, "<B>qzx</B>"), 21);
  EXPECT_EQ(MeasuredWidth(&c, "<I>qzx</I>"), 18);
  EXPECT_EQ(MeasuredWidth(&c, "<B><I>qzx</I></B>"), 24);
  EXPECT_EQ(MeasuredWidth(&c, "<FONT FACE=\"Wide\">qzx</FONT>"), 30);
  EXPECT_EQ(MeasuredWidth(&c, "<R A=90>qzx</R>"), 18);
  EXPECT_EQ(MeasuredWidth(&c, "<FONT SIZE=5>qzx</FONT>"), 3 * 10);
  EXPECT_EQ(MeasuredWidth(&c, "qzx"), 15);
  // The colour changes no width.
  EXPECT_EQ(MeasuredWidth(&c, "<FONT COLOR=\"clRed\">qzx</FONT>"), 15);
  // Another canvas measures for itself.
  TFussyCanvas other;
  other.fussy->Scale = 3;
  EXPECT_EQ(MeasuredWidth(&other, "qzx"), 45);
  EXPECT_EQ(other.fussy->Measured["qzx"], 1);
  EXPECT_EQ(MeasuredWidth(&c, "qzx"), 15);
}

// Measuring keeps nothing per text: forty distinct texts of a megabyte each, measured on a
// real canvas, leave the heap and the canvas's glyph tables as they were.
TEST(MarkupLookup, MeasuringLargeDistinctTextsHoldsNoMemory) {
  TBitmap b(100, 100);
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> letter(0, 25);
  std::string text(1 << 20, ' ');
  auto measure = [&] {
    for (char& ch : text) ch = char('a' + letter(rng));
    return MeasuredWidth(b.Canvas(), text);
  };
  const int width = measure();  // the first call builds what stays: tables of the font
  ASSERT_GT(width, 1 << 20);
  const size_t heap = mallinfo2().uordblks;
  const size_t glyphs = TQtCanvasBackend::CachedGlyphCount();
  for (int i = 0; i < 40; ++i) measure();
  const size_t grown = mallinfo2().uordblks - std::min(heap, size_t(mallinfo2().uordblks));
  EXPECT_LT(grown, size_t(4) << 20) << "bytes held after measuring 40 MB of distinct text";
  EXPECT_EQ(TQtCanvasBackend::CachedGlyphCount(), glyphs);
}

TEST(MarkupLookup, ACanvasThatMeasuresDifferentlyIsSeenAtOnce) {
  TFussyCanvas c;
  EXPECT_EQ(MeasuredWidth(&c, "kvw"), 15);
  EXPECT_EQ(MeasuredWidth(&c, "kvw"), 15);
  c.fussy->Scale = 2;
  EXPECT_EQ(MeasuredWidth(&c, "kvw"), 30);
  EXPECT_EQ(MeasuredWidth(&c, "kvw"), 30);
}

TEST(MarkupLookup, PlainTextIsDrawnOnceFontByFont) {
  TFussyCanvas c;
  THTMLDrawParams p;
  p.Canvas = &c;
  p.Text = "a<B>b</B>c<FONT COLOR=\"clRed\">d</FONT><B>e</B><I>f</I>g<I>h</I>";
  p.Rect = TRect(0, 0, 400, 100);
  HTMLDrawEngine(GridMarkupDialect, p);
  const auto ops = c.fussy->Ops;
  std::multiset<std::string> drawn;
  std::vector<int> faces;  // style of each text drawn, in drawing order
  for (const TCanvasOp& op : ops) {
    if (op.Kind != okText) continue;
    drawn.insert(op.Text);
    if (faces.empty() || faces.back() != int(op.Font.Style)) faces.push_back(int(op.Font.Style));
    if (op.Text == "d") {
      EXPECT_EQ(op.Font.Color, clRed);
    }
  }
  EXPECT_EQ(drawn, (std::multiset<std::string>{"a", "b", "c", "d", "e", "f", "g", "h"}));
  // Three faces, each drawn in one stretch; the red text goes with its face.
  EXPECT_EQ(faces.size(), 3u);
}

TEST(MarkupLookup, TextsNeedingNoConversionReadTheSame) {
  TRecordingCanvas c(1000, 1000);
  auto lines = [&](const std::string& text, const TMarkupDialect& d) {
    c.Clear();
    THTMLDrawParams p;
    p.Canvas = &c;
    p.Text = text;
    p.Rect = TRect(0, 0, 400, 300);
    HTMLDrawEngine(d, p);
    EXPECT_EQ(p.Text, text);  // the caller's text is left as it was
    std::vector<std::string> r;
    auto ops = c.OpsOf(okText);
    std::sort(ops.begin(), ops.end(), [](const TCanvasOp& a, const TCanvasOp& b) { return a.R.Top < b.R.Top; });
    for (const TCanvasOp& op : ops) r.push_back(op.Text);
    return r;
  };
  using V = std::vector<std::string>;
  EXPECT_EQ(lines("plain < and # text", GridMarkupDialect), V{"plain "});
  EXPECT_EQ(lines("a\nb", GridMarkupDialect), V{"ab"});
  EXPECT_EQ(lines("<#one>x", GridMarkupDialect), V{"#onex"});
  EXPECT_EQ(lines("<#one>\r<#two>", GridMarkupDialect), (V{"#one", "#two"}));
  EXPECT_EQ(lines("<#a\rb", GridMarkupDialect), (V{"#a", "b"}));  // an open marker keeps the rest
  EXPECT_EQ(lines("a\rb", InspectorMarkupDialect), V{"a\rb"});

  EXPECT_FALSE(HasFooterMarkers("< #> #<"));
  EXPECT_TRUE(HasFooterMarkers("x<#"));
  EXPECT_FALSE(HasLineBreaks("tab\there"));
  EXPECT_TRUE(HasLineBreaks("x\n"));
  EXPECT_TRUE(HasLineBreaks("\r"));
  for (const std::string t : {"", "no breaks", "<B>x</B>", "#<>"}) {
    EXPECT_EQ(ConvertFooterMarkers(t), t);
    EXPECT_EQ(LineBreaksToBR(t, true), t);
  }
}

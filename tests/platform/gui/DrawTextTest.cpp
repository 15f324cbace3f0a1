// DrawText layout through the recording canvas: each character is 5 pixels
// wide and each line 13 pixels high with the default font.
#include <gtest/gtest.h>

#include "platform/gui/RecordingCanvas.h"

namespace {

std::vector<TCanvasOp> TextOps(TRecordingCanvas& c) { return c.OpsOf(okText); }

TEST(DrawText, CalcRectMeasuresSingleAndMultipleLines) {
  TRecordingCanvas c;
  TRect r(10, 20, 500, 20);
  int h = c.DrawText("Hello", r, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(h, 13);
  EXPECT_EQ(r, TRect(10, 20, 35, 33));
  EXPECT_TRUE(c.Ops().empty()) << "measuring draws nothing";

  TRect m(0, 0, 500, 0);
  c.DrawText("ab\r\nlonger line\nx", m, DT_CALCRECT);
  EXPECT_EQ(m.Right, 55) << "width of the widest line";
  EXPECT_EQ(m.Bottom, 39) << "three lines";
}

TEST(DrawText, WordBreakWrapsAtBlanksAndKeepsLongWordsWhole) {
  TRecordingCanvas c;
  TRect r(0, 0, 40, 100);  // 8 characters
  c.DrawText("aaa bbb ccc", r, DT_WORDBREAK);
  auto ops = TextOps(c);
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].Text, "aaa bbb");
  EXPECT_EQ(ops[1].Text, "ccc");
  EXPECT_EQ(ops[1].R.Top, 13);

  c.Clear();
  TRect calc(0, 0, 40, 0);
  c.DrawText("abcdefghijkl xy", calc, DT_WORDBREAK | DT_CALCRECT);
  EXPECT_EQ(calc.Bottom, 26);
  EXPECT_EQ(calc.Right, 60) << "a word wider than the line stays whole";

  c.Clear();
  TRect edit(0, 0, 40, 100);
  c.DrawText("abcdefghijkl", edit, DT_WORDBREAK | DT_EDITCONTROL);
  auto e = TextOps(c);
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[0].Text, "abcdefgh") << "the edit-control rule breaks long words";
  EXPECT_EQ(e[1].Text, "ijkl");
}

TEST(DrawText, EndEllipsisCutsAndPathEllipsisKeepsTheFileName) {
  TRecordingCanvas c;
  TRect r(0, 0, 30, 13);  // 6 characters
  c.DrawText("abcdefghij", r, DT_SINGLELINE | DT_END_ELLIPSIS);
  auto ops = TextOps(c);
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(ops[0].Text, "abc...");

  c.Clear();
  TRect fits(0, 0, 30, 13);
  c.DrawText("abcdef", fits, DT_SINGLELINE | DT_END_ELLIPSIS);
  EXPECT_EQ(TextOps(c)[0].Text, "abcdef") << "text that fits keeps every character";

  c.Clear();
  TRect p(0, 0, 90, 13);  // 18 characters
  c.DrawText("/home/user/data/file.mem", p, DT_SINGLELINE | DT_PATH_ELLIPSIS);
  EXPECT_EQ(TextOps(c)[0].Text, "/home/.../file.mem");
}

TEST(DrawText, AlignmentAndVerticalCentring) {
  TRecordingCanvas c;
  TRect r(0, 0, 100, 33);
  c.DrawText("abcd", r, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
  c.DrawText("abcd", r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  auto ops = TextOps(c);
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].R.Left, 80);
  EXPECT_EQ(ops[0].R.Top, 20);
  EXPECT_EQ(ops[1].R.Left, 40);
  EXPECT_EQ(ops[1].R.Top, 10);
}

TEST(DrawText, PrefixCharactersAndTabs) {
  TRecordingCanvas c;
  TRect r(0, 0, 200, 13);
  c.DrawText("&File && more", r, DT_SINGLELINE);
  auto ops = TextOps(c);
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(ops[0].Text, "File & more");
  EXPECT_EQ(ops[0].Underline, 0);

  c.Clear();
  c.DrawText("&File", r, DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(TextOps(c)[0].Text, "&File");

  c.Clear();
  TRect t(0, 0, 200, 0);
  c.DrawText("a\tb", t, DT_SINGLELINE | DT_EXPANDTABS | DT_CALCRECT);
  EXPECT_EQ(t.Right, 45) << "the tab stops at 8 average characters (40 pixels)";
}

TEST(DrawText, OpaqueBackgroundFollowsTheBrushAndClipsOverflow) {
  TRecordingCanvas c;
  TRect r(0, 0, 20, 13);
  c.Brush()->SetStyle(bsClear);
  c.DrawText("abcdefgh", r, DT_SINGLELINE);
  auto ops = TextOps(c);
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_FALSE(ops[0].Opaque);
  EXPECT_TRUE(ops[0].Clipped) << "text wider than its box is clipped to it";
  EXPECT_EQ(ops[0].Clip, r);

  c.Clear();
  c.Brush()->SetColor(clYellow);
  c.DrawText("ab", r, DT_SINGLELINE);
  ops = TextOps(c);
  EXPECT_TRUE(ops[0].Opaque);
  EXPECT_EQ(ops[0].BrushColor, clYellow);
  EXPECT_FALSE(ops[0].Clipped) << "fitting text needs no clip";
}

// A long paragraph drawn into a small rectangle: only what can show is laid out and drawn,
// the same lines as a rectangle tall enough for all would show first.
TEST(DrawText, ALongTextIsLaidOutOnlyAsFarAsTheRectangleShows) {
  const std::string word(20000, 'w');
  std::string words;
  while (words.size() < 20000) words += "lorem ipsum dolor ";
  struct TRow {
    const char* Name;
    std::string Text;
    unsigned Flags;
    size_t Lines;  // lines that show in 100 x 40: four starting at 0, 13, 26 and 39
  } rows[] = {
      {"one word, edit-control breaks", word, DT_WORDBREAK | DT_EDITCONTROL, 4},
      {"words", words, DT_WORDBREAK | DT_EDITCONTROL, 4},
      {"one line", word, DT_SINGLELINE, 1},
      {"one line with an ellipsis", words, DT_SINGLELINE | DT_END_ELLIPSIS, 1},
      {"lines of their own", words + "\r\n" + words + "\n" + words + "\r\n" + words, 0, 4},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    TRecordingCanvas all(100, 1000000), part;
    TRect tall(0, 0, 100, 1000000), r(0, 0, 100, 40);
    all.DrawText(row.Text, tall, row.Flags);
    part.DrawText(row.Text, r, row.Flags);
    const auto allOps = all.OpsOf(okText), ops = part.OpsOf(okText);
    ASSERT_EQ(ops.size(), row.Lines);
    for (size_t i = 0; i < ops.size(); ++i) {
      // What lies past the right edge never shows; of the rest, the same text at the same place.
      const size_t shown = 100 / 5;
      EXPECT_EQ(ops[i].Text.substr(0, shown), allOps[i].Text.substr(0, shown)) << i;
      EXPECT_EQ(ops[i].R.TopLeft(), allOps[i].R.TopLeft()) << i;
      EXPECT_LE(ops[i].Text.size(), 64u) << i;
    }
    EXPECT_LT(part.MeasuredBytes(), 8000u) << "the work follows the rectangle, not the text";
  }
}

}  // namespace

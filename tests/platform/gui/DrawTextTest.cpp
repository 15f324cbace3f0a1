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

}  // namespace

// Markup text routines: stripping, index mapping, highlighting, entity
// coding and inline-control tags.
#include <gtest/gtest.h>

#include "controls/markup/MarkupText.h"
#include "platform/rtl/Win1252.h"

TEST(MarkupStrip, BreaksBecomeCrLfAndTagsGo) {
  EXPECT_EQ(HTMLStrip("one<BR>two <b>three</b>"), "one\r\ntwo three");
  EXPECT_EQ(HTMLStrip("a<hr>b<Br>c"), "a\r\nb\r\nc");
  EXPECT_EQ(StripTags("one<BR>two <b>three</b>"), "onetwo three");
  // An unterminated tag ends the text; the routines still end.
  EXPECT_EQ(HTMLStrip("ab<c"), "ab");
  EXPECT_EQ(StripTags("ab<c"), "ab");
}

TEST(MarkupIndex, VisibleToRawIndexCountsTagsInFront) {
  const std::string t = "<B>ab</B>";
  EXPECT_EQ(VisibleToRawIndex(t, 0), 0);  // the start of the opening tag
  EXPECT_EQ(VisibleToRawIndex(t, 1), 4);
  EXPECT_EQ(VisibleToRawIndex(t, 2), 5);  // one past the end: the closing tag's start
  EXPECT_EQ(VisibleToRawIndex(t, 3), -1);
  EXPECT_EQ(VisibleToRawIndex(t, -1), -1);
  EXPECT_EQ(VisibleToRawIndex("", 0), 0);
}

TEST(MarkupSearch, FindTextFromAndVarPos) {
  int at = 99;
  EXPECT_EQ(FindTextFrom("ab", "xxABxab", 0, at, false), 2);
  EXPECT_EQ(at, 2);
  EXPECT_EQ(FindTextFrom("ab", "xxABxab", 0, at, true), 5);
  EXPECT_EQ(FindTextFrom("ab", "xxABxab", 3, at, false), 5);
  EXPECT_EQ(FindTextFrom("ab", "xxABxab", 6, at, false), -1);
  EXPECT_EQ(at, -1);
  EXPECT_EQ(VarPos("B", "aBb"), 1);
  EXPECT_EQ(VarPos("b", "aBb"), 2);
  EXPECT_EQ(VarPosNoCase("b", "aBb"), 1);
  EXPECT_EQ(VarPos("", "abc"), -1);
}

TEST(MarkupHighlight, RoundTripAndTagsInside) {
  const std::string t = "Abc <b>xaX</b> a";
  const std::string h = HiLight(t, "a", "hi", false);
  EXPECT_EQ(h, "<hi>A</hi>bc <b>x<hi>a</hi>X</b> <hi>a</hi>");
  EXPECT_EQ(UnHiLight(h, "HI"), t);
  // Case-sensitive finds only the lower-case letters.
  EXPECT_EQ(HiLight("aA", "a", "HI", true), "<HI>a</HI>A");
  // An occurrence that spans a tag is wrapped from its first to past its last letter.
  EXPECT_EQ(HiLight("a<i>bc</i>", "ab", "HI", false), "<HI>a<i>b</HI>c</i>");
  EXPECT_EQ(UnHiLight(HiLight("a<i>bc</i>", "ab", "HI", false), "hi"), "a<i>bc</i>");
  // Nothing to search, or a tag name that would add visible text: unchanged.
  EXPECT_EQ(HiLight("abc", "", "HI", false), "abc");
  EXPECT_EQ(HiLight("abc", "b", "H>I", false), "abc");
}

TEST(MarkupHighlight, UnHiLightRemovesJoinedTags) {
  EXPECT_EQ(UnHiLight("<<HI>HI>x</HI>", "hi"), "x");
}

TEST(MarkupEntities, EncodeThenDecodeGivesTheTextBack) {
  for (const std::string t : {"a & b", "&quot;", "&amp;", "*amp;", "<x y=\"1\">", "&&lt;&gt;;", "\"*amp;&\""}) {
    const std::string e = EncodeEntities(t);
    EXPECT_EQ(e.find_first_of("<>\""), std::string::npos) << t;
    EXPECT_EQ(DecodeEntities(e), t) << t;
  }
  EXPECT_EQ(EncodeEntities("&quot;"), "&amp;quot;");
  EXPECT_EQ(EncodeEntities("*amp;"), "*amp;");
  EXPECT_EQ(DecodeEntities("&amp;lt;"), "&lt;");
  EXPECT_EQ(DecodeEntities("&LT;&lt"), "&LT;&lt");
}

TEST(MarkupEntities, PieceDecodingCaseRules) {
  EXPECT_EQ(DecodePiece("&AMP;&Quot;&lt;&LT;&gt;", true, false), "&\"<&LT;>");
  // The characters in either encoding of the text they go into.
  EXPECT_EQ(DecodePiece("&euro;&TRADE;&sect;&permil;&reg;&copy;&para;", true, false),
            "\x80\x99\xA7\x89\xAE\xA9\xB6");
  const std::string utf8 = DecodePiece("&euro;&TRADE;&sect;&permil;&reg;&copy;&para;", true, true);
  EXPECT_EQ(utf8, "\xE2\x82\xAC\xE2\x84\xA2\xC2\xA7\xE2\x80\xB0\xC2\xAE\xC2\xA9\xC2\xB6");
  EXPECT_EQ(utf8, Win1252ToUtf8("\x80\x99\xA7\x89\xAE\xA9\xB6"));
  EXPECT_EQ(DecodePiece("a&nbsp;b", true, true), "a b");
  EXPECT_EQ(DecodePiece("a&nbsp;b", false, true), "a&nbsp;b");
  EXPECT_EQ(DecodePiece("&amp;lt;", true, true), "&lt;");  // one pass: no double decoding
  EXPECT_EQ(DecodePiece("&&;&", true, false), "&&;&");
}

TEST(MarkupSmallHelpers, Conversions) {
  EXPECT_EQ(ConvertFooterMarkers("<#a><#b>c"), "#a#bc");
  EXPECT_EQ(ConvertFooterMarkers("<#open"), "#open");
  EXPECT_EQ(LineBreaksToBR("a\r\nb\nc\r", true), "a<BR>bc<BR>");
  EXPECT_EQ(LineBreaksToBR("a\r\nb", false), "ab");
  EXPECT_EQ(PasswordText("abc"), "***");
  EXPECT_EQ(IntVal("42"), 42);
  EXPECT_EQ(IntVal("-7"), -7);
  EXPECT_EQ(IntVal("4x"), 0);
  EXPECT_EQ(IntVal(""), 0);
  EXPECT_EQ(IntVal("99999999999"), 0);
  EXPECT_EQ(IntVal("-2147483648"), -2147483647 - 1);
  std::string t = "one TWO two";
  EXPECT_TRUE(ReplaceOnce("two", "2", t));
  EXPECT_EQ(t, "one 2 two");
  EXPECT_FALSE(ReplaceOnce("six", "6", t));
}

TEST(MarkupAttributes, ScanQuotedUnquotedAndBlanks) {
  const auto a = ScanAttributes(" HREF=\"x y\" size = 3 bgcolor=\"#FF0000\" COLOR=\"red\" flag");
  ASSERT_EQ(a.size(), 5u);
  EXPECT_EQ(FindAttribute(a, "href", true)->Value, "x y");
  EXPECT_EQ(FindAttribute(a, "href", false), nullptr);
  EXPECT_EQ(FindAttribute(a, "SIZE", true)->Value, "3");
  EXPECT_EQ(FindAttribute(a, "COLOR", true)->Value, "red");  // BGCOLOR is not COLOR
  EXPECT_EQ(FindAttribute(a, "flag", false)->Value, "");
  // A quote that never closes runs to the end of the body.
  EXPECT_EQ(ScanAttributes(" A=\"open").at(0).Value, "open");
}

TEST(MarkupControls, ParseAndQuery) {
  const std::string t =
      "x <CONTROL TYPE=\"edit\" ID=\"a\" VALUE=\"1&amp;2\" WIDTH=\"40\"> "
      "<control type=\"CHECK\" id=\"b\" value=\"TRUE\" width=\"16\"> "
      "<CONTROL TYPE=\"EDIT\" ID=\"c\" VALUE=\"z\" WIDTH=\"30\" PROP=\"99\">";
  EXPECT_TRUE(HasHTMLControls(t));
  EXPECT_TRUE(HasHTMLControls("<control"));
  EXPECT_FALSE(HasHTMLControls("<CONTRO L>"));
  EXPECT_EQ(NextHTMLControlID(t, "a"), "c");
  EXPECT_EQ(NextHTMLControlID(t, ""), "a");
  EXPECT_EQ(NextHTMLControlID(t, "c"), "");
  EXPECT_EQ(NextHTMLControlID(t, "nope"), "");
  EXPECT_EQ(GetHTMLControlValue(t, "a"), "1&2");
  EXPECT_EQ(GetHTMLControlType(t, "a"), "EDIT");
  EXPECT_EQ(GetHTMLControlValue(t, ""), "TRUE");  // the first click-type control
  EXPECT_EQ(GetHTMLControlType(t, ""), "CHECK");
  EXPECT_EQ(GetHTMLControlProp(t, "c"), "99");
  EXPECT_EQ(GetHTMLControlProp(t, "a"), "");

  std::string type = "keep", id, prop = "keep", width, value;
  ParseControlTag("<CONTROL ID=\"q\" WIDTH=\"5\">", type, id, prop, width, value);
  EXPECT_EQ(type, "keep");
  EXPECT_EQ(prop, "keep");
  EXPECT_EQ(id, "q");
  EXPECT_EQ(width, "5");
}

TEST(MarkupControls, SetValueRewritesOnlyThatTag) {
  std::string t = "a<CONTROL TYPE=\"edit\" ID=\"e\" VALUE=\"old\" WIDTH=\"40\" PROP=\"p\">b<CONTROL ID=\"f\">";
  ASSERT_TRUE(SetHTMLControlValue(t, "e", "x<\"y\">&"));
  EXPECT_EQ(t,
            "a<CONTROL ID=\"e\" VALUE=\"x&lt;&quot;y&quot;&gt;&amp;\" WIDTH=\"40\" TYPE=\"EDIT\" PROP=\"p\">b"
            "<CONTROL ID=\"f\">");
  EXPECT_EQ(GetHTMLControlValue(t, "e"), "x<\"y\">&");
  // No PROP in the old tag: none in the new one.
  ASSERT_TRUE(SetHTMLControlValue(t, "f", "1"));
  EXPECT_EQ(t.substr(t.find("<CONTROL ID=\"f\"")), "<CONTROL ID=\"f\" VALUE=\"1\" WIDTH=\"\" TYPE=\"\">");
  const std::string before = t;
  EXPECT_FALSE(SetHTMLControlValue(t, "none", "v"));
  EXPECT_EQ(t, before);
}

TEST(MarkupHighlight, NeighbouringOccurrencesAreWrappedOneAfterTheOther) {
  // Each occurrence closes before the next opens, so the highlight ends with the last.
  EXPECT_EQ(HiLight("aab", "a", "HI", false), "<HI>a</HI><HI>a</HI>b");
  EXPECT_EQ(HiLight("<b>aa</b>", "a", "HI", false), "<HI><b>a</HI><HI>a</HI></b>");
  EXPECT_EQ(HiLight("aaaa", "aa", "HI", false), "<HI>aa</HI><HI>aa</HI>");
  // Occurrences do not overlap: the next search starts after the last one.
  EXPECT_EQ(HiLight("aaa", "aa", "HI", false), "<HI>aa</HI>a");
  // Tags in front of an occurrence stay outside it; a tag that is never closed hides the rest.
  EXPECT_EQ(HiLight("x<i><b>ab", "ab", "HI", false), "x<HI><i><b>ab</HI>");
  EXPECT_EQ(HiLight("ab<c ab", "b", "HI", false), "a<HI>b</HI><c ab");
}

TEST(MarkupHighlight, LargeTextsAreWrappedCompletely) {
  // A megabyte with a hundred thousand occurrences, across tags.
  std::string text;
  for (int i = 0; i < 100000; ++i) text += i % 2 ? "x<b>a</b> " : "ya ";
  const std::string lit = HiLight(text, "A", "hi", false);
  EXPECT_EQ(StripTags(lit), StripTags(text));
  size_t opened = 0;
  for (size_t at = lit.find("<hi>"); at != std::string::npos; at = lit.find("<hi>", at + 1)) ++opened;
  EXPECT_EQ(opened, 100000u);
  EXPECT_EQ(UnHiLight(lit, "HI"), text);
}

TEST(MarkupHighlight, UnHiLightRemovesEveryTagItMakes) {
  EXPECT_EQ(UnHiLight("<HI<HI>>x</H</HI>I>", "hi"), "x");
  EXPECT_EQ(UnHiLight("</<hi>hi>a", "HI"), "a");  // an opening tag removed leaves a closing one
  EXPECT_EQ(UnHiLight("<HIX>a</HI >", "HI"), "<HIX>a</HI >");
  EXPECT_EQ(UnHiLight("abc", ""), "abc");
}

TEST(MarkupEncodingRule, InsertedTextTakesTheEncodingOfTheText) {
  // A value typed as UTF-8 goes into a Windows-1252 text as 1252 bytes, and back.
  std::string w = "\xE9<CONTROL ID=\"e\" VALUE=\"\" WIDTH=\"9\">";
  ASSERT_TRUE(SetHTMLControlValue(w, "e", "\xC3\xA9\xE2\x82\xAC"));
  EXPECT_EQ(GetHTMLControlValue(w, "e"), "\xE9\x80");
  std::string u = "\xC3\xA9<CONTROL ID=\"e\" VALUE=\"\" WIDTH=\"9\">";
  ASSERT_TRUE(SetHTMLControlValue(u, "e", "\xE9\x80"));
  EXPECT_EQ(GetHTMLControlValue(u, "e"), "\xC3\xA9\xE2\x82\xAC");
  std::string a = "<CONTROL ID=\"e\" VALUE=\"\" WIDTH=\"9\">";
  ASSERT_TRUE(SetHTMLControlValue(a, "e", "\xC3\xA9"));
  EXPECT_EQ(GetHTMLControlValue(a, "e"), "\xC3\xA9");

  // A search text is looked for in the text's own encoding, by whole characters.
  EXPECT_EQ(HiLight("caf\xC3\xA9 \xC2\xA9", "\xE9", "HI", true), "caf<HI>\xC3\xA9</HI> \xC2\xA9");
  EXPECT_EQ(HiLight("caf\xE9", "\xC3\xA9", "HI", true), "caf<HI>\xE9</HI>");
  // The byte A9 alone is no character of a UTF-8 text: the copyright sign is not split.
  EXPECT_EQ(HiLight("\xC2\xA9", "\xA9", "HI", true), "<HI>\xC2\xA9</HI>");
}

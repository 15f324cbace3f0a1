// The rich text document: RTF read (by hand and as an office program writes it), written back,
// malformed input, and the text drawn.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/gui/RecordingCanvas.h"
#include "platform/gui/RichText.h"
#include "platform/gui/RtfReader.h"
#include "platform/gui/testing/GuiTest.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

std::string DataFile(const std::string& name) {
  return ReadFile(std::string(VELMARON_SOURCE_DIR) + "/tests/platform/gui/rtf/" + name);
}

// The run holding a text, or nullptr.
const TRtfRun* RunWith(const TRtfContent& c, const std::string& text, TRtfAlign* align = nullptr) {
  for (const auto& p : c.Paragraphs)
    for (const auto& r : p.Runs)
      if (r.Text.find(text) != std::string::npos) {
        if (align) *align = p.Format.Align;
        return &r;
      }
  return nullptr;
}

TEST(RtfPlainText, SubsetGivesItsCharacters) {
  using namespace std::string_literals;
  struct {
    std::string rtf;
    const char* plain;
  } rows[] = {
      {R"({\rtf1 a\emdash b\bullet c\lquote d\rquote e\~f})", "a\u2014b\u2022c\u2018d\u2019e f"},
      {R"({\rtf1 \endash\ldblquote x\rdblquote a\_b\-c})", "\u2013\u201Cx\u201Da-bc"},
      {R"({\rtf1\ansi\ansicpg1251 \'e0\'e1})", "\u0430\u0431"},
      {R"({\rtf1\ansicpg1253 \'e1})", "\u03B1"},
      {R"({\rtf1\ansi\ansicpg1252 \'e0})", "\u00E0"},
      {R"({\rtf1\ansicpg437 \'82})", "\u00E9"},
      {R"({\rtf1\ansicpg850 \'9b})", "\u00F8"},
      {R"({\rtf1\ansicpg1250 \'b9})", "\u0105"},
      // A font's character set decodes its text, whatever the document's code page.
      {R"({\rtf1\ansicpg1252{\fonttbl{\f0 Arial;}{\f1\fcharset204 Arial Cyr;}}\f1 \'e0\f0 \'e0})", "\u0430\u00E0"},
      {R"({\rtf1\ansicpg932 \'82\'a0})", "\u3042"},
      {R"({\rtf1\ansicpg99999 \'e0})", "\u00E0"},  // a code page not read: 1252
      {R"({\rtf1 a\u8233?b\u65532?\u64976?c})", "a\r\nbc"},
      {R"({\rtf1 a\cell b\cell\row})", "a\tb"},
      {R"({\rtf1 a\cell\cell c\cell\row x\cell y\cell\row})", "a\t\tc\r\nx\ty"},
      {R"({\rtf1 one\par two\line three\tab four\par})", "one\r\ntwo\r\nthree\tfour"},
      {R"({\rtf1 \u1072?\uc0\u1073 \uc2\u1074 xyz})", "\u0430\u0431\u0432z"},
      {R"({\rtf1 \u-10179?\u-8704?})", "\U0001F600"},
      {R"({\rtf1 \u1072\'e0b})", "\u0430b"},
      {R"({\rtf1{\fonttbl{\f0 Arial;}}{\colortbl;\red255\green0\blue0;}{\stylesheet{\s1 Heading;}}{\info{\title T}}a{\*\unknown x}b{\pict\pngblip 0011}c{\object{\objdata 00}}d})", "abcd"},
      {R"({\rtf1 a{\field{\*\fldinst HYPERLINK "x"}{\fldrslt link}}b})", "alinkb"},
      {R"({\rtf1 a\bin3 {}}b})", "ab"},
      {R"({\rtf1 \{x\}\\})", "{x}\\"},
      // Malformed: the text read so far.
      {R"({\rtf1 abc)", "abc"},
      {R"({\rtf1 abc}} def)", "abc"},
      {R"(text {\b bold} more} end)", "text bold more end"},
      {"{\\rtf1 a\0b\\'zz c}"s, "abzz c"},
      {R"({\rtf1 abc\fs12345678901234567890 def})", "abc"},
  };
  for (const auto& r : rows) EXPECT_EQ(RtfToPlainText(r.rtf), r.plain) << r.rtf;
}

TEST(RtfReader, MalformedIsRefusedOrReadSoFar) {
  std::string error;
  TRtfContent c;
  EXPECT_FALSE(ReadRtf(R"({\rtf1 kept\b1234567890123 lost})", c, &error));
  EXPECT_NE(error.find("10 digits"), std::string::npos);
  EXPECT_EQ(c.PlainText(), "kept");
  EXPECT_FALSE(ReadRtf(R"({\rtf1 open)", c, &error));
  EXPECT_EQ(c.PlainText(), "open");

  const std::string deep = "{\\rtf1 x" + std::string(2'000'000, '{') + "y";
  EXPECT_FALSE(ReadRtf(deep, c, &error));
  EXPECT_EQ(c.PlainText(), "x");

  // A 10 MB group, shown and skipped, reads in time linear in its length.
  const std::string big(10'000'000, 'x');
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_TRUE(ReadRtf("{\\rtf1 {\\b " + big + "}{\\pict " + big + "}}", c, &error));
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
  ASSERT_EQ(c.Paragraphs.size(), 1u);
  EXPECT_EQ(c.Paragraphs[0].Runs[0].Text.size(), big.size());
}

// Stopped after some text, the reader gives the start of what it reads whole, and no fault
// for a text whose end it never reached.
TEST(RtfReader, StoppedAfterSomeTextItGivesTheStartOfTheWhole) {
  const std::string words = "{\\rtf1 {\\b bold} plain\\par\\qc centred {\\i italic} more words and words\\par last";
  TRtfContent whole;
  ASSERT_FALSE(ReadRtf(words, whole));
  size_t total = 0;
  for (const auto& p : whole.Paragraphs)
    for (const auto& r : p.Runs) total += r.Text.size();
  for (size_t stop = 0; stop + 1 < total; ++stop) {
    SCOPED_TRACE(stop);
    TRtfContent part;
    bool cut = false;
    size_t read = 0;
    EXPECT_TRUE(ReadRtfStart(words, part, stop, &cut, &read));
    ASSERT_TRUE(cut);
    ASSERT_LE(part.Paragraphs.size(), whole.Paragraphs.size());
    size_t text = 0;
    for (size_t i = 0; i < part.Paragraphs.size(); ++i) {
      const bool last = i + 1 == part.Paragraphs.size();
      const auto& p = part.Paragraphs[i], &w = whole.Paragraphs[i];
      EXPECT_EQ(p.Format, w.Format) << i;
      ASSERT_LE(p.Runs.size(), w.Runs.size());
      for (size_t r = 0; r < p.Runs.size(); ++r) {
        EXPECT_EQ(p.Runs[r].Format, w.Runs[r].Format);
        if (last && r + 1 == p.Runs.size())
          EXPECT_EQ(w.Runs[r].Text.compare(0, p.Runs[r].Text.size(), p.Runs[r].Text), 0);
        else
          EXPECT_EQ(p.Runs[r].Text, w.Runs[r].Text);
        text += p.Runs[r].Text.size();
      }
    }
    EXPECT_GT(text, stop);
    EXPECT_LT(read, words.size());
  }
  TRtfContent all;
  bool cut = true;
  EXPECT_FALSE(ReadRtfStart(words, all, total, &cut));
  EXPECT_FALSE(cut);
  EXPECT_TRUE(all.Paragraphs == whole.Paragraphs);
}

class RichTextFiles : public TGuiTest {};

TEST_F(RichTextFiles, OfficeProgramsRtfReads) {
  struct {
    const char* file;
    const char* plain;
  } rows[] = {
      {"formats.rtf", "Plain bold italic underlined struck both\r\nred blue marked\r\nMono fourteen\r\nCentred\r\nRight"},
      {"scripts.rtf", "\u041F\u0440\u0438\u0432\u0435\u0442, \u043C\u0438\u0440\r\n"
                      "\u039A\u03B1\u03BB\u03B7\u03BC\u03AD\u03C1\u03B1 \u03BA\u03CC\u03C3\u03BC\u03B5\r\n"
                      "Gr\u00FC\u00DFe \u2013 \u201Cquoted\u201D \u2014 \u00E9"},
      {"table.rtf", "Before\r\nA1\tB1\r\nA2\tB2\r\nPicture  after"},
  };
  for (const auto& r : rows) {
    const std::string rtf = DataFile(r.file);
    ASSERT_FALSE(rtf.empty()) << r.file;
    TRichDocument d;
    std::string error;
    EXPECT_TRUE(d.LoadRtf(rtf, &error)) << r.file << ": " << error;
    EXPECT_EQ(d.PlainText(), r.plain) << r.file;
    EXPECT_EQ(RtfToPlainText(rtf), r.plain) << r.file;
  }

  TRtfContent c;
  ASSERT_TRUE(ReadRtf(DataFile("formats.rtf"), c));
  struct {
    const char* text;
    bool bold, italic, underline, strike;
    TColor color, back;
    const char* font;
    int halfPoints;
    TRtfAlign align;
  } runs[] = {
      {"Plain", false, false, false, false, clNone, clNone, "Liberation Sans", 20, raLeft},
      {"bold", true, false, false, false, clNone, clNone, "Liberation Sans", 20, raLeft},
      {"italic", false, true, false, false, clNone, clNone, "Liberation Sans", 20, raLeft},
      {"underlined", false, false, true, false, clNone, clNone, "Liberation Sans", 20, raLeft},
      {"struck", false, false, false, true, clNone, clNone, "Liberation Sans", 20, raLeft},
      {"both", true, true, false, false, clNone, clNone, "Liberation Sans", 20, raLeft},
      {"red", false, false, false, false, clRed, clNone, "Liberation Sans", 20, raLeft},
      {"blue", false, false, false, false, clBlue, clNone, "Liberation Sans", 20, raLeft},
      {"marked", false, false, false, false, clNone, clYellow, "Liberation Sans", 20, raLeft},
      {"Mono", false, false, false, false, clNone, clNone, "Liberation Mono", 28, raLeft},
      {"Centred", false, false, false, false, clNone, clNone, "Liberation Serif", 24, raCenter},
      {"Right", false, false, false, false, clNone, clNone, "Liberation Serif", 24, raRight},
  };
  for (const auto& e : runs) {
    TRtfAlign align = raLeft;
    const TRtfRun* r = RunWith(c, e.text, &align);
    ASSERT_NE(r, nullptr) << e.text;
    const TRtfCharFormat& f = r->Format;
    EXPECT_EQ(std::make_tuple(f.Bold, f.Italic, f.Underline, f.Strike, f.Color, f.Back, f.Font, f.HalfPoints, align),
              std::make_tuple(e.bold, e.italic, e.underline, e.strike, e.color, e.back, std::string(e.font),
                              e.halfPoints, e.align))
        << e.text;
  }
}

// Read, write, read again: the same paragraphs and runs.
TEST_F(RichTextFiles, WrittenRtfReadsAsTheSameRuns) {
  for (const char* file : {"formats.rtf", "scripts.rtf", "table.rtf"}) {
    TRtfContent first, again;
    ReadRtf(DataFile(file), first);
    TRichDocument d;
    d.LoadRtf(DataFile(file));
    const std::string written = d.SaveRtf();
    std::string error;
    EXPECT_TRUE(ReadRtf(written, again, &error)) << file << ": " << error;
    EXPECT_EQ(again.Paragraphs, first.Paragraphs) << file << "\n" << written;
  }
}

TEST(RtfWriter, CodePageFallbackAndTables) {
  struct {
    const char* text;
    const char* has;
  } rows[] = {
      {"\u0430\u0431", R"(\ansicpg1251)"},
      {"\u0430\u0431", R"(\u1072\'e0\u1073\'e1)"},
      {"\u03B1", R"(\ansicpg1253)"},
      {"caf\u00E9", R"(\ansicpg1252)"},
      {"\u0430\u03B1", R"(\u1072?\u945?)"},  // no one code page holds both
      {"\U0001F600", R"(\u-10179?\u-8704?)"},
      {"a{b}\\c\td\u2028e", R"(a\{b\}\\c\tab d\line e)"},
  };
  for (const auto& r : rows) {
    TRtfContent c;
    c.Paragraphs.push_back({{}, {{r.text, {}}}});
    const std::string rtf = WriteRtf(c);
    EXPECT_NE(rtf.find(r.has), std::string::npos) << rtf;
    EXPECT_EQ(RtfToPlainText(rtf), TRtfContent(c).PlainText()) << rtf;
  }
  // Only the fonts and colours the runs use.
  TRtfContent c;
  c.Paragraphs.push_back({{}, {{"x", {.Font = "Courier", .Color = clRed}}, {"y", {.Font = "Courier"}}}});
  EXPECT_NE(WriteRtf(c).find(R"({\fonttbl{\f0\fcharset0 Courier;}}{\colortbl;\red255\green0\blue0;})"), std::string::npos);
}

class RichTextDraw : public TGuiTest {};

TEST_F(RichTextDraw, ColoursAndOverride) {
  TRichDocument d;
  ASSERT_TRUE(d.LoadRtf(R"({\rtf1{\colortbl;\red255\green0\blue0;}\fs40\cf1\b WWWW})"));
  EXPECT_GT(d.Width(), 30);
  EXPECT_GT(d.Height(), 15);
  auto count = [&](TColor override, TColor want) {
    TBitmap b(d.Width() + 10, d.Height() + 10);
    b.Canvas()->Brush()->SetColor(clWhite);
    b.Canvas()->FillRect(TRect(0, 0, b.Width(), b.Height()));
    d.Draw(*b.Canvas(), TRect(5, 5, b.Width(), b.Height()), {.TextColor = override});
    int n = 0;
    for (int y = 0; y < b.Height(); ++y)
      for (int x = 0; x < b.Width(); ++x) n += b.Canvas()->Pixels(x, y) == want;
    return n;
  };
  EXPECT_GT(count(clNone, clRed), 20);
  EXPECT_EQ(count(clBlue, clRed), 0);
  EXPECT_GT(count(clBlue, clBlue), 20);
}

TEST_F(RichTextDraw, CanvasWithoutPainterGetsEachRunInItsFontAndWrapping) {
  TRichDocument d;
  ASSERT_TRUE(d.LoadRtf(R"({\rtf1{\colortbl;\red255\green0\blue0;}plain {\b\cf1 bold}})"));
  TRecordingCanvas c;
  d.Draw(c, TRect(10, 20, 300, 100));
  const auto ops = c.OpsOf(okText);
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(std::make_tuple(ops[0].Text, ops[0].Font.Style, ops[0].R.Top), std::make_tuple("plain ", 0u, 20));
  EXPECT_EQ(std::make_tuple(ops[1].Text, ops[1].Font.Style, ops[1].Font.Color), std::make_tuple("bold", 1u * fsBold, clRed));
  EXPECT_GT(ops[1].R.Left, ops[0].R.Left);
  const int oneLine = d.Height();
  d.SetTextWidth(d.Width() - 5);
  EXPECT_GT(d.Height(), oneLine) << "wrapped to two lines";
}

// Loaded for a box, a document keeps what can show there: a long paragraph costs the box, and
// the box shows the same pixels as the whole document does.
TEST_F(RichTextDraw, LoadedForABoxItKeepsWhatShowsThereAndDrawsTheSame) {
  std::string words, word(200000, 'w');
  const std::string unit = "lorem {\\b ipsum} dolor ";
  while (words.size() < 60000) words += unit;
  struct TRow {
    const char* Name;
    std::string Rtf;
    bool Compare = true;  // not the long word whole: that is what takes long
  } rows[] = {
      {"one long word", "{\\rtf1 " + word + "}", false},
      {"words with bold", "{\\rtf1 " + words + "}"},
      {"paragraphs", "{\\rtf1 " + words.substr(0, 130 * unit.size()) + "\\par " + words.substr(0, 20 * unit.size()) + "\\par\\qc " + words + "}"},
      {"short", "{\\rtf1 a few {\\i words}\\par and a line}"},
  };
  const TRect box(0, 0, 150, 60);
  auto pixels = [&](const TRichDocument& d) {
    TBitmap b(box.Width(), box.Height());
    b.Canvas()->Brush()->SetColor(clWhite);
    b.Canvas()->FillRect(box);
    d.Draw(*b.Canvas(), box);
    std::string out;
    for (int y = 0; y < box.Height(); ++y)
      for (int x = 0; x < box.Width(); ++x) out += b.Canvas()->Pixels(x, y) == clWhite ? '.' : '#';
    return out;
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    TRichDocument shown;
    ASSERT_TRUE(shown.LoadRtfShown(row.Rtf, box.Width(), box.Height()));
    EXPECT_LT(shown.CharacterCount(), 4000) << "what the box holds, not the text";
    EXPECT_LT(shown.RtfBytesRead(), 20000u) << "read as far as the box needs, not to the end";
    if (row.Compare) {
      TRichDocument all;
      ASSERT_TRUE(all.LoadRtf(row.Rtf));
      all.SetTextWidth(box.Width());
      EXPECT_EQ(pixels(shown), pixels(all));
    }
    // Another box takes another part.
    shown.SetShownBox(box.Width(), box.Height() * 3);
    if (row.Rtf.size() > 10000) {
      EXPECT_GT(shown.CharacterCount(), 40);
    }
    EXPECT_LT(shown.CharacterCount(), 12000);
  }
}

// Where LibreOffice is installed: our RTF read by it gives our plain text, and keeps the formats.
TEST_F(RichTextFiles, OfficeProgramReadsWrittenRtf) {
  if (std::system("command -v soffice >/dev/null 2>&1") != 0) GTEST_SKIP() << "LibreOffice is not installed";
  const auto dir = std::filesystem::temp_directory_path() / ("velmaron-rtf-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  auto convert = [&](const std::string& file, const std::string& to, const std::string& ext) {
    TRichDocument d;
    d.LoadRtf(DataFile(file));
    std::ofstream(dir / "ours.rtf", std::ios::binary) << d.SaveRtf();
    const std::string cmd = "cd '" + dir.string() + "' && HOME='" + dir.string() +
                            "' timeout 120 soffice --headless --convert-to '" + to + "' ours.rtf >/dev/null 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    std::string plain = d.PlainText();
    for (size_t k; (k = plain.find("\r\n")) != std::string::npos;) plain.replace(k, 2, "\n");
    return std::make_pair(ReadFile((dir / ("ours." + ext)).string()), plain);
  };
  auto [text, plain] = convert("scripts.rtf", "txt:Text (encoded):UTF8,LF", "txt");
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  while (!text.empty() && text.back() == '\n') text.pop_back();
  EXPECT_EQ(text, plain);
  const std::string html = convert("formats.rtf", "html:HTML (StarWriter)", "html").first;
  for (const char* format : {"<b>bold</b>", "<i>italic</i>", "<u>underlined</u>", "<font color=\"#ff0000\">",
                             "Liberation Mono", "font-size: 14pt", "align=\"center\""})
    EXPECT_NE(html.find(format), std::string::npos) << format << "\n" << html;
  std::filesystem::remove_all(dir);
}

}  // namespace

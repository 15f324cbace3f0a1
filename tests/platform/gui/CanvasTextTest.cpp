// Text on the Qt canvas: every character has one whole-pixel advance and no pair is kerned,
// so what is measured is what is drawn, to the pixel, in UTF-8 and in Windows-1252; cutting
// and fitting go by whole characters.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "platform/gui/Graphics.h"
#include "platform/gui/QtBridge.h"
#include "platform/gui/QtCanvas.h"
#include "platform/gui/RecordingCanvas.h"

namespace {

struct TFace {
  int height;
  TFontStyles style;
};
const TFace kFaces[] = {{-8, 0},        {-11, 0},           {-13, fsBold},
                        {-17, fsItalic}, {-17, fsUnderline}, {-11, fsStrikeOut | fsBold}};

const std::string kUtf8 = "K\xC3\xB6ln \xE2\x82\xAC caf\xC3\xA9";  // "Köln € café"
const std::string kWin1252 = "K\xF6ln \x80 caf\xE9";              // the same in Windows-1252
// A character DejaVu Sans lacks, drawn from another face of the family.
const std::string kMathA = "\xF0\x9D\x92\x9C";
// Windows-1252 bytes whose start would read as UTF-8 by itself: "Ã©Ã©é".
const std::string kLooksUtf8 = "\xC3\xA9\xC3\xA9\xE9";

std::string Describe(const TFace& f, const std::string& text) {
  return "height " + std::to_string(f.height) + " style " + std::to_string(f.style) + ": " + text;
}

void UseFace(TCanvas* c, const TFace& f) {
  c->Font()->SetName("DejaVu Sans");
  c->Font()->SetHeight(f.height);
  c->Font()->SetStyle(f.style);
  c->Font()->SetColor(clNavy);
  c->Brush()->SetStyle(bsClear);
}

// What draw leaves on a white bitmap of the face.
QImage Drawn(const TFace& f, const std::function<void(TCanvas*)>& draw, int width = 240, int height = 32) {
  TBitmap b(width, height);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clWhite);
  c->FillRect(TRect(0, 0, width, height));
  UseFace(c, f);
  draw(c);
  return b.Image();
}

// A text drawn at (3, 2) by TextOut, its measured width and the font it was drawn in.
struct TDrawnText {
  QImage image;
  int width = 0;
  TFontData font;
};
TDrawnText DrawnText(const TFace& f, const std::string& text) {
  TDrawnText r;
  r.image = Drawn(f, [&](TCanvas* c) {
    c->TextOut(3, 2, text);
    r.width = c->TextWidth(text);
    r.font = c->Font()->Data();
  });
  return r;
}

// What Qt's own text drawing makes of a text at the same place.
QImage QtDrawn(const QFont& font, const std::string& text, QSize size) {
  QImage img(size, QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  p.setFont(font);
  p.setPen(ToQColor(clNavy));
  p.drawText(QPoint(3, 2 + QFontMetrics(font, &img).ascent()), ToQString(text));
  return img;
}

// The whole characters of a text, as the text's encoding reads it.
std::vector<std::string> Characters(const std::string& s) {
  const bool utf8 = TextIsUtf8(s);
  std::vector<std::string> r;
  for (size_t i = 0; i < s.size(); i += TextCharLength(s, i, utf8)) r.push_back(s.substr(i, TextCharLength(s, i, utf8)));
  return r;
}

TEST(CanvasText, AWholeTextDrawsAsItsCharactersAtTheirMeasuredPositions) {
  const std::string texts[] = {"Hello, AVAWaToy 0x1F", kUtf8, kWin1252, "A" + kMathA + "B", kLooksUtf8,
                               std::string("tab\there\x01\x7F\xAD", 12), std::string(120, 'w') + "!"};
  for (const TFace& face : kFaces) {
    for (const std::string& text : texts) {
      int measured = 0, penEnd = 0, sum = 0;
      const QImage whole = Drawn(face, [&](TCanvas* c) {
        c->TextOut(3, 2, text);
        penEnd = c->PenPos().X;
        measured = c->TextWidth(text);
      });
      const QImage pieces = Drawn(face, [&](TCanvas* c) {
        // Each piece is read as the whole text is.
        c->SetTextEncoding(TextIsUtf8(text) ? teUtf8 : teWin1252);
        int x = 3;
        for (const std::string& ch : Characters(text)) {
          c->TextOut(x, 2, ch);
          x += c->TextWidth(ch);
        }
        sum = x - 3;
      });
      EXPECT_EQ(whole, pieces) << Describe(face, text);
      EXPECT_EQ(measured, sum) << Describe(face, text);
      EXPECT_EQ(penEnd, 3 + measured) << Describe(face, text);
    }
  }
}

// A text far longer than the surface, starting far left of it, shows the same pixels as the
// part of it that falls on the surface.
TEST(CanvasText, ALongTextShowsItsVisiblePartWherever) {
  std::string text;
  for (int i = 0; i < 4000; ++i) text += "Wide text " + std::to_string(i) + " ";
  for (const TFace& face : {TFace{-11, 0}, TFace{-17, fsItalic | fsUnderline}}) {
    int start = 0;
    size_t from = 0;
    const QImage whole = Drawn(face, [&](TCanvas* c) {
      from = text.find("Wide text 2000 ");
      start = c->TextWidth(text.substr(0, from));
      c->TextOut(3 - start, 2, text);
    });
    const QImage part = Drawn(face, [&](TCanvas* c) {
      // A little before and after the surface, for the slant of italic letters; short enough
      // to be drawn whole.
      const size_t before = text.rfind(' ', from - 2) + 1;
      const std::string visible = text.substr(before, 60);
      ASSERT_GT(3 + c->TextWidth(visible) - c->TextWidth(text.substr(before, from - before)), 240 + 20);
      c->TextOut(3 - c->TextWidth(text.substr(before, from - before)), 2, visible);
    });
    EXPECT_EQ(whole, part) << face.height;
  }
}

// Single characters (no pair to kern) give Qt's own glyphs, baseline, lines and advances.
TEST(CanvasText, ACharacterLooksAndMeasuresAsQtDrawsIt) {
  const std::string chars[] = {"W", "g", "\xC3\xA9", "\xE2\x82\xAC", kMathA};
  for (const TFace& face : kFaces) {
    if (face.style & (fsUnderline | fsStrikeOut)) continue;  // Qt's lines end at fractions of a pixel
    for (const std::string& ch : chars) {
      const TDrawnText drawn = DrawnText(face, ch);
      const QImage& ours = drawn.image;
      const int width = drawn.width;
      const TFontData& font = drawn.font;
      const QImage qt = QtDrawn(TQtCanvasBackend::MakeFont(font), ch, ours.size());
      const QFontMetrics fm(TQtCanvasBackend::MakeFont(font), &qt);
      EXPECT_EQ(ours.convertToFormat(QImage::Format_RGB32), qt) << Describe(face, ch);
      EXPECT_EQ(width, fm.horizontalAdvance(ToQString(ch))) << Describe(face, ch);
    }
  }
}

// Underline and strike-out run exactly along the measured width, where Qt puts them.
TEST(CanvasText, LinesRunAlongTheMeasuredWidth) {
  for (const TFace& face : kFaces) {
    if (!(face.style & (fsUnderline | fsStrikeOut))) continue;
    for (const std::string& text : {std::string("W"), std::string("Hello AV"), kUtf8}) {
      const TDrawnText drawn = DrawnText(face, text);
      const QImage& lined = drawn.image;
      const int width = drawn.width;
      const TFontData& font = drawn.font;
      TFace bare = face;
      bare.style &= ~(fsUnderline | fsStrikeOut);
      const QImage plain = Drawn(bare, [&](TCanvas* c) { c->TextOut(3, 2, text); });
      // Rows Qt's own text drawing marks as lines for one character of the face.
      QFont withLines = TQtCanvasBackend::MakeFont(font), withoutLines = withLines;
      withoutLines.setUnderline(false);
      withoutLines.setStrikeOut(false);
      const QImage qtLine = QtDrawn(withLines, "I", lined.size()), qtPlain = QtDrawn(withoutLines, "I", lined.size());
      int rows = 0;
      for (int y = 0; y < lined.height(); ++y) {
        if (qtLine.pixel(3, y) == qtPlain.pixel(3, y)) continue;  // not a line row
        ++rows;
        EXPECT_EQ(lined.pixel(2, y), QColor(Qt::white).rgb()) << Describe(face, text) << " row " << y;
        for (int x = 3; x < 3 + width; ++x)
          EXPECT_EQ(lined.pixel(x, y), ToQColor(clNavy).rgb()) << Describe(face, text) << " row " << y << " x " << x;
        EXPECT_EQ(lined.pixel(3 + width, y), plain.pixel(3 + width, y)) << Describe(face, text) << " row " << y;
      }
      EXPECT_GE(rows, 1) << Describe(face, text);
    }
  }
}

TEST(CanvasText, NoPairOfCharactersIsKerned) {
  TBitmap b(10, 10);
  TCanvas* c = b.Canvas();
  UseFace(c, {-17, 0});
  QFont kerned = TQtCanvasBackend::MakeFont(c->Font()->Data());
  kerned.setKerning(true);
  const QFontMetricsF fm(kerned);
  ASSERT_LT(fm.horizontalAdvance("AV"), fm.horizontalAdvance("A") + fm.horizontalAdvance("V") - 0.5)
      << "the font kerns the pair, so the test can tell";
  EXPECT_EQ(c->TextWidth("AV"), c->TextWidth("A") + c->TextWidth("V"));
  EXPECT_EQ(c->TextWidth("AVAWaTo"), c->TextWidth("AVAW") + c->TextWidth("aTo"));
}

TEST(CanvasText, InkLiesWithinTheMeasuredBox) {
  for (const TFace& face : {TFace{-11, 0}, TFace{-17, fsBold}}) {
    int width = 0, last = 0;
    const QImage img = Drawn(face, [&](TCanvas* c) {
      c->TextOut(3, 2, "HHH");
      width = c->TextWidth("HHH");
      last = c->TextWidth("H");
    });
    int left = img.width(), right = -1;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        if (img.pixel(x, y) != QColor(Qt::white).rgb()) {
          left = std::min(left, x);
          right = std::max(right, x);
        }
    EXPECT_GE(left, 3) << face.height;
    EXPECT_LT(right, 3 + width) << "the ink ends inside the measured width, " << face.height;
    EXPECT_GE(right, 3 + width - last) << "and reaches into the last character's advance, " << face.height;
  }
}

// TextFit gives the longest start of whole characters within the width, and its width.
void ExpectFitsByWholeCharacters(TCanvas* c, const std::string& text, const std::string& what) {
  const std::vector<std::string> chars = Characters(text);
  std::vector<size_t> ends{0};
  for (const std::string& ch : chars) ends.push_back(ends.back() + ch.size());
  const int full = c->TextWidth(text);
  for (int room = -1; room <= full + 3; ++room) {
    int width = -1;
    c->SetTextEncoding(teAuto);
    const size_t n = c->TextFit(text, room, &width);
    // Its starts are measured as the whole text reads.
    c->SetTextEncoding(TextIsUtf8(text) ? teUtf8 : teWin1252);
    EXPECT_EQ(c->TextFit(text, room), n) << what;
    ASSERT_NE(std::find(ends.begin(), ends.end(), n), ends.end()) << what << ": " << n << " cuts a character";
    EXPECT_EQ(width, c->TextWidth(text.substr(0, n))) << what << ", room " << room;
    EXPECT_LE(width, std::max(room, 0)) << what << ", room " << room;
    if (n < text.size()) {
      const size_t next = *std::upper_bound(ends.begin(), ends.end(), n);
      EXPECT_GT(c->TextWidth(text.substr(0, next)), room) << what << ": one more character would fit in " << room;
    }
  }
  c->SetTextEncoding(teAuto);
}

TEST(CanvasText, FittingCountsWholeCharactersInEveryEncoding) {
  TBitmap b(10, 10);
  UseFace(b.Canvas(), {-11, 0});
  TRecordingCanvas rec;
  for (const std::string& text : {kUtf8, kWin1252, kLooksUtf8, "A" + kMathA + "B", std::string("plain")}) {
    ExpectFitsByWholeCharacters(b.Canvas(), text, "qt " + text);
    ExpectFitsByWholeCharacters(&rec, text, "recording " + text);
  }
}

// Read from the right, a left-to-right text keeps its letters in order and its neutral end moves
// to its start: it shows as Qt draws its visual order.
TEST(CanvasText, ATextReadFromTheRightShowsInItsVisualOrder) {
  const struct {
    std::string text, shown;
  } cases[] = {
      {"abc!", "!abc"},
      {"ab cd.", ".ab cd"},
      {"abc", "abc"},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.text);
    TFontData font;
    const QImage ours = Drawn(kFaces[1], [&](TCanvas* c) {
      TRect r(3, 2, 200, 30);
      c->DrawText(k.text, r, DT_SINGLELINE | DT_NOPREFIX | DT_RTLREADING);
      font = c->Font()->Data();
    });
    const QImage qt = QtDrawn(TQtCanvasBackend::MakeFont(font), k.shown, ours.size());
    EXPECT_EQ(ours.convertToFormat(QImage::Format_RGB32), qt);
    if (k.text != k.shown) {
      EXPECT_NE(ours.convertToFormat(QImage::Format_RGB32), QtDrawn(TQtCanvasBackend::MakeFont(font), k.text, ours.size()));
    }
  }
}

TEST(CanvasText, TheEncodingSettingDecidesHowBytesAreRead) {
  TBitmap b(10, 10);
  TCanvas* c = b.Canvas();
  UseFace(c, {-11, 0});
  const std::string eAcute = "\xC3\xA9";
  const int asUtf8 = c->TextWidth(eAcute);
  c->SetTextEncoding(teWin1252);
  EXPECT_EQ(c->TextWidth(eAcute), c->TextWidth("\xC3") + c->TextWidth("\xA9")) << "read as two characters";
  EXPECT_NE(c->TextWidth(eAcute), asUtf8);
  EXPECT_EQ(c->TextFit(eAcute, c->TextWidth("\xC3")), 1u) << "a Windows-1252 text may be cut between those bytes";
  c->SetTextEncoding(teUtf8);
  EXPECT_EQ(c->TextWidth(eAcute), asUtf8);
  EXPECT_EQ(c->TextWidth("\xE9"), c->TextWidth("\xEF\xBF\xBD")) << "a byte that is no UTF-8 reads as U+FFFD";
  c->SetTextEncoding(teAuto);
  EXPECT_EQ(c->TextWidth("\xE9"), c->TextWidth("\xC3\xA9")) << "a text that is no UTF-8 is Windows-1252";

  TRecordingCanvas rec;
  EXPECT_EQ(rec.TextWidth(eAcute), 5) << "one character";
  rec.SetTextEncoding(teWin1252);
  EXPECT_EQ(rec.TextWidth(eAcute), 10);
  rec.TextOut(0, 0, eAcute);
  EXPECT_EQ(rec.OpsOf(okText).at(0).Encoding, teWin1252) << "the recording shows how the text was to be read";
}

// The canvas keeps nothing per text, and what it keeps per character is bounded.
TEST(CanvasText, GlyphTablesStayBounded) {
  TBitmap b(10, 10);
  TCanvas* c = b.Canvas();
  UseFace(c, {-11, 0});
  const int digits = c->TextWidth("0123456789");
  const size_t before = TQtCanvasBackend::CachedGlyphCount();
  for (int i = 0; i < 100000; ++i) c->TextWidth(std::to_string(i * 7919));
  EXPECT_LE(TQtCanvasBackend::CachedGlyphCount(), before + 10) << "distinct texts of known characters cost nothing";

  const std::string cyrillic = "\xD0\x96";  // measured before the tables fill up
  const int zhe = c->TextWidth(cyrillic);
  std::string s;
  for (char32_t ch = 0x100; ch < 0x100 + 40000; ++ch) {
    if (ch >= 0xD800 && ch <= 0xDFFF) continue;
    s.clear();
    if (ch < 0x800) {
      s += char(0xC0 | (ch >> 6));
    } else {
      s += char(0xE0 | (ch >> 12));
      s += char(0x80 | ((ch >> 6) & 0x3F));
    }
    s += char(0x80 | (ch & 0x3F));
    c->TextWidth(s);
    ASSERT_LE(TQtCanvasBackend::CachedGlyphCount(), size_t(70000)) << "at U+" << std::hex << unsigned(ch);
  }
  EXPECT_EQ(c->TextWidth(cyrillic), zhe) << "a table started afresh measures as before";
  EXPECT_EQ(c->TextWidth("0123456789"), digits);
}

// DrawText's end ellipsis on real pixels: the longest start of whole characters that fits
// with "...", drawn as TextOut would draw it.
TEST(CanvasText, EndEllipsisKeepsTheLongestStartOfWholeCharacters) {
  const TFace face{-11, 0};
  for (const std::string& text : {kUtf8, kWin1252, kLooksUtf8, std::string("Register 0x1F value")}) {
    for (int room : {0, 8, 20, 33, 47, 60, 200}) {
      std::string expected;
      const QImage cut = Drawn(face, [&](TCanvas* c) {
        TRect r(4, 3, 4 + room, 25);
        c->DrawText(text, r, DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        // What should have been drawn, found by measuring every start.
        c->SetTextEncoding(TextIsUtf8(text) ? teUtf8 : teWin1252);
        if (c->TextWidth(text) <= room) {
          expected = text;
        } else {
          std::string head;
          for (const std::string& ch : Characters(text)) {
            if (c->TextWidth(head + ch + "...") > room) break;
            head += ch;
          }
          expected = head + "...";
        }
      });
      const QImage want = Drawn(face, [&](TCanvas* c) {
        c->SetTextEncoding(TextIsUtf8(text) ? teUtf8 : teWin1252);
        if (c->TextWidth(expected) > room) {
          TRect clip(4, 3, 4 + room, 25);
          c->SetClipRect(clip);
        }
        c->TextOut(4, 3, expected);
      });
      EXPECT_EQ(cut, want) << text << " in " << room << ": " << expected;
    }
  }
}

TEST(DrawTextCharacters, EllipsisAndBreaksCutBetweenWholeCharacters) {
  TRecordingCanvas c;
  TRect r(0, 0, 30, 13);  // 6 characters
  c.DrawText("\xC3\x84\xC3\x96\xC3\x9C\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F", r, DT_SINGLELINE | DT_END_ELLIPSIS);
  ASSERT_EQ(c.Texts().size(), 1u);
  EXPECT_EQ(c.Texts()[0], "\xC3\x84\xC3\x96\xC3\x9C...") << "UTF-8: three whole characters and the dots";

  c.Clear();
  c.DrawText("\xC4\xD6\xDC\xE4\xF6\xFC\xDF", r, DT_SINGLELINE | DT_END_ELLIPSIS);
  EXPECT_EQ(c.Texts().at(0), "\xC4\xD6\xDC...") << "Windows-1252: one byte is one character";

  c.Clear();
  c.DrawText(kLooksUtf8 + "xyz", r, DT_SINGLELINE | DT_END_ELLIPSIS);
  EXPECT_EQ(c.Texts().at(0), "\xC3\xA9\xC3...") << "every start of a Windows-1252 text is read as the whole";
  EXPECT_EQ(c.OpsOf(okText).at(0).Encoding, teWin1252);
  EXPECT_EQ(c.TextEncoding(), teAuto) << "the canvas's own setting comes back";

  c.Clear();
  TRect p(0, 0, 75, 13);  // 15 characters
  c.DrawText("/d\xC3\xA4t\xC3\xA4/\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC/f\xC3\xAFle.mem", p,
             DT_SINGLELINE | DT_PATH_ELLIPSIS);
  EXPECT_EQ(c.Texts().at(0), "/d\xC3\xA4.../f\xC3\xAFle.mem") << "the file name stays, the folders are cut";

  c.Clear();
  TRect edit(0, 0, 20, 100);  // 4 characters
  c.DrawText("\xC3\x84\xC3\x96\xC3\x9C\xC3\xA4\xC3\xB6\xC3\xBC", edit, DT_WORDBREAK | DT_EDITCONTROL);
  const std::vector<std::string> lines = c.Texts();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "\xC3\x84\xC3\x96\xC3\x9C\xC3\xA4");
  EXPECT_EQ(lines[1], "\xC3\xB6\xC3\xBC");
}

}  // namespace

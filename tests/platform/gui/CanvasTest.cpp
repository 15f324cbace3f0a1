// The canvas keeps the Windows drawing conventions on real pixels, and the
// graphic classes load and save their formats.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include <QBuffer>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "platform/gui/Graphics.h"
#include "platform/gui/QtBridge.h"
#include "platform/gui/QtCanvas.h"
#include "platform/gui/RecordingCanvas.h"
#include "platform/rtl/Classes.h"
#include "tests/platform/rtl/TestSupport.h"

namespace {

TColor At(TBitmap& b, int x, int y) { return b.Canvas()->Pixels(x, y); }

TEST(Canvas, RectanglesAndLinesExcludeTheirRightAndBottomEnds) {
  TBitmap b(12, 12);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clWhite);
  c->FillRect(TRect(0, 0, 12, 12));
  c->Pen()->SetColor(clBlack);
  c->Brush()->SetColor(clRed);
  c->Rectangle(2, 2, 6, 6);
  EXPECT_EQ(At(b, 2, 2), clBlack);
  EXPECT_EQ(At(b, 5, 5), clBlack) << "the frame's last pixel is right/bottom - 1";
  EXPECT_EQ(At(b, 6, 6), clWhite);
  EXPECT_EQ(At(b, 6, 3), clWhite);
  EXPECT_EQ(At(b, 3, 3), clRed) << "inside is filled with the brush";

  c->Brush()->SetColor(clBlue);
  c->FillRect(TRect(8, 8, 10, 10));
  EXPECT_EQ(At(b, 9, 9), clBlue);
  EXPECT_EQ(At(b, 10, 10), clWhite);

  c->Pen()->SetColor(clLime);
  c->MoveTo(0, 11);
  c->LineTo(5, 11);
  EXPECT_EQ(At(b, 4, 11), clLime);
  EXPECT_EQ(At(b, 5, 11), clWhite) << "LineTo leaves its end point out";
  EXPECT_EQ(c->PenPos(), TPoint(5, 11));
}

// Every direction, thin and wide pens: each pixel from the start up to the one
// before the end point is drawn; a thin line leaves only the end point out.
TEST(Canvas, LineToDrawsEveryPixelUpToTheOneBeforeTheEndPoint) {
  struct Case { int x1, y1, x2, y2; };
  const Case cases[] = {{4, 10, 16, 10}, {16, 10, 4, 10}, {10, 4, 10, 16}, {10, 16, 10, 4},
                        {4, 4, 16, 16},  {16, 16, 4, 4},  {4, 16, 16, 4},  {16, 4, 4, 16}};
  for (int width : {1, 3}) {
    for (const Case& k : cases) {
      TBitmap b(21, 21);
      TCanvas* c = b.Canvas();
      c->Brush()->SetColor(clWhite);
      c->FillRect(TRect(0, 0, 21, 21));
      c->Pen()->SetColor(clBlack);
      c->Pen()->SetWidth(width);
      c->MoveTo(k.x1, k.y1);
      c->LineTo(k.x2, k.y2);
      int dx = (k.x2 > k.x1) - (k.x2 < k.x1), dy = (k.y2 > k.y1) - (k.y2 < k.y1);
      int n = std::max(std::abs(k.x2 - k.x1), std::abs(k.y2 - k.y1));
      for (int i = 0; i < n; ++i)
        EXPECT_EQ(At(b, k.x1 + i * dx, k.y1 + i * dy), clBlack)
            << "width " << width << " from " << k.x1 << "," << k.y1 << " to " << k.x2 << "," << k.y2
            << ": step " << i << " of " << n;
      if (width == 1) {
        EXPECT_EQ(At(b, k.x2, k.y2), clWhite) << "end point " << k.x2 << "," << k.y2;
        EXPECT_EQ(At(b, k.x1 - dx, k.y1 - dy), clWhite) << "before the start " << k.x1 << "," << k.y1;
      }
    }
  }
}

TEST(Canvas, TextIsPlacedByTheTopLeftOfItsBox) {
  TBitmap b(60, 40);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clWhite);
  c->FillRect(TRect(0, 0, 60, 40));
  c->Font()->SetColor(clBlack);
  c->Font()->SetHeight(-14);
  c->Brush()->SetStyle(bsClear);
  c->TextOut(5, 10, "W");
  int h = c->TextHeight("W");
  bool inside = false, above = false, below = false;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x)
      if (At(b, x, y) != clWhite) {
        if (y < 10) above = true;
        else if (y >= 10 + h) below = true;
        else inside = true;
      }
  EXPECT_TRUE(inside);
  EXPECT_FALSE(above) << "nothing is drawn above the given top";
  EXPECT_FALSE(below);
  EXPECT_EQ(c->PenPos(), TPoint(5 + c->TextWidth("W"), 10)) << "the pen ends after the text";
}

// The measuring caches follow every change of the font, and one font setting measures the
// same on every canvas.
TEST(Canvas, TextWidthFollowsFontChanges) {
  TBitmap a(10, 10), b(10, 10);
  TCanvas* c = a.Canvas();
  c->Font()->SetName("DejaVu Sans");
  c->Font()->SetHeight(-11);
  int small = c->TextWidth("WWWW");
  c->Font()->SetHeight(-22);
  int large = c->TextWidth("WWWW");
  EXPECT_GT(large, small + small / 2);
  c->Font()->SetStyle(fsBold);
  EXPECT_GT(c->TextWidth("WWWW"), large);
  EXPECT_GT(c->TextHeight("W"), 20);
  c->Font()->SetStyle(0);
  EXPECT_EQ(c->TextWidth("WWWW"), large);
  c->Font()->SetHeight(-11);
  EXPECT_EQ(c->TextWidth("WWWW"), small);
  c->Font()->SetName("DejaVu Sans Mono");
  EXPECT_EQ(c->TextWidth("iiii"), c->TextWidth("WWWW")) << "a fixed-pitch face";
  b.Canvas()->Font()->SetName("DejaVu Sans");
  b.Canvas()->Font()->SetHeight(-11);
  EXPECT_EQ(b.Canvas()->TextWidth("WWWW"), small);
  EXPECT_EQ(b.Canvas()->TextWidth(""), 0);
}

// Many texts and fonts: past their bounds the caches start again and still measure right.
TEST(Canvas, ManyTextsAndFontsStillMeasureRight) {
  TBitmap b(10, 10);
  TCanvas* c = b.Canvas();
  c->Font()->SetName("DejaVu Sans");
  c->Font()->SetHeight(-11);
  QFontMetrics fm(TQtCanvasBackend::MakeFont(c->Font()->Data()), &b.Image());
  const int wide = c->TextWidth("WWW");
  for (int i = 0; i < 20000; ++i) {
    std::string t = std::to_string(i * 7919);
    int sum = 0;  // no kerning: the characters' own advances add up
    for (char ch : t) sum += fm.horizontalAdvance(QChar(ch));
    ASSERT_EQ(c->TextWidth(t), sum) << t;
  }
  for (int h = 1; h <= 300; ++h) {
    c->Font()->SetHeight(-h);
    ASSERT_GE(c->TextHeight("W"), h / 2) << h;
  }
  c->Font()->SetHeight(-11);
  EXPECT_EQ(c->TextWidth("WWW"), wide);
}

TEST(Canvas, OpaqueTextFillsItsBoxWithTheBrush) {
  TBitmap b(40, 20);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clWhite);
  c->FillRect(TRect(0, 0, 40, 20));
  c->Brush()->SetColor(clYellow);
  c->TextOut(0, 0, "i");
  EXPECT_EQ(At(b, 0, 0), clYellow);
}

TEST(Canvas, ClipRectLimitsDrawingAndCanBeRemoved) {
  TBitmap b(10, 10);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clWhite);
  c->FillRect(TRect(0, 0, 10, 10));
  EXPECT_EQ(c->ClipRect(), TRect(0, 0, 10, 10));
  c->SetClipRect(TRect(0, 0, 5, 5));
  EXPECT_EQ(c->ClipRect(), TRect(0, 0, 5, 5));
  c->Brush()->SetColor(clRed);
  c->FillRect(TRect(0, 0, 10, 10));
  EXPECT_EQ(At(b, 4, 4), clRed);
  EXPECT_EQ(At(b, 5, 5), clWhite);
  c->RemoveClip();
  c->FillRect(TRect(0, 0, 10, 10));
  EXPECT_EQ(At(b, 9, 9), clRed);
}

TEST(Canvas, CopyModesAndTransparentDraw) {
  TBitmap src(4, 4);
  src.Canvas()->Brush()->SetColor(clLime);
  src.Canvas()->FillRect(TRect(0, 0, 4, 4));
  src.Canvas()->SetPixels(0, 0, clFuchsia);
  src.SetTransparent(true);
  src.SetTransparentColor(clFuchsia);

  TBitmap dst(4, 4);
  dst.Canvas()->Brush()->SetColor(clBlue);
  dst.Canvas()->FillRect(TRect(0, 0, 4, 4));
  dst.Canvas()->Draw(0, 0, &src);
  EXPECT_EQ(At(dst, 0, 0), clBlue) << "the transparent colour leaves the background";
  EXPECT_EQ(At(dst, 1, 1), clLime);

  TBitmap x(2, 2);
  x.Canvas()->Brush()->SetColor(clWhite);
  x.Canvas()->FillRect(TRect(0, 0, 2, 2));
  TBitmap black(2, 2);
  black.Canvas()->Brush()->SetColor(RGB(0xFF, 0, 0));
  black.Canvas()->FillRect(TRect(0, 0, 2, 2));
  x.Canvas()->SetCopyMode(cmSrcInvert);
  x.Canvas()->Draw(0, 0, &black);
  EXPECT_EQ(At(x, 0, 0), RGB(0, 0xFF, 0xFF)) << "XOR of white and red";
}

TEST(Canvas, ColoursAndFonts) {
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
  SetSysColor(15, RGB(1, 2, 3));
  EXPECT_EQ(ColorToRGB(clBtnFace), RGB(1, 2, 3));
  EXPECT_EQ(ColorToString(clBtnFace), "clBtnFace");
  EXPECT_EQ(StringToColor("$00123456"), 0x123456);
  EXPECT_THROW(StringToColor("nonsense"), EConvertError);

  TFont f;
  f.SetSize(8);
  EXPECT_EQ(f.Height(), -11);
  f.SetSize(12);
  EXPECT_EQ(f.Height(), -16);
  EXPECT_EQ(f.Size(), 12);
  int changes = 0;
  f.OnChange = [&](TObject*) { ++changes; };
  f.SetStyle(fsBold);
  f.SetStyle(fsBold);
  EXPECT_EQ(changes, 1) << "a setter notifies only on change";
}

TEST(Bitmap, StreamsHoldExactlyOneBmpEach) {
  TBitmap a(3, 2), b(5, 4);
  a.Canvas()->SetPixels(1, 1, clRed);
  b.Canvas()->SetPixels(4, 3, clBlue);
  TMemoryStream ms;
  a.SaveToStream(&ms);
  b.SaveToStream(&ms);
  ms.SetPosition(0);
  TBitmap ra, rb;
  ra.LoadFromStream(&ms);
  rb.LoadFromStream(&ms);
  EXPECT_EQ(ra.Width(), 3);
  EXPECT_EQ(rb.Height(), 4);
  EXPECT_EQ(ra.Canvas()->Pixels(1, 1), clRed);
  EXPECT_EQ(rb.Canvas()->Pixels(4, 3), clBlue);
}

TEST(Bitmap, RefusesDamagedStreamsAndKeepsItsPicture) {
  TBitmap keep(2, 2);
  TMemoryStream junk;
  junk.WriteString("not a bitmap at all");
  junk.SetPosition(0);
  EXPECT_THROW(keep.LoadFromStream(&junk), EInvalidGraphic);
  EXPECT_EQ(keep.Width(), 2);

  TBitmap full(8, 8);
  TMemoryStream ms;
  full.SaveToStream(&ms);
  std::string bytes = ms.Bytes().substr(0, ms.Bytes().size() - 10);
  TMemoryStream cut;
  cut.WriteString(bytes);
  cut.SetPosition(0);
  EXPECT_THROW(keep.LoadFromStream(&cut), EInvalidGraphic) << "a truncated bitmap is refused";
  EXPECT_EQ(keep.Width(), 2);
}

TEST(Bitmap, ResizingKeepsTheTopLeftAndNewPixelsAreWhite) {
  TBitmap b(2, 2);
  b.Canvas()->SetPixels(0, 0, clRed);
  b.SetSize(4, 4);
  EXPECT_EQ(b.Canvas()->Pixels(0, 0), clRed);
  EXPECT_EQ(b.Canvas()->Pixels(3, 3), clWhite);
  EXPECT_EQ(b.TransparentColor(), clWhite) << "automatic transparent colour is the bottom-left pixel";
}

TEST(Bitmap, SidesSetOneAtATimeMakeTheBitmap) {
  struct Case {
    bool widthFirst;
  } cases[] = {{true}, {false}};
  for (const Case& k : cases) {
    TBitmap b;
    if (k.widthFirst) {
      b.SetWidth(12);
      EXPECT_EQ(b.Width(), 12);
      b.SetHeight(9);
    } else {
      b.SetHeight(9);
      EXPECT_EQ(b.Height(), 9);
      b.SetWidth(12);
    }
    EXPECT_FALSE(b.Empty());
    EXPECT_EQ(b.Width(), 12);
    EXPECT_EQ(b.Height(), 9);
    b.Canvas()->SetPixels(11, 8, clRed);
    EXPECT_EQ(b.Canvas()->Pixels(11, 8), clRed);
  }
}

TEST(Picture, ChoosesTheGraphicClassByContent) {
  QImage img(3, 3, QImage::Format_ARGB32);
  img.fill(Qt::red);
  QByteArray png;
  QBuffer buf(&png);
  buf.open(QIODevice::WriteOnly);
  img.save(&buf, "PNG");
  const TTempDir scratch;
  std::string path = scratch.File("picture_test.bin");
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(png.constData(), 1, static_cast<size_t>(png.size()), f);
  std::fclose(f);
  TPicture p;
  p.LoadFromFile(path);
  ASSERT_NE(p.Graphic(), nullptr);
  EXPECT_EQ(p.Graphic()->ClassName(), "TPngImage");
  EXPECT_EQ(p.Width(), 3);

  TBitmap dst(3, 3);
  dst.Canvas()->Draw(0, 0, p.Graphic());
  EXPECT_EQ(dst.Canvas()->Pixels(1, 1), clRed);

  f = std::fopen(path.c_str(), "wb");
  std::fputs("garbage", f);
  std::fclose(f);
  EXPECT_THROW(p.LoadFromFile(path), EInvalidGraphic);
  EXPECT_EQ(p.Width(), 3) << "a failed load keeps the old picture";
}

TEST(RecordingCanvas, RecordsStateWithEachOperation) {
  TRecordingCanvas c;
  c.Font()->SetHeight(-20);
  c.Font()->SetColor(clRed);
  c.Font()->SetStyle(fsBold);
  c.Brush()->SetStyle(bsClear);
  c.TextOut(3, 4, "abc");
  EXPECT_EQ(c.TextWidth("abc"), 30);
  EXPECT_EQ(c.TextHeight("abc"), 25);
  auto t = c.OpsOf(okText);
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0].R, TRect(3, 4, 33, 29));
  EXPECT_EQ(t[0].Font.Color, clRed);
  EXPECT_TRUE(t[0].Font.Style & fsBold);
  EXPECT_FALSE(t[0].Opaque);
  EXPECT_EQ(c.PenPos(), TPoint(33, 4));
  EXPECT_NE(c.Dump().find("\"abc\""), std::string::npos);
}

TEST(RecordingCanvas, EdgesAndFrameControlsDrawInsideTheirRectangle) {
  TRecordingCanvas c;
  TRect r(10, 10, 30, 20);
  c.DrawEdge(r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  EXPECT_EQ(r, TRect(12, 12, 28, 18)) << "two borders of one pixel each";
  for (const auto& op : c.Ops()) {
    EXPECT_GE(op.R.Left, 10);
    EXPECT_LE(op.R.Right, 30);
  }
  c.Clear();
  c.DrawFrameControl(TRect(0, 0, 13, 13), DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
  for (const auto& op : c.Ops()) {
    EXPECT_GE(op.R.Left, 0);
    EXPECT_LE(op.R.Right, 13);
    EXPECT_LE(op.R.Bottom, 13);
  }
  EXPECT_GT(c.Ops().size(), 5u) << "box, edges and the check mark";
}

}  // namespace

namespace {

TEST(Canvas, BrushCopyReplacesTheTransparentColourWithTheBrush) {
  TBitmap glyph(3, 1);
  glyph.Canvas()->SetPixels(0, 0, clFuchsia);
  glyph.Canvas()->SetPixels(1, 0, clBlack);
  glyph.Canvas()->SetPixels(2, 0, clFuchsia);
  TBitmap dst(3, 1);
  dst.Canvas()->Brush()->SetColor(clYellow);
  dst.Canvas()->BrushCopy(TRect(0, 0, 3, 1), &glyph, TRect(0, 0, 3, 1), clFuchsia);
  EXPECT_EQ(dst.Canvas()->Pixels(0, 0), clYellow);
  EXPECT_EQ(dst.Canvas()->Pixels(1, 0), clBlack);
  EXPECT_EQ(dst.Canvas()->Pixels(2, 0), clYellow);
}

TEST(Canvas, FocusRectDrawnTwiceLeavesNoTrace) {
  TBitmap b(10, 10);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clSilver);
  c->FillRect(TRect(0, 0, 10, 10));
  c->DrawFocusRect(TRect(1, 1, 9, 9));
  bool changed = false;
  for (int x = 1; x < 9; ++x) changed = changed || c->Pixels(x, 1) != clSilver;
  EXPECT_TRUE(changed);
  c->DrawFocusRect(TRect(1, 1, 9, 9));
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(c->Pixels(x, y), clSilver) << x << "," << y;
}

TEST(Canvas, GradientRunsFromTheFirstColourToTheSecond) {
  TBitmap b(1, 11);
  b.Canvas()->GradientFill(TRect(0, 0, 1, 11), clBlack, clWhite, true);
  EXPECT_EQ(b.Canvas()->Pixels(0, 0), clBlack);
  EXPECT_EQ(b.Canvas()->Pixels(0, 10), clWhite);
  EXPECT_EQ(GetRValue(b.Canvas()->Pixels(0, 5)), 128);
}

TEST(Bitmap, ResourcesAreFoundByNameWithoutCase) {
  TBitmap src(2, 3);
  src.Canvas()->SetPixels(1, 2, clRed);
  TMemoryStream ms;
  src.SaveToStream(&ms);
  RegisterResource("INSTTESTGLYPH", ms.Bytes());
  TBitmap b;
  b.LoadFromResourceName(HInstance, "insttestglyph");
  EXPECT_EQ(b.Width(), 2);
  EXPECT_EQ(b.Canvas()->Pixels(1, 2), clRed);
  EXPECT_THROW(b.LoadFromResourceName(HInstance, "NOSUCHRESOURCE"), EResNotFound);
}

TEST(Bitmap, ASizeFieldLargerThanTheStreamIsRefusedBeforeReading) {
  std::string head = "BM";
  head += std::string("\xF0\xFF\xFF\x3F", 4);  // about 1 GB
  head += std::string(8, '\0');
  head += std::string(40, '\0');
  TMemoryStream ms;
  ms.WriteString(head);
  ms.SetPosition(0);
  TBitmap b(1, 1);
  EXPECT_THROW(b.LoadFromStream(&ms), EInvalidGraphic);
  EXPECT_EQ(b.Width(), 1);
}

}  // namespace

namespace {

TEST(Bitmap, FilesRoundTripAndAFailedSaveKeepsTheOldFile) {
  const TTempDir scratch;
  std::string path = scratch.File("velmaron_bitmap_file.bmp");
  TBitmap a(4, 3);
  a.Canvas()->SetPixels(3, 2, clNavy);
  a.SaveToFile(path);
  TBitmap b;
  b.LoadFromFile(path);
  EXPECT_EQ(b.Width(), 4);
  EXPECT_EQ(b.Canvas()->Pixels(3, 2), clNavy);
  EXPECT_THROW(a.SaveToFile("/nonexistent-dir/x.bmp"), Exception);
  EXPECT_THROW(b.LoadFromFile("/nonexistent-dir/x.bmp"), Exception);
  EXPECT_EQ(b.Width(), 4) << "a failed load keeps the picture";
}

}  // namespace

namespace {

std::string WriteImage(const TTempDir& dir, const char* format, const std::string& name) {
  QImage img(5, 4, QImage::Format_ARGB32);
  img.fill(QColor(0, 0, 255));
  QByteArray bytes;
  QBuffer buf(&bytes);
  buf.open(QIODevice::WriteOnly);
  img.save(&buf, format);
  std::string path = dir.File(name);
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), f);
  std::fclose(f);
  return path;
}

TEST(Picture, LoadsJpegIconAndBitmapFilesAsTheirOwnClasses) {
  const TTempDir scratch;
  TPicture p;
  p.LoadFromFile(WriteImage(scratch, "JPEG", "pic.jpg"));
  EXPECT_EQ(p.Graphic()->ClassName(), "TJPEGImage");
  EXPECT_EQ(p.Width(), 5);
  p.LoadFromFile(WriteImage(scratch, "ICO", "pic.ico"));
  EXPECT_EQ(p.Graphic()->ClassName(), "TIcon");
  EXPECT_EQ(p.Height(), 4);
  p.LoadFromFile(WriteImage(scratch, "BMP", "pic.bmp"));
  EXPECT_EQ(p.Graphic()->ClassName(), "TBitmap");
  TBitmap* b = p.Bitmap();
  EXPECT_EQ(b->Canvas()->Pixels(2, 2), clBlue);
  TPicture copy;
  copy.Assign(&p);
  EXPECT_EQ(copy.Width(), 5);
  EXPECT_NE(copy.Graphic(), p.Graphic()) << "assigning copies the graphic";
}

}  // namespace

// Pictures for markup: decoding, GIF frames, loading by address, the named
// container and the address cache, and pictures drawn by the renderer.
#include <gtest/gtest.h>

#include <algorithm>

#include <QBuffer>
#include <QImage>

#include "controls/markup/EsgHTMLE.h"
#include "controls/markup/InspectorMarkup.h"
#include "controls/markup/PictureContainer.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/RecordingCanvas.h"
#include "platform/gui/ShellIcons.h"

namespace {

std::string PngBytes(int w, int h, QColor colour) {
  QImage img(w, h, QImage::Format_ARGB32);
  img.fill(colour);
  QByteArray b;
  QBuffer buf(&b);
  buf.open(QIODevice::WriteOnly);
  img.save(&buf, "PNG");
  return std::string(b.constData(), size_t(b.size()));
}

// A 1x1 GIF with two frames: red (colour 0), then blue (colour 1) placed at 0,0.
std::string TwoFrameGif() {
  const unsigned char bytes[] = {
      'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0,  // screen 1x1, two-colour table
      0xFF, 0, 0, 0, 0, 0xFF,                                 // red, blue
      0x21, 0xF9, 4, 0, 10, 0, 0, 0,                          // frame 1
      0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0,
      0x21, 0xF9, 4, 0, 10, 0, 0, 0,                          // frame 2
      0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x4C, 0x01, 0,
      0x3B};
  return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

void Load(THTMLPicture& p, const std::string& bytes) {
  TStringStream s(bytes);
  p.LoadFromStream(&s);
}

TColor PixelOf(THTMLPicture& p) {
  TBitmap bmp(1, 1);
  bmp.Canvas()->Brush()->SetColor(clWhite);
  bmp.Canvas()->FillRect(TRect(0, 0, 1, 1));
  p.Draw(bmp.Canvas(), TRect(0, 0, 1, 1));
  return bmp.Canvas()->Pixels(0, 0);
}

}  // namespace

TEST(HTMLPicture, DecodesOtherDataWholeAndKeepsItsBytes) {
  THTMLPicture p;
  EXPECT_TRUE(p.Empty());
  EXPECT_EQ(p.Width(), 0);
  int changes = 0;
  p.OnChange = [&](TObject*) { ++changes; };
  const std::string png = PngBytes(7, 5, Qt::green);
  Load(p, png);
  EXPECT_FALSE(p.Empty());
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(p.FrameCount(), -1);
  EXPECT_EQ(p.Width(), 7);
  EXPECT_EQ(p.Height(), 5);
  EXPECT_EQ(p.FrameWidth(), 7);
  TStringStream out;
  p.SaveToStream(&out);
  EXPECT_EQ(out.DataString(), png);

  THTMLPicture q;
  q.Assign(&p);
  EXPECT_EQ(q.Width(), 7);
  q.Assign(nullptr);
  EXPECT_TRUE(q.Empty());
  EXPECT_EQ(q.Width(), 0);
  EXPECT_EQ(q.Data(), "");
  p.Assign(&q);  // an empty picture is copied as empty, raising nothing
  EXPECT_TRUE(p.Empty());
}

TEST(HTMLPicture, BadDataRaisesAndDrawsNothing) {
  const struct {
    const char* Bytes;
    const char* Message;
  } cases[] = {
      {"not an image at all", "Could not load image. Invalid format"},
      {"", "Empty image stream created"},  // an empty stream is no picture either
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.Message);
    THTMLPicture p;
    try {
      Load(p, k.Bytes);
      FAIL() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), k.Message);
    }
    TRecordingCanvas c;
    p.Draw(&c, TRect(0, 0, 10, 10));
    EXPECT_TRUE(c.Ops().empty());
  }
}

// A layout's stored bytes are read without the change event and written back as they came.
TEST(HTMLPicture, StoredBytesReadWithoutAnnouncing) {
  const std::string png = PngBytes(2, 3, Qt::green);
  THTMLPicture p;
  int changes = 0;
  p.OnChange = [&](TObject*) { ++changes; };
  TStringStream in(png);
  p.ReadData(&in);
  EXPECT_EQ(changes, 0);
  EXPECT_FALSE(p.Empty());
  EXPECT_EQ(p.Width(), 2);
  EXPECT_EQ(p.Height(), 3);
  TStringStream out;
  p.WriteData(&out);
  EXPECT_EQ(out.DataString(), png);
  Load(p, png);
  EXPECT_EQ(changes, 1);
}

// A new picture brings its own frames: the old frame number and count do not carry over.
TEST(HTMLPicture, LoadingANewPictureStartsAtItsFirstFrame) {
  THTMLPicture p;
  Load(p, TwoFrameGif());
  p.SetFrame(2);
  ASSERT_EQ(p.FrameCount(), 2);
  Load(p, PngBytes(1, 1, Qt::green));
  EXPECT_EQ(p.Frame(), 1);
  EXPECT_EQ(p.FrameCount(), -1);
  Load(p, TwoFrameGif());
  EXPECT_EQ(p.FrameCount(), 2);
  EXPECT_EQ(PixelOf(p), clRed);
}

TEST(HTMLPicture, GifFramesAreCountedAndSelected) {
  THTMLPicture p;
  Load(p, TwoFrameGif());
  EXPECT_EQ(p.FrameCount(), 2);
  EXPECT_EQ(p.Frame(), 1);
  EXPECT_EQ(p.FrameWidth(), 1);
  EXPECT_EQ(PixelOf(p), clRed);
  int frameChanges = 0;
  p.OnFrameChange = [&](TObject*) { ++frameChanges; };
  p.SetFrame(2);
  EXPECT_EQ(frameChanges, 1);
  EXPECT_EQ(PixelOf(p), clBlue);
  // Assigning starts again at the first frame.
  THTMLPicture q;
  q.Assign(&p);
  EXPECT_EQ(q.Frame(), 1);
  EXPECT_EQ(PixelOf(q), clRed);
}

TEST(HTMLPicture, LoadingByAddress) {
  RegisterResource("MARKUPTESTPIC", PngBytes(3, 3, Qt::red));
  THTMLPicture r;
  r.LoadFromURL("res://MARKUPTESTPIC");
  EXPECT_FALSE(r.Empty());
  EXPECT_EQ(r.Width(), 3);
  THTMLPicture none;
  none.LoadFromURL("RES://NOSUCHMARKUPRESOURCE");
  EXPECT_TRUE(none.Empty());

  const int threads = TDownLoadThread::Started();
  THTMLPicture web;
  web.LoadFromURL("http://example.invalid/a.png");
  EXPECT_TRUE(web.Empty());
  EXPECT_TRUE(web.Busy());
  EXPECT_EQ(TDownLoadThread::Started(), threads + 1);
  web.LoadFromURL("http://example.invalid/b.png");
  EXPECT_EQ(web.URL(), "http://example.invalid/a.png");  // ignored while busy
  EXPECT_EQ(TDownLoadThread::Started(), threads + 1);
  THTMLPicture direct;
  direct.SetAsynch(false);
  direct.LoadFromURL("http://example.invalid/c.png");
  EXPECT_EQ(direct.ID(), "http://example.invalid/c.png");  // only recorded
  EXPECT_FALSE(direct.Busy());
  EXPECT_EQ(TDownLoadThread::Started(), threads + 1);
}

TEST(PictureContainer, FindsNamesIgnoringCase) {
  TPictureContainer pc(nullptr);
  EXPECT_EQ(pc.Version(), "1.0.0.0");
  TPictureItem* item = pc.Items()->Add();
  item->SetName("logo");
  Load(*item->Picture(), PngBytes(2, 2, Qt::blue));
  EXPECT_EQ(pc.FindPicture("LOGO"), item->Picture());
  EXPECT_EQ(pc.FindPicture("Logo"), item->Picture());
  EXPECT_EQ(pc.FindPicture("other"), nullptr);

  TPictureItem* copy = pc.Items()->Add();
  copy->Assign(item);
  EXPECT_EQ(copy->Name(), "logo");
  EXPECT_EQ(copy->Picture()->Width(), 2);
  EXPECT_NE(copy->Picture(), item->Picture());
}

TEST(PictureCache, FindsAddressesExactly) {
  THTMLPictureCache cache;
  THTMLPicture* p = cache.AddPicture();
  p->SetAsynch(false);
  p->LoadFromURL("http://host/Pic.png");
  EXPECT_EQ(cache.FindPicture("http://host/Pic.png"), p);
  EXPECT_EQ(cache.FindPicture("http://host/pic.png"), nullptr);
}

namespace {

class MarkupPictures : public ::testing::Test {
 protected:
  TRecordingCanvas c{1000, 1000};
  TPictureContainer pc{nullptr};
  void SetUp() override {
    TPictureItem* a = pc.Items()->Add();
    a->SetName("pic");
    Load(*a->Picture(), PngBytes(8, 20, Qt::red));
    TPictureItem* b = pc.Items()->Add();
    b->SetName("alt");
    Load(*b->Picture(), PngBytes(4, 4, Qt::blue));
  }
  THTMLDrawParams Params(const std::string& text) {
    THTMLDrawParams p;
    p.Canvas = &c;
    p.Text = text;
    p.Rect = TRect(0, 0, 300, 200);
    p.PictureContainer = &pc;
    return p;
  }
};

}  // namespace

TEST_F(MarkupPictures, PictureTakesRoomAndRaisesTheLine) {
  THTMLDrawParams p = Params("a<img src=\"pic\">b");
  HTMLDrawEngine(GridMarkupDialect, p);
  EXPECT_EQ(p.XSize, 5 + 8 + 5);
  EXPECT_EQ(p.YSize, 20);
  auto images = c.OpsOf(okImage);
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0].R, TRect(6, 0, 14, 20));
  auto texts = c.OpsOf(okText);
  EXPECT_EQ(texts[1].R.Bottom, 20);  // text stands on the picture's bottom

  c.Clear();
  THTMLDrawParams top = Params("a<IMG SRC=\"pic\" ALIGN=\"TOP\">");
  HTMLDrawEngine(GridMarkupDialect, top);
  EXPECT_EQ(c.OpsOf(okText)[0].R.Top, 0);

  c.Clear();
  THTMLDrawParams sized = Params("<IMG SRC=\"pic\" WIDTH=\"30\" HEIGHT=\"10\">");
  HTMLDrawEngine(GridMarkupDialect, sized);
  EXPECT_EQ(sized.XSize, 30);
  EXPECT_EQ(c.OpsOf(okImage).at(0).R, TRect(1, 3, 31, 13));

  // A picture narrower than the line goes to the next one; one at least as wide stays.
  struct {
    int width;
    bool nextLine;
  } rows[] = {{290, true}, {299, false}, {400, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.width);
    c.Clear();
    THTMLDrawParams p = Params("a <IMG SRC=\"pic\" WIDTH=\"" + std::to_string(row.width) + "\" HEIGHT=\"10\">");
    p.WordWrap = true;
    HTMLDrawEngine(GridMarkupDialect, p);
    ASSERT_EQ(c.OpsOf(okImage).size(), 1u);
    EXPECT_EQ(c.OpsOf(okImage)[0].R.Left == 1, row.nextLine);
  }
}

TEST_F(MarkupPictures, PictureInsideAnAnchorIsHitAndShowsItsAlternative) {
  const std::string text = "<A HREF=\"go\"><IMG SRC=\"pic\" ALT=\"alt\"></A>";
  THTMLDrawParams p = Params(text);
  p.XPos = 3;
  p.YPos = 10;
  EXPECT_TRUE(HTMLDrawEngine(GridMarkupDialect, p));  // drawing calls report picture hits
  EXPECT_EQ(p.AnchorVal, "GO");
  auto images = c.OpsOf(okImage);
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0].Source, TRect(0, 0, 4, 4));  // the alternative, stretched over the room

  c.Clear();
  THTMLDrawParams away = Params(text);
  away.XPos = 50;
  away.YPos = 10;
  EXPECT_FALSE(HTMLDrawEngine(GridMarkupDialect, away));
  EXPECT_EQ(c.OpsOf(okImage).at(0).Source, TRect(0, 0, 8, 20));
}

TEST_F(MarkupPictures, UrlPicturesComeOnlyFromTheCache) {
  THTMLPictureCache cache;
  for (int i = 0; i < 3; ++i) {
    THTMLDrawParams p = Params("<IMG SRC=\"http://host/x.png\">");
    p.PictureCache = &cache;
    HTMLDrawEngine(GridMarkupDialect, p);
    EXPECT_EQ(p.XSize, 0);  // nothing is downloaded
  }
  EXPECT_EQ(cache.Count(), 1);  // one entry, found again on every draw
  EXPECT_TRUE(cache.Items(0)->Empty());
  THTMLDrawParams mixed = Params("<IMG SRC=\"http://Host/Mixed.PNG\">");
  mixed.PictureCache = &cache;
  HTMLDrawEngine(GridMarkupDialect, mixed);
  ASSERT_EQ(cache.Count(), 2);
  EXPECT_EQ(cache.Items(1)->URL(), "http://Host/Mixed.PNG");  // addresses keep their case
}

TEST_F(MarkupPictures, BodyBackgroundIsTiledInsideTheRectangle) {
  THTMLDrawParams p = Params("<BODY BACKGROUND=\"pic\">x");
  p.Rect = TRect(0, 0, 20, 30);
  HTMLDrawEngine(GridMarkupDialect, p);
  auto images = c.OpsOf(okImage);
  ASSERT_EQ(images.size(), 6u);  // three across, two down
  EXPECT_EQ(images[2].R.Left, 16);
  EXPECT_EQ(images[3].R.Top, 20);
  EXPECT_TRUE(images[0].Clipped);
  EXPECT_EQ(images[0].Clip, TRect(0, 0, 20, 30));
  EXPECT_FALSE(c.HasClip());  // the caller's clipping is given back

  // A 1 by 1 picture over 400 by 100 covers all of it, in few drawings.
  TPictureItem* dot = pc.Items()->Add();
  dot->SetName("dot");
  Load(*dot->Picture(), PngBytes(1, 1, Qt::green));
  c.Clear();
  THTMLDrawParams big = Params("<BODY BACKGROUND=\"dot\">x");
  big.Rect = TRect(0, 0, 400, 100);
  HTMLDrawEngine(GridMarkupDialect, big);
  images = c.OpsOf(okImage);
  EXPECT_LT(images.size(), 100u);
  for (const TPoint& pt : {TPoint(0, 0), TPoint(399, 0), TPoint(0, 99), TPoint(399, 99), TPoint(200, 60)})
    EXPECT_TRUE(std::any_of(images.begin(), images.end(), [&](const TCanvasOp& op) { return PtInRect(op.R, pt); }))
        << pt.X << "," << pt.Y;
}

// Shell icons tile a BODY background as any picture does; the inspector's BODY takes only files.
TEST_F(MarkupPictures, ShellIconsTileTheBodyBackground) {
  struct {
    const TMarkupDialect& Dialect;
    const char* Text;
    size_t Tiles;
    int Side, LastLeft;
  } cases[] = {
      {GridMarkupDialect, "<BODY BACKGROUND=\"SSYS:/\">", 6, 16, 32},  // three across, two down
      {StatusBarMarkupDialect, "<BODY BACKGROUND=\"LSYS:/\">", 2, 32, 32},
      {InspectorMarkupDialect, "<body background=\"ssys:/\">", 0, 0, 0},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.Text);
    c.Clear();
    THTMLDrawParams p = Params(k.Text);
    p.Rect = TRect(0, 0, 40, 20);
    HTMLDrawEngine(k.Dialect, p);
    const auto tiles = c.OpsOf(okImage);
    ASSERT_EQ(tiles.size(), k.Tiles);
    for (const TCanvasOp& op : tiles) {
      EXPECT_EQ(op.R.Width(), k.Side);
      EXPECT_EQ(op.Clip, TRect(0, 0, 40, 20));
    }
    if (!tiles.empty()) {
      EXPECT_EQ(tiles.back().R.Left, k.LastLeft);
    }
  }
}

// Over more than 20,000 tiles the picture is tiled through a block: every colour of the picture
// stays (also one that a key colour would use) and a half-clear pixel blends over what is below.
TEST_F(MarkupPictures, BackgroundOverManyTilesKeepsEveryColourAndBlendsClearPixels) {
  QImage two(2, 1, QImage::Format_ARGB32);
  two.setPixel(0, 0, qRgba(1, 2, 3, 255));
  two.setPixel(1, 0, qRgba(255, 0, 0, 128));
  QByteArray bytes;
  QBuffer buf(&bytes);
  buf.open(QIODevice::WriteOnly);
  two.save(&buf, "PNG");
  TPictureItem* item = pc.Items()->Add();
  item->SetName("two");
  Load(*item->Picture(), std::string(bytes.constData(), size_t(bytes.size())));
  for (const TRect area : {TRect(0, 0, 40, 60), TRect(0, 0, 400, 120)}) {  // 1,200 and 24,000 tiles
    SCOPED_TRACE(area.Right);
    TBitmap target(area.Right, area.Bottom);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect(area);
    THTMLDrawParams p = Params("<BODY BACKGROUND=\"two\">x");
    p.Canvas = target.Canvas();
    p.Rect = area;
    HTMLDrawEngine(GridMarkupDialect, p);
    for (const TPoint at : {TPoint(0, 40), TPoint(area.Right - 2, area.Bottom - 1), TPoint(20, 50)}) {
      EXPECT_EQ(target.Canvas()->Pixels(at.X, at.Y), RGB(1, 2, 3)) << at.X << "," << at.Y;
      const TColor half = target.Canvas()->Pixels(at.X + 1, at.Y);
      EXPECT_EQ(GetRValue(half), 255) << at.X + 1 << "," << at.Y;
      EXPECT_NEAR(GetGValue(half), 127, 1);
      EXPECT_NEAR(GetBValue(half), 127, 1);
    }
  }
}

TEST_F(MarkupPictures, ImageListAndShellIconPictures) {
  TImageList images(nullptr);
  images.SetWidth(10);
  images.SetHeight(12);
  TBitmap bmp(10, 12);
  images.Add(&bmp, nullptr);
  THTMLDrawParams p = Params("<IMG SRC=\"IDX:0\"><IMG SRC=\"idx:1\">");
  p.Images = &images;
  HTMLDrawEngine(GridMarkupDialect, p);
  EXPECT_EQ(p.XSize, 10);  // index 1 is past the list's end
  EXPECT_EQ(p.YSize, 13);
  EXPECT_EQ(c.OpsOf(okImage).size(), 1u);

  THTMLDrawParams printed = Params("<IMG SRC=\"IDX:0\">");
  printed.Images = &images;
  printed.Print = true;
  printed.ResFactor = 2.0;
  printed.CheckHeight = true;
  HTMLDrawEngine(GridMarkupDialect, printed);
  EXPECT_EQ(printed.XSize, 20);
  EXPECT_EQ(printed.YSize, 24);

  c.Clear();
  THTMLDrawParams icons = Params("<IMG SRC=\"SSYS:notes.txt\"><IMG SRC=\"LSYS:/\">");
  HTMLDrawEngine(GridMarkupDialect, icons);
  EXPECT_EQ(icons.XSize, 16 + 32);
  EXPECT_EQ(icons.YSize, 32);
  const auto drawn = c.OpsOf(okImage);
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_EQ(drawn[0].R.Width(), 16);
  EXPECT_EQ(drawn[1].R.Width(), 32);
  EXPECT_TRUE(c.OpsOf(okPolygon).empty());
}

// SSYS: and LSYS: draw the desktop's icon: of the file type for a name, of the stock icon list for
// a number; a number past the list keeps its room and draws nothing.
TEST(MarkupOnBitmap, SystemIconsAreTheDesktopsIcons) {
  auto drawn = [](const std::string& src, int size) {
    TBitmap bmp(40, 40);
    bmp.Canvas()->Brush()->SetColor(clWhite);
    bmp.Canvas()->FillRect(TRect(0, 0, 40, 40));
    THTMLDrawParams p;
    p.Canvas = bmp.Canvas();
    p.Text = "<IMG SRC=\"" + src + "\">";
    p.Rect = TRect(0, 0, 40, 40);
    HTMLDrawEngine(GridMarkupDialect, p);
    EXPECT_EQ(p.XSize, size) << src;
    return bmp.ToImage().copy(0, 0, 32, 32).convertToFormat(QImage::Format_RGB32);
  };
  auto expected = [](TIcon& icon) {
    TBitmap bmp(40, 40);
    bmp.Canvas()->Brush()->SetColor(clWhite);
    bmp.Canvas()->FillRect(TRect(0, 0, 40, 40));
    bmp.Canvas()->StretchDraw(TRect(1, 0, 1 + icon.Width(), icon.Height()), &icon);  // a picture starts 1 in
    return bmp.ToImage().copy(0, 0, 32, 32).convertToFormat(QImage::Format_RGB32);
  };
  const struct {
    std::string src;
    bool large;
    std::string file;  // the file's icon; empty: stock icon `index`
    int index;
  } cases[] = {
      {"SSYS:notes.txt", false, "notes.txt", 0}, {"LSYS:notes.txt", true, "notes.txt", 0},
      {"SSYS:/", false, "/", 0},                 {"SSYS:3", false, "", 3},
      {"LSYS:8", true, "", 8},                   {"SSYS:15", false, "", 15},
  };
  for (const auto& c : cases) {
    TIcon icon;
    const int size = c.large ? 32 : 16;
    ASSERT_TRUE(c.file.empty() ? LoadSystemListIcon(&icon, c.index, size) : LoadShellIcon(&icon, c.file, size));
    EXPECT_EQ(drawn(c.src, size), expected(icon)) << c.src;
  }
  EXPECT_NE(drawn("SSYS:3", 16), drawn("SSYS:8", 16)) << "a folder and a hard disk";
  EXPECT_NE(drawn("SSYS:3", 16), drawn("SSYS:notes.txt", 16));
  // The inspector's DrawSysIcon takes an all-digit name that is no file by its extension only.
  TIcon byName;
  ASSERT_TRUE(LoadShellIcon(&byName, "3", 16));
  TBitmap insp(40, 40);
  insp.Canvas()->Brush()->SetColor(clWhite);
  insp.Canvas()->FillRect(TRect(0, 0, 40, 40));
  ::DrawSysIcon("3", insp.Canvas(), Point(1, 0), false);
  EXPECT_EQ(insp.ToImage().copy(0, 0, 32, 32).convertToFormat(QImage::Format_RGB32), expected(byName));
  const QImage blank = drawn("SSYS:9999", 16);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) ASSERT_EQ(blank.pixel(x, y) & 0xFFFFFF, 0xFFFFFFu) << "nothing drawn";
}

TEST(MarkupOnBitmap, DrawsGlyphsInsideTheRectangleOnly) {
  TBitmap bmp(200, 60);
  TCanvas* canvas = bmp.Canvas();
  canvas->Brush()->SetColor(clWhite);
  canvas->FillRect(TRect(0, 0, 200, 60));
  canvas->Font()->SetColor(clBlack);
  THTMLDrawParams p;
  p.Canvas = canvas;
  p.Text = "<B>Ready</B> <FONT COLOR=\"clred\">LPT1</FONT><BR>second line<BR>third line";
  p.Rect = TRect(10, 10, 190, 40);
  HTMLDrawEngine(GridMarkupDialect, p);
  int inside = 0, outside = 0, red = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x) {
      const TColor px = canvas->Pixels(x, y);
      if (px == clWhite) continue;
      const bool in = x >= 10 && x < 190 && y >= 10 && y < 10 + p.YSize;
      (in ? inside : outside) += 1;
      if (GetRValue(px) > 0xA0 && GetGValue(px) < 0x60 && GetBValue(px) < 0x60) ++red;
    }
  EXPECT_GT(inside, 50);
  EXPECT_EQ(outside, 0);
  EXPECT_GT(red, 5);
  EXPECT_LT(p.YSize, 3 * 12);  // the third line passed the bottom and was dropped
}

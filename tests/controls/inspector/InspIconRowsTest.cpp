// The icon and button panel styles through the recording canvas: the hover frame and its
// colours, the row's picture, the small-icon placement and the button faces.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "controls/inspector/InspectorBar.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/RecordingCanvas.h"
#include "platform/gui/VisualStyles.h"
#include "platform/gui/testing/GuiTest.h"
#include "tests/controls/inspector/InspThemes.h"

namespace {

class InspIconRows : public TGuiTest {
 protected:
  void SetUp() override {
    NoStylesLibrary();
    bar = std::make_unique<TInspectorBar>(nullptr);
    bar->SetBounds(0, 0, 180, 300);
    bar->HelpPanel()->SetVisible(false);
  }
  void TearDown() override {
    bar.reset();
    SetVisualStylesLoader(nullptr);
    TGuiTest::TearDown();
  }
  // One panel of the style; rows start at y 20, under the caption.
  TInspectorPanel* Panel(TPanelStyle style, int rowHeight, int rows = 1) {
    TInspectorPanel* p = bar->Panels()->Add();
    p->SetStyle(style);
    p->SetItemHeight(rowHeight);
    p->SetColor(clGray);
    for (int i = 0; i < rows; ++i) p->Items()->Add()->SetCaption("row" + std::to_string(i));
    return p;
  }
  void MouseAt(int x, int y) { Mouse_SetCursorPos(bar->ClientToScreen(TPoint(x, y))); }
  void Paint() {
    canvas.Clear();
    bar->PaintOn(&canvas);
  }
  const TCanvasOp* Op(TCanvasOpKind kind, const TRect& r) {
    for (const TCanvasOp& op : canvas.Ops())
      if (op.Kind == kind && op.R == r) return &op;
    return nullptr;
  }
  // Points into the canvas's own list: a filtered copy would be gone when the caller reads it.
  const TCanvasOp* Text(const std::string& s) {
    for (const TCanvasOp& op : canvas.Ops())
      if (op.Kind == okText && op.Text == s) return &op;
    return nullptr;
  }
  std::vector<TCanvasOp> ImagesIn(int top, int bottom) {
    std::vector<TCanvasOp> v;
    for (const TCanvasOp& op : canvas.OpsOf(okImage))
      if (op.R.Top >= top && op.R.Bottom <= bottom) v.push_back(op);
    return v;
  }
  static std::unique_ptr<TBitmap> Square(int side, TColor c) {
    auto b = std::make_unique<TBitmap>(side, side);
    b->Canvas()->Brush()->SetColor(c);
    b->Canvas()->FillRect(TRect(0, 0, side, side));
    return b;
  }

  std::unique_ptr<TInspectorBar> bar;
  TRecordingCanvas canvas{180, 300};
};

// The hover frame of a large-icon row (32 pixel picture centred: frame 72..108 x 20..56) and of a
// small-icon row (left aligned: slot at 4, frame 2..22 x 22..38 around the row's middle 31).
TEST_F(InspIconRows, HoverFrameShowsInItsColoursOverThePicture) {
  const TColor border = clBlue, hover = clYellow, down = clRed;
  const struct {
    const char* name;
    TPanelStyle style;
    TColor hoverDown;   // HoverIconDownColor
    TColor hoverTo;     // HoverIconColorTo
    TColor downTo;      // HoverIconDownColorTo
    bool selected, buttonDown, inside;
    TColor fill;        // clNone: no frame; else the fill (the gradient's first band)
    bool gradient;
    bool autoIcon = false;  // AutoIcon on without a URL: the Bitmap is the row's picture
  } cases[] = {
      {"hovered", psLargeIcon, down, clNone, clNone, false, false, true, hover, false},
      {"hovered small", psSmallIcon, down, clNone, clNone, false, false, true, hover, false},
      {"mouse elsewhere", psLargeIcon, down, clNone, clNone, false, false, false, clNone, false},
      {"no down colour", psLargeIcon, clNone, clNone, clNone, false, false, true, clNone, false},
      {"button down, mouse elsewhere", psLargeIcon, down, clNone, clNone, false, true, false, down, false},
      {"hover gradient", psSmallIcon, down, clLime, clNone, false, false, true, hover, true},
      {"button down gradient", psLargeIcon, down, clLime, clNone, false, true, false, clTeal, true},
      {"button down, HoverIconDownColorTo only stored", psSmallIcon, down, clNone, clOlive, false, true, false, down, false},
      {"auto icon without URL, its bitmap", psLargeIcon, down, clNone, clNone, false, false, true, hover, false, true},
      {"hovered, down gradient unused", psLargeIcon, down, clNone, clOlive, false, false, true, hover, false},
      {"selected", psLargeIcon, down, clNone, clNone, true, false, true, clTeal, false},
      {"selected, button down", psSmallIcon, down, clNone, clNone, true, true, true, clPurple, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    bar->Panels()->Clear();
    const bool large = c.style == psLargeIcon;
    TInspectorPanel* p = Panel(c.style, large ? 56 : 22);
    p->SetAlignment(large ? taCenter : taLeftJustify);
    p->SetHoverIconBorderColor(border);
    p->SetHoverIconColor(hover);
    p->SetHoverIconDownColor(c.hoverDown);
    p->SetHoverIconColorTo(c.hoverTo);
    p->SetHoverIconDownColorTo(c.downTo);
    p->SetSelectColor(clTeal);
    p->SetSelectColorTo(c.selected ? clNone : clAqua);
    p->SetSelectDownColor(clPurple);
    TInspectorItem* it = p->Items()->Items(0);
    auto pic = Square(large ? 32 : 16, clGreen);
    it->SetBitmap(pic.get());
    it->SetAutoIcon(c.autoIcon);
    it->SetButtonDown(c.buttonDown);
    if (c.selected) p->SetItemIndex(0);
    const TRect F = large ? TRect(72, 20, 108, 57) : TRect(2, 22, 22, 39);
    MouseAt(c.inside ? (F.Left + F.Right) / 2 : 170, c.inside ? (F.Top + F.Bottom) / 2 : 290);
    Paint();
    const TCanvasOp* frame = Op(okRectangle, F);
    if (c.fill == clNone) {
      EXPECT_EQ(frame, nullptr);
      continue;
    }
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->Pen.Color, border);
    if (c.gradient) {
      EXPECT_EQ(frame->BrushStyle, bsClear);
      bool first = false;
      for (const TCanvasOp& op : canvas.OpsOf(okRectangle))
        first = first || (op.R.Top == F.Top + 1 && op.R.Left == F.Left + 1 && op.BrushColor == c.fill);
      EXPECT_TRUE(first) << "the gradient starts in its first colour inside the frame";
    } else {
      EXPECT_EQ(frame->BrushColor, c.fill);
    }
    EXPECT_EQ(bar->FramedItem(), it);
    // The picture is drawn over the frame.
    const auto pics = ImagesIn(F.Top, F.Bottom);
    ASSERT_EQ(pics.size(), 1u);
  }
  // The remembered row is forgotten when it goes.
  ASSERT_NE(bar->FramedItem(), nullptr);
  delete bar->FramedItem();
  EXPECT_EQ(bar->FramedItem(), nullptr);
}

TEST_F(InspIconRows, HoverFullWidthFramesTheWholeRowAlsoWithoutAPicture) {
  TInspectorPanel* p = Panel(psSmallIcon, 22);
  p->SetHoverIconColor(clYellow);
  p->SetHoverIconDownColor(clRed);
  p->SetHoverFullWidth(true);
  MouseAt(100, 30);
  Paint();
  const TCanvasOp* frame = Op(okRectangle, TRect(0, 22, 180, 39));
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->BrushColor, clYellow);
  EXPECT_EQ(frame->Pen.Color, clBlack) << "no border colour: black";
  p->SetHoverFullWidth(false);
  Paint();
  EXPECT_TRUE(canvas.OpsOf(okRectangle).empty()) << "nothing to frame";
  // An image of the bar's Images is no picture of the row's own.
  TImageList images(nullptr);
  TBitmap strip(16, 16);
  images.Add(&strip, nullptr);
  bar->SetImages(&images);
  p->Items()->Items(0)->SetImageIndex(0);
  MouseAt(12, 30);
  Paint();
  EXPECT_TRUE(canvas.OpsOf(okRectangle).empty());
  bar->SetImages(nullptr);
}

// A row shows its own Icon (AutoIcon off), else its Bitmap, else (AutoIcon off) its image of the
// bar's Images; a large-icon row without AutoIcon shows that image over its Icon or Bitmap too.
TEST_F(InspIconRows, TheRowsOwnPictureIsDrawn) {
  TImageList images(nullptr);
  images.SetWidth(20);
  images.SetHeight(20);
  TBitmap strip(20, 20);
  images.Add(&strip, nullptr);
  bar->SetImages(&images);
  const struct {
    const char* name;
    TPanelStyle style;
    int icon, bitmap, image;  // sides of the row's Icon and Bitmap (0: none), its ImageIndex
    bool autoIcon;
    TRect drawn;  // empty: nothing
    TRect over{};  // the image of Images drawn over it (large icons, no AutoIcon)
  } cases[] = {
      {"icon", psLargeIcon, 24, 40, 0, false, TRect(78, 22, 102, 46), TRect(78, 22, 98, 42)},
      {"bitmap", psLargeIcon, 0, 40, 0, false, TRect(70, 22, 110, 62), TRect(70, 22, 90, 42)},
      {"image", psLargeIcon, 0, 0, 0, false, TRect(80, 22, 100, 42)},
      {"auto icon without URL: its bitmap", psLargeIcon, 24, 40, 0, true, TRect(70, 22, 110, 62)},
      {"auto icon without URL or bitmap", psLargeIcon, 24, 0, 0, true, TRect()},
      {"small icon", psSmallIcon, 24, 0, -1, false, TRect(4, 23, 20, 39)},
      {"small bitmap", psSmallIcon, 0, 16, -1, false, TRect(4, 23, 20, 39)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    bar->Panels()->Clear();
    TInspectorPanel* p = Panel(c.style, c.style == psLargeIcon ? 70 : 22);
    p->SetAlignment(c.style == psLargeIcon ? taCenter : taLeftJustify);
    TInspectorItem* it = p->Items()->Items(0);
    if (c.icon) {
      TIcon icon;
      icon.Assign(Square(c.icon, clRed).get());
      it->SetIcon(&icon);
    } else {
      it->SetIcon(nullptr);
    }
    if (c.bitmap) it->SetBitmap(Square(c.bitmap, clGreen).get());
    it->SetImageIndex(c.image);
    it->SetAutoIcon(c.autoIcon);
    MouseAt(179, 299);
    Paint();
    const auto pics = ImagesIn(20, 300);  // below the caption's shading
    if (IsRectEmpty(c.drawn)) {
      EXPECT_TRUE(pics.empty());
    } else {
      ASSERT_EQ(pics.size(), IsRectEmpty(c.over) ? 1u : 2u);
      EXPECT_EQ(pics[0].R, c.drawn);
      if (!IsRectEmpty(c.over)) {
        EXPECT_EQ(pics[1].R, c.over);
      }
    }
    const TCanvasOp* caption = Text("row0");
    ASSERT_NE(caption, nullptr);
    if (c.style == psLargeIcon && !IsRectEmpty(c.drawn)) {
      EXPECT_GE(caption->R.Top, c.drawn.Bottom + 2);
    }
    // The caption editing's text rectangle holds for a row without an icon object too.
    EXPECT_GE(bar->IconTextRect(p, it).Width(), 0);
  }
  bar->SetImages(nullptr);
}

// Small icons: the row moves right by the panel's Indent; the picture stands before the caption
// or, with iaRight, after it; right alignment ends the pair at the row's right edge.
TEST_F(InspIconRows, SmallIconPlacementFollowsIndentAlignmentAndImageAlign) {
  const struct {
    TAlignment align;
    TImageAlign imageAlign;
    int indent;
  } cases[] = {
      {taLeftJustify, iaLeft, 0}, {taLeftJustify, iaLeft, 10}, {taLeftJustify, iaRight, 0},
      {taRightJustify, iaLeft, 0}, {taCenter, iaLeft, 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.align) + " " + std::to_string(c.imageAlign) + " " + std::to_string(c.indent));
    bar->Panels()->Clear();
    TInspectorPanel* p = Panel(psSmallIcon, 22);
    p->SetAlignment(c.align);
    p->SetImageAlign(c.imageAlign);
    p->SetIndent(c.indent);
    p->Items()->Items(0)->SetBitmap(Square(16, clGreen).get());
    MouseAt(179, 299);
    Paint();
    const auto pics = ImagesIn(20, 300);
    ASSERT_EQ(pics.size(), 1u);
    const TCanvasOp* caption = Text("row0");
    ASSERT_NE(caption, nullptr);
    const int cw = caption->R.Width();
    const int L = c.indent, Right = 180;
    const int start = c.align == taLeftJustify    ? L + 4
                      : c.align == taRightJustify ? Right - 16 - cw - 4
                                                  : L + (Right - L - cw) / 2 - 6;
    if (c.imageAlign == iaLeft) {
      EXPECT_EQ(pics[0].R.Left, start);
      EXPECT_EQ(caption->R.Left, start + 20);
    } else {
      EXPECT_EQ(caption->R.Left, start);
      EXPECT_EQ(pics[0].R.Left, start + cw + 4);
    }
    EXPECT_EQ(pics[0].R.Top, 31 - 8) << "centred on the row's middle";
  }
}

TEST_F(InspIconRows, HoverCaptionUnderlinesTheCaptionWhileTheMouseIsOverTheRow) {
  const struct {
    TPanelStyle style;
    bool hoverCaption, over, underlined;
  } cases[] = {
      {psLargeIcon, true, true, true},   {psLargeIcon, true, false, false}, {psLargeIcon, false, true, false},
      {psSmallIcon, true, true, true},   {psSmallIcon, true, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.style) + (c.hoverCaption ? " hover caption" : "") + (c.over ? " over" : ""));
    bar->Panels()->Clear();
    TInspectorPanel* p = Panel(c.style, 40);
    p->SetHoverCaption(c.hoverCaption);
    MouseAt(c.over ? 90 : 179, c.over ? 40 : 299);
    Paint();
    const TCanvasOp* caption = Text("row0");
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ((caption->Font.Style & fsUnderline) != 0, c.underlined);
  }
}

// A button row (20..52, its face 1..179 x 21..51) shows a face while hovered or down: a gradient
// when both colours of the state are set, else one colour in a raised or sunken frame.
TEST_F(InspIconRows, ButtonFacesTakeTheirStatesColours) {
  const TRect face(1, 21, 179, 51);
  const struct {
    const char* name;
    bool over, buttonDown;
    TColor hover, hoverTo, selDown, selDownTo;
    TColor fill;   // clNone: no face
    bool gradient, sunken;
  } cases[] = {
      {"at rest", false, false, clYellow, clNone, clRed, clNone, clNone, false, false},
      {"hovered", true, false, clYellow, clNone, clRed, clNone, clYellow, false, false},
      {"hovered, no hover colour", true, false, clNone, clNone, clRed, clNone, clGray, false, false},
      {"hovered gradient", true, false, clYellow, clLime, clRed, clNone, clYellow, true, false},
      {"down", false, true, clYellow, clNone, clRed, clNone, clRed, false, true},
      {"down gradient", false, true, clYellow, clNone, clRed, clFuchsia, clRed, true, true},
      {"down without colour", false, true, clYellow, clNone, clNone, clNone, clGray, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    bar->Panels()->Clear();
    TInspectorPanel* p = Panel(psButtons, 32);
    p->SetHoverIconColor(c.hover);
    p->SetHoverIconColorTo(c.hoverTo);
    p->SetSelectDownColor(c.selDown);
    p->SetSelectDownColorTo(c.selDownTo);
    p->SetSelectFontColor(clWhite);
    p->SetAlignment(taLeftJustify);
    p->Font()->SetColor(clBlack);
    TInspectorItem* it = p->Items()->Items(0);
    it->SetButtonDown(c.buttonDown);
    MouseAt(c.over ? 90 : 179, c.over ? 36 : 299);
    Paint();
    const TCanvasOp* caption = Text("row0");
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->Font.Color, c.buttonDown ? clWhite : clBlack);
    EXPECT_EQ(caption->R.Left, face.Left + 2) << "the content moves 2 pixels in";
    if (c.fill == clNone) {
      EXPECT_EQ(Op(okFillRect, face), nullptr);
      continue;
    }
    if (c.gradient) {
      bool first = false;
      for (const TCanvasOp& op : canvas.OpsOf(okRectangle))
        first = first || (op.R.Top == face.Top && op.R.Left == face.Left && op.BrushColor == c.fill);
      EXPECT_TRUE(first);
      EXPECT_EQ(Op(okFillRect, face), nullptr) << "a gradient face has no frame";
      continue;
    }
    const TCanvasOp* fill = Op(okFillRect, face);
    ASSERT_NE(fill, nullptr);
    EXPECT_EQ(fill->BrushColor, c.fill);
    const TCanvasOp* left = Op(okLine, TRect(face.Left, face.Bottom - 1, face.Left, face.Top));
    ASSERT_NE(left, nullptr);
    EXPECT_EQ(left->Pen.Color, c.sunken ? clGray : clWhite);
  }
  // Held without SelectDownColor: the panel's colour too (ButtonDownColor is only stored).
  TInspectorPanel* p = bar->Panels()->Items(0);
  p->SetButtonDownColor(clRed);
  bar->Perform(WM_LBUTTONDOWN, MK_LBUTTON, (200 << 16) | 90);
  ASSERT_TRUE(bar->MouseIsDown());
  Paint();
  const TCanvasOp* fill = Op(okFillRect, face);
  ASSERT_NE(fill, nullptr);
  EXPECT_EQ(fill->BrushColor, clGray);
  // The mouse held anywhere on the bar gives a down row the held colours: the gradient turns.
  p->SetSelectDownColor(clRed);
  p->SetSelectDownColorTo(clFuchsia);
  Paint();
  const auto bands = canvas.OpsOf(okRectangle);
  EXPECT_TRUE(std::any_of(bands.begin(), bands.end(), [&](const TCanvasOp& op) {
    return op.R.Top == face.Top && op.R.Left == face.Left && op.BrushColor == clFuchsia; }));
}

// Markup captions of every icon and button row shadow their text 2 pixels right and down.
TEST_F(InspIconRows, MarkupCaptionsOfEveryStyleCastTheRowShadow) {
  for (const TPanelStyle style : {psLargeIcon, psSmallIcon, psButtons}) {
    SCOPED_TRACE(std::to_string(style));
    bar->Panels()->Clear();
    Panel(style, 40)->Items()->Items(0)->SetCaption("<SHAD>Shade</SHAD>");
    MouseAt(179, 299);
    Paint();
    std::vector<TCanvasOp> shade;
    for (const TCanvasOp& op : canvas.OpsOf(okText))
      if (op.Text == "Shade") shade.push_back(op);
    ASSERT_EQ(shade.size(), 2u);
    EXPECT_EQ(shade[0].R.Left, shade[1].R.Left + 2);  // the shadow is drawn first
    EXPECT_EQ(shade[0].R.Top, shade[1].R.Top + 2);
  }
}

// An icon file's image AutoIconIndex; past its images nothing.
std::string TwoImageIcon() {
  auto u16 = [](std::string& s, int v) {
    s += char(v & 0xFF);
    s += char((v >> 8) & 0xFF);
  };
  auto u32 = [&](std::string& s, uint32_t v) {
    u16(s, v & 0xFFFF);
    u16(s, v >> 16);
  };
  const int side = 16, pixels = side * side * 4, mask = side * 4, size = 40 + pixels + mask;
  std::string s;
  u16(s, 0);
  u16(s, 1);
  u16(s, 2);
  for (int i = 0; i < 2; ++i) {
    s += char(side);
    s += char(side);
    s += '\0';
    s += '\0';
    u16(s, 1);
    u16(s, 32);
    u32(s, size);
    u32(s, 6 + 2 * 16 + i * size);
  }
  for (const uint32_t argb : {0xFF0000FFu /* blue */, 0xFF00FF00u /* green */}) {
    u32(s, 40);
    u32(s, side);
    u32(s, side * 2);
    u16(s, 1);
    u16(s, 32);
    for (int k = 0; k < 6; ++k) u32(s, k == 1 ? pixels + mask : 0);
    for (int p = 0; p < side * side; ++p) u32(s, argb);
    s.append(mask, '\0');
  }
  return s;
}

TEST_F(InspIconRows, AutoIconsOfIconFilesTakeTheImageOfAutoIconIndex) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("velmaron-autoicon-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string ico = (dir / "two.ico").string(), exe = (dir / "tool.exe").string();
  std::ofstream(ico, std::ios::binary) << TwoImageIcon();
  std::ofstream(exe) << "MZ";
  const struct {
    std::string url;
    int index;
    bool drawn;
    TColor centre;  // clNone: not checked
  } cases[] = {
      {ico, 0, true, clBlue}, {ico, 1, true, clLime}, {ico, 2, false, clNone},
      {exe, 0, true, clNone},  // a program file shows the desktop's icon of its type
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url + " " + std::to_string(c.index));
    TInspectorItem item(nullptr);
    item.SetAutoIcon(true);
    item.SetURL(c.url);
    item.SetAutoIconIndex(c.index);
    TIcon* icon = item.ShellIcon(16);
    ASSERT_EQ(icon != nullptr, c.drawn);
    if (!icon || c.centre == clNone) continue;
    const QImage img = icon->ToImage();
    ASSERT_EQ(img.width(), 16);
    const QRgb px = img.pixel(8, 8);
    EXPECT_EQ(RGB(qRed(px), qGreen(px), qBlue(px)), c.centre);
  }
  fs::remove_all(dir);
}

}  // namespace

namespace {

// A markup caption is placed by the width it draws, not by the width of its tags: right aligned,
// picture and caption end at the row's right edge.
TEST_F(InspIconRows, SmallIconMarkupCaptionsArePlacedByTheirDrawnWidth) {
  for (const std::string caption : {"plain words", "<b>bold</b> words"}) {
    SCOPED_TRACE(caption);
    bar->Panels()->Clear();
    TInspectorPanel* p = Panel(psSmallIcon, 22);
    p->SetAlignment(taRightJustify);
    p->Items()->Items(0)->SetCaption(caption);
    p->Items()->Items(0)->SetBitmap(Square(16, clGreen).get());
    MouseAt(179, 299);
    Paint();
    const auto pics = ImagesIn(20, 300);
    ASSERT_EQ(pics.size(), 1u);
    int right = 0, left = 180;
    std::set<int> tops;
    for (const TCanvasOp& op : canvas.OpsOf(okText))
      if (op.R.Top >= 20) {
        right = std::max(right, op.R.Right);
        left = std::min(left, op.R.Left);
        tops.insert(op.R.Top);
      }
    EXPECT_EQ(tops.size(), 1u) << "wrapped words, yet one line: it has the room it measured";
    EXPECT_GE(right, 180 - 8) << "the caption ends near the row's right edge";
    EXPECT_LE(right, 180);
    EXPECT_GE(left, pics[0].R.Right + 4) << "the caption stands after the picture";
    EXPECT_LE(left, pics[0].R.Right + 6);
  }
}

// A button row's markup caption wraps its words.
TEST_F(InspIconRows, ButtonMarkupCaptionsWrap) {
  Panel(psButtons, 60)->Items()->Items(0)->SetCaption("<b>one two three four five six seven eight nine ten</b>");
  Paint();
  std::set<int> tops;
  for (const TCanvasOp& op : canvas.OpsOf(okText))
    if (op.R.Top >= 20) tops.insert(op.R.Top);
  EXPECT_GT(tops.size(), 1u);
}

}  // namespace

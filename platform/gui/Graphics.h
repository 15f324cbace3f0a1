#pragma once
// Colours, fonts, pens, brushes, the canvas and the graphic classes.
// Drawing follows the Windows conventions the system's code assumes:
// rectangles and lines exclude their right/bottom end, text is placed by the
// top-left of its box, TColor is 0x00BBGGRR. The canvas draws through a
// pluggable backend: QPainter for screens and bitmaps, a recording backend
// with fixed metrics for tests.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Types.h"

class QImage;
class QPainter;

// ---------------------------------------------------------------- colours
using TColor = int32_t;

constexpr TColor TColorOf(uint32_t v) { return static_cast<TColor>(v); }
constexpr uint32_t clSystemColor = 0xFF000000u;

constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF,
                 clLtGray = 0xC0C0C0, clDkGray = 0x808080, clMoneyGreen = 0xC0DCC0,
                 clSkyBlue = 0xF0CAA6, clCream = 0xF0FBFF, clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF, clDefault = 0x20000000;

// System colours: the flag plus the colour index.
constexpr TColor clScrollBar = TColorOf(clSystemColor | 0), clBackground = TColorOf(clSystemColor | 1),
                 clActiveCaption = TColorOf(clSystemColor | 2), clInactiveCaption = TColorOf(clSystemColor | 3),
                 clMenu = TColorOf(clSystemColor | 4), clWindow = TColorOf(clSystemColor | 5),
                 clWindowFrame = TColorOf(clSystemColor | 6), clMenuText = TColorOf(clSystemColor | 7),
                 clWindowText = TColorOf(clSystemColor | 8), clCaptionText = TColorOf(clSystemColor | 9),
                 clActiveBorder = TColorOf(clSystemColor | 10), clInactiveBorder = TColorOf(clSystemColor | 11),
                 clAppWorkSpace = TColorOf(clSystemColor | 12), clHighlight = TColorOf(clSystemColor | 13),
                 clHighlightText = TColorOf(clSystemColor | 14), clBtnFace = TColorOf(clSystemColor | 15),
                 clBtnShadow = TColorOf(clSystemColor | 16), clGrayText = TColorOf(clSystemColor | 17),
                 clBtnText = TColorOf(clSystemColor | 18), clInactiveCaptionText = TColorOf(clSystemColor | 19),
                 clBtnHighlight = TColorOf(clSystemColor | 20), cl3DDkShadow = TColorOf(clSystemColor | 21),
                 cl3DLight = TColorOf(clSystemColor | 22), clInfoText = TColorOf(clSystemColor | 23),
                 clInfoBk = TColorOf(clSystemColor | 24), clHotLight = TColorOf(clSystemColor | 26),
                 clGradientActiveCaption = TColorOf(clSystemColor | 27),
                 clGradientInactiveCaption = TColorOf(clSystemColor | 28),
                 clMenuHighlight = TColorOf(clSystemColor | 29), clMenuBar = TColorOf(clSystemColor | 30);

// RGB value of a colour: system colours resolved, any other value returned as it is.
int32_t ColorToRGB(TColor Color);
inline constexpr TColor RGB(int r, int g, int b) { return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16); }
inline constexpr int GetRValue(int32_t c) { return c & 0xFF; }
inline constexpr int GetGValue(int32_t c) { return (c >> 8) & 0xFF; }
inline constexpr int GetBValue(int32_t c) { return (c >> 16) & 0xFF; }
// Overrides the RGB of one system colour (index 0..30); tests pin colours with it.
void SetSysColor(int Index, int32_t Rgb);
// "clRed" <-> clRed; unknown names give false; any value gives "$00BBGGRR" when unnamed.
bool IdentToColor(const std::string& Ident, TColor& Color);
std::string ColorToString(TColor Color);
TColor StringToColor(const std::string& S);  // raises EConvertError on a bad text

// ---------------------------------------------------------------- fonts, pens, brushes
enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = uint8_t;
constexpr TFontCharset DEFAULT_CHARSET = 1, ANSI_CHARSET = 0, SYMBOL_CHARSET = 2;

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
                pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor };
enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBitmap;
class TCanvas;

// Plain state of a font/pen/brush, as the backends see it.
struct TFontData {
  std::string Name = "MS Sans Serif";
  int Height = -11;  // negative: character height in pixels; positive: cell height
  TFontStyles Style = 0;
  TColor Color = clWindowText;
  int Orientation = 0;  // tenths of a degree, counter-clockwise
  TFontPitch Pitch = fpDefault;
  TFontCharset Charset = DEFAULT_CHARSET;
  bool operator==(const TFontData&) const = default;
};
struct TPenData {
  TColor Color = clBlack;
  int Width = 1;
  TPenStyle Style = psSolid;
  TPenMode Mode = pmCopy;
  bool operator==(const TPenData&) const = default;
};
struct TBrushData {
  TColor Color = clWhite;
  TBrushStyle Style = bsSolid;
  std::shared_ptr<QImage> Pattern;  // 8x8 pattern bitmap, when set
  bool operator==(const TBrushData&) const = default;
};

class TGraphicsObject : public TPersistent {
 public:
  TNotifyEvent OnChange;
  std::string ClassName() const override { return "TGraphicsObject"; }
  // Rises on every change; canvases compare it to know what to send to their backend.
  uint32_t Version() const { return version_; }

 protected:
  virtual void Changed();
  // Stores a property value and announces it, only when it differs.
  template <class T>
  void Store(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Changed();
  }
  uint32_t version_ = 1;
};

class TFont : public TGraphicsObject {
 public:
  TFont();
  std::string ClassName() const override { return "TFont"; }
  void Assign(TPersistent* Source) override;

  const std::string& Name() const { return d_.Name; }
  void SetName(const std::string& v);
  int Height() const { return d_.Height; }
  void SetHeight(int v);
  int Size() const;  // points
  void SetSize(int v);
  TFontStyles Style() const { return d_.Style; }
  void SetStyle(TFontStyles v);
  TColor Color() const { return d_.Color; }
  void SetColor(TColor v);
  int Orientation() const { return d_.Orientation; }
  void SetOrientation(int v);
  TFontPitch Pitch() const { return d_.Pitch; }
  void SetPitch(TFontPitch v);
  TFontCharset Charset() const { return d_.Charset; }
  void SetCharset(TFontCharset v);
  int PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int v) { pixelsPerInch_ = v; }

  const TFontData& Data() const { return d_; }
  void SetData(const TFontData& d);

 private:
  TFontData d_;
  int pixelsPerInch_ = 96;
};

class TPen : public TGraphicsObject {
 public:
  std::string ClassName() const override { return "TPen"; }
  void Assign(TPersistent* Source) override;
  TColor Color() const { return d_.Color; }
  void SetColor(TColor v);
  int Width() const { return d_.Width; }
  void SetWidth(int v);
  TPenStyle Style() const { return d_.Style; }
  void SetStyle(TPenStyle v);
  TPenMode Mode() const { return d_.Mode; }
  void SetMode(TPenMode v);
  const TPenData& Data() const { return d_; }

 private:
  TPenData d_;
};

class TBrush : public TGraphicsObject {
 public:
  TBrush();
  ~TBrush() override;
  std::string ClassName() const override { return "TBrush"; }
  void Assign(TPersistent* Source) override;
  TColor Color() const { return d_.Color; }
  void SetColor(TColor v);  // a colour also turns bsClear into bsSolid, as the library does
  TBrushStyle Style() const { return d_.Style; }
  void SetStyle(TBrushStyle v);
  // 8x8 pattern; the brush keeps its own copy. nullptr removes it.
  TBitmap* Bitmap() const { return bitmap_; }
  void SetBitmap(TBitmap* v);
  const TBrushData& Data() const { return d_; }

 private:
  TBrushData d_;
  TBitmap* bitmap_ = nullptr;
};

// ---------------------------------------------------------------- canvas
enum TCopyMode : uint32_t {
  cmBlackness = 0x00000042, cmDstInvert = 0x00550009, cmMergeCopy = 0x00C000CA,
  cmMergePaint = 0x00BB0226, cmNotSrcCopy = 0x00330008, cmNotSrcErase = 0x001100A6,
  cmPatCopy = 0x00F00021, cmPatInvert = 0x005A0049, cmPatPaint = 0x00FB0A09,
  cmSrcAnd = 0x008800C6, cmSrcCopy = 0x00CC0020, cmSrcErase = 0x00440328,
  cmSrcInvert = 0x00660046, cmSrcPaint = 0x00EE0086, cmWhiteness = 0x00FF0062
};
using TCopyModeValue = uint32_t;

enum TCanvasStates : unsigned { csHandleValid = 1, csFontValid = 2, csPenValid = 4, csBrushValid = 8 };

// DrawText flags.
constexpr unsigned DT_TOP = 0, DT_LEFT = 0, DT_CENTER = 1, DT_RIGHT = 2, DT_VCENTER = 4, DT_BOTTOM = 8,
                   DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40, DT_TABSTOP = 0x80,
                   DT_NOCLIP = 0x100, DT_EXTERNALLEADING = 0x200, DT_CALCRECT = 0x400,
                   DT_NOPREFIX = 0x800, DT_INTERNAL = 0x1000, DT_EDITCONTROL = 0x2000,
                   DT_PATH_ELLIPSIS = 0x4000, DT_END_ELLIPSIS = 0x8000, DT_MODIFYSTRING = 0x10000,
                   DT_RTLREADING = 0x20000, DT_WORD_ELLIPSIS = 0x40000, DT_HIDEPREFIX = 0x100000,
                   DT_PREFIXONLY = 0x200000;
// DrawEdge.
constexpr unsigned BDR_RAISEDOUTER = 1, BDR_SUNKENOUTER = 2, BDR_RAISEDINNER = 4, BDR_SUNKENINNER = 8,
                   BDR_OUTER = 3, BDR_INNER = 12, EDGE_RAISED = 5, EDGE_SUNKEN = 10, EDGE_ETCHED = 6,
                   EDGE_BUMP = 9;
constexpr unsigned BF_LEFT = 1, BF_TOP = 2, BF_RIGHT = 4, BF_BOTTOM = 8, BF_TOPLEFT = 3,
                   BF_BOTTOMRIGHT = 12, BF_RECT = 15, BF_MIDDLE = 0x800, BF_SOFT = 0x1000,
                   BF_ADJUST = 0x2000, BF_FLAT = 0x4000, BF_MONO = 0x8000;
// DrawFrameControl.
constexpr unsigned DFC_CAPTION = 1, DFC_MENU = 2, DFC_SCROLL = 3, DFC_BUTTON = 4;
constexpr unsigned DFCS_BUTTONCHECK = 0, DFCS_BUTTONRADIOIMAGE = 1, DFCS_BUTTONRADIOMASK = 2,
                   DFCS_BUTTONRADIO = 4, DFCS_BUTTON3STATE = 8, DFCS_BUTTONPUSH = 0x10;
constexpr unsigned DFCS_SCROLLUP = 0, DFCS_SCROLLDOWN = 1, DFCS_SCROLLLEFT = 2, DFCS_SCROLLRIGHT = 3,
                   DFCS_SCROLLCOMBOBOX = 5, DFCS_SCROLLSIZEGRIP = 8;
constexpr unsigned DFCS_ADJUSTRECT = 0x2000, DFCS_INACTIVE = 0x100, DFCS_PUSHED = 0x200,
                   DFCS_CHECKED = 0x400, DFCS_TRANSPARENT = 0x800, DFCS_HOT = 0x1000,
                   DFCS_FLAT = 0x4000, DFCS_MONO = 0x8000;

// How the bytes of a text stand for characters. teAuto: the text decides for itself, as
// UTF-8 when it is valid UTF-8, else as Windows-1252. A caller that draws or measures pieces
// of a longer text decides once for that text and sets teUtf8 or teWin1252, so that every
// piece reads as the whole text does.
enum TTextEncoding { teAuto, teUtf8, teWin1252 };
// Whether Text is read as UTF-8 under E.
bool TextIsUtf8(std::string_view Text, TTextEncoding E = teAuto);
// Bytes of the character starting at Pos (at least 1, never past the end); a byte that
// starts no valid UTF-8 sequence is a character of its own.
size_t TextCharLength(std::string_view Text, size_t Pos, bool Utf8);

struct TFontMetrics {
  int Height = 0;   // ascent + descent
  int Ascent = 0;
  int Descent = 0;
  int ExternalLeading = 0;
  int AveCharWidth = 0;
};

// What a canvas draws on. Coordinates are device pixels of the surface,
// after the canvas's own origin; all rectangles exclude right and bottom.
class TCanvasBackend {
 public:
  virtual ~TCanvasBackend() = default;
  virtual void SetFont(const TFontData& f) = 0;
  virtual void SetPen(const TPenData& p) = 0;
  virtual void SetBrush(const TBrushData& b) = 0;

  virtual void FillRect(const TRect& r) = 0;              // with the brush, no outline
  virtual void Line(int x1, int y1, int x2, int y2) = 0;  // pen; excludes (x2, y2)
  virtual void Polyline(const std::vector<TPoint>& pts) = 0;
  virtual void Polygon(const std::vector<TPoint>& pts) = 0;  // brush inside, pen outline
  virtual void Rectangle(const TRect& r) = 0;
  virtual void RoundRect(const TRect& r, int cx, int cy) = 0;
  virtual void Ellipse(const TRect& r) = 0;
  // kind 0 arc, 1 pie, 2 chord; angles from the start and end radial points, counter-clockwise
  virtual void Arc(int kind, const TRect& r, TPoint start, TPoint end) = 0;
  // Text with its box's top-left at (x, y); opaque fills the box with the brush colour first.
  virtual void Text(int x, int y, const std::string& s, bool opaque, int underlineIndex) = 0;
  virtual TSize TextExtent(const std::string& s) = 0;
  // Bytes of the longest start of s, in whole characters, at most maxWidth wide; its width
  // goes to *width. This one measures starts of s; backends do it in one pass.
  virtual size_t TextFit(const std::string& s, int maxWidth, int* width);
  // How the texts given from now on are read.
  virtual void SetTextEncoding(TTextEncoding e) { encoding_ = e; }
  TTextEncoding TextEncoding() const { return encoding_; }
  // Whether the texts given from now on read from the right.
  void SetRightToLeftReading(bool On) { rightToLeft_ = On; }
  virtual TFontMetrics Metrics() = 0;
  virtual TColor Pixel(int x, int y) = 0;  // clNone outside
  virtual void SetPixel(int x, int y, TColor c) = 0;
  // Copies src (in source pixels of image) into dst with a copy mode;
  // transparent != clNone leaves that colour's pixels out.
  virtual void DrawImage(const TRect& dst, const QImage& image, const TRect& src, TCopyModeValue mode,
                         TColor transparent) = 0;
  virtual void FocusRect(const TRect& r) = 0;
  virtual void SetClip(const TRect* r) = 0;  // nullptr removes
  // Copies what is on the surface in r (canvas coordinates); false when the surface has no pixels to give.
  virtual bool CopySurface(const TRect& r, QImage& out) { return false; }
  virtual void Flush() {}
  // Name of the operation recorded last, for tools; empty when not recording.
  virtual std::string Describe() const { return std::string(); }

 protected:
  TTextEncoding encoding_ = teAuto;
  bool rightToLeft_ = false;
};

class TCanvas : public TPersistent {
 public:
  TCanvas();
  ~TCanvas() override;
  std::string ClassName() const override { return "TCanvas"; }

  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* v) { font_->Assign(v); }
  TPen* Pen() const { return pen_.get(); }
  void SetPen(TPen* v) { pen_->Assign(v); }
  TBrush* Brush() const { return brush_.get(); }
  void SetBrush(TBrush* v) { brush_->Assign(v); }
  TPoint PenPos() const;
  void SetPenPos(TPoint p) { penPending_ = false; penPos_ = p; }
  TCopyModeValue CopyMode() const { return copyMode_; }
  void SetCopyMode(TCopyModeValue v) { copyMode_ = v; }
  TNotifyEvent OnChange, OnChanging;

  // Drawing.
  void MoveTo(int X, int Y) { penPending_ = false; penPos_ = TPoint(X, Y); }
  void LineTo(int X, int Y);
  void Polyline(const std::vector<TPoint>& Points);
  void Polygon(const std::vector<TPoint>& Points);
  void Rectangle(int X1, int Y1, int X2, int Y2);
  void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
  void FillRect(const TRect& R);
  void FrameRect(const TRect& R);  // one pixel frame in the brush colour
  void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3);
  void Ellipse(int X1, int Y1, int X2, int Y2);
  void Ellipse(const TRect& R) { Ellipse(R.Left, R.Top, R.Right, R.Bottom); }
  void Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
  void Pie(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
  void Chord(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
  void TextOut(int X, int Y, const std::string& Text);
  void TextRect(const TRect& Rect, int X, int Y, const std::string& Text);
  int TextWidth(const std::string& Text) { return TextExtent(Text).cx; }
  int TextHeight(const std::string& Text) { return TextExtent(Text).cy; }
  TSize TextExtent(const std::string& Text);
  // Bytes of the longest start of Text, in whole characters, at most MaxWidth wide (0 when
  // not even the first character fits); its width goes to *Width.
  size_t TextFit(const std::string& Text, int MaxWidth, int* Width = nullptr);
  // How the texts given to this canvas are read (see TTextEncoding); teAuto by default.
  TTextEncoding TextEncoding() const { return encoding_; }
  void SetTextEncoding(TTextEncoding E);
  TFontMetrics GetTextMetrics();
  // Text with each tab turned into blanks up to the next stop of eight average character
  // widths of the font, as DrawText with DT_EXPANDTABS shows it.
  std::string ExpandTabs(const std::string& Text);
  // Windows DrawText: returns the text height; with DT_CALCRECT adjusts Rect and draws nothing.
  // Drawing clipped to Rect lays out only what can show in it (the lines that start inside it,
  // of a long left-aligned line the start that reaches past its right), so the cost follows
  // Rect's size, not the text's length; the height returned then counts those lines.
  int DrawText(const std::string& Text, TRect& Rect, unsigned Flags);
  void DrawFocusRect(const TRect& R);
  // Returns the rectangle inside the edges when BF_ADJUST is given (else R unchanged).
  void DrawEdge(TRect& R, unsigned Edge, unsigned Flags);
  void DrawFrameControl(TRect R, unsigned Type, unsigned State);
  void GradientFill(const TRect& R, TColor From, TColor To, bool Vertical, int Steps = 0);
  TColor Pixels(int X, int Y);
  void SetPixels(int X, int Y, TColor C);

  // Images.
  void Draw(int X, int Y, class TGraphic* Graphic);
  void StretchDraw(const TRect& R, class TGraphic* Graphic);
  void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);
  void BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color);
  // Draws an image area directly (used by the graphic classes).
  void DrawImage(const TRect& Dest, const QImage& Image, const TRect& Source, TColor Transparent = clNone);

  // Clipping: the clip rectangle in canvas coordinates; an empty rect when nothing clips.
  // During a control's paint it lies within the area being repainted.
  TRect ClipRect() const;
  // The area a paint may draw in (the control canvas sets it for each paint); nullptr: the whole surface.
  void SetPaintArea(const TRect* Area);
  void SetClipRect(const TRect& R);
  void RemoveClip();
  bool HasClip() const { return hasClip_; }

  // Where the canvas draws. The canvas never owns a borrowed backend.
  TCanvasBackend* Backend() const { return backend_; }
  void SetBackend(TCanvasBackend* b, TSize surfaceSize = TSize());
  void SetBackend(std::unique_ptr<TCanvasBackend> b, TSize surfaceSize = TSize());
  bool HandleAllocated() const { return backend_ != nullptr; }
  TSize SurfaceSize() const { return surface_; }
  // Lock/Unlock are kept for callers; one thread draws.
  void Lock() {}
  void Unlock() {}
  void Refresh() { fontVer_ = penVer_ = brushVer_ = 0; }

 protected:
  virtual void RequiredState();  // makes sure a backend exists (subclasses create one lazily)
  virtual void Changing();
  virtual void Changed();

 private:
  TCanvasBackend* Prepare(bool font, bool pen, bool brush);
  // The lines of a text as DrawText breaks them; at most maxLines of them.
  std::vector<std::string> LayoutLines(const std::string& text, int width, unsigned flags,
                                       std::vector<int>* underline, size_t maxLines = SIZE_MAX);
  void CopyFrom(const TRect& dest, const QImage& img, const TRect& src, TColor transparent);

  std::unique_ptr<TFont> font_;
  std::unique_ptr<TPen> pen_;
  std::unique_ptr<TBrush> brush_;
  mutable TPoint penPos_;
  TCopyModeValue copyMode_ = cmSrcCopy;
  TCanvasBackend* backend_ = nullptr;
  std::unique_ptr<TCanvasBackend> owned_;
  TSize surface_;
  uint32_t fontVer_ = 0, penVer_ = 0, brushVer_ = 0;
  // TextOut leaves the pen after the text; its width is measured only when asked for.
  mutable std::string pendingText_;
  mutable bool penPending_ = false;
  void ResolvePenPos() const;
  void FillSolid(const TRect& r, TColor c);
  TRect WithinClip(const TRect& r) const;
  bool hasClip_ = false;
  TRect clip_;
  bool hasPaintArea_ = false;
  TRect paintArea_;
  TTextEncoding encoding_ = teAuto;
  friend class TBitmap;
};

// ---------------------------------------------------------------- graphics
class TGraphic : public TPersistent {
 public:
  std::string ClassName() const override { return "TGraphic"; }
  virtual bool Empty() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void SetWidth(int) {}
  virtual void SetHeight(int) {}
  virtual void Draw(TCanvas* ACanvas, const TRect& Rect) = 0;  // stretched into Rect
  virtual void LoadFromStream(TStream* Stream) = 0;
  virtual void SaveToStream(TStream* Stream) = 0;
  virtual void LoadFromFile(const std::string& FileName);
  virtual void SaveToFile(const std::string& FileName);
  virtual bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool v);
  // The pixels as an image (a copy); empty for an empty graphic.
  virtual QImage ToImage() const = 0;
  virtual std::unique_ptr<TGraphic> Clone() const = 0;
  virtual bool Modified() const { return modified_; }
  void SetModified(bool v) { modified_ = v; }
  TNotifyEvent OnChange;

 protected:
  virtual void Changed();
  bool transparent_ = false;
  bool modified_ = false;
};

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode { tmAuto, tmFixed };
// afPremultiplied: the bitmap keeps an alpha channel; a new size starts fully transparent, what is
// drawn on it keeps its coverage and drawing the bitmap blends it over what lies below.
enum TAlphaFormat { afIgnored, afPremultiplied };

class TBitmapCanvas;

class TBitmap : public TGraphic {
 public:
  TBitmap();
  TBitmap(int Width, int Height);
  ~TBitmap() override;
  std::string ClassName() const override { return "TBitmap"; }
  void Assign(TPersistent* Source) override;

  bool Empty() const override;
  int Width() const override;
  int Height() const override;
  void SetWidth(int v) override;
  void SetHeight(int v) override;
  void SetSize(int W, int H);
  TCanvas* Canvas();
  TPixelFormat PixelFormat() const { return pixelFormat_; }
  void SetPixelFormat(TPixelFormat v);
  bool Monochrome() const { return pixelFormat_ == pf1bit; }
  void SetMonochrome(bool v) { SetPixelFormat(v ? pf1bit : pf24bit); }
  TColor TransparentColor() const;  // tmAuto: the bottom-left pixel
  void SetTransparentColor(TColor v);
  TTransparentMode TransparentMode() const { return transparentMode_; }
  void SetTransparentMode(TTransparentMode v);
  TAlphaFormat AlphaFormat() const { return alphaFormat_; }
  void SetAlphaFormat(TAlphaFormat v);
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;
  void LoadFromStream(TStream* Stream) override;  // BMP (other formats accepted too)
  void SaveToStream(TStream* Stream) override;    // BMP
  void LoadFromFile(const std::string& FileName) override;
  // Bitmap resources: files registered with RegisterResource or found in the resource folders.
  void LoadFromResourceName(uintptr_t Instance, const std::string& ResName);
  void LoadFromResourceID(uintptr_t Instance, int ResID) { LoadFromResourceName(Instance, std::to_string(ResID)); }
  void FreeImage() {}
  void Dormant() {}
  // 32-bit rows (B, G, R, A bytes); the bitmap's drawing is finished first.
  uint8_t* ScanLine(int Row);
  QImage ToImage() const override;
  std::unique_ptr<TGraphic> Clone() const override;
  void SetImage(const QImage& image);
  // The image itself, painting finished (for the platform's own drawing code).
  QImage& Image();
  TCanvas* CanvasIfAny() const;

 protected:
  void Changed() override;

 private:
  void EndPaint() const;
  std::unique_ptr<QImage> image_;
  mutable std::unique_ptr<TBitmapCanvas> canvas_;
  TPixelFormat pixelFormat_ = pfDevice;
  int emptyW_ = 0, emptyH_ = 0;  // the sides of a bitmap without pixels (one side 0)
  TColor transparentColor_ = clDefault;
  TTransparentMode transparentMode_ = tmAuto;
  TAlphaFormat alphaFormat_ = afIgnored;
  friend class TBitmapCanvas;
};

// Pictures other than BMP: one image (or frames) held as pixels.
class TImageGraphic : public TGraphic {
 public:
  TImageGraphic();
  ~TImageGraphic() override;
  std::string ClassName() const override { return "TImageGraphic"; }
  void Assign(TPersistent* Source) override;
  bool Empty() const override;
  int Width() const override;
  int Height() const override;
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  QImage ToImage() const override;
  void SetImage(const QImage& image);
  std::unique_ptr<TGraphic> Clone() const override;
  // Animated pictures (GIF): frames and their delays in milliseconds.
  int FrameCount() const { return static_cast<int>(frames_.size()); }
  QImage Frame(int Index) const;
  int FrameDelay(int Index) const;

 protected:
  virtual const char* SaveFormat() const = 0;
  virtual TImageGraphic* NewOfSameClass() const = 0;
  std::vector<QImage*> frames_;
  std::vector<int> delays_;
  std::string raw_;  // the loaded bytes, saved back unchanged
  void Clear();
};

class TPngImage : public TImageGraphic {
 public:
  std::string ClassName() const override { return "TPngImage"; }

 protected:
  const char* SaveFormat() const override { return "PNG"; }
  TImageGraphic* NewOfSameClass() const override { return new TPngImage; }
};
class TJPEGImage : public TImageGraphic {
 public:
  std::string ClassName() const override { return "TJPEGImage"; }

 protected:
  const char* SaveFormat() const override { return "JPEG"; }
  TImageGraphic* NewOfSameClass() const override { return new TJPEGImage; }
};
class TGIFImage : public TImageGraphic {
 public:
  std::string ClassName() const override { return "TGIFImage"; }

 protected:
  const char* SaveFormat() const override { return "GIF"; }
  TImageGraphic* NewOfSameClass() const override { return new TGIFImage; }
};
class TIcon : public TImageGraphic {
 public:
  TIcon() { transparent_ = true; }
  std::string ClassName() const override { return "TIcon"; }
  void Assign(TPersistent* Source) override;
  void LoadFromResourceName(uintptr_t Instance, const std::string& ResName);
  // An empty icon keeps the size asked of it; a loaded one has its image's size.
  int Width() const override { return Empty() ? emptyW_ : TImageGraphic::Width(); }
  int Height() const override { return Empty() ? emptyH_ : TImageGraphic::Height(); }
  void SetWidth(int v) override { emptyW_ = std::max(0, v); }
  void SetHeight(int v) override { emptyH_ = std::max(0, v); }

 protected:
  const char* SaveFormat() const override { return "ICO"; }
  TImageGraphic* NewOfSameClass() const override { return new TIcon; }

 private:
  int emptyW_ = 0, emptyH_ = 0;
};

// Holds one graphic of any class; the class follows the file's content.
class TPicture : public TPersistent {
 public:
  TPicture();
  ~TPicture() override;
  std::string ClassName() const override { return "TPicture"; }
  void Assign(TPersistent* Source) override;
  TGraphic* Graphic() const { return graphic_.get(); }
  void SetGraphic(TGraphic* v);  // copies
  TBitmap* Bitmap();             // makes the graphic a bitmap when it is not one
  TIcon* Icon();
  int Width() const { return graphic_ ? graphic_->Width() : 0; }
  int Height() const { return graphic_ ? graphic_->Height() : 0; }
  void LoadFromFile(const std::string& FileName);  // BMP, PNG, JPEG, GIF, ICO by content
  void SaveToFile(const std::string& FileName);
  void LoadFromStream(TStream* Stream);
  TNotifyEvent OnChange;

 private:
  void Changed();
  std::unique_ptr<TGraphic> graphic_;
};

// A graphic of the class that fits the bytes (by signature); nullptr when none does.
std::unique_ptr<TGraphic> CreateGraphicFromBytes(const std::string& bytes);

// A picture from bytes another program may have written. The class follows the content
// (ccBitmap takes BMP only; ccIcon makes an icon of any picture). Every image's sides are read
// from the headers and weighed against PixelBudget (at most 256 images) before a pixel is
// decoded; what was decoded is taken off the budget. nullptr (and Error says why) for bytes
// that are no picture, too large or not as their headers say.
enum TCappedClass { ccAny, ccBitmap, ccIcon };
std::unique_ptr<TGraphic> LoadGraphicCapped(const std::string& Bytes, TCappedClass As, int64_t& PixelBudget,
                                            std::string& Error);

// Resources: named binary data (bitmaps, cursors, icons), registered by the
// program or found as files "<name>.<ext>" in the resource folders.
void RegisterResource(const std::string& Name, const std::string& Bytes);
void AddResourceFolder(const std::string& Folder);
bool FindResource(const std::string& Name, std::string& Bytes);
constexpr uintptr_t HInstance = 0;

class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};
class EResNotFound : public Exception {
 public:
  using Exception::Exception;
};

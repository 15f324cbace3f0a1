#include "platform/gui/Graphics.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/gui/QtBridge.h"
#include "platform/gui/QtCanvas.h"
#include "platform/rtl/Win1252.h"

// ---------------------------------------------------------------- Qt boundary
QString ToQString(const std::string& s) {
  const char* p = s.data();
  size_t n = s.size();
  bool ascii = true;
  for (size_t i = 0; i < n; ++i)
    if (static_cast<unsigned char>(p[i]) >= 0x80) {
      ascii = false;
      break;
    }
  if (ascii) return QString::fromLatin1(p, static_cast<qsizetype>(n));
  if (IsValidUtf8(std::string_view(p, n))) return QString::fromUtf8(p, static_cast<qsizetype>(n));
  std::u16string w = Win1252ToUnicode(std::string_view(p, n));
  return QString::fromUtf16(w.data(), static_cast<qsizetype>(w.size()));
}

std::string FromQString(const QString& s) { return s.toStdString(); }

QColor ToQColor(TColor c) {
  if (c == clNone) return QColor(Qt::transparent);
  int32_t rgb = ColorToRGB(c);
  return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor FromQColor(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

// ---------------------------------------------------------------- text encoding
bool TextIsUtf8(std::string_view Text, TTextEncoding E) {
  if (E != teAuto) return E == teUtf8;
  return IsValidUtf8(Text);
}

size_t TextCharLength(std::string_view Text, size_t Pos, bool Utf8) {
  if (Pos >= Text.size()) return 1;
  if (!Utf8 || static_cast<unsigned char>(Text[Pos]) < 0x80) return 1;
  size_t i = Pos;
  char32_t c;
  if (!DecodeUtf8Char(Text, i, c)) return 1;
  return i - Pos;
}

namespace {
// Start of the character that ends at End.
size_t LastCharStart(std::string_view text, size_t end, bool utf8) {
  if (end == 0) return 0;
  if (utf8)
    for (size_t back = 2; back <= 4 && back <= end; ++back)
      if (TextCharLength(text, end - back, true) == back) return end - back;
  return end - 1;
}

// Reads every text given to a backend as one text decides, for as long as the scope lasts.
class TEncodingScope {
 public:
  TEncodingScope(TCanvasBackend* b, std::string_view text) : b_(b), saved_(b->TextEncoding()) {
    if (saved_ == teAuto) b_->SetTextEncoding(TextIsUtf8(text) ? teUtf8 : teWin1252);
  }
  ~TEncodingScope() { b_->SetTextEncoding(saved_); }
  TEncodingScope(const TEncodingScope&) = delete;
  TEncodingScope& operator=(const TEncodingScope&) = delete;

 private:
  TCanvasBackend* b_;
  TTextEncoding saved_;
};
}  // namespace

size_t TCanvasBackend::TextFit(const std::string& s, int maxWidth, int* width) {
  // Starts of a text are read as the whole text is: a start of a Windows-1252 text may
  // look like UTF-8 by itself.
  TEncodingScope scope(this, s);
  const bool utf8 = encoding_ == teUtf8;
  std::vector<size_t> ends;
  for (size_t i = 0; i < s.size(); i += TextCharLength(s, i, utf8)) ends.push_back(i + TextCharLength(s, i, utf8));
  size_t lo = 0, hi = ends.size();
  int fitWidth = 0;
  while (lo < hi) {  // the most characters that fit
    const size_t mid = (lo + hi + 1) / 2;
    const int w = TextExtent(s.substr(0, ends[mid - 1])).cx;
    if (w <= maxWidth) {
      lo = mid;
      fitWidth = w;
    } else {
      hi = mid - 1;
    }
  }
  if (width) *width = fitWidth;
  return lo ? ends[lo - 1] : 0;
}

// ---------------------------------------------------------------- colours
namespace {
const int32_t kClassicSys[31] = {
    RGB(212, 208, 200), RGB(58, 110, 165), RGB(10, 36, 106),   RGB(128, 128, 128), RGB(212, 208, 200),
    RGB(255, 255, 255), RGB(0, 0, 0),      RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(255, 255, 255),
    RGB(212, 208, 200), RGB(212, 208, 200), RGB(128, 128, 128), RGB(10, 36, 106),  RGB(255, 255, 255),
    RGB(212, 208, 200), RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0),      RGB(212, 208, 200),
    RGB(255, 255, 255), RGB(64, 64, 64),   RGB(212, 208, 200), RGB(0, 0, 0),       RGB(255, 255, 225),
    RGB(181, 181, 181), RGB(0, 0, 128),    RGB(166, 202, 240), RGB(192, 192, 192), RGB(49, 106, 197),
    RGB(212, 208, 200)};

struct SysColors {
  std::array<int32_t, 31> rgb{};
  std::array<bool, 31> pinned{};
  bool fromPalette = false;
};
SysColors& Sys() {
  static SysColors s = [] {
    SysColors v;
    std::copy(std::begin(kClassicSys), std::end(kClassicSys), v.rgb.begin());
    return v;
  }();
  return s;
}

void LoadPalette() {
  SysColors& s = Sys();
  if (s.fromPalette || !qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
  s.fromPalette = true;
  QPalette p = QGuiApplication::palette();
  auto set = [&](int i, const QColor& c) {
    if (!s.pinned[i]) s.rgb[i] = FromQColor(c);
  };
  set(15, p.color(QPalette::Button));
  set(4, p.color(QPalette::Window));
  set(18, p.color(QPalette::ButtonText));
  set(5, p.color(QPalette::Base));
  set(8, p.color(QPalette::Text));
  set(7, p.color(QPalette::WindowText));
  set(13, p.color(QPalette::Highlight));
  set(14, p.color(QPalette::HighlightedText));
  set(16, p.color(QPalette::Dark));
  set(20, p.color(QPalette::Light));
  set(21, p.color(QPalette::Shadow));
  set(22, p.color(QPalette::Midlight));
  set(24, p.color(QPalette::ToolTipBase));
  set(23, p.color(QPalette::ToolTipText));
  set(17, p.color(QPalette::Disabled, QPalette::Text));
}

const struct {
  TColor c;
  const char* name;
} kColorNames[] = {
    {clBlack, "clBlack"},       {clMaroon, "clMaroon"},     {clGreen, "clGreen"},
    {clOlive, "clOlive"},       {clNavy, "clNavy"},         {clPurple, "clPurple"},
    {clTeal, "clTeal"},         {clGray, "clGray"},         {clSilver, "clSilver"},
    {clRed, "clRed"},           {clLime, "clLime"},         {clYellow, "clYellow"},
    {clBlue, "clBlue"},         {clFuchsia, "clFuchsia"},   {clAqua, "clAqua"},
    {clWhite, "clWhite"},       {clMoneyGreen, "clMoneyGreen"}, {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},       {clMedGray, "clMedGray"},   {clNone, "clNone"},
    {clDefault, "clDefault"},   {clScrollBar, "clScrollBar"}, {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"}, {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},         {clWindow, "clWindow"},     {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"}, {clWindowText, "clWindowText"}, {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"}, {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"}, {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"}, {clBtnFace, "clBtnFace"}, {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"}, {clBtnText, "clBtnText"}, {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"}, {cl3DDkShadow, "cl3DDkShadow"}, {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"}, {clInfoBk, "clInfoBk"}, {clHotLight, "clHotLight"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"}, {clMenuHighlight, "clMenuHighlight"},
    {clMenuBar, "clMenuBar"}};
}  // namespace

int32_t ColorToRGB(TColor Color) {
  uint32_t v = static_cast<uint32_t>(Color);
  if ((v & clSystemColor) == clSystemColor) {
    LoadPalette();
    unsigned i = v & 0xFF;
    return i < 31 ? Sys().rgb[i] : 0;
  }
  return Color;
}

void GuiReloadSystemColors() { Sys().fromPalette = false; }

void SetSysColor(int Index, int32_t Rgb) {
  if (Index < 0 || Index >= 31) return;
  Sys().rgb[Index] = Rgb & 0xFFFFFF;
  Sys().pinned[Index] = true;
}

bool IdentToColor(const std::string& Ident, TColor& Color) {
  for (const auto& n : kColorNames) {
    if (Ident.size() == std::strlen(n.name) &&
        std::equal(Ident.begin(), Ident.end(), n.name,
                   [](char a, char b) { return std::tolower((unsigned char)a) == std::tolower((unsigned char)b); })) {
      Color = n.c;
      return true;
    }
  }
  return false;
}

std::string ColorToString(TColor Color) {
  for (const auto& n : kColorNames)
    if (n.c == Color) return n.name;
  char buf[16];
  std::snprintf(buf, sizeof buf, "$%08X", static_cast<unsigned>(Color));
  return buf;
}

TColor StringToColor(const std::string& S) {
  TColor c;
  if (IdentToColor(S, c)) return c;
  std::string t = S;
  int base = 10;
  if (!t.empty() && t[0] == '$') {
    t = t.substr(1);
    base = 16;
  } else if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    t = t.substr(2);
    base = 16;
  }
  if (t.empty()) throw EConvertError("'" + S + "' is not a valid integer value");
  char* end = nullptr;
  long long v = std::strtoll(t.c_str(), &end, base);
  if (!end || *end) throw EConvertError("'" + S + "' is not a valid integer value");
  return static_cast<TColor>(static_cast<uint32_t>(v));
}

// ---------------------------------------------------------------- font, pen, brush
void TGraphicsObject::Changed() {
  ++version_;
  if (OnChange) OnChange(this);
}

TFont::TFont() = default;

void TFont::Assign(TPersistent* Source) {
  if (auto* f = dynamic_cast<TFont*>(Source)) {
    pixelsPerInch_ = f->pixelsPerInch_;
    SetData(f->d_);
    return;
  }
  TPersistent::Assign(Source);
}
void TFont::SetData(const TFontData& d) { Store(d_, d); }
void TFont::SetName(const std::string& v) {
  if (!v.empty()) Store(d_.Name, v);
}
void TFont::SetHeight(int v) { Store(d_.Height, v); }
int TFont::Size() const {
  // Size from height, rounded as the library does (MulDiv rounds halves away from zero).
  long long n = -static_cast<long long>(d_.Height) * 72;
  long long q = (std::llabs(n) * 2 + pixelsPerInch_) / (2 * pixelsPerInch_);
  return static_cast<int>(n < 0 ? -q : q);
}
void TFont::SetSize(int v) {
  long long n = static_cast<long long>(v) * pixelsPerInch_;
  long long q = (std::llabs(n) * 2 + 72) / 144;
  SetHeight(-static_cast<int>(n < 0 ? -q : q));
}
void TFont::SetStyle(TFontStyles v) { Store(d_.Style, v); }
void TFont::SetColor(TColor v) { Store(d_.Color, v); }
void TFont::SetOrientation(int v) { Store(d_.Orientation, v); }
void TFont::SetPitch(TFontPitch v) { Store(d_.Pitch, v); }
void TFont::SetCharset(TFontCharset v) { Store(d_.Charset, v); }

void TPen::Assign(TPersistent* Source) {
  if (auto* p = dynamic_cast<TPen*>(Source)) {
    Store(d_, p->d_);
    return;
  }
  TPersistent::Assign(Source);
}
void TPen::SetColor(TColor v) { Store(d_.Color, v); }
void TPen::SetWidth(int v) {
  if (v >= 0) Store(d_.Width, v);
}
void TPen::SetStyle(TPenStyle v) { Store(d_.Style, v); }
void TPen::SetMode(TPenMode v) { Store(d_.Mode, v); }

TBrush::TBrush() = default;
TBrush::~TBrush() { delete bitmap_; }
void TBrush::Assign(TPersistent* Source) {
  if (auto* b = dynamic_cast<TBrush*>(Source)) {
    d_.Color = b->d_.Color;
    d_.Style = b->d_.Style;
    SetBitmap(b->bitmap_);
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}
void TBrush::SetColor(TColor v) {
  if (v == d_.Color && d_.Style != bsClear) return;
  d_.Color = v;
  if (d_.Style == bsClear) d_.Style = bsSolid;
  Changed();
}
void TBrush::SetStyle(TBrushStyle v) { Store(d_.Style, v); }
void TBrush::SetBitmap(TBitmap* v) {
  delete bitmap_;
  bitmap_ = nullptr;
  d_.Pattern.reset();
  if (v && !v->Empty()) {
    bitmap_ = new TBitmap;
    bitmap_->Assign(v);
    d_.Pattern = std::make_shared<QImage>(v->ToImage());
  }
  Changed();
}

// ---------------------------------------------------------------- canvas
TCanvas::TCanvas() : font_(new TFont), pen_(new TPen), brush_(new TBrush) {}
TCanvas::~TCanvas() = default;

void TCanvas::SetBackend(TCanvasBackend* b, TSize surfaceSize) {
  ResolvePenPos();
  owned_.reset();
  backend_ = b;
  surface_ = surfaceSize;
  Refresh();
  if (backend_ && hasClip_) backend_->SetClip(&clip_);
  if (backend_) backend_->SetTextEncoding(encoding_);
}
void TCanvas::SetBackend(std::unique_ptr<TCanvasBackend> b, TSize surfaceSize) {
  SetBackend(b.get(), surfaceSize);
  owned_ = std::move(b);
}

void TCanvas::SetTextEncoding(TTextEncoding E) {
  encoding_ = E;
  if (backend_) backend_->SetTextEncoding(E);
}

void TCanvas::RequiredState() {}
void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}
void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

TCanvasBackend* TCanvas::Prepare(bool f, bool p, bool b) {
  if (!backend_) RequiredState();
  if (!backend_) throw EInvalidOperation("Canvas does not allow drawing");
  if (f && fontVer_ != font_->Version()) {
    backend_->SetFont(font_->Data());
    fontVer_ = font_->Version();
  }
  if (p && penVer_ != pen_->Version()) {
    backend_->SetPen(pen_->Data());
    penVer_ = pen_->Version();
  }
  if (b && brushVer_ != brush_->Version()) {
    backend_->SetBrush(brush_->Data());
    brushVer_ = brush_->Version();
  }
  return backend_;
}

void TCanvas::ResolvePenPos() const {
  if (!penPending_) return;
  penPending_ = false;
  auto* self = const_cast<TCanvas*>(this);
  if (self->backend_) penPos_.X += self->Prepare(true, false, false)->TextExtent(pendingText_).cx;
}

TPoint TCanvas::PenPos() const {
  ResolvePenPos();
  return penPos_;
}

void TCanvas::FillSolid(const TRect& r, TColor c) {
  TBrushData d;
  d.Color = c;
  Prepare(false, false, false)->SetBrush(d);
  backend_->FillRect(r);
  brushVer_ = 0;
}

void TCanvas::LineTo(int X, int Y) {
  ResolvePenPos();
  Changing();
  Prepare(false, true, false)->Line(penPos_.X, penPos_.Y, X, Y);
  penPos_ = TPoint(X, Y);
  Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& Points) {
  Changing();
  Prepare(false, true, false)->Polyline(Points);
  Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& Points) {
  Changing();
  Prepare(false, true, true)->Polygon(Points);
  Changed();
}

static TRect Normalized(int x1, int y1, int x2, int y2) {
  return TRect(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2));
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
  Changing();
  Prepare(false, true, true)->Rectangle(Normalized(X1, Y1, X2, Y2));
  Changed();
}

void TCanvas::FillRect(const TRect& R) {
  Changing();
  Prepare(false, false, true)->FillRect(R);
  Changed();
}

void TCanvas::FrameRect(const TRect& R) {
  if (R.Right <= R.Left || R.Bottom <= R.Top) return;
  Changing();
  TCanvasBackend* b = Prepare(false, false, true);
  b->FillRect(TRect(R.Left, R.Top, R.Right, R.Top + 1));
  b->FillRect(TRect(R.Left, R.Bottom - 1, R.Right, R.Bottom));
  b->FillRect(TRect(R.Left, R.Top + 1, R.Left + 1, R.Bottom - 1));
  b->FillRect(TRect(R.Right - 1, R.Top + 1, R.Right, R.Bottom - 1));
  Changed();
}

void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) {
  Changing();
  Prepare(false, true, true)->RoundRect(Normalized(X1, Y1, X2, Y2), X3, Y3);
  Changed();
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
  Changing();
  Prepare(false, true, true)->Ellipse(Normalized(X1, Y1, X2, Y2));
  Changed();
}

void TCanvas::Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
  Changing();
  Prepare(false, true, false)->Arc(0, Normalized(X1, Y1, X2, Y2), TPoint(X3, Y3), TPoint(X4, Y4));
  Changed();
}
void TCanvas::Pie(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
  Changing();
  Prepare(false, true, true)->Arc(1, Normalized(X1, Y1, X2, Y2), TPoint(X3, Y3), TPoint(X4, Y4));
  Changed();
}
void TCanvas::Chord(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
  Changing();
  Prepare(false, true, true)->Arc(2, Normalized(X1, Y1, X2, Y2), TPoint(X3, Y3), TPoint(X4, Y4));
  Changed();
}

void TCanvas::TextOut(int X, int Y, const std::string& Text) {
  Changing();
  Prepare(true, false, true)->Text(X, Y, Text, brush_->Style() == bsSolid, -1);
  penPos_ = TPoint(X, Y);
  pendingText_ = Text;
  penPending_ = true;
  Changed();
}

// A rectangle cut down to the clip rectangle in force, if any.
TRect TCanvas::WithinClip(const TRect& r) const {
  if (!hasClip_) return r;
  return TRect{std::max(r.Left, clip_.Left), std::max(r.Top, clip_.Top), std::min(r.Right, clip_.Right),
               std::min(r.Bottom, clip_.Bottom)};
}

void TCanvas::TextRect(const TRect& Rect, int X, int Y, const std::string& Text) {
  Changing();
  TCanvasBackend* b = Prepare(true, false, true);
  if (brush_->Style() != bsClear) b->FillRect(Rect);
  const TRect c = WithinClip(Rect);
  b->SetClip(&c);
  b->Text(X, Y, Text, false, -1);
  b->SetClip(hasClip_ ? &clip_ : nullptr);
  Changed();
}

TSize TCanvas::TextExtent(const std::string& Text) { return Prepare(true, false, false)->TextExtent(Text); }

size_t TCanvas::TextFit(const std::string& Text, int MaxWidth, int* Width) {
  int w = 0;
  const size_t n = Prepare(true, false, false)->TextFit(Text, MaxWidth, &w);
  if (Width) *Width = w;
  return n;
}

TFontMetrics TCanvas::GetTextMetrics() { return Prepare(true, false, false)->Metrics(); }

TColor TCanvas::Pixels(int X, int Y) { return Prepare(false, false, false)->Pixel(X, Y); }

void TCanvas::SetPixels(int X, int Y, TColor C) {
  Changing();
  Prepare(false, false, false)->SetPixel(X, Y, C);
  Changed();
}

void TCanvas::DrawFocusRect(const TRect& R) {
  Changing();
  Prepare(false, false, false)->FocusRect(R);
  Changed();
}

TRect TCanvas::ClipRect() const {
  TRect r = hasClip_ ? clip_ : TRect(0, 0, surface_.cx, surface_.cy);
  if (!hasPaintArea_) return r;
  if (!hasClip_) return paintArea_;
  TRect a = paintArea_;
  TRect c{std::max(r.Left, a.Left), std::max(r.Top, a.Top), std::min(r.Right, a.Right), std::min(r.Bottom, a.Bottom)};
  if (c.Right < c.Left) c.Right = c.Left;
  if (c.Bottom < c.Top) c.Bottom = c.Top;
  return c;
}

void TCanvas::SetPaintArea(const TRect* Area) {
  hasPaintArea_ = Area != nullptr;
  if (Area) paintArea_ = *Area;
}

void TCanvas::SetClipRect(const TRect& R) {
  hasClip_ = true;
  clip_ = R;
  if (backend_) backend_->SetClip(&clip_);
}

void TCanvas::RemoveClip() {
  hasClip_ = false;
  if (backend_) backend_->SetClip(nullptr);
}

// ----- DrawText
namespace {
struct Line {
  std::string text;
  int underline = -1;
};

// Removes "&" prefixes; returns the index of the underlined character or -1.
std::string StripPrefix(const std::string& s, bool underline, int* index) {
  std::string r;
  r.reserve(s.size());
  *index = -1;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '&' && i + 1 < s.size()) {
      ++i;
      if (s[i] != '&' && underline && *index < 0) *index = static_cast<int>(r.size());
      r += s[i];
    } else if (s[i] == '&') {
      // a trailing "&" shows nothing
    } else {
      r += s[i];
    }
  }
  return r;
}

std::string ExpandTabsOn(TCanvasBackend* b, const std::string& s) {
  if (s.find('\t') == std::string::npos) return s;
  const int tabWidth = std::max(1, b->Metrics().AveCharWidth) * 8;
  std::string r;
  // The width so far grows by each piece, so a text of many tabs is measured once, not again
  // from its start at every tab.
  int w = 0;
  size_t from = 0;
  for (size_t at = s.find('\t'); at != std::string::npos; at = s.find('\t', from)) {
    const std::string piece = s.substr(from, at - from);
    r += piece;
    w += b->TextExtent(piece).cx;
    const int stop = (w / tabWidth + 1) * tabWidth;
    // At most a tab's width of blanks, even for a font whose blank measures nothing.
    std::string blanks;
    int n = 0;
    do blanks += ' ';
    while (w + b->TextExtent(blanks).cx < stop && ++n < 64);
    r += blanks;
    w += b->TextExtent(blanks).cx;
    from = at + 1;
  }
  r += s.substr(from);
  return r;
}

// Bytes of text[from, to) from its start that fit in width, in whole characters; measured in
// growing pieces, so the cost follows what fits, not the length of the text.
size_t FitBytes(TCanvasBackend* b, std::string_view text, size_t from, size_t to, int width, bool utf8) {
  size_t window = 256;
  for (;;) {
    size_t end = std::min(to, from + window);
    while (end < to && utf8 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    const size_t fit = b->TextFit(std::string(text.substr(from, end - from)), width, nullptr);
    if (fit < end - from || end == to) return fit;
    window *= 2;
  }
}

// Whether a text holds a character read from the right, or one that changes the reading
// direction: a line of such text may show its characters in another order than they come.
bool HasRightToLeft(std::string_view s, bool utf8) {
  if (!utf8) return false;
  for (size_t i = 0; i < s.size();) {
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      ++i;
      continue;
    }
    char32_t c;
    const size_t at = i;
    if (!DecodeUtf8Char(s, i, c)) {
      i = at + 1;
      continue;
    }
    if ((c >= 0x590 && c <= 0x8FF) || (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFF) ||
        (c >= 0x10800 && c <= 0x10FFF) || (c >= 0x1E800 && c <= 0x1EFFF) || c == 0x61C || c == 0x200F ||
        (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069))
      return true;
  }
  return false;
}
}  // namespace

std::string TCanvas::ExpandTabs(const std::string& Text) { return ExpandTabsOn(Prepare(true, false, false), Text); }

std::vector<std::string> TCanvas::LayoutLines(const std::string& text, int width, unsigned flags,
                                              std::vector<int>* underline, size_t maxLines) {
  TCanvasBackend* b = backend_;
  const bool prefix = !(flags & DT_NOPREFIX);
  if ((!(flags & DT_WORDBREAK) || (flags & DT_SINGLELINE)) &&
      text.find_first_of(prefix ? "\r\n\t&" : "\r\n\t") == std::string::npos) {
    // One line as it is: the common case of a cell or a caption.
    underline->assign(1, -1);
    return {text};
  }
  const bool utf8 = b->TextEncoding() == teUtf8;
  // Bytes of para[from, to) that fit in the width.
  auto fit = [&](std::string_view para, size_t from, size_t to) -> size_t {
    if (!prefix) return FitBytes(b, para, from, to, width, utf8);
    // Captions, short: measured a character more at a time, as they show without their "&".
    size_t k = from;
    while (k < to) {
      const size_t next = k + TextCharLength(para, k, utf8);
      int idx;
      if (b->TextExtent(StripPrefix(std::string(para.substr(from, next - from)), false, &idx)).cx > width) break;
      k = next;
    }
    return k - from;
  };
  std::vector<std::string> lines;
  // Paragraphs one at a time: those past the last line asked for are never read.
  size_t at = 0, cr = 0, lf = 0;
  if (!(flags & DT_SINGLELINE)) cr = text.find('\r'), lf = text.find('\n');
  // A paragraph is read in place; only one with line breaks dropped or tabs expanded is copied.
  std::string owned;
  for (bool more = true; more && lines.size() < maxLines;) {
    std::string_view para;
    if (flags & DT_SINGLELINE) {
      owned.clear();
      for (char c : text)
        if (c != '\r' && c != '\n') owned += c;
      para = owned;
      more = false;
    } else {
      // Each character looked for on its own, at memory speed, and found again only once passed.
      if (cr < at) cr = text.find('\r', at);
      if (lf < at) lf = text.find('\n', at);
      const size_t end = std::min(cr, lf);
      para = std::string_view(text).substr(at, end == std::string::npos ? std::string::npos : end - at);
      more = end != std::string::npos;
      if (more) at = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    if ((flags & DT_EXPANDTABS) && para.find('\t') != std::string_view::npos) {
      owned = ExpandTabsOn(b, std::string(para));
      para = owned;
    }
    if (!(flags & DT_WORDBREAK) || (flags & DT_SINGLELINE) || fit(para, 0, para.size()) == para.size()) {
      lines.emplace_back(para);
      continue;
    }
    // Break at blanks; a word wider than the line stays whole unless the edit-control rule applies.
    size_t pos = 0;
    while (pos < para.size() && lines.size() < maxLines) {
      size_t i = pos;
      size_t lastFit = std::string::npos;
      while (i < para.size()) {
        size_t wordEnd = para.find(' ', i);
        if (wordEnd == std::string::npos) wordEnd = para.size();
        const bool fits = fit(para, pos, wordEnd) == wordEnd - pos;
        if (fits || lastFit == std::string::npos) {
          if (!fits && (flags & DT_EDITCONTROL)) {
            // break the long word between whole characters, at least one on the line
            lastFit = pos + std::max(TextCharLength(para, pos, utf8), fit(para, pos, wordEnd));
            break;
          }
          lastFit = wordEnd;
          i = wordEnd + 1;
          if (!fits) break;
        } else {
          break;
        }
      }
      std::string line(para.substr(pos, lastFit - pos));
      while (!line.empty() && line.back() == ' ') line.pop_back();
      lines.push_back(line);
      pos = lastFit;
      while (pos < para.size() && para[pos] == ' ') ++pos;
    }
    if (para.empty()) lines.push_back(std::string());
  }
  underline->assign(lines.size(), -1);
  if (prefix) {
    for (size_t i = 0; i < lines.size(); ++i) {
      int idx;
      lines[i] = StripPrefix(lines[i], !(flags & DT_HIDEPREFIX), &idx);
      (*underline)[i] = idx;
    }
  }
  return lines;
}

int TCanvas::DrawText(const std::string& Text, TRect& Rect, unsigned Flags) {
  TCanvasBackend* b = Prepare(true, false, true);
  // Lines, ellipsis starts and prefixes are pieces of one text, read as the whole is.
  TEncodingScope encoding(b, Text);
  const bool utf8 = b->TextEncoding() == teUtf8;
  TFontMetrics m = b->Metrics();
  int lineH = m.Height + ((Flags & DT_EXTERNALLEADING) ? m.ExternalLeading : 0);
  int width = Rect.Right - Rect.Left;
  std::vector<int> ul;
  // Drawn lines from the top, clipped to the rectangle: those starting below it never show.
  const bool clipped = !(Flags & (DT_CALCRECT | DT_NOCLIP));
  const size_t shown = clipped && !(Flags & DT_SINGLELINE) && lineH > 0
                           ? static_cast<size_t>(std::max(1, (Rect.Bottom - Rect.Top + lineH - 1) / lineH))
                           : SIZE_MAX;
  std::vector<std::string> lines = LayoutLines(Text, width, Flags, &ul, shown);
  std::vector<int> widths(lines.size());
  const std::string ell = "...";
  // Characters past the right edge a left-aligned line may keep, for glyphs reaching back.
  constexpr size_t kPastEdge = 16;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string& s = lines[i];
    if (clipped && !(Flags & (DT_RIGHT | DT_CENTER | DT_RTLREADING | DT_PATH_ELLIPSIS)) && s.size() > kPastEdge) {
      // Left-aligned, what lies well past the right edge never shows: the line is cut there,
      // unless characters read from the right could bring later ones into view.
      size_t keep = FitBytes(b, s, 0, s.size(), width, utf8);
      for (size_t n = 0; n <= kPastEdge && keep < s.size(); ++n) keep += TextCharLength(s, keep, utf8);
      if (keep < s.size() && !HasRightToLeft(std::string_view(s).substr(0, keep), utf8)) s.resize(keep);
    }
    int w = b->TextExtent(s).cx;
    if (w > width && !(Flags & DT_CALCRECT) && (Flags & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS))) {
      const int ellWidth = b->TextExtent(ell).cx;
      // The longest start of whole characters that fits with what follows it; one pass
      // finds it, and a backend that joins neighbours more tightly than their widths add
      // up is checked with the real text, stepping back a character at a time.
      auto cut = [&](const std::string& text, int room, const std::string& after) {
        std::string head = text.substr(0, b->TextFit(text, room, nullptr));
        while (!head.empty() && b->TextExtent(head + ell + after).cx > width)
          head.resize(LastCharStart(head, head.size(), utf8));
        return head;
      };
      if (Flags & DT_PATH_ELLIPSIS) {
        size_t slash = s.find_last_of("\\/");
        if (slash != std::string::npos && slash > 0) {
          const std::string tail = s.substr(slash);
          s = cut(s.substr(0, slash), width - ellWidth - b->TextExtent(tail).cx, tail) + ell + tail;
          w = b->TextExtent(s).cx;
        }
      }
      if (w > width) {
        const std::string head = cut(s, width - ellWidth, std::string());
        s = head + ell;
        if (ul[i] >= static_cast<int>(head.size())) ul[i] = -1;
        w = b->TextExtent(s).cx;
      }
    }
    widths[i] = w;
  }
  int total = static_cast<int>(lines.size()) * lineH;
  if (Flags & DT_CALCRECT) {
    int maxw = 0;
    for (int w : widths) maxw = std::max(maxw, w);
    if (Text.empty()) maxw = 0;
    Rect.Right = Rect.Left + maxw;
    Rect.Bottom = Rect.Top + total;
    return total;
  }
  int y = Rect.Top;
  if (Flags & DT_SINGLELINE) {
    if (Flags & DT_VCENTER)
      y = Rect.Top + (Rect.Bottom - Rect.Top - lineH) / 2;
    else if (Flags & DT_BOTTOM)
      y = Rect.Bottom - lineH;
  }
  bool clip = false;
  if (!(Flags & DT_NOCLIP)) {
    for (size_t i = 0; i < lines.size() && !clip; ++i) clip = widths[i] > width;
    clip = clip || y < Rect.Top || y + total > Rect.Bottom;
  }
  Changing();
  if (clip) {
    const TRect c = WithinClip(Rect);
    b->SetClip(&c);
  }
  bool opaque = brush_->Style() == bsSolid;
  b->SetRightToLeftReading(Flags & DT_RTLREADING);
  for (size_t i = 0; i < lines.size(); ++i) {
    int x = Rect.Left;
    if (Flags & DT_RIGHT)
      x = Rect.Right - widths[i];
    else if (Flags & DT_CENTER)
      x = Rect.Left + (width - widths[i]) / 2;
    if (!(Flags & DT_PREFIXONLY)) b->Text(x, y + static_cast<int>(i) * lineH, lines[i], opaque, ul[i]);
  }
  b->SetRightToLeftReading(false);
  if (clip) b->SetClip(hasClip_ ? &clip_ : nullptr);
  Changed();
  if (Flags & (DT_VCENTER | DT_BOTTOM)) return y - Rect.Top + total;
  return total;
}

// ----- edges and frame controls
void TCanvas::DrawEdge(TRect& R, unsigned Edge, unsigned Flags) {
  Changing();
  TRect r = R;
  auto border = [&](TColor tl, TColor br) {
    if (Flags & BF_TOP) FillSolid(TRect(r.Left, r.Top, r.Right, r.Top + 1), tl);
    if (Flags & BF_LEFT) FillSolid(TRect(r.Left, r.Top, r.Left + 1, r.Bottom), tl);
    if (Flags & BF_BOTTOM) FillSolid(TRect(r.Left, r.Bottom - 1, r.Right, r.Bottom), br);
    if (Flags & BF_RIGHT) FillSolid(TRect(r.Right - 1, r.Top, r.Right, r.Bottom), br);
    if (Flags & BF_TOP) ++r.Top;
    if (Flags & BF_LEFT) ++r.Left;
    if (Flags & BF_BOTTOM) --r.Bottom;
    if (Flags & BF_RIGHT) --r.Right;
  };
  if (Flags & (BF_FLAT | BF_MONO)) {
    TColor c = (Flags & BF_MONO) ? clWindowFrame : clBtnShadow;
    if (Edge & BDR_OUTER) border(c, c);
    if (Edge & BDR_INNER) border((Flags & BF_MONO) ? clWindow : clBtnFace, (Flags & BF_MONO) ? clWindow : clBtnFace);
  } else {
    if (Edge & BDR_RAISEDOUTER) border(cl3DLight, cl3DDkShadow);
    else if (Edge & BDR_SUNKENOUTER) border(clBtnShadow, clBtnHighlight);
    if (Edge & BDR_RAISEDINNER) border(clBtnHighlight, clBtnShadow);
    else if (Edge & BDR_SUNKENINNER) border(cl3DDkShadow, cl3DLight);
  }
  if (Flags & BF_MIDDLE) FillSolid(r, clBtnFace);
  if (Flags & BF_ADJUST) R = r;
  Changed();
}

void TCanvas::DrawFrameControl(TRect R, unsigned Type, unsigned State) {
  Changing();
  const bool inactive = State & DFCS_INACTIVE, pushed = State & DFCS_PUSHED, checked = State & DFCS_CHECKED,
             flat = State & DFCS_FLAT;
  auto arrow = [&](TRect r, int dir) {
    int w = r.Right - r.Left, h = r.Bottom - r.Top;
    int size = std::max(2, std::min(w, h) / 3);
    int cx = r.Left + w / 2 + (pushed ? 1 : 0), cy = r.Top + h / 2 + (pushed ? 1 : 0);
    TColor c = inactive ? clGrayText : clBtnText;
    for (int i = 0; i < size; ++i) {
      int half = size - 1 - i;
      switch (dir) {
        case 0: FillSolid(TRect(cx - i, cy - size / 2 + i, cx + i + 1, cy - size / 2 + i + 1), c); break;
        case 1: FillSolid(TRect(cx - half, cy - size / 2 + i, cx + half + 1, cy - size / 2 + i + 1), c); break;
        case 2: FillSolid(TRect(cx - size / 2 + i, cy - i, cx - size / 2 + i + 1, cy + i + 1), c); break;
        default: FillSolid(TRect(cx - size / 2 + i, cy - half, cx - size / 2 + i + 1, cy + half + 1), c); break;
      }
    }
  };
  if (Type == DFC_BUTTON && (State & 0x1F) == DFCS_BUTTONPUSH) {
    FillSolid(R, clBtnFace);
    TRect e = R;
    if (flat)
      DrawEdge(e, pushed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    else
      DrawEdge(e, pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  } else if (Type == DFC_BUTTON && (State & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE))) {
    TBrushData bd;
    bd.Color = (inactive || pushed) ? clBtnFace : clWindow;
    TPenData pd;
    pd.Color = clBtnShadow;
    TCanvasBackend* b = Prepare(false, false, false);
    b->SetBrush(bd);
    b->SetPen(pd);
    b->Ellipse(R);
    if (checked) {
      int w = R.Right - R.Left, h = R.Bottom - R.Top;
      TRect dot(R.Left + w / 3, R.Top + h / 3, R.Right - w / 3, R.Bottom - h / 3);
      bd.Color = inactive ? clGrayText : clWindowText;
      pd.Color = bd.Color;
      b->SetBrush(bd);
      b->SetPen(pd);
      b->Ellipse(dot);
    }
    brushVer_ = penVer_ = 0;
  } else if (Type == DFC_BUTTON) {  // check box
    TRect r = R;
    if (flat) {
      FillSolid(r, clBtnShadow);
      r = TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    } else {
      DrawEdge(r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    }
    FillSolid(r, (inactive || pushed) ? clBtnFace : clWindow);
    if (checked) {
      TColor c = inactive ? clGrayText : clWindowText;
      int w = r.Right - r.Left, h = r.Bottom - r.Top;
      int x0 = r.Left + w / 5, y0 = r.Top + h / 2 - 1;
      int n = std::max(1, w / 4);
      for (int i = 0; i < n; ++i) FillSolid(TRect(x0 + i, y0 + i, x0 + i + 1, y0 + i + 3), c);
      int m = std::max(1, w / 2);
      for (int i = 0; i < m; ++i) FillSolid(TRect(x0 + n + i, y0 + n - 2 - i, x0 + n + i + 1, y0 + n + 1 - i), c);
    }
  } else if (Type == DFC_SCROLL) {
    FillSolid(R, clBtnFace);
    TRect e = R;
    if (flat)
      DrawEdge(e, pushed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
    else
      DrawEdge(e, pushed ? BDR_SUNKENOUTER : EDGE_RAISED, BF_RECT | BF_ADJUST);
    unsigned kind = State & 0xF;
    if (kind == DFCS_SCROLLCOMBOBOX) kind = DFCS_SCROLLDOWN;
    if (kind <= DFCS_SCROLLRIGHT) arrow(e, static_cast<int>(kind));
  } else {
    FillSolid(R, clBtnFace);
  }
  Changed();
}

void TCanvas::GradientFill(const TRect& R, TColor From, TColor To, bool Vertical, int Steps) {
  int extent = Vertical ? R.Bottom - R.Top : R.Right - R.Left;
  if (extent <= 0) return;
  int n = Steps > 0 ? std::min(Steps, extent) : extent;
  int32_t a = ColorToRGB(From), z = ColorToRGB(To);
  Changing();
  for (int i = 0; i < n; ++i) {
    int s = i * extent / n, e = (i + 1) * extent / n;
    double t = n > 1 ? double(i) / (n - 1) : 0;
    auto ch = [&](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    TColor c = RGB(ch(GetRValue(a), GetRValue(z)), ch(GetGValue(a), GetGValue(z)), ch(GetBValue(a), GetBValue(z)));
    FillSolid(Vertical ? TRect(R.Left, R.Top + s, R.Right, R.Top + e) : TRect(R.Left + s, R.Top, R.Left + e, R.Bottom), c);
  }
  Changed();
}

// ----- images
void TCanvas::DrawImage(const TRect& Dest, const QImage& Image, const TRect& Source, TColor Transparent) {
  Changing();
  Prepare(false, false, false)->DrawImage(Dest, Image, Source, copyMode_, Transparent);
  Changed();
}

void TCanvas::Draw(int X, int Y, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  Graphic->Draw(this, TRect(X, Y, X + Graphic->Width(), Y + Graphic->Height()));
}

void TCanvas::StretchDraw(const TRect& R, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  Graphic->Draw(this, R);
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source) {
  if (!Canvas) return;
  QImage part;
  if (Canvas->Prepare(false, false, false)->CopySurface(Source, part)) {
    DrawImage(Dest, part, TRect(0, 0, part.width(), part.height()));
  } else {
    // A recording canvas has no pixels to give; the copy is recorded with an empty image.
    DrawImage(Dest, QImage(), Source);
  }
}

void TCanvas::BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color) {
  if (!Bitmap || Bitmap->Empty()) return;
  QImage part = Bitmap->Image().copy(ToQRect(Source)).convertToFormat(QImage::Format_ARGB32);
  QRgb key = ToQColor(Color).rgb() & 0xFFFFFF;
  QRgb with = brush_->Style() == bsClear ? 0 : (ToQColor(brush_->Color()).rgb() | 0xFF000000u);
  for (int y = 0; y < part.height(); ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(part.scanLine(y));
    for (int x = 0; x < part.width(); ++x)
      if ((line[x] & 0xFFFFFF) == key) line[x] = with;
  }
  DrawImage(Dest, part, TRect(0, 0, part.width(), part.height()));
}

// ---------------------------------------------------------------- streams and files
namespace {
std::string ReadRest(TStream* s) {
  std::string r;
  char buf[65536];
  for (;;) {
    auto n = s->Read(buf, sizeof buf);
    if (n <= 0) break;
    r.append(buf, static_cast<size_t>(n));
  }
  return r;
}
void WriteAll(TStream* s, const QByteArray& b) {
  if (!b.isEmpty()) s->WriteBuffer(b.constData(), b.size());
}
std::string ReadFileBytes(const std::string& name) {
  std::ifstream f(name, std::ios::binary);
  if (!f) throw EFOpenError("Cannot open file \"" + name + "\". No such file or directory");
  std::ostringstream ss;
  ss << f.rdbuf();
  return ss.str();
}
}  // namespace

void TGraphic::LoadFromFile(const std::string& FileName) {
  std::string bytes = ReadFileBytes(FileName);
  TMemoryStream ms;
  if (!bytes.empty()) ms.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  ms.SetPosition(0);
  LoadFromStream(&ms);
}

void TGraphic::SaveToFile(const std::string& FileName) {
  // Written beside the target and renamed over it, so a failed save keeps the old file.
  TMemoryStream ms;
  SaveToStream(&ms);
  ms.SaveToFile(FileName);
}

void TGraphic::SetTransparent(bool v) {
  if (v == transparent_) return;
  transparent_ = v;
  Changed();
}

void TGraphic::Changed() {
  modified_ = true;
  if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------- bitmap
class TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* b) : bmp_(b) {}
  ~TBitmapCanvas() override { End(); }
  void End() {
    if (!painter_) return;
    SetBackend(nullptr);
    painter_->end();
    painter_.reset();
  }
  bool Active() const { return painter_ != nullptr; }

 protected:
  void RequiredState() override {
    if (painter_) return;
    QImage* img = bmp_->image_.get();
    if (!img || img->isNull()) {
      scratch_ = QImage(1, 1, QImage::Format_RGB32);
      img = &scratch_;
    }
    painter_ = std::make_unique<QPainter>(img);
    SetBackend(std::make_unique<TQtCanvasBackend>(painter_.get()), TSize{img->width(), img->height()});
  }
  void Changed() override {
    bmp_->modified_ = true;
    TCanvas::Changed();
  }

 private:
  TBitmap* bmp_;
  std::unique_ptr<QPainter> painter_;
  QImage scratch_;
};

TBitmap::TBitmap() = default;
TBitmap::TBitmap(int Width, int Height) { SetSize(Width, Height); }
TBitmap::~TBitmap() { canvas_.reset(); }

void TBitmap::EndPaint() const {
  if (canvas_) canvas_->End();
}

bool TBitmap::Empty() const { return !image_ || image_->isNull() || image_->width() == 0 || image_->height() == 0; }
int TBitmap::Width() const { return image_ && !image_->isNull() ? image_->width() : emptyW_; }
int TBitmap::Height() const { return image_ && !image_->isNull() ? image_->height() : emptyH_; }
void TBitmap::SetWidth(int v) { SetSize(v, Height()); }
void TBitmap::SetHeight(int v) { SetSize(Width(), v); }

void TBitmap::SetSize(int W, int H) {
  W = std::max(0, W);
  H = std::max(0, H);
  if (W == Width() && H == Height() && image_) return;
  EndPaint();
  // A side set while the other is still 0 is kept: Width then Height makes the bitmap.
  emptyW_ = W, emptyH_ = H;
  if (W == 0 || H == 0) {
    image_ = std::make_unique<QImage>();
  } else {
    const bool alpha = alphaFormat_ == afPremultiplied;
    auto img = std::make_unique<QImage>(W, H, alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    img->fill(alpha ? Qt::transparent : Qt::white);
    if (image_ && !image_->isNull()) {
      QPainter p(img.get());
      p.setCompositionMode(QPainter::CompositionMode_Source);
      p.drawImage(0, 0, *image_);
    }
    image_ = std::move(img);
  }
  Changed();
}

TCanvas* TBitmap::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<TBitmapCanvas>(this);
  return canvas_.get();
}

QImage& TBitmap::Image() {
  EndPaint();
  if (!image_) image_ = std::make_unique<QImage>();
  return *image_;
}

QImage TBitmap::ToImage() const {
  EndPaint();
  return image_ ? *image_ : QImage();
}

void TBitmap::SetImage(const QImage& image) {
  EndPaint();
  const QImage::Format format =
      alphaFormat_ == afPremultiplied ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
  image_ = std::make_unique<QImage>(image.isNull() ? QImage() : image.convertToFormat(format));
  emptyW_ = emptyH_ = 0;
  if (pixelFormat_ == pf1bit && !image_->isNull())
    *image_ = image_->convertToFormat(QImage::Format_Mono).convertToFormat(QImage::Format_RGB32);
  Changed();
}

std::unique_ptr<TGraphic> TBitmap::Clone() const {
  auto b = std::make_unique<TBitmap>();
  b->Assign(const_cast<TBitmap*>(this));
  return b;
}

void TBitmap::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (auto* b = dynamic_cast<TBitmap*>(Source)) {
    pixelFormat_ = b->pixelFormat_;
    transparentColor_ = b->transparentColor_;
    transparentMode_ = b->transparentMode_;
    transparent_ = b->transparent_;
    alphaFormat_ = b->alphaFormat_;
    SetImage(b->ToImage());
    return;
  }
  if (auto* g = dynamic_cast<TGraphic*>(Source)) {
    SetImage(g->ToImage());
    return;
  }
  if (auto* p = dynamic_cast<TPicture*>(Source)) {
    if (p->Graphic())
      Assign(p->Graphic());
    else
      SetImage(QImage());
    return;
  }
  TGraphic::Assign(Source);
}

void TBitmap::SetAlphaFormat(TAlphaFormat v) {
  if (v == alphaFormat_) return;
  alphaFormat_ = v;
  if (!Empty()) SetImage(ToImage());
}

void TBitmap::SetPixelFormat(TPixelFormat v) {
  if (v == pixelFormat_) return;
  pixelFormat_ = v;
  if (v == pf1bit && !Empty()) SetImage(ToImage());
}

TColor TBitmap::TransparentColor() const {
  if (transparentMode_ == tmFixed && transparentColor_ != clDefault) return transparentColor_;
  if (Empty()) return clDefault;
  EndPaint();
  return FromQColor(QColor::fromRgb(image_->pixel(0, image_->height() - 1)));
}

void TBitmap::SetTransparentColor(TColor v) {
  transparentColor_ = v;
  transparentMode_ = v == clDefault ? tmAuto : tmFixed;
  Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode v) {
  if (v == transparentMode_) return;
  if (v == tmAuto) transparentColor_ = clDefault;
  transparentMode_ = v;
  Changed();
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (Empty()) return;
  TColor t = transparent_ ? TransparentColor() : clNone;
  if (ACanvas == canvas_.get()) {
    QImage copy = ToImage();
    ACanvas->DrawImage(Rect, copy, TRect(0, 0, copy.width(), copy.height()), t);
  } else {
    ACanvas->DrawImage(Rect, *image_, TRect(0, 0, image_->width(), image_->height()), t);
  }
}

void TBitmap::LoadFromStream(TStream* Stream) {
  char head[14];
  if (Stream->Read(head, 14) != 14 || head[0] != 'B' || head[1] != 'M')
    throw EInvalidGraphic("Bitmap image is not valid");
  uint32_t size = static_cast<uint8_t>(head[2]) | (static_cast<uint8_t>(head[3]) << 8) |
                  (static_cast<uint8_t>(head[4]) << 16) | (static_cast<uint32_t>(static_cast<uint8_t>(head[5])) << 24);
  // The size field is checked against what the stream holds before anything is allocated.
  int64_t left = Stream->Size() - Stream->Position();
  if (size < 14 + 12 || static_cast<int64_t>(size) - 14 > left) throw EInvalidGraphic("Bitmap image is not valid");
  QByteArray data(head, 14);
  data.resize(static_cast<qsizetype>(size));
  int64_t got = Stream->Read(data.data() + 14, size - 14);
  if (got != static_cast<int64_t>(size - 14)) throw EInvalidGraphic("Bitmap image is not valid");
  QImage img;
  if (!img.loadFromData(data, "BMP")) throw EInvalidGraphic("Bitmap image is not valid");
  SetImage(img);
}

void TBitmap::SaveToStream(TStream* Stream) {
  QByteArray b;
  QBuffer buf(&b);
  buf.open(QIODevice::WriteOnly);
  QImage img = ToImage();
  if (img.isNull()) img = QImage(0, 0, QImage::Format_RGB32);
  if (pixelFormat_ == pf1bit) img = img.convertToFormat(QImage::Format_Mono);
  if (!img.isNull()) img.save(&buf, "BMP");
  if (b.isEmpty()) {
    // an empty bitmap still writes a valid file header with no pixels
    static const unsigned char empty[] = {'B', 'M', 26, 0, 0, 0, 0, 0, 0, 0, 26, 0, 0, 0, 12, 0, 0, 0,
                                          0,   0,   0,  0, 1, 0, 24, 0};
    b = QByteArray(reinterpret_cast<const char*>(empty), sizeof empty);
  }
  WriteAll(Stream, b);
}

void TBitmap::LoadFromFile(const std::string& FileName) {
  std::string bytes = ReadFileBytes(FileName);
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
    TGraphic::LoadFromFile(FileName);
    return;
  }
  QImage img;
  if (!img.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size())))
    throw EInvalidGraphic("Bitmap image is not valid");
  SetImage(img);
}

void TBitmap::LoadFromResourceName(uintptr_t, const std::string& ResName) {
  std::string bytes;
  if (!FindResource(ResName, bytes)) throw EResNotFound("Resource " + ResName + " not found");
  QImage img;
  if (!img.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size())))
    throw EInvalidGraphic("Bitmap image is not valid");
  SetImage(img);
}

uint8_t* TBitmap::ScanLine(int Row) {
  QImage& img = Image();
  if (Row < 0 || Row >= img.height()) throw EInvalidGraphic("Scan line index out of range");
  modified_ = true;
  return img.scanLine(Row);
}

void TBitmap::Changed() { TGraphic::Changed(); }

// ---------------------------------------------------------------- other pictures
TImageGraphic::TImageGraphic() = default;
TImageGraphic::~TImageGraphic() { Clear(); }

void TImageGraphic::Clear() {
  for (QImage* f : frames_) delete f;
  frames_.clear();
  delays_.clear();
  raw_.clear();
}

bool TImageGraphic::Empty() const { return frames_.empty() || frames_[0]->isNull(); }
int TImageGraphic::Width() const { return Empty() ? 0 : frames_[0]->width(); }
int TImageGraphic::Height() const { return Empty() ? 0 : frames_[0]->height(); }
QImage TImageGraphic::ToImage() const { return Empty() ? QImage() : *frames_[0]; }
QImage TImageGraphic::Frame(int i) const {
  return i >= 0 && i < FrameCount() ? *frames_[static_cast<size_t>(i)] : QImage();
}
int TImageGraphic::FrameDelay(int i) const { return i >= 0 && i < FrameCount() ? delays_[static_cast<size_t>(i)] : 0; }

void TImageGraphic::SetImage(const QImage& image) {
  Clear();
  frames_.push_back(new QImage(image));
  delays_.push_back(0);
  Changed();
}

std::unique_ptr<TGraphic> TImageGraphic::Clone() const {
  std::unique_ptr<TImageGraphic> g(NewOfSameClass());
  g->Assign(const_cast<TImageGraphic*>(this));
  return g;
}

void TIcon::Assign(TPersistent* Source) {
  if (auto* i = dynamic_cast<TIcon*>(Source)) {
    emptyW_ = i->emptyW_;
    emptyH_ = i->emptyH_;
  }
  TImageGraphic::Assign(Source);
}

void TImageGraphic::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (auto* g = dynamic_cast<TImageGraphic*>(Source)) {
    Clear();
    for (size_t i = 0; i < g->frames_.size(); ++i) {
      frames_.push_back(new QImage(*g->frames_[i]));
      delays_.push_back(g->delays_[i]);
    }
    raw_ = g->raw_;
    transparent_ = g->transparent_;
    Changed();
    return;
  }
  if (auto* g = dynamic_cast<TGraphic*>(Source)) {
    SetImage(g->ToImage());
    return;
  }
  TGraphic::Assign(Source);
}

void TImageGraphic::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (Empty()) return;
  ACanvas->DrawImage(Rect, *frames_[0], TRect(0, 0, Width(), Height()));
}

void TImageGraphic::LoadFromStream(TStream* Stream) {
  std::string bytes = ReadRest(Stream);
  QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QBuffer buf(&data);
  buf.open(QIODevice::ReadOnly);
  QImageReader reader(&buf);
  reader.setDecideFormatFromContent(true);
  std::vector<QImage*> frames;
  std::vector<int> delays;
  // An animation advances by itself; the images of an icon file are stepped through (reading
  // again would give the first one each time).
  const bool animated = reader.supportsAnimation();
  const int count = reader.imageCount();
  for (;;) {
    QImage img = reader.read();
    if (img.isNull()) break;
    frames.push_back(new QImage(img.convertToFormat(QImage::Format_ARGB32_Premultiplied)));
    delays.push_back(reader.nextImageDelay());
    if (frames.size() > 10000) break;
    if (animated) continue;
    if (static_cast<int>(frames.size()) >= count || !reader.jumpToImage(static_cast<int>(frames.size()))) break;
  }
  if (frames.empty()) throw EInvalidGraphic(ClassName() == "TIcon" ? "Icon image is not valid" : "Image is not valid");
  Clear();
  frames_ = std::move(frames);
  delays_ = std::move(delays);
  raw_ = std::move(bytes);
  Changed();
}

void TImageGraphic::SaveToStream(TStream* Stream) {
  if (!raw_.empty()) {
    Stream->WriteBuffer(raw_.data(), static_cast<int64_t>(raw_.size()));
    return;
  }
  if (Empty()) return;
  QByteArray b;
  QBuffer buf(&b);
  buf.open(QIODevice::WriteOnly);
  frames_[0]->save(&buf, SaveFormat());
  WriteAll(Stream, b);
}

void TIcon::LoadFromResourceName(uintptr_t, const std::string& ResName) {
  std::string bytes;
  if (!FindResource(ResName, bytes)) throw EResNotFound("Resource " + ResName + " not found");
  TMemoryStream ms;
  ms.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  ms.SetPosition(0);
  LoadFromStream(&ms);
}

std::unique_ptr<TGraphic> CreateGraphicFromBytes(const std::string& b) {
  auto starts = [&](const char* sig, size_t n) { return b.size() >= n && std::memcmp(b.data(), sig, n) == 0; };
  if (starts("BM", 2)) return std::make_unique<TBitmap>();
  if (starts("\x89PNG", 4)) return std::make_unique<TPngImage>();
  if (starts("\xFF\xD8", 2)) return std::make_unique<TJPEGImage>();
  if (starts("GIF8", 4)) return std::make_unique<TGIFImage>();
  if (starts("\0\0\1\0", 4)) return std::make_unique<TIcon>();
  return nullptr;
}

std::unique_ptr<TGraphic> LoadGraphicCapped(const std::string& Bytes, TCappedClass As, int64_t& PixelBudget,
                                            std::string& Error) {
  auto refuse = [&](const char* why) {
    Error = why;
    return std::unique_ptr<TGraphic>();
  };
  std::unique_ptr<TGraphic> g = CreateGraphicFromBytes(Bytes);
  if (!g) return refuse("no picture");
  if (As == ccBitmap && !dynamic_cast<TBitmap*>(g.get())) return refuse("no bitmap");
  if (As == ccIcon && !dynamic_cast<TIcon*>(g.get())) g = std::make_unique<TIcon>();
  // The sides of every image, from the headers alone.
  QByteArray data = QByteArray::fromRawData(Bytes.data(), static_cast<qsizetype>(Bytes.size()));
  QBuffer buf(&data);
  buf.open(QIODevice::ReadOnly);
  QImageReader reader(&buf);
  reader.setDecideFormatFromContent(true);
  constexpr int kMaxImages = 256;
  const int count = std::max(1, reader.imageCount());
  if (count > kMaxImages) return refuse("too many images");
  int64_t pixels = 0;
  QSize first;
  for (int i = 0; i < count; ++i) {
    // Frames of an animation share the first one's sides.
    QSize s;
    if (i == 0) s = first = reader.size();
    else if (reader.supportsAnimation() || !reader.jumpToImage(i)) s = first;
    else s = reader.size();
    if (!s.isValid() || s.isEmpty()) return refuse("picture size unknown");
    pixels += int64_t(s.width()) * s.height();
    if (pixels > PixelBudget) return refuse("picture too large");
  }
  try {
    TMemoryStream ms;
    ms.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    ms.SetPosition(0);
    g->LoadFromStream(&ms);
  } catch (const Exception&) {
    return refuse("picture not readable");
  }
  int64_t decoded = int64_t(g->Width()) * g->Height();
  if (auto* im = dynamic_cast<TImageGraphic*>(g.get())) {
    decoded = 0;
    for (int i = 0; i < im->FrameCount(); ++i) decoded += int64_t(im->Frame(i).width()) * im->Frame(i).height();
  }
  if (g->Empty() || decoded > pixels) return refuse("picture not as its header says");
  PixelBudget -= decoded;
  Error.clear();
  return g;
}

// ---------------------------------------------------------------- picture
TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed() {
  if (OnChange) OnChange(this);
}

void TPicture::Assign(TPersistent* Source) {
  if (!Source) {
    graphic_.reset();
    Changed();
  } else if (auto* p = dynamic_cast<TPicture*>(Source)) {
    SetGraphic(p->Graphic());
  } else if (auto* g = dynamic_cast<TGraphic*>(Source)) {
    SetGraphic(g);
  } else {
    TPersistent::Assign(Source);
  }
}

void TPicture::SetGraphic(TGraphic* v) {
  if (v == graphic_.get()) return;
  graphic_ = v ? v->Clone() : nullptr;
  Changed();
}

TBitmap* TPicture::Bitmap() {
  if (!dynamic_cast<TBitmap*>(graphic_.get())) {
    graphic_ = std::make_unique<TBitmap>();
    Changed();
  }
  return static_cast<TBitmap*>(graphic_.get());
}

TIcon* TPicture::Icon() {
  if (!dynamic_cast<TIcon*>(graphic_.get())) {
    graphic_ = std::make_unique<TIcon>();
    Changed();
  }
  return static_cast<TIcon*>(graphic_.get());
}

void TPicture::LoadFromFile(const std::string& FileName) {
  std::string bytes = ReadFileBytes(FileName);
  auto g = CreateGraphicFromBytes(bytes);
  if (!g) {
    std::string ext = FileName.substr(FileName.find_last_of('.') == std::string::npos ? FileName.size()
                                                                                        : FileName.find_last_of('.'));
    throw EInvalidGraphic("Unknown picture file extension (" + ext + ")");
  }
  TMemoryStream ms;
  ms.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  ms.SetPosition(0);
  g->LoadFromStream(&ms);
  graphic_ = std::move(g);
  Changed();
}

void TPicture::LoadFromStream(TStream* Stream) {
  std::string bytes = ReadRest(Stream);
  auto g = CreateGraphicFromBytes(bytes);
  if (!g) throw EInvalidGraphic("Unsupported picture format");
  TMemoryStream ms;
  ms.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  ms.SetPosition(0);
  g->LoadFromStream(&ms);
  graphic_ = std::move(g);
  Changed();
}

void TPicture::SaveToFile(const std::string& FileName) {
  if (graphic_) graphic_->SaveToFile(FileName);
}

// ---------------------------------------------------------------- resources
namespace {
std::map<std::string, std::string>& Resources() {
  static std::map<std::string, std::string> r;
  return r;
}
std::vector<std::string>& Folders() {
  static std::vector<std::string> f;
  return f;
}
std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}
}  // namespace

void RegisterResource(const std::string& Name, const std::string& Bytes) { Resources()[Upper(Name)] = Bytes; }
void AddResourceFolder(const std::string& Folder) { Folders().push_back(Folder); }

bool FindResource(const std::string& Name, std::string& Bytes) {
  auto it = Resources().find(Upper(Name));
  if (it != Resources().end()) {
    Bytes = it->second;
    return true;
  }
  std::vector<std::string> folders = Folders();
  if (const char* env = std::getenv("VELMARON_RESOURCES")) folders.push_back(env);
  std::string lower = Name;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const auto& dir : folders) {
    for (const std::string& base : {Name, lower, Upper(Name)}) {
      for (const char* ext : {"", ".bmp", ".png", ".ico", ".cur", ".gif", ".jpg"}) {
        std::ifstream f(dir + "/" + base + ext, std::ios::binary);
        if (!f) continue;
        std::ostringstream ss;
        ss << f.rdbuf();
        Bytes = ss.str();
        return true;
      }
    }
  }
  return false;
}

TCanvas* TBitmap::CanvasIfAny() const { return canvas_.get(); }

#include "platform/gui/QtCanvas.h"

#include <QCoreApplication>
#include <QImage>
#include <QPaintEngine>
#include <QPixmap>
#include <QPainterPath>
#include <QStaticText>
#include <QTextLayout>
#include <unordered_map>
#include <cmath>

#include "platform/gui/QtBridge.h"

TQtCanvasBackend::TQtCanvasBackend(QPainter* painter, std::optional<QRect> baseClip)
    : p_(painter), baseClip_(baseClip) {
  if (baseClip_) p_->setClipRect(*baseClip_);
  p_->setRenderHint(QPainter::Antialiasing, false);
  p_->setBackgroundMode(Qt::TransparentMode);
}

QFont TQtCanvasBackend::MakeFont(const TFontData& f) {
  QFont font(QString::fromStdString(f.Name));
  int px = f.Height < 0 ? -f.Height : (f.Height > 0 ? std::max(1, f.Height * 4 / 5) : 11);
  font.setPixelSize(std::max(1, px));
  font.setBold(f.Style & fsBold);
  font.setItalic(f.Style & fsItalic);
  font.setUnderline(f.Style & fsUnderline);
  font.setStrikeOut(f.Style & fsStrikeOut);
  if (f.Pitch == fpFixed) font.setStyleHint(QFont::TypeWriter);
  return font;
}

// ---------------------------------------------------------------- font and text cache
// Building a QFont and its metrics, shaping a text and measuring it each cost far more than
// drawing the glyphs; all four are kept per font setting and text, for every canvas.
struct TTextEntry {
  int width = -1;
  bool laidOut = false;
  qreal advance = 0;
  std::unique_ptr<QStaticText> text;
};

struct TQtCanvasBackend::TFontEntry {
  TFontEntry(const QFont& f, QPaintDevice* d) : font(f), fm(f, d), fmf(f, d) {
    ascent = fm.ascent();
    height = fm.height();
    const QFontMetricsF& mf = fmf;
    thickness = mf.lineWidth();
    // Where Qt's own text drawing puts its lines: the underline a whole pixel below the
    // engine's position but inside the descent, the strike-out a third of the ascent up.
    qreal under = mf.underlinePos();
    underline = std::ceil(under) + 0.5;
    if (under <= mf.descent()) underline = std::min(underline, mf.descent() - 0.5);
    strikeOut = -mf.ascent() / 3.0;
    exactAscent = mf.ascent();
    plain = f;
    plain.setUnderline(false);
    plain.setStrikeOut(false);
  }
  QFont font;
  QFont plain;  // what the painter draws static texts with; lines are drawn separately
  QFontMetrics fm;
  QFontMetricsF fmf;
  int ascent = 0, height = 0;
  qreal thickness = 1, underline = 0, strikeOut = 0, exactAscent = 0;
  std::unordered_map<std::string, TTextEntry> texts;
};

namespace {
constexpr size_t kMaxFonts = 256, kMaxTexts = 4096, kMaxAllTexts = 16384;
// Longer texts, and texts with control characters, are laid out for each call.
constexpr size_t kMaxCachedLength = 256;

bool Cacheable(const std::string& s) {
  return s.size() <= kMaxCachedLength &&
         std::none_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

struct TFontCache {
  std::unordered_map<std::string, std::unique_ptr<TQtCanvasBackend::TFontEntry>> fonts;
  uint64_t generation = 0;  // rises when entries go, so no canvas keeps a dangling one
  size_t texts = 0;         // entries in all fonts
};
TFontCache* gFontCache = nullptr;

TFontCache& FontCache() {
  if (!gFontCache) {
    gFontCache = new TFontCache;
    // Qt's fonts must go before the application object does.
    qAddPostRoutine([] {
      delete gFontCache;
      gFontCache = nullptr;
    });
  }
  return *gFontCache;
}

std::string FontKey(const TFontData& f, int dpi) {
  std::string k = f.Name;
  k.push_back('\0');
  const int v[6] = {f.Height, static_cast<int>(f.Style), f.Orientation, static_cast<int>(f.Pitch),
                    static_cast<int>(f.Charset), dpi};
  k.append(reinterpret_cast<const char*>(v), sizeof v);
  return k;
}

bool SameFont(const TFontData& a, const TFontData& b) {
  return a.Height == b.Height && a.Style == b.Style && a.Orientation == b.Orientation && a.Pitch == b.Pitch &&
         a.Charset == b.Charset && a.Name == b.Name;
}
}  // namespace

void TQtCanvasBackend::SetFont(const TFontData& f) {
  TFontCache& cache = FontCache();
  if (!font_ || fontGeneration_ != cache.generation || !SameFont(f, fontData_)) {
    // A text of several fonts goes back and forth between a few: those need no lookup.
    for (TRecentFont& r : recent_)
      if (r.entry && r.generation == cache.generation && SameFont(f, r.data)) {
        font_ = r.entry;
        fontGeneration_ = r.generation;
        fontData_ = f;
        fontColor_ = ToQColor(f.Color);
        return;
      }
    QPaintDevice* d = p_->device();
    std::string key = FontKey(f, d ? d->logicalDpiY() : 0);
    auto it = cache.fonts.find(key);
    if (it == cache.fonts.end()) {
      if (cache.fonts.size() >= kMaxFonts) {
        cache.fonts.clear();
        ++cache.generation;
      }
      it = cache.fonts.emplace(std::move(key), std::make_unique<TFontEntry>(MakeFont(f), d)).first;
    }
    font_ = it->second.get();
    fontGeneration_ = cache.generation;
    TRecentFont& slot = recent_[recentNext_++ % recent_.size()];
    slot.data = f;
    slot.entry = font_;
    slot.generation = fontGeneration_;
  }
  fontData_ = f;
  fontColor_ = ToQColor(f.Color);
}

bool TQtCanvasBackend::HaveFont() {
  if (!font_) return false;
  if (fontGeneration_ != FontCache().generation) SetFont(fontData_);  // the cache was emptied
  return true;
}

const TTextEntry& TQtCanvasBackend::TextEntry(const std::string& s, bool layout) {
  TFontCache& cache = FontCache();
  auto found = font_->texts.find(s);
  if (found == font_->texts.end()) {
    if (font_->texts.size() >= kMaxTexts) {
      cache.texts -= font_->texts.size();
      font_->texts.clear();
    }
    if (cache.texts >= kMaxAllTexts) {
      for (auto& f : cache.fonts) f.second->texts.clear();
      cache.texts = 0;
    }
    found = font_->texts.emplace(s, TTextEntry()).first;
    ++cache.texts;
  }
  TTextEntry& e = found->second;
  if (e.width < 0 || (layout && !e.laidOut)) {
    QString q = ToQString(s);
    if (e.width < 0) e.width = font_->fm.horizontalAdvance(q);
    if (layout && !e.laidOut) {
      e.text = std::make_unique<QStaticText>(q);
      e.text->setTextFormat(Qt::PlainText);
      e.text->setPerformanceHint(QStaticText::AggressiveCaching);
      e.text->prepare(QTransform(), font_->plain);
      e.advance = font_->fmf.horizontalAdvance(q);
      e.laidOut = true;
    }
  }
  return e;
}

void TQtCanvasBackend::UseTextPen() {
  if (state_ == kText && textPen_ == fontColor_) return;
  p_->setPen(fontColor_);
  textPen_ = fontColor_;
  state_ = kText;
}

void TQtCanvasBackend::SetPen(const TPenData& d) {
  if (penSet_ && d == penData_) return;
  penSet_ = true;
  penData_ = d;
  penClear_ = d.Style == psClear;
  QPen pen(ToQColor(d.Color));
  pen.setWidth(d.Width <= 1 ? 0 : d.Width);  // width 1 draws cosmetic single pixels
  switch (d.Style) {
    case psDash: pen.setStyle(Qt::DashLine); break;
    case psDot: pen.setStyle(Qt::DotLine); break;
    case psDashDot: pen.setStyle(Qt::DashDotLine); break;
    case psDashDotDot: pen.setStyle(Qt::DashDotDotLine); break;
    case psClear: pen.setStyle(Qt::NoPen); break;
    default: pen.setStyle(Qt::SolidLine);
  }
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::MiterJoin);
  pen_ = pen;
  QPainter::CompositionMode m = QPainter::CompositionMode_SourceOver;
  switch (d.Mode) {
    case pmXor: m = QPainter::RasterOp_SourceXorDestination; break;
    case pmNot: m = QPainter::RasterOp_NotDestination; break;
    case pmNotXor: m = QPainter::RasterOp_NotSourceXorDestination; break;
    case pmMask: m = QPainter::RasterOp_SourceAndDestination; break;
    case pmMerge: m = QPainter::RasterOp_SourceOrDestination; break;
    case pmNotCopy: m = QPainter::RasterOp_NotSource; break;
    default: break;
  }
  if (m != mode_) {
    mode_ = m;
    p_->setCompositionMode(m);
  }
  state_ = kNone;
}

void TQtCanvasBackend::SetBrush(const TBrushData& d) {
  if (brushSet_ && d == brushData_) return;
  brushSet_ = true;
  brushData_ = d;
  brushClear_ = d.Style == bsClear;
  brushColor_ = ToQColor(d.Color);
  if (d.Pattern) {
    brush_ = QBrush(*d.Pattern);
  } else {
    Qt::BrushStyle s = Qt::SolidPattern;
    switch (d.Style) {
      case bsClear: s = Qt::NoBrush; break;
      case bsHorizontal: s = Qt::HorPattern; break;
      case bsVertical: s = Qt::VerPattern; break;
      case bsFDiagonal: s = Qt::BDiagPattern; break;  // Qt's names run the other way
      case bsBDiagonal: s = Qt::FDiagPattern; break;
      case bsCross: s = Qt::CrossPattern; break;
      case bsDiagCross: s = Qt::DiagCrossPattern; break;
      default: break;
    }
    brush_ = QBrush(brushColor_, s);
  }
  state_ = kNone;
}

void TQtCanvasBackend::UsePen() {
  if (state_ == kPen) return;
  p_->setPen(pen_);
  p_->setBrush(Qt::NoBrush);
  state_ = kPen;
}
void TQtCanvasBackend::UseBrush() {
  if (state_ == kBoth) return;
  p_->setPen(pen_);
  p_->setBrush(brush_);
  state_ = kBoth;
}
void TQtCanvasBackend::NoPen() {
  state_ = kNone;
  p_->setPen(Qt::NoPen);
  p_->setBrush(brush_);
}

void TQtCanvasBackend::FillRect(const TRect& r) {
  if (brushClear_ || r.Right <= r.Left || r.Bottom <= r.Top) return;
  QRect q(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
  if (brush_.style() == Qt::SolidPattern)
    p_->fillRect(q, brushColor_);
  else
    p_->fillRect(q, brush_);
}

void TQtCanvasBackend::Line(int x1, int y1, int x2, int y2) {
  if (penClear_) return;
  int dx = x2 - x1, dy = y2 - y1;
  int len = std::max(std::abs(dx), std::abs(dy));
  if (len == 0) return;
  if (pen_.width() > 1) {
    // Wide pens end round, as the Windows default pen does, so the start is always covered.
    QPen wide = pen_;
    wide.setCapStyle(Qt::RoundCap);
    wide.setJoinStyle(Qt::RoundJoin);
    state_ = kNone;
    p_->setPen(wide);
    p_->drawLine(QPointF(x1 + 0.5, y1 + 0.5), QPointF(x2 + 0.5, y2 + 0.5));
    return;
  }
  // Qt's cosmetic stroker leaves out one end or the other depending on the direction; the
  // pixels are chosen here so the end point alone is left out, whichever way the line runs.
  if (pen_.style() == Qt::SolidLine) {
    if (dy == 0 || dx == 0) {
      QRect span = dy == 0 ? QRect(dx > 0 ? x1 : x2 + 1, y1, len, 1) : QRect(x1, dy > 0 ? y1 : y2 + 1, 1, len);
      p_->fillRect(span, pen_.color());
      return;
    }
    QPolygon pts(len);
    int ax = std::abs(dx), ay = std::abs(dy), sx = dx > 0 ? 1 : -1, sy = dy > 0 ? 1 : -1;
    int x = x1, y = y1, err = (ax >= ay ? ax : ay) / 2;
    for (int i = 0; i < len; ++i) {
      pts.setPoint(i, x, y);
      if (ax >= ay) {
        x += sx;
        err -= ay;
        if (err < 0) { y += sy; err += ax; }
      } else {
        y += sy;
        err -= ax;
        if (err < 0) { x += sx; err += ay; }
      }
    }
    QPen dots = pen_;
    dots.setCapStyle(Qt::SquareCap);  // a flat cap may leave single points out
    state_ = kNone;
    p_->setPen(dots);
    p_->drawPoints(pts);
    return;
  }
  // Patterned pens: both ends included, up to the last pixel before the end point.
  int lx = x1 + int(std::lround(double(dx) * (len - 1) / len));
  int ly = y1 + int(std::lround(double(dy) * (len - 1) / len));
  QPen pat = pen_;
  pat.setCapStyle(Qt::SquareCap);
  state_ = kNone;
  p_->setPen(pat);
  p_->drawLine(x1, y1, lx, ly);
}

void TQtCanvasBackend::Polyline(const std::vector<TPoint>& pts) {
  for (size_t i = 1; i < pts.size(); ++i) Line(pts[i - 1].X, pts[i - 1].Y, pts[i].X, pts[i].Y);
}

void TQtCanvasBackend::Polygon(const std::vector<TPoint>& pts) {
  if (pts.size() < 2) return;
  QPolygon poly;
  for (const auto& p : pts) poly << QPoint(p.X, p.Y);
  p_->setPen(penClear_ ? QPen(Qt::NoPen) : pen_);
  p_->setBrush(brushClear_ ? QBrush(Qt::NoBrush) : brush_);
  state_ = kNone;
  p_->drawPolygon(poly);
}

void TQtCanvasBackend::Rectangle(const TRect& r) {
  if (r.Right <= r.Left || r.Bottom <= r.Top) return;
  int w = pen_.width() <= 1 ? 1 : pen_.width();
  if (!brushClear_) {
    TRect in = penClear_ ? r : TRect(r.Left + w, r.Top + w, r.Right - w, r.Bottom - w);
    if (penClear_) in = TRect(r.Left, r.Top, r.Right - 1, r.Bottom - 1);
    FillRect(in);
  }
  if (penClear_) return;
  UsePen();
  if (w == 1) {
    p_->drawRect(QRect(r.Left, r.Top, r.Right - r.Left - 1, r.Bottom - r.Top - 1));
  } else {
    QColor c = pen_.color();
    p_->fillRect(QRect(r.Left, r.Top, r.Right - r.Left, w), c);
    p_->fillRect(QRect(r.Left, r.Bottom - w, r.Right - r.Left, w), c);
    p_->fillRect(QRect(r.Left, r.Top, w, r.Bottom - r.Top), c);
    p_->fillRect(QRect(r.Right - w, r.Top, w, r.Bottom - r.Top), c);
  }
}

void TQtCanvasBackend::RoundRect(const TRect& r, int cx, int cy) {
  p_->setPen(penClear_ ? QPen(Qt::NoPen) : pen_);
  p_->setBrush(brushClear_ ? QBrush(Qt::NoBrush) : brush_);
  state_ = kNone;
  p_->drawRoundedRect(QRectF(r.Left, r.Top, r.Right - r.Left - 1, r.Bottom - r.Top - 1), cx / 2.0, cy / 2.0);
}

void TQtCanvasBackend::Ellipse(const TRect& r) {
  p_->setPen(penClear_ ? QPen(Qt::NoPen) : pen_);
  p_->setBrush(brushClear_ ? QBrush(Qt::NoBrush) : brush_);
  state_ = kNone;
  p_->drawEllipse(QRectF(r.Left, r.Top, r.Right - r.Left - 1, r.Bottom - r.Top - 1));
}

void TQtCanvasBackend::Arc(int kind, const TRect& r, TPoint s, TPoint e) {
  QRectF box(r.Left, r.Top, r.Right - r.Left - 1, r.Bottom - r.Top - 1);
  QPointF c = box.center();
  auto angle = [&](TPoint p) { return std::atan2(-(p.Y - c.y()), p.X - c.x()) * 180.0 / M_PI; };
  double a1 = angle(s), a2 = angle(e);
  double span = a2 - a1;
  if (span <= 0) span += 360;
  int start16 = int(std::lround(a1 * 16)), span16 = int(std::lround(span * 16));
  p_->setPen(penClear_ ? QPen(Qt::NoPen) : pen_);
  p_->setBrush(brushClear_ || kind == 0 ? QBrush(Qt::NoBrush) : brush_);
  state_ = kNone;
  if (kind == 0)
    p_->drawArc(box, start16, span16);
  else if (kind == 1)
    p_->drawPie(box, start16, span16);
  else
    p_->drawChord(box, start16, span16);
}

void TQtCanvasBackend::Text(int x, int y, const std::string& s, bool opaque, int underlineIndex) {
  if (s.empty() || !HaveFont()) return;
  if (painterFont_ != font_ || painterGeneration_ != fontGeneration_) {
    p_->setFont(font_->plain);
    painterFont_ = font_;
    painterGeneration_ = fontGeneration_;
  }
  if (fontData_.Orientation != 0) {
    QString q = ToQString(s);
    state_ = kNone;
    p_->save();
    p_->translate(x, y);
    p_->rotate(-fontData_.Orientation / 10.0);
    p_->setFont(font_->font);
    if (opaque) p_->fillRect(QRect(0, 0, font_->fm.horizontalAdvance(q), font_->height), brushColor_);
    p_->setPen(fontColor_);
    p_->drawText(QPoint(0, font_->ascent), q);
    p_->restore();
    return;
  }
  if (!Cacheable(s)) {
    QString q = ToQString(s);
    if (opaque) p_->fillRect(QRect(x, y, font_->fm.horizontalAdvance(q), font_->height), brushColor_);
    UseTextPen();
    p_->setFont(font_->font);
    painterFont_ = nullptr;
    p_->drawText(QPoint(x, y + font_->ascent), q);
    DrawUnderline(x, y, s, underlineIndex);
    return;
  }
  const TTextEntry& e = TextEntry(s, true);
  if (opaque) p_->fillRect(QRect(x, y, e.width, font_->height), brushColor_);
  UseTextPen();
  // The first baseline of a static text lies at its font's exact ascent below its top.
  p_->drawStaticText(QPointF(x, y + font_->ascent - font_->exactAscent), *e.text);
  if (fontData_.Style & (fsUnderline | fsStrikeOut)) {
    // Drawn where and as long as Qt's own text drawing puts them.
    QPen line(fontColor_, font_->thickness, Qt::SolidLine, Qt::FlatCap);
    p_->setPen(line);
    state_ = kNone;
    const qreal base = y + font_->ascent, x0 = x, x1 = std::floor(x + e.advance);
    if (fontData_.Style & fsUnderline) p_->drawLine(QLineF(x0, base + font_->underline, x1, base + font_->underline));
    if (fontData_.Style & fsStrikeOut) p_->drawLine(QLineF(x0, base + font_->strikeOut, x1, base + font_->strikeOut));
  }
  DrawUnderline(x, y, s, underlineIndex);
}

void TQtCanvasBackend::DrawUnderline(int x, int y, const std::string& s, int underlineIndex) {
  if (underlineIndex >= 0 && underlineIndex < static_cast<int>(s.size())) {
    QString q = ToQString(s);
    QString before = ToQString(s.substr(0, static_cast<size_t>(underlineIndex)));
    if (before.size() < q.size()) {
      int ux = x + font_->fm.horizontalAdvance(before);
      int uw = font_->fm.horizontalAdvance(q.mid(before.size(), 1));
      p_->fillRect(QRect(ux, y + font_->ascent + 1, uw, 1), fontColor_);
    }
  }
}

TSize TQtCanvasBackend::TextExtent(const std::string& s) {
  if (!HaveFont()) return TSize();
  TSize r;
  r.cx = s.empty() ? 0 : Cacheable(s) ? TextEntry(s, false).width : font_->fm.horizontalAdvance(ToQString(s));
  r.cy = font_->height;
  return r;
}

TFontMetrics TQtCanvasBackend::Metrics() {
  TFontMetrics m;
  if (!HaveFont()) return m;
  const QFontMetrics& fm = font_->fm;
  m.Ascent = fm.ascent();
  m.Descent = fm.descent();
  m.Height = fm.height();
  m.ExternalLeading = fm.leading();
  m.AveCharWidth = fm.averageCharWidth();
  return m;
}

QImage* TQtCanvasBackend::Image() const {
  // The device painted on: a widget paints into its backing store's image.
  QPaintEngine* e = p_->paintEngine();
  QPaintDevice* d = e ? e->paintDevice() : p_->device();
  if (d && d->devType() == QInternal::Image) return static_cast<QImage*>(d);
  return nullptr;
}

bool TQtCanvasBackend::CopySurface(const TRect& r, QImage& out) {
  QRect logical(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
  QRect mapped = p_->deviceTransform().mapRect(logical);
  if (QImage* img = Image()) {
    out = img->copy(mapped);
    return true;
  }
  QPaintEngine* e = p_->paintEngine();
  QPaintDevice* d = e ? e->paintDevice() : nullptr;
  if (d && d->devType() == QInternal::Pixmap) {
    out = static_cast<QPixmap*>(d)->copy(mapped).toImage();
    return true;
  }
  return false;
}

TColor TQtCanvasBackend::Pixel(int x, int y) {
  QImage* img = Image();
  if (!img) return clNone;
  QPoint p = p_->deviceTransform().map(QPoint(x, y));
  if (!img->rect().contains(p)) return clNone;
  return FromQColor(QColor::fromRgb(img->pixel(p)));
}

void TQtCanvasBackend::SetPixel(int x, int y, TColor c) {
  state_ = kNone;
  p_->setPen(ToQColor(c));
  p_->drawPoint(x, y);
}

void TQtCanvasBackend::DrawImage(const TRect& dst, const QImage& image, const TRect& src, TCopyModeValue mode,
                                 TColor transparent) {
  QRect d(dst.Left, dst.Top, dst.Right - dst.Left, dst.Bottom - dst.Top);
  QRect s(src.Left, src.Top, src.Right - src.Left, src.Bottom - src.Top);
  if (d.width() <= 0 || d.height() <= 0) return;
  if (QImage* own = Image(); own && !image.isNull() && image.constBits() == own->constBits()) {
    QImage copy = image.copy(s);  // drawing an image onto itself goes through a copy
    DrawImage(dst, copy, TRect(0, 0, copy.width(), copy.height()), mode, transparent);
    return;
  }
  QPainter::CompositionMode m = QPainter::CompositionMode_SourceOver;
  switch (mode) {
    case cmSrcAnd: m = QPainter::RasterOp_SourceAndDestination; break;
    case cmSrcInvert: m = QPainter::RasterOp_SourceXorDestination; break;
    case cmSrcPaint: m = QPainter::RasterOp_SourceOrDestination; break;
    case cmNotSrcCopy: m = QPainter::RasterOp_NotSource; break;
    case cmMergePaint: m = QPainter::RasterOp_NotSourceOrDestination; break;
    case cmSrcErase: m = QPainter::RasterOp_SourceAndNotDestination; break;
    case cmNotSrcErase: m = QPainter::RasterOp_NotSourceAndNotDestination; break;
    case cmBlackness: p_->fillRect(d, Qt::black); return;
    case cmWhiteness: p_->fillRect(d, Qt::white); return;
    case cmDstInvert:
      p_->setCompositionMode(QPainter::RasterOp_NotDestination);
      p_->fillRect(d, Qt::black);
      p_->setCompositionMode(mode_);
      return;
    default: break;
  }
  if (m != mode_) p_->setCompositionMode(m);
  if (transparent != clNone) {
    QImage part = image.copy(s).convertToFormat(QImage::Format_ARGB32);
    QRgb key = ToQColor(transparent).rgb() & 0xFFFFFF;
    for (int y = 0; y < part.height(); ++y) {
      QRgb* line = reinterpret_cast<QRgb*>(part.scanLine(y));
      for (int x = 0; x < part.width(); ++x)
        if ((line[x] & 0xFFFFFF) == key) line[x] = 0;
    }
    p_->drawImage(d, part);
  } else {
    p_->drawImage(d, image, s);
  }
  if (m != mode_) p_->setCompositionMode(mode_);
}

void TQtCanvasBackend::FocusRect(const TRect& r) {
  // Dotted frame drawn by inverting, so a second call removes it.
  state_ = kNone;
  p_->save();
  p_->setCompositionMode(QPainter::RasterOp_NotDestination);
  QPen pen(Qt::black, 0, Qt::DotLine);
  p_->setPen(pen);
  p_->setBrush(Qt::NoBrush);
  p_->drawRect(QRect(r.Left, r.Top, r.Right - r.Left - 1, r.Bottom - r.Top - 1));
  p_->restore();
}

void TQtCanvasBackend::SetClip(const TRect* r) {
  if (!r) {
    if (baseClip_)
      p_->setClipRect(*baseClip_);
    else
      p_->setClipping(false);
    return;
  }
  QRect q(r->Left, r->Top, r->Right - r->Left, r->Bottom - r->Top);
  if (baseClip_) q = q.intersected(*baseClip_);
  p_->setClipRect(q);
}

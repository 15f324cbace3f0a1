#include "platform/gui/QtCanvas.h"

#include <QImage>
#include <QPaintEngine>
#include <QPixmap>
#include <QPainterPath>
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

void TQtCanvasBackend::SetFont(const TFontData& f) {
  TFontData a = f, b = fontData_;
  a.Color = b.Color = 0;
  if (!fontSet_ || !(a == b)) {
    font_ = MakeFont(f);
    fm_.emplace(font_, p_->device());
    ascent_ = fm_->ascent();
    p_->setFont(font_);
    fontSet_ = true;
  }
  fontData_ = f;
  fontColor_ = ToQColor(f.Color);
}

void TQtCanvasBackend::SetPen(const TPenData& d) {
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
  if (s.empty() || !fm_) return;
  QString q = ToQString(s);
  state_ = kNone;
  if (fontData_.Orientation != 0) {
    p_->save();
    p_->translate(x, y);
    p_->rotate(-fontData_.Orientation / 10.0);
    if (opaque) p_->fillRect(QRect(0, 0, fm_->horizontalAdvance(q), fm_->height()), brushColor_);
    p_->setPen(fontColor_);
    p_->drawText(QPoint(0, ascent_), q);
    p_->restore();
    return;
  }
  if (opaque) p_->fillRect(QRect(x, y, fm_->horizontalAdvance(q), fm_->height()), brushColor_);
  p_->setPen(fontColor_);
  p_->drawText(QPoint(x, y + ascent_), q);
  if (underlineIndex >= 0 && underlineIndex < q.size()) {
    int ux = x + fm_->horizontalAdvance(q.left(underlineIndex));
    int uw = fm_->horizontalAdvance(q.mid(underlineIndex, 1));
    p_->fillRect(QRect(ux, y + ascent_ + 1, uw, 1), fontColor_);
  }
}

TSize TQtCanvasBackend::TextExtent(const std::string& s) {
  if (!fm_) return TSize();
  TSize r;
  r.cx = s.empty() ? 0 : fm_->horizontalAdvance(ToQString(s));
  r.cy = fm_->height();
  return r;
}

TFontMetrics TQtCanvasBackend::Metrics() {
  TFontMetrics m;
  if (!fm_) return m;
  m.Ascent = fm_->ascent();
  m.Descent = fm_->descent();
  m.Height = fm_->height();
  m.ExternalLeading = fm_->leading();
  m.AveCharWidth = fm_->averageCharWidth();
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

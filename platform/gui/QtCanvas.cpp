#include "platform/gui/QtCanvas.h"

#include <QCoreApplication>
#include <QImage>
#include <QPaintEngine>
#include <QPixmap>
#include <QPainterPath>
#include <QRawFont>
#include <QTextLayout>
#include <algorithm>
#include <climits>
#include <cmath>
#include <unordered_map>

#include "platform/gui/QtBridge.h"
#include "platform/rtl/Win1252.h"

TQtCanvasBackend::TQtCanvasBackend(QPainter* painter, std::optional<QRect> baseClip)
    : p_(painter), baseClip_(baseClip) {
  if (baseClip_) p_->setClipRect(*baseClip_);
  p_->setRenderHint(QPainter::Antialiasing, false);
  p_->setBackgroundMode(Qt::TransparentMode);
}

QFont TQtCanvasBackend::MakeFont(const TFontData& f) {
  QFont font(QString::fromStdString(f.Name));
  font.setKerning(false);
  int px = f.Height < 0 ? -f.Height : (f.Height > 0 ? std::max(1, f.Height * 4 / 5) : 11);
  font.setPixelSize(std::max(1, px));
  font.setBold(f.Style & fsBold);
  font.setItalic(f.Style & fsItalic);
  font.setUnderline(f.Style & fsUnderline);
  font.setStrikeOut(f.Style & fsStrikeOut);
  if (f.Pitch == fpFixed) font.setStyleHint(QFont::TypeWriter);
  return font;
}

// ---------------------------------------------------------------- fonts and glyphs
// Text is measured and drawn the way the original platform does it: every character has
// one whole-pixel advance in its font and no pair of characters is kerned, so the width of a
// text is the sum of its characters' advances, a text drawn in pieces at their measured
// widths gives the pixels of the whole, and a new text costs a table look-up per character.
// Characters that need Qt's shaping (joining and right-to-left scripts, combining marks,
// format characters) send their whole text to Qt's own text drawing instead. Control
// characters are no commands to text drawing: each shows its glyph, or the font's sign for a
// missing character, and takes its advance.
namespace {
enum : uint8_t { kUnknown, kSimple, kShaped };

struct TGlyph {
  quint32 index = 0;
  int32_t advance = 0;
  uint8_t face = 0;  // in the font entry's faces
  uint8_t kind = kUnknown;
  bool blank = false;  // no ink (a space): takes its advance, nothing to draw
};

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

bool NeedsShaping(char32_t c) {
  if (IsControl(c) || c == 0xAD) return false;  // shown by their own glyph or the missing sign
  switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
      return true;
    default:
      break;
  }
  switch (QChar::direction(c)) {
    case QChar::DirR: case QChar::DirAL: case QChar::DirAN: case QChar::DirRLE: case QChar::DirRLO:
    case QChar::DirLRE: case QChar::DirLRO: case QChar::DirPDF: case QChar::DirRLI: case QChar::DirLRI:
    case QChar::DirFSI: case QChar::DirPDI:
      return true;
    default:
      break;
  }
  switch (QChar::script(c)) {
    case QChar::Script_Common: case QChar::Script_Latin: case QChar::Script_Greek: case QChar::Script_Cyrillic:
    case QChar::Script_Armenian: case QChar::Script_Georgian: case QChar::Script_Cherokee:
    case QChar::Script_Ethiopic: case QChar::Script_Runic: case QChar::Script_Ogham:
    case QChar::Script_CanadianAboriginal: case QChar::Script_Han: case QChar::Script_Hiragana:
    case QChar::Script_Katakana: case QChar::Script_Bopomofo: case QChar::Script_Yi: case QChar::Script_Braille:
      return false;
    case QChar::Script_Hangul:
      return c < 0xAC00 || c > 0xD7A3;  // only whole syllables stand alone
    default:
      return true;
  }
}

constexpr size_t kMaxFonts = 256;
// Characters above U+00FF kept per font and in all fonts; past that a font starts afresh.
constexpr size_t kMaxHighGlyphs = 16384, kMaxAllHighGlyphs = 65536;
}  // namespace

struct TQtCanvasBackend::TFontEntry {
  TFontMetrics metrics;
  bool metricsRead = false;
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
    plain = f;
    plain.setUnderline(false);
    plain.setStrikeOut(false);
    QRawFont own = QRawFont::fromFont(plain);
    if (own.isValid()) faces.push_back(own);
  }
  // The glyph of a character, looked up once.
  TGlyph Glyph(char32_t c, size_t& allHigh) {
    if (c < low.size()) {
      TGlyph& g = low[c];
      if (g.kind == kUnknown) Resolve(c, g);
      return g;
    }
    auto it = high.find(c);
    if (it != high.end()) return it->second;
    TGlyph g;
    Resolve(c, g);
    if (high.size() >= kMaxHighGlyphs || allHigh >= kMaxAllHighGlyphs) {
      allHigh -= std::min(allHigh, high.size());
      high.clear();
    }
    high.emplace(c, g);
    ++allHigh;
    return g;
  }
  void Resolve(char32_t c, TGlyph& g);
  bool Fallback(const QString& chars, TGlyph& g);

  QFont font;   // kerning off; with underline and strike-out for Qt's own drawing
  QFont plain;  // without the lines, which are drawn separately
  QFontMetrics fm;
  QFontMetricsF fmf;
  int ascent = 0, height = 0;
  qreal thickness = 1, underline = 0, strikeOut = 0;
  std::vector<QRawFont> faces;  // [0] the font's own, then fonts for characters it lacks
  std::array<TGlyph, 256> low{};
  std::unordered_map<char32_t, TGlyph> high;
};

void TQtCanvasBackend::TFontEntry::Resolve(char32_t c, TGlyph& g) {
  g = TGlyph();
  if (faces.empty() || NeedsShaping(c)) {
    g.kind = kShaped;
    return;
  }
  QChar units[2];
  int n = 1;
  if (c >= 0x10000) {
    units[0] = QChar(QChar::highSurrogate(c));
    units[1] = QChar(QChar::lowSurrogate(c));
    n = 2;
  } else {
    units[0] = QChar(char16_t(c));
  }
  quint32 index[2] = {0, 0};
  int count = 2;
  if (faces[0].glyphIndexesForChars(units, n, index, &count) && count >= 1 && index[0] != 0) {
    g.index = index[0];
  } else if (IsControl(c) || !Fallback(QString(units, n), g)) {
    g.face = 0;  // the font's own sign for a missing character
    g.index = 0;
  }
  QPointF advance;
  faces[g.face].advancesForGlyphIndexes(&g.index, &advance, 1);
  g.blank = g.index != 0 && faces[g.face].boundingRect(g.index).isEmpty();
  g.advance = static_cast<int32_t>(std::lround(advance.x()));
  g.kind = kSimple;
}

// The font Qt itself would take for a character the font lacks.
bool TQtCanvasBackend::TFontEntry::Fallback(const QString& chars, TGlyph& g) {
  QTextLayout layout(chars, plain);
  layout.beginLayout();
  layout.createLine();
  layout.endLayout();
  for (const QGlyphRun& run : layout.glyphRuns()) {
    const QList<quint32> index = run.glyphIndexes();
    if (index.size() != 1 || index[0] == 0) continue;
    const QRawFont raw = run.rawFont();
    size_t face = 0;
    while (face < faces.size() && !(faces[face] == raw)) ++face;
    if (face == faces.size()) {
      if (faces.size() >= 255) return false;
      faces.push_back(raw);
    }
    g.face = static_cast<uint8_t>(face);
    g.index = index[0];
    return true;
  }
  return false;
}

namespace {
struct TFontCache {
  std::unordered_map<std::string, std::unique_ptr<TQtCanvasBackend::TFontEntry>> fonts;
  uint64_t generation = 0;  // rises when entries go, so no canvas keeps a dangling one
  size_t highGlyphs = 0;    // characters above U+00FF held in all fonts
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

int ClampWidth(int64_t w) { return static_cast<int>(std::clamp<int64_t>(w, INT_MIN, INT_MAX)); }
}  // namespace

size_t TQtCanvasBackend::CachedGlyphCount() {
  if (!gFontCache) return 0;
  size_t n = 0;
  for (const auto& f : gFontCache->fonts) {
    for (const TGlyph& g : f.second->low) n += g.kind != kUnknown;
    n += f.second->high.size();
  }
  return n;
}

void TQtCanvasBackend::SetFont(const TFontData& f) {
  TFontCache& cache = FontCache();
  if (!font_ || fontGeneration_ != cache.generation || !SameFont(f, fontData_)) {
    // A text of several fonts goes back and forth between a few: those need no lookup.
    for (TRecentFont& r : recent_)
      if (r.entry && r.generation == cache.generation && SameFont(f, r.data)) {
        font_ = r.entry;
        fontGeneration_ = r.generation;
        SetFontData(f);
        return;
      }
    QPaintDevice* d = p_->device();
    std::string key = FontKey(f, d ? d->logicalDpiY() : 0);
    auto it = cache.fonts.find(key);
    if (it == cache.fonts.end()) {
      if (cache.fonts.size() >= kMaxFonts) {
        cache.fonts.clear();
        cache.highGlyphs = 0;
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
  SetFontData(f);
}

void TQtCanvasBackend::SetFontData(const TFontData& f) {
  if (!fontColorSet_ || f.Color != fontData_.Color) fontColor_ = ToQColor(f.Color);
  fontColorSet_ = true;
  fontData_ = f;
}

bool TQtCanvasBackend::HaveFont() {
  if (!font_) return false;
  if (fontGeneration_ != FontCache().generation) SetFont(fontData_);  // the cache was emptied
  return true;
}

bool TQtCanvasBackend::ReadsUtf8(const std::string& s) const {
  if (encoding_ != teAuto) return encoding_ == teUtf8;
  return IsValidUtf8(s);
}

QString TQtCanvasBackend::Decode(const std::string& s) const {
  if (ReadsUtf8(s)) return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
  const std::u16string w = Win1252ToUnicode(s);
  return QString::fromUtf16(w.data(), static_cast<qsizetype>(w.size()));
}

template <class F>
bool TQtCanvasBackend::EachGlyph(const std::string& s, F&& f) {
  TFontEntry& fe = *font_;
  size_t& allHigh = FontCache().highGlyphs;
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const size_t n = s.size();
  size_t i = 0;
  // ASCII reads the same either way; the rest of the text decides when it is left to it.
  while (i < n && p[i] < 0x80) {
    const TGlyph& g = fe.low[p[i]];
    const TGlyph use = g.kind != kUnknown ? g : fe.Glyph(p[i], allHigh);
    if (use.kind == kShaped) return false;
    if (!f(use, i, size_t(1))) return true;
    ++i;
  }
  if (i == n) return true;
  const bool utf8 = encoding_ == teAuto ? IsValidUtf8(std::string_view(s).substr(i)) : encoding_ == teUtf8;
  while (i < n) {
    const size_t start = i;
    char32_t c = p[i];
    if (c < 0x80) {
      ++i;
    } else if (utf8 && c >= 0xC2 && c < 0xE0 && i + 1 < n && (p[i + 1] & 0xC0) == 0x80) {
      // Two bytes, every accented Latin letter: read here rather than by the general decoder.
      c = ((c & 0x1F) << 6) | (p[i + 1] & 0x3F);
      i += 2;
    } else if (!utf8) {
      c = Win1252ToUnicodeChar(p[i]);
      ++i;
    } else if (!DecodeUtf8Char(s, i, c)) {
      c = 0xFFFD;
    }
    const TGlyph g = fe.Glyph(c, allHigh);
    if (g.kind == kShaped) return false;
    if (!f(g, start, i - start)) return true;
  }
  return true;
}

void TQtCanvasBackend::UseTextPen() {
  if (state_ == kText && textPen_.color() == fontColor_) return;
  if (textPen_.color() != fontColor_) textPen_.setColor(fontColor_);  // no new pen per text
  p_->setPen(textPen_);
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
  penWidth_ = pen.width();
  penSolid_ = pen.style() == Qt::SolidLine;
  penColor_ = pen.color();
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
  if (state_ != kText) state_ = kNone;  // the text pen does not come from the pen
}

void TQtCanvasBackend::SetBrush(const TBrushData& d) {
  if (brushSet_ && d == brushData_) return;
  if (!brushSet_ || d.Color != brushData_.Color) brushColor_ = ToQColor(d.Color);
  brushSet_ = true;
  brushData_ = d;
  brushClear_ = d.Style == bsClear;
  brushBuilt_ = false;  // plain fills need only the colour; a QBrush is made when one is used
  if (state_ == kBoth) state_ = kNone;
}

const QBrush& TQtCanvasBackend::Brush() {
  if (brushBuilt_) return brush_;
  brushBuilt_ = true;
  if (brushData_.Pattern) {
    brush_ = QBrush(*brushData_.Pattern);
    return brush_;
  }
  Qt::BrushStyle s = Qt::SolidPattern;
  switch (brushData_.Style) {
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
  return brush_;
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
  p_->setBrush(Brush());
  state_ = kBoth;
}
void TQtCanvasBackend::NoPen() {
  state_ = kNone;
  p_->setPen(Qt::NoPen);
  p_->setBrush(Brush());
}

void TQtCanvasBackend::FillRect(const TRect& r) {
  if (brushClear_ || r.Right <= r.Left || r.Bottom <= r.Top) return;
  QRect q(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
  if (!brushData_.Pattern && brushData_.Style == bsSolid)
    p_->fillRect(q, brushColor_);
  else
    p_->fillRect(q, Brush());
}

void TQtCanvasBackend::Line(int x1, int y1, int x2, int y2) {
  if (penClear_) return;
  int dx = x2 - x1, dy = y2 - y1;
  int len = std::max(std::abs(dx), std::abs(dy));
  if (len == 0) return;
  if (penWidth_ > 1) {
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
  if (penSolid_) {
    if (dy == 0 || dx == 0) {
      QRect span = dy == 0 ? QRect(dx > 0 ? x1 : x2 + 1, y1, len, 1) : QRect(x1, dy > 0 ? y1 : y2 + 1, 1, len);
      p_->fillRect(span, penColor_);
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
  p_->setBrush(brushClear_ ? QBrush(Qt::NoBrush) : Brush());
  state_ = kNone;
  p_->drawPolygon(poly);
}

void TQtCanvasBackend::Rectangle(const TRect& r) {
  if (r.Right <= r.Left || r.Bottom <= r.Top) return;
  int w = pen_.width() <= 1 ? 1 : pen_.width();
  if (w == 1 && !penClear_ && penSolid_ && !brushClear_ && !brushData_.Pattern && brushData_.Style == bsSolid &&
      penColor_ == brushColor_) {
    // Frame and inside in one colour (gradient bands, solid blocks): one fill.
    p_->fillRect(QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top), brushColor_);
    return;
  }
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
  p_->setBrush(brushClear_ ? QBrush(Qt::NoBrush) : Brush());
  state_ = kNone;
  p_->drawRoundedRect(QRectF(r.Left, r.Top, r.Right - r.Left - 1, r.Bottom - r.Top - 1), cx / 2.0, cy / 2.0);
}

void TQtCanvasBackend::Ellipse(const TRect& r) {
  p_->setPen(penClear_ ? QPen(Qt::NoPen) : pen_);
  p_->setBrush(brushClear_ ? QBrush(Qt::NoBrush) : Brush());
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
  p_->setBrush(brushClear_ || kind == 0 ? QBrush(Qt::NoBrush) : Brush());
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
  // The glyph run below is laid out left to right only.
  if (rightToLeft_) return ShapedText(x, y, s, opaque, underlineIndex);
  const bool rotated = fontData_.Orientation != 0;
  // Glyphs outside the surface are not handed to Qt: a long text costs its look-ups only.
  int64_t from = INT64_MIN, to = INT64_MAX;
  if (s.size() > 64 && !rotated && !p_->viewTransformEnabled()) {
    const QTransform& t = p_->worldTransform();
    if (t.type() <= QTransform::TxTranslate) {
      if (deviceWidth_ < 0) deviceWidth_ = p_->device() ? p_->device()->width() : INT_MAX / 2;
      const int64_t margin = 2 * int64_t(font_->height) + 16;  // slanted glyphs reach past their advance
      const int64_t left = int64_t(x) + int64_t(std::floor(t.dx()));
      from = -left - margin;
      to = int64_t(deviceWidth_) - left + margin;
    }
  }
  size_t count = 0;
  bool oneFace = true;
  int64_t pen = 0, ulX = -1, ulWidth = 0;
  const bool simple = EachGlyph(s, [&](const TGlyph& g, size_t pos, size_t len) {
    if (!g.blank && pen + g.advance >= from && pen <= to) {
      if (count == glyphs_.size()) {
        const size_t room = std::max<size_t>(64, 2 * count);
        glyphs_.resize(room);
        positions_.resize(room);
        faces_.resize(room);
      }
      glyphs_[count] = g.index;
      positions_[count] = QPointF(qreal(pen), 0.0);
      faces_[count] = g.face;
      oneFace = oneFace && g.face == 0;
      ++count;
    }
    if (underlineIndex >= 0 && size_t(underlineIndex) >= pos && size_t(underlineIndex) < pos + len) {
      ulX = pen;
      ulWidth = g.advance;
    }
    pen += g.advance;
    return true;
  });
  if (!simple) {
    ShapedText(x, y, s, opaque, underlineIndex);
    return;
  }
  const int width = ClampWidth(pen);
  QPointF origin(x, y);
  if (rotated) {
    state_ = kNone;
    p_->save();
    p_->translate(x, y);
    p_->rotate(-fontData_.Orientation / 10.0);
    origin = QPointF(0, 0);
  }
  if (opaque) p_->fillRect(QRectF(origin.x(), origin.y(), width, font_->height), brushColor_);
  UseTextPen();
  const QPointF base(origin.x(), origin.y() + font_->ascent);
  for (size_t i = 0; i < count;) {
    size_t j = oneFace ? count : i + 1;
    while (j < count && faces_[j] == faces_[i]) ++j;
    if (runFont_ != font_ || runGeneration_ != fontGeneration_ || runFace_ != faces_[i]) {
      run_.setRawFont(font_->faces[faces_[i]]);
      runFont_ = font_;
      runGeneration_ = fontGeneration_;
      runFace_ = faces_[i];
    }
    run_.setRawData(glyphs_.data() + i, positions_.data() + i, static_cast<int>(j - i));
    p_->drawGlyphRun(base, run_);
    i = j;
  }
  if (fontData_.Style & (fsUnderline | fsStrikeOut)) {
    // Drawn where Qt's own text drawing puts them, as long as the text.
    QPen line(fontColor_, font_->thickness, Qt::SolidLine, Qt::FlatCap);
    p_->setPen(line);
    state_ = kNone;
    const qreal x0 = base.x(), x1 = base.x() + width;
    if (fontData_.Style & fsUnderline)
      p_->drawLine(QLineF(x0, base.y() + font_->underline, x1, base.y() + font_->underline));
    if (fontData_.Style & fsStrikeOut)
      p_->drawLine(QLineF(x0, base.y() + font_->strikeOut, x1, base.y() + font_->strikeOut));
  }
  if (ulX >= 0) p_->fillRect(QRectF(base.x() + qreal(ulX), base.y() + 1, qreal(ulWidth), 1), fontColor_);
  if (glyphs_.size() > 4096) {  // room for one very long text is not kept
    glyphs_ = {};
    positions_ = {};
    faces_ = {};
  }
  if (rotated) {
    p_->restore();
    state_ = kNone;
  }
}

// A text Qt shapes as a whole; it is measured the same way, without kerning.
void TQtCanvasBackend::ShapedText(int x, int y, const std::string& s, bool opaque, int underlineIndex) {
  const QString q = Decode(s);
  state_ = kNone;
  p_->save();
  p_->translate(x, y);
  if (fontData_.Orientation != 0) p_->rotate(-fontData_.Orientation / 10.0);
  p_->setFont(font_->font);
  if (opaque) p_->fillRect(QRect(0, 0, font_->fm.horizontalAdvance(q), font_->height), brushColor_);
  p_->setPen(fontColor_);
  if (rightToLeft_) {
    QTextOption o(Qt::AlignLeft | Qt::AlignAbsolute);
    o.setTextDirection(Qt::RightToLeft);
    o.setWrapMode(QTextOption::NoWrap);
    p_->drawText(QRectF(0, 0, font_->fm.horizontalAdvance(q), font_->height), q, o);
  } else {
    p_->drawText(QPoint(0, font_->ascent), q);
  }
  if (underlineIndex >= 0 && size_t(underlineIndex) < s.size()) {
    const int before = Decode(s.substr(0, size_t(underlineIndex))).size();
    if (before < q.size()) {
      const int ux = font_->fm.horizontalAdvance(q.left(before));
      const int uw = font_->fm.horizontalAdvance(q.mid(before, 1));
      p_->fillRect(QRect(ux, font_->ascent + 1, uw, 1), fontColor_);
    }
  }
  p_->restore();
}

TSize TQtCanvasBackend::TextExtent(const std::string& s) {
  if (!HaveFont()) return TSize();
  TSize r;
  r.cy = font_->height;
  if (s.empty()) return r;
  int64_t w = 0;
  if (EachGlyph(s, [&w](const TGlyph& g, size_t, size_t) {
        w += g.advance;
        return true;
      }))
    r.cx = ClampWidth(w);
  else
    r.cx = font_->fm.horizontalAdvance(Decode(s));
  return r;
}

size_t TQtCanvasBackend::TextFit(const std::string& s, int maxWidth, int* width) {
  if (!HaveFont()) return TCanvasBackend::TextFit(s, maxWidth, width);
  int64_t w = 0;
  size_t bytes = 0;
  const bool simple = EachGlyph(s, [&](const TGlyph& g, size_t pos, size_t len) {
    if (w + g.advance > maxWidth) return false;
    w += g.advance;
    bytes = pos + len;
    return true;
  });
  if (!simple) return TCanvasBackend::TextFit(s, maxWidth, width);
  if (width) *width = ClampWidth(w);
  return bytes;
}

TFontMetrics TQtCanvasBackend::Metrics() {
  TFontMetrics m;
  if (!HaveFont()) return m;
  // Asked for every text drawn: read once per font.
  if (!font_->metricsRead) {
    const QFontMetrics& fm = font_->fm;
    font_->metrics.Ascent = fm.ascent();
    font_->metrics.Descent = fm.descent();
    font_->metrics.Height = fm.height();
    font_->metrics.ExternalLeading = fm.leading();
    font_->metrics.AveCharWidth = fm.averageCharWidth();
    font_->metricsRead = true;
  }
  return font_->metrics;
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

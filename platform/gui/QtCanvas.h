#pragma once
// The QPainter backend of TCanvas (platform code only).

#include <QFont>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/gui/Graphics.h"

class TQtCanvasBackend : public TCanvasBackend {
 public:
  // Draws with a painter the caller keeps alive; baseClip limits every clip set later.
  explicit TQtCanvasBackend(QPainter* painter, std::optional<QRect> baseClip = std::nullopt);
  QPainter* Painter() const { return p_; }

  void SetFont(const TFontData& f) override;
  void SetPen(const TPenData& p) override;
  void SetBrush(const TBrushData& b) override;
  void FillRect(const TRect& r) override;
  void Line(int x1, int y1, int x2, int y2) override;
  void Polyline(const std::vector<TPoint>& pts) override;
  void Polygon(const std::vector<TPoint>& pts) override;
  void Rectangle(const TRect& r) override;
  void RoundRect(const TRect& r, int cx, int cy) override;
  void Ellipse(const TRect& r) override;
  void Arc(int kind, const TRect& r, TPoint start, TPoint end) override;
  void Text(int x, int y, const std::string& s, bool opaque, int underlineIndex) override;
  TSize TextExtent(const std::string& s) override;
  size_t TextFit(const std::string& s, int maxWidth, int* width) override;
  TFontMetrics Metrics() override;
  TColor Pixel(int x, int y) override;
  void SetPixel(int x, int y, TColor c) override;
  void DrawImage(const TRect& dst, const QImage& image, const TRect& src, TCopyModeValue mode,
                 TColor transparent) override;
  void FocusRect(const TRect& r) override;
  void SetClip(const TRect* r) override;
  bool CopySurface(const TRect& r, QImage& out) override;

  // The QFont a TFontData stands for (shared with widgets).
  static QFont MakeFont(const TFontData& f);
  // A font with its metrics and the glyphs and advances of the characters drawn in it,
  // kept across canvases.
  struct TFontEntry;
  // Characters whose glyphs all font entries hold now (they are bounded in number).
  static size_t CachedGlyphCount();

 private:
  void UsePen();
  void UseBrush();
  void NoPen();
  QImage* Image() const;
  QPainter* p_;
  std::optional<QRect> baseClip_;
  void UseTextPen();
  // Calls f(glyph, byte position, byte length) for each character of s until f returns
  // false; false when a character of s needs Qt's shaping (see the source).
  template <class F>
  bool EachGlyph(const std::string& s, F&& f);
  bool ReadsUtf8(const std::string& s) const;
  QString Decode(const std::string& s) const;
  void ShapedText(int x, int y, const std::string& s, bool opaque, int underlineIndex);
  TFontEntry* font_ = nullptr;       // the font chosen last, owned by the font cache
  uint64_t fontGeneration_ = 0;
  // One text's glyphs while it is drawn, kept for their room.
  std::vector<quint32> glyphs_;
  std::vector<QPointF> positions_;
  std::vector<uint8_t> faces_;
  QGlyphRun run_;
  TFontEntry* runFont_ = nullptr;  // whose face run_ holds
  uint64_t runGeneration_ = 0;
  uint8_t runFace_ = 0;
  int deviceWidth_ = -1;  // of the painter's device, read once
  bool HaveFont();
  struct TRecentFont {
    TFontData data;
    TFontEntry* entry = nullptr;
    uint64_t generation = 0;
  };
  std::array<TRecentFont, 4> recent_;
  size_t recentNext_ = 0;
  TFontData fontData_;
  QColor fontColor_;
  bool fontColorSet_ = false;
  void SetFontData(const TFontData& f);
  QPen textPen_{QColor(Qt::black), 0};  // what the painter's pen is when it draws text
  TPenData penData_;
  TBrushData brushData_;
  bool penSet_ = false, brushSet_ = false;
  QPen pen_;
  int penWidth_ = 0;  // of pen_, read without calling into Qt for every line
  bool penSolid_ = true;
  QColor penColor_;
  bool penClear_ = false;
  QBrush brush_;  // made from brushData_ when first used
  bool brushBuilt_ = false;
  const QBrush& Brush();
  QColor brushColor_;
  bool brushClear_ = false;
  QPainter::CompositionMode mode_ = QPainter::CompositionMode_SourceOver;
  // What the painter's pen and brush are set to now.
  enum { kNone, kPen, kBrush, kBoth, kOutline, kText } state_ = kNone;
};

#include "platform/gui/RecordingCanvas.h"

#include <QImage>
#include <cstdio>
#include <cstdlib>

int TRecordingCanvasBackend::CharWidth(const TFontData& f) {
  int h = std::max(1, std::abs(f.Height));
  return std::max(1, h / 2);
}
int TRecordingCanvasBackend::LineHeight(const TFontData& f) {
  int h = std::max(1, std::abs(f.Height));
  return h + h / 4;
}

TCanvasOp TRecordingCanvasBackend::Make(TCanvasOpKind k) const {
  TCanvasOp op;
  op.Kind = k;
  op.Font = font_;
  op.Pen = pen_;
  op.BrushColor = brush_.Color;
  op.BrushStyle = brush_.Style;
  op.Clipped = clipped_;
  op.Clip = clip_;
  op.Encoding = encoding_;
  return op;
}

void TRecordingCanvasBackend::FillRect(const TRect& r) {
  if (brush_.Style == bsClear) return;
  TCanvasOp op = Make(okFillRect);
  op.R = r;
  Ops.push_back(op);
}
void TRecordingCanvasBackend::Line(int x1, int y1, int x2, int y2) {
  TCanvasOp op = Make(okLine);
  op.R = TRect(x1, y1, x2, y2);
  Ops.push_back(op);
}
void TRecordingCanvasBackend::Polyline(const std::vector<TPoint>& pts) {
  TCanvasOp op = Make(okPolyline);
  op.Points = pts;
  Ops.push_back(op);
}
void TRecordingCanvasBackend::Polygon(const std::vector<TPoint>& pts) {
  TCanvasOp op = Make(okPolygon);
  op.Points = pts;
  Ops.push_back(op);
}
void TRecordingCanvasBackend::Rectangle(const TRect& r) {
  TCanvasOp op = Make(okRectangle);
  op.R = r;
  Ops.push_back(op);
}
void TRecordingCanvasBackend::RoundRect(const TRect& r, int cx, int cy) {
  TCanvasOp op = Make(okRoundRect);
  op.R = r;
  op.Points = {TPoint(cx, cy)};
  Ops.push_back(op);
}
void TRecordingCanvasBackend::Ellipse(const TRect& r) {
  TCanvasOp op = Make(okEllipse);
  op.R = r;
  Ops.push_back(op);
}
void TRecordingCanvasBackend::Arc(int kind, const TRect& r, TPoint start, TPoint end) {
  TCanvasOp op = Make(kind == 0 ? okArc : kind == 1 ? okPie : okChord);
  op.R = r;
  op.Points = {start, end};
  Ops.push_back(op);
}
void TRecordingCanvasBackend::Text(int x, int y, const std::string& s, bool opaque, int underlineIndex) {
  TCanvasOp op = Make(okText);
  TSize e = TextExtent(s);
  op.R = TRect(x, y, x + e.cx, y + e.cy);
  op.Text = s;
  op.Opaque = opaque;
  op.Underline = underlineIndex;
  op.RightToLeft = rightToLeft_;
  Ops.push_back(op);
}
TSize TRecordingCanvasBackend::TextExtent(const std::string& s) {
  MeasuredBytes += s.size();
  const bool utf8 = TextIsUtf8(s, encoding_);
  int chars = 0;
  for (size_t i = 0; i < s.size(); i += TextCharLength(s, i, utf8)) ++chars;
  return TSize{chars * CharWidth(font_), LineHeight(font_)};
}
TFontMetrics TRecordingCanvasBackend::Metrics() {
  TFontMetrics m;
  int h = std::max(1, std::abs(font_.Height));
  m.Ascent = h;
  m.Descent = h / 4;
  m.Height = m.Ascent + m.Descent;
  m.AveCharWidth = CharWidth(font_);
  return m;
}
TColor TRecordingCanvasBackend::Pixel(int x, int y) {
  auto it = pixels_.find({x, y});
  return it == pixels_.end() ? clNone : it->second;
}
void TRecordingCanvasBackend::SetPixel(int x, int y, TColor c) {
  pixels_[{x, y}] = c;
  TCanvasOp op = Make(okSetPixel);
  op.R = TRect(x, y, x + 1, y + 1);
  op.BrushColor = c;
  Ops.push_back(op);
}
void TRecordingCanvasBackend::DrawImage(const TRect& dst, const QImage&, const TRect& src, TCopyModeValue mode,
                                        TColor transparent) {
  TCanvasOp op = Make(okImage);
  op.R = dst;
  op.Source = src;
  op.CopyMode = mode;
  op.Transparent = transparent;
  Ops.push_back(op);
}
void TRecordingCanvasBackend::FocusRect(const TRect& r) {
  TCanvasOp op = Make(okFocusRect);
  op.R = r;
  Ops.push_back(op);
}
void TRecordingCanvasBackend::SetClip(const TRect* r) {
  clipped_ = r != nullptr;
  if (r) clip_ = *r;
}
std::string TRecordingCanvasBackend::Describe() const { return Ops.empty() ? std::string() : Ops.back().Describe(); }

static std::string Hex(TColor c) {
  char b[16];
  std::snprintf(b, sizeof b, "$%08X", static_cast<unsigned>(c));
  return b;
}

std::string TCanvasOp::Describe() const {
  static const char* names[] = {"fill", "line", "polyline", "polygon", "rect", "roundrect", "ellipse",
                                "arc", "pie", "chord", "text", "pixel", "image", "focus"};
  char b[96];
  std::snprintf(b, sizeof b, "%s (%d,%d,%d,%d)", names[Kind], R.Left, R.Top, R.Right, R.Bottom);
  std::string s = b;
  if (Kind == okText) {
    s += " \"" + Text + "\" font=" + std::to_string(Font.Height) + " color=" + Hex(Font.Color);
    if (Font.Style & fsBold) s += " bold";
    if (Opaque) s += " opaque=" + Hex(BrushColor);
  } else if (Kind == okFillRect || Kind == okSetPixel) {
    s += " brush=" + Hex(BrushColor);
  } else if (Kind == okLine || Kind == okPolyline) {
    s += " pen=" + Hex(Pen.Color);
  } else if (Kind == okRectangle || Kind == okEllipse || Kind == okPolygon || Kind == okRoundRect) {
    s += " pen=" + Hex(Pen.Color) + (BrushStyle == bsClear ? std::string(" clear") : " brush=" + Hex(BrushColor));
  }
  for (const auto& p : Points) s += " " + std::to_string(p.X) + "," + std::to_string(p.Y);
  if (Clipped) {
    std::snprintf(b, sizeof b, " clip(%d,%d,%d,%d)", Clip.Left, Clip.Top, Clip.Right, Clip.Bottom);
    s += b;
  }
  return s;
}

TRecordingCanvas::TRecordingCanvas(int Width, int Height) {
  auto b = std::make_unique<TRecordingCanvasBackend>();
  rec_ = b.get();
  SetBackend(std::move(b), TSize{Width, Height});
}

std::vector<std::string> TRecordingCanvas::Texts() const {
  std::vector<std::string> r;
  for (const auto& op : rec_->Ops)
    if (op.Kind == okText) r.push_back(op.Text);
  return r;
}

std::vector<TCanvasOp> TRecordingCanvas::OpsOf(TCanvasOpKind Kind) const {
  std::vector<TCanvasOp> r;
  for (const auto& op : rec_->Ops)
    if (op.Kind == Kind) r.push_back(op);
  return r;
}

std::string TRecordingCanvas::Dump() const {
  std::string s;
  for (const auto& op : rec_->Ops) s += op.Describe() + "\n";
  return s;
}

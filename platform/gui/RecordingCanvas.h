#pragma once
// A canvas that records what is drawn instead of drawing it, with fixed font
// metrics, so drawing code can be tested without pixels.
//
// Metrics: with h = |Font.Height| (at least 1), every character (a whole UTF-8 sequence
// or one byte, as the text's encoding decides) is
// max(1, h / 2) pixels wide, ascent is h, descent h / 4, a line h + h / 4
// pixels high, external leading 0, average character width max(1, h / 2).
// The default font (height -11) gives characters 5 wide and lines 13 high.

#include <map>
#include <string>
#include <vector>

#include "platform/gui/Graphics.h"

enum TCanvasOpKind { okFillRect, okLine, okPolyline, okPolygon, okRectangle, okRoundRect, okEllipse,
                     okArc, okPie, okChord, okText, okSetPixel, okImage, okFocusRect };

struct TCanvasOp {
  TCanvasOpKind Kind = okFillRect;
  TRect R;                      // rectangle, line (Left,Top)-(Right,Bottom) or text box
  std::vector<TPoint> Points;   // polylines, polygons; arc start/end
  std::string Text;             // text drawn
  bool Opaque = false;          // text drawn over its box filled with the brush colour
  int Underline = -1;           // index of the underlined (mnemonic) character
  bool RightToLeft = false;     // text read from the right
  TFontData Font;               // state in force when the operation was recorded
  TPenData Pen;
  TColor BrushColor = clWhite;
  TBrushStyle BrushStyle = bsSolid;
  bool Clipped = false;         // a clip rectangle was in force
  TRect Clip;
  TCopyModeValue CopyMode = cmSrcCopy;
  TColor Transparent = clNone;  // images: the colour left out
  TRect Source;                 // images: the source rectangle
  TTextEncoding Encoding = teAuto;  // how texts were to be read
  std::string Describe() const;
};

class TRecordingCanvasBackend : public TCanvasBackend {
 public:
  std::vector<TCanvasOp> Ops;
  // Bytes of the texts measured: what laying a text out costs.
  size_t MeasuredBytes = 0;

  void SetFont(const TFontData& f) override { font_ = f; }
  void SetPen(const TPenData& p) override { pen_ = p; }
  void SetBrush(const TBrushData& b) override { brush_ = b; }
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
  TFontMetrics Metrics() override;
  TColor Pixel(int x, int y) override;
  void SetPixel(int x, int y, TColor c) override;
  void DrawImage(const TRect& dst, const QImage& image, const TRect& src, TCopyModeValue mode,
                 TColor transparent) override;
  void FocusRect(const TRect& r) override;
  void SetClip(const TRect* r) override;
  std::string Describe() const override;

  static int CharWidth(const TFontData& f);
  static int LineHeight(const TFontData& f);

 private:
  TCanvasOp Make(TCanvasOpKind k) const;
  TFontData font_;
  TPenData pen_;
  TBrushData brush_;
  bool clipped_ = false;
  TRect clip_;
  std::map<std::pair<int, int>, TColor> pixels_;
};

class TRecordingCanvas : public TCanvas {
 public:
  // The surface size only answers ClipRect without a clip.
  explicit TRecordingCanvas(int Width = 1000, int Height = 1000);
  std::vector<TCanvasOp>& Ops() { return rec_->Ops; }
  void Clear() { rec_->Ops.clear(); }
  size_t MeasuredBytes() const { return rec_->MeasuredBytes; }
  // The texts drawn, in order.
  std::vector<std::string> Texts() const;
  // The operations of one kind.
  std::vector<TCanvasOp> OpsOf(TCanvasOpKind Kind) const;
  // One line per operation, e.g. "text (10,2) \"AB\" font=-11 color=$000000FF".
  std::string Dump() const;

 private:
  TRecordingCanvasBackend* rec_;
};

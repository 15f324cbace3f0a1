// Grid painting through TCanvas against bare QPainter doing the same operations into the
// same kind of offscreen image, in the same font, with one painter open for the whole paint.
//
// Every case paints 16 x 4096 cells, 32 rows to a screen: per cell one fill, one text and
// two one-pixel grid lines.
//
// What the QPainter side does, and why it is like for like:
// - Fills: QPainter::fillRect with a colour, as the canvas's FillRect does.
// - Grid lines: the canvas draws a thin solid line as a one-pixel fill (LineTo leaves the end
//   point out), so the baseline fills the same one-pixel rectangles.
// - Text: the canvas gets a byte string per cell and keeps nothing per text; it reads the
//   characters, looks their glyphs up in its per-font table and hands Qt one glyph run. The
//   baseline is given its texts already prepared: one QStaticText per distinct text, made
//   before the timing starts, so it does no conversion, layout or shaping while it paints.
//   That is the least work bare QPainter can do for the same pixels; the canvas does more
//   (it starts from bytes every time), never less.
// - Ellipsis: the canvas's DrawText with an end ellipsis measures the text, finds the
//   longest start that fits with "..." and draws it. The baseline does Qt's own eliding of a
//   QString made before the timing (QFontMetrics::elidedText) and draws the result: the
//   same cutting and drawing, with Qt's code for both.
//
// Cases:
// - Grid: 256 two-digit hex texts, each drawn 256 times (repeated text).
// - Distinct: 65,536 four-digit hex addresses, each drawn once per paint, as the address
//   column and cells of a 64 KB memory grid give (new text to any per-text cache).
// - Ellipsis: 65,536 distinct texts too long for their cell, cut with an end ellipsis.
// BM_Ratio_* runs both sides in turn in every iteration, each timed by the thread's CPU time;
// "ratio" is canvas time over QPainter time.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QStaticText>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gui/Graphics.h"
#include "platform/gui/QtBridge.h"
#include "platform/gui/QtCanvas.h"

namespace {
// The calling thread's CPU time: what other programs on the machine run does not count.
std::chrono::duration<double, std::micro> ThreadCpuNow() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return std::chrono::duration<double, std::micro>(double(ts.tv_sec) * 1e6 + double(ts.tv_nsec) / 1e3);
}

constexpr int kCols = 16, kRows = 4096, kCellW = 36, kCellH = 16, kVisibleRows = 32;
constexpr int kEllipsisCellW = 60;

enum TCase { kGrid, kDistinct, kEllipsis };

std::vector<std::string> MakeTexts(TCase c) {
  std::vector<std::string> v;
  const char* hex = "0123456789ABCDEF";
  for (int i = 0; i < kCols * kRows; ++i) {
    if (c == kGrid) {
      v.push_back({hex[(i >> 4) & 15], hex[i & 15]});
    } else if (c == kDistinct) {
      v.push_back({hex[(i >> 12) & 15], hex[(i >> 8) & 15], hex[(i >> 4) & 15], hex[i & 15]});
    } else {
      char buf[40];
      std::snprintf(buf, sizeof buf, "Register %04X value", i);
      v.push_back(buf);
    }
  }
  return v;
}

const std::vector<std::string>& Texts(TCase c) {
  static std::vector<std::string> t[3] = {MakeTexts(kGrid), MakeTexts(kDistinct), MakeTexts(kEllipsis)};
  return t[c];
}

int CellWidth(TCase c) { return c == kEllipsis ? kEllipsisCellW : kCellW; }

TFontData GridFont() {
  TFontData f;
  f.Name = "DejaVu Sans Mono";
  f.Height = -11;
  f.Color = clBlack;
  return f;
}

void DrawWithCanvas(TBitmap& bmp, TCase k) {
  TCanvas* c = bmp.Canvas();
  c->Font()->SetData(GridFont());
  c->Pen()->SetColor(clGray);
  const auto& texts = Texts(k);
  const int w = CellWidth(k);
  for (int r = 0; r < kRows; ++r) {
    int y = (r % kVisibleRows) * kCellH;
    for (int col = 0; col < kCols; ++col) {
      int x = col * w;
      c->Brush()->SetColor((r & 1) ? clWhite : clCream);
      c->FillRect(TRect(x, y, x + w, y + kCellH));
      c->Brush()->SetStyle(bsClear);
      const std::string& t = texts[static_cast<size_t>(r * kCols + col)];
      if (k == kEllipsis) {
        TRect cell(x + 2, y + 1, x + w - 2, y + kCellH - 1);
        c->DrawText(t, cell, DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
      } else {
        c->TextOut(x + 5, y + 1, t);
      }
      c->MoveTo(x + w - 1, y);
      c->LineTo(x + w - 1, y + kCellH);
      c->MoveTo(x, y + kCellH - 1);
      c->LineTo(x + w, y + kCellH - 1);
    }
  }
  bmp.Image();  // finish painting
}

// Texts prepared for bare QPainter before any timing.
struct TPrepared {
  QFont font;
  std::vector<QStaticText> statics;
  std::vector<QString> strings;
};

const TPrepared& Prepared(TCase k) {
  static TPrepared p[3];
  TPrepared& r = p[k];
  if (!r.strings.empty()) return r;
  r.font = TQtCanvasBackend::MakeFont(GridFont());
  for (const std::string& t : Texts(k)) {
    QString q = QString::fromLatin1(t.data(), static_cast<qsizetype>(t.size()));
    r.strings.push_back(q);
    if (k == kEllipsis) continue;
    QStaticText s(q);
    s.setTextFormat(Qt::PlainText);
    s.setPerformanceHint(QStaticText::AggressiveCaching);
    s.prepare(QTransform(), r.font);
    r.statics.push_back(std::move(s));
  }
  return r;
}

void DrawWithQPainter(QImage& img, TCase k) {
  const TPrepared& prep = Prepared(k);
  QPainter p(&img);
  p.setFont(prep.font);
  QFontMetrics fm(prep.font, &img);
  const int ascent = fm.ascent();
  const QColor white(Qt::white), cream(0xFF, 0xFB, 0xF0), black(Qt::black), grid(0x80, 0x80, 0x80);
  p.setPen(black);
  const int w = CellWidth(k);
  for (int r = 0; r < kRows; ++r) {
    int y = (r % kVisibleRows) * kCellH;
    for (int col = 0; col < kCols; ++col) {
      int x = col * w;
      const size_t i = static_cast<size_t>(r * kCols + col);
      p.fillRect(QRect(x, y, w, kCellH), (r & 1) ? white : cream);
      if (k == kEllipsis)
        p.drawText(QPoint(x + 2, y + 1 + ascent), fm.elidedText(prep.strings[i], Qt::ElideRight, w - 4));
      else
        p.drawStaticText(QPointF(x + 5, y + 1), prep.statics[i]);
      p.fillRect(QRect(x + w - 1, y, 1, kCellH), grid);
      p.fillRect(QRect(x, y + kCellH - 1, w, 1), grid);
    }
  }
}

QSize Surface(TCase k) { return QSize(kCols * CellWidth(k), kVisibleRows * kCellH); }

void Canvas(benchmark::State& state, TCase k) {
  TBitmap bmp(Surface(k).width(), Surface(k).height());
  for (auto _ : state) DrawWithCanvas(bmp, k);
  state.SetItemsProcessed(state.iterations() * kCols * kRows);
}

void Painter(benchmark::State& state, TCase k) {
  Prepared(k);
  QImage img(Surface(k), QImage::Format_RGB32);
  for (auto _ : state) DrawWithQPainter(img, k);
  state.SetItemsProcessed(state.iterations() * kCols * kRows);
}

void Ratio(benchmark::State& state, TCase k) {
  Prepared(k);
  TBitmap bmp(Surface(k).width(), Surface(k).height());
  QImage img(Surface(k), QImage::Format_RGB32);
  double tc = 0, tq = 0;
  for (auto _ : state) {
    auto a = ThreadCpuNow();
    DrawWithCanvas(bmp, k);
    auto b = ThreadCpuNow();
    DrawWithQPainter(img, k);
    auto c = ThreadCpuNow();
    tc += (b - a).count() / 1000;
    tq += (c - b).count() / 1000;
  }
  state.counters["tcanvas_ms"] = tc / static_cast<double>(state.iterations());
  state.counters["qpainter_ms"] = tq / static_cast<double>(state.iterations());
  state.counters["ratio"] = tq > 0 ? tc / tq : 0;
}

void BM_TCanvasGrid(benchmark::State& s) { Canvas(s, kGrid); }
void BM_QPainterGrid(benchmark::State& s) { Painter(s, kGrid); }
void BM_Ratio_Grid(benchmark::State& s) { Ratio(s, kGrid); }
void BM_TCanvasDistinct(benchmark::State& s) { Canvas(s, kDistinct); }
void BM_QPainterDistinct(benchmark::State& s) { Painter(s, kDistinct); }
void BM_Ratio_Distinct(benchmark::State& s) { Ratio(s, kDistinct); }
void BM_TCanvasEllipsis(benchmark::State& s) { Canvas(s, kEllipsis); }
void BM_QPainterEllipsis(benchmark::State& s) { Painter(s, kEllipsis); }
void BM_Ratio_Ellipsis(benchmark::State& s) { Ratio(s, kEllipsis); }

BENCHMARK(BM_TCanvasGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QPainterGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Ratio_Grid)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_TCanvasDistinct)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QPainterDistinct)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Ratio_Distinct)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_TCanvasEllipsis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QPainterEllipsis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Ratio_Ellipsis)->Unit(benchmark::kMillisecond)->MinTime(2.0);
}  // namespace


// A 16 x 4096 grid of two-digit hex texts with cell fills and grid lines,
// drawn through TCanvas and with bare QPainter calls into the same kind of
// offscreen image; the ratio is the layer's cost.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gui/Graphics.h"
#include "platform/gui/QtBridge.h"
#include "platform/gui/QtCanvas.h"

namespace {
constexpr int kCols = 16, kRows = 4096, kCellW = 24, kCellH = 16, kVisibleRows = 32;

const std::vector<std::string>& Texts() {
  static std::vector<std::string> t = [] {
    std::vector<std::string> v;
    const char* hex = "0123456789ABCDEF";
    for (int i = 0; i < kCols * kRows; ++i) v.push_back({hex[(i >> 4) & 15], hex[i & 15]});
    return v;
  }();
  return t;
}

void DrawWithCanvas(TBitmap& bmp) {
  TCanvas* c = bmp.Canvas();
  c->Font()->SetName("DejaVu Sans Mono");
  c->Font()->SetHeight(-11);
  c->Font()->SetColor(clBlack);
  c->Pen()->SetColor(clGray);
  const auto& texts = Texts();
  for (int r = 0; r < kRows; ++r) {
    int y = (r % kVisibleRows) * kCellH;
    for (int col = 0; col < kCols; ++col) {
      int x = col * kCellW;
      c->Brush()->SetColor((r & 1) ? clWhite : clCream);
      c->FillRect(TRect(x, y, x + kCellW, y + kCellH));
      c->Brush()->SetStyle(bsClear);
      c->TextOut(x + 5, y + 1, texts[static_cast<size_t>(r * kCols + col)]);
      c->MoveTo(x + kCellW - 1, y);
      c->LineTo(x + kCellW - 1, y + kCellH);
      c->MoveTo(x, y + kCellH - 1);
      c->LineTo(x + kCellW, y + kCellH - 1);
    }
  }
  bmp.Image();  // finish painting
}

void DrawWithQPainter(QImage& img) {
  QPainter p(&img);
  QFont f("DejaVu Sans Mono");
  f.setPixelSize(11);
  p.setFont(f);
  QFontMetrics fm(f, &img);
  int ascent = fm.ascent();
  QPen grid(QColor(0x80, 0x80, 0x80), 0);
  grid.setCapStyle(Qt::FlatCap);
  QColor white(Qt::white), cream(0xFF, 0xFB, 0xF0), black(Qt::black);
  const auto& texts = Texts();
  for (int r = 0; r < kRows; ++r) {
    int y = (r % kVisibleRows) * kCellH;
    for (int col = 0; col < kCols; ++col) {
      int x = col * kCellW;
      p.fillRect(QRect(x, y, kCellW, kCellH), (r & 1) ? white : cream);
      const std::string& t = texts[static_cast<size_t>(r * kCols + col)];
      p.setPen(black);
      p.drawText(QPoint(x + 5, y + 1 + ascent), QString::fromLatin1(t.data(), static_cast<qsizetype>(t.size())));
      p.setPen(grid);
      p.drawLine(x + kCellW - 1, y, x + kCellW - 1, y + kCellH);
      p.drawLine(x, y + kCellH - 1, x + kCellW, y + kCellH - 1);
    }
  }
}

void BM_TCanvasGrid(benchmark::State& state) {
  TBitmap bmp(kCols * kCellW, kVisibleRows * kCellH);
  for (auto _ : state) DrawWithCanvas(bmp);
  state.SetItemsProcessed(state.iterations() * kCols * kRows);
}
BENCHMARK(BM_TCanvasGrid)->Unit(benchmark::kMillisecond);

void BM_QPainterGrid(benchmark::State& state) {
  QImage img(kCols * kCellW, kVisibleRows * kCellH, QImage::Format_RGB32);
  for (auto _ : state) DrawWithQPainter(img);
  state.SetItemsProcessed(state.iterations() * kCols * kRows);
}
BENCHMARK(BM_QPainterGrid)->Unit(benchmark::kMillisecond);

// Both in turn in every iteration; "ratio" is TCanvas time over QPainter time.
void BM_Ratio(benchmark::State& state) {
  TBitmap bmp(kCols * kCellW, kVisibleRows * kCellH);
  QImage img(kCols * kCellW, kVisibleRows * kCellH, QImage::Format_RGB32);
  double tc = 0, tq = 0;
  for (auto _ : state) {
    auto a = std::chrono::steady_clock::now();
    DrawWithCanvas(bmp);
    auto b = std::chrono::steady_clock::now();
    DrawWithQPainter(img);
    auto c = std::chrono::steady_clock::now();
    tc += std::chrono::duration<double, std::milli>(b - a).count();
    tq += std::chrono::duration<double, std::milli>(c - b).count();
  }
  state.counters["tcanvas_ms"] = tc / static_cast<double>(state.iterations());
  state.counters["qpainter_ms"] = tq / static_cast<double>(state.iterations());
  state.counters["ratio"] = tq > 0 ? tc / tq : 0;
}
BENCHMARK(BM_Ratio)->Unit(benchmark::kMillisecond)->MinTime(2.0);
}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// Measuring plus drawing of a status line and of a 20-line cell text, by the
// markup renderer on a Qt-backed bitmap canvas and by QTextDocument on a
// QImage, with the same content.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTextDocument>

#include "controls/markup/EsgHTMLE.h"
#include "platform/gui/RecordingCanvas.h"

namespace {

const std::string kStatusMarkup =
    "<B>Ready</B>: port <FONT COLOR=\"clred\">LPT1</FONT> at <I>100 KHz</I>";
const QString kStatusHtml = "<b>Ready</b>: port <font color=\"red\">LPT1</font> at <i>100 KHz</i>";

std::string CellMarkup() {
  std::string s = "<B>Device registers</B><UL>";
  for (int i = 0; i < 18; ++i)
    s += "<LI>Register " + std::to_string(i) + " <A HREF=\"reg" + std::to_string(i) + "\">edit</A> value";
  s += "</UL><I>end of list</I>";
  return s;
}

QString CellHtml() {
  QString s = "<b>Device registers</b><ul>";
  for (int i = 0; i < 18; ++i)
    s += QString("<li>Register %1 <a href=\"reg%1\">edit</a> value</li>").arg(i);
  s += "</ul><i>end of list</i>";
  return s;
}

void Renderer(benchmark::State& state, const std::string& text, int height, TCanvas* canvas) {
  const TRect r(0, 0, 400, height);
  for (auto _ : state) {
    THTMLDrawParams m;
    m.Canvas = canvas;
    m.Text = text;
    m.Rect = r;
    m.CheckHeight = true;
    HTMLDrawEngine(GridMarkupDialect, m);
    THTMLDrawParams d;
    d.Canvas = canvas;
    d.Text = text;
    d.Rect = r;
    HTMLDrawEngine(GridMarkupDialect, d);
    benchmark::DoNotOptimize(m.YSize + d.XSize);
    if (auto* recording = dynamic_cast<TRecordingCanvas*>(canvas)) recording->Clear();
  }
}

void Renderer(benchmark::State& state, const std::string& text, int height) {
  TBitmap bmp(400, 400);
  Renderer(state, text, height, bmp.Canvas());
}

// The engine's own work: a canvas that records instead of drawing glyphs.
void RendererRecording(benchmark::State& state, const std::string& text, int height) {
  TRecordingCanvas canvas(400, 400);
  Renderer(state, text, height, &canvas);
}

void RendererMeasure(benchmark::State& state, const std::string& text) {
  TBitmap bmp(400, 400);
  for (auto _ : state) {
    THTMLDrawParams m;
    m.Canvas = bmp.Canvas();
    m.Text = text;
    m.Rect = TRect(0, 0, 400, 400);
    m.CheckHeight = true;
    HTMLDrawEngine(GridMarkupDialect, m);
    benchmark::DoNotOptimize(m.YSize);
  }
}

void TextDocumentLayout(benchmark::State& state, const QString& html) {
  for (auto _ : state) {
    QTextDocument doc;
    doc.setHtml(html);
    doc.setTextWidth(400);
    benchmark::DoNotOptimize(doc.size());
  }
}

void TextDocument(benchmark::State& state, const QString& html, int height) {
  QImage img(400, 400, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    QTextDocument doc;
    doc.setHtml(html);
    doc.setTextWidth(400);
    const QSizeF size = doc.size();
    QPainter p(&img);
    doc.drawContents(&p, QRectF(0, 0, 400, height));
    p.end();
    benchmark::DoNotOptimize(size);
  }
}

void BM_StatusLine_Renderer(benchmark::State& s) { Renderer(s, kStatusMarkup, 20); }
void BM_StatusLine_QTextDocument(benchmark::State& s) { TextDocument(s, kStatusHtml, 20); }
void BM_CellText20_Renderer(benchmark::State& s) { Renderer(s, CellMarkup(), 400); }
void BM_CellText20_QTextDocument(benchmark::State& s) { TextDocument(s, CellHtml(), 400); }

void BM_StatusLine_RendererRecording(benchmark::State& s) { RendererRecording(s, kStatusMarkup, 20); }
void BM_CellText20_RendererRecording(benchmark::State& s) { RendererRecording(s, CellMarkup(), 400); }
void BM_StatusLine_RendererMeasureOnly(benchmark::State& s) { RendererMeasure(s, kStatusMarkup); }
void BM_StatusLine_QTextDocumentLayoutOnly(benchmark::State& s) { TextDocumentLayout(s, kStatusHtml); }
void BM_CellText20_RendererMeasureOnly(benchmark::State& s) { RendererMeasure(s, CellMarkup()); }
void BM_CellText20_QTextDocumentLayoutOnly(benchmark::State& s) { TextDocumentLayout(s, CellHtml()); }

BENCHMARK(BM_StatusLine_Renderer);
BENCHMARK(BM_StatusLine_QTextDocument);
BENCHMARK(BM_CellText20_Renderer);
BENCHMARK(BM_CellText20_QTextDocument);
BENCHMARK(BM_StatusLine_RendererRecording);
BENCHMARK(BM_CellText20_RendererRecording);
BENCHMARK(BM_StatusLine_RendererMeasureOnly);
BENCHMARK(BM_StatusLine_QTextDocumentLayoutOnly);
BENCHMARK(BM_CellText20_RendererMeasureOnly);
BENCHMARK(BM_CellText20_QTextDocumentLayoutOnly);

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

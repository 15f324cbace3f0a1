// The markup renderer against QTextDocument, showing the same marked-up content: a status
// line and a 20-line cell text (a list of registers with anchors), repeated and new.
//
// What each side does per call, and why it is like for like:
// - The renderer gets the marked-up text, measures it (one call that only measures, as a grid
//   does to size a cell) and draws it (a second call), wrapping at the rectangle's width, on a
//   bitmap canvas whose painter stays open across calls.
// - QTextDocument gets the same content as HTML, parses it (setHtml on one document object
//   kept across calls), lays it out wrapped at the same width and asks its size (the
//   measuring), then draws it with one QPainter that stays open across calls.
// - Both use the same font (the canvas's font for its font data, made the document's default
//   font), draw into the same kind of image (32-bit RGB, the bitmap's format: blending text
//   into it costs more than into a premultiplied image), and parse, lay out and draw on every call:
//   neither side keeps a laid-out text from one call to the next.
// - Repeated text: the same text on every call, so whatever either side keeps per word or per
//   glyph (the renderer's text-extent cache, Qt's glyph and shaping caches) answers.
//   New text: every call gets a text whose words were never seen before (each word of the
//   repeated text replaced by random letters of its length, in the same markup; the
//   "Accented" cases draw about one letter in four from accented Latin letters), made before
//   the timing starts; each case runs exactly as many calls as it has texts, so no text comes
//   twice.
// BM_Speedup_* times both sides in turn on the same texts, a block of 50 calls each, by the
// thread's CPU time; "speedup" is QTextDocument time over renderer time.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTextDocument>
#include <chrono>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "controls/markup/EsgHTMLE.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/QtCanvas.h"

namespace {
// The calling thread's CPU time: what other programs on the machine run does not count.
std::chrono::duration<double, std::micro> ThreadCpuNow() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return std::chrono::duration<double, std::micro>(double(ts.tv_sec) * 1e6 + double(ts.tv_nsec) / 1e3);
}


constexpr int kWidth = 400;
constexpr int kNewStatusTexts = 20000, kNewCellTexts = 1000;

TFontData Font() { return TFontData{.Name = "DejaVu Sans", .Height = -11, .Color = clBlack}; }

// One content in both languages.
struct TContent {
  std::string markup;
  QString html;
  int height;
};

// New words for the words of a text: random letters, as long as the word they stand for, so
// a new text has the shape and glyph count of the repeated one and differs only in being new.
// A seed gives the same words on both sides.
// With accents, about one letter in four is an accented Latin letter (two bytes of UTF-8), as
// in status lines of names and messages in most European languages.
class TWords {
 public:
  explicit TWords(unsigned seed, bool accents = false) : rng_(seed), accents_(accents) {}
  std::string For(const std::string& word) {
    static const char* const kAccented[] = {"\u00E9", "\u00E8", "\u00E0", "\u00FC", "\u00F6", "\u00E4",
                                            "\u00F1", "\u00E7", "\u00F8", "\u00E5", "\u00ED", "\u00F3"};
    std::uniform_int_distribution<int> letter(0, 25), accented(0, 11), oneIn(0, 3);
    std::string w;
    for (char ch : word) {
      if (ch == ' ')
        w += ch;
      else if (accents_ && oneIn(rng_) == 0)
        w += kAccented[accented(rng_)];
      else
        w += char('a' + letter(rng_));
    }
    return w;
  }

 private:
  std::mt19937 rng_;
  bool accents_;
};

TContent Status(TWords* w) {
  auto word = [&](const char* fixed) { return w ? w->For(fixed) : std::string(fixed); };
  const std::string a = word("Ready"), b = word("LPT1"), c = word("100 KHz"), port = word("port"), at = word("at");
  TContent t;
  t.markup = "<B>" + a + "</B>: " + port + " <FONT COLOR=\"clred\">" + b + "</FONT> " + at + " <I>" + c + "</I>";
  t.html = QString::fromStdString("<b>" + a + "</b>: " + port + " <font color=\"red\">" + b + "</font> " + at +
                                  " <i>" + c + "</i>");
  t.height = 20;
  return t;
}

TContent Cell(TWords* w) {
  auto word = [&](const std::string& fixed) { return w ? w->For(fixed) : fixed; };
  TContent t;
  const std::string title = word("Device") + " " + word("registers");
  std::string m = "<B>" + title + "</B><UL>";
  std::string h = "<b>" + title + "</b><ul>";
  for (int i = 0; i < 18; ++i) {
    const std::string name = word("Register") + " " + word(std::to_string(i)), link = word("edit"),
                      value = word("value");
    m += "<LI>" + name + " <A HREF=\"reg" + std::to_string(i) + "\">" + link + "</A> " + value;
    h += "<li>" + name + " <a href=\"reg" + std::to_string(i) + "\">" + link + "</a> " + value + "</li>";
  }
  const std::string end = word("end") + " " + word("of") + " " + word("list");
  m += "</UL><I>" + end + "</I>";
  h += "</ul><i>" + end + "</i>";
  t.markup = m;
  t.html = QString::fromStdString(h);
  t.height = 400;
  return t;
}

std::vector<TContent> NewTexts(TContent (*make)(TWords*), int n, unsigned seed, bool accents = false) {
  TWords words(seed, accents);
  std::vector<TContent> v;
  v.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) v.push_back(make(&words));
  return v;
}

// The renderer's side of one call pair: measure, then draw.
struct TRendererSide {
  TBitmap bmp{kWidth, 400};
  TRendererSide() {
    bmp.Canvas()->Font()->SetData(Font());
    bmp.Canvas()->Brush()->SetColor(clWhite);
  }
  int Run(const TContent& t) {
    const TRect r(0, 0, kWidth, t.height);
    THTMLDrawParams m;
    m.Canvas = bmp.Canvas();
    m.Text = t.markup;
    m.Rect = r;
    m.WordWrap = true;
    m.CheckHeight = true;
    HTMLDrawEngine(GridMarkupDialect, m);
    THTMLDrawParams d;
    d.Canvas = bmp.Canvas();
    d.Text = t.markup;
    d.Rect = r;
    d.WordWrap = true;
    HTMLDrawEngine(GridMarkupDialect, d);
    return m.YSize + d.XSize;
  }
};

// QTextDocument's side: parse, lay out and size, then draw, with one open painter.
struct TDocumentSide {
  QImage img{kWidth, 400, QImage::Format_RGB32};  // the bitmap canvas's format
  QPainter painter;
  QTextDocument doc;
  TDocumentSide() {
    img.fill(Qt::white);
    painter.begin(&img);
    doc.setDefaultFont(TQtCanvasBackend::MakeFont(Font()));
    doc.setDocumentMargin(0);
  }
  int Run(const TContent& t) {
    doc.setHtml(t.html);
    doc.setTextWidth(kWidth);
    const QSizeF size = doc.size();
    doc.drawContents(&painter, QRectF(0, 0, kWidth, t.height));
    return int(size.height());
  }
};

template <class Side>
void Repeated(benchmark::State& state, const TContent& t) {
  Side side;
  for (auto _ : state) benchmark::DoNotOptimize(side.Run(t));
}

template <class Side>
void New(benchmark::State& state, const std::vector<TContent> texts) {
  Side side;
  size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(side.Run(texts[i++ % texts.size()]));
}

// Both sides on the same texts, in turn, a block of calls each, so both run under the same
// load on the machine and each in its own steady state (calls alternating one by one would
// have each side find its caches emptied by the other). Each text once per side when the
// texts are new; an iteration is one block.
constexpr int kBlock = 50;

void Speedup(benchmark::State& state, const std::vector<TContent> texts) {
  TRendererSide renderer;
  TDocumentSide document;
  double tr = 0, td = 0;
  size_t next = 0;
  for (auto _ : state) {
    const size_t first = next;
    next += kBlock;
    auto a = ThreadCpuNow();
    for (size_t i = first; i < next; ++i) benchmark::DoNotOptimize(renderer.Run(texts[i % texts.size()]));
    auto b = ThreadCpuNow();
    for (size_t i = first; i < next; ++i) benchmark::DoNotOptimize(document.Run(texts[i % texts.size()]));
    auto c = ThreadCpuNow();
    tr += (b - a).count();
    td += (c - b).count();
  }
  const double calls = double(state.iterations()) * kBlock;
  state.counters["renderer_us"] = tr / calls;
  state.counters["qtextdocument_us"] = td / calls;
  state.counters["speedup"] = tr > 0 ? td / tr : 0;
}

// Every benchmark makes its own new texts (its own seed), so none meets a text that an
// earlier benchmark left in a cache.
std::vector<TContent> NewStatus(unsigned seed) { return NewTexts(Status, kNewStatusTexts, seed); }
std::vector<TContent> NewCells(unsigned seed) { return NewTexts(Cell, kNewCellTexts, seed); }
std::vector<TContent> NewAccentedStatus(unsigned seed) { return NewTexts(Status, kNewStatusTexts, seed, true); }
const TContent& AccentedStatusText() {
  static const TContent t = NewTexts(Status, 1, 99, true).front();
  return t;
}
const TContent& StatusText() {
  static const TContent t = Status(nullptr);
  return t;
}
const TContent& CellText() {
  static const TContent t = Cell(nullptr);
  return t;
}

void BM_StatusLine_Renderer(benchmark::State& s) { Repeated<TRendererSide>(s, StatusText()); }
void BM_StatusLine_QTextDocument(benchmark::State& s) { Repeated<TDocumentSide>(s, StatusText()); }
void BM_CellText20_Renderer(benchmark::State& s) { Repeated<TRendererSide>(s, CellText()); }
void BM_CellText20_QTextDocument(benchmark::State& s) { Repeated<TDocumentSide>(s, CellText()); }
void BM_NewStatusLine_Renderer(benchmark::State& s) { New<TRendererSide>(s, NewStatus(1)); }
void BM_NewStatusLine_QTextDocument(benchmark::State& s) { New<TDocumentSide>(s, NewStatus(2)); }
void BM_NewCellText20_Renderer(benchmark::State& s) { New<TRendererSide>(s, NewCells(3)); }
void BM_NewCellText20_QTextDocument(benchmark::State& s) { New<TDocumentSide>(s, NewCells(4)); }

void BM_Speedup_StatusLine(benchmark::State& s) { Speedup(s, {StatusText()}); }
void BM_Speedup_CellText20(benchmark::State& s) { Speedup(s, {CellText()}); }
void BM_Speedup_NewStatusLine(benchmark::State& s) { Speedup(s, NewStatus(5)); }
void BM_Speedup_NewCellText20(benchmark::State& s) { Speedup(s, NewCells(6)); }
void BM_Speedup_AccentedStatusLine(benchmark::State& s) { Speedup(s, {AccentedStatusText()}); }
void BM_Speedup_NewAccentedStatusLine(benchmark::State& s) { Speedup(s, NewAccentedStatus(7)); }

BENCHMARK(BM_StatusLine_Renderer);
BENCHMARK(BM_StatusLine_QTextDocument);
BENCHMARK(BM_CellText20_Renderer);
BENCHMARK(BM_CellText20_QTextDocument);
// New texts: exactly one call per text.
BENCHMARK(BM_NewStatusLine_Renderer)->Iterations(kNewStatusTexts);
BENCHMARK(BM_NewStatusLine_QTextDocument)->Iterations(kNewStatusTexts);
BENCHMARK(BM_NewCellText20_Renderer)->Iterations(kNewCellTexts);
BENCHMARK(BM_NewCellText20_QTextDocument)->Iterations(kNewCellTexts);
BENCHMARK(BM_Speedup_StatusLine)->MinTime(1.0);
BENCHMARK(BM_Speedup_CellText20)->MinTime(1.0);
BENCHMARK(BM_Speedup_NewStatusLine)->Iterations(kNewStatusTexts / kBlock);
BENCHMARK(BM_Speedup_NewCellText20)->Iterations(kNewCellTexts / kBlock);
BENCHMARK(BM_Speedup_AccentedStatusLine)->MinTime(1.0);
BENCHMARK(BM_Speedup_NewAccentedStatusLine)->Iterations(kNewStatusTexts / kBlock);

}  // namespace


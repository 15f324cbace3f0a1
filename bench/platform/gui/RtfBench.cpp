// Reading a 1 MB RTF into a rich text document against Qt reading the same text as HTML.
//
// The text: paragraphs of words in runs, about one run in three words formatted (bold,
// italic, underline, a colour, a font size, a second font), a paragraph in eight centred,
// the odd Cyrillic word. The RTF is as an office program writes it (font and colour tables,
// \pard and a group per run, \uN with a fallback for Cyrillic); the HTML holds the same runs
// as <p> with an alignment, <b>, <i>, <u> and <span style> with the font, size and colour,
// and the Cyrillic as UTF-8 characters.
//
// Program: TRichDocument::LoadRtf (tokenizing, code page and Unicode decoding, runs, then the
// QTextDocument built block by block). Baseline: QTextDocument::setHtml of the HTML, Qt's
// own parser and document builder. Neither side lays the text out (both leave that to the
// first paint or measurement). Each side gets a new document in its untimed preparation.
//
// BM_RtfAgainstHtml/0: the same text every round (repeated data); /1: a new text each round
// (new data: other words, so no cache of either side sees the text twice).
#include <benchmark/benchmark.h>

#include <QTextDocument>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/Interleaved.h"
#include "platform/gui/RichText.h"

namespace {

struct TTexts {
  std::string rtf, html;
};

TTexts MakeTexts(unsigned seed, size_t rtfBytes) {
  static const char* const kWords[] = {"register", "bus", "clock", "address", "byte", "page",
                                       "EEPROM", "acknowledge", "start", "stop", "read", "write",
                                       "device", "value", "cell", "grid"};
  static const char* const kCyrRtf = "\\u1096?\\u1080?\\u1085?\\u1072?";  // шина
  static const char* const kCyrHtml = "\u0448\u0438\u043D\u0430";
  std::mt19937 rng(seed);
  TTexts t;
  t.rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Liberation Sans;}"
          "{\\f1\\fmodern\\fcharset0 Liberation Mono;}}{\\colortbl;\\red255\\green0\\blue0;"
          "\\red0\\green0\\blue255;\\red0\\green128\\blue0;}\n";
  t.html = "<html><body>";
  static const char* const kColors[] = {"", "#ff0000", "#0000ff", "#008000"};
  int para = 0;
  while (t.rtf.size() < rtfBytes) {
    const bool centred = para++ % 8 == 7;
    t.rtf += centred ? "\\pard\\qc " : "\\pard ";
    t.html += centred ? "<p align=\"center\">" : "<p>";
    const int runs = 10 + static_cast<int>(rng() % 10);
    for (int r = 0; r < runs; ++r) {
      std::string words;
      std::string rtfWords;
      const int n = 1 + static_cast<int>(rng() % 5);
      for (int w = 0; w < n; ++w) {
        if (rng() % 40 == 0) {
          rtfWords += kCyrRtf;
          words += kCyrHtml;
        } else {
          const char* word = kWords[rng() % 16];
          rtfWords += word;
          words += word;
          rtfWords += std::to_string(rng() % 100);
          words += std::to_string(rng() % 100);
        }
        rtfWords += ' ';
        words += ' ';
      }
      const bool formatted = rng() % 3 == 0;
      const unsigned kind = rng() % 6;
      if (!formatted) {
        t.rtf += "{\\f0\\fs20 " + rtfWords + "}";
        t.html += "<span style=\"font-family:'Liberation Sans'; font-size:10pt\">" + words + "</span>";
        continue;
      }
      static const char* const kRtfWord[] = {"\\b", "\\i", "\\ul", "\\cf", "\\fs28", "\\f1"};
      std::string rtfFmt = kRtfWord[kind];
      int color = 0;
      if (kind == 3) {
        color = 1 + static_cast<int>(rng() % 3);
        rtfFmt += std::to_string(color);
      }
      t.rtf += "{\\f0\\fs20" + rtfFmt + " " + rtfWords + "}";
      std::string style = "font-family:'Liberation Sans'; font-size:10pt";
      if (kind == 3) style += std::string("; color:") + kColors[color];
      if (kind == 4) style = "font-family:'Liberation Sans'; font-size:14pt";
      if (kind == 5) style = "font-family:'Liberation Mono'; font-size:10pt";
      std::string open = "<span style=\"" + style + "\">", close = "</span>";
      if (kind == 0) open += "<b>", close = "</b>" + close;
      if (kind == 1) open += "<i>", close = "</i>" + close;
      if (kind == 2) open += "<u>", close = "</u>" + close;
      t.html += open + words + close;
    }
    t.rtf += "\\par\n";
    t.html += "</p>\n";
  }
  t.rtf += "}";
  t.html += "</body></html>";
  return t;
}

constexpr size_t kBytes = 1 << 20;

void BM_RtfAgainstHtml(benchmark::State& state) {
  constexpr int kRounds = 9;
  const bool fresh = state.range(0) != 0;
  std::vector<TTexts> texts;
  for (int k = 0; k < (fresh ? kRounds : 1); ++k) texts.push_back(MakeTexts(1 + k, kBytes));
  size_t programNext = 0, baselineNext = 0;  // each side reads the texts in the same order
  const TTexts* programText = nullptr;
  const TTexts* baselineText = nullptr;
  std::unique_ptr<TRichDocument> rich;
  std::unique_ptr<QTextDocument> doc;
  bench::TSide program{[&] {
                         programText = &texts[programNext++ % texts.size()];
                         rich = std::make_unique<TRichDocument>();
                       },
                       [&] { rich->LoadRtf(programText->rtf); }, {}};
  bench::TSide baseline{[&] {
                          baselineText = &texts[baselineNext++ % texts.size()];
                          doc = std::make_unique<QTextDocument>();
                        },
                        [&] { doc->setHtml(QString::fromStdString(baselineText->html)); }, {}};
  bench::Interleave(state, kRounds, program, baseline);
  state.counters["rtf_kb"] = static_cast<double>(texts[0].rtf.size()) / 1024;
  state.counters["html_kb"] = static_cast<double>(texts[0].html.size()) / 1024;
}

}  // namespace

BENCHMARK(BM_RtfAgainstHtml)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

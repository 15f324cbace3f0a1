// Painting a view whose one cell holds a 1 MB paragraph against the same view whose cell holds
// a 1 KB one, rich and plain, both through the grid component, in turns within one run
// (bench/Interleaved.h): what a cell costs must follow its size, not its text's length.
//
// Like for like: two grids of the same size, columns, rows, font and word wrap; cell (1, 1)
// holds one paragraph of words (rich: RTF with a font table, a colour table and bold around
// the same words), the other cells are empty. "Repeated" paints the same text again; "new"
// gives the cell a text never shown before (round number at its start) before each round, on
// both sides; the change itself is not timed, and nothing paints the new text before the timed
// paint (the events left by the last round are handled before the change, not after it), so
// whatever the paint keeps of a text it has drawn (the rich documents) is of no help there.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QWidget>
#include <string>

#include "bench/Interleaved.h"
#include "controls/grid/ExtGrid.h"
#include "platform/gui/Forms.h"

namespace {

std::string Words(size_t Bytes) {
  static const char* const kWords[] = {"lorem", "ipsum", "dolor", "sit", "amet", "consectetur", "adipiscing", "elit"};
  std::string s;
  s.reserve(Bytes + 16);
  for (size_t i = 0; s.size() < Bytes; ++i) s.append(kWords[i % 8]).push_back(' ');
  s.resize(Bytes);
  return s;
}

struct TSide {
  TForm* Form;
  TExtStringGrid* Grid;
  bool Rich;
  std::string Body;
  TSide(bool rich, size_t bytes) : Rich(rich), Body(Words(bytes)) {
    Form = new TForm(Application);
    Form->SetClientSize(340, 240);
    Grid = new TExtStringGrid(Form);
    Grid->SetParent(Form);
    Grid->SetBounds(0, 0, 340, 240);
    Grid->SetColCount(4);
    Grid->SetRowCount(5);
    Grid->SetDefaultRowHeight(21);
    Grid->SetDefaultColWidth(66);
    Grid->SetColWidths(1, 160);
    Grid->SetRowHeights(1, 80);
    Grid->SetWordWrap(true);
    Grid->Loaded();
    Form->Show();
  }
  void Fill(int round) {
    QCoreApplication::processEvents();
    const std::string n = std::to_string(round) + " ";
    Grid->SetCells(1, 1, Rich ? "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red200\\green0\\blue0;}\\f0\\b " + n +
                                    "\\b0\\cf1 " + Body + "}"
                              : n + Body);
  }
  void Paint(QImage& img) { Grid->ClientWidget()->render(&img); }
};

// Arguments: rich (0 plain, 1 rich), new (0 repeated, 1 a new text each round).
void BM_PaintLongParagraphAgainstShort(benchmark::State& state) {
  const bool rich = state.range(0) == 1, fresh = state.range(1) == 1;
  static TSide longRich(true, 1 << 20), shortRich(true, 1 << 10), longPlain(false, 1 << 20), shortPlain(false, 1 << 10);
  TSide& big = rich ? longRich : longPlain;
  TSide& small = rich ? shortRich : shortPlain;
  static QImage image(340, 240, QImage::Format_ARGB32_Premultiplied);
  int bigRound = 0, smallRound = 0;
  big.Fill(0);
  small.Fill(0);
  big.Paint(image);
  small.Paint(image);
  bench::Interleave(state, 41, {[&] { if (fresh) big.Fill(++bigRound); }, [&] { big.Paint(image); }, {}},
                    {[&] { if (fresh) small.Fill(++smallRound); }, [&] { small.Paint(image); }, {}});
  state.SetLabel(std::string(rich ? "rich" : "plain") + (fresh ? ", new text" : ", repeated"));
}
BENCHMARK(BM_PaintLongParagraphAgainstShort)
    ->ArgNames({"rich", "new"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

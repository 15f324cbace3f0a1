// Painting one view of 40 rich-text cells against the same view of 40 plain cells, both
// through the grid component, in turns within one run (bench/Interleaved.h).
//
// Like for like: two grids of the same size, columns, rows and font, each 10 rows x 4 columns
// in view (a fixed row and column, 40 data cells); a rich cell holds RTF with a font table, a
// colour table, bold and a colour, whose words are the plain cell's text. One render of the
// cell area into the same kind of image per round. "Repeated" paints the same cells again;
// "new" gives every cell a text never shown before (round number in it) before each round, on
// both sides, so the rich side parses all 40 texts again; the change itself is not timed.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QWidget>
#include <memory>
#include <string>

#include "bench/Interleaved.h"
#include "controls/grid/ExtGrid.h"
#include "platform/gui/Forms.h"

namespace {

struct TSide {
  TForm* Form;
  TExtStringGrid* Grid;
  bool Rich;
  explicit TSide(bool rich) : Rich(rich) {
    Form = new TForm(Application);
    Form->SetClientSize(340, 240);
    Grid = new TExtStringGrid(Form);
    Grid->SetParent(Form);
    Grid->SetBounds(0, 0, 340, 240);
    Grid->SetColCount(5);
    Grid->SetRowCount(11);
    Grid->SetDefaultRowHeight(21);
    Grid->SetDefaultColWidth(66);
    Grid->Loaded();
    Form->Show();
  }
  void Fill(int round) {
    for (int r = 1; r < 11; ++r)
      for (int c = 1; c < 5; ++c) {
        const std::string n = std::to_string(round) + "." + std::to_string(r) + "." + std::to_string(c);
        Grid->SetCells(c, r, Rich ? "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red200\\green0\\blue0;}\\f0\\b v\\b0 "
                                    "\\cf1 " + n + "}"
                                  : "v " + n);
      }
    QCoreApplication::processEvents();
  }
  void Paint(QImage& img) { Grid->ClientWidget()->render(&img); }
};

void BM_PaintRichAgainstPlain(benchmark::State& state) {
  static TSide rich(true), plain(false);
  static QImage image(340, 240, QImage::Format_ARGB32_Premultiplied);
  const bool fresh = state.range(0) == 1;
  int richRound = 0, plainRound = 0;
  rich.Fill(0);
  plain.Fill(0);
  rich.Paint(image);
  plain.Paint(image);
  bench::Interleave(state, 201, {[&] { if (fresh) rich.Fill(++richRound); }, [&] { rich.Paint(image); }, {}},
                    {[&] { if (fresh) plain.Fill(++plainRound); }, [&] { plain.Paint(image); }, {}});
  state.SetLabel(fresh ? "new cells" : "repeated");
}
BENCHMARK(BM_PaintRichAgainstPlain)->ArgName("new")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

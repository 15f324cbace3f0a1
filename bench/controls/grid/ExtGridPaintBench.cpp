// Painting one full view of a grid through the grid component (TExtStringGrid)
// against Qt's QTableView painting the same content with an item delegate; and
// inserting and removing 1000 rows in a 64K-row grid.
//
// Both sides, the same work: every visible cell filled, its text written once and
// the current cell framed, in one render of the cell area into the same kind of
// image, with new data and with repeated data.
//
// Paint, like for like:
//  - Both sides are real widgets of the same size (372 x 460, the 64 KB EEPROM
//    window's hex grid; 520 x 300 for the markup table), with the same column
//    widths, row heights, font and cell texts, shown on the offscreen platform,
//    and both render their cell area (the grid's client widget, the view's
//    viewport; scroll bars and frames left out on both sides) into the same kind
//    of image (QWidget::render into a 32-bit image): one full paint of the cells.
//  - Hex grid: a fixed header row and address column, 16 columns of two hex
//    digits, banded rows (two colours by row), the current cell focused in the
//    selection colour with a focus rectangle. The component paints its own look
//    (the fixed cells' gradient and lines, its grid lines, the band rule, its
//    style steps and events); the delegate fills each cell with the same colour
//    rule (fixed colour, band colours, selection colour), draws the text with the
//    same alignment and margin and the focus rectangle, and the view draws its
//    grid lines. The baseline does no less: every visible cell is filled, written
//    and framed; it does no more: no headers (hidden), no decoration, the fonts
//    made once and each text written at a point (one line, as the grid writes
//    it without word wrap).
//  - Markup table: 20 rows x 4 columns, the description column in mini-HTML
//    (bold, italic, coloured text). The component draws it through its markup
//    renderer; the delegate lays the same text out with QTextDocument (Qt's rich
//    text, from equivalent HTML) and draws it. Both measure and lay out on every
//    paint.
//  - Repeated data paints the same content again; "new data" changes every
//    visible text between paints (the change itself is not timed on either side).
//
// Insert and remove: 65537 rows x 17 columns of texts; each iteration inserts
// 1000 rows at a place and removes them again. The place is chosen so that 8K,
// 16K, 32K or 64K rows lie below it (the rows that move); the complexity fit
// shows how the time grows with the rows moved.
#include <benchmark/benchmark.h>

#include <QAbstractTableModel>
#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTextDocument>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/Interleaved.h"
#include "controls/grid/ExtGrid.h"
#include "platform/gui/Forms.h"
#include "platform/gui/QtCanvas.h"

namespace {
const char kHex[] = "0123456789ABCDEF";

// ---------------------------------------------------------------- content
struct TContent {
  int Rows = 0, Cols = 0;
  std::vector<std::string> Texts;  // row-major
  const std::string& At(int c, int r) const { return Texts[static_cast<size_t>(r) * Cols + c]; }
};

TContent HexContent(uint32_t seed) {
  TContent t{4097, 17, {}};
  t.Texts.resize(static_cast<size_t>(t.Rows) * t.Cols);
  uint32_t x = 2463534242u ^ (seed * 2654435761u);
  char buf[16];
  for (int c = 1; c < 17; ++c) t.Texts[static_cast<size_t>(c)] = std::string(1, kHex[c - 1]);
  for (int r = 1; r < t.Rows; ++r) {
    std::snprintf(buf, sizeof buf, "%X", r - 1);
    t.Texts[static_cast<size_t>(r) * 17] = buf;
    for (int c = 1; c < 17; ++c) {
      x ^= x << 13, x ^= x >> 17, x ^= x << 5;
      t.Texts[static_cast<size_t>(r) * 17 + c] = {kHex[(x >> 4) & 15], kHex[x & 15]};
    }
  }
  return t;
}

TContent MarkupContent(int seed, bool html) {
  TContent t{20, 4, {}};
  t.Texts.resize(80);
  const char* heads[] = {"Reg", "Value", "Name", "Description"};
  for (int c = 0; c < 4; ++c) t.Texts[static_cast<size_t>(c)] = heads[c];
  for (int r = 1; r < 20; ++r) {
    int k = r + seed * 31;
    t.Texts[static_cast<size_t>(r) * 4] = std::to_string(r - 1);
    t.Texts[static_cast<size_t>(r) * 4 + 1] = {kHex[(k >> 4) & 15], kHex[k & 15]};
    t.Texts[static_cast<size_t>(r) * 4 + 2] = "REG" + std::to_string(k);
    std::string n = std::to_string(k);
    t.Texts[static_cast<size_t>(r) * 4 + 3] =
        html ? "<b>Control " + n + "</b>: <i>enable</i> bits, <font color=\"#ff0000\">read only</font>"
             : "<B>Control " + n + "</B>: <I>enable</I> bits, <FONT color=\"clred\">read only</FONT>";
  }
  return t;
}

// ---------------------------------------------------------------- the component's side
struct TGridSide {
  TForm* Form;
  TExtStringGrid* Grid;
  TGridSide(int W, int H) {
    Form = new TForm(Application);
    Form->SetClientSize(W + 20, H + 20);
    Grid = new TExtStringGrid(Form);
    Grid->SetParent(Form);
    Grid->SetBounds(0, 0, W, H);
  }
  ~TGridSide() { delete Form; }
  void Load(const TContent& t) {
    for (int r = 0; r < t.Rows; ++r)
      for (int c = 0; c < t.Cols; ++c) Grid->SetCells(c, r, t.At(c, r));
  }
  void Paint(QImage& img) { Grid->ClientWidget()->render(&img); }
};

// ---------------------------------------------------------------- the baseline
class TModel : public QAbstractTableModel {
 public:
  const TContent* Content = nullptr;
  int rowCount(const QModelIndex&) const override { return Content->Rows; }
  int columnCount(const QModelIndex&) const override { return Content->Cols; }
  QVariant data(const QModelIndex& i, int role) const override {
    if (role != Qt::DisplayRole) return QVariant();
    return QString::fromUtf8(Content->At(i.column(), i.row()).c_str());
  }
  void Changed() { emit dataChanged(index(0, 0), index(Content->Rows - 1, Content->Cols - 1)); }
};

// Fills a cell with the grid's colour rule, writes its text as the grid does, frames the focused cell.
class TCellDelegate : public QStyledItemDelegate {
  struct TFonts {
    struct TOne {
      QFont Font;
      int Ascent;
      explicit TOne(const QFont& F) : Font(F), Ascent(QFontMetrics(F).ascent()) {}
    };
    QFont Base;
    TOne Plain, Bold;
    static QFont Bolded(QFont F) {
      F.setBold(true);
      return F;
    }
    explicit TFonts(const QFont& F) : Base(F), Plain(F), Bold(Bolded(F)) {}
  };
  mutable std::unique_ptr<TFonts> fonts_;

 public:
  bool Markup = false;
  int FixedRows = 1, FixedCols = 1;
  void paint(QPainter* p, const QStyleOptionViewItem& o, const QModelIndex& i) const override {
    const bool fixed = i.row() < FixedRows || i.column() < FixedCols;
    const bool current = (o.state & QStyle::State_HasFocus);
    QColor back = fixed ? QColor(0xF0, 0xF0, 0xF0)
                        : current ? QColor(0xB6, 0xCA, 0xEA)
                                  : (i.row() - FixedRows) % 2 == 0 ? QColor(0xFF, 0xFF, 0xE1) : QColor(Qt::white);
    p->fillRect(o.rect, back);
    QString s = i.data().toString();
    QRect tr = o.rect.adjusted(2, 2, -2, 0);
    if (Markup && !fixed) {
      QTextDocument doc;
      doc.setDefaultFont(o.font);
      doc.setDocumentMargin(0);
      doc.setTextWidth(tr.width());
      doc.setHtml(s);
      p->save();
      p->translate(tr.topLeft());
      doc.drawContents(p, QRectF(0, 0, tr.width(), tr.height()));
      p->restore();
    } else {
      // The fonts made once; each text written at a point, one line, as the grid writes it.
      if (!fonts_ || fonts_->Base != o.font) fonts_ = std::make_unique<TFonts>(o.font);
      const TFonts::TOne& f = fixed ? fonts_->Bold : fonts_->Plain;
      if (p->font() != f.Font) p->setFont(f.Font);
      p->setPen(Qt::black);
      p->drawText(QPoint(tr.left(), tr.top() + f.Ascent), s);
    }
    if (current) {
      QStyleOptionFocusRect fr;
      fr.rect = o.rect.adjusted(0, 0, -1, -1);
      fr.backgroundColor = back;
      QApplication::style()->drawPrimitive(QStyle::PE_FrameFocusRect, &fr, p);
    }
  }
};

struct TViewSide {
  std::unique_ptr<QTableView> View;
  TModel Model;
  TCellDelegate Delegate;
  TViewSide(int W, int H, const TContent& t, bool markup) {
    Model.Content = &t;
    Delegate.Markup = markup;
    View = std::make_unique<QTableView>();
    View->setModel(&Model);
    View->setItemDelegate(&Delegate);
    View->horizontalHeader()->hide();
    View->verticalHeader()->hide();
    View->resize(W, H);
    View->show();
  }
  void Paint(QImage& img) { View->viewport()->render(&img); }
};

void Widths(TExtStringGrid* g, TViewSide& v, const std::vector<int>& widths, int rowHeight) {
  g->SetDefaultRowHeight(rowHeight);
  v.View->verticalHeader()->setDefaultSectionSize(rowHeight);
  v.View->verticalHeader()->setMinimumSectionSize(1);
  for (size_t c = 0; c < widths.size(); ++c) {
    g->SetColWidths(static_cast<int>(c), widths[c]);
    v.View->setColumnWidth(static_cast<int>(c), widths[c]);
  }
}

// ---------------------------------------------------------------- the two scenes
struct TScene {
  TContent A, B;
  std::unique_ptr<TGridSide> Grid;
  std::unique_ptr<TViewSide> View;
  QImage Image;
  bool UseB = false;
};

TScene& HexScene() {
  static TScene* s = [] {
    auto* sc = new TScene;
    sc->A = HexContent(1);
    sc->B = HexContent(2);
    sc->Grid = std::make_unique<TGridSide>(372, 460);
    TExtStringGrid* g = sc->Grid->Grid;
    g->SetColCount(17);
    g->SetRowCount(4097);
    g->SetWordWrap(false);
    g->Bands()->SetActive(true);
    g->SetOptions(g->Options() | goEditing | goTabs);
    g->Loaded();
    sc->Grid->Load(sc->A);
    sc->View = std::make_unique<TViewSide>(372, 460, sc->A, false);
    std::vector<int> w(17, 20);
    w[0] = 28;
    Widths(g, *sc->View, w, 20);
    sc->View->View->setFont(TQtCanvasBackend::MakeFont(g->Font()->Data()));
    sc->Grid->Form->Show();
    g->SetCol(3);
    g->SetRow(2);
    g->SetFocus();
    sc->View->View->setCurrentIndex(sc->View->Model.index(2, 3));
    sc->View->View->setFocus();
    sc->Image = QImage(372, 460, QImage::Format_ARGB32_Premultiplied);
    QCoreApplication::processEvents();
    return sc;
  }();
  return *s;
}

TScene& MarkupScene() {
  static TScene* s = [] {
    auto* sc = new TScene;
    sc->A = MarkupContent(1, false);
    sc->B = MarkupContent(2, false);
    sc->Grid = std::make_unique<TGridSide>(520, 300);
    TExtStringGrid* g = sc->Grid->Grid;
    g->SetColCount(4);
    g->SetRowCount(20);
    g->Bands()->SetActive(true);
    g->Loaded();
    sc->Grid->Load(sc->A);
    static TContent htmlA = MarkupContent(1, true), htmlB = MarkupContent(2, true);
    sc->View = std::make_unique<TViewSide>(520, 300, htmlA, true);
    Widths(g, *sc->View, {40, 60, 110, 290}, 20);
    sc->View->View->setFont(TQtCanvasBackend::MakeFont(g->Font()->Data()));
    sc->Grid->Form->Show();
    sc->Image = QImage(520, 300, QImage::Format_ARGB32_Premultiplied);
    QCoreApplication::processEvents();
    (void)htmlB;
    return sc;
  }();
  return *s;
}

// Changes every visible text (the same change on both sides), untimed.
void Swap(benchmark::State& state, TScene& sc, bool grid, bool markup) {
  state.PauseTiming();
  sc.UseB = !sc.UseB;
  const TContent& next = sc.UseB ? sc.B : sc.A;
  if (grid) {
    int rows = std::min(next.Rows, 40);
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < next.Cols; ++c) sc.Grid->Grid->SetCells(c, r, next.At(c, r));
  } else {
    static TContent htmlA = MarkupContent(1, true), htmlB = MarkupContent(2, true);
    sc.View->Model.Content = markup ? (sc.UseB ? &htmlB : &htmlA) : &next;
    sc.View->Model.Changed();
  }
  QCoreApplication::processEvents();
  state.ResumeTiming();
}

void BM_PaintHex(benchmark::State& state) {
  TScene& sc = HexScene();
  const bool grid = state.range(0) == 0, fresh = state.range(1) == 1;
  for (auto _ : state) {
    if (fresh) Swap(state, sc, grid, false);
    grid ? sc.Grid->Paint(sc.Image) : sc.View->Paint(sc.Image);
    benchmark::DoNotOptimize(sc.Image.constBits());
  }
  state.SetLabel(std::string(grid ? "component" : "QTableView+delegate") + (fresh ? ", new data" : ", repeated"));
}
BENCHMARK(BM_PaintHex)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond);

// The hex paint, both sides in turns (bench/Interleaved.h): one paint per round.
void BM_PaintHexInterleaved(benchmark::State& state) {
  TScene& sc = HexScene();
  const bool fresh = state.range(0) == 1;
  bool gridB = false, viewB = false;
  auto change = [&](bool grid) {
    if (!fresh) return;
    bool& useB = grid ? gridB : viewB;
    useB = !useB;
    const TContent& next = useB ? sc.B : sc.A;
    if (grid) {
      for (int r = 0; r < std::min(next.Rows, 40); ++r)
        for (int c = 0; c < next.Cols; ++c) sc.Grid->Grid->SetCells(c, r, next.At(c, r));
    } else {
      sc.View->Model.Content = &next;
      sc.View->Model.Changed();
    }
    QCoreApplication::processEvents();
  };
  bench::Interleave(state, 201, {[&] { change(true); }, [&] { sc.Grid->Paint(sc.Image); }, {}},
                    {[&] { change(false); }, [&] { sc.View->Paint(sc.Image); }, {}});
  state.SetLabel(fresh ? "new data" : "repeated");
}
BENCHMARK(BM_PaintHexInterleaved)->ArgName("new")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_PaintMarkup(benchmark::State& state) {
  TScene& sc = MarkupScene();
  const bool grid = state.range(0) == 0, fresh = state.range(1) == 1;
  for (auto _ : state) {
    if (fresh) Swap(state, sc, grid, true);
    grid ? sc.Grid->Paint(sc.Image) : sc.View->Paint(sc.Image);
    benchmark::DoNotOptimize(sc.Image.constBits());
  }
  state.SetLabel(std::string(grid ? "component" : "QTableView+delegate") + (fresh ? ", new data" : ", repeated"));
}
BENCHMARK(BM_PaintMarkup)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond);

// ---------------------------------------------------------------- insert and remove
TGridSide& BigGrid() {
  static TGridSide* s = [] {
    auto* g = new TGridSide(400, 300);
    g->Grid->SetColCount(17);
    g->Grid->SetRowCount(65537);
    g->Grid->Loaded();
    char buf[16];
    for (int r = 1; r < 65537; ++r) {
      std::snprintf(buf, sizeof buf, "%X", r - 1);
      g->Grid->SetCells(0, r, buf);
      for (int c = 1; c < 17; ++c) g->Grid->SetCells(c, r, std::string{kHex[r & 15], kHex[c - 1]});
    }
    return g;
  }();
  return *s;
}

void BM_InsertRemove1000Rows(benchmark::State& state) {
  TExtStringGrid* g = BigGrid().Grid;
  const int moved = static_cast<int>(state.range(0));
  const int at = g->RowCount() - moved;
  for (auto _ : state) {
    g->InsertRows(at, 1000);
    g->RemoveRows(at, 1000);
  }
  if (g->RowCount() != 65537) state.SkipWithError("row count changed");
  state.SetComplexityN(moved);
  state.SetLabel("rows moved: " + std::to_string(moved));
}
BENCHMARK(BM_InsertRemove1000Rows)
    ->Arg(8192)
    ->Arg(16384)
    ->Arg(32768)
    ->Arg(65536)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

}  // namespace

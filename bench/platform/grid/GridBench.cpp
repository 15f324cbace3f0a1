// The platform grid against Qt's own tables, as the EEPROM windows use it:
//  (a) fill a 64 KB image into a 4097 x 17 hex grid (fixed address column and
//      header row) and a 4097 x 16 character grid (header row), then paint the
//      first view of both; baseline: two QTableWidgets of the same size, font and
//      counts doing the same.
//  (b) page down through all 4097 rows, painting each page; baselines: a QTableView
//      on a model that holds the same texts, with Qt's own item delegate (the
//      style's item drawing) and with a delegate that draws a cell as the grid
//      does (fill, text at 2, 2, the focus frame).
//  (c) bytes per cell of the grid's store holding two-character texts.
//
// Like for like:
//  - Both sides are real widgets of the same size (552 x 412) on a shown window of
//    the offscreen platform, with the same font, row height and column widths. Each
//    paints what its own handling marked for repainting, as the event loop does it
//    (the posted update requests are run once), headers and scroll bars included.
//  - (a) Each iteration uses a new image (the bytes change every time), so both
//    sides format 65,536 byte texts and 65,536 character texts plus the 4096
//    address texts afresh and store them in their cells: the grid through
//    SetCells (std::string), the tables through QTableWidgetItem::setText on
//    items made once before timing (QString) -- the cheapest way to put new text
//    into an existing QTableWidget. Then each side paints its first view: both of
//    its views, whole, once (each widget repainted at once, not left to what the
//    fill marked, which on Qt's side left the hex table unpainted); the paint
//    counters show one paint of each view per iteration on both sides.
//  - (b) The texts are stored before timing on both sides (the grid's store; a
//    QVector<QString> the model returns for the display role). Each iteration goes
//    to the first row and presses Page Down through the widget's own key handling
//    until the last row is current, repainting after every page.
//  - The ratio counters divide the baseline's time by the grid's (higher is better).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QAbstractItemDelegate>
#include <QAbstractTableModel>
#include <QApplication>
#include <QPainter>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <atomic>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/grid/Grids.h"
#include "platform/gui/Forms.h"
#include "platform/gui/QtCanvas.h"

// ---------------------------------------------------------------- heap counting for (c)
// Counted only while (c) measures, so the other benchmarks allocate at the usual cost.
namespace {
std::atomic<long long> gHeapBytes{0};
std::atomic<bool> gCounting{false};
}
void* operator new(size_t n) {
  void* p = std::malloc(n ? n : 1);
  if (!p) throw std::bad_alloc();
  if (gCounting.load(std::memory_order_relaxed))
    gHeapBytes += static_cast<long long>(malloc_usable_size(p)) + 8;  // the allocator's header too
  return p;
}
void operator delete(void* p) noexcept {
  if (!p) return;
  if (gCounting.load(std::memory_order_relaxed)) gHeapBytes -= static_cast<long long>(malloc_usable_size(p)) + 8;
  std::free(p);
}
void operator delete(void* p, size_t) noexcept { operator delete(p); }

namespace {
constexpr int kRows = 4097, kW = 552, kH = 412, kRowH = 18, kColW = 26, kAddrW = 60;
const char kHex[] = "0123456789ABCDEF";

std::vector<unsigned char> Image(int seed) {
  std::vector<unsigned char> v(65536);
  uint32_t x = 2463534242u ^ static_cast<uint32_t>(seed * 2654435761u);
  for (auto& b : v) {
    x ^= x << 13, x ^= x >> 17, x ^= x << 5;
    b = static_cast<unsigned char>(x);
  }
  return v;
}

TFontData Font() {
  TFontData f;
  f.Name = "DejaVu Sans Mono";
  f.Height = -12;
  return f;
}

// The character shown for a byte: printable ASCII and Windows-1252 as themselves, others a dot.
char CharOf(unsigned char b) { return b < 0x20 || b == 0x7F ? '.' : static_cast<char>(b); }

// ---------------------------------------------------------------- our side
struct TGridSide {
  TForm* Form;
  TStringGrid* Hex;
  TStringGrid* Chars;
  TGridSide() {
    Form = new TForm(Application);
    Form->SetClientSize(2 * kW + 20, kH + 10);
    Hex = Make(0, 17, 1);
    Chars = Make(kW + 10, 16, 0);
    Hex->SetColWidths(0, kAddrW);
    for (int c = 1; c <= 16; ++c) Hex->SetCells(c, 0, std::string(1, kHex[c - 1]));
    for (int c = 0; c < 16; ++c) Chars->SetCells(c, 0, std::string(1, kHex[c]));
    Form->Show();
    QCoreApplication::processEvents();
  }
  ~TGridSide() { delete Form; }
  TStringGrid* Make(int x, int cols, int fixedCols) {
    auto* g = new TStringGrid(Form);
    g->SetParent(Form);
    g->SetBounds(x, 0, kW, kH);
    g->SetColCount(cols);
    g->SetRowCount(kRows);
    g->SetFixedCols(fixedCols);
    g->SetFixedRows(1);
    g->SetDefaultColWidth(kColW);
    g->SetDefaultRowHeight(kRowH);
    g->Font()->SetData(Font());
    return g;
  }
  void Fill(const std::vector<unsigned char>& img) {
    char addr[8];
    std::string two(2, ' '), one(1, ' ');
    for (int r = 1; r < kRows; ++r) {
      std::snprintf(addr, sizeof addr, "%04X", (r - 1) * 16);
      Hex->SetCells(0, r, addr);
      for (int c = 0; c < 16; ++c) {
        unsigned char b = img[static_cast<size_t>((r - 1) * 16 + c)];
        two[0] = kHex[b >> 4];
        two[1] = kHex[b & 15];
        Hex->SetCells(c + 1, r, two);
        one[0] = CharOf(b);
        Chars->SetCells(c, r, one);
      }
    }
  }
};

// ---------------------------------------------------------------- Qt's side
QTableWidget* MakeTable(QWidget* parent, int x, int cols, bool addressColumn) {
  auto* t = new QTableWidget(kRows - 1, cols, parent);
  t->setGeometry(x, 0, kW, kH);
  t->setFont(TQtCanvasBackend::MakeFont(Font()));
  t->verticalHeader()->setVisible(addressColumn);
  t->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  t->verticalHeader()->setDefaultSectionSize(kRowH);
  t->verticalHeader()->setMinimumSectionSize(1);
  t->horizontalHeader()->setMinimumSectionSize(1);
  t->horizontalHeader()->setDefaultSectionSize(kColW);
  t->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  t->verticalHeader()->setFixedWidth(kAddrW);
  QStringList labels;
  for (int c = 0; c < cols; ++c) labels << QString(QChar(kHex[c]));
  t->setHorizontalHeaderLabels(labels);
  for (int r = 0; r < kRows - 1; ++r)
    for (int c = 0; c < cols; ++c) t->setItem(r, c, new QTableWidgetItem());
  if (addressColumn)
    for (int r = 0; r < kRows - 1; ++r) t->setVerticalHeaderItem(r, new QTableWidgetItem());
  return t;
}

struct TTableSide {
  std::unique_ptr<QWidget> Window{new QWidget};
  QTableWidget* Hex;
  QTableWidget* Chars;
  TTableSide() {
    Window->resize(2 * kW + 20, kH + 10);
    Hex = MakeTable(Window.get(), 0, 16, true);
    Chars = MakeTable(Window.get(), kW + 10, 16, false);
    Window->show();
    QCoreApplication::processEvents();
  }
  void Fill(const std::vector<unsigned char>& img) {
    char addr[8];
    for (int r = 0; r < kRows - 1; ++r) {
      std::snprintf(addr, sizeof addr, "%04X", r * 16);
      Hex->verticalHeaderItem(r)->setText(QString::fromLatin1(addr));
      for (int c = 0; c < 16; ++c) {
        unsigned char b = img[static_cast<size_t>(r * 16 + c)];
        const QChar two[2] = {QChar(kHex[b >> 4]), QChar(kHex[b & 15])};
        Hex->item(r, c)->setText(QString(two, 2));
        Chars->item(r, c)->setText(QString(QChar::fromLatin1(CharOf(b))));
      }
    }
  }
};

// Runs the paints the widgets asked for, once, as the event loop would.
void PaintPending() { QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest); }

// Counts the paint events a widget gets.
class TPaintCounter : public QObject {
 public:
  explicit TPaintCounter(QWidget* w) { w->installEventFilter(this); }
  long long Paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++Paints;
    return false;
  }
};

// Times are the process's CPU time (all its threads), so other work on the machine does not
// weigh on either side.
struct TCpuClock {
  using time_point = double;
  static double now() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
  }
};
double Ms(double a, double b) { return b - a; }

// ---------------------------------------------------------------- (a)
void BM_FillAndPaintFirstView(benchmark::State& state) {
  TGridSide grid;
  TTableSide table;
  TPaintCounter gridHex(grid.Hex->ClientWidget()), gridChars(grid.Chars->ClientWidget());
  TPaintCounter tableHex(table.Hex->viewport()), tableChars(table.Chars->viewport());
  double tg = 0, tq = 0;
  int seed = 0;
  for (auto _ : state) {
    auto img = Image(++seed);
    auto a = TCpuClock::now();
    grid.Fill(img);
    PaintPending();
    grid.Hex->Peer()->repaint();
    grid.Chars->Peer()->repaint();
    auto b = TCpuClock::now();
    table.Fill(img);
    PaintPending();
    table.Hex->repaint();
    table.Chars->repaint();
    auto c = TCpuClock::now();
    tg += Ms(a, b);
    tq += Ms(b, c);
  }
  double n = static_cast<double>(state.iterations());
  state.counters["grid_ms"] = tg / n;
  state.counters["qtablewidget_ms"] = tq / n;
  state.counters["ratio"] = tg > 0 ? tq / tg : 0;
  state.counters["grid_hex_paints"] = double(gridHex.Paints) / n;
  state.counters["grid_chars_paints"] = double(gridChars.Paints) / n;
  state.counters["qt_hex_paints"] = double(tableHex.Paints) / n;
  state.counters["qt_chars_paints"] = double(tableChars.Paints) / n;
}
BENCHMARK(BM_FillAndPaintFirstView)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// ---------------------------------------------------------------- (b)
class THexModel : public QAbstractTableModel {
 public:
  explicit THexModel(const std::vector<unsigned char>& img) {
    texts_.reserve(65536);
    for (unsigned char b : img) {
      const QChar two[2] = {QChar(kHex[b >> 4]), QChar(kHex[b & 15])};
      texts_.push_back(QString(two, 2));
    }
    for (int r = 0; r < kRows - 1; ++r) {
      char addr[8];
      std::snprintf(addr, sizeof addr, "%04X", r * 16);
      rows_.push_back(QString::fromLatin1(addr));
    }
  }
  int rowCount(const QModelIndex& = {}) const override { return kRows - 1; }
  int columnCount(const QModelIndex& = {}) const override { return 16; }
  QVariant data(const QModelIndex& i, int role) const override {
    if (role != Qt::DisplayRole) return {};
    return texts_[static_cast<qsizetype>(i.row() * 16 + i.column())];
  }
  QVariant headerData(int section, Qt::Orientation o, int role) const override {
    if (role != Qt::DisplayRole) return {};
    return o == Qt::Horizontal ? QVariant(QString(QChar(kHex[section]))) : QVariant(rows_[section]);
  }

 private:
  QVector<QString> texts_, rows_;
};

// Draws a cell as the grid's default drawing does: the cell filled with its colour (the
// highlight when selected), its text at 2, 2 from the cell's corner, a dotted frame on the
// focused cell. The view draws the grid lines and the headers, as the grid draws its own.
class TGridLikeDelegate : public QAbstractItemDelegate {
 public:
  void paint(QPainter* p, const QStyleOptionViewItem& o, const QModelIndex& i) const override {
    const bool selected = o.state & QStyle::State_Selected;
    p->fillRect(o.rect, selected ? o.palette.highlight() : o.palette.base());
    if (ascent_ < 0) ascent_ = QFontMetrics(o.font).ascent();
    p->setFont(o.font);
    p->setPen(selected ? o.palette.highlightedText().color() : o.palette.text().color());
    p->drawText(o.rect.left() + 2, o.rect.top() + 2 + ascent_, i.data(Qt::DisplayRole).toString());
    if (o.state & QStyle::State_HasFocus) {
      p->setPen(QPen(o.palette.text().color(), 1, Qt::DotLine));
      p->drawRect(o.rect.adjusted(0, 0, -1, -1));
    }
  }
  QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return {kColW, kRowH}; }

 private:
  mutable int ascent_ = -1;
};

void PressPageDown(QWidget* w) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_PageDown, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &release);
}

void BM_PageDownThroughAllRows(benchmark::State& state) {
  auto img = Image(7);
  TGridSide grid;
  grid.Fill(img);
  grid.Hex->SetFocus();
  THexModel model(img);
  auto makeView = [&](std::unique_ptr<QWidget>& window) {
    window.reset(new QWidget);
    window->resize(kW + 10, kH + 10);
    auto* v = new QTableView(window.get());
    v->setGeometry(0, 0, kW, kH);
    v->setFont(TQtCanvasBackend::MakeFont(Font()));
    v->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    v->verticalHeader()->setDefaultSectionSize(kRowH);
    v->verticalHeader()->setMinimumSectionSize(1);
    v->verticalHeader()->setFixedWidth(kAddrW);
    v->horizontalHeader()->setMinimumSectionSize(1);
    v->horizontalHeader()->setDefaultSectionSize(kColW);
    v->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    v->setModel(&model);
    return v;
  };
  auto pageThrough = [&](QTableView* v, long long& pages) {
    v->setCurrentIndex(model.index(0, 0));
    v->scrollToTop();
    PaintPending();
    while (v->currentIndex().row() < kRows - 2) {
      PressPageDown(v);
      PaintPending();
      ++pages;
    }
  };
  std::unique_ptr<QWidget> window, window2;
  QTableView* view = makeView(window);
  // The same view with the grid's own drawing of a cell.
  QTableView* plain = makeView(window2);
  TGridLikeDelegate delegate;
  plain->setItemDelegate(&delegate);
  window->show();
  window2->show();
  QCoreApplication::processEvents();
  view->setFocus();
  plain->setFocus();
  double tg = 0, tq = 0, tp = 0, tKeys = 0;
  long long pagesG = 0, pagesQ = 0, pagesP = 0;
  for (auto _ : state) {
    auto a = TCpuClock::now();
    grid.Hex->SetRow(1);
    grid.Hex->SetTopRow(1);
    PaintPending();
    while (grid.Hex->Row() < kRows - 1) {
      auto k0 = TCpuClock::now();
      PressPageDown(grid.Hex->Peer());
      auto k1 = TCpuClock::now();
      PaintPending();
      tKeys += Ms(k0, k1);
      ++pagesG;
    }
    auto b = TCpuClock::now();
    pageThrough(view, pagesQ);
    auto c = TCpuClock::now();
    pageThrough(plain, pagesP);
    auto d = TCpuClock::now();
    tg += Ms(a, b);
    tq += Ms(b, c);
    tp += Ms(c, d);
  }
  double n = static_cast<double>(state.iterations());
  state.counters["grid_ms"] = tg / n;
  state.counters["qtableview_ms"] = tq / n;
  state.counters["qtableview_gridlike_ms"] = tp / n;
  state.counters["grid_pages"] = static_cast<double>(pagesG) / n;
  state.counters["grid_keys_ms"] = tKeys / n;
  state.counters["qt_pages"] = static_cast<double>(pagesQ) / n;
  state.counters["qt_gridlike_pages"] = static_cast<double>(pagesP) / n;
  state.counters["ratio"] = tg > 0 ? tq / tg : 0;
  state.counters["ratio_gridlike"] = tg > 0 ? tp / tg : 0;
}
BENCHMARK(BM_PageDownThroughAllRows)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// ---------------------------------------------------------------- (c)
void BM_StoreBytesPerCell(benchmark::State& state) {
  const int cols = 17;
  double perCell = 0;
  for (auto _ : state) {
    gCounting = true;
    long long before = gHeapBytes.load();
    auto store = std::make_unique<TGridStore>();
    store->SetColHint(cols);
    char two[3] = {0, 0, 0};
    for (int r = 0; r < kRows; ++r)
      for (int c = 0; c < cols; ++c) {
        unsigned b = static_cast<unsigned>(r * cols + c) & 0xFF;
        two[0] = kHex[b >> 4];
        two[1] = kHex[b & 15];
        store->SetText(c, r, two);
      }
    long long used = gHeapBytes.load() - before;
    gCounting = false;
    perCell = static_cast<double>(used) / (kRows * cols);
    benchmark::DoNotOptimize(store.get());
  }
  state.counters["bytes_per_cell"] = perCell;
}
BENCHMARK(BM_StoreBytesPerCell)->Unit(benchmark::kMillisecond)->Iterations(3);
}  // namespace


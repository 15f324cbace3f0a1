#include "platform/gui/Calendar.h"

#include <QCalendarWidget>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>
#include <cmath>

#include "platform/gui/QtPeer.h"

namespace {
QDate ToQDate(TDateTime v) {
  int y = 0, m = 0, d = 0;
  DecodeDate(std::floor(v), y, m, d);
  return QDate(y, m, d);
}

TDateTime FromQDate(const QDate& d) { return EncodeDate(d.year(), d.month(), d.day()); }
}  // namespace

// The pop-up window: tells its owner of every close, however it came (Escape, a click
// outside, a pick, the program).
class TCalendarFrame : public QWidget {
 public:
  explicit TCalendarFrame(TCalendarPopup* Owner) : QWidget(nullptr, Qt::Popup), owner_(Owner) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    calendar = new QCalendarWidget(this);
    calendar->setGridVisible(false);
    calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    layout->addWidget(calendar);
    view = calendar->findChild<QTableView*>();
    // Escape never reaches the frame through the day view (the view takes it first).
    if (view) view->installEventFilter(this);
    QObject::connect(calendar, &QCalendarWidget::clicked, this, [this](QDate d) { Pick(d); });
    QObject::connect(calendar, &QCalendarWidget::activated, this, [this](QDate d) { Pick(d); });
  }
  QCalendarWidget* calendar = nullptr;
  QTableView* view = nullptr;
  bool picking = false;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
      close();
      return true;
    }
    return QWidget::eventFilter(o, e);
  }
  void keyPressEvent(QKeyEvent* e) override {
    if (e->key() == Qt::Key_Escape) {
      close();
      return;
    }
    QWidget::keyPressEvent(e);
  }
  void hideEvent(QHideEvent* e) override {
    QWidget::hideEvent(e);
    if (!picking) owner_->Closed();
  }

 private:
  void Pick(QDate d) {
    // A double click ends in a second signal after the first has closed the pop-up.
    if (!isVisible() || picking || !d.isValid()) return;
    picking = true;
    hide();
    picking = false;
    owner_->Picked(FromQDate(d));
  }
  TCalendarPopup* owner_;
};

struct TCalendarPopup::TImpl {
  QPointer<TCalendarFrame> frame;
  TDateTime day = 0, minDay = 0, maxDay = 0;
};

TCalendarPopup::TCalendarPopup(TComponent* AOwner) : TComponent(AOwner), impl_(std::make_unique<TImpl>()) {}

TCalendarPopup::~TCalendarPopup() {
  if (impl_->frame) {
    impl_->frame->blockSignals(true);
    TCalendarFrame* f = impl_->frame;
    impl_->frame = nullptr;
    // No close report from a dying owner.
    f->picking = true;
    delete f;
  }
}

void TCalendarPopup::DropDown(TControl* Below, TDateTime Day) {
  if (!impl_->frame) impl_->frame = new TCalendarFrame(this);
  TCalendarFrame* f = impl_->frame;
  impl_->day = std::floor(Day);
  if (impl_->minDay != 0 || impl_->maxDay != 0)
    f->calendar->setDateRange(ToQDate(impl_->minDay), ToQDate(impl_->maxDay));
  f->calendar->setSelectedDate(ToQDate(Day));
  f->adjustSize();
  QPoint at(0, 0);
  int above = 0;
  if (Below) {
    const TPoint p = Below->ClientToScreen(TPoint(0, Below->Height()));
    at = QPoint(p.X, p.Y);
    above = Below->Height();
  }
  if (QScreen* s = QGuiApplication::screenAt(at) ? QGuiApplication::screenAt(at) : QGuiApplication::primaryScreen()) {
    const QRect area = s->availableGeometry();
    if (at.y() + f->height() > area.bottom() && at.y() - above - f->height() >= area.top())
      at.ry() -= above + f->height();
    at.setX(std::max(area.left(), std::min(at.x(), area.right() + 1 - f->width())));
  }
  f->move(at);
  f->show();
  if (f->view) f->view->setFocus(Qt::PopupFocusReason);
}

void TCalendarPopup::CloseUp() {
  if (impl_->frame && impl_->frame->isVisible()) impl_->frame->close();
}

void TCalendarPopup::Pick(TDateTime Day) {
  if (!DroppedDown()) return;
  QCalendarWidget* cal = impl_->frame->calendar;
  const QDate d = ToQDate(Day);
  if (d < cal->minimumDate() || d > cal->maximumDate()) return;
  cal->setSelectedDate(d);
  emit cal->clicked(d);
}

bool TCalendarPopup::DroppedDown() const { return impl_->frame && impl_->frame->isVisible(); }

TDateTime TCalendarPopup::Day() const {
  if (DroppedDown()) return FromQDate(impl_->frame->calendar->selectedDate());
  return impl_->day;
}

void TCalendarPopup::SetRange(TDateTime MinDay, TDateTime MaxDay) {
  impl_->minDay = std::floor(MinDay);
  impl_->maxDay = std::floor(MaxDay);
}

QWidget* TCalendarPopup::Window() const { return DroppedDown() ? impl_->frame.data() : nullptr; }

QWidget* TCalendarPopup::DayView() const {
  return DroppedDown() && impl_->frame->view ? impl_->frame->view->viewport() : nullptr;
}

TRect TCalendarPopup::DayRect(TDateTime Day) const {
  if (!DroppedDown() || !impl_->frame->view) return TRect();
  QTableView* v = impl_->frame->view;
  QCalendarWidget* cal = impl_->frame->calendar;
  const QDate want = ToQDate(Day);
  if (want.year() != cal->yearShown() || want.month() != cal->monthShown()) return TRect();
  // The view also shows days of the months before and after: those before stand in its first
  // rows with numbers above 21, those after in its last rows with numbers below 15.
  const QString text = QString::number(want.day());
  QModelIndex hit;
  QAbstractItemModel* m = v->model();
  for (int r = 0; r < m->rowCount() && !(hit.isValid() && want.day() <= 14); ++r)
    for (int c = 0; c < m->columnCount(); ++c) {
      const QModelIndex i = m->index(r, c);
      if (m->data(i, Qt::DisplayRole).toString() != text) continue;
      if (want.day() <= 14) {
        hit = i;
        break;
      }
      hit = i;
    }
  if (!hit.isValid()) return TRect();
  const QRect q = v->visualRect(hit);
  return TRect(q.left(), q.top(), q.right() + 1, q.bottom() + 1);
}

void TCalendarPopup::Picked(TDateTime Day) {
  impl_->day = Day;
  GuiRun(this, [this, Day] {
    if (OnPick) OnPick(this, Day);
    FireEvent(OnCloseUp, this);
  });
}

void TCalendarPopup::Closed() {
  GuiRun(this, [this] { FireEvent(OnCloseUp, this); });
}

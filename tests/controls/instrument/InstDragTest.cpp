// Instrument controls dragged away (DragMode dmAutomatic): the drag takes the release, so the
// press each control began must end without a click or a change.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>
#include <functional>
#include <memory>

#include "controls/instrument/InstButtons.h"
#include "controls/instrument/InstCheckLed.h"
#include "controls/instrument/InstSlider.h"
#include "platform/gui/Windows.h"
#include "tests/controls/instrument/InstTestSupport.h"

namespace {

void Send(TWinControl* c, QEvent::Type type, TPoint p) {
  QWidget* w = c->ClientWidget();
  const QPointF at(p.X, p.Y);
  const Qt::MouseButton b = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
  QMouseEvent e(type, at, w->mapToGlobal(at), b, held, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &e);
}

struct TDragRow {
  const char* name;
  // Makes the control on Form, counts its clicks or changes in Fired; returns where to press.
  std::function<TPoint(TForm* Form, TWinControl*& Made, int& Fired)> make;
  // After the drag: true when the control no longer acts pressed.
  std::function<bool(TWinControl* Made)> released;
};

TEST(InstDrag, DraggingAControlAwayEndsItsPressWithoutAClickOrAChange) {
  PinSystemColours();
  const TDragRow rows[] = {
      {"button",
       [](TForm* f, TWinControl*& made, int& fired) {
         auto* b = new Painted<TInstDemoButton>(f);
         b->SetParent(f);
         b->SetBounds(10, 10, 120, 25);
         b->OnClick = [&fired](TObject*) { ++fired; };
         made = b;
         return Point(20, 12);
       },
       [](TWinControl* c) {
         auto* b = static_cast<Painted<TInstDemoButton>*>(c);
         // Back over the button with no button held: still raised.
         Send(b, QEvent::MouseMove, Point(20, 12));
         b->PaintNow();
         return !b->Pressed() && !b->Down() && b->PixelAt(1, 10) == RGB(255, 255, 255);
       }},
      {"slider",
       [](TForm* f, TWinControl*& made, int& fired) {
         auto* s = new TInstSlider(f);
         s->SetParent(f);
         s->SetOrientation(voVertical);
         s->SetBounds(10, 10, 40, 200);
         s->OnChange = [&fired](TObject*) { ++fired; };
         made = s;
         const TRect t = s->ThumbRect();
         return Point((t.Left + t.Right) / 2, (t.Top + t.Bottom) / 2);
       },
       [](TWinControl* c) {
         auto* s = static_cast<TInstSlider*>(c);
         const int before = s->Position();
         // The far end from the thumb (position 0 sits at the bottom).
         Send(s, QEvent::MouseMove, Point(s->ClientWidth() / 2, 2));
         return s->Position() == before;
       }},
      {"check LED",
       [](TForm* f, TWinControl*& made, int& fired) {
         auto* l = new Painted<TInstCheckLed>(f);
         l->SetParent(f);
         l->SetBounds(10, 10, 120, 25);
         l->SetCaption("Ack");
         l->OnChange = [&fired](TObject*) { ++fired; };
         made = l;
         l->CalcLayout();
         const TRect r = l->LedRect();
         return Point((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
       },
       [](TWinControl* c) {
         auto* l = static_cast<Painted<TInstCheckLed>*>(c);
         l->PaintNow();
         return !l->Checked() && l->PaintedLedStyle() != 2;
       }},
  };
  for (const TDragRow& r : rows) {
    SCOPED_TRACE(r.name);
    std::unique_ptr<TForm> form = MakeForm();
    TWinControl* c = nullptr;
    int fired = 0;
    const TPoint press = r.make(form.get(), c, fired);
    c->SetDragMode(dmAutomatic);
    form->Show();
    Send(c, QEvent::MouseButtonPress, press);
    Send(c, QEvent::MouseMove, Point(press.X + 150, press.Y + 150));
    ASSERT_TRUE(c->Dragging());
    Send(c, QEvent::MouseButtonRelease, Point(press.X + 160, press.Y + 160));
    EXPECT_FALSE(c->Dragging());
    EXPECT_TRUE(r.released(c));
    EXPECT_EQ(fired, 0);
  }
}

}  // namespace

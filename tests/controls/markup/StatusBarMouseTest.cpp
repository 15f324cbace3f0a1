// The status bar under real mouse events: its size grip, the hint window
// over its panels, and the application's hint arriving with AutoHint.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QWidget>
#include <string>
#include <vector>

#include "controls/markup/HTMLStatusBar.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Hints.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/testing/GuiTest.h"

namespace {

class StatusBarMouseTest : public TGuiTest {
 protected:
  StatusBarMouseTest() {
    form = new TForm(nullptr);
    form->SetBounds(100, 100, 600, 300);
    bar = new THTMLStatusBar(form);
    bar->SetParent(form);
    for (int w : {100, 150, 50}) bar->Panels()->Add()->SetWidth(w);
    form->Show();
  }

  void Mouse(QEvent::Type type, QPoint p, Qt::MouseButtons held = Qt::NoButton) {
    QWidget* w = bar->Peer();
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
  }
  // The mouse rests: the window system asks for the tool tip there.
  void Rest(QPoint p) {
    QHelpEvent e(QEvent::ToolTip, p, bar->Peer()->mapToGlobal(p));
    QCoreApplication::sendEvent(bar->Peer(), &e);
  }
  bool HintShows() { return Application->HintWindow() && Application->HintWindow()->Active(); }

  TForm* form;
  THTMLStatusBar* bar;
};

TEST_F(StatusBarMouseTest, DraggingTheGripSizesTheFormAndFiresNoPanelClick) {
  std::vector<int> clicks;
  bar->OnPanelClick = [&](TObject*, int i) { clicks.push_back(i); };
  ASSERT_TRUE(bar->SizeGripShown());
  const QPoint grip(bar->ClientWidth() - 4, bar->ClientHeight() / 2);
  Mouse(QEvent::MouseMove, grip);
  EXPECT_EQ(bar->Cursor(), crSizeNWSE) << "the grip shows the sizing cursor";
  const QPoint screen = bar->Peer()->mapToGlobal(grip);
  Mouse(QEvent::MouseButtonPress, grip, Qt::LeftButton);
  Mouse(QEvent::MouseMove, bar->Peer()->mapFromGlobal(screen + QPoint(-50, 70)), Qt::LeftButton);
  Mouse(QEvent::MouseButtonRelease, bar->Peer()->mapFromGlobal(screen + QPoint(-50, 70)));
  EXPECT_EQ(form->Width(), 550);
  EXPECT_EQ(form->Height(), 370);
  EXPECT_EQ(form->Left(), 100) << "the top-left corner stays";
  EXPECT_EQ(form->Top(), 100);
  EXPECT_TRUE(clicks.empty());
  // After the drag the mouse is only a mouse again.
  Mouse(QEvent::MouseMove, QPoint(20, 8));
  EXPECT_EQ(bar->Cursor(), crDefault);
  EXPECT_EQ(form->Width(), 550);
}

TEST_F(StatusBarMouseTest, WithoutAShownGripTheCornerIsTheLastPanel) {
  form->SetBorderStyle(bsDialog);
  std::vector<int> clicks;
  bar->OnPanelClick = [&](TObject*, int i) { clicks.push_back(i); };
  const QPoint corner(bar->ClientWidth() - 4, bar->ClientHeight() / 2);
  Mouse(QEvent::MouseButtonPress, corner, Qt::LeftButton);
  Mouse(QEvent::MouseMove, corner + QPoint(60, 60), Qt::LeftButton);
  Mouse(QEvent::MouseButtonRelease, corner + QPoint(60, 60));
  EXPECT_EQ(form->Width(), 600);
  EXPECT_EQ(form->Height(), 300);
  EXPECT_EQ(clicks, std::vector<int>{2});
}

TEST_F(StatusBarMouseTest, MovingToAnotherPanelTakesTheShownHintAway) {
  bar->SetShowHint(true);
  bar->Panels()->Items(0)->SetHint("status");
  bar->Panels()->Items(1)->SetHint("hint of the second");
  const QPoint first(20, 8), second(bar->PanelRect(1).Left + 20, 8);
  Mouse(QEvent::MouseMove, first);
  Rest(first);
  ASSERT_TRUE(HintShows());
  EXPECT_EQ(Application->HintWindow()->Caption(), "status");
  Mouse(QEvent::MouseMove, first + QPoint(5, 0));
  EXPECT_TRUE(HintShows()) << "moving inside the panel keeps it";
  Mouse(QEvent::MouseMove, second);
  EXPECT_FALSE(HintShows()) << "the application's hint is cancelled on the next panel";
  Rest(second);
  ASSERT_TRUE(HintShows());
  EXPECT_EQ(Application->HintWindow()->Caption(), "hint of the second");
  Application->CancelHint();
  EXPECT_FALSE(HintShows());
  EXPECT_EQ(Application->HintControl(), nullptr);
}

TEST_F(StatusBarMouseTest, AutoHintShowsTheLongHintOfTheControlUnderTheMouse) {
  bar->SetAutoHint(true);
  auto* button = new TCustomControl(form);
  button->SetBounds(10, 10, 80, 30);
  button->SetHint("Go|Starts the transfer");
  button->SetParent(form);
  Application->OnHint = nullptr;
  QWidget* w = button->Peer();
  QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(w, &move);
  EXPECT_EQ(bar->Panels()->Items(0)->Text(), "Starts the transfer");
  // An OnHint handler takes the hint first; the bar then hears nothing.
  auto* other = new TCustomControl(form);
  other->SetBounds(100, 10, 80, 30);
  other->SetHint("Stop|Ends the transfer");
  other->SetParent(form);
  std::string heard;
  Application->OnHint = [&](TObject*) { heard = Application->Hint(); };
  QWidget* o = other->Peer();
  QMouseEvent over(QEvent::MouseMove, QPointF(5, 5), o->mapToGlobal(QPointF(5, 5)), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(o, &over);
  Application->OnHint = nullptr;
  EXPECT_EQ(heard, "Ends the transfer");
  EXPECT_EQ(bar->Panels()->Items(0)->Text(), "Starts the transfer");
}

}  // namespace

TEST_F(StatusBarMouseTest, AClickOnAPanelLeavesTheFocusInTheEdit) {
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  edit->SetFocus();
  QCoreApplication::processEvents();
  ASSERT_EQ(form->ActiveControl(), edit);
  std::vector<int> clicks;
  bar->OnPanelClick = [&](TObject*, int i) { clicks.push_back(i); };
  Mouse(QEvent::MouseButtonPress, QPoint(20, 8), Qt::LeftButton);
  Mouse(QEvent::MouseButtonRelease, QPoint(20, 8));
  QCoreApplication::processEvents();
  EXPECT_EQ(clicks, std::vector<int>{0});
  EXPECT_EQ(form->ActiveControl(), edit);
  EXPECT_EQ(QApplication::focusWidget(), edit->Peer());
}

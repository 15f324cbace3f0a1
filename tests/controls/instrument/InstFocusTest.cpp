// Where the focus goes when the user clicks the instrument controls, and how
// numeric edits that refuse to be left send it back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <memory>
#include <tuple>

#include "controls/instrument/InstButtons.h"
#include "controls/instrument/InstCheckLed.h"
#include "controls/instrument/InstEdit.h"
#include "controls/instrument/InstHyperCtrls.h"
#include "controls/instrument/InstSlider.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Windows.h"
#include "platform/gui/testing/GuiTest.h"
#include "tests/controls/instrument/InstTestSupport.h"

namespace {

// A real click, as the window system delivers it (the way the user clicks).
void UserClick(TWinControl* c, int x, int y) {
  QTest::mouseClick(c->Peer(), Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
}

bool HasKeyboardFocus(TWinControl* c) { return c->Peer() && c->Peer()->hasFocus(); }

// Counts every move of the keyboard focus, even one that comes straight back.
class FocusMoves {
 public:
  FocusMoves() {
    connection_ = QObject::connect(qApp, &QApplication::focusChanged, [this](QWidget*, QWidget*) { ++count; });
  }
  ~FocusMoves() { QObject::disconnect(connection_); }
  int count = 0;

 private:
  QMetaObject::Connection connection_;
};

// A form with a numeric edit holding an out-of-range value whose error
// handler refuses the exit, and one control of each windowed kind on a panel.
class ClickFocusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = MakeForm(500, 400);
    panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(0, 100, 500, 300);
    edit = new TInstNumEdit(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(10, 10, 100, 24);
    edit->SetTabStop(true);
    edit->SetMaxValue(400);
    edit->OnError = [this](TObject*, bool& canExit) {
      ++errors;
      canExit = false;
    };
    button = new TInstDemoButton(form.get());
    button->SetParent(panel);
    button->SetBounds(10, 10, 150, 25);
    button->OnClick = [this](TObject*) { ++clicks; };
    slider = new TInstSlider(form.get());
    slider->SetParent(panel);
    slider->SetBounds(200, 10, 36, 171);
    led = new TInstCheckLed(form.get());
    led->SetParent(panel);
    led->SetBounds(300, 10, 125, 25);
    web = new TInstWebLabel(form.get());
    web->SetParent(form.get());
    web->SetBounds(200, 10, 135, 25);
    SetShellOpenHandler([](const std::string&, const std::string&) { return true; });
    form->Show();
    edit->SetFocus();
    edit->SetText("401");
    QApplication::processEvents();
    ASSERT_TRUE(HasKeyboardFocus(edit));
  }
  void TearDown() override {
    SetShellOpenHandler(nullptr);
    form.reset();
  }
  // The thumb's centre, in the slider's client coordinates.
  QPoint Thumb() const {
    const TRect t = slider->ThumbRect();
    return QPoint((t.Left + t.Right) / 2, (t.Top + t.Bottom) / 2);
  }
  QPoint LedCentre() const {
    const TRect r = led->LedRect();
    return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  void ExpectTheEditKeepsTheFocus(const char* what) {
    EXPECT_TRUE(HasKeyboardFocus(edit)) << what;
    EXPECT_EQ(form->ActiveControl(), edit) << what;
    EXPECT_EQ(errors, 0) << what << ": the edit was never left, so nothing was checked";
  }

  std::unique_ptr<TForm> form;
  TPanel* panel = nullptr;
  TInstNumEdit* edit = nullptr;
  TInstDemoButton* button = nullptr;
  TInstSlider* slider = nullptr;
  TInstCheckLed* led = nullptr;
  TInstWebLabel* web = nullptr;
  int errors = 0, clicks = 0;
};

}  // namespace

TEST_F(ClickFocusTest, ControlsThatAreNoTabStopsWorkWithoutTakingTheFocus) {
  FocusMoves moves;
  UserClick(button, 20, 10);
  EXPECT_EQ(clicks, 1) << "the click itself still works";
  ExpectTheEditKeepsTheFocus("button");

  UserClick(slider, Thumb().x(), Thumb().y());
  ExpectTheEditKeepsTheFocus("slider");

  UserClick(led, LedCentre().x(), LedCentre().y());
  EXPECT_TRUE(led->Checked());
  ExpectTheEditKeepsTheFocus("LED check box");

  QTest::mouseClick(form->ClientWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(210, 20));  // the web label
  ExpectTheEditKeepsTheFocus("web label");
  UserClick(panel, 480, 280);
  ExpectTheEditKeepsTheFocus("an empty part of a panel");
  EXPECT_EQ(moves.count, 0) << "not even for a moment";
}

TEST_F(ClickFocusTest, TabStopsTakeTheFocusOnClickAndTheEditChecksItsValueOnce) {
  button->SetTabStop(true);
  UserClick(button, 20, 10);
  QApplication::processEvents();
  EXPECT_EQ(errors, 1);
  EXPECT_TRUE(HasKeyboardFocus(edit)) << "the refusing handler sent the focus back";
  EXPECT_EQ(form->ActiveControl(), edit);

  edit->SetText("12");
  slider->SetTabStop(true);
  UserClick(slider, Thumb().x(), Thumb().y());
  EXPECT_TRUE(HasKeyboardFocus(slider));
  EXPECT_EQ(form->ActiveControl(), slider);
  led->SetTabStop(true);
  UserClick(led, LedCentre().x(), LedCentre().y());
  EXPECT_TRUE(HasKeyboardFocus(led));
  EXPECT_EQ(errors, 1);
}

TEST_F(ClickFocusTest, TwoEditsThatBothRefuseToBeLeftEndInTheFirst) {
  auto* other = new TInstNumEdit(form.get());
  other->SetParent(form.get());
  other->SetBounds(10, 50, 100, 24);
  other->SetTabStop(true);
  other->SetMaxValue(400);
  other->SetText("500");  // out of range too, set while the field was never entered
  int otherErrors = 0;
  other->OnError = [&](TObject*, bool& canExit) {
    ++otherErrors;
    canExit = false;
  };
  // Each handler sends the focus back from inside the change of focus; the
  // form must not start a change inside a change.
  UserClick(other, 5, 5);
  QApplication::processEvents();
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(otherErrors, 0) << "the focus only passed through the other field";
  EXPECT_TRUE(HasKeyboardFocus(edit));
  EXPECT_EQ(form->ActiveControl(), edit);
  EXPECT_EQ(edit->Text(), "401");
  EXPECT_EQ(other->Text(), "500");

  // The same through the program's own focus calls.
  other->SetFocus();
  QApplication::processEvents();
  EXPECT_EQ(errors, 2);
  EXPECT_EQ(otherErrors, 0);
  EXPECT_EQ(form->ActiveControl(), edit);
  EXPECT_TRUE(HasKeyboardFocus(edit));

  // Once the first field is in range, the second one is entered and checks its own value on leaving.
  edit->SetText("12");
  other->SetFocus();
  QApplication::processEvents();
  EXPECT_EQ(form->ActiveControl(), other);
  edit->SetFocus();
  QApplication::processEvents();
  EXPECT_EQ(otherErrors, 1);
  EXPECT_EQ(form->ActiveControl(), other);
}

namespace {

class MdiClickFocusTest : public TGuiTest {};

}  // namespace

TEST_F(MdiClickFocusTest, AButtonInAChildWindowLeavesTheFocusInItsEdit) {
  auto* frame = new TForm(Application);
  Application->SetMainForm(frame);
  frame->SetFormStyle(fsMDIForm);
  frame->SetBounds(0, 0, 700, 500);
  frame->Show();
  auto makeChild = [](int left) {
    auto* child = new TForm(Application);
    child->SetFormStyle(fsMDIChild);
    child->SetBounds(left, 0, 300, 200);
    auto* edit = new TInstNumEdit(child);
    edit->SetParent(child);
    edit->SetBounds(10, 10, 100, 24);
    edit->SetTabStop(true);
    auto* button = new TInstDemoButton(child);
    button->SetParent(child);
    button->SetBounds(10, 60, 150, 25);
    return std::make_tuple(child, edit, button);
  };
  auto [first, firstEdit, firstButton] = makeChild(0);
  auto [second, secondEdit, secondButton] = makeChild(320);
  int errors = 0, clicks = 0;
  secondEdit->SetMaxValue(400);
  secondEdit->OnError = [&](TObject*, bool& canExit) {
    ++errors;
    canExit = false;
  };
  secondButton->OnClick = [&](TObject*) { ++clicks; };
  firstEdit->SetFocus();
  secondEdit->SetFocus();
  secondEdit->SetText("401");
  QApplication::processEvents();
  ASSERT_EQ(frame->ActiveMDIChild(), second);
  ASSERT_TRUE(HasKeyboardFocus(secondEdit));

  FocusMoves moves;
  UserClick(secondButton, 20, 10);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(errors, 0);
  EXPECT_TRUE(HasKeyboardFocus(secondEdit));
  EXPECT_EQ(moves.count, 0);

  // A click in the other child still brings that child to the front, with its own edit focused.
  UserClick(firstButton, 20, 10);
  QApplication::processEvents();
  EXPECT_EQ(frame->ActiveMDIChild(), first);
  EXPECT_TRUE(HasKeyboardFocus(firstEdit));
  EXPECT_EQ(errors, 0) << "each child keeps its own focus";
}

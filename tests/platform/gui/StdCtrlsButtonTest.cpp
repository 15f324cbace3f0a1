// Push buttons, check boxes, radio buttons, speed buttons and bitmap buttons.
#include <QCheckBox>
#include <QPalette>
#include <QRadioButton>
#include <QTimer>

#include "platform/gui/Buttons.h"
#include "platform/gui/StdCtrls.h"
#include "tests/platform/gui/StdCtrlsTestSupport.h"

namespace {

class StdButtons : public TGuiTest {};

struct TDialogForm {
  TForm* Form;
  TEdit* Edit;
  TButton* Ok;
  TButton* Cancel;
  int OkClicks = 0, CancelClicks = 0;
};

TDialogForm MakeDialog() {
  TDialogForm d{};
  d.Form = StdForm(240, 120);
  d.Edit = new TEdit(d.Form);
  d.Edit->SetParent(d.Form);
  d.Edit->SetBounds(10, 10, 120, 21);
  d.Ok = new TButton(d.Form);
  d.Ok->SetParent(d.Form);
  d.Ok->SetBounds(10, 60, 75, 25);
  d.Ok->SetCaption("OK");
  d.Ok->SetDefault(true);
  d.Ok->SetModalResult(mrOk);
  d.Cancel = new TButton(d.Form);
  d.Cancel->SetParent(d.Form);
  d.Cancel->SetBounds(100, 60, 75, 25);
  d.Cancel->SetCaption("Cancel");
  d.Cancel->SetCancel(true);
  d.Cancel->SetModalResult(mrCancel);
  return d;
}

TEST_F(StdButtons, ModalResultOfAClickedButtonEndsShowModal) {
  TDialogForm d = MakeDialog();
  d.Ok->OnClick = [&](TObject*) { ++d.OkClicks; };
  QTimer::singleShot(0, [&] { StdClick(d.Ok); });
  EXPECT_EQ(d.Form->ShowModal(), mrOk);
  EXPECT_EQ(d.OkClicks, 1);
  EXPECT_FALSE(d.Form->Visible());
}

TEST_F(StdButtons, OnClickRunsAfterTheModalResultAndMayWithdrawIt) {
  TDialogForm d = MakeDialog();
  // The first click is refused by its handler; the second one closes.
  d.Ok->OnClick = [&](TObject*) {
    EXPECT_EQ(d.Form->ModalResult(), mrOk) << "the form's result is set before OnClick";
    if (++d.OkClicks == 1) d.Form->SetModalResult(mrNone);
  };
  QTimer::singleShot(0, [&] {
    StdClick(d.Ok);
    EXPECT_TRUE(d.Form->Visible());
    StdClick(d.Ok);
  });
  EXPECT_EQ(d.Form->ShowModal(), mrOk);
  EXPECT_EQ(d.OkClicks, 2);
}

TEST_F(StdButtons, ReturnClicksTheDefaultButtonAndEscapeTheCancelButton) {
  TDialogForm d = MakeDialog();
  d.Ok->OnClick = [&](TObject*) { ++d.OkClicks; };
  d.Cancel->OnClick = [&](TObject*) { ++d.CancelClicks; };
  d.Form->SetActiveControl(d.Edit);
  QTimer::singleShot(0, [&] { StdKey(d.Edit, Qt::Key_Return, "\r"); });
  EXPECT_EQ(d.Form->ShowModal(), mrOk);
  EXPECT_EQ(d.OkClicks, 1);
  EXPECT_EQ(d.CancelClicks, 0);

  d.Form->SetActiveControl(d.Edit);
  QTimer::singleShot(0, [&] { StdKey(d.Edit, Qt::Key_Escape, "\x1b"); });
  EXPECT_EQ(d.Form->ShowModal(), mrCancel);
  EXPECT_EQ(d.CancelClicks, 1);
  EXPECT_EQ(d.OkClicks, 1);
  EXPECT_EQ(d.Edit->Text(), "") << "the dialog keys never reached the edit";
}

TEST_F(StdButtons, ReturnOnAFocusedButtonClicksThatButtonNotTheDefault) {
  TDialogForm d = MakeDialog();
  d.Form->SetActiveControl(d.Cancel);
  EXPECT_TRUE(d.Cancel->Active());
  EXPECT_FALSE(d.Ok->Active()) << "a focused button takes the default role";
  QTimer::singleShot(0, [&] { StdKey(d.Cancel, Qt::Key_Return, "\r"); });
  EXPECT_EQ(d.Form->ShowModal(), mrCancel);
}

TEST_F(StdButtons, DisabledOrPlainButtonsIgnoreDialogKeys) {
  TDialogForm d = MakeDialog();
  d.Ok->OnClick = [&](TObject*) { ++d.OkClicks; };
  d.Ok->SetEnabled(false);
  d.Form->Show();
  d.Form->SetActiveControl(d.Edit);
  EXPECT_EQ(d.Form->Perform(CM_DIALOGKEY, VK_RETURN, 0), 0);
  EXPECT_EQ(d.OkClicks, 0);
  d.Ok->SetEnabled(true);
  d.Ok->SetDefault(false);
  EXPECT_EQ(d.Form->Perform(CM_DIALOGKEY, VK_RETURN, 0), 0);
  EXPECT_EQ(d.Form->Perform(CM_DIALOGKEY, VK_RETURN, static_cast<LPARAM>(ssCtrl)), 0);
  d.Ok->SetDefault(true);
  EXPECT_EQ(d.Form->Perform(CM_DIALOGKEY, VK_RETURN, static_cast<LPARAM>(ssCtrl)), 0)
      << "a shifted Return is no dialog key of a button";
  EXPECT_EQ(d.Form->Perform(CM_DIALOGKEY, VK_RETURN, 0), 1);
  EXPECT_EQ(d.OkClicks, 1);
}

TEST_F(StdButtons, AcceleratorOfTheCaptionClicksTheButton) {
  TDialogForm d = MakeDialog();
  d.Cancel->SetCaption("&Abort");
  d.Cancel->OnClick = [&](TObject*) { ++d.CancelClicks; };
  d.Form->Show();
  EXPECT_EQ(d.Form->Perform(CM_DIALOGCHAR, 'a', KF_ALTDOWN_LPARAM), 1);
  EXPECT_EQ(d.Form->Perform(CM_DIALOGCHAR, 'b', KF_ALTDOWN_LPARAM), 0);
  EXPECT_EQ(d.CancelClicks, 1);
}

TEST_F(StdButtons, CheckBoxStateCyclesAndEveryChangeFiresOnClick) {
  TForm* f = StdForm();
  auto* c = new TCheckBox(f);
  c->SetParent(f);
  c->SetCaption("Open each time");
  int clicks = 0;
  c->OnClick = [&](TObject*) { ++clicks; };
  c->SetChecked(true);
  EXPECT_EQ(clicks, 1) << "a change by the program fires OnClick as a click does";
  c->SetChecked(true);
  EXPECT_EQ(clicks, 1);
  f->Show();
  StdClick(c);
  EXPECT_FALSE(c->Checked());
  EXPECT_EQ(clicks, 2);
  c->SetAllowGrayed(true);
  StdClick(c);
  EXPECT_EQ(c->State(), cbGrayed);
  StdClick(c);
  EXPECT_EQ(c->State(), cbChecked);
  EXPECT_EQ(static_cast<QCheckBox*>(c->Peer())->checkState(), Qt::Checked) << "the box shows the kept state";
}

TEST_F(StdButtons, RadioButtonsExcludeEachOtherWithinOneParentOnly) {
  TForm* f = StdForm(400, 200);
  auto* a = new TGroupBox(f);
  a->SetParent(f);
  a->SetBounds(0, 0, 190, 150);
  auto* b = new TGroupBox(f);
  b->SetParent(f);
  b->SetBounds(200, 0, 190, 150);
  TRadioButton* ra[3];
  TRadioButton* rb[2];
  int clicks = 0;
  for (int i = 0; i < 3; ++i) {
    ra[i] = new TRadioButton(f);
    ra[i]->SetParent(a);
    ra[i]->SetBounds(8, 20 + 24 * i, 100, 17);
    ra[i]->SetCaption("Mode " + std::to_string(i));
    ra[i]->OnClick = [&](TObject*) { ++clicks; };
  }
  for (int i = 0; i < 2; ++i) {
    rb[i] = new TRadioButton(f);
    rb[i]->SetParent(b);
    rb[i]->SetBounds(8, 20 + 24 * i, 100, 17);
  }
  rb[0]->SetChecked(true);
  ra[0]->SetChecked(true);
  ra[1]->SetChecked(true);
  EXPECT_FALSE(ra[0]->Checked());
  EXPECT_TRUE(ra[1]->Checked());
  EXPECT_TRUE(rb[0]->Checked()) << "another parent's group is left alone";
  EXPECT_EQ(clicks, 2);
  EXPECT_TRUE(ra[1]->TabStop());
  EXPECT_FALSE(ra[0]->TabStop()) << "only the checked button of a group is a tab stop";

  f->Show();
  StdClick(ra[2]->Peer(), 6, 8);
  EXPECT_TRUE(ra[2]->Checked());
  EXPECT_FALSE(ra[1]->Checked());
  EXPECT_FALSE(static_cast<QRadioButton*>(ra[1]->Peer())->isChecked());
  EXPECT_EQ(clicks, 3);
  StdClick(ra[2]->Peer(), 6, 8);
  EXPECT_TRUE(ra[2]->Checked()) << "a click on the checked button keeps it checked";
  EXPECT_EQ(clicks, 3);

  // Arrow keys walk the group and check the button they reach.
  f->SetActiveControl(ra[2]);
  StdKey(ra[2], Qt::Key_Up);
  EXPECT_EQ(f->ActiveControl(), ra[1]);
  EXPECT_TRUE(ra[1]->Checked());
  EXPECT_FALSE(ra[2]->Checked());
  EXPECT_TRUE(rb[0]->Checked());
  EXPECT_EQ(clicks, 4);
}

TEST_F(StdButtons, SpeedButtonsOfAGroupReleaseEachOther) {
  TForm* f = StdForm();
  TSpeedButton* s[3];
  int clicks = 0;
  for (int i = 0; i < 3; ++i) {
    s[i] = new TSpeedButton(f);
    s[i]->SetParent(f);
    s[i]->SetBounds(10 + 30 * i, 10, 23, 22);
    s[i]->SetGroupIndex(1);
    s[i]->OnClick = [&](TObject*) { ++clicks; };
  }
  auto* loose = new TSpeedButton(f);
  loose->SetParent(f);
  loose->SetDown(true);
  EXPECT_FALSE(loose->Down()) << "a button outside a group cannot stay down";

  s[0]->SetDown(true);
  s[1]->SetDown(true);
  EXPECT_FALSE(s[0]->Down());
  EXPECT_TRUE(s[1]->Down());
  s[1]->SetDown(false);
  EXPECT_TRUE(s[1]->Down()) << "without AllowAllUp one button stays down";
  EXPECT_EQ(clicks, 0) << "Down set by the program is no click";

  // A press and release inside clicks; a release outside does not.
  s[2]->MouseDown(mbLeft, ssLeft, 5, 5);
  EXPECT_EQ(s[2]->State(), bsDown);
  s[2]->MouseUp(mbLeft, 0, 5, 5);
  EXPECT_TRUE(s[2]->Down());
  EXPECT_FALSE(s[1]->Down());
  EXPECT_EQ(clicks, 1);
  s[2]->MouseDown(mbLeft, ssLeft, 5, 5);
  s[2]->MouseUp(mbLeft, 0, 5, 5);
  EXPECT_TRUE(s[2]->Down()) << "clicking the down button of a group keeps it down";
  s[0]->MouseDown(mbLeft, ssLeft, 5, 5);
  s[0]->MouseUp(mbLeft, 0, 100, 5);
  EXPECT_FALSE(s[0]->Down());
  EXPECT_EQ(clicks, 2);

  s[0]->SetAllowAllUp(true);
  EXPECT_TRUE(s[2]->AllowAllUp()) << "AllowAllUp is shared by the group";
  s[2]->MouseDown(mbLeft, ssLeft, 5, 5);
  s[2]->MouseUp(mbLeft, 0, 5, 5);
  EXPECT_FALSE(s[2]->Down());
}

TEST_F(StdButtons, BitBtnKindSetsCaptionResultAndRoles) {
  TForm* f = StdForm();
  auto* b = new TBitBtn(f);
  b->SetParent(f);
  b->SetKind(bkOK);
  EXPECT_EQ(b->Caption(), "OK");
  EXPECT_EQ(b->ModalResult(), mrOk);
  EXPECT_TRUE(b->Default());
  EXPECT_FALSE(b->Glyph()->Empty());
  b->SetKind(bkNo);
  EXPECT_EQ(b->Caption(), "&No");
  EXPECT_EQ(b->ModalResult(), mrNo);
  EXPECT_TRUE(b->Cancel());
  EXPECT_FALSE(b->Default());
  TBitmap own(16, 16);
  b->SetGlyph(&own);
  EXPECT_EQ(b->Kind(), bkCustom) << "a glyph of one's own ends the kind";
  EXPECT_EQ(b->ModalResult(), mrNo);
}

TEST_F(StdButtons, BitBtnCloseKindClosesItsForm) {
  TForm* f = StdForm();
  auto* b = new TBitBtn(f);
  b->SetParent(f);
  b->SetKind(bkClose);
  int closes = 0;
  f->OnClose = [&](TObject*, TCloseAction& a) {
    ++closes;
    a = caHide;
  };
  f->Show();
  StdClick(b);
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(f->Visible());
}

TEST_F(StdButtons, GlyphWithSeveralPicturesSetsNumGlyphs) {
  TButtonGlyph g;
  TBitmap strip(64, 16);
  g.SetGlyph(&strip);
  EXPECT_EQ(g.NumGlyphs(), 4);
  EXPECT_EQ(g.GlyphSize().cx, 16);
  TBitmap odd(40, 16);
  g.SetGlyph(&odd);
  EXPECT_EQ(g.NumGlyphs(), 4) << "a width that is no multiple of the height keeps the count";
  TBitmap wide(96, 16);
  g.SetGlyph(&wide);
  EXPECT_EQ(g.NumGlyphs(), 1) << "more than four pictures count as one";
}

TEST_F(StdButtons, CheckBoxesAndRadioButtonsTakeAClickAnywhereInTheirWindow) {
  TForm* f = StdForm(400, 100);
  auto* r = new TRadioButton(f);
  r->SetParent(f);
  r->SetBounds(10, 10, 300, 20);
  r->SetCaption("On");
  auto* c = new TCheckBox(f);
  c->SetParent(f);
  c->SetBounds(10, 40, 300, 20);
  c->SetCaption("On");
  f->Show();
  // Far right of the short caption, where the platform's button controls still react.
  StdClick(r->Peer(), 290, 10);
  EXPECT_TRUE(r->Checked());
  StdClick(c->Peer(), 290, 10);
  EXPECT_TRUE(c->Checked());
}

TEST_F(StdButtons, ADisabledButtonKeepsItsGreyTextWhateverTheFontColour) {
  TForm* f = StdForm();
  auto* b = new TButton(f);
  b->SetParent(f);
  b->SetEnabled(false);
  f->Show();
  f->Font()->SetColor(clRed);  // reaches the button through its parent font
  const QPalette pal = b->Peer()->palette();
  EXPECT_EQ(pal.color(QPalette::Active, QPalette::ButtonText), QColor(Qt::red));
  EXPECT_NE(pal.color(QPalette::Disabled, QPalette::ButtonText), QColor(Qt::red)) << "disabled text stays grey";
}

}  // namespace

// The numeric edit: range checks, reformatting, the key filter and Escape.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <memory>
#include <string>

#include "controls/instrument/InstEdit.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/FormImage.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/SysUtils.h"
#include "tests/controls/instrument/InstTestSupport.h"

namespace {

class NumEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = MakeForm();
    e = new TInstNumEdit(form.get());
    e->SetParent(form.get());
    e->SetBounds(10, 10, 100, 24);
  }
  // Types one character through the key filter; returns what reached the field.
  char Type(char c) {
    e->KeyPress(c);
    return c;
  }
  void Leave() { e->CheckValue(); }
  // Real key presses on the edit's window, as the user types them.
  void TypeKeys(const std::string& keys) {
    for (char c : keys) {
      int code = c;
      if (c >= 'a' && c <= 'z') code = Qt::Key_A + (c - 'a');
      if (c == '.') code = Qt::Key_Period;
      if (c == '-') code = Qt::Key_Minus;
      QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, QString(QChar(c)));
      QApplication::sendEvent(e->Peer(), &press);
      QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, QString(QChar(c)));
      QApplication::sendEvent(e->Peer(), &release);
    }
  }

  TFormatSettingsScope settings;
  std::unique_ptr<TForm> form;
  TInstNumEdit* e = nullptr;
};

}  // namespace

TEST_F(NumEditTest, Defaults) {
  EXPECT_EQ(e->MinValue(), 0);
  EXPECT_EQ(e->MaxValue(), 9999);
  EXPECT_EQ(e->Decimals(), 0);
  EXPECT_EQ(e->Color(), clBlack);
  EXPECT_EQ(e->Font()->Color(), clLime);
  EXPECT_EQ(e->Alignment(), taLeftJustify);
  EXPECT_FALSE(e->RestoreOnEsc());
}

TEST_F(NumEditTest, InRangeIsKeptAndOutOfRangeCallsOnError) {
  e->SetMaxValue(400);
  e->SetMinValue(1);
  int errors = 0;
  e->OnError = [&](TObject* s, bool& canExit) {
    EXPECT_EQ(s, e);
    EXPECT_TRUE(canExit);
    ++errors;
  };
  e->SetText("400");
  Leave();
  EXPECT_EQ(e->Text(), "400");
  EXPECT_EQ(errors, 0);
  e->SetText("401");
  Leave();
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(e->Text(), "401");
  e->SetText("0");
  Leave();
  EXPECT_EQ(errors, 2);
}

TEST_F(NumEditTest, WithoutAHandlerTheTextStays) {
  e->SetMaxValue(400);
  e->SetText("401");
  Leave();
  EXPECT_EQ(e->Text(), "401");
  e->SetText("abc");
  Leave();
  EXPECT_EQ(e->Text(), "abc");
}

TEST_F(NumEditTest, EmptyTextIsLeftAloneAndReadsAsTheMinimum) {
  e->SetMaxValue(50);
  e->SetMinValue(7);
  int errors = 0;
  e->OnError = [&](TObject*, bool&) { ++errors; };
  e->SetText("");
  Leave();
  EXPECT_EQ(errors, 0);
  EXPECT_EQ(e->Value(), 7);
  e->SetText("x");
  EXPECT_THROW(e->Value(), EConvertError);
}

TEST_F(NumEditTest, DecimalsReformat) {
  e->SetDecimals(2);
  e->SetText("3.5");
  Leave();
  EXPECT_EQ(e->Text(), "3.50");
  e->SetDecimals(0);
  EXPECT_EQ(e->Text(), "4");  // rewritten as the setter checks again
  e->SetValue(12.25);
  EXPECT_EQ(e->Text(), "12");
}

TEST_F(NumEditTest, CommaSeparatorFollowsTheLocale) {
  FormatSettings.DecimalSeparator = ',';
  e->SetDecimals(1);
  e->SetText("2,24");
  Leave();
  EXPECT_EQ(e->Text(), "2,2");
  EXPECT_EQ(Type(','), 0);  // already holds one
  e->SetText("2");
  EXPECT_EQ(Type(','), ',');
  EXPECT_EQ(Type('.'), 0);
}

TEST_F(NumEditTest, RangeSettersIgnoreAnEmptyOrInvertedRange) {
  e->SetMinValue(10);
  e->SetMaxValue(10);
  EXPECT_EQ(e->MaxValue(), 9999);
  e->SetMaxValue(20);
  e->SetMinValue(20);
  EXPECT_EQ(e->MinValue(), 10);
  e->SetMinValue(25);
  EXPECT_EQ(e->MinValue(), 10);
  e->SetMaxValue(5);
  EXPECT_EQ(e->MaxValue(), 20);
}

TEST_F(NumEditTest, KeyFilterLetsOnlyNumbersThrough) {
  EXPECT_EQ(Type('5'), '5');
  EXPECT_EQ(Type('a'), 0);
  EXPECT_EQ(Type(' '), 0);
  EXPECT_EQ(Type('+'), 0);
  EXPECT_EQ(Type(8), 8);
  EXPECT_EQ(Type('.'), 0);  // no decimals allowed
  e->SetDecimals(1);
  e->SetText("1");
  EXPECT_EQ(Type('.'), '.');
  e->SetText("1.5");
  EXPECT_EQ(Type('.'), 0);
  e->SetDecimals(-1);  // no digits after the separator: none may be typed
  EXPECT_EQ(e->Decimals(), 0);
  e->SetText("1");
  EXPECT_EQ(Type('.'), 0);
}

TEST_F(NumEditTest, TypedCharactersGoThroughTheFilterIntoTheText) {
  form->Show();
  e->SetFocus();
  TypeKeys("1a2.x3");
  EXPECT_EQ(e->Text(), "123");
  TypeKeys("-");
  EXPECT_EQ(e->Text(), "-123");
  TypeKeys("4");
  EXPECT_EQ(e->Text(), "-1234");
  form->Hide();
}

TEST_F(NumEditTest, MinusTogglesTheSignAndMovesTheCaret) {
  e->SetText("12");
  e->SetSelStart(2);
  EXPECT_EQ(Type('-'), 0);
  EXPECT_EQ(e->Text(), "-12");
  EXPECT_EQ(e->SelStart(), 3);
  EXPECT_EQ(Type('-'), 0);
  EXPECT_EQ(e->Text(), "12");
  EXPECT_EQ(e->SelStart(), 2);
}

TEST_F(NumEditTest, MinusObeysReadOnlyAndPassesMaxLength) {
  e->SetText("400");
  e->SetMaxLength(3);
  e->SetSelStart(3);
  EXPECT_EQ(Type('-'), 0);
  EXPECT_EQ(e->Text(), "-400") << "a full field takes the sign in front";
  EXPECT_EQ(e->SelStart(), 4);
  e->SetText("-40");
  EXPECT_EQ(Type('-'), 0);
  EXPECT_EQ(e->Text(), "40") << "removing the sign always fits";
  EXPECT_EQ(Type('-'), 0);
  EXPECT_EQ(e->Text(), "-40");

  e->SetMaxLength(0);
  e->SetReadOnly(true);
  EXPECT_EQ(Type('-'), 0);
  EXPECT_EQ(e->Text(), "-40");
  e->SetText("12");
  EXPECT_EQ(Type('-'), 0);
  EXPECT_EQ(e->Text(), "12");
}

TEST_F(NumEditTest, EscapeRestoresTheTextOfEntryOnlyWhenAsked) {
  form->Show();
  e->SetText("100");
  e->SetFocus();
  e->SetText("123");
  EXPECT_EQ(Type(27), 0);
  EXPECT_EQ(e->Text(), "123");
  e->SetRestoreOnEsc(true);
  EXPECT_EQ(Type(27), 0);
  EXPECT_EQ(e->Text(), "100");
  form->Hide();
}

TEST_F(NumEditTest, HandlerCanKeepTheFocus) {
  auto* other = new TInstNumEdit(form.get());
  other->SetParent(form.get());
  other->SetBounds(10, 50, 100, 24);
  form->Show();
  e->SetMaxValue(400);
  e->OnError = [](TObject*, bool& canExit) { canExit = false; };
  e->SetFocus();
  e->SetText("401");
  other->SetFocus();
  Application->ProcessMessages();  // the focus goes back once the change has finished
  EXPECT_TRUE(e->Focused());
  EXPECT_EQ(form->ActiveControl(), e);
  e->OnError = nullptr;
  other->SetFocus();
  EXPECT_TRUE(other->Focused());
  EXPECT_EQ(e->Text(), "401");
  form->Hide();
}

TEST_F(NumEditTest, Ctl3DChoosesTheSunkenOrTheFlatFrame) {
  PinSystemColours();
  SetSysColor(6, RGB(0, 0, 90));    // clWindowFrame
  SetSysColor(21, RGB(60, 0, 0));   // cl3DDkShadow
  SetSysColor(22, RGB(210, 210, 200));  // cl3DLight
  struct Row {
    bool ctl3D;
    TBorderStyle border;
    TColor outerTopLeft, outerBottomRight, innerTopLeft, innerBottomRight;
  };
  const TColor shadow = RGB(128, 128, 128), light = RGB(255, 255, 255), dark = RGB(60, 0, 0),
               face3D = RGB(210, 210, 200), frame = RGB(0, 0, 90), base = RGB(0, 0, 0);
  const Row rows[] = {
      {true, bsSingle, shadow, light, dark, face3D},
      {false, bsSingle, frame, frame, base, base},
      {true, bsNone, base, base, base, base},
      {false, bsNone, base, base, base, base},
  };
  EXPECT_TRUE(e->Ctl3D());
  form->Show();
  for (const Row& r : rows) {
    e->SetCtl3D(r.ctl3D);
    e->SetBorderStyle(r.border);
    const QImage img = RenderControlImage(e);
    auto at = [&](int x, int y) {
      const QRgb p = img.pixel(x, y);
      return RGB(qRed(p), qGreen(p), qBlue(p));
    };
    const int w = img.width(), h = img.height();
    SCOPED_TRACE(std::string(r.ctl3D ? "3D " : "flat ") + (r.border == bsNone ? "none" : "single"));
    EXPECT_EQ(at(0, 0), r.outerTopLeft);
    EXPECT_EQ(at(w / 2, 0), r.outerTopLeft);
    EXPECT_EQ(at(w - 1, h / 2), r.outerBottomRight);
    EXPECT_EQ(at(w / 2, h - 1), r.outerBottomRight);
    EXPECT_EQ(at(1, h / 2), r.innerTopLeft);
    EXPECT_EQ(at(w - 2, h / 2), r.innerBottomRight);
  }
  form->Hide();
}

TEST_F(NumEditTest, OEMConvertKeepsOnlyWhatTheOemSetHolds) {
  struct Row {
    bool convert;
    std::string pasted, expected;
  };
  const Row rows[] = {
      {false, "1\xE2\x82\xAC" "2", "1\xE2\x82\xAC" "2"},         // the euro sign stays without the switch
      {true, "1\xE2\x82\xAC" "2", "1?2"},                       // no OEM euro sign
      {true, "\xC3\xA9\xC3\xB1\xC2\xB0", "\xC3\xA9\xC3\xB1\xC2\xB0"},  // e acute, n tilde, degree are OEM
      {true, "\xC3\x80\xC5\xA0", "??"},                      // A grave, S caron are not
      {true, "\xE2\x95\x94\xCE\xB1", "\xE2\x95\x94\xCE\xB1"},    // box corner, alpha are
  };
  for (const Row& r : rows) {
    e->SetOEMConvert(r.convert);
    e->SetText("");
    Clipboard()->SetAsText(r.pasted);
    e->PasteFromClipboard();
    EXPECT_EQ(e->Text(), r.expected) << r.pasted;
  }
  // Text the program sets is left alone.
  e->SetText("\xE2\x82\xAC");
  EXPECT_EQ(e->Text(), "\xE2\x82\xAC");
}

TEST_F(NumEditTest, HideSelectionHidesTheSelectionOfAnEditWithoutTheFocus) {
  auto* other = new TInstNumEdit(form.get());
  other->SetParent(form.get());
  other->SetBounds(10, 50, 100, 24);
  form->Show();
  // Selection background pixels: the highlight is the one bluish colour of the field.
  auto selectionShown = [&] {
    const QImage img = RenderControlImage(e);
    for (int y = 3; y < img.height() - 3; ++y)
      for (int x = 3; x < img.width() - 3; ++x) {
        const QRgb p = img.pixel(x, y);
        if (qBlue(p) > 100 && qRed(p) < 120) return true;
      }
    return false;
  };
  struct Row {
    bool hide, shownWithoutFocus;
  };
  for (const Row r : {Row{true, false}, Row{false, true}}) {
    e->SetHideSelection(r.hide);
    e->SetText("12345");
    e->SetFocus();
    e->SelectAll();
    ASSERT_TRUE(selectionShown()) << r.hide;
    other->SetFocus();
    EXPECT_EQ(selectionShown(), r.shownWithoutFocus) << r.hide;
    EXPECT_EQ(e->SelLength(), 5) << "the selection is kept";
    e->SetFocus();
    EXPECT_TRUE(selectionShown()) << r.hide;
  }
  form->Hide();
}

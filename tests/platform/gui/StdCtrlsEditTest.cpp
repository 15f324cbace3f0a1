// Edits, memos, masked edits and spin edits, driven through their windows' keys.
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QMenu>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <vector>

#include "platform/gui/Clipbrd.h"
#include "platform/gui/Mask.h"
#include "platform/gui/Menus.h"
#include "platform/gui/QtBridge.h"
#include "platform/gui/QtCanvas.h"
#include "platform/gui/Spin.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Timer.h"
#include "platform/rtl/Win1252.h"
#include "tests/platform/gui/StdCtrlsTestSupport.h"

namespace {

class StdEdits : public TGuiTest {
 protected:
  template <class T>
  T* Make(int w = 150) {
    if (!form_) form_ = StdForm(400, 300);
    auto* e = new T(form_);
    e->SetParent(form_);
    e->SetBounds(10, 10 + 30 * count_++, w, 21);
    form_->Show();
    return e;
  }
  TForm* form_ = nullptr;
  int count_ = 0;
};

TEST_F(StdEdits, TypedAndProgramTextFireOnChangeOncePerChange) {
  auto* e = Make<TEdit>();
  std::vector<std::string> seen;
  e->OnChange = [&](TObject*) { seen.push_back(e->Text()); };
  StdType(e, "hey");
  EXPECT_EQ(seen, (std::vector<std::string>{"h", "he", "hey"}));
  EXPECT_TRUE(e->Modified());
  EXPECT_EQ(e->SelStart(), 3);
  e->SetText("new");
  EXPECT_EQ(seen.back(), "new");
  EXPECT_FALSE(e->Modified()) << "text set by the program is no user change";
  EXPECT_EQ(e->SelStart(), 0);
  size_t n = seen.size();
  e->SetText("new");
  EXPECT_EQ(seen.size(), n) << "the same text is no change";
  EXPECT_EQ(static_cast<QLineEdit*>(e->Peer())->text(), "new");
}

TEST_F(StdEdits, MaxLengthLimitsTypingAndPastingButNotTheProgram) {
  auto* e = Make<TEdit>();
  e->SetMaxLength(3);
  int beeps = BeepCount();
  StdType(e, "abcd");
  EXPECT_EQ(e->Text(), "abc");
  EXPECT_EQ(BeepCount(), beeps + 1) << "the refused character beeps";
  e->SetText("abcdef");
  EXPECT_EQ(e->Text(), "abcdef");
  e->SetText("a");
  e->SetSelStart(1);
  Clipboard()->SetAsText("WXYZ\r\nsecond line");
  e->PasteFromClipboard();
  EXPECT_EQ(e->Text(), "aWX") << "pasted text is cut to the room left";
  e->SelectAll();
  StdType(e, "q");
  EXPECT_EQ(e->Text(), "q") << "typing over a selection needs no room";
}

TEST_F(StdEdits, CharCaseAppliesToTypedPastedAndProgramText) {
  auto* e = Make<TEdit>();
  e->SetCharCase(ecUpperCase);
  StdType(e, "aBc");
  EXPECT_EQ(e->Text(), "ABC");
  e->SetText("mixed Case");
  EXPECT_EQ(e->Text(), "MIXED CASE");
  e->SetCharCase(ecLowerCase);
  EXPECT_EQ(e->Text(), "mixed case") << "changing the case converts the text";
}

TEST_F(StdEdits, ReadOnlyRefusesEveryEditByTheUser) {
  auto* e = Make<TEdit>();
  e->SetText("fixed");
  e->SetReadOnly(true);
  e->SetSelStart(5);
  StdType(e, "x");
  StdKey(e, Qt::Key_Backspace, "\b");
  e->SelectAll();
  StdKey(e, Qt::Key_Delete, QString(QChar(0x7F)));
  Clipboard()->SetAsText("pasted");
  StdKey(e, Qt::Key_V, "\x16", Qt::ControlModifier);
  EXPECT_EQ(e->Text(), "fixed");
  EXPECT_FALSE(e->Modified());
  e->SetText("by program");
  EXPECT_EQ(e->Text(), "by program");
}

TEST_F(StdEdits, KeyPressHandlersChangeOrSwallowTheCharacter) {
  auto* e = Make<TEdit>();
  e->OnKeyPress = [](TObject*, char& k) {
    if (k == 'x') k = 0;
    else if (k >= 'a' && k <= 'f') k = static_cast<char>(k - 32);
  };
  StdType(e, "axbg");
  EXPECT_EQ(e->Text(), "ABg");
}

// Text an input method composed arrives once committed, as if typed: through the key-press
// handlers; ImeMode imDisable switches input methods off for the window.
TEST_F(StdEdits, CommittedInputMethodTextIsTypedUnlessInputMethodsAreOff) {
  auto commit = [](TCustomEdit* e, const QString& text) {
    QInputMethodEvent ev;
    ev.setCommitString(text);
    QCoreApplication::sendEvent(e->Peer(), &ev);
  };
  auto* e = Make<TEdit>();
  std::string pressed;
  e->OnKeyPress = [&](TObject*, char& k) {
    pressed += k;
    if (k == 'x') k = 0;
  };
  EXPECT_TRUE(e->Peer()->testAttribute(Qt::WA_InputMethodEnabled));
  commit(e, QString::fromUtf8("ax\u00e9"));
  EXPECT_EQ(e->Text(), "a\u00e9") << "the handler swallowed x; the rest is UTF-8 text";
  EXPECT_EQ(pressed, "ax\xe9");

  e->SetImeMode(imDisable);
  EXPECT_FALSE(e->Peer()->testAttribute(Qt::WA_InputMethodEnabled));
  commit(e, "b");
  EXPECT_EQ(e->Text(), "a\u00e9");
  e->SetImeMode(imOpen);
  EXPECT_TRUE(e->Peer()->testAttribute(Qt::WA_InputMethodEnabled));
  e->SetReadOnly(true);
  EXPECT_FALSE(e->Peer()->testAttribute(Qt::WA_InputMethodEnabled));
  e->SetReadOnly(false);
  EXPECT_TRUE(e->Peer()->testAttribute(Qt::WA_InputMethodEnabled));

  auto* off = new TEdit(form_);
  off->SetImeMode(imDisable);
  off->SetImeName("Pinyin");
  off->SetParent(form_);
  EXPECT_FALSE(off->Peer()->testAttribute(Qt::WA_InputMethodEnabled)) << "set before the window is made";
  EXPECT_EQ(off->ImeName(), "Pinyin");
}

// Typed characters reach the text as UTF-8, whole: key-press handlers see one byte for each
// (its Windows-1252 byte, or '?'), and nothing they do splits a character.
TEST_F(StdEdits, TypedCharactersAreUtf8AndHandlersCannotSplitThem) {
  auto* e = Make<TEdit>();
  e->SetText("caf\xC3\xA9");  // "café" in UTF-8
  e->SetSelStart(5);
  std::vector<int> seen;
  e->OnKeyPress = [&](TObject*, char& k) { seen.push_back(static_cast<unsigned char>(k)); };
  StdKey(e, 0, QString(QChar(0x00FC)));  // ü
  StdKey(e, 0, QString(QChar(0x20AC)));  // €: a Windows-1252 byte of its own
  StdKey(e, 0, QString(QChar(0x0416)));  // Ж: no byte at all
  StdKey(e, 0, QString::fromUcs4(U"\U0001F600", 1));  // outside the 16-bit plane
  StdType(e, "!");
  EXPECT_EQ(e->Text(), "caf\xC3\xA9\xC3\xBC\xE2\x82\xAC\xD0\x96\xF0\x9F\x98\x80!");
  EXPECT_EQ(seen, (std::vector<int>{0xFC, 0x80, '?', '?', '!'}));

  // Backspace and the caret keys step over whole characters.
  StdKey(e, Qt::Key_Backspace, "\b");
  StdKey(e, Qt::Key_Backspace, "\b");
  EXPECT_EQ(e->Text(), "caf\xC3\xA9\xC3\xBC\xE2\x82\xAC\xD0\x96");
  StdKey(e, Qt::Key_Left);
  StdKey(e, Qt::Key_Left);
  StdKey(e, Qt::Key_Delete, QString(QChar(0x7F)));
  EXPECT_EQ(e->Text(), "caf\xC3\xA9\xC3\xBC\xD0\x96");
  StdKey(e, Qt::Key_Left, QString(), Qt::ShiftModifier);
  EXPECT_EQ(e->SelText(), "\xC3\xBC");

  // A handler that changes the byte gives that byte's character, still in UTF-8.
  e->OnKeyPress = [](TObject*, char& k) {
    if (static_cast<unsigned char>(k) == 0xE9) k = static_cast<char>(0xC9);  // é -> É
  };
  e->SetText("");
  StdKey(e, 0, QString(QChar(0x00E9)));
  EXPECT_EQ(e->Text(), "\xC3\x89");
  EXPECT_TRUE(IsValidUtf8(e->Text()));

  // Case conversion and the length limit keep characters whole.
  e->OnKeyPress = nullptr;
  e->SetText("");
  e->SetCharCase(ecLowerCase);
  StdKey(e, 0, QString(QChar(0x00C9)));  // É
  EXPECT_EQ(e->Text(), "\xC3\xA9");
  e->SetCharCase(ecUpperCase);
  EXPECT_EQ(e->Text(), "\xC3\x89");
  e->SetCharCase(ecNormal);
  e->SetMaxLength(4);
  e->SetSelStart(2);
  StdKey(e, 0, QString(QChar(0x20AC)));  // three bytes where two are left
  EXPECT_EQ(e->Text(), "\xC3\x89") << "a character that does not fit is refused whole";
  Clipboard()->SetAsText("a\xC3\xA9");
  e->PasteFromClipboard();
  EXPECT_EQ(e->Text(), "\xC3\x89" "a") << "pasted text is cut at a character boundary";
}

TEST_F(StdEdits, CaretKeysSelectAndDeleteKeysRemove) {
  auto* e = Make<TEdit>();
  e->SetText("hello world");
  e->SetSelStart(11);
  StdKey(e, Qt::Key_Left, QString(), Qt::ShiftModifier | Qt::ControlModifier);
  EXPECT_EQ(e->SelText(), "world");
  StdKey(e, Qt::Key_Backspace, "\b");
  EXPECT_EQ(e->Text(), "hello ");
  StdKey(e, Qt::Key_Home);
  StdKey(e, Qt::Key_Delete, QString(QChar(0x7F)));
  EXPECT_EQ(e->Text(), "ello ");
  StdKey(e, Qt::Key_End, QString(), Qt::ShiftModifier);
  EXPECT_EQ(e->SelStart(), 0);
  EXPECT_EQ(e->SelLength(), 5);
  e->SetSelStart(1);
  e->SetSelLength(2);
  e->SetSelText("XYZ");
  EXPECT_EQ(e->Text(), "eXYZo ");
  QLineEdit* q = static_cast<QLineEdit*>(e->Peer());
  EXPECT_EQ(q->cursorPosition(), 4) << "the window shows the caret kept by the control";
  // A selection made in the window comes back to the control.
  q->setSelection(0, 2);
  EXPECT_EQ(e->SelStart(), 0);
  EXPECT_EQ(e->SelLength(), 2);
  StdKey(e, Qt::Key_Z, "\x1a", Qt::ControlModifier);
  EXPECT_EQ(e->Text(), "ello ") << "Ctrl+Z takes back the last edit";
}

TEST_F(StdEdits, PasswordCharHidesTheTextAndRefusesCopying) {
  auto* e = Make<TEdit>();
  e->SetAlignment(taRightJustify);
  EXPECT_TRUE(static_cast<QLineEdit*>(e->Peer())->alignment() & Qt::AlignRight);
  e->SetPasswordChar('*');
  StdType(e, "secret");
  EXPECT_EQ(e->Text(), "secret");
  EXPECT_EQ(static_cast<QLineEdit*>(e->Peer())->text(), "******");
  Clipboard()->SetAsText("before");
  e->SelectAll();
  e->CopyToClipboard();
  EXPECT_EQ(Clipboard()->AsText(), "before");
}

TEST_F(StdEdits, EnteringByKeyboardSelectsAllUnlessAutoSelectIsOff) {
  auto* a = Make<TEdit>();
  auto* b = Make<TEdit>();
  b->SetText("select me");
  b->SetFocus();
  EXPECT_EQ(form_->ActiveControl(), b);
  EXPECT_EQ(b->SelLength(), 9);
  a->SetFocus();
  b->SetAutoSelect(false);
  b->SetSelStart(2);
  b->SetFocus();
  EXPECT_EQ(b->SelLength(), 0);
  EXPECT_EQ(b->SelStart(), 2);
  b->SetColor(clYellow);
  EXPECT_EQ(b->Peer()->palette().color(QPalette::Base), ToQColor(clYellow));
}

TEST_F(StdEdits, AutoSizedEditTakesTheHeightOfItsFont) {
  auto* e = Make<TEdit>();
  EXPECT_EQ(e->Height(), 21);
  e->Font()->SetHeight(-24);
  int expected = QFontMetrics(TQtCanvasBackend::MakeFont(e->Font()->Data())).height() + 8;
  EXPECT_EQ(e->Height(), expected);
  EXPECT_GT(e->Height(), 24);
  e->SetHeight(40);
  EXPECT_EQ(e->Height(), 40) << "a height set afterwards stands";
  e->SetAutoSize(false);
  e->Font()->SetHeight(-8);
  EXPECT_EQ(e->Height(), 40);
  auto* m = Make<TMemo>();
  m->SetHeight(60);
  m->Font()->SetHeight(-24);
  EXPECT_EQ(m->Height(), 60) << "a memo keeps its height";
}

TEST_F(StdEdits, MemoLinesAreItsTextWithLineBreaks) {
  auto* m = Make<TMemo>(200);
  m->SetBounds(10, 100, 200, 100);
  m->Lines()->Add("first");
  m->Lines()->Add("second");
  EXPECT_EQ(m->Text(), "first\r\nsecond\r\n");
  EXPECT_EQ(m->Lines()->Count(), 2);
  m->Lines()->Insert(1, "middle");
  m->Lines()->Delete(0);
  EXPECT_EQ(m->Text(), "middle\r\nsecond\r\n");
  m->SetText("a\r\nb");
  m->Lines()->Add("c");
  EXPECT_EQ(m->Text(), "a\r\nb\r\nc") << "a text without a final break gets none";
  EXPECT_EQ(static_cast<QPlainTextEdit*>(m->Peer())->toPlainText(), "a\nb\nc");
  EXPECT_THROW(m->Lines()->Get(3), EListError);

  int changes = 0;
  m->OnChange = [&](TObject*) { ++changes; };
  auto* q = static_cast<QPlainTextEdit*>(m->Peer());
  m->SetSelStart(3);
  m->SetSelLength(4);
  EXPECT_EQ(q->textCursor().selectedText(), "b\u2029c") << "the window shows the selection kept here";
  m->SetSelStart(static_cast<int>(m->Text().size()));
  StdKey(m, Qt::Key_Return, "\r");
  StdType(m, "d");
  EXPECT_EQ(m->Text(), "a\r\nb\r\nc\r\nd");
  EXPECT_EQ(m->Lines()->Count(), 4);
  EXPECT_GE(changes, 2);
  EXPECT_TRUE(m->Modified());
}

TEST_F(StdEdits, MemoTabsAndReadOnly) {
  auto* m = Make<TMemo>(200);
  auto* next = Make<TEdit>();
  form_->SetActiveControl(m);
  StdKey(m, Qt::Key_Tab, "\t");
  EXPECT_EQ(form_->ActiveControl(), next) << "without WantTabs Tab moves on";
  EXPECT_EQ(m->Text(), "");
  m->SetWantTabs(true);
  form_->SetActiveControl(m);
  StdKey(m, Qt::Key_Tab, "\t");
  EXPECT_EQ(m->Text(), "\t");
  EXPECT_EQ(form_->ActiveControl(), m);
  m->SetCharCase(ecUpperCase);
  StdType(m, "ab");
  EXPECT_EQ(m->Text(), "\tAB") << "typed in order, in upper case";
  m->SetReadOnly(true);
  StdType(m, "abc");
  EXPECT_EQ(m->Text(), "\tAB") << "a read-only memo takes no typing";
}

TEST_F(StdEdits, WrappingMemoReadsItsLinesAsShown) {
  auto* m = Make<TMemo>(200);
  m->SetBorderStyle(bsNone);
  m->SetBounds(10, 100, 80, 100);
  const std::string text = "alpha beta gamma delta epsilon zeta";
  m->SetText(text);
  int shown = m->Lines()->Count();
  EXPECT_GT(shown, 1);
  std::string joined;
  for (int i = 0; i < shown; ++i) {
    std::string line = m->Lines()->Get(i);
    EXPECT_FALSE(line.empty());
    EXPECT_NE(line.front(), ' ') << "a wrapped line starts with its word";
    joined += line;
  }
  EXPECT_EQ(joined, text) << "wrapping loses and adds nothing";
  m->Lines()->Add("next");
  EXPECT_EQ(m->Text(), text + "\r\nnext") << "adding to wrapped lines appends a line of text";
  m->SetText("unbreakablewordthatislongerthanthememo");
  EXPECT_GT(m->Lines()->Count(), 1) << "a word wider than the memo is broken";
  m->SetWordWrap(false);
  EXPECT_EQ(m->Lines()->Count(), 1);
}

TEST_F(StdEdits, MemoWithoutWantReturnsLeavesReturnToTheDefaultButton) {
  auto* m = Make<TMemo>(200);
  auto* b = new TButton(form_);
  b->SetParent(form_);
  b->SetBounds(250, 10, 75, 25);
  b->SetDefault(true);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  form_->SetActiveControl(m);
  StdKey(m, Qt::Key_Return, "\r");
  EXPECT_EQ(clicks, 0) << "the memo keeps Return for itself";
  EXPECT_EQ(m->Text(), "\r\n");
  m->SetWantReturns(false);
  StdKey(m, Qt::Key_Return, "\r");
  EXPECT_EQ(clicks, 1);
  b->SetDefault(false);
  StdKey(m, Qt::Key_Return, "\r");
  EXPECT_EQ(m->Text(), "\r\n") << "without a default button the Return is dropped";
}

TEST_F(StdEdits, MaskForcesCaseLengthAndCharacterClasses) {
  auto* e = Make<TMaskEdit>();
  e->SetEditMask(">CC");
  EXPECT_EQ(e->EditText(), "__");
  int beeps = BeepCount();
  StdType(e, "ab");
  EXPECT_EQ(e->EditText(), "AB");
  EXPECT_EQ(e->Text(), "AB");
  StdType(e, "c");
  EXPECT_EQ(e->EditText(), "AB");
  EXPECT_EQ(BeepCount(), beeps + 1) << "no room left in the mask";

  auto* d = Make<TMaskEdit>();
  d->SetEditMask("000;0;_");
  StdType(d, "1a2");
  EXPECT_EQ(d->EditText(), "12_") << "a letter has no place in a digit";
  EXPECT_EQ(d->Text(), "12 ");
  StdKey(d, Qt::Key_Backspace, "\b");
  EXPECT_EQ(d->EditText(), "1__");
  EXPECT_THROW(d->ValidateEdit(), EDBEditError) << "a required digit is missing";
  StdType(d, "34");
  EXPECT_NO_THROW(d->ValidateEdit());
  EXPECT_EQ(d->Text(), "134");
}

// A mask position holds one character, however many UTF-8 bytes it takes.
TEST_F(StdEdits, MaskPositionsHoldWholeCharacters) {
  struct Case {
    const char* Mask;
    std::vector<const char*> Typed;  // one character each
    const char* EditText;
    const char* Text;
  };
  const Case cases[] = {
      {"C", {"\xC3\xA9"}, "\xC3\xA9", "\xC3\xA9"},                                   // é
      {"C", {"\xE2\x82\xAC", "x"}, "\xE2\x82\xAC", "\xE2\x82\xAC"},                   // € fills it
      {">CC", {"\xC3\xA9", "a"}, "\xC3\x89" "A", "\xC3\x89" "A"},                      // upper case: É
      {"<LL", {"\xC3\x9C", "\xCE\xA9"}, "\xC3\xBC\xCF\x89", "\xC3\xBC\xCF\x89"},     // lower case: ü ω
      {"00;1;_", {"\xC3\xA9", "7"}, "7_", "7 "},                                     // no digit
      {"C-C;1;_", {"\xC3\xA9", "\xC3\xBC"}, "\xC3\xA9-\xC3\xBC", "\xC3\xA9-\xC3\xBC"},  // literal skipped
  };
  for (const Case& c : cases) {
    auto* e = Make<TMaskEdit>();
    e->SetEditMask(c.Mask);
    for (const char* ch : c.Typed) StdKey(e, Qt::Key_unknown, QString::fromUtf8(ch));
    EXPECT_EQ(e->EditText(), c.EditText) << c.Mask;
    EXPECT_EQ(e->Text(), c.Text) << c.Mask;
  }
  // Backspace blanks the whole character before the caret.
  auto* e = Make<TMaskEdit>();
  e->SetEditMask("CC;1;_");
  StdKey(e, Qt::Key_unknown, QString::fromUtf8("\xC3\xA9"));
  StdKey(e, Qt::Key_unknown, QString::fromUtf8("\xE2\x82\xAC"));
  StdKey(e, Qt::Key_Backspace, "\b");
  EXPECT_EQ(e->EditText(), "\xC3\xA9_");
  EXPECT_EQ(FormatMaskText("C-C;0;_", "\xC3\xA9"), "\xC3\xA9- ");
}

TEST_F(StdEdits, MaskLiteralsAreSkippedAndKeptAsTheMaskSays) {
  auto* e = Make<TMaskEdit>();
  e->SetEditMask("(999) 000-0000;1;_");
  EXPECT_EQ(e->EditText(), "(___) ___-____");
  StdType(e, "5551234567");
  EXPECT_EQ(e->EditText(), "(555) 123-4567");
  EXPECT_EQ(e->Text(), "(555) 123-4567");
  e->SetEditMask("(999) 000-0000;0;_");
  EXPECT_EQ(e->EditText(), "(555) 123-4567");
  EXPECT_EQ(e->Text(), "5551234567");
  e->SetText("98");
  EXPECT_EQ(e->EditText(), "(98_) ___-____");
  EXPECT_EQ(FormatMaskText("!(999)000-0000;0;_", "5551234567"), "(555)123-4567");
}

TEST_F(StdEdits, MaskLayoutParsesEscapesCaseAndFields) {
  TMaskLayout l("\\L>l<l<>l;0;*");
  ASSERT_EQ(l.Length(), 4);
  EXPECT_TRUE(l.IsLiteral(0));
  EXPECT_EQ(l.Literal(0), 'L');
  EXPECT_EQ(l.Blank(), '*');
  EXPECT_FALSE(l.SaveLiterals());
  char c = 'q';
  EXPECT_TRUE(l.Fit(1, c));
  EXPECT_EQ(c, 'Q');
  c = 'Q';
  EXPECT_TRUE(l.Fit(2, c));
  EXPECT_EQ(c, 'q');
  c = 'Q';
  EXPECT_TRUE(l.Fit(3, c));
  EXPECT_EQ(c, 'Q');
  c = '5';
  EXPECT_FALSE(l.Fit(1, c));
  EXPECT_FALSE(l.IsRequired(1));
  int bad = 0;
  EXPECT_TRUE(l.Complete("L***", bad)) << "optional positions may stay empty";
  TMaskLayout req("#0a");
  c = '-';
  EXPECT_TRUE(req.Fit(0, c));
  EXPECT_FALSE(req.Complete("-_x", bad));
  EXPECT_EQ(bad, 1);
}

TEST_F(StdEdits, AnyMaskAndValueGiveTextsOfTheMaskLength) {
  // Masks and values made of every kind of character, including broken escapes and fields.
  const std::string pool = "LlAaCc09#<>!\\;:/_ x-()";
  uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  for (int round = 0; round < 2000; ++round) {
    std::string mask, value;
    for (int i = static_cast<int>(next() % 12); i > 0; --i) mask += pool[next() % pool.size()];
    for (int i = static_cast<int>(next() % 16); i > 0; --i) value += static_cast<char>(32 + next() % 95);
    TMaskLayout l(mask);
    std::string edit = l.EditTextFrom(value);
    ASSERT_EQ(static_cast<int>(edit.size()), l.Length()) << "mask \"" << mask << "\"";
    std::string text = l.TextFrom(edit);
    EXPECT_EQ(l.EditTextFrom(text), edit) << "mask \"" << mask << "\" value \"" << value << "\"";
    int bad = 0;
    if (!l.Complete(edit, bad)) {
      EXPECT_TRUE(bad >= 0 && bad < l.Length() && l.IsRequired(bad));
    }
  }
}

TEST_F(StdEdits, EscapePutsBackTheMaskedTextFromEntry) {
  auto* e = Make<TMaskEdit>();
  e->SetEditMask("00;1;_");
  e->SetText("12");
  e->SetFocus();
  e->SetSelStart(0);
  StdType(e, "9");
  EXPECT_EQ(e->EditText(), "92");
  StdKey(e, Qt::Key_Escape, "\x1b");
  EXPECT_EQ(e->EditText(), "12");
  EXPECT_FALSE(e->Modified());
}

TEST_F(StdEdits, SpinEditLimitsItsValue) {
  auto* s = Make<TSpinEdit>();
  s->SetMinValue(0);
  s->SetMaxValue(255);
  s->SetValue(300);
  EXPECT_EQ(s->Text(), "255");
  s->SetValue(-5);
  EXPECT_EQ(s->Value(), 0);
  s->SetText("abc");
  EXPECT_EQ(s->Value(), 0) << "a text that is no number reads the minimum";
  s->SetMinValue(10);
  s->SetMaxValue(10);
  s->SetValue(100000);
  EXPECT_EQ(s->Value(), 100000) << "equal limits mean no limits";
}

TEST_F(StdEdits, SpinEditStepsByArrowsAndButtonsAndMayRefuseTyping) {
  auto* s = Make<TSpinEdit>();
  s->SetMinValue(0);
  s->SetMaxValue(5000);
  s->SetIncrement(10);
  s->SetValue(4995);
  StdKey(s, Qt::Key_Up);
  EXPECT_EQ(s->Value(), 5000);
  StdKey(s, Qt::Key_Down);
  EXPECT_EQ(s->Value(), 4990);
  s->Button()->UpButton()->Click();
  EXPECT_EQ(s->Value(), 5000);
  s->Button()->DownButton()->Click();
  EXPECT_EQ(s->Value(), 4990);
  // A click on the lower arrow of the window, then a held upper arrow repeating.
  TSpinButton* b = s->Button();
  StdClick(b->Peer(), b->Width() / 2, b->Height() - 3);
  EXPECT_EQ(s->Value(), 4980);
  QPointF up(b->Width() / 2, 3);
  QMouseEvent press(QEvent::MouseButtonPress, up, b->Peer()->mapToGlobal(up), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(b->Peer(), &press);
  ASSERT_NE(b->UpButton()->RepeatTimer(), nullptr);
  b->UpButton()->RepeatTimer()->Tick();
  b->UpButton()->RepeatTimer()->Tick();
  EXPECT_EQ(s->Value(), 5000) << "each tick of a held arrow steps once";
  EXPECT_EQ(b->UpButton()->RepeatTimer()->Interval(), TTimerSpeedButton::RepeatPause);
  QMouseEvent release(QEvent::MouseButtonRelease, up, b->Peer()->mapToGlobal(up), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(b->Peer(), &release);
  EXPECT_FALSE(b->UpButton()->RepeatTimer()->Enabled());
  s->SetValue(4990);

  s->SetEditorEnabled(false);
  s->SetSelStart(4);
  int beeps = BeepCount();
  StdType(s, "7");
  StdKey(s, Qt::Key_Backspace, "\b");
  StdKey(s, Qt::Key_Home);
  StdKey(s, Qt::Key_Delete, QString(QChar(0x7F)));
  Clipboard()->SetAsText("77");
  s->SelectAll();
  StdKey(s, Qt::Key_V, "\x16", Qt::ControlModifier);
  s->CutToClipboard();
  EXPECT_EQ(s->Text(), "4990") << "the text cannot be typed, pasted or cut into";
  EXPECT_EQ(BeepCount(), beeps + 2);
  StdKey(s, Qt::Key_Up);
  EXPECT_EQ(s->Value(), 5000) << "the arrows still work";

  s->SetEditorEnabled(true);
  s->SelectAll();
  StdType(s, "1x2");
  EXPECT_EQ(s->Text(), "12");
  s->SetReadOnly(true);
  beeps = BeepCount();
  StdKey(s, Qt::Key_Up);
  EXPECT_EQ(s->Value(), 12);
  EXPECT_EQ(BeepCount(), beeps + 1);
}

TEST_F(StdEdits, ARightClickInAMemoShowsItsPopupMenu) {
  auto* m = Make<TMemo>();
  m->SetHeight(80);
  auto* popup = new TPopupMenu(form_);
  popup->Items()->Add(NewItem("View", 0, false, true, nullptr, 0, "View"));
  int shown = 0;
  popup->OnPopup = [&](TObject*) { ++shown; };
  m->SetPopupMenu(popup);
  QWidget* viewport = static_cast<QPlainTextEdit*>(m->Peer())->viewport();
  QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(20, 20), viewport->mapToGlobal(QPoint(20, 20)));
  QCoreApplication::sendEvent(viewport, &e);
  EXPECT_EQ(shown, 1) << "the click inside the text area reaches the memo";
  EXPECT_EQ(popup->PopupComponent(), m);
  popup->Items()->SubMenu()->close();
}

}  // namespace

// The typed edit driven by real key events in the "." and "," locales: the
// character filter, paste, Text between prefix and suffix, numbers, the link look.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "controls/inspector/ExtEdit.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/DragDrop.h"
#include "platform/gui/FormImage.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Windows.h"
#include "platform/gui/testing/GuiTest.h"
#include "platform/gui/testing/InputEvents.h"
#include "platform/rtl/SysUtils.h"

namespace {

// Case texts name the decimal separator "D" and the thousand separator "T"; each
// case runs in both locales.
std::string Loc(std::string s) {
  for (char& c : s) {
    if (c == 'D') c = FormatSettings.DecimalSeparator;
    else if (c == 'T') c = FormatSettings.ThousandSeparator;
  }
  return s;
}
void UseLocale(bool Comma) {
  FormatSettings.DecimalSeparator = Comma ? ',' : '.';
  FormatSettings.ThousandSeparator = Comma ? '.' : ',';
}

class ExtEdit : public TGuiTest {
 protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBounds(0, 0, 300, 120);
    edit = new TExtEdit(form);
    edit->SetParent(form);
    edit->SetBounds(10, 10, 200, 24);
    other = new TEdit(form);
    other->SetParent(form);
    other->SetBounds(10, 50, 200, 24);
    form->Show();
    other->SetFocus();  // so that the edit is entered when a test focuses it
    QApplication::processEvents();
  }
  void TearDown() override {
    delete form;
    TGuiTest::TearDown();
  }
  void Type(const std::string& keys) {
    for (char c : keys) {
      if (c == '\b') SendKeyEvent(edit, Qt::Key_Backspace);
      else SendKeyEvent(edit, static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(c))), Qt::NoModifier,
                        QString(QChar(c)));
    }
  }
  // Puts the value in and the caret (and selection) at a place of the value.
  void Prepare(const std::string& value, int caret, int sel = 0) {
    edit->SetFocus();
    QApplication::processEvents();
    edit->SetText(value);
    edit->SetSelStart(static_cast<int>(edit->Prefix().size()) + caret);
    edit->SetSelLength(sel);
  }
  TFormatSettingsScope locale;
  TForm* form = nullptr;
  TExtEdit* edit = nullptr;
  TEdit* other = nullptr;
};

struct TTypeCase {
  TExtEditType type;
  bool isSigned;
  int precision;
  const char* value;
  int caret;     // -1: at the end
  const char* keys;
  const char* shown;  // the whole window text after typing
  const char* prefix = "";
  const char* suffix = "";
  int lengthLimit = 0;
  int selLen = 0;
};

TEST_F(ExtEdit, TypedCharactersFollowTheEditTypeInBothLocales) {
  const std::vector<TTypeCase> cases = {
      {etNumeric, false, 0, "12", -1, "a3-", "123"},
      {etNumeric, true, 0, "12", 1, "-", "-12"},
      {etNumeric, true, 0, "12", 1, "--", "12"},
      {etFloat, false, 2, "", 0, "D", "0D"},
      {etFloat, false, 2, "1D23", -1, "4", "1D23"},      // decimals full at the end
      {etFloat, false, 2, "1D23", 2, "9", "1D93"},       // a full decimal is overwritten
      {etFloat, false, 2, "1D2", 1, "D5", "1D52"},       // the separator jumps behind the existing one
      {etFloat, false, 0, "12", -1, "D", "12"},
      {etFloat, false, 0, "1T234", -1, "D", "1T234"},    // precision 0 has no decimals
      {etFloat, false, 2, "1T234", -1, "D5", "1T234D5"}, // grouping test passed
      {etFloat, false, 2, "1T23", -1, "D", "1T23"},      // two digits after a group: refused
      {etFloat, false, 2, "1234", 1, "T", "1T234"},
      {etFloat, false, 2, "1T234", 2, "T", "1T234"},     // next to a separator
      {etFloat, false, 2, "12", -1, "x-", "12"},         // unsigned: no minus
      {etFloat, true, 2, "12", -1, "-", "-12"},
      {etMoney, false, 0, "123", -1, "4", "1T234"},      // the thousands pass groups
      {etMoney, false, 0, "1T234", -1, "T", "1T234"},    // separators are never typed
      {etMoney, false, 2, "", 0, "D", "0D"},
      {etMoney, false, 2, "12D50", 0, "D5", "0D50", "", "", 0, 5},  // all selected: zero, behind its separator
      {etHex, false, 0, "", 0, "1agG-", "1a-"},
      {etRange, false, 0, "", 0, ",1,;2-", "1,2-"},
      {etAlphaNumeric, false, 0, "", 0, "a-b 9", "ab9"},
      {etUppercase, false, 0, "", 0, "abc", "ABC"},
      {etLowerCase, false, 0, "", 0, "AbC", "abc"},
      {etMixedCase, false, 0, "", 0, "mcdonald", "McDonald"},
      {etMixedCase, false, 0, "", 0, "henry ii", "Henry II"},
      {etMixedCase, false, 0, "", 0, "the island", "The Island"},
      {etNumeric, false, 0, "12", 0, "\b", "12", "$", " kg"},   // no backspace into the prefix
      {etNumeric, false, 0, "12", 1, "\b5", "52", "$", " kg"},
      {etNumeric, false, 0, "123", -1, "4", "123", "", "", 3},       // the length limit
      {etFloat, false, 2, "123D4", -1, "5", "123D45", "", "", 3},   // decimals are not counted
  };
  for (bool comma : {false, true}) {
    UseLocale(comma);
    for (const TTypeCase& c : cases) {
      auto Loc = [&](const std::string& t) { return c.type == etFloat || c.type == etMoney ? ::Loc(t) : t; };
      SCOPED_TRACE(std::string(comma ? "comma " : "point ") + c.value + " + " + c.keys);
      edit->SetPrefix(c.prefix);
      edit->SetSuffix(c.suffix);
      edit->SetEditType(etString);
      edit->SetPrecision(0);
      edit->SetEditType(c.type);
      edit->Signed = c.isSigned;
      edit->SetPrecision(c.precision);
      edit->SetLengthLimit(c.lengthLimit);
      edit->ValidChars = "xz";
      // The value goes in as the window text, unformatted, as typing left it.
      edit->SetFocus();
      QApplication::processEvents();
      edit->TCustomEdit::SetText(c.prefix + Loc(c.value) + c.suffix);
      const int n = static_cast<int>(Loc(c.value).size());
      edit->SetSelStart(static_cast<int>(std::string(c.prefix).size()) + (c.caret < 0 ? n : c.caret));
      edit->SetSelLength(c.selLen);
      Type(Loc(c.keys));
      EXPECT_EQ(edit->TCustomEdit::Text(), Loc(std::string(c.prefix) + c.shown + c.suffix));
    }
  }
}

TEST_F(ExtEdit, KeysKeepTheCaretInTheValue) {
  struct {
    int key;
    Qt::KeyboardModifiers mods;
    int caret;           // in the window text "<<12.5>>" before the key
    int selStart, selLen;  // afterwards
  } cases[] = {
      {Qt::Key_Home, Qt::NoModifier, 4, 2, 0},        // Home stops behind the prefix
      {Qt::Key_Home, Qt::ShiftModifier, 4, 2, 4},     // and with Shift selects the value
      {Qt::Key_End, Qt::NoModifier, 3, 6, 0},         // End stops before the suffix
      {Qt::Key_End, Qt::ShiftModifier, 3, 3, 3},
      {Qt::Key_Left, Qt::NoModifier, 2, 2, 0},
      {Qt::Key_Right, Qt::NoModifier, 6, 6, 0},
      {Qt::Key_Delete, Qt::NoModifier, 6, 6, 0},
  };
  edit->SetPrefix("<<");
  edit->SetSuffix(">>");
  // A caret left in the prefix or suffix (text set by the program, a click) edits the value.
  for (int caret : {0, 1, 7}) {
    Prepare("12.5", 0);
    edit->SetSelStart(caret);
    SendKeyEvent(edit, Qt::Key_Delete);
    SendKeyEvent(edit, '9', Qt::NoModifier, "9");
    EXPECT_EQ(edit->TCustomEdit::Text(), caret < 2 ? "<<92.5>>" : "<<12.59>>") << caret;
  }
  // A selection inside the prefix is no selection of the value: Backspace there deletes nothing.
  Prepare("12.5", 0);
  edit->SetSelStart(1);
  edit->SetSelLength(1);
  SendKeyEvent(edit, Qt::Key_Backspace);
  EXPECT_EQ(edit->TCustomEdit::Text(), "<<12.5>>");
  // Everything selected (Ctrl+A): typing, Backspace and Delete replace only the value.
  for (int key : {int('7'), int(Qt::Key_Backspace), int(Qt::Key_Delete)}) {
    Prepare("12.5", 0);
    SendKeyEvent(edit, Qt::Key_A, Qt::ControlModifier);
    SendKeyEvent(edit, key, Qt::NoModifier, key == '7' ? QString("7") : QString());
    EXPECT_EQ(edit->TCustomEdit::Text(), key == '7' ? "<<7>>" : "<<>>") << key;
  }
  for (const auto& c : cases) {
    Prepare("12.5", 0);
    edit->SetSelStart(c.caret);
    SendKeyEvent(edit, c.key, c.mods);
    EXPECT_EQ(edit->TCustomEdit::Text(), "<<12.5>>") << c.key;
    EXPECT_EQ(edit->SelStart(), c.selStart) << c.key << " " << c.mods;
    EXPECT_EQ(edit->SelLength(), c.selLen) << c.key << " " << c.mods;
  }
  // Consumed key-downs reach no OnKeyDown: Ctrl+Left at the prefix's end, Backspace at most one
  // behind it (its character still deletes).
  int downs = 0;
  edit->OnKeyDown = [&](TObject*, WORD&, TShiftState) { ++downs; };
  for (auto [key, mods, caret, after, n] : {std::tuple(int(Qt::Key_Left), Qt::ControlModifier, 2, "<<12.5>>", 0),
                                            std::tuple(int(Qt::Key_Backspace), Qt::NoModifier, 3, "<<2.5>>", 0),
                                            std::tuple(int(Qt::Key_Backspace), Qt::NoModifier, 4, "<<1.5>>", 1)}) {
    Prepare("12.5", caret - 2);
    downs = 0;
    SendKeyEvent(edit, key, mods);
    EXPECT_EQ(edit->TCustomEdit::Text(), after);
    EXPECT_EQ(downs, n) << caret;
  }
  edit->OnKeyDown = nullptr;
}

TEST_F(ExtEdit, FullLengthAndReturnMoveOnLikeTab) {
  edit->SetEditType(etNumeric);
  edit->TabOnFullLength = true;
  edit->SetLengthLimit(3);
  Prepare("", 0);
  edit->TCustomEdit::SetText("");  // no "0" to type after
  Type("123");
  QApplication::processEvents();
  EXPECT_EQ(form->ActiveControl(), other);
  EXPECT_EQ(edit->Text(), "123");
  edit->ReturnIsTab = true;
  edit->TabOnFullLength = false;
  edit->SetFocus();
  QApplication::processEvents();
  SendKeyEvent(edit, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(form->ActiveControl(), other);
}

TEST_F(ExtEdit, ValidCharsTakeOnlyTheirCharacters) {
  edit->SetEditType(etValidChars);
  edit->ValidChars = "xz";
  Prepare("", 0);
  Type("xqz\b");
  EXPECT_EQ(edit->Text(), "x");
}

struct TPasteCase {
  TExtEditType type;
  bool isSigned;
  int precision;
  const char* value;
  int selFrom, selLen;  // in the window text
  const char* clip;
  const char* text;     // Text afterwards
};

TEST_F(ExtEdit, PasteFollowsTheEditTypeAndNeverTouchesPrefixOrSuffix) {
  const std::vector<TPasteCase> cases = {
      {etAlphaNumeric, false, 0, "", 1, 0, "12ab", "12ab"},
      {etAlphaNumeric, false, 0, "", 1, 0, "12-3", ""},
      {etAlphaNumeric, false, 0, "", 1, 0, "\xC3\xA9\xD0\x96" "1", "\xC3\xA9\xD0\x96" "1"},  // letters of any script
      {etNumeric, false, 0, "1", 2, 0, "45", "145"},
      {etNumeric, false, 0, "1", 2, 0, "-4", "1"},
      {etNumeric, true, 0, "0", 1, 1, "-45", "-45"},
      {etNumeric, true, 0, "1", 2, 0, "4-5", "1"},
      {etFloat, false, 2, "0D00", 1, 4, "1T234D5", "1234D50"},
      {etFloat, false, 2, "0D00", 1, 4, "12D346", "12D35"},        // rounded to the precision
      {etFloat, false, 0, "0", 1, 1, "1D5", "0"},
      {etFloat, false, 2, "0D00", 1, 4, "1T2T345", "0D00"},        // groups too close
      {etMoney, false, 2, "0D00", 1, 4, "1234D5", "1T234D50"},
      {etHex, false, 0, "A", 2, 0, "B", "A"},
      {etRange, false, 0, "1", 2, 0, "2", "1"},
      {etUppercase, false, 0, "", 1, 0, "abc", "ABC"},
      {etString, false, 0, "x", 0, 5, "ab\ncd", "ab"},             // prefix and suffix selected too
      {etString, false, 0, "x", 0, 0, "q", "qx"},                  // the caret in the prefix pastes after it
  };
  for (bool comma : {false, true}) {
    UseLocale(comma);
    for (const TPasteCase& c : cases) {
      SCOPED_TRACE(std::string(comma ? "comma " : "point ") + c.value + " <- " + c.clip);
      edit->SetEditType(etString);
      edit->SetPrecision(0);
      edit->SetPrefix("#");
      edit->SetSuffix("!");
      edit->SetEditType(c.type);
      edit->Signed = c.isSigned;
      edit->SetPrecision(c.precision);
      edit->TCustomEdit::SetText("#" + Loc(c.value) + "!");
      edit->SetSelStart(c.selFrom);
      edit->SetSelLength(c.selLen);
      Clipboard()->SetAsText(Loc(c.clip));
      edit->SetFocus();
      SendKeyEvent(edit, Qt::Key_V, Qt::ControlModifier);
      EXPECT_EQ(edit->Text(), Loc(c.text));
      EXPECT_EQ(edit->TCustomEdit::Text(), "#" + Loc(c.text) + "!");
    }
  }
}

TEST_F(ExtEdit, PasteMarksOnlyTheTextTypesModified) {
  const struct {
    TExtEditType Type;
    const char* Clip;
    const char* Text;
    bool Modified;
  } cases[] = {{etString, "q", "q", true},         {etPassword, "q", "q", true},    {etUppercase, "q", "Q", true},
               {etLowerCase, "Q", "q", true},      {etMixedCase, "q", "Q", true},   {etNumeric, "23", "23", false},
               {etAlphaNumeric, "ab", "ab", false}, {etFloat, "23", "23", true}};  // a float goes through NumberValue
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Clip) + " type " + std::to_string(c.Type));
    edit->SetEditType(c.Type);
    edit->SetText("");
    ASSERT_FALSE(edit->IsModified());
    edit->SetFocus();
    edit->SelectAll();
    Clipboard()->SetAsText(c.Clip);
    SendKeyEvent(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->Text(), c.Text);
    EXPECT_EQ(edit->IsModified(), c.Modified);
  }
}

TEST_F(ExtEdit, PasteCanBeChangedOrRefusedByItsEvent) {
  edit->OnClipboardPaste = [](TObject*, std::string& v, bool& allow) {
    allow = v != "no";
    if (v == "a") v = "b";
  };
  for (auto [clip, text] : std::vector<std::pair<const char*, const char*>>{{"no", ""}, {"a", "b"}}) {
    edit->SetText("");
    Clipboard()->SetAsText(clip);
    edit->PasteFromClipboard();
    EXPECT_EQ(edit->Text(), text);
  }
}

struct TTextCase {
  TExtEditType type;
  int precision;
  const char* prefix;
  const char* suffix;
  const char* written;
  const char* window;
};

TEST_F(ExtEdit, TextIsTheValueBetweenPrefixAndSuffixInBothLocales) {
  const std::vector<TTextCase> cases = {
      {etNumeric, 0, "$", " kg", "", "$0 kg"},
      {etFloat, 0, "", "", "", "0"},
      {etMoney, 0, "", "", "", "0"},
      {etHex, 0, "0x", "", "", "0x0"},
      {etString, 0, "<", ">", "", "<>"},
      {etString, 0, "$", " kg", "12", "$12 kg"},
      {etFloat, 2, "", "", "3", "3D00"},
      {etFloat, 2, "", "", "2D346", "2D35"},
      {etMoney, 2, "", "", "1234567D5", "1T234T567D50"},
      {etHex, 0, "", "", "ab", "AB"},
  };
  for (bool comma : {false, true}) {
    UseLocale(comma);
    for (const TTextCase& c : cases) {
      SCOPED_TRACE(std::string(comma ? "comma " : "point ") + c.written);
      edit->SetEditType(etString);
      edit->SetPrecision(0);
      edit->SetEditType(c.type);
      edit->SetPrecision(c.precision);
      edit->SetPrefix(c.prefix);
      edit->SetSuffix(c.suffix);
      edit->SetText(Loc(c.written));
      EXPECT_EQ(edit->TCustomEdit::Text(), Loc(c.window));
      EXPECT_EQ(edit->Text(), Loc(c.window).substr(std::string(c.prefix).size(),
                                                    Loc(c.window).size() - std::string(c.prefix).size() -
                                                        std::string(c.suffix).size()));
      EXPECT_FALSE(edit->IsModified());
    }
  }
}

TEST_F(ExtEdit, ReadingTextStripsOnlyThePrefixAndSuffixThatAreThere) {
  edit->SetPrefix("#");
  edit->SetSuffix("kg");
  for (auto [window, text] : std::vector<std::pair<const char*, const char*>>{
           {"12", "12"}, {"#12", "12"}, {"12kg", "12"}, {"#12kg", "12"}, {"#", ""}, {"g", "g"}, {"#kg", ""}}) {
    edit->TCustomEdit::SetText(window);
    EXPECT_EQ(edit->Text(), text) << window;
  }
}

TEST_F(ExtEdit, NumbersReadWithoutFailingOrOverflowing) {
  for (bool comma : {false, true}) {
    UseLocale(comma);
    struct {
      TExtEditType type;
      int precision;
      const char* window;
      double number;
    } cases[] = {
        {etFloat, 2, "12T34", 12.34},      // a thousand separator typed for the decimal one
        {etFloat, 2, "1T234", 1234},
        {etFloat, 3, "1T234", 1234},       // three places stay a group
        {etMoney, 2, "1T234D", 1234},
        {etMoney, 2, "-", 0},
        {etFloat, 2, "", 0},
        {etHex, 0, "FFFFFFFF", 4294967295.0},
        {etHex, 0, "123456789ABC", 4294967295.0},  // saturates
        {etHex, 0, "1G", 16},
        {etString, 0, "abc", 0},
    };
    for (const auto& c : cases) {
      edit->SetEditType(etString);
      edit->SetPrecision(0);
      edit->SetEditType(c.type);
      edit->SetPrecision(c.precision);
      edit->TCustomEdit::SetText(Loc(c.window));
      EXPECT_DOUBLE_EQ(edit->NumberValue(), c.number) << c.window;
    }
  }
}

TEST_F(ExtEdit, HexNumbersWrittenGiveTheDigitsOfTheTruncatedNumber) {
  const struct {
    double Number;
    const char* Shown;
  } cases[] = {{255.9, "FF"}, {0, "0"}, {-5, "FFFFFFFB"}, {-5.7, "FFFFFFFB"}, {-1e12, "80000000"}, {4294967295.0, "FFFFFFFF"}};
  edit->SetEditType(etHex);
  for (const auto& c : cases) {
    edit->SetNumberValue(c.Number);
    EXPECT_EQ(edit->Text(), c.Shown) << c.Number;
  }
  edit->SetIntegerValue(-5);
  EXPECT_EQ(edit->Text(), "FFFFFFFB");  // the same digits as a written integer
}

TEST_F(ExtEdit, PrecisionOnlyChangesNumberTypes) {
  edit->SetEditType(etNumeric);
  edit->SetText("12");
  edit->SetPrecision(3);
  EXPECT_EQ(edit->Precision(), 0);
  EXPECT_EQ(edit->Text(), "12");
  edit->SetNumberValue(1485.4);
  EXPECT_EQ(edit->Text(), "1485");  // digits only, as the edit takes them typed
  edit->SetEditType(etFloat);
  edit->SetPrecision(3);
  EXPECT_EQ(edit->Text(), "1485.000");
  // A new precision rewrites the value through NumberValue, which marks it modified.
  for (TExtEditType type : {etString, etFloat, etMoney}) {
    edit->SetEditType(type);
    edit->SetText("12");
    ASSERT_FALSE(edit->IsModified());
    edit->SetPrecision(2);
    EXPECT_TRUE(edit->IsModified()) << type;
    EXPECT_EQ(edit->Text(), "12.00") << type;
    edit->SetPrecision(0);
  }
}

TEST_F(ExtEdit, DesignTimeFloatPrecisionAndTheDesignHeight) {
  TExtEdit designed(nullptr);
  designed.SetDesigning(true);
  designed.SetEditType(etFloat);
  EXPECT_EQ(designed.Precision(), 2);
  // A height written while loading comes back when loading ends, whatever moved it meanwhile.
  edit->BeginLoading();
  edit->SetHeight(40);
  edit->SetBounds(10, 10, 200, 21);
  edit->EndLoading();
  EXPECT_EQ(edit->Height(), 40);
}

TEST_F(ExtEdit, AnEmptyNumberLeftBecomesZeroAndStaysModified) {
  edit->ShowModified = true;
  edit->ModifiedColor = clRed;
  const struct {
    TExtEditType Type;
    int Precision;
    const char* Value;  // "" empty
    const char* Left;
    bool Modified;
  } cases[] = {{etFloat, 0, "", "0", true},
               {etFloat, 2, "", "0.00", true},
               {etMoney, 2, "", "0.00", true},
               {etFloat, 2, "3", "3.00", false},  // a reformat keeps the state
               {etNumeric, 0, "", "0", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.Type) + " " + c.Value);
    edit->SetEditType(c.Type);
    edit->SetPrecision(c.Precision);
    edit->SetText("1");
    edit->TCustomEdit::SetText(c.Value);
    edit->SetFocus();
    QApplication::processEvents();
    ASSERT_FALSE(edit->IsModified());
    other->SetFocus();
    QApplication::processEvents();
    EXPECT_EQ(edit->Text(), c.Left);
    EXPECT_EQ(edit->IsModified(), c.Modified);
    EXPECT_EQ(edit->Font()->Color() == clRed, c.Modified);
    edit->SetPrecision(0);
  }
}

// Writing then reading Text gives the value back whatever prefix and suffix stand around it.
TEST(ExtEditProperty, TextRoundTripsBetweenRandomPrefixesAndSuffixes) {
  std::mt19937 rng(20261207);
  const std::string alphabet = "ab#$ 0129.,-kg\xC3\xA9";
  auto word = [&](int maxLen) {
    std::string s;
    const int n = static_cast<int>(rng() % static_cast<unsigned>(maxLen + 1));
    for (int i = 0; i < n; ++i) s += alphabet[rng() % alphabet.size()];
    return s;
  };
  TFormatSettingsScope locale;
  TExtEdit edit(nullptr);
  TExtEdit number(nullptr);
  number.SetEditType(etFloat);
  for (int i = 0; i < 100000; ++i) {
    const std::string prefix = word(3), suffix = word(3), value = word(6);
    edit.SetPrefix(prefix);
    edit.SetSuffix(suffix);
    edit.SetText(value);
    ASSERT_EQ(edit.Text(), value) << '"' << prefix << "\" \"" << value << "\" \"" << suffix << '"';
    ASSERT_EQ(edit.TCustomEdit::Text(), prefix + value + suffix);
    // Numbers come back normalised to the precision, in either locale.
    UseLocale(i % 2);
    const int precision = 1 + static_cast<int>(rng() % 4);
    const double x = static_cast<double>(static_cast<int64_t>(rng() % 2000001) - 1000000) / 1000.0;
    number.SetPrecision(precision);
    number.SetPrefix(prefix);
    number.SetSuffix(suffix);
    number.SetNumberValue(x);
    const double half = 0.5 / std::pow(10.0, precision);
    ASSERT_NEAR(number.NumberValue(), x, half + 1e-9) << x;
  }
}

TEST(ExtEditRulesTest, LinkAddressesOpenOnlyWebAndMail) {
  struct {
    const char* value;
    bool link;
    const char* opened;
  } cases[] = {
      {"www.example.com", true, "http://www.example.com"},
      {"https://example.com/a?b", true, "https://example.com/a?b"},
      {"ftp://host/file", true, "ftp://host/file"},
      {"me@example.com", true, "mailto:me@example.com"},
      {"mailto:me@example.com", true, "mailto:me@example.com"},
      {"file:///etc/passwd", true, ""},
      {"javascript://x", true, ""},
      {"/usr/bin/xterm@x", true, ""},
      {"www.a.com & rm -rf", true, ""},
      {"@host", false, ""},
      {"plain", false, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtEditRules::LooksLikeLink(c.value), c.link) << c.value;
    EXPECT_EQ(ExtEditRules::LinkAddress(c.value), c.opened) << c.value;
  }
}

TEST_F(ExtEdit, LinkLookOpensTheAddressThroughTheDesktopOpener) {
  std::vector<std::string> opened;
  SetShellOpenHandler([&](const std::string& verb, const std::string& file) {
    opened.push_back(verb + " " + file);
    return true;
  });
  edit->SetShowURL(true);
  edit->SetText("www.example.com");
  EXPECT_TRUE(edit->URLLook());
  EXPECT_TRUE(edit->Font()->Style() & fsUnderline);
  EXPECT_EQ(edit->Font()->Color(), edit->URLColor);
  edit->SetFocus();
  QApplication::processEvents();
  Qt::MouseButtons held;
  SendMouseEvent(edit->Peer(), QEvent::MouseButtonPress, 20, 10, Qt::LeftButton, Qt::NoModifier, held);
  SendMouseEvent(edit->Peer(), QEvent::MouseButtonRelease, 20, 10, Qt::LeftButton, Qt::NoModifier, held);
  edit->SetText("file:///bin/sh");
  SendMouseEvent(edit->Peer(), QEvent::MouseButtonPress, 20, 10, Qt::LeftButton, Qt::NoModifier, held);
  SendMouseEvent(edit->Peer(), QEvent::MouseButtonRelease, 20, 10, Qt::LeftButton, Qt::NoModifier, held);
  edit->SetText("plain");
  EXPECT_FALSE(edit->URLLook());
  EXPECT_FALSE(edit->Font()->Style() & fsUnderline);
  SetShellOpenHandler(nullptr);
  EXPECT_EQ(opened, std::vector<std::string>{"open http://www.example.com"});
}

TEST_F(ExtEdit, FocusErrorAndModifiedColours) {
  edit->SetEditColor(clWhite);
  edit->SetFocusColor(clYellow);
  edit->ShowModified = true;
  edit->ModifiedColor = clRed;
  edit->SetShowError(true);
  edit->OnValueValidate = [](TObject*, const std::string& v, bool& ok) { ok = v != "bad"; };
  edit->SetFocus();
  QApplication::processEvents();
  EXPECT_EQ(edit->Color(), clYellow);
  Type("x");
  EXPECT_TRUE(edit->IsModified());
  EXPECT_EQ(edit->Font()->Color(), clRed);
  edit->SetText("bad");
  EXPECT_TRUE(edit->ErrorShown());
  EXPECT_EQ(edit->Color(), edit->ErrorColor);
  edit->SetText("good");
  EXPECT_EQ(edit->Color(), clYellow);
  other->SetFocus();
  QApplication::processEvents();
  EXPECT_EQ(edit->Color(), clWhite);
  // Leaving asks the validator but sets no error: the error follows changes of the text.
  int asked = 0;
  edit->OnValueValidate = [&](TObject*, const std::string&, bool& ok) { ++asked, ok = false; };
  edit->SetFocus();
  other->SetFocus();
  QApplication::processEvents();
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(edit->ErrorShown());
}

TEST_F(ExtEdit, ErrorMarkerRunsJustBelowTheBaseline) {
  edit->SetText("abcdef");
  edit->SetErrorMarkerPos(1);
  edit->SetErrorMarkerLen(3);
  QApplication::processEvents();
  const QImage image = RenderControlImage(edit);
  int top = -1;
  for (int i = 0; i < image.width() * image.height() && top < 0; ++i)
    if (const QColor q = image.pixelColor(i % image.width(), i / image.width()); q.red() > 200 && q.green() < 80)
      top = i / image.width();
  TBitmap measure(1, 1);
  measure.Canvas()->SetFont(edit->Font());
  const int baseline = edit->PosFromChar(0).Y + measure.Canvas()->GetTextMetrics().Ascent;
  EXPECT_NEAR(top, baseline, 1);
}

TEST_F(ExtEdit, EscapeRestoresTheTextOfTheFocus) {
  edit->SetText("start");
  edit->SetFocus();
  QApplication::processEvents();
  Type("zz");
  SendKeyEvent(edit, Qt::Key_Escape);
  EXPECT_EQ(edit->Text(), "start");
  EXPECT_FALSE(edit->IsModified());
}

// ---------------------------------------------------------------- dialog keys and looks
TEST_F(ExtEdit, ReturnAndEscapeTheEditLeavesReachTheDialogsButtons) {
  form->SetWidth(360);
  auto* ok = new TButton(form);
  ok->SetParent(form);
  ok->SetBounds(230, 10, 100, 24);
  ok->SetDefault(true);
  auto* cancel = new TButton(form);
  cancel->SetParent(form);
  cancel->SetBounds(230, 50, 100, 24);
  cancel->SetCancel(true);
  int oks = 0, cancels = 0;
  ok->OnClick = [&](TObject*) { ++oks; };
  cancel->OnClick = [&](TObject*) { ++cancels; };
  edit->Lookup()->DisplayList()->SetText("apple\napricot");

  struct {
    const char* what;
    std::function<void()> setup;
    int key;
    const char* text;  // the edit's value afterwards
    int oks, cancels;
    bool focusMoved;
  } cases[] = {
      {"Return nothing uses", [] {}, Qt::Key_Return, "startap", 1, 0, false},
      {"Return chooses from the open list", [&] {
         edit->Lookup()->Enabled = true;
         edit->SetText("");
       },
       Qt::Key_Return, "apple", 0, 0, false},
      {"Return moves on as Tab", [&] { edit->ReturnIsTab = true; }, Qt::Key_Return, "startap", 0, 0, true},
      {"a form previewing keys has them", [&] { form->SetKeyPreview(true); }, Qt::Key_Return, "startap", 0, 0, false},
      {"Escape with the list open closes it, undoes, then cancels", [&] {
         edit->Lookup()->Enabled = true;
         edit->SetText("");
       },
       Qt::Key_Escape, "start", 0, 1, false},
      {"Escape undoes, then cancels", [] {}, Qt::Key_Escape, "start", 0, 1, false},
      {"a form previewing keys keeps Escape: no undo", [&] { form->SetKeyPreview(true); }, Qt::Key_Escape, "startap",
       0, 0, false},
      {"Escape without undo cancels", [&] { edit->SetCanUndo(false); }, Qt::Key_Escape, "startap", 0, 1, false},
  };
  for (const auto& c : cases) {
    edit->Lookup()->Enabled = false;
    edit->ReturnIsTab = false;
    edit->SetCanUndo(true);
    form->SetKeyPreview(false);
    oks = cancels = 0;
    other->SetFocus();
    edit->SetText("start");
    edit->SetFocus();
    QApplication::processEvents();
    edit->SetSelStart(5);
    c.setup();
    Type("ap");
    SendKeyEvent(edit, c.key);
    QApplication::processEvents();
    EXPECT_EQ(edit->Text(), c.text) << c.what;
    EXPECT_EQ(oks, c.oks) << c.what;
    EXPECT_EQ(cancels, c.cancels) << c.what;
    EXPECT_EQ(other->Focused(), c.focusMoved) << c.what;
    EXPECT_FALSE(edit->LookupShown()) << c.what;
  }
}

int32_t PixelAt(const QImage& Image, QPoint P) {
  const QColor q = Image.pixelColor(P);
  return q.red() | (q.green() << 8) | (q.blue() << 16);
}

TEST_F(ExtEdit, FlatFocusBorderAndTransparentLooks) {
  form->SetColor(clAqua);
  const int w = 200, h = 24, m = h / 2;
  enum TWhere { kOther, kEdit };
  struct TPixel {
    int x, y;
    TColor color;
  };
  struct {
    const char* what;
    std::function<void()> setup;
    TWhere focus;
    std::vector<TPixel> pixels;
  } cases[] = {
      {"flat: a line along the bottom, the parent's colour", [&] { edit->SetFlat(true); edit->SetFlatLineColor(clRed); },
       kOther, {{w / 2, h - 1, clRed}, {w / 2, m, clAqua}, {0, m, clAqua}}},
      {"flat soft border: a rectangle", [&] {
         edit->SetFlat(true);
         edit->SetFlatLineColor(clRed);
         edit->SetSoftBorder(true);
       },
       kOther, {{0, m, clRed}, {w / 2, 0, clRed}, {w - 1, m, clRed}, {w / 2, h - 1, clRed}, {w / 2, m, clAqua}}},
      {"focus border at rest: the parent's colour", [&] { edit->SetFocusBorder(true); }, kOther,
       {{0, m, clAqua}, {1, m, clAqua}, {w / 2, 0, clAqua}, {w / 2, m, clWindow}}},
      {"focus border hovered: sunken edge and face", [&] {
         edit->SetFocusBorder(true);
         edit->Perform(CM_MOUSEENTER);
       },
       kOther, {{0, m, clBtnShadow}, {w - 1, m, clBtnHighlight}, {1, m, clBtnFace}}},
      {"focus border focused: sunken edge and face", [&] { edit->SetFocusBorder(true); }, kEdit,
       {{0, m, clBtnShadow}, {w / 2, 0, clBtnShadow}, {w - 1, m, clBtnHighlight}, {w / 2, h - 1, clBtnHighlight},
        {1, m, clBtnFace}}},
      {"focus border colour only while focused", [&] { edit->SetFocusBorderColor(clLime); }, kEdit,
       {{0, m, clLime}, {w - 1, m, clLime}, {w / 2, h - 1, clLime}}},
      {"flat with a focus-border colour at rest: the line", [&] {
         edit->SetFlat(true);
         edit->SetFlatLineColor(clRed);
         edit->SetFocusBorderColor(clLime);
       },
       kOther, {{w / 2, h - 1, clRed}}},
      {"flat with a focus-border colour focused: the frame over the line", [&] {
         edit->SetFlat(true);
         edit->SetFlatLineColor(clRed);
         edit->SetFocusBorderColor(clLime);
       },
       kEdit, {{0, m, clLime}, {w / 2, h - 1, clLime}}},
      {"transparent: the parent shows through", [&] { edit->SetTransparent(true); }, kOther, {{w / 2, m, clAqua}}},
      {"opaque: the edit's own background", [] {}, kOther, {{w / 2, m, clWindow}}},
  };
  for (const auto& c : cases) {
    edit->SetFlat(false);
    edit->SetSoftBorder(false);
    edit->SetFocusBorder(false);
    edit->SetFocusBorderColor(clNone);
    edit->SetTransparent(false);
    edit->SetEditColor(clWindow);
    edit->SetText("");
    edit->Perform(CM_MOUSELEAVE);  // wherever earlier tests left the pointer
    c.setup();
    (c.focus == kEdit ? static_cast<TWinControl*>(edit) : other)->SetFocus();
    QApplication::processEvents();
    const QImage image = RenderControlImage(form);
    const QPoint at = edit->Peer()->mapTo(form->Peer(), QPoint(0, 0));
    for (const TPixel& p : c.pixels)
      EXPECT_EQ(PixelAt(image, at + QPoint(p.x, p.y)), ColorToRGB(p.color)) << c.what << " at " << p.x << "," << p.y;
  }
  // The colour frame is gone once the focus leaves.
  edit->SetFocusBorderColor(clLime);
  other->SetFocus();
  QApplication::processEvents();
  const QImage image = RenderControlImage(form);
  EXPECT_NE(PixelAt(image, edit->Peer()->mapTo(form->Peer(), QPoint(0, 12))), ColorToRGB(clLime));
}

TEST_F(ExtEdit, LabelFollowsTheEditInEveryPosition) {
  edit->SetLabelCaption("Name");
  TLabel* l = edit->EditLabel();
  ASSERT_NE(l, nullptr);
  const int W = 200, H = 24, LW = l->Width(), LH = l->Height(), M = 4;
  struct {
    TLabelPosition pos;
    int x, y;
  } cases[] = {
      {lpLeftTop, 10 - LW - M, 10}, {lpLeftCenter, 10 - LW - M, 10 + (H - LH) / 2},
      {lpLeftBottom, 10 - LW - M, 10 + H - LH}, {lpTopLeft, 10, 10 - LH - M}, {lpBottomLeft, 10, 10 + H + M},
      {lpLeftTopLeft, 10 - M, 10}, {lpTopCenter, 10 + (W - LW) / 2, 10 - LH - M},
      {lpBottomCenter, 10 + (W - LW) / 2, 10 + H + M},
  };
  for (const auto& c : cases) {
    edit->SetLabelPosition(c.pos);
    EXPECT_EQ(l->Left(), c.x) << c.pos;
    EXPECT_EQ(l->Top(), c.y) << c.pos;
  }
  edit->SetLeft(40);
  EXPECT_EQ(l->Left(), 40 + (W - LW) / 2);
  edit->SetVisible(false);
  EXPECT_FALSE(l->Visible());
}

// The label's font is LabelFont unless the edit takes its parent's font; FocusLabel keeps it bold
// for as long as the edit is focused, however the edit is widened or moved meanwhile.
TEST_F(ExtEdit, LabelFontAndItsBoldFollowParentFontAndFocus) {
  form->Font()->SetName("Courier New");
  edit->LabelFont()->SetName("Verdana");
  edit->FocusLabel = true;
  edit->FocusWidthInc = 30;
  for (bool parent : {false, true}) {
    SCOPED_TRACE(parent ? "parent font" : "label font");
    edit->SetParentFont(parent);
    edit->SetLabelCaption("Name");
    TLabel* l = edit->EditLabel();
    ASSERT_NE(l, nullptr);
    const std::string face = parent ? "Courier New" : "Verdana";
    EXPECT_EQ(l->Font()->Name(), face);
    edit->SetFocus();
    QApplication::processEvents();
    EXPECT_EQ(edit->Width(), 230);
    EXPECT_TRUE(l->Font()->Style() & fsBold);
    edit->SetLeft(edit->Left() + 5);
    EXPECT_TRUE(l->Font()->Style() & fsBold);
    EXPECT_EQ(l->Font()->Name(), face);
    other->SetFocus();
    QApplication::processEvents();
    EXPECT_FALSE(l->Font()->Style() & fsBold);
    EXPECT_EQ(l->Font()->Name(), face);
  }
}

}  // namespace

namespace {
// ---------------------------------------------------------------- drag and drop
class ExtEditDrag : public ExtEdit {
 protected:
  void SetUp() override {
    ExtEdit::SetUp();
    target = new TExtEdit(form);
    target->SetParent(form);
    target->SetBounds(10, 80, 200, 24);
    target->SetOleDropTarget(true);
    edit->OleDropSource = true;
    edit->SetOleDropTarget(true);
    QApplication::processEvents();
  }
  void TearDown() override {
    SetDragLoop(nullptr);
    ExtEdit::TearDown();
  }
  // The screen point in the middle of the character at a byte position.
  static TPoint At(TExtEdit* e, int pos) {
    TPoint p = e->PosFromChar(pos);
    return e->ClientToScreen(TPoint(p.X + 1, p.Y + 4));
  }
  static TDataObject TextData(const std::string& s) {
    TDataObject d;
    d.SetText(s);
    return d;
  }
  // Presses inside the selection of `edit` and moves: the drag runs through the loop set.
  void DragSelection() {
    Qt::MouseButtons held;
    const TPoint p = edit->ScreenToClient(At(edit, edit->SelStart() + 1));
    SendMouseEvent(edit->Peer(), QEvent::MouseButtonPress, p.X, p.Y, Qt::LeftButton, Qt::NoModifier, held);
    SendMouseEvent(edit->Peer(), QEvent::MouseMove, p.X + 10, p.Y, Qt::LeftButton, Qt::NoModifier, held);
  }
  TExtEdit* target = nullptr;
};

TEST_F(ExtEditDrag, DroppedTextTakesItsFirstLineThroughThePasteRule) {
  target->SetText("abcd");
  EXPECT_EQ(DeliverDrop(target, TextData("XY\r\nsecond"), At(target, 2), 0, DROPEFFECT_COPY), DROPEFFECT_COPY);
  EXPECT_EQ(target->Text(), "abXYcd");
  EXPECT_EQ(target->SelText(), "XY");
  // A numeric edit takes dropped text only when the result is a number.
  target->SetEditType(etNumeric);
  target->SetText("12");
  DeliverDrop(target, TextData("x"), At(target, 1), 0, DROPEFFECT_COPY);
  DeliverDrop(target, TextData("3"), At(target, 1), 0, DROPEFFECT_COPY);
  EXPECT_EQ(target->Text(), "132");
  // Data in no format at all is refused before the edit hears of it.
  EXPECT_EQ(DeliverDrop(target, TDataObject(), At(target, 1), 0, DROPEFFECT_COPY), DROPEFFECT_NONE);
  EXPECT_EQ(target->Text(), "132");
  // The edit takes nothing of a file list: files alone are answered none, never move, so the
  // source deletes nothing; text that comes with files is taken.
  TDataObject files;
  files.SetFiles({"/tmp/notes.txt"});
  EXPECT_EQ(DeliverDrop(target, files, At(target, 1), 0, DROPEFFECT_COPY | DROPEFFECT_MOVE), DROPEFFECT_NONE);
  EXPECT_EQ(target->Text(), "132");
  TDataObject both = TextData("4");
  both.SetFiles({"/tmp/notes.txt"});
  EXPECT_EQ(DeliverDrop(target, both, At(target, 1), 0, DROPEFFECT_COPY), DROPEFFECT_COPY);
  EXPECT_EQ(target->Text(), "1432");
}

TEST_F(ExtEditDrag, ADragThatLeavesTakesItsCaretAlongAndAReadOnlyEditRefusesIt) {
  target->SetText("abcd");
  other->SetFocus();
  QApplication::processEvents();
  const QImage before = RenderControlImage(target);
  QImage during;
  const int all = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  DeliverDrop(target, TextData("XY"), At(target, 2), 0, all, false, [&] { during = RenderControlImage(target); });
  EXPECT_NE(during, before);  // the drop caret shows while the drag is over the edit
  EXPECT_EQ(RenderControlImage(target), before);
  EXPECT_EQ(target->Text(), "abcd");
  // Text a read-only edit will not take must not be moved away from its source.
  target->SetReadOnly(true);
  EXPECT_EQ(DeliverDrop(target, TextData("XY"), At(target, 2), 0, all), DROPEFFECT_NONE);
  EXPECT_EQ(target->Text(), "abcd");
}

TEST_F(ExtEditDrag, ADragMovesTheSelectionAndCtrlCopiesIt) {
  struct {
    TShiftState keys;
    const char* source;
    const char* dropped;
  } cases[] = {{0, "ad", "xbcy"}, {ssCtrl, "abcd", "xbcy"}};
  for (const auto& c : cases) {
    edit->SetText("abcd");
    target->SetText("xy");
    edit->SetFocus();
    QApplication::processEvents();
    edit->SetSelStart(1);
    edit->SetSelLength(2);
    std::string carried;
    SetDragLoop([&](TWinControl*, const TDataObject& Data, TDropSource*, int Allowed) {
      carried = Data.Text();
      return DeliverDrop(target, Data, At(target, 1), c.keys, Allowed);
    });
    DragSelection();
    EXPECT_EQ(carried, "bc");
    EXPECT_EQ(edit->Text(), c.source) << c.keys;
    EXPECT_EQ(target->Text(), c.dropped) << c.keys;
  }
}

TEST_F(ExtEditDrag, DroppingBackIntoTheDraggedSelectionChangesNothing) {
  edit->SetText("abcdef");
  edit->SetFocus();
  QApplication::processEvents();
  edit->SetSelStart(1);
  edit->SetSelLength(3);
  SetDragLoop([&](TWinControl*, const TDataObject& Data, TDropSource*, int Allowed) {
    return DeliverDrop(edit, Data, At(edit, 2), 0, Allowed);
  });
  DragSelection();
  EXPECT_EQ(edit->Text(), "abcdef");
  // Moved behind the rest of the text within the same edit, it is there once.
  edit->SetSelStart(1);
  edit->SetSelLength(2);
  SetDragLoop([&](TWinControl*, const TDataObject& Data, TDropSource*, int Allowed) {
    return DeliverDrop(edit, Data, At(edit, 6), 0, Allowed);
  });
  DragSelection();
  EXPECT_EQ(edit->Text(), "adefbc");
}

TEST_F(ExtEditDrag, AReleaseWithoutAMovePlacesTheCaret) {
  edit->SetText("abcdef");
  edit->SetFocus();
  QApplication::processEvents();
  edit->SetSelStart(1);
  edit->SetSelLength(3);
  Qt::MouseButtons held;
  const TPoint p = edit->ScreenToClient(At(edit, 2));
  SendMouseEvent(edit->Peer(), QEvent::MouseButtonPress, p.X, p.Y, Qt::LeftButton, Qt::NoModifier, held);
  SendMouseEvent(edit->Peer(), QEvent::MouseButtonRelease, p.X, p.Y, Qt::LeftButton, Qt::NoModifier, held);
  EXPECT_EQ(edit->SelLength(), 0);
  EXPECT_EQ(edit->SelStart(), edit->CharFromPos(p));
}
}  // namespace

// Random keys, typed characters, pastes, drops, clicks and property changes
// driven into a typed edit with a prefix and suffix, in both separator locales.
// After every step the prefix and suffix stand where they were, the value of a
// digit type that held only what its type lets in still does, and numbers read finite.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

#include "controls/inspector/ExtEdit.h"
#include "fuzz/FuzzInput.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Messages.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/SysUtils.h"

namespace {

// Characters, not bytes: text reaches the edit as whole UTF-8 characters (typed, pasted,
// set by the program), so a piece never starts or ends inside one.
std::string Text(TReader& in, size_t max) {
  static const char* const kChars[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", ".", ",", "-",
                                       ";", "a", "Z", "x", "$", "#", " ", "\xC3\xA9", "\r", "\n", "@"};
  std::string s;
  for (size_t k = in.Byte() % (max + 1); k > 0; --k) s += kChars[in.Byte() % std::size(kChars)];
  return s;
}

TForm* gForm = nullptr;
TExtEdit* gEdit = nullptr;

bool OnlyOf(const std::string& v, const char* allowed) {
  return v.find_first_not_of(allowed) == std::string::npos;
}

// Whether the value holds only what the edit's type lets in (text set by the program may not).
bool Fits(TExtEdit* e) {
  const std::string v = e->Text();
  switch (e->EditType()) {
    case etNumeric: return OnlyOf(v, "0123456789-");
    case etHex: return OnlyOf(v, "0123456789ABCDEFabcdef-");
    case etAlphaNumeric: return OnlyOf(v, "0123456789aZx");
    default: return true;
  }
}

}  // namespace

extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  Application->Initialize();
  gForm = new TForm(Application);
  gForm->SetClientSize(300, 100);
  gEdit = new TExtEdit(gForm);
  gEdit->SetParent(gForm);
  gEdit->SetBounds(10, 10, 200, 24);
  gEdit->Lookup()->Enabled = true;
  gEdit->Lookup()->DisplayList()->SetText("12\n125\n120");
  gForm->Show();
  gEdit->SetFocus();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TReader in{data, size};
  TFormatSettingsScope locale;
  const bool comma = in.Byte() & 1;
  FormatSettings.DecimalSeparator = comma ? ',' : '.';
  FormatSettings.ThousandSeparator = comma ? '.' : ',';
  gEdit->SetEditType(etString);
  gEdit->SetPrecision(0);
  gEdit->SetPrefix(Text(in, 2));
  gEdit->SetSuffix(Text(in, 2));
  gEdit->SetEditType(static_cast<TExtEditType>(in.Byte() % 12));
  gEdit->Signed = in.Byte() & 1;
  gEdit->SetPrecision(in.Byte() % 4);
  gEdit->SetLengthLimit(in.Byte() % 5);
  gEdit->ValidChars = "0a$";
  gEdit->SetText(Text(in, 6));
  for (int step = 0; step < 64 && in.n; ++step) {
    const std::string prefix = gEdit->Prefix(), suffix = gEdit->Suffix();
    const bool fitted = Fits(gEdit);
    const uint8_t op = in.Byte() % 8, a = in.Byte();
    switch (op) {
      case 0:
      case 1: {  // a typed key: its key-down, then its character
        static const char kKeys[] = "0123456789.,-;aZx$# \b";
        const char c = kKeys[a % (sizeof kKeys - 1)];
        gEdit->Perform(WM_KEYDOWN, c == '\b' ? VK_BACK : static_cast<WPARAM>(std::toupper(c)), 0);
        gEdit->Perform(WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), 0);
        break;
      }
      case 2: {
        static const WORD kMoves[] = {VK_LEFT, VK_RIGHT, VK_HOME, VK_END, VK_DELETE, VK_UP, VK_DOWN, VK_RETURN};
        gEdit->Perform(WM_KEYDOWN, kMoves[a % 8], 0);
        gEdit->Perform(WM_KEYUP, kMoves[a % 8], 0);
        break;
      }
      case 3:
        Clipboard()->SetAsText(Text(in, 8));
        gEdit->Perform(WM_PASTE, 0, 0);
        break;
      case 4:
        gEdit->DropText(TPoint(a % 200, 10), Text(in, 8), in.Byte() & 1);
        break;
      case 5:
        gEdit->SetSelStart(a % 12);
        gEdit->SetSelLength(in.Byte() % 12);
        break;
      case 6:
        gEdit->SetNumberValue((static_cast<int>(a) - 128) * 12.375);
        break;
      default:
        gEdit->Perform(WM_KEYDOWN, VK_ESCAPE, 0);
        break;
    }
    const std::string w = gEdit->TCustomEdit::Text();
    Check(w.compare(0, prefix.size(), prefix) == 0, "the prefix stays in front");
    Check(w.size() >= prefix.size() + suffix.size() && w.compare(w.size() - suffix.size(), suffix.size(), suffix) == 0,
          "the suffix stays at the end");
    // Text the program writes (NumberValue, the text restored by Escape) is not checked.
    Check(!fitted || op >= 6 || Fits(gEdit), "typing, pasting and dropping keep the value to its type");
    Check(std::isfinite(gEdit->NumberValue()), "numbers read finite");
  }
  gEdit->HideLookup();
  return 0;
}

// The typed edit's value: Text between prefix and suffix, numbers, the
// character filter, the keys that keep the caret in the value, paste, copy and cut.
#include "controls/inspector/ExtEdit.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/gui/CharKinds.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"

using namespace ExtEditRules;

namespace {
constexpr UINT CM_EXTEDIT_TAB = WM_USER + 0x2E1;  // moves on as Tab would, after the key in progress
constexpr UINT CM_EXTEDIT_PARENTKEY = WM_USER + 0x2E2;  // a key handed on to the parent, after the key in progress
char Dec() { return FormatSettings.DecimalSeparator; }
char Thou() { return FormatSettings.ThousandSeparator; }
bool IsNumberType(TExtEditType t) { return t == etNumeric || t == etFloat || t == etMoney; }
bool IsDigit(char32_t c) { return c >= '0' && c <= '9'; }
std::string Utf8Of(char32_t c) {
  std::string s;
  if (c < 0x80) s += static_cast<char>(c);
  else if (c < 0x800) { s += static_cast<char>(0xC0 | (c >> 6)); s += static_cast<char>(0x80 | (c & 0x3F)); }
  else if (c < 0x10000) {
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (c >> 18));
    s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
  return s;
}
char32_t CharOf(const std::string& s, char32_t Default) {
  size_t i = 0;
  char32_t c = 0;
  return DecodeUtf8Char(s, i, c) && i == s.size() ? c : Default;
}
std::string FirstLine(const std::string& s) { return s.substr(0, s.find_first_of("\r\n")); }
}  // namespace

TExtEdit::TExtEdit(TComponent* AOwner)
    : TCustomEdit(AOwner), labelFont_(std::make_unique<TFont>()), lookup_(std::make_unique<TLookupSettings>()),
      persistence_(std::make_unique<TPersistence>()) {
  labelFont_->OnChange = [this](TObject*) {
    ApplyLabelFont();
    PlaceLabel();
  };
  if (!(ComponentState() & csDesigning)) {
    lookupWindow_ = new TListHintWindow(this);
    lookupWindow_->ListControl->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) {
      ChooseLookupEntry();
    };
    lookupWindow_->ListControl->OnKeyPress = [this](TObject*, char& Key) {
      if (Key == 13) ChooseLookupEntry();
    };
  }
}

TExtEdit::~TExtEdit() {
  // The value is kept when the edit goes; a store that fails is reported, never thrown from here.
  if (!(ComponentState() & csDesigning)) {
    try {
      SavePersistence();
    } catch (...) {
    }
  }
  labelFont_->OnChange = nullptr;
  if (label_) {
    TLabel* l = label_;
    label_ = nullptr;
    l->RemoveFreeNotification(this);
    delete l;
  }
}

int TExtEdit::VersionNumber() const { return (2 << 24) | (7 << 16) | (0 << 8) | 2; }

// ---------------------------------------------------------------- value and text
TExtEdit::TValueState TExtEdit::State() const {
  TValueState s;
  const int n = static_cast<int>(text_.size());
  s.PrefixLen = !prefix_.empty() && text_.compare(0, prefix_.size(), prefix_) == 0 ? static_cast<int>(prefix_.size()) : 0;
  int suffixLen = !suffix_.empty() && n - s.PrefixLen >= static_cast<int>(suffix_.size()) &&
                          text_.compare(static_cast<size_t>(n) - suffix_.size(), suffix_.size(), suffix_) == 0
                      ? static_cast<int>(suffix_.size())
                      : 0;
  s.Value = text_.substr(static_cast<size_t>(s.PrefixLen), static_cast<size_t>(n - s.PrefixLen - suffixLen));
  const int vn = static_cast<int>(s.Value.size());
  int a = std::clamp(SelStart() - s.PrefixLen, 0, vn);
  int b = std::clamp(SelStart() + SelLength() - s.PrefixLen, 0, vn);
  s.Caret = std::clamp(caret_ - s.PrefixLen, 0, vn);
  s.SelLen = b - a;
  if (s.SelLen > 0) s.Caret = a;
  return s;
}

void TExtEdit::KeepSelectionInValue() {
  // A caret or a selection reaching into the prefix or suffix (Ctrl+A, a click, text set by
  // the program) edits only the value.
  TValueState s = State();
  if (SelLength() == 0) {
    const int c = s.PrefixLen + s.Caret;
    if (c != caret_) {
      SetSel(c, c);
      PushToPeer();
    }
    return;
  }
  const bool backwards = caret_ < anchor_;
  const int a = s.PrefixLen + s.Caret, b = a + s.SelLen;
  SetSel(backwards ? b : a, backwards ? a : b);
  PushToPeer();
}

void TExtEdit::SetValue(const std::string& Value, int Caret, bool Swallow) {
  std::string w = prefix_ + Value + suffix_;
  int c = static_cast<int>(prefix_.size()) + std::clamp(Caret, 0, static_cast<int>(Value.size()));
  if (w == text_) {
    SetSel(c, c);
    PushToPeer();
    return;
  }
  text_ = w;
  SetSel(c, c);
  reformatting_ = Swallow;
  Perform(CM_TEXTCHANGED);
  reformatting_ = false;
}

std::string TExtEdit::Text() const { return StripAffixes(text_, prefix_, suffix_); }

void TExtEdit::SetText(const std::string& v) {
  std::string s = v;
  if (s.empty() && (IsNumberType(editType_) || editType_ == etHex)) s = "0";
  if (precision_ > 0 && !s.empty()) {
    if (editType_ == etMoney) s = NumberText(ReadNumber(s, precision_), true);
    else if (editType_ == etFloat) s = NumberText(ReadNumber(s, precision_), false);
  }
  if (editType_ == etHex) s = UpperText(s);
  TCustomEdit::SetText(prefix_ + s + suffix_);
  MarkModified(false);
  if (showURL_) UpdateURL();
}

std::string TExtEdit::NumberText(double v, bool Thousands) const {
  return Format(std::string("%.") + IntToStr(std::max<int>(0, precision_)) + (Thousands ? "n" : "f"), {v});
}

double TExtEdit::NumberValue() const {
  const std::string t = Text();
  switch (editType_) {
    case etString: return ReadNumber(t, 0);
    case etNumeric:
    case etFloat: return t.empty() || t == "-" ? 0 : ReadNumber(t, precision_);
    case etMoney: {
      std::string m;
      for (char c : t)
        if (c != Thou()) m += c;
      if (!m.empty() && m.back() == Dec()) m.pop_back();
      return m.empty() || m == "-" ? 0 : ReadNumber(m, precision_);
    }
    case etHex: return ReadHex(t);
    default: return 0;
  }
}

void TExtEdit::SetNumberValue(double v) {
  if (!std::isfinite(v)) v = 0;
  std::string s;
  switch (editType_) {
    // Digits only: a grouped number would be a value the edit itself refuses.
    case etNumeric: s = Format("%.0f", {v}); break;
    case etMoney: s = ThousandsPass(precision_ < 0 ? Format("%g", {v}) : NumberText(v, false), autoThousands_); break;
    // A negative number gives the digits of its 32-bit form, as IntegerValue writes it.
    case etHex:
      s = v < 0 ? IntToHex(static_cast<int>(std::max(std::trunc(v), double(INT_MIN))), 0)
                : UIntToHex(static_cast<uint64_t>(std::min(std::trunc(v), 1.8e19)), 0);
      break;
    default: s = precision_ < 0 ? Format("%g", {v}) : NumberText(v, false); break;
  }
  SetText(s);
  MarkModified(true);
}

int TExtEdit::IntegerValue() const {
  double d = std::trunc(NumberValue());
  return static_cast<int>(std::clamp(d, double(INT_MIN), double(INT_MAX)));
}

void TExtEdit::SetIntegerValue(int v) {
  std::string s = editType_ == etHex ? IntToHex(v, 0) : IntToStr(v);
  if (editType_ == etMoney) s = ThousandsPass(s, autoThousands_);
  SetText(s);
  MarkModified(true);
}

bool TExtEdit::IsTextNumber() const {
  const std::string t = Text();
  return IsInteger(t) || IsDecimal(t);
}

void TExtEdit::SetEditType(TExtEditType v) {
  if (v == editType_) return;
  editType_ = v;
  SetPasswordChar(v == etPassword ? '*' : 0);
  if (v == etPassword) canUndo_ = false;
  const std::string t = Text();
  if (v == etNumeric && !IsInteger(t)) SetIntegerValue(0);
  else if ((v == etFloat || v == etMoney) && !IsTextNumber()) SetNumberValue(0);
  else if (v == etHex && !IsInteger(t) && !std::all_of(t.begin(), t.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
    SetIntegerValue(0);
  else if (v == etHex && t.empty()) SetIntegerValue(0);
  if ((ComponentState() & csDesigning) && v == etFloat && precision_ == 0) SetPrecision(2);
}

void TExtEdit::SetPrecision(int v) {
  if (editType_ != etString && editType_ != etFloat && editType_ != etMoney) return;
  precision_ = static_cast<int16_t>(v);
  SetNumberValue(IsTextNumber() ? NumberValue() : 0);
}

void TExtEdit::SetPrefix(const std::string& v) {
  if (v == prefix_) return;
  std::string t = Text();
  prefix_ = v;
  TCustomEdit::SetText(prefix_ + t + suffix_);
}

void TExtEdit::SetSuffix(const std::string& v) {
  if (v == suffix_) return;
  std::string t = Text();
  suffix_ = v;
  TCustomEdit::SetText(prefix_ + t + suffix_);
}

void TExtEdit::SetAutoThousandSeparator(bool v) {
  if (v == autoThousands_) return;
  autoThousands_ = v;
  if (editType_ == etMoney || editType_ == etFloat) RunThousandsPass();
}

void TExtEdit::RunThousandsPass() {
  TValueState s = State();
  if (s.Value.empty() || s.Value == "-") return;
  std::string v = ThousandsPass(s.Value, autoThousands_);
  int caret = s.Caret + static_cast<int>(v.size()) - static_cast<int>(s.Value.size());
  SetValue(v, std::max(0, caret), true);
}

// ---------------------------------------------------------------- modification and validation
void TExtEdit::MarkModified(bool v) {
  if ((ComponentState() & csLoading) || readOnly_) return;
  if (ShowModified) SetFontColor(v ? ModifiedColor : normalFontColor_);
  modified_ = v;
  isModified_ = v;
}

void TExtEdit::ApplyModifiedColor() {
  if (modified_) MarkModified(true);
}

bool TExtEdit::IsValueValid(const std::string& Value) {
  if (validating_) return true;
  validating_ = true;
  bool ok = true;
  try {
    ValidateValue(Value, ok);
  } catch (...) {
    validating_ = false;
    throw;
  }
  validating_ = false;
  return ok;
}

void TExtEdit::ValidateValue(const std::string& Value, bool& IsValid) {
  if (OnValueValidate) OnValueValidate(this, Value, IsValid);
}

void TExtEdit::Change() {
  if (reformatting_) {
    reformatting_ = false;
    return;
  }
  if (!(ComponentState() & csLoading) && showError_) SetError(!IsValueValid(Text()));
  if (showURL_) UpdateURL();
  TCustomEdit::Change();
}

// ---------------------------------------------------------------- the character filter
TExtEdit::TFilter TExtEdit::FilterChar(char32_t& Ch, LPARAM KeyData, TShiftState Shift) {
  const bool ctrl = Shift & ssCtrl;
  if (Ch == 13 && ctrl) return TFilter::Refused;
  if (Ch == 13) {
    char k = 13;
    if (OnKeyPress) OnKeyPress(this, k);
    return TFilter::Refused;
  }
  if (Ch == 27 && !canUndo_) return TFilter::Passed;
  if (Ch == 3 || Ch == 22 || Ch == 24) return TFilter::Passed;
  if (ExcelStyleDecimalSeparator && Ch == '.' && (KeyData & KF_KEYPAD_LPARAM)) Ch = static_cast<unsigned char>(Dec());
  TValueState s = State();
  if (Ch == 8 && !prefix_.empty() && caret_ <= s.PrefixLen && SelLength() == 0) return TFilter::Refused;
  if (lengthLimit_ > 0) {
    if (Ch == 8) {
      std::string after = s.Value;
      if (s.SelLen > 0) after.erase(static_cast<size_t>(s.Caret), static_cast<size_t>(s.SelLen));
      else if (s.Caret > 0) after.erase(static_cast<size_t>(s.Caret - 1), 1);
      if (IntegerDigits(after) > lengthLimit_) return TFilter::Refused;
    } else if (Ch != static_cast<unsigned char>(Dec()) && IntegerDigits(s.Value) >= lengthLimit_ && s.SelLen == 0) {
      size_t d = s.Value.find(Dec());
      if (d == std::string::npos || s.Caret <= static_cast<int>(d)) return TFilter::Refused;
    }
  }
  if (Ch == 10) return TFilter::Refused;
  if (Ch == '-' && IsNumberType(editType_) && !Signed) return TFilter::Refused;
  return TypeRule(Ch);
}

TExtEdit::TFilter TExtEdit::ToggleSign() {
  TValueState s = State();
  if (!s.Value.empty() && s.Value[0] == '-') {
    SetValue(s.Value.substr(1), std::max(0, s.Caret - 1), false);
    if (editType_ != etNumeric) MarkModified(true);
  } else {
    SetValue("-" + s.Value, s.Caret + 1, false);
    MarkModified(true);
  }
  return TFilter::Refused;
}

TExtEdit::TFilter TExtEdit::NumberRule(char Ch) {
  TValueState s = State();
  const bool money = editType_ == etMoney;
  const std::string sel = s.Value.substr(static_cast<size_t>(s.Caret), static_cast<size_t>(s.SelLen));
  const bool hasDec = s.Value.find(Dec()) != std::string::npos;
  const bool hasThou = s.Value.find(Thou()) != std::string::npos;
  if (Ch == '-') return s.SelLen == 0 ? ToggleSign() : TFilter::Passed;
  if (Ch == Dec()) {
    // A float's selection may replace its separator; money keeps its one separator.
    if ((money || sel.find(Dec()) == std::string::npos) && (hasDec || precision_ == 0)) {
      if (precision_ > 0 && hasDec) {
        if (money && s.SelLen == static_cast<int>(s.Value.size())) {
          SetText("0");
          s = State();
        }
        SetValue(s.Value, static_cast<int>(s.Value.find(Dec())) + 1, false);
      }
      return TFilter::Refused;
    }
    if (hasThou && !GroupingAllows(s.Value, s.Caret)) return TFilter::Refused;
    if (s.Value.empty() && s.Caret == 0) {
      SetValue(std::string("0") + Dec(), 2, false);
      MarkModified(true);
      return TFilter::Refused;
    }
    return TFilter::Passed;
  }
  if (Ch == Thou()) {
    if (money) return TFilter::Refused;
    if (hasThou && !GroupingAllows(s.Value, s.Caret)) return TFilter::Refused;
    return TFilter::Passed;
  }
  if (Ch == ',' || Ch == '.') return TFilter::Refused;
  if (IsDigit(static_cast<unsigned char>(Ch)) && s.SelLen == 0 && DecimalsFull(s.Value, s.Caret, precision_)) {
    if (s.Caret >= static_cast<int>(s.Value.size())) return TFilter::Refused;
    std::string v = s.Value;
    v[static_cast<size_t>(s.Caret)] = Ch;
    SetValue(v, s.Caret + 1, false);
    MarkModified(true);
    return TFilter::Refused;
  }
  return TFilter::Passed;
}

TExtEdit::TFilter TExtEdit::TypeRule(char32_t& Ch) {
  const bool control = Ch == 8 || Ch == 9 || Ch == 13;
  const bool digit = IsDigit(Ch);
  switch (editType_) {
    case etString:
    case etPassword: return TFilter::Passed;
    case etNumeric:
      if (KeyboardStateToShiftState() & ssCtrl) return TFilter::Passed;
      if (Ch == '-') return ToggleSign();
      return control || digit ? TFilter::Passed : TFilter::Dropped;
    case etFloat:
    case etMoney:
      if (control) return TFilter::Passed;
      if (digit || Ch == '-' || Ch == ',' || Ch == '.' || Ch == static_cast<unsigned char>(Dec()) ||
          Ch == static_cast<unsigned char>(Thou()))
        return NumberRule(static_cast<char>(Ch));
      return TFilter::Refused;
    case etUppercase:
      Ch = CharOf(UpperText(Utf8Of(Ch)), Ch);
      return TFilter::Passed;
    case etLowerCase:
      Ch = CharOf(LowerText(Utf8Of(Ch)), Ch);
      return TFilter::Passed;
    case etMixedCase: return TFilter::Passed;
    case etRange: {
      if (control || digit) return TFilter::Passed;
      if (Ch != ',' && Ch != '-' && Ch != ';') return TFilter::Dropped;
      TValueState s = State();
      auto mark = [](char c) { return c == ',' || c == '-' || c == ';'; };
      const size_t end = static_cast<size_t>(s.Caret + s.SelLen);
      if (s.Caret == 0 || mark(s.Value[static_cast<size_t>(s.Caret - 1)]) || (end < s.Value.size() && mark(s.Value[end])))
        return TFilter::Refused;
      return TFilter::Passed;
    }
    case etHex:
      return control || digit || Ch == '-' || (Ch >= 'A' && Ch <= 'F') || (Ch >= 'a' && Ch <= 'f') ? TFilter::Passed
                                                                                                 : TFilter::Dropped;
    case etAlphaNumeric:
      return control || digit || (Ch >= 'A' && Ch <= 'Z') || (Ch >= 'a' && Ch <= 'z') ? TFilter::Passed
                                                                                     : TFilter::Dropped;
    case etValidChars:
      return Ch == 8 || (Ch < 0x80 && ValidChars.find(static_cast<char>(Ch)) != std::string::npos) ||
                     (Ch >= 0x80 && ValidChars.find(Utf8Of(Ch)) != std::string::npos)
                 ? TFilter::Passed
                 : TFilter::Dropped;
  }
  return TFilter::Passed;
}

void TExtEdit::WMChar(TMessage& Message) {
  if (CharSuppressed()) return TCustomEdit::WMChar(Message);
  auto ch = static_cast<char32_t>(Message.WParam);
  if (ch == 27 && listEscaped_) {  // the Escape that closed the list: it must not open it again
    listEscaped_ = false;
    Message.Result = 1;
    return;
  }
  KeepSelectionInValue();
  const TValueState before = State();
  const std::string textBefore = text_;
  TFilter r = FilterChar(ch, Message.LParam, KeyboardStateToShiftState());
  if (r == TFilter::Refused) {
    Message.Result = 1;
    return;
  }
  if (r == TFilter::Passed) {
    Message.WParam = ch;
    TCustomEdit::WMChar(Message);
    const bool changed = text_ != textBefore;
    if (changed && ch == 8) MarkModified(true);
    if (changed && editType_ == etMixedCase) {
      TValueState s = State();
      SetValue(MixedCase(s.Value), before.Caret + static_cast<int>(Utf8Of(ch).size()), false);
    }
    if (changed && editType_ == etMoney && ch != static_cast<unsigned char>(Dec())) {
      TValueState s = State();
      if (!s.Value.empty() && s.Value != "-") {
        ApplyModifiedColor();
        RunThousandsPass();
      }
    }
  }
  AfterChar(ch, r);
}

void TExtEdit::AfterChar(char32_t, TFilter) {
  if (TabOnFullLength && lengthLimit_ > 0) {
    TValueState s = State();
    if (IntegerDigits(s.Value) >= lengthLimit_ && s.SelLen == 0 && s.Caret == lengthLimit_ && HandleAllocated())
      PostMessage(Handle(), CM_EXTEDIT_TAB, 0, 0);
  }
  ApplyModifiedColor();
  UpdateLookup();
}

// ---------------------------------------------------------------- keys
void TExtEdit::KeyDown(WORD& Key, TShiftState Shift) {
  const bool ctrl = Shift & ssCtrl, shift = Shift & ssShift;
  if (LookupShown()) {
    switch (Key) {
      case VK_RETURN: ChooseLookupEntry(); Key = 0; return;
      case VK_HOME: case VK_END: case VK_NEXT: case VK_PRIOR: case VK_UP: case VK_DOWN:
        MoveLookupSelection(Key);
        Key = 0;
        return;
      default: break;
    }
  }
  if ((Key == VK_TAB || Key == VK_RETURN) && ctrl) return TCustomEdit::KeyDown(Key, Shift);
  if (Key == VK_RETURN && ReturnIsTab) {
    Key = VK_TAB;
    if (Visible() && HandleAllocated()) PostMessage(Handle(), CM_EXTEDIT_TAB, 0, 0);
  }
  TValueState s = State();
  const int valueEnd = s.PrefixLen + static_cast<int>(s.Value.size());
  switch (Key) {
    case VK_LEFT:
      if (caret_ <= s.PrefixLen) Key = 0;
      break;
    case VK_BACK:
      // The character filter decides the deletion itself.
      if (caret_ <= s.PrefixLen + 1) Key = 0;
      else MarkModified(true);
      break;
    case VK_RIGHT:
      if (caret_ >= valueEnd) Key = 0;
      break;
    case VK_DELETE:
      KeepSelectionInValue();
      if (caret_ >= valueEnd && SelLength() == 0) {
        Key = 0;
        break;
      }
      if (lengthLimit_ > 0) {
        std::string after = s.Value;
        if (s.SelLen > 0) after.erase(static_cast<size_t>(s.Caret), static_cast<size_t>(s.SelLen));
        else after.erase(static_cast<size_t>(s.Caret), 1);
        if (IntegerDigits(after) > lengthLimit_) {
          Key = 0;
          break;
        }
      }
      if (!shift) MarkModified(true);
      break;
    case VK_END:
      if (!suffix_.empty()) {
        SetSel(shift ? anchor_ : valueEnd, valueEnd);
        PushToPeer();
        Key = 0;
      }
      break;
    case VK_HOME:
      if (!prefix_.empty()) {
        SetSel(shift ? valueEnd : s.PrefixLen, s.PrefixLen);
        PushToPeer();
        Key = 0;
      }
      break;
    case VK_ESCAPE: {
      // A list of matches for text that is gone would offer what no longer fits.
      if (LookupShown()) {
        HideLookup();
        listEscaped_ = true;
      }
      const TCustomForm* form = GetParentForm(this);
      if (!canUndo_ || (form && form->KeyPreview())) break;
      TCustomEdit::SetText(focusText_);
      if (FocusFontColor != clNone) SetFontColor(FocusFontColor);
      SelectValue();
      MarkModified(false);
      break;
    }
    default: break;
  }
  if (Key != 0) TCustomEdit::KeyDown(Key, Shift);
  // The edit takes every Return and Escape before the form's dialog keys do; what it leaves
  // (an Escape after the undo, a Return nothing used) goes on to the parent, so a dialog's
  // default and cancel buttons still answer. A form that previews keys has had them already.
  if ((Key == VK_ESCAPE || Key == VK_RETURN) && !(Shift & (ssCtrl | ssAlt)) && HandleAllocated()) {
    TCustomForm* f = GetParentForm(this);
    if (!(f && f->KeyPreview())) PostMessage(Handle(), CM_EXTEDIT_PARENTKEY, Key, 0);
  }
}

void TExtEdit::WMGetDlgCode(TMessage& Message) {
  TCustomEdit::WMGetDlgCode(Message);
  Message.Result |= DLGC_WANTALLKEYS;
}

void TExtEdit::WMKeyDown(TMessage& Message) {
  const WORD key = static_cast<WORD>(Message.WParam);
  listEscaped_ = false;
  TCustomEdit::WMKeyDown(Message);
  if (key == VK_DELETE && editType_ == etMoney) RunThousandsPass();
  TValueState s = State();
  if (caret_ < s.PrefixLen && SelLength() == 0) {
    SetSel(s.PrefixLen, s.PrefixLen);
    PushToPeer();
  }
}

void TExtEdit::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_EXTEDIT_PARENTKEY) {
    // As if typed on the parent: its dialog keys first, then its own key handling.
    if (TWinControl* p = Parent()) {
      const WORD key = static_cast<WORD>(Message.WParam);
      const std::shared_ptr<bool> alive = p->AliveFlag();  // a button may close and free the form
      if (!p->DoDialogKey(key, 0) && *alive) p->Perform(WM_KEYDOWN, key, 0);
      if (*alive) p->Perform(WM_KEYUP, key, 0);
    }
    return;
  }
  if (Message.Msg == WM_KILLFOCUS || Message.Msg == WM_CANCELMODE) HideLookup();
  if (Message.Msg == CM_EXTEDIT_TAB) {
    if (TCustomForm* f = GetParentForm(this))
      f->SelectNext(this, !(KeyboardStateToShiftState() & ssShift), true);
    return;
  }
  TCustomEdit::Dispatch(Message);
}

// ---------------------------------------------------------------- clipboard
bool TExtEdit::PasteAllowed(const std::string& Pasted, std::string& Value) {
  auto all = [&](auto pred) { return std::all_of(Pasted.begin(), Pasted.end(), pred); };
  switch (editType_) {
    case etString:
    case etPassword: return true;
    case etNumeric: {
      auto minus = std::count(Value.begin(), Value.end(), '-');
      bool digits = std::all_of(Value.begin(), Value.end(), [](char c) { return (c >= '0' && c <= '9') || c == '-'; });
      return digits && minus <= 1 && (Signed || minus == 0) && (minus == 0 || Value[0] == '-');
    }
    case etFloat:
    case etMoney:
      if (!(IsInteger(Value) || IsDecimal(Value))) return false;
      if (precision_ == 0 && Pasted.find(Dec()) != std::string::npos) return false;
      return Signed || Value.find('-') == std::string::npos;
    case etUppercase: Value = UpperText(Value); return true;
    case etLowerCase: Value = LowerText(Value); return true;
    case etMixedCase: Value = MixedCase(Value); return true;
    case etAlphaNumeric: {
      // Character by character, in the text's one encoding.
      const bool utf8 = IsValidUtf8(Pasted);
      for (size_t i = 0; i < Pasted.size();) {
        char32_t c = Win1252ToUnicodeChar(static_cast<unsigned char>(Pasted[i]));
        if (utf8) DecodeUtf8Char(Pasted, i, c);
        else ++i;
        if (!IsCharAlphaNumericW(c)) return false;
      }
      return true;
    }
    case etValidChars: return all([this](char c) { return ValidChars.find(c) != std::string::npos; });
    case etRange:
    case etHex: return false;
  }
  return false;
}

void TExtEdit::WMPaste(TMessage&) {
  if (readOnly_) return;
  if (!Clipboard()->HasFormat(CF_TEXT)) return UpdateLookup();
  InsertChecked(FirstLine(Clipboard()->AsText()), false);
}

bool TExtEdit::InsertChecked(const std::string& Inserted, bool Dropped) {
  if (readOnly_) return false;
  // The selection is cut to the value: nothing pasted or dropped edits the prefix or suffix.
  TValueState s = State();
  std::string v = s.Value.substr(0, static_cast<size_t>(s.Caret)) + Inserted +
                  s.Value.substr(static_cast<size_t>(s.Caret + s.SelLen));
  int caret = s.Caret + static_cast<int>(Inserted.size());
  if (OnClipboardPaste && !Dropped) {
    bool allow = true;
    OnClipboardPaste(this, v, allow);
    if (!allow) return false;
    caret = std::min(caret, static_cast<int>(v.size()));
  }
  if (maxLength_ > 0 && static_cast<int>(prefix_.size() + v.size() + suffix_.size()) > maxLength_) return false;
  if (!PasteAllowed(Inserted, v)) return false;
  SaveUndo();
  SetValue(v, caret, false);
  const bool number = editType_ == etFloat || editType_ == etMoney;
  if (number) SetNumberValue(ReadNumber(v, precision_));
  if (editType_ == etMoney && Text().size() > 3) SelectValue();
  else if (Dropped && !number) SetSel(s.PrefixLen + s.Caret, s.PrefixLen + caret);
  else SetSel(s.PrefixLen + caret, s.PrefixLen + caret);
  PushToPeer();
  const bool text = editType_ == etString || editType_ == etUppercase || editType_ == etMixedCase ||
                    editType_ == etLowerCase || editType_ == etPassword;
  if (text || (Dropped && !number)) MarkModified(true);
  UpdateLookup();
  return true;
}

void TExtEdit::WMCopy(TMessage& Message) {
  if (OnClipboardCopy) {
    TValueState s = State();
    std::string v = s.Value.substr(static_cast<size_t>(s.Caret), static_cast<size_t>(s.SelLen));
    bool allow = true;
    OnClipboardCopy(this, v, allow);
    if (!allow) return;
  }
  TCustomEdit::WMCopy(Message);
}

void TExtEdit::WMCut(TMessage& Message) {
  if (OnClipboardCut) {
    TValueState s = State();
    std::string v = s.Value.substr(static_cast<size_t>(s.Caret), static_cast<size_t>(s.SelLen));
    bool allow = true;
    OnClipboardCut(this, v, allow);
    if (!allow) return;
  }
  // Only the value is cut, never the prefix or suffix.
  TValueState s = State();
  SetSel(s.PrefixLen + s.Caret, s.PrefixLen + s.Caret + s.SelLen);
  TCustomEdit::WMCut(Message);
}

void TExtEdit::SelectValue() {
  TValueState s = State();
  int from = 0;
  if (showURL_) {
    size_t k = s.Value.find("://");
    if (k != std::string::npos) from = static_cast<int>(k) + 3;
    else if ((k = s.Value.find("mailto:")) != std::string::npos) from = static_cast<int>(k) + 7;
  }
  SetSel(s.PrefixLen + from, s.PrefixLen + static_cast<int>(s.Value.size()));
  PushToPeer();
}

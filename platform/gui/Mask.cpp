#include "platform/gui/Mask.h"

#include <QChar>
#include <QString>
#include <cctype>

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"

namespace {
bool IsMaskChar(char c) {
  switch (c) {
    case 'L': case 'l': case 'A': case 'a': case 'C': case 'c': case '0': case '9': case '#': return true;
    default: return false;
  }
}
bool IsLetter(unsigned char c) { return std::isalpha(c) || c >= 0xC0; }

std::string OneChar(char b) { return std::string(1, b); }

std::string Joined(const std::vector<std::string>& chars) {
  std::string s;
  for (const std::string& c : chars) s += c;
  return s;
}
}  // namespace

std::vector<std::string> MaskChars(std::string_view Text) {
  std::vector<std::string> r;
  r.reserve(Text.size());
  for (size_t i = 0; i < Text.size();) {
    const size_t from = i;
    char32_t c = 0;
    DecodeUtf8Char(Text, i, c);
    r.emplace_back(Text.substr(from, i - from));
  }
  return r;
}

// ================================================================ TMaskLayout
TMaskLayout::TMaskLayout(const std::string& EditMask) {
  // Split off the fields, minding escaped separators.
  std::string mask;
  std::vector<std::string> fields(1);
  for (size_t i = 0; i < EditMask.size(); ++i) {
    char c = EditMask[i];
    if (c == '\\' && i + 1 < EditMask.size() && fields.size() == 1) {
      fields.back() += c;
      fields.back() += EditMask[++i];
    } else if (c == ';' && fields.size() < 3) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  mask = fields[0];
  if (fields.size() > 1 && !fields[1].empty()) saveLiterals_ = fields[1][0] != '0';
  if (fields.size() > 2 && !fields[2].empty()) blank_ = fields[2][0];
  int caseMode = 0;
  for (size_t i = 0; i < mask.size(); ++i) {
    char c = mask[i];
    TPos p;
    if (c == '<' && i + 1 < mask.size() && mask[i + 1] == '>') {
      caseMode = 0;
      ++i;
      continue;
    }
    if (c == '>') { caseMode = 1; continue; }
    if (c == '<') { caseMode = 2; continue; }
    if (c == '!') continue;
    if (c == '\\' && i + 1 < mask.size()) {
      p.Lit = mask[++i];
    } else if (IsMaskChar(c)) {
      p.Kind = c;
      p.Case = caseMode;
    } else if (c == ':') {
      p.Lit = FormatSettings.TimeSeparator;
    } else if (c == '/') {
      p.Lit = FormatSettings.DateSeparator;
    } else if (c == '_') {
      p.Lit = ' ';
    } else {
      p.Lit = c;
    }
    pos_.push_back(p);
  }
}

bool TMaskLayout::IsLiteral(int Pos) const {
  return Pos >= 0 && Pos < Length() && pos_[static_cast<size_t>(Pos)].Kind == 0;
}

bool TMaskLayout::IsRequired(int Pos) const {
  if (Pos < 0 || Pos >= Length()) return false;
  char k = pos_[static_cast<size_t>(Pos)].Kind;
  return k == 'L' || k == 'A' || k == 'C' || k == '0';
}

char TMaskLayout::Literal(int Pos) const { return IsLiteral(Pos) ? pos_[static_cast<size_t>(Pos)].Lit : 0; }

bool TMaskLayout::Fit(int Pos, char& C) const {
  if (Pos < 0 || Pos >= Length() || IsLiteral(Pos)) return false;
  const TPos& p = pos_[static_cast<size_t>(Pos)];
  auto u = static_cast<unsigned char>(C);
  bool ok = false;
  switch (p.Kind) {
    case 'L': case 'l': ok = IsLetter(u); break;
    case 'A': case 'a': ok = IsLetter(u) || std::isdigit(u); break;
    case 'C': case 'c': ok = u >= 0x20; break;
    case '0': case '9': ok = std::isdigit(u); break;
    case '#': ok = std::isdigit(u) || C == '+' || C == '-'; break;
    default: break;
  }
  if (!ok) return false;
  std::string s(1, C);
  if (p.Case == 1) C = AnsiUpperCase(s)[0];
  if (p.Case == 2) C = AnsiLowerCase(s)[0];
  return true;
}

bool TMaskLayout::Fit(int Pos, std::string& Ch) const {
  if (Ch.size() == 1) {
    char c = Ch[0];
    if (!Fit(Pos, c)) return false;
    Ch[0] = c;
    return true;
  }
  size_t end = 0;
  char32_t u = 0;
  if (Ch.empty() || !DecodeUtf8Char(Ch, end, u) || end != Ch.size()) return false;
  if (Pos < 0 || Pos >= Length() || IsLiteral(Pos)) return false;
  const TPos& p = pos_[static_cast<size_t>(Pos)];
  bool ok = false;
  switch (p.Kind) {
    case 'L': case 'l': case 'A': case 'a': ok = QChar::isLetter(u); break;
    case 'C': case 'c': ok = u >= 0xA0; break;  // the C1 controls are no characters to type
    default: break;  // digits and signs are ASCII
  }
  if (!ok) return false;
  if (p.Case == 1) u = QChar::toUpper(u);
  if (p.Case == 2) u = QChar::toLower(u);
  Ch = QString::fromUcs4(&u, 1).toStdString();
  return true;
}

std::string TMaskLayout::EmptyEditText() const {
  std::string s;
  for (const TPos& p : pos_) s += p.Kind ? blank_ : p.Lit;
  return s;
}

std::string TMaskLayout::EditTextFrom(const std::string& Value) const {
  std::vector<std::string> s = MaskChars(EmptyEditText());
  const std::vector<std::string> v = MaskChars(Value);
  size_t at = 0;
  for (int i = 0; i < Length() && at < v.size(); ++i) {
    if (IsLiteral(i)) {
      if (saveLiterals_) ++at;  // the value carries the literal here
      continue;
    }
    std::string c = v[at++];
    if (c != OneChar(blank_) && c != " " && Fit(i, c)) s[static_cast<size_t>(i)] = c;
  }
  return Joined(s);
}

std::string TMaskLayout::TextFrom(const std::string& EditText) const {
  const std::vector<std::string> chars = MaskChars(EditText);
  std::string s;
  for (int i = 0; i < Length(); ++i) {
    const std::string c = i < static_cast<int>(chars.size()) ? chars[static_cast<size_t>(i)] : OneChar(blank_);
    if (IsLiteral(i)) {
      if (saveLiterals_) s += c;
    } else {
      s += c == OneChar(blank_) ? " " : c;
    }
  }
  return s;
}

bool TMaskLayout::Complete(const std::string& EditText, int& BadPos) const {
  const std::vector<std::string> chars = MaskChars(EditText);
  for (int i = 0; i < Length(); ++i) {
    const std::string c = i < static_cast<int>(chars.size()) ? chars[static_cast<size_t>(i)] : OneChar(blank_);
    if (IsRequired(i) && (c == OneChar(blank_) || c == " ")) {
      BadPos = i;
      return false;
    }
  }
  BadPos = -1;
  return true;
}

int TMaskLayout::NextInput(int Pos) const {
  for (int i = std::max(0, Pos); i < Length(); ++i)
    if (!IsLiteral(i)) return i;
  return Length();
}

int TMaskLayout::PrevInput(int Pos) const {
  for (int i = std::min(Pos, Length()) - 1; i >= 0; --i)
    if (!IsLiteral(i)) return i;
  return -1;
}

std::string FormatMaskText(const std::string& EditMask, const std::string& Value) {
  TMaskLayout l(EditMask);
  std::vector<std::string> s = MaskChars(l.EditTextFrom(Value));
  for (int i = 0; i < l.Length() && i < static_cast<int>(s.size()); ++i)
    if (!l.IsLiteral(i) && s[static_cast<size_t>(i)] == OneChar(l.Blank())) s[static_cast<size_t>(i)] = " ";
  return Joined(s);
}

// ================================================================ TCustomMaskEdit
TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

void TCustomMaskEdit::SetEditMask(const std::string& v) {
  if (v == mask_) return;
  std::string oldEdit = text_;
  TMaskLayout oldLayout = layout_;
  mask_ = v;
  layout_ = TMaskLayout(v);
  // A masked text keeps its positions under the new mask.
  if (IsMasked())
    oldLayout.Empty() ? TCustomEdit::SetText(layout_.EditTextFrom(oldEdit)) : SetEditText(oldEdit);
  else
    TCustomEdit::SetText(oldLayout.Empty() ? oldEdit : oldLayout.TextFrom(oldEdit));
}

void TCustomMaskEdit::SetEditText(const std::string& v) {
  if (!IsMasked()) return TCustomEdit::SetText(v);
  // Laid position by position over the mask, literals kept in place.
  std::vector<std::string> s = MaskChars(layout_.EmptyEditText());
  const std::vector<std::string> chars = MaskChars(v);
  for (int i = 0; i < layout_.Length() && i < static_cast<int>(chars.size()); ++i) {
    std::string c = chars[static_cast<size_t>(i)];
    if (!layout_.IsLiteral(i) && c != OneChar(layout_.Blank()) && layout_.Fit(i, c)) s[static_cast<size_t>(i)] = c;
  }
  TCustomEdit::SetText(Joined(s));
}

int TCustomMaskEdit::MaskPosAt(int ByteOffset) const {
  int pos = 0;
  for (size_t i = 0; i < text_.size() && static_cast<int>(i) < ByteOffset; ++pos) {
    char32_t c = 0;
    DecodeUtf8Char(text_, i, c);
  }
  return pos;
}

int TCustomMaskEdit::ByteOffsetOf(int Pos) const {
  size_t i = 0;
  for (int p = 0; p < Pos && i < text_.size(); ++p) {
    char32_t c = 0;
    DecodeUtf8Char(text_, i, c);
  }
  return static_cast<int>(i);
}

namespace {
int OffsetOf(const std::vector<std::string>& chars, int Pos) {
  size_t n = 0;
  for (int i = 0; i < Pos && i < static_cast<int>(chars.size()); ++i) n += chars[static_cast<size_t>(i)].size();
  return static_cast<int>(n);
}
}  // namespace

std::string TCustomMaskEdit::Text() const { return IsMasked() ? layout_.TextFrom(text_) : text_; }

void TCustomMaskEdit::SetText(const std::string& v) {
  if (!IsMasked()) return TCustomEdit::SetText(v);
  TCustomEdit::SetText(layout_.EditTextFrom(v));
}

void TCustomMaskEdit::ValidateEdit() {
  int bad = -1;
  if (!IsMasked() || !modified_ || layout_.Complete(text_, bad)) return;
  SetSel(ByteOffsetOf(bad), ByteOffsetOf(bad));
  PushToPeer();
  MessageBeep(0);
  throw EDBEditError("Invalid input value.  Use escape key to abandon changes");
}

void TCustomMaskEdit::Reset() {
  if (!modified_) return;
  TCustomEdit::SetText(oldValue_);
  modified_ = false;
}

void TCustomMaskEdit::BlankSelection() {
  const int s = MaskPosAt(SelStart()), e = MaskPosAt(SelStart() + SelLength());
  std::vector<std::string> t = MaskChars(text_);
  for (int i = s; i < e && i < layout_.Length() && i < static_cast<int>(t.size()); ++i)
    if (!layout_.IsLiteral(i)) t[static_cast<size_t>(i)] = OneChar(layout_.Blank());
  SaveUndo();
  ReplaceText(Joined(t), OffsetOf(t, s));
}

void TCustomMaskEdit::InsertText(const std::string& s) {
  if (!IsMasked()) return TCustomEdit::InsertText(s);
  if (readOnly_) return;
  if (SelLength() > 0) BlankSelection();
  // A position holds one character, however many bytes it takes.
  std::vector<std::string> t = MaskChars(text_);
  if (static_cast<int>(t.size()) < layout_.Length()) t.resize(static_cast<size_t>(layout_.Length()), OneChar(layout_.Blank()));
  const int start = MaskPosAt(caret_);
  int caret = start;
  for (std::string c : MaskChars(s)) {
    int p = layout_.NextInput(caret);
    if (p >= layout_.Length() || !layout_.Fit(p, c)) {
      MessageBeep(0);
      break;
    }
    t[static_cast<size_t>(p)] = c;
    caret = p + 1;
  }
  const std::string joined = Joined(t);
  if (joined == text_ && caret == start) return;
  SaveUndo();
  ReplaceText(joined, OffsetOf(t, std::min(layout_.NextInput(caret), layout_.Length())));
}

void TCustomMaskEdit::DeleteBack() {
  if (!IsMasked()) return TCustomEdit::DeleteBack();
  if (readOnly_) return;
  if (SelLength() > 0) return BlankSelection();
  std::vector<std::string> t = MaskChars(text_);
  int p = layout_.PrevInput(MaskPosAt(caret_));
  if (p < 0 || p >= static_cast<int>(t.size())) return;
  t[static_cast<size_t>(p)] = OneChar(layout_.Blank());
  SaveUndo();
  ReplaceText(Joined(t), OffsetOf(t, p));
}

void TCustomMaskEdit::DeleteForward() {
  if (!IsMasked()) return TCustomEdit::DeleteForward();
  if (readOnly_) return;
  if (SelLength() > 0) return BlankSelection();
  std::vector<std::string> t = MaskChars(text_);
  const int at = MaskPosAt(caret_);
  int p = layout_.NextInput(at);
  if (p >= layout_.Length() || p >= static_cast<int>(t.size())) return;
  t[static_cast<size_t>(p)] = OneChar(layout_.Blank());
  SaveUndo();
  ReplaceText(Joined(t), OffsetOf(t, at));
}

void TCustomMaskEdit::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomEdit::KeyDown(Key, Shift);
  if (Key == VK_ESCAPE && IsMasked() && modified_) {
    Reset();
    Key = 0;
  }
}

void TCustomMaskEdit::DoEnter() {
  oldValue_ = text_;
  TCustomEdit::DoEnter();
}

void TCustomMaskEdit::DoExit() {
  ValidateEdit();
  TCustomEdit::DoExit();
}

#include "platform/gui/Mask.h"

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
}  // namespace

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

std::string TMaskLayout::EmptyEditText() const {
  std::string s;
  for (const TPos& p : pos_) s += p.Kind ? blank_ : p.Lit;
  return s;
}

std::string TMaskLayout::EditTextFrom(const std::string& Value) const {
  std::string s = EmptyEditText();
  size_t v = 0;
  for (int i = 0; i < Length() && v < Value.size(); ++i) {
    if (IsLiteral(i)) {
      if (saveLiterals_) ++v;  // the value carries the literal here
      continue;
    }
    char c = Value[v++];
    if (c != blank_ && c != ' ' && Fit(i, c)) s[static_cast<size_t>(i)] = c;
  }
  return s;
}

std::string TMaskLayout::TextFrom(const std::string& EditText) const {
  std::string s;
  for (int i = 0; i < Length(); ++i) {
    char c = i < static_cast<int>(EditText.size()) ? EditText[static_cast<size_t>(i)] : blank_;
    if (IsLiteral(i)) {
      if (saveLiterals_) s += c;
    } else {
      s += c == blank_ ? ' ' : c;
    }
  }
  return s;
}

bool TMaskLayout::Complete(const std::string& EditText, int& BadPos) const {
  for (int i = 0; i < Length(); ++i) {
    char c = i < static_cast<int>(EditText.size()) ? EditText[static_cast<size_t>(i)] : blank_;
    if (IsRequired(i) && (c == blank_ || c == ' ')) {
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
  std::string s = l.EditTextFrom(Value);
  for (int i = 0; i < l.Length(); ++i)
    if (!l.IsLiteral(i) && s[static_cast<size_t>(i)] == l.Blank()) s[static_cast<size_t>(i)] = ' ';
  return s;
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
  std::string s = layout_.EmptyEditText();
  for (int i = 0; i < layout_.Length() && i < static_cast<int>(v.size()); ++i) {
    char c = v[static_cast<size_t>(i)];
    if (!layout_.IsLiteral(i) && c != layout_.Blank() && layout_.Fit(i, c)) s[static_cast<size_t>(i)] = c;
  }
  TCustomEdit::SetText(s);
}

std::string TCustomMaskEdit::Text() const { return IsMasked() ? layout_.TextFrom(text_) : text_; }

void TCustomMaskEdit::SetText(const std::string& v) {
  if (!IsMasked()) return TCustomEdit::SetText(v);
  TCustomEdit::SetText(layout_.EditTextFrom(v));
}

void TCustomMaskEdit::ValidateEdit() {
  int bad = -1;
  if (!IsMasked() || !modified_ || layout_.Complete(text_, bad)) return;
  SetSel(bad, bad);
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
  int s = SelStart(), e = s + SelLength();
  std::string t = text_;
  for (int i = s; i < e && i < layout_.Length(); ++i)
    if (!layout_.IsLiteral(i)) t[static_cast<size_t>(i)] = layout_.Blank();
  SaveUndo();
  ReplaceText(t, s);
}

void TCustomMaskEdit::InsertText(const std::string& s) {
  if (!IsMasked()) return TCustomEdit::InsertText(s);
  if (readOnly_) return;
  if (SelLength() > 0) BlankSelection();
  std::string t = text_;
  int caret = caret_;
  // A position holds one byte: a character written in several (UTF-8) fits none.
  bool multiByte = IsValidUtf8(s);
  for (char c : s) {
    int p = layout_.NextInput(caret);
    if (p >= layout_.Length() || (multiByte && static_cast<unsigned char>(c) >= 0x80) || !layout_.Fit(p, c)) {
      MessageBeep(0);
      break;
    }
    t[static_cast<size_t>(p)] = c;
    caret = p + 1;
  }
  if (t == text_ && caret == caret_) return;
  SaveUndo();
  ReplaceText(t, std::min(layout_.NextInput(caret), layout_.Length()));
}

void TCustomMaskEdit::DeleteBack() {
  if (!IsMasked()) return TCustomEdit::DeleteBack();
  if (readOnly_) return;
  if (SelLength() > 0) return BlankSelection();
  int p = layout_.PrevInput(caret_);
  if (p < 0) return;
  std::string t = text_;
  t[static_cast<size_t>(p)] = layout_.Blank();
  SaveUndo();
  ReplaceText(t, p);
}

void TCustomMaskEdit::DeleteForward() {
  if (!IsMasked()) return TCustomEdit::DeleteForward();
  if (readOnly_) return;
  if (SelLength() > 0) return BlankSelection();
  int p = layout_.NextInput(caret_);
  if (p >= layout_.Length()) return;
  std::string t = text_;
  t[static_cast<size_t>(p)] = layout_.Blank();
  SaveUndo();
  ReplaceText(t, caret_);
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

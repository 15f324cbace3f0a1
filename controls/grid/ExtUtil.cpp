#include "controls/grid/ExtUtil.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <numbers>
#include <vector>

#include "controls/markup/MarkupText.h"
#include "platform/gui/RichText.h"
#include "platform/gui/VisualStyles.h"
#include "platform/rtl/Win1252.h"

namespace ExtUtil {

namespace {

constexpr char CR = '\r', LF = '\n', VT = '\x0B';

// ---- characters. One text, one encoding: valid UTF-8 is walked by character,
// anything else by Windows-1252 byte.

// Length in bytes of the character at i.
size_t CharLen(const std::string& s, size_t i, bool utf8) {
  if (!utf8) return 1;
  const unsigned char c = static_cast<unsigned char>(s[i]);
  const size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
  return std::min(n, s.size() - i);
}

char32_t Decode(const std::string& s, size_t i, size_t n) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  if (n == 1) return c;
  char32_t cp = c & (0xFF >> (n + 1));
  for (size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
  return cp;
}

std::string Encode(char32_t cp) {
  std::u16string one(1, static_cast<char16_t>(cp));
  return Utf16ToUtf8(one);
}

// Case of one character of the Windows-1252 repertoire; every mapping keeps
// the byte length of its UTF-8 form, so positions stay where they were.
char32_t CaseOf(char32_t cp, bool upper) {
  if (cp < 0x80) {
    if (upper && cp >= 'a' && cp <= 'z') return cp - 32;
    if (!upper && cp >= 'A' && cp <= 'Z') return cp + 32;
    return cp;
  }
  const int b = UnicodeToWin1252Char(cp);
  if (b < 0) return cp;
  const std::string one(1, static_cast<char>(b));
  const std::string mapped = upper ? AnsiUpperCase(one) : AnsiLowerCase(one);
  return Win1252ToUnicodeChar(static_cast<unsigned char>(mapped[0]));
}

// The character at i (n bytes) in the other case.
std::string CharInCase(const std::string& s, size_t i, size_t n, bool utf8, bool upper) {
  if (!utf8 || n == 1) {
    const std::string one = s.substr(i, n);
    if (utf8) return std::string(1, static_cast<char>(CaseOf(static_cast<unsigned char>(one[0]), upper)));
    return upper ? AnsiUpperCase(one) : AnsiLowerCase(one);
  }
  const char32_t cp = Decode(s, i, n);
  const char32_t mapped = CaseOf(cp, upper);
  return mapped == cp ? s.substr(i, n) : Encode(mapped);
}

std::string TextInCaseOf(const std::string& s, bool upper) { return upper ? AnsiUpperCase(s) : AnsiLowerCase(s); }

std::string TextUpperCase(const std::string& s) { return TextInCaseOf(s, true); }

void ReplaceAll(std::string& s, const std::string& from, const std::string& to) {
  if (from.empty()) return;
  std::string r;
  size_t at = 0;
  for (size_t p; (p = s.find(from, at)) != std::string::npos; at = p + from.size()) {
    r.append(s, at, p - at);
    r += to;
  }
  r.append(s, at, std::string::npos);
  s.swap(r);
}

void ReplaceChar(std::string& s, char from, char to) { std::replace(s.begin(), s.end(), from, to); }

bool Contains(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }
bool Contains(const std::string& s, char c) { return s.find(c) != std::string::npos; }

// Calls Visit(first, end) for each run of Ch while it returns true.
template <class F>
void ForEachRun(char Ch, const std::string& Text, F Visit) {
  for (size_t i = 0; i < Text.size();) {
    if (Text[i] != Ch) {
      ++i;
      continue;
    }
    const size_t first = i;
    while (i < Text.size() && Text[i] == Ch) ++i;
    if (!Visit(first, i)) return;
  }
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A number with "." as its decimal point; blanks around and a leading "+" allowed.
bool ReadDotFloat(const std::string& text, double& value) {
  std::string s = Trim(text);
  if (!s.empty() && s[0] == '+') s.erase(0, 1);
  if (s.empty() || s[0] == '+' || (s[0] != '-' && s[0] != '.' && !IsDigit(s[0]))) return false;
  const char* end = s.data() + s.size();
  auto [ptr, ec] = std::from_chars(s.data(), end, value, std::chars_format::general);
  return ec == std::errc() && ptr == end && std::isfinite(value);
}

// ---- dates
TDateTime ParseThreeFieldDate(const std::string& text, bool monthFirst) {
  const char sep = Contains(text, '/') ? '/' : Contains(text, '.') ? '.' : '-';
  const size_t a = text.find(sep);
  if (a == std::string::npos) return 0;
  const size_t b = text.find(sep, a + 1);
  if (b == std::string::npos) return 0;
  int first, second, year;
  if (!TryStrToInt(text.substr(0, a), first) || !TryStrToInt(text.substr(a + 1, b - a - 1), second) ||
      !TryStrToInt(text.substr(b + 1), year))
    return 0;
  if (year >= 0 && year <= 25)
    year += 2000;
  else if (year >= 26 && year <= 99)
    year += 1900;
  TDateTime date;
  // Sorting reads these: an impossible date is simply no date.
  if (!TryEncodeDate(year, monthFirst ? first : second, monthFirst ? second : first, date)) return 0;
  return date;
}

// ---- filters
// The operand of a comparison starting at q: blanks skipped, a leading quote
// dropped, up to a blank, "&" or "|" outside quotes, a trailing quote dropped.
std::string ReadOperand(const std::string& mask, size_t q) {
  while (q < mask.size() && mask[q] == ' ') ++q;
  int quotes = 0;
  for (size_t i = 0; i < q; ++i) quotes += mask[i] == '"';
  if (q < mask.size() && mask[q] == '"') {
    ++quotes;
    ++q;
  }
  const size_t start = q;
  for (; q < mask.size(); ++q) {
    const char c = mask[q];
    if (c == '"') ++quotes;
    const bool quoted = quotes % 2 == 1;
    if (!quoted && (c == ' ' || c == '&' || c == '|')) break;
  }
  std::string operand = mask.substr(start, q - start);
  if (!operand.empty() && operand.back() == '"') operand.pop_back();
  if (operand.size() > 255) operand.resize(255);
  return operand;
}

// <0, 0, >0: as dates when both read as dates, else as numbers when both are
// numbers, else as text (byte codes, 255 characters at most). Dates go first
// because locales that write dates with the thousand separator ("1.2.2005")
// would otherwise compare dates as numbers.
int CompareValues(const std::string& text, const std::string& operand) {
  TDateTime d1, d2;
  if (ParseShortDate(text, d1) && ParseShortDate(operand, d2)) return d1 < d2 ? -1 : d1 > d2 ? 1 : 0;
  double n1, n2;
  if (ReadDotFloat(ToDotDecimal(text), n1) && ReadDotFloat(ToDotDecimal(operand), n2))
    return n1 < n2 ? -1 : n1 > n2 ? 1 : 0;
  const std::string_view a = std::string_view(text).substr(0, 255), b = std::string_view(operand).substr(0, 255);
  const int c = a.compare(b);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

// Wildcard match from mask position m and text position t. Pairs that failed
// once fail again, so "*" never costs more than mask length times text length.
class TWildcard {
 public:
  TWildcard(const std::string& mask, const std::string& text) : m_(mask), t_(text) {}
  bool Match() { return From(0, 0); }
  bool Negated() const { return negated_; }

 private:
  bool From(size_t m, size_t t) {
    while (true) {
      if (m == m_.size()) return t == t_.size();
      const char c = m_[m];
      if (c == '*') {
        while (m < m_.size() && m_[m] == '*') ++m;
        if (Failed(m, t)) return false;
        for (size_t tail = t_.size() + 1; tail-- > t;)
          if (From(m, tail)) return true;
        MarkFailed(m, t);
        return false;
      }
      if (c == '!') {
        negated_ = true;
        ++m;
        continue;
      }
      if (c == '"') {
        ++m;
        continue;
      }
      if (t == t_.size()) return false;
      if (c == '?') {
        ++m;
        ++t;
        continue;
      }
      // "\" makes the next mask character literal; a "\" at the end stands for itself.
      const char literal = (c == '\\' && m + 1 < m_.size()) ? m_[++m] : c;
      if (literal != t_[t]) return false;
      ++m;
      ++t;
    }
  }
  bool Failed(size_t m, size_t t) const { return !failed_.empty() && failed_[m * (t_.size() + 1) + t]; }
  void MarkFailed(size_t m, size_t t) {
    if (failed_.empty()) failed_.assign((m_.size() + 1) * (t_.size() + 1), false);
    failed_[m * (t_.size() + 1) + t] = true;
  }

  const std::string& m_;
  const std::string& t_;
  bool negated_ = false;
  std::vector<bool> failed_;
};

// ---- OEM text: code page 437's upper half as Unicode.
constexpr char16_t kOem437[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

// Nearest Windows-1252 byte of a character that has none of its own.
char OemFallback(char16_t c) {
  if (c == 0x2502 || c == 0x2551) return '|';
  if (c == 0x2500 || c == 0x2550) return '-';
  if (c >= 0x2500 && c <= 0x257F) return '+';
  if (c >= 0x2580 && c <= 0x25A0) return '#';
  return '?';
}

// ---- drawing state kept across a helper
class TSavedTools {
 public:
  explicit TSavedTools(TCanvas* c) : c_(c) {
    pen_.Assign(c->Pen());
    brush_.Assign(c->Brush());
    font_ = c->Font()->Color();
  }
  ~TSavedTools() {
    c_->Pen()->Assign(&pen_);
    c_->Brush()->Assign(&brush_);
    c_->Font()->SetColor(font_);
  }

 private:
  TCanvas* c_;
  TPen pen_;
  TBrush brush_;
  TColor font_;
};

void SolidTools(TCanvas* c, TColor color) {
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetMode(pmCopy);
  c->Pen()->SetWidth(1);
  c->Pen()->SetColor(color);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(color);
}

int Channel(double v) { return static_cast<int>(std::clamp<int64_t>(Round(v), 0, 255)); }

}  // namespace

std::string UpperText(const std::string& Text) { return TextUpperCase(Text); }

// ---------------------------------------------------------------- locale

TLocale Locale() {
  TLocale l;
  l.ThousandSeparator = FormatSettings.ThousandSeparator;
  l.DecimalSeparator = FormatSettings.DecimalSeparator;
  l.DateSeparator = FormatSettings.DateSeparator;
  l.ShortDateFormat = FormatSettings.ShortDateFormat;
  l.ShortTimeFormat = FormatSettings.ShortTimeFormat;
  return l;
}

TLocaleScope::TLocaleScope(const TLocale& Locale) {
  FormatSettings.ThousandSeparator = Locale.ThousandSeparator;
  FormatSettings.DecimalSeparator = Locale.DecimalSeparator;
  FormatSettings.DateSeparator = Locale.DateSeparator;
  FormatSettings.ShortDateFormat = Locale.ShortDateFormat;
  FormatSettings.ShortTimeFormat = Locale.ShortTimeFormat;
}

// ---------------------------------------------------------------- string tools

int ClampSize(int Value, int Min, int Max) {
  if (Min == Max) return Value;
  if (Max > 0 && Value > Max) return Max;
  if (Min > 0 && Value < Min) return Min;
  return Value;
}

TColor DarkenColor(TColor Color) {
  const int32_t c = ColorToRGB(Color);
  return RGB(GetRValue(c) / 2, GetGValue(c) / 2, GetBValue(c) / 2);
}

int UpperPos(const std::string& Sub, const std::string& Text) { return Pos(Sub, TextUpperCase(Text)); }

int CharPos(char Ch, const std::string& Text) {
  const size_t p = Text.find(Ch);
  return p == std::string::npos ? -1 : static_cast<int>(p);
}

int VarCharPos(char Ch, const std::string& Text, int& Position) { return Position = CharPos(Ch, Text); }

int VarPos(const std::string& Sub, const std::string& Text, int& Position) { return Position = Pos(Sub, Text); }

bool PtInRectInclusive(const TRect& R, int X, int Y) {
  return X >= R.Left && X <= R.Right && Y >= R.Top && Y <= R.Bottom;
}

std::string CutToken(std::string& Source, const std::string& Delimiter) {
  const int p = Pos(Delimiter, Source);
  if (p < 0) return std::string();
  std::string token = Source.substr(0, static_cast<size_t>(p));
  Source.erase(0, static_cast<size_t>(p) + Delimiter.size());
  return token;
}

int Max(int A, int B) { return A > B ? A : B; }
int Min(int A, int B) { return A < B ? A : B; }

char FirstUnquotedCharOf(const std::string& Set, const std::string& Text, int& Position) {
  int quotes = 0;
  for (size_t i = 0; i < Text.size(); ++i) {
    const char c = Text[i];
    if (c == '"') ++quotes;
    if (quotes % 2 == 0 && Contains(Set, c)) {
      Position = static_cast<int>(i);
      return c;
    }
  }
  Position = -1;
  return '\0';
}

bool IsURL(const std::string& Text) { return Contains(Text, "://") || Contains(Text, "mailto:"); }

void StripURLPrefix(std::string& Text) {
  size_t p = Text.find("://");
  if (p != std::string::npos) {
    Text.erase(0, p + 3);
    return;
  }
  p = Text.find("mailto:");
  if (p != std::string::npos) Text.erase(0, p + 7);
}

bool ParseRCRef(const std::string& Text, TPoint& Cell) {
  const std::string s = UpperCase(Text);
  if (s.size() < 4 || s[0] != 'R') return false;
  const size_t c = s.find('C');
  if (c == std::string::npos) return false;
  const std::string row = s.substr(1, c - 1), col = s.substr(c + 1);
  // Plain decimal numbers only: a reference never names a negative or hexadecimal cell.
  auto number = [](const std::string& t, int& v) {
    return !t.empty() && std::all_of(t.begin(), t.end(), IsDigit) && TryStrToInt(t, v);
  };
  int r, k;
  if (!number(row, r) || !number(col, k)) return false;
  Cell = TPoint(k, r);
  return true;
}

void FillWithChar(std::string& Text, char Ch) {
  const bool utf8 = IsValidUtf8(Text);
  size_t count = 0;
  for (size_t i = 0; i < Text.size(); i += CharLen(Text, i, utf8)) ++count;
  Text.assign(count, Ch);
}

void OemToAnsiText(std::string& Text) {
  for (char& c : Text) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (b < 0x80) continue;
    const char16_t u = kOem437[b - 0x80];
    const int a = UnicodeToWin1252Char(u);
    c = a >= 0 ? static_cast<char>(a) : OemFallback(u);
  }
}

std::string UndoubleChar(char Ch, const std::string& Text) {
  if (!Contains(Text, Ch)) return Text;
  std::string r;
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] != Ch) {
      r += Text[i];
    } else if (i + 1 < Text.size() && Text[i + 1] == Ch) {
      r += Ch;
      ++i;
    }
  }
  return r;
}

std::string RemoveUnquotedSpaces(const std::string& Text) {
  std::string r;
  int quotes = 0;
  for (char c : Text) {
    if (c == '"') ++quotes;
    if (c != ' ' || quotes % 2 == 1) r += c;
  }
  return r;
}

std::string RemoveCR(const std::string& Text) {
  std::string r = Text;
  r.erase(std::remove(r.begin(), r.end(), CR), r.end());
  return r;
}

char LowerChar(char Ch) { return (Ch >= 'A' && Ch <= 'Z') ? static_cast<char>(Ch + 32) : Ch; }

int CountChar(char Ch, const std::string& Text) { return static_cast<int>(std::count(Text.begin(), Text.end(), Ch)); }

int FindOddRunEnd(char Ch, const std::string& Text, int& Position) {
  Position = -1;
  ForEachRun(Ch, Text, [&](size_t first, size_t end) {
    if ((end - first) % 2 == 0) return true;
    Position = static_cast<int>(end - 1);
    return false;
  });
  return Position;
}

int CountOddRuns(char Ch, const std::string& Text) {
  int count = 0;
  ForEachRun(Ch, Text, [&](size_t first, size_t end) {
    count += (end - first) % 2;
    return true;
  });
  return count;
}

int WidePos(const std::u16string& Sub, const std::u16string& Text) {
  if (Sub.empty() || Text.empty()) return -1;
  const size_t p = Text.find(Sub);
  return p == std::u16string::npos ? -1 : static_cast<int>(p);
}

bool HasTwoDateSeparators(const std::string& Text) {
  const char sep = Locale().DateSeparator;
  const size_t p = Text.find(sep);
  if (p == std::string::npos || p == 0) return false;
  const size_t q = Text.find(sep, p + 1);
  return q != std::string::npos && q > p + 1;
}

// ---------------------------------------------------------------- text codecs

std::string LinesToSingleLine(const std::string& Text) {
  if (!Contains(Text, CR)) return Text;
  std::string r = Text;
  ReplaceChar(r, CR, '\t');
  ReplaceChar(r, LF, '\b');
  return r;
}

std::string SingleLineToLines(const std::string& Text, bool MultiLine) {
  std::string r = Text;
  if (Contains(r, '\b')) {
    ReplaceChar(r, '\t', CR);
    ReplaceChar(r, '\b', LF);
  }
  if (!MultiLine) return CutFirstLine(r, false);
  return r;
}

void QuoteMultiLine(std::string& Text) {
  ReplaceAll(Text, "\r\n", std::string(1, VT));
  Text = '"' + Text + '"';
}

void VTToLineBreaks(std::string& Text) {
  if (Contains(Text, VT)) ReplaceAll(Text, std::string(1, VT), "\r\n");
}

void TildeToLineBreaks(std::string& Text) {
  ReplaceAll(Text, "~", "\r\n");
  if (Text == "^") Text.clear();
}

std::string DecodeNewlineEscapes(const std::string& Text) {
  std::string r = Text;
  ReplaceAll(r, "\\n", "\r");
  return r;
}

std::string CutFirstLine(std::string& Source, bool KeepRest) {
  const size_t p = Source.find(CR);
  if (p == std::string::npos) {
    std::string line;
    line.swap(Source);
    return line;
  }
  std::string line = Source.substr(0, p);
  Source.erase(0, p + 1);
  if (!Source.empty() && Source[0] == LF) Source.erase(0, 1);
  if (!KeepRest) Source.clear();
  return line;
}

int LineCount(const std::string& Text, bool MultiLine) { return MultiLine ? 1 + CountChar(CR, Text) : 1; }

std::string EncodeWideText(const std::u16string& Text) {
  std::string r = "|\\";
  r.reserve(2 + 2 * Text.size());
  for (char16_t c : Text) {
    r += static_cast<char>(c >> 8);
    r += static_cast<char>(c & 0xFF);
  }
  return r;
}

std::u16string DecodeWideText(const std::string& Text) {
  if (Text.compare(0, 2, "|\\") != 0) return IsValidUtf8(Text) ? Utf8ToUtf16(Text) : Win1252ToUnicode(Text);
  std::u16string r;
  for (size_t i = 2; i + 1 < Text.size(); i += 2)
    r += static_cast<char16_t>((static_cast<unsigned char>(Text[i]) << 8) | static_cast<unsigned char>(Text[i + 1]));
  return r;
}

int TextType(const std::string& Text, bool HTMLEnabled) {
  if (Text.size() <= 1) return 0;
  if (Text[0] == '=') return 3;
  if (Text.compare(0, 2, "|\\") == 0) return (Text.size() >= 4 && Text[3] == '=') ? 3 : 5;
  if (Text.compare(0, 2, "{\\") == 0) return 2;
  if (!HTMLEnabled) return 0;
  // "</", "<B" or "<I": one pass over a long text, not one per tag.
  for (size_t at = Text.find('<'); at != std::string::npos && at + 1 < Text.size(); at = Text.find('<', at + 1))
    if (Text[at + 1] == '/' || Text[at + 1] == 'B' || Text[at + 1] == 'I') return 1;
  return 0;
}

// ---------------------------------------------------------------- numbers, dates, filters

std::string ToDotDecimal(const std::string& Text) {
  const TLocale l = Locale();
  std::string r;
  r.reserve(Text.size());
  for (char c : Text) {
    if (c == l.ThousandSeparator) continue;
    r += c == l.DecimalSeparator ? '.' : c;
  }
  return r;
}

std::string PlainNumberText(const std::string& Text) {
  if (Text.empty()) return std::string();
  const TLocale l = Locale();
  std::string s = Trim(Text);
  bool negative = s.size() >= 2 && s.front() == '(' && s.back() == ')';
  size_t from = 0;
  while (s.size() - from >= 2) {
    const char c = s[from];
    if (IsDigit(c) || c == 'E' || c == 'e' || c == l.ThousandSeparator || c == l.DecimalSeparator) break;
    if (c == '-') negative = true;
    ++from;
  }
  std::string r;
  for (size_t i = from; i < s.size(); ++i) {
    const char c = s[i];
    if (c == l.ThousandSeparator) continue;
    if (c == l.DecimalSeparator) {
      r += '.';
      continue;
    }
    if (IsDigit(c) || c == 'E' || c == 'e' || c == '+' || c == '-' || c == '.') {
      r += c;
      continue;
    }
    break;
  }
  return negative ? '-' + r : r;
}

int NumberTextKind(const std::string& Text) {
  if (Text.empty()) return 2;
  const TLocale l = Locale();
  if (CountChar(l.ThousandSeparator, Text) > 1 || CountChar('-', Text) > 1 || CountChar(l.DecimalSeparator, Text) > 1)
    return 2;
  // A sign or separators alone are no number.
  if (std::none_of(Text.begin(), Text.end(), IsDigit)) return 2;
  bool integer = true, number = true;
  int previous = -1;  // 1-based position of the previous thousand separator
  for (size_t i = 0; i < Text.size(); ++i) {
    const char c = Text[i];
    const int pos = static_cast<int>(i) + 1;
    if (c == '-' && i > 0) integer = number = false;
    if (!IsDigit(c) && c != '-') integer = false;
    if (c == l.ThousandSeparator) {
      if (pos - previous < 3) number = false;
      previous = pos;
    } else if (!IsDigit(c) && c != '-' && c != l.DecimalSeparator) {
      number = false;
    }
  }
  return integer ? 0 : number ? 1 : 2;
}

bool ParseShortDate(const std::string& Text, TDateTime& Date) {
  const TLocale l = Locale();
  const std::string format = UpperCase(l.ShortDateFormat);
  std::array<std::pair<size_t, char>, 3> order = {
      {{format.find('D'), 'D'}, {format.find('M'), 'M'}, {format.find('Y'), 'Y'}}};
  for (const auto& o : order)
    if (o.first == std::string::npos) return false;
  std::sort(order.begin(), order.end());
  const size_t a = Text.find(l.DateSeparator);
  if (a == std::string::npos) return false;
  const size_t b = Text.find(l.DateSeparator, a + 1);
  if (b == std::string::npos) return false;
  const std::string fields[3] = {Text.substr(0, a), Text.substr(a + 1, b - a - 1), Text.substr(b + 1)};
  int day = 0, month = 0, year = 0;
  for (int i = 0; i < 3; ++i) {
    int v;
    if (!TryStrToInt(fields[i], v)) return false;
    (order[i].second == 'D' ? day : order[i].second == 'M' ? month : year) = v;
  }
  if (day >= 32 || month >= 13) return false;
  return TryEncodeDate(year, month, day, Date);
}

TDateTime ParseDateMDY(const std::string& Text) { return ParseThreeFieldDate(Text, true); }

TDateTime ParseDateDMY(const std::string& Text) { return ParseThreeFieldDate(Text, false); }

TDateTime AddToDate(int Years, int Months, int Days, int Increment, TDateTime Date) {
  const int set = (Years != 0) + (Months != 0) + (Days != 0);
  if (set != 1) return Date + Increment;
  if (Days != 0) return Date + Days;
  int year, month, day;
  DecodeDate(Date, year, month, day);
  if (Years != 0) {
    year += Years;
  } else {
    const int64_t months = int64_t(year) * 12 + (month - 1) + Months;
    const int64_t y = months >= 0 ? months / 12 : (months - 11) / 12;
    year = static_cast<int>(std::clamp<int64_t>(y, -1, 10000));
    month = static_cast<int>(months - y * 12) + 1;
  }
  // A day the target month lacks becomes its last day (31 January + 1 month is 28 or 29 February).
  if (year >= 1 && year <= 9999) day = std::min(day, DaysInAMonth(year, month));
  const TDateTime date = EncodeDate(year, month, day);
  const double time = std::fabs(Frac(Date));
  return date >= 0 ? date + time : date - time;
}

std::string CapitalizeName(const std::string& Text) {
  const bool utf8 = IsValidUtf8(Text);
  std::vector<size_t> starts;
  for (size_t i = 0; i < Text.size(); i += CharLen(Text, i, utf8)) starts.push_back(i);
  const size_t count = starts.size();
  std::string r;
  bool afterBreak = true;
  for (size_t k = 0; k < count; ++k) {
    const size_t i = starts[k], n = CharLen(Text, i, utf8);
    bool upper = afterBreak;
    if (r == "Mc" || (r.size() >= 3 && r.compare(r.size() - 3, 3, " Mc") == 0)) upper = true;
    // Roman numerals at the end of a name stay upper case: "... II", "... III", "... IV".
    const bool roman = (r.size() >= 2 && r.compare(r.size() - 2, 2, " I") == 0) ||
                       (r.size() >= 3 && r.compare(r.size() - 3, 3, " II") == 0);
    if (roman && k + 3 >= count) upper = true;
    r += CharInCase(Text, i, n, utf8, upper);
    const char c = Text[i];
    afterBreak = n == 1 && (c == ' ' || c == '\'' || c == ',' || c == '-' || c == '.');
  }
  return r;
}

bool MatchFilter(const std::string& Filter, const std::string& Value, bool CaseSensitive) {
  std::string expression = RemoveUnquotedSpaces(Trim(Filter));
  if (!expression.empty() && expression[0] == '=') expression.erase(0, 1);
  bool result = false, first = true;
  char op = '\0';
  while (true) {
    int pos;
    const char next = FirstUnquotedCharOf("&;^|", expression, pos);
    const bool match = MatchCondition(next ? expression.substr(0, static_cast<size_t>(pos)) : expression, Value,
                                      CaseSensitive);
    result = first ? match : (op == '&' ? result && match : result || match);
    first = false;
    if (!next) return result;
    op = next;
    expression.erase(0, static_cast<size_t>(pos) + 1);
  }
}

bool MatchCondition(const std::string& Condition, const std::string& Value, bool CaseSensitive) {
  if (CaseSensitive) return MatchStr(Condition, Value);
  return MatchStr(TextUpperCase(Condition), TextUpperCase(Value));
}

bool MatchStr(const std::string& Mask, const std::string& Text) {
  bool greater = false, less = false, greaterHeld = true, lessHeld = true;
  auto compare = [&](char op, bool& held) {
    const size_t p = Mask.find(op);
    if (p == std::string::npos) return false;
    size_t q = p + 1;
    const bool orEqual = q < Mask.size() && Mask[q] == '=';
    if (orEqual) ++q;
    const int c = CompareValues(Text, ReadOperand(Mask, q));
    held = op == '>' ? (orEqual ? c >= 0 : c > 0) : (orEqual ? c <= 0 : c < 0);
    return true;
  };
  greater = compare('>', greaterHeld);
  less = compare('<', lessHeld);
  const bool negation = Contains(Mask, '!');
  if (Contains(Mask, '^') && (greater || less || negation)) return lessHeld || greaterHeld;
  if (Contains(Mask, '&') && greater && less) return lessHeld && greaterHeld;
  if ((greater && greaterHeld) || (less && lessHeld)) return true;
  TWildcard w(Mask, Text);
  const bool match = w.Match();
  return w.Negated() ? !match : match;
}

// ---------------------------------------------------------------- drawing

TColor BlendColor(TColor From, TColor To, int Lo, int Step, int Hi) {
  if (To == clNone || Hi == Lo) return From;
  const int32_t f = ColorToRGB(From), t = ColorToRGB(To);
  const double share = double(Step - Lo) / double(Hi - Lo);
  auto ch = [&](int a, int b) { return Channel(a + (b - a) * share); };
  return RGB(ch(GetRValue(f), GetRValue(t)), ch(GetGValue(f), GetGValue(t)), ch(GetBValue(f), GetBValue(t)));
}

void DrawGradient(TCanvas* Canvas, TColor From, TColor To, int Steps, const TRect& R, bool Horizontal) {
  if (!Canvas || IsRectEmpty(R)) return;
  TSavedTools saved(Canvas);
  if (To == clNone) {
    SolidTools(Canvas, From);
    Canvas->Rectangle(R);
    return;
  }
  const int steps = std::clamp(Steps, 1, 65536);
  const int size = Horizontal ? R.Width() : R.Height();
  const int32_t f = ColorToRGB(From), t = ColorToRGB(To);
  const int band = static_cast<int>(Round(double(size) / steps)) + 1;
  for (int i = 0; i < steps; ++i) {
    const int start = static_cast<int>(Round(double(i) * size / steps));
    const double share = double(i) / steps;
    auto ch = [&](int a, int b) { return Channel(a + (b - a) * share); };
    SolidTools(Canvas, RGB(ch(GetRValue(f), GetRValue(t)), ch(GetGValue(f), GetGValue(t)),
                           ch(GetBValue(f), GetBValue(t))));
    // The overlap pixel of the last band stays inside the rectangle.
    const int end = std::min(start + band, size);
    if (end <= start) continue;
    Canvas->Rectangle(Horizontal ? TRect(R.Left + start, R.Top, R.Left + end, R.Bottom)
                                 : TRect(R.Left, R.Top + start, R.Right, R.Top + end));
  }
}

void DrawProgressBar(TCanvas* Canvas, TRect R, TColor Color, bool Flip, TColor BorderColor, const std::string& Fmt,
                     int Max, int Min, int MarginY, int MarginX, int Position, TColor FontColor2, TColor Color2,
                     TColor FontColor) {
  if (!Canvas) return;
  std::string text;
  int64_t percent;
  if (!Fmt.empty()) {
    text = Format(Fmt, {Position});
    percent = Max == 0 ? 0 : Round((double(Position) - Min) * 100.0 / Max);
  } else {
    text = IntToStr(Position) + "%";
    percent = Position;
  }
  percent = std::clamp<int64_t>(percent, std::min(Min, Max), std::max(Min, Max));
  const TColor entryBrush = Canvas->Brush()->Color();
  const TBrushStyle entryStyle = Canvas->Brush()->Style();
  const TColor entryFont = Canvas->Font()->Color();
  InflateRect(R, -MarginX, -MarginY);
  const int width = std::max(0, R.Width());
  const int split = R.Left + static_cast<int>(std::clamp<int64_t>(Round(double(width) * percent / 100.0), 0, width));
  const TSize extent = Canvas->TextExtent(text);
  const int x = R.Left + (width - extent.cx) / 2;
  const int y = R.Top + (R.Height() - (Flip ? -extent.cy : extent.cy)) / 2;
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(Color);
  Canvas->Font()->SetColor(FontColor);
  Canvas->TextRect(TRect(R.Left, R.Top, split, R.Bottom), x, y, text);
  Canvas->Brush()->SetColor(Color2);
  Canvas->Font()->SetColor(FontColor2);
  Canvas->TextRect(TRect(split, R.Top, R.Right, R.Bottom), x, y, text);
  InflateRect(R, 1, 1);
  if (BorderColor != clNone) {
    Canvas->Brush()->SetColor(BorderColor);
    Canvas->FrameRect(R);
  }
  InflateRect(R, 1, 1);
  Canvas->Brush()->SetColor(entryBrush);
  Canvas->FrameRect(R);
  Canvas->Brush()->SetStyle(entryStyle);
  Canvas->Font()->SetColor(entryFont);
}

void DrawSignedBar(TCanvas* Canvas, TRect R, int Value, TColor PosColor, TColor NegColor, bool ShowText, int Max) {
  if (!Canvas) return;
  TSavedTools saved(Canvas);
  InflateRect(R, -2, -2);
  const int half = R.Width() / 2, centre = R.Left + half;
  // Without a range there is no bar, only the text.
  if (Max > 0 && half > 0) {
    const int value = std::clamp(Value, -Max, Max);
    const int w = static_cast<int>(Round(double(value) * half / Max));
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(value >= 0 ? PosColor : NegColor);
    if (w != 0)
      Canvas->FillRect(value >= 0 ? TRect(centre, R.Top, centre + w, R.Bottom) : TRect(centre + w, R.Top, centre, R.Bottom));
  }
  if (ShowText) {
    Canvas->Brush()->SetStyle(bsClear);
    TRect t = R;
    Canvas->DrawText(IntToStr(Value), t, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
}

void DrawProgressPie(TCanvas* Canvas, const TRect& R, TColor Color, bool Upward, int Percent) {
  if (!Canvas || IsRectEmpty(R)) return;
  TSavedTools saved(Canvas);
  // Upward served callers whose y axis grows upward; this platform's canvases have none.
  (void)Upward;
  const double cx = (R.Left + R.Right) / 2.0, cy = (R.Top + R.Bottom) / 2.0;
  const double rx = R.Width() / 2.0, ry = R.Height() / 2.0;
  const int percent = std::clamp(Percent, 0, 100);
  const double angle = percent / 100.0 * 2 * std::numbers::pi;
  const TPoint top(static_cast<int>(Round(cx)), R.Top);
  const TPoint centre(static_cast<int>(Round(cx)), static_cast<int>(Round(cy)));
  const TPoint end(static_cast<int>(Round(cx + rx * std::sin(angle))), static_cast<int>(Round(cy - ry * std::cos(angle))));
  Canvas->Pen()->SetStyle(psSolid);
  Canvas->Pen()->SetWidth(1);
  Canvas->Pen()->SetColor(RGB(0x80, 0x80, 0x80));
  Canvas->Ellipse(R);
  // The sector runs clockwise from the top; 0 % fills nothing and 100 % all of it.
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(Color);
  if (percent >= 100)
    Canvas->Ellipse(R);
  else if (percent > 0)
    Canvas->Pie(R.Left, R.Top, R.Right, R.Bottom, end.X, end.Y, top.X, top.Y);
  Canvas->MoveTo(top.X, top.Y);
  Canvas->LineTo(centre.X, centre.Y);
  Canvas->LineTo(end.X, end.Y);
}

void DrawErrorUnderline(TCanvas* Canvas, const std::string& Text, int Count, int First, int OffsetY,
                        const TRect& R) {
  if (!Canvas || Count <= 0) return;
  const int length = static_cast<int>(Text.size());
  const int first = std::clamp(First, 0, length);
  const int last = static_cast<int>(std::clamp<int64_t>(int64_t(First) + Count, first, length));
  if (last <= first) return;
  TSavedTools saved(Canvas);
  const int x1 = R.Left + Canvas->TextWidth(Text.substr(0, first));
  const int x2 = R.Left + Canvas->TextWidth(Text.substr(0, last));
  const int y = R.Top + OffsetY + Canvas->TextHeight(Text);
  std::vector<TPoint> zigzag;
  for (int k = 0, x = x1; x <= x2; ++k, x += 3) zigzag.emplace_back(std::min(x, x2), k % 2 ? y - 3 : y);
  if (zigzag.back().X < x2) zigzag.emplace_back(x2, zigzag.size() % 2 ? y - 3 : y);
  Canvas->Pen()->SetStyle(psSolid);
  Canvas->Pen()->SetWidth(2);
  Canvas->Pen()->SetColor(clRed);
  Canvas->Polyline(zigzag);
}

void DrawComboButton(TCanvas* Canvas, HWND Wnd, TRect R, bool Themed) {
  if (!Canvas) return;
  ++R.Top;
  --R.Bottom;
  OffsetRect(R, -2, 0);
  if (Themed && Wnd && DrawThemePart(Wnd, "combobox", Canvas, 1, 1, R)) return;
  Canvas->DrawFrameControl(R, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_FLAT);
}

void DrawTransparentBitmap(TCanvas* Canvas, TBitmap* Bitmap, TColor Transparent, const TRect& R) {
  if (!Canvas || !Bitmap || Bitmap->Empty()) return;
  Canvas->BrushCopy(R, Bitmap, TRect(0, 0, Bitmap->Width(), Bitmap->Height()), Transparent);
}

void DrawTransparentResBitmap(TCanvas* Canvas, const std::string& ResName, TColor Transparent, const TRect& R) {
  TBitmap bitmap;
  bitmap.LoadFromResourceName(HInstance, ResName);
  DrawTransparentBitmap(Canvas, &bitmap, Transparent, R);
}

// ---------------------------------------------------------------- windows

bool UpdateLayeredWindow(HWND, TBitmap*, const TPoint*, BYTE, DWORD) { return true; }

bool SetLayeredWindowAttributes(HWND Wnd, TColor Key, BYTE Alpha, DWORD Flags) {
  return ::SetLayeredWindowAttributes(Wnd, Key, Alpha, Flags);
}

// ---------------------------------------------------------------- cursor art
bool ArrowRight(double X, double Y) {
  const double ay = std::abs(Y);
  if (X > 0) return false;
  if (X >= -6) return ay <= -X;  // head
  return X >= -13 && ay <= 1.5;  // shaft
}

HCURSOR MakeCursorArt(const TCursorShape& Inside, int HotX, int HotY) {
  constexpr int kArt = 32;
  constexpr int stride = (kArt + 15) / 16 * 2;
  std::vector<uint8_t> andPlane(static_cast<size_t>(stride) * kArt, 0xFF), xorPlane(andPlane.size(), 0);
  auto in = [&](int x, int y) { return x >= 0 && y >= 0 && x < kArt && y < kArt && Inside(x, y); };
  for (int y = 0; y < kArt; ++y)
    for (int x = 0; x < kArt; ++x) {
      bool black = in(x, y), rim = false;
      for (int dy = -1; dy <= 1 && !black && !rim; ++dy)
        for (int dx = -1; dx <= 1 && !rim; ++dx) rim = in(x + dx, y + dy);
      if (!black && !rim) continue;
      const size_t i = static_cast<size_t>(y) * stride + x / 8;
      const auto bit = static_cast<uint8_t>(0x80 >> (x % 8));
      andPlane[i] &= static_cast<uint8_t>(~bit);
      if (rim) xorPlane[i] |= bit;
    }
  return CreateCursor(0, HotX, HotY, kArt, kArt, andPlane.data(), xorPlane.data());
}

std::string RtfPlainText(const std::string& rtf) { return RtfToPlainText(rtf); }

std::string PlainToMarkup(std::string_view Text) {
  std::string out;
  out.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    const char c = Text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') ++i;
      out += "<BR>";
    } else {
      out += EncodeEntities(std::string(1, c));
    }
  }
  return out;
}

char32_t CharInCase(char32_t Ch, bool Upper) { return CaseOf(Ch, Upper); }

std::string TextInCase(const std::string& Text, bool Upper) { return TextInCaseOf(Text, Upper); }

}  // namespace ExtUtil

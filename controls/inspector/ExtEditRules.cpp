// The typed edit's rules over a value: reading numbers, the grouping test,
// case rules, the thousands pass and which values are links. No window here.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>

#include "controls/inspector/ExtEdit.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"

namespace ExtEditRules {
namespace {
char Dec() { return FormatSettings.DecimalSeparator; }
char Thou() { return FormatSettings.ThousandSeparator; }
bool Digit(char c) { return c >= '0' && c <= '9'; }

// Applies a byte-wise case mapping to each character, keeping UTF-8 text UTF-8.
std::string MapCase(const std::string& v, std::string (*Map)(const std::string&)) {
  bool ascii = std::all_of(v.begin(), v.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii || !IsValidUtf8(v)) return Map(v);
  return Win1252ToUtf8(Map(Utf8ToWin1252(v)));
}
}  // namespace

std::string StripAffixes(const std::string& Window, const std::string& Prefix, const std::string& Suffix) {
  std::string v = Window;
  if (!Prefix.empty() && v.compare(0, Prefix.size(), Prefix) == 0) v.erase(0, Prefix.size());
  if (!Suffix.empty() && v.size() >= Suffix.size() && v.compare(v.size() - Suffix.size(), Suffix.size(), Suffix) == 0)
    v.erase(v.size() - Suffix.size());
  return v;
}

int IntegerDigits(const std::string& Value) {
  int n = 0;
  for (char c : Value) {
    if (c == Dec()) break;
    if (Digit(c)) ++n;
  }
  return n;
}

double ReadNumber(const std::string& Value, int Precision) {
  std::string v = Value;
  size_t lastThou = v.rfind(Thou());
  // A thousand separator typed where the decimal separator goes is read as one.
  if (v.find(Dec()) == std::string::npos && Precision > 0 && Precision != 3 && lastThou != std::string::npos &&
      v.size() - lastThou - 1 == static_cast<size_t>(Precision))
    v[lastThou] = Dec();
  std::string clean;
  for (char c : v)
    if (c != Thou()) clean += c == Dec() ? '.' : c;
  if (clean.empty() || clean == "-") return 0;
  char* end = nullptr;
  double d = std::strtod(clean.c_str(), &end);
  return std::isfinite(d) ? d : 0;
}

double ReadHex(const std::string& Value) {
  uint64_t n = 0;
  for (char c : Value) {
    unsigned d = Digit(c) ? unsigned(c - '0') : (c >= 'A' && c <= 'F') ? unsigned(c - 'A' + 10)
                                          : (c >= 'a' && c <= 'f') ? unsigned(c - 'a' + 10) : 0u;
    if (n > 0xFFFFFFFu) return 4294967295.0;
    n = (n << 4) | d;
  }
  return static_cast<double>(n);
}

bool IsInteger(const std::string& Value) {
  size_t i = !Value.empty() && Value[0] == '-' ? 1 : 0;
  if (i == Value.size()) return false;
  return std::all_of(Value.begin() + static_cast<long>(i), Value.end(), Digit);
}

bool IsDecimal(const std::string& Value) {
  size_t i = !Value.empty() && Value[0] == '-' ? 1 : 0;
  bool digits = false, dec = false;
  int lastThou = -10;
  for (size_t k = i; k < Value.size(); ++k) {
    char c = Value[k];
    if (Digit(c)) digits = true;
    else if (c == Dec() && !dec) dec = true;
    else if (c == Thou() && !dec) {
      if (static_cast<int>(k) - lastThou < 4) return false;
      lastThou = static_cast<int>(k);
    } else return false;
  }
  return digits;
}

bool GroupingAllows(const std::string& Value, int Caret) {
  std::string s = Value;
  int p = Caret;
  int m = static_cast<int>(s.size());
  for (;;) {
    size_t at = s.find(Thou());
    if (at == std::string::npos) return m < 4;
    int i = static_cast<int>(at) + 1;  // the separator's place counted from 1
    int d = std::abs(i - p);
    if (d < m) m = d;
    if (d < 3) return false;
    if (p > i) p -= i;
    s.erase(0, static_cast<size_t>(i));
  }
}

bool DecimalsFull(const std::string& Value, int Caret, int Precision) {
  if (Precision <= 0) return false;
  size_t d = Value.find(Dec());
  if (d == std::string::npos || Caret <= static_cast<int>(d)) return false;
  int after = static_cast<int>(Value.size() - d - 1);
  if (Caret - static_cast<int>(d) - 1 > Precision) return false;
  return after >= Precision;
}

std::string UpperText(const std::string& Value) { return MapCase(Value, AnsiUpperCase); }
std::string LowerText(const std::string& Value) { return MapCase(Value, AnsiLowerCase); }

std::string MixedCase(const std::string& Value) {
  static const std::string breaks = " \"$()*,-./:[\\]";
  std::string out;
  bool cap = true;
  for (size_t i = 0; i < Value.size();) {
    size_t n = 1;
    unsigned char b = static_cast<unsigned char>(Value[i]);
    if (b >= 0xC0 && IsValidUtf8(Value)) n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
    std::string ch = Value.substr(i, n);
    const bool nearEnd = i + 3 >= Value.size();
    if (ch.size() == 1 && breaks.find(ch[0]) != std::string::npos) {
      cap = true;
      out += ch;
    } else {
      out += cap ? UpperText(ch) : LowerText(ch);
      cap = false;
    }
    i += n;
    const size_t len = out.size();
    auto endsWith = [&](const char* t) {
      size_t k = std::char_traits<char>::length(t);
      return len >= k && out.compare(len - k, k, t) == 0;
    };
    if (out == "Mc" || out == "Mac" || endsWith(" Mc")) cap = true;
    // A roman numeral closing a name: "Henry II".
    if (nearEnd && (endsWith(" I") || endsWith(" II"))) cap = true;
  }
  return out;
}

std::string ThousandsPass(const std::string& Value, bool Grouped) {
  std::string v = Value;
  std::string sign;
  if (!v.empty() && v[0] == '-') {
    sign = "-";
    v.erase(0, 1);
  }
  size_t d = v.find(Dec());
  std::string decimals = d == std::string::npos ? std::string() : v.substr(d);
  std::string digits;
  for (char c : v.substr(0, d))
    if (Digit(c)) digits += c;
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.empty() ? 0 : digits.size() - 1));
  if (digits.empty()) digits = "0";
  if (Grouped)
    for (int k = static_cast<int>(digits.size()) - 3; k > 0; k -= 3) digits.insert(static_cast<size_t>(k), 1, Thou());
  return sign + digits + decimals;
}

bool LooksLikeLink(const std::string& Value) {
  if (Value.find("://") != std::string::npos) return true;
  size_t at = Value.find('@');
  if (at != std::string::npos && at >= 1) return true;
  return LowerCase(Value.substr(0, 4)) == "www.";
}

std::string LinkAddress(const std::string& Value) {
  std::string v = Trim(Value);
  if (v.empty() || std::any_of(v.begin(), v.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; }))
    return std::string();
  std::string low = LowerCase(v);
  auto starts = [&](const char* p) { return low.rfind(p, 0) == 0; };
  if (starts("http://") || starts("https://") || starts("ftp://")) return low.size() > low.find("://") + 3 ? v : "";
  if (starts("mailto:")) return v.size() > 7 && v.find('@') != std::string::npos ? v : std::string();
  if (low.find("://") != std::string::npos || low.find(':') != std::string::npos) return std::string();
  // A bare mail address: a plain local part and a host name, nothing that reads as a path.
  size_t at = v.find('@');
  auto plain = [](const std::string& s, const char* extra) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [&](char c) {
      return std::isalnum(static_cast<unsigned char>(c)) || std::strchr(extra, c);
    });
  };
  if (at != std::string::npos && plain(v.substr(0, at), "._%+-") && plain(v.substr(at + 1), ".-"))
    return "mailto:" + v;
  if (starts("www.") && v.size() > 4) return "http://" + v;
  return std::string();
}
TRect LookupPlace(TPoint At, int Width, int Height, const TRect& EditRect, const TRect& WorkArea) {
  const int w = std::min(Width, WorkArea.Width());
  int h = std::min(Height, WorkArea.Height());
  const int below = WorkArea.Bottom - At.Y, above = EditRect.Top - WorkArea.Top;
  int top;
  if (h <= below) {
    top = At.Y;
  } else if (h <= above) {
    top = EditRect.Top - h;
  } else if (std::max(below, above) >= kLookupMinHeight) {
    // Fits on neither side: the side with more room, the list shortened to it.
    h = std::max(below, above);
    top = below >= above ? At.Y : EditRect.Top - h;
  } else {
    top = std::clamp(At.Y, WorkArea.Top, WorkArea.Bottom - h);
  }
  const int left = std::clamp(At.X, WorkArea.Left, WorkArea.Right - w);
  return TRect(left, top, left + w, top + h);
}
bool LookupBefore(const std::string& A, const std::string& B) {
  const int c = AnsiCompareText(A, B);
  return c != 0 ? c < 0 : A < B;
}

}  // namespace ExtEditRules

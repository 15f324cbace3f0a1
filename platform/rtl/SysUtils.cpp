#include "platform/rtl/SysUtils.h"
#include "platform/rtl/LocaleCompare.h"
#include "platform/rtl/Win1252.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>

#include <dirent.h>
#include <fcntl.h>
#include <langinfo.h>
#include <pwd.h>
#include <locale.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

TFormatSettings FormatSettings;

// ===========================================================================
// System locale

std::string PatternFromStrftime(std::string_view pattern, char& separator, bool isTime) {
  std::string r;
  separator = '\0';
  bool twelve = false;
  for (size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c != '%') {
      bool sepChar = c == '/' || c == '.' || c == '-' || c == ':' || c == ' ' || c == ',';
      if (sepChar && c != ' ' && c != ',' && separator == '\0') separator = c;
      if (c == separator) r += isTime ? ':' : '/';
      else if (c == '/' || c == ':') r += std::string("'") + c + "'";  // a literal, not a separator
      else r += c;
      continue;
    }
    if (++i >= pattern.size()) break;
    char f = pattern[i];
    if (f == 'E' || f == 'O' || f == '-' || f == '_' || f == '0') {  // modifiers and flags
      if (++i >= pattern.size()) break;
      f = pattern[i];
    }
    switch (f) {
      case 'd': r += "dd"; break;
      case 'e': r += "d"; break;
      case 'm': r += "mm"; break;
      case 'y': r += "yy"; break;
      case 'Y': r += "yyyy"; break;
      case 'b': case 'h': r += "mmm"; break;
      case 'B': r += "mmmm"; break;
      case 'a': r += "ddd"; break;
      case 'A': r += "dddd"; break;
      case 'H': r += "hh"; break;
      case 'k': r += "h"; break;
      case 'I': r += "hh"; twelve = true; break;
      case 'l': r += "h"; twelve = true; break;
      case 'M': r += "nn"; break;
      case 'S': r += "ss"; break;
      case 'p': case 'P': r += "ampm"; twelve = false; break;
      case 'D': r += "mm/dd/yy"; if (!separator) separator = '/'; break;
      case 'F': r += "yyyy/mm/dd"; if (!separator) separator = '-'; break;
      case 'T': r += "hh:nn:ss"; if (!separator) separator = ':'; break;
      case 'R': r += "hh:nn"; if (!separator) separator = ':'; break;
      case '%': r += '%'; break;
      default: break;
    }
  }
  if (twelve) r += " ampm";
  if (separator == '\0') separator = isTime ? ':' : '/';
  return r;
}

namespace {

// One byte for a separator given in UTF-8: its Windows-1252 byte, else a blank.
char SeparatorByte(const char* s, char fallback) {
  if (!s || !*s) return fallback;
  if (static_cast<unsigned char>(s[0]) < 0x80) return s[1] == '\0' ? s[0] : fallback;
  unsigned char a = static_cast<unsigned char>(s[0]), b = static_cast<unsigned char>(s[1]);
  if ((a == 0xC2 || a == 0xC3) && b >= 0x80 && b < 0xC0 && s[2] == '\0')
    return static_cast<char>(((a & 0x1F) << 6) | (b & 0x3F));
  return ' ';
}

}  // namespace

TFormatSettings FormatSettingsForLocale(const std::string& localeName) {
  TFormatSettings fs;
  locale_t loc = newlocale(LC_ALL_MASK, localeName.c_str(), static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) return fs;
  auto info = [&](nl_item item) { return std::string(nl_langinfo_l(item, loc)); };
  fs.DecimalSeparator = SeparatorByte(nl_langinfo_l(RADIXCHAR, loc), '.');
  fs.ThousandSeparator = SeparatorByte(nl_langinfo_l(THOUSEP, loc), fs.DecimalSeparator == ',' ? '.' : ',');
  char dateSep, timeSep;
  std::string date = PatternFromStrftime(info(D_FMT), dateSep, false);
  std::string time = PatternFromStrftime(info(T_FMT), timeSep, true);
  if (!date.empty()) {
    fs.ShortDateFormat = date;
    fs.DateSeparator = dateSep;
  }
  if (!time.empty()) {
    fs.LongTimeFormat = time;
    fs.TimeSeparator = timeSep;
    // The short form drops the seconds.
    std::string shortTime = time;
    size_t sec = shortTime.find(":ss");
    if (sec != std::string::npos) shortTime.erase(sec, 3);
    fs.ShortTimeFormat = shortTime;
  }
  std::string am = info(AM_STR), pm = info(PM_STR);
  if (!am.empty() || !pm.empty()) {
    fs.TimeAMString = am;
    fs.TimePMString = pm;
  }
  for (int m = 0; m < 12; ++m) {
    std::string l = info(static_cast<nl_item>(MON_1 + m)), a = info(static_cast<nl_item>(ABMON_1 + m));
    if (!l.empty()) fs.LongMonthNames[m] = l;
    if (!a.empty()) fs.ShortMonthNames[m] = a;
  }
  for (int d = 0; d < 7; ++d) {
    std::string l = info(static_cast<nl_item>(DAY_1 + d)), a = info(static_cast<nl_item>(ABDAY_1 + d));
    if (!l.empty()) fs.LongDayNames[d] = l;
    if (!a.empty()) fs.ShortDayNames[d] = a;
  }
  freelocale(loc);
  return fs;
}

void LoadSystemFormatSettings() { FormatSettings = FormatSettingsForLocale(""); }

// ===========================================================================
// Exceptions

Exception::Exception(const std::string& fmt, const TVarArgs& args) : message_(Format(fmt, args)) {}

std::string InOutErrorMessage(int code) {
  switch (code) {
    case 2: return "File not found";
    case 3: return "Invalid filename";
    case 4: return "Too many open files";
    case 5: return "File access denied";
    case 100: return "Read beyond end of file";
    case 101: return "Disk full";
    case 106: return "Invalid numeric input";
    default: return Format("I/O error %d", {code});
  }
}

EInOutError::EInOutError(int code) : Exception(InOutErrorMessage(code)), ErrorCode(code) {}

void Abort() { throw EAbort("Operation aborted"); }

// ===========================================================================
// Character helpers

namespace {

inline char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

unsigned char AnsiUpperByte(unsigned char c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  switch (c) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: return c;
  }
}

unsigned char AnsiLowerByte(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
  }
}

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

[[noreturn]] void ConvertError(const char* fmt, const std::string& s) {
  throw EConvertError(fmt, {Excerpt(s)});
}

}  // namespace

std::string Excerpt(std::string_view s, size_t maxChars) {
  size_t n = s.size();
  if (n > maxChars) {
    n = maxChars;
    // Never cut a UTF-8 sequence in two.
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  }
  // Control bytes shown escaped: a NUL would end the message box's text there.
  std::string out;
  for (size_t i = 0; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x20 || c == 0x7F) {
      static const char kHex[] = "0123456789ABCDEF";
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return n < s.size() ? out + "..." : out;
}

// ===========================================================================
// Integer conversions

std::string IntToStr(int64_t value) { return std::to_string(value); }
std::string UIntToStr(uint64_t value) { return std::to_string(value); }

std::string UIntToHex(uint64_t value, int digits) {
  static const char kHex[] = "0123456789ABCDEF";
  uint64_t v = value;
  char buf[16];
  int n = 0;
  do {
    buf[n++] = kHex[v & 15];
    v >>= 4;
  } while (v != 0);
  std::string r;
  if (digits > n) r.assign(static_cast<size_t>(std::min(digits, 64)) - n, '0');
  while (n > 0) r += buf[--n];
  return r;
}

namespace {

// The class library's integer scan: blanks, sign, then decimal digits or "$"/"0x"
// hexadecimal; nothing may follow. Hexadecimal may use every bit of the result type.
bool ScanInteger(const std::string& s, int bits, int64_t& out) {
  size_t i = 0, n = s.size();
  while (i < n && s[i] == ' ') ++i;
  bool neg = false;
  if (i < n && (s[i] == '-' || s[i] == '+')) {
    neg = s[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < n && s[i] == '$') {
    hex = true;
    ++i;
  } else if (i < n && (s[i] == 'x' || s[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < n && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= n) return false;
  uint64_t v = 0;
  if (hex) {
    const uint64_t maxU = bits == 64 ? UINT64_MAX : (uint64_t{1} << bits) - 1;
    for (; i < n; ++i) {
      int h = HexValue(s[i]);
      if (h < 0) return false;
      if (v > (maxU >> 4)) return false;
      v = (v << 4) | static_cast<uint64_t>(h);
    }
    int64_t r = bits == 64 ? static_cast<int64_t>(v) : static_cast<int32_t>(static_cast<uint32_t>(v));
    out = neg ? static_cast<int64_t>(0 - static_cast<uint64_t>(r)) : r;
    if (bits == 32) out = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(out)));
    return true;
  }
  const uint64_t limit = bits == 64 ? (neg ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1)
                                    : (neg ? uint64_t{1} << 31 : (uint64_t{1} << 31) - 1);
  for (; i < n; ++i) {
    if (!IsDigit(s[i])) return false;
    unsigned d = static_cast<unsigned>(s[i] - '0');
    if (v > (limit - d) / 10) return false;
    v = v * 10 + d;
  }
  out = neg ? static_cast<int64_t>(0 - v) : static_cast<int64_t>(v);
  return true;
}

}  // namespace

bool TryStrToInt(const std::string& s, int& value) {
  int64_t v;
  if (!ScanInteger(s, 32, v)) return false;
  value = static_cast<int>(v);
  return true;
}

bool TryStrToInt64(const std::string& s, int64_t& value) { return ScanInteger(s, 64, value); }

int StrToInt(const std::string& s) {
  int v;
  if (!TryStrToInt(s, v)) ConvertError("'%s' is not a valid integer value", s);
  return v;
}

int64_t StrToInt64(const std::string& s) {
  int64_t v;
  if (!TryStrToInt64(s, v)) ConvertError("'%s' is not a valid integer value", s);
  return v;
}

int StrToIntDef(const std::string& s, int def) {
  int v;
  return TryStrToInt(s, v) ? v : def;
}

int64_t StrToInt64Def(const std::string& s, int64_t def) {
  int64_t v;
  return TryStrToInt64(s, v) ? v : def;
}

std::string BoolToStr(bool b, bool useBoolStrs) {
  if (useBoolStrs) return b ? "True" : "False";
  return b ? "-1" : "0";
}

bool TryStrToBool(const std::string& s, bool& value) {
  if (SameText(s, "True")) {
    value = true;
    return true;
  }
  if (SameText(s, "False")) {
    value = false;
    return true;
  }
  double d;
  if (TryStrToFloat(s, d)) {
    value = d != 0;
    return true;
  }
  return false;
}

bool StrToBool(const std::string& s) {
  bool b;
  if (!TryStrToBool(s, b)) ConvertError("'%s' is not a valid boolean value", s);
  return b;
}

// ===========================================================================
// Floating point

namespace {

// Decimal digits of |value| rounded to `precision` significant digits, and the
// exponent of the first digit (value = 0.d1d2... * 10^(exp)).
struct TDigits {
  std::string digits;  // no leading zeros; "0" for zero
  int exp = 0;         // position of the decimal point relative to digits
  bool negative = false;
};

TDigits ToDigits(double value, int precision) {
  TDigits r;
  r.negative = std::signbit(value);
  double a = std::fabs(value);
  if (a == 0) {
    r.digits = "0";
    r.exp = 1;
    return r;
  }
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, precision - 1);
  std::string_view t(buf, static_cast<size_t>(res.ptr - buf));
  size_t e = t.find('e');
  for (size_t i = 0; i < e; ++i)
    if (t[i] != '.') r.digits += t[i];
  int ex = 0;
  std::from_chars(t.data() + e + 1 + (t[e + 1] == '+' ? 1 : 0), t.data() + t.size(), ex);
  r.exp = ex + 1;
  return r;
}

void StripTrailingZeros(std::string& d) {
  while (d.size() > 1 && d.back() == '0') d.pop_back();
}

// Rounds the digit string half up so that `keep` digits remain (keep may be <= 0).
void RoundDigits(TDigits& d, int keep) {
  if (keep >= static_cast<int>(d.digits.size())) return;
  if (keep < 0) {
    d.digits = "0";
    d.exp = 1;
    return;
  }
  bool up = d.digits[static_cast<size_t>(keep)] >= '5';
  d.digits.resize(static_cast<size_t>(keep));
  if (up) {
    int i = keep - 1;
    while (i >= 0 && d.digits[static_cast<size_t>(i)] == '9') d.digits[static_cast<size_t>(i--)] = '0';
    if (i >= 0) {
      d.digits[static_cast<size_t>(i)]++;
    } else {
      d.digits.insert(d.digits.begin(), '1');
      d.exp++;
    }
  }
  if (d.digits.empty()) {
    d.digits = "0";
    d.exp = 1;
  }
}

bool AllZero(const std::string& d) {
  return std::all_of(d.begin(), d.end(), [](char c) { return c == '0'; });
}

std::string ExponentText(int e, int minDigits, bool plusSign) {
  std::string r;
  if (e < 0) r += '-';
  else if (plusSign) r += '+';
  std::string n = std::to_string(std::abs(e));
  if (static_cast<int>(n.size()) < minDigits) r.append(static_cast<size_t>(minDigits) - n.size(), '0');
  return r + n;
}

std::string GroupThousands(const std::string& intPart, char sep) {
  if (sep == '\0') return intPart;
  std::string r;
  int n = static_cast<int>(intPart.size());
  for (int i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) r += sep;
    r += intPart[static_cast<size_t>(i)];
  }
  return r;
}

// Fixed notation of the digits with `decimals` fraction digits.
std::string FixedText(TDigits d, int decimals, bool thousands) {
  RoundDigits(d, d.exp + decimals);
  std::string intPart, frac;
  for (int i = 0; i < d.exp; ++i)
    intPart += i < static_cast<int>(d.digits.size()) ? d.digits[static_cast<size_t>(i)] : '0';
  if (intPart.empty()) intPart = "0";
  for (int i = 0; i < decimals; ++i) {
    int k = d.exp + i;
    frac += (k >= 0 && k < static_cast<int>(d.digits.size())) ? d.digits[static_cast<size_t>(k)] : '0';
  }
  std::string r = thousands ? GroupThousands(intPart, FormatSettings.ThousandSeparator) : intPart;
  if (decimals > 0) r += FormatSettings.DecimalSeparator + frac;
  if (d.negative && !(AllZero(intPart) && AllZero(frac))) r.insert(r.begin(), '-');
  return r;
}

std::string ExponentFormat(const TDigits& d, int precision, int expDigits) {
  std::string m = d.digits;
  if (static_cast<int>(m.size()) < precision) m.append(static_cast<size_t>(precision) - m.size(), '0');
  std::string r;
  if (d.negative) r += '-';
  r += m[0];
  if (m.size() > 1) r += FormatSettings.DecimalSeparator + m.substr(1);
  bool zero = AllZero(d.digits);
  return r + "E" + ExponentText(zero ? 0 : d.exp - 1, expDigits, true);
}

std::string CurrencyText(const std::string& number, bool negative) {
  const std::string& c = FormatSettings.CurrencyString;
  if (!negative) {
    switch (FormatSettings.CurrencyFormat) {
      case 1: return number + c;
      case 2: return c + " " + number;
      case 3: return number + " " + c;
      default: return c + number;
    }
  }
  switch (FormatSettings.NegCurrFormat) {
    case 1: return "-" + c + number;
    case 2: return c + "-" + number;
    case 3: return c + number + "-";
    case 4: return "(" + number + c + ")";
    case 5: return "-" + number + c;
    case 6: return number + "-" + c;
    case 7: return number + c + "-";
    case 8: return "-" + number + " " + c;
    case 9: return "-" + c + " " + number;
    case 10: return number + " " + c + "-";
    case 11: return c + " " + number + "-";
    case 12: return c + " -" + number;
    case 13: return number + "- " + c;
    case 14: return "(" + c + " " + number + ")";
    case 15: return "(" + number + " " + c + ")";
    default: return "(" + c + number + ")";
  }
}

}  // namespace

std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  precision = std::clamp(precision, 1, 18);
  digits = std::clamp(digits, 0, 18);
  TDigits d = ToDigits(value, std::min(precision, 17));
  switch (format) {
    case ffGeneral: {
      StripTrailingZeros(d.digits);
      if (AllZero(d.digits)) return "0";
      std::string r = d.negative ? "-" : "";
      if (d.exp > precision || d.exp < -3) {
        r += d.digits[0];
        if (d.digits.size() > 1) r += FormatSettings.DecimalSeparator + d.digits.substr(1);
        return r + "E" + ExponentText(d.exp - 1, digits, false);
      }
      if (d.exp <= 0) {
        r += "0";
        r += FormatSettings.DecimalSeparator;
        r.append(static_cast<size_t>(-d.exp), '0');
        return r + d.digits;
      }
      std::string intPart = d.digits.substr(0, std::min(d.digits.size(), static_cast<size_t>(d.exp)));
      if (static_cast<int>(intPart.size()) < d.exp) intPart.append(static_cast<size_t>(d.exp) - intPart.size(), '0');
      r += intPart;
      if (static_cast<int>(d.digits.size()) > d.exp)
        r += FormatSettings.DecimalSeparator + d.digits.substr(static_cast<size_t>(d.exp));
      return r;
    }
    case ffExponent:
      return ExponentFormat(d, precision, std::min(digits, 4));
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
      if (d.exp > precision) return ExponentFormat(d, precision, 0);
      if (format == ffFixed) return FixedText(d, digits, false);
      if (format == ffNumber) return FixedText(d, digits, true);
      TDigits a = d;
      a.negative = false;
      std::string num = FixedText(a, digits, true);
      bool neg = d.negative && num.find_first_of("123456789") != std::string::npos;
      return CurrencyText(num, neg);
    }
  }
  return std::string();
}

std::string FloatToStr(double value) { return FloatToStrF(value, ffGeneral, 15, 0); }

std::string CurrToStr(double value) { return FloatToStrF(value, ffGeneral, 19, 0); }

bool TryStrToFloat(const std::string& s, double& value) {
  std::string t = Trim(s);
  if (t.empty()) return false;
  // The locale's decimal separator stands for the point; a point is refused when it differs.
  std::string c;
  c.reserve(t.size());
  for (char ch : t) {
    if (ch == FormatSettings.DecimalSeparator) c += '.';
    else if (ch == '.' ) return false;
    else c += ch;
  }
  const char* b = c.data();
  const char* e = b + c.size();
  // One sign at most; the reader below takes only the minus.
  if (*b == '+') {
    ++b;
    if (b < e && *b == '-') return false;
  }
  if (b == e) return false;
  // Digits with an optional fraction and exponent only: no "inf", "nan" or hex forms.
  const char* p = b;
  if (*p == '-') ++p;
  const char* mantissa = p;
  bool any = false;
  while (p < e && IsDigit(*p)) { ++p; any = true; }
  if (p < e && *p == '.') {
    ++p;
    while (p < e && IsDigit(*p)) { ++p; any = true; }
  }
  if (!any) return false;
  const char* mantissaEnd = p;
  int64_t exponent = 0;
  if (p < e && (*p == 'e' || *p == 'E')) {
    ++p;
    bool negative = false;
    if (p < e && (*p == '+' || *p == '-')) negative = *p++ == '-';
    if (p >= e || !IsDigit(*p)) return false;
    for (; p < e && IsDigit(*p); ++p)
      if (exponent < 1000000000) exponent = exponent * 10 + (*p - '0');  // saturates: far beyond any double
    if (negative) exponent = -exponent;
  }
  if (p != e) return false;
  double v = 0;
  auto res = std::from_chars(b, e, v);
  if (res.ec == std::errc::result_out_of_range) {
    // Too large or too small: the power of ten of the first significant digit tells which.
    // Too small reads as zero; too large is an error, whatever sign the exponent has.
    int64_t integerDigits = 0, leadingZeros = 0;
    bool significant = false, inFraction = false;
    for (const char* q = mantissa; q < mantissaEnd; ++q) {
      if (*q == '.') {
        inFraction = true;
      } else if (!significant && *q == '0') {
        if (inFraction) ++leadingZeros;
      } else {
        significant = true;
        if (!inFraction) ++integerDigits;
      }
    }
    const int64_t magnitude = (integerDigits > 0 ? integerDigits - 1 : -leadingZeros - 1) + exponent;
    if (magnitude >= 0) return false;
    v = 0;
  } else if (res.ec != std::errc() || res.ptr != e) {
    return false;
  }
  value = v;
  return true;
}

double StrToFloat(const std::string& s) {
  double v;
  if (!TryStrToFloat(s, v)) ConvertError("'%s' is not a valid floating point value", s);
  return v;
}

double StrToFloatDef(const std::string& s, double def) {
  double v;
  return TryStrToFloat(s, v) ? v : def;
}

// ---------------------------------------------------------------------------
// FormatFloat

namespace {

struct TFloatPicture {
  std::string prefix, suffix;   // literal text before the first and after the last placeholder
  int intZeros = 0;             // '0' placeholders before the point
  bool thousands = false;
  bool point = false;
  int minDecimals = 0, maxDecimals = 0;
  bool scientific = false;
  bool expPlus = false;
  char expChar = 'E';
  int expDigits = 0;
  bool hasDigits = false;
};

TFloatPicture ParsePicture(const std::string& f) {
  TFloatPicture p;
  bool seenPlaceholder = false, afterPoint = false;
  std::string pendingLiteral;
  size_t i = 0;
  while (i < f.size()) {
    char c = f[i];
    if (c == '"' || c == '\'') {
      size_t j = f.find(c, i + 1);
      std::string lit = f.substr(i + 1, (j == std::string::npos ? f.size() : j) - i - 1);
      pendingLiteral += lit;
      i = j == std::string::npos ? f.size() : j + 1;
      continue;
    }
    if (p.scientific) {
      if (c == '0') { p.expDigits++; ++i; continue; }
      pendingLiteral += c;
      ++i;
      continue;
    }
    if (c == '0' || c == '#') {
      if (!seenPlaceholder) p.prefix += pendingLiteral;
      else p.suffix += pendingLiteral;  // inner literals follow the number
      pendingLiteral.clear();
      seenPlaceholder = true;
      p.hasDigits = true;
      if (afterPoint) {
        p.maxDecimals++;
        if (c == '0') p.minDecimals = p.maxDecimals;
      } else if (c == '0') {
        p.intZeros++;
      } else if (p.intZeros > 0) {
        p.intZeros++;  // '#' after a '0' still counts as a digit position
      }
      ++i;
      continue;
    }
    if (c == '.' && !afterPoint) {
      afterPoint = true;
      p.point = true;
      ++i;
      continue;
    }
    if (c == ',') {
      p.thousands = true;
      ++i;
      continue;
    }
    if ((c == 'E' || c == 'e') && i + 1 < f.size() && (f[i + 1] == '+' || f[i + 1] == '-') &&
        seenPlaceholder) {
      p.suffix += pendingLiteral;
      pendingLiteral.clear();
      p.scientific = true;
      p.expChar = c;
      p.expPlus = f[i + 1] == '+';
      i += 2;
      continue;
    }
    pendingLiteral += c;
    ++i;
  }
  if (seenPlaceholder) p.suffix += pendingLiteral;
  else p.prefix += pendingLiteral;
  return p;
}

std::vector<std::string> SplitSections(const std::string& f) {
  std::vector<std::string> r(1);
  char quote = 0;
  for (char c : f) {
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';') {
      r.emplace_back();
      continue;
    }
    r.back() += c;
  }
  return r;
}

std::string ApplyPicture(const TFloatPicture& p, double value, bool withSign) {
  if (!p.hasDigits) return p.prefix;
  std::string body;
  double a = std::fabs(value);
  if (p.scientific) {
    int intDigits = std::max(p.intZeros, 1);
    int places = intDigits + p.maxDecimals;
    // A double carries 17 digits; further places are zeros.
    TDigits d = ToDigits(a, std::min(places, 17));
    bool zero = AllZero(d.digits);
    int e = zero ? 0 : d.exp - intDigits;
    std::string m = d.digits;
    if (static_cast<int>(m.size()) < places) m.append(static_cast<size_t>(places) - m.size(), '0');
    std::string intPart = m.substr(0, static_cast<size_t>(intDigits));
    std::string frac = m.substr(static_cast<size_t>(intDigits));
    while (static_cast<int>(frac.size()) > p.minDecimals && !frac.empty() && frac.back() == '0') frac.pop_back();
    body = intPart;
    if (!frac.empty()) body += FormatSettings.DecimalSeparator + frac;
    body += p.expChar;
    if (e < 0) body += '-';
    else if (p.expPlus) body += '+';
    std::string en = std::to_string(std::abs(e));
    if (static_cast<int>(en.size()) < p.expDigits) en.insert(0, static_cast<size_t>(p.expDigits) - en.size(), '0');
    body += en;
  } else {
    TDigits d = ToDigits(a, 17);
    d.negative = false;
    std::string fixed = FixedText(d, p.maxDecimals, false);
    size_t dot = fixed.find(FormatSettings.DecimalSeparator);
    std::string intPart = p.maxDecimals > 0 ? fixed.substr(0, dot) : fixed;
    std::string frac = p.maxDecimals > 0 ? fixed.substr(dot + 1) : std::string();
    while (static_cast<int>(frac.size()) > p.minDecimals && frac.back() == '0') frac.pop_back();
    size_t nz = intPart.find_first_not_of('0');
    intPart = nz == std::string::npos ? std::string() : intPart.substr(nz);
    if (static_cast<int>(intPart.size()) < p.intZeros) intPart.insert(0, static_cast<size_t>(p.intZeros) - intPart.size(), '0');
    if (p.thousands) intPart = GroupThousands(intPart, FormatSettings.ThousandSeparator);
    body = intPart;
    if (!frac.empty()) body += FormatSettings.DecimalSeparator + frac;
    if (body.empty()) body = "0";
    if (withSign && value < 0 && body.find_first_of("123456789") == std::string::npos) withSign = false;
  }
  return p.prefix + (withSign && value < 0 ? "-" : "") + body + p.suffix;
}

}  // namespace

std::string FormatFloat(const std::string& fmt, double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (fmt.empty()) return FloatToStr(value);
  std::vector<std::string> sections = SplitSections(fmt);
  if (value == 0 && sections.size() >= 3 && !sections[2].empty())
    return ApplyPicture(ParsePicture(sections[2]), value, false);
  if (value < 0 && sections.size() >= 2 && !sections[1].empty())
    return ApplyPicture(ParsePicture(sections[1]), value, false);
  return ApplyPicture(ParsePicture(sections[0]), value, true);
}

// ===========================================================================
// Arithmetic

int64_t Round(double value) {
  double r = std::nearbyint(value);
  if (!(r >= -9.2233720368547758e18 && r < 9.2233720368547758e18))
    throw EInvalidOperation("Invalid floating point operation");
  return static_cast<int64_t>(r);
}

int64_t Trunc(double value) {
  double r = std::trunc(value);
  if (!(r >= -9.2233720368547758e18 && r < 9.2233720368547758e18))
    throw EInvalidOperation("Invalid floating point operation");
  return static_cast<int64_t>(r);
}

double Frac(double value) { return value - std::trunc(value); }
double Int(double value) { return std::trunc(value); }

int MulDiv(int value, int numerator, int denominator) {
  if (denominator == 0) return -1;
  int64_t p = static_cast<int64_t>(value) * numerator;
  int64_t q = p / denominator;
  int64_t rem = p % denominator;
  if (2 * (rem < 0 ? -rem : rem) >= (denominator < 0 ? -static_cast<int64_t>(denominator) : denominator))
    q += ((p < 0) != (denominator < 0)) ? -1 : 1;
  if (q > INT_MAX || q < INT_MIN) return -1;
  return static_cast<int>(q);
}

// ===========================================================================
// Random numbers

uint32_t RandSeed = 0;

namespace {

uint32_t NextRandom() {
  RandSeed = RandSeed * 0x08088405u + 1u;
  return RandSeed;
}

}  // namespace

void Randomize() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  RandSeed = static_cast<uint32_t>(ts.tv_sec * 1000 + ts.tv_nsec / 1000000);
}

int Random(int range) {
  uint32_t r = NextRandom();
  if (range <= 0) return 0;
  return static_cast<int>((static_cast<uint64_t>(r) * static_cast<uint32_t>(range)) >> 32);
}

double Random() { return static_cast<double>(NextRandom()) / 4294967296.0; }

// ===========================================================================
// Strings

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

std::string TrimLeft(const std::string& s) {
  size_t b = 0;
  while (b < s.size() && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  return s.substr(b);
}

std::string TrimRight(const std::string& s) {
  size_t e = s.size();
  while (e > 0 && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(0, e);
}

std::string UpperCase(const std::string& s) {
  std::string r = s;
  for (char& c : r) c = AsciiUpper(c);
  return r;
}

std::string LowerCase(const std::string& s) {
  std::string r = s;
  for (char& c : r) c = AsciiLower(c);
  return r;
}

namespace {
// The text in the other case by the Windows-1252 table: byte by byte, or for a UTF-8 text
// character by character (the case pairs of that repertoire keep their UTF-8 length).
std::string AnsiCaseOf(const std::string& s, unsigned char (*Map)(unsigned char)) {
  std::string r = s;
  if (!IsValidUtf8(s)) {
    for (char& c : r) c = static_cast<char>(Map(static_cast<unsigned char>(c)));
    return r;
  }
  r.clear();
  for (size_t i = 0; i < s.size();) {
    const size_t from = i;
    char32_t cp = 0;
    DecodeUtf8Char(s, i, cp);
    const int b = UnicodeToWin1252Char(cp);
    if (b < 0)
      r.append(s, from, i - from);
    else if (cp < 0x80)
      r += static_cast<char>(Map(static_cast<unsigned char>(cp)));
    else
      r += Utf16ToUtf8(std::u16string(1, Win1252ToUnicodeChar(Map(static_cast<unsigned char>(b)))));
  }
  return r;
}
}  // namespace

std::string AnsiUpperCase(const std::string& s) { return AnsiCaseOf(s, AnsiUpperByte); }

std::string AnsiLowerCase(const std::string& s) { return AnsiCaseOf(s, AnsiLowerByte); }

int CompareText(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(AsciiUpper(a[i]));
    unsigned char y = static_cast<unsigned char>(AsciiUpper(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int CompareStr(const std::string& a, const std::string& b) {
  int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareText(a, b) == 0;
}

namespace {

TCollateFunc gCollate = nullptr;

char16_t FoldCase(char16_t c) {
  if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<char16_t>(c - 0x20);
  return c;
}

int Collate(std::u16string_view a, std::u16string_view b, bool ignoreCase) {
  if (a == b) return 0;
  int r = 0;
  if (gCollate) {
    r = gCollate(a, b, ignoreCase);
  } else {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n && r == 0; ++i) {
      const char16_t x = ignoreCase ? FoldCase(a[i]) : a[i], y = ignoreCase ? FoldCase(b[i]) : b[i];
      if (x != y) r = x < y ? -1 : 1;
    }
    if (r == 0 && a.size() != b.size()) r = a.size() < b.size() ? -1 : 1;
  }
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

std::u16string TextAsWide(const std::string& s) { return IsValidUtf8(s) ? Utf8ToUtf16(s) : Win1252ToUnicode(s); }

}  // namespace

void SetCollation(TCollateFunc F) { gCollate = F; }

int WideCompareText(std::u16string_view a, std::u16string_view b) { return Collate(a, b, true); }
int WideCompareStr(std::u16string_view a, std::u16string_view b) { return Collate(a, b, false); }

int AnsiCompareText(const std::string& a, const std::string& b) {
  return a == b ? 0 : Collate(TextAsWide(a), TextAsWide(b), true);
}

int AnsiCompareStr(const std::string& a, const std::string& b) {
  return a == b ? 0 : Collate(TextAsWide(a), TextAsWide(b), false);
}

bool AnsiSameText(const std::string& a, const std::string& b) { return AnsiCompareText(a, b) == 0; }

bool AnsiSameStr(const std::string& a, const std::string& b) { return a == b; }

int Pos(const std::string& sub, const std::string& s, int offset) {
  if (sub.empty() || offset < 0 || static_cast<size_t>(offset) > s.size()) return -1;
  size_t p = s.find(sub, static_cast<size_t>(offset));
  return p == std::string::npos ? -1 : static_cast<int>(p);
}

int AnsiPos(const std::string& sub, const std::string& s) { return Pos(sub, s); }

std::string Copy(const std::string& s, int index, int count) {
  if (index < 0) {
    count += index;
    index = 0;
  }
  if (count <= 0 || static_cast<size_t>(index) >= s.size()) return std::string();
  return s.substr(static_cast<size_t>(index), static_cast<size_t>(count));
}

void Delete(std::string& s, int index, int count) {
  if (index < 0 || count <= 0 || static_cast<size_t>(index) >= s.size()) return;
  s.erase(static_cast<size_t>(index), static_cast<size_t>(count));
}

void Insert(const std::string& sub, std::string& s, int index) {
  size_t i = index < 0 ? 0 : std::min(static_cast<size_t>(index), s.size());
  s.insert(i, sub);
}

std::string StringOfChar(char c, int count) {
  return count > 0 ? std::string(static_cast<size_t>(count), c) : std::string();
}

std::string DupeString(const std::string& s, int count) {
  std::string r;
  for (int i = 0; i < count; ++i) r += s;
  return r;
}

std::string StringReplace(const std::string& s, const std::string& oldPattern,
                          const std::string& newPattern, TReplaceFlags flags) {
  if (oldPattern.empty()) return s;
  const std::string& hay = (flags & rfIgnoreCase) ? AnsiUpperCase(s) : s;
  const std::string pat = (flags & rfIgnoreCase) ? AnsiUpperCase(oldPattern) : oldPattern;
  std::string r;
  size_t from = 0;
  while (true) {
    size_t p = hay.find(pat, from);
    if (p == std::string::npos) break;
    r.append(s, from, p - from);
    r += newPattern;
    from = p + pat.size();
    if (!(flags & rfReplaceAll)) break;
  }
  r.append(s, from, std::string::npos);
  return r;
}

std::string AnsiQuotedStr(const std::string& s, char quote) {
  std::string r(1, quote);
  for (char c : s) {
    r += c;
    if (c == quote) r += quote;
  }
  r += quote;
  return r;
}

std::string QuotedStr(const std::string& s) { return AnsiQuotedStr(s, '\''); }

std::string AnsiExtractQuotedStr(const std::string& s, size_t& pos, char quote) {
  if (pos >= s.size() || s[pos] != quote) return std::string();
  std::string r;
  size_t i = pos + 1;
  while (i < s.size()) {
    if (s[i] == quote) {
      if (i + 1 < s.size() && s[i + 1] == quote) {
        r += quote;
        i += 2;
        continue;
      }
      ++i;
      pos = i;
      return r;
    }
    r += s[i++];
  }
  pos = i;
  return r;
}

std::string AnsiDequotedStr(const std::string& s, char quote) {
  if (s.size() < 2 || s.front() != quote || s.back() != quote) return s;
  size_t pos = 0;
  std::string r = AnsiExtractQuotedStr(s, pos, quote);
  return pos == s.size() ? r : s;
}

std::string AdjustLineBreaks(const std::string& s) {
  std::string r;
  r.reserve(s.size() + s.size() / 16);
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '\r' || c == '\n') {
      if (i + 1 < s.size() && (s[i + 1] == '\r' || s[i + 1] == '\n') && s[i + 1] != c) ++i;
      r += "\r\n";
    } else {
      r += c;
    }
  }
  return r;
}

int LastDelimiter(const std::string& delimiters, const std::string& s) {
  size_t p = s.find_last_of(delimiters);
  return p == std::string::npos ? -1 : static_cast<int>(p);
}

bool IsValidIdent(const std::string& s) {
  if (s.empty()) return false;
  auto alpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
  if (!alpha(s[0])) return false;
  return std::all_of(s.begin() + 1, s.end(), [&](char c) { return alpha(c) || IsDigit(c); });
}

bool StartsText(const std::string& prefix, const std::string& s) {
  return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

bool EndsText(const std::string& suffix, const std::string& s) {
  return s.size() >= suffix.size() && SameText(s.substr(s.size() - suffix.size()), suffix);
}

// ===========================================================================
// Format

namespace {

[[noreturn]] void FormatError(const std::string& fmt) {
  throw EConvertError("Format '" + fmt + "' invalid or incompatible with argument");
}

[[noreturn]] void NoArgument(const std::string& fmt) {
  throw EConvertError("No argument for format '" + fmt + "'");
}

constexpr int kMaxFormatWidth = 1 << 16;

}  // namespace

std::string Format(const std::string& fmt, const TVarArgs& args) {
  std::string out;
  out.reserve(fmt.size() + 16);
  size_t argIndex = 0;
  const size_t n = fmt.size();
  size_t i = 0;

  auto nextArg = [&]() -> const TVarRec& {
    if (argIndex >= args.size()) NoArgument(fmt);
    return args[argIndex++];
  };
  // Reads digits or '*' (an integer argument); -1 when neither is there.
  auto readNumber = [&](bool& present) -> int {
    present = false;
    if (i < n && fmt[i] == '*') {
      ++i;
      present = true;
      const TVarRec& a = nextArg();
      if (a.Kind() != TVarRec::vtInteger) FormatError(fmt);
      int64_t v = a.AsInteger();
      if (v > kMaxFormatWidth || v < -kMaxFormatWidth) FormatError(fmt);
      return static_cast<int>(v);
    }
    int v = 0;
    while (i < n && IsDigit(fmt[i])) {
      present = true;
      v = v * 10 + (fmt[i] - '0');
      if (v > kMaxFormatWidth) FormatError(fmt);
      ++i;
    }
    return v;
  };

  while (i < n) {
    char c = fmt[i];
    if (c != '%') {
      size_t j = fmt.find('%', i);
      if (j == std::string::npos) j = n;
      out.append(fmt, i, j - i);
      i = j;
      continue;
    }
    ++i;
    if (i < n && fmt[i] == '%') {
      out += '%';
      ++i;
      continue;
    }
    // [index:] sets the argument that the next specifier takes.
    bool present = false;
    {
      size_t save = i;
      int idx = 0;
      bool digits = false;
      while (i < n && IsDigit(fmt[i]) && idx <= kMaxFormatWidth) {
        idx = idx * 10 + (fmt[i++] - '0');
        digits = true;
      }
      if (digits && i < n && fmt[i] == ':') {
        ++i;
        argIndex = static_cast<size_t>(idx);
      } else {
        i = save;
      }
    }
    bool left = false;
    if (i < n && fmt[i] == '-') {
      left = true;
      ++i;
    }
    int width = readNumber(present);
    if (width < 0) {
      left = true;
      width = -width;
    }
    int prec = -1;
    if (i < n && fmt[i] == '.') {
      ++i;
      prec = readNumber(present);
      if (!present || prec < 0) prec = -1;
    }
    if (i >= n) FormatError(fmt);
    char type = AsciiLower(fmt[i++]);
    std::string text;
    switch (type) {
      case 'd':
      case 'u':
      case 'x': {
        const TVarRec& a = nextArg();
        std::string digits;
        bool neg = false;
        if (a.Kind() == TVarRec::vtInteger) {
          int64_t v = a.AsInteger();
          if (type == 'd') {
            neg = v < 0;
            digits = UIntToStr(neg ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v));
          } else {
            uint64_t u = (v < 0 && v >= INT32_MIN) ? static_cast<uint32_t>(v) : static_cast<uint64_t>(v);
            digits = type == 'u' ? UIntToStr(u) : UIntToHex(u, 1);
          }
        } else if (a.Kind() == TVarRec::vtUnsigned) {
          digits = type == 'x' ? UIntToHex(a.AsUnsigned(), 1) : UIntToStr(a.AsUnsigned());
        } else {
          FormatError(fmt);
        }
        if (prec > static_cast<int>(digits.size())) digits.insert(0, static_cast<size_t>(prec) - digits.size(), '0');
        text = neg ? "-" + digits : digits;
        break;
      }
      case 'e':
      case 'f':
      case 'g':
      case 'n':
      case 'm': {
        const TVarRec& a = nextArg();
        double v;
        if (a.Kind() == TVarRec::vtExtended) v = a.AsExtended();
        else if (a.Kind() == TVarRec::vtInteger) v = static_cast<double>(a.AsInteger());
        else if (a.Kind() == TVarRec::vtUnsigned) v = static_cast<double>(a.AsUnsigned());
        else FormatError(fmt);
        switch (type) {
          case 'e': text = FloatToStrF(v, ffExponent, prec < 0 ? 15 : std::min(prec, 18), 3); break;
          case 'f': text = FloatToStrF(v, ffFixed, 18, prec < 0 ? 2 : prec); break;
          case 'g': text = FloatToStrF(v, ffGeneral, prec < 0 ? 15 : std::min(std::max(prec, 1), 18), 3); break;
          case 'n': text = FloatToStrF(v, ffNumber, 18, prec < 0 ? 2 : prec); break;
          default: text = FloatToStrF(v, ffCurrency, 18, prec < 0 ? FormatSettings.CurrencyDecimals : prec); break;
        }
        break;
      }
      case 'p': {
        const TVarRec& a = nextArg();
        if (a.Kind() != TVarRec::vtPointer) FormatError(fmt);
        text = UIntToHex(reinterpret_cast<uintptr_t>(a.AsPointer()), static_cast<int>(sizeof(void*) * 2));
        break;
      }
      case 's': {
        const TVarRec& a = nextArg();
        if (a.Kind() != TVarRec::vtString && a.Kind() != TVarRec::vtChar) FormatError(fmt);
        text = a.AsString();
        if (prec >= 0 && static_cast<size_t>(prec) < text.size()) text.resize(static_cast<size_t>(prec));
        break;
      }
      default:
        FormatError(fmt);
    }
    if (static_cast<int>(text.size()) < width) {
      std::string pad(static_cast<size_t>(width) - text.size(), ' ');
      text = left ? text + pad : pad + text;
    }
    out += text;
  }
  return out;
}

// ===========================================================================
// Dates and times

namespace {

constexpr int64_t kMSecsPerDay = 86400000;
constexpr int64_t kUnixDateDelta = 25569;  // days from 1899-12-30 to 1970-01-01

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t yy = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yy + (m <= 2));
}

// Whole days and milliseconds of the day, rounded to the millisecond like the library.
void SplitDateTime(TDateTime dt, int64_t& days, int64_t& msOfDay) {
  double ms = std::nearbyint(dt * static_cast<double>(kMSecsPerDay));
  if (!(ms > -9.0e18 && ms < 9.0e18)) ms = 0;
  int64_t t = static_cast<int64_t>(ms);
  days = t / kMSecsPerDay;
  msOfDay = (t < 0 ? -t : t) % kMSecsPerDay;
}

}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInAMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& date) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInAMonth(year, month))
    return false;
  date = static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
                             kUnixDateDelta);
  return true;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& time) {
  if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 || msec > 999)
    return false;
  time = static_cast<double>(((hour * 60 + min) * 60 + sec) * 1000 + msec) / static_cast<double>(kMSecsPerDay);
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime r;
  if (!TryEncodeDate(year, month, day, r)) throw EConvertError("Invalid argument to date encode");
  return r;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
  TDateTime r;
  if (!TryEncodeTime(hour, min, sec, msec, r)) throw EConvertError("Invalid argument to time encode");
  return r;
}

void DecodeDate(TDateTime date, int& year, int& month, int& day) {
  int64_t days, ms;
  SplitDateTime(date, days, ms);
  CivilFromDays(days - kUnixDateDelta, year, month, day);
}

void DecodeTime(TDateTime time, int& hour, int& min, int& sec, int& msec) {
  int64_t days, ms;
  SplitDateTime(time, days, ms);
  hour = static_cast<int>(ms / 3600000);
  min = static_cast<int>(ms / 60000 % 60);
  sec = static_cast<int>(ms / 1000 % 60);
  msec = static_cast<int>(ms % 1000);
}

int DayOfWeek(TDateTime date) {
  int64_t days, ms;
  SplitDateTime(date, days, ms);
  // 1899-12-30 was a Saturday.
  int64_t r = (days + 6) % 7;
  if (r < 0) r += 7;
  return static_cast<int>(r) + 1;
}

TDateTime Now() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  time_t t = ts.tv_sec;
  tm lt{};
  localtime_r(&t, &lt);
  TDateTime d = EncodeDate(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday);
  return d + EncodeTime(lt.tm_hour, lt.tm_min, std::min(lt.tm_sec, 59), static_cast<int>(ts.tv_nsec / 1000000));
}

TDateTime Date() { return std::trunc(Now()); }
TDateTime Time() { return Frac(Now()); }

TDateTime UnixToDateTime(int64_t seconds) {
  return static_cast<double>(kUnixDateDelta) + static_cast<double>(seconds) / SecsPerDay;
}

TDateTime IncMonth(TDateTime date, int months) {
  int y, m, d;
  DecodeDate(date, y, m, d);
  int64_t total = static_cast<int64_t>(y) * 12 + (m - 1) + months;
  int ny = static_cast<int>(total / 12);
  int nm = static_cast<int>(total % 12) + 1;
  d = std::min(d, DaysInAMonth(ny, nm));
  TDateTime nd;
  if (!TryEncodeDate(ny, nm, d, nd)) throw EConvertError("Invalid argument to date encode");
  double frac = date - std::trunc(date);
  return nd + (nd < 0 ? -std::fabs(frac) : std::fabs(frac));
}

// ---------------------------------------------------------------------------
// FormatDateTime

namespace {

std::string Pad2(int v) { return v < 10 ? "0" + std::to_string(v) : std::to_string(v); }

bool FormatUses12Hour(const std::string& f) {
  char quote = 0;
  for (size_t i = 0; i < f.size(); ++i) {
    char c = f[i];
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
      continue;
    }
    if (StartsText("am/pm", f.substr(i, 5)) || StartsText("a/p", f.substr(i, 3)) ||
        StartsText("ampm", f.substr(i, 4)))
      return true;
  }
  return false;
}

void AppendDateTime(std::string& out, const std::string& f, TDateTime dt, int depth) {
  if (depth > 2) return;
  int y, mo, d, h, mi, s, ms;
  DecodeDate(dt, y, mo, d);
  DecodeTime(dt, h, mi, s, ms);
  const TFormatSettings& fs = FormatSettings;
  bool twelve = FormatUses12Hour(f);
  bool lastWasHour = false;
  size_t i = 0;
  const size_t n = f.size();
  auto count = [&](char c) {
    size_t j = i;
    while (j < n && AsciiLower(f[j]) == c) ++j;
    return static_cast<int>(j - i);
  };
  while (i < n) {
    char c = f[i];
    char lc = AsciiLower(c);
    switch (lc) {
      case '"':
      case '\'': {
        size_t j = f.find(c, i + 1);
        if (j == std::string::npos) j = n;
        out.append(f, i + 1, j - i - 1);
        i = j < n ? j + 1 : n;
        continue;
      }
      case '/':
        out += fs.DateSeparator;
        ++i;
        continue;
      case ':':
        out += fs.TimeSeparator;
        ++i;
        continue;
      case 'c':
        ++i;
        AppendDateTime(out, fs.ShortDateFormat, dt, depth + 1);
        if (Frac(dt) != 0) {
          out += ' ';
          AppendDateTime(out, fs.LongTimeFormat, dt, depth + 1);
        }
        lastWasHour = false;
        continue;
      case 'y': {
        int k = count('y');
        i += static_cast<size_t>(k);
        std::string ys = std::to_string(y);
        if (k <= 2) out += Pad2(y % 100);
        else out += std::string(ys.size() < 4 ? 4 - ys.size() : 0, '0') + ys;
        lastWasHour = false;
        continue;
      }
      case 'm': {
        int k = count('m');
        i += static_cast<size_t>(k);
        if (lastWasHour && k <= 2) {
          out += k == 1 ? std::to_string(mi) : Pad2(mi);
        } else if (k == 1) {
          out += std::to_string(mo);
        } else if (k == 2) {
          out += Pad2(mo);
        } else if (k == 3) {
          out += fs.ShortMonthNames[mo - 1];
        } else {
          out += fs.LongMonthNames[mo - 1];
        }
        lastWasHour = false;
        continue;
      }
      case 'd': {
        int k = count('d');
        i += static_cast<size_t>(k);
        switch (k) {
          case 1: out += std::to_string(d); break;
          case 2: out += Pad2(d); break;
          case 3: out += fs.ShortDayNames[DayOfWeek(dt) - 1]; break;
          case 4: out += fs.LongDayNames[DayOfWeek(dt) - 1]; break;
          case 5: AppendDateTime(out, fs.ShortDateFormat, dt, depth + 1); break;
          default: AppendDateTime(out, fs.LongDateFormat, dt, depth + 1); break;
        }
        lastWasHour = false;
        continue;
      }
      case 'h': {
        int k = count('h');
        i += static_cast<size_t>(k);
        int hh = h;
        if (twelve) {
          hh = h % 12;
          if (hh == 0) hh = 12;
        }
        out += k == 1 ? std::to_string(hh) : Pad2(hh);
        lastWasHour = true;
        continue;
      }
      case 'n': {
        int k = count('n');
        i += static_cast<size_t>(k);
        out += k == 1 ? std::to_string(mi) : Pad2(mi);
        lastWasHour = false;
        continue;
      }
      case 's': {
        int k = count('s');
        i += static_cast<size_t>(k);
        out += k == 1 ? std::to_string(s) : Pad2(s);
        lastWasHour = false;
        continue;
      }
      case 'z': {
        int k = count('z');
        i += static_cast<size_t>(k);
        if (k == 1) out += std::to_string(ms);
        else out += (ms < 10 ? "00" : ms < 100 ? "0" : "") + std::to_string(ms);
        lastWasHour = false;
        continue;
      }
      case 't': {
        int k = count('t');
        i += static_cast<size_t>(k);
        AppendDateTime(out, k == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, dt, depth + 1);
        lastWasHour = false;
        continue;
      }
      case 'a': {
        std::string rest = f.substr(i, 5);
        if (StartsText("am/pm", rest)) {
          bool upper = f[i] == 'A';
          out += h < 12 ? (upper ? "AM" : "am") : (upper ? "PM" : "pm");
          i += 5;
        } else if (StartsText("a/p", rest)) {
          bool upper = f[i] == 'A';
          out += h < 12 ? (upper ? "A" : "a") : (upper ? "P" : "p");
          i += 3;
        } else if (StartsText("ampm", rest)) {
          out += h < 12 ? fs.TimeAMString : fs.TimePMString;
          i += 4;
        } else {
          out += c;
          ++i;
        }
        continue;
      }
      default:
        out += c;
        ++i;
        continue;
    }
  }
}

}  // namespace

std::string FormatDateTime(const std::string& fmt, TDateTime dt) {
  std::string out;
  AppendDateTime(out, fmt.empty() ? std::string("c") : fmt, dt, 0);
  return out;
}

std::string DateToStr(TDateTime date) { return FormatDateTime("ddddd", date); }
std::string TimeToStr(TDateTime time) { return FormatDateTime("tt", time); }
std::string DateTimeToStr(TDateTime dt) { return FormatDateTime("c", dt); }

// ---------------------------------------------------------------------------
// Reading dates and times

namespace {

void SkipBlanks(const std::string& s, size_t& i) {
  while (i < s.size() && s[i] == ' ') ++i;
}

bool ScanNumber(const std::string& s, size_t& i, int& value, int& digits) {
  SkipBlanks(s, i);
  size_t start = i;
  int64_t v = 0;
  while (i < s.size() && IsDigit(s[i]) && i - start < 9) v = v * 10 + (s[i++] - '0');
  digits = static_cast<int>(i - start);
  if (digits == 0 || (i < s.size() && IsDigit(s[i]))) return false;
  value = static_cast<int>(v);
  return true;
}

bool ScanChar(const std::string& s, size_t& i, char c) {
  SkipBlanks(s, i);
  if (i < s.size() && s[i] == c) {
    ++i;
    return true;
  }
  return false;
}

int CurrentYear() {
  int y, m, d;
  DecodeDate(Now(), y, m, d);
  return y;
}

int ExpandYear(int y, int digits) {
  if (digits > 2) return y;
  int window = FormatSettings.TwoDigitYearCenturyWindow;
  int century = CurrentYear() - window;
  y += century / 100 * 100;
  if (window > 0 && y < century) y += 100;
  return y;
}

// Order of day, month and year in the short date format: 0 MDY, 1 DMY, 2 YMD.
int DateOrder() {
  for (char c : FormatSettings.ShortDateFormat) {
    char lc = AsciiLower(c);
    if (lc == 'm') return 0;
    if (lc == 'd') return 1;
    if (lc == 'y') return 2;
  }
  return 0;
}

bool ScanDate(const std::string& s, size_t& i, TDateTime& date) {
  int n1, n2, n3 = 0, l1, l2, l3 = 0;
  char sep = FormatSettings.DateSeparator;
  if (!ScanNumber(s, i, n1, l1) || !ScanChar(s, i, sep) || !ScanNumber(s, i, n2, l2)) return false;
  bool three = false;
  size_t save = i;
  if (ScanChar(s, i, sep)) {
    if (!ScanNumber(s, i, n3, l3)) return false;
    three = true;
  } else {
    i = save;
  }
  int y, m, d;
  int order = DateOrder();
  if (three) {
    switch (order) {
      case 0: m = n1; d = n2; y = ExpandYear(n3, l3); break;
      case 1: d = n1; m = n2; y = ExpandYear(n3, l3); break;
      default: y = ExpandYear(n1, l1); m = n2; d = n3; break;
    }
  } else {
    y = CurrentYear();
    if (order == 1) { d = n1; m = n2; } else { m = n1; d = n2; }
  }
  return TryEncodeDate(y, m, d, date);
}

bool ScanAmPm(const std::string& s, size_t& i, int& ampm) {
  SkipBlanks(s, i);
  const TFormatSettings& fs = FormatSettings;
  for (const auto& [text, v] : {std::pair<std::string, int>{fs.TimeAMString, 0}, {fs.TimePMString, 1},
                                 {"AM", 0}, {"PM", 1}, {"A", 0}, {"P", 1}}) {
    if (!text.empty() && StartsText(text, s.substr(i, text.size()))) {
      i += text.size();
      ampm = v;
      return true;
    }
  }
  return false;
}

bool ScanTime(const std::string& s, size_t& i, TDateTime& time) {
  int ampm = -1;
  ScanAmPm(s, i, ampm);
  int h, m = 0, sec = 0, ms = 0, l;
  if (!ScanNumber(s, i, h, l)) return false;
  char sep = FormatSettings.TimeSeparator;
  if (ScanChar(s, i, sep)) {
    if (!ScanNumber(s, i, m, l)) return false;
    if (ScanChar(s, i, sep)) {
      if (!ScanNumber(s, i, sec, l)) return false;
      if (ScanChar(s, i, FormatSettings.DecimalSeparator)) {
        if (!ScanNumber(s, i, ms, l)) return false;
      }
    }
  } else if (ampm < 0) {
    // A lone number is a time only with AM or PM after it.
    if (!ScanAmPm(s, i, ampm)) return false;
  }
  if (ampm < 0) ScanAmPm(s, i, ampm);
  if (ampm >= 0) {
    if (h < 1 || h > 12) return false;
    if (h == 12) h = 0;
    if (ampm == 1) h += 12;
  }
  return TryEncodeTime(h, m, sec, ms, time);
}

bool AtEnd(const std::string& s, size_t& i) {
  SkipBlanks(s, i);
  return i == s.size();
}

}  // namespace

bool TryStrToDate(const std::string& s, TDateTime& value) {
  size_t i = 0;
  TDateTime d;
  if (!ScanDate(s, i, d) || !AtEnd(s, i)) return false;
  value = d;
  return true;
}

bool TryStrToTime(const std::string& s, TDateTime& value) {
  size_t i = 0;
  TDateTime t;
  if (!ScanTime(s, i, t) || !AtEnd(s, i)) return false;
  value = t;
  return true;
}

bool TryStrToDateTime(const std::string& s, TDateTime& value) {
  size_t i = 0;
  TDateTime d = 0, t = 0;
  if (!ScanDate(s, i, d)) {
    i = 0;
    if (!ScanTime(s, i, t) || !AtEnd(s, i)) return false;
    value = t;
    return true;
  }
  if (!AtEnd(s, i)) {
    if (!ScanTime(s, i, t) || !AtEnd(s, i)) return false;
  }
  value = d < 0 ? d - t : d + t;
  return true;
}

TDateTime StrToDate(const std::string& s) {
  TDateTime v;
  if (!TryStrToDate(s, v)) ConvertError("'%s' is not a valid date", s);
  return v;
}

TDateTime StrToTime(const std::string& s) {
  TDateTime v;
  if (!TryStrToTime(s, v)) ConvertError("'%s' is not a valid time", s);
  return v;
}

TDateTime StrToDateTime(const std::string& s) {
  TDateTime v;
  if (!TryStrToDateTime(s, v)) ConvertError("'%s' is not a valid date and time", s);
  return v;
}

TDateTime StrToDateDef(const std::string& s, TDateTime def) {
  TDateTime v;
  return TryStrToDate(s, v) ? v : def;
}

// ===========================================================================
// Files and paths

bool FileExists(const std::string& fileName) {
  struct stat st {};
  return !fileName.empty() && stat(fileName.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& dir) {
  struct stat st {};
  return !dir.empty() && stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DeleteFile(const std::string& fileName) {
  return !fileName.empty() && !DirectoryExists(fileName) && unlink(fileName.c_str()) == 0;
}

bool RenameFile(const std::string& oldName, const std::string& newName) {
  // Like the platform's move, an existing target is not replaced.
  if (oldName.empty() || newName.empty() || access(newName.c_str(), F_OK) == 0) return false;
  return rename(oldName.c_str(), newName.c_str()) == 0;
}

bool CreateDir(const std::string& dir) { return !dir.empty() && mkdir(dir.c_str(), 0777) == 0; }

bool RemoveDir(const std::string& dir) { return !dir.empty() && rmdir(dir.c_str()) == 0; }

bool ForceDirectories(const std::string& dir) {
  if (dir.empty()) return false;
  std::string d = ExcludeTrailingPathDelimiter(dir);
  if (d.empty() || DirectoryExists(d)) return true;
  std::string parent = ExtractFileDir(d);
  if (!parent.empty() && parent != d && !ForceDirectories(parent)) return false;
  return CreateDir(d) || DirectoryExists(d);
}

std::string GetCurrentDir() {
  std::string buf(4096, '\0');
  while (getcwd(buf.data(), buf.size()) == nullptr) {
    if (errno != ERANGE) return std::string();
    buf.resize(buf.size() * 2);
  }
  return std::string(buf.c_str());
}

bool SetCurrentDir(const std::string& dir) { return chdir(dir.c_str()) == 0; }

int64_t FileSizeOf(const std::string& fileName) {
  struct stat st {};
  if (stat(fileName.c_str(), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

TDateTime FileDateTime(const std::string& fileName) {
  struct stat st {};
  if (stat(fileName.c_str(), &st) != 0) return -1;
  time_t t = st.st_mtime;
  tm lt{};
  localtime_r(&t, &lt);
  return EncodeDate(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday) +
         EncodeTime(lt.tm_hour, lt.tm_min, std::min(lt.tm_sec, 59), 0);
}

std::string GetTempDir() {
  const char* t = getenv("TMPDIR");
  std::string d = (t && *t) ? t : "/tmp";
  return IncludeTrailingPathDelimiter(d);
}

std::string UserConfigDir() {
  if (const char* own = getenv("VELMARON_CONFIG_DIR"); own && *own) return ExcludeTrailingPathDelimiter(own);
  if (const char* xdg = getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
    return ExcludeTrailingPathDelimiter(xdg) + "/velmaron";
  std::string home;
  if (const char* h = getenv("HOME"); h && *h) {
    home = h;
  } else if (const struct passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && *pw->pw_dir) {
    home = pw->pw_dir;
  } else {
    home = "/tmp";
  }
  return ExcludeTrailingPathDelimiter(home) + "/.config/velmaron";
}

std::string ExtractFilePath(const std::string& fileName) {
  size_t p = fileName.rfind(PathDelim);
  return p == std::string::npos ? std::string() : fileName.substr(0, p + 1);
}

std::string ExtractFileDir(const std::string& fileName) {
  size_t p = fileName.rfind(PathDelim);
  if (p == std::string::npos) return std::string();
  if (p == 0) return "/";
  return fileName.substr(0, p);
}

std::string ExtractFileName(const std::string& fileName) {
  size_t p = fileName.rfind(PathDelim);
  return p == std::string::npos ? fileName : fileName.substr(p + 1);
}

std::string ExtractFileExt(const std::string& fileName) {
  size_t p = fileName.find_last_of("./");
  if (p == std::string::npos || fileName[p] != '.') return std::string();
  return fileName.substr(p);
}

std::string ChangeFileExt(const std::string& fileName, const std::string& ext) {
  size_t p = fileName.find_last_of("./");
  if (p == std::string::npos || fileName[p] != '.') return fileName + ext;
  return fileName.substr(0, p) + ext;
}

std::string IncludeTrailingPathDelimiter(const std::string& s) {
  return (!s.empty() && s.back() == PathDelim) ? s : s + PathDelim;
}

std::string ExcludeTrailingPathDelimiter(const std::string& s) {
  if (s.size() > 1 && s.back() == PathDelim) return s.substr(0, s.size() - 1);
  return s;
}

std::string ExpandFileName(const std::string& fileName) {
  std::string path = (!fileName.empty() && fileName[0] == '/')
                         ? fileName
                         : IncludeTrailingPathDelimiter(GetCurrentDir()) + fileName;
  std::vector<std::string> parts;
  size_t i = 0;
  while (i <= path.size()) {
    size_t j = path.find('/', i);
    if (j == std::string::npos) j = path.size();
    std::string part = path.substr(i, j - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  std::string r;
  for (const auto& p : parts) r += "/" + p;
  if (r.empty()) r = "/";
  if (path.size() > 1 && path.back() == '/' && r != "/") r += '/';
  return r;
}

// ---------------------------------------------------------------------------
// Whole-file reading and the atomic save

namespace {

std::string ErrnoText(int err) { return std::string(strerror(err)); }

bool WriteAll(int fd, const char* p, size_t n) {
  while (n > 0) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

}  // namespace

namespace {
int OpenRegularFile(const std::string& fileName, struct stat& st);

const char kDanglingLink[] = "It is a link to a file that does not exist";

// A save killed between its temporary file and the rename leaves that file behind: the next
// save of the same file removes such leftovers, only the names its own saves make (the prefix
// and six characters of mkstemp's alphabet), and only regular files. A save holds a lock on its
// temporary file while it writes (a killed one holds none): a locked file is another save's, live.
void RemoveOrphanTemporaries(const std::string& dir, const std::string& prefix) {
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return;
  while (const dirent* e = readdir(d)) {
    const std::string_view name(e->d_name);
    if (name.size() != prefix.size() + 6 || name.substr(0, prefix.size()) != prefix) continue;
    if (!std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }))
      continue;
    const int fd = openat(dirfd(d), e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st {}, now {};
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        fstatat(dirfd(d), e->d_name, &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_ino == st.st_ino &&
        now.st_dev == st.st_dev)
      unlinkat(dirfd(d), e->d_name, 0);
    ::close(fd);
  }
  closedir(d);
}

// A new temporary file beside the target, locked for this save. Between mkstemp and the lock a
// cleaning save may take it for a leftover and remove it: then make another. Where the file
// system keeps no locks the file goes unlocked.
int MakeLockedTemporary(const std::string& tmpl, std::string& tmp) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) return -1;
    while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    struct stat st {};
    if (fstat(fd, &st) == 0 && st.st_nlink > 0) {
      tmp = name.data();
      return fd;
    }
    ::close(fd);
  }
  errno = EAGAIN;
  return -1;
}

// Writes what Write puts into the open temporary file beside the file it names (false with
// errno set on failure) and renames it over the file: a failed save keeps the old file.
void WriteFileAtomically(const std::string& fileName, const std::function<bool(int)>& Write, bool sync) {
  // Write through a symbolic link to the file it names, keeping the link; a link that names no
  // file is refused, never replaced by a file of its own.
  std::string target = fileName;
  struct stat lst {};
  if (lstat(fileName.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
    char resolved[PATH_MAX];
    struct stat st {};
    if (!realpath(fileName.c_str(), resolved) || stat(resolved, &st) != 0)
      throw EFCreateError("Cannot create file \"" + fileName + "\". " + kDanglingLink);
    target = resolved;
  }
  // The rename would replace a read-only file or a device all the same: every save asks first.
  CheckFileReplaceable(fileName);

  std::string dir = ExtractFilePath(target);
  const std::string tmpPrefix = "." + ExtractFileName(target) + ".tmp-";
  std::string tmp;
  int fd = MakeLockedTemporary(dir + tmpPrefix + "XXXXXX", tmp);
  if (fd < 0) {
    int err = errno;
    throw EFCreateError("Cannot create file \"" + fileName + "\". " + ErrnoText(err));
  }
  struct stat st {};
  mode_t mode;
  if (stat(target.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  fchmod(fd, mode);
  bool ok = Write(fd);
  int err = errno;
  if (ok && sync && fsync(fd) != 0) {
    ok = false;
    err = errno;
  }
  // The lock lives on in a duplicate until the rename: closed, the file would look a leftover.
  const int lock = fcntl(fd, F_DUPFD_CLOEXEC, 0);
  struct TLockCloser {
    int fd;
    ~TLockCloser() {
      if (fd >= 0) ::close(fd);
    }
  } lockCloser{lock};
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok && rename(tmp.c_str(), target.c_str()) != 0) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    unlink(tmp.c_str());
    throw EWriteError("Cannot write file \"" + fileName + "\". " + ErrnoText(err));
  }
  RemoveOrphanTemporaries(dir, tmpPrefix);
  // Make the rename itself durable.
  if (sync) {
    int dfd = open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
      fsync(dfd);
      ::close(dfd);
    }
  }
}
}  // namespace

void SaveFileAtomically(const std::string& fileName, std::string_view data, bool sync) {
  WriteFileAtomically(fileName, [&](int fd) { return WriteAll(fd, data.data(), data.size()); }, sync);
}

void SaveFileHeadAtomically(const std::string& fileName, std::string_view head, bool sync) {
  // The old file is opened first, as any file read is: a FIFO or a device is refused at once.
  int old = -1;
  if (access(fileName.c_str(), F_OK) == 0) {
    struct stat st {};
    old = OpenRegularFile(fileName, st);
  }
  struct TCloser {
    int fd;
    ~TCloser() {
      if (fd >= 0) ::close(fd);
    }
  } closer{old};
  WriteFileAtomically(
      fileName,
      [&](int fd) {
        if (!WriteAll(fd, head.data(), head.size())) return false;
        if (old < 0 || lseek(old, static_cast<off_t>(head.size()), SEEK_SET) < 0) return true;
        char buf[65536];
        for (;;) {
          const ssize_t n = ::read(old, buf, sizeof buf);
          if (n < 0 && errno == EINTR) continue;
          if (n < 0) return false;
          if (n == 0) return true;
          if (!WriteAll(fd, buf, static_cast<size_t>(n))) return false;
        }
      },
      sync);
}

void CheckFileReplaceable(const std::string& fileName) {
  struct stat st {};
  if (stat(fileName.c_str(), &st) != 0) return;  // nothing there (or a dangling link): a new file
  const std::string what = "Cannot create file \"" + fileName + "\". ";
  if (S_ISDIR(st.st_mode)) throw EFCreateError(what + "Is a directory");
  if (!S_ISREG(st.st_mode)) throw EFCreateError(what + "Not a regular file");
  if ((st.st_mode & 0222) == 0 || access(fileName.c_str(), W_OK) != 0) throw EFCreateError(what + "The file is read-only");
}

bool SyncFile(const std::string& fileName) {
  int fd = open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = fsync(fd) == 0;
  ::close(fd);
  std::string dir = ExtractFileDir(fileName);
  int dfd = open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ok = fsync(dfd) == 0 && ok;
    ::close(dfd);
  }
  return ok;
}

bool AppendFileBytes(const std::string& fileName, std::string_view data, bool ownerOnly) {
  int fd = ::open(fileName.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW,
                  ownerOnly ? 0600 : 0666);
  if (fd < 0) return false;
  const char* p = data.data();
  size_t left = data.size();
  bool ok = true;
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return ::close(fd) == 0 && ok;
}

namespace {

// Reads an open file to its end and closes it. More than maxBytes (when not
// negative) stops the reading: the result then holds maxBytes + 1 bytes.
std::string ReadToEnd(int fd, int64_t sizeHint, int64_t maxBytes) {
  std::string r;
  if (sizeHint > 0) r.reserve(static_cast<size_t>(sizeHint));
  char buf[65536];
  while (maxBytes < 0 || int64_t(r.size()) <= maxBytes) {
    size_t want = sizeof buf;
    if (maxBytes >= 0) want = static_cast<size_t>(std::min<int64_t>(want, maxBytes + 1 - int64_t(r.size())));
    const ssize_t n = ::read(fd, buf, want);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      throw EReadError("Stream read error");
    }
    if (n == 0) break;
    r.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return r;
}

}  // namespace

namespace {
// Opens a file to read on behalf of untrusted text: without blocking (a FIFO or a device never
// stalls the caller), and only a regular file; anything else raises EFOpenError with the reason.
int OpenRegularFile(const std::string& fileName, struct stat& st) {
  const int fd = open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    const int err = errno;
    throw EFOpenError("Cannot open file \"" + fileName + "\". " + FileOpenReason(fileName, err));
  }
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw EFOpenError("Cannot open file \"" + fileName + "\". Not a regular file");
  }
  return fd;
}
}  // namespace

std::string FileOpenReason(const std::string& fileName, int err) {
  struct stat lst {};
  if (err == ENOENT && lstat(fileName.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) return kDanglingLink;
  return ErrnoText(err);
}

std::string LoadKernelFile(const std::string& fileName) {
  try {
    return LoadRegularFileBytes(fileName, 4 << 20);
  } catch (const Exception&) {
    return "";
  }
}

std::string LoadRegularFileHead(const std::string& fileName, int64_t maxBytes) {
  struct stat st {};
  const int fd = OpenRegularFile(fileName, st);
  std::string r = ReadToEnd(fd, std::min<int64_t>(st.st_size, maxBytes), maxBytes);
  if (int64_t(r.size()) > maxBytes) r.resize(static_cast<size_t>(maxBytes));
  return r;
}

std::string LoadFileBytes(const std::string& fileName) { return LoadRegularFileBytes(fileName, kMaxFileBytes); }

std::string LoadRegularFileBytes(const std::string& fileName, int64_t maxBytes) {
  auto refuse = [&](const std::string& why) -> EFOpenError {
    return EFOpenError("Cannot open file \"" + fileName + "\". " + why);
  };
  struct stat st {};
  const int fd = OpenRegularFile(fileName, st);
  const std::string tooLarge = "The file is larger than " + std::to_string(maxBytes) + " bytes";
  if (st.st_size > maxBytes) {
    ::close(fd);
    throw refuse(tooLarge);
  }
  // A file that grows while it is read is still held to the limit.
  std::string r = ReadToEnd(fd, st.st_size, maxBytes);
  if (int64_t(r.size()) > maxBytes) throw refuse(tooLarge);
  return r;
}

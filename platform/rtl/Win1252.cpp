#include "platform/rtl/Win1252.h"

#include <cstdint>
#include <cstring>

namespace {

const char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

}  // namespace

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool DecodeUtf8Char(std::string_view s, size_t& i, char32_t& c) {
  unsigned char b = static_cast<unsigned char>(s[i]);
  int len;
  char32_t min;
  if (b < 0x80) {
    c = b;
    ++i;
    return true;
  } else if ((b & 0xE0) == 0xC0) {
    len = 2; c = b & 0x1F; min = 0x80;
  } else if ((b & 0xF0) == 0xE0) {
    len = 3; c = b & 0x0F; min = 0x800;
  } else if ((b & 0xF8) == 0xF0) {
    len = 4; c = b & 0x07; min = 0x10000;
  } else {
    ++i;
    return false;
  }
  if (i + static_cast<size_t>(len) > s.size()) {
    ++i;
    return false;
  }
  for (int k = 1; k < len; ++k) {
    unsigned char t = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
    if ((t & 0xC0) != 0x80) {
      ++i;
      return false;
    }
    c = (c << 6) | (t & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++i;
    return false;
  }
  i += static_cast<size_t>(len);
  return true;
}

char16_t Win1252ToUnicodeChar(unsigned char b) {
  return (b >= 0x80 && b < 0xA0) ? kHigh[b - 0x80] : static_cast<char16_t>(b);
}

int UnicodeToWin1252Char(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == c) return 0x80 + i;
  return -1;
}

std::u16string Win1252ToUnicode(std::string_view s) {
  std::u16string r;
  r.reserve(s.size());
  for (char ch : s) r += Win1252ToUnicodeChar(static_cast<unsigned char>(ch));
  return r;
}

std::string UnicodeToWin1252(std::u16string_view s, char replacement) {
  std::string r;
  r.reserve(s.size());
  for (char16_t ch : s) {
    int b = UnicodeToWin1252Char(ch);
    r += b < 0 ? replacement : static_cast<char>(b);
  }
  return r;
}

std::string Win1252ToUtf8(std::string_view s) {
  std::string r;
  r.reserve(s.size() + s.size() / 4);
  for (char ch : s) AppendUtf8(r, Win1252ToUnicodeChar(static_cast<unsigned char>(ch)));
  return r;
}

std::string Utf8ToWin1252(std::string_view s, char replacement) {
  std::string r;
  r.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    char32_t c;
    if (!DecodeUtf8Char(s, i, c)) {
      r += replacement;
      continue;
    }
    int b = UnicodeToWin1252Char(c);
    r += b < 0 ? replacement : static_cast<char>(b);
  }
  return r;
}

bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  char32_t c;
  while (i < s.size()) {
    // ASCII 32 and then eight bytes at a time: a long text reads at the speed of memory.
    uint64_t word, w[4];
    while (i + 32 <= s.size() && (std::memcpy(w, s.data() + i, 32), ((w[0] | w[1] | w[2] | w[3]) & 0x8080808080808080ULL) == 0))
      i += 32;
    while (i + 8 <= s.size() && (std::memcpy(&word, s.data() + i, 8), (word & 0x8080808080808080ULL) == 0)) i += 8;
    if (i < s.size() && !DecodeUtf8Char(s, i, c)) return false;
  }
  return true;
}

std::u16string Utf8ToUtf16(std::string_view s) {
  std::u16string r;
  r.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    char32_t c;
    if (!DecodeUtf8Char(s, i, c)) c = 0xFFFD;
    if (c >= 0x10000) {
      c -= 0x10000;
      r += static_cast<char16_t>(0xD800 + (c >> 10));
      r += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      r += static_cast<char16_t>(c);
    }
  }
  return r;
}

std::string Utf16ToUtf8(std::u16string_view s) {
  std::string r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    char32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    AppendUtf8(r, c);
  }
  return r;
}

std::string WideLineBreaksAsCrLf(std::string_view s) {
  const bool utf8 = IsValidUtf8(s);
  std::string text;
  text.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\v' || s[i] == '\f') {
      text += "\r\n";
    } else if (utf8 && (s.substr(i, 3) == "\xE2\x80\xA8" || s.substr(i, 3) == "\xE2\x80\xA9")) {
      text += "\r\n";
      i += 2;
    } else {
      text += s[i];
    }
  }
  return text;
}

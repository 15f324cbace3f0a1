#pragma once
// The one pair of helpers that turn a character into a Windows-1252 byte and
// back, and the UTF-8/UTF-16 conversions built on them.

#include <string>
#include <string_view>

// The character of a byte. The five bytes without a character (81, 8D, 8F, 90, 9D)
// map to the control characters of the same value, so every byte round-trips.
char16_t Win1252ToUnicodeChar(unsigned char b);
// The byte of a character, or -1 when the character set has none.
int UnicodeToWin1252Char(char32_t c);

std::u16string Win1252ToUnicode(std::string_view s);
// Characters without a byte become `replacement`.
std::string UnicodeToWin1252(std::u16string_view s, char replacement = '?');

std::string Win1252ToUtf8(std::string_view s);
// Invalid sequences and characters without a byte become `replacement`.
std::string Utf8ToWin1252(std::string_view s, char replacement = '?');

bool IsValidUtf8(std::string_view s);
// Decodes the UTF-8 character at s[i] and steps past it; an invalid sequence steps one byte and gives false.
bool DecodeUtf8Char(std::string_view s, size_t& i, char32_t& c);
// Appends a character as UTF-8.
void AppendUtf8(std::string& out, char32_t c);
// Invalid input becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view s);
// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view s);
// Wide text's further line breaks (VT, FF and, in valid UTF-8, U+2028 and U+2029) as CR LF,
// for string lists that split only at CR and LF.
std::string WideLineBreaksAsCrLf(std::string_view s);

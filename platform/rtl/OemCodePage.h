#pragma once
// The OEM character set of the program: code page 437, the PC's own. Text that
// must survive being stored in the OEM set goes through it and back.

#include <string>
#include <string_view>

// The character of an OEM byte (bytes below 0x80 are ASCII).
char16_t OemToUnicodeChar(unsigned char b);
// The OEM byte of a character, or -1 when the set has none.
int UnicodeToOemChar(char32_t c);

// Text as it comes back from the OEM set: characters the set lacks become
// Replacement. The text keeps its encoding (UTF-8 when valid UTF-8, else
// Windows-1252), decided once for the whole text.
std::string OemRoundTrip(std::string_view Text, char Replacement = '?');

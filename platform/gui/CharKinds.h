#pragma once
// The system's character classes (IsCharAlphaNumeric) for characters of any script.

// A letter or a decimal digit.
bool IsCharAlphaNumericW(char32_t Ch);

#pragma once
// The locale's comparisons. AnsiCompareStr, AnsiCompareText and AnsiSameText (SysUtils) read each
// text as UTF-8 when it is valid UTF-8, else as Windows-1252, and compare as the wide forms do.

#include <string_view>

// -1, 0 or 1 by the installed collation; ...Text ignores case.
int WideCompareText(std::u16string_view a, std::u16string_view b);
int WideCompareStr(std::u16string_view a, std::u16string_view b);
// The locale's collation: <0, 0 or >0. The GUI layer installs the user's locale's; without one
// texts compare by code point, ASCII and Latin-1 letters folded when case is ignored.
using TCollateFunc = int (*)(std::u16string_view a, std::u16string_view b, bool IgnoreCase);
void SetCollation(TCollateFunc Collate);

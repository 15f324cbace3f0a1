#pragma once
// The user's locale's collation behind the runtime's comparisons (AnsiCompareText, AnsiCompareStr,
// WideCompareText and their kin).

#include <string>

// Installs the collation; done once when the forms start up.
void InstallLocaleCollation();
// The locale whose collation is used, by name ("fr_FR"); empty: the user's (LC_COLLATE). Tests
// name one so that they do not depend on the machine's.
void SetCollationLocale(const std::string& Name);

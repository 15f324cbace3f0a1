#pragma once
// The two locales the grid routines are tested in.

#include <ostream>
#include <string>

#include "controls/grid/ExtUtil.h"

inline ExtUtil::TLocale EnglishUS() { return {',', '.', '/', "M/d/yyyy", "h:mm AMPM"}; }
inline ExtUtil::TLocale GermanDE() { return {'.', ',', '.', "dd.MM.yyyy", "HH:mm"}; }

// Texts written the way each locale writes them.
struct TLocaleCase {
  const char* Name;
  ExtUtil::TLocale Locale;
  std::string Grouped;        // 1,234.5 / 1.234,5
  std::string TwoGroups;      // 1,234,567 / 1.234.567
  std::string Parenthesised;  // (1,234.50) / (1.234,50)
  std::string EarlyDate;      // 12/31/1999 / 31.12.1999
  std::string LaterDate;      // 1/1/2000 / 1.1.2000
  std::string February30;     // 2/30/2000 / 30.2.2000
  char DateSeparator;
};

inline TLocaleCase EnglishCase() {
  return {"enUS", EnglishUS(), "1,234.5", "1,234,567", "(1,234.50)", "12/31/1999", "1/1/2000", "2/30/2000", '/'};
}
inline TLocaleCase GermanCase() {
  return {"deDE", GermanDE(), "1.234,5", "1.234.567", "(1.234,50)", "31.12.1999", "1.1.2000", "30.2.2000", '.'};
}

inline void PrintTo(const TLocaleCase& c, std::ostream* os) { *os << c.Name; }

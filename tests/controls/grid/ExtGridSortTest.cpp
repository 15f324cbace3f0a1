// Sorting checked against a model: random tables sorted by each kind of style must give the order
// a plain stable sort of the model gives, every row kept once; an answer-at-random comparison still
// gives a permutation; the unsorted order survives insertions and removals; header clicks sort.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <locale.h>
#include <functional>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "controls/grid/ExtUtil.h"
#include "platform/gui/Collation.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"
#include "tests/controls/grid/GridInputFixture.h"

namespace {

class SortTest : public GridInputTest {
 public:
  // Rows 1.. get (id, key, second key); column 0 holds the id, column 3 the id again.
  void Fill(const std::vector<std::pair<std::string, std::string>>& Keys) {
    grid->SetRowCount(static_cast<int>(Keys.size()) + 1);
    for (size_t i = 0; i < Keys.size(); ++i) {
      int r = static_cast<int>(i) + 1;
      grid->SetCells(0, r, Id(i));
      grid->SetCells(1, r, Keys[i].first);
      grid->SetCells(2, r, Keys[i].second);
      grid->SetCells(3, r, Id(i));
      grid->SetCells(4, r, "");
    }
  }
  static std::string Id(size_t i) {
    char b[32];
    snprintf(b, sizeof b, "#%05zu", i);
    return b;
  }
  // (first row, rows) of each vertical merged area of a column.
  using TAreas = std::vector<std::pair<int, int>>;
  TAreas Areas(int c) const {
    TAreas v;
    for (int r = 1; r < grid->RowCount(); ++r)
      if (grid->IsBaseCell(c, r) && grid->IsYMergedCell(c, r)) v.emplace_back(r, grid->CellSpan(c, r).Y + 1);
    return v;
  }
  std::vector<std::string> Column(int c) const {
    std::vector<std::string> v;
    for (int r = 1; r < grid->RowCount(); ++r) v.push_back(grid->Cells(c, r));
    return v;
  }
};

using TKeyOf = std::function<std::tuple<int, double, std::string>(const std::string&)>;

std::tuple<int, double, std::string> Alpha(const std::string& s) { return {0, 0, s}; }
std::tuple<int, double, std::string> NoCase(const std::string& s) {
  std::string u = s;
  for (char& c : u) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return {0, 0, u + '\0' + s};
}
std::tuple<int, double, std::string> Number(const std::string& s) {
  if (s.empty()) return {0, 0, ""};
  try {
    size_t used = 0;
    double v = std::stod(s, &used);
    if (used == s.size()) return {0, v, ""};
  } catch (const std::exception&) {
  }
  return {1, 0, ""};  // no number: after every number, all equal
}
std::tuple<int, double, std::string> DateEU(const std::string& s) {
  int d, m, y;
  if (sscanf(s.c_str(), "%d/%d/%d", &d, &m, &y) != 3) return {0, 0, ""};
  return {0, y * 10000.0 + m * 100 + d, ""};
}

std::string RandomText(std::mt19937& g, int kind) {
  std::uniform_int_distribution<int> pick(0, 9);
  // Long texts sharing their first 8 bytes are told apart after them.
  const char* words[] = {"abc", "ABC", "Abd", "b", "", "zeta", "ab", "B", "a c", "abc", "prefix--b", "prefix--a2"};
  char buf[32];
  switch (kind) {
    case 0: return words[g() % 12];
    case 1:
      if (pick(g) == 0) return "n/a";
      snprintf(buf, sizeof buf, "%d", static_cast<int>(g() % 2001) - 1000);
      if (pick(g) == 1) snprintf(buf, sizeof buf, "%d.%d", static_cast<int>(g() % 50), pick(g));
      return buf;
    default:
      if (pick(g) == 0) return "31/02";  // no date: counts as day 0
      snprintf(buf, sizeof buf, "%02d/%02d/%04d", 1 + static_cast<int>(g() % 28), 1 + static_cast<int>(g() % 12),
               1990 + static_cast<int>(g() % 30));
      return buf;
  }
}

// Every style against its model, both directions, with and without the next column deciding ties.
TEST_F(SortTest, RandomTablesSortAsTheModelSays) {
  struct Case {
    TSortStyle Style;
    int Kind;
    TKeyOf Key;
  };
  const Case cases[] = {{ssAlphabetic, 0, Alpha}, {ssAlphaNoCase, 0, NoCase}, {ssNumeric, 1, Number},
                        {ssShortDateEU, 2, DateEU}, {ssAutomatic, 1, Number}};
  std::mt19937 g(7);
  for (const Case& c : cases)
    for (bool desc : {false, true})
      for (bool full : {false, true}) {
        std::vector<std::pair<std::string, std::string>> keys;
        for (int i = 0; i < 300; ++i) keys.emplace_back(RandomText(g, c.Kind), RandomText(g, 0));
        if (c.Style == ssAutomatic)
          for (auto& k : keys)
            if (k.first == "n/a" || k.first.empty()) k.first = "7";  // automatic: a column of numbers
        Fill(keys);
        grid->SortSettings()->Column = 1;
        grid->SortSettings()->Direction = desc ? sdDescending : sdAscending;
        grid->SortSettings()->Full = full;
        grid->OnGetFormat = [&](TObject*, int ACol, TSortStyle& S, std::string&, std::string&) {
          S = ACol == 1 ? c.Style : ssAlphabetic;
        };
        grid->SortByColumn();
        std::vector<size_t> model(keys.size());
        for (size_t i = 0; i < model.size(); ++i) model[i] = i;
        std::stable_sort(model.begin(), model.end(), [&](size_t a, size_t b) {
          auto ka = c.Key(keys[a].first), kb = c.Key(keys[b].first);
          if (ka != kb) return desc ? kb < ka : ka < kb;
          if (!full) return false;
          if (keys[a].second != keys[b].second) return desc ? keys[b].second < keys[a].second : keys[a].second < keys[b].second;
          return desc ? b < a : a < b;  // the id columns decide the rest
        });
        std::vector<std::string> want;
        for (size_t i : model) want.push_back(Id(i));
        SCOPED_TRACE("style " + std::to_string(c.Style) + (desc ? " desc" : " asc") + (full ? " full" : ""));
        EXPECT_EQ(Column(0), want);
        EXPECT_EQ(Column(3), want);  // whole rows moved
      }
}

// Small cases the styles and settings must get right, each as the column it leaves.
TEST_F(SortTest, SettingsAndStylesGiveTheirOrder) {
  auto Wide = [](std::vector<std::string> Texts) {
    for (std::string& t : Texts) t = ExtUtil::EncodeWideText(Utf8ToUtf16(t));
    return Texts;
  };
  struct Case {
    std::string Name;
    std::vector<std::string> In;
    std::function<void(TExtStringGrid*)> Set;
    std::vector<std::string> Want;
  };
  auto style = [](TSortStyle S, std::string Prefix = "") {
    return [S, Prefix](TExtStringGrid* G) {
      G->OnGetFormat = [S, Prefix](TObject*, int, TSortStyle& St, std::string& P, std::string&) {
        St = S;
        P = Prefix;
      };
    };
  };
  const std::vector<Case> cases = {
      {"blanks last ascending", {"b", "", "a", ""}, [](TExtStringGrid* G) {
         G->SortSettings()->IgnoreBlanks = true;
         G->SortSettings()->BlankPos = blLast;
       }, {"a", "b", "", ""}},
      {"blanks last descending", {"b", "", "a", ""}, [](TExtStringGrid* G) {
         G->SortSettings()->IgnoreBlanks = true;
         G->SortSettings()->BlankPos = blLast;
         G->SortSettings()->Direction = sdDescending;
       }, {"b", "a", "", ""}},
      {"no case: case breaks ties", {"abc", "ABC", "Abc", "abd"}, style(ssAlphaNoCase), {"ABC", "Abc", "abc", "abd"}},
      {"currency prefix", {"$10", "$9", "$100"}, style(ssNumeric, "$"), {"$9", "$10", "$100"}},
      {"texts that only start with a number stay in order", {"12abc", "5xyz", "3"}, style(ssNumeric),
       {"3", "12abc", "5xyz"}},
      {"no date is day 0", {"03/04/2001", "xx", "01/01/1999"}, style(ssShortDateEU), {"xx", "01/01/1999", "03/04/2001"}},
      {"alphanumeric", {"10", "9", "b", "a"}, style(ssAlphaNumeric), {"9", "10", "a", "b"}},
      {"automatic numbers", {"10", "9", "-1,000", "2.5"}, [](TExtStringGrid*) {}, {"-1,000", "2.5", "9", "10"}},
      {"automatic mixed column", {"b", "10", "a", "9", "01/02/2003"}, [](TExtStringGrid*) {},
       {"9", "10", "01/02/2003", "a", "b"}},
      {"financial", {"1,200.5", "990", "12"}, style(ssFinancial), {"12", "990", "1,200.5"}},
      {"texts equal in their first 8 bytes", {"abcdefgh-z", "abcdefgh", "abcdefgh-a", "abcdefg", "abcdefgh\x01"},
       style(ssAlphabetic), {"abcdefg", "abcdefgh", "abcdefgh\x01", "abcdefgh-a", "abcdefgh-z"}},
      {"no case: long texts", {"Sensor-Temp-2", "sensor-temp-1", "SENSOR-TEMP-1"}, style(ssAlphaNoCase),
       {"SENSOR-TEMP-1", "sensor-temp-1", "Sensor-Temp-2"}},
      {"locale, no case", {"Zebra", "\u00e9clair", "Eagle", "fig", "\u011a", "\u010a"}, style(ssAnsiAlphaNoCase),
       {"\u010a", "\u011a", "Eagle", "\u00e9clair", "fig", "Zebra"}},
      {"locale, case", {"b", "B", "\u00c9", "a", "e"}, style(ssAnsiAlphaCase), {"a", "b", "B", "e", "\u00c9"}},
      {"unicode: the wide texts", Wide({"Zebra", "\u00e9clair", "Eagle", "fig"}), style(ssUnicode),
       Wide({"Eagle", "\u00e9clair", "fig", "Zebra"})},
  };
  SetCollationLocale("en_US");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    std::vector<std::pair<std::string, std::string>> keys;
    for (auto& s : c.In) keys.emplace_back(s, "");
    Fill(keys);
    TSortSettings fresh(grid);
    grid->SortSettings()->Assign(&fresh);
    grid->SortSettings()->Column = 1;
    grid->SortSettings()->Full = false;
    grid->OnGetFormat = nullptr;
    c.Set(grid);
    grid->SortByColumn();
    EXPECT_EQ(Column(1), c.Want);
  }
  SetCollationLocale("");
}

// The user's locale set to German for a scope. Where the system has not installed it, it is
// built from the C library's locale sources (Debian's "locales") into a folder of the test's own.
class TGermanLocale {
 public:
  static constexpr const char* Name = "de_DE.UTF-8";
  TGermanLocale() : all_(Saved("LC_ALL")), path_(Saved("LOCPATH")) {
    if (!Available()) {
      char tmpl[] = "/tmp/velmaron-locale-XXXXXX";
      if (mkdtemp(tmpl)) {
        dir_ = tmpl;
        const std::string cmd = "localedef -i de_DE -f UTF-8 '" + dir_ + "/" + Name + "' >/dev/null 2>&1";
        (void)std::system(cmd.c_str());  // warnings give a non-zero exit with a usable locale
        setenv("LOCPATH", dir_.c_str(), 1);
      }
    }
    setenv("LC_ALL", Name, 1);
  }
  ~TGermanLocale() {
    Restore("LC_ALL", all_);
    Restore("LOCPATH", path_);
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }
  static bool Available() {
    locale_t l = newlocale(LC_ALL_MASK, Name, static_cast<locale_t>(0));
    if (l) freelocale(l);
    return l != static_cast<locale_t>(0);
  }

 private:
  using TSaved = std::pair<bool, std::string>;
  static TSaved Saved(const char* var) {
    const char* v = getenv(var);
    return {v != nullptr, v ? v : ""};
  }
  static void Restore(const char* var, const TSaved& v) {
    if (v.first) setenv(var, v.second.c_str(), 1);
    else unsetenv(var);
  }
  TSaved all_, path_;
  std::string dir_;
};

// The program takes the user's formats at start: under German ones dates are day.month.year
// and numbers have a decimal comma, and the date and number sorts order them by value.
TEST_F(SortTest, UnderTheUsersGermanFormatsDatesAndDecimalCommasSortByValue) {
  TFormatSettingsScope scope;
  TGermanLocale german;
  ASSERT_TRUE(TGermanLocale::Available()) << "de_DE.UTF-8 cannot be made: install the package \"locales\"";
  LoadSystemFormatSettings();
  EXPECT_EQ(FormatSettings.DecimalSeparator, ',');
  EXPECT_EQ(FormatSettings.DateSeparator, '.');
  const struct {
    TSortStyle Style;
    std::vector<std::string> In, Want;
  } cases[] = {
      {ssDate, {"03.04.2001", "15.01.2001", "01.12.1999", "24.12.2000"},
       {"01.12.1999", "24.12.2000", "15.01.2001", "03.04.2001"}},
      {ssNumeric, {"10", "1,5", "2", "1,25", "-0,5"}, {"-0,5", "1,25", "1,5", "2", "10"}},
      {ssAutomatic, {"10", "1,5", "2", "1,25"}, {"1,25", "1,5", "2", "10"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.In[1]);
    std::vector<std::pair<std::string, std::string>> keys;
    for (auto& s : c.In) keys.emplace_back(s, "");
    Fill(keys);
    grid->SortSettings()->Column = 1;
    grid->SortSettings()->Full = false;
    const TSortStyle style = c.Style;
    grid->OnGetFormat = [style](TObject*, int, TSortStyle& St, std::string&, std::string&) { St = style; };
    grid->SortByColumn();
    EXPECT_EQ(Column(1), c.Want);
  }
  grid->OnGetFormat = nullptr;
}

// A comparison that answers at random still leaves every row exactly once.
TEST_F(SortTest, RandomComparisonKeepsEveryRow) {
  std::mt19937 g(3);
  std::vector<std::pair<std::string, std::string>> keys;
  for (int i = 0; i < 2000; ++i) keys.emplace_back(RandomText(g, 0), "");
  Fill(keys);
  grid->SortSettings()->Column = 1;
  grid->OnGetFormat = [](TObject*, int, TSortStyle& S, std::string&, std::string&) { S = ssCustom; };
  grid->OnCustomCompare = [&](TObject*, const std::string&, const std::string&, int& R) {
    R = static_cast<int>(g() % 3) - 1;
  };
  grid->SortByColumn();
  std::vector<std::string> ids = Column(0), want;
  std::sort(ids.begin(), ids.end());
  for (size_t i = 0; i < keys.size(); ++i) want.push_back(Id(i));
  EXPECT_EQ(ids, want);
  EXPECT_EQ(Column(0), Column(3));
}

// The format handler is asked for every comparison (it may answer differently each time).
TEST_F(SortTest, TheFormatIsAskedForEveryComparison) {
  Fill({{"c", ""}, {"a", ""}, {"d", ""}, {"b", ""}, {"e", ""}});
  grid->SortSettings()->Column = 1;
  grid->SortSettings()->Full = false;
  int formats = 0, compares = 0;
  grid->OnGetFormat = [&](TObject*, int ACol, TSortStyle& S, std::string&, std::string&) {
    EXPECT_EQ(ACol, 1);
    ++formats;
    S = ssCustom;
  };
  grid->OnCustomCompare = [&](TObject*, const std::string& A, const std::string& B, int& R) {
    ++compares;
    R = A.compare(B);
  };
  grid->SortByColumn();
  EXPECT_EQ(Column(1), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
  EXPECT_GT(compares, 1);
  EXPECT_EQ(formats, compares);
}

// Sort, insert 100, remove 50, sort again: the restore gives the model's order, and the grid
// paints again (its update level is back to 0).
TEST_F(SortTest, RestoreFollowsInsertionsAndRemovals) {
  std::mt19937 g(11);
  std::vector<std::pair<std::string, std::string>> keys;
  for (int i = 0; i < 200; ++i) keys.emplace_back(RandomText(g, 1), RandomText(g, 0));
  Fill(keys);
  std::vector<std::string> unsorted = Column(0);
  grid->SortSettings()->Column = 1;
  grid->SortByColumn();
  for (int i = 0; i < 100; ++i) {
    int at = 1 + static_cast<int>(g() % static_cast<unsigned>(grid->RowCount()));
    std::string before = at > 1 ? grid->Cells(0, at - 1) : "";
    grid->InsertRows(at, 1);
    std::string id = "new" + std::to_string(i);
    grid->SetCells(0, at, id);
    grid->SetCells(3, at, id);
    auto pos = before.empty() ? unsorted.begin() : std::find(unsorted.begin(), unsorted.end(), before) + 1;
    unsorted.insert(pos, id);
  }
  for (int i = 0; i < 50; ++i) {
    int at = 1 + static_cast<int>(g() % static_cast<unsigned>(grid->RowCount() - 1));
    unsorted.erase(std::find(unsorted.begin(), unsorted.end(), grid->Cells(0, at)));
    grid->RemoveRows(at, 1);
  }
  grid->SortSettings()->Column = 2;
  grid->SortSettings()->Direction = sdDescending;
  grid->SortByColumn();
  grid->RestoreUnsortedOrder();
  EXPECT_EQ(Column(0), unsorted);
  EXPECT_EQ(Column(3), unsorted);
  EXPECT_EQ(grid->UpdateCount(), 0);
  EXPECT_EQ(grid->Cells(0, 0), "0:0");  // the fixed row stayed
}

// A handler that raises leaves the grid as it was and its update level closed; an empty index
// list is refused with the grid's message.
TEST_F(SortTest, FailuresLeaveTheGridUnchanged) {
  std::mt19937 g(5);
  std::vector<std::pair<std::string, std::string>> keys;
  for (int i = 0; i < 50; ++i) keys.emplace_back(RandomText(g, 0), "");
  Fill(keys);
  std::vector<std::string> before = Column(1);
  grid->SortSettings()->Column = 1;
  int calls = 0;
  grid->OnGetFormat = [](TObject*, int, TSortStyle& S, std::string&, std::string&) { S = ssCustom; };
  grid->OnCustomCompare = [&](TObject*, const std::string&, const std::string&, int&) {
    if (++calls == 40) throw std::runtime_error("compare failed");
  };
  EXPECT_THROW(grid->SortByColumn(), std::runtime_error);
  EXPECT_EQ(Column(1), before);
  EXPECT_EQ(grid->UpdateCount(), 0);
  grid->SortIndexes()->Clear();
  try {
    grid->SortByIndexes();
    ADD_FAILURE() << "no error";
  } catch (const EExtGridError& e) {
    EXPECT_EQ(std::string(e.Message()), "No indexes specified for indexed sort");
  }
}

// What travels with a sort and what stays: row headers with NormalCellsOnly, only the sort
// column with SingleColumn, the current row with MoveRowOnSort.
TEST_F(SortTest, WhatMovesWithTheRows) {
  Fill({{"c", "1"}, {"a", "2"}, {"b", "3"}});
  grid->SetCells(0, 1, "r1");
  grid->SetCells(0, 2, "r2");
  grid->SetCells(0, 3, "r3");
  grid->SortSettings()->Column = 1;
  grid->SortSettings()->NormalCellsOnly = true;
  grid->SortByColumn();
  EXPECT_EQ(Column(0), (std::vector<std::string>{"r1", "r2", "r3"}));
  EXPECT_EQ(Column(2), (std::vector<std::string>{"2", "3", "1"}));
  grid->SortSettings()->NormalCellsOnly = false;

  grid->SortSettings()->SingleColumn = true;
  grid->SortSettings()->Direction = sdDescending;
  grid->SortByColumn();
  EXPECT_EQ(Column(1), (std::vector<std::string>{"c", "b", "a"}));
  EXPECT_EQ(Column(2), (std::vector<std::string>{"2", "3", "1"}));
  grid->SortSettings()->SingleColumn = false;

  grid->SetRow(1);  // "c"
  grid->Navigation()->MoveRowOnSort = true;
  grid->SortSettings()->Direction = sdAscending;
  grid->SortByColumn();
  EXPECT_EQ(grid->Cells(1, grid->Row()), "c");
  grid->Navigation()->MoveRowOnSort = false;
  grid->SetRow(1);
  int reported = -1;
  grid->OnRowUpdate = [&](TObject*, int, int NewRow) { reported = NewRow; };
  grid->SortSettings()->Direction = sdDescending;
  grid->SortByColumn();
  EXPECT_EQ(grid->Row(), 1);
  EXPECT_EQ(reported, 1);
}

// A compare handler that clears cells: the row headers a NormalCellsOnly sort writes back keep
// their texts and colours; a cleared data column stays cleared.
TEST_F(SortTest, ACompareHandlerClearingCellsLosesNothingTheSortWritesBack) {
  const struct {
    int cleared;
    std::vector<std::string> col0, col2;
    bool col0Red, col2Red;
  } cases[] = {
      {0, {"r1", "r2", "r3"}, {"2", "3", "1"}, true, true},
      {2, {"r1", "r2", "r3"}, {"", "", ""}, true, false},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.cleared);
    Fill({{"c", "1"}, {"a", "2"}, {"b", "3"}});
    for (int r = 1; r <= 3; ++r) {
      grid->SetCells(0, r, "r" + std::to_string(r));
      grid->SetColors(0, r, clRed);
      grid->SetColors(2, r, clRed);
    }
    grid->SortSettings()->Column = 1;
    grid->SortSettings()->NormalCellsOnly = true;
    grid->OnGetFormat = [](TObject*, int, TSortStyle& S, std::string&, std::string&) { S = ssCustom; };
    bool first = true;
    grid->OnCustomCompare = [&](TObject*, const std::string& A, const std::string& B, int& R) {
      if (std::exchange(first, false)) grid->ClearRect(k.cleared, 0, k.cleared, grid->RowCount() - 1);
      R = A.compare(B);
    };
    grid->SortByColumn();
    EXPECT_EQ(Column(0), k.col0);
    EXPECT_EQ(Column(2), k.col2);
    for (int r = 1; r <= 3; ++r) {
      EXPECT_EQ(grid->Colors(0, r) == clRed, k.col0Red) << r;
      EXPECT_EQ(grid->Colors(2, r) == clRed, k.col2Red) << r;
    }
    grid->OnCustomCompare = nullptr;
    grid->OnGetFormat = nullptr;
    grid->SortSettings()->NormalCellsOnly = false;
    grid->ClearAll();
  }
}

// Clicks on the headers: a column sorts, a second click turns it round, UndoSort brings the
// unsorted order back; Shift with IndexShow sorts on two columns.
TEST_F(SortTest, HeaderClicksSort) {
  Fill({{"b", "2"}, {"a", "9"}, {"b", "1"}, {"a", "3"}});
  std::vector<std::string> unsorted = Column(0);
  grid->SortSettings()->SetShow(true);
  grid->SortSettings()->UndoSort = true;
  grid->SortSettings()->IndexShow = true;
  Flush();
  ClickCell(2, 0);
  EXPECT_EQ(Column(2), (std::vector<std::string>{"1", "2", "3", "9"}));
  ClickCell(2, 0);
  EXPECT_EQ(Column(2), (std::vector<std::string>{"9", "3", "2", "1"}));
  ClickCell(2, 0);
  EXPECT_EQ(Column(0), unsorted);
  ClickCell(1, 0);
  ClickCell(2, 0, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(grid->SortIndexes()->Count(), 2);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"a", "a", "b", "b"}));
  EXPECT_EQ(Column(2), (std::vector<std::string>{"3", "9", "1", "2"}));
  ClickCell(2, 0, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(Column(2), (std::vector<std::string>{"9", "3", "2", "1"}));
}

// Vertical merges of a sorted column: equal neighbours merge into one area per run (by text, or by
// text and the merges of a column merged before), and the split gives every cell back.
TEST_F(SortTest, ColumnCellsMergeByRunsAndSplit) {
  Fill({{"a", "x"}, {"a", "x"}, {"b", "x"}, {"b", "y"}, {"b", "y"}, {"c", "y"}, {"a", "z"}, {"a", "z"}});
  auto areas = [&](int c) {
    std::vector<std::pair<int, int>> v;  // (first row, rows) of each area
    for (int r = 1; r < grid->RowCount(); ++r)
      if (grid->IsBaseCell(c, r) && grid->IsYMergedCell(c, r)) v.emplace_back(r, grid->CellSpan(c, r).Y + 1);
    return v;
  };
  using TAreas = std::vector<std::pair<int, int>>;
  grid->MergeColumnCells(2, true);
  EXPECT_EQ(areas(2), (TAreas{{1, 3}, {4, 3}, {7, 2}}));
  grid->MergeColumnCells(1, false);  // "b" runs over rows 3..5, but row 3 is in another area of column 2
  EXPECT_EQ(areas(1), (TAreas{{1, 2}, {4, 2}, {7, 2}}));
  EXPECT_EQ(grid->Cells(1, 5), "b") << "a covered cell reads its base";
  grid->SplitColumnCells(1);
  grid->SplitColumnCells(2);
  EXPECT_TRUE(areas(1).empty());
  EXPECT_TRUE(areas(2).empty());
  EXPECT_EQ(Column(1), (std::vector<std::string>{"a", "a", "b", "b", "b", "c", "a", "a"}));
  grid->MergeColumnCells(1, true);
  EXPECT_EQ(areas(1), (TAreas{{1, 2}, {3, 3}, {7, 2}}));
}

// The merge list: every change splits all columns and merges the listed ones again, the first by
// text alone, the others by text and the merges they share with those before.
TEST_F(SortTest, TheMergeListMergesItsColumnsWheneverItChanges) {
  Fill({{"a", "x"}, {"a", "x"}, {"b", "x"}, {"b", "y"}, {"b", "y"}, {"c", "y"}, {"a", "z"}, {"a", "z"}});
  grid->MergeCells(3, 1, 1, 2);  // a merge of a column not listed goes at the first change
  struct TStep {
    const char* Name;
    std::function<void()> Change;
    TAreas Col1, Col2;
  };
  const std::vector<TStep> steps = {
      {"set to column 2", [&] { grid->SetMergeColumns({2}); }, {}, {{1, 3}, {4, 3}, {7, 2}}},
      {"column 1 added: by text and the merges of column 2", [&] { grid->MergeColumns()->Add(1); },
       {{1, 2}, {4, 2}, {7, 2}}, {{1, 3}, {4, 3}, {7, 2}}},
      {"column 2 deleted: column 1 first, by text alone", [&] { grid->MergeColumns()->Delete(0); },
       {{1, 2}, {3, 3}, {7, 2}}, {}},
      {"a column the grid lacks merges nothing", [&] { grid->MergeColumns()->SetInteger(0, 9); }, {}, {}},
      {"read from text", [&] { grid->MergeColumns()->SetStrValue("2"); }, {}, {{1, 3}, {4, 3}, {7, 2}}},
      {"emptied", [&] { grid->SetMergeColumns({}); }, {}, {}},
  };
  for (const TStep& s : steps) {
    s.Change();
    EXPECT_EQ(Areas(1), s.Col1) << s.Name;
    EXPECT_EQ(Areas(2), s.Col2) << s.Name;
    EXPECT_TRUE(Areas(3).empty()) << s.Name;
  }
  EXPECT_EQ(Column(1), (std::vector<std::string>{"a", "a", "b", "b", "b", "c", "a", "a"}));
}

// With AutoColumnMerge a header click sort splits every merge first and merges the listed column
// by its new runs; without it the grid's merges are left to the program.
TEST_F(SortTest, AHeaderClickSortMergesTheListedColumnsAgain) {
  Fill({{"b", "2"}, {"a", "9"}, {"b", "1"}, {"a", "3"}, {"c", "5"}});
  grid->SortSettings()->SetShow(true);
  grid->SortSettings()->AutoColumnMerge = true;
  grid->SetMergeColumns({1});
  EXPECT_TRUE(Areas(1).empty()) << "no equal neighbours before the sort";
  Flush();
  ClickCell(1, 0);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"a", "a", "b", "b", "c"}));
  EXPECT_EQ(Areas(1), (TAreas{{1, 2}, {3, 2}}));
  ClickCell(2, 0);  // sorted by column 2: no run of equal texts in column 1 is left
  EXPECT_EQ(Column(2), (std::vector<std::string>{"1", "2", "3", "5", "9"}));
  EXPECT_EQ(Column(1), (std::vector<std::string>{"b", "b", "a", "c", "a"}));
  EXPECT_EQ(Areas(1), (TAreas{{1, 2}}));
  // A handler that stops the sort leaves the rows as they stood, merged as before.
  grid->OnGetFormat = [](TObject*, int, TSortStyle&, std::string&, std::string&) {
    throw std::runtime_error("no format");
  };
  EXPECT_THROW(grid->HeaderClickSort(1, 0), std::runtime_error);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"b", "b", "a", "c", "a"}));
  EXPECT_EQ(Areas(1), (TAreas{{1, 2}}));
}

}  // namespace

namespace {

// The sort keys read the text Cells answers: a covered cell of a merged area its base cell's
// text, and with a display-text event the text the event gives, for every key style.
TEST_F(SortTest, KeysAreTheTextsCellsAnswers) {
  struct Case {
    const char* Name;
    TSortStyle Style;
    std::vector<std::string> Stored;
    std::function<void(TExtStringGrid*)> Set;
    std::vector<std::string> Want;  // column 0 (the ids) after an ascending sort by column 1
  };
  // Stored "a".."d" are shown as the texts of the shown map.
  auto shown = [](std::map<std::string, std::string> Map) {
    return [Map](TExtStringGrid* G) {
      G->OnGetDisplText = [Map](TObject*, int ACol, int, std::string& V) {
        if (ACol != 1) return;
        auto it = Map.find(V);
        if (it != Map.end()) V = it->second;
      };
    };
  };
  const std::vector<Case> cases = {
      {"numbers shown", ssNumeric, {"a", "b", "c", "d"}, shown({{"a", "40"}, {"b", "3"}, {"c", "100"}, {"d", "-2"}}),
       {"#00003", "#00001", "#00000", "#00002"}},
      {"texts shown", ssAlphabetic, {"a", "b", "c", "d"},
       shown({{"a", "zeta"}, {"b", "alpha-long-text"}, {"c", "mu"}, {"d", "alpha"}}),
       {"#00003", "#00001", "#00002", "#00000"}},
      {"dates shown", ssShortDateEU, {"a", "b", "c", "d"},
       shown({{"a", "01/02/2020"}, {"b", "01/01/2020"}, {"c", "31/12/1999"}, {"d", "02/01/2020"}}),
       {"#00002", "#00001", "#00003", "#00000"}},
      {"wide text event", ssAlphabetic, {"b", "a", "c", "d"},
       [](TExtStringGrid* G) {
         G->OnGetDisplWideText = [](TObject*, int ACol, int, std::u16string& V) {
           if (ACol == 1) V = V == u"a" ? u"z" : V;
         };
       },
       {"#00000", "#00002", "#00003", "#00001"}},
      // Rows 2 and 3 are one merged area holding "7": row 3 sorts as 7 too, its own stored text
      // ("1") is not its key. Last: the area stays.
      {"merged numbers", ssNumeric, {"9", "7", "1", "8"},
       [](TExtStringGrid* G) { G->MergeCells(1, 2, 1, 2); },
       {"#00001", "#00002", "#00003", "#00000"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    grid->OnGetDisplText = nullptr;
    grid->OnGetDisplWideText = nullptr;
    Fill({{c.Stored[0], ""}, {c.Stored[1], ""}, {c.Stored[2], ""}, {c.Stored[3], ""}});
    if (c.Name == std::string("merged numbers")) grid->SetGridCells(1, 3, "1");
    grid->SortSettings()->Column = 1;
    grid->SortSettings()->Direction = sdAscending;
    grid->SortSettings()->Full = false;
    const TSortStyle style = c.Style;
    grid->OnGetFormat = [style](TObject*, int, TSortStyle& S, std::string&, std::string&) { S = style; };
    c.Set(grid);
    grid->SortByColumn();
    EXPECT_EQ(Column(0), c.Want);
  }
  grid->OnGetDisplText = nullptr;
  grid->OnGetDisplWideText = nullptr;
}

}  // namespace

namespace {

// A column of numbers alone (no key text) sorts by its values as a stable sort of the model does,
// for both directions, with and without cells that hold no number, and with blank cells kept in
// place or sent to either end.
TEST_F(SortTest, NumberColumnsSortByValueInEveryDirectionAndBlankRule) {
  std::mt19937 g(7);
  for (bool desc : {false, true})
    for (bool mixed : {false, true})
      for (bool ignore : {false, true})
        for (TSortBlankPosition pos : {blFirst, blLast}) {
          SCOPED_TRACE(::testing::Message() << "desc " << desc << " mixed " << mixed << " ignore " << ignore
                                            << " pos " << pos);
          std::vector<std::pair<std::string, std::string>> keys;
          for (int i = 0; i < 300; ++i) {
            const int k = static_cast<int>(g() % 12);
            keys.emplace_back(k == 0 ? "" : mixed && k == 1 ? "n/a" : std::to_string(static_cast<int>(g() % 41) - 20),
                              "");
          }
          Fill(keys);
          TSortSettings fresh(grid);
          grid->SortSettings()->Assign(&fresh);
          grid->SortSettings()->Column = 1;
          grid->SortSettings()->Full = false;
          grid->SortSettings()->Direction = desc ? sdDescending : sdAscending;
          grid->SortSettings()->IgnoreBlanks = ignore;
          grid->SortSettings()->BlankPos = pos;
          grid->OnGetFormat = [](TObject*, int, TSortStyle& S, std::string&, std::string&) { S = ssNumeric; };
          grid->SortByColumn();
          std::vector<size_t> model(keys.size());
          for (size_t i = 0; i < model.size(); ++i) model[i] = i;
          std::stable_sort(model.begin(), model.end(), [&](size_t a, size_t b) {
            const std::string &x = keys[a].first, &y = keys[b].first;
            if (ignore && x.empty() != y.empty()) return x.empty() == (pos == blFirst);
            const auto kx = Number(x), ky = Number(y);
            return desc ? ky < kx : kx < ky;
          });
          std::vector<std::string> want;
          for (size_t i : model) want.push_back(Id(i));
          EXPECT_EQ(Column(0), want);
        }
}

}  // namespace

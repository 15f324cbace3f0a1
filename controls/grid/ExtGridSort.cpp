// Sorting: how two cells compare by the column's sort style, the order of the data rows (a stable
// merge sort on keys computed once per row), carrying that order out through SwapRows, the row
// order list that remembers the unsorted order, and the header click.
//
// The order is computed whole before any row moves: an event that raises leaves the grid as it
// was, and an inconsistent OnCustomCompare still gives a permutation (the merge sort never reads
// outside its runs, whatever the answers).
#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <memory>
#include <numeric>
#include <string_view>
#include <type_traits>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtUtil.h"
#include "controls/markup/MarkupText.h"
#include "platform/rtl/LocaleCompare.h"

namespace {

// Classes of values a column may mix: values of one class compare among themselves, classes in this order.
enum TKeyRank : int8_t { krNumber, krDate, krTime, krCheck, krText, krNoNumber };

struct TSortKey {
  std::string Text;
  double Num = 0;
  int8_t Rank = krText;
  bool Blank = false;
};

// The entry of keys without text (numbers, dates, times, check states): half the bytes to move.
struct TValueEntry {
  double Num = 0;
  int Row = 0;
  int8_t Rank = 0;
  bool Blank = false;
};

// Whether value entry A goes before B when the first key decides alone: the blank rule, the
// class, the value, in the direction (the sort's comparison below 0, also where a value is no
// number). Its settings are held by value, so the merge keeps its indexes in registers.
struct TValueBefore {
  bool IgnoreBlanks = false, BlankAfter = false, Descending = false;
  bool operator()(const TValueEntry& A, const TValueEntry& B) const {
    if (IgnoreBlanks && A.Blank != B.Blank) return Descending ? A.Blank == BlankAfter : A.Blank != BlankAfter;
    if (A.Rank != B.Rank) return Descending ? A.Rank > B.Rank : A.Rank < B.Rank;
    return Descending ? A.Num != B.Num && !(A.Num < B.Num) : A.Num < B.Num;
  }
};

// BeginUpdate/EndUpdate as a pair, also when a handler raises.
struct TUpdateScope {
  TExtStringGrid* Grid;
  explicit TUpdateScope(TExtStringGrid* G) : Grid(G) { Grid->BeginUpdate(); }
  ~TUpdateScope() { Grid->EndUpdate(); }
  TUpdateScope(const TUpdateScope&) = delete;
  TUpdateScope& operator=(const TUpdateScope&) = delete;
};

bool IsDigitAt(const std::string& S, size_t I) { return I < S.size() && S[I] >= '0' && S[I] <= '9'; }

// A whole text as a floating-point number written with "." (blanks around it allowed).
bool ParseDotNumber(std::string_view S, double& V) {
  while (!S.empty() && S.front() == ' ') S.remove_prefix(1);
  while (!S.empty() && S.back() == ' ') S.remove_suffix(1);
  if (!S.empty() && S.front() == '+') S.remove_prefix(1);
  if (S.empty()) return false;
  // A failed parse leaves V alone: a text that only starts with a number must not sort by it.
  double v = 0;
  auto [p, ec] = std::from_chars(S.data(), S.data() + S.size(), v);
  if (ec != std::errc() || p != S.data() + S.size()) return false;
  V = v;
  return true;
}

void DeleteOnce(std::string& S, const std::string& Part) {
  if (Part.empty()) return;
  size_t p = S.find(Part);
  if (p != std::string::npos) S.erase(p, Part.size());
}

// A number cell's value by the numeric styles: prefix and suffix dropped once, thousand separators
// dropped for the financial style, the decimal separator made "."; an empty text is 0.
bool NumericValue(const std::string& Text, const std::string& Prefix, const std::string& Suffix, bool Financial,
                  double& V) {
  // The common case, a plain number, is read in place.
  const char dec0 = FormatSettings.DecimalSeparator;
  if (Prefix.empty() && Suffix.empty() && !Financial && !Text.empty() &&
      (dec0 == '.' || Text.find(dec0) == std::string::npos) && ParseDotNumber(Text, V))
    return true;
  std::string S = Text;
  DeleteOnce(S, Prefix);
  DeleteOnce(S, Suffix);
  if (S.empty()) {
    V = 0;
    return true;
  }
  const char dec = FormatSettings.DecimalSeparator;
  if (Financial) S.erase(std::remove(S.begin(), S.end(), FormatSettings.ThousandSeparator), S.end());
  std::string dotted = S;
  if (dec != '.') {
    size_t p = dotted.find(dec);
    if (p != std::string::npos) dotted[p] = '.';
  }
  if (ParseDotNumber(dotted, V)) return true;
  // A number with valid thousand grouping is a number too.
  return ExtUtil::NumberTextKind(S) != 2 && ParseDotNumber(ExtUtil::ToDotDecimal(S), V);
}

// The style ssAutomatic stands for with this text.
TSortStyle AutomaticStyle(const std::string& T, bool Check) {
  if (Check) return ssCheckBox;
  if (ExtUtil::NumberTextKind(T) != 2) return ssNumeric;
  size_t d = T.find(FormatSettings.DateSeparator);
  if ((d == 1 || d == 2) && d + 1 < T.size()) {
    if (!IsDigitAt(T, d - 1) || !IsDigitAt(T, d + 1)) return ssAlphabetic;
    return T.find(FormatSettings.TimeSeparator) != std::string::npos ? ssDateTime : ssDate;
  }
  size_t t = T.find(FormatSettings.TimeSeparator);
  if ((t == 1 || t == 2) && t + 1 < T.size() && IsDigitAt(T, t - 1) && IsDigitAt(T, t + 1)) return ssTime;
  return ssAlphabetic;
}

std::string UpperAscii(std::string S) {
  for (char& c : S)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return S;
}

int Sign(int V) { return V < 0 ? -1 : V > 0 ? 1 : 0; }

// Stable bottom-up merge sort of A by Before (true: the first argument goes first). Whatever it answers,
// A ends as a permutation of itself: each merge step writes every element of its two runs once.
template <class T, class TBefore>
void StableMergeSort(std::vector<T>& A, TBefore&& Before) {
  const size_t n = A.size();
  std::vector<T> buf(n);
  // Runs of 8 by insertion, stable (a later element passes only strictly smaller ones).
  const size_t run = 8;
  for (size_t lo = 0; lo < n; lo += run) {
    size_t hi = std::min(n, lo + run);
    for (size_t i = lo + 1; i < hi; ++i) {
      T v = A[i];
      size_t j = i;
      while (j > lo && Before(v, A[j - 1])) {
        A[j] = A[j - 1];
        --j;
      }
      A[j] = v;
    }
  }
  // Each pass merges from one array into the other (no copying back).
  T* src = A.data();
  T* dst = buf.data();
  for (size_t w = run; w < n; w *= 2) {
    for (size_t lo = 0; lo < n; lo += 2 * w) {
      const size_t mid = std::min(n, lo + w), hi = std::min(n, lo + 2 * w);
      // Runs already in order cost one compare (sorted input costs n compares).
      if (mid == hi || !Before(src[mid], src[mid - 1])) {
        std::copy(src + lo, src + hi, dst + lo);
        continue;
      }
      size_t i = lo, j = mid, k = lo;
      // Without a branch on the comparison: random keys would mispredict half of them.
      while (i < mid && j < hi) {
        const bool right = Before(src[j], src[i]);
        dst[k++] = *(right ? src + j : src + i);
        j += right;
        i += !right;
      }
      while (i < mid) dst[k++] = src[i++];
      while (j < hi) dst[k++] = src[j++];
    }
    std::swap(src, dst);
  }
  if (src != A.data()) A.swap(buf);
}

// A row's first sort key as the merge sort moves it: small and flat, so comparisons read it in
// place. Texts compare by their first 8 bytes (big-endian, so unsigned order is byte order) and
// go to the whole key text only when those are equal and one of them is longer.
struct TSortEntry {
  double Num = 0;
  uint64_t Prefix = 0;
  int Row = 0;
  uint32_t Len = 0;
  int8_t Rank = 0;
  bool Blank = false;
};

uint64_t TextPrefix(const std::string& T) {
  uint64_t p = 0;
  for (size_t i = 0; i < 8; ++i) p = (p << 8) | (i < T.size() ? static_cast<unsigned char>(T[i]) : 0u);
  return p;
}

}  // namespace

// One sort key column}  // namespace

// One sort key column: its style from OnGetFormat and the keys of the rows of the range, computed
// on first use. With a handler the style is asked again for every comparison instead.
struct TExtStringGrid::TSortColumn {
  int Col = 0;
  bool Descending = false;
  TSortStyle Style = ssAlphabetic;
  std::string Prefix, Suffix;
  std::vector<TSortKey> Keys;
  std::vector<uint8_t> Have;
};

struct TExtStringGrid::TSortRun {
  bool Indexed = false;
  int Lo = 0;
  std::vector<std::unique_ptr<TSortColumn>> Levels;
};

namespace {

TSortKey MakeKey(TExtStringGrid* G, TSortStyle Style, const std::string& Prefix, const std::string& Suffix, int Col,
                 int Row) {
  TSortKey k;
  // The text as Cells answers it, without a copy unless an event gives it.
  std::string buffer;
  const std::string& t = G->CellText(Col, Row, buffer);
  k.Blank = t.empty();
  if (Style == ssAutomatic) {
    TCellType ct = G->GetCellType(Col, Row);
    Style = AutomaticStyle(t, ct == ctCheckBox || ct == ctDataCheckBox);
  }
  if (Style == ssAlphaNumeric || Style == ssAlphaNumericNoCase) {
    double v;
    if (ExtUtil::NumberTextKind(t) != 2 && NumericValue(t, "", "", false, v)) {
      k.Rank = krNumber;
      k.Num = v;
      return k;
    }
    Style = Style == ssAlphaNumeric ? ssAlphabetic : ssAlphaNoCase;
  }
  switch (Style) {
    case ssNumeric:
    case ssFinancial:
      if (NumericValue(t, Prefix, Suffix, Style == ssFinancial, k.Num))
        k.Rank = krNumber;
      else
        k.Rank = krNoNumber;  // after every number, equal among themselves
      return k;
    case ssDate:
    case ssDateTime: {
      TDateTime d = 0;
      if (!t.empty() && !TryStrToDateTime(t, d)) d = 0;
      k.Rank = krDate;
      k.Num = d;
      return k;
    }
    case ssShortDateEU:
    case ssShortDateUS:
      k.Rank = krDate;
      k.Num = Style == ssShortDateEU ? ExtUtil::ParseDateDMY(t) : ExtUtil::ParseDateMDY(t);
      return k;
    case ssTime: {
      TDateTime d = 0;
      if (!TryStrToTime(t, d)) d = 0;
      k.Rank = krTime;
      k.Num = d;
      return k;
    }
    case ssCheckBox:
      k.Rank = krCheck;
      k.Num = G->GetCheckBoxState(Col, Row) ? 1 : 0;
      return k;
    case ssImages: {
      k.Rank = krNumber;
      TCellGraphic* g = G->GetCellGraphic(Col, Row);
      k.Num = g && g->CellType == ctImages ? static_cast<double>(g->Items.size()) : 0;
      return k;
    }
    case ssAlphaNoCase:
      // The upper-cased text decides; on a tie the text itself.
      k.Text = UpperAscii(t);
      k.Text.push_back('\0');
      k.Text += t;
      return k;
    case ssHTML:
      k.Text = HTMLStrip(t);
      return k;
    default:
      k.Text = &t == &buffer ? std::move(buffer) : t;
      return k;
  }
}


// The order of two keys of the styles that compare by key: class, value, then the text byte-wise.
int KeyOrder(const TSortKey& a, const TSortKey& b) {
  if (a.Rank != b.Rank) return a.Rank < b.Rank ? -1 : 1;
  if (a.Num != b.Num) return a.Num < b.Num ? -1 : 1;
  return Sign(a.Text.compare(b.Text));
}

// With IgnoreBlanks an empty cell goes to the chosen end in either direction (R in ascending terms).
int BlankRule(const TSortSettings* S, bool ABlank, bool BBlank, bool Descending, int R) {
  if (!S->IgnoreBlanks || ABlank == BBlank) return R;
  const bool blankAfter = (!Descending && S->BlankPos == blLast) || (Descending && S->BlankPos == blFirst);
  return ABlank == blankAfter ? 1 : -1;
}

// Two rows' keys by the style (1: row A after row B); with IgnoreBlanks an empty cell goes to the
// chosen end in either direction (the result is in ascending terms, as the sort turns it round).
int KeyCompare(TExtStringGrid* G, TSortStyle Style, int Col, int A, int B, const TSortKey& a, const TSortKey& b,
               bool Descending) {
  int r = 0;
  switch (Style) {
    case ssCustom:
      if (G->OnCustomCompare) G->OnCustomCompare(G, G->Cells(Col, A), G->Cells(Col, B), r);
      break;
    case ssRaw:
      if (G->OnRawCompare) G->OnRawCompare(G, Col, A, B, r);
      break;
    case ssAnsiAlphaCase:
      r = AnsiCompareStr(a.Text, b.Text);
      break;
    case ssAnsiAlphaNoCase:
      r = AnsiCompareText(a.Text, b.Text);
      break;
    case ssUnicode:
      r = WideCompareText(ExtUtil::DecodeWideText(a.Text), ExtUtil::DecodeWideText(b.Text));
      break;
    default:
      r = KeyOrder(a, b);
  }
  return BlankRule(G->SortSettings(), a.Blank, b.Blank, Descending, Sign(r));
}

// The styles whose order is their keys' order (the others ask per pair).
bool KeyBased(TSortStyle Style) {
  return Style != ssCustom && Style != ssRaw && Style != ssAnsiAlphaCase && Style != ssAnsiAlphaNoCase &&
         Style != ssUnicode;
}

}  // namespace

int TExtStringGrid::CompareCells(int ACol, int ARow1, int ARow2, bool Descending) {
  TSortStyle style = sortSettings_->AutoFormat ? ssAutomatic : ssAlphabetic;
  std::string prefix, suffix;
  GetCellFormat(ACol, style, prefix, suffix);
  TSortKey a = MakeKey(this, style, prefix, suffix, ACol, ARow1);
  TSortKey b = MakeKey(this, style, prefix, suffix, ACol, ARow2);
  return KeyCompare(this, style, ACol, ARow1, ARow2, a, b, Descending);
}

// ---------------------------------------------------------------- ordering a range
void TExtStringGrid::SortRange(TSortRun& Run, int Lo, int Hi) {
  Run.Lo = Lo;
  const int n = Hi - Lo + 1;
  // A format handler answers for every comparison, as it may answer differently each time.
  const bool askEach = static_cast<bool>(OnGetFormat);
  auto level = [&](size_t i) -> TSortColumn* {
    while (Run.Levels.size() <= i) {
      auto c = std::make_unique<TSortColumn>();
      if (Run.Indexed) {
        c->Col = sortIndexes_->SortColumn(static_cast<int>(Run.Levels.size()));
        c->Descending = !sortIndexes_->SortAscending(static_cast<int>(Run.Levels.size()));
      } else {
        c->Col = sortSettings_->Column + static_cast<int>(Run.Levels.size());
        c->Descending = sortSettings_->Direction == sdDescending;
      }
      c->Style = sortSettings_->AutoFormat ? ssAutomatic : ssAlphabetic;
      if (!askEach) GetCellFormat(c->Col, c->Style, c->Prefix, c->Suffix);
      Run.Levels.push_back(std::move(c));
    }
    return Run.Levels[i].get();
  };
  const size_t levels = Run.Indexed ? static_cast<size_t>(sortIndexes_->Count())
                                    : static_cast<size_t>(std::max(1, ColCount() - sortSettings_->Column));
  const bool full = sortSettings_->Full;
  auto key = [&](TSortColumn* c, int Row) -> const TSortKey& {
    if (static_cast<int>(c->Have.size()) != n) {
      c->Keys.resize(static_cast<size_t>(n));
      c->Have.assign(static_cast<size_t>(n), 0);
    }
    size_t i = static_cast<size_t>(Row - Lo);
    if (!c->Have[i]) {
      c->Keys[i] = MakeKey(this, c->Style, c->Prefix, c->Suffix, c->Col, Row);
      c->Have[i] = 1;
    }
    return c->Keys[i];
  };
  // Levels from From on; the first level's keys travel in the entries.
  auto cmpFrom = [&](size_t From, int A, int B) -> int {
    for (size_t i = From; i < levels; ++i) {
      TSortColumn* c = level(i);
      int r;
      if (askEach) {
        TSortStyle style = c->Style;
        std::string prefix, suffix;
        GetCellFormat(c->Col, style, prefix, suffix);
        const TSortKey a = MakeKey(this, style, prefix, suffix, c->Col, A);
        const TSortKey b = MakeKey(this, style, prefix, suffix, c->Col, B);
        r = KeyCompare(this, style, c->Col, A, B, a, b, c->Descending);
      } else {
        r = KeyCompare(this, c->Style, c->Col, A, B, key(c, A), key(c, B), c->Descending);
      }
      if (c->Descending) r = -r;
      if (r != 0 || !full) return r;
    }
    return 0;
  };
  // The first key of every row is needed anyway: computing them in row order reads the store in order.
  TSortColumn* first = level(0);
  const bool byKey = !askEach && KeyBased(first->Style);
  std::vector<TSortEntry> rows(static_cast<size_t>(n));
  // A key text of at most 8 bytes is whole in its entry; longer ones are kept here by row.
  std::vector<std::string> longText;
  for (int r = Lo; r <= Hi; ++r) {
    TSortEntry& e = rows[static_cast<size_t>(r - Lo)];
    e.Row = r;
    if (!byKey) continue;
    TSortKey k = MakeKey(this, first->Style, first->Prefix, first->Suffix, first->Col, r);
    e.Num = k.Num;
    e.Rank = k.Rank;
    e.Blank = k.Blank;
    e.Prefix = TextPrefix(k.Text);
    e.Len = static_cast<uint32_t>(std::min<size_t>(k.Text.size(), UINT32_MAX));
    if (k.Text.size() > 8) {
      if (longText.empty()) longText.resize(static_cast<size_t>(n));
      longText[static_cast<size_t>(r - Lo)] = std::move(k.Text);
    }
  }
  auto textCompare = [&](const TSortEntry& A, const TSortEntry& B) {
    char a[8], b[8];
    auto view = [&](const TSortEntry& E, char* Buf) {
      if (E.Len > 8) return std::string_view(longText[static_cast<size_t>(E.Row - Lo)]);
      for (size_t i = 0; i < 8; ++i) Buf[i] = static_cast<char>(E.Prefix >> (56 - 8 * i));
      return std::string_view(Buf, E.Len);
    };
    return Sign(view(A, a).compare(view(B, b)));
  };
  const TSortSettings* settings = sortSettings_.get();
  auto cmp = [&](const auto& A, const auto& B) -> int {
    if (!byKey) return cmpFrom(0, A.Row, B.Row);
    int r;
    if (A.Rank != B.Rank) r = A.Rank < B.Rank ? -1 : 1;
    else if (A.Num != B.Num) r = A.Num < B.Num ? -1 : 1;
    else if constexpr (std::is_same_v<std::decay_t<decltype(A)>, TValueEntry>) r = 0;
    else if (A.Prefix != B.Prefix) r = A.Prefix < B.Prefix ? -1 : 1;
    else if (A.Len <= 8 && B.Len <= 8) r = A.Len < B.Len ? -1 : A.Len > B.Len ? 1 : 0;
    else r = textCompare(A, B);
    r = BlankRule(settings, A.Blank, B.Blank, first->Descending, r);
    if (first->Descending) r = -r;
    if (r != 0 || !full || levels == 1) return r;
    return cmpFrom(1, A.Row, B.Row);
  };
  std::vector<int> order(rows.size());
  const bool texts = std::any_of(rows.begin(), rows.end(), [](const TSortEntry& E) { return E.Len > 0; });
  if (texts || !byKey) {
    StableMergeSort(rows, [&](const TSortEntry& A, const TSortEntry& B) { return cmp(A, B) < 0; });
    for (size_t k = 0; k < rows.size(); ++k) order[k] = rows[k].Row;
  } else {
    std::vector<TValueEntry> values(rows.size());
    for (size_t k = 0; k < rows.size(); ++k) values[k] = {rows[k].Num, rows[k].Row, rows[k].Rank, rows[k].Blank};
    std::vector<TSortEntry>().swap(rows);
    if (!full || levels == 1) {
      const bool desc = first->Descending;
      const bool oneRank = std::all_of(values.begin(), values.end(),
                                       [&](const TValueEntry& E) { return E.Rank == values.front().Rank; });
      if (oneRank && !settings->IgnoreBlanks && !desc)
        StableMergeSort(values, [](const TValueEntry& A, const TValueEntry& B) { return A.Num < B.Num; });
      else
        StableMergeSort(values, TValueBefore{settings->IgnoreBlanks,
                                             (!desc && settings->BlankPos == blLast) || (desc && settings->BlankPos == blFirst),
                                             desc});
    } else {
      StableMergeSort(values, [&](const TValueEntry& A, const TValueEntry& B) { return cmp(A, B) < 0; });
    }
    for (size_t k = 0; k < values.size(); ++k) order[k] = values[k].Row;
  }
  ApplyRowOrder(Lo, order);
}

// Carries out an order through SwapRows: position Lo + k receives the row that stood at Target[k].
// At most one swap per position, each exchanging two rows in constant time.
// The row order list follows in one pass at the end instead of an exchange per swap.
void TExtStringGrid::ApplyRowOrder(int Lo, const std::vector<int>& Target) {
  std::vector<int>& o = sort_.Order;
  const bool list = !o.empty() && static_cast<size_t>(Lo) + Target.size() <= o.size();
  {
    TGridFlagScope bulk(sort_.OrderInBulk, list);
    PermuteBySwaps(Lo, Target, [this](int A, int B) { SwapRows(A, B); });
  }
  if (!list) return;
  std::vector<int> moved(Target.size());
  for (size_t k = 0; k < Target.size(); ++k) moved[k] = o[static_cast<size_t>(Target[k])];
  std::copy(moved.begin(), moved.end(), o.begin() + Lo);
}

// ---------------------------------------------------------------- the sorts
void TExtStringGrid::RunSort(bool Indexed, bool Groups) {
  if (Indexed && sortIndexes_->Count() == 0) throw EExtGridError("No indexes specified for indexed sort");
  if (!Indexed && !Groups) sortIndexes_->Clear();
  const int lo = FixedRows(), hi = RowCount() - 1 - fixedFooters_;
  // The ranges to order: all data rows, or the children of each expanded node.
  std::vector<std::pair<int, int>> ranges;
  if (Groups) {
    for (int r = lo; r <= hi; ++r) {
      TCellGraphic* g = GetCellType(0, r) == ctNode ? GetCellGraphic(0, r) : nullptr;
      if (!g || g->CellBoolean) continue;
      int end = hi;
      if (g->CellIndex > 0) {
        end = std::min(hi, r + g->CellIndex - 1);
      } else {
        for (int n = r + 1; n <= hi; ++n)
          if (GetCellType(0, n) == ctNode) {
            end = n - 1;
            break;
          }
      }
      if (end - r >= 2) ranges.emplace_back(r + 1, end);
    }
  } else if (hi - lo >= 1) {
    ranges.emplace_back(lo, hi);
  }
  if (ranges.empty()) return;
  CloseEditForLines();
  NormalizeRowOrder();
  TUpdateScope update(this);
  TGridFlagScope running(sort_.Sorting, true);
  const int oldRow = Row();
  const bool follow = navigation_->MoveRowOnSort;
  sort_.Tracked = follow ? oldRow : -1;
  // Row headers stay where they are.
  const bool keepCol0 = sortSettings_->NormalCellsOnly && FixedCols() > 0;
  std::vector<std::pair<std::string, TObject*>> col0;
  if (keepCol0)
    for (int r = lo; r <= hi; ++r) col0.emplace_back(GridCells(0, r), GridObjects(0, r));
  // What a handler cleared during the sort goes after the row headers are written back.
  struct TFreeParked {
    std::vector<TCellProperties*>& Parked;
    const size_t From;
    const std::vector<std::pair<std::string, TObject*>>& Kept;
    ~TFreeParked() {
      for (size_t i = From; i < Parked.size(); ++i)
        if (std::none_of(Kept.begin(), Kept.end(), [&](const auto& k) { return k.second == Parked[i]; }))
          delete Parked[i];
      Parked.resize(From);
    }
  } freeParked{sort_.Parked, sort_.Parked.size(), col0};
  // Every order is computed before its rows move; a handler that raises stops there.
  struct TRestoreCol0 {
    TExtStringGrid* G;
    std::vector<std::pair<std::string, TObject*>>& Saved;
    int Lo;
    ~TRestoreCol0() {
      for (size_t i = 0; i < Saved.size(); ++i) {
        const int r = Lo + static_cast<int>(i);
        G->SetGridCells(0, r, Saved[i].first);
        G->TStringGrid::SetObjects(0, r, Saved[i].second);
      }
    }
  } restoreCol0{this, col0, lo};
  for (auto [from, to] : ranges) {
    TSortRun run;
    run.Indexed = Indexed;
    SortRange(run, from, to);
  }
  const int tracked = sort_.Tracked;
  sort_.Tracked = -1;
  if (follow && tracked >= 0 && tracked != oldRow) SetRow(tracked);
  if (!Indexed && !Groups && !follow && OnRowUpdate) OnRowUpdate(this, oldRow, Row());
}

void TExtStringGrid::SortByColumn() { RunSort(false, false); }
void TExtStringGrid::SortByIndexes() { RunSort(true, false); }
void TExtStringGrid::SortGroups() { RunSort(false, true); }
void TExtStringGrid::SortGroupsIndexed() { RunSort(true, true); }

void TExtStringGrid::RestoreUnsortedOrder() {
  if (sort_.Order.empty()) return;
  CloseEditForLines();
  NormalizeRowOrder();
  // The list is a permutation of 0 .. n - 1: position k gets the row whose entry is k.
  std::vector<int> target(sort_.Order.size());
  for (size_t r = 0; r < sort_.Order.size(); ++r) target[static_cast<size_t>(sort_.Order[r])] = static_cast<int>(r);
  TUpdateScope update(this);
  const bool keepCol0 = sortSettings_->NormalCellsOnly && FixedCols() > 0;
  std::vector<std::pair<std::string, TObject*>> col0;
  if (keepCol0)
    for (int r = 0; r < RowCount(); ++r) col0.emplace_back(GridCells(0, r), GridObjects(0, r));
  ApplyRowOrder(0, target);
  for (size_t i = 0; i < col0.size(); ++i) {
    SetGridCells(0, static_cast<int>(i), col0[i].first);
    TStringGrid::SetObjects(0, static_cast<int>(i), col0[i].second);
  }
}

void TExtStringGrid::SplitColumnCells(int ACol) {
  for (int r = FixedRows(); r < RowCount() - fixedFooters_; ++r)
    if (IsYMergedCell(ACol, r)) SplitCells(ACol, r);
}

void TExtStringGrid::MergeColumnCells(int ACol, bool TextOnly) {
  const int last = RowCount() - 1 - fixedFooters_;
  int start = FixedRows();
  for (int r = FixedRows() + 1; r <= last + 1; ++r) {
    if (r <= last && Cells(ACol, r) == Cells(ACol, r - 1) && (TextOnly || RowsShareMerges(r - 1, r))) continue;
    if (r - start >= 2) MergeCells(ACol, start, 1, r - start);
    start = r;
  }
}

void TExtStringGrid::SplitAllColumnCells() {
  for (int c = 0; c < ColCount(); ++c) SplitColumnCells(c);
}

void TExtStringGrid::ApplyColumnMerges() {
  TUpdateScope update(this);
  SplitAllColumnCells();
  bool first = true;
  for (int i = 0; i < mergeColumns_->Count(); ++i) {
    const int c = mergeColumns_->GetInteger(i);
    if (c < 0 || c >= ColCount()) continue;  // a column the grid does not have merges nothing
    MergeColumnCells(c, first);
    first = false;
  }
}

void TExtStringGrid::SetMergeColumns(const std::vector<int>& Columns) {
  TIntListChangeEvent hook = std::move(mergeColumns_->OnChange);
  mergeColumns_->OnChange = nullptr;
  mergeColumns_->Clear();
  for (int c : Columns) mergeColumns_->Add(c);
  mergeColumns_->OnChange = std::move(hook);
  ApplyColumnMerges();
}

void TExtStringGrid::SwapRows(int ARow1, int ARow2) {
  if (ARow1 == ARow2 || ARow1 < 0 || ARow2 < 0 || ARow1 >= RowCount() || ARow2 >= RowCount()) return;
  CloseEditForLines();
  auto s = StructuralScope();
  const size_t a = static_cast<size_t>(ARow1), b = static_cast<size_t>(ARow2);
  if (!sort_.OrderInBulk && a < sort_.Order.size() && b < sort_.Order.size()) std::swap(sort_.Order[a], sort_.Order[b]);
  if (sortSettings_->SingleColumn) {
    const int c = sortSettings_->Column;
    std::string t = GridCells(c, ARow1);
    TObject* o = GridObjects(c, ARow1);
    SetGridCells(c, ARow1, GridCells(c, ARow2));
    TStringGrid::SetObjects(c, ARow1, GridObjects(c, ARow2));
    SetGridCells(c, ARow2, t);
    TStringGrid::SetObjects(c, ARow2, o);
    return;
  }
  // The row marks stay in place unless the rows carry them (disjunct rows following their data).
  const bool marksTravel = mouseActions_->DisjunctRowSelect() && navigation_->MoveRowOnSort;
  const bool m1 = RowAttributes(ARow1).DisjunctSelected, m2 = RowAttributes(ARow2).DisjunctSelected;
  const int real1 = RealRowIndex(ARow1), real2 = RealRowIndex(ARow2);
  ExchangeRows(ARow1, ARow2);
  if (!marksTravel) {
    MutableRowAttributes(ARow1).DisjunctSelected = m1;
    MutableRowAttributes(ARow2).DisjunctSelected = m2;
  }
  for (int i = 0; i < controlList_->Count(); ++i) {
    TControlItem* it = controlList_->GetControl(i);
    if (it->Y == real1) it->Y = real2;
    else if (it->Y == real2) it->Y = real1;
  }
  if (sort_.Tracked == ARow1) sort_.Tracked = ARow2;
  else if (sort_.Tracked == ARow2) sort_.Tracked = ARow1;
  if (updateCount_ == 0) {
    InvalidateRow(ARow1);
    InvalidateRow(ARow2);
    if (controlList_->Count() > 0) PlaceCellControls();
  }
}

// ---------------------------------------------------------------- the row order list
// Rows added at the end since the list was made come after every other row; rows gone from the
// end leave the remaining entries ranked 0 .. n - 1 again.
void TExtStringGrid::NormalizeRowOrder() {
  std::vector<int>& o = sort_.Order;
  const size_t n = static_cast<size_t>(RowCount());
  if (o.size() == n) return;
  if (o.size() > n) {
    RowOrderRemoved(static_cast<int>(n), static_cast<int>(o.size() - n));
    return;
  }
  const size_t old = o.size();
  o.resize(n);
  for (size_t i = old; i < n; ++i) o[i] = static_cast<int>(i);
}

void TExtStringGrid::RowOrderInserted(int ARow, int ACount) {
  std::vector<int> rows(static_cast<size_t>(std::max(0, ACount)));
  std::iota(rows.begin(), rows.end(), ARow);
  RowOrderInsertedAt(rows);
}

void TExtStringGrid::RowOrderRemoved(int ARow, int ACount) {
  std::vector<int> rows(static_cast<size_t>(std::max(0, ACount)));
  std::iota(rows.begin(), rows.end(), ARow);
  RowOrderRemovedAt(rows);
}

// An inserted row comes back after the row that stood before it when the order is restored (rows
// inserted together one after another). Rows are the new rows' places after the insertion.
void TExtStringGrid::RowOrderInsertedAt(const std::vector<int>& Rows) {
  std::vector<int>& o = sort_.Order;
  if (o.empty() || Rows.empty()) return;
  const size_t n = o.size(), m = Rows.size();
  if (n + m != static_cast<size_t>(RowCount())) {
    o.clear();  // out of step with a count change the list never saw: made again at the next sort
    return;
  }
  // A new row ranks after the kept row before it (base, -1 at the top) and its run's earlier rows;
  // every rank moves up by the new rows whose base ranks lower.
  std::vector<int> below(n + 2, 0);
  auto walk = [&](auto&& Kept, auto&& Added) {
    size_t i = 0, k = 0;
    int base = -1, j = 0;
    for (size_t p = 0; p < n + m; ++p) {
      if (k < m && static_cast<size_t>(Rows[k]) == p) {
        Added(p, base, j++);
        ++k;
      } else {
        base = o[i++];
        Kept(p, base);
        j = 0;
      }
    }
  };
  walk([](size_t, int) {}, [&](size_t, int Base, int) { ++below[static_cast<size_t>(Base + 1) + 1]; });
  for (size_t x = 1; x < below.size(); ++x) below[x] += below[x - 1];
  std::vector<int> out(n + m);
  walk([&](size_t P, int E) { out[P] = E + below[static_cast<size_t>(E) + 1]; },
       [&](size_t P, int Base, int J) { out[P] = Base + 1 + below[static_cast<size_t>(Base + 1)] + J; });
  o = std::move(out);
}

// Rows are the removed rows' places before the removal; the other entries close up to 0 .. n - 1.
void TExtStringGrid::RowOrderRemovedAt(const std::vector<int>& Rows) {
  std::vector<int>& o = sort_.Order;
  if (o.empty() || Rows.empty()) return;
  std::vector<uint8_t> gone(o.size(), 0);
  size_t w = 0, k = 0;
  for (size_t p = 0; p < o.size(); ++p) {
    while (k < Rows.size() && static_cast<size_t>(Rows[k]) < p) ++k;
    if (k < Rows.size() && static_cast<size_t>(Rows[k]) == p) gone[static_cast<size_t>(o[p])] = 1;
    else o[w++] = o[p];
  }
  o.resize(w);
  // Ranks close up: each entry falls by the removed entries ranked below it.
  std::vector<int> below(gone.size() + 1, 0);
  for (size_t x = 0; x < gone.size(); ++x) below[x + 1] = below[x] + gone[x];
  for (int& e : o) e -= below[static_cast<size_t>(e)];
}

void TExtStringGrid::RowOrderMoved(int FromIndex, int ToIndex) {
  std::vector<int>& o = sort_.Order;
  if (o.empty() || FromIndex >= static_cast<int>(o.size()) || ToIndex >= static_cast<int>(o.size())) return;
  auto f = o.begin() + FromIndex, t = o.begin() + ToIndex;
  if (FromIndex < ToIndex) std::rotate(f, f + 1, t + 1);
  else std::rotate(t, f, f + 1);
}

// ---------------------------------------------------------------- header click
// A click on a new column sorts it in the initial direction, on the sorted column turns the
// direction (with UndoSort the unsorted order comes back after both directions); with IndexShow and
// Shift the column joins the multi-column sort or turns its direction there.
bool TExtStringGrid::HeaderClickSort(int ACol, TShiftState Shift) {
  TSortSettings* s = sortSettings_.get();
  const int left = LeftCol();
  // Merged areas never move with the rows: split first, merged again from the new order (also when
  // a handler stops the sort, so the merges come back over the rows as they stand).
  struct TMergeAgain {
    TExtStringGrid* G;
    bool On;
    ~TMergeAgain() {
      if (On) G->ApplyColumnMerges();
    }
  } mergeAgain{this, s->AutoColumnMerge};
  if (s->AutoColumnMerge) SplitAllColumnCells();
  if (s->IndexShow && (Shift & ssShift)) {
    if (sortIndexes_->Count() == 0 && sort_.HeaderSorted && s->Column != ACol)
      sortIndexes_->AddIndex(s->Column, s->Direction == sdAscending);
    if (sortIndexes_->FindIndex(ACol) >= 0) sortIndexes_->ToggleIndex(ACol);
    else sortIndexes_->AddIndex(ACol, s->InitSortDirection == sdAscending);
    SortByIndexes();
    sort_.HeaderSorted = true;
  } else if (ACol == s->Column && sort_.HeaderSorted && sortIndexes_->Count() == 0) {
    if (s->UndoSort && s->Direction != s->InitSortDirection) {
      RestoreUnsortedOrder();
      s->Direction = s->InitSortDirection;
      sort_.HeaderSorted = false;
    } else {
      s->Direction = s->Direction == sdAscending ? sdDescending : sdAscending;
      SortByColumn();
    }
  } else {
    s->Column = ACol;
    s->Direction = s->InitSortDirection;
    SortByColumn();
    sort_.HeaderSorted = true;
  }
  if (LeftCol() != left) SetLeftCol(left);
  Invalidate();
  return true;
}

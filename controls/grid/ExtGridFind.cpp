// Finding cells: the lookup while typing (incremental goto), the cell search
// with its flags, highlighting found text, and what the search footer's edit
// and buttons do with them.
#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtGridFooters.h"
#include "controls/grid/ExtUtil.h"
#include "controls/markup/EsgHTMLE.h"
#include "platform/gui/Windows.h"

namespace {

constexpr char kHiTag[] = "hi";

const std::array<unsigned char, 256>& AsciiUpper() {
  static const std::array<unsigned char, 256> t = [] {
    std::array<unsigned char, 256> a{};
    for (int i = 0; i < 256; ++i) a[i] = static_cast<unsigned char>(i >= 'a' && i <= 'z' ? i - 32 : i);
    return a;
  }();
  return t;
}

bool IsAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

// Needle is upper-cased already; Hay is ASCII and folded here, so no copy is made.
bool FoldedMatch(std::string_view Hay, std::string_view Needle, bool AtStart, bool Whole) {
  const auto& up = AsciiUpper();
  const size_t n = Hay.size(), m = Needle.size();
  if (m > n || (Whole && m != n)) return false;
  auto at = [&](size_t i) {
    for (size_t k = 0; k < m; ++k)
      if (up[static_cast<unsigned char>(Hay[i + k])] != static_cast<unsigned char>(Needle[k])) return false;
    return true;
  };
  if (AtStart || Whole) return at(0);
  if (m == 0) return true;
  const unsigned char first = static_cast<unsigned char>(Needle[0]);
  for (size_t i = 0; i + m <= n; ++i)
    if (up[static_cast<unsigned char>(Hay[i])] == first && at(i)) return true;
  return false;
}

bool PlainMatch(std::string_view Hay, std::string_view Needle, bool AtStart, bool Whole) {
  if (Whole) return Hay == Needle;
  if (AtStart) return Hay.substr(0, Needle.size()) == Needle;
  return Hay.find(Needle) != std::string_view::npos;
}

uint64_t CellKey(int ACol, int ARow) { return (static_cast<uint64_t>(static_cast<uint32_t>(ACol)) << 32) | static_cast<uint32_t>(ARow); }

// A plain cell's text as markup that shows the same text, each layer's occurrences wrapped in its
// tag (ASCII letters matched without case unless the layer is case-sensitive). Where tags of
// several layers meet, the later layers' closing tags come first and their opening tags last, so
// each layer sits inside the ones before it. Empty when no layer occurs.
std::string HilightPlain(const std::string& Text, const std::vector<TExtStringGrid::THilightLayer>& Layers) {
  struct TEvent {
    size_t At;
    int Order;  // closings before openings, inner before outer
    const std::string* Tag;
    bool Open;
  };
  std::vector<TEvent> events;
  const auto& up = AsciiUpper();
  std::string folded;
  for (size_t li = 0; li < Layers.size(); ++li) {
    const auto& l = Layers[li];
    std::string needle = l.Text;
    const std::string* hay = &Text;
    if (!l.CaseSensitive) {
      if (folded.empty()) {
        folded = Text;
        for (char& c : folded) c = static_cast<char>(up[static_cast<unsigned char>(c)]);
      }
      for (char& c : needle) c = static_cast<char>(up[static_cast<unsigned char>(c)]);
      hay = &folded;
    }
    if (needle.empty()) continue;
    const int n = static_cast<int>(li);
    for (size_t at = hay->find(needle); at != std::string::npos; at = hay->find(needle, at + needle.size())) {
      events.push_back({at, 2 * static_cast<int>(Layers.size()) + n, &l.Tag, true});
      events.push_back({at + needle.size(), static_cast<int>(Layers.size()) - n, &l.Tag, false});
    }
  }
  if (events.empty()) return std::string();
  std::stable_sort(events.begin(), events.end(),
                   [](const TEvent& a, const TEvent& b) { return a.At != b.At ? a.At < b.At : a.Order < b.Order; });
  std::string out;
  size_t from = 0;
  for (const TEvent& e : events) {
    out += ExtUtil::PlainToMarkup(std::string_view(Text).substr(from, e.At - from));
    from = e.At;
    out += (e.Open ? "<" : "</") + *e.Tag + ">";
  }
  out += ExtUtil::PlainToMarkup(std::string_view(Text).substr(from));
  return out;
}

}  // namespace

// ---------------------------------------------------------------- lookup while typing
int TExtStringGrid::LookupRow(const std::string& Text) {
  if (RowCount() < 2 || Text.empty()) return -1;
  const int col = sortSettings_->Show() ? sortSettings_->Column : 1;
  const std::string wanted = ExtUtil::UpperText(Text);
  for (int r = FixedRows(); r <= LastWalkableRow(); ++r) {
    std::string s = Cells(col, r);
    if (s.find('<') != std::string::npos) s = StripTags(s);
    if (s.size() < wanted.size()) continue;
    if (ExtUtil::UpperText(s.substr(0, wanted.size() + 3)).compare(0, wanted.size(), wanted) == 0) return r;
  }
  return -1;
}

void TExtStringGrid::IncrementalGoto(char Key) {
  const bool back = Key == '\b';
  if (!back && static_cast<unsigned char>(Key) < 32) return;
  if (navigation_->AutoGotoIncremental) {
    if (back) {
      if (lookupText_.empty()) return;
      lookupText_.pop_back();
    } else {
      lookupText_ += Key;
    }
  } else {
    if (back) return;
    lookupText_.assign(1, Key);
  }
  find_.LookupIdle = 0;
  if (lookupText_.empty()) return;
  const int r = LookupRow(lookupText_);
  if (r < 0) {
    lookupText_.clear();
    MessageBeep(0);
    return;
  }
  if (r != Row()) SetRow(r);
}

void TExtStringGrid::LookupIdleTick() {
  if (lookupText_.empty()) return;
  if (++find_.LookupIdle >= 4) {
    lookupText_.clear();
    find_.LookupIdle = 0;
  }
}

// ---------------------------------------------------------------- the cell search
bool TExtStringGrid::MatchCell(int ACol, int ARow, bool /*Wide: wide text is stored as UTF-8*/) {
  const int rc = (find_.Flags & ffHiddenCols) ? ACol : RealColIndex(ACol);
  return MatchText(Cells(rc, ARow));
}

void TExtStringGrid::ClearLookupText() { lookupText_.clear(); }

bool TExtStringGrid::MatchText(const std::string& CellText) const {
  if (find_.Flags & ffStripTags) return TestText(HTMLStrip(CellText));
  return TestText(CellText);
}

bool TExtStringGrid::TestText(const std::string& CellText) const {
  const TFindFlags f = find_.Flags;
  if (find_.ExpectEmpty) return CellText.empty();
  const bool cs = (f & ffCaseSensitive) != 0;
  if (f & ffExpression) return ExtUtil::MatchFilter(find_.Text, cs ? CellText : ExtUtil::UpperText(CellText), cs);
  const bool atStart = (f & ffAtStart) != 0, whole = (f & ffWholeText) != 0;
  if (cs) return PlainMatch(CellText, find_.Text, atStart, whole);
  if (FoldedMatch(CellText, find_.Text, atStart, whole)) return true;
  // Letters beyond ASCII change case in the text's own encoding.
  return !find_.TextAscii && !IsAscii(CellText) && PlainMatch(ExtUtil::UpperText(CellText), find_.Text, atStart, whole);
}

void TExtStringGrid::FindCell(TPoint StartCell, const std::string& Text, TPoint& Found, TFindFlags Flags) {
  Found = TPoint(-1, -1);
  find_.Flags = Flags;
  find_.Text = (Flags & ffCaseSensitive) ? Text : ExtUtil::UpperText(Text);
  find_.TextAscii = IsAscii(find_.Text);
  find_.ExpectEmpty = Text == "\"\"";
  if (ColCount() == FixedCols() || RowCount() == FixedRows() || ColCount() == 0 || RowCount() == 0) return;
  int c0 = 0, c1 = ColCount() - 1, r0 = 0, r1 = RowCount() - 1;
  if (!(Flags & ffFixedCells)) {
    c0 = FixedCols(), c1 = ColCount() - 1 - fixedRightCols_;
    r0 = FixedRows(), r1 = RowCount() - 1 - fixedFooters_;
  }
  if (Flags & ffHiddenCols) c1 += NumHiddenColumns();
  if (Flags & (ffCurrentRow | ffPresetRow)) r0 = r1 = (Flags & ffCurrentRow) ? Row() : PresetRow;
  if (Flags & (ffCurrentCol | ffPresetCol)) {
    c0 = c1 = (Flags & ffCurrentCol) ? ((Flags & ffHiddenCols) ? RealColIndex(Col()) : Col()) : PresetCol;
  }
  if (c0 > c1 || r0 > r1 || c0 < 0 || r0 < 0) return;
  const bool rowWise = (Flags & ffRowWise) != 0, back = (Flags & ffBackward) != 0;
  // Lines are rows row-wise, else columns; positions run within a line.
  const int l0 = rowWise ? r0 : c0, l1 = rowWise ? r1 : c1, p0 = rowWise ? c0 : r0, p1 = rowWise ? c1 : r1;
  int line, pos;
  if (StartCell.X == -1 && StartCell.Y == -1) {
    line = back ? l1 : l0, pos = back ? p1 : p0;
  } else {
    // A start outside the range counts from the nearest cell of the range in scan order.
    const int sl = rowWise ? StartCell.Y : StartCell.X, sp = rowWise ? StartCell.X : StartCell.Y;
    if (sl < l0 || (sl == l0 && sp < p0)) {
      if (back) return;
      line = l0, pos = p0;
    } else if (sl > l1 || (sl == l1 && sp > p1)) {
      if (!back) return;
      line = l1, pos = p1;
    } else {
      line = sl, pos = std::clamp(sp, p0, p1) + (back ? -1 : 1);
      if (pos > p1) ++line, pos = p0;
      if (pos < p0) --line, pos = p1;
    }
  }
  const int step = back ? -1 : 1;
  const bool hiddenCols = (Flags & ffHiddenCols) != 0;
  std::vector<int> real(static_cast<size_t>(c1 - c0 + 1));
  for (int c = c0; c <= c1; ++c) real[static_cast<size_t>(c - c0)] = hiddenCols ? c : RealColIndex(c);
  const bool hooked = OnGetDisplText || OnGetDisplWideText || DisplTextHooked;
  std::string shown;
  for (; line >= l0 && line <= l1; line += step, pos = back ? p1 : p0) {
    for (; pos >= p0 && pos <= p1; pos += step) {
      const int c = rowWise ? pos : line, r = rowWise ? line : pos;
      const int rc = real[static_cast<size_t>(c - c0)];
      // The stored text is the shown one unless a display hook or a merged area says otherwise.
      TObject* o = nullptr;
      const std::string* t = &Store().TextAndObject(rc, r, o);
      if (o || (hooked && r < EventRowLimit())) t = &(shown = Cells(rc, r));
      if (!MatchText(*t)) continue;
      Found = TPoint(c, r);
      find_.LastFound = Found;
      if ((Flags & ffGotoFound) && ValidateOnWayOut(TEditWayOut::ViewMove)) {
        std::shared_ptr<bool> alive = AliveFlag();
        if (r != Row()) SetRow(r);
        if (!*alive) return;
        const int dc = hiddenCols ? DisplColIndex(c) : c;
        if (!(hiddenCols && IsHiddenColumn(c)) && dc != Col()) SetCol(dc);
      }
      return;
    }
  }
}

// ---------------------------------------------------------------- highlighting
std::string TExtStringGrid::HilightText(const std::string& Original, const std::vector<THilightLayer>& Layers) const {
  const int kind = ExtUtil::TextType(Original, EnableHTML);
  if (kind == 0) {
    std::string w = HilightPlain(Original, Layers);
    return w.empty() ? Original : w;
  }
  if (kind != 1) return Original;  // formulas, rich text and wide-coded text are left alone
  std::string w = Original;
  for (const THilightLayer& l : Layers) w = HiLight(w, l.Text, l.Tag, l.CaseSensitive);
  return w;
}

void TExtStringGrid::HilightCells(int C0, int R0, int C1, int R1, bool CaseSensitive, const std::string& Text,
                                  const std::string& Tag) {
  if (Text.empty()) return;
  BeginUpdate();
  for (int r = std::max(R0, 0); r <= R1 && r < RowCount(); ++r) {
    for (int c = std::max(C0, 0); c <= C1 && c < ColCount(); ++c) {
      const int rc = RealColIndex(c);
      const TPoint b = BaseCell(rc, r);
      if (b.X != rc || b.Y != r) continue;  // a covered cell shows its base's text
      const uint64_t key = CellKey(rc, r);
      const std::string& now = GridCells(rc, r);
      auto kept = find_.Kept.find(key);
      // A highlighted cell takes the new layer over the ones it has; a cell written since its
      // highlight starts again from what was written.
      const bool layered = kept != find_.Kept.end() && kept->second.Written == now;
      std::vector<THilightLayer> layers = layered ? kept->second.Layers : std::vector<THilightLayer>();
      const std::string& original = layered ? kept->second.Original : now;
      layers.push_back({Text, Tag, CaseSensitive});
      std::string written = HilightText(original, layers);
      // A layer that marks nothing here is not kept: the cell's record names only tags it shows.
      if (written == now) continue;
      TKept k{original, written, std::move(layers)};
      find_.Kept.insert_or_assign(key, std::move(k));
      SetCells(rc, r, written);
    }
  }
  EndUpdate();
}

namespace {
bool SameTag(const std::string& a, const std::string& b) { return ExtUtil::UpperText(a) == ExtUtil::UpperText(b); }
}  // namespace

bool TExtStringGrid::TKept::HasTag(const std::string& Tag) const {
  return std::any_of(Layers.begin(), Layers.end(), [&](const THilightLayer& l) { return SameTag(l.Tag, Tag); });
}

void TExtStringGrid::UnHilightCell(int RealCol, int Row, std::unordered_map<uint64_t, TKept>::iterator Kept,
                                   const std::string& Tag) {
  TKept& k = Kept->second;
  std::erase_if(k.Layers, [&](const THilightLayer& l) { return SameTag(l.Tag, Tag); });
  // The layers left are written again over the cell's own text, so the text comes back exactly.
  std::string text = k.Layers.empty() ? std::move(k.Original) : HilightText(k.Original, k.Layers);
  if (k.Layers.empty() || text == k.Original) find_.Kept.erase(Kept);
  else k.Written = text;
  SetCells(RealCol, Row, text);
}

void TExtStringGrid::UnHilightCells(int C0, int R0, int C1, int R1, const std::string& Tag) {
  if (find_.Kept.empty()) return;
  BeginUpdate();
  // Cells that moved since the highlight (sorting, row moves) are found by the text written.
  std::vector<std::pair<int, int>> moved;
  const std::string closing = ExtUtil::UpperText("</" + Tag + ">");
  for (int r = std::max(R0, 0); r <= R1 && r < RowCount(); ++r) {
    for (int c = std::max(C0, 0); c <= C1 && c < ColCount(); ++c) {
      const int rc = RealColIndex(c);
      auto kept = find_.Kept.find(CellKey(rc, r));
      const std::string& now = GridCells(rc, r);
      if (kept != find_.Kept.end() && kept->second.Written == now) {
        if (kept->second.HasTag(Tag)) UnHilightCell(rc, r, kept, Tag);
      } else if (FoldedMatch(now, closing, false, false)) {
        moved.emplace_back(rc, r);
      }
    }
  }
  if (!moved.empty()) {
    std::unordered_multimap<std::string, uint64_t> byWritten;
    for (const auto& [key, k] : find_.Kept)
      if (k.HasTag(Tag)) byWritten.emplace(k.Written, key);
    for (auto [rc, r] : moved) {
      auto hit = byWritten.find(GridCells(rc, r));
      if (hit == byWritten.end()) continue;
      auto kept = find_.Kept.find(hit->second);
      byWritten.erase(hit);
      if (kept != find_.Kept.end()) UnHilightCell(rc, r, kept, Tag);
    }
  }
  // What is left of this tag in the range was written over since: those cells keep their text.
  for (auto it = find_.Kept.begin(); it != find_.Kept.end();) {
    const int rc = static_cast<int>(it->first >> 32), r = static_cast<int>(it->first & 0xFFFFFFFFu);
    const bool inRange = r >= R0 && r <= R1 && DisplColIndex(rc) >= C0 && DisplColIndex(rc) <= C1;
    if (it->second.HasTag(Tag) && inRange && GridCells(rc, r) != it->second.Written) it = find_.Kept.erase(it);
    else ++it;
  }
  EndUpdate();
}

void TExtStringGrid::HilightInGrid(bool FixedCells, bool CaseSensitive, const std::string& Text) {
  if (FixedCells) HilightCells(0, 0, ColCount() - 1, RowCount() - 1, CaseSensitive, Text, kHiTag);
  else
    HilightCells(FixedCols(), FixedRows(), ColCount() - 1 - fixedRightCols_, RowCount() - 1 - fixedFooters_,
                 CaseSensitive, Text, kHiTag);
}

void TExtStringGrid::UnHilightInGrid(bool FixedCells) {
  if (FixedCells) UnHilightCells(0, 0, ColCount() - 1, RowCount() - 1, kHiTag);
  else
    UnHilightCells(FixedCols(), FixedRows(), ColCount() - 1 - fixedRightCols_, RowCount() - 1 - fixedFooters_,
                   kHiTag);
}

void TExtStringGrid::HilightInRange(TGridRect R, bool CaseSensitive, const std::string& Text, const std::string& Tag) {
  if (Tag.empty() || Tag.find_first_of("<>/ ") != std::string::npos) return;
  HilightCells(R.Left, R.Top, R.Right, R.Bottom, CaseSensitive, Text, Tag);
}

void TExtStringGrid::UnHilightInRange(TGridRect R, const std::string& Tag) {
  UnHilightCells(R.Left, R.Top, R.Right, R.Bottom, Tag);
}

// ---------------------------------------------------------------- the search footer's actions
void TExtStringGrid::SearchFooterEditChange(const std::string& Text, bool MatchCase, bool Highlight) {
  if (!searchFooter_->AutoSearch) return;
  TFindFlags f = ffGotoFound;
  if (Highlight) f |= ffStripTags;
  if (MatchCase) f |= ffCaseSensitive;
  if (searchFooter_->SearchActiveColumnOnly) f |= ffCurrentCol;
  const int sc = searchFooter_->SearchColumn;
  if (sc >= 0 && sc < ColCount()) {
    f |= ffPresetCol;
    PresetCol = sc;
  }
  UnHilightInGrid(false);
  if (Text.empty()) {
    find_.EditColor = clWindow;
    return;
  }
  TPoint found;
  FindCell(TPoint(-1, -1), Text, found, f);
  if (found.X < 0) {
    find_.EditColor = TColorOf(0x0000FF);
    return;
  }
  find_.EditColor = clWindow;
  ScrollInView(found.X, found.Y);
  if (Highlight) HilightInGrid(false, false, Text);
  StepAfterSearch();
}

void TExtStringGrid::SearchFooterFind(const std::string& Text, bool Backward) {
  TPoint start = find_.LastFound;
  if (!searchFooter_->AutoSearch && Text != find_.LastSearched) {
    start = TPoint(-1, -1);
    find_.LastSearched = Text;
  }
  TPoint found;
  FindCell(start, Text, found, ffGotoFound | (Backward ? static_cast<int>(ffBackward) : 0));
  StepAfterSearch();
}

void TExtStringGrid::SearchFooterHighlight(bool On, const std::string& Text) {
  if (On) HilightInGrid(false, false, Text);
  else UnHilightInGrid(false);
}

void TExtStringGrid::SearchFooterClose() { searchFooter_->SetVisible(false); }

void TExtStringGrid::StepAfterSearch() {
  // The found row may lie under the footers at the bottom: the view moves down until it shows.
  if (FooterPanelsHeight() == 0) return;
  const int limit = ClientHeight() - FooterPanelsHeight();
  for (int n = 0; n < RowCount(); ++n) {
    const TRect r = CellRect(Col(), Row());
    if (r.Height() <= 0 || r.Bottom <= limit || TopRow() >= MaxTopRow()) break;
    SetTopRow(TopRow() + 1);
  }
}

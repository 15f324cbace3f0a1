#include "platform/grid/GridStore.h"

#include <algorithm>
#include <utility>

const std::string TGridStore::kEmptyText;

namespace {
const std::string& kEmpty = TGridStore::kEmptyText;
}

void TGridStore::CheckIndex(int Index) {
  if (Index < 0 || Index >= kIndexBound) throw EInvalidGridOperation("Grid index out of range");
}

void TGridStore::CheckIndex(int Col, int Row) {
  CheckIndex(Col);
  CheckIndex(Row);
}

const std::string& TGridStore::Text(int Col, int Row) const {
  CheckIndex(Col, Row);
  if (Row >= static_cast<int>(rows_.size())) return kEmpty;
  const auto& t = rows_[static_cast<size_t>(Row)].Texts;
  return Col < static_cast<int>(t.size()) ? t[static_cast<size_t>(Col)] : kEmpty;
}

TObject* TGridStore::Object(int Col, int Row) const {
  CheckIndex(Col, Row);
  if (Row >= static_cast<int>(rows_.size())) return nullptr;
  const auto& o = rows_[static_cast<size_t>(Row)].Objects;
  return o && Col < static_cast<int>(o->size()) ? (*o)[static_cast<size_t>(Col)] : nullptr;
}

TGridStore::TRow& TGridStore::RowFor(int Row) {
  if (Row >= static_cast<int>(rows_.size())) rows_.resize(static_cast<size_t>(Row) + 1);
  return rows_[static_cast<size_t>(Row)];
}

void TGridStore::Grow(std::vector<std::string>& v, int Col, int Hint) {
  size_t need = static_cast<size_t>(Col) + 1;
  if (v.size() >= need) return;
  // Grow to exactly what is needed (at least the hint), never by doubling: rows stay tight.
  size_t want = std::max(need, static_cast<size_t>(Hint));
  if (v.capacity() < want) v.reserve(std::max(want, v.capacity() + v.capacity() / 4));
  v.resize(need);
}

std::vector<std::string>& TGridStore::RowTexts(int Row) {
  CheckIndex(Row);
  return RowFor(Row).Texts;
}

void TGridStore::SetText(int Col, int Row, const std::string& Value) {
  CheckIndex(Col, Row);
  if (Value.empty()) {
    // An empty text never makes a row or column exist.
    if (Row < static_cast<int>(rows_.size())) {
      auto& t = rows_[static_cast<size_t>(Row)].Texts;
      if (Col < static_cast<int>(t.size())) t[static_cast<size_t>(Col)].clear();
    }
    return;
  }
  auto& t = RowFor(Row).Texts;
  Grow(t, Col, colHint_);
  t[static_cast<size_t>(Col)] = Value;
}

void TGridStore::SwapText(int Col, int Row, std::string& Value) {
  if (Value.empty()) return SetText(Col, Row, Value);
  CheckIndex(Col, Row);
  auto& t = RowFor(Row).Texts;
  Grow(t, Col, colHint_);
  t[static_cast<size_t>(Col)].swap(Value);
}

void TGridStore::SetObject(int Col, int Row, TObject* Value) {
  CheckIndex(Col, Row);
  if (!Value) {
    if (Row < static_cast<int>(rows_.size())) {
      auto& o = rows_[static_cast<size_t>(Row)].Objects;
      if (o && Col < static_cast<int>(o->size())) (*o)[static_cast<size_t>(Col)] = nullptr;
    }
    return;
  }
  auto& o = RowFor(Row).Objects;
  if (!o) o = std::make_unique<std::vector<TObject*>>();
  if (static_cast<int>(o->size()) <= Col) o->resize(std::max(static_cast<size_t>(Col) + 1, static_cast<size_t>(colHint_)));
  (*o)[static_cast<size_t>(Col)] = Value;
}

void TGridStore::MoveRow(int From, int To) {
  CheckIndex(From);
  CheckIndex(To);
  if (From == To) return;
  RowFor(std::max(From, To));
  auto f = rows_.begin() + From, t = rows_.begin() + To;
  if (From < To)
    std::rotate(f, f + 1, t + 1);
  else
    std::rotate(t, f, f + 1);
}

void TGridStore::MoveRows(int From, int Count, int To) {
  if (Count <= 0 || From == To) return;
  CheckIndex(From);
  CheckIndex(To);
  CheckIndex(From + Count - 1);
  CheckIndex(To + Count - 1);
  RowFor(std::max(From, To) + Count - 1);
  auto b = rows_.begin();
  if (From < To)
    std::rotate(b + From, b + From + Count, b + To + Count);
  else
    std::rotate(b + To, b + From, b + From + Count);
}

void TGridStore::SwapRows(int A, int B) {
  CheckIndex(A);
  CheckIndex(B);
  if (A == B) return;
  RowFor(std::max(A, B));
  std::swap(rows_[static_cast<size_t>(A)], rows_[static_cast<size_t>(B)]);
}

void TGridStore::MoveCol(int From, int To) {
  CheckIndex(From);
  CheckIndex(To);
  if (From == To) return;
  for (TRow& row : rows_) MoveColIn(row, From, To);
}

void TGridStore::MoveColIn(TRowCells& Row, int From, int To) {
  if (From < 0 || To < 0 || From == To) return;
  const int hi = std::max(From, To);
  const bool texts = static_cast<int>(Row.Texts.size()) > std::min(From, To);
  const bool objects = Row.Objects && static_cast<int>(Row.Objects->size()) > std::min(From, To);
  if (texts) {
    Grow(Row.Texts, hi, 0);
    auto f = Row.Texts.begin() + From, t = Row.Texts.begin() + To;
    From < To ? std::rotate(f, f + 1, t + 1) : std::rotate(t, f, f + 1);
  }
  if (objects) {
    auto& o = *Row.Objects;
    if (static_cast<int>(o.size()) <= hi) o.resize(static_cast<size_t>(hi) + 1);
    auto f = o.begin() + From, t = o.begin() + To;
    From < To ? std::rotate(f, f + 1, t + 1) : std::rotate(t, f, f + 1);
  }
}

void TGridStore::PermuteRows(int Lo, const std::vector<int>& Order) {
  if (Order.empty()) return;
  CheckIndex(Lo);
  CheckIndex(Lo + static_cast<int>(Order.size()) - 1);
  RowFor(Lo + static_cast<int>(Order.size()) - 1);
  std::vector<TRow> moved(Order.size());
  for (size_t k = 0; k < Order.size(); ++k) moved[k] = std::move(rows_[static_cast<size_t>(Order[k])]);
  std::move(moved.begin(), moved.end(), rows_.begin() + Lo);
}

TGridStore::TRowCells TGridStore::TakeRow(int Row) {
  CheckIndex(Row);
  if (Row >= static_cast<int>(rows_.size())) return {};
  return std::exchange(rows_[static_cast<size_t>(Row)], TRow{});
}

void TGridStore::PutRow(int Row, TRowCells Cells) {
  CheckIndex(Row);
  if (Cells.Texts.empty() && !Cells.Objects && Row >= static_cast<int>(rows_.size())) return;
  RowFor(Row) = std::move(Cells);
}

void TGridStore::ClearRow(int Row) {
  CheckIndex(Row);
  if (Row >= static_cast<int>(rows_.size())) return;
  TRow& r = rows_[static_cast<size_t>(Row)];
  std::vector<std::string>().swap(r.Texts);
  r.Objects.reset();
}

void TGridStore::ClearCol(int Col) {
  CheckIndex(Col);
  for (TRow& row : rows_) {
    if (Col < static_cast<int>(row.Texts.size())) row.Texts[static_cast<size_t>(Col)].clear();
    if (row.Objects && Col < static_cast<int>(row.Objects->size())) (*row.Objects)[static_cast<size_t>(Col)] = nullptr;
  }
}

void TGridStore::Clear() { std::vector<TRow>().swap(rows_); }

int TGridStore::ColsHeldInRow(int Row) const {
  if (Row < 0 || Row >= static_cast<int>(rows_.size())) return 0;
  const TRow& r = rows_[static_cast<size_t>(Row)];
  size_t n = r.Texts.size();
  if (r.Objects) n = std::max(n, r.Objects->size());
  return static_cast<int>(n);
}

int TGridStore::ColsHeld() const {
  size_t n = 0;
  for (const TRow& r : rows_) {
    n = std::max(n, r.Texts.size());
    if (r.Objects) n = std::max(n, r.Objects->size());
  }
  return static_cast<int>(n);
}

size_t TGridStore::MemoryUsed() const {
  size_t n = sizeof(*this) + rows_.capacity() * sizeof(TRow);
  for (const TRow& r : rows_) {
    n += r.Texts.capacity() * sizeof(std::string);
    for (const std::string& s : r.Texts)
      if (s.capacity() > 15) n += s.capacity() + 1;  // beyond the text kept inside the string
    if (r.Objects) n += sizeof(*r.Objects) + r.Objects->capacity() * sizeof(TObject*);
  }
  return n;
}

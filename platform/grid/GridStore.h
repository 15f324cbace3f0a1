#pragma once
// The cell store of the string grid: a text and an object pointer per cell,
// kept per row and independent of the grid's counts. Whatever is written
// stays until it is overwritten, also beyond the current counts, so a grid
// that shrinks and grows again shows it again. Indexes run from 0 to
// kIndexBound - 1; anything else raises EInvalidGridOperation ("Grid index out
// of range") and touches nothing.
//
// Storage: one vector of texts per written row, sized to the widest written
// column of that row (at least the column hint), and a vector of objects only
// for rows that ever held one. A short text lives inside its std::string, so a
// two-character cell costs the string itself and nothing on the heap.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"

class EInvalidGridOperation : public Exception {
 public:
  using Exception::Exception;
};

class TGridStore {
 public:
  static constexpr int kIndexBound = 1 << 20;
  // The most cells (columns times rows) a grid grows to from outside data: a file, the text
  // stream, the clipboard, a drop. Every such reader asks WithinCellLimit before it grows
  // anything; at about 32 bytes an empty cell that is half a gigabyte.
  static constexpr int64_t kCellLimit = int64_t(1) << 24;
  static bool WithinCellLimit(int64_t Cols, int64_t Rows) {
    return Cols >= 0 && Rows >= 0 && Cols <= kIndexBound && Rows <= kIndexBound && Cols * Rows <= kCellLimit;
  }
  // What a cell never written reads.
  static const std::string kEmptyText;

  // Raises "Grid index out of range" unless 0 <= Col, Row < kIndexBound.
  static void CheckIndex(int Col, int Row);
  static void CheckIndex(int Index);

  const std::string& Text(int Col, int Row) const;
  void SetText(int Col, int Row, const std::string& Value);
  // As SetText, but the text is exchanged, not copied: Value comes back holding the cell's
  // text of before (its buffer for the caller's next text). An empty Value stays empty.
  void SwapText(int Col, int Row, std::string& Value);
  TObject* Object(int Col, int Row) const;
  // Both at once (one lookup), for readers on a hot path; the same checks.
  const std::string& TextAndObject(int Col, int Row, TObject*& Obj) const {
    if (Col < 0 || Row < 0 || Col >= kIndexBound || Row >= kIndexBound) CheckIndex(Col, Row);
    Obj = nullptr;
    if (Row >= static_cast<int>(rows_.size())) return kEmptyText;
    const TRow& r = rows_[static_cast<size_t>(Row)];
    if (r.Objects && Col < static_cast<int>(r.Objects->size())) Obj = (*r.Objects)[static_cast<size_t>(Col)];
    return Col < static_cast<int>(r.Texts.size()) ? r.Texts[static_cast<size_t>(Col)] : kEmptyText;
  }
  void SetObject(int Col, int Row, TObject* Value);

  // Rows (columns) move as a list item moves: the one at From goes to To, those between shift.
  void MoveRow(int From, int To);
  void MoveCol(int From, int To);
  // Count rows from From move as one block so that the first lands at To (an index of the
  // order after the move); the rows between shift. One pass, whatever the count.
  void MoveRows(int From, int Count, int To);
  // Two rows change places (texts and objects), whatever their length.
  void SwapRows(int A, int B);
  // The rows from Lo take a new order in one pass: position Lo + k gets the row that stood at
  // Order[k] (the caller gives a permutation of Lo .. Lo + n - 1).
  void PermuteRows(int Lo, const std::vector<int>& Order);

  // For a reader that fills a row field by field: the row's texts (the row is made when missing)
  // and one cell among them, grown as SetText grows a row. Both references hold until the store's
  // rows change.
  std::vector<std::string>& RowTexts(int Row);
  // Room for rows up to Rows (exclusive) before a reader fills them one by one.
  void ReserveRows(int Rows) { rows_.reserve(static_cast<size_t>(std::clamp(Rows, 0, kIndexBound))); }
  // Every row from Row on is dropped, as though never written: a reader's way back.
  void DropRowsFrom(int Row) {
    if (Row >= 0 && Row < RowsHeld()) rows_.resize(static_cast<size_t>(Row));
  }
  std::string& TextIn(std::vector<std::string>& Texts, int Col) const {
    if (Col < 0 || Col >= kIndexBound) CheckIndex(Col);
    // The next cell of a row with room: the common case of a row filled from its left.
    if (static_cast<size_t>(Col) == Texts.size() && Texts.size() < Texts.capacity()) return Texts.emplace_back();
    if (Col >= static_cast<int>(Texts.size())) Grow(Texts, Col, colHint_);
    return Texts[static_cast<size_t>(Col)];
  }

  // One row's cells: texts, and objects once one is set.
  struct TRowCells {
    std::vector<std::string> Texts;
    std::unique_ptr<std::vector<TObject*>> Objects;
  };
  // A row's cells taken out whole (the row is left empty) and put in whole (what the row held is
  // dropped), without copying.
  TRowCells TakeRow(int Row);
  void PutRow(int Row, TRowCells Cells);
  // A column moves inside one row's cells as MoveCol moves it in every row.
  static void MoveColIn(TRowCells& Row, int From, int To);
  // Empties every cell of a row (column); objects are dropped, never freed.
  void ClearRow(int Row);
  void ClearCol(int Col);
  void Clear();

  // New rows reserve this many cells, so a row written cell by cell grows once.
  void SetColHint(int Cols) { colHint_ = Cols < 1 ? 1 : Cols; }
  // Rows holding anything (the highest written row + 1) and the widest row.
  int RowsHeld() const { return static_cast<int>(rows_.size()); }
  int ColsHeld() const;
  // The columns one row holds anything in (texts or objects).
  int ColsHeldInRow(int Row) const;
  // Bytes the store holds on the heap and in itself, for measuring.
  size_t MemoryUsed() const;

 private:
  using TRow = TRowCells;
  TRow& RowFor(int Row);
  static void Grow(std::vector<std::string>& v, int Col, int Hint);

  std::vector<TRow> rows_;
  int colHint_ = 1;
};

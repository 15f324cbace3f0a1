// The string grid's cell store on its own: texts and objects per cell, kept
// beyond any count, moved with their rows and columns, and bad indexes refused.
#include <gtest/gtest.h>

#include <string>

#include "platform/grid/GridStore.h"

namespace {

class TTag : public TObject {};

TEST(GridStore, TextsAndObjectsAreIndependentAndTakeAnyByte) {
  TGridStore s;
  TTag a, b;
  std::string bytes("A\0B\xff", 4);
  s.SetText(3, 2, bytes);
  s.SetObject(3, 2, &a);
  s.SetObject(7, 900, &b);
  EXPECT_EQ(s.Text(3, 2), bytes) << "a NUL and a high byte stay in the text";
  EXPECT_EQ(s.Object(3, 2), &a);
  EXPECT_EQ(s.Text(7, 900), "") << "an object alone leaves the text empty";
  EXPECT_EQ(s.Object(7, 900), &b);
  s.SetText(3, 2, "");
  EXPECT_EQ(s.Object(3, 2), &a) << "emptying the text keeps the object";
  EXPECT_EQ(s.Text(100, 100), "") << "a cell never written reads empty";
  EXPECT_EQ(s.Object(100, 100), nullptr);
  EXPECT_EQ(s.Text(3, 100000), "");
}

TEST(GridStore, IndexesOutsideTheBoundRaiseAndChangeNothing) {
  TGridStore s;
  s.SetText(1, 1, "x");
  const int bound = TGridStore::kIndexBound;
  for (auto [c, r] : {std::pair{-1, 0}, {0, -1}, {bound, 0}, {0, bound}, {-2147483647 - 1, 5}}) {
    EXPECT_THROW(s.SetText(c, r, "y"), EInvalidGridOperation) << c << "," << r;
    EXPECT_THROW(s.Text(c, r), EInvalidGridOperation);
    EXPECT_THROW(s.SetObject(c, r, nullptr), EInvalidGridOperation);
    EXPECT_THROW(s.Object(c, r), EInvalidGridOperation);
  }
  try {
    s.Text(-1, 0);
  } catch (EInvalidGridOperation& e) {
    EXPECT_EQ(e.Message(), "Grid index out of range");
  }
  EXPECT_THROW(s.MoveRow(0, bound), EInvalidGridOperation);
  EXPECT_THROW(s.MoveCol(-1, 0), EInvalidGridOperation);
  EXPECT_EQ(s.Text(1, 1), "x");
  EXPECT_EQ(s.RowsHeld(), 2) << "nothing grew for the refused writes";
  s.SetText(bound - 1, bound - 1, "edge");
  EXPECT_EQ(s.Text(bound - 1, bound - 1), "edge") << "the last index inside the bound is kept";
}

TEST(GridStore, SwapTextStoresTheTextAndHandsBackTheOldOne) {
  TGridStore s;
  std::string v = std::string(40, 'a');  // beyond any short-string buffer
  s.SwapText(2, 3, v);
  EXPECT_EQ(s.Text(2, 3), std::string(40, 'a'));
  EXPECT_EQ(v, "") << "a cell never written hands back an empty text";
  v = "new";
  s.SwapText(2, 3, v);
  EXPECT_EQ(s.Text(2, 3), "new");
  EXPECT_EQ(v, std::string(40, 'a')) << "the text of before comes back";
  std::string empty;
  s.SwapText(2, 3, empty);
  EXPECT_EQ(s.Text(2, 3), "") << "an empty text empties the cell";
  EXPECT_EQ(empty, "");
  s.SwapText(5, 50, empty);
  EXPECT_EQ(s.RowsHeld(), 4) << "an empty text makes no row exist";
  EXPECT_EQ(s.ColsHeldInRow(3), 3);
  std::string y = "y";
  EXPECT_THROW(s.SwapText(-1, 0, y), EInvalidGridOperation);
  EXPECT_THROW(s.SwapText(0, TGridStore::kIndexBound, y), EInvalidGridOperation);
  EXPECT_EQ(y, "y") << "a refused write keeps the text";
  EXPECT_EQ(s.RowsHeld(), 4);
}

TEST(GridStore, RowsAndColumnsMoveAsListItemsDo) {
  TGridStore s;
  TTag t;
  for (int r = 0; r < 5; ++r) s.SetText(0, r, "r" + std::to_string(r));
  s.SetObject(1, 1, &t);
  s.MoveRow(1, 3);  // r0 r2 r3 r1 r4
  EXPECT_EQ(s.Text(0, 1), "r2");
  EXPECT_EQ(s.Text(0, 3), "r1");
  EXPECT_EQ(s.Object(1, 3), &t) << "the object travels with its row";
  s.MoveRow(3, 0);  // r1 r0 r2 r3 r4
  EXPECT_EQ(s.Text(0, 0), "r1");
  EXPECT_EQ(s.Text(0, 1), "r0");
  s.MoveRow(2, 9);  // beyond what is held: the row goes there and the rest shift up
  EXPECT_EQ(s.Text(0, 9), "r2");
  EXPECT_EQ(s.Text(0, 2), "r3");

  TGridStore c;
  for (int i = 0; i < 4; ++i) c.SetText(i, 0, "c" + std::to_string(i));
  c.SetText(1, 5, "short row");  // a row holding fewer columns than moved
  c.SetObject(0, 7, &t);
  c.MoveCol(0, 2);  // c1 c2 c0 c3
  EXPECT_EQ(c.Text(0, 0), "c1");
  EXPECT_EQ(c.Text(2, 0), "c0");
  EXPECT_EQ(c.Text(0, 5), "short row");
  EXPECT_EQ(c.Object(2, 7), &t);
  c.ClearCol(2);
  EXPECT_EQ(c.Text(2, 0), "");
  EXPECT_EQ(c.Object(2, 7), nullptr);
  c.ClearRow(0);
  EXPECT_EQ(c.Text(0, 0), "");
  EXPECT_EQ(c.Text(3, 0), "");
}

TEST(GridStore, TwoCharacterCellsStayUnderFortyEightBytes) {
  TGridStore s;
  s.SetColHint(17);
  for (int r = 0; r < 4097; ++r)
    for (int c = 0; c < 17; ++c) s.SetText(c, r, "A5");
  double perCell = static_cast<double>(s.MemoryUsed()) / (4097.0 * 17.0);
  EXPECT_LT(perCell, 48.0);
}

}  // namespace

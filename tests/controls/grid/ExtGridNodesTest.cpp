// Tree nodes against a model: random nested trees folded and unfolded whole and node by node
// show exactly the rows the model says, and give back the same table; inserted and removed
// child rows keep every hidden row's data on its row; signs answer the mouse.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "tests/controls/grid/GridInputFixture.h"

namespace {

struct TNode {
  int Row, Span;
};

class NodesTest : public GridInputTest {
 public:
  // Rows 1..n with their own texts; nodes nested at random (each inside its parent's span).
  std::vector<TNode> Build(std::mt19937& g, int n) {
    grid->SetRowCount(n + 1);
    for (int r = 1; r <= n; ++r)
      for (int c = 0; c < grid->ColCount(); ++c) grid->SetCells(c, r, "r" + std::to_string(r) + "c" + std::to_string(c));
    std::vector<TNode> nodes;
    Nest(g, 1, n, 0, nodes);
    for (const TNode& k : nodes) grid->AddNode(k.Row, k.Span);
    return nodes;
  }
  void Nest(std::mt19937& g, int from, int to, int depth, std::vector<TNode>& out) {
    for (int r = from; r <= to;) {
      int span = 2 + static_cast<int>(g() % 8u);
      if (depth > 3 || r + span - 1 > to || g() % 3 == 0) {
        ++r;
        continue;
      }
      out.push_back({r, span});
      Nest(g, r + 1, r + span - 1, depth + 1, out);
      r += span;
    }
  }
  // The first cell's text of each displayed row.
  std::vector<std::string> Shown() const {
    std::vector<std::string> v;
    for (int r = 1; r < grid->RowCount(); ++r) v.push_back(grid->Cells(1, r));
    return v;
  }
  std::vector<std::string> AllTexts() const {
    std::vector<std::string> v;
    for (int r = 0; r < grid->RowCount(); ++r)
      for (int c = 0; c < grid->ColCount(); ++c) v.push_back(grid->Cells(c, r));
    return v;
  }
  // Rows the model shows when the nodes in Folded are contracted.
  static std::vector<std::string> Model(int n, const std::vector<TNode>& nodes, const std::set<int>& Folded) {
    std::vector<bool> hidden(static_cast<size_t>(n) + 1, false);
    for (const TNode& k : nodes)
      if (Folded.count(k.Row))
        for (int r = k.Row + 1; r < k.Row + k.Span; ++r) hidden[static_cast<size_t>(r)] = true;
    std::vector<std::string> v;
    for (int r = 1; r <= n; ++r)
      if (!hidden[static_cast<size_t>(r)]) v.push_back("r" + std::to_string(r) + "c1");
    return v;
  }
};

// Folding all, unfolding nodes one by one in random order, and unfolding all: the rows shown are
// the model's at every step, and the table comes back unchanged.
TEST_F(NodesTest, FoldingFollowsTheModel) {
  for (unsigned seed = 1; seed <= 6; ++seed) {
    std::mt19937 g(seed);
    const int n = 120;
    std::vector<TNode> nodes = Build(g, n);
    ASSERT_FALSE(nodes.empty());
    const std::vector<std::string> before = AllTexts();
    std::set<int> folded;
    for (const TNode& k : nodes) folded.insert(k.Row);
    grid->ContractAll();
    SCOPED_TRACE("seed " + std::to_string(seed));
    EXPECT_EQ(Shown(), Model(n, nodes, folded));
    std::vector<TNode> order = nodes;
    std::shuffle(order.begin(), order.end(), g);
    for (const TNode& k : order) {
      if (g() % 2 == 0) {
        grid->ExpandNode(k.Row);  // a node still folded inside another stays hidden
        if (!grid->IsHiddenRow(k.Row)) folded.erase(k.Row);
      } else if (!grid->IsHiddenRow(k.Row)) {
        grid->ContractNode(k.Row);
        folded.insert(k.Row);
      }
      ASSERT_EQ(Shown(), Model(n, nodes, folded)) << "after node " << k.Row;
    }
    grid->ExpandAll();
    EXPECT_EQ(AllTexts(), before);
    EXPECT_EQ(grid->NumHiddenRows(), 0);
    grid->RemoveAllNodes();
    EXPECT_EQ(grid->NodeCount(), 0);
    EXPECT_EQ(grid->RowIndent(5), 0);
  }
}

// Many rows hidden at once and shown at once end as the same rows hidden and shown one by one:
// texts, colours, heights, the current row, and the unsorted order a restore gives back after a
// sort; without a sort the table comes back exactly.
TEST_F(NodesTest, RowsHiddenAtOnceMatchRowsHiddenOneByOne) {
  auto* twin = new TExtStringGrid(form);
  twin->SetParent(form);
  twin->SetBounds(10, 10, 480, 300);
  for (unsigned seed = 1; seed <= 8; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 g(seed);
    const int n = 80;
    const bool sorted = seed % 2 == 0;
    std::vector<int> hide;
    for (int r = 1; r <= n; ++r)
      if (g() % 3 != 0) hide.push_back(r);
    std::vector<std::string> before;
    for (TExtStringGrid* x : {grid, twin}) {
      x->SetColCount(3);
      x->SetRowCount(n + 1);
      std::mt19937 f(seed);
      x->SetCells(1, 0, "key");
      x->SetCells(2, 0, "name");
      for (int r = 1; r <= n; ++r) {
        x->SetCells(1, r, std::to_string(f() % 20));
        x->SetCells(2, r, "r" + std::to_string(r));
        x->SetRowHeights(r, 18 + static_cast<int>(f() % 3));
        if (f() % 4 == 0) x->SetColors(2, r, clRed);
      }
      x->SetRow(n / 2);
      if (sorted) {
        x->SortSettings()->Column = 1;
        x->SortByColumn();
      }
    }
    auto table = [](TExtStringGrid* x) {
      std::vector<std::string> v;
      for (int r = 0; r < x->RowCount(); ++r)
        v.push_back(x->Cells(2, r) + "/" + x->Cells(1, r) + "/" + std::to_string(x->RowHeights(r)) + "/" +
                    std::to_string(x->Colors(2, r)));
      return v;
    };
    before = table(grid);
    grid->HideRowList(hide);
    for (auto it = hide.rbegin(); it != hide.rend(); ++it) twin->HideRow(*it);
    ASSERT_EQ(table(grid), table(twin));
    EXPECT_EQ(grid->Row(), twin->Row());
    EXPECT_EQ(grid->RowCount(), n + 1 - static_cast<int>(hide.size()));
    grid->UnHideRowsAll();
    for (int r : hide) twin->UnHideRow(r);
    ASSERT_EQ(table(grid), table(twin));
    EXPECT_EQ(grid->Row(), twin->Row());
    if (sorted) {
      grid->RestoreUnsortedOrder();
      twin->RestoreUnsortedOrder();
      EXPECT_EQ(table(grid), table(twin));
    } else {
      EXPECT_EQ(table(grid), before);
    }
  }
}

// Folding every node and unfolding them again, against a model of the shape: the rows shown and
// their real/displayed indexes, the hidden rows, the node states, the current row, the texts, and
// the merged areas (one reaching into a folded span is split, one within a row or among shown rows
// is kept); with and without the row check boxes standing over column 0.
TEST_F(NodesTest, FoldAllAndUnfoldAllMatchTheModel) {
  struct TMerge {
    int Col, Row, Cols, Rows;
  };
  struct TShape {
    const char* Name;
    int Rows;
    std::vector<TNode> Nodes;
    std::vector<TMerge> Merges;
    int Current;
    bool Checks;
    int Footers = 0;
  };
  const std::vector<TShape> shapes = {
      {"one node", 10, {{2, 4}}, {}, 3, false},
      {"nested and side by side", 30, {{1, 12}, {2, 5}, {3, 2}, {7, 6}, {15, 10}, {20, 3}}, {}, 22, false},
      {"node on the last rows", 12, {{8, 5}}, {}, 12, false},
      {"span to the next node", 16, {{2, 0}, {6, 0}, {10, 3}}, {}, 4, false},
      {"merges across, within and among shown rows", 20, {{3, 5}, {12, 4}},
       {{2, 2, 1, 3}, {3, 5, 2, 1}, {2, 8, 2, 2}, {3, 14, 1, 4}, {2, 16, 1, 3}}, 1, false},
      {"row check boxes", 24, {{1, 6}, {2, 3}, {10, 8}}, {{2, 11, 1, 2}}, 12, true},
      {"a merge down into the footer", 10, {{7, 3}}, {{2, 9, 1, 2}}, 5, false, 1},
  };
  for (const TShape& k : shapes) {
    SCOPED_TRACE(k.Name);
    grid->ClearAll();
    grid->MouseActions()->SetHotmailRowSelect(k.Checks);
    grid->SetRowCount(k.Rows + 1);
    grid->SetFixedFooters(k.Footers);
    for (int r = 1; r <= k.Rows; ++r)
      for (int c = 1; c < grid->ColCount(); ++c) grid->SetCells(c, r, "r" + std::to_string(r) + "c" + std::to_string(c));
    for (const TMerge& m : k.Merges) ASSERT_TRUE(grid->MergeCells(m.Col, m.Row, m.Cols, m.Rows));
    for (const TNode& n : k.Nodes) grid->AddNode(n.Row, n.Span);
    grid->SetRow(k.Current);
    const std::vector<std::string> before = AllTexts();

    // The model: a span of 0 reaches to the row before the next node (or the last row).
    std::vector<bool> hidden(static_cast<size_t>(k.Rows) + 1, false);
    for (size_t i = 0; i < k.Nodes.size(); ++i) {
      const TNode& n = k.Nodes[i];
      const int end = n.Span > 0 ? n.Row + n.Span - 1 : (i + 1 < k.Nodes.size() ? k.Nodes[i + 1].Row - 1 : k.Rows);
      for (int r = n.Row + 1; r <= end; ++r) hidden[static_cast<size_t>(r)] = true;
    }
    std::vector<int> shown = {0};
    for (int r = 1; r <= k.Rows; ++r)
      if (!hidden[static_cast<size_t>(r)]) shown.push_back(r);
    int folder = k.Current;
    while (hidden[static_cast<size_t>(folder)]) --folder;
    auto kept = [&](const TMerge& m) {
      if (m.Rows == 1) return true;
      for (int r = m.Row; r < m.Row + m.Rows; ++r)
        if (hidden[static_cast<size_t>(r)]) return false;
      return true;
    };

    grid->ContractAll();
    ASSERT_EQ(grid->RowCount(), static_cast<int>(shown.size()));
    EXPECT_EQ(grid->NumHiddenRows(), k.Rows + 1 - static_cast<int>(shown.size()));
    for (int d = 0; d < grid->RowCount(); ++d) {
      const int real = shown[static_cast<size_t>(d)];
      EXPECT_EQ(grid->RealRowIndex(d), real) << d;
      EXPECT_EQ(grid->DisplRowIndex(real), d) << real;
      if (real > 0) {
        EXPECT_EQ(grid->Cells(1, d), "r" + std::to_string(real) + "c1") << d;
      }
    }
    for (int r = 1; r <= k.Rows; ++r) EXPECT_EQ(grid->IsHiddenRow(r), hidden[static_cast<size_t>(r)]) << r;
    for (const TNode& n : k.Nodes)
      if (!hidden[static_cast<size_t>(n.Row)]) {
        EXPECT_TRUE(grid->GetNodeState(n.Row)) << n.Row;
      }
    EXPECT_EQ(grid->RealRowIndex(grid->Row()), folder);

    grid->ExpandAll();
    EXPECT_EQ(grid->NumHiddenRows(), 0);
    ASSERT_EQ(grid->RowCount(), k.Rows + 1);
    for (int r = 0; r <= k.Rows; ++r) EXPECT_EQ(grid->RealRowIndex(r), r);
    for (const TNode& n : k.Nodes) EXPECT_FALSE(grid->GetNodeState(n.Row)) << n.Row;
    for (const TMerge& m : k.Merges) {
      const TPoint last(m.Col + m.Cols - 1, m.Row + m.Rows - 1);
      EXPECT_EQ(grid->BaseCell(last.X, last.Y), kept(m) ? TPoint(m.Col, m.Row) : last) << m.Col << "," << m.Row;
      EXPECT_EQ(grid->Cells(m.Col, m.Row), "r" + std::to_string(m.Row) + "c" + std::to_string(m.Col));
    }
    for (int r = 1; r <= k.Rows; ++r) EXPECT_EQ(grid->Cells(1, r), before[static_cast<size_t>(r * grid->ColCount() + 1)]);
    for (const TMerge& m : k.Merges) grid->SplitCells(m.Col, m.Row);
    grid->RemoveAllNodes();
    grid->SetFixedFooters(0);
  }
}

// Levels, spans, kinds, parents and the sign's band of a small tree.
TEST_F(NodesTest, QueriesOfATree) {
  grid->SetRowCount(9);
  grid->AddNode(1, 5);  // rows 1..5
  grid->AddNode(2, 2);  // rows 2..3, inside
  grid->AddNode(6, 0);  // up to the end
  const int indent = grid->CellNode()->NodeIndent();
  struct Row {
    int R, Level, Span, Kind, Parent;
  };
  const Row rows[] = {{1, 1, 5, 0, 1}, {2, 2, 2, 0, 1}, {3, -1, -1, 1, 2}, {4, -1, -1, 2, 1},
                      {5, -1, -1, 2, 1}, {6, 1, 0, 0, 6}, {7, -1, -1, 2, 6}, {8, -1, -1, 1, 6}};
  for (const Row& x : rows) {
    SCOPED_TRACE(x.R);
    EXPECT_EQ(grid->GetNodeLevel(x.R), x.Level);
    EXPECT_EQ(grid->GetNodeSpan(x.R), x.Span);
    EXPECT_EQ(grid->NodeRowKind(x.R), x.Kind);
    EXPECT_EQ(grid->GetParentNode(x.R), x.Parent);
  }
  const int left = grid->CellRect(0, 2).Left;
  EXPECT_FALSE(grid->IsNodeGlyphHit(2, left + indent / 2));
  EXPECT_TRUE(grid->IsNodeGlyphHit(2, left + indent + indent / 2));
  grid->SetBiDiMode(bdRightToLeft);  // the sign stays where it is drawn, and so does its band
  EXPECT_TRUE(grid->IsNodeGlyphHit(2, left + indent + indent / 2));
  EXPECT_FALSE(grid->IsNodeGlyphHit(2, grid->CellRect(0, 2).Right - indent - indent / 2));
  grid->SetBiDiMode(bdLeftToRight);
  EXPECT_EQ(grid->RowIndent(3), 2 * indent);
  grid->ContractNode(6);
  EXPECT_EQ(grid->RowCount(), 7);  // rows 7 and 8 folded
  EXPECT_TRUE(grid->GetNodeState(6));
}

// Expanding a node keeps the current row where it stood on screen, also with row selection.
TEST_F(NodesTest, ExpandingANodeKeepsTheCurrentRowInPlace) {
  for (bool rowSelect : {false, true}) {
    SCOPED_TRACE(rowSelect ? "row selection" : "cell selection");
    grid->RemoveAllNodes();
    grid->ExpandAll();
    grid->SetRowCount(12);
    grid->SetOptions(rowSelect ? grid->Options() | goRowSelect : grid->Options() & ~goRowSelect);
    grid->AddNode(2, 4);  // 2..5
    grid->ContractNode(2);
    ASSERT_EQ(grid->RowCount(), 9);
    grid->SetRow(5);
    grid->ExpandNode(2);
    EXPECT_EQ(grid->RowCount(), 12);
    EXPECT_EQ(grid->Row(), 5);
    EXPECT_EQ(static_cast<bool>(grid->Options() & goRowSelect), rowSelect);
  }
}

// A child inserted or removed above a folded node: the folded rows keep their data (the hidden
// records move once), spans grow and shrink.
TEST_F(NodesTest, ChildRowsKeepHiddenDataInPlace) {
  grid->SetRowCount(10);
  for (int r = 1; r < 10; ++r) grid->SetCells(1, r, "d" + std::to_string(r));
  grid->AddNode(1, 3);  // 1..3
  grid->AddNode(4, 4);  // 4..7
  grid->ContractNode(4);
  grid->InsertChildRow(1, 3);  // new row 4 inside node 1
  grid->SetCells(1, 4, "new");
  EXPECT_EQ(grid->GetNodeSpan(1), 4);
  grid->ExpandNode(5);
  std::vector<std::string> want = {"d1", "d2", "d3", "new", "d4", "d5", "d6", "d7", "d8", "d9"};
  EXPECT_EQ(Shown(), want);
  grid->ContractNode(5);
  grid->RemoveChildRow(2);
  EXPECT_EQ(grid->GetNodeSpan(1), 3);
  grid->ExpandAll();
  want = {"d1", "d3", "new", "d4", "d5", "d6", "d7", "d8", "d9"};
  EXPECT_EQ(Shown(), want);
}

// The automatic row insert and delete (the Insert and Delete keys) go through the node handling:
// spans grow and shrink around the row, and no row is left folded under a node that went.
TEST_F(NodesTest, AutomaticRowInsertAndDeleteKeepTheTree) {
  const struct {
    const char* name;
    bool fold;     // node 1 (rows 1..3) contracted first
    bool insert;   // else delete
    int row;       // displayed row
    std::vector<std::string> shown;  // after unfolding all
    int span;      // of the node on row 1 afterwards (-1: no node there)
  } cases[] = {
      {"insert inside a span", false, true, 2, {"d1", "", "d2", "d3", "d4", "d5"}, 4},
      {"insert on the row after the span", false, true, 4, {"d1", "d2", "d3", "", "d4", "d5"}, 3},
      {"delete a child", false, false, 2, {"d1", "d3", "d4", "d5"}, 2},
      {"delete an unfolded node", false, false, 1, {"d2", "d3", "d4", "d5"}, -1},
      {"delete a folded node", true, false, 1, {"d2", "d3", "d4", "d5"}, -1},
  };
  int reported = -1;
  grid->OnAutoInsertRow = grid->OnAutoDeleteRow = [&](TObject*, int r) { reported = r; };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    grid->RemoveAllNodes();
    grid->SetRowCount(6);
    for (int r = 1; r < 6; ++r) grid->SetCells(1, r, "d" + std::to_string(r));
    for (int r = 1; r < 6; ++r) grid->FreeCellProperties(0, r);
    grid->AddNode(1, 3);
    if (k.fold) grid->ContractNode(1);
    reported = -1;
    if (k.insert) grid->DoAutoInsertRow(k.row);
    else grid->DoAutoDeleteRow(k.row);
    EXPECT_EQ(reported, k.row);
    EXPECT_EQ(grid->GetNodeSpan(1), k.span);
    grid->ExpandAll();
    EXPECT_EQ(Shown(), k.shown);
  }
  // The only row shown of a folded tree: deleted, its node's rows come back instead of the row
  // being emptied with its rows folded away for good.
  grid->RemoveAllNodes();
  grid->SetRowCount(4);
  for (int r = 1; r < 4; ++r) grid->SetCells(1, r, "e" + std::to_string(r));
  grid->AddNode(1, 3);
  grid->ContractNode(1);
  ASSERT_EQ(grid->RowCount(), 2);
  grid->Navigation()->AllowDeleteRow = true;
  grid->FocusCell(1, 1, true);
  Key(Qt::Key_Delete);
  EXPECT_EQ(Shown(), (std::vector<std::string>{"e2", "e3"}));
  EXPECT_FALSE(grid->HasNodes());
}

// The current column leaves column 0 for the signs, unless there is no other column.
TEST_F(NodesTest, AddNodeMovesTheCurrentColumnOnlyWhenItCan) {
  grid->SetOptions(grid->Options() & ~goEditing);
  grid->SetFixedCols(0);
  grid->SetCol(0);
  grid->AddNode(2, 2);
  EXPECT_EQ(grid->Col(), 1);
  grid->RemoveAllNodes();
  grid->SetColCount(1);
  grid->SetCol(0);
  grid->AddNode(2, 2);
  EXPECT_EQ(grid->Col(), 0);
  EXPECT_EQ(grid->ColCount(), 1);
}

// A click on the sign folds and unfolds with its events; a refusal leaves the node; elsewhere in
// the cell a click does not fold.
TEST_F(NodesTest, SignsAnswerTheMouse) {
  grid->SetRowCount(9);
  grid->AddNode(2, 4);
  Flush();
  std::vector<std::string> seen;
  grid->OnContractNode = [&](TObject*, int R, int Real) { seen.push_back("c" + std::to_string(R) + std::to_string(Real)); };
  grid->OnExpandNode = [&](TObject*, int R, int Real) { seen.push_back("e" + std::to_string(R) + std::to_string(Real)); };
  bool allow = false;
  grid->OnBeforeContractNode = [&](TObject*, int, int, bool& A) { A = allow; };
  TRect cr = grid->CellRect(0, 2);
  const int signX = cr.Left + grid->CellNode()->NodeIndent() / 2, y = (cr.Top + cr.Bottom) / 2;
  Click(signX, y);
  EXPECT_FALSE(grid->GetNodeState(2));
  allow = true;
  Click(signX, y);
  EXPECT_TRUE(grid->GetNodeState(2));
  EXPECT_EQ(grid->RowCount(), 6);
  Click(cr.Right - 2, y);  // beside the sign
  EXPECT_TRUE(grid->GetNodeState(2));
  Click(signX, y);
  EXPECT_EQ(grid->RowCount(), 9);
  EXPECT_EQ(seen, (std::vector<std::string>{"c22", "e22"}));
}

}  // namespace

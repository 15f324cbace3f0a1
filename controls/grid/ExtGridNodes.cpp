// Tree nodes: a node graphic on column 0 of a row folds the rows of its span by hiding them
// (the hidden-row store keeps them); levels in column 0's properties give each row its indent.
// Real (data) indexes do not change when rows hide or show, so spans are kept in them.
#include <algorithm>

#include "controls/grid/ExtGrid.h"

namespace {

TCellGraphic* GraphicOf(const TGridItem* It) {
  TCellProperties* p = It->Props(0);
  return p ? dynamic_cast<TCellGraphic*>(p->Graphic.get()) : nullptr;
}

bool IsNode(const TCellGraphic* G) { return G && G->CellType == ctNode; }

// The node graphic of a displayed row, read from the store in place for the passes over every
// row; the row check box never stands over a node, so this is what GetCellGraphic gives a node.
TCellGraphic* NodeAt(const TGridStore& S, int ARow) {
  TObject* o = nullptr;
  S.TextAndObject(0, ARow, o);
  const auto* p = static_cast<const TCellProperties*>(o);
  auto* g = p && p->Graphic ? dynamic_cast<TCellGraphic*>(p->Graphic.get()) : nullptr;
  return IsNode(g) ? g : nullptr;
}

// BeginUpdate/EndUpdate as a pair, also when a handler raises.
struct TNodeUpdate {
  TExtStringGrid* Grid;
  explicit TNodeUpdate(TExtStringGrid* G) : Grid(G) { Grid->BeginUpdate(); }
  ~TNodeUpdate() { Grid->EndUpdate(); }
};

}  // namespace

// ---------------------------------------------------------------- queries
bool TExtStringGrid::HasNodes() { return nodes_.Count > 0; }

int TExtStringGrid::RowIndent(int ARow) {
  if (nodes_.Count == 0 || ARow < 0) return 0;
  TCellProperties* p = CellPropertiesOrNull(0, ARow);
  return p ? p->NodeLevel * cellNode_->NodeIndent() : 0;
}

int TExtStringGrid::GetNodeIndent(int ARow) { return RowIndent(ARow); }

bool TExtStringGrid::IsNodeRow(int ARow) { return GetCellType(0, ARow) == ctNode; }
bool TExtStringGrid::IsSummaryRow(int ARow) { return GetCellType(0, ARow) == ctSummary; }

bool TExtStringGrid::GetNodeState(int ARow) {
  TCellGraphic* g = GetCellGraphic(0, DisplRowIndex(ARow));
  return IsNode(g) && g->CellBoolean;
}

int TExtStringGrid::GetNodeLevel(int ARow) {
  int d = DisplRowIndex(ARow);
  if (!IsNodeRow(d)) return -1;
  TCellProperties* p = CellPropertiesOrNull(0, d);
  return p ? p->NodeLevel : -1;
}

int TExtStringGrid::GetNodeSpan(int ARow) {
  TCellGraphic* g = GetCellGraphic(0, DisplRowIndex(ARow));
  return IsNode(g) ? g->CellIndex : -1;
}

void TExtStringGrid::IncNodeSpan(int ARow, int Delta) {
  TCellGraphic* g = GetCellGraphic(0, DisplRowIndex(ARow));
  if (IsNode(g)) g->CellIndex = std::max(0, g->CellIndex + Delta);
}

int TExtStringGrid::NodeRowKind(int ARow) {
  if (IsNodeRow(ARow)) return 0;
  const int next = ARow + 1;
  if (next >= RowCount() - fixedFooters_) return 1;
  TCellProperties* here = CellPropertiesOrNull(0, ARow);
  TCellProperties* p = CellPropertiesOrNull(0, next);
  return p && p->NodeLevel >= (here ? here->NodeLevel : 0) ? 2 : 1;
}

bool TExtStringGrid::IsNodeGlyphHit(int ARow, int X) {
  TCellProperties* p = CellPropertiesOrNull(0, ARow);
  if (!p || ARow < 0 || ARow >= RowCount()) return false;
  const int indent = cellNode_->NodeIndent();
  // The node sign is drawn from column 0's left in either reading order: the band is measured there.
  const int x = X - CellRect(0, ARow).Left;
  return x > (p->NodeLevel - 1) * indent && x < p->NodeLevel * indent;
}

int TExtStringGrid::GetParentNode(int ARow) {
  if (nodes_.Count == 0 || ARow < 0 || ARow >= RowCount()) return -1;
  const bool node = IsNodeRow(ARow);
  TCellProperties* own = CellPropertiesOrNull(0, ARow);
  const int start = node ? (own ? own->NodeLevel : 0) : 65535;
  const int real = RealRowIndex(ARow);
  for (int r = ARow - (node ? 1 : 0); r >= FixedRows(); --r) {
    TCellGraphic* g = GetCellGraphic(0, r);
    if (!IsNode(g)) continue;
    TCellProperties* p = CellPropertiesOrNull(0, r);
    if ((p ? p->NodeLevel : 0) < start && NodeSpanEnd(RealRowIndex(r), g) >= real) return r;
  }
  return node ? ARow : -1;
}

// The span's last real row: its CellIndex rows from the node row, or up to the row before the next
// node row (shown or hidden) when the span is 0.
int TExtStringGrid::NodeSpanEnd(int RealRow, const TCellGraphic* G) {
  const int last = AllRowCount() - 1 - fixedFooters_;
  if (G->CellIndex > 0) return std::min(last, RealRow + G->CellIndex - 1);
  int h = hiddenRows_->LowerBound(RealRow + 1);
  for (int r = RealRow + 1; r <= last; ++r) {
    TCellGraphic* g;
    auto* it = h < hiddenRows_->Count() ? hiddenRows_->Items(h) : nullptr;
    if (it && it->Idx == r) {
      g = GraphicOf(it);
      ++h;
    } else {
      g = GetCellGraphic(0, r - h);
    }
    if (IsNode(g)) return r - 1;
  }
  return last;
}

// ---------------------------------------------------------------- making and removing nodes
void TExtStringGrid::SetNodeRowsLevel(int FirstReal, int LastReal, int Delta, bool Reset) {
  for (int r = FirstReal; r <= LastReal; ++r) {
    int d = DisplRowIndex(r);
    if (IsHiddenRow(r) || d >= RowCount()) continue;
    TCellProperties* p = Delta > 0 ? GetCellProperties(0, d) : CellPropertiesOrNull(0, d);
    if (p) p->NodeLevel = Reset ? 0 : std::max(0, p->NodeLevel + Delta);
  }
}

void TExtStringGrid::AddNode(int ARow, int Span) {
  const int d = DisplRowIndex(ARow);
  if (ARow < 0 || IsHiddenRow(ARow) || d >= RowCount()) return;
  if (IsNodeRow(d)) RemoveNode(ARow);
  TCellGraphic* g = CreateCellGraphic(0, d);
  g->CellType = ctNode;
  g->CellBoolean = false;
  g->CellIndex = std::max(0, Span);
  g->CellAngle = ARow;
  g->CellHAlign = haBeforeText;
  g->CellVAlign = vaCenter;
  SetNodeRowsLevel(ARow, std::max(ARow, NodeSpanEnd(ARow, g)), 1, false);
  if (++nodes_.Count == 1) RepaintCol(0);
  // Column 0 holds the signs; the current cell leaves it when there is another column.
  if (Col() == 0 && ColCount() > 1 && !(Options() & goRowSelect)) SetCol(1);
}

void TExtStringGrid::AddSummaryRow(int ARow) {
  const int d = DisplRowIndex(ARow);
  if (ARow < 0 || IsHiddenRow(ARow) || d >= RowCount()) return;
  CreateCellGraphic(0, d)->CellType = ctSummary;
}

void TExtStringGrid::RemoveNode(int ARow) {
  const int d = DisplRowIndex(ARow);
  TCellGraphic* g = GetCellGraphic(0, d);
  if (!IsNode(g) || IsHiddenRow(ARow)) return;
  ExpandNode(ARow);
  SetNodeRowsLevel(ARow, std::max(ARow, NodeSpanEnd(ARow, g)), -1, false);
  RemoveCellGraphic(0, d);
  nodes_.Count = std::max(0, nodes_.Count - 1);
  if (nodes_.Count == 0) RepaintCol(0);
}

void TExtStringGrid::RemoveAllNodes() {
  if (nodes_.Count == 0) return;
  TNodeUpdate u(this);
  ExpandAll();
  for (int r = 0; r < RowCount(); ++r) {
    TCellGraphic* g = GetCellGraphic(0, r);
    if (!IsNode(g)) continue;
    SetNodeRowsLevel(r, std::max(r, NodeSpanEnd(r, g)), 0, true);
    RemoveCellGraphic(0, r);
  }
  nodes_.Count = 0;
  RepaintCol(0);
}

// ---------------------------------------------------------------- folding
// Shows the span's hidden rows except those of nested contracted nodes, which stay folded.
void TExtStringGrid::ExpandNode(int ARow) {
  if (ARow < 0 || IsHiddenRow(ARow)) return;
  TCellGraphic* g = GetCellGraphic(0, DisplRowIndex(ARow));
  if (!IsNode(g)) return;
  TNodeUpdate u(this);
  if (cellNode_->ExpandOne) {
    for (int r = FixedRows(); r < RowCount(); ++r) {
      TCellGraphic* o = GetCellGraphic(0, r);
      if (IsNode(o) && o != g && !o->CellBoolean) ContractNode(RealRowIndex(r));
    }
  }
  if (!g->CellBoolean) return;
  CloseEditForLines();
  // The current row and the top row stay where they stood on screen; row selection is off
  // meanwhile so the rows shown do not drag a selected row along.
  const int top = TopRow(), row = Row();
  const TGridOptions options = Options();
  if (options & goRowSelect) SetOptions(options & ~goRowSelect);
  g->CellBoolean = false;
  const int end = NodeSpanEnd(ARow, g);
  std::vector<int> rows;
  int h = hiddenRows_->LowerBound(ARow + 1);
  for (int r = ARow + 1; r <= end;) {
    auto* it = h < hiddenRows_->Count() ? hiddenRows_->Items(h) : nullptr;
    const bool hidden = it && it->Idx == r;
    TCellGraphic* n = hidden ? GraphicOf(it) : GetCellGraphic(0, r - h);
    if (hidden) {
      rows.push_back(r);
      ++h;
    }
    if (IsNode(n) && n->CellBoolean) {
      const int e = NodeSpanEnd(r, n);
      h = std::max(h, hiddenRows_->LowerBound(e + 1));
      r = std::max(r, e) + 1;
      continue;
    }
    ++r;
  }
  ShowRealRows(rows);
  if (row >= FixedRows() && row < RowCount() && Row() != row) SetRow(row);
  SetTopRow(std::max(FixedRows(), std::min(top, MaxTopRow())));
  if (options & goRowSelect) SetOptions(options);
  CalcFooter(-1);
  RepaintCellAt(0, DisplRowIndex(ARow));
}

void TExtStringGrid::ContractNode(int ARow) {
  if (ARow < 0 || IsHiddenRow(ARow)) return;
  const int d = DisplRowIndex(ARow);
  TCellGraphic* g = GetCellGraphic(0, d);
  if (!IsNode(g) || g->CellBoolean) return;
  CloseEditForLines();
  TNodeUpdate u(this);
  g->CellBoolean = true;
  const int end = NodeSpanEnd(ARow, g);
  const int current = RealRowIndex(Row());
  if (end > ARow) HideRows(ARow + 1, end);
  // A current row folded away goes to its node.
  if (current > ARow && current <= end && Row() != d) SetRow(d);
  CalcFooter(-1);
  RepaintCellAt(0, d);
}

void TExtStringGrid::ExpandAll() {
  TNodeUpdate u(this);
  UnHideRowsAll();
  for (int r = 0; r < RowCount(); ++r)
    if (TCellGraphic* g = NodeAt(Store(), r)) g->CellBoolean = false;
  CalcFooter(-1);
  Invalidate();
}

// Every node folds; each row of the nested spans is hidden once.
void TExtStringGrid::ContractAll() {
  TNodeUpdate u(this);
  UnHideRowsAll();
  const int current = Row();
  // Nodes come in row order: a nested span adds only the rows past those already listed. The same
  // read of each row's objects finds whether a vertical merge crosses any edge the hidden rows can
  // touch (down to the first footer's top); with none, hiding has nothing to split.
  std::vector<int> rows;
  rows.reserve(static_cast<size_t>(RowCount()));
  int listed = -1;
  const int footer = RowCount() - fixedFooters_;
  bool merges = footer > 0 && footer < RowCount() && MergeCrossesEdge(footer);
  for (int r = FixedRows(); r < footer; ++r) {
    merges = merges || (r > 0 && MergeCrossesEdge(r));
    TCellGraphic* g = NodeAt(Store(), r);
    if (!g) continue;
    g->CellBoolean = true;
    const int end = NodeSpanEnd(r, g);
    for (int k = std::max(r, listed) + 1; k <= end; ++k) rows.push_back(k);
    listed = std::max(listed, end);
  }
  // Nothing is hidden now: displayed rows are data rows.
  HideRealRows(rows, merges);
  if (std::binary_search(rows.begin(), rows.end(), current)) {
    // The current row goes to the node that folded it.
    int node = current;
    while (node > FixedRows() && std::binary_search(rows.begin(), rows.end(), node)) --node;
    SetRow(std::min(DisplRowIndex(node), RowCount() - 1));
  }
  CalcFooter(-1);
  Invalidate();
}

// ---------------------------------------------------------------- children
void TExtStringGrid::InsertChildRow(int ARow, int Offset) {
  if (ARow < 0 || IsHiddenRow(ARow) || !IsNodeRow(DisplRowIndex(ARow))) return;
  TNodeUpdate u(this);
  // The node and its ancestors open and grow by the new row.
  for (int node = DisplRowIndex(ARow); node >= 0;) {
    const int real = RealRowIndex(node);
    ExpandNode(real);
    TCellGraphic* g = GetCellGraphic(0, DisplRowIndex(real));
    if (g->CellIndex > 0) ++g->CellIndex;
    node = DisplRowIndex(real);
    const int up = GetParentNode(node);
    if (up < 0 || up == node) break;
    node = up;
  }
  const int d = DisplRowIndex(ARow);
  const int level = CellPropertiesOrNull(0, d) ? CellPropertiesOrNull(0, d)->NodeLevel : 0;
  const int at = std::clamp(d + Offset, FixedRows(), RowCount() - fixedFooters_);
  // InsertRows moves the hidden-row records after the place itself.
  InsertRows(at, 1);
  GetCellProperties(0, at)->NodeLevel = level;
}

void TExtStringGrid::RemoveChildRow(int ARow) {
  if (ARow < 0 || IsHiddenRow(ARow)) return;
  TNodeUpdate u(this);
  const int child = DisplRowIndex(ARow);
  for (int node = GetParentNode(child); node >= 0;) {
    const int real = RealRowIndex(node);
    ExpandNode(real);
    TCellGraphic* g = GetCellGraphic(0, DisplRowIndex(real));
    if (g->CellIndex > 1) --g->CellIndex;
    node = DisplRowIndex(real);
    const int up = GetParentNode(node);
    if (up < 0 || up == node) break;
    node = up;
  }
  RemoveRows(DisplRowIndex(ARow), 1);
}

void TExtStringGrid::InsertRowKeepHidden(int ARow) { InsertRows(ARow, 1); }
void TExtStringGrid::DeleteRowKeepHidden(int ARow) { RemoveRows(ARow, 1); }

// ---------------------------------------------------------------- the mouse on a sign
bool TExtStringGrid::NodeGlyphPress(int ACol, int ARow, int X) {
  if (ACol != 0 || nodes_.Count == 0 || RealColIndex(0) != 0) return false;
  if (ARow < FixedRows()) {
    if (!mouseActions_->NodeAllExpandContract) return false;
    TRect cr = CellRect(0, ARow);
    if (X - cr.Left >= cellNode_->NodeIndent()) return false;
    nodes_.HeaderContracted ? ExpandAll() : ContractAll();
    nodes_.HeaderContracted = !nodes_.HeaderContracted;
    RepaintCellAt(0, ARow);
    return true;
  }
  if (!IsNodeRow(ARow) || !IsNodeGlyphHit(ARow, X)) return false;
  const int real = RealRowIndex(ARow);
  bool allow = true;
  if (GetCellGraphic(0, ARow)->CellBoolean) {
    if (OnBeforeExpandNode) OnBeforeExpandNode(this, ARow, real, allow);
    if (allow) {
      ExpandNode(real);
      if (OnExpandNode) OnExpandNode(this, ARow, real);
    }
  } else {
    if (OnBeforeContractNode) OnBeforeContractNode(this, ARow, real, allow);
    if (allow) {
      ContractNode(real);
      if (OnContractNode) OnContractNode(this, ARow, real);
    }
  }
  if (mouseActions_->MoveRowOnNodeClick) {
    const int d = DisplRowIndex(real);
    if (d < RowCount()) FocusCell(std::max(Col(), FirstScrollCol()), d, true);
  }
  return true;
}

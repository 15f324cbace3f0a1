// The overridable hooks the grid calls when the selection, a column's size, the cells or the
// cell stream change: each fires its event, and the ones a subclass may extend do nothing more
// here. Also the line capacity of a row, which the sizing of rows for wrapped text asks.
#include "controls/grid/ExtGrid.h"

std::string TExtStringGrid::CellTextOrCheck(int ACol, int ARow) { return Cells(ACol, ARow); }
void TExtStringGrid::DoSelectionChanged(int ALeft, int ATop, int ARight, int ABottom) {
  if (OnSelectionChanged) OnSelectionChanged(this, ALeft, ATop, ARight, ABottom);
}
void TExtStringGrid::UpdateColumnSize(int ACol, int& AWidth) {
  if (OnUpdateColumnSize) OnUpdateColumnSize(this, ACol, AWidth);
}
void TExtStringGrid::UpdateColumnSizeEx(int ACol, int& AWidth) {
  if (OnUpdateColumnSize) OnUpdateColumnSize(this, ACol, AWidth);
}
void TExtStringGrid::EllipsClick(std::string& Text) {
  if (OnEllipsClick) OnEllipsClick(this, RealCol(), Row(), Text);
}
void TExtStringGrid::SaveCell(int ACol, int ARow, std::string& Value) {
  if (OnSaveCell) OnSaveCell(this, ACol, ARow, Value);
}
void TExtStringGrid::LoadCell(int ACol, int ARow, std::string& Value) {
  if (OnLoadCell) OnLoadCell(this, ACol, ARow, Value);
}
void TExtStringGrid::CellsChanged(TRect R) {
  if (OnCellsChanged) OnCellsChanged(this, R);
  // Any change of cells may move a total: every calculated footer is computed again.
  CalcFooter(-1);
}
void TExtStringGrid::CellsLoaded() {}
void TExtStringGrid::CellsSaved() {}
void TExtStringGrid::RowsChanged(int, int) {}
void TExtStringGrid::ColsChanged(int, int) {}
void TExtStringGrid::CellChangedByUser(int, int) {}
int TExtStringGrid::RowLineCapacity(int ARow) {
  int lh = Canvas()->TextHeight("Xg");
  return lh > 0 ? std::max(1, RowHeights(ARow) / lh) : 1;
}
void TExtStringGrid::SizeRowForLines(int ARow, int ALines, int AMargin) {
  SetRowHeights(ARow, ALines * Canvas()->TextHeight("Xg") + AMargin);
}

// Calls the key and mouse tables make into features that come later
// (clipboard, lookup, drag and drop, the search panel). Until then each does nothing
// visible and gives the plain answer, so the tables stay whole.
#include "controls/grid/ExtGrid.h"

void TExtStringGrid::CutToClipboard() {}
void TExtStringGrid::CopyToClipboard() {}
void TExtStringGrid::PasteFromClipboard() {}

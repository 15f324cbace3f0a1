// The calls the key and mouse tables make into features built later: every one of them has its
// feature now (docs/grid.md lists where), so nothing is left here.
#include "controls/grid/ExtGrid.h"

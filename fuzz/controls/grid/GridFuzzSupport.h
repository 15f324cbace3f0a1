// What the grid's file and stream fuzzers share: the application offscreen, a small grid filled
// with known texts, and the grid's state as one text to compare.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "controls/grid/ExtGrid.h"
#include "platform/gui/Forms.h"
#include "fuzz/FuzzInput.h"

inline TForm*& FuzzForm() {
  static TForm* form = nullptr;
  return form;
}

inline void StartGridFuzz() {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("VELMARON_TEST", "1", 1);
  Application->Initialize();
  FuzzForm() = new TForm(Application);
}

// 5 x 6 cells, one fixed row and column; IncludeFixedCells as asked.
inline TExtStringGrid* NewFuzzGrid(bool includeFixed) {
  auto* g = new TExtStringGrid(FuzzForm());
  g->SetParent(FuzzForm());
  g->SetColCount(5);
  g->SetRowCount(6);
  g->IncludeFixedCells = includeFixed;
  for (int r = 0; r < g->RowCount(); ++r)
    for (int c = 0; c < g->ColCount(); ++c) g->SetCells(c, r, std::to_string(c * 10 + r));
  return g;
}

inline std::string GridState(TExtStringGrid& g) {
  std::string s = std::to_string(g.ColCount()) + "x" + std::to_string(g.RowCount());
  for (int c = 0; c < g.ColCount(); ++c) s += "," + std::to_string(g.ColWidths(c));
  for (int r = 0; r < g.RowCount(); ++r)
    for (int c = 0; c < g.ColCount(); ++c) s += "|" + g.GridCells(c, r);
  return s;
}

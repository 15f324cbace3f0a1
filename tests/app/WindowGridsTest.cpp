// The grids every window of the program makes, as a user meets them with the mouse wheel.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QWheelEvent>
#include <QWidget>
#include <functional>

#include "controls/grid/ExtGrid.h"
#include "devices/Definition.h"
#include "devices/Longi2c.h"
#include "devices/Universal_III.h"
#include "eeprom/Eeprom.h"
#include "eeprom/SmallEE.h"
#include "tests/app/MainTestFixture.h"

namespace {

using WindowGridsTest = TMainWindowTest<>;

// One wheel notch moves the current cell one row, in every grid of every window.
TEST_F(WindowGridsTest, AWheelNotchMovesOneRow) {
  TfrmMain* f = Start();
  const struct {
    const char* Name;
    std::function<void()> Open;
    std::function<TExtStringGrid*()> Grid;
  } grids[] = {
      {"small EEPROM hex", [f] { f->mnu2K->Click(); }, [] { return frmSmallEE->stgMemory; }},
      {"small EEPROM ASCII", [] {}, [] { return frmSmallEE->stgText; }},
      {"large EEPROM hex", [f] { f->mnu4Kx8->Click(); }, [] { return frmEEPROM->stgMemory; }},
      {"large EEPROM ASCII", [] {}, [] { return frmEEPROM->stgText; }},
      {"expert messages", [f] { f->mnuExpert->Click(); }, [] { return frmMessage->grdData; }},
      {"custom device registers", [f] { f->mnuCustom->Click(); }, [] { return frmLongI2C->stgMemory; }},
      {"device definition", [] { frmLongI2C->mnuDefine->Click(); }, [] { return frmDefine->stgDefinition; }},
  };
  for (const auto& g : grids) {
    SCOPED_TRACE(g.Name);
    g.Open();
    Application->ProcessMessages();
    TExtStringGrid* grid = g.Grid();
    ASSERT_NE(grid, nullptr);
    ASSERT_GT(grid->RowCount(), 5);
    grid->SetFocus();
    grid->FocusCell(grid->FixedCols(), 2, true);
    Application->ProcessMessages();
    QWidget* target = grid->ClientWidget();
    const QPointF at(40, 30);
    QWheelEvent e(at, target->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(target, &e);
    Application->ProcessMessages();
    EXPECT_EQ(grid->Row(), 3);
  }
}

}  // namespace

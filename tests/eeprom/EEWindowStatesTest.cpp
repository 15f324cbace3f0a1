// The EEPROM windows' states inside the frame: maximised on every way a window becomes active.
#include <gtest/gtest.h>

#include <QMdiSubWindow>
#include <QMenu>
#include <functional>
#include <string>

#include "tests/eeprom/EEWindowFixture.h"

namespace {

class EEWindowStates : public TEEWindowTest {
 protected:
  // What the screen shows of the window, which the form's own state must agree with.
  static TWindowState Shown(TCustomForm* W) {
    const Qt::WindowStates s = W->SubWindow()->windowState();
    return (s & Qt::WindowMinimized) ? wsMinimized : (s & Qt::WindowMaximized) ? wsMaximized : wsNormal;
  }
  // The entry of the Window list that names the window, as the menu shows it when opened.
  QAction* ListEntry(TfrmMain* M, TCustomForm* W) {
    QMenu* menu = M->Window1->SubMenu();
    emit menu->aboutToShow();
    for (QAction* a : menu->actions())
      if (a->text().endsWith(QString::fromStdString(" " + W->Caption()))) return a;
    return nullptr;
  }
};

TEST_F(EEWindowStates, TheWindowThatBecomesActiveIsMaximisedOnScreen) {
  struct Way {
    const char* Name;
    std::function<void(TfrmMain*, TEEWindow* first, TEEWindow* second)> Activate;
  };
  const Way ways[] = {
      {"the active one closed", [](TfrmMain*, TEEWindow*, TEEWindow* second) { Command(second->mnuClose); }},
      {"chosen from the Window list",
       [this](TfrmMain* m, TEEWindow* first, TEEWindow*) {
         QAction* entry = ListEntry(m, first);
         ASSERT_NE(entry, nullptr);
         entry->trigger();
         Application->ProcessMessages();
       }},
      {"minimised, then chosen from the Window list",
       [this](TfrmMain* m, TEEWindow* first, TEEWindow*) {
         first->SetWindowState(wsMinimized);
         Application->ProcessMessages();
         QAction* entry = ListEntry(m, first);
         ASSERT_NE(entry, nullptr);
         entry->trigger();
         Application->ProcessMessages();
       }},
  };
  for (const Way& way : ways) {
    TfrmMain* m = Start();
    TEEWindow* first = OpenLarge(m->mnu4Kx8);
    TEEWindow* second = OpenSmall(m->mnu2K);
    ASSERT_EQ(m->ActiveMDIChild(), second);
    way.Activate(m, first, second);
    EXPECT_EQ(m->ActiveMDIChild(), first) << way.Name;
    EXPECT_EQ(first->WindowState(), wsMaximized) << way.Name;
    EXPECT_EQ(Shown(first), wsMaximized) << way.Name;
    Close();
  }
}

// Minimize All leaves every window minimised on screen, from every state the windows may be in;
// none comes back up maximised as the activation passes over it.
TEST_F(EEWindowStates, MinimizeAllLeavesNoWindowShowing) {
  struct From {
    const char* Name;
    std::function<void(TfrmMain*)> Arrange;
  };
  const From froms[] = {{"as opened", [](TfrmMain*) {}},
                        {"cascaded", [](TfrmMain* m) { m->WindowCascadeItem->Click(); }},
                        {"tiled", [](TfrmMain* m) { m->WindowTileItem->Click(); }}};
  for (const From& from : froms) {
    TfrmMain* m = Start();
    std::vector<TCustomForm*> windows = {OpenLarge(m->mnu4Kx8), OpenSmall(m->mnu2K)};
    // A window that does not maximise itself, opened last, as the universal window is.
    auto* plain = new TForm(Application);
    plain->SetFormStyle(fsMDIChild);
    plain->Show();
    Application->ProcessMessages();
    windows.push_back(plain);
    from.Arrange(m);
    Application->ProcessMessages();
    m->WindowMinimizeItem->Click();
    Application->ProcessMessages();
    for (TCustomForm* w : windows) {
      EXPECT_EQ(Shown(w), wsMinimized) << from.Name << ": " << w->Caption();
      EXPECT_EQ(w->WindowState(), wsMinimized) << from.Name << ": " << w->Caption();
    }
    delete plain;
    Close();
  }
}

}  // namespace

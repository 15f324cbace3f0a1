// The EEPROM windows' states inside the frame: maximised on every way a window becomes active.
#include <gtest/gtest.h>

#include <QMdiSubWindow>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <functional>
#include <string>

#include "controls/grid/ExtGrid.h"
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

// Going to another window and back through the Window list leaves the field that had the focus
// as it was: it keeps the focus, so its exit handler does not rewrite it (nor the target end).
TEST_F(EEWindowStates, SwitchingWindowsLeavesTheCopyFieldsAsTheyWere) {
  TfrmMain* m = Start();
  TfrmSmallEE* w = OpenSmall(m->mnu2K);
  w->SetActiveControl(w->edtStart);
  w->edtStart->SetFocus();
  Application->ProcessMessages();
  TfrmEEPROM* other = OpenLarge(m->mnu4Kx8);
  for (TEEWindow* next : std::initializer_list<TEEWindow*>{w, other, w}) {
    QAction* entry = ListEntry(m, next);
    ASSERT_NE(entry, nullptr);
    entry->trigger();
    Application->ProcessMessages();
    ASSERT_EQ(m->ActiveMDIChild(), next);
  }
  EXPECT_EQ(w->ActiveControl(), w->edtStart);
  EXPECT_EQ(w->edtStart->Text(), "00");
  EXPECT_EQ(w->edtEnding->Text(), "7F");
  EXPECT_EQ(w->edtTarget->Text(), "80");
  EXPECT_EQ(w->edtEndTarget->Text(), "FF");
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

// A part's rectangle in the coordinates of an ancestor widget, as the screen has it.
QRect On(QWidget* Ancestor, TControl* C) {
  if (auto* wc = dynamic_cast<TWinControl*>(C); wc && wc->Peer())
    return QRect(wc->Peer()->mapTo(Ancestor, QPoint(0, 0)), wc->Peer()->size());
  return QRect(C->Parent()->ClientWidget()->mapTo(Ancestor, QPoint(C->Left(), C->Top())), QSize(C->Width(), C->Height()));
}

void ExpectApart(const std::vector<std::pair<std::string, QRect>>& Parts, const QRect& Inside, const std::string& Where) {
  for (size_t i = 0; i < Parts.size(); ++i) {
    const QRect& a = Parts[i].second;
    if (a.isEmpty()) continue;
    EXPECT_TRUE(Inside.contains(a)) << Where << ": " << Parts[i].first << " leaves its place";
    for (size_t j = i + 1; j < Parts.size(); ++j)
      EXPECT_FALSE(a.intersects(Parts[j].second)) << Where << ": " << Parts[i].first << " covers " << Parts[j].first;
  }
}

// At every size the frame gives an EEPROM window (maximised in a small frame, tiled, restored and
// made small by the user), no part covers another and each stays inside its place; the setup bar
// scrolls when the window is shorter than the bar, so every row and button can be reached.
TEST_F(EEWindowStates, NoPartCoversAnotherAtAnySizeAndTheSetupBarScrolls) {
  struct Size {
    const char* Name;
    int FrameW, FrameH;
    int ChildW, ChildH;  // 0: maximised; -1: Window > Tile with a second window
    bool Large;
  };
  const Size sizes[] = {
      {"maximised in 1000 x 700", 1000, 700, 0, 0, true},  {"maximised in 640 x 480", 640, 480, 0, 0, true},
      {"small, maximised in 640 x 480", 640, 480, 0, 0, false}, {"tiled in 1000 x 900", 1000, 900, -1, -1, true},
      {"tiled in 640 x 480", 640, 480, -1, -1, false},     {"restored 700 x 420", 1000, 700, 700, 420, true},
      {"restored 420 x 600", 1000, 700, 420, 600, false},  {"restored 300 x 200", 1000, 700, 300, 200, true},
      {"restored 160 x 120", 1000, 700, 160, 120, true},
  };
  for (const Size& size : sizes) {
    TfrmMain* m = Start();
    m->SetBounds(0, 0, size.FrameW, size.FrameH);
    Application->ProcessMessages();
    TEEWindow* w = size.Large ? static_cast<TEEWindow*>(OpenLarge(m->mnu64Kx8)) : OpenSmall(m->mnu2K);
    if (size.ChildW < 0) {
      OpenSmall(m->mnu1K);
      m->WindowTileItem->Click();
    } else if (size.ChildW > 0) {
      w->SetWindowState(wsNormal);
      w->SetBounds(0, 0, size.ChildW, size.ChildH);
    }
    Application->ProcessMessages();
    const std::string where = std::string(size.Name) + " (" + std::to_string(w->ClientWidth()) + " x " +
                              std::to_string(w->ClientHeight()) + ")";
    QWidget* form = w->ClientWidget();
    ExpectApart({{"setup bar", On(form, w->sbxSetup)},
                 {"hex grid", On(form, w->stgMemory)},
                 {"splitter", On(form, w->Splitter1)},
                 {"ASCII grid", On(form, w->stgText)}},
                form->rect(), where);

    // Inside the bar: the four rows, the controls' panel, and every control on it.
    QWidget* bar = w->InspectorBar->Peer();
    std::vector<std::pair<std::string, QRect>> inBar;
    TInspectorPanel* panel = w->InspectorBar->Panels()->Items(0);
    for (int r = 0; r < 4; ++r) {
      TRect R;
      w->InspectorBar->GetItemRect(panel, w->SetupItem(static_cast<TEESetupRow>(r)), R);
      EXPECT_GT(R.Bottom, R.Top) << where << ": row " << r << " is laid out";
      inBar.push_back({"row " + std::to_string(r), QRect(R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top)});
    }
    inBar.push_back({"controls", On(bar, w->pnlControls)});
    ExpectApart(inBar, bar->rect(), where);
    std::vector<std::pair<std::string, QRect>> controls;
    for (int i = 0; i < w->pnlControls->ControlCount(); ++i)
      controls.push_back({w->pnlControls->Controls(i)->Name(), On(w->pnlControls->Peer(), w->pnlControls->Controls(i))});
    ExpectApart(controls, w->pnlControls->Peer()->rect(), where);

    // What the box shows of the bar, with its scrolling, is the whole bar.
    auto* box = dynamic_cast<QScrollArea*>(w->sbxSetup->Peer());
    ASSERT_NE(box, nullptr);
    const QRect barRect = On(box->widget(), w->InspectorBar);
    EXPECT_GE(box->viewport()->height() + box->verticalScrollBar()->maximum(), barRect.bottom() + 1) << where;
    EXPECT_GE(box->viewport()->width() + box->horizontalScrollBar()->maximum(), barRect.right() + 1) << where;
    if (w->ClientWidth() >= 400) {
      EXPECT_EQ(box->horizontalScrollBar()->maximum(), 0) << where << ": no sideways scrolling";
    }
    if (w->ClientHeight() >= barRect.height() + 1) {
      EXPECT_EQ(box->verticalScrollBar()->maximum(), 0) << where << ": no scrolling when the bar fits";
    }
    Close();
  }
}

}  // namespace

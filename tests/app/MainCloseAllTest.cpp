// Close All and Exit from every kind of window: each window asks its own close question once,
// a Cancel keeps that window, and a window that reorders the children from its question skips
// none of the others.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "devices/Universal_III.h"
#include "tests/app/MainTestFixture.h"

// The device window's unit state (its header and the EEPROM windows' cannot share a unit).
void SetDeviceModified(bool Modified);

namespace {

class MainCloseAllTest : public TMainWindowTest<> {
 protected:
  ~MainCloseAllTest() override {
    Universal_III::Modified = false;
    SetDeviceModified(false);
  }
  static void Open(TMenuItem* Item) {
    Item->Click();
    Application->ProcessMessages();
  }
  // The expert window with a table that is not saved.
  TfrmMessage* ModifiedExpert() {
    Open(frmMain->mnuExpert);
    EXPECT_NE(frmMessage, nullptr);
    Universal_III::Modified = true;
    return frmMessage;
  }
  static void Command(TMenuItem* Item) {
    Item->Click();
    for (int i = 0; i < 3; ++i) Application->ProcessMessages();
  }
};

// The open child of a class, or null.
TCustomForm* Child(const std::string& ClassName) {
  for (int i = 0; i < frmMain->MDIChildCount(); ++i)
    if (frmMain->MDIChildren(i)->ClassName() == ClassName) return frmMain->MDIChildren(i);
  return nullptr;
}

TMenuItem* Item(const std::string& ClassName, const std::string& Name) {
  TCustomForm* f = Child(ClassName);
  return f ? dynamic_cast<TMenuItem*>(f->FindComponent(Name)) : nullptr;
}

// One kind of window: the frame's item that opens it, its class and its Exit item.
struct TWindowKind {
  std::function<TMenuItem*()> OpenItem;
  const char* ClassName;
  const char* ExitName;
};

std::vector<TWindowKind> Kinds() {
  return {
      {[] { return frmMain->mnu2K; }, "TfrmSmallEE", "mnuExit"},
      {[] { return frmMain->mnu4Kx8; }, "TfrmEEPROM", "mnuExit"},
      {[] { return frmMain->mnuUniversal; }, "TfrmUniversal", "Exit"},
      {[] { return frmMain->mnuCustom; }, "TfrmLongI2C", "mnuExit"},
  };
}

TEST_F(MainCloseAllTest, CloseAllFromEveryWindowAsksOnceAndCancelKeepsTheTable) {
  Start();
  for (const TWindowKind& k : Kinds()) {
    SCOPED_TRACE(k.ClassName);
    TfrmMessage* expert = ModifiedExpert();
    Open(k.OpenItem());
    TMenuItem* closeAll = Item(k.ClassName, "mnuCloseAll");
    ASSERT_NE(closeAll, nullptr);
    Responder().ExpectMessage("Save changes?", mrCancel);
    Command(closeAll);
    Responder().Verify();
    EXPECT_EQ(frmMessage, expert) << "the unsaved table was closed";
    EXPECT_TRUE(Universal_III::Modified);
    EXPECT_EQ(Child(k.ClassName), nullptr);
    EXPECT_EQ(frmMain->MDIChildCount(), 1);
    EXPECT_FALSE(Application->Terminated());
    // No: the table goes, once asked.
    Responder().ExpectMessage("Save changes?", mrNo);
    Command(expert->mnuCloseAll);
    Responder().Verify();
    EXPECT_EQ(frmMessage, nullptr);
    EXPECT_EQ(frmMain->MDIChildCount(), 0);
  }
}

TEST_F(MainCloseAllTest, ExitFromEveryWindowWithACancelledQuestionKeepsTheProgram) {
  Start();
  for (const TWindowKind& k : Kinds()) {
    SCOPED_TRACE(k.ClassName);
    TfrmMessage* expert = ModifiedExpert();
    Open(k.OpenItem());
    TMenuItem* exit = Item(k.ClassName, k.ExitName);
    ASSERT_NE(exit, nullptr);
    Responder().ExpectMessage("Save changes?", mrCancel);
    Command(exit);
    Responder().Verify();
    EXPECT_FALSE(Application->Terminated());
    EXPECT_EQ(frmMessage, expert);
    Universal_III::Modified = false;
    Command(expert->mnuCloseAll);
    ASSERT_EQ(frmMain->MDIChildCount(), 0);
  }
  // Without a question in the way Exit ends the program, the expert window open beside.
  for (const TWindowKind& k : Kinds()) {
    SCOPED_TRACE(k.ClassName);
    Open(frmMain->mnuExpert);
    Open(k.OpenItem());
    TMenuItem* exit = Item(k.ClassName, k.ExitName);
    ASSERT_NE(exit, nullptr);
    Command(exit);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(frmMain->MDIChildCount(), 0);
    Application->ClearTerminated();
  }
}

TEST_F(MainCloseAllTest, AWindowThatComesToTheFrontToAskSkipsNoneOfTheOthers) {
  Start();
  Open(frmMain->mnu2K);
  Open(frmMain->mnuUniversal);
  Open(frmMain->mnuCustom);
  Open(frmMain->mnu4Kx8);
  Open(frmMain->mnuExpert);
  ASSERT_EQ(frmMain->MDIChildCount(), 5);
  // The device window comes to the front for its question, which reorders the children.
  SetDeviceModified(true);
  Responder().ExpectMessage("Would you like to save this device?", mrNo);
  Command(frmMessage->mnuCloseAll);
  EXPECT_EQ(frmMain->MDIChildCount(), 0);
  EXPECT_EQ(frmMessage, nullptr);
}

// A window asks its close question in front, restored from its icon: a question over another
// window tells nobody which table it means.
TEST_F(MainCloseAllTest, AWindowAsksItsCloseQuestionInFrontAndRestored) {
  Start();
  struct Asking {
    TMenuItem* open;
    const char* question;
    std::function<void(bool)> modify;
  };
  const Asking cases[] = {
      {frmMain->mnuExpert, "Save changes?", [](bool m) { Universal_III::Modified = m; }},
      {frmMain->mnuCustom, "Would you like to save this device?", [](bool m) { SetDeviceModified(m); }},
  };
  struct Watch : TDialogResponder {
    TCustomForm* active = nullptr;
    TWindowState state = wsMinimized;
    std::string text;
    bool Answer(const TDialogRequest& r, TDialogAnswer& a) override {
      text = r.Text;
      active = frmMain->ActiveMDIChild();
      state = active ? active->WindowState() : wsMinimized;
      a.Result = mrNo;
      return true;
    }
  };
  for (const Asking& c : cases) {
    SCOPED_TRACE(c.question);
    Open(c.open);
    TCustomForm* asking = frmMain->ActiveMDIChild();
    ASSERT_NE(asking, nullptr);
    c.modify(true);
    asking->SetWindowState(wsMinimized);
    Open(frmMain->mnu2K);
    TMenuItem* closeAll = Item("TfrmSmallEE", "mnuCloseAll");
    ASSERT_NE(closeAll, nullptr);
    Watch watch;
    SetDialogResponder(&watch);
    Command(closeAll);
    SetDialogResponder(&Responder());
    EXPECT_EQ(watch.text, c.question);
    EXPECT_EQ(watch.active, asking) << "the window that asks is the active one";
    EXPECT_NE(watch.state, wsMinimized);
    EXPECT_EQ(frmMain->MDIChildCount(), 0);
    c.modify(false);
  }
}

// Closing the main window asks the device window's question too; a save that does not happen
// keeps the program and the device.
TEST_F(MainCloseAllTest, ClosingTheMainWindowAsksAboutAModifiedDevice) {
  Start();
  Open(frmMain->mnuCustom);
  SetDeviceModified(true);
  Responder().ExpectMessage("Would you like to save this device?", mrYes).ExpectSave("");
  frmMain->Close();
  Application->ProcessMessages();
  EXPECT_FALSE(Application->Terminated());
  EXPECT_EQ(frmMain->MDIChildCount(), 1);
  Responder().ExpectMessage("Would you like to save this device?", mrNo);
  frmMain->Close();
  EXPECT_TRUE(Application->Terminated());
  Application->ClearTerminated();
}

}  // namespace

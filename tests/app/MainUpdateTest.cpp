// The Options command "Update Velmaron": the update server setting and the
// wizard bound to the main window's engine.
#include <gtest/gtest.h>

#include <QTimer>

#include "tests/app/MainTestFixture.h"
#include "tests/update/UpdateTestSupport.h"
#include "update/NUpdate.h"
#include "update/NUpdateWiz.h"
#include "update/NuWizForm.h"

namespace {

using MainUpdateTest = TMainWindowTest<>;

void StoreAddress(const std::string& address) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(SettingsKey, true));
  reg.WriteString(UpdateURLValue, address);
  reg.CloseKey();
}

TEST_F(MainUpdateTest, WithoutAnUpdateServerTheCommandSaysSoAndDoesNothingElse) {
  TfrmMain* f = Start();
  EXPECT_EQ(f->mnuUpdate->Caption(), "Update Velmaron");
  EXPECT_TRUE(f->mnuUpdate->Enabled());
  ASSERT_NE(f->NetUpdate, nullptr);
  EXPECT_EQ(f->NetUpdateWizard->NetUpdate(), f->NetUpdate);
  EXPECT_EQ(f->NetUpdate->Owner(), f);

  Responder().ExpectMessage("No update server is configured");
  f->mnuUpdate->Click();
  EXPECT_EQ(f->NetUpdate->URL(), "");

  // A value of another type counts as missing; an address of another kind is refused.
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(SettingsKey, true));
    reg.WriteInteger(UpdateURLValue, 5);
  }
  Responder().ExpectMessage("No update server is configured");
  f->mnuUpdate->Click();
  StoreAddress("gopher://updates.example.org/Velmaron_Update.inf");
  Responder().ExpectMessage("must begin with file://, http://, https:// or ftp://");
  f->mnuUpdate->Click();
  EXPECT_EQ(f->NetUpdate->URL(), "");
}

TEST_F(MainUpdateTest, TheCommandRunsTheProgramsWizardOnTheConfiguredServer) {
  updatetest::TScratchDir server;
  // A control file that offers nothing new.
  updatetest::WriteBytes(server / "Velmaron_Update.inf", "[update]\r\ndescr=Nothing yet\r\n");
  StoreAddress("file://" + (server / "Velmaron_Update.inf"));
  TfrmMain* f = Start();
  std::string caption, fontName, label;
  int fontHeight = 0;
  bool bold = false;
  QTimer::singleShot(0, [&] {
    auto* w = dynamic_cast<TNUWIZ*>(Application->ModalForms().back());
    ASSERT_NE(w, nullptr);
    caption = w->Caption();
    fontName = w->Font()->Name();
    fontHeight = w->Font()->Height();
    bold = w->Font()->Style() & fsBold;
    w->StartButton->Click();
    label = w->VersionInfoLabel->Caption();
    w->ControlButton->Click();
  });
  f->mnuUpdate->Click();
  EXPECT_EQ(caption, "Update Velmaron");
  EXPECT_EQ(fontName, "Verdana");
  EXPECT_EQ(fontHeight, -12);
  EXPECT_TRUE(bold);
  EXPECT_EQ(label, "No new version available.");
  EXPECT_EQ(f->NetUpdate->UpdateType(), fileUpdate);
  EXPECT_EQ(f->NetUpdate->URL(), "file://" + (server / "Velmaron_Update.inf"));
  EXPECT_EQ(f->NetUpdate->UpdateConnect(), nucConnectPrompt);
  EXPECT_TRUE(f->NetUpdate->ExtractCAB());
  EXPECT_EQ(Application->ModalForms().size(), 0u);
}

}  // namespace

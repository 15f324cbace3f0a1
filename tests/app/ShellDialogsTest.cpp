// The frequency dialog, the quick-start window and the About box, driven
// through their controls on the main window over the simulated adapter.
#include <gtest/gtest.h>

#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>

#include "app/About.h"
#include "app/Bitrate.h"
#include "app/Splash.h"
#include "controls/instrument/InstEdit.h"
#include "controls/instrument/InstHyperCtrls.h"
#include "platform/gui/FormImage.h"
#include "tests/app/MainTestFixture.h"
#include "tests/platform/gui/StdCtrlsTestSupport.h"

namespace {

using ShellDialogs = TMainWindowTest<>;

// Runs Body once the modal dialog's loop runs; a dialog still open after it is cancelled.
template <class F>
void WhenModal(F Body) {
  QTimer::singleShot(0, [Body] { Body(); });
}

TEST_F(ShellDialogs, FrequencyDialogShowsTheClockAndItsMaximumAndAppliesOK) {
  TfrmMain* f = Start();
  TI2CBus& bus = f->Bus();
  bus.MaxClock = 120;
  bus.SetFrequency(80);
  std::string shownMax;
  double shownValue = 0;
  WhenModal([&] {
    ASSERT_NE(frmBitrate, nullptr);
    shownMax = frmBitrate->lblMax->Caption();
    shownValue = frmBitrate->edtFrequency->Value();
    frmBitrate->edtFrequency->SetText("100");
    StdClick(frmBitrate->btnOK);
  });
  f->BitRate->Click();
  EXPECT_EQ(shownMax, "Max Clock = 120 KHz");
  EXPECT_EQ(shownValue, 80);
  EXPECT_EQ(bus.Clock, 100);
  Application->ProcessMessages();
  EXPECT_EQ(frmBitrate, nullptr) << "OK releases the dialog; the next command makes it anew";

  // A value above the maximum is taken by the edit and lowered by the bus.
  WhenModal([&] {
    frmBitrate->edtFrequency->SetText("300");
    StdClick(frmBitrate->btnOK);
  });
  f->BitRate->Click();
  EXPECT_EQ(bus.Clock, 120);
}

TEST_F(ShellDialogs, FrequencyDialogClampsAClockAboveItsRangeAndRefusesValuesOutsideIt) {
  TfrmMain* f = Start();
  TI2CBus& bus = f->Bus();
  bus.MaxClock = 900;
  bus.SetFrequency(650);
  ASSERT_EQ(bus.Clock, 650);
  double shownValue = 0;
  // Each refused text gets the warning, keeps the dialog open and leaves the clock as it was.
  const char* refused[] = {"0", "", "   ", "401", "999", "-5"};
  std::vector<std::string> stayedOpen;
  std::vector<int32_t> clockAfter;
  WhenModal([&] {
    shownValue = frmBitrate->edtFrequency->Value();
    for (const char* text : refused) {
      Responder().ExpectMessage("Please enter a frequency between 1 and 400 KHz");
      frmBitrate->edtFrequency->SetText(text);
      StdClick(frmBitrate->btnOK);
      if (frmBitrate && frmBitrate->Visible()) stayedOpen.push_back(text);
      clockAfter.push_back(bus.Clock);
      EXPECT_EQ(Responder().Seen().back().Owner, frmBitrate) << "the warning opens over the dialog";
      EXPECT_TRUE(Responder().Seen().back().StayOnTop);
    }
    frmBitrate->edtFrequency->SetText("400");
    StdClick(frmBitrate->btnOK);
  });
  f->BitRate->Click();
  EXPECT_EQ(shownValue, 400) << "the dialog shows the top of its range, never a value it refuses";
  EXPECT_EQ(stayedOpen, std::vector<std::string>(std::begin(refused), std::end(refused)));
  EXPECT_EQ(clockAfter, std::vector<int32_t>(std::size(refused), 650));
  EXPECT_EQ(bus.Clock, 400);
}

TEST_F(ShellDialogs, QuickStartWindowShowsItsStepsAndTheCheckBoxGoesToTheSettings) {
  TfrmMain* f = Start();
  Application->CreateForm(frmSplash);
  Application->ProcessMessages();
  ASSERT_NE(frmSplash, nullptr);
  EXPECT_EQ(frmSplash->Caption(), "Velmaron Quick Start ");
  EXPECT_EQ(frmSplash->FormStyle(), fsMDIChild);
  ASSERT_EQ(frmSplash->memSplash->Lines()->Count(), 14);
  EXPECT_EQ(frmSplash->memSplash->Lines()->Strings(0), "Step 1: Read the Velmaron Hardware and Software User's ");
  EXPECT_EQ(frmSplash->memSplash->Lines()->Strings(2), "");
  EXPECT_EQ(frmSplash->memSplash->Lines()->Strings(13), "Device Menu.");
  EXPECT_TRUE(frmSplash->chbShow->Checked());
  f->ShowSplash = true;
  StdClick(frmSplash->chbShow);
  EXPECT_FALSE(f->ShowSplash);
  EXPECT_NE(frmSplash, nullptr) << "a click on the window itself keeps it";
  Close();
  EXPECT_FALSE(StoredBool("ShowSplash"));
}

TEST_F(ShellDialogs, QuickStartWindowGoesOnTheFirstClickElsewhereInsideTheFrame) {
  TfrmMain* f = Start();
  Application->CreateForm(frmSplash);
  Application->ProcessMessages();
  ASSERT_NE(frmSplash, nullptr);
  // The status bar belongs to the frame: no other window is activated by this click.
  StdClick(f->pnlStatusBar);
  Application->ProcessMessages();
  EXPECT_EQ(frmSplash, nullptr);
  EXPECT_FALSE(Application->OnAnyMouseDown) << "the watcher goes with the window";
}

TEST_F(ShellDialogs, QuickStartWindowShowsAllItsLinesWhole) {
  Start();
  Application->CreateForm(frmSplash);
  Application->ProcessMessages();
  ASSERT_NE(frmSplash, nullptr);
  auto* memo = dynamic_cast<QPlainTextEdit*>(frmSplash->memSplash->Peer());
  ASSERT_NE(memo, nullptr);
  EXPECT_EQ(memo->verticalScrollBar()->maximum(), 0) << "the last line would be cut";
  EXPECT_EQ(memo->horizontalScrollBar()->maximum(), 0) << "the longest line would be cut";
  const QRect last = memo->cursorRect(QTextCursor(memo->document()->lastBlock()));
  EXPECT_LE(last.bottom(), memo->viewport()->height());
}

TEST_F(ShellDialogs, QuickStartWindowGoesOnAClickOnTheMenuBar) {
  TfrmMain* f = Start();
  Application->CreateForm(frmSplash);
  Application->ProcessMessages();
  ASSERT_NE(frmSplash, nullptr);
  QMenuBar* bar = f->Peer()->findChild<QMenuBar*>();
  ASSERT_NE(bar, nullptr);
  StdClick(bar, bar->width() - 4, bar->height() / 2);  // beside the five menus
  Application->ProcessMessages();
  EXPECT_EQ(frmSplash, nullptr);
}

TEST_F(ShellDialogs, QuickStartWindowGoesWhenItLosesTheActivation) {
  Start();
  Application->CreateForm(frmSplash);
  Application->ProcessMessages();
  ASSERT_NE(frmSplash, nullptr);
  frmSplash->OnDeactivate(frmSplash);
  Application->ProcessMessages();
  EXPECT_EQ(frmSplash, nullptr);
}

TEST_F(ShellDialogs, AboutBoxShowsVersionPortBackendAndTheProjectsOwnLinks) {
  TfrmMain* f = Start();
  std::string version, port;
  std::vector<std::string> urls;
  int outlined = 0;
  WhenModal([&] {
    ASSERT_NE(AboutBox, nullptr);
    version = AboutBox->Version->Caption();
    port = AboutBox->lblPort->Caption();
    for (TInstWebLabel* w : {AboutBox->webOrders, AboutBox->webEmail, AboutBox->webSupport, AboutBox->webUpdates}) {
      urls.push_back(w->URL());
      // Plain underlined links: an outline round the small letters smears them.
      outlined += w->TextOutline()->Visible();
    }
    StdClick(AboutBox->btnOK);
  });
  f->AboutItem->Click();
  EXPECT_EQ(version.rfind("Version ", 0), 0u) << version;
  EXPECT_NE(version.find(VelmaronVersionText().substr(8)), std::string::npos);
  EXPECT_EQ(port, f->PortDriver->PortAccess().Text + "; " + WaitCounterText(Clock().WaitCounter()));
  EXPECT_NE(port.find("Simulated adapter"), std::string::npos) << port;
  ASSERT_EQ(urls.size(), 4u);
  for (const std::string& u : urls) EXPECT_NE(u.find("velmaron.example.org"), std::string::npos) << u;
  EXPECT_EQ(outlined, 0);
  Application->ProcessMessages();
  EXPECT_EQ(AboutBox, nullptr);
}

TEST_F(ShellDialogs, AboutBoxLinksAreDrawnPlainWithoutADarkOutline) {
  TfrmMain* f = Start();
  int navy = -1, blue = -1;
  WhenModal([&] {
    ASSERT_NE(AboutBox, nullptr);
    const QImage box = RenderControlImage(AboutBox);
    TInstWebLabel* link = AboutBox->webOrders;
    const TPoint at = link->ClientToScreen(TPoint(0, 0));
    const TPoint origin = AboutBox->ClientToScreen(TPoint(0, 0));
    const double scale = box.devicePixelRatio();
    navy = blue = 0;
    for (int y = 0; y < link->Height(); ++y)
      for (int x = 0; x < link->Width(); ++x) {
        const QColor c = box.pixelColor(int((at.X - origin.X + x) * scale), int((at.Y - origin.Y + y) * scale));
        navy += c == QColor(0, 0, 128);
        blue += c == QColor(0, 0, 255);
      }
    StdClick(AboutBox->btnOK);
  });
  f->AboutItem->Click();
  EXPECT_GT(blue, 20) << "the link's letters are drawn in blue";
  EXPECT_EQ(navy, 0) << "no navy outline around them";
}

TEST_F(ShellDialogs, Screenshots) {
  TfrmMain* f = Start();
  f->Bus().MaxClock = 120;
  WhenModal([&] {
    EXPECT_TRUE(SaveControlImage(frmBitrate, TestImagePath("app-frequency-dialog.png")));
    StdClick(frmBitrate->btnOK);
  });
  f->BitRate->Click();
  WhenModal([&] {
    EXPECT_TRUE(SaveControlImage(AboutBox, TestImagePath("app-about-box.png")));
    StdClick(AboutBox->btnOK);
  });
  f->AboutItem->Click();
  Application->CreateForm(frmSplash);
  Application->ProcessMessages();
  EXPECT_TRUE(SaveControlImage(f, TestImagePath("app-quick-start.png")));
}

}  // namespace

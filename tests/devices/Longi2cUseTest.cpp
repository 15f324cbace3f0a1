// The device window as a person uses it: its dialogs and windows as they come
// up on the screen.
#include <QApplication>
#include <QFileDialog>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <set>
#include <utility>

#include "devices/Bits.h"
#include "devices/Definition.h"
#include "devices/Slider.h"
#include "devices/Spinner.h"
#include "devices/editcell.h"
#include "platform/gui/Printers.h"
#include "platform/gui/testing/TestResponder.h"
#include "tests/devices/CaptionFit.h"
#include "tests/devices/Longi2cTestFixture.h"

namespace {

using Longi2cUse = TLongi2cTest;

// Answers the next modal file dialog with Name in Folder, from the event loop
// the dialog runs; any other modal window is closed, so nothing blocks.
void AnswerFileDialogLater(const std::string& Folder, const std::string& Name, bool& Answered) {
  QTimer::singleShot(0, [Folder, Name, &Answered] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* d = qobject_cast<QFileDialog*>(modal)) {
      d->setDirectory(QString::fromStdString(Folder));
      d->selectFile(QString::fromStdString(Name));
      QMetaObject::invokeMethod(d, "accept");
      Answered = true;
    } else if (modal) {
      modal->close();
    }
  });
}

TEST_F(Longi2cUse, PrintingIntoAFileWithoutAPrinterNamesItAPdf) {
  TfrmLongI2C* w = Open();
  const std::string folder = std::filesystem::path(File("x")).parent_path().string();
  bool answered = false;
  AnswerFileDialogLater(folder, "printout", answered);
  SetDialogResponder(nullptr);  // the real dialog, as a user sees it
  w->mnuPrint->Click();
  SetDialogResponder(&Responder());
  if (!answered) GTEST_SKIP() << "a printer is set up on this machine: the system's print dialog came";
  EXPECT_EQ(CurrentPrintTarget().PdfFile, File("printout.pdf"));
  EXPECT_TRUE(std::filesystem::exists(File("printout.pdf")));
  EXPECT_FALSE(std::filesystem::exists(File("printout"))) << "the typed name gets its extension";
}

TEST_F(Longi2cUse, ToolWindowsOpenOnTheScreenOverTheMainWindowOneStepApart) {
  TfrmLongI2C* w = Open();
  Select(w, 3);
  Click(w->btnSpin);
  Click(w->btnBits);
  Click(w->btnSlider);
  Click(w->btnSpin);
  ASSERT_EQ(w->ToolWindows().size(), 4u);
  std::set<std::pair<int, int>> places;
  for (TForm* t : w->ToolWindows()) {
    // The frame's caption goes above the window's top: it must stay on the screen.
    EXPECT_GE(t->Top(), frmMain->Top() + 20) << t->Caption();
    EXPECT_GE(t->Left(), frmMain->Left());
    EXPECT_LE(t->Left() + t->Width(), Screen->Width());
    EXPECT_LE(t->Top() + t->Height(), Screen->Height());
    places.insert({t->Left(), t->Top()});
  }
  EXPECT_EQ(places.size(), 4u) << "no new tool window covers the one before it";
}

TEST_F(Longi2cUse, EveryCaptionFitsItsControl) {
  TfrmLongI2C* w = Open();
  EXPECT_EQ(UnfitCaptions(w), std::vector<std::string>{});
  Select(w, 3);
  Click(w->btnSpin);
  Click(w->btnBits);
  Click(w->btnSlider);
  for (TForm* t : w->ToolWindows()) EXPECT_EQ(UnfitCaptions(t), std::vector<std::string>{}) << t->Name();
  w->mnuEditCurrentCell->Click();
  ASSERT_NE(frmEditCell, nullptr);
  EXPECT_EQ(UnfitCaptions(frmEditCell), std::vector<std::string>{});
  frmEditCell->btnCancel->Click();
  w->mnuEditCurrentDevice->Click();
  ASSERT_NE(frmDefine, nullptr);
  EXPECT_EQ(UnfitCaptions(frmDefine), std::vector<std::string>{});
}

TEST_F(Longi2cUse, AMendedFileIsNamedInItsWarningWhicheverWayItIsOpened) {
  TfrmLongI2C* w = Open();
  const std::string bad = File("mended.def");
  {
    std::ofstream out(bad, std::ios::binary);
    out << "[Device Data]\nAddress=G1\nMaxRegister=3\n";
  }
  Responder().ExpectOpen(bad).ExpectMessage("mended.def:\n");
  w->mnuLoad->Click();
  Longi2c::Modified = false;
  Responder().ExpectMessage("mended.def:\n");
  w->mru1Click(0);
  Responder().Verify();
}

TEST_F(Longi2cUse, ResetGridForgetsTheDeviceNameWithTheDevice) {
  TfrmLongI2C* w = Open();
  w->SetDeviceName("ADC");
  w->SetCaption("ADC");
  Responder().ExpectMessage("reset the grid", mrYes);
  w->ResetGrid->Click();
  EXPECT_EQ(w->Caption(), "Unknown Device");
  EXPECT_EQ(w->DeviceName(), "Unknown Device");
  EXPECT_EQ(w->Definition().Name, "Unknown Device") << "what a save of the blank device would write";
}

}  // namespace

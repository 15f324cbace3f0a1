// The status line: every code's text and colours, the success colours, the
// warning flash and what may happen while it runs.
#include <gtest/gtest.h>

#include <QTimer>

#include "platform/gui/Windows.h"
#include "tests/app/MainTestFixture.h"

namespace {

using MainStatusTest = TMainWindowTest<>;

struct TCodeCase {
  int Code;
  const char* Text;
  TColor Font, Back;
  bool Beeps;
};

// With the adapter answering.
const TCodeCase kCodes[] = {
    {1, "  Address not acknowledged", clWhite, clRed, true},
    {2, "  Data not acknowledged", clWhite, clRed, true},
    {3, "  Read acknowledge corrupted", clWhite, clRed, true},
    {4, "  SCL/SDA stuck low", clWhite, clRed, true},
    {8, " SDA stuck low", clWhite, clRed, true},
    {64, " Write and Verify Successful", clWhite, clGreen, false},
    {65, " Verification Successful", clWhite, clGreen, false},
    {112, " Device Driver File not found", clWhite, clRed, true},
    {114, " Device Driver not running", clWhite, clRed, true},
    {117, " System Registry Error", clWhite, clRed, true},
    {128, " SCL stuck low", clWhite, clRed, true},
    {153, "  Verify Error", clWhite, clRed, true},
    {254, " Adapter is not functioning", clWhite, clRed, true},
    {255, " Velmaron hardware not detected!", clWhite, clRed, true},
};

TEST_F(MainStatusTest, EveryCodeShowsItsTextAndColours) {
  TfrmMain* f = Start();
  for (const TCodeCase& c : kCodes) {
    f->ResetWarning();
    const int beeps = BeepCount();
    f->ErrorMessage(static_cast<I2CStatus>(c.Code));
    EXPECT_EQ(StatusText(), c.Text) << c.Code;
    EXPECT_EQ(StatusFont(), c.Font) << c.Code;
    EXPECT_EQ(StatusBack(), c.Back) << c.Code;
    EXPECT_EQ(BeepCount() - beeps, c.Beeps ? 1 : 0) << c.Code;
  }
}

TEST_F(MainStatusTest, CodesOutsideTheTableLeaveTheLineAlone) {
  TfrmMain* f = Start();
  f->ErrorMessage(1);
  const int beeps = BeepCount();
  for (int code : {5, 7, 9, 63, 66, 100, 113, 127, 129, 200, 252, 253}) {
    f->ErrorMessage(static_cast<I2CStatus>(code));
    EXPECT_EQ(StatusText(), "  Address not acknowledged") << code;
    EXPECT_EQ(StatusBack(), clRed) << code;
    EXPECT_EQ(StatusFont(), clWhite) << code;
  }
  EXPECT_EQ(BeepCount(), beeps);
}

TEST_F(MainStatusTest, SuccessesAlternateTheirColours) {
  TfrmMain* f = Start();
  f->ResetWarning();
  f->ErrorMessage(0);
  EXPECT_EQ(StatusText(), "  Transmission successful");
  EXPECT_EQ(StatusBack(), clGreen);
  EXPECT_EQ(StatusFont(), clWhite);
  f->ErrorMessage(0);
  EXPECT_EQ(StatusBack(), clWhite);
  EXPECT_EQ(StatusFont(), clGreen);
  f->ErrorMessage(0);
  EXPECT_EQ(StatusBack(), clGreen);
  EXPECT_EQ(StatusFont(), clWhite);
}

TEST_F(MainStatusTest, IgnoredAcknowledgeShowsYellowAndWritesAlwaysSucceed) {
  TfrmMain* f = Start();
  f->mnuNoAck->Click();
  EXPECT_TRUE(f->mnuNoAck->Checked());
  ASSERT_EQ(f->I2CStart(), 0);
  EXPECT_EQ(f->I2CWrite(0x5E), 0);  // nobody at this address
  f->I2CStop();
  f->ErrorMessage(0);
  EXPECT_EQ(StatusText(), "  Message sent - Acknowledge ignored");
  EXPECT_EQ(StatusBack(), clYellow);
  EXPECT_EQ(StatusFont(), clBlack);
  f->mnuNoAck->Click();
  ASSERT_EQ(f->I2CStart(), 0);
  EXPECT_EQ(f->I2CWrite(0x5E), 128);
  f->I2CStop();
}

TEST_F(MainStatusTest, StuckLineCodesTellAMissingAdapter) {
  TfrmMain* f = Start();
  f->ErrorMessage(8);
  EXPECT_EQ(StatusText(), " SDA stuck low");
  f->ErrorMessage(128);
  EXPECT_EQ(StatusText(), " SCL stuck low");
  sim.Faults.NoAdapter = true;
  f->ErrorMessage(128);
  EXPECT_EQ(StatusText(), " Velmaron not detected!");
  f->ErrorMessage(8);
  EXPECT_EQ(StatusText(), " Velmaron hardware not detected!");
  EXPECT_EQ(StatusBack(), clRed);
}

TEST_F(MainStatusTest, StuckLinesComeBackFromTheBus) {
  TfrmMain* f = Start();
  sim.Faults.SdaStuckLow = true;
  EXPECT_EQ(f->I2CStart(), 8);
  sim.Faults.SdaStuckLow = false;
  sim.Faults.SclStuckLow = true;
  EXPECT_EQ(f->I2CStart(), 128);
  sim.Faults.SdaStuckLow = true;
  EXPECT_EQ(f->I2CStart(), 4);
}

TEST_F(MainStatusTest, WarningFlashesAndEndsRed) {
  TfrmMain* f = Start();
  std::vector<std::pair<TColor, TColor>> looks;  // back, font as the flash goes
  QTimer probe;
  QObject::connect(&probe, &QTimer::timeout, [&] {
    const std::pair<TColor, TColor> now{f->pnlStatus->Color(), f->pnlStatus->Font()->Color()};
    if (looks.empty() || looks.back() != now) looks.push_back(now);
  });
  probe.start(0);
  f->ErrorMessage(153);
  probe.stop();
  EXPECT_EQ(StatusText(), "  Verify Error");
  EXPECT_EQ(StatusBack(), clRed);
  EXPECT_EQ(StatusFont(), clWhite);
  const std::vector<std::pair<TColor, TColor>> expected = {
      {clRed, clWhite}, {clBtnFace, clBlack}, {clRed, clWhite}, {clBtnFace, clBlack}};
  EXPECT_EQ(looks, expected);
}

TEST_F(MainStatusTest, ResetWarningClearsTheLine) {
  TfrmMain* f = Start();
  f->ErrorMessage(1);
  f->ResetWarning();
  EXPECT_EQ(StatusText(), "");
  EXPECT_EQ(StatusBack(), clBtnFace);
  EXPECT_EQ(StatusFont(), clBlack);
}

// What the windows write to the line through the host: each text with its colours,
// starting from a green line, so a call that leaves the colours keeps the green.
TEST_F(MainStatusTest, TheWindowsStatusCallsSetTextAndColours) {
  struct TCase {
    const char* Name;
    void (*Call)(TMainHost&, const std::string&);
    TColor Font, Back;
    int Beeps;
  };
  const TCase cases[] = {
      {"text alone", [](TMainHost& h, const std::string& t) { h.SetStatusText(t); }, clWhite, clGreen, 0},
      {"progress", [](TMainHost& h, const std::string& t) { h.StatusProgress(t); }, clBlack, clYellow, 0},
      {"fault", [](TMainHost& h, const std::string& t) { h.StatusFault(t); }, clWhite, clRed, 0},
      {"text, then warning",
       [](TMainHost& h, const std::string& t) {
         h.SetStatusText(t);
         h.Warning();
       },
       clWhite, clRed, 1},
  };
  TfrmMain* f = Start();
  ASSERT_EQ(MainHost, static_cast<TMainHost*>(f));
  for (const TCase& c : cases) {
    f->ResetWarning();
    f->ErrorMessage(0);
    ASSERT_EQ(StatusBack(), clGreen);
    const int beeps = BeepCount();
    c.Call(*MainHost, std::string("  ") + c.Name);
    EXPECT_EQ(StatusText(), std::string("  ") + c.Name) << c.Name;
    EXPECT_EQ(StatusFont(), c.Font) << c.Name;
    EXPECT_EQ(StatusBack(), c.Back) << c.Name;
    EXPECT_EQ(BeepCount() - beeps, c.Beeps) << c.Name;
  }
}

// The windows find the frame only while it lives: a window closed late finds none.
TEST_F(MainStatusTest, TheHostIsTheFrameWhileItLives) {
  EXPECT_EQ(MainHost, nullptr);
  TfrmMain* f = Start();
  EXPECT_EQ(MainHost, static_cast<TMainHost*>(f));
  Close();
  EXPECT_EQ(MainHost, nullptr);
  EXPECT_EQ(frmMain, nullptr);
}

// The flash processes messages, and another bus operation may run inside it;
// its report is shown once the flash has ended, so a success is not drawn over
// by the flash's colours and left white on red.
TEST_F(MainStatusTest, BusOperationsRunInsideTheFlashAndTheirReportFollowsIt) {
  sim.Add<TSimEeprom>(256u, uint8_t{0xA0});
  TfrmMain* f = Start();
  I2CStatus start = 255, stop = 255;
  uint8_t written = 128, read = 0, ack = 0;
  bool busy = true;
  uint64_t accesses = 0;
  // A second operation started from a handler that runs inside the flash.
  QTimer::singleShot(0, [&] {
    busy = f->BusBusy();
    accesses = sim.AccessCount();
    start = f->I2CStart();
    written = f->I2CWrite(0xA1);
    read = f->I2CRead(1, ack);
    stop = f->I2CStop();
    accesses = sim.AccessCount() - accesses;
    f->ErrorMessage(stop);
  });
  f->ErrorMessage(2);
  EXPECT_FALSE(busy);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(written, 0);
  EXPECT_EQ(ack, 128);
  EXPECT_GT(accesses, 0u);
  (void)read;
  // The success came last and stands, in its own colours.
  EXPECT_EQ(StatusText(), "  Transmission successful");
  EXPECT_EQ(StatusBack(), clGreen);
  EXPECT_EQ(StatusFont(), clWhite);
  // A port command inside the flash runs too.
  QTimer::singleShot(0, [&] { f->LPT2->Click(); });
  f->ErrorMessage(1);
  EXPECT_EQ(f->Bus().PortAddress, 0x278);
  EXPECT_FALSE(f->LPT1->Checked());
}

TEST_F(MainStatusTest, AStatusArrivingDuringTheFlashIsShownAfterIt) {
  TfrmMain* f = Start();
  const int beeps = BeepCount();
  QTimer::singleShot(0, [&] { f->ErrorMessage(153); });
  f->ErrorMessage(1);
  EXPECT_EQ(StatusText(), "  Verify Error");
  EXPECT_EQ(StatusBack(), clRed);
  EXPECT_EQ(BeepCount() - beeps, 2);  // one flash after the other, never nested
}

TEST_F(MainStatusTest, PauseLastsTwoHundredTicks) {
  Start();
  const uint32_t t0 = GetTickCount();
  Pause();
  const uint32_t spent = GetTickCount() - t0;
  EXPECT_GE(spent, 200u);
  EXPECT_LE(spent, 203u);
}

// Switching to any device window leaves no earlier window's fault on the line.
TEST_F(MainStatusTest, SwitchingToADeviceWindowClearsTheLastWindowsFault) {
  TfrmMain* f = Start();
  struct Kind {
    const char* name;
    TMenuItem* open;
  };
  const Kind kinds[] = {{"small EEPROM", f->mnu2K},          {"large EEPROM", f->mnu4Kx8},
                        {"universal", f->mnuUniversal},      {"device", f->mnuCustom},
                        {"expert", f->mnuExpert}};
  std::vector<TCustomForm*> windows;
  for (const Kind& k : kinds) {
    k.open->Click();
    Application->ProcessMessages();
    windows.push_back(f->ActiveMDIChild());
  }
  for (size_t i = 0; i < windows.size(); ++i) {
    TCustomForm* from = windows[(i + 1) % windows.size()];
    ASSERT_NE(windows[i], nullptr) << kinds[i].name;
    from->BringToFront();
    Application->ProcessMessages();
    f->ErrorMessage(1);
    windows[i]->BringToFront();
    Application->ProcessMessages();
    EXPECT_EQ(StatusText(), "") << kinds[i].name;
  }
}

}  // namespace

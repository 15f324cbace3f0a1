// Sending from the expert window: the exact bus traffic of each message shape,
// faults, sequences with their delays, continuous runs and closing during one.
#include <QTimer>

#include "controls/instrument/InstEdit.h"
#include "tests/devices/ExpertWindowFixture.h"
#include "tests/platform/gui/StdCtrlsTestSupport.h"

namespace {

TEST_F(ExpertWindowTest, DeviceMenuOpensOneWindowWithItsTable) {
  EXPECT_EQ(w->Caption(), "I\xC2\xB2" "C Expert Mode");
  frmMain->mnuExpert->Click();
  EXPECT_EQ(frmMessage, w);
  EXPECT_EQ(frmMain->MDIChildCount(), 1);
  ASSERT_EQ(w->grdData->RowCount(), 33);
  EXPECT_EQ(Cell(ecNumber, 0), "Msg #");
  EXPECT_EQ(Cell(ecNotes, 0), "Notes");
  EXPECT_EQ(Cell(ecNumber, 32), "32");
  EXPECT_EQ(Cell(ecStart, 32), "ST");
  EXPECT_EQ(w->edtSequence->Text(), "01,02,03,04,05,06,07,08,09,10");
  EXPECT_EQ(w->btnSendContinuous->Caption(), "Send Continuously");
  EXPECT_FALSE(Universal_III::Modified);
}

TEST_F(ExpertWindowTest, WriteRowSendsAddressBytesAndStop) {
  Row(1, "40", "Write", "10,AB,CD");
  Select(1);
  w->btnSendOne->Click();
  EXPECT_EQ(Trace(), "S W40+ W10+ WAB+ WCD+ P");
  EXPECT_EQ(regs->Registers[0x10], 0xAB);
  EXPECT_EQ(regs->Registers[0x11], 0xCD);
  EXPECT_EQ(StatusText(), "  Transmission successful");
  EXPECT_FALSE(w->Busy());
}

TEST_F(ExpertWindowTest, EmptyWriteRowIsStartAddressStop) {
  Row(2, "40", "Write", "");
  Select(2);
  w->btnSendOne->Click();
  EXPECT_EQ(Trace(), "S W40+ P");
}

TEST_F(ExpertWindowTest, RowWithoutAddressSendsNothing) {
  Row(3, "", "Write", "10");
  Select(3);
  w->btnSendOne->Click();
  EXPECT_EQ(Trace(), "");
}

TEST_F(ExpertWindowTest, RepeatedStartAndNoStop) {
  Row(1, "40", "Write", "00,ST,40,55", "No");
  Select(1);
  w->btnSendOne->Click();
  EXPECT_EQ(Trace(), "S W40+ W00+ S W40+ W55+");
  EXPECT_FALSE(sim.Sda() && sim.Scl());  // the bus is left held for the next message
  // The next message begins with a repeated start and ends the transfer.
  sim.ClearLog();
  Row(2, "40", "Write", "01,66");
  Select(2);
  w->btnSendOne->Click();
  EXPECT_EQ(Trace(), "S W40+ W01+ W66+ P");
  EXPECT_TRUE(sim.Sda() && sim.Scl());
}

TEST_F(ExpertWindowTest, TriggerLevelsAndPulsesBetweenBytes) {
  ASSERT_TRUE(sim.Trigger());  // pin 8 idles high
  Row(1, "40", "Write", "TH,20,PL,PH,TL,21");
  Select(1);
  w->btnSendOne->Click();
  // TH drives pin 8 low and it stays low over the byte; the low pulse rises
  // and falls; the high pulse rises; TL keeps it high for good.
  EXPECT_EQ(Trace(), "S W40+ T0 W20+ T1 T0 T1 W21+ P");
  EXPECT_TRUE(sim.Trigger());
  // A pulse lasts only until the next SDA write brings back the level TH set.
  sim.ClearLog();
  Row(2, "40", "Write", "TH,PH,20,TL");
  Select(2);
  w->btnSendOne->Click();
  EXPECT_EQ(Trace(), "S W40+ T0 T1 T0 W20+ T1 P");
}

TEST_F(ExpertWindowTest, ReadRowWithStopReadsPlacesAroundTrigger) {
  Row(1, "40", "Write", "05");  // the register pointer
  Row(2, "40", "Read", "FF,TH,FF");
  Select(1);
  w->btnSendOne->Click();
  Select(2);
  sim.ClearLog();
  w->btnSendOne->Click();
  EXPECT_EQ(Trace(), "S W41+ R85+ T0 R86- P");
  EXPECT_EQ(Cell(ecData, 2), "85,TH,86");
  EXPECT_EQ(StatusText(), "  Transmission successful");
}

TEST_F(ExpertWindowTest, ReadRowWithoutStopLeavesTheBusHeld) {
  Row(1, "41", "Read", "FF,FF", "No");
  Select(1);
  w->btnSendOne->Click();
  EXPECT_EQ(Trace(), "S W41+ R80+ R81-");
  EXPECT_EQ(Cell(ecData, 1), "80,81");
}

TEST_F(ExpertWindowTest, ReadRowWithoutPlacesSendsOnlyTheAddress) {
  Row(1, "40", "Read", "");
  Select(1);
  w->btnSendOne->Click();
  EXPECT_EQ(Trace(), "S W41+ P");
}

TEST_F(ExpertWindowTest, ReadButtonShowsTheInputPin) {
  sim.InputPin = false;
  w->btnRead->Click();
  EXPECT_EQ(w->lblTrigger->Caption(), "Input State High");
  EXPECT_EQ(w->lblTrigger->Color(), clGreen);
  sim.InputPin = true;
  w->btnRead->Click();
  EXPECT_EQ(w->lblTrigger->Caption(), "Input State Low");
  EXPECT_EQ(w->lblTrigger->Color(), clRed);
  EXPECT_EQ(w->lblTrigger->Font()->Color(), clWhite);
}

TEST_F(ExpertWindowTest, TriggerButtonsDriveThePinAndShowTheCommand) {
  w->btnTriggerHigh->Click();
  EXPECT_FALSE(sim.Trigger());
  EXPECT_EQ(w->lblTriggerOut->Caption(), "Trigger Output High");
  EXPECT_EQ(w->lblTriggerOut->Color(), clGreen);
  w->btnT0Low->Click();
  EXPECT_TRUE(sim.Trigger());
  EXPECT_EQ(w->lblTriggerOut->Caption(), "Trigger Output Low");
  EXPECT_EQ(w->lblTriggerOut->Color(), clRed);
}

// ---------------------------------------------------------------- faults

TEST_F(ExpertWindowTest, RowThatDoesNotConvertSendsNothingAndSaysWhere) {
  Row(4, "40", "Write", "10,XY,20");
  Select(4);
  w->btnSendOne->Click();
  EXPECT_EQ(Trace(), "");
  EXPECT_NE(StatusText().find("Msg # 4"), std::string::npos);
  EXPECT_NE(StatusText().find("\"XY\""), std::string::npos);
  EXPECT_EQ(StatusBack(), clRed);
  // The window is usable again at once.
  EXPECT_FALSE(w->Busy());
  Row(4, "40", "Write", "10");
  w->btnSendOne->Click();
  EXPECT_EQ(Trace(), "S W40+ W10+ P");
}

TEST_F(ExpertWindowTest, SendAllChecksEveryRowBeforeTheFirstStart) {
  Row(1, "40", "Write", "10,01");
  Row(5, "40", "Write", "10,02", "Yes", "x5");
  w->btnSendAll->Click();
  EXPECT_EQ(Trace(), "");
  EXPECT_NE(StatusText().find("Msg # 5"), std::string::npos);
  EXPECT_EQ(regs->Registers[0x10], 0x90);
}

TEST_F(ExpertWindowTest, AddressNotAcknowledgedStopsAndLeavesTheWindowUsable) {
  Row(1, "60", "Write", "00,01", "No");
  Select(1);
  w->btnSendOne->Click();
  EXPECT_EQ(Trace(), "S P");
  EXPECT_EQ(StatusText(), "  Address not acknowledged");
  EXPECT_TRUE(sim.Sda() && sim.Scl());
  EXPECT_TRUE(static_cast<bool>(w->btnSendOne->OnClick));
  EXPECT_TRUE(static_cast<bool>(w->btnSendAll->OnClick));
  EXPECT_TRUE(static_cast<bool>(w->btnSequence->OnClick));
  EXPECT_FALSE(w->Busy());
}

TEST_F(ExpertWindowTest, DataNotAcknowledgedStops) {
  Row(1, "50", "Write", "01,EE,02");
  Select(1);
  w->btnSendOne->Click();
  EXPECT_EQ(Trace(), "S W50+ W01+ WEE- P");
  EXPECT_EQ(StatusText(), "  Data not acknowledged");
}

// A failed read row keeps the bus as its Stop? cell says; closing the window stops a held bus.
TEST_F(ExpertWindowTest, FailedReadRowStopsOnlyWithItsStopCell) {
  for (const char* stop : {"Yes", "No"}) {
    Row(1, "61", "Read", "FF", stop);
    Select(1);
    w->btnSendOne->Click();
    EXPECT_EQ(Trace(), std::string(stop) == "Yes" ? "S P" : "S");
    EXPECT_EQ(StatusText(), "  Address not acknowledged");
    sim.ClearLog();
  }
  w->Release();
  for (int i = 0; i < 3 && frmMessage; ++i) Application->ProcessMessages();
  EXPECT_EQ(Trace(), "P");
}

// SendMessage and ReceiveMessage take a row in their own direction, whatever its R/W cell says.
TEST_F(ExpertWindowTest, SendAndReceiveMessageTakeTheirOwnDirection) {
  Row(1, "40", "Read", "10,55");
  EXPECT_EQ(w->SendMessage(1), 0);
  EXPECT_EQ(Trace(), "S W40+ W10+ W55+ P");
  sim.ClearLog();
  Row(2, "40", "Write", "10,ST,41,TH");
  EXPECT_EQ(w->ReceiveMessage(2), 0);
  EXPECT_EQ(Trace(), "S W41+ R91+ R92- T0 P");
  EXPECT_EQ(Cell(ecData, 2), "91,ST,92,TH");
}

TEST_F(ExpertWindowTest, StuckLinesAndMissingAdapterGiveTheirStatus) {
  Row(1, "40", "Write", "00");
  Select(1);
  sim.Faults.SdaStuckLow = true;
  w->btnSendOne->Click();
  EXPECT_EQ(StatusText(), " SDA stuck low");
  sim.Faults.SdaStuckLow = false;
  sim.Faults.SclStuckLow = true;
  w->btnSendOne->Click();
  EXPECT_EQ(StatusText(), " SCL stuck low");
  sim.Faults.SclStuckLow = false;
  sim.Faults.NoAdapter = true;
  frmMain->I2CDetect();
  w->btnSendOne->Click();
  EXPECT_EQ(StatusText(), " Velmaron hardware not detected!");
  sim.Faults.NoAdapter = false;
  frmMain->I2CDetect();
  sim.ClearLog();
  w->btnSendOne->Click();
  EXPECT_EQ(Trace(), "S W40+ W00+ P");
  EXPECT_EQ(StatusText(), "  Transmission successful");
}

// ---------------------------------------------------------------- all rows, sequences, delays

TEST_F(ExpertWindowTest, SendAllSendsDataRowsInOrderWithTheirDelays) {
  Row(1, "40", "Write", "10,01", "Yes", "7");
  Row(3, "40", "Write", "11,02", "Yes", "");
  Row(4, "40", "", "");  // no data: skipped
  w->btnSendAll->Click();
  EXPECT_EQ(Trace(), "S W40+ W10+ W01+ P S W40+ W11+ W02+ P");
  EXPECT_EQ(w->lblSending->Caption(), "Done");
  const auto t = Timed();
  ASSERT_EQ(t.size(), 4u);
  EXPECT_GE(t[2].second - t[1].second, 7000.0);  // the delay after row 1
  EXPECT_LT(t[2].second - t[1].second, 7600.0);
}

TEST_F(ExpertWindowTest, SendAllEndsAtTheFirstFailedRow) {
  Row(1, "40", "Write", "10,01");
  Row(2, "60", "Write", "00", "Yes", "50");
  Row(3, "40", "Write", "11,02");
  w->btnSendAll->Click();
  EXPECT_EQ(Trace(), "S W40+ W10+ W01+ P S P");
  EXPECT_EQ(w->lblSending->Caption(), "Sending Msg # 2");
  EXPECT_EQ(StatusText(), "  Address not acknowledged");
}

TEST_F(ExpertWindowTest, ADelayLongerThanTheEditorOffersIsKept) {
  Row(1, "40", "Write", "10", "Yes", "20000");
  Row(2, "40", "Write", "11");
  w->btnSendAll->Click();
  const auto t = Timed();
  ASSERT_EQ(t.size(), 4u);
  EXPECT_GE(t[2].second - t[1].second, 20000000.0);
  EXPECT_LT(t[2].second - t[1].second, 20001000.0);
}

// A run holds the bus through its delays: another window's send is refused with the busy
// message, so a row left without its stop and the read after it stay one transaction.
TEST_F(ExpertWindowTest, ARunHoldsTheBusThroughItsDelaysAgainstOtherWindows) {
  Row(1, "40", "Write", "05", "No", "50");
  Row(2, "40", "Read", "FF");
  TWinControl* send = OpenUniversalSend();
  ASSERT_NE(send, nullptr);
  sim.ClearLog();
  std::string during;
  I2CStatus direct = 0;
  auto* agent = new TLoopAgent(Application);
  agent->Post([&] {
    StdClick(send);
    during = StatusText();
    direct = frmMain->I2CStart();
  });
  w->btnSendAll->Click();
  EXPECT_EQ(agent->Ran(), 1);
  EXPECT_EQ(during, "  Bus busy: another window's run is using it");
  EXPECT_EQ(direct, I2CRefused);
  EXPECT_EQ(Trace(), "S W40+ W05+ S W41+ R85- P");
  EXPECT_EQ(Cell(ecData, 2), "85");
  // The run over, the other window sends again.
  sim.ClearLog();
  StdClick(send);
  Application->ProcessMessages();
  EXPECT_EQ(Trace().substr(0, 2), "S ");
}

// While rows are on the bus the table stays as it is: the row commands, New, Open and the
// message editor's write-back are refused with a beep until the run has ended.
TEST_F(ExpertWindowTest, TheTableStaysAsItIsDuringARun) {
  const struct {
    const char* Name;
    std::function<void(TfrmMessage*)> Command;
  } cases[] = {
      {"delete", [](TfrmMessage* m) { m->btnDeleteRow->Click(); }},
      {"insert", [](TfrmMessage* m) { m->btnAddRow->Click(); }},
      {"clear", [](TfrmMessage* m) { m->mnuClear->Click(); }},
      {"paste", [](TfrmMessage* m) { m->btnPaste->Click(); }},
      {"compact", [](TfrmMessage* m) { m->mnuCompact->Click(); }},
      {"new", [](TfrmMessage* m) { m->mnuNew->Click(); }},
      {"open", [](TfrmMessage* m) { m->mnuOpen->Click(); }},  // would ask "Save changes?"
      {"editor", [](TfrmMessage* m) { m->Editor()->btnClose->Click(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    w->ResetTable();
    Row(1, "40", "Write", "05", "Yes", "50");
    Row(2, "40", "Read", "FF");
    Row(3, "", "", "", "", "", "third");
    Select(1);
    w->grdData->DblClick();  // the message editor on row 1
    w->Editor()->edtDelay->SetValue(7);
    Universal_III::RowClipboard = {"60", "Write", "EE", "Yes", "", ""};
    sim.ClearLog();
    auto* agent = new TLoopAgent(Application);
    agent->Post([&] { c.Command(w); });
    w->btnSendAll->Click();
    EXPECT_EQ(agent->Ran(), 1);
    EXPECT_EQ(Trace(), "S W40+ W05+ P S W41+ R85- P");
    EXPECT_EQ(w->grdData->RowCount(), 33);
    EXPECT_EQ(w->RowFields(1), (TExpertRow{"40", "Write", "05", "Yes", "50", ""}));
    EXPECT_EQ(Cell(ecData, 2), "85");
    EXPECT_EQ(Cell(ecNotes, 3), "third");
    ASSERT_TRUE(w->Editor()->Visible());
    w->Editor()->Close();  // the run over, the editor writes its row
    EXPECT_EQ(Cell(ecDelay, 1), "7");
  }
}

TEST_F(ExpertWindowTest, SequenceSendsItsRowsSkippingRowsWithoutDataOrOutsideTheTable) {
  Row(1, "40", "Write", "10,01", "Yes", "3");
  Row(5, "40", "Write", "11,05");
  w->edtSequence->SetText("05,02,00,40,01");
  w->btnSequence->Click();
  EXPECT_EQ(Trace(), "S W40+ W11+ W05+ P S W40+ W10+ W01+ P");
  EXPECT_EQ(w->lblSending->Caption(), "Sending Msg # 5");
}

TEST_F(ExpertWindowTest, SequenceDelayFollowsOnlyASuccessfulRow) {
  Row(1, "40", "Write", "10", "Yes", "4");
  Row(2, "40", "Write", "11");
  w->edtSequence->SetText("01,02");
  w->btnSequence->Click();
  const auto t = Timed();
  ASSERT_EQ(t.size(), 4u);
  EXPECT_GE(t[2].second - t[1].second, 4000.0);
  EXPECT_LT(t[2].second - t[1].second, 4600.0);
}

// A row's delay sleeps with the message loop running: the window is drawn and a second send is
// refused (a click on Send Message waits for the run's round). A close ends the run there, long
// before the delay; the continuous run's button ends it only after the pass, whose delay runs out
// and whose next row goes out, and the round takes the waiting send.
TEST_F(ExpertWindowTest, ARowsDelayTakesMessagesAndACloseEndsTheRunThereAStopAfterThePass) {
  enum TWay { wSendAll, wSequence, wContinuous };
  const struct {
    TWay Way;
    bool Close;  // else the continuous run's own button
  } cases[] = {{wSendAll, true}, {wSequence, true}, {wContinuous, true}, {wContinuous, false}};
  const std::string row1 = "S W40+ W10+ W01+ P";
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "way " << c.Way << (c.Close ? " closed" : " stopped"));
    if (!frmMessage) {
      ASSERT_NO_FATAL_FAILURE(OpenWindow());
    }
    Row(1, "40", "Write", "10,01", "Yes", "1000");
    Row(2, "40", "Write", "11,02");
    w->edtSequence->SetText("01,02");
    sim.ClearLog();
    auto* agent = new TLoopAgent(Application);
    bool inDelay = false;
    agent->Post([&] {
      inDelay = Trace() == "S W40+ W10+ W01+ P";
      Select(2);
      w->btnSendOne->Click();  // waits for the round; a close drops it
      EXPECT_EQ(w->SendMessage(2), I2CRefused);
      if (c.Close)
        w->mnuClose->Click();
      else
        w->btnSendContinuous->Click();
    });
    (c.Way == wSendAll ? w->btnSendAll : c.Way == wSequence ? w->btnSequence : w->btnSendContinuous)->Click();
    EXPECT_TRUE(inDelay);
    const auto t = Timed();
    if (c.Close) {
      EXPECT_EQ(Trace(), row1);
      ASSERT_EQ(t.size(), 2u);
      EXPECT_LT(clock.Now() / 1000.0 - t[1].second, 100000.0) << "the delay did not run to its end";
    } else {
      EXPECT_EQ(Trace(), row1 + " S W40+ W11+ W02+ P S W40+ W11+ W02+ P");
      ASSERT_EQ(t.size(), 6u);
      EXPECT_GE(t[2].second - t[1].second, 1000000.0);
    }
    EXPECT_FALSE(w->Busy());
    EXPECT_EQ(w->btnSendContinuous->Caption(), "Send Continuously");
    for (int i = 0; i < 5 && frmMessage; ++i) Application->ProcessMessages();
    EXPECT_EQ(frmMessage == nullptr, c.Close);
  }
}

TEST_F(ExpertWindowTest, SequenceThatIsNotNumbersIsRefused) {
  Row(1, "40", "Write", "10");
  w->edtSequence->SetText("01,2");
  w->btnSequence->Click();
  EXPECT_EQ(Trace(), "");
  EXPECT_EQ(StatusText(), "  Invalid sequence...transmission aborted");
}

// ---------------------------------------------------------------- continuous runs

TEST_F(ExpertWindowTest, ContinuousRunRepeatsUntilItsButtonIsClickedAgain) {
  Row(1, "40", "Write", "10,01");
  Row(2, "40", "Write", "11,02");
  Row(3, "40", "Write", "12,03");
  w->edtSequence->SetText("01,02");
  std::string captionDuringRun;
  const std::string pass = "S W40+ W10+ W01+ P S W40+ W11+ W02+ P";
  // The message loop runs once per pass; a zero timer fires once per run of it.
  int rounds = 0;
  QTimer timer;
  timer.setInterval(0);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (++rounds == 1) {
      EXPECT_EQ(Trace(), pass);
      return;
    }
    if (rounds > 2) return;
    captionDuringRun = w->btnSendContinuous->Caption();
    w->btnSendAll->Click();  // live again in the round
    Select(3);
    w->btnSendOne->Click();
    w->btnSendContinuous->Click();
  });
  timer.start();
  w->btnSendContinuous->Click();
  timer.stop();
  EXPECT_EQ(rounds, 2);
  EXPECT_EQ(captionDuringRun, "Stop Sequencing");
  EXPECT_EQ(w->btnSendContinuous->Caption(), "Send Continuously");
  EXPECT_FALSE(w->Busy());
  const std::string row3 = "S W40+ W12+ W03+ P";
  EXPECT_EQ(Trace(), pass + " " + pass + " " + pass + " " + row3 + " " + row3);  // then Send All, then row 3
}

// A message left without its stop keeps the bus held through the delay after it. A click on
// Stop Sequencing there lets the pass finish (the read and its stop go out); a close sends the
// stop at once. Either way the hold ends with the run and the window, closed, sends nothing more.
TEST_F(ExpertWindowTest, StopOrCloseInTheDelayOfAHeldMessageEndsItsTransaction) {
  const struct {
    bool Close;
    const char* Trace;
  } cases[] = {{false, "S W40+ W05+ S W41+ R85- P"}, {true, "S W40+ W05+ P"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Close ? "closed" : "stopped");
    if (!frmMessage) {
      ASSERT_NO_FATAL_FAILURE(OpenWindow());
    }
    Row(1, "40", "Write", "05", "No", "3000");
    Row(2, "40", "Read", "FF");
    w->edtSequence->SetText("01,02");
    sim.ClearLog();
    I2CStatus direct = 0;
    auto* agent = new TLoopAgent(Application);
    agent->Post([&] {
      if (c.Close)
        w->mnuClose->Click();
      else
        w->btnSendContinuous->Click();
    });
    agent->Post([&] { direct = frmMain->I2CStart(); });
    w->btnSendContinuous->Click();
    EXPECT_EQ(agent->Ran(), 2);
    EXPECT_EQ(direct, I2CRefused) << "the delay holds the bus after the click";
    EXPECT_EQ(Trace(), c.Trace);
    EXPECT_FALSE(frmMain->BusBusy());
    EXPECT_EQ(w->btnSendContinuous->Caption(), "Send Continuously");
    if (frmMessage) w->mnuClose->Click();
    for (int i = 0; i < 5 && frmMessage; ++i) Application->ProcessMessages();
    EXPECT_EQ(frmMessage, nullptr);
    EXPECT_EQ(Trace(), c.Trace);
  }
}

// In the round after a message that left the bus without its stop, the window's own buttons are
// live: its send goes out as the held transaction's next message. Other windows stay refused.
TEST_F(ExpertWindowTest, ContinuousRoundTakesItsOwnSendOnAHeldBusAndRefusesOtherWindows) {
  Row(1, "40", "Write", "10", "No");
  Row(2, "40", "Write", "11");
  w->edtSequence->SetText("01");
  TWinControl* send = OpenUniversalSend();
  ASSERT_NE(send, nullptr);
  sim.ClearLog();
  std::string other, own;
  I2CStatus direct = 0;
  int rounds = 0;
  QTimer timer;
  timer.setInterval(0);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (++rounds > 1) return;
    StdClick(send);
    other = StatusText();
    direct = frmMain->I2CStart();
    w->btnTriggerHigh->Click();
    Select(2);
    w->btnSendOne->Click();
    own = StatusText();
    w->btnSendContinuous->Click();
  });
  timer.start();
  w->btnSendContinuous->Click();
  timer.stop();
  EXPECT_EQ(other, "  Bus busy: another window's run is using it");
  EXPECT_EQ(direct, I2CRefused);
  EXPECT_EQ(own, "  Transmission successful");
  EXPECT_EQ(w->lblTriggerOut->Caption(), "Trigger Output High");
  EXPECT_EQ(Trace(), "S W40+ W10+ T0 S W40+ W11+ P");
  EXPECT_FALSE(frmMain->BusBusy());
}

// A click on the window's own buttons in a row's delay waits, as it waited in the queue of the busy
// wait: a continuous run takes it in its round after the pass, Send Sequence once it returns. The
// send goes to the row that was current at the click; no "another window's run" for its own run.
TEST_F(ExpertWindowTest, OwnClicksInADelayAreTakenAfterThePass) {
  const struct {
    const char* Name;
    bool Continuous;
  } cases[] = {{"continuous", true}, {"sequence", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Row(1, "40", "Write", "10", "Yes", "50");
    Row(3, "40", "Write", "33");
    w->edtSequence->SetText("01");
    w->btnTriggerLow->Click();
    sim.ClearLog();
    std::string during;
    auto* agent = new TLoopAgent(Application);
    agent->Post([&] {
      w->btnTriggerHigh->Click();
      Select(3);
      w->btnSendOne->Click();
      Select(2);
      during = StatusText();
      if (c.Continuous) w->btnSendContinuous->Click();
    });
    if (c.Continuous)
      w->btnSendContinuous->Click();
    else
      w->btnSequence->Click();
    EXPECT_EQ(agent->Ran(), 1);
    EXPECT_EQ(during, "  Transmission successful");
    EXPECT_EQ(Trace(), "S W40+ W10+ P T0 S W40+ W33+ P");
    EXPECT_EQ(w->lblTriggerOut->Caption(), "Trigger Output High");
    EXPECT_FALSE(w->Busy());
    EXPECT_FALSE(frmMain->BusBusy());
  }
}

TEST_F(ExpertWindowTest, ContinuousRunEndsOnAFault) {
  Row(1, "40", "Write", "10,01");
  Row(2, "60", "Write", "00");
  w->edtSequence->SetText("01,02");
  w->btnSendContinuous->Click();
  EXPECT_EQ(Trace(), "S W40+ W10+ W01+ P S P");
  EXPECT_EQ(w->btnSendContinuous->Caption(), "Send Continuously");
  EXPECT_FALSE(w->Busy());
}

TEST_F(ExpertWindowTest, ClosingDuringARunStopsItAndFreesTheWindowAfterward) {
  Row(1, "40", "Write", "10,01");
  w->edtSequence->SetText("01");
  auto* agent = new TLoopAgent(Application);
  bool aliveAfterClose = false;
  agent->Post([&] {
    w->mnuClose->Click();
    aliveAfterClose = frmMessage == w;  // not freed inside the running loop
    Application->ProcessMessages();
    aliveAfterClose = aliveAfterClose && frmMessage == w;
  });
  w->btnSendContinuous->Click();
  EXPECT_TRUE(aliveAfterClose);
  EXPECT_EQ(Trace(), "S W40+ W10+ W01+ P");
  for (int i = 0; i < 5 && frmMessage; ++i) Application->ProcessMessages();
  EXPECT_EQ(frmMessage, nullptr);
  EXPECT_EQ(frmMain->MDIChildCount(), 0);
}

TEST_F(ExpertWindowTest, ClosingDuringTheWarningFlashOfASendFreesTheWindowAfterIt) {
  Row(1, "60", "Write", "00");  // nobody answers: the fault flashes and takes messages
  Select(1);
  auto* agent = new TLoopAgent(Application);
  bool busyWhenClosed = false;
  agent->Post([&] {
    busyWhenClosed = w->Busy();
    w->mnuClose->Click();
  });
  w->btnSendOne->Click();
  EXPECT_TRUE(busyWhenClosed);
  EXPECT_EQ(agent->Ran(), 1);
  EXPECT_EQ(StatusText(), "  Address not acknowledged");
  for (int i = 0; i < 5 && frmMessage; ++i) Application->ProcessMessages();
  EXPECT_EQ(frmMessage, nullptr);
}

TEST_F(ExpertWindowTest, NoSecondSendStartsDuringTheWarningFlashOfTheFirst) {
  Row(1, "60", "Write", "00");
  Row(2, "40", "Write", "10,01");
  Select(1);
  auto* agent = new TLoopAgent(Application);
  agent->Post([&] {
    Select(2);
    w->btnSendOne->Click();
    w->btnSendAll->Click();
    w->btnSequence->Click();
    w->btnSendContinuous->Click();
    w->btnTriggerHigh->Click();
  });
  w->btnSendOne->Click();
  EXPECT_EQ(agent->Ran(), 1);
  EXPECT_EQ(Trace(), "S P");
  EXPECT_TRUE(sim.Trigger());
  EXPECT_EQ(w->btnSendContinuous->Caption(), "Send Continuously");
  // Once the first has ended, the window sends again.
  sim.ClearLog();
  w->btnSendOne->Click();
  EXPECT_EQ(Trace(), "S W40+ W10+ W01+ P");
}

TEST_F(ExpertWindowTest, FrameCloseDuringARunAsksAboutChangesFirst) {
  Row(1, "40", "Write", "10,01");
  w->edtSequence->SetText("01");
  Universal_III::Modified = true;
  auto* agent = new TLoopAgent(Application);
  Responder().ExpectMessage("Save changes?", mrCancel);
  agent->Post([&] { PostMessage(w->Handle(), WM_CLOSE, 0, 0); });
  agent->Post([&] { w->btnSendContinuous->Click(); });
  w->btnSendContinuous->Click();
  Application->ProcessMessages();
  EXPECT_EQ(frmMessage, w);  // cancelled: the run went on until stopped, the window stays
  EXPECT_EQ(agent->Ran(), 2);
}

}  // namespace

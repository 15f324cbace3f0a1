// Sending through the real window on the simulated adapter: the exact bus
// traffic of each message shape, faults, sequences with pauses, Repeat and
// Stop, closing during a run, and a long repeat run's memory.
#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/devices/UniversFixture.h"

// Every operator new of this test program is counted.
std::atomic<long> gLiveBlocks{0};

void* operator new(std::size_t size) {
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  gLiveBlocks.fetch_add(1, std::memory_order_relaxed);
  return p;
}
void operator delete(void* p) noexcept {
  if (!p) return;
  gLiveBlocks.fetch_sub(1, std::memory_order_relaxed);
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
// Every other form of the plain operators too, so no block is taken by one allocator and given
// back to another (a sanitizer's own operators would see a mismatch).
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& t) noexcept { return operator new(size, t); }
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { operator delete(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { operator delete(p); }

namespace {

using UniversSend = TUniversTest;

// Acknowledges its address and the first data byte, refuses every later one.
class TPickyDevice : public TSimI2CDevice {
 public:
  TPickyDevice() : TSimI2CDevice("Picky") {}
  int Taken = 0;

 protected:
  bool AddressByte(uint8_t a) override {
    Taken = 0;
    return (a & 0xFE) == 0x60;
  }
  bool DataWritten(uint8_t) override { return ++Taken < 2; }
  uint8_t DataToRead() override { return 0x5A; }
};

// Counts the messages addressed to it and runs a hook after each.
class TCountingDevice : public TSimI2CDevice {
 public:
  TCountingDevice() : TSimI2CDevice("Counter") {}
  int Messages = 0;
  std::function<void(int)> OnMessage;

 protected:
  bool AddressByte(uint8_t a) override {
    if ((a & 0xFE) != 0x70) return false;
    ++Messages;
    if (OnMessage) OnMessage(Messages);
    return true;
  }
  bool DataWritten(uint8_t) override { return true; }
  uint8_t DataToRead() override { return 0; }
};

// Blocks the program holds from operator new: what a leak per send would raise, counted the
// same in every build (the resident size also counts what the allocator keeps back).
long LiveBlocks() { return gLiveBlocks.load(); }

TEST_F(UniversSend, WriteMessageGoesOutWholeAndSaysSo) {
  Open();
  SetMessage(1, "40", "W ", "031122P");
  Click(w->btnSend);
  EXPECT_EQ(Bus(), "S 40A 03A 11A 22A P");
  EXPECT_EQ(Registers().Registers[3], 0x11);
  EXPECT_EQ(Registers().Registers[4], 0x22);
  EXPECT_EQ(Status(), "  Transmission successful");
  EXPECT_TRUE(w->SendOK);
  EXPECT_EQ(Message(1), "031122P") << "a write keeps its cells";
}

TEST_F(UniversSend, ReadMessageFillsItsCellsWithTheBytesRead) {
  Open();
  Registers().Registers[0] = 0xC3;
  Registers().Registers[1] = 0x3C;
  Registers().Registers[2] = 0x99;
  SetMessage(2, "40", "W ", "00P");
  SetMessage(1, "40", "R ", "FFFFFFP");
  w->Group(2).grbData->SetFocus();
  w->Group(2).Cells[0]->SetFocus();
  EXPECT_EQ(w->grbSend->Caption(), "Send Message 2");
  Click(w->btnSend);  // sets the pointer to 0
  w->Group(1).Cells[0]->SetFocus();
  EXPECT_EQ(w->ActiveMessage, 1);
  sim.ClearLog();
  Click(w->btnSend);
  EXPECT_EQ(Bus(), "S 41A C3A 3CA 99N P") << "every byte but the last acknowledged";
  EXPECT_EQ(Message(1), "C33C99P");
  EXPECT_FALSE(w->Group(1).Cells[3]->Visible() && w->Group(1).Cells[3]->Text() != "P");

  SetMessage(1, "40", "R ", "P");
  Registers().Registers[3] = 0x5E;
  sim.ClearLog();
  Click(w->btnSend);
  EXPECT_EQ(Bus(), "S 41A 5EN P") << "a read of no cells reads one byte";
  EXPECT_EQ(Message(1), "5EP");
  EXPECT_TRUE(w->Group(1).Cells[1]->Visible());
  EXPECT_EQ(w->Group(1).Cells[1]->Text(), "P");
  EXPECT_FALSE(w->Group(1).Cells[2]->Visible()) << "boxes past the stop are hidden";
}

TEST_F(UniversSend, WriteThenRepeatedStartRead) {
  Open();
  for (int i = 0; i < 4; ++i) Registers().Registers[0x10 + i] = static_cast<uint8_t>(0xA0 + i);
  SetMessage(1, "40", "W ", "10S 40R FFFFFFP");
  Click(w->btnSend);
  EXPECT_EQ(Bus(), "S 40A 10A S 41A A0A A1A A2N P");
  EXPECT_EQ(Message(1), "10S 40R A0A1A2P");
  EXPECT_EQ(Status(), "  Transmission successful");

  // A read first, then a write after the repeated start.
  SetMessage(1, "40", "R ", "FFS 40W 1277P");
  sim.ClearLog();
  Click(w->btnSend);
  EXPECT_EQ(Bus(), "S 41A A3N S 40A 12A 77A P");
  EXPECT_EQ(Message(1), "A3S 40W 1277P");
  EXPECT_EQ(Registers().Registers[0x12], 0x77);
}

TEST_F(UniversSend, TheMessageIsFixedWhenTheSendStarts) {
  Open();
  Registers().Registers[0] = 0x6D;
  SetMessage(1, "40", "W ", "00S 40R FFP");
  SetMessage(3, "40", "W ", "0099P");
  w->Group(1).Cells[0]->SetFocus();
  // The user moves to message 3 while the send processes its messages.
  Later([this] { w->Group(3).Cells[1]->SetFocus(); });
  Click(w->btnSend);
  EXPECT_EQ(w->ActiveMessage, 3) << "the focus did move";
  EXPECT_EQ(Bus(), "S 40A 00A S 41A 6DN P") << "message 1 went out";
  EXPECT_EQ(Message(1), "00S 40R 6DP") << "and took the byte read";
  EXPECT_EQ(Message(3), "0099P");
}

TEST_F(UniversSend, NotAcknowledgedAddressAndDataEndTheMessageWithAStop) {
  Open();
  sim.Add<TPickyDevice>();
  SetMessage(1, "50", "W ", "0102P");
  Click(w->btnSend);
  EXPECT_EQ(Bus(), "S 50N P");
  EXPECT_EQ(Status(), "  Address not acknowledged");
  EXPECT_FALSE(w->SendOK);

  SetMessage(1, "60", "W ", "010203P");
  sim.ClearLog();
  Click(w->btnSend);
  EXPECT_EQ(Bus(), "S 60A 01A 02N P") << "the first refused byte ends the message";
  EXPECT_EQ(Status(), "  Data not acknowledged");

  // A restart whose address nobody answers.
  SetMessage(1, "40", "W ", "00S 52R FFP");
  sim.ClearLog();
  Click(w->btnSend);
  EXPECT_EQ(Bus(), "S 40A 00A S 53N P");
  EXPECT_EQ(Status(), "  Address not acknowledged");
  EXPECT_EQ(Message(1), "00S 52R FFP") << "a failed read changes no cell";

  // The window stays usable.
  SetMessage(1, "40", "W ", "0042P");
  sim.ClearLog();
  Click(w->btnSend);
  EXPECT_EQ(Bus(), "S 40A 00A 42A P");
  EXPECT_EQ(Status(), "  Transmission successful");
  EXPECT_FALSE(w->Running());
}

TEST_F(UniversSend, StuckLinesAndNoAdapterSendNoByteAndLeaveTheWindowUsable) {
  Open();
  SetMessage(1, "40", "W ", "0055P");
  sim.Faults.SdaStuckLow = true;
  Click(w->btnSend);
  EXPECT_EQ(Bus().find("40"), std::string::npos) << Bus();
  EXPECT_EQ(Status(), " SDA stuck low");
  EXPECT_FALSE(w->SendOK);
  sim.Faults.SdaStuckLow = false;

  sim.Faults.SclStuckLow = true;
  sim.ClearLog();
  Click(w->btnSend);
  EXPECT_EQ(Status(), " SCL stuck low");
  sim.Faults.SclStuckLow = false;

  sim.Faults.NoAdapter = true;
  frmMain->Bus().AdapterFound = false;
  sim.ClearLog();
  Click(w->btnSend);
  EXPECT_EQ(Status(), " Velmaron hardware not detected!");
  EXPECT_EQ(Bus().find("40"), std::string::npos);
  sim.Faults.NoAdapter = false;

  sim.ClearLog();
  Click(w->btnSend);
  EXPECT_EQ(Bus(), "S 40A 00A 55A P");
  EXPECT_EQ(Status(), "  Transmission successful");
}

TEST_F(UniversSend, AMessageThatDoesNotConvertSendsNothing) {
  Open();
  SetMessage(1, "40", "W ", "0011P");
  w->Group(1).Cells[1]->SetText("G1");  // pasted past the key filter
  Click(w->btnSend);
  EXPECT_EQ(sim.Log().size(), 0u) << "nothing may reach the bus";
  EXPECT_EQ(Status(), "  Message 1: \"G1\" is not a hex byte...nothing sent");
  EXPECT_FALSE(w->SendOK);
  EXPECT_FALSE(w->Running());

  // A box holding one digit, or none, counts as the box does when it is left.
  SetMessage(1, "40", "W ", "001122P");
  w->Group(1).Cells[1]->SetText("5");
  w->Group(1).Cells[2]->SetText("");
  Click(w->btnSend);
  EXPECT_EQ(Bus(), "S 40A 00A 05A FFA P");
  EXPECT_EQ(Message(1), "0005FFP");
}

TEST_F(UniversSend, SingleSendsTheSequenceWithItsPauseAndStopsAtAFailure) {
  Open();
  SetMessage(1, "40", "W ", "01P");
  SetMessage(2, "40", "W ", "02P");
  SetMessage(3, "50", "W ", "03P");  // nobody at 50
  w->edtSequence->SetText("212");
  w->spnDelay->SetValue(20);
  EXPECT_EQ(w->DelayMs, 19);
  w->ActiveMessage = 4;
  Click(w->btnSingle);
  std::vector<uint64_t> starts, stops;
  EXPECT_EQ(Traffic(sim.Log(), &starts, &stops), "S 40A 02A P S 40A 01A P S 40A 02A P");
  ASSERT_EQ(starts.size(), 3u);
  for (int i = 0; i < 2; ++i) {
    const uint64_t gap = starts[i + 1] - stops[i];
    EXPECT_GE(gap, 19000000u) << "the pause after message " << i + 1;
    EXPECT_LT(gap, 21000000u);
  }
  EXPECT_EQ(w->ActiveMessage, 4) << "the active message comes back";
  EXPECT_FALSE(w->Running());

  w->edtSequence->SetText("1312");
  sim.ClearLog();
  Click(w->btnSingle);
  EXPECT_EQ(Bus(), "S 40A 01A P S 50N P") << "the failing message ends the run";
  EXPECT_EQ(Status(), "  Address not acknowledged");
}

TEST_F(UniversSend, SequencesOutsideOneToFiveAreRefused) {
  Open();
  for (const char* bad : {"", "16", "1a"}) {
    w->edtSequence->SetText(bad);
    sim.ClearLog();
    Click(w->btnSingle);
    EXPECT_EQ(Status(), "  Invalid sequence...transmission aborted") << bad;
    Click(w->btnRepeat);
    EXPECT_EQ(Status(), "  Invalid sequence...transmission aborted") << bad;
    EXPECT_EQ(sim.Log().size(), 0u) << bad;
    EXPECT_FALSE(w->gauge->Visible());
  }
  // Typing keeps to the digits 1 to 5.
  w->edtSequence->SetText("");
  w->edtSequence->SetFocus();
  Key(w->edtSequence, Qt::Key_1, "1");
  Key(w->edtSequence, Qt::Key_6, "6");
  Key(w->edtSequence, Qt::Key_5, "5");
  EXPECT_EQ(w->edtSequence->Text(), "15");
  // Eleven entries (as a data file may hold) are all sent.
  for (int n = 1; n <= 5; ++n) SetMessage(n, "40", "W ", "0" + std::to_string(n) + "P");
  w->edtSequence->SetText("12345123451");
  sim.ClearLog();
  Click(w->btnSingle);
  std::vector<uint64_t> starts;
  Traffic(sim.Log(), &starts);
  EXPECT_EQ(starts.size(), 11u);
}

TEST_F(UniversSend, StopDuringRepeatEndsAfterThePassAndGivesTheControlsBack) {
  Open();
  auto& counter = sim.Add<TCountingDevice>();
  SetMessage(1, "70", "W ", "01P");
  SetMessage(2, "70", "W ", "02P");
  SetMessage(3, "70", "W ", "03P");
  w->edtSequence->SetText("123");
  bool groupsOffDuringRun = false, gaugeShown = false;
  counter.OnMessage = [&](int n) {
    if (n == 2) {
      groupsOffDuringRun = !w->Group(1).grbData->Enabled();
      gaugeShown = w->gauge->Visible();
      // A second send of any kind must not start while the run goes on.
      Later([this] {
        Click(w->btnSend);
        Click(w->btnSingle);
        Click(w->btnRepeat);
      });
    }
    if (n == 5) Later([this] { Click(w->btnStop); });
  };
  Click(w->btnRepeat);
  EXPECT_EQ(counter.Messages, 6) << "Stop in the second pass lets that pass finish";
  EXPECT_EQ(Bus(), "S 70A 01A P S 70A 02A P S 70A 03A P S 70A 01A P S 70A 02A P S 70A 03A P");
  EXPECT_TRUE(groupsOffDuringRun);
  EXPECT_TRUE(gaugeShown);
  EXPECT_TRUE(w->Group(1).grbData->Enabled());
  EXPECT_FALSE(w->gauge->Visible());
  EXPECT_EQ(w->gauge->Progress(), 0);
  EXPECT_EQ(w->Repeating, 0);
  EXPECT_FALSE(w->Running());

  // Usable again, and a failure ends a repeat run by itself.
  SetMessage(2, "72", "W ", "02P");  // nobody at 72
  counter.OnMessage = nullptr;
  counter.Messages = 0;
  sim.ClearLog();
  Click(w->btnRepeat);
  EXPECT_EQ(Bus(), "S 70A 01A P S 72N P");
  EXPECT_EQ(Status(), "  Address not acknowledged");
  EXPECT_FALSE(w->Running());
}

TEST_F(UniversSend, RepeatPausesAfterEveryMessageAndCountsThemOnTheGauge) {
  Open();
  auto& counter = sim.Add<TCountingDevice>();
  SetMessage(1, "70", "W ", "01P");
  w->edtSequence->SetText("1");
  w->spnDelay->SetValue(10);
  int maxSeen = 0, progressAt4 = -1;
  counter.OnMessage = [&](int n) {
    maxSeen = w->gauge->MaxValue();
    if (n == 4) progressAt4 = w->gauge->Progress();
    if (n == 4) Later([this] { Click(w->btnStop); });
  };
  Click(w->btnRepeat);
  EXPECT_EQ(maxSeen, 200);
  EXPECT_EQ(progressAt4, 3);
  std::vector<uint64_t> starts, stops;
  Traffic(sim.Log(), &starts, &stops);
  ASSERT_EQ(starts.size(), 4u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_GE(starts[i + 1] - stops[i], 9000000u);
    EXPECT_LT(starts[i + 1] - stops[i], 11000000u);
  }
}

// File > Close and Exit end Repeat and free the window once the run has returned; Close All and
// the close box are refused while Repeat runs.
TEST_F(UniversSend, CloseAndExitEndARunCloseAllAndTheCloseBoxWaitForStop) {
  for (int way = 0; way < 4; ++way) {
    SCOPED_TRACE(way);
    Open();
    auto& counter = sim.Add<TCountingDevice>();
    SetMessage(1, "70", "W ", "01P");
    SetMessage(2, "70", "W ", "02P");
    w->edtSequence->SetText("12");
    const bool ends = way == 0 || way == 3;
    counter.OnMessage = [&, way, ends](int n) {
      if (n == 5 && !ends) Later([this] { Click(w->btnStop); });
      if (n != 3) return;
      Later([this, way] {
        if (way == 0) w->mnuClose->Click();
        if (way == 1) w->mnuCloseAll->Click();
        if (way == 2) w->Close();  // the frame's close box
        if (way == 3) w->Exit->Click();
      });
    };
    Click(w->btnRepeat);
    const std::string bus = Bus();
    EXPECT_EQ(bus.substr(bus.size() - 1), "P") << "the last message got its stop";
    if (ends) {
      EXPECT_EQ(counter.Messages, 3) << "the run ends after the message in progress";
      EXPECT_NE(frmUniversal, nullptr) << "never freed inside the loop";
      for (int i = 0; i < 5; ++i) Application->ProcessMessages();
      EXPECT_EQ(frmUniversal, nullptr) << "freed once the run had returned";
      EXPECT_EQ(frmMain->MDIChildCount(), 0);
    } else {
      EXPECT_EQ(counter.Messages, 6) << "the run went on to the end of the pass Stop came in";
      for (int i = 0; i < 5; ++i) Application->ProcessMessages();
      ASSERT_NE(frmUniversal, nullptr);
      EXPECT_EQ(frmMain->MDIChildCount(), 1);
    }
    Application->ClearTerminated();
    sim.ClearLog();
    if (!frmUniversal) frmMain->mnuUniversal->Click();  // a new window comes
    Application->ProcessMessages();
    ASSERT_NE(frmUniversal, nullptr);
    frmUniversal->Close();
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
    EXPECT_EQ(frmUniversal, nullptr);
    // The next round adds its own counter; this one stays silent.
    counter.OnMessage = nullptr;
    frmMain->BeforeDestruction();
    delete frmMain;
  }
}

// A pause sleeps and busy-waits only its last millisecond: it ends on time without spinning a
// processor for its whole length.
TEST_F(UniversSend, APauseSleepsAndBusyWaitsOnlyItsLastMillisecond) {
  for (uint64_t ms : {1u, 20u, 1000u, 5000u}) {
    clock.Reads = 0;
    const double t0 = clock.Now();
    PauseProcessingMessages(ms);
    EXPECT_GE(clock.Now() - t0, ms * 1e6) << ms;
    EXPECT_LT(clock.Now() - t0, ms * 1e6 + 1e6) << ms;
    EXPECT_LT(clock.Reads, 200 + 4 * ms / 10) << ms << " ms: turns of a busy wait";
  }
}

TEST_F(UniversSend, ClosingDuringAPauseOfSingleEndsItThere) {
  Open();
  auto& counter = sim.Add<TCountingDevice>();
  for (int n = 1; n <= 3; ++n) SetMessage(n, "70", "W ", "0" + std::to_string(n) + "P");
  w->edtSequence->SetText("123");
  w->spnDelay->SetValue(1000);
  counter.OnMessage = [&](int n) {
    if (n == 1) Later([this] { w->mnuClose->Click(); });
  };
  const double t0 = clock.Now();
  Click(w->btnSingle);
  EXPECT_EQ(counter.Messages, 1);
  EXPECT_LT(clock.Now() - t0, 500e6) << "the pause did not run to its end";
  EXPECT_EQ(Bus(), "S 70A 01A P");
  EXPECT_NE(frmUniversal, nullptr);
  for (int i = 0; i < 5; ++i) Application->ProcessMessages();
  EXPECT_EQ(frmUniversal, nullptr);
}

TEST_F(UniversSend, ExitDuringARunEndsTheRunAndTheProgram) {
  Open();
  auto& counter = sim.Add<TCountingDevice>();
  SetMessage(1, "70", "W ", "01P");
  w->edtSequence->SetText("1");
  counter.OnMessage = [&](int n) {
    if (n == 2) Later([this] { w->Exit->Click(); });
  };
  Click(w->btnRepeat);
  EXPECT_EQ(counter.Messages, 2);
  EXPECT_TRUE(Application->Terminated());
  for (int i = 0; i < 5; ++i) Application->ProcessMessages();
  EXPECT_EQ(frmUniversal, nullptr);
}

// Reliability: ten thousand sends of a 16-byte message in Repeat mode.
TEST_F(UniversSend, TenThousandRepeatedSendsKeepMemoryFlat) {
  Open();
  sim.LogLines = false;
  sim.LogCapacity = 64;
  auto& counter = sim.Add<TCountingDevice>();
  std::string msg;
  for (int i = 0; i < 16; ++i) msg += "A" + std::string(1, "0123456789ABCDEF"[i]);
  SetMessage(1, "70", "W ", msg + "P");
  w->edtSequence->SetText("1");
  long at1000 = 0, at10000 = 0;
  int progressAt301 = -1, progressAt302 = -1;
  counter.OnMessage = [&](int n) {
    if (n == 301) progressAt301 = w->gauge->Progress();
    if (n == 302) progressAt302 = w->gauge->Progress();
    if (n == 1000) at1000 = LiveBlocks();
    if (n == 10000) {
      at10000 = LiveBlocks();
      Later([this] { Click(w->btnStop); });
    }
  };
  Click(w->btnRepeat);
  EXPECT_EQ(counter.Messages, 10000);
  EXPECT_EQ(Status(), "  Transmission successful");
  EXPECT_EQ(w->gauge->MaxValue(), 300) << "no delay: the gauge counts 300 messages";
  EXPECT_EQ(progressAt301, 300);
  EXPECT_EQ(progressAt302, 0) << "and starts again at 0";
  ASSERT_GT(at1000, 0);
  std::printf("live blocks: %ld after 1,000 sends, %ld after 10,000\n", at1000, at10000);
  EXPECT_LT(at10000 - at1000, 100) << "the program holds " << (at10000 - at1000) << " more blocks";
}

}  // namespace

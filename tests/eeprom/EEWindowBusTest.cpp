// Read All, Write All, Verify, Read Byte and Write Byte through the windows'
// buttons on the simulated adapter, and the faults that must leave the window usable.
#include <gtest/gtest.h>

#include <QTimer>
#include <cstring>
#include <filesystem>

#include "app/bus/ByteText.h"
#include "tests/eeprom/EEWindowFixture.h"

namespace {

class EEWindowBus : public TEEWindowTest {
 protected:
  static std::vector<uint8_t> Pattern(int Size, int Seed) {
    std::vector<uint8_t> v(static_cast<size_t>(Size));
    for (int a = 0; a < Size; ++a) v[a] = static_cast<uint8_t>((a * 37 + a / 256 * 11 + Seed) & 0xFF);
    return v;
  }
  static std::vector<uint8_t> GridBytes(TEEWindow* w) {
    std::vector<uint8_t> v;
    for (int a = 0; a < w->DeviceSize(); ++a) v.push_back(*ByteCellValue(w->HexCell(a)));
    return v;
  }
  static void Page(TEEWindow* w, int Size) { w->SetupItem(esPageSize)->SetIntValue(Size); }
  // Writes a pattern, checks the device holds it, clears the grid, reads it back and verifies.
  void RoundTrip(TEEWindow* w, TSimEeprom& ee, int Seed) {
    const int size = w->DeviceSize();
    const std::vector<uint8_t> data = Pattern(size, Seed);
    w->SetImage(data);
    Click(w->btnWrite);
    EXPECT_EQ(Status(), StatusOf(64));
    ASSERT_EQ(ee.Memory, data) << "the device holds what the grid held";
    w->SetImage(std::vector<uint8_t>(static_cast<size_t>(size), 0x00));
    Click(w->btnRead);
    EXPECT_EQ(Status(), StatusOf(0));
    ASSERT_EQ(GridBytes(w), data) << "Read All gives back the bytes";
    for (int a = 0; a < size; a += 97) ASSERT_EQ(w->stgText->Cells(a % 16, a / 16 + 1), AsciiCellText(data[a]));
    Click(w->btnVerify);
    EXPECT_EQ(Status(), StatusOf(65));
  }
  // The window is usable again: handlers back, grid on, the hourglass gone, and a read works.
  void ExpectUsable(TEEWindow* w) {
    EXPECT_FALSE(w->Busy());
    EXPECT_TRUE(ButtonControl(w->btnRead)->OnClick != nullptr);
    EXPECT_TRUE(ButtonControl(w->btnWrite)->OnClick != nullptr);
    EXPECT_TRUE(ButtonControl(w->btnReadOne)->OnClick != nullptr);
    EXPECT_TRUE(ButtonControl(w->btnWriteOne)->OnClick != nullptr);
    EXPECT_TRUE(w->stgMemory->Enabled());
    EXPECT_EQ(Screen->Cursor(), crDefault);
  }
};

// A device that takes its word address but refuses every data byte, as a write-protected part can.
class TProtectedEeprom : public TSimEeprom {
 public:
  using TSimEeprom::TSimEeprom;

 protected:
  void StartSeen() override {
    TSimEeprom::StartSeen();
    bytes_ = 0;
  }
  bool DataWritten(uint8_t v) override {
    const int due = TwoByteAddress() ? 2 : 1;
    if (bytes_++ < due) return TSimEeprom::DataWritten(v);
    return false;
  }

 private:
  int bytes_ = 0;
};

TEST_F(EEWindowBus, SmallWindowOf256BytesRoundTrips) {
  auto& ee = sim.Add<TSimEeprom>(256, 0xA0);
  TfrmMain* m = Start();
  RoundTrip(OpenSmall(m->mnu2K), ee, 1);
}

TEST_F(EEWindowBus, SmallWindowOf2048BytesRoundTripsThroughItsEightBlocks) {
  // The block number rides in the device address: the part answers A0 to AE.
  auto& big = sim.Add<TSimEeprom>(2048, 0xA0);
  TfrmMain* m = Start();
  TfrmSmallEE* w = OpenSmall(m->mnu16K);
  Page(w, 16);
  RoundTrip(w, big, 2);
}

TEST_F(EEWindowBus, LargeWindowsOf32And64KilobytesRoundTrip) {
  auto& ee = sim.Add<TSimEeprom>(32768, 0xA8);
  auto& ee64 = sim.Add<TSimEeprom>(65536, 0xA0);
  TfrmMain* m = Start();
  TfrmEEPROM* w = OpenLarge(m->mnu32Kx8);
  w->SetupItem(esAddress)->SetTextValue("A8");
  Page(w, 64);
  RoundTrip(w, ee, 3);
  TfrmEEPROM* w64 = OpenLarge(m->mnu64Kx8);
  Page(w64, 128);
  RoundTrip(w64, ee64, 4);
  EXPECT_EQ(w64->Caption(), "65536 Byte (512K bit) EEPROM");
}

TEST_F(EEWindowBus, PagesLargerThanThePartRollOverAndVerifyCatchesIt) {
  auto& ee = sim.Add<TSimEeprom>(256, 0xA0, 8);
  TfrmMain* m = Start();
  TfrmSmallEE* w = OpenSmall(m->mnu2K);
  Page(w, 16);
  w->SetImage(Pattern(256, 5));
  Responder().ExpectMessage("Device failed Verify at Address 0x");
  Click(w->btnWrite);
  EXPECT_EQ(Status(), StatusOf(153));
  EXPECT_NE(ee.Memory, Pattern(256, 5));
  ExpectUsable(w);
  // With the part's own page size the same image goes through.
  Page(w, 8);
  Click(w->btnWrite);
  EXPECT_EQ(Status(), StatusOf(64));
  EXPECT_EQ(ee.Memory, Pattern(256, 5));
}

TEST_F(EEWindowBus, AWriteTimeShorterThanThePartsCycleEndsWithTheAddressRefused) {
  auto& ee = sim.Add<TSimEeprom>(256, 0xA0);
  ee.WriteCycleMicroseconds = 20000;
  TfrmMain* m = Start();
  TfrmSmallEE* w = OpenSmall(m->mnu2K);
  w->SetupItem(esWriteTime)->SetTextValue("1");
  w->SetImage(Pattern(256, 6));
  Click(w->btnWrite);
  EXPECT_EQ(Status(), StatusOf(1)) << "the part refuses its address while it programs";
  ExpectUsable(w);
  w->SetupItem(esWriteTime)->SetTextValue("25");
  Click(w->btnWrite);
  EXPECT_EQ(Status(), StatusOf(64));
}

TEST_F(EEWindowBus, MissingDeviceStuckLineAndProtectedPartGiveTheirCodesAndLeaveTheWindowUsable) {
  sim.Add<TProtectedEeprom>(4096, 0xA2);
  TfrmMain* m = Start();
  TfrmEEPROM* w = OpenLarge(m->mnu4Kx8);
  // Nothing at A0.
  for (TInstDemoButton* b : {w->btnRead, w->btnWrite, w->btnReadOne, w->btnWriteOne, w->btnVerify}) {
    Click(b);
    EXPECT_EQ(Status(), StatusOf(1));
    ExpectUsable(w);
  }
  // A part that refuses data: Write Byte and Write All give code 2; reading still works.
  w->SetupItem(esAddress)->SetTextValue("A2");
  Click(w->btnWriteOne);
  EXPECT_EQ(Status(), StatusOf(2));
  Click(w->btnWrite);
  EXPECT_EQ(Status(), StatusOf(2));
  ExpectUsable(w);
  Click(w->btnRead);
  EXPECT_EQ(Status(), StatusOf(0));
  // SDA held low: the start fails.
  sim.Faults.SdaStuckLow = true;
  Click(w->btnRead);
  EXPECT_EQ(Status(), StatusOf(8));
  ExpectUsable(w);
  sim.Faults.SdaStuckLow = false;
  Click(w->btnRead);
  EXPECT_EQ(Status(), StatusOf(0));
}

TEST_F(EEWindowBus, ReadByteAndWriteByteUseTheByteAddressAndTheBlockNumber) {
  auto& ee = sim.Add<TSimEeprom>(512, 0xA0);
  TfrmMain* m = Start();
  TfrmSmallEE* w = OpenSmall(m->mnu4K);
  ee.Memory[0x1A3] = 0x5A;
  w->stgMemory->SetRow(0x1A + 1);
  w->stgMemory->SetCol(3 + 1);
  ASSERT_EQ(w->lblWordAddress->Caption(), "1A3");
  Click(w->btnReadOne);
  EXPECT_EQ(Status(), StatusOf(0));
  EXPECT_EQ(w->HexCell(0x1A3), "5A");
  EXPECT_EQ(w->stgText->Cells(3, 0x1A + 1), "Z");
  w->SetByte(0x1A3, 0x33);
  Click(w->btnWriteOne);
  EXPECT_EQ(Status(), StatusOf(0));
  EXPECT_EQ(ee.Memory[0x1A3], 0x33);
}

// The large window's Read Byte lets pending messages run once, busy already and before the first
// start condition; the small window's lets none run until it is done.
TEST_F(EEWindowBus, OnlyTheLargeReadByteRunsPendingMessagesBeforeItsSequence) {
  sim.Add<TSimEeprom>(4096, 0xA0);
  TfrmMain* m = Start();
  struct Case {
    bool Large;
    bool RunBeforeTheBus;
  };
  for (const Case c : {Case{true, true}, Case{false, false}}) {
    TEEWindow* w = c.Large ? static_cast<TEEWindow*>(OpenLarge(m->mnu4Kx8)) : OpenSmall(m->mnu4K);
    Application->ProcessMessages();
    sim.ClearLog();
    bool ran = false, busy = false;
    size_t busEvents = 0;
    QTimer::singleShot(0, [&] {
      ran = true;
      busy = w->Busy();
      Click(w->btnVerify);  // a Verify inside the read would nest its transaction in it
      busEvents = sim.Log().size();
    });
    Click(w->btnReadOne);
    EXPECT_EQ(ran, c.RunBeforeTheBus) << c.Large;
    if (c.RunBeforeTheBus) {
      EXPECT_TRUE(busy) << "inside the busy state";
      EXPECT_EQ(busEvents, 0u) << "before the sequence";
    }
    EXPECT_FALSE(sim.Log().empty()) << "the byte was read";
    Application->ProcessMessages();
    EXPECT_TRUE(ran);
  }
}

TEST_F(EEWindowBus, VerifyShowsTheFirstDifferenceAndAStrictCellStopsTheWriteWithTheWindowUsable) {
  auto& ee = sim.Add<TSimEeprom>(256, 0xA0);
  TfrmMain* m = Start();
  TfrmSmallEE* w = OpenSmall(m->mnu2K);
  ee.Memory[0x10] = 0xFE;
  Responder().ExpectMessage("Device failed Verify at Address 0x10\rRead value=0xFE\rCorrect value=0xFF");
  Click(w->btnVerify);
  EXPECT_EQ(Status(), StatusOf(153));
  EXPECT_TRUE(w->stgMemory->Enabled());
  // A cell the small window cannot read ends Write All with the conversion message; nothing is written.
  w->stgMemory->SetCells(5, 1, "ZZ");
  ee.Memory[0] = 0x00;
  Responder().ExpectMessage("is not a valid integer value");
  Click(w->btnWrite);
  Application->ProcessMessages();
  EXPECT_EQ(ee.Memory[0], 0x00);
  ExpectUsable(w);
}

// What the ASCII cell shows is the byte the bus carries: a second key replaces the cell's one
// character in both grids, and a button or file command first commits what is still in the
// cell's open editor as leaving the cell does (an erased character, which no key set as a byte,
// is the blank the cell shows).
TEST_F(EEWindowBus, TheByteWrittenIsTheCharacterTheAsciiCellShows) {
  auto& big = sim.Add<TSimEeprom>(4096, 0xA0);
  auto& small = sim.Add<TSimEeprom>(256, 0xA2);
  TfrmMain* m = Start();
  const std::string bin = (std::filesystem::temp_directory_path() / "velmaron-asciicell.bin").string();
  enum TCommand { cWriteByte, cWriteAll, cSaveAs, cRead };
  const struct {
    bool Large;
    const char* Keys;  // typed into the cell of byte 0x23
    bool Erase;        // then Backspace
    TCommand Command;
    char Shown;        // what the cell shows afterwards, and the byte written or saved
  } cases[] = {
      {true, "xy", false, cWriteByte, 'y'}, {false, "xy", false, cWriteAll, 'y'},
      {true, "xy", false, cSaveAs, 'y'},    {true, "x", true, cWriteByte, ' '},
      {false, "x", true, cWriteAll, ' '},   {true, "x", false, cRead, 'R'},
  };
  const int a = 0x23;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Keys) + (c.Erase ? "\\b " : " ") + std::to_string(c.Command));
    TEEWindow* w = c.Large ? static_cast<TEEWindow*>(OpenLarge(m->mnu4Kx8)) : OpenSmall(m->mnu2K);
    TSimEeprom& ee = c.Large ? big : small;
    if (!c.Large) w->SetupItem(esAddress)->SetTextValue("A2");
    ee.Memory.assign(ee.Memory.size(), 'R');
    Focus(w, w->stgText, a % 16, a / 16 + 1);
    Type(w->stgText, c.Keys);
    const char last = c.Keys[strlen(c.Keys) - 1];
    EXPECT_EQ(w->stgText->InplaceEditor()->Text(), std::string(1, last)) << "the last key is the cell's character";
    EXPECT_EQ(w->HexCell(a), ByteCellText(static_cast<uint8_t>(last)));
    if (c.Erase) Press(w->stgText, Qt::Key_Backspace, "\b");
    sim.ClearLog();
    switch (c.Command) {
      case cWriteByte: Click(w->btnWriteOne); break;
      case cWriteAll: Click(w->btnWrite); break;
      case cRead: Click(w->btnRead); break;
      case cSaveAs:
        Responder().ExpectSave(bin, 3);
        Command(w->mnuSaveAs);
        break;
    }
    Application->ProcessMessages();
    EXPECT_EQ(w->HexCell(a), ByteCellText(static_cast<uint8_t>(c.Shown)));
    EXPECT_EQ(w->stgText->Cells(a % 16, a / 16 + 1), std::string(1, c.Shown));
    if (c.Command == cSaveAs) {
      EXPECT_EQ(LoadFileBytes(bin).at(a), c.Shown);
    } else if (c.Command != cRead) {
      EXPECT_EQ(ee.Memory[a], static_cast<uint8_t>(c.Shown)) << "the device holds what the cell shows";
      const std::vector<uint8_t> seen = sim.BytesSeenBy(ee.Name());
      if (c.Command == cWriteByte) {
        EXPECT_EQ(seen, (std::vector<uint8_t>{0xA0, 0x00, a, uint8_t(c.Shown)}));
      }
    }
    // Leaving the cell keeps what it shows in both grids.
    Press(w->stgText, Qt::Key_Tab);
    EXPECT_EQ(w->HexCell(a), ByteCellText(static_cast<uint8_t>(c.Shown)));
    EXPECT_EQ(w->stgText->Cells(a % 16, a / 16 + 1), std::string(1, c.Shown));
    w->Close();
    Application->ProcessMessages();
  }
  std::filesystem::remove(bin);
}

}  // namespace

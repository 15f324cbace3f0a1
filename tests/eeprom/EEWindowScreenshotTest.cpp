// Pictures of the EEPROM windows to look at: the 256-byte and the 64 KB window
// with data, the device setup bar, and a read in progress.
#include <gtest/gtest.h>

#include <QImage>
#include <QMdiArea>
#include <functional>

#include "platform/gui/FormImage.h"
#include "tests/eeprom/EEWindowFixture.h"

namespace {

class EEWindowScreenshot : public TEEWindowTest {};

void Pattern(TEEWindow* w, int size) {
  std::vector<uint8_t> image(static_cast<size_t>(size));
  for (int a = 0; a < size; ++a) image[a] = static_cast<uint8_t>((a * 7 + a / 16) & 0xFF);
  const std::string text = "Velmaron EEPROM image";
  for (size_t i = 0; i < text.size(); ++i) image[i] = static_cast<uint8_t>(text[i]);
  w->SetImage(image);
}

TEST_F(EEWindowScreenshot, SmallWindowWithData) {
  TfrmMain* m = Start();
  m->SetBounds(0, 0, 1000, 700);
  Application->ProcessMessages();
  TfrmSmallEE* w = OpenSmall(m->mnu2K);
  Pattern(w, 256);
  Application->ProcessMessages();
  const QImage img = RenderControlImage(m);
  ASSERT_TRUE(SaveControlImage(m, TestImagePath("eeprom_small_256.png")));
  EXPECT_GT(img.width(), 700);
  // The hex grid sits right of the 139-pixel setup bar.
  EXPECT_GE(w->stgMemory->Left(), 139);
  EXPECT_EQ(w->InspectorBar->Width(), 139);
  EXPECT_EQ(w->stgMemory->Cells(1, 1), "56");
  EXPECT_EQ(w->stgText->Cells(0, 1), "V");
}

TEST_F(EEWindowScreenshot, LargeWindowWithData) {
  TfrmMain* m = Start();
  m->SetBounds(0, 0, 1000, 700);
  Application->ProcessMessages();
  TfrmEEPROM* w = OpenLarge(m->mnu64Kx8);
  Pattern(w, 65536);
  w->stgMemory->SetTopRow(0x800);
  Application->ProcessMessages();
  ASSERT_TRUE(SaveControlImage(m, TestImagePath("eeprom_large_64k.png")));
  EXPECT_EQ(w->stgText->TopRow(), 0x800) << "the grids scroll together";
  EXPECT_EQ(w->Width(), m->MdiArea()->width()) << "the window fills the frame";
  EXPECT_EQ(w->stgText->LeftCol(), 0);
  ASSERT_TRUE(SaveControlImage(w->InspectorBar, TestImagePath("eeprom_setup_bar.png")));
}

// A part that calls back while it sends the byte at one address: the moment of a read in progress.
class TWatchedEeprom : public TSimEeprom {
 public:
  using TSimEeprom::TSimEeprom;
  uint32_t WatchAt = 0;
  std::function<void()> OnWatch;

 protected:
  uint8_t DataToRead() override {
    if (CurrentAddress() == WatchAt && OnWatch) OnWatch();
    return TSimEeprom::DataToRead();
  }
};

TEST_F(EEWindowScreenshot, ReadInProgress) {
  auto& ee = sim.Add<TWatchedEeprom>(65536, 0xA0);
  for (size_t a = 0; a < ee.Memory.size(); ++a) ee.Memory[a] = static_cast<uint8_t>(a * 5 + a / 256);
  TfrmMain* m = Start();
  m->SetBounds(0, 0, 1000, 700);
  Application->ProcessMessages();
  TfrmEEPROM* w = OpenLarge(m->mnu64Kx8);
  Application->ProcessMessages();
  bool seen = false;
  ee.WatchAt = 0x30;
  ee.OnWatch = [&] {
    seen = true;
    // In the middle of the read: the status text is up, the window is busy, the bytes so far are in.
    EXPECT_EQ(m->pnlStatus->Caption(), "  Reading EEPROM...please wait");
    EXPECT_EQ(m->pnlStatus->Color(), clYellow);
    EXPECT_TRUE(w->Busy());
    EXPECT_EQ(Screen->Cursor(), crHourGlass);
    EXPECT_FALSE(ButtonControl(w->btnRead)->OnClick);
    EXPECT_FALSE(w->stgMemory->Enabled());
    EXPECT_EQ(w->HexCell(0x2E), IntToHex((0x2E * 5) & 0xFF, 2));
    EXPECT_EQ(w->HexCell(0x30), "FF");
    ASSERT_TRUE(SaveControlImage(m, TestImagePath("eeprom_read_in_progress.png")));
  };
  Click(w->btnRead);
  EXPECT_TRUE(seen);
  EXPECT_EQ(Status(), StatusOf(0));
  EXPECT_FALSE(w->Busy());
  EXPECT_EQ(w->HexCell(0xFFFF), IntToHex((0xFFFF * 5 + 0xFF) & 0xFF, 2));
}

}  // namespace

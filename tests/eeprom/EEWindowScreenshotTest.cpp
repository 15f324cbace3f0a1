// Pictures of the EEPROM windows to look at: the 256-byte and the 64 KB window
// with data, the device setup bar, and a read in progress.
#include <gtest/gtest.h>

#include <QImage>

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
  ASSERT_TRUE(SaveControlImage(w->InspectorBar, TestImagePath("eeprom_setup_bar.png")));
}

}  // namespace

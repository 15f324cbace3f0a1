// Pictures of the grids as the program's windows show them, each at the size
// its window gives it, written under the build tree to be looked at; a few
// points of each are checked.
#include <QApplication>
#include <QImage>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "controls/grid/ExtGrid.h"
#include "platform/gui/FormImage.h"
#include "platform/gui/Forms.h"
#include "platform/gui/VisualStyles.h"
#include "platform/gui/testing/GuiTest.h"

namespace {

class GridShotTest : public TGuiTest {
 protected:
  void SetUp() override {
    form = new TForm(Application);
    form->SetClientSize(760, 500);
    form->Show();
  }
  void TearDown() override { delete form; }
  static void Flush() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    QCoreApplication::processEvents();
  }
  TExtStringGrid* NewGrid(int x, int y, int w, int h) {
    auto* g = new TExtStringGrid(form);
    g->SetParent(form);
    g->SetBounds(x, y, w, h);
    return g;
  }
  // A point of a cell in picture coordinates of the grid alone.
  static QRgb At(const QImage& img, TExtStringGrid* g, int c, int r, int dx, int dy) {
    int o = g->BorderStyle() == bsSingle ? 2 : 0;  // the client area starts inside the border
    TRect rc = g->CellRect(c, r);
    return img.pixel(o + rc.Left + dx, o + rc.Top + dy) & 0xFFFFFF;
  }
  static QImage Save(TExtStringGrid* g, const std::string& name) {
    Flush();
    std::string file = TestImagePath(name);
    EXPECT_TRUE(SaveControlImage(g, file));
    return QImage(QString::fromStdString(file));
  }
  static QRgb Rgb(TColor c) {
    int32_t v = ColorToRGB(c);
    return static_cast<QRgb>((GetRValue(v) << 16) | (GetGValue(v) << 8) | GetBValue(v));
  }
  TForm* form = nullptr;
};

// The 64 KB EEPROM window's hex and text grids: fixed row and address column,
// banded rows, the focused current cell.
TEST_F(GridShotTest, EepromHexAndTextGrids) {
  TExtStringGrid* hex = NewGrid(0, 0, 372, 460);
  TExtStringGrid* text = NewGrid(374, 0, 262, 460);
  hex->SetColCount(17);
  hex->SetRowCount(4097);
  hex->SetDefaultColWidth(20);
  hex->SetColWidths(0, 28);
  hex->SetDefaultRowHeight(20);
  text->SetColCount(16);
  text->SetRowCount(4097);
  text->SetFixedCols(0);
  text->SetDefaultColWidth(15);
  text->SetDefaultRowHeight(20);
  for (TExtStringGrid* g : {hex, text}) {
    // Two characters in a 20 pixel column: no word wrap, so a wide font cuts instead of breaking.
    g->SetWordWrap(false);
    g->SetOptions(g->Options() | goEditing | goTabs | goDrawFocusSelected);
    g->Bands()->SetActive(true);
    g->Loaded();
  }
  char buf[8];
  for (int c = 1; c <= 16; ++c) {
    std::snprintf(buf, sizeof buf, "%X", c - 1);
    hex->SetCells(c, 0, buf);
    text->SetCells(c - 1, 0, buf);
  }
  for (int r = 1; r < 4097; ++r) {
    std::snprintf(buf, sizeof buf, "%X", r - 1);
    hex->SetCells(0, r, buf);
    for (int c = 1; c <= 16; ++c) {
      int b = ((r - 1) * 16 + c - 1) * 7 & 0xFF;
      std::snprintf(buf, sizeof buf, "%02X", b);
      hex->SetCells(c, r, buf);
      text->SetCells(c - 1, r, std::string(1, b >= 32 && b < 127 ? static_cast<char>(b) : '.'));
    }
  }
  hex->SetCol(3);
  hex->SetRow(2);
  hex->SetFocus();
  QImage img = Save(hex, "extgrid-eeprom-hex.png");
  QImage timg = Save(text, "extgrid-eeprom-text.png");
  ASSERT_FALSE(img.isNull());
  ASSERT_FALSE(timg.isNull());
  EXPECT_EQ(At(img, hex, 5, 1, 17, 16), Rgb(clInfoBk));  // bands
  EXPECT_EQ(At(img, hex, 5, 2, 17, 16), Rgb(clWindow));
  EXPECT_EQ(At(img, hex, 5, 0, 10, 0), 0xFFFFFFu);  // the fixed row's white top line
  EXPECT_EQ(At(img, hex, 3, 2, 17, 16), 0xB6CAEAu);  // the current cell in the selection colour
  EXPECT_EQ(At(timg, text, 5, 1, 12, 16), Rgb(clInfoBk));
  // The glXP look's frame: a grey line inside the edge, the form's colour outside it.
  const QRgb inner = Rgb(IsWindowsXPOrLater() && VisualStylesUsable() ? TColorOf(0xB99D7F) : clGray);
  for (const QImage* i : {&img, &timg}) {
    EXPECT_EQ(i->pixel(1, i->height() / 2) & 0xFFFFFF, inner);
    EXPECT_EQ(i->pixel(i->width() - 2, 5) & 0xFFFFFF, inner);
    EXPECT_EQ(i->pixel(0, i->height() / 2) & 0xFFFFFF, Rgb(form->Color()));
    EXPECT_EQ(i->pixel(i->width() / 2, i->height() - 1) & 0xFFFFFF, Rgb(form->Color()));
  }
}

// The expert window's message list: row numbers and several columns of text.
TEST_F(GridShotTest, ExpertMessageList) {
  TExtStringGrid* g = NewGrid(0, 0, 600, 300);
  g->SetColCount(4);
  g->SetRowCount(12);
  g->SetColWidths(0, 36);
  g->SetColWidths(1, 70);
  g->SetColWidths(2, 380);
  g->SetColWidths(3, 80);
  g->Bands()->SetActive(true);
  g->Loaded();
  const char* heads[] = {"No.", "Address", "Data", "Delay [ms]"};
  for (int c = 0; c < 4; ++c) g->SetCells(c, 0, heads[c]);
  for (int r = 1; r < 12; ++r) {
    g->SetCells(0, r, std::to_string(r));
    g->SetCells(1, r, r % 3 ? "A0" : "90");
    g->SetCells(2, r, r % 2 ? "00 10 T1 55 AA P0 R 01" : "S 4F 12 34 56 78 9A BC DE");
    g->SetCells(3, r, std::to_string(r * 5));
  }
  g->SetRow(4);
  QImage img = Save(g, "extgrid-expert-messages.png");
  ASSERT_FALSE(img.isNull());
  EXPECT_EQ(At(img, g, 3, 3, 70, 3), Rgb(clInfoBk));
  EXPECT_NE(At(img, g, 0, 3, 20, 3), Rgb(clInfoBk));
}

// A register table with markup in its description column.
TEST_F(GridShotTest, RegisterTableWithMarkup) {
  TExtStringGrid* g = NewGrid(0, 0, 520, 300);
  g->SetColCount(4);
  g->SetRowCount(9);
  g->SetColWidths(0, 40);
  g->SetColWidths(1, 60);
  g->SetColWidths(2, 110);
  g->SetColWidths(3, 290);
  g->Bands()->SetActive(true);
  g->Loaded();
  const char* heads[] = {"Reg", "Value", "Name", "Description"};
  for (int c = 0; c < 4; ++c) g->SetCells(c, 0, heads[c]);
  const char* desc[] = {"<B>Control</B>: enable bits",
                        "Status, <FONT color=\"clred\">read only</FONT>",
                        "<I>Data</I> low byte",
                        "<U>Data</U> high byte",
                        "Mode &amp; <B>clock</B> select",
                        "Interrupt <FONT color=\"clblue\"><B>mask</B></FONT>",
                        "Reserved",
                        "Checksum <I>(write 0)</I>"};
  for (int r = 1; r < 9; ++r) {
    g->SetCells(0, r, std::to_string(r - 1));
    g->SetCells(1, r, r % 2 ? "3F" : "00");
    g->SetCells(2, r, "REG" + std::to_string(r - 1));
    g->SetCells(3, r, desc[r - 1]);
  }
  g->SetColors(1, 3, clLime);
  QImage img = Save(g, "extgrid-register-markup.png");
  ASSERT_FALSE(img.isNull());
  EXPECT_EQ(At(img, g, 1, 3, 40, 3), 0x00FF00u);
  // Markup text is drawn (dark pixels in the description cell), tags are not.
  int dark = 0;
  TRect rc = g->CellRect(3, 1);
  for (int x = 4; x < 200; ++x)
    for (int y = 4; y < rc.Height() - 4; ++y) dark += qGray(At(img, g, 3, 1, x, y)) < 100;
  EXPECT_GT(dark, 20);
}

}  // namespace

// The Device menu opens an EEPROM window of every size it lists, set up for it.
#include <gtest/gtest.h>

#include <tuple>

#include "tests/eeprom/EEWindowFixture.h"

namespace {

class EEWindowSetUp : public TEEWindowTest {};

std::vector<std::string> Choices(TInspectorItem* Item) {
  std::vector<std::string> v;
  for (int i = 0; i < Item->Values()->Count(); ++i) v.push_back(Item->Values()->Strings(i));
  return v;
}

// Labels, every byte "FF" and ".", header columns 0..F.
void ExpectFreshGrids(TEEWindow* w, int size) {
  const int rows = size / 16 + 1;
  ASSERT_EQ(w->stgMemory->RowCount(), rows);
  ASSERT_EQ(w->stgText->RowCount(), rows);
  EXPECT_EQ(w->stgMemory->ColCount(), 17);
  EXPECT_EQ(w->stgText->ColCount(), 16);
  EXPECT_EQ(w->stgMemory->Cells(0, rows - 1), IntToHex(rows - 2, 1));
  for (int c = 1; c <= 16; ++c) {
    EXPECT_EQ(w->stgMemory->Cells(c, 0), IntToHex(c - 1, 1));
    EXPECT_EQ(w->stgText->Cells(c - 1, 0), IntToHex(c - 1, 1));
  }
  for (int r = 1; r < rows; ++r)
    for (int c = 0; c < 16; ++c) {
      ASSERT_EQ(w->stgMemory->Cells(c + 1, r), "FF") << r << "," << c;
      ASSERT_EQ(w->stgText->Cells(c, r), ".") << r << "," << c;
    }
}

TEST_F(EEWindowSetUp, EverySmallSizeOpensWithItsGridsCaptionAddressesAndFields) {
  TfrmMain* m = Start();
  const std::vector<std::string> all = {"A0", "A2", "A4", "A6", "A8", "AA", "AC", "AE"};
  struct {
    TMenuItem* Item;
    int Size;
    const char* Caption;
    const char* Page;
    std::vector<std::string> Addresses;
    int MaxLength;
    std::vector<std::string> Fields;  // from, to, start, ending, target, end target
  } rows[] = {
      {m->mnu16B, 16, "16 Byte (128 bit) EEPROM", "1", all, 1, {"0", "F", "0", "7", "8", "F"}},
      {m->mnu1K, 128, "128 Byte (1024 bit) EEPROM", "8", all, 2, {"00", "7F", "00", "3F", "40", "7F"}},
      {m->mnu2K, 256, "256 Byte (2048 bit) EEPROM", "8", all, 2, {"00", "FF", "00", "7F", "80", "FF"}},
      {m->mnu4K, 512, "512 Byte (4096 bit) EEPROM", "8", {"A0", "A4", "A8", "AC"}, 3,
       {"000", "1FF", "000", "0FF", "100", "1FF"}},
      {m->mnu8K, 1024, "1024 Byte (8192 bit) EEPROM", "8", {"A0", "A8"}, 3,
       {"000", "3FF", "000", "1FF", "200", "3FF"}},
      {m->mnu16K, 2048, "2048 Byte (16384 bit) EEPROM", "8", {"A0"}, 3, {"000", "7FF", "000", "3FF", "400", "7FF"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Caption);
    ASSERT_TRUE(row.Item->Enabled());
    TfrmSmallEE* w = OpenSmall(row.Item);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Caption(), row.Caption);
    EXPECT_EQ(w->SetupItem(esDeviceSize)->TextValue(), std::to_string(row.Size));
    EXPECT_EQ(w->SetupItem(esPageSize)->TextValue(), row.Page);
    EXPECT_EQ(Choices(w->SetupItem(esAddress)), row.Addresses);
    EXPECT_EQ(w->SetupItem(esAddress)->TextValue(), "A0");
    EXPECT_EQ(Choices(w->SetupItem(esPageSize)), (std::vector<std::string>{"1", "8", "16", "32"}));
    EXPECT_EQ(w->SetupItem(esWriteTime)->TextValue(), "50");
    const std::vector<TEdit*> edits = {w->edtFrom, w->edtTo, w->edtStart, w->edtEnding, w->edtTarget,
                                       w->edtEndTarget};
    for (size_t i = 0; i < edits.size(); ++i) {
      EXPECT_EQ(edits[i]->Text(), row.Fields[i]) << i;
      EXPECT_EQ(edits[i]->MaxLength(), row.MaxLength) << i;
    }
    EXPECT_EQ(w->edtPreset->Text(), "FF");
    EXPECT_TRUE(w->edtEndTarget->ReadOnly());
    EXPECT_EQ(w->stgMemory->ColWidths(0), 21);
    ExpectFreshGrids(w, row.Size);
  }
  EXPECT_EQ(m->MDIChildCount(), 6);
}

TEST_F(EEWindowSetUp, EveryLargeSizeOpensWithItsGridsCaptionAndFields) {
  TfrmMain* m = Start();
  struct {
    TMenuItem* Item;
    int Size;
    const char* Caption;
    int FillLength;
    std::vector<std::pair<std::string, int>> Copy;  // start, end, target start, target end
    const char* Word;
  } rows[] = {
      {m->mnu4Kx8, 4096, "4096 Byte (32768 bit) EEPROM", 3, {{"000", 3}, {"7FF", 4}, {"800", 3}, {"FFF", 3}}, "000"},
      {m->mnu8Kx8, 8192, "8192 Byte (64K bit) EEPROM", 4, {{"0000", 4}, {"FFF", 4}, {"1000", 4}, {"1FFF", 4}},
       "0000"},
      {m->mnu16Kx8, 16384, "16384 Byte (128K bit) EEPROM", 4,
       {{"0000", 4}, {"1FFF", 4}, {"2000", 4}, {"3FFF", 4}}, "000"},
      {m->mnu32Kx8, 32768, "32768 Byte (256K bit) EEPROM", 4,
       {{"0000", 4}, {"3FFF", 4}, {"4000", 4}, {"7FFF", 4}}, "000"},
      {m->mnu64Kx8, 65536, "65536 Byte (512K bit) EEPROM", 4,
       {{"0000", 4}, {"7FFF", 4}, {"8000", 4}, {"FFFF", 4}}, "000"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Caption);
    TfrmEEPROM* w = OpenLarge(row.Item);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Caption(), row.Caption);
    EXPECT_EQ(w->SetupItem(esDeviceSize)->IntValue(), row.Size);
    EXPECT_EQ(w->SetupItem(esDeviceSize)->TextValue(), std::to_string(row.Size));
    EXPECT_EQ(w->SetupItem(esPageSize)->TextValue(), "8");
    EXPECT_EQ(Choices(w->SetupItem(esPageSize)), (std::vector<std::string>{"1", "8", "16", "32", "64", "128"}));
    EXPECT_EQ(Choices(w->SetupItem(esAddress)),
              (std::vector<std::string>{"A0", "A2", "A4", "A6", "A8", "AA", "AC", "AE"}));
    EXPECT_EQ(w->edtFillFrom->Text(), "0");
    EXPECT_EQ(w->edtFillFrom->MaxLength(), row.FillLength);
    EXPECT_EQ(w->edtFillTo->MaxLength(), row.FillLength);
    EXPECT_EQ(w->edtFillTo->Text(), IntToHex(row.Size - 1, 1));
    const std::vector<TEdit*> copy = {w->edtCopyStart, w->edtCopyEnd, w->edtTargetStart, w->edtTargetEnd};
    for (size_t i = 0; i < copy.size(); ++i) {
      EXPECT_EQ(copy[i]->Text(), row.Copy[i].first) << i;
      EXPECT_EQ(copy[i]->MaxLength(), row.Copy[i].second) << i;
    }
    EXPECT_EQ(w->lblWordAddress->Caption(), row.Word);
    EXPECT_EQ(w->stgMemory->ColWidths(0), 28);
    for (int c = 1; c <= 16; ++c) EXPECT_EQ(w->stgMemory->ColWidths(c), 20);
    ExpectFreshGrids(w, row.Size);
  }
}

TEST_F(EEWindowSetUp, TwoClicksGiveTwoIndependentWindowsAndTheGlobalNamesTheNewest) {
  TfrmMain* m = Start();
  TfrmSmallEE* a = OpenSmall(m->mnu16K);
  TfrmSmallEE* b = OpenSmall(m->mnu16K);
  ASSERT_NE(a, b);
  EXPECT_EQ(frmSmallEE, b);
  a->SetByte(5, 0x41);
  EXPECT_EQ(b->HexCell(5), "FF");
  EXPECT_EQ(a->stgText->Cells(5, 1), "A");
  // Closing the newest clears the global; the older window keeps its image.
  b->Close();
  Application->ProcessMessages();
  EXPECT_EQ(frmSmallEE, nullptr);
  EXPECT_EQ(a->HexCell(5), "41");
}

// One panel open in single-panel mode, rows of 24 on a texture; Return and Down move the editor
// to the next writable row, Up to the previous one, with the keys a person presses.
TEST_F(EEWindowSetUp, TheSetupBarMovesItsEditorRowByRowInBothWindowClasses) {
  TfrmMain* m = Start();
  for (TMenuItem* item : {m->mnu2K, m->mnu4Kx8}) {
    SCOPED_TRACE(item->Caption());
    TEEWindow* w = item == m->mnu2K ? static_cast<TEEWindow*>(OpenSmall(item)) : OpenLarge(item);
    TInspectorBar* bar = w->InspectorBar;
    ASSERT_EQ(bar->Panels()->Count(), 1);
    TInspectorPanel* p = bar->Panels()->Items(0);
    EXPECT_EQ(std::make_tuple(bar->Mode(), bar->AutoAdvance(), bar->PanelCaption()->ShadeType(), p->Style(),
                              p->Background(), p->Texture()->Empty(), p->GridLines(), p->VariableItemHeight(),
                              p->ItemHeight(), p->CaptionWidth(), p->EditBox(), p->MultiPanelState()),
              std::make_tuple(imSinglePanelActive, true, stRMetal, psProperties, pbTexture, false, true, true, 36, 70,
                              true, mpsOpen));
    for (TFont* f : {bar->PanelCaption()->Font(), bar->PanelCaption()->ActiveFont()})
      EXPECT_EQ(std::make_tuple(f->Name(), f->Color(), f->Style() & fsBold), std::make_tuple("Tahoma", clWhite, fsBold));
    for (int r = 0; r < 4; ++r) EXPECT_EQ(p->Items()->Items(r)->Height(), 24);
    EXPECT_TRUE(bar->TabStop());
    // The small window keeps a typed-edit link beside its bar; no setup row uses it.
    TComponent* link = w->FindComponent("AEInspectorEditLink1");
    EXPECT_EQ(link ? link->ClassName() : "", item == m->mnu2K ? "TAEInspectorEditLink" : "");
    for (int r = 0; r < 4; ++r) EXPECT_EQ(p->Items()->Items(r)->EditLink(), nullptr);

    bar->StartEdit(w->SetupItem(esAddress));
    Application->ProcessMessages();
    const struct {
      int QtKey;
      TEESetupRow Then;
    } keys[] = {{Qt::Key_Return, esPageSize}, {Qt::Key_Down, esWriteTime}, {Qt::Key_Up, esPageSize},
                {Qt::Key_Up, esAddress},      {Qt::Key_Up, esAddress},     {Qt::Key_Down, esPageSize}};
    for (const auto& k : keys) {
      TWinControl* editor = bar->ActiveEditor();
      ASSERT_NE(editor, nullptr);
      Key(editor, k.QtKey, k.QtKey == Qt::Key_Return ? QString("\r") : QString());
      Application->ProcessMessages();
      EXPECT_EQ(bar->EditItem(), w->SetupItem(k.Then)) << k.QtKey;
      EXPECT_TRUE(bar->Editing());
    }
    bar->StopEdit(bar->EditItem());
    w->Close();
    Application->ProcessMessages();
  }
}

TEST_F(EEWindowSetUp, DefaultCopyFieldsDoNotFireTheirHandlersAndEditsKeepTheTargetEndInStep) {
  TfrmMain* m = Start();
  TfrmEEPROM* w = OpenLarge(m->mnu4Kx8);
  // The defaults came before the hooks: the target end is the table's text.
  EXPECT_EQ(w->edtTargetEnd->Text(), "FFF");
  w->edtTargetStart->SetText("100");
  EXPECT_EQ(w->edtTargetEnd->Text(), "08FF");
  w->edtCopyEnd->SetText("F");
  EXPECT_EQ(w->edtTargetEnd->Text(), "010F");
  Responder().ExpectMessage("Maximum address = 0FFF");
  w->edtCopyStart->SetText("1000");
  EXPECT_EQ(w->edtCopyStart->Text(), "0");
}

}  // namespace

// The device window's files, recent files, printout, Reset Grid and its two
// dialogs, driven through menus and controls.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>

#include <sys/resource.h>

#include "controls/grid/ExtGrid.h"
#include "devices/Definition.h"
#include "devices/editcell.h"
#include "platform/gui/Printers.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/Win1252.h"
#include "tests/devices/Longi2cTestFixture.h"

namespace {

using Longi2cFiles = TLongi2cTest;

void Put(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string TwentyRegisterFile() {
  std::string t = "[Device Data]\nAddress=42\nMaxRegister=19\nName=ADC\n[Register Data]\n";
  for (int i = 0; i < 20; ++i) t += IntToStr(i) + "=" + (i == 5 ? std::string("XX") : IntToHex(i + 1, 2)) + "\n";
  t += "[Register Description]\n10=Gain\n";
  return t;
}

TEST_F(Longi2cFiles, OpenShowsTheDeviceAndSaveAsWritesItBack) {
  TfrmLongI2C* w = Open();
  const std::string in = File("adc.def");
  Put(in, TwentyRegisterFile());
  w->MoveCurrentCell(10);
  ASSERT_EQ(w->lblRegister->Caption(), "Register 0x0A: Undefined Register");
  Responder().ExpectOpen(in);
  w->mnuLoad->Click();
  EXPECT_EQ(w->Caption(), "adc.def");
  EXPECT_EQ(w->lblDevice->Caption(), "Device Name: ADC");
  EXPECT_EQ(w->lblRegister->Caption(), "Register 0x0A: Gain") << "the label names the opened device's register";
  EXPECT_EQ(w->edtAddress->Text(), "42");
  EXPECT_EQ(Longi2c::DeviceAddress, 0x42);
  EXPECT_EQ(Longi2c::MaxRegister, 19);
  EXPECT_EQ(w->stgMemory->RowCount(), 3);
  EXPECT_EQ(w->RegisterText(19), "14");
  EXPECT_EQ(w->RegisterText(20), "");
  EXPECT_EQ(w->stgMemory->Colors(TfrmLongI2C::ColOf(20), TfrmLongI2C::RowOf(20)), clBlue);
  EXPECT_EQ(w->stgMemory->Colors(1, 1), clInfoBk);
  EXPECT_EQ(w->stgMemory->Colors(1, 2), clWhite);
  EXPECT_EQ(Longi2c::RegisterDescriptions[10], "Gain");
  EXPECT_EQ(Longi2c::FileName, in);
  EXPECT_FALSE(Longi2c::Modified);
  // Edit Current Device names the device by the caption; OK with the name untouched keeps the saved name.
  w->mnuEditCurrentDevice->Click();
  EXPECT_EQ(frmDefine->edtName->Text(), "adc.def");
  StdClick(frmDefine->btnOK);
  Application->ProcessMessages();
  EXPECT_EQ(w->lblDevice->Caption(), "Device Name: ADC");

  const std::string out = File("copy.def");
  Responder().ExpectSave(out);
  w->mnuSaveAs->Click();
  const std::string text = LoadFileBytes(out);
  EXPECT_NE(text.find("Address=42\r\nMaxRegister=19\r\nName=ADC\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("5=XX"), std::string::npos);
  EXPECT_EQ(text.find("\r\n20="), std::string::npos);
  EXPECT_EQ(Longi2c::FileName, out);

  // Grown again after the shrink to 3 rows: every row shows its label.
  const std::string big = File("big.def");
  Put(big, "[Device Data]\nMaxRegister=255\n");
  Responder().ExpectOpen(big);
  w->mnuLoad->Click();
  ASSERT_EQ(w->stgMemory->RowCount(), 17);
  for (int r = 1; r < 17; ++r) EXPECT_EQ(w->stgMemory->Cells(0, r), IntToHex(r - 1, 1)) << r;
}

TEST_F(Longi2cFiles, ANewWindowSavesTheAddressItsFieldShows) {
  TfrmLongI2C* w = Open();
  const std::string out = File("new.def");
  Responder().ExpectSave(out);
  w->mnuSave->Click();  // no file yet: Save asks for one
  EXPECT_NE(LoadFileBytes(out).find("Address=A0"), std::string::npos);
}

TEST_F(Longi2cFiles, AHostileFileOpensInsideTheModelAndSaysWhatWasMended) {
  TfrmLongI2C* w = Open();
  const std::string in = File("bad.def");
  Put(in, "[Device Data]\nAddress=G1\nMaxRegister=300\n[Register Data]\n0=hello\n1=7\n");
  Responder().ExpectOpen(in).ExpectMessage("outside 1 to 256");
  w->mnuLoad->Click();
  EXPECT_EQ(Longi2c::MaxRegister, 255);
  EXPECT_EQ(w->edtAddress->Text(), "00");
  EXPECT_EQ(w->RegisterText(0), "XX");
  EXPECT_EQ(w->RegisterText(1), "07");
  EXPECT_EQ(w->stgMemory->RowCount(), 17);
  ASSERT_FALSE(Responder().Seen().empty());
  const std::string told = Responder().Seen().back().Text;
  EXPECT_NE(told.find("set to 00"), std::string::npos) << told;
  EXPECT_NE(told.find("1 register value was"), std::string::npos) << told;
}

TEST_F(Longi2cFiles, AFileWithNoneOfTheDefinitionsSectionsIsRefusedByNameAndChangesNothing) {
  TfrmLongI2C* w = Open();
  const std::string good = File("adc.def");
  Put(good, TwentyRegisterFile());
  Responder().ExpectOpen(good);
  w->mnuLoad->Click();
  ASSERT_EQ(w->Caption(), "adc.def");
  const std::vector<std::string> recent = Longi2c::RecentFiles.Files();

  const struct {
    const char* Name;
    std::string Text;
  } cases[] = {
      {"empty.def", ""},
      {"junk.def", std::string("\x00\xff\x13\x89PNG\r\n\x1a\n\x00\x00=\x01", 16)},
      {"plain.def", "Address=42\nMaxRegister=3\nName=Loose keys\n"},
      {"other.def", "[Settings]\nAddress=42\nMaxRegister=3\n[Device]\nName=Near miss\n"},
  };
  for (const auto& c : cases) {
    const std::string in = File(c.Name);
    Put(in, c.Text);
    Responder().ExpectOpen(in).ExpectMessage(in);
    w->mnuLoad->Click();
    EXPECT_EQ(Responder().Pending(), 0) << c.Name;
    EXPECT_EQ(w->Caption(), "adc.def") << c.Name;
    EXPECT_EQ(w->lblDevice->Caption(), "Device Name: ADC") << c.Name;
    EXPECT_EQ(Longi2c::MaxRegister, 19) << c.Name;
    EXPECT_EQ(w->RegisterText(19), "14") << c.Name;
    EXPECT_EQ(Longi2c::FileName, good) << c.Name;
    EXPECT_EQ(Longi2c::RecentFiles.Files(), recent) << c.Name;
    EXPECT_EQ(w->mru[0]->Caption(), good) << c.Name;
  }
  // One of the sections, even alone, is a definition (its keys take their defaults).
  const std::string bare = File("bare.def");
  Put(bare, "[register description]\n0=Status\n");
  Responder().ExpectOpen(bare);
  w->mnuLoad->Click();
  EXPECT_EQ(w->Caption(), "bare.def");
  EXPECT_EQ(Longi2c::RegisterDescriptions[0], "Status");
}

TEST_F(Longi2cFiles, ACancelledOrFailedSaveKeepsTheDeviceModifiedAndTheWindowOpen) {
  TfrmLongI2C* w = Open();
  Longi2c::Modified = true;
  // Open: Yes, then the save is cancelled: nothing is opened.
  Responder().ExpectMessage("Save changes?", mrYes).ExpectSave("");
  w->mnuLoad->Click();
  EXPECT_TRUE(Longi2c::Modified);

  // Close: Yes, then the save is cancelled: the window stays.
  Responder().ExpectMessage("Would you like to save this device?", mrYes).ExpectSave("");
  w->mnuClose->Click();
  Application->ProcessMessages();
  ASSERT_EQ(frmLongI2C, w);
  EXPECT_TRUE(Longi2c::Modified);

  // A save that fails says why and keeps the old file and the flag.
  const std::string file = File("kept.def");
  Put(file, "[Device Data]\nName=Old\n");
  Longi2c::FileName = file;
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 16;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  Responder().ExpectMessage("kept.def");
  w->mnuSave->Click();
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  EXPECT_TRUE(Longi2c::Modified);
  EXPECT_EQ(LoadFileBytes(file), "[Device Data]\nName=Old\n");

  // No: the window closes.
  Responder().ExpectMessage("Would you like to save this device?", mrNo);
  w->mnuClose->Click();
  Application->ProcessMessages();
  EXPECT_EQ(frmLongI2C, nullptr);
}

// A path far wider than the screen is cut in the middle in the menu, whole characters kept; the
// whole path is the entry's hint, and the entry opens it.
TEST_F(Longi2cFiles, ALongRecentPathIsCutInTheMiddleAndWholeInTheHint) {
  TfrmLongI2C* w = Open();
  std::string dir = File("");
  for (int i = 0; i < 16; ++i) dir += std::string(200, i % 2 ? 'd' : static_cast<char>('a' + i % 20)) + "/";
  dir += "\xC3\xA9t\xC3\xA9/";  // a UTF-8 folder name: the cut never splits a character
  std::filesystem::create_directories(dir);
  const std::string file = dir + "long.def";
  ASSERT_GT(file.size(), 3000u);
  Put(file, TwentyRegisterFile());
  Responder().ExpectOpen(file);
  w->mnuLoad->Click();
  const std::string caption = w->mru[0]->Caption();
  EXPECT_LE(caption.size(), 80u) << caption;
  EXPECT_EQ(caption.substr(0, 10), file.substr(0, 10));
  EXPECT_NE(caption.find("..."), std::string::npos);
  EXPECT_EQ(caption.substr(caption.size() - 8), "long.def");
  EXPECT_TRUE(IsValidUtf8(caption)) << caption;
  EXPECT_EQ(w->mru[0]->Hint(), file);
  w->mru[0]->Click();
  EXPECT_EQ(Longi2c::FileName, file);
}

TEST_F(Longi2cFiles, RecentFilesAfterFiveOpensWithAnAmpersandInAPath) {
  TfrmLongI2C* w = Open();
  std::vector<std::string> files;
  for (const char* n : {"one.def", "two.def", "R&D.def", "four.def", "five.def"}) {
    files.push_back(File(n));
    Put(files.back(), TwentyRegisterFile());
    Responder().ExpectOpen(files.back());
    w->mnuLoad->Click();
  }
  EXPECT_TRUE(w->MRUDiv->Visible());
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(w->mru[static_cast<size_t>(i)]->Visible()) << i;
  EXPECT_EQ(w->mru[0]->Caption(), files[4]);
  EXPECT_EQ(w->mru[2]->Caption(), File("R&&D.def")) << "a menu shows \"&&\" as one \"&\"";
  EXPECT_EQ(w->mru[3]->Caption(), files[1]) << "the oldest file went";

  // The entry with "&" reopens the file it names.
  w->mru[2]->Click();
  EXPECT_EQ(w->Caption(), "R&D.def");
  EXPECT_EQ(Longi2c::FileName, files[2]);
  EXPECT_EQ(w->mru[0]->Caption(), File("R&&D.def"));
  EXPECT_EQ(w->stgMemory->Colors(1, 1), clWindow);

  // A file that went away leaves the list.
  std::filesystem::remove(files[4]);
  Responder().ExpectMessage("File does not exist");
  w->mru[1]->Click();
  EXPECT_FALSE(w->mru[3]->Visible());
  EXPECT_EQ(Longi2c::RecentFiles.Files().size(), 3u);

  // Reset Grid reads the list again from the settings, where another window left one file, so
  // this window's entries are dropped; it goes back to 256 banded registers.
  {
    TRegistry other;
    ASSERT_TRUE(other.OpenKey(RecentFilesKey, true));
    other.WriteInteger("numMRUs", 1);
    other.WriteString("MRU1", files[0]);
  }
  Responder().ExpectMessage("Are you sure you want to reset the grid?", mrYes);
  w->ResetGrid->Click();
  EXPECT_EQ(w->Caption(), "Unknown Device");
  EXPECT_EQ(w->stgMemory->RowCount(), 17);
  EXPECT_EQ(w->stgMemory->Colors(TfrmLongI2C::ColOf(255), TfrmLongI2C::RowOf(255)), clWhite);
  EXPECT_EQ(w->RegisterText(255), "FF");
  EXPECT_EQ(Longi2c::RecentFiles.Files(), std::vector<std::string>{files[0]});
  EXPECT_EQ(w->mru[0]->Caption(), files[0]);
  EXPECT_TRUE(w->mru[0]->Visible());
  EXPECT_FALSE(w->mru[1]->Visible());
  EXPECT_FALSE(w->mru[2]->Visible());
  EXPECT_TRUE(Longi2c::FileName.empty());

  // A file opened after it reaches the settings when the window goes.
  Responder().ExpectOpen(files[3]);
  w->mnuLoad->Click();
  w->mnuClose->Click();
  Application->ProcessMessages();
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKeyReadOnly(RecentFilesKey));
  EXPECT_EQ(reg.ReadInteger("numMRUs"), 2);
  EXPECT_EQ(reg.ReadString("MRU1"), files[3]);
  EXPECT_EQ(reg.ReadString("MRU2"), files[0]);
}

TEST_F(Longi2cFiles, ExportAndPrintout) {
  TfrmLongI2C* w = Open();
  Longi2c::RegisterDescriptions[10] = "Gain";
  w->SetRegisterText(10, "7F");
  const std::string txt = File("regs.txt");
  Responder().ExpectSave(txt);
  w->mnuSaveASCII->Click();
  const std::string text = LoadFileBytes(txt);
  EXPECT_NE(text.find("\r\n0A=7F  ;Gain\r\n"), std::string::npos) << text.substr(0, 200);
  EXPECT_FALSE(Longi2c::Modified);

  Responder().ExpectPrint("", false);
  w->mnuPrint->Click();

  // 256 registers into a PDF, and the PDF as pictures to look at.
  const std::string pdf = TestImagePath("longi2c-printout.pdf");
  std::filesystem::create_directories(std::filesystem::path(pdf).parent_path());
  std::filesystem::remove(pdf);
  Responder().ExpectPrint(pdf);
  w->mnuPrint->Click();
  ASSERT_TRUE(std::filesystem::exists(pdf));
  const std::string bytes = LoadFileBytes(pdf);
  EXPECT_EQ(bytes.rfind("%PDF", 0), 0u);
  EXPECT_FALSE(std::filesystem::exists(pdf + ".printing"));
  if (std::system("command -v pdftoppm >/dev/null 2>&1") == 0) {
    const std::string png = TestImagePath("longi2c-printout");
    EXPECT_EQ(std::system(("pdftoppm -r 60 -png '" + pdf + "' '" + png + "'").c_str()), 0);
  }
}

TEST_F(Longi2cFiles, PrintoutPagesHoldEveryLineOnce) {
  const std::vector<TTextPage> pages = TextPages(259, 15, 1000);
  ASSERT_EQ(pages.size(), 4u);
  EXPECT_EQ(pages[0].Count, 66);
  EXPECT_EQ(pages[3].First, 198);
  EXPECT_EQ(pages[3].First + pages[3].Count, 259);
  EXPECT_EQ(TextPages(5, 15, 10).size(), 5u) << "a page too small for a line still takes one";
}

TEST_F(Longi2cFiles, DefinitionDialogRules) {
  TfrmLongI2C* w = Open();
  w->mnuEditCurrentDevice->Click();
  ASSERT_NE(frmDefine, nullptr);
  EXPECT_EQ(frmDefine->edtName->Text(), "User Definable Device") << "the caption, not the label's \"?\"";
  StdClick(frmDefine->btnCancel);
  Application->ProcessMessages();
  w->mnuDefine->Click();
  ASSERT_NE(frmDefine, nullptr);
  TfrmDefine* d = frmDefine;
  EXPECT_EQ(d->Caption(), "Define New Device");
  EXPECT_EQ(d->edtAddress->Text(), "AE");
  EXPECT_EQ(d->edtName->Text(), "New Device");
  EXPECT_EQ(d->stgDefinition->RowCount(), 257);
  EXPECT_EQ(d->stgDefinition->Cells(0, 256), "FF");
  EXPECT_EQ(d->stgDefinition->Cells(2, 0), "Value\r(Hex)");

  Responder().ExpectMessage("Please enter an integer between 1 and 256");
  d->edtSpin->SetText("300");
  EXPECT_EQ(d->stgDefinition->RowCount(), 257) << "the table stays";
  Responder().ExpectMessage("Please enter a number between 1 and 256");
  StdClick(d->btnOK);
  Application->ProcessMessages();
  ASSERT_EQ(frmDefine, d) << "OK with a bad count keeps the dialog";
  EXPECT_EQ(Longi2c::MaxRegister, 255);
  // Letters reach the count field: the conversion error says what is wrong, the table stays.
  d->edtSpin->SelectAll();
  Responder().ExpectMessage("is not a valid integer value");
  StdType(d->edtSpin, "x");
  EXPECT_EQ(d->edtSpin->Text(), "x");
  ASSERT_FALSE(Responder().Seen().empty());
  EXPECT_EQ(Responder().Seen().back().Text, "'x' is not a valid integer value.");
  EXPECT_EQ(d->stgDefinition->RowCount(), 257);

  // The address is taken only by OK.
  d->edtAddress->SetText("43");
  EXPECT_EQ(d->edtAddress->Text(), "42");
  EXPECT_EQ(Longi2c::DeviceAddress, 0xA0);

  d->edtSpin->SetText("16");
  EXPECT_EQ(d->stgDefinition->RowCount(), 17);
  d->edtName->SetText("ADC");
  EXPECT_EQ(TfrmDefine::ValidHexCheck("5"), "05");
  EXPECT_EQ(TfrmDefine::ValidHexCheck(" 5"), "05");
  EXPECT_EQ(TfrmDefine::ValidHexCheck(""), "FF");
  d->stgDefinition->SetCells(2, 4, "5");
  d->stgDefinition->SetCells(1, 5, "");
  Responder().ExpectMessage("Are you sure you want to set all the values to 3C?", mrNo);
  d->edtFill->SetText("3C");
  EXPECT_EQ(d->stgDefinition->Cells(2, 1), "FF");
  ASSERT_FALSE(Responder().Seen().empty());
  EXPECT_EQ(Responder().Seen().back().Owner, d) << "the question opens over the dialog";
  EXPECT_TRUE(Responder().Seen().back().StayOnTop) << "else the stay-on-top dialog covers it";
  StdClick(d->btnOK);
  Application->ProcessMessages();
  EXPECT_EQ(frmDefine, nullptr);
  EXPECT_EQ(w->Caption(), "ADC");
  EXPECT_EQ(w->lblDevice->Caption(), "Device Name: ADC");
  EXPECT_EQ(w->edtAddress->Text(), "42");
  EXPECT_EQ(Longi2c::DeviceAddress, 0x42);
  EXPECT_EQ(Longi2c::MaxRegister, 15);
  EXPECT_EQ(w->stgMemory->RowCount(), 2);
  EXPECT_EQ(w->RegisterText(3), "05");
  EXPECT_EQ(Longi2c::RegisterDescriptions[4], "Undefined Register");
  EXPECT_EQ(w->RegisterText(16), "");
  EXPECT_EQ(w->stgMemory->Colors(1, 1), clInfoBk);
  EXPECT_EQ(w->stgMemory->Colors(1, 2), clBlue);
  EXPECT_TRUE(Longi2c::Modified);
  EXPECT_TRUE(Longi2c::FileName.empty());

  // Edit Current Device takes the name from the caption and disables the menus
  // until the dialog goes; the dialog goes with the window.
  w->mnuEditCurrentDevice->Click();
  ASSERT_NE(frmDefine, nullptr);
  EXPECT_EQ(frmDefine->Caption(), "Edit Current Device");
  EXPECT_EQ(frmDefine->edtName->Text(), "ADC");
  EXPECT_EQ(frmDefine->edtSpin->Text(), "16");
  EXPECT_EQ(frmDefine->stgDefinition->RowCount(), 17);
  EXPECT_EQ(frmDefine->stgDefinition->Cells(2, 4), "05");
  EXPECT_FALSE(w->mnuFile->Enabled());
  Responder().ExpectMessage("Would you like to save this device?", mrNo);
  w->mnuClose->Click();
  Application->ProcessMessages();
  EXPECT_EQ(frmDefine, nullptr);
  EXPECT_EQ(frmLongI2C, nullptr);
}

TEST_F(Longi2cFiles, DefinitionDialogSpinArrowsStopAtOneAndTwoHundredFiftySixAndFillAsksFirst) {
  TfrmLongI2C* w = Open();
  w->mnuDefine->Click();
  TfrmDefine* d = frmDefine;
  ASSERT_NE(d, nullptr);
  d->spnRegisters->OnUpClick(d->spnRegisters);
  EXPECT_EQ(d->stgDefinition->RowCount(), 257) << "no 257th register";
  EXPECT_EQ(d->edtSpin->Text(), "256");
  d->edtSpin->SetText("3");
  d->stgDefinition->SetCells(1, 1, "");
  d->stgDefinition->SetCells(2, 1, "");
  d->stgDefinition->SetRow(1);
  d->spnRegisters->OnDownClick(d->spnRegisters);
  EXPECT_EQ(d->edtSpin->Text(), "2");
  EXPECT_EQ(d->stgDefinition->Cells(1, 1), "Undefined Register") << "the down arrow runs the count's change rule";
  EXPECT_EQ(d->stgDefinition->Cells(2, 1), "FF");
  EXPECT_EQ(d->stgDefinition->Row(), 2);
  d->spnRegisters->OnDownClick(d->spnRegisters);
  EXPECT_EQ(d->edtSpin->Text(), "1");
  EXPECT_EQ(d->stgDefinition->RowCount(), 2);
  d->spnRegisters->OnDownClick(d->spnRegisters);
  EXPECT_EQ(d->stgDefinition->RowCount(), 2) << "no fewer than one register";
  d->spnRegisters->OnUpClick(d->spnRegisters);
  EXPECT_EQ(d->edtSpin->Text(), "2");
  EXPECT_EQ(d->stgDefinition->Cells(1, 2), "Undefined Register");
  EXPECT_EQ(d->stgDefinition->Cells(2, 2), "FF");

  Responder().ExpectMessage("Are you sure you want to set all the values to 3C?", mrYes);
  d->edtFill->SetText("3C");
  EXPECT_EQ(d->stgDefinition->Cells(2, 1), "3C");
  EXPECT_EQ(d->stgDefinition->Cells(2, 2), "3C");
  d->edtFill->SetText("5");
  Responder().ExpectMessage("Are you sure you want to set all the values to 05?", mrNo);
  d->edtFill->OnExit(d->edtFill);
  EXPECT_EQ(d->edtFill->Text(), "05");
  d->edtAddress->SetText("");
  d->edtAddress->OnExit(d->edtAddress);
  EXPECT_EQ(d->edtAddress->Text(), "AE");
  StdClick(d->btnCancel);
  Application->ProcessMessages();
  EXPECT_EQ(frmDefine, nullptr);
  EXPECT_EQ(Longi2c::MaxRegister, 255) << "Cancel changes nothing";
  EXPECT_EQ(Longi2c::DeviceAddress, 0xA0);
}

TEST_F(Longi2cFiles, MenusStayOffWhileARegisterDialogIsOpen) {
  TfrmLongI2C* w = Open();
  w->mnuDefine->Click();  // leaves the menus on
  w->mnuEditCurrentCell->Click();
  EXPECT_FALSE(w->mnuFile->Enabled());
  StdClick(frmDefine->btnCancel);
  Application->ProcessMessages();
  EXPECT_FALSE(w->mnuFile->Enabled()) << "the register dialog still writes into the window";
  StdClick(frmEditCell->btnCancel);
  Application->ProcessMessages();
  EXPECT_TRUE(w->mnuFile->Enabled());
  EXPECT_TRUE(w->mnuEdit->Enabled());
}

TEST_F(Longi2cFiles, CloseAllClosesTheDeviceWindowAndClearsTheStatusLine) {
  TfrmLongI2C* w = Open();
  frmMain->pnlStatus->SetCaption("  Transmission successful");
  w->mnuCloseAll->Click();
  Application->ProcessMessages();
  EXPECT_EQ(frmLongI2C, nullptr);
  EXPECT_EQ(StatusText(), "");
}

TEST_F(Longi2cFiles, RegisterDialogRules) {
  TfrmLongI2C* w = Open();
  Select(w, 42);
  w->mnuEditCurrentCell->Click();
  ASSERT_NE(frmEditCell, nullptr);
  TfrmEditCell* d = frmEditCell;
  EXPECT_EQ(d->lblRegister->Caption(), "Register 0x2A");
  EXPECT_EQ(d->edtDefault->Text(), "FF");
  EXPECT_FALSE(w->mnuEdit->Enabled());
  d->edtDefault->SetText("");
  d->edtDescription->SetText("Gain");
  Select(w, 7);  // the grid stays usable meanwhile
  StdClick(d->btnOK);
  Application->ProcessMessages();
  EXPECT_EQ(frmEditCell, nullptr);
  EXPECT_EQ(w->RegisterText(42), "") << "a field never left stores an empty cell";
  EXPECT_EQ(Longi2c::RegisterDescriptions[42], "Gain");
  EXPECT_EQ(w->RegisterText(7), "FF");
  EXPECT_TRUE(w->mnuEdit->Enabled());
  EXPECT_TRUE(Longi2c::Modified);

  w->mnuEditCurrentCell->Click();
  frmEditCell->edtDefault->SetText("5");
  frmEditCell->edtDefault->OnExit(frmEditCell->edtDefault);  // left: the field's rule pads it
  StdClick(frmEditCell->btnOK);
  Application->ProcessMessages();
  EXPECT_EQ(w->RegisterText(7), "05");

  Longi2c::MaxRegister = 19;
  w->ShowRegisterCount(clInfoBk, clWhite);
  Select(w, 25);
  Responder().ExpectMessage("Cannot edit an undefined cell");
  w->mnuEditCurrentCell->Click();
  EXPECT_EQ(frmEditCell, nullptr);
}

}  // namespace

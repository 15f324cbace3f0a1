// The expert window's table commands, its data file and every way of closing it.
#include <sys/stat.h>

#include "tests/devices/ExpertWindowFixture.h"

namespace {

using Universal_III::Modified;

TEST_F(ExpertWindowTest, InsertRowBelowTheCurrentRowRenumbers) {
  Row(1, "40", "Write", "01");
  Row(2, "40", "Write", "02");
  Select(1);
  w->btnAddRow->Click();
  ASSERT_EQ(w->grdData->RowCount(), 34);
  EXPECT_EQ(Cell(ecData, 1), "01");
  EXPECT_TRUE(w->RowFields(2).Empty());
  EXPECT_EQ(Cell(ecNumber, 2), "2");
  EXPECT_EQ(Cell(ecStart, 2), "ST");
  EXPECT_EQ(Cell(ecData, 3), "02");
  EXPECT_EQ(Cell(ecNumber, 33), "33");
  EXPECT_TRUE(Modified);
  // On the last row it appends.
  Select(33);
  w->mnuAddRow->Click();
  EXPECT_EQ(w->grdData->RowCount(), 35);
  EXPECT_EQ(Cell(ecNumber, 34), "34");
}

TEST_F(ExpertWindowTest, DeleteRowRemovesTheCurrentRowButNeverTheLastMessage) {
  Row(2, "40", "Write", "02");
  Select(1);
  w->btnDeleteRow->Click();
  EXPECT_EQ(w->grdData->RowCount(), 32);
  EXPECT_EQ(Cell(ecData, 1), "02");
  EXPECT_EQ(Cell(ecNumber, 31), "31");
  w->btnCompress->Click();
  ASSERT_EQ(w->grdData->RowCount(), 2);
  Select(1);
  w->btnDeleteRow->Click();
  EXPECT_EQ(w->grdData->RowCount(), 2);
  EXPECT_EQ(Cell(ecData, 1), "02");
}

// Deleting twice removes two neighbouring messages: the current row stays where it was.
TEST_F(ExpertWindowTest, DeleteRowTwiceRemovesTheNextMessageToo) {
  Row(3, "40", "Write", "03");
  Row(4, "40", "Write", "04");
  Row(5, "40", "Write", "05");
  Select(3);
  w->btnDeleteRow->Click();
  EXPECT_EQ(w->grdData->Row(), 3);
  w->btnDeleteRow->Click();
  EXPECT_EQ(Cell(ecData, 3), "05");
  EXPECT_EQ(w->grdData->RowCount(), 31);
}

TEST_F(ExpertWindowTest, CompactOnAnEmptyTableKeepsOneMessageRow) {
  w->mnuCompact->Click();
  EXPECT_EQ(w->grdData->RowCount(), 2);
  EXPECT_EQ(Cell(ecNumber, 1), "1");
  EXPECT_TRUE(Modified);
}

TEST_F(ExpertWindowTest, CompactRemovesEmptyRowsAndKeepsOrder) {
  Row(3, "40", "Write", "03");
  Row(7, "", "", "", "", "", "note");
  Row(9, "41", "Read", "FF");
  w->btnCompress->Click();
  ASSERT_EQ(w->grdData->RowCount(), 4);
  EXPECT_EQ(Cell(ecData, 1), "03");
  EXPECT_EQ(Cell(ecNotes, 2), "note");
  EXPECT_EQ(Cell(ecAddress, 3), "41");
  EXPECT_EQ(Cell(ecNumber, 3), "3");
}

TEST_F(ExpertWindowTest, ClearCopyPasteAndTheModifiedFlag) {
  Row(1, "40", "Write", "01", "No", "5", "n");
  Select(1);
  w->btnCopy->Click();
  EXPECT_TRUE(Modified);  // although nothing changed
  Modified = false;
  Select(4);
  w->btnPaste->Click();
  EXPECT_EQ(w->RowFields(4), (TExpertRow{"40", "Write", "01", "No", "5", "n"}));
  EXPECT_TRUE(Modified);
  Modified = false;
  Select(1);
  w->mnuClear->Click();
  EXPECT_TRUE(w->RowFields(1).Empty());
  EXPECT_EQ(Cell(ecStart, 1), "");  // until the next renumbering
  EXPECT_FALSE(Modified);
}

TEST_F(ExpertWindowTest, ClickShowsTheActiveMessage) {
  Select(12);
  EXPECT_EQ(w->edtRow->Text(), "Active Msg. = 12");
}

TEST_F(ExpertWindowTest, DataColumnTakesTheRestButNeverBelowItsMinimum) {
  w->SetBounds(0, 0, 900, 470);
  const int wide = w->grdData->ColWidths(ecData);
  EXPECT_EQ(wide, w->grdData->Width() - 89 - (53 + 38 + 37 + 38 + 161));
  EXPECT_GT(w->grdData->Width(), w->grdData->ClientWidth());  // the frame counts
  // A narrow window scrolls with its grid as wide as its controls: wide other columns leave the
  // Data column less than nothing.
  w->grdData->SetColWidths(ecNotes, 2000);
  w->SetBounds(0, 0, 200, 300);
  EXPECT_EQ(w->grdData->ColWidths(ecData), TfrmMessage::MinDataWidth);
}

// Each header shows whole in its given width, a text margin on each side ("Msg #" in 30 pixels).
TEST_F(ExpertWindowTest, HeadersFitTheirGivenWidths) {
  TBitmap measure(1, 1);
  measure.Canvas()->Font()->Assign(w->grdData->FixedFont());
  for (int c : {ecNumber, ecStart, ecAddress, ecRW, ecStop, ecDelay, ecNotes}) {
    const std::string header = Cell(c, 0);
    SCOPED_TRACE(header);
    EXPECT_LE(measure.Canvas()->TextWidth(header) + 4, w->grdData->ColWidths(c));
  }
}

// ---------------------------------------------------------------- the data file

TEST_F(ExpertWindowTest, SaveWritesTheFileAndOpenReadsItBack) {
  Row(1, "40", "Write", "00,ST,40,55", "No", "10", "with / slash");
  Row(4, "", "", "", "", "", "only a note");
  Row(6, "41", "Read", "FF,TH,FF");
  w->edtSequence->SetText("06,01");
  Modified = true;
  const std::string file = Path("table.txt");
  Responder().ExpectSave(file);
  w->btnSave->Click();
  EXPECT_EQ(ReadFile(file),
            "Expert Mode Data File\r\n"
            "40,Write,No,10,00,ST,40,55,Comments: with / slash\r\n"
            ",,,,,Comments: only a note\r\n"
            "41,Read,Yes,,FF,TH,FF\r\n"
            "Sequence:06,01\r\n");
  EXPECT_EQ(w->Caption(), "table.txt");
  EXPECT_FALSE(Modified);

  w->btnNewClick(nullptr);
  EXPECT_TRUE(w->RowFields(1).Empty());
  Responder().ExpectOpen(file);
  w->btnOpen->Click();
  ASSERT_EQ(w->grdData->RowCount(), 4);
  EXPECT_EQ(w->RowFields(1), (TExpertRow{"40", "Write", "00,ST,40,55", "No", "10", "with / slash"}));
  EXPECT_EQ(w->RowFields(2), (TExpertRow{"", "", "", "", "", "only a note"}));
  EXPECT_EQ(w->RowFields(3), (TExpertRow{"41", "Read", "FF,TH,FF", "Yes", "", ""}));
  EXPECT_EQ(Cell(ecNumber, 3), "3");
  EXPECT_EQ(Cell(ecStart, 3), "ST");
  EXPECT_EQ(w->edtSequence->Text(), "06,01");
  EXPECT_EQ(w->Caption(), "table.txt");
}

TEST_F(ExpertWindowTest, OldRecordsAreOpened) {
  const std::string file = Path("old.txt");
  WriteFile(file, "Velmaron Data File\r\nA0,Write,Yes,,00,01\r\n");
  ASSERT_TRUE(w->LoadFile(file));
  EXPECT_EQ(Cell(ecData, 1), "00,01");
  WriteFile(file, "Brennick Data File\r\n");
  ASSERT_TRUE(w->LoadFile(file));
  EXPECT_EQ(w->grdData->RowCount(), 2);  // one empty message row
  EXPECT_TRUE(w->RowFields(1).Empty());
}

TEST_F(ExpertWindowTest, HostileFilesChangeNothing) {
  Row(1, "40", "Write", "01", "Yes", "", "keep me");
  w->SetCaption("mine.txt");
  Modified = true;
  const std::string before = WriteExpertFile({w->RowFields(1)}, w->edtSequence->Text());
  std::string tooMany = "Expert Mode Data File\r\n";
  for (int i = 0; i <= ExpertMaxFileRows; ++i) tooMany += "40,Write,Yes,,01\r\n";
  const struct {
    std::string Bytes;
    const char* Reason;  // after the status line's "  Invalid Data File: "
  } files[] = {
      {"Expert Mode Data File \r\n40,Write,Yes,,01\r\n", "not an expert mode data file"},  // trailing blank
      {"", "not an expert mode data file"},
      {"Expert Mode Data", "not an expert mode data file"},
      {"\x89PNG\r\n\x1a\n", "not an expert mode data file"},
      {tooMany, "more than 10000 messages"},
  };
  for (const auto& f : files) {
    frmMain->pnlStatus->SetCaption("");  // no status left from the case before
    const std::string file = Path("bad.txt");
    WriteFile(file, f.Bytes);
    EXPECT_FALSE(w->LoadFile(file)) << f.Reason;
    EXPECT_EQ(StatusText().rfind("  Invalid Data File: ", 0), 0u) << StatusText();
    EXPECT_NE(StatusText().find(f.Reason), std::string::npos) << StatusText();
    EXPECT_EQ(w->Caption(), "mine.txt");
    EXPECT_TRUE(Modified);
    EXPECT_EQ(w->grdData->RowCount(), 33);
    EXPECT_EQ(WriteExpertFile({w->RowFields(1)}, w->edtSequence->Text()), before);
  }
  // A file that is not there, or not a file.
  Responder().ExpectMessage("could not be read");
  EXPECT_FALSE(w->LoadFile(Path("missing.txt")));
  Responder().ExpectMessage("could not be read");
  EXPECT_FALSE(w->LoadFile(dir.string()));
  EXPECT_EQ(Cell(ecNotes, 1), "keep me");
}

TEST_F(ExpertWindowTest, FailedSaveKeepsTheOldFile) {
  // A target that cannot be replaced: a folder with a file in it.
  const std::string target = Path("folder.txt");
  std::filesystem::create_directories(target);
  WriteFile(target + "/inside", "old contents");
  Row(1, "40", "Write", "01");
  Modified = true;
  Responder().ExpectSave(target).ExpectMessage("already exists", mrYes).ExpectMessage("not saved");
  w->mnuSave->Click();
  EXPECT_EQ(ReadFile(target + "/inside"), "old contents");
  EXPECT_TRUE(Modified);
  EXPECT_EQ(w->Caption(), "I\xC2\xB2" "C Expert Mode");
  if (::geteuid() != 0) {
    // A folder that takes no new file: the old file beside it stays whole.
    const std::string file = Path("keep.txt");
    WriteFile(file, "old contents");
    ::chmod(dir.c_str(), 0500);
    Responder().ExpectSave(file).ExpectMessage("already exists", mrYes).ExpectMessage("not saved");
    w->mnuSave->Click();
    ::chmod(dir.c_str(), 0700);
    EXPECT_EQ(ReadFile(file), "old contents");
  }
}

// ---------------------------------------------------------------- closing and the question

TEST_F(ExpertWindowTest, CloseAsksWhenModifiedAndCancelKeepsTheWindow) {
  Modified = true;
  Responder().ExpectMessage("Save changes?", mrCancel);
  w->mnuClose->Click();
  Application->ProcessMessages();
  EXPECT_EQ(frmMessage, w);
}

TEST_F(ExpertWindowTest, YesThenCancelledSaveDialogStopsTheClose) {
  Modified = true;
  Responder().ExpectMessage("Save changes?", mrYes).ExpectSave("");
  w->btnClose->Click();
  Application->ProcessMessages();
  EXPECT_EQ(frmMessage, w);
  EXPECT_TRUE(Modified);
}

TEST_F(ExpertWindowTest, YesSavesThenCloses) {
  Row(1, "40", "Write", "01");
  Modified = true;
  const std::string file = Path("closing.txt");
  Responder().ExpectMessage("Save changes?", mrYes).ExpectSave(file);
  w->mnuClose->Click();
  Application->ProcessMessages();
  EXPECT_EQ(frmMessage, nullptr);
  EXPECT_NE(ReadFile(file).find("40,Write,Yes,,01"), std::string::npos);
}

TEST_F(ExpertWindowTest, FrameCloseAsksToo) {
  Modified = true;
  Responder().ExpectMessage("Save changes?", mrNo);
  PostMessage(w->Handle(), WM_CLOSE, 0, 0);
  Application->ProcessMessages();
  Application->ProcessMessages();
  EXPECT_EQ(frmMessage, nullptr);
}

TEST_F(ExpertWindowTest, UnmodifiedWindowClosesWithoutAsking) {
  w->mnuClose->Click();
  Application->ProcessMessages();
  EXPECT_EQ(frmMessage, nullptr);
  EXPECT_TRUE(Responder().Seen().empty());
}

TEST_F(ExpertWindowTest, CloseAllClosesEveryChildAfterAsking) {
  Modified = true;
  Responder().ExpectMessage("Save changes?", mrNo);
  w->mnuCloseAll->Click();
  Application->ProcessMessages();
  EXPECT_EQ(frmMessage, nullptr);
  EXPECT_EQ(StatusText(), "");
}

TEST_F(ExpertWindowTest, OpenAsksWithYesAndNoThenAsksForTheFile) {
  Row(1, "40", "Write", "01");
  Modified = true;
  Responder().ExpectMessage("Save changes?", mrNo).ExpectOpen("");
  w->mnuOpen->Click();
  ASSERT_FALSE(Responder().Seen().empty());
  EXPECT_EQ(Responder().Seen()[0].Buttons, mbYesNo);
  EXPECT_EQ(Cell(ecData, 1), "01");
  EXPECT_TRUE(Modified);
}

TEST_F(ExpertWindowTest, NewAfterNoKeepsTheTableMarkedModified) {
  Row(1, "40", "Write", "01");
  Modified = true;
  Responder().ExpectMessage("Save changes?", mrNo);
  w->mnuNew->Click();
  EXPECT_TRUE(w->RowFields(1).Empty());
  EXPECT_TRUE(Modified);
  Responder().ExpectMessage("Save changes?", mrNo);
  w->mnuClose->Click();
  Application->ProcessMessages();
  EXPECT_EQ(frmMessage, nullptr);
}

TEST_F(ExpertWindowTest, NewWithYesAndCancelledDialogLosesNothing) {
  Row(1, "40", "Write", "01");
  Modified = true;
  Responder().ExpectMessage("Save changes?", mrYes).ExpectSave("");
  w->btnNew->Click();
  EXPECT_EQ(Cell(ecData, 1), "01");
  EXPECT_TRUE(Modified);
}

}  // namespace

namespace {

TEST_F(ExpertWindowTest, ExitAsksThroughTheFrameAndCancelKeepsEverything) {
  Row(1, "40", "Write", "01");
  Universal_III::Modified = true;
  Responder().ExpectMessage("Save changes?", mrCancel);
  w->mnuExit->Click();
  Application->ProcessMessages();
  EXPECT_FALSE(Application->Terminated());
  EXPECT_EQ(frmMessage, w);
  EXPECT_EQ(Cell(ecData, 1), "01");
}

TEST_F(ExpertWindowTest, ClosingAWindowThatLeftTheBusHeldReleasesIt) {
  Row(1, "40", "Write", "10,01", "No");
  Select(1);
  w->btnSendOne->Click();
  EXPECT_EQ(Trace(), "S W40+ W10+ W01+");
  EXPECT_FALSE(sim.Sda() && sim.Scl());
  w->mnuClose->Click();
  Application->ProcessMessages();
  ASSERT_EQ(frmMessage, nullptr);
  EXPECT_EQ(Trace(), "S W40+ W10+ W01+ P");
  EXPECT_TRUE(sim.Sda() && sim.Scl());
}

TEST_F(ExpertWindowTest, HexKeyOnTheGridOpensTheEditorOtherKeysDoNot) {
  Select(2);
  WORD key = 'Q';
  w->grdDataKeyDown(w->grdData, key, 0);
  EXPECT_EQ(w->Editor(), nullptr);
  EXPECT_FALSE(Universal_III::Modified);
  key = 'B';
  w->grdDataKeyDown(w->grdData, key, 0);
  ASSERT_NE(w->Editor(), nullptr);
  EXPECT_TRUE(w->Editor()->Visible());
  EXPECT_EQ(w->Editor()->Caption(), "Message Editor - Msg # 2");
  EXPECT_TRUE(Universal_III::Modified);
}

}  // namespace

namespace {

TEST_F(ExpertWindowTest, NewWithYesSavesThenStartsABlankTable) {
  Row(1, "40", "Write", "01");
  Universal_III::Modified = true;
  const std::string file = Path("before-new.txt");
  Responder().ExpectMessage("Save changes?", mrYes).ExpectSave(file);
  w->mnuNew->Click();
  EXPECT_NE(ReadFile(file).find("40,Write,Yes,,01"), std::string::npos);
  EXPECT_TRUE(w->RowFields(1).Empty());
  EXPECT_EQ(w->grdData->RowCount(), 33);
  EXPECT_FALSE(Universal_III::Modified);
}

}  // namespace

// The universal data file through the window's File menu.
#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

#include "devices/UniversFile.h"
#include "platform/gui/testing/TestResponder.h"
#include "tests/devices/UniversFixture.h"

namespace {

using UniversFile = TUniversTest;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}
// The same message, address and direction in all five groups.
Univers::TUniversalData AllFive(const std::string& Address, const std::string& Message, const std::string& Sequence) {
  Univers::TUniversalData d;
  for (int n = 0; n < 5; ++n) {
    d.Address[n] = Address;
    d.Direction[n] = "W ";
    d.Message[n] = Message;
  }
  d.Sequence = Sequence;
  return d;
}

TEST_F(UniversFile, SaveAndOpenRoundTrip) {
  Open();
  SetMessage(1, "40", "W ", "0011P");
  SetMessage(2, "42", "R ", "FFFFP");
  SetMessage(3, "40", "W ", "10S 40R FFP");
  w->edtSequence->SetText("321");
  w->spnDelay->SetValue(250);
  const std::string file = Dir() + "/u.mem";
  Responder().ExpectSave(file);
  w->mnuSaveAs->Click();
  ASSERT_EQ(Responder().Seen().back().Caption, "Save Universal Data As");
  const std::string bytes = ReadAll(file);
  ASSERT_EQ(bytes.size(), 300u);
  EXPECT_EQ(bytes.substr(0, 9), "Univers02");

  // Change everything, then open the file again.
  for (int n = 1; n <= 5; ++n) SetMessage(n, "A8", "W ", "77P");
  w->edtSequence->SetText("5");
  w->spnDelay->SetValue(0);
  Responder().ExpectOpen(file);
  w->mnuOpen->Click();
  EXPECT_EQ(Responder().Seen().back().Caption, "Open Universal Data File");
  EXPECT_EQ(Responder().Seen().back().Filter, "Mem files (*.mem)|*.mem|All files (*.*)|*.*");
  EXPECT_EQ(Message(1), "0011P");
  EXPECT_EQ(Message(2), "FFFFP");
  EXPECT_EQ(Message(3), "10S 40R FFP");
  EXPECT_EQ(w->Group(2).edtAdrs->Text(), "42");
  EXPECT_EQ(w->Group(2).edtRW->Text(), "R ");
  EXPECT_EQ(w->edtSequence->Text(), "321");
  EXPECT_EQ(w->spnDelay->Value(), 250);
  EXPECT_EQ(w->DelayMs, 249);
  EXPECT_FALSE(w->Group(1).Cells[3]->Visible());

  // A file saved from a fresh window's state reads back the same.
  const std::string fresh = Dir() + "/fresh.mem";
  for (int n = 1; n <= 5; ++n) SetMessage(n, "A0", "W ", "0001P");
  Responder().ExpectSave(fresh);
  w->mnuSaveAs->Click();
  Univers::TUniversalData d;
  std::string fault;
  ASSERT_EQ(Univers::DecodeRecord(ReadAll(fresh), d, fault), Univers::drOk) << fault;
  EXPECT_EQ(d.Message[4], "0001P");
  EXPECT_EQ(d.Sequence, "321");
}

// A file with a valid record and a tail longer than any file the program reads whole opens (only
// the record is read) and keeps its tail when saved over; a failed save keeps the old file and
// says why.
TEST_F(UniversFile, ARecordWithALongTailOpensAndKeepsItsTailAndAFailedSaveSaysWhy) {
  Open();
  const std::string file = Dir() + "/long.mem";
  const Univers::TUniversalData stored = AllFive("42", "5AP", "54321");
  const std::string end = "TAIL-OF-THE-OLD-FILE";
  const off_t length = off_t(65) << 20;  // sparse: above the 64 MB any whole read is held to
  WriteAll(file, Univers::EncodeRecord(stored) + "tail starts here");
  {
    std::ofstream out(file, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(length - off_t(end.size()));
    out << end;
  }
  ASSERT_EQ(std::filesystem::file_size(file), uint64_t(length));
  Responder().ExpectOpen(file);
  w->mnuOpen->Click();
  EXPECT_EQ(Message(3), "5AP") << Status();
  EXPECT_EQ(w->edtSequence->Text(), "54321");

  SetMessage(1, "40", "W ", "0011P");
  Responder().ExpectSave(file).ExpectMessage("replace", mrYes);
  w->mnuSaveAs->Click();
  EXPECT_EQ(std::filesystem::file_size(file), uint64_t(length));
  std::ifstream in(file, std::ios::binary);
  std::string head(316, '\0'), tail(end.size(), '\0');
  in.read(head.data(), 316);
  in.seekg(length - off_t(end.size()));
  in.read(tail.data(), std::streamsize(end.size()));
  EXPECT_EQ(head.substr(0, 9), "Univers02");
  EXPECT_EQ(head.substr(300), "tail starts here");
  EXPECT_EQ(tail, end);
  Univers::TUniversalData saved;
  std::string fault;
  ASSERT_EQ(Univers::DecodeRecord(head, saved, fault), Univers::drOk) << fault;
  EXPECT_EQ(saved.Message[0], "0011P");

  // A target that cannot be written: a directory in the file's place, a folder without write rights.
  const std::string dirTarget = Dir() + "/adir.mem";
  std::filesystem::create_directory(dirTarget);
  const std::string locked = Dir() + "/locked";
  std::filesystem::create_directory(locked);
  WriteAll(locked + "/u.mem", "old contents");
  ::chmod(locked.c_str(), 0500);
  const struct {
    std::string Target, Reason;
  } fails[] = {{dirTarget, "Is a directory"}, {locked + "/u.mem", "ermission denied"}};
  for (const auto& f : fails) {
    if (f.Target.find("locked") != std::string::npos && ::geteuid() == 0) continue;  // root writes anywhere
    frmMain->pnlStatus->SetCaption("");
    Responder().ExpectSave(f.Target).ExpectMessage("replace", mrYes);
    w->mnuSaveAs->Click();
    EXPECT_EQ(Status().rfind("  Data File could not be saved: ", 0), 0u) << Status();
    EXPECT_NE(Status().find(f.Reason), std::string::npos) << Status();
  }
  ::chmod(locked.c_str(), 0700);
  EXPECT_TRUE(std::filesystem::is_directory(dirTarget));
  EXPECT_EQ(ReadAll(locked + "/u.mem"), "old contents");

  // Cancel writes nothing.
  const auto before = std::filesystem::last_write_time(file);
  Responder().ExpectSave("");
  w->mnuSaveAs->Click();
  EXPECT_EQ(std::filesystem::last_write_time(file), before);
}

TEST_F(UniversFile, OldRecordsLoadAndADelayOfSevenStaysSeven) {
  Open();
  std::string rec(240, '\0');
  rec.replace(0, 9, "Universal");
  for (size_t n = 0; n < 5; ++n) {
    rec[9 + 43 * n] = 2;
    rec.replace(10 + 43 * n, 2, "41");  // odd: the address box keeps it even
    rec[13 + 43 * n] = 2;
    rec.replace(14 + 43 * n, 2, "R ");
    const std::string m = "0102030405060708090A0B0C0D0E0F10P";
    rec[17 + 43 * n] = static_cast<char>(m.size());
    rec.replace(18 + 43 * n, m.size(), m);
  }
  rec[224] = 3;
  rec.replace(225, 3, "135");
  rec[236] = 7;
  const std::string file = Dir() + "/old.mem";
  WriteAll(file, rec + "ignored tail");
  Responder().ExpectOpen(file);
  w->mnuOpen->Click();
  EXPECT_EQ(Message(4), "0102030405060708090A0B0C0D0E0F10P");
  EXPECT_EQ(w->Group(4).edtAdrs->Text(), "40");
  EXPECT_EQ(w->Group(4).edtRW->Text(), "R ");
  EXPECT_FALSE(w->Group(4).Cells[17]->Visible()) << "the missing cells stay hidden";
  EXPECT_EQ(w->edtSequence->Text(), "135");
  EXPECT_EQ(w->spnDelay->Value(), 7);
  EXPECT_EQ(w->DelayMs, 6);
}

// A restart address stored odd shows even in its box, as its change rule keeps a typed one, and
// is saved so.
TEST_F(UniversFile, AnOddRestartAddressFromAFileShowsAndSavesEven) {
  Open();
  Univers::TUniversalData d = AllFive("40", "0011223344P", "12");
  d.Message[1] = "00S A1W 11P";
  d.Message[2] = "05S 43R FFP";
  const std::string file = Dir() + "/odd.mem";
  WriteAll(file, Univers::EncodeRecord(d));
  Responder().ExpectOpen(file);
  w->mnuOpen->Click();
  EXPECT_EQ(w->Group(2).Cells[2]->Text(), "A0");
  EXPECT_EQ(w->Group(3).Cells[2]->Text(), "42");
  EXPECT_EQ(w->Group(1).Cells[2]->Text(), "22");
  const std::string saveTo = Dir() + "/even.mem";
  Responder().ExpectSave(saveTo);
  w->mnuSaveAs->Click();
  Univers::TUniversalData saved;
  std::string fault;
  ASSERT_EQ(Univers::DecodeRecord(ReadAll(saveTo), saved, fault), Univers::drOk) << fault;
  EXPECT_EQ(saved.Message[1], "00S A0W 11P");
  EXPECT_EQ(saved.Message[2], "05S 42R FFP");
  EXPECT_EQ(saved.Message[0], "0011223344P");
}

TEST_F(UniversFile, HostileFilesLoadNothingAndSaySo) {
  Open();
  SetMessage(1, "40", "W ", "1234P");
  w->edtSequence->SetText("21");
  const Univers::TUniversalData good = AllFive("40", "00P", "1");
  const std::string rec = Univers::EncodeRecord(good);
  struct TCase {
    const char* What;
    std::string Bytes;
    const char* Status;  // on the status line; else the input/output error's message
    const char* Raised;
  };
  std::string badSeq = rec, huge = rec;
  badSeq[285] = '9';
  const TCase cases[] = {
      {"foreign file", "Hello, this is no data file at all, not even close." + std::string(300, ' '),
       "  Invalid Data File", nullptr},
      {"truncated", rec.substr(0, 150), nullptr, "Read beyond end of file"},
      {"tiny", "Univ", nullptr, "Read beyond end of file"},
  };
  for (const TCase& c : cases) {
    frmMain->pnlStatus->SetCaption("");  // no status left from the case before
    const std::string file = Dir() + "/bad.mem";
    WriteAll(file, c.Bytes);
    Responder().ExpectOpen(file);
    if (c.Raised) {
      try {
        w->mnuOpen->Click();
        ADD_FAILURE() << c.What << ": nothing raised";
      } catch (EInOutError& e) {
        EXPECT_EQ(e.Message(), c.Raised) << c.What;
      }
    } else {
      w->mnuOpen->Click();
      EXPECT_EQ(Status(), c.Status) << c.What;
      EXPECT_EQ(frmMain->pnlStatus->Color(), clRed) << c.What;
    }
    EXPECT_EQ(Message(1), "1234P") << c.What << ": nothing loaded";
    EXPECT_EQ(w->Group(1).edtAdrs->Text(), "40") << c.What;
    EXPECT_EQ(w->edtSequence->Text(), "21") << c.What;
  }
  // A sequence the box would not take loads as it stands; sending refuses it.
  WriteAll(Dir() + "/seq.mem", badSeq);
  Responder().ExpectOpen(Dir() + "/seq.mem");
  w->mnuOpen->Click();
  EXPECT_EQ(w->edtSequence->Text(), "9");
  // A huge delay is kept within the spin's range.
  huge[296] = '\xFF';
  huge[297] = '\xFF';
  huge[298] = '\xFF';
  huge[299] = '\x7F';
  WriteAll(Dir() + "/huge.mem", huge);
  Responder().ExpectOpen(Dir() + "/huge.mem");
  w->mnuOpen->Click();
  EXPECT_EQ(w->spnDelay->Value(), 5000);
  EXPECT_EQ(Message(1), "00P");
  // A file that cannot be read: a pipe nobody writes to must not stall the window.
  const std::string fifo = Dir() + "/pipe.mem";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  Responder().ExpectOpen(fifo);
  try {
    w->mnuOpen->Click();
    ADD_FAILURE() << "a pipe was read";
  } catch (Exception& e) {
    EXPECT_NE(e.Message().find("pipe.mem\". Not a regular file"), std::string::npos) << e.Message();
  }
}

}  // namespace

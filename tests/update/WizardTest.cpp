// The update wizard driven through its window: pages, buttons, texts, the
// automatic run, cancel and close, against an engine whose steps are scripted.
#include <QTimer>
#include <sys/stat.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "platform/gui/FormImage.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/Clock.h"
#include "tests/platform/gui/StdCtrlsTestSupport.h"
#include "update/NUpdate.h"
#include "update/NUpdateWiz.h"
#include "update/NuWizForm.h"

namespace {

// An engine whose steps answer from a script and write what was called into Log.
class TScriptedEngine : public TNetUpdate {
 public:
  explicit TScriptedEngine(TComponent* owner) : TNetUpdate(owner) {}
  struct TEntry {
    std::string Descr;
    bool Mandatory = false, Hidden = false;
    int Size = 1000;
  };
  std::string Log;
  int StartResult = 0, ReadResult = 0, VersionResult = 8, ActionsResult = 0, DownloadResult = 0;
  bool HasWhatsNew = false, HasLicense = false;
  std::vector<TEntry> Entries;
  std::function<void()> DuringDownload;
  std::function<void()> DuringRead;

  int StartConnection() override { return Note("start", StartResult); }
  int StopConnection() override { return Note("stop", 0); }
  int ConnectHost() override { return Note("host", 0); }
  int ReadControlFile() override {
    if (DuringRead) DuringRead();
    return Note("read", ReadResult);
  }
  int CheckVersion() override { return Note("check", VersionResult); }
  int RunActions() override { return Note("actions", ActionsResult); }
  std::unique_ptr<TStringList> GetWhatsNew() override {
    Note("whatsnew", 0);
    return HasWhatsNew ? Text({"Version 2 brings:", "- faster reads", "- a new window"}) : nullptr;
  }
  std::unique_ptr<TStringList> GetLicense() override {
    Note("license", 0);
    return HasLicense ? Text({"You may use this program.", "No warranty."}) : nullptr;
  }
  int ReadFileList() override {
    FileList()->Clear();
    for (const TEntry& e : Entries) {
      TFileDescription* f = FileList()->Add();
      f->Description = e.Descr;
      f->Mandatory = e.Mandatory;
      f->Hidden = e.Hidden;
      f->FileSize = e.Size;
      f->URL = "http://server/" + e.Descr;
    }
    return Note("list", FileList()->Count());
  }
  int FilterFileList() override { return Note("filter", FileList()->Count() > 0 ? 0 : -1); }
  int DownloadFiles() override {
    std::string names;
    for (int i = 0; i < FileList()->Count(); ++i) names += (i ? "," : "") + FileList()->Items(i)->Description;
    Note("download:" + names, 0);
    if (DuringDownload) DuringDownload();
    return DownloadResult;
  }

 private:
  int Note(const std::string& what, int result) {
    Log += what + " ";
    return result;
  }
  static std::unique_ptr<TStringList> Text(std::initializer_list<const char*> lines) {
    auto t = std::make_unique<TStringList>();
    for (const char* l : lines) t->Add(l);
    return t;
  }
};

TNUWIZ* Wizard() {
  const auto& m = Application->ModalForms();
  return m.empty() ? nullptr : dynamic_cast<TNUWIZ*>(m.back());
}

class WizardTest : public TGuiTest {
 protected:
  WizardTest() {
    engine_ = new TScriptedEngine(Application);
    wizard_ = new TNetUpdateWizard(Application);
    engine_->SetUpdateType(httpUpdate);
    wizard_->SetNetUpdate(engine_);
    wizard_->SetCaption("Update Velmaron");
    // Each automatic pause notes the page it waits on.
    wizard_->PauseFunction = [this] {
      if (TNUWIZ* w = Wizard()) pauses_.push_back(w->PageControl1->ActivePageIndex() + 1);
    };
  }
  ~WizardTest() override {
    delete wizard_;
    delete engine_;
    SetShellOpenHandler(nullptr);
  }

  // Runs the wizard; each step runs on its window from the message loop, one
  // after the other. A window still open after the last step fails the test and is closed.
  void Run(std::vector<std::function<void(TNUWIZ*)>> steps) {
    steps_.assign(steps.begin(), steps.end());
    ++run_;
    Next();
    wizard_->Execute();
    EXPECT_TRUE(steps_.empty()) << steps_.size() << " steps never ran: the wizard closed early";
  }
  void Next() {
    QTimer::singleShot(0, [this, run = run_] {
      TNUWIZ* w = Wizard();
      // A step of an earlier run, or the window is closing.
      if (!w || run != run_ || w->ModalResult() != mrNone) return;
      if (steps_.empty()) {
        ADD_FAILURE() << "the wizard is still open on page " << w->PageControl1->ActivePageIndex() + 1;
        w->Close();
        return;
      }
      auto step = steps_.front();
      steps_.pop_front();
      step(w);
      Next();
    });
  }
  static int Page(TNUWIZ* w) { return w->PageControl1->ActivePageIndex() + 1; }

  TScriptedEngine* engine_;
  TNetUpdateWizard* wizard_;
  std::vector<int> pauses_;
  std::deque<std::function<void(TNUWIZ*)>> steps_;
  int run_ = 0;
};

TEST_F(WizardTest, WithoutAnEngineItRefusesAndAfterwardsTheEngineHasItsHandlersBack) {
  TNetUpdateWizard bare(nullptr);
  try {
    bare.Execute();
    ADD_FAILURE() << "no exception";
  } catch (Exception& e) {
    EXPECT_EQ(e.Message(), "No NetUpdate component assigned");
  }

  int progress = 0, cancels = 0;
  engine_->OnFileProgress = [&](TObject*, const std::string&, int64_t, int64_t) { ++progress; };
  engine_->OnProgressCancel = [&](TObject*, bool&) { ++cancels; };
  Run({[&](TNUWIZ* w) {
    EXPECT_EQ(w->Caption(), "Update Velmaron");
    bool cancel = false;
    engine_->OnProgressCancel(engine_, cancel);
    engine_->OnFileProgress(engine_, "x", 1, 2);
    EXPECT_EQ(cancels + progress, 0) << "the form takes the two events while it runs";
    w->Close();
  }});
  bool cancel = false;
  engine_->OnProgressCancel(engine_, cancel);
  engine_->OnFileProgress(engine_, "x", 1, 2);
  EXPECT_EQ(cancels, 1);
  EXPECT_EQ(progress, 1);
  EXPECT_EQ(engine_->Log, "stop ") << "closing stops the connection and nothing else ran";

  TNetUpdateWizardLanguage* lang = new TNetUpdateWizardLanguage(Application);
  wizard_->SetLanguage(lang);
  delete lang;
  EXPECT_EQ(wizard_->Language(), nullptr) << "a freed language is forgotten";
  delete engine_;
  engine_ = nullptr;
  EXPECT_EQ(wizard_->NetUpdate(), nullptr) << "a freed engine is forgotten";
}

TEST_F(WizardTest, AutoStartAndAutoRunGoThroughEveryPageWithoutAClick) {
  engine_->HasWhatsNew = true;
  engine_->Entries = {{"Program"}, {"Help file"}};
  wizard_->SetAutoStart(true);
  wizard_->SetAutoRun(true);
  bool cancelEnabled = true;
  engine_->DuringDownload = [&] {
    TNUWIZ* w = Wizard();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Page(w), 6);
    cancelEnabled = w->CancelButton->Enabled();
  };
  int successes = 0;
  engine_->OnSuccess = [&](TObject*) { ++successes; };
  wizard_->Execute();
  EXPECT_EQ(pauses_, (std::vector<int>{2, 2, 3, 5, 7})) << "350 ms before Start, Get update, Next, Next, Exit";
  EXPECT_FALSE(cancelEnabled) << "nobody is there to cancel";
  EXPECT_EQ(successes, 1);
  EXPECT_EQ(engine_->Log,
            "start read check actions whatsnew license list filter download:Program,Help file stop stop ");
  EXPECT_EQ(engine_->UpdateUpdate(), nuuSilent) << "no question per file inside the wizard";
}

TEST_F(WizardTest, WithoutTextsTheVersionPageLeadsStraightToTheFiles) {
  engine_->Entries = {{"Program"}};
  Run({[&](TNUWIZ* w) {
         EXPECT_EQ(Page(w), 1);
         EXPECT_TRUE(w->StartButton->Default());
         StdClick(w->StartButton);
         EXPECT_EQ(Page(w), 2);
         EXPECT_EQ(w->VersionInfoLabel->Caption(), "New version available.");
         EXPECT_EQ(w->ControlButton->Caption(), "Get update");
         EXPECT_TRUE(w->ControlButton->Enabled());
         StdClick(w->ControlButton);
       },
       [&](TNUWIZ* w) {
         EXPECT_EQ(Page(w), 5) << "no what's new, no licence";
         EXPECT_EQ(w->CheckListBox1->Count(), 1);
         StdClick(w->FilesButton);
       },
       [&](TNUWIZ* w) {
         EXPECT_EQ(Page(w), 7);
         EXPECT_EQ(w->RestartButton->Caption(), "Exit") << "nothing to restart";
         EXPECT_EQ(w->Label8->Caption(), "");
         StdClick(w->RestartButton);
       }});
  // The FTP transport alone connects to its host.
  EXPECT_EQ(engine_->Log.find("host"), std::string::npos);
  engine_->SetUpdateType(ftpUpdate);
  engine_->Log.clear();
  Run({[&](TNUWIZ* w) {
    StdClick(w->StartButton);
    w->Close();
  }});
  EXPECT_EQ(engine_->Log, "start host read check stop ");
}

TEST_F(WizardTest, TheVersionPageSaysWhatTheCheckFound) {
  struct TCase {
    int Result;
    const char* Text;
    const char* Button;
  } cases[] = {{7, "No new version available.", "Exit"},
               {8, "New version available.", "Get update"},
               {9, "New version available.", "Get update"},
               {10, "New version available.", "Get update"},
               {12, "New version available.", "Get update"},
               {11, "New version found :\rCurrent version : \rNew version : \r\r", "Get update"}};
  for (const TCase& c : cases) {
    engine_->VersionResult = c.Result;
    engine_->Log.clear();
    Run({[&](TNUWIZ* w) {
      StdClick(w->StartButton);
      EXPECT_EQ(w->VersionInfoLabel->Caption(), c.Text) << c.Result;
      EXPECT_EQ(w->ControlButton->Caption(), c.Button) << c.Result;
      EXPECT_LE(w->VersionInfoLabel->Width(), 300) << "the text wraps at 300 pixels";
      if (c.Result == 7) {
        StdClick(w->ControlButton);
        EXPECT_EQ(engine_->Log, "start read check stop ") << "Exit closes without running the actions";
      } else {
        w->Close();
      }
    }});
  }

  engine_->ReadResult = 4;
  Run({[&](TNUWIZ* w) {
    StdClick(w->StartButton);
    EXPECT_EQ(Page(w), 2);
    EXPECT_EQ(w->VersionInfoLabel->Caption(),
              "Could not connect to update server or no update found on server ...");
    EXPECT_EQ(w->ControlButton->Caption(), "Exit");
    EXPECT_TRUE(w->ControlButton->Enabled());
    StdClick(w->ControlButton);
  }});

  engine_->StartResult = 2;
  engine_->Log.clear();
  Run({[&](TNUWIZ* w) {
    StdClick(w->StartButton);
    EXPECT_TRUE(w->StartButton->Enabled()) << "Start works again when the connection failed";
  }});
  EXPECT_EQ(engine_->Log, "start stop stop ");
}

TEST_F(WizardTest, TheLicencePageWaitsForAChoiceEvenUnderAutoRun) {
  engine_->HasLicense = true;
  engine_->Entries = {{"Program"}};
  wizard_->SetAutoRun(true);
  Run({[&](TNUWIZ* w) {
         StdClick(w->StartButton);
         EXPECT_EQ(Page(w), 4) << "the automatic presses stop at the licence";
         EXPECT_FALSE(w->RAccept->Checked());
         EXPECT_FALSE(w->RNoAccept->Checked());
         EXPECT_TRUE(w->EULAButton->Enabled());
         EXPECT_EQ(w->EULAButton->Caption(), "Next");
         StdClick(w->EULAButton);
         EXPECT_EQ(Page(w), 4) << "a press without a choice does nothing";
         StdClick(w->RNoAccept);
         EXPECT_EQ(w->EULAButton->Caption(), "Exit");
         StdClick(w->RAccept);
         EXPECT_EQ(w->EULAButton->Caption(), "Next");
         StdClick(w->RNoAccept);
         StdClick(w->EULAButton);
       }});
  EXPECT_EQ(engine_->Log.find("list"), std::string::npos) << "refusing closes before the file list";
  EXPECT_NE(engine_->Log.find("stop"), std::string::npos);

  wizard_->SetAutoRun(false);
  engine_->Log.clear();
  Run({[&](TNUWIZ* w) {
         StdClick(w->StartButton);
         StdClick(w->ControlButton);
         EXPECT_EQ(Page(w), 4);
         EXPECT_FALSE(w->EULAButton->Enabled()) << "without a choice the button stays disabled";
         StdClick(w->RAccept);
         EXPECT_TRUE(w->EULAButton->Enabled());
         StdClick(w->EULAButton);
         EXPECT_EQ(Page(w), 5);
         w->Close();
       }});
}

TEST_F(WizardTest, TheFilePageListsVisibleEntriesAndDownloadsOnlyTheCheckedOnes) {
  engine_->Entries = {{"Program", true}, {"Hidden part", false, true}, {"Help file"}, {"Examples"}};
  Run({[&](TNUWIZ* w) {
         StdClick(w->StartButton);
         StdClick(w->ControlButton);
         TCheckListBox* l = w->CheckListBox1;
         ASSERT_EQ(l->Count(), 3) << "a hidden entry has no line";
         EXPECT_EQ(l->Items()->Text(), "Program\r\nHelp file\r\nExamples\r\n");
         for (int i = 0; i < 3; ++i) EXPECT_TRUE(l->Checked(i)) << i;
         EXPECT_FALSE(l->ItemEnabled(0)) << "a mandatory line cannot be unchecked";
         EXPECT_TRUE(l->ItemEnabled(1));
         l->SetChecked(2, false);
         StdClick(w->FilesButton);
       },
       [&](TNUWIZ* w) { StdClick(w->RestartButton); }});
  EXPECT_NE(engine_->Log.find("download:Program,Hidden part,Help file "), std::string::npos) << engine_->Log;

  // Nothing left to download: the wizard says so and closes.
  engine_->Entries = {{"Help file"}};
  engine_->Log.clear();
  Responder().ExpectMessage("No files found for update");
  Run({[&](TNUWIZ* w) {
    StdClick(w->StartButton);
    StdClick(w->ControlButton);
    w->CheckListBox1->SetChecked(0, false);
    StdClick(w->FilesButton);
  }});
  EXPECT_EQ(engine_->Log.find("download"), std::string::npos);

  engine_->Entries.clear();
  Responder().ExpectMessage("No files found for update");
  Run({[&](TNUWIZ* w) {
    StdClick(w->StartButton);
    StdClick(w->ControlButton);
  }});

  // Only hidden entries: nothing to choose, so the file page goes on by itself.
  engine_->Entries = {{"Hidden part", false, true}};
  engine_->Log.clear();
  Run({[&](TNUWIZ* w) {
         StdClick(w->StartButton);
         StdClick(w->ControlButton);
         EXPECT_EQ(Page(w), 7);
         StdClick(w->RestartButton);
       }});
  EXPECT_EQ(pauses_.back(), 5);
}

TEST_F(WizardTest, TheCancelButtonAnswersTheEngineAndEndsTheWizard) {
  engine_->Entries = {{"Program"}};
  bool answered = false;
  engine_->DuringDownload = [&] {
    TNUWIZ* w = Wizard();
    EXPECT_TRUE(w->CancelButton->Enabled());
    bool cancel = false;
    engine_->OnProgressCancel(engine_, cancel);
    EXPECT_FALSE(cancel);
    StdClick(w->CancelButton);
    engine_->OnProgressCancel(engine_, cancel);
    answered = cancel;
    engine_->CancelUpdate();  // what the engine does on a cancel answer
  };
  int successes = 0;
  engine_->OnSuccess = [&](TObject*) { ++successes; };
  Run({[&](TNUWIZ* w) {
    StdClick(w->StartButton);
    StdClick(w->ControlButton);
    StdClick(w->FilesButton);
  }});
  EXPECT_TRUE(answered) << "the Cancel button's flag answers the engine";
  EXPECT_EQ(successes, 0);
}

// A control file slow to come: the page says where it connects, and its button cancels.
TEST_F(WizardTest, WhileConnectingThePageSaysSoAndItsButtonCancels) {
  engine_->SetURL("https://updates.example.org/Downloads/Velmaron_Update.inf");
  bool answered = false;
  engine_->DuringRead = [&] {
    TNUWIZ* w = Wizard();
    EXPECT_EQ(Page(w), 2);
    EXPECT_EQ(w->VersionInfoLabel->Caption(), "Connecting to updates.example.org ...");
    EXPECT_EQ(w->ControlButton->Caption(), "Cancel");
    EXPECT_TRUE(w->ControlButton->Enabled());
    bool cancel = false;
    engine_->OnProgressCancel(engine_, cancel);
    EXPECT_FALSE(cancel);
    StdClick(w->ControlButton);
    engine_->OnProgressCancel(engine_, cancel);
    answered = cancel;
    engine_->ReadResult = 4;  // what a cancelled download of the control file gives
  };
  Run({[&](TNUWIZ* w) { StdClick(w->StartButton); }});
  EXPECT_TRUE(answered) << "the button's press answers the engine's next question";
  EXPECT_EQ(Wizard(), nullptr) << "the wizard closed";
  EXPECT_EQ(engine_->Log.rfind("start read stop ", 0), 0u) << engine_->Log;
  EXPECT_EQ(engine_->Log.find("check"), std::string::npos) << "nothing after the cancel";
}

// Painting each 4 KB block would cost more than the transfer: the bars follow at
// most about 30 times a second, but a new file and a file's end always show.
TEST_F(WizardTest, ProgressShowsAtMostThirtyTimesASecond) {
  engine_->Entries = {{"Program", false, false, 100000}};
  TFakeClock clock;
  engine_->DuringDownload = [&] {
    TNUWIZ* w = Wizard();
    SetClock(&clock);
    engine_->OnFileProgress(engine_, "/app/velmaron_NEW", 4096, 100000);
    EXPECT_EQ(w->FileProgress->Position(), 4096) << "a new file shows at once";
    for (int pos = 8192; pos < 50000; pos += 4096) engine_->OnFileProgress(engine_, "/app/velmaron_NEW", pos, 100000);
    EXPECT_EQ(w->FileProgress->Position(), 4096) << "within the same 33 ms nothing more";
    clock.Advance(34e6);
    engine_->OnFileProgress(engine_, "/app/velmaron_NEW", 50000, 100000);
    EXPECT_EQ(w->FileProgress->Position(), 50000);
    engine_->OnFileProgress(engine_, "/app/velmaron_NEW", 100000, 100000);
    EXPECT_EQ(w->FileProgress->Position(), 100000) << "the end of a file always shows";
    engine_->OnFileProgress(engine_, "/app/help.txt", 10, 20);
    EXPECT_EQ(w->FileLabel->Caption(), "help.txt") << "so does a new file";
    SetClock(nullptr);
  };
  Run({[&](TNUWIZ* w) {
         StdClick(w->StartButton);
         StdClick(w->ControlButton);
         StdClick(w->FilesButton);
       },
       [&](TNUWIZ* w) { StdClick(w->RestartButton); }});
}

TEST_F(WizardTest, ClosingTheWindowMidTransferCancelsAndPressesNothingMore) {
  engine_->Entries = {{"Program"}};
  bool answered = false;
  engine_->DuringDownload = [&] {
    TNUWIZ* w = Wizard();
    w->Close();
    bool cancel = false;
    engine_->OnProgressCancel(engine_, cancel);
    answered = cancel;
    EXPECT_EQ(Wizard(), w) << "still open while the transfer runs";
  };
  int successes = 0;
  engine_->OnSuccess = [&](TObject*) { ++successes; };
  wizard_->SetAutoRun(true);
  wizard_->SetAutoStart(true);
  wizard_->Execute();
  EXPECT_TRUE(answered);
  EXPECT_EQ(successes, 0) << "a closed wizard finishes nothing";
  EXPECT_EQ(pauses_, (std::vector<int>{2, 2, 5})) << "and presses no button after the close";
}

TEST_F(WizardTest, AFailedDownloadIsToldAndEndsTheWizard) {
  engine_->Entries = {{"Program"}};
  engine_->DownloadResult = -1;
  int successes = 0;
  engine_->OnSuccess = [&](TObject*) { ++successes; };
  Responder().ExpectMessage("Failed to download updates");
  Run({[&](TNUWIZ* w) {
    StdClick(w->StartButton);
    StdClick(w->ControlButton);
    StdClick(w->FilesButton);
  }});
  EXPECT_EQ(successes, 0);
  EXPECT_TRUE(engine_->Cancelled());

  // An input/output error of the engine's files (a full disk) is shown by the application; the wizard ends.
  engine_->DuringDownload = [] { throw EInOutError(ENOSPC, "Cannot write the temporary file for x: disk full"); };
  engine_->Log.clear();
  Responder().ExpectMessage("Cannot write the temporary file for x: disk full");
  Run({[&](TNUWIZ* w) {
    StdClick(w->StartButton);
    StdClick(w->ControlButton);
    StdClick(w->FilesButton);
  }});
  EXPECT_EQ(Screen->Cursor(), crDefault);
  EXPECT_EQ(engine_->Log.substr(engine_->Log.size() - 5), "stop ") << engine_->Log;
}

TEST_F(WizardTest, ProgressShowsTheFileAndBothBars) {
  engine_->Entries = {{"Program", false, false, 3000}, {"Help", false, false, 1000}};
  engine_->DuringDownload = [&] {
    TNUWIZ* w = Wizard();
    engine_->FileList()->CurrentIndex = 1;
    engine_->OnFileProgress(engine_, "/home/u/app/help.cab", 250, 1000);
    EXPECT_EQ(w->FileLabel->Caption(), "help.cab");
    EXPECT_EQ(w->FileProgress->Max(), 1000);
    EXPECT_EQ(w->FileProgress->Position(), 250);
    EXPECT_EQ(w->TotalProgress->Max(), 4000);
    EXPECT_EQ(w->TotalProgress->Position(), 3250) << "the files before count whole";
    engine_->OnFileProgress(engine_, "C:\\dir\\big.bin", int64_t(6) << 30, int64_t(8) << 30);
    EXPECT_EQ(w->FileLabel->Caption(), "big.bin");
    EXPECT_GT(w->FileProgress->Max(), 0) << "sizes past 2 GB still make a bar";
    EXPECT_NEAR(double(w->FileProgress->Position()) / w->FileProgress->Max(), 0.75, 0.001);
  };
  Run({[&](TNUWIZ* w) {
         StdClick(w->StartButton);
         StdClick(w->ControlButton);
         StdClick(w->FilesButton);
       },
       [&](TNUWIZ* w) { StdClick(w->RestartButton); }});
}

TEST_F(WizardTest, ViewInNotepadSavesTheTextPrivatelyAndOpensIt) {
  engine_->HasWhatsNew = true;
  engine_->HasLicense = true;
  std::vector<std::string> opened;
  SetShellOpenHandler([&](const std::string& verb, const std::string& file) {
    opened.push_back(verb + " " + file);
    return true;
  });
  Run({[&](TNUWIZ* w) {
    StdClick(w->StartButton);
    EXPECT_EQ(w->ViewinNotepad1->Caption(), "View in Notepad");
    StdClick(w->ControlButton);
    EXPECT_EQ(w->WhatsNewMemo->PopupMenu(), w->PopupMenu1);
    w->ViewinNotepad1->Click();
    StdClick(w->NewButton);
    w->ViewinNotepad2->Click();
    w->Close();
  }});
  ASSERT_EQ(opened.size(), 2u);
  std::string dir = opened[0].substr(5, opened[0].rfind('/') - 5);
  EXPECT_EQ(opened[0], "open " + dir + "/whatsnew.txt");
  EXPECT_EQ(opened[1], "open " + dir + "/eula.txt");
  struct stat st {};
  ASSERT_EQ(::stat(dir.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u) << "nobody else can read or plant the texts";
  std::ifstream in(dir + "/eula.txt");
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "You may use this program.\r\nNo warranty.\r\n");
  std::filesystem::remove_all(dir);
}

TEST_F(WizardTest, LanguageTextsReachEveryControlAndButtonsFitThem) {
  auto* lang = new TNetUpdateWizardLanguage(Application);
  TNetUpdateWizardLanguage defaults(nullptr);
  EXPECT_EQ(defaults.Welcome, "Press start to begin checking for available application updates ...");
  lang->Welcome = "Willkommen";
  lang->StartButton = "Beginnen Sie jetzt mit der Suche";
  lang->NextButton = "Weiter";
  lang->ExitButton = "Beenden";
  lang->GetUpdateButton = "Aktualisierung holen";
  lang->NewVersionAvail = "Neue Version.";
  lang->ComponentsAvail = "Teile";
  lang->WhatsNewPopup = "Im Editor zeigen";
  TNetUpdateWizardLanguage copy(nullptr);
  copy.Assign(lang);
  EXPECT_EQ(copy.StartButton, lang->StartButton);
  EXPECT_EQ(copy.WhatsNewPopup, lang->WhatsNewPopup);
  EXPECT_EQ(copy.TotalProgress, defaults.TotalProgress);
  wizard_->SetLanguage(lang);
  engine_->Entries = {{"Program"}};
  Run({[&](TNUWIZ* w) {
    EXPECT_EQ(w->WelcomeLabel->Caption(), "Willkommen");
    TButton* b = w->StartButton;
    w->Canvas()->SetFont(b->Font());
    EXPECT_EQ(b->Width(), w->Canvas()->TextWidth(b->Caption()) + 16) << "widened to its caption";
    EXPECT_EQ(b->Left() + b->Width(), w->PageControl1->Width()) << "keeping its right edge";
    StdClick(b);
    EXPECT_EQ(w->VersionInfoLabel->Caption(), "Neue Version.");
    EXPECT_EQ(w->ControlButton->Caption(), "Aktualisierung holen");
    EXPECT_EQ(w->ViewinNotepad1->Caption(), "Im Editor zeigen");
    int wide = w->ControlButton->Width();
    w->ControlButton->SetCaption("X");
    w->FitButton(w->ControlButton);
    EXPECT_EQ(w->ControlButton->Width(), wide) << "never narrower";
    w->ControlButton->SetCaption("Aktualisierung holen");
    StdClick(w->ControlButton);
    EXPECT_EQ(w->Label3->Caption(), "Teile");
    EXPECT_EQ(w->FilesButton->Caption(), "Weiter");
    w->Close();
  }});
  delete lang;
}

TEST_F(WizardTest, TheFormTakesTheWizardsLookAndFrame) {
  TBitmap art(116, 201);
  art.Canvas()->Brush()->SetColor(clNavy);
  art.Canvas()->FillRect(TRect(0, 0, 116, 201));
  wizard_->SetBillBoard(&art);
  art.Canvas()->Brush()->SetColor(clRed);
  art.Canvas()->FillRect(TRect(0, 0, 116, 201));
  TFont font;
  font.SetName("Courier New");
  font.SetHeight(-15);
  wizard_->SetFont(&font);
  font.SetHeight(-30);
  wizard_->SetPosition(poDesktopCenter);
  Run({[&](TNUWIZ* w) {
    EXPECT_EQ(w->BorderStyle(), bsDialog);
    EXPECT_EQ(w->Position(), poDesktopCenter);
    EXPECT_EQ(w->Font()->Name(), "Courier New");
    EXPECT_EQ(w->Font()->Height(), -15) << "the wizard keeps its own copy of the font";
    EXPECT_EQ(w->StartButton->Font()->Height(), -15) << "and the controls follow the form";
    auto* shown = dynamic_cast<TBitmap*>(w->Billboard->Picture()->Graphic());
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->Canvas()->Pixels(5, 5), clNavy) << "the billboard is the wizard's copy";
    EXPECT_EQ(w->Shape1->Pen()->Color(), clBtnFace) << "the frame disappears in a dialog border";
    EXPECT_EQ(w->Shape1->Pen()->Width(), 0);
    EXPECT_EQ(w->ClientWidth(), 474);
    w->Close();
  }});

  wizard_->SetBorderStyle(bsNone);
  Run({[&](TNUWIZ* w) {
    EXPECT_EQ(w->BorderStyle(), bsNone);
    EXPECT_NE(w->Shape1->Pen()->Color(), clBtnFace) << "without a border the shape is the frame";
    EXPECT_EQ(w->ClientWidth(), w->Shape1->Width() + 2);
    EXPECT_EQ(w->ClientHeight(), w->Shape1->Height() + 2);
    w->Close();
  }});
}

TEST_F(WizardTest, EveryPageLooksRight) {
  engine_->HasWhatsNew = true;
  engine_->HasLicense = true;
  engine_->VersionResult = 8;
  engine_->Entries = {{"Velmaron program", true}, {"Help file"}, {"Device definitions"}};
  wizard_->Font()->SetHeight(-12);
  auto shot = [](TNUWIZ* w, int page) {
    EXPECT_TRUE(SaveControlImage(w, TestImagePath("wizard-page" + std::to_string(page) + ".png")));
  };
  engine_->DuringDownload = [&] {
    TNUWIZ* w = Wizard();
    engine_->FileList()->CurrentIndex = 1;
    engine_->OnFileProgress(engine_, "/opt/velmaron/Velmaron.hlp", 600, 1000);
    shot(w, 6);
  };
  Run({[&](TNUWIZ* w) {
         shot(w, 1);
         StdClick(w->StartButton);
         shot(w, 2);
         StdClick(w->ControlButton);
         shot(w, 3);
         StdClick(w->NewButton);
         StdClick(w->RAccept);
         shot(w, 4);
         StdClick(w->EULAButton);
         w->CheckListBox1->SetChecked(2, false);
         shot(w, 5);
         StdClick(w->FilesButton);
       },
       [&](TNUWIZ* w) {
         shot(w, 7);
         StdClick(w->RestartButton);
       }});
}

}  // namespace

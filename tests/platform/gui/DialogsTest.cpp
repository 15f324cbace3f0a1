#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/testing/GuiTest.h"
#include "tests/platform/rtl/TestSupport.h"

namespace {

class Dialogs : public TGuiTest {};

TEST_F(Dialogs, TheResponderAnswersFromItsScript) {
  Responder().ExpectMessage("Overwrite", mrYes).ExpectMessage("Really", mrNo);
  EXPECT_EQ(MessageDlg("Overwrite the device?", mtConfirmation, mbYesNo, 0), mrYes);
  EXPECT_EQ(MessageBox(nullptr, "Really?", "Velmaron", MB_YESNO | MB_ICONQUESTION), IDNO);
  ASSERT_EQ(Responder().Seen().size(), 2u);
  EXPECT_EQ(Responder().Seen()[0].Type, mtConfirmation);
  EXPECT_EQ(Responder().Seen()[0].Caption, "Confirm");
  EXPECT_EQ(Responder().Seen()[1].Buttons, mbYesNo);

  std::string v = "50";
  Responder().ExpectInput("Clock", "100");
  EXPECT_TRUE(InputQuery("Frequency", "Clock in KHz", v));
  EXPECT_EQ(v, "100");
  Responder().ExpectInput("Clock", "7", false);
  EXPECT_FALSE(InputQuery("Frequency", "Clock in KHz", v));
  EXPECT_EQ(v, "100") << "a cancelled query keeps the value";
}

TEST_F(Dialogs, AnUnexpectedDialogFailsTheTestAndDoesNotBlock) {
  int result = -1;
  EXPECT_NONFATAL_FAILURE(result = MessageDlg("Surprise", mtWarning, mbYesNoCancel, 0), "Unexpected message box");
  EXPECT_EQ(result, mrCancel);
  EXPECT_NONFATAL_FAILURE(ShowMessage("Hello"), "nothing expected");
  Responder().ExpectMessage("something else");
  EXPECT_NONFATAL_FAILURE(result = MessageDlg("Other text", mtError, mbOK, 0), "expected a message box");
  EXPECT_EQ(result, mrOk);
  Responder().Reset();
  Responder().ExpectSave("x.mem");
  EXPECT_NONFATAL_FAILURE(Responder().Verify(), "never came");
}

TEST_F(Dialogs, SaveDialogAddsTheDefaultExtensionAndAsksBeforeOverwriting) {
  namespace fs = std::filesystem;
  const TTempDir scratch;
  const fs::path dir = scratch.Path();
  std::ofstream(dir / "old.mem") << "x";
  auto* f = new TForm(Application);
  auto* d = new TSaveDialog(f);
  d->SetDefaultExt("mem");
  d->SetFilter("Mem files (*.mem)|*.mem|All files (*.*)|*.*");
  d->SetOptions(ofOverwritePrompt | ofHideReadOnly);
  int typeChanges = 0;
  d->OnTypeChange = [&](TObject*) { ++typeChanges; };

  Responder().ExpectSave((dir / "new").string());
  EXPECT_TRUE(d->Execute());
  EXPECT_EQ(d->FileName(), (dir / "new.mem").string());

  Responder().ExpectSave((dir / "old.mem").string()).ExpectMessage("already exists", IDNO);
  EXPECT_FALSE(d->Execute());
  EXPECT_EQ(d->FileName(), (dir / "new.mem").string()) << "refusing to overwrite keeps the old choice";

  Responder().ExpectSave((dir / "old.mem").string(), 2).ExpectMessage("already exists", IDYES);
  EXPECT_TRUE(d->Execute());
  EXPECT_EQ(d->FilterIndex(), 2);
  EXPECT_EQ(typeChanges, 1);

  Responder().ExpectSave("");
  EXPECT_FALSE(d->Execute()) << "cancelled";
}

// The real file dialog, driven by keys: the type chosen in it decides the extension a bare
// name gets, as the program's type handler sets it, and each type is listed once.
TEST_F(Dialogs, TheRealSaveDialogNamesTheFileAfterTheTypeChosenInIt) {
  namespace fs = std::filesystem;
  const TTempDir scratch;
  const fs::path dir = scratch.Path();
  auto* d = new TSaveDialog(Application);
  d->SetFilter("mem files (*.mem)|*.mem|hex files (*.hex)|*.hex|Binary|*.bin");
  d->SetDefaultExt("mem");
  d->SetInitialDir(dir.string());
  d->OnTypeChange = [d](TObject*) {
    const char* ext[] = {"mem", "hex", "bin"};
    d->SetDefaultExt(ext[d->FilterIndex() - 1]);
  };
  struct Case {
    int downs;
    const char* typed;
    const char* saved;
  };
  const Case cases[] = {{1, "b", "b.hex"}, {2, "c", "c.bin"}, {0, "e.txt", "e.txt"}};
  SetDialogResponder(nullptr);
  for (const Case& c : cases) {
    d->SetFilterIndex(1);
    d->SetDefaultExt("mem");
    d->SetFileName("");
    std::vector<std::string> labels;
    QTimer::singleShot(0, [&] {
      auto* fd = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!fd) return;
      auto* types = fd->findChild<QComboBox*>("fileTypeCombo");
      auto* name = fd->findChild<QLineEdit*>("fileNameEdit");
      if (types && name) {
        for (int i = 0; i < types->count(); ++i) labels.push_back(types->itemText(i).toStdString());
        for (int i = 0; i < c.downs; ++i) QTest::keyClick(types, Qt::Key_Down);
        QTest::keyClicks(name, c.typed);
        QTest::keyClick(name, Qt::Key_Return);
      }
      if (fd->isVisible()) fd->reject();
    });
    EXPECT_TRUE(d->Execute()) << c.typed;
    EXPECT_EQ(d->FileName(), (dir / c.saved).string());
    EXPECT_EQ(labels, std::vector<std::string>({"mem files (*.mem)", "hex files (*.hex)", "Binary (*.bin)"}));
  }
  SetDialogResponder(&Responder());
  delete d;
}

TEST_F(Dialogs, OpenDialogChecksTheFileAndParsesFilters) {
  auto* d = new TOpenDialog(Application);
  d->SetOptions(ofFileMustExist | ofHideReadOnly);
  Responder().ExpectOpen("/nonexistent/file.hex").ExpectMessage("File not found");
  EXPECT_FALSE(d->Execute());
  auto f = TOpenDialog::ParseFilter("Hex files (*.hex)|*.hex;*.ihx|All files (*.*)|*.*");
  ASSERT_EQ(f.size(), 2u);
  EXPECT_EQ(f[0].first, "Hex files (*.hex)");
  EXPECT_EQ(f[0].second, "*.hex;*.ihx");
  EXPECT_EQ(f[1].second, "*.*");
  ASSERT_EQ(Responder().Seen().size(), 2u);
  EXPECT_EQ(Responder().Seen()[0].Kind, dkOpenFile);
  delete d;
}

TEST_F(Dialogs, ShellOpenAndBeepAreInjectable) {
  std::vector<std::string> opened;
  SetShellOpenHandler([&](const std::string& verb, const std::string& file) {
    opened.push_back(verb + " " + file);
    return true;
  });
  EXPECT_GT(ShellExecute(nullptr, "open", "mailto:someone@example.com", "", "", SW_SHOWNORMAL), 32);
  EXPECT_EQ(opened, (std::vector<std::string>{"open mailto:someone@example.com"}));
  SetShellOpenHandler(nullptr);
  int beeps = BeepCount();
  MessageBeep(0);
  EXPECT_EQ(BeepCount(), beeps + 1);
  SetKeyToggleState(VK_NUMLOCK, true);
  EXPECT_EQ(GetKeyState(VK_NUMLOCK) & 1, 1);
  SetKeyToggleState(VK_NUMLOCK, false);
  EXPECT_EQ(GetKeyState(VK_NUMLOCK) & 1, 0);
}

}  // namespace

// A box opens over the window that asked, and in the stay-on-top layer whenever a window of the
// program stays on top: else that window hides the box, and the program looks frozen.
TEST_F(Dialogs, BoxesOpenOverTheWindowThatAskedAndAboveStayOnTopWindows) {
  auto* frame = new TForm(Application);
  Application->SetMainForm(frame);
  frame->SetFormStyle(fsMDIForm);
  frame->SetBounds(0, 0, 500, 400);
  frame->Show();
  auto* child = new TForm(Application);
  child->SetFormStyle(fsMDIChild);
  auto* childEdit = new TEdit(child);
  childEdit->SetParent(child);
  child->Show();
  auto* dialog = new TForm(Application);
  dialog->SetFormStyle(fsStayOnTop);
  auto* tool = new TForm(Application);
  tool->SetFormStyle(fsStayOnTop);
  tool->SetBorderStyle(bsToolWindow);
  auto* plain = new TForm(Application);
  struct Case {
    const char* name;
    std::vector<TForm*> shown;  // in order; the last one shown is active
    TWinControl* asker;
    TCustomForm* owner;
    bool onTop;
  };
  const Case cases[] = {
      {"the active MDI child asks: over its frame", {child}, nullptr, frame, false},
      {"a stay-on-top dialog asks", {dialog}, nullptr, dialog, true},
      {"a plain window asks", {plain}, nullptr, plain, false},
      {"a tool window is open: the frame's box stays on top", {tool, frame}, nullptr, frame, true},
      {"the window named by the asker, not the active one", {plain, tool}, childEdit, frame, true},
      {"a hidden stay-on-top window covers nothing", {child}, nullptr, frame, false},
  };
  for (const Case& c : cases) {
    for (TForm* f : {dialog, tool, plain}) f->Hide();
    for (TForm* f : c.shown) {
      f->Show();
      f->BringToFront();
    }
    Responder().ExpectMessage("Sure?", mrYes);
    EXPECT_EQ(MessageBox(c.asker ? c.asker->Handle() : nullptr, "Sure?", "Q", MB_YESNO), IDYES) << c.name;
    ASSERT_FALSE(Responder().Seen().empty());
    EXPECT_EQ(Responder().Seen().back().Owner, c.owner) << c.name;
    EXPECT_EQ(Responder().Seen().back().StayOnTop, c.onTop) << c.name;
  }

  // The real box: the owner's transient, staying on top.
  for (TForm* f : {tool, plain}) f->Hide();
  dialog->Show();
  SetDialogResponder(nullptr);
  QWidget* parent = nullptr;
  bool onTop = false;
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    if (!box) return;
    parent = box->parentWidget();
    onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    QTest::keyClick(box, Qt::Key_Escape);
  });
  MessageDlg("Are you sure?", mtConfirmation, mbYesNo, 0);
  SetDialogResponder(&Responder());
  EXPECT_EQ(parent, dialog->Peer());
  EXPECT_TRUE(onTop);
  Application->SetMainForm(nullptr);
  for (TForm* f : {dialog, tool, plain, child, frame}) delete f;
}

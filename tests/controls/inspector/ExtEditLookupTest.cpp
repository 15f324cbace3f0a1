// The typed edit's lookup list, its persistence in INI files, and the typed
// edit as the editor of an inspector row.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QMouseEvent>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "controls/inspector/ExtEdit.h"
#include "controls/inspector/InspLinks.h"
#include "controls/inspector/InspectorBar.h"
#include "platform/gui/Forms.h"
#include "platform/gui/testing/GuiTest.h"
#include "platform/gui/testing/InputEvents.h"
#include "platform/gui/WinWindow.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/SysUtils.h"

namespace {

std::string Items(TStrings* s) {
  std::string out;
  for (int i = 0; i < s->Count(); ++i) out += (i ? "|" : "") + s->Get(i);
  return out;
}

class ExtEditLookup : public TGuiTest {
 protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBounds(0, 0, 300, 120);
    edit = new TExtEdit(form);
    edit->SetName("Fruit");
    edit->SetParent(form);
    edit->SetBounds(10, 10, 200, 24);
    edit->Lookup()->Enabled = true;
    edit->Lookup()->DisplayList()->SetText("banana\napple\napricot\ncherry");
    form->Show();
    edit->SetFocus();
    QApplication::processEvents();
  }
  void TearDown() override {
    delete form;
    TScreen::SetTestMonitors({});
    TGuiTest::TearDown();
  }
  void Type(const std::string& keys) {
    for (char c : keys) SendKeyEvent(edit, std::toupper(static_cast<unsigned char>(c)), Qt::NoModifier, QString(QChar(c)));
  }
  std::string Shown() { return edit->LookupShown() ? Items(edit->LookupWindow()->ListControl->Items()) : "(hidden)"; }
  TForm* form = nullptr;
  TExtEdit* edit = nullptr;
};

TEST_F(ExtEditLookup, MatchesAreSortedAsAPersonReadsThem) {
  const struct {
    const char* List;
    const char* Shown;
  } cases[] = {{"Apricot\napple\napex", "apex|apple|Apricot"},
               {"apple\nAPE\nApricot\napex", "APE|apex|apple|Apricot"},
               {"apple\nApple\nAPPLE", "APPLE|Apple|apple"}};  // the same without case: as written
  for (const auto& c : cases) {
    SCOPED_TRACE(c.List);
    edit->SetText("");
    edit->Lookup()->DisplayList()->SetText(c.List);
    Type("ap");
    EXPECT_EQ(Shown(), c.Shown);
  }
}

TEST_F(ExtEditLookup, ListOpensAfterNumCharsWithSortedMatches) {
  Type("a");
  EXPECT_EQ(Shown(), "(hidden)");
  Type("p");
  EXPECT_EQ(Shown(), "apple|apricot");
  EXPECT_EQ(edit->LookupWindow()->ListControl->ItemIndex(), 0);
  Type("x");
  EXPECT_EQ(Shown(), "(hidden)");
  SendKeyEvent(edit, Qt::Key_Backspace);
  EXPECT_EQ(Shown(), "apple|apricot");
  // Under the edit, where the typed value starts.
  const TRect w = edit->LookupWindow()->BoundsRect();
  EXPECT_EQ(w.Top, edit->ClientOrigin().Y + edit->Height() - 6);
  EXPECT_EQ(w.Bottom - w.Top, 2 * 12 + 4);
  EXPECT_TRUE(edit->LookupWindow()->DropShadow());
}

TEST_F(ExtEditLookup, TheListWidensByTheScrollArrowOnlyWhenMoreMatchThanItShows) {
  edit->Lookup()->DisplayList()->SetText("ap1\nap2\nap3\nap4\nap5\nap6");
  const struct {
    int DisplayCount, Kept, ScrollArrow;
  } cases[] = {{4, 4, 1}, {6, 6, 0}, {0, 6, 0}, {-2, 6, 0}, {5, 5, 1}};  // below 1: no list of no rows
  for (const auto& c : cases) {
    SCOPED_TRACE(c.DisplayCount);
    edit->Lookup()->SetDisplayCount(c.DisplayCount);
    EXPECT_EQ(edit->Lookup()->DisplayCount(), c.Kept);
    edit->SetText("");
    Type("ap");
    ASSERT_TRUE(edit->LookupShown());
    // The short entries leave the list at its least width of 50.
    EXPECT_EQ(edit->LookupWindow()->Width(), 50 + c.ScrollArrow * GetSystemMetrics(SM_CXHSCROLL) + 10);
    EXPECT_EQ(edit->LookupWindow()->Height(), std::min(6, c.Kept) * 12 + 4);
    edit->HideLookup();
  }
}

TEST_F(ExtEditLookup, KeysMoveTheSelectionAndReturnChoosesThePairedValue) {
  edit->Lookup()->ValueList()->SetText("B\nA");  // shorter than the display list
  Type("ap");
  SendKeyEvent(edit, Qt::Key_Down);
  SendKeyEvent(edit, Qt::Key_Return);
  EXPECT_EQ(edit->Text(), "apricot");  // beyond the values: the display text
  EXPECT_EQ(Shown(), "(hidden)");
  edit->SetText("");
  Type("ap");
  SendKeyEvent(edit, Qt::Key_End);
  SendKeyEvent(edit, Qt::Key_Home);
  SendKeyEvent(edit, Qt::Key_Return);
  EXPECT_EQ(edit->Text(), "A");  // apple is entry 1, paired with "A"
}

TEST_F(ExtEditLookup, MultiValuesLookUpTheLastPartAndAMouseReleaseChooses) {
  edit->Lookup()->Multi = true;
  int chosenIndex = -1;
  edit->OnLookupIndexSelect = [&](TObject*, int Index, std::string&) { chosenIndex = Index; };
  edit->SetText("a;b;");
  edit->SetSelStart(4);
  Type("ap");
  ASSERT_EQ(Shown(), "apple|apricot");
  QWidget* list = edit->LookupWindow()->ListControl->Peer();
  Qt::MouseButtons held;
  SendMouseEvent(list, QEvent::MouseButtonPress, 5, 3, Qt::LeftButton, Qt::NoModifier, held);
  SendMouseEvent(list, QEvent::MouseButtonRelease, 5, 3, Qt::LeftButton, Qt::NoModifier, held);
  EXPECT_EQ(edit->Text(), "a;b;apple");
  EXPECT_EQ(chosenIndex, 1);
}

TEST(ExtEditLookupPlace, TheListStaysOnTheWorkAreaOfTheEditsScreen) {
  const TRect second(1280, 0, 3200, 1040), small(0, 0, 800, 600);
  struct {
    const char* what;
    TPoint at;
    int w, h;
    TRect edit, work, want;
  } cases[] = {
      {"fits below", {1300, 124}, 100, 52, {1290, 100, 1490, 124}, second, {1300, 124, 1400, 176}},
      {"right edge", {3150, 124}, 100, 52, {2990, 100, 3190, 124}, second, {3100, 124, 3200, 176}},
      {"bottom right: above", {3008, 1018}, 100, 52, {3000, 1000, 3190, 1024}, second, {3008, 948, 3108, 1000}},
      {"left of the screen", {1200, 124}, 100, 52, {1150, 100, 1350, 124}, second, {1280, 124, 1380, 176}},
      {"wider than the screen", {1300, 124}, 3000, 52, {1290, 100, 1490, 124}, second, {1280, 124, 3200, 176}},
      {"too tall: more room below", {18, 268}, 100, 1000, {10, 250, 210, 274}, small, {18, 268, 118, 600}},
      {"too tall: more room above", {18, 418}, 100, 1000, {10, 400, 210, 424}, small, {18, 0, 118, 400}},
      {"edit off the bottom", {18, 608}, 100, 52, {10, 590, 210, 614}, small, {18, 538, 118, 590}},
      {"no room either side", {18, 20}, 100, 52, {10, 4, 210, 26}, {0, 0, 800, 30}, {18, 0, 118, 30}},
  };
  for (const auto& c : cases) {
    const TRect r = ExtEditRules::LookupPlace(c.at, c.w, c.h, c.edit, c.work);
    EXPECT_EQ(std::vector<int>({r.Left, r.Top, r.Right, r.Bottom}),
              std::vector<int>({c.want.Left, c.want.Top, c.want.Right, c.want.Bottom}))
        << c.what;
  }
}

TEST_F(ExtEditLookup, ListOpensOnTheSecondScreenNearItsCorner) {
  // A primary screen with a panel at the bottom, and a second one to its right.
  TScreen::SetTestMonitors({{TRect(0, 0, 1280, 1024), TRect(0, 0, 1280, 994), true},
                            {TRect(1280, 0, 3200, 1080), TRect(1280, 0, 3200, 1040), false}});
  // The form hangs over the screen's right edge, its edit just above the panel.
  form->SetBounds(3150, 1000, 260, 40);
  QApplication::processEvents();
  const TPoint o = edit->ClientOrigin();
  ASSERT_GE(o.X, 3150);
  Type("ap");
  ASSERT_EQ(Shown(), "apple|apricot");
  const TRect w = edit->LookupWindow()->BoundsRect();
  EXPECT_EQ(w.Right, 3200);  // pushed left to stay on the screen
  EXPECT_LT(w.Left, o.X + 8);
  // No room below the edit on its screen: the list opens above it.
  EXPECT_EQ(w.Bottom, o.Y);
  EXPECT_EQ(w.Bottom - w.Top, 2 * 12 + 4);
}

TEST_F(ExtEditLookup, TheCornerSizesTheListWhichKeepsItsWidthWhileShown) {
  Type("ap");
  TListHintWindow* win = edit->LookupWindow();
  const int w0 = win->Width(), h0 = win->Height();
  QWidget* list = win->ListControl->Peer();
  // The list fills the window inside its one-pixel frame: the window's corner is near the list's.
  const int cx = win->ListControl->Width() - 3, cy = win->ListControl->Height() - 3;
  Qt::MouseButtons held;
  SendMouseEvent(list, QEvent::MouseButtonPress, cx, cy, Qt::LeftButton, Qt::NoModifier, held);
  SendMouseEvent(list, QEvent::MouseMove, cx + 40, cy + 30, Qt::LeftButton, Qt::NoModifier, held);
  SendMouseEvent(list, QEvent::MouseButtonRelease, cx + 40, cy + 30, Qt::LeftButton, Qt::NoModifier, held);
  EXPECT_EQ(win->Width(), w0 + 40);
  EXPECT_EQ(win->Height(), h0 + 30);
  EXPECT_EQ(win->ListControl->Width(), w0 + 38);
  EXPECT_EQ(edit->Text(), "ap");  // sizing chooses nothing
  EXPECT_TRUE(edit->LookupShown());
  Type("r");
  EXPECT_EQ(Shown(), "apricot");
  EXPECT_EQ(win->Width(), w0 + 40);
  EXPECT_EQ(win->Height(), 12 + 4);
  // Away from the corner a click still chooses.
  SendMouseEvent(list, QEvent::MouseButtonPress, 5, 3, Qt::LeftButton, Qt::NoModifier, held);
  SendMouseEvent(list, QEvent::MouseButtonRelease, 5, 3, Qt::LeftButton, Qt::NoModifier, held);
  EXPECT_EQ(edit->Text(), "apricot");
}

TEST_F(ExtEditLookup, TheListHidesWhenTheEditsWindowLosesTheFocusOrModesAreCancelled) {
  Type("ap");
  ASSERT_TRUE(edit->LookupShown());
  edit->Perform(WM_CANCELMODE);
  EXPECT_FALSE(edit->LookupShown());
  Type("r");
  ASSERT_TRUE(edit->LookupShown());
  edit->Perform(WM_KILLFOCUS);
  EXPECT_FALSE(edit->LookupShown());
}

// ---------------------------------------------------------------- persistence
class ExtEditPersistence : public TGuiTest {
 protected:
  void SetUp() override {
    dir = std::string(::testing::TempDir()) + "extedit-" + std::to_string(::getpid()) + "-" +
          ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ForceDirectories(dir);
    ini = dir + "/edits.ini";
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    TGuiTest::TearDown();
  }
  std::unique_ptr<TExtEdit> Make() {
    auto e = std::make_unique<TExtEdit>(nullptr);
    e->SetName("Fruit");
    e->Lookup()->Enabled = true;
    e->Lookup()->History = true;
    e->Lookup()->DisplayList()->SetText("apple\npear");
    e->Lookup()->ValueList()->SetText("1\n2");
    e->Persistence()->Enable = true;
    e->Persistence()->Key = ini;
    e->Persistence()->Section = "Edits";
    return e;
  }
  void Write(const std::string& text) { std::ofstream(ini, std::ios::binary) << text; }
  std::string dir, ini;
};

TEST_F(ExtEditPersistence, TenSaveAndLoadCyclesKeepTheListsTheSameSize) {
  for (int run = 0; run < 10; ++run) {
    auto e = Make();
    e->Lookup()->DisplayList()->SetText(run ? "" : "apple\npear");  // after the first run the file holds them
    e->LoadPersistence();
    EXPECT_EQ(Items(e->Lookup()->DisplayList()), "apple|pear") << run;
    EXPECT_EQ(Items(e->Lookup()->ValueList()), "1|2") << run;
    if (run == 0) e->SetText("kiwi");
    EXPECT_EQ(e->Text(), "kiwi");
  }  // each edit saves as it goes
  TMemIniFile check(ini);
  EXPECT_EQ(check.ReadString("Edits", "LOOKUPCOUNT", ""), "2");
}

TEST_F(ExtEditPersistence, TheRegistryKeepsTheValueAndTheListsAlike) {
  TRegistry::SetStoreDirectory(dir + "/cfg");
  for (int run = 0; run < 3; ++run) {
    auto e = Make();
    e->Persistence()->Location = plRegistry;
    e->Persistence()->Key = "Software\\Dalmire\\EditTest";
    e->LoadPersistence();
    EXPECT_EQ(Items(e->Lookup()->DisplayList()), run ? "apple|pear|fig" : "apple|pear") << run;
    EXPECT_EQ(Items(e->Lookup()->ValueList()), "1|2") << run;
    if (run == 0) {
      e->Lookup()->DisplayList()->Add("fig");
      e->SetText("kiwi");
    }
    EXPECT_EQ(e->Text(), "kiwi");
  }
  TRegistry::SetStoreDirectory("");
}

TEST_F(ExtEditPersistence, ADamagedFileChangesOnlyWhatItCanRead) {
  Write("[Edits]\nLOOKUPCOUNT=2147483647\nLOOKUPDISPL1=fig\nLOOKUPVAL1=\nLOOKUPDISPL2=\nLOOKUPVAL2=x\n"
        "LOOKUPDISPL3=lime\nLOOKUPVAL3=3\ngarbage without equals\n\x01\xff=\nFruit=@\n");
  auto e = Make();
  e->SetText("designed");
  e->LoadPersistence();
  // The count is capped by the keys there; an empty value keeps its place; an empty entry is left out.
  EXPECT_EQ(Items(e->Lookup()->DisplayList()), "fig|lime");
  EXPECT_EQ(Items(e->Lookup()->ValueList()), "|3");
  EXPECT_EQ(e->Text(), "designed");  // "@" is a value that was never saved
  e->SavePersistence();  // two entries now: what the longer list wrote past them goes
  EXPECT_EQ(TMemIniFile(ini).ReadString("Edits", "LOOKUPDISPL3", "gone"), "gone");
  e->Persistence()->Enable = false;
}

TEST_F(ExtEditPersistence, AValueThatDoesNotFitTheTypeIsLeftAlone) {
  Write("[Edits]\nFruit=12abc\n");
  auto e = Make();
  e->SetEditType(etNumeric);
  e->SetText("7");
  e->LoadPersistence();
  EXPECT_EQ(e->Text(), "7");
  e->Persistence()->Enable = false;
}

TEST_F(ExtEditPersistence, AFileThatIsNoRegularFileIsRefusedWithoutBlockingAndKept) {
  ASSERT_EQ(::mkfifo(ini.c_str(), 0600), 0);
  {
    auto e = Make();
    Responder().ExpectMessage("");
    e->LoadPersistence();  // a FIFO would block a plain read
    EXPECT_EQ(Items(e->Lookup()->DisplayList()), "apple|pear");
    Responder().ExpectMessage("");
  }  // saving reports and goes on: the destructor never throws
  struct stat st {};
  ASSERT_EQ(::stat(ini.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  ::unlink(ini.c_str());
}

TEST_F(ExtEditPersistence, TheDefaultFileLivesInTheSettingsFolder) {
  EXPECT_EQ(ExtractFileDir(TExtEdit::DefaultIniFile()), ExcludeTrailingPathDelimiter(UserConfigDir()));
  EXPECT_EQ(ExtractFileExt(TExtEdit::DefaultIniFile()), ".ini");
  auto e = Make();
  e->Persistence()->Key.clear();
  e->LoadPersistence();
  EXPECT_EQ(e->Persistence()->Key, TExtEdit::DefaultIniFile());
  e->Persistence()->Enable = false;
}

// ---------------------------------------------------------------- inspector link
class AEInspectorLink : public TGuiTest {
 protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBounds(0, 0, 260, 200);
    bar = new TInspectorBar(form);
    bar->SetParent(form);
    bar->SetWidth(200);
    bar->SetHeight(180);
    link = new TAEInspectorEditLink(form);
    TInspectorPanel* p = bar->Panels()->Add();
    p->SetCaption("Setup");
    row = p->Items()->Add();
    row->SetCaption("Code");
    row->SetPropertyType(ptCustom);
    row->SetEditLink(link);
    other = p->Items()->Add();
    other->SetCaption("Other");
    other->SetPropertyType(ptText);
    form->Show();
    QApplication::processEvents();
  }
  void TearDown() override {
    delete form;
    TGuiTest::TearDown();
  }
  void Key(int key, QString text = {}) { ASSERT_TRUE(SendKeyToFocus(key, text)); }
  TExtEdit* Edit() { return dynamic_cast<TExtEdit*>(link->GetEditor()); }
  TForm* form = nullptr;
  TInspectorBar* bar = nullptr;
  TAEInspectorEditLink* link = nullptr;
  TInspectorItem *row = nullptr, *other = nullptr;
};

TEST_F(AEInspectorLink, EditsTheRowBetweenPrefixAndSuffix) {
  link->Prefix = "#";
  struct {
    const char* row;
    const char* shown;
    const char* stored;
  } cases[] = {{"#12", "12", "#123"}, {"12", "12", "#123"}, {"#", "", "#3"}};
  for (const auto& c : cases) {
    row->SetTextValue(c.row);
    bar->StartEdit(row);
    ASSERT_NE(Edit(), nullptr);
    EXPECT_TRUE(Edit()->Visible());
    EXPECT_EQ(Edit()->Text(), c.shown) << c.row;
    EXPECT_EQ(Edit()->TCustomEdit::Text(), std::string("#") + c.shown);
    Edit()->SetSelStart(static_cast<int>(Edit()->TCustomEdit::Text().size()));
    Key('3', "3");
    bar->StopEdit(row);
    EXPECT_EQ(row->TextValue(), c.stored) << c.row;
    EXPECT_FALSE(Edit()->Visible());
  }
}

TEST_F(AEInspectorLink, EscapeRestoresAndTheTypeAppliesToTheRow) {
  link->EditType = etNumeric;
  link->Suffix = " ms";
  row->SetTextValue("");
  bar->StartEdit(row);
  ASSERT_NE(Edit(), nullptr);
  EXPECT_EQ(Edit()->TCustomEdit::Text(), "0 ms");
  Edit()->SetSelStart(1);
  Key('7', "7");
  Key('x', "x");
  EXPECT_EQ(Edit()->Text(), "07");
  Key(Qt::Key_Escape, QString(QChar(27)));
  EXPECT_EQ(Edit()->Text(), "0");
  bar->StopEdit(row);
  EXPECT_EQ(row->TextValue(), "0 ms");
}

TEST_F(AEInspectorLink, LeavingTheEditorKeepsWhatWasTyped) {
  auto* outside = new TEdit(form);
  outside->SetParent(form);
  outside->SetBounds(205, 10, 50, 24);
  link->Prefix = "#";
  row->SetTextValue("#12");
  bar->StartEdit(row);
  QApplication::processEvents();
  ASSERT_NE(Edit(), nullptr);
  Edit()->SetSelStart(3);
  Key('3', "3");
  outside->SetFocus();
  QApplication::processEvents();
  EXPECT_EQ(row->TextValue(), "#123");
  EXPECT_FALSE(Edit()->Visible());
}

}  // namespace

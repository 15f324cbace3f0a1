// Drops on the inspector bar through real drag events of its window: AcceptFiles and
// OleDropTarget on and off, links on a panel's rows, files offered one by one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <filesystem>
#include <fstream>

#include "controls/inspector/InspectorBar.h"
#include "platform/gui/DragDrop.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Windows.h"
#include "platform/gui/testing/GuiTest.h"

namespace {

class InspDrop : public TGuiTest {
 protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBounds(0, 0, 260, 300);
    bar = new TInspectorBar(form);
    bar->SetParent(form);
    bar->SetWidth(200);
    panel = bar->Panels()->Add();
    panel->SetCaption("P");
    panel->SetItemHeight(20);
    panel->Items()->Add()->SetCaption("first");
    form->Show();
    QApplication::processEvents();
  }
  void TearDown() override {
    delete form;
    TGuiTest::TearDown();
  }
  // A point of the first row (below the caption bar), and of the caption bar, on the screen.
  TPoint RowPoint() {
    for (int y = 0; y < bar->Height(); ++y)
      if (bar->CaptionAt(20, y) < 0 && bar->PanelAt(20, y)) return bar->ClientToScreen(TPoint(20, y + 2));
    ADD_FAILURE() << "no row area";
    return TPoint();
  }
  TPoint CaptionPoint() {
    TRect r = bar->CaptionRect(panel);
    return bar->ClientToScreen(TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
  }
  TForm* form = nullptr;
  TInspectorBar* bar = nullptr;
  TInspectorPanel* panel = nullptr;
};

TEST_F(InspDrop, OneHandlerServesBothSettingsAndOleDropTargetWins) {
  TDataObject files;
  files.SetFiles({"/tmp/a.hex", "/tmp/b.eep", "/tmp/c.txt"});
  TDataObject link;
  link.SetLinks({"https://example.org/doc"});
  const struct {
    const char* name;
    bool acceptFiles, ole;
    const TDataObject* data;
    char where;  // 'r' a row, 'c' the caption bar, 'h' the help panel
    int effect;
    int rowsAfter;             // rows of the panel after the drop (one to start with)
    std::string urlDrops, fileDrops;
  } cases[] = {
      {"both off: nothing is taken", false, false, &files, 'r', DROPEFFECT_NONE, 1, "", ""},
      {"AcceptFiles: files become rows", true, false, &files, 'r', DROPEFFECT_COPY, 4, "", "a.hex b.eep c.txt "},
      {"AcceptFiles: a link is refused", true, false, &link, 'r', DROPEFFECT_NONE, 1, "", ""},
      {"OleDropTarget: files go to OnURLDrop in order, no row, the source keeps them", false, true, &files, 'r',
       DROPEFFECT_COPY, 1,
       "a.hex b.eep c.txt ", ""},
      {"OleDropTarget: a link on the rows becomes a row", false, true, &link, 'r', DROPEFFECT_LINK, 2,
       "https://example.org/doc ", ""},
      {"OleDropTarget: a link on the caption bar adds none", false, true, &link, 'c', DROPEFFECT_LINK, 1,
       "https://example.org/doc ", ""},
      {"OleDropTarget: a link on the help panel adds none", false, true, &link, 'h', DROPEFFECT_LINK, 1,
       "https://example.org/doc ", ""},
      {"both on: OleDropTarget wins", true, true, &files, 'r', DROPEFFECT_COPY, 1, "a.hex b.eep c.txt ", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    std::string urls, fileNames;
    auto base = [](const std::string& s) { return s.substr(s.rfind('/') + 1); };
    bar->OnURLDrop = [&](TObject*, const std::string& n, bool&) {
      urls += (n.rfind("/tmp/", 0) == 0 ? base(n) : n) + " ";
    };
    bar->OnFileDrop = [&](TObject*, const std::string& n, bool&) { fileNames += base(n) + " "; };
    bar->SetAcceptFiles(c.acceptFiles);
    bar->SetOleDropTarget(c.ole);
    EXPECT_EQ(bar->DropRegistered(), c.acceptFiles || c.ole);
    const int allowed = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    bar->HelpPanel()->SetHeight(40);
    bar->HelpPanel()->SetVisible(c.where == 'h');
    const TPoint at = c.where == 'c' ? CaptionPoint()
                      : c.where == 'h' ? bar->ClientToScreen(TPoint(20, bar->Height() - 10))
                                       : RowPoint();
    EXPECT_EQ(DeliverDrop(bar, *c.data, at, 0, allowed), c.effect);
    EXPECT_EQ(panel->Items()->Count(), c.rowsAfter);
    EXPECT_EQ(urls, c.urlDrops);
    EXPECT_EQ(fileNames, c.fileDrops);
    if (c.rowsAfter == 2) {
      TInspectorItem* it = panel->Items()->GetItem(1);
      EXPECT_EQ(it->Caption(), "https://example.org/doc");
      EXPECT_EQ(it->URL(), "https://example.org/doc");
      EXPECT_TRUE(it->AutoIcon());
    }
    TearDown();
  }
  SetUp();
}

TEST_F(InspDrop, ARefusedLinkAddsNoRowAndTurningBothOffRevokes) {
  bar->SetOleDropTarget(true);
  bar->OnURLDrop = [](TObject*, const std::string&, bool& allow) { allow = false; };
  TDataObject link;
  link.SetLinks({"ftp://example.org/x"});
  DeliverDrop(bar, link, RowPoint(), 0, DROPEFFECT_COPY | DROPEFFECT_LINK);
  EXPECT_EQ(panel->Items()->Count(), 1);
  bar->SetOleDropTarget(false);
  EXPECT_FALSE(bar->DropRegistered());
  EXPECT_EQ(DeliverDrop(bar, link, RowPoint(), 0, DROPEFFECT_COPY), DROPEFFECT_NONE);
}

TEST_F(InspDrop, ADroppedLinkOrFileOpensOnlyAsAnAddressOrAFileThatIsNoProgram) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("velmaron-open-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  auto file = [&](const std::string& name, bool exec) {
    const fs::path p = dir / name;
    std::ofstream(p) << "x";
    fs::permissions(p, exec ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
    return p.string();
  };
  const std::string doc = file("notes of a.txt", false), prog = file("run.sh", true),
                    entry = file("app.desktop", false);
  fs::create_symlink(prog, dir / "doc.txt");
  fs::create_symlink(entry, dir / "harmless.txt");
  const struct {
    bool isLink;         // dropped as a link (OleDropTarget) or as a file (AcceptFiles)
    std::string url;
    std::string opened;  // what reaches the desktop opener; empty: nothing
  } cases[] = {
      {true, "https://example.org/doc", "https://example.org/doc"},
      {true, "HTTP://example.org/", "http://example.org/"},  // the scheme as Qt writes it
      {true, "ftp://example.org/pub/a.hex", "ftp://example.org/pub/a.hex"},
      {true, "mailto:someone@example.org", "mailto:someone@example.org"},
      {true, "javascript:alert(1)", ""},
      {true, "smb://server/share/run.exe", ""},
      {true, "sftp://example.org/x", ""},
      {true, "data:text/html,hello", ""},
      {false, doc, doc},
      {false, prog, ""},
      {false, (dir / "doc.txt").string(), ""},       // a link to a program
      {false, entry, ""},                            // a desktop entry starts a program
      {false, (dir / "harmless.txt").string(), ""},  // a link to a desktop entry
      {false, dir.string(), ""},
      {false, (dir / "missing.txt").string(), ""},
  };
  std::vector<std::string> opened;
  SetShellOpenHandler([&](const std::string& verb, const std::string& f) {
    EXPECT_EQ(verb, "open");
    opened.push_back(f);
    return true;
  });
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    SetUp();
    opened.clear();
    TDataObject data;
    if (c.isLink) data.SetLinks({c.url});
    else data.SetFiles({c.url});
    bar->SetOleDropTarget(c.isLink);
    bar->SetAcceptFiles(!c.isLink);
    ASSERT_EQ(data.Links().size() + data.Files().size(), 1u);
    DeliverDrop(bar, data, RowPoint(), 0, DROPEFFECT_COPY | DROPEFFECT_LINK);
    ASSERT_EQ(panel->Items()->Count(), 2);
    TRect r;
    bar->GetItemRect(panel, panel->Items()->GetItem(1), r);
    const QPointF at((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    QWidget* w = bar->ClientWidget();
    for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QMouseEvent e(t, at, w->mapToGlobal(at), Qt::LeftButton,
                    t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
      QCoreApplication::sendEvent(w, &e);
    }
    QApplication::processEvents();
    EXPECT_EQ(opened, c.opened.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.opened});
    TearDown();
  }
  SetShellOpenHandler(nullptr);
  fs::remove_all(dir);
  SetUp();
}

}  // namespace

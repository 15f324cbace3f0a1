// Drops on the inspector bar through real drag events of its window: AcceptFiles and
// OleDropTarget on and off, links on a panel's rows, files offered one by one.
#include <gtest/gtest.h>

#include <QApplication>

#include "controls/inspector/InspectorBar.h"
#include "platform/gui/DragDrop.h"
#include "platform/gui/Forms.h"
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
    bool onCaption;
    int effect;
    int rowsAfter;             // rows of the panel after the drop (one to start with)
    std::string urlDrops, fileDrops;
  } cases[] = {
      {"both off: nothing is taken", false, false, &files, false, DROPEFFECT_NONE, 1, "", ""},
      {"AcceptFiles: files become rows", true, false, &files, false, DROPEFFECT_COPY, 4, "", "a.hex b.eep c.txt "},
      {"AcceptFiles: a link is refused", true, false, &link, false, DROPEFFECT_NONE, 1, "", ""},
      {"OleDropTarget: files go to OnURLDrop in order, no row", false, true, &files, false, DROPEFFECT_MOVE, 1,
       "a.hex b.eep c.txt ", ""},
      {"OleDropTarget: a link on the rows becomes a row", false, true, &link, false, DROPEFFECT_LINK, 2,
       "https://example.org/doc ", ""},
      {"OleDropTarget: a link on the caption bar adds none", false, true, &link, true, DROPEFFECT_LINK, 1,
       "https://example.org/doc ", ""},
      {"both on: OleDropTarget wins", true, true, &files, false, DROPEFFECT_MOVE, 1, "a.hex b.eep c.txt ", ""},
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
    EXPECT_EQ(DeliverDrop(bar, *c.data, c.onCaption ? CaptionPoint() : RowPoint(), 0, allowed), c.effect);
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

}  // namespace

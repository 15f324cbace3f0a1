// Clipboard and drag and drop with other programs: formats as standard MIME types, drop
// targets reached through real Qt drag events, drags run through the test's own loop.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

#include "GuiProbes.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/DragDrop.h"
#include "platform/gui/testing/GuiTest.h"

namespace {

class DragDrop : public TGuiTest {
 protected:
  void TearDown() override {
    SetDragLoop(nullptr);
    TGuiTest::TearDown();
  }
};

std::string Bytes(const QByteArray& a) { return std::string(a.constData(), static_cast<size_t>(a.size())); }

TEST_F(DragDrop, FormatsTravelAsStandardAndPrivateMimeTypes) {
  const struct {
    TClipboardFormat format;
    const char* mime;
  } cases[] = {
      {CF_TEXT, "text/plain;charset=utf-8"},
      {CF_UNICODETEXT, "text/plain;charset=utf-8"},
      {CF_HDROP, "text/uri-list"},
      {RegisterClipboardFormat("UniformResourceLocator"), "text/uri-list"},
      {RegisterClipboardFormat("Rich Text Format"), "text/rtf"},
      {RegisterClipboardFormat("TExtStringGrid Cells"), "application/x-velmaron-textstringgrid-cells"},
      {RegisterClipboardFormat("grid column"), "application/x-velmaron-grid-column"},
      {0xBEEF, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ClipboardFormatMimeType(c.format), c.mime) << c.format;
}

TEST_F(DragDrop, ClipboardOffersWhatOtherProgramsReadAndReadsWhatTheyOffer) {
  const TClipboardFormat rtf = RegisterClipboardFormat("Rich Text Format");
  const TClipboardFormat cells = RegisterClipboardFormat("TExtStringGrid Cells");
  const std::string raw("\x00\x01\xFF", 3);
  TDataObject out;
  out.SetText("K\xE4se");  // Windows-1252 in, UTF-8 out
  out.SetFiles({"/tmp/a b.csv"});
  out.SetLinks({"https://example.org/x?y=1"});
  out.SetData(rtf, "{\\rtf1 x}");
  out.SetData(cells, raw);
  Clipboard()->SetDataObject(out);

  const QMimeData* m = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(Bytes(m->data("text/plain;charset=utf-8")), "K\xC3\xA4se");
  EXPECT_EQ(m->text().toStdString(), "K\xC3\xA4se");
  ASSERT_EQ(m->urls().size(), 2);
  EXPECT_EQ(m->urls()[0], QUrl::fromLocalFile("/tmp/a b.csv"));
  EXPECT_EQ(m->urls()[1].toString().toStdString(), "https://example.org/x?y=1");
  EXPECT_EQ(Bytes(m->data("text/rtf")), "{\\rtf1 x}");
  EXPECT_EQ(Bytes(m->data("application/x-velmaron-textstringgrid-cells")), raw);

  // Another program's offer, in the types it may use.
  auto* in = new QMimeData;
  in->setData("text/plain", "plain \xC3\xA9");
  in->setData("application/rtf", "{\\rtf1 y}");
  const char16_t moz[] = u"http://a.example/\nA title";
  in->setData("text/x-moz-url", QByteArray(reinterpret_cast<const char*>(moz), sizeof(moz) - 2));
  QGuiApplication::clipboard()->setMimeData(in);
  TDataObject got = Clipboard()->GetDataObject();
  QGuiApplication::clipboard()->setText("later");
  // A copy: the clipboard's later content does not reach it.
  EXPECT_EQ(got.Text(), "plain \xC3\xA9");
  EXPECT_TRUE(got.HasFormat(rtf));
  EXPECT_EQ(got.Data(rtf), "{\\rtf1 y}");
  EXPECT_EQ(got.Links(), std::vector<std::string>{"http://a.example/"});
  EXPECT_TRUE(got.Files().empty());
  EXPECT_FALSE(got.HasFiles());
  EXPECT_FALSE(got.HasFormat(cells));
  EXPECT_EQ(Clipboard()->AsText(), "later");
}

// A target that answers from a script and logs what reaches it.
class TScriptTarget : public TDropTarget {
 public:
  int EnterAnswer = DROPEFFECT_COPY, OverAnswer = DROPEFFECT_COPY, DropAnswer = DROPEFFECT_COPY;
  std::string Log;
  TPoint LastPt;
  TShiftState LastKeys = 0;
  int EnterAllowed = -1;
  std::string DroppedText;
  std::vector<std::string> DroppedFiles;

  int DragEnter(const TDataObject& Data, TShiftState Keys, TPoint Pt, int Allowed) override {
    Log += "enter" + std::string(Data.HasText() ? "[text]" : "") + (Data.HasFiles() ? "[files]" : "") + " ";
    EnterAllowed = Allowed;
    LastKeys = Keys;
    return EnterAnswer;
  }
  int DragOver(TShiftState Keys, TPoint Pt, int) override {
    Log += "over ";
    LastPt = Pt;
    LastKeys = Keys;
    return OverAnswer;
  }
  void DragLeave() override { Log += "leave "; }
  int Drop(const TDataObject& Data, TShiftState Keys, TPoint Pt, int) override {
    Log += "drop ";
    LastPt = Pt;
    LastKeys = Keys;
    DroppedText = Data.Text();
    DroppedFiles = Data.Files();
    return DropAnswer;
  }
};

struct DropForm {
  TForm* form;
  TProbe* probe;
  explicit DropForm(int left = 0) {
    form = new TForm(Application);
    form->SetBounds(left, 0, 200, 150);
    probe = new TProbe(form);
    probe->SetBounds(10, 20, 100, 80);
    probe->SetParent(form);
    form->Show();
  }
  TPoint Screen(int x, int y) const { return probe->ClientToScreen(TPoint(x, y)); }
};

TEST_F(DragDrop, DropTargetHearsTheDragThroughItsWindowAndAnsweredEffectsAreOnesTheSourceAllows) {
  TDataObject text;
  text.SetText("a\tb");
  TDataObject both;
  both.SetText("t");
  both.SetFiles({"/tmp/f.csv"});
  const TDataObject nothing;
  const struct {
    const char* name;
    const TDataObject* data;
    int allowed, enter, over, drop;
    TShiftState keys;
    bool release;
    int effect;
    const char* log;
  } cases[] = {
      {"copy", &text, DROPEFFECT_COPY | DROPEFFECT_MOVE, 1, 1, 1, 0, true, DROPEFFECT_COPY,
       "enter[text] over drop "},
      {"move answered, only copy allowed", &text, DROPEFFECT_COPY, 2, 2, 2, 0, true, DROPEFFECT_COPY,
       "enter[text] over drop "},
      {"link answered, move allowed", &both, DROPEFFECT_MOVE, 4, 4, 4, ssCtrl, true, DROPEFFECT_MOVE,
       "enter[text][files] over drop "},
      {"refused where it moves: no drop", &text, 3, 1, 0, 1, 0, true, DROPEFFECT_NONE, "enter[text] over leave "},
      {"refused on enter, taken on move", &text, 3, 0, 1, 1, 0, true, DROPEFFECT_COPY,
       "enter[text] over drop "},
      {"passing over", &text, 3, 1, 1, 1, 0, false, DROPEFFECT_COPY, "enter[text] over leave "},
      {"no format at all", &nothing, 3, 1, 1, 1, 0, true, DROPEFFECT_NONE, ""},
      {"no effect allowed", &text, DROPEFFECT_NONE, 1, 1, 1, 0, true, DROPEFFECT_NONE, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DropForm f;
    auto t = std::make_shared<TScriptTarget>();
    t->EnterAnswer = c.enter;
    t->OverAnswer = c.over;
    t->DropAnswer = c.drop;
    ASSERT_TRUE(RegisterDragDrop(f.probe, t));
    EXPECT_EQ(DeliverDrop(f.probe, *c.data, f.Screen(30, 40), c.keys, c.allowed, c.release), c.effect);
    EXPECT_EQ(t->Log, c.log);
    if (t->Log.empty()) continue;
    EXPECT_EQ(t->EnterAllowed, c.allowed);
    EXPECT_EQ(t->LastPt, f.Screen(30, 40)) << "screen coordinates";
    EXPECT_EQ(t->LastKeys & ssCtrl, c.keys & ssCtrl);
    if (t->Log.find("drop") != std::string::npos) {
      EXPECT_EQ(t->DroppedText, c.data->Text());
      EXPECT_EQ(t->DroppedFiles, c.data->Files());
    }
    delete f.form;
  }
}

// A target that gives the usual answer, as the controls' targets do.
class TStandardTarget : public TDropTarget {
 public:
  int DragEnter(const TDataObject&, TShiftState Keys, TPoint, int Allowed) override {
    return StandardDropEffect(Keys, Allowed);
  }
  int DragOver(TShiftState Keys, TPoint, int Allowed) override { return StandardDropEffect(Keys, Allowed); }
  void DragLeave() override {}
  int Drop(const TDataObject&, TShiftState Keys, TPoint, int Allowed) override {
    return StandardDropEffect(Keys, Allowed);
  }
};

TEST_F(DragDrop, TheUsualAnswerTakesTheActionTheSourceProposesUnlessCtrlOrShiftChoose) {
  const struct {
    const char* name;
    int allowed, proposed;
    TShiftState keys;
    int effect;
  } cases[] = {
      {"a file manager offering copy and move proposes copy", DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_COPY, 0,
       DROPEFFECT_COPY},
      {"a source proposing move", DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_MOVE, 0, DROPEFFECT_MOVE},
      {"Ctrl chooses copy over a proposed move", DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_MOVE, ssCtrl,
       DROPEFFECT_COPY},
      {"Shift chooses move over a proposed copy", DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_COPY, ssShift,
       DROPEFFECT_MOVE},
      {"a source allowing move alone", DROPEFFECT_MOVE, DROPEFFECT_MOVE, 0, DROPEFFECT_MOVE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DropForm f;
    ASSERT_TRUE(RegisterDragDrop(f.probe, std::make_shared<TStandardTarget>()));
    TDataObject d;
    d.SetText("t");
    EXPECT_EQ(DeliverDrop(f.probe, d, f.Screen(30, 40), c.keys, c.allowed, true, nullptr, c.proposed), c.effect);
    delete f.form;
  }
  EXPECT_EQ(StandardDropEffect(0, DROPEFFECT_COPY | DROPEFFECT_MOVE), DROPEFFECT_COPY) << "no drag, no proposal";
}

TEST_F(DragDrop, RegistrationIsOnePerWindowAndEndsWithRevokeOrTheWindow) {
  DropForm f;
  auto t = std::make_shared<TScriptTarget>();
  TDataObject d;
  d.SetText("x");
  EXPECT_FALSE(IsDragDropRegistered(f.probe));
  EXPECT_EQ(DeliverDrop(f.probe, d, f.Screen(5, 5), 0, DROPEFFECT_COPY), DROPEFFECT_NONE);
  ASSERT_TRUE(RegisterDragDrop(f.probe, t));
  EXPECT_FALSE(RegisterDragDrop(f.probe, std::make_shared<TScriptTarget>())) << "one target per window";
  EXPECT_TRUE(f.probe->Peer()->acceptDrops());
  EXPECT_EQ(DeliverDrop(f.probe, d, f.Screen(5, 5), 0, DROPEFFECT_COPY), DROPEFFECT_COPY);
  RevokeDragDrop(f.probe);
  EXPECT_FALSE(f.probe->Peer()->acceptDrops());
  EXPECT_EQ(DeliverDrop(f.probe, d, f.Screen(5, 5), 0, DROPEFFECT_COPY), DROPEFFECT_NONE);
  ASSERT_TRUE(RegisterDragDrop(f.probe, t));
  f.probe->RecreateWnd();
  f.probe->HandleNeeded();
  EXPECT_FALSE(IsDragDropRegistered(f.probe)) << "a new window is not registered";
  EXPECT_EQ(t->Log, "enter[text] over drop ");
}

TEST_F(DragDrop, DragLoopDeliversToTheTargetAndReportsTheEffectTheSourceAllows) {
  DropForm from, to(300);
  auto t = std::make_shared<TScriptTarget>();
  ASSERT_TRUE(RegisterDragDrop(to.probe, t));
  struct TSource : TDropSource {
    std::string Log;
    void GiveFeedback(int e) override { Log += std::to_string(e); }
  } source;
  TDataObject d;
  d.SetText("dragged \xC3\xBC");
  const struct {
    int allowed, answer;
    bool overTarget;
    TDragDropResult result;
    int effect;
  } cases[] = {
      {DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_MOVE, true, DRAGDROP_S_DROP, DROPEFFECT_MOVE},
      {DROPEFFECT_COPY, DROPEFFECT_MOVE, true, DRAGDROP_S_DROP, DROPEFFECT_COPY},
      {DROPEFFECT_COPY, DROPEFFECT_NONE, true, DRAGDROP_S_CANCEL, DROPEFFECT_NONE},
      {DROPEFFECT_COPY, DROPEFFECT_COPY, false, DRAGDROP_S_CANCEL, DROPEFFECT_NONE},
  };
  for (const auto& c : cases) {
    t->EnterAnswer = t->OverAnswer = t->DropAnswer = c.answer;
    SetDragLoop([&](TWinControl* src, const TDataObject& data, TDropSource* ds, int allowed) {
      EXPECT_EQ(src, from.probe);
      EXPECT_EQ(ds, &source);
      if (!c.overTarget) return DROPEFFECT_NONE;
      int e = DeliverDrop(to.probe, data, to.Screen(2, 2), 0, allowed);
      ds->GiveFeedback(e);
      return e;
    });
    t->DroppedText.clear();
    int effect = -1;
    EXPECT_EQ(DoDragDrop(from.probe, d, &source, c.allowed, effect), c.result);
    EXPECT_EQ(effect, c.effect);
    EXPECT_EQ(t->DroppedText, c.effect ? "dragged \xC3\xBC" : "");
  }
  SetDragLoop(nullptr);
  int effect = -1;
  EXPECT_EQ(DoDragDrop(from.probe, d, &source, DROPEFFECT_COPY, effect), DRAGDROP_S_CANCEL)
      << "no window system: nothing to drop on, and no wait";
  EXPECT_EQ(effect, DROPEFFECT_NONE);
}

}  // namespace

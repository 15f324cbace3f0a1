// Image lists, clipboard, wheel, hints and form painting.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QImage>
#include <QWheelEvent>

#include "GuiProbes.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/FormImage.h"
#include "platform/gui/Hints.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/Menus.h"
#include "platform/gui/RecordingCanvas.h"
#include "platform/gui/testing/GuiTest.h"

namespace {

class Resources : public TGuiTest {};

TEST_F(Resources, ImageListCutsStripsAndKeysOutTheMaskColour) {
  TImageList list(nullptr);
  list.SetWidth(4);
  list.SetHeight(4);
  TBitmap strip(12, 4);
  strip.Canvas()->Brush()->SetColor(clRed);
  strip.Canvas()->FillRect(TRect(0, 0, 4, 4));
  strip.Canvas()->Brush()->SetColor(clLime);
  strip.Canvas()->FillRect(TRect(4, 0, 8, 4));
  strip.Canvas()->Brush()->SetColor(clFuchsia);
  strip.Canvas()->FillRect(TRect(8, 0, 12, 4));
  strip.Canvas()->SetPixels(9, 1, clBlue);
  EXPECT_EQ(list.AddMasked(&strip, clFuchsia), 0);
  EXPECT_EQ(list.Count(), 3);

  TBitmap dst(4, 4);
  dst.Canvas()->Brush()->SetColor(clWhite);
  dst.Canvas()->FillRect(TRect(0, 0, 4, 4));
  list.Draw(dst.Canvas(), 0, 0, 2);
  EXPECT_EQ(dst.Canvas()->Pixels(0, 0), clWhite) << "the mask colour is transparent";
  EXPECT_EQ(dst.Canvas()->Pixels(1, 1), clBlue);
  list.Draw(dst.Canvas(), 0, 0, 1);
  EXPECT_EQ(dst.Canvas()->Pixels(0, 0), clLime);

  TBitmap out;
  EXPECT_TRUE(list.GetBitmap(0, &out));
  EXPECT_EQ(out.Canvas()->Pixels(3, 3), clRed);
  EXPECT_FALSE(list.GetBitmap(3, &out));
  list.Delete(0);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_THROW(list.Delete(5), EInvalidOperation);

  TRecordingCanvas rec;
  list.Draw(&rec, 7, 8, 0);
  ASSERT_EQ(rec.OpsOf(okImage).size(), 1u);
  EXPECT_EQ(rec.OpsOf(okImage)[0].R, TRect(7, 8, 11, 12));
}

TEST_F(Resources, ClipboardCarriesTextAndRegisteredFormats) {
  TClipboardFormat cells = RegisterClipboardFormat("TExtStringGrid Cells");
  EXPECT_EQ(RegisterClipboardFormat("textstringgrid cells"), cells);
  EXPECT_NE(RegisterClipboardFormat("Rich Text Format"), cells);
  Clipboard()->SetAsText("A1\tB1");
  EXPECT_EQ(Clipboard()->AsText(), "A1\tB1");
  EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
  std::string raw("\x00\x01\xFF", 3);
  Clipboard()->Open();
  Clipboard()->SetAsText("both");
  Clipboard()->SetAsData(cells, raw);
  Clipboard()->Close();
  EXPECT_TRUE(Clipboard()->HasFormat(cells));
  EXPECT_EQ(Clipboard()->GetAsData(cells), raw) << "bytes come back exactly";
  EXPECT_EQ(Clipboard()->AsText(), "both");
}

TEST_F(Resources, WheelGoesToTheHandlerAndOnToTheParentWhenUnhandled) {
  auto* f = new TForm(Application);
  f->SetClientSize(100, 100);
  auto* p = new TProbe(f);
  p->SetBounds(0, 0, 50, 50);
  p->SetParent(f);
  f->Show();
  std::string log;
  p->OnMouseWheel = [&](TObject*, TShiftState, int delta, TPoint, bool& handled) {
    log += "p" + std::to_string(delta) + " ";
    handled = delta > 0;
  };
  f->OnMouseWheelDown = [&](TObject*, TShiftState, TPoint, bool& handled) {
    log += "form-down ";
    handled = true;
  };
  auto wheel = [&](int delta) {
    QWheelEvent e(QPointF(5, 5), p->Peer()->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta),
                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(p->Peer(), &e);
    return e.isAccepted();
  };
  EXPECT_TRUE(wheel(120));
  EXPECT_FALSE(wheel(-120)) << "an unhandled wheel is left for the parent window";
  EXPECT_EQ(log, "p120 p-120 ");
  // Without a Qt event the message goes to the parent directly.
  p->Perform(WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<uint16_t>(-120)) << 16, 0);
  EXPECT_EQ(log, "p120 p-120 p-120 form-down ");
}

class THintProbe : public TProbe {
 public:
  using TProbe::TProbe;
  int Asked = 0;

 protected:
  void CMHintShow(TMessage& m) override {
    ++Asked;
    auto* info = reinterpret_cast<THintInfo*>(m.LParam);
    info->HintStr = "at " + std::to_string(info->CursorPos.X);
  }
};

TEST_F(Resources, HintsAskTheControlWhichMayRewriteThem) {
  auto* f = new TForm(Application);
  f->SetClientSize(100, 100);
  auto* p = new THintProbe(f);
  p->SetBounds(0, 0, 50, 50);
  p->SetHint("plain|long");
  p->SetShowHint(true);
  p->SetParent(f);
  f->Show();
  QHelpEvent e(QEvent::ToolTip, QPoint(7, 3), p->Peer()->mapToGlobal(QPoint(7, 3)));
  QCoreApplication::sendEvent(p->Peer(), &e);
  ASSERT_NE(Application->HintWindow(), nullptr);
  EXPECT_EQ(Application->HintWindow()->Caption(), "at 7");
  EXPECT_TRUE(Application->HintWindow()->Active());
  EXPECT_EQ(Application->HintControl(), p);
  EXPECT_EQ(p->Asked, 1);
  p->SetShowHint(false);
  QCoreApplication::sendEvent(p->Peer(), &e);
  EXPECT_EQ(p->Asked, 1) << "no hint without ShowHint";
  EXPECT_FALSE(Application->HintWindow()->Active());
  f->SetShowHint(true);
  p->SetParentShowHint(true);
  EXPECT_TRUE(p->ShowHint()) << "the parent's setting flows down";
  QCoreApplication::sendEvent(p->Peer(), &e);
  EXPECT_EQ(p->Asked, 2);
  f->SetShowHint(false);
  EXPECT_FALSE(p->ShowHint()) << "a later change of the parent reaches the child too";
}

TEST_F(Resources, FormsPaintThroughOnPaintAndRenderToPng) {
  auto* f = new TForm(Application);
  f->SetClientSize(64, 48);
  f->SetColor(clWhite);
  f->OnPaint = [f](TObject*) {
    f->Canvas()->Brush()->SetColor(clNavy);
    f->Canvas()->FillRect(TRect(0, 0, 32, 48));
    f->Canvas()->Font()->SetColor(clYellow);
    f->Canvas()->Brush()->SetStyle(bsClear);
    f->Canvas()->TextOut(34, 2, "Hi");
  };
  f->Show();
  QImage img = RenderControlImage(f);
  EXPECT_EQ(img.pixelColor(10, 10), QColor(0, 0, 0x80));
  EXPECT_EQ(img.pixelColor(60, 40), QColor(Qt::white));
  std::string path = TestImagePath("form_onpaint.png");
  ASSERT_TRUE(SaveControlImage(f, path));
  QImage back(QString::fromStdString(path));
  EXPECT_EQ(back.size(), img.size());
}

TEST_F(Resources, ContextMenusPopUpUnlessTheHandlerTookTheClick) {
  auto* f = new TForm(Application);
  f->SetClientSize(100, 100);
  auto* p = new TProbe(f);
  p->SetBounds(0, 0, 50, 50);
  p->SetParent(f);
  auto* g = new TGraphicProbe(f);
  g->SetBounds(60, 60, 20, 20);
  g->SetParent(f);
  auto* menu = new TPopupMenu(f);
  auto* item = new TMenuItem(f);
  item->SetCaption("Copy");
  menu->Items()->Add(item);
  int popups = 0;
  menu->OnPopup = [&](TObject*) { ++popups; };
  f->SetPopupMenu(menu);
  f->Show();
  auto context = [&](TWinControl* w, int x, int y) {
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(x, y), w->ClientWidget()->mapToGlobal(QPoint(x, y)));
    QCoreApplication::sendEvent(w->ClientWidget(), &e);
  };
  context(p, 5, 5);
  EXPECT_EQ(popups, 1) << "a control without a menu passes the request to its parent";
  EXPECT_EQ(menu->PopupComponent(), f);
  TPoint at;
  g->OnContextPopup = [&](TObject*, TPoint pos, bool& handled) {
    at = pos;
    handled = true;
  };
  context(f, 65, 63);
  EXPECT_EQ(popups, 1) << "the handler took it";
  EXPECT_EQ(at, TPoint(5, 3));
  menu->Items()->SubMenu()->hide();
}

TEST_F(Resources, ATerminatedProgramEndsAModalLoopEvenWhenCloseQueryRefuses) {
  auto* d = new TForm(Application);
  d->OnCloseQuery = [](TObject*, bool& can) { can = false; };
  d->OnShow = [](TObject*) { Application->Terminate(); };
  EXPECT_EQ(d->ShowModal(), mrCancel);
  EXPECT_FALSE(d->Visible());
}

}  // namespace

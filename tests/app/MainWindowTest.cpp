// The main window as a user meets it: menu hints in the status bar, the
// clock panel's text, the size grip, the help key and the start without a
// driver. Everything is driven with real Qt events.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

#include "controls/markup/HTMLStatusBar.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Windows.h"
#include "platform/port/PortBackend.h"
#include "tests/app/MainTestFixture.h"

namespace {

using MainWindowTest = TMainWindowTest<>;
using MainWindowNoDriverTest = TMainWindowTest<TDeadAdapter>;

void SendMouse(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButtons held) {
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)), button, held, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &e);
}

void SendKey(QWidget* w, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &release);
}

TEST_F(MainWindowTest, EveryTopMenuShowsItsHintInPanelOneWhenTheMouseIsOnIt) {
  TfrmMain* f = Start();
  QMenuBar* bar = f->Peer()->findChild<QMenuBar*>();
  ASSERT_NE(bar, nullptr);
  const std::pair<TMenuItem*, const char*> menus[] = {
      {f->mnuFile, "File related commands"},
      {f->mnuDevice, "Choose device from this menu"},
      {f->mnuOptions, "Change port, I\xC2\xB2" "C speed"},
      {f->Window1, "Window related commands such as Tile and Cascade"},
      {f->mnuAbout, "Help topics"}};
  for (const auto& [item, hint] : menus) {
    QAction* a = item->SubMenu()->menuAction();
    ASSERT_TRUE(bar->actions().contains(a)) << item->Caption();
    SendMouse(bar, QEvent::MouseMove, bar->actionGeometry(a).center(), Qt::NoButton);
    EXPECT_EQ(PanelText(1), hint) << item->Caption();
  }
  // Opened, the menu keeps its hint until the mouse picks an item in it.
  QAction* window = f->Window1->SubMenu()->menuAction();
  SendMouse(bar, QEvent::MouseButtonPress, bar->actionGeometry(window).center(), Qt::LeftButton);
  SendMouse(bar, QEvent::MouseButtonRelease, bar->actionGeometry(window).center(), Qt::NoButton);
  ASSERT_TRUE(f->Window1->SubMenu()->isVisible());
  EXPECT_EQ(PanelText(1), "Window related commands such as Tile and Cascade");
  f->Window1->SubMenu()->close();
  Application->ProcessMessages();
  EXPECT_EQ(PanelText(1), "");
}

// The clock panel drawn with a text, as a picture of its inside (bevel excluded).
QImage ClockPanel(TfrmMain* f, const std::string& text, int width) {
  THTMLStatusPanel* clock = f->pnlStatusBar->Panels()->Items(3);
  clock->SetWidth(width);
  clock->SetText(text);
  Application->ProcessMessages();
  const QImage bar = f->pnlStatusBar->Peer()->grab().toImage();
  TRect r = f->pnlStatusBar->PanelRect(3);
  const double scale = bar.devicePixelRatio();
  return bar.copy(int((r.Left + 1) * scale), int((r.Top + 1) * scale), int((50 - 4) * scale),
                  int((r.Height() - 2) * scale));
}

TEST_F(MainWindowTest, ThreeDigitClocksFitTheClockPanelWhole) {
  TfrmMain* f = Start();
  for (const char* text : {"100 KHz", "232 KHz", "400 KHz"}) {
    // Drawn in a panel wide enough, nothing is cut; in the 50 pixels it must look the same.
    const QImage wide = ClockPanel(f, text, 200);
    const QImage narrow = ClockPanel(f, text, 50);
    int inked = 0;
    for (int y = 0; y < wide.height(); ++y)
      for (int x = 0; x < wide.width(); ++x) inked += wide.pixelColor(x, y).lightness() < 128;
    EXPECT_GT(inked, 20) << text << ": the text is drawn at all";
    EXPECT_EQ(narrow, wide) << text << " is cut in the 50-pixel clock panel";
    TBitmap measure(1, 1);
    measure.Canvas()->Font()->Assign(f->pnlStatusBar->Font());
    // Inside the bevel, after the markup's left offset.
    const int room = f->pnlStatusBar->PanelRect(3).Width() - 2 - f->pnlStatusBar->Panels()->Items(3)->HTMLOffsetX();
    EXPECT_LE(measure.Canvas()->TextWidth(text), room) << text;
  }
  f->pnlStatusBar->Panels()->Items(3)->SetWidth(50);
}

int TextWidthIn(TFont* Font, const std::string& Text) {
  TBitmap measure(1, 1);
  measure.Canvas()->Font()->Assign(Font);
  return measure.Canvas()->TextWidth(Text);
}

TEST_F(MainWindowTest, TheStatusLineIs240WideAndALongerTextIsItsHintWhole) {
  TfrmMain* f = Start();
  THTMLStatusBar* sb = f->pnlStatusBar;
  const int least[] = {240, 280, 50, 50, 50};
  const std::string simulated = "  Simulated adapter: no parallel port on this machine";
  // The texts of the status codes fit the line; the simulated adapter's sentence shows whole
  // as the line's hint.
  struct {
    std::string Text;
    bool Fits;
  } cases[] = {{"  Message sent - Acknowledge ignored", true},   {"  Velmaron hardware not detected", true},
               {" Velmaron hardware not detected!", true},      {"  Hardware not detected at LPT3", true},
               {" Write and Verify Successful", true},          {" Device Driver File not found", true},
               {" Adapter is not functioning", true},           {simulated, false}};
  for (const auto& c : cases) {
    f->pnlStatus->SetCaption(c.Text);
    EXPECT_EQ(TextWidthIn(f->pnlStatus->Font(), c.Text) <= f->pnlStatus->Width(), c.Fits) << c.Text;
    if (!c.Fits) {
      EXPECT_EQ(f->pnlStatus->Hint(), Trim(c.Text));
    }
  }
  // The status line and the hint panel keep their widths; the last panel has the rest.
  for (const int width : {f->Width() + 300, 500, f->Width()}) {
    f->SetBounds(f->Left(), f->Top(), width, f->Height());
    Application->ProcessMessages();
    const int spare = sb->ClientWidth() - (sb->SizeGripShown() ? 16 : 0) - 670;
    // Too narrow a frame takes from the hint panel, so the last three stay whole.
    EXPECT_EQ(sb->Panels()->Items(0)->Width(), least[0]) << width;
    EXPECT_EQ(sb->Panels()->Items(1)->Width(), least[1] + std::min(0, spare)) << width;
    for (int i = 2; i < 5; ++i) EXPECT_EQ(sb->Panels()->Items(i)->Width(), least[i]) << width;
    EXPECT_EQ(sb->PanelRect(4).Right - sb->PanelRect(3).Right, least[4] + std::max(0, spare)) << width;
    // The labels follow their panels.
    TRect p0 = sb->PanelRect(0), p2 = sb->PanelRect(2);
    InflateRect(p0, -1, -1);
    InflateRect(p2, -1, -1);
    EXPECT_EQ(f->pnlStatus->BoundsRect(), p0) << width;
    EXPECT_EQ(f->lblMode->BoundsRect(), p2) << width;
  }
}

// A status text wider than the line is cut on screen; the whole text is the line's hint, which
// the pointer on the line shows. A text that fits gives the line its own hint back.
TEST_F(MainWindowTest, AStatusTextCutByTheLineIsItsHintWhole) {
  InstallPortBackend(&sim, kNoPortReason);
  TfrmMain* f = Start();
  const std::string ownHint = f->pnlStatus->Hint();
  ASSERT_FALSE(ownHint.empty()) << "the simulated adapter's sentence";
  const std::string reason = "Data File could not be read: Cannot open file \"/home/user/projects/velmaron/" +
                             std::string(80, 'd') + "/pipe.mem\". Not a regular file";
  struct {
    std::string Text;
    bool Cut;
  } cases[] = {{"  " + reason, true}, {"  Transmission successful", false}};
  for (const auto& c : cases) {
    f->pnlStatus->SetCaption(c.Text);
    EXPECT_EQ(TextWidthIn(f->pnlStatus->Font(), c.Text) > f->pnlStatus->Width(), c.Cut) << c.Text;
    EXPECT_EQ(f->pnlStatus->Hint(), c.Cut ? reason : ownHint) << c.Text;
    EXPECT_TRUE(f->pnlStatus->ShowHint());
    // The pointer on the line: panel 1 shows its hint.
    Application->SetHint("");
    QWidget* bar = f->pnlStatusBar->Peer();
    const TRect r = f->pnlStatus->BoundsRect();
    SendMouse(bar, QEvent::MouseMove, QPoint(r.Left + 5, (r.Top + r.Bottom) / 2), Qt::NoButton);
    Application->ProcessMessages();
    EXPECT_EQ(PanelText(1), c.Cut ? reason : ownHint) << c.Text;
    SendMouse(bar, QEvent::MouseMove, QPoint(f->pnlStatusBar->PanelRect(2).Left + 3, r.Top + 3), Qt::NoButton);
  }
  // The simulated adapter's sentence at start: cut on the line, its hint whole.
  f->pnlStatus->SetCaption("  Simulated adapter: no parallel port on this machine");
  EXPECT_EQ(f->pnlStatus->Hint(), "Simulated adapter: no parallel port on this machine");
  EXPECT_EQ(ownHint, "Simulated adapter: no parallel port on this machine");
}

TEST_F(MainWindowTest, ThePortPanelShowsTheSimulatedPortWhole) {
  InstallPortBackend(&sim, kNoPortReason);
  TfrmMain* f = Start();
  THTMLStatusBar* sb = f->pnlStatusBar;
  const int ownWidth = f->Width();
  // The frame at its own width, then as a 640 x 480 screen and a narrower frame give it.
  for (int frameWidth : {ownWidth, 640, 500}) {
  f->SetBounds(0, 0, frameWidth, f->Height());
  Application->ProcessMessages();
  for (TMenuItem* port : {f->LPT1, f->LPT2}) {
    port->Click();
    const std::string text = PanelText(4);
    ASSERT_EQ(text.rfind("Sim", 0), 0u) << text;
    const int room = sb->PanelRect(4).Width() - 2 - sb->Panels()->Items(4)->HTMLOffsetX();
    EXPECT_LE(TextWidthIn(sb->Font(), text), room) << text << " in " << frameWidth;
    EXPECT_LE(sb->PanelRect(4).Right, sb->ClientWidth()) << "the port panel stays on the bar in " << frameWidth;
    EXPECT_GE(sb->PanelRect(0).Width(), 30) << frameWidth;
    EXPECT_GE(sb->PanelRect(1).Width(), 30) << frameWidth;
    if (frameWidth == ownWidth) {
      EXPECT_EQ(sb->PanelRect(1).Width(), 280 - 2) << "the other panels keep their widths";
    }
    // Drawn as in the wide hint panel: nothing is cut.
    sb->Panels()->Items(1)->SetText(text);
    Application->ProcessMessages();
    const QImage bar = sb->Peer()->grab().toImage();
    auto inked = [&](int panel) {
      const TRect r = sb->PanelRect(panel);
      int n = 0;
      for (int y = r.Top + 1; y < r.Bottom - 1; ++y)
        for (int x = r.Left + 1; x < r.Right - 1; ++x) n += bar.pixelColor(x, y).lightness() < 128;
      return n;
    };
    EXPECT_GT(inked(1), 20);
    EXPECT_EQ(inked(4), inked(1)) << text << " is cut in the port panel";
  }
  }
}

TEST_F(MainWindowTest, TheClockPanelShowsAnUncalibratedClockWhole) {
  clock.NanosecondsPerLoopTurn = 0;  // a flat line: no calibration holds
  Store("Clock", 100);
  TfrmMain* f = Start();
  ASSERT_FALSE(f->Bus().Calibrated());
  ASSERT_EQ(PanelText(3), "\xE2\x89\xA4" "100 KHz");
  THTMLStatusBar* sb = f->pnlStatusBar;
  const int room = sb->PanelRect(3).Width() - 2 - sb->Panels()->Items(3)->HTMLOffsetX();
  EXPECT_LE(TextWidthIn(sb->Font(), PanelText(3)), room);
  // Calibrated again, the panel goes back to its own width.
  clock.NanosecondsPerLoopTurn = 1;
  f->mnuCalibrate->Click();
  ASSERT_TRUE(f->Bus().Calibrated());
  EXPECT_EQ(PanelText(3), "100 KHz");
  EXPECT_EQ(sb->Panels()->Items(3)->Width(), 50);
}

TEST_F(MainWindowTest, DraggingTheSizeGripResizesTheWindow) {
  TfrmMain* f = Start();
  THTMLStatusBar* sb = f->pnlStatusBar;
  ASSERT_TRUE(sb->SizeGripShown());
  QWidget* w = sb->Peer();
  const int width = f->Width(), height = f->Height();
  const QPoint grip(sb->ClientWidth() - 5, sb->ClientHeight() - 5);
  const QPoint screenGrip = w->mapToGlobal(grip);
  SendMouse(w, QEvent::MouseButtonPress, grip, Qt::LeftButton);
  EXPECT_TRUE(sb->Sizing());
  // Each move is where the pointer is on the screen, seen from the bar as it is then.
  for (const QPoint step : {QPoint(40, 30), QPoint(120, 80)}) {
    SendMouse(w, QEvent::MouseMove, w->mapFromGlobal(screenGrip + step), Qt::LeftButton);
    EXPECT_EQ(f->Width(), width + step.x());
    EXPECT_EQ(f->Height(), height + step.y());
  }
  SendMouse(w, QEvent::MouseButtonRelease, w->mapFromGlobal(screenGrip + QPoint(120, 80)), Qt::NoButton);
  EXPECT_FALSE(sb->Sizing());
  // The bar follows the window's new bottom, and the labels stay on their panels.
  EXPECT_EQ(sb->Top() + sb->Height(), f->ClientHeight());
  EXPECT_EQ(sb->Width(), f->ClientWidth());
  // Dragged far up and left, the window keeps a usable size.
  const QPoint from(sb->ClientWidth() - 5, sb->ClientHeight() - 5);
  const QPoint screenFrom = w->mapToGlobal(from);
  SendMouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton);
  SendMouse(w, QEvent::MouseMove, w->mapFromGlobal(screenFrom - QPoint(2000, 2000)), Qt::LeftButton);
  SendMouse(w, QEvent::MouseButtonRelease, w->mapFromGlobal(screenFrom - QPoint(2000, 2000)), Qt::NoButton);
  EXPECT_GE(f->Width(), 100);
  EXPECT_GT(f->ClientHeight(), sb->Height());
}

TEST_F(MainWindowTest, HelpKeyAsksForTheWindowsHelpContext) {
  TfrmMain* f = Start();
  std::vector<std::pair<WORD, intptr_t>> asked;
  Application->OnHelp = [&](WORD command, intptr_t data, bool& callHelp) {
    asked.emplace_back(command, data);
    callHelp = false;
    return true;
  };
  SendKey(f->Peer(), Qt::Key_F1);
  SendKey(f->ClientWidget(), Qt::Key_Help);
  Application->OnHelp = nullptr;
  const std::vector<std::pair<WORD, intptr_t>> expected = {{HELP_CONTEXT, 10}, {HELP_CONTEXT, 10}};
  EXPECT_EQ(asked, expected);
}

TEST_F(MainWindowNoDriverTest, TheWarningFlashesOnlyOnceTheWindowIsShown) {
  const int beeps = BeepCount();
  Application->CreateForm(frmMain);
  TfrmMain* f = frmMain;
  // Created, not yet shown: the line already tells it, in red, without the flash.
  EXPECT_FALSE(f->Visible());
  EXPECT_EQ(StatusText(), " Device Driver not running");
  EXPECT_EQ(StatusBack(), clRed);
  EXPECT_EQ(BeepCount(), beeps);
  bool shownAtFlash = false;
  int flashes = 0;
  TColor previous = StatusBack();
  // Watches the flash: each change of colour while the loop runs.
  QTimer probe;
  QObject::connect(&probe, &QTimer::timeout, [&] {
    if (StatusBack() != previous) {
      previous = StatusBack();
      ++flashes;
      shownAtFlash = f->Visible() && f->Peer()->isVisible();
    }
  });
  probe.start(0);
  Responder().ExpectMessage("cannot use the parallel port");  // why the driver is not running
  f->Show();
  for (int i = 0; i < 5 && (BeepCount() == beeps || Responder().Pending() > 0); ++i) Application->ProcessMessages();
  probe.stop();
  EXPECT_EQ(BeepCount(), beeps + 1);
  EXPECT_GT(flashes, 0) << "the flash ran";
  EXPECT_TRUE(shownAtFlash) << "while the window was on the screen";
  EXPECT_EQ(StatusBack(), clRed);
  EXPECT_EQ(StatusFont(), clWhite);
}

}  // namespace

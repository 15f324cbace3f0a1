// Window > Cascade over every kind of window: each takes the size its form was made at, shrunk
// only where the frame's client area ends, a step lower and to the right of the one behind it.
#include <gtest/gtest.h>

#include <QMdiArea>
#include <QWidget>

#include <map>
#include <string>

#include "tests/app/MainTestFixture.h"

namespace {

using MainCascadeTest = TMainWindowTest<>;

TEST_F(MainCascadeTest, EveryWindowTakesItsFormSizeCutOnlyByTheClientArea) {
  TfrmMain* f = Start();
  const std::map<std::string, TSize> formSizes = {{"TfrmSmallEE", {782, 547}},  {"TfrmEEPROM", {720, 542}},
                                                  {"TfrmUniversal", {624, 368}}, {"TfrmMessage", {700, 470}},
                                                  {"TfrmLongI2C", {578, 383}}};
  f->SetBounds(0, 0, 800, 600);
  Application->ProcessMessages();
  // Each window opens maximised over the one before, as the device menu gives them.
  for (TMenuItem* item : {f->mnu2K, f->mnu4Kx8, f->mnuUniversal, f->mnuExpert, f->mnuCustom}) {
    item->Click();
    Application->ProcessMessages();
  }
  ASSERT_EQ(f->MDIChildCount(), 5);
  // The same windows again in a larger frame: the whole form comes back.
  for (const TSize frame : {TSize{800, 600}, TSize{1280, 1024}}) {
    SCOPED_TRACE(std::to_string(frame.cx) + " x " + std::to_string(frame.cy));
    f->SetBounds(0, 0, frame.cx, frame.cy);
    Application->ProcessMessages();
    f->WindowCascadeItem->Click();
    Application->ProcessMessages();
    const QSize area = f->MdiArea()->viewport()->size();
    for (int i = 0; i < f->MDIChildCount(); ++i) {
      TCustomForm* w = f->MDIChildren(i);
      SCOPED_TRACE(w->ClassName());
      const TSize form = formSizes.at(w->ClassName());
      EXPECT_EQ(w->WindowState(), wsNormal);
      EXPECT_EQ(w->Width(), std::min<int>(form.cx, area.width() - w->Left()));
      EXPECT_EQ(w->Height(), std::min<int>(form.cy, area.height() - w->Top()));
      EXPECT_LE(w->Left() + w->Width(), area.width()) << "under the frame's edge";
      EXPECT_LE(w->Top() + w->Height(), area.height()) << "under the status bar";
    }
  }
}

}  // namespace

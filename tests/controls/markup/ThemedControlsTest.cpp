// The grid renderer's inline controls use the program's one styles binding:
// themed parts while a library can draw them, classic frame controls otherwise.
#include <gtest/gtest.h>

#include <memory>

#include "controls/markup/EsgHTMLE.h"
#include "controls/markup/HTMLEngine.h"
#include "platform/gui/RecordingCanvas.h"
#include "platform/gui/VisualStyles.h"
#include "platform/gui/testing/GuiTest.h"

namespace {

class ThemedControls : public TGuiTest {
 protected:
  void TearDown() override {
    SetVisualStylesLoader(nullptr);
    TGuiTest::TearDown();
  }
  std::vector<TCanvasOp> Draw(const std::string& text) {
    TRecordingCanvas c;
    THTMLDrawParams p;
    p.Canvas = &c;
    p.Text = text;
    p.Rect = TRect(0, 0, 400, 100);
    HTMLDrawEngine(GridMarkupDialect, p);
    return c.Ops();
  }
  static size_t Count(const std::vector<TCanvasOp>& ops, TCanvasOpKind kind) {
    size_t n = 0;
    for (const auto& op : ops) n += op.Kind == kind;
    return n;
  }
};

const char* const kControls =
    "<CONTROL TYPE=\"COMBO\" ID=\"a\" VALUE=\"x\" WIDTH=\"60\">"
    "<CONTROL TYPE=\"CHECK\" ID=\"b\" VALUE=\"TRUE\" WIDTH=\"20\">"
    "<CONTROL TYPE=\"RADIO\" ID=\"c\" VALUE=\"FALSE\" WIDTH=\"20\">"
    "<CONTROL TYPE=\"BUTTON\" ID=\"d\" VALUE=\"Go\" WIDTH=\"50\">";

}  // namespace

TEST_F(ThemedControls, ThemedWhileTheLibraryDraws) {
  ASSERT_TRUE(IsWinXP);
  ASSERT_TRUE(VisualStylesUsable());
  EXPECT_EQ(Count(Draw(kControls), okImage), 4u);  // one part per control
}

TEST_F(ThemedControls, ClassicWithoutALibraryOrWithoutItsDrawingEntry) {
  SetVisualStylesLoader([] { return nullptr; });
  auto classic = Draw(kControls);
  EXPECT_EQ(Count(classic, okImage), 0u);
  EXPECT_GT(Count(classic, okFillRect), 4u);

  SetVisualStylesLoader([] {
    auto lib = LoadQStyleVisualStyles();
    lib->DrawThemeBackground = nullptr;
    return lib;
  });
  auto lacking = Draw(kControls);
  EXPECT_EQ(Count(lacking, okImage), 0u);
  EXPECT_EQ(Count(lacking, okFillRect), Count(classic, okFillRect));
}

// The hand cursor is there from the start, before any control exists (a program
// of its own, so that no other test creates a control first).
#include <gtest/gtest.h>

#include <QCursor>
#include <QPixmap>

#include "controls/instrument/InstSystem.h"
#include "platform/gui/Forms.h"

TEST(InstStartup, TheHandCursorIsInstalledWhenTheApplicationStarts) {
  ASSERT_TRUE(Application->Initialized());
  const auto* hand = reinterpret_cast<const QCursor*>(Screen->Cursors(crInstHandPoint));
  ASSERT_NE(hand, nullptr);
  EXPECT_EQ(hand->hotSpot(), QPoint(5, 0));  // the finger tip of the built-in hand
  EXPECT_EQ(hand->pixmap().size(), QSize(32, 32));
  EXPECT_FALSE(InstHandCursorBytes().empty());  // (and this program links the unit)
}

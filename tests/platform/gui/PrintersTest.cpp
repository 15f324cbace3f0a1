// The printed page's margins: 10 mm on every side at least, more where the printer's own page
// rectangle (its least margins) or the margins already set leave less room.
#include "platform/gui/Printers.h"

#include <gtest/gtest.h>

#include <QMarginsF>
#include <QPageLayout>
#include <QPrinter>

TEST(PrintMargins, TextKeepsTenMillimetresWithinThePrintersPageRectangle) {
  const struct {
    const char* What;
    QMarginsF Least, Set, Want;
  } cases[] = {
      {"the toolkit's default margins", {0, 0, 0, 0}, {3.53, 3.53, 3.53, 3.53}, {10, 10, 10, 10}},
      {"a printer that cannot print near two edges", {12, 4, 15, 6}, {12, 4, 15, 6}, {12, 10, 15, 10}},
      {"wider margins already set", {0, 0, 0, 0}, {20, 5, 5, 25}, {20, 10, 10, 25}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Millimeter);
    layout.setMinimumMargins(c.Least);
    layout.setMargins(c.Set);
    printer.setPageLayout(layout);
    KeepTextMargins(printer);
    const QPageLayout now = printer.pageLayout();
    const QMarginsF m = now.margins(QPageLayout::Millimeter);
    EXPECT_NEAR(m.left(), c.Want.left(), 0.01);
    EXPECT_NEAR(m.top(), c.Want.top(), 0.01);
    EXPECT_NEAR(m.right(), c.Want.right(), 0.01);
    EXPECT_NEAR(m.bottom(), c.Want.bottom(), 0.01);
    // What is painted lies that far inside the paper.
    const QRectF paper = now.fullRect(QPageLayout::Millimeter), paint = now.paintRect(QPageLayout::Millimeter);
    EXPECT_NEAR(paint.left() - paper.left(), c.Want.left(), 0.01);
    EXPECT_NEAR(paper.bottom() - paint.bottom(), c.Want.bottom(), 0.01);
    EXPECT_FALSE(printer.fullPage());
  }
}

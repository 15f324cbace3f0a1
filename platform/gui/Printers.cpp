#include "platform/gui/Printers.h"

#include <QFileDialog>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <cstdio>

#include "platform/gui/Graphics.h"
#include "platform/gui/GuiInternal.h"
#include "platform/gui/QtCanvas.h"
#include "platform/rtl/SysUtils.h"

namespace {
TPrintTarget& Target() {
  static TPrintTarget target;
  return target;
}
}  // namespace

TPrintTarget CurrentPrintTarget() { return Target(); }
void SetPrintTarget(const TPrintTarget& T) { Target() = T; }

bool TPrintDialog::Execute() {
  TDialogRequest request;
  request.Kind = dkPrint;
  request.Caption = "Print";
  request.Owner = DialogOwner(request.StayOnTop);
  if (TDialogResponder* r = DialogResponder()) {
    TDialogAnswer answer;
    if (r->Answer(request, answer)) {
      if (answer.Result != mrOk) return false;
      Target() = TPrintTarget{std::string(), answer.FileName};
      return true;
    }
  }
  if (!QPrinterInfo::availablePrinters().isEmpty()) {
    QPrinter printer;
    if (!Target().PrinterName.empty()) printer.setPrinterName(QString::fromStdString(Target().PrinterName));
    QPrintDialog dialog(&printer);
    GuiPlaceDialog(dialog, request);
    if (dialog.exec() != QDialog::Accepted) return false;
    if (printer.outputFormat() == QPrinter::PdfFormat)
      Target() = TPrintTarget{std::string(), printer.outputFileName().toStdString()};
    else
      Target() = TPrintTarget{printer.printerName().toStdString(), std::string()};
    return true;
  }
  // A name typed without an extension gets ".pdf" (asked about before it overwrites).
  QFileDialog dialog(nullptr, "No printer is set up: print into a PDF file", QString(), "PDF files (*.pdf)");
  GuiPlaceDialog(dialog, request);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix("pdf");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  const QString file = dialog.selectedFiles().front();
  if (file.isEmpty()) return false;
  Target() = TPrintTarget{std::string(), file.toStdString()};
  return true;
}

std::vector<TTextPage> TextPages(int LineCount, int LineHeight, int PageHeight) {
  std::vector<TTextPage> pages;
  const int perPage = LineHeight > 0 ? std::max(1, PageHeight / LineHeight) : 1;
  for (int first = 0; first < LineCount; first += perPage)
    pages.push_back(TTextPage{first, std::min(perPage, LineCount - first)});
  if (pages.empty()) pages.push_back(TTextPage{0, 0});
  return pages;
}

void DrawTextPage(TCanvas* Canvas, const std::vector<std::string>& Lines, const TTextPage& Page, int LineHeight) {
  Canvas->Brush()->SetStyle(bsClear);
  for (int i = 0; i < Page.Count; ++i)
    Canvas->TextOut(0, i * LineHeight, Lines[static_cast<size_t>(Page.First + i)]);
}

void KeepTextMargins(QPrinter& Printer) {
  // Each side keeps its own margin where the printer cannot print as near the edge; the
  // painter starts at the top-left corner of what is left.
  QPageLayout layout = Printer.pageLayout();
  const QMarginsF least = layout.minimumMargins();
  const QMarginsF now = layout.margins(QPageLayout::Millimeter);
  const QMarginsF mm(std::max({PrintMarginMm, least.left(), now.left()}), std::max({PrintMarginMm, least.top(), now.top()}),
                     std::max({PrintMarginMm, least.right(), now.right()}),
                     std::max({PrintMarginMm, least.bottom(), now.bottom()}));
  Printer.setFullPage(false);
  Printer.setPageMargins(mm, QPageLayout::Millimeter);
}

void PrintTextLines(const std::vector<std::string>& Lines, const std::string& FontName, const std::string& Title) {
  const TPrintTarget target = Target();
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(QString::fromStdString(Title));
  const std::string temp = target.PdfFile.empty() ? std::string() : target.PdfFile + ".printing";
  if (!target.PdfFile.empty()) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(temp));
  } else if (!target.PrinterName.empty()) {
    printer.setPrinterName(QString::fromStdString(target.PrinterName));
  }
  KeepTextMargins(printer);
  QPainter painter;
  if (!painter.begin(&printer)) {
    if (!temp.empty()) std::remove(temp.c_str());
    throw Exception(target.PdfFile.empty() ? "The printer could not be opened."
                                           : "Cannot create file \"" + target.PdfFile + "\".");
  }
  // Work in pixels of 96 per inch, as the screen does, on the page's printable area.
  const double scale = printer.resolution() / 96.0;
  painter.scale(scale, scale);
  const QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
  const int pageHeight = static_cast<int>(area.height() / scale);
  {
    TCanvas canvas;
    canvas.SetBackend(std::make_unique<TQtCanvasBackend>(&painter));
    canvas.Font()->SetName(FontName);
    canvas.Font()->SetHeight(PrintFontHeight);
    canvas.Font()->SetColor(clBlack);
    const int lineHeight = canvas.TextHeight("Wg");
    const std::vector<TTextPage> pages = TextPages(static_cast<int>(Lines.size()), lineHeight, pageHeight);
    for (size_t p = 0; p < pages.size(); ++p) {
      if (p > 0) printer.newPage();
      DrawTextPage(&canvas, Lines, pages[p], lineHeight);
    }
    canvas.SetBackend(static_cast<TCanvasBackend*>(nullptr));
  }
  const bool ok = painter.end();
  if (!temp.empty()) {
    if (!ok || std::rename(temp.c_str(), target.PdfFile.c_str()) != 0) {
      std::remove(temp.c_str());
      throw Exception("Cannot create file \"" + target.PdfFile + "\".");
    }
  } else if (!ok) {
    throw Exception("Printing failed.");
  }
}

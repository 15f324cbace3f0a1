#pragma once
// Printing: the print dialog and a text stream on the printer. With a printer
// set up (CUPS) the dialog is the system's; without one the user chooses a PDF
// file to print into. Tests answer the dialog through the dialog responder.

#include <string>
#include <vector>

#include "platform/gui/Dialogs.h"

class TCanvas;

class TPrintDialog : public TCommonDialog {
 public:
  explicit TPrintDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
  std::string ClassName() const override { return "TPrintDialog"; }
  // True when the user confirmed; the next print goes where the user chose.
  bool Execute() override;
};

// Where printing goes: a printer by name (empty: the default printer) or a PDF file.
struct TPrintTarget {
  std::string PrinterName;
  std::string PdfFile;
};
TPrintTarget CurrentPrintTarget();
void SetPrintTarget(const TPrintTarget& Target);

// The pages of a text stream: lines of LineHeight on pages of PageHeight (at least one line a page).
struct TTextPage {
  int First = 0;
  int Count = 0;
};
std::vector<TTextPage> TextPages(int LineCount, int LineHeight, int PageHeight);
// Draws one page of lines from the page's top-left corner, one line a LineHeight.
void DrawTextPage(TCanvas* Canvas, const std::vector<std::string>& Lines, const TTextPage& Page, int LineHeight);

// Prints the lines as a text stream on the printer in the named font (10 points),
// one job named Title. A PDF is written beside its target and renamed over it,
// so a failed print keeps an earlier file. Raises Exception when printing fails.
void PrintTextLines(const std::vector<std::string>& Lines, const std::string& FontName, const std::string& Title);

// The least margin of a printed page on every side, in millimetres: most printers cannot print
// nearer the edge. A printer whose printable area ends further in keeps its own.
constexpr double PrintMarginMm = 10;
class QPrinter;
// Sets the printer's page margins to PrintMarginMm, or the printer's own least margin or the
// margin already set where that is more, side by side.
void KeepTextMargins(QPrinter& Printer);

// Font height in pixels of 96 per inch for the stream's 10-point text.
constexpr int PrintFontHeight = -13;

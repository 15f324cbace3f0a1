// Arbitrary bytes as a rich cell's RTF (and, with the first byte odd, a long tail of one word
// after it): the grid lays the cell out and draws it, measures it for autosizing, and loads it
// into a rich edit or refuses it with its message; all in time bounded by the cell, not the text
// (libFuzzer's time-out catches a stall). The document built for a box never holds more than the
// whole text does.
#include <cstdint>
#include <cstdlib>
#include <string>


#include "controls/grid/ExtGrid.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzScratch.h"
#include "platform/gui/FormImage.h"
#include "platform/gui/Forms.h"
#include "platform/gui/RichEdit.h"
#include "platform/gui/RichText.h"

namespace {
TForm* gForm = nullptr;
TExtStringGrid* gGrid = nullptr;
TRichEdit* gEdit = nullptr;
}  // namespace

// Fontconfig keeps caches for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  Application->Initialize();
  gForm = new TForm(Application);
  gForm->SetClientSize(300, 200);
  gGrid = new TExtStringGrid(gForm);
  gGrid->SetParent(gForm);
  gGrid->SetBounds(0, 0, 300, 200);
  gGrid->SetColCount(3);
  gGrid->SetRowCount(3);
  gGrid->Loaded();
  gEdit = new TRichEdit(gForm);
  gEdit->SetParent(gForm);
  gForm->Show();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  TReader in{data, size};
  const uint8_t mode = in.Byte(), box = in.Byte();
  std::string rtf(reinterpret_cast<const char*>(in.p), in.n);
  if (rtf.compare(0, 2, "{\\") != 0) rtf = "{\\rtf1 " + rtf;
  if (mode & 1) rtf += std::string(size_t(mode) << 12, 'w');  // up to 1 MB of one word
  gGrid->SetColWidths(1, 20 + box % 200);
  gGrid->SetRowHeights(1, 10 + box / 2);
  gGrid->SetWordWrap(mode & 2);
  gGrid->SetCells(1, 1, rtf);
  Check(SaveControlImage(gGrid, (fuzzscratch::Root() / "cell.png").string()), "the grid paints");
  if (mode & 4) gGrid->AutoSizeRow(1);
  if (mode & 8) gGrid->AutoSizeColumn(1);
  Check(SaveControlImage(gGrid, (fuzzscratch::Root() / "cell.png").string()), "the grid paints after autosizing");
  try {
    gGrid->LoadRichEdit(1, 1, gEdit);
  } catch (EExtGridError& e) {
    Check(e.Message() == kRichTextTooLong, "only a text too long is refused");
  }
  TRichDocument whole, shown;
  shown.LoadRtfShown(rtf, 20 + box % 200, 10 + box / 2);
  if (rtf.size() < 8192) {
    whole.LoadRtf(rtf);
    Check(shown.CharacterCount() <= whole.CharacterCount(), "a box holds no more than the whole");
  }
  return 0;
}

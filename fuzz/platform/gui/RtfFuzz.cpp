// Arbitrary bytes as RTF: read without a crash, a hang or memory beyond a multiple of the
// input; the plain text agrees with the reader's runs; what the writer makes of the runs
// reads back as the same runs, and the document built from them writes the same RTF; a read
// stopped halfway gives the start of the whole.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzInput.h"
#include "platform/gui/Forms.h"
#include "platform/gui/RichText.h"
#include "platform/gui/RtfReader.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  Application->Initialize();  // the document's fonts need the application
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string rtf(reinterpret_cast<const char*>(data), size);
  TRtfContent c;
  std::string error;
  const bool ok = ReadRtf(rtf, c, &error);
  Check(ok || !error.empty(), "a refusal gives its reason");
  size_t text = 0;
  for (const auto& p : c.Paragraphs)
    for (const auto& r : p.Runs) text += r.Text.size();
  Check(text <= 4 * size + 16, "text within a multiple of the input");
  Check(c.PlainText() == RtfToPlainText(rtf), "plain text of the runs");

  // Stopped halfway through the text, the reader gives the start of the whole.
  TRtfContent start;
  bool cut = false;
  ReadRtfStart(rtf, start, text / 2, &cut);
  Check(cut == (text / 2 < text), "stops only before the end of the text");
  Check(start.Paragraphs.size() <= c.Paragraphs.size(), "no paragraph the whole lacks");
  for (size_t i = 0; i < start.Paragraphs.size(); ++i) {
    const auto &p = start.Paragraphs[i], &w = c.Paragraphs[i];
    if (i + 1 < start.Paragraphs.size() || !cut) {
      Check(p == w, "paragraphs read whole are the same");
      continue;
    }
    Check(p.Runs.size() <= w.Runs.size(), "the cut paragraph's runs are the whole's");
    for (size_t r = 0; r < p.Runs.size(); ++r) {
      Check(p.Runs[r].Format == w.Runs[r].Format, "the cut paragraph's formats are the whole's");
      Check(w.Runs[r].Text.compare(0, p.Runs[r].Text.size(), p.Runs[r].Text) == 0, "the cut text starts the whole's");
    }
  }

  const std::string written = WriteRtf(c);
  TRtfContent again;
  Check(ReadRtf(written, again, &error), "the writer's RTF reads");
  Check(again.Paragraphs == c.Paragraphs, "the same runs after writing");

  if (size < 4096) {  // the document is slower; small inputs cover its paths
    TRichDocument d;
    d.LoadRtf(rtf);
    Check(d.PlainText() == c.PlainText(), "the document's plain text");
  }
  return 0;
}

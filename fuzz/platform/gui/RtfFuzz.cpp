// Arbitrary bytes as RTF: read without a crash, a hang or memory beyond a multiple of the
// input; the plain text agrees with the reader's runs; what the writer makes of the runs
// reads back as the same runs, and the document built from them writes the same RTF.
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

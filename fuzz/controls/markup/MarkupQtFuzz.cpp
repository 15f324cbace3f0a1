// Arbitrary text drawn and hit-tested by every copy of the markup renderer
// through the Qt canvas (offscreen), with named pictures and an address
// cache: the fonts, glyph tables, pictures and clipping the screen uses.
#include <cstdlib>

#include "fuzz/controls/markup/MarkupFuzzSupport.h"
#include "platform/gui/Forms.h"

using namespace markupfuzz;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  AskForLongInputs(argc, argv);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application->Initialize();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TInput in;
  if (!Read(data, size, in)) return 0;
  static TBitmap* bitmap = new TBitmap(600, 520);
  TCanvas* canvas = bitmap->Canvas();
  canvas->Font()->SetHeight(-int(8 + in.K % 16));
  for (const TMarkupDialect* d : kDialects) {
    THTMLPictureCache cache;
    for (int mode = 1; mode < 3; ++mode) {
      THTMLDrawParams p = Params(in, canvas, mode, &cache);
      HTMLDrawEngine(*d, p);
      CheckResults(p);
    }
  }
  return 0;
}

// The font configuration library keeps its caches for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

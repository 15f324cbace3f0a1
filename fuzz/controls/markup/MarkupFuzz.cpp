// Arbitrary text through measuring, hit-testing and drawing in every copy of
// the markup renderer on a recording canvas, with named pictures and an
// address cache, and through every text helper. The first bytes choose the
// rectangle, the point and the modes; the rest is the text.
#include "fuzz/controls/markup/MarkupFuzzSupport.h"
#include "platform/gui/RecordingCanvas.h"

using namespace markupfuzz;

namespace {

void Helpers(const std::string& t, uint8_t k) {
  Check(DecodeEntities(EncodeEntities(t)) == t);
  const std::string visible = StripTags(t);
  (void)HTMLStrip(t);
  for (int n = -1; n <= int(visible.size()) + 1; n += 1 + int(visible.size()) / 8) {
    const int raw = VisibleToRawIndex(t, n);
    Check(raw >= -1 && raw <= int(t.size()));
  }
  const std::string search = visible.substr(0, k % 4);
  const std::string lit = HiLight(t, search, "HI", k & 1);
  if (t.find_first_of("<>") == std::string::npos) Check(UnHiLight(lit, "hi") == t);
  Check(StripTags(lit) == visible);
  // Inserted tags keep a UTF-8 text UTF-8.
  if (IsValidUtf8(t)) Check(IsValidUtf8(lit));
  (void)ConvertFooterMarkers(t);
  (void)LineBreaksToBR(t, k & 2);
  (void)IntVal(t);
  (void)HexToColor(t);
  (void)ColorNameToColor(t);
  int pos = 0;
  (void)FindTextFrom(search, t, k % 7, pos, k & 4);
  std::string s = t;
  const std::string id = NextHTMLControlID(t, "");
  (void)GetHTMLControlValue(t, id);
  (void)GetHTMLControlType(t, id);
  (void)GetHTMLControlProp(t, id);
  const bool changed = SetHTMLControlValue(s, id, t.substr(0, 8));
  if (!changed) Check(s == t);
  if (changed && IsValidUtf8(t)) Check(IsValidUtf8(s));
  std::string type, cid, prop, width, value;
  ParseControlTag(t, type, cid, prop, width, value);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  AskForLongInputs(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TInput in;
  if (!Read(data, size, in)) return 0;
  static TRecordingCanvas* canvas = new TRecordingCanvas(2000, 2000);

  Helpers(in.Text, in.K);

  for (const TMarkupDialect* d : kDialects) {
    // Each address goes into the cache once, however often it is drawn.
    THTMLPictureCache cache;
    int entries = -1;
    for (int mode : {0, 1, 2, 2}) {
      canvas->Clear();
      THTMLDrawParams p = Params(in, canvas, mode, &cache);
      HTMLDrawEngine(*d, p);
      CheckResults(p);
      // The canvas is given whole characters of valid UTF-8 only.
      for (const TCanvasOp& op : canvas->Ops())
        if (op.Kind == okText) Check(IsValidUtf8(op.Text));
      // The second drawing finds every address where the first left it.
      if (entries >= 0) Check(cache.Count() == entries);
      if (mode == 2) entries = cache.Count();
    }
  }
  return 0;
}

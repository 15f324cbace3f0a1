// Arbitrary text through measuring, drawing and hit-testing in every copy of
// the markup renderer, and through every text helper. The first bytes choose
// the rectangle, the point and the modes; the rest is the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "controls/markup/EsgHTMLE.h"
#include "controls/markup/HTMLStatusBarMarkup.h"
#include "controls/markup/InspectorMarkup.h"
#include "platform/gui/RecordingCanvas.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

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
  std::string type, cid, prop, width, value;
  ParseControlTag(t, type, cid, prop, width, value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  static TRecordingCanvas* canvas = new TRecordingCanvas(2000, 2000);
  const uint8_t flags = data[0];
  const int width = int(data[1]) * 2 - 20;  // zero and negative widths too
  const int height = int(data[2]) * 2;
  const int x = data[3], y = data[4];
  const uint8_t k = data[5];
  const std::string text(reinterpret_cast<const char*>(data + 6), size - 6);

  Helpers(text, k);

  const TMarkupDialect* dialects[] = {&GridMarkupDialect, &StatusBarMarkupDialect, &InspectorMarkupDialect};
  for (const TMarkupDialect* d : dialects) {
    for (int mode = 0; mode < 3; ++mode) {
      canvas->Clear();
      THTMLDrawParams p;
      p.Canvas = canvas;
      p.Text = text;
      p.Rect = TRect(5, 5, 5 + width, 5 + height);
      p.XPos = x;
      p.YPos = y;
      p.CheckHeight = mode == 0;
      p.CheckHotSpot = mode == 1;
      p.WordWrap = flags & 1;
      p.Selected = flags & 2;
      p.Blink = flags & 4;
      p.HoverStyle = flags & 8;
      p.HoverLink = k % 3;
      p.FocusLink = (k >> 2) % 3 - 1;
      p.ShadowOffset = (flags >> 4) & 3;
      p.HotControls = flags & 64;
      p.ControlID = mode == 1 ? "a" : "";
      HTMLDrawEngine(*d, p);
      Check(p.YSize >= 0 && p.XSize >= 0);
      Check(p.HyperLinks >= 0);
    }
  }
  return 0;
}

// Arbitrary text through DrawText's layout (every flag combination, any
// width), the filter parser, colour names and the bitmap reader.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/gui/Dialogs.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/RecordingCanvas.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  unsigned flags = static_cast<unsigned>(data[0]) | (static_cast<unsigned>(data[1]) << 8) |
                   (static_cast<unsigned>(data[2] & 0x3F) << 16);
  int width = static_cast<int>(data[3]) - 16;  // negative widths too
  std::string text(reinterpret_cast<const char*>(data + 4), size - 4);

  TRecordingCanvas c;
  c.Font()->SetHeight(-static_cast<int>(1 + data[3] % 30));
  TRect r(3, 5, 3 + width, 200);
  c.DrawText(text, r, flags & ~DT_CALCRECT);
  TRect m(0, 0, width, 0);
  c.DrawText(text, m, flags | DT_CALCRECT);
  for (const auto& op : c.Ops())
    if (op.Kind == okText && op.Text.size() > 8 * text.size() + 3) __builtin_trap();  // tabs grow to 8 blanks at most

  TOpenDialog::ParseFilter(text);
  try {
    StringToColor(text);
  } catch (const Exception&) {
  }
  TMemoryStream ms;
  ms.WriteString(text);
  ms.SetPosition(0);
  TBitmap b;
  try {
    b.LoadFromStream(&ms);
  } catch (const Exception&) {
  }
  return 0;
}

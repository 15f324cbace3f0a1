#pragma once
// What both markup fuzz targets share: reading the call's arguments from the
// first bytes of an input, the pictures a text may name, and the checks that
// hold after every call.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "controls/markup/EsgHTMLE.h"
#include "controls/markup/HTMLStatusBarMarkup.h"
#include "controls/markup/InspectorMarkup.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"
#include "fuzz/FuzzInput.h"

namespace markupfuzz {

constexpr size_t kHeader = 6;
// Inputs up to this length; the targets ask libFuzzer for it themselves.
constexpr size_t kMaxLength = 100000;

// Adds "-max_len" unless the command line gives one.
inline void AskForLongInputs(int* argc, char*** argv) {
  for (int i = 1; i < *argc; ++i)
    if (std::string((*argv)[i]).rfind("-max_len=", 0) == 0) return;
  static std::vector<char*> args;
  static std::string flag = "-max_len=" + std::to_string(kMaxLength);
  args.assign(*argv, *argv + *argc);
  args.push_back(flag.data());
  args.push_back(nullptr);
  *argc += 1;
  *argv = args.data();
}

// A small valid GIF of two frames, as the picture container keeps pictures.
inline std::string TwoFrameGif() {
  const unsigned char bytes[] = {
      'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0, 0, 0, 0, 0xFF,
      0x21, 0xF9, 4, 0, 10, 0, 0, 0, 0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0,
      0x21, 0xF9, 4, 0, 10, 0, 0, 0, 0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x4C, 0x01, 0, 0x3B};
  return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

// Named pictures ("pic" 16 by 16, "anim" a GIF at its second frame, one
// left empty) and a resource for "res://".
inline TPictureContainer* Pictures() {
  static TPictureContainer* pc = [] {
    auto* c = new TPictureContainer(nullptr);
    RegisterResource("FUZZPIC", TwoFrameGif());
    TBitmap square(16, 16);
    square.Canvas()->Brush()->SetColor(clTeal);
    square.Canvas()->FillRect(TRect(0, 0, 16, 16));
    TMemoryStream bmp;
    square.SaveToStream(&bmp);
    bmp.SetPosition(0);
    TPictureItem* a = c->Items()->Add();
    a->SetName("pic");
    a->Picture()->LoadFromStream(&bmp);
    TPictureItem* b = c->Items()->Add();
    b->SetName("anim");
    TStringStream gif(TwoFrameGif());
    b->Picture()->LoadFromStream(&gif);
    b->Picture()->SetFrame(2);
    c->Items()->Add()->SetName("empty");
    return c;
  }();
  return pc;
}

struct TInput {
  uint8_t Flags = 0, K = 0;
  int Width = 0, Height = 0, X = 0, Y = 0;
  std::string Text;
};

inline bool Read(const uint8_t* data, size_t size, TInput& in) {
  if (size < kHeader) return false;
  in.Flags = data[0];
  in.Width = int(data[1]) * 2 - 20;  // zero and negative widths too
  in.Height = int(data[2]) * 2;
  in.X = data[3];
  in.Y = data[4];
  in.K = data[5];
  in.Text.assign(reinterpret_cast<const char*>(data + kHeader), size - kHeader);
  return true;
}

// The arguments of one call: mode 0 measures, 1 hit-tests, 2 draws.
inline THTMLDrawParams Params(const TInput& in, TCanvas* canvas, int mode, THTMLPictureCache* cache) {
  THTMLDrawParams p;
  p.Canvas = canvas;
  p.Text = in.Text;
  p.Rect = TRect(5, 5, 5 + in.Width, 5 + in.Height);
  p.XPos = in.X;
  p.YPos = in.Y;
  p.CheckHeight = mode == 0;
  p.CheckHotSpot = mode == 1;
  p.WordWrap = in.Flags & 1;
  p.Selected = in.Flags & 2;
  p.Blink = in.Flags & 4;
  p.HoverStyle = in.Flags & 8;
  p.HoverLink = in.K % 3;
  p.FocusLink = (in.K >> 2) % 3 - 1;
  p.ShadowOffset = (in.Flags >> 4) & 3;
  p.HotControls = in.Flags & 64;
  p.HoverColor = in.Flags & 128 ? clYellow : clNone;
  p.ControlID = mode == 1 ? "a" : "";
  p.PictureCache = cache;
  p.PictureContainer = Pictures();
  return p;
}

// What holds after any call.
inline void CheckResults(const THTMLDrawParams& p) {
  Check(p.YSize >= 0 && p.XSize >= 0);
  Check(p.HyperLinks >= 0);
  // The plain text is in the encoding of the text: UTF-8 stays UTF-8.
  if (IsValidUtf8(p.Text)) Check(IsValidUtf8(p.StripVal));
}

inline const TMarkupDialect* const kDialects[] = {&GridMarkupDialect, &StatusBarMarkupDialect,
                                                  &InspectorMarkupDialect};

}  // namespace markupfuzz

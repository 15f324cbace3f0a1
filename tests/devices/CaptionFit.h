#pragma once
// Captions that do not fit their controls, measured in the controls' own fonts
// as the machine draws them: group boxes (caption from 8 pixels in, with room
// on the right), check boxes (after their box), fixed-size labels and the
// instrument push buttons (inside outline and bevel, in both hover fonts).

#include <string>
#include <vector>

#include "controls/instrument/InstButtons.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/StdCtrls.h"

inline std::vector<std::string> UnfitCaptions(TComponent* Owner) {
  std::vector<std::string> bad;
  TBitmap measure(1, 1);
  TCanvas* c = measure.Canvas();
  auto width = [&](TFont* f, const std::string& t) {
    c->Font()->Assign(f);
    return c->TextWidth(StripHotkey(t));
  };
  auto check = [&](TComponent* k, const std::string& text, int need, int room) {
    if (need > room)
      bad.push_back(k->Name() + " \"" + text + "\" needs " + std::to_string(need) + " of " + std::to_string(room));
  };
  for (int i = 0; i < Owner->ComponentCount(); ++i) {
    TComponent* k = Owner->Components(i);
    if (auto* g = dynamic_cast<TGroupBox*>(k)) {
      if (!g->Caption().empty()) check(k, g->Caption(), width(g->Font(), g->Caption()) + 16, g->Width());
    } else if (auto* b = dynamic_cast<TInstDemoButton*>(k)) {
      const int room = b->Width() - 2 * (b->BevelWidth() + b->OutlineWidth());
      for (TFont* f : {b->FontLeave(), b->FontEnter()}) check(k, b->Caption(), width(f, b->Caption()), room);
    } else if (auto* x = dynamic_cast<TCheckBox*>(k)) {
      check(k, x->Caption(), width(x->Font(), x->Caption()) + 20, x->Width());
    } else if (auto* l = dynamic_cast<TLabel*>(k)) {
      if (!l->AutoSize() && !l->WordWrap()) check(k, l->Caption(), width(l->Font(), l->Caption()), l->Width());
    }
  }
  return bad;
}

#include "controls/inspector/InspCaption.h"

#include <algorithm>

TInspectorCaption::TInspectorCaption()
    : font_(std::make_unique<TFont>()),
      activeFont_(std::make_unique<TFont>()),
      background_(std::make_unique<TBitmap>()),
      activeBackground_(std::make_unique<TBitmap>()),
      glyphOpen_(std::make_unique<TBitmap>()),
      glyphClose_(std::make_unique<TBitmap>()) {
  // A change inside either font is a change of the look.
  font_->OnChange = [this](TObject*) { LookChanged(); };
  activeFont_->OnChange = [this](TObject*) { LookChanged(); };
}

TInspectorCaption::~TInspectorCaption() {
  font_->OnChange = nullptr;
  activeFont_->OnChange = nullptr;
}

void TInspectorCaption::LookChanged() {
  if (OnChange) OnChange(this);
}

void TInspectorCaption::ShadeChanged() {
  if (OnShadeChange) OnShadeChange(this);
}

void TInspectorCaption::SetHeight(int v) {
  height_ = v;
  ShadeChanged();
  LookChanged();
}
void TInspectorCaption::SetColor(TColor v) {
  color_ = v;
  ShadeChanged();
}
void TInspectorCaption::SetShadeType(TShadeType v) {
  shadeType_ = v;
  ShadeChanged();
}
void TInspectorCaption::SetShadeLight(int v) {
  shadeLight_ = std::clamp(v, 200, 255);
  ShadeChanged();
}
void TInspectorCaption::SetShadeGrain(int v) {
  shadeGrain_ = std::clamp(v, 0, 255);
  ShadeChanged();
}

void TInspectorCaption::SetBackground(TBitmap* v) {
  background_->Assign(v);
  LookChanged();
}
void TInspectorCaption::SetActiveBackground(TBitmap* v) {
  activeBackground_->Assign(v);
  LookChanged();
}
void TInspectorCaption::SetGlyphOpen(TBitmap* v) {
  glyphOpen_->Assign(v);
  LookChanged();
}
void TInspectorCaption::SetGlyphClose(TBitmap* v) {
  glyphClose_->Assign(v);
  LookChanged();
}

TShadeLook TInspectorCaption::ShadeLook(bool HorizontalGradient) const {
  TShadeLook l;
  l.Color = color_;
  l.ColorTo = colorTo_;
  l.ShadeType = shadeType_;
  l.ShadeLight = shadeLight_;
  l.ShadeGrain = shadeGrain_;
  l.HorizontalGradient = HorizontalGradient;
  return l;
}

TInspectorHelp::TInspectorHelp() : font_(std::make_unique<TFont>()) {}
TInspectorHelp::~TInspectorHelp() = default;

void TInspectorHelp::Changed() {
  if (OnChange) OnChange(this);
}

void TInspectorHelp::SetFont(TFont* v) {
  font_->Assign(v);
  Changed();
}

// The row kinds: for each property type, the editor it opens, the button its value column
// shows with ShowEditorAlways, and the step that starts its edit. Changing how one row type
// edits means its line here and its Start step in InspEditing.cpp.
#include <array>

#include "controls/inspector/InspectorBar.h"

const TInspectorBar::TRowKind& TInspectorBar::RowKind(TPropertyType Type) {
  using E = TEditorSlot;
  using B = TInspectorBar;
  static const std::array<TRowKind, ptPicture + 1> kinds = [] {
    std::array<TRowKind, ptPicture + 1> k{};
    k[ptInteger] = {E::Edit, ebNone, &B::StartTextEdit};
    k[ptFloat] = {E::Edit, ebNone, &B::StartTextEdit};
    k[ptText] = {E::Edit, ebNone, &B::StartTextEdit};
    k[ptPassword] = {E::Edit, ebNone, &B::StartTextEdit};
    k[ptColor] = {E::ColorCombo, ebDropDown, &B::StartColourEdit};
    k[ptFixedColor] = {E::ColorCombo, ebDropDown, &B::StartColourEdit};
    k[ptFont] = {E::EditBtn, ebMore, &B::StartFontEdit};
    k[ptBoolean] = {E::None, ebNone, &B::ToggleCheck};
    k[ptValues] = {E::Combo, ebDropDown, &B::StartListEdit};
    k[ptValuesList] = {E::Combo, ebDropDown, &B::StartListEdit};
    k[ptIntSpin] = {E::Spin, ebSpin, &B::StartSpinEdit};
    k[ptTextButton] = {E::EditBtn, ebMore, &B::StartButtonEdit};
    k[ptPropButton] = {E::EditBtn, ebMore, &B::StartButtonEdit};
    k[ptDate] = {E::DateTime, ebDropDown, &B::StartDateTimeEdit};
    // The time row shows the spin pair but edits in the picker.
    k[ptTime] = {E::DateTime, ebSpin, &B::StartDateTimeEdit};
    // Custom rows: the button comes from OnCustomEditButton, the editor from the row's link.
    k[ptCustom] = {E::None, ebNone, &B::StartLinkEdit};
    k[ptButton] = {E::None, ebNone, &B::PressButtonRow};
    k[ptPicture] = {E::None, ebNone, nullptr};
    return k;
  }();
  return kinds[Type];
}

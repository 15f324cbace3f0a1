#pragma once
// The inspector's editor controls: the shared edit controls with the inspector's settings
// (a narrower list button, loose typing in spin edits, whole steps for decimals, an edit
// button that clicks on the press and shows ".."), and the colour list.

#include <string>

#include "controls/edits/EsgEdits.h"

using TInspSpinType = TEsgSpinType;

// ------------------------------------------------------------ flat list
class TInspCustomCombo : public TESGCustomCombo {
 public:
  explicit TInspCustomCombo(TComponent* AOwner);
  std::string ClassName() const override { return "TInspCustomCombo"; }
};

class TInspComboBox : public TInspCustomCombo {
 public:
  explicit TInspComboBox(TComponent* AOwner) : TInspCustomCombo(AOwner) {}
  std::string ClassName() const override { return "TInspComboBox"; }
};

// ------------------------------------------------------------ colour list
// Entry Index (0 to 39) of the colour table: the sixteen fixed colours, then the
// system colours from Background to Infobk. False for any other index.
bool InspNamedColor(int Index, TColor& Color, std::string& Name);

class TInspColorComboBox : public TInspComboBox {
 public:
  // The entry that stands for CustomColor.
  static constexpr int CustomIndex = 40;
  explicit TInspColorComboBox(TComponent* AOwner);
  std::string ClassName() const override { return "TInspColorComboBox"; }

  TColor CustomColor() const { return customColor_; }
  void SetCustomColor(TColor v) { customColor_ = v; }
  // The colour of the selected entry (0 when none of the 41 is selected).
  TColor ColorValue() const;
  // Selects the entry of that colour; any other colour becomes CustomColor.
  void SetColorValue(TColor v);

  // The colour and name an entry stands for, whatever its text.
  TColor EntryColor(int Index) const;
  static std::string EntryName(int Index);
  // Paints one entry: swatch and name.
  void DrawEntry(TCanvas* Canvas, int Index, const TRect& R, bool Selected) const;

 protected:
  void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) override;

 private:
  TColor customColor_ = clBlack;
};

// ------------------------------------------------------------ spin edit
class TInspSpinButton : public TEsgSpinButton {
 public:
  // Its buttons click on the press and have no hot look.
  explicit TInspSpinButton(TComponent* AOwner);
  std::string ClassName() const override { return "TInspSpinButton"; }

 protected:
  // Vertical: the down button starts below the up one and leaves the last pixel row free.
  void PlaceButtons() override;
};

class TInspSpinEdit : public TEsgSpinEdit {
 public:
  explicit TInspSpinEdit(TComponent* AOwner);
  std::string ClassName() const override { return "TInspSpinEdit"; }
  TInspSpinButton* Button() const { return static_cast<TInspSpinButton*>(TEsgSpinEdit::Button()); }

 protected:
  // The pair 1 down at the right edge, as high as the edit less 1 (5 with a border).
  void PlaceSpin() override;
};

// ------------------------------------------------------------ edit with button
class TInspEditButton : public TEsgEditButton {
 public:
  explicit TInspEditButton(TComponent* AOwner);
  std::string ClassName() const override { return "TInspEditButton"; }
};

class TInspEditBtn : public TEsgEditBtn {
 public:
  explicit TInspEditBtn(TComponent* AOwner);
  std::string ClassName() const override { return "TInspEditBtn"; }
  TInspEditButton* EmbeddedButton() const { return static_cast<TInspEditButton*>(TEsgEditBtn::EmbeddedButton()); }
  // As low as its row: a row lower than the font keeps its editor inside it.
  int MinHeight() const override { return 0; }

 protected:
  // The button full height less 3 at the right, the text ending 4 pixels left of it.
  void PlaceButton() override;
};

// ------------------------------------------------------------ date-time picker
class TInspDateTimePicker : public TEsgDateTimePicker {
 public:
  explicit TInspDateTimePicker(TComponent* AOwner) : TEsgDateTimePicker(AOwner) {}
  std::string ClassName() const override { return "TInspDateTimePicker"; }
};

#pragma once
// The editors of the controls written into markup cells ("<CONTROL" tags): a borderless
// mask edit for EDIT, PASSWORD and MASK, a combo box for COMBO. Both are children of the
// grid, shown over the control they edit; leaving one writes its value into the tag.
#include <string>

#include "controls/edits/EsgEdits.h"
#include "platform/gui/Mask.h"

class TExtStringGrid;

// Return ends the edit and gives the focus to the grid; Tab ends it and moves on.
class TControlEdit : public TMaskEdit {
 public:
  explicit TControlEdit(TExtStringGrid* AGrid);
  std::string ClassName() const override { return "TControlEdit"; }

 protected:
  void KeyPress(char& Key) override;
  void DoExit() override;
  void WMGetDlgCode(TMessage& Message) override;

 private:
  TExtStringGrid* grid_;
};

class TControlCombo : public TESGComboBox {
 public:
  explicit TControlCombo(TExtStringGrid* AGrid);
  std::string ClassName() const override { return "TControlCombo"; }

 protected:
  void KeyPress(char& Key) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void DoExit() override;
  void WMGetDlgCode(TMessage& Message) override;

 private:
  TExtStringGrid* grid_;
};

// The key both editors share: true when it ended the edit.
bool MarkupControlKey(TExtStringGrid* AGrid, char Key);

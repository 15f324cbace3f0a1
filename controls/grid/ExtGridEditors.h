#pragma once
// The grid's in-cell editor controls, made on first use through one factory,
// and the rules by which they take a cell's text. Kinds without a control
// here edit as plain text in the inplace editor.
#include <memory>
#include <string>

#include "controls/grid/BaseGrid.h"
#include "platform/gui/StdCtrls.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Types.h"

class TExtStringGrid;

// The item a drop-down list takes for a cell: the item equal to the text, else a preset
// index that names an item, else the first item; -1 when the list holds no item.
int ComboListPick(const TStrings& Items, const std::string& CellText, int Preset);
// The date (time) a date or time editor starts from: the cell's text read in the locale's
// format; the current date and time when the text is empty or not a date (time).
TDateTime CellDateOrNow(const std::string& Text, bool TimeKind);

// Keys every in-cell control shares: Escape restores the cell and ends the edit, Tab and
// Return give the value to the cell and hand the key to the grid. Answers whether it took the key.
bool CellControlKey(TExtStringGrid* AGrid, WORD& Key, TShiftState Shift);
// What an in-cell control asks of the dialog manager: Return, and Tab when the grid walks with it.
LRESULT CellEditorDlgCode(TExtStringGrid* AGrid, LRESULT Inherited);
// Leaving the control ends its edit.
void CellControlExit(TExtStringGrid* AGrid, TWinControl* AControl);

// One in-cell control: a platform control with the grid's editing protocol.
template <class TBase>
class TCellControl : public TBase {
 public:
  explicit TCellControl(TExtStringGrid* AGrid);
  TExtStringGrid* Grid() const { return grid_; }

 protected:
  void KeyDown(WORD& Key, TShiftState Shift) override {
    if (!CellControlKey(grid_, Key, Shift)) TBase::KeyDown(Key, Shift);
  }
  void DoExit() override {
    CellControlExit(grid_, this);
    TBase::DoExit();
  }
  void WMGetDlgCode(TMessage& Message) override {
    TBase::WMGetDlgCode(Message);
    Message.Result = CellEditorDlgCode(grid_, Message.Result);
  }

 private:
  TExtStringGrid* grid_;
};

// A combo box over a cell (edComboEdit: typed text; edComboList: a choice from the list).
// Its choices, typed changes and close-ups reach the grid as the combo box's notifications.
class TGridCombo : public TCellControl<TComboBox> {
 public:
  using TCellControl::TCellControl;
  std::string ClassName() const override { return "TGridCombo"; }

 protected:
  void Select() override;
  void Change() override;
  void CloseUp() override;

 private:
  void Notify(WORD Code);
  bool selecting_ = false;
};

// A date or time editor over a cell: holds a date and shows it in the locale's format.
class TGridDateEdit : public TCellControl<TEdit> {
 public:
  using TCellControl::TCellControl;
  std::string ClassName() const override { return "TGridDateEdit"; }
  bool TimeKind = false;
  TDateTime Value() const;
  void SetValue(TDateTime v);

 private:
  TDateTime value_ = 0;
};

// Makes each control once, when a cell first needs it; the grid owns them as their owner.
class TCellEditorFactory {
 public:
  explicit TCellEditorFactory(TExtStringGrid* AGrid) : grid_(AGrid) {}
  // The control for a kind, or null for kinds that edit as text.
  TWinControl* For(TEditorType Kind);
  TGridCombo* Combo();
  TGridDateEdit* DateEdit();
  // The control made so far for a kind (none made yet: null).
  TWinControl* Made(TEditorType Kind) const;

 private:
  TExtStringGrid* grid_;
  TGridCombo* combo_ = nullptr;
  TGridDateEdit* date_ = nullptr;
};

#pragma once
// The custom editor link: how a program plugs its own editor control into the grid's
// edCustom cells, and the edit laid over one cell that validates on leaving.
#include <functional>
#include <string>

#include "platform/gui/Controls.h"
#include "platform/gui/StdCtrls.h"

class TExtStringGrid;
class TForm;

enum TEditStyle { esInplace, esPopup };

// The base of custom editors. A descendant makes its control (CreateEditor), names it
// (GetEditControl) and moves the value in and out (SetEditorValue, GetEditorValue); the link
// places and shows it over the cell and hands the keys that leave it to the grid.
class TEditLink : public TComponent {
 public:
  explicit TEditLink(TComponent* AOwner);
  ~TEditLink() override;
  std::string ClassName() const override { return "TEditLink"; }

  TEditStyle EditStyle = esInplace;
  int PopupLeft = -1, PopupTop = -1, PopupWidth = 0, PopupHeight = 0;
  bool AutoPopupWidth = false;
  // The keys the editor keeps instead of leaving with them.
  bool WantKeyLeftRight = false, WantKeyUpDown = false, WantKeyHomeEnd = false, WantKeyPriorNext = false,
       WantKeyReturn = false, WantKeyEscape = false;
  TExtStringGrid* Grid() const { return grid_; }

  // Tab, Return, Escape, Page Up, Page Down, End and the arrows leave the editor unless wanted
  // (Home never leaves); a leaving key is handed to the grid and becomes 0.
  virtual void EditKeyDown(WORD& Key, TShiftState Shift);
  virtual TWinControl* GetEditControl() { return nullptr; }
  virtual void CreateEditor(TWinControl* AParent) {}
  virtual void DestroyEditor() {}
  // Shows the control and hooks its window procedure (true), or gives the focus to the grid.
  virtual void SetFocus(bool Value);
  virtual void SetRect(TRect R);
  virtual void SetVisible(bool Value);
  // Sets the control up for the cell (colours, font, limits), after it is placed and before it
  // takes the focus and the value.
  virtual void SetProperties() {}
  virtual void Reserved2() {}
  virtual std::string GetEditorValue() { return {}; }
  virtual void SetEditorValue(const std::string& Value) {}

  // The grid's side: the link serves this grid; the control's hook comes off and it hides
  // (esPopup: DestroyEditor, and the pop-up form goes).
  void Attach(TExtStringGrid* AGrid) { grid_ = AGrid; }
  void Release();
  // esPopup: the borderless form the editor stands on while it is open, made when the editor
  // opens; the editor's value is taken when the form loses the activation (a click elsewhere).
  TForm* PopupForm() const { return popup_; }
  TForm* OpenPopupForm();
  // The editor is open: its keys go through the link.
  bool Hooked() const { return active_; }

 private:
  void Hook(TWinControl* C);
  void Unhook();
  void ClosePopupForm();
  TExtStringGrid* grid_ = nullptr;
  TForm* popup_ = nullptr;
  bool focusing_ = false;
  TWinControl* hooked_ = nullptr;
  bool active_ = false;
  char swallow_ = 0;
  std::function<void(TMessage&)> saved_;
};

// An edit laid over one cell (Col, Row): leaving it offers its text to OnCellValidate; a
// refused text keeps the focus in it and makes its cell current, an accepted one is stored.
class TGridTransEdit : public TCustomEdit {
 public:
  explicit TGridTransEdit(TExtStringGrid* AGrid);
  std::string ClassName() const override { return "TGridTransEdit"; }
  int Col = 0, Row = 0;
  // Leaves the edit; false when its text was refused.
  bool Leave();

 protected:
  void DoExit() override;
  void KeyPress(char& Key) override;

 private:
  TExtStringGrid* grid_;
  bool leaving_ = false;
};

#pragma once
// The inspector bar's inplace editors (one of each, owned by the bar) and the
// edit link through which an outside control edits a ptCustom row.

#include <functional>
#include <memory>
#include <string>

#include "controls/inspector/InspEdits.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Mask.h"

class TInspectorBar;
class TInspectorItem;

enum TInspectorEditType { ieText, ieInteger, ieFloat };
enum TInspectorEditStyle { esInplace, esPopup };

// What every editor of the bar keeps: the row being edited and the value at the start.
template <class TValue>
struct TInspEditorState {
  TInspectorItem* InspectorItem = nullptr;
  TValue OrigValue{};
};

class TInspectorEdit : public TMaskEdit, public TInspEditorState<std::string> {
 public:
  explicit TInspectorEdit(TComponent* AOwner);
  std::string ClassName() const override { return "TInspectorEdit"; }
  TInspectorEditType InspEditType() const { return editType_; }
  void SetInspEditType(TInspectorEditType v) { editType_ = v; }
  bool MultiLine() const { return multiLine_; }
  void SetMultiLine(bool v);
  // The text's inset from the top-left corner; only a multi-line edit applies it.
  void SetFormattingRect(int Left, int Top);

 protected:
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void DoExit() override;
  void WMGetDlgCode(TMessage& Message) override;

 private:
  TInspectorEditType editType_ = ieText;
  bool multiLine_ = true;
  int rectLeft_ = 0, rectTop_ = 0;
};

class TInspectorCombo : public TInspComboBox, public TInspEditorState<std::string> {
 public:
  explicit TInspectorCombo(TComponent* AOwner);
  std::string ClassName() const override { return "TInspectorCombo"; }

 protected:
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void DoExit() override;
  void WMGetDlgCode(TMessage& Message) override;
};

class TInspectorColorCombo : public TInspColorComboBox, public TInspEditorState<TColor> {
 public:
  explicit TInspectorColorCombo(TComponent* AOwner);
  std::string ClassName() const override { return "TInspectorColorCombo"; }

 protected:
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void DoExit() override;
  void WMGetDlgCode(TMessage& Message) override;
};

class TInspectorSpin : public TInspSpinEdit, public TInspEditorState<std::string> {
 public:
  explicit TInspectorSpin(TComponent* AOwner);
  std::string ClassName() const override { return "TInspectorSpin"; }

 protected:
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void DoExit() override;
  void WMGetDlgCode(TMessage& Message) override;
};

class TInspectorEditBtn : public TInspEditBtn, public TInspEditorState<std::string> {
 public:
  explicit TInspectorEditBtn(TComponent* AOwner);
  std::string ClassName() const override { return "TInspectorEditBtn"; }

 protected:
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void DoExit() override;
  void WMGetDlgCode(TMessage& Message) override;
};

class TInspectorDateTimePicker : public TInspDateTimePicker, public TInspEditorState<TDateTime> {
 public:
  explicit TInspectorDateTimePicker(TComponent* AOwner);
  std::string ClassName() const override { return "TInspectorDateTimePicker"; }

 protected:
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void DoExit() override;
  void WMGetDlgCode(TMessage& Message) override;
  // A day picked in the calendar is taken as Return takes a typed one.
  void DayPicked() override;
};

using TInspSetPropertiesEvent = std::function<void(TObject* Sender, TRect R, TInspectorItem* Item)>;

// Base of outside editors for ptCustom rows. A descendant makes the editor and
// moves the row's value in and out; the bar places it and hands it the keys.
class TInspectorEditLink : public TComponent {
 public:
  explicit TInspectorEditLink(TComponent* AOwner) : TComponent(AOwner) {}
  ~TInspectorEditLink() override;
  std::string ClassName() const override { return "TInspectorEditLink"; }

  TInspectorEditStyle EditStyle() const { return editStyle_; }
  void SetEditStyle(TInspectorEditStyle v) { editStyle_ = v; }
  int PopupWidth() const { return popupWidth_; }
  void SetPopupWidth(int v) { popupWidth_ = v; }
  int PopupHeight() const { return popupHeight_; }
  void SetPopupHeight(int v) { popupHeight_ = v; }
  bool WantKeyUpDown = false, WantKeyPriorNext = false, WantKeyHomeEnd = false, WantKeyLeftRight = false,
       WantKeyEscape = false, WantKeyReturn = false;
  int Tag = 0;
  TInspSetPropertiesEvent OnSetProperties;

  TInspectorBar* Inspector() const { return bar_; }
  void SetInspector(TInspectorBar* v) { bar_ = v; }
  TForm* PopupForm() const { return popup_; }

  virtual TWinControl* GetEditor() { return nullptr; }
  virtual void CreateEditor(TWinControl* AParent) {}
  virtual void DestroyEditor() {}
  virtual void SetProperties(const TRect& R, TInspectorItem* Item);
  virtual void StartEdit(TInspectorItem* Item) {}
  virtual void StopEdit(TInspectorItem* Item) {}
  virtual void SetOriginalValue() {}
  virtual std::string GetEditorValue() { return std::string(); }
  virtual void RestoreText() {}

  // The key handler a descendant gives its editor: hands Return, Up and Down to
  // the bar and Escape to RestoreText, unless the link wants them itself.
  void EditorKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);

  // The popup window of esPopup (made by the bar, freed when it closes or the bar goes).
  void OpenPopup(const TRect& ScreenRect);
  void ClosePopup();

 protected:
  void PopupDeactivate();

  TInspectorEditStyle editStyle_ = esInplace;
  int popupWidth_ = 100, popupHeight_ = 100;
  TInspectorBar* bar_ = nullptr;
  TForm* popup_ = nullptr;
};

// The typed-edit link of InspLinks.h, for a window whose headers clash with the typed edit's.
TInspectorEditLink* NewAEInspectorEditLink(TComponent* AOwner);

#pragma once
// A list box with a check box on every line. Each line keeps its state, whether
// it takes the user's clicks and a number of the program's own, wherever the
// line moves (inserts, deletes, sorting).

#include <cstdint>
#include <string>

#include "platform/gui/StdCtrls.h"

class QListWidgetItem;

class TCheckListBox : public TCustomListBox {
 public:
  explicit TCheckListBox(TComponent* AOwner);
  ~TCheckListBox() override;
  std::string ClassName() const override { return "TCheckListBox"; }

  // Each raises EListError for an index out of range. The program's changes fire no event.
  bool Checked(int Index) const { return State(Index) == cbChecked; }
  void SetChecked(int Index, bool v) { SetState(Index, v ? cbChecked : cbUnchecked); }
  TCheckBoxState State(int Index) const;
  void SetState(int Index, TCheckBoxState v);
  // A disabled line is drawn grey and the user cannot change its check box.
  bool ItemEnabled(int Index) const;
  void SetItemEnabled(int Index, bool v);
  // A number the program keeps with the line.
  intptr_t ItemData(int Index) const;
  void SetItemData(int Index, intptr_t v);
  // The user's clicks go unchecked, grayed, checked, unchecked... when set.
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool v);

  // The user changed a line's check box (a click on it or the space bar).
  TNotifyEvent OnClickCheck;

 protected:
  QWidget* CreatePeer(QWidget* ParentWidget) override;
  void CreateWnd() override;
  virtual void ClickCheck();
  // The user's toggle of a line: the next state in the cycle, then OnClickCheck.
  void ToggleClickCheck(int Index);
  void PushChecks();
  void PushCheck(int Index);
  // The list's lines changed: the widget is filled anew with items that carry their boxes before
  // they go into the list (an item changed once it is in a shown list costs a pass over them all).
  void LinesChanged();
  // The line's check box, enabled state and grey into the widget's item.
  void DressCheck(QListWidgetItem* Item, int Index) const;
  // The widget shows a new state (Qt's check state) for a line.
  void PeerCheckChanged(int Row, int QtState);

 private:
  class TCheckItemStrings* checkItems_;
  bool allowGrayed_ = false;
  bool pushingChecks_ = false;
};

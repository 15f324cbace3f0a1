#pragma once
// The panels under the grid's cells: the floating footer (the last row kept in
// view, a column preview of the current row or a filled-in template) and the
// search footer (an edit, find next and find previous, a highlight toggle, a
// match-case box and a close button).

#include <string>

#include "controls/grid/GridButton.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/StdCtrls.h"

class TSearchPanel : public TCustomPanel {
 public:
  explicit TSearchPanel(TComponent* AOwner);
  std::string ClassName() const override { return "TSearchPanel"; }
  TEdit* SearchEdit() const { return edit_; }
  TExtGridButton* ForwardButton() const { return next_; }
  TExtGridButton* BackwardButton() const { return prev_; }
  TExtGridButton* ExitButton() const { return close_; }
  TExtGridButton* HighlightButton() const { return highlight_; }
  TCheckBox* MatchCaseBox() const { return matchCase_; }
  TColor ColorTo() const { return colorTo_; }
  void SetColorTo(TColor v);
  TNotifyEvent OnForwardClick, OnBackwardClick, OnEditChange, OnExitClick, OnHighlightClick;

 protected:
  void Paint() override;
  void CMFontChanged(TMessage& Message) override;

 private:
  TEdit* edit_;
  TExtGridButton *next_, *prev_, *close_, *highlight_ = nullptr;
  TCheckBox* matchCase_;
  TColor colorTo_ = clNone;
};

class TExtStringGrid;

class TFooterPanel : public TCustomPanel {
 public:
  TFooterPanel(TComponent* AOwner, TExtStringGrid* Grid);
  std::string ClassName() const override { return "TFooterPanel"; }
  // The real column whose hint shows, -1 when none.
  int HintColumn() const { return hintCol_; }

 protected:
  void Paint() override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void CMMouseLeave(TMessage& Message) override;
  void CMHintShow(TMessage& Message) override;

 private:
  TExtStringGrid* grid_;
  int hintCol_ = -1;
};

#pragma once
// The panels under the grid's cells: the search footer (an edit, find next and
// find previous, a highlight toggle, a match-case box and a close button).

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

 private:
  TEdit* edit_;
  TExtGridButton *next_, *prev_, *close_, *highlight_;
  TCheckBox* matchCase_;
  TColor colorTo_ = clNone;
};

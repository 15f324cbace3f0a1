#pragma once
// The month calendar a date field drops down: a pop-up window over the window system's own
// calendar. The arrows walk the days, Page Up and Page Down the months; Return or a click on a
// day picks it; Escape or a click outside closes it without a pick.

#include <functional>
#include <memory>

#include "platform/gui/Controls.h"
#include "platform/rtl/SysUtils.h"

class QWidget;

class TCalendarPopup : public TComponent {
 public:
  explicit TCalendarPopup(TComponent* AOwner);
  ~TCalendarPopup() override;
  std::string ClassName() const override { return "TCalendarPopup"; }

  // Opens below the control (above it where the screen ends), standing on Day's date.
  void DropDown(TControl* Below, TDateTime Day);
  // Closes without a pick.
  void CloseUp();
  // Picks a day as a click on it does (the calendar must be dropped down; the day within the range).
  void Pick(TDateTime Day);
  bool DroppedDown() const;
  // The day the calendar stands on.
  TDateTime Day() const;
  // The days the calendar offers (both 0: all it can show).
  void SetRange(TDateTime MinDay, TDateTime MaxDay);

  // A day was picked; the pop-up has closed already.
  std::function<void(TObject* Sender, TDateTime Day)> OnPick;
  // Every close, after OnPick for a pick.
  TNotifyEvent OnCloseUp;

  // The pop-up window, and the part of it that takes the keys and the day clicks (tests send
  // them their events); null while closed.
  QWidget* Window() const;
  QWidget* DayView() const;
  // Where a day of the month shown lies in DayView (empty: not shown).
  TRect DayRect(TDateTime Day) const;

 private:
  friend class TCalendarFrame;
  void Picked(TDateTime Day);
  void Closed();
  struct TImpl;
  std::unique_ptr<TImpl> impl_;
};

#pragma once
// Marks drawn over a windowed control outside its own painting: the line that
// follows a column border while it is sized, the mark where a moved row will
// land. Changing them repaints only the strips they cover; the control's paint
// runs for those strips as usual and the marks are drawn over it.

#include <vector>

#include "platform/gui/Controls.h"

class QPainter;

class TControlFeedback {
 public:
  explicit TControlFeedback(TWinControl* Control);
  ~TControlFeedback();
  TControlFeedback(const TControlFeedback&) = delete;
  TControlFeedback& operator=(const TControlFeedback&) = delete;

  // Filled rectangles in client coordinates (a line is a rectangle one pixel wide).
  void SetMarks(const std::vector<TRect>& Marks, TColor Color = clBlack);
  void Clear() { SetMarks({}); }
  const std::vector<TRect>& Marks() const { return marks_; }
  TColor Color() const { return color_; }

 private:
  friend void GuiPaintFeedback(TWinControl* Control, QPainter* Painter);
  TWinControl* control_;
  std::vector<TRect> marks_;
  TColor color_ = clBlack;
};

// Draws the marks of a control's feedback over a paint of its client area (the layer calls it).
void GuiPaintFeedback(TWinControl* Control, QPainter* Painter);

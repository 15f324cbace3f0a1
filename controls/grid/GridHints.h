#pragma once
// The grid's pop-up texts: the markup hint window of cell hints and the
// balloon tip that shows the text of the cell under a resting pointer.

#include <string>

#include "platform/gui/Hints.h"

// A hint window whose text may hold markup; it takes the size of the drawn text.
class THTMLHintWindow : public THintWindow {
 public:
  explicit THTMLHintWindow(TComponent* AOwner);
  std::string ClassName() const override { return "THTMLHintWindow"; }
  // Measures the hint 1008 pixels wide and shows it at Rect's top-left corner, its size the
  // text's plus 16 by 4, moved inside the monitor that holds that corner where it fits.
  void ActivateHintData(TRect Rect, const std::string& AHint, void* AData) override;
  // The hint's text size measured MaxWidth wide, from (0, 0).
  TRect CalcHintRect(int MaxWidth, const std::string& AHint, void* AData) override;
  // The width and height the last ActivateHint measured.
  TSize TextSize() const { return TSize(textW_, textH_); }
  // The text the window draws: markup as it is, any other text as markup showing its own characters.
  static std::string HintMarkup(const std::string& Hint);

 protected:
  void Paint() override;

 private:
  TSize Measure(const std::string& Hint, int Width);
  int textW_ = 0, textH_ = 0;
};

// A balloon: a rounded window with a tail pointing at a screen point, an icon of the
// desktop theme (0 none, 1 information, 2 warning, 3 error), a bold title and the text.
class TBalloonWindow : public THintWindow {
 public:
  explicit TBalloonWindow(TComponent* AOwner);
  std::string ClassName() const override { return "TBalloonWindow"; }
  // Shows the balloon with its tail at Tip, below it (above it when the monitor has no room).
  void Popup(TPoint Tip, const std::string& Title, const std::string& Text, int Icon, TColor Back, TColor Fore);
  const std::string& Title() const { return title_; }
  const std::string& BalloonText() const { return text_; }
  int Icon() const { return icon_; }
  // The tail's point in client coordinates; the tail points up when it is at the top edge.
  TPoint TailPoint() const { return tail_; }

 protected:
  void Paint() override;

 private:
  std::vector<TPoint> Outline() const;
  std::string title_, text_;
  int icon_ = 0;
  TColor fore_ = clInfoText;
  TPoint tail_;
  bool tailUp_ = true;
  TRect titleRect_, textRect_;
};

// The markup hint window, the balloon window, and the grid's balloon tips: the window made
// while Balloon.Enable is on, the text of the cell under a resting pointer, the delays.
#include "controls/grid/GridHints.h"

#include <algorithm>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtUtil.h"
#include "controls/markup/EsgHTMLE.h"
#include "platform/gui/Forms.h"
#include "platform/gui/LayeredWindows.h"
#include "platform/gui/Timer.h"
#include "platform/rtl/Win1252.h"

namespace {

// Draws (or with Measure only measures) markup as hints draw it; the drawn size.
TSize DrawHintMarkup(TCanvas* C, const std::string& Text, const TRect& R, bool Measure) {
  std::string anchorVal, stripVal, focusAnchor, title, cid, cv, ct;
  int xs = 0, ys = 0, links = 0, mouseLink = 0;
  TRect hover, control;
  HTMLDraw(C, Text, R, nullptr, 0, 0, -1, -1, 1, false, Measure, false, false, true, false, true, false, 1.0, clBlue,
           clNone, clNone, clGray, anchorVal, stripVal, focusAnchor, title, xs, ys, links, mouseLink, hover, control,
           cid, cv, ct, nullptr, nullptr, nullptr);
  return TSize(xs, ys);
}

// Moves R inside M where that keeps its left (top) edge inside M: 2 pixels from the far edge.
void KeepInside(TRect& R, const TRect& M) {
  if (R.Right > M.Right && M.Right - 2 - R.Width() >= M.Left) OffsetRect(R, M.Right - 2 - R.Right, 0);
  if (R.Bottom > M.Bottom && M.Bottom - 2 - R.Height() >= M.Top) OffsetRect(R, 0, M.Bottom - 2 - R.Bottom);
}

constexpr int kMeasureWidth = 1024 - 16;
constexpr int kBalloonMargin = 8, kBalloonTail = 12, kBalloonIcon = 16, kBalloonGap = 6, kBalloonCorner = 8;
constexpr size_t kBalloonTextLimit = 1024, kBalloonTitleLimit = 100;

// Limit counts characters (UTF-8 sequences), and a cut never splits one.
void CutWithEllipsis(std::string& S, size_t Limit) {
  if (S.size() <= Limit) return;
  size_t chars = 0, keep = 0;
  for (size_t i = 0; i < S.size(); ++i) {
    if ((static_cast<unsigned char>(S[i]) & 0xC0) == 0x80) continue;
    if (chars == Limit - 3) keep = i;
    if (++chars > Limit) {
      S = S.substr(0, keep) + "...";
      return;
    }
  }
}

}  // namespace

// ---------------------------------------------------------------- the markup hint window
THTMLHintWindow::THTMLHintWindow(TComponent* AOwner) : THintWindow(AOwner) { SetDropShadow(true); }

std::string THTMLHintWindow::HintMarkup(const std::string& Hint) {
  return ExtUtil::TextType(Hint, true) == 1 ? Hint : ExtUtil::PlainToMarkup(Hint);
}

TSize THTMLHintWindow::Measure(const std::string& Hint, int Width) {
  Canvas()->Font()->Assign(Font());
  return DrawHintMarkup(Canvas(), HintMarkup(Hint), TRect(0, 0, std::max(1, Width), 4096), true);
}

TRect THTMLHintWindow::CalcHintRect(int MaxWidth, const std::string& AHint, void*) {
  const TSize s = Measure(AHint, MaxWidth > 0 ? MaxWidth : kMeasureWidth);
  return TRect(0, 0, s.cx, s.cy);
}

void THTMLHintWindow::ActivateHintData(TRect Rect, const std::string& AHint, void*) {
  SetCaption(AHint);
  const TSize s = Measure(AHint, kMeasureWidth);
  textW_ = s.cx, textH_ = s.cy;
  TRect r(Rect.Left, Rect.Top, Rect.Left + textW_ + 16, Rect.Top + textH_ + 4);
  // On the monitor the hint belongs to, not the primary one.
  if (Screen) KeepInside(r, Screen->MonitorRect(TPoint(Rect.Left, Rect.Top)));
  ShowAt(r);
}

void THTMLHintWindow::Paint() {
  TCanvas* c = Canvas();
  const TRect r = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  c->Pen()->SetWidth(1);
  c->Pen()->SetColor(cl3DLight);
  c->MoveTo(r.Left, r.Bottom - 2), c->LineTo(r.Left, r.Top), c->LineTo(r.Right - 1, r.Top);
  c->Pen()->SetColor(cl3DDkShadow);
  c->MoveTo(r.Left, r.Bottom - 1), c->LineTo(r.Right - 1, r.Bottom - 1), c->LineTo(r.Right - 1, r.Top - 1);
  const int top = r.Top + (r.Height() - textH_) / 2;
  c->Font()->Assign(Font());
  c->Brush()->SetStyle(bsClear);
  DrawHintMarkup(c, HintMarkup(Caption()), TRect(r.Left + 4, top, r.Right - 4, top + textH_ + 8), false);
}

// ---------------------------------------------------------------- the balloon window
TBalloonWindow::TBalloonWindow(TComponent* AOwner) : THintWindow(AOwner) {}

void TBalloonWindow::Popup(TPoint Tip, const std::string& Title, const std::string& Text, int Icon, TColor Back,
                           TColor Fore) {
  title_ = Title, text_ = Text, icon_ = Icon, fore_ = Fore;
  SetColor(Back);
  TCanvas* c = Canvas();
  const TRect mon = Screen ? Screen->MonitorRect(Tip) : TRect(0, 0, 1024, 768);
  const int maxText = std::max(100, mon.Width() / 2);
  c->Font()->Assign(Font());
  c->Font()->SetStyle(fsBold);
  TRect t(0, 0, maxText, 0);
  c->DrawText(title_, t, DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
  c->Font()->SetStyle(TFontStyles());
  TRect b(0, 0, maxText, 0);
  c->DrawText(text_, b, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | DT_WORDBREAK);
  const bool hasIcon = icon_ >= 1 && icon_ <= 3;
  const int head = std::max(hasIcon ? kBalloonIcon : 0, title_.find_first_not_of(' ') == std::string::npos ? 0 : t.Height());
  const int titleLeft = kBalloonMargin + (hasIcon ? kBalloonIcon + kBalloonGap : 0);
  const int w = std::max(titleLeft + t.Width(), kBalloonMargin + b.Width()) + kBalloonMargin;
  const int bodyH = kBalloonMargin + head + (head ? kBalloonGap : 0) + b.Height() + kBalloonMargin;
  const int h = bodyH + kBalloonTail;
  // Below the point when the monitor has room, else above it; the tail near the left unless
  // the balloon had to move left to stay on the monitor.
  tailUp_ = Tip.Y + h <= mon.Bottom;
  TRect r(Tip.X - 2 * kBalloonTail, tailUp_ ? Tip.Y : Tip.Y - h, Tip.X - 2 * kBalloonTail + w, 0);
  r.Bottom = r.Top + h;
  if (r.Right > mon.Right) OffsetRect(r, mon.Right - r.Right, 0);
  if (r.Left < mon.Left) OffsetRect(r, mon.Left - r.Left, 0);
  tail_ = TPoint(std::clamp(Tip.X - r.Left, kBalloonCorner, std::max(kBalloonCorner, w - kBalloonCorner - kBalloonTail)),
                 tailUp_ ? 0 : h);
  const int bodyTop = tailUp_ ? kBalloonTail : 0;
  titleRect_ = TRect(titleLeft, bodyTop + kBalloonMargin, w - kBalloonMargin, bodyTop + kBalloonMargin + head);
  textRect_ = TRect(kBalloonMargin, titleRect_.Bottom + (head ? kBalloonGap : 0), w - kBalloonMargin, 0);
  textRect_.Bottom = textRect_.Top + b.Height();
  SetBoundsRect(r);
  SetShape(Outline());
  ShowAt(r);
}

std::vector<TPoint> TBalloonWindow::Outline() const {
  const int w = Width(), h = Height();
  const int top = tailUp_ ? kBalloonTail : 0, bottom = tailUp_ ? h : h - kBalloonTail;
  const int k = kBalloonCorner / 2, tx = tail_.X, base = kBalloonTail;
  // Clockwise from the top-left corner; the corners cut round enough at this size.
  std::vector<TPoint> p{TPoint(0, top + 2 * k), TPoint(1, top + k), TPoint(k, top + 1), TPoint(2 * k, top)};
  if (tailUp_) p.insert(p.end(), {TPoint(tx, top), TPoint(tx, 0), TPoint(tx + base, top)});
  p.insert(p.end(), {TPoint(w - 2 * k, top), TPoint(w - k, top + 1), TPoint(w - 1, top + k), TPoint(w, top + 2 * k),
                     TPoint(w, bottom - 2 * k), TPoint(w - 1, bottom - k), TPoint(w - k, bottom - 1),
                     TPoint(w - 2 * k, bottom)});
  if (!tailUp_) p.insert(p.end(), {TPoint(tx + base, bottom), TPoint(tx, h), TPoint(tx, bottom)});
  p.insert(p.end(), {TPoint(2 * k, bottom), TPoint(k, bottom - 1), TPoint(1, bottom - k), TPoint(0, bottom - 2 * k)});
  return p;
}

void TBalloonWindow::Paint() {
  TCanvas* c = Canvas();
  const TRect r = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  // The frame follows the shape one pixel inside.
  std::vector<TPoint> o = Outline();
  for (TPoint& p : o) p = TPoint(std::min(p.X, r.Right - 1), std::min(p.Y, r.Bottom - 1));
  o.push_back(o.front());
  c->Pen()->SetWidth(1);
  c->Pen()->SetColor(clGray);
  c->Polyline(o);
  TBitmap icon;
  if (Screen && Screen->MessageIcon(icon_, kBalloonIcon, Color(), &icon))
    c->Draw(kBalloonMargin, titleRect_.Top + std::max(0, (titleRect_.Height() - kBalloonIcon) / 2), &icon);
  c->Brush()->SetStyle(bsClear);
  c->Font()->Assign(Font());
  c->Font()->SetColor(fore_);
  c->Font()->SetStyle(fsBold);
  TRect t = titleRect_;
  c->DrawText(title_, t, DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
  c->Font()->SetStyle(TFontStyles());
  TRect b = textRect_;
  c->DrawText(text_, b, DT_NOPREFIX | DT_EXPANDTABS | DT_WORDBREAK);
}

// ---------------------------------------------------------------- the grid's balloons
bool TExtStringGrid::CellBalloon(int ACol, int ARow, std::string& Title, std::string& Text, int& Icon) {
  Title.assign(1, ' ');  // not = " ": GCC 12 warns falsely about that copy's overlap
  Icon = 1;
  Text.clear();
  if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) return false;
  const std::string& raw = GridCells(ACol, ARow);
  switch (ExtUtil::TextType(raw, EnableHTML)) {
    case 1: Text = DecodeEntities(HTMLStrip(GetDisplayText(ACol, ARow))); break;
    case 2: Text = ExtUtil::RtfPlainText(raw); break;
    case 5: Text = Utf16ToUtf8(ExtUtil::DecodeWideText(raw)); break;
    default: Text = GetDisplayText(ACol, ARow); break;
  }
  Text.erase(0, std::min(Text.size(), Text.find_first_not_of("\t\r\n")));
  std::replace(Text.begin(), Text.end(), '\t', ' ');
  CutWithEllipsis(Text, kBalloonTextLimit);
  if (OnCellBalloon) OnCellBalloon(this, ACol, ARow, Title, Text, Icon);
  // The handler's text is held to the same limit.
  CutWithEllipsis(Text, kBalloonTextLimit);
  CutWithEllipsis(Title, kBalloonTitleLimit);
  if (Icon < 0 || Icon > 3) Icon = 0;
  return !Text.empty();
}

void TExtStringGrid::BalloonEnableChanged() {
  if (ComponentState() & csLoading) return;
  delete balloonWindow_;  // made anew on every change to on
  balloonWindow_ = nullptr;
  delete balloonTimer_;
  balloonTimer_ = nullptr;
  balloonCell_ = TPoint(-1, -1);
  if (!balloon_->Enable()) return;
  balloonWindow_ = new TBalloonWindow(this);
  if (balloon_->Transparency != 0)
    SetLayeredWindowAttributes(balloonWindow_->Handle(), 0, static_cast<BYTE>(255 - balloon_->Transparency), LWA_ALPHA);
  balloonTimer_ = new TTimer(this);
  balloonTimer_->SetEnabled(false);
  balloonTimer_->OnTimer = [this](TObject*) { BalloonTick(); };
}

void TExtStringGrid::HideBalloon() {
  if (balloonTimer_) balloonTimer_->SetEnabled(false);
  if (balloonWindow_ && balloonWindow_->Active()) balloonWindow_->ReleaseHandle();
}

void TExtStringGrid::BalloonMouseMove(int X, int Y) {
  if (!balloonWindow_) return;
  int c = -1, r = -1;
  MouseToCell(X, Y, c, r);
  const TPoint cell = c >= 0 && r >= 0 ? BaseCell(c, r) : TPoint(-1, -1);
  balloonTip_ = ClientToScreen(TPoint(X, Y + 18));  // below the pointer's arrow
  if (cell == balloonCell_) return;
  balloonCell_ = cell;
  const bool shown = balloonWindow_->Active();
  HideBalloon();
  if (cell.X < 0) return;
  // The system's delays where the settings leave them at -1.
  const int delay = shown ? (balloon_->ReshowDelay >= 0 ? balloon_->ReshowDelay : 100)
                          : (balloon_->InitialDelay >= 0 ? balloon_->InitialDelay : 500);
  balloonShowing_ = false;
  balloonTimer_->SetInterval(static_cast<unsigned>(delay));
  balloonTimer_->SetEnabled(true);
}

void TExtStringGrid::BalloonTick() {
  balloonTimer_->SetEnabled(false);
  if (balloonShowing_) {  // the balloon's time is up
    HideBalloon();
    return;
  }
  std::string title, text;
  int icon = 0;
  const int rc = balloonCell_.X < 0 ? -1 : RealColIndex(balloonCell_.X);
  if (!CellBalloon(rc, balloonCell_.Y, title, text, icon)) return;
  const TColor back = balloon_->BackgroundColor != clNone ? balloon_->BackgroundColor : clInfoBk;
  const TColor fore = balloon_->TextColor != clNone ? balloon_->TextColor : clInfoText;
  balloonWindow_->Popup(balloonTip_, title, text, icon, back, fore);
  balloonShowing_ = true;
  balloonTimer_->SetInterval(static_cast<unsigned>(balloon_->AutoHideDelay >= 0 ? balloon_->AutoHideDelay : 5000));
  balloonTimer_->SetEnabled(true);
}

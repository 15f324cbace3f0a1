// The bar's mouse and keyboard: hit tests, clicks on captions, rows, node
// glyphs and arrows, hover, hints, keys and accelerators, the scroll tick,
// caption editing of icon rows and files dropped on the bar.
#include <algorithm>
#include <cctype>
#include <filesystem>

#include "controls/inspector/ExtEdit.h"
#include "controls/inspector/InspDraw.h"
#include "controls/inspector/InspEditors.h"
#include "controls/inspector/InspectorBar.h"
#include "controls/markup/InspectorMarkup.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Timer.h"
#include "platform/gui/Windows.h"

using InspDraw::Inside;

namespace {
// A caption bar spans Y with both ends counted.
bool Spans(const TRect& R, int Y) { return R.Bottom > R.Top && Y >= R.Top && Y <= R.Bottom; }
bool StrictlyInside(const TRect& R, int Y) { return Y > R.Top && Y < R.Bottom; }
}  // namespace

// ------------------------------------------------------------------ hit tests
int TInspectorBar::CaptionAt(int, int Y) const {
  const auto in = LayoutInput();
  if (mode_ == imSinglePanelActive) {
    const auto L = SingleLayout();
    for (int i = 0; i < static_cast<int>(L->Captions.size()); ++i)
      if (in->Panels[i].Visible && Spans(L->Captions[i], Y)) return i;
    return -1;
  }
  const auto layout = MultiLayout();
  const TInspLayout& L = *layout;
  for (int i = 0; i < static_cast<int>(L.Captions.size()); ++i) {
    if (!in->Panels[i].Visible) continue;
    if (Spans(L.Captions[i], Y)) return i;
    // An open panel's rows come before any caption further down.
    if (in->Panels[i].Open) {
      int bottom = L.Captions[i].Bottom;
      for (int r : L.Laid[i])
        if (L.Rows[i][r].Bottom > L.Rows[i][r].Top) bottom = std::max(bottom, L.Rows[i][r].Bottom);
      if (Y > L.Captions[i].Bottom && Y < bottom) return -1;
    }
  }
  return -1;
}

TRect TInspectorBar::CaptionRect(TInspectorPanel* Panel) const {
  if (!Panel) return TRect();
  const auto L = mode_ == imSinglePanelActive ? SingleLayout() : MultiLayout();
  const int i = Panel->Index();
  return i < static_cast<int>(L->Captions.size()) ? L->Captions[i] : TRect();
}

TInspectorPanel* TInspectorBar::PanelAt(int, int Y) const {
  if (mode_ == imSinglePanelActive) {
    const int a = ActivePanel();
    return a >= 0 ? Panels()->GetItem(a) : nullptr;
  }
  const auto L = MultiLayout();
  for (int i = 0; i < Panels()->Count(); ++i) {
    TInspectorPanel* p = Panels()->GetItem(i);
    if (!p->Visible() || !p->IsOpen()) continue;
    for (const TRect& r : L->Rows[i])
      if (r.Bottom > r.Top && StrictlyInside(r, Y)) return p;
  }
  return nullptr;
}

TInspectorItem* TInspectorBar::RowAtY(TInspectorPanel* Panel, int Y, bool EndsIncluded) const {
  int bottom = SingleLayout()->Body.Top;
  for (int r = Panel->TopItem(); r < Panel->Items()->Count(); ++r) {
    TInspectorItem* it = Panel->Items()->GetItem(r);
    if (!it->Visible()) continue;
    bottom += Panel->VariableItemHeight() ? it->Height() : Panel->ItemHeight();
    if (EndsIncluded ? bottom >= Y : bottom > Y) return it;
  }
  return nullptr;
}

TInspectorItem* TInspectorBar::ItemAt(int X, int Y) const {
  return RowAtPoint(X, Y, Width() - (upArrow_ || downArrow_ ? 20 : 0));
}

// The row under (X, Y) with X from 1 to below Right.
TInspectorItem* TInspectorBar::RowAtPoint(int X, int Y, int Right) const {
  if (X < 1 || X >= Right) return nullptr;
  const auto in = LayoutInput();
  if (mode_ == imMultiPanelActive) {
    const auto layout = MultiLayout();
    const TInspLayout& L = *layout;
    for (int i = 0; i < Panels()->Count(); ++i) {
      if (!in->Panels[i].Visible || !in->Panels[i].Open) continue;
      for (int r = 0; r < static_cast<int>(L.Rows[i].size()); ++r)
        if (L.Rows[i][r].Bottom > L.Rows[i][r].Top && StrictlyInside(L.Rows[i][r], Y))
          return Panels()->GetItem(i)->Items()->GetItem(r);
    }
    return nullptr;
  }
  const auto L = SingleLayout();
  if (L->Active < 0 || !StrictlyInside(L->Body, Y)) return nullptr;
  return RowAtY(Panels()->GetItem(L->Active), Y, false);
}

bool TInspectorBar::NodeGlyphHit(TInspectorPanel* Panel, TInspectorItem* Item, int X) const {
  const int base = SideWidth() + Panel->Indent();
  return X > base + (Item->Level() - 1) * 12 && X < base + Item->Level() * 12 && Item->ChildCount() > 0;
}

// ------------------------------------------------------------------ clicks
std::string InspectorOpenTarget(const std::string& URL) {
  const std::string address = ExtEditRules::LinkAddress(URL);
  if (!address.empty()) return address;
  std::string path = URL;
  if (StartsText("file://", path)) {
    path.erase(0, 7);
    if (StartsText("localhost/", path)) path.erase(0, 9);
    std::string plain;
    for (size_t i = 0; i < path.size(); ++i) {
      const auto hex = [&](size_t k) { return k < path.size() && std::isxdigit(static_cast<unsigned char>(path[k])); };
      if (path[i] == '%' && hex(i + 1) && hex(i + 2)) {
        plain += static_cast<char>(std::stoi(path.substr(i + 1, 2), nullptr, 16));
        i += 2;
      } else {
        plain += path[i];
      }
    }
    path = plain;
  }
  if (path.empty() || path[0] != '/' || path.find('\0') != std::string::npos) return std::string();
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status st = fs::status(path, ec);  // a link is judged by what it points to
  if (ec || !fs::is_regular_file(st)) return std::string();
  const fs::perms x = fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
  if ((st.permissions() & x) != fs::perms::none) return std::string();
  // A desktop entry starts a program when opened, executable bit or not; a link is judged by
  // the name it leads to.
  const std::string real = fs::canonical(path, ec).string();
  if (ec || EndsText(".desktop", real)) return std::string();
  return real;
}

void TInspectorBar::ItemClicked(TMouseButton Button, TInspectorPanel* Panel, TInspectorItem* Item) {
  if (!Panel || !Item) return;
  if (Button == mbRight) {
    if (OnItemRightClick) OnItemRightClick(this, Panel, Item);
    return;
  }
  if (Button != mbLeft) return;
  if (!Item->Help().empty() && helpPanel_->Visible()) helpPanel_->SetText(Item->Help());
  if (!StartLabelEdit(Panel, Item)) {
    if (OnItemClick) OnItemClick(this, Panel, Item);
    mouse_.Down = false;
  }
  RepaintItem(Item);
  if (!Item->HoverAnchor().empty()) {
    mouse_.Down = false;
    if (OnItemAnchorClick) OnItemAnchorClick(this, Panel, Item->HoverAnchor(), Item);
  }
  if (!Item->URL().empty()) {
    bool allow = true;
    if (OnURLClick) OnURLClick(this, Item->URL(), allow);
    const std::string target = allow ? InspectorOpenTarget(Item->URL()) : std::string();
    if (!target.empty()) ShellExecute(0, "open", target, "", "", SW_SHOWNORMAL);
  }
}

void TInspectorBar::OpenPanelSingle(int Index) {
  const int a = ActivePanel();
  if (Index == a || Index < 0) return;
  if (OnPanelOpen) OnPanelOpen(this, Panels()->GetItem(Index));
  if (a >= 0 && OnPanelClose) OnPanelClose(this, Panels()->GetItem(a));
  SetTopPanel(Index);
  if (OnPanelOpened) OnPanelOpened(this, Panels()->GetItem(Index));
}

void TInspectorBar::TogglePanelMulti(int Index) {
  TInspectorPanel* p = Panels()->GetItem(Index);
  const bool open = !p->IsOpen();
  p->SetIsOpen(open);
  if (open && OnPanelOpen) OnPanelOpen(this, p);
  if (!open && OnPanelClose) OnPanelClose(this, p);
  UpdateLayout();
  if (open && OnPanelOpened) OnPanelOpened(this, p);
}

void TInspectorBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomPanel::MouseDown(Button, Shift, X, Y);
  if (TabStop() && CanFocus() && !Focused()) SetFocus();
  mouse_.Down = Button == mbLeft;
  EndEdit();
  if (label_.Item) StopLabelEdit(true);
  if (helpPanel_->Visible() && Y >= PanelAreaHeight()) {
    mouse_.HelpAnchor.clear();
    if (IsHTML(helpPanel_->Text())) {
      TRect R(0, PanelAreaHeight() + 1, ClientRight(), Height() - 1);
      Canvas()->SetFont(helpPanel_->Font());
      mouse_.HelpAnchor = InspDraw::Markup(Canvas(), helpPanel_->Text(), R, images_, true, TPoint(X, Y), true);
    }
    if (!mouse_.HelpAnchor.empty() && OnHelpAnchorClick) OnHelpAnchorClick(this, mouse_.HelpAnchor);
    return;
  }
  if (Panels()->Count() == 0) return;
  if (mode_ == imSinglePanelActive)
    MouseDownSingle(Button, X, Y);
  else
    MouseDownMulti(Button, X, Y);
}

void TInspectorBar::PropertyRowClick(TMouseButton Button, TInspectorPanel* P, TInspectorItem* it, int X, bool Multi) {
  if (Cursor() == crHSplit) return;
  if (Button == mbLeft && NodeGlyphHit(P, it, X)) {
    const bool collapse = !it->Collapsed();
    it->SetCollapsed(collapse);
    if (collapse && OnItemClose) OnItemClose(this, P, it);
    if (!collapse && OnItemOpen) OnItemOpen(this, P, it);
  }
  const int capRight = SideWidth() + P->CaptionWidth();
  if (X < capRight && (!Multi || X >= SideWidth())) {
    // The caption column answers every button as a left click.
    ItemClicked(mbLeft, P, it);
    return;
  }
  if (X > capRight - (Multi ? 1 : 0) && X < ItemAreaRight()) {
    if (!Multi) ItemClicked(Button, P, it);
    // Multi-panel rows open their editor for any button.
    if ((!Multi && Button != mbLeft) || it->ReadOnly()) return;
    if (it->PropertyType() == ptButton) {
      RepaintItem(it);
      return;
    }
    StartEdit(it);
    if (showEditorAlways_ && X >= ItemAreaRight() - 32) OpenEditorAtOnce(it);
  }
}

void TInspectorBar::MouseDownSingle(TMouseButton Button, int X, int Y) {
  const auto layout = SingleLayout();
  const TInspLayout& L = *layout;
  const int A = L.Active;
  if (A < 0) return;
  for (int i = 0; i < Panels()->Count(); ++i) {
    if (!Panels()->GetItem(i)->Visible() || !Spans(L.Captions[i], Y)) continue;
    if (Button == mbLeft && !CaptionClick(Panels()->GetItem(i), X, Y) && i != A) OpenPanelSingle(i);
    return;
  }
  TInspectorPanel* P = Panels()->GetItem(A);
  const TRect& body = L.Body;
  if (upArrow_ && X >= Width() - 20 && X <= Width() && Y >= body.Top && Y <= body.Top + 20) {
    int t = P->TopItem() - 1;
    while (t > 0 && !P->Items()->GetItem(t)->Visible()) --t;
    P->SetTopItem(std::max(0, t));
    mouse_.UpPressed = true;
    mouse_.ArrowRect = TRect(Width() - 20, body.Top, Width(), body.Top + 20);
    Invalidate();
    return;
  }
  if (downArrow_ && X >= Width() - 20 && X <= Width() && Y >= body.Bottom - 20 && Y <= body.Bottom) {
    const int last = P->Items()->Count() - 1;
    int t = P->TopItem() + 1;
    while (t < last && !P->Items()->GetItem(t)->Visible()) ++t;
    P->SetTopItem(std::min(last, t));
    mouse_.DownPressed = true;
    mouse_.ArrowRect = TRect(Width() - 20, body.Bottom - 20, Width(), body.Bottom);
    Invalidate();
    return;
  }
  const bool inBody = StrictlyInside(body, Y);
  switch (P->Style()) {
    case psProperties:
      if (inBody)
        if (TInspectorItem* it = RowAtY(P, Y, false)) PropertyRowClick(Button, P, it, X, false);
      break;
    case psLargeIcon:
      if (inBody && ((X >= 0 && X <= Width()) || P->HoverCaption())) {
        mouse_.Down = true;
        Repaint();
        if (TInspectorItem* it = RowAtY(P, Y, true)) ItemClicked(Button, P, it);
      }
      break;
    case psSmallIcon: case psButtons:
      if (inBody && (X < Width() || P->HoverCaption() || P->Style() == psButtons)) {
        mouse_.Down = true;
        Repaint();
        TInspectorItem* it = RowAtY(P, Y, false);
        if (!it) break;
        if (P->Style() == psButtons) {
          TRect r;
          GetItemRect(P, it, r);
          if (r.Bottom > ButtonAreaHeight()) P->SetTopItem(P->TopItem() + 1);
        }
        ItemClicked(Button, P, it);
        if (P->Style() == psButtons) {
          for (int r = 0; r < P->Items()->Count(); ++r)
            if (P->Items()->GetItem(r) != it) P->Items()->GetItem(r)->SetButtonDown(false);
          it->SetButtonDown(!it->ButtonDown());
        }
      }
      break;
  }
  Invalidate();
}

void TInspectorBar::MouseDownMulti(TMouseButton Button, int X, int Y) {
  const auto layout = MultiLayout();
  const TInspLayout& L = *layout;
  for (int i = 0; i < Panels()->Count(); ++i) {
    TInspectorPanel* p = Panels()->GetItem(i);
    if (!p->Visible()) continue;
    if (Spans(L.Captions[i], Y)) {
      if (p->Items()->Count() > 0 && !CaptionClick(p, X, Y) && Button == mbLeft &&
          !(p->IsOpen() && p->MultiPanelState() == mpsAlwaysOpen))
        TogglePanelMulti(i);
      Invalidate();
      break;
    }
    if (!p->IsOpen()) continue;
    TInspectorItem* hit = nullptr;
    for (int r = 0; r < static_cast<int>(L.Rows[i].size()); ++r)
      if (L.Rows[i][r].Bottom > L.Rows[i][r].Top && StrictlyInside(L.Rows[i][r], Y)) hit = p->Items()->GetItem(r);
    if (!hit) continue;
    if (p->Style() == psProperties) {
      PropertyRowClick(Button, p, hit, X, true);
    } else if (X >= 1 && X < Width()) {
      ItemClicked(Button, p, hit);
      if (p->Style() == psButtons) {
        for (int r = 0; r < p->Items()->Count(); ++r)
          if (p->Items()->GetItem(r) != hit) p->Items()->GetItem(r)->SetButtonDown(false);
        hit->SetButtonDown(!hit->ButtonDown());
      }
    }
    break;
  }
  UpdateLayout();
}

void TInspectorBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomPanel::MouseUp(Button, Shift, X, Y);
  mouse_.Down = mouse_.UpPressed = mouse_.DownPressed = false;
  if (TInspectorItem* it = ItemAt(X, Y)) {
    TInspectorPanel* p = it->Panel();
    if (p->Style() == psProperties && it->PropertyType() == ptButton) {
      if (TabStop() && CanFocus()) {
        SetFocus();
        it->SetPressed(true);
        StartEdit(it);
      }
      const int capRight = SideWidth() + p->CaptionWidth();
      if (X > capRight + 4 && X < ItemAreaRight() - 4 && OnButtonClick) OnButtonClick(this, p, it);
      if (TabStop()) StopEditOf(it);
    }
  }
  Invalidate();
}

void TInspectorBar::DblClick() {
  TCustomPanel::DblClick();
  const TPoint p = CursorInBar();
  if (TInspectorItem* it = ItemAt(p.X, p.Y))
    if (OnItemDblClick) OnItemDblClick(this, it->Panel(), it);
}

void TInspectorBar::DoContextPopup(TPoint MousePos, bool& Handled) {
  TCustomPanel::DoContextPopup(MousePos, Handled);
  if (Handled || Panels()->Count() == 0 || (ComponentState() & csDesigning)) return;
  TInspectorPanel* p = PanelAt(MousePos.X, MousePos.Y);
  TPopupMenu* menu = p ? p->PopupMenu() : nullptr;
  if (!menu || !menu->AutoPopup()) return;
  menu->SetPopupComponent(this);
  const TPoint s = ClientToScreen(MousePos);
  menu->Popup(s.X, s.Y);
  Handled = true;
}

// ------------------------------------------------------------------ hover
void TInspectorBar::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomPanel::MouseMove(Shift, X, Y);
  if (Panels()->Count() == 0) return;
  if (ShowHint()) {
    const std::string h = HintAt(X, Y);
    if (h != mouse_.LastHint) {
      mouse_.LastHint = h;
      Application->CancelHint();
    }
  }
  TInspectorItem* it = ItemAt(X, Y);
  TInspectorPanel* itPanel = it ? it->Panel() : nullptr;
  TCursor cur = defaultCursor_;
  if (it && itPanel->Style() == psProperties && itPanel->GridLines() && itPanel->AllowResize()) {
    if (Cursor() == crHSplit && mouse_.Down) {
      itPanel->SetCaptionWidth(X - SideWidth());
      Invalidate();
      return;
    }
    if (std::abs(X - SideWidth() - itPanel->CaptionWidth()) < 4) cur = crHSplit;
  }
  if (it && !it->HoverAnchor().empty()) cur = crHandPoint;
  const int cap = CaptionAt(X, Y);
  if (panelCaption_->Cursor() != defaultCursor_ && cap >= 0) {
    if (!mouse_.CursorSaved) {
      mouse_.SavedCursor = cur;
      mouse_.CursorSaved = true;
    }
    cur = panelCaption_->Cursor();
  } else if (mouse_.CursorSaved) {
    mouse_.CursorSaved = false;
  }
  SetCursor(cur);

  auto invalidateRow = [this](TInspectorItem* r) {
    if (!r || !r->Panel()) return;
    TRect rr;
    GetItemRect(r->Panel(), r, rr);
    InflateRect(rr, 4, 4);
    InvalidateRect(rr);
  };
  bool whole = false;
  if (!it) {
    invalidateRow(mouse_.HoverItem);
  } else if (itPanel->HoverIconColor() == clNone) {
    if (mouse_.HoverItem != it) invalidateRow(mouse_.HoverItem);
    invalidateRow(it);
  } else {
    whole = true;
  }
  if (cap >= 0) {
    if (cap == mouse_.HoverCaption) {
      if (CaptionMouseMove(Panels()->GetItem(cap), X, Y)) InvalidateRect(CaptionRect(Panels()->GetItem(cap)));
    } else {
      if (mouse_.HoverCaption >= 0 && mouse_.HoverCaption < Panels()->Count())
        InvalidateRect(CaptionRect(Panels()->GetItem(mouse_.HoverCaption)));
      InvalidateRect(CaptionRect(Panels()->GetItem(cap)));
      mouse_.HoverCaption = cap;
    }
  } else if (mouse_.HoverCaption >= 0) {
    if (mouse_.HoverCaption < Panels()->Count()) InvalidateRect(CaptionRect(Panels()->GetItem(mouse_.HoverCaption)));
    mouse_.HoverCaption = -1;
  }
  if (helpPanel_->Visible() && Y >= PanelAreaHeight() && IsHTML(helpPanel_->Text())) {
    TRect R(0, PanelAreaHeight() + 1, ClientRight(), Height() - 1);
    Canvas()->SetFont(helpPanel_->Font());
    mouse_.HelpAnchor = InspDraw::Markup(Canvas(), helpPanel_->Text(), R, images_, true, TPoint(X, Y), true);
    SetCursor(mouse_.HelpAnchor.empty() ? defaultCursor_ : crHandPoint);
  }
  if (whole) Invalidate();
  mouse_.HoverItem = it;
}

void TInspectorBar::CMMouseLeave(TMessage& Message) {
  TCustomPanel::CMMouseLeave(Message);
  if (mouse_.HoverCaption >= 0 && mouse_.HoverCaption < Panels()->Count())
    InvalidateRect(CaptionRect(Panels()->GetItem(mouse_.HoverCaption)));
  mouse_.HoverCaption = -1;
  // The hovered row and the row framed last lose their hover look.
  for (TInspectorItem* row : {mouse_.HoverItem, FramedItem()})
    if (row && row->Panel()) {
      TRect r;
      GetItemRect(row->Panel(), row, r);
      InvalidateRect(r);
    }
  for (int i = 0; i < Panels()->Count(); ++i)
    if (Panels()->GetItem(i)->HoverFullWidth()) {
      Invalidate();
      break;
    }
  SetCursor(defaultCursor_);
}

void TInspectorBar::CMMouseEnter(TMessage& Message) {
  TCustomPanel::CMMouseEnter(Message);
  mouse_.HoverItem = nullptr;
}

// ------------------------------------------------------------------ hints
// A row's hint shows over its whole width, the strip under the scroll arrows too.
TInspectorItem* TInspectorBar::HintRowAt(int X, int Y) const { return RowAtPoint(X, Y, Width()); }

std::string TInspectorBar::HintAt(int X, int Y) {
  std::string h;
  const int cap = CaptionAt(X, Y);
  if (cap >= 0) {
    TInspectorPanel* p = Panels()->GetItem(cap);
    if (!GetPanelHint(p, X, h, Y)) h = p->Hint();
  } else if (TInspectorItem* it = HintRowAt(X, Y)) {
    h = it->Hint();
  }
  return h.empty() ? Hint() : h;
}

void TInspectorBar::CMHintShow(TMessage& Message) {
  auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
  if (!info) return;
  info->HintStr = HintAt(info->CursorPos.X, info->CursorPos.Y);
  info->Show = !info->HintStr.empty();
  Message.Result = 0;
}

// ------------------------------------------------------------------ scroll tick
void TInspectorBar::ScrollTimer() {
  if (mode_ != imSinglePanelActive) return;
  const int a = ActivePanel();
  if (a < 0 || !Inside(CursorInBar(), mouse_.ArrowRect)) return;
  TInspectorPanel* P = Panels()->GetItem(a);
  if (mouse_.DownPressed && downArrow_ && P->TopItem() < P->Items()->Count() - 1) {
    P->SetTopItem(P->TopItem() + 1);
    Repaint();
  } else if (mouse_.UpPressed && upArrow_ && P->TopItem() > 0) {
    P->SetTopItem(P->TopItem() - 1);
    Repaint();
  }
}

// ------------------------------------------------------------------ keys
void TInspectorBar::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS; }

bool TInspectorBar::ShortCutKey(WORD Key, TShiftState Shift) {
  const TShortCut sc = ShortCut(Key, Shift);
  if (sc == 0) return false;
  const int a = ActivePanel();
  if (a >= 0) {
    TInspectorPanel* P = Panels()->GetItem(a);
    for (int r = 0; r < P->Items()->Count(); ++r) {
      TInspectorItem* it = P->Items()->GetItem(r);
      if (it->Visible() && it->ShortCut() == sc) {
        ItemClicked(mbLeft, P, it);
        Invalidate();
        return true;
      }
    }
  }
  for (int i = 0; i < Panels()->Count(); ++i) {
    TInspectorPanel* p = Panels()->GetItem(i);
    if (!p->Visible() || p->ShortCut() != sc) continue;
    if (mode_ == imSinglePanelActive) {
      if (i != a) {
        if (OnPanelOpen) OnPanelOpen(this, p);
        SetTopPanel(i);
        if (OnPanelOpened) OnPanelOpened(this, p);
      }
    } else {
      if (p->IsOpen()) continue;
      TogglePanelMulti(i);
    }
    Invalidate();
    return true;
  }
  return false;
}

bool TInspectorBar::AcceleratorKey(WORD Key) {
  const char L = static_cast<char>(std::toupper(Key & 0xFF));
  const std::string mark = std::string("&") + L;
  int target = -1;
  for (int i = 0; i < Panels()->Count(); ++i) {
    TInspectorPanel* p = Panels()->GetItem(i);
    if (target < 0 && AnsiUpperCase(p->Caption()).find(mark) != std::string::npos) target = i;
    if (!p->IsOpen()) continue;
    for (int r = 0; r < p->Items()->Count(); ++r) {
      TInspectorItem* it = p->Items()->GetItem(r);
      // A row's mark is compared as written: "&address" does not answer Alt+A.
      if (it->Visible() && it->Caption().find(mark) != std::string::npos) {
        ItemClicked(mbLeft, p, it);
        Invalidate();
        return true;
      }
    }
  }
  if (target < 0) return false;
  if (mode_ == imMultiPanelActive) {
    if (Panels()->GetItem(target)->Items()->Count() > 0) TogglePanelMulti(target);
  } else {
    OpenPanelSingle(target);
  }
  Invalidate();
  return true;
}

bool TInspectorBar::DialogShortCut(WORD Key, TShiftState Shift) {
  const TShortCut sc = ShortCut(Key, Shift);
  if (sc == 0) return false;
  const int a = ActivePanel();
  for (int i = 0; i < Panels()->Count(); ++i) {
    TInspectorPanel* p = Panels()->GetItem(i);
    if (p->Visible() && p->ShortCut() == sc) {
      if (mode_ == imSinglePanelActive ? i != a : !p->IsOpen()) {
        if (mode_ == imSinglePanelActive) {
          if (OnPanelOpen) OnPanelOpen(this, p);
          SetTopPanel(i);
          if (OnPanelOpened) OnPanelOpened(this, p);
        } else {
          TogglePanelMulti(i);
        }
      }
      return true;
    }
    for (int r = 0; r < p->Items()->Count(); ++r) {
      TInspectorItem* it = p->Items()->GetItem(r);
      if (it->Visible() && it->ShortCut() == sc) {
        ItemClicked(mbLeft, p, it);
        return true;
      }
    }
  }
  return false;
}

void TInspectorBar::CMDialogKey(TMessage& Message) {
  const WORD key = static_cast<WORD>(Message.WParam);
  if (DialogShortCut(key, KeyboardStateToShiftState())) {
    Message.Result = 1;
    return;
  }
  TCustomPanel::CMDialogKey(Message);
}

void TInspectorBar::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomPanel::KeyDown(Key, Shift);
  if (Key == 0 || Panels()->Count() == 0) return;
  if (ShortCutKey(Key, Shift)) {
    Key = 0;
    return;
  }
  const int a = ActivePanel();
  if (a >= 0 && ((Key == VK_PRIOR && upArrow_) || (Key == VK_NEXT && downArrow_))) {
    TInspectorPanel* P = Panels()->GetItem(a);
    P->SetTopItem(P->TopItem() + (Key == VK_PRIOR ? -1 : 1));
    EndEdit();
    Invalidate();
    PlaceControls();
    if (label_.Item) StopLabelEdit(false);
    Key = 0;
    return;
  }
  if ((Shift & ssAlt) && AcceleratorKey(Key)) {
    Key = 0;
    return;
  }
  if (!EditItem()) return;
  const TPropertyType t = EditItem()->PropertyType();
  if (t != ptBoolean && t != ptButton) return;
  if (Key == VK_SPACE) {
    if (t == ptBoolean) EditItem()->SetBoolValue(!EditItem()->BoolValue());
    else if (OnButtonClick) OnButtonClick(this, EditItem()->Panel(), EditItem());
    Key = 0;
  } else if (Key == VK_RETURN || Key == VK_UP || Key == VK_DOWN) {
    EditItem()->SetPressed(false);
    const WORD k = Key;
    Key = 0;
    Navigate(EditItem(), k);
  }
}

// ------------------------------------------------------------------ focus
void TInspectorBar::WMKillFocus(TMessage& Message) {
  TCustomPanel::WMKillFocus(Message);
  if (Navigating() || Starting()) return;
  // Focus going into the editor is no leaving.
  auto* to = FindControl(reinterpret_cast<HWND>(Message.WParam));
  if (to && IsOwnEditor(to)) return;
  LeaveEdit();
}

void TInspectorBar::WMSetFocus(TMessage& Message) {
  TCustomPanel::WMSetFocus(Message);
  // A list editor restyled for the next row hands the focus to the bar on its way.
  if (Navigating() || Starting()) return;
  ResumeLastEditRow();
}

// ------------------------------------------------------------------ files
void TInspectorBar::FilesDropped(const std::vector<std::string>& Names) {
  if (!acceptFiles_) return;
  const int a = ActivePanel();
  // Without an active panel there is nowhere to put a row.
  if (a < 0) return;
  TInspectorPanel* P = Panels()->GetItem(a);
  for (const std::string& n : Names) {
    bool allow = true;
    if (OnFileDrop) OnFileDrop(this, n, allow);
    if (!allow) continue;
    TInspectorItem* it = P->Items()->Add();
    it->SetURL(n);
    it->SetAutoIcon(true);
    it->SetCaption(n);
  }
}

// ------------------------------------------------------------------ caption editing
TRect TInspectorBar::IconTextRect(TInspectorPanel* Panel, TInspectorItem* Item) {
  if (!Panel || !Item || (Panel->Style() != psLargeIcon && Panel->Style() != psSmallIcon) || Item->Caption().empty())
    return TRect();
  TRect r = Item->CaptionRect();
  TCanvas* C = Canvas();
  C->SetFont(Panel->Font());
  int w = C->TextWidth(Item->Caption()) + 2;
  int h = C->TextHeight(Item->Caption());
  if (Panel->WordWrap() && w > Width()) {
    w = Width() - 50;
    TRect calc(0, 0, w, 0);
    C->DrawText(Item->Caption(), calc, DT_WORDBREAK | DT_CALCRECT);
    h = calc.Height();
    r.Bottom = std::min(r.Bottom, r.Top + h);
    r.Right = r.Left + w;
    return r;
  }
  w = std::min(w, r.Width());
  switch (Panel->Alignment()) {
    case taLeftJustify: r.Right = r.Left + w; break;
    case taRightJustify: r.Left = r.Right - w; break;
    default: {
      const int l = r.Left + (r.Width() - w) / 2;
      r.Left = l;
      r.Right = l + w;
    }
  }
  const bool noIcon = !Item->Icon() || Item->Icon()->Empty();
  if (Panel->Style() == psSmallIcon || noIcon) {
    const int top = r.Top + (r.Height() - h) / 2 - (Panel->Style() == psSmallIcon ? 2 : 0);
    r.Top = top;
    r.Bottom = top + h;
  }
  return r;
}

TCustomEdit* TInspectorBar::LabelEditor() const { return label_.Shown; }

void TInspectorBar::CreateCaptionEditors() {
  auto* edit = new TEdit(this);
  auto* memo = new TMemo(this);
  memo->SetWordWrap(true);
  memo->SetScrollBars(ssNone);
  label_.Edit = edit;
  label_.Memo = memo;
  for (TCustomEdit* e : {label_.Edit, label_.Memo}) {
    e->SetBorderStyle(bsNone);
    e->SetColor(clGreen);
    e->SetVisible(false);
  }
}

bool TInspectorBar::StartLabelEdit(TInspectorPanel* Panel, TInspectorItem* Item) {
  if (!Panel->LabelEdit() || Item->ReadOnly()) return false;
  TRect r = IconTextRect(Panel, Item);
  if (r.Width() <= 0 || !Inside(CursorInBar(), r)) return false;
  if (mode_ == imSinglePanelActive && SingleLayout()->Body.Bottom <= r.Bottom) return false;
  const bool arrows = upArrow_ || downArrow_;
  if (Panel->Style() == psLargeIcon && !Panel->WordWrap()) {
    switch (Panel->Alignment()) {
      case taLeftJustify: r.Right = Width() - (arrows ? 20 : 0); break;
      case taRightJustify: r.Left = 0; break;
      default: {
        const int half = (Width() - (arrows ? 40 : 0)) / 2, mid = (r.Left + r.Right) / 2;
        r.Left = std::max(0, mid - half);
        r.Right = std::min(Width(), mid + half);
      }
    }
  }
  TCustomEdit* e = CaptionEditor(Panel->WordWrap());
  const bool selected = Panel->ItemIndex() == Item->Index();
  e->SetVisible(false);
  e->SetParent(this);
  e->SetBounds(r.Left, r.Top, r.Width(), r.Height());
  e->SetColor(selected ? Panel->SelectColor() : Panel->Color());
  e->Font()->Assign(Panel->Font());
  if (selected) e->Font()->SetColor(Panel->SelectFontColor());
  e->SetAlignment(Panel->Alignment());
  std::string text = Item->Caption();
  if (OnStartLabelEdit) OnStartLabelEdit(this, text);
  e->SetText(text);
  e->OnKeyDown = [this](TObject*, WORD& Key, TShiftState) {
    if (Key == VK_RETURN) {
      Key = 0;
      StopLabelEdit(true);
    } else if (Key == VK_ESCAPE) {
      Key = 0;
      StopLabelEdit(false);
    }
  };
  e->OnExit = [this](TObject*) {
    if (label_.Item) StopLabelEdit(true);
  };
  label_.Item = Item;
  label_.Panel = Panel;
  label_.Shown = e;
  e->SetVisible(true);
  if (e->CanFocus()) e->SetFocus();
  e->SelectAll();
  return true;
}

void TInspectorBar::ForgetLabelEdit() { label_ = TLabelEditState(); }

void TInspectorBar::ForgetHover(TInspectorItem* Item) {
  if (!Item || mouse_.HoverItem == Item) mouse_.HoverItem = nullptr;
  mouse_.HoverCaption = -1;
}

void TInspectorBar::StopLabelEdit(bool Apply) {
  TInspectorItem* it = label_.Item;
  TCustomEdit* e = label_.Shown;
  if (!it || !e) return;
  label_.Item = nullptr;
  label_.Panel = nullptr;
  label_.Shown = nullptr;
  if (Apply) {
    bool allow = true;
    std::string text = e->Text();
    if (OnStopLabelEdit) OnStopLabelEdit(this, it->Caption(), allow, text);
    if (allow) it->SetCaption(text);
  }
  e->SetVisible(false);
}

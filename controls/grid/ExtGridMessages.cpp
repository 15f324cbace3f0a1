// The grid's window messages: middle-button panning (its cursors, its origin marker, the
// capture), the wheel's line count, the theme change, the notifications of the grid's in-cell
// combo box, the scroll bars after sizing, and the timers stopped with the window.
#include <algorithm>
#include <cmath>
#include <memory>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtGridEditors.h"
#include "controls/grid/ExtUtil.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Messages.h"
#include "platform/gui/WinWindow.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/Classes.h"

namespace {
constexpr UINT_PTR kPanTimer = 999;
constexpr UINT kPanPeriod = 10;
constexpr int kDeadZone = 5;     // pixels around the origin that move nothing
constexpr int kMarkerArea = 32;  // the square invalidated for the marker
constexpr int kMarker = 26;      // the marker picture's size
constexpr WORD kSelChange = 1, kEditChange = 5, kCloseUp = 8;  // combo box notifications
constexpr UINT kRecalcScrollMsg = CM_BASE + 41;

const char* MarkerName(TIntelliPan Mode) {
  return Mode == ipHorizontal ? "INTLI2" : Mode == ipBoth ? "INTLI1" : "INTLI3";
}

// The picture of a marker: a ring with arrow heads for the directions panning moves, on a
// background colour the drawing turns white.
std::string MarkerBytes(TIntelliPan Mode) {
  const TColor back = TColorOf(0xFF00FF), ring = TColorOf(0x808080), ink = clBlack;
  TBitmap b(kMarker, kMarker);
  const double c = (kMarker - 1) / 2.0;
  const bool vert = Mode != ipHorizontal, horz = Mode != ipVertical;
  for (int y = 0; y < kMarker; ++y) {
    uint8_t* row = b.ScanLine(y);
    for (int x = 0; x < kMarker; ++x) {
      const double dx = x - c, dy = y - c, r = std::hypot(dx, dy);
      // A head of 4 pixels pointing outwards, its tip 2 pixels inside the edge.
      auto head = [](double along, double across) { return along >= 6 && along <= 10 && std::abs(across) <= 10 - along; };
      bool black = r <= 1.6 || (vert && (head(-dy, dx) || head(dy, dx))) || (horz && (head(-dx, dy) || head(dx, dy)));
      bool grey = !black && r >= 11 && r <= 12.4;
      TColor col = ColorToRGB(black ? ink : grey ? ring : back);
      row[x * 4 + 0] = GetBValue(col);
      row[x * 4 + 1] = GetGValue(col);
      row[x * 4 + 2] = GetRValue(col);
      row[x * 4 + 3] = 0xFF;
    }
  }
  TStringStream s;
  b.SaveToStream(&s);
  return s.DataString();
}

// The panning cursors: a dot with the four heads (neutral), or an arrow from the dot outwards.
void InstallPanCursors() {
  if (!Screen) return;
  constexpr double kC = 16;
  auto dot = [](double x, double y) { return std::hypot(x - kC, y - kC) <= 2.5; };
  auto pointing = [dot](double ux, double uy) {
    const double len = std::hypot(ux, uy);
    ux /= len, uy /= len;
    return [=](double x, double y) {
      const double px = x - (kC + 14 * ux), py = y - (kC + 14 * uy);
      return dot(x, y) || ExtUtil::ArrowRight(px * ux + py * uy, -px * uy + py * ux);
    };
  };
  auto install = [](int n, const ExtUtil::TCursorShape& s) {
    if (!Screen->Cursors(n)) Screen->SetCursors(n, ExtUtil::MakeCursorArt(s, 16, 16));
  };
  install(TExtStringGrid::crGridPan, [dot](double x, double y) {
    auto head = [](double along, double across) { return along >= 8 && along <= 13 && std::abs(across) <= 13 - along; };
    const double dx = x - kC, dy = y - kC;
    return dot(x, y) || head(dx, dy) || head(-dx, dy) || head(dy, dx) || head(-dy, dx);
  });
  install(TExtStringGrid::crGridPanDown, pointing(0, 1));
  install(TExtStringGrid::crGridPanLeft, pointing(-1, 0));
  install(TExtStringGrid::crGridPanRight, pointing(1, 0));
  install(TExtStringGrid::crGridPanUp, pointing(0, -1));
  install(TExtStringGrid::crGridPanUpRight, pointing(1, -1));
  install(TExtStringGrid::crGridPanUpLeft, pointing(-1, -1));
  install(TExtStringGrid::crGridPanDownRight, pointing(1, 1));
  install(TExtStringGrid::crGridPanDownLeft, pointing(-1, 1));
}

// [dy + 1][dx + 1]
constexpr TCursor kPanCursors[3][3] = {
    {TExtStringGrid::crGridPanUpLeft, TExtStringGrid::crGridPanUp, TExtStringGrid::crGridPanUpRight},
    {TExtStringGrid::crGridPanLeft, TExtStringGrid::crGridPan, TExtStringGrid::crGridPanRight},
    {TExtStringGrid::crGridPanDownLeft, TExtStringGrid::crGridPanDown, TExtStringGrid::crGridPanDownRight}};
}  // namespace

// ---------------------------------------------------------------- the message steps
void TExtStringGrid::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MBUTTONUP:
      // The release of the press that started panning keeps the capture panning took.
      if (pan_.On) return;
      break;
    case WM_KEYDOWN: case WM_SYSKEYDOWN:
      if (pan_.On) StopPanning();
      break;
    case WM_CANCELMODE:
      // The mouse went elsewhere (a modal window, another application): panning would go on
      // scrolling by a mouse position the grid no longer hears of.
      if (pan_.On) StopPanning();
      break;
    case WM_THEMECHANGED:
      if (autoThemeAdapt_) {
        AdaptToTheme();
        Invalidate();
      }
      break;
    case WM_COMMAND:
      ComboCommand(Message);
      return;
    case WM_NCPAINT:
      WMNCPaint(Message);
      return;
    case WM_DESTROY:
      StopOwnTimers();
      break;
    default: break;
  }
  const bool sizing = Message.Msg == WM_SIZE || Message.Msg == WM_LBUTTONUP || Message.Msg == kRecalcScrollMsg;
  std::shared_ptr<bool> alive = AliveFlag();
  TBaseGrid::WndProc(Message);
  // Sizes a release or a size change settled decide the scroll ranges.
  if (sizing && *alive && !(ComponentState() & csDesigning)) UpdateScrollBars(true);
}

void TExtStringGrid::WMNCPaint(TMessage& Message) {
  // The border is drawn by then; the modern looks draw their frame over it.
  if (updateCount_ == 0) DrawFlatFrame(reinterpret_cast<TCanvas*>(Message.WParam));
  else frameSkipped_ = true;  // drawn when the update ends
  Message.Result = 0;
}

void TExtStringGrid::DestroyWnd() {
  StopOwnTimers();
  TBaseGrid::DestroyWnd();
}

void TExtStringGrid::StopOwnTimers() {
  if (pan_.On) StopPanning();
  if (!HandleAllocated()) return;
  KillTimer(Handle(), kPanTimer);
  if (move_.Scrolling || move_.CursorSet) EndMoveLook();
  StopGridTimer();
}

// ---------------------------------------------------------------- the in-cell combo box
void TGridCombo::Select() {
  // A choice from the list is a selection change, not a typed change as well.
  TGridFlagScope selecting(selecting_, true);
  Notify(kSelChange);
  TCellControl<TESGComboBox>::Select();
}

void TGridCombo::Change() {
  if (!selecting_) Notify(kEditChange);
  TCellControl<TESGComboBox>::Change();
  // The wide combo tells its list choices only.
  if (!dynamic_cast<TGridUniCombo*>(this)) CellControlChange(Grid(), Text());
}

void TGridCombo::CloseUp() {
  Notify(kCloseUp);
  TCellControl<TESGComboBox>::CloseUp();
}

void TGridCombo::Notify(WORD Code) {
  TExtStringGrid* g = Grid();
  if (!g || !g->HandleAllocated() || !HandleAllocated()) return;
  SendMessage(g->Handle(), WM_COMMAND, static_cast<WPARAM>(Code) << 16, reinterpret_cast<LPARAM>(Handle()));
}

void TExtStringGrid::ComboCommand(TMessage& Message) {
  const WORD code = static_cast<WORD>((Message.WParam >> 16) & 0xFFFF);
  const HWND from = reinterpret_cast<HWND>(Message.LParam);
  if (!from || (HandleAllocated() && from == Handle())) return;
  TWinControl* sender = FindControl(from);
  std::shared_ptr<bool> alive = AliveFlag();
  // The notification goes back to the child that sent it, as the class library reflects it.
  SendMessage(from, WM_COMMAND, Message.WParam, Message.LParam);
  if (!*alive || !sender) return;
  TWinControl* own = editors_ ? editors_->Made(edComboEdit) : nullptr;
  if (editors_ && sender == editors_->Made(edUniComboEdit)) own = sender;
  const int col = RealCol(), row = Row();
  if (sender == own) {
    auto* combo = static_cast<TGridCombo*>(own);
    if (code == kSelChange || code == kEditChange) {
      const int index = combo->ItemIndex();
      // A typed text that names no item has no item to report: only its text is told below.
      if (code == kSelChange || index >= 0) {
        const std::string item = index >= 0 && index < combo->Items()->Count() ? combo->Items()->Strings(index) : "";
        TObject* object = index >= 0 && index < combo->Items()->Count() ? combo->Items()->Objects(index) : nullptr;
        if (OnComboChange) OnComboChange(this, col, row, index, item);
        if (!*alive) return;
        if (OnComboObjectChange) OnComboObjectChange(this, col, row, index, item, object);
        if (!*alive) return;
      }
      if (code == kEditChange && OnComboChange) OnComboChange(this, col, row, -1, combo->Text());
    } else if (code == kCloseUp) {
      if (OnComboCloseUp) OnComboCloseUp(this, row, col);
    }
    return;
  }
  // A combo box placed in a cell: its choice, for the cell it sits in.
  auto* box = dynamic_cast<TCustomComboBox*>(sender);
  if (!box || (code != kSelChange && code != kEditChange)) return;
  for (int i = 0; i < controlList_->Count(); ++i) {
    TControlItem* it = controlList_->GetControl(i);
    if (it->Control != box) continue;
    const int index = box->ItemIndex();
    const std::string item = index >= 0 && index < box->Items()->Count() ? box->Items()->Strings(index) : "";
    if (OnComboChange) OnComboChange(this, it->X, it->Y, index, item);
    return;
  }
}

// ---------------------------------------------------------------- panning
int TExtStringGrid::WheelLines() {
  UINT lines = 3;
  if (!SystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) lines = 3;
  return static_cast<int>(lines);
}

void TExtStringGrid::StartPanning(int X, int Y) {
  InstallPanCursors();
  ShowPanCursor(crGridPan);
  pan_.On = true;
  pan_.Origin = TPoint(X, Y);
  pan_.Last = pan_.Origin;
  if (HandleAllocated()) {
    SetTimer(Handle(), kPanTimer, kPanPeriod);
    // Every mouse message comes here until panning ends, wherever the mouse goes.
    SetCapture(Handle());
  }
  Invalidate();
}

void TExtStringGrid::StopPanning() {
  if (HandleAllocated()) KillTimer(Handle(), kPanTimer);
  if (!pan_.On) return;
  if (HandleAllocated() && GetCapture() == Handle()) ReleaseCapture();
  pan_.On = false;
  ShowPanCursor(ownCursor_);
  pan_.Cursor = crDefault;
  Invalidate();
  InvalidatePanMarker();
}

void TExtStringGrid::PanMouseMove(int X, int Y) {
  if (pan_.On) pan_.Last = TPoint(X, Y);
}

void TExtStringGrid::ShowPanCursor(TCursor ACursor) {
  pan_.Cursor = ACursor;
  if (Cursor() == ACursor) return;
  SetOwnCursor(ACursor);
}

bool TExtStringGrid::PanSetCursor(TMessage& Message) {
  if (!pan_.On || !Screen || !Screen->Cursors(pan_.Cursor)) return false;
  ::SetCursor(Screen->Cursors(pan_.Cursor));
  Message.Result = 1;
  return true;
}

void TExtStringGrid::PanTick() {
  if (!pan_.On || IntelliPan == ipNone) return;
  const TGridRect before = Selection();
  const TPoint p = pan_.Last;
  int dx = p.X < pan_.Origin.X - kDeadZone ? -1 : p.X > pan_.Origin.X + kDeadZone ? 1 : 0;
  int dy = p.Y < pan_.Origin.Y - kDeadZone ? -1 : p.Y > pan_.Origin.Y + kDeadZone ? 1 : 0;
  if (IntelliPan == ipHorizontal) dy = 0;
  if (IntelliPan == ipVertical) dx = 0;
  const int lastRow = std::max(FixedRows(), LastWalkableRow());
  const int lastCol = std::max(FixedCols(), ColCount() - fixedRightCols_ - 1);
  int c = std::clamp(Col(), FixedCols(), lastCol), r = std::clamp(Row(), FixedRows(), lastRow);
  if (dx < 0 && c > FixedCols()) --c;
  if (dx > 0 && c < lastCol) ++c;
  if (dy < 0 && r > FixedRows()) --r;
  if (dy > 0 && r < lastRow) ++r;
  std::shared_ptr<bool> alive = AliveFlag();
  if (c != Col() || r != Row()) {
    const int left = LeftCol(), top = TopRow();
    FocusCell(c, r, true);
    if (!*alive) return;
    if (left != LeftCol() || top != TopRow()) InvalidatePanMarker();
  }
  ShowPanCursor(kPanCursors[dy + 1][dx + 1]);
  InvalidatePanMarker();
  NoteSelection(before);
}

TRect TExtStringGrid::PanMarkerRect() const {
  if (!pan_.On) return TRect();
  return TRect(pan_.Origin.X, pan_.Origin.Y, pan_.Origin.X + kMarkerArea, pan_.Origin.Y + kMarkerArea);
}

void TExtStringGrid::InvalidatePanMarker() {
  if (HandleAllocated())
    InvalidateRect(TRect(pan_.Origin.X, pan_.Origin.Y, pan_.Origin.X + kMarkerArea, pan_.Origin.Y + kMarkerArea));
}

void TExtStringGrid::LoadPanMarker(TIntelliPan Mode, TBitmap* Bitmap) {
  const std::string name = MarkerName(Mode);
  std::string bytes;
  // The program's own picture under the name wins.
  if (!FindResource(name, bytes)) RegisterResource(name, MarkerBytes(Mode));
  Bitmap->LoadFromResourceName(HInstance, name);
  if (Bitmap->Width() < 1 || Bitmap->Height() < 1) return;
  const uint8_t* first = Bitmap->ScanLine(0);
  const uint8_t b0 = first[0], g0 = first[1], r0 = first[2];
  for (int y = 0; y < Bitmap->Height(); ++y) {
    uint8_t* row = Bitmap->ScanLine(y);
    for (int x = 0; x < Bitmap->Width(); ++x) {
      uint8_t* px = row + x * 4;
      if (px[0] == b0 && px[1] == g0 && px[2] == r0) px[0] = px[1] = px[2] = 0xFF, px[3] = 0xFF;
    }
  }
}

void TExtStringGrid::PaintPanMarker(TCanvas* ACanvas) {
  if (!pan_.On || IntelliPan == ipNone) return;
  TBitmap marker;
  LoadPanMarker(IntelliPan, &marker);
  ACanvas->Draw(pan_.Origin.X, pan_.Origin.Y, &marker);
}

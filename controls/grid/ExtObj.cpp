#include "controls/grid/ExtObj.h"
#include "controls/grid/ExtUtil.h"

#include "controls/markup/EsgHTMLE.h"
#include "controls/markup/PictureContainer.h"
#include "platform/rtl/SysUtils.h"

#include <vector>

#include "platform/gui/VisualStyles.h"

namespace ExtObj {

bool IsWinXP() { return IsWindowsXPOrLater(); }

int CurrentXPScheme() { return CurrentXPColorScheme(); }

}  // namespace ExtObj

// ---------------------------------------------------------------- TIntList

namespace {
void* Slot(int value) { return reinterpret_cast<void*>(static_cast<intptr_t>(value)); }
int ValueOf(void* slot) { return static_cast<int32_t>(reinterpret_cast<intptr_t>(slot)); }
}  // namespace

void TIntList::Changed() {
  if (OnChange) OnChange(this, col_, row_);
}

int TIntList::Add(int Value) {
  const int index = TList::Add(Slot(Value));
  Changed();
  return index;
}

void TIntList::Insert(int Index, int Value) { TList::Insert(Index, Slot(Value)); }

void TIntList::Delete(int Index) {
  TList::Delete(Index);
  Changed();
}

int TIntList::GetInteger(int Index) const { return ValueOf(Items(Index)); }

void TIntList::SetInteger(int Index, int Value) {
  SetItems(Index, Slot(Value));
  Changed();
}

std::string TIntList::GetStrValue() const {
  std::string r;
  for (int i = 0; i < Count(); ++i) {
    if (i > 0) r += ',';
    r += IntToStr(GetInteger(i));
  }
  return r;
}

void TIntList::SetStrValue(const std::string& Text) {
  TStringList parts;
  parts.SetCommaText(Text);
  std::vector<int> values;
  values.reserve(static_cast<size_t>(parts.Count()));
  for (int i = 0; i < parts.Count(); ++i) values.push_back(StrToInt(parts[i]));
  Clear();
  for (int v : values) Add(v);
}

// ---------------------------------------------------------------- TSortIndexList

void TSortIndexList::AddIndex(int Column, bool Ascending) {
  const uint32_t v = (static_cast<uint32_t>(Column) & ~DescendingBit) | (Ascending ? 0u : DescendingBit);
  Add(static_cast<int32_t>(v));
}

int TSortIndexList::FindIndex(int Column) const {
  for (int i = 0; i < Count(); ++i)
    if (SortColumn(i) == Column) return i;
  return -1;
}

void TSortIndexList::ToggleIndex(int Column) {
  const int i = FindIndex(Column);
  if (i >= 0) SetInteger(i, static_cast<int32_t>(static_cast<uint32_t>(GetInteger(i)) ^ DescendingBit));
}

int TSortIndexList::SortColumn(int Index) const {
  return static_cast<int>(static_cast<uint32_t>(GetInteger(Index)) & ~DescendingBit);
}

bool TSortIndexList::SortAscending(int Index) const {
  return (static_cast<uint32_t>(GetInteger(Index)) & DescendingBit) == 0;
}

// ---------------------------------------------------------------- TControlList

TControlList::~TControlList() {
  for (int i = 0; i < Count(); ++i) {
    auto* item = static_cast<TControlItem*>(Items(i));
    delete item->Control;
    item->Control = nullptr;
  }
  for (int i = 0; i < Count(); ++i) delete static_cast<TControlItem*>(Items(i));
}

int TControlList::AddControl(int X, int Y, TControl* Control) { return Add(new TControlItem{X, Y, Control}); }

TControlItem* TControlList::GetControl(int Index) const { return static_cast<TControlItem*>(Items(Index)); }

void TControlList::DeleteControl(int Index) {
  TControlItem* item = GetControl(Index);
  TControl* control = item->Control;
  item->Control = nullptr;
  delete control;
  // Freeing a control may reach back into the list; the entry is found again.
  const int at = IndexOf(item);
  if (at >= 0) Delete(at);
}

void TControlList::Notify(void* Ptr, TListNotification Action) {
  if (Action != lnDeleted) return;
  auto* item = static_cast<TControlItem*>(Ptr);
  delete item->Control;
  delete item;
}

// ---------------------------------------------------------------- TFilePicture
void TFilePicture::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TFilePicture*>(Source);
  if (s) SetFilenameUnread(s->filename_, s->Width, s->Height);
}

void TFilePicture::SetFilename(const std::string& Value) {
  if (Value.empty()) {
    filename_.clear();
    Width = Height = 0;
    return;
  }
  THTMLPicture p;
  p.LoadFromFile(Value);  // raises for a file that is missing, not regular, too large or no picture
  if (p.Empty()) throw EInvalidGraphic("Unknown picture file extension (" + ExtractFileExt(Value) + ")");
  filename_ = Value;
  Width = p.Width();
  Height = p.Height();
}

void TFilePicture::SetFilenameUnread(const std::string& Value, int W, int H) {
  filename_ = Value;
  Width = W;
  Height = H;
}

void TFilePicture::DrawPicture(TCanvas* Canvas, const TRect& R) {
  if (filename_.empty()) return;
  // Read for each drawing and dropped after it: a file picture costs no memory between paints.
  THTMLPicture p;
  try {
    p.LoadFromFile(filename_);
  } catch (const Exception&) {
    return;
  }
  if (p.Empty()) return;
  p.SetStretch(true);  // the picture fills the rectangle, whatever its own size
  Canvas->StretchDraw(R, &p);
}

// ---------------------------------------------------------------- arrows and the pop-up button
TArrowWindow::TArrowWindow(TComponent* AOwner, int Direction) : THintWindow(AOwner), direction_(Direction & 3) {
  SetColor(clLime);
  static const std::vector<TPoint> shapes[4] = {
      {{5, 0}, {10, 5}, {7, 5}, {7, 9}, {3, 9}, {3, 5}, {0, 5}},
      {{3, 0}, {7, 0}, {7, 4}, {9, 4}, {5, 8}, {1, 4}, {3, 4}},
      {{0, 3}, {0, 7}, {4, 7}, {4, 10}, {8, 5}, {4, 0}, {4, 3}},
      {{0, 5}, {4, 10}, {4, 7}, {8, 7}, {8, 3}, {4, 3}, {4, 0}},
  };
  SetShape(shapes[direction_]);
}

void TArrowWindow::ShowAt(TPoint P) { ShowAt(TRect(P.X, P.Y, P.X + 11, P.Y + 11)); }

void TArrowWindow::Paint() {
  Canvas()->Brush()->SetStyle(bsSolid);
  Canvas()->Brush()->SetColor(Color());
  Canvas()->Pen()->SetColor(Color());
  Canvas()->FillRect(ClientRect());
}

TPopupButton::TPopupButton(TComponent* AOwner) : THintWindow(AOwner) {
  SetColor(clBtnFace);
  Font()->SetColor(clBtnText);
}

void TPopupButton::Paint() {
  TCanvas* c = Canvas();
  // The window's one-pixel border; the client area lies inside it.
  const TRect w = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clWindowFrame);
  c->FrameRect(w);
  const TRect r(w.Left + 1, w.Top + 1, w.Right - 1, w.Bottom - 1);
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  if (!Flat) {
    c->Pen()->SetColor(clWhite);
    c->MoveTo(r.Left, r.Bottom - 1);
    c->LineTo(r.Left, r.Top);
    c->LineTo(r.Right - 1, r.Top);
    c->Pen()->SetColor(TColor(0x808080));
    c->LineTo(r.Right - 1, r.Bottom - 1);
    c->LineTo(r.Left, r.Bottom - 1);
  }
  if (GradFrom != clNone) ExtUtil::DrawGradient(c, GradFrom, GradTo == clNone ? GradFrom : GradTo, 64, r, false);
  c->Brush()->SetStyle(bsClear);
  c->Font()->Assign(Font());
  const std::string caption = Caption();
  if (caption.find("</") != std::string::npos) {
    std::string anchor, strip, focusAnchor, title, cid, cv, ct;
    int xs = 0, ys = 0, links = 0, mouseLink = 0;
    TRect hover, control;
    HTMLDraw(c, caption, r, nullptr, 0, 0, -1, -1, 1, false, false, false, false, true, false, true, false, 1.0,
             clBlue, clNone, clNone, clGray, anchor, strip, focusAnchor, title, xs, ys, links, mouseLink, hover,
             control, cid, cv, ct, nullptr, nullptr, Handle());
    return;
  }
  TRect t = r;
  c->DrawText(caption, t, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
}

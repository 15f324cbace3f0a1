#include "controls/instrument/InstSystem.h"

#include <cstdint>
#include <iterator>

#include "controls/instrument/InstSysUtils.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Windows.h"

// ---- TInstBitmapList

TInstBitmapList::TInstBitmapList(TComponent* AOwner) : TInstSharedComponent(AOwner), FBitmaps(new TInstBitmaps()) {
  FBitmaps->OnChange = [this](TObject* Sender) { BitmapsChanged(Sender); };
}

TInstBitmapList::~TInstBitmapList() {
  FBitmaps->OnChange = nullptr;
  delete FBitmaps;
}

TBitmap* TInstBitmapList::GetBitmap(int Index) const {
  if (Index < 0 || Index >= FBitmaps->Count()) return nullptr;
  return FBitmaps->Bitmaps(Index);
}

void TInstBitmapList::BitmapsChanged(TObject*) {
  NotifyLinks();
  if (OnChange) OnChange(this);
}

// ---- Built-in art

namespace {

// Pixel maps: 'X' outline, '.' fill, 'h' highlight, 's' shadow, 'd' dark,
// anything else the transparent colour.
constexpr TColor kTransparent = clFuchsia;

void PaintPixelMap(TBitmap* B, const char* const* Rows, int RowCount, TColor Outline, TColor Fill) {
  int w = 0;
  for (int r = 0; r < RowCount; ++r) w = MaxInt(w, static_cast<int>(std::char_traits<char>::length(Rows[r])));
  B->SetSize(w, RowCount);
  TCanvas* c = B->Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(kTransparent);
  c->FillRect(Rect(0, 0, w, RowCount));
  for (int y = 0; y < RowCount; ++y)
    for (int x = 0; Rows[y][x]; ++x) {
      switch (Rows[y][x]) {
        case 'X':
          c->SetPixels(x, y, Outline);
          break;
        case '.':
          c->SetPixels(x, y, Fill);
          break;
        case 'h':
          c->SetPixels(x, y, clWhite);
          break;
        case 's':
          c->SetPixels(x, y, clGray);
          break;
        case 'd':
          c->SetPixels(x, y, TColor(0x404040));
          break;
        default:
          break;
      }
    }
}

// The finger tip is the hot spot.
constexpr int kHandHotSpotX = 5, kHandHotSpotY = 0;
const char* const kHand[] = {
    "     XX         ", "    X..X        ", "    X..X        ", "    X..X        ", "    X..X        ",
    "    X..XXX      ", "    X..X..XXX   ", "    X..X..X..XX ", " XX X..X..X..X.X", "X..XX........X.X",
    "X...X..........X", " X..X..........X", "  X.X..........X", "  X............X", "   X...........X",
    "   X..........X ", "    X.........X ", "    X........X  ", "     X.......X  ", "     X.......X  ",
    "     XXXXXXXXX  ",
};

// A grip with a groove across its middle; the long side runs across the track.
// Every pixel is art: it looks the same drawn opaque or see-through.
void PaintThumb(TBitmap* B, int W, int H, bool GrooveAcross) {
  B->SetSize(W, H);
  TCanvas* c = B->Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(TColor(0xC8C8C8));
  c->FillRect(Rect(0, 0, W, H));
  TRect r = Rect(0, 0, W, H);
  DrawFrame3D(c, r, clWhite, clBlack, 1);
  DrawFrame3D(c, r, TColor(0xE8E8E8), clGray, 1);
  const TColor dark = TColor(0x404040);
  if (GrooveAcross) {
    const int m = H / 2;
    c->Brush()->SetColor(dark);
    c->FillRect(Rect(3, m - 1, W - 3, m));
    c->Brush()->SetColor(clWhite);
    c->FillRect(Rect(3, m, W - 3, m + 1));
  } else {
    const int m = W / 2;
    c->Brush()->SetColor(dark);
    c->FillRect(Rect(m - 1, 3, m, H - 3));
    c->Brush()->SetColor(clWhite);
    c->FillRect(Rect(m, 3, m + 1, H - 3));
  }
  // Square corners: the slider draws its thumb opaque by default, which shows the
  // transparent colour as itself, so the art holds none of it.
}

}  // namespace

bool InstLoadResourceBitmap(const std::string& Name, TBitmap* Bitmap) {
  if (!Bitmap) return false;
  if (Name == "INSTSLIDERTHUMB_HORI") {
    PaintThumb(Bitmap, 30, 13, true);
  } else if (Name == "INSTSLIDERTHUMB_VERT") {
    PaintThumb(Bitmap, 13, 30, false);
  } else if (Name == "INSTCURSORHANDPOINT") {
    PaintPixelMap(Bitmap, kHand, static_cast<int>(std::size(kHand)), clBlack, clWhite);
  } else {
    return false;
  }
  Bitmap->SetTransparentColor(kTransparent);
  Bitmap->SetTransparent(true);
  return true;
}

namespace {

void Put16(std::string& s, unsigned v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

}  // namespace

std::string InstHandCursorBytes() {
  TBitmap hand;
  InstLoadResourceBitmap("INSTCURSORHANDPOINT", &hand);
  constexpr int kSize = 32;
  const TColor clear = ColorToRGB(hand.TransparentColor());
  std::string pixels, mask;
  for (int y = kSize - 1; y >= 0; --y) {  // bottom-up rows
    uint32_t maskRow = 0;
    for (int x = 0; x < kSize; ++x) {
      const bool inside = x < hand.Width() && y < hand.Height();
      const TColor c = inside ? ColorToRGB(hand.Canvas()->Pixels(x, y)) : clear;
      const bool transparent = c == clear;
      pixels += static_cast<char>(GetBValue(c));
      pixels += static_cast<char>(GetGValue(c));
      pixels += static_cast<char>(GetRValue(c));
      pixels += static_cast<char>(transparent ? 0 : 0xFF);
      if (transparent) maskRow |= 0x80000000u >> x;
    }
    for (int i = 3; i >= 0; --i) mask += static_cast<char>((maskRow >> (8 * i)) & 0xFF);
  }
  std::string image;
  Put32(image, 40);
  Put32(image, kSize);
  Put32(image, kSize * 2);  // picture and mask
  Put16(image, 1);
  Put16(image, 32);
  for (int i = 0; i < 6; ++i) Put32(image, 0);
  image += pixels;
  image += mask;

  std::string file;
  Put16(file, 0);
  Put16(file, 2);  // cursor
  Put16(file, 1);
  file += static_cast<char>(kSize);
  file += static_cast<char>(kSize);
  file += '\0';
  file += '\0';
  Put16(file, kHandHotSpotX);
  Put16(file, kHandHotSpotY);
  Put32(file, static_cast<uint32_t>(image.size()));
  Put32(file, 22);
  return file + image;
}

namespace {
// Installed when the application starts, in every program that uses the controls.
const bool kHandCursorAtStartup = (RegisterStartupRoutine(InstInstallHandCursor), true);
}  // namespace

void InstInstallHandCursor() {
  static bool installed = false;
  if (installed || !Screen) return;
  std::string existing;
  if (!FindResource("INSTCURSORHANDPOINT", existing)) RegisterResource("INSTCURSORHANDPOINT", InstHandCursorBytes());
  Screen->SetCursors(crInstHandPoint, LoadCursor(HInstance, "INSTCURSORHANDPOINT"));
  installed = true;
}

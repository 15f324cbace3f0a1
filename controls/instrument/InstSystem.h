#pragma once
// The shareable bitmap list, the shared hand cursor and the controls' own
// built-in bitmaps.

#include <string>

#include "controls/instrument/InstClasses.h"
#include "controls/instrument/InstControls.h"

// Screen cursor number of the shared hand cursor.
inline constexpr int crInstHandPoint = 99;

class TInstBitmapList : public TInstSharedComponent {
 public:
  explicit TInstBitmapList(TComponent* AOwner);
  ~TInstBitmapList() override;
  std::string ClassName() const override { return "TInstBitmapList"; }

  TInstBitmaps* Bitmaps() const { return FBitmaps; }
  void SetBitmaps(TInstBitmaps* V) { FBitmaps->Assign(V); }
  // The bitmap at Index, or nullptr outside the list.
  TBitmap* GetBitmap(int Index) const;

  // Fired after the links heard of a change of Bitmaps.
  TNotifyEvent OnChange;

 private:
  void BitmapsChanged(TObject* Sender);
  TInstBitmaps* FBitmaps;
};

// Draws the named built-in bitmap ("INSTSLIDERTHUMB_HORI",
// "INSTSLIDERTHUMB_VERT", "INSTCURSORHANDPOINT") into Bitmap; false for an
// unknown name.
bool InstLoadResourceBitmap(const std::string& Name, TBitmap* Bitmap);

// The hand cursor as a cursor file image (32 x 32, hot spot on the finger tip).
std::string InstHandCursorBytes();
// Installs the hand cursor as screen cursor crInstHandPoint (done once; later
// calls do nothing).
void InstInstallHandCursor();

#pragma once
// Companion objects of the grid: the XP-look tests, the integer lists, the
// sort index list and the list of controls placed in cells.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Hints.h"
#include "platform/rtl/Classes.h"

namespace ExtObj {

// The system is version 5.1 or later.
bool IsWinXP();
// 0 without the XP look or an active theme, else 1 "NormalColor", 2 "HomeStead",
// 3 "Metallic", 0 for any other colour scheme.
int CurrentXPScheme();

}  // namespace ExtObj

// handler(Sender list, column, row): a list tells the cell it belongs to of a change.
using TIntListChangeEvent = std::function<void(TObject* Sender, int Col, int Row)>;

// Integers in the slots of a pointer list. Add, Delete and SetInteger fire
// OnChange; Insert and Clear do not.
class TIntList : public TList {
 public:
  TIntList(int Col, int Row) : col_(Col), row_(Row) {}
  std::string ClassName() const override { return "TIntList"; }

  int Add(int Value);
  void Insert(int Index, int Value);
  void Delete(int Index);
  // Raise EListError "List index out of bounds (%d)".
  int GetInteger(int Index) const;
  void SetInteger(int Index, int Value);
  int operator[](int Index) const { return GetInteger(Index); }

  // "3,1,2"; empty for an empty list.
  std::string GetStrValue() const;
  // Comma text ("," or blanks separate, double quotes group). Every value is
  // read before the list changes: a value that is no integer raises
  // EConvertError and leaves the list as it was. Then the list is cleared and
  // the values are added, firing OnChange once per value.
  void SetStrValue(const std::string& Text);

  int Col() const { return col_; }
  int Row() const { return row_; }
  TIntListChangeEvent OnChange;

 protected:
  void Changed();

 private:
  int col_, row_;
};

// The columns of a multi-column sort: the column in bits 0 to 30, bit 31 set
// for descending order.
class TSortIndexList : public TIntList {
 public:
  static constexpr uint32_t DescendingBit = 0x80000000u;
  TSortIndexList() : TIntList(-1, -1) {}
  std::string ClassName() const override { return "TSortIndexList"; }

  void AddIndex(int Column, bool Ascending);
  // List position of the column's first entry, -1 when absent.
  int FindIndex(int Column) const;
  // Turns the direction of the column's first entry (firing OnChange); nothing when absent.
  void ToggleIndex(int Column);
  // The column and the direction of an entry.
  int SortColumn(int Index) const;
  bool SortAscending(int Index) const;
};

// One control placed in a cell (real column and row).
struct TControlItem {
  int X = 0;
  int Y = 0;
  TControl* Control = nullptr;
};

// Controls placed in cells; the list owns the controls and frees them.
class TControlList : public TList {
 public:
  TControlList() = default;
  ~TControlList() override;
  std::string ClassName() const override { return "TControlList"; }

  int AddControl(int X, int Y, TControl* Control);
  // The entry at the index (EListError when out of range).
  TControlItem* GetControl(int Index) const;
  // Frees the control at the index, then removes its entry.
  void DeleteControl(int Index);

 protected:
  void Notify(void* Ptr, TListNotification Action) override;
};

// A picture kept as a file name; cells show it.
class TFilePicture : public TPersistent {
 public:
  std::string ClassName() const override { return "TFilePicture"; }
  // Copies Filename, Width and Height.
  void Assign(TPersistent* Source) override;
  const std::string& Filename() const { return filename_; }
  // Reads the picture once to take its size; a file that cannot be read as a picture raises
  // the picture loader's error and changes nothing.
  void SetFilename(const std::string& Value);
  // Takes a name and sides as they are, the file unread (a picture that came by its name).
  void SetFilenameUnread(const std::string& Value, int W, int H);
  int Width = 0, Height = 0;
  // Reads the file and stretches the picture into R; the picture is not kept. A picture that
  // cannot be loaded draws nothing: painting never raises.
  void DrawPicture(TCanvas* Canvas, const TRect& R);

 private:
  std::string filename_;
};

// A small solid arrow beside the grid that marks where a drop or a moved line lands: a pop-up
// that never takes the focus or the mouse, lime, cut to its arrow (10 x 10 pixels).
class TArrowWindow : public THintWindow {
 public:
  enum { Up = 0, Down = 1, Right = 2, Left = 3 };
  TArrowWindow(TComponent* AOwner, int Direction);
  std::string ClassName() const override { return "TArrowWindow"; }
  int Direction() const { return direction_; }
  // Shows the arrow with its top-left corner at P (screen).
  using THintWindow::ShowAt;
  void ShowAt(TPoint P);
  void Hide() { ReleaseHandle(); }

 protected:
  void Paint() override;

 private:
  int direction_;
};

// A small pop-up with a one-line caption on a gradient or the button face, drawn raised unless
// Flat; it never takes the focus or the mouse.
class TPopupButton : public THintWindow {
 public:
  explicit TPopupButton(TComponent* AOwner);
  std::string ClassName() const override { return "TPopupButton"; }
  bool Flat = false;
  TColor GradFrom = clNone, GradTo = clNone;

 protected:
  void Paint() override;
};

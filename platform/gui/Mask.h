#pragma once
// Edit masks and the masked edit.
//
// A mask has up to three fields separated by ";": the mask itself; "0" when
// literals are left out of Text (anything else keeps them); the character
// shown for an empty position (default "_"). Mask characters:
//   L letter required     l letter optional     A letter or digit required
//   a letter or digit optional   C any character required   c any character optional
//   0 digit required      9 digit optional      # digit, "+" or "-" optional
//   > upper case from here   < lower case from here   <> no case change
//   \ next character literal  : time separator  / date separator  _ a blank
//   ! optional characters as leading blanks (kept, shown the same)
// Any other character is a literal shown as it is.

#include <string>
#include <string_view>
#include <vector>

#include "platform/gui/StdCtrls.h"

// The characters of a text, one string each: a UTF-8 sequence, or one byte that
// is not part of one. A mask position holds one of them.
std::vector<std::string> MaskChars(std::string_view Text);

class EDBEditError : public Exception {
 public:
  using Exception::Exception;
};

class TMaskLayout {
 public:
  TMaskLayout() = default;
  explicit TMaskLayout(const std::string& EditMask);

  bool Empty() const { return pos_.empty(); }
  int Length() const { return static_cast<int>(pos_.size()); }
  bool IsLiteral(int Pos) const;
  bool IsRequired(int Pos) const;
  char Literal(int Pos) const;
  bool SaveLiterals() const { return saveLiterals_; }
  char Blank() const { return blank_; }
  // Applies the position's case to C; false when C may not stand there.
  bool Fit(int Pos, char& C) const;
  // The same for one character of UTF-8 text (a single byte is taken as above).
  bool Fit(int Pos, std::string& Ch) const;
  // Literals in place, blanks elsewhere.
  std::string EmptyEditText() const;
  // The edit text for a value: with SaveLiterals the value is laid over the
  // whole mask, else its characters fill the input positions in order; a
  // character that does not fit leaves its position blank.
  std::string EditTextFrom(const std::string& Value) const;
  // The value of an edit text: blanks become spaces, literals are left out
  // unless SaveLiterals.
  std::string TextFrom(const std::string& EditText) const;
  // True when every required position is filled; else BadPos is the first empty one.
  bool Complete(const std::string& EditText, int& BadPos) const;
  // The first input position at or after Pos (Length() when none), and before Pos (-1 when none).
  int NextInput(int Pos) const;
  int PrevInput(int Pos) const;

 private:
  struct TPos {
    char Kind = 0;  // mask character, or 0 for a literal
    char Lit = 0;
    int Case = 0;   // 1 upper, 2 lower
  };
  std::vector<TPos> pos_;
  bool saveLiterals_ = true;
  char blank_ = '_';
};

class TCustomMaskEdit : public TCustomEdit {
 public:
  explicit TCustomMaskEdit(TComponent* AOwner);
  std::string ClassName() const override { return "TCustomMaskEdit"; }

  const std::string& EditMask() const { return mask_; }
  void SetEditMask(const std::string& v);
  bool IsMasked() const { return !layout_.Empty(); }
  // The text as shown, literals and blanks included.
  std::string EditText() const { return text_; }
  void SetEditText(const std::string& v);
  // The value: blanks as spaces and, unless the mask keeps them, without literals.
  std::string Text() const override;
  void SetText(const std::string& v) override;
  // Raises EDBEditError when a required position of a changed masked text is empty.
  virtual void ValidateEdit();
  // Puts back the text from when the control was entered (Escape).
  void Reset();
  const TMaskLayout& Layout() const { return layout_; }
  // The mask position of a byte offset in the text, and the byte offset of a position.
  int MaskPosAt(int ByteOffset) const;
  int ByteOffsetOf(int Pos) const;


 protected:
  void InsertText(const std::string& s) override;
  void DeleteBack() override;
  void DeleteForward() override;
  void DoEnter() override;
  void DoExit() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  // Blanks the input positions of the selection.
  void BlankSelection();

  std::string mask_;
  TMaskLayout layout_;
  std::string oldValue_;
};

class TMaskEdit : public TCustomMaskEdit {
 public:
  explicit TMaskEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {}
  std::string ClassName() const override { return "TMaskEdit"; }
};

// The value of Value formatted with a mask (the mask's literals put in place).
std::string FormatMaskText(const std::string& EditMask, const std::string& Value);

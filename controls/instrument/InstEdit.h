#pragma once
// The numeric entry field: lime digits on black that accept only digits, one
// decimal separator and a sign, checked against a range when left.

#include <functional>
#include <string>

#include "platform/gui/StdCtrls.h"

class TInstCustomEdit : public TCustomEdit {
 public:
  explicit TInstCustomEdit(TComponent* AOwner);
  std::string ClassName() const override { return "TInstCustomEdit"; }

  // Alignment (left, right or centred) comes with the edit.

  // A bordered edit's frame: sunken 3-D (True) or a flat line.
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool V);
  // Entered text keeps only what the OEM character set can hold.
  bool OEMConvert() const { return FOEMConvert; }
  void SetOEMConvert(bool V) { FOEMConvert = V; }

 protected:
  void PaintOver(TCanvas* Canvas) override;
  void InsertText(const std::string& s) override;

 private:
  bool FCtl3D = true;
  bool FOEMConvert = false;
};

using TaErrorEvent = std::function<void(TObject* Sender, bool& CanExit)>;

class TInstNumEdit : public TInstCustomEdit {
 public:
  explicit TInstNumEdit(TComponent* AOwner);
  std::string ClassName() const override { return "TInstNumEdit"; }

  double MinValue() const { return FMinValue; }
  void SetMinValue(double V);
  double MaxValue() const { return FMaxValue; }
  void SetMaxValue(double V);
  int Decimals() const { return FDecimals; }
  void SetDecimals(int V);
  // MinValue for an empty text; raises the conversion error for a bad one.
  double Value();
  void SetValue(double V);
  bool RestoreOnEsc() const { return FRestoreOnEsc; }
  void SetRestoreOnEsc(bool V) { FRestoreOnEsc = V; }

  TaErrorEvent OnError;

  // Reformats an in-range number; reports anything else through OnError.
  virtual void CheckValue();

  // The key filter (also driven by tests).
  void KeyPress(char& Key) override;

 protected:
  void Loaded() override;
  void DoEnter() override;
  void DoExit() override;

 private:
  double FMinValue = 0;
  double FMaxValue = 9999;
  int FDecimals = 0;
  bool FRestoreOnEsc = false;
  std::string FSavedText;
};

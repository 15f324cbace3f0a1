#pragma once
// Inspector edit links to outside editors: a custom row edited in a typed edit.

#include <string>

#include "controls/inspector/ExtEdit.h"
#include "controls/inspector/InspEditors.h"

class TAEInspectorEditLink : public TInspectorEditLink {
 public:
  explicit TAEInspectorEditLink(TComponent* AOwner) : TInspectorEditLink(AOwner) {}
  ~TAEInspectorEditLink() override;
  std::string ClassName() const override { return "TAEInspectorEditLink"; }

  TExtEditType EditType = etString;
  TEditAlign EditAlign = eaLeft;
  TColor EditColor = clWhite;
  TColor ModifiedColor = clRed;
  bool ShowModified = false;
  int Precision = 0;
  std::string Prefix, Suffix;

  TWinControl* GetEditor() override { return edit_; }
  void CreateEditor(TWinControl* AParent) override;
  void DestroyEditor() override;
  void SetProperties(const TRect& R, TInspectorItem* Item) override;
  void StartEdit(TInspectorItem* Item) override;
  void StopEdit(TInspectorItem* Item) override;
  void RestoreText() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TExtEdit* edit_ = nullptr;
  std::string startText_;
};

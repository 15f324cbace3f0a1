#pragma once
// A custom editor link over one text control (an edit or a memo), for the tests, the grid input
// fuzzer and the editors test form.
#include <string>

#include "controls/grid/ExtGridEditLink.h"

template <class TText>
class TTextEditLink : public TEditLink {
 public:
  using TEditLink::TEditLink;
  TWinControl* GetEditControl() override { return edit; }
  void CreateEditor(TWinControl* AParent) override {
    edit = new TText(AParent);
    edit->SetParent(AParent);
  }
  std::string GetEditorValue() override { return edit ? edit->Text() : std::string(); }
  void SetEditorValue(const std::string& Value) override {
    if (edit) edit->SetText(Value);
  }
  TText* edit = nullptr;
};

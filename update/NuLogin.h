// The server login dialog: user name and password for a server that asks.
#pragma once

#include <functional>
#include <string>

#include "platform/gui/Forms.h"

class TLabel;
class TEdit;
class TButton;
class TImage;

class TLoginForm : public TForm {
 public:
  explicit TLoginForm(TComponent* AOwner);
  std::string ClassName() const override { return "TLoginForm"; }

  TLabel* Label1 = nullptr;  // "&User name: "
  TLabel* Label2 = nullptr;  // "&Password:"
  TImage* Image1 = nullptr;
  TEdit* Edit1 = nullptr;    // user name
  TEdit* Edit2 = nullptr;    // password, shown as "*"
  TButton* Button1 = nullptr;  // "OK", default
  TButton* Button2 = nullptr;  // "Cancel"
};

namespace NuLogin {

// Shows the login dialog modally with `caption`; on OK only, true with the
// typed user name and password. The edits always start empty.
bool Login(const std::string& caption, std::string& user, std::string& password);

// Answers Login instead of the dialog (tests); an empty handler restores the dialog.
using TLoginHandler =
    std::function<bool(const std::string& caption, std::string& user, std::string& password)>;
void SetLoginHandler(TLoginHandler handler);

}  // namespace NuLogin

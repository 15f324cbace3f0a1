#include "update/NuLogin.h"

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/StdCtrls.h"

TLoginForm::TLoginForm(TComponent* AOwner) : TForm(AOwner) {}

namespace NuLogin {
namespace {
TLoginHandler& Handler() {
  static TLoginHandler handler;
  return handler;
}
}  // namespace

void SetLoginHandler(TLoginHandler handler) { Handler() = std::move(handler); }

bool Login(const std::string& caption, std::string& user, std::string& password) {
  if (Handler()) return Handler()(caption, user, password);
  return false;
}

}  // namespace NuLogin

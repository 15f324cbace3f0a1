#include "update/NuLogin.h"

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/StdCtrls.h"

TLoginForm::TLoginForm(TComponent* AOwner) : TForm(AOwner) {
  BeginLoading();
  SetName("LoginForm");
  SetBorderStyle(bsDialog);
  SetBorderIcons(biSystemMenu);
  SetPosition(poScreenCenter);
  SetClientSize(300, 120);

  Image1 = new TImage(this);
  Image1->SetName("Image1");
  Image1->SetParent(this);
  Image1->SetBounds(10, 10, 32, 32);

  Edit1 = new TEdit(this);
  Edit1->SetName("Edit1");
  Edit1->SetParent(this);
  Edit1->SetBounds(130, 12, 160, 21);
  Edit1->SetText("");

  Edit2 = new TEdit(this);
  Edit2->SetName("Edit2");
  Edit2->SetParent(this);
  Edit2->SetBounds(130, 44, 160, 21);
  Edit2->SetPasswordChar('*');
  Edit2->SetText("");

  Label1 = new TLabel(this);
  Label1->SetName("Label1");
  Label1->SetParent(this);
  Label1->SetBounds(52, 15, 76, 16);
  Label1->SetCaption("&User name: ");
  Label1->SetFocusControl(Edit1);

  Label2 = new TLabel(this);
  Label2->SetName("Label2");
  Label2->SetParent(this);
  Label2->SetBounds(52, 47, 76, 16);
  Label2->SetCaption("&Password:");
  Label2->SetFocusControl(Edit2);

  Button1 = new TButton(this);
  Button1->SetName("Button1");
  Button1->SetParent(this);
  Button1->SetBounds(130, 84, 75, 25);
  Button1->SetCaption("OK");
  Button1->SetDefault(true);
  Button1->SetModalResult(mrOk);

  Button2 = new TButton(this);
  Button2->SetName("Button2");
  Button2->SetParent(this);
  Button2->SetBounds(215, 84, 75, 25);
  Button2->SetCaption("Cancel");
  Button2->SetCancel(true);
  Button2->SetModalResult(mrCancel);

  SetActiveControl(Edit1);
  EndLoading();
}

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
  auto* form = new TLoginForm(Application);
  form->SetCaption(caption);
  const bool ok = form->ShowModal() == mrOk;
  if (ok) {
    user = form->Edit1->Text();
    password = form->Edit2->Text();
  }
  delete form;
  return ok;
}

}  // namespace NuLogin

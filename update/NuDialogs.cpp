// The engine's own what's-new and licence dialogs (the wizard shows the texts
// on its pages instead).
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "update/NUpdate.h"

namespace {

struct TTextDialog {
  std::unique_ptr<TForm> Form;
  TMemo* Memo = nullptr;
};

// A 400 x 400 dialog with a read-only, word-wrapping memo at 10,10.
TTextDialog MakeTextDialog(const std::string& caption, TStrings* text, int memoHeight) {
  TTextDialog d;
  d.Form = std::make_unique<TForm>(nullptr);
  d.Form->SetName("NetUpdateTextDialog");
  d.Form->SetBorderStyle(bsDialog);
  d.Form->SetPosition(poScreenCenter);
  d.Form->SetCaption(caption);
  d.Form->SetBounds(0, 0, 400, 400);
  d.Memo = new TMemo(d.Form.get());
  d.Memo->SetName("Memo");
  d.Memo->SetParent(d.Form.get());
  d.Memo->SetBounds(10, 10, d.Form->ClientWidth() - 20, memoHeight);
  d.Memo->SetReadOnly(true);
  d.Memo->SetWordWrap(true);
  d.Memo->SetScrollBars(ssBoth);
  if (text) d.Memo->Lines()->Assign(text);
  return d;
}

TButton* AddButton(TForm* form, const std::string& name, const std::string& caption, int left, int top,
                   TModalResult result) {
  auto* b = new TButton(form);
  b->SetName(name);
  b->SetParent(form);
  b->SetBounds(left, top, 90, 25);
  b->SetCaption(caption);
  b->SetModalResult(result);
  return b;
}

}  // namespace

int TNetUpdate::ShowWhatsNewDialog(TStrings* Text) {
  if (OnDownloadedWhatsNew) {
    int res = 1;
    OnDownloadedWhatsNew(this, Text, res);
    return res == 1 ? 0 : -1;
  }
  TTextDialog d = MakeTextDialog(ReadControl("whatsnew", "caption"), Text, 0);
  TForm* f = d.Form.get();
  const int buttonsTop = f->ClientHeight() - 35;
  d.Memo->SetHeight(buttonsTop - 20);
  TButton* ok = AddButton(f, "OkButton", ReadControl("whatsnew", "okbtn", "Ok"), f->ClientWidth() - 200, buttonsTop, mrOk);
  ok->SetDefault(true);
  TButton* cancel = AddButton(f, "CancelButton", ReadControl("whatsnew", "cancelbtn", "Cancel"),
                              f->ClientWidth() - 100, buttonsTop, mrCancel);
  cancel->SetCancel(true);
  if (f->ShowModal() == mrOk) return 0;
  DoStatus(938, "", 14, 0);
  return -1;
}

int TNetUpdate::ShowLicenseDialog(TStrings* Text) {
  if (OnDownloadedEULA) {
    int res = 1;
    OnDownloadedEULA(this, Text, res);
    return res == 1 ? 0 : -1;
  }
  TTextDialog d = MakeTextDialog(ReadControl("eula", "caption"), Text, 0);
  TForm* f = d.Form.get();
  const int buttonsTop = f->ClientHeight() - 35;
  d.Memo->SetHeight(buttonsTop - 70);
  auto radio = [&](const std::string& name, const std::string& caption, int top) {
    auto* r = new TRadioButton(f);
    r->SetName(name);
    r->SetParent(f);
    r->SetBounds(10, top, f->ClientWidth() - 20, 20);
    r->SetCaption(caption);
    return r;
  };
  TRadioButton* accept = radio("AcceptButton", ReadControl("eula", "accept", "I accept"), buttonsTop - 55);
  TRadioButton* refuse = radio("NotAcceptButton", ReadControl("eula", "notaccept", "I do not accept"), buttonsTop - 30);
  refuse->SetChecked(true);
  TButton* ok = AddButton(f, "OkButton", ReadControl("eula", "okbtn", "Ok"), f->ClientWidth() - 100, buttonsTop, mrOk);
  ok->SetDefault(true);
  f->ShowModal();
  return accept->Checked() ? 0 : -1;
}

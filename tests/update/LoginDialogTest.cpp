// The login dialog and the engine's own text dialogs, driven as a user would.
#include <functional>

#include "platform/gui/FormImage.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Timer.h"
#include "platform/gui/testing/GuiTest.h"
#include "tests/update/EngineTestSupport.h"
#include "update/NuLogin.h"

using namespace updatetest;

namespace {

// Runs `act` on the modal form once it is up.
class TModalDriver {
public:
  explicit TModalDriver(std::function<void(TCustomForm*)> act) : timer_(nullptr), act_(std::move(act)) {
    timer_.SetInterval(1);
    timer_.OnTimer = [this](TObject*) {
      if (Application->ModalForms().empty()) return;
      timer_.SetEnabled(false);
      ++runs;
      act_(Application->ModalForms().back());
    };
  }
  int runs = 0;

private:
  TTimer timer_;
  std::function<void(TCustomForm*)> act_;
};

template <class T>
T* Part(TCustomForm* form, const std::string& name) {
  auto* c = dynamic_cast<T*>(form->FindComponent(name));
  EXPECT_NE(c, nullptr) << name;
  return c;
}

}  // namespace

class LoginDialog : public TGuiTest {};

TEST_F(LoginDialog, FormHoldsItsLabelledEditsAndButtons) {
  auto* f = new TLoginForm(Application);
  f->SetCaption("Connect to update.example");
  EXPECT_EQ(f->BorderIcons(), static_cast<TBorderIcons>(biSystemMenu));
  EXPECT_EQ(f->Position(), poScreenCenter);
  EXPECT_EQ(f->Label1->Caption(), "&User name: ");
  EXPECT_EQ(f->Label1->FocusControl(), f->Edit1);
  EXPECT_EQ(f->Label2->Caption(), "&Password:");
  EXPECT_EQ(f->Label2->FocusControl(), f->Edit2);
  EXPECT_EQ(f->Edit2->PasswordChar(), '*');
  EXPECT_EQ(f->Button1->Caption(), "OK");
  EXPECT_TRUE(f->Button1->Default());
  EXPECT_EQ(f->Button1->ModalResult(), mrOk);
  EXPECT_EQ(f->Button2->Caption(), "Cancel");
  EXPECT_TRUE(f->Button2->Cancel());
  EXPECT_EQ(f->Button2->ModalResult(), mrCancel);
  f->Edit1->SetText("operator");
  f->Edit2->SetText("hidden");
  EXPECT_TRUE(SaveControlImage(f, TestImagePath("update-login.png")));
  delete f;
}

TEST_F(LoginDialog, LoginGivesTheTypedValuesOnOkOnly) {
  std::string user = "before", password = "before";
  {
    TModalDriver driver([](TCustomForm* form) {
      auto* f = dynamic_cast<TLoginForm*>(form);
      ASSERT_NE(f, nullptr);
      EXPECT_EQ(f->Caption(), "Connect to host.example");
      EXPECT_EQ(f->Edit1->Text(), "") << "the edits start empty";
      EXPECT_EQ(f->Edit2->Text(), "");
      EXPECT_EQ(f->ActiveControl(), f->Edit1);
      f->Edit1->SetText("me");
      f->Edit2->SetText("pa ss");
      f->Button1->Click();
    });
    EXPECT_TRUE(NuLogin::Login("Connect to host.example", user, password));
    EXPECT_EQ(driver.runs, 1);
  }
  EXPECT_EQ(user, "me");
  EXPECT_EQ(password, "pa ss");
  {
    TModalDriver driver([](TCustomForm* form) {
      auto* f = dynamic_cast<TLoginForm*>(form);
      ASSERT_NE(f, nullptr);
      EXPECT_EQ(f->Edit1->Text(), "") << "nothing typed before is shown again";
      f->Edit1->SetText("other");
      f->Button2->Click();
    });
    EXPECT_FALSE(NuLogin::Login("Connect to host.example", user, password));
  }
  EXPECT_EQ(user, "me");
  EXPECT_EQ(password, "pa ss");
}

class TextDialogs : public TGuiTest {
protected:
  TScratchDir scratch;
  TTestNetUpdate nu;
  TStringList text;
  void SetUp() override {
    nu.SetUpdateType(fileUpdate);
    nu.SetTempDirectory(scratch / "");
    text.Add("First line of the news");
    text.Add("Second line");
  }
  void TearDown() override {
    nu.StopConnection();
    TGuiTest::TearDown();
  }
  void Load(const std::string& control) {
    WriteBytes(scratch / "u.inf", control);
    nu.SetURL(scratch / "u.inf");
    ASSERT_EQ(nu.StartConnection(), 0);
    ASSERT_EQ(nu.ReadControlFile(), 0);
    nu.Reports.clear();
  }
};

TEST_F(TextDialogs, HandlersDecideInsteadOfTheDialogs) {
  int res = 1;
  TStrings* seen = nullptr;
  nu.OnDownloadedWhatsNew = [&](TObject*, TStrings* t, int& r) {
    seen = t;
    r = res;
  };
  nu.OnDownloadedEULA = nu.OnDownloadedWhatsNew;
  EXPECT_EQ(nu.ShowWhatsNewDialog(&text), 0);
  EXPECT_EQ(seen, &text);
  EXPECT_EQ(nu.ShowLicenseDialog(&text), 0);
  res = 2;
  EXPECT_EQ(nu.ShowWhatsNewDialog(&text), -1);
  EXPECT_EQ(nu.ShowLicenseDialog(&text), -1);
  EXPECT_TRUE(nu.Reports.empty());
}

TEST_F(TextDialogs, WhatsNewDialogShowsTheTextWithTheFilesButtons) {
  Load("[whatsnew]\ncaption=What is new\nokbtn=Fine\ncancelbtn=Not now\n");
  TModalDriver ok([&](TCustomForm* f) {
    EXPECT_EQ(f->Caption(), "What is new");
    EXPECT_EQ(f->Width(), 400);
    EXPECT_EQ(f->Height(), 400);
    auto* memo = Part<TMemo>(f, "Memo");
    EXPECT_EQ(memo->Left(), 10);
    EXPECT_EQ(memo->Top(), 10);
    EXPECT_TRUE(memo->ReadOnly());
    EXPECT_EQ(memo->Lines()->Count(), 2);
    EXPECT_EQ((*memo->Lines())[0], "First line of the news");
    EXPECT_EQ(Part<TButton>(f, "CancelButton")->Caption(), "Not now");
    EXPECT_TRUE(SaveControlImage(f, TestImagePath("update-whatsnew.png")));
    Part<TButton>(f, "OkButton")->Click();
  });
  EXPECT_EQ(nu.ShowWhatsNewDialog(&text), 0);
  EXPECT_EQ(ok.runs, 1);
  EXPECT_TRUE(nu.Reports.empty());
  TModalDriver cancel([&](TCustomForm* f) { Part<TButton>(f, "CancelButton")->Click(); });
  EXPECT_EQ(nu.ShowWhatsNewDialog(&text), -1);
  ASSERT_TRUE(nu.Saw(938));
  EXPECT_EQ(nu.Find(938)->Status, 14);
}

TEST_F(TextDialogs, LicenseMustBeAcceptedExplicitly) {
  Load("[eula]\ncaption=Licence\n");
  TModalDriver untouched([&](TCustomForm* f) {
    EXPECT_EQ(f->Caption(), "Licence");
    auto* accept = Part<TRadioButton>(f, "AcceptButton");
    auto* refuse = Part<TRadioButton>(f, "NotAcceptButton");
    EXPECT_EQ(accept->Caption(), "I accept");
    EXPECT_EQ(refuse->Caption(), "I do not accept");
    EXPECT_FALSE(accept->Checked());
    EXPECT_TRUE(refuse->Checked()) << "refusing is where it starts";
    EXPECT_EQ(Part<TButton>(f, "OkButton")->Caption(), "Ok");
    EXPECT_TRUE(SaveControlImage(f, TestImagePath("update-license.png")));
    Part<TButton>(f, "OkButton")->Click();
  });
  EXPECT_EQ(nu.ShowLicenseDialog(&text), -1);
  TModalDriver accepted([&](TCustomForm* f) {
    Part<TRadioButton>(f, "AcceptButton")->SetChecked(true);
    Part<TButton>(f, "OkButton")->Click();
  });
  EXPECT_EQ(nu.ShowLicenseDialog(&text), 0);
  TModalDriver closed([&](TCustomForm* f) {
    Part<TRadioButton>(f, "AcceptButton")->SetChecked(true);
    Part<TRadioButton>(f, "NotAcceptButton")->SetChecked(true);
    f->Close();
  });
  EXPECT_EQ(nu.ShowLicenseDialog(&text), -1);
}

#include "app/About.h"

#include "app/Main.h"
#include "app/bus/PortIO.h"
#include "controls/instrument/InstHyperCtrls.h"
#include "platform/rtl/Clock.h"

#ifndef VELMARON_VERSION
#define VELMARON_VERSION "0.0"
#endif

TAboutBox* AboutBox = nullptr;

namespace {

// The project's own addresses; nothing here points at any other vendor.
constexpr const char* OrdersURL = "https://velmaron.example.org/orders";
constexpr const char* EmailURL = "mailto:info@velmaron.example.org";
constexpr const char* SupportURL = "mailto:support@velmaron.example.org";
constexpr const char* UpdatesURL = "https://velmaron.example.org/downloads";
constexpr const char* ReleaseDate = "7 December 2026";

TLabel* MakeLabel(TAboutBox* Form, TWinControl* Parent, const std::string& Name, const std::string& Caption,
                  int X, int Y, int W, int H) {
  auto* l = new TLabel(Form);
  l->SetName(Name);
  l->SetParent(Parent);
  l->SetAutoSize(false);
  l->SetBounds(X, Y, W, H);
  l->SetCaption(Caption);
  return l;
}

TInstWebLabel* MakeLink(TAboutBox* Form, TWinControl* Parent, const std::string& Name, const std::string& Url,
                        const std::string& Caption, int X, int Y) {
  auto* w = new TInstWebLabel(Form);
  w->SetName(Name);
  w->SetParent(Parent);
  w->SetBounds(X, Y, 184, 16);
  w->SetColorLeave(clBtnFace);
  w->SetColorEnter(clBtnFace);
  w->SetAlignment(taLeftJustify);
  w->SetWordWrap(false);
  w->TextOutline()->SetVisible(false);  // plain underlined links: an outline smears small letters
  w->SetURL(Url);
  w->SetCaption(Caption);
  w->SetHint(Url);
  w->SetShowHint(true);
  for (TFont* f : {w->FontLeave(), w->FontEnter()}) {
    f->SetName("Tahoma");
    f->SetHeight(-11);
    f->SetStyle(f->Style() | fsUnderline);
  }
  w->FontLeave()->SetColor(clBlue);
  w->FontEnter()->SetColor(clGreen);
  // Plain underlined links: a dark outline around small letters smears them.
  w->TextOutline()->SetVisible(false);
  return w;
}

// Our own logo: a chip with two bus lines.
void DrawLogo(TCanvas* c, int W, int H) {
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(TRect(0, 0, W, H));
  c->Pen()->SetColor(clNavy);
  c->Brush()->SetColor(TColorOf(0x603010));
  c->Rectangle(8, 8, W - 8, H - 8);
  c->Pen()->SetColor(clSilver);
  for (int i = 0; i < 4; ++i) {
    const int x = 12 + i * (W - 24) / 4 + 2;
    c->MoveTo(x, 2);
    c->LineTo(x, 8);
    c->MoveTo(x, H - 8);
    c->LineTo(x, H - 2);
  }
  c->Pen()->SetColor(clLime);
  c->MoveTo(12, H / 2 - 5);
  c->LineTo(W - 12, H / 2 - 5);
  c->Pen()->SetColor(clYellow);
  c->MoveTo(12, H / 2 + 5);
  c->LineTo(W - 12, H / 2 + 5);
}

}  // namespace

std::string VelmaronVersionText() { return std::string("Version ") + VELMARON_VERSION + ", " + ReleaseDate; }

TAboutBox::TAboutBox(TComponent* AOwner) : TForm(AOwner) {
  BeginLoading();
  SetName("AboutBox");
  SetCaption("About Velmaron");
  SetBorderStyle(bsDialog);
  SetBorderIcons(0);
  SetPosition(poScreenCenter);
  SetHelpContext(110);
  SetClientSize(320, 271);

  Panel1 = new TPanel(this);
  Panel1->SetName("Panel1");
  Panel1->SetParent(this);
  Panel1->SetBounds(8, 8, 304, 222);
  Panel1->SetBevelInner(bvRaised);
  Panel1->SetBevelOuter(bvLowered);
  Panel1->SetCaption("");

  ProgramIcon = new TImage(this);
  ProgramIcon->SetName("ProgramIcon");
  ProgramIcon->SetParent(Panel1);
  ProgramIcon->SetBounds(10, 10, 56, 48);
  DrawLogo(ProgramIcon->Canvas(), 56, 48);

  ProductName = MakeLabel(this, Panel1, "ProductName", "Velmaron", 76, 8, 220, 40);
  ProductName->SetParentFont(false);
  ProductName->Font()->SetName("Tahoma");
  ProductName->Font()->SetHeight(-32);
  ProductName->Font()->SetStyle(fsBold);

  Version = MakeLabel(this, Panel1, "Version", VelmaronVersionText(), 78, 50, 218, 16);

  // What reaches the port, so a simulated run is never taken for hardware,
  // and what times the bus (the hint says why).
  const std::string access = frmMain && frmMain->PortDriver ? frmMain->PortDriver->PortAccess().Text
                                                            : std::string("No port access");
  lblPort = MakeLabel(this, Panel1, "lblPort", access + "; " + WaitCounterText(Clock().WaitCounter()), 10, 72, 286, 30);
  lblPort->SetHint("Bit timing: " + Clock().WaitCounter().Why);
  lblPort->SetShowHint(true);
  lblPort->SetWordWrap(true);
  lblPort->SetParentFont(false);
  lblPort->Font()->SetStyle(fsBold);
  if (frmMain && frmMain->PortDriver && frmMain->PortDriver->Simulated()) lblPort->Font()->SetColor(clMaroon);

  int y = 108;
  lblOrders = MakeLabel(this, Panel1, "lblOrders", "Orders: ", 10, y, 104, 16);
  webOrders = MakeLink(this, Panel1, "webOrders", OrdersURL, "Order online", 116, y);
  y += 18;
  lblEmail = MakeLabel(this, Panel1, "lblEmail", "Email:", 10, y, 104, 16);
  webEmail = MakeLink(this, Panel1, "webEmail", EmailURL, "Write to us", 116, y);
  y += 18;
  lblSupport = MakeLabel(this, Panel1, "lblSupport", "Technical support: ", 10, y, 104, 16);
  webSupport = MakeLink(this, Panel1, "webSupport", SupportURL, "Write to support", 116, y);
  y += 18;
  lblUpdates = MakeLabel(this, Panel1, "lblUpdates", "Product Updates:", 10, y, 104, 16);
  webUpdates = MakeLink(this, Panel1, "webUpdates", UpdatesURL, "Downloads", 116, y);
  y += 20;
  lblPhone = MakeLabel(this, Panel1, "lblPhone", "Telephone: +1 555 0100", 10, y, 286, 16);
  Comments = MakeLabel(this, Panel1, "Comments", "I\xC2\xB2" "C bus workbench for the parallel-port adapter", 10,
                       200, 286, 16);

  btnOK = new TBitBtn(this);
  btnOK->SetName("btnOK");
  btnOK->SetParent(this);
  btnOK->SetBounds(122, 238, 75, 25);
  btnOK->SetCaption("OK");
  btnOK->SetDefault(true);
  btnOK->SetModalResult(mrOk);
  btnOK->OnClick = [this](TObject* s) { btnOKClick(s); };
  EndLoading();
}

TAboutBox::~TAboutBox() {
  if (AboutBox == this) AboutBox = nullptr;
}

void TAboutBox::btnOKClick(TObject*) {
  Release();
  if (AboutBox == this) AboutBox = nullptr;
}

void TfrmMain::AboutItemClick(TObject*) {
  if (!AboutBox) Application->CreateForm(AboutBox);
  AboutBox->ShowModal();
}

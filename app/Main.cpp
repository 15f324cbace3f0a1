#include "app/Main.h"

#include <algorithm>

#include "app/bus/InstHPTimerFunc.h"
#include "app/bus/PortIO.h"
#include "devices/Univers.h"
#include "devices/Universal_III.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/Clock.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/SysUtils.h"
#include "update/NUpdate.h"
#include "update/NUpdateWiz.h"
#include "update/NuServer.h"

TfrmMain* frmMain = nullptr;

namespace {

constexpr int PanelStatus = 0, PanelHint = 1, PanelMode = 2, PanelClock = 3, PanelPort = 4;

// The status line. A text wider than the line (a long reason, a file's path) is its hint whole,
// so the pointer on it shows all of it; otherwise the hint is the line's own.
class TStatusLine : public TLabel {
 public:
  using TLabel::TLabel;
  void SetOwnHint(const std::string& Hint) {
    ownHint_ = Hint;
    FitHint();
  }

 protected:
  void CMTextChanged(TMessage& Message) override {
    TLabel::CMTextChanged(Message);
    FitHint();
  }
  void Resize() override {
    TLabel::Resize();
    FitHint();
  }

 private:
  void FitHint() {
    TCanvas* c = Canvas();
    c->Font()->Assign(Font());
    const std::string& text = Caption();
    const std::string hint = c->TextWidth(text) > ClientWidth() ? Trim(text) : ownHint_;
    SetHint(hint);
    SetShowHint(!hint.empty());
  }
  std::string ownHint_;
};
// The least width of each panel.
constexpr int PanelWidths[] = {240, 280, 50, 50, 50};
constexpr uint8_t ExitDataByte = 0x70;  // SDA released, bits 4 to 6 high, 0 to 3 low
constexpr int PinTrigger = 8;
constexpr int HelpDriverNotRunning = 590;
// Posted when the window shows: the warning asked for before runs now.
constexpr UINT WM_SHOWNWARNING = WM_USER + 1;
// Posted when the window shows, after the warning: the notices gathered before.
constexpr UINT WM_SHOWNOTICES = WM_USER + 2;

TMenuItem* Item(TComponent* Owner, const std::string& Name, const std::string& Caption,
                const std::string& Hint = std::string()) {
  auto* m = new TMenuItem(Owner);
  if (!Name.empty()) m->SetName(Name);
  m->SetCaption(Caption);
  m->SetHint(Hint);
  return m;
}

TMenuItem* Line(TComponent* Owner) { return Item(Owner, std::string(), "-"); }

// An item whose window comes with a later part of the program: shown, never a dead click.
TMenuItem* Later(TComponent* Owner, const std::string& Name, const std::string& Caption,
                 const std::string& Hint = std::string()) {
  TMenuItem* m = Item(Owner, Name, Caption, Hint);
  m->SetEnabled(false);
  return m;
}

void LookColours(TBusLook Look, TColor& Font, TColor& Back) {
  Font = clWhite;
  Back = clRed;
  switch (Look) {
    case blReady: Font = clWhite; Back = clGreen; break;
    case blFault: Font = clWhite; Back = clRed; break;
    case blSlow: Font = clBlack; Back = clYellow; break;
  }
}

}  // namespace

bool StatusLookOf(I2CStatus Code, bool AdapterPresent, TStatusLook& Look) {
  Look = TStatusLook();
  switch (Code) {
    case 0: Look.Text = "  Transmission successful"; Look.Font = clWhite; Look.Back = clGreen; Look.Warn = false; break;
    case 1: Look.Text = "  Address not acknowledged"; break;
    case 2: Look.Text = "  Data not acknowledged"; break;
    case 3: Look.Text = "  Read acknowledge corrupted"; break;
    case 4: Look.Text = "  SCL/SDA stuck low"; break;
    case 8: Look.Text = AdapterPresent ? " SDA stuck low" : " Velmaron hardware not detected!"; break;
    case 64: Look.Text = " Write and Verify Successful"; Look.Font = clWhite; Look.Back = clGreen; Look.Warn = false; break;
    case 65: Look.Text = " Verification Successful"; Look.Font = clWhite; Look.Back = clGreen; Look.Warn = false; break;
    case 112: Look.Text = " Device Driver File not found"; break;
    case 114: Look.Text = " Device Driver not running"; break;
    case 117: Look.Text = " System Registry Error"; break;
    case 128: Look.Text = AdapterPresent ? " SCL stuck low" : " Velmaron not detected!"; break;
    case 153: Look.Text = "  Verify Error"; break;
    case 254: Look.Text = " Adapter is not functioning"; break;
    case 255: Look.Text = " Velmaron hardware not detected!"; break;
    default: return false;
  }
  return true;
}

void Pause() {
  const uint32_t deadline = GetTickCount() + 200;
  do {
    if (Application) Application->ProcessMessages();
  } while (static_cast<int32_t>(GetTickCount() - deadline) < 0);
}

// ---------------------------------------------------------------- construction

TfrmMain::TfrmMain(TComponent* AOwner) : TForm(AOwner) {
  BeginLoading();
  SetName("frmMain");
  SetCaption("Velmaron");
  SetFormStyle(fsMDIForm);
  SetPosition(poScreenCenter);
  SetHelpContext(10);
  Font()->SetName("MS Sans Serif");
  SetBounds(0, 0, 794, 572);

  BuildMenu();
  BuildStatusBar();

  opnDialog = new TOpenDialog(this);
  opnDialog->SetName("opnDialog");
  opnDialog->SetOptions(ofHideReadOnly | ofFileMustExist | ofEnableSizing);
  SavMemory = new TSaveDialog(this);
  SavMemory->SetName("SavMemory");
  SavMemory->SetDefaultExt("mem");
  SavMemory->SetTitle("Save ");
  SavMemory->SetOptions(ofOverwritePrompt | ofHideReadOnly | ofEnableSizing);
  SavMemory->SetFilter("Mem files (*.mem)|*.mem|All files (*.*)|*.*");
  BuildUpdate();

  // The settings store tells of damage whenever it is first read, the time base included.
  TRegistry::OnStoreError = [this](const std::string& Text) { Notice(Text); };
  // The time base measures the processor clock while the window is loaded.
  CPUID1 = new TInstHPTimeBase(this);
  CPUID1->SetName("CPUID1");
  PortDriver = new TPortIO(this);
  PortDriver->SetName("PortDriver");
  PortDriver->SetHardAccess(false);
  bus_ = std::make_unique<TI2CBus>(*PortDriver, CPUID1->CPUSpeedMhz());
  ConnectBus();

  OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
  OnDestroy = [this](TObject* Sender) { FormDestroy(Sender); };
  EndLoading();
  MainHost = this;
}

TfrmMain::~TfrmMain() {
  *alive_ = false;
  // Whoever frees the window without its destruction handler still gets the
  // port left idle, the settings saved and the driver closed.
  FormDestroy(this);
  OnDestroy = nullptr;  // the base's destruction must not call back into this part
  TRegistry::OnStoreError = nullptr;
  if (frmMain == this) frmMain = nullptr;
  if (MainHost == this) MainHost = nullptr;
}

void TfrmMain::BuildMenu() {
  MainMenu = new TMainMenu(this);
  MainMenu->SetName("MainMenu");
  TMenuItem* root = MainMenu->Items();

  mnuFile = Item(this, "mnuFile", "&File", "File related commands");
  mnuFile->SetGroupIndex(0);
  Exit = Item(this, "Exit", "E&xit");
  Exit->OnClick = [this](TObject* s) { ExitClick(s); };
  mnuFile->Add(Exit);

  mnuDevice = Item(this, "mnuDevice", "&Device", "Choose device from this menu");
  mnuDevice->SetGroupIndex(1);
  mnuEEPROM = Item(this, "mnuEEPROM", "EEPROM");
  mnu16B = Later(this, "mnu16B", "16 x 8 (128 bit)");
  mnu1K = Later(this, "mnu1K", "128 x 8 (1K)");
  mnu2K = Later(this, "mnu2K", "256 x 8 (2K)");
  mnu4K = Later(this, "mnu4K", "512 x 8 (4K)");
  mnu8K = Later(this, "mnu8K", "1K x 8 (8K)");
  mnu16K = Later(this, "mnu16K", "2K x 8 (16K)");
  mnu4Kx8 = Later(this, "mnu4Kx8", "4K x 8 (32K)");
  mnu8Kx8 = Later(this, "mnu8Kx8", "8K x 8 (64K)");
  mnu16Kx8 = Later(this, "mnu16Kx8", "16K x 8 (128K)");
  mnu32Kx8 = Later(this, "mnu32Kx8", "32K x 8 (256K)");
  mnu64Kx8 = Later(this, "mnu64Kx8", "64K x 8 (512K)");
  mnuEEPROM->Add({mnu16B, mnu1K, mnu2K, mnu4K, mnu8K, mnu16K, mnu4Kx8, mnu8Kx8, mnu16Kx8, mnu32Kx8, mnu64Kx8});
  mnuUniversalModes = Item(this, "mnuUniversalModes", "Universal Modes");
  mnuExpert = Item(this, "mnuExpert", "Expert");
  mnuExpert->OnClick = [this](TObject* s) { mnuExpertClick(s); };
  mnuUniversal = Item(this, "mnuUniversal", "Universal Transmitter/Receiver");
  mnuUniversal->OnClick = [](TObject*) { ShowUniversalWindow(); };
  mnuCustom = Item(this, "mnuCustom", "User Definable Device");
  mnuCustom->OnClick = [this](TObject* s) { mnuCustomClick(s); };
  mnuUniversalModes->Add({mnuExpert, mnuUniversal, mnuCustom});
  mnuDevice->Add({mnuEEPROM, mnuUniversalModes});
  ConnectEEPROMItems();

  mnuOptions = Item(this, "mnuOptions", "Options", "Change port, I\xC2\xB2" "C speed");
  mnuOptions->SetGroupIndex(2);
  BitRate = Item(this, "BitRate", "I\xC2\xB2" "C Frequency");
  BitRate->OnClick = [this](TObject* s) { BitRateClick(s); };
  mnuCalibrate = Item(this, "mnuCalibrate", "Calibrate");
  mnuCalibrate->OnClick = [this](TObject* s) { mnuCalibrateClick(s); };
  LPT1 = Item(this, "LPT1", "LPT1");
  LPT1->SetChecked(true);
  LPT1->OnClick = [this](TObject* s) { LPT1Click(s); };
  LPT2 = Item(this, "LPT2", "LPT2");
  LPT2->OnClick = [this](TObject* s) { LPT2Click(s); };
  LPT3 = Item(this, "LPT3", "LPT3");
  LPT3->OnClick = [this](TObject* s) { LPT3Click(s); };
  mnuFastAccess = Item(this, "mnuFastAccess", "Normal Access");
  mnuFastAccess->OnClick = [this](TObject* s) { mnuFastAccessClick(s); };
  mnuNoAck = Item(this, "mnuNoAck", "Ignore Acknowledge");
  mnuNoAck->OnClick = [this](TObject* s) { mnuNoAckClick(s); };
  mnuUpdate = Later(this, "mnuUpdate", "Update Velmaron");
  mnuOptions->Add({BitRate, mnuCalibrate, Line(this), LPT1, LPT2, LPT3, Line(this), mnuFastAccess, Line(this),
                   mnuNoAck, Line(this), mnuUpdate});

  Window1 = Item(this, "Window1", "&Window", "Window related commands such as Tile and Cascade");
  Window1->SetGroupIndex(4);
  WindowCascadeItem = Item(this, "WindowCascadeItem", "&Cascade", "Arrange windows to overlap");
  WindowCascadeItem->OnClick = [this](TObject* s) { WindowCascadeItemClick(s); };
  WindowTileItem = Item(this, "WindowTileItem", "&Tile", "Arrange windows without overlap");
  WindowTileItem->OnClick = [this](TObject* s) { WindowTileItemClick(s); };
  WindowMinimizeItem = Item(this, "WindowMinimizeItem", "&Minimize All", "Minimize all windows");
  WindowMinimizeItem->OnClick = [this](TObject* s) { WindowMinimizeItemClick(s); };
  Window1->Add({WindowCascadeItem, WindowTileItem, WindowMinimizeItem});

  mnuAbout = Item(this, "mnuAbout", "About", "Help topics");
  mnuAbout->SetGroupIndex(5);
  AboutItem = Item(this, "AboutItem", "&About");
  AboutItem->OnClick = [this](TObject* s) { AboutItemClick(s); };
  mnuAbout->Add(AboutItem);

  root->Add({mnuFile, mnuDevice, mnuOptions, Window1, mnuAbout});
  SetMenu(MainMenu);
  SetWindowMenu(Window1);
  UpdateMenuItems(this);
}

void TfrmMain::BuildStatusBar() {
  pnlStatusBar = new THTMLStatusBar(this);
  pnlStatusBar->SetName("pnlStatusBar");
  pnlStatusBar->SetParent(this);
  pnlStatusBar->SetShowHint(true);
  for (int w : PanelWidths) pnlStatusBar->Panels()->Add()->SetWidth(w);
  pnlStatusBar->Panels()->Items(PanelStatus)->SetStyle(psOwnerDraw);
  pnlStatusBar->Panels()->Items(PanelMode)->SetStyle(psOwnerDraw);

  pnlStatus = new TStatusLine(this);
  pnlStatus->SetName("pnlStatus");
  pnlStatus->SetParent(pnlStatusBar);
  pnlStatus->SetAutoSize(false);
  pnlStatus->SetTransparent(false);
  pnlStatus->SetLayout(tlCenter);
  pnlStatus->SetShowAccelChar(false);
  pnlStatus->SetParentFont(false);
  pnlStatus->Font()->SetName("Tahoma");
  pnlStatus->Font()->SetHeight(-11);
  pnlStatus->Font()->SetColor(clWhite);
  pnlStatus->SetColor(clGreen);
  pnlStatus->SetCaption("");

  lblMode = new TLabel(this);
  lblMode->SetName("lblMode");
  lblMode->SetParent(pnlStatusBar);
  lblMode->SetAutoSize(false);
  lblMode->SetTransparent(false);
  lblMode->SetAlignment(taCenter);
  lblMode->SetLayout(tlCenter);
  lblMode->SetColor(clBtnFace);
  lblMode->SetCaption("");
  lblMode->OnDblClick = [this](TObject* s) { mnuFastAccessClick(s); };
  pnlStatusBar->OnResize = [this](TObject*) { FitPanels(); };
  FitPanels();
}

void TfrmMain::FitPanels() {
  THTMLStatusPanels* panels = pnlStatusBar->Panels();
  // The clock and port panels widen to show their whole texts ("at most" with
  // a clock of three digits, the simulation's "Sim LPT1").
  TCanvas* canvas = pnlStatusBar->Canvas();
  canvas->Font()->Assign(pnlStatusBar->Font());
  for (int i : {PanelClock, PanelPort}) {
    THTMLStatusPanel* p = panels->Items(i);
    // The gap before the part, its bevel, the markup's offset and the renderer's
    // own pixel before the text, a blank after it.
    const int inside = 2 + 2 * 1 + p->HTMLOffsetX() + 1 + 2;
    p->SetWidth(std::max(PanelWidths[i], canvas->TextWidth(p->Text()) + inside));
  }
  // The status line and the hint panel keep their own widths; the last panel has the rest of
  // the bar. A frame too narrow for them all takes the room from the hint panel first, then
  // from the status line: the mode, clock and port panels stay whole. A status text wider
  // than the line is its hint whole (TStatusLine).
  constexpr int least = 40;
  THTMLStatusPanel* status = panels->Items(PanelStatus);
  THTMLStatusPanel* hint = panels->Items(PanelHint);
  status->SetWidth(least);
  hint->SetWidth(least);
  // Measured from the least widths, so the last part (which never ends left of where it
  // begins) is not cut short.
  int room = std::max(0, pnlStatusBar->PanelRect(PanelPort).Right - pnlStatusBar->PanelRect(PanelClock).Right -
                             panels->Items(PanelPort)->Width());
  const int toStatus = std::min(room, PanelWidths[PanelStatus] - least);
  room -= toStatus;
  const int toHint = std::min(room, PanelWidths[PanelHint] - least);
  room -= toHint;
  hint->SetWidth(least + toHint);
  status->SetWidth(least + toStatus);
  PlaceLabels();
}

void TfrmMain::PlaceLabels() {
  // The labels lie inside the bevels of their owner-drawn panels.
  TRect r = pnlStatusBar->PanelRect(PanelStatus);
  InflateRect(r, -1, -1);
  pnlStatus->SetBoundsRect(r);
  r = pnlStatusBar->PanelRect(PanelMode);
  InflateRect(r, -1, -1);
  lblMode->SetBoundsRect(r);
}

void TfrmMain::ConnectBus() {
  bus_->OnStatusLine = [this](const std::string& Text, TBusLook Look) {
    TColor font, back;
    LookColours(Look, font, back);
    SetStatus(Text, font, back);
  };
  bus_->OnClockPanel = [this](const std::string& Text) {
    pnlStatusBar->Panels()->Items(PanelClock)->SetText(Text);
    FitPanels();
  };
  bus_->OnPortPanel = [this](const std::string& Text) {
    // The simulation is never taken for a port: the panel says so with the port.
    const std::string shown = !PortDriver->Simulated() ? Text : Text.empty() ? "Sim" : "Sim " + Text;
    pnlStatusBar->Panels()->Items(PanelPort)->SetText(shown);
    FitPanels();
  };
  bus_->OnModeLabel = [this](const std::string& Text, TBusLook Look) {
    TColor font, back;
    LookColours(Look, font, back);
    lblMode->SetCaption(Text);
    lblMode->Font()->SetColor(font);
    lblMode->SetColor(back);
  };
  bus_->OnFastAccessChecked = [this](bool Checked) { mnuFastAccess->SetChecked(Checked); };
  bus_->OnPortChecked = [this](int Port) {
    LPT1->SetChecked(Port == 1);
    LPT2->SetChecked(Port == 2);
    LPT3->SetChecked(Port == 3);
  };
}

void TfrmMain::SetStatus(const std::string& Text, TColor FontColor, TColor Back) {
  pnlStatus->SetCaption(Text);
  pnlStatus->Font()->SetColor(FontColor);
  pnlStatus->SetColor(Back);
}

// ---------------------------------------------------------------- start and stop

void TfrmMain::FormCreate(TObject*) {
  if (Application) Application->OnHint = [this](TObject* s) { ShowHint(s); };
  if (Screen) Screen->OnActiveFormChange = [this](TObject* s) { UpdateMenuItems(s); };

  bus_->DelayCount = 10;
  bus_->SetCPUSpeedMhz(CPUID1->CPUSpeedMhz());

  PortDriver->OpenDriver("PortIODevice1");
  ShowPortAccess();
  // Said once, at start, as a damaged settings store is: what the run goes on with.
  if (!PortDriver->ConfigNotes().empty())
    Notice("The port settings file has entries Velmaron could not take, so their defaults are used: " +
           PortDriver->ConfigNotes() + ".");

  if (!PortDriver->ActiveHW()) {
    // Without the driver the hardware is left alone for the whole run.
    mnuOptions->SetEnabled(false);
    if (Application && !Application->HelpFile().empty()) Application->HelpContext(HelpDriverNotRunning);
    SetStatus(pnlStatus->Caption(), clWhite, clRed);
    ErrorMessage(114);
    const std::string why = PortDriver->LastSystemError(), advice = PortDriver->Advice();
    Notice("Velmaron cannot use the parallel port" + (why.empty() ? std::string(".") : ": " + why + ".") +
           (advice.empty() ? std::string() : "\n\n" + advice) +
           "\n\nUntil Velmaron is started again it leaves the port alone: the Options menu is off and every "
           "bus operation reports that the hardware was not found.");
    return;
  }

  const uint8_t* table = PortDriver->MapPhysToLinear(0x408, 6);
  TMenuItem* items[3] = {LPT1, LPT2, LPT3};
  for (int n = 0; n < 3; ++n) {
    const uint16_t base = table ? static_cast<uint16_t>(table[2 * n] | (table[2 * n + 1] << 8)) : 0;
    bus_->LPTAddresses[static_cast<size_t>(n)] = base;
    items[n]->SetCaption("LPT" + IntToStr(n + 1) + ": " + IntToHex(base, 4) + "H");
    items[n]->SetEnabled(base != 0);
  }

  LPTCheck();
  GetRegistryData();
  if (bus_->PortAddress != 0) PortDriver->SetPin(PinTrigger, false);
  if (Application) opnDialog->SetInitialDir(ExtractFilePath(Application->ExeName()));
  // A simulation ready for work says so in place of the ready text; a fault stands.
  if (PortDriver->Simulated() && bus_->HardwareReady && pnlStatus->Color() == clGreen)
    SetStatus("  Simulated adapter: " + PortDriver->SimulatedReason(), clBlack, clYellow);
}

void TfrmMain::ShowPortAccess() {
  const TPortAccess access = PortDriver->PortAccess();
  std::string hint = access.Text;
  const std::string notes = PortDriver->LastSystemError();
  if (access.Kind != pakNone && !notes.empty()) hint += " (" + notes + ")";
  pnlStatusBar->Panels()->Items(PanelPort)->SetHint(hint);
  SetCaption(access.Kind == pakSimulated ? "Velmaron (simulated adapter)" : "Velmaron");
  // The status line is narrower than the whole sentence; its hint keeps it for the run.
  static_cast<TStatusLine*>(pnlStatus)->SetOwnHint(access.Kind == pakSimulated ? access.Text : std::string());
  pnlStatusBar->Panels()->Items(PanelPort)->SetText(access.Kind == pakSimulated ? "Sim" : "");
  FitPanels();
}

void TfrmMain::LPTCheck() { bus_->LPTCheck(); }

void TfrmMain::GetRegistryData() {
  bool haveMode = false, slow = true, haveClock = false, haveSplash = false, splash = true;
  int clock = 50;
  try {
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    // Read only: the key is made when the settings are saved, so a start never
    // writes (nor fails to write) the store.
    if (reg.OpenKeyReadOnly(SettingsKey)) {
      // A value of the wrong type counts as missing: the default stands.
      auto read = [&](const char* name, auto reader) {
        try {
          if (reg.ValueExists(name)) {
            reader(name);
            return true;
          }
        } catch (const Exception&) {
        }
        return false;
      };
      haveMode = read("Mode", [&](const char* n) { slow = reg.ReadBool(n); });
      haveClock = read("Clock", [&](const char* n) { clock = reg.ReadInteger(n); });
      haveSplash = read("ShowSplash", [&](const char* n) { splash = reg.ReadBool(n); });
      reg.CloseKey();
    }
  } catch (const Exception&) {
    // An unreadable store leaves the defaults in force.
  }
  settingsRead_ = true;

  // Without a stored mode the label still tells the mode the driver opened in.
  bus_->RestoreAccessMode(haveMode ? slow : true);
  bus_->Clock = haveClock ? clock : 50;
  ShowSplash = haveSplash ? splash : true;
  if (PortDriver->ActiveHW()) bus_->CalibrateAtStart();
}

void TfrmMain::FormDestroy(TObject*) {
  if (destroyed_) return;
  destroyed_ = true;
  if (PortDriver && PortDriver->ActiveHW() && bus_->PortAddress != 0)
    PortDriver->SetPortByte(bus_->PortAddress, ExitDataByte);
  // A run that never read the settings (no driver) keeps the stored ones.
  if (settingsRead_) {
    // Notices of the start that never showed have no window left to belong to.
    notices_.clear();
    try {
      TRegistry reg;
      reg.SetRootKey(HKEY_CURRENT_USER);
      if (reg.OpenKey(SettingsKey, true)) {
        reg.WriteBool("Mode", PortDriver->HardAccess());
        reg.WriteInteger("Clock", bus_->Clock);
        reg.WriteBool("ShowSplash", ShowSplash);
        reg.CloseKey();  // saves; a failure comes back as a notice
      }
    } catch (const Exception& E) {
      Notice("The settings could not be saved: " + E.Message());
    }
    ShowNotices();
  }
  if (PortDriver) PortDriver->CloseDriver();
  if (Screen) Screen->OnActiveFormChange = nullptr;
  if (Application) Application->OnHint = nullptr;
}

// ---------------------------------------------------------------- notices

void TfrmMain::Notice(const std::string& Text) {
  notices_.push_back(Text);
  if (notices_.size() == 1 && Visible()) PostNotices();
}

void TfrmMain::PostNotices() {
  if (HandleAllocated()) PostMessage(Handle(), WM_SHOWNOTICES, 0, 0);
}

void TfrmMain::ShowNotices() {
  // Taken first: a box's own message loop may bring new notices.
  std::vector<std::string> shown;
  shown.swap(notices_);
  for (const std::string& text : shown) MessageDlg(text, mtWarning, mbOK, 0);
}

// ---------------------------------------------------------------- bus routines

namespace {
// Shown to the window whose operation a holding run refused.
const char* const BusHeldText = "  Bus busy: another window's run is using it";
}  // namespace

bool TfrmMain::BusRefused() {
  if (busHolds_ == 0) return false;
  StatusFault(BusHeldText);
  return true;
}

void TfrmMain::HoldBus(bool Held) { busHolds_ = Held ? busHolds_ + 1 : std::max(0, busHolds_ - 1); }

// The routines' own refusal, behind the windows' check: nothing reaches the port.
bool TfrmMain::Refuse() { return BusRefused(); }

I2CStatus TfrmMain::I2CStart() { return Refuse() ? I2CRefused : bus_->I2CStart(); }

I2CStatus TfrmMain::I2CStop() { return Refuse() ? I2CRefused : bus_->I2CStop(); }

uint8_t TfrmMain::I2CWrite(uint8_t Data) { return Refuse() ? 128 : bus_->I2CWrite(Data); }

uint8_t TfrmMain::I2CRead(uint8_t Last, uint8_t& Ack) {
  if (Refuse()) {
    Ack = 128;
    return 0xFF;
  }
  return bus_->I2CRead(Last, Ack);
}

void TfrmMain::uSeconds(int32_t Count) { bus_->uSeconds(Count); }

void TfrmMain::Trigger(bool Value) {
  if (!Refuse()) bus_->Trigger(Value);
}

void TfrmMain::PulseLow() {
  if (!Refuse()) bus_->PulseLow();
}

void TfrmMain::PulseHigh() {
  if (!Refuse()) bus_->PulseHigh();
}

bool TfrmMain::InputState() { return bus_->InputState(); }

bool TfrmMain::I2CDetect() { return bus_->I2CDetect(); }

// ---------------------------------------------------------------- status line

void TfrmMain::ErrorMessage(I2CStatus Code) {
  if (flashing_) {
    // Shown once the running flash has ended: drawn now, the flash's next
    // colours would go over it, and a success would end white on red.
    pending_ = true;
    pendingCode_ = Code;
    return;
  }
  if (Code == 0) {
    if (mnuNoAck->Checked())
      SetStatus("  Message sent - Acknowledge ignored", clBlack, clYellow);
    else if (pnlStatus->Color() != clGreen)
      SetStatus("  Transmission successful", clWhite, clGreen);
    else
      SetStatus("  Transmission successful", clGreen, clWhite);
    return;
  }
  bool present = true;
  if (Code == 8 || Code == 128) present = bus_->I2CDetect();
  TStatusLook look;
  if (!StatusLookOf(Code, present, look)) return;
  if (!look.Warn) {
    SetStatus(look.Text, look.Font, look.Back);
    return;
  }
  pnlStatus->SetCaption(look.Text);
  Warning();
}

void TfrmMain::Warning() {
  if (flashing_) return;  // the running flash ends red anyway
  if (!Visible()) {
    // Nobody would see the flash: the line stands red and flashes once the window shows.
    warningWaits_ = true;
    pnlStatus->SetColor(clRed);
    pnlStatus->Font()->SetColor(clWhite);
    return;
  }
  MessageBeep(0);
  std::shared_ptr<bool> alive = alive_;
  flashing_ = true;
  for (int i = 0; i < 2; ++i) {
    pnlStatus->SetColor(clRed);
    pnlStatus->Font()->SetColor(clWhite);
    Pause();
    if (!*alive) return;
    pnlStatus->SetColor(clBtnFace);
    pnlStatus->Font()->SetColor(clBlack);
    Pause();
    if (!*alive) return;
  }
  pnlStatus->SetColor(clRed);
  pnlStatus->Font()->SetColor(clWhite);
  flashing_ = false;
  if (!notices_.empty()) PostNotices();
  if (pending_) {
    pending_ = false;
    ErrorMessage(pendingCode_);
  }
}

void TfrmMain::ResetWarning() { SetStatus("", clBlack, clBtnFace); }

void TfrmMain::SetStatusText(const std::string& Text) { pnlStatus->SetCaption(Text); }

void TfrmMain::StatusProgress(const std::string& Text) {
  pnlStatus->SetColor(clYellow);
  pnlStatus->Font()->SetColor(clBlack);
  pnlStatus->SetCaption(Text);
  pnlStatus->Repaint();
}

void TfrmMain::StatusFault(const std::string& Text) {
  pnlStatus->SetCaption(Text);
  pnlStatus->SetColor(clRed);
  pnlStatus->Font()->SetColor(clWhite);
}

void TfrmMain::InvalidateStatusBar() { pnlStatusBar->Invalidate(); }

void TfrmMain::DoShow() {
  TForm::DoShow();
  // Posted: the flash starts after the window has come up on the screen.
  if (warningWaits_) PostMessage(Handle(), WM_SHOWNWARNING, 0, 0);
  if (!notices_.empty()) PostNotices();
}

void TfrmMain::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_SHOWNWARNING) {
    if (warningWaits_ && Visible()) {
      warningWaits_ = false;
      Warning();
    }
    return;
  }
  if (Message.Msg == WM_SHOWNOTICES) {
    // Not over a running flash: its end posts them again.
    if (Visible() && !flashing_) ShowNotices();
    return;
  }
  TForm::Dispatch(Message);
}

// ---------------------------------------------------------------- commands

void TfrmMain::ShowHint(TObject*) {
  if (!Application) return;
  // Hints are plain text; the panel reads markup, where "<R>" would be taken for a tag.
  std::string text;
  for (char c : Application->Hint()) text += c == '<' ? std::string("&lt;") : std::string(1, c);
  pnlStatusBar->Panels()->Items(PanelHint)->SetText(text);
}

void TfrmMain::UpdateMenuItems(TObject*) {
  const bool children = MDIChildCount() > 0;
  WindowCascadeItem->SetEnabled(children);
  WindowTileItem->SetEnabled(children);
  WindowMinimizeItem->SetEnabled(children);
}

void TfrmMain::ExitClick(TObject*) {
  if (Application) Application->Terminate();
}

// The port commands drive the port too: none of them runs inside a run that holds the bus.
void TfrmMain::LPT1Click(TObject*) {
  if (!Refuse()) bus_->SelectPort(1);
}
void TfrmMain::LPT2Click(TObject*) {
  if (!Refuse()) bus_->SelectPort(2);
}
void TfrmMain::LPT3Click(TObject*) {
  if (!Refuse()) bus_->SelectPort(3);
}

void TfrmMain::mnuFastAccessClick(TObject*) {
  if (!PortDriver->ActiveHW() || Refuse()) return;
  bus_->ToggleAccessMode();
}

void TfrmMain::mnuCalibrateClick(TObject*) {
  if (!Refuse()) bus_->CalibrateCommand();
}

void TfrmMain::mnuNoAckClick(TObject*) {
  mnuNoAck->SetChecked(!mnuNoAck->Checked());
  bus_->IgnoreAcknowledge = mnuNoAck->Checked();
}

void TfrmMain::mnuExpertClick(TObject*) { ShowExpertWindow(); }

void TfrmMain::WindowCascadeItemClick(TObject*) { Cascade(); }

void TfrmMain::WindowTileItemClick(TObject*) { Tile(); }

void TfrmMain::WindowMinimizeItemClick(TObject*) {
  // The list is taken first: each minimised child changes the stacking order the index follows.
  std::vector<TCustomForm*> children;
  for (int i = MDIChildCount() - 1; i >= 0; --i) children.push_back(MDIChildren(i));
  for (TCustomForm* child : children) child->SetWindowState(wsMinimized);
}

// ---------------------------------------------------------------- web update

void TfrmMain::BuildUpdate() {
  NetUpdate = new TNetUpdate(this);
  NetUpdate->SetName("NetUpdate");
  NetUpdateWizard = new TNetUpdateWizard(this);
  NetUpdateWizard->SetName("NetUpdateWizard");
  NuServer::ConfigureProgram(*NetUpdate, *NetUpdateWizard);
  mnuUpdate->OnClick = [this](TObject* s) { mnuUpdateClick(s); };
  mnuUpdate->SetEnabled(true);
}

void TfrmMain::mnuUpdateClick(TObject*) {
  std::string address;
  {
    TRegistry reg;
    if (reg.OpenKeyReadOnly(SettingsKey) && reg.GetDataType(UpdateURLValue) == rdString)
      address = Trim(reg.ReadString(UpdateURLValue));
  }
  if (address.empty()) {
    MessageDlg(std::string("No update server is configured. The address of the update control file goes into "
                           "the settings value \"") + UpdateURLValue + "\" (see the README).",
               mtInformation, mbOK, 0);
    return;
  }
  std::string problem;
  if (!NuServer::Apply(*NetUpdate, address, problem)) {
    MessageDlg(problem, mtError, mbOK, 0);
    return;
  }
  NetUpdateWizard->Execute();
}

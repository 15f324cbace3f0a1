#include "devices/Univers.h"

#include <cctype>

#include "app/bus/ByteText.h"
#include "app/bus/MainHost.h"
#include "devices/UniversFile.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Windows.h"
#include "platform/rtl/SysUtils.h"

TfrmUniversal* frmUniversal = nullptr;

namespace {

constexpr int GroupLeft = 8, GroupTop = 4, GroupWidth = 600, GroupHeight = 46, GroupGap = 4;
constexpr int BoxTop = 17, BoxHeight = 21, CellLeft = 78, CellStep = 22, CellWidth = 21;

const char* const DataHint = "Enter two digit hex number, or press 'INS','DEL',or 'S' key";
const char* const FileFilter = "Mem files (*.mem)|*.mem|All files (*.*)|*.*";
const char* const InvalidSequence = "  Invalid sequence...transmission aborted";

bool IsMark(const std::string& t) { return t == "P" || t == "S " || t == "W " || t == "R "; }

// The cell box with Tag whose next cell in Msg is a direction: the restart's address.
bool IsRestartAddress(const std::string& Msg, int Tag) {
  const size_t next = static_cast<size_t>(Tag) * 2 + 2;
  return next < Msg.size() && (Msg[next] == 'W' || Msg[next] == 'R');
}

TMenuItem* Item(TComponent* Owner, const std::string& Name, const std::string& Caption,
                std::function<void(TObject*)> Click) {
  auto* m = new TMenuItem(Owner);
  if (!Name.empty()) m->SetName(Name);
  m->SetCaption(Caption);
  if (Click) m->OnClick = std::move(Click);
  return m;
}

}  // namespace

TfrmUniversal::TfrmUniversal(TComponent* AOwner) : TForm(AOwner) {
  SetName("frmUniversal");
  SetFormStyle(fsMDIChild);
  SetCaption("Universal I\xC2\xB2" "C Control");
  SetKeyPreview(true);
  SetShowHint(true);
  BuildLayout();
  BuildMenu();
  OnCreate = [this](TObject* s) { FormCreate(s); };
  OnActivate = [this](TObject* s) { FormActivate(s); };
  OnDestroy = [this](TObject* s) { FormDestroy(s); };
  OnCloseQuery = [this](TObject* s, bool& c) { FormCloseQuery(s, c); };
  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
  OnKeyPress = [this](TObject* s, char& k) { FormKeyPress(s, k); };
}

TfrmUniversal::~TfrmUniversal() {
  if (frmUniversal == this) frmUniversal = nullptr;
}

TEdit* TfrmUniversal::Box(TWinControl* Parent, const std::string& Name, int Left, int Width,
                          const std::string& Text) {
  auto* e = new TEdit(this);
  e->SetName(Name);
  e->SetParent(Parent);
  e->SetBounds(Left, BoxTop, Width, BoxHeight);
  e->SetCharCase(ecUpperCase);
  e->SetMaxLength(2);
  e->SetText(Text);
  return e;
}

void TfrmUniversal::BuildLayout() {
  SetClientSize(GroupLeft * 2 + GroupWidth, 5 * (GroupHeight + GroupGap) + GroupTop + 86);
  for (int n = 1; n <= Univers::MessageCount; ++n) {
    TGroup& g = Group(n);
    const std::string d = std::to_string(n);
    g.grbData = new TGroupBox(this);
    g.grbData->SetName("grbData" + d);
    g.grbData->SetParent(this);
    g.grbData->SetBounds(GroupLeft, GroupTop + (n - 1) * (GroupHeight + GroupGap), GroupWidth, GroupHeight);
    g.grbData->SetCaption("Message &" + d);
    g.grbData->SetHint(DataHint);
    g.grbData->OnEnter = [this, n](TObject*) { grbDataEnter(n); };

    g.edtStart = Box(g.grbData, n == 1 ? "Edit14" : "edtStart" + d, 8, 18, "S ");
    g.edtStart->SetReadOnly(true);
    g.edtStart->Font()->SetColor(clRed);
    g.edtStart->SetTabStop(false);
    g.edtStart->SetHint("The Start condition is read only");

    g.edtAdrs = Box(g.grbData, "edtAdrs" + d, 28, 24, "A0");
    g.edtAdrs->SetHint("I\xC2\xB2" "C address is a two digit hex number");
    g.edtAdrs->OnChange = [this](TObject* s) { edtAdrsChange(s); };
    g.edtAdrs->OnExit = [this](TObject* s) { edtAdrsExit(s); };
    lastAddress_[n - 1] = "A0";

    g.edtRW = Box(g.grbData, "edtRW" + d, 54, 18, "W ");
    g.edtRW->SetMaxLength(1);
    g.edtRW->Font()->SetColor(clRed);
    g.edtRW->SetHint("Read/write bit.  Press <R> or <W> key to change.");
    g.edtRW->OnExit = [this](TObject* s) { edtRWExit(s); };
    g.edtRW->OnKeyDown = [this](TObject* s, WORD& k, TShiftState sh) { edtRWKeyDown(s, k, sh); };

    for (int k = 0; k < Univers::CellBoxes; ++k) {
      const bool stop = k == Univers::CellBoxes - 1;
      std::string text = stop ? "P" : std::string{char('0' + k / 10), char('0' + k % 10)};
      TEdit* e = Box(g.grbData, "edt" + d + std::to_string(k + 1), CellLeft + k * CellStep, CellWidth, text);
      e->SetTag(k);
      if (stop) {
        e->SetReadOnly(true);
        e->Font()->SetColor(clRed);
        e->SetTabStop(false);
        e->SetHint("Stop condition.  This is a read-only box.");
      } else {
        e->OnChange = [this](TObject* s) { edtChange(s); };
        e->OnExit = [this](TObject* s) { edtExit(s); };
        e->OnKeyDown = [this](TObject* s, WORD& key, TShiftState sh) { edtKeyDown(s, key, sh); };
      }
      g.Cells[static_cast<size_t>(k)] = e;
    }
  }

  const int lower = GroupTop + 5 * (GroupHeight + GroupGap) + 2;
  grbSend = new TGroupBox(this);
  grbSend->SetName("grbSend");
  grbSend->SetParent(this);
  grbSend->SetBounds(GroupLeft, lower, 140, 78);
  grbSend->SetCaption("Send Message 1");
  btnSend = new TButton(this);
  btnSend->SetName("btnSend");
  btnSend->SetParent(grbSend);
  btnSend->SetBounds(20, 28, 100, 30);
  btnSend->SetCaption("Sen&d");
  btnSend->SetHint("Transmit active dataset");
  btnSend->OnClick = [this](TObject* s) { btnSendClick(s); };

  grbSequencer = new TGroupBox(this);
  grbSequencer->SetName("grbSequencer");
  grbSequencer->SetParent(this);
  grbSequencer->SetBounds(GroupLeft + 150, lower, GroupWidth - 150, 78);
  grbSequencer->SetCaption("Sequencer");
  auto button = [this](const std::string& name, const std::string& caption, int left) {
    auto* b = new TInstDemoButton(this);
    b->SetName(name);
    b->SetParent(grbSequencer);
    b->SetBounds(left, 20, 70, 28);
    b->SetCaption(caption);
    return b;
  };
  btnSingle = button("btnSingle", "Single", 10);
  btnSingle->OnClick = [this](TObject* s) { btnSingleClick(s); };
  btnRepeat = button("btnRepeat", "Repeat", 86);
  btnRepeat->OnClick = [this](TObject* s) { btnRepeatClick(s); };
  btnStop = button("btnStop", "Stop", 162);
  btnStop->OnClick = [this](TObject* s) { btnStopClick(s); };
  gauge = new TGauge(this);
  gauge->SetName("gauge");
  gauge->SetParent(grbSequencer);
  gauge->SetBounds(10, 54, 222, 14);
  gauge->SetForeColor(clBlue);
  gauge->SetShowText(false);
  gauge->SetVisible(false);

  edtSequence = new TEdit(this);
  edtSequence->SetName("edtSequence");
  edtSequence->SetParent(grbSequencer);
  edtSequence->SetBounds(250, 34, 96, 21);
  edtSequence->SetMaxLength(10);
  edtSequence->SetText("1234512345");
  edtSequence->SetHint("Sequence of 10 digits or less (use numbers 1 - 5)");
  edtSequence->OnKeyPress = [this](TObject* s, char& k) { edtSequenceKeyPress(s, k); };

  lblDelay = new TLabel(this);
  lblDelay->SetName("lblDelay");
  lblDelay->SetParent(grbSequencer);
  lblDelay->SetBounds(362, 16, 70, 14);
  lblDelay->SetCaption("Delay (ms)");
  spnDelay = new TSpinEdit(this);
  spnDelay->SetName("spnDelay");
  spnDelay->SetParent(grbSequencer);
  spnDelay->SetBounds(362, 34, 70, 21);
  spnDelay->SetMinValue(0);
  spnDelay->SetMaxValue(5000);
  spnDelay->SetIncrement(10);
  spnDelay->SetEditorEnabled(false);
  spnDelay->SetValue(0);
  spnDelay->SetHint("Additional delay inserted between messages.");
  spnDelay->OnChange = [this](TObject* s) { spnDelayChange(s); };
}

void TfrmUniversal::BuildMenu() {
  mnuMain = new TMainMenu(this);
  mnuMain->SetName("mnuMain");
  mnuFile = Item(this, "mnuFile", "&File", nullptr);
  mnuFile->SetGroupIndex(0);
  mnuOpen = Item(this, "mnuOpen", "Open", [this](TObject* s) { mnuOpenClick(s); });
  mnuSaveAs = Item(this, "mnuSaveAs", "Save As...", [this](TObject* s) { mnuSaveAsClick(s); });
  mnuClose = Item(this, "mnuClose", "&Close", [this](TObject* s) { mnuCloseClick(s); });
  mnuCloseAll = Item(this, "mnuCloseAll", "Close &All", [this](TObject* s) { mnuCloseAllClick(s); });
  Exit = Item(this, "Exit", "E&xit", [this](TObject* s) { ExitClick(s); });
  mnuFile->Add({mnuOpen, mnuSaveAs, Item(this, "", "-", nullptr), mnuClose, mnuCloseAll, Item(this, "", "-", nullptr),
                Exit});
  mnuMain->Items()->Add(mnuFile);
  SetMenu(mnuMain);
}

// ---------------------------------------------------------------- message model on the boxes

int TfrmUniversal::GroupOf(TObject* Box) const {
  for (int n = 1; n <= Univers::MessageCount; ++n) {
    const TGroup& g = Groups[static_cast<size_t>(n - 1)];
    if (Box == g.edtAdrs || Box == g.edtRW || Box == g.edtStart) return n;
    for (TEdit* e : g.Cells)
      if (Box == e) return n;
  }
  return ActiveMessage;
}

void TfrmUniversal::Data(int N) {
  std::string m;
  for (TEdit* e : Group(N).Cells) m += e->Text();
  if (m.size() > Univers::MessageMax) m.resize(Univers::MessageMax);
  Messages[static_cast<size_t>(N - 1)] = m;
}

void TfrmUniversal::Refresh(int N) {
  TGroup& g = Group(N);
  const std::string& m = Messages[static_cast<size_t>(N - 1)];
  refreshing_ = true;
  for (int k = 0; k < Univers::CellBoxes; ++k) {
    const size_t at = static_cast<size_t>(k) * 2;
    TEdit* e = g.Cells[static_cast<size_t>(k)];
    e->SetText(at < m.size() ? m.substr(at, 2) : std::string());
    // The box's change rule, on this group's own message: an odd restart address (from a file) shows even.
    if (IsRestartAddress(m, k))
      if (auto even = Univers::EvenAddress(e->Text())) e->SetText(*even);
  }
  refreshing_ = false;
  std::vector<TEdit*> boxes(g.Cells.begin(), g.Cells.end());
  boxes.insert(boxes.end(), {g.edtStart, g.edtAdrs, g.edtRW});
  for (TEdit* e : boxes) {
    const std::string t = e->Text();
    e->SetVisible(!t.empty());
    const bool mark = IsMark(t);
    e->SetReadOnly(mark);
    e->Font()->SetColor(mark ? clRed : clWindowText);
  }
}

std::string TfrmUniversal::Active() {
  Data(ActiveMessage);
  return Messages[static_cast<size_t>(ActiveMessage - 1)];
}

void TfrmUniversal::Display(const std::string& Text) { Display(ActiveMessage, Text); }

void TfrmUniversal::Display(int N, const std::string& Text) {
  Messages[static_cast<size_t>(N - 1)] = Text.substr(0, Univers::MessageMax);
  Refresh(N);
}

// Gives every box a whole cell, as leaving it would, so the join cannot shift
// the cells after a box that holds one digit or none.
void TfrmUniversal::NormaliseBoxes(int N) {
  TGroup& g = Group(N);
  for (TEdit* e : g.Cells)
    if (e->Visible()) edtExit(e);
  edtAdrsExit(g.edtAdrs);
}

// ---------------------------------------------------------------- editing

void TfrmUniversal::FormKeyPress(TObject*, char& Key) {
  const char c = Key;
  const bool pass = c == 8 || c == 9 || c == 13 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') ||
                    (c >= 'a' && c <= 'f');
  if (!pass) Key = 0;
}

void TfrmUniversal::edtKeyDown(TObject* Sender, WORD& Key, TShiftState) {
  auto* box = dynamic_cast<TEdit*>(Sender);
  if (!box) return;
  const int n = GroupOf(box);
  const int tag = static_cast<int>(box->Tag());
  const std::string text = box->Text();
  std::string msg;
  switch (Key) {
    case VK_INSERT: {
      Data(n);
      if (Messages[static_cast<size_t>(n - 1)].find('P') >= Univers::MessageMax - 2) return;
      if (text.size() == 1 && text != "P") box->SetText(text + "0");
      if (text.empty()) box->SetText("FF");
      Data(n);
      msg = Messages[static_cast<size_t>(n - 1)];
      if (!Univers::InsertCell(msg, tag)) return;
      Key = VK_ESCAPE;
      Display(n, msg);
      box->SelectAll();
      return;
    }
    case VK_DELETE: {
      Key = VK_ESCAPE;
      // Two cells and the stop at least, counted as the boxes stand: an emptied box adds nothing.
      Data(n);
      const bool longEnough = Messages[static_cast<size_t>(n - 1)].size() >= 5;
      if (text.empty()) box->SetText("FF");
      if (text == "P" || !longEnough) return;
      // The box gets a whole cell before the join again, so exactly its cell goes.
      if (text.size() == 1) box->SetText(text + "0");
      Data(n);
      msg = Messages[static_cast<size_t>(n - 1)];
      if (Univers::DeleteCell(msg, tag)) Display(n, msg);
      return;
    }
    case 'S':
      Data(n);
      msg = Messages[static_cast<size_t>(n - 1)];
      if (Univers::AddRestart(msg, tag)) Display(n, msg);
      return;
    case 'R':
      if (text != "W ") return;
      Data(n);
      msg = Messages[static_cast<size_t>(n - 1)];
      if (Univers::RestartToRead(msg, tag)) Display(n, msg);
      return;
    case 'W':
      if (text != "R ") return;
      Data(n);
      msg = Messages[static_cast<size_t>(n - 1)];
      if (Univers::RestartToWrite(msg, tag)) Display(n, msg);
      return;
    default:
      return;
  }
}

void TfrmUniversal::edtChange(TObject* Sender) {
  if (refreshing_) return;
  auto* box = dynamic_cast<TEdit*>(Sender);
  if (!box) return;
  const std::string& stored = Messages[static_cast<size_t>(GroupOf(box) - 1)];
  const size_t at = static_cast<size_t>(box->Tag()) * 2;
  if (!IsRestartAddress(stored, static_cast<int>(box->Tag()))) return;
  const std::string t = box->Text();
  if (t.size() != 2) return;
  if (auto even = Univers::EvenAddress(t)) {
    if (*even != t) box->SetText(*even);
    box->SelectAll();  // the next two digits typed replace the address, changed or not
  } else {
    box->SetText(stored.substr(at, 2));  // pasted text that is no address goes back
    box->SelectAll();
  }
}

void TfrmUniversal::edtAdrsChange(TObject* Sender) {
  if (refreshing_) return;
  auto* box = dynamic_cast<TEdit*>(Sender);
  if (!box) return;
  std::string& last = lastAddress_[static_cast<size_t>(GroupOf(box) - 1)];
  const std::string t = box->Text();
  bool hex = true;
  for (char c : t) hex = hex && std::isxdigit(static_cast<unsigned char>(c));
  if (!hex) {
    box->SetText(last);  // pasted text that is no address goes back
    box->SelectAll();
    return;
  }
  if (t.size() == 2) {
    const std::string even = *Univers::EvenAddress(t);
    last = even;
    if (even != t) box->SetText(even);
    box->SelectAll();  // the next two digits typed replace the address, changed or not
  }
}

namespace {
// A box left with one digit gets its leading "0"; an empty one takes Empty.
void WholeCell(TObject* Sender, const char* Empty) {
  auto* box = dynamic_cast<TEdit*>(Sender);
  if (!box) return;
  const std::string t = box->Text();
  if (t.empty())
    box->SetText(Empty);
  else if (t.size() == 1 && t != "P")
    box->SetText(NormalizeByteCell(t));
}
}  // namespace

void TfrmUniversal::edtExit(TObject* Sender) { WholeCell(Sender, "FF"); }

void TfrmUniversal::edtAdrsExit(TObject* Sender) { WholeCell(Sender, "A0"); }

void TfrmUniversal::edtRWExit(TObject* Sender) {
  auto* box = dynamic_cast<TEdit*>(Sender);
  if (!box) return;
  const std::string t = box->Text();
  if (t.empty() || t == " " || t == "W") box->SetText("W ");
}

void TfrmUniversal::edtRWKeyDown(TObject* Sender, WORD& Key, TShiftState) {
  auto* box = dynamic_cast<TEdit*>(Sender);
  if (box && Key == 'R') box->SetText("R ");
  if (box && Key == 'W') box->SetText("W ");
  Key = 0;
}

void TfrmUniversal::grbDataEnter(int N) {
  ActiveMessage = N;
  grbSend->SetCaption("Send Message " + std::to_string(N));
}

// ---------------------------------------------------------------- sending

uint8_t TfrmUniversal::I2CSend(TBusTransfer& Bus, const std::vector<uint8_t>& Bytes) {
  for (uint8_t b : Bytes)
    if (uint8_t r = Bus.Write(b)) return r;
  return 0;
}

std::string TfrmUniversal::I2CReceive(TBusTransfer& Bus, int Count, uint8_t& Ack) {
  std::string text;
  if (Count > 1) {
    for (int i = 0; i < Count - 1; ++i) {
      text += ByteCellText(Bus.Read(0, Ack));
      if (Ack != 0) return text.substr(0, Univers::MessageMax);
    }
  }
  text += ByteCellText(Bus.Read(1, Ack));
  return text.substr(0, Univers::MessageMax);
}

void TfrmUniversal::StatusFault(const std::string& Text, bool Warn) {
  if (!MainHost) return;
  MainHost->StatusFault(Text);
  if (Warn) MainHost->Warning();
}

bool TfrmUniversal::Ending() const {
  return run_.StopAsked() || (Application && Application->Terminated());
}

I2CStatus TfrmUniversal::SendMessage(int N) {
  // The message is taken, checked and fixed here; what the user does while
  // messages are processed below changes neither which message nor what is sent.
  NormaliseBoxes(N);
  Data(N);
  const std::string msg = Messages[static_cast<size_t>(N - 1)];
  TGroup& g = Group(N);
  Univers::TMessagePlan plan;
  std::string fault;
  SendOK = false;
  if (!Univers::PlanMessage(g.edtAdrs->Text(), g.edtRW->Text(), msg, plan, fault)) {
    StatusFault("  Message " + std::to_string(N) + ": " + fault + "...nothing sent", true);
    return UniversNotSent;
  }
  if (Application) Application->ProcessMessages();
  if (Ending()) return UniversNotSent;

  I2CStatus status = 0;
  std::string read1, read2;
  {
    TBusTransfer bus;
    uint8_t ack = 0;
    [&] {
      if ((status = bus.Start()) != 0) return;
      if (bus.Write(plan.Address) != 0) {
        status = 1;
        return;
      }
      if (plan.Read) {
        read1 = I2CReceive(bus, plan.Cells1, ack);
      } else if (I2CSend(bus, plan.Bytes1) != 0) {
        status = 2;
        return;
      }
      if (!plan.Restart) return;
      if ((status = bus.Start()) != 0) return;
      if (bus.Write(plan.RestartAddress) != 0) {
        status = 1;
        return;
      }
      if (plan.RestartRead) {
        read2 = I2CReceive(bus, plan.Cells2, ack);
      } else if (I2CSend(bus, plan.Bytes2) != 0) {
        status = 2;
      }
    }();
    AckStatus = ack;
  }  // the stop goes out here, whatever happened
  if (status == 0 && (plan.Read || plan.RestartRead)) Display(N, Univers::MessageAfterSend(msg, plan, read1, read2));
  SendOK = status == 0;
  if (MainHost) MainHost->ErrorMessage(status);
  return status;
}

void TfrmUniversal::EndRun() {
  if (!closeAfterRun_) return;
  closeAfterRun_ = false;
  Release();
}

void TfrmUniversal::btnSendClick(TObject*) {
  if (MainHost && MainHost->BusRefused()) return;
  TRunScope run(run_, [this] { EndRun(); });
  if (!run.Acquired()) return;
  SendMessage(ActiveMessage);
}

void TfrmUniversal::LoopDelay() {
  if (DelayMs > 0) PauseProcessingMessages(static_cast<uint64_t>(DelayMs), [this] { return Ending(); });
}

void TfrmUniversal::btnSingleClick(TObject*) {
  if (run_.Busy() || (MainHost && MainHost->BusRefused())) return;
  auto seq = Univers::ParseSequence(edtSequence->Text());
  if (!seq) {
    StatusFault(InvalidSequence, false);
    return;
  }
  Sequence = *seq;
  const int saved = ActiveMessage;
  TRunScope run(run_, [this, saved] {
    ActiveMessage = saved;
    EndRun();
  });
  for (int n : Sequence) {
    ActiveMessage = n;
    SendMessage(n);
    if (!SendOK || Ending()) break;
    LoopDelay();
    if (Ending()) break;
  }
}

void TfrmUniversal::btnRepeatClick(TObject*) {
  if (run_.Busy() || (MainHost && MainHost->BusRefused())) return;
  auto seq = Univers::ParseSequence(edtSequence->Text());
  if (!seq) {
    StatusFault(InvalidSequence, false);
    gauge->SetProgress(0);
    gauge->SetVisible(false);
    return;
  }
  Sequence = *seq;
  const int saved = ActiveMessage;
  TRunScope run(run_, [this, saved] {
    Repeating = 0;
    ActiveMessage = saved;
    for (TGroup& g : Groups) g.grbData->SetEnabled(true);
    gauge->SetProgress(0);
    gauge->SetVisible(false);
    EndRun();
  });
  for (TGroup& g : Groups) g.grbData->SetEnabled(false);
  Repeating = 1;
  if (int max = Univers::GaugeMaximum(spnDelay->Value())) gauge->SetMaxValue(max);
  gauge->SetVisible(true);
  while (Repeating == 1 && !Ending()) {
    for (int n : Sequence) {
      ActiveMessage = n;
      SendMessage(n);
      if (!SendOK || Ending()) {
        Repeating = 0;
        break;
      }
      LoopDelay();
      gauge->SetProgress(gauge->Progress() < gauge->MaxValue() ? gauge->Progress() + 1 : 0);
      if (Application) Application->ProcessMessages();
      if (Ending()) {
        Repeating = 0;
        break;
      }
    }
  }
}

void TfrmUniversal::btnStopClick(TObject*) { Repeating = 0; }

void TfrmUniversal::spnDelayChange(TObject*) { DelayMs = spnDelay->Value() - 1; }

void TfrmUniversal::edtSequenceKeyPress(TObject*, char& Key) {
  if (Key == 8 || Key == 13 || (Key >= '1' && Key <= '5')) return;
  Key = 0;
  MessageBeep(0);
}

// ---------------------------------------------------------------- life

void TfrmUniversal::FormCreate(TObject*) {
  frmUniversal = this;
  ActiveMessage = 1;
  for (int n = 1; n <= Univers::MessageCount; ++n) Data(n);
  DelayMs = 0;
  Show();
}

void TfrmUniversal::FormActivate(TObject*) {
  if (MainHost) MainHost->ResetWarning();
}

void TfrmUniversal::FormDestroy(TObject*) {
  if (MainHost) {
    MainHost->SetStatusText("");
    MainHost->ResetWarning();
  }
  if (frmUniversal == this) frmUniversal = nullptr;
}

// Repeat keeps the window until Stop: only File > Close and Exit end it, by
// clearing the flag first. A run that a close ends releases the window once it
// has returned, never from inside its loop.
void TfrmUniversal::FormCloseQuery(TObject*, bool& CanClose) { CanClose = Repeating != 1; }

void TfrmUniversal::FormClose(TObject*, TCloseAction& Action) {
  Repeating = 0;
  if (run_.Busy()) {
    run_.AskStop();
    closeAfterRun_ = true;
    Action = caNone;
    Hide();
    return;
  }
  Action = caFree;
}

void TfrmUniversal::mnuCloseClick(TObject*) {
  Repeating = 0;
  Close();
}

bool TfrmUniversal::CloseAllChildren() {
  TCustomForm* frame = MDIFrame();
  if (!frame) {
    Close();
    return Releasing() || !Visible();
  }
  return frame->CloseMDIChildren();
}

void TfrmUniversal::mnuCloseAllClick(TObject*) {
  CloseAllChildren();
  if (MainHost) MainHost->ResetWarning();
}

// A window whose question was cancelled keeps the program running.
void TfrmUniversal::ExitClick(TObject*) {
  Repeating = 0;
  if (CloseAllChildren() && Application) Application->Terminate();
}

// ---------------------------------------------------------------- data file

// Also during a run: a send takes its message when it starts, so a file opened
// meanwhile changes only the messages sent after it.
void TfrmUniversal::mnuOpenClick(TObject*) {
  if (!MainHost) return;
  MainHost->ResetWarning();
  TOpenDialog* dlg = MainHost->OpenDialog();
  dlg->SetFilter(FileFilter);
  dlg->SetDefaultExt("mem");
  dlg->SetTitle("Open Universal Data File");
  if (!dlg->Execute()) return;
  // Only the record is read: a long tail after it is ignored, whatever its size. A file that
  // cannot be read, or is shorter than its record, raises the input/output error, which the
  // application reports.
  const std::string bytes = LoadRegularFileHead(dlg->FileName(), Univers::RecordSize);
  Univers::TUniversalData d;
  std::string fault;
  switch (Univers::DecodeRecord(bytes, d, fault)) {
    case Univers::drOk:
      break;
    case Univers::drTooShort:
      throw EInOutError(100);
    default:
      StatusFault("  Invalid Data File", true);
      return;
  }
  for (int n = 1; n <= Univers::MessageCount; ++n) {
    const size_t i = static_cast<size_t>(n - 1);
    TGroup& g = Group(n);
    g.edtAdrs->SetText(d.Address[i]);
    g.edtRW->SetText(d.Direction[i]);
    Messages[i] = d.Message[i];
    Refresh(n);
  }
  edtSequence->SetText(d.Sequence);
  spnDelay->SetValue(d.Delay);
}

void TfrmUniversal::mnuSaveAsClick(TObject*) {
  if (!MainHost) return;
  Univers::TUniversalData d;
  for (int n = 1; n <= Univers::MessageCount; ++n) {
    const size_t i = static_cast<size_t>(n - 1);
    Data(n);
    d.Address[i] = Group(n).edtAdrs->Text();
    d.Direction[i] = Group(n).edtRW->Text();
    d.Message[i] = Messages[i];
  }
  d.Sequence = edtSequence->Text();
  d.Delay = spnDelay->Value();
  TSaveDialog* dlg = MainHost->SaveDialog();
  dlg->SetTitle("Save Universal Data As");
  if (!dlg->Execute()) return;
  const std::string name = dlg->FileName();
  try {
    // The record goes over the first bytes of an existing file, whose tail is copied after it;
    // written beside it and renamed over it, so a failed save keeps the old file.
    CheckFileReplaceable(name);
    SaveFileHeadAtomically(name, Univers::EncodeRecord(d));
  } catch (Exception& e) {
    StatusFault("  Data File could not be saved: " + e.Message(), true);
  }
}

void ShowUniversalWindow() {
  if (frmUniversal) {
    frmUniversal->Show();
    frmUniversal->BringToFront();
    return;
  }
  Application->CreateForm(frmUniversal);  // its creation shows it
}

#include "devices/MessageEditor.h"

#include <algorithm>

#include "app/bus/ByteText.h"
#include "controls/grid/ExtGrid.h"
#include "controls/instrument/InstEdit.h"
#include "devices/Universal_III.h"
#include "platform/grid/Grids.h"
#include "platform/rtl/SysUtils.h"

TfrmEditor* frmEditor = nullptr;

namespace MessageEditor {
int EditedRow = 0;
int ActiveColumn = 0;
}  // namespace MessageEditor

using MessageEditor::ActiveColumn;
using MessageEditor::EditedRow;

namespace {

// A token cell as the row keeps it: empty is "FF", one or two hex digits are
// two upper-case digits, anything else (TH, TL, PH, PL, ST) stays as typed.
std::string CellToken(const std::string& Cell) {
  const std::string t = UpperCase(Trim(Cell));
  if (t.empty()) return "FF";
  if (IsByteCellText(t)) return NormalizeByteCell(t);
  return t;
}

}  // namespace

TfrmEditor::TfrmEditor(TComponent* AOwner) : TForm(AOwner) {
  BeginLoading();
  SetName("frmEditor");
  frmEditor = this;
  SetCaption("Message Editor");
  SetBorderStyle(bsSingle);
  SetBorderIcons(biSystemMenu);
  SetPosition(poMainFormCenter);
  SetClientSize(560, 300);
  auto label = [&](TWinControl* parent, const std::string& text, int l, int t) {
    auto* lb = new TLabel(this);
    lb->SetParent(parent);
    lb->SetBounds(l, t, 120, 14);
    lb->SetCaption(text);
    return lb;
  };
  auto group = [&](const std::string& name, const std::string& text, int l, int t, int w, int h) {
    auto* g = new TGroupBox(this);
    g->SetName(name);
    g->SetParent(this);
    g->SetBounds(l, t, w, h);
    g->SetCaption(text);
    return g;
  };
  auto button = [&](TWinControl* parent, const std::string& name, const std::string& text, int l, int t, int w,
                    TNotifyEvent click) {
    auto* b = new TButton(this);
    b->SetName(name);
    b->SetParent(parent);
    b->SetBounds(l, t, w, 25);
    b->SetCaption(text);
    b->OnClick = std::move(click);
    return b;
  };

  label(this, "Address", 8, 8);
  edtAddress = new TEdit(this);
  edtAddress->SetName("edtAddress");
  edtAddress->SetParent(this);
  edtAddress->SetBounds(8, 24, 44, 21);
  edtAddress->SetMaxLength(2);
  edtAddress->SetCharCase(ecUpperCase);
  edtAddress->SetText("A0");
  edtAddress->OnKeyPress = [this](TObject* s, char& k) { grdWriteKeyPress(s, k); };
  edtAddress->OnExit = [this](TObject* s) { edtAddressExit(s); };

  label(this, "Read/Write", 64, 8);
  cmbRW = new TComboBox(this);
  cmbRW->SetName("cmbRW");
  cmbRW->SetParent(this);
  cmbRW->SetBounds(64, 24, 80, 21);
  cmbRW->SetStyle(csDropDownList);
  cmbRW->Items()->Add("Write");
  cmbRW->Items()->Add("Read");
  cmbRW->SetItemIndex(0);

  label(this, "Stop?", 156, 8);
  cmbStop = new TComboBox(this);
  cmbStop->SetName("cmbStop");
  cmbStop->SetParent(this);
  cmbStop->SetBounds(156, 24, 64, 21);
  cmbStop->SetStyle(csDropDownList);
  cmbStop->Items()->Add("Yes");
  cmbStop->Items()->Add("No");
  cmbStop->SetItemIndex(0);

  label(this, "Number of Bytes", 232, 8)->SetWidth(100);
  spnBytes = new TSpinEdit(this);
  spnBytes->SetName("spnBytes");
  spnBytes->SetParent(this);
  spnBytes->SetBounds(232, 24, 70, 21);
  spnBytes->SetMinValue(0);
  spnBytes->SetMaxValue(EditorMaxTokens);
  spnBytes->SetEditorEnabled(false);
  spnBytes->SetValue(1);
  spnBytes->OnChange = [this](TObject* s) { spnBytesChange(s); };

  label(this, "Delay After Message", 344, 8);
  edtDelay = new TInstNumEdit(this);
  edtDelay->SetName("edtDelay");
  edtDelay->SetParent(this);
  edtDelay->SetBounds(344, 24, 70, 21);
  edtDelay->SetMaxLength(4);
  edtDelay->SetMinValue(0);
  edtDelay->SetMaxValue(ExpertMaxDelay);
  edtDelay->SetAlignment(taRightJustify);
  edtDelay->SetRestoreOnEsc(true);
  edtDelay->SetValue(0);

  label(this, "Enter User Notes here:", 8, 52);
  edtNotes = new TEdit(this);
  edtNotes->SetName("edtNotes");
  edtNotes->SetParent(this);
  edtNotes->SetBounds(8, 68, 544, 21);

  grpWrite = group("grpWrite", "Write Message", 8, 96, 544, 92);
  grdWrite = new TStringGrid(this);
  grdWrite->SetName("grdWrite");
  grdWrite->SetParent(grpWrite);
  grdWrite->SetBounds(8, 18, 528, 66);
  grdWrite->SetColCount(64);
  grdWrite->SetRowCount(2);
  grdWrite->SetFixedCols(0);
  grdWrite->SetFixedRows(1);
  grdWrite->SetDefaultColWidth(28);
  grdWrite->SetDefaultRowHeight(20);
  grdWrite->SetScrollBars(ssHorizontal);
  grdWrite->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goEditing | goAlwaysShowEditor |
                       goTabs);
  grdWrite->OnGetEditMask = [](TObject*, int, int, std::string& Mask) { Mask = ">CC"; };
  grdWrite->OnSetEditText = [this](TObject*, int, int, const std::string&) {
    if (!loading_) tokensEdited_ = true;
  };
  grdWrite->OnKeyPress = [this](TObject* s, char& k) { grdWriteKeyPress(s, k); };
  grdWrite->OnClick = [this](TObject* s) { grdWriteClick(s); };
  grdWrite->OnKeyDown = [this](TObject* s, WORD& k, TShiftState sh) { grdWriteKeyDown(s, k, sh); };
  grdWrite->SetCol(0);
  grdWrite->SetLeftCol(0);

  grpTriggers = group("grpTriggers", "Insert Triggers", 8, 194, 250, 96);
  btnTrigHigh = button(grpTriggers, "btnTrigHigh", "Trigger High (TH)", 8, 22, 114, [this](TObject*) { PutToken("TH"); });
  btnTrigLow = button(grpTriggers, "btnTrigLow", "Trigger Low (TL)", 128, 22, 114, [this](TObject*) { PutToken("TL"); });
  btnPulseHigh = button(grpTriggers, "btnPulseHigh", "Pulse High (PH)", 8, 58, 114, [this](TObject*) { PutToken("PH"); });
  btnPulseLow = button(grpTriggers, "btnPulseLow", "Pulse Low (PL)", 128, 58, 114, [this](TObject*) { PutToken("PL"); });

  grpRestart = group("grpRestart", "Insert Restart", 266, 194, 182, 96);
  btnRestart = button(grpRestart, "btnRestart", "Restart (ST)", 8, 20, 100, [this](TObject*) { PutToken("ST"); });
  auto* note = new TLabel(this);
  note->SetName("lblRestartNote");
  note->SetParent(grpRestart);
  note->SetAutoSize(false);
  note->SetWordWrap(true);
  note->SetBounds(8, 50, 168, 40);
  note->SetCaption("Note:  only a write may be used after a restart...a Read is not allowed");

  grpClose = group("grpClose", "Close the Editor", 456, 194, 96, 96);
  btnClose = button(grpClose, "btnClose", "Close", 10, 36, 76, [this](TObject* s) { btnCloseClick(s); });

  for (int c = 0; c < 64; ++c) grdWrite->SetCells(c, 0, std::to_string(c + 1));
  OnShow = [this](TObject* s) { FormShow(s); };
  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
  EndLoading();
}

TfrmEditor::~TfrmEditor() {
  if (frmEditor == this) frmEditor = nullptr;
}

void TfrmEditor::ShowFor(TfrmMessage* Window) {
  window_ = Window;
  if (Visible()) {
    BringToFront();
    return;
  }
  Show();
}

void TfrmEditor::RowsChanged(int Row, int Delta) {
  if (!Visible() || EditedRow <= 0) return;
  if (Delta == 0)
    EditedRow = 0;  // the table was replaced: the row is gone
  else if (Delta < 0 && Row == EditedRow)
    EditedRow = 0;
  else if (Row < EditedRow || (Delta > 0 && Row == EditedRow))
    EditedRow += Delta;
}

void TfrmEditor::SetColumns(int Count) {
  const int old = grdWrite->ColCount();
  grdWrite->SetColCount(std::max(1, Count));
  for (int c = old; c < grdWrite->ColCount(); ++c) grdWrite->SetCells(c, 0, std::to_string(c + 1));
  grdWrite->Invalidate();
}

void TfrmEditor::FormShow(TObject*) { Load(); }

void TfrmEditor::Load() {
  if (!window_) return;
  loading_ = true;
  TExtStringGrid* g = window_->grdData;
  EditedRow = g->Row();
  SetCaption("Message Editor - Msg # " + std::to_string(EditedRow));
  const TExpertRow f = window_->RowFields(EditedRow);
  edtAddress->SetText(f.Address.empty() ? "A0" : f.Address);
  cmbRW->SetItemIndex(!f.RW.empty() && f.RW != "Write" ? 1 : 0);
  // The tokens by position, as the sender reads them.
  std::vector<std::string> tokens;
  const size_t count = (f.Data.size() + 1) / 3;
  for (size_t i = 0; i < count; ++i) tokens.push_back(f.Data.substr(3 * i, 2));
  originalData_ = f.Data;
  originalTokens_ = static_cast<int>(tokens.size());
  const int t = std::min<int>(originalTokens_, EditorMaxTokens);
  spnBytes->SetValue(t == 0 ? 1 : t);
  grdWrite->SetEditorMode(false);
  SetColumns(t);
  // The grid keeps the cells of hidden columns: a row edited before would come back in them
  // when the count grows.
  for (int c = 0; c < EditorMaxTokens; ++c) grdWrite->SetCells(c, 1, "");
  for (int c = 0; c < t; ++c) grdWrite->SetCells(c, 1, tokens[c]);
  if (tokens.empty()) grdWrite->SetCells(0, 1, "FF");
  cmbStop->SetItemIndex(!f.Stop.empty() && f.Stop != "Yes" ? 1 : 0);
  uint32_t ms = 0;
  if (!ExpertDelayValue(f.Delay, ms)) ms = 0;  // a Delay that is no number counts as 0
  edtDelay->SetValue(ms);
  edtNotes->SetText(f.Notes);
  tokensEdited_ = false;
  loading_ = false;
}

void TfrmEditor::grdWriteKeyPress(TObject*, char& Key) {
  const bool pass = Key == 8 || Key == 9 || Key == 13 || (Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'F') ||
                    (Key >= 'a' && Key <= 'f');
  if (!pass) Key = 0;
}

void TfrmEditor::grdWriteClick(TObject*) { ActiveColumn = grdWrite->Col(); }

void TfrmEditor::grdWriteKeyDown(TObject*, WORD& Key, TShiftState) {
  if (Key != VK_TAB || ActiveColumn >= grdWrite->ColCount()) return;
  const std::string cell = grdWrite->Cells(ActiveColumn, 1);
  const std::string padded = CellToken(cell);
  if (Trim(cell).size() < 2 && padded != cell) {
    grdWrite->SetCells(ActiveColumn, 1, Trim(cell).empty() ? "00" : padded);
    tokensEdited_ = true;
  }
}

void TfrmEditor::spnBytesChange(TObject*) {
  if (loading_) return;
  tokensEdited_ = true;
  SetColumns(spnBytes->Value());
}

void TfrmEditor::edtAddressExit(TObject*) {
  const std::string a = edtAddress->Text();
  if (a.empty())
    edtAddress->SetText("A0");
  else if (a.size() == 1)
    edtAddress->SetText("0" + a);
}

void TfrmEditor::PutToken(const std::string& Token) {
  if (ActiveColumn < 0 || ActiveColumn >= grdWrite->ColCount()) return;
  grdWrite->SetEditorMode(false);
  grdWrite->SetCells(ActiveColumn, 1, Token);
  tokensEdited_ = true;
  // Typing goes on in the cell after the token; keys left on the buttons would be lost.
  // The buttons still act on the column last clicked: moving the cell from here is no click.
  const int active = ActiveColumn;
  if (grdWrite->CanFocus()) grdWrite->SetFocus();
  grdWrite->SetCol(std::min(active + 1, grdWrite->ColCount() - 1));
  ActiveColumn = active;
}

std::string TfrmEditor::DataText() const {
  const int n = spnBytes->Value();
  std::vector<std::string> tokens;
  for (int c = 0; c < n && c < grdWrite->ColCount(); ++c) tokens.push_back(CellToken(grdWrite->Cells(c, 1)));
  return JoinExpertTokens(tokens);
}

void TfrmEditor::btnCloseClick(TObject*) {
  // The click takes the focus from the address box, which pads it; a close by the frame does not.
  if (edtAddress->Focused()) edtAddressExit(this);
  Close();
}

void TfrmEditor::FormClose(TObject*, TCloseAction& Action) {
  Action = caHide;
  // Only into the row the editor was opened for, and only while it exists.
  if (!window_ || window_ != frmMessage || EditedRow <= 0 || EditedRow >= window_->grdData->RowCount()) return;
  // A run is sending the table: the editor stays open and writes when closed after it.
  if (window_->TableRefused()) {
    Action = caNone;
    return;
  }
  TExpertRow f;
  f.Address = edtAddress->Text();
  f.RW = cmbRW->Text();
  // More tokens than the editor shows stay as they were unless the tokens were edited.
  f.Data = !tokensEdited_ && originalTokens_ > EditorMaxTokens ? originalData_ : DataText();
  f.Stop = cmbStop->Text();
  double delay = 0;
  try {
    delay = edtDelay->Value();
  } catch (Exception&) {
    delay = 0;  // not a number: counts as 0
  }
  // As it stands: a longer delay from a file is kept, a fraction is the sender's to refuse.
  f.Delay = FloatToStr(delay);
  f.Notes = edtNotes->Text();
  window_->SetRowFields(EditedRow, f);
}

#include "devices/Sequence.h"

#include <algorithm>

#include "devices/ExpertMessage.h"
#include "devices/Universal_III.h"
#include "platform/gui/Dialogs.h"
#include "platform/grid/Grids.h"
#include "platform/rtl/SysUtils.h"

TfrmSequenceEditor* frmSequenceEditor = nullptr;

TfrmSequenceEditor::TfrmSequenceEditor(TComponent* AOwner) : TForm(AOwner) {
  BeginLoading();
  SetName("frmSequenceEditor");
  SetCaption("Sequence Editor");
  SetBorderStyle(bsSingle);
  SetBorderIcons(biSystemMenu);
  SetPosition(poMainFormCenter);
  SetClientSize(520, 132);
  grpSequencer = new TGroupBox(this);
  grpSequencer->SetName("grpSequencer");
  grpSequencer->SetParent(this);
  grpSequencer->SetBounds(8, 6, 504, 86);
  grpSequencer->SetCaption("Sequencer");
  grdSequencer = new TStringGrid(this);
  grdSequencer->SetName("grdSequencer");
  grdSequencer->SetParent(grpSequencer);
  grdSequencer->SetBounds(8, 18, 488, 60);
  grdSequencer->SetColCount(ExpertMaxSequence);
  grdSequencer->SetRowCount(2);
  grdSequencer->SetFixedCols(0);
  grdSequencer->SetFixedRows(1);
  grdSequencer->SetDefaultColWidth(26);
  grdSequencer->SetDefaultRowHeight(18);
  grdSequencer->SetScrollBars(ssHorizontal);
  grdSequencer->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goEditing | goTabs);
  grdSequencer->OnKeyPress = [this](TObject* s, char& k) { grdSequencerKeyPress(s, k); };
  for (int c = 0; c < ExpertMaxSequence; ++c) grdSequencer->SetCells(c, 0, std::to_string(c + 1));
  grdSequencer->SetCol(0);
  grdSequencer->SetLeftCol(0);
  btnClose = new TButton(this);
  btnClose->SetName("btnClose");
  btnClose->SetParent(this);
  btnClose->SetBounds(436, 100, 76, 25);
  btnClose->SetCaption("Close");
  btnClose->OnClick = [this](TObject* s) { btnCloseClick(s); };
  OnShow = [this](TObject* s) { FormShow(s); };
  // Closing by the frame hides the editor and writes nothing back.
  OnClose = [](TObject*, TCloseAction& a) { a = caHide; };
  EndLoading();
}

TfrmSequenceEditor::~TfrmSequenceEditor() {
  if (frmSequenceEditor == this) frmSequenceEditor = nullptr;
}

void TfrmSequenceEditor::ShowFor(TfrmMessage* Window) {
  window_ = Window;
  if (Visible()) {
    BringToFront();
    return;
  }
  Show();
}

void TfrmSequenceEditor::Forget(TfrmMessage* Window) {
  if (window_ == Window) window_ = nullptr;
}

void TfrmSequenceEditor::FormShow(TObject*) {
  if (!window_) return;
  const std::string seq = window_->edtSequence->Text();
  if (seq.empty()) return;  // the cells keep their earlier contents
  grdSequencer->SetEditorMode(false);
  for (int c = 0; c < ExpertMaxSequence; ++c) grdSequencer->SetCells(c, 1, "");
  const size_t n = std::min<size_t>((seq.size() + 1) / 3, ExpertMaxSequence);
  for (size_t i = 0; i < n; ++i) grdSequencer->SetCells(static_cast<int>(i), 1, seq.substr(3 * i, 2));
  grdSequencer->SetCol(0);
  grdSequencer->SetLeftCol(0);
}

void TfrmSequenceEditor::grdSequencerKeyPress(TObject*, char& Key) {
  if (Key < '0' || Key > '9') Key = 0;
}

bool TfrmSequenceEditor::SequenceText(std::string& Text) {
  std::vector<int> entries;
  for (int c = 0; c < ExpertMaxSequence; ++c) {
    const std::string cell = Trim(grdSequencer->Cells(c, 1));
    const int v = StrToIntDef(cell, 0);
    if (cell.empty() || v == 0) continue;  // empty, "0" and "00" are no entries
    if (v > ExpertMaxSequence || v < 0) {
      MessageDlg("The maximum Msg #\ris 64 in the Sequencer", mtWarning, mbOK, 0);
      return false;
    }
    entries.push_back(v);
  }
  Text = ExpertSequenceText(entries);
  return true;
}

void TfrmSequenceEditor::btnCloseClick(TObject*) {
  grdSequencer->SetEditorMode(false);
  std::string text;
  if (!SequenceText(text)) {
    // The box may have given the activation away: the editor stays in front, on its cells.
    BringToFront();
    if (grdSequencer->CanFocus()) grdSequencer->SetFocus();
    return;
  }
  // Never into a window that is gone.
  if (window_ && window_ == frmMessage) window_->edtSequence->SetText(text);
  Hide();
}

#pragma once
// TfrmSequenceEditor: the sequence editor. Edits the expert window's sequence
// of row numbers in 64 cells; writes it back when closed by its button.

#include <string>

#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TfrmMessage;
class TStringGrid;

class TfrmSequenceEditor : public TForm {
 public:
  explicit TfrmSequenceEditor(TComponent* AOwner);
  ~TfrmSequenceEditor() override;
  std::string ClassName() const override { return "TfrmSequenceEditor"; }

  TGroupBox* grpSequencer = nullptr;
  TStringGrid* grdSequencer = nullptr;
  TButton* btnClose = nullptr;

  // Shows the editor for a window; one already on the screen only comes to the front.
  void ShowFor(TfrmMessage* Window);
  // The window is going: the editor never writes into it afterwards.
  void Forget(TfrmMessage* Window);
  // The sequence text the cells give, or false (with the message shown) when a cell is above 64.
  bool SequenceText(std::string& Text);

  void FormShow(TObject* Sender);
  void grdSequencerKeyPress(TObject* Sender, char& Key);
  void btnCloseClick(TObject* Sender);

 private:
  TfrmMessage* window_ = nullptr;
};

extern TfrmSequenceEditor* frmSequenceEditor;

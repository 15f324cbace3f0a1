#pragma once
// Answers message boxes, input queries and file dialogs from a script during
// tests. A dialog nobody expected fails the running test and is answered at
// once (Cancel, No or OK), so no test ever blocks on a dialog.

#include <deque>
#include <string>
#include <vector>

#include "platform/gui/Dialogs.h"

class TTestResponder : public TDialogResponder {
 public:
  // A message box whose text contains TextPart, answered with Result (mrOk, mrYes, IDNO, ...).
  TTestResponder& ExpectMessage(const std::string& TextPart, int Result = mrOk);
  // An input query whose prompt contains PromptPart; Ok false cancels it.
  TTestResponder& ExpectInput(const std::string& PromptPart, const std::string& Value, bool Ok = true);
  // An open/save dialog answered with FileName (empty: cancelled); FilterIndex 0 keeps the dialog's.
  TTestResponder& ExpectOpen(const std::string& FileName, int FilterIndex = 0);
  TTestResponder& ExpectSave(const std::string& FileName, int FilterIndex = 0);
  // The print dialog, confirmed into the PDF file PdfFile, or cancelled.
  TTestResponder& ExpectPrint(const std::string& PdfFile, bool Ok = true);
  // The colour dialog, answered with Color, or cancelled.
  TTestResponder& ExpectColor(TColor Color, bool Ok = true);
  // The font dialog, answered with that font, or cancelled.
  TTestResponder& ExpectFont(const std::string& Name, int Size, TFontStyles Style = 0, bool Ok = true);

  bool Answer(const TDialogRequest& Request, TDialogAnswer& Answer) override;

  // Every dialog asked so far (expected or not).
  const std::vector<TDialogRequest>& Seen() const { return seen_; }
  int Pending() const { return static_cast<int>(expected_.size()); }
  // Fails the running test for every expected dialog that never came, then forgets the script.
  void Verify();
  void Reset();

 private:
  struct TExpected {
    TDialogKind Kind;
    std::string Part;
    int Result;
    std::string Value;
    int FilterIndex;
    TColor Color = clBlack;
    int Size = 0;
    TFontStyles Style = 0;
  };
  std::deque<TExpected> expected_;
  std::vector<TDialogRequest> seen_;
};

// The responder the test main installs for the whole run.
TTestResponder& Responder();

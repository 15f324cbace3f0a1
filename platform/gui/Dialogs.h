#pragma once
// Message boxes, input queries and the common file dialogs. Every dialog
// first asks the installed dialog responder; tests install one that answers
// from a script and never blocks (testing/TestResponder.h).

#include <functional>
#include <string>
#include <vector>

#include "platform/gui/Controls.h"

class TCustomForm;

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn : unsigned { mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8, mbAbort = 16, mbRetry = 32,
                             mbIgnore = 64, mbAll = 128, mbNoToAll = 256, mbYesToAll = 512, mbHelp = 1024 };
using TMsgDlgButtons = unsigned;
constexpr TMsgDlgButtons mbYesNo = mbYes | mbNo, mbYesNoCancel = mbYes | mbNo | mbCancel,
                         mbOKCancel = mbOK | mbCancel, mbAbortRetryIgnore = mbAbort | mbRetry | mbIgnore;

enum TOpenOption : uint32_t {
  ofReadOnly = 1u << 0, ofOverwritePrompt = 1u << 1, ofHideReadOnly = 1u << 2, ofNoChangeDir = 1u << 3,
  ofShowHelp = 1u << 4, ofNoValidate = 1u << 5, ofAllowMultiSelect = 1u << 6, ofExtensionDifferent = 1u << 7,
  ofPathMustExist = 1u << 8, ofFileMustExist = 1u << 9, ofCreatePrompt = 1u << 10, ofShareAware = 1u << 11,
  ofNoReadOnlyReturn = 1u << 12, ofNoTestFileCreate = 1u << 13, ofNoNetworkButton = 1u << 14,
  ofNoLongNames = 1u << 15, ofOldStyleDialog = 1u << 16, ofNoDereferenceLinks = 1u << 17,
  ofEnableIncludeNotify = 1u << 18, ofEnableSizing = 1u << 19
};
using TOpenOptions = uint32_t;

// dkPrint: the print dialog; its answer's FileName names a PDF file to print into
// (empty with mrOk: the default printer).
// dkColor and dkFont: the colour and font dialogs (Color, Font... fields).
enum TDialogKind { dkMessage, dkInput, dkOpenFile, dkSaveFile, dkPrint, dkColor, dkFont };

// What a dialog asks; the responder answers it.
struct TDialogRequest {
  TDialogKind Kind = dkMessage;
  std::string Caption;  // window title
  std::string Text;     // message or prompt
  TMsgDlgType Type = mtInformation;
  TMsgDlgButtons Buttons = mbOK;  // message dialogs (message boxes are mapped to buttons too)
  std::string Value;              // input: the default value
  // File dialogs.
  std::string Filter;
  int FilterIndex = 1;
  std::string InitialDir, FileName, DefaultExt;
  TOpenOptions Options = 0;
  // Colour and font dialogs: what they start from.
  TColor Color = clBlack;
  std::string FontName;
  int FontSize = 0;
  TFontStyles FontStyle = 0;
  // Set by the layer: the window the dialog opens over, and whether it must stay on top.
  TCustomForm* Owner = nullptr;
  bool StayOnTop = false;
  std::string Describe() const;
};

struct TDialogAnswer {
  int Result = mrCancel;  // mrOk, mrYes, ... (message boxes: IDOK, IDYES, ... same numbers)
  std::string Value;      // input text
  std::string FileName;   // file dialogs: the chosen file (empty = cancelled)
  std::vector<std::string> Files;
  int FilterIndex = 1;
  // Colour and font dialogs: what was chosen.
  TColor Color = clBlack;
  std::string FontName;
  int FontSize = 0;
  TFontStyles FontStyle = 0;
};

class TDialogResponder {
 public:
  virtual ~TDialogResponder() = default;
  // Returns false when it cannot answer (the real dialog is shown then).
  virtual bool Answer(const TDialogRequest& Request, TDialogAnswer& Answer) = 0;
};
// The window a dialog asked for now opens over: the innermost modal form, else the active form
// (an MDI child's frame), else the main form; hidden forms never. StayOnTop: some visible window
// of the program stays on top, and would cover the dialog unless it stays on top too. Asker, when
// given, is a control of the window that asks.
TCustomForm* DialogOwner(bool& StayOnTop, TControl* Asker = nullptr);

// nullptr restores the real dialogs. The caller keeps ownership.
void SetDialogResponder(TDialogResponder* Responder);
TDialogResponder* DialogResponder();

int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx);
int MessageDlgPos(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx, int X, int Y);
void ShowMessage(const std::string& Msg);
// Windows MessageBox over the responder; returns IDOK, IDYES, ...
int MessageBox(HWND Wnd, const std::string& Text, const std::string& Caption, UINT Type);
bool InputQuery(const std::string& ACaption, const std::string& APrompt, std::string& Value);
std::string InputBox(const std::string& ACaption, const std::string& APrompt, const std::string& ADefault);

class TCommonDialog : public TComponent {
 public:
  explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}
  std::string ClassName() const override { return "TCommonDialog"; }
  virtual bool Execute() = 0;
  int HelpContext = 0;
  TNotifyEvent OnShow, OnClose;
};

class TOpenDialog : public TCommonDialog {
 public:
  explicit TOpenDialog(TComponent* AOwner);
  std::string ClassName() const override { return "TOpenDialog"; }
  bool Execute() override;

  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& v) { fileName_ = v; }
  // "description|pattern|description|pattern", patterns separated by ";".
  const std::string& Filter() const { return filter_; }
  void SetFilter(const std::string& v) { filter_ = v; }
  int FilterIndex() const { return filterIndex_; }  // 1-based
  void SetFilterIndex(int v);
  const std::string& DefaultExt() const { return defaultExt_; }
  void SetDefaultExt(const std::string& v);
  const std::string& InitialDir() const { return initialDir_; }
  void SetInitialDir(const std::string& v) { initialDir_ = v; }
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& v) { title_ = v; }
  TOpenOptions Options() const { return options_; }
  void SetOptions(TOpenOptions v) { options_ = v; }
  TStrings* Files() const { return files_.get(); }
  TNotifyEvent OnTypeChange, OnSelectionChange, OnFolderChange;

  // Filter parsed into (description, patterns) pairs.
  static std::vector<std::pair<std::string, std::string>> ParseFilter(const std::string& Filter);

 protected:
  virtual TDialogKind Kind() const { return dkOpenFile; }
  // Checks the chosen name against the options; may ask (overwrite) or refuse.
  virtual bool Accept(std::string& Name);
  // The checks both dialogs share: the default extension is added where the
  // name has none, and a missing folder is refused (with a message) when the
  // options ask for an existing path.
  void AddDefaultExt(std::string& Name) const;
  bool PathAccepted(const std::string& Name, const std::string& Caption) const;
  std::string fileName_, filter_, defaultExt_, initialDir_, title_;
  int filterIndex_ = 1;
  TOpenOptions options_ = ofHideReadOnly | ofEnableSizing;
  std::unique_ptr<TStringList> files_;
};

class TColorDialog : public TCommonDialog {
 public:
  explicit TColorDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
  std::string ClassName() const override { return "TColorDialog"; }
  // True with OK: Color is the colour chosen.
  bool Execute() override;
  TColor Color() const { return color_; }
  void SetColor(TColor v) { color_ = v; }

 private:
  TColor color_ = clBlack;
};

class TFontDialog : public TCommonDialog {
 public:
  explicit TFontDialog(TComponent* AOwner);
  std::string ClassName() const override { return "TFontDialog"; }
  // True with OK: Font has the name, size and style chosen (its colour stays).
  bool Execute() override;
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* v) { font_->Assign(v); }

 private:
  std::unique_ptr<TFont> font_;
};

class TSaveDialog : public TOpenDialog {
 public:
  explicit TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) {}
  std::string ClassName() const override { return "TSaveDialog"; }

 protected:
  TDialogKind Kind() const override { return dkSaveFile; }
  bool Accept(std::string& Name) override;
};

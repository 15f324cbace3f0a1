#include "platform/gui/Dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QFontDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <filesystem>

#include "platform/gui/Forms.h"
#include "platform/gui/GuiInternal.h"
#include "platform/gui/QtBridge.h"

// Over the window that asked (its transient), in the stay-on-top layer when a window of ours is.
void GuiPlaceDialog(QWidget& Dialog, const TDialogRequest& r) {
  if (QWidget* o = r.Owner ? r.Owner->Peer() : nullptr) Dialog.setParent(o, Dialog.windowFlags() | Qt::Dialog);
  if (r.StayOnTop) Dialog.setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

namespace {
TDialogResponder* gResponder = nullptr;

const char* TypeName(TMsgDlgType t) {
  switch (t) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirm";
    default: return "";
  }
}

int RealMessage(const TDialogRequest& r) {
  QMessageBox box;
  GuiPlaceDialog(box, r);
  box.setWindowTitle(ToQString(r.Caption));
  box.setText(ToQString(r.Text));
  switch (r.Type) {
    case mtWarning: box.setIcon(QMessageBox::Warning); break;
    case mtError: box.setIcon(QMessageBox::Critical); break;
    case mtInformation: box.setIcon(QMessageBox::Information); break;
    case mtConfirmation: box.setIcon(QMessageBox::Question); break;
    default: break;
  }
  const std::pair<TMsgDlgBtn, std::pair<QMessageBox::StandardButton, int>> map[] = {
      {mbYes, {QMessageBox::Yes, mrYes}},       {mbNo, {QMessageBox::No, mrNo}},
      {mbOK, {QMessageBox::Ok, mrOk}},          {mbCancel, {QMessageBox::Cancel, mrCancel}},
      {mbAbort, {QMessageBox::Abort, mrAbort}}, {mbRetry, {QMessageBox::Retry, mrRetry}},
      {mbIgnore, {QMessageBox::Ignore, mrIgnore}}, {mbAll, {QMessageBox::YesToAll, mrAll}},
      {mbNoToAll, {QMessageBox::NoToAll, mrNoToAll}}, {mbYesToAll, {QMessageBox::YesToAll, mrYesToAll}}};
  QMessageBox::StandardButtons bs;
  for (const auto& m : map)
    if (r.Buttons & m.first) bs |= m.second.first;
  box.setStandardButtons(bs);
  int res = box.exec();
  for (const auto& m : map)
    if (res == m.second.first) return m.second.second;
  return mrCancel;
}

void SetOwner(TDialogRequest& r, TControl* Asker = nullptr) { r.Owner = DialogOwner(r.StayOnTop, Asker); }

int Ask(TDialogRequest& r) {
  TDialogAnswer a;
  if (gResponder && gResponder->Answer(r, a)) return a.Result;
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return mrCancel;
  return RealMessage(r);
}

TMsgDlgButtons ButtonsOfMB(UINT t) {
  switch (t & 0xF) {
    case MB_OKCANCEL: return mbOKCancel;
    case MB_ABORTRETRYIGNORE: return mbAbortRetryIgnore;
    case MB_YESNOCANCEL: return mbYesNoCancel;
    case MB_YESNO: return mbYesNo;
    case MB_RETRYCANCEL: return mbRetry | mbCancel;
    default: return mbOK;
  }
}
}  // namespace

TCustomForm* DialogOwner(bool& StayOnTop, TControl* Asker) {
  StayOnTop = false;
  if (!Screen) return nullptr;
  auto usable = [](TCustomForm* f) -> TCustomForm* {
    if (f && f->MDIFrame()) f = f->MDIFrame();
    return f && f->Visible() && !f->Releasing() && f->Peer() ? f : nullptr;
  };
  TCustomForm* owner = nullptr;
  if (Application && !Application->ModalForms().empty()) owner = usable(Application->ModalForms().back());
  if (!owner && Asker) owner = usable(GetParentForm(Asker));
  if (!owner) owner = usable(Screen->ActiveForm());
  if (!owner && Application) owner = usable(Application->MainForm());
  for (int i = 0; i < Screen->FormCount(); ++i) {
    TCustomForm* f = Screen->Forms(i);
    if (f->FormStyle() == fsStayOnTop && f->Visible() && !f->MDIFrame()) StayOnTop = true;
  }
  return owner;
}

void SetDialogResponder(TDialogResponder* Responder) { gResponder = Responder; }
TDialogResponder* DialogResponder() { return gResponder; }

std::string TDialogRequest::Describe() const {
  static const char* kinds[] = {"message", "input", "open", "save"};
  std::string s = std::string(kinds[Kind]) + " \"" + Caption + "\": " + Text;
  if (Kind == dkOpenFile || Kind == dkSaveFile) s += " filter=" + Filter + " file=" + FileName;
  return s;
}

int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx) {
  return MessageDlgPos(Msg, DlgType, Buttons, HelpCtx, -1, -1);
}

int MessageDlgPos(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int, int, int) {
  TDialogRequest r;
  r.Kind = dkMessage;
  r.Caption = TypeName(DlgType);
  if (r.Caption.empty() && Application) r.Caption = Application->Title();
  r.Text = Msg;
  r.Type = DlgType;
  r.Buttons = Buttons;
  SetOwner(r);
  return Ask(r);
}

void ShowMessage(const std::string& Msg) {
  TDialogRequest r;
  r.Kind = dkMessage;
  r.Caption = Application ? Application->Title() : std::string();
  r.Text = Msg;
  r.Type = mtCustom;
  r.Buttons = mbOK;
  SetOwner(r);
  Ask(r);
}

int MessageBox(HWND Wnd, const std::string& Text, const std::string& Caption, UINT Type) {
  TDialogRequest r;
  r.Kind = dkMessage;
  r.Caption = Caption;
  r.Text = Text;
  switch (Type & 0xF0) {
    case MB_ICONSTOP: r.Type = mtError; break;
    case MB_ICONQUESTION: r.Type = mtConfirmation; break;
    case MB_ICONWARNING: r.Type = mtWarning; break;
    case MB_ICONINFORMATION: r.Type = mtInformation; break;
    default: r.Type = mtCustom; break;
  }
  r.Buttons = ButtonsOfMB(Type);
  SetOwner(r, Wnd ? FindControl(Wnd) : nullptr);
  return Ask(r);  // mr values equal the ID values
}

bool InputQuery(const std::string& ACaption, const std::string& APrompt, std::string& Value) {
  TDialogRequest r;
  r.Kind = dkInput;
  r.Caption = ACaption;
  r.Text = APrompt;
  r.Value = Value;
  r.Buttons = mbOKCancel;
  SetOwner(r);
  TDialogAnswer a;
  if (gResponder && gResponder->Answer(r, a)) {
    if (a.Result != mrOk) return false;
    Value = a.Value;
    return true;
  }
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return false;
  QInputDialog d;
  GuiPlaceDialog(d, r);
  d.setWindowTitle(ToQString(ACaption));
  d.setLabelText(ToQString(APrompt));
  d.setTextValue(ToQString(Value));
  const bool ok = d.exec() == QDialog::Accepted;
  if (ok) Value = FromQString(d.textValue());
  return ok;
}

std::string InputBox(const std::string& ACaption, const std::string& APrompt, const std::string& ADefault) {
  std::string v = ADefault;
  if (!InputQuery(ACaption, APrompt, v)) return ADefault;
  return v;
}

// ---------------------------------------------------------------- file dialogs
TOpenDialog::TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner), files_(new TStringList) {}

void TOpenDialog::SetFilterIndex(int v) { filterIndex_ = v; }

void TOpenDialog::SetDefaultExt(const std::string& v) {
  defaultExt_ = (!v.empty() && v[0] == '.') ? v.substr(1) : v;
}

std::vector<std::pair<std::string, std::string>> TOpenDialog::ParseFilter(const std::string& Filter) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : Filter) {
    if (c == '|') {
      parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  parts.push_back(cur);
  std::vector<std::pair<std::string, std::string>> r;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) r.emplace_back(parts[i], parts[i + 1]);
  if (parts.size() % 2 == 1 && !parts.back().empty() && parts.size() > 1) r.emplace_back(parts.back(), "*");
  return r;
}

void TOpenDialog::AddDefaultExt(std::string& Name) const {
  if (!defaultExt_.empty() && std::filesystem::path(Name).extension().empty()) Name += "." + defaultExt_;
}

bool TOpenDialog::PathAccepted(const std::string& Name, const std::string& Caption) const {
  namespace fs = std::filesystem;
  const fs::path p(Name);
  std::error_code ec;
  if ((options_ & ofPathMustExist) && p.has_parent_path() && !fs::is_directory(p.parent_path(), ec)) {
    ::MessageBox(nullptr, Name + "\nPath does not exist.\nPlease verify the correct path was given.",
                 title_.empty() ? Caption : title_, MB_OK | MB_ICONWARNING);
    return false;
  }
  return true;
}

bool TOpenDialog::Accept(std::string& Name) {
  AddDefaultExt(Name);
  std::error_code ec;
  if ((options_ & ofFileMustExist) && !std::filesystem::exists(Name, ec)) {
    ::MessageBox(nullptr, Name + "\nFile not found.\nPlease verify the correct file name was given.",
                 title_.empty() ? "Open" : title_, MB_OK | MB_ICONWARNING);
    return false;
  }
  return PathAccepted(Name, "Open");
}

bool TSaveDialog::Accept(std::string& Name) {
  AddDefaultExt(Name);
  if (!PathAccepted(Name, "Save As")) return false;
  std::error_code ec;
  if ((options_ & ofOverwritePrompt) && std::filesystem::exists(Name, ec)) {
    int r = ::MessageBox(nullptr, Name + " already exists.\nDo you want to replace it?",
                         title_.empty() ? "Confirm Save As" : title_, MB_YESNO | MB_ICONWARNING);
    return r == IDYES;
  }
  return true;
}

bool TOpenDialog::Execute() {
  if (OnShow) OnShow(this);
  TDialogRequest r;
  r.Kind = Kind();
  r.Caption = title_;
  r.Filter = filter_;
  r.FilterIndex = filterIndex_;
  r.InitialDir = initialDir_;
  r.FileName = fileName_;
  r.DefaultExt = defaultExt_;
  r.Options = options_;
  SetOwner(r);
  TDialogAnswer a;
  std::string chosen;
  int index = filterIndex_;
  std::vector<std::string> many;
  if (gResponder && gResponder->Answer(r, a)) {
    chosen = a.Result == mrOk ? a.FileName : std::string();
    index = a.FilterIndex;
    many = a.Files;
  } else if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
    QStringList filters;
    for (const auto& f : ParseFilter(filter_)) {
      QString pat = ToQString(f.second).replace(';', ' ');
      // Most descriptions name their patterns already ("mem files (*.mem)"): not twice.
      const QString desc = ToQString(f.first);
      filters << (desc.endsWith("(" + pat + ")") ? desc : desc + " (" + pat + ")");
    }
    QFileDialog d(nullptr, ToQString(title_), ToQString(initialDir_));
    GuiPlaceDialog(d, r);
    d.setNameFilters(filters);
    if (filterIndex_ >= 1 && filterIndex_ <= filters.size()) d.selectNameFilter(filters[filterIndex_ - 1]);
    d.setAcceptMode(Kind() == dkSaveFile ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    d.setFileMode(Kind() == dkSaveFile ? QFileDialog::AnyFile
                  : (options_ & ofAllowMultiSelect) ? QFileDialog::ExistingFiles
                                                    : QFileDialog::ExistingFile);
    d.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!fileName_.empty()) d.selectFile(ToQString(fileName_));
    if (!defaultExt_.empty()) d.setDefaultSuffix(ToQString(defaultExt_));
    QObject::connect(&d, &QFileDialog::filterSelected, &d, [&](const QString& f) {
      filterIndex_ = static_cast<int>(filters.indexOf(f)) + 1;
      if (OnTypeChange) OnTypeChange(this);
      // The dialog adds the suffix itself on accepting: it must be the chosen type's.
      d.setDefaultSuffix(ToQString(defaultExt_));
    });
    if (d.exec() == QDialog::Accepted && !d.selectedFiles().isEmpty()) {
      chosen = FromQString(d.selectedFiles().front());
      for (const QString& s : d.selectedFiles()) many.push_back(FromQString(s));
      index = static_cast<int>(filters.indexOf(d.selectedNameFilter())) + 1;
    }
  }
  if (index != filterIndex_) {
    filterIndex_ = index;
    if (OnTypeChange) OnTypeChange(this);
  }
  bool ok = !chosen.empty() && Accept(chosen);
  if (ok) {
    fileName_ = chosen;
    files_->Clear();
    if (many.empty()) many.push_back(chosen);
    for (const auto& f : many) files_->Add(f);
  }
  if (OnClose) OnClose(this);
  return ok;
}

bool TColorDialog::Execute() {
  if (OnShow) OnShow(this);
  TDialogRequest r;
  r.Kind = dkColor;
  r.Color = color_;
  SetOwner(r);
  TDialogAnswer a;
  bool ok = false;
  if (gResponder && gResponder->Answer(r, a)) {
    ok = a.Result == mrOk;
    if (ok) color_ = a.Color;
  } else if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
    const int32_t v = ColorToRGB(color_);
    QColorDialog d(QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF));
    GuiPlaceDialog(d, r);
    ok = d.exec() == QDialog::Accepted;
    const QColor c = d.selectedColor();
    ok = ok && c.isValid();
    if (ok) color_ = RGB(c.red(), c.green(), c.blue());
  }
  if (OnClose) OnClose(this);
  return ok;
}

TFontDialog::TFontDialog(TComponent* AOwner) : TCommonDialog(AOwner), font_(new TFont) {}

bool TFontDialog::Execute() {
  if (OnShow) OnShow(this);
  TDialogRequest r;
  r.Kind = dkFont;
  r.FontName = font_->Name();
  r.FontSize = font_->Size();
  r.FontStyle = font_->Style();
  SetOwner(r);
  TDialogAnswer a;
  bool ok = false;
  if (gResponder && gResponder->Answer(r, a)) {
    ok = a.Result == mrOk;
  } else if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
    QFont start(ToQString(font_->Name()), font_->Size());
    start.setBold(font_->Style() & fsBold);
    start.setItalic(font_->Style() & fsItalic);
    start.setUnderline(font_->Style() & fsUnderline);
    start.setStrikeOut(font_->Style() & fsStrikeOut);
    QFontDialog d(start);
    GuiPlaceDialog(d, r);
    ok = d.exec() == QDialog::Accepted;
    const QFont f = d.selectedFont();
    a.FontName = FromQString(f.family());
    a.FontSize = f.pointSize();
    a.FontStyle = (f.bold() ? TFontStyles(fsBold) : 0u) | (f.italic() ? TFontStyles(fsItalic) : 0u) |
                  (f.underline() ? TFontStyles(fsUnderline) : 0u) | (f.strikeOut() ? TFontStyles(fsStrikeOut) : 0u);
  }
  if (ok) {
    if (!a.FontName.empty()) font_->SetName(a.FontName);
    if (a.FontSize > 0) font_->SetSize(a.FontSize);
    font_->SetStyle(a.FontStyle);
  }
  if (OnClose) OnClose(this);
  return ok;
}

// The device window's file commands, recent files, printout and Reset Grid.
#include <algorithm>
#include <vector>

#include "app/bus/MainHost.h"
#include "controls/grid/ExtGrid.h"
#include "devices/Longi2c.h"
#include "platform/gui/Printers.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"

namespace {
constexpr const char* DefinitionFilter = "Definition files (*.def)|*.def|All files (*.*)|*.*";

// A recent file's path cut in the middle to what a menu can show: a path longer than the
// screen would push the whole menu out of sight. Whole characters are kept, in the path's own
// encoding; the item's hint holds the whole path.
std::string ShortPath(const std::string& s) {
  constexpr size_t kKeep = 32;  // characters on each side of the cut
  std::vector<size_t> starts;   // where each character begins
  if (IsValidUtf8(s)) {
    char32_t c;
    for (size_t i = 0; i < s.size();) {
      starts.push_back(i);
      DecodeUtf8Char(s, i, c);
    }
  } else {
    for (size_t i = 0; i < s.size(); ++i) starts.push_back(i);
  }
  if (starts.size() <= 2 * kKeep + 3) return s;
  return s.substr(0, starts[kKeep]) + "..." + s.substr(starts[starts.size() - kKeep]);
}

// A menu shows "&" as an accelerator mark; doubled it shows as itself.
std::string MenuText(const std::string& s) {
  std::string r;
  for (char c : s) {
    r += c;
    if (c == '&') r += '&';
  }
  return r;
}
}  // namespace

bool TfrmLongI2C::AskToSave(const std::string& Question) {
  if (!Longi2c::Modified) return true;
  if (MessageDlg(Question, mtConfirmation, mbYes | mbNo, 0) != mrYes) return true;
  if (!mnuSaveClick(this)) return false;  // cancelled or failed: the caller stops
  ReleaseToolWindows();
  return true;
}

void TfrmLongI2C::ApplyDefinition(const TDeviceDefinition& Def, TColor Even, TColor Odd) {
  edtAddress->SetText(Def.Address);  // the address rule clears bit 0 and sets the device address
  Longi2c::MaxRegister = std::clamp(Def.MaxRegister, 0, DeviceRegisters - 1);
  SetDeviceName(Def.Name);
  for (int i = 0; i < DeviceRegisters; ++i) {
    if (i <= Longi2c::MaxRegister) {
      SetRegisterText(i, Def.Values[i]);
      Longi2c::RegisterDescriptions[i] = Def.Descriptions[i];
    } else {
      SetRegisterText(i, "");
      Longi2c::RegisterDescriptions[i] = "Undefined Register";
    }
  }
  ShowRegisterCount(Even, Odd);
  ShowToolNames();
}

void TfrmLongI2C::OpenFile(const std::string& FileName, bool Recent) {
  // A copy: the name may be the open dialog's own, which is cleared below.
  const std::string Name = FileName;
  TDefinitionRepairs fixes;
  TDeviceDefinition def;
  try {
    def = ReadDefinitionFile(Name, &fixes);
  } catch (const Exception& e) {
    MessageDlg(e.Message(), mtError, mbOK, 0);
    return;  // the device stays as it was
  }
  SetCaption(ExtractFileName(Name));
  ApplyDefinition(def, Recent ? clWindow : clInfoBk, Recent ? clWindow : clWhite);
  UpdateMRU(Name);
  Longi2c::FileName = Name;
  opnDialog->SetFileName("");
  Longi2c::Modified = false;
  stgMemoryClick(this);
  if (fixes.Any()) MessageDlg(ExtractFileName(Name) + ":\n" + fixes.Describe(), mtWarning, mbOK, 0);
}

void TfrmLongI2C::mnuLoadClick(TObject*) {
  if (!AskToSave("Save changes?")) return;
  if (MainHost) MainHost->ResetWarning();
  if (!opnDialog->Execute()) return;
  OpenFile(opnDialog->FileName(), false);
}

void TfrmLongI2C::mru1Click(int Index) {
  const auto& files = Longi2c::RecentFiles.Files();
  if (Index < 0 || Index >= static_cast<int>(files.size())) return;
  const std::string name = files[static_cast<size_t>(Index)];
  if (!FileExists(name)) {
    MessageDlg("File does not exist", mtWarning, mbOK, 0);
    Longi2c::RecentFiles.Remove(name);
    const size_t count = Longi2c::RecentFiles.Files().size();
    if (count < mru.size()) mru[count]->SetVisible(false);
    DisplayMRU();
    return;
  }
  if (!AskToSave("Save changes?")) return;
  if (MainHost) MainHost->ResetWarning();
  OpenFile(name, true);
}

bool TfrmLongI2C::mnuSaveClick(TObject* Sender) {
  if (Longi2c::FileName.empty()) return mnuSaveAsClick(Sender);
  SaveAsDialog->SetDefaultExt("def");
  try {
    WriteDefinitionFile(Longi2c::FileName, Definition(), dsSave);
  } catch (const Exception& e) {
    MessageDlg(e.Message(), mtError, mbOK, 0);
    return false;
  }
  UpdateMRU(Longi2c::FileName);
  Longi2c::Modified = false;
  return true;
}

bool TfrmLongI2C::mnuSaveAsClick(TObject*) {
  SaveAsDialog->SetFilter(DefinitionFilter);
  SaveAsDialog->SetDefaultExt("def");
  SaveAsDialog->SetTitle("Save Device Information");
  if (!SaveAsDialog->Execute()) return false;
  const std::string name = SaveAsDialog->FileName();
  try {
    WriteDefinitionFile(name, Definition(), dsSaveAs);
  } catch (const Exception& e) {
    MessageDlg(e.Message(), mtError, mbOK, 0);
    return false;
  }
  UpdateMRU(name);
  Longi2c::FileName = name;
  Longi2c::Modified = false;
  return true;
}

void TfrmLongI2C::mnuSaveASCIIClick(TObject*) {
  SaveAsDialog->SetTitle("Save Register Data in Text Format");
  SaveAsDialog->SetFilter("Text files (*.txt)|*.txt|All files (*.*)|*.*");
  SaveAsDialog->SetDefaultExt("txt");
  SaveAsDialog->SetFileName("");
  if (SaveAsDialog->Execute()) {
    try {
      WriteExportFile(SaveAsDialog->FileName(), Definition());
    } catch (const Exception& e) {
      MessageDlg(e.Message(), mtError, mbOK, 0);
    }
  }
  SaveAsDialog->SetFileName("");
}

void TfrmLongI2C::mnuPrintClick(TObject*) {
  if (!PrintDialog) {
    PrintDialog = new TPrintDialog(this);
    PrintDialog->SetName("PrintDialog");
  }
  if (!PrintDialog->Execute()) return;
  try {
    PrintTextLines(PrintoutLines(Definition(), Caption()), "Courier New", "Velmaron device " + DeviceName());
  } catch (const Exception& e) {
    MessageDlg(e.Message(), mtError, mbOK, 0);
  }
}

void TfrmLongI2C::ResetGridClick(TObject*) {
  if (MessageDlg("Are you sure you want to reset the grid?", mtConfirmation, mbYes | mbNo, 0) != mrYes) return;
  ReleaseToolWindows();
  StartUp();
  // Read again from the settings: files opened since the window came are dropped with the device.
  LoadMRU();
  // An item past the list read would open nothing.
  for (size_t i = Longi2c::RecentFiles.Files().size(); i < mru.size(); ++i) mru[i]->SetVisible(false);
  DisplayMRU();
  ShowRegisterCount(clInfoBk, clWhite);
  SetCaption("Unknown Device");
  SetDeviceName("Unknown Device");  // a save of the blank device must not take the old one's name
  stgMemoryClick(this);
}

void TfrmLongI2C::LoadMRU() { Longi2c::RecentFiles.Load(); }

void TfrmLongI2C::DisplayMRU() {
  const auto& files = Longi2c::RecentFiles.Files();
  for (size_t i = 0; i < files.size() && i < mru.size(); ++i) {
    mru[i]->SetCaption(MenuText(ShortPath(files[i])));
    mru[i]->SetHint(files[i]);
    mru[i]->SetVisible(true);
  }
  MRUDiv->SetVisible(mru[0]->Visible());
}

void TfrmLongI2C::UpdateMRU(const std::string& Name) {
  Longi2c::RecentFiles.Update(Name);
  DisplayMRU();
}

void TfrmLongI2C::WriteMRU() {
  std::string error;
  if (!Longi2c::RecentFiles.Write(&error) && MainHost) MainHost->Notice(error);
}

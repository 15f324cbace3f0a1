#include "devices/Longi2cFile.h"

#include <algorithm>
#include <cstdlib>

#include "app/bus/ByteText.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/SysUtils.h"

namespace {

constexpr const char* DeviceData = "Device Data";
constexpr const char* RegisterData = "Register Data";
constexpr const char* RegisterDescription = "Register Description";
constexpr const char* Undefined = "Undefined Register";

bool IsHex2(const std::string& s) {
  return s.size() == 2 && std::isxdigit(static_cast<unsigned char>(s[0])) &&
         std::isxdigit(static_cast<unsigned char>(s[1]));
}

// A line break inside a value would start a key of its own in the file.
std::string OneLine(const std::string& s) {
  std::string r = s;
  for (char& c : r)
    if (c == '\r' || c == '\n') c = ' ';
  return r;
}

// "MaxRegister" as the file gives it: a decimal integer, else the default.
int ReadMaxRegister(const TIniText& ini, bool& outOfRange) {
  std::string text;
  outOfRange = false;
  if (!ini.Find(DeviceData, "MaxRegister", text)) return DeviceRegisters - 1;
  text = Trim(text);
  if (text.empty() || text.size() > 12) {
    // Twelve characters hold every int; a longer number is out of range.
    bool digits = !text.empty() && std::all_of(text.begin() + (text[0] == '-' || text[0] == '+'), text.end(),
                                               [](char c) { return c >= '0' && c <= '9'; });
    if (!digits) return DeviceRegisters - 1;
    outOfRange = true;
    return text[0] == '-' ? 0 : DeviceRegisters - 1;
  }
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0') return DeviceRegisters - 1;
  if (v < 0 || v > DeviceRegisters - 1) {
    outOfRange = true;
    return v < 0 ? 0 : DeviceRegisters - 1;
  }
  return static_cast<int>(v);
}

// A definition file is a few kilobytes; far more is not one (and is not read whole).
constexpr int64_t LargestDefinitionFile = 16 * 1024 * 1024;

std::string Slurp(const std::string& FileName) { return LoadRegularFileBytes(FileName, LargestDefinitionFile); }

}  // namespace

TDeviceDefinition::TDeviceDefinition() {
  Values.fill("FF");
  Descriptions.fill(Undefined);
}

std::string TDefinitionRepairs::Describe() const {
  std::string s;
  if (MaxRegisterOutOfRange) s += "The register count was outside 1 to 256; it was set to the nearest of them.\n";
  if (BadAddress) s += "The device address was not two hex digits; it was set to 00.\n";
  if (BadValues > 0)
    s += IntToStr(BadValues) + (BadValues == 1 ? " register value was" : " register values were") +
         " not two hex digits; they are marked \"XX\" and are neither read nor written one by one.\n";
  return s;
}

namespace {

TDeviceDefinition FromIni(const TIniText& ini, TDefinitionRepairs* Repairs) {
  TDeviceDefinition def;
  TDefinitionRepairs fixes;

  std::string address;
  if (ini.Find(DeviceData, "Address", address)) {
    address = UpperCase(Trim(address));
    if (IsHex2(address)) {
      def.Address = address;
    } else {
      def.Address = "00";
      fixes.BadAddress = true;
    }
  }
  def.MaxRegister = ReadMaxRegister(ini, fixes.MaxRegisterOutOfRange);
  std::string name;
  if (ini.Find(DeviceData, "Name", name)) def.Name = name;

  for (int i = 0; i <= def.MaxRegister; ++i) {
    const std::string key = IntToStr(i);
    std::string value;
    if (ini.Find(RegisterData, key, value)) {
      const std::string v = Trim(value);
      if (v.empty()) {
        def.Values[i] = "FF";
      } else if (UpperCase(v) == "XX") {
        def.Values[i] = "XX";
      } else if (IsByteCellText(v)) {
        def.Values[i] = NormalizeByteCell(v);
      } else {
        def.Values[i] = "XX";
        ++fixes.BadValues;
      }
    }
    std::string description;
    if (ini.Find(RegisterDescription, key, description)) def.Descriptions[i] = description;
  }
  if (Repairs) *Repairs = fixes;
  return def;
}

}  // namespace

TDeviceDefinition ParseDefinition(std::string_view Text, TDefinitionRepairs* Repairs) {
  TIniText ini;
  ini.Parse(Text);
  return FromIni(ini, Repairs);
}

TDeviceDefinition ReadDefinitionFile(const std::string& FileName, TDefinitionRepairs* Repairs) {
  TIniText ini;
  ini.Parse(Slurp(FileName));
  // A file with none of our sections (empty, another kind of file) would open as a
  // blank device and replace the one the user has.
  const auto sections = ini.Sections();
  const bool ours = std::any_of(sections.begin(), sections.end(), [](const std::string& s) {
    return SameText(Trim(s), DeviceData) || SameText(Trim(s), RegisterData) || SameText(Trim(s), RegisterDescription);
  });
  if (!ours)
    throw EReadError("\"" + FileName + "\" is not a device definition file: it has none of the sections [" +
                     DeviceData + "], [" + RegisterData + "] and [" + RegisterDescription + "].");
  return FromIni(ini, Repairs);
}

void WriteDefinition(TCustomIniFile& Ini, const TDeviceDefinition& Def, TDefinitionSave How) {
  const int last = std::clamp(Def.MaxRegister, 0, DeviceRegisters - 1);
  Ini.WriteString(DeviceData, "Address", OneLine(Def.Address));
  Ini.WriteString(DeviceData, "MaxRegister", IntToStr(last));
  Ini.WriteString(DeviceData, "Name", OneLine(Def.Name));
  if (How == dsSaveAs) Ini.EraseSection(RegisterData);
  for (int i = 0; i <= last; ++i) {
    Ini.WriteString(RegisterData, IntToStr(i), OneLine(Def.Values[i]));
    Ini.WriteString(RegisterDescription, IntToStr(i), OneLine(Def.Descriptions[i]));
  }
}

namespace {

// A new file in the layout the INI writer gives, built in one pass.
std::string NewDefinitionText(const TDeviceDefinition& Def) {
  const int last = std::clamp(Def.MaxRegister, 0, DeviceRegisters - 1);
  std::string t;
  t.reserve(static_cast<size_t>(last + 1) * 40 + 128);
  t += std::string("[") + DeviceData + "]\r\nAddress=" + OneLine(Def.Address) + "\r\nMaxRegister=" + IntToStr(last) +
       "\r\nName=" + OneLine(Def.Name) + "\r\n\r\n[" + RegisterData + "]\r\n";
  for (int i = 0; i <= last; ++i) t += IntToStr(i) + "=" + OneLine(Def.Values[i]) + "\r\n";
  t += std::string("\r\n[") + RegisterDescription + "]\r\n";
  for (int i = 0; i <= last; ++i) t += IntToStr(i) + "=" + OneLine(Def.Descriptions[i]) + "\r\n";
  return t;
}

std::string NewExportText(const TDeviceDefinition& Def) {
  const int last = std::clamp(Def.MaxRegister, 0, DeviceRegisters - 1);
  std::string t = std::string("[") + DeviceData + "]\r\nAddress=" + OneLine(Def.Address) +
                  "\r\nMaxRegister=" + IntToStr(last) + "\r\n\r\n[" + RegisterData + "]\r\n";
  for (int i = 0; i <= last; ++i)
    t += IntToHex(i, 2) + "=" + OneLine(Def.Values[i] + "  ;" + Def.Descriptions[i]) + "\r\n";
  return t;
}

void WriteExport(TCustomIniFile& Ini, const TDeviceDefinition& Def) {
  const int last = std::clamp(Def.MaxRegister, 0, DeviceRegisters - 1);
  Ini.WriteString(DeviceData, "Address", OneLine(Def.Address));
  Ini.WriteString(DeviceData, "MaxRegister", IntToStr(last));
  for (int i = 0; i <= last; ++i)
    Ini.WriteString(RegisterData, IntToHex(i, 2), OneLine(Def.Values[i] + "  ;" + Def.Descriptions[i]));
}

// Writes through the INI-file class into what the file holds; an empty or missing
// file gets the new file's text at once.
template <class Write, class Fresh>
std::string IntoText(std::string_view Existing, Write write, Fresh fresh) {
  if (Existing.empty()) return fresh();
  TMemIniFile ini("");
  ini.SetText(Existing);
  write(ini);
  return ini.Text();
}

// The file as a save changes it in part, written back atomically.
template <class Write, class Fresh>
void IntoFile(const std::string& FileName, Write write, Fresh fresh) {
  TMemIniFile ini("");
  ini.OpenForUpdate(FileName, LargestDefinitionFile);
  ini.SetText(IntoText(ini.Text(), write, fresh));
  ini.UpdateFile();
}

}  // namespace

std::string DefinitionText(const TDeviceDefinition& Def, std::string_view Existing, TDefinitionSave How) {
  return IntoText(
      Existing, [&](TCustomIniFile& ini) { WriteDefinition(ini, Def, How); }, [&] { return NewDefinitionText(Def); });
}

void WriteDefinitionFile(const std::string& FileName, const TDeviceDefinition& Def, TDefinitionSave How) {
  IntoFile(
      FileName, [&](TCustomIniFile& ini) { WriteDefinition(ini, Def, How); }, [&] { return NewDefinitionText(Def); });
}

std::string ExportText(const TDeviceDefinition& Def, std::string_view Existing) {
  return IntoText(Existing, [&](TCustomIniFile& ini) { WriteExport(ini, Def); }, [&] { return NewExportText(Def); });
}

void WriteExportFile(const std::string& FileName, const TDeviceDefinition& Def) {
  IntoFile(FileName, [&](TCustomIniFile& ini) { WriteExport(ini, Def); }, [&] { return NewExportText(Def); });
}

std::vector<std::string> PrintoutLines(const TDeviceDefinition& Def, const std::string& Caption) {
  std::vector<std::string> lines;
  const int last = std::clamp(Def.MaxRegister, 0, DeviceRegisters - 1);
  lines.reserve(static_cast<size_t>(last) + 4);
  lines.push_back("Device Name is: " + Caption);
  lines.push_back("Device Address is: 0x" + Def.Address);
  lines.push_back("Register  Value  Register Description");
  for (int i = 0; i <= last; ++i)
    lines.push_back("  0x" + IntToHex(i, 2) + "     " + Def.Values[i] + "    ;" + Def.Descriptions[i]);
  return lines;
}

// ---------------------------------------------------------------- recent files

void TRecentFiles::Load() {
  files_.clear();
  changed_ = false;
  TRegistry reg;
  // The key is made here when missing; a store that cannot take it is still read.
  if (!reg.OpenKey(RecentFilesKey, true) && !reg.OpenKeyReadOnly(RecentFilesKey)) return;
  for (int n = 1; n <= RecentFilesMax; ++n) {
    const std::string name = "MRU" + IntToStr(n);
    if (!reg.ValueExists(name)) break;
    std::string file;
    try {
      file = reg.ReadString(name);
    } catch (const Exception&) {
      break;  // a value of another type ends the list as a missing one does
    }
    if (file.empty()) break;
    files_.push_back(file);
  }
}

bool TRecentFiles::Write(std::string* Error) {
  if (!changed_) return true;
  try {
    TRegistry reg;
    if (!reg.OpenKey(RecentFilesKey, true)) {
      if (Error) *Error = "The recent-files list could not be stored in the settings.";
      return false;
    }
    for (int n = 1; n <= RecentFilesMax; ++n) {
      const std::string name = "mru" + IntToStr(n);
      if (reg.ValueExists(name)) reg.DeleteValue(name);
    }
    reg.WriteInteger("numMRUs", static_cast<int>(files_.size()));
    for (size_t i = 0; i < files_.size() && i < RecentFilesMax; ++i)
      reg.WriteString("mru" + IntToStr(static_cast<int>(i) + 1), files_[i]);
    reg.CloseKey();
  } catch (const Exception& e) {
    if (Error) *Error = e.Message();
    return false;
  }
  changed_ = false;
  return true;
}

void TRecentFiles::Update(const std::string& FileName) {
  changed_ = true;
  // Paths are compared as the file system compares them: on Linux two names that
  // differ only in case are two files.
  auto it = std::find(files_.begin(), files_.end(), FileName);
  if (it != files_.end()) files_.erase(it);
  files_.insert(files_.begin(), FileName);
  if (files_.size() > RecentFilesMax) files_.resize(RecentFilesMax);
}

void TRecentFiles::Remove(const std::string& FileName) {
  auto it = std::find(files_.begin(), files_.end(), FileName);
  if (it == files_.end()) return;
  files_.erase(it);
  changed_ = true;
}

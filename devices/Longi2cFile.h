#pragma once
// The user-definable device's files, without any window: the definition file
// (INI sections "Device Data", "Register Data", "Register Description"), the
// register export in text form, the printout's lines and the list of recent
// definition files kept in the registry.

#include <array>
#include <string>
#include <string_view>
#include <vector>

class TCustomIniFile;

constexpr int DeviceRegisters = 256;

// One device as a file holds it. Only registers 0 to MaxRegister count.
struct TDeviceDefinition {
  std::string Address = "00";  // two upper-case hex digits (bit 0 as stored)
  int MaxRegister = 255;       // 0 to 255: register count minus one
  std::string Name = "Unknown Device";
  std::array<std::string, DeviceRegisters> Values;        // cell texts: two hex digits or "XX"
  std::array<std::string, DeviceRegisters> Descriptions;  // "Undefined Register" when none
  TDeviceDefinition();
};

// What reading a file had to mend, for the user.
struct TDefinitionRepairs {
  bool MaxRegisterOutOfRange = false;  // outside 0 to 255: clamped
  bool BadAddress = false;             // not two hex digits: "00"
  int BadValues = 0;                   // values that are neither a byte nor "XX": marked "XX"
  bool Any() const { return MaxRegisterOutOfRange || BadAddress || BadValues > 0; }
  std::string Describe() const;
};

// Reads a definition from the text of a file; never fails: missing keys take
// their defaults and hostile values are mended as TDefinitionRepairs says.
TDeviceDefinition ParseDefinition(std::string_view Text, TDefinitionRepairs* Repairs = nullptr);
// Reads the file; raises EFOpenError when it cannot be read and EReadError when
// it holds none of the definition's sections.
TDeviceDefinition ReadDefinitionFile(const std::string& FileName, TDefinitionRepairs* Repairs = nullptr);

// How a definition goes into a file. Both write the device keys, then the keys of
// registers 0 to MaxRegister in both register sections, and leave every other key
// of the file as it was; Save As first erases the whole "Register Data" section
// (an old "Register Description" section keeps its higher keys).
enum TDefinitionSave { dsSave, dsSaveAs };

// Writes Def through the INI-file class as Save or Save As does.
void WriteDefinition(TCustomIniFile& Ini, const TDeviceDefinition& Def, TDefinitionSave How);
// The file's text after writing Def into Existing.
std::string DefinitionText(const TDeviceDefinition& Def, std::string_view Existing, TDefinitionSave How);
// Writes the definition into the file, created when missing (a temporary file renamed
// over the target: a failed save keeps the old file). Raises EFOpenError when the file
// is there but cannot be read, EFCreateError / EWriteError.
void WriteDefinitionFile(const std::string& FileName, const TDeviceDefinition& Def, TDefinitionSave How);

// The register export: "Device Data" with "Address" and "MaxRegister", then
// "Register Data" keys "00" to the last register: value + "  ;" + description,
// written into Existing (or the file) as Save writes, other keys left in place.
std::string ExportText(const TDeviceDefinition& Def, std::string_view Existing = {});
void WriteExportFile(const std::string& FileName, const TDeviceDefinition& Def);

// The printout's lines: name, address, header, one line per register.
std::vector<std::string> PrintoutLines(const TDeviceDefinition& Def, const std::string& Caption);

// The recent definition files, most recent first, at most four, kept in the
// registry under RecentFilesKey.
inline constexpr const char* RecentFilesKey = "\\Software\\Tellivar\\Velmaron\\MRUS";
constexpr int RecentFilesMax = 4;

class TRecentFiles {
 public:
  // Reads "MRU1" to "MRU4" until one is missing (value names without case).
  void Load();
  // Writes the list when it changed: "mru1".. and "numMRUs"; old entries go.
  // Returns false (with the reason in Error) when the store could not be written.
  bool Write(std::string* Error = nullptr);
  // Puts the name at the top (moving it when it is there already).
  void Update(const std::string& FileName);
  void Remove(const std::string& FileName);
  const std::vector<std::string>& Files() const { return files_; }
  bool Changed() const { return changed_; }

 private:
  std::vector<std::string> files_;
  bool changed_ = false;
};

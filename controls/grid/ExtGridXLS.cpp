// The spreadsheet import. Linux has no spreadsheet automation server; where LibreOffice is
// installed it converts the sheet to CSV (UTF-8, comma, quotes) in a private folder, and the
// CSV import reads that.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "controls/grid/ExtGrid.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/Process.h"
#include "platform/rtl/SysUtils.h"

namespace fs = std::filesystem;

namespace {
// The office program on PATH, "" when there is none.
std::string FindOffice() {
  const char* path = std::getenv("PATH");
  std::string p = path ? path : "";
  size_t i = 0;
  while (i <= p.size()) {
    size_t e = p.find(':', i);
    if (e == std::string::npos) e = p.size();
    std::string dir = p.substr(i, e - i);
    for (const char* name : {"soffice", "libreoffice"}) {
      fs::path f = fs::path(dir.empty() ? "." : dir) / name;
      std::error_code ec;
      if (fs::is_regular_file(f, ec) && ::access(f.c_str(), X_OK) == 0) return f.string();
    }
    i = e + 1;
  }
  return std::string();
}

// A folder only this run uses, removed with everything in it when the import ends.
struct TPrivateDir {
  fs::path Path;
  TPrivateDir() {
    std::string t = (fs::temp_directory_path() / "velmaron-sheet-XXXXXX").string();
    if (::mkdtemp(t.data())) Path = t;
  }
  ~TPrivateDir() {
    std::error_code ec;
    if (!Path.empty()) fs::remove_all(Path, ec);
  }
};

// Seconds the office program may take for one conversion.
constexpr int kConvertSeconds = 120;
}  // namespace

void TExtStringGrid::LoadXLSSheet(const std::string& FileName, const std::string& SheetName) {
  const TCursor saved = Screen->Cursor();
  Screen->SetCursor(crHourGlass);
  struct TRestore {
    TCursor c;
    ~TRestore() { Screen->SetCursor(c); }
  } restore{saved};

  const std::string office = FindOffice();
  if (office.empty()) throw EExtGridError("Excel OLE server not found");
  std::error_code ec;
  const fs::path source = fs::absolute(FileName, ec);
  if (ec || !fs::is_regular_file(source, ec)) throw EExtGridError("Cannot open file " + FileName);
  TPrivateDir dir;
  if (dir.Path.empty()) throw EExtGridError("Cannot open file " + FileName + " (no temporary folder)");
  // Comma, double quote, UTF-8, from line 1, formulas as their values; with a sheet asked for,
  // every sheet to its own file ("<name>-<sheet>.csv").
  std::string filter = "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false";
  if (!SheetName.empty()) filter += ",-1";
  const std::vector<std::string> argv = {
      "timeout", "-k", "5", std::to_string(kConvertSeconds), office, "--headless", "--norestore", "--nolockcheck",
      "-env:UserInstallation=file://" + (dir.Path / "profile").string(), "--convert-to", filter, "--outdir",
      (dir.Path / "out").string(), source.string()};
  const int code = ProcessLauncher().RunAndWait(argv, (dir.Path / "log").string());
  const std::string stem = source.stem().string();
  fs::path csv = dir.Path / "out" / (stem + (SheetName.empty() ? "" : "-" + SheetName) + ".csv");
  if (!fs::is_regular_file(csv, ec)) {
    if (code != 0 || !fs::exists(dir.Path / "out", ec) || SheetName.empty())
      throw EExtGridError("Cannot open file " + FileName + " (the office program could not read it)");
    throw EExtGridError("Excel worksheet " + SheetName + " not found");
  }
  // The used range becomes the grid, after the fixed cells when they are left out.
  std::string text = LoadRegularFileBytes(csv.string(), int64_t(1) << 30);
  const int fixedCols = FixedCols(), fixedRows = FixedRows();
  const char delimiter = Delimiter;
  const bool tilde = TildeLineBreaks, oem = OemConvert;
  Delimiter = ',';
  TildeLineBreaks = OemConvert = false;
  TSize used;
  try {
    used = ImportCSVText(text, false, FileName);
  } catch (...) {
    Delimiter = delimiter;
    TildeLineBreaks = tilde;
    OemConvert = oem;
    throw;
  }
  Delimiter = delimiter;
  TildeLineBreaks = tilde;
  OemConvert = oem;
  const int startCol = IncludeFixedCells ? 0 : fixedCols;
  if (used.cx > 0) SetColCount(startCol + used.cx);
  if (ColCount() > fixedCols) SetFixedCols(fixedCols);
  if (RowCount() > fixedRows) SetFixedRows(fixedRows);
}

void TExtStringGrid::LoadXLSFile(const std::string& FileName) { LoadXLSSheet(FileName, std::string()); }

// The spreadsheet import. Linux has no spreadsheet automation server; where LibreOffice is
// installed it converts the sheet to CSV (UTF-8, comma, quotes) in a private folder, and the
// CSV import reads that.
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "controls/grid/ExtGrid.h"
#include "platform/grid/GridStore.h"
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

// The texts the office program writes for a formula's error value.
bool IsErrorValue(const std::string& V) {
  static const char* const kErrors[] = {"#DIV/0!", "#N/A", "#NAME?", "#NULL!", "#NUM!", "#REF!", "#VALUE!"};
  for (const char* e : kErrors)
    if (V == e) return true;
  return V.size() > 4 && V.compare(0, 4, "Err:") == 0 &&
         V.find_first_not_of("0123456789", 4) == std::string::npos;
}

// The records of the office program's CSV (comma, double quotes doubled inside quoted fields).
std::vector<std::vector<std::string>> CsvRecords(const std::string& Text) {
  std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
  bool quoted = false;
  for (size_t i = 0; i < Text.size(); ++i) {
    const char ch = Text[i];
    std::string& field = records.back().back();
    if (quoted) {
      if (ch != '"') field += ch;
      else if (i + 1 < Text.size() && Text[i + 1] == '"') field += '"', ++i;
      else quoted = false;
    } else if (ch == '"') {
      quoted = true;
    } else if (ch == ',') {
      records.back().emplace_back();
    } else if (ch == '\n') {
      records.emplace_back(1);
    } else if (ch != '\r') {
      field += ch;
    }
  }
  return records;
}
// The first row and column that hold a value or a formula: the used range's top-left corner.
// The office program's CSV starts at cell A1 whatever the sheet uses.
TPoint UsedOrigin(const std::vector<std::vector<std::string>>& Values,
                  const std::vector<std::vector<std::string>>& Formulas) {
  size_t top = SIZE_MAX, left = SIZE_MAX;
  for (const auto* records : {&Values, &Formulas})
    for (size_t r = 0; r < records->size(); ++r)
      for (size_t c = 0; c < (*records)[r].size(); ++c)
        if (!(*records)[r][c].empty()) {
          top = std::min(top, r);
          left = std::min(left, c);
        }
  if (top == SIZE_MAX) return TPoint(0, 0);
  return TPoint(static_cast<int>(std::min<size_t>(left, INT_MAX)),
                static_cast<int>(std::min<size_t>(top, INT_MAX)));
}

// The records from Origin on, written back as CSV (every field quoted, quotes doubled).
std::string CsvFrom(const std::vector<std::vector<std::string>>& Records, TPoint Origin) {
  std::string out;
  // The record after the last line end is no row.
  size_t n = Records.size();
  if (n > 0 && Records[n - 1].size() == 1 && Records[n - 1][0].empty()) --n;
  for (size_t r = static_cast<size_t>(Origin.Y); r < n; ++r) {
    for (size_t c = static_cast<size_t>(Origin.X); c < Records[r].size(); ++c) {
      if (c > static_cast<size_t>(Origin.X)) out += ',';
      out += '"';
      for (char ch : Records[r][c]) {
        if (ch == '"') out += '"';
        out += ch;
      }
      out += '"';
    }
    out += "\r\n";
  }
  return out;
}
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
  // An error value is no value: it is skipped. The CSV writes it as the text it shows, so a
  // second conversion with the formulas tells a formula's error from a text that reads the same.
  std::vector<std::vector<std::string>> formulas;
  if (text.find('#') != std::string::npos || text.find("Err:") != std::string::npos) {
    std::string withFormulas = filter;
    withFormulas.replace(withFormulas.find("false,true,false,false,false"), 28, "false,true,false,true,false");
    std::vector<std::string> again = argv;
    again[again.size() - 4] = withFormulas;
    again[again.size() - 2] = (dir.Path / "formulas").string();
    ProcessLauncher().RunAndWait(again, (dir.Path / "log2").string());
    const fs::path f = dir.Path / "formulas" / csv.filename();
    if (fs::is_regular_file(f, ec)) formulas = CsvRecords(LoadRegularFileBytes(f.string(), int64_t(1) << 30));
  }
  // The used range's top-left cell becomes the first imported cell.
  const std::vector<std::vector<std::string>> values = CsvRecords(text);
  const TPoint origin = UsedOrigin(values, formulas);
  if (origin.X > 0 || origin.Y > 0) text = CsvFrom(values, origin);
  const int fixedCols = FixedCols(), fixedRows = FixedRows();
  // The cells of formulas keep what they held, for those whose value turns out an error.
  struct TFormulaCell {
    int Col, Row;
    std::string Before;
  };
  std::vector<TFormulaCell> kept;
  const int64_t firstCol = IncludeFixedCells ? 0 : fixedCols, firstRow = IncludeFixedCells ? 0 : fixedRows;
  for (size_t r = static_cast<size_t>(origin.Y);
       r < formulas.size() && firstRow + int64_t(r) - origin.Y < TGridStore::kIndexBound; ++r)
    for (size_t c = static_cast<size_t>(origin.X);
         c < formulas[r].size() && firstCol + int64_t(c) - origin.X < TGridStore::kIndexBound; ++c)
      if (!formulas[r][c].empty() && formulas[r][c][0] == '=') {
        const int gc = static_cast<int>(firstCol + int64_t(c) - origin.X),
                  gr = static_cast<int>(firstRow + int64_t(r) - origin.Y);
        kept.push_back({gc, gr, GridCells(gc, gr)});
      }
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
  for (const TFormulaCell& f : kept)
    if (f.Col < ColCount() && f.Row < RowCount() && IsErrorValue(GridCells(f.Col, f.Row))) SetGridCells(f.Col, f.Row, f.Before);
  if (used.cx > 0) SetColCount(startCol + used.cx);
  if (ColCount() > fixedCols) SetFixedCols(fixedCols);
  if (RowCount() > fixedRows) SetFixedRows(fixedRows);
}

void TExtStringGrid::LoadXLSFile(const std::string& FileName) { LoadXLSSheet(FileName, std::string()); }

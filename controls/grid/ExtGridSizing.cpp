// Column and row sizing: the stretch column, the other columns (rows) scaled
// with the one the user sizes, and column widths kept between runs.
#include <algorithm>
#include <cmath>
#include <string>

#include "controls/grid/ExtGrid.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/SysUtils.h"

namespace {

constexpr int64_t kMaxSizeFile = 1 << 20;

// Sets a flag for the lifetime of the scope.
struct TFlagScope {
  bool& Flag;
  explicit TFlagScope(bool& F) : Flag(F) { Flag = true; }
  ~TFlagScope() { Flag = false; }
};

}  // namespace

void TExtStringGrid::StretchColumn(int ACol) {
  if (ComponentState() & (csLoading | csDestroying)) return;
  if (ACol < -1 || ACol >= ColCount()) throw Exception("Stretch column index out of range");
  if (ColCount() == 0 || !columnSize_->Stretch()) return;
  const int sc = ACol == -1 ? ColCount() - 1 : ACol;
  const TFlagScope guard(sizing_.InCols);
  if (const int w = StretchedWidth(sc); w >= 0) SetColWidths(sc, w);
  sizing_.Stretched = true;
  if (floatingFooter_->Visible()) AlignSearchPanel();
}

// Every column's own grid line counts, the stretch column's too: widths without them run past the
// client and show a horizontal bar though every column fits. -1 leaves the column as it is.
int TExtStringGrid::StretchedWidth(int ACol) const {
  const int line = GridLineWidth();
  int used = 0;
  for (int c = 0; c < ColCount(); ++c) used += line + (c == ACol ? 0 : ColWidths(c));
  if (ClientWidth() > used) return ClientWidth() - used;
  return LeftCol() == FixedCols() ? DefaultColWidth() : -1;
}

void TExtStringGrid::StretchWhenParented() {
  if (!columnSize_->Stretch() || !Parent() || (ComponentState() & (csLoading | csReading | csDestroying))) return;
  StretchToClient();
}

void TExtStringGrid::NoteSizingStart(bool Cols, int Index) {
  sizing_.Cols = Cols;
  sizing_.Index = Index;
  sizing_.Start = Index < 0 ? 0 : Cols ? ColWidths(Index) : RowHeights(Index);
}

void TExtStringGrid::ColWidthsChanged() {
  // The widths written here come back through this handler: they only pass to the base.
  if (sizing_.InCols) {
    TBaseGrid::ColWidthsChanged();
    return;
  }
  const TFlagScope guard(sizing_.InCols);
  if (sizing_.Stretched && columnSize_->Stretch() && ColCount() > 0) {
    const int sc = columnSize_->StretchColumn();
    sizing_.InCols = false;
    StretchColumn(sc >= -1 && sc < ColCount() ? sc : -1);
    sizing_.InCols = true;
  }
  TBaseGrid::ColWidthsChanged();
  // The footer cells lie under the columns: they move with every width.
  if (floatingFooter_->Visible()) RepaintFooterPanel();
  if (sizing_.Cols && sizing_.Index >= 0 && press_.SizingIndex == sizing_.Index && mouseActions_->AllColumnSize)
    ScaleOtherLines(true, sizing_.Index);
  // An open control follows its cell to the cell's new place and size.
  PlaceCellEditor();
  CloseEditorOverCheckBox();
}

void TExtStringGrid::RowHeightsChanged() {
  if (sizing_.InRows) {
    TBaseGrid::RowHeightsChanged();
    return;
  }
  const TFlagScope guard(sizing_.InRows);
  TBaseGrid::RowHeightsChanged();
  if (!sizing_.Cols && sizing_.Index >= 0 && press_.SizingIndex == sizing_.Index && mouseActions_->AllRowSize)
    ScaleOtherLines(false, sizing_.Index);
  PlaceCellEditor();
  CloseEditorOverCheckBox();
}

// A check box is toggled, not edited: a size change never leaves the text editor over one. The
// typed text is already in the cell, so it is validated as when lines move.
void TExtStringGrid::CloseEditorOverCheckBox() {
  if (EditorMode() && HasCheckBox(RealColIndex(Col()), Row())) CloseEditForLines();
}

void TExtStringGrid::ScaleOtherLines(bool Cols, int Index) {
  const int start = sizing_.Start;
  // Once per sizing: the press's start size is spent.
  sizing_.Index = -1;
  const int count = Cols ? ColCount() : RowCount();
  if (start < 1 || Index >= count) return;
  const double ratio = static_cast<double>(Cols ? ColWidths(Index) : RowHeights(Index)) / start;
  for (int i = Cols ? FixedCols() : FixedRows(); i < count; ++i) {
    if (i == Index) continue;
    const double scaled = std::round((Cols ? ColWidths(i) : RowHeights(i)) * ratio);
    const int v = static_cast<int>(std::clamp(scaled, 0.0, 32767.0));
    if (Cols) SetColWidths(i, v);
    else SetRowHeights(i, v);
  }
}

// ---------------------------------------------------------------- stored widths
std::string TExtStringGrid::ColumnSizeFile() const {
  // Only the key's file name counts: the widths never go beside the program or elsewhere.
  const std::string name = ExtractFileName(columnSize_->Key);
  if (name.empty() || name == "." || name == "..") return std::string();
  return IncludeTrailingPathDelimiter(UserConfigDir()) + name;
}

void TExtStringGrid::SaveColumnSizes() {
  const TColumnSize* cs = columnSize_.get();
  if (!cs->Save || cs->Key.empty() || cs->Section.empty() || (ComponentState() & csDesigning)) return;
  // Saving runs from the destructor: a file that cannot be read or written loses only the widths,
  // and the user hears of it through the application.
  try {
    if (cs->Location == clIniFile) {
      const std::string file = ColumnSizeFile();
      if (file.empty()) return;
      ForceDirectories(ExtractFilePath(file));
      TMemIniFile ini("");
      ini.OpenForUpdate(file, kMaxSizeFile);
      for (int c = 0; c < ColCount(); ++c) ini.WriteInteger(cs->Section, "Col" + std::to_string(c), ColWidths(c));
      ini.UpdateFile();
    } else {
      TRegistry reg;
      reg.SetRootKey(HKEY_CURRENT_USER);
      if (!reg.OpenKey("\\" + cs->Key + "\\" + cs->Section, true)) return;
      for (int c = 0; c < ColCount(); ++c) reg.WriteInteger("Col" + std::to_string(c), ColWidths(c));
      reg.CloseKey();
    }
  } catch (Exception& E) {
    if (Application) Application->HandleException(this, E);
  } catch (const std::exception& e) {
    Exception E(e.what());
    if (Application) Application->HandleException(this, E);
  }
}

void TExtStringGrid::LoadColumnSizes() {
  const TColumnSize* cs = columnSize_.get();
  if (!cs->Save || cs->Key.empty() || cs->Section.empty() || (ComponentState() & csDesigning)) return;
  auto take = [this](int c, int v) {
    v = std::clamp(v, 0, MaxStoredWidth);
    if (v != ColWidths(c)) SetColWidths(c, v);
  };
  try {
    if (cs->Location == clIniFile) {
      const std::string file = ColumnSizeFile();
      if (file.empty() || !FileExists(file)) return;
      TMemIniFile ini("");
      ini.SetText(LoadRegularFileBytes(file, kMaxSizeFile));
      for (int c = 0; c < ColCount(); ++c) take(c, ini.ReadInteger(cs->Section, "Col" + std::to_string(c), ColWidths(c)));
    } else {
      TRegistry reg;
      reg.SetRootKey(HKEY_CURRENT_USER);
      if (!reg.OpenKeyReadOnly("\\" + cs->Key + "\\" + cs->Section)) return;
      for (int c = 0; c < ColCount(); ++c) {
        const std::string name = "Col" + std::to_string(c);
        if (!reg.ValueExists(name)) continue;
        try {
          take(c, reg.ReadInteger(name));
        } catch (const Exception&) {
          // A value of another type keeps the width.
        }
      }
    }
  } catch (const Exception&) {
    // A file that is no regular file or too large keeps the widths the grid has.
  }
}

// Column and row sizing: all lines scaled once with the one the user drags,
// the stretch column's index rules, and widths stored between runs.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/rtl/SysUtils.h"
#include "tests/controls/grid/GridInputFixture.h"
#include "tests/platform/rtl/TestSupport.h"

namespace {

class SizingTest : public GridInputTest {
 public:
  void Drag(int x0, int y0, int x1, int y1) {
    Mouse(QEvent::MouseButtonPress, x0, y0);
    Mouse(QEvent::MouseMove, x1, y1);
    Mouse(QEvent::MouseButtonRelease, x1, y1);
  }
};

TEST_F(SizingTest, AllColumnsSizingScalesEveryOtherColumnOnce) {
  grid->SetOptions(grid->Options() | goColSizing | goRowSizing);
  grid->MouseActions()->AllColumnSize = true;
  grid->MouseActions()->AllRowSize = true;
  Load();
  const std::vector<int> widths = {40, 50, 60, 70, 80};
  for (int c = 0; c < 5; ++c) grid->SetColWidths(c, widths[c]);
  int calls = 0, asked = -1;
  grid->OnUpdateColumnSize = [&](TObject*, int, int& w) {
    ++calls;
    asked = w;
    w += 1;  // a correction while the sizing still counts as the user's
  };
  TRect h = grid->CellRect(1, 0);
  const int y = (h.Top + h.Bottom) / 2;
  Drag(h.Right, y, h.Right + 50, y);  // 50 -> 100: the others double
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(asked, 100);
  EXPECT_EQ(grid->ColWidths(1), 101) << "the handler's correction is applied";
  EXPECT_EQ(grid->ColWidths(0), 40) << "fixed columns keep their width";
  for (int c = 2; c < 5; ++c) EXPECT_EQ(grid->ColWidths(c), widths[c] * 2) << "column " << c << " scaled once";
  // A width set by code afterwards scales nothing.
  grid->SetColWidths(2, 30);
  EXPECT_EQ(grid->ColWidths(3), 140);
  // Rows the same way.
  for (int r = 0; r < grid->RowCount(); ++r) grid->SetRowHeights(r, 20);
  TRect rh = grid->CellRect(0, 2);
  const int x = (rh.Left + rh.Right) / 2;
  Drag(x, rh.Bottom, x, rh.Bottom + 10);  // 20 -> 30
  EXPECT_EQ(grid->RowHeights(2), 30);
  EXPECT_EQ(grid->RowHeights(0), 20);
  for (int r = 3; r < grid->RowCount(); ++r) EXPECT_EQ(grid->RowHeights(r), 30) << "row " << r;
}

struct EditorOverCheckBoxCase {
  const char* Name;
  bool CheckBox;
  std::function<void(SizingTest&)> Resize;
};

TEST_F(SizingTest, ASizeChangeClosesTheEditorOverACheckBoxCellOnly) {
  const EditorOverCheckBoxCase cases[] = {
      {"column border dragged", true, [](SizingTest& t) {
         TRect h = t.grid->CellRect(1, 0);
         t.Drag(h.Right, (h.Top + h.Bottom) / 2, h.Right + 30, (h.Top + h.Bottom) / 2);
       }},
      {"row border dragged", true, [](SizingTest& t) {
         TRect h = t.grid->CellRect(0, 1);
         t.Drag((h.Left + h.Right) / 2, h.Bottom, (h.Left + h.Right) / 2, h.Bottom + 10);
       }},
      {"width set by code", true, [](SizingTest& t) { t.grid->SetColWidths(1, 90); }},
      {"plain cell keeps its editor", false, [](SizingTest& t) { t.grid->SetColWidths(1, 90); }},
  };
  grid->SetOptions(grid->Options() | goColSizing | goRowSizing);
  Load();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    grid->SetColWidths(1, 64);
    grid->SetRowHeights(1, grid->DefaultRowHeight());
    grid->SetCells(1, 1, "1:1");
    grid->FocusCell(1, 1, true);
    Key(Qt::Key_F2);
    Type("x");
    TInplaceEdit* e = grid->InplaceEditor();
    ASSERT_TRUE(e && e->Visible());
    if (c.CheckBox) grid->AddCheckBox(1, 1, false, false);
    int validated = 0;
    grid->OnCellValidate = [&](TObject*, int, int, std::string&, bool&) { ++validated; };
    c.Resize(*this);
    Flush();
    EXPECT_EQ(e->Visible(), !c.CheckBox);
    EXPECT_EQ(grid->EditorMode(), !c.CheckBox);
    EXPECT_EQ(validated, c.CheckBox ? 1 : 0) << "the typed text is validated as the editor closes";
    grid->OnCellValidate = nullptr;
    if (!c.CheckBox) Key(Qt::Key_Escape);
    grid->RemoveCheckBox(1, 1);
  }
}

TEST_F(SizingTest, StretchColumnIndexRules) {
  grid->ColumnSize()->SetStretch(true);
  // The write raises the same error, and the index stays.
  auto written = [&](int v) -> std::string {
    try {
      grid->ColumnSize()->SetStretchColumn(v);
    } catch (const Exception& e) {
      return e.Message();
    }
    return "taken";
  };
  ASSERT_EQ(written(2), "taken");
  for (int bad : {-2, -100, 5, 99}) {
    EXPECT_THROW(grid->StretchColumn(bad), Exception) << bad;
    EXPECT_EQ(written(bad), "Stretch column index out of range") << bad;
    EXPECT_EQ(grid->ColumnSize()->StretchColumn(), 2);
  }
  grid->ColumnSize()->SetStretchColumn(-1);
  grid->StretchColumn(-1);
  // The columns and their grid lines span the client.
  int sum = 5 * grid->GridLineWidth();
  for (int c = 0; c < 4; ++c) sum += grid->ColWidths(c);
  EXPECT_EQ(grid->ColWidths(4), grid->ClientWidth() - sum) << "the last column fills the client";
  // Marked stretched: another column's new width is taken from the stretch column.
  grid->SetColWidths(1, grid->ColWidths(1) + 20);
  sum += 20;
  EXPECT_EQ(grid->ColWidths(4), grid->ClientWidth() - sum);
}

TEST_F(SizingTest, StoredWidthsRoundTripUnderTheSettingsFolderAndAreClamped) {
  TTempDir dir;
  TEnvScope env("VELMARON_CONFIG_DIR", dir.Path().c_str());
  auto make = [&](const std::string& key) {
    auto* g = new TExtStringGrid(form);
    g->SetColCount(4);
    g->ColumnSize()->Save = true;
    g->ColumnSize()->Location = clIniFile;
    g->ColumnSize()->Key = key;
    g->ColumnSize()->Section = "Widths";
    return g;
  };
  TExtStringGrid* g = make("../../elsewhere/grid.ini");
  EXPECT_EQ(g->ColumnSizeFile(), dir.File("grid.ini")) << "only the file name of the key counts";
  for (int c = 0; c < 4; ++c) g->SetColWidths(c, 30 + c * 11);
  delete g;  // saved with the grid
  g = make("grid.ini");
  g->Loaded();
  for (int c = 0; c < 4; ++c) EXPECT_EQ(g->ColWidths(c), 30 + c * 11) << c;
  delete g;
  // A damaged file: hostile values are clamped, text that is no number keeps the width.
  SaveFileAtomically(dir.File("grid.ini"), "[Widths]\nCol0=-5\nCol1=1000000000\nCol2=abc\nCol3=77\n");
  g = make("grid.ini");
  g->Loaded();
  EXPECT_EQ(g->ColWidths(0), 0);
  EXPECT_EQ(g->ColWidths(1), TExtStringGrid::MaxStoredWidth);
  EXPECT_EQ(g->ColWidths(2), g->DefaultColWidth());
  EXPECT_EQ(g->ColWidths(3), 77);
  g->ColumnSize()->Save = false;
  delete g;
  // What is no regular file is refused without blocking; the widths stay.
  DeleteFile(dir.File("grid.ini"));
  ASSERT_EQ(mkfifo(dir.File("grid.ini").c_str(), 0600), 0);
  g = make("grid.ini");
  g->Loaded();
  EXPECT_EQ(g->ColWidths(3), g->DefaultColWidth());
  g->ColumnSize()->Save = false;
  delete g;
  // Without a section nothing is stored.
  g = make("other.ini");
  g->ColumnSize()->Section = "";
  delete g;
  EXPECT_FALSE(FileExists(dir.File("other.ini")));
}

// The widths share their file with other settings: a file that could not be read is never saved
// over, and the application hears why (the save runs in the destructor, which never throws).
TEST_F(SizingTest, AWidthsFileThatCouldNotBeReadIsNeverSavedOverAndTheApplicationIsTold) {
  TTempDir dir;
  TEnvScope env("VELMARON_CONFIG_DIR", dir.Path().c_str());
  const std::string big = "[Other]\nKeep=1\n" + std::string(2u << 20, ';') + "\n";
  const struct {
    const char* name;
    std::function<void(const std::string&)> make;
    const char* says;
  } cases[] = {
      {"over the size cap", [&](const std::string& f) { std::ofstream(f, std::ios::binary) << big; }, "larger than"},
      {"a folder", [](const std::string& f) { ForceDirectories(f); }, "Not a regular file"},
      {"a dangling link",
       [&](const std::string& f) { ASSERT_EQ(symlink(dir.File("nowhere.ini").c_str(), f.c_str()), 0); },
       "does not exist"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = dir.File(std::string("w-") + std::to_string(&c - cases) + ".ini");
    c.make(file);
    std::vector<std::string> told;
    Application->OnException = [&](TObject*, Exception& E) { told.push_back(E.Message()); };
    auto* g = new TExtStringGrid(form);
    g->ColumnSize()->Save = true;
    g->ColumnSize()->Location = clIniFile;
    g->ColumnSize()->Key = ExtractFileName(file);
    g->ColumnSize()->Section = "Widths";
    g->SetColWidths(1, 99);
    delete g;
    Application->OnException = nullptr;
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(c.says), std::string::npos) << told[0];
    if (std::string(c.name) == "over the size cap") {
      EXPECT_EQ(LoadRegularFileBytes(file, 4u << 20), big);
    } else if (std::string(c.name) == "a folder") {
      EXPECT_TRUE(DirectoryExists(file));
    } else {
      EXPECT_FALSE(FileExists(dir.File("nowhere.ini"))) << "no file made through the link";
    }
  }
}

TEST_F(SizingTest, FlatScrollTypesTakeTheBarsWidthAndColour) {
  grid->SetRowCount(200);
  grid->SetColCount(40);
  Flush();
  const int sysW = GetSystemMetrics(SM_CXVSCROLL), sysH = GetSystemMetrics(SM_CYHSCROLL);
  const int borderW = grid->Width() - grid->ClientWidth() - sysW;
  const int borderH = grid->Height() - grid->ClientHeight() - sysH;
  struct Case {
    TScrollType type;
    int width, taken;  // taken 0: the system's thickness
    TColor color;
  } cases[] = {{ssNormal, 30, 0, clRed}, {ssFlat, 30, 30, clRed}, {ssEncarta, 10, 10, clLime}, {ssNormal, 10, 0, clNone}};
  for (const Case& k : cases) {
    grid->SetScrollType(k.type);
    grid->SetScrollWidth(k.width);
    grid->SetScrollColor(k.color);
    Flush();
    EXPECT_EQ(grid->Width() - grid->ClientWidth() - borderW, k.taken ? k.taken : sysW) << "type " << k.type;
    EXPECT_EQ(grid->Height() - grid->ClientHeight() - borderH, k.taken ? k.taken : sysH) << "type " << k.type;
  }
}

}  // namespace

// Integer lists, the sort index list and the control list.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <climits>
#include <filesystem>
#include <tuple>
#include <vector>

#include "controls/grid/ExtObj.h"
#include "platform/gui/testing/GuiTest.h"

namespace {

std::vector<int> Items(const TIntList& l) {
  std::vector<int> r;
  for (int i = 0; i < l.Count(); ++i) r.push_back(l.GetInteger(i));
  return r;
}

// Records every change a list reports: (list, column, row).
struct TChanges {
  std::vector<std::tuple<TObject*, int, int>> Calls;
  TIntListChangeEvent Handler() {
    return [this](TObject* s, int c, int r) { Calls.emplace_back(s, c, r); };
  }
};

}  // namespace

TEST(IntList, ChangesAreReportedWithTheOwningCell) {
  TIntList list(3, 7);
  TChanges changes;
  list.OnChange = changes.Handler();
  EXPECT_EQ(list.Add(10), 0);
  EXPECT_EQ(list.Add(-20), 1);
  list.Insert(0, 5);  // no report
  list.SetInteger(2, INT_MIN);
  list.Delete(1);
  EXPECT_EQ(Items(list), (std::vector<int>{5, INT_MIN}));
  ASSERT_EQ(changes.Calls.size(), 4u);
  EXPECT_EQ(changes.Calls[0], std::make_tuple(static_cast<TObject*>(&list), 3, 7));
  list.Clear();  // no report
  EXPECT_EQ(changes.Calls.size(), 4u);
  list.Add(INT_MAX);
  list.Add(0);
  EXPECT_EQ(Items(list), (std::vector<int>{INT_MAX, 0}));
  EXPECT_THROW(list.GetInteger(2), EListError);
  EXPECT_THROW(list.SetInteger(-1, 1), EListError);
  EXPECT_THROW(list.Delete(5), EListError);
  EXPECT_EQ(changes.Calls.size(), 6u);  // a refused change reports nothing
}

TEST(IntList, CommaTextReadAndWrite) {
  TIntList list(0, 0);
  EXPECT_EQ(list.GetStrValue(), "");
  list.Add(7);
  TChanges changes;
  list.OnChange = changes.Handler();
  list.SetStrValue("3,1,2");
  EXPECT_EQ(Items(list), (std::vector<int>{3, 1, 2}));
  EXPECT_EQ(changes.Calls.size(), 3u);
  EXPECT_EQ(list.GetStrValue(), "3,1,2");
  list.SetStrValue("4 \"5\" -6");  // blanks separate, quotes group
  EXPECT_EQ(Items(list), (std::vector<int>{4, 5, -6}));
  EXPECT_EQ(list.GetStrValue(), "4,5,-6");
  list.SetStrValue("");
  EXPECT_EQ(list.Count(), 0);
}

TEST(IntList, ABadValueLeavesTheListAsItWas) {
  TIntList list(0, 0);
  list.SetStrValue("7,8");
  TChanges changes;
  list.OnChange = changes.Handler();
  EXPECT_THROW(list.SetStrValue("1,x,3"), EConvertError);
  EXPECT_EQ(Items(list), (std::vector<int>{7, 8}));
  EXPECT_THROW(list.SetStrValue("1,99999999999"), EConvertError);
  EXPECT_EQ(Items(list), (std::vector<int>{7, 8}));
  EXPECT_TRUE(changes.Calls.empty());
}

TEST(SortIndexList, ColumnsWithTheirDirections) {
  TSortIndexList list;
  TChanges changes;
  list.OnChange = changes.Handler();
  list.AddIndex(2, false);
  EXPECT_EQ(static_cast<uint32_t>(list.GetInteger(0)), 0x80000002u);
  list.AddIndex(0, true);
  list.AddIndex(5, false);
  EXPECT_EQ(list.FindIndex(2), 0);
  EXPECT_EQ(list.FindIndex(0), 1);
  EXPECT_EQ(list.FindIndex(5), 2);
  EXPECT_EQ(list.FindIndex(3), -1);
  EXPECT_FALSE(list.SortAscending(0));
  EXPECT_TRUE(list.SortAscending(1));
  EXPECT_EQ(changes.Calls.size(), 3u);

  list.ToggleIndex(2);
  EXPECT_TRUE(list.SortAscending(0));
  EXPECT_EQ(list.GetInteger(0), 2);
  EXPECT_EQ(changes.Calls.size(), 4u);
  list.ToggleIndex(0);
  EXPECT_FALSE(list.SortAscending(1));
  EXPECT_EQ(list.SortColumn(1), 0);
  list.ToggleIndex(9);  // absent: nothing
  EXPECT_EQ(changes.Calls.size(), 5u);
  EXPECT_EQ(list.GetStrValue(), "2,-2147483648,-2147483643");
}

namespace {
// A control that reports its end.
class TCountedControl : public TControl {
 public:
  TCountedControl(int& freed, std::vector<int>* order = nullptr, int id = 0)
      : TControl(nullptr), freed_(freed), order_(order), id_(id) {}
  ~TCountedControl() override {
    ++freed_;
    if (order_) order_->push_back(id_);
  }

 private:
  int& freed_;
  std::vector<int>* order_;
  int id_;
};
}  // namespace

class ControlList : public TGuiTest {};

TEST_F(ControlList, OwnsAndFreesItsControls) {
  int freed = 0;
  std::vector<int> order;
  {
    TControlList list;
    auto* a = new TCountedControl(freed, &order, 1);
    list.AddControl(2, 3, a);
    list.AddControl(4, 5, new TCountedControl(freed, &order, 2));
    list.AddControl(6, 7, new TCountedControl(freed, &order, 3));
    EXPECT_EQ(list.GetControl(0)->Control, a);
    EXPECT_EQ(list.GetControl(0)->X, 2);
    EXPECT_EQ(list.GetControl(0)->Y, 3);
    EXPECT_THROW(list.GetControl(3), EListError);

    list.DeleteControl(1);
    EXPECT_EQ(freed, 1);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetControl(1)->X, 6);
    EXPECT_THROW(list.DeleteControl(2), EListError);
  }
  EXPECT_EQ(freed, 3);
  EXPECT_EQ(order, (std::vector<int>{2, 1, 3}));  // the rest from the first entry on

  freed = 0;
  TControlList list;
  list.AddControl(0, 0, new TCountedControl(freed));
  list.AddControl(0, 1, nullptr);
  list.Clear();  // removed entries take their controls along
  EXPECT_EQ(freed, 1);
}

TEST_F(ControlList, AControlWithAnOwnerLeavesItWhenFreed) {
  int freed = 0;
  TComponent owner(nullptr);
  auto* c = new TCountedControl(freed);
  owner.InsertComponent(c);
  {
    TControlList list;
    list.AddControl(1, 1, c);
  }
  EXPECT_EQ(freed, 1);
  EXPECT_EQ(owner.ComponentCount(), 0);
}

// A file picture is read for each drawing and never kept: a file rewritten under the same time
// stamp draws its new picture, a file that went away draws nothing and raises nothing.
class FilePicture : public TGuiTest {};

TEST_F(FilePicture, DrawsWhatTheFileHoldsAtEachDrawing) {
  QTemporaryDir dir;
  const QString file = QDir(dir.path()).filePath("p.png");
  auto save = [&](Qt::GlobalColor c) {
    QImage img(6, 4, QImage::Format_RGB32);
    img.fill(c);
    ASSERT_TRUE(img.save(file));
  };
  save(Qt::red);
  TFilePicture pic;
  pic.SetFilename(file.toStdString());
  EXPECT_EQ(pic.Width, 6);
  EXPECT_EQ(pic.Height, 4);
  const auto stamp = std::filesystem::last_write_time(file.toStdString());
  struct {
    const char* name;
    Qt::GlobalColor file;  // what the file holds before the drawing; color0: no file
    TColor want;
  } rows[] = {{"as set", Qt::red, clRed},
              {"rewritten, same time stamp", Qt::blue, clBlue},
              {"gone", Qt::color0, clWhite}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.file == Qt::color0) {
      QFile::remove(file);
    } else {
      save(row.file);
      std::filesystem::last_write_time(file.toStdString(), stamp);
    }
    TBitmap b(12, 8);
    b.Canvas()->Brush()->SetColor(clWhite);
    b.Canvas()->FillRect(TRect(0, 0, 12, 8));
    EXPECT_NO_THROW(pic.DrawPicture(b.Canvas(), TRect(0, 0, 12, 8)));
    // Stretched over the rectangle: a pixel outside the picture's own 6 x 4 takes its colour too.
    EXPECT_EQ(ColorToRGB(b.Canvas()->Pixels(5, 3)), ColorToRGB(row.want));
    EXPECT_EQ(ColorToRGB(b.Canvas()->Pixels(10, 6)), ColorToRGB(row.want));
  }
}

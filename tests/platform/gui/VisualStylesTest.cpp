// The visual-styles library over QStyle, its binding and the XP-look tests.
#include <gtest/gtest.h>

#include <QImage>
#include <memory>

#include "platform/gui/Graphics.h"
#include "platform/gui/VisualStyles.h"
#include "platform/gui/testing/GuiTest.h"

namespace {

class VisualStyles : public TGuiTest {
 protected:
  void TearDown() override {
    SetVisualStylesLoader(nullptr);
    SetWindowsVersion(5, 1);
    TGuiTest::TearDown();
  }
};

constexpr TColor kBackground = RGB(255, 0, 255);

// A bitmap in one colour with a themed part drawn on it.
QImage Drawn(const std::string& cls, int part, int state, const TRect& r, const TRect* clip = nullptr,
             HRESULT* result = nullptr) {
  TBitmap bmp(40, 40);
  bmp.Canvas()->Brush()->SetColor(kBackground);
  bmp.Canvas()->FillRect(TRect(0, 0, 40, 40));
  HTHEME theme = OpenThemeData(nullptr, cls);
  EXPECT_NE(theme, nullptr) << cls;
  const HRESULT hr = DrawThemeBackground(theme, bmp.Canvas(), part, state, r, clip);
  if (result) *result = hr;
  EXPECT_EQ(CloseThemeData(theme), S_OK);
  return bmp.Image().copy();
}

// Pixels that differ from the background, and whether all of them lie in `within`.
int Painted(const QImage& img, const TRect& within, bool& outside) {
  int n = 0;
  outside = false;
  const QRgb bg = qRgb(255, 0, 255);
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if ((img.pixel(x, y) & 0xFFFFFF) != (bg & 0xFFFFFF)) {
        ++n;
        if (!PtInRect(within, TPoint(x, y))) outside = true;
      }
  return n;
}

}  // namespace

TEST_F(VisualStyles, ThePlatformLibraryDrawsEveryKnownPartInsideItsRectangle) {
  ASSERT_TRUE(VisualStylesLoaded());
  ASSERT_TRUE(IsThemeActive());
  const TRect r(10, 10, 30, 28);
  struct {
    const char* Class;
    int Part, State;
  } parts[] = {{"button", 1, 1}, {"button", 1, 3}, {"button", 2, 5}, {"button", 3, 5}, {"combobox", 1, 1},
               {"spin", 1, 2},   {"spin", 4, 1},   {"header", 1, 2}, {"scrollbar", 1, 9}, {"Progress", 1, 1},
               {"PROGRESS", 3, 1}};
  for (const auto& p : parts) {
    HRESULT hr = E_FAIL;
    const QImage img = Drawn(p.Class, p.Part, p.State, r, nullptr, &hr);
    EXPECT_EQ(hr, S_OK) << p.Class << " " << p.Part;
    bool outside = false;
    EXPECT_GT(Painted(img, r, outside), 20) << p.Class << " " << p.Part;
    EXPECT_FALSE(outside) << p.Class << " " << p.Part;
  }
}

TEST_F(VisualStyles, StatesAndClipsChangeWhatIsDrawn) {
  const TRect r(10, 10, 26, 26);
  EXPECT_NE(Drawn("button", 3, 1, r), Drawn("button", 3, 5, r));  // unchecked, checked
  EXPECT_NE(Drawn("button", 2, 1, r), Drawn("button", 2, 5, r));
  EXPECT_NE(Drawn("spin", 1, 1, r), Drawn("spin", 2, 1, r));       // up, down arrows
  const TRect clip(10, 10, 18, 26);
  bool outside = false;
  EXPECT_GT(Painted(Drawn("combobox", 1, 1, r, &clip), clip, outside), 0);
  EXPECT_FALSE(outside);
  HRESULT hr = S_OK;
  const TRect away(0, 0, 5, 5);
  EXPECT_EQ(Painted(Drawn("combobox", 1, 1, r, &away, &hr), r, outside), 0);
  EXPECT_EQ(hr, S_OK);
  // A part the class lacks draws nothing.
  EXPECT_EQ(Painted(Drawn("combobox", 7, 1, r, nullptr, &hr), r, outside), 0);
  EXPECT_EQ(hr, E_INVALIDARG);
}

TEST_F(VisualStyles, HandlesOfKnownClassesOnly) {
  EXPECT_EQ(OpenThemeData(nullptr, "treeview"), nullptr);
  EXPECT_EQ(OpenThemeData(nullptr, ""), nullptr);
  HTHEME t = OpenThemeData(nullptr, "Edit; ComboBox");  // the first known class of a list
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(CloseThemeData(t), S_OK);
  // A closed handle is refused, not followed.
  EXPECT_EQ(CloseThemeData(t), E_HANDLE);
  TBitmap bmp(10, 10);
  EXPECT_EQ(DrawThemeBackground(t, bmp.Canvas(), 1, 1, TRect(0, 0, 10, 10)), E_HANDLE);
  t = OpenThemeData(nullptr, "button");
  EXPECT_EQ(DrawThemeBackground(t, nullptr, 1, 1, TRect(0, 0, 10, 10)), E_INVALIDARG);
  EXPECT_EQ(CloseThemeData(t), S_OK);
}

TEST_F(VisualStyles, TheLibraryIsLoadedOnceAndCanBeMissing) {
  int loads = 0;
  SetVisualStylesLoader([&] {
    ++loads;
    return LoadQStyleVisualStyles();
  });
  const int before = VisualStylesLoadCount();
  EXPECT_TRUE(BindVisualStyles());
  EXPECT_TRUE(BindVisualStyles());
  EXPECT_TRUE(VisualStylesLoaded());
  EXPECT_EQ(loads, 1);
  EXPECT_EQ(VisualStylesLoadCount(), before + 1);
  UnbindVisualStyles();
  EXPECT_TRUE(VisualStylesLoaded());  // binds again on use
  EXPECT_EQ(loads, 2);

  SetVisualStylesLoader([] { return nullptr; });
  EXPECT_FALSE(VisualStylesLoaded());
  EXPECT_FALSE(IsThemeActive());
  EXPECT_FALSE(VisualStylesUsable());
  EXPECT_EQ(OpenThemeData(nullptr, "button"), nullptr);
  std::u16string f, c, s;
  EXPECT_EQ(GetCurrentThemeName(f, c, s), E_NOTIMPL);
  EXPECT_EQ(CurrentXPColorScheme(), 0);
}

TEST_F(VisualStyles, MissingEntriesFailQuietly) {
  SetVisualStylesLoader([] {
    auto lib = std::make_unique<TVisualStylesLibrary>();
    lib->IsThemeActive = [] { return true; };
    return lib;
  });
  EXPECT_TRUE(VisualStylesLoaded());
  EXPECT_TRUE(IsThemeActive());
  EXPECT_FALSE(VisualStylesUsable());  // it cannot draw
  EXPECT_EQ(OpenThemeData(nullptr, "button"), nullptr);
  TBitmap bmp(4, 4);
  EXPECT_EQ(DrawThemeBackground(nullptr, bmp.Canvas(), 1, 1, TRect(0, 0, 4, 4)), E_NOTIMPL);
  EXPECT_EQ(CloseThemeData(nullptr), E_NOTIMPL);
  EXPECT_EQ(CurrentXPColorScheme(), 0);
}

TEST_F(VisualStyles, XPLookTests) {
  SetWindowsVersion(5, 0);
  EXPECT_FALSE(IsWindowsXPOrLater());
  SetWindowsVersion(4, 90);
  EXPECT_FALSE(IsWindowsXPOrLater());
  SetWindowsVersion(5, 1);
  EXPECT_TRUE(IsWindowsXPOrLater());
  SetWindowsVersion(6, 0);
  EXPECT_TRUE(IsWindowsXPOrLater());

  // The platform's library has no XP colour scheme.
  SetWindowsVersion(5, 1);
  EXPECT_EQ(CurrentXPColorScheme(), 0);
  std::u16string file, color, size;
  EXPECT_EQ(GetCurrentThemeName(file, color, size), S_OK);
  EXPECT_FALSE(file.empty());
  EXPECT_EQ(size, u"NormalSize");

  std::u16string scheme;
  bool active = true;
  SetVisualStylesLoader([&] {
    auto lib = LoadQStyleVisualStyles();
    lib->IsThemeActive = [&] { return active; };
    lib->GetCurrentThemeName = [&](std::u16string& f, std::u16string& c, std::u16string& s) {
      f = u"Luna.msstyles";
      c = scheme;
      s = u"NormalSize";
      return S_OK;
    };
    return lib;
  });
  const std::pair<std::u16string, int> schemes[] = {
      {u"NormalColor", 1}, {u"HomeStead", 2}, {u"Metallic", 3}, {u"Royale", 0}, {u"normalcolor", 0}, {u"", 0}};
  for (const auto& [name, number] : schemes) {
    scheme = name;
    EXPECT_EQ(CurrentXPColorScheme(), number);
  }
  scheme = u"Metallic";
  active = false;
  EXPECT_EQ(CurrentXPColorScheme(), 0);
  active = true;
  SetWindowsVersion(5, 0);
  EXPECT_EQ(CurrentXPColorScheme(), 0);
}

TEST_F(VisualStyles, PictureOfTheParts) {
  // Every part in every state, one row per class, to look at.
  struct {
    const char* Class;
    int Part, States;
  } rows[] = {{"button", 1, 5}, {"button", 2, 8},    {"button", 3, 12}, {"combobox", 1, 4}, {"spin", 1, 4},
              {"spin", 2, 4},   {"spin", 3, 4},      {"spin", 4, 4},    {"header", 1, 3},   {"scrollbar", 1, 16},
              {"progress", 1, 1}, {"progress", 3, 1}};
  TBitmap bmp(12 * 26 + 4, 12 * 24 + 4);
  bmp.Canvas()->Brush()->SetColor(clWhite);
  bmp.Canvas()->FillRect(TRect(0, 0, bmp.Width(), bmp.Height()));
  int y = 2;
  for (const auto& row : rows) {
    HTHEME t = OpenThemeData(nullptr, row.Class);
    ASSERT_NE(t, nullptr);
    for (int s = 1; s <= row.States; ++s)
      EXPECT_EQ(DrawThemeBackground(t, bmp.Canvas(), row.Part, s, TRect(2 + (s - 1) * 19, y, 19 + (s - 1) * 19, y + 18)),
                S_OK);
    CloseThemeData(t);
    y += 24;
  }
  const std::string path = TestImagePath("visual-styles-parts.png");
  ASSERT_TRUE(bmp.Image().save(QString::fromStdString(path)));
}

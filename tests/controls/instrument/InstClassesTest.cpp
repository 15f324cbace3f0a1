// Appearance objects, the bitmap list and its stream format.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "controls/instrument/InstClasses.h"
#include "controls/instrument/InstSystem.h"
#include "platform/rtl/SysUtils.h"

namespace {

struct ChangeCounter {
  int count = 0;
  TObject* last = nullptr;
  TNotifyEvent Event() {
    return [this](TObject* s) {
      ++count;
      last = s;
    };
  }
};

std::unique_ptr<TBitmap> MakeBitmap(int w, int h, TColor fill) {
  auto b = std::make_unique<TBitmap>();
  b->SetSize(w, h);
  b->Canvas()->Brush()->SetColor(fill);
  b->Canvas()->FillRect(Rect(0, 0, w, h));
  return b;
}

std::string StreamBytes(TInstBitmaps& list) {
  TMemoryStream ms;
  list.SaveToStream(&ms);
  return ms.Bytes();
}

std::string TempPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("velmaron_inst_" + name)).string();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  TMemoryStream ms;
  ms.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
  ms.SaveToFile(path);
}

}  // namespace

// ---- change notification

TEST(InstPersistent, SettersInsideOneUpdateNotifyOnce) {
  TInstPalette p;
  ChangeCounter c;
  p.OnChange = c.Event();
  p.BeginUpdate();
  p.SetLow(clRed);
  p.SetHigh(clYellow);
  p.SetLow(clBlue);
  EXPECT_EQ(c.count, 0);
  p.EndUpdate();
  EXPECT_EQ(c.count, 1);
  EXPECT_EQ(c.last, &p);
  EXPECT_EQ(p.Low(), clBlue);
  EXPECT_EQ(p.High(), clYellow);
}

TEST(InstPersistent, NestedUpdatesNotifyOnlyAtTheOutermostEnd) {
  TInstBevel b;
  ChangeCounter c;
  b.OnChange = c.Event();
  b.BeginUpdate();
  b.BeginUpdate();
  b.SetInnerWidth(3);
  b.EndUpdate();
  EXPECT_EQ(c.count, 0);
  b.EndUpdate();
  EXPECT_EQ(c.count, 1);
}

TEST(InstPersistent, EndUpdateWithoutBeginStillNotifiesAndCounterStaysAtZero) {
  TInstTextOutline o;
  ChangeCounter c;
  o.OnChange = c.Event();
  o.EndUpdate();
  EXPECT_EQ(c.count, 1);
  EXPECT_EQ(o.UpdateCount(), 0);
  o.SetWidth(2);  // not locked: heard at once
  EXPECT_EQ(c.count, 2);
}

TEST(InstPersistent, SettingTheSameValueIsSilent) {
  TInstFont3D f;
  ChangeCounter c;
  f.OnChange = c.Event();
  f.SetStyle(f3dNone);
  f.SetShadowDepth(1);
  f.SetHighlightColor(clBtnHighlight);
  EXPECT_EQ(c.count, 0);
  f.SetStyle(f3dRaised);
  EXPECT_EQ(c.count, 1);
}

TEST(InstPersistent, AssignCopiesEverythingWithOneNotification) {
  TInstBevel src;
  src.SetBorderWidth(2);
  src.SetOuterStyle(TInstBevelStyle::bsLowered);
  src.SetInnerOutline(osInner);
  src.SetInnerSpace(3);
  src.SetVisible(false);
  TInstBevel dst;
  ChangeCounter c;
  dst.OnChange = c.Event();
  dst.Assign(&src);
  EXPECT_EQ(c.count, 1);
  EXPECT_EQ(dst.BorderWidth(), 2);
  EXPECT_EQ(dst.OuterStyle(), TInstBevelStyle::bsLowered);
  EXPECT_EQ(dst.InnerOutline(), osInner);
  EXPECT_EQ(dst.InnerSpace(), 3);
  EXPECT_FALSE(dst.Visible());

  TInstFont3D f;
  f.SetStyle(f3dShadow);
  f.SetShadowDepth(4);
  TInstFont3D g;
  g.OnChange = c.Event();
  g.Assign(&f);
  EXPECT_EQ(c.count, 2);
  EXPECT_EQ(g.Style(), f3dShadow);
  EXPECT_EQ(g.ShadowDepth(), 4);
}

TEST(InstPersistent, AssignFromAnotherClassRaises) {
  TInstPalette p;
  TInstBevel b;
  EXPECT_THROW(p.Assign(&b), EConvertError);
}

TEST(InstPalette, DefaultsAndColorsByIndex) {
  TInstPalette p;
  EXPECT_EQ(p.Low(), clGreen);
  EXPECT_EQ(p.High(), clLime);
  EXPECT_EQ(p.Colors(-5), clGreen);
  EXPECT_EQ(p.Colors(0), clGreen);
  EXPECT_EQ(p.Colors(1), clLime);
  EXPECT_EQ(p.Colors(7), clLime);
}

// ---- bevel area

TEST(InstBevel, DefaultShrinksFourPixelsPerSide) {
  TInstBevel b;
  TRect r = Rect(10, 20, 110, 70);
  b.GetVisibleArea(r);
  EXPECT_EQ(r, Rect(14, 24, 106, 66));
}

TEST(InstBevel, VisibleAreaCountsEveryPart) {
  TInstBevel b;
  b.SetBorderWidth(2);
  b.SetOuterOutline(osInner);  // still 1
  b.SetInnerOutline(osOuter);  // +1
  b.SetOuterWidth(3);
  b.SetInnerWidth(2);
  b.SetOuterSpace(1);
  b.SetInnerSpace(0);
  TRect r = Rect(0, 0, 100, 100);
  b.GetVisibleArea(r);
  // 2 + 1 + 1 + 3 + 2 + 1 + 0
  EXPECT_EQ(r, Rect(10, 10, 90, 90));

  b.SetOuterStyle(TInstBevelStyle::bsNone);
  b.SetInnerStyle(TInstBevelStyle::bsNone);
  r = Rect(0, 0, 100, 100);
  b.GetVisibleArea(r);
  EXPECT_EQ(r, Rect(5, 5, 95, 95));

  b.SetVisible(false);
  r = Rect(0, 0, 100, 100);
  b.GetVisibleArea(r);
  EXPECT_EQ(r, Rect(0, 0, 100, 100));
}

TEST(InstBevel, PaintLeavesTheSameAreaAsGetVisibleArea) {
  TBitmap bmp;
  bmp.SetSize(60, 40);
  for (int variant = 0; variant < 4; ++variant) {
    TInstBevel b;
    b.SetBorderWidth(variant);
    b.SetOuterOutline(variant % 2 ? osInner : osOuter);
    b.SetInnerOutline(variant == 3 ? osOuter : osNone);
    b.SetOuterSpace(variant);
    b.SetInnerStyle(variant == 2 ? TInstBevelStyle::bsNone : TInstBevelStyle::bsLowered);
    TRect painted = Rect(0, 0, 60, 40);
    b.Paint(bmp.Canvas(), painted);
    TRect computed = Rect(0, 0, 60, 40);
    b.GetVisibleArea(computed);
    EXPECT_EQ(painted, computed) << "variant " << variant;
  }
}

TEST(InstBevel, RaisedOuterFrameIsLightTopLeftAndDarkBottomRight) {
  SetSysColor(20, RGB(255, 255, 255));  // clBtnHighlight
  SetSysColor(16, RGB(128, 128, 128));  // clBtnShadow
  TBitmap bmp;
  bmp.SetSize(20, 20);
  bmp.Canvas()->Brush()->SetColor(clRed);
  bmp.Canvas()->FillRect(Rect(0, 0, 20, 20));
  TInstBevel b;  // outline, raised outer, lowered inner
  TRect r = Rect(0, 0, 20, 20);
  b.Paint(bmp.Canvas(), r);
  TCanvas* c = bmp.Canvas();
  EXPECT_EQ(ColorToRGB(c->Pixels(0, 0)), clBlack);  // outline
  EXPECT_EQ(ColorToRGB(c->Pixels(19, 19)), clBlack);
  EXPECT_EQ(ColorToRGB(c->Pixels(1, 5)), RGB(255, 255, 255));   // outer raised: light left edge
  EXPECT_EQ(ColorToRGB(c->Pixels(18, 5)), RGB(128, 128, 128));  // dark right edge
  EXPECT_EQ(ColorToRGB(c->Pixels(2, 5)), RGB(128, 128, 128));   // inner lowered: dark left edge
  EXPECT_EQ(ColorToRGB(c->Pixels(17, 5)), RGB(255, 255, 255));
  EXPECT_EQ(ColorToRGB(c->Pixels(10, 10)), clRed);  // inside untouched
}

// ---- bitmap list

TEST(InstBitmaps, AddCopiesAndNotifies) {
  TInstBitmaps list;
  ChangeCounter c;
  list.OnChange = c.Event();
  auto b = MakeBitmap(4, 3, clRed);
  EXPECT_EQ(list.Add(b.get()), 0);
  EXPECT_EQ(c.count, 1);
  EXPECT_NE(list.Bitmaps(0), b.get());
  b->SetSize(1, 1);  // the list keeps its own copy
  EXPECT_EQ(list.Bitmaps(0)->Width(), 4);
  EXPECT_THROW(list.Bitmaps(1), EListError);
  list.Clear();
  EXPECT_EQ(c.count, 2);
  EXPECT_EQ(list.Count(), 0);
}

TEST(InstBitmaps, AssignNilClearsAndAssignListCopies) {
  TInstBitmaps a, b;
  auto r = MakeBitmap(2, 2, clRed);
  a.Add(r.get());
  a.Add(r.get());
  ChangeCounter c;
  b.OnChange = c.Event();
  b.Assign(&a);
  EXPECT_EQ(b.Count(), 2);
  EXPECT_EQ(c.count, 1);
  EXPECT_NE(b.Bitmaps(0), a.Bitmaps(0));
  b.Assign(nullptr);
  EXPECT_EQ(b.Count(), 0);
}

TEST(InstBitmaps, StreamStartsWithSignatureAndCount) {
  TInstBitmaps list;
  auto r = MakeBitmap(3, 2, clRed);
  list.Add(r.get());
  list.Add(r.get());
  const std::string bytes = StreamBytes(list);
  ASSERT_GE(bytes.size(), 8u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\x62\x54\x35\x00", 4));
  EXPECT_EQ(bytes.substr(4, 4), std::string("\x02\x00\x00\x00", 4));
  EXPECT_EQ(bytes.substr(8, 2), "BM");
}

TEST(InstBitmaps, RoundTripKeepsSizesAndPixels) {
  TInstBitmaps list;
  auto r = MakeBitmap(5, 4, clRed);
  auto g = MakeBitmap(7, 3, clLime);
  g->Canvas()->SetPixels(2, 1, clBlue);
  list.Add(r.get());
  list.Add(g.get());
  TMemoryStream ms;
  list.SaveToStream(&ms);
  ms.SetPosition(0);
  TInstBitmaps back;
  back.LoadFromStream(&ms);
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(back.Bitmaps(0)->Width(), 5);
  EXPECT_EQ(back.Bitmaps(0)->Height(), 4);
  EXPECT_EQ(back.Bitmaps(1)->Width(), 7);
  EXPECT_EQ(ColorToRGB(back.Bitmaps(0)->Canvas()->Pixels(4, 3)), clRed);
  EXPECT_EQ(ColorToRGB(back.Bitmaps(1)->Canvas()->Pixels(2, 1)), clBlue);
  EXPECT_EQ(ColorToRGB(back.Bitmaps(1)->Canvas()->Pixels(0, 0)), clLime);
  EXPECT_EQ(ms.Position(), ms.Size());
}

TEST(InstBitmaps, EmptyListRoundTrips) {
  TInstBitmaps list;
  EXPECT_FALSE(list.HasData());
  TMemoryStream ms;
  list.SaveToStream(&ms);
  EXPECT_EQ(ms.Size(), 8);
  ms.SetPosition(0);
  TInstBitmaps back;
  back.LoadFromStream(&ms);
  EXPECT_EQ(back.Count(), 0);
}

class InstBitmapsRefusal : public ::testing::Test {
 protected:
  void SetUp() override {
    auto r = MakeBitmap(4, 4, clRed);
    TInstBitmaps src;
    src.Add(r.get());
    src.Add(r.get());
    good = StreamBytes(src);
    existing = MakeBitmap(2, 2, clBlue);
    target.Add(existing.get());
  }
  // Loads bytes into target and returns the message of the error raised.
  std::string Refusal(const std::string& bytes) {
    TMemoryStream ms;
    ms.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    ms.SetPosition(0);
    try {
      target.LoadFromStream(&ms);
    } catch (const Exception& e) {
      return e.Message();
    }
    return "no error";
  }
  std::string good;
  std::unique_ptr<TBitmap> existing;
  TInstBitmaps target;
};

TEST_F(InstBitmapsRefusal, WrongSignature) {
  std::string bad = good;
  bad[0] = 'X';
  EXPECT_EQ(Refusal(bad), "Invalid file format");
  EXPECT_EQ(target.Count(), 1);
  EXPECT_EQ(Refusal(""), "Invalid file format");
  EXPECT_EQ(target.Count(), 1);
}

TEST_F(InstBitmapsRefusal, NegativeCount) {
  std::string bad = good;
  std::memcpy(bad.data() + 4, "\xFF\xFF\xFF\xFF", 4);
  EXPECT_NE(Refusal(bad).find("count"), std::string::npos);
  EXPECT_EQ(target.Count(), 1);
}

TEST_F(InstBitmapsRefusal, HugeCount) {
  std::string bad = good;
  std::memcpy(bad.data() + 4, "\xFF\xFF\xFF\x7F", 4);
  EXPECT_NE(Refusal(bad).find("count"), std::string::npos);
  EXPECT_EQ(target.Count(), 1);
}

TEST_F(InstBitmapsRefusal, CountLargerThanTheBitmapsPresent) {
  std::string bad = good;
  bad[4] = 3;
  EXPECT_NE(Refusal(bad), "no error");
  EXPECT_EQ(target.Count(), 1);
}

TEST_F(InstBitmapsRefusal, TruncatedSecondBitmapAddsNothing) {
  const std::string cut = good.substr(0, good.size() - 5);
  EXPECT_NE(Refusal(cut).find("truncated"), std::string::npos);
  EXPECT_EQ(target.Count(), 1);
  EXPECT_EQ(target.Bitmaps(0)->Width(), 2);
}

TEST_F(InstBitmapsRefusal, BitmapWithoutItsHeader) {
  std::string bad = good;
  bad[8] = 'X';
  EXPECT_NE(Refusal(bad), "no error");
  EXPECT_EQ(target.Count(), 1);
}

TEST(InstBitmapsFiles, LoadFromFileAppendsInOneUpdate) {
  TInstBitmaps src;
  auto r = MakeBitmap(3, 3, clRed);
  src.Add(r.get());
  src.Add(r.get());
  const std::string path = TempPath("two.bmpl");
  src.SaveToFile(path);

  TInstBitmaps list;
  ChangeCounter c;
  list.OnChange = c.Event();
  list.LoadFromFile(path);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(c.count, 1);
  list.LoadFromFile(path);
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(c.count, 2);
  std::filesystem::remove(path);
}

TEST(InstBitmapsFiles, BadFileLeavesTheListAsItWas) {
  const std::string path = TempPath("bad.bmpl");
  WriteFile(path, std::string("NOTALIST\x01\x00\x00\x00", 12));
  TInstBitmaps list;
  auto r = MakeBitmap(3, 3, clRed);
  list.Add(r.get());
  try {
    list.LoadFromFile(path);
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Invalid file format");
  }
  EXPECT_EQ(list.Count(), 1);
  EXPECT_THROW(list.LoadFromFile(TempPath("missing.bmpl")), EFOpenError);
  std::filesystem::remove(path);
}

TEST(InstBitmapsFiles, StoredDataClearsFirstAndStaysEmptyOnABadSignature) {
  TInstBitmaps src;
  auto r = MakeBitmap(3, 3, clRed);
  src.Add(r.get());
  TMemoryStream ms;
  src.WriteData(&ms);

  TInstBitmaps list;
  list.Add(r.get());
  list.Add(r.get());
  ms.SetPosition(0);
  list.ReadData(&ms);
  EXPECT_EQ(list.Count(), 1);

  TStringStream bad(std::string("XXXX\x00\x00\x00\x00", 8));
  EXPECT_THROW(list.ReadData(&bad), Exception);
  EXPECT_EQ(list.Count(), 0);
}

// ---- shared bitmap list and its links

TEST(InstBitmapList, ChangesReachLinksThenOnChange) {
  TInstBitmapList list(nullptr);
  TInstChangeLink a, b;
  std::string order;
  a.OnChange = [&](TObject* s) {
    EXPECT_EQ(s, &list);
    order += "a";
  };
  b.OnChange = [&](TObject*) { order += "b"; };
  list.OnChange = [&](TObject*) { order += "L"; };
  list.InsertLink(&a);
  list.InsertLink(&b);
  EXPECT_EQ(a.Sender(), &list);
  auto r = MakeBitmap(2, 2, clRed);
  list.Bitmaps()->Add(r.get());
  EXPECT_EQ(order, "abL");
  list.RemoveLink(&a);
  EXPECT_EQ(a.Sender(), nullptr);
  list.Bitmaps()->Clear();
  EXPECT_EQ(order, "abLbL");
  EXPECT_EQ(list.GetBitmap(0), nullptr);
  EXPECT_EQ(list.GetBitmap(-1), nullptr);
}

TEST(InstBitmapList, DestroyingEitherSideUnregisters) {
  auto list = std::make_unique<TInstBitmapList>(nullptr);
  auto link = std::make_unique<TInstChangeLink>();
  list->InsertLink(link.get());
  EXPECT_EQ(list->LinkCount(), 1);
  link.reset();
  EXPECT_EQ(list->LinkCount(), 0);

  TInstChangeLink survivor;
  list->InsertLink(&survivor);
  list.reset();
  EXPECT_EQ(survivor.Sender(), nullptr);
}

// Pictures that markup names by address: what may be read, and how the
// address cache keeps one entry per address whatever the outcome.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QImage>
#include <filesystem>
#include <fstream>

#include "controls/markup/EsgHTMLE.h"
#include "controls/markup/PictureContainer.h"
#include "platform/gui/RecordingCanvas.h"

namespace fs = std::filesystem;

namespace {

std::string Png(int w, int h) {
  QImage img(w, h, QImage::Format_ARGB32);
  img.fill(Qt::red);
  QByteArray b;
  QBuffer buf(&b);
  buf.open(QIODevice::WriteOnly);
  img.save(&buf, "PNG");
  return std::string(b.constData(), size_t(b.size()));
}

class PictureFiles : public ::testing::Test {
 protected:
  fs::path dir;
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("velmaron_pictures_" + std::to_string(getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string Write(const std::string& name, const std::string& bytes) {
    const fs::path p = dir / name;
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }
  std::string Fifo() {
    const std::string p = (dir / "fifo").string();
    EXPECT_EQ(mkfifo(p.c_str(), 0600), 0);
    return p;
  }
  // The message of the error loading Address raises, or "" when it loads.
  static std::string LoadError(THTMLPicture& pic, const std::string& address) {
    try {
      pic.LoadFromURL(address);
    } catch (const Exception& e) {
      return e.Message();
    }
    return "";
  }
};

}  // namespace

TEST_F(PictureFiles, OnlyRegularFilesUpToTheLimitAreRead) {
  THTMLPicture ok;
  EXPECT_EQ(LoadError(ok, "file://" + Write("a.png", Png(3, 2))), "");
  EXPECT_EQ(ok.Width(), 3);

  // A device would be read for ever, a FIFO without a writer would block for good.
  for (const std::string& path : {std::string("/dev/zero"), Fifo(), dir.string()}) {
    THTMLPicture p;
    const std::string error = LoadError(p, "file://" + path);
    EXPECT_NE(error.find("Not a regular file"), std::string::npos) << path << ": " << error;
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_TRUE(p.Empty());
  }

  // A file above the limit is refused before anything is read; one at the limit is read.
  const std::string big = (dir / "big.png").string();
  {
    std::ofstream(big) << "";
  }
  fs::resize_file(big, kMaxPictureFileBytes + 1);
  THTMLPicture large;
  const std::string error = LoadError(large, "file://" + big);
  EXPECT_NE(error.find("larger than"), std::string::npos) << error;
  EXPECT_TRUE(large.Empty());
  fs::resize_file(big, kMaxPictureFileBytes);
  EXPECT_EQ(LoadError(large, "file://" + big), "Could not load image. Invalid format");

  // LoadFromFile keeps to the same rules.
  THTMLPicture direct;
  EXPECT_THROW(direct.LoadFromFile("/dev/zero"), EFOpenError);
  EXPECT_TRUE(direct.Empty());
}

TEST_F(PictureFiles, HostileNamesInMarkupDrawNothingAndReturn) {
  TRecordingCanvas c(400, 200);
  THTMLPictureCache cache;
  const std::string fifo = Fifo();
  for (const std::string& name : {std::string("file:///dev/zero"), "file://" + fifo, std::string("FILE:///dev/urandom")}) {
    for (const TMarkupDialect* d : {&GridMarkupDialect, &StatusBarMarkupDialect, &InspectorMarkupDialect}) {
      c.Clear();
      THTMLDrawParams p;
      p.Canvas = &c;
      p.Rect = TRect(0, 0, 300, 100);
      p.PictureCache = &cache;
      p.Text = "<BODY BACKGROUND=\"" + name + "\">x<IMG SRC=\"" + name + "\">";
      HTMLDrawEngine(*d, p);
      EXPECT_EQ(p.XSize, 5) << name << " " << d->Name;
      EXPECT_TRUE(c.OpsOf(okImage).empty());
    }
  }
  EXPECT_EQ(cache.Count(), 3);
  for (int i = 0; i < cache.Count(); ++i) EXPECT_TRUE(cache.Items(i)->Empty());
}

TEST_F(PictureFiles, EveryAddressIsCachedOnceWhetherItLoadsOrNot) {
  RegisterResource("PICTURESOURCETEST", Png(4, 4));
  const std::string good = "file://" + Write("g.png", Png(6, 5));
  const std::string text = "<IMG SRC=\"" + good + "\"><IMG SRC=\"file://" + (dir / "missing.png").string() +
                           "\"><IMG SRC=\"file://" + Write("bad.png", "not a picture") +
                           "\"><IMG SRC=\"res://PICTURESOURCETEST\"><IMG SRC=\"res://NOSUCHPICTURE\">"
                           "<IMG SRC=\"http://host/p.png\">";
  TRecordingCanvas c(400, 200);
  THTMLPictureCache cache;
  for (int draw = 0; draw < 5; ++draw) {
    c.Clear();
    THTMLDrawParams p;
    p.Canvas = &c;
    p.Rect = TRect(0, 0, 300, 100);
    p.PictureCache = &cache;
    p.Text = text;
    HTMLDrawEngine(StatusBarMarkupDialect, p);
    EXPECT_EQ(p.XSize, 6 + 4);
    EXPECT_EQ(c.OpsOf(okImage).size(), 2u);
    EXPECT_EQ(cache.Count(), 6) << "draw " << draw;
  }
  // Each entry is found by its address as written.
  ASSERT_NE(cache.FindPicture(good), nullptr);
  EXPECT_EQ(cache.FindPicture(good)->Width(), 6);
  ASSERT_NE(cache.FindPicture("res://NOSUCHPICTURE"), nullptr);
  EXPECT_TRUE(cache.FindPicture("res://NOSUCHPICTURE")->Empty());
  EXPECT_EQ(cache.FindPicture("RES://NOSUCHPICTURE"), nullptr);
}

TEST(PictureCache, TheIndexFollowsAddressesAndMembership) {
  THTMLPictureCache cache;
  THTMLPicture* a = cache.AddPicture();
  THTMLPicture* b = cache.AddPicture();
  EXPECT_EQ(cache.FindPicture(""), a);  // no address yet: the first such
  a->SetAsynch(false);
  a->LoadFromURL("http://h/a");
  b->SetAsynch(false);
  b->LoadFromURL("http://h/b");
  EXPECT_EQ(cache.FindPicture("http://h/a"), a);
  EXPECT_EQ(cache.FindPicture("http://h/b"), b);
  // A picture that takes another address is found only by the new one.
  b->SetAsynch(false);
  b->LoadFromURL("http://h/c");
  EXPECT_EQ(cache.FindPicture("http://h/b"), nullptr);
  EXPECT_EQ(cache.FindPicture("http://h/c"), b);

  // With two pictures of one address the first in the list answers, in any order.
  THTMLPicture* twin = cache.AddPicture();
  twin->SetAsynch(false);
  twin->LoadFromURL("http://h/a");
  EXPECT_EQ(cache.FindPicture("http://h/a"), a);
  cache.Exchange(0, 2);
  EXPECT_EQ(cache.FindPicture("http://h/a"), twin);

  // Taking a picture out of the list takes it out of the index.
  EXPECT_EQ(cache.Extract(twin), twin);
  EXPECT_EQ(cache.FindPicture("http://h/a"), a);
  delete twin;
  cache.Remove(a);  // the cache no longer owns it
  EXPECT_EQ(cache.FindPicture("http://h/a"), nullptr);
  delete a;
  // A picture added from outside is indexed too.
  auto* outside = new THTMLPicture;
  outside->SetAsynch(false);
  outside->LoadFromURL("http://h/o");
  cache.Add(outside);
  EXPECT_EQ(cache.FindPicture("http://h/o"), outside);
  cache.ClearPictures();
  EXPECT_EQ(cache.Count(), 0);
  EXPECT_EQ(cache.FindPicture("http://h/o"), nullptr);
  EXPECT_EQ(cache.FindPicture("http://h/c"), nullptr);
}

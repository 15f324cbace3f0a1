#include "platform/net/NetSession.h"

#include "tests/update/TestServers.h"
#include "tests/update/UpdateTestSupport.h"

using namespace updatetest;
using net::TNetSession;

namespace {

class NetSessionTest : public ::testing::Test {
protected:
  void SetUp() override {
    std::string data(100000, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + (i >> 9));
    payload = data;
    fs::create_directories(root.Path() / "pub/sub dir");
    WriteBytes(root / "pub/big.bin", payload);
    WriteBytes(root / "pub/sub dir/small #1.txt", "small");
    WriteBytes(root / "top.txt", "top");
  }

  // Collects what arrives, in blocks of at most 4096 bytes.
  net::TBlockHandler Collect(std::string& into, int cancelAfter = -1) {
    return [&into, cancelAfter, blocks = 0](const char* data, size_t size) mutable {
      EXPECT_LE(size, TNetSession::BlockSize);
      into.append(data, size);
      return ++blocks != cancelAfter;
    };
  }

  TScratchDir root;
  std::string payload;
};

}  // namespace

TEST_F(NetSessionTest, HttpGetDeliversTheBodyInBlocksWithItsAnnouncedSize) {
  TTestServer http("http_server.py", {root.Path().string()});
  TNetSession s({});
  std::string got;
  auto r = s.HttpGet(http.Base() + "/files/pub/big.bin", {}, Collect(got));
  EXPECT_TRUE(r.Complete) << r.Error;
  EXPECT_EQ(r.Status, 200);
  EXPECT_EQ(r.ExpectedSize, 100000);
  EXPECT_EQ(r.Received, 100000);
  EXPECT_EQ(got, payload);
}

TEST_F(NetSessionTest, ErrorStatusesTruncationAndEmptyAnswersAreNotSuccesses) {
  TTestServer http("http_server.py", {root.Path().string()});
  TNetSession s({});
  std::string got;
  auto r = s.HttpGet(http.Base() + "/files/missing", {}, Collect(got));
  EXPECT_FALSE(r.Complete);
  EXPECT_TRUE(r.Opened);
  EXPECT_EQ(r.Status, 404);
  EXPECT_EQ(got, "");  // the error page is never handed on

  r = s.HttpGet(http.Base() + "/status/500", {}, Collect(got));
  EXPECT_EQ(r.Status, 500);
  EXPECT_FALSE(r.Complete);

  r = s.HttpGet(http.Base() + "/truncated", {}, Collect(got));
  EXPECT_FALSE(r.Complete);
  EXPECT_EQ(r.ExpectedSize, 1000);
  EXPECT_EQ(r.Received, 500);

  got.clear();
  r = s.HttpGet(http.Base() + "/empty", {}, Collect(got));
  EXPECT_TRUE(r.Complete);
  EXPECT_EQ(r.Received, 0);
}

TEST_F(NetSessionTest, RedirectsAreFollowedOnlyToHttp) {
  TTestServer http("http_server.py", {root.Path().string()});
  TNetSession s({});
  std::string got;
  auto r = s.HttpGet(http.Base() + "/redirect/top.txt", {}, Collect(got));
  EXPECT_TRUE(r.Complete) << r.Error;
  EXPECT_EQ(got, "top");

  got.clear();
  r = s.HttpGet(http.Base() + "/redirect-ftp", {}, Collect(got));
  EXPECT_FALSE(r.Complete);
  EXPECT_EQ(got, "");
}

TEST_F(NetSessionTest, HeadersAreSentAsGivenAndNoneAddedForCredentials) {
  TTestServer http("http_server.py", {root.Path().string(), "user", "secret"});
  TNetSession s({});
  std::string got;
  auto r = s.HttpGet(http.Base() + "/headers", {}, Collect(got));
  ASSERT_TRUE(r.Complete);
  EXPECT_EQ(got.find("Authorization"), std::string::npos);
  EXPECT_NE(got.find("User-Agent: TNetUpdate"), std::string::npos);
  EXPECT_NE(got.find("Cache-Control: no-cache"), std::string::npos);

  got.clear();
  r = s.HttpGet(http.Base() + "/auth/top.txt", {}, Collect(got));
  EXPECT_EQ(r.Status, 401);
  r = s.HttpGet(http.Base() + "/auth/top.txt", {"Authorization: Basic dXNlcjpzZWNyZXQ="}, Collect(got));
  EXPECT_TRUE(r.Complete);
  EXPECT_EQ(got, "top");
}

TEST_F(NetSessionTest, TheBlockHandlerCancelsAndIdleKeepsAStalledTransferCancellable) {
  TTestServer http("http_server.py", {root.Path().string()});
  TNetSession s({});
  std::string got;
  auto r = s.HttpGet(http.Base() + "/files/pub/big.bin", {}, Collect(got, 3));
  EXPECT_TRUE(r.Cancelled);
  EXPECT_FALSE(r.Complete);
  EXPECT_EQ(got.size(), 3 * TNetSession::BlockSize);

  int idles = 0;
  net::TNetOptions o;
  o.OnIdle = [&idles] { return ++idles < 3; };
  TNetSession slow(o);
  got.clear();
  r = slow.HttpGet(http.Base() + "/slow", {}, [](const char*, size_t) { return true; });
  EXPECT_TRUE(r.Cancelled);
  EXPECT_FALSE(r.Complete);
  EXPECT_EQ(idles, 3);
}

TEST_F(NetSessionTest, PostSendsTheFormDataAndReadsTheAnswer) {
  TTestServer http("http_server.py", {root.Path().string()});
  TNetSession s({});
  std::string got;
  auto r = s.HttpPost(http.Base() + "/post", "application/x-www-form-urlencoded", "a=1&b=%20",
                      Collect(got));
  EXPECT_TRUE(r.Complete) << r.Error;
  EXPECT_EQ(got, "application/x-www-form-urlencoded|a=1&b=%20");
}

TEST_F(NetSessionTest, UnreachableServersFailWithoutOpening) {
  TNetSession s({});
  std::string got;
  auto r = s.HttpGet("http://127.0.0.1:1/x", {}, Collect(got));
  EXPECT_FALSE(r.Opened);
  EXPECT_FALSE(r.Complete);
  EXPECT_FALSE(r.Error.empty());
  r = s.HttpGet("file:///etc/passwd", {}, Collect(got));  // not an http transport
  EXPECT_FALSE(r.Complete);
  EXPECT_EQ(got, "");
}

TEST_F(NetSessionTest, FtpPassiveAndActiveDownloadsWithSizeAndDirectory) {
  TTestServer ftp("ftp_server.py", {root.Path().string(), "user", "secret"});
  for (bool passive : {true, false}) {
    SCOPED_TRACE(passive ? "passive" : "active");
    TNetSession s({});
    std::string error;
    ASSERT_TRUE(s.FtpConnect({"127.0.0.1", ftp.Port(), "user", "secret", passive}, error)) << error;
    EXPECT_EQ(s.FtpFileSize("top.txt"), 3);
    EXPECT_EQ(s.FtpFileSize("missing.txt"), -1);
    EXPECT_EQ(s.FtpFileSize("pub"), -1) << "a directory is no file";
    ASSERT_TRUE(s.FtpChangeDir("pub"));
    EXPECT_EQ(s.FtpFileSize("big.bin"), 100000);
    std::string got;
    auto r = s.FtpGet("big.bin", Collect(got));
    EXPECT_TRUE(r.Complete) << r.Error;
    EXPECT_EQ(got, payload);
    ASSERT_TRUE(s.FtpChangeDir("/pub/sub dir"));
    EXPECT_EQ(s.FtpFileSize("small #1.txt"), 5);
    got.clear();
    r = s.FtpGet("small #1.txt", Collect(got));
    EXPECT_TRUE(r.Complete) << r.Error;
    EXPECT_EQ(got, "small");
    EXPECT_FALSE(s.FtpChangeDir("/nowhere"));
  }
}

TEST_F(NetSessionTest, FtpLoginRefusedAndAnonymousLogin) {
  TTestServer ftp("ftp_server.py", {root.Path().string(), "user", "secret"});
  TNetSession s({});
  std::string error;
  EXPECT_FALSE(s.FtpConnect({"127.0.0.1", ftp.Port(), "user", "wrong-pass", true}, error));
  EXPECT_EQ(error.find("wrong-pass"), std::string::npos);  // no secret in any text
  EXPECT_TRUE(s.FtpConnect({"127.0.0.1", ftp.Port(), "", "", true}, error)) << error;
  std::string got;
  EXPECT_TRUE(s.FtpGet("top.txt", Collect(got)).Complete);
  EXPECT_EQ(got, "top");
}

TEST(NetUrls, FtpListingsGiveTheSizeOfTheNamedPlainFileOnly) {
  struct Row {
    const char* listing;
    const char* name;
    int64_t size;
  } rows[] = {
      {"-rw-r--r--   1 owner    group        1234 Dec 08 12:00 file.bin\r\n", "file.bin", 1234},
      {"-rw-r--r--   1 owner    group           7 Dec 08  2025 a b.txt\n", "a b.txt", 7},
      {"12-08-26  10:00AM                 4096 file.bin\r\n", "file.bin", 4096},
      {"12-08-26  10:00AM       <DIR>          file.bin\r\n", "file.bin", -1},
      {"drwxr-xr-x   2 owner    group        4096 Dec 08 12:00 file.bin\r\n", "file.bin", -1},
      {"-rw-r--r--   1 owner    group        1234 Dec 08 12:00 other.bin\r\n", "file.bin", -1},
      {"-rw-r--r--   1 owner    group        1234 Dec 08 12:00 xfile.bin\r\n", "file.bin", -1},
      {"total 0\r\n", "file.bin", -1},
      {"", "file.bin", -1},
  };
  for (const Row& r : rows) EXPECT_EQ(net::FtpListedSize(r.listing, r.name), r.size) << r.listing;
}

TEST(NetUrls, RedactionDropsUserInformationOnly) {
  EXPECT_EQ(TNetSession::RedactUrl("http://bob:pw@host:8080/a@b"), "http://host:8080/a@b");
  EXPECT_EQ(TNetSession::RedactUrl("ftp://host/x"), "ftp://host/x");
  EXPECT_EQ(TNetSession::RedactUrl("no scheme@all"), "no scheme@all");
}

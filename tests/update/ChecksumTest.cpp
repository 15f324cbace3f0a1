#include "update/NuBase64.h"
#include "update/nucrc32.h"

#include "UpdateTestSupport.h"

using namespace updatetest;

TEST(Base64, KnownValuesAndPadding) {
  using NuBase64::Base64Encode;
  EXPECT_EQ(Base64Encode(""), "");
  EXPECT_EQ(Base64Encode("a"), "YQ==");
  EXPECT_EQ(Base64Encode("ab"), "YWI=");
  EXPECT_EQ(Base64Encode("abc"), "YWJj");
  EXPECT_EQ(Base64Encode("Aladdin:open sesame"), "QWxhZGRpbjpvcGVuIHNlc2FtZQ==");
  EXPECT_EQ(Base64Encode(std::string("\xFF\xFE\x00\x01", 4)), "//4AAQ==");
  for (size_t n = 0; n < 40; ++n)
    EXPECT_EQ(Base64Encode(std::string(n, 'x')).size(), 4 * (n / 3) + (n % 3 ? 4 : 0)) << n;
}

TEST(CRC32, KnownValuesOverFilesOfEverySize) {
  TScratchDir dir;
  WriteBytes(dir / "check", "123456789");
  EXPECT_EQ(nucrc32::FileCRC32(dir / "check"), 0xCBF43926u);
  WriteBytes(dir / "empty", "");
  EXPECT_EQ(nucrc32::FileCRC32(dir / "empty"), 0u);
  EXPECT_EQ(nucrc32::FileCRC32(dir / "missing"), 0u);
  // Block boundaries: exactly one block, one more byte, several blocks.
  for (size_t n : {4095u, 4096u, 4097u, 8192u, 100000u}) {
    std::string data(n, '\0');
    for (size_t i = 0; i < n; ++i) data[i] = static_cast<char>(i * 13 + (i >> 8));
    WriteBytes(dir / "blk", data);
    uint32_t split = nucrc32::UpdateCRC32(0, data.data(), n / 3);
    split = nucrc32::UpdateCRC32(split, data.data() + n / 3, n - n / 3);
    EXPECT_EQ(nucrc32::FileCRC32(dir / "blk"), split) << n;
  }
  EXPECT_EQ(nucrc32::UpdateCRC32(0, "The quick brown fox jumps over the lazy dog", 43), 0x414FA339u);
}

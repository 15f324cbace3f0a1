#include <gtest/gtest.h>

#include "devices/UniversFile.h"

using namespace Univers;

namespace {

TUniversalData Sample() {
  TUniversalData d;
  const char* msgs[] = {"0102P", "S 40R FFFFP", "P", "A0S A2W 0102030405P", "FFFFFFP"};
  for (int n = 0; n < MessageCount; ++n) {
    d.Address[n] = n % 2 ? "40" : "A0";
    d.Direction[n] = n == 4 ? "R " : "W ";
    d.Message[n] = msgs[n];
  }
  d.Sequence = "12345123451";
  d.Delay = 7;
  return d;
}

// A short string in a field, as the old program wrote it (garbage after the text).
void Put(std::string& rec, size_t at, const std::string& text, size_t field) {
  rec[at] = static_cast<char>(text.size());
  rec.replace(at + 1, text.size(), text);
  for (size_t i = at + 1 + text.size(); i < at + field; ++i) rec[i] = 'x';
}

std::string OldRecord() {
  std::string rec(OldRecordSize, '\x55');
  rec.replace(0, 9, "Universal");
  const char* msgs[] = {"0102030405060708090A0B0C0D0E0F10P", "P", "11S 40R FFP", "22P", "33P"};
  for (size_t n = 0; n < 5; ++n) {
    Put(rec, 9 + 43 * n, "4" + std::to_string(n * 2), 4);
    Put(rec, 13 + 43 * n, "W ", 4);
    Put(rec, 17 + 43 * n, msgs[n], 35);
  }
  Put(rec, 224, "54321", 12);
  rec[236] = 0x2C;  // 300 ms
  rec[237] = 0x01;
  rec[238] = rec[239] = 0;
  return rec;
}

TEST(UniversRecord, RoundTripAndExactLayout) {
  const TUniversalData d = Sample();
  const std::string rec = EncodeRecord(d);
  ASSERT_EQ(rec.size(), RecordSize);
  EXPECT_EQ(rec.substr(0, 9), "Univers02");
  // Message blocks at 9, 64, 119, 174 and 229: address, direction, text.
  EXPECT_EQ(rec[64], 2);
  EXPECT_EQ(rec.substr(65, 2), "40");
  EXPECT_EQ(rec[68], 2);
  EXPECT_EQ(rec.substr(69, 2), "W ");
  EXPECT_EQ(rec[72], 11);
  EXPECT_EQ(rec.substr(73, 11), "S 40R FFFFP");
  EXPECT_EQ(rec[284], 11);
  EXPECT_EQ(rec.substr(285, 11), "12345123451");
  EXPECT_EQ(rec.substr(296, 4), std::string("\x07\0\0\0", 4));
  // Filler after each text is zero.
  EXPECT_EQ(rec.substr(12, 1), std::string(1, '\0'));
  EXPECT_EQ(rec.substr(17 + 1 + 5, 41), std::string(41, '\0'));

  TUniversalData back;
  std::string fault;
  ASSERT_EQ(DecodeRecord(rec, back, fault), drOk) << fault;
  EXPECT_EQ(back, d);
}

TEST(UniversRecord, OldRecordsLoadWithTheirOwnLayout) {
  TUniversalData d;
  std::string fault;
  ASSERT_EQ(DecodeRecord(OldRecord(), d, fault), drOk) << fault;
  EXPECT_EQ(d.Message[0], "0102030405060708090A0B0C0D0E0F10P");
  EXPECT_EQ(d.Message[2], "11S 40R FFP");
  EXPECT_EQ(d.Address[3], "46");
  EXPECT_EQ(d.Sequence, "54321");
  EXPECT_EQ(d.Delay, 300);
}

TEST(UniversRecord, HostileRecordsChangeNothing) {
  const TUniversalData before = Sample();
  const std::string good = EncodeRecord(Sample());
  auto refused = [&](const std::string& bytes, TDecodeResult expect, const char* what) {
    TUniversalData d = before;
    std::string fault;
    EXPECT_EQ(DecodeRecord(bytes, d, fault), expect) << what;
    EXPECT_FALSE(fault.empty()) << what;
    EXPECT_EQ(d, before) << what << ": nothing may be applied";
  };
  refused("", drTooShort, "empty");
  refused("Univers0", drTooShort, "shorter than the signature");
  refused(good.substr(0, 299), drTooShort, "a record cut short");
  refused(OldRecord().substr(0, 239), drTooShort, "an old record cut short");
  refused("Universe3" + good.substr(9), drBadSignature, "foreign signature");
}

// Texts are taken as they stand (sending checks them), within their fields.
TEST(UniversRecord, TextsThatBreakTheirRulesLoadAsTheyStand) {
  const std::string good = EncodeRecord(Sample());
  const struct {
    size_t At;
    std::string Bytes;
    int Kind;  // the first message's 0 address, 1 direction, 2 text; 3 the sequence
    const char* Loaded;
  } cases[] = {
      {9, std::string("\x03" "4a0", 4), 0, "4a0"},
      {13, std::string("\x02" "X ", 3), 1, "X "},
      {17, std::string("\x05" "0a02P", 6), 2, "0a02P"},
      {17, std::string("\x04" "010P", 5), 2, "010P"},
      {284, std::string("\x03" "609", 4), 3, "609"},
  };
  for (const auto& c : cases) {
    std::string rec = good;
    rec.replace(c.At, c.Bytes.size(), c.Bytes);
    TUniversalData d;
    std::string fault;
    ASSERT_EQ(DecodeRecord(rec, d, fault), drOk) << c.Loaded << ": " << fault;
    const std::string got = c.Kind == 0 ? d.Address[0] : c.Kind == 1 ? d.Direction[0] : c.Kind == 2 ? d.Message[0] : d.Sequence;
    EXPECT_EQ(got, c.Loaded);
  }
}

TEST(UniversRecord, LengthBytesAreLimitedToTheirField) {
  std::string rec = EncodeRecord(Sample());
  // A sequence length of 200 reads the 11 characters of the field only.
  rec[284] = static_cast<char>(200);
  TUniversalData d;
  std::string fault;
  ASSERT_EQ(DecodeRecord(rec, d, fault), drOk) << fault;
  EXPECT_EQ(d.Sequence, "12345123451");
  // A message's length byte past its field reads the field only, never the next block.
  rec = EncodeRecord(Sample());
  rec[17] = 100;
  ASSERT_EQ(DecodeRecord(rec, d, fault), drOk) << fault;
  EXPECT_EQ(d.Message[0], std::string("0102P") + std::string(41, '\0'));
}

TEST(UniversRecord, TextsTooLongForTheirFieldAreCutOnWriting) {
  TUniversalData d = Sample();
  d.Address[0] = "A0XYZ";
  d.Sequence = "123451234512345";
  const std::string rec = EncodeRecord(d);
  EXPECT_EQ(rec[9], 3);
  EXPECT_EQ(rec.substr(10, 3), "A0X");
  EXPECT_EQ(rec[284], 11);
  EXPECT_EQ(rec[17 + 55], 11) << "the next block is untouched";
}

}  // namespace

// The expert message language on a recording bus: what each row turns into.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devices/ExpertMessage.h"

namespace {

// Records every call; NACKs the writes whose 1-based number is in Nack.
class TRecordingBus : public TExpertBus {
 public:
  std::vector<std::string> Calls;
  std::vector<int> Nack;
  uint8_t StartResult = 0;
  uint8_t NextRead = 0x10;
  int writes = 0;

  uint8_t Start() override { Calls.push_back("S"); return StartResult; }
  uint8_t Stop() override { Calls.push_back("P"); return 0; }
  uint8_t Write(uint8_t d) override {
    char b[8];
    snprintf(b, sizeof b, "W%02X", d);
    Calls.push_back(b);
    ++writes;
    for (int n : Nack)
      if (n == writes) return 128;
    return 0;
  }
  uint8_t Read(uint8_t last, uint8_t& ack) override {
    ack = last ? 128 : 0;
    char b[8];
    snprintf(b, sizeof b, "R%02X%s", NextRead, last ? "n" : "a");
    Calls.push_back(b);
    return NextRead++;
  }
  void Trigger(bool h) override { Calls.push_back(h ? "TH" : "TL"); }
  void PulseLow() override { Calls.push_back("PL"); }
  void PulseHigh() override { Calls.push_back("PH"); }
};

TExpertMessage Parse(const TExpertRow& row) {
  TExpertMessage m;
  std::string error;
  EXPECT_TRUE(ParseExpertRow(row, m, error)) << error;
  return m;
}

std::string Refusal(const TExpertRow& row) {
  TExpertMessage m;
  std::string error;
  EXPECT_FALSE(ParseExpertRow(row, m, error));
  return error;
}

using Calls = std::vector<std::string>;

}  // namespace

TEST(ExpertTokens, SplitsTwoCharacterTokensAndRefusesEverythingElse) {
  std::vector<std::string> t;
  std::string e;
  ASSERT_TRUE(SplitExpertTokens("A0,00,ST,55", t, e));
  EXPECT_EQ(t, (std::vector<std::string>{"A0", "00", "ST", "55"}));
  ASSERT_TRUE(SplitExpertTokens("  ", t, e));
  EXPECT_TRUE(t.empty());
  for (const char* bad : {"A0,", "A0,5", "A055", "A", ",A0", "A0,,55", "A0;55"}) {
    EXPECT_FALSE(SplitExpertTokens(bad, t, e)) << bad;
    EXPECT_NE(e.find("tokens"), std::string::npos);
  }
  EXPECT_EQ(JoinExpertTokens({"A0", "TH"}), "A0,TH");
}

TEST(ExpertTokens, DelayIsBlankZeroOrClampedNumber) {
  uint32_t ms = 77;
  EXPECT_TRUE(ExpertDelayValue("", ms));
  EXPECT_EQ(ms, 0u);
  EXPECT_TRUE(ExpertDelayValue(" 250 ", ms));
  EXPECT_EQ(ms, 250u);
  EXPECT_TRUE(ExpertDelayValue("2147483", ms));
  EXPECT_EQ(ms, 2147483u) << "not cut to the editor's 9999";
  EXPECT_FALSE(ExpertDelayValue("2147484", ms)) << "its microseconds would wrap round";
  EXPECT_FALSE(ExpertDelayValue("99999999999999999999", ms));
  EXPECT_TRUE(ExpertDelayValue("-5", ms));
  EXPECT_EQ(ms, 0u);
  EXPECT_FALSE(ExpertDelayValue("1O", ms));
  EXPECT_FALSE(ExpertDelayValue("-", ms));
}

TEST(ExpertTokens, EveryTokenIsCheckedBeforeAnything) {
  EXPECT_NE(Refusal({"A0", "Write", "00,XY", "Yes", "", ""}).find("token 2 \"XY\""), std::string::npos);
  EXPECT_NE(Refusal({"", "Write", "00", "Yes", "", ""}).find("no address"), std::string::npos);
  EXPECT_NE(Refusal({"G0", "Write", "00", "Yes", "", ""}).find("address \"G0\""), std::string::npos);
  EXPECT_NE(Refusal({"A0", "Write", "00", "Yes", "abc", ""}).find("delay \"abc\""), std::string::npos);
  // A restart must lead to a write address.
  EXPECT_NE(Refusal({"A0", "Write", "00,ST", "Yes", "", ""}).find("\"ST\""), std::string::npos);
  EXPECT_NE(Refusal({"A0", "Write", "00,ST,A1", "Yes", "", ""}).find("\"ST\""), std::string::npos);
  EXPECT_NE(Refusal({"A0", "Write", "00,ST,TH", "Yes", "", ""}).find("\"ST\""), std::string::npos);
  EXPECT_NE(Refusal({"A0", "Write", "00", "Yes", "9999999", ""}).find("longer than 2147483 ms"), std::string::npos);
  // Lower-case keywords are no keywords.
  Refusal({"A0", "Write", "th", "Yes", "", ""});
  // Lower-case hex is a byte.
  EXPECT_EQ(Parse({"a0", "Write", "ff", "Yes", "", ""}).Items[0].Value, 0xFF);
}

TEST(ExpertSend, WriteRowWithRepeatedStartAndNoStop) {
  TRecordingBus bus;
  const TExpertMessage m = Parse({"A0", "Write", "00,ST,A0,55", "No", "", ""});
  EXPECT_EQ(SendExpertWrite(bus, m), 0);
  EXPECT_EQ(bus.Calls, (Calls{"S", "WA0", "W00", "S", "WA0", "W55"}));
}

TEST(ExpertSend, WriteRowTriggersAndPulsesInOrder) {
  TRecordingBus bus;
  EXPECT_EQ(SendExpertWrite(bus, Parse({"40", "Write", "TH,01,PL,PH,TL", "Yes", "", ""})), 0);
  EXPECT_EQ(bus.Calls, (Calls{"S", "W40", "TH", "W01", "PL", "PH", "TL", "P"}));
}

TEST(ExpertSend, EmptyWriteRowSendsAddressAndStop) {
  TRecordingBus bus;
  EXPECT_EQ(SendExpertWrite(bus, Parse({"A0", "Write", "", "Yes", "", ""})), 0);
  EXPECT_EQ(bus.Calls, (Calls{"S", "WA0", "P"}));
}

TEST(ExpertSend, FailuresGiveTheirStatusWritesAlwaysStopReadsByTheirStopCell) {
  {
    TRecordingBus bus;
    bus.Nack = {1};
    EXPECT_EQ(SendExpertWrite(bus, Parse({"A0", "Write", "00,01", "No", "", ""})), 1);
    EXPECT_EQ(bus.Calls, (Calls{"S", "WA0", "P"}));
  }
  {
    TRecordingBus bus;
    bus.Nack = {2};
    EXPECT_EQ(SendExpertWrite(bus, Parse({"A0", "Write", "00,01", "No", "", ""})), 2);
    EXPECT_EQ(bus.Calls, (Calls{"S", "WA0", "W00", "P"}));
  }
  {
    TRecordingBus bus;
    bus.StartResult = 8;
    EXPECT_EQ(SendExpertWrite(bus, Parse({"A0", "Write", "00", "No", "", ""})), 8);
    EXPECT_EQ(bus.Calls, (Calls{"S", "P"}));
  }
  for (const char* stop : {"No", "Yes"}) {
    // A failed read row stops only when its Stop? says Yes.
    TRecordingBus bus;
    bus.Nack = {1};
    std::vector<uint8_t> bytes;
    EXPECT_EQ(ReceiveExpertRead(bus, Parse({"A0", "Read", "FF", stop, "", ""}), bytes), 1);
    EXPECT_EQ(bus.Calls, std::string(stop) == "Yes" ? (Calls{"S", "WA1", "P"}) : (Calls{"S", "WA1"}));
    EXPECT_TRUE(bytes.empty());
  }
}

TEST(ExpertSend, ReadRowReadsPlacesAroundTriggersLastWithoutAcknowledge) {
  TRecordingBus bus;
  // Every token without a "T" or "P" is a place; other tokens do nothing.
  const TExpertMessage m = Parse({"A0", "Read", "XX,TH,zz,ST,AP", "Yes", "", ""});
  std::vector<uint8_t> bytes;
  EXPECT_EQ(ReceiveExpertRead(bus, m, bytes), 0);
  EXPECT_EQ(bus.Calls, (Calls{"S", "WA1", "R10a", "TH", "R11n", "P"}));
  EXPECT_EQ(ExpertReadData(m, bytes), "10,TH,11,ST,AP");
}

TEST(ExpertSend, ReadRowWithoutStopAndWithoutPlaces) {
  TRecordingBus bus;
  std::vector<uint8_t> bytes;
  EXPECT_EQ(ReceiveExpertRead(bus, Parse({"A1", "Read", "", "No", "", ""}), bytes), 0);
  EXPECT_EQ(bus.Calls, (Calls{"S", "WA1"}));
}

TEST(ExpertSequence, ParsesTwoDigitEntriesOnly) {
  std::vector<int> e;
  std::string why;
  ASSERT_TRUE(ParseExpertSequence("01,05,64", e, why));
  EXPECT_EQ(e, (std::vector<int>{1, 5, 64}));
  ASSERT_TRUE(ParseExpertSequence("", e, why));
  EXPECT_TRUE(e.empty());
  for (const char* bad : {"1,2", "01,", "01;02", "0A", "01,,02", "001"}) EXPECT_FALSE(ParseExpertSequence(bad, e, why)) << bad;
  EXPECT_EQ(ExpertSequenceText({3, 0, 12, 7}), "03,12,07");
  std::vector<int> many(70, 2);
  EXPECT_EQ(ExpertSequenceText(many).size(), 64u * 3 - 1);
}

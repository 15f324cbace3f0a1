#include <gtest/gtest.h>

#include "devices/UniversText.h"

using namespace Univers;

namespace {

// The fresh window's message: cells 00 to 21 written as decimal numbers, then the stop.
std::string Fresh() {
  std::string m;
  for (int k = 0; k < 22; ++k) m += std::string{char('0' + k / 10), char('0' + k % 10)};
  return m + "P";
}

TEST(UniversEditing, InsertPutsAnFFCellAtTheBoxAndRespectsTheLimitAndTheRestart) {
  std::string m = "1122P";
  EXPECT_TRUE(InsertCell(m, 1));
  EXPECT_EQ(m, "11FF22P");
  EXPECT_TRUE(InsertCell(m, 3)) << "on the box that shows the P";
  EXPECT_EQ(m, "11FF22FFP");

  std::string full = Fresh();
  EXPECT_FALSE(InsertCell(full, 0)) << "22 cells before the stop: nothing";
  EXPECT_EQ(full, Fresh());

  std::string r = "01S A0W 02P";
  EXPECT_FALSE(InsertCell(r, 2)) << "restart address cell";
  EXPECT_FALSE(InsertCell(r, 3)) << "restart direction cell";
  EXPECT_EQ(r, "01S A0W 02P");
  EXPECT_TRUE(InsertCell(r, 1)) << "on the S box the cell goes before the restart";
  EXPECT_EQ(r, "01FFS A0W 02P");
  std::string past = "11P";
  EXPECT_FALSE(InsertCell(past, 5)) << "a box past the stop";
}

TEST(UniversEditing, DeleteRemovesExactlyTheCellOrTheWholeRestart) {
  std::string m = "112233P";
  EXPECT_TRUE(DeleteCell(m, 1));
  EXPECT_EQ(m, "1133P");
  std::string one = "05P";
  EXPECT_FALSE(DeleteCell(one, 0)) << "the only data cell stays";
  EXPECT_EQ(one, "05P");
  std::string stop = "1122P";
  EXPECT_FALSE(DeleteCell(stop, 2)) << "the P is never deleted";

  std::string r = "01S A0R 0203P";
  EXPECT_FALSE(DeleteCell(r, 2));
  EXPECT_FALSE(DeleteCell(r, 3));
  EXPECT_EQ(r, "01S A0R 0203P");
  EXPECT_TRUE(DeleteCell(r, 1));
  EXPECT_EQ(r, "010203P") << "the cells after the restart stay as data cells";
}

TEST(UniversEditing, RestartKeysFollowTheirRules) {
  std::string m = "112233P";
  EXPECT_TRUE(AddRestart(m, 1));
  EXPECT_EQ(m, "11S A0W FFP") << "from the box to the stop is replaced";
  EXPECT_FALSE(AddRestart(m, 0)) << "one restart only";

  std::string late = Fresh();
  EXPECT_FALSE(AddRestart(late, 12)) << "cell 13 or later";
  EXPECT_TRUE(AddRestart(late, 11));
  EXPECT_EQ(late, Fresh().substr(0, 22) + "S A0W FFP");

  std::string onStop = "11P";
  EXPECT_TRUE(AddRestart(onStop, 1));
  EXPECT_EQ(onStop, "11S A0W FFP");

  std::string r = "01S A3W 1234P";
  EXPECT_FALSE(RestartToRead(r, 1)) << "only on the restart's direction cell";
  EXPECT_TRUE(RestartToRead(r, 3));
  EXPECT_EQ(r, "01S A2R FFFFP") << "address even, every later cell a placeholder";
  std::string w = "01S A2R 1234P";
  EXPECT_TRUE(RestartToWrite(w, 3));
  EXPECT_EQ(w, "01S A2W 1234P") << "W keeps the cells";
  EXPECT_FALSE(RestartToWrite(w, 3)) << "already a write";
}

TEST(UniversSending, PlansEachShapeOfMessage) {
  TMessagePlan p;
  std::string fault;
  ASSERT_TRUE(PlanMessage("40", "W ", "0011AAP", p, fault)) << fault;
  EXPECT_EQ(p.Address, 0x40);
  EXPECT_FALSE(p.Read);
  EXPECT_FALSE(p.Restart);
  EXPECT_EQ(p.Bytes1, (std::vector<uint8_t>{0x00, 0x11, 0xAA}));

  ASSERT_TRUE(PlanMessage("41", "R ", "FFFFP", p, fault));
  EXPECT_EQ(p.Address, 0x41);
  EXPECT_TRUE(p.Read);
  EXPECT_EQ(p.Cells1, 2);
  EXPECT_TRUE(p.Bytes1.empty());
  ASSERT_TRUE(PlanMessage("40", "X", "P", p, fault)) << "anything but W is a read";
  EXPECT_EQ(p.Address, 0x41);

  ASSERT_TRUE(PlanMessage("40", "W ", "05S 41R FFFFFFP", p, fault)) << fault;
  EXPECT_EQ(p.Bytes1, (std::vector<uint8_t>{0x05}));
  EXPECT_TRUE(p.Restart);
  EXPECT_EQ(p.RestartAddress, 0x41) << "an odd stored address never sets the read bit of a write and vice versa";
  EXPECT_TRUE(p.RestartRead);
  EXPECT_EQ(p.Cells2, 3);
  ASSERT_TRUE(PlanMessage("40", "W ", "05S 41W 01P", p, fault));
  EXPECT_EQ(p.RestartAddress, 0x40);
  EXPECT_EQ(p.Bytes2, (std::vector<uint8_t>{0x01}));
  // A data file may bring any restart direction: all but one starting with W reads.
  ASSERT_TRUE(PlanMessage("40", "W ", "S 40X 00P", p, fault)) << fault;
  EXPECT_TRUE(p.RestartRead);
  EXPECT_EQ(p.RestartAddress, 0x41);
  EXPECT_EQ(p.Cells2, 1);
  EXPECT_TRUE(p.Bytes2.empty());
  ASSERT_TRUE(PlanMessage("40", "W ", "S 40w 00P", p, fault)) << fault;
  EXPECT_TRUE(p.RestartRead) << "a lower-case w is no W";
  ASSERT_TRUE(PlanMessage("40", "W ", "S 40Wx33P", p, fault)) << fault;
  EXPECT_FALSE(p.RestartRead);
  EXPECT_EQ(p.Bytes2, (std::vector<uint8_t>{0x33}));
}

TEST(UniversSending, EveryByteIsCheckedBeforeAnythingIsSent) {
  TMessagePlan p;
  std::string fault;
  EXPECT_FALSE(PlanMessage("4G", "W ", "00P", p, fault));
  EXPECT_NE(fault.find("4G"), std::string::npos);
  EXPECT_FALSE(PlanMessage("40", "W ", "00G1P", p, fault));
  EXPECT_NE(fault.find("G1"), std::string::npos);
  EXPECT_FALSE(PlanMessage("40", "W ", "0", p, fault)) << "no stop";
  EXPECT_FALSE(PlanMessage("40", "W ", "0P", p, fault)) << "a stop inside a cell";
  EXPECT_FALSE(PlanMessage("40", "W ", "S 4GW 00P", p, fault));
  EXPECT_FALSE(PlanMessage("40", "W ", "S 40W S 40W P", p, fault)) << "two restarts";
  EXPECT_FALSE(PlanMessage("40", "W ", "00S P", p, fault)) << "a restart cut short";
  EXPECT_FALSE(PlanMessage("40", "W ", "0 P", p, fault));
}

TEST(UniversSending, ReadTextReplacesOnlyTheReadPartsAndNeverLosesTheStop) {
  TMessagePlan p;
  std::string fault;
  ASSERT_TRUE(PlanMessage("40", "R ", "P", p, fault));
  EXPECT_EQ(MessageAfterSend("P", p, "7E", ""), "7EP") << "an empty read grows to one cell";

  ASSERT_TRUE(PlanMessage("40", "W ", "05S 40R FFFFP", p, fault));
  EXPECT_EQ(MessageAfterSend("05S 40R FFFFP", p, "", "0A0B"), "05S 40R 0A0BP");
  EXPECT_EQ(MessageAfterSend("05S 40R FFFFP", p, "", "0A"), "05S 40R 0AP") << "a read that ended early";

  ASSERT_TRUE(PlanMessage("40", "R ", "FFFFS 40W 09P", p, fault));
  EXPECT_EQ(MessageAfterSend("FFFFS 40W 09P", p, "12", ""), "12S 40W 09P")
      << "the restart and the part after it keep their place when the first read ends early";

  // A read part of no cells reads one byte; the message may not outgrow 46 characters.
  std::string m = "S 40W ";
  for (int i = 0; i < 19; ++i) m += "AA";
  m += "P";
  ASSERT_TRUE(PlanMessage("40", "R ", m, p, fault)) << fault;
  const std::string out = MessageAfterSend(m, p, "77", "");
  EXPECT_LE(out.size(), MessageMax);
  EXPECT_EQ(out.back(), 'P');
  EXPECT_EQ(out.substr(0, 8), "77S 40W ");
}

TEST(UniversNotation, WholeMessagesOnly) {
  EXPECT_TRUE(IsMessageText("P"));
  EXPECT_TRUE(IsMessageText(Fresh()));
  EXPECT_TRUE(IsMessageText("01S A0R FFP"));
  EXPECT_FALSE(IsMessageText(""));
  EXPECT_FALSE(IsMessageText("01"));
  EXPECT_FALSE(IsMessageText("01P02"));
  EXPECT_FALSE(IsMessageText("0aP")) << "cells are upper case";
  EXPECT_FALSE(IsMessageText("S 40X 00P")) << "a restart direction is W or R";
  EXPECT_FALSE(IsMessageText(Fresh(), 34));
  EXPECT_FALSE(IsMessageText(Fresh().substr(0, 44) + "00P")) << "more than 22 cells";
}

TEST(UniversSequence, DigitsOneToFiveUpToElevenEntries) {
  EXPECT_EQ(ParseSequence("1234512345"), (std::vector<int>{1, 2, 3, 4, 5, 1, 2, 3, 4, 5}));
  EXPECT_EQ(ParseSequence("12345123451")->size(), 11u) << "the file's field holds 11";
  EXPECT_FALSE(ParseSequence("123451234512"));
  EXPECT_FALSE(ParseSequence(""));
  EXPECT_FALSE(ParseSequence("126"));
  EXPECT_FALSE(ParseSequence("10"));
  EXPECT_FALSE(ParseSequence("1 2"));
  EXPECT_TRUE(IsSequenceText(""));
  EXPECT_FALSE(IsSequenceText("0"));
}

TEST(UniversSequence, GaugeMaximumFollowsTheDelay) {
  EXPECT_EQ(GaugeMaximum(0), 300);
  EXPECT_EQ(GaugeMaximum(1), 0);
  EXPECT_EQ(GaugeMaximum(2), 200);
  EXPECT_EQ(GaugeMaximum(100), 200);
  EXPECT_EQ(GaugeMaximum(101), 100);
  EXPECT_EQ(GaugeMaximum(300), 50);
  EXPECT_EQ(GaugeMaximum(1000), 10);
  EXPECT_EQ(GaugeMaximum(5000), 5);
  EXPECT_EQ(GaugeMaximum(5001), 0);
}

TEST(UniversText, AddressesAndBytes) {
  EXPECT_EQ(EvenAddress("A1"), "A0");
  EXPECT_EQ(EvenAddress("7f"), "7E");
  EXPECT_FALSE(EvenAddress("A"));
  EXPECT_FALSE(EvenAddress(" A"));
  EXPECT_FALSE(EvenAddress("AG"));
  EXPECT_EQ(HexByte("ff"), 0xFF);
  EXPECT_FALSE(HexByte("5"));
}

}  // namespace

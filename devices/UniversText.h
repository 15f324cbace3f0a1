#pragma once
// The universal window's message texts, free of any window: the cell notation,
// the editing keys, turning a message into bus bytes and back, and the sequence.
//
// A message is a string of two-character cells ended by the stop mark "P":
// data cells of two upper-case hex digits, and at most one repeated start of
// three cells, "S " + restart address (two hex digits) + "W " or "R ".
// At most 46 characters, so at most 22 cells stand before the "P".
// Positions here are 0-based; the cell box with Tag t starts at character 2t.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Univers {

constexpr size_t MessageMax = 46;  // characters of a message text
constexpr int CellBoxes = 23;      // cell boxes per message group (the last one shows the "P")
constexpr int MessageCount = 5;
constexpr size_t SequenceMax = 11;  // entries of a sequence (the data file's field)

// Two hex digits of either case (a text the platform's conversion would read
// as one byte); nothing otherwise.
std::optional<uint8_t> HexByte(const std::string& Text);
// An address text made even ("A1" gives "A0"); nothing when it is not two hex digits.
std::optional<std::string> EvenAddress(const std::string& Text);

// --- Editing keys of a cell box. Msg is the active message joined from its
// boxes after the box with Tag was given a whole cell; each returns true when
// the message changed. ---
// Insert: "FF" at the box's cell, the rest moving one cell right (not on the
// restart's address or direction cell; not when 22 cells stand before the "P").
bool InsertCell(std::string& Msg, int Tag);
// Delete: the box's cell, or the whole restart when the box is its "S " (not
// on the restart's address or direction cell, not the "P", not below two cells).
bool DeleteCell(std::string& Msg, int Tag);
// S: a restart to A0, write, one data cell "FF", at the box (cells 1 to 12,
// no restart yet); what stood from the box to the "P" goes.
bool AddRestart(std::string& Msg, int Tag);
// R on the restart's "W ": a read; the address even; every cell after it "FF".
bool RestartToRead(std::string& Msg, int Tag);
// W on the restart's "R ": a write; the address even; the cells stay.
bool RestartToWrite(std::string& Msg, int Tag);

// --- Sending ---
// A message checked whole, ready for the bus.
struct TMessagePlan {
  uint8_t Address = 0;  // the message's own address byte, R/W bit included
  bool Read = false;
  int Cells1 = 0;  // cells before the restart (all cells without one)
  std::vector<uint8_t> Bytes1;  // what is written of them (empty for a read)
  bool Restart = false;
  uint8_t RestartAddress = 0;  // R/W bit included
  bool RestartRead = false;
  int Cells2 = 0;
  std::vector<uint8_t> Bytes2;
  std::string RestartCells;  // the restart's three cells as they are to be shown again
};

// Checks every cell of a message up to its "P" (and the address and direction
// texts) and gives the plan, or false with a short description of the first fault.
bool PlanMessage(const std::string& AddressText, const std::string& DirectionText, const std::string& Msg,
                 TMessagePlan& Plan, std::string& Fault);

// The message shown after a send: the text read for a read part replaces that
// part's cells (a read that ended early leaves fewer), written parts keep theirs.
std::string MessageAfterSend(const std::string& Msg, const TMessagePlan& Plan, const std::string& Read1,
                             const std::string& Read2);

// True when Msg is a whole message in the notation: cells up to a final "P"
// and nothing after it, at most MaxLength characters.
bool IsMessageText(const std::string& Msg, size_t MaxLength = MessageMax);

// --- Sequence ---
// The message numbers of a sequence text, one per character. Empty, a
// character other than 1 to 5, or more than SequenceMax entries: nothing.
std::optional<std::vector<int>> ParseSequence(const std::string& Text);
// True for a text of at most SequenceMax characters 1 to 5 (empty included).
bool IsSequenceText(const std::string& Text);

// Gauge maximum of a repeat run for a delay spin value; 0 keeps the gauge's.
int GaugeMaximum(int DelaySpinValue);

}  // namespace Univers

#pragma once
// The expert window's message language, apart from any window: a grid row's
// fields, the tokens of its Data cell (two characters each, separated by ","),
// the check of a whole row before anything reaches the bus, the write and read
// procedures over a bus interface, and the sequence text.

#include <cstdint>
#include <string>
#include <vector>

// Columns 2 to 7 of a message row.
struct TExpertRow {
  std::string Address, RW, Data, Stop, Delay, Notes;
  bool Empty() const {
    return Address.empty() && RW.empty() && Data.empty() && Stop.empty() && Delay.empty() && Notes.empty();
  }
  bool operator==(const TExpertRow&) const = default;
};

// The longest delay the message editor offers, in milliseconds.
constexpr uint32_t ExpertMaxDelay = 9999;
// The longest delay a row may hold: its microseconds fit 32 signed bits.
constexpr uint32_t ExpertLongestDelay = 2147483;
// The most entries a sequence holds.
constexpr int ExpertMaxSequence = 64;

// eiNothing: a token of a read row that is neither a keyword nor a byte place.
enum TExpertItemKind { eiByte, eiTriggerHigh, eiTriggerLow, eiPulseHigh, eiPulseLow, eiRestart, eiNothing };

struct TExpertItem {
  TExpertItemKind Kind = eiByte;
  uint8_t Value = 0;  // eiByte: the byte written (write rows); read rows: a place for a byte read
};

// A checked row, ready for the bus.
struct TExpertMessage {
  bool Read = false;     // the R/W cell is anything but "Write"
  uint8_t Address = 0;   // as the Address cell has it; a read sends it with bit 0 set
  std::vector<TExpertItem> Items;
  std::vector<std::string> Tokens;  // the Data cell's tokens as written
  bool Stop = true;      // the Stop? cell is exactly "Yes"
  uint32_t DelayMs = 0;  // 0 to ExpertLongestDelay
};

// The tokens of a Data cell: empty for an empty (or blank) cell; false with
// Error when the text is not two-character tokens separated by single commas.
bool SplitExpertTokens(const std::string& Data, std::vector<std::string>& Tokens, std::string& Error);
std::string JoinExpertTokens(const std::vector<std::string>& Tokens);

// A Delay cell in milliseconds: blank is 0, a negative number 0, a decimal
// number up to ExpertLongestDelay itself; false for anything else, with Why
// set for a number too long.
bool ExpertDelayValue(const std::string& Text, uint32_t& Ms, std::string* Why = nullptr);

// Checks every field and token of a row. False with Error (naming the token)
// when anything would not convert; nothing may be sent then.
bool ParseExpertRow(const TExpertRow& Row, TExpertMessage& Message, std::string& Error);

// The bus routines the procedures need (the main window's, or a test's).
class TExpertBus {
 public:
  virtual ~TExpertBus() = default;
  virtual uint8_t Start() = 0;
  virtual uint8_t Stop() = 0;
  virtual uint8_t Write(uint8_t Data) = 0;  // 0 acknowledged, else not
  virtual uint8_t Read(uint8_t Last, uint8_t& Ack) = 0;
  virtual void Trigger(bool High) = 0;
  virtual void PulseLow() = 0;
  virtual void PulseHigh() = 0;
};

// A write message: start, address, items in order ("ST" a repeated start),
// the stop when the row asks for it. Any failure ends with a stop. Returns
// 0, 1 (address not acknowledged), 2 (later byte) or the failed start's code.
uint8_t SendExpertWrite(TExpertBus& Bus, const TExpertMessage& Message);

// A read message: start, address with bit 0 set, a byte read at every byte
// place (the last without acknowledge), triggers and pulses in order. Bytes
// receives the bytes read. Any failure ends with a stop; success stops only
// when the row asks for it. Returns 0, 1 or the failed start's code.
uint8_t ReceiveExpertRead(TExpertBus& Bus, const TExpertMessage& Message, std::vector<uint8_t>& Bytes);

// The Data text after a read: the first Bytes.size() byte places replaced by
// the bytes read (two upper-case hex digits), the other tokens as they were.
std::string ExpertReadData(const TExpertMessage& Message, const std::vector<uint8_t>& Bytes);

// A sequence text: two-digit decimal row numbers separated by ","; empty text
// is an empty sequence. False with Error for anything else.
bool ParseExpertSequence(const std::string& Text, std::vector<int>& Entries, std::string& Error);
// The sequence text of entries (0 skipped, at most ExpertMaxSequence, each 1 to 99).
std::string ExpertSequenceText(const std::vector<int>& Entries);

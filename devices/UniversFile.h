#pragma once
// The universal window's data file: one fixed record holding the five messages
// with their addresses and directions, the sequence text and the delay.
// Written as the current 300-byte record (signature "Univers02"); read as it
// and as the older 240-byte record (signature "Universal"). Texts are
// length-prefixed short strings in fields of fixed size, integers little-endian.

#include <array>
#include <cstdint>
#include <string>

#include "devices/UniversText.h"

namespace Univers {

constexpr size_t RecordSize = 300;
constexpr size_t OldRecordSize = 240;
constexpr size_t SignatureSize = 9;

struct TUniversalData {
  std::array<std::string, MessageCount> Address;    // two hex digits when written by the window
  std::array<std::string, MessageCount> Direction;  // "W " or "R " likewise
  std::array<std::string, MessageCount> Message;    // the message notation likewise
  std::string Sequence;                             // digits 1 to 5 likewise
  int32_t Delay = 0;                                // the delay spin value, ms
  bool operator==(const TUniversalData&) const = default;
};

// The 300-byte record. Texts longer than their field are cut; the bytes after
// a text within its field are zeros.
std::string EncodeRecord(const TUniversalData& Data);

enum TDecodeResult {
  drOk,
  drTooShort,      // fewer bytes than the signature or the record it names
  drBadSignature,  // neither record's signature
};

// Reads the record at the start of Bytes (anything after it is ignored). Each
// length byte is limited to its field. The texts are taken as they stand:
// sending checks them. On a fault Data stays as it was and Fault says what was wrong.
TDecodeResult DecodeRecord(const std::string& Bytes, TUniversalData& Data, std::string& Fault);

}  // namespace Univers

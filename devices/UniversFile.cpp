#include "devices/UniversFile.h"

#include <algorithm>

namespace Univers {

namespace {

struct TLayout {
  const char* Signature;
  size_t Size;
  size_t Block;       // bytes per message block
  size_t MessageMax;  // characters of a message text
  size_t Sequence;    // offset of the sequence text
  size_t Delay;       // offset of the delay
};

constexpr TLayout Current{"Univers02", RecordSize, 55, 46, 284, 296};
constexpr TLayout Old{"Universal", OldRecordSize, 43, 34, 224, 236};

constexpr size_t AddressMax = 3, DirectionMax = 3;

void PutShort(std::string& Out, size_t Offset, size_t Max, const std::string& Text) {
  const size_t n = std::min(Text.size(), Max);
  Out[Offset] = static_cast<char>(n);
  Out.replace(Offset + 1, n, Text.substr(0, n));
}

std::string GetShort(const std::string& In, size_t Offset, size_t Max) {
  const size_t n = std::min<size_t>(static_cast<unsigned char>(In[Offset]), Max);
  return In.substr(Offset + 1, n);
}

}  // namespace

std::string EncodeRecord(const TUniversalData& Data) {
  std::string out(RecordSize, '\0');
  out.replace(0, SignatureSize, Current.Signature);
  for (int n = 0; n < MessageCount; ++n) {
    const size_t base = 9 + Current.Block * static_cast<size_t>(n);
    PutShort(out, base, AddressMax, Data.Address[n]);
    PutShort(out, base + 4, DirectionMax, Data.Direction[n]);
    PutShort(out, base + 8, Current.MessageMax, Data.Message[n]);
  }
  PutShort(out, Current.Sequence, SequenceMax, Data.Sequence);
  const uint32_t d = static_cast<uint32_t>(Data.Delay);
  for (int i = 0; i < 4; ++i) out[Current.Delay + i] = static_cast<char>((d >> (8 * i)) & 0xFF);
  return out;
}

TDecodeResult DecodeRecord(const std::string& Bytes, TUniversalData& Data, std::string& Fault) {
  if (Bytes.size() < SignatureSize + 1) {
    Fault = "the file holds " + std::to_string(Bytes.size()) + " bytes, fewer than a record";
    return drTooShort;
  }
  const std::string sig = Bytes.substr(0, SignatureSize);
  const TLayout* layout = sig == Current.Signature ? &Current : sig == Old.Signature ? &Old : nullptr;
  if (!layout) {
    Fault = "no universal data signature";
    return drBadSignature;
  }
  if (Bytes.size() < layout->Size) {
    Fault = "the file holds " + std::to_string(Bytes.size()) + " bytes, its record " + std::to_string(layout->Size);
    return drTooShort;
  }
  TUniversalData in;
  for (int n = 0; n < MessageCount; ++n) {
    const size_t base = 9 + layout->Block * static_cast<size_t>(n);
    in.Address[n] = GetShort(Bytes, base, AddressMax);
    in.Direction[n] = GetShort(Bytes, base + 4, DirectionMax);
    in.Message[n] = GetShort(Bytes, base + 8, layout->MessageMax);
  }
  in.Sequence = GetShort(Bytes, layout->Sequence, SequenceMax);
  uint32_t d = 0;
  for (int i = 0; i < 4; ++i) d |= uint32_t(static_cast<unsigned char>(Bytes[layout->Delay + i])) << (8 * i);
  in.Delay = static_cast<int32_t>(d);
  Data = std::move(in);
  return drOk;
}

}  // namespace Univers

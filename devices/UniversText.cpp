#include "devices/UniversText.h"

#include "app/bus/ByteText.h"

namespace Univers {

namespace {

constexpr size_t npos = std::string::npos;

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

bool IsCellAt(const std::string& Msg, size_t Pos, const char* Cell) { return Msg.compare(Pos, 2, Cell) == 0; }

// Cells before the "P" in whole two-character steps, else npos.
size_t StopOf(const std::string& Msg) {
  const size_t p = Msg.find('P');
  return (p == npos || p % 2 != 0) ? npos : p;
}

// True when Pos is the restart's address or direction cell.
bool InsideRestart(const std::string& Msg, size_t Pos) {
  const size_t s = Msg.find('S');
  return s != npos && (Pos == s + 2 || Pos == s + 4);
}

// Keeps a message within MessageMax without losing its stop: cells before the
// "P" go from the end until it fits.
std::string Fit(std::string Msg) {
  if (Msg.size() <= MessageMax) return Msg;
  const size_t p = Msg.find('P');
  if (p == npos) return Msg.substr(0, MessageMax);
  std::string cells = Msg.substr(0, p);
  cells.resize((MessageMax - 1) / 2 * 2);
  return cells + "P";
}

bool SetRestartDirection(std::string& Msg, int Tag, const char* From, const char* To) {
  if (Tag < 0) return false;
  const size_t p = static_cast<size_t>(Tag) * 2;
  const size_t s = Msg.find('S');
  if (s == npos || p != s + 4 || !IsCellAt(Msg, p, From)) return false;
  Msg.replace(p, 2, To);
  if (auto even = EvenAddress(Msg.substr(s + 2, 2))) Msg.replace(s + 2, 2, *even);
  return true;
}

}  // namespace

std::optional<uint8_t> HexByte(const std::string& Text) {
  // Exactly two digits: a blank or a lone digit would shift every later cell of a message.
  if (Text.size() != 2 || !IsHexDigit(Text[0]) || !IsHexDigit(Text[1])) return std::nullopt;
  return ByteCellValue(Text);
}

std::optional<std::string> EvenAddress(const std::string& Text) {
  const auto v = HexByte(Text);
  if (!v) return std::nullopt;
  return ByteCellText(static_cast<uint8_t>(*v & 0xFE));
}

bool InsertCell(std::string& Msg, int Tag) {
  const size_t stop = Msg.find('P');
  if (Tag < 0 || stop == npos || stop >= MessageMax - 2) return false;  // 22 cells already
  const size_t p = static_cast<size_t>(Tag) * 2;
  if (p > stop || InsideRestart(Msg, p)) return false;
  Msg.insert(p, "FF");
  Msg = Fit(Msg);
  return true;
}

bool DeleteCell(std::string& Msg, int Tag) {
  const size_t stop = Msg.find('P');
  if (Tag < 0 || stop == npos || Msg.size() < 5) return false;
  const size_t p = static_cast<size_t>(Tag) * 2;
  if (p >= stop || InsideRestart(Msg, p)) return false;
  const size_t s = Msg.find('S');
  Msg.erase(p, (s == p) ? 6 : 2);
  return true;
}

bool AddRestart(std::string& Msg, int Tag) {
  if (Tag < 0 || Tag > 11 || Msg.find('S') != npos) return false;
  const size_t stop = Msg.find('P');
  const size_t p = static_cast<size_t>(Tag) * 2;
  if (stop == npos || p > stop) return false;
  Msg = Fit(Msg.substr(0, p) + "S A0W FF" + Msg.substr(stop));
  return true;
}

bool RestartToRead(std::string& Msg, int Tag) {
  if (!SetRestartDirection(Msg, Tag, "W ", "R ")) return false;
  const size_t stop = Msg.find('P');
  for (size_t i = static_cast<size_t>(Tag) * 2 + 2; i < stop && i < Msg.size(); ++i) Msg[i] = 'F';
  return true;
}

bool RestartToWrite(std::string& Msg, int Tag) { return SetRestartDirection(Msg, Tag, "R ", "W "); }

bool PlanMessage(const std::string& AddressText, const std::string& DirectionText, const std::string& Msg,
                 TMessagePlan& Plan, std::string& Fault) {
  Plan = TMessagePlan();
  const auto address = HexByte(AddressText);
  if (!address) {
    Fault = "address \"" + AddressText + "\" is not a hex byte";
    return false;
  }
  Plan.Read = DirectionText != "W ";
  // The address box is kept even; the direction alone decides the R/W bit.
  Plan.Address = static_cast<uint8_t>((*address & 0xFE) | (Plan.Read ? 1 : 0));
  const size_t raw = Msg.find('P');
  const size_t stop = StopOf(Msg);
  if (raw == npos) {
    Fault = "no stop mark";
    return false;
  }
  if (stop == npos || stop > MessageMax - 2) {
    Fault = "stop mark out of place";
    return false;
  }
  size_t restart = npos;
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < stop; i += 2) {
    const std::string cell = Msg.substr(i, 2);
    if (cell == "S ") {
      if (restart != npos || i + 6 > stop) {
        Fault = restart != npos ? "more than one repeated start" : "repeated start without address and direction";
        return false;
      }
      const std::string adr = Msg.substr(i + 2, 2), dir = Msg.substr(i + 4, 2);
      const auto a = HexByte(adr);
      if (!a) {
        Fault = "repeated-start address \"" + adr + "\" is not a hex byte";
        return false;
      }
      restart = i;
      Plan.Restart = true;
      // As the message's own direction box: anything but a write is a read.
      Plan.RestartRead = dir[0] != 'W';
      Plan.RestartAddress = static_cast<uint8_t>((*a & 0xFE) | (Plan.RestartRead ? 1 : 0));
      Plan.RestartCells = Msg.substr(i, 6);
      Plan.Cells1 = static_cast<int>(i / 2);
      Plan.Bytes1 = bytes;
      bytes.clear();
      i += 4;
      continue;
    }
    const auto b = HexByte(cell);
    if (!b) {
      Fault = "\"" + cell + "\" is not a hex byte";
      return false;
    }
    bytes.push_back(*b);
  }
  if (restart == npos) {
    Plan.Cells1 = static_cast<int>(stop / 2);
    Plan.Bytes1 = bytes;
  } else {
    Plan.Cells2 = static_cast<int>((stop - restart - 6) / 2);
    Plan.Bytes2 = bytes;
  }
  if (Plan.Read) Plan.Bytes1.clear();
  if (Plan.RestartRead) Plan.Bytes2.clear();
  return true;
}

std::string MessageAfterSend(const std::string& Msg, const TMessagePlan& Plan, const std::string& Read1,
                             const std::string& Read2) {
  const size_t cells1 = static_cast<size_t>(Plan.Cells1) * 2;
  std::string out = Plan.Read ? Read1 : Msg.substr(0, cells1);
  if (Plan.Restart) {
    out += Plan.RestartCells;
    out += Plan.RestartRead ? Read2 : Msg.substr(cells1 + 6, static_cast<size_t>(Plan.Cells2) * 2);
  }
  return Fit(out + "P");
}

bool IsMessageText(const std::string& Msg, size_t MaxLength) {
  if (Msg.empty() || Msg.size() > MaxLength || Msg.back() != 'P' || Msg.find('P') != Msg.size() - 1) return false;
  TMessagePlan plan;
  std::string fault;
  if (!PlanMessage("00", "W ", Msg, plan, fault)) return false;
  if (plan.Restart && plan.RestartCells.compare(4, 2, "W ") != 0 && plan.RestartCells.compare(4, 2, "R ") != 0)
    return false;
  // Data and restart-address cells in the notation's upper case.
  for (char c : Msg)
    if (c >= 'a' && c <= 'f') return false;
  return true;
}

std::optional<std::vector<int>> ParseSequence(const std::string& Text) {
  if (Text.empty() || !IsSequenceText(Text)) return std::nullopt;
  std::vector<int> out;
  for (char c : Text) out.push_back(c - '0');
  return out;
}

bool IsSequenceText(const std::string& Text) {
  if (Text.size() > SequenceMax) return false;
  for (char c : Text)
    if (c < '1' || c > '5') return false;
  return true;
}

int GaugeMaximum(int v) {
  if (v == 0) return 300;
  if (v >= 2 && v <= 100) return 200;
  if (v >= 101 && v <= 200) return 100;
  if (v >= 201 && v <= 300) return 50;
  if (v >= 301 && v <= 1000) return 10;
  if (v >= 1001 && v <= 5000) return 5;
  return 0;
}

}  // namespace Univers

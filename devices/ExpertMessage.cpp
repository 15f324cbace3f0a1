#include "devices/ExpertMessage.h"

#include <algorithm>

#include "app/bus/ByteText.h"

namespace {

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string TrimBlanks(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// A text as it may appear in a message: control bytes shown as "?".
std::string Shown(const std::string& s) {
  std::string out;
  for (char c : s.substr(0, 16)) out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? '?' : c;
  if (s.size() > 16) out += "...";
  return out;
}

bool TokenByte(const std::string& t, uint8_t& v) {
  if (t.size() != 2 || !IsHexDigit(t[0]) || !IsHexDigit(t[1])) return false;
  v = static_cast<uint8_t>(std::stoi(t, nullptr, 16));
  return true;
}

bool Keyword(const std::string& t, TExpertItemKind& k) {
  if (t == "TH") k = eiTriggerHigh;
  else if (t == "TL") k = eiTriggerLow;
  else if (t == "PH") k = eiPulseHigh;
  else if (t == "PL") k = eiPulseLow;
  else if (t == "ST") k = eiRestart;
  else return false;
  return true;
}

void Act(TExpertBus& Bus, TExpertItemKind k) {
  switch (k) {
    case eiTriggerHigh: Bus.Trigger(true); break;
    case eiTriggerLow: Bus.Trigger(false); break;
    case eiPulseHigh: Bus.PulseHigh(); break;
    case eiPulseLow: Bus.PulseLow(); break;
    default: break;
  }
}

}  // namespace

bool SplitExpertTokens(const std::string& Data, std::vector<std::string>& Tokens, std::string& Error) {
  Tokens.clear();
  const std::string d = TrimBlanks(Data);
  if (d.empty()) return true;
  for (size_t i = 0; i < d.size(); i += 3) {
    if (i + 2 > d.size() || (i + 2 < d.size() && d[i + 2] != ',') || (i + 2 == d.size() - 1)) {
      Error = "Data \"" + Shown(d) + "\" is not two-character tokens separated by \",\"";
      return false;
    }
    Tokens.push_back(d.substr(i, 2));
  }
  return true;
}

std::string JoinExpertTokens(const std::vector<std::string>& Tokens) {
  std::string s;
  for (size_t i = 0; i < Tokens.size(); ++i) {
    if (i) s += ',';
    s += Tokens[i];
  }
  return s;
}

bool ExpertDelayValue(const std::string& Text, uint32_t& Ms, std::string* Why) {
  const std::string t = TrimBlanks(Text);
  Ms = 0;
  if (t.empty()) return true;
  size_t i = 0;
  bool negative = false;
  if (t[0] == '-' || t[0] == '+') {
    negative = t[0] == '-';
    i = 1;
  }
  if (i == t.size()) return false;
  uint64_t v = 0;
  for (; i < t.size(); ++i) {
    if (!IsDigit(t[i])) return false;
    // The wait is counted in microseconds in 32 bits: a longer delay would wrap round.
    v = std::min<uint64_t>(v * 10 + static_cast<uint64_t>(t[i] - '0'), uint64_t(ExpertLongestDelay) + 1);
  }
  if (!negative && v > ExpertLongestDelay) {
    if (Why) *Why = "is longer than " + std::to_string(ExpertLongestDelay) + " ms";
    return false;
  }
  Ms = negative ? 0 : static_cast<uint32_t>(v);
  return true;
}

bool ParseExpertRow(const TExpertRow& Row, TExpertMessage& Message, std::string& Error) {
  Message = TExpertMessage();
  Message.Read = Row.RW != "Write";
  Message.Stop = Row.Stop == "Yes";
  if (!IsByteCellText(Row.Address)) {
    Error = Row.Address.empty() ? std::string("no address")
                                : "address \"" + Shown(Row.Address) + "\" is not a hex byte";
    return false;
  }
  Message.Address = *ByteCellValue(Row.Address);
  std::string why = "is not a number";
  if (!ExpertDelayValue(Row.Delay, Message.DelayMs, &why)) {
    Error = "delay \"" + Shown(Row.Delay) + "\" " + why;
    return false;
  }
  if (!SplitExpertTokens(Row.Data, Message.Tokens, Error)) return false;
  const auto& tokens = Message.Tokens;
  for (size_t i = 0; i < tokens.size(); ++i) {
    TExpertItem item;
    if (Message.Read && !Keyword(tokens[i], item.Kind)) {
      // In a read row every token without a "T" or "P" is a place for a byte, whatever it holds.
      if (tokens[i].find_first_of("TP") != std::string::npos) item.Kind = eiNothing;
    } else if (Keyword(tokens[i], item.Kind)) {
      if (item.Kind == eiRestart && !Message.Read) {
        // After a repeated start comes the address of a write.
        uint8_t next = 0;
        if (i + 1 >= tokens.size() || !TokenByte(tokens[i + 1], next) || (next & 1)) {
          Error = "token " + std::to_string(i + 1) + " \"ST\" is not followed by a write address";
          return false;
        }
      }
    } else if (!TokenByte(tokens[i], item.Value)) {
      Error = "token " + std::to_string(i + 1) + " \"" + Shown(tokens[i]) + "\" is not a hex byte or TH, TL, PH, PL, ST";
      return false;
    }
    Message.Items.push_back(item);
  }
  return true;
}

uint8_t SendExpertWrite(TExpertBus& Bus, const TExpertMessage& Message) {
  uint8_t status = Bus.Start();
  if (status == 0) {
    if (Bus.Write(Message.Address) != 0) status = 1;
    for (size_t i = 0; status == 0 && i < Message.Items.size(); ++i) {
      const TExpertItem& item = Message.Items[i];
      if (item.Kind == eiRestart)
        Bus.Start();  // its result is not used: the address that follows tells
      else if (item.Kind != eiByte)
        Act(Bus, item.Kind);
      else if (Bus.Write(item.Value) != 0)
        status = 2;
    }
  }
  if (status != 0 || Message.Stop) Bus.Stop();
  return status;
}

uint8_t ReceiveExpertRead(TExpertBus& Bus, const TExpertMessage& Message, std::vector<uint8_t>& Bytes) {
  Bytes.clear();
  size_t lastPlace = Message.Items.size();
  for (size_t i = 0; i < Message.Items.size(); ++i)
    if (Message.Items[i].Kind == eiByte) lastPlace = i;
  uint8_t status = Bus.Start();
  if (status == 0) {
    if (Bus.Write(static_cast<uint8_t>(Message.Address | 1)) != 0) {
      status = 1;
    } else {
      for (size_t i = 0; i < Message.Items.size(); ++i) {
        const TExpertItem& item = Message.Items[i];
        if (item.Kind == eiByte) {
          uint8_t ack = 0;
          Bytes.push_back(Bus.Read(i == lastPlace ? 1 : 0, ack));
        } else {
          Act(Bus, item.Kind);  // a restart does nothing in a read
        }
      }
    }
  }
  // Unlike a write, a failed read keeps the bus as its Stop? cell says: the next message's start restarts it.
  if (Message.Stop) Bus.Stop();
  return status;
}

std::string ExpertReadData(const TExpertMessage& Message, const std::vector<uint8_t>& Bytes) {
  std::vector<std::string> tokens = Message.Tokens;
  size_t k = 0;
  for (size_t i = 0; i < tokens.size() && i < Message.Items.size() && k < Bytes.size(); ++i)
    if (Message.Items[i].Kind == eiByte) tokens[i] = ByteCellText(Bytes[k++]);
  return JoinExpertTokens(tokens);
}

bool ParseExpertSequence(const std::string& Text, std::vector<int>& Entries, std::string& Error) {
  Entries.clear();
  const std::string t = TrimBlanks(Text);
  for (size_t i = 0; i < t.size(); i += 3) {
    const bool sepOk = i + 2 == t.size() || (i + 2 < t.size() - 1 && t[i + 2] == ',');
    if (i + 2 > t.size() || !IsDigit(t[i]) || !IsDigit(t[i + 1]) || !sepOk) {
      Error = "sequence \"" + Shown(t) + "\" is not two-digit numbers separated by \",\"";
      return false;
    }
    Entries.push_back((t[i] - '0') * 10 + (t[i + 1] - '0'));
  }
  return true;
}

std::string ExpertSequenceText(const std::vector<int>& Entries) {
  std::string s;
  int n = 0;
  for (int e : Entries) {
    if (e <= 0 || e > 99) continue;
    if (n == ExpertMaxSequence) break;
    if (n++) s += ',';
    s += static_cast<char>('0' + e / 10);
    s += static_cast<char>('0' + e % 10);
  }
  return s;
}

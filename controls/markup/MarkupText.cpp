#include "controls/markup/MarkupText.h"

#include <climits>
#include <cstring>

#include "platform/rtl/Win1252.h"

namespace {

inline char Up(char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; }
inline char Low(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }
inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Up(a[i]) != Up(b[i])) return false;
  return true;
}

// Index of Pattern in Text at or after From; -1 when none or Pattern is empty.
int Find(std::string_view Pattern, std::string_view Text, size_t From, bool IgnoreCase) {
  if (Pattern.empty() || Pattern.size() > Text.size()) return -1;
  const size_t last = Text.size() - Pattern.size();
  for (size_t i = From; i <= last; ++i) {
    if (IgnoreCase ? EqualNoCase(Text.substr(i, Pattern.size()), Pattern)
                   : Text.compare(i, Pattern.size(), Pattern) == 0)
      return int(i);
  }
  return -1;
}

// One CONTROL tag of a text: where it stands and what it says.
struct TControlTag {
  size_t Start = 0, End = 0;  // End is one past its ">"
  std::string Type, ID, Prop, Width, Value;
  bool HasProp = false;
};

bool IsAlnum(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

// Whether a tag is an opening CONTROL tag as the renderer reads it. A line
// end after the name does not separate: the renderer drops line feeds and
// turns carriage returns into tags before it reads any tag.
bool IsControlTag(std::string_view Tag) {
  bool closing = false;
  const std::string_view name = MarkupTagName(Tag, closing);
  if (closing || !EqualNoCase(name, "CONTROL")) return false;
  const size_t after = size_t(name.data() - Tag.data()) + name.size();
  return after >= Tag.size() || (Tag[after] != '\r' && Tag[after] != '\n');
}

// Every CONTROL tag of the text, in order.
std::vector<TControlTag> ControlTags(const std::string& Text) {
  std::vector<TControlTag> tags;
  size_t from = 0;
  for (;;) {
    const size_t at = Text.find('<', from);
    if (at == std::string::npos) break;
    const size_t close = Text.find('>', at);
    if (close == std::string::npos) break;  // the renderer drops an unterminated tag and the rest
    from = close + 1;
    const std::string_view view(Text.data() + at, close + 1 - at);
    if (!IsControlTag(view)) continue;
    TControlTag t;
    t.Start = at;
    t.End = close + 1;
    const std::string tag(view);
    std::string none = "\x01";
    std::string prop = none;
    ParseControlTag(tag, t.Type, t.ID, prop, t.Width, t.Value);
    t.HasProp = prop != none;
    if (t.HasProp) t.Prop = prop;
    tags.push_back(std::move(t));
  }
  return tags;
}

bool IsClickType(const std::string& Type) {
  return Type == "BUTTON" || Type == "CHECK" || Type == "RADIO";
}

// The control a value or type query means: by ID, or with no ID the first
// BUTTON, CHECK or RADIO control.
const TControlTag* QueryControl(const std::vector<TControlTag>& Tags, const std::string& ID) {
  for (const TControlTag& t : Tags)
    if (ID.empty() ? IsClickType(t.Type) : t.ID == ID) return &t;
  return nullptr;
}

struct TEntity {
  const char* Name;  // without "&"
  char Ch;           // the Windows-1252 byte
  const char* Utf8;  // the same character in UTF-8
  bool AnyCase;
};

constexpr TEntity kEntities[] = {
    {"amp;", '&', "&", true},
    {"quot;", '"', "\"", true},
    {"sect;", char(167), "\xC2\xA7", true},
    {"permil;", char(137), "\xE2\x80\xB0", true},
    {"reg;", char(174), "\xC2\xAE", true},
    {"copy;", char(169), "\xC2\xA9", true},
    {"para;", char(182), "\xC2\xB6", true},
    {"trade;", char(153), "\xE2\x84\xA2", true},
    {"euro;", char(128), "\xE2\x82\xAC", true},
    {"lt;", '<', "<", false},
    {"gt;", '>', ">", false},
    {"nbsp;", ' ', " ", false},
};

// Start of every occurrence of Pattern in Text, each search starting after the
// last occurrence (Knuth-Morris-Pratt: linear in both lengths).
std::vector<size_t> Occurrences(std::string_view Pattern, std::string_view Text) {
  std::vector<size_t> found;
  const size_t m = Pattern.size();
  if (m == 0 || m > Text.size()) return found;
  std::vector<size_t> border(m, 0);
  for (size_t i = 1, k = 0; i < m; ++i) {
    while (k > 0 && Pattern[i] != Pattern[k]) k = border[k - 1];
    if (Pattern[i] == Pattern[k]) ++k;
    border[i] = k;
  }
  for (size_t i = 0, k = 0; i < Text.size(); ++i) {
    while (k > 0 && Text[i] != Pattern[k]) k = border[k - 1];
    if (Text[i] == Pattern[k]) ++k;
    if (k == m) {
      found.push_back(i + 1 - m);
      k = 0;  // occurrences do not overlap
    }
  }
  return found;
}

// Text without every occurrence of Tag (ignoring ASCII case), removed until
// none is left: a removal that joins a new occurrence removes that one too.
std::string RemoveAll(std::string_view Text, std::string_view Tag) {
  if (Tag.empty()) return std::string(Text);
  std::string out;
  out.reserve(Text.size());
  const char last = Up(Tag.back());
  for (char c : Text) {
    out += c;
    if (Up(c) == last && out.size() >= Tag.size() &&
        EqualNoCase(std::string_view(out).substr(out.size() - Tag.size()), Tag))
      out.resize(out.size() - Tag.size());
  }
  return out;
}

}  // namespace

std::string MarkupUpper(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = Up(c);
  return r;
}

std::string MarkupLower(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = Low(c);
  return r;
}

int VarPos(const std::string& Pattern, const std::string& Text) { return Find(Pattern, Text, 0, false); }

int VarPosNoCase(const std::string& Pattern, const std::string& Text) { return Find(Pattern, Text, 0, true); }

int IntVal(const std::string& Text) {
  size_t i = 0;
  bool negative = false;
  if (i < Text.size() && (Text[i] == '-' || Text[i] == '+')) negative = Text[i++] == '-';
  if (i >= Text.size()) return 0;
  long long v = 0;
  for (; i < Text.size(); ++i) {
    if (Text[i] < '0' || Text[i] > '9') return 0;
    v = v * 10 + (Text[i] - '0');
    if (v > (long long)INT_MAX + 1) return 0;
  }
  if (negative) v = -v;
  if (v > INT_MAX || v < INT_MIN) return 0;
  return int(v);
}

bool ReplaceOnce(const std::string& Old, const std::string& New, std::string& Text) {
  const int at = Find(Old, Text, 0, true);
  if (at < 0) return false;
  Text.replace(size_t(at), Old.size(), New);
  return true;
}

std::string ConvertFooterMarkers(const std::string& Text) {
  if (!HasFooterMarkers(Text)) return Text;
  std::string r;
  r.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] == '<' && i + 1 < Text.size() && Text[i + 1] == '#') {
      const size_t close = Text.find('>', i + 1);
      if (close == std::string::npos) {
        r.append(Text, i + 1, std::string::npos);
        break;
      }
      r.append(Text, i + 1, close - i - 1);
      i = close;
    } else {
      r += Text[i];
    }
  }
  return r;
}

bool HasFooterMarkers(std::string_view Text) { return Text.find("<#") != std::string_view::npos; }

bool HasLineBreaks(std::string_view Text) {
  return Text.find('\r') != std::string_view::npos || Text.find('\n') != std::string_view::npos;
}

std::string LineBreaksToBR(const std::string& Text, bool Flag) {
  if (!HasLineBreaks(Text)) return Text;
  std::string r;
  r.reserve(Text.size());
  for (char c : Text) {
    if (c == '\n') continue;
    if (c == '\r') {
      if (Flag) r += "<BR>";
      continue;
    }
    r += c;
  }
  return r;
}

std::string PasswordText(const std::string& Text) { return std::string(CharacterCount(Text), '*'); }

size_t CharacterCount(std::string_view Text) {
  if (!IsValidUtf8(Text)) return Text.size();
  size_t n = 0;
  for (char c : Text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

bool ToEncodingOf(std::string_view Target, std::string_view Insert, std::string& Out) {
  const bool targetUtf8 = IsValidUtf8(Target), insertUtf8 = IsValidUtf8(Insert);
  if (targetUtf8 == insertUtf8) {
    Out.assign(Insert);
    return true;
  }
  if (targetUtf8) {
    Out = Win1252ToUtf8(Insert);
    return true;
  }
  const std::u16string wide = Utf8ToUtf16(Insert);
  Out.clear();
  bool whole = true;
  for (size_t i = 0; i < wide.size(); ++i) {
    const int b = UnicodeToWin1252Char(wide[i]);
    if (b < 0) {
      whole = false;
      Out += '?';
      // A character beyond the 16-bit range is one character, one "?".
      if (wide[i] >= 0xD800 && wide[i] < 0xDC00 && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
          wide[i + 1] < 0xE000)
        ++i;
    } else {
      Out += char(b);
    }
  }
  return whole;
}

std::string HTMLStrip(const std::string& Text) {
  std::string r;
  r.reserve(Text.size());
  size_t i = 0;
  while (i < Text.size()) {
    if (Text[i] != '<') {
      r += Text[i++];
      continue;
    }
    const size_t close = Text.find('>', i);
    if (close == std::string::npos) break;  // an unterminated tag ends the text
    const std::string_view tag(Text.data() + i, close + 1 - i);
    if (EqualNoCase(tag, "<BR>") || EqualNoCase(tag, "<HR>")) r += "\r\n";
    i = close + 1;
  }
  return r;
}

std::string StripTags(const std::string& Text) {
  std::string r;
  r.reserve(Text.size());
  bool inTag = false;
  for (char c : Text) {
    if (inTag) {
      if (c == '>') inTag = false;
    } else if (c == '<') {
      inTag = true;
    } else {
      r += c;
    }
  }
  return r;
}

int VisibleToRawIndex(const std::string& Text, int N) {
  if (N < 0) return -1;
  if (N == 0) return 0;
  int visible = 0;
  bool inTag = false;
  for (size_t i = 0; i < Text.size(); ++i) {
    const char c = Text[i];
    if (inTag) {
      if (c == '>') inTag = false;
    } else if (c == '<') {
      inTag = true;
    } else if (++visible == N) {
      return int(i + 1);
    }
  }
  return -1;
}

int FindTextFrom(const std::string& Pattern, const std::string& Text, int Start, int& Position,
                 bool CaseSensitive) {
  Position = Start < 0 ? -1 : Find(Pattern, Text, size_t(Start), !CaseSensitive);
  return Position;
}

std::string HiLight(const std::string& Text, const std::string& SearchText, const std::string& TagName,
                    bool CaseSensitive) {
  // A tag name holding an angle bracket would change the visible text.
  if (SearchText.empty() || TagName.empty() || TagName.find_first_of("<>") != std::string::npos)
    return Text;
  std::string search;
  if (!ToEncodingOf(Text, SearchText, search)) return Text;  // a character the text cannot hold
  std::string visible = StripTags(Text);
  if (!CaseSensitive) {
    for (char& c : visible) c = Up(c);
    for (char& c : search) c = Up(c);
  }
  const std::vector<size_t> starts = Occurrences(search, visible);
  if (starts.empty()) return Text;
  const std::string open = "<" + TagName + ">", close = "</" + TagName + ">";
  // Each tag goes where visible character k begins to be written: just after
  // visible character k - 1 (before any tags in front of k), or at 0 for k = 0.
  // The events, in order: the opening at each start, the closing at its end.
  std::string r;
  r.reserve(Text.size() + starts.size() * (open.size() + close.size()));
  size_t copied = 0, event = 0;
  const size_t events = starts.size() * 2;
  auto eventAt = [&](size_t e) { return starts[e / 2] + (e % 2 ? search.size() : 0); };
  auto emit = [&](size_t slot) {
    r.append(Text, copied, slot - copied);
    copied = slot;
    r += event % 2 ? close : open;
    ++event;
  };
  while (event < events && eventAt(event) == 0) emit(0);
  size_t seen = 0;
  bool inTag = false;
  for (size_t i = 0; i < Text.size() && event < events; ++i) {
    const char c = Text[i];
    if (inTag) {
      if (c == '>') inTag = false;
      continue;
    }
    if (c == '<') {
      inTag = true;
      continue;
    }
    ++seen;
    while (event < events && eventAt(event) == seen) emit(i + 1);
  }
  r.append(Text, copied, std::string::npos);
  return r;
}

std::string UnHiLight(const std::string& Text, const std::string& TagName) {
  // Opening tags first, then closing tags, as one pass each.
  return RemoveAll(RemoveAll(Text, "<" + TagName + ">"), "</" + TagName + ">");
}

std::string DecodeEntities(const std::string& Text) {
  static constexpr struct {
    std::string_view Name;
    char Ch;
  } kCoded[] = {{"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}};
  std::string r;
  r.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] == '&') {
      bool done = false;
      for (const auto& e : kCoded) {
        if (Text.compare(i, e.Name.size(), e.Name) == 0) {
          r += e.Ch;
          i += e.Name.size() - 1;
          done = true;
          break;
        }
      }
      if (done) continue;
    }
    r += Text[i];
  }
  return r;
}

std::string EncodeEntities(const std::string& Text) {
  std::string r;
  r.reserve(Text.size() + Text.size() / 4);
  for (char c : Text) {
    switch (c) {
      case '&': r += "&amp;"; break;
      case '"': r += "&quot;"; break;
      case '<': r += "&lt;"; break;
      case '>': r += "&gt;"; break;
      default: r += c;
    }
  }
  return r;
}

void ParseControlTag(const std::string& Tag, std::string& Type, std::string& ID, std::string& Prop,
                     std::string& Width, std::string& Value) {
  std::string_view body(Tag);
  if (!body.empty() && body.front() == '<') body.remove_prefix(1);
  if (!body.empty() && body.back() == '>') body.remove_suffix(1);
  const std::vector<TMarkupAttr> attrs = ScanAttributes(body);
  if (const TMarkupAttr* a = FindAttribute(attrs, "TYPE", true)) Type = MarkupUpper(a->Value);
  if (const TMarkupAttr* a = FindAttribute(attrs, "ID", true)) ID = std::string(a->Value);
  if (const TMarkupAttr* a = FindAttribute(attrs, "PROP", true)) Prop = std::string(a->Value);
  if (const TMarkupAttr* a = FindAttribute(attrs, "WIDTH", true)) Width = std::string(a->Value);
  if (const TMarkupAttr* a = FindAttribute(attrs, "VALUE", true)) Value = DecodeEntities(std::string(a->Value));
}

bool HasHTMLControls(const std::string& Text) { return Find("<CONTROL", Text, 0, true) >= 0; }

std::string NextHTMLControlID(const std::string& Text, const std::string& ID) {
  const std::vector<TControlTag> tags = ControlTags(Text);
  size_t i = 0;
  if (!ID.empty()) {
    while (i < tags.size() && tags[i].ID != ID) ++i;
    if (i == tags.size()) return "";
    ++i;
  }
  for (; i < tags.size(); ++i)
    if (!IsClickType(tags[i].Type)) return tags[i].ID;
  return "";
}

std::string GetHTMLControlProp(const std::string& Text, const std::string& ID) {
  for (const TControlTag& t : ControlTags(Text))
    if (t.ID == ID) return t.Prop;
  return "";
}

std::string GetHTMLControlValue(const std::string& Text, const std::string& ID) {
  const std::vector<TControlTag> tags = ControlTags(Text);
  const TControlTag* t = QueryControl(tags, ID);
  return t ? t->Value : "";
}

std::string GetHTMLControlType(const std::string& Text, const std::string& ID) {
  const std::vector<TControlTag> tags = ControlTags(Text);
  const TControlTag* t = QueryControl(tags, ID);
  return t ? t->Type : "";
}

bool SetHTMLControlValue(std::string& Text, const std::string& ID, const std::string& NewValue) {
  for (const TControlTag& t : ControlTags(Text)) {
    if (t.ID != ID) continue;
    std::string value;
    ToEncodingOf(Text, NewValue, value);
    std::string tag = "<CONTROL ID=\"" + t.ID + "\" VALUE=\"" + EncodeEntities(value) + "\" WIDTH=\"" +
                      t.Width + "\" TYPE=\"" + t.Type + "\"";
    if (t.HasProp) tag += " PROP=\"" + t.Prop + "\"";
    tag += ">";
    Text.replace(t.Start, t.End - t.Start, tag);
    return true;
  }
  return false;
}

std::vector<TMarkupAttr> ScanAttributes(std::string_view Body) {
  std::vector<TMarkupAttr> attrs;
  ScanAttributes(Body, attrs);
  return attrs;
}

void ScanAttributes(std::string_view Body, std::vector<TMarkupAttr>& attrs) {
  attrs.clear();
  size_t i = 0;
  const size_t n = Body.size();
  while (i < n) {
    while (i < n && (IsBlank(Body[i]) || Body[i] == '=')) ++i;
    const size_t nameStart = i;
    while (i < n && !IsBlank(Body[i]) && Body[i] != '=') ++i;
    if (i == nameStart) break;
    TMarkupAttr a;
    a.Name = Body.substr(nameStart, i - nameStart);
    size_t j = i;
    while (j < n && IsBlank(Body[j])) ++j;
    if (j < n && Body[j] == '=') {
      ++j;
      while (j < n && IsBlank(Body[j])) ++j;
      if (j < n && Body[j] == '"') {
        const size_t close = Body.find('"', j + 1);
        const size_t end = close == std::string_view::npos ? n : close;
        a.Value = Body.substr(j + 1, end - j - 1);
        a.Quoted = true;
        i = end == n ? n : end + 1;
      } else {
        const size_t start = j;
        while (j < n && !IsBlank(Body[j])) ++j;
        a.Value = Body.substr(start, j - start);
        i = j;
      }
    }
    attrs.push_back(a);
  }
}

const TMarkupAttr* FindAttribute(const std::vector<TMarkupAttr>& Attrs, std::string_view Name, bool IgnoreCase) {
  for (const TMarkupAttr& a : Attrs)
    if (IgnoreCase ? EqualNoCase(a.Name, Name) : a.Name == Name) return &a;
  return nullptr;
}

std::string_view MarkupTagName(std::string_view Tag, bool& Closing) {
  Closing = false;
  size_t i = 0;
  if (i < Tag.size() && Tag[i] == '<') ++i;
  if (i < Tag.size() && Tag[i] == '/') {
    Closing = true;
    ++i;
  }
  const size_t start = i;
  while (i < Tag.size() && IsAlnum(Tag[i])) ++i;
  return Tag.substr(start, i - start);
}

void AppendDecodedPiece(std::string& Out, std::string_view Piece, bool Nbsp, bool Utf8) {
  size_t i = 0;
  while (i < Piece.size()) {
    const size_t amp = Piece.find('&', i);
    if (amp == std::string_view::npos) {
      Out.append(Piece.substr(i));
      return;
    }
    Out.append(Piece.substr(i, amp - i));
    i = amp + 1;
    bool done = false;
    for (const TEntity& e : kEntities) {
      if (!Nbsp && e.Ch == ' ') continue;
      const std::string_view name(e.Name);
      const std::string_view here = Piece.substr(i, name.size());
      if (e.AnyCase ? EqualNoCase(here, name) : here == name) {
        if (Utf8)
          Out += e.Utf8;
        else
          Out += e.Ch;
        i += name.size();
        done = true;
        break;
      }
    }
    if (!done) Out += '&';
  }
}

std::string DecodePiece(std::string_view Piece, bool Nbsp, bool Utf8) {
  std::string r;
  r.reserve(Piece.size());
  AppendDecodedPiece(r, Piece, Nbsp, Utf8);
  return r;
}

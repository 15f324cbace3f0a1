// RTF parsing and writing over paragraphs of runs; see RtfReader.h. One pass over the
// bytes with an explicit stack of group states, so neither deep nesting nor long groups
// cost more than their length.
#include "platform/gui/RtfReader.h"

#include "platform/rtl/Win1252.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

namespace {

constexpr size_t kMaxDepth = 1024;     // nesting beyond this is refused
constexpr int kMaxDigits = 10;         // a control word's number
constexpr size_t kMaxWordLetters = 32;

// The next code point of UTF-8 text at i (advanced); U+FFFD for a byte that starts none.
char32_t NextUtf8(std::string_view s, size_t& i) {
  char32_t c = 0;
  return DecodeUtf8Char(s, i, c) ? c : 0xFFFD;
}

bool IsDoubleByte(int cp) { return cp == 932 || cp == 936 || cp == 949 || cp == 950 || cp == 1361; }

// Code pages read; any other \ansicpg reads as 1252.
bool IsKnownCodePage(int cp) {
  static const int kPages[] = {437, 737, 775, 850, 852, 855, 857, 860, 861, 862, 863, 864, 865, 866, 869,
                               874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257,
                               1258, 1361, 10000};
  return std::find(std::begin(kPages), std::end(kPages), cp) != std::end(kPages);
}

std::string IconvName(int cp) { return cp == 10000 ? "MACINTOSH" : "CP" + std::to_string(cp); }

class TConverter {
 public:
  explicit TConverter(int cp) : cd_(iconv_open("UTF-8", IconvName(cp).c_str())) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) cd_ = iconv_open("UTF-8", "CP1252");
  }
  ~TConverter() { iconv_close(cd_); }
  TConverter(const TConverter&) = delete;
  TConverter& operator=(const TConverter&) = delete;
  // Bytes of the code page as UTF-8 (U+FFFD for what it does not hold).
  std::string Decode(std::string_view bytes) {
    std::string out;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string buf(bytes.size() * 4 + 8, '\0');
    size_t i = 0;
    while (i < bytes.size()) {
      char* in = const_cast<char*>(bytes.data() + i);
      size_t inLeft = bytes.size() - i;
      char* o = buf.data();
      size_t oLeft = buf.size();
      const size_t r = iconv(cd_, &in, &inLeft, &o, &oLeft);
      out.append(buf.data(), o);
      i = bytes.size() - inLeft;
      if (r == static_cast<size_t>(-1)) {  // a byte (or an unfinished pair) the code page lacks
        AppendUtf8(out, 0xFFFD);
        ++i;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      }
    }
    return out;
  }

 private:
  iconv_t cd_;
};

std::string DecodeBytes(int cp, std::string_view bytes) { return TConverter(cp).Decode(bytes); }

// The characters of a one-byte code page, made once.
const std::array<char32_t, 256>& SingleByteTable(int cp) {
  static std::map<int, std::unique_ptr<std::array<char32_t, 256>>> tables;
  auto& t = tables[cp];
  if (!t) {
    t = std::make_unique<std::array<char32_t, 256>>();
    TConverter conv(cp);
    for (int b = 0; b < 256; ++b) {
      const char c = static_cast<char>(b);
      const std::string u = conv.Decode(std::string_view(&c, 1));
      size_t k = 0;
      (*t)[b] = u.empty() ? 0xFFFD : NextUtf8(u, k);
    }
  }
  return *t;
}

struct TState {
  bool bold = false, italic = false, underline = false, strike = false;
  int font = -1;  // -1: none named
  int halfPoints = 0;
  int color = 0, back = 0;  // colour table indices; 0 automatic
  TRtfParaFormat para;
  int uc = 1;
  enum TDest : uint8_t { dText, dSkip, dFontTable, dColorTable } dest = dText;
};

struct TFontEntry {
  std::string name;
  int charset = 1;
};

class TParser {
 public:
  TParser(std::string_view s, TRtfContent& out, size_t stopAfter = SIZE_MAX)
      : s_(s), out_(out), stopAfter_(stopAfter) {}
  bool Run(std::string* error);
  bool Cut() const { return cut_; }
  size_t Read() const { return i_; }

 private:
  std::string_view s_;
  size_t i_ = 0;
  TRtfContent& out_;
  std::vector<TState> stack_;
  TState st_;
  int docCp_ = 1252;
  int deff_ = -1;
  std::map<int, TFontEntry> fonts_;
  int fontBeingNamed_ = 0;
  std::string fontName_;
  std::vector<TColor> colors_;
  int red_ = 0, green_ = 0, blue_ = 0;
  bool colorSet_ = false;
  std::string pendingBytes_;  // \'hh and raw bytes not decoded yet
  int pendingCp_ = 0;
  int skip_ = 0;              // fallback characters after \u still to drop
  char32_t highSurrogate_ = 0;
  int pendingCells_ = 0;      // \cell seen, its tab not written yet
  bool formatDirty_ = true;
  bool paraOpen_ = false;     // the last paragraph has had text or a format
  size_t stopAfter_, textBytes_ = 0;
  bool cut_ = false;          // stopped after stopAfter_ bytes of text

  TRtfParagraph& Para() {
    if (out_.Paragraphs.empty()) out_.Paragraphs.emplace_back();
    return out_.Paragraphs.back();
  }
  int CodePage() const {
    const int f = st_.font >= 0 ? st_.font : deff_;
    auto it = fonts_.find(f);
    if (it != fonts_.end()) {
      const int cp = RtfCharsetCodePage(it->second.charset);
      if (cp) return cp;
    }
    return docCp_;
  }
  TColor ColorAt(int index) const {
    return index > 0 && static_cast<size_t>(index) < colors_.size() ? colors_[index] : clNone;
  }
  TRtfCharFormat Format() const {
    TRtfCharFormat f;
    f.Bold = st_.bold;
    f.Italic = st_.italic;
    f.Underline = st_.underline;
    f.Strike = st_.strike;
    auto it = fonts_.find(st_.font >= 0 ? st_.font : deff_);
    if (it != fonts_.end()) f.Font = it->second.name;
    f.HalfPoints = st_.halfPoints;
    f.Color = ColorAt(st_.color);
    f.Back = ColorAt(st_.back);
    return f;
  }
  void Dirty() {
    Flush();
    formatDirty_ = true;
  }
  // Text of the document in the current format.
  void Emit(std::string_view utf8) {
    if (st_.dest == TState::dFontTable) {
      if (utf8 != "\t") fontName_ += utf8;
      return;
    }
    if (st_.dest != TState::dText) return;
    TRtfParagraph& p = Para();
    if (!paraOpen_) {
      p.Format = st_.para;
      paraOpen_ = true;
    }
    for (; pendingCells_ > 0; --pendingCells_) EmitRaw(p, "\t");
    EmitRaw(p, utf8);
  }
  void EmitRaw(TRtfParagraph& p, std::string_view utf8) {
    if (utf8.empty()) return;
    if (formatDirty_ || p.Runs.empty()) {
      TRtfCharFormat f = Format();
      if (p.Runs.empty() || !(p.Runs.back().Format == f)) p.Runs.push_back({std::string(), std::move(f)});
      formatDirty_ = false;
    }
    p.Runs.back().Text += utf8;
    textBytes_ += utf8.size();
    if (textBytes_ > stopAfter_) cut_ = true;
  }
  void EmitChar(char32_t c) {
    std::string u;
    AppendUtf8(u, c);
    Emit(u);
  }
  // One character of the fallback after \u is dropped instead of shown.
  bool Skipped() {
    if (skip_ <= 0) return false;
    --skip_;
    return true;
  }
  void Byte(unsigned char b) {
    if (Skipped() || st_.dest == TState::dColorTable || st_.dest == TState::dSkip) return;
    if ((b < 0x20 && b != '\t') || b == 0x7F) return;  // control characters are no text
    if (b < 0x80 && pendingBytes_.empty()) {
      const char c = static_cast<char>(b);
      Emit(std::string_view(&c, 1));
      return;
    }
    const int cp = CodePage();
    if (!IsDoubleByte(cp)) {
      Flush();
      EmitChar(SingleByteTable(cp)[b]);
      return;
    }
    if (!pendingBytes_.empty() && pendingCp_ != cp) Flush();
    pendingCp_ = cp;
    pendingBytes_ += static_cast<char>(b);
  }
  void Flush() {
    if (pendingBytes_.empty()) return;
    const std::string u = DecodeBytes(pendingCp_, pendingBytes_);
    pendingBytes_.clear();
    Emit(u);
  }
  void EndParagraph() {
    Flush();
    pendingCells_ = 0;
    TRtfParagraph& p = Para();
    p.Format = st_.para;
    out_.Paragraphs.emplace_back();
    paraOpen_ = false;
    formatDirty_ = true;
  }
  void EndFontEntry() {
    if (fontName_.empty()) return;
    size_t a = fontName_.find_first_not_of(' '), b = fontName_.find_last_not_of(' ');
    fonts_[fontBeingNamed_].name = a == std::string::npos ? std::string() : fontName_.substr(a, b - a + 1);
    fontName_.clear();
  }
  void ColorEntryEnd() {
    colors_.push_back(colorSet_ ? RGB(red_, green_, blue_) : clNone);
    red_ = green_ = blue_ = 0;
    colorSet_ = false;
  }
  void Word(std::string_view w, bool hasNum, int n);
  void Unicode(int n);
  bool Fail(std::string* error, const char* why) {
    Flush();
    if (error) *error = why;
    return false;
  }
  void Finish() {
    Flush();
    // The last \par ends the text: no paragraph after it.
    if (out_.Paragraphs.size() > 1 && !paraOpen_ && out_.Paragraphs.back().Runs.empty())
      out_.Paragraphs.pop_back();
  }
};

// The character a symbol word stands for; 0 for other words.
char32_t SymbolWord(std::string_view w) {
  static const std::pair<const char*, char32_t> kSymbols[] = {
      {"emdash", 0x2014}, {"endash", 0x2013}, {"bullet", 0x2022}, {"lquote", 0x2018},
      {"rquote", 0x2019}, {"ldblquote", 0x201C}, {"rdblquote", 0x201D}};
  for (const auto& [word, c] : kSymbols)
    if (w == word) return c;
  return 0;
}

bool IsSkippedDestination(std::string_view w) {
  static const char* const kWords[] = {
      "pict", "object", "objdata", "header", "headerl", "headerr", "headerf", "footer", "footerl",
      "footerr", "footerf", "footnote", "info", "stylesheet", "themedata", "colorschememapping",
      "xmlnstbl", "listtable", "listoverridetable", "revtbl", "rsidtbl", "generator", "userprops",
      "nonshppict", "fldinst", "annotation", "atnid", "atnauthor", "datafield", "txe", "xe", "tc",
      "filetbl", "latentstyles", "datastore", "pntxta", "pntxtb", "template", "docvar", "shppict",
      "bkmkstart", "bkmkend", "mmathPr", "pgdsctbl", "ftnsep", "ftnsepc", "ftncn", "aftnsep",
      "aftnsepc", "aftncn", "private", "blipuid", "comment", "author", "operator", "title",
      "subject", "keywords", "doccomm", "company", "creatim", "revtim", "printim", "buptim"};
  for (const char* k : kWords)
    if (w == k) return true;
  return false;
}

void TParser::Unicode(int n) {
  char32_t c = static_cast<char32_t>(n < 0 ? n + 65536 : n) & 0xFFFF;
  skip_ = st_.uc;
  if (c >= 0xD800 && c < 0xDC00) {
    highSurrogate_ = c;
    return;
  }
  if (c >= 0xDC00 && c < 0xE000) {
    if (!highSurrogate_) {
      EmitChar(0xFFFD);
      return;
    }
    c = 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (c - 0xDC00);
  }
  highSurrogate_ = 0;
  if ((c < 0x20 && c != '\t') || c == 0x7F || c == 0xFFFC) return;  // no text of their own
  if ((c >= 0xFDD0 && c <= 0xFDEF) || c == 0xFFFE || c == 0xFFFF) return;  // noncharacters
  if (c == 0x2029) {  // the paragraph separator ends a paragraph, as \par
    if (st_.dest == TState::dText) EndParagraph();
    return;
  }
  EmitChar(c);
}

void TParser::Word(std::string_view w, bool hasNum, int n) {
  const bool on = !hasNum || n != 0;
  const auto is = [&](const char* k) { return w == k; };
  if (is("u") && hasNum) {
    skip_ = 0;
    Flush();
    Unicode(n);
    return;
  }
  if (st_.dest == TState::dFontTable) {
    if (is("f")) {
      EndFontEntry();
      fontBeingNamed_ = n;
      fonts_[n];
    } else if (is("fcharset")) {
      fonts_[fontBeingNamed_].charset = n;
    } else if (IsSkippedDestination(w)) {
      st_.dest = TState::dSkip;
    }
    return;
  }
  if (st_.dest == TState::dColorTable) {
    if (is("red")) red_ = n & 0xFF, colorSet_ = true;
    else if (is("green")) green_ = n & 0xFF, colorSet_ = true;
    else if (is("blue")) blue_ = n & 0xFF, colorSet_ = true;
    return;
  }
  if (Skipped()) return;
  if (is("fonttbl")) {
    Flush();
    st_.dest = TState::dFontTable;
  } else if (is("colortbl")) {
    Flush();
    st_.dest = TState::dColorTable;
    colors_.clear();
  } else if (IsSkippedDestination(w)) {
    Flush();
    st_.dest = TState::dSkip;
  } else if (st_.dest != TState::dText) {
    return;
  } else if (is("par") || is("sect")) {
    EndParagraph();
  } else if (is("line")) {
    Flush();
    EmitChar(0x2028);
  } else if (is("tab")) {
    Flush();
    Emit("\t");
  } else if (is("cell") || is("nestcell")) {
    Flush();
    ++pendingCells_;
  } else if (is("row") || is("nestrow")) {
    Flush();
    if (pendingCells_ > 1) {
      pendingCells_ -= 1;
      Emit("");
    }
    EndParagraph();
  } else if (const char32_t sym = SymbolWord(w)) {
    EmitChar(sym);
  } else if (is("ansicpg")) {
    Flush();
    docCp_ = IsKnownCodePage(n) ? n : 1252;
  } else if (is("deff")) {
    deff_ = n;
    Dirty();
  } else if (is("uc")) {
    st_.uc = n < 0 ? 0 : n > 8 ? 8 : n;
  } else {
    // Formatting: it changes the runs after it.
    Dirty();
    if (is("b")) st_.bold = on;
    else if (is("i")) st_.italic = on;
    else if (is("ul") || is("uld") || is("uldash") || is("uldashd") || is("uldashdd") || is("uldb") ||
             is("ulth") || is("ulw") || is("ulwave") || is("ulhwave") || is("ululdbwave"))
      st_.underline = on;
    else if (is("ulnone")) st_.underline = false;
    else if (is("strike") || is("striked")) st_.strike = on;
    else if (is("f")) st_.font = n;
    else if (is("fs")) st_.halfPoints = n > 0 && n < 32768 ? n : 0;
    else if (is("cf")) st_.color = n;
    else if (is("cb") || is("highlight") || is("chcbpat")) st_.back = n;
    else if (is("plain")) {
      st_.bold = st_.italic = st_.underline = st_.strike = false;
      st_.font = -1;
      st_.halfPoints = 0;
      st_.color = st_.back = 0;
    } else if (is("pard")) st_.para = TRtfParaFormat();
    else if (is("ql")) st_.para.Align = raLeft;
    else if (is("qc")) st_.para.Align = raCenter;
    else if (is("qr")) st_.para.Align = raRight;
    else if (is("qj")) st_.para.Align = raJustify;
    else if (is("li")) st_.para.LeftIndent = n;
    else if (is("ri")) st_.para.RightIndent = n;
    else if (is("fi")) st_.para.FirstIndent = n;
  }
}

bool TParser::Run(std::string* error) {
  out_.Paragraphs.clear();
  // RTF is one group; text that only holds groups is read to its end.
  const size_t first = s_.find_first_not_of(" \t\r\n");
  const bool inDocument = first != std::string_view::npos && s_[first] == '{';
  while (i_ < s_.size() && !cut_) {
    const char c = s_[i_];
    if (c == '{') {
      Flush();
      if (stack_.size() >= kMaxDepth) {
        Finish();
        return Fail(error, "groups are nested too deeply");
      }
      stack_.push_back(st_);
      skip_ = 0;
      ++i_;
      continue;
    }
    if (c == '}') {
      Flush();
      if (st_.dest == TState::dFontTable) EndFontEntry();
      skip_ = 0;
      ++i_;
      if (stack_.empty()) {
        if (inDocument) break;  // a stray closing brace ends the document
        continue;
      }
      const bool wasText = st_.dest == TState::dText;
      st_ = stack_.back();
      stack_.pop_back();
      if (wasText || st_.dest == TState::dText) formatDirty_ = true;
      if (stack_.empty() && inDocument) break;  // the document's group is closed: what follows is not RTF
      continue;
    }
    if (c == '\r' || c == '\n' || c == '\0') {
      ++i_;
      continue;
    }
    if (c != '\\') {
      ++i_;
      if (st_.dest == TState::dFontTable && c == ';') {
        EndFontEntry();
      } else if (st_.dest == TState::dColorTable && c == ';') {
        ColorEntryEnd();
      } else if (c == '\t') {
        if (!Skipped()) Emit("\t");
      } else {
        Byte(static_cast<unsigned char>(c));
      }
      continue;
    }
    // A control symbol or word.
    ++i_;
    if (i_ >= s_.size()) break;
    const char e = s_[i_];
    if (!(std::isalpha(static_cast<unsigned char>(e)))) {
      ++i_;
      if (e == '\'') {
        auto hex = [&](size_t k) -> int {
          if (k >= s_.size()) return -1;
          const char h = s_[k];
          return h >= '0' && h <= '9' ? h - '0' : h >= 'a' && h <= 'f' ? h - 'a' + 10 : h >= 'A' && h <= 'F' ? h - 'A' + 10 : -1;
        };
        const int hi = hex(i_), lo = hex(i_ + 1);
        if (hi < 0 || lo < 0) continue;
        i_ += 2;
        Byte(static_cast<unsigned char>(hi * 16 + lo));
        continue;
      }
      if (e == '*') {
        Flush();
        st_.dest = TState::dSkip;
        continue;
      }
      if (Skipped()) continue;
      switch (e) {
        case '\\': case '{': case '}': Byte(static_cast<unsigned char>(e)); break;
        case '~': Flush(); EmitChar(0xA0); break;
        case '_': Flush(); EmitChar(0x2011); break;
        case '-': Flush(); EmitChar(0xAD); break;
        case '\r': case '\n': if (st_.dest == TState::dText) EndParagraph(); break;
        case '\t': Flush(); Emit("\t"); break;
        default: break;
      }
      continue;
    }
    const size_t w0 = i_;
    while (i_ < s_.size() && std::isalpha(static_cast<unsigned char>(s_[i_]))) ++i_;
    std::string_view word = s_.substr(w0, std::min(i_ - w0, kMaxWordLetters + 1));
    bool hasNum = false;
    long long num = 0;
    bool negative = false;
    if (i_ < s_.size() && s_[i_] == '-' && i_ + 1 < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_ + 1]))) {
      negative = true;
      ++i_;
    }
    const size_t d0 = i_;
    while (i_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_]))) {
      if (i_ - d0 >= kMaxDigits) {
        Finish();
        return Fail(error, "a control word's number has more than 10 digits");
      }
      num = num * 10 + (s_[i_] - '0');
      ++i_;
      hasNum = true;
    }
    if (i_ < s_.size() && s_[i_] == ' ') ++i_;
    if (negative) num = -num;
    const int n = static_cast<int>(std::clamp<long long>(num, INT32_MIN, INT32_MAX));
    if (word == "bin") {
      // Binary data: skipped whole, whatever it holds.
      Flush();
      const size_t len = n > 0 ? static_cast<size_t>(n) : 0;
      i_ += std::min(len, s_.size() - i_);
      continue;
    }
    Word(word, hasNum, n);
  }
  // Bytes of a character not complete yet come after the point reading stopped at.
  if (cut_) pendingBytes_.clear();
  Finish();
  if (!stack_.empty() && !cut_) return Fail(error, "the RTF ends inside a group (a closing brace is missing)");
  return true;
}

}  // namespace

int RtfCharsetCodePage(int charset) {
  switch (charset) {
    case 0: return 1252;
    case 2: return 1252;
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return 0;
  }
}

void AppendRtfPlain(std::string& out, std::string_view utf8) {
  size_t i = 0;
  while (i < utf8.size()) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {
      out += utf8[i++];
      continue;
    }
    const size_t start = i;
    const char32_t c = NextUtf8(utf8, i);
    if (c == 0x2028) out += "\r\n";
    else if (c == 0xA0) out += ' ';
    else if (c == 0x2011) out += '-';
    else if (c == 0xAD || c == 0xFFFC) continue;
    else out.append(utf8.substr(start, i - start));
  }
}

std::string TRtfContent::PlainText() const {
  std::string out;
  for (size_t k = 0; k < Paragraphs.size(); ++k) {
    if (k) out += "\r\n";
    for (const TRtfRun& r : Paragraphs[k].Runs) AppendRtfPlain(out, r.Text);
  }
  return out;
}

bool ReadRtf(std::string_view rtf, TRtfContent& out, std::string* error) {
  TParser p(rtf, out);
  return p.Run(error);
}

bool ReadRtfStart(std::string_view rtf, TRtfContent& out, size_t StopAfter, bool* Cut, size_t* Read,
                  std::string* error) {
  TParser p(rtf, out, StopAfter);
  const bool ok = p.Run(error);
  *Cut = p.Cut();
  if (Read) *Read = p.Read();
  return ok;
}

// ---------------------------------------------------------------- writing

namespace {

// The code page's byte for a character; -1 when it has none.
int EncodeByte(const std::array<char32_t, 256>& table, char32_t c) {
  for (int b = 0x80; b < 256; ++b)
    if (table[b] == c) return b;
  return -1;
}

int ChooseCodePage(const TRtfContent& content) {
  std::vector<char32_t> wide;
  for (const auto& p : content.Paragraphs)
    for (const auto& r : p.Runs)
      for (size_t i = 0; i < r.Text.size();) {
        const char32_t c = NextUtf8(r.Text, i);
        if (c >= 0x80 && c != 0x2028 && c != 0xA0 && c != 0xAD && c != 0x2011) wide.push_back(c);
      }
  std::sort(wide.begin(), wide.end());
  wide.erase(std::unique(wide.begin(), wide.end()), wide.end());
  for (int cp : {1252, 1250, 1251, 1253, 1254, 1257, 1255, 1256, 1258}) {
    const auto& t = SingleByteTable(cp);
    bool all = true;
    for (char32_t c : wide)
      if (EncodeByte(t, c) < 0) {
        all = false;
        break;
      }
    if (all) return cp;
  }
  return 1252;
}

int CharsetOf(int cp) {
  for (int cs : {0, 238, 204, 161, 162, 186, 177, 178, 163})
    if (RtfCharsetCodePage(cs) == cp) return cs;
  return 0;
}

// A character as \uN (two for one outside the BMP), each with the code page's byte, or '?',
// for readers that know no Unicode.
void AppendUnicode(std::string& out, char32_t c, const std::array<char32_t, 256>* table) {
  char buf[32];
  auto unit = [&](int u) {
    const int b = table ? EncodeByte(*table, static_cast<char32_t>(u)) : -1;
    std::snprintf(buf, sizeof buf, "\\u%d", u >= 0x8000 ? u - 65536 : u);
    out += buf;
    if (b >= 0) {
      std::snprintf(buf, sizeof buf, "\\'%02x", b);
      out += buf;
    } else {
      out += '?';
    }
  };
  if (c >= 0x10000) {
    unit(static_cast<int>(0xD800 + ((c - 0x10000) >> 10)));
    unit(static_cast<int>(0xDC00 + ((c - 0x10000) & 0x3FF)));
  } else {
    unit(static_cast<int>(c));
  }
}

// Text as RTF; a font name (literal) has no symbol words, only \uN for what is not ASCII.
void AppendText(std::string& out, std::string_view utf8, const std::array<char32_t, 256>& table,
                bool literal = false) {
  for (size_t i = 0; i < utf8.size();) {
    const char32_t c = NextUtf8(utf8, i);
    if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else if (literal) {
      AppendUnicode(out, c, nullptr);
    } else if (c == '\t') {
      out += "\\tab ";
    } else if (c == 0x2028) {
      out += "\\line ";
    } else if (c == 0xA0) {
      out += "\\~";
    } else if (c == 0xAD) {
      out += "\\-";
    } else if (c == 0x2011) {
      out += "\\_";
    } else if (c < 0x20 || c == 0x7F || c == 0xFFFC) {
      continue;  // control characters and embedded objects have no text
    } else {
      AppendUnicode(out, c, &table);
    }
  }
}

}  // namespace

std::string WriteRtf(const TRtfContent& content) {
  std::vector<std::string> fonts;
  std::vector<TColor> colors;
  auto indexOf = [](auto& list, const auto& v) {
    for (size_t k = 0; k < list.size(); ++k)
      if (list[k] == v) return static_cast<int>(k);
    list.push_back(v);
    return static_cast<int>(list.size() - 1);
  };
  for (const auto& p : content.Paragraphs)
    for (const auto& r : p.Runs) {
      if (!r.Format.Font.empty()) indexOf(fonts, r.Format.Font);
      if (r.Format.Color != clNone) indexOf(colors, r.Format.Color);
      if (r.Format.Back != clNone) indexOf(colors, r.Format.Back);
    }
  const int cp = ChooseCodePage(content);
  const auto& table = SingleByteTable(cp);
  char buf[96];
  std::string out;
  std::snprintf(buf, sizeof buf, "{\\rtf1\\ansi\\ansicpg%d\\uc1", cp);
  out += buf;
  if (!fonts.empty()) {
    out += "{\\fonttbl";
    for (size_t k = 0; k < fonts.size(); ++k) {
      std::snprintf(buf, sizeof buf, "{\\f%zu\\fcharset%d ", k, CharsetOf(cp));
      out += buf;
      AppendText(out, fonts[k], table, true);
      out += ";}";
    }
    out += '}';
  }
  if (!colors.empty()) {
    out += "{\\colortbl;";
    for (TColor c : colors) {
      std::snprintf(buf, sizeof buf, "\\red%d\\green%d\\blue%d;", GetRValue(c), GetGValue(c), GetBValue(c));
      out += buf;
    }
    out += '}';
  }
  out += "\r\n";
  for (const auto& p : content.Paragraphs) {
    out += "\\pard";
    static const char* const kAlign[] = {"", "\\qc", "\\qr", "\\qj"};
    out += kAlign[p.Format.Align];
    if (p.Format.LeftIndent) out += "\\li" + std::to_string(p.Format.LeftIndent);
    if (p.Format.RightIndent) out += "\\ri" + std::to_string(p.Format.RightIndent);
    if (p.Format.FirstIndent) out += "\\fi" + std::to_string(p.Format.FirstIndent);
    for (const auto& r : p.Runs) {
      const TRtfCharFormat& f = r.Format;
      out += "\\plain";
      if (!f.Font.empty()) out += "\\f" + std::to_string(indexOf(fonts, f.Font));
      if (f.HalfPoints) out += "\\fs" + std::to_string(f.HalfPoints);
      if (f.Bold) out += "\\b";
      if (f.Italic) out += "\\i";
      if (f.Underline) out += "\\ul";
      if (f.Strike) out += "\\strike";
      if (f.Color != clNone) out += "\\cf" + std::to_string(indexOf(colors, f.Color) + 1);
      if (f.Back != clNone) out += "\\highlight" + std::to_string(indexOf(colors, f.Back) + 1);
      out += ' ';
      AppendText(out, r.Text, table);
    }
    out += "\\par\r\n";
  }
  out += '}';
  return out;
}

// The cell block records and their encoding; the reader trusts nothing it reads.
#include "controls/grid/GridCellIO.h"

#include <cstring>
#include <functional>
#include <map>

#include "platform/grid/GridStore.h"

namespace {
const char kMagic[] = "VLMCELLS";
constexpr unsigned char kVersion = 1;
constexpr int kMaxFields = 64;
// The block is built whole in memory when pasted: it is held to what a grid may grow to.
constexpr int64_t kMaxBlockCells = TGridStore::kCellLimit;

// ---------------------------------------------------------------- writing
class TWriter {
 public:
  std::string Out;
  void Str(const std::string& s) {
    U32(static_cast<uint32_t>(s.size()));
    Out += s;
  }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) Out += static_cast<char>((v >> (8 * i)) & 0xFF);
  }
  void Begin(const char* cls, int fields) {
    Str(cls);
    Out += static_cast<char>(fields);
  }
  void Int(const char* name, int v) {
    Str(name);
    Out += 'I';
    U32(static_cast<uint32_t>(v));
  }
  void Bool(const char* name, bool v) {
    Str(name);
    Out += 'B';
    Out += v ? '\1' : '\0';
  }
  void Text(const char* name, const std::string& v) {
    Str(name);
    Out += 'S';
    Str(v);
  }
  void Real(const char* name, double v) {
    Str(name);
    Out += 'D';
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    U32(static_cast<uint32_t>(bits));
    U32(static_cast<uint32_t>(bits >> 32));
  }
  void List(const char* name, const std::vector<std::string>& v) {
    Str(name);
    Out += 'L';
    U32(static_cast<uint32_t>(v.size()));
    for (const std::string& s : v) Str(s);
  }
};

// ---------------------------------------------------------------- reading
struct TValue {
  char Type = 0;
  int64_t Int = 0;
  double Real = 0;
  std::string Text;
  std::vector<std::string> List;
};
struct TRecord {
  std::string Class;
  std::map<std::string, TValue> Fields;
};

class TReader {
 public:
  TReader(const std::string& s) : s_(s) {}
  bool AtEnd() const { return pos_ == s_.size(); }
  bool Magic() {
    const size_t n = sizeof(kMagic) - 1;
    if (s_.size() < n + 1 || s_.compare(0, n, kMagic) != 0 || static_cast<unsigned char>(s_[n]) != kVersion)
      return false;
    pos_ = n + 1;
    return true;
  }
  bool Record(TRecord& r) {
    r = TRecord();
    unsigned char n;
    if (!Str(r.Class) || !Byte(n) || n > kMaxFields) return false;
    for (int i = 0; i < n; ++i) {
      std::string name;
      TValue v;
      unsigned char t;
      if (!Str(name) || !Byte(t)) return false;
      v.Type = static_cast<char>(t);
      uint32_t u;
      switch (t) {
        case 'I':
          if (!U32(u)) return false;
          v.Int = static_cast<int32_t>(u);
          break;
        case 'B': {
          unsigned char b;
          if (!Byte(b) || b > 1) return false;
          v.Int = b;
          break;
        }
        case 'D': {
          uint32_t lo, hi;
          if (!U32(lo) || !U32(hi)) return false;
          uint64_t bits = (static_cast<uint64_t>(hi) << 32) | lo;
          std::memcpy(&v.Real, &bits, 8);
          break;
        }
        case 'S':
          if (!Str(v.Text)) return false;
          break;
        case 'L': {
          // Every entry takes at least its 4-byte length: a count the rest cannot hold is a lie.
          if (!U32(u) || u > (s_.size() - pos_) / 4) return false;
          v.List.resize(u);
          for (auto& e : v.List)
            if (!Str(e)) return false;
          break;
        }
        default:
          return false;
      }
      if (!r.Fields.emplace(std::move(name), std::move(v)).second) return false;  // a field twice
    }
    return true;
  }

 private:
  bool Byte(unsigned char& b) {
    if (pos_ >= s_.size()) return false;
    b = static_cast<unsigned char>(s_[pos_++]);
    return true;
  }
  bool U32(uint32_t& v) {
    if (s_.size() - pos_ < 4) return false;
    v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<unsigned char>(s_[pos_ + i])) << (8 * i);
    pos_ += 4;
    return true;
  }
  bool Str(std::string& out) {
    uint32_t n;
    if (!U32(n) || n > s_.size() - pos_) return false;
    out.assign(s_, pos_, n);
    pos_ += n;
    return true;
  }
  const std::string& s_;
  size_t pos_ = 0;
};

// Typed access to a record's fields: each getter fails unless the field is there with its type
// and, for numbers, inside the range given.
class TFields {
 public:
  explicit TFields(const TRecord& r) : r_(r) {}
  bool Int(const char* name, int& out, int64_t lo, int64_t hi) {
    const TValue* v = Get(name, 'I');
    if (!v || v->Int < lo || v->Int > hi) return ok_ = false;
    out = static_cast<int>(v->Int);
    return true;
  }
  // A field that records of older writers lack: absent leaves Out as it is.
  bool OptionalInt(const char* name, int& out, int64_t lo, int64_t hi) {
    return r_.Fields.count(name) == 0 || Int(name, out, lo, hi);
  }
  template <class E>
  bool Enum(const char* name, E& out, int last) {
    int i;
    if (!Int(name, i, 0, last)) return false;
    out = static_cast<E>(i);
    return true;
  }
  bool Bool(const char* name, bool& out) {
    const TValue* v = Get(name, 'B');
    if (!v) return ok_ = false;
    out = v->Int != 0;
    return true;
  }
  bool Text(const char* name, std::string& out) {
    const TValue* v = Get(name, 'S');
    if (!v) return ok_ = false;
    out = v->Text;
    return true;
  }
  bool Real(const char* name, double& out) {
    const TValue* v = Get(name, 'D');
    if (!v) return ok_ = false;
    out = v->Real;
    return true;
  }
  bool List(const char* name, std::vector<std::string>& out) {
    const TValue* v = Get(name, 'L');
    if (!v) return ok_ = false;
    out = v->List;
    return true;
  }
  // Every field was read and valid, and no other field is there.
  bool Whole() const { return ok_ && used_ == r_.Fields.size(); }

 private:
  const TValue* Get(const char* name, char type) {
    auto it = r_.Fields.find(name);
    if (it == r_.Fields.end() || it->second.Type != type) return nullptr;
    ++used_;
    return &it->second;
  }
  const TRecord& r_;
  bool ok_ = true;
  size_t used_ = 0;
};

constexpr int kBound = TGridStore::kIndexBound;

// "64,64,10": at most Count numbers of 0..65535.
bool ValidSizeList(const std::string& s, int Count) {
  if (s.empty()) return true;
  int n = 0;
  size_t i = 0;
  while (i <= s.size()) {
    size_t j = s.find(',', i);
    if (j == std::string::npos) j = s.size();
    if (j == i || j - i > 5 || ++n > Count) return false;
    int v = 0;
    for (size_t k = i; k < j; ++k) {
      if (s[k] < '0' || s[k] > '9') return false;
      v = v * 10 + (s[k] - '0');
    }
    if (v > 65535) return false;
    i = j + 1;
  }
  return true;
}

void WriteProps(TWriter& w, const TCellProperties& p, bool hasGraphic) {
  w.Begin("TGridCellPropIO", 22);
  w.Int("OwnerCol", p.OwnerCol);
  w.Int("OwnerRow", p.OwnerRow);
  w.Int("BrushStyle", p.BrushStyle);
  w.Int("BrushColor", static_cast<int>(p.BrushColor()));
  w.Int("BrushColorTo", static_cast<int>(p.BrushColorTo()));
  w.Int("FontSize", p.FontSize);
  w.Int("FontColor", static_cast<int>(p.FontColor));
  w.Int("FontStyle", static_cast<int>(p.FontStyle));
  w.Int("CellSpanX", p.CellSpanX);
  w.Int("CellSpanY", p.CellSpanY);
  w.Int("BorderWidth", p.BorderWidth);
  w.Int("BorderColor", static_cast<int>(p.BorderColor));
  w.Int("Alignment", p.Alignment);
  w.Int("VAlignment", p.VAlignment());
  w.Bool("WordWrap", p.WordWrap());
  w.Bool("IsBaseCell", p.IsBaseCell);
  w.Int("FooterCalc", p.FooterCalc);
  w.Int("NodeLevel", p.NodeLevel);
  w.Int("Editor", p.Editor);
  w.Text("FontName", p.FontName);
  w.Bool("ReadOnly", p.ReadOnly);
  w.Bool("HasGraphic", hasGraphic);
}

bool ReadProps(const TRecord& r, TGridCellPropIO& io) {
  if (r.Class != "TGridCellPropIO") return false;
  TFields f(r);
  TCellProperties& p = *io.CellProperties;
  int brush = 0, brushTo = static_cast<int>(clNone), fontColor = 0, style = 0, borderColor = 0, valign = 0, footer = 0;
  bool wrap = true;
  f.OptionalInt("OwnerCol", p.OwnerCol, 0, kBound);
  f.OptionalInt("OwnerRow", p.OwnerRow, 0, kBound);
  f.Enum("BrushStyle", p.BrushStyle, bsDiagCross);
  f.Int("BrushColor", brush, INT32_MIN, INT32_MAX);
  f.OptionalInt("BrushColorTo", brushTo, INT32_MIN, INT32_MAX);
  f.Int("FontSize", p.FontSize, -4096, 4096);
  f.Int("FontColor", fontColor, INT32_MIN, INT32_MAX);
  f.Int("FontStyle", style, 0, 15);
  f.Int("CellSpanX", p.CellSpanX, -kBound, kBound);
  f.Int("CellSpanY", p.CellSpanY, -kBound, kBound);
  f.Int("BorderWidth", p.BorderWidth, 0, 1024);
  f.Int("BorderColor", borderColor, INT32_MIN, INT32_MAX);
  f.Enum("Alignment", p.Alignment, taCenter);
  f.Int("VAlignment", valign, vtaTop, vtaBottom);
  f.Bool("WordWrap", wrap);
  f.Bool("IsBaseCell", p.IsBaseCell);
  f.Int("FooterCalc", footer, 0, 255);
  f.Int("NodeLevel", p.NodeLevel, 0, 65535);
  f.Enum("Editor", p.Editor, edUniMemo);
  f.Text("FontName", p.FontName);
  f.Bool("ReadOnly", p.ReadOnly);
  f.Bool("HasGraphic", io.HasGraphic);
  if (!f.Whole() || p.FontName.size() > 1024) return false;
  p.SetBrushColor(static_cast<TColor>(brush));
  p.SetBrushColorTo(static_cast<TColor>(brushTo));
  p.FontColor = static_cast<TColor>(fontColor);
  p.FontStyle = static_cast<TFontStyles>(style);
  p.BorderColor = static_cast<TColor>(borderColor);
  p.SetVAlignment(static_cast<TVAlignment>(valign));
  p.SetWordWrap(wrap);
  p.FooterCalc = static_cast<uint8_t>(footer);
  return true;
}

void WriteGraphic(TWriter& w, const TCellGraphic& g) {
  w.Begin("TGridGraphicIO", 12);
  w.Int("CellType", g.CellType);
  w.Int("CellVAlign", g.CellVAlign);
  w.Int("CellHAlign", g.CellHAlign);
  w.Int("CellIndex", g.CellIndex);
  w.Bool("CellTransparent", g.CellTransparent);
  w.Bool("CellCreated", g.CellCreated);
  w.Bool("CellBoolean", g.CellBoolean);
  w.Int("CellAngle", g.CellAngle);
  w.Real("CellValue", g.CellValue);
  w.Int("CellErrFrom", g.CellErrFrom);
  w.Int("CellErrLen", g.CellErrLen);
  w.Text("CellText", g.CellText);
}

bool ReadGraphic(const TRecord& r, TCellGraphic& g) {
  if (r.Class != "TGridGraphicIO") return false;
  TFields f(r);
  f.Enum("CellType", g.CellType, ctRangeIndicator);
  f.Enum("CellVAlign", g.CellVAlign, vaFull);
  f.Enum("CellHAlign", g.CellHAlign, haFull);
  f.Int("CellIndex", g.CellIndex, INT32_MIN, INT32_MAX);
  f.Bool("CellTransparent", g.CellTransparent);
  f.Bool("CellCreated", g.CellCreated);
  f.Bool("CellBoolean", g.CellBoolean);
  f.Int("CellAngle", g.CellAngle, -3600, 3600);
  f.Real("CellValue", g.CellValue);
  f.Int("CellErrFrom", g.CellErrFrom, 0, INT32_MAX);
  f.Int("CellErrLen", g.CellErrLen, 0, INT32_MAX);
  f.Text("CellText", g.CellText);
  return f.Whole() && g.CellType != ctEmpty;
}

// A picture's bytes in the format its class saves ("" for none or an empty one).
std::string PictureBytes(TGraphic* g) {
  if (!g || g->Empty()) return std::string();
  TStringStream ms;
  g->SaveToStream(&ms);
  return ms.DataString();
}

void WritePicture(TWriter& w, TCellPictureRecord kind, const TGridCellRecord& c) {
  switch (kind) {
    case cprBitmap:
      w.Begin("TGridBMPIO", 1);
      w.Text("Bitmap", PictureBytes(c.Bitmap ? c.Bitmap->Bitmap.get() : nullptr));
      break;
    case cprIcon:
      w.Begin("TGridIconIO", 1);
      w.Text("Icon", PictureBytes(c.Icon ? c.Icon->Icon.get() : nullptr));
      break;
    case cprPicture:
      w.Begin("TGridPicIO", 1);
      w.Text("Picture", PictureBytes(c.Pic ? c.Pic->Picture->Graphic() : nullptr));
      break;
    case cprFilePicture: {
      const TFilePicture* f = c.FilePic ? c.FilePic->Picture.get() : nullptr;
      w.Begin("TGridFilePicIO", 3);
      w.Text("Filename", f ? f->Filename() : std::string());
      w.Int("Width", f ? f->Width : 0);
      w.Int("Height", f ? f->Height : 0);
      break;
    }
    case cprNone:
      break;
  }
}

// A picture record read but not yet decoded: pictures wait until the whole stream is good.
struct TPendingPicture {
  size_t Cell;
  TCellPictureRecord Kind;
  std::string Bytes;
};

bool ReadPicture(const TRecord& r, TCellPictureRecord kind, TGridCellRecord& c, size_t index,
                 std::vector<TPendingPicture>& pending) {
  static const char* const classes[] = {"", "TGridBMPIO", "TGridIconIO", "TGridPicIO", "TGridFilePicIO"};
  static const char* const fields[] = {"", "Bitmap", "Icon", "Picture", ""};
  if (r.Class != classes[kind]) return false;
  TFields f(r);
  if (kind == cprFilePicture) {
    c.FilePic = std::make_unique<TGridFilePicIO>(nullptr);
    TFilePicture& p = *c.FilePic->Picture;
    std::string name;
    int w = 0, h = 0;
    f.Text("Filename", name);
    f.Int("Width", w, 0, 65535);
    f.Int("Height", h, 0, 65535);
    if (!f.Whole() || name.size() > 4096 || name.find('\0') != std::string::npos) return false;
    // The file is read only when the cell is painted, through the reader of regular files.
    p.SetFilenameUnread(name, w, h);
    return true;
  }
  TPendingPicture pic{index, kind, std::string()};
  f.Text(fields[kind], pic.Bytes);
  if (!f.Whole()) return false;
  if (kind == cprBitmap) c.Bitmap = std::make_unique<TGridBMPIO>(nullptr);
  if (kind == cprIcon) c.Icon = std::make_unique<TGridIconIO>(nullptr);
  if (kind == cprPicture) c.Pic = std::make_unique<TGridPicIO>(nullptr);
  if (!pic.Bytes.empty()) pending.push_back(std::move(pic));
  return true;
}

// Decodes a waiting picture into its record, within the block's budget.
bool DecodePicture(TPendingPicture& pic, TGridCellRecord& c, int64_t& budget) {
  std::string error;
  std::unique_ptr<TGraphic> g =
      LoadGraphicCapped(pic.Bytes, pic.Kind == cprBitmap ? ccBitmap : pic.Kind == cprIcon ? ccIcon : ccAny, budget, error);
  if (!g) return false;
  if (pic.Kind == cprBitmap) c.Bitmap->Bitmap->Assign(g.get());
  else if (pic.Kind == cprIcon) c.Icon->Icon->Assign(g.get());
  else c.Pic->Picture->SetGraphic(g.get());
  return true;
}
}  // namespace

TClipboardFormat GridCellsFormat() {
  static const TClipboardFormat f = RegisterClipboardFormat("TExtStringGrid Cells");
  return f;
}
TClipboardFormat GridColumnFormat() {
  static const TClipboardFormat f = RegisterClipboardFormat("Grid Column");
  return f;
}
TClipboardFormat RichTextFormat() {
  static const TClipboardFormat f = RegisterClipboardFormat("Rich Text Format");
  return f;
}

bool CellGraphicHasStrings(TCellType Type) { return Type == ctRadio || Type == ctImages; }

TCellPictureRecord CellPictureRecord(TCellType Type) {
  switch (Type) {
    case ctBitmap: case ctBitButton: return cprBitmap;
    case ctIcon: return cprIcon;
    case ctPicture: return cprPicture;
    case ctFilePicture: return cprFilePicture;
    default: return cprNone;
  }
}

void CellPictureToRecord(const TCellGraphic& G, TGridCellRecord& Rec) {
  switch (CellPictureRecord(G.CellType)) {
    case cprBitmap:
      Rec.Bitmap = std::make_unique<TGridBMPIO>(nullptr);
      if (G.Picture) Rec.Bitmap->Bitmap->Assign(G.Picture.get());
      break;
    case cprIcon:
      Rec.Icon = std::make_unique<TGridIconIO>(nullptr);
      if (G.Picture) Rec.Icon->Icon->Assign(G.Picture.get());
      break;
    case cprPicture:
      Rec.Pic = std::make_unique<TGridPicIO>(nullptr);
      if (G.Picture) Rec.Pic->Picture->SetGraphic(G.Picture.get());
      break;
    case cprFilePicture:
      Rec.FilePic = std::make_unique<TGridFilePicIO>(nullptr);
      if (G.FilePicture) Rec.FilePic->Picture->Assign(G.FilePicture.get());
      break;
    case cprNone:
      break;
  }
}

void CellPictureFromRecord(const TGridCellRecord& Rec, TCellGraphic& G) {
  G.Picture.reset();
  G.FilePicture.reset();
  TGraphic* from = Rec.Bitmap ? static_cast<TGraphic*>(Rec.Bitmap->Bitmap.get())
                   : Rec.Icon ? static_cast<TGraphic*>(Rec.Icon->Icon.get())
                   : Rec.Pic  ? Rec.Pic->Picture->Graphic()
                              : nullptr;
  if (from) G.Picture = std::shared_ptr<TGraphic>(from->Clone().release());
  if (Rec.FilePic) {
    G.FilePicture = std::make_shared<TFilePicture>();
    G.FilePicture->Assign(Rec.FilePic->Picture.get());
  }
}

std::string EncodeCellBlock(const TGridCellBlock& Block) {
  TWriter w;
  w.Out.assign(kMagic, sizeof(kMagic) - 1);
  w.Out += static_cast<char>(kVersion);
  const TGridPropIO& h = *Block.Header;
  w.Begin("TGridPropIO", 8);
  w.Int("ColCount", h.ColCount);
  w.Int("RowCount", h.RowCount);
  w.Text("ColWidths", h.ColWidths);
  w.Text("RowHeights", h.RowHeights);
  w.Bool("FullGrid", h.FullGrid);
  w.Text("ID", h.ID);
  w.Int("Left", h.Left);
  w.Int("Top", h.Top);
  for (const TGridCellRecord& c : Block.Cells) {
    w.Begin("TGridCellIO", 4);
    w.Int("Col", c.Cell->Col);
    w.Int("Row", c.Cell->Row);
    w.Text("Cell", c.Cell->Cell);
    w.Bool("HasProp", c.Prop != nullptr);
    if (!c.Prop) continue;
    WriteProps(w, *c.Prop->CellProperties, c.Graphic != nullptr);
    if (!c.Graphic) continue;
    WriteGraphic(w, *c.Graphic->CellGraphic);
    if (CellGraphicHasStrings(c.Graphic->CellGraphic->CellType)) {
      w.Begin("TGridSLIO", 1);
      std::vector<std::string> items;
      if (c.Strings)
        for (int i = 0; i < c.Strings->Strings->Count(); ++i) items.push_back(c.Strings->Strings->Get(i));
      w.List("Strings", items);
    }
    WritePicture(w, CellPictureRecord(c.Graphic->CellGraphic->CellType), c);
  }
  return w.Out;
}

bool DecodeCellBlock(const std::string& Bytes, TGridCellBlock& Block, std::string& Error, size_t MaxBytes) {
  Block = TGridCellBlock();
  auto fail = [&](const char* why) {
    Block = TGridCellBlock();
    Error = why;
    return false;
  };
  if (Bytes.size() > MaxBytes) return fail("too large");
  TReader rd(Bytes);
  if (!rd.Magic()) return fail("not a cell block");
  TRecord r;
  if (!rd.Record(r) || r.Class != "TGridPropIO") return fail("no block header");
  TGridPropIO& h = *Block.Header;
  {
    TFields f(r);
    f.Int("ColCount", h.ColCount, 1, kBound);
    f.Int("RowCount", h.RowCount, 1, kBound);
    f.Text("ColWidths", h.ColWidths);
    f.Text("RowHeights", h.RowHeights);
    f.Bool("FullGrid", h.FullGrid);
    f.Text("ID", h.ID);
    f.Int("Left", h.Left, 0, kBound - 1);
    f.Int("Top", h.Top, 0, kBound - 1);
    if (!f.Whole() || h.ID.size() > 256 || int64_t(h.ColCount) * h.RowCount > kMaxBlockCells ||
        int64_t(h.Left) + h.ColCount > kBound ||
        int64_t(h.Top) + h.RowCount > kBound)
      return fail("bad block header");
    if (!ValidSizeList(h.ColWidths, h.ColCount) || !ValidSizeList(h.RowHeights, h.RowCount))
      return fail("bad widths or heights");
  }
  const int64_t maxCells = int64_t(h.ColCount) * h.RowCount;
  std::vector<TPendingPicture> pending;
  while (!rd.AtEnd()) {
    if (int64_t(Block.Cells.size()) >= maxCells) return fail("more cells than the block holds");
    TGridCellRecord c;
    c.Cell = std::make_unique<TGridCellIO>(nullptr);
    if (!rd.Record(r) || r.Class != "TGridCellIO") return fail("bad cell record");
    TFields f(r);
    f.Int("Col", c.Cell->Col, h.Left, int64_t(h.Left) + h.ColCount - 1);
    f.Int("Row", c.Cell->Row, h.Top, int64_t(h.Top) + h.RowCount - 1);
    f.Text("Cell", c.Cell->Cell);
    f.Bool("HasProp", c.Cell->HasProp);
    if (!f.Whole()) return fail("bad cell record");
    if (c.Cell->HasProp) {
      c.Prop = std::make_unique<TGridCellPropIO>(nullptr);
      if (!rd.Record(r) || !ReadProps(r, *c.Prop)) return fail("bad cell properties");
      if (c.Prop->HasGraphic) {
        c.Graphic = std::make_unique<TGridGraphicIO>(nullptr);
        if (!rd.Record(r) || !ReadGraphic(r, *c.Graphic->CellGraphic)) return fail("bad cell graphic");
        if (CellGraphicHasStrings(c.Graphic->CellGraphic->CellType)) {
          c.Strings = std::make_unique<TGridSLIO>(nullptr);
          std::vector<std::string> items;
          if (!rd.Record(r) || r.Class != "TGridSLIO") return fail("bad graphic strings");
          TFields sf(r);
          sf.List("Strings", items);
          if (!sf.Whole()) return fail("bad graphic strings");
          for (const std::string& i : items) c.Strings->Strings->Add(i);
        }
        const TCellPictureRecord kind = CellPictureRecord(c.Graphic->CellGraphic->CellType);
        if (kind != cprNone && (!rd.Record(r) || !ReadPicture(r, kind, c, Block.Cells.size(), pending)))
          return fail("bad cell picture");
      }
    }
    Block.Cells.push_back(std::move(c));
  }
  // The stream is good: now its pictures, each checked for its size before it is decoded.
  int64_t budget = kMaxBlockPicturePixels;
  for (TPendingPicture& pic : pending)
    if (!DecodePicture(pic, Block.Cells[pic.Cell], budget)) return fail("bad picture data");
  Error.clear();
  return true;
}

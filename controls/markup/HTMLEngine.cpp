#include "controls/markup/HTMLEngine.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <memory>

#include "controls/markup/EsgHTMLE.h"
#include "controls/markup/MarkupImages.h"
#include "platform/gui/VisualStyles.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"

namespace {

constexpr TMarkupTags Tags(std::initializer_list<TMarkupTag> list) {
  TMarkupTags t = 0;
  for (TMarkupTag k : list) t |= MarkupTagBit(k);
  return t;
}

constexpr TMarkupTags kAllOpening =
    Tags({mtA, mtB, mtBR, mtBLINK, mtBODY, mtCONTROL, mtE, mtFONT, mtHI, mtHR, mtI, mtIND, mtIMG, mtLI, mtP, mtR,
          mtS, mtSHAD, mtSUB, mtSUP, mtU, mtUL, mtZ});
constexpr TMarkupTags kGridClosing =
    Tags({mtA, mtB, mtBLINK, mtE, mtFONT, mtHI, mtI, mtLI, mtP, mtR, mtS, mtSHAD, mtSUB, mtSUP, mtU, mtUL, mtZ});

struct TTagName {
  std::string_view Name;
  TMarkupTag Kind;
};
constexpr TTagName kTagNames[] = {
    {"A", mtA},       {"B", mtB},     {"BR", mtBR},   {"BLINK", mtBLINK}, {"BODY", mtBODY}, {"CONTROL", mtCONTROL},
    {"E", mtE},       {"FONT", mtFONT}, {"HI", mtHI}, {"HR", mtHR},       {"I", mtI},       {"IND", mtIND},
    {"IMG", mtIMG},   {"LI", mtLI},   {"P", mtP},     {"R", mtR},         {"S", mtS},       {"SHAD", mtSHAD},
    {"SUB", mtSUB},   {"SUP", mtSUP}, {"U", mtU},     {"UL", mtUL},       {"Z", mtZ},
};

// Coordinates stay far from the int range whatever the text asks for.
constexpr int kCoordLimit = 1 << 28;
constexpr int kMaxPictureSide = 4096;
constexpr int kMaxFontPoints = 512;
constexpr int kListIndent = 12;

int Sat(long long v) { return int(std::clamp<long long>(v, -kCoordLimit, kCoordLimit)); }

inline char Up(char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; }
inline char Low(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

// Whether s, seen upper-cased, is upper.
bool EqualsUpper(std::string_view s, std::string_view upper) {
  if (s.size() != upper.size()) return false;
  for (size_t i = 0; i < s.size(); ++i)
    if (Up(s[i]) != upper[i]) return false;
  return true;
}

// Whether s is upper written in lower case.
bool EqualsLowered(std::string_view s, std::string_view upper) {
  if (s.size() != upper.size()) return false;
  for (size_t i = 0; i < s.size(); ++i)
    if (s[i] != Low(upper[i])) return false;
  return true;
}

enum TAlign { taLeft, taRight, taCenter };
enum class TMode { Layout, Hit, Draw };

// Tag state that carries from line to line.
struct TState {
  TFontData Font;
  TColor Bg = clNone;
  TColor AnchorSavedBg = clNone, FontSavedBg = clNone, HiSavedBg = clNone, HiSavedColor = clNone;
  bool FontBgSaved = false;
  int RotSaved = 0;
  bool InAnchor = false, AnchorIsLink = false, AnchorHit = false;
  int AnchorNo = 0, AnchorStartX = 0, AnchorStartLine = -1;
  std::string Href;
  bool FocusOpen = false;
  int FocusStartX = 0;
  int ListLevel = 0, Anchors = 0;
  bool Sub = false, Sup = false, Err = false, Hidden = false, Shadow = false;
  TColor ParaBg = clNone, ParaBgTo = clNone;
  TColor ParaSavedBg = clNone, ParaSavedBgTo = clNone;  // saved by the last P BGCOLOR
  int Align = taLeft, Indent = 0;
};

// One pass over one line.
struct TPass {
  TMode Mode = TMode::Layout;
  size_t Limit = 0;
  int Left = 0, X = 0, Used = 0, Avail = 0;
  int Top = 0, TextBottom = 0, LineBottom = 0;
  int LineHeight = 0, Sub = 0, Sup = 0, PicOff = 0, GH = 0;
  bool HasContent = false, Glue = false, LiSeen = false, End = false, Drop = false, Break = false;
  int TrailingBlank = 0;
  int Align = taLeft, Indent = 0;
  TColor ParaBg = clNone, ParaBgTo = clNone;
};

// A picture that an IMG or BODY tag names, resolved.
struct TPictureRef {
  enum { None, Index, SysIcon, Html, Bitmap } Kind = None;
  int ImageIndex = 0;
  bool Large = false;
  std::string SysName;
  THTMLPicture* Picture = nullptr;
  std::shared_ptr<TBitmap> Owned;
  int Width = 0, Height = 0;  // natural size in canvas pixels
};

class TRenderer {
 public:
  TRenderer(const TMarkupDialect& d, THTMLDrawParams& p) : D(d), P(p), C(p.Canvas) {}
  bool Run();

 private:
  void LinePass(TPass& ps, size_t& pos);
  void Piece(TPass& ps, size_t& pos);
  void Tag(TPass& ps, size_t& pos);
  void OpenTag(TPass& ps, TMarkupTag kind, std::string_view tag, std::string_view body, size_t& pos, size_t next);
  void CloseTag(TPass& ps, TMarkupTag kind);
  void Image(TPass& ps, std::string_view body, size_t& pos, size_t next);
  void Control(TPass& ps, std::string_view tag, size_t& pos, size_t next);
  void Bullet(TPass& ps);
  // Gives a picture or control its room on the line; false when it goes to the
  // next line instead. With Wide, one at least as wide as the line stays: it would not fit on
  // the next one either.
  static bool PlaceBox(TPass& ps, int w, int h, bool Wide) {
    if (ps.HasContent && (long long)ps.Used + w > ps.Avail && !(Wide && w >= ps.Avail)) {
      ps.End = true;
      return false;
    }
    ps.Used = Sat((long long)ps.Used + w);
    ps.X = Sat((long long)ps.X + w);
    ps.LineHeight = std::max(ps.LineHeight, h);
    ps.HasContent = true;
    ps.Glue = false;
    ps.TrailingBlank = 0;
    return true;
  }
  // Lists and paragraphs end a line only when it holds something.
  static void EndBlock(TPass& ps) {
    if (ps.HasContent || ps.Used > 0) ps.End = true;
  }
  void DrawPiece(const TPass& ps, const std::string& s, const TRect& box);
  void DrawControl(const std::string& type, const std::string& value, int x, int b, int h, int w, bool hot);
  // A visual-style part on Windows XP or later with styles active; false: draw the classic look.
  bool DrawThemedControl(const char* cls, int part, int state, const TRect& r) {
    return IsWinXP && DrawThemePart(P.WinHandle, cls, C, part, state, r);
  }
  void PaintBody();
  void TileBackground(const TPictureRef& pic);
  void DrawPicture(const TPictureRef& pic, const TRect& box, bool stretched);
  bool ResolvePicture(const std::string& name, bool img, TPictureRef& out);
  bool HasPrefix(std::string_view value, const char* upperPrefix) const;
  std::string Attr(const std::vector<TMarkupAttr>& attrs, const char* upperName, bool* present = nullptr) const;
  std::string Value(const std::string& v) const { return D.UpperCaseValues ? MarkupUpper(v) : v; }
  void ApplyFont();
  void ApplyFontColor(TColor c);
  TSize Extent(std::string_view s);
  TSize ExtentIn(const TFontData& f, std::string_view s);
  void SelectFont(const TFontData& f);
  void DrawDeferred();
  int GH();
  std::string Ellipsize(const std::string& s, int width);
  // The part of a piece that is shown when it passes the rectangle's right
  // edge without word wrap; box shrinks to it.
  void Cut(const std::string& piece, TRect& box, std::string* shown);
  // Names and values in the bytes of the text as given.
  std::string AsGiven(const std::string& s) const { return utf8_ ? s : Utf8ToWin1252(s); }
  void FillBand(const TRect& r, TColor from, TColor to, bool gradient);
  void TileBlocks(const TPictureRef& pic, long long across, long long down, const TRect& clip);
  void FlushRun();

  const TMarkupDialect& D;
  THTMLDrawParams& P;
  TCanvas* C;
  std::string_view text_;  // the text as given, or converted_
  std::string converted_;
  std::string piece_;  // the decoded piece being laid out or drawn
  std::string tabbed_;  // piece_ with its tabs expanded
  std::vector<TMarkupAttr> attrs_;  // of the opening tag being read
  TState st_;
  TFontData base_, applied_;
  bool appliedValid_ = false;
  TColor startBg_ = clWhite;
  int ppi_ = 96;
  int lineIndex_ = 0;
  bool utf8_ = true;           // the text as given is UTF-8; else it is read as Windows-1252
  bool controlIdSet_ = false;  // the control ID output was written
  bool hit_ = false;
  bool drawing_ = false;
  std::string ctrlIdIn_;
  struct {
    bool Open = false;
    TFontData Font;
    int Left = 0, Top = 0, Right = 0;
    std::string Text;
  } run_;  // text waiting to be drawn in one call
  struct TTextOp {
    TFontData Font;
    int X, Y;
    std::string Text;
    bool Done = false;
  };
  std::vector<TTextOp> deferred_;  // plain text, drawn last
};

// ---------------------------------------------------------------- canvas state

void TRenderer::ApplyFont() { SelectFont(st_.Font); }

void TRenderer::SelectFont(const TFontData& f) {
  if (appliedValid_ && applied_ == f) return;
  C->Font()->SetData(f);
  applied_ = f;
  appliedValid_ = true;
}

void TRenderer::ApplyFontColor(TColor c) {
  TFontData d = st_.Font;
  d.Color = c;
  if (appliedValid_ && applied_ == d) return;
  C->Font()->SetData(d);
  applied_ = d;
  appliedValid_ = true;
}

TSize TRenderer::Extent(std::string_view s) { return ExtentIn(st_.Font, s); }

// Measured by the canvas every time: it holds a table of its characters' advances per font,
// so a text costs a look-up per character and nothing is kept per text.
TSize TRenderer::ExtentIn(const TFontData& f, std::string_view s) {
  SelectFont(f);
  return C->TextExtent(std::string(s));
}

int TRenderer::GH() { return Extent("gh").cy; }

std::string TRenderer::Ellipsize(const std::string& s, int width) {
  static const std::string dots = "...";
  if (C->TextWidth(s) <= width) return s;
  // Widths of pieces add up on the canvas, so the longest start of whole
  // characters that leaves room for the dots is found in one pass.
  const int dotsWidth = C->TextWidth(dots);
  if (dotsWidth <= width) return s.substr(0, C->TextFit(s, width - dotsWidth)) + dots;
  // Too narrow for all three dots: as many of them as fit.
  return dots.substr(0, C->TextFit(dots, width));
}

void TRenderer::Cut(const std::string& piece, TRect& box, std::string* shown) {
  if (box.Left >= P.Rect.Right) {
    box.Right = box.Left;
    if (shown) shown->clear();
    return;
  }
  ApplyFont();
  std::string s = Ellipsize(piece, P.Rect.Right - box.Left);
  box.Right = box.Left + (s.empty() ? 0 : C->TextWidth(s));
  if (shown) *shown = std::move(s);
}

void TRenderer::FlushRun() {
  if (!run_.Open) return;
  run_.Open = false;
  deferred_.push_back({run_.Font, run_.Left, run_.Top, std::move(run_.Text)});
  run_.Text.clear();
}

void TRenderer::DrawDeferred() {
  // Font by font, in the order the fonts first appear: changing the canvas
  // font costs more than drawing a word, and plain pieces never overlap.
  FlushRun();
  auto sameFace = [](const TFontData& a, const TFontData& b) {
    return a.Height == b.Height && a.Style == b.Style && a.Orientation == b.Orientation && a.Pitch == b.Pitch &&
           a.Charset == b.Charset && a.Name == b.Name;
  };
  // The face is copied: drawing changes applied_, which may be passed in.
  auto drawGroup = [&](const TFontData face) {
    for (TTextOp& op : deferred_) {
      if (op.Done || !sameFace(op.Font, face)) continue;
      op.Done = true;
      SelectFont(op.Font);
      C->TextOut(op.X, op.Y, op.Text);
    }
  };
  // The font the canvas holds now goes first.
  if (appliedValid_) drawGroup(applied_);
  for (size_t i = 0; i < deferred_.size(); ++i)
    if (!deferred_[i].Done) drawGroup(deferred_[i].Font);
  deferred_.clear();
}

void TRenderer::FillBand(const TRect& r, TColor from, TColor to, bool gradient) {
  if (gradient && to != clNone) {
    MarkupGradient(C, r, from, to, true);
    return;
  }
  C->Brush()->SetColor(from);
  C->Brush()->SetStyle(bsSolid);
  C->FillRect(r);
  C->Brush()->SetStyle(bsClear);
}

// ---------------------------------------------------------------- attributes and pictures

bool TRenderer::HasPrefix(std::string_view value, const char* upperPrefix) const {
  const std::string_view prefix(upperPrefix);
  if (value.size() < prefix.size()) return false;
  const std::string_view head = value.substr(0, prefix.size());
  return D.LowerCaseAttributes ? EqualsLowered(head, prefix) : EqualsUpper(head, prefix);
}

std::string TRenderer::Attr(const std::vector<TMarkupAttr>& attrs, const char* upperName, bool* present) const {
  const std::string_view name(upperName);
  const TMarkupAttr* a = nullptr;
  for (const TMarkupAttr& x : attrs)
    if (D.LowerCaseAttributes ? EqualsLowered(x.Name, name) : EqualsUpper(x.Name, name)) {
      a = &x;
      break;
    }
  if (present) *present = a != nullptr;
  return a ? DecodePiece(a->Value, D.Nbsp, true) : std::string();
}

bool TRenderer::ResolvePicture(const std::string& value, bool img, TPictureRef& out) {
  out = TPictureRef();
  if (value.empty()) return false;
  const std::string name = AsGiven(value);
  if (img && HasPrefix(name, "IDX:")) {
    const int n = IntVal(name.substr(4));
    if (!P.Images || n < 0 || n >= MarkupImageCount(P.Images)) return false;
    out.Kind = TPictureRef::Index;
    out.ImageIndex = n;
    out.Width = MulDiv(MarkupImageWidth(P.Images), ppi_, 96);
    out.Height = MulDiv(MarkupImageHeight(P.Images), ppi_, 96);
    if (P.Print) {
      out.Width = Sat((long long)(out.Width * std::clamp(P.ResFactor, 0.0, 100.0)));
      out.Height = Sat((long long)(out.Height * std::clamp(P.ResFactor, 0.0, 100.0)));
    }
    return true;
  }
  if ((img || !D.BodyBackgroundFileOnly) && (HasPrefix(name, "SSYS:") || HasPrefix(name, "LSYS:"))) {
    out.Kind = TPictureRef::SysIcon;
    out.Large = HasPrefix(name, "LSYS:");
    out.SysName = name.substr(5);
    TSize size;
    DrawSysIcon(C, 0, 0, size, P.ResFactor, P.Print, false, out.Large, out.SysName);
    out.Width = size.cx;
    out.Height = size.cy;
    return true;
  }
  const bool bitmapFile = HasPrefix(name, "FILE://");
  if (D.ResAndFilePictures && (bitmapFile || (img && HasPrefix(name, "RES://")))) {
    auto bmp = std::make_shared<TBitmap>();
    try {
      if (bitmapFile) {
        TStringStream bytes(LoadRegularFileBytes(name.substr(7), kMaxPictureFileBytes));
        bmp->LoadFromStream(&bytes);
      } else {
        bmp->LoadFromResourceName(HInstance, name.substr(6));
      }
    } catch (const std::exception&) {
      return false;
    }
    if (bmp->Empty()) return false;
    out.Kind = TPictureRef::Bitmap;
    out.Width = bmp->Width();
    out.Height = bmp->Height();
    out.Owned = std::move(bmp);
    return true;
  }
  if (!img && D.BodyBackgroundFileOnly) return false;
  THTMLPicture* pic = nullptr;
  if (name.find(':') == std::string::npos) {
    if (P.PictureContainer) pic = P.PictureContainer->FindPicture(name);
  } else if (D.UrlCache && name.find("://") != std::string::npos && P.PictureCache) {
    pic = P.PictureCache->FindPicture(name);
    if (!pic) {
      pic = P.PictureCache->AddPicture();
      pic->SetAsynch(false);
      try {
        pic->LoadFromURL(name);
      } catch (const std::exception&) {
        // A file that cannot be read leaves the picture empty.
      }
    }
  }
  if (!pic || pic->Empty()) return false;
  out.Kind = TPictureRef::Html;
  out.Picture = pic;
  out.Width = MulDiv(pic->FrameWidth(), ppi_, 96);
  out.Height = MulDiv(pic->FrameHeight(), ppi_, 96);
  return out.Width > 0 && out.Height > 0;
}

void TRenderer::DrawPicture(const TPictureRef& pic, const TRect& box, bool stretched) {
  switch (pic.Kind) {
    case TPictureRef::Index:
      if (P.Print) {
        TBitmap bmp(MarkupImageWidth(P.Images), MarkupImageHeight(P.Images));
        MarkupImageDraw(P.Images, bmp.Canvas(), 0, 0, pic.ImageIndex);
        C->StretchDraw(box, &bmp);
      } else {
        MarkupImageDraw(P.Images, C, box.Left, box.Top, pic.ImageIndex);
      }
      break;
    case TPictureRef::SysIcon: {
      TSize size;
      DrawSysIcon(C, box.Left, box.Top, size, P.ResFactor, P.Print, true, pic.Large, pic.SysName);
      break;
    }
    case TPictureRef::Html: {
      THTMLPicture* p = pic.Picture;
      if (stretched) {
        const bool was = p->Stretch();
        p->SetStretch(true);
        p->Draw(C, box);
        p->SetStretch(was);
      } else {
        p->Draw(C, Bounds(box.Left + p->FrameLeft(), box.Top + p->FrameTop(), box.Width(), box.Height()));
      }
      break;
    }
    case TPictureRef::Bitmap:
      if (stretched)
        C->StretchDraw(box, pic.Owned.get());
      else
        C->Draw(box.Left, box.Top, pic.Owned.get());
      break;
    case TPictureRef::None:
      break;
  }
}

// ---------------------------------------------------------------- BODY

void TRenderer::TileBackground(const TPictureRef& pic) {
  const TRect& r = P.Rect;
  if (pic.Width <= 0 || pic.Height <= 0 || r.Width() <= 0 || r.Height() <= 0) return;
  const bool hadClip = C->HasClip();
  const TRect oldClip = C->ClipRect();
  TRect clip = r;
  if (hadClip && !IntersectRect(clip, oldClip, r)) return;
  C->SetClipRect(clip);
  const long long across = (r.Width() + pic.Width - 1LL) / pic.Width;
  const long long down = (r.Height() + pic.Height - 1LL) / pic.Height;
  if (across * down <= 20000) {
    for (int y = r.Top; y < r.Bottom; y += pic.Height)
      for (int x = r.Left; x < r.Right; x += pic.Width) DrawPicture(pic, Bounds(x, y, pic.Width, pic.Height), false);
  } else {
    TileBlocks(pic, across, down, clip);
  }
  if (hadClip)
    C->SetClipRect(oldClip);
  else
    C->RemoveClip();
}

// A small picture over a large area: tiled once into a block of about 128 by 128 pixels, which
// then covers the area, so the work stays bounded for any rectangle. The block keeps the
// picture's coverage (it starts transparent), so every colour of the picture stays and its
// partly clear pixels blend over the area as a tile drawn there would.
void TRenderer::TileBlocks(const TPictureRef& pic, long long across, long long down, const TRect& clip) {
  const TRect& r = P.Rect;
  const int kx = static_cast<int>(std::min<long long>(across, std::max(1, 128 / pic.Width)));
  const int ky = static_cast<int>(std::min<long long>(down, std::max(1, 128 / pic.Height)));
  const int bw = kx * pic.Width, bh = ky * pic.Height;
  TBitmap block;
  block.SetAlphaFormat(afPremultiplied);
  block.SetSize(bw, bh);
  TCanvas* const target = C;
  C = block.Canvas();
  try {
    for (int y = 0; y < bh; y += pic.Height)
      for (int x = 0; x < bw; x += pic.Width) DrawPicture(pic, Bounds(x, y, pic.Width, pic.Height), false);
  } catch (...) {
    C = target;
    throw;
  }
  C = target;
  // Only the blocks that meet the clipped area, still in the grid that starts at the top-left.
  const long long x0 = r.Left + (static_cast<long long>(clip.Left) - r.Left) / bw * bw;
  const long long y0 = r.Top + (static_cast<long long>(clip.Top) - r.Top) / bh * bh;
  for (long long y = y0; y < clip.Bottom; y += bh)
    for (long long x = x0; x < clip.Right; x += bw) C->Draw(static_cast<int>(x), static_cast<int>(y), &block);
}

void TRenderer::PaintBody() {
  if (D.BodySkippedWhenSelected && P.Selected) return;
  if (!(D.Opening & MarkupTagBit(mtBODY))) return;
  size_t pos = 0;
  while ((pos = text_.find('<', pos)) != std::string::npos) {
    const size_t close = text_.find('>', pos);
    if (close == std::string::npos) break;
    const std::string_view tag(text_.data() + pos, close + 1 - pos);
    pos = close + 1;
    bool closing = false;
    if (MarkupTagKind(tag, closing) != mtBODY || closing) continue;
    const std::vector<TMarkupAttr> attrs = ScanAttributes(tag.substr(5, tag.size() - 6));
    TColor from, to;
    if (MarkupColorValue(Value(Attr(attrs, "BGCOLOR")), from)) {
      TRect r = P.Rect;
      r.Left += D.BodyFillLeft;
      if (D.BodyGradient && MarkupColorValue(Value(Attr(attrs, "BGCOLORTO")), to)) {
        const std::string dir = MarkupUpper(Attr(attrs, "DIR"));
        MarkupGradient(C, r, from, to, dir.empty() || dir == "H");
      } else {
        FillBand(r, from, clNone, false);
      }
    }
    TPictureRef pic;
    if (ResolvePicture(Attr(attrs, "BACKGROUND"), false, pic)) TileBackground(pic);
  }
}

// ---------------------------------------------------------------- the line pass

void TRenderer::LinePass(TPass& ps, size_t& pos) {
  if (ps.Mode != TMode::Layout && drawing_ && ps.ParaBg != clNone)
    FillBand(TRect(P.Rect.Left, ps.Top, P.Rect.Right, ps.LineBottom), ps.ParaBg, ps.ParaBgTo, D.ParagraphGradient);
  while (pos < ps.Limit && (ps.Mode != TMode::Layout || !ps.End)) {
    if (text_[pos] == '<')
      Tag(ps, pos);
    else
      Piece(ps, pos);
  }
  ps.Used -= ps.TrailingBlank;
  // An anchor that goes on to the next line and is hit on this one: its
  // hover rectangle is its part of this line.
  if (ps.Mode == TMode::Hit && st_.InAnchor && st_.AnchorHit) {
    const int left = st_.AnchorStartLine == lineIndex_ ? st_.AnchorStartX : ps.Left;
    P.HoverRect = TRect(left, ps.Top, ps.X - ps.TrailingBlank, ps.LineBottom);
    P.MouseLink = st_.AnchorNo;
    st_.AnchorHit = false;
  }
  FlushRun();
  if (ps.Mode == TMode::Draw && st_.FocusOpen) {
    const int start = st_.FocusStartX < 0 ? ps.Left : st_.FocusStartX;
    C->DrawFocusRect(TRect(start - 1, ps.TextBottom - ps.PicOff - ps.GH, ps.X + 1, ps.TextBottom - ps.PicOff));
    st_.FocusStartX = -1;  // the next line's part starts at its left
  }
}

void TRenderer::Piece(TPass& ps, size_t& pos) {
  size_t end = pos;
  while (end < ps.Limit && text_[end] != '<') {
    if (P.WordWrap && text_[end] == ' ') {
      ++end;
      break;
    }
    ++end;
  }
  const std::string_view raw(text_.data() + pos, end - pos);
  piece_.clear();
  AppendDecodedPiece(piece_, raw, D.Nbsp, true);
  if (st_.Hidden) {
    if (ps.Mode == TMode::Layout) P.StripVal += piece_;
    pos = end;
    return;
  }
  // Tabs stand to the stops of eight average characters from the piece's start.
  const bool tabs = piece_.find('\t') != std::string::npos;
  if (tabs) {
    SelectFont(st_.Font);
    tabbed_ = C->ExpandTabs(piece_);
  }
  const std::string& piece = tabs ? tabbed_ : piece_;
  const TSize ext = Extent(piece);
  const int w = ext.cx, h = ext.cy;
  if (st_.Sub) ps.Sub = std::max(ps.Sub, h / 4);
  if (st_.Sup) ps.Sup = std::max(ps.Sup, h / 4);
  ps.LineHeight = std::max(ps.LineHeight, h);
  const bool trailing = raw.back() == ' ';
  const int blank = trailing ? Extent(" ").cx : 0;

  if (ps.Mode == TMode::Layout) {
    // Something always goes on a line, and a word never breaks inside; a piece as wide as the
    // line would not fit on the next one either. A piece counts with its blank here; only the
    // line's last blank is taken off at its end.
    const bool fits = !ps.HasContent || ps.Glue || (long long)ps.Used + w < ps.Avail || w >= ps.Avail;
    if (!fits) {
      if (P.WordWrap) {
        ps.End = true;
        return;
      }
      ps.Drop = ps.End = true;
    }
    P.StripVal += piece_;
    ps.Used = Sat((long long)ps.Used + w);
    ps.X = Sat((long long)ps.X + w);
    ps.HasContent = true;
    ps.Glue = !trailing;
    ps.TrailingBlank = blank;
    pos = end;
    return;
  }

  const int bottom = ps.TextBottom - ps.PicOff - (st_.Sup ? ps.Sup : 0) + (st_.Sub ? ps.Sub : 0);
  const TRect box(ps.X, bottom - h, Sat((long long)ps.X + w), bottom);
  // What passes the right edge is hit where it is drawn: cut.
  TRect shown = box;
  if (ps.Mode == TMode::Hit && !P.WordWrap && box.Right > P.Rect.Right) Cut(piece, shown, nullptr);
  // A text anchor counts only inside the band of the line's own text height, both ends excluded.
  const int band = ps.TextBottom - ps.PicOff;
  const bool inBand = P.YPos > band - ps.GH && P.YPos < band;
  if (ps.Mode == TMode::Hit && st_.InAnchor && st_.AnchorIsLink && inBand &&
      PtInRect(shown, TPoint(P.XPos, P.YPos))) {
    hit_ = true;
    st_.AnchorHit = true;
    P.AnchorVal = st_.Href;
    P.MouseLink = st_.AnchorNo;
  }
  if (ps.Mode == TMode::Draw) DrawPiece(ps, piece, box);
  ps.X = box.Right;
  ps.Used = Sat((long long)ps.Used + w);
  ps.TrailingBlank = blank;
  pos = end;
}

void TRenderer::DrawPiece(const TPass& ps, const std::string& piece, const TRect& box0) {
  TRect box = box0;
  std::string s = piece;
  if (!P.WordWrap && box.Right > P.Rect.Right) {
    Cut(piece, box, &s);
    if (s.empty()) return;
  }
  // Plain neighbours in one font are drawn as one run: a text call costs
  // far more than the few characters it draws.
  const bool plain = st_.Bg == clNone && !st_.Shadow && !st_.Err && s.size() == piece.size();
  if (plain) {
    if (!(run_.Open && run_.Font == st_.Font && run_.Top == box.Top && run_.Right == box.Left)) {
      FlushRun();
      run_.Open = true;
      run_.Font = st_.Font;
      run_.Left = box.Left;
      run_.Top = box.Top;
      run_.Text.clear();
    }
    run_.Text += s;
    run_.Right = box.Right;
    return;
  }
  if (st_.Bg != clNone) FillBand(box, st_.Bg, clNone, false);
  if (st_.Shadow) {
    ApplyFontColor(P.ShadowColor);
    C->TextOut(box.Left + P.ShadowOffset, box.Top + P.ShadowOffset, s);
  }
  ApplyFont();
  C->TextOut(box.Left, box.Top, s);
  if (st_.Err) {
    // Red zig-zag, one pixel above and below the bottom by turns every 2 pixels.
    const int bottom = ps.TextBottom - ps.PicOff;
    // Only the part inside the rectangle is drawn, however long the piece.
    int x = std::max(box.Left, P.Rect.Left - 4) & ~1;
    const int right = std::min(box.Right, P.Rect.Right);
    bool low = ((x % 4) + 4) % 4 == 0;
    std::vector<TPoint> pts;
    for (; x <= right; x += 2, low = !low) pts.emplace_back(x, low ? bottom + 1 : bottom - 1);
    if (pts.size() >= 2) {
      C->Pen()->SetColor(clRed);
      C->Pen()->SetWidth(1);
      C->Pen()->SetStyle(psSolid);
      C->Polyline(pts);
    }
  }
}

void TRenderer::Tag(TPass& ps, size_t& pos) {
  if (ps.Limit - pos < 3) {
    pos = ps.Limit;
    return;
  }
  const void* gt = std::memchr(text_.data() + pos, '>', ps.Limit - pos);
  if (!gt) {
    pos = ps.Limit;
    return;
  }
  const size_t close = size_t(static_cast<const char*>(gt) - text_.data());
  const std::string_view tag(text_.data() + pos, close + 1 - pos);
  bool closing = false;
  TMarkupTag kind = MarkupTagKind(tag, closing);
  if (kind != mtNone && !((closing ? D.Closing : D.Opening) & MarkupTagBit(kind))) kind = mtNone;
  if (kind == mtNone) {
    pos = close + 1;
    return;
  }
  if (closing) {
    CloseTag(ps, kind);
    pos = close + 1;
    return;
  }
  const std::string_view name = MarkupTagName(tag, closing);
  const size_t nameEnd = size_t(name.data() - tag.data()) + name.size();
  const std::string_view body = tag.substr(nameEnd, tag.size() - 1 - nameEnd);
  OpenTag(ps, kind, tag, body, pos, close + 1);
}

void TRenderer::OpenTag(TPass& ps, TMarkupTag kind, std::string_view tag, std::string_view body, size_t& pos,
                        size_t next) {
  const bool layout = ps.Mode == TMode::Layout;
  TFontData& f = st_.Font;
  switch (kind) {
    case mtIMG:
      Image(ps, body, pos, next);
      return;
    case mtCONTROL:
      Control(ps, tag, pos, next);
      return;
    case mtLI:
      if (layout && ps.LiSeen) {  // a second item starts the next line
        ps.End = true;
        return;
      }
      ps.LiSeen = true;
      Bullet(ps);
      break;
    default:
      break;
  }
  pos = next;
  if (kind == mtLI) return;

  ScanAttributes(body, attrs_);
  const std::vector<TMarkupAttr>& attrs = attrs_;
  switch (kind) {
    case mtA: {
      const int no = ++st_.Anchors;
      st_.InAnchor = true;
      st_.AnchorNo = no;
      st_.AnchorHit = false;
      st_.AnchorStartX = ps.X;
      st_.AnchorStartLine = lineIndex_;
      bool has = false;
      if (D.AnchorRule == arFirstQuoted) {
        st_.Href.clear();
        for (const TMarkupAttr& a : attrs)
          if (a.Quoted) {
            st_.Href = DecodePiece(a.Value, D.Nbsp, true);
            has = true;
            break;
          }
      } else {
        st_.Href = Attr(attrs, "HREF", &has);
        if (D.AnchorRule == arHrefUpper) st_.Href = MarkupUpper(st_.Href);
      }
      st_.AnchorIsLink = has;
      if (D.ReportsTitle) {
        bool titled = false;
        const std::string title = Attr(attrs, "TITLE", &titled);
        if (titled && layout) P.AnchorTitle = title;
      }
      st_.AnchorSavedBg = st_.Bg;
      const bool hover = no == P.HoverLink;
      if (!P.HoverStyle || hover) {
        f.Style |= fsUnderline;
        if (P.HoverColor != clNone) st_.Bg = P.HoverColor;
        if (!P.Selected)
          f.Color = (P.HoverStyle && P.HoverFontColor != clNone) ? P.HoverFontColor : P.URLColor;
      } else if (!P.Selected) {
        f.Color = P.URLColor;
      }
      if (no - 1 == P.FocusLink) {
        st_.FocusOpen = true;
        st_.FocusStartX = ps.X;
        if (ps.Mode == TMode::Draw) P.FocusAnchor = st_.Href;
      }
      break;
    }
    case mtB: f.Style |= fsBold; break;
    case mtI: f.Style |= fsItalic; break;
    case mtU: f.Style |= fsUnderline; break;
    case mtS: f.Style |= fsStrikeOut; break;
    case mtSHAD: st_.Shadow = true; break;
    case mtSUB: st_.Sub = true; break;
    case mtSUP: st_.Sup = true; break;
    case mtE: st_.Err = true; break;
    case mtZ: st_.Hidden = true; break;
    case mtBR:
      if (layout) P.StripVal += '\r';
      ps.End = ps.Break = true;
      break;
    case mtHR:
      if (ps.Mode == TMode::Draw) {
        C->Pen()->SetColor(clBlack);
        C->Pen()->SetWidth(1);
        C->Pen()->SetStyle(psSolid);
        C->MoveTo(ps.Left, ps.TextBottom);
        C->LineTo(P.Rect.Right, ps.TextBottom);
      }
      ps.End = ps.Break = true;
      break;
    case mtUL:
      if (st_.ListLevel < kCoordLimit / kListIndent / 4) ++st_.ListLevel;
      EndBlock(ps);
      break;
    case mtBLINK:
      if (!P.Blink) f.Color = startBg_;
      break;
    case mtHI:
      st_.HiSavedBg = st_.Bg;
      st_.HiSavedColor = f.Color;
      st_.Bg = clHighlight;
      f.Color = clHighlightText;
      break;
    case mtFONT: {
      bool has = false;
      const std::string face = Attr(attrs, "FACE", &has);
      if (has && !face.empty()) f.Name = Value(face);
      TColor c;
      if (!P.Selected && MarkupColorValue(Value(Attr(attrs, "COLOR")), c)) f.Color = c;
      if (!P.Selected && MarkupColorValue(Value(Attr(attrs, "BGCOLOR")), c)) {
        st_.FontSavedBg = st_.Bg;
        st_.FontBgSaved = true;
        st_.Bg = c;
      }
      const int size = IntVal(Attr(attrs, "SIZE"));
      if (size >= 1) {  // a size below 1 means nothing
        static constexpr int kPoints[] = {8, 10, 12, 14, 16};
        const int points = size <= 5 ? kPoints[size - 1] : std::min(size, kMaxFontPoints);
        f.Height = -MulDiv(points, ppi_, 72);
      }
      break;
    }
    case mtIND: {
      const int v = std::clamp(IntVal(Attr(attrs, "X")), 0, kCoordLimit / 4);
      if (v > ps.Used) {
        ps.X = Sat((long long)ps.Left + v);
        ps.Used = v;
      }
      break;
    }
    case mtP: {
      const std::string align = MarkupUpper(Attr(attrs, "ALIGN"));
      if (align == "LEFT") st_.Align = taLeft;
      if (align == "RIGHT") st_.Align = taRight;
      if (align == "CENTER") st_.Align = taCenter;
      bool has = false;
      const std::string indent = D.ParagraphIndent ? Attr(attrs, "INDENT", &has) : std::string();
      if (has) st_.Indent = std::clamp(IntVal(indent), -kCoordLimit / 4, kCoordLimit / 4);
      TColor c;
      if (MarkupColorValue(Value(Attr(attrs, "BGCOLOR")), c)) {
        st_.ParaSavedBg = st_.ParaBg;
        st_.ParaSavedBgTo = st_.ParaBgTo;
        st_.ParaBg = c;
        st_.ParaBgTo = clNone;
        if (D.ParagraphGradient && MarkupColorValue(Value(Attr(attrs, "BGCOLORTO")), c)) st_.ParaBgTo = c;
      }
      if (layout) {
        ps.Align = st_.Align;
        ps.Indent = st_.Indent;
        if (ps.ParaBg == clNone) {
          ps.ParaBg = st_.ParaBg;
          ps.ParaBgTo = st_.ParaBgTo;
        }
      }
      break;
    }
    case mtR: {
      const int angle = IntVal(Attr(attrs, "A")) % 360;
      st_.RotSaved = f.Orientation;
      f.Orientation = angle * 10;
      break;
    }
    default:
      break;
  }
}

void TRenderer::CloseTag(TPass& ps, TMarkupTag kind) {
  TFontData& f = st_.Font;
  switch (kind) {
    case mtA:
      f.Style &= ~fsUnderline;
      // In hover mode another anchor's end keeps the background it has.
      if (!P.HoverStyle || st_.AnchorNo == P.HoverLink) st_.Bg = st_.AnchorSavedBg;
      if (!P.Selected) f.Color = base_.Color;
      if (st_.InAnchor && st_.AnchorHit && ps.Mode == TMode::Hit) {
        const int left = st_.AnchorStartLine == lineIndex_ ? st_.AnchorStartX : ps.Left;
        P.HoverRect = TRect(left, ps.Top, ps.X, ps.LineBottom);
        P.MouseLink = st_.AnchorNo;
      }
      if (st_.FocusOpen && ps.Mode == TMode::Draw) {
        const int start = st_.FocusStartX < 0 ? ps.Left : st_.FocusStartX;
        C->DrawFocusRect(
            TRect(start - 1, ps.TextBottom - ps.PicOff - ps.GH, ps.X + 1, ps.TextBottom - ps.PicOff));
      }
      st_.FocusOpen = false;
      st_.InAnchor = st_.AnchorIsLink = st_.AnchorHit = false;
      break;
    case mtB: f.Style &= ~fsBold; break;
    case mtI: f.Style &= ~fsItalic; break;
    case mtU: f.Style &= ~fsUnderline; break;
    case mtS: f.Style &= ~fsStrikeOut; break;
    case mtSHAD: st_.Shadow = false; break;
    case mtSUB:
    case mtSUP: st_.Sub = st_.Sup = false; break;
    case mtE: st_.Err = false; break;
    case mtZ: st_.Hidden = false; break;
    case mtBLINK: f.Color = base_.Color; break;
    case mtHI:
      st_.Bg = st_.HiSavedBg;
      f.Color = st_.HiSavedColor;
      break;
    case mtFONT:
      f.Name = base_.Name;
      f.Height = base_.Height;
      if (!P.Selected) {
        f.Color = base_.Color;
        if (st_.FontBgSaved) st_.Bg = st_.FontSavedBg;
        st_.FontBgSaved = false;
      }
      break;
    case mtLI: EndBlock(ps); break;
    case mtP:
      EndBlock(ps);
      st_.ParaBg = st_.ParaSavedBg;
      st_.ParaBgTo = st_.ParaSavedBgTo;
      st_.Align = taLeft;
      st_.Indent = 0;
      break;
    case mtR: f.Orientation = st_.RotSaved; break;
    case mtUL:
      if (st_.ListLevel > 0)
        --st_.ListLevel;
      else
        f.Style &= ~fsUnderline;
      break;
    default:
      break;
  }
}

void TRenderer::Bullet(TPass& ps) {
  // Outside a list the level is 0: no room, and the bullet one indent to the left.
  const int level = st_.ListLevel;
  ps.Used = Sat((long long)ps.Used + (long long)kListIndent * level);
  ps.X = Sat((long long)ps.X + (long long)kListIndent * (level - 1));
  if (ps.Mode == TMode::Draw && (!st_.Hidden || D.BulletsInHiddenText)) {
    TFontData d = st_.Font;
    d.Name = "Symbol";
    d.Style &= ~(fsUnderline | fsStrikeOut);
    std::string bullet = level % 2 ? std::string("\xC2\xB7") : std::string("o");
    const int h = ExtentIn(d, bullet).cy;
    deferred_.push_back({d, ps.X, ps.TextBottom - ps.PicOff - h, std::move(bullet)});
  }
  ps.X = Sat((long long)ps.X + kListIndent);
}

// ---------------------------------------------------------------- pictures and controls

void TRenderer::Image(TPass& ps, std::string_view body, size_t& pos, size_t next) {
  const std::vector<TMarkupAttr> attrs = ScanAttributes(body);
  TPictureRef pic;
  if (!ResolvePicture(Attr(attrs, "SRC"), true, pic)) {
    pos = next;
    return;
  }
  const int aw = IntVal(Attr(attrs, "WIDTH")), ah = IntVal(Attr(attrs, "HEIGHT"));
  const bool stretched = aw >= 1 && ah >= 1;
  const int w = std::min(stretched ? aw : pic.Width, kMaxPictureSide);
  const int h = std::min(stretched ? ah : pic.Height, kMaxPictureSide);
  if (ps.Mode == TMode::Layout) {
    if (!PlaceBox(ps, w, h, true)) return;
    const std::string align = MarkupUpper(Attr(attrs, "ALIGN"));
    const int gh = GH();
    if (align == "TOP") ps.PicOff = std::max(ps.PicOff, h - gh);
    if (align == "MIDDLE") ps.PicOff = std::max(ps.PicOff, (h - gh) / 2);
    pos = next;
    return;
  }
  const TRect box(ps.X, ps.TextBottom - h, Sat((long long)ps.X + w), ps.TextBottom);
  const bool onIt = st_.InAnchor && st_.AnchorIsLink && PtInRect(box, TPoint(P.XPos, P.YPos));
  if (onIt) {
    hit_ = true;
    P.AnchorVal = st_.Href;
    P.MouseLink = st_.AnchorNo;
  }
  if (ps.Mode == TMode::Draw) {
    TPictureRef alt;
    if (onIt && ResolvePicture(Attr(attrs, "ALT"), true, alt))
      DrawPicture(alt, box, true);
    else
      DrawPicture(pic, box, stretched);
  }
  ps.X = box.Right;
  ps.Used = Sat((long long)ps.Used + w);
  ps.TrailingBlank = 0;
  pos = next;
}

void TRenderer::Control(TPass& ps, std::string_view tag, size_t& pos, size_t next) {
  std::string type, id, prop, width, value;
  ParseControlTag(std::string(tag), type, id, prop, width, value);
  pos = next;
  if (width.empty() || width.find_first_not_of("0123456789") != std::string::npos) return;
  int w = std::min(IntVal(width), kMaxPictureSide);
  int h;
  if (type == "COMBO")
    h = 25;
  else if (type == "CHECK" || type == "RADIO")
    w = h = 16;
  else if (type == "BUTTON")
    h = ps.Mode == TMode::Draw ? 24 : 18;
  else
    h = ps.GH + 6;
  if (ps.Mode == TMode::Layout) {
    if (!PlaceBox(ps, w, h, false)) pos -= tag.size();  // the control starts the next line
    return;
  }
  const int b = ps.TextBottom - ps.PicOff;
  const TRect box(ps.X, b - h, Sat((long long)ps.X + w), b);
  const bool onIt = PtInRect(box, TPoint(P.XPos, P.YPos));
  if (onIt) {
    P.ControlRect = box;
    P.ControlValue = value;
    P.ControlType = type;
    if (ps.Mode == TMode::Hit && id == ctrlIdIn_) {
      hit_ = true;
      P.AnchorVal = "ctrl";
    }
    P.ControlID = id;
    controlIdSet_ = true;
  }
  if (ps.Mode == TMode::Draw) DrawControl(type, value, ps.X, b, ps.LineHeight, w, P.HotControls && onIt);
  ps.X = box.Right;
  ps.Used = Sat((long long)ps.Used + w);
  ps.TrailingBlank = 0;
}

void TRenderer::DrawControl(const std::string& type, const std::string& value, int x, int b, int h, int w,
                            bool hot) {
  C->Pen()->SetColor(TColor(0x808080));
  C->Pen()->SetWidth(1);
  C->Pen()->SetStyle(psSolid);
  C->Brush()->SetStyle(bsClear);
  ApplyFont();
  // The value is cut here, by whole characters, like every other text.
  const unsigned textFlags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
  if (type == "EDIT" || type == "MASK" || type == "PASSWORD") {
    C->Rectangle(x, b - h + 3, x + w, b + 1);
    TRect r(x + 2, b - h + 4, x + w, b);
    C->DrawText(Ellipsize(type == "PASSWORD" ? PasswordText(value) : value, r.Width()), r, textFlags);
  } else if (type == "COMBO") {
    C->Rectangle(x, b - h + 3, x + w, b + 1);
    TRect r(x + 2, b - h + 6, x + w - 17, b);
    C->DrawText(Ellipsize(value, r.Width()), r, textFlags);
    const TRect button(x + w - 19, b - h + 6, x + w - 3, b - 2);
    if (!DrawThemedControl("combobox", 1, hot ? 3 : 1, button))
      C->DrawFrameControl(button, DFC_SCROLL, DFCS_SCROLLCOMBOBOX);
  } else if (type == "CHECK" || type == "RADIO") {
    const bool ticked = MarkupUpper(value) == "TRUE";
    const TRect box(x + 2, b - 15, x + 15, b);
    if (!DrawThemedControl("button", type == "RADIO" ? 2 : 3, (ticked ? 5 : 1) + (hot ? 2 : 0), box)) {
      unsigned state = (type == "RADIO" ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK) | DFCS_FLAT;
      if (ticked) state |= DFCS_CHECKED;
      C->DrawFrameControl(box, DFC_BUTTON, state);
    }
  } else if (type == "BUTTON") {
    TRect r(x + 2, b - 20, x + w - 2, b);
    if (!DrawThemedControl("button", 1, hot ? 3 : 1, r))
      C->DrawFrameControl(r, DFC_BUTTON, DFCS_BUTTONPUSH | (hot ? DFCS_PUSHED : 0u));
    C->DrawText(value, r, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
  }
  C->Brush()->SetStyle(bsClear);
}

// ---------------------------------------------------------------- the call

bool TRenderer::Run() {
  P.AnchorVal.clear();
  P.StripVal.clear();
  P.FocusAnchor.clear();
  P.AnchorTitle.clear();
  if (!P.CheckHotSpot) P.ControlID.clear();
  // One decision for the whole text: UTF-8 when it is valid UTF-8, else
  // Windows-1252, which is read as UTF-8 from here on and given back as it came.
  utf8_ = IsValidUtf8(P.Text);
  ctrlIdIn_ = utf8_ ? P.ControlID : Win1252ToUtf8(P.ControlID);
  P.ControlValue.clear();
  P.ControlType.clear();
  P.XSize = P.YSize = P.HyperLinks = 0;
  P.MouseLink = -1;
  P.HoverRect = P.ControlRect = TRect();
  if (!C) return false;

  // Every piece drawn or measured is UTF-8 from here on (the text was converted when it was
  // not): the canvas reads each one so instead of checking it again, a pass over the piece that
  // cost the most on texts with accented letters. The caller's setting comes back at the end.
  const TTextEncoding savedEncoding = C->TextEncoding();
  C->SetTextEncoding(teUtf8);
  const TFontData savedFont = C->Font()->Data();
  const TColor savedBrushColor = C->Brush()->Color();
  const TBrushStyle savedBrushStyle = C->Brush()->Style();
  const TPenData savedPen = C->Pen()->Data();
  base_ = savedFont;
  st_.Font = base_;
  startBg_ = savedBrushColor;
  ppi_ = C->Font()->PixelsPerInch();
  if (ppi_ <= 0) ppi_ = 96;
  // Most texts need no conversion: they are read where they are.
  text_ = P.Text;
  if (!utf8_) {
    converted_ = Win1252ToUtf8(P.Text);
    text_ = converted_;
  }
  if (HasFooterMarkers(text_)) {
    converted_ = ConvertFooterMarkers(std::string(text_));
    text_ = converted_;
  }
  if (D.ConvertLineBreaks && HasLineBreaks(text_)) {
    converted_ = LineBreaksToBR(std::string(text_), true);
    text_ = converted_;
  }
  deferred_.reserve(16);
  C->Brush()->SetStyle(bsClear);
  drawing_ = !P.CheckHeight && !P.CheckHotSpot;

  const int baseGH = GH();
  // No room at all: nothing to lay out.
  if (P.Rect.Width() > 0) {
    if (drawing_) PaintBody();
    int top = P.Rect.Top;
    size_t pos = 0;
    while (pos < text_.size()) {
      const TState lineStart = st_;
      TPass ps;
      ps.Mode = TMode::Layout;
      ps.Limit = text_.size();
      ps.Left = ps.X = P.Rect.Left + 1;
      ps.Avail = P.Rect.Right - ps.Left;
      ps.Top = top;
      ps.GH = ps.LineHeight = GH();
      ps.Align = st_.Align;
      ps.Indent = st_.Indent;
      ps.ParaBg = st_.ParaBg;
      ps.ParaBgTo = st_.ParaBgTo;
      size_t end = pos;
      LinePass(ps, end);
      P.XSize = std::max(P.XSize, ps.Used);

      int left = P.Rect.Left + 1;
      if (ps.Align == taRight && P.Rect.Right - ps.Used > P.Rect.Left) left = P.Rect.Right - ps.Used;
      if (ps.Align == taCenter && P.Rect.Width() - ps.Used > 0) left += (P.Rect.Width() - ps.Used) / 2;
      left = Sat((long long)left + ps.Indent);
      const int lineH = Sat((long long)ps.LineHeight + ps.Sub + ps.Sup);

      if (!P.CheckHeight) {
        st_ = lineStart;
        TPass p2;
        p2.Mode = P.CheckHotSpot ? TMode::Hit : TMode::Draw;
        p2.Limit = end;
        p2.Left = p2.X = left;
        p2.Avail = ps.Avail;
        p2.Top = top;
        p2.TextBottom = Sat((long long)top + ps.LineHeight + ps.Sup);
        p2.LineBottom = Sat((long long)top + lineH);
        p2.LineHeight = ps.LineHeight;
        p2.Sub = ps.Sub;
        p2.Sup = ps.Sup;
        p2.PicOff = ps.PicOff;
        p2.GH = ps.GH;
        p2.ParaBg = ps.ParaBg;
        p2.ParaBgTo = ps.ParaBgTo;
        size_t p = pos;
        LinePass(p2, p);
      }
      // Closing tags left over at the end make no line of their own.
      const bool emptyTail = !ps.HasContent && ps.Used == 0 && !ps.Break && end >= text_.size() && lineIndex_ > 0;
      if (!emptyTail) {
        top = Sat((long long)top + lineH);
        P.YSize = Sat((long long)P.YSize + lineH);
      }
      pos = ps.Drop ? text_.size() : end;
      ++lineIndex_;
      if (!P.CheckHeight && pos < text_.size() && (long long)top + GH() > P.Rect.Bottom) break;
    }
  }
  DrawDeferred();
  P.HyperLinks = st_.Anchors;
  if (P.YSize == 0) P.YSize = baseGH;
  if (!utf8_) {
    for (std::string* out : {&P.AnchorVal, &P.StripVal, &P.FocusAnchor, &P.AnchorTitle, &P.ControlValue,
                             &P.ControlType})
      *out = AsGiven(*out);
    if (controlIdSet_) P.ControlID = AsGiven(P.ControlID);
  }

  C->Font()->SetData(savedFont);
  C->Brush()->SetColor(savedBrushColor);
  C->Brush()->SetStyle(savedBrushStyle);
  C->Pen()->SetColor(savedPen.Color);
  C->Pen()->SetWidth(savedPen.Width);
  C->Pen()->SetStyle(savedPen.Style);
  C->Pen()->SetMode(savedPen.Mode);
  C->SetTextEncoding(savedEncoding);
  return hit_;
}

}  // namespace

const TMarkupDialect GridMarkupDialect = {
    "EsgHTMLE", kAllOpening, kGridClosing, arHrefUpper,
    /*ReportsTitle*/ true, /*BulletsInHiddenText*/ true, /*LowerCaseAttributes*/ false,
    /*UpperCaseValues*/ true, /*BodyGradient*/ false, /*ParagraphGradient*/ false,
    /*ParagraphIndent*/ true, /*BodyFillLeft*/ 0, /*BodySkippedWhenSelected*/ false,
    /*BodyBackgroundFileOnly*/ false, /*ResAndFilePictures*/ false, /*UrlCache*/ true,
    /*Nbsp*/ true, /*ConvertLineBreaks*/ true};

const TMarkupDialect StatusBarMarkupDialect = {
    "HTMLStatusBar", kAllOpening & ~MarkupTagBit(mtCONTROL), kGridClosing, arFirstQuoted,
    /*ReportsTitle*/ false, /*BulletsInHiddenText*/ false, /*LowerCaseAttributes*/ false,
    /*UpperCaseValues*/ true, /*BodyGradient*/ true, /*ParagraphGradient*/ true,
    /*ParagraphIndent*/ true, /*BodyFillLeft*/ -2, /*BodySkippedWhenSelected*/ true,
    /*BodyBackgroundFileOnly*/ false, /*ResAndFilePictures*/ false, /*UrlCache*/ true,
    /*Nbsp*/ true, /*ConvertLineBreaks*/ true};

const TMarkupDialect InspectorMarkupDialect = {
    "InspectorBar", kAllOpening & ~Tags({mtCONTROL, mtE, mtHI}), kGridClosing & ~Tags({mtE, mtHI, mtLI}),
    arHrefAsWritten,
    /*ReportsTitle*/ false, /*BulletsInHiddenText*/ true, /*LowerCaseAttributes*/ true,
    /*UpperCaseValues*/ false, /*BodyGradient*/ false, /*ParagraphGradient*/ false,
    /*ParagraphIndent*/ false, /*BodyFillLeft*/ 0, /*BodySkippedWhenSelected*/ false,
    /*BodyBackgroundFileOnly*/ true, /*ResAndFilePictures*/ true, /*UrlCache*/ false,
    /*Nbsp*/ false, /*ConvertLineBreaks*/ false};

bool HTMLDrawEngine(const TMarkupDialect& Dialect, THTMLDrawParams& P) {
  TRenderer r(Dialect, P);
  return r.Run();
}

TMarkupTag MarkupTagKind(std::string_view Tag, bool& Closing) {
  const std::string_view name = MarkupTagName(Tag, Closing);
  for (const TTagName& t : kTagNames)
    if (EqualsUpper(name, t.Name)) return t.Kind;
  // Any closing tag that starts with SU ends subscript and superscript.
  if (Closing && name.size() >= 2 && Up(name[0]) == 'S' && Up(name[1]) == 'U') return mtSUB;
  return mtNone;
}

bool MarkupColorValue(std::string_view Value, TColor& Color) {
  if (Value.empty()) return false;
  Color = Value[0] == '#' ? HexToColor(std::string(Value)) : ColorNameToColor(std::string(Value));
  return true;
}

void MarkupGradient(TCanvas* Canvas, const TRect& R, TColor From, TColor To, bool Horizontal, int Bands) {
  if (!Canvas || Bands < 1) return;
  const int extent = Horizontal ? R.Width() : R.Height();
  if (extent <= 0) return;
  const int a = ColorToRGB(From), b = ColorToRGB(To);
  const TBrushStyle style = Canvas->Brush()->Style();
  Canvas->Brush()->SetStyle(bsSolid);
  for (int i = 0; i < Bands; ++i) {
    const int s = MulDiv(i, extent, Bands), e = MulDiv(i + 1, extent, Bands);
    if (e <= s) continue;
    auto channel = [&](int shift) {
      const int ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
      return ca + (cb - ca) * i / Bands;
    };
    Canvas->Brush()->SetColor(RGB(channel(0), channel(8), channel(16)));
    Canvas->FillRect(Horizontal ? TRect(R.Left + s, R.Top, R.Left + e, R.Bottom)
                                : TRect(R.Left, R.Top + s, R.Right, R.Top + e));
  }
  Canvas->Brush()->SetStyle(style);
}

// Rich-text cells: their drawing from a kept, parsed copy of each text, their measure through
// the grid's formatting rich edit, and a cell's rich text into and out of a rich edit.
#include <list>
#include <unordered_map>

#include "controls/grid/ExtGrid.h"
#include "controls/grid/ExtGridEditors.h"
#include "controls/grid/ExtUtil.h"
#include "platform/gui/RichText.h"

namespace {
constexpr int kMargin = 2;
// What the rich edit takes: its layout of a paragraph costs the square of its longest word.
constexpr size_t kRichEditMaxText = 262144, kRichEditMaxWord = 4096;
// A text beyond them is measured for what shows in this many pixels.
constexpr int kRichMeasureBound = 1024;

bool RichEditTakes(const std::string& Text) {
  const std::string plain = ExtUtil::TextType(Text, false) == 2 ? RtfToPlainText(Text) : Text;
  if (plain.size() > kRichEditMaxText) return false;
  size_t word = 0;
  for (char c : plain) {
    word = c == ' ' || c == '\t' || c == '\r' || c == '\n' ? 0 : word + 1;
    if (word > kRichEditMaxWord) return false;
  }
  return true;
}
}  // namespace

const char* const kRichTextTooLong =
    "The text is too long for the rich edit: at most 262144 characters, no word longer than 4096";

bool TExtStringGrid::RichEditCanTake(int ACol, int ARow) {
  return ACol < 0 || ARow < 0 || ACol >= AllColCount() || ARow >= RowCount() || RichEditTakes(GridCells(ACol, ARow));
}

// Parsing RTF costs far more than drawing it: each text is read once and its document kept,
// the least recently drawn dropped first, so scrolling over the same cells parses nothing.
// A document read only as far as its box shows stands for every text that starts with what
// was read, so a long text is neither copied, hashed nor compared whole.
class TRichTextCache {
 public:
  static constexpr size_t kCapacity = 256;
  // The document of a text laid out in a font for a box of a size (only what shows there).
  const TRichDocument& Get(const std::string& Rtf, const TFont& Font, int Width, int Height) {
    const std::string head = Rtf.substr(0, kHead);
    TEntry* e = nullptr;
    for (auto [at, end] = index_.equal_range(head); at != end; ++at)
      if (Holds(*at->second, Rtf)) {
        lru_.splice(lru_.begin(), lru_, at->second);
        e = &lru_.front();
        break;
      }
    if (!e) {
      if (lru_.size() >= kCapacity) {
        for (auto [at, end] = index_.equal_range(lru_.back().Head); at != end; ++at)
          if (at->second == std::prev(lru_.end())) {
            index_.erase(at);
            break;
          }
        lru_.pop_back();
      }
      lru_.push_front(TEntry{head, {}, false, std::make_unique<TRichDocument>(), Font.Data(), -1, -1});
      index_.emplace(head, lru_.begin());
      e = &lru_.front();
    }
    // A new text, font or box lays the text out again; the same ones keep the layout. A
    // document read in part is read again for them, as far as they need.
    const bool same = e->Width == Width && e->Height == Height && e->Font == Font.Data();
    if (!same) {
      if (e->Width < 0 || e->Cut) {
        e->Doc->Clear();
        e->Doc->SetDefaultFont(Font);
        e->Doc->LoadRtfShown(Rtf, Width, Height);
        e->Cut = e->Doc->ReadInPart();
        e->Read = Rtf.substr(0, e->Cut ? e->Doc->RtfBytesRead() : std::string::npos);
      } else {
        e->Doc->SetDefaultFont(Font);
        e->Doc->SetShownBox(Width, Height);
      }
      KeepRichTextShapes(*e->Doc);
      e->Font = Font.Data();
      e->Width = Width;
      e->Height = Height;
    }
    return *e->Doc;
  }
  size_t Size() const { return lru_.size(); }

 private:
  // The bytes of a text its place in the index is found by.
  static constexpr size_t kHead = 256;
  struct TEntry {
    std::string Head;  // its key in the index
    std::string Read;  // the text, or of one read in part its start as far as read
    bool Cut;
    std::unique_ptr<TRichDocument> Doc;
    TFontData Font;
    int Width, Height;
  };
  static bool Holds(const TEntry& e, const std::string& Rtf) {
    return e.Cut ? Rtf.size() >= e.Read.size() && Rtf.compare(0, e.Read.size(), e.Read) == 0 : Rtf == e.Read;
  }
  std::list<TEntry> lru_;
  std::unordered_multimap<std::string, std::list<TEntry>::iterator> index_;
};

size_t TExtStringGrid::RichTextCacheSize() const { return richCache_ ? richCache_->Size() : 0; }

void TExtStringGrid::DrawRichTextCell(int ACol, int ARow, const TRect& Rect, TCanvas* Canvas) {
  std::string s;
  FormatCellText(ACol, ARow, s);
  DrawRichText(s, ACol, ARow, Rect, Canvas);
}

void TExtStringGrid::DrawRichText(const std::string& Rtf, int ACol, int ARow, const TRect& Rect, TCanvas* Canvas) {
  // The margin in the canvas's pixels: a printer's are finer than the screen's.
  const int ppi = Canvas->Font()->PixelsPerInch() > 0 ? Canvas->Font()->PixelsPerInch() : 96;
  const int m = kMargin * ppi / 96;
  const TRect r(Rect.Left + m, Rect.Top + m, Rect.Right - m, Rect.Bottom - m);
  if (r.Right <= r.Left || r.Bottom <= r.Top) return;
  const int dc = DisplColIndex(ACol);
  const bool current = dc == Col() && ARow == Row() && Focused();
  TRichDrawOptions o;
  if (!SelectionRTFKeep && IsCellSelected(dc, ARow) && !current) o.TextColor = SelectionTextColor();
  // Laid out as on the screen and drawn scaled to the canvas: a printer's fonts keep their size.
  o.PixelsPerInch = ppi;
  if (!richCache_) richCache_ = std::make_shared<TRichTextCache>();
  richCache_->Get(Rtf, *Canvas->Font(), r.Width() * 96 / ppi, r.Height() * 96 / ppi).Draw(*Canvas, r, o);
}

TSize TExtStringGrid::RichTextExtent(const std::string& Rtf, const TFont& Font, int Width) {
  if (!RichEditTakes(Rtf)) {
    TRichDocument d;
    d.SetDefaultFont(Font);
    d.LoadRtfShown(Rtf, Width > 0 ? Width : kRichMeasureBound, kRichMeasureBound);
    return TSize(std::min(d.Width(), Width > 0 ? Width : kRichMeasureBound) + 2 * kMargin,
                 std::min(d.Height(), kRichMeasureBound) + 2 * kMargin);
  }
  TExtRichEdit* f = RichFormatter();
  f->SetFont(const_cast<TFont*>(&Font));
  f->SetWordWrap(Width > 0);
  if (Width > 0) f->SetWidth(Width);
  f->SetRtfText(Rtf);
  return TSize(f->ReqWidth() + 2 * kMargin, f->ReqHeight() + 2 * kMargin);
}

TExtRichEdit* TExtStringGrid::RichFormatter() { return CellEditors()->RichFormatter(); }

TExtRichEdit* TExtStringGrid::RichEditor() { return static_cast<TExtRichEdit*>(CellEditors()->For(edRichEdit)); }

void TExtStringGrid::LoadRichEdit(int ACol, int ARow, TCustomRichEdit* RichEdit) {
  if (!RichEdit) return;
  if (!RichEditCanTake(ACol, ARow)) throw EExtGridError(kRichTextTooLong);
  RichEdit->SetRtfText(ACol >= 0 && ARow >= 0 && ACol < AllColCount() && ARow < RowCount() ? GridCells(ACol, ARow)
                                                                                           : std::string());
}

void TExtStringGrid::SaveRichEdit(TCustomRichEdit* RichEdit, std::string& Text) {
  if (RichEdit) Text = RichEdit->RtfText();
}

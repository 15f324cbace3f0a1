// The rich text document over QTextDocument: runs read by RtfReader become blocks and
// character formats, and the document's fragments become runs again for writing.
#include "platform/gui/RichText.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <cmath>

#include "platform/gui/QtCanvas.h"
#include "platform/gui/RichTextQt.h"
#include "platform/gui/RtfReader.h"

namespace {

// Indents are twips in RTF and pixels (at 96 per inch) in the document.
constexpr double kTwipsPerPixel = 15.0;

QColor ToQColor(TColor c) {
  const int32_t rgb = ColorToRGB(c);
  return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor FromQColor(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

QTextCharFormat CharFormat(const TRtfCharFormat& f) {
  QTextCharFormat q;
  if (!f.Font.empty()) q.setFontFamilies(QStringList{QString::fromStdString(f.Font)});
  if (f.HalfPoints > 0) q.setFontPointSize(f.HalfPoints / 2.0);
  q.setFontWeight(f.Bold ? QFont::Bold : QFont::Normal);
  q.setFontItalic(f.Italic);
  q.setFontUnderline(f.Underline);
  q.setFontStrikeOut(f.Strike);
  if (f.Color != clNone) q.setForeground(ToQColor(f.Color));
  if (f.Back != clNone) q.setBackground(ToQColor(f.Back));
  return q;
}

TRtfCharFormat RunFormat(const QTextCharFormat& q) {
  TRtfCharFormat f;
  if (q.hasProperty(QTextFormat::FontFamilies)) {
    const QStringList families = q.fontFamilies().toStringList();
    if (!families.isEmpty()) f.Font = families.first().toStdString();
  }
  if (q.hasProperty(QTextFormat::FontPointSize)) f.HalfPoints = static_cast<int>(std::lround(q.fontPointSize() * 2));
  f.Bold = q.fontWeight() >= QFont::DemiBold;
  f.Italic = q.fontItalic();
  f.Underline = q.fontUnderline();
  f.Strike = q.fontStrikeOut();
  if (q.hasProperty(QTextFormat::ForegroundBrush) && q.foreground().style() != Qt::NoBrush)
    f.Color = FromQColor(q.foreground().color());
  if (q.hasProperty(QTextFormat::BackgroundBrush) && q.background().style() != Qt::NoBrush)
    f.Back = FromQColor(q.background().color());
  return f;
}

QTextBlockFormat BlockFormat(const TRtfParaFormat& p) {
  QTextBlockFormat b;
  static const Qt::Alignment kAlign[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignJustify};
  b.setAlignment(kAlign[p.Align]);
  b.setLeftMargin(p.LeftIndent / kTwipsPerPixel);
  b.setRightMargin(p.RightIndent / kTwipsPerPixel);
  b.setTextIndent(p.FirstIndent / kTwipsPerPixel);
  return b;
}

TRtfParaFormat ParaFormat(const QTextBlockFormat& b) {
  TRtfParaFormat p;
  const Qt::Alignment a = b.alignment() & Qt::AlignHorizontal_Mask;
  p.Align = a & Qt::AlignHCenter ? raCenter : a & Qt::AlignJustify ? raJustify : a & Qt::AlignRight ? raRight : raLeft;
  p.LeftIndent = static_cast<int>(std::lround(b.leftMargin() * kTwipsPerPixel));
  p.RightIndent = static_cast<int>(std::lround(b.rightMargin() * kTwipsPerPixel));
  p.FirstIndent = static_cast<int>(std::lround(b.textIndent() * kTwipsPerPixel));
  return p;
}

// Loading is no edit: an edit control's undo history starts after it.
void Build(QTextDocument* doc, const TRtfContent& c) {
  const bool undo = doc->isUndoRedoEnabled();
  doc->setUndoRedoEnabled(false);
  doc->clear();
  QTextCursor cur(doc);
  cur.beginEditBlock();
  bool first = true;
  for (const TRtfParagraph& p : c.Paragraphs) {
    if (first) cur.setBlockFormat(BlockFormat(p.Format));
    else cur.insertBlock(BlockFormat(p.Format));
    first = false;
    for (const TRtfRun& r : p.Runs) cur.insertText(QString::fromUtf8(r.Text.data(), static_cast<qsizetype>(r.Text.size())), CharFormat(r.Format));
  }
  cur.endEditBlock();
  doc->setUndoRedoEnabled(undo);
}

TRtfContent Content(const QTextDocument* doc) {
  TRtfContent c;
  for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
    TRtfParagraph& p = c.Paragraphs.emplace_back();
    p.Format = ParaFormat(b.blockFormat());
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment f = it.fragment();
      if (f.isValid()) p.Runs.push_back({f.text().toStdString(), RunFormat(f.charFormat())});
    }
  }
  // A document always has a block; an empty one is no text.
  if (c.Paragraphs.size() == 1 && c.Paragraphs[0].Runs.empty() && c.Paragraphs[0].Format == TRtfParaFormat())
    c.Paragraphs.clear();
  return c;
}

}  // namespace

bool LoadRtfInto(QTextDocument* doc, const std::string& rtf, std::string* error) {
  TRtfContent c;
  const bool ok = ReadRtf(rtf, c, error);
  Build(doc, c);
  return ok;
}

std::string SaveRtfFrom(const QTextDocument* doc) { return WriteRtf(Content(doc)); }

std::string PlainTextOf(const QTextDocument* doc) {
  std::string out;
  for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
    if (b != doc->begin()) out += "\r\n";
    AppendRtfPlain(out, b.text().toStdString());
  }
  return out;
}

// ---------------------------------------------------------------- TRichDocument

struct TRichDocument::TImpl {
  QTextDocument doc;
  TFontData font;
  // Of a document loaded for a box: the content read (cut: the start of the text), the RTF
  // bytes read, and the box.
  std::unique_ptr<TRtfContent> content;
  bool cut = false;
  size_t read = 0;
  int boxWidth = -1, boxHeight = -1;
  // The bytes of a paragraph first laid out: about what two lines of the box hold.
  size_t FirstCut() const { return static_cast<size_t>(std::max(boxWidth, 16)) * 2 + 64; }
  bool BuildShown();
  TImpl() {
    doc.setDocumentMargin(0);
    doc.setUndoRedoEnabled(false);
    doc.setDefaultFont(TQtCanvasBackend::MakeFont(font));
  }
};

QTextDocument* DocumentOf(const TRichDocument& d) { return &d.Impl()->doc; }

TRichDocument::TRichDocument() : d_(std::make_unique<TImpl>()) {}
TRichDocument::~TRichDocument() = default;

bool TRichDocument::LoadRtf(const std::string& rtf, std::string* error) {
  d_->content.reset();
  d_->cut = false;
  d_->read = rtf.size();
  return LoadRtfInto(&d_->doc, rtf, error);
}
std::string TRichDocument::SaveRtf() const { return SaveRtfFrom(&d_->doc); }
std::string TRichDocument::PlainText() const { return PlainTextOf(&d_->doc); }
void TRichDocument::Clear() {
  d_->content.reset();
  d_->cut = false;
  d_->read = 0;
  d_->doc.clear();
}
bool TRichDocument::IsEmpty() const { return d_->doc.isEmpty(); }

void TRichDocument::SetDefaultFont(const TFont& f) { SetDefaultFont(f.Data()); }
void TRichDocument::SetDefaultFont(const TFontData& f) {
  if (d_->font == f) return;
  d_->font = f;
  d_->doc.setDefaultFont(TQtCanvasBackend::MakeFont(f));
  if (d_->content) d_->BuildShown();  // another font shows another part
}

void TRichDocument::SetTextWidth(int px) { d_->doc.setTextWidth(px < 0 ? -1 : px); }

namespace {
// A paragraph's first characters (UTF-8 bytes of its runs, cut at a character's start).
TRtfParagraph Head(const TRtfParagraph& p, size_t bytes) {
  TRtfParagraph h;
  h.Format = p.Format;
  for (const TRtfRun& r : p.Runs) {
    if (bytes == 0) break;
    TRtfRun& k = h.Runs.emplace_back(r);
    if (k.Text.size() > bytes) {
      size_t cut = bytes;
      while (cut > 0 && (static_cast<unsigned char>(k.Text[cut]) & 0xC0) == 0x80) --cut;
      k.Text.resize(cut);
    }
    bytes -= k.Text.size();
    if (k.Text.size() < r.Text.size()) break;
  }
  return h;
}

size_t Bytes(const TRtfParagraph& p) {
  size_t n = 0;
  for (const TRtfRun& r : p.Runs) n += r.Text.size();
  return n;
}
}  // namespace

// Each paragraph is cut after a number of characters that starts near what the box's width
// holds and doubles while the lines it gives do not reach one past the box's bottom, so the
// lines that show break as they would in the whole text: a line's break depends only on the
// text up to the next line. Paragraphs after the first that starts below the box are left out.
// False when that needs more of a cut content than was read.
bool TRichDocument::TImpl::BuildShown() {
  const TRtfContent& all = *content;
  const size_t n = all.Paragraphs.size();
  std::vector<size_t> limit(n, FirstCut());
  // Every paragraph takes at least one line of at least a pixel: those past the box's height
  // start below it.
  const size_t most = std::min(n, static_cast<size_t>(std::max(boxHeight, 0)) + 2);
  TRtfContent part;
  auto build = [&](size_t count) {
    part.Paragraphs.clear();
    for (size_t i = 0; i < count; ++i) part.Paragraphs.push_back(Head(all.Paragraphs[i], limit[i]));
    Build(&doc, part);
    doc.setTextWidth(boxWidth);
    doc.documentLayout();  // lays the text out
  };
  for (;;) {
    build(most);
    bool again = false, reached = false;
    size_t i = 0;
    for (QTextBlock b = doc.begin(); b.isValid() && i < most; b = b.next(), ++i) {
      const QTextLayout* layout = b.layout();
      const double top = layout->position().y();
      if (top >= boxHeight) break;  // starts below the box: neither it nor what follows shows
      if (Bytes(part.Paragraphs[i]) >= Bytes(all.Paragraphs[i])) {
        if (cut && i + 1 == n) return false;  // the whole of what was read of a longer paragraph
        continue;                              // whole
      }
      // The first line below the box must end before the cut, at a break of its own.
      int k = 0;
      while (k < layout->lineCount() && top + layout->lineAt(k).y() < boxHeight) ++k;
      if (k + 1 >= layout->lineCount()) {
        limit[i] *= 2;
        again = true;
      } else {
        reached = true;
      }
    }
    if (again) continue;
    // Every paragraph read shows and ends above the box's bottom: the next one may show too.
    if (cut && i == n && !reached) return false;
    if (i < most) build(i);
    return true;
  }
}

bool TRichDocument::LoadRtfShown(const std::string& rtf, int width, int height, std::string* error) {
  d_->boxWidth = std::max(width, 1);
  d_->boxHeight = std::max(height, 1);
  // Read as far as what shows needs: a first guess, four times as much while it falls short.
  for (size_t budget = d_->FirstCut() * 4;; budget *= 4) {
    d_->content = std::make_unique<TRtfContent>();
    const bool ok = ReadRtfStart(rtf, *d_->content, budget, &d_->cut, &d_->read, error);
    if (d_->BuildShown() || !d_->cut) return ok;
  }
}

void TRichDocument::SetShownBox(int width, int height) {
  width = std::max(width, 1), height = std::max(height, 1);
  if (!d_->content) {
    SetTextWidth(width);
    return;
  }
  if (width == d_->boxWidth && height == d_->boxHeight) return;
  d_->boxWidth = width;
  d_->boxHeight = height;
  d_->BuildShown();
}

bool TRichDocument::ReadInPart() const { return d_->cut; }
size_t TRichDocument::RtfBytesRead() const { return d_->read; }

int TRichDocument::CharacterCount() const { return d_->doc.characterCount(); }
int TRichDocument::Width() const { return static_cast<int>(std::ceil(d_->doc.documentLayout()->documentSize().width())); }
int TRichDocument::Height() const { return static_cast<int>(std::ceil(d_->doc.documentLayout()->documentSize().height())); }

void TRichDocument::Draw(TCanvas& canvas, const TRect& r, const TRichDrawOptions& o) const {
  QTextDocument& doc = d_->doc;
  const TColor automatic = o.TextColor != clNone ? o.TextColor : d_->font.Color;
  if (auto* qt = dynamic_cast<TQtCanvasBackend*>(canvas.Backend()); qt && qt->Painter()) {
    QPainter* p = qt->Painter();
    p->save();
    p->translate(r.Left, r.Top);
    const double scale = o.PixelsPerInch > 0 ? o.PixelsPerInch / 96.0 : 1.0;
    if (scale != 1.0) p->scale(scale, scale);
    QAbstractTextDocumentLayout::PaintContext ctx;
    ctx.palette.setColor(QPalette::Text, ToQColor(automatic));
    if (o.Clip) {
      ctx.clip = QRectF(0, 0, r.Width() / scale, r.Height() / scale);
      p->setClipRect(ctx.clip, Qt::IntersectClip);
    }
    if (o.TextColor != clNone) {
      QAbstractTextDocumentLayout::Selection all;
      all.cursor = QTextCursor(&doc);
      all.cursor.select(QTextCursor::Document);
      all.format.setForeground(ToQColor(o.TextColor));
      ctx.selections.push_back(all);
    }
    doc.documentLayout()->draw(p, ctx);
    p->restore();
    return;
  }
  // A canvas without a painter (a recording one): each fragment's text where the layout puts it.
  doc.documentLayout();  // lays the text out
  const bool hadClip = canvas.HasClip();
  const TRect oldClip = canvas.ClipRect();
  if (o.Clip) {
    TRect c = r;
    if (hadClip) c = TRect(std::max(r.Left, oldClip.Left), std::max(r.Top, oldClip.Top),
                           std::min(r.Right, oldClip.Right), std::min(r.Bottom, oldClip.Bottom));
    canvas.SetClipRect(c);
  }
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    const QTextLayout* layout = b.layout();
    const QPointF at = layout->position();
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment f = it.fragment();
      const TRtfCharFormat rf = RunFormat(f.charFormat());
      TFontData fd = d_->font;
      if (!rf.Font.empty()) fd.Name = rf.Font;
      if (rf.HalfPoints) fd.Height = -static_cast<int>(std::lround(rf.HalfPoints / 2.0 * 96 / 72));
      fd.Style = 0;
      if (rf.Bold) fd.Style |= fsBold;
      if (rf.Italic) fd.Style |= fsItalic;
      if (rf.Underline) fd.Style |= fsUnderline;
      if (rf.Strike) fd.Style |= fsStrikeOut;
      fd.Color = o.TextColor != clNone ? o.TextColor : rf.Color != clNone ? rf.Color : automatic;
      canvas.Font()->SetData(fd);
      const int start = f.position() - b.position();
      const QString text = f.text();
      for (int k = 0; k < layout->lineCount(); ++k) {
        const QTextLine line = layout->lineAt(k);
        const int from = std::max(start, line.textStart()) - start;
        const int to = std::min(start + static_cast<int>(text.size()), line.textStart() + line.textLength()) - start;
        if (to <= from) continue;
        const double x = line.cursorToX(start + from);
        canvas.TextOut(r.Left + static_cast<int>(at.x() + x), r.Top + static_cast<int>(at.y() + line.y()),
                       text.mid(from, to - from).toStdString());
      }
    }
  }
  if (o.Clip) {
    if (hadClip) canvas.SetClipRect(oldClip);
    else canvas.RemoveClip();
  }
}

std::string RtfToPlainText(const std::string& rtf) {
  TRtfContent c;
  ReadRtf(rtf, c);
  return c.PlainText();
}

void KeepRichTextShapes(TRichDocument& d) {
  QTextDocument* doc = DocumentOf(d);
  for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) b.layout()->setCacheEnabled(true);
  doc->markContentsDirty(0, doc->characterCount());
}

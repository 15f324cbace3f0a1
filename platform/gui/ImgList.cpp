#include "platform/gui/ImgList.h"

#include <QImage>
#include <QPainter>

#include "platform/gui/QtBridge.h"

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}
TCustomImageList::~TCustomImageList() = default;

void TCustomImageList::Change() {
  if (OnChange) OnChange(this);
}

void TCustomImageList::Assign(TPersistent* Source) {
  if (auto* l = dynamic_cast<TCustomImageList*>(Source)) {
    width_ = l->width_;
    height_ = l->height_;
    bkColor_ = l->bkColor_;
    images_.clear();
    for (const auto& i : l->images_) images_.push_back(std::make_unique<QImage>(*i));
    Change();
    return;
  }
  TComponent::Assign(Source);
}

void TCustomImageList::SetWidth(int v) {
  if (v == width_ || v <= 0) return;
  width_ = v;
  Clear();
}
void TCustomImageList::SetHeight(int v) {
  if (v == height_ || v <= 0) return;
  height_ = v;
  Clear();
}

static std::vector<QImage> Cut(const QImage& src, int w, int h) {
  std::vector<QImage> r;
  if (src.isNull()) return r;
  int n = std::max(1, src.width() / w);
  for (int i = 0; i < n; ++i) {
    QImage piece(w, h, QImage::Format_ARGB32_Premultiplied);
    piece.fill(Qt::transparent);
    QPainter p(&piece);
    p.drawImage(0, 0, src, i * w, 0, w, h);
    r.push_back(piece);
  }
  return r;
}

static void ApplyKey(QImage& img, QRgb key) {
  for (int y = 0; y < img.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < img.width(); ++x)
      if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF)) line[x] = 0;
  }
}

int TCustomImageList::Add(TBitmap* Image, TBitmap* Mask) {
  if (!Image) return -1;
  auto pieces = Cut(Image->ToImage().convertToFormat(QImage::Format_ARGB32), width_, height_);
  QImage mask = Mask ? Mask->ToImage() : QImage();
  int first = Count();
  for (size_t i = 0; i < pieces.size(); ++i) {
    QImage p = pieces[i].convertToFormat(QImage::Format_ARGB32);
    if (!mask.isNull()) {
      // white mask pixels are transparent
      for (int y = 0; y < height_ && y < mask.height(); ++y)
        for (int x = 0; x < width_; ++x) {
          int mx = static_cast<int>(i) * width_ + x;
          if (mx < mask.width() && (mask.pixel(mx, y) & 0xFFFFFF) == 0xFFFFFF) p.setPixel(x, y, 0);
        }
    }
    images_.push_back(std::make_unique<QImage>(p));
  }
  Change();
  return pieces.empty() ? -1 : first;
}

int TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
  if (!Image) return -1;
  QImage src = Image->ToImage().convertToFormat(QImage::Format_ARGB32);
  if (MaskColor == clDefault) MaskColor = Image->TransparentColor();
  if (MaskColor != clNone) ApplyKey(src, ToQColor(MaskColor).rgb());
  int first = Count();
  auto pieces = Cut(src, width_, height_);
  for (auto& p : pieces) images_.push_back(std::make_unique<QImage>(p));
  Change();
  return pieces.empty() ? -1 : first;
}

int TCustomImageList::AddIcon(TIcon* Image) {
  if (!Image || Image->Empty()) return -1;
  images_.push_back(std::make_unique<QImage>(
      Image->ToImage().scaled(width_, height_).convertToFormat(QImage::Format_ARGB32_Premultiplied)));
  Change();
  return Count() - 1;
}

void TCustomImageList::Insert(int Index, TBitmap* Image, TBitmap* Mask) {
  int at = Count();
  Add(Image, Mask);
  if (Count() > at && Index >= 0 && Index < at) Move(Count() - 1, Index);
}

void TCustomImageList::Replace(int Index, TBitmap* Image, TBitmap* Mask) {
  if (Index < 0 || Index >= Count()) throw EInvalidOperation("Invalid ImageList Index");
  int at = Count();
  Add(Image, Mask);
  if (Count() > at) {
    images_[static_cast<size_t>(Index)] = std::move(images_[static_cast<size_t>(at)]);
    images_.resize(static_cast<size_t>(at));
  }
  Change();
}

void TCustomImageList::Delete(int Index) {
  if (Index < 0 || Index >= Count()) throw EInvalidOperation("Invalid ImageList Index");
  images_.erase(images_.begin() + Index);
  Change();
}

void TCustomImageList::Clear() {
  images_.clear();
  Change();
}

void TCustomImageList::Move(int CurIndex, int NewIndex) {
  if (CurIndex < 0 || CurIndex >= Count() || NewIndex < 0 || NewIndex >= Count()) return;
  auto img = std::move(images_[static_cast<size_t>(CurIndex)]);
  images_.erase(images_.begin() + CurIndex);
  images_.insert(images_.begin() + NewIndex, std::move(img));
  Change();
}

QImage TCustomImageList::Image(int Index) const {
  if (Index < 0 || Index >= Count()) return QImage();
  return *images_[static_cast<size_t>(Index)];
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) {
  if (!Canvas || Index < 0 || Index >= Count()) return;
  QImage img = *images_[static_cast<size_t>(Index)];
  if (!Enabled) {
    img = img.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
      for (int x = 0; x < img.width(); ++x) {
        int g = (qGray(line[x]) + 255) / 2;
        line[x] = qRgba(g, g, g, qAlpha(line[x]));
      }
    }
  }
  Canvas->DrawImage(TRect(X, Y, X + width_, Y + height_), img, TRect(0, 0, img.width(), img.height()));
}

void TCustomImageList::DrawOverlay(TCanvas* Canvas, int X, int Y, int ImageIndex, int Overlay, bool Enabled) {
  Draw(Canvas, X, Y, ImageIndex, Enabled);
  Draw(Canvas, X, Y, Overlay, Enabled);
}

bool TCustomImageList::GetBitmap(int Index, TBitmap* Image) {
  if (!Image || Index < 0 || Index >= Count()) return false;
  QImage bg(width_, height_, QImage::Format_RGB32);
  bg.fill(bkColor_ == clNone ? Qt::white : ToQColor(bkColor_));
  QPainter p(&bg);
  p.drawImage(0, 0, *images_[static_cast<size_t>(Index)]);
  p.end();
  Image->SetImage(bg);
  return true;
}

void TCustomImageList::GetIcon(int Index, TIcon* Image) {
  if (!Image || Index < 0 || Index >= Count()) return;
  Image->SetImage(*images_[static_cast<size_t>(Index)]);
}

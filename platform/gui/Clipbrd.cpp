#include "platform/gui/Clipbrd.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include "platform/gui/Graphics.h"
#include "platform/gui/MimeBridge.h"
#include "platform/gui/QtBridge.h"

namespace {
QClipboard* Board() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return nullptr;
  return QGuiApplication::clipboard();
}
TDataObject Current() {
  QClipboard* b = Board();
  return DataObjectOf(b ? b->mimeData() : nullptr);
}
}  // namespace

std::string TClipboard::AsText() const { return Current().Text(); }

bool TClipboard::HasFormat(TClipboardFormat Format) const { return Current().HasFormat(Format); }

std::string TClipboard::GetAsData(TClipboardFormat Format) const { return Current().Data(Format); }

TDataObject TClipboard::GetDataObject() const { return DataObjectOwning(MimeDataOf(Current(), true)); }

void TClipboard::SetDataObject(const TDataObject& Data) {
  QMimeData* d = MimeDataOf(Data);
  if (open_ > 0) {
    for (const QString& f : d->formats()) pending_->setData(f, d->data(f));
    if (d->hasText()) pending_->setText(d->text());
    delete d;
    return;
  }
  if (QClipboard* b = Board()) b->setMimeData(d);
  else delete d;
}

void TClipboard::SetAsText(const std::string& v) {
  TDataObject d;
  d.SetText(v);
  SetDataObject(d);
}

void TClipboard::SetAsData(TClipboardFormat Format, const std::string& Data) {
  TDataObject d;
  d.SetData(Format, Data);
  if (d.Empty()) return;
  SetDataObject(d);
}

void TClipboard::Open() {
  if (open_++ == 0) pending_ = new QMimeData;
}

void TClipboard::Close() {
  if (open_ == 0) return;
  if (--open_ == 0) {
    QMimeData* d = pending_;
    pending_ = nullptr;
    if (QClipboard* b = Board()) b->setMimeData(d);
    else delete d;
  }
}

void TClipboard::Clear() {
  if (open_ > 0) {
    delete pending_;
    pending_ = new QMimeData;
    return;
  }
  if (QClipboard* b = Board()) b->clear();
}

void TClipboard::Assign(TBitmap* Bitmap) {
  if (!Bitmap) return;
  if (open_ > 0) {
    pending_->setImageData(Bitmap->ToImage());
    return;
  }
  if (QClipboard* b = Board()) b->setImage(Bitmap->ToImage());
}

TClipboard* Clipboard() {
  static TClipboard c;
  return &c;
}

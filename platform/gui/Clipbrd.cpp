#include "platform/gui/Clipbrd.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <cctype>
#include <map>

#include "platform/gui/Graphics.h"
#include "platform/gui/QtBridge.h"

namespace {
std::map<std::string, TClipboardFormat>& Formats() {
  static std::map<std::string, TClipboardFormat> f;
  return f;
}
std::map<TClipboardFormat, std::string>& Names() {
  static std::map<TClipboardFormat, std::string> n;
  return n;
}
QString MimeOf(TClipboardFormat f) {
  auto it = Names().find(f);
  if (it == Names().end()) return QString();
  return "application/x-velmaron-" + QString::fromStdString(it->second).toLower().replace(' ', '-');
}
QClipboard* Board() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return nullptr;
  return QGuiApplication::clipboard();
}
}  // namespace

TClipboardFormat RegisterClipboardFormat(const std::string& Name) {
  std::string key;
  for (char c : Name) key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  auto it = Formats().find(key);
  if (it != Formats().end()) return it->second;
  TClipboardFormat f = 0xC000 + static_cast<TClipboardFormat>(Formats().size());
  Formats()[key] = f;
  Names()[f] = Name;
  return f;
}

std::string TClipboard::AsText() const {
  QClipboard* b = Board();
  return b ? FromQString(b->text()) : std::string();
}

void TClipboard::SetAsText(const std::string& v) {
  if (open_ > 0) {
    pending_->setText(ToQString(v));
    return;
  }
  if (QClipboard* b = Board()) b->setText(ToQString(v));
}

bool TClipboard::HasFormat(TClipboardFormat Format) const {
  QClipboard* b = Board();
  if (!b) return false;
  const QMimeData* d = b->mimeData();
  if (!d) return false;
  if (Format == CF_TEXT || Format == CF_UNICODETEXT) return d->hasText();
  if (Format == CF_BITMAP) return d->hasImage();
  QString m = MimeOf(Format);
  return !m.isEmpty() && d->hasFormat(m);
}

std::string TClipboard::GetAsData(TClipboardFormat Format) const {
  QClipboard* b = Board();
  if (!b || !b->mimeData()) return std::string();
  QByteArray a = b->mimeData()->data(MimeOf(Format));
  return std::string(a.constData(), static_cast<size_t>(a.size()));
}

void TClipboard::SetAsData(TClipboardFormat Format, const std::string& Data) {
  QString m = MimeOf(Format);
  if (m.isEmpty()) return;
  QByteArray a(Data.data(), static_cast<qsizetype>(Data.size()));
  if (open_ > 0) {
    pending_->setData(m, a);
    return;
  }
  auto* d = new QMimeData;
  d->setData(m, a);
  if (QClipboard* b = Board()) b->setMimeData(d);
  else delete d;
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

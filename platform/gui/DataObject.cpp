#include "platform/gui/DataObject.h"

#include <QMimeData>
#include <QPointer>
#include <QUrl>
#include <cctype>
#include <map>

#include "platform/gui/MimeBridge.h"
#include "platform/gui/QtBridge.h"

namespace {
const char kUtf8Text[] = "text/plain;charset=utf-8";
const char kUriList[] = "text/uri-list";
const char kMozUrl[] = "text/x-moz-url";
const char kRtf[] = "text/rtf";
const char kRtfAlt[] = "application/rtf";
const char kPrivatePrefix[] = "application/x-velmaron-";

struct FormatTable {
  std::map<std::string, TClipboardFormat> byName;  // lower-case names
  std::map<TClipboardFormat, std::string> mime;
};
FormatTable& Table() {
  static FormatTable t;
  return t;
}
std::string Lower(const std::string& s) {
  std::string r;
  for (char c : s) r += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return r;
}
TClipboardFormat RtfFormat() { return RegisterClipboardFormat("Rich Text Format"); }
TClipboardFormat LinkFormat() { return RegisterClipboardFormat("UniformResourceLocator"); }

bool IsTextMime(const QString& m) { return m == "text/plain" || m.startsWith("text/plain;"); }
QByteArray Bytes(const std::string& s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }
std::string StdBytes(const QByteArray& a) { return std::string(a.constData(), static_cast<size_t>(a.size())); }

// Addresses of a text/x-moz-url block: UTF-16 (or UTF-8) lines, address then title.
std::vector<QUrl> MozUrls(const QByteArray& raw) {
  QString s;
  if (raw.size() >= 2 && raw.size() % 2 == 0 && (raw[1] == '\0' || (uchar(raw[0]) == 0xFF && uchar(raw[1]) == 0xFE)))
    s = QString::fromUtf16(reinterpret_cast<const char16_t*>(raw.constData()), raw.size() / 2);
  else
    s = QString::fromUtf8(raw);
  if (s.startsWith(QChar(0xFEFF))) s.remove(0, 1);
  std::vector<QUrl> r;
  const QStringList lines = s.split('\n');
  for (int i = 0; i < lines.size(); i += 2) {
    QString line = lines[i].trimmed();
    line.remove(QChar(0));
    if (line.isEmpty()) continue;
    QUrl u(line);
    if (u.isValid()) r.push_back(u);
  }
  return r;
}
}  // namespace

TClipboardFormat RegisterClipboardFormat(const std::string& Name) {
  FormatTable& t = Table();
  std::string key = Lower(Name);
  auto it = t.byName.find(key);
  if (it != t.byName.end()) return it->second;
  TClipboardFormat f = 0xC000 + static_cast<TClipboardFormat>(t.byName.size());
  t.byName[key] = f;
  std::string m;
  if (key == "rich text format") m = kRtf;
  else if (key == "uniformresourcelocator") m = kUriList;
  else {
    m = kPrivatePrefix;
    for (char c : key) m += (c == ' ' ? '-' : c);
  }
  t.mime[f] = m;
  return f;
}

std::string ClipboardFormatMimeType(TClipboardFormat Format) {
  if (Format == CF_TEXT || Format == CF_UNICODETEXT) return kUtf8Text;
  if (Format == CF_HDROP) return kUriList;
  if (Format == CF_BITMAP) return "image/png";
  auto it = Table().mime.find(Format);
  return it == Table().mime.end() ? std::string() : it->second;
}

// ---------------------------------------------------------------- the offer
// Own data lives in `own`; data of another program is read from `source` while it exists.
struct TDataObject::Impl {
  std::unique_ptr<QMimeData> own;
  QPointer<QMimeData> source;
  const QMimeData* Mime() const { return own ? own.get() : source.data(); }
  QMimeData* Writable() {
    if (!own) own = std::make_unique<QMimeData>();
    return own.get();
  }
};

TDataObject::TDataObject() : d_(std::make_shared<Impl>()) {}

TDataObject DataObjectOf(const QMimeData* Mime) {
  auto d = std::make_shared<TDataObject::Impl>();
  d->source = const_cast<QMimeData*>(Mime);
  return TDataObject(d);
}

TDataObject DataObjectOwning(QMimeData* Mime) {
  auto d = std::make_shared<TDataObject::Impl>();
  d->own.reset(Mime);
  return TDataObject(d);
}

QMimeData* MimeDataOf(const TDataObject& Data, bool KnownOnly) {
  auto* r = new QMimeData;
  const QMimeData* m = Data.Internal()->Mime();
  if (!m) return r;
  for (const QString& f : m->formats()) {
    bool known = IsTextMime(f) || f == kUriList || f == kMozUrl || f == kRtf || f == kRtfAlt ||
                 f.startsWith(kPrivatePrefix) || f.startsWith("image/");
    if (KnownOnly && !known) continue;
    if (f == "text/plain") r->setText(m->text());  // keeps the window system's text targets
    else r->setData(f, m->data(f));
  }
  return r;
}

bool TDataObject::Empty() const {
  const QMimeData* m = d_->Mime();
  return !m || m->formats().isEmpty();
}

namespace {
std::vector<QUrl> UrlsOf(const QMimeData* m) {
  std::vector<QUrl> r;
  if (!m) return r;
  if (m->hasFormat(kUriList))
    for (const QUrl& u : m->urls()) r.push_back(u);
  else if (m->hasFormat(kMozUrl))
    r = MozUrls(m->data(kMozUrl));
  return r;
}
bool HasTextMime(const QMimeData* m) {
  if (!m) return false;
  for (const QString& f : m->formats())
    if (IsTextMime(f)) return true;
  return false;
}
}  // namespace

bool TDataObject::HasFormat(TClipboardFormat Format) const {
  const QMimeData* m = d_->Mime();
  if (!m) return false;
  if (Format == CF_TEXT || Format == CF_UNICODETEXT) return HasTextMime(m);
  if (Format == CF_HDROP) return !Files().empty();
  if (Format == CF_BITMAP) return m->hasImage();
  if (Format == LinkFormat()) return HasLinks();
  if (Format == RtfFormat()) return m->hasFormat(kRtf) || m->hasFormat(kRtfAlt);
  std::string mime = ClipboardFormatMimeType(Format);
  return !mime.empty() && m->hasFormat(QString::fromStdString(mime));
}

bool TDataObject::HasLinks() const { return !Links().empty(); }

std::string TDataObject::Text() const {
  const QMimeData* m = d_->Mime();
  if (!HasTextMime(m)) return std::string();
  if (m->hasFormat(kUtf8Text)) return StdBytes(m->data(kUtf8Text));
  return FromQString(m->text());
}

std::vector<std::string> TDataObject::Files() const {
  std::vector<std::string> r;
  for (const QUrl& u : UrlsOf(d_->Mime()))
    if (u.isLocalFile() && !u.toLocalFile().isEmpty()) r.push_back(FromQString(u.toLocalFile()));
  return r;
}

std::vector<std::string> TDataObject::Links() const {
  std::vector<std::string> r;
  for (const QUrl& u : UrlsOf(d_->Mime()))
    if (!u.isLocalFile() && u.isValid() && !u.scheme().isEmpty()) r.push_back(FromQString(u.toString()));
  return r;
}

std::string TDataObject::Data(TClipboardFormat Format) const {
  const QMimeData* m = d_->Mime();
  if (!m) return std::string();
  if (Format == CF_TEXT || Format == CF_UNICODETEXT) return Text();
  if (Format == RtfFormat()) return StdBytes(m->hasFormat(kRtf) ? m->data(kRtf) : m->data(kRtfAlt));
  std::string mime = ClipboardFormatMimeType(Format);
  return mime.empty() ? std::string() : StdBytes(m->data(QString::fromStdString(mime)));
}

void TDataObject::SetText(const std::string& Text) {
  QMimeData* m = d_->Writable();
  QString t = ToQString(Text);
  m->setText(t);
  m->setData(kUtf8Text, t.toUtf8());
}

namespace {
void SetUrls(QMimeData* m, const std::vector<QUrl>& keep, const std::vector<QUrl>& add) {
  QList<QUrl> all(keep.begin(), keep.end());
  for (const QUrl& u : add) all.push_back(u);
  m->setUrls(all);
}
}  // namespace

void TDataObject::SetFiles(const std::vector<std::string>& FileNames) {
  std::vector<QUrl> links, files;
  for (const QUrl& u : UrlsOf(d_->Mime()))
    if (!u.isLocalFile()) links.push_back(u);
  for (const std::string& f : FileNames) files.push_back(QUrl::fromLocalFile(ToQString(f)));
  SetUrls(d_->Writable(), files, links);
}

void TDataObject::SetLinks(const std::vector<std::string>& Urls) {
  std::vector<QUrl> files, links;
  for (const QUrl& u : UrlsOf(d_->Mime()))
    if (u.isLocalFile()) files.push_back(u);
  for (const std::string& l : Urls) links.push_back(QUrl(ToQString(l)));
  SetUrls(d_->Writable(), files, links);
}

void TDataObject::SetData(TClipboardFormat Format, const std::string& Bytes_) {
  if (Format == CF_TEXT || Format == CF_UNICODETEXT) return SetText(Bytes_);
  std::string mime = ClipboardFormatMimeType(Format);
  if (mime.empty() || Format == CF_HDROP || Format == CF_BITMAP || Format == LinkFormat()) return;
  d_->Writable()->setData(QString::fromStdString(mime), Bytes(Bytes_));
}

std::vector<std::string> TDataObject::MimeTypes() const {
  std::vector<std::string> r;
  if (const QMimeData* m = d_->Mime())
    for (const QString& f : m->formats()) r.push_back(f.toStdString());
  return r;
}

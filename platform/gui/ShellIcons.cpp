#include "platform/gui/ShellIcons.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QMimeDatabase>
#include <QPainter>

#include "platform/gui/QtBridge.h"
#include "platform/rtl/SysUtils.h"

namespace {
QIcon ThemeIconOf(const QMimeType& Type) {
  if (!Type.isValid()) return QIcon();
  return QIcon::fromTheme(Type.iconName(), QIcon::fromTheme(Type.genericIconName()));
}
}  // namespace

bool LoadShellIcon(TIcon* Icon, const std::string& FileOrLink, int Size) {
  if (!Icon || FileOrLink.empty() || Size <= 0) return false;
  QMimeDatabase db;
  QFileIconProvider provider;
  QIcon icon;
  if (FileOrLink.find("://") != std::string::npos) {
    icon = ThemeIconOf(db.mimeTypeForName(QStringLiteral("text/html")));
    if (icon.isNull()) icon = provider.icon(QAbstractFileIconProvider::Network);
  } else if (StartsText("mailto:", FileOrLink)) {
    icon = QIcon::fromTheme(QStringLiteral("mail-message-new"), QIcon::fromTheme(QStringLiteral("internet-mail")));
    if (icon.isNull()) icon = provider.icon(QAbstractFileIconProvider::Network);
  } else {
    const QFileInfo fi(ToQString(FileOrLink));
    if (fi.isDir()) {
      icon = QIcon::fromTheme(QStringLiteral("folder"));
    } else {
      // Only a regular file is looked into (a FIFO or a device would block or never end).
      icon = ThemeIconOf(fi.isFile() ? db.mimeTypeForFile(fi) : db.mimeTypeForFile(fi.fileName(), QMimeDatabase::MatchExtension));
    }
    if (icon.isNull())
      icon = provider.icon(fi.isDir() ? QAbstractFileIconProvider::Folder : QAbstractFileIconProvider::File);
  }
  if (icon.isNull()) return false;
  QImage image(Size, Size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  icon.paint(&p, QRect(0, 0, Size, Size));
  p.end();
  Icon->SetImage(image);
  return true;
}

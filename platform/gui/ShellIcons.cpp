#include "platform/gui/ShellIcons.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QMimeDatabase>
#include <QPainter>
#include <iterator>
#include <memory>

#include "platform/gui/QtBridge.h"
#include "platform/rtl/SysUtils.h"

namespace {
void PaintInto(TIcon* Icon, const QIcon& icon, int Size) {
  QImage image(Size, Size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  icon.paint(&p, QRect(0, 0, Size, Size));
  p.end();
  Icon->SetImage(image);
}

// The desktop's icons are asked through the widget application; without one (a tool, a fuzzer)
// there is no desktop to ask, and the icon provider would crash.
bool HaveDesktop() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

QIcon ThemeIconOf(const QMimeType& Type) {
  if (!Type.isValid()) return QIcon();
  return QIcon::fromTheme(Type.iconName(), QIcon::fromTheme(Type.genericIconName()));
}
}  // namespace

bool LoadShellIcon(TIcon* Icon, const std::string& FileOrLink, int Size) {
  if (!Icon || FileOrLink.empty() || Size <= 0 || !HaveDesktop()) return false;
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
  PaintInto(Icon, icon, Size);
  return true;
}

bool LoadSystemListIcon(TIcon* Icon, int Index, int Size) {
  using K = QAbstractFileIconProvider::IconType;
  static const struct {
    const char* Name;
    K Generic;  // without a theme
  } kList[] = {
      {"unknown", K::File},
      {"text-x-generic", K::File},
      {"application-x-executable", K::File},
      {"folder", K::Folder},
      {"folder-open", K::Folder},
      {"media-floppy", K::Drive},
      {"media-floppy", K::Drive},
      {"drive-removable-media", K::Drive},
      {"drive-harddisk", K::Drive},
      {"folder-remote", K::Network},
      {"network-offline", K::Network},
      {"media-optical", K::Drive},
      {"media-flash", K::Drive},
      {"network-workgroup", K::Network},
      {"network-server", K::Network},
      {"computer", K::Computer},
      {"printer", K::File},
      {"network-workgroup", K::Network},
      {"network-workgroup", K::Network},
      {"applications-other", K::Folder},
      {"folder-documents", K::Folder},
      {"preferences-system", K::File},
      {"system-search", K::File},
      {"help-browser", K::File},
      {"system-run", K::File},
      {"system-suspend", K::Computer},
      {"computer", K::Computer},
      {"system-shutdown", K::Computer},
  };
  if (!Icon || Size <= 0 || Index < 0 || Index >= static_cast<int>(std::size(kList)) || !HaveDesktop()) return false;
  QIcon icon = QIcon::fromTheme(QString::fromLatin1(kList[Index].Name));
  if (icon.isNull()) icon = QFileIconProvider().icon(kList[Index].Generic);
  if (icon.isNull()) return false;
  PaintInto(Icon, icon, Size);
  return true;
}

bool LoadIconFileImage(TIcon* Icon, const std::string& FileName, int Index, int Size) {
  if (!Icon || Size <= 0 || Index < 0) return false;
  constexpr int64_t kMaxIconFileBytes = 4 << 20;
  int64_t budget = 4 << 20;  // pixels over all the file's images
  std::string error;
  std::unique_ptr<TGraphic> g;
  try {
    g = LoadGraphicCapped(LoadRegularFileBytes(FileName, kMaxIconFileBytes), ccIcon, budget, error);
  } catch (const Exception&) {
    return false;
  }
  auto* images = dynamic_cast<TImageGraphic*>(g.get());
  if (!images || Index >= images->FrameCount()) return false;
  Icon->SetImage(images->Frame(Index).scaled(Size, Size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
  return true;
}

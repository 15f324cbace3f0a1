#include "platform/gui/FormImage.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>
#include <QSaveFile>
#include <QWidget>

#include "platform/gui/Forms.h"
#include "platform/gui/QtBridge.h"

QImage RenderControlImage(TWinControl* Control) {
  if (!Control) return QImage();
  Control->HandleNeeded();
  QWidget* w = Control->Peer();
  if (!w) return QImage();
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
  w->ensurePolished();
  return w->grab().toImage();
}

bool SaveControlImage(TWinControl* Control, const std::string& FileName) {
  QImage img = RenderControlImage(Control);
  if (img.isNull()) return false;
  QString name = QString::fromStdString(FileName);
  QDir().mkpath(QFileInfo(name).absolutePath());
  // Written whole or not at all: a run of the same test elsewhere may be reading it.
  QSaveFile file(name);
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (!img.save(&file, "PNG")) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

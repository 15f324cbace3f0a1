// Starts as the program does, then asks Qt for a reader of the file it is
// given (which loads image format plugins); prints Qt's library paths and
// plugin folder, one a line.
#include <QCoreApplication>
#include <QImageReader>
#include <QLibraryInfo>

#include <cstdio>

#include "platform/gui/Forms.h"

int main(int argc, char** argv) {
  Application->Initialize();
  if (argc > 1) QImageReader(QString::fromLocal8Bit(argv[1])).canRead();
  std::printf("%s\n%s\n", QCoreApplication::libraryPaths().join(':').toLocal8Bit().constData(),
              QLibraryInfo::path(QLibraryInfo::PluginsPath).toLocal8Bit().constData());
  return 0;
}

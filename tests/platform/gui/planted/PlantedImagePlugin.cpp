// An image format plugin as someone might plant it in <program folder>/imageformats.
#include <QObject>
#include <QtPlugin>

#include "tests/platform/gui/planted/Mark.h"

static TPlantedMark mark("imageformats/zz");

class TPlantedImageFormat : public QObject {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QImageIOHandlerFactoryInterface" FILE "image.json")
};

#include "PlantedImagePlugin.moc"

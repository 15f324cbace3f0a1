// A platform theme plugin as someone might plant it in <program folder>/platformthemes.
#include <QObject>
#include <QtPlugin>

#include "tests/platform/gui/planted/Mark.h"

static TPlantedMark mark("platformthemes/velmarontest");

class TPlantedTheme : public QObject {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QPA.QPlatformThemeFactoryInterface.5.1" FILE "theme.json")
};

#include "PlantedThemePlugin.moc"

#include "gui/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace ladder51::gui {

bool installTranslations(QCoreApplication& app) {
  // The PLC tool's users read Chinese whatever the system's locale says.
  const QLocale chinese(QLocale::Chinese, QLocale::China);
  QLocale::setDefault(chinese);
  auto* qt = new QTranslator(&app);
  if (qt->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"),
               QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(qt);
  }
  auto* own = new QTranslator(&app);
  if (!own->load(QStringLiteral(":/i18n/ladder51_zh_CN.qm"))) return false;
  QCoreApplication::installTranslator(own);
  return true;
}

}  // namespace ladder51::gui

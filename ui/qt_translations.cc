// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QString>
#include <QTranslator>

namespace xsrating {

bool InstallQtChineseTranslations(QCoreApplication* app) {
  const QString folders[] = {
      QLibraryInfo::path(QLibraryInfo::TranslationsPath),
      QCoreApplication::applicationDirPath() + QStringLiteral("/translations"),
  };
  for (const QString& folder : folders) {
    auto* translator = new QTranslator(app);
    if (translator->load(QStringLiteral("qtbase_zh_CN"), folder) &&
        QCoreApplication::installTranslator(translator)) {
      return true;
    }
    delete translator;
  }
  return false;
}

}  // namespace xsrating

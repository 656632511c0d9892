// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_UI_QT_TRANSLATIONS_H_
#define XSRATING_UI_QT_TRANSLATIONS_H_

class QCoreApplication;

namespace xsrating {

// Makes Qt's own texts (the OK button, the text boxes' context menus)
// Simplified Chinese whatever the system's locale, by installing Qt's zh_CN
// catalogue from Qt's translations folder, or from a "translations" folder
// beside the program. Returns false when neither has it; Qt's texts then stay
// in English.
bool InstallQtChineseTranslations(QCoreApplication* app);

}  // namespace xsrating

#endif  // XSRATING_UI_QT_TRANSLATIONS_H_

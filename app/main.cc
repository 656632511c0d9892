// SPDX-License-Identifier: GPL-3.0-or-later
// The window program: computes a river section's stage-discharge relation
// from its cross-section survey.
#include <QApplication>

#include "ui/fonts.h"
#include "ui/form1.h"
#include "ui/qt_translations.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  xsrating::InstallQtChineseTranslations(&app);
  // Tooltips, dialogs and boxes in the one sans-serif CJK face, rather than
  // the locale's fallback; the window names its own faces.
  QApplication::setFont(xsrating::InterfaceFont());
  xsrating::Form1 window;
  window.show();
  return app.exec();
}

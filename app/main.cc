// SPDX-License-Identifier: GPL-3.0-or-later
// The window program: computes a river section's stage-discharge relation
// from its cross-section survey.
#include <QApplication>
#include <QCommandLineParser>

#include "ui/form1.h"
#include "ui/qt_translations.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("xsrating"));
  QApplication::setApplicationVersion(QStringLiteral(XSRATING_VERSION));
  xsrating::InstallQtChineseTranslations(&app);

  // --version and --help, for package managers and scripts that check the
  // program starts; the window takes no other arguments.
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("由河道大断面测量数据计算水位流量关系。"));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.process(app);

  xsrating::Form1 window;
  window.show();
  return app.exec();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/message_box_sink.h"

#include <QMessageBox>
#include <QString>
#include <QWidget>
#include <string>

#include "ui/fonts.h"

namespace xsrating {

QString MessageBoxText(const std::string& text) {
  QString shown = QString::fromStdString(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return shown;
}

void MessageBoxSink::ShowWarning(const std::string& text,
                                 const std::string& title) {
  QMessageBox box(QMessageBox::Warning, QString::fromStdString(title),
                  MessageBoxText(text), QMessageBox::Ok, owner_);
  // Paths and survey values may hold '<' or '&'; they are never markup.
  box.setTextFormat(Qt::PlainText);
  box.setFont(InterfaceFont());
  box.exec();
}

}  // namespace xsrating

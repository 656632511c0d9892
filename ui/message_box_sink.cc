// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/message_box_sink.h"

#include <QFont>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QString>
#include <QWidget>
#include <string>

#include "form/form_controller.h"
#include "ui/fonts.h"

namespace xsrating {

QString MessageBoxText(const std::string& text) {
  return QString::fromStdString(WithLineBreaks(text, "\n"));
}

int MessageBoxTitleRoom(const QString& title) {
  QFont face = InterfaceFont();
  face.setBold(true);
  const QFontMetrics metrics(face);
  // Title bars draw their text larger than the interface face on some
  // desktops; the frame's buttons and the window's icon take about eight
  // lines' height.
  return metrics.horizontalAdvance(title) * 5 / 4 + 8 * metrics.height();
}

void MessageBoxSink::ShowWarning(const std::string& text,
                                 const std::string& title) {
  QMessageBox box(QMessageBox::Warning, QString::fromStdString(title),
                  MessageBoxText(text), QMessageBox::Ok, owner_);
  // Paths and survey values may hold '<' or '&'; they are never markup.
  box.setTextFormat(Qt::PlainText);
  box.setFont(InterfaceFont());
  // The box sizes itself to its text, and Qt's allowance for the title is
  // measured in a title bar face without Chinese and leaves out the frame's
  // buttons, so a short text cut the title ("计算结果… 存在："). A row of
  // the title's width keeps the box wide enough.
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    grid->addItem(new QSpacerItem(MessageBoxTitleRoom(box.windowTitle()), 0,
                                  QSizePolicy::Fixed, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
  }
  box.exec();
}

}  // namespace xsrating

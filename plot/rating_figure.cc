// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/rating_figure.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageWriter>
#include <QPainter>
#include <QString>
#include <cmath>

#include "core/output/own_files.h"
#include "figure/layout.h"
#include "plot/qt_painter.h"

namespace xsrating {

QImage FigureImage(const figure::FigureRequest& request) {
  // Laid out with the fonts it is drawn in: measured on a scratch image, as
  // the page's size does not depend on text.
  QImage scratch(1, 1, QImage::Format_ARGB32_Premultiplied);
  figure::FigureLayout layout;
  {
    QPainter painter(&scratch);
    QtPainter measure(&painter);
    layout = figure::LayOutFigure(request, measure);
  }
  QImage image(static_cast<int>(std::ceil(layout.width)),
               static_cast<int>(std::ceil(layout.height)),
               QImage::Format_ARGB32_Premultiplied);
  if (image.isNull()) return image;
  image.fill(Qt::white);
  QPainter painter(&image);
  QtPainter qt(&painter);
  figure::DrawFigure(layout, qt);
  return image;
}

Status FigurePng(const figure::FigureRequest& request, std::string* png) {
  const QImage image = FigureImage(request);
  if (image.isNull()) {
    return Status::Error("图没有画成：内存不足，无法生成图片。");
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "PNG");
  // The mark that tells a later save this file is ours to replace.
  writer.setText(QString::fromLatin1(kFigurePngKeyword),
                 QString::fromLatin1(kFigureMark));
  if (!writer.write(image) || bytes.isEmpty()) {
    return Status::Error("图没有画成：PNG 编码失败（" +
                         writer.errorString().toStdString() + "）。");
  }
  png->assign(bytes.constData(), static_cast<size_t>(bytes.size()));
  return Status::Ok();
}

}  // namespace xsrating

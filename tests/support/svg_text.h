// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_TESTS_SUPPORT_SVG_TEXT_H_
#define XSRATING_TESTS_SUPPORT_SVG_TEXT_H_

// What a figure file says, for the Qt tests of the figure.

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>

namespace xsrating {

// The texts of an SVG document in reading order, run together (a title of
// Chinese and Latin letters is one text element per script), and its title;
// empty when the document is not well-formed.
inline QString SvgText(const QByteArray& svg, QString* title = nullptr) {
  QXmlStreamReader xml(svg);
  QString text;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    if (xml.name() == QLatin1String("text")) {
      text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
    } else if (xml.name() == QLatin1String("title") && title != nullptr) {
      *title = xml.readElementText();
    }
  }
  return xml.hasError() ? QString() : text;
}

}  // namespace xsrating

#endif  // XSRATING_TESTS_SUPPORT_SVG_TEXT_H_

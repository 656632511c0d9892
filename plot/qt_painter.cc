// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/qt_painter.h"

#include <QColor>
#include <QFontMetricsF>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QVector>
#include <algorithm>
#include <cmath>

namespace xsrating {
namespace {

QColor ToQt(figure::Color color) {
  return QColor(color.red, color.green, color.blue, color.alpha);
}

QPointF ToQt(figure::Point point) { return QPointF(point.x, point.y); }

QPolygonF ToQt(std::span<const figure::Point> points) {
  QPolygonF polygon;
  polygon.reserve(static_cast<qsizetype>(points.size()));
  for (const figure::Point& p : points) polygon.append(ToQt(p));
  return polygon;
}

QPen ToQt(const figure::Pen& pen) {
  QPen qt(ToQt(pen.color), pen.width);
  qt.setJoinStyle(Qt::RoundJoin);
  // Patterns in pen widths, as figure/painter.h defines them.
  if (pen.dash == figure::Dash::kDashed) {
    qt.setCapStyle(Qt::FlatCap);
    qt.setDashPattern({4, 2});
  } else if (pen.dash == figure::Dash::kDotted) {
    qt.setCapStyle(Qt::FlatCap);
    qt.setDashPattern({1, 2});
  }
  return qt;
}

QString ToQt(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QFont FigureQtFont(const figure::Font& font) {
  QFont qt;
  qt.setFamilies({"Microsoft YaHei", "Noto Sans CJK SC", "WenQuanYi Micro Hei",
                  "SimSun", "AR PL UMing CN"});
  qt.setPixelSize(std::max(1, static_cast<int>(std::lround(font.size))));
  qt.setBold(font.bold);
  return qt;
}

QtPainter::QtPainter(QPainter* painter) : painter_(painter) {
  painter_->setRenderHint(QPainter::Antialiasing);
  painter_->setRenderHint(QPainter::TextAntialiasing);
}

double QtPainter::TextWidth(std::string_view text, const figure::Font& font) {
  if (text.empty()) return 0;
  return QFontMetricsF(FigureQtFont(font), painter_->device())
      .horizontalAdvance(ToQt(text));
}

double QtPainter::LineHeight(const figure::Font& font) {
  return QFontMetricsF(FigureQtFont(font), painter_->device()).height();
}

void QtPainter::Line(figure::Point from, figure::Point to,
                     const figure::Pen& pen) {
  painter_->setPen(ToQt(pen));
  painter_->drawLine(ToQt(from), ToQt(to));
}

void QtPainter::Polyline(std::span<const figure::Point> points,
                         const figure::Pen& pen) {
  if (points.size() < 2) return;
  painter_->setPen(ToQt(pen));
  painter_->setBrush(Qt::NoBrush);
  const QPolygonF polygon = ToQt(points);
  // Qt strokes a polyline as one outline, whose self-crossings cost far
  // more than its segments once it has thousands of them (a hydrograph's
  // zigzag of highs and lows): such a line is drawn in pieces that share
  // their ends, which look the same, in a third of the time.
  constexpr qsizetype kLongLine = 256;
  constexpr qsizetype kPiece = 64;
  if (polygon.size() <= kLongLine) {
    painter_->drawPolyline(polygon);
    return;
  }
  for (qsizetype i = 0; i + 1 < polygon.size(); i += kPiece) {
    const qsizetype count = std::min(kPiece + 1, polygon.size() - i);
    painter_->drawPolyline(polygon.constData() + i, static_cast<int>(count));
  }
}

void QtPainter::Polygon(std::span<const figure::Point> points,
                        figure::Color fill, const figure::Pen* outline) {
  if (points.size() < 3) return;
  painter_->setPen(outline ? ToQt(*outline) : QPen(Qt::NoPen));
  painter_->setBrush(fill.alpha == 0 ? QBrush(Qt::NoBrush)
                                     : QBrush(ToQt(fill)));
  painter_->drawPolygon(ToQt(points));
}

void QtPainter::Marker(figure::Point at, figure::MarkerShape shape, double size,
                       const figure::Pen& pen, figure::Color fill) {
  painter_->setPen(ToQt(figure::Pen{pen.color, pen.width}));
  painter_->setBrush(fill.alpha == 0 ? QBrush(Qt::NoBrush)
                                     : QBrush(ToQt(fill)));
  const double half = size / 2;
  const QPointF c = ToQt(at);
  switch (shape) {
    case figure::MarkerShape::kCircle:
      painter_->drawEllipse(c, half, half);
      return;
    case figure::MarkerShape::kSquare:
      painter_->drawRect(QRectF(c.x() - half, c.y() - half, size, size));
      return;
    case figure::MarkerShape::kTriangle:
      painter_->drawPolygon(QPolygonF({QPointF(c.x(), c.y() - half),
                                       QPointF(c.x() + half, c.y() + half),
                                       QPointF(c.x() - half, c.y() + half)}));
      return;
    case figure::MarkerShape::kDiamond:
      painter_->drawPolygon(QPolygonF(
          {QPointF(c.x(), c.y() - half), QPointF(c.x() + half, c.y()),
           QPointF(c.x(), c.y() + half), QPointF(c.x() - half, c.y())}));
      return;
  }
}

void QtPainter::Text(figure::Point at, std::string_view text,
                     const figure::Font& font, figure::Color color,
                     figure::HorizontalAnchor horizontal,
                     figure::VerticalAnchor vertical, double rotation) {
  if (text.empty()) return;
  const QFont qt_font = FigureQtFont(font);
  const QFontMetricsF metrics(qt_font, painter_->device());
  const QString qt_text = ToQt(text);
  const double width = metrics.horizontalAdvance(qt_text);
  double x = 0;
  if (horizontal == figure::HorizontalAnchor::kCenter) x = -width / 2;
  if (horizontal == figure::HorizontalAnchor::kRight) x = -width;
  // The baseline, below the anchor by as much as the anchor lies above it.
  double y = 0;
  switch (vertical) {
    case figure::VerticalAnchor::kTop:
      y = metrics.ascent();
      break;
    case figure::VerticalAnchor::kMiddle:
      y = metrics.ascent() - metrics.height() / 2;
      break;
    case figure::VerticalAnchor::kBaseline:
      break;
    case figure::VerticalAnchor::kBottom:
      y = -metrics.descent();
      break;
  }
  painter_->save();
  painter_->translate(ToQt(at));
  painter_->rotate(-rotation);  // Qt turns clockwise, y growing downwards.
  painter_->setFont(qt_font);
  painter_->setPen(ToQt(color));
  painter_->drawText(QPointF(x, y), qt_text);
  painter_->restore();
}

void QtPainter::PushClip(const figure::Rect& rect) {
  painter_->save();
  painter_->setClipRect(
      QRectF(rect.x, rect.y, rect.width, rect.height),
      painter_->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
  ++clips_;
}

void QtPainter::PopClip() {
  if (clips_ == 0) return;
  painter_->restore();
  --clips_;
}

}  // namespace xsrating

// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/chart_view.h"

#include <QHelpEvent>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QToolTip>
#include <utility>

#include "core/base/number_text.h"
#include "plot/qt_painter.h"

namespace xsrating {
namespace {

// How near the pointer must be to a point, in pixels.
constexpr double kHitRadius = 6;

QString Utf8(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

ChartView::ChartView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChartView::SetChart(figure::Chart chart) {
  chart_ = std::move(chart);
  LayOut();
  update();
}

void ChartView::LayOut() {
  // Measured on an image: the fonts are set in pixels, so the widget's
  // screen measures them alike.
  QImage scratch(1, 1, QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&scratch);
  QtPainter measure(&painter);
  // From the chart as made each time: the ticks thinned for a small size
  // come back at a larger one.
  layout_ = figure::LayOutChart(
      chart_,
      {0, 0, static_cast<double>(width()), static_cast<double>(height())},
      measure);
}

QString ChartView::ValuesAt(QPoint at) const {
  const std::optional<figure::ChartHit> hit = figure::HitTest(
      layout_, {static_cast<double>(at.x()), static_cast<double>(at.y())},
      kHitRadius);
  if (!hit) return QString();
  const figure::Chart& chart = layout_.chart;
  const figure::Series& series = chart.series[hit->series];
  const std::string& name = series.name;
  // A point of the right axis is read off that axis.
  const figure::Axis& up =
      series.right_axis && chart.y_right ? *chart.y_right : chart.y;
  QString text = name.empty() ? QString() : Utf8(name) + QStringLiteral("\n");
  text += Utf8(up.title) + QStringLiteral("：") +
          Utf8(DecimalForm(hit->value.y)) + QStringLiteral("\n") +
          Utf8(chart.x.title) + QStringLiteral("：") +
          Utf8(DecimalForm(hit->value.x));
  return text;
}

void ChartView::paintEvent(QPaintEvent*) {
  // A hidden widget is resized without a resize event until it is shown.
  if (layout_.box.width != width() || layout_.box.height != height()) {
    LayOut();
  }
  QPainter painter(this);
  QtPainter qt(&painter);
  figure::DrawChart(layout_, qt);
}

void ChartView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOut();
}

bool ChartView::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const QString values = ValuesAt(help->pos());
    if (values.isEmpty()) {
      QToolTip::hideText();
    } else {
      QToolTip::showText(help->globalPos(), values, this);
    }
    return true;
  }
  return QWidget::event(event);
}

}  // namespace xsrating

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_PLOT_CHART_VIEW_H_
#define XSRATING_PLOT_CHART_VIEW_H_

// One chart of the figure (figure/charts.h) in a widget: laid out for the
// widget's size whenever it changes and drawn through the Qt painter, so the
// viewer shows what a saved figure shows, only sized to the window. Over a
// marked point (a row of the table, a gauging) a tooltip gives its values.

#include <QString>
#include <QWidget>

#include "figure/charts.h"
#include "figure/layout.h"

namespace xsrating {

class ChartView : public QWidget {
  Q_OBJECT

 public:
  explicit ChartView(QWidget* parent = nullptr);

  // Shows `chart` in place of the one before.
  void SetChart(figure::Chart chart);
  // The chart as made, before the layout thinned its ticks for the size.
  const figure::Chart& chart() const { return chart_; }
  // The chart as laid out for the widget's present size.
  const figure::ChartLayout& layout() const { return layout_; }

  // What the tooltip says over the point at `at` (widget coordinates):
  // the series' name and the point's two values with the axes' titles;
  // empty when no marked point is within a few pixels.
  QString ValuesAt(QPoint at) const;

  QSize minimumSizeHint() const override { return QSize(240, 200); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void LayOut();

  figure::Chart chart_;
  figure::ChartLayout layout_;
};

}  // namespace xsrating

#endif  // XSRATING_PLOT_CHART_VIEW_H_

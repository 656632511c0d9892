// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_PLOT_QT_PAINTER_H_
#define XSRATING_PLOT_QT_PAINTER_H_

// The figure's Painter (figure/painter.h) over a QPainter: the Linux
// viewer's charts and the Linux PNG. Text is set and measured in a face with
// Chinese glyphs (Qt falls back through the list), one unit a pixel of the
// device; antialiased.

#include <QFont>
#include <QPainter>
#include <string_view>

#include "figure/painter.h"

namespace xsrating {

// The Qt font of a figure font: a CJK face, its pixel size the font's.
QFont FigureQtFont(const figure::Font& font);

class QtPainter : public figure::Painter {
 public:
  // Draws with `painter`, which must outlive this and be active.
  explicit QtPainter(QPainter* painter);

  double TextWidth(std::string_view text, const figure::Font& font) override;
  double LineHeight(const figure::Font& font) override;
  void Line(figure::Point from, figure::Point to,
            const figure::Pen& pen) override;
  void Polyline(std::span<const figure::Point> points,
                const figure::Pen& pen) override;
  void Polygon(std::span<const figure::Point> points, figure::Color fill,
               const figure::Pen* outline) override;
  void Marker(figure::Point at, figure::MarkerShape shape, double size,
              const figure::Pen& pen, figure::Color fill) override;
  void Text(figure::Point at, std::string_view text, const figure::Font& font,
            figure::Color color, figure::HorizontalAnchor horizontal,
            figure::VerticalAnchor vertical, double rotation) override;
  void PushClip(const figure::Rect& rect) override;
  void PopClip() override;

 private:
  QPainter* painter_;
  int clips_ = 0;
};

}  // namespace xsrating

#endif  // XSRATING_PLOT_QT_PAINTER_H_

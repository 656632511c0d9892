// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_FIGURE_SVG_PAINTER_H_
#define XSRATING_FIGURE_SVG_PAINTER_H_

// A Painter that writes an SVG document, toolkit-free. Its bytes depend on
// nothing but the calls made: numbers are written with '.' whatever the
// locale, to at most two decimals, and text is measured by a fixed model of
// character widths (EstimatedTextWidth) rather than by a font installed
// here, so the same figure is the same file on every platform. Fonts named:
// those of Chinese Windows, then Debian's, then the viewer's sans-serif.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "figure/figure_request.h"
#include "figure/painter.h"

namespace xsrating::figure {

// The width of `text` (UTF-8) in `font` by the model: a CJK or full-width
// character is one em, an ASCII character the width of a common sans-serif
// face's glyph and a tenth, any other character 0.6 em; bold adds 5 %. An
// ill-formed byte counts as one other character.
double EstimatedTextWidth(std::string_view text, const Font& font);

class SvgPainter : public Painter {
 public:
  // A document of `width` by `height` units titled `title` (escaped), whose
  // <desc> is `description`.
  SvgPainter(double width, double height, std::string title,
             std::string description);

  double TextWidth(std::string_view text, const Font& font) override;
  double LineHeight(const Font& font) override;
  void Line(Point from, Point to, const Pen& pen) override;
  void Polyline(std::span<const Point> points, const Pen& pen) override;
  void Polygon(std::span<const Point> points, Color fill,
               const Pen* outline) override;
  void Marker(Point at, MarkerShape shape, double size, const Pen& pen,
              Color fill) override;
  void Text(Point at, std::string_view text, const Font& font, Color color,
            HorizontalAnchor horizontal, VerticalAnchor vertical,
            double rotation) override;
  void PushClip(const Rect& rect) override;
  void PopClip() override;

  // The whole document, every clip closed.
  std::string Finish();

 private:
  std::string out_;
  int open_clips_ = 0;
  int next_clip_ = 0;
};

// The figure of `request` as an SVG document: its title the request's, its
// <desc> the own-file mark and the charts' titles.
std::string FigureSvg(const FigureRequest& request);

}  // namespace xsrating::figure

#endif  // XSRATING_FIGURE_SVG_PAINTER_H_

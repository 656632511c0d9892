// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_FIGURE_GDIPLUS_GDIPLUS_PAINTER_H_
#define XSRATING_FIGURE_GDIPLUS_GDIPLUS_PAINTER_H_

// The figure's painter on Windows: Gdiplus::Graphics, antialiased, in
// gdiplus.dll, which every Windows has. It draws into a window's back buffer
// (the viewer) and into a bitmap encoded as PNG (the command line and the
// viewer's save).

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/status.h"
#include "figure/figure_request.h"
#include "figure/painter.h"

namespace Gdiplus {
class Graphics;
class FontFamily;
}  // namespace Gdiplus

namespace xsrating::figure {

// Starts GDI+ for the process, once; later calls return the first one's
// outcome. GDI+ stays up until the process ends: the painters of a window and
// of a save may come at any time, and the system frees it with the process.
// Fails, with a message saying so, only when gdiplus.dll cannot start.
Status StartGdiplus();

// Draws onto a Graphics the caller owns and keeps alive while the painter
// lives: a window's back buffer, or a bitmap. One unit is `scale` pixels
// (1 at 96 dots per inch, 1.5 at 144). The painter sets the graphics'
// smoothing, text rendering and transform; it leaves them so. GDI+ must be
// started (StartGdiplus).
class GdiplusPainter final : public Painter {
 public:
  GdiplusPainter(Gdiplus::Graphics* graphics, double scale);
  ~GdiplusPainter() override;
  GdiplusPainter(const GdiplusPainter&) = delete;
  GdiplusPainter& operator=(const GdiplusPainter&) = delete;

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
            double rotation = 0) override;
  void PushClip(const Rect& rect) override;
  void PopClip() override;

  // The face the painter's text is set in, as UTF-8: "Microsoft YaHei",
  // else "SimSun", else "SimHei", else the first installed face with Chinese
  // characters, else GDI+'s generic sans-serif, else the first face
  // installed; empty when the system has no font at all.
  std::string FaceName() const;
  // True once a text could not be measured or drawn for want of any font.
  bool missing_text() const { return missing_text_; }

 private:
  Gdiplus::Graphics* graphics_;
  std::unique_ptr<Gdiplus::FontFamily> family_;  // None without any font.
  bool missing_text_ = false;
  std::vector<unsigned long> saved_states_;  // A GraphicsState a clip.
};

// A figure `width` × `height` units on white, drawn by `draw` at `scale`
// pixels a unit, encoded as PNG with GDI+'s encoder. The PNG records
// 96 × `scale` dots per inch and carries the program's own-file mark (a tEXt
// chunk kFigurePngKeyword holding kFigureMark). Fails, with `*png`
// unchanged, when GDI+ cannot start, the bitmap cannot be made (too large
// for memory), a text cannot be drawn for want of any font, or encoding
// fails.
Status RenderPng(double width, double height, double scale,
                 const std::function<void(Painter&)>& draw, std::string* png);

// The figure of `request` as a PNG: the page of LayOutFigure, laid out with
// this painter's measures of its texts, one pixel a unit (96 dots per inch),
// as RenderPng makes it. Fails as RenderPng does, `*png` then unchanged.
Status FigurePng(const FigureRequest& request, std::string* png);

}  // namespace xsrating::figure

#endif  // XSRATING_FIGURE_GDIPLUS_GDIPLUS_PAINTER_H_

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_FIGURE_PAINTER_H_
#define XSRATING_FIGURE_PAINTER_H_

// The handful of drawing calls a figure needs, and nothing of any toolkit.
// The charts are laid out once, in device-independent units (one unit is a
// pixel at 96 dots per inch; y grows downwards, as on every screen), and
// drawn through a Painter: the SVG painter writes text, the Qt painter draws
// with QPainter, the GDI+ painter with Gdiplus::Graphics. Whatever a painter
// draws with, the figure looks the same: the layout decides every position,
// size and colour, the painter only carries them out.

#include <cstdint>
#include <span>
#include <string_view>

namespace xsrating::figure {

struct Point {
  double x = 0;
  double y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
  double x = 0;  // Left.
  double y = 0;  // Top.
  double width = 0;
  double height = 0;
  double Right() const { return x + width; }
  double Bottom() const { return y + height; }
  bool Contains(Point p) const {
    return p.x >= x && p.x <= Right() && p.y >= y && p.y <= Bottom();
  }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// sRGB with straight (not premultiplied) alpha: 255 is opaque.
struct Color {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  uint8_t alpha = 255;
  friend bool operator==(const Color&, const Color&) = default;
};

enum class Dash {
  kSolid,
  kDashed,  // Dashes of 4 widths with gaps of 2 widths.
  kDotted,  // Dots of 1 width with gaps of 2 widths.
};

struct Pen {
  Color color;
  double width = 1;  // Units.
  Dash dash = Dash::kSolid;
};

struct Font {
  double size = 12;  // The em height in units (12 is 9 pt at 96 dpi).
  bool bold = false;
  friend bool operator==(const Font&, const Font&) = default;
};

// Where a text's anchor point lies on the text, before rotation.
enum class HorizontalAnchor { kLeft, kCenter, kRight };
enum class VerticalAnchor {
  kTop,       // The top of the text's line box.
  kMiddle,    // Halfway between the line box's top and bottom.
  kBaseline,  // The baseline of its glyphs.
  kBottom,    // The bottom of the text's line box.
};

enum class MarkerShape { kCircle, kSquare, kTriangle, kDiamond };

// What one painter provides. Every text is UTF-8. Nothing here fails: a
// painter that cannot draw (an image too large for memory) records that and
// says so when its output is asked for.
class Painter {
 public:
  virtual ~Painter() = default;

  // The width of `text` set in `font`, in units; 0 for the empty text.
  virtual double TextWidth(std::string_view text, const Font& font) = 0;
  // The height of one line of text in `font` (ascent plus descent), in
  // units.
  virtual double LineHeight(const Font& font) = 0;

  virtual void Line(Point from, Point to, const Pen& pen) = 0;
  // Joins the points in order; fewer than two draw nothing.
  virtual void Polyline(std::span<const Point> points, const Pen& pen) = 0;
  // The closed polygon through `points`, filled with `fill` (an alpha of 0
  // leaves it unfilled) and outlined with `outline` when it is given.
  virtual void Polygon(std::span<const Point> points, Color fill,
                       const Pen* outline) = 0;
  // A marker of `size` units across centred on `at`: outlined with `pen`,
  // and filled with `fill` unless its alpha is 0 (a hollow marker).
  virtual void Marker(Point at, MarkerShape shape, double size, const Pen& pen,
                      Color fill) = 0;
  // `text` on one line, its anchor point at `at`, turned by `rotation`
  // degrees counter-clockwise about it (90 reads upwards, as a vertical axis
  // title).
  virtual void Text(Point at, std::string_view text, const Font& font,
                    Color color, HorizontalAnchor horizontal,
                    VerticalAnchor vertical, double rotation = 0) = 0;

  // Limits what is drawn until the matching PopClip to `rect`, within any
  // clip already pushed.
  virtual void PushClip(const Rect& rect) = 0;
  virtual void PopClip() = 0;
};

}  // namespace xsrating::figure

#endif  // XSRATING_FIGURE_PAINTER_H_

// SPDX-License-Identifier: GPL-3.0-or-later
#include "figure/svg_painter.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <utility>

#include "core/output/own_files.h"
#include "figure/layout.h"

namespace xsrating::figure {
namespace {

// Widths of the printable ASCII characters (32 to 126) in thousandths of an
// em, as a common sans-serif face sets them.
constexpr uint16_t kAsciiWidths[95] = {
    278, 278, 355, 556, 556,  889, 667, 191, 333, 333, 389, 584, 278, 333,
    278, 278, 556, 556, 556,  556, 556, 556, 556, 556, 556, 556, 278, 278,
    584, 584, 584, 556, 1015, 667, 667, 722, 722, 667, 611, 778, 722, 278,
    500, 667, 556, 833, 722,  778, 667, 778, 722, 667, 611, 722, 667, 944,
    667, 667, 611, 278, 278,  278, 469, 556, 333, 556, 556, 500, 556, 556,
    278, 556, 556, 222, 222,  500, 222, 833, 556, 556, 556, 556, 333, 500,
    278, 556, 500, 722, 500,  500, 500, 334, 260, 334, 584};

// The text model's vertical metrics, in ems: the line box, and the baseline
// below the line box's top (half the leading and the ascent).
constexpr double kLineEms = 1.2;
constexpr double kBaselineEms = 0.98;

constexpr char kFontFamilies[] =
    "'Microsoft YaHei','SimSun','Noto Sans CJK SC','WenQuanYi Micro Hei',"
    "sans-serif";

bool IsWide(char32_t c) {
  return (c >= 0x1100 && c <= 0x115f) || (c >= 0x2e80 && c <= 0xa4cf) ||
         (c >= 0xac00 && c <= 0xd7a3) || (c >= 0xf900 && c <= 0xfaff) ||
         (c >= 0xfe30 && c <= 0xfe4f) || (c >= 0xff00 && c <= 0xff60) ||
         (c >= 0xffe0 && c <= 0xffe6) || c >= 0x20000;
}

// The next code point of `text` from `*at`, moving past it; an ill-formed
// sequence is one byte of U+FFFD.
char32_t NextCodePoint(std::string_view text, size_t* at) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(*at);
  int length = 1;
  char32_t c = lead;
  if (lead >= 0xf0 && lead < 0xf8) {
    length = 4;
    c = lead & 0x07;
  } else if (lead >= 0xe0) {
    length = lead < 0xf0 ? 3 : 1;
    c = lead & 0x0f;
  } else if (lead >= 0xc0) {
    length = 2;
    c = lead & 0x1f;
  } else if (lead >= 0x80) {
    length = 1;
  }
  if (length == 1) {
    ++*at;
    return lead < 0x80 ? lead : 0xfffd;
  }
  if (*at + length > text.size()) {
    ++*at;
    return 0xfffd;
  }
  for (int i = 1; i < length; ++i) {
    const uint8_t next = byte(*at + i);
    if ((next & 0xc0) != 0x80) {
      ++*at;
      return 0xfffd;
    }
    c = (c << 6) | (next & 0x3f);
  }
  *at += length;
  return c;
}

// A coordinate or length to two decimals, trailing zeros dropped, '.'
// whatever the locale; never "-0".
std::string Number(double value) {
  if (!std::isfinite(value)) return "0";
  const double rounded = std::round(value * 100) / 100;
  if (rounded == 0) return "0";
  char text[48];
  const std::to_chars_result written = std::to_chars(
      text, text + sizeof text, rounded, std::chars_format::fixed, 2);
  std::string number(text, written.ptr);
  number.erase(number.find_last_not_of('0') + 1);
  if (number.back() == '.') number.pop_back();
  return number;
}

std::string Hex(Color color) {
  constexpr char kDigits[] = "0123456789abcdef";
  std::string hex = "#";
  for (uint8_t part : {color.red, color.green, color.blue}) {
    hex += kDigits[part >> 4];
    hex += kDigits[part & 15];
  }
  return hex;
}

std::string Opacity(uint8_t alpha) {
  const double share = std::round(alpha / 255.0 * 1000) / 1000;
  char text[16];
  const std::to_chars_result written = std::to_chars(
      text, text + sizeof text, share, std::chars_format::fixed, 3);
  return std::string(text, written.ptr);
}

std::string Escaped(std::string_view text) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        // Control characters are not allowed in XML 1.0.
        if (static_cast<uint8_t>(c) >= 0x20 || c == '\t') escaped += c;
    }
  }
  return escaped;
}

std::string Attribute(const char* name, const std::string& value) {
  return std::string(" ") + name + "=\"" + value + "\"";
}

std::string FillAttributes(Color fill) {
  if (fill.alpha == 0) return Attribute("fill", "none");
  std::string attributes = Attribute("fill", Hex(fill));
  if (fill.alpha != 255)
    attributes += Attribute("fill-opacity", Opacity(fill.alpha));
  return attributes;
}

std::string StrokeAttributes(const Pen& pen) {
  std::string attributes = Attribute("stroke", Hex(pen.color)) +
                           Attribute("stroke-width", Number(pen.width));
  if (pen.color.alpha != 255) {
    attributes += Attribute("stroke-opacity", Opacity(pen.color.alpha));
  }
  if (pen.dash == Dash::kDashed) {
    attributes += Attribute("stroke-dasharray", Number(4 * pen.width) + "," +
                                                    Number(2 * pen.width));
  } else if (pen.dash == Dash::kDotted) {
    attributes += Attribute("stroke-dasharray",
                            Number(pen.width) + "," + Number(2 * pen.width));
  }
  return attributes;
}

std::string PointList(std::span<const Point> points) {
  std::string list;
  for (const Point& p : points) {
    if (!list.empty()) list += ' ';
    list += Number(p.x) + "," + Number(p.y);
  }
  return list;
}

}  // namespace

double EstimatedTextWidth(std::string_view text, const Font& font) {
  double ems = 0;
  for (size_t at = 0; at < text.size();) {
    const char32_t c = NextCodePoint(text, &at);
    if (c >= 32 && c < 127) {
      // A tenth wider than the table: the Latin letters of the CJK faces
      // and of a fallback such as DejaVu Sans set wider than it.
      ems += kAsciiWidths[c - 32] / 1000.0 * 1.1;
    } else if (IsWide(c)) {
      ems += 1;
    } else {
      ems += 0.6;
    }
  }
  return ems * font.size * (font.bold ? 1.05 : 1.0);
}

SvgPainter::SvgPainter(double width, double height, std::string title,
                       std::string description) {
  out_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out_ += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\"" +
          Attribute("width", Number(width)) +
          Attribute("height", Number(height)) +
          Attribute("viewBox", "0 0 " + Number(width) + " " + Number(height)) +
          Attribute("font-family", kFontFamilies) + ">\n";
  out_ += "<title>" + Escaped(title) + "</title>\n";
  out_ += "<desc>" + Escaped(description) + "</desc>\n";
}

double SvgPainter::TextWidth(std::string_view text, const Font& font) {
  return EstimatedTextWidth(text, font);
}

double SvgPainter::LineHeight(const Font& font) { return font.size * kLineEms; }

void SvgPainter::Line(Point from, Point to, const Pen& pen) {
  out_ += "<line" + Attribute("x1", Number(from.x)) +
          Attribute("y1", Number(from.y)) + Attribute("x2", Number(to.x)) +
          Attribute("y2", Number(to.y)) + StrokeAttributes(pen) + "/>\n";
}

void SvgPainter::Polyline(std::span<const Point> points, const Pen& pen) {
  if (points.size() < 2) return;
  out_ += "<polyline" + Attribute("points", PointList(points)) +
          Attribute("fill", "none") + StrokeAttributes(pen) +
          Attribute("stroke-linejoin", "round") + "/>\n";
}

void SvgPainter::Polygon(std::span<const Point> points, Color fill,
                         const Pen* outline) {
  if (points.size() < 3) return;
  out_ += "<polygon" + Attribute("points", PointList(points)) +
          FillAttributes(fill) +
          (outline ? StrokeAttributes(*outline) : std::string()) + "/>\n";
}

void SvgPainter::Marker(Point at, MarkerShape shape, double size,
                        const Pen& pen, Color fill) {
  const double half = size / 2;
  const std::string paint = FillAttributes(fill) + StrokeAttributes(pen);
  switch (shape) {
    case MarkerShape::kCircle:
      out_ += "<circle" + Attribute("cx", Number(at.x)) +
              Attribute("cy", Number(at.y)) + Attribute("r", Number(half)) +
              paint + "/>\n";
      return;
    case MarkerShape::kSquare:
      out_ += "<rect" + Attribute("x", Number(at.x - half)) +
              Attribute("y", Number(at.y - half)) +
              Attribute("width", Number(size)) +
              Attribute("height", Number(size)) + paint + "/>\n";
      return;
    case MarkerShape::kTriangle: {
      const Point corners[] = {{at.x, at.y - half},
                               {at.x + half, at.y + half},
                               {at.x - half, at.y + half}};
      out_ +=
          "<polygon" + Attribute("points", PointList(corners)) + paint + "/>\n";
      return;
    }
    case MarkerShape::kDiamond: {
      const Point corners[] = {{at.x, at.y - half},
                               {at.x + half, at.y},
                               {at.x, at.y + half},
                               {at.x - half, at.y}};
      out_ +=
          "<polygon" + Attribute("points", PointList(corners)) + paint + "/>\n";
      return;
    }
  }
}

void SvgPainter::Text(Point at, std::string_view text, const Font& font,
                      Color color, HorizontalAnchor horizontal,
                      VerticalAnchor vertical, double rotation) {
  if (text.empty()) return;
  // SVG places text by its baseline: move the anchor down to it, along the
  // text's own vertical (before the rotation, which turns about `at`).
  double baseline = 0;
  switch (vertical) {
    case VerticalAnchor::kTop:
      baseline = kBaselineEms * font.size;
      break;
    case VerticalAnchor::kMiddle:
      baseline = (kBaselineEms - kLineEms / 2) * font.size;
      break;
    case VerticalAnchor::kBaseline:
      break;
    case VerticalAnchor::kBottom:
      baseline = (kBaselineEms - kLineEms) * font.size;
      break;
  }
  const char* anchor = horizontal == HorizontalAnchor::kLeft     ? "start"
                       : horizontal == HorizontalAnchor::kCenter ? "middle"
                                                                 : "end";
  out_ += "<text" + Attribute("x", Number(at.x)) +
          Attribute("y", Number(at.y + baseline)) +
          Attribute("font-size", Number(font.size));
  if (font.bold) out_ += Attribute("font-weight", "bold");
  out_ += Attribute("text-anchor", anchor) + FillAttributes(color);
  if (rotation != 0) {
    // SVG turns clockwise, y growing downwards.
    out_ += Attribute("transform", "rotate(" + Number(-rotation) + " " +
                                       Number(at.x) + " " + Number(at.y) + ")");
  }
  out_ += ">" + Escaped(text) + "</text>\n";
}

void SvgPainter::PushClip(const Rect& rect) {
  const std::string id = "clip" + std::to_string(next_clip_++);
  // In <defs>, so that a viewer that cannot clip at least never draws the
  // clip's rectangle itself.
  out_ += "<defs><clipPath" + Attribute("id", id) + "><rect" +
          Attribute("x", Number(rect.x)) + Attribute("y", Number(rect.y)) +
          Attribute("width", Number(rect.width)) +
          Attribute("height", Number(rect.height)) + "/></clipPath></defs>\n";
  out_ += "<g" + Attribute("clip-path", "url(#" + id + ")") + ">\n";
  ++open_clips_;
}

void SvgPainter::PopClip() {
  if (open_clips_ == 0) return;
  out_ += "</g>\n";
  --open_clips_;
}

std::string SvgPainter::Finish() {
  while (open_clips_ > 0) PopClip();
  return std::move(out_) + "</svg>\n";
}

std::string FigureSvg(const FigureRequest& request) {
  // The layout measures with the same model the document is drawn with.
  SvgPainter measure(0, 0, "", "");
  const FigureLayout layout = LayOutFigure(request, measure);
  // The mark that tells a later save this file is ours to replace, then what
  // the figure shows.
  std::string description = kFigureMark;
  for (size_t i = 0; i < layout.charts.size(); ++i) {
    description += i == 0 ? " " : "、";
    description += layout.charts[i].chart.title;
  }
  SvgPainter painter(layout.width, layout.height, request.title, description);
  DrawFigure(layout, painter);
  return painter.Finish();
}

}  // namespace xsrating::figure

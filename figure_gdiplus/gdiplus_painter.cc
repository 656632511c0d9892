// SPDX-License-Identifier: GPL-3.0-or-later
#include "figure_gdiplus/gdiplus_painter.h"

// clang-format off
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
// clang-format on

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/base/encoding.h"
#include "core/output/own_files.h"
#include "figure/layout.h"
#include "figure_gdiplus/png_text_chunk.h"

namespace xsrating::figure {
namespace {

Status NoFontError() {
  return Status::Error(StatusKind::kUnavailable,
                       "系统中找不到可用的字体，图中的文字无法画出。");
}

// The faces Chinese Windows has, the clearer first.
constexpr const wchar_t* kFaces[] = {L"Microsoft YaHei", L"SimSun", L"SimHei"};

Gdiplus::Color ToGdiplus(Color c) {
  return Gdiplus::Color(c.alpha, c.red, c.green, c.blue);
}

Gdiplus::PointF ToGdiplus(Point p) {
  return Gdiplus::PointF(static_cast<Gdiplus::REAL>(p.x),
                         static_cast<Gdiplus::REAL>(p.y));
}

std::vector<Gdiplus::PointF> ToGdiplus(std::span<const Point> points) {
  std::vector<Gdiplus::PointF> out;
  out.reserve(points.size());
  for (const Point& p : points) out.push_back(ToGdiplus(p));
  return out;
}

// A pen of the layout's: its dashes are in widths, as GDI+'s patterns are.
// Flat caps, so that a dash is as long as the pattern says; round joins, so
// that a curve's corners do not spike.
std::unique_ptr<Gdiplus::Pen> MakePen(const Pen& pen) {
  auto out = std::make_unique<Gdiplus::Pen>(
      ToGdiplus(pen.color), static_cast<Gdiplus::REAL>(pen.width));
  out->SetLineJoin(Gdiplus::LineJoinRound);
  if (pen.dash == Dash::kDashed) {
    const Gdiplus::REAL pattern[] = {4, 2};
    out->SetDashPattern(pattern, 2);
  } else if (pen.dash == Dash::kDotted) {
    const Gdiplus::REAL pattern[] = {1, 2};
    out->SetDashPattern(pattern, 2);
  }
  return out;
}

int FontStyle(const Font& font) {
  return font.bold ? Gdiplus::FontStyleBold : Gdiplus::FontStyleRegular;
}

// Typographic measuring: no padding around the text, trailing spaces count,
// one line whatever its length.
std::unique_ptr<Gdiplus::StringFormat> MakeFormat() {
  std::unique_ptr<Gdiplus::StringFormat> format(
      Gdiplus::StringFormat::GenericTypographic()->Clone());
  format->SetFormatFlags(format->GetFormatFlags() |
                         Gdiplus::StringFormatFlagsMeasureTrailingSpaces |
                         Gdiplus::StringFormatFlagsNoWrap);
  return format;
}

// The ascent and descent of `font` in units, from its face's design metrics.
struct VerticalMetrics {
  double ascent = 0;
  double descent = 0;
};

VerticalMetrics MetricsOf(const Gdiplus::FontFamily& family, const Font& font) {
  const int style = FontStyle(font);
  const double em = family.GetEmHeight(style);
  if (em <= 0) return {font.size * 0.8, font.size * 0.2};
  return {font.size * family.GetCellAscent(style) / em,
          font.size * family.GetCellDescent(style) / em};
}

// Whether the face `name` has a glyph for the Chinese character 水: GDI+ on
// its own does not fall back to another face for a character its face
// lacks, and would draw boxes.
bool HasChineseGlyphs(const wchar_t* name) {
  HDC dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) return false;
  HFONT font =
      CreateFontW(-20, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                  DEFAULT_PITCH, name);
  bool has = false;
  if (font != nullptr) {
    HGDIOBJ previous = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    WORD glyph = 0xFFFF;
    // GDI maps an unknown name onto another face: only the face itself
    // counts.
    has = GetTextFaceW(dc, LF_FACESIZE, face) > 0 &&
          _wcsicmp(face, name) == 0 &&
          GetGlyphIndicesW(dc, L"\x6C34", 1, &glyph,
                           GGI_MARK_NONEXISTING_GLYPHS) == 1 &&
          glyph != 0xFFFF;
    SelectObject(dc, previous);
    DeleteObject(font);
  }
  DeleteDC(dc);
  return has;
}

// The first of kFaces the system has; else the first installed face with
// Chinese characters (a Windows in another language, or Wine); else GDI+'s
// own sans-serif; else the first face installed at all; none when there is
// no font at all.
std::unique_ptr<Gdiplus::FontFamily> FindFamily() {
  for (const wchar_t* face : kFaces) {
    auto family = std::make_unique<Gdiplus::FontFamily>(face);
    if (family->GetLastStatus() == Gdiplus::Ok && family->IsAvailable()) {
      return family;
    }
  }
  const Gdiplus::InstalledFontCollection installed;
  const INT count = installed.GetFamilyCount();
  std::vector<Gdiplus::FontFamily> families(std::max(count, 0));
  INT found = 0;
  if (count > 0) installed.GetFamilies(count, families.data(), &found);
  for (INT i = 0; i < found; ++i) {
    wchar_t name[LF_FACESIZE] = {};
    if (families[i].IsAvailable() &&
        families[i].GetFamilyName(name) == Gdiplus::Ok &&
        HasChineseGlyphs(name)) {
      return std::unique_ptr<Gdiplus::FontFamily>(families[i].Clone());
    }
  }
  if (const Gdiplus::FontFamily* generic =
          Gdiplus::FontFamily::GenericSansSerif();
      generic != nullptr && generic->IsAvailable()) {
    return std::unique_ptr<Gdiplus::FontFamily>(generic->Clone());
  }
  for (INT i = 0; i < found; ++i) {
    if (families[i].IsAvailable()) {
      return std::unique_ptr<Gdiplus::FontFamily>(families[i].Clone());
    }
  }
  return nullptr;
}

}  // namespace

Status StartGdiplus() {
  static const Status started = [] {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
      return Status::Error(StatusKind::kUnavailable,
                           "Windows 的绘图组件 GDI+（gdiplus.dll）无法启动，"
                           "不能画图。");
    }
    return Status::Ok();
  }();
  return started;
}

GdiplusPainter::GdiplusPainter(Gdiplus::Graphics* graphics, double scale)
    : graphics_(graphics) {
  graphics_->SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  graphics_->SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
  graphics_->SetPageUnit(Gdiplus::UnitPixel);
  // Pixel centres on the half units, as in SVG, so that a 1-unit line on an
  // integer coordinate covers one pixel column instead of two halves.
  graphics_->SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
  graphics_->ResetTransform();
  graphics_->ScaleTransform(static_cast<Gdiplus::REAL>(scale),
                            static_cast<Gdiplus::REAL>(scale));
  family_ = FindFamily();
}

GdiplusPainter::~GdiplusPainter() {
  // A clip left pushed would outlive the painter on a caller's graphics.
  while (!saved_states_.empty()) PopClip();
}

std::string GdiplusPainter::FaceName() const {
  if (family_ == nullptr) return "";
  wchar_t name[LF_FACESIZE] = {};
  family_->GetFamilyName(name);
  return Utf16ToUtf8(name);
}

double GdiplusPainter::TextWidth(std::string_view text, const Font& font) {
  if (text.empty()) return 0;
  if (family_ == nullptr) {
    missing_text_ = true;
    return 0;
  }
  const std::wstring wide = Utf8ToUtf16(text);
  const Gdiplus::Font gdi_font(family_.get(),
                               static_cast<Gdiplus::REAL>(font.size),
                               FontStyle(font), Gdiplus::UnitPixel);
  const auto format = MakeFormat();
  Gdiplus::RectF bounds;
  graphics_->MeasureString(wide.c_str(), static_cast<INT>(wide.size()),
                           &gdi_font, Gdiplus::PointF(0, 0), format.get(),
                           &bounds);
  return bounds.Width;
}

double GdiplusPainter::LineHeight(const Font& font) {
  if (family_ == nullptr) {
    missing_text_ = true;
    return font.size;
  }
  const VerticalMetrics metrics = MetricsOf(*family_, font);
  return metrics.ascent + metrics.descent;
}

void GdiplusPainter::Line(Point from, Point to, const Pen& pen) {
  graphics_->DrawLine(MakePen(pen).get(), ToGdiplus(from), ToGdiplus(to));
}

void GdiplusPainter::Polyline(std::span<const Point> points, const Pen& pen) {
  if (points.size() < 2) return;
  const std::vector<Gdiplus::PointF> gdi_points = ToGdiplus(points);
  graphics_->DrawLines(MakePen(pen).get(), gdi_points.data(),
                       static_cast<INT>(gdi_points.size()));
}

void GdiplusPainter::Polygon(std::span<const Point> points, Color fill,
                             const Pen* outline) {
  if (points.size() < 2) return;
  const std::vector<Gdiplus::PointF> gdi_points = ToGdiplus(points);
  const INT count = static_cast<INT>(gdi_points.size());
  if (fill.alpha != 0) {
    const Gdiplus::SolidBrush brush(ToGdiplus(fill));
    graphics_->FillPolygon(&brush, gdi_points.data(), count);
  }
  if (outline != nullptr) {
    graphics_->DrawPolygon(MakePen(*outline).get(), gdi_points.data(), count);
  }
}

void GdiplusPainter::Marker(Point at, MarkerShape shape, double size,
                            const Pen& pen, Color fill) {
  const double r = size / 2;
  if (shape == MarkerShape::kCircle) {
    const Gdiplus::RectF box(static_cast<Gdiplus::REAL>(at.x - r),
                             static_cast<Gdiplus::REAL>(at.y - r),
                             static_cast<Gdiplus::REAL>(size),
                             static_cast<Gdiplus::REAL>(size));
    if (fill.alpha != 0) {
      const Gdiplus::SolidBrush brush(ToGdiplus(fill));
      graphics_->FillEllipse(&brush, box);
    }
    graphics_->DrawEllipse(MakePen(pen).get(), box);
    return;
  }
  std::vector<Point> corners;
  switch (shape) {
    case MarkerShape::kSquare:
      corners = {{at.x - r, at.y - r},
                 {at.x + r, at.y - r},
                 {at.x + r, at.y + r},
                 {at.x - r, at.y + r}};
      break;
    case MarkerShape::kTriangle:
      corners = {{at.x, at.y - r}, {at.x + r, at.y + r}, {at.x - r, at.y + r}};
      break;
    case MarkerShape::kDiamond:
      corners = {{at.x, at.y - r},
                 {at.x + r, at.y},
                 {at.x, at.y + r},
                 {at.x - r, at.y}};
      break;
    case MarkerShape::kCircle:
      break;
  }
  Polygon(corners, fill, &pen);
}

void GdiplusPainter::Text(Point at, std::string_view text, const Font& font,
                          Color color, HorizontalAnchor horizontal,
                          VerticalAnchor vertical, double rotation) {
  if (text.empty()) return;
  if (family_ == nullptr) {
    missing_text_ = true;
    return;
  }
  const double width = TextWidth(text, font);
  const VerticalMetrics metrics = MetricsOf(*family_, font);
  double dx = 0;
  if (horizontal == HorizontalAnchor::kCenter) dx = -width / 2;
  if (horizontal == HorizontalAnchor::kRight) dx = -width;
  // DrawString puts the top of the line box (the ascent above the baseline)
  // at the origin.
  double dy = 0;
  switch (vertical) {
    case VerticalAnchor::kTop:
      break;
    case VerticalAnchor::kMiddle:
      dy = -(metrics.ascent + metrics.descent) / 2;
      break;
    case VerticalAnchor::kBaseline:
      dy = -metrics.ascent;
      break;
    case VerticalAnchor::kBottom:
      dy = -(metrics.ascent + metrics.descent);
      break;
  }
  const std::wstring wide = Utf8ToUtf16(text);
  const Gdiplus::Font gdi_font(family_.get(),
                               static_cast<Gdiplus::REAL>(font.size),
                               FontStyle(font), Gdiplus::UnitPixel);
  const auto format = MakeFormat();
  const Gdiplus::SolidBrush brush(ToGdiplus(color));
  const Gdiplus::GraphicsState state = graphics_->Save();
  graphics_->TranslateTransform(static_cast<Gdiplus::REAL>(at.x),
                                static_cast<Gdiplus::REAL>(at.y));
  // GDI+ turns clockwise on a screen, whose y grows downwards.
  if (rotation != 0) {
    graphics_->RotateTransform(static_cast<Gdiplus::REAL>(-rotation));
  }
  graphics_->DrawString(wide.c_str(), static_cast<INT>(wide.size()), &gdi_font,
                        Gdiplus::PointF(static_cast<Gdiplus::REAL>(dx),
                                        static_cast<Gdiplus::REAL>(dy)),
                        format.get(), &brush);
  graphics_->Restore(state);
}

void GdiplusPainter::PushClip(const Rect& rect) {
  saved_states_.push_back(graphics_->Save());
  graphics_->IntersectClip(Gdiplus::RectF(
      static_cast<Gdiplus::REAL>(rect.x), static_cast<Gdiplus::REAL>(rect.y),
      static_cast<Gdiplus::REAL>(rect.width),
      static_cast<Gdiplus::REAL>(rect.height)));
}

void GdiplusPainter::PopClip() {
  if (saved_states_.empty()) return;
  graphics_->Restore(saved_states_.back());
  saved_states_.pop_back();
}

namespace {

// The class id of GDI+'s PNG encoder, or none.
bool FindPngEncoder(CLSID* clsid) {
  UINT count = 0;
  UINT bytes = 0;
  if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok ||
      bytes == 0) {
    return false;
  }
  std::vector<unsigned char> buffer(bytes);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) {
    return false;
  }
  for (UINT i = 0; i < count; ++i) {
    if (codecs[i].MimeType != nullptr &&
        std::wcscmp(codecs[i].MimeType, L"image/png") == 0) {
      *clsid = codecs[i].Clsid;
      return true;
    }
  }
  return false;
}

// The bitmap encoded as PNG through a stream in memory.
Status EncodePng(Gdiplus::Bitmap* bitmap, std::string* png) {
  const Status failed = Status::Error(
      StatusKind::kUnavailable, "Windows 的绘图组件 GDI+ 无法把图编码为 PNG。");
  CLSID encoder;
  if (!FindPngEncoder(&encoder)) return failed;
  IStream* stream = nullptr;
  if (CreateStreamOnHGlobal(nullptr, TRUE, &stream) != S_OK) return failed;
  Status status = failed;
  HGLOBAL memory = nullptr;
  if (bitmap->Save(stream, &encoder, nullptr) == Gdiplus::Ok &&
      GetHGlobalFromStream(stream, &memory) == S_OK) {
    STATSTG stat = {};
    const void* data = GlobalLock(memory);
    if (data != nullptr && stream->Stat(&stat, STATFLAG_NONAME) == S_OK) {
      png->assign(static_cast<const char*>(data),
                  static_cast<size_t>(stat.cbSize.QuadPart));
      status = Status::Ok();
    }
    if (data != nullptr) GlobalUnlock(memory);
  }
  stream->Release();
  return status;
}

}  // namespace

Status RenderPng(double width, double height, double scale,
                 const std::function<void(Painter&)>& draw, std::string* png) {
  if (Status s = StartGdiplus(); !s.ok()) return s;
  const double pixels_wide = std::ceil(width * scale);
  const double pixels_high = std::ceil(height * scale);
  // GDI+ bitmaps are limited by memory and by INT sizes; a figure is at most
  // a few thousand pixels a side.
  constexpr double kMaxSide = 20000;
  if (!(pixels_wide >= 1 && pixels_high >= 1 && pixels_wide <= kMaxSide &&
        pixels_high <= kMaxSide)) {
    return Status::Error(
        StatusKind::kUnavailable,
        "图的大小不合适（每边应为 1 到 20000 像素），无法画图。");
  }
  Gdiplus::Bitmap bitmap(static_cast<INT>(pixels_wide),
                         static_cast<INT>(pixels_high), PixelFormat32bppARGB);
  if (bitmap.GetLastStatus() != Gdiplus::Ok) {
    return Status::Error(StatusKind::kUnavailable,
                         "内存不足，无法为图建立位图。");
  }
  bitmap.SetResolution(static_cast<Gdiplus::REAL>(96 * scale),
                       static_cast<Gdiplus::REAL>(96 * scale));
  {
    Gdiplus::Graphics graphics(&bitmap);
    graphics.Clear(Gdiplus::Color(255, 255, 255, 255));
    GdiplusPainter painter(&graphics, scale);
    draw(painter);
    if (painter.missing_text()) {
      return NoFontError();
    }
  }
  std::string encoded;
  if (Status s = EncodePng(&bitmap, &encoded); !s.ok()) return s;
  if (Status s = AddPngTextChunk(kFigurePngKeyword, kFigureMark, &encoded);
      !s.ok()) {
    return s;
  }
  *png = std::move(encoded);
  return Status::Ok();
}

Status FigurePng(const FigureRequest& request, std::string* png) {
  if (Status s = StartGdiplus(); !s.ok()) return s;
  // Laid out with the fonts it is drawn in, measured on a scratch bitmap:
  // the page's size does not depend on its texts.
  FigureLayout layout;
  bool missing_text = false;
  {
    Gdiplus::Bitmap scratch(1, 1, PixelFormat32bppARGB);
    Gdiplus::Graphics graphics(&scratch);
    GdiplusPainter measure(&graphics, 1);
    layout = LayOutFigure(request, measure);
    missing_text = measure.missing_text();
  }
  if (missing_text) {
    return NoFontError();
  }
  return RenderPng(
      layout.width, layout.height, 1,
      [&layout](Painter& painter) { DrawFigure(layout, painter); }, png);
}

}  // namespace xsrating::figure

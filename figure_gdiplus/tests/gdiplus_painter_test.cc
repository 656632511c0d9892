// SPDX-License-Identifier: GPL-3.0-or-later
// The GDI+ painter draws into PNGs that are decoded again and looked at:
// where ink fell, and where none did.
#include "figure_gdiplus/gdiplus_painter.h"

// clang-format off
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
// clang-format on

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/base/file_io.h"
#include "core/output/own_files.h"

namespace xsrating::figure {
namespace {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<Gdiplus::ARGB> pixels;  // Row by row.
  Gdiplus::ARGB At(int x, int y) const { return pixels[y * width + x]; }
  // Darker than a light antialiasing fringe.
  bool Inked(int x, int y) const {
    const Gdiplus::ARGB p = At(x, y);
    const int sum = ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
    return sum < 3 * 255 - 150;
  }
};

// Decoded with GDI+'s own PNG decoder, through a stream in memory.
Image Decode(const std::string& png) {
  Image image;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, png.size());
  std::memcpy(GlobalLock(memory), png.data(), png.size());
  GlobalUnlock(memory);
  IStream* stream = nullptr;
  if (CreateStreamOnHGlobal(memory, TRUE, &stream) != S_OK) return image;
  {
    Gdiplus::Bitmap bitmap(stream);
    if (bitmap.GetLastStatus() == Gdiplus::Ok) {
      image.width = static_cast<int>(bitmap.GetWidth());
      image.height = static_cast<int>(bitmap.GetHeight());
      for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
          Gdiplus::Color color;
          bitmap.GetPixel(x, y, &color);
          image.pixels.push_back(color.GetValue());
        }
      }
    }
  }
  stream->Release();
  return image;
}

Image Draw(double width, double height, double scale,
           const std::function<void(Painter&)>& draw) {
  std::string png;
  const Status status = RenderPng(width, height, scale, draw, &png);
  EXPECT_TRUE(status.ok()) << status.message();
  return Decode(png);
}

// The smallest box of pixels holding all ink: x, y, right, bottom (pixels,
// right and bottom exclusive); all 0 when nothing is inked.
struct InkBox {
  int x = 0, y = 0, right = 0, bottom = 0;
};

InkBox FindInk(const Image& image) {
  InkBox box{image.width, image.height, 0, 0};
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (!image.Inked(x, y)) continue;
      box.x = std::min(box.x, x);
      box.y = std::min(box.y, y);
      box.right = std::max(box.right, x + 1);
      box.bottom = std::max(box.bottom, y + 1);
    }
  }
  if (box.right == 0) return {};
  return box;
}

const Pen kBlack{.color = {0, 0, 0}, .width = 2};
const Font kFont{.size = 20};

class GdiplusPainterTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(StartGdiplus().ok()); }
};

TEST_F(GdiplusPainterTest, ThePngHasTheSizeAndTheMarkOfOurFigures) {
  struct Case {
    double width, height, scale;
    int pixels_wide, pixels_high;
  };
  for (const Case& c :
       {Case{200, 100, 1, 200, 100}, Case{200, 100, 1.5, 300, 150},
        Case{100.2, 50, 1, 101, 50}}) {
    std::string png;
    ASSERT_TRUE(RenderPng(
                    c.width, c.height, c.scale, [](Painter&) {}, &png)
                    .ok());
    EXPECT_TRUE(IsOwnFile(OwnFile::kFigure, png.substr(0, kOpeningBytes)));
    const Image image = Decode(png);
    EXPECT_EQ(image.width, c.pixels_wide);
    EXPECT_EQ(image.height, c.pixels_high);
    EXPECT_EQ(FindInk(image).right, 0) << "an empty figure is white";
  }
}

TEST_F(GdiplusPainterTest, ASizeNoBitmapCanHaveFailsAndLeavesThePng) {
  for (const double side : {0.0, -5.0, 1e6}) {
    std::string png = "earlier";
    EXPECT_FALSE(RenderPng(
                     side, 100, 1, [](Painter&) {}, &png)
                     .ok())
        << side;
    EXPECT_EQ(png, "earlier");
  }
}

TEST_F(GdiplusPainterTest, LinesAndShapesFallWhereTheUnitsSayAtEachScale) {
  struct Case {
    const char* name;
    double scale;
    std::function<void(Painter&)> draw;
    InkBox expected;  // In pixels.
  };
  const Case cases[] = {
      {"line",
       1,
       [](Painter& p) {
         p.Line({10, 20}, {90, 20}, kBlack);
       },
       {10, 19, 90, 21}},
      {"line at 1.5",
       1.5,
       [](Painter& p) {
         p.Line({10, 20}, {90, 20}, kBlack);
       },
       {15, 28, 135, 32}},
      {"polygon filled, no outline",
       1,
       [](Painter& p) {
         const Point square[] = {{20, 10}, {60, 10}, {60, 50}, {20, 50}};
         p.Polygon(square, {0, 0, 255}, nullptr);
       },
       {20, 10, 60, 50}},
      {"clip cuts a larger polygon",
       1,
       [](Painter& p) {
         const Point all[] = {{0, 0}, {200, 0}, {200, 100}, {0, 100}};
         p.PushClip({30, 20, 40, 30});
         p.Polygon(all, {0, 128, 0}, nullptr);
         p.PopClip();
       },
       {30, 20, 70, 50}},
      {"nested clips intersect",
       1,
       [](Painter& p) {
         const Point all[] = {{0, 0}, {200, 0}, {200, 100}, {0, 100}};
         p.PushClip({30, 20, 40, 30});
         p.PushClip({50, 0, 100, 40});
         p.Polygon(all, {0, 128, 0}, nullptr);
         p.PopClip();
         p.PopClip();
       },
       {50, 20, 70, 40}},
      {"a popped clip limits no more",
       1,
       [](Painter& p) {
         p.PushClip({0, 0, 10, 10});
         p.PopClip();
         p.Line({100, 60}, {150, 60}, kBlack);
       },
       {100, 59, 150, 61}},
      {"one point of a polyline draws nothing",
       1,
       [](Painter& p) {
         const Point one[] = {{50, 50}};
         p.Polyline(one, kBlack);
       },
       {}},
  };
  for (const Case& c : cases) {
    const InkBox ink = FindInk(Draw(200, 100, c.scale, c.draw));
    EXPECT_NEAR(ink.x, c.expected.x, 1) << c.name;
    EXPECT_NEAR(ink.y, c.expected.y, 1) << c.name;
    EXPECT_NEAR(ink.right, c.expected.right, 1) << c.name;
    EXPECT_NEAR(ink.bottom, c.expected.bottom, 1) << c.name;
  }
}

// The runs of ink along row `y`.
int RunsAlong(const Image& image, int y) {
  int runs = 0;
  bool inked = false;
  for (int x = 0; x < image.width; ++x) {
    if (image.Inked(x, y) && !inked) ++runs;
    inked = image.Inked(x, y);
  }
  return runs;
}

TEST_F(GdiplusPainterTest, DashesFollowTheirPatternInPenWidths) {
  struct Case {
    Dash dash;
    int runs;  // Along 120 units with a pen 2 wide.
  };
  // Dashes of 8 and gaps of 4; dots of 2 and gaps of 4.
  for (const Case& c : {Case{Dash::kSolid, 1}, Case{Dash::kDashed, 10},
                        Case{Dash::kDotted, 20}}) {
    const Pen pen{.color = {0, 0, 0}, .width = 2, .dash = c.dash};
    const Image image = Draw(140, 20, 1, [&](Painter& p) {
      p.Line({10, 10}, {130, 10}, pen);
    });
    EXPECT_NEAR(RunsAlong(image, 10), c.runs, 1) << static_cast<int>(c.dash);
  }
}

TEST_F(GdiplusPainterTest, MarkersAreFilledOrHollowAndAsLargeAsAsked) {
  const MarkerShape shapes[] = {MarkerShape::kCircle, MarkerShape::kSquare,
                                MarkerShape::kTriangle, MarkerShape::kDiamond};
  for (const MarkerShape shape : shapes) {
    for (const bool filled : {true, false}) {
      const Pen pen{.color = {200, 0, 0}, .width = 1.5};
      const Color fill = filled ? Color{200, 0, 0} : Color{0, 0, 0, 0};
      const Image image = Draw(60, 60, 1, [&](Painter& p) {
        p.Marker({30, 32}, shape, 24, pen, fill);
      });
      const InkBox ink = FindInk(image);
      const int name = static_cast<int>(shape) * 2 + filled;
      EXPECT_NEAR(ink.right - ink.x, 24, 2) << name;
      EXPECT_NEAR(ink.bottom - ink.y, 24, 2) << name;
      EXPECT_EQ(image.Inked(30, 34), filled) << name;
    }
  }
}

TEST_F(GdiplusPainterTest, TextIsMeasuredInUnits) {
  Gdiplus::Bitmap bitmap(10, 10, PixelFormat32bppARGB);
  Gdiplus::Graphics graphics(&bitmap);
  for (const double scale : {1.0, 2.0}) {
    GdiplusPainter painter(&graphics, scale);
    SCOPED_TRACE("face " + painter.FaceName());
    const double one = painter.TextWidth("水位", kFont);
    EXPECT_NEAR(one, 40, 4) << "a CJK character is about an em wide";
    EXPECT_NEAR(painter.TextWidth("水位水位", kFont), 2 * one, 1);
    EXPECT_EQ(painter.TextWidth("", kFont), 0);
    EXPECT_GT(painter.TextWidth("Q 1", kFont), painter.TextWidth("Q1", kFont));
    EXPECT_GE(painter.LineHeight(kFont), 20);
    EXPECT_LE(painter.LineHeight(kFont), 32);
  }
}

TEST_F(GdiplusPainterTest, TextLiesOnItsSideOfTheAnchor) {
  using H = HorizontalAnchor;
  using V = VerticalAnchor;
  struct Case {
    H horizontal;
    V vertical;
    double rotation;
    // Where the ink must lie from the anchor (100, 100): -1 before (left of
    // or above it), 1 after, 0 across it.
    int side_x, side_y;
  };
  const Case cases[] = {
      {H::kLeft, V::kTop, 0, 1, 1},       {H::kRight, V::kBottom, 0, -1, -1},
      {H::kCenter, V::kMiddle, 0, 0, 0},  {H::kLeft, V::kBaseline, 0, 1, -1},
      {H::kRight, V::kTop, 90, 1, 1},     {H::kLeft, V::kBottom, 90, -1, -1},
      {H::kCenter, V::kMiddle, 90, 0, 0},
  };
  for (const Case& c : cases) {
    std::string png;
    ASSERT_TRUE(RenderPng(
                    200, 200, 1,
                    [&](Painter& p) {
                      p.Text({100, 100}, "水位流量", kFont, {0, 0, 0},
                             c.horizontal, c.vertical, c.rotation);
                    },
                    &png)
                    .ok());
    if (const char* folder = std::getenv("XSRATING_TEST_ARTIFACTS")) {
      std::ofstream(
          std::string(folder) + "/text" + std::to_string(&c - cases) + ".png",
          std::ios::binary)
          << png;
    }
    const Image image = Decode(png);
    const InkBox ink = FindInk(image);
    const std::string name = std::to_string(static_cast<int>(c.horizontal)) +
                             "," +
                             std::to_string(static_cast<int>(c.vertical)) +
                             " turned " + std::to_string(c.rotation);
    ASSERT_GT(ink.right, 0) << name;
    const int ax = 100, ay = 100;
    // Glyphs keep a little side bearing inside their box: 3 pixels' slack.
    const auto expect_side = [&](int low, int high, int anchor, int side,
                                 const char* axis) {
      if (side > 0) {
        EXPECT_GE(low, anchor - 3) << name << " " << axis;
      }
      if (side < 0) {
        EXPECT_LE(high, anchor + 3) << name << " " << axis;
      }
      if (side == 0) {
        EXPECT_LT(low, anchor) << name << " " << axis;
        EXPECT_GT(high, anchor) << name << " " << axis;
        EXPECT_NEAR((low + high) / 2.0, anchor, 4) << name << " " << axis;
      }
    };
    expect_side(ink.x, ink.right, ax, c.side_x, "x");
    expect_side(ink.y, ink.bottom, ay, c.side_y, "y");
    // Four characters across, one line high: turned, the other way round.
    const int along = c.rotation == 0 ? ink.right - ink.x : ink.bottom - ink.y;
    const int across = c.rotation == 0 ? ink.bottom - ink.y : ink.right - ink.x;
    EXPECT_GT(along, 3 * across) << name;
  }
}

}  // namespace
}  // namespace xsrating::figure

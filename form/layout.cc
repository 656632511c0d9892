// SPDX-License-Identifier: GPL-3.0-or-later
#include "form/layout.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace xsrating {
namespace {

constexpr ControlKind kLabel = ControlKind::kLabel;
constexpr ControlKind kButton = ControlKind::kButton;
constexpr ControlKind kTextBox = ControlKind::kTextBox;
constexpr Typeface kSong = Typeface::kSongTi;
constexpr Typeface kList = Typeface::kSongTiForLists;

// The help button has the window's own font.
constexpr ControlLayout kControls[] = {
    {"Label5",
     kLabel,
     "河道断面水位流量关系计算",
     {1680, 360, 11775, 975},
     Typeface::kHuaWenHuPo,
     42,
     false,
     true,
     false,
     12},
    {"Label1",
     kLabel,
     "选择地形数据文件:",
     {2880, 3000, 2775, 495},
     kSong,
     15,
     true,
     false,
     false,
     1},
    {"Command3",
     kButton,
     "请看地形文件格式帮助",
     {5520, 2880, 2655, 495},
     kSong,
     kFormFontPoints,
     false,
     false,
     false,
     15},
    {"Drive1",
     ControlKind::kDriveList,
     "",
     {3240, 3600, 2295, 300},
     kList,
     9,
     false,
     false,
     false,
     3},
    {"Dir1",
     ControlKind::kFolderList,
     "",
     {3240, 4080, 2295, 2820},
     kList,
     9,
     false,
     false,
     false,
     0},
    {"File1",
     ControlKind::kFileList,
     "",
     {5880, 3600, 2655, 3330},
     kList,
     9,
     false,
     false,
     false,
     2},
    {"Label2",
     kLabel,
     " 糙率",
     {9120, 3720, 855, 495},
     kSong,
     14.25,
     false,
     false,
     false,
     4},
    {"Text1",
     kTextBox,
     "",
     {10200, 3600, 1215, 495},
     kSong,
     9,
     false,
     false,
     false,
     6},
    {"Label3",
     kLabel,
     " 比降",
     {9120, 4560, 855, 495},
     kSong,
     14.25,
     false,
     false,
     false,
     5},
    {"Text2",
     kTextBox,
     "",
     {10200, 4440, 1215, 495},
     kSong,
     9,
     false,
     false,
     false,
     7},
    {"Label4",
     kLabel,
     "水位流量关系曲线点子数量",
     {9120, 5280, 855, 735},
     kSong,
     10.5,
     false,
     false,
     true,
     10},
    {"Text3",
     kTextBox,
     "",
     {10200, 5280, 1215, 495},
     kSong,
     9,
     false,
     false,
     false,
     11},
    {"Command1",
     kButton,
     "开始",
     {9120, 6240, 975, 615},
     kSong,
     9,
     false,
     false,
     false,
     8},
    {"Command2",
     kButton,
     "结束",
     {10320, 6240, 1095, 615},
     kSong,
     9,
     false,
     false,
     false,
     9},
    {"Label6",
     kLabel,
     "计算前请仔细阅读说明文件。",
     {3240, 7680, 8415, 735},
     Typeface::kKaiTi,
     14.25,
     false,
     false,
     false,
     13},
    {kViewButtonName,
     kButton,
     "查看断面与曲线",
     {11640, 6240, 1815, 615},
     kSong,
     9,
     false,
     false,
     false,
     16},
    {kZonesButtonName,
     kButton,
     "分区糙率…",
     {11520, 3600, 1455, 495},
     kSong,
     9,
     false,
     false,
     false,
     17},
};

}  // namespace

std::span<const ControlLayout> FormControls() { return kControls; }

const ControlLayout* FindControl(std::string_view name) {
  for (const ControlLayout& control : kControls) {
    if (name == control.name) return &control;
  }
  return nullptr;
}

std::vector<const ControlLayout*> TabOrder() {
  std::vector<const ControlLayout*> order;
  for (const ControlLayout& control : kControls) {
    if (control.kind != ControlKind::kLabel) order.push_back(&control);
  }
  std::sort(order.begin(), order.end(),
            [](const ControlLayout* a, const ControlLayout* b) {
              return a->tab_index < b->tab_index;
            });
  return order;
}

int TwipsToPixels(int twips, int dpi) {
  // As MulDiv rounds: half a pixel and more goes up, on either side of 0.
  const int64_t product = int64_t{twips} * dpi;
  const int64_t half = product >= 0 ? 720 : -720;
  return static_cast<int>((product + half) / 1440);
}

}  // namespace xsrating

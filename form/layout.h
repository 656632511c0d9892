// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_FORM_LAYOUT_H_
#define XSRATING_FORM_LAYOUT_H_

// The window's controls as both windows lay them out: names, kinds, texts,
// places in twips (1/1440 inch), typefaces and focus order. Each window maps
// a kind to its toolkit's control and a typeface to its fonts.

#include <span>
#include <string_view>
#include <vector>

namespace xsrating {

// The client area, in twips.
inline constexpr int kFormWidthTwips = 14895;
inline constexpr int kFormHeightTwips = 8385;
// The window's default font: the Song face at this size.
inline constexpr double kFormFontPoints = 12;
// The viewer's button, which only a window with the viewer has.
inline constexpr char kViewButtonName[] = "Command4";
// The roughness zones' button, which only a window with the zones dialog has.
inline constexpr char kZonesButtonName[] = "Command5";

enum class ControlKind {
  kLabel,
  kButton,
  kTextBox,
  kDriveList,
  kFolderList,
  kFileList,
};

enum class Typeface {
  kSongTi,          // 宋体 (SimSun).
  kSongTiForLists,  // 宋体 in the lists; Linux picks a face with
                    // proportional Latin letters.
  kKaiTi,           // 楷体_GB2312, the brush face.
  kHuaWenHuPo,      // 华文琥珀, the banner's heavy display face.
};

struct TwipRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct ControlLayout {
  const char* name;  // "Command1": how windows and tests find the control.
  ControlKind kind;
  const char* text;  // Caption, UTF-8; empty for lists and boxes.
  TwipRect twips;    // From the client area's top-left corner.
  Typeface face;
  double points;
  bool underline;
  bool centred;  // Text centred across the control (the banner).
  bool wraps;    // Text wraps over the control's height (Label4).
  int tab_index;
};

// Every control in the order of creation: where two overlap, the later one
// lies above.
std::span<const ControlLayout> FormControls();

// The control named `name`; null when there is none.
const ControlLayout* FindControl(std::string_view name);

// The controls that take the focus (buttons, boxes and lists), by tab index.
std::vector<const ControlLayout*> TabOrder();

// `twips` in pixels at `dpi` dots per inch, rounded to the nearest pixel:
// 15 twips a pixel at 96.
int TwipsToPixels(int twips, int dpi);

}  // namespace xsrating

#endif  // XSRATING_FORM_LAYOUT_H_

// SPDX-License-Identifier: GPL-3.0-or-later
#include "form/format_help.h"

#include <string>

namespace xsrating {

std::string FormatHelpText() {
  static constexpr const char* kLines[] = {
      "txt格式，起点距、水位相间，数据之间用英文逗号或空格隔开。",
      "数据最后不能有逗号或空格。",
      "起点距由小到大，不可乱次序。",
      "地形数据中，两堤顶之间的河底高程不可大于两岸堤顶高程，否则，会有误差。",
      "地形数据应从一岸最高点到对岸最高点。"
      "堤顶最高处以外的起点距、高程数据应从地形文件中删去。",
      "计算的水位流量关系点子数目不能超过100个。",
      // Where the installation put the user guide.
      "使用中有问题请联系 本项目的问题跟踪系统；请先看使用说明："
#ifdef _WIN32
      "开始菜单中的“使用说明”，或程序文件夹里的 使用说明.html",
#else
      "/usr/share/doc/xsrating/使用说明.html",
#endif
  };
  std::string text;
  for (const char* line : kLines) {
    if (!text.empty()) text += '\r';
    text += line;
  }
  return text;
}

}  // namespace xsrating

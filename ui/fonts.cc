// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/fonts.h"

#include <QStringList>

namespace xsrating {
namespace {

QFont FontOf(const QStringList& families, double points) {
  QFont font;
  font.setFamilies(families);
  if (points > 0) font.setPointSizeF(points);
  return font;
}

}  // namespace

QFont InterfaceFont() {
  return FontOf({"Microsoft YaHei", "微软雅黑", "Noto Sans CJK SC",
                 "Source Han Sans SC", "WenQuanYi Micro Hei", "SimHei"},
                0);
}

QFont SongTi(double points) {
  return FontOf({"宋体", "SimSun", "AR PL UMing CN", "Noto Serif CJK SC"},
                points);
}

QFont SongTiForLists(double points) {
  return FontOf({"宋体", "SimSun", "Noto Serif CJK SC", "AR PL UMing CN"},
                points);
}

}  // namespace xsrating

// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuzz/reference_geometry.h"

#include <cmath>

namespace xsrating::hardening {

WettedGeometry ReferenceGeometry(const CrossSection& s,
                                 const std::vector<double>& levels) {
  WettedGeometry g;
  g.area.assign(levels.size(), 0);
  g.perimeter.assign(levels.size(), 0);
  g.top_width.assign(levels.size(), 0);
  for (size_t i = 0; i + 1 < s.points.size(); ++i) {
    const double x1 = s.points[i].distance, z1 = s.points[i].elevation;
    const double x2 = s.points[i + 1].distance, z2 = s.points[i + 1].elevation;
    for (size_t j = 0; j < levels.size(); ++j) {
      const double h = levels[j];
      double a = 0;
      if (z1 >= h && z2 < h) {
        const double xc = x2 - (h - z2) * ((x2 - x1) / (z1 - z2));
        a = (h - z2) * (x2 - xc) / 2;
        g.perimeter[j] +=
            std::sqrt((xc - x2) * (xc - x2) + (h - z2) * (h - z2));
        g.top_width[j] += x2 - xc;
      } else if (z1 < h && z2 < h) {
        a = ((2 * h - z1) - z2) / 2 * (x2 - x1);
        g.perimeter[j] +=
            std::sqrt((x1 - x2) * (x1 - x2) + (z1 - z2) * (z1 - z2));
        g.top_width[j] += x2 - x1;
      } else if (z1 < h && z2 >= h) {
        const double xc = x1 + (h - z1) * ((x2 - x1) / (z2 - z1));
        a = (h - z1) * (xc - x1) / 2;
        g.perimeter[j] +=
            std::sqrt((xc - x1) * (xc - x1) + (z1 - h) * (z1 - h));
        g.top_width[j] += xc - x1;
      }
      g.area[j] += a;
    }
  }
  return g;
}

}  // namespace xsrating::hardening

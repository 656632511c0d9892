// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/base/types.h"

#include <cmath>

namespace xsrating {

double RoundToHundredth(double value) {
  return std::floor(value * 100 + 0.5) / 100;
}

double TruncateToHundredth(double value) {
  return std::floor(value * 100) / 100;
}

}  // namespace xsrating

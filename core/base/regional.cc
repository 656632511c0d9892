// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/base/regional.h"

namespace xsrating {

char DecimalSeparator() { return '.'; }

}  // namespace xsrating

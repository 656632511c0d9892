// SPDX-License-Identifier: GPL-3.0-or-later
#include <windows.h>

#include "core/base/date_time.h"

namespace xsrating {

// From Windows itself: the C runtime's localtime() follows a TZ variable when
// one is set, which on Windows is read in a form of its own, so that a value
// meant for another system (TZ=Asia/Shanghai) would silently give UTC.
LocalDateTime CurrentLocalTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return LocalDateTime{now.wYear, now.wMonth,  now.wDay,
                       now.wHour, now.wMinute, now.wSecond};
}

}  // namespace xsrating

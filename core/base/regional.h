// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_BASE_REGIONAL_H_
#define XSRATING_CORE_BASE_REGIONAL_H_

// The number format of the system's regional settings. The values are those
// of a Simplified Chinese system; the window and the command line both go
// through this layer so they agree. Dates and times: core/base/date_time.h.

namespace xsrating {

// The decimal separator of the regional settings: '.'.
char DecimalSeparator();

}  // namespace xsrating

#endif  // XSRATING_CORE_BASE_REGIONAL_H_

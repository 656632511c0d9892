// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_FUZZ_REFERENCE_GEOMETRY_H_
#define XSRATING_FUZZ_REFERENCE_GEOMETRY_H_

// The wetted geometry of a section written down plainly, case by case for
// every segment and stage, as a reference for the fuzz checks and the unit
// tests. The library's version skips dry stages and shares work between
// stages; it must give the same bits.

#include <vector>

#include "core/base/types.h"
#include "core/hydraulics/stage_discharge.h"

namespace xsrating::hardening {

// Area, perimeter and top width at each of `levels`, summed in segment order.
WettedGeometry ReferenceGeometry(const CrossSection& section,
                                 const std::vector<double>& levels);

}  // namespace xsrating::hardening

#endif  // XSRATING_FUZZ_REFERENCE_GEOMETRY_H_

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_FIGURE_ABI_FIGURE_MODULE_ROWS_H_
#define XSRATING_FIGURE_ABI_FIGURE_MODULE_ROWS_H_

// The hydraulic table across the figure module's C boundary
// (figure_abi/figure_module.h), for both sides: one list of the fields that a
// row carries. Free of Qt.

#include <utility>

#include "core/hydraulic_table.h"
#include "figure_abi/figure_module.h"

namespace xsrating {

// Each field of HydraulicRow beside the same field of XsratingFigureRow.
inline constexpr std::pair<double HydraulicRow::*, double XsratingFigureRow::*>
    kFigureRowFields[] = {
        {&HydraulicRow::stage, &XsratingFigureRow::stage},
        {&HydraulicRow::area, &XsratingFigureRow::area},
        {&HydraulicRow::perimeter, &XsratingFigureRow::perimeter},
        {&HydraulicRow::hydraulic_radius, &XsratingFigureRow::hydraulic_radius},
        {&HydraulicRow::top_width, &XsratingFigureRow::top_width},
        {&HydraulicRow::mean_velocity, &XsratingFigureRow::mean_velocity},
        {&HydraulicRow::discharge, &XsratingFigureRow::discharge},
};

inline XsratingFigureRow ToFigureRow(const HydraulicRow& row) {
  XsratingFigureRow plain = {};
  for (const auto& [ours, theirs] : kFigureRowFields) plain.*theirs = row.*ours;
  return plain;
}

inline HydraulicRow FromFigureRow(const XsratingFigureRow& plain) {
  HydraulicRow row;
  for (const auto& [ours, theirs] : kFigureRowFields) row.*ours = plain.*theirs;
  return row;
}

}  // namespace xsrating

#endif  // XSRATING_FIGURE_ABI_FIGURE_MODULE_ROWS_H_

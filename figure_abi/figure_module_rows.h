// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_FIGURE_ABI_FIGURE_MODULE_ROWS_H_
#define XSRATING_FIGURE_ABI_FIGURE_MODULE_ROWS_H_

// The figure request (figure/figure_request.h) across the figure module's C
// boundary (figure_abi/figure_module.h), for both sides: one list of the
// fields that a row carries, and each conversion once. Free of Qt.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/calibration/rating_analysis.h"
#include "core/hydraulics/hydraulic_table.h"
#include "core/hydraulics/roughness_zones.h"
#include "figure/figure_request.h"
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

inline XsratingFigureZone ToFigureZone(const AppliedZone& zone) {
  return {.from = zone.from, .to = zone.to, .roughness = zone.roughness};
}

inline AppliedZone FromFigureZone(const XsratingFigureZone& zone) {
  return {.from = zone.from, .to = zone.to, .roughness = zone.roughness};
}

// Each GaugingUse beside its XSRATING_FIGURE_GAUGING_* value.
inline constexpr std::pair<GaugingUse, int> kFigureGaugingUses[] = {
    {GaugingUse::kUsable, XSRATING_FIGURE_GAUGING_USED},
    {GaugingUse::kAtOrBelowBed, XSRATING_FIGURE_GAUGING_AT_OR_BELOW_BED},
    {GaugingUse::kAboveCrest, XSRATING_FIGURE_GAUGING_ABOVE_CREST},
};

inline int ToPlainUse(GaugingUse use) {
  for (const auto& [ours, theirs] : kFigureGaugingUses) {
    if (ours == use) return theirs;
  }
  return XSRATING_FIGURE_GAUGING_USED;
}

// An unknown value is a gauging left out, so that nothing unknown is drawn as
// used.
inline GaugingUse FromPlainUse(int use) {
  for (const auto& [ours, theirs] : kFigureGaugingUses) {
    if (theirs == use) return ours;
  }
  return GaugingUse::kAboveCrest;
}

// A RatingAnalysis in the boundary's C types: `plain` points into the
// vectors, so the whole stays where it was made.
struct PlainRatingAnalysis {
  explicit PlainRatingAnalysis(const RatingAnalysis& analysis) {
    for (const GaugingResult& result : analysis.gaugings) {
      const GaugingFit fit = result.fit.value_or(GaugingFit());
      gaugings.push_back({
          .stage = result.gauging.stage,
          .discharge = result.gauging.discharge,
          .use = ToPlainUse(result.use),
          .roughness = fit.roughness,
          .calibrated_discharge = fit.calibrated_discharge,
          .deviation_percent = fit.deviation_percent,
      });
    }
    for (const CalibratedRow& row : analysis.rows) {
      rows.push_back({
          .stage = row.stage,
          .discharge = row.discharge,
          .calibrated_discharge = row.calibrated_discharge,
          .extrapolated = row.extrapolated ? 1 : 0,
      });
    }
    plain = {
        .gaugings = gaugings.data(),
        .gauging_count = gaugings.size(),
        .rows = rows.data(),
        .row_count = rows.size(),
        .calibrated_roughness = analysis.calibrated_roughness,
        .lowest_gauged_stage = analysis.lowest_gauged_stage,
        .highest_gauged_stage = analysis.highest_gauged_stage,
        .has_standard_error = analysis.standard_error_percent ? 1 : 0,
        .standard_error_percent = analysis.standard_error_percent.value_or(0),
    };
  }
  PlainRatingAnalysis(const PlainRatingAnalysis&) = delete;
  PlainRatingAnalysis& operator=(const PlainRatingAnalysis&) = delete;

  std::vector<XsratingFigureGauging> gaugings;
  std::vector<XsratingFigureCalibratedRow> rows;
  XsratingFigureAnalysis plain = {};
};

// The analysis as far as the boundary carries it: the figures that are not
// drawn (areas, the extension, the equations) are left unset. The arrays
// of `plain` must hold their counts.
inline RatingAnalysis FromPlainRatingAnalysis(
    const XsratingFigureAnalysis& plain) {
  RatingAnalysis analysis;
  for (size_t i = 0; i < plain.gauging_count; ++i) {
    const XsratingFigureGauging& g = plain.gaugings[i];
    GaugingResult result;
    result.gauging = {.stage = g.stage, .discharge = g.discharge};
    result.use = FromPlainUse(g.use);
    if (result.use == GaugingUse::kUsable) {
      ++analysis.usable_count;
      result.fit = GaugingFit{
          .roughness = g.roughness,
          .calibrated_discharge = g.calibrated_discharge,
          .deviation_percent = g.deviation_percent,
      };
    }
    analysis.gaugings.push_back(result);
  }
  for (size_t i = 0; i < plain.row_count; ++i) {
    const XsratingFigureCalibratedRow& row = plain.rows[i];
    analysis.rows.push_back({
        .stage = row.stage,
        .discharge = row.discharge,
        .calibrated_discharge = row.calibrated_discharge,
        .extrapolated = row.extrapolated != 0,
    });
  }
  analysis.calibrated_roughness = plain.calibrated_roughness;
  analysis.lowest_gauged_stage = plain.lowest_gauged_stage;
  analysis.highest_gauged_stage = plain.highest_gauged_stage;
  if (plain.has_standard_error != 0) {
    analysis.standard_error_percent = plain.standard_error_percent;
  }
  return analysis;
}

// A Hydrograph in the boundary's C types: `plain` points into the vectors.
struct PlainHydrograph {
  explicit PlainHydrograph(const figure::Hydrograph& hydrograph) {
    for (const figure::Hydrograph::Reading& r : hydrograph.readings) {
      readings.push_back(
          {.day = r.day, .stage = r.stage, .discharge = r.discharge});
    }
    for (const figure::Hydrograph::Day& d : hydrograph.days) {
      days.push_back({.day = d.day, .mean = d.mean});
    }
    plain = {
        .readings = readings.data(),
        .reading_count = readings.size(),
        .days = days.data(),
        .day_count = days.size(),
        .bed = hydrograph.bed,
        .bank_crest = hydrograph.bank_crest,
    };
  }
  PlainHydrograph(const PlainHydrograph&) = delete;
  PlainHydrograph& operator=(const PlainHydrograph&) = delete;

  std::vector<XsratingFigureReading> readings;
  std::vector<XsratingFigureDay> days;
  XsratingFigureHydrograph plain = {};
};

// The hydrograph `plain` carries; its arrays must hold their counts.
inline figure::Hydrograph FromPlainHydrograph(
    const XsratingFigureHydrograph& plain) {
  figure::Hydrograph hydrograph;
  for (size_t i = 0; i < plain.reading_count; ++i) {
    const XsratingFigureReading& r = plain.readings[i];
    hydrograph.readings.push_back(
        {.day = r.day, .stage = r.stage, .discharge = r.discharge});
  }
  for (size_t i = 0; i < plain.day_count; ++i) {
    hydrograph.days.push_back(
        {.day = plain.days[i].day, .mean = plain.days[i].mean});
  }
  hydrograph.bed = plain.bed;
  hydrograph.bank_crest = plain.bank_crest;
  return hydrograph;
}

// A figure request in the boundary's C types, to be drawn as `format` ("svg"
// or "png"): `plain` points into the members and into `request`, which must
// outlive it. Its context and callbacks are the caller's to set.
struct PlainFigureRequest {
  PlainFigureRequest(const figure::FigureRequest& request, const char* format) {
    for (const SectionPoint& p : request.section.points) {
      points.push_back({.distance = p.distance, .elevation = p.elevation});
    }
    for (const HydraulicRow& row : request.rows) {
      rows.push_back(ToFigureRow(row));
    }
    for (const AppliedZone& zone : request.zones) {
      zones.push_back(ToFigureZone(zone));
    }
    if (request.analysis) analysis.emplace(*request.analysis);
    if (request.hydrograph) hydrograph.emplace(*request.hydrograph);
    plain = {
        .points = points.data(),
        .point_count = points.size(),
        .rows = rows.data(),
        .row_count = rows.size(),
        .format = format,
        .title = request.title.c_str(),
        .heading = request.heading.c_str(),
        .analysis = analysis ? &analysis->plain : nullptr,
        .zones = zones.data(),
        .zone_count = zones.size(),
        .hydrograph = hydrograph ? &hydrograph->plain : nullptr,
        .context = nullptr,
        .write_figure = nullptr,
        .write_error = nullptr,
    };
  }
  PlainFigureRequest(const PlainFigureRequest&) = delete;
  PlainFigureRequest& operator=(const PlainFigureRequest&) = delete;

  std::vector<XsratingFigurePoint> points;
  std::vector<XsratingFigureRow> rows;
  std::vector<XsratingFigureZone> zones;
  std::optional<PlainRatingAnalysis> analysis;
  std::optional<PlainHydrograph> hydrograph;
  XsratingFigureRequest plain = {};
};

// The figure request `plain` carries; its arrays must hold their counts.
inline figure::FigureRequest FromPlainFigureRequest(
    const XsratingFigureRequest& plain) {
  figure::FigureRequest request;
  for (size_t i = 0; i < plain.point_count; ++i) {
    request.section.points.push_back(
        {plain.points[i].distance, plain.points[i].elevation});
  }
  for (size_t i = 0; i < plain.row_count; ++i) {
    request.rows.push_back(FromFigureRow(plain.rows[i]));
  }
  for (size_t i = 0; i < plain.zone_count; ++i) {
    request.zones.push_back(FromFigureZone(plain.zones[i]));
  }
  if (plain.analysis != nullptr) {
    request.analysis = FromPlainRatingAnalysis(*plain.analysis);
  }
  if (plain.hydrograph != nullptr) {
    request.hydrograph = FromPlainHydrograph(*plain.hydrograph);
  }
  if (plain.heading != nullptr) request.heading = plain.heading;
  if (plain.title != nullptr) request.title = plain.title;
  return request;
}

}  // namespace xsrating

#endif  // XSRATING_FIGURE_ABI_FIGURE_MODULE_ROWS_H_

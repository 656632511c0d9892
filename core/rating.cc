// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/rating.h"

#include <sstream>
#include <utility>

#include "core/cross_section.h"
#include "core/file_io.h"
#include "core/rating_csv.h"
#include "core/result_file.h"

namespace xsrating {

bool ExceedsStageLimit(double stage_count) { return stage_count > kMaxStages; }

double EffectiveStageCount(double stage_count) {
  return ExceedsStageLimit(stage_count) ? kFallbackStageCount : stage_count;
}

Status RateSection(CrossSection section, const RunParameters& params,
                   Rating* rating) {
  *rating = Rating();
  rating->section = std::move(section);
  rating->stage_count = EffectiveStageCount(params.stage_count);
  StageDischargeTable table;
  if (Status s =
          ComputeStageDischarge(rating->section, params.roughness,
                                params.slope_text, rating->stage_count, &table);
      !s.ok()) {
    return s;
  }
  rating->hydraulic_rows = HydraulicRows(table);
  rating->table = std::move(table);
  return Status::Ok();
}

Status ComputeRating(const RunParameters& params, Rating* rating) {
  CrossSection section;
  if (Status s = ReadCrossSection(params.data_file_path, &section); !s.ok()) {
    *rating = Rating();
    return s;
  }
  if (Status s = RateSection(std::move(section), params, rating); !s.ok()) {
    return s.Prefixed("地形文件“" + params.data_file_path + "”计算未完成：");
  }
  return Status::Ok();
}

std::string ResultFileBytes(const Rating& rating, const RunParameters& params,
                            const LocalDateTime& run_time) {
  const ResultHeader header = MakeResultHeader(
      params, static_cast<int>(rating.section.points.size()), run_time);
  std::ostringstream bytes;
  WriteResultFile(bytes, header, rating.table.rows);
  return bytes.str();
}

std::string RatingHeading(const RunParameters& params) {
  constexpr char kApart[] = "\u3000";
  return PathToUtf8(PathFromUtf8(params.data_file_path).stem()) + kApart +
         "糙率 n = " + CsvNumber(params.roughness) + kApart +
         "比降 S = " + params.slope_text;
}

}  // namespace xsrating

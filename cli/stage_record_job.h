// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CLI_STAGE_RECORD_JOB_H_
#define XSRATING_CLI_STAGE_RECORD_JOB_H_

// --stage-record: a stage record turned into discharges by the run's rating
// and written as the flow table beside the record.

#include <string>
#include <vector>

#include "core/date_time.h"
#include "core/input/stage_record.h"
#include "core/rating.h"
#include "core/rating_analysis.h"
#include "core/run.h"
#include "core/status.h"
#include "core/types.h"

namespace xsrating {

// How the warnings about a record are headed on standard error.
inline constexpr char kStageRecordWarningsTitle[] = "水位过程请核对：";

class StageRecordJob {
 public:
  // Reads and checks the stage record at `path` (absolute, UTF-8), before
  // the run writes anything: a bad record fails here, and nothing is
  // written. The message names the file.
  Status Read(const std::string& path);

  // After the run with `params` wrote its result file at `run_time`:
  // converts the record by `rating` (calibrated by `analysis` when it is not
  // null), saves the flow table beside the record (replacing only an
  // earlier one of ours), prints its path on standard output, and tells the
  // warnings through `sink`. Returns the first failure.
  Status Write(const RunParameters& params, const Rating& rating,
               const RatingAnalysis* analysis, const LocalDateTime& run_time,
               MessageSink& sink) const;

 private:
  std::string path_;
  std::vector<StageReading> readings_;
};

}  // namespace xsrating

#endif  // XSRATING_CLI_STAGE_RECORD_JOB_H_

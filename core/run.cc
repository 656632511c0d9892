// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/run.h"

#include <sstream>

#include "core/cross_section.h"
#include "core/file_io.h"
#include "core/result_file.h"
#include "core/stage_discharge.h"

namespace xsrating {

Status RunComputation(RunParameters& params, MessageSink& sink,
                      const RunHooks& hooks) {
  // Files are opened and closed inside the steps below, so nothing is left
  // open from an earlier run.
  if (params.stage_count > kMaxStages) {
    sink.ShowWarning(kStageGuardText, kStageGuardTitle);
    params.stage_count = kFallbackStageCount;
  }

  // The result's name comes from dropping the last four characters, which
  // for any other name could reach outside its folder.
  if (!params.data_file_path.empty() &&
      !HasTxtExtension(params.data_file_path)) {
    return Status::Error("地形文件“" + params.data_file_path +
                         "”的文件名不是以 .txt 结尾，请选择 .txt 地形文件。");
  }
  CrossSection section;
  if (Status s = ReadCrossSection(params.data_file_path, &section); !s.ok()) {
    return s;
  }
  const std::string result_path = ResultFilePath(params.data_file_path);

  // Every row is made and checked before the result file is touched, so a
  // failing run leaves an earlier result as it was.
  StageDischargeTable table;
  if (Status s =
          ComputeStageDischarge(section, params.roughness, params.slope_text,
                                params.stage_count, &table);
      !s.ok()) {
    return Status::Error("地形文件“" + params.data_file_path + "”计算未完成：" +
                         s.message());
  }

  const ResultHeader header =
      MakeResultHeader(params, static_cast<int>(section.points.size()),
                       hooks.now ? hooks.now() : CurrentLocalTime());
  std::ostringstream bytes;
  WriteResultFile(bytes, header, table.rows);
  const std::string contents = bytes.str();
  const Status saved = hooks.save ? hooks.save(result_path, contents)
                                  : SaveFileAtomically(result_path, contents);
  if (!saved.ok()) return saved;

  sink.ShowWarning(result_path, kResultSavedTitle);
  return Status::Ok();
}

}  // namespace xsrating

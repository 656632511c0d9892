// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/run.h"

#include "core/file_io.h"
#include "core/result_file.h"

namespace xsrating {
namespace {

Status NotAResultFileError(const std::string& path) {
  return Status::FileSystemError(
      "文件“" + path +
      "”已经存在，但它不是本程序的结果文件（第一行不是“计算时间:”），"
      "为免丢失其中的数据，没有改写它。请把它改名或移走后再计算。");
}

}  // namespace

Status RunComputation(RunParameters& params, MessageSink& sink,
                      const RunHooks& hooks, Rating* rating) {
  // Files are opened and closed inside the steps below, so nothing is left
  // open from an earlier run.
  if (ExceedsStageLimit(params.stage_count)) {
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

  // Every row is made and checked before the result file is touched, so a
  // failing run leaves an earlier result as it was.
  Rating own_rating;
  Rating& rated = rating != nullptr ? *rating : own_rating;
  if (Status s = ComputeRating(params, &rated); !s.ok()) return s;

  const std::string result_path = ResultFilePath(params.data_file_path);
  const std::string contents = ResultFileBytes(
      rated, params, hooks.now ? hooks.now() : CurrentLocalTime());
  SaveOptions options;
  // A survey or a note of the user's may carry the result's name; only a
  // file this program wrote is replaced.
  options.check_existing = [&result_path](std::string_view opening) {
    return StartsLikeResultFile(opening) ? Status::Ok()
                                         : NotAResultFileError(result_path);
  };
  const Status saved = hooks.save
                           ? hooks.save(result_path, contents, options)
                           : SaveFileAtomically(result_path, contents, options);
  if (!saved.ok()) return saved;

  sink.ShowResultPath(result_path);
  return Status::Ok();
}

}  // namespace xsrating

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/run/run.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <system_error>

#include "core/base/file_io.h"
#include "core/output/own_files.h"
#include "core/output/result_file.h"
#include "core/run/rating_warnings.h"

namespace xsrating {
namespace {

// One text for every spelling of a path that the file system takes to be
// the same file: links and ".." resolved as far as the path exists.
std::filesystem::path SameFileKey(const std::string& path) {
  const std::filesystem::path native = PathFromUtf8(path);
  std::error_code ec;
  std::filesystem::path key = std::filesystem::weakly_canonical(native, ec);
  if (ec) key = std::filesystem::absolute(native, ec).lexically_normal();
  return key;
}

// True when `path` is a regular file that begins as a result file does: an
// earlier result, which a run may replace even when it is named as a survey
// too (as "*.txt" names it).
bool IsEarlierResult(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  std::string opening(kOpeningBytes, '\0');
  in.read(opening.data(), static_cast<std::streamsize>(opening.size()));
  opening.resize(static_cast<size_t>(in.gcount()));
  return StartsLikeResultFile(opening);
}

bool HasCsvExtension(std::string_view path) {
  if (path.size() < 4) return false;
  std::string extension(path.substr(path.size() - 4));
  for (char& c : extension) c = c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
  return extension == ".csv";
}

// The result's name comes from dropping the last four characters, which for
// any other name than "*.txt" could reach outside its folder.
Status CheckSurveyName(const std::string& data_file_path) {
  if (data_file_path.empty() || HasTxtExtension(data_file_path)) {
    return Status::Ok();
  }
  const std::string named = "地形文件“" + data_file_path + "”";
  if (HasCsvExtension(data_file_path)) {
    // Saved from a spreadsheet: the numbers are often right already.
    return Status::Error(
        named +
        "是 CSV 文件，地形文件必须是 .txt 文件。每行只有起点距、高程两个数"
        "的 CSV 文件，把文件名改成以 .txt 结尾就可以计算。");
  }
  return Status::Error(named +
                       "的文件名不是以 .txt 结尾，请选择 .txt 地形文件。");
}

}  // namespace

Status RunComputation(RunParameters& params, MessageSink& sink,
                      const RunHooks& hooks, Rating* rating) {
  SurveyOutputs outputs;
  Rating own_rating;
  return RunSurvey(params, OutputRequest(), nullptr, sink, hooks,
                   rating != nullptr ? rating : &own_rating, &outputs);
}

Status RunSurvey(RunParameters& params, const OutputRequest& request,
                 FigureRenderer* figures, MessageSink& sink,
                 const RunHooks& hooks, Rating* rating,
                 SurveyOutputs* outputs) {
  *outputs = SurveyOutputs();
  // Files are opened and closed inside the steps below, so nothing is left
  // open from an earlier run.
  if (ExceedsStageLimit(params.stage_count)) {
    sink.ShowWarning(kStageGuardText, kStageGuardTitle);
    params.stage_count = EffectiveStageCount(params.stage_count);
  }
  if (Status s = CheckSurveyName(params.data_file_path); !s.ok()) return s;
  // Every row is made and checked before the result file is touched, so a
  // failing run leaves an earlier result as it was.
  if (Status s = ComputeRating(params, rating); !s.ok()) return s;

  // A survey or a note of the user's may carry the result's name; only a
  // file this program wrote is replaced.
  SaveFn save;
  if (hooks.save) {
    save = [&hooks](OwnFile kind, const std::string& path,
                    std::string_view bytes) {
      return hooks.save(path, bytes, OwnFileSaveOptions(kind, path));
    };
  }
  *outputs = WriteSurveyOutputs(*rating, request,
                                hooks.now ? hooks.now() : CurrentLocalTime(),
                                figures, save);
  if (!outputs->files.empty() && !outputs->files.front().status.ok()) {
    return outputs->files.front().status;
  }
  sink.ShowResultPath(outputs->files.front().path);
  // Told after the path, so the user knows first that the table is written,
  // then what about it to check.
  if (const std::vector<std::string> warnings = RatingWarnings(*rating, params);
      !warnings.empty()) {
    sink.ShowWarning(RatingWarningsMessage(params.data_file_path, warnings),
                     kRatingWarningsTitle);
  }
  return Status::Ok();
}

bool IsEarlierResultFile(const std::string& path) {
  return IsEarlierResult(PathFromUtf8(path));
}

std::vector<Status> ResultPathClashes(
    const std::vector<std::string>& data_file_paths) {
  std::map<std::filesystem::path, size_t> surveys;
  for (size_t i = 0; i < data_file_paths.size(); ++i) {
    surveys.emplace(SameFileKey(data_file_paths[i]), i);
  }
  std::map<std::filesystem::path, size_t> results;
  std::vector<Status> clashes(data_file_paths.size());
  for (size_t i = 0; i < data_file_paths.size(); ++i) {
    const std::string& survey = data_file_paths[i];
    // The run refuses such a name itself; it has no result path.
    if (!HasTxtExtension(survey)) continue;
    const std::string result = ResultFilePath(survey);
    const std::filesystem::path key = SameFileKey(result);
    const std::string named =
        "地形文件“" + survey + "”的结果文件“" + result + "”";
    if (const auto other = surveys.find(key);
        other != surveys.end() && !IsEarlierResult(key)) {
      clashes[i] =
          Status::Error(named + "正是本次要计算的另一个地形文件“" +
                        data_file_paths[other->second] +
                        "”，为免覆盖这个地形文件，没有计算“" + survey + "”。");
    } else if (const auto earlier = results.find(key);
               earlier != results.end()) {
      clashes[i] = Status::Error(
          named + "与前面的地形文件“" + data_file_paths[earlier->second] +
          "”的结果文件是同一个文件，为免覆盖前面的结果，没有计算“" + survey +
          "”。");
    } else {
      results.emplace(key, i);
    }
  }
  return clashes;
}

}  // namespace xsrating

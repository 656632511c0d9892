// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_RUN_RUN_H_
#define XSRATING_CORE_RUN_RUN_H_

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/date_time.h"
#include "core/base/file_io.h"
#include "core/base/status.h"
#include "core/base/types.h"
#include "core/hydraulics/rating.h"
#include "core/run/survey_outputs.h"

namespace xsrating {

// The texts a run shows the user.
inline constexpr char kStageGuardText[] =
    "计算的水位流量关系点子不能也不必要超过100，自动按20处理。请稍等...";
inline constexpr char kStageGuardTitle[] = "你疯了？要这么多点子！";
inline constexpr char kResultSavedTitle[] = "计算结果文件保存在：";

// What the core needs from a front end: a way to tell the user something and
// wait until they have read it. The window shows a modal message box with the
// warning icon and one OK button; the command line prints.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // Shows `text` under `title` (both UTF-8); returns when dismissed. The text
  // may hold a lone CR between lines.
  virtual void ShowWarning(const std::string& text,
                           const std::string& title) = 0;
  // Tells where the run saved its result: by default ShowWarning(path,
  // kResultSavedTitle). A front end that shows the path differently from
  // its warnings (the command line prints it for scripts) overrides this.
  virtual void ShowResultPath(const std::string& path) {
    ShowWarning(path, kResultSavedTitle);
  }
};

// The run's links to the world, replaceable in tests.
struct RunHooks {
  // The run's date and time; CurrentLocalTime by default.
  std::function<LocalDateTime()> now;
  // Stores each file's bytes with the options of its kind
  // (OwnFileSaveOptions, which refuse to replace a file that is not an
  // earlier one of ours); SaveFileAtomically by default.
  std::function<Status(const std::string& path, std::string_view bytes,
                       const SaveOptions& options)>
      save;
};

// The start command, one whole run:
//  1. If params.stage_count > 100, warns (kStageGuardText, kStageGuardTitle)
//     and sets params.stage_count to 20, which stays.
//  2. Checks that params.data_file_path ends in ".txt".
//  3. Reads the survey and computes its rating (ComputeRating).
//  4. Takes the date and time, saves ResultFileBytes beside the survey
//     (ResultFilePath) and shows its path (MessageSink::ShowResultPath).
//     Then, when the rating has warnings (RatingWarnings: the top stages
//     spill over an end of the section, a roughness or slope that is seldom
//     meant), shows them all in one ShowWarning: RatingWarningsMessage under
//     kRatingWarningsTitle. The result file is written all the same.
//     A file already at that path is replaced only when it is an earlier
//     result (StartsLikeResultFile) that SaveFileAtomically may replace;
//     anything else there (a survey, an empty file, a read-only result, a
//     symbolic link) fails the run and is left as it is.
// Returns the first failure. A failed run leaves any earlier result file
// exactly as it was and creates no file; the message says what went wrong.
// A survey that is an earlier result fails of kind kNotASurvey.
// When `rating` is given it receives the run's rating, for outputs drawn
// beside the result file; it is complete only when the run succeeds.
Status RunComputation(RunParameters& params, MessageSink& sink,
                      const RunHooks& hooks = {}, Rating* rating = nullptr);

// The start command with more files beside the result file: steps 1 to 3
// of RunComputation, then WriteSurveyOutputs of `request` at the time
// hooks.now gives, with `figures` for a figure (null when none is asked
// for). The result file's path and the rating's warnings are shown as
// RunComputation shows them, once the result file is written. Returns the
// failure that stopped the run before the result file was written, or the
// result file's own; the other files' outcomes are in outputs->files, in the
// order written, and a rating in *rating as RunComputation gives it.
Status RunSurvey(RunParameters& params, const OutputRequest& request,
                 FigureRenderer* figures, MessageSink& sink,
                 const RunHooks& hooks, Rating* rating, SurveyOutputs* outputs);

// True when the file at `path` (UTF-8) is a regular file that begins as a
// result file does (StartsLikeResultFile): an earlier result, named as a
// survey by mistake or by a pattern such as "*.txt". False when it cannot be
// read.
bool IsEarlierResultFile(const std::string& path);

// For surveys run one after another in one batch, in order: for each, Ok
// when it may run, or why not. A survey may not run when its result path is
// that of an earlier survey of the batch (A.txt and A.TXT both give
// A成果.txt: the second would silently replace the first's table), or when it
// is another survey of the batch (B.txt beside a survey named B成果.txt)
// that is not an earlier result (so "*.txt" in a folder of surveys and their
// results runs every survey again). Paths are compared as the file system
// resolves them.
std::vector<Status> ResultPathClashes(
    const std::vector<std::string>& data_file_paths);

}  // namespace xsrating

#endif  // XSRATING_CORE_RUN_RUN_H_

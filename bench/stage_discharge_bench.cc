// SPDX-License-Identifier: GPL-3.0-or-later
// How long the computation takes at full size: 1000 points, 100 stages.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/hydraulics/rating.h"
#include "core/hydraulics/stage_discharge.h"
#include "core/input/cross_section.h"
#include "core/output/result_file.h"
#include "core/run/run.h"

namespace {

namespace fs = std::filesystem;

const char kSurvey[] = XSRATING_BENCH_DATA "/section_1000.txt";

xsrating::CrossSection LoadSurvey() {
  xsrating::CrossSection section;
  if (!xsrating::ReadCrossSection(kSurvey, &section).ok()) std::abort();
  return section;
}

void BM_ComputeStageDischarge(benchmark::State& state) {
  const xsrating::CrossSection section = LoadSurvey();
  for (auto _ : state) {
    xsrating::StageDischargeTable table;
    const xsrating::Status status = xsrating::ComputeStageDischarge(
        section, 0.03, "0.0003", static_cast<double>(state.range(0)), &table);
    benchmark::DoNotOptimize(table.rows.data());
    if (!status.ok()) state.SkipWithError("computation failed");
  }
}
BENCHMARK(BM_ComputeStageDischarge)
    ->Arg(20)
    ->Arg(100)
    ->Unit(benchmark::kMicrosecond);

// The whole rating at full size, 100 stages, with its roughness in as many
// zones of equal width as the argument: one zone is the rating of one
// roughness, more cut the segments into pieces and add the zones'
// conveyances.
void BM_ZonedRating(benchmark::State& state) {
  const xsrating::CrossSection section = LoadSurvey();
  const double first = section.points.front().distance;
  const double width = section.points.back().distance - first;
  xsrating::RunParameters params;
  params.slope_text = "0.0003";
  params.stage_count = 100;
  const int64_t zones = state.range(0);
  for (int64_t k = 0; k < zones; ++k) {
    params.zones.push_back(
        {first + width * static_cast<double>(k) / static_cast<double>(zones),
         k % 2 == 0 ? 0.03 : 0.045});
  }
  for (auto _ : state) {
    xsrating::Rating rating;
    if (!xsrating::RateSection(section, params, &rating).ok()) {
      state.SkipWithError("rating failed");
    }
    benchmark::DoNotOptimize(rating.table.rows.data());
  }
}
BENCHMARK(BM_ZonedRating)->Arg(1)->Arg(10)->Unit(benchmark::kMicrosecond);

void BM_ParseCrossSection(benchmark::State& state) {
  std::ifstream file(kSurvey, std::ios::binary);
  std::stringstream buffer;
  buffer << file.rdbuf();
  const std::string text = buffer.str();
  for (auto _ : state) {
    std::istringstream in(text);
    xsrating::CrossSection section;
    if (!xsrating::ParseCrossSection(in, &section).ok()) {
      state.SkipWithError("parse failed");
    }
    benchmark::DoNotOptimize(section.points.data());
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ParseCrossSection)->Unit(benchmark::kMicrosecond);

class SilentSink : public xsrating::MessageSink {
 public:
  void ShowWarning(const std::string&, const std::string&) override {}
};

// The start command from survey file to result file on disk.
void BM_WholeRun(benchmark::State& state) {
  const fs::path dir = fs::temp_directory_path() / "xsrating_bench";
  fs::create_directories(dir);
  fs::copy_file(kSurvey, dir / "section_1000.txt",
                fs::copy_options::overwrite_existing);
  SilentSink sink;
  for (auto _ : state) {
    xsrating::RunParameters params;
    params.data_file_path = (dir / "section_1000.txt").string();
    params.roughness = 0.03;
    params.slope_text = "0.0003";
    params.stage_count = 100;
    if (!xsrating::RunComputation(params, sink).ok()) {
      state.SkipWithError("run failed");
    }
  }
  fs::remove_all(dir);
}
BENCHMARK(BM_WholeRun)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

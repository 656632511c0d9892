// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary parameter texts and survey bytes to a whole run, from
// reading the survey to the result file's bytes, all in memory. The input's
// first four lines are the roughness, slope, stage count and survey path
// texts; the rest is the survey.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string why = xsrating::hardening::CheckWholeRun(
      std::string_view(reinterpret_cast<const char*>(data), size));
  if (!why.empty()) {
    std::fprintf(stderr, "whole run: %s\n", why.c_str());
    std::abort();
  }
  return 0;
}

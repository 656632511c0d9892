// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the stage record reader, and what it reads through
// the conversion, the daily means and the flow table.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string why = xsrating::hardening::CheckStageRecordParse(
      std::string_view(reinterpret_cast<const char*>(data), size));
  if (!why.empty()) {
    std::fprintf(stderr, "stage record reader: %s\n", why.c_str());
    std::abort();
  }
  return 0;
}

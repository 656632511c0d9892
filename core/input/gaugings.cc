// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/input/gaugings.h"

#include <string>

#include "core/input/number_pairs.h"
#include "core/input/text_scanner.h"

namespace xsrating {

Status ParseGaugings(std::istream& in, std::vector<Gauging>* gaugings) {
  gaugings->clear();
  static constexpr NumberPairNames kNames = {"实测流量文件", "实测水位", "水位",
                                             "实测流量", "流量"};
  return ParseNumberPairs(
      in, kNames, [gaugings](const NumberPair& pair, TextScanner& scan) {
        if (!(pair.second > 0)) {
          return Status::Error(AtLine(pair.line) + "的实测流量" +
                               scan.Quote(pair.second_text) +
                               "不大于 0，流量必须大于 0。");
        }
        if (gaugings->size() == static_cast<size_t>(kMaxGaugings)) {
          return Status::Error(AtLine(pair.line) + "开始了第 " +
                               std::to_string(kMaxGaugings + 1) +
                               " 个实测流量，实测流量不能超过 " +
                               std::to_string(kMaxGaugings) + " 个。");
        }
        gaugings->push_back({pair.first, pair.second, pair.line});
        return Status::Ok();
      });
}

Status ReadGaugings(const std::string& path, std::vector<Gauging>* gaugings) {
  gaugings->clear();
  if (path.empty()) return Status::Error("还没有选择实测流量文件。");
  const Status read = ParseTextFile(
      path, "实测流量文件“" + path + "”",
      [gaugings](std::istream& in) { return ParseGaugings(in, gaugings); });
  if (!read.ok()) gaugings->clear();
  return read;
}

}  // namespace xsrating

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_FORM_ZONES_H_
#define XSRATING_FORM_ZONES_H_

// The roughness zones as a window shows and edits them: a table of texts, one
// zone a row, and what the roughness box says while zones replace it.

#include <span>
#include <string>
#include <vector>

#include "core/base/status.h"
#include "core/base/types.h"
#include "core/input/zones_file.h"

namespace xsrating {

// One row of the zones table: the breakpoint distance and the roughness as
// typed. UTF-8.
struct ZoneRowTexts {
  std::string from;
  std::string roughness;
  friend bool operator==(const ZoneRowTexts&, const ZoneRowTexts&) = default;
};

// The rows that show `zones`: each number as the result file writes it,
// without its spaces, with the regional decimal separator.
std::vector<ZoneRowTexts> ZoneRows(std::span<const RoughnessZone> zones);

// The zones of the rows, with the regional decimal separator; a row whose
// two texts are blank is skipped, and a zone's line is its row, from 1. No
// rows but blank ones give no zones (one roughness for the section). Fails,
// naming the row ("第 2 行的糙率不是数字。"), when a text is not a number, and
// as CheckRoughnessZones does.
Status ZonesFromRows(std::span<const ZoneRowTexts> rows,
                     std::vector<RoughnessZone>* zones);

// What the roughness box shows while zones replace it: "分区 3 段".
std::string ZonesBoxText(std::span<const RoughnessZone> zones);

// The zones dialog's texts, which both windows show. UTF-8.
inline constexpr char kZonesDialogTitle[] = "分区糙率";
inline constexpr char kZonesProblemTitle[] = "分区糙率有误";
inline constexpr char kZonesNote[] =
    "每行一个分区：从分区起点距到下一分区起点距（最后一个到断面终点）的糙率。"
    "第一个分区起点距不能大于断面起点距。";
inline constexpr char kZonesFromHead[] = "分区起点距 (m)";
inline constexpr char kZonesRoughnessHead[] = "糙率 n";
inline constexpr char kZonesLoadCaption[] = "读入分区糙率文件";
inline constexpr char kZonesSaveCaption[] = "保存分区糙率文件";
// The zones files the dialogs offer, as text and as pattern.
inline constexpr char kZonesFilesFilter[] = "文本文件 (*.txt *.csv)";
inline constexpr char kZonesFilesPattern[] = "*.txt;*.csv";
inline constexpr char kAllFilesFilter[] = "所有文件 (*)";

// The methods in the order the dialog offers them, with their texts.
struct ZoneMethodChoice {
  ZoneMethod method;
  const char* text;  // "分区（各分区流量相加）"
};
inline constexpr ZoneMethodChoice kZoneMethodChoices[] = {
    {ZoneMethod::kSubsection, "分区（各分区流量相加）"},
    {ZoneMethod::kComposite, "综合（全断面综合糙率）"},
};

// The zones dialog's buttons once a file is chosen:
//  - the rows of the zones file at `path` (UTF-8, the command line's --zones
//    format); fails with the reader's message;
//  - saves the rows' zones at `path`, replacing only a zones file this
//    program wrote; fails when a row is wrong, when there are no zones, or
//    with the saver's message.
Status LoadZoneRows(const std::string& path, std::vector<ZoneRowTexts>* rows);
Status SaveZoneRows(std::span<const ZoneRowTexts> rows,
                    const std::string& path);

}  // namespace xsrating

#endif  // XSRATING_FORM_ZONES_H_

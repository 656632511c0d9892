// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/output/own_files.h"

#include <string>

#include "core/base/status.h"
#include "core/output/flow_table.h"
#include "core/output/rating_csv.h"
#include "core/output/rating_report.h"
#include "core/output/result_file.h"
#include "core/output/zones_file_text.h"

namespace xsrating {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1A\n";

bool StartsWithCsvHeader(std::string_view opening, std::string_view header) {
  if (!opening.starts_with(kUtf8Mark)) return false;
  opening.remove_prefix(kUtf8Mark.size());
  return opening.starts_with(header) &&
         opening.substr(header.size()).starts_with("\r\n");
}

bool IsOwnFigure(std::string_view opening) {
  if (opening.starts_with(kPngSignature)) {
    // The chunk's type, keyword, the keyword's NUL and the text.
    const std::string chunk = std::string("tEXt") + kFigurePngKeyword +
                              std::string(1, '\0') + kFigureMark;
    return opening.find(chunk) != std::string_view::npos;
  }
  const std::string desc = std::string("<desc>") + kFigureMark;
  return opening.starts_with("<?xml") &&
         opening.find("<svg") != std::string_view::npos &&
         opening.find(desc) != std::string_view::npos;
}

// What the opening of a file of ours looks like, for the message.
const char* OwnOpeningDescription(OwnFile kind) {
  switch (kind) {
    case OwnFile::kResult:
      return "第一行不是“计算时间:”";
    case OwnFile::kTable:
    case OwnFile::kReport:
    case OwnFile::kFlowTable:
      return "第一行不是本程序写的表头";
    case OwnFile::kFigure:
      return "其中没有本程序的标记";
    case OwnFile::kZones:
      return "第一行不是“起点距,糙率”";
  }
  return "";
}

}  // namespace

const char* OwnFileName(OwnFile kind) {
  switch (kind) {
    case OwnFile::kResult:
      return "结果文件";
    case OwnFile::kTable:
      return "表格";
    case OwnFile::kFigure:
      return "图";
    case OwnFile::kReport:
      return "率定表";
    case OwnFile::kZones:
      return "分区糙率文件";
    case OwnFile::kFlowTable:
      return "流量表";
  }
  return "文件";
}

bool IsOwnFile(OwnFile kind, std::string_view opening) {
  switch (kind) {
    case OwnFile::kResult:
      return StartsLikeResultFile(opening);
    // Either CSV of ours: the viewer saves both wherever it is told.
    case OwnFile::kTable:
    case OwnFile::kReport:
      return StartsWithCsvHeader(opening, kRatingCsvHeader) ||
             StartsWithCsvHeader(
                 opening, std::string(kRatingCsvHeader) + kZoneCsvColumns) ||
             StartsWithCsvHeader(opening, kRatingReportHeader);
    case OwnFile::kFigure:
      return IsOwnFigure(opening);
    case OwnFile::kZones:
      return opening.starts_with(kZonesFileHeader);
    case OwnFile::kFlowTable:
      return StartsWithCsvHeader(opening, kFlowTableHeader) &&
             opening
                 .substr(kUtf8Mark.size() +
                         std::string_view(kFlowTableHeader).size() + 2)
                 .starts_with(kFlowTableFirstItem);
  }
  return false;
}

SaveOptions OwnFileSaveOptions(OwnFile kind, const std::string& path) {
  SaveOptions options;
  options.kind = OwnFileName(kind);
  options.check_existing = [kind, path](std::string_view opening) {
    if (IsOwnFile(kind, opening)) return Status::Ok();
    // The zones dialog saves wherever it is told, so its advice is another
    // name rather than moving the file away.
    if (kind == OwnFile::kZones) {
      return Status::FileSystemError(
          "文件“" + path + "”已经存在，但它不是本程序保存的分区糙率文件（" +
          OwnOpeningDescription(kind) +
          "），为免丢失其中的数据，没有改写它。请换一个文件名。");
    }
    return Status::FileSystemError(
        "文件“" + path + "”已经存在，但它不是本程序的" + OwnFileName(kind) +
        "（" + OwnOpeningDescription(kind) +
        "），为免丢失其中的数据，没有改写它。请把它改名或移走后再" +
        (kind == OwnFile::kResult ? "计算。" : "保存。"));
  };
  return options;
}

Status SaveOwnFile(OwnFile kind, const std::string& path,
                   std::string_view bytes, const WriteChunkFn& write_chunk) {
  SaveOptions options = OwnFileSaveOptions(kind, path);
  options.write_chunk = write_chunk;
  return SaveFileAtomically(path, bytes, options);
}

}  // namespace xsrating

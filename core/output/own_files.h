// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_OUTPUT_OWN_FILES_H_
#define XSRATING_CORE_OUTPUT_OWN_FILES_H_

// The files the program writes beside a survey, and how it tells an earlier
// one of its own, which it may replace, from someone else's file that
// happens to carry the name, which it leaves alone.

#include <string>
#include <string_view>

#include "core/base/file_io.h"

namespace xsrating {

enum class OwnFile {
  kResult,     // name成果.txt
  kTable,      // name成果.csv, the hydraulic table
  kFigure,     // name成果.svg or .png
  kReport,     // name率定.csv, the rating checked against gaugings
  kZones,      // A zones file the window's zones dialog saved.
  kFlowTable,  // record流量.csv, a stage record's discharges
};

// How messages name a kind: "结果文件", "表格", "图", "率定表",
// "分区糙率文件", "流量表".
const char* OwnFileName(OwnFile kind);

// The mark every figure carries: an SVG's description begins with it, and a
// PNG holds it as the text of its kFigurePngKeyword chunk.
inline constexpr char kFigureMark[] = "xsrating";
inline constexpr char kFigurePngKeyword[] = "Software";

// True when `opening`, the first bytes of a file (kOpeningBytes or all of a
// shorter file), shows a file this program wrote that a save of `kind` may
// replace:
//  - a result file begins with "计算时间:" in GBK (StartsLikeResultFile);
//  - a table or a report has one of our CSV headers (the table's, with or
//    without the zones' columns, or the report's) as its first line, after
//    the UTF-8 byte-order mark and before CR LF;
//  - a flow table begins, after the byte-order mark, with the line
//    kFlowTableHeader and a second line that starts kFlowTableFirstItem;
//  - a figure is an SVG whose <desc> begins with kFigureMark, or a PNG with
//    a tEXt chunk kFigurePngKeyword holding kFigureMark;
//  - a zones file begins with its header line (kZonesFileHeader).
bool IsOwnFile(OwnFile kind, std::string_view opening);

// The options of a save of `kind` to `path`: its messages name the kind, and
// a regular file already there is replaced only when IsOwnFile() says it is
// ours; anything else fails the save, with a message naming the file, and is
// left as it is.
SaveOptions OwnFileSaveOptions(OwnFile kind, const std::string& path);

// The one save of every file the program writes: `bytes` replace the file at
// `path` (UTF-8) as SaveFileAtomically does, with OwnFileSaveOptions(kind,
// path). `write_chunk`, when set, stands for the system's write (tests).
Status SaveOwnFile(OwnFile kind, const std::string& path,
                   std::string_view bytes,
                   const WriteChunkFn& write_chunk = {});

}  // namespace xsrating

#endif  // XSRATING_CORE_OUTPUT_OWN_FILES_H_

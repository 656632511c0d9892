// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_INPUT_STAGE_RECORD_H_
#define XSRATING_CORE_INPUT_STAGE_RECORD_H_

// A station's stage record (水位过程): water levels read at given times, as a
// gauge logger or an observer's sheet gives them, one reading a line.

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "core/base/date_time.h"
#include "core/base/status.h"

namespace xsrating {

// A stage record holds at most this many readings.
inline constexpr int64_t kMaxStageRecords = 5'000'000;
// Its first and last readings are at most this many days apart, so that the
// days and years it covers stay in proportion to a real record.
inline constexpr int64_t kMaxStageRecordDays = 200 * 366;

// A wall-clock time of the station, without a time zone: whole seconds since
// 1970-01-01 0:00 of the same clock, negative before it.
using RecordTime = int64_t;
inline constexpr int64_t kSecondsPerDay = 86400;

// One reading.
struct StageReading {
  RecordTime time = 0;
  double stage = 0;  // Water level in metres, finite.
};

// The time of a calendar date (proleptic Gregorian) and time of day.
RecordTime MakeRecordTime(int year, int month, int day, int hour = 0,
                          int minute = 0, int second = 0);
// The calendar date and time of day of `time`.
LocalDateTime RecordDateTime(RecordTime time);
// The day `time` falls on, as the time of its 0:00.
RecordTime StartOfDay(RecordTime time);
// Appends `time` as tables and messages write it: "2024-07-01 08:05", with
// ":SS" after it when the seconds are not zero ("2024-07-01 08:05:30").
void AppendRecordTime(RecordTime time, std::string* text);
std::string RecordTimeText(RecordTime time);

// Reads a stage record: GBK or UTF-8 text, with or without a UTF-8 byte-order
// mark, a final Ctrl-Z ignored; lines end in LF, CR LF or a lone CR. Each
// line that is not blank is a reading: the date, the time and the stage,
// separated by commas, spaces or tabs (a comma may have blanks on either
// side), then anything (a note), which is not read.
//  - The date is YYYY-MM-DD or YYYY/MM/DD, with a four-digit year and a one-
//    or two-digit month and day, and must exist (no 2023-02-29).
//  - The time is H:MM or HH:MM, optionally :SS, hours 0 to 23, minutes and
//    seconds 0 to 59. 24:00 is refused with the advice to write the next
//    day's 0:00.
//  - The stage is a decimal number (TextScanner::Number).
// The first line that is not blank is a header and is skipped when it holds
// no digit at all. Times must increase strictly from one reading to the next.
//
// On success *readings holds the readings in file order, 1 to
// kMaxStageRecords of them, the first and last at most kMaxStageRecordDays
// apart. Fails, with a message that begins with the line ("第 5 行…"), when a
// field is missing or malformed, a time does not come after the one before it
// (both lines named), the record grows beyond kMaxStageRecords readings or
// kMaxStageRecordDays days; without a line when the text is UTF-16 or holds
// no reading; kFileSystem when it cannot be read. On failure *readings is
// empty.
Status ParseStageRecord(std::istream& in, std::vector<StageReading>* readings);

// Opens the stage record at `path` (UTF-8) and parses it. Fails also when the
// path is empty, the file does not exist, is a folder, a pipe or a device, or
// cannot be read; the message names the file as 水位过程文件.
Status ReadStageRecord(const std::string& path,
                       std::vector<StageReading>* readings);

}  // namespace xsrating

#endif  // XSRATING_CORE_INPUT_STAGE_RECORD_H_

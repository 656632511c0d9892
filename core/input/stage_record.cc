// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/input/stage_record.h"

#include <chrono>
#include <optional>
#include <string_view>

#include "core/base/number_text.h"
#include "core/input/text_scanner.h"

namespace xsrating {
namespace {

constexpr char kExampleLine[] = "例如 2024-07-01 8:00 52.31";

// Reads 1 to `most` digits from the front of `text`, consuming them.
std::optional<int> TakeDigits(std::string_view* text, size_t least,
                              size_t most) {
  size_t count = 0;
  int value = 0;
  while (count < text->size() && count < most && (*text)[count] >= '0' &&
         (*text)[count] <= '9') {
    value = value * 10 + ((*text)[count] - '0');
    ++count;
  }
  if (count < least) return std::nullopt;
  text->remove_prefix(count);
  return value;
}

struct DateFields {
  int year = 0;
  int month = 0;
  int day = 0;
};

// "2024-07-01", "2024/7/1": the form only, not whether the date exists.
std::optional<DateFields> SplitDate(std::string_view text) {
  DateFields date;
  const std::optional<int> year = TakeDigits(&text, 4, 4);
  if (!year || text.empty() || (text[0] != '-' && text[0] != '/')) {
    return std::nullopt;
  }
  const char separator = text[0];
  text.remove_prefix(1);
  const std::optional<int> month = TakeDigits(&text, 1, 2);
  if (!month || text.empty() || text[0] != separator) return std::nullopt;
  text.remove_prefix(1);
  const std::optional<int> day = TakeDigits(&text, 1, 2);
  if (!day || !text.empty()) return std::nullopt;
  return DateFields{*year, *month, *day};
}

struct TimeFields {
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// "8:00", "08:00:30": the form only, any two-digit hour.
std::optional<TimeFields> SplitTime(std::string_view text) {
  TimeFields time;
  const std::optional<int> hour = TakeDigits(&text, 1, 2);
  if (!hour || text.empty() || text[0] != ':') return std::nullopt;
  text.remove_prefix(1);
  const std::optional<int> minute = TakeDigits(&text, 2, 2);
  if (!minute) return std::nullopt;
  time = {*hour, *minute, 0};
  if (!text.empty()) {
    if (text[0] != ':') return std::nullopt;
    text.remove_prefix(1);
    const std::optional<int> second = TakeDigits(&text, 2, 2);
    if (!second || !text.empty()) return std::nullopt;
    time.second = *second;
  }
  return time;
}

int DaysInMonth(int year, int month) {
  using namespace std::chrono;
  return static_cast<int>(static_cast<unsigned>(
      year_month_day_last(
          std::chrono::year(year),
          month_day_last(std::chrono::month(static_cast<unsigned>(month))))
          .day()));
}

std::string CommaHint(std::string_view field) {
  return HoldsFullWidthComma(field) ? "请用半角逗号“,”分开日期、时间和水位。"
                                    : "";
}

// Reads the rest of the line at the scanner and its line end; true when
// what was read holds a digit.
bool SkipRestOfLine(TextScanner& scan) {
  bool digit = false;
  for (;;) {
    scan.SkipBlanks();
    const int next = scan.Peek();
    if (next == TextScanner::kEnd || TextScanner::IsLineEnd(next)) break;
    if (next == ',') {
      scan.Advance();
      continue;
    }
    digit = HoldsDigit(scan.ReadField().text) || digit;
  }
  scan.TakeLineEnd();
  return digit;
}

// Reads the date, the time and the stage of the line at `line`, the scanner
// at its first field.
class RecordLineReader {
 public:
  explicit RecordLineReader(TextScanner& scan) : scan_(scan) {}

  // The reading of the line, or why there is none. With `may_be_header`,
  // a line without a digit is a header: *header is then set and the line
  // consumed.
  Status Read(int64_t line, bool may_be_header, StageReading* reading,
              bool* header);

 private:
  Status ReadDate(int64_t line, bool may_be_header, DateFields* date,
                  bool* header);
  Status ReadTime(int64_t line, TimeFields* time);
  Status ReadStage(int64_t line, double* stage);
  // True when the line goes on with a field, after the separator.
  bool AtField() {
    scan_.SkipSeparator();
    const int next = scan_.Peek();
    return next != TextScanner::kEnd && !TextScanner::IsLineEnd(next) &&
           next != ',';
  }

  TextScanner& scan_;
  std::string date_text_;  // Kept for messages: reading on moves the buffer.
};

Status RecordLineReader::ReadDate(int64_t line, bool may_be_header,
                                  DateFields* date, bool* header) {
  const TextScanner::Field field = scan_.ReadField();
  if (may_be_header && !HoldsDigit(field.text)) {
    // Reading on moves the buffer: the field is kept for the message.
    const std::string text(field.text);
    const bool cut = field.cut;
    if (!SkipRestOfLine(scan_)) {
      *header = true;
      return Status::Ok();
    }
    return Status::Error(AtLine(line) + "的日期" + scan_.Quote(text, cut) +
                         "不是日期，应写成 2024-07-01 或 2024/7/1 这样的"
                         "年-月-日。" +
                         CommaHint(text));
  }
  const std::optional<DateFields> split =
      field.cut ? std::nullopt : SplitDate(field.text);
  if (!split) {
    const std::string hint = CommaHint(field.text);
    return Status::Error(AtLine(line) + "的日期" + scan_.Quote(field) +
                         "不是日期，应写成 2024-07-01 或 2024/7/1 这样的"
                         "年-月-日。" +
                         hint);
  }
  if (split->month < 1 || split->month > 12) {
    return Status::Error(AtLine(line) + "的日期" + scan_.Quote(field) +
                         "不存在：月份应在 1 到 12 之间。");
  }
  const int days = DaysInMonth(split->year, split->month);
  if (split->day < 1 || split->day > days) {
    return Status::Error(AtLine(line) + "的日期" + scan_.Quote(field) +
                         "不存在：" + std::to_string(split->year) + " 年 " +
                         std::to_string(split->month) + " 月只有 " +
                         std::to_string(days) + " 天。");
  }
  date_text_ = field.text;
  *date = *split;
  return Status::Ok();
}

Status RecordLineReader::ReadTime(int64_t line, TimeFields* time) {
  if (!AtField()) {
    return Status::Error(AtLine(line) + "只有日期" + scan_.Quote(date_text_) +
                         "，缺少时间和水位。每行应写日期、时间、水位，" +
                         kExampleLine + "。");
  }
  const TextScanner::Field field = scan_.ReadField();
  const std::optional<TimeFields> split =
      field.cut ? std::nullopt : SplitTime(field.text);
  if (split && split->hour == 24 && split->minute == 0 && split->second == 0) {
    return Status::Error(AtLine(line) + "的时间" + scan_.Quote(field) +
                         "不在一天之内：一天结束的时刻请写成第二天的 0:00。");
  }
  if (!split || split->hour > 23 || split->minute > 59 || split->second > 59) {
    const std::string hint = CommaHint(field.text);
    return Status::Error(AtLine(line) + "的时间" + scan_.Quote(field) +
                         "不是时间，应写成 8:00、08:00 或 08:00:00（时 0 到 "
                         "23，分、秒 0 到 59）。" +
                         hint);
  }
  *time = *split;
  return Status::Ok();
}

Status RecordLineReader::ReadStage(int64_t line, double* stage) {
  if (!AtField()) {
    return Status::Error(AtLine(line) + "缺少水位。每行应写日期、时间、水位，" +
                         kExampleLine + "。");
  }
  const TextScanner::Field field = scan_.ReadField();
  if (!TextScanner::Number(field, stage)) {
    std::string hint = CommaHint(field.text);
    if (const std::string full_width =
            FullWidthHint(field.text, HalfWidthUse::kField);
        !full_width.empty()) {
      hint += full_width + "。";
    }
    return Status::Error(AtLine(line) + "的水位" + scan_.Quote(field) +
                         "不是有效的数字。" + hint);
  }
  return Status::Ok();
}

Status RecordLineReader::Read(int64_t line, bool may_be_header,
                              StageReading* reading, bool* header) {
  if (scan_.Peek() == ',') {
    if (may_be_header && !SkipRestOfLine(scan_)) {
      *header = true;
      return Status::Ok();
    }
    return Status::Error(AtLine(line) +
                         "的逗号前缺少日期：行首的逗号前不能是空的。");
  }
  DateFields date;
  TimeFields time;
  if (Status s = ReadDate(line, may_be_header, &date, header);
      !s.ok() || *header) {
    return s;
  }
  if (Status s = ReadTime(line, &time); !s.ok()) return s;
  if (Status s = ReadStage(line, &reading->stage); !s.ok()) return s;
  reading->time = MakeRecordTime(date.year, date.month, date.day, time.hour,
                                 time.minute, time.second);
  return Status::Ok();
}

Status OrderMessage(int64_t line, RecordTime time, int64_t previous_line,
                    RecordTime previous) {
  return Status::Error(AtLine(line) + "的时间 " + RecordTimeText(time) +
                       " 不晚于" + AtLine(previous_line) + "的 " +
                       RecordTimeText(previous) +
                       "：时间必须逐行增加，重复或倒退的记录请删去或改正。");
}

Status ParseReadings(TextScanner& scan, std::vector<StageReading>* readings) {
  if (!scan.SkipByteOrderMark()) {
    return Status::Error(
        "水位过程文件是 UTF-16（Unicode）编码的，请用记事本等另存为 ANSI"
        "（GBK）或 UTF-8 编码的文本文件。");
  }
  RecordLineReader reader(scan);
  bool header_allowed = true;
  int64_t previous_line = 0;
  for (;;) {
    scan.SkipBlanks();
    const int first = scan.Peek();
    if (first == TextScanner::kEnd) break;
    if (scan.TakeLineEnd()) continue;  // A blank line.
    const int64_t line = scan.line();
    const bool may_be_header = header_allowed;
    header_allowed = false;
    bool header = false;
    StageReading reading;
    if (Status s = reader.Read(line, may_be_header, &reading, &header);
        !s.ok()) {
      return s;
    }
    if (header) continue;
    if (!readings->empty()) {
      const StageReading& previous = readings->back();
      if (reading.time <= previous.time) {
        return OrderMessage(line, reading.time, previous_line, previous.time);
      }
      if (reading.time - readings->front().time >
          kMaxStageRecordDays * kSecondsPerDay) {
        return Status::Error(AtLine(line) + "的时间 " +
                             RecordTimeText(reading.time) +
                             " 距第一个记录超过 200 年，水位过程文件的记录"
                             "跨度不能超过 200 年。");
      }
    }
    if (static_cast<int64_t>(readings->size()) == kMaxStageRecords) {
      return Status::Error(AtLine(line) + "开始了第 " +
                           std::to_string(kMaxStageRecords + 1) +
                           " 个水位记录，水位过程文件最多只能有 " +
                           std::to_string(kMaxStageRecords) + " 个记录。");
    }
    readings->push_back(reading);
    previous_line = line;
    scan.SkipLine();  // A note.
  }
  if (scan.read_failed()) {
    return Status::FileSystemError("读取水位过程文件时出错。");
  }
  if (readings->empty()) {
    return Status::Error(
        std::string("水位过程文件中没有数据。每行应写日期、时间、水位，用逗号、"
                    "空格或制表符分开，") +
        kExampleLine + "。");
  }
  return Status::Ok();
}

}  // namespace

RecordTime MakeRecordTime(int year, int month, int day, int hour, int minute,
                          int second) {
  using namespace std::chrono;
  const sys_days date = year_month_day(
      std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
      std::chrono::day(static_cast<unsigned>(day)));
  return static_cast<RecordTime>(date.time_since_epoch().count()) *
             kSecondsPerDay +
         hour * 3600 + minute * 60 + second;
}

RecordTime StartOfDay(RecordTime time) {
  RecordTime day = time / kSecondsPerDay;
  if (time % kSecondsPerDay < 0) --day;
  return day * kSecondsPerDay;
}

LocalDateTime RecordDateTime(RecordTime time) {
  using namespace std::chrono;
  const RecordTime start = StartOfDay(time);
  const year_month_day date{sys_days{days{start / kSecondsPerDay}}};
  const int64_t of_day = time - start;
  return LocalDateTime{static_cast<int>(date.year()),
                       static_cast<int>(static_cast<unsigned>(date.month())),
                       static_cast<int>(static_cast<unsigned>(date.day())),
                       static_cast<int>(of_day / 3600),
                       static_cast<int>(of_day / 60 % 60),
                       static_cast<int>(of_day % 60)};
}

void AppendRecordTime(RecordTime time, std::string* text) {
  const LocalDateTime when = RecordDateTime(time);
  char digits[32];
  char* p = digits;
  const auto two = [&p](int value) {
    *p++ = static_cast<char>('0' + value / 10);
    *p++ = static_cast<char>('0' + value % 10);
  };
  two(when.year / 100);
  two(when.year % 100);
  *p++ = '-';
  two(when.month);
  *p++ = '-';
  two(when.day);
  *p++ = ' ';
  two(when.hour);
  *p++ = ':';
  two(when.minute);
  if (when.second != 0) {
    *p++ = ':';
    two(when.second);
  }
  text->append(digits, p);
}

std::string RecordTimeText(RecordTime time) {
  std::string text;
  AppendRecordTime(time, &text);
  return text;
}

Status ParseStageRecord(std::istream& in, std::vector<StageReading>* readings) {
  readings->clear();
  TextScanner scan(in);
  Status status = ParseReadings(scan, readings);
  if (!status.ok()) {
    readings->clear();
    readings->shrink_to_fit();
  }
  return status;
}

Status ReadStageRecord(const std::string& path,
                       std::vector<StageReading>* readings) {
  readings->clear();
  if (path.empty()) return Status::Error("还没有选择水位过程文件。");
  return ParseTextFile(
      path, "水位过程文件“" + path + "”",
      [readings](std::istream& in) { return ParseStageRecord(in, readings); });
}

}  // namespace xsrating

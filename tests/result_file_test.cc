// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/output/result_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "core/base/encoding.h"
#include "core/base/number_text.h"

namespace xsrating {
namespace {

TEST(FormatNumberTest, SignDigitsAndTrailingSpace) {
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {
      {0, " 0 "},
      {-0.0, " 0 "},
      {4, " 4 "},
      {0.025, " .025 "},
      {-0.025, "-.025 "},
      {8.47, " 8.47 "},
      {108.4, " 108.4 "},
      {169.72, " 169.72 "},
      {-2, "-2 "},
      {100 + 3 * 0.23, " 100.69 "},  // Not exactly 100.69 as a double.
      {0.1 + 0.2, " .3 "},
      {1.0 / 3, " .333333333333333 "},
      {2.0 / 3, " .666666666666667 "},
      {123456.789012345678, " 123456.789012346 "},
      {0.0001, " .0001 "},
      {0.00012345, " .00012345 "},
      {0.00001, " 1E-05 "},
      {-0.0000123, "-1.23E-05 "},
      {999999999999999, " 999999999999999 "},
      {1e15, " 1E+15 "},
      {1.5e16, " 1.5E+16 "},
      {1e100, " 1E+100 "},
      {std::numeric_limits<double>::max(), " 1.79769313486232E+308 "},
      {std::numeric_limits<double>::denorm_min(), " 4.94065645841247E-324 "},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatNumber(c.value), c.text) << c.value;
  }
}

TEST(ResultFilePathTest, ReplacesTheLastFourCharacters) {
  struct Case {
    const char* data;
    const char* result;
  };
  const Case cases[] = {
      {"D:\\data\\sec1.txt", "D:\\data\\sec1成果.txt"},
      {"/home/user/断面/sec1.txt", "/home/user/断面/sec1成果.txt"},
      {"A.TXT", "A成果.txt"},
      {"/x/测量.txt", "/x/测量成果.txt"},
      {"/x/a断面测量", "/x/a成果.txt"},  // Four characters, not bytes.
      {"ab", "成果.txt"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ResultFilePath(c.data), c.result) << c.data;
  }
}

TEST(ResultFilePathTest, RecognisesTheTxtExtensionInAnyCase) {
  EXPECT_TRUE(HasTxtExtension("a.txt"));
  EXPECT_TRUE(HasTxtExtension("/d/A.TXT"));
  EXPECT_TRUE(HasTxtExtension(".TxT"));
  EXPECT_FALSE(HasTxtExtension("a.csv"));
  EXPECT_FALSE(HasTxtExtension("a.txt.bak"));
  EXPECT_FALSE(HasTxtExtension("txt"));
  EXPECT_FALSE(HasTxtExtension("/d/atxt"));
}

TEST(PrintLineTest, ZonesAreFourteenColumnsAndChineseTakesTwo) {
  struct Case {
    std::string line;
    std::string expected;
  };
  const Case cases[] = {
      {PrintLine()
           .Number(1)
           .NextPrintColumn()
           .Number(12)
           .NextPrintColumn()
           .Number(8.47)
           .bytes(),
       " 1            "
       " 12           "
       " 8.47 "},
      // "糙率=" is five bytes in GBK, then " .025 ": the column step pads from
      // column 12 to 15.
      {PrintLine()
           .Text("糙率=")
           .Number(0.025)
           .NextPrintColumn()
           .Text("比降=0.0004")
           .bytes(),
       Utf8ToGbk("糙率= .025    比降=0.0004")},
      {PrintLine()
           .Text("水位")
           .NextPrintColumn()
           .Text("面积")
           .NextPrintColumn()
           .Text("流量")
           .bytes(),
       Utf8ToGbk("水位          面积          流量")},
      // A value that fills its zone exactly moves the next to the zone after.
      {PrintLine().Text("12345678901234").NextPrintColumn().Text("x").bytes(),
       "12345678901234" + std::string(14, ' ') + "x"},
      // A value longer than its zone pushes the next one on.
      {PrintLine()
           .Number(-123456.789012345)
           .NextPrintColumn()
           .Number(1)
           .bytes(),
       "-123456.789012345 " + std::string(10, ' ') + " 1 "},
      {PrintLine().NextPrintColumn().Text("a").bytes(),
       std::string(14, ' ') + "a"},
      // Control characters cannot break the line.
      {PrintLine().Text("a\r\nb\tc").bytes(), "a??b?c"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.line, c.expected);
}

TEST(ResultFileTest, FourPointSectionByteForByte) {
  ResultHeader header;
  header.run_time = {2026, 12, 7, 3, 47, 47};
  header.data_file_path = "D:\\data\\sec1.txt";
  header.point_count = 4;
  header.roughness = 0.025;
  header.slope_text = "0.0004";
  const std::vector<StageRow> rows = {{1, 12, 8.47},
                                      {2, 28, 29.06},
                                      {3, 48, 61.96},
                                      {4, 72, 108.4},
                                      {5, 100, 169.72}};
  std::ostringstream out;
  WriteResultFile(out, header, rows);
  const std::string expected = Utf8ToGbk(
      "计算时间: 2026/12/7 3:47:47\r\n"
      "地形测文件：D:\\data\\sec1.txt\r\n"
      "地形测点数： 4 \r\n"
      "糙率= .025    比降=0.0004\r\n"
      "\r\n"
      "水位          面积          流量\r\n"
      " 1             12            8.47 \r\n"
      " 2             28            29.06 \r\n"
      " 3             48            61.96 \r\n"
      " 4             72            108.4 \r\n"
      " 5             100           169.72 \r\n");
  EXPECT_EQ(out.str(), expected);
}

TEST(ResultFileTest, NoStagesWritesTheHeaderOnly) {
  ResultHeader header;
  header.run_time = {2027, 1, 2, 13, 4, 5};
  header.data_file_path = "/数据/a😀.txt";  // The emoji has no GBK form.
  header.point_count = 0;
  header.roughness = 0;
  header.slope_text = "";
  std::ostringstream out;
  WriteResultFile(out, header, {});
  EXPECT_EQ(out.str(), Utf8ToGbk("计算时间: 2027/1/2 13:04:05\r\n"
                                 "地形测文件：/数据/a?.txt\r\n"
                                 "地形测点数： 0 \r\n"
                                 "糙率= 0       比降=\r\n"
                                 "\r\n"
                                 "水位          面积          流量\r\n"));
}

}  // namespace
}  // namespace xsrating

// SPDX-License-Identifier: GPL-3.0-or-later
// The hydraulic table as a spreadsheet file, and the names of the files
// beside a result file.
#include "core/output/rating_csv.h"

#include <gtest/gtest.h>

#include <string>

#include "core/hydraulics/hydraulic_table.h"

namespace xsrating {
namespace {

struct NumberCase {
  const char* name;
  double value;
  const char* text;
};

TEST(RatingCsvTest, WritesNumbersAsASpreadsheetReadsThem) {
  const NumberCase cases[] = {
      {"whole", 100.0, "100"},
      {"two decimals", 8.47, "8.47"},
      {"zero before the point", 0.025, "0.025"},
      {"negative", -2.5, "-2.5"},
      {"zero", 0.0, "0"},
      {"negative zero", -0.0, "0"},
      // 100.69 is not exact in binary; the sum lands beside it.
      {"rounded to 15 digits", 100 + 3 * 0.23, "100.69"},
      {"15 digits kept", 10 + 2 * 2.2360679774997896964, "14.4721359549996"},
      {"16th digit rounds", 123456789012345.6, "123456789012346"},
      {"smallest plain", 0.0001, "0.0001"},
      {"small takes an exponent", 0.00001, "1e-05"},
      {"large takes an exponent", 1.5e16, "1.5e+16"},
      {"negative exponent form", -2e-7, "-2e-07"},
  };
  for (const NumberCase& c : cases) {
    EXPECT_EQ(CsvNumber(c.value), c.text) << c.name;
  }
}

TEST(RatingCsvTest, TableWithoutRowsIsItsHeader) {
  EXPECT_EQ(RatingTableCsv({}),
            "\xEF\xBB\xBF"
            "水位,面积,湿周,水力半径,水面宽,平均流速,流量\r\n");
}

TEST(RatingCsvTest, RowHoldsItsSevenValuesInOrder) {
  const HydraulicRow row{101.5, 2, 3.25, 0.5, 7, 0.125, 0.25};
  EXPECT_EQ(RatingTableCsv({&row, 1}),
            "\xEF\xBB\xBF"
            "水位,面积,湿周,水力半径,水面宽,平均流速,流量\r\n"
            "101.5,2,3.25,0.5,7,0.125,0.25\r\n");
}

struct PathCase {
  const char* name;
  const char* survey;
  const char* extension;
  const char* path;
};

TEST(RatingCsvTest, FilesBesideTheResultShareItsName) {
  const PathCase cases[] = {
      {"Windows folder", "D:\\data\\sec1.txt", ".csv",
       "D:\\data\\sec1成果.csv"},
      {"capital extension dropped", "/home/a/SEC2.TXT", ".svg",
       "/home/a/SEC2成果.svg"},
      {"Chinese names", "/测站/断面1.txt", ".png", "/测站/断面1成果.png"},
      {"dots in the name", "/data/v.1.txt", ".csv", "/data/v.1成果.csv"},
  };
  for (const PathCase& c : cases) {
    EXPECT_EQ(RatingFilePath(c.survey, c.extension), c.path) << c.name;
  }
}

}  // namespace
}  // namespace xsrating

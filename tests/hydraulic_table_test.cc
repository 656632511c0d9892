// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/hydraulic_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace xsrating {
namespace {

struct KnownCase {
  const char* name;
  std::vector<SectionPoint> points;
  double stage_count;
  int stage;  // 1-based.
  double level;
  double area;
  double perimeter;
  double top_width;
  friend void PrintTo(const KnownCase& c, std::ostream* os) { *os << c.name; }
};

class HydraulicTableTest : public testing::TestWithParam<KnownCase> {};

TEST_P(HydraulicTableTest, MatchesTheHandWorkedSection) {
  const KnownCase& c = GetParam();
  std::vector<HydraulicRow> rows;
  const Status status = ComputeHydraulicTable(CrossSection{c.points}, 0.025,
                                              "0.0004", c.stage_count, &rows);
  ASSERT_TRUE(status.ok()) << status.message();
  ASSERT_GE(rows.size(), static_cast<size_t>(c.stage));
  const HydraulicRow& row = rows[c.stage - 1];
  EXPECT_DOUBLE_EQ(row.stage, c.level);
  EXPECT_DOUBLE_EQ(row.area, c.area);
  EXPECT_NEAR(row.perimeter, c.perimeter, 1e-9);
  EXPECT_DOUBLE_EQ(row.top_width, c.top_width);
  EXPECT_DOUBLE_EQ(row.hydraulic_radius, c.area / row.perimeter);
  EXPECT_DOUBLE_EQ(row.mean_velocity, row.discharge / c.area);

  // The area and discharge are those of the result file's table.
  StageDischargeTable table;
  ASSERT_TRUE(ComputeStageDischarge(CrossSection{c.points}, 0.025, "0.0004",
                                    c.stage_count, &table)
                  .ok());
  EXPECT_EQ(row.area, table.rows[c.stage - 1].area);
  EXPECT_EQ(row.discharge, table.rows[c.stage - 1].discharge);
}

const double kRoot2 = std::sqrt(2.0);

INSTANTIATE_TEST_SUITE_P(
    Sections, HydraulicTableTest,
    testing::Values(
        // 4 m wide, walls 3 m high: A = 4h, P = 4 + 2h, T = 4.
        KnownCase{
            "Rectangle", {{0, 3}, {0, 0}, {4, 0}, {4, 3}}, 3, 2, 2, 8, 8, 4},
        KnownCase{"RectangleFull",
                  {{0, 3}, {0, 0}, {4, 0}, {4, 3}},
                  3,
                  3,
                  3,
                  12,
                  10,
                  4},
        // Bed 6 m, banks 1:1, 4 m high: A = h(6 + h), P = 6 + 2h√2.
        KnownCase{"Trapezoid",
                  {{0, 4}, {4, 0}, {10, 0}, {14, 4}},
                  4,
                  2,
                  2,
                  16,
                  6 + 4 * kRoot2,
                  10},
        KnownCase{"V",
                  {{0, 5}, {10, 0}, {20, 0}, {30, 5}},
                  5,
                  3,
                  3,
                  48,
                  10 + 2 * std::sqrt(9.0 + 36.0),
                  22},
        // A bar at 4 splits the water at 3 into two channels.
        KnownCase{"Island",
                  {{0, 5}, {5, 0}, {10, 4}, {15, 0}, {20, 5}},
                  5,
                  3,
                  3,
                  20.25,
                  2 * std::sqrt(18.0) + 2 * std::sqrt(3.75 * 3.75 + 9),
                  13.5},
        // Vertical walls add their wetted height and no width.
        KnownCase{"VerticalBank",
                  {{0, 5}, {2, 5}, {2, 1}, {6, 1}, {6, 5}},
                  4,
                  2,
                  3,
                  8,
                  8,
                  4}),
    [](const testing::TestParamInfo<KnownCase>& info) {
      return info.param.name;
    });

TEST(HydraulicTableTest, ManningByHand) {
  // Rectangle at 2 m: A = 8, P = 8, R = 1, so Q = A √S / n.
  std::vector<HydraulicRow> rows;
  ASSERT_TRUE(
      ComputeHydraulicTable(CrossSection{{{0, 3}, {0, 0}, {4, 0}, {4, 3}}},
                            0.02, "0.001", 3, &rows)
          .ok());
  EXPECT_EQ(rows[1].hydraulic_radius, 1);
  EXPECT_EQ(rows[1].discharge, 12.65);  // 8 × 0.0316228 / 0.02 = 12.649.
  EXPECT_DOUBLE_EQ(rows[1].mean_velocity, 12.65 / 8);
}

TEST(HydraulicTableTest, NoAreaMeansNoVelocity) {
  // A V 2 m wide and 1 m deep in steps of 0.01 m: the first stage's water,
  // 0.02 m wide and 0.01 m deep, rounds to no area at all.
  std::vector<HydraulicRow> rows;
  ASSERT_TRUE(ComputeHydraulicTable(CrossSection{{{0, 1}, {1, 0}, {2, 1}}},
                                    0.03, "0.001", 100, &rows)
                  .ok());
  EXPECT_EQ(rows[0].area, 0);
  EXPECT_EQ(rows[0].discharge, 0);
  EXPECT_EQ(rows[0].mean_velocity, 0);
  EXPECT_NEAR(rows[0].top_width, 0.02, 1e-12);
  EXPECT_GT(rows.back().mean_velocity, 0);
}

TEST(HydraulicTableTest, FailsAsTheTableDoes) {
  std::vector<HydraulicRow> rows;
  const Status status = ComputeHydraulicTable(
      CrossSection{{{0, 5}, {10, 0}, {20, 0}, {30, 5}}}, 0, "0.0004", 5, &rows);
  ASSERT_FALSE(status.ok());
  EXPECT_NE(status.message().find("糙率"), std::string::npos);
}

}  // namespace
}  // namespace xsrating

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/hydraulics/zone_conveyance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/base/encoding.h"
#include "core/hydraulics/rating.h"
#include "core/hydraulics/roughness_zones.h"
#include "core/input/cross_section.h"
#include "core/input/zones_file.h"
#include "core/output/rating_csv.h"
#include "core/output/result_file.h"

namespace xsrating {
namespace {

const double kRoot5 = std::sqrt(5.0);

RunParameters ZonedParameters(std::vector<RoughnessZone> zones,
                              ZoneMethod method, double stage_count) {
  RunParameters params;
  params.slope_text = "0.0004";
  params.stage_count = stage_count;
  params.zones = std::move(zones);
  params.zone_method = method;
  return params;
}

// A section with its zones, and at one stage each zone's wetted area and
// perimeter worked out by hand, piece by piece.
struct ZoneCase {
  const char* name;
  std::vector<SectionPoint> points;
  std::vector<RoughnessZone> zones;
  double stage_count;
  int stage;  // 1-based.
  std::vector<double> areas;
  std::vector<double> perimeters;
  friend void PrintTo(const ZoneCase& c, std::ostream* os) { *os << c.name; }
};

class ZoneMethodsTest : public testing::TestWithParam<ZoneCase> {};

TEST_P(ZoneMethodsTest, BothMethodsFollowFromEachZonesAreaAndPerimeter) {
  const ZoneCase& c = GetParam();
  const size_t j = static_cast<size_t>(c.stage - 1);
  const CrossSection section{c.points};
  const std::vector<AppliedZone> zones = ApplyZones(c.zones, section);
  ASSERT_EQ(zones.size(), c.areas.size());
  Rating rating;
  ASSERT_TRUE(
      RateSection(section, ZonedParameters(c.zones, {}, c.stage_count), &rating)
          .ok());
  WettedGeometry total;
  const std::vector<PartGeometry> geometry =
      ComputeZoneGeometry(section, zones, rating.table.levels.levels, &total);
  // The section's own sums, taken in the same pass, are those of the uncut
  // segments.
  const WettedGeometry uncut =
      ComputeWettedGeometry(section, rating.table.levels.levels);
  EXPECT_EQ(total.area, uncut.area);
  EXPECT_EQ(total.perimeter, uncut.perimeter);
  EXPECT_EQ(total.top_width, uncut.top_width);
  for (size_t k = 0; k < zones.size(); ++k) {
    EXPECT_NEAR(geometry[k].area[j], c.areas[k], 1e-12) << "zone " << k;
    EXPECT_NEAR(geometry[k].perimeter[j], c.perimeters[k], 1e-12)
        << "zone " << k;
  }

  // The closed forms, from the hand-worked A_k and P_k.
  const double slope = 0.0004;
  double total_area = 0, total_perimeter = 0, conveyance = 0, weighted = 0,
         energy = 0;
  for (size_t k = 0; k < zones.size(); ++k) {
    const double a = c.areas[k], p = c.perimeters[k], n = zones[k].roughness;
    total_area += a;
    total_perimeter += p;
    if (p == 0) continue;
    const double kk = a * std::cbrt((a / p) * (a / p)) / n;
    conveyance += kk;
    weighted += p * n * std::sqrt(n);
    if (a > 0) energy += kk * kk * kk / (a * a);
  }
  const double radius = total_area / total_perimeter;
  const double composite =
      std::cbrt((weighted / total_perimeter) * (weighted / total_perimeter));
  const double alpha =
      energy * total_area * total_area / (conveyance * conveyance * conveyance);
  const double rounded_area = std::floor(total_area * 100 + 0.5) / 100;
  const double rounded_radius = rounded_area / total_perimeter;

  struct Expected {
    ZoneMethod method;
    double discharge;  // Before rounding to 0.01.
    double equivalent_roughness;
  };
  const Expected expected[] = {
      {ZoneMethod::kSubsection, std::sqrt(slope) * conveyance,
       total_area * std::cbrt(radius * radius) / conveyance},
      {ZoneMethod::kComposite,
       rounded_area * std::cbrt(rounded_radius * rounded_radius) *
           std::sqrt(slope) / composite,
       composite},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(ZoneMethodName(e.method));
    ASSERT_TRUE(RateSection(section,
                            ZonedParameters(c.zones, e.method, c.stage_count),
                            &rating)
                    .ok());
    const HydraulicRow& row = rating.hydraulic_rows[j];
    EXPECT_NEAR(row.discharge, e.discharge, 0.005 + 1e-9);
    EXPECT_EQ(row.discharge, rating.table.rows[j].discharge);
    EXPECT_NEAR(row.equivalent_roughness, e.equivalent_roughness, 1e-12);
    EXPECT_NEAR(row.energy_coefficient, alpha, 1e-12);
    // The stage and area columns are those of one roughness.
    EXPECT_DOUBLE_EQ(row.area, rounded_area);
    EXPECT_EQ(rating.zones, zones);
  }
}

// 4 m wide, walls 3 m high, split at 2 m: each half holds A = 2h and
// P = 2 + h (its wall and half the bed).
const std::vector<SectionPoint> kRectangle = {{0, 3}, {0, 0}, {4, 0}, {4, 3}};
// A channel 0 to 2 m deep, bed 24 to 36, side slopes 1:2 up to floodplains at
// 2 m, 20 m wide, walled at 0 and 60. The zones split each side slope in its
// middle (at 22 and 38, where the bed is at 1), so that a slope's upper piece
// lies on the floodplain's zone.
const std::vector<SectionPoint> kCompound = {
    {0, 5}, {0, 2}, {20, 2}, {24, 0}, {36, 0}, {40, 2}, {60, 2}, {60, 5}};
const std::vector<RoughnessZone> kCompoundZones = {
    {0, 0.06}, {22, 0.03}, {38, 0.05}};

INSTANTIATE_TEST_SUITE_P(
    Sections, ZoneMethodsTest,
    testing::Values(
        ZoneCase{"RectangleHalfFull",
                 kRectangle,
                 {{0, 0.02}, {2, 0.04}},
                 3,
                 2,
                 {4, 4},
                 {4, 4}},
        // The bed cut twice: 0-1, 1-3 and 3-4, each wall with its end.
        ZoneCase{"RectangleInThreeZones",
                 kRectangle,
                 {{0, 0.02}, {1, 0.04}, {3, 0.03}},
                 3,
                 2,
                 {2, 4, 2},
                 {3, 2, 3}},
        // A step down at the breakpoint 2 belongs to the zone that starts
        // there: H = 2 wets the step's 1 m and the wall at 4 by 2 m.
        ZoneCase{"StepAtTheBreakpoint",
                 {{0, 3}, {0, 1}, {2, 1}, {2, 0}, {4, 0}, {4, 3}},
                 {{0, 0.02}, {2, 0.04}},
                 3,
                 2,
                 {2, 4},
                 {3, 5}},
        ZoneCase{"RectangleFull",
                 kRectangle,
                 {{-1, 0.02}, {2, 0.04}, {4, 0.5}},  // The last has no bed.
                 3,
                 3,
                 {6, 6},
                 {5, 5}},
        // H = 1: only the channel is wet; (22, 1) at the water is dry, so
        // the slope (22,1)-(24,0) falls in at xc = 22: a = 1, p = sqrt 5;
        // bed a = 12, p = 12; the other slope rises out: a = 1, p = sqrt 5.
        ZoneCase{"CompoundInBank",
                 kCompound,
                 kCompoundZones,
                 5,
                 1,
                 {0, 14, 0},
                 {0, 12 + 2 * kRoot5, 0}},
        // H = 2, the floodplains at the water are dry. Zone 0: the piece
        // (20,2)-(22,1) falls in at xc = 20: a = 1, p = sqrt 5. Zone 1: the
        // pieces (22,1)-(24,0) and (36,0)-(38,1) each a = 1.5 * 2 = 3,
        // p = sqrt 5; bed a = 2 * 12. Zone 2: (38,1)-(40,2) rises out at 40.
        ZoneCase{"CompoundBankfull",
                 kCompound,
                 kCompoundZones,
                 5,
                 2,
                 {1, 30, 1},
                 {kRoot5, 12 + 2 * kRoot5, kRoot5}},
        // H = 3. Zone 0: wall (0,5)-(0,2) a = 0, p = 1; floodplain a = 20,
        // p = 20; piece (20,2)-(22,1) a = 1.5 * 2 = 3, p = sqrt 5. Zone 1:
        // pieces a = 2.5 * 2 = 5 each, p = sqrt 5; bed a = 3 * 12, p = 12.
        // Zone 2 mirrors zone 0.
        ZoneCase{"CompoundOverbank",
                 kCompound,
                 kCompoundZones,
                 5,
                 3,
                 {23, 46, 23},
                 {21 + kRoot5, 12 + 2 * kRoot5, 21 + kRoot5}}),
    [](const testing::TestParamInfo<ZoneCase>& info) {
      return std::string(info.param.name);
    });

TEST(ZoneClosedFormTest, TwoHalvesOfARectangleGiveTheirClosedForms) {
  // Both halves have the same A and P, so for 分区 n_eq is the harmonic mean
  // 2 / (1/n0 + 1/n1), alpha = 4 (n0^-3 + n1^-3) / (1/n0 + 1/n1)^3 = 4/3 for
  // n1 = 2 n0, and for 综合 n_e = ((n0^1.5 + n1^1.5) / 2)^(2/3).
  for (ZoneMethod method : {ZoneMethod::kSubsection, ZoneMethod::kComposite}) {
    Rating rating;
    ASSERT_TRUE(RateSection(CrossSection{kRectangle},
                            ZonedParameters({{0, 0.02}, {2, 0.04}}, method, 3),
                            &rating)
                    .ok());
    for (const HydraulicRow& row : rating.hydraulic_rows) {
      EXPECT_NEAR(row.energy_coefficient, 4.0 / 3.0, 1e-12);
      EXPECT_NEAR(
          row.equivalent_roughness,
          method == ZoneMethod::kSubsection
              ? 2 / (50.0 + 25.0)
              : std::pow((std::pow(0.02, 1.5) + std::pow(0.04, 1.5)) / 2,
                         2.0 / 3.0),
          1e-12);
    }
  }
}

TEST(ApplyZonesTest, ClipsToTheSectionAndDropsZonesOffIt) {
  const CrossSection section{{{5, 3}, {10, 0}, {30, 3}}};
  struct Case {
    std::vector<RoughnessZone> zones;
    std::vector<AppliedZone> applied;
    const char* described;
  };
  const Case cases[] = {
      {{{5, 0.03}}, {{5, 30, 0.03}}, "5~30:.03"},
      {{{0, 0.05}, {12.5, 0.025}},
       {{5, 12.5, 0.05}, {12.5, 30, 0.025}},
       "5~12.5:.05;12.5~30:.025"},
      // Zones before the first point, or from the last point on, lie on no
      // bed.
      {{{-9, 0.1}, {5, 0.03}, {30, 0.2}, {40, 0.3}},
       {{5, 30, 0.03}},
       "5~30:.03"},
      {{{-9, 0.1}, {6, 0.03}, {29.5, 0.2}},
       {{5, 6, 0.1}, {6, 29.5, 0.03}, {29.5, 30, 0.2}},
       "5~6:.1;6~29.5:.03;29.5~30:.2"},
  };
  for (const Case& c : cases) {
    const std::vector<AppliedZone> applied = ApplyZones(c.zones, section);
    EXPECT_EQ(applied, c.applied) << c.described;
    EXPECT_EQ(DescribeZones(applied), c.described);
  }
}

TEST(CheckRoughnessZonesTest, NamesTheZoneThatCannotBeUsed) {
  const double nan = std::nan("");
  struct Case {
    std::vector<RoughnessZone> zones;
    const char* message;  // Its opening.
  };
  const Case cases[] = {
      {{}, "没有分区糙率"},
      {{{0, 0.03, 4}, {10, 0, 6}}, "第 6 行的糙率 0 不大于 0"},
      {{{0, 0.03}, {10, -0.02}}, "第 2 个分区的糙率 -.02 不大于 0"},
      {{{0, nan, 3}}, "第 3 行的糙率不是有效的数"},
      {{{0, 0.03, 2}, {0, 0.04, 3}}, "第 3 行的起点距 0 不大于上一分区"},
      {{{0, 0.03}, {10, 0.04}, {5, 0.05}}, "第 3 个分区的起点距 5 不大于"},
  };
  for (const Case& c : cases) {
    const Status status = CheckRoughnessZones(c.zones);
    EXPECT_FALSE(status.ok()) << c.message;
    EXPECT_TRUE(status.message().starts_with(c.message)) << status.message();
  }
  const Status late =
      CheckZonesReachSection({{{1, 0.03, 7}}}, CrossSection{kRectangle});
  EXPECT_TRUE(late.message().starts_with(
      "第 7 行的第一个分区起点距 1 大于地形文件第一个测点的起点距 0"))
      << late.message();
}

TEST(ZonedRatingTest, OneZoneOnTheSectionIsTheRunOfItsRoughness) {
  CrossSection river;
  ASSERT_TRUE(
      ReadCrossSection(XSRATING_EXAMPLES "/river_section.txt", &river).ok());
  RunParameters typed = ZonedParameters({}, {}, 20);
  typed.roughness = 0.03;
  typed.data_file_path = "/data/river_section.txt";
  const LocalDateTime when{2026, 12, 7, 3, 47, 47};
  Rating rating;
  ASSERT_TRUE(RateSection(river, typed, &rating).ok());
  const std::string expected = ResultFileBytes(rating, typed, when);
  const std::string expected_csv = RatingTableCsv(rating.hydraulic_rows);

  const std::vector<RoughnessZone> one_zone[] = {
      {{0, 0.03}},
      {{-5, 0.03}},
      // A zone from the last point on, or one before the first, has no bed.
      {{0, 0.03}, {131, 0.1}},
      {{-10, 0.2}, {0, 0.03}, {500, 0.1}},
  };
  for (const std::vector<RoughnessZone>& zones : one_zone) {
    for (ZoneMethod method :
         {ZoneMethod::kSubsection, ZoneMethod::kComposite}) {
      RunParameters params = ZonedParameters(zones, method, 20);
      params.data_file_path = typed.data_file_path;
      params.roughness = 0.5;  // Not used: the zones hold the roughness.
      ASSERT_TRUE(RateSection(river, params, &rating).ok());
      EXPECT_EQ(ResultFileBytes(rating, params, when), expected);
      EXPECT_TRUE(rating.zones.empty());
      EXPECT_EQ(RatingTableCsv(rating.hydraulic_rows), expected_csv);
    }
  }
}

TEST(ZonedRatingTest, ResultFileNamesTheMethodAndZonesOnLineFour) {
  RunParameters params =
      ZonedParameters({{-2, 0.05}, {10, 0.025}, {20, 0.05}, {40, 0.9}},
                      ZoneMethod::kSubsection, 5);
  params.data_file_path = "D:\\data\\sec1.txt";
  const CrossSection v{{{0, 5}, {10, 0}, {20, 0}, {30, 5}}};
  Rating rating;
  for (ZoneMethod method : {ZoneMethod::kSubsection, ZoneMethod::kComposite}) {
    params.zone_method = method;
    ASSERT_TRUE(RateSection(v, params, &rating).ok());
    const std::string bytes =
        ResultFileBytes(rating, params, {2026, 12, 7, 3, 47, 47});
    const std::string lines =
        GbkToUtf8(bytes.substr(0, bytes.find(Utf8ToGbk("水位"))));
    // 39 columns, "糙率=" and the method counting two for each Chinese
    // character: 比降= starts the fourth print column.
    EXPECT_NE(lines.find("\r\n糙率=" + std::string(ZoneMethodName(method)) +
                         " 0~10:.05;10~20:.025;20~30:.05   比降=0.0004\r\n"),
              std::string::npos)
        << lines;
    // The discharges are the method's; the rest of the file is unchanged.
    EXPECT_EQ(rating.table.rows[4].area, 100);
  }
}

TEST(ZonedRatingTest, TableForSpreadsheetsAddsEquivalentRoughnessAndAlpha) {
  Rating rating;
  ASSERT_TRUE(RateSection(CrossSection{kRectangle},
                          ZonedParameters({{0, 0.02}, {2, 0.04}},
                                          ZoneMethod::kSubsection, 3),
                          &rating)
                  .ok());
  const std::string csv = RatingTableCsv(rating.hydraulic_rows, true);
  EXPECT_TRUE(csv.starts_with(std::string("\xEF\xBB\xBF") + kRatingCsvHeader +
                              ",综合糙率,动能修正系数\r\n"));
  // Row 2: h = 2, n_eq = 2 / 75, alpha = 4 / 3.
  EXPECT_NE(csv.find(",0.0266666666666667,1.33333333333333\r\n"),
            std::string::npos)
      << csv;
  HydraulicRow dry;
  dry.equivalent_roughness = std::nan("");
  dry.energy_coefficient = std::nan("");
  EXPECT_TRUE(RatingTableCsv({&dry, 1}, true).ends_with(",0,0,,\r\n"));
}

}  // namespace
}  // namespace xsrating

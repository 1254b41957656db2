#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "core/ContractError.h"
#include "settings/LengthValue.h"
#include "settings/SizeCaption.h"

namespace {

struct DisplayCase {
  std::int32_t thousandths;
  Units units;
  std::int64_t displayThousandths;
  const char* text;
};

class LengthDisplay : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(LengthDisplay, FormatsWithoutTrailingZerosOrLocale) {
  const DisplayCase& c = GetParam();
  LengthValue length(c.units);
  length.Set(c.thousandths);
  EXPECT_EQ(length.Get(), c.thousandths);
  EXPECT_EQ(length.DisplayThousandths(), c.displayThousandths);
  EXPECT_EQ(length.FormatWithSuffix(), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LengthDisplay,
    ::testing::Values(DisplayCase{8500, Units::Inches, 8500, "8.5\""},
                      DisplayCase{8500, Units::Centimeters, 21590, "21.59cm"},
                      DisplayCase{8500, Units::Millimeters, 215900, "215.9mm"},
                      DisplayCase{11000, Units::Inches, 11000, "11\""},
                      DisplayCase{8050, Units::Inches, 8050, "8.05\""},
                      DisplayCase{8005, Units::Inches, 8005, "8.005\""},
                      DisplayCase{0, Units::Centimeters, 0, "0cm"},
                      DisplayCase{1, Units::Centimeters, 2, "0.002cm"},
                      DisplayCase{-500, Units::Inches, -500, "-0.5\""},
                      DisplayCase{-8050, Units::Inches, -8050, "-8.05\""},
                      // Lengths from hand-edited files must not overflow on display.
                      DisplayCase{std::numeric_limits<std::int32_t>::max(), Units::Millimeters,
                                  54546084633, "54546084.633mm"},
                      DisplayCase{std::numeric_limits<std::int32_t>::min(), Units::Centimeters,
                                  -5454608465, "-5454608.465cm"}));

TEST(LengthValue, SetFromDisplayRoundsToTheNearestThousandthOfAnInch) {
  struct {
    double typed;
    Units units;
    std::int32_t stored;
  } const cases[] = {
      {21.59, Units::Centimeters, 8500},
      {21.6, Units::Centimeters, 8504},
      {215.9, Units::Millimeters, 8500},
      {8.5, Units::Inches, 8500},
      {8.0004, Units::Inches, 8000},
      {8.0006, Units::Inches, 8001},
      {0, Units::Millimeters, 0},
      {-1.0, Units::Inches, -999},
      {1e12, Units::Inches, std::numeric_limits<std::int32_t>::max()},
      {-1e12, Units::Inches, std::numeric_limits<std::int32_t>::min()},
      {std::nan(""), Units::Centimeters, 0},
  };
  for (const auto& c : cases) {
    LengthValue length(c.units);
    length.SetFromDisplay(c.typed);
    EXPECT_EQ(length.Get(), c.stored) << c.typed;
  }
}

TEST(LengthValue, ToDisplayConvertsTheStoredForm) {
  LengthValue length(Units::Centimeters);
  length.Set(8500);
  EXPECT_DOUBLE_EQ(length.ToDisplay(), 21.59);
  LengthValue inches(Units::Inches);
  inches.Set(8500);
  EXPECT_DOUBLE_EQ(inches.ToDisplay(), 8.5);
  LengthValue millimeters(Units::Millimeters);
  millimeters.Set(1000);
  EXPECT_DOUBLE_EQ(millimeters.ToDisplay(), 25.4);
}

TEST(LengthValue, NamesItsUnits) {
  EXPECT_EQ(LengthValue(Units::Inches).UnitName(), "inches");
  EXPECT_EQ(LengthValue(Units::Centimeters).UnitName(), "cm");
  EXPECT_EQ(LengthValue(Units::Millimeters).UnitSuffix(), "mm");
}

TEST(LengthValue, AnUnknownUnitIsAContractFailure) {
  LengthValue length(static_cast<Units>(3));
  length.Set(8500);
  EXPECT_EQ(length.Get(), 8500);
  EXPECT_THROW(length.SetFromDisplay(1.0), precondition_error);
  EXPECT_THROW(length.ToDisplay(), precondition_error);
  EXPECT_THROW(length.FormatNumber(), precondition_error);
  EXPECT_THROW(length.UnitSuffix(), precondition_error);
  EXPECT_THROW(LengthValue(static_cast<Units>(-1)).UnitName(), precondition_error);
}

TEST(SizeCaption, JoinsWidthAndHeightWithTheirSuffixes) {
  EXPECT_EQ(SizeCaption(DocumentSize("Letter", 8500, 11000), Units::Inches), "8.5\" x 11\"");
  EXPECT_EQ(SizeCaption(8268, 11693, Units::Millimeters), "210.007mm x 297.002mm");
  EXPECT_EQ(SizeCaption(0, 0, Units::Centimeters), "0cm x 0cm");
}

TEST(Units, FollowTheLocaleMeasurementSystem) {
  EXPECT_EQ(UnitsForMeasurementSystem(QLocale::MetricSystem), Units::Centimeters);
  EXPECT_EQ(UnitsForMeasurementSystem(QLocale::ImperialUSSystem), Units::Inches);
  EXPECT_EQ(UnitsForMeasurementSystem(QLocale::ImperialUKSystem), Units::Centimeters);

  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(DefaultUnits(), Units::Inches);
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(DefaultUnits(), Units::Centimeters);
  QLocale::setDefault(saved);
}

}  // namespace

#pragma once

#include <cstdint>

#include <QLocale>

// Display units of lengths; the stored form is always thousandths of an inch.
// The values are what the "Units" setting stores.
enum class Units : std::int32_t {
  Inches = 0,
  Centimeters = 1,
  Millimeters = 2,
};

// True for the three values above; anything else read from outside is not a unit.
bool IsValidUnits(std::int32_t value);

// Inches for the U.S. measurement system, centimeters for every other one
// (the U.K. files its paper in A4 and measures it in centimeters too).
Units UnitsForMeasurementSystem(QLocale::MeasurementSystem system);

// The units of the application's locale (QLocale(), which follows the system
// locale unless the program sets another default).
Units DefaultUnits();

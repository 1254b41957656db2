#include "settings/Units.h"

bool IsValidUnits(std::int32_t value) {
  return value >= static_cast<std::int32_t>(Units::Inches) &&
         value <= static_cast<std::int32_t>(Units::Millimeters);
}

Units UnitsForMeasurementSystem(QLocale::MeasurementSystem system) {
  return system == QLocale::ImperialUSSystem ? Units::Inches : Units::Centimeters;
}

Units DefaultUnits() {
  return UnitsForMeasurementSystem(QLocale().measurementSystem());
}

#include "settings/ScannerOrigin.h"

ScannerOrigin ScannerOriginFromValue(std::int32_t value) {
  const bool known = value >= static_cast<std::int32_t>(ScannerOrigin::Unknown) &&
                     value <= static_cast<std::int32_t>(ScannerOrigin::BottomRight);
  return known ? static_cast<ScannerOrigin>(value) : ScannerOrigin::Unknown;
}

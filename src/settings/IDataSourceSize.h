#pragma once

#include <cstdint>

// The physical size of the scanner's glass as the data source reports it.
// The scanner layer implements this; the settings ask it only when the
// scanner's scan area is not stored yet.
struct ScanAreaSize {
  std::int32_t width = 0;   // thousandths of an inch
  std::int32_t height = 0;  // thousandths of an inch

  friend bool operator==(const ScanAreaSize&, const ScanAreaSize&) = default;
};

class IDataSourceSize {
 public:
  virtual ~IDataSourceSize() = default;
  // May raise a contract_error when the source cannot tell.
  virtual ScanAreaSize GetDataSourceSize() = 0;
};

#include "dsm/SaneStatus.h"

#include <iterator>

TwainOutcome TwainOutcomeFor(SANE_Status status) {
  switch (status) {
    case SANE_STATUS_GOOD:
    case SANE_STATUS_EOF:
      return {TWRC_SUCCESS, TWCC_SUCCESS};
    case SANE_STATUS_CANCELLED:
      return {TWRC_CANCEL, TWCC_SUCCESS};
    case SANE_STATUS_JAMMED:
      return {TWRC_FAILURE, TWCC_PAPERJAM};
    case SANE_STATUS_NO_MEM:
      return {TWRC_FAILURE, TWCC_LOWMEMORY};
    case SANE_STATUS_ACCESS_DENIED:
      return {TWRC_FAILURE, TWCC_DENIED};
    case SANE_STATUS_DEVICE_BUSY:
    case SANE_STATUS_IO_ERROR:
      return {TWRC_FAILURE, TWCC_CHECKDEVICEONLINE};
    case SANE_STATUS_INVAL:
      return {TWRC_FAILURE, TWCC_BADVALUE};
    default:
      return {TWRC_FAILURE, TWCC_OPERATIONERROR};
  }
}

const char* SaneStatusName(SANE_Status status) {
  static constexpr const char* kNames[] = {
      "good",      "unsupported",  "cancelled",  "device busy", "invalid value", "end of file",
      "paper jam", "no documents", "cover open", "I/O error",   "out of memory", "access denied"};
  const auto index = static_cast<std::size_t>(status);
  return index < std::size(kNames) ? kNames[index] : "unknown status";
}

#include "platform/imaging/ImagingStatus.h"

const char* ImagingStatusText(ImagingStatus status) {
  switch (status) {
    case ImagingStatus::Ok:
      return "ok";
    case ImagingStatus::InvalidParameter:
      return "invalid parameter";
    case ImagingStatus::OutOfMemory:
      return "out of memory";
    case ImagingStatus::FileNotFound:
      return "file not found";
    case ImagingStatus::ReadFailed:
      return "read failed";
    case ImagingStatus::WriteFailed:
      return "write failed";
    case ImagingStatus::UnknownFormat:
      return "unknown format";
    case ImagingStatus::CorruptData:
      return "corrupt data";
    case ImagingStatus::TooLarge:
      return "image too large";
    case ImagingStatus::NotSupported:
      return "not supported";
  }
  return "unknown status";
}

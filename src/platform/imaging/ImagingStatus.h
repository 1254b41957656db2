#pragma once

// Outcome of an imaging operation. Decoders and encoders never throw: every
// failure, including hostile input, comes back as one of these.
enum class ImagingStatus {
  Ok,
  InvalidParameter,  // unusable arguments (bad size, unknown format, frame out of range)
  OutOfMemory,       // an allocation failed
  FileNotFound,      // the file cannot be opened for reading
  ReadFailed,        // the input ends early or cannot be read
  WriteFailed,       // the output cannot be written (disk full, no permission)
  UnknownFormat,     // the input is none of BMP, JPEG, GIF, PNG, TIFF
  CorruptData,       // the input is damaged or lies about itself
  TooLarge,          // the declared image exceeds the size limits
  NotSupported,      // a valid variant this module does not handle
};

const char* ImagingStatusText(ImagingStatus status);

inline bool IsOk(ImagingStatus status) {
  return status == ImagingStatus::Ok;
}

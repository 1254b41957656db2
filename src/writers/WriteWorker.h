#pragma once

#include <string>

#include "writers/IDocumentWriter.h"

// One writer operation run for a front end: the window runs it behind its
// progress dialog, the command line with progress on standard error. The
// scan workflow and the archive commands see only this.
class WriteWorker : public IDocumentWriter {
 public:
  // What the operation is doing, as "Saving..." or "Combining...".
  virtual void SetProgressCaption(const std::string& caption) = 0;
  // Bytes per second expected from earlier runs; below 1 counts as 1.
  virtual void SetExpectedRate(unsigned int bytesPerSecond) = 0;
  // Bytes per second of the last operation, for the next estimate.
  virtual unsigned int MeasuredRate() = 0;
};

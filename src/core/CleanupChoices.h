#pragma once

// The clean-up a folder asks of its scanned pages; each is off unless the
// user turns it on.
struct CleanupChoices {
  bool skipBlank = false;
  bool upright = false;
  bool deskew = false;

  bool Any() const { return skipBlank || upright || deskew; }
  bool operator==(const CleanupChoices&) const = default;
};

#pragma once

#include <optional>
#include <string>
#include <string_view>

// Who holds a document's name, written into a small record beside the
// document while the scan runs, so that a claim whose process is gone
// (killed, crashed, a power cut) can be told from one in progress.
struct ClaimOwner {
  std::string host;
  std::string bootId;
  long pid = 0;
  // The process's start time in clock ticks after boot: a pid used again
  // by another process starts at another time.
  unsigned long long startTicks = 0;
  // What the claim made, relative to its folder: the final file and the page folder.
  std::string finalFile;
  std::string pageFolder;

  friend bool operator==(const ClaimOwner&, const ClaimOwner&) = default;
};

// This process, with nothing claimed yet.
ClaimOwner ThisProcess();

std::string FormatClaimOwner(const ClaimOwner& owner);
// Nothing for a record that is not one of ours (empty, cut short, garbage).
std::optional<ClaimOwner> ParseClaimOwner(std::string_view text);

// True when the owner ran on this computer and is gone: another boot, no
// process under its pid, or another process there. A claim of another
// computer (a shared folder) is never judged gone.
bool IsOwnerGone(const ClaimOwner& owner);

namespace ClaimRecords {

// Creates the record `path`, which must not exist (EEXIST: someone holds
// it), holding `owner`; 0 or the errno value.
int Create(const std::string& path, const ClaimOwner& owner);
// The owner a record names; nothing when it is missing or not ours.
std::optional<ClaimOwner> Read(const std::string& path);

}  // namespace ClaimRecords

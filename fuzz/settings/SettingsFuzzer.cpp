// Per-folder preference files and document size catalogues travel with
// archives and are edited by hand, so both readers take arbitrary bytes. The
// first byte picks the target; each checks that an update or a save reads
// back as written and leaves everything else as it was.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "platform/profile/ProfileText.h"
#include "settings/DocumentSizeCatalogue.h"

namespace {

void Require(bool condition) {
  if (!condition)
    __builtin_trap();
}

// A value the profile can hold as it is: one line, no NUL, no outer blanks.
std::string StorableValue(std::string_view bytes) {
  std::string value;
  for (const char c : bytes.substr(0, 64)) {
    if (c != '\r' && c != '\n' && c != '\0')
      value += c;
  }
  return std::string(TrimBlanks(value));
}

void FuzzProfile(std::string_view bytes) {
  const ProfileText original(bytes);
  ProfileText updated = original;
  const std::string value = StorableValue(bytes.substr(bytes.size() / 2));
  // A UTF-16 file refuses bytes it cannot hold; then nothing may change.
  if (!updated.CanStore("Settings", "LastDestination", value))
    return;
  updated.SetValue("Settings", "LastDestination", value);
  const ProfileText reread(updated.ToString());
  Require(reread.Value("settings", "lastdestination") == value);
  for (const char* key : {"RecurrenceType", "ItemType", "MultiPage", "DocumentSizeName"}) {
    Require(reread.Value("Settings", key) == original.Value("Settings", key));
  }
}

void FuzzCatalogue(std::string_view bytes) {
  std::istringstream in{std::string(bytes)};
  const DocumentSizeCatalogue catalogue = ParseDocumentSizes(in);
  std::ostringstream out;
  WriteDocumentSizes(catalogue, out);
  std::istringstream saved(out.str());
  const DocumentSizeCatalogue reread = ParseDocumentSizes(saved);
  Require(reread.size() == catalogue.size());
  for (std::size_t i = 0; i < catalogue.size(); ++i) {
    Require(reread[i].Width() == catalogue[i].Width());
    Require(reread[i].Height() == catalogue[i].Height());
    // A CR inside a name is saved as a blank; every other name comes back as it was.
    if (catalogue[i].Name().find('\r') == std::string::npos)
      Require(reread[i].Name() == catalogue[i].Name());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0)
    return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] % 2 == 0) {
    FuzzProfile(bytes);
  } else {
    FuzzCatalogue(bytes);
  }
  return 0;
}

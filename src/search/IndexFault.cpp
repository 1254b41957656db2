#include "search/IndexFault.h"

#include <xapian.h>

#include <cerrno>
#include <cstring>

namespace {

// Xapian tells the system error only as its text.
bool HasErrno(const Xapian::Error& error, std::initializer_list<int> numbers) {
  const char* text = error.get_error_string();
  if (!text)
    return false;
  for (const int number : numbers)
    if (std::strcmp(text, std::strerror(number)) == 0)
      return true;
  return false;
}

}  // namespace

IndexFault ClassifyIndexError(const Xapian::Error& error) {
  std::string why = error.get_msg();
  if (const char* system = error.get_error_string())
    why += std::string(" (") + system + ")";
  // Xapian's errors carry their type as a name, not as a polymorphic type.
  const std::string type = error.get_type();
  if (type == "DatabaseNotFoundError" ||
      (type == "DatabaseOpeningError" && HasErrno(error, {ENOENT})))
    return {IndexFault::Kind::Missing, why};
  if (type == "DatabaseLockError" ||
      HasErrno(error, {ENOSPC, EDQUOT, EROFS, EACCES, EPERM, EFBIG, EIO, ENOMEM, EMFILE, ENFILE}))
    return {IndexFault::Kind::Unwritable, why};
  return {IndexFault::Kind::Damage, why};
}

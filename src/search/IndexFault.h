#pragma once

#include <string>

namespace Xapian {
class Error;
}

// What an error of the index's database means for the index. Damage is
// rebuilt from the documents; an index that cannot be written is kept as it
// is and still searched, never deleted for it.
struct IndexFault {
  enum class Kind { Damage, Unwritable, Missing };
  Kind kind = Kind::Damage;
  std::string why;
};

// A full or read-only disk, a folder without write permission or a failed
// device make an index unwritable; an index not there is missing; every
// other error of the database (corrupt, of another version, cut short) is
// damage.
IndexFault ClassifyIndexError(const Xapian::Error& error);

// Raised inside the index when what it read is inconsistent with what it
// wrote (a checksum that does not match): handled as damage at its edge.
struct IndexDamaged {
  std::string why;
};

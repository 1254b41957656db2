#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "settings/DocumentSize.h"

// The machine-wide list of document sizes, in file order. Two catalogues are
// equal when they hold equal sizes in the same order.
using DocumentSizeCatalogue = std::vector<DocumentSize>;

// <common data>/Ferncastle/Docketeer 2.0/Shared/DocumentSizes.txt, where the
// common data folder is $DOCKETEER_COMMON_DATA when set, otherwise the user's
// XDG data folder (~/.local/share).
std::string DocumentSizesPath();

// The file the catalogue is read from: the user's own (DocumentSizesPath())
// once there is one, otherwise the default that comes with the program. The
// user's copy is written only by a save, when the list was changed.
std::string DocumentSizesSourcePath();

// A catalogue file larger than this is not a list of paper sizes; it is
// neither read nor replaced.
inline constexpr std::int64_t kMaxDocumentSizesFileSize = 1024 * 1024;

// Reads the catalogue file; a missing, unreadable or oversized file gives an
// empty catalogue, and a line whose numbers cannot be read, or a size without
// a name, ends the list there. The file may start with a UTF-8 or UTF-16 byte
// order mark and end its lines with CR LF, LF or CR.
DocumentSizeCatalogue LoadDocumentSizes();
DocumentSizeCatalogue LoadDocumentSizes(const std::string& path);
DocumentSizeCatalogue ParseDocumentSizes(std::istream& in);

// Rewrites the sizes of the catalogue file ("<width> <height> <name>" and a
// line end per size), making its folder when needed. Whatever follows the
// sizes the loader reads is kept after them as it was, and the file keeps its
// byte order mark, encoding and line end (CR LF for a new file); a link is
// written through to its target. The new file replaces the old one only once
// it is complete, so a failed save leaves the old catalogue as it was, and a
// file that cannot be read whole is not replaced. A name that is empty or
// holds a line break would not read back as one record: it is saved as
// "Unnamed" or with blanks for the breaks. Returns false when nothing was saved.
bool SaveDocumentSizes(const DocumentSizeCatalogue& catalogue);
bool SaveDocumentSizes(const DocumentSizeCatalogue& catalogue, const std::string& path);
void WriteDocumentSizes(const DocumentSizeCatalogue& catalogue, std::ostream& out);

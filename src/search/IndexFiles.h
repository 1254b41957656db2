#pragma once

#include <optional>
#include <string>

// The files of an index folder as the file system holds them, checked
// before the database library opens any: it would block for ever on a FIFO
// and follow whatever a link points at.

// True when `database` is a folder (or a link to one) holding plain files
// only: what a reader may open.
bool IsOpenableDatabase(const std::string& database);

// Makes `folder` and its database folder `database` ready to be written:
// whatever stands in their place and is not a folder (a file, a FIFO, a
// dangling link) is removed, as is any entry of the database folder that is
// not a plain file. The reason when that cannot be done.
std::optional<std::string> PrepareIndexFolder(const std::string& folder,
                                              const std::string& database);

// Small files beside the database: markers and the database's fingerprint
// (its files' names, sizes and times), recorded whenever its writer closes
// it, so that a database written by anything else (a writer killed part
// way, a damaged disk) is checked before it is used again.
bool CreateMarker(const std::string& file);
bool MarkerExists(const std::string& file);
// False when the file is there and could not be removed.
bool RemoveMarker(const std::string& file);
std::string DatabaseFingerprint(const std::string& database);
std::string ReadSmallFile(const std::string& file);
bool WriteSmallFile(const std::string& file, const std::string& text);

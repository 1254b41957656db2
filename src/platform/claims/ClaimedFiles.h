#pragma once

#include <string>

#include "platform/claims/FileClaims.h"

// The final files that documents in progress hold claims on, for the writers'
// last step: a finished file goes over a claimed name only while that name
// still holds what the claim expects (its own placeholder, or the document
// the user agreed to replace), and over a claimed name that vanished only
// without replacing anything. Names nobody claimed are replaced as before.
namespace ClaimedFiles {

void Hold(const std::string& path, const FileIdentity& expected);
void LetGo(const std::string& path);
// Renames `from` to `target` as above; 0 or the errno value (EEXIST: another
// document took the name meanwhile).
int MoveIntoPlace(const std::string& from, const std::string& target);

}  // namespace ClaimedFiles

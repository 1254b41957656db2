#pragma once

#include <string>
#include <vector>

// The claims of documents whose scan was killed (a signal, a crash, a power
// cut) are recognised by their record, whose owner is gone, and taken back:
// the record and the empty placeholder go, an empty page folder too. A page
// folder that holds pages stays for the user, and is told.
namespace AbandonedClaims {

// The record of the claim on `name` in `folder` (which ends in "/"): a
// hidden file, so the tree does not show it.
std::string RecordPath(const std::string& folder, const std::string& name);

// Takes back every abandoned claim in `folder`; returns the page folders
// (with their trailing "/") that were left holding pages.
std::vector<std::string> TakeBack(const std::string& folder);

// "Pages of an interrupted scan are in F"
std::string LeftPagesNotice(const std::string& pageFolder);

}  // namespace AbandonedClaims

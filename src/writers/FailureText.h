#pragma once

#include <string>

// Why a write failed, as the writers hand it back: the file, the step that
// failed, and in brackets the library's or the system's own words when they
// gave any, e.g. "/archive/Bank.tif: write failed (No space left on device)".
std::string FailureText(const std::string& file, const std::string& what,
                        const std::string& detail = {});

// The system's words for an errno value; empty for 0.
std::string SystemErrorText(int errorNumber);

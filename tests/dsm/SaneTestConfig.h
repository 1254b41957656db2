#pragma once

#include <string>

// Points SANE at a private configuration folder that lists only the test
// backend, with a glass large enough for Letter and A4. SANE reads it once per
// process, so a test writes it before the first sane_init; `extraLines` go
// into test.conf (for example "three-pass true").
void UseSaneTestBackend(const std::string& extraLines = "");

// A SANE configuration without any backend: no scanner at all.
void UseNoSaneBackend();

#pragma once

#include <string>

// Writes a SANE configuration into `folder` that lists only the test backend,
// its two devices with a glass large enough for Letter and A4; `extraLines` go
// into test.conf (for example "three-pass true"). For a program started with
// SANE_CONFIG_DIR pointing there.
void WriteSaneTestConfig(const std::string& folder, const std::string& extraLines = "");

// Points this process's SANE at a private folder written as above. SANE reads
// it once per process, so a test calls this before the first sane_init.
void UseSaneTestBackend(const std::string& extraLines = "");

// A SANE configuration without any backend: no scanner at all.
void UseNoSaneBackend();

// Stores the feeder as the scan source of the test backend's first device, as
// the source dialog would; a source opened after this scans from the feeder.
void SelectSaneTestFeeder();

#pragma once

#include <gtest/gtest.h>

#include <QObject>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "FakeDsmScript.h"

// Loads the fake manager (the one TwainApi then finds through DOCKETEER_DSM),
// starts every test from a fresh script with an 8.5 by 11 inch glass, and
// opens the debug log so tests can read what was written.
class FakeDsmFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  FakeDsmScript& Script() { return *script_; }
  const FakeDsmScript& Script() const { return *script_; }
  std::string LogText() const;
  // The calls the fake received since the last ForgetCalls().
  const std::vector<std::string>& Calls() const { return script_->calls; }
  void ForgetCalls() { script_->calls.clear(); }
  int CountCalls(const std::string& call) const;

  void SetGlass(TW_FIX32 width, TW_FIX32 height);
  // Pages that the source delivers when a transfer is ready.
  void AddPages(int count);
  static std::vector<std::uint8_t> MakePage(int width, int height, std::uint8_t shade);
  static std::vector<std::uint8_t> BlockBytes(TW_HANDLE handle);

  // Runs the posted events, as the main window's event loop would.
  static void RunPostedEvents();

 private:
  FakeDsmScript* script_ = nullptr;
  std::size_t logStart_ = 0;
};

class ScanSource;

// Stands in for the main window: the source's events are posted to it, and it
// records the scan notifications of the source it watches.
class NotifyWindow : public QObject {
 public:
  enum Notice { Complete, Cancelled, Error, Page };

  void Watch(ScanSource& source);

  std::vector<Notice> notices;  // how scans ended
  int pages = 0;                // pages offered
  std::vector<Notice> order;    // every scan notification, in turn
  std::function<void()> onPage;
  int otherEvents = 0;

 protected:
  bool event(QEvent* event) override;

 private:
  void Record(Notice notice);
};

#pragma once

#include <gtest/gtest.h>

#include <string>

// A fixture with the debug log open in the test's private temporary folder;
// LogText() reads back what was written after the start banner.
class LogCapture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string LogText() const;
  std::string WholeLog() const;

 private:
  std::size_t bannerEnd_ = 0;
};

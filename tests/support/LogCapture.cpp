#include "LogCapture.h"

#include <fstream>
#include <sstream>

#include "core/DebugLog.h"

void LogCapture::SetUp() {
  ASSERT_TRUE(OpenDebugLog());
  bannerEnd_ = WholeLog().size();
}

void LogCapture::TearDown() {
  CloseDebugLog();
}

std::string LogCapture::WholeLog() const {
  std::ifstream in(LogFilePath(), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string LogCapture::LogText() const {
  return WholeLog().substr(bannerEnd_);
}

#include "FakeDsmFixture.h"

#include <dlfcn.h>

#include <QCoreApplication>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "core/DebugLog.h"
#include "twain/GlobalMemory.h"
#include "twain/ScanSource.h"

namespace {

std::string ReadLog() {
  std::ifstream in(LogFilePath(), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

void FakeDsmFixture::SetUp() {
  ::setenv("DOCKETEER_DSM", FAKE_DSM_PATH, 1);
  // Held for the whole process, so the fake's script and event type outlive
  // every manager the tests construct and destroy.
  void* library = ::dlopen(FAKE_DSM_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << ::dlerror();
  auto scriptOf = reinterpret_cast<FakeDsmScriptProc>(::dlsym(library, kFakeDsmScriptName));
  ASSERT_NE(scriptOf, nullptr);
  script_ = scriptOf();
  const int eventType = script_->eventType;
  *script_ = FakeDsmScript{};
  script_->eventType = eventType;
  script_->layout.DocumentNumber = 4;
  script_->layout.PageNumber = 5;
  script_->layout.FrameNumber = 6;
  SetGlass(TW_FIX32{8, 32768}, TW_FIX32{11, 0});
  ASSERT_TRUE(OpenDebugLog());
  logStart_ = ReadLog().size();
}

void FakeDsmFixture::TearDown() {
  RunPostedEvents();
  CloseDebugLog();
  ::unsetenv("DOCKETEER_DSM");
}

std::string FakeDsmFixture::LogText() const {
  return ReadLog().substr(logStart_);
}

int FakeDsmFixture::CountCalls(const std::string& call) const {
  int count = 0;
  for (const std::string& received : Calls())
    count += received == call ? 1 : 0;
  return count;
}

void FakeDsmFixture::SetGlass(TW_FIX32 width, TW_FIX32 height) {
  auto word = [](TW_FIX32 value) {
    return static_cast<TW_UINT16>(value.Whole) | (TW_UINT32{value.Frac} << 16);
  };
  script_->capabilities[ICAP_PHYSICALWIDTH] = {TWON_ONEVALUE, TWTY_FIX32, {word(width)}};
  script_->capabilities[ICAP_PHYSICALHEIGHT] = {TWON_ONEVALUE, TWTY_FIX32, {word(height)}};
}

void FakeDsmFixture::AddPages(int count) {
  for (int i = 0; i < count; ++i) {
    script_->pages.push_back(MakePage(3 + i, 2, static_cast<std::uint8_t>(0x10 * (i + 1))));
  }
}

std::vector<std::uint8_t> FakeDsmFixture::MakePage(int width, int height, std::uint8_t shade) {
  return MakeFakePage(width, height, shade);
}

std::vector<std::uint8_t> FakeDsmFixture::BlockBytes(TW_HANDLE handle) {
  const auto* data = static_cast<const std::uint8_t*>(GlobalLock(handle));
  std::vector<std::uint8_t> bytes(data, data + GlobalSize(handle));
  GlobalUnlock(handle);
  return bytes;
}

void FakeDsmFixture::RunPostedEvents() {
  // A batch announces its pages one event after another.
  for (int round = 0; round < 20; ++round)
    QCoreApplication::processEvents();
}

void NotifyWindow::Watch(ScanSource& source) {
  connect(&source, &ScanSource::pageReady, this, [this] { Record(Page); });
  connect(&source, &ScanSource::scanComplete, this, [this] { Record(Complete); });
  connect(&source, &ScanSource::scanCancelled, this, [this] { Record(Cancelled); });
  connect(&source, &ScanSource::scanFailed, this, [this] { Record(Error); });
}

void NotifyWindow::Record(Notice notice) {
  order.push_back(notice);
  if (notice != Page) {
    notices.push_back(notice);
    return;
  }
  ++pages;
  if (onPage)
    onPage();
}

bool NotifyWindow::event(QEvent* event) {
  if (event->type() >= QEvent::User)
    ++otherEvents;
  return QObject::event(event);
}

#include "FakeScanSource.h"

#include <QBuffer>
#include <QImage>
#include <cstring>
#include <utility>

#include "DibPage.h"
#include "twain/GlobalMemory.h"

FakeScanSource::~FakeScanSource() {
  FreeHeld();
}

void FakeScanSource::FreeHeld() {
  for (TW_HANDLE page : held_)
    GlobalFree(page);
  held_.clear();
}

void FakeScanSource::CloseSourceWindow() {
  busy_ = false;
  waiting_ = false;
}

// Pages left untaken from the scan before go, as the manager drops them.
void FakeScanSource::StartScan(const ScanRequest& request) {
  requests.push_back(request);
  FreeHeld();
  ++scanNumber_;
  busy_ = true;
  waiting_ = false;
  delivered_ = 0;
  scripted_ = !scans.empty();
  if (!scripted_)
    return;
  current_ = scans.front();
  scans.pop_front();
  QueueTransfer();
}

void FakeScanSource::QueueTransfer() {
  QMetaObject::invokeMethod(
      this, [this, scan = scanNumber_] { TransferNext(scan); }, Qt::QueuedConnection);
}

std::vector<TW_HANDLE> FakeScanSource::TakeImages() {
  std::vector<TW_HANDLE> taken = std::exchange(held_, {});
  if (std::exchange(waiting_, false))
    TransferNext(scanNumber_);
  return taken;
}

void FakeScanSource::TransferNext(int scan) {
  if (scan != scanNumber_ || !busy_)
    return;  // a later scan started, or the window was closed
  if (delivered_ == current_.pages) {
    End();
    return;
  }
  if (heldPageLimit_ != 0 && held_.size() >= heldPageLimit_) {
    waiting_ = true;
    return;
  }
  std::vector<std::uint8_t> page = MakeFakePage(3, 2, 0x10);
  if (!pages.empty()) {
    page = std::move(pages.front());
    pages.pop_front();
  }
  TW_HANDLE handle = GlobalAlloc(page.size());
  std::memcpy(GlobalLock(handle), page.data(), page.size());
  GlobalUnlock(handle);
  held_.push_back(handle);
  ++delivered_;
  Post(Notice::Page);
  if (delivered_ < current_.pages)
    QueueTransfer();
  else
    End();
}

bool FakeScanSource::CancelScan() {
  if (!busy_)
    return false;
  ++cancels;
  waiting_ = false;
  current_.ending = delivered_ > 0 ? Ending::Complete : Ending::Cancelled;
  End();
  return true;
}

void FakeScanSource::End() {
  busy_ = false;
  switch (current_.ending) {
    case Ending::Complete:
      Post(Notice::Complete);
      break;
    case Ending::Cancelled:
      Post(Notice::Cancelled);
      break;
    case Ending::Failed:
      Post(Notice::Failed);
      break;
  }
}

std::vector<std::uint8_t> DibOf(const QImage& image) {
  QByteArray bmp;
  QBuffer buffer(&bmp);
  buffer.open(QIODevice::WriteOnly);
  image.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP");
  constexpr qsizetype kFileHeader = 14;
  return {bmp.begin() + kFileHeader, bmp.end()};
}

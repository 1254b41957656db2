#include "writers/worker/ProgressDlg.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimerEvent>
#include <QVBoxLayout>
#include <cstdint>
#include <utility>

#include "core/DebugLog.h"

namespace {

constexpr int kTickMilliseconds = 100;
constexpr int kHighestRunningPercent = 99;

}  // namespace

ProgressDlg::ProgressDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("ProgressDlg");
  setMinimumWidth(320);
  progressBar_ = new QProgressBar;
  progressBar_->setObjectName("progressBar");
  progressBar_->setTextVisible(false);
  percentText_ = new QLabel;
  percentText_->setObjectName("percentText");
  percentText_->setAlignment(Qt::AlignCenter);
  detailText_ = new QLabel;
  detailText_->setObjectName("detailText");
  detailText_->setAlignment(Qt::AlignCenter);
  detailText_->hide();
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
  cancelButton_ = buttons->button(QDialogButtonBox::Cancel);
  cancelButton_->setObjectName("cancelButton");
  cancelButton_->setEnabled(false);
  connect(cancelButton_, &QPushButton::clicked, this, &ProgressDlg::OnCancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(progressBar_);
  layout->addWidget(percentText_);
  layout->addWidget(detailText_);
  layout->addWidget(buttons);
  setWindowFlag(Qt::WindowCloseButtonHint, false);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

ProgressDlg::~ProgressDlg() {
  if (wasRun_ && !IsMarkedForDestruction())
    Log(LOG_LOCATION,
        "ProgressDlg::OnDestroy(): Unexpected condition: isMarkedForDestruction is FALSE");
  timer_.stop();
}

void ProgressDlg::SetCaption(const QString& caption) {
  caption_ = caption;
}

void ProgressDlg::SetEstimatedDuration(int milliseconds) {
  estimatedDuration_ = milliseconds;
}

void ProgressDlg::SetDetailSource(std::function<QString()> detail) {
  detail_ = std::move(detail);
}

void ProgressDlg::SetCancel(std::function<void()> cancel) {
  cancel_ = std::move(cancel);
}

// The step that runs names the window: the write's own caption, or what it
// waits for; the bar cannot tell how long that takes, so it only moves.
void ProgressDlg::ShowDetail() {
  const QString detail = detail_ ? detail_() : QString();
  const bool waiting = !detail.isEmpty();
  detailText_->setText(cancelled_ && waiting ? QStringLiteral("Stopping text recognition...")
                                             : detail);
  detailText_->setVisible(waiting);
  setWindowTitle(waiting ? QStringLiteral("Recognising text...") : caption_);
  progressBar_->setRange(0, waiting ? 0 : 100);
  percentText_->setVisible(!waiting);
  cancelButton_->setEnabled(waiting && cancel_ && !cancelled_);
}

void ProgressDlg::OnCancel() {
  if (!cancel_ || cancelled_)
    return;
  cancelled_ = true;
  cancel_();
  ShowDetail();
}

void ProgressDlg::MarkForDestruction() {
  isMarkedForDestruction_.store(true, std::memory_order_release);
  // Closes at once rather than at the next tick, which would add up to a
  // tick to every page of a batch; the tick stays as the fallback.
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (isVisible())
          OnTimer();
      },
      Qt::QueuedConnection);
}

bool ProgressDlg::IsMarkedForDestruction() const {
  return isMarkedForDestruction_.load(std::memory_order_acquire);
}

int ProgressDlg::exec() {
  OnInitDialog();
  return QDialog::exec();
}

int ProgressDlg::PercentAfter(int elapsed, int estimatedDuration) {
  if (estimatedDuration <= 0)
    return kHighestRunningPercent;
  const std::int64_t percent = std::int64_t{elapsed} * 100 / estimatedDuration;
  return percent > 98 ? kHighestRunningPercent : static_cast<int>(percent);
}

void ProgressDlg::reject() {
  if (IsMarkedForDestruction())
    QDialog::reject();
}

void ProgressDlg::OnInitDialog() {
  wasRun_ = true;
  setWindowTitle(caption_);
  ShowPercent(0);
  ShowDetail();
  timer_.start(kTickMilliseconds, this);
}

void ProgressDlg::timerEvent(QTimerEvent* event) {
  if (event->timerId() == timer_.timerId())
    OnTimer();
  else
    QDialog::timerEvent(event);
}

void ProgressDlg::closeEvent(QCloseEvent* event) {
  if (IsMarkedForDestruction())
    QDialog::closeEvent(event);
  else
    event->ignore();
}

void ProgressDlg::OnTimer() {
  elapsed_ += kTickMilliseconds;
  ShowPercent(PercentAfter(elapsed_, estimatedDuration_));
  ShowDetail();
  if (IsMarkedForDestruction()) {
    timer_.stop();
    done(0);
  }
}

void ProgressDlg::ShowPercent(int percent) {
  progressBar_->setValue(percent);
  percentText_->setText(QString::asprintf("%d%%", percent));
}

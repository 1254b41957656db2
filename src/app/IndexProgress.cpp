#include "app/IndexProgress.h"

#include "app/ProgressLine.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kFirstAfter = std::chrono::milliseconds(300);
constexpr auto kEvery = std::chrono::milliseconds(100);

}  // namespace

std::string GroupedNumber(long long number) {
  std::string digits = std::to_string(number < 0 ? -number : number);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
    digits.insert(static_cast<std::size_t>(at), ",");
  return number < 0 ? "-" + digits : digits;
}

IndexProgress::IndexProgress() : start_(Clock::now()), last_(start_) {}

bool IndexProgress::OnTerminal() const {
  return ProgressLine::Shown();
}

void IndexProgress::Show(const std::string& what, int done, int total, const std::string& unit) {
  const auto now = Clock::now();
  if (!OnTerminal() || total <= 0 || now - start_ < kFirstAfter || (shown_ && now - last_ < kEvery))
    return;
  last_ = now;
  shown_ = true;
  ProgressLine::Show(what + ": " + GroupedNumber(done) + " of " + GroupedNumber(total) + " " +
                     unit);
}

void IndexProgress::Clear() {
  ProgressLine::End();
  shown_ = false;
}

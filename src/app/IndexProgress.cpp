#include "app/IndexProgress.h"

#include <unistd.h>

#include <cstdio>

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

IndexProgress::IndexProgress()
    : terminal_(::isatty(STDERR_FILENO) == 1), start_(Clock::now()), last_(start_) {}

void IndexProgress::Show(const std::string& what, int done, int total, const std::string& unit) {
  const auto now = Clock::now();
  if (!terminal_ || total <= 0 || now - start_ < kFirstAfter || (shown_ && now - last_ < kEvery))
    return;
  last_ = now;
  shown_ = true;
  std::fprintf(stderr, "\r\033[K%s: %s of %s %s", what.c_str(), GroupedNumber(done).c_str(),
               GroupedNumber(total).c_str(), unit.c_str());
  std::fflush(stderr);
}

void IndexProgress::Clear() {
  if (!shown_)
    return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  shown_ = false;
}

#include "naming/TodayClock.h"

#include <QDate>
#include <atomic>

namespace {

// 0 means "use the local clock"; otherwise year * 10000 + month * 100 + day.
std::atomic<std::int64_t> fixedDay{0};

std::int64_t Pack(int year, int month, int day) {
  return static_cast<std::int64_t>(year) * 10000 + month * 100 + day;
}

}  // namespace

CalendarDay TodayClock::Today() {
  const std::int64_t packed = fixedDay.load();
  if (packed != 0) {
    return {static_cast<int>(packed / 10000), static_cast<int>(packed / 100 % 100),
            static_cast<int>(packed % 100)};
  }
  const QDate today = QDate::currentDate();
  return {today.year(), today.month(), today.day()};
}

TodayClock::Fixed::Fixed(int year, int month, int day)
    : previous_(fixedDay.exchange(Pack(year, month, day))) {}

TodayClock::Fixed::~Fixed() {
  fixedDay.store(previous_);
}

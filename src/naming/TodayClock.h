#pragma once

#include <cstdint>

// A calendar day as three plain numbers.
struct CalendarDay {
  int year = 0;
  int month = 0;
  int day = 0;
};

// The one place today's date comes from: the local clock, unless a test has
// fixed the day. Every name that depends on today reads it here.
class TodayClock {
 public:
  static CalendarDay Today();

  // While one lives, Today() answers the given day. Fixes do not nest across
  // threads; tests hold one at a time.
  class Fixed {
   public:
    Fixed(int year, int month, int day);
    ~Fixed();
    Fixed(const Fixed&) = delete;
    Fixed& operator=(const Fixed&) = delete;

   private:
    std::int64_t previous_;
  };
};

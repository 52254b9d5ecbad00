#pragma once

// Date-times as the program keeps them: days since 1899-12-30 00:00, the fraction being the
// time of day, so that a difference of two is a duration in days.

#include <string>

namespace kw {

// The local date and time now.
double NowDays();

// The local date-time given, in days (month 1..12, day 1..31).
double daysFromLocal(int year, unsigned month, unsigned day, int hours, int minutes, int seconds,
                     int milliseconds);

// A duration in days shown as a time of day, "hh:mm:ss" with two digits each: whole seconds
// after rounding to the millisecond, and only what lies below 24 hours. A negative or
// non-finite duration (the clock was set back) shows as "00:00:00".
std::string formatElapsed(double days);

} // namespace kw

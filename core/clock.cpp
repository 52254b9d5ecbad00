#include "clock.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace kw {

namespace {

constexpr double MillisecondsPerDay = 24.0 * 60 * 60 * 1000;

} // namespace

double daysFromLocal(int year, unsigned month, unsigned day, int hours, int minutes, int seconds,
                     int milliseconds)
{
    using namespace std::chrono;
    constexpr sys_days epoch =
        year_month_day{std::chrono::year{1899}, December, std::chrono::day{30}};
    const sys_days date =
        year_month_day{std::chrono::year{year}, std::chrono::month{month}, std::chrono::day{day}};
    const double timeOfDay = ((hours * 60.0 + minutes) * 60.0 + seconds) * 1000.0 + milliseconds;
    return static_cast<double>((date - epoch).count()) + timeOfDay / MillisecondsPerDay;
}

double NowDays()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
#if defined(_WIN32)
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    const auto milliseconds =
        duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return daysFromLocal(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                         static_cast<unsigned>(local.tm_mday), local.tm_hour, local.tm_min,
                         local.tm_sec, static_cast<int>(milliseconds < 0 ? 0 : milliseconds));
}

std::string formatElapsed(double days)
{
    long long total = 0;
    if (std::isfinite(days) && days > 0) {
        total = std::llround(std::fmod(days, 1.0) * MillisecondsPerDay) / 1000;
        total %= 24 * 60 * 60;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", total / 3600, total / 60 % 60,
                  total % 60);
    return text;
}

} // namespace kw

#include "common/hunits/h_clock.h"

#include <cctype>
#include <chrono>
#include <cmath>
#include <ctime>
#include <thread>

namespace {

t_real_clock real_clock;
t_clock* current_clock = nullptr;

// Days from 1 January 1970 of a proleptic Gregorian date (Howard Hinnant's algorithm).
int64_t days_from_civil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civil_from_days(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

constexpr int64_t ole_epoch_days = -25569;  // 30 December 1899 counted from 1 January 1970
constexpr int64_t ms_per_day = 86400000;

}  // namespace

t_clock& h_clock() {
    return current_clock ? *current_clock : real_clock;
}

void set_h_clock(t_clock* clock) {
    current_clock = clock;
}

t_local_time t_real_clock::now_local() {
    const auto now = std::chrono::system_clock::now();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch());
    const std::time_t secs = static_cast<std::time_t>(ms.count() / 1000);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &secs);
#else
    localtime_r(&secs, &tm);
#endif
    return {tm.tm_year + 1900,
            tm.tm_mon + 1,
            tm.tm_mday,
            tm.tm_hour,
            tm.tm_min,
            tm.tm_sec,
            static_cast<int>(ms.count() % 1000)};
}

uint32_t t_real_clock::tick_count() {
    return static_cast<uint32_t>(now_us() / 1000);
}

void t_real_clock::sleep_ms(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

uint64_t t_real_clock::now_us() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

t_virtual_clock::t_virtual_clock(t_local_time start, uint32_t start_tick)
    : start_ole_(to_ole_date(start)), tick_base_(start_tick) {}

t_local_time t_virtual_clock::now_local() {
    return from_ole_date(start_ole_ + static_cast<double>(elapsed_us_ / 1000) / ms_per_day);
}

uint32_t t_virtual_clock::tick_count() {
    return tick_base_ + static_cast<uint32_t>((elapsed_us_ - tick_base_us_) / 1000);
}

void t_virtual_clock::sleep_ms(uint32_t ms) {
    slept_ms_ += ms;
    advance_us(static_cast<uint64_t>(ms) * 1000);
}

uint64_t t_virtual_clock::now_us() {
    return elapsed_us_;
}

void t_virtual_clock::advance_us(uint64_t us) {
    elapsed_us_ += us;
}

void t_virtual_clock::set_tick_count(uint32_t tick) {
    tick_base_ = tick;
    tick_base_us_ = elapsed_us_;
}

double to_ole_date(const t_local_time& t) {
    const int64_t days =
        days_from_civil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) -
        ole_epoch_days;
    const int64_t ms_of_day =
        ((static_cast<int64_t>(t.hour) * 60 + t.minute) * 60 + t.second) * 1000 + t.millisecond;
    return static_cast<double>(days) + static_cast<double>(ms_of_day) / ms_per_day;
}

t_local_time from_ole_date(double ole) {
    const int64_t total_ms = static_cast<int64_t>(std::llround(ole * ms_per_day));
    int64_t days = total_ms / ms_per_day;
    int64_t ms = total_ms % ms_per_day;
    if (ms < 0) {
        ms += ms_per_day;
        --days;
    }
    t_local_time t;
    civil_from_days(days + ole_epoch_days, t.year, t.month, t.day);
    t.millisecond = static_cast<int>(ms % 1000);
    t.second = static_cast<int>(ms / 1000 % 60);
    t.minute = static_cast<int>(ms / 60000 % 60);
    t.hour = static_cast<int>(ms / 3600000);
    return t;
}

std::string format_local_time(const t_local_time& t, const std::string& pattern) {
    std::string out;
    auto put = [&out](int value, int width) {
        std::string digits = std::to_string(value);
        if (static_cast<int>(digits.size()) < width) {
            out.append(static_cast<size_t>(width) - digits.size(), '0');
        }
        out += digits;
    };
    auto token_at = [&pattern](size_t i, const char* token) {
        for (size_t k = 0; token[k] != '\0'; ++k) {
            if (i + k >= pattern.size() ||
                std::tolower(static_cast<unsigned char>(pattern[i + k])) != token[k]) {
                return false;
            }
        }
        return true;
    };
    for (size_t i = 0; i < pattern.size();) {
        if (token_at(i, "yyyy")) {
            put(t.year, 4);
            i += 4;
        } else if (token_at(i, "zzz")) {
            put(t.millisecond, 3);
            i += 3;
        } else if (token_at(i, "mm")) {
            put(t.month, 2);
            i += 2;
        } else if (token_at(i, "dd")) {
            put(t.day, 2);
            i += 2;
        } else if (token_at(i, "hh")) {
            put(t.hour, 2);
            i += 2;
        } else if (token_at(i, "nn")) {
            put(t.minute, 2);
            i += 2;
        } else if (token_at(i, "ss")) {
            put(t.second, 2);
            i += 2;
        } else {
            out += pattern[i];
            ++i;
        }
    }
    return out;
}

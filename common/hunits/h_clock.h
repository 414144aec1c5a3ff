// The clock seam: local date and time, the millisecond tick count, sleeping and the
// microsecond time that the simulated card's chips run on. The program uses the real
// clock; tests install a virtual one, so that waits cost no real time.
#pragma once

#include <cstdint>
#include <string>

struct t_local_time {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

class t_clock {
  public:
    virtual ~t_clock() = default;
    virtual t_local_time now_local() = 0;
    // Milliseconds since an arbitrary start; 32 bits, wraps around.
    virtual uint32_t tick_count() = 0;
    virtual void sleep_ms(uint32_t ms) = 0;
    // Monotonic microseconds; the simulated chips time their write cycle with it.
    virtual uint64_t now_us() = 0;
    // Time that a simulated port request takes. The real clock lets it pass by itself.
    virtual void advance_us(uint64_t us) {}
};

// The clock in use; the real clock unless a test installed another one.
t_clock& h_clock();
// Installs `clock` (not owned); nullptr restores the real clock.
void set_h_clock(t_clock* clock);

class t_real_clock : public t_clock {
  public:
    t_local_time now_local() override;
    uint32_t tick_count() override;
    void sleep_ms(uint32_t ms) override;
    uint64_t now_us() override;
};

// Time that moves only when told to: by sleep_ms, advance_us or the setters.
class t_virtual_clock : public t_clock {
  public:
    // Starts at `start` local time with the tick count `start_tick`.
    explicit t_virtual_clock(t_local_time start = {2010, 4, 1, 9, 5, 7, 42},
                             uint32_t start_tick = 1000);
    t_local_time now_local() override;
    uint32_t tick_count() override;
    void sleep_ms(uint32_t ms) override;
    uint64_t now_us() override;
    void advance_us(uint64_t us) override;

    void advance_ms(uint64_t ms) { advance_us(ms * 1000); }
    // Sets the tick count without moving the local time (e.g. just before a wrap).
    void set_tick_count(uint32_t tick);
    uint64_t total_slept_ms() const { return slept_ms_; }

  private:
    double start_ole_;
    uint64_t elapsed_us_ = 0;
    uint32_t tick_base_;
    uint64_t tick_base_us_ = 0;
    uint64_t slept_ms_ = 0;
};

// Date-time values: days since 30 December 1899, the fraction being the time of day.
double to_ole_date(const t_local_time& t);
// Rounded to the nearest millisecond.
t_local_time from_ole_date(double ole);

// Formats `t` by a pattern of the tokens yyyy, mm, dd, hh, nn, ss, zzz (either case; "mm"
// is the month, "nn" the minute); every other character is copied.
// Example: "yyyymmdd-hhnnsszzz" -> "20100401-090507042".
std::string format_local_time(const t_local_time& t, const std::string& pattern);

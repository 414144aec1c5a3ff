// Where a long card operation reports its progress: the window lends its progress bar,
// the terminal a text bar, tests a counter. Not owned by the card-access object.
#pragma once

#include <cstdint>

class t_progress_sink {
  public:
    virtual ~t_progress_sink() = default;
    virtual void set_max_position(int32_t max) = 0;
    virtual void set_position(int32_t position) = 0;
    // Moves the position on by `delta` (one per byte of a whole-cell read).
    virtual void step_position(int32_t delta) = 0;
};

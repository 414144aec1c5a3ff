// The lines of the card reader as a bus trace records them, and the interface of a backend
// that knows the exact wire after each request (the simulated reader).
#pragma once

#include <cstdint>

struct t_wire_levels {
    bool clock = false;
    bool data = false;       // as on the wire
    bool data_host = false;  // as the program drives it
    bool power = false;
};

// A backend that can tell the exact state of the lines after each request.
class t_wire_probe {
  public:
    virtual ~t_wire_probe() = default;
    virtual t_wire_levels wire_levels() const = 0;
};

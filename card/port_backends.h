// The table of port backends: which kinds this build has, and making one by kind.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "card/port_backend.h"
#include "card/simulator/sim_port_backend.h"

enum class t_port_backend_kind {
    kernel_driver,  // the kernel driver (Windows)
    ppdev,          // /dev/parportN (Linux)
    simulator,      // the simulated card reader
};

// What the backends may need to be made; each takes only its own part.
struct t_port_backend_options {
    // The simulated card reader: card image file, reader port, noise, absent chips.
    t_sim_config simulator;
};

// "windrv", "ppdev", "simulator".
const char* port_backend_name(t_port_backend_kind kind);
// Whether this build has the backend.
bool port_backend_available(t_port_backend_kind kind);
// The backend for real hardware in this build: the kernel driver or ppdev.
t_port_backend_kind native_port_backend_kind();
// nullptr with the reason in Russian when the backend is not available on this system or
// cannot be made.
std::unique_ptr<t_port_backend> make_port_backend(t_port_backend_kind kind,
                                                  const t_port_backend_options& options,
                                                  std::string& error_text);

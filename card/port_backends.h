// The table of port backends: which kinds this build has, and making one by kind.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "card/port_backend.h"

enum class t_port_backend_kind {
    kernel_driver,  // the kernel driver (Windows)
    ppdev,          // /dev/parportN (Linux)
    simulator,      // the simulated card reader
};

// What the backends may need to be made; each takes only its own fields.
struct t_port_backend_options {
    // Simulator: the card image file, the port its reader sits on, the chance that a bit
    // sent by a chip is read inverted, and the seed of that noise.
    std::string card_file;
    uint32_t sim_port = 0x378;
    double sim_noise = 0.0;
    uint64_t sim_seed = 0;
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

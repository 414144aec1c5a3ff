// The port access of the card commands as the global options choose it: the simulated
// card reader (--simulate) or this machine's parallel port, inside the bus trace when
// --bus-trace names a file.
#pragma once

#include <memory>

#include "app/cli/cli_global_options.h"
#include "card/bus_trace.h"
#include "card/port_backend.h"

struct t_cli_card_port {
    std::unique_ptr<t_port_backend> backend;
    // The trace around `backend` (owned by it); nullptr without --bus-trace.
    t_bus_trace_backend* trace = nullptr;
};

// False after a message; `status` is then the exit status: 2 for a card file that cannot be
// loaded, 1 otherwise.
bool make_cli_card_port(const t_cli_global_options& options, t_cli_card_port& port, int& status);

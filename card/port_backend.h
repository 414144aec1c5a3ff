// A port backend gives the card-access object the four pin-level operations it needs:
// open for a base address, close, write the data register, read the status register.
// The two-wire bus protocol is written once above this interface.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

enum class t_port_open_result {
    opened,
    // This port does not exist on this system: a port scan logs it and tries the next port.
    no_such_port,
    // Any other failure (driver missing, too old, port busy, no permission): the reason
    // in Russian is in the error text; a port scan ends.
    failed,
};

class t_port_backend {
  public:
    virtual ~t_port_backend() = default;
    // Opens the port whose data register is at `base` (status register at base + 1).
    // On anything but `opened` the backend is closed again and `error_text` says why.
    virtual t_port_open_result open(uint32_t base, std::string& error_text) = 0;
    // Called only after a successful open.
    virtual void close() = 0;
    virtual void write_data(uint8_t value) = 0;
    virtual uint8_t read_status() = 0;
};

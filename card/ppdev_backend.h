// Port access on Linux through the parport subsystem's user-space device /dev/parportN:
// the port is claimed exclusively, and every data write and status read is one ioctl.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "card/port_backend.h"

// The system calls the backend makes; tests put a fake in their place.
class t_ppdev_io {
  public:
    virtual ~t_ppdev_io() = default;
    // Each returns the call's result (a descriptor, 0) or -errno when it failed.
    virtual int open_device(const std::string& path) = 0;
    virtual int control(int fd, unsigned long request, void* arg) = 0;
    virtual void close_device(int fd) = 0;
};

std::unique_ptr<t_ppdev_io> make_system_ppdev_io();

// Where the backend looks for the ports: the parport folder of /proc, and /dev.
struct t_ppdev_paths {
    std::string proc_root = "/proc/sys/dev/parport";
    std::string dev_dir = "/dev";
};

class t_ppdev_backend : public t_port_backend {
  public:
    explicit t_ppdev_backend(t_ppdev_paths paths = {},
                             std::unique_ptr<t_ppdev_io> io = make_system_ppdev_io());
    // Releases and closes a port that is still open.
    ~t_ppdev_backend() override;
    t_ppdev_backend(const t_ppdev_backend&) = delete;
    t_ppdev_backend& operator=(const t_ppdev_backend&) = delete;

    t_port_open_result open(uint32_t base, std::string& error_text) override;
    void close() override;
    void write_data(uint8_t value) override;
    // 0 when the read fails.
    uint8_t read_status() override;

    // The device of the port whose base address is `base` ("/dev/parport0"); empty when
    // no port of this machine has that address.
    std::string find_device(uint32_t base) const;

  private:
    t_ppdev_paths paths;
    std::unique_ptr<t_ppdev_io> io;
    int fd = -1;
};

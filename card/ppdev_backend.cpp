// Linux only (see card/CMakeLists.txt).
#include "card/ppdev_backend.h"

#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "card/port_addresses.h"
#include "common/hunits/uhFuncs.h"

namespace fs = std::filesystem;

namespace {

class t_system_ppdev_io : public t_ppdev_io {
  public:
    int open_device(const std::string& path) override {
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        return fd >= 0 ? fd : -errno;
    }
    int control(int fd, unsigned long request, void* arg) override {
        const int result = ::ioctl(fd, request, arg);
        return result >= 0 ? result : -errno;
    }
    void close_device(int fd) override { ::close(fd); }
};

std::string no_port_text(uint32_t base) {
    return format_str("Параллельный порт 0x%X на этом компьютере не найден.", base) +
           usb_adapter_note();
}

std::string no_parport_subsystem_text(uint32_t base, const std::string& proc_root) {
    return format_str(
               "Параллельный порт 0x%X не найден: параллельные порты не видны системе (нет "
               "%s). Загрузите драйверы порта: sudo modprobe parport_pc ppdev.",
               base, proc_root.c_str()) +
           usb_adapter_note();
}

std::string busy_text(uint32_t base, const std::string& device) {
    return format_str(
        "Порт 0x%X (%s) занят другим драйвером, например драйвером принтера lp, или другой "
        "программой. Освободите порт: выгрузите драйвер принтера командой sudo rmmod lp "
        "(или закройте программу, которая работает с портом).",
        base, device.c_str());
}

std::string open_error_text(uint32_t base, const std::string& device, int error) {
    switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return format_str(
                "Нет устройства %s для порта 0x%X: загрузите модуль ppdev (sudo modprobe "
                "ppdev).",
                device.c_str(), base);
        case EACCES:
        case EPERM:
            return format_str(
                "Нет прав на доступ к %s (порт 0x%X). Добавьте пользователя в группу lp "
                "(sudo usermod -a -G lp имя_пользователя) и войдите в систему заново.",
                device.c_str(), base);
        case EBUSY:
            return busy_text(base, device);
        default:
            return format_str("Ошибка открытия %s (порт 0x%X), код ошибки %d.", device.c_str(),
                              base, error);
    }
}

// The first number of a base-addr file: the port's base address in decimal.
bool read_base_address(const fs::path& file, uint32_t& base) {
    std::ifstream in(file);
    unsigned long value = 0;
    if (!(in >> value)) {
        return false;
    }
    base = static_cast<uint32_t>(value);
    return true;
}

}  // namespace

std::unique_ptr<t_ppdev_io> make_system_ppdev_io() {
    return std::make_unique<t_system_ppdev_io>();
}

t_ppdev_backend::t_ppdev_backend(t_ppdev_paths paths, std::unique_ptr<t_ppdev_io> io)
    : paths(std::move(paths)), io(std::move(io)) {}

t_ppdev_backend::~t_ppdev_backend() {
    close();
}

std::string t_ppdev_backend::find_device(uint32_t base) const {
    std::error_code ec;
    std::vector<std::string> ports;
    for (const auto& entry : fs::directory_iterator(paths.proc_root, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("parport", 0) == 0 && name.size() > 7 &&
            std::all_of(name.begin() + 7, name.end(),
                        [](char c) { return c >= '0' && c <= '9'; })) {
            ports.push_back(name);
        }
    }
    std::sort(ports.begin(), ports.end());
    for (const std::string& port : ports) {
        uint32_t port_base = 0;
        if (read_base_address(fs::path(paths.proc_root) / port / "base-addr", port_base) &&
            port_base == base) {
            return (fs::path(paths.dev_dir) / port).string();
        }
    }
    return {};
}

t_port_open_result t_ppdev_backend::open(uint32_t base, std::string& error_text) {
    close();
    if (!is_card_port_address(base)) {
        error_text = port_address_refused_text(base);
        return t_port_open_result::failed;
    }
    std::error_code ec;
    if (!fs::is_directory(paths.proc_root, ec)) {
        error_text = no_parport_subsystem_text(base, paths.proc_root);
        return t_port_open_result::no_such_port;
    }
    const std::string device = find_device(base);
    if (device.empty()) {
        error_text = no_port_text(base);
        return t_port_open_result::no_such_port;
    }

    const int opened = io->open_device(device);
    if (opened < 0) {
        error_text = open_error_text(base, device, -opened);
        return t_port_open_result::failed;
    }
    // Exclusive: no other driver (the printer driver lp) may use the port meanwhile.
    int result = io->control(opened, PPEXCL, nullptr);
    if (result >= 0) {
        result = io->control(opened, PPCLAIM, nullptr);
    }
    if (result < 0) {
        io->close_device(opened);
        // Refused exclusive access shows as ENXIO (or EBUSY): another device holds the port.
        error_text = (result == -ENXIO || result == -EBUSY)
                         ? busy_text(base, device)
                         : open_error_text(base, device, -result);
        return t_port_open_result::failed;
    }
    fd = opened;
    error_text.clear();
    return t_port_open_result::opened;
}

void t_ppdev_backend::close() {
    if (fd < 0) {
        return;
    }
    io->control(fd, PPRELEASE, nullptr);
    io->close_device(fd);
    fd = -1;
}

void t_ppdev_backend::write_data(uint8_t value) {
    io->control(fd, PPWDATA, &value);
}

uint8_t t_ppdev_backend::read_status() {
    uint8_t value = 0;
    if (io->control(fd, PPRSTATUS, &value) < 0) {
        return 0;
    }
    return value;
}

// t_hwindrv: construction, backend and port opening.
#include "card/U_wincard_work.h"
#include "card/port_addresses.h"

namespace {

// Stands in while no backend was chosen: refuses to open, ignores the lines.
class t_no_port_backend : public t_port_backend {
  public:
    t_port_open_result open(uint32_t, std::string& error_text) override {
        error_text = "Не выбран способ доступа к порту.";
        return t_port_open_result::failed;
    }
    void close() override {}
    void write_data(uint8_t) override {}
    uint8_t read_status() override { return 0; }
};

}  // namespace

t_hwindrv::t_hwindrv() : backend_(std::make_unique<t_no_port_backend>()) {}

t_hwindrv::t_hwindrv(std::unique_ptr<t_port_backend> backend) : t_hwindrv() {
    set_backend(std::move(backend));
}

t_hwindrv::~t_hwindrv() = default;

void t_hwindrv::set_backend(std::unique_ptr<t_port_backend> backend) {
    if (driver_open) {
        raise_program_error("t_hwindrv::set_backend", __FILE__,
                            "Нельзя сменить способ доступа к открытому порту!");
    }
    backend_ = backend ? std::move(backend) : std::make_unique<t_no_port_backend>();
}

void t_hwindrv::set_port(uint32_t base) {
    port_base = base;
    status_port = base + 1;
}

bool t_hwindrv::open_driver() {
    if (driver_open) {
        raise_program_error("t_hwindrv::open_driver", __FILE__, "Порт уже открыт!");
    }
    if (!is_card_port_address(port_base)) {
        last_open = t_port_open_result::failed;
        text_result = port_address_refused_text(port_base);
        return false;
    }
    std::string error_text;
    last_open = backend_->open(port_base, error_text);
    driver_open = last_open == t_port_open_result::opened;
    text_result = driver_open ? std::string() : error_text;
    return driver_open;
}

void t_hwindrv::close_driver() {
    if (!driver_open) {
        return;
    }
    driver_open = false;
    backend_->close();
}

#include "card/simulator/sim_port_backend.h"

#include <utility>

#include "common/hunits/h_clock.h"

namespace {

// A simulated port request takes about what a real port access costs.
inline void port_request_time() {
    h_clock().advance_us(1);
}

}  // namespace

t_sim_port_backend::t_sim_port_backend(t_sim_card card, uint32_t reader_port,
                                       const t_sim_reader_faults& faults)
    : reader_(std::move(card), faults), reader_port_(reader_port) {}

t_port_open_result t_sim_port_backend::open(uint32_t base, std::string& error_text) {
    if (!is_card_port_address(base)) {
        error_text = port_address_refused_text(base);
        return t_port_open_result::failed;
    }
    opened_ = true;
    reader_attached_ = base == reader_port_;
    return t_port_open_result::opened;
}

void t_sim_port_backend::close() {
    // The port keeps its register values, and the card what they mean to it.
    opened_ = false;
    reader_attached_ = false;
}

void t_sim_port_backend::write_data(uint8_t value) {
    if (!opened_) {
        return;
    }
    port_request_time();
    if (reader_attached_) {
        reader_.write_data(value);
    } else {
        empty_port_data_ = value;
    }
}

uint8_t t_sim_port_backend::read_status() {
    if (!opened_) {
        return empty_port_status;
    }
    port_request_time();
    return reader_attached_ ? reader_.read_status() : empty_port_status;
}

t_wire_levels t_sim_port_backend::wire_levels() const {
    if (!reader_attached_) {
        return {(empty_port_data_ & 2) != 0, true, (empty_port_data_ & 1) != 0,
                (empty_port_data_ & 0x0C) == 0x0C};
    }
    return {reader_.clock(), reader_.data_wire(), reader_.data_host(), reader_.powered()};
}

std::unique_ptr<t_sim_port_backend> make_sim_port_backend(const t_sim_config& config,
                                                          std::string& error_text) {
    if (!is_card_port_address(config.reader_port)) {
        error_text = port_address_refused_text(config.reader_port);
        return nullptr;
    }
    if (!(config.noise >= 0.0 && config.noise <= 1.0)) {
        error_text = "Вероятность помех должна быть числом от 0 до 1.";
        return nullptr;
    }
    t_sim_card card;
    if (!load_card_file(config.card_file, card, error_text)) {
        return nullptr;
    }
    return std::make_unique<t_sim_port_backend>(
        std::move(card), config.reader_port,
        t_sim_reader_faults{config.noise, config.seed, config.absent_cells});
}

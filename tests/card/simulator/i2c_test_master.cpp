#include "i2c_test_master.h"

void t_i2c_test_master::write(uint8_t value) {
    line_ = value;
    port_.write_data(value);
}

void t_i2c_test_master::set_clock(bool high) {
    write(high ? (line_ | 2) : (line_ & ~2));
}

void t_i2c_test_master::set_data(bool high) {
    write(high ? (line_ | 1) : (line_ & ~1));
}

void t_i2c_test_master::start() {
    set_clock(true);
    set_data(false);
    set_clock(false);
}

void t_i2c_test_master::stop() {
    write(12);
    write(14);
    write(15);
    write(13);
}

void t_i2c_test_master::send_bit(bool bit) {
    set_clock(false);
    set_data(bit);
    set_clock(true);
}

bool t_i2c_test_master::receive_bit() {
    set_clock(false);
    set_data(true);
    set_clock(true);
    const bool bit = (port_.read_status() & 0x40) != 0;
    set_clock(false);
    return bit;
}

bool t_i2c_test_master::send_byte(uint8_t value) {
    for (int i = 7; i >= 0; --i) {
        send_bit(((value >> i) & 1) != 0);
    }
    const bool ack = !receive_bit();
    acks_.push_back(ack);
    return ack;
}

uint8_t t_i2c_test_master::receive_byte(bool ack) {
    uint8_t value = 0;
    for (int i = 0; i < 8; ++i) {
        value = static_cast<uint8_t>((value << 1) | (receive_bit() ? 1 : 0));
    }
    send_bit(!ack);
    return value;
}

bool t_i2c_test_master::write_bytes(uint8_t slave, uint16_t offset,
                                    const std::vector<uint8_t>& data) {
    acks_.clear();
    start();
    bool all = send_byte(slave);
    all = send_byte(static_cast<uint8_t>(offset >> 8)) && all;
    all = send_byte(static_cast<uint8_t>(offset)) && all;
    for (uint8_t b : data) {
        all = send_byte(b) && all;
    }
    stop();
    return all;
}

std::vector<uint8_t> t_i2c_test_master::read_bytes(int count, t_read_end end) {
    std::vector<uint8_t> bytes;
    for (int i = 0; i < count; ++i) {
        const bool last = i == count - 1;
        bytes.push_back(receive_byte(!last || end == t_read_end::ack_all_extra_bit_then_stop));
    }
    if (end == t_read_end::ack_all_extra_bit_then_stop) {
        send_bit(true);
    }
    stop();
    return bytes;
}

std::vector<uint8_t> t_i2c_test_master::random_read(uint8_t slave, uint16_t offset, int count,
                                                    t_read_end end) {
    acks_.clear();
    start();
    send_byte(slave);
    send_byte(static_cast<uint8_t>(offset >> 8));
    send_byte(static_cast<uint8_t>(offset));
    start();
    send_byte(static_cast<uint8_t>(slave + 1));
    return read_bytes(count, end);
}

std::vector<uint8_t> t_i2c_test_master::current_address_read(uint8_t slave, int count) {
    acks_.clear();
    start();
    send_byte(static_cast<uint8_t>(slave + 1));
    return read_bytes(count, t_read_end::no_ack_then_stop);
}

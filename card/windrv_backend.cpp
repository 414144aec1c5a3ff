#include "card/windrv_backend.h"

#include <cstring>

#include "card/port_addresses.h"
#include "common/hunits/cp1251.h"
#include "common/hunits/uhFuncs.h"

namespace windrv {

// The driver's blocks are little-endian, as the machines it runs on.
uint32_t get_u32(const uint8_t* block, uint32_t offset) {
    return static_cast<uint32_t>(block[offset]) | static_cast<uint32_t>(block[offset + 1]) << 8 |
           static_cast<uint32_t>(block[offset + 2]) << 16 |
           static_cast<uint32_t>(block[offset + 3]) << 24;
}

void put_u32(uint8_t* block, uint32_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        block[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

}  // namespace windrv

using namespace windrv;

t_windrv_backend::t_windrv_backend(std::unique_ptr<t_windrv_channel> channel)
    : channel(std::move(channel)) {}

t_windrv_backend::~t_windrv_backend() {
    close_device();
}

t_port_open_result t_windrv_backend::open(uint32_t base, std::string& error_text) {
    if (!is_card_port_address(base)) {
        error_text = text_result = port_address_refused_text(base);
        return t_port_open_result::failed;
    }
    set_port(base);
    const bool opened = open_driver();
    error_text = text_result;
    return opened ? t_port_open_result::opened : t_port_open_result::failed;
}

void t_windrv_backend::set_port(uint32_t base) {
    port_base = base;
    status_port = base + 1;
}

bool t_windrv_backend::device_open() const {
    return driver_handle != 0 && driver_handle != t_windrv_channel::invalid_handle;
}

void t_windrv_backend::close_device() {
    if (device_open()) {
        channel->close_device(driver_handle);
    }
    // A closed handle is never used again: later requests make no call.
    driver_handle = t_windrv_channel::invalid_handle;
}

bool t_windrv_backend::open_driver() {
    driver_handle = t_windrv_channel::invalid_handle;
    const t_windrv_channel::t_handle handle = channel->open_device();
    if (handle == t_windrv_channel::invalid_handle) {
        text_result = "Ошибка открытия WINDRVR (WD_Open())";
        return false;
    }
    driver_handle = handle;

    driver_version.fill(0);
    last_status = driver_request(request_version, driver_version.data(), version_block_size);
    if (!check_driver_status(last_status, "Ошибка получения версии драйвера.")) {
        close_device();
        return false;
    }
    if (driver_version_number() < minimum_version) {
        text_result = format_str(
            "Установленная в системе версия драйвера %s меньше минимально допустимой: %s!",
            driver_version_text().c_str(), std::to_string(minimum_version).c_str());
        close_device();
        return false;
    }

    card_register.fill(0);
    uint8_t* reg = card_register.data();
    put_u32(reg, card_item_count_offset, 1);
    put_u32(reg, card_item_type_offset, item_type_io_range);
    put_u32(reg, card_item_not_shared_offset, 1);
    put_u32(reg, card_io_base_offset, port_base);
    put_u32(reg, card_io_length_offset, port_count);
    put_u32(reg, card_check_lock_only_offset, 0);
    last_status = driver_request(request_card_register, reg, card_register_size);
    if (!check_driver_status(last_status, "Ошибка захвата порта.\n")) {
        close_device();
        return false;
    }
    if (get_u32(reg, card_handle_offset) == 0) {
        text_result = "Ошибка захвата порта (==0)";
        close_device();
        return false;
    }
    return true;
}

void t_windrv_backend::close_driver() {
    if (!device_open()) {
        return;
    }
    driver_request(request_card_unregister, card_register.data(), card_register_size);
    close_device();
}

uint32_t t_windrv_backend::driver_request(uint32_t code, void* block, uint32_t size) {
    if (driver_handle == t_windrv_channel::invalid_handle) {
        return status_invalid_handle;
    }
    uint32_t status = status_not_returned;
    channel->io_control(driver_handle, code, block, size, status);
    return status;
}

bool t_windrv_backend::check_driver_status(uint32_t status, const std::string& message) {
    if (status == 0) {
        text_result.clear();
        return true;
    }
    text_result = message + channel->status_text(status);
    return false;
}

void t_windrv_backend::write_data_port(uint8_t value) {
    uint8_t block[transfer_block_size] = {};
    put_u32(block, transfer_port_offset, port_base);
    put_u32(block, transfer_command_offset, transfer_write_byte);
    block[transfer_data_offset] = value;
    last_status = driver_request(request_transfer, block, transfer_block_size);
}

uint8_t t_windrv_backend::read_status_port() {
    uint8_t block[transfer_block_size] = {};
    put_u32(block, transfer_port_offset, status_port);
    put_u32(block, transfer_command_offset, transfer_read_byte);
    last_status = driver_request(request_transfer, block, transfer_block_size);
    return block[transfer_data_offset];
}

uint32_t t_windrv_backend::driver_version_number() const {
    return get_u32(driver_version.data(), 0);
}

std::string t_windrv_backend::driver_version_text() const {
    const char* text = reinterpret_cast<const char*>(driver_version.data() + version_text_offset);
    return cp1251_to_utf8(std::string(text, strnlen(text, version_text_size)));
}

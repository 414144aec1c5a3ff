// Port access through the WinDriver-style kernel driver: every port access is one driver
// request. The request blocks are built and read here, in portable code; only the device
// channel (open the device, one I/O control call, close, the status text) is Windows code.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "card/port_backend.h"
#include "common/hunits/U_base_classes.h"

// The device channel to the kernel driver.
class t_windrv_channel {
  public:
    using t_handle = intptr_t;
    static constexpr t_handle invalid_handle = -1;

    virtual ~t_windrv_channel() = default;
    // Opens the driver's device "\\.\windrvr6"; invalid_handle when that fails.
    virtual t_handle open_device() = 0;
    // One I/O control call: `block` (`size` bytes) is the input, and the driver may write
    // its reply into it; `status` receives the 4-byte output (left alone when the driver
    // returns nothing).
    virtual void io_control(t_handle handle, uint32_t code, void* block, uint32_t size,
                            uint32_t& status) = 0;
    virtual void close_device(t_handle handle) = 0;
    // The driver library's text for a status code.
    virtual std::string status_text(uint32_t status) = 0;
};

// The Windows channel (windrv_channel_win32.cpp, built on Windows only).
std::unique_ptr<t_windrv_channel> make_win32_windrv_channel();

// Request codes, block sizes and offsets of the driver interface.
namespace windrv {
inline constexpr uint32_t request_version = 0x95382443;
inline constexpr uint32_t request_card_register = 0x9538270b;
inline constexpr uint32_t request_transfer = 0x95382633;
inline constexpr uint32_t request_card_unregister = 0x953824af;

inline constexpr uint32_t version_block_size = 132;
inline constexpr uint32_t version_text_offset = 4;
inline constexpr uint32_t version_text_size = 128;

inline constexpr uint32_t card_register_size = 948;
inline constexpr uint32_t card_item_count_offset = 0;
inline constexpr uint32_t card_item_type_offset = 4;
inline constexpr uint32_t card_item_not_shared_offset = 8;
inline constexpr uint32_t card_io_base_offset = 20;
inline constexpr uint32_t card_io_length_offset = 24;
inline constexpr uint32_t card_check_lock_only_offset = 804;
inline constexpr uint32_t card_handle_offset = 808;
inline constexpr uint32_t item_type_io_range = 3;

inline constexpr uint32_t transfer_block_size = 32;
inline constexpr uint32_t transfer_port_offset = 0;
inline constexpr uint32_t transfer_command_offset = 4;
inline constexpr uint32_t transfer_data_offset = 24;
inline constexpr uint32_t transfer_read_byte = 10;
inline constexpr uint32_t transfer_write_byte = 13;

// Preset of a request's status output: what a call that returns nothing reports.
inline constexpr uint32_t status_not_returned = 0x20000000;
// Result of a request on the invalid handle (no call is made).
inline constexpr uint32_t status_invalid_handle = 0xFFFFFFFF;
inline constexpr uint32_t minimum_version = 1011;

uint32_t get_u32(const uint8_t* block, uint32_t offset);
void put_u32(uint8_t* block, uint32_t offset, uint32_t value);
}  // namespace windrv

class t_windrv_backend : public t_port_backend, public t_h_base_class_with_text_result {
  public:
    explicit t_windrv_backend(std::unique_ptr<t_windrv_channel> channel);
    // Closes the device if it is still open (the port range stays with the driver).
    ~t_windrv_backend() override;
    t_windrv_backend(const t_windrv_backend&) = delete;
    t_windrv_backend& operator=(const t_windrv_backend&) = delete;

    // t_port_backend: set_port + open_driver; the kernel driver cannot tell a missing
    // port, so the result is opened or failed.
    t_port_open_result open(uint32_t base, std::string& error_text) override;
    void close() override { close_driver(); }
    void write_data(uint8_t value) override { write_data_port(value); }
    uint8_t read_status() override { return read_status_port(); }

    void set_port(uint32_t base);
    // Opens the device, checks the driver version (at least 1011) and registers the port
    // range; on false the error text says why and the device is closed again.
    bool open_driver();
    // Unregisters the range (status ignored) and closes the device; nothing when the
    // device is not open.
    void close_driver();
    // One request; the invalid handle makes no call and gives 0xFFFFFFFF.
    uint32_t driver_request(uint32_t code, void* block, uint32_t size);
    // Status 0: clears the error text, true. Otherwise the text is `message` followed by
    // the driver's status text, false.
    bool check_driver_status(uint32_t status, const std::string& message);
    // One transfer of line value `value` to the data register; status kept, not evaluated.
    void write_data_port(uint8_t value);
    // One transfer from the status register; 0 when the driver did not fill the byte.
    uint8_t read_status_port();

    uint32_t get_last_status() const { return last_status; }
    t_windrv_channel::t_handle get_driver_handle() const { return driver_handle; }
    uint32_t driver_version_number() const;
    // The version text, read within its 128 bytes even without a terminating zero.
    std::string driver_version_text() const;
    const std::array<uint8_t, windrv::card_register_size>& get_card_register() const {
        return card_register;
    }

  private:
    bool device_open() const;
    void close_device();

    std::unique_ptr<t_windrv_channel> channel;
    std::array<uint8_t, windrv::card_register_size> card_register{};
    uint32_t last_status = 0;
    std::array<uint8_t, windrv::version_block_size> driver_version{};
    uint32_t port_base = 0;
    uint32_t status_port = 0;
    uint32_t port_count = 3;
    t_windrv_channel::t_handle driver_handle = 0;
};

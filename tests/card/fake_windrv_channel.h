// A device channel that answers like the kernel driver and checks every request it gets:
// request code, block size and the bytes the program must have put into the block.
// Transfers can be forwarded to a card backend (e.g. the simulated card reader).
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "card/windrv_backend.h"

class t_fake_windrv_channel : public t_windrv_channel {
  public:
    struct t_request {
        uint32_t code;
        std::vector<uint8_t> block;  // as the program handed it in
    };

    // Script of the driver's answers.
    bool device_exists = true;
    uint32_t version_number = 1011;
    std::string version_text = "10.1.1";
    uint32_t version_status = 0;
    uint32_t register_status = 0;
    uint32_t card_handle = 0x5A5A0001;
    // false: transfers leave the status output and the data byte alone.
    bool transfers_answer = true;
    uint8_t status_register = 0x78;
    // When set, transfers go to this backend (opened by the registration).
    t_port_backend* card = nullptr;

    // What happened.
    std::vector<t_request> requests;
    int opens = 0;
    int closes = 0;
    std::vector<uint8_t> registered_block;  // the registration block after the reply

    static constexpr t_handle device_handle = 0x4C;

    t_handle open_device() override {
        ++opens;
        return device_exists ? device_handle : invalid_handle;
    }

    void close_device(t_handle handle) override {
        EXPECT_EQ(handle, device_handle);
        ++closes;
    }

    std::string status_text(uint32_t status) override { return "status " + std::to_string(status); }

    void io_control(t_handle handle, uint32_t code, void* block, uint32_t size,
                    uint32_t& status) override {
        EXPECT_EQ(handle, device_handle);
        EXPECT_EQ(opens, closes + 1) << "request on a closed device";
        EXPECT_EQ(status, windrv::status_not_returned) << "status output not preset";
        auto* bytes = static_cast<uint8_t*>(block);
        requests.push_back({code, std::vector<uint8_t>(bytes, bytes + size)});
        switch (code) {
            case windrv::request_version:
                answer_version(bytes, size, status);
                break;
            case windrv::request_card_register:
                answer_register(bytes, size, status);
                break;
            case windrv::request_transfer:
                answer_transfer(bytes, size, status);
                break;
            case windrv::request_card_unregister:
                EXPECT_EQ(size, windrv::card_register_size);
                EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + size), registered_block)
                    << "unregistration must hand back the registration reply";
                if (card) {
                    card->close();
                }
                status = 0;
                break;
            default:
                ADD_FAILURE() << "unknown request code " << code;
        }
    }

    // The transfers among the requests, as (command, port, data byte).
    struct t_transfer {
        uint32_t command;
        uint32_t port;
        uint8_t data;
    };
    std::vector<t_transfer> transfers() const {
        std::vector<t_transfer> out;
        for (const t_request& r : requests) {
            if (r.code == windrv::request_transfer) {
                out.push_back({windrv::get_u32(r.block.data(), 4),
                               windrv::get_u32(r.block.data(), 0), r.block[24]});
            }
        }
        return out;
    }

  private:
    static bool all_zero(const uint8_t* bytes, uint32_t from, uint32_t to) {
        for (uint32_t i = from; i < to; ++i) {
            if (bytes[i] != 0) {
                return false;
            }
        }
        return true;
    }

    void answer_version(uint8_t* bytes, uint32_t size, uint32_t& status) {
        EXPECT_EQ(size, windrv::version_block_size);
        EXPECT_TRUE(all_zero(bytes, 0, size)) << "version block not zeroed";
        status = version_status;
        if (version_status != 0) {
            return;
        }
        windrv::put_u32(bytes, 0, version_number);
        std::memcpy(bytes + 4, version_text.data(), std::min<size_t>(version_text.size(), 128));
    }

    void answer_register(uint8_t* bytes, uint32_t size, uint32_t& status) {
        ASSERT_EQ(size, windrv::card_register_size);
        EXPECT_EQ(windrv::get_u32(bytes, 0), 1u);
        EXPECT_EQ(windrv::get_u32(bytes, 4), 3u);
        EXPECT_EQ(windrv::get_u32(bytes, 8), 1u);
        EXPECT_EQ(windrv::get_u32(bytes, 24), 3u);
        const uint32_t base = windrv::get_u32(bytes, 20);
        EXPECT_TRUE(all_zero(bytes, 12, 20));
        EXPECT_TRUE(all_zero(bytes, 28, size)) << "registration block not zeroed";
        status = register_status;
        if (register_status == 0) {
            windrv::put_u32(bytes, windrv::card_handle_offset, card_handle);
            registered_base = base;
            if (card) {
                std::string error;
                card->open(base, error);
            }
        }
        registered_block.assign(bytes, bytes + size);
    }

    void answer_transfer(uint8_t* bytes, uint32_t size, uint32_t& status) {
        ASSERT_EQ(size, windrv::transfer_block_size);
        const uint32_t port = windrv::get_u32(bytes, 0);
        const uint32_t command = windrv::get_u32(bytes, 4);
        EXPECT_TRUE(all_zero(bytes, 8, 24));
        EXPECT_TRUE(all_zero(bytes, 25, 32));
        if (command == windrv::transfer_write_byte) {
            EXPECT_EQ(port, registered_base) << "data written elsewhere than the data register";
        } else if (command == windrv::transfer_read_byte) {
            EXPECT_EQ(port, registered_base + 1) << "status read elsewhere";
            EXPECT_EQ(bytes[24], 0) << "transfer block not zeroed";
        } else {
            ADD_FAILURE() << "unknown transfer command " << command;
        }
        if (!transfers_answer) {
            return;
        }
        if (command == windrv::transfer_write_byte) {
            if (card) {
                card->write_data(bytes[24]);
            }
        } else {
            bytes[24] = card ? card->read_status() : status_register;
        }
        status = 0;
    }

    uint32_t registered_base = 0;
};

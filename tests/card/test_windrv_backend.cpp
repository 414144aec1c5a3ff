// The kernel-driver backend against a fake device channel that answers like the driver.
#include <gtest/gtest.h>

#include "card/windrv_backend.h"
#include "fake_windrv_channel.h"

namespace {

class windrv_backend : public ::testing::Test {
  protected:
    windrv_backend() {
        auto owned = std::make_unique<t_fake_windrv_channel>();
        channel = owned.get();
        backend = std::make_unique<t_windrv_backend>(std::move(owned));
    }

    t_port_open_result open(uint32_t base = 0x378) { return backend->open(base, error_text); }

    t_fake_windrv_channel* channel = nullptr;
    std::unique_ptr<t_windrv_backend> backend;
    std::string error_text;
};

TEST_F(windrv_backend, open_registers_three_ports_and_close_hands_the_reply_back) {
    ASSERT_EQ(open(0x378), t_port_open_result::opened);
    EXPECT_EQ(error_text, "");
    EXPECT_EQ(backend->get_text_result(), "");
    ASSERT_EQ(channel->requests.size(), 2u);
    EXPECT_EQ(channel->requests[0].code, 0x95382443u);
    EXPECT_EQ(channel->requests[1].code, 0x9538270bu);
    // Data register 0x378, range 0x378-0x37A.
    const std::vector<uint8_t>& reg = channel->requests[1].block;
    EXPECT_EQ(windrv::get_u32(reg.data(), 20), 0x378u);
    EXPECT_EQ(windrv::get_u32(reg.data(), 24), 3u);
    EXPECT_EQ(windrv::get_u32(reg.data(), 804), 0u);
    EXPECT_EQ(windrv::get_u32(backend->get_card_register().data(), 808), channel->card_handle);

    backend->close();
    ASSERT_EQ(channel->requests.size(), 3u);
    EXPECT_EQ(channel->requests[2].code, 0x953824afu);
    EXPECT_EQ(channel->closes, 1);
    // The device is closed: nothing reaches it any more.
    backend->write_data(0x0F);
    backend->close();
    EXPECT_EQ(channel->requests.size(), 3u);
    EXPECT_EQ(channel->closes, 1);
}

TEST_F(windrv_backend, transfers_write_the_data_register_and_read_the_status_register) {
    ASSERT_EQ(open(0x278), t_port_open_result::opened);
    backend->write_data(0x0D);
    EXPECT_EQ(backend->read_status(), 0x78);
    const auto transfers = channel->transfers();
    ASSERT_EQ(transfers.size(), 2u);
    EXPECT_EQ(transfers[0].command, 13u);
    EXPECT_EQ(transfers[0].port, 0x278u);
    EXPECT_EQ(transfers[0].data, 0x0D);
    EXPECT_EQ(transfers[1].command, 10u);
    EXPECT_EQ(transfers[1].port, 0x279u);
    EXPECT_EQ(backend->get_last_status(), 0u);
}

TEST_F(windrv_backend, a_transfer_the_driver_leaves_unanswered_reads_0_with_the_preset_status) {
    ASSERT_EQ(open(), t_port_open_result::opened);
    channel->transfers_answer = false;
    EXPECT_EQ(backend->read_status(), 0);
    EXPECT_EQ(backend->get_last_status(), 0x20000000u);
}

struct open_failure_case {
    const char* name;
    void (*script)(t_fake_windrv_channel&);
    std::string error_text;
    size_t requests;  // requests that reached the driver
    int closes;       // the device is closed again whenever it was opened
};

class windrv_open_failure : public windrv_backend,
                            public ::testing::WithParamInterface<open_failure_case> {};

TEST_P(windrv_open_failure, leaves_the_reason_and_the_device_closed) {
    const open_failure_case& c = GetParam();
    c.script(*channel);
    EXPECT_EQ(open(), t_port_open_result::failed);
    EXPECT_EQ(error_text, c.error_text);
    EXPECT_EQ(backend->get_text_result(), c.error_text);
    EXPECT_EQ(channel->requests.size(), c.requests);
    EXPECT_EQ(channel->closes, c.closes);
    // Requests on the invalid handle make no call; a status read then yields 0.
    EXPECT_EQ(backend->driver_request(windrv::request_version, nullptr, 0), 0xFFFFFFFFu);
    EXPECT_EQ(backend->read_status(), 0);
    EXPECT_EQ(backend->get_last_status(), 0xFFFFFFFFu);
    EXPECT_EQ(channel->requests.size(), c.requests);
}

INSTANTIATE_TEST_SUITE_P(
    cases, windrv_open_failure,
    ::testing::Values(
        open_failure_case{"driver_not_installed",
                          [](t_fake_windrv_channel& c) { c.device_exists = false; },
                          "Ошибка открытия WINDRVR (WD_Open())", 0, 0},
        open_failure_case{"version_request_fails",
                          [](t_fake_windrv_channel& c) { c.version_status = 0x2000000B; },
                          "Ошибка получения версии драйвера.status 536870923", 1, 1},
        open_failure_case{"version_1010",
                          [](t_fake_windrv_channel& c) {
                              c.version_number = 1010;
                              c.version_text = "V10.10";
                          },
                          "Установленная в системе версия драйвера V10.10 меньше минимально "
                          "допустимой: 1011!",
                          1, 1},
        open_failure_case{"registration_fails",
                          [](t_fake_windrv_channel& c) { c.register_status = 0x20000015; },
                          "Ошибка захвата порта.\nstatus 536870933", 2, 1},
        open_failure_case{"card_handle_0", [](t_fake_windrv_channel& c) { c.card_handle = 0; },
                          "Ошибка захвата порта (==0)", 2, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(windrv_backend, version_1011_and_later_are_accepted) {
    for (const uint32_t version : {1011u, 1100u, 1400u}) {
        auto owned = std::make_unique<t_fake_windrv_channel>();
        owned->version_number = version;
        t_windrv_backend driver(std::move(owned));
        std::string text;
        EXPECT_EQ(driver.open(0x378, text), t_port_open_result::opened) << version;
        driver.close();
    }
}

TEST_F(windrv_backend, version_text_without_terminating_zero_is_read_within_its_128_bytes) {
    channel->version_number = 900;
    channel->version_text = std::string(128, '7');
    EXPECT_EQ(open(), t_port_open_result::failed);
    EXPECT_EQ(backend->driver_version_text(), std::string(128, '7'));
    EXPECT_NE(error_text.find(std::string(128, '7') + " меньше"), std::string::npos);
}

TEST_F(windrv_backend, address_outside_the_port_list_is_refused_without_opening_the_device) {
    EXPECT_EQ(open(0x3F8), t_port_open_result::failed);
    EXPECT_NE(error_text.find("0x3F8"), std::string::npos);
    EXPECT_EQ(channel->opens, 0);
}

TEST_F(windrv_backend, a_successful_status_check_clears_the_error_text) {
    channel->device_exists = false;
    open();
    ASSERT_NE(backend->get_text_result(), "");
    EXPECT_TRUE(backend->check_driver_status(0, "x"));
    EXPECT_EQ(backend->get_text_result(), "");
    EXPECT_FALSE(backend->check_driver_status(3, "Ошибка: "));
    EXPECT_EQ(backend->get_text_result(), "Ошибка: status 3");
}

}  // namespace

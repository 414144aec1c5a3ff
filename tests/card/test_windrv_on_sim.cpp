// The whole chain as on Windows: t_hwindrv -> kernel-driver backend -> device channel ->
// the simulated card, with every driver request checked by the fake channel.
#include <gtest/gtest.h>

#include "card/windrv_backend.h"
#include "fake_windrv_channel.h"
#include "sim_card_env.h"

namespace {

class windrv_on_sim : public t_card_test_env {};

TEST_F(windrv_on_sim, the_directory_is_read_through_driver_transfers) {
    std::vector<uint8_t> image = blank_card(3);
    put_signature(image, 2, 0x01, 1234, 0xA8);
    t_sim_card card;
    card.bytes = image;
    t_sim_port_backend sim(std::move(card), 0x278, t_sim_reader_faults{});

    auto channel_owned = std::make_unique<t_fake_windrv_channel>();
    t_fake_windrv_channel* channel = channel_owned.get();
    channel->card = &sim;
    t_hwindrv drv(std::make_unique<t_windrv_backend>(std::move(channel_owned)));

    drv.set_port(0x278);
    ASSERT_TRUE(drv.open_driver()) << drv.get_text_result();
    drv.power(true);
    t_cell_table cells;
    bool six_cells = true;
    bool card_has_data = false;
    EXPECT_TRUE(drv.read_card_list(cells, six_cells, card_has_data));
    drv.power(false);
    drv.close_driver();

    EXPECT_EQ(cells[2].state, 1);
    EXPECT_EQ(cells[2].device_number, 1234);
    EXPECT_EQ(cells[2].version, "4T4V");
    EXPECT_FALSE(six_cells);
    EXPECT_TRUE(card_has_data);
    // Version, registration, one transfer per port access, unregistration; then closed.
    ASSERT_GT(channel->requests.size(), 3u);
    EXPECT_EQ(channel->requests.front().code, windrv::request_version);
    EXPECT_EQ(channel->requests.back().code, windrv::request_card_unregister);
    EXPECT_EQ(channel->transfers().size(), channel->requests.size() - 3);
    EXPECT_EQ(channel->closes, 1);
}

}  // namespace

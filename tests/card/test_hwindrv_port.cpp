// Opening and closing the port through t_hwindrv: results, texts, and no bus traffic
// unless the port was opened.
#include <gtest/gtest.h>

#include "card/U_wincard_work.h"
#include "card_test_env.h"

namespace {

class hwindrv_port : public t_card_test_env {};

TEST_F(hwindrv_port, set_port_puts_the_status_register_one_above_the_data_register) {
    t_hwindrv drv;
    drv.set_port(0x378);
    EXPECT_EQ(drv.get_port_base(), 0x378u);
    EXPECT_EQ(drv.get_status_port(), 0x379u);
    EXPECT_EQ(drv.get_port_count(), 3u);
}

struct open_case {
    const char* name;
    t_port_open_result backend_result;
    bool port_missing;
};

class hwindrv_open : public hwindrv_port, public ::testing::WithParamInterface<open_case> {};

TEST_P(hwindrv_open, maps_the_backend_result_and_a_failure_leaves_the_port_closed) {
    const open_case& c = GetParam();
    auto drv = make_recorded_drv();
    recorder->open_result = c.backend_result;
    recorder->open_error = "причина";
    drv->set_port(0x278);
    EXPECT_FALSE(drv->open_driver());
    EXPECT_EQ(drv->get_text_result(), "причина");
    EXPECT_EQ(drv->last_open_result(), c.backend_result);
    EXPECT_EQ(drv->last_open_port_missing(), c.port_missing);
    EXPECT_FALSE(drv->is_driver_open());
    drv->close_driver();
    EXPECT_EQ(recorder->closes, 0);
    EXPECT_TRUE(recorder->events.empty()) << "a failed open caused bus traffic";
}

INSTANTIATE_TEST_SUITE_P(cases, hwindrv_open,
                         ::testing::Values(open_case{"no_such_port",
                                                     t_port_open_result::no_such_port, true},
                                           open_case{"failed", t_port_open_result::failed, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(hwindrv_port, a_successful_open_clears_the_text_and_close_closes_once) {
    auto drv = make_recorded_drv();
    recorder->open_result = t_port_open_result::failed;
    drv->set_port(0x378);
    ASSERT_FALSE(drv->open_driver());
    recorder->open_result = t_port_open_result::opened;
    EXPECT_TRUE(drv->open_driver());
    EXPECT_EQ(drv->get_text_result(), "");
    EXPECT_EQ(drv->last_open_result(), t_port_open_result::opened);
    EXPECT_TRUE(recorder->events.empty());
    drv->close_driver();
    drv->close_driver();
    EXPECT_EQ(recorder->closes, 1);
    EXPECT_FALSE(drv->is_driver_open());
}

TEST_F(hwindrv_port, only_the_four_card_ports_are_ever_opened) {
    auto drv = make_recorded_drv();
    for (const uint32_t base : {0x378u, 0x278u, 0x3BCu, 0x9800u}) {
        drv->set_port(base);
        EXPECT_TRUE(drv->open_driver()) << base;
        drv->close_driver();
    }
    for (const uint32_t base : {0x0u, 0x3F8u, 0x379u, 0x9801u}) {
        drv->set_port(base);
        EXPECT_FALSE(drv->open_driver()) << base;
        EXPECT_EQ(drv->last_open_result(), t_port_open_result::failed);
        EXPECT_NE(drv->get_text_result().find("не входит в список"), std::string::npos);
    }
    EXPECT_EQ(recorder->opened_bases, (std::vector<uint32_t>{0x378, 0x278, 0x3BC, 0x9800}));
}

TEST_F(hwindrv_port, without_a_backend_the_open_fails_with_a_text) {
    t_hwindrv drv;
    drv.set_port(0x378);
    EXPECT_FALSE(drv.open_driver());
    EXPECT_NE(drv.get_text_result(), "");
    EXPECT_EQ(drv.last_open_result(), t_port_open_result::failed);
}

TEST_F(hwindrv_port, the_backend_cannot_be_swapped_under_an_open_port) {
    auto drv = make_recorded_drv();
    drv->set_port(0x378);
    ASSERT_TRUE(drv->open_driver());
    EXPECT_THROW(drv->set_backend(nullptr), Exception);
    EXPECT_THROW(drv->open_driver(), Exception);
    drv->close_driver();
    EXPECT_NO_THROW(drv->set_backend(nullptr));
}

}  // namespace

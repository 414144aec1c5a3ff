// The simulated reader as a port backend: ports, the card image file, time.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "card/simulator/sim_port_backend.h"
#include "i2c_test_master.h"
#include "sim_test_card.h"
#include "support/test_env.h"

namespace {

class SimBackend : public t_test_env {
  protected:
    std::string write_card(int cells, const std::string& name = "card.bin") {
        const std::vector<uint8_t> bytes = pattern_image(cells);
        const std::string path = temp.file(name);
        write_file_bytes(path, std::string(bytes.begin(), bytes.end()));
        return path;
    }
    std::unique_ptr<t_sim_port_backend> make(const t_sim_config& config) {
        std::string error;
        auto port = make_sim_port_backend(config, error);
        EXPECT_NE(port, nullptr) << error;
        return port;
    }
};

TEST_F(SimBackend, TheReaderSitsOnOnePortOfTheListAndTheOthersAreEmpty) {
    t_sim_config config;
    config.card_file = write_card(1);
    config.reader_port = 0x278;
    auto port = make(config);
    t_i2c_test_master bus(*port);
    for (uint32_t base : {0x378u, 0x278u, 0x3BCu, 0x9800u}) {
        SCOPED_TRACE(base);
        std::string error;
        ASSERT_EQ(port->open(base, error), t_port_open_result::opened);
        bus.power(true);
        const std::vector<uint8_t> got = bus.random_read(cell_address(0), 0x10, 1);
        if (base == 0x278) {
            EXPECT_EQ(got, std::vector<uint8_t>{test_pattern(0, 0x10)});
        } else {
            EXPECT_EQ(got, std::vector<uint8_t>{0xFF});
            EXPECT_EQ(bus.acks(), std::vector<bool>(4, false));
            EXPECT_EQ(port->read_status(), t_sim_port_backend::empty_port_status);
        }
        bus.power(false);
        port->close();
    }
}

TEST_F(SimBackend, PortsOutsideTheListAreRefused) {
    t_sim_config config;
    config.card_file = write_card(1);
    auto port = make(config);
    for (uint32_t base : {0x0u, 0x379u, 0x3F8u, 0x9801u}) {
        std::string error;
        EXPECT_EQ(port->open(base, error), t_port_open_result::failed);
        EXPECT_EQ(error, port_address_refused_text(base));
        // A refused port is no port: requests reach nothing and take no time.
        const uint64_t before = clock.now_us();
        port->write_data(15);
        EXPECT_EQ(port->read_status(), t_sim_port_backend::empty_port_status);
        EXPECT_EQ(clock.now_us(), before);
        EXPECT_FALSE(port->reader().powered());
    }

    config.reader_port = 0x3F8;
    std::string error;
    EXPECT_EQ(make_sim_port_backend(config, error), nullptr);
    EXPECT_NE(error.find("0x3F8"), std::string::npos) << error;
}

TEST_F(SimBackend, ANoiseProbabilityOutsideZeroToOneIsRefused) {
    t_sim_config config;
    config.card_file = write_card(1);
    for (double noise : {-0.01, 1.01, std::numeric_limits<double>::quiet_NaN()}) {
        config.noise = noise;
        std::string error;
        EXPECT_EQ(make_sim_port_backend(config, error), nullptr) << noise;
        EXPECT_FALSE(error.empty());
    }
}

TEST_F(SimBackend, CardFilesOfOneToSixCellsGiveThatManyChips) {
    for (int cells = 1; cells <= 6; ++cells) {
        SCOPED_TRACE(cells);
        t_sim_config config;
        config.card_file = write_card(cells, "card" + std::to_string(cells) + ".bin");
        auto port = make(config);
        std::string error;
        port->open(0x378, error);
        t_i2c_test_master bus(*port);
        bus.power(true);
        for (int n = 0; n < 6; ++n) {
            const std::vector<uint8_t> got = bus.random_read(cell_address(n), 0x7FFF, 1);
            EXPECT_EQ(got[0], n < cells ? test_pattern(n, 0x7FFF) : 0xFF) << n;
        }
    }
}

TEST_F(SimBackend, CardFilesOfAnyOtherSizeAreRefusedWithTheReason) {
    for (size_t size : {size_t{0}, size_t{1}, size_t{32767}, size_t{32769}, size_t{7 * 32768}}) {
        SCOPED_TRACE(size);
        t_sim_config config;
        config.card_file = temp.file("odd.bin");
        write_file_bytes(config.card_file, std::string(size, '\xFF'));
        std::string error;
        EXPECT_EQ(make_sim_port_backend(config, error), nullptr);
        EXPECT_NE(error.find(config.card_file), std::string::npos) << error;
        EXPECT_NE(error.find("имеет размер " + std::to_string(size) + " байт"), std::string::npos)
            << error;
    }
    t_sim_config config;
    config.card_file = temp.file("missing.bin");
    std::string error;
    EXPECT_EQ(make_sim_port_backend(config, error), nullptr);
    EXPECT_NE(error.find("Не удалось открыть файл образа карты"), std::string::npos) << error;
}

TEST_F(SimBackend, CommittedWritesReachTheCardFile) {
    t_sim_config config;
    config.card_file = write_card(3);
    {
        auto port = make(config);
        std::string error;
        port->open(0x378, error);
        t_i2c_test_master bus(*port);
        bus.power(true);
        ASSERT_TRUE(bus.write_bytes(cell_address(1), 0x0000, {0xAA}));
        ASSERT_TRUE(bus.write_bytes(cell_address(2), 0x7FFE, {0x12, 0x34}));
        EXPECT_TRUE(port->storage_error().empty());
    }
    std::vector<uint8_t> expected = pattern_image(3);
    expected[1 * sim_cell_size] = 0xAA;
    expected[2 * sim_cell_size + 0x7FFE] = 0x12;
    expected[2 * sim_cell_size + 0x7FFF] = 0x34;
    EXPECT_EQ(read_file_bytes(config.card_file), std::string(expected.begin(), expected.end()));

    auto again = make(config);
    std::string error;
    again->open(0x378, error);
    t_i2c_test_master bus(*again);
    bus.power(true);
    EXPECT_EQ(bus.random_read(cell_address(1), 0, 2),
              (std::vector<uint8_t>{0xAA, test_pattern(1, 1)}));
}

TEST_F(SimBackend, AFailedWriteBackIsReported) {
    t_sim_card card;
    card.bytes = pattern_image(1);
    auto store = std::make_unique<t_recording_store>();
    store->fail = true;
    card.store = std::move(store);
    t_sim_port_backend port(std::move(card), 0x378, {});
    std::string error;
    port.open(0x378, error);
    t_i2c_test_master bus(port);
    bus.power(true);
    EXPECT_TRUE(port.storage_error().empty());
    // The chip itself took the byte; only the file lacks it.
    EXPECT_TRUE(bus.write_bytes(cell_address(0), 0x0005, {0x66}));
    EXPECT_EQ(port.storage_error(), "запись не удалась");
    EXPECT_EQ(port.reader().image()[5], 0x66);
}

TEST_F(SimBackend, EveryPortRequestTakesOneMicrosecond) {
    t_sim_config config;
    config.card_file = write_card(1);
    auto port = make(config);
    for (uint32_t base : {0x378u, 0x278u}) {
        std::string error;
        port->open(base, error);
        const uint64_t before = clock.now_us();
        port->write_data(15);
        port->write_data(14);
        port->read_status();
        EXPECT_EQ(clock.now_us() - before, 3u) << base;
        port->close();
    }
}

}  // namespace

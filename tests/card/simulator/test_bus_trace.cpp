// The bus trace: its Value Change Dump, read back and decoded as I2C the way a logic
// analyser does it, shows the transactions that went over the bus.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "card/bus_trace.h"
#include "card/simulator/sim_port_backend.h"
#include "i2c_test_master.h"
#include "sim_test_card.h"
#include "support/test_env.h"
#include "support/vcd_i2c.h"

namespace {

// Hides that the backend it forwards to is simulated, as a real port would.
class t_forwarding_backend : public t_port_backend {
  public:
    explicit t_forwarding_backend(t_port_backend& inner) : inner_(inner) {}
    t_port_open_result open(uint32_t base, std::string& error_text) override {
        return inner_.open(base, error_text);
    }
    void close() override { inner_.close(); }
    void write_data(uint8_t value) override { inner_.write_data(value); }
    uint8_t read_status() override { return inner_.read_status(); }

  private:
    t_port_backend& inner_;
};

class BusTrace : public t_test_env {
  protected:
    BusTrace() {
        t_sim_card card;
        card.bytes = pattern_image(2);
        sim = std::make_unique<t_sim_port_backend>(std::move(card), 0x378, t_sim_reader_faults{});
    }
    // A random read of two bytes at 0x1234 of cell 1, then 12 and 15 (clock and data rise
    // together: no stop), then a stop.
    std::string trace(std::unique_ptr<t_port_backend> traced) {
        const std::string path = temp.file("bus.vcd");
        std::string error;
        auto port = make_bus_trace(std::move(traced), path, error);
        EXPECT_NE(port, nullptr) << error;
        EXPECT_EQ(port->open(0x378, error), t_port_open_result::opened);
        t_i2c_test_master bus(*port);
        bus.power(true);
        bytes_read = bus.random_read(cell_address(1), 0x1234, 2);
        bus.write(12);
        bus.write(15);
        bus.stop();
        bus.power(false);
        port->close();
        EXPECT_TRUE(port->finish(error)) << error;
        return read_file_bytes(path);
    }
    std::vector<std::string> expected_tokens() const {
        char data0[8], data1[8];
        std::snprintf(data0, sizeof data0, "%02X+", test_pattern(1, 0x1234));
        std::snprintf(data1, sizeof data1, "%02X-", test_pattern(1, 0x1235));
        return {"S", "A6+", "12+", "34+", "S", "A7+", data0, data1, "P", "P"};
    }

    std::unique_ptr<t_sim_port_backend> sim;
    std::vector<uint8_t> bytes_read;
};

TEST_F(BusTrace, SimulatedReaderTraceDecodesToTheExactTransaction) {
    const t_vcd vcd = parse_vcd(trace(std::move(sim)));
    EXPECT_EQ(bytes_read, (std::vector<uint8_t>{test_pattern(1, 0x1234), test_pattern(1, 0x1235)}));
    EXPECT_EQ(vcd.timescale, "1 ns");
    EXPECT_NE(vcd.header.find("as on the wire"), std::string::npos);
    EXPECT_EQ(vcd.names.size(), 4u);
    EXPECT_EQ(decode_i2c(vcd), expected_tokens());
    // One port request per microsecond of the clock seam.
    EXPECT_EQ(vcd.steps.front().first % 1000, 0u);
}

TEST_F(BusTrace, RealPortTracePlacesTheLevelsReadBeforeTheirClock) {
    const t_vcd vcd = parse_vcd(trace(std::make_unique<t_forwarding_backend>(*sim)));
    EXPECT_NE(vcd.header.find("Real port"), std::string::npos);
    EXPECT_EQ(decode_i2c(vcd), expected_tokens());
}

TEST_F(BusTrace, TimeStampsOnlyGrowAlsoWhenTheClockStandsStill) {
    // The real clock lets several requests fall into one microsecond.
    struct t_still_clock : t_virtual_clock {
        void advance_us(uint64_t) override {}
    } still;
    set_h_clock(&still);
    const std::string path = temp.file("still.vcd");
    std::string error;
    auto port = make_bus_trace(std::make_unique<t_forwarding_backend>(*sim), path, error);
    port->open(0x378, error);
    for (uint8_t v : {15, 14, 12, 13, 15, 13, 12, 14}) {
        port->write_data(v);
        port->read_status();
    }
    set_h_clock(&clock);
    ASSERT_TRUE(port->finish(error));
    const t_vcd vcd = parse_vcd(read_file_bytes(path));  // checks that time stamps grow
    EXPECT_GT(vcd.steps.size(), 8u);
}

TEST_F(BusTrace, AFileThatCannotBeCreatedIsRefused) {
    write_file_bytes(temp.file("plain"), "x");
    std::string error;
    EXPECT_EQ(make_bus_trace(std::move(sim), temp.file("plain") + "/bus.vcd", error), nullptr);
    EXPECT_NE(error.find("Не удалось создать файл трассировки шины"), std::string::npos);
}

}  // namespace

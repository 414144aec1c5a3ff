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

namespace {

struct t_vcd {
    std::string header;
    std::string timescale;
    std::map<std::string, std::string> names;  // id -> signal name
    // Changes per time stamp, in file order: signal name -> level.
    std::vector<std::pair<uint64_t, std::map<std::string, char>>> steps;  // time stamps grow
};

t_vcd parse_vcd(const std::string& text) {
    t_vcd vcd;
    const size_t end = text.find("$enddefinitions $end");
    vcd.header = text.substr(0, end);
    std::istringstream defs(vcd.header);
    std::string word;
    while (defs >> word) {
        if (word == "$var") {
            std::string kind, width, id, name;
            defs >> kind >> width >> id >> name;
            vcd.names[id] = name;
        } else if (word == "$timescale") {
            defs >> vcd.timescale;
            std::string unit;
            defs >> unit;
            vcd.timescale += " " + unit;
        }
    }
    std::istringstream body(text.substr(end + 20));
    while (body >> word) {
        if (word[0] == '#') {
            const uint64_t time = std::stoull(word.substr(1));
            if (!vcd.steps.empty() && time <= vcd.steps.back().first) {
                ADD_FAILURE() << "time stamp " << time << " after " << vcd.steps.back().first;
            }
            vcd.steps.push_back({time, {}});
        } else {
            vcd.steps.back().second[vcd.names.at(word.substr(1))] = word[0];
        }
    }
    return vcd;
}

// Decodes I2C like a sampling logic analyser: at each time stamp, the data line changing
// while the clock is high is a start (falling) or stop (rising); otherwise a rising clock
// samples a bit. Gives "S", "P" and each whole byte with its acknowledge as "A4+" or "3C-".
std::vector<std::string> decode_i2c(const t_vcd& vcd) {
    std::vector<std::string> tokens;
    char scl = 'x';
    char sda = 'x';
    int bits = -1;  // -1: no start seen yet
    unsigned value = 0;
    for (const auto& [time, changes] : vcd.steps) {
        const char new_scl = changes.count("scl") ? changes.at("scl") : scl;
        const char new_sda = changes.count("sda") ? changes.at("sda") : sda;
        if (new_scl == '1' && sda != 'x' && new_sda != sda) {
            tokens.push_back(new_sda == '0' ? "S" : "P");
            bits = new_sda == '0' ? 0 : -1;
            value = 0;
        } else if (scl == '0' && new_scl == '1' && bits >= 0) {
            if (bits < 8) {
                value = (value << 1) | (new_sda == '1' ? 1 : 0);
                ++bits;
            } else {
                char text[8];
                std::snprintf(text, sizeof text, "%02X%c", value, new_sda == '0' ? '+' : '-');
                tokens.push_back(text);
                bits = 0;
                value = 0;
            }
        }
        scl = new_scl;
        sda = new_sda;
    }
    return tokens;
}

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

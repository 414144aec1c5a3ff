// t_hwindrv on the simulated card reader: cards built in memory, a fault injector that
// inverts chosen status reads, and the fixture that opens the port and powers the card.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "card/U_wincard_work.h"
#include "card/simulator/sim_port_backend.h"
#include "card_test_env.h"

// A card of `cells` cells, every byte 0xFF (never written).
std::vector<uint8_t> blank_card(int cells);
// Puts `bytes` at `offset` of cell `cell`.
void put_bytes(std::vector<uint8_t>& card, int cell, uint32_t offset,
               const std::vector<uint8_t>& bytes);
// A device header: byte 0, device number in bytes 60-61, format code in byte 62.
void put_signature(std::vector<uint8_t>& card, int cell, uint8_t first, uint16_t number,
                   uint8_t format);

// Passes everything to `inner`, but inverts the data bit of the status reads that `flip`
// picks (counted from 0 since construction): a chip bit misread on the cable.
class t_flip_backend : public t_port_backend {
  public:
    t_flip_backend(std::unique_ptr<t_port_backend> inner, std::function<bool(uint64_t)> flip)
        : inner(std::move(inner)), flip(std::move(flip)) {}
    t_port_open_result open(uint32_t base, std::string& error_text) override {
        return inner->open(base, error_text);
    }
    void close() override { inner->close(); }
    void write_data(uint8_t value) override { inner->write_data(value); }
    uint8_t read_status() override {
        const uint8_t status = inner->read_status();
        return flip(reads++) ? status ^ 0x40 : status;
    }

  private:
    std::unique_ptr<t_port_backend> inner;
    std::function<bool(uint64_t)> flip;
    uint64_t reads = 0;
};

class t_sim_card_env : public t_card_test_env {
  protected:
    // Makes `drv` on a simulated reader at 0x378 holding `card`, opens it and switches the
    // card on, as the owner does before card work. `flip` picks status reads to invert.
    void insert_card(std::vector<uint8_t> card, std::function<bool(uint64_t)> flip = {});
    // The card's content as the simulated chips hold it now.
    const std::vector<uint8_t>& card_now() const { return sim->reader().image(); }

    std::unique_ptr<t_hwindrv> drv;
    t_sim_port_backend* sim = nullptr;
};

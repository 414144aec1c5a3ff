#include "sim_card_env.h"

#include <gtest/gtest.h>

#include <algorithm>

std::vector<uint8_t> blank_card(int cells) {
    return std::vector<uint8_t>(static_cast<size_t>(cells) * sim_cell_size, 0xFF);
}

void put_bytes(std::vector<uint8_t>& card, int cell, uint32_t offset,
               const std::vector<uint8_t>& bytes) {
    std::copy(bytes.begin(), bytes.end(), card.begin() + cell * sim_cell_size + offset);
}

void put_signature(std::vector<uint8_t>& card, int cell, uint8_t first, uint16_t number,
                   uint8_t format) {
    put_bytes(card, cell, 0, {first});
    put_bytes(card, cell, 60,
              {static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number), format});
}

void t_sim_card_env::insert_card(std::vector<uint8_t> card, std::function<bool(uint64_t)> flip) {
    t_sim_card sim_card;
    sim_card.bytes = std::move(card);
    auto backend = std::make_unique<t_sim_port_backend>(std::move(sim_card), sim_default_port,
                                                        t_sim_reader_faults{});
    sim = backend.get();
    std::unique_ptr<t_port_backend> port = std::move(backend);
    if (flip) {
        port = std::make_unique<t_flip_backend>(std::move(port), std::move(flip));
    }
    drv = std::make_unique<t_hwindrv>(std::move(port));
    drv->set_port(0x378);
    ASSERT_TRUE(drv->open_driver()) << drv->get_text_result();
    drv->power(true);
}

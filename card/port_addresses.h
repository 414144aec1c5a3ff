// The parallel-port base addresses the card reader may sit on. No other address is ever
// opened: a backend would otherwise reserve and bit-bang whatever range it is given.
#pragma once

#include <array>
#include <cstdint>
#include <string>

inline constexpr std::array<uint32_t, 4> card_port_addresses = {0x378, 0x278, 0x3BC, 0x9800};

constexpr bool is_card_port_address(uint32_t base) {
    for (const uint32_t address : card_port_addresses) {
        if (address == base) {
            return true;
        }
    }
    return false;
}

// "Адрес порта 0x... не входит в список допустимых адресов (0x378, 0x278, 0x3BC, 0x9800)."
std::string port_address_refused_text(uint32_t base);
// " Адаптеры USB-LPT не подходят: ..." (with its leading blank): USB-to-parallel adapters
// cannot drive the bus line by line.
const char* usb_adapter_note();

// For a port scan that found none of the four ports on this machine: "На этом компьютере
// нет ни одного параллельного порта из списка (...)." with a note on USB adapters.
std::string no_card_port_text();

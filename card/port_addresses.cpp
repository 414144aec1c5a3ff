#include "card/port_addresses.h"

#include "common/hunits/uhFuncs.h"

std::string port_address_refused_text(uint32_t base) {
    return format_str(
        "Адрес порта 0x%X не входит в список допустимых адресов (0x378, 0x278, 0x3BC, 0x9800).",
        base);
}

const char* usb_adapter_note() {
    return " Адаптеры USB-LPT не подходят: они не дают программе управлять линиями порта.";
}

std::string no_card_port_text() {
    return std::string(
               "На этом компьютере нет ни одного параллельного порта из списка (0x378, "
               "0x278, 0x3BC, 0x9800).") +
           usb_adapter_note();
}

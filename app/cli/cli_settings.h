// The defaults of the card and file commands, from the settings file the window uses
// (section "MAIN"). The tool writes one setting only: the port where a scan found the card.
#pragma once

#include <cstdint>
#include <string>

struct t_cli_defaults {
    bool daily = true;      // "CheckBox_to_days"; true when missing
    std::string data_dir;   // "data_file_dir_name"; an empty text is refused, never the root
    uint32_t port = 0x378;  // the port list entry "cb_port_list"; the first one when missing
};

t_cli_defaults read_cli_defaults();
// Stores `port` (an address of the port list) as the chosen entry "cb_port_list".
void store_cli_port(uint32_t port);

// The defaults of the card and file commands. This is the one place where the tool reads
// them: they are to come from the settings file (keys "CheckBox_to_days",
// "data_file_dir_name", "cb_port_list") once the settings store is in; until then the
// window's own defaults apply.
#pragma once

#include <cstdint>
#include <string>

struct t_cli_defaults {
    bool daily = true;     // convert read data to daily values
    std::string data_dir;  // folder for data files; an empty text is refused, never the root
    uint32_t port = 0x378;
};

t_cli_defaults read_cli_defaults();

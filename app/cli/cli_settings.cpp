#include "app/cli/cli_settings.h"

#include "app/U_card_commands.h"
#include "app/U_program_start.h"
#include "common/hunits/Uhinifiles.h"

namespace {
void use_settings_file() {
    hini.set_file_name(settings_file_name());
    hini.set_section("MAIN");
}
}  // namespace

t_cli_defaults read_cli_defaults() {
    use_settings_file();
    t_cli_defaults defaults;
    // Without a stored folder the tool uses the program's data folder: the folder of an
    // installed executable is no place for data files.
    defaults.data_dir = hini.read_str("", "data_file_dir_name", program_data_dir());
    defaults.daily = hini.read_bool("", "CheckBox_to_days", true);
    defaults.port =
        card_port_entry_address(hini.read_int("", "cb_port_list", 0, 0, card_port_count - 1));
    return defaults;
}

void store_cli_port(uint32_t port) {
    const int entry = card_port_entry_index(port);
    if (entry >= 0) {
        use_settings_file();
        hini.write_int("", "cb_port_list", entry);
    }
}

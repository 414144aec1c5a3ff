#include "app/cli/cli_settings.h"

#include "app/U_program_start.h"

t_cli_defaults read_cli_defaults() {
    t_cli_defaults defaults;
    defaults.data_dir = program_data_dir();
    return defaults;
}

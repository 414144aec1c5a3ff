#include "app/cli/cli_main.h"

#include <cstdio>

int cli_run_process(int argc, char** argv) {
    std::fputs("h_trelmo-cli: no commands yet\n", stderr);
    return 2;
}

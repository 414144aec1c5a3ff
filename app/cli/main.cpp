#include "app/cli/cli_main.h"

int main(int argc, char** argv) {
    return cli_run_process(argc, argv);
}

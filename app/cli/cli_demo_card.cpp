#include "app/cli/cli_demo_card.h"

#include <filesystem>
#include <vector>

#include "app/U_program_start.h"
#include "app/cli/cli_save_path.h"
#include "card/simulator/demo_card.h"
#include "device/durable_file.h"

std::string cli_demo_card_path() {
    return program_data_dir() + "demo.card";
}

bool write_demo_card(const std::string& path, int cells, uint64_t seed, std::string& error) {
    const std::vector<uint8_t> image = make_demo_card_image(cells, seed);
    if (!write_file_durably(path, image.data(), image.size())) {
        error = "Ошибка сохранения файла: " + path;
        return false;
    }
    return true;
}

bool ensure_demo_card(const std::string& path, std::string& error) {
    std::error_code ec;
    if (std::filesystem::exists(cli_path_from_utf8(path), ec)) {
        return true;
    }
    return write_demo_card(path, cli_demo_card_cells, cli_demo_card_seed, error);
}

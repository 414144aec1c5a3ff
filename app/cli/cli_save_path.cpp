#include "app/cli/cli_save_path.h"

#include "common/hunits/h_utf8_path.h"
#include "common/hunits/uhlog.h"

namespace fs = std::filesystem;

fs::path cli_path_from_utf8(const std::string& path) {
    return utf8_path(path);
}

bool cli_is_folder(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(cli_path_from_utf8(path), ec);
}

bool cli_default_data_folder(const std::string& data_dir, std::string& folder) {
    if (data_dir.empty()) {
        hlog->dialog_error("Не задан каталог для сохранения файлов данных", "Ошибка!");
        return false;
    }
    folder = data_dir;
    return true;
}

bool cli_may_write(const std::string& path) {
    std::error_code ec;
    if (!fs::exists(cli_path_from_utf8(path), ec)) {
        return true;
    }
    return hlog->dialog_yes_no("Файл уже существует:\n" + path + "\nЗаменить его?",
                               "Замена файла!");
}

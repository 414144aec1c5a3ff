#include "app/U_program_start.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "app/platform/app_platform.h"
#include "common/hunits/h_path.h"
#include "common/hunits/uhFuncs.h"

namespace {

std::string environment_value(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string sub_dir(const std::string& parent, const std::string& name) {
    return parent + name + native_separator();
}

// The root's own parents are made as needed; below the root one level at a time, parent
// before child. Failures are not reported: the log file's open tells the user.
void make_program_dirs() {
    const std::string root = system_root_dir();
    std::error_code ec;
    // root ends with a separator: its parent_path() is the root itself.
    std::filesystem::create_directories(path_from_utf8(root).parent_path().parent_path(), ec);
    check_dir(root, true);
    check_dir(program_data_dir(), true);
    check_dir(program_logs_dir(), true);
    check_dir(program_logs_dir() + "scans", true);
    check_dir(program_logs_dir() + "bin", true);
}

}  // namespace

std::string system_root_dir() {
    const std::string root = environment_value("H_SYSTEM_DIR");
    return normalize_dir_name(root.empty() ? h_app_platform::default_system_root() : root);
}

std::string program_data_dir() {
    return sub_dir(system_root_dir(), "h_trelmo");
}

std::string program_logs_dir() {
    return sub_dir(program_data_dir(), "logs");
}

std::string program_bin_dir() {
    return sub_dir(program_logs_dir(), "bin");
}

std::string settings_file_name() {
    const std::string name = environment_value("H_TRELMO_INI");
    return name.empty() ? get_program_dir() + "h_trelmo.ini" : name;
}

t_hlog& program_log() {
    static t_hlog log;
    return log;
}

void start_program(t_hlog& log) {
    make_program_dirs();
    hlog = &log;
    const std::string name = log.make_log_file_name(program_logs_dir(), "h_trelmo", "");
    log.set_log_file_name(name);
    if (log.open_log_file()) {
        log.set_file_out(true);
    } else {
        log.dialog_error("Ошибка открытия файла протокола!\n" + name, "Ошибка!");
    }
    log.set_log_group(0, true);
    log.add_open_log_str();
}

void start_program() {
    start_program(program_log());
}

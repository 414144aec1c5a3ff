#include "common/hunits/uhFuncs.h"

#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "common/hunits/h_path.h"
#include "common/hunits/platform/h_platform.h"

#ifndef H_TRELMO_FILE_VERSION
#error "H_TRELMO_FILE_VERSION must be defined by the build"
#endif

namespace {

std::vector<std::string>& stored_command_line() {
    static std::vector<std::string> args;
    return args;
}

bool command_line_was_set = false;

}  // namespace

char native_separator() {
    return static_cast<char>(std::filesystem::path::preferred_separator);
}

std::string normalize_dir_name(const std::string& dir) {
    std::string name = dir;
    if (!name.empty() && name.back() == '"' && name.front() == '"') {
        name.pop_back();
        if (!name.empty()) {
            name.erase(0, 1);
        }
    }
    while (!name.empty() && name.back() == ' ') {
        name.pop_back();
    }
    if (name.empty() || name.back() != native_separator()) {
        name += native_separator();
    }
    return name;
}

bool check_dir(const std::string& dir, bool create) {
    const std::filesystem::path path = path_from_utf8(dir);
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        return true;
    }
    if (!create) {
        return false;
    }
    // create_directory makes one level only: a missing parent makes it fail.
    std::filesystem::create_directory(path, ec);
    return std::filesystem::is_directory(path, ec);
}

std::string get_program_dir() {
    return normalize_dir_name(
        utf8_from_path(path_from_utf8(h_platform::executable_path()).parent_path()));
}

void set_command_line(int argc, char** argv) {
    auto& args = stored_command_line();
    args.assign(argv, argv + argc);
    command_line_was_set = true;
}

const std::vector<std::string>& command_line_args() {
    if (!command_line_was_set) {
        stored_command_line() = h_platform::process_arguments();
        command_line_was_set = true;
    }
    return stored_command_line();
}

bool get_command_line_parametr(const std::string& name, std::string& value,
                               const std::string& default_value) {
    value = default_value;
    for (const std::string& arg : command_line_args()) {
        if (arg.find(name) != std::string::npos) {
            value = arg.substr(name.size());
            return true;
        }
    }
    return false;
}

std::string join_command_line(const std::vector<std::string>& args) {
    std::string line;
    for (const std::string& arg : args) {
        if (!line.empty()) {
            line += ' ';
        }
        if (arg.empty() || arg.find_first_of(" \t") != std::string::npos) {
            line += '"' + arg + '"';
        } else {
            line += arg;
        }
    }
    return line;
}

bool write_new_file(const std::string& file_name, const void* data, uint32_t count) {
    return h_platform::create_new_file(file_name, data, count);
}

int32_t int_in_range(int32_t value, int32_t min, int32_t max, int32_t fallback) {
    return min <= value && value <= max ? value : fallback;
}

std::string bytes_to_hex_str(const void* data, int count, const std::string& separator) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (int i = 0; i < count; ++i) {
        text += separator;
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    return text;
}

std::string byte_to_bits_str(uint8_t b) {
    std::string bits(8, '0');
    for (int bit = 0; bit < 8; ++bit) {
        if (b & (0x80 >> bit)) {
            bits[static_cast<size_t>(bit)] = '1';
        }
    }
    return bits;
}

std::string format_str(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, again);
        text.resize(static_cast<size_t>(length));
    }
    va_end(again);
    return text;
}

const std::string& build_str() {
    static const std::string text = std::string("Сборка: ") + __DATE__ + " " + __TIME__;
    return text;
}

std::string get_file_version() {
    return H_TRELMO_FILE_VERSION;
}

std::string get_version_str() {
    return "Версия: " + get_file_version() + "; " + build_str() + ".";
}

std::string get_user_name() {
    return h_platform::user_name();
}

std::string get_pc_name() {
    return h_platform::computer_name();
}

std::string get_system_info_str() {
    return "; pc_name = " + get_pc_name() + "; " + "win_user_name = " + get_user_name() + "; " +
           get_version_str() + "; " +
           "id потока = " + std::to_string(h_platform::current_thread_id()) + "; " +
           "Командная строка: " + h_platform::process_command_line() + "; ";
}

// String, folder, file and run-identification helpers shared by the whole program.
// Texts are UTF-8 inside the program; files that are written in code page 1251 are
// converted at the boundary (see cp1251.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The native folder separator: '\\' on Windows, '/' elsewhere.
char native_separator();

// Removes surrounding double quotes and trailing blanks, ensures one trailing separator.
std::string normalize_dir_name(const std::string& dir);
// True when the folder exists; with `create`, tries to make it (one level only).
bool check_dir(const std::string& dir, bool create);
// The folder of the running executable, normalised.
std::string get_program_dir();

// Command-line arguments as the process received them (argument 0 is the program).
// Set once by main(); used by get_command_line_parametr and the system-info text.
void set_command_line(int argc, char** argv);
const std::vector<std::string>& command_line_args();
// True when some argument (the program's own path included) contains `name`; `value`
// gets that argument without its first name.size() characters, else `default_value`.
bool get_command_line_parametr(const std::string& name, std::string& value,
                               const std::string& default_value);
// Arguments joined by blanks; an argument that contains blanks (or is empty) is put in
// double quotes, as a command line is shown.
std::string join_command_line(const std::vector<std::string>& args);

// Creates a new file (never overwrites) and writes `count` bytes to it. False when the
// file exists or not every byte could be written; a file it could not fill is removed.
bool write_new_file(const std::string& file_name, const void* data, uint32_t count);

// `value` when min <= value <= max, else `fallback`.
int32_t int_in_range(int32_t value, int32_t min, int32_t max, int32_t fallback);
// For every byte: the separator, then two upper-case hexadecimal digits.
std::string bytes_to_hex_str(const void* data, int count, const std::string& separator);
// Eight characters '0'/'1', most significant bit first.
std::string byte_to_bits_str(uint8_t b);
// printf-style formatting.
std::string format_str(const char* format, ...) __attribute__((format(printf, 1, 2)));

// "Сборка: " + build date ("Apr  1 2010") + " " + build time ("04:00:46").
const std::string& build_str();
// The program's file version, "1.0.0.12".
std::string get_file_version();
// "Версия: " + file version + "; " + build_str() + ".".
std::string get_version_str();
std::string get_user_name();
std::string get_pc_name();
// "; pc_name = ...; win_user_name = ...; Версия: ...; id потока = ...; Командная строка: ...; "
std::string get_system_info_str();

#include "support/test_env.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace fs = std::filesystem;

void set_env(const char* name, const std::string& value) {
#ifdef _WIN32
    _putenv_s(name, value.c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}
void unset_env(const char* name) {
#ifdef _WIN32
    _putenv_s(name, "");
#else
    unsetenv(name);
#endif
}

t_env_override::t_env_override(const char* name, const std::optional<std::string>& value)
    : name_(name) {
    if (const char* old = std::getenv(name)) {
        old_ = old;
    }
    apply(value);
}

t_env_override::~t_env_override() {
    apply(old_);
}

void t_env_override::apply(const std::optional<std::string>& value) {
    if (value) {
        set_env(name_, *value);
    } else {
        unset_env(name_);
    }
}

t_temp_dir::t_temp_dir() {
    std::random_device rd;
    const fs::path base = fs::temp_directory_path();
    for (;;) {
        const fs::path candidate = base / ("h_trelmo_test_" + std::to_string(rd()));
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) {
            path_ = candidate.string();
            return;
        }
    }
}

t_temp_dir::~t_temp_dir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string t_temp_dir::file(const std::string& name) const {
    return (fs::path(path_) / name).string();
}

std::string read_file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file_bytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool file_exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

std::vector<std::string> list_dir(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

t_test_env::t_test_env() {
    system_dir = temp.file("h_system");
    ini_file = temp.file("h_trelmo.ini");
    set_env("H_SYSTEM_DIR", system_dir);
    set_env("H_TRELMO_INI", ini_file);
    set_h_clock(&clock);
    set_dialog_presenter(&dialogs);
}

t_test_env::~t_test_env() {
    set_dialog_presenter(nullptr);
    set_h_clock(nullptr);
    unset_env("H_SYSTEM_DIR");
    unset_env("H_TRELMO_INI");
}

// Test environment: every test gets its own temporary folder, points the fixed folders
// (H_SYSTEM_DIR) and the settings file (H_TRELMO_INI) into it, and runs on a virtual
// clock, so tests never touch the home folder, never share settings and never sleep.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/hunits/h_clock.h"
#include "common/hunits/uhlog.h"
#include "support/scripted_dialogs.h"

// A fresh folder under the system's temporary folder, removed with its content.
class t_temp_dir {
  public:
    t_temp_dir();
    ~t_temp_dir();
    t_temp_dir(const t_temp_dir&) = delete;
    t_temp_dir& operator=(const t_temp_dir&) = delete;
    // The folder, without a trailing separator.
    const std::string& path() const { return path_; }
    // path() + separator + name.
    std::string file(const std::string& name) const;

  private:
    std::string path_;
};

// Sets or removes an environment variable of the test process.
void set_env(const char* name, const std::string& value);
void unset_env(const char* name);

// Sets (or, with nullopt, removes) an environment variable for one scope.
class t_env_override {
  public:
    t_env_override(const char* name, const std::optional<std::string>& value);
    ~t_env_override();
    t_env_override(const t_env_override&) = delete;
    t_env_override& operator=(const t_env_override&) = delete;

  private:
    void apply(const std::optional<std::string>& value);
    const char* name_;
    std::optional<std::string> old_;
};

std::string read_file_bytes(const std::string& path);
void write_file_bytes(const std::string& path, const std::string& bytes);
bool file_exists(const std::string& path);
// Names of the entries of a folder, sorted.
std::vector<std::string> list_dir(const std::string& dir);

// Base fixture: temporary folder as H_SYSTEM_DIR, an ini file in it as H_TRELMO_INI,
// a virtual clock and scripted dialogs installed for the test's duration.
class t_test_env : public ::testing::Test {
  protected:
    t_test_env();
    ~t_test_env() override;

    t_temp_dir temp;
    t_virtual_clock clock;
    t_scripted_dialogs dialogs;
    std::string system_dir;  // the folder H_SYSTEM_DIR points at
    std::string ini_file;    // the file H_TRELMO_INI names
};

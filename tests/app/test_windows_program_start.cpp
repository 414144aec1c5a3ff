// Program start-up on Windows: the fixed root c:\h_system\ and a root named in the
// environment with letters outside the ANSI code page.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/U_program_start.h"
#include "common/hunits/h_path.h"
#include "support/test_env.h"

namespace {

namespace fs = std::filesystem;

TEST(WindowsProgramDirs, FixedRootWithoutTheEnvironment) {
    t_env_override system_dir("H_SYSTEM_DIR", std::nullopt);
    EXPECT_EQ(system_root_dir(), "c:\\h_system\\");
    EXPECT_EQ(program_logs_dir(), "c:\\h_system\\h_trelmo\\logs\\");
    EXPECT_EQ(program_bin_dir(), "c:\\h_system\\h_trelmo\\logs\\bin\\");
}

class WindowsProgramStart : public t_test_env {
  protected:
    t_hlog log;
};

TEST_F(WindowsProgramStart, CyrillicRootFromTheEnvironmentHoldsTheLog) {
    const std::string root = temp.path() + "\\Система ПУ\\h_system";
    // Set through the wide environment: the narrow one is in the ANSI code page.
    ASSERT_EQ(_wputenv_s(L"H_SYSTEM_DIR", path_from_utf8(root).c_str()), 0);

    start_program(log);
    log.flush_log_buffer();

    EXPECT_EQ(system_root_dir(), root + "\\");
    const fs::path logs = path_from_utf8(root + "\\h_trelmo\\logs");
    EXPECT_TRUE(fs::is_directory(logs / "bin"));
    EXPECT_TRUE(fs::is_regular_file(logs / "h_trelmo20100401-090507042.log"));
    EXPECT_GT(fs::file_size(logs / "h_trelmo20100401-090507042.log"), 0u);
    EXPECT_TRUE(dialogs.shown.empty());
}

}  // namespace

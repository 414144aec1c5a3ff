// Where the fixed root lies on a POSIX system when H_SYSTEM_DIR does not say.
#include <gtest/gtest.h>

#include <optional>

#include "app/U_program_start.h"
#include "support/test_env.h"

namespace {

TEST(ProgramDirsPosix, RootFromTheEnvironment) {
    using opt = std::optional<std::string>;
    struct t_case {
        opt system_dir;
        opt data_home;
        opt home;
        std::string root;
    };
    const t_case cases[] = {
        {"/srv/h_system", "/xdg", "/home/u", "/srv/h_system/"},
        {std::nullopt, "/xdg", "/home/u", "/xdg/h_system/"},
        {"", "/xdg", "/home/u", "/xdg/h_system/"},
        {std::nullopt, std::nullopt, "/home/u", "/home/u/.local/share/h_system/"},
        {std::nullopt, "", "/home/u", "/home/u/.local/share/h_system/"},
        // A relative data folder is to be ignored.
        {std::nullopt, "relative/xdg", "/home/u", "/home/u/.local/share/h_system/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.root);
        t_env_override system_dir("H_SYSTEM_DIR", c.system_dir);
        t_env_override data_home("XDG_DATA_HOME", c.data_home);
        t_env_override home("HOME", c.home);
        EXPECT_EQ(system_root_dir(), c.root);
    }
}

}  // namespace

#include <gtest/gtest.h>

#include <filesystem>

#include "app/U_program_start.h"
#include "common/hunits/uhFuncs.h"
#include "support/test_env.h"

namespace {

namespace fs = std::filesystem;

const std::string sep(1, native_separator());

TEST(ProgramDirs, FoldersBelowTheRootFromTheEnvironment) {
    t_env_override system_dir("H_SYSTEM_DIR", "\"" + sep + "srv" + sep + "my data  \"");
    const std::string root = sep + "srv" + sep + "my data" + sep;
    EXPECT_EQ(system_root_dir(), root);
    EXPECT_EQ(program_data_dir(), root + "h_trelmo" + sep);
    EXPECT_EQ(program_logs_dir(), root + "h_trelmo" + sep + "logs" + sep);
    EXPECT_EQ(program_bin_dir(), root + "h_trelmo" + sep + "logs" + sep + "bin" + sep);
}

TEST(SettingsFileName, EnvironmentOverridesTheProgramFolder) {
    {
        t_env_override ini("H_TRELMO_INI", "/tmp/other.ini");
        EXPECT_EQ(settings_file_name(), "/tmp/other.ini");
    }
    t_env_override ini("H_TRELMO_INI", std::nullopt);
    EXPECT_EQ(settings_file_name(), get_program_dir() + "h_trelmo.ini");
}

class ProgramStart : public t_test_env {
  protected:
    t_hlog log;
};

TEST_F(ProgramStart, MakesTheFoldersAndOpensANewLogWithTheOpenLogLine) {
    const std::string root = temp.file("a") + sep + "b" + sep + "h_system";
    t_env_override system_dir("H_SYSTEM_DIR", root);

    start_program(log);

    const std::string logs = root + sep + "h_trelmo" + sep + "logs";
    EXPECT_TRUE(fs::is_directory(logs + sep + "scans"));
    EXPECT_TRUE(fs::is_directory(logs + sep + "bin"));
    EXPECT_EQ(list_dir(logs),
              (std::vector<std::string>{"bin", "h_trelmo20100401-090507042.log", "scans"}));
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(hlog, &log);

    log.add_str_to_log("i", "вторая строка", 7);  // every group reaches the file
    log.flush_log_buffer();
    const std::string bytes = read_file_bytes(logs + sep + "h_trelmo20100401-090507042.log");
    const std::string first_line = bytes.substr(0, bytes.find("\r\n") + 2);
    EXPECT_TRUE(first_line.starts_with("2010.04.01 09:05:07:042\topen log; pc_name = "));
    EXPECT_TRUE(first_line.ends_with("; " + get_pc_name() + "\r\n"));
    EXPECT_EQ(bytes.substr(first_line.size()),
              "09:05:07:042\t[i]\t\xE2\xF2\xEE\xF0\xE0\xFF \xF1\xF2\xF0\xEE\xEA\xE0\r\n");
}

TEST_F(ProgramStart, ALogFolderThatCannotBeMadeIsToldOnceAndTheRunGoesOn) {
    fs::create_directory(system_dir);
    write_file_bytes(system_dir + sep + "h_trelmo", "a file where a folder belongs");

    start_program(log);

    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, t_dialog_kind::error);
    EXPECT_EQ(dialogs.shown[0].text, "Ошибка открытия файла протокола!\n" + system_dir + sep +
                                         "h_trelmo" + sep + "logs" + sep +
                                         "h_trelmo20100401-090507042.log");
    EXPECT_EQ(dialogs.shown[0].caption, "Ошибка!");
    EXPECT_FALSE(log.is_file_opened());
    EXPECT_EQ(hlog, &log);
    log.add_str_to_log("i", "no file to go to", 1);
    log.dialog_info("still running", "Информация!");
    EXPECT_EQ(list_dir(system_dir), std::vector<std::string>{"h_trelmo"});
}

TEST_F(ProgramStart, ARootThatCannotBeMadeIsNoCrash) {
    write_file_bytes(temp.file("file"), "");
    t_env_override system_dir("H_SYSTEM_DIR", temp.file("file") + sep + "h_system");
    start_program(log);
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_FALSE(log.is_file_opened());
}

}  // namespace

// Support library behaviour that only Windows has: the version resource, the system's
// names and ids through the wide-character calls, create-new files, the log's text stream,
// and folder names outside the ANSI code page.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "common/hunits/cp1251.h"
#include "common/hunits/h_path.h"
#include "common/hunits/platform/h_platform.h"
#include "common/hunits/platform/h_platform_windows.h"
#include "common/hunits/uhFuncs.h"
#include "common/hunits/uhlog.h"
#include "support/test_env.h"

namespace {

namespace fs = std::filesystem;

std::string utf8(const std::wstring& wide) {
    return utf8_from_path(fs::path(wide));
}

std::string read_bytes(const std::string& utf8_path) {
    std::ifstream in(path_from_utf8(utf8_path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_bytes(const std::string& utf8_path, const std::string& bytes) {
    std::ofstream out(path_from_utf8(utf8_path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A folder whose name code page 1252 (and the console's 866) cannot hold in the same way.
class WindowsFiles : public t_test_env {
  protected:
    WindowsFiles() { fs::create_directory(path_from_utf8(cyrillic)); }
    const std::string cyrillic = temp.path() + "\\Данные ПУ №1";
};

TEST(WindowsVersion, FileVersionComesFromTheVersionResource) {
    struct t_case {
        const char* name;
        std::string file;
        std::string expected;
    };
    const std::string probe = get_program_dir() + H_TRELMO_VERSION_PROBE;
    const t_case cases[] = {
        {"this executable: the FileVersion text", h_platform::executable_path(), "1.0.0.12"},
        {"no FileVersion text: the fixed numbers", probe, "2.3.4.5"},
        {"no version resource", get_program_dir() + "no_such_file.exe", ""},
    };
    for (const t_case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(h_platform::file_version_of(c.file), c.expected);
    }
    EXPECT_EQ(get_file_version(), "1.0.0.12");
    EXPECT_EQ(get_version_str(), "Версия: 1.0.0.12; " + build_str() + ".");
}

TEST(WindowsSystemInfo, PiecesAreTheSystemsNamesThreadAndCommandLine) {
    wchar_t pc[500];
    DWORD pc_size = 500;
    ASSERT_TRUE(GetComputerNameW(pc, &pc_size));
    wchar_t user[500];
    DWORD user_size = 500;
    ASSERT_TRUE(GetUserNameW(user, &user_size));
    const std::string pc_name = utf8(pc);
    const std::string user_name = utf8(user);
    ASSERT_FALSE(pc_name.empty());
    ASSERT_FALSE(user_name.empty());
    EXPECT_EQ(get_pc_name(), pc_name);
    EXPECT_EQ(get_user_name(), user_name);

    const auto expected_for_this_thread = [&] {
        return "; pc_name = " + pc_name + "; win_user_name = " + user_name +
               "; Версия: 1.0.0.12; " + build_str() +
               ".; id потока = " + std::to_string(GetCurrentThreadId()) +
               "; Командная строка: " + utf8(GetCommandLineW()) + "; ";
    };
    EXPECT_EQ(get_system_info_str(), expected_for_this_thread());
    EXPECT_NE(get_system_info_str().find("test_common"), std::string::npos);

    // The id is that of the calling thread.
    std::string other, other_expected;
    std::thread([&] {
        other = get_system_info_str();
        other_expected = expected_for_this_thread();
    }).join();
    EXPECT_EQ(other, other_expected);
    EXPECT_NE(other, get_system_info_str());
}

TEST(WindowsFolders, ProgramFolderIsTheExecutablesWithABackslash) {
    const std::string dir = get_program_dir();
    ASSERT_TRUE(dir.ends_with("\\")) << dir;
    EXPECT_EQ(dir + utf8_from_path(path_from_utf8(h_platform::executable_path()).filename()),
              h_platform::executable_path());
    EXPECT_TRUE(fs::exists(path_from_utf8(dir + "test_common.exe")));
}

TEST_F(WindowsFiles, WriteNewFileCreatesOnlyNewFilesWithTheExactBytes) {
    const std::string data("\x00\x1A\r\n\n\xFF", 6);  // binary: no text-mode translation
    for (const std::string& dir : {temp.path(), cyrillic}) {
        SCOPED_TRACE(dir);
        const std::string name = dir + "\\дамп.bin";
        ASSERT_TRUE(write_new_file(name, data.data(), static_cast<uint32_t>(data.size())));
        EXPECT_EQ(read_bytes(name), data);

        EXPECT_FALSE(write_new_file(name, "other", 5));
        EXPECT_EQ(read_bytes(name), data);  // the existing file is left as it was
    }
    EXPECT_FALSE(write_new_file(temp.path() + "\\нет папки\\x.bin", "x", 1));
    EXPECT_TRUE(check_dir(cyrillic + "\\вложенная", true));
    EXPECT_TRUE(fs::is_directory(path_from_utf8(cyrillic + "\\вложенная")));
}

TEST_F(WindowsFiles, LogStreamTurnsEachLineFeedIntoOneCrLf) {
    // The seam's promise, checked on the stream itself.
    EXPECT_TRUE(h_platform::append_stream_adds_cr());
    const std::string raw = cyrillic + "\\поток.log";
    std::FILE* stream = h_platform::open_append_stream(raw);
    ASSERT_NE(stream, nullptr);
    std::fputs("a\nb\n", stream);
    std::fclose(stream);
    EXPECT_EQ(read_bytes(raw), "a\r\nb\r\n");

    // The log on an existing file in a Cyrillic folder: appended, CR LF once per line feed.
    const std::string name = cyrillic + "\\журнал.log";
    write_bytes(name, "old\r\n");
    {
        t_hlog log;
        log.set_log_file_name(name);
        ASSERT_TRUE(log.open_log_file());
        log.set_file_out(true);
        log.add_str_to_log("i", "один\nдва", 1);
        log.dialog_yes_no("Стереть?", "Вопрос");
    }  // the destructor writes the lines out and closes the file
    const std::string t0 = "09:05:07:042\t";
    const std::string expected =
        "old\r\n" + utf8_to_cp1251(t0 + "[i]\tодин\r\nдва\r\n" + t0 +
                                   "[dialog_yes_no]\tВопрос\tСтереть?\t result=НЕТ\r\n");
    EXPECT_EQ(read_bytes(name), expected);
    EXPECT_EQ(read_bytes(name).find("\r\r"), std::string::npos);
}

}  // namespace

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "common/hunits/uhFuncs.h"
#include "support/test_env.h"

namespace {

namespace fs = std::filesystem;

const std::string sep(1, native_separator());

TEST(NormalizeDirName, QuotesTrailingBlanksAndSeparator) {
    struct t_case {
        std::string input;
        std::string expected;
    };
    const t_case cases[] = {
        {"\"" + sep + "data" + sep + "files  \"", sep + "data" + sep + "files" + sep},
        {sep + "data" + sep, sep + "data" + sep},
        {"\"", sep},
        {"", sep},
        {"  a b" + sep + "c  ", "  a b" + sep + "c" + sep},
        // The quotes are only removed when they are the very first and last characters.
        {"\"a\" ", "\"a\"" + sep},
        {"a" + sep + " ", "a" + sep},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("input: [" + c.input + "]");
        EXPECT_EQ(normalize_dir_name(c.input), c.expected);
    }
}

class CheckDir : public t_test_env {};

TEST_F(CheckDir, CreatesOneLevelOnlyAndRefusesFiles) {
    const std::string existing = temp.file("existing");
    fs::create_directory(existing);
    const std::string file = temp.file("file");
    write_file_bytes(file, "x");

    EXPECT_TRUE(check_dir(existing, false));
    EXPECT_TRUE(check_dir(existing + sep, true));

    const std::string missing = temp.file("missing");
    EXPECT_FALSE(check_dir(missing, false));
    EXPECT_FALSE(file_exists(missing));
    EXPECT_TRUE(check_dir(missing + sep, true));
    EXPECT_TRUE(fs::is_directory(missing));

    const std::string two_levels = temp.file("a") + sep + "b";
    EXPECT_FALSE(check_dir(two_levels, true));
    EXPECT_FALSE(file_exists(temp.file("a")));

    EXPECT_FALSE(check_dir(file, true));
    EXPECT_EQ(read_file_bytes(file), "x");
}

TEST(GetProgramDir, IsTheFolderOfTheRunningExecutable) {
    const std::string dir = get_program_dir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), native_separator());
    bool found = false;
    for (const auto& entry : fs::directory_iterator(dir)) {
        found = found || entry.path().stem() == "test_common";
    }
    EXPECT_TRUE(found);
}

TEST(GetCommandLineParametr, FindsTheNameAnywhereAndCutsFromTheArgumentStart) {
    struct t_case {
        std::vector<std::string> args;
        bool found;
        std::string value;
    };
    const t_case cases[] = {
        {{"/opt/h_trelmo", "-SHOW_COMPARE1"}, true, ""},
        {{"/opt/h_trelmo", "-x", "-SHOW_COMPARE1=5"}, true, "=5"},
        // In the middle of an argument: the value is cut from the argument's start.
        {{"/opt/h_trelmo", "ab-SHOW_COMPARE1cdefgh"}, true, "E1cdefgh"},
        // Argument 0, the program's own path, is searched too.
        {{"/tmp/-SHOW_COMPARE1/h_trelmo"}, true, "PARE1/h_trelmo"},
        {{"/opt/h_trelmo", "-show_compare1", "-SHOW_COMPARE"}, false, "default"},
        // The first argument that holds the name wins.
        {{"/opt/h_trelmo", "1-SHOW_COMPARE1", "-SHOW_COMPARE1"}, true, "1"},
    };
    for (const auto& c : cases) {
        std::vector<char*> argv;
        for (const auto& arg : c.args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        set_command_line(static_cast<int>(argv.size()), argv.data());
        std::string value = "old";
        SCOPED_TRACE(c.args.back());
        EXPECT_EQ(get_command_line_parametr("-SHOW_COMPARE1", value, "default"), c.found);
        EXPECT_EQ(value, c.value);
    }
}

TEST(JoinCommandLine, QuotesArgumentsWithBlanks) {
    EXPECT_EQ(join_command_line({"/usr/bin/h_trelmo", "-SHOW_COMPARE1"}),
              "/usr/bin/h_trelmo -SHOW_COMPARE1");
    EXPECT_EQ(join_command_line({"/home/user/my tools/h_trelmo", "a\tb", "", "x"}),
              "\"/home/user/my tools/h_trelmo\" \"a\tb\" \"\" x");
    EXPECT_EQ(join_command_line({}), "");
}

class WriteNewFile : public t_test_env {};

TEST_F(WriteNewFile, WritesEveryByteOfANewFile) {
    const std::string data("\x00\x01\xFF\r\n", 5);
    const std::string name = temp.file("dump.bin");
    EXPECT_TRUE(write_new_file(name, data.data(), static_cast<uint32_t>(data.size())));
    EXPECT_EQ(read_file_bytes(name), data);

    const std::string empty = temp.file("empty.bin");
    EXPECT_TRUE(write_new_file(empty, "", 0));
    EXPECT_TRUE(file_exists(empty));
}

TEST_F(WriteNewFile, NeverTouchesAFileThatExists) {
    const std::string name = temp.file("dump.bin");
    write_file_bytes(name, "old content");
    EXPECT_FALSE(write_new_file(name, "new", 3));
    EXPECT_EQ(read_file_bytes(name), "old content");
    EXPECT_FALSE(write_new_file(temp.path(), "new", 3));
}

TEST_F(WriteNewFile, AMissingFolderIsAFailure) {
    write_file_bytes(temp.file("not_a_folder"), "");
    EXPECT_FALSE(write_new_file(temp.file("not_a_folder") + sep + "dump.bin", "x", 1));
    EXPECT_FALSE(write_new_file(temp.file("missing") + sep + "dump.bin", "x", 1));
}

TEST(NumberTexts, RangesHexAndBits) {
    EXPECT_EQ(int_in_range(10, 10, 20, -1), 10);
    EXPECT_EQ(int_in_range(20, 10, 20, -1), 20);
    EXPECT_EQ(int_in_range(9, 10, 20, -1), -1);
    EXPECT_EQ(int_in_range(21, 10, 20, -1), -1);
    EXPECT_EQ(int_in_range(-5, -10, 0, 7), -5);

    const uint8_t bytes[] = {0x0A, 0xFF, 0x10};
    EXPECT_EQ(bytes_to_hex_str(bytes, 3, " "), " 0A FF 10");
    EXPECT_EQ(bytes_to_hex_str(bytes, 2, ""), "0AFF");
    EXPECT_EQ(bytes_to_hex_str(bytes, 0, " "), "");
    EXPECT_EQ(bytes_to_hex_str(bytes, -1, " "), "");

    EXPECT_EQ(byte_to_bits_str(0x05), "00000101");
    EXPECT_EQ(byte_to_bits_str(0x80), "10000000");
    EXPECT_EQ(byte_to_bits_str(0xFF), "11111111");
}

TEST(FormatStr, FormatsLikePrintfWithoutLengthLimit) {
    EXPECT_EQ(format_str("%X %i %s", 0x3BCu, -5, "ПУ"), "3BC -5 ПУ");
    EXPECT_EQ(format_str("%02X", 0x0Au), "0A");
    EXPECT_EQ(format_str("%s", ""), "");
    const std::string long_text(5000, 'z');
    EXPECT_EQ(format_str("<%s>", long_text.c_str()), "<" + long_text + ">");
}

TEST(RunIdentification, BuildStampAndVersion) {
    const std::string prefix = "Сборка: ";
    const std::string stamp = build_str();
    ASSERT_EQ(stamp.substr(0, prefix.size()), prefix);
    EXPECT_TRUE(std::regex_match(stamp.substr(prefix.size()),
                                 std::regex("[A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4} "
                                            "[0-2][0-9]:[0-5][0-9]:[0-5][0-9]")))
        << stamp;
    EXPECT_EQ(get_file_version(), H_TRELMO_TEST_FILE_VERSION);
    EXPECT_EQ(get_version_str(), "Версия: " + get_file_version() + "; " + stamp + ".");
}

TEST(RunIdentification, SystemInfoPiecesInOrder) {
    const std::string info = get_system_info_str();
    const std::string start = "; pc_name = " + get_pc_name() +
                              "; win_user_name = " + get_user_name() + "; " + get_version_str() +
                              "; id потока = ";
    ASSERT_EQ(info.substr(0, start.size()), start);
    EXPECT_FALSE(get_pc_name().empty());
    EXPECT_FALSE(get_user_name().empty());

    const size_t digits_end = info.find_first_not_of("0123456789", start.size());
    EXPECT_GT(digits_end, start.size());  // the thread id in decimal
    const std::string rest = info.substr(digits_end);
    const std::string command_line_start = "; Командная строка: ";
    ASSERT_EQ(rest.substr(0, command_line_start.size()), command_line_start);
    EXPECT_NE(rest.find("test_common"), std::string::npos) << rest;
    EXPECT_TRUE(rest.ends_with("; "));
}

}  // namespace

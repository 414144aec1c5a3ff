// What only POSIX systems have: permissions, symbolic links, devices such as /dev/full.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "device/U_kalden_common.h"
#include "device/cell_image_builder.h"
#include "device/durable_file.h"
#include "support/child_process.h"
#include "support/test_env.h"

namespace {

namespace fs = std::filesystem;

bool write_text(const std::string& path, const std::string& text) {
    return write_file_durably(path, text.data(), text.size());
}

TEST(DurableWrite, ReplacesAnExistingFileKeepingItsPermissions) {
    t_temp_dir temp;
    const std::string path = temp.file("archive.z7m");
    write_file_bytes(path, "a much longer old content");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(write_text(path, "new"));
    EXPECT_EQ(read_file_bytes(path), "new");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));
    EXPECT_EQ(list_dir(temp.path()), std::vector<std::string>{"archive.z7m"});
}

TEST(DurableWrite, WritesThroughASymbolicLinkAndKeepsTheLink) {
    t_temp_dir temp;
    const std::string target = temp.file("target.z7m");
    const std::string link = temp.file("link.z7m");
    write_file_bytes(target, "old");
    fs::create_symlink(target, link);
    ASSERT_TRUE(write_text(link, "new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(read_file_bytes(target), "new");
}

TEST(DurableWrite, ReportsAFullDeviceAndWritesNullInPlace) {
    EXPECT_FALSE(write_text("/dev/full", "data"));
    EXPECT_TRUE(write_text("/dev/null", "data"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST(DataFileOnDevices, SavingToAFullDeviceFailsAndADeviceIsNotLoaded) {
    t_zor73_process p;
    EXPECT_FALSE(p.save_to_file("/dev/full"));
    EXPECT_EQ(p.get_text_result(), "Ошибка записи файла: /dev/full");
    EXPECT_FALSE(p.load_from_file("/dev/zero"));
    EXPECT_EQ(p.get_text_result(), "Ошибка открытия файла: /dev/zero");
}

// A real short write: the file-size limit stops the write in the middle of the records.
TEST(DataFileOnDevices, AWriteCutShortKeepsTheOldFileAndLeavesNoPartialOne) {
    t_temp_dir temp;
    const std::string path = temp.file("archive.z7m");
    write_file_bytes(path, "old");
    const int status = run_in_child_with_file_size_limit(4096, [&path] {
        t_zor73_process p;
        p.decode_cell(make_full_cell(record_format_2t4v, 3), false);
        return p.save_to_file(path) ? 0 : 1;
    });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(read_file_bytes(path), "old");
    EXPECT_EQ(list_dir(temp.path()), std::vector<std::string>{"archive.z7m"});
}

}  // namespace

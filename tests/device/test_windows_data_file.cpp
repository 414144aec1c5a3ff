// The data file on Windows: folders outside the ANSI code page, and the durable write's
// replace-by-rename over an existing file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/hunits/h_path.h"
#include "device/U_kalden_common.h"
#include "device/durable_file.h"
#include "support/test_env.h"

namespace {

namespace fs = std::filesystem;

std::string read_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> names_in(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.push_back(utf8_from_path(entry.path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

t_zor73_process archive_of_device(int32_t number) {
    t_zor73_process p;
    p.header.archive_kind = 7;
    p.header.device_number = number;
    p.header.record_format = 0xA8;
    p.header.read_time = 40269.545219;
    HData r;
    r.date_time = 40242.25;
    r.date_text = "05.03.2010";
    r.hour = 23;
    r.value1 = 12.5f;
    p.records.push_back(r);
    return p;
}

class WindowsDataFile : public t_test_env {
  protected:
    WindowsDataFile() { fs::create_directory(dir); }
    const fs::path dir = path_from_utf8(temp.path() + "\\Архив ПУ");
};

TEST_F(WindowsDataFile, SavedUnderACyrillicFolderReplacedAndLoadedBack) {
    t_zor73_process first = archive_of_device(1234);
    const std::string name = make_file_name(first, utf8_from_path(dir) + "\\");
    ASSERT_TRUE(first.save_to_file(name)) << first.get_text_result();
    EXPECT_EQ(read_bytes(path_from_utf8(name)).size(), 112u + 68u);

    // Saving again replaces the file in one step and leaves no temporary file beside it.
    t_zor73_process second = archive_of_device(5678);
    second.records.push_back(second.records[0]);
    ASSERT_TRUE(second.save_to_file(name)) << second.get_text_result();
    EXPECT_EQ(names_in(dir),
              std::vector<std::string>{utf8_from_path(path_from_utf8(name).filename())});

    t_zor73_process loaded;
    ASSERT_TRUE(loaded.load_from_file(name)) << loaded.get_text_result();
    EXPECT_EQ(loaded.header.device_number, 5678);
    EXPECT_EQ(loaded.records.size(), 2u);
}

TEST_F(WindowsDataFile, DurableWriteRefusesAFolderAndWritesADeviceInPlace) {
    EXPECT_FALSE(write_file_durably(utf8_from_path(dir), "x", 1));
    EXPECT_TRUE(fs::is_directory(dir));
    EXPECT_TRUE(write_file_durably("NUL", "x", 1));
    EXPECT_TRUE(names_in(dir).empty());
}

}  // namespace

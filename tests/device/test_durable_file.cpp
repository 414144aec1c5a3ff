#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "device/durable_file.h"
#include "support/test_env.h"

namespace {

namespace fs = std::filesystem;

enum class t_step { create, write, sync, close, replace };

// The system's calls, except that one step fails the way a full or removed medium makes it
// fail: a write stores half of its bytes first, a failing close still closes.
class t_failing_platform : public t_durable_file_platform {
  public:
    explicit t_failing_platform(t_step failing) : failing_(failing) {}

    t_path_kind path_kind(const std::string& path) override { return os_.path_kind(path); }
    bool create_temp_beside(const std::string& path, t_handle& handle,
                            std::string& temp_path) override {
        return failing_ != t_step::create && os_.create_temp_beside(path, handle, temp_path);
    }
    bool open_for_writing(const std::string& path, t_handle& handle) override {
        return os_.open_for_writing(path, handle);
    }
    bool write_all(t_handle handle, const void* data, size_t size) override {
        if (failing_ == t_step::write) {
            os_.write_all(handle, data, size / 2);
            return false;
        }
        return os_.write_all(handle, data, size);
    }
    bool sync(t_handle handle) override { return failing_ != t_step::sync && os_.sync(handle); }
    bool close(t_handle handle) override {
        const bool closed = os_.close(handle);
        return failing_ != t_step::close && closed;
    }
    bool replace(const std::string& temp_path, const std::string& path) override {
        return failing_ != t_step::replace && os_.replace(temp_path, path);
    }
    void remove(const std::string& path) override { os_.remove(path); }

  private:
    t_step failing_;
    t_durable_file_platform& os_ = system_durable_file_platform();
};

bool write_text(const std::string& path, const std::string& text) {
    return write_file_durably(path, text.data(), text.size());
}

class t_durable_write_failure : public ::testing::TestWithParam<t_step> {
  protected:
    ~t_durable_write_failure() override { set_durable_file_platform(nullptr); }
    t_temp_dir temp;
};

TEST_P(t_durable_write_failure, KeepsTheExistingFileAndLeavesNothingBehind) {
    const std::string path = temp.file("archive.z7m");
    write_file_bytes(path, "old content");
    t_failing_platform failing(GetParam());
    set_durable_file_platform(&failing);
    EXPECT_FALSE(write_text(path, "new content that is longer"));
    EXPECT_EQ(read_file_bytes(path), "old content");
    EXPECT_EQ(list_dir(temp.path()), std::vector<std::string>{"archive.z7m"});
}

TEST_P(t_durable_write_failure, CreatesNoFileWhenThereWasNone) {
    const std::string path = temp.file("archive.z7m");
    t_failing_platform failing(GetParam());
    set_durable_file_platform(&failing);
    EXPECT_FALSE(write_text(path, "new content"));
    EXPECT_TRUE(list_dir(temp.path()).empty());
}

INSTANTIATE_TEST_SUITE_P(EveryStep, t_durable_write_failure,
                         ::testing::Values(t_step::create, t_step::write, t_step::sync,
                                           t_step::close, t_step::replace));

TEST(DurableWrite, RefusesAFolderAndAMissingParent) {
    t_temp_dir temp;
    fs::create_directory(temp.file("folder"));
    write_file_bytes(temp.file("plain"), "x");
    EXPECT_FALSE(write_text(temp.file("folder"), "data"));
    EXPECT_TRUE(fs::is_directory(temp.file("folder")));
    EXPECT_FALSE(write_text(temp.file("plain") + "/archive.z7m", "data"));
    EXPECT_FALSE(write_text(temp.file("missing") + "/archive.z7m", "data"));
    EXPECT_EQ(list_dir(temp.path()), (std::vector<std::string>{"folder", "plain"}));
}

}  // namespace

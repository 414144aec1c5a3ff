// Failures and system facts that only a POSIX system lets a test produce or check: a real
// short write (a file-size limit in a child process), a device on which every write fails,
// the kernel's thread id and host name.
#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>

#include "common/hunits/Uhinifiles.h"
#include "common/hunits/uhFuncs.h"
#include "common/hunits/uhlog.h"
#include "support/child_process.h"
#include "support/test_env.h"

namespace {

class PosixFailures : public t_test_env {};

TEST_F(PosixFailures, AShortWriteOfANewFileIsAFailureAndLeavesNoFile) {
    const std::string name = temp.file("dump.bin");
    const std::string data(32768, '\x5A');
    const int result = run_in_child_with_file_size_limit(1000, [&] {
        return write_new_file(name, data.data(), static_cast<uint32_t>(data.size())) ? 1 : 0;
    });
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(file_exists(name));
    // /dev/full exists, so it is refused before any write.
    EXPECT_FALSE(write_new_file("/dev/full", "new", 3));
}

TEST_F(PosixFailures, AnIniWriteThatFailsHalfWayLeavesTheFileAsItWas) {
    th_ini_file ini;
    ini.set_file_name(ini_file);
    ini.set_section("MAIN");
    const std::string original = "[MAIN]\r\nkey=old\r\n";
    write_file_bytes(ini_file, original);
    const int last_result = run_in_child_with_file_size_limit(100, [&] {
        ini.write_str("", "key", std::string(500, 'v'));
        return ini.get_last_result();
    });
    EXPECT_EQ(last_result, 4);
    EXPECT_EQ(read_file_bytes(ini_file), original);
    EXPECT_EQ(list_dir(temp.path()), std::vector<std::string>{"h_trelmo.ini"});
}

TEST_F(PosixFailures, LogWriteErrorsAreIgnored) {
    t_hlog log;
    log.set_log_file_name("/dev/full");
    ASSERT_TRUE(log.open_log_file());
    log.set_file_out(true);
    log.set_line_buffer_size(1);
    for (int i = 0; i < 20; ++i) {
        log.add_str_to_log("i", std::string(1000, 'x'), 1);
    }
    log.close_log_file();
    EXPECT_FALSE(log.is_file_opened());
}

TEST(PosixSystemInfo, HostNameAndTheCallingThread) {
    char host[500] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    EXPECT_EQ(get_pc_name(), host);

    std::string info;
    pid_t thread_id = 0;
    std::thread([&] {
        info = get_system_info_str();
        thread_id = gettid();
    }).join();
    ASSERT_NE(thread_id, gettid());
    EXPECT_NE(info.find("; id потока = " + std::to_string(thread_id) + "; "), std::string::npos)
        << info;
}

}  // namespace

// The ppdev backend on a fake /proc tree and /dev folder, with the system calls faked.
#include <gtest/gtest.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <filesystem>
#include <map>

#include "card/ppdev_backend.h"
#include "support/test_env.h"

namespace fs = std::filesystem;

namespace {

// What the fake system calls saw; kept by the test, so it outlives the backend.
struct t_ppdev_calls {
    std::vector<std::string> calls;
    int open_fds = 0;
};

class t_fake_ppdev_io : public t_ppdev_io {
  public:
    explicit t_fake_ppdev_io(t_ppdev_calls& seen) : calls(seen.calls), open_fds(seen.open_fds) {}

    std::map<std::string, int> open_errors;  // path -> errno
    int excl_error = 0;
    int claim_error = 0;
    int status_error = 0;
    uint8_t status_register = 0x78;

    std::vector<std::string>& calls;
    int& open_fds;

    static constexpr int fd = 9;

    int open_device(const std::string& path) override {
        calls.push_back("open " + fs::path(path).filename().string());
        if (open_errors.count(path)) {
            return -open_errors[path];
        }
        ++open_fds;
        return fd;
    }

    int control(int handle, unsigned long request, void* arg) override {
        EXPECT_EQ(handle, fd);
        switch (request) {
            case PPEXCL:
                calls.push_back("PPEXCL");
                return -excl_error;
            case PPCLAIM:
                calls.push_back("PPCLAIM");
                return -claim_error;
            case PPRELEASE:
                calls.push_back("PPRELEASE");
                return 0;
            case PPWDATA:
                calls.push_back("PPWDATA " + std::to_string(*static_cast<uint8_t*>(arg)));
                return 0;
            case PPRSTATUS:
                calls.push_back("PPRSTATUS");
                if (status_error) {
                    return -status_error;
                }
                *static_cast<uint8_t*>(arg) = status_register;
                return 0;
        }
        ADD_FAILURE() << "unexpected ioctl " << request;
        return -EINVAL;
    }

    void close_device(int handle) override {
        EXPECT_EQ(handle, fd);
        calls.push_back("close");
        --open_fds;
    }
};

class ppdev_backend : public ::testing::Test {
  protected:
    ppdev_backend() {
        paths.proc_root = temp.file("proc_parport");
        paths.dev_dir = temp.file("dev");
        // Two ports, as the kernel lists them: base address and its ECP/extra range.
        add_port("parport0", "888\t1912\n");
        add_port("parport1", "632\t-1\n");
        add_port("parport10", "956\t1980\n");
        auto owned = std::make_unique<t_fake_ppdev_io>(seen);
        io = owned.get();
        backend = std::make_unique<t_ppdev_backend>(paths, std::move(owned));
    }

    void add_port(const std::string& name, const std::string& base_addr) {
        fs::create_directories(fs::path(paths.proc_root) / name);
        write_file_bytes((fs::path(paths.proc_root) / name / "base-addr").string(), base_addr);
    }

    std::string dev(const std::string& name) const {
        return (fs::path(paths.dev_dir) / name).string();
    }

    t_port_open_result open(uint32_t base) { return backend->open(base, error_text); }

    std::string io_calls_tail() const {
        const auto& calls = seen.calls;
        return calls.size() < 2 ? "" : calls[calls.size() - 2] + "," + calls.back();
    }

    t_temp_dir temp;
    t_ppdev_calls seen;
    t_ppdev_paths paths;
    t_fake_ppdev_io* io = nullptr;
    std::unique_ptr<t_ppdev_backend> backend;
    std::string error_text;
};

TEST_F(ppdev_backend, finds_the_device_by_the_decimal_base_address_in_proc) {
    EXPECT_EQ(backend->find_device(0x378), dev("parport0"));
    EXPECT_EQ(backend->find_device(0x278), dev("parport1"));
    EXPECT_EQ(backend->find_device(0x3BC), dev("parport10"));
    EXPECT_EQ(backend->find_device(0x9800), "");
    // 1912 (0x778) is the port's second range, not a base address.
    EXPECT_EQ(backend->find_device(0x778), "");
}

TEST_F(ppdev_backend, claims_exclusively_uses_one_ioctl_per_access_and_releases) {
    ASSERT_EQ(open(0x278), t_port_open_result::opened);
    EXPECT_EQ(error_text, "");
    backend->write_data(0x0D);
    EXPECT_EQ(backend->read_status(), 0x78);
    backend->close();
    backend->close();
    const std::vector<std::string> expected = {
        "open parport1", "PPEXCL", "PPCLAIM", "PPWDATA 13", "PPRSTATUS", "PPRELEASE", "close"};
    EXPECT_EQ(seen.calls, expected);
    EXPECT_EQ(seen.open_fds, 0);
}

TEST_F(ppdev_backend, a_failed_status_read_yields_0) {
    ASSERT_EQ(open(0x378), t_port_open_result::opened);
    io->status_error = EIO;
    EXPECT_EQ(backend->read_status(), 0);
}

TEST_F(ppdev_backend, a_port_left_open_is_released_when_the_backend_goes) {
    ASSERT_EQ(open(0x378), t_port_open_result::opened);
    backend.reset();
    EXPECT_EQ(io_calls_tail(), "PPRELEASE,close");
}

struct ppdev_failure_case {
    const char* name;
    uint32_t base;
    void (*script)(t_fake_ppdev_io&, const std::string& device);
    t_port_open_result result;
    std::vector<std::string> text_parts;  // what the user is told to do
};

class ppdev_open_failure : public ppdev_backend,
                           public ::testing::WithParamInterface<ppdev_failure_case> {};

TEST_P(ppdev_open_failure, tells_the_cause_and_leaves_nothing_open) {
    const ppdev_failure_case& c = GetParam();
    c.script(*io, backend->find_device(c.base));
    EXPECT_EQ(open(c.base), c.result);
    for (const std::string& part : c.text_parts) {
        EXPECT_NE(error_text.find(part), std::string::npos) << error_text << "\nlacks: " << part;
    }
    EXPECT_EQ(seen.open_fds, 0);
    // Nothing is left to release.
    const size_t calls = seen.calls.size();
    backend->close();
    EXPECT_EQ(seen.calls.size(), calls);
}

void no_script(t_fake_ppdev_io&, const std::string&) {}

INSTANTIATE_TEST_SUITE_P(
    cases, ppdev_open_failure,
    ::testing::Values(
        ppdev_failure_case{"no_port_at_the_address",
                           0x9800,
                           no_script,
                           t_port_open_result::no_such_port,
                           {"0x9800", "не найден", "USB-LPT"}},
        ppdev_failure_case{"address_outside_the_list",
                           0x3F8,
                           no_script,
                           t_port_open_result::failed,
                           {"0x3F8", "не входит в список"}},
        ppdev_failure_case{
            "no_permission",
            0x378,
            [](t_fake_ppdev_io& io, const std::string& d) { io.open_errors[d] = EACCES; },
            t_port_open_result::failed,
            {"Нет прав", "группу lp"}},
        ppdev_failure_case{
            "no_device_node",
            0x378,
            [](t_fake_ppdev_io& io, const std::string& d) { io.open_errors[d] = ENOENT; },
            t_port_open_result::failed,
            {"parport0", "modprobe ppdev"}},
        ppdev_failure_case{"exclusive_claim_refused_by_another_driver",
                           0x378,
                           [](t_fake_ppdev_io& io, const std::string&) { io.claim_error = ENXIO; },
                           t_port_open_result::failed,
                           {"занят", "lp", "rmmod lp"}},
        ppdev_failure_case{"port_busy",
                           0x3BC,
                           [](t_fake_ppdev_io& io, const std::string&) { io.claim_error = EBUSY; },
                           t_port_open_result::failed,
                           {"0x3BC", "занят", "rmmod lp"}},
        ppdev_failure_case{"exclusive_mode_refused",
                           0x378,
                           [](t_fake_ppdev_io& io, const std::string&) { io.excl_error = EINVAL; },
                           t_port_open_result::failed,
                           {"0x378", "код ошибки"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ppdev_backend, without_the_parport_subsystem_no_port_exists) {
    fs::remove_all(paths.proc_root);
    EXPECT_EQ(open(0x378), t_port_open_result::no_such_port);
    EXPECT_NE(error_text.find("modprobe parport_pc"), std::string::npos) << error_text;
    EXPECT_TRUE(seen.calls.empty());
}

}  // namespace

// The kernel-driver backend on its real Windows device channel, on a system without the
// driver (as under wine): the failed open, no request after it, and the status texts.
#include <windows.h>

#include <gtest/gtest.h>

#include "card/port_backends.h"
#include "card/windrv_backend.h"
#include "common/hunits/h_path.h"
#include "common/hunits/uhFuncs.h"

namespace {

// Passes every call to the real channel and counts it.
class t_counting_channel : public t_windrv_channel {
  public:
    struct t_counts {
        int opens = 0;
        int requests = 0;
        int closes = 0;
    };
    explicit t_counting_channel(t_counts& counts) : counts_(counts) {}

    t_handle open_device() override {
        ++counts_.opens;
        return real_->open_device();
    }
    void io_control(t_handle handle, uint32_t code, void* block, uint32_t size,
                    uint32_t& status) override {
        ++counts_.requests;
        real_->io_control(handle, code, block, size, status);
    }
    void close_device(t_handle handle) override {
        ++counts_.closes;
        real_->close_device(handle);
    }
    std::string status_text(uint32_t status) override { return real_->status_text(status); }

  private:
    t_counts& counts_;
    std::unique_ptr<t_windrv_channel> real_ = make_win32_windrv_channel();
};

TEST(WindowsDriverChannel, MissingDriverFailsTheOpenAndNothingReachesTheDevice) {
    t_counting_channel::t_counts counts;
    t_windrv_backend backend(std::make_unique<t_counting_channel>(counts));
    std::string error_text;

    EXPECT_EQ(backend.open(0x378, error_text), t_port_open_result::failed);
    EXPECT_EQ(error_text, "Ошибка открытия WINDRVR (WD_Open())");
    EXPECT_EQ(backend.get_text_result(), "Ошибка открытия WINDRVR (WD_Open())");
    EXPECT_EQ(backend.get_driver_handle(), t_windrv_channel::invalid_handle);

    // Requests on the invalid handle are not made: 0xFFFFFFFF, and a status read gives 0.
    EXPECT_EQ(backend.driver_request(windrv::request_version, nullptr, 0), 0xFFFFFFFFu);
    backend.write_data_port(0x0F);
    EXPECT_EQ(backend.get_last_status(), 0xFFFFFFFFu);
    EXPECT_EQ(backend.read_status_port(), 0);
    backend.close_driver();

    EXPECT_EQ(counts.opens, 1);
    EXPECT_EQ(counts.requests, 0);
    EXPECT_EQ(counts.closes, 0);
}

TEST(WindowsDriverChannel, TheBackendTableOffersTheDriverHere) {
    EXPECT_EQ(native_port_backend_kind(), t_port_backend_kind::kernel_driver);
    ASSERT_TRUE(port_backend_available(t_port_backend_kind::kernel_driver));
    EXPECT_FALSE(port_backend_available(t_port_backend_kind::ppdev));
    std::string error_text;
    auto backend = make_port_backend(t_port_backend_kind::kernel_driver, {}, error_text);
    ASSERT_NE(backend, nullptr) << error_text;
    EXPECT_EQ(backend->open(0x278, error_text), t_port_open_result::failed);
    EXPECT_EQ(error_text, "Ошибка открытия WINDRVR (WD_Open())");
}

TEST(WindowsDriverChannel, StatusTextFromTheApiLibraryOrAFallbackWithoutIt) {
    // Without the library (searched for again on each text).
    const auto without = make_win32_windrv_channel();
    EXPECT_EQ(without->status_text(0x20000000),
              "Код состояния драйвера 0x20000000 (текст недоступен: не найдена библиотека "
              "драйвера WDAPI1011.DLL)");

    // With a library that has the function at ordinal 29: its code page 1251 text.
    const std::wstring dir = path_from_utf8(get_program_dir() + "fake_wdapi").wstring();
    ASSERT_TRUE(SetDllDirectoryW(dir.c_str()));
    EXPECT_EQ(without->status_text(0xC000001D), "Статус 0xC000001D");
    const auto with = make_win32_windrv_channel();
    EXPECT_EQ(with->status_text(5), "Статус 0x5");
    SetDllDirectoryW(nullptr);
}

}  // namespace

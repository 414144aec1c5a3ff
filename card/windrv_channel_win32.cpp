// The Windows device channel of the kernel-driver backend (built on Windows only).
#include <windows.h>

#include "card/windrv_backend.h"
#include "common/hunits/cp1251.h"

namespace {

// The driver library's status-text function, imported by ordinal.
using t_status_to_text = const char* (*)(uint32_t status);
constexpr WORD status_text_ordinal = 29;

class t_win32_windrv_channel : public t_windrv_channel {
  public:
    ~t_win32_windrv_channel() override {
        if (api_library) {
            FreeLibrary(api_library);
        }
    }

    t_handle open_device() override {
        const HANDLE handle =
            CreateFileA("\\\\.\\windrvr6", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
        return handle == INVALID_HANDLE_VALUE ? invalid_handle : reinterpret_cast<t_handle>(handle);
    }

    void io_control(t_handle handle, uint32_t code, void* block, uint32_t size,
                    uint32_t& status) override {
        DWORD returned = 0;
        DWORD reply = status;
        DeviceIoControl(reinterpret_cast<HANDLE>(handle), code, block, size, &reply, sizeof reply,
                        &returned, nullptr);
        status = reply;
    }

    void close_device(t_handle handle) override { CloseHandle(reinterpret_cast<HANDLE>(handle)); }

    std::string status_text(uint32_t status) override {
        if (!api_library) {
            api_library = LoadLibraryA("WDAPI1011.DLL");
        }
        if (!api_library) {
            return {};
        }
        // Through void*: the import's real type is known only to us, not to GetProcAddress.
        const auto to_text = reinterpret_cast<t_status_to_text>(reinterpret_cast<void*>(
            GetProcAddress(api_library, MAKEINTRESOURCEA(status_text_ordinal))));
        const char* text = to_text ? to_text(status) : nullptr;
        return text ? cp1251_to_utf8(text) : std::string();
    }

  private:
    HMODULE api_library = nullptr;
};

}  // namespace

std::unique_ptr<t_windrv_channel> make_win32_windrv_channel() {
    return std::make_unique<t_win32_windrv_channel>();
}

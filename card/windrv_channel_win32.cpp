// The Windows device channel of the kernel-driver backend (built on Windows only): the
// driver's device, one I/O control call per request, and the status texts of the
// driver's API library, which is loaded only when a text is needed.
#include <windows.h>

#include "card/windrv_backend.h"
#include "common/hunits/cp1251.h"
#include "common/hunits/uhFuncs.h"

namespace {

// The API library's status-text function, imported by ordinal: takes a status code and
// returns a zero-terminated text.
using t_status_to_text = const char* (*)(uint32_t status);
constexpr WORD status_text_ordinal = 29;
constexpr const wchar_t* api_library_name = L"WDAPI1011.DLL";

class t_win32_windrv_channel : public t_windrv_channel {
  public:
    t_win32_windrv_channel() = default;
    ~t_win32_windrv_channel() override {
        if (api_library != nullptr) {
            ::FreeLibrary(api_library);
        }
    }
    t_win32_windrv_channel(const t_win32_windrv_channel&) = delete;
    t_win32_windrv_channel& operator=(const t_win32_windrv_channel&) = delete;

    t_handle open_device() override {
        const HANDLE handle =
            ::CreateFileW(L"\\\\.\\windrvr6", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
        return handle == INVALID_HANDLE_VALUE ? invalid_handle : reinterpret_cast<t_handle>(handle);
    }

    void io_control(t_handle handle, uint32_t code, void* block, uint32_t size,
                    uint32_t& status) override {
        // The driver answers at once: no overlapped structure, whatever the open flag.
        DWORD reply = status;
        DWORD returned = 0;
        ::DeviceIoControl(reinterpret_cast<HANDLE>(handle), code, block, size, &reply, sizeof reply,
                          &returned, nullptr);
        status = reply;
    }

    void close_device(t_handle handle) override { ::CloseHandle(reinterpret_cast<HANDLE>(handle)); }

    std::string status_text(uint32_t status) override {
        if (api_library == nullptr) {
            api_library = ::LoadLibraryW(api_library_name);
        }
        if (api_library == nullptr) {
            return format_str(
                "Код состояния драйвера 0x%08X (текст недоступен: не найдена библиотека "
                "драйвера WDAPI1011.DLL)",
                static_cast<unsigned>(status));
        }
        // Through void*: the import's real type is known only here, not to GetProcAddress.
        const auto to_text = reinterpret_cast<t_status_to_text>(reinterpret_cast<void*>(
            ::GetProcAddress(api_library, MAKEINTRESOURCEA(status_text_ordinal))));
        if (to_text == nullptr) {
            return format_str(
                "Код состояния драйвера 0x%08X (текст недоступен: в библиотеке WDAPI1011.DLL "
                "нет функции текста состояния)",
                static_cast<unsigned>(status));
        }
        const char* text = to_text(status);
        return text != nullptr ? cp1251_to_utf8(text) : std::string();
    }

  private:
    HMODULE api_library = nullptr;
};

}  // namespace

std::unique_ptr<t_windrv_channel> make_win32_windrv_channel() {
    return std::make_unique<t_win32_windrv_channel>();
}

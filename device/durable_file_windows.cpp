// The durable write on Windows: a new file beside the target (CREATE_NEW), FlushFileBuffers,
// then MoveFileExW over the target. Names are UTF-8 inside, UTF-16 at the system.
#include <windows.h>

#include <atomic>
#include <string>

#include "common/hunits/platform/h_platform_windows.h"
#include "device/durable_file.h"

namespace {

using h_platform::narrow;
using h_platform::widen;

HANDLE as_handle(t_durable_file_platform::t_handle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// The file that `path` names: a symbolic link is followed, so that the linked file is
// replaced and the link kept.
std::wstring resolved_target(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return path;
    }
    const HANDLE file = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return path;
    }
    std::wstring target(MAX_PATH, L'\0');
    DWORD length =
        ::GetFinalPathNameByHandleW(file, target.data(), static_cast<DWORD>(target.size()), 0);
    if (length >= target.size()) {
        target.resize(length + 1);
        length =
            ::GetFinalPathNameByHandleW(file, target.data(), static_cast<DWORD>(target.size()), 0);
    }
    ::CloseHandle(file);
    if (length == 0 || length >= target.size()) {
        return path;
    }
    target.resize(length);
    return target;
}

std::wstring::size_type name_start(const std::wstring& path) {
    const auto separator = path.find_last_of(L"\\/:");
    return separator == std::wstring::npos ? 0 : separator + 1;
}

class t_windows_durable_file_platform : public t_durable_file_platform {
  public:
    t_path_kind path_kind(const std::string& path) override {
        const std::wstring name = widen(path);
        // Devices (NUL, COM1, pipes) are not files on a disk: they are written in place.
        const HANDLE file =
            ::CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            const DWORD type = ::GetFileType(file);
            ::CloseHandle(file);
            if (type != FILE_TYPE_DISK) {
                return t_path_kind::other;
            }
        }
        const DWORD attributes = ::GetFileAttributesW(name.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            return t_path_kind::missing;
        }
        return attributes & FILE_ATTRIBUTE_DIRECTORY ? t_path_kind::directory
                                                     : t_path_kind::regular_file;
    }

    bool create_temp_beside(const std::string& path, t_handle& handle,
                            std::string& temp_path) override {
        const std::wstring target = resolved_target(widen(path));
        const std::wstring prefix =
            target + L".tmp" + std::to_wstring(::GetCurrentProcessId()) + L"_";
        if (name_start(target) == target.size()) {
            return false;  // no file name
        }
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::wstring candidate = prefix + std::to_wstring(temp_counter_++);
            const HANDLE file = ::CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr,
                                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file == INVALID_HANDLE_VALUE) {
                if (::GetLastError() == ERROR_FILE_EXISTS) {
                    continue;
                }
                return false;
            }
            handle = reinterpret_cast<t_handle>(file);
            temp_path = narrow(candidate);
            return true;
        }
        return false;
    }

    bool open_for_writing(const std::string& path, t_handle& handle) override {
        const HANDLE file =
            ::CreateFileW(widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return false;
        }
        handle = reinterpret_cast<t_handle>(file);
        return true;
    }

    bool write_all(t_handle handle, const void* data, size_t size) override {
        const char* p = static_cast<const char*>(data);
        while (size > 0) {
            const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
            DWORD written = 0;
            if (!::WriteFile(as_handle(handle), p, chunk, &written, nullptr) || written == 0) {
                return false;
            }
            p += written;
            size -= written;
        }
        return true;
    }

    bool sync(t_handle handle) override { return ::FlushFileBuffers(as_handle(handle)) != 0; }

    bool close(t_handle handle) override { return ::CloseHandle(as_handle(handle)) != 0; }

    bool replace(const std::string& temp_path, const std::string& path) override {
        return ::MoveFileExW(widen(temp_path).c_str(), resolved_target(widen(path)).c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }

    void remove(const std::string& path) override { ::DeleteFileW(widen(path).c_str()); }

  private:
    std::atomic<unsigned> temp_counter_{0};
};

}  // namespace

t_durable_file_platform& system_durable_file_platform() {
    static t_windows_durable_file_platform platform;
    return platform;
}

// Windows implementation of the support library's system calls. Texts are UTF-8 inside
// the program and UTF-16 at the system's wide-character interfaces.
#include <windows.h>
// clang-format off
#include <shellapi.h>
// clang-format on

#include <atomic>
#include <cstdio>

#include "common/hunits/platform/h_platform.h"

namespace h_platform {

namespace {

std::wstring widen(const std::string& utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int size =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                          size);
    return wide;
}

std::string narrow(const wchar_t* wide, size_t length) {
    if (length == 0) {
        return {};
    }
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), nullptr, 0,
                                           nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), utf8.data(), size, nullptr,
                          nullptr);
    return utf8;
}

bool write_all(HANDLE file, const char* data, size_t count) {
    while (count > 0) {
        const DWORD chunk = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
        DWORD written = 0;
        if (!::WriteFile(file, data, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        data += written;
        count -= written;
    }
    return true;
}

HANDLE create_new(const std::wstring& name) {
    return ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
}

}  // namespace

std::string executable_path() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            return narrow(buffer.data(), length);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string user_name() {
    wchar_t name[500];
    DWORD size = 500;
    if (!::GetUserNameW(name, &size) || size == 0) {
        return {};
    }
    return narrow(name, size - 1);  // the size counts the terminating zero
}

std::string computer_name() {
    wchar_t name[500];
    DWORD size = 500;
    if (!::GetComputerNameW(name, &size)) {
        return {};
    }
    return narrow(name, size);
}

uint64_t current_thread_id() {
    return ::GetCurrentThreadId();
}

std::vector<std::string> process_arguments() {
    std::vector<std::string> args;
    int count = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (argv == nullptr) {
        return args;
    }
    for (int i = 0; i < count; ++i) {
        args.push_back(narrow(argv[i], std::wcslen(argv[i])));
    }
    ::LocalFree(argv);
    return args;
}

std::string process_command_line() {
    const wchar_t* line = ::GetCommandLineW();
    return narrow(line, std::wcslen(line));
}

bool create_new_file(const std::string& file_name, const void* data, size_t count) {
    const std::wstring name = widen(file_name);
    const HANDLE file = create_new(name);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool ok = write_all(file, static_cast<const char*>(data), count);
    ok = ::CloseHandle(file) && ok;
    if (!ok) {
        ::DeleteFileW(name.c_str());
    }
    return ok;
}

std::FILE* open_append_stream(const std::string& file_name) {
    // Text mode: the C runtime turns every "\n" into CR LF.
    return ::_wfopen(widen(file_name).c_str(), L"a+");
}

bool append_stream_adds_cr() {
    return true;
}

t_read_status read_whole_file(const std::string& file_name, std::string& bytes) {
    bytes.clear();
    const HANDLE file =
        ::CreateFileW(widen(file_name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                   ? t_read_status::missing
                   : t_read_status::failed;
    }
    char chunk[65536];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, chunk, sizeof chunk, &got, nullptr)) {
            ::CloseHandle(file);
            bytes.clear();
            return t_read_status::failed;
        }
        if (got == 0) {
            break;
        }
        bytes.append(chunk, got);
    }
    ::CloseHandle(file);
    return t_read_status::ok;
}

bool replace_file_atomically(const std::string& file_name, const std::string& bytes) {
    static std::atomic<unsigned> counter{0};
    const std::wstring name = widen(file_name);
    const std::wstring temp_name =
        widen(file_name + ".tmp" + std::to_string(::GetCurrentProcessId()) + "-" +
              std::to_string(counter.fetch_add(1)));
    const HANDLE file = create_new(temp_name);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool ok = write_all(file, bytes.data(), bytes.size()) && ::FlushFileBuffers(file);
    ok = ::CloseHandle(file) && ok;
    if (ok && ::MoveFileExW(temp_name.c_str(), name.c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    ::DeleteFileW(temp_name.c_str());
    return false;
}

}  // namespace h_platform

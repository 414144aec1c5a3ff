// POSIX (Linux) implementation of the support library's system calls.
#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

#include "common/hunits/platform/h_platform.h"
#include "common/hunits/uhFuncs.h"

namespace h_platform {

namespace {

bool write_all(int fd, const char* data, size_t count) {
    while (count > 0) {
        const ssize_t written = ::write(fd, data, count);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        count -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

std::string executable_path() {
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<size_t>(length));
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string user_name() {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::string buffer(size > 0 ? static_cast<size_t>(size) : 16384, '\0');
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_name == nullptr) {
        return {};
    }
    return found->pw_name;
}

std::string computer_name() {
    char name[500] = {};
    if (::gethostname(name, sizeof name - 1) != 0) {
        return {};
    }
    return name;
}

uint64_t current_thread_id() {
    return static_cast<uint64_t>(::gettid());
}

std::vector<std::string> process_arguments() {
    std::string bytes;
    std::vector<std::string> args;
    if (read_whole_file("/proc/self/cmdline", bytes) != t_read_status::ok) {
        return args;
    }
    // Every argument ends with a NUL byte.
    size_t start = 0;
    for (size_t end = bytes.find('\0'); end != std::string::npos; end = bytes.find('\0', start)) {
        args.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return args;
}

std::string process_command_line() {
    return join_command_line(process_arguments());
}

bool create_new_file(const std::string& file_name, const void* data, size_t count) {
    const int fd = ::open(file_name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    bool ok = write_all(fd, static_cast<const char*>(data), count);
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        ::unlink(file_name.c_str());
    }
    return ok;
}

std::FILE* open_append_stream(const std::string& file_name) {
    // Binary: the log writes its CR LF itself.
    return std::fopen(file_name.c_str(), "ab");
}

bool append_stream_adds_cr() {
    return false;
}

t_read_status read_whole_file(const std::string& file_name, std::string& bytes) {
    bytes.clear();
    const int fd = ::open(file_name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT || errno == ENOTDIR ? t_read_status::missing : t_read_status::failed;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return t_read_status::failed;
    }
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            ::close(fd);
            bytes.clear();
            return t_read_status::failed;
        }
        if (got == 0) {
            break;
        }
        bytes.append(chunk, static_cast<size_t>(got));
    }
    ::close(fd);
    return t_read_status::ok;
}

bool replace_file_atomically(const std::string& file_name, const std::string& bytes) {
    // A settings file that is a symbolic link keeps being one: its target is replaced.
    std::string target = file_name;
    if (char* resolved = ::realpath(file_name.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    struct stat old_info {};
    const bool existed = ::stat(target.c_str(), &old_info) == 0;

    static std::atomic<unsigned> counter{0};
    const std::string temp_name =
        target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
    const int fd = ::open(temp_name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    if (existed) {
        ::fchmod(fd, old_info.st_mode & 07777);
    }
    bool ok = write_all(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(temp_name.c_str(), target.c_str()) == 0) {
        return true;
    }
    ::unlink(temp_name.c_str());
    return false;
}

}  // namespace h_platform

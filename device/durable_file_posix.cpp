// The durable write on POSIX systems: O_EXCL temporary file, fsync, rename, fsync of the folder.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "device/durable_file.h"

namespace {

// The file that `path` names: symbolic links are followed, so that renaming replaces the
// linked file and keeps the link.
std::string resolved_target(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
        return path;
    }
    char buffer[PATH_MAX];
    return realpath(path.c_str(), buffer) ? std::string(buffer) : path;
}

std::string folder_of(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string name_of(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void sync_folder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);  // not every file system syncs folders; the rename itself already happened
        ::close(fd);
    }
}

class t_posix_durable_file_platform : public t_durable_file_platform {
  public:
    t_path_kind path_kind(const std::string& path) override {
        struct stat st {};
        if (stat(path.c_str(), &st) != 0) {
            return t_path_kind::missing;
        }
        if (S_ISREG(st.st_mode)) {
            return t_path_kind::regular_file;
        }
        return S_ISDIR(st.st_mode) ? t_path_kind::directory : t_path_kind::other;
    }

    bool create_temp_beside(const std::string& path, t_handle& handle,
                            std::string& temp_path) override {
        const std::string target = resolved_target(path);
        const std::string prefix =
            folder_of(target) + "/." + name_of(target) + ".tmp" + std::to_string(getpid()) + "_";
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string candidate = prefix + std::to_string(temp_counter_++);
            const int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd < 0) {
                if (errno == EEXIST) {
                    continue;
                }
                return false;
            }
            struct stat st {};
            if (stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
                fchmod(fd, st.st_mode & 07777);
            }
            handle = fd;
            temp_path = candidate;
            return true;
        }
        return false;
    }

    bool open_for_writing(const std::string& path, t_handle& handle) override {
        const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) {
            return false;
        }
        handle = fd;
        return true;
    }

    bool write_all(t_handle handle, const void* data, size_t size) override {
        const char* p = static_cast<const char*>(data);
        while (size > 0) {
            const ssize_t n = write(static_cast<int>(handle), p, size);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return false;
            }
            p += n;
            size -= static_cast<size_t>(n);
        }
        return true;
    }

    bool sync(t_handle handle) override { return fsync(static_cast<int>(handle)) == 0; }

    bool close(t_handle handle) override { return ::close(static_cast<int>(handle)) == 0; }

    bool replace(const std::string& temp_path, const std::string& path) override {
        const std::string target = resolved_target(path);
        if (rename(temp_path.c_str(), target.c_str()) != 0) {
            return false;
        }
        sync_folder(folder_of(target));
        return true;
    }

    void remove(const std::string& path) override { unlink(path.c_str()); }

  private:
    std::atomic<unsigned> temp_counter_{0};
};

}  // namespace

t_durable_file_platform& system_durable_file_platform() {
    static t_posix_durable_file_platform platform;
    return platform;
}

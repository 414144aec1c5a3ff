#include "device/durable_file.h"

namespace {
t_durable_file_platform* installed_platform = nullptr;

bool write_in_place(t_durable_file_platform& os, const std::string& path, const void* data,
                    size_t size) {
    t_durable_file_platform::t_handle handle{};
    if (!os.open_for_writing(path, handle)) {
        return false;
    }
    const bool written = os.write_all(handle, data, size);
    return os.close(handle) && written;
}

bool write_and_replace(t_durable_file_platform& os, const std::string& path, const void* data,
                       size_t size) {
    t_durable_file_platform::t_handle handle{};
    std::string temp_path;
    if (!os.create_temp_beside(path, handle, temp_path)) {
        return false;
    }
    bool ok = os.write_all(handle, data, size) && os.sync(handle);
    ok = os.close(handle) && ok;
    ok = ok && os.replace(temp_path, path);
    if (!ok) {
        os.remove(temp_path);
    }
    return ok;
}
}  // namespace

t_durable_file_platform& durable_file_platform() {
    return installed_platform ? *installed_platform : system_durable_file_platform();
}

void set_durable_file_platform(t_durable_file_platform* platform) {
    installed_platform = platform;
}

bool write_file_durably(const std::string& path, const void* data, size_t size) {
    t_durable_file_platform& os = durable_file_platform();
    switch (os.path_kind(path)) {
        case t_durable_file_platform::t_path_kind::directory:
            return false;
        case t_durable_file_platform::t_path_kind::other:
            // Devices cannot be replaced by renaming (and must not be): write them directly.
            return write_in_place(os, path, data, size);
        case t_durable_file_platform::t_path_kind::missing:
        case t_durable_file_platform::t_path_kind::regular_file:
            break;
    }
    return write_and_replace(os, path, data, size);
}

// Replacing a file's whole content so that a failure never leaves a partial file and never
// destroys the file that was there: the bytes go to a new file beside it, are flushed to the
// medium, and only then does that file take the old one's place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The operating system calls the durable write needs. One implementation per platform;
// tests install one that fails on purpose.
class t_durable_file_platform {
  public:
    enum class t_path_kind { missing, regular_file, directory, other };
    using t_handle = intptr_t;

    virtual ~t_durable_file_platform() = default;
    // What `path` names, following symbolic links.
    virtual t_path_kind path_kind(const std::string& path) = 0;
    // Creates a new, uniquely named file in the folder of the file that `path` names, with
    // that file's permissions when it exists.
    virtual bool create_temp_beside(const std::string& path, t_handle& handle,
                                    std::string& temp_path) = 0;
    // Opens an existing file that is not a regular file (a device) for writing.
    virtual bool open_for_writing(const std::string& path, t_handle& handle) = 0;
    virtual bool write_all(t_handle handle, const void* data, size_t size) = 0;
    // Flushes the file's data to the medium.
    virtual bool sync(t_handle handle) = 0;
    virtual bool close(t_handle handle) = 0;
    // Puts `temp_path` in the place of the file that `path` names, in one step.
    virtual bool replace(const std::string& temp_path, const std::string& path) = 0;
    virtual void remove(const std::string& path) = 0;
};

// The platform in use: the system's unless a test installed another one.
t_durable_file_platform& durable_file_platform();
// Installs `platform` (not owned); nullptr restores the system's.
void set_durable_file_platform(t_durable_file_platform* platform);
// The operating system's implementation (one source file per platform).
t_durable_file_platform& system_durable_file_platform();

// Writes `size` bytes as the whole content of `path`. True only when every byte reached the
// file and the file was closed; on false `path` is as it was before. A folder is refused; a
// device (not a regular file) is written in place.
bool write_file_durably(const std::string& path, const void* data, size_t size);

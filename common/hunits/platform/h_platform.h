// Operating-system calls of the support library. Each platform has one implementation
// file (h_platform_posix.cpp, h_platform_windows.cpp), so that the shared code never
// needs a platform #if. Names and texts are UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace h_platform {

// Full path of the running executable; empty when the system does not tell.
std::string executable_path();

// Login name of the effective user and the computer's name; empty when the query fails.
std::string user_name();
std::string computer_name();
uint64_t current_thread_id();

// The process's arguments as the system holds them (argument 0 is the program).
std::vector<std::string> process_arguments();
// The process's command line as the system reports it.
std::string process_command_line();

// Creates `file_name` only when it does not exist yet and writes all `count` bytes.
// A file that this call created but could not fill completely is removed again.
bool create_new_file(const std::string& file_name, const void* data, size_t count);

// Opens `file_name` for appending (created when missing, never truncated); nullptr on
// failure. Whether the stream itself turns "\n" into CR LF is told by
// append_stream_adds_cr().
std::FILE* open_append_stream(const std::string& file_name);
bool append_stream_adds_cr();

enum class t_read_status { ok, missing, failed };
// Reads the whole file. `missing`: no such file (or a parent is not a folder);
// `failed`: it exists but cannot be read (a folder, an I/O error).
t_read_status read_whole_file(const std::string& file_name, std::string& bytes);
// Replaces the file's content by writing a new file beside it and renaming it over the
// old one, so that a failed write leaves the old file as it was.
bool replace_file_atomically(const std::string& file_name, const std::string& bytes);

}  // namespace h_platform

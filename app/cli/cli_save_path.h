// Where the tool saves a data file: -o PATH names a folder (the file gets its proposed
// name there) or the file itself; without -o the data folder of the settings is used. An
// existing file is replaced only when the user agrees.
#pragma once

#include <filesystem>
#include <string>

// A path given in UTF-8, as the tool's texts are.
std::filesystem::path cli_path_from_utf8(const std::string& path);
// True when `path` is an existing folder.
bool cli_is_folder(const std::string& path);
// The data folder for files saved without -o; false after a message when the settings give
// none (an empty text never means the root folder).
bool cli_default_data_folder(const std::string& data_dir, std::string& folder);
// True when `path` does not exist or the user agrees to replace it (--yes answers yes).
bool cli_may_write(const std::string& path);

// Conversion between UTF-8 (inside the program) and code page 1251 (log and settings files).
#pragma once

#include <string>

// Characters that code page 1251 cannot hold become `replacement` (when it is not 0) and
// make `ok` false.
std::string utf8_to_cp1251(const std::string& utf8, bool* ok = nullptr, char replacement = '?');
// The one byte that code page 1251 leaves undefined, 0x98, becomes U+FFFD.
std::string cp1251_to_utf8(const std::string& cp1251);

// Log lines of the card-access operations: all in log group 1; dropped while the program
// has no log (hlog not set).
#pragma once

#include <string>

inline constexpr int card_log_group = 1;

void card_log_info(const std::string& text);
void card_log_error(const std::string& text);
void card_log_break();
void card_log_hex(const std::string& caption, const void* data, int count);

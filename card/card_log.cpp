#include "card/card_log.h"

#include "common/hunits/uhlog.h"

void card_log_info(const std::string& text) {
    if (hlog) {
        hlog->add_str_to_log("i", text, card_log_group);
    }
}

void card_log_error(const std::string& text) {
    if (hlog) {
        hlog->add_str_to_log("e", text, card_log_group);
    }
}

void card_log_break() {
    if (hlog) {
        hlog->lbreak(card_log_group);
    }
}

void card_log_hex(const std::string& caption, const void* data, int count) {
    if (hlog) {
        hlog->add_hex_to_log(caption, data, count, card_log_group);
    }
}

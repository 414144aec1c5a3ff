#include "common/hunits/Uhinifiles.h"

#include <charconv>

#include "common/hunits/U_base_classes.h"
#include "common/hunits/cp1251.h"
#include "common/hunits/h_ini_document.h"
#include "common/hunits/uhFuncs.h"
#include "common/hunits/uhlog.h"

th_ini_file hini;

namespace {

// Plain decimal with an optional sign; anything else, including overflow, is refused.
bool parse_int32(const std::string& text, int32_t& value) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+') {
        ++begin;
        if (begin != end && *begin == '-') {
            return false;
        }
    }
    int32_t parsed = 0;
    const auto [stop, error] = std::from_chars(begin, end, parsed);
    if (begin == end || error != std::errc() || stop != end) {
        return false;
    }
    value = parsed;
    return true;
}

void log_not_written(const std::string& section, const std::string& key,
                     const std::string& reason) {
    if (hlog != nullptr) {
        hlog->add_str_to_log(
            "e", "Настройка [" + section + "] " + key + " не записана: " + reason + ".", 1);
    }
}

}  // namespace

std::string th_ini_file::read_str(const std::string& section, const std::string& key,
                                  const std::string& default_value) {
    const std::string& used_section = section.empty() ? this->section : section;
    last_result = result_failed;
    try {
        t_ini_document ini;
        if (ini.load(file_name) == t_ini_document::t_load_result::failed) {
            return default_value;
        }
        bool names_held = true;
        bool key_held = true;
        const std::string stored_section = utf8_to_cp1251(used_section, &names_held);
        const std::string stored_key = utf8_to_cp1251(key, &key_held);
        std::string value;
        if (names_held && key_held && ini.find_value(stored_section, stored_key, value)) {
            last_result = result_ok;
            return cp1251_to_utf8(value);
        }
        last_result = result_missing;
    } catch (...) {
    }
    return default_value;
}

void th_ini_file::write_str(const std::string& section, const std::string& key,
                            const std::string& value) {
    const std::string current = read_str(section, key, value + "Тест");
    if (current == value) {
        last_result = result_ok;
        return;
    }
    const std::string& used_section = section.empty() ? this->section : section;
    last_result = result_failed;
    try {
        bool section_held = true;
        bool key_held = true;
        bool value_held = true;
        const std::string stored_section = utf8_to_cp1251(used_section, &section_held);
        const std::string stored_key = utf8_to_cp1251(key, &key_held);
        const std::string stored_value = utf8_to_cp1251(value, &value_held);
        if (!section_held || !key_held || !value_held) {
            log_not_written(used_section, key, "символы вне кодовой страницы 1251");
            return;
        }
        t_ini_document ini;
        if (ini.load(file_name) == t_ini_document::t_load_result::failed) {
            return;
        }
        if (!ini.set_value(stored_section, stored_key, stored_value)) {
            log_not_written(used_section, key, "недопустимые символы в имени или значении");
            return;
        }
        if (ini.save(file_name)) {
            last_result = result_ok;
        }
    } catch (...) {
    }
}

int32_t th_ini_file::read_int(const std::string& section, const std::string& key,
                              int32_t default_value, int32_t min, int32_t max) {
    if (min != max && (default_value < min || default_value > max)) {
        throw Exception("Неправильные выходные данные в th_ini_file::read_int!");
    }
    const std::string text = read_str(section, key, "");
    int32_t result = default_value;
    if (last_result == result_ok && !parse_int32(text, result)) {
        result = default_value;
        last_result = result_not_integer;
    }
    if (min != max && (result < min || result > max)) {
        result = default_value;
        last_result = result_out_of_range;
    }
    return result;
}

void th_ini_file::write_int(const std::string& section, const std::string& key, int32_t value) {
    write_str(section, key, std::to_string(value));
}

bool th_ini_file::read_bool(const std::string& section, const std::string& key,
                            bool default_value) {
    return read_int(section, key, default_value ? 1 : 0, 0, 1) == 1;
}

void th_ini_file::write_bool(const std::string& section, const std::string& key, bool value) {
    write_int(section, key, value ? 1 : 0);
}

void th_ini_file::save_form_placement(const t_form_geometry& form, int flags,
                                      const std::string& section) {
    const std::string used_section = section.empty() ? form.form_name() : section;
    if (flags & placement_position) {
        write_int(used_section, "Top", form.top());
        write_int(used_section, "Left", form.left());
    }
    if (flags & placement_size) {
        write_int(used_section, "Height", form.height());
        write_int(used_section, "Width", form.width());
    }
    if (flags & placement_state) {
        write_int(used_section, "STATE", form.window_state());
    }
}

void th_ini_file::load_form_placement(t_form_geometry& form, int flags, const std::string& section,
                                      const t_screen_sizes& screen) {
    const std::string used_section = section.empty() ? form.form_name() : section;
    if (flags & placement_position) {
        const int32_t top = read_int(used_section, "Top", form.top(), 0, 0);
        form.set_top(int_in_range(top, 0, screen.desktop_height - 45, 0));
        const int32_t left = read_int(used_section, "Left", form.left(), 0, 0);
        form.set_left(int_in_range(left, 0, screen.desktop_width - 50, 0));
    }
    if (flags & placement_size) {
        const int32_t height = read_int(used_section, "Height", form.height(), 10, 10000);
        form.set_height(int_in_range(height, 10, screen.primary_height, 100));
        const int32_t width = read_int(used_section, "Width", form.width(), 10, 10000);
        form.set_width(int_in_range(width, 10, screen.primary_width, 100));
    }
    if (flags & placement_state) {
        // Only the three states a window has; anything else keeps the current one.
        const int32_t state = read_int(used_section, "STATE", form.window_state(), 0, 0);
        if (state >= 0 && state <= 2) {
            form.set_window_state(state);
        }
    }
}

bool th_ini_file::value_in_range(double value, double min, double max) {
    return min <= value && value <= max;
}

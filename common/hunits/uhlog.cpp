#include "common/hunits/uhlog.h"

#include "common/hunits/U_base_classes.h"
#include "common/hunits/cp1251.h"
#include "common/hunits/h_clock.h"
#include "common/hunits/platform/h_platform.h"
#include "common/hunits/uhFuncs.h"

namespace {

t_dialog_presenter* current_presenter = nullptr;

constexpr int log_group_count = 40;

// The line as the file holds it: code page 1251, CR LF after the line and for every
// line feed inside it (unless the stream adds the CR itself).
std::string file_bytes_of_line(const std::string& line) {
    const std::string text = utf8_to_cp1251(line) + '\n';
    if (h_platform::append_stream_adds_cr()) {
        return text;
    }
    std::string bytes;
    bytes.reserve(text.size() + 8);
    for (const char c : text) {
        if (c == '\n') {
            bytes += '\r';
        }
        bytes += c;
    }
    return bytes;
}

}  // namespace

void set_dialog_presenter(t_dialog_presenter* presenter) {
    current_presenter = presenter;
}

t_dialog_presenter* dialog_presenter() {
    return current_presenter;
}

t_hlog* hlog = nullptr;

t_hlog::t_hlog() {
    set_line_buffer_size(10);
    for (bool& on : file_log_groups) {
        on = false;
    }
    file_log_groups[1] = true;
}

t_hlog::~t_hlog() {
    // Buffered lines are written out; with no file open there is nowhere to put them.
    try {
        if (file_opened) {
            close_log_file();
        }
    } catch (...) {
    }
    if (hlog == this) {
        hlog = nullptr;
    }
}

void t_hlog::set_log_file_name(const std::string& name) {
    log_file_name = name;
}

void t_hlog::set_line_buffer_size(int32_t size) {
    if (size < 1) {
        raise_program_error("t_hlog::set_line_buffer_size", __FILE__,
                            "Неправильный размер буфера!");
    }
    line_buffer_size = size;
}

void t_hlog::set_flush_period(int64_t ms) {
    flush_period = ms;
}

void t_hlog::set_direct_write_count(int32_t n) {
    direct_write_count = n;
}

void t_hlog::set_file_out(bool on) {
    file_out = on;
}

void t_hlog::set_log_group(int group, bool on) {
    test_log_group(group);
    file_log_groups[group] = on;
}

void t_hlog::test_log_group(int group) const {
    if (group < 0 || group >= log_group_count) {
        raise_program_error("t_hlog::test_log_group", __FILE__, "Недопустимый номер log_group!");
    }
}

std::string t_hlog::make_log_file_name(const std::string& folder, const std::string& prefix,
                                       const std::string& suffix) const {
    return normalize_dir_name(folder) + prefix +
           format_local_time(h_clock().now_local(), "yyyymmdd-hhnnsszzz") + suffix + ".log";
}

bool t_hlog::open_log_file() {
    if (file_opened) {
        raise_program_error("t_hlog::open_log_file", __FILE__, "Файл уже открыт!");
    }
    log_file = h_platform::open_append_stream(log_file_name);
    file_opened = log_file != nullptr;
    return file_opened;
}

bool t_hlog::write_str_to_log_file(const std::string& str) {
    if (!file_opened) {
        raise_program_error("t_hlog::write_str_to_log_file", __FILE__, "Файл не открыт!");
    }
    const std::string bytes = file_bytes_of_line(str);
    // Write errors are ignored: a full disk must not stop the program.
    std::fwrite(bytes.data(), 1, bytes.size(), log_file);
    return true;
}

bool t_hlog::close_log_file() {
    if (!file_opened) {
        raise_program_error("t_hlog::close_log_file", __FILE__, "Файл не открыт!");
    }
    flush_log_buffer();
    file_opened = false;
    std::FILE* file = log_file;
    log_file = nullptr;
    return std::fclose(file) == 0;
}

void t_hlog::flush_log_buffer() {
    for (const t_log_stroka_struct& line : stroka_array) {
        write_str_to_log_file(line.str);
    }
    if (log_file != nullptr) {
        std::fflush(log_file);
    }
    stroka_array.clear();
}

void t_hlog::add_str_to_log(const std::string& type, const std::string& text, int log_group) {
    out_str_to_log(
        format_local_time(h_clock().now_local(), "hh:nn:ss:zzz") + "\t[" + type + "]\t" + text,
        log_group);
}

void t_hlog::lbreak(int log_group) {
    add_str_to_log("lbreak", std::string(75, '-'), log_group);
}

void t_hlog::add_hex_to_log(const std::string& type, const void* data, int count, int log_group) {
    add_str_to_log(
        type, "count= " + std::to_string(count) + " data=" + bytes_to_hex_str(data, count, " "),
        log_group);
}

void t_hlog::add_open_log_str() {
    out_str_to_log(format_local_time(h_clock().now_local(), "yyyy.mm.dd hh:nn:ss:zzz") +
                       "\topen log" + get_system_info_str() + get_pc_name(),
                   2);
}

void t_hlog::out_str_to_log(const std::string& line, int log_group) {
    test_log_group(log_group);
    if (file_out && (file_log_groups[log_group] || file_log_groups[0])) {
        add_str_to_buffer(line);
    }
}

void t_hlog::add_str_to_buffer(const std::string& line) {
    stroka_array.push_back({line, h_clock().tick_count()});
    if (static_cast<int64_t>(stroka_array.size()) >= line_buffer_size) {
        flush_log_buffer();
        return;
    }
    // Both ticks are 32-bit values: after a wrap of the counter the age comes out
    // negative and the lines wait for the count limit.
    const int64_t age = static_cast<int64_t>(static_cast<uint64_t>(h_clock().tick_count())) -
                        static_cast<int64_t>(stroka_array.front().tick);
    if (age > flush_period) {
        flush_log_buffer();
    } else if (direct_write_count > 0) {
        --direct_write_count;
        flush_log_buffer();
    }
}

namespace {

// Shows the box through the presenter; without one it stays unseen and a question is
// answered "no".
bool show_box(t_dialog_kind kind, const std::string& text, const std::string& caption) {
    t_dialog_presenter* presenter = dialog_presenter();
    return presenter != nullptr && presenter->show_dialog(kind, text, caption);
}

}  // namespace

void t_hlog::dialog_error(const std::string& text, const std::string& caption) {
    show_box(t_dialog_kind::error, text, caption);
    add_str_to_log("dialog_error", caption + "\t" + text, 1);
}

void t_hlog::dialog_warning(const std::string& text, const std::string& caption) {
    show_box(t_dialog_kind::warning, text, caption);
    add_str_to_log("dialog_warning", caption + "\t" + text, 1);
}

void t_hlog::dialog_info(const std::string& text, const std::string& caption) {
    show_box(t_dialog_kind::info, text, caption);
    add_str_to_log("dialog_info", caption + "\t" + text, 1);
}

bool t_hlog::dialog_yes_no(const std::string& text, const std::string& caption) {
    const bool yes = show_box(t_dialog_kind::yes_no, text, caption);
    add_str_to_log("dialog_yes_no", caption + "\t" + text + "\t result=" + (yes ? "ДА" : "НЕТ"), 1);
    return yes;
}

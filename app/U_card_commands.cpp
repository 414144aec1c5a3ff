#include "app/U_card_commands.h"

#include <span>
#include <string>
#include <vector>

#include "app/card_device_list.h"
#include "common/hunits/uhFuncs.h"
#include "common/hunits/uhlog.h"
#include "device/U_kalden_common.h"
#include "progress/Dh_work_control.h"

namespace {

const char* const caption_error = "Ошибка!";
const char* const caption_warning = "Предупреждение!";
const char* const caption_info = "Информация!";

const char* const text_driver_error = "Невозможно активировать драйвер устройства:\n";
const char* const text_not_identified =
    "Вначале программа должна опознать карту!\nВоспользуйтесь сканированием портов.";
const char* const text_user_break = "Прервано пользователем!";
const char* const text_card_not_found = "Карта не найдена!";
const char* const text_list_error = "Ошибка считывания списка ПУ";
const char* const text_nothing_to_read = "Нечего считывать.";
const char* const text_read_error = "Ошибка считывания: ";
const char* const text_decode_error =
    "При декодеровке данных, полученных с карты, произошла ошибка, возможно, данные не "
    "корректны!";
const char* const text_device_65535 =
    "Считанный номер ПУ 65535. Возможно, при считывании произошла ошибка( не "
    "подключен/неисправен кабель, карта и т.п.).\nРекомендуется пересканировать порты и "
    "повторить считывание!";
const char* const text_dir_error = "Ошибка создания каталога: ";
const char* const text_save_error = "Ошибка сохранения файла: ";
const char* const text_delete_question =
    "Вы уверены, что хотите удалить данные выбранной ячейки карты?";
const char* const caption_delete_question = "Удаление данных ячейки!";
const char* const text_delete_error = "Ошибка при очистке ячейки:\n";
const char* const text_clear_question = "Вы действительно хотите удалить данные всех ячеек карты?";
const char* const caption_clear_question = "Очистка карты!";

const char* const step_scan = "Поиск карты на портах";
const char* const step_read = "Считывание данных с карты";

constexpr uint8_t step_running = 1;
// Two reads of a whole cell fill the bar.
constexpr int32_t read_bar_max = 2 * cell_size;
constexpr int32_t device_number_suspect = 0xFFFF;
constexpr int log_group = 1;

void log_line(const std::string& text) {
    if (hlog) {
        hlog->add_str_to_log("i", text, log_group);
    }
}
void error_box(const std::string& text) {
    if (hlog) {
        hlog->dialog_error(text, caption_error);
    }
}
void info_box(const std::string& text) {
    if (hlog) {
        hlog->dialog_info(text, caption_info);
    }
}
void warning_box(const std::string& text) {
    if (hlog) {
        hlog->dialog_warning(text, caption_warning);
    }
}
bool question_box(const std::string& text, const std::string& caption) {
    return hlog && hlog->dialog_yes_no(text, caption);
}

// The progress window is shown from construction until hide() or the end of the scope.
class t_progress_shown {
  public:
    explicit t_progress_shown(t_card_progress_list& list) : list_(list) { list_.show(); }
    ~t_progress_shown() { hide(); }
    void hide() {
        if (shown_) {
            shown_ = false;
            list_.hide();
        }
    }

  private:
    t_card_progress_list& list_;
    bool shown_ = true;
};

// The main window is disabled from construction until enable() or the end of the scope.
class t_main_window_disabled {
  public:
    explicit t_main_window_disabled(t_card_commands_view& view) : view_(view) {
        view_.set_main_window_enabled(false);
    }
    ~t_main_window_disabled() { enable(); }
    void enable() {
        if (disabled_) {
            disabled_ = false;
            view_.set_main_window_enabled(true);
        }
    }

  private:
    t_card_commands_view& view_;
    bool disabled_ = true;
};

// The card-access object moves `bar` only within this scope: the bar goes with its
// progress list.
class t_progress_bar_loan {
  public:
    t_progress_bar_loan(t_hwindrv& drv, t_progress_sink& bar) : drv_(drv) {
        drv_.set_progress_bar(&bar);
    }
    ~t_progress_bar_loan() { drv_.set_progress_bar(nullptr); }

  private:
    t_hwindrv& drv_;
};

}  // namespace

uint32_t card_port_entry_address(int index) {
    return static_cast<uint32_t>(std::stoul(card_port_list.at(index), nullptr, 16));
}

int card_port_entry_index(uint32_t address) {
    for (int i = 0; i < card_port_count; ++i) {
        if (card_port_entry_address(i) == address) {
            return i;
        }
    }
    return -1;
}

// Marks the commands busy for one command; refuses (and logs) while another one runs.
class t_card_commands::t_command_scope {
  public:
    t_command_scope(t_card_commands& owner, const char* name)
        : owner_(owner), started_(!owner.busy) {
        if (started_) {
            owner_.busy = true;
        } else {
            log_line(std::string("Команда \"") + name +
                     "\" не запущена: выполняется другая команда работы с картой.");
        }
    }
    ~t_command_scope() {
        if (started_) {
            owner_.busy = false;
        }
    }
    t_command_scope(const t_command_scope&) = delete;
    t_command_scope& operator=(const t_command_scope&) = delete;
    bool started() const { return started_; }

  private:
    t_card_commands& owner_;
    bool started_;
};

// Releases the driver that a successful activate_driver opened, on every path out.
class t_card_commands::t_driver_release {
  public:
    explicit t_driver_release(t_card_commands& owner) : owner_(owner) {}
    ~t_driver_release() {
        try {
            owner_.release_driver();
        } catch (...) {
            // Already unwinding or ending: the port is closed by close_driver's own state.
            log_line("Ошибка при отключении карты.");
        }
    }
    t_driver_release(const t_driver_release&) = delete;
    t_driver_release& operator=(const t_driver_release&) = delete;

  private:
    t_card_commands& owner_;
};

t_card_commands::t_card_commands(t_card_commands_view& view,
                                 std::unique_ptr<t_port_backend> backend)
    : card_drv(std::move(backend)), view(view) {}

void t_card_commands::set_port_entry(int index) {
    port_address = card_port_entry_address(index);
}

void t_card_commands::forget_card() {
    for (t_cell_rec& cell : cells) {
        cell.state = 0;
    }
    card_identified = false;
    lines.clear();
}

t_port_open_result t_card_commands::open_card_port() {
    card_drv.set_port(port_address);
    if (!card_drv.open_driver()) {
        return card_drv.last_open_result();
    }
    try {
        card_drv.power(true);
    } catch (...) {
        card_drv.close_driver();
        throw;
    }
    return t_port_open_result::opened;
}

void t_card_commands::show_driver_error(const std::string& reason) {
    error_box(text_driver_error + reason);
}

bool t_card_commands::activate_driver() {
    if (open_card_port() == t_port_open_result::opened) {
        return true;
    }
    show_driver_error(card_drv.get_text_result());
    return false;
}

void t_card_commands::release_driver() {
    struct t_close_anyway {
        t_hwindrv& drv;
        ~t_close_anyway() { drv.close_driver(); }
    } close{card_drv};
    card_drv.power(false);
}

bool t_card_commands::test_card_identified() {
    if (card_identified) {
        return true;
    }
    error_box(text_not_identified);
    return false;
}

bool t_card_commands::refresh_dev_list() {
    card_identified = false;
    lines.clear();
    view.show_waiting_state();
    view.clear_device_list();
    bool six_cells = false;
    bool card_has_data = false;
    const bool read = card_drv.read_card_list(cells, six_cells, card_has_data);
    card_identified = read && card_has_data;
    if (card_identified) {
        lines = device_list_lines(cells, six_cells);
        view.show_card_listed_state(lines);
    }
    return card_identified;
}

int t_card_commands::selected_cell() const {
    const int line = view.selected_device_line();
    return line >= 0 && line < static_cast<int>(lines.size()) ? line : -1;
}

bool t_card_commands::scan_ports_for_card(bool& stopped) {
    view.hide_device_list();
    const std::unique_ptr<t_card_progress_list> progress = view.make_progress_list();
    progress->add_action(step_scan, step_running, card_port_count, 0);
    t_main_window_disabled disabled(view);
    enable_work();
    t_progress_shown shown(*progress);

    bool found = false;
    bool driver_failed = false;
    int missing_ports = 0;
    stopped = false;
    try {
        for (int i = 0; i < card_port_count; ++i) {
            progress->set_position(i);
            delay_with_messages(0);
            view.select_port_entry(i);
            process_messages();
            port_address = card_port_entry_address(i);
            const t_port_open_result opened = open_card_port();
            if (opened == t_port_open_result::no_such_port) {
                // Another port of the list may still exist.
                ++missing_ports;
                log_line(std::string("Порт ") + card_port_list[i] +
                         " пропущен: " + card_drv.get_text_result());
                continue;
            }
            if (opened != t_port_open_result::opened) {
                show_driver_error(card_drv.get_text_result());
                driver_failed = true;
                break;
            }
            {
                t_driver_release release(*this);
                delay_with_messages(0);
                found = refresh_dev_list();
            }
            if (found) {
                break;
            }
            delay_with_messages(0);
        }
        if (missing_ports == card_port_count) {
            show_driver_error(no_card_port_text());
            driver_failed = true;
        }
    } catch (const e_user_break&) {
        stopped = true;
        info_box(text_user_break);
    }
    shown.hide();
    disabled.enable();
    if (!found && !driver_failed) {
        error_box(text_card_not_found);
    }
    return found;
}

t_card_command_result t_card_commands::scan_for_card() {
    t_command_scope scope(*this, "Поиск карты");
    if (!scope.started()) {
        return t_card_command_result::refused;
    }
    bool stopped = false;
    if (scan_ports_for_card(stopped)) {
        return t_card_command_result::done;
    }
    return stopped ? t_card_command_result::stopped : t_card_command_result::failed;
}

t_card_command_result t_card_commands::read_title() {
    t_command_scope scope(*this, "Обновить список");
    if (!scope.started()) {
        return t_card_command_result::refused;
    }
    enable_work();
    if (!activate_driver()) {
        return t_card_command_result::failed;
    }
    bool listed = false;
    {
        t_driver_release release(*this);
        listed = refresh_dev_list();
    }
    if (!listed) {
        error_box(text_list_error);
        return t_card_command_result::failed;
    }
    return t_card_command_result::done;
}

t_card_command_result t_card_commands::read_dev() {
    t_command_scope scope(*this, "Считать");
    if (!scope.started()) {
        return t_card_command_result::refused;
    }
    if (!test_card_identified()) {
        return t_card_command_result::failed;
    }
    const int cell = selected_cell();
    if (cell < 0) {
        return t_card_command_result::failed;
    }
    if (cells[cell].state != 1) {
        error_box(text_nothing_to_read);
        return t_card_command_result::failed;
    }
    if (!activate_driver()) {
        return t_card_command_result::failed;
    }

    std::vector<uint8_t> buffer(cell_size);
    {
        t_driver_release release(*this);
        const std::unique_ptr<t_card_progress_list> progress = view.make_progress_list();
        t_progress_sink& bar = progress->get_progress_bar();
        progress->add_action(step_read, step_running, read_bar_max, 0);
        bar.set_position(0);
        t_progress_bar_loan loan(card_drv, bar);
        t_progress_shown shown(*progress);
        enable_work();
        bool read = false;
        try {
            read = card_drv.read_cell_verified(cell, buffer.data(), 2);
        } catch (const e_user_break&) {
            shown.hide();
            info_box(text_user_break);
            return t_card_command_result::stopped;
        }
        if (!read) {
            error_box(text_read_error + card_drv.get_text_result());
            return t_card_command_result::failed;
        }
    }

    // The port is closed before anything is decoded or saved.
    t_zor73_process process;
    try {
        process.decode_cell(std::span<const uint8_t>(buffer), view.convert_to_days());
    } catch (...) {
        error_box(text_decode_error);
        return t_card_command_result::failed;
    }
    if (process.header.device_number == device_number_suspect) {
        warning_box(text_device_65535);
    }
    const std::string folder = view.data_dir_text();
    const std::string proposed = make_file_name(process, folder);
    if (!check_dir(folder, true)) {
        error_box(text_dir_error + folder);
        return t_card_command_result::failed;
    }
    std::string chosen;
    if (!view.choose_save_path(folder, proposed, chosen)) {
        return t_card_command_result::declined;
    }
    if (!process.save_to_file(chosen)) {
        error_box(text_save_error + chosen);
        return t_card_command_result::failed;
    }
    return t_card_command_result::done;
}

t_card_command_result t_card_commands::delete_dev() {
    t_command_scope scope(*this, "Удалить");
    if (!scope.started()) {
        return t_card_command_result::refused;
    }
    if (!test_card_identified()) {
        return t_card_command_result::failed;
    }
    const int cell = selected_cell();
    if (cell < 0) {
        return t_card_command_result::failed;
    }
    if (!question_box(text_delete_question, caption_delete_question)) {
        return t_card_command_result::declined;
    }
    enable_work();
    if (!activate_driver()) {
        return t_card_command_result::failed;
    }
    bool deleted = false;
    std::string reason;
    {
        t_driver_release release(*this);
        deleted = card_drv.delete_cell(cell);
        // Taken before the refresh, which may leave a text of its own.
        reason = card_drv.get_text_result();
        refresh_dev_list();
    }
    if (!deleted) {
        error_box(text_delete_error + reason);
        return t_card_command_result::failed;
    }
    return t_card_command_result::done;
}

t_card_command_result t_card_commands::clear_card() {
    t_command_scope scope(*this, "Очистить");
    if (!scope.started()) {
        return t_card_command_result::refused;
    }
    if (!test_card_identified()) {
        return t_card_command_result::failed;
    }
    enable_work();
    if (!activate_driver()) {
        return t_card_command_result::failed;
    }
    t_driver_release release(*this);
    refresh_dev_list();
    if (!question_box(text_clear_question, caption_clear_question)) {
        return t_card_command_result::declined;
    }
    card_drv.clear_card();
    refresh_dev_list();
    return t_card_command_result::done;
}

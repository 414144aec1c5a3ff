// Test doubles of the card commands' surroundings: a view that follows a script and records
// what the commands show, a port backend that records the port's lifecycle (alone, or around
// the simulated reader) and fails on demand, and small card images.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/card_commands_view.h"
#include "card/port_backend.h"
#include "common/hunits/uhlog.h"

// One ordered record of what happened: view calls, message boxes and port opens/closes,
// e.g. "listed: -|0001234 (2T4V)", "error: Карта не найдена!", "open 0x378", "close".
using t_event_log = std::vector<std::string>;

// Counts what the card-access object does with the bar.
class t_counting_sink : public t_progress_sink {
  public:
    void set_max_position(int32_t max) override { max_position = max; }
    void set_position(int32_t value) override { position = value; }
    void step_position(int32_t delta) override { position += delta; }
    int32_t max_position = 0;
    int32_t position = 0;
};

class t_scripted_view : public t_card_commands_view {
  public:
    explicit t_scripted_view(t_event_log& events) : events(events) {}

    void show_waiting_state() override;
    void clear_device_list() override;
    void show_card_listed_state(const std::vector<std::string>& new_lines) override;
    void hide_device_list() override;
    int selected_device_line() const override { return selected; }
    void select_port_entry(int index) override;
    void set_main_window_enabled(bool enabled) override;
    std::unique_ptr<t_card_progress_list> make_progress_list() override;
    std::string data_dir_text() const override { return data_dir; }
    bool convert_to_days() const override { return to_days; }
    bool choose_save_path(const std::string& folder, const std::string& proposed,
                          std::string& chosen) override;

    t_event_log& events;
    std::vector<std::string> lines;
    bool list_visible = false;
    int selected = -1;
    int port_entry = 0;
    bool window_enabled = true;
    bool progress_visible = false;
    // The bar of the last progress list (kept after the list is gone).
    t_counting_sink last_bar;
    std::vector<int32_t> scan_positions;

    std::string data_dir;
    bool to_days = true;
    // The save dialog's answer: nullopt cancels, an empty text takes the proposed path.
    std::optional<std::string> save_answer = std::string();
    std::string offered_folder;
    std::string offered_path;
};

// Message boxes into the event log; answers from the test environment's script.
class t_event_dialogs : public t_dialog_presenter {
  public:
    t_event_dialogs(t_event_log& events, t_dialog_presenter& answers)
        : events(events), answers(answers) {}
    bool show_dialog(t_dialog_kind kind, const std::string& text,
                     const std::string& caption) override;

  private:
    t_event_log& events;
    t_dialog_presenter& answers;
};

// Without an inner backend every port of the list opens as a port without a card reader
// (the status register reads 0x7F).
class t_probe_backend : public t_port_backend {
  public:
    t_probe_backend(t_event_log& events, std::unique_ptr<t_port_backend> inner = nullptr)
        : events(events), inner(std::move(inner)) {}

    t_port_open_result open(uint32_t base, std::string& error_text) override;
    void close() override;
    void write_data(uint8_t value) override;
    uint8_t read_status() override;

    // Ports that do not exist on this machine, and ports whose open fails with a text.
    std::set<uint32_t> missing;
    std::map<uint32_t, std::string> failing;
    // > 0: the write with this number (counted from now on) throws std::runtime_error.
    void throw_at_write(int count) { writes_until_throw = count; }

    int opens = 0;
    int closes = 0;
    long writes = 0;
    bool is_open = false;
    // The data register as last written while the port was open (0: card off).
    std::optional<uint8_t> last_data;

  private:
    t_event_log& events;
    std::unique_ptr<t_port_backend> inner;
    int writes_until_throw = 0;
};

// Card images: cells of 32768 bytes.
std::vector<uint8_t> empty_cell();
// A device header with `number` and record format `format`, and records on 05.03.2010 at
// 1 and 2 o'clock and on 06.03.2010 at 1 o'clock (three hourly records, two daily ones).
// `bad_record` adds a filled slot with month 13, which the decoder refuses.
std::vector<uint8_t> device_cell(int number, uint8_t format, bool bad_record = false);
// A device cell that was deleted (byte 0 holds the deleted mark).
std::vector<uint8_t> deleted_cell();
std::vector<uint8_t> card_image(const std::vector<std::vector<uint8_t>>& cells);

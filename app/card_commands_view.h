// What the card commands need from their user interface: the main window implements it
// with widgets, the command-line tool on the terminal, tests with a script. Messages do
// not go through here: they are the log's message boxes (uhlog.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "card/progress_sink.h"

// The progress list of a long command: its steps, a window (or a terminal line) with a
// bar for the current step and a stop button. Destroying it removes the window.
class t_card_progress_list {
  public:
    virtual ~t_card_progress_list() = default;
    // Appends a step (state 1: running; `param` is stored, not shown) and makes the first
    // step the current one.
    virtual void add_action(const std::string& name, uint8_t state, int32_t max_position,
                            int32_t param) = 0;
    // Lists the steps and shows the window; it cannot be closed until hide().
    virtual void show() = 0;
    virtual void hide() = 0;
    // Moves the bar and lets pending messages be processed.
    virtual void set_position(int32_t value) = 0;
    // The bar of the current step, lent to the card-access object for a whole-cell read;
    // it lives as long as the list.
    virtual t_progress_sink& get_progress_bar() = 0;
};

class t_card_commands_view {
  public:
    virtual ~t_card_commands_view() = default;

    // Waiting: device list hidden, "Считать" and "Удалить" disabled, red "Ожидание".
    virtual void show_waiting_state() = 0;
    // Removes every line of the device list.
    virtual void clear_device_list() = 0;
    // Card listed: these lines (one per cell, in cell order) with the first one selected,
    // the list shown, "Считать" and "Удалить" enabled, green "Работа".
    virtual void show_card_listed_state(const std::vector<std::string>& lines) = 0;
    // Hides the device list and changes nothing else.
    virtual void hide_device_list() = 0;
    // Index of the selected device line (the cell index); -1 when none is selected.
    virtual int selected_device_line() const = 0;

    // Shows port entry `index` as chosen without running the port choice (the scan lets
    // pending messages be processed right after, so that the entry is seen).
    virtual void select_port_entry(int index) = 0;
    // The whole main window accepts input again (true) or not (false).
    virtual void set_main_window_enabled(bool enabled) = 0;

    virtual std::unique_ptr<t_card_progress_list> make_progress_list() = 0;

    // The data folder as the user typed it (may be empty or missing).
    virtual std::string data_dir_text() const = 0;
    // "Переводить в суточные": reduce a read archive to one record per day.
    virtual bool convert_to_days() const = 0;
    // Lets the user confirm where a read archive is saved, starting in `folder` with the
    // `proposed` path. False when the user cancels; the view asks itself before an existing
    // file is replaced.
    virtual bool choose_save_path(const std::string& folder, const std::string& proposed,
                                  std::string& chosen) = 0;
};

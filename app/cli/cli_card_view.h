// The terminal as the view of the card commands: the device line is the cell given on the
// command line, the save path follows -o and --yes, and a long command draws a text
// progress bar on the error stream when that is a terminal. The device list itself is
// printed by the commands when they end.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/card_commands_view.h"
#include "app/cli/cli_main.h"

class t_cli_card_view : public t_card_commands_view {
  public:
    explicit t_cli_card_view(const t_cli_io& io) : io(io) {}

    void show_waiting_state() override {}
    void clear_device_list() override {}
    void show_card_listed_state(const std::vector<std::string>&) override {}
    void hide_device_list() override {}
    int selected_device_line() const override { return selected_cell; }
    void select_port_entry(int) override {}
    void set_main_window_enabled(bool) override {}
    std::unique_ptr<t_card_progress_list> make_progress_list() override;
    std::string data_dir_text() const override { return data_dir; }
    bool convert_to_days() const override { return daily; }
    // The file named by -o, else the proposed one; an existing file only after a yes.
    bool choose_save_path(const std::string& folder, const std::string& proposed,
                          std::string& chosen) override;

    int selected_cell = -1;
    std::string data_dir;
    bool daily = true;
    // -o naming a file; empty: the proposed name in data_dir.
    std::string output_file;
    // The path that the last save was confirmed for.
    std::string save_path;

  private:
    const t_cli_io& io;
};

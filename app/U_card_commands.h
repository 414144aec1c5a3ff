// The card commands of the main window -- port scan, device list refresh, read, delete and
// clear -- written once for every user interface. The commands own the card-access object
// and the card directory; they reach the user through a t_card_commands_view and the
// log's message boxes.
//
// Each command opens the port and powers the card only for its own work and switches the
// card off and closes the port again on every path out: normal end, failure, the user's
// stop and any exception.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "app/card_commands_view.h"
#include "card/U_wincard_work.h"
#include "card/port_addresses.h"

// The port list of the main window, in scan order.
inline constexpr std::array<const char*, 4> card_port_list = {"0x0378", "0x0278", "0x03BC",
                                                              "0x9800"};
inline constexpr int card_port_count = static_cast<int>(card_port_list.size());

// The base address that entry `index` names (its text read as a hexadecimal number).
uint32_t card_port_entry_address(int index);
// The entry of `address`, -1 when it is not in the list.
int card_port_entry_index(uint32_t address);

// How a command ended, for a caller that needs more than the messages (the terminal's
// exit status).
enum class t_card_command_result {
    done,      // the work was done (a clear also when some cell failed its check)
    failed,    // not done; a message said why (or no device line was selected)
    declined,  // the user answered no or cancelled the save
    stopped,   // the user pressed stop
    refused,   // another card command was running
};

class t_card_commands {
  public:
    // `backend`: the port access chosen at start-up.
    t_card_commands(t_card_commands_view& view, std::unique_ptr<t_port_backend> backend);
    t_card_commands(const t_card_commands&) = delete;
    t_card_commands& operator=(const t_card_commands&) = delete;

    // "Поиск карты": tries the ports of the list in order until one holds a card with data.
    t_card_command_result scan_for_card();
    // "Обновить список": reads the card directory on the chosen port.
    t_card_command_result read_title();
    // "Считать": verified read of the selected cell, decoding, save.
    t_card_command_result read_dev();
    // "Удалить": marks the selected cell deleted.
    t_card_command_result delete_dev();
    // "Очистить": marks every cell deleted.
    t_card_command_result clear_card();

    // True while a command runs (the window then lets no other start and does not close).
    bool is_busy() const { return busy; }

    // The port choice of the window: `port_address` := the entry's address.
    void set_port_entry(int index);
    // As when the window is first shown: every cell empty, no card identified.
    void forget_card();
    uint32_t get_port_address() const { return port_address; }
    bool is_card_identified() const { return card_identified; }
    const t_cell_table& get_cells() const { return cells; }
    // Lines of the device list as last shown (empty in the waiting state).
    const std::vector<std::string>& device_lines() const { return lines; }

    t_hwindrv card_drv;

  private:
    class t_command_scope;
    class t_driver_release;

    // Sets the port, opens it and powers the card on when it opened.
    t_port_open_result open_card_port();
    // open_card_port; on failure shows the driver message.
    bool activate_driver();
    // Card off, port closed.
    void release_driver();
    bool refresh_dev_list();
    bool test_card_identified();
    bool scan_ports_for_card(bool& stopped);
    // The selected line when it names a cell of the list, else -1.
    int selected_cell() const;
    void show_driver_error(const std::string& reason);

    t_card_commands_view& view;
    t_cell_table cells;
    std::vector<std::string> lines;
    bool card_identified = false;
    uint32_t port_address = card_port_addresses[0];
    bool busy = false;
};

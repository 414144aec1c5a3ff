// How the card commands reach the card reader, as the command line chooses it: the
// simulated reader (--simulate[=CARD_FILE], --sim-port=ADDR, --sim-noise=P, --sim-seed=N)
// or this machine's parallel port. The window and the command-line tool read the same
// options and make the same backend from them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "card/port_backend.h"
#include "card/simulator/sim_port_backend.h"

struct t_port_choice {
    bool simulate = false;                 // --simulate[=CARD_FILE]
    std::string card_file;                 // empty: the demo card
    uint32_t sim_port = sim_default_port;  // --sim-port=ADDR: the simulated reader's port
    double sim_noise = 0;                  // --sim-noise=P: probability of an inverted bit
    std::optional<uint64_t> sim_seed;      // --sim-seed=N
};

// A command-line option with a value that cannot be used; what() is a Russian sentence that
// names the option.
class e_command_line_option : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// True when `arg` is "--name" or "--name=...".
bool is_command_line_option(const std::string& arg, const std::string& name);
// The value of the option at args[i]: after "=", or the next argument (then i moves past
// it). Throws e_command_line_option when there is none.
std::string command_line_option_value(const std::vector<std::string>& args, size_t& i,
                                      const std::string& name);
// "0x378, 0x278, 0x3BC, 0x9800".
std::string port_list_text();
// "0x378", "0X378" or "888"; throws e_command_line_option unless it is a port of the list.
uint32_t parse_port_address_option(const std::string& option, const std::string& text);

// Takes args[i] when it is one of the options of t_port_choice (a separate value moves i
// past it); false when it is none of them. Throws e_command_line_option on a bad value.
bool parse_port_choice_option(const std::vector<std::string>& args, size_t& i,
                              t_port_choice& choice);
// The options of t_port_choice among args[1...]; every other argument is left to its
// reader. False with the message in `error` on a bad value.
bool parse_port_choice(const std::vector<std::string>& args, t_port_choice& choice,
                       std::string& error);

// The demo card: the simulator's card when --simulate names no file.
inline constexpr int demo_card_cells = 6;
inline constexpr uint64_t demo_card_seed = 1;
// "demo.card" in the program's data folder.
std::string demo_card_path();
// Writes a card image of `cells` cells (3 or 6) made with `seed`, replacing `path`; false
// with a Russian error text.
bool write_demo_card(const std::string& path, int cells, uint64_t seed, std::string& error);
// Makes the card at `path` with the default content when no file is there.
bool ensure_demo_card(const std::string& path, std::string& error);

struct t_chosen_port_backend {
    std::unique_ptr<t_port_backend> backend;
    // Without a backend: the message for the user.
    std::string error;
    // The simulator refused its card file or options (a usage error for the tool).
    bool bad_card_file = false;
    // What was chosen, for the log: "имитатор считывателя карт (...)" or the native port.
    std::string description;
};

// The simulator (with the demo card, made when missing, unless a card file is named) or
// this machine's parallel port backend. Needs the program's folders to exist.
t_chosen_port_backend make_chosen_port_backend(const t_port_choice& choice);

// The window program's choice: the options of t_port_choice anywhere on its command line
// (`args` with the program in args[0]), the backend made from them and logged. On a bad
// option or a backend that cannot be made: the message through the log's message box,
// nullptr, and `exit_status` 2 (bad option or card file) or 1. Needs the program's folders
// and log (start_program).
std::unique_ptr<t_port_backend> choose_window_port_backend(const std::vector<std::string>& args,
                                                           int& exit_status);

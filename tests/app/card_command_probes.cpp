#include "card_command_probes.h"

#include <cstdio>
#include <stdexcept>

#include "card/U_wincard_work.h"
#include "progress/Dh_work_control.h"

namespace {

std::string hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += (text.empty() ? "" : "|") + line;
    }
    return text;
}

class t_scripted_progress : public t_card_progress_list {
  public:
    explicit t_scripted_progress(t_scripted_view& view) : view(view) {
        view.last_bar = t_counting_sink();
    }
    void add_action(const std::string& name, uint8_t state, int32_t max_position,
                    int32_t param) override {
        view.events.push_back("progress: " + name + " " + std::to_string(state) + " " +
                              std::to_string(max_position) + " " + std::to_string(param));
        view.last_bar.max_position = max_position;
    }
    void show() override {
        view.progress_visible = true;
        view.events.push_back("progress show");
    }
    void hide() override {
        view.progress_visible = false;
        view.events.push_back("progress hide");
    }
    void set_position(int32_t value) override {
        view.scan_positions.push_back(value);
        view.last_bar.position = value;
        // As the window does: its updates let the user press stop.
        process_messages();
    }
    t_progress_sink& get_progress_bar() override { return view.last_bar; }

  private:
    t_scripted_view& view;
};

}  // namespace

void t_scripted_view::show_waiting_state() {
    list_visible = false;
    events.push_back("waiting");
}

void t_scripted_view::clear_device_list() {
    lines.clear();
    selected = -1;
    events.push_back("clear list");
}

void t_scripted_view::show_card_listed_state(const std::vector<std::string>& new_lines) {
    lines = new_lines;
    selected = lines.empty() ? -1 : 0;
    list_visible = true;
    events.push_back("listed: " + joined(lines));
}

void t_scripted_view::hide_device_list() {
    list_visible = false;
    events.push_back("hide list");
}

void t_scripted_view::select_port_entry(int index) {
    port_entry = index;
    events.push_back("port " + std::to_string(index));
}

void t_scripted_view::set_main_window_enabled(bool enabled) {
    window_enabled = enabled;
    events.push_back(enabled ? "window on" : "window off");
}

std::unique_ptr<t_card_progress_list> t_scripted_view::make_progress_list() {
    return std::make_unique<t_scripted_progress>(*this);
}

bool t_scripted_view::choose_save_path(const std::string& folder, const std::string& proposed,
                                       std::string& chosen) {
    events.push_back("save dialog");
    offered_folder = folder;
    offered_path = proposed;
    if (!save_answer) {
        return false;
    }
    chosen = save_answer->empty() ? proposed : *save_answer;
    return true;
}

bool t_event_dialogs::show_dialog(t_dialog_kind kind, const std::string& text,
                                  const std::string& caption) {
    static const char* const kinds[] = {"error", "warning", "info", "question"};
    events.push_back(std::string(kinds[static_cast<int>(kind)]) + ": " + text);
    return answers.show_dialog(kind, text, caption);
}

t_port_open_result t_probe_backend::open(uint32_t base, std::string& error_text) {
    if (missing.count(base) != 0) {
        error_text = "Порта " + hex(base) + " нет на этом компьютере.";
        events.push_back("missing " + hex(base));
        return t_port_open_result::no_such_port;
    }
    if (const auto failure = failing.find(base); failure != failing.end()) {
        error_text = failure->second;
        events.push_back("failed " + hex(base));
        return t_port_open_result::failed;
    }
    if (inner) {
        const t_port_open_result result = inner->open(base, error_text);
        if (result != t_port_open_result::opened) {
            return result;
        }
    }
    ++opens;
    is_open = true;
    events.push_back("open " + hex(base));
    return t_port_open_result::opened;
}

void t_probe_backend::close() {
    ++closes;
    is_open = false;
    events.push_back("close");
    if (inner) {
        inner->close();
    }
}

void t_probe_backend::write_data(uint8_t value) {
    if (writes_until_throw > 0 && --writes_until_throw == 0) {
        throw std::runtime_error("port write failed");
    }
    ++writes;
    if (is_open) {
        last_data = value;
    }
    if (inner) {
        inner->write_data(value);
    }
}

uint8_t t_probe_backend::read_status() {
    return inner ? inner->read_status() : 0x7F;
}

std::vector<uint8_t> empty_cell() {
    return std::vector<uint8_t>(cell_size, 0xFF);
}

std::vector<uint8_t> device_cell(int number, uint8_t format, bool bad_record) {
    std::vector<uint8_t> cell = empty_cell();
    for (int i = 0; i < 60; ++i) {
        cell[i] = static_cast<uint8_t>(0x10 + i);
    }
    cell[60] = static_cast<uint8_t>(number >> 8);
    cell[61] = static_cast<uint8_t>(number & 0xFF);
    cell[62] = format;
    cell[63] = 0;
    struct t_slot {
        uint8_t day, month, year, hour;
    };
    std::vector<t_slot> slots = {{6, 3, 10, 1}, {5, 3, 10, 1}, {5, 3, 10, 2}};
    if (bad_record) {
        slots.push_back({7, 13, 10, 1});
    }
    size_t offset = 64;
    for (const t_slot& slot : slots) {
        std::fill(cell.begin() + offset, cell.begin() + offset + 32, 0);
        cell[offset] = slot.day;
        cell[offset + 1] = slot.month;
        cell[offset + 2] = slot.year;
        cell[offset + 3] = slot.hour;
        offset += 32;
    }
    return cell;
}

std::vector<uint8_t> deleted_cell() {
    std::vector<uint8_t> cell = device_cell(4321, 0xFF);
    cell[0] = cell_deleted_mark;
    return cell;
}

std::vector<uint8_t> card_image(const std::vector<std::vector<uint8_t>>& cells) {
    std::vector<uint8_t> bytes;
    for (const auto& cell : cells) {
        bytes.insert(bytes.end(), cell.begin(), cell.end());
    }
    return bytes;
}

// The settings store: typed reads with defaults and range checks, writes that touch the
// file only when the value changed, the outcome of the last access, and a window's
// placement checked against the screen. The ini file is read afresh at every access and
// written in code page 1251 with CR LF.
#pragma once

#include <cstdint>
#include <string>

// A window whose placement is saved and restored (the window toolkit adapts its forms).
class t_form_geometry {
  public:
    virtual ~t_form_geometry() = default;
    // The form's component name; the section of its placement when none is given.
    virtual std::string form_name() const = 0;
    virtual int32_t top() const = 0;
    virtual int32_t left() const = 0;
    virtual int32_t height() const = 0;
    virtual int32_t width() const = 0;
    // 0 normal, 1 minimised, 2 maximised.
    virtual int32_t window_state() const = 0;
    virtual void set_top(int32_t top) = 0;
    virtual void set_left(int32_t left) = 0;
    virtual void set_height(int32_t height) = 0;
    virtual void set_width(int32_t width) = 0;
    virtual void set_window_state(int32_t state) = 0;
};

// Screen sizes at the moment of the call, in pixels.
struct t_screen_sizes {
    int32_t desktop_width = 0;  // the virtual desktop over all monitors
    int32_t desktop_height = 0;
    int32_t primary_width = 0;  // the primary monitor
    int32_t primary_height = 0;
};

// Flags of save_form_placement / load_form_placement.
constexpr int placement_position = 1;  // "Top", "Left"
constexpr int placement_state = 4;     // "STATE"
constexpr int placement_size = 8;      // "Height", "Width"

class th_ini_file {
  public:
    // Outcomes of the last access (get_last_result).
    static constexpr int32_t result_ok = 0;
    static constexpr int32_t result_missing = 1;
    static constexpr int32_t result_out_of_range = 2;
    static constexpr int32_t result_not_integer = 3;
    static constexpr int32_t result_failed = 4;

    void set_file_name(const std::string& name) { file_name = name; }
    void set_section(const std::string& name) { section = name; }
    const std::string& get_file_name() const { return file_name; }
    const std::string& get_section() const { return section; }
    int32_t get_last_result() const { return last_result; }

    // An empty section name means the default section. Reads never raise.
    std::string read_str(const std::string& section, const std::string& key,
                         const std::string& default_value);
    // A text that code page 1251 cannot hold is not written (the log says so).
    void write_str(const std::string& section, const std::string& key, const std::string& value);
    // min == max: no range. A default outside a range raises Exception.
    int32_t read_int(const std::string& section, const std::string& key, int32_t default_value,
                     int32_t min, int32_t max);
    void write_int(const std::string& section, const std::string& key, int32_t value);
    bool read_bool(const std::string& section, const std::string& key, bool default_value);
    void write_bool(const std::string& section, const std::string& key, bool value);

    // An empty section means the form's name.
    void save_form_placement(const t_form_geometry& form, int flags, const std::string& section);
    void load_form_placement(t_form_geometry& form, int flags, const std::string& section,
                             const t_screen_sizes& screen);

    static bool value_in_range(double value, double min, double max);

  private:
    std::string file_name;
    std::string section;
    int32_t last_result = result_ok;
};

// The program's settings store.
extern th_ini_file hini;

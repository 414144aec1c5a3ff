// The program log: one text file per run, time-stamped lines in groups 0-39, buffered
// and written in batches, hex dumps, and the message boxes that log their answer.
// The file is written in code page 1251 with CR LF line ends.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The dialog seam: who shows a message box. The window shows a real box, the terminal
// prints it (and asks), tests script the answers.
enum class t_dialog_kind { error, warning, info, yes_no };

class t_dialog_presenter {
  public:
    virtual ~t_dialog_presenter() = default;
    // Shows the box and returns when it was closed; for yes_no true means "yes".
    virtual bool show_dialog(t_dialog_kind kind, const std::string& text,
                             const std::string& caption) = 0;
};

// Installs the presenter (not owned). Without one, boxes are answered "no"/OK unseen.
void set_dialog_presenter(t_dialog_presenter* presenter);
t_dialog_presenter* dialog_presenter();

struct t_log_stroka_struct {
    std::string str;
    uint64_t tick = 0;
};
using t_log_stroka_array = std::vector<t_log_stroka_struct>;

class t_hlog {
  public:
    t_hlog();
    // Writes out the buffered lines and closes the file; clears hlog when it points here.
    ~t_hlog();
    t_hlog(const t_hlog&) = delete;
    t_hlog& operator=(const t_hlog&) = delete;

    void set_log_file_name(const std::string& name);
    const std::string& get_log_file_name() const { return log_file_name; }
    void set_line_buffer_size(int32_t size);
    void set_flush_period(int64_t ms);
    void set_direct_write_count(int32_t n);
    void set_file_out(bool on);
    void set_log_group(int group, bool on);
    void test_log_group(int group) const;

    std::string make_log_file_name(const std::string& folder, const std::string& prefix,
                                   const std::string& suffix) const;
    bool open_log_file();
    bool write_str_to_log_file(const std::string& str);
    bool close_log_file();
    bool is_file_opened() const { return file_opened; }
    // Writes every buffered line to the file, oldest first, and flushes the stream.
    void flush_log_buffer();

    void add_str_to_log(const std::string& type, const std::string& text, int log_group);
    void lbreak(int log_group);
    void add_hex_to_log(const std::string& type, const void* data, int count, int log_group);
    void add_open_log_str();
    void out_str_to_log(const std::string& line, int log_group);

    void dialog_error(const std::string& text, const std::string& caption);
    void dialog_warning(const std::string& text, const std::string& caption);
    void dialog_info(const std::string& text, const std::string& caption);
    bool dialog_yes_no(const std::string& text, const std::string& caption);

  private:
    void add_str_to_buffer(const std::string& line);

    std::string log_file_name;
    int32_t line_buffer_size = 10;
    t_log_stroka_array stroka_array;
    std::FILE* log_file = nullptr;
    int64_t flush_period = 1000;
    bool file_out = false;
    bool file_opened = false;
    bool file_log_groups[40] = {};
    int32_t direct_write_count = 0;
};

// The program's log; set by the start-up routine before anything is logged.
extern t_hlog* hlog;

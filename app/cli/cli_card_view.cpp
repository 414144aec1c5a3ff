#include "app/cli/cli_card_view.h"

#include <ostream>

#include "app/cli/cli_save_path.h"
#include "common/hunits/uhFuncs.h"
#include "progress/Dh_work_control.h"

namespace {

constexpr int bar_width = 30;

// "\rСчитывание данных с карты [#########.....................]  31%", redrawn when the
// percentage changes.
class t_text_progress_bar : public t_progress_sink {
  public:
    explicit t_text_progress_bar(std::ostream& err) : err_(err) {}

    void set_max_position(int32_t max) override {
        max_ = max;
        redraw();
    }
    void set_position(int32_t position) override {
        position_ = position;
        redraw();
    }
    void step_position(int32_t delta) override {
        position_ += delta;
        redraw();
    }

    std::string title;
    bool visible = false;

    void draw() {
        drawn_percent_ = percent();
        const int filled = drawn_percent_ * bar_width / 100;
        err_ << '\r' << title << " [" << std::string(filled, '#')
             << std::string(bar_width - filled, '.') << "] " << format_str("%3d%%", drawn_percent_)
             << std::flush;
    }

  private:
    int percent() const {
        if (max_ <= 0 || position_ <= 0) {
            return 0;
        }
        return position_ >= max_ ? 100 : static_cast<int>(int64_t{position_} * 100 / max_);
    }
    void redraw() {
        if (visible && percent() != drawn_percent_) {
            draw();
        }
    }

    std::ostream& err_;
    int32_t max_ = 0;
    int32_t position_ = 0;
    int drawn_percent_ = -1;
};

class t_text_progress_list : public t_card_progress_list {
  public:
    t_text_progress_list(std::ostream& err, bool draw) : err_(err), bar_(err), draw_(draw) {}
    ~t_text_progress_list() override { hide(); }

    void add_action(const std::string& name, uint8_t, int32_t max_position, int32_t) override {
        if (bar_.title.empty()) {
            bar_.title = name;
            bar_.set_max_position(max_position);
        }
    }
    void show() override {
        if (draw_ && !bar_.visible) {
            bar_.visible = true;
            bar_.draw();
        }
    }
    void hide() override {
        if (bar_.visible) {
            bar_.visible = false;
            err_ << '\n' << std::flush;
        }
    }
    void set_position(int32_t value) override {
        bar_.set_position(value);
        process_messages();
    }
    t_progress_sink& get_progress_bar() override { return bar_; }

  private:
    std::ostream& err_;
    t_text_progress_bar bar_;
    bool draw_;
};

}  // namespace

std::unique_ptr<t_card_progress_list> t_cli_card_view::make_progress_list() {
    return std::make_unique<t_text_progress_list>(io.err, io.progress);
}

bool t_cli_card_view::choose_save_path(const std::string&, const std::string& proposed,
                                       std::string& chosen) {
    const std::string path = output_file.empty() ? proposed : output_file;
    if (!cli_may_write(path)) {
        return false;
    }
    chosen = save_path = path;
    return true;
}

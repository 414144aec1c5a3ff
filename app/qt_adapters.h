// The window's side of the core's seams (message boxes, pending-message processing) and
// the toolkit's start-up settings (Russian texts, fonts).
#pragma once

#include <string>

#include "app/card_commands_view.h"
#include "card/progress_sink.h"
#include "common/hunits/Uhinifiles.h"
#include "common/hunits/uhlog.h"
#include "progress/Dh_progress_info.h"

class QProgressBar;
class QWidget;

// Shows the log's message boxes as QMessageBox (through the modal-dialog seam): an error
// with the critical icon and OK, a warning, an information, a question with Yes and No.
class t_qt_dialog_presenter : public t_dialog_presenter {
  public:
    bool show_dialog(t_dialog_kind kind, const std::string& text,
                     const std::string& caption) override;
};

// The progress window's bar lent to the card-access object: a whole-cell read moves it
// one step per byte.
class t_qt_progress_sink : public t_progress_sink {
  public:
    explicit t_qt_progress_sink(QProgressBar& bar) : bar(bar) {}
    void set_max_position(int32_t max) override;
    void set_position(int32_t position) override;
    void step_position(int32_t delta) override;

  private:
    QProgressBar& bar;
};

// The progress list of the card commands: the progress window with its bar lent out
// through t_qt_progress_sink. The window goes with the list.
class t_qt_card_progress_list : public t_card_progress_list {
  public:
    t_qt_card_progress_list() : bar(*info.get_progress_bar()) {}
    void add_action(const std::string& name, uint8_t state, int32_t max_position,
                    int32_t param) override {
        info.add_action(name, state, max_position, param);
    }
    void show() override { info.show(); }
    void hide() override { info.hide(); }
    void set_position(int32_t value) override { info.set_position(value); }
    t_progress_sink& get_progress_bar() override { return bar; }

  private:
    th_progress_info info;
    t_qt_progress_sink bar;
};

// A window's placement for the settings store: position of its frame, size of its client
// area, and its state.
class t_qt_form_geometry : public t_form_geometry {
  public:
    explicit t_qt_form_geometry(QWidget& form) : form(form) {}
    std::string form_name() const override;
    int32_t top() const override;
    int32_t left() const override;
    int32_t height() const override;
    int32_t width() const override;
    int32_t window_state() const override;
    void set_top(int32_t top) override;
    void set_left(int32_t left) override;
    void set_height(int32_t height) override;
    void set_width(int32_t width) override;
    void set_window_state(int32_t state) override;

  private:
    QWidget& form;
};

// The desktop over all monitors and the primary monitor, now.
t_screen_sizes current_screen_sizes();

// Pending messages are processed by QCoreApplication::processEvents.
void install_qt_message_processor();

// Loads the toolkit's Russian texts (buttons of message boxes and file dialogs); false when
// the translation file is missing.
bool install_russian_translations();

// The fonts that the forms name are drawn with a font that the system has.
void install_font_substitutions();

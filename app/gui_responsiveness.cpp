// h_trelmo_responsiveness [--repeat=N]: measures how well the window stays responsive.
// It starts the real main window (offscreen works) on the simulated demo card with the real
// clock, lists the card and reads cell 0 through the "Считать" button N times (default 3),
// and reports the time from the program's start to the window shown and the longest time
// between two rounds of event processing during each read. The program's folders and
// settings go to a temporary folder; dialogs are answered unseen (the save dialog with the
// proposed name).
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifdef __linux__
#include <unistd.h>
#endif

#include "app/F_main.h"
#include "app/U_port_choice.h"
#include "app/qt_adapters.h"
#include "common/hunits/uhFuncs.h"
#include "common/hunits/uhqt_modal.h"
#include "progress/Dh_progress_info.h"
#include "progress/Dh_work_control.h"

namespace {

// Message boxes are counted and answered "no".
class t_counted_dialogs : public t_dialog_presenter {
  public:
    bool show_dialog(t_dialog_kind, const std::string& text, const std::string&) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        ++shown;
        return false;
    }
    int shown = 0;
};

// The save dialog keeps the proposed name; any other dialog is cancelled. A dialog on
// screen serves the events itself: it counts as a round of event processing.
class t_accepting_runner : public t_modal_runner {
  public:
    int run(QDialog& dialog) override {
        process_messages();
        return dialog.objectName() == "SaveDialog_from_card" ? QDialog::Accepted
                                                             : QDialog::Rejected;
    }
};

// Milliseconds from the process's start (exec, before the libraries were loaded) to now;
// 10 ms resolution, -1 where unknown.
double ms_since_process_start() {
#ifdef __linux__
    std::FILE* stat = std::fopen("/proc/self/stat", "r");
    std::FILE* uptime = std::fopen("/proc/uptime", "r");
    double result = -1;
    if (stat && uptime) {
        char text[1024] = {};
        const size_t n = std::fread(text, 1, sizeof text - 1, stat);
        text[n] = 0;
        // Field 22, starttime in clock ticks since boot; fields 3 on follow the ")".
        const char* p = std::strrchr(text, ')');
        unsigned long long start_ticks = 0;
        double up = 0;
        if (p &&
            std::sscanf(p + 2,
                        "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d %*d %*d "
                        "%*d %*d %*d %llu",
                        &start_ticks) == 1 &&
            std::fscanf(uptime, "%lf", &up) == 1) {
            result = (up - static_cast<double>(start_ticks) / sysconf(_SC_CLK_TCK)) * 1000;
        }
    }
    if (stat) {
        std::fclose(stat);
    }
    if (uptime) {
        std::fclose(uptime);
    }
    return result;
#else
    return -1;
#endif
}

bool progress_window_shown() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<Tform_progress_info*>(widget) && widget->isVisible()) {
            return true;
        }
    }
    return false;
}

// Times between the end of one round of event processing and the start of the next: the
// time in which a click or a repaint would have waited.
class t_gap_recorder {
  public:
    void start() {
        timer.start();
        last_end_ns = 0;
        rounds = 0;
        first_gap_ms = longest_in_progress_ms = longest_between_ms = 0;
        first_round = true;
    }
    void round() {
        const double gap = ms_since_last();
        if (first_round) {
            first_gap_ms = gap;
            first_round = false;
        } else {
            longest_between_ms = std::max(longest_between_ms, gap);
            if (progress_window_shown()) {
                longest_in_progress_ms = std::max(longest_in_progress_ms, gap);
            }
        }
        ++rounds;
        QCoreApplication::processEvents();
        last_end_ns = timer.nsecsElapsed();
    }
    // At the end of the command: the time since the last round.
    void finish() {
        last_gap_ms = ms_since_last();
        total_ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    }

    int rounds = 0;
    double first_gap_ms = 0;            // click -> first round
    double longest_in_progress_ms = 0;  // between rounds with the progress window shown
    double longest_between_ms = 0;      // between any two rounds
    double last_gap_ms = 0;             // last round -> end of the command
    double total_ms = 0;

  private:
    double ms_since_last() const {
        return static_cast<double>(timer.nsecsElapsed() - last_end_ns) / 1e6;
    }
    QElapsedTimer timer;
    qint64 last_end_ns = 0;
    bool first_round = true;
};

}  // namespace

int main(int argc, char** argv) {
    const double before_main_ms = ms_since_process_start();
    QElapsedTimer since_start;
    since_start.start();
    int repeat = 3;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--repeat=", 9) == 0) {
            repeat = std::max(1, std::atoi(argv[i] + 9));
        }
    }
    QApplication app(argc, argv);
    QTemporaryDir temp;
    qputenv("H_SYSTEM_DIR", QDir(temp.path()).filePath("h_system").toLocal8Bit());
    qputenv("H_TRELMO_INI", QDir(temp.path()).filePath("h_trelmo.ini").toLocal8Bit());
    install_russian_translations();
    install_font_substitutions();
    t_counted_dialogs dialogs;
    set_dialog_presenter(&dialogs);
    t_accepting_runner runner;
    set_modal_runner(&runner);
    install_qt_message_processor();
    std::vector<std::string> args = {"h_trelmo", "--simulate"};
    std::vector<char*> fake_argv = {args[0].data(), args[1].data()};
    set_command_line(2, fake_argv.data());

    t_hlog log;
    Tform_main window(log);
    int status = 0;
    std::unique_ptr<t_port_backend> backend = choose_window_port_backend(args, status);
    if (!backend) {
        return status;
    }
    window.set_port_backend(std::move(backend));
    window.show();
    QCoreApplication::processEvents();
    const double shown_ms = static_cast<double>(since_start.nsecsElapsed()) / 1e6;
    const double total_shown_ms = shown_ms + std::max(0.0, before_main_ms);
    std::printf(
        "start to window shown: %.1f ms (target < 500 ms); from main() %.1f ms, "
        "loading before main() about %.0f ms\n",
        total_shown_ms, shown_ms, before_main_ms);

    window.Edit_data_dir_name->setText(QDir(temp.path()).filePath("data"));
    window.BitBtn2->click();  // "Обновить список"
    if (!window.ListBox_devs->isVisible()) {
        std::fprintf(stderr, "the demo card was not listed\n");
        return 1;
    }

    t_gap_recorder gaps;
    set_message_processor([&gaps] { gaps.round(); });
    double worst_in_progress = 0;
    for (int pass = 1; pass <= repeat; ++pass) {
        window.ListBox_devs->setCurrentRow(0);
        gaps.start();
        window.btn_read_dev->click();  // "Считать": two whole-cell reads, decode, save
        gaps.finish();
        worst_in_progress = std::max(worst_in_progress, gaps.longest_in_progress_ms);
        std::printf(
            "read %d: %.0f ms, %d event-processing rounds; longest gap while the progress "
            "window is shown %.1f ms; click to first round %.1f ms, longest between rounds "
            "(read end to save dialog included) %.1f ms, save dialog to end %.1f ms\n",
            pass, gaps.total_ms, gaps.rounds, gaps.longest_in_progress_ms, gaps.first_gap_ms,
            gaps.longest_between_ms, gaps.last_gap_ms);
    }
    std::printf("longest gap during the reads: %.1f ms (target < 30 ms)\n", worst_in_progress);
    set_message_processor({});
    window.close();
    const bool ok = dialogs.shown == 0 && total_shown_ms < 500 && worst_in_progress < 30;
    return ok ? 0 : 1;
}

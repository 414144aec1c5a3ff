// The stop-signal watcher on Windows. Ctrl+C and Ctrl+Break of the console reach the
// program on a thread that the system starts, and Qt cannot watch a pipe there: the window
// looks at the recorded stop signal a few times a second instead.
#include <QTimer>
#include <QWidget>

#include "app/U_program_termination.h"
#include "app/gui_stop_signal.h"

namespace {
constexpr int poll_interval_ms = 100;
}

t_stop_signal_watcher::t_stop_signal_watcher(QWidget& main_window) : main_window(main_window) {
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, &t_stop_signal_watcher::on_wakeup);
    poll->start(poll_interval_ms);
}

t_stop_signal_watcher::~t_stop_signal_watcher() = default;

void t_stop_signal_watcher::on_wakeup() {
    if (termination_signal() == 0) {
        return;
    }
    if (auto* poll = qobject_cast<QTimer*>(sender())) {
        poll->stop();  // try_close retries by itself from here on
    }
    try_close();
}

void t_stop_signal_watcher::try_close() {
    if (!main_window.isVisible() || main_window.close()) {
        return;
    }
    QTimer::singleShot(100, this, &t_stop_signal_watcher::try_close);
}

#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <fcntl.h>
#include <unistd.h>

#include "app/U_program_termination.h"
#include "app/gui_stop_signal.h"

t_stop_signal_watcher::t_stop_signal_watcher(QWidget& main_window) : main_window(main_window) {
    if (::pipe(pipe_fds) != 0) {
        pipe_fds[0] = pipe_fds[1] = -1;
        return;
    }
    for (int fd : pipe_fds) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    notifier = new QSocketNotifier(pipe_fds[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &t_stop_signal_watcher::on_wakeup);
    set_termination_wakeup_fd(pipe_fds[1]);
}

t_stop_signal_watcher::~t_stop_signal_watcher() {
    set_termination_wakeup_fd(-1);
    delete notifier;
    for (int fd : pipe_fds) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

void t_stop_signal_watcher::on_wakeup() {
    char bytes[64];
    while (::read(pipe_fds[0], bytes, sizeof bytes) > 0) {
    }
    try_close();
}

void t_stop_signal_watcher::try_close() {
    if (!main_window.isVisible() || main_window.close()) {
        return;
    }
    QTimer::singleShot(100, this, &t_stop_signal_watcher::try_close);
}

// A stop signal (SIGINT, SIGTERM) ends the window program through its normal path: the
// running card command stops at its next check (the signal cleared the stop flag), then the
// main window closes, storing the settings, and the event loop ends.
#pragma once

#include <QObject>

class QSocketNotifier;
class QWidget;

class t_stop_signal_watcher : public QObject {
    Q_OBJECT

  public:
    // Registers a wake-up pipe with the termination handlers (U_program_termination.h).
    explicit t_stop_signal_watcher(QWidget& main_window);
    ~t_stop_signal_watcher() override;

    // The descriptor that the signal handler writes to.
    int wakeup_fd() const { return pipe_fds[1]; }

  private:
    void on_wakeup();
    // Closes the main window; while a card command runs the window refuses, so try again.
    void try_close();

    QWidget& main_window;
    int pipe_fds[2] = {-1, -1};
    QSocketNotifier* notifier = nullptr;
};

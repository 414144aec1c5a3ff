// h_trelmo-cli as a process: the real terminal, standard streams and Ctrl+C.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <string>

#include "device/cell_image_builder.h"
#include "support/test_env.h"

namespace {

// The tool started with `args`, its standard input from `stdin_fd`, its error output
// collected from a pipe.
class t_cli_process {
  public:
    t_cli_process(const std::vector<std::string>& args, int stdin_fd) {
        int err[2];
        if (::pipe(err) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(stdin_fd, STDIN_FILENO);
            ::dup2(err[1], STDERR_FILENO);
            const int null_fd = ::open("/dev/null", O_WRONLY);
            ::dup2(null_fd, STDOUT_FILENO);
            ::close(err[0]);
            std::vector<char*> argv{const_cast<char*>(H_TRELMO_CLI)};
            for (const std::string& arg : args) {
                argv.push_back(const_cast<char*>(arg.c_str()));
            }
            argv.push_back(nullptr);
            ::execv(H_TRELMO_CLI, argv.data());
            ::_exit(127);
        }
        ::close(err[1]);
        err_ = err[0];
    }
    ~t_cli_process() {
        if (err_ >= 0) {
            ::close(err_);
        }
    }
    // Reads the error output until it contains `text` (at most 30 s).
    bool wait_for(const std::string& text) {
        while (collected_.find(text) == std::string::npos) {
            pollfd p{err_, POLLIN, 0};
            char buffer[256];
            if (::poll(&p, 1, 30000) != 1) {
                return false;
            }
            const ssize_t n = ::read(err_, buffer, sizeof buffer);
            if (n <= 0) {
                return false;
            }
            collected_.append(buffer, static_cast<size_t>(n));
        }
        return true;
    }
    void send(int signal_number) { ::kill(pid_, signal_number); }
    // The exit status, -1 when the process did not exit normally.
    int exit_status() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    pid_t pid_ = -1;
    int err_ = -1;
    std::string collected_;
};

class t_cli_as_process : public t_test_env {
  protected:
    t_cli_as_process() {
        t_cell_image_builder cell;
        cell.device_number(1234).record(0, 5, 3, 10, 23);
        image = temp.file("cell.bin");
        write_file_bytes(image, std::string(cell.image.begin(), cell.image.end()));
        existing = temp.file("out.z7m");
        write_file_bytes(existing, "old");
    }
    std::string image;
    std::string existing;
};

TEST_F(t_cli_as_process, WithoutATerminalTheQuestionIsAnsweredNo) {
    const int null_fd = ::open("/dev/null", O_RDONLY);
    t_cli_process cli({"decode", image, "-o", existing}, null_fd);
    ::close(null_fd);
    EXPECT_TRUE(cli.wait_for("нет (нет терминала)"));
    EXPECT_EQ(cli.exit_status(), 1);
    EXPECT_EQ(read_file_bytes(existing), "old");
}

TEST_F(t_cli_as_process, CtrlCInterruptsTheQuestionOnATerminal) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const int terminal = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    t_cli_process cli({"decode", image, "-o", existing}, terminal);
    EXPECT_TRUE(cli.wait_for("Заменить его? [д/н]: "));
    cli.send(SIGINT);
    EXPECT_EQ(cli.exit_status(), 130);
    EXPECT_EQ(read_file_bytes(existing), "old");
    ::close(terminal);
    ::close(master);
}

}  // namespace

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "common/hunits/cp1251.h"
#include "support/test_env.h"

namespace {

// Runs the termination child (it logs into H_SYSTEM_DIR of the test environment).
class t_child {
  public:
    explicit t_child(const char* mode) {
        int out[2];
        if (::pipe(out) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::execl(H_TRELMO_TERMINATION_CHILD, H_TRELMO_TERMINATION_CHILD, mode, nullptr);
            ::_exit(127);
        }
        ::close(out[1]);
        out_ = out[0];
    }
    ~t_child() {
        if (out_ >= 0) {
            ::close(out_);
        }
    }
    // True once the child printed its ready line (at most 30 s).
    bool wait_ready() {
        pollfd p{out_, POLLIN, 0};
        char text[16] = {};
        return ::poll(&p, 1, 30000) == 1 && ::read(out_, text, sizeof text - 1) > 0 &&
               std::string(text) == "ready\n";
    }
    void send(int signal_number) { ::kill(pid_, signal_number); }
    int wait_status() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        return status;
    }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
};

class ProgramTermination : public t_test_env {
  protected:
    // The text (UTF-8) of the one log file the child wrote.
    std::string child_log() const {
        const std::string logs = system_dir + "/h_trelmo/logs";
        std::string text;
        int files = 0;
        for (const std::string& name : list_dir(logs)) {
            if (name.ends_with(".log")) {
                ++files;
                text = cp1251_to_utf8(read_file_bytes(logs + "/" + name));
            }
        }
        EXPECT_EQ(files, 1);
        return text;
    }
    static void expect_all_lines(const std::string& log) {
        EXPECT_NE(log.find("\topen log; pc_name = "), std::string::npos);
        for (int i = 1; i <= 5; ++i) {
            EXPECT_NE(log.find("\t[i]\tстрока " + std::to_string(i) + "\r\n"), std::string::npos)
                << i;
        }
    }
};

TEST_F(ProgramTermination, AStopSignalEndsTheProgramNormallyWithTheWholeLog) {
    for (const int signal_number : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal_number);
        t_temp_dir run_dir;
        system_dir = run_dir.path();
        setenv("H_SYSTEM_DIR", system_dir.c_str(), 1);

        t_child child("wait");
        ASSERT_TRUE(child.wait_ready());
        child.send(signal_number);
        const int status = child.wait_status();
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 130);

        const std::string log = child_log();
        expect_all_lines(log);
        EXPECT_NE(log.find("\t[i]\twake-up byte\r\n"), std::string::npos);
        EXPECT_TRUE(log.ends_with("\t[i]\tstop signal " + std::to_string(signal_number) + "\r\n"))
            << log;
    }
}

TEST_F(ProgramTermination, TerminateWritesOutTheLogBeforeTheProcessAborts) {
    t_child child("terminate");
    const int status = child.wait_status();
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGABRT);
    expect_all_lines(child_log());
}

TEST_F(ProgramTermination, WriteOutHelperSavesTheLinesOfAnAbruptEnd) {
    t_child child("write_out");
    const int status = child.wait_status();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    expect_all_lines(child_log());
}

}  // namespace

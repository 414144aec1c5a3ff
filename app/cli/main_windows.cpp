// The tool's entry on Windows. The arguments are taken from the wide command line, since
// main's narrow ones are in the ANSI code page; the console shows the program's UTF-8
// output while the tool runs, and gets its own settings back at the end.
#include <windows.h>

#include <string>
#include <vector>

#include "app/cli/cli_main.h"
#include "common/hunits/platform/h_platform.h"

namespace {

class t_console_for_utf8 {
  public:
    t_console_for_utf8() : code_page_(::GetConsoleOutputCP()) {
        if (code_page_ != 0) {
            ::SetConsoleOutputCP(CP_UTF8);
        }
        // Colour marks of the reports are terminal escape sequences.
        for (const DWORD which : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
            t_mode& mode = modes_[which == STD_OUTPUT_HANDLE ? 0 : 1];
            mode.handle = ::GetStdHandle(which);
            if (mode.handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(mode.handle, &mode.old)) {
                mode.saved = true;
                ::SetConsoleMode(mode.handle, mode.old | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
            }
        }
    }
    ~t_console_for_utf8() {
        for (const t_mode& mode : modes_) {
            if (mode.saved) {
                ::SetConsoleMode(mode.handle, mode.old);
            }
        }
        if (code_page_ != 0) {
            ::SetConsoleOutputCP(code_page_);
        }
    }
    t_console_for_utf8(const t_console_for_utf8&) = delete;
    t_console_for_utf8& operator=(const t_console_for_utf8&) = delete;

  private:
    struct t_mode {
        HANDLE handle = INVALID_HANDLE_VALUE;
        DWORD old = 0;
        bool saved = false;
    };
    UINT code_page_;
    t_mode modes_[2];
};

}  // namespace

int main() {
    const t_console_for_utf8 console;
    std::vector<std::string> args = h_platform::process_arguments();
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    return cli_run_process(static_cast<int>(args.size()), argv.data());
}

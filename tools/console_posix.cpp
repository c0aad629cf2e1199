#include "console.h"
#include "host_path.h"

#include <quorvel/progress.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace cli {
namespace {

void on_interrupt(int) { Prg_SetCancel(1); }

}  // namespace

bool read_secret(const char *prompt, std::u16string &answer) {
    const int tty = open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (tty < 0) return false;
    termios saved{};
    const bool modes = tcgetattr(tty, &saved) == 0;
    if (modes) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(tty, TCSAFLUSH, &quiet);
    }
    if (write(tty, prompt, std::char_traits<char>::length(prompt)) < 0) {
    }
    std::string line;
    char c;
    bool ended = false;
    while (read(tty, &c, 1) == 1) {
        if (c == '\n' || c == '\r') {
            ended = true;
            break;
        }
        line += c;
    }
    if (modes) tcsetattr(tty, TCSAFLUSH, &saved);
    if (write(tty, "\n", 1) < 0) {
    }
    close(tty);
    answer = from_utf8(line);
    return ended;
}

void cancel_on_interrupt() {
    struct sigaction action {};
    action.sa_handler = on_interrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

bool error_is_terminal() { return isatty(STDERR_FILENO) == 1; }

// The C library reads zone names from the system's zone database.
void use_time_zone(const char *) {}

bool environment_text(const char *name, std::u16string &value) {
    const char *text = std::getenv(name);
    if (!text) return false;
    value = from_utf8(text);
    return true;
}

}  // namespace cli

// The terminal form of the progress window, driven through a
// pseudo-terminal: a child process runs the library with the terminal as
// its standard streams, the test reads what it draws and types the keys.
#include <quorvel/progress.h>

#include "support/message_box_capture.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <regex>
#include <string>

namespace {

using test::u16;
using Clock = std::chrono::steady_clock;

// The child's side: checks and hand-shakes go to the report pipe.
int g_report = -1;
int g_go = -1;  // the parent writes a byte when the child may go on

void wait_for_parent() {
    char go;
    if (read(g_go, &go, 1) != 1) _exit(4);
}

void report(const std::string &line) {
    std::string text = line + "\n";
    if (write(g_report, text.data(), text.size()) < 0) _exit(3);
}

#define CHILD_CHECK(condition) \
    ((condition) ? (void)0 : report(std::string("FAILED ") + __FILE__ + ":" + std::to_string(__LINE__) + ": " #condition))

bool wait_until(const std::function<bool()> &condition, int milliseconds = 3000) {
    auto until = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (Clock::now() < until) {
        if (condition()) return true;
        usleep(10000);
    }
    return condition();
}

int entries_of(const char *folder) {
    int count = 0;
    if (DIR *dir = opendir(folder)) {
        while (readdir(dir)) ++count;
        closedir(dir);
    }
    return count;
}

std::string without_escapes(const std::string &screen) {
    return std::regex_replace(screen, std::regex("\x1b\\[[0-9;?]*[A-Za-z]"), "");
}

// The parent's side of one child.
class Child {
public:
    // With `terminal`, the child's standard streams are a new 80-column
    // pseudo-terminal; without, they are a pipe.
    Child(bool terminal, const std::function<void()> &body) {
        int pipe_ends[2], go[2];
        EXPECT_EQ(pipe(pipe_ends), 0);
        EXPECT_EQ(pipe(go), 0);
        int output[2] = {-1, -1};
        if (terminal) {
            winsize size{};
            size.ws_col = 80;
            size.ws_row = 24;
            pid_ = forkpty(&screen_, nullptr, nullptr, &size);
        } else {
            EXPECT_EQ(pipe(output), 0);
            pid_ = fork();
        }
        if (pid_ == 0) {
            close(pipe_ends[0]);
            close(go[1]);
            g_report = pipe_ends[1];
            g_go = go[0];
            if (!terminal) {
                dup2(output[1], STDOUT_FILENO);
                dup2(output[1], STDERR_FILENO);
                close(output[0]);
            }
            body();
            report("END");
            _exit(0);
        }
        close(pipe_ends[1]);
        close(go[0]);
        reports_ = pipe_ends[0];
        go_ = go[1];
        if (!terminal) {
            close(output[1]);
            screen_ = output[0];
        }
    }

    ~Child() {
        // A sanitizer in the child reports on the child's standard error.
        EXPECT_EQ(everything_.find("Sanitizer"), std::string::npos) << everything_;
        int status = 0;
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        close(reports_);
        close(screen_);
        close(go_);
    }

    // Reads the screen and the reports until `done` holds. Returns false
    // (recording failures) when it does not come in time.
    bool read_until(const std::function<bool()> &done, const std::string &what, int milliseconds = 8000) {
        auto until = Clock::now() + std::chrono::milliseconds(milliseconds);
        while (!done()) {
            if (Clock::now() >= until) {
                ADD_FAILURE() << "never came: " << what;
                return false;
            }
            pollfd fds[2] = {{screen_, POLLIN, 0}, {reports_, POLLIN, 0}};
            poll(fds, 2, 50);
            char buffer[4096];
            if (fds[0].revents & POLLIN) {
                ssize_t n = read(screen_, buffer, sizeof buffer);
                if (n > 0) {
                    screen_text_.append(buffer, static_cast<std::size_t>(n));
                    everything_.append(buffer, static_cast<std::size_t>(n));
                }
            }
            if (fds[1].revents & POLLIN) {
                ssize_t n = read(reports_, buffer, sizeof buffer);
                if (n > 0) report_text_.append(buffer, static_cast<std::size_t>(n));
            }
        }
        return true;
    }

    // Until the child reports `line`; its failed checks are recorded.
    bool await(const std::string &line, int milliseconds = 8000) {
        return read_until([&] {
            for (std::size_t end; (end = report_text_.find('\n')) != std::string::npos;) {
                std::string got = report_text_.substr(0, end);
                report_text_.erase(0, end + 1);
                if (got.rfind("FAILED", 0) == 0) ADD_FAILURE() << got;
                if (got == line) return true;
            }
            return false;
        }, line, milliseconds);
    }

    // Until the screen, with or without its escape codes, shows `text`.
    bool await_screen(const std::string &text, bool raw = false) {
        return read_until([&] {
            return (raw ? screen_text_ : without_escapes(screen_text_)).find(text) != std::string::npos;
        }, text);
    }

    void proceed() { EXPECT_EQ(write(go_, "g", 1), 1); }

    void type(const std::string &keys) {
        EXPECT_EQ(write(screen_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }

    // Everything drawn so far; forget it for the next look.
    std::string take_screen() {
        std::string all;
        all.swap(screen_text_);
        return all;
    }

private:
    pid_t pid_ = -1;
    int screen_ = -1;
    int reports_ = -1;
    int go_ = -1;
    std::string screen_text_, report_text_, everything_;
};

// Cells of the last run drawn in `colour` (an escape code), up to the next
// escape code.
int last_run(const std::string &screen, const std::string &colour) {
    std::size_t at = screen.rfind(colour);
    if (at == std::string::npos) return -1;
    at += colour.size();
    return static_cast<int>(screen.find('\x1b', at) - at);
}

const std::string kBlue = "\x1b[30;104m";
const std::string kGreen = "\x1b[30;102m";

TEST(TerminalWindow, DrawsTheWindowAndTakesTheKeys) {
    Child child(true, [] {
        termios before{};
        tcgetattr(STDERR_FILENO, &before);
        int cancel = -1, pause = -1;
        CHILD_CHECK(Prg_CreateProgress(nullptr, &cancel, &pause, nullptr) == 1);
        CHILD_CHECK(Prg_IsProgress() == 1);
        Prg_OpenProgress(u16(u"暗号化"));
        Prg_SetVersion(u16(u"1.0"));
        Prg_SetFileName(u16(u"C:\\データ\\a.txt"));
        Prg_SetMessage(u16(u"テスト中"));
        Prg_SetProgress(50, 200);

        CHILD_CHECK(wait_until([] { return Prg_IsResume() == 1; }, 8000));
        CHILD_CHECK(__atomic_load_n(&pause, __ATOMIC_SEQ_CST) == 1);
        CHILD_CHECK(Prg_DoResume() == 1);
        report("PAUSED");
        CHILD_CHECK(wait_until([] { return Prg_IsResume() == 0; }, 8000));
        CHILD_CHECK(__atomic_load_n(&pause, __ATOMIC_SEQ_CST) == 0);
        Prg_SetProgress2(120);
        wait_for_parent();
        Prg_ViewCounter(1);
        Prg_SetProgress(7, 200);
        Prg_SetProgress2(3);
        wait_for_parent();
        Prg_ViewCounter(0);
        // Done alone, then total alone, pass through; then done is raised
        // past the total in the counter view, and adding 0 keeps it there.
        Prg_SetProgress2(0);
        Prg_ProgressCall(100, 50, 0);
        Prg_ProgressCall(100, 60, 0);
        Prg_ProgressCall(200, 60, 0);
        Prg_ViewCounter(1);
        Prg_SetProgressAdd(240);
        Prg_ViewCounter(0);
        Prg_SetProgressAdd(0);

        CHILD_CHECK(wait_until([] { return Prg_IsCancel() == 1; }));
        CHILD_CHECK(__atomic_load_n(&cancel, __ATOMIC_SEQ_CST) == 1);
        CHILD_CHECK(wait_until([] { return Prg_IsProgress() == 0; }));
        CHILD_CHECK(Prg_IsResume() == 0);
        CHILD_CHECK(Prg_ProgressCall(100, 1, 0) == 0);
        termios after{};
        tcgetattr(STDERR_FILENO, &after);
        CHILD_CHECK(after.c_lflag == before.c_lflag);
        // The next window starts uncancelled.
        CHILD_CHECK(Prg_CreateProgress(nullptr, nullptr, nullptr, nullptr) == 1);
        CHILD_CHECK(Prg_IsCancel() == 0);
        Prg_CloseProgress();
    });

    // A second after the start, with everything drawn.
    ASSERT_TRUE(child.await_screen("00:00:01"));
    ASSERT_TRUE(child.await_screen("           50 / 200          "));
    // The message has its own drawing thread, which a slow run may reach last.
    ASSERT_TRUE(child.await_screen("テスト中"));
    std::string screen = child.take_screen();
    std::string text = without_escapes(screen);
    EXPECT_NE(text.find("暗号化 - Version 1.0"), std::string::npos) << text;
    EXPECT_NE(text.find("C:\\データ\\a.txt"), std::string::npos);
    EXPECT_NE(text.find("[Ctrl-C] 取り消し(C)"), std::string::npos);
    EXPECT_NE(text.find("停止(S)"), std::string::npos);
    // 79 columns: a bar of 77 cells, a quarter of it blue.
    EXPECT_EQ(last_run(screen, kBlue), 77 * 50 / 200);

    child.type("p");
    ASSERT_TRUE(child.await("PAUSED"));
    ASSERT_TRUE(child.await_screen("再開(S)"));
    child.take_screen();
    child.type(" ");
    ASSERT_TRUE(child.await_screen("          120 / 200          "));
    EXPECT_EQ(last_run(child.take_screen(), kGreen), 77 * 120 / 200);

    // The counter view: bare counts, centred, no bar.
    child.proceed();
    ASSERT_TRUE(child.await_screen("[" + std::string(36, ' ') + "3 / 7" + std::string(36, ' ') + "]"));
    child.proceed();
    EXPECT_TRUE(child.await_screen("          300 / 200          "));

    child.type("\x03");
    ASSERT_TRUE(child.await("END"));
    // The block is cleared and the cursor shown again.
    EXPECT_TRUE(child.await_screen("\x1b[J\x1b[?25h", true));
}

TEST(TerminalWindow, NothingWithoutATerminal) {
    Child child(false, [] {
        int cancel = -1;
        CHILD_CHECK(Prg_CreateProgress(nullptr, &cancel, nullptr, nullptr) == 0);
        CHILD_CHECK(Prg_IsProgress() == 0);
        Prg_OpenProgress(u16(u"暗号化"));
        Prg_SetProgress(1, 2);
        CHILD_CHECK(Prg_CloseProgress() == 1);
        CHILD_CHECK(cancel == -1);
    });
    ASSERT_TRUE(child.await("END"));
    EXPECT_EQ(child.take_screen(), "");
}

TEST(TerminalWindow, WindowsComeAndGoWithoutLeavingThreadsOrFiles) {
    Child child(true, [] {
        CHILD_CHECK(Prg_CreateProgress(nullptr, nullptr, nullptr, nullptr) == 1);
        CHILD_CHECK(Prg_CreateProgress(nullptr, nullptr, nullptr, nullptr) == 0);
        Prg_CloseProgress();
        int threads = entries_of("/proc/self/task");
        int files = entries_of("/proc/self/fd");
        for (int i = 0; i < 20; ++i) {
            CHILD_CHECK(Prg_CreateProgress(nullptr, nullptr, nullptr, nullptr) == 1);
            Prg_SetProgress(i, 20);
            Prg_SetMessage(u16(u"繰り返し"));
            Prg_CloseProgress();
        }
        CHILD_CHECK(entries_of("/proc/self/task") == threads);
        CHILD_CHECK(entries_of("/proc/self/fd") == files);
    });
    EXPECT_TRUE(child.await("END", 60000));
}

}  // namespace

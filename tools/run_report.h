// What a run of encrypt or decrypt tells its user: one progress line on a
// terminal (files and bytes done of their totals, rate, time left), every
// file not done with its reason, and a summary line at the end.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace cli {

// A file's size as its folder lists it (no open, so a file being written
// is not disturbed); -1 when it is not there.
int64_t listed_size(const std::u16string &path);

class RunReport {
public:
    // `live`: draw the progress line (standard error is a terminal and
    // --quiet was not given).
    RunReport(const char *command, bool live);
    ~RunReport();

    void start(int files, int64_t bytes);
    // The file being worked on; its output grows at `watched` (a path the
    // progress line looks at for a large file's own progress).
    void begin(const std::u16string &watched);
    void done(int64_t bytes);
    void folder_done() { ++folders_; }
    // Names what was not done and why (one line on standard error).
    void failure(const std::string &what);
    int failures() const { return failures_; }
    // The summary line; the exit status of the run follows from it.
    void finish(bool cancelled);

private:
    void draw(bool last);
    void tick();

    const char *command_;
    bool live_;
    int files_total_ = 0, files_done_ = 0, folders_ = 0, failures_ = 0;
    int64_t bytes_total_ = 0;
    std::atomic<int64_t> bytes_done_{0};
    std::u16string watched_;
    std::chrono::steady_clock::time_point started_;
    std::mutex mutex_;  // the line on the terminal and watched_
    std::condition_variable wake_;
    bool stopping_ = false;
    size_t drawn_ = 0;
    std::thread ticker_;
};

}  // namespace cli

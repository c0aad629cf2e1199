// The progress line and the summary of encrypt and decrypt. The line is
// redrawn four times a second by a thread of its own, so that a single
// large file shows its progress too: the bytes done are those of the files
// finished plus what the current output holds so far.
#include "run_report.h"

#include "host_path.h"

#include "platform/win32.h"

#include <algorithm>
#include <cstdio>

namespace cli {
namespace {

std::string amount(double bytes) {
    const char *units[] = {"B", "KiB", "MiB", "GiB", "TiB"};
    int unit = 0;
    while (bytes >= 1024 && unit < 4) {
        bytes /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, unit ? "%.1f %s" : "%.0f %s", bytes, units[unit]);
    return text;
}

std::string clock_text(double seconds) {
    const long whole = static_cast<long>(seconds + 0.5);
    char text[32];
    if (whole >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60,
                      whole % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

}  // namespace

int64_t listed_size(const std::u16string &path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(as_wide(path), GetFileExInfoStandard, &data))
        return -1;
    return static_cast<int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

RunReport::RunReport(const char *command, bool live)
    : command_(command), live_(live), started_(std::chrono::steady_clock::now()) {}

RunReport::~RunReport() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (ticker_.joinable()) ticker_.join();
}

void RunReport::start(int files, int64_t bytes) {
    files_total_ = files;
    bytes_total_ = bytes;
    started_ = std::chrono::steady_clock::now();
    if (live_) ticker_ = std::thread([this] { tick(); });
}

void RunReport::begin(const std::u16string &watched) {
    std::lock_guard<std::mutex> lock(mutex_);
    watched_ = watched;
}

void RunReport::done(int64_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    watched_.clear();
    ++files_done_;
    bytes_done_ += bytes;
}

void RunReport::failure(const std::string &what) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++failures_;
    if (drawn_) std::fprintf(stderr, "\r%*s\r", static_cast<int>(drawn_), "");
    drawn_ = 0;
    std::fprintf(stderr, "quorvel %s: %s\n", command_, what.c_str());
}

void RunReport::tick() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!wake_.wait_for(lock, std::chrono::milliseconds(250), [this] { return stopping_; }))
        draw(false);
}

// Called with the mutex held.
void RunReport::draw(bool last) {
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    int64_t bytes = bytes_done_ + (last || watched_.empty() ? 0 : std::max<int64_t>(0, listed_size(watched_)));
    if (bytes > bytes_total_) bytes = bytes_total_;
    const double rate = elapsed > 0 ? bytes / elapsed : 0;
    std::string line = "  " + std::to_string(files_done_) + "/" + std::to_string(files_total_) +
                       " files  " + amount(static_cast<double>(bytes)) + "/" +
                       amount(static_cast<double>(bytes_total_)) + "  " + amount(rate) + "/s";
    if (rate > 0 && !last)
        line += "  " + clock_text((bytes_total_ - bytes) / rate) + " left";
    const size_t length = line.size();
    if (length < drawn_) line.append(drawn_ - length, ' ');
    std::fprintf(stderr, "\r%s", line.c_str());
    std::fflush(stderr);
    drawn_ = length;
}

void RunReport::finish(bool cancelled) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (ticker_.joinable()) ticker_.join();
    if (drawn_) std::fprintf(stderr, "\r%*s\r", static_cast<int>(drawn_), "");
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    std::fprintf(stderr, "quorvel %s: %s%d of %d files and %d folders done, %s in %.1f s, %d %s\n",
                 command_, cancelled ? "cancelled; " : "", files_done_, files_total_, folders_,
                 amount(static_cast<double>(bytes_done_)).c_str(), elapsed, failures_,
                 failures_ == 1 ? "failure" : "failures");
}

}  // namespace cli

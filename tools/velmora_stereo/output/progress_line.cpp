// A progress line on a terminal for a step that may take a while.
#include "output/progress_line.hpp"

#include <chrono>
#include <cstdio>
#include <ostream>

namespace velmora::stereo_tool {
namespace {

// Steps shorter than this pass without a line, so quick commands stay quiet.
constexpr std::chrono::milliseconds kQuietPeriod{1000};
constexpr std::chrono::milliseconds kUpdatePeriod{250};
constexpr std::size_t kTextSize = 32;
// Carriage return, then "erase to the end of the line".
constexpr const char* kEraseLine = "\r\x1b[K";

}  // namespace

ProgressLine::ProgressLine(std::string label, std::ostream& err, bool enabled)
    : label_(std::move(label)), err_(err) {
    if (enabled) thread_ = std::thread([this] { show_until_done(); });
}

ProgressLine::~ProgressLine() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        done_ = true;
    }
    done_changed_.notify_all();
    if (thread_.joinable()) thread_.join();
    if (shown_) err_ << kEraseLine << std::flush;
}

void ProgressLine::show_until_done() {
    const auto start = std::chrono::steady_clock::now();
    std::unique_lock<std::mutex> lock(mutex_);
    if (done_changed_.wait_for(lock, kQuietPeriod, [this] { return done_; })) return;
    do {
        const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
        char seconds[kTextSize];
        std::snprintf(seconds, sizeof seconds, "%.1f s", spent.count());
        err_ << kEraseLine << label_ << "... " << seconds << std::flush;
        shown_ = true;
    } while (!done_changed_.wait_for(lock, kUpdatePeriod, [this] { return done_; }));
}

}  // namespace velmora::stereo_tool

// A progress line on a terminal for a step that may take a while: after about
// a second it shows the step and the time spent, updated until the step ends.
#pragma once

#include <condition_variable>
#include <iosfwd>
#include <mutex>
#include <string>
#include <thread>

namespace velmora::stereo_tool {

class ProgressLine {
public:
    // Shows nothing unless enabled (standard error is a terminal).
    ProgressLine(std::string label, std::ostream& err, bool enabled);
    ~ProgressLine();  // erases the line
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

private:
    void show_until_done();

    std::string label_;
    std::ostream& err_;
    std::mutex mutex_;
    std::condition_variable done_changed_;
    bool done_ = false;
    bool shown_ = false;
    std::thread thread_;
};

}  // namespace velmora::stereo_tool

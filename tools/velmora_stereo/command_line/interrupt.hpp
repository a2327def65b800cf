// Ctrl-C while a command runs: a flag its loop checks, so the command can finish
// the line it is writing, close its session and print its summary.
#pragma once

#include <chrono>

namespace velmora::stereo_tool {

// While alive, Ctrl-C (SIGINT; on Windows the console's Ctrl-C and Ctrl-Break
// events) only raises the flag instead of ending the process.
class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    bool requested() const;
    // Sleeps until deadline, waking early when Ctrl-C arrives.
    void sleep_until(std::chrono::steady_clock::time_point deadline) const;
};

}  // namespace velmora::stereo_tool

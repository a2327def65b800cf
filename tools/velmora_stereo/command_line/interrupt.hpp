// Ctrl-C, Ctrl-Break and SIGTERM while a command runs: a flag its loop checks,
// so the command can finish what it is doing (a flash write is never cut in
// half), close its session and print its summary.
#pragma once

#include <chrono>

namespace velmora::stereo_tool {

// While alive, Ctrl-C and SIGTERM (on Windows the console's Ctrl-C, Ctrl-Break
// and close events) only raise the flag instead of ending the process.
class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    bool requested() const;
    // 130 after Ctrl-C or Ctrl-Break, 143 after SIGTERM (or a closed console).
    int exit_status() const;
    // "Ctrl-C" or "SIGTERM", for messages.
    const char* cause() const;
    // Sleeps until deadline, waking early when an interrupt arrives.
    void sleep_until(std::chrono::steady_clock::time_point deadline) const;
};

// While alive, a flash write is under way: an interrupt that arrives says at
// once (on standard error) that the tool finishes the write first, and on
// Windows a closing console waits for it, as long as Windows allows.
class FinishingWrite {
public:
    FinishingWrite();
    ~FinishingWrite();
    FinishingWrite(const FinishingWrite&) = delete;
    FinishingWrite& operator=(const FinishingWrite&) = delete;
};

}  // namespace velmora::stereo_tool

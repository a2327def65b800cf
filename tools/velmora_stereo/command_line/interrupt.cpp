// Ctrl-C while a command runs: a console control handler on Windows, SIGINT elsewhere.
#include "command_line/interrupt.hpp"

#include <algorithm>
#include <atomic>
#include <thread>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX  // keep min and max for std::min
#endif
#include <windows.h>
#else
#include <csignal>
#endif

namespace velmora::stereo_tool {
namespace {

// Lock-free, so the signal handler may set it; on Windows the console handler
// runs on a thread of its own.
std::atomic<bool> g_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");

// Sleeping in short slices keeps the reaction to Ctrl-C quick without relying
// on the sleep being cut short by the signal.
constexpr std::chrono::milliseconds kSleepSlice{20};

#if defined(_WIN32)

BOOL WINAPI on_console_event(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    g_requested = true;
    return TRUE;
}

void install() { SetConsoleCtrlHandler(on_console_event, TRUE); }
void uninstall() { SetConsoleCtrlHandler(on_console_event, FALSE); }

#else

struct sigaction g_previous {};

extern "C" void on_interrupt_signal(int) { g_requested = true; }

void install() {
    struct sigaction action {};
    action.sa_handler = on_interrupt_signal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &g_previous);
}

void uninstall() { sigaction(SIGINT, &g_previous, nullptr); }

#endif

}  // namespace

InterruptWatch::InterruptWatch() {
    g_requested = false;
    install();
}

InterruptWatch::~InterruptWatch() { uninstall(); }

bool InterruptWatch::requested() const { return g_requested; }

void InterruptWatch::sleep_until(std::chrono::steady_clock::time_point deadline) const {
    while (!requested()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(deadline - now, kSleepSlice));
    }
}

}  // namespace velmora::stereo_tool

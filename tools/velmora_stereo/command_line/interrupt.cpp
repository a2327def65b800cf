// Ctrl-C, Ctrl-Break and SIGTERM: console control handlers on Windows, signal
// handlers elsewhere; both only set flags (and may write one fixed line).
#include "command_line/interrupt.hpp"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX  // keep min and max for std::min
#endif
#include <windows.h>
#else
#include <csignal>
#include <unistd.h>
#endif

#include "tool_context.hpp"

namespace velmora::stereo_tool {
namespace {

enum Cause : int { kNone = 0, kInterrupt = 1, kTerminate = 2 };

// Lock-free, so the signal handler may use them; on Windows the console
// handler runs on a thread of its own.
std::atomic<int> g_cause{kNone};
std::atomic<bool> g_writing{false};
std::atomic<bool> g_told{false};
static_assert(std::atomic<int>::is_always_lock_free, "the flags are set from a signal handler");
static_assert(std::atomic<bool>::is_always_lock_free, "the flags are set from a signal handler");

// Sleeping in short slices keeps the reaction quick without relying on the
// sleep being cut short by the signal.
constexpr std::chrono::milliseconds kSleepSlice{20};

constexpr char kFinishingLine[] =
    "\nvelmora-stereo: finishing the flash write first (erase, write, read-back); it will stop after that\n";

void record(Cause cause) {
    int expected = kNone;
    g_cause.compare_exchange_strong(expected, cause);
}

#if defined(_WIN32)

// After a console close Windows ends the process about five seconds later
// whatever the handler does; waiting a little less lets a short write end.
constexpr DWORD kCloseGraceMs = 4500;
HANDLE g_write_done = nullptr;  // signalled while no write is under way

void tell_finishing() {
    if (g_told.exchange(true)) return;
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), kFinishingLine, sizeof kFinishingLine - 1, &written, nullptr);
}

BOOL WINAPI on_console_event(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            record(kInterrupt);
            if (g_writing) tell_finishing();
            return TRUE;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            record(kTerminate);
            if (g_writing) {
                tell_finishing();
                WaitForSingleObject(g_write_done, kCloseGraceMs);
            }
            return TRUE;
        default: return FALSE;
    }
}

void install() {
    if (g_write_done == nullptr) g_write_done = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    SetConsoleCtrlHandler(on_console_event, TRUE);
}
void uninstall() { SetConsoleCtrlHandler(on_console_event, FALSE); }
void write_started() { ResetEvent(g_write_done); }
void write_ended() { SetEvent(g_write_done); }

#else

struct sigaction g_previous_interrupt {};
struct sigaction g_previous_terminate {};

void tell_finishing() {
    if (g_told.exchange(true)) return;
    // write() is safe in a signal handler; a short or failed write loses only the note.
    const ssize_t ignored = write(STDERR_FILENO, kFinishingLine, sizeof kFinishingLine - 1);
    static_cast<void>(ignored);
}

extern "C" void on_signal(int number) {
    record(number == SIGTERM ? kTerminate : kInterrupt);
    if (g_writing) tell_finishing();
}

void install() {
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &g_previous_interrupt);
    sigaction(SIGTERM, &action, &g_previous_terminate);
}

void uninstall() {
    sigaction(SIGINT, &g_previous_interrupt, nullptr);
    sigaction(SIGTERM, &g_previous_terminate, nullptr);
}
void write_started() {}
void write_ended() {}

#endif

}  // namespace

InterruptWatch::InterruptWatch() {
    g_cause = kNone;
    g_told = false;
    install();
}

InterruptWatch::~InterruptWatch() { uninstall(); }

bool InterruptWatch::requested() const { return g_cause != kNone; }

int InterruptWatch::exit_status() const { return g_cause == kTerminate ? kExitTerminated : kExitInterrupted; }

const char* InterruptWatch::cause() const { return g_cause == kTerminate ? "SIGTERM" : "Ctrl-C"; }

void InterruptWatch::sleep_until(std::chrono::steady_clock::time_point deadline) const {
    while (!requested()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(deadline - now, kSleepSlice));
    }
}

FinishingWrite::FinishingWrite() {
    write_started();
    g_writing = true;
    if (g_cause != kNone) tell_finishing();
}

FinishingWrite::~FinishingWrite() {
    g_writing = false;
    write_ended();
}

}  // namespace velmora::stereo_tool

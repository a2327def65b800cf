// Random vendor faults, unplugs and latencies for the soak.
#include "soak_faults.hpp"

#include <chrono>
#include <iterator>
#include <utility>

#include "sonix_virtual/vcam_control.h"

namespace velmora::uvc_stereo::reliability {

namespace {

// Every vendor function but SonixCam_UnInit: a library that refuses to
// uninitialise leaks its Init whatever the caller does.
const char* const kFailingFunctions[] = {
    "SonixCam_Init",         "SonixCam_EnumCameras",       "SonixCam_GetErrorCode",      "SonixCam_GetDevDescriptor",
    "SonixCam_SetNodeID",    "SonixCam_XuRead",            "SonixCam_GetVersion",        "SonixCam_GetSerialFlashType",
    "SonixCam_CstmReadFromSF", "SonixCam_WriteToSF",       "SonixCam_SectorEraseSF",     "SonixCam_SetStatusRegBitWP",
    "SonixCam_SetWriteProtectedSF",
};
// Not found, transfer refused, disconnected, timed out, flash write failed.
const int kVendorCodes[] = {4, 5, 7, 8, 12};
constexpr unsigned kMaxFailureCountdown = 6;
constexpr unsigned kMaxUnplugCountdown = 40;
constexpr unsigned kMaxLatencyUs = 800;
constexpr int kMinPauseMs = 1;
constexpr int kMaxPauseMs = 8;

template <typename T, std::size_t N>
const T& pick(const T (&table)[N], std::mt19937_64& random) {
    return table[std::uniform_int_distribution<std::size_t>(0, N - 1)(random)];
}

void remove_latencies() {
    vcam_set_latency_us("*", 0);
    for (const char* function : kFailingFunctions) vcam_set_latency_us(function, 0);
    vcam_set_latency_us("SonixCam_UnInit", 0);
}

}  // namespace

FaultInjector::FaultInjector(std::vector<std::string> cameras, std::uint64_t seed)
    : cameras_(std::move(cameras)), random_(seed) {}

FaultInjector::~FaultInjector() {
    if (thread_.joinable()) stop();
}

void FaultInjector::start() { thread_ = std::thread(&FaultInjector::run, this); }

void FaultInjector::stop() {
    stopping_ = true;
    thread_.join();
    vcam_clear_faults();
    remove_latencies();
    replug_all();
}

void FaultInjector::run() {
    std::uniform_int_distribution<int> pause(kMinPauseMs, kMaxPauseMs);
    while (!stopping_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(pause(random_)));
        act();
    }
}

void FaultInjector::act() {
    const int roll = std::uniform_int_distribution<int>(0, 99)(random_);
    if (roll < 35) {
        const unsigned nth = std::uniform_int_distribution<unsigned>(1, kMaxFailureCountdown)(random_);
        if (vcam_fail_call(pick(kFailingFunctions, random_), nth, pick(kVendorCodes, random_)) == 0) {
            ++counts_.failures_armed;
        }
    } else if (roll < 50) {
        const std::string& camera = cameras_[std::uniform_int_distribution<std::size_t>(0, cameras_.size() - 1)(random_)];
        const unsigned nth = std::uniform_int_distribution<unsigned>(1, kMaxUnplugCountdown)(random_);
        const char* function = roll < 42 ? "*" : pick(kFailingFunctions, random_);
        if (vcam_detach_at_call(camera.c_str(), function, nth) == 0) ++counts_.unplugs_armed;
    } else if (roll < 65) {
        replug_all();
        ++counts_.replugs;
    } else if (roll < 90) {
        const char* function = roll < 70 ? "*" : pick(kFailingFunctions, random_);
        vcam_set_latency_us(function, std::uniform_int_distribution<unsigned>(0, kMaxLatencyUs)(random_));
        ++counts_.latency_changes;
    } else {
        remove_latencies();
        ++counts_.latency_changes;
    }
}

void FaultInjector::replug_all() {
    for (const std::string& camera : cameras_) vcam_reattach_device(camera.c_str());
}

}  // namespace velmora::uvc_stereo::reliability

// The soak's outside world: from its own thread it makes vendor calls fail,
// unplugs and replugs the cameras and slows vendor calls down, at random
// (seeded) moments.
#pragma once

#include <atomic>
#include <cstdint>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace velmora::uvc_stereo::reliability {

struct FaultCounts {
    std::uint64_t failures_armed = 0;   // one-shot vendor call failures
    std::uint64_t unplugs_armed = 0;    // one-shot unplugs before some vendor call
    std::uint64_t replugs = 0;          // every camera plugged back in
    std::uint64_t latency_changes = 0;  // a vendor function made slower or faster
};

class FaultInjector {
public:
    FaultInjector(std::vector<std::string> cameras, std::uint64_t seed);
    ~FaultInjector();
    FaultInjector(const FaultInjector&) = delete;
    FaultInjector& operator=(const FaultInjector&) = delete;

    void start();
    // Stops injecting, disarms what did not fire, removes every latency and
    // plugs every camera back in.
    void stop();
    const FaultCounts& counts() const { return counts_; }  // after stop()

private:
    void run();
    void act();
    void replug_all();

    std::vector<std::string> cameras_;
    std::mt19937_64 random_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    FaultCounts counts_;
};

}  // namespace velmora::uvc_stereo::reliability

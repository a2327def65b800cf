// The soak: four threads on two cameras (on each camera one through the C++
// interface and one through the C interface) run a random mix of operations
// while vendor calls fail, cameras are unplugged and replugged and calls slow
// down. Nothing may crash or race, every failure must be clean, every
// document read back must be one some thread wrote completely, and at the end
// no vendor Init is left and every camera works again.
//
// VELMORA_SOAK_SECONDS sets the duration (3 s when unset), VELMORA_SOAK_SEED
// the seed (random when unset; printed either way).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "reliability_test.hpp"
#include "soak_faults.hpp"
#include "soak_worker.hpp"
#include "sonix_virtual/vcam_control.h"
#include "support/virtual_camera.hpp"
#include "support/virtual_camera_test.hpp"

namespace velmora::uvc_stereo::reliability {
namespace {

constexpr unsigned kDefaultSeconds = 3;
const std::int16_t kAccelA[3] = {-16, 1, 32767};
const std::int16_t kGyroA[3] = {-32768, 0, -1};
const std::int16_t kAccelB[3] = {100, -200, 2048};
const std::int16_t kGyroB[3] = {5, -6, 7};

std::uint64_t environment_number(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 10) : fallback;
}

struct World {
    std::vector<test_support::VirtualCamera> cameras;
    std::vector<SoakCamera> soak_cameras;
};

// A reporting camera and a legacy one, each with its own IMU sample and a
// first document written by "factory".
World make_world(std::mt19937_64& random) {
    test_support::VirtualCamera reporting("cam0");
    reporting.pid = 0x0643;
    reporting.imu_samples = {"00 10 FF F0 00 01 7F FF 80 00 00 00 FF FF 12 34 A5"};
    reporting.json_text = make_document("factory", 0, 64, random);
    test_support::VirtualCamera legacy("cam1");
    legacy.pid = 0x0645;
    legacy.legacy = true;
    legacy.imu_samples = {"03 40 00 64 FF 38 08 00 00 05 FF FA 00 07 00 2A 03"};
    legacy.json_text = make_document("factory", 0, 64, random);
    World world;
    world.cameras = {reporting, legacy};
    world.soak_cameras = {
        {"cam0", "", describe_imu_sample(0x51234, 16, kAccelA, kGyroA), "capability state 1"},
        {"cam1", "", describe_imu_sample(0x3002A, 832, kAccelB, kGyroB), "capability state 2"},
    };
    return world;
}

WorkerReport sum_of(const std::vector<SoakWorker>& workers) {
    WorkerReport total;
    for (const SoakWorker& worker : workers) {
        const WorkerReport& report = worker.report();
        for (std::size_t kind = 0; kind < kSoakOperationKinds; ++kind) {
            total.operations[kind].attempts += report.operations[kind].attempts;
            total.operations[kind].succeeded += report.operations[kind].succeeded;
            total.operations[kind].failed_cleanly += report.operations[kind].failed_cleanly;
            total.operations[kind].recovered += report.operations[kind].recovered;
        }
        total.imu_samples += report.imu_samples;
        total.documents_written += report.documents_written;
        total.documents_read += report.documents_read;
        total.documents_lost += report.documents_lost;
        total.opened_as_legacy += report.opened_as_legacy;
        total.unexpected += report.unexpected;
    }
    return total;
}

void print_report(unsigned seconds, std::uint64_t seed, const std::vector<SoakWorker>& workers,
                  const FaultCounts& faults, std::size_t documents) {
    std::printf("soak: %u s, seed %llu, %zu threads on 2 cameras\n", seconds, static_cast<unsigned long long>(seed),
                workers.size());
    std::printf("%-12s %10s %10s %14s %10s\n", "operation", "attempts", "succeeded", "failed cleanly", "recovered");
    const WorkerReport total = sum_of(workers);
    for (std::size_t kind = 0; kind < kSoakOperationKinds; ++kind) {
        const OperationCounts& counts = total.operations[kind];
        std::printf("%-12s %10llu %10llu %14llu %10llu\n", soak_operation_name(static_cast<SoakOperation>(kind)),
                    static_cast<unsigned long long>(counts.attempts), static_cast<unsigned long long>(counts.succeeded),
                    static_cast<unsigned long long>(counts.failed_cleanly),
                    static_cast<unsigned long long>(counts.recovered));
    }
    std::printf("IMU samples read: %llu\n", static_cast<unsigned long long>(total.imu_samples));
    std::printf("documents: %llu written, %llu read back whole, %llu reads found the record erased, %zu distinct\n",
                static_cast<unsigned long long>(total.documents_written),
                static_cast<unsigned long long>(total.documents_read),
                static_cast<unsigned long long>(total.documents_lost), documents);
    std::printf("opens that fell back to the legacy layout: %llu\n",
                static_cast<unsigned long long>(total.opened_as_legacy));
    std::printf("faults: %llu call failures and %llu unplugs armed, %llu replugs, %llu latency changes\n",
                static_cast<unsigned long long>(faults.failures_armed),
                static_cast<unsigned long long>(faults.unplugs_armed), static_cast<unsigned long long>(faults.replugs),
                static_cast<unsigned long long>(faults.latency_changes));
    std::printf("unexpected outcomes: %llu\n", static_cast<unsigned long long>(total.unexpected));
    std::fflush(stdout);
}

// Every worker on its own thread for the given time, the faults running.
void run_workers(std::vector<SoakWorker>& workers, FaultInjector& faults, unsigned seconds) {
    std::atomic<bool> stop{false};
    faults.start();
    std::vector<std::thread> threads;
    for (SoakWorker& worker : workers) threads.emplace_back([&worker, &stop] { worker.run_until(stop); });
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    stop = true;
    for (std::thread& thread : threads) thread.join();
    faults.stop();
}

using SoakTest = ReliabilityTest;

TEST_F(SoakTest, FourThreadsOnTwoCamerasUnderFaults) {
    const auto seconds = static_cast<unsigned>(environment_number("VELMORA_SOAK_SECONDS", kDefaultSeconds));
    const std::uint64_t seed = environment_number("VELMORA_SOAK_SEED", std::random_device{}());
    std::printf("soak seed %llu (VELMORA_SOAK_SEED=%llu repeats its choices)\n",
                static_cast<unsigned long long>(seed), static_cast<unsigned long long>(seed));
    std::fflush(stdout);
    std::mt19937_64 random(seed);

    World world = make_world(random);
    test_support::load_cameras(world.cameras);
    DocumentRegistry registry;
    std::set<std::string> paths;
    for (std::size_t index = 0; index < world.cameras.size(); ++index) {
        SoakCamera& camera = world.soak_cameras[index];
        camera.path = test_support::scanned_camera(camera.serial).device_path;
        paths.insert(camera.path);
        registry.will_write(camera.serial, world.cameras[index].json_text);
    }

    std::vector<SoakWorker> workers;
    workers.reserve(4);
    for (const SoakCamera& camera : world.soak_cameras) {
        workers.emplace_back(camera.serial + "-cpp", make_cpp_client(), camera, paths, registry, random());
        workers.emplace_back(camera.serial + "-c", make_c_client(), camera, paths, registry, random());
    }
    for (SoakWorker& worker : workers) worker.scan_healthy();

    FaultInjector faults({"cam0", "cam1"}, random());
    run_workers(workers, faults, seconds);

    // Every IMU burst closes its session, so nothing may be left initialised.
    EXPECT_EQ(vcam_init_depth(), 0);
    EXPECT_TRUE(test_support::vendor_lock_free());
    for (SoakWorker& worker : workers) worker.finish();
    print_report(seconds, seed, workers, faults.counts(), registry.size());

    for (const SoakWorker& worker : workers) {
        SCOPED_TRACE(worker.name());
        EXPECT_EQ(worker.report().unexpected, 0u);
        for (const std::string& example : worker.report().unexpected_examples) ADD_FAILURE() << example;
        EXPECT_GT(worker.report().operations[static_cast<std::size_t>(SoakOperation::ReadJson)].attempts, 0u);
    }
    EXPECT_EQ(vcam_init_depth(), 0);
    EXPECT_TRUE(test_support::vendor_lock_free());
}

}  // namespace
}  // namespace velmora::uvc_stereo::reliability

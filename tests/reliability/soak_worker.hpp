// One soak thread: a random mix of scans, opens, JSON reads and writes and
// IMU bursts on one camera, through one client, judging every outcome.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "sdk_client.hpp"
#include "soak_documents.hpp"

namespace velmora::uvc_stereo::reliability {

struct SoakCamera {
    std::string serial;      // also the virtual camera's id
    std::string path;        // as the scan lists it
    std::string imu_sample;  // what each IMU read must return (describe_imu_sample)
    std::string capability_state;  // what a healthy open gives ("capability state 1")
};

enum class SoakOperation { Scan, Open, ReadJson, WriteJson, ImuBurst };
constexpr std::size_t kSoakOperationKinds = 5;
const char* soak_operation_name(SoakOperation operation);

struct OperationCounts {
    std::uint64_t attempts = 0;
    std::uint64_t succeeded = 0;
    std::uint64_t failed_cleanly = 0;
    std::uint64_t recovered = 0;  // successes that followed a failure of the same kind
};

struct WorkerReport {
    std::array<OperationCounts, kSoakOperationKinds> operations{};
    std::uint64_t imu_samples = 0;
    std::uint64_t documents_written = 0;
    std::uint64_t documents_read = 0;       // each one intact and written by some thread
    std::uint64_t documents_lost = 0;       // reads that found the record erased by an interrupted write
    std::uint64_t opened_as_legacy = 0;     // opens after both capability reads failed alike
    std::uint64_t unexpected = 0;
    std::vector<std::string> unexpected_examples;  // the first few
};

class SoakWorker {
public:
    SoakWorker(std::string name, std::unique_ptr<SdkClient> client, SoakCamera camera,
               std::set<std::string> known_paths, DocumentRegistry& registry, std::uint64_t seed);

    // Remembers the cameras before the faults start.
    void scan_healthy();
    void run_until(const std::atomic<bool>& stop);
    // Once the faults have stopped: a scan, an open, a write and a read back
    // of a last document must all succeed, and the document must be the one written.
    void finish();

    const std::string& name() const { return name_; }
    const WorkerReport& report() const { return report_; }

private:
    SoakOperation pick_operation();
    void count(SoakOperation operation, const Status& status, bool clean);
    void unexpected(const std::string& what, const Status& status);
    bool judge(SoakOperation operation, const Outcome& outcome, bool success_sound = true);

    void scan();
    void open();
    void read_json();
    void write_json();
    void imu_burst();

    std::string name_;
    std::unique_ptr<SdkClient> client_;
    SoakCamera camera_;
    std::set<std::string> known_paths_;
    DocumentRegistry& registry_;
    std::mt19937_64 random_;
    bool device_open_ = false;
    std::uint64_t sequence_ = 0;
    std::array<bool, kSoakOperationKinds> failed_since_success_{};
    WorkerReport report_;
};

}  // namespace velmora::uvc_stereo::reliability

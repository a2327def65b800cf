// One soak thread's operations and how each outcome is judged.
#include "soak_worker.hpp"

#include <chrono>
#include <sstream>
#include <thread>
#include <utility>

namespace velmora::uvc_stereo::reliability {

namespace {

constexpr std::size_t kKeptExamples = 10;
// Bodies stay below what a legacy camera's 4096-byte user space holds, since
// a reporting camera whose probe was refused twice opens with that layout.
constexpr std::size_t kMaxBodyLength = 3000;
constexpr int kMaxImuReads = 8;
constexpr int kMinRetryPauseMs = 1;
constexpr int kMaxRetryPauseMs = 4;

// Relative weights of the operations, in SoakOperation order.
const int kWeights[kSoakOperationKinds] = {10, 10, 30, 25, 25};

std::size_t index_of(SoakOperation operation) { return static_cast<std::size_t>(operation); }

// What an open may be asked to verify; nullopt is the interface's default.
const std::optional<std::uint32_t> kRequired[] = {std::nullopt, 0u, 1u, 2u, 4u, 5u, 7u};

// An interrupted write leaves the record's sector erased: reading it then
// finds no record at all, which is the clear error a lost document must give.
bool is_lost_document(const Status& status) {
    return status.code() == ErrorCode::BadMagic && status.message() == "flash magic mismatch";
}

}  // namespace

const char* soak_operation_name(SoakOperation operation) {
    static const char* const kNames[kSoakOperationKinds] = {"scan", "open", "read_json", "write_json", "IMU burst"};
    return kNames[index_of(operation)];
}

SoakWorker::SoakWorker(std::string name, std::unique_ptr<SdkClient> client, SoakCamera camera,
                       std::set<std::string> known_paths, DocumentRegistry& registry, std::uint64_t seed)
    : name_(std::move(name)),
      client_(std::move(client)),
      camera_(std::move(camera)),
      known_paths_(std::move(known_paths)),
      registry_(registry),
      random_(seed) {}

void SoakWorker::scan_healthy() {
    const Outcome scanned = client_->scan();
    if (!scanned.status.ok() || client_->listed_path(camera_.serial) != camera_.path) {
        unexpected("scan before the faults started", scanned.status);
    }
}

void SoakWorker::run_until(const std::atomic<bool>& stop) {
    while (!stop) {
        const SoakOperation operation = device_open_ ? pick_operation() : SoakOperation::Open;
        switch (operation) {
            case SoakOperation::Scan: scan(); break;
            case SoakOperation::Open: open(); break;
            case SoakOperation::ReadJson: read_json(); break;
            case SoakOperation::WriteJson: write_json(); break;
            case SoakOperation::ImuBurst: imu_burst(); break;
        }
    }
}

SoakOperation SoakWorker::pick_operation() {
    std::discrete_distribution<std::size_t> pick(std::begin(kWeights), std::end(kWeights));
    return static_cast<SoakOperation>(pick(random_));
}

void SoakWorker::count(SoakOperation operation, const Status& status, bool clean) {
    OperationCounts& counts = report_.operations[index_of(operation)];
    ++counts.attempts;
    bool& failed_before = failed_since_success_[index_of(operation)];
    if (status.ok()) {
        ++counts.succeeded;
        if (failed_before) ++counts.recovered;
        failed_before = false;
        return;
    }
    failed_before = true;
    if (clean) ++counts.failed_cleanly;
}

void SoakWorker::unexpected(const std::string& what, const Status& status) {
    ++report_.unexpected;
    if (report_.unexpected_examples.size() >= kKeptExamples) return;
    report_.unexpected_examples.push_back(name_ + ": " + what + ": " + status.message());
}

// Counts the outcome; a failure must be clean and a success sound.
bool SoakWorker::judge(SoakOperation operation, const Outcome& outcome, bool success_sound) {
    const bool clean = !outcome.status.ok() && is_clean_failure(outcome.status);
    count(operation, outcome.status, clean);
    if (!outcome.status.ok() && !clean) unexpected(soak_operation_name(operation), outcome.status);
    if (outcome.status.ok() && !success_sound) {
        unexpected(std::string(soak_operation_name(operation)) + " returned " + outcome.value, outcome.status);
    }
    return outcome.status.ok();
}

void SoakWorker::scan() {
    const Outcome scanned = client_->scan();
    // Every line names a camera of this world; texts lost to a fault may be missing.
    bool sound = true;
    std::istringstream lines(scanned.value);
    std::string serial;
    std::string path;
    while (lines >> serial >> path) sound = sound && known_paths_.count(path) != 0;
    judge(SoakOperation::Scan, scanned, sound);
}

void SoakWorker::open() {
    const std::optional<std::uint32_t> required =
        kRequired[std::uniform_int_distribution<std::size_t>(0, std::size(kRequired) - 1)(random_)];
    const Outcome opened = client_->open(camera_.path, required);
    device_open_ = opened.status.ok();
    // An application waits a little before it tries a camera that failed to open again.
    if (!device_open_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(
            std::uniform_int_distribution<int>(kMinRetryPauseMs, kMaxRetryPauseMs)(random_)));
    }
    // A reporting camera whose capability reads failed twice with the same
    // call and code (two injected faults alike, or an unplug and a replug
    // between the reads and the probe's look for the camera) is taken for a
    // legacy one, as a camera without the control would be: counted, not a
    // fault.
    const bool legacy_fallback = opened.value == "capability state 2" && camera_.capability_state != opened.value;
    if (legacy_fallback) ++report_.opened_as_legacy;
    // With the flash JSON required, the open reads the document.
    const bool lost = !opened.status.ok() && is_lost_document(opened.status);
    if (lost) {
        count(SoakOperation::Open, opened.status, true);
        return;
    }
    judge(SoakOperation::Open, opened, opened.value == camera_.capability_state || legacy_fallback);
}

void SoakWorker::read_json() {
    const Outcome read = client_->read_json();
    if (!read.status.ok() && is_lost_document(read.status)) {
        ++report_.documents_lost;
        count(SoakOperation::ReadJson, read.status, true);
        return;
    }
    const bool whole = document_is_intact(read.value) && registry_.was_written(camera_.serial, read.value);
    if (judge(SoakOperation::ReadJson, read, whole) && whole) ++report_.documents_read;
}

void SoakWorker::write_json() {
    const std::size_t body = std::uniform_int_distribution<std::size_t>(0, kMaxBodyLength)(random_);
    const std::string document = make_document(name_, ++sequence_, body, random_);
    registry_.will_write(camera_.serial, document);
    if (judge(SoakOperation::WriteJson, client_->write_json(document))) ++report_.documents_written;
}

void SoakWorker::imu_burst() {
    const Outcome opened = client_->open_imu();
    if (!opened.status.ok()) {
        judge(SoakOperation::ImuBurst, opened);
        return;
    }
    const int reads = std::uniform_int_distribution<int>(1, kMaxImuReads)(random_);
    Outcome burst;
    for (int index = 0; index < reads; ++index) {
        const Outcome sample = client_->read_imu();
        if (sample.status.ok() && sample.value != camera_.imu_sample) {
            unexpected("IMU read returned " + sample.value, sample.status);
        }
        if (sample.status.ok()) ++report_.imu_samples;
        if (!sample.status.ok() && burst.status.ok()) burst = sample;
    }
    const Outcome closed = client_->close_imu();
    if (!closed.status.ok()) unexpected("close_imu", closed.status);
    judge(SoakOperation::ImuBurst, burst);
}

void SoakWorker::finish() {
    const Outcome scanned = client_->scan();
    const Outcome opened = client_->open(camera_.path, 0u);
    const std::string document = make_document(name_, ++sequence_, kMaxBodyLength, random_);
    registry_.will_write(camera_.serial, document);
    const Outcome written = client_->write_json(document);
    const Outcome read = client_->read_json();
    const Outcome reopened = client_->open(camera_.path, 5u);
    client_->close();
    for (const Outcome* step : {&scanned, &opened, &written, &read, &reopened}) {
        if (!step->status.ok()) unexpected("once the faults stopped", step->status);
    }
    if (read.status.ok() && read.value != document) unexpected("the last document read back differs", read.status);
    if (opened.value != camera_.capability_state) unexpected("the last open gave " + opened.value, opened.status);
}

}  // namespace velmora::uvc_stereo::reliability

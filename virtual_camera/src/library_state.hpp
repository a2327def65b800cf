// The virtual library's process-wide state: devices, Init depth, error codes, faults, latencies, call log.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "call_log.hpp"
#include "contract_violations.hpp"
#include "device_model.hpp"
#include "fault_plan.hpp"
#include "imu_source.hpp"
#include "nor_flash.hpp"

namespace sonix_virtual {

struct DeviceState {
    DeviceState(DeviceSpec device_spec, std::string source, std::uint16_t attachment_handle);

    DeviceSpec setup;  // its flash lives in `flash`, its IMU script in `imu`
    NorFlash flash;
    std::optional<ImuSource> imu;
    std::string source_json;
    std::uint16_t handle;
    bool attached;
    std::int32_t last_error = 0;
    std::set<std::uint8_t> selected_nodes;  // extension units chosen with SetNodeID
};

class Library {
public:
    // Never destroyed: vendor calls may still arrive while the process unwinds.
    static Library& instance();

    // Every member below requires mutex() to be held.
    std::mutex& mutex() { return mutex_; }

    // Loads VCAM_SCENARIO (or the default scenario) on first use.
    void ensure_loaded();
    bool load_text(const std::string& text, std::string& error);
    bool load_environment(std::string& error);
    void install(Scenario scenario);

    DeviceState* find_by_handle(std::uint16_t handle);
    DeviceState* find_by_id(const std::string& id);
    const std::vector<std::unique_ptr<DeviceState>>& devices() const { return devices_; }
    bool add_device(DeviceSpec setup, std::string source, std::string& error);
    bool update_device(const std::string& id, const std::string& fields_json, std::string& error);
    void detach(DeviceState& device);
    std::size_t attached_count() const;

    const LibrarySpec& behaviour() const { return behaviour_; }
    const BackendSpec& backend(int which) const;
    bool backend_entry_visible(const BackendEntrySpec& entry);

    std::uint32_t latency_us(const std::string& function) const;
    void set_latency_us(const std::string& function, std::uint32_t microseconds);

    int init_depth = 0;
    std::int32_t library_error = 0;
    CallLog log;
    FaultPlan faults;
    ContractViolations violations;  // kept across scenario loads

private:
    Library() = default;
    std::uint16_t allocate_handle();

    std::mutex mutex_;
    bool loaded_ = false;
    LibrarySpec behaviour_;
    std::vector<std::unique_ptr<DeviceState>> devices_;
    BackendSpec msmf_;
    BackendSpec dshow_;
    std::map<std::string, std::uint32_t> latency_us_;
    std::uint16_t next_handle_ = 1;
};

}  // namespace sonix_virtual

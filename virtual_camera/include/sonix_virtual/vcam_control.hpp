// Header-only C++ conveniences over the virtual camera's control interface: a scoped scenario and call-log helpers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sonix_virtual/vcam_control.h"

namespace sonix_virtual {

// Loads a scenario for the guard's lifetime; the default scenario comes back afterwards.
class ScopedScenario {
public:
    explicit ScopedScenario(const std::string& json)
        : loaded_(vcam_load_scenario_json(json.c_str()) == 0), error_(loaded_ ? "" : vcam_last_error()) {}
    ~ScopedScenario() { vcam_load_default_scenario(); }
    ScopedScenario(const ScopedScenario&) = delete;
    ScopedScenario& operator=(const ScopedScenario&) = delete;

    bool loaded() const { return loaded_; }
    const std::string& error() const { return error_; }

private:
    bool loaded_;
    std::string error_;
};

inline std::vector<vcam_call> call_log() {
    std::vector<vcam_call> calls(vcam_call_count());
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (vcam_call_at(i, &calls[i]) != 0) calls.resize(i);
    }
    return calls;
}

inline std::vector<vcam_call> calls_of(const std::string& function) {
    std::vector<vcam_call> matching;
    for (const vcam_call& call : call_log()) {
        if (function == call.function) matching.push_back(call);
    }
    return matching;
}

// The function names of the log, in call order.
inline std::vector<std::string> call_sequence() {
    std::vector<std::string> names;
    for (const vcam_call& call : call_log()) names.emplace_back(call.function);
    return names;
}

inline std::vector<std::uint64_t> call_args(const vcam_call& call) {
    return std::vector<std::uint64_t>(call.args, call.args + call.arg_count);
}

inline std::vector<vcam_violation> contract_violations() {
    std::vector<vcam_violation> violations;
    vcam_violation entry{};
    for (std::size_t i = 0; vcam_contract_violation_at(i, &entry) == 0; ++i) violations.push_back(entry);
    return violations;
}

// One line per kept violation ("SonixCam_UnInit: SonixCam_UnInit without ..."),
// for a failing test's message.
inline std::string describe_contract_violations() {
    std::string text;
    for (const vcam_violation& violation : contract_violations()) {
        text += std::string(violation.function) + ": " + violation.reason + "\n";
    }
    return text;
}

// The violations so far, forgotten by the library: for a test that provokes
// them on purpose and checks them itself.
inline std::vector<vcam_violation> take_contract_violations() {
    std::vector<vcam_violation> violations = contract_violations();
    vcam_clear_contract_violations();
    return violations;
}

// Flash bytes as stored; empty when the device or range is unknown.
inline std::vector<std::uint8_t> flash_bytes(const std::string& device_id, std::uint32_t address, std::uint32_t length) {
    std::vector<std::uint8_t> bytes(length);
    if (vcam_flash_peek(device_id.c_str(), address, bytes.data(), length) != 0) bytes.clear();
    return bytes;
}

}  // namespace sonix_virtual

// Shared fixture of the virtual camera tests: a fresh default scenario and vendor-call helpers.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sonix_camera.h"
#include "sonix_virtual/vcam_control.hpp"

namespace vcam_test {

using SonixLib::scDevice_t;
using SonixLib::scErrorCode_t;

// The vendor extension unit {DDDF7394-973E-4727-BED9-04ED6426DC67} in Windows GUID byte order.
inline const std::uint8_t kXuGuid[16] = {0x94, 0x73, 0xDF, 0xDD, 0x3E, 0x97, 0x27, 0x47,
                                         0xBE, 0xD9, 0x04, 0xED, 0x64, 0x26, 0xDC, 0x67};

class VirtualCameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        vcam_load_default_scenario();
        vcam_clear_contract_violations();
    }
    // A test that breaks the contract on purpose takes its violations itself.
    void TearDown() override {
        EXPECT_EQ(vcam_contract_violation_count(), 0u) << sonix_virtual::describe_contract_violations();
        vcam_load_default_scenario();
    }
};

// Loads a scenario; empty on success, else the error text.
inline std::string load(const std::string& json) {
    return vcam_load_scenario_json(json.c_str()) == 0 ? std::string() : std::string(vcam_last_error());
}

// Enumerates inside its own Init/UnInit pair; the records written, in order.
inline std::vector<scDevice_t> enumerate(std::uint32_t capacity = SonixLib::kMaxEnumeratedCameras) {
    std::vector<scDevice_t> records(capacity == 0 ? 1 : capacity);
    std::uint32_t count = 0;
    const bool initialised = SonixCam_Init();
    const bool ok = SonixCam_EnumCameras(&count, records.data(), capacity);
    if (initialised) SonixCam_UnInit();
    records.resize(ok ? count : 0);
    return records;
}

// The code the library reports for dev, or for the library when dev is null.
inline int error_code(scDevice_t* dev = nullptr) {
    scErrorCode_t code = SonixLib::ecUnknow;
    if (!SonixCam_GetErrorCode(dev, &code)) return -1;
    return static_cast<int>(code);
}

// ASCII view of a zero-terminated UTF-16 text of a record.
inline std::string narrow(const SonixLib::scWideChar* text) {
    std::string out;
    for (; *text != 0; ++text) out.push_back(static_cast<char>(*text));
    return out;
}

inline std::vector<std::uint8_t> bytes_of(std::initializer_list<int> values) {
    std::vector<std::uint8_t> bytes;
    for (const int value : values) bytes.push_back(static_cast<std::uint8_t>(value));
    return bytes;
}

inline std::string to_hex(const std::vector<std::uint8_t>& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (const std::uint8_t byte : bytes) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0x0F];
        hex += ' ';
    }
    return hex;
}

// Holds one Init for its lifetime, as an operation of the SDK does.
class InitGuard {
public:
    InitGuard() : ok_(SonixCam_Init()) {}
    ~InitGuard() {
        if (ok_) SonixCam_UnInit();
    }
    InitGuard(const InitGuard&) = delete;
    InitGuard& operator=(const InitGuard&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_;
};

}  // namespace vcam_test

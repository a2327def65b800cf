// Building virtual-camera scenarios for discovery tests, and a fixture that
// restores the default scenario afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sonix_virtual/vcam_control.hpp"

namespace velmora::uvc_stereo::testing {

// A descriptor text; nullopt makes the camera's query for it fail.
using Text = std::optional<std::string>;

struct VirtualCamera {
    std::string id;
    std::uint16_t vid = 0x0C45;
    std::uint16_t pid = 0x0643;
    std::string name = "Record Name";  // the name inside the vendor record
    std::string device_path;           // empty: a path built from the ids and the id
    std::string id_bytes = "big";      // "big", "little" or "fail"
    Text product_name = std::string();
    Text descriptor_text = std::string();
    Text serial_number = std::string();
};

struct BackendEntry {
    std::string friendly_name;
    std::string description;
    std::string device_path;
    bool binds = true;
};

struct Backends {
    std::uint32_t msmf_failure = 0;
    std::vector<BackendEntry> msmf;
    std::uint32_t dshow_failure = 0;
    std::vector<BackendEntry> dshow;
};

// "\\?\usb#vid_XXXX&pid_XXXX&mi_00#<instance>#{guid}\global", the vendor
// library's form of a path.
std::string vendor_path(std::uint16_t vid, std::uint16_t pid, const std::string& instance);

std::string scenario_json(const std::vector<VirtualCamera>& cameras, const Backends& backends = {},
                          const std::string& library_json = "{}");

// Loads a scenario per test and puts the default one back afterwards, with
// faults cleared. A test ends with no contract violation left unchecked.
class VirtualScenarioTest : public ::testing::Test {
protected:
    VirtualScenarioTest() { vcam_clear_contract_violations(); }
    void TearDown() override {
        EXPECT_EQ(vcam_contract_violation_count(), 0u) << sonix_virtual::describe_contract_violations();

        vcam_clear_faults();
        vcam_load_default_scenario();
    }

    static void load(const std::string& json) {
        ASSERT_EQ(vcam_load_scenario_json(json.c_str()), 0) << vcam_last_error() << "\n" << json;
    }
};

}  // namespace velmora::uvc_stereo::testing

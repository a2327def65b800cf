// scan_devices and the enumeration beneath it, against virtual cameras.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sonix_virtual/vcam_control.h"
#include "support/virtual_camera.hpp"
#include "support/virtual_camera_test.hpp"
#include "velmora/uvc_stereo/scan.hpp"

namespace velmora::uvc_stereo {
namespace {

using test_support::load_scenario;
using test_support::scenario_json;
using test_support::vendor_path;
using test_support::VirtualCamera;

class ScanTest : public test_support::VirtualCameraTest {
protected:
    // Every scan must leave the vendor library balanced and the lock free.
    static void expect_released() {
        EXPECT_EQ(vcam_init_depth(), 0);
        EXPECT_TRUE(test_support::vendor_lock_free());
    }
};

VirtualCamera camera(std::string id, std::uint16_t pid = 0x0643) {
    VirtualCamera out = test_support::identity_only_camera(std::move(id), pid);
    out.serial_number = "SN-" + out.id;
    return out;
}

std::vector<std::string> paths_of(const std::vector<DeviceInfo>& devices) {
    std::vector<std::string> paths;
    for (const DeviceInfo& info : devices) paths.push_back(info.device_path);
    return paths;
}

TEST_F(ScanTest, DefaultScenarioListsBothCamerasWithTheirTexts) {
    vcam_load_default_scenario();
    const Result<std::vector<DeviceInfo>> scanned = scan_devices();
    ASSERT_TRUE(scanned.ok()) << scanned.status().message();
    ASSERT_EQ(scanned.value().size(), 2u);
    for (const DeviceInfo& info : scanned.value()) {
        SCOPED_TRACE(info.device_path);
        EXPECT_EQ(info.vid, 0x0C45);
        EXPECT_FALSE(info.name.empty());
        EXPECT_FALSE(info.descriptor_text.empty());
        EXPECT_FALSE(info.serial_number.empty());
        EXPECT_FALSE(info.device_path.empty());
        EXPECT_EQ(info.aux_flag_0, 0);
        EXPECT_TRUE(info.aux_text.empty());
    }
    EXPECT_NE(scanned.value()[0].pid, scanned.value()[1].pid);
    expect_released();
}

std::vector<VirtualCamera> cameras(int count) {
    std::vector<VirtualCamera> out;
    for (int i = 0; i < count; ++i) out.push_back(camera("n" + std::to_string(i)));
    return out;
}

TEST_F(ScanTest, NoCameraAndVendorFailures) {
    struct Row {
        const char* label;
        int cameras;
        const char* library_json;
        const char* failing_function;  // null: no fault
        int vendor_code;
        ErrorCode expected_code;
        const char* expected_message;
    };
    const Row rows[] = {
        {"Init reports no device", 0, R"({"init_fails_without_device":true})", nullptr, 0, ErrorCode::Ok, ""},
        {"enumeration reports no device", 0, R"({"enum_fails_without_device":true})", nullptr, 0, ErrorCode::Ok, ""},
        {"Init fails with code 4", 1, "{}", "SonixCam_Init", 4, ErrorCode::Ok, ""},
        {"enumeration fails with code 4", 1, "{}", "SonixCam_EnumCameras", 4, ErrorCode::Ok, ""},
        // A failed enumeration that reports no device is no camera, whatever the code.
        {"enumeration fails with another code and no count", 1, "{}", "SonixCam_EnumCameras", 3, ErrorCode::Ok, ""},
        {"Init fails otherwise", 1, "{}", "SonixCam_Init", 2, ErrorCode::BackendError,
         "SonixCam_Init failed: vendor_code=ecLibInitFail(2)"},
        {"enumeration fails and still reports devices", 65, R"({"enum_beyond_capacity":"fail"})", nullptr, 0,
         ErrorCode::BackendError, "SonixCam_EnumCameras failed: vendor_code=ecEnumDeviceFail(3)"},
        {"code outside the vendor table", 1, "{}", "SonixCam_Init", 99, ErrorCode::BackendError,
         "SonixCam_Init failed: vendor_code=unknown(99)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        load_scenario(scenario_json(cameras(row.cameras), {}, row.library_json));
        if (row.failing_function != nullptr) {
            ASSERT_EQ(vcam_fail_call(row.failing_function, 1, row.vendor_code), 0);
        }
        const Result<std::vector<DeviceInfo>> scanned = scan_devices();
        EXPECT_EQ(scanned.status().code(), row.expected_code);
        EXPECT_EQ(scanned.status().message(), row.expected_message);
        if (row.expected_code == ErrorCode::Ok) {
            ASSERT_TRUE(scanned.has_value());
            EXPECT_TRUE(scanned.value().empty());
        }
        expect_released();
    }
}

TEST_F(ScanTest, IdsTextsAndWhitelist) {
    struct Row {
        const char* label;
        VirtualCamera camera;
        bool listed;
        std::uint16_t pid;
        std::string name;
        std::string descriptor_text;
        std::string serial_number;
    };
    auto with = [](VirtualCamera base, auto change) {
        change(base);
        return base;
    };
    const std::vector<Row> rows = {
        {"ids high byte first", with(camera("c1"), [](auto&) {}), true, 0x0643, "Record Name", "", "SN-c1"},
        {"ids low byte first", with(camera("c2", 0x0578), [](auto& c) { c.id_bytes = "little"; }), true, 0x0578,
         "Record Name", "", "SN-c2"},
        {"failed id query falls back to the path", with(camera("c3"), [](auto& c) { c.id_bytes = "fail"; }), true,
         0x0643, "Record Name", "", "SN-c3"},
        {"without ids in the path the whitelist picks the byte order",
         with(camera("c11", 0x0578),
              [](auto& c) {
                  c.id_bytes = "little";
                  c.device_path = "\\\\?\\root#camera#0001";
              }),
         true, 0x0578, "Record Name", "", "SN-c11"},
        {"no ids anywhere",
         with(camera("c4"),
              [](auto& c) {
                  c.id_bytes = "fail";
                  c.device_path = "\\\\?\\root#image#0000";
              }),
         false, 0, "", "", ""},
        {"model not on the whitelist", camera("c5", 0x1234), false, 0, "", "", ""},
        {"the path only referees the byte order",
         with(camera("c6"), [](auto& c) { c.device_path = vendor_path(0x0C45, 0x0645, "c6"); }), true, 0x0643,
         "Record Name", "", "SN-c6"},
        {"texts trimmed at the end only",
         with(camera("c7"),
              [](auto& c) {
                  c.product_name = " Stereo\t \r\n";
                  c.descriptor_text = "CAM \r\n";
                  c.serial_number = "SN 7\t";
              }),
         true, 0x0643, " Stereo", "CAM", "SN 7"},
        {"empty product name keeps the record's name",
         with(camera("c8"), [](auto& c) { c.product_name = "\r\n"; }), true, 0x0643, "Record Name", "", "SN-c8"},
        {"failed text queries keep earlier values",
         with(camera("c9"),
              [](auto& c) {
                  c.product_name = std::nullopt;
                  c.descriptor_text = std::nullopt;
                  c.serial_number = std::nullopt;
              }),
         true, 0x0643, "Record Name", "", ""},
        {"a 64-byte text without terminator", with(camera("c10"), [](auto& c) { c.descriptor_text = std::string(64, 'x'); }),
         true, 0x0643, "Record Name", std::string(64, 'x'), "SN-c10"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        load_scenario(scenario_json({row.camera}));
        const Result<std::vector<DeviceInfo>> scanned = scan_devices();
        ASSERT_TRUE(scanned.ok()) << scanned.status().message();
        ASSERT_EQ(scanned.value().size(), row.listed ? 1u : 0u);
        if (!row.listed) continue;
        const DeviceInfo& info = scanned.value()[0];
        EXPECT_EQ(info.vid, 0x0C45);
        EXPECT_EQ(info.pid, row.pid);
        EXPECT_EQ(info.name, row.name);
        EXPECT_EQ(info.descriptor_text, row.descriptor_text);
        EXPECT_EQ(info.serial_number, row.serial_number);
        EXPECT_EQ(info.device_path, row.camera.device_path.empty() ? vendor_path(0x0C45, row.camera.pid, row.camera.id)
                                                                   : row.camera.device_path);
    }
}

TEST_F(ScanTest, Filters) {
    VirtualCamera no_serial = camera("b", 0x0645);
    no_serial.serial_number = std::nullopt;
    load_scenario(scenario_json({camera("a"), no_serial, camera("c", 0x2502)}));
    struct Row {
        const char* label;
        DeviceScanFilter filter;
        std::vector<std::uint16_t> pids;
    };
    DeviceScanFilter by_pid;
    by_pid.pid = 0x0645;
    DeviceScanFilter other_vendor;
    other_vendor.vid = 0x0C46;
    DeviceScanFilter serial_required;
    serial_required.require_serial_number = true;
    DeviceScanFilter by_vid;
    by_vid.vid = 0x0C45;
    const Row rows[] = {
        {"default", DeviceScanFilter{}, {0x0643, 0x0645, 0x2502}},
        {"product id", by_pid, {0x0645}},
        {"vendor id", by_vid, {0x0643, 0x0645, 0x2502}},
        {"another vendor", other_vendor, {}},
        {"serial number required", serial_required, {0x0643, 0x2502}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const Result<std::vector<DeviceInfo>> scanned = scan_devices(row.filter);
        ASSERT_TRUE(scanned.ok()) << scanned.status().message();
        std::vector<std::uint16_t> pids;
        for (const DeviceInfo& info : scanned.value()) pids.push_back(info.pid);
        EXPECT_EQ(pids, row.pids);
    }
}

// The library may report more records than the 64 it was given room for;
// only those 64 are read.
TEST_F(ScanTest, AtMost64RecordsAreConsidered) {
    for (const char* overflow : {"clamp", "report"}) {
        SCOPED_TRACE(overflow);
        load_scenario(scenario_json(cameras(66), {}, std::string(R"({"enum_beyond_capacity":")") + overflow + "\"}"));
        const Result<std::vector<DeviceInfo>> scanned = scan_devices();
        ASSERT_TRUE(scanned.ok()) << scanned.status().message();
        ASSERT_EQ(scanned.value().size(), 64u);
        EXPECT_EQ(scanned.value().front().serial_number, "SN-n0");
        EXPECT_EQ(scanned.value().back().serial_number, "SN-n63");
    }
}

TEST_F(ScanTest, IdenticalCamerasAreBothListedInVendorOrder) {
    VirtualCamera first = camera("twin-2");
    VirtualCamera second = camera("twin-1");
    first.serial_number = second.serial_number = "SAME";
    load_scenario(scenario_json({first, second}));
    const Result<std::vector<DeviceInfo>> scanned = scan_devices();
    ASSERT_TRUE(scanned.ok()) << scanned.status().message();
    const std::vector<std::string> expected = {vendor_path(0x0C45, 0x0643, "twin-2"),
                                               vendor_path(0x0C45, 0x0643, "twin-1")};
    EXPECT_EQ(paths_of(scanned.value()), expected);
}

}  // namespace
}  // namespace velmora::uvc_stereo

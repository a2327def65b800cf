// Choosing the camera a FlashConfig names, against virtual cameras.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "discovery/device_resolution.hpp"
#include "sonix_virtual/vcam_control.h"
#include "support/virtual_camera.hpp"
#include "support/virtual_camera_test.hpp"
#include "vendor/vendor_session.hpp"

namespace velmora::uvc_stereo {
namespace {

using test_support::load_scenario;
using test_support::scenario_json;
using test_support::vendor_path;
using test_support::VirtualCamera;

VirtualCamera camera(std::string id, std::uint16_t pid, std::string serial) {
    VirtualCamera out = test_support::identity_only_camera(std::move(id), pid);
    out.serial_number = std::move(serial);
    out.descriptor_text = "text-" + out.id;
    return out;
}

// Resolution runs inside an operation's vendor session: the lock and one Init.
Result<win_detail::EnumeratedDevice> resolve(const FlashConfig& config) {
    win_detail::VendorSession vendor;
    if (!vendor.try_initialize()) return Status(ErrorCode::BackendError, "test could not initialise the vendor library");
    return win_detail::resolve_device_with_active_runtime(vendor, config, false);
}

class DeviceResolutionTest : public test_support::VirtualCameraTest {
protected:
    void SetUp() override {
        load_scenario(scenario_json({camera("a", 0x0643, "SN-A"), camera("b", 0x0645, "SN-B"), camera("c", 0x0643, "SN-B")}));
    }
};

TEST_F(DeviceResolutionTest, Rules) {
    const std::string path_a = vendor_path(0x0C45, 0x0643, "a");
    const std::string path_b = vendor_path(0x0C45, 0x0645, "b");
    const std::string path_c = vendor_path(0x0C45, 0x0643, "c");
    struct Row {
        const char* label;
        FlashConfig config;
        std::string expected_path;  // empty: a failure
        const char* expected_message;
    };
    auto config = [](auto change) {
        FlashConfig out;
        change(out);
        return out;
    };
    std::string upper_a = path_a;
    for (char& ch : upper_a) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    std::string slashed_a = path_a;
    for (char& ch : slashed_a) ch = ch == '#' ? '\\' : ch;
    const std::vector<Row> rows = {
        {"auto_select picks the first device", FlashConfig{}, path_a, ""},
        {"no selector at all", config([](FlashConfig& c) { c.auto_select = false; }), "",
         "no device selector available (check config.vidpid or auto_select filter)"},
        {"filters alone are no selector",
         config([](FlashConfig& c) {
             c.auto_select = false;
             c.filter_vid = 0x0C45;
             c.filter_pid = 0x0645;
         }),
         "", "no device selector available (check config.vidpid or auto_select filter)"},
        {"path ignoring case", config([&](FlashConfig& c) { c.device_path = upper_a; }), path_a, ""},
        {"path wins over serial and vidpid",
         config([&](FlashConfig& c) {
             c.device_path = path_c;
             c.serial_number = "SN-A";
             c.vidpid = "0c450645";
         }),
         path_c, ""},
        {"unplugged path never falls back",
         config([&](FlashConfig& c) {
             c.device_path = vendor_path(0x0C45, 0x0643, "gone");
             c.serial_number = "SN-A";
             c.vidpid = "0c450643";
         }),
         "", "preferred device_path not found in current scan"},
        {"path without its prefix", config([&](FlashConfig& c) { c.device_path = path_a.substr(4); }), "",
         "preferred device_path not found in current scan"},
        {"path with other separators", config([&](FlashConfig& c) { c.device_path = slashed_a; }), "",
         "preferred device_path not found in current scan"},
        {"serial ignoring case", config([](FlashConfig& c) { c.serial_number = "sn-b"; }), path_b, ""},
        {"serial whose ids differ is passed over",
         config([](FlashConfig& c) {
             c.serial_number = "SN-B";
             c.vidpid = "0C450643";
         }),
         path_c, ""},
        {"serial absent",
         config([](FlashConfig& c) {
             c.serial_number = "SN-X";
             c.vidpid = "0c450643";
         }),
         "", "preferred serial_number not found in current scan"},
        {"vidpid in upper case",
         config([](FlashConfig& c) {
             c.auto_select = false;
             c.vidpid = "0C450645";
         }),
         path_b, ""},
        {"vidpid with a separator matches nothing",
         config([](FlashConfig& c) {
             c.auto_select = false;
             c.vidpid = "0c45:0643";
         }),
         "", "no device matched the requested vidpid/filter"},
        {"filter narrows auto_select", config([](FlashConfig& c) { c.filter_pid = 0x0645; }), path_b, ""},
        {"filter empties the enumeration", config([](FlashConfig& c) { c.filter_pid = 0x2502; }), "",
         "no matching device found"},
        {"filter applies before the path rule",
         config([&](FlashConfig& c) {
             c.device_path = path_a;
             c.filter_pid = 0x0645;
         }),
         "", "preferred device_path not found in current scan"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const Result<win_detail::EnumeratedDevice> chosen = resolve(row.config);
        if (row.expected_path.empty()) {
            EXPECT_EQ(chosen.status().code(), ErrorCode::DeviceUnavailable);
            EXPECT_EQ(chosen.status().message(), row.expected_message);
            EXPECT_FALSE(chosen.has_value());
            continue;
        }
        ASSERT_TRUE(chosen.ok()) << chosen.status().message();
        EXPECT_EQ(chosen.value().info.device_path, row.expected_path);
        EXPECT_TRUE(chosen.value().info.opencv_indices.empty());
    }
}

TEST_F(DeviceResolutionTest, ChosenRecordAddressesTheSameCamera) {
    FlashConfig config;
    config.serial_number = "SN-B";
    config.vidpid = "0c450643";
    Result<win_detail::EnumeratedDevice> chosen = resolve(config);
    ASSERT_TRUE(chosen.ok()) << chosen.status().message();
    // The copied vendor record still addresses the chosen camera.
    const win_detail::SonixGlobalLock lock;
    ASSERT_TRUE(SonixCam_Init());
    std::uint8_t text[64] = {};
    EXPECT_TRUE(SonixCam_GetDevDescriptor(&chosen.value().device, 3, text, sizeof(text), 0, 0));
    (void)SonixCam_UnInit();
    EXPECT_STREQ(reinterpret_cast<const char*>(text), "text-c");
    EXPECT_EQ(chosen.value().info.device_path, vendor_path(0x0C45, 0x0643, "c"));
}

TEST_F(DeviceResolutionTest, EnumerationFailures) {
    // An enumeration that fails without reporting a device found nothing; one
    // that fails and still reports devices is the enumeration's own error.
    ASSERT_EQ(vcam_fail_call("SonixCam_EnumCameras", 1, 7), 0);
    const Result<win_detail::EnumeratedDevice> nothing = resolve(FlashConfig{});
    EXPECT_EQ(nothing.status().code(), ErrorCode::DeviceUnavailable);
    EXPECT_EQ(nothing.status().message(), "no matching device found");

    std::vector<VirtualCamera> many;
    for (int i = 0; i < 65; ++i) many.push_back(camera("m" + std::to_string(i), 0x0643, "SN"));
    load_scenario(scenario_json(many, {}, R"({"enum_beyond_capacity":"fail"})"));
    const Result<win_detail::EnumeratedDevice> failed = resolve(FlashConfig{});
    EXPECT_EQ(failed.status().code(), ErrorCode::BackendError);
    EXPECT_EQ(failed.status().message(), "SonixCam_EnumCameras failed: vendor_code=ecEnumDeviceFail(3)");
}

TEST_F(DeviceResolutionTest, NoSelectorEnumeratesNothing) {
    vcam_clear_call_log();
    FlashConfig config;
    config.auto_select = false;
    EXPECT_FALSE(resolve(config).ok());
    EXPECT_EQ(vcam_count_calls("SonixCam_EnumCameras"), 0u);
}

}  // namespace
}  // namespace velmora::uvc_stereo

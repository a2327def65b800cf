// The capability probe against a virtual camera, and the selection config.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "transport/capability_probe.hpp"
#include "support/transport_camera.hpp"

namespace velmora::uvc_stereo::transport_test {
namespace {

TEST(SelectionConfigTest, SelectsExactlyTheGivenDevice) {
    struct Row {
        const char* name;
        std::uint16_t vid, pid;
        std::string vidpid;
    };
    const Row rows[] = {
        {"both ids", 0x0C45, 0x0643, "0c450643"},
        {"no vendor id", 0, 0x0643, ""},
        {"no product id", 0x0C45, 0, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DeviceInfo device;
        device.vid = row.vid;
        device.pid = row.pid;
        device.aux_flag_0 = 3;
        device.aux_flag_1 = 5;
        device.serial_number = "S1";
        device.device_path = "path";
        device.name = "not copied";
        const FlashConfig config = detail::make_selection_config(device);
        EXPECT_EQ(config.vidpid, row.vidpid);
        EXPECT_FALSE(config.auto_select);
        EXPECT_EQ(config.filter_vid, 0);
        EXPECT_EQ(config.filter_pid, 0);
        EXPECT_EQ(config.aux_flag_0, 3);
        EXPECT_EQ(config.aux_flag_1, 5);
        EXPECT_EQ(config.serial_number, "S1");
        EXPECT_EQ(config.device_path, "path");
        EXPECT_EQ(config.flash_user_space_address, FlashConfig().flash_user_space_address);
        EXPECT_EQ(config.flash_user_space_size, FlashConfig().flash_user_space_size);
    }
}

using CapabilityProbeTest = VcamTest;

TEST_F(CapabilityProbeTest, ValidReportIsDecoded) {
    VirtualCamera camera = stereo_camera();
    camera.capability_bytes = kValidCapabilityReport;
    load_camera(camera);

    const detail::XuCapabilityProbeResult result = detail::probe_xu_capability(camera_info());
    ASSERT_EQ(result.state, 0u) << result.status.message();
    EXPECT_EQ(result.failure, detail::XuProbeFailure::None);
    ASSERT_TRUE(result.report.has_value());
    ASSERT_TRUE(result.report->flash.has_value());
    EXPECT_EQ(result.report->flash->user_space_address, 0x51000u);
    ASSERT_TRUE(result.report->imu.has_value());
    EXPECT_EQ(result.report->imu->model, "IMU-A");

    const vcam_call node = logged_calls_of("SonixCam_SetNodeID").at(0);
    EXPECT_EQ(node.args[0], 4u);
    const vcam_call read = logged_calls_of("SonixCam_XuRead").at(0);
    EXPECT_EQ(std::vector<std::uint64_t>(read.args, read.args + 3), (std::vector<std::uint64_t>{64, 11, 4}));
    EXPECT_EQ(vcam_count_calls("SonixCam_UnInit"), 1u);
}

TEST_F(CapabilityProbeTest, DeviceWithoutIdsIsFoundByPath) {
    VirtualCamera camera = stereo_camera();
    camera.capability_bytes = kValidCapabilityReport;
    load_camera(camera);
    DeviceInfo device = camera_info();
    device.vid = 0;
    EXPECT_EQ(detail::probe_xu_capability(device).state, 0u);
}

// One vendor session whatever happens: a failed read is read again, and a
// failed second read is followed by a fresh enumeration that tells an
// unplugged camera from one whose control refuses.
TEST_F(CapabilityProbeTest, FailuresComeBackAsStateOneWithTheirReason) {
    using detail::XuProbeFailure;
    struct Fault {
        const char* function;
        unsigned nth;
        int code;  // -1: the camera goes just before the call
    };
    struct Row {
        const char* name;
        std::vector<Fault> faults;
        DeviceInfo device;
        ErrorCode code;
        std::string message;
        XuProbeFailure failure;
        std::size_t uninit_calls;
        std::size_t enumerations;
    };
    DeviceInfo unplugged = camera_info();
    unplugged.device_path = "\\\\?\\usb#vid_0c45&pid_0643#gone";
    const std::string refused = "SonixCam_XuRead failed: vendor_code=ecGetKsControlFail(5)";
    const Row rows[] = {
        {"all-zero report", {}, camera_info(), ErrorCode::BadMagic, "capability XU returned an all-zero report",
         XuProbeFailure::NoReport, 1, 1},
        {"init fails", {{"SonixCam_Init", 1, 7}}, camera_info(), ErrorCode::DeviceUnavailable,
         "SonixCam_Init failed: vendor_code=ecDeviceDisconnect(7)", XuProbeFailure::Unsettled, 0, 0},
        {"device gone", {}, unplugged, ErrorCode::DeviceUnavailable, "preferred device_path not found in current scan",
         XuProbeFailure::Unsettled, 1, 1},
        {"refused twice alike", {{"SonixCam_XuRead", 1, 5}, {"SonixCam_XuRead", 2, 5}}, camera_info(),
         ErrorCode::BackendError, refused, XuProbeFailure::NoReport, 1, 2},
        {"refused twice alike, camera gone by then",
         {{"SonixCam_XuRead", 1, 5}, {"SonixCam_XuRead", 2, 5}, {"SonixCam_EnumCameras", 2, -1}}, camera_info(),
         ErrorCode::DeviceUnavailable, "no matching device found", XuProbeFailure::Unsettled, 1, 2},
        {"refused, then disconnected", {{"SonixCam_XuRead", 1, 5}, {"SonixCam_XuRead", 2, 7}}, camera_info(),
         ErrorCode::BackendError, "SonixCam_XuRead failed: vendor_code=ecDeviceDisconnect(7)",
         XuProbeFailure::Unsettled, 1, 2},
        {"refused once", {{"SonixCam_SetNodeID", 1, 5}}, camera_info(), ErrorCode::BadMagic,
         "capability XU returned an all-zero report", XuProbeFailure::NoReport, 1, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        load_camera();
        for (const Fault& fault : row.faults) {
            ASSERT_EQ(fault.code < 0 ? vcam_detach_at_call(kCameraId, fault.function, fault.nth)
                                     : vcam_fail_call(fault.function, fault.nth, fault.code),
                      0);
        }
        const detail::XuCapabilityProbeResult result = detail::probe_xu_capability(row.device);
        EXPECT_EQ(result.state, 1u);
        EXPECT_FALSE(result.report.has_value());
        EXPECT_EQ(result.status.code(), row.code);
        EXPECT_EQ(result.status.message(), row.message);
        EXPECT_EQ(result.failure, row.failure);
        EXPECT_EQ(vcam_count_calls("SonixCam_Init"), 1u);
        EXPECT_EQ(vcam_count_calls("SonixCam_UnInit"), row.uninit_calls);
        EXPECT_EQ(vcam_count_calls("SonixCam_EnumCameras"), row.enumerations);
        EXPECT_EQ(vcam_init_depth(), 0);
    }
}

Result<win_detail::EnumeratedDevice> resolver_throwing_std(win_detail::VendorSession&, const FlashConfig&,
                                                           bool) {
    throw std::runtime_error("enumeration exploded");
}

Result<win_detail::EnumeratedDevice> resolver_throwing_other(win_detail::VendorSession&, const FlashConfig&,
                                                             bool) {
    throw 42;
}

// Finds the camera once, then throws: the exception comes while the probe
// asks whether a camera whose control refused twice is still there.
Result<win_detail::EnumeratedDevice> resolver_throwing_the_second_time(win_detail::VendorSession& session,
                                                                       const FlashConfig& config, bool indices) {
    static int calls = 0;
    if (++calls % 2 == 0) throw std::runtime_error("second enumeration exploded");
    return win_detail::resolve_device_with_active_runtime(session, config, indices);
}

TEST_F(CapabilityProbeTest, ExceptionsInsideAreCaughtAndNeverMakeALegacyCamera) {
    struct Row {
        detail::DeviceResolver resolver;
        const char* message;
    };
    const Row rows[] = {
        {&resolver_throwing_std, "enumeration exploded"},
        {&resolver_throwing_other, "unknown exception during Windows capability XU read"},
        {&resolver_throwing_the_second_time, "second enumeration exploded"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.message);
        VirtualCamera camera = stereo_camera();
        camera.capability_control = false;  // refuses every read alike
        load_camera(camera);
        const detail::XuCapabilityProbeResult result = detail::probe_xu_capability_using(camera_info(), row.resolver);
        EXPECT_EQ(result.state, 1u);
        EXPECT_EQ(result.status.code(), ErrorCode::InternalError);
        EXPECT_EQ(result.status.message(), row.message);
        EXPECT_EQ(result.failure, detail::XuProbeFailure::Unsettled);
        EXPECT_EQ(vcam_count_calls("SonixCam_UnInit"), 1u);
        EXPECT_EQ(vcam_init_depth(), 0);
        EXPECT_TRUE(vendor_lock_free());
    }
    EXPECT_EQ(vcam_count_calls("SonixCam_XuRead"), 2u) << "the last row failed both reads before it threw";
}

}  // namespace
}  // namespace velmora::uvc_stereo::transport_test

// How open_device treats a capability probe that gave no report: a camera the
// probe never reached fails the open with the probe's status; one that
// answered without a report is a legacy camera, after a second probe when the
// extension-unit transfer failed.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "device/device_impl.hpp"
#include "sonix_virtual/vcam_control.hpp"
#include "support/call_log.hpp"
#include "support/virtual_camera.hpp"
#include "support/virtual_camera_test.hpp"
#include "velmora/uvc_stereo/device.hpp"

namespace velmora::uvc_stereo {
namespace {

using test_support::VirtualCamera;
using OpenDeviceProbeTest = test_support::VirtualCameraTest;

constexpr std::uint8_t kReported = 1;
constexpr std::uint8_t kLegacy = 2;

OpenDeviceOptions requiring(std::uint32_t bits) {
    OpenDeviceOptions options;
    options.required_capabilities = bits;
    return options;
}

// An open that fails names the probe's status; one that succeeds names the
// capability state the Device was given.
struct Outcome {
    ErrorCode code;
    std::string message;
    std::uint8_t state;  // when the open succeeds
};

void expect_outcome(const Result<Device>& opened, const Outcome& expected) {
    EXPECT_EQ(opened.status().code(), expected.code);
    EXPECT_EQ(opened.status().message(), expected.message);
    if (!opened.ok()) return;
    const Device& device = opened.value();
    EXPECT_EQ(device.capability_info().state, expected.state);
    const Device::Impl* impl = detail::DeviceAccess::impl(device);
    ASSERT_NE(impl, nullptr);
    EXPECT_EQ(impl->flash_config.flash_user_space_size, expected.state == kLegacy ? 0x1000u : 0x10000u);
}

TEST_F(OpenDeviceProbeTest, AnUnplugAtEachCallOfTheProbe) {
    const Outcome not_found{ErrorCode::DeviceUnavailable, "no matching device found", 0};
    const Outcome node_gone{ErrorCode::BackendError, "SonixCam_SetNodeID failed: vendor_code=ecDeviceDisconnect(7)", 0};
    const Outcome read_gone{ErrorCode::BackendError, "SonixCam_XuRead failed: vendor_code=ecDeviceDisconnect(7)", 0};
    const struct {
        const char* call;  // the probe's nth vendor call, before which the camera goes
        Outcome outcome;
    } rows[] = {
        {"SonixCam_Init", not_found},
        {"SonixCam_EnumCameras", not_found},
        // Without descriptors the camera is still found by its path.
        {"SonixCam_GetDevDescriptor", node_gone},
        {"SonixCam_GetDevDescriptor", node_gone},
        {"SonixCam_GetDevDescriptor", node_gone},
        {"SonixCam_GetDevDescriptor", node_gone},
        {"SonixCam_SetNodeID", node_gone},
        {"SonixCam_XuRead", read_gone},
        {"SonixCam_UnInit", {ErrorCode::Ok, "", kReported}},
    };
    test_support::load_cameras({VirtualCamera{}});
    const DeviceInfo scanned = test_support::scanned_camera("cam");
    test_support::clear_calls();
    ASSERT_TRUE(open_device(scanned, requiring(0)).ok());
    std::vector<std::string> probe_calls;
    for (const vcam_call& call : sonix_virtual::call_log()) probe_calls.emplace_back(call.function);

    for (unsigned nth = 1; nth <= std::size(rows); ++nth) {
        const auto& row = rows[nth - 1];
        SCOPED_TRACE(::testing::Message() << "unplugged before call " << nth << ", " << row.call);
        ASSERT_GE(probe_calls.size(), nth);
        ASSERT_EQ(probe_calls[nth - 1], row.call);
        test_support::load_cameras({VirtualCamera{}});
        ASSERT_EQ(vcam_detach_at_call("cam", "*", nth), 0) << vcam_last_error();
        expect_outcome(open_device(scanned, requiring(0)), row.outcome);
        EXPECT_EQ(vcam_init_depth(), 0);
    }
}

TEST_F(OpenDeviceProbeTest, VendorCodesDecideBetweenFailureRetryAndLegacy) {
    struct Fault {
        const char* function;
        unsigned nth;
        int code;
    };
    VirtualCamera no_control;
    no_control.legacy = true;
    no_control.capability_control = false;
    VirtualCamera zeros;
    zeros.legacy = true;
    const struct {
        const char* name;
        VirtualCamera camera;
        std::uint32_t required;
        std::vector<Fault> faults;
        Outcome outcome;
        std::size_t probes;  // SetNodeID calls
    } rows[] = {
        {"Init fails", VirtualCamera{}, 0, {{"SonixCam_Init", 1, 2}},
         {ErrorCode::DeviceUnavailable, "SonixCam_Init failed: vendor_code=ecLibInitFail(2)", 0}, 0},
        {"Init fails, flash required", VirtualCamera{}, 1, {{"SonixCam_Init", 1, 2}},
         {ErrorCode::DeviceUnavailable, "SonixCam_Init failed: vendor_code=ecLibInitFail(2)", 0}, 0},
        {"node selection finds no device", VirtualCamera{}, 2, {{"SonixCam_SetNodeID", 1, 4}},
         {ErrorCode::BackendError, "SonixCam_SetNodeID failed: vendor_code=ecNotFindDevice(4)", 0}, 1},
        {"transfer disconnected", VirtualCamera{}, 0, {{"SonixCam_XuRead", 1, 7}},
         {ErrorCode::BackendError, "SonixCam_XuRead failed: vendor_code=ecDeviceDisconnect(7)", 0}, 1},
        {"one refused transfer", VirtualCamera{}, 0, {{"SonixCam_XuRead", 1, 5}}, {ErrorCode::Ok, "", kReported}, 2},
        {"one refused node selection", VirtualCamera{}, 1, {{"SonixCam_SetNodeID", 1, 8}},
         {ErrorCode::Ok, "", kReported}, 2},
        {"refused twice", VirtualCamera{}, 0, {{"SonixCam_XuRead", 1, 5}, {"SonixCam_XuRead", 2, 5}},
         {ErrorCode::Ok, "", kLegacy}, 2},
        {"refused, then disconnected", VirtualCamera{}, 0, {{"SonixCam_XuRead", 1, 5}, {"SonixCam_XuRead", 2, 7}},
         {ErrorCode::BackendError, "SonixCam_XuRead failed: vendor_code=ecDeviceDisconnect(7)", 0}, 2},
        {"camera without the control", no_control, 1, {}, {ErrorCode::Ok, "", kLegacy}, 2},
        {"all-zero report, no second probe", zeros, 1, {}, {ErrorCode::Ok, "", kLegacy}, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        test_support::load_cameras({row.camera});
        const DeviceInfo scanned = test_support::scanned_camera("cam");
        test_support::clear_calls();
        for (const Fault& fault : row.faults) ASSERT_EQ(vcam_fail_call(fault.function, fault.nth, fault.code), 0);
        expect_outcome(open_device(scanned, requiring(row.required)), row.outcome);
        EXPECT_EQ(test_support::calls_of("SonixCam_SetNodeID"), row.probes);
        EXPECT_EQ(vcam_init_depth(), 0);
    }
}

}  // namespace
}  // namespace velmora::uvc_stereo

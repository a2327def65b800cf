// How open_device treats a capability probe that gave no report: a camera
// that is gone, or whose control failed in ways that do not tell, fails the
// open with the probe's status; one that is there and answered without a
// report, or whose control failed the same way twice, is a legacy camera.
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

// Wherever the camera goes during the probe, the open fails with the
// resolution's status: the probe finds the camera missing when it looks for
// it again after its reads failed.
TEST_F(OpenDeviceProbeTest, AnUnplugAtEachCallOfTheProbe) {
    const Outcome not_found{ErrorCode::DeviceUnavailable, "no matching device found", 0};
    const struct {
        const char* call;  // the probe's nth vendor call, before which the camera goes
        Outcome outcome;
    } rows[] = {
        {"SonixCam_Init", not_found},
        {"SonixCam_EnumCameras", not_found},
        // Without descriptors the camera is still found by its path.
        {"SonixCam_GetDevDescriptor", not_found},
        {"SonixCam_GetDevDescriptor", not_found},
        {"SonixCam_GetDevDescriptor", not_found},
        {"SonixCam_GetDevDescriptor", not_found},
        {"SonixCam_SetNodeID", not_found},
        {"SonixCam_XuRead", not_found},
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

// Legacy only for a camera that is there and answered without a report, or
// whose control failed twice with the same call and code (not a time-out);
// a passing fault is read again, and an unsettled probe fails the open
// whatever is required.
TEST_F(OpenDeviceProbeTest, PresenceAndRepeatedAnswersDecideLegacy) {
    struct Fault {
        const char* function;
        unsigned nth;
        int code;  // -1: the camera goes just before the call; -2: its answer is garbled
    };
    const auto without_control = [](int missing_code) {
        VirtualCamera camera;
        camera.legacy = true;
        camera.capability_control = false;
        camera.missing_control_code = missing_code;
        return camera;
    };
    VirtualCamera zeros;
    zeros.legacy = true;
    const std::string library_codes_only = "{\"error_codes\":\"library\"}";
    const Outcome legacy{ErrorCode::Ok, "", kLegacy};
    const Outcome reported{ErrorCode::Ok, "", kReported};
    const struct {
        const char* name;
        VirtualCamera camera;
        std::string library_json;
        std::uint32_t required;
        std::vector<Fault> faults;
        Outcome outcome;
        std::size_t probes;  // SetNodeID calls
    } rows[] = {
        {"control missing, its reads fail with 4", without_control(4), "{}", 1, {}, legacy, 2},
        {"control missing, its reads fail with 5", without_control(5), "{}", 1, {}, legacy, 2},
        {"control missing, codes kept library-wide only", without_control(5), library_codes_only, 1, {}, legacy, 2},
        {"all-zero report", zeros, "{}", 1, {}, legacy, 1},
        {"Init fails", VirtualCamera{}, "{}", 0, {{"SonixCam_Init", 1, 2}},
         {ErrorCode::DeviceUnavailable, "SonixCam_Init failed: vendor_code=ecLibInitFail(2)", 0}, 0},
        {"one refused transfer", VirtualCamera{}, "{}", 0, {{"SonixCam_XuRead", 1, 5}}, reported, 2},
        {"one failed node selection", VirtualCamera{}, "{}", 1, {{"SonixCam_SetNodeID", 1, 4}}, reported, 2},
        {"timed out twice", VirtualCamera{}, "{}", 0, {{"SonixCam_XuRead", 1, 8}, {"SonixCam_XuRead", 2, 8}},
         {ErrorCode::BackendError, "SonixCam_XuRead failed: vendor_code=ecSyncTransTimeOut(8)", 0}, 2},
        {"control missing, timed out twice", without_control(5), "{}", 0,
         {{"SonixCam_XuRead", 1, 8}, {"SonixCam_XuRead", 2, 8}},
         {ErrorCode::BackendError, "SonixCam_XuRead failed: vendor_code=ecSyncTransTimeOut(8)", 0}, 2},
        {"different codes", VirtualCamera{}, "{}", 2, {{"SonixCam_XuRead", 1, 5}, {"SonixCam_XuRead", 2, 6}},
         {ErrorCode::BackendError, "SonixCam_XuRead failed: vendor_code=ecMemoryMallocFail(6)", 0}, 2},
        {"different calls", VirtualCamera{}, "{}", 0, {{"SonixCam_SetNodeID", 1, 5}, {"SonixCam_XuRead", 1, 5}},
         {ErrorCode::BackendError, "SonixCam_XuRead failed: vendor_code=ecGetKsControlFail(5)", 0}, 2},
        {"control missing, detached between the attempts", without_control(5), "{}", 0,
         {{"SonixCam_SetNodeID", 2, -1}}, {ErrorCode::DeviceUnavailable, "no matching device found", 0}, 2},
        {"one bad checksum, then a good report", VirtualCamera{}, "{}", 1, {{"SonixCam_XuRead", 1, -2}}, reported, 2},
        {"a failure, then a bad checksum", VirtualCamera{}, "{}", 0,
         {{"SonixCam_XuRead", 1, 5}, {"SonixCam_XuRead", 2, -2}},
         {ErrorCode::CrcMismatch, "capability CRC32C mismatch", 0}, 2},
        {"bad checksum twice", VirtualCamera{}, "{}", 0, {{"SonixCam_XuRead", 1, -2}, {"SonixCam_XuRead", 2, -2}},
         legacy, 2},
        // Alike twice is what a camera without the control does; a reporting
        // camera that fails so is taken for one.
        {"refused twice alike", VirtualCamera{}, "{}", 0, {{"SonixCam_XuRead", 1, 5}, {"SonixCam_XuRead", 2, 5}},
         legacy, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        test_support::load_cameras({row.camera}, row.library_json);
        const DeviceInfo scanned = test_support::scanned_camera("cam");
        test_support::clear_calls();
        for (const Fault& fault : row.faults) {
            const int armed = fault.code == -1   ? vcam_detach_at_call("cam", fault.function, fault.nth)
                              : fault.code == -2 ? vcam_garble_call(fault.function, fault.nth)
                                                 : vcam_fail_call(fault.function, fault.nth, fault.code);
            ASSERT_EQ(armed, 0) << vcam_last_error();
        }
        expect_outcome(open_device(scanned, requiring(row.required)), row.outcome);
        EXPECT_EQ(test_support::calls_of("SonixCam_SetNodeID"), row.probes);
        EXPECT_EQ(vcam_init_depth(), 0);
    }
}

}  // namespace
}  // namespace velmora::uvc_stereo

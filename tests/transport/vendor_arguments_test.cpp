// The arguments the SDK passes where the virtual camera would accept others:
// every call of a full round of operations is checked against the contract.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "transport/capability_probe.hpp"
#include "transport/firmware_version.hpp"
#include "transport/imu_reader.hpp"
#include "support/transport_camera.hpp"
#include "velmora/uvc_stereo/flash_transport.hpp"
#include "velmora/uvc_stereo/scan.hpp"

namespace velmora::uvc_stereo::transport_test {
namespace {

using Args = std::vector<std::uint64_t>;

// The arguments the contract fixes, per function; descriptor queries by
// selector (id bytes with length 4, texts with length 64, reserved 0 and 0).
const std::map<std::string, std::vector<Args>> kAllowedArguments = {
    {"SonixCam_EnumCameras", {{64}}},
    {"SonixCam_GetDevDescriptor", {{0, 4, 0, 0}, {2, 64, 0, 0}, {3, 64, 0, 0}, {4, 64, 0, 0}}},
    {"SonixCam_GetVersion", {{256, 0}}},
    {"SonixCam_SetNodeID", {{4}}},
    {"SonixCam_XuRead", {{64, 11, 4}, {17, 10, 4}}},
    {"SonixCam_SetStatusRegBitWP", {{2, 5, 1, 6, 2, 3}}},
    {"SonixCam_SetWriteProtectedSF", {{1, 1}}},
};

using VendorArgumentsTest = VcamTest;

TEST_F(VendorArgumentsTest, EveryOperationPassesTheContractsArguments) {
    VirtualCamera camera = stereo_camera();
    camera.capability_bytes = kValidCapabilityReport;
    camera.imu_samples = {hex_digits(kImuSample)};
    load_camera(camera);
    FlashBlob blob;
    blob.payload = bytes_of("{\"k\":1}");

    ASSERT_TRUE(scan_devices().ok());
    ASSERT_EQ(detail::probe_xu_capability(camera_info()).state, 0u);
    ASSERT_TRUE(write_blob_to_device(FlashConfig(), blob).ok());
    ASSERT_TRUE(read_blob_from_device(FlashConfig()).ok());
    ASSERT_TRUE(detail::read_firmware_version_from_device(FlashConfig()).ok());
    {
        Result<detail::ImuReader> reader = detail::open_imu_platform(camera_info(), detail::ImuTransportConfig{});
        ASSERT_TRUE(reader.ok()) << reader.status().message();
        ASSERT_TRUE(reader.value().read().ok());
    }

    std::map<std::string, std::size_t> checked;
    for (const vcam_call& call : logged_calls()) {
        const auto allowed = kAllowedArguments.find(call.function);
        if (allowed == kAllowedArguments.end()) continue;
        const Args args(call.args, call.args + call.arg_count);
        bool known = false;
        for (const Args& candidate : allowed->second) known = known || candidate == args;
        EXPECT_TRUE(known) << call.function << " called with " << ::testing::PrintToString(args);
        ++checked[call.function];
    }
    // Each function of the table was reached at least once.
    for (const auto& entry : kAllowedArguments) EXPECT_GT(checked[entry.first], 0u) << entry.first;
}

}  // namespace
}  // namespace velmora::uvc_stereo::transport_test

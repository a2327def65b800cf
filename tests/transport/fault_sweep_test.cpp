// Fails every vendor call of every transport operation in turn: each failure
// must come back as its own status, leave the library balanced and the lock
// free, and the next run on the healthy camera must succeed.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "sonix_camera.h"
#include "transport/capability_probe.hpp"
#include "transport/firmware_version.hpp"
#include "transport/imu_reader.hpp"
#include "support/transport_camera.hpp"
#include "velmora/uvc_stereo/flash_record.hpp"
#include "velmora/uvc_stereo/flash_transport.hpp"

namespace velmora::uvc_stereo::transport_test {
namespace {

constexpr std::uint32_t kUserSpace = 0x51000;
constexpr std::uint32_t kSectorSize = 4096;


// Which codes a failing call sets (the scenario's error_codes option): the
// sweep runs under each, so a status that reads the library-wide code where it
// should read the device's (or the other way round) shows.
const char* const kErrorCodeScopes[] = {"both", "device", "library"};

void load_healthy_camera(const std::string& scope) {
    VirtualCamera camera = stereo_camera();
    camera.capability_bytes = kValidCapabilityReport;
    camera.imu_samples = {hex_digits(kImuSample)};
    load_camera(camera, std::string("{\"error_codes\":\"") + scope + "\"}");
    const std::vector<std::uint8_t> payload = bytes_of("{\"k\":1}");
    poke_flash(kCameraId, kUserSpace,
               encode_record(0x5A4F564B, 1, 16, static_cast<std::uint32_t>(payload.size()), crc32_ieee(payload), payload));
}

struct Operation {
    const char* name;
    std::function<Status()> run;
    // A failed extension-unit call is made once more, and one failure passes.
    bool retries_extension_unit = false;
};

std::vector<Operation> operations() {
    FlashBlob blob;
    blob.payload = bytes_of("{\"written\":true}");
    return {
        {"probe_flash_transport", [] { return probe_flash_transport(FlashConfig()); }},
        {"read_blob_from_device", [] { return read_blob_from_device(FlashConfig()).status(); }},
        {"write_blob_to_device", [blob] { return write_blob_to_device(FlashConfig(), blob); }},
        {"read_firmware_version_from_device",
         [] { return detail::read_firmware_version_from_device(FlashConfig()).status(); }},
        {"probe_xu_capability", [] { return detail::probe_xu_capability(camera_info()).status; }, true},
        {"open_imu_platform and read",
         [] {
             detail::ImuTransportConfig transport;
             Result<detail::ImuReader> reader = detail::open_imu_platform(camera_info(), transport);
             if (!reader.ok()) return reader.status();
             return reader.value().read().status();
         }},
    };
}

bool is_library_wide(const std::string& function) {
    return function == "SonixCam_Init" || function == "SonixCam_UnInit" || function == "SonixCam_EnumCameras";
}

// A device call's status names the device's code, a library-wide call's the
// library's; under the "library" scope the device's code stays 0.
std::string vendor_text(const std::string& function, const std::string& scope) {
    if (scope == "library" && !is_library_wide(function)) return function + " failed: vendor_code=ecUnknow(0)";
    return function + " failed: vendor_code=ecDeviceDisconnect(" + std::to_string(kInjectedCode) + ")";
}

std::string with_range(const std::string& text, std::uint64_t address, std::uint64_t length) {
    char suffix[64];
    std::snprintf(suffix, sizeof(suffix), " (address=0x%08X, length=%llu)", static_cast<unsigned>(address),
                  static_cast<unsigned long long>(length));
    return text + suffix;
}

// What an operation must report when this call of the healthy run fails.
Status expected_failure(const vcam_call& call, const std::string& scope, const Operation& operation) {
    const std::string function = call.function;
    const std::string vendor = vendor_text(function, scope);
    if (function == "SonixCam_UnInit" || function == "SonixCam_GetDevDescriptor") return Status();  // tolerated
    const bool extension_unit = function == "SonixCam_SetNodeID" || function == "SonixCam_XuRead";
    if (extension_unit && operation.retries_extension_unit) return Status();
    if (function == "SonixCam_Init" || function == "SonixCam_GetSerialFlashType") {
        return Status(ErrorCode::DeviceUnavailable, vendor);
    }
    // A failed enumeration that reports no device found nothing.
    if (function == "SonixCam_EnumCameras") return Status(ErrorCode::DeviceUnavailable, "no matching device found");
    if (function == "SonixCam_CstmReadFromSF") {
        return Status(ErrorCode::ReadFailed, with_range(vendor, call.args[0], call.args[1]));
    }
    if (function == "SonixCam_GetVersion") return Status(ErrorCode::ReadFailed, vendor);
    if (function == "SonixCam_SetStatusRegBitWP" || function == "SonixCam_SetWriteProtectedSF") {
        return Status(ErrorCode::WriteFailed, vendor);
    }
    if (function == "SonixCam_SectorEraseSF") {
        return Status(ErrorCode::EraseFailed, with_range(vendor, call.args[0], kSectorSize));
    }
    if (function == "SonixCam_WriteToSF") {
        return Status(ErrorCode::WriteFailed, with_range(vendor, call.args[0], call.args[1]));
    }
    if (extension_unit) return Status(ErrorCode::BackendError, vendor);
    ADD_FAILURE() << "no expectation for " << function;
    return Status();
}

unsigned occurrence(const std::vector<vcam_call>& calls, std::size_t index) {
    unsigned nth = 0;
    for (std::size_t i = 0; i <= index; ++i) {
        if (std::string(calls[i].function) == calls[index].function) ++nth;
    }
    return nth;
}

// Fails each vendor call of the operation's healthy run in turn.
void sweep(const Operation& operation, const std::string& scope) {
    load_healthy_camera(scope);
    ASSERT_TRUE(operation.run().ok());
    const std::vector<vcam_call> healthy = logged_calls();
    ASSERT_FALSE(healthy.empty());

    for (std::size_t index = 0; index < healthy.size(); ++index) {
        const unsigned nth = occurrence(healthy, index);
        SCOPED_TRACE(::testing::Message() << healthy[index].function << " #" << nth);
        load_healthy_camera(scope);
        ASSERT_EQ(vcam_fail_call(healthy[index].function, nth, kInjectedCode), 0) << vcam_last_error();

        const Status status = operation.run();
        const Status expected = expected_failure(healthy[index], scope, operation);
        EXPECT_EQ(status.code(), expected.code());
        EXPECT_EQ(status.message(), expected.message());
        EXPECT_GE(vcam_count_calls(healthy[index].function), nth);  // the fault was reached
        if (std::string(healthy[index].function) == "SonixCam_UnInit") {
            // The library refused to uninitialise; the SDK called it exactly once.
            EXPECT_EQ(vcam_init_depth(), 1);
            (void)SonixCam_UnInit();
        }
        EXPECT_EQ(vcam_init_depth(), 0);
        EXPECT_TRUE(vendor_lock_free());

        vcam_clear_faults();
        const Status again = operation.run();
        EXPECT_TRUE(again.ok()) << again.message();
    }
}

using FaultSweepTest = VcamTest;

TEST_F(FaultSweepTest, EveryVendorCallOfEveryOperationFailsCleanly) {
    for (const char* scope : kErrorCodeScopes) {
        for (const Operation& operation : operations()) {
            SCOPED_TRACE(::testing::Message() << operation.name << ", error codes: " << scope);
            sweep(operation, scope);
        }
    }
}

// SonixCam_UnInit balances only a successful SonixCam_Init: after a failed
// one it would be a call the library never allowed.
TEST_F(FaultSweepTest, AFailedInitIsNeverFollowedByUnInit) {
    for (const Operation& operation : operations()) {
        for (const int code : {2, 4}) {
            SCOPED_TRACE(::testing::Message() << operation.name << ", vendor code " << code);
            load_healthy_camera("both");
            ASSERT_EQ(vcam_fail_call("SonixCam_Init", 1, code), 0);
            EXPECT_FALSE(operation.run().ok());
            EXPECT_EQ(vcam_count_calls("SonixCam_Init"), 1u);
            EXPECT_EQ(vcam_count_calls("SonixCam_UnInit"), 0u);
        }
    }
}

}  // namespace
}  // namespace velmora::uvc_stereo::transport_test

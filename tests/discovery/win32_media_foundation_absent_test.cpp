// Run with Media Foundation hidden from the process (under Wine, the DLL
// override "mfplat,mf=d"), as on Windows editions without it: only the
// Media Foundation back-end fails, and a scan still lists every camera with
// its DirectShow index.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "discovery/opencv_indices.hpp"
#include "platform/win32/media_foundation_library.hpp"
#include "sonix_virtual/vcam_control.h"
#include "velmora/uvc_stereo/scan.hpp"
#include "win32_dshow_registration.hpp"

namespace velmora::uvc_stereo {
namespace {

const std::string kMissingLibrary = "LoadLibrary(mfplat.dll) failed: hr=0x8007007E";

std::wstring widen_ascii(const std::string& text) { return std::wstring(text.begin(), text.end()); }

TEST(MediaFoundationAbsentTest, OnlyTheMediaFoundationBackendFails) {
    ASSERT_EQ(GetModuleHandleA("mfplat.dll"), nullptr) << "nothing may have loaded Media Foundation";
    const auto shared = detail::system_media_foundation();
    ASSERT_FALSE(shared.ok()) << "Media Foundation is not hidden: run with WINEDLLOVERRIDES=mfplat,mf=d";
    EXPECT_EQ(shared.status().message(), kMissingLibrary);

    const auto msmf = win_detail::enumerate_msmf_backend_candidates();
    ASSERT_FALSE(msmf.ok());
    EXPECT_EQ(msmf.status().code(), ErrorCode::BackendError);
    EXPECT_EQ(msmf.status().message(), kMissingLibrary);
    EXPECT_TRUE(win_detail::enumerate_dshow_backend_candidates().ok());
}

TEST(MediaFoundationAbsentTest, ScanKeepsDirectShowIndices) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    vcam_load_default_scenario();
    {
        const auto plain = scan_devices();
        ASSERT_TRUE(plain.ok()) << plain.status().message();
        ASSERT_EQ(plain.value().size(), 2u);
        const test_support::DshowRegistration registration(
            {{widen_ascii(plain.value()[0].name), L"", widen_ascii(plain.value()[0].device_path)},
             {widen_ascii(plain.value()[1].name), L"", widen_ascii(plain.value()[1].device_path)}});
        ASSERT_EQ(registration.error(), "");

        const auto scanned = scan_devices();
        ASSERT_TRUE(scanned.ok()) << scanned.status().message();
        ASSERT_EQ(scanned.value().size(), 2u);
        for (const DeviceInfo& device : scanned.value()) {
            SCOPED_TRACE(device.serial_number);
            EXPECT_EQ(device.opencv_indices.count(OpenCvBackend::CAP_MSMF), 0u);
            EXPECT_EQ(device.opencv_indices.count(OpenCvBackend::CAP_DSHOW), 1u);
        }
        EXPECT_NE(scanned.value()[0].opencv_indices.at(OpenCvBackend::CAP_DSHOW),
                  scanned.value()[1].opencv_indices.at(OpenCvBackend::CAP_DSHOW));
    }
    CoUninitialize();
}

}  // namespace
}  // namespace velmora::uvc_stereo

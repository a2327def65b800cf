// The real DirectShow and Media Foundation enumerations, run under Windows (or
// Wine) against virtual video-input devices registered by the test.
#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

#include "discovery/opencv_indices.hpp"
#include "discovery/windows_usb_identity.hpp"
#include "sonix_virtual/vcam_control.h"
#include "velmora/uvc_stereo/scan.hpp"
#include "discovery/win32/dshow_monikers.hpp"
#include "win32_dshow_registration.hpp"
#include "win32_fake_monikers.hpp"

namespace velmora::uvc_stereo {
namespace {

using test_support::DshowRegistration;
using test_support::VirtualVideoInput;

constexpr const wchar_t* kPathA =
    L"\\\\?\\USB#VID_0C45&PID_0643&MI_00#7&1A2B3C4D&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
constexpr const wchar_t* kPathB =
    L"\\\\?\\USB#VID_0C45&PID_0645&MI_00#7&5E6F7A8B&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";

// COM for the test thread itself (registration needs it); the enumerations
// add and remove their own initialisation on top.
class ComThread {
public:
    ComThread() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComThread() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    HRESULT result() const { return hr_; }

private:
    HRESULT hr_;
};

const win_detail::WinOpenCvCameraCandidate* find_by_name(
    const std::vector<win_detail::WinOpenCvCameraCandidate>& candidates, const std::string& name) {
    for (const auto& candidate : candidates) {
        if (candidate.name == name) return &candidate;
    }
    return nullptr;
}

TEST(Win32BackendEnumerationTest, DirectShowListsRegisteredVideoInputs) {
    const ComThread com;
    ASSERT_TRUE(SUCCEEDED(com.result()));
    const Result<std::vector<win_detail::WinOpenCvCameraCandidate>> before =
        win_detail::enumerate_dshow_backend_candidates();
    ASSERT_TRUE(before.ok()) << before.status().message();

    {
        const DshowRegistration registration({{L"Velmora Test Cam A", L"", kPathA},
                                              {L"Velmora Test Cam \u00C4", L"", kPathB},
                                              {L"", L"Velmora Described Cam", L"@device:sw:velmora-described"}});
        ASSERT_EQ(registration.error(), "");
        const auto listed = win_detail::enumerate_dshow_backend_candidates();
        ASSERT_TRUE(listed.ok()) << listed.status().message();
        ASSERT_EQ(listed.value().size(), before.value().size() + 3);
        // An empty FriendlyName: the device is named by its Description.
        const auto* described = find_by_name(listed.value(), "Velmora Described Cam");
        ASSERT_NE(described, nullptr);
        EXPECT_EQ(described->normalized_path, "velmora-described");

        const auto* first = find_by_name(listed.value(), "Velmora Test Cam A");
        const auto* second = find_by_name(listed.value(), "Velmora Test Cam \xC3\x84");
        ASSERT_NE(first, nullptr);
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(first->backend, OpenCvBackend::CAP_DSHOW);
        EXPECT_EQ(first->normalized_path, "usb#vid_0c45&pid_0643&mi_00#7&1a2b3c4d&0&0000");
        EXPECT_EQ(first->identity.pid, 0x0643);
        EXPECT_EQ(second->identity.pid, 0x0645);
        EXPECT_NE(first->index, second->index);
        for (std::size_t i = 0; i < listed.value().size(); ++i) EXPECT_EQ(listed.value()[i].index, static_cast<int>(i));
    }

    const auto after = win_detail::enumerate_dshow_backend_candidates();
    ASSERT_TRUE(after.ok());
    EXPECT_EQ(after.value().size(), before.value().size());
}

// A moniker whose property bag does not bind takes no index. Wine cannot be
// made to list one: its device monikers always bind (the reads fail instead),
// and a device whose registry key cannot be read is not listed at all. So
// the loop gets the system's monikers with unbindable ones in between.
TEST(Win32BackendEnumerationTest, DirectShowSkipsMonikersThatDoNotBind) {
    const ComThread com;
    ASSERT_TRUE(SUCCEEDED(com.result()));
    const DshowRegistration registration({{L"Velmora Test Cam A", L"", kPathA}, {L"Velmora Test Cam B", L"", kPathB}});
    ASSERT_EQ(registration.error(), "");
    const std::vector<IMoniker*> system = test_support::system_video_input_monikers();
    ASSERT_GE(system.size(), 2u);

    // Before, between and after the real ones: a failed bind, a bind that
    // succeeds without a bag, and an empty slot.
    std::vector<IMoniker*> mixed;
    std::vector<IMoniker*> fakes;
    for (IMoniker* real : system) {
        fakes.push_back(new test_support::UnbindableMoniker(fakes.size() % 2 == 0 ? E_FAIL : S_OK));
        mixed.push_back(fakes.back());
        mixed.push_back(nullptr);
        mixed.push_back(real);
    }
    fakes.push_back(new test_support::UnbindableMoniker(E_FAIL));
    mixed.push_back(fakes.back());
    auto* list = new test_support::MonikerList(mixed);
    for (IMoniker* moniker : fakes) moniker->Release();
    for (IMoniker* moniker : system) moniker->Release();

    const detail::CandidateList candidates = detail::read_dshow_monikers(list);
    list->Release();
    ASSERT_EQ(candidates.size(), system.size());
    for (std::size_t i = 0; i < candidates.size(); ++i) EXPECT_EQ(candidates[i].index, static_cast<int>(i));
    const auto* first = find_by_name(candidates, "Velmora Test Cam A");
    const auto* second = find_by_name(candidates, "Velmora Test Cam B");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->identity.pid, 0x0643);
    EXPECT_EQ(second->identity.pid, 0x0645);
}

TEST(Win32BackendEnumerationTest, CallerApartmentIsKept) {
    // A thread already in the multithreaded apartment: the enumerations must
    // work in it and leave its initialisation in place.
    std::thread worker([] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        EXPECT_TRUE(win_detail::enumerate_dshow_backend_candidates().ok());
        EXPECT_TRUE(win_detail::enumerate_msmf_backend_candidates().ok());
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);  // still initialised
        CoUninitialize();
        CoUninitialize();
    });
    worker.join();

    // A thread without COM gets it only for the call.
    std::thread bare([] {
        EXPECT_TRUE(win_detail::enumerate_dshow_backend_candidates().ok());
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);  // nothing left behind
        CoUninitialize();
    });
    bare.join();
}

std::wstring widen_ascii(const std::string& text) { return std::wstring(text.begin(), text.end()); }

TEST(Win32BackendEnumerationTest, ScanMapsVirtualCamerasToTheirDirectShowIndices) {
    const ComThread com;
    ASSERT_TRUE(SUCCEEDED(com.result()));
    vcam_load_default_scenario();
    const Result<std::vector<DeviceInfo>> plain = scan_devices();
    ASSERT_TRUE(plain.ok()) << plain.status().message();
    ASSERT_EQ(plain.value().size(), 2u);

    // DirectShow lists the two cameras in the opposite order, under the
    // moniker form of their paths, behind an unrelated device.
    const std::string& first_path = plain.value()[0].device_path;
    const std::string& second_path = plain.value()[1].device_path;
    const DshowRegistration registration(
        {{L"Velmora Unrelated Cam", L"", L"@device:sw:velmora-unrelated"},
         {widen_ascii(plain.value()[1].name), L"", L"@device:pnp:" + widen_ascii(second_path)},
         {widen_ascii(plain.value()[0].name), L"", L"@device:pnp:" + widen_ascii(first_path)}});
    ASSERT_EQ(registration.error(), "");

    // Where each path sits in the real enumeration (the prefix may hold
    // other devices as well).
    const auto listed = win_detail::enumerate_dshow_backend_candidates();
    ASSERT_TRUE(listed.ok()) << listed.status().message();
    auto index_of = [&](const std::string& path) {
        const std::string canonical = win_detail::normalize_windows_device_path(path);
        for (const auto& candidate : listed.value()) {
            if (candidate.normalized_path == canonical) return candidate.index;
        }
        return -1;
    };
    const int first_index = index_of(first_path);
    const int second_index = index_of(second_path);
    ASSERT_GE(first_index, 0);
    ASSERT_GE(second_index, 0);
    ASSERT_NE(first_index, second_index);

    const Result<std::vector<DeviceInfo>> scanned = scan_devices();
    ASSERT_TRUE(scanned.ok()) << scanned.status().message();
    ASSERT_EQ(scanned.value().size(), 2u);
    EXPECT_EQ(scanned.value()[0].opencv_indices.at(OpenCvBackend::CAP_DSHOW), first_index);
    EXPECT_EQ(scanned.value()[1].opencv_indices.at(OpenCvBackend::CAP_DSHOW), second_index);
    EXPECT_FALSE(scanned.value()[0].descriptor_text.empty());
    EXPECT_FALSE(scanned.value()[1].serial_number.empty());
}

}  // namespace
}  // namespace velmora::uvc_stereo

// The real DirectShow and Media Foundation enumerations, run under Windows (or
// Wine) against virtual video-input devices registered by the test.
#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

#include "discovery/opencv_indices.hpp"
#include "win32_dshow_registration.hpp"

namespace velmora::uvc_stereo {
namespace {

using testing::DshowRegistration;
using testing::VirtualVideoInput;

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

TEST(Win32BackendEnumerationTest, MediaFoundationEnumerates) {
    // No capture hardware is assumed: only that Media Foundation starts,
    // enumerates and shuts down cleanly, with aligned positions.
    const auto listed = win_detail::enumerate_msmf_backend_candidates();
    ASSERT_TRUE(listed.ok()) << listed.status().message();
    for (std::size_t i = 0; i < listed.value().size(); ++i) EXPECT_EQ(listed.value()[i].index, static_cast<int>(i));
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

}  // namespace
}  // namespace velmora::uvc_stereo

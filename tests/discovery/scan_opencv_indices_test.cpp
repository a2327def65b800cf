// OpenCV indices attached by a scan, with the back-end lists the virtual
// camera offers where there is no COM.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "discovery/opencv_indices.hpp"
#include "sonix_virtual/vcam_control.h"
#include "support/virtual_camera.hpp"
#include "support/virtual_camera_test.hpp"
#include "velmora/uvc_stereo/scan.hpp"

namespace velmora::uvc_stereo {
namespace {

using test_support::BackendEntry;
using test_support::Backends;
using test_support::load_scenario;
using test_support::scenario_json;
using test_support::vendor_path;
using test_support::VirtualCamera;
using Indices = std::map<OpenCvBackend, int>;

constexpr std::uint32_t kEFail = 0x80004005;

VirtualCamera camera(std::string id, std::uint16_t pid = 0x0643) {
    VirtualCamera out = test_support::identity_only_camera(std::move(id), pid);
    out.product_name = "Stereo " + out.id;
    return out;
}

// The path as Media Foundation reports it: upper case, another class GUID.
std::string symbolic_link(std::uint16_t pid, const std::string& instance) {
    std::string link = vendor_path(0x0C45, pid, instance);
    link = link.substr(0, link.find("#{")) + "#{e5323777-f976-4f5b-9b55-b94699c46e44}\\global";
    for (char& c : link) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return link;
}

std::vector<Indices> scan_indices() {
    const Result<std::vector<DeviceInfo>> scanned = scan_devices();
    EXPECT_TRUE(scanned.ok()) << scanned.status().message();
    std::vector<Indices> out;
    if (!scanned.ok()) return out;
    for (const DeviceInfo& info : scanned.value()) out.push_back(info.opencv_indices);
    return out;
}

class ScanOpenCvIndicesTest : public test_support::VirtualCameraTest {};

TEST_F(ScanOpenCvIndicesTest, DefaultScenarioHasBothBackEnds) {
    vcam_load_default_scenario();
    std::vector<Indices> expected = {
        {{OpenCvBackend::CAP_MSMF, 0}, {OpenCvBackend::CAP_DSHOW, 0}},
        {{OpenCvBackend::CAP_MSMF, 1}, {OpenCvBackend::CAP_DSHOW, 1}},
    };
#if !defined(_WIN32)
    // On Linux the camera library names each camera's capture node as well.
    expected[0][OpenCvBackend::CAP_V4L2] = 0;
    expected[1][OpenCvBackend::CAP_V4L2] = 2;
#endif
    EXPECT_EQ(scan_indices(), expected);
}

TEST_F(ScanOpenCvIndicesTest, Lists) {
    const std::string path_a = vendor_path(0x0C45, 0x0643, "a");
    const BackendEntry webcam{"Laptop Webcam", "", "\\\\?\\usb#vid_04f2&pid_b6dd&mi_00#6&abc&0&0000#{65e8773d}", true};
    struct Row {
        const char* label;
        std::vector<VirtualCamera> cameras;
        Backends backends;
        std::vector<Indices> expected;
    };
    const std::vector<Row> rows = {
        {"MF position 0, second bound DirectShow moniker",
         {camera("a")},
         {0, {{"Stereo a", "", symbolic_link(0x0643, "a"), true}}, 0, {webcam, {"Stereo a", "", path_a, true}}},
         {{{OpenCvBackend::CAP_MSMF, 0}, {OpenCvBackend::CAP_DSHOW, 1}}}},
        {"an unbindable moniker takes no index",
         {camera("a")},
         {0, {}, 0, {{"Broken", "", "x", false}, {"Stereo a", "", path_a, true}}},
         {{{OpenCvBackend::CAP_DSHOW, 0}}}},
        {"an empty FriendlyName is replaced by the Description",
         {camera("a")},
         {0, {}, 0, {webcam, {"", "Stereo a", "usb#vid_0c45&pid_0643", true}}},
         {{{OpenCvBackend::CAP_DSHOW, 1}}}},
        {"Media Foundation failing leaves DirectShow",
         {camera("a")},
         {kEFail, {{"Stereo a", "", symbolic_link(0x0643, "a"), true}}, 0, {{"Stereo a", "", path_a, true}}},
         {{{OpenCvBackend::CAP_DSHOW, 0}}}},
        {"DirectShow failing leaves Media Foundation",
         {camera("a")},
         {0, {{"Stereo a", "", symbolic_link(0x0643, "a"), true}}, kEFail, {{"Stereo a", "", path_a, true}}},
         {{{OpenCvBackend::CAP_MSMF, 0}}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        load_scenario(scenario_json(row.cameras, row.backends));
        EXPECT_EQ(scan_indices(), row.expected);
    }
}

#if !defined(_WIN32)
TEST_F(ScanOpenCvIndicesTest, LinuxIndexIsTheCaptureNodeTheCameraLibraryNames) {
    struct Row {
        const char* label;
        const char* devices;
        std::vector<Indices> expected;
    };
    const std::vector<Row> rows = {
        {"each camera its own node, in scan order",
         R"({"id": "a", "vid": 3141, "pid": 1603, "v4l2_node": 7}, {"id": "b", "vid": 3141, "pid": 1605, "v4l2_node": 0})",
         {{{OpenCvBackend::CAP_V4L2, 7}}, {{OpenCvBackend::CAP_V4L2, 0}}}},
        {"a camera without a node gets no V4L2 index, the others keep theirs",
         R"({"id": "a", "vid": 3141, "pid": 1603}, {"id": "b", "vid": 3141, "pid": 1605, "v4l2_node": 12})",
         {{}, {{OpenCvBackend::CAP_V4L2, 12}}}},
        {"an unplugged camera is not scanned and shifts nothing",
         R"({"id": "a", "vid": 3141, "pid": 1603, "v4l2_node": 3, "attached": false}, {"id": "b", "vid": 3141, "pid": 1605, "v4l2_node": 5})",
         {{{OpenCvBackend::CAP_V4L2, 5}}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        load_scenario(std::string(R"({"devices": [)") + row.devices + "]}");
        EXPECT_EQ(scan_indices(), row.expected);
    }
}
#endif

TEST_F(ScanOpenCvIndicesTest, BackEndFailureTexts) {
    test_support::Backends failing;
    failing.msmf_failure = kEFail;
    failing.dshow_failure = 0x80070005;
    load_scenario(scenario_json({camera("a")}, failing));
    const auto msmf = win_detail::enumerate_msmf_backend_candidates();
    EXPECT_EQ(msmf.status().code(), ErrorCode::BackendError);
    EXPECT_EQ(msmf.status().message(), "MFStartup failed: hr=0x80004005");
    const auto dshow = win_detail::enumerate_dshow_backend_candidates();
    EXPECT_EQ(dshow.status().code(), ErrorCode::BackendError);
    EXPECT_EQ(dshow.status().message(), "CoCreateInstance(CLSID_SystemDeviceEnum) failed: hr=0x80070005");
}

}  // namespace
}  // namespace velmora::uvc_stereo

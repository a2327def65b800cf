// Matching scanned cameras to back-end candidates, with hand-made lists.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "discovery/backend_candidates.hpp"
#include "discovery/opencv_indices.hpp"

namespace velmora::uvc_stereo {
namespace {

using detail::assign_opencv_indices;
using detail::make_backend_candidate;
using win_detail::EnumeratedDevice;
using win_detail::WinOpenCvCameraCandidate;
using Indices = std::map<OpenCvBackend, int>;

constexpr const char* kPathA = "\\\\?\\usb#vid_0c45&pid_0643&mi_00#7&aaaa&0&0000#{e5323777-f976-4f5b-9b55-b94699c46e44}";
constexpr const char* kPathB = "\\\\?\\usb#vid_0c45&pid_0643&mi_00#7&bbbb&0&0000#{e5323777-f976-4f5b-9b55-b94699c46e44}";

EnumeratedDevice device(std::uint16_t vid, std::uint16_t pid, std::string name, std::string path,
                        std::string serial = "") {
    EnumeratedDevice entry{};
    entry.info.vid = vid;
    entry.info.pid = pid;
    entry.info.name = std::move(name);
    entry.info.device_path = std::move(path);
    entry.info.serial_number = std::move(serial);
    return entry;
}

WinOpenCvCameraCandidate dshow(int index, std::string name, std::string path) {
    return make_backend_candidate(OpenCvBackend::CAP_DSHOW, index, std::move(name), std::move(path));
}

WinOpenCvCameraCandidate msmf(int index, std::string name, std::string path) {
    return make_backend_candidate(OpenCvBackend::CAP_MSMF, index, std::move(name), std::move(path));
}

std::vector<Indices> indices_of(const std::vector<EnumeratedDevice>& devices) {
    std::vector<Indices> out;
    for (const EnumeratedDevice& entry : devices) out.push_back(entry.info.opencv_indices);
    return out;
}

TEST(OpenCvBackendNameTest, Names) {
    EXPECT_EQ(opencv_backend_name(OpenCvBackend::CAP_V4L2), "CAP_V4L2");
    EXPECT_EQ(opencv_backend_name(OpenCvBackend::CAP_DSHOW), "CAP_DSHOW");
    EXPECT_EQ(opencv_backend_name(OpenCvBackend::CAP_MSMF), "CAP_MSMF");
    EXPECT_EQ(opencv_backend_name(OpenCvBackend::CAP_GSTREAMER), "CAP_GSTREAMER");
    EXPECT_EQ(opencv_backend_name(static_cast<OpenCvBackend>(0)), "CAP_UNKNOWN");
    EXPECT_EQ(opencv_backend_name(static_cast<OpenCvBackend>(701)), "CAP_UNKNOWN");
}

TEST(AssignOpenCvIndicesTest, Passes) {
    struct Row {
        const char* label;
        std::vector<EnumeratedDevice> devices;
        std::vector<WinOpenCvCameraCandidate> candidates;
        std::vector<Indices> expected;
    };
    const Indices none;
    const std::vector<Row> rows = {
        {"pass 1: equal canonical path in another wrapping",
         {device(0x0C45, 0x0643, "Cam", kPathA)},
         {dshow(0, "Other", "@device:pnp:\\\\?\\USB#VID_0C45&PID_0643&MI_00#7&AAAA&0&0000#{65e8773d}\\global")},
         {{{OpenCvBackend::CAP_DSHOW, 0}}}},
        {"two identical cameras told apart by path",
         {device(0x0C45, 0x0643, "Cam", kPathA), device(0x0C45, 0x0643, "Cam", kPathB)},
         {dshow(0, "Cam", kPathB), dshow(1, "Cam", kPathA)},
         {{{OpenCvBackend::CAP_DSHOW, 1}}, {{OpenCvBackend::CAP_DSHOW, 0}}}},
        {"two identical cameras with only equal names: neither assigned",
         {device(0x0C45, 0x0643, "Cam", ""), device(0x0C45, 0x0643, "Cam", "")},
         {dshow(0, "Cam", "usb#vid_0c45&pid_0643"), dshow(1, "Cam", "usb#vid_0c45&pid_0643")},
         {none, none}},
        {"pass 2: same interface, other wrapping of the instance",
         {device(0x0C45, 0x0643, "Cam", "usb#vid_0c45&pid_0643&mi_00#7&aaaa&0&0000")},
         {dshow(0, "x", "usb#vid_0c45&pid_0643&mi_01#7&aaaa&0&0000"),
          dshow(1, "y", "usb#vid_0c45&pid_0643&mi_00#7&aaaa&0&0000#extra")},
         {{{OpenCvBackend::CAP_DSHOW, 1}}}},
        {"pass 2 refuses a conflicting interface",
         {device(0x0C45, 0x0643, "", "usb#vid_0c45&pid_0643&mi_00")},
         {dshow(0, "", "usb#vid_0c45&pid_0643&mi_02")},
         {none}},
        {"pass 3: the device serial is the path's instance component",
         {device(0x0C45, 0x0643, "", "", "SN-01")},
         {msmf(0, "", "usb#vid_0c45&pid_0645#sn-01"), msmf(1, "", "\\\\?\\usb#vid_0c45&pid_0643#SN-01#{guid}")},
         {{{OpenCvBackend::CAP_MSMF, 1}}}},
        {"pass 4: ids from the device, names equal ignoring case",
         {device(0x0C45, 0x0643, "Stereo Cam", "")},
         {dshow(0, "Stereo Cam", "usb#vid_0c45&pid_0645"), dshow(1, "STEREO CAM", "usb#vid_0c45&pid_0643")},
         {{{OpenCvBackend::CAP_DSHOW, 1}}}},
        {"passes 2 to 4 need ids on both sides",
         {device(0x0C45, 0x0643, "Virtual Cam", "", "sn")},
         {dshow(0, "Virtual Cam", "@device:sw:{guid}\\sn")},
         {none}},
        {"a virtual camera without ids matches by path",
         {device(0, 0, "Virtual Cam", "@device:sw:{860BB310}\\Virtual Cam")},
         {dshow(0, "Other", "@device:sw:{860bb310}\\virtual cam")},
         {{{OpenCvBackend::CAP_DSHOW, 0}}}},
        {"a candidate taken by path is not given away by name",
         {device(0x0C45, 0x0643, "Cam", "", ""), device(0x0C45, 0x0643, "Cam", kPathA)},
         {dshow(0, "Cam", kPathA)},
         {none, {{OpenCvBackend::CAP_DSHOW, 0}}}},
        {"ambiguous by path and identity, settled by name",
         {device(0x0C45, 0x0643, "Cam", "usb#vid_0c45&pid_0643&mi_00")},
         {dshow(0, "Other", "usb#vid_0c45&pid_0643&mi_00"), dshow(1, "Cam", "usb#vid_0c45&pid_0643&mi_00")},
         {{{OpenCvBackend::CAP_DSHOW, 1}}}},
        {"empty candidate list",
         {device(0x0C45, 0x0643, "Cam", kPathA)},
         {},
         {none}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        std::vector<EnumeratedDevice> devices = row.devices;
        assign_opencv_indices(row.candidates, devices);
        EXPECT_EQ(indices_of(devices), row.expected);
    }
}

TEST(AssignOpenCvIndicesTest, BackEndsAddUpAndExistingIndicesAreOverwrittenPerBackEnd) {
    std::vector<EnumeratedDevice> devices = {device(0x0C45, 0x0643, "Cam", kPathA)};
    devices[0].info.opencv_indices[OpenCvBackend::CAP_DSHOW] = 9;
    assign_opencv_indices({msmf(0, "Cam", kPathA)}, devices);
    assign_opencv_indices({dshow(0, "Mic", "x"), dshow(1, "Cam", kPathA)}, devices);
    const Indices expected = {{OpenCvBackend::CAP_MSMF, 0}, {OpenCvBackend::CAP_DSHOW, 1}};
    EXPECT_EQ(devices[0].info.opencv_indices, expected);
}

}  // namespace
}  // namespace velmora::uvc_stereo

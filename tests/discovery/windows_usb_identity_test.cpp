// Device path normalisation, USB identity parsing and the shared text helpers.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "discovery/windows_usb_identity.hpp"

namespace velmora::uvc_stereo {
namespace {

using win_detail::normalize_windows_device_path;
using win_detail::parse_windows_usb_identity;

constexpr const char* kCanonicalCamera = "usb#vid_0c45&pid_0643&mi_00#7&1a2b3c4d&0&0000";

TEST(NormalizeWindowsDevicePathTest, Forms) {
    struct Row {
        const char* label;
        std::string input;
        std::string expected;
    };
    const Row rows[] = {
        {"vendor library form",
         "\\\\?\\USB#VID_0C45&PID_0643&MI_00#7&1A2B3C4D&0&0000#{00000000-0000-0000-0000-000000000000}\\GLOBAL",
         kCanonicalCamera},
        {"DirectShow moniker form",
         "@device:pnp:\\\\?\\usb#vid_0c45&pid_0643&mi_00#7&1a2b3c4d&0&0000#{00000000-0000-0000-0000-000000000000}"
         "\\global",
         kCanonicalCamera},
        {"short file prefix", "\\?\\usb#vid_0c45&pid_0643&mi_00#7&1a2b3c4d&0&0000", kCanonicalCamera},
        {"forward slashes and runs", "//?/usb//vid_0c45&pid_0643&mi_00\\\\7&1a2b3c4d&0&0000/", kCanonicalCamera},
        {"text before usb# dropped", "\\\\?\\root#usb#vid_0c45&pid_0643", "usb#vid_0c45&pid_0643"},
        {"software device keeps its text", "@device:sw:{860BB310-5D01-11D0-BD3B-00A0C911CE86}\\Virtual Cam",
         "{860bb310-5d01-11d0-bd3b-00a0c911ce86}#virtual cam"},
        {"empty", "", ""},
        {"blanks only", " \t\r\n", ""},
        {"trailing NUL, CR and LF removed", std::string("usb#vid_0c45&pid_0643\r\n\0", 24), "usb#vid_0c45&pid_0643"},
        {"leading spaces and tabs removed", " \tusb#vid_0c45", "usb#vid_0c45"},
        {"leading CR kept", "\r@device:sw:{guid}\\Cam", "\r@device:sw:{guid}#cam"},
        {"only the first moniker prefix removed", "@device:sw:@device:pnp:x", "@device:pnp:x"},
        {"UTF-8 left alone", "USB#VID_0C45#Kamera\xC3\x84", "usb#vid_0c45#kamera\xC3\x84"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(normalize_windows_device_path(row.input), row.expected);
    }
}

// Normalisation is one pass: its cuts can expose blanks, NULs or a second
// moniker prefix that only another pass removes (found by the device path
// fuzz target; real device paths have none of these). A second pass settles.
TEST(NormalizeWindowsDevicePathTest, OnePassLeavesWhatItsCutsExpose) {
    struct Row {
        const char* label;
        std::string input;
        std::string once;
        std::string twice;
    };
    const Row rows[] = {
        {"NULs before the interface-class GUID", std::string("\0\0#{guid}", 9), std::string("\0\0", 2), ""},
        {"blanks before the GUID", "usb#vid_0c45&pid_0643#sn \t#{65e8773d}\\global", "usb#vid_0c45&pid_0643#sn \t",
         "usb#vid_0c45&pid_0643#sn"},
        {"a blank before a trailing separator", "usb#vid_0c45 \\", "usb#vid_0c45 ", "usb#vid_0c45"},
        {"blanks after a stripped prefix", "\\\\?\\ \tcam", " \tcam", "cam"},
        {"a second moniker prefix", "@device:sw:@device:pnp:x", "@device:pnp:x", "x"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const std::string once = normalize_windows_device_path(row.input);
        EXPECT_EQ(once, row.once);
        const std::string twice = normalize_windows_device_path(once);
        EXPECT_EQ(twice, row.twice);
        EXPECT_EQ(normalize_windows_device_path(twice), twice);
    }
}

TEST(ParseWindowsUsbIdentityTest, Fields) {
    struct Row {
        const char* path;
        std::uint16_t vid;
        std::uint16_t pid;
        const char* serial_number;
        const char* interface_number;
        const char* collection;
    };
    const Row rows[] = {
        {kCanonicalCamera, 0x0C45, 0x0643, "7&1a2b3c4d&0&0000", "00", ""},
        {"", 0, 0, "", "", ""},
        {"usb#vid_0c45&pid_06", 0x0C45, 0, "", "", ""},  // "pid_" too close to the end
        {"usb#vid_0c45&pid_0643", 0x0C45, 0x0643, "", "", ""},  // two pieces: no serial
        {"usb#vid_zz45&pid_0643#sn1", 0, 0x0643, "sn1", "", ""},
        {"hid#vid_0c45&pid_0643&mi_02&col01#8&abc&0&0000", 0x0C45, 0x0643, "8&abc&0&0000", "02", "01"},
        {"usb#vid_0c45&pid_0643&mi_01", 0x0C45, 0x0643, "", "01", ""},  // "mi_" text up to the end
        {"usb##x", 0, 0, "x", "", ""},                                   // empty pieces count
        {"usb#vid_0c45&pid_0643#SN#more", 0x0C45, 0x0643, "SN", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        const win_detail::WindowsUsbIdentity identity = parse_windows_usb_identity(row.path);
        EXPECT_EQ(identity.vid, row.vid);
        EXPECT_EQ(identity.pid, row.pid);
        EXPECT_EQ(identity.serial_number, row.serial_number);
        EXPECT_EQ(identity.interface_number, row.interface_number);
        EXPECT_EQ(identity.collection, row.collection);
    }
}

TEST(VidPidTest, MakeAndMatch) {
    EXPECT_EQ(win_detail::make_vidpid_string(0x0C45, 0x0643), "0c450643");
    EXPECT_EQ(win_detail::make_vidpid_string(0, 0xABCD), "0000abcd");
    struct Row {
        const char* vidpid;
        bool matches;
    };
    const Row rows[] = {
        {"", true},           {"0c450643", true},  {"0C450643", true},   {"0c45:0643", false},
        {"0x0c450643", false}, {"0c45064", false}, {"0c4506430", false}, {"0c450645", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.vidpid);
        EXPECT_EQ(detail::vidpid_matches(row.vidpid, 0x0C45, 0x0643), row.matches);
    }
}

TEST(ParseVidPidTest, AcceptsAnyFormButNeedsBothIds) {
    struct Row {
        const char* text;
        bool ok;
        std::uint16_t vid;
        std::uint16_t pid;
    };
    const Row rows[] = {
        {"\\\\?\\USB#VID_0C45&PID_0643#x", true, 0x0C45, 0x0643},
        {"pid_0643 then vid_0c45", true, 0x0C45, 0x0643},
        {"usb#vid_0c45", false, 0, 0},
        {"usb#vid_0c45&pid_064", false, 0, 0},
        {"usb#vid_0g45&pid_0643", false, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        std::uint16_t vid = 0;
        std::uint16_t pid = 0;
        EXPECT_EQ(detail::parse_vid_pid(row.text, vid, pid), row.ok);
        EXPECT_EQ(vid, row.vid);
        EXPECT_EQ(pid, row.pid);
    }
}

TEST(ParseHexU16Test, FailureLeavesOutputUnchanged) {
    struct Row {
        const char* digits;
        bool ok;
        std::uint16_t expected;
    };
    const Row rows[] = {
        {"0c45", true, 0x0C45}, {"ABCD", true, 0xABCD}, {"ffff", true, 0xFFFF}, {"0x45", false, 0x7777},
        {"12 4", false, 0x7777}, {"-123", false, 0x7777}, {"", false, 0x7777}, {"10000", false, 0x7777},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.digits);
        std::uint16_t out = 0x7777;
        EXPECT_EQ(detail::parse_hex_u16(row.digits, out), row.ok);
        EXPECT_EQ(out, row.expected);
    }
}

TEST(TextHelpersTest, CaseAndSeparators) {
    EXPECT_EQ(detail::collapse_path_separators("//a\\\\b#/#c//"), "a#b#c");
    EXPECT_EQ(detail::collapse_path_separators("###"), "");
    EXPECT_EQ(detail::to_lower_ascii("AbC-\xC3\x84"), "abc-\xC3\x84");
    EXPECT_TRUE(detail::equals_ignore_ascii_case("USB#Vid_0C45", "usb#vid_0c45"));
    EXPECT_FALSE(detail::equals_ignore_ascii_case("usb#vid_0c45", "usb#vid_0c4"));
    // Only ASCII letters fold: U+00C4 and U+00E4 stay different.
    EXPECT_FALSE(detail::equals_ignore_ascii_case("\xC3\x84", "\xC3\xA4"));
}

}  // namespace
}  // namespace velmora::uvc_stereo

// The USB cameras uvcvideo offers: their capture nodes and what sysfs says
// about the USB interface and device behind each.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sonix_uvcvideo {

struct UsbCamera {
    // "/sys/bus/usb/devices/1-1.2:1.0": the camera's USB interface, named by
    // bus and port path, so the same camera in the same port keeps it across
    // unplugging and the capture node's renumbering. The record's path.
    std::string device_path;
    int node_number = -1;          // N of /dev/videoN
    std::string device_node;       // "/dev/video0"
    std::string usb_device_name;   // "1-1.2"
    std::string usb_device_folder; // the USB device's real sysfs folder
    std::uint16_t vid = 0;
    std::uint16_t pid = 0;
    std::uint8_t configuration = 0;
    std::uint8_t interface_number = 0;
    std::optional<std::string> product;
    std::optional<std::string> serial;
    std::optional<std::string> interface_text;
    std::string node_label;        // the capture node's own name
};

// Every USB camera with a video4linux capture node, ordered by node number.
// Metadata and output nodes are left out; a camera with several capture nodes
// on one interface is listed once, with its first. A node this user may not
// open is still listed: nothing here needs to open it.
std::vector<UsbCamera> enumerate_usb_cameras();

// The camera listed under this device path now, if any.
std::optional<UsbCamera> find_usb_camera(const std::string& device_path);

// "/sys/bus/usb/devices/" + the interface's name.
std::string device_path_for_interface(const std::string& interface_name);

}  // namespace sonix_uvcvideo

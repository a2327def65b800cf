// Enumeration over /sys/class/video4linux, walking each node's real sysfs
// path up to its USB interface and USB device, as libudev does.
#include "usb_cameras.hpp"

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>

#include "sysfs_files.hpp"

namespace sonix_uvcvideo {
namespace {

const char* const kVideoClassFolder = "/sys/class/video4linux";
const char* const kUsbDevicesFolder = "/sys/bus/usb/devices/";
const char* const kDevicesRoot = "/sys/devices";
const char* const kNodePrefix = "video";

enum class NodeKind { capture, other, unknown };

// What the node says of itself, when this user may open it.
NodeKind query_node_kind(const std::string& device_node) {
    const int fd = ::open(device_node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return NodeKind::unknown;
    v4l2_capability capability{};
    int result;
    do {
        result = ::ioctl(fd, VIDIOC_QUERYCAP, &capability);
    } while (result != 0 && errno == EINTR);
    ::close(fd);
    if (result != 0) return NodeKind::unknown;
    const std::uint32_t caps =
        (capability.capabilities & V4L2_CAP_DEVICE_CAPS) != 0 ? capability.device_caps : capability.capabilities;
    return (caps & (V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_VIDEO_CAPTURE_MPLANE)) != 0 ? NodeKind::capture
                                                                                  : NodeKind::other;
}

// "video12" gives 12; anything else -1.
int node_number(const std::string& name) {
    const std::string prefix(kNodePrefix);
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return -1;
    int number = 0;
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9' || number > 100000) return -1;
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

std::optional<std::uint16_t> hex_attribute(const std::string& folder, const char* name) {
    const auto text = read_attribute(folder, name);
    if (!text || text->empty() || text->size() > 4) return std::nullopt;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text->c_str(), &end, 16);
    if (end == nullptr || *end != '\0') return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

// The nearest folder above `start` (inside /sys/devices) that has `attribute`.
std::optional<std::string> ancestor_with(const std::string& start, const char* attribute) {
    for (std::string folder = parent_folder(start); folder.size() > std::string(kDevicesRoot).size();
         folder = parent_folder(folder)) {
        if (read_attribute(folder, attribute)) return folder;
    }
    return std::nullopt;
}

// "1-1.2:1.0" names configuration 1; the device's current configuration is
// the fallback for a name of another shape.
std::uint8_t configuration_of(const std::string& interface_name, const std::string& usb_device_folder) {
    const std::size_t colon = interface_name.find(':');
    if (colon != std::string::npos) {
        const int value = std::atoi(interface_name.c_str() + colon + 1);
        if (value > 0 && value < 256) return static_cast<std::uint8_t>(value);
    }
    const auto current = read_attribute(usb_device_folder, "bConfigurationValue");
    return current ? static_cast<std::uint8_t>(std::atoi(current->c_str())) : 1;
}

// A capture node by the sysfs index (uvcvideo gives a camera's metadata node
// index 1) and, when the node can be opened, by what it reports.
bool is_capture_node(const std::string& node_folder, const std::string& device_node) {
    const auto index = read_attribute(node_folder, "index");
    if (index && !index->empty() && *index != "0") return false;
    return query_node_kind(device_node) != NodeKind::other;
}

std::optional<UsbCamera> describe_node(const std::string& name) {
    const int number = node_number(name);
    if (number < 0) return std::nullopt;
    const auto node_folder = resolve_real_path(std::string(kVideoClassFolder) + "/" + name);
    if (!node_folder) return std::nullopt;
    UsbCamera camera;
    camera.node_number = number;
    camera.device_node = "/dev/" + read_uevent_value(*node_folder, "DEVNAME").value_or(name);
    if (!is_capture_node(*node_folder, camera.device_node)) return std::nullopt;

    const auto interface_folder = ancestor_with(*node_folder, "bInterfaceNumber");
    if (!interface_folder) return std::nullopt;  // not a USB camera
    const auto usb_device_folder = ancestor_with(*interface_folder, "idVendor");
    if (!usb_device_folder) return std::nullopt;
    const auto vid = hex_attribute(*usb_device_folder, "idVendor");
    const auto pid = hex_attribute(*usb_device_folder, "idProduct");
    const auto interface_number = hex_attribute(*interface_folder, "bInterfaceNumber");
    if (!vid || !pid || !interface_number) return std::nullopt;

    const std::string interface_name = last_component(*interface_folder);
    camera.device_path = device_path_for_interface(interface_name);
    camera.usb_device_name = last_component(*usb_device_folder);
    camera.usb_device_folder = *usb_device_folder;
    camera.vid = *vid;
    camera.pid = *pid;
    camera.interface_number = static_cast<std::uint8_t>(*interface_number);
    camera.configuration = configuration_of(interface_name, *usb_device_folder);
    camera.product = read_attribute(*usb_device_folder, "product");
    camera.serial = read_attribute(*usb_device_folder, "serial");
    camera.interface_text = read_attribute(*interface_folder, "interface");
    camera.node_label = read_attribute(*node_folder, "name").value_or(std::string());
    return camera;
}

}  // namespace

std::string device_path_for_interface(const std::string& interface_name) {
    return kUsbDevicesFolder + interface_name;
}

std::vector<UsbCamera> enumerate_usb_cameras() {
    std::map<std::string, UsbCamera> by_path;
    for (const std::string& name : list_folder(kVideoClassFolder)) {
        std::optional<UsbCamera> camera = describe_node(name);
        if (!camera) continue;
        auto found = by_path.find(camera->device_path);
        if (found == by_path.end()) {
            by_path.emplace(camera->device_path, std::move(*camera));
        } else if (camera->node_number < found->second.node_number) {
            found->second = std::move(*camera);
        }
    }
    std::vector<UsbCamera> cameras;
    for (auto& entry : by_path) cameras.push_back(std::move(entry.second));
    std::sort(cameras.begin(), cameras.end(),
              [](const UsbCamera& a, const UsbCamera& b) { return a.node_number < b.node_number; });
    return cameras;
}

std::optional<UsbCamera> find_usb_camera(const std::string& device_path) {
    for (UsbCamera& camera : enumerate_usb_cameras()) {
        if (camera.device_path == device_path) return std::move(camera);
    }
    return std::nullopt;
}

}  // namespace sonix_uvcvideo

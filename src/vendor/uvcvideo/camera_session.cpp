// Extension-unit reads on one camera's capture node, under its lock file.
#include "camera_session.hpp"

#include <fcntl.h>
#include <linux/usb/video.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "camera_lock.hpp"
#include "control_query.hpp"
#include "sonix_camera.h"

namespace sonix_uvcvideo {
namespace {

constexpr int kByteShift = 8;

std::uint16_t control_key(std::uint8_t unit, std::uint8_t selector) {
    return static_cast<std::uint16_t>((unit << kByteShift) | selector);
}

}  // namespace

CameraSession::CameraSession(const UsbCamera& camera)
    : device_node_(camera.device_node), usb_device_name_(camera.usb_device_name) {}

CameraSession::~CameraSession() {
    if (node_fd_ >= 0) ::close(node_fd_);
    if (lock_fd_ >= 0) ::close(lock_fd_);
}

std::int32_t CameraSession::open_node() {
    if (node_fd_ >= 0) return 0;
    // Extension-unit queries need a node opened for reading and writing.
    node_fd_ = ::open(device_node_.c_str(), O_RDWR | O_CLOEXEC);
    return node_fd_ >= 0 ? 0 : vendor_code_for_open_errno(errno);
}

std::int32_t CameraSession::control_length(std::uint8_t unit, std::uint8_t selector, std::uint16_t& bytes) {
    const auto known = control_lengths_.find(control_key(unit, selector));
    if (known != control_lengths_.end()) {
        bytes = known->second;
        return 0;
    }
    const ControlLength asked = query_control_length(node_fd_, unit, selector);
    if (asked.error != 0) return vendor_code_for_query_errno(asked.error);
    control_lengths_[control_key(unit, selector)] = asked.bytes;
    bytes = asked.bytes;
    return 0;
}

std::int32_t CameraSession::read(std::uint8_t node_id, std::uint8_t selector, std::uint8_t* buffer,
                                 std::uint8_t length) {
    const auto selected = units_.find(node_id);
    if (selected == units_.end()) return SonixLib::ecGetKsControlFail;
    const std::uint8_t unit = selected->second;
    if (const std::int32_t opened = open_node(); opened != 0) return opened;
    if (!lock_opened_) {
        lock_fd_ = open_lock_file(usb_device_name_);
        lock_opened_ = true;
    }
    const ScopedCameraLock lock(lock_fd_);

    std::uint16_t bytes = 0;
    if (const std::int32_t asked = control_length(unit, selector, bytes); asked != 0) return asked;
    if (bytes < length) return SonixLib::ecGetKsControlFail;
    // The usual case, a control of exactly the asked length, reads straight
    // into the caller's buffer: an IMU poll allocates nothing.
    const bool exact = bytes == length;
    if (!exact) scratch_.resize(bytes);
    std::uint8_t* target = exact ? buffer : scratch_.data();
    const int error = query_control(node_fd_, unit, selector, UVC_GET_CUR, target, bytes);
    if (error != 0) {
        // The length is asked again next time: a camera that came back may differ.
        control_lengths_.erase(control_key(unit, selector));
        return vendor_code_for_query_errno(error);
    }
    if (!exact) std::copy_n(scratch_.begin(), length, buffer);
    return 0;
}

}  // namespace sonix_uvcvideo

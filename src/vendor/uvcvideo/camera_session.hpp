// One camera in use: its selected extension units, its open capture node and
// the lengths of the controls read so far. Lives from the first SetNodeID
// until the library's last UnInit or the camera's unplugging.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "usb_cameras.hpp"

namespace sonix_uvcvideo {

class CameraSession {
public:
    explicit CameraSession(const UsbCamera& camera);
    ~CameraSession();
    CameraSession(const CameraSession&) = delete;
    CameraSession& operator=(const CameraSession&) = delete;

    const std::string& device_node() const { return device_node_; }

    // Remembers that the SDK's node id stands for this UVC unit.
    void select_unit(std::uint8_t node_id, std::uint8_t unit) { units_[node_id] = unit; }
    bool has_node(std::uint8_t node_id) const { return units_.count(node_id) != 0; }

    // GET_CUR of the control `selector` of the unit behind node_id into
    // buffer: 0 or a vendor error code. The control's length is asked once
    // (GET_LEN) and kept; a control longer than `length` hands over its
    // first `length` bytes, a shorter one fails.
    std::int32_t read(std::uint8_t node_id, std::uint8_t selector, std::uint8_t* buffer, std::uint8_t length);

private:
    std::int32_t open_node();
    std::int32_t control_length(std::uint8_t unit, std::uint8_t selector, std::uint16_t& bytes);

    std::string device_node_;
    std::string usb_device_name_;
    std::map<std::uint8_t, std::uint8_t> units_;                   // node id -> bUnitID
    std::map<std::uint16_t, std::uint16_t> control_lengths_;       // unit << 8 | selector -> bytes
    std::vector<std::uint8_t> scratch_;                            // for controls longer than asked
    int node_fd_ = -1;
    int lock_fd_ = -1;
    bool lock_opened_ = false;
};

}  // namespace sonix_uvcvideo

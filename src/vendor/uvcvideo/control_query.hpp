// Extension-unit control queries through uvcvideo (UVCIOC_CTRL_QUERY) and
// what their failures mean in the vendor library's error codes.
#pragma once

#include <cstdint>

namespace sonix_uvcvideo {

// One query on an open capture node: 0, or the errno it failed with.
int query_control(int fd, std::uint8_t unit, std::uint8_t selector, std::uint8_t query, std::uint8_t* data,
                  std::uint16_t size);

// The length of a control in bytes (UVC_GET_LEN), or the errno.
struct ControlLength {
    int error = 0;
    std::uint16_t bytes = 0;
};
ControlLength query_control_length(int fd, std::uint8_t unit, std::uint8_t selector);

// The vendor error code for a failed control query:
//   ENODEV, ESHUTDOWN  ecDeviceDisconnect (7): the camera was unplugged
//   ETIMEDOUT          ecSyncTransTimeOut (8): the camera did not answer in time
//   anything else      ecGetKsControlFail (5): the transfer failed. ENOENT
//                      (no such control), EPROTO (a stalled transfer, which
//                      may precede ENODEV when the camera is going away),
//                      ENOBUFS (a length other than the control's), EIO.
std::int32_t vendor_code_for_query_errno(int error);

// The vendor error code for a capture node that could not be opened:
//   ENOENT, ENODEV, ENXIO  ecDeviceDisconnect (7): the node went with the camera
//   EACCES, EPERM          ecNotFindDevice (4): this user may not reach the
//                          camera, which is not a property of the camera (a
//                          transfer failure would make it look like one that
//                          lacks the control)
//   anything else          ecGetKsControlFail (5)
std::int32_t vendor_code_for_open_errno(int error);

}  // namespace sonix_uvcvideo

// UVCIOC_CTRL_QUERY on a capture node, and the errno table.
#include "control_query.hpp"

#include <linux/usb/video.h>
#include <linux/uvcvideo.h>
#include <sys/ioctl.h>

#include <cerrno>

#include "core/byte_order.hpp"
#include "sonix_camera.h"

namespace sonix_uvcvideo {

int query_control(int fd, std::uint8_t unit, std::uint8_t selector, std::uint8_t query, std::uint8_t* data,
                  std::uint16_t size) {
    uvc_xu_control_query request{};
    request.unit = unit;
    request.selector = selector;
    request.query = query;
    request.size = size;
    request.data = data;
    for (;;) {
        if (::ioctl(fd, UVCIOC_CTRL_QUERY, &request) == 0) return 0;
        if (errno != EINTR) return errno;
    }
}

ControlLength query_control_length(int fd, std::uint8_t unit, std::uint8_t selector) {
    // GET_LEN answers two bytes, little-endian (UVC's byte order).
    std::uint8_t answer[2] = {};
    ControlLength length;
    length.error = query_control(fd, unit, selector, UVC_GET_LEN, answer, sizeof(answer));
    if (length.error == 0) length.bytes = velmora::uvc_stereo::detail::read_le16(answer);
    return length;
}

std::int32_t vendor_code_for_query_errno(int error) {
    switch (error) {
        case ENODEV:
        case ESHUTDOWN:
            return SonixLib::ecDeviceDisconnect;
        case ETIMEDOUT:
            return SonixLib::ecSyncTransTimeOut;
        default:
            return SonixLib::ecGetKsControlFail;
    }
}

std::int32_t vendor_code_for_open_errno(int error) {
    switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return SonixLib::ecDeviceDisconnect;
        case EACCES:
        case EPERM:
            return SonixLib::ecNotFindDevice;
        default:
            return SonixLib::ecGetKsControlFail;
    }
}

}  // namespace sonix_uvcvideo

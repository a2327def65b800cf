// The device handle behind the C library's opaque velmora_uvc_stereo_device.
#pragma once

#include <mutex>
#include <utility>

#include "platform/recursive_lock.hpp"
#include "velmora/uvc_stereo/device.hpp"
#include "velmora_uvc_stereo_c.h"

struct velmora_uvc_stereo_device {
    explicit velmora_uvc_stereo_device(velmora::uvc_stereo::Device&& opened) : device(std::move(opened)) {}

    // Held for the whole of every call on the handle.
    velmora::uvc_stereo::platform::RecursiveLock lock;
    velmora::uvc_stereo::Device device;
};

namespace velmora::uvc_stereo::c_api {

using HandleLock = std::lock_guard<platform::RecursiveLock>;

}  // namespace velmora::uvc_stereo::c_api

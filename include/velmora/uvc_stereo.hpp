/// @file
/// The whole public C++ interface of velmora_uvc_stereo_sdk: include this one header.
#pragma once

#include "velmora/uvc_stereo/device.hpp"
#include "velmora/uvc_stereo/export.hpp"
#include "velmora/uvc_stereo/flash_range.hpp"
#include "velmora/uvc_stereo/flash_record.hpp"
#include "velmora/uvc_stereo/flash_transport.hpp"
#include "velmora/uvc_stereo/json.hpp"
#include "velmora/uvc_stereo/opencv_backend.hpp"
#include "velmora/uvc_stereo/records.hpp"
#include "velmora/uvc_stereo/scan.hpp"
#include "velmora/uvc_stereo/status.hpp"

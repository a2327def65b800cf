// What an SDK failure means for the person at the desk, in plain words.
#pragma once

#include <string>

#include <velmora/uvc_stereo/status.hpp>

namespace velmora::stereo_tool {

// "the camera was unplugged" for a vendor failure with ecDeviceDisconnect,
// "the flash could not be erased" for an erase failure, ...; empty when the
// SDK's own text is already the plainest there is.
std::string plain_words(const uvc_stereo::Status& status);

}  // namespace velmora::stereo_tool

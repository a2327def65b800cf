// Functions of the loaded camera library found by name at run time, for the
// extras only some implementations of the vendor contract offer (the virtual
// camera's control and back-end lists).
#pragma once

namespace velmora::uvc_stereo::vendor {

// The address of the camera library's function of this name, or null when
// the library in use has none. The library is the one this SDK calls its
// SonixCam_* functions in, however it was loaded (also privately, as
// Python's ctypes does), so a lookup in the process's global scope would not
// do. The result is cast to the function's own type by the caller.
void* find_library_symbol(const char* name);

}  // namespace velmora::uvc_stereo::vendor

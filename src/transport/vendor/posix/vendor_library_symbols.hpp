// Functions of the loaded vendor library found by name at run time, for the
// extras only some implementations of the vendor contract offer.
#pragma once

namespace velmora::uvc_stereo::detail {

// The address of the vendor library's function of this name, or null when
// the library in use has none. The library is the one this SDK imports its
// SonixCam_* functions from, however it was loaded (also privately, as
// Python's ctypes does), so a lookup in the global scope would not do.
void* find_vendor_library_symbol(const char* name);

}  // namespace velmora::uvc_stereo::detail

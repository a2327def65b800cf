// The Windows loader's calls behind load_system_library.
#pragma once

#include "platform/system_library.hpp"

namespace velmora::uvc_stereo::platform {

// LoadLibraryExW with LOAD_LIBRARY_SEARCH_SYSTEM32, GetSystemDirectoryW, and
// LoadLibraryExW of a full path; each reads GetLastError right after a
// failing call, before anything else can change it.
const SystemLibraryCalls& windows_system_library_calls();

}  // namespace velmora::uvc_stereo::platform

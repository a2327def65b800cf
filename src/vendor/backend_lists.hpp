// The video back-end lists a camera library may offer beside the vendor's
// contract. The virtual camera keeps Media Foundation and DirectShow lists,
// so that the Windows rules for OpenCV indices also run where there is no
// COM; the vendor's own library has none. Found by name at run time
// (library_symbols.hpp), so the SDK imports nothing the vendor lacks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora::uvc_stereo::vendor {

// The exported names of the three list functions.
inline constexpr const char* kBackendFailureSymbol = "vcam_backend_failure_hresult";
inline constexpr const char* kBackendEntryCountSymbol = "vcam_backend_entry_count";
inline constexpr const char* kBackendEntryAtSymbol = "vcam_backend_entry_at";

// The library's own numbers of the two lists.
enum class BackendList : int { MediaFoundation = 0, DirectShow = 1 };

// One entry as the library lays it out (a C structure of fixed-size,
// NUL-terminated UTF-8 fields), and the functions' types.
struct LibraryBackendEntry {
    char friendly_name[256];
    char description[256];  // DirectShow "Description"
    char device_path[512];  // DirectShow "DevicePath" or the Media Foundation symbolic link
    std::int32_t binds;     // DirectShow: 0 when the property bag cannot be bound
};
using BackendFailureFunction = std::uint32_t (*)(int backend);
using BackendEntryCountFunction = std::size_t (*)(int backend);
using BackendEntryAtFunction = int (*)(int backend, std::size_t index, LibraryBackendEntry* out);

struct BackendEntry {
    std::string friendly_name;
    std::string description;
    std::string device_path;
    bool binds = false;
};

struct BackendListing {
    // 0 when the back-end enumerates, else the HRESULT its start fails with
    // (the entries are then empty).
    std::uint32_t failure_hresult = 0;
    // In the library's order; an entry the library could not give is empty.
    std::vector<std::optional<BackendEntry>> entries;
};

// The list, or nothing when the loaded library offers no back-end lists.
std::optional<BackendListing> list_backend(BackendList list);

}  // namespace velmora::uvc_stereo::vendor

// COM initialisation that respects the apartment the caller already chose.
#include "discovery/win32/com_initialization.hpp"

#include "platform/hresult_status.hpp"

namespace velmora::uvc_stereo::detail {

Status initialize_com(bool& must_uninitialize) {
    HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (hr == RPC_E_CHANGED_MODE) {
        hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        // COM is usable in the caller's own mode, and the initialisation is
        // the caller's to undo.
        if (hr == RPC_E_CHANGED_MODE) return Status();
    }
    if (FAILED(hr)) return platform::make_hresult_status("CoInitializeEx", static_cast<std::uint32_t>(hr));
    must_uninitialize = true;  // S_OK and S_FALSE both count one initialisation
    return Status();
}

}  // namespace velmora::uvc_stereo::detail

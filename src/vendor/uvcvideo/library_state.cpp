// Bookkeeping of the library: sessions, the enumeration cache, and the common
// path of every call (mutex, Init check, error codes, exceptions).
#include "library_state.hpp"

#include <new>

#include "record_text.hpp"
#include "sysfs_files.hpp"

namespace sonix_uvcvideo {

Library& Library::instance() {
    static Library* library = new Library();
    return *library;
}

std::optional<UsbCamera> Library::camera(const std::string& device_path) {
    const auto known = enumerated_.find(device_path);
    // One attribute read tells whether the USB device is still there, where a
    // fresh enumeration would open every capture node.
    if (known != enumerated_.end() && read_attribute(known->second.usb_device_folder, "idVendor")) {
        return known->second;
    }
    std::optional<UsbCamera> found = find_usb_camera(device_path);
    if (found) {
        enumerated_[device_path] = *found;
    } else {
        enumerated_.erase(device_path);
    }
    return found;
}

void Library::remember_enumeration(const std::vector<UsbCamera>& cameras) {
    enumerated_.clear();
    for (const UsbCamera& camera : cameras) enumerated_[camera.device_path] = camera;
}

CameraSession& Library::session_for(const std::string& device_path, const UsbCamera& camera) {
    auto& session = sessions_[device_path];
    if (!session || session->device_node() != camera.device_node) session = std::make_unique<CameraSession>(camera);
    return *session;
}

CameraSession* Library::find_session(const std::string& device_path) {
    const auto found = sessions_.find(device_path);
    return found == sessions_.end() ? nullptr : found->second.get();
}

void Library::end_all_sessions() {
    sessions_.clear();
    enumerated_.clear();
}

namespace {

std::int32_t run_guarded(const std::function<std::int32_t()>& body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return SonixLib::ecMemoryMallocFail;
    } catch (...) {
        return SonixLib::ecGetKsControlFail;
    }
}

}  // namespace

bool run_library_call(bool needs_init, const std::function<std::int32_t(Library&)>& body) {
    try {
        Library& library = Library::instance();
        const std::lock_guard<std::mutex> lock(library.mutex());
        const std::int32_t code = needs_init && library.init_depth == 0
                                      ? SonixLib::ecLibInitFail
                                      : run_guarded([&] { return body(library); });
        if (code != 0) library.library_error = code;
        return code == 0;
    } catch (...) {
        return false;
    }
}

bool run_device_call(SonixLib::scDevice_t* dev,
                     const std::function<std::int32_t(Library&, const std::string&)>& body) {
    try {
        Library& library = Library::instance();
        const std::lock_guard<std::mutex> lock(library.mutex());
        const std::string path = dev != nullptr ? record_device_path(*dev) : std::string();
        std::int32_t code = 0;
        if (library.init_depth == 0) {
            code = SonixLib::ecLibInitFail;
        } else if (path.empty()) {
            code = SonixLib::ecNotFindDevice;
        } else {
            code = run_guarded([&] { return body(library, path); });
        }
        if (code != 0) {
            library.library_error = code;
            if (!path.empty()) library.device_errors[path] = code;
        }
        return code == 0;
    } catch (...) {
        return false;
    }
}

}  // namespace sonix_uvcvideo

// The library's process-wide state: the Init depth, the error codes, the
// cameras of the last enumeration and one session per camera in use.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "camera_session.hpp"
#include "sonix_camera.h"
#include "usb_cameras.hpp"

namespace sonix_uvcvideo {

class Library {
public:
    // Never destroyed: calls may still arrive while the process unwinds.
    static Library& instance();

    // Every member below requires mutex() to be held.
    std::mutex& mutex() { return mutex_; }

    int init_depth = 0;
    std::int32_t library_error = 0;
    std::map<std::string, std::int32_t> device_errors;  // by device path

    // The camera under this path: from the last enumeration while its USB
    // device is still there, else from a fresh one.
    std::optional<UsbCamera> camera(const std::string& device_path);
    void remember_enumeration(const std::vector<UsbCamera>& cameras);

    // The camera's session, made (or made anew when its capture node changed).
    CameraSession& session_for(const std::string& device_path, const UsbCamera& camera);
    CameraSession* find_session(const std::string& device_path);
    // Forgets what was selected on the camera and closes its node.
    void end_session(const std::string& device_path) { sessions_.erase(device_path); }
    // The last UnInit: nothing stays selected or open.
    void end_all_sessions();

private:
    Library() = default;

    std::mutex mutex_;
    std::map<std::string, UsbCamera> enumerated_;
    std::map<std::string, std::unique_ptr<CameraSession>> sessions_;
};

// Runs one call under the library's mutex. A body returns 0 or the vendor
// code of its failure; a failure is kept as the library-wide code and, for a
// device call, as the device's. Exceptions never leave: running out of memory
// is ecMemoryMallocFail, anything else ecGetKsControlFail.
bool run_library_call(bool needs_init, const std::function<std::int32_t(Library&)>& body);

// A call on one camera: needs an initialised library and a record that names
// a camera (ecNotFindDevice otherwise); the body gets the record's path.
bool run_device_call(SonixLib::scDevice_t* dev,
                     const std::function<std::int32_t(Library&, const std::string& device_path)>& body);

}  // namespace sonix_uvcvideo

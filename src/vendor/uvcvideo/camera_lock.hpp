// The advisory lock that keeps processes from interleaving their
// extension-unit traffic with one camera: flock on a file per camera.
#pragma once

#include <string>
#include <vector>

namespace sonix_uvcvideo {

// Where the lock files may lie, in order of preference: the user's runtime
// folder when $XDG_RUNTIME_DIR names one (an absolute path), then /run/lock,
// then /tmp.
std::vector<std::string> lock_folders(const char* xdg_runtime_dir);

// "velmora-uvc-stereo-usb-1-1.2.lock" for the USB device "1-1.2"; characters
// other than letters, digits, '.' and '-' become '_'.
std::string lock_file_name(const std::string& usb_device_name);

// Opens (creating it when needed) the camera's lock file in the first folder
// of lock_folders(getenv("XDG_RUNTIME_DIR")) where that works; -1 when none
// does, and the camera is then used without the lock. flock locks belong to
// the open file, not the process: two opens in one process exclude each
// other as two processes do, where lockf's would not.
int open_lock_file(const std::string& usb_device_name);

// Holds flock(LOCK_EX) on the file for its lifetime; does nothing for -1.
class ScopedCameraLock {
public:
    explicit ScopedCameraLock(int lock_fd);
    ~ScopedCameraLock();
    ScopedCameraLock(const ScopedCameraLock&) = delete;
    ScopedCameraLock& operator=(const ScopedCameraLock&) = delete;

private:
    int fd_;
};

}  // namespace sonix_uvcvideo

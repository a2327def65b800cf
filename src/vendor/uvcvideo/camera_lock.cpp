// Lock files per camera, and the flock around each extension-unit exchange.
#include "camera_lock.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace sonix_uvcvideo {
namespace {

const char* const kLockFilePrefix = "velmora-uvc-stereo-usb-";
const char* const kLockFileSuffix = ".lock";
constexpr mode_t kLockFileMode = 0644;  // flock needs only read access

bool is_name_character(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

// Never follows a link: /tmp and /run/lock are shared with every user. An
// existing file is opened without O_CREAT, which a sticky folder refuses for
// another user's file (fs.protected_regular) even when it could be read.
int open_in(const std::string& folder, const std::string& name) {
    const std::string path = folder + "/" + name;
    const int flags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW;
    int fd = ::open(path.c_str(), flags);
    if (fd < 0 && errno == ENOENT) fd = ::open(path.c_str(), flags | O_CREAT, kLockFileMode);
    return fd;
}

}  // namespace

std::vector<std::string> lock_folders(const char* xdg_runtime_dir) {
    std::vector<std::string> folders;
    if (xdg_runtime_dir != nullptr && xdg_runtime_dir[0] == '/') folders.emplace_back(xdg_runtime_dir);
    folders.emplace_back("/run/lock");
    folders.emplace_back("/tmp");
    return folders;
}

std::string lock_file_name(const std::string& usb_device_name) {
    std::string name = kLockFilePrefix;
    for (char c : usb_device_name) name += is_name_character(c) ? c : '_';
    return name + kLockFileSuffix;
}

int open_lock_file(const std::string& usb_device_name) {
    const std::string name = lock_file_name(usb_device_name);
    for (const std::string& folder : lock_folders(std::getenv("XDG_RUNTIME_DIR"))) {
        const int fd = open_in(folder, name);
        if (fd >= 0) return fd;
    }
    return -1;
}

ScopedCameraLock::ScopedCameraLock(int lock_fd) : fd_(lock_fd) {
    if (fd_ < 0) return;
    while (::flock(fd_, LOCK_EX) != 0) {
        if (errno != EINTR) {
            fd_ = -1;  // an unusable lock is no reason to refuse the camera
            return;
        }
    }
}

ScopedCameraLock::~ScopedCameraLock() {
    if (fd_ >= 0) ::flock(fd_, LOCK_UN);
}

}  // namespace sonix_uvcvideo

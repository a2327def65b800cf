// Reading sysfs with plain POSIX calls.
#include "sysfs_files.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace sonix_uvcvideo {
namespace {

// sysfs text attributes are at most a page long.
constexpr std::size_t kAttributeLimit = 4096;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

bool is_trailing_space(char c) { return c == '\n' || c == '\r' || c == ' ' || c == '\t' || c == '\0'; }

}  // namespace

std::optional<std::vector<std::uint8_t>> read_binary_file(const std::string& path, std::size_t limit) {
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[4096];
    while (bytes.size() < limit) {
        const ssize_t got = ::read(file.get(), chunk, sizeof(chunk));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    if (bytes.size() > limit) bytes.resize(limit);
    return bytes;
}

std::optional<std::string> read_attribute(const std::string& folder, const char* name) {
    const auto bytes = read_binary_file(folder + "/" + name, kAttributeLimit);
    if (!bytes) return std::nullopt;
    std::string text(bytes->begin(), bytes->end());
    while (!text.empty() && is_trailing_space(text.back())) text.pop_back();
    return text;
}

std::optional<std::string> read_uevent_value(const std::string& folder, const char* key) {
    const auto uevent = read_attribute(folder, "uevent");
    if (!uevent) return std::nullopt;
    const std::string prefix = std::string(key) + "=";
    std::size_t start = 0;
    while (start < uevent->size()) {
        std::size_t end = uevent->find('\n', start);
        if (end == std::string::npos) end = uevent->size();
        if (uevent->compare(start, prefix.size(), prefix) == 0) {
            return uevent->substr(start + prefix.size(), end - start - prefix.size());
        }
        start = end + 1;
    }
    return std::nullopt;
}

std::optional<std::string> resolve_real_path(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return std::nullopt;
    return std::string(resolved);
}

std::vector<std::string> list_folder(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            names.emplace_back(entry->d_name);
        }
    }
    ::closedir(dir);
    return names;
}

std::string parent_folder(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return std::string();
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string last_component(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace sonix_uvcvideo

// Reading sysfs: attribute texts, binary attributes, folders and real paths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sonix_uvcvideo {

// The attribute's text without its trailing newline and spaces; nothing when
// the attribute is absent or unreadable.
std::optional<std::string> read_attribute(const std::string& folder, const char* name);

// A file's bytes, at most `limit` of them; nothing when it cannot be read.
std::optional<std::vector<std::uint8_t>> read_binary_file(const std::string& path, std::size_t limit);

// The value of KEY=value in the folder's uevent file.
std::optional<std::string> read_uevent_value(const std::string& folder, const char* key);

// The path with every symbolic link resolved.
std::optional<std::string> resolve_real_path(const std::string& path);

// The names in a folder, "." and ".." left out; empty when it cannot be read.
// (opendir and readdir, not scandir: test beds that redirect /sys do not
// redirect scandir.)
std::vector<std::string> list_folder(const std::string& folder);

// "/a/b/c" gives "/a/b" and "c". Paths are walked as text: ".." in a /sys
// path is not resolved the same way everywhere.
std::string parent_folder(const std::string& path);
std::string last_component(const std::string& path);

}  // namespace sonix_uvcvideo

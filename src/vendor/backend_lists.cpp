// Reading the camera library's video back-end lists through the functions
// it exports, looked up once.
#include "vendor/backend_lists.hpp"

#include "vendor/library_symbols.hpp"

namespace velmora::uvc_stereo::vendor {

namespace {

struct BackendFunctions {
    BackendFailureFunction failure_hresult = nullptr;
    BackendEntryCountFunction entry_count = nullptr;
    BackendEntryAtFunction entry_at = nullptr;

    bool available() const { return failure_hresult != nullptr && entry_count != nullptr && entry_at != nullptr; }
};

template <typename Function>
void look_up(Function& function, const char* name) {
    function = reinterpret_cast<Function>(find_library_symbol(name));
}

// Looked up once: the camera library stays loaded as long as the SDK is.
const BackendFunctions& backend_functions() {
    static const BackendFunctions functions = [] {
        BackendFunctions found;
        look_up(found.failure_hresult, kBackendFailureSymbol);
        look_up(found.entry_count, kBackendEntryCountSymbol);
        look_up(found.entry_at, kBackendEntryAtSymbol);
        return found;
    }();
    return functions;
}

// The library's own declaration of the entry function is not visible here
// (it is the virtual camera's header, which the SDK may not include): the
// call goes through LibraryBackendEntry, laid out byte for byte as the
// library's entry, so it is sound. Clang's -fsanitize=function compares the
// two declarations' types by name and would stop at it, so that one check is
// left out of this one call.
#if defined(__clang__)
__attribute__((no_sanitize("function")))
#endif
int read_entry(BackendEntryAtFunction entry_at, int backend, std::size_t index, LibraryBackendEntry& entry) {
    return entry_at(backend, index, &entry);
}

// A missing terminator must not carry a read past the field.
template <std::size_t N>
std::string field_text(const char (&field)[N]) {
    std::size_t length = 0;
    while (length < N && field[length] != '\0') ++length;
    return std::string(field, length);
}

}  // namespace

std::optional<BackendListing> list_backend(BackendList list) {
    const BackendFunctions& functions = backend_functions();
    if (!functions.available()) return std::nullopt;
    const int backend = static_cast<int>(list);
    BackendListing listing;
    listing.failure_hresult = functions.failure_hresult(backend);
    if (listing.failure_hresult != 0) return listing;
    const std::size_t count = functions.entry_count(backend);
    listing.entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        LibraryBackendEntry entry{};
        if (read_entry(functions.entry_at, backend, i, entry) != 0) {
            listing.entries.emplace_back();
            continue;
        }
        listing.entries.push_back(BackendEntry{field_text(entry.friendly_name), field_text(entry.description),
                                               field_text(entry.device_path), entry.binds != 0});
    }
    return listing;
}

}  // namespace velmora::uvc_stereo::vendor

// Call log storage: fixed-size C records, bounded, with exact per-function counts.
#include "call_log.hpp"

#include "text_codec.hpp"

namespace sonix_virtual {

void CallLog::append(const std::string& function, const std::string& device_id,
                     std::initializer_list<std::uint64_t> args, bool ok, std::int32_t vendor_code) {
    vcam_call call{};
    copy_fixed_text(call.function, function);
    copy_fixed_text(call.device_id, device_id);
    for (const std::uint64_t arg : args) {
        if (call.arg_count == VCAM_MAX_CALL_ARGS) break;
        call.args[call.arg_count++] = arg;
    }
    call.ok = ok ? 1 : 0;
    call.vendor_code = ok ? 0 : vendor_code;
    if (entries_.size() == kMaxEntries) entries_.pop_front();
    entries_.push_back(call);
    ++counts_[function];
}

void CallLog::clear() {
    entries_.clear();
    counts_.clear();
}

bool CallLog::at(std::size_t index, vcam_call& out) const {
    if (index >= entries_.size()) return false;
    out = entries_[index];
    return true;
}

std::size_t CallLog::count(const std::string& function) const {
    const auto it = counts_.find(function);
    return it == counts_.end() ? 0 : it->second;
}

}  // namespace sonix_virtual

// The record of vendor calls that tests read to assert call sequences.
#pragma once

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <map>
#include <string>

#include "sonix_virtual/vcam_control.h"

namespace sonix_virtual {

class CallLog {
public:
    // Oldest entries are dropped beyond this many; per-function counts stay exact.
    static constexpr std::size_t kMaxEntries = 200000;

    void append(const std::string& function, const std::string& device_id, std::initializer_list<std::uint64_t> args,
                bool ok, std::int32_t vendor_code);
    void clear();
    std::size_t size() const { return entries_.size(); }
    bool at(std::size_t index, vcam_call& out) const;
    std::size_t count(const std::string& function) const;

private:
    std::deque<vcam_call> entries_;
    std::map<std::string, std::size_t, std::less<>> counts_;
};

}  // namespace sonix_virtual

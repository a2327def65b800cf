// Self-describing JSON documents for the soak: who wrote it, its sequence
// number, a body and the body's digest, so that a document read back can be
// recognised as one some thread wrote completely.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <string>

namespace velmora::uvc_stereo::reliability {

// A minified document of about body_length bytes of body:
// {"writer":"w0","seq":17,"body":"...","digest":"<16 hex digits>"}.
std::string make_document(const std::string& writer, std::uint64_t sequence, std::size_t body_length,
                          std::mt19937_64& random);

// Whether the text is such a document and its body matches its digest.
bool document_is_intact(const std::string& text);

// Every document any thread set out to write, per camera, kept as a 64-bit
// hash of its text (an hour's soak writes too much to keep the texts). A
// document is entered before its write starts, so a read that returns it can
// always find it.
class DocumentRegistry {
public:
    void will_write(const std::string& camera, const std::string& document);
    bool was_written(const std::string& camera, const std::string& document) const;
    std::size_t size() const;

private:
    mutable std::mutex mutex_;
    std::map<std::string, std::set<std::uint64_t>> documents_;
};

}  // namespace velmora::uvc_stereo::reliability

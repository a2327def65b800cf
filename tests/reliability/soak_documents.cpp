// Self-describing soak documents and the registry of everything written.
#include "soak_documents.hpp"

#include <cstdio>

namespace velmora::uvc_stereo::reliability {

namespace {

constexpr const char* kBodyKey = "\"body\":\"";
constexpr const char* kDigestKey = "\",\"digest\":\"";
constexpr std::size_t kDigestDigits = 16;

// FNV-1a, 64 bits: independent of the CRCs the SDK computes itself.
std::uint64_t fnv1a(const std::string& text) {
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001B3ULL;
    }
    return hash;
}

std::string digest_of(const std::string& body) {
    char text[kDigestDigits + 1];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(fnv1a(body)));
    return text;
}

}  // namespace

std::string make_document(const std::string& writer, std::uint64_t sequence, std::size_t body_length,
                          std::mt19937_64& random) {
    static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789 -_.";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
    std::string body(body_length, ' ');
    for (char& c : body) c = kAlphabet[pick(random)];
    return "{\"writer\":\"" + writer + "\",\"seq\":" + std::to_string(sequence) + "," + kBodyKey + body +
           kDigestKey + digest_of(body) + "\"}";
}

bool document_is_intact(const std::string& text) {
    const std::size_t body_start = text.find(kBodyKey);
    if (text.rfind("{\"writer\":\"", 0) != 0 || body_start == std::string::npos) return false;
    const std::size_t body_begin = body_start + std::char_traits<char>::length(kBodyKey);
    const std::size_t digest_start = text.find(kDigestKey, body_begin);
    if (digest_start == std::string::npos) return false;
    const std::size_t digest_begin = digest_start + std::char_traits<char>::length(kDigestKey);
    if (text.size() != digest_begin + kDigestDigits + 2 || text.compare(text.size() - 2, 2, "\"}") != 0) return false;
    return text.compare(digest_begin, kDigestDigits, digest_of(text.substr(body_begin, digest_start - body_begin))) ==
           0;
}

void DocumentRegistry::will_write(const std::string& camera, const std::string& document) {
    const std::lock_guard<std::mutex> guard(mutex_);
    documents_[camera].insert(fnv1a(document));
}

bool DocumentRegistry::was_written(const std::string& camera, const std::string& document) const {
    const std::lock_guard<std::mutex> guard(mutex_);
    const auto found = documents_.find(camera);
    return found != documents_.end() && found->second.count(fnv1a(document)) != 0;
}

std::size_t DocumentRegistry::size() const {
    const std::lock_guard<std::mutex> guard(mutex_);
    std::size_t count = 0;
    for (const auto& [camera, documents] : documents_) count += documents.size();
    return count;
}

}  // namespace velmora::uvc_stereo::reliability

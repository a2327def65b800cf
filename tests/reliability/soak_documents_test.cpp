// The soak's judge of documents read back: a document is whole only when its
// body still matches its digest and nothing was cut off or added.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "soak_documents.hpp"

namespace velmora::uvc_stereo::reliability {
namespace {

TEST(SoakDocuments, OnlyAWholeDocumentPasses) {
    std::mt19937_64 random(7);
    const std::string document = make_document("w1", 42, 300, random);
    const std::size_t body = document.find("\"body\":\"") + 8;
    std::string changed_body = document;
    changed_body[body + 10] = changed_body[body + 10] == 'a' ? 'b' : 'a';
    std::string changed_digest = document;
    changed_digest[document.size() - 3] = changed_digest[document.size() - 3] == '0' ? '1' : '0';
    const struct {
        const char* name;
        std::string text;
        bool intact;
    } rows[] = {
        {"as written", document, true},
        {"empty body", make_document("w1", 1, 0, random), true},
        {"one body byte changed", changed_body, false},
        {"digest changed", changed_digest, false},
        {"cut in the body", document.substr(0, body + 100), false},
        {"cut in the digest", document.substr(0, document.size() - 5), false},
        {"closing brace missing", document.substr(0, document.size() - 1), false},
        {"bytes after the end", document + " ", false},
        {"another JSON text", "{\"cal\":1}", false},
        {"nothing", "", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(document_is_intact(row.text), row.intact);
    }
}

TEST(SoakDocuments, TheRegistryKnowsEachCamerasDocumentsApart) {
    std::mt19937_64 random(11);
    const std::string first = make_document("w1", 1, 50, random);
    const std::string second = make_document("w2", 1, 50, random);
    DocumentRegistry registry;
    registry.will_write("cam0", first);
    registry.will_write("cam1", second);
    EXPECT_TRUE(registry.was_written("cam0", first));
    EXPECT_FALSE(registry.was_written("cam0", second));
    EXPECT_FALSE(registry.was_written("cam2", first));
    EXPECT_EQ(registry.size(), 2u);
}

}  // namespace
}  // namespace velmora::uvc_stereo::reliability

#include <gtest/gtest.h>

#include "engine/DiagnosticTail.h"
#include "engine/ProgressLineReader.h"
#include "engine/Utf8Lossy.h"

using namespace pellora;

namespace {

std::vector<std::string> readAll(const std::vector<std::string>& chunks) {
    std::vector<std::string> lines;
    ProgressLineReader reader([&](const std::string& line) { lines.push_back(line); });
    for (const auto& chunk : chunks) reader.feed(chunk);
    reader.finish();
    return lines;
}

TEST(ProgressLineReaderTest, OnlyWholeValidLinesAreYielded) {
    const std::vector<std::string> none;
    const struct {
        std::vector<std::string> chunks;
        std::vector<std::string> lines;
    } cases[] = {
        {{"PELLORA_PROGRESS_V1:installing\n"}, {"PELLORA_PROGRESS_V1:installing"}},
        {{"PELLORA_PROGRESS_V1:installing\r\n"}, none},
        {{"PELLORA_PROGRESS_V1:dancing\n"}, none},
        {{"PELLORA_PROGRESS_V1: installing\n"}, none},
        {{"log PELLORA_PROGRESS_V1:installing\n"}, none},
        {{"pellora_progress_v1:installing\n"}, none},
        {{"PELLORA_PROGRESS_V1:unp", "acking\nPELLORA_PROGRESS_V1:componentWarning\nx\n"},
         {"PELLORA_PROGRESS_V1:unpacking", "PELLORA_PROGRESS_V1:componentWarning"}},
        {{"noise\nPELLORA_PROGRESS_V1:restoring"}, {"PELLORA_PROGRESS_V1:restoring"}},  // no final LF
        {{std::string(70000, 'x'), "PELLORA_PROGRESS_V1:opening\nPELLORA_PROGRESS_V1:starting\n"},
         {"PELLORA_PROGRESS_V1:starting"}},  // the over-long line is dropped, the next one counts
    };
    for (const auto& c : cases) EXPECT_EQ(readAll(c.chunks), c.lines) << c.chunks.front().substr(0, 60);
}

TEST(ProgressLineReaderTest, EveryPhaseIsValid) {
    for (const char* payload : {"preparing", "unpacking", "backup", "installing", "components", "initializing",
                                "starting", "opening", "restoring", "componentWarning"}) {
        EXPECT_TRUE(ProgressLineReader::isProgressLine(std::string("PELLORA_PROGRESS_V1:") + payload)) << payload;
    }
    EXPECT_FALSE(ProgressLineReader::isProgressLine("PELLORA_PROGRESS_V1:"));
}

TEST(DiagnosticTailTest, KeepsTheNewest64KiB) {
    DiagnosticTail tail;
    tail.append(std::string(60000, 'a'));
    tail.append(std::string(10000, 'b'));
    ASSERT_EQ(tail.data.size(), DiagnosticTail::kLimit);
    EXPECT_EQ(tail.data, std::string(55536, 'a') + std::string(10000, 'b'));
    tail.append(std::string(70000, 'c'));
    EXPECT_EQ(tail.data, std::string(65536, 'c'));
}

TEST(Utf8LossyTest, ReplacesInvalidSequences) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "plain \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
        {"a\xFFz", "a\xEF\xBF\xBDz"},
        {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},          // overlong
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // surrogate
        {"\xE2\x82", "\xEF\xBF\xBD\xEF\xBF\xBD"},          // cut short
    };
    for (const auto& [bytes, text] : cases) EXPECT_EQ(decodeUtf8Lossy(bytes), text);
}

}  // namespace

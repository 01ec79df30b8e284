// Lines of a pipe or file, as the terminal command reads them.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/console/piped_lines.h"

namespace {

std::vector<std::string> ReadAll(const std::string& bytes) {
    std::FILE* file = std::tmpfile();
    EXPECT_NE(file, nullptr);
    if (file == nullptr) return {};
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::rewind(file);
    std::vector<std::string> lines;
    std::string line;
    while (ReadPipedLine(file, &line)) lines.push_back(line);
    std::fclose(file);
    return lines;
}

using Lines = std::vector<std::string>;

TEST(ReadPipedLine, SplitsAtLineEnds) {
    struct Case {
        std::string bytes;
        Lines lines;
    };
    const Case cases[] = {
        {"", {}},
        {"\n", {""}},
        {"ATI\nAT\n", {"ATI", "AT"}},
        {"ATI\r\nAT\r\n", {"ATI", "AT"}},     // a CRLF file
        {"ATI\n\nAT", {"ATI", "", "AT"}},    // a last line without its line end
        {"AT\r\r\n", {"AT\r"}},              // only the CR of the line end goes
        {"A\rT\n", {"A\rT"}},                // a CR inside stays, for the command check
        {std::string("A\0T\n", 4), {std::string("A\0T", 3)}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadAll(c.bytes), c.lines) << testing::PrintToString(c.bytes);
    }
}

TEST(ReadPipedLine, OverlongLineIsCutOnACharacterAndTheNextLineSurvives) {
    const std::string longAscii(kPipedLineMaxBytes + 100, 'A');
    Lines lines = ReadAll(longAscii + "\nATI\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(kPipedLineMaxBytes, 'A'));
    EXPECT_EQ(lines[1], "ATI");

    // Two-byte characters from an odd offset: the cut would split one.
    std::string cyrillic = "A";
    while (cyrillic.size() < kPipedLineMaxBytes + 10) cyrillic += "\xd0\x9f";
    lines = ReadAll(cyrillic + "\n");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), kPipedLineMaxBytes - 1);
    EXPECT_EQ(lines[0].substr(lines[0].size() - 2), "\xd0\x9f");
}

}  // namespace

// Transcript bytes made fit for a text pane.
#include <gtest/gtest.h>

#include <string>

#include "terminal/terminal_send.h"

namespace {

TEST(DisplayText, NulBytesBecomeVisibleAndNothingElseChanges) {
    struct Case {
        std::string bytes;
        std::string shown;
    };
    const std::string dot(1, kNulStandIn);
    const Case cases[] = {
        {"", ""},
        {"\r\nOK\r\n", "\r\nOK\r\n"},
        {std::string("A\0B", 3), "A" + dot + "B"},
        {std::string("\0\0", 2), dot + dot},
        {std::string("\0", 1), dot},
        {"\xC0\xFF\x7F", "\xC0\xFF\x7F"},
    };
    for (const Case& c : cases) {
        char text[64];
        const size_t copied = CopyDisplayText(c.bytes.data(), static_cast<uint32_t>(c.bytes.size()),
                                              text, sizeof text);
        EXPECT_EQ(copied, c.shown.size());
        EXPECT_EQ(std::string(text, copied), c.shown);
        EXPECT_EQ(text[copied], '\0');
    }
}

TEST(DisplayText, BoundedByTheBufferAndAlwaysTerminated) {
    const std::string bytes("abc\0ef", 6);
    char text[8];
    std::fill(std::begin(text), std::end(text), 'x');
    EXPECT_EQ(CopyDisplayText(bytes.data(), 6, text, 4), 3u);
    EXPECT_EQ(std::string(text), "abc");
    EXPECT_EQ(text[4], 'x');   // nothing written past the size given

    EXPECT_EQ(CopyDisplayText(bytes.data(), 6, text, 1), 0u);
    EXPECT_EQ(text[0], '\0');
    text[0] = 'x';
    EXPECT_EQ(CopyDisplayText(bytes.data(), 6, text, 0), 0u);
    EXPECT_EQ(text[0], 'x');
    EXPECT_EQ(CopyDisplayText(nullptr, 6, text, sizeof text), 0u);
    EXPECT_EQ(text[0], '\0');
}

}  // namespace

// How control characters and invalid UTF-8 are shown instead of reaching the terminal.
#include <gtest/gtest.h>

#include <random>
#include <vector>
#include <string>

#include "cli/console/visible_text.h"
#include "common/cp1251.h"

namespace {

TEST(VisibleText, EveryControlByteButLineEndsAndTabIsShownAsHex) {
    for (int byte = 0; byte < 0x100; ++byte) {
        const std::string text(1, static_cast<char>(byte));
        const bool control = byte < 0x20 || byte == 0x7F;
        EXPECT_EQ(IsControlByte(static_cast<unsigned char>(byte)), control) << byte;
        EXPECT_EQ(FindControlByte("AT" + text) == 2, control) << byte;
        std::string expected = text;
        if (control && byte != '\r' && byte != '\n' && byte != '\t') {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", byte);
            expected = hex;
        }
        // In 1251 the bytes 0x80-0xff are letters and signs: they stay.
        EXPECT_EQ(Visible1251(text), expected) << byte;
    }
}

struct Case {
    const char* name;
    std::string in;
    std::string out;
};

TEST(VisibleText, Windows1251Texts) {
    const Case cases[] = {
        {"plain", "E173", "E173"},
        {"title and clear screen", "\x1b]0;owned\x07X\x1b[2J", "\\x1b]0;owned\\x07X\\x1b[2J"},
        {"reply keeps its line ends", "\r\nOK\r\n", "\r\nOK\r\n"},
        {"backspaces and delete", "ab\x08\x08\x7f", "ab\\x08\\x08\\x7f"},
        {"NUL inside", std::string("a\0b", 3), "a\\x00b"},
        {"Cyrillic 1251", "\xcc\xee\xe4\xe5\xeb\xfc", "\xcc\xee\xe4\xe5\xeb\xfc"},
        {"empty", "", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(Visible1251(c.in), c.out) << c.name;
    EXPECT_EQ(FindControlByte("AT+CSQ"), std::string::npos);
    EXPECT_EQ(FindControlByte("AT\rATI"), 2u);
    EXPECT_EQ(FindControlByte("\tAT"), 0u);
}

// One field of text from outside (a path, a device's strings, a port argument), in the
// program's 1251: nothing in it may break its line or move the cursor, and an odd byte costs
// only itself.
TEST(VisibleText, AFieldFromOutsideStaysOneFieldOfShownText) {
    const Case fromUtf8[] = {
        {"Cyrillic kept", u8"Модем", "\xcc\xee\xe4\xe5\xec"},
        {"one odd byte among Cyrillic", u8"Мод" "\xff" u8"ем", "\xcc\xee\xe4\\xff\xe5\xec"},
        {"CR, LF, TAB, ESC, BEL, NUL, DEL", std::string("a\rb\nc\td\x1b[2J\x07\0\x7f", 14),
         "a\\x0db\\x0ac\\x09d\\x1b[2J\\x07\\x00\\x7f"},
        {"C1 control", "\xc2\x9b" "2J", "\\u009b2J"},
        {"no 1251 byte", "\xe4\xb8\xad \xf0\x9f\x93\xb6", "\\u4e2d \\U0001f4f6"},
        {"truncated at the end", "ab\xd0", "ab\\xd0"},
        {"overlong slash", "\xc0\xaf", "\\xc0\\xaf"},
        {"surrogate", "\xed\xa0\x80", "\\xed\\xa0\\x80"},
    };
    for (const auto& c : fromUtf8) EXPECT_EQ(Utf8ToCp1251Shown(c.in), c.out) << c.name;

    EXPECT_EQ(VisibleField1251("/dev/\r\n\t\x1b\xcc"), "/dev/\\x0d\\x0a\\x09\\x1b\xcc");
    // Shown text passes unchanged through a second showing: nothing is escaped twice.
    for (const auto& c : fromUtf8) EXPECT_EQ(VisibleField1251(c.out), c.out) << c.name;
}

TEST(VisibleText, Utf8Arguments) {
    const Case cases[] = {
        {"ASCII", "COM5", "COM5"},
        {"Cyrillic", u8"Модем", u8"Модем"},
        {"four-byte character", "\xf0\x9f\x93\xb6", "\xf0\x9f\x93\xb6"},
        {"escape sequence", "\x1b[2J", "\\x1b[2J"},
        {"lone continuation byte", "a\x80z", "a\\x80z"},
        {"invalid lead byte", "\xff", "\\xff"},
        {"truncated sequence at the end", "\xd0", "\\xd0"},
        {"truncated sequence before ASCII", "\xe2\x82z", "\\xe2\\x82z"},
        {"overlong slash", "\xc0\xaf", "\\xc0\\xaf"},
        {"overlong NUL", "\xe0\x80\x80", "\\xe0\\x80\\x80"},
        {"surrogate", "\xed\xa0\x80", "\\xed\\xa0\\x80"},
        {"beyond U+10FFFF", "\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},
        {"C1 control CSI", "\xc2\x9b" "2J", "\\u009b2J"},
        {"first character after C1", "\xc2\xa0", "\xc2\xa0"},
        {"line ends and tab stay", "a\r\n\tb", "a\r\n\tb"},
    };
    for (const auto& c : cases) EXPECT_EQ(VisibleUtf8(c.in), c.out) << c.name;
}

// The oracle for the property below: true when `text` is valid UTF-8 whose only control
// characters are CR, LF and TAB.
bool SafeForATerminal(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                                            : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        unsigned value = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            const auto byte = static_cast<unsigned char>(text[i + k]);
            if ((byte & 0xC0) != 0x80) return false;
            value = (value << 6) | (byte & 0x3F);
        }
        const unsigned smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
        const bool control = value < 0x20 || (value >= 0x7F && value <= 0x9F);
        if (control && value != '\r' && value != '\n' && value != '\t') return false;
        i += length;
    }
    return true;
}

TEST(VisibleText, WhateverTheArgumentTheResultIsSafeAndSafeTextIsKept) {
    std::vector<std::string> inputs;
    for (int a = 0; a < 0x100; ++a) {
        for (int b = 0; b < 0x100; ++b) inputs.push_back({static_cast<char>(a), static_cast<char>(b)});
    }
    std::mt19937 random(8);
    for (int i = 0; i < 20000; ++i) {
        std::string text(1 + random() % 8, '\0');
        for (auto& c : text) c = static_cast<char>(random() % 4 == 0 ? 0x80 | (random() % 0x40) : random() % 0x100);
        inputs.push_back(text);
    }
    for (const auto& input : inputs) {
        const std::string shown = VisibleUtf8(input);
        ASSERT_TRUE(SafeForATerminal(shown)) << testing::PrintToString(input);
        if (SafeForATerminal(input)) {
            ASSERT_EQ(shown, input);
        }
    }
}

}  // namespace
